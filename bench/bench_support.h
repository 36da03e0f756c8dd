// Shared pieces of the editor benchmarks: scratch trees on a real disk, the
// plain attribute-writing loop every walk is compared with, timing helpers,
// and the figures each benchmark hands to scripts/run-benchmarks.
//
// The benchmarks here are plain programs rather than Google Benchmark ones:
// each measurement is a whole walk or a process start, run a few times in
// alternation, so only medians and ratios mean anything. They still accept
// --benchmark_out=FILE, where they write {"benchmarks": [], "figures": [...]}
// for the runner's closing table.
#ifndef QUILLMARK_BENCH_BENCH_SUPPORT_H_
#define QUILLMARK_BENCH_BENCH_SUPPORT_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "attrstore/xattr.h"
#include "tests/support/editor_fakes.h"

namespace quillmark::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values);

// One attribute as the kernel stores it: the `user.` name and the encoded value.
struct RawAttribute {
  std::string systemName;
  Data value;
};

// The five values a user would type, encoded once, in list order.
std::vector<RawAttribute> sampleAttributes();
// The texts behind sampleAttributes(), in list order (Copyright .. Keywords).
std::vector<std::string> sampleTexts();
// Chooses `root` through the editor's folder panel, then types sampleTexts()
// into the fields (the choice empties them); false when the panel was not up.
bool chooseFolderWithSampleTexts(testing::FakeEditor& editor, const std::string& root);

// A private folder for generated trees, removed with everything in it by the
// destructor. It lives under $QUILLMARK_BENCH_DIR or /var/tmp, so that walks
// hit a real disk filesystem rather than tmpfs; trees left behind by a run
// that was killed are swept away when the next one starts.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // Filesystem type of the folder ("ext4", "tmpfs", ...), for the printout.
  std::string filesystem() const;

 private:
  std::string path_;
};

// Creates `root` holding `folders` folders of `filesPerFolder` empty files each,
// using two threads; returns the number of entries below `root`.
std::uint64_t makeTree(const std::string& root, int folders, int filesPerFolder);

// Creates files in `folder` holding the first one, two, ... n-1 of the n
// `attributes`, written in that order, and keeps them for as long as the
// filesystem lives (they go with the ScratchDir).
//
// Why: ext4 keeps attributes that do not fit in the inode in a block, shared
// by the inodes whose attributes are identical. An entry given the same n
// values one by one passes through n-1 partial sets in a block of its own,
// which is freed when the last write makes it match its neighbours' block.
// On the test machine each such free cost about 3 ms: filling a fresh tree of
// 20,100 entries took about a minute, whoever wrote it. With a file
// already holding each partial set, every step moves between shared blocks
// and nothing is freed. Timed runs rewrite values that are already in place,
// so this only makes the setup (and the memory walk) affordable.
void anchorPartialSets(const std::string& folder, const std::vector<RawAttribute>& attributes);

// Removes `root` and everything below it without following links.
void removeTree(const std::string& root);

// The reference a walk is measured against: readdir and lsetxattr, every
// entry below `root` (links neither followed nor written), nothing else.
// Returns the number of entries written; throws PosixError on failure.
std::uint64_t plainWrite(const std::string& root, const std::vector<RawAttribute>& attributes);

// Runs `body` in a child process while the parent ignores interrupts, so that
// the parent outlives a Ctrl-C during a long walk and its ScratchDir still
// removes the trees. Returns the child's exit status (128 + signal when killed).
int runGuarded(const std::function<int()>& body);

// "20,100"
std::string withCommas(std::uint64_t value);

// One line of the closing table: what was measured, the value with its unit,
// and the goal it is held to (empty when it has none).
struct Figure {
  std::string name;
  std::string value;
  std::string goal;
  bool met = true;
};

// Collects a benchmark's figures, prints them as a table and writes them to
// the --benchmark_out file, if one was given.
class Figures {
 public:
  // Takes --benchmark_out=FILE from the arguments; other --benchmark_* are ignored.
  Figures(int argc, char** argv);
  void add(Figure figure) { figures_.push_back(std::move(figure)); }
  // Prints the table to stdout and writes the file; returns false when the file could not be
  // written.
  bool finish() const;

 private:
  std::string outPath_;
  std::vector<Figure> figures_;
};

std::string format(const char* pattern, double value);

}  // namespace quillmark::bench

#endif  // QUILLMARK_BENCH_BENCH_SUPPORT_H_
