// Write Folder over generated trees on disk, against the plainest loop that
// does the same work, in the same process and the same run.
//
// The editor is driven as a user drives it: folder chosen through the folder
// panel, all five fields filled, Write Folder pressed (with a progress
// listener, as the app has one). The reference is plainWrite(): readdir and
// five lsetxattr calls per entry. For scale, two tools a user might reach for
// instead are timed on the same tree: find | xargs setfattr (one pass per
// attribute) and a Python os.walk loop. Methods alternate within each round,
// starting at a different one each round, and each ratio is the median of the
// per-round ratios, so slow drift of the disk or cache hits all alike. CPU
// time of the two in-process methods is shown too: it shows our own cost even
// when other programs load the machine and stretch the wall-clock times.
//
// Rounds of the editor and the plain loop: QUILLMARK_WALK_ROUNDS (default 9 on
// the small tree, 5 on the large); the other programs run in at most 3 rounds
// on the small tree and 1 on the large.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "attrstore/resource_list.h"
#include "bench/bench_support.h"
#include "tests/support/editor_fakes.h"

namespace {

using namespace quillmark;
using namespace quillmark::bench;

struct TreeShape {
  int folders;
  int filesPerFolder;
  int rounds;      // of the editor and the plain loop
  int toolRounds;  // of the other programs, which take longer
};

// Seconds taken, or a negative value when the method could not run.
using Method = std::function<double()>;

std::string hex(const Data& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

bool haveTool(const char* tool) {
  const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// find does not follow links and -mindepth 1 leaves out the chosen folder, as
// the editor does; setfattr -h writes a link itself rather than its target.
Method setfattrPipeline(const std::string& root, const std::vector<RawAttribute>& attributes) {
  std::string command;
  for (const RawAttribute& attribute : attributes) {
    if (!command.empty()) command += " && ";
    command += "find '" + root + "' -mindepth 1 -print0 | xargs -0 setfattr -h -n " +
               attribute.systemName + " -v 0x" + hex(attribute.value);
  }
  return [command] {
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) return -1.0;
    return secondsSince(start);
  };
}

// Timed inside Python: the interpreter's start (and any version-manager shim
// in front of it) is not part of the loop being compared.
Method pythonLoop(const std::string& root, const std::vector<RawAttribute>& attributes) {
  static const char kScript[] =
      "import os, sys, time\n"
      "root = sys.argv[1]\n"
      "pairs = [(sys.argv[i], bytes.fromhex(sys.argv[i + 1])) for i in range(2, len(sys.argv), "
      "2)]\n"
      "start = time.perf_counter()\n"
      "for folder, dirs, files in os.walk(root):\n"
      "    for name in dirs + files:\n"
      "        path = os.path.join(folder, name)\n"
      "        for key, value in pairs:\n"
      "            os.setxattr(path, key, value, follow_symlinks=False)\n"
      "print(time.perf_counter() - start)\n";
  setenv("QUILLMARK_WALK_SCRIPT", kScript, 1);
  std::string command = "python3 -c \"$QUILLMARK_WALK_SCRIPT\" '" + root + "'";
  for (const RawAttribute& attribute : attributes) {
    command += " " + attribute.systemName + " " + hex(attribute.value);
  }
  return [command] {
    double seconds = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
      if (pclose(pipe) != 0) seconds = -1;
    }
    return seconds;
  };
}

// The editor's stored values on one entry, compared with what the plain loop writes.
bool holdsSampleValues(const std::string& path, const std::vector<RawAttribute>& attributes) {
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    try {
      if (readXattr(path, ResourceList::kListOrder[i]) != attributes[i].value) return false;
    } catch (const PosixError&) {
      return false;
    }
  }
  return true;
}

double cpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Timed {
  std::string name;
  Method run;
  bool external;  // another program: run only in the first `toolRounds` rounds
};

void benchTree(const ScratchDir& scratch, const TreeShape& shape, Figures& figures) {
  const std::vector<RawAttribute> attributes = sampleAttributes();
  const std::string root =
      scratch.path() + "/tree-" + std::to_string(shape.folders * (shape.filesPerFolder + 1));
  Clock::time_point start = Clock::now();
  const std::uint64_t entries = makeTree(root, shape.folders, shape.filesPerFolder);
  const std::string size = withCommas(entries) + " entries";
  std::printf("\n%s (%d folders x %d files): made in %.1f s", size.c_str(), shape.folders,
              shape.filesPerFolder, secondsSince(start));

  testing::FakeEditor editor(/*withProgress=*/true);
  chooseFolderWithSampleTexts(editor, root);

  // CPU time of the two in-process methods, per run, beside the wall time.
  std::map<std::string, std::vector<double>> cpu;
  std::vector<Timed> methods = {
      {"editor",
       [&] {
         const double cpuStart = cpuSeconds();
         const Clock::time_point begin = Clock::now();
         editor.editor->writeFolderButton();
         const double taken = secondsSince(begin);
         cpu["editor"].push_back(cpuSeconds() - cpuStart);
         return taken;
       },
       false},
      {"plain loop",
       [&] {
         const double cpuStart = cpuSeconds();
         const Clock::time_point begin = Clock::now();
         if (plainWrite(root, attributes) != entries) return -1.0;
         const double taken = secondsSince(begin);
         cpu["plain loop"].push_back(cpuSeconds() - cpuStart);
         return taken;
       },
       false},
  };
  if (haveTool("setfattr") && haveTool("find") && haveTool("xargs")) {
    methods.push_back({"find | xargs setfattr", setfattrPipeline(root, attributes), true});
  } else {
    std::printf("find | xargs setfattr: skipped, setfattr is not installed\n");
  }
  if (haveTool("python3")) {
    methods.push_back({"python os.walk", pythonLoop(root, attributes), true});
  } else {
    std::printf("python os.walk: skipped, python3 is not installed\n");
  }

  // The editor's first, untimed, run creates the attributes and warms the
  // caches; timed runs rewrite values already in place, so every method does
  // the same work.
  start = Clock::now();
  methods[0].run();
  std::printf(", first write %.1f s\n", secondsSince(start));
  cpu.clear();
  const std::string sample = root + "/folder-00000/file-00000.jpg";
  if (!editor.alerts.alerts.empty() || !holdsSampleValues(sample, attributes)) {
    throw std::runtime_error("the editor's walk did not write the expected values");
  }

  std::map<std::string, std::vector<double>> seconds;
  std::map<std::string, std::vector<double>> ratios;
  for (int round = 0; round < shape.rounds; ++round) {
    std::vector<Timed*> order;
    for (Timed& method : methods) {
      if (!method.external || round < shape.toolRounds) order.push_back(&method);
    }
    std::rotate(order.begin(), order.begin() + round % static_cast<int>(order.size()), order.end());
    std::map<std::string, double> thisRound;
    for (Timed* method : order) {
      const double taken = method->run();
      if (taken < 0) continue;
      thisRound[method->name] = taken;
      seconds[method->name].push_back(taken);
    }
    if (!thisRound.count("plain loop")) throw std::runtime_error("the plain loop failed");
    for (const auto& [name, taken] : thisRound) {
      ratios[name].push_back(taken / thisRound["plain loop"]);
    }
  }
  if (!editor.alerts.alerts.empty()) throw std::runtime_error("the editor raised an alert");

  std::printf("%-22s %6s %9s %9s %9s %9s %9s %9s\n", "method", "runs", "median s", "min s", "max s",
              "us/entry", "vs plain", "cpu s");
  for (const Timed& method : methods) {
    const std::vector<double>& times = seconds[method.name];
    if (times.empty()) {
      std::printf("%-22s %6s\n", method.name.c_str(), "failed");
      continue;
    }
    const double middle = median(times);
    const auto cpuTimes = cpu.find(method.name);
    std::printf("%-22s %6zu %9.3f %9.3f %9.3f %9.2f %8.2fx %9s\n", method.name.c_str(),
                times.size(), middle, *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()),
                middle * 1e6 / static_cast<double>(entries), median(ratios[method.name]),
                cpuTimes == cpu.end() ? "-" : format("%.3f", median(cpuTimes->second)).c_str());
  }
  std::printf(
      "(vs plain: median of the ratios within each round, which pairs runs made close\n"
      " together; it can differ from the ratio of the median times on a busy machine)\n");

  const std::string prefix = "write folder, " + size + ": ";
  figures.add({prefix + "plain loop", format("%.3f s", median(seconds["plain loop"])), "", true});
  const double editorRatio = median(ratios["editor"]);
  figures.add(
      {prefix + "editor / plain", format("%.2fx", editorRatio), "<= 1.10x", editorRatio <= 1.10});
  figures.add({prefix + "editor / plain, CPU time",
               format("%.2fx", median(cpu["editor"]) / median(cpu["plain loop"])), "", true});
  for (const char* tool : {"find | xargs setfattr", "python os.walk"}) {
    const auto found = ratios.find(tool);
    figures.add({prefix + tool + " / plain",
                 found == ratios.end() ? "-" : format("%.2fx", median(found->second)), "", true});
  }

  start = Clock::now();
  removeTree(root);
  std::printf("removed in %.1f s\n", secondsSince(start));
}

int roundsFromEnvironment(int fallback) {
  const char* text = std::getenv("QUILLMARK_WALK_ROUNDS");
  const int rounds = text != nullptr ? std::atoi(text) : 0;
  return rounds > 0 ? rounds : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows as it happens, even in a log
  Figures figures(argc, argv);
  ScratchDir scratch;
  std::printf("Write Folder: trees in %s (%s)\n", scratch.path().c_str(),
              scratch.filesystem().c_str());
  // Everything runs in a child, so an interrupted run still removes its trees.
  return runGuarded([&] {
    anchorPartialSets(scratch.path() + "/anchors", sampleAttributes());
    const int small = roundsFromEnvironment(9);
    const int large = roundsFromEnvironment(5);
    benchTree(scratch, {100, 200, small, std::min(small, 3)}, figures);
    benchTree(scratch, {1000, 199, large, 1}, figures);
    return figures.finish() ? 0 : 1;
  });
}
