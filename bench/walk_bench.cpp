// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Write Folder over trees on disk: its peak memory, and its time against the
// plainest loop doing the same work (readdir, then five lsetxattr per entry by
// full path). The editor is driven as a user drives it: folder chosen through
// its panel, all five fields filled, Write Folder pressed.
//
// Time: each iteration is one round in which every method writes the whole
// tree once, a different method going first each round. A method's figure
// (counter "<method>_x") is the median of its per-round ratios to the plain
// loop, which pairs runs made close together, so that a drift of the disk or
// of other load on a shared machine hits both alike. The manual time is the
// editor's; the CPU column counts the whole round. For scale, two tools a user
// might reach for instead join the rounds on the small tree. The rounds mostly
// rewrite values in place, as when a folder gets Write Folder again; in the
// "changed" rounds every write changes every value instead.
//
// Mounts: the same rounds run on FUSE mounts the bench starts over a scratch
// folder and stops after: bindfs with its defaults (20,100 entries), and
// slow_xattr_fs, built here, whose every attribute call waits 1 ms as on a
// network mount (1,000 entries). Without /dev/fuse, bindfs or slow_xattr_fs,
// the bench says so and leaves those rounds out.
//
// Memory: each walk runs in a child forked from this process before anything
// else has run in it; counter peak_MiB is the child's ru_maxrss from wait4 and
// the time is the child's whole life. The walk keeps nothing per entry, so the
// two peaks should differ by little.
//
// Tree commands: find, export, check and import rounds, against getfattr and
// setfattr doing the same, on the local disk and the 1 ms mount; show of 1,000
// items against getfattr -d of them on the 1 ms mount, and a file manager's columns of a folder of
// 1,000 items filled by the extensions' pool there.
//
// Trees are made fresh in scratchDir() for each benchmark and removed after it.
//
//   QUILLMARK_WALK_ROUNDS     rounds per tree (default 9 on the small, 5 on the large)
//   QUILLMARK_MEMORY_ENTRIES  the large memory walk (default 1,000,000); making
//                             and removing its tree is most of this run's time
#include <dirent.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "attrstore/names.h"
#include "attrstore/string_array.h"
#include "attrstore/tags.h"

#include "bench/bench_support.h"
#include "editor/item_changes.h"
#include "editor/selection.h"
#include "editor/selection_save.h"
#include "extensions/core/shown_pool.h"

namespace {

using namespace quillmark::bench;
using quillmark::makePosixError;
using quillmark::changeItem;
using quillmark::editsOf;
using quillmark::itemAtPath;
using quillmark::saveSelection;
using quillmark::Selection;
using quillmark::ShownPool;
using quillmark::kHeadline;
using quillmark::SelectionEdit;
using quillmark::kValueCount;
using quillmark::ValueChange;
using quillmark::ValueEdit;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Files holding each set an entry passes through while its values are written
// one by one in list order (the first one, two, ... four of one set of values,
// and the rest of another set or none), kept for as long as the scratch folder
// lives.
//
// Why: ext4 keeps attributes that do not fit in the inode in a block shared by
// the inodes whose attributes are identical. An entry given the five values
// one by one passes through four partial sets in a block of its own, freed
// when the last write makes it match its neighbours' block; each such free
// cost about 3 ms on the test machine, so filling a fresh tree of 20,100
// entries took a minute, whoever wrote it. With a file already holding each
// partial set, every step moves between shared blocks and nothing is freed.
bool anchorPartialSets() {
  const std::span<const RawAttribute> sets[] = {sampleAttributes(), sampleAttributes(true),
                                                peerAttributes(false), peerAttributes(true)};
  for (std::size_t count = 1; count < sets[0].size(); ++count) {
    // From each set (or from none, on a fresh entry) to each other one.
    for (std::size_t to = 0; to < std::size(sets); ++to) {
      for (std::size_t from = 0; from <= std::size(sets); ++from) {
        if (from == to) continue;
        const std::string path = scratchDir() + "/partial-" + std::to_string(from) + "-" +
                                 std::to_string(to) + "-" + std::to_string(count);
        if (mknod(path.c_str(), S_IFREG | 0644, 0) != 0) throw makePosixError(errno);
        setAttributes(path, sets[to].first(count));
        if (from < std::size(sets)) setAttributes(path, sets[from].subspan(count));
      }
    }
  }
  return true;
}

// `folders` folders of `filesPerFolder` empty files each, made in scratchDir()
// and removed by the destructor.
struct ScratchTree {
  ScratchTree(const std::string& name, int folders, int filesPerFolder)
      : root(scratchDir() + "/" + name),
        entries(std::uint64_t{1} * folders * (filesPerFolder + 1)) {
    [[maybe_unused]] static const bool anchored = anchorPartialSets();
    std::atomic<int> failure = mkdir(root.c_str(), 0755) == 0 ? 0 : errno;
    // Making a big tree is most of a run's time: two threads halve it.
    const auto makeHalf = [&](int half) {
      char leaf[32];
      for (int folder = half; folder < folders && failure == 0; folder += 2) {
        std::snprintf(leaf, sizeof leaf, "/folder-%05d", folder);
        const std::string path = root + leaf;
        if (mkdir(path.c_str(), 0755) != 0) failure = errno;
        for (int file = 0; file < filesPerFolder && failure == 0; ++file) {
          std::snprintf(leaf, sizeof leaf, "/file-%05d.jpg", file);
          // One call per empty file rather than open and close.
          if (mknod((path + leaf).c_str(), S_IFREG | 0644, 0) != 0) failure = errno;
        }
      }
    };
    std::thread other(makeHalf, 1);
    makeHalf(0);
    other.join();
    if (failure != 0) throw makePosixError(failure);
  }
  ~ScratchTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  ScratchTree(const ScratchTree&) = delete;
  std::string sampleEntry() const { return root + "/folder-00000/file-00000.jpg"; }

  const std::string root;
  const std::uint64_t entries;  // below the root: every folder and file
};

// A FUSE filesystem over `source` at `target`, for as long as this lives:
// `command` (ending in those two) runs in the foreground in a child, and the
// mount is awaited; unmounting ends the child.
class FuseMount {
 public:
  FuseMount(std::vector<std::string> command, std::string target) : target_(std::move(target)) {
    std::filesystem::create_directories(target_);
    child_ = fork();
    if (child_ == 0) {
      std::vector<char*> argv;
      for (std::string& word : command) argv.push_back(word.data());
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    for (int tries = 0; child_ > 0 && tries < 500 && !mounted(); ++tries) {
      if (waitpid(child_, nullptr, WNOHANG) == child_) child_ = -1;  // it gave up
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~FuseMount() {
    if (mounted()) umount2(target_.c_str(), 0);
    if (child_ > 0) waitpid(child_, nullptr, 0);
  }
  FuseMount(const FuseMount&) = delete;
  bool mounted() const {
    struct statfs info;
    constexpr long kFuse = 0x65735546;
    return statfs(target_.c_str(), &info) == 0 && info.f_type == kFuse;
  }

 private:
  std::string target_;
  pid_t child_ = -1;
};

// Where a round writes: the local disk, or one of the FUSE mounts.
enum class Place { kDisk, kBindfs, kSlow };

// Why the rounds on `place` cannot run here, or "" when they can.
std::string unavailable(Place place) {
  if (place == Place::kDisk) return "";
  if (access("/dev/fuse", R_OK | W_OK) != 0) return "no /dev/fuse";
  if (place == Place::kBindfs) {
    return std::system("command -v bindfs >/dev/null") == 0 ? "" : "bindfs is not installed";
  }
#ifdef QUILLMARK_SLOW_FS_PATH
  return "";
#else
  return "slow_xattr_fs was not built (libfuse3-dev is missing)";
#endif
}

// The mount for `place` over `source` at `target`; none for the local disk.
std::unique_ptr<FuseMount> mountFor(Place place, const std::string& source,
                                    const std::string& target) {
  switch (place) {
    case Place::kDisk:
      return nullptr;
    case Place::kBindfs:
      return std::make_unique<FuseMount>(std::vector<std::string>{"bindfs", "-f", source, target},
                                         target);
    case Place::kSlow:
#ifdef QUILLMARK_SLOW_FS_PATH
      return std::make_unique<FuseMount>(
          std::vector<std::string>{QUILLMARK_SLOW_FS_PATH, source, target}, target);
#endif
      break;
  }
  return nullptr;
}

// A scratch tree reached on `place`: made on the disk (in a source folder the mount serves, where
// there is one), `prepare` run on it before any mount starts so that the mount's own pace does
// not slow the setting up, then reached through the mount.
struct PlacedTree {
  PlacedTree(Place place, const std::string& name, int folders, int filesPerFolder,
             const std::function<void(const std::string& root)>& prepare = {})
      : where(place == Place::kDisk ? "" : place == Place::kBindfs ? "bindfs" : "slow"),
        tree(sourceFolder(where) + name, folders, filesPerFolder) {
    if (prepare) prepare(tree.root);
    mount = mountFor(place, scratchDir() + "/" + sourceFolder(where), scratchDir() + "/" + where);
    root = mount == nullptr ? tree.root : scratchDir() + "/" + where + "/" + name;
  }
  bool mounted() const { return mount == nullptr || mount->mounted(); }

  std::string where;  // the mount's folder in scratchDir(); "" on the disk itself
  ScratchTree tree;
  std::unique_ptr<FuseMount> mount;
  std::string root;  // the tree as the benchmark reaches it

 private:
  // The folder in scratchDir() the mount serves ("" on the disk), made where needed.
  static std::string sourceFolder(const std::string& where) {
    if (where.empty()) return "";
    std::filesystem::create_directories(scratchDir() + "/" + where + "-source");
    return where + "-source/";
  }
};

// The command line's option for each list position.
constexpr const char* kFieldNames[] = {"copyright", "creator", "description", "headline",
                                       "keywords"};

// What Write Folder is measured against: readdir, then lsetxattr of
// `attributes` on the full path of every entry below `path`, links neither
// followed nor written. Folders are told by the type readdir gives, which the
// filesystems worth measuring on (ext4, xfs, btrfs) all give. `path` is the
// walk's one buffer, given back as it came.
void plainWrite(std::string& path, const std::vector<RawAttribute>& attributes) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), closedir);
  if (dir == nullptr) throw makePosixError(errno);
  const std::size_t length = path.size();
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || entry->d_type == DT_LNK) continue;
    path.resize(length);
    path += '/';
    path += name;
    setAttributes(path, attributes);
    if (entry->d_type == DT_DIR) plainWrite(path, attributes);
  }
  path.resize(length);
}

void WalkPeakMemory(benchmark::State& state, std::uint64_t entries) {
  // As many folders as the largest divisor of `entries` up to its square root.
  auto folders = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(entries)));
  while (entries % folders != 0) --folders;
  const ScratchTree tree("memory", static_cast<int>(folders),
                         static_cast<int>(entries / folders) - 1);
  for (auto _ : state) {
    const pid_t child = fork();
    if (child == 0) {
      BenchEditor editor;
      editor.openPanel.answer = tree.root;
      editor.controller.selectFolderButton();
      editor.typeSampleTexts();
      editor.controller.writeFolderButton();
      _exit(editor.alert.messages.empty() ? 0 : 1);
    }
    int status = 1;
    rusage usage = {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0) {
      return state.SkipWithError("the walk failed in its child");
    }
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;  // from KiB
  }
  // A walk that wrote nothing would use little memory too.
  if (!holdsSampleValues(tree.sampleEntry())) return state.SkipWithError("nothing was written");
  state.counters["entries"] = static_cast<double>(tree.entries);
}

// One way of writing the sample values (or the other ones) to every entry below
// the tree's root. Another program's or library's walk joins the rounds as one
// more Method.
struct Method {
  std::string name;
  // To write once; negative when it failed, having said why.
  std::function<double(bool other)> seconds;
};

double timed(const std::function<void()>& write) {
  const Clock::time_point start = Clock::now();
  write();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A program run by the shell, timed with its start; a failure shows on stderr.
Method shellCommand(std::string name, std::function<std::string(bool other)> command) {
  return {std::move(name), [command = std::move(command)](bool other) {
            const std::string line = command(other);
            bool succeeded = false;
            const double seconds = timed([&] {
              FILE* shell = popen(line.c_str(), "r");
              succeeded = shell != nullptr && pclose(shell) == 0;
            });
            return succeeded ? seconds : -1;
          }};
}

std::string hex(const quillmark::Data& bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    text += "0123456789abcdef"[byte >> 4];
    text += "0123456789abcdef"[byte & 15];
  }
  return text;
}

// find | xargs setfattr, one pass per attribute (-mindepth 1 leaves out the
// chosen folder, as the editor does; -h writes a link rather than its
// target), and a Python os.walk loop.
std::vector<Method> tools(const std::string& root, const std::function<const std::vector<RawAttribute>&(bool)>& values) {
  const auto setfattr = [root, values](bool other) {
    std::string command = "true";
    for (const RawAttribute& attribute : values(other)) {
      command += " && find '" + root + "' -mindepth 1 -print0 | xargs -0 setfattr -h -n " +
                 attribute.systemName + " -v 0x" + hex(attribute.value);
    }
    return command;
  };
  const auto python = [root, values](bool other) {
    std::string command =
        "python3 -c 'import os, sys\n"
        "pairs = [(k, bytes.fromhex(v)) for k, v in zip(sys.argv[2::2], sys.argv[3::2])]\n"
        "for folder, dirs, files in os.walk(sys.argv[1]):\n"
        "    for name in dirs + files:\n"
        "        for key, value in pairs:\n"
        "            os.setxattr(os.path.join(folder, name), key, value, follow_symlinks=False)' "
        "'" +
        root + "'";
    for (const RawAttribute& attribute : values(other)) {
      command += " " + attribute.systemName + " " + hex(attribute.value);
    }
    return command;
  };
  return {shellCommand("setfattr", setfattr), shellCommand("python", python)};
}

// With `changing`, every write changes every value: each method writes the
// other texts of its own two sets (Write Folder's, or the peers') than the
// previous method, so never what the tree holds when it starts. Otherwise each
// rewrites the sample values in place.
void WriteFolder(benchmark::State& state, Place place, int folders, int filesPerFolder,
                 bool withTools, bool changing) {
  const PlacedTree placed(place, "write-folder", folders, filesPerFolder);
  if (!placed.mounted()) return state.SkipWithError("the mount did not start");
  const ScratchTree& tree = placed.tree;
  const std::string& root = placed.root;
  BenchEditor editor;
  editor.openPanel.answer = root;
  editor.controller.selectFolderButton();
  editor.typeSampleTexts();
  // Where values change, the peers write values of their own (see kPeerTexts).
  const auto peerValues = [changing](bool other) -> const std::vector<RawAttribute>& {
    return changing ? peerAttributes(other) : sampleAttributes();
  };
  // Every ratio is taken against methods[1], the plain loop.
  std::vector<Method> methods = {
      {"editor",
       [&](bool other) {
         for (std::size_t i = 0; i < kSampleTexts.size(); ++i)
           editor.fields[i].text = (other ? kOtherTexts : kSampleTexts)[i];
         return timed([&] { editor.controller.writeFolderButton(); });
       }},
      {"plain",
       [&, path = root](bool other) mutable {
         return timed([&] { plainWrite(path, peerValues(other)); });
       }},
  };
#ifdef QUILLMARK_CLI_PATH
  methods.push_back(shellCommand("cli", [root](bool other) {
    std::string cli = QUILLMARK_CLI_PATH " write-folder";
    for (std::size_t i = 0; i < kSampleTexts.size(); ++i) {
      cli += std::string(" --") + kFieldNames[i] + " '" + (other ? kOtherTexts : kSampleTexts)[i] +
             "'";
    }
    return cli + " '" + root + "'";
  }));
#endif
  if (withTools) std::ranges::move(tools(root, peerValues), std::back_inserter(methods));
  // The untimed first write creates the values; timed rounds rewrite them in
  // place, so every method does the same work.
  editor.controller.writeFolderButton();
  if (!editor.alert.messages.empty() || !holdsSampleValues(tree.sampleEntry())) {
    return state.SkipWithError("Write Folder did not write the five values");
  }
  std::vector<std::vector<double>> ratios(methods.size());
  std::size_t round = 0;
  bool holdsOther = false;
  for (auto _ : state) {
    std::vector<double> taken(methods.size(), -1);
    for (std::size_t k = 0; k < methods.size(); ++k) {
      const std::size_t i = (k + round) % methods.size();
      holdsOther = changing && !holdsOther;
      taken[i] = methods[i].seconds(holdsOther);
    }
    for (std::size_t i = 0; i < methods.size(); ++i) {
      if (taken[i] > 0) ratios[i].push_back(taken[i] / taken[1]);
    }
    state.SetIterationTime(taken[0]);
    ++round;
  }
  if (!editor.alert.messages.empty()) return state.SkipWithError(editor.alert.messages[0].c_str());
  if (changing) {  // the sample values back, to check
    editor.typeSampleTexts();
    editor.controller.writeFolderButton();
  }
  if (!holdsSampleValues(tree.sampleEntry())) return state.SkipWithError("a method wrote wrongly");
  for (std::size_t i = 0; i < methods.size(); ++i) {
    if (i != 1 && !ratios[i].empty()) state.counters[methods[i].name + "_x"] = median(ratios[i]);
  }
  state.counters["entries"] = static_cast<double>(tree.entries);
}

#ifdef QUILLMARK_CLI_PATH
// write-folder --add-tag, each round giving every entry's tag the other colour (so that its tags
// and its Finder info's label are written), against the plain loop writing the same two
// attributes; beside it write-folder of the five values against the plain loop writing five. The
// counters are each one's median ratio to its own loop, and "tag_per_value_x" the median ratio of
// write-folder's time per attribute written with --add-tag (the tags and the label: two) to its
// time per attribute with the five values: at most 1 means a tag costs no more per value.
void WriteFolderTags(benchmark::State& state, int folders, int filesPerFolder) {
  const PlacedTree placed(Place::kDisk, "write-folder-tags", folders, filesPerFolder);
  const std::string& root = placed.root;
  const auto tagged = [](quillmark::TagColour colour) {
    quillmark::Data info(32, 0);
    info[9] = static_cast<std::uint8_t>(static_cast<unsigned>(colour) << 1);
    return std::vector<RawAttribute>{
        {quillmark::kValueNames[quillmark::kTags].user, quillmark::encodeStringArray({"Work\n" + std::to_string(static_cast<int>(colour))})},
        {quillmark::kFinderInfoNames[static_cast<std::size_t>(quillmark::FinderInfoPlace::kUser)], info}};
  };
  const std::vector<RawAttribute> tags[] = {tagged(quillmark::TagColour::kRed), tagged(quillmark::TagColour::kGreen)};
  const std::vector<std::pair<Method, std::size_t>> methods = {
      {shellCommand("tag",
                    [root](bool other) {
                      return std::string(QUILLMARK_CLI_PATH " write-folder --add-tag Work:") +
                             (other ? "green" : "red") + " '" + root + "'";
                    }),
       1},
      {{"tag_loop", [&, path = root](bool other) mutable { return timed([&] { plainWrite(path, tags[other]); }); }}, 1},
      {shellCommand("five",
                    [root](bool other) {
                      std::string cli = QUILLMARK_CLI_PATH " write-folder";
                      for (std::size_t i = 0; i < kSampleTexts.size(); ++i)
                        cli += std::string(" --") + kFieldNames[i] + " '" + (other ? kOtherTexts : kSampleTexts)[i] + "'";
                      return cli + " '" + root + "'";
                    }),
       3},
      {{"five_loop", [&, path = root](bool other) mutable { return timed([&] { plainWrite(path, sampleAttributes(other)); }); }},
       3},
  };
  std::vector<std::vector<double>> ratios(methods.size());
  std::vector<double> perValue;  // a tag's time per attribute written against the five values'
  bool holdsOther[2] = {};  // the tags', the five values'
  for (auto _ : state) {
    std::vector<double> taken(methods.size(), -1);
    for (std::size_t k = 0; k < methods.size(); ++k) {
      const std::size_t i = (k + ratios[0].size()) % methods.size();
      bool& other = holdsOther[i / 2];
      other = !other;  // every method writes values the entries do not hold yet
      taken[i] = methods[i].first.seconds(other);
    }
    if (std::ranges::any_of(taken, [](double seconds) { return seconds <= 0; }))
      return state.SkipWithError("a method failed");
    for (std::size_t i = 0; i < methods.size(); ++i) ratios[i].push_back(taken[i] / taken[methods[i].second]);
    perValue.push_back((taken[0] / 2) / (taken[2] / 5));  // the tags and the label; the five
    state.SetIterationTime(taken[0]);
  }
  state.counters["tag_x"] = median(ratios[0]);
  state.counters["five_x"] = median(ratios[2]);
  state.counters["tag_per_value_x"] = median(perValue);
  state.counters["entries"] = static_cast<double>(placed.tree.entries);
}
#endif

// The tree commands over a tree whose every entry holds the five values:
// find, export and check against `getfattr -R -d` dumping every attribute, and
// import of the export against `setfattr --restore` of getfattr's dump, the
// plainest ways a user would do the same. Rounds go as Write Folder's do; a
// counter "<command>_x" is the median of its per-round ratios to its peer.
void TreeCommands(benchmark::State& state, Place place, int folders, int filesPerFolder) {
#ifdef QUILLMARK_CLI_PATH
  const PlacedTree placed(place, "tree-commands", folders, filesPerFolder, [](std::string root) {
    plainWrite(root, sampleAttributes());
  });
  if (!placed.mounted()) return state.SkipWithError("the mount did not start");
  const ScratchTree& tree = placed.tree;
  const std::string& where = placed.where;
  // getfattr names the files relative to where it runs; setfattr --restore finds them from there.
  const std::string in = "cd '" + scratchDir() + "/" + where + "' && ";
  const std::string dump = scratchDir() + "/tree-dump.txt", lines = scratchDir() + "/tree-export.jsonl";
  const std::string cli = in + QUILLMARK_CLI_PATH " ";
  if (std::system((in + "getfattr -R -d tree-commands >'" + dump + "' && " + QUILLMARK_CLI_PATH +
                   " export -r tree-commands >'" + lines + "'").c_str()) != 0)
    return state.SkipWithError("getfattr or export failed");
  const auto command = [](std::string name, std::string line) {
    return shellCommand(std::move(name), [line = line + " >/dev/null"](bool) { return line; });
  };
  // Each command with the index of the peer its ratio is taken against.
  const std::vector<std::pair<Method, std::size_t>> methods = {
      {command("getfattr", in + "getfattr -R -d tree-commands"), 0},
      {command("find", cli + "find -r --any harbour tree-commands"), 0},
      {command("export", cli + "export -r tree-commands"), 0},
      {command("check", cli + "check -r tree-commands"), 0},
      {command("setfattr", in + "setfattr --restore='" + dump + "'"), 4},
      {command("import", cli + "import --root tree-commands '" + lines + "'"), 4},
  };
  std::vector<std::vector<double>> ratios(methods.size());
  std::size_t round = 0;
  for (auto _ : state) {
    std::vector<double> taken(methods.size(), -1);
    for (std::size_t k = 0; k < methods.size(); ++k) {
      const std::size_t i = (k + round) % methods.size();
      taken[i] = methods[i].first.seconds(false);
    }
    if (std::ranges::any_of(taken, [](double seconds) { return seconds < 0; }))
      return state.SkipWithError("a command failed");
    for (std::size_t i = 0; i < methods.size(); ++i) ratios[i].push_back(taken[i] / taken[methods[i].second]);
    state.SetIterationTime(taken[0]);
    ++round;
  }
  if (!holdsSampleValues(tree.sampleEntry())) return state.SkipWithError("a command wrote wrongly");
  for (std::size_t i = 0; i < methods.size(); ++i) {
    if (i != methods[i].second) state.counters[methods[i].first.name + "_x"] = median(ratios[i]);
  }
  state.counters["entries"] = static_cast<double>(tree.entries);
#else
  (void)place, (void)folders, (void)filesPerFolder;
  state.SkipWithError("quillmark-cli was not built");
#endif
}

// Rounds of `measured` and `peer`, each round starting with the other; the rounds' time is
// `measured`'s, and the result the median of its ratios to `peer`, or nothing when one failed.
std::optional<double> measuredAgainst(benchmark::State& state, const Method& measured, const Method& peer) {
  std::vector<double> ratios;
  for (auto _ : state) {
    const bool peerFirst = ratios.size() % 2 == 1;
    const double before = peerFirst ? peer.seconds(false) : 0;
    const double taken = measured.seconds(false);
    const double against = peerFirst ? before : peer.seconds(false);
    if (taken < 0 || against <= 0) return std::nullopt;
    ratios.push_back(taken / against);
    state.SetIterationTime(taken);
  }
  return median(ratios);
}

// show of every file of a tree, each holding the five values, against `getfattr -d` dumping the
// same files' attributes, both given the files in one command line by the shell; rounds go as
// Write Folder's do, and counter "show_x" is the median of show's per-round ratios to getfattr.
void ShowItems(benchmark::State& state, Place place, int folders, int filesPerFolder) {
#ifdef QUILLMARK_CLI_PATH
  const PlacedTree placed(place, "show", folders, filesPerFolder, [](std::string root) {
    plainWrite(root, sampleAttributes());
  });
  if (!placed.mounted()) return state.SkipWithError("the mount did not start");
  const std::string in = "cd '" + placed.root + "' && ";
  const std::string items = " folder-*/file-*.jpg";
  // Once, untimed: show reads the values through the mount.
  std::string shown;
  if (FILE* shell = popen((in + QUILLMARK_CLI_PATH " show folder-00000/file-00000.jpg").c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, shell)) shown.append(buffer, got);
    if (pclose(shell) != 0) shown.clear();
  }
  if (shown.find("Headline: " + kSampleTexts[3] + "\n") == std::string::npos)
    return state.SkipWithError("show did not print the values");
  const auto command = [](std::string name, std::string line) {
    return shellCommand(std::move(name), [line = line + " >/dev/null"](bool) { return line; });
  };
  // Show's ratio is taken against methods[0].
  const std::vector<Method> methods = {command("getfattr", in + "getfattr -d" + items),
                                       command("show", in + QUILLMARK_CLI_PATH " show" + items)};
  const std::optional<double> ratio = measuredAgainst(state, methods[1], methods[0]);
  if (!ratio) return state.SkipWithError("a command failed");
  state.counters["show_x"] = *ratio;
  state.counters["entries"] = static_cast<double>(folders) * filesPerFolder;
#else
  (void)place, (void)folders, (void)filesPerFolder;
  state.SkipWithError("quillmark-cli was not built");
#endif
}

// A file manager's list view of one folder filling its columns: each file's values asked of the
// extensions' pool as the listing reaches it, and taken on the asking thread as its main loop
// does, against `getfattr -d` dumping the same files. Counters: "columns_x" the median of the
// per-round ratios, "columns_s" the median seconds a round took to fill every column, and
// "stall_ms" the longest any one call held the asking thread: what the window waits.
void FileManagerColumns(benchmark::State& state, Place place, int files) {
  const PlacedTree placed(place, "columns", 1, files, [](std::string root) {
    plainWrite(root, sampleAttributes());
  });
  if (!placed.mounted()) return state.SkipWithError("the mount did not start");
  std::vector<std::string> paths;
  for (int file = 0; file < files; ++file) {
    char leaf[48];
    std::snprintf(leaf, sizeof leaf, "/folder-00000/file-%05d.jpg", file);
    paths.push_back(placed.root + leaf);
  }
  double stall = 0;
  std::vector<double> seconds;
  const auto held = [&](auto call) {
    const Clock::time_point start = Clock::now();
    auto result = call();
    stall = std::max(stall, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    return result;
  };
  const Method columns{"columns", [&](bool) {
                         const Clock::time_point start = Clock::now();
                         ShownPool pool;
                         for (const std::string& path : paths) held([&] { return pool.request(path); });
                         for (std::size_t shown = 0; shown < paths.size();) {
                           pollfd ready{pool.descriptor(), POLLIN, 0};
                           if (poll(&ready, 1, 60000) != 1) return -1.0;
                           for (const ShownPool::Done& done : held([&] { return pool.takeDone(); })) {
                             if (done.values.fields[kHeadline].text != kSampleTexts[kHeadline]) return -1.0;
                             ++shown;
                           }
                         }
                         seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
                         return seconds.back();
                       }};
  const Method getfattr = shellCommand("getfattr", [&](bool) {
    return "cd '" + placed.root + "' && getfattr -d folder-00000/file-*.jpg >/dev/null";
  });
  const std::optional<double> ratio = measuredAgainst(state, columns, getfattr);
  if (!ratio) return state.SkipWithError("a column was not filled, or getfattr failed");
  state.counters["columns_x"] = *ratio;
  state.counters["columns_s"] = median(seconds);
  state.counters["stall_ms"] = stall;
  state.counters["entries"] = files;
}

// Save over a selection of every file of a tree (the window's Save of many items, on its pool)
// against the same change made one item after another; each round writes the other of two
// headlines, so every write changes a value. A counter "save_x" is the median of their ratios.
void SelectionSave(benchmark::State& state, Place place, int folders, int filesPerFolder) {
  const PlacedTree placed(place, "selection", folders, filesPerFolder);
  if (!placed.mounted()) return state.SkipWithError("the mount did not start");
  const std::string& root = placed.root;
  std::vector<std::filesystem::path> paths;
  for (int folder = 0; folder < folders; ++folder) {
    for (int file = 0; file < filesPerFolder; ++file) {
      char leaf[48];
      std::snprintf(leaf, sizeof leaf, "/folder-%05d/file-%05d.jpg", folder, file);
      paths.push_back(root + leaf);
    }
  }
  Selection selection(paths);
  selection.readAll();
  const auto headline = [](bool other) { return other ? kOtherTexts[3] : kSampleTexts[3]; };
  std::size_t failures = 0;
  const std::vector<Method> methods = {
      {"save",
       [&](bool other) {
         SelectionEdit edit;
         edit.fields[3] = {ValueEdit::Action::kWrite, headline(other)};
         return timed([&] {
           edit.encode();
           failures += saveSelection(selection, edit).failures.size();
         });
       }},
      {"sequential",
       [&](bool other) {
         std::array<ValueChange, kValueCount> changes;
         changes[3] = {ValueEdit::Action::kWrite, headline(other)};
         return timed([&] {
           for (const std::filesystem::path& path : paths) {
             std::array<quillmark::Data, kValueCount> storage;
             failures += changeItem(itemAtPath(path), editsOf(changes, storage)).failures.size();
           }
         });
       }},
  };
  std::vector<double> ratios;
  bool other = false;
  for (auto _ : state) {
    std::array<double, 2> taken{};
    for (std::size_t k = 0; k < methods.size(); ++k) {
      const std::size_t i = (k + ratios.size()) % methods.size();
      other = !other;
      taken[i] = methods[i].seconds(other);
    }
    ratios.push_back(taken[0] / taken[1]);
    state.SetIterationTime(taken[0]);
  }
  if (failures > 0) return state.SkipWithError("a save failed");
  state.counters["save_x"] = median(ratios);
  state.counters["entries"] = static_cast<double>(paths.size());
}

// A selection of every file of a tree opened in the editor, read in the background on its pool
// as the window reads one, against `getfattr -d` of the same files; counter "open_x" is the median
// of the ratios of its rounds.
void SelectionOpen(benchmark::State& state, Place place, int folders, int filesPerFolder) {
  const PlacedTree placed(place, "open", folders, filesPerFolder, [](std::string root) {
    plainWrite(root, sampleAttributes());
  });
  if (!placed.mounted()) return state.SkipWithError("the mount did not start");
  std::vector<std::filesystem::path> paths;
  for (int folder = 0; folder < folders; ++folder) {
    for (int file = 0; file < filesPerFolder; ++file) {
      char leaf[48];
      std::snprintf(leaf, sizeof leaf, "/folder-%05d/file-%05d.jpg", folder, file);
      paths.push_back(placed.root + leaf);
    }
  }
  QueueLoop loop;
  BenchEditor editor(&loop);
  const std::vector<Method> methods = {
      {"open",
       [&](bool) {
         return timed([&] {
           editor.controller.openItems(paths);
           loop.runUntil([&] { return !editor.controller.reading(); });
         });
       }},
      shellCommand("getfattr", [&](bool) {
        return "cd '" + placed.root + "' && getfattr -d folder-*/file-*.jpg >/dev/null";
      })};
  const std::optional<double> ratio = measuredAgainst(state, methods[0], methods[1]);
  if (!ratio || !editor.showsSampleTexts()) return state.SkipWithError("a round failed");
  state.counters["open_x"] = *ratio;
  state.counters["entries"] = static_cast<double>(paths.size());
}

int fromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}
int rounds(int fallback) { return fromEnvironment("QUILLMARK_WALK_ROUNDS", fallback); }

BENCHMARK_CAPTURE(WalkPeakMemory, small, 1000)->Iterations(1);
BENCHMARK_CAPTURE(WalkPeakMemory, large, fromEnvironment("QUILLMARK_MEMORY_ENTRIES", 1000000))
    ->Iterations(1);
BENCHMARK_CAPTURE(WriteFolder, small, Place::kDisk, 100, 200, true, false)
    ->Iterations(rounds(9))
    ->UseManualTime();
BENCHMARK_CAPTURE(WriteFolder, changed, Place::kDisk, 100, 200, true, true)
    ->Iterations(rounds(9))
    ->UseManualTime();
BENCHMARK_CAPTURE(WriteFolder, large, Place::kDisk, 1000, 199, false, false)
    ->Iterations(rounds(5))
    ->UseManualTime();
BENCHMARK_CAPTURE(TreeCommands, small, Place::kDisk, 100, 200)->Iterations(rounds(9))->UseManualTime();
#ifdef QUILLMARK_CLI_PATH
BENCHMARK_CAPTURE(WriteFolderTags, small, 100, 200)->Iterations(rounds(9))->UseManualTime();
#endif

// The rounds on FUSE mounts, or why they are left out.
void registerMountRounds() {
  const struct {
    const char* name;
    Place place;
    int folders, filesPerFolder, rounds;
    bool changing;
  } kMounts[] = {{"WriteFolder/bindfs", Place::kBindfs, 100, 200, 5, false},
                 {"WriteFolder/bindfs_changed", Place::kBindfs, 100, 200, 5, true},
                 {"WriteFolder/slow", Place::kSlow, 10, 99, 3, false}};
  for (const auto& mount : kMounts) {
    if (const std::string why = unavailable(mount.place); !why.empty()) {
      std::printf("%s left out: %s\n", mount.name, why.c_str());
      continue;
    }
    benchmark::RegisterBenchmark(mount.name, WriteFolder, mount.place, mount.folders,
                                 mount.filesPerFolder, true, mount.changing)
        ->Iterations(rounds(mount.rounds))
        ->UseManualTime();
  }
  if (const std::string why = unavailable(Place::kSlow); !why.empty()) {
    std::printf("TreeCommands/slow left out: %s\n", why.c_str());
  } else {
    benchmark::RegisterBenchmark("TreeCommands/slow", TreeCommands, Place::kSlow, 10, 99)
        ->Iterations(rounds(3))
        ->UseManualTime();
    benchmark::RegisterBenchmark("SelectionSave/slow", SelectionSave, Place::kSlow, 10, 100)
        ->Iterations(rounds(3))
        ->UseManualTime();
    benchmark::RegisterBenchmark("ShowItems/slow", ShowItems, Place::kSlow, 10, 100)
        ->Iterations(rounds(3))
        ->UseManualTime();
    benchmark::RegisterBenchmark("SelectionOpen/slow", SelectionOpen, Place::kSlow, 10, 100)
        ->Iterations(rounds(3))
        ->UseManualTime();
    benchmark::RegisterBenchmark("FileManagerColumns/slow", FileManagerColumns, Place::kSlow, 1000)
        ->Iterations(rounds(3))
        ->UseManualTime();
  }
}

// "Write Folder, 20,100 entries: 1.04x the plain loop", a line for each tool
// and mount, and "Write Folder peak memory, 1,000 entries: 2.1 MiB" for each size.
void summarize(const Results& results) {
  const std::map<std::string, const char*> formats = {
      {"editor_x", "Write Folder, %s: %.2fx the plain loop\n"},
      {"cli_x", "quillmark-cli write-folder, %s: %.2fx the plain loop\n"},
      {"setfattr_x", "find | xargs setfattr, %s: %.2fx the plain loop\n"},
      {"python_x", "Python os.walk + os.setxattr, %s: %.2fx the plain loop\n"},
      {"peak_MiB", "Write Folder peak memory, %s: %.1f MiB\n"},
      {"find_x", "quillmark-cli find -r, %s: %.2fx getfattr -R -d\n"},
      {"export_x", "quillmark-cli export -r, %s: %.2fx getfattr -R -d\n"},
      {"check_x", "quillmark-cli check -r, %s: %.2fx getfattr -R -d\n"},
      {"import_x", "quillmark-cli import, %s: %.2fx setfattr --restore\n"},
      {"save_x", "Save of a selection, %s: %.2fx one item after another\n"},
      {"show_x", "quillmark-cli show, %s: %.3fx getfattr -d\n"},
      {"open_x", "A selection opened in the window, %s: %.3fx getfattr -d\n"},
      {"columns_x", "A file manager's columns filled, %s: %.3fx getfattr -d\n"},
      {"columns_s", "A file manager's columns filled, %s: in %.2f s\n"},
      {"stall_ms", "A file manager's window held at most, %s: %.2f ms\n"},
  };
  for (const benchmark::BenchmarkReporter::Run& run : results) {
    const std::string digits = std::to_string(std::llround(run.counters.at("entries").value));
    std::string entries;  // "20,100"
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) entries += ',';
      entries += digits[i];
    }
    entries += " entries";
    const std::string& name = run.run_name.function_name;
    if (name.find("/bindfs") != std::string::npos) entries += " on bindfs";
    if (name.ends_with("/slow")) entries += " on a mount adding 1 ms to each attribute call";
    if (name.ends_with("changed")) entries += ", every value changed";
    for (const auto& [name, counter] : run.counters) {
      if (formats.contains(name)) std::printf(formats.at(name), entries.c_str(), counter.value);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each result shows as it comes, even in a log
  benchmark::SetDefaultTimeUnit(benchmark::kMillisecond);
  registerMountRounds();
  return runBenchmarks(argc, argv, summarize);
}
