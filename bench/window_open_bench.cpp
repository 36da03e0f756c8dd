// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A large selection opened in the real window, on Qt's offscreen platform: from a new window
// (built from its interface description and shown) to every item's values read and shown, beside
// `getfattr -d` on the same items in the same run. The items are files on the disk, each holding
// the five sample values. The process's own start is startup_bench.sh's.
//
// Counters: "window_x" is the window's time over getfattr's; "KiB_per_item" what each item adds to
// the resident memory of a process holding one window of them.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_delegate.h"
#include "app/document.h"
#include "app/document_controller.h"
#include "bench/bench_support.h"

namespace {

using namespace quillmark::bench;
namespace fs = std::filesystem;

// The resident memory of this process, in KiB.
long residentKiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The paths of `count` files in the benchmark's folder for them.
std::vector<fs::path> itemPaths(int count) {
  const fs::path folder = scratchDir() + "/window-open-" + std::to_string(count);
  std::vector<fs::path> items;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo-%05d.jpg", i);
    items.push_back(folder / name);
  }
  return items;
}

// `count` files holding the sample values, made once per count.
const std::vector<fs::path>& itemsOnDisk(int count) {
  static std::map<int, std::vector<fs::path>> made;
  std::vector<fs::path>& items = made[count];
  if (!items.empty()) return items;
  items = itemPaths(count);
  fs::create_directories(items.front().parent_path());
  for (const fs::path& item : items) {
    std::ofstream(item).put('x');
    setSampleAttributes(item);
  }
  return items;
}

// The window's whole open: a new window, the items given to it, the event loop run until read.
quillmark::Document* openWindow(quillmark::DocumentController& documents, std::vector<fs::path> items) {
  quillmark::Document* document = documents.openDocument(std::move(items));
  while (document->reading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return document;
}

double getfattrSeconds(const std::vector<fs::path>& items) {
  // One getfattr for all, as a user would: the list goes through xargs to stay within ARG_MAX.
  const std::string list = scratchDir() + "/window-open-list";
  {
    std::ofstream out(list);
    for (const fs::path& item : items) out << item.native() << '\n';
  }
  QElapsedTimer clock;
  clock.start();
  const int status =
      std::system(("xargs -d '\\n' getfattr --absolute-names -d < '" + list + "' > /dev/null").c_str());
  const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  return status == 0 ? seconds : 0;
}

void OpenSelection(benchmark::State& state) {
  const std::vector<fs::path>& items = itemsOnDisk(static_cast<int>(state.range(0)));
  quillmark::AppDelegate delegate([](const QUrl&) { return true; });
  double window = 0, peer = 0;
  for (auto _ : state) {
    quillmark::DocumentController documents(delegate);
    documents.setNativeDialogsAllowed(false);
    QElapsedTimer clock;
    clock.start();
    openWindow(documents, items);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    state.SetIterationTime(seconds);
    window += seconds;
    state.PauseTiming();
    peer += getfattrSeconds(items);
    state.ResumeTiming();
  }
  if (peer == 0) return state.SkipWithError("getfattr failed");
  state.counters["window_x"] = window / peer;
  state.counters["getfattr_s"] = peer / static_cast<double>(state.iterations());
}
BENCHMARK(OpenSelection)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// What a process holding one window of `count` items has resident, in KiB: measured in a process
// of its own (this program, run again), so that one count's memory does not stand in another's.
long residentWithWindowOf(int count) {
  itemsOnDisk(count);
  const std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --resident-with-window-of=" +
                              std::to_string(count) + " 2>/dev/null";
  long resident = 0;
  if (FILE* child = popen(command.c_str(), "r")) {
    if (std::fscanf(child, "%ld", &resident) != 1) resident = 0;
    if (pclose(child) != 0) resident = 0;
  }
  return resident;
}

// Resident memory per item: a window of 20,000 items against one of 10,000.
void MemoryPerItem(benchmark::State& state) {
  long ten = 0, twenty = 0;
  for (auto _ : state) {
    ten = residentWithWindowOf(10000);
    twenty = residentWithWindowOf(20000);
  }
  if (ten == 0 || twenty == 0) return state.SkipWithError("the measuring process failed");
  state.counters["MiB_10000"] = static_cast<double>(ten) / 1024;
  state.counters["MiB_20000"] = static_cast<double>(twenty) / 1024;
  state.counters["KiB_per_item"] = static_cast<double>(twenty - ten) / 10000;
}
BENCHMARK(MemoryPerItem)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The window without a display: Qt draws it offscreen, as it would on one, and its platform's
  // notes on what it cannot do (raise a window) would bury the results.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  QApplication app(argc, argv);
  constexpr std::string_view kMeasure = "--resident-with-window-of=";
  if (argc == 2 && std::string_view(argv[1]).starts_with(kMeasure)) {
    const int count = std::atoi(argv[1] + kMeasure.size());
    quillmark::AppDelegate delegate([](const QUrl&) { return true; });
    quillmark::DocumentController documents(delegate);
    documents.setNativeDialogsAllowed(false);
    // The window alone holds the paths, as when they come from the command line.
    openWindow(documents, itemPaths(count));
    std::printf("%ld\n", residentKiB());
    return 0;
  }
  return runBenchmarks(argc, argv, [](const Results&) {});
}
