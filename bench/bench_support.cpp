// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_support.h"

#include <signal.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "attrstore/codec.h"
#include "attrstore/names.h"

namespace quillmark::bench {

namespace {

// Where a signal handler can read it without allocating.
char scratchPathForSignals[4096];
pid_t scratchOwner = 0;

// On Ctrl+C the process turns into a shell removing its scratch folder: exec
// is safe in a signal handler, removing a tree by hand is not. Forked children
// (the memory walks) just end.
extern "C" void removeScratchAndExit(int signal) {
  if (getpid() == scratchOwner) {
    const char* const argv[] = {"sh", "-c", "rm -rf -- \"$0\"; exit 130", scratchPathForSignals,
                                nullptr};
    execv("/bin/sh", const_cast<char* const*>(argv));
  }
  _exit(128 + signal);
}

struct Scratch {
  Scratch() {
    const char* configured = std::getenv("QUILLMARK_BENCH_DIR");
    path = configured != nullptr && *configured != '\0' ? configured : "/var/tmp";
    path += "/quillmark-bench-XXXXXX";
    if (mkdtemp(path.data()) == nullptr) throw makePosixError(errno);
    std::snprintf(scratchPathForSignals, sizeof scratchPathForSignals, "%s", path.c_str());
    scratchOwner = getpid();
    for (int number : {SIGINT, SIGTERM, SIGHUP}) ::signal(number, removeScratchAndExit);
  }
  ~Scratch() {
    std::error_code ignored;
    if (getpid() == scratchOwner) std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

// Google Benchmark's console table, then the summary lines.
struct SummaryReporter final : benchmark::ConsoleReporter {
  using ConsoleReporter::ConsoleReporter;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      failed = failed || run.error_occurred;
      if (!run.error_occurred) results.push_back(run);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    GetOutputStream() << std::endl;
    summarize(results);
  }

  std::function<void(const Results&)> summarize;
  Results results;
  bool failed = false;
};

// `texts` as stored, in list order.
std::vector<RawAttribute> encodedAttributes(const std::array<std::string, kFieldCount>& texts) {
  std::vector<RawAttribute> encoded;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    encoded.push_back({kValueNames[i].user, encodeAttributeValue(texts[i])});
  }
  return encoded;
}

}  // namespace

const std::array<std::string, kFieldCount> kSampleTexts = {
    "\u00a9 2024 Maren Holt. All rights reserved.", "Maren Holt",
    "Fishing boats leaving the inner harbour as the street lamps go out.", "Harbour lights at dawn",
    "harbour, dawn, boats, pier, long exposure"};

const std::array<std::string, kFieldCount> kOtherTexts = {
    "\u00a9 2025 Jonas Vik. Some rights reserved.", "Jonas Vik",
    "Gulls over the breakwater while the first ferry turns in the channel.", "Ferry at first light",
    "ferry, gulls, breakwater, channel, morning"};

const std::array<std::array<std::string, kFieldCount>, 2> kPeerTexts = {{
    {"\u00a9 2023 Ines Brandt. All rights reserved.", "Ines Brandt",
     "Nets drying on the quay wall in the last of the evening sun.", "Nets on the quay",
     "nets, quay, evening, fishing, harbour wall"},
    {"\u00a9 2022 Tomas Lund. Licensed for editorial use.", "Tomas Lund",
     "A trawler unloading its catch under the floodlights of the fish hall.", "Night landing",
     "trawler, catch, floodlights, night, fish hall"},
}};

const std::vector<RawAttribute>& sampleAttributes(bool other) {
  static const std::vector<RawAttribute> sample = encodedAttributes(kSampleTexts),
                                         others = encodedAttributes(kOtherTexts);
  return other ? others : sample;
}

const std::vector<RawAttribute>& peerAttributes(bool other) {
  static const std::array<std::vector<RawAttribute>, 2> peers = {encodedAttributes(kPeerTexts[0]),
                                                                 encodedAttributes(kPeerTexts[1])};
  return peers[other ? 1 : 0];
}

void setAttributes(const std::string& path, std::span<const RawAttribute> attributes) {
  for (const RawAttribute& attribute : attributes) {
    if (lsetxattr(path.c_str(), attribute.systemName.c_str(), attribute.value.data(),
                  attribute.value.size(), 0) != 0) {
      throw makePosixError(errno);
    }
  }
}

void setSampleAttributes(const std::string& path) { setAttributes(path, sampleAttributes()); }

bool holdsSampleValues(const std::string& path) {
  for (const RawAttribute& attribute : sampleAttributes()) {
    std::uint8_t value[1024];
    const ssize_t size = getxattr(path.c_str(), attribute.systemName.c_str(), value, sizeof value);
    if (size < 0 || Data(value, value + size) != attribute.value) return false;
  }
  return true;
}

void QueueLoop::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  posted_.notify_one();
}

void QueueLoop::runUntil(const std::function<bool()>& done) {
  while (!done()) {
    std::vector<std::function<void()>> now;
    {
      std::unique_lock lock(mutex_);
      posted_.wait(lock, [this] { return !tasks_.empty(); });
      now.swap(tasks_);
    }
    for (auto& task : now) task();
  }
}

BenchEditor::BenchEditor(EventLoop* loop)
    : controller(EditorOutlets{fields[3], fields[2], fields[1], fields[0], fields[4], inert, inert,
                               inert, inert, inert, inert, inert, keywordList, tagsBox, tagList},
                 EditorServices{.openPanel = openPanel, .savePanel = inert, .alert = alert,
                                .progress = &inert, .loop = loop},
                 &inert) {
  controller.viewDidLoad();
  controller.viewDidAppear();
}

void BenchEditor::typeSampleTexts() {
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i].text = kSampleTexts[i];
}

bool BenchEditor::showsSampleTexts() const {
  for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
    if (fields[i].text != kSampleTexts[i]) return false;
  }
  // Keywords show in their list, each on its own.
  std::string keywords;
  for (const ValueCount& keyword : keywordList.shown) keywords += (keywords.empty() ? "" : ", ") + keyword.text;
  return keywords == kSampleTexts[4];
}

const std::string& scratchDir() {
  static const Scratch scratch;
  return scratch.path;
}

double seconds(const Results& results, std::string_view name, bool cpuTime) {
  for (const benchmark::BenchmarkReporter::Run& run : results) {
    if (run.run_name.function_name != name) continue;
    return (cpuTime ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime()) /
           benchmark::GetTimeUnitMultiplier(run.time_unit);
  }
  return 0;
}

int runBenchmarks(int argc, char** argv, const std::function<void(const Results&)>& summarize) {
  // Any other format is left to Google Benchmark's own reporter, untouched.
  const bool console = std::none_of(argv + 1, argv + argc, [](std::string_view argument) {
    return argument.starts_with("--benchmark_format=") && argument != "--benchmark_format=console";
  });
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter(isatty(STDOUT_FILENO) ? SummaryReporter::OO_Color
                                                 : SummaryReporter::OO_None);
  reporter.summarize = summarize;
  benchmark::RunSpecifiedBenchmarks(console ? &reporter : nullptr);
  benchmark::Shutdown();
  return reporter.failed ? 1 : 0;
}

}  // namespace quillmark::bench
