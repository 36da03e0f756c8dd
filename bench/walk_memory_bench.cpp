// Peak resident memory of Write Folder over 1,000 entries and over 1,000,000:
// the walk keeps nothing per entry, so the two peaks should differ by little.
//
// Each walk runs in its own child, forked from the same small process, with
// all five fields filled; the peak is the child's ru_maxrss from wait4. Both
// trees are empty files in about sqrt(n) folders, made fresh on disk for the
// run and removed afterwards.
//
// QUILLMARK_MEMORY_ENTRIES sets the large size (default 1,000,000); making and
// removing that many files is most of this benchmark's time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "attrstore/resource_list.h"
#include "bench/bench_support.h"
#include "tests/support/editor_fakes.h"

namespace {

using namespace quillmark;
using namespace quillmark::bench;

struct WalkResult {
  std::uint64_t entries = 0;
  double peakMiB = 0;
  double walkSeconds = 0;
};

// Write Folder over `root` in a fresh child; throws when the child fails.
WalkResult walkInChild(const std::string& root) {
  std::fflush(nullptr);
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child < 0) throw makePosixError(errno);
  if (child == 0) {
    int status = 1;
    try {
      testing::FakeEditor editor(/*withProgress=*/true);
      chooseFolderWithSampleTexts(editor, root);
      editor.editor->writeFolderButton();
      status = editor.alerts.alerts.empty() ? 0 : 2;
    } catch (...) {
    }
    _exit(status);
  }
  int status = 0;
  rusage usage = {};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw makePosixError(errno);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the walk failed in its child (status " + std::to_string(status) +
                             ")");
  }
  WalkResult result;
  result.walkSeconds = secondsSince(start);
  result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  return result;
}

WalkResult measure(const ScratchDir& scratch, std::uint64_t wanted) {
  // About as many folders as entries in each, and exactly `wanted` entries:
  // the largest divisor up to the square root folders of (wanted / folders - 1) files.
  std::uint64_t folders = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(wanted)));
  while (folders > 1 && wanted % folders != 0) --folders;
  folders = std::max<std::uint64_t>(folders, 1);
  const int files = static_cast<int>(wanted / folders) - 1;
  const std::string root = scratch.path() + "/tree-" + std::to_string(wanted);
  Clock::time_point start = Clock::now();
  const std::uint64_t entries = makeTree(root, static_cast<int>(folders), files);
  const double made = secondsSince(start);
  WalkResult result = walkInChild(root);
  result.entries = entries;
  // Checked on one file: a walk that wrote nothing would also use little memory.
  const std::string sample = root + "/folder-00000/file-00000.jpg";
  if (readXattr(sample, ResourceList::kListOrder[0]) != sampleAttributes()[0].value) {
    throw std::runtime_error("the walk did not write " + sample);
  }
  start = Clock::now();
  removeTree(root);
  std::printf("%14s entries: made %6.1f s, walked %6.1f s, removed %6.1f s, peak %6.1f MiB\n",
              withCommas(entries).c_str(), made, result.walkSeconds, secondsSince(start),
              result.peakMiB);
  std::fflush(stdout);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows as it happens, even in a log
  Figures figures(argc, argv);
  const char* configured = std::getenv("QUILLMARK_MEMORY_ENTRIES");
  const long long requested = configured != nullptr ? std::atoll(configured) : 0;
  const std::uint64_t large = requested >= 1000 ? static_cast<std::uint64_t>(requested) : 1000000;
  ScratchDir scratch;
  std::printf("Write Folder peak memory, five fields filled: trees in %s (%s)\n",
              scratch.path().c_str(), scratch.filesystem().c_str());
  return runGuarded([&] {
    anchorPartialSets(scratch.path() + "/anchors", sampleAttributes());
    const WalkResult small = measure(scratch, 1000);
    const WalkResult big = measure(scratch, large);
    const double difference = big.peakMiB - small.peakMiB;
    figures.add({"peak memory, walk of " + withCommas(small.entries) + " entries",
                 format("%.1f MiB", small.peakMiB), "", true});
    figures.add({"peak memory, walk of " + withCommas(big.entries) + " entries",
                 format("%.1f MiB", big.peakMiB), "", true});
    figures.add(
        {"peak memory difference", format("%+.1f MiB", difference), "<= 20 MiB", difference <= 20});
    return figures.finish() ? 0 : 1;
  });
}
