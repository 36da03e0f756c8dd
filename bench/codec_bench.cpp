// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Encode and decode of attribute values, side by side with libplist's C API
// and Python's plistlib, on short ASCII, short non-ASCII, 64 KiB of mostly
// Latin text and 64 KiB of CJK text.
//
// plistlib is timed once, by one python3 process running timeit (best of
// three, in the process's CPU time) over every case; its per-operation times
// are fed in as manual times so that they appear in the same table. The
// summary says how many times faster (or slower) our codec is than each of the
// others, in CPU time, so that what other programs on a shared machine take
// does not count.
#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/codec.h"
#include "bench/bench_support.h"

namespace {

using quillmark::Data;

struct Case {
  std::string name;
  std::string text;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> cases = [] {
    // 64 KiB of whole pieces, filled up with dots.
    const auto fill = [](std::initializer_list<std::string_view> pieces) {
      std::string text;
      for (auto piece = pieces.begin(); text.size() + piece->size() <= 65536;) {
        text += *piece;
        if (++piece == pieces.end()) piece = pieces.begin();
      }
      return text.append(65536 - text.size(), '.');
    };
    return std::vector<Case>{
        {"short_ascii", "Quarterly report, draft 3"},
        {"short_nonascii", "Caf\u00e9 d\u00e9j\u00e0 vu \U0001F600"},
        {"64KiB_latin", fill({"Lorem ipsum ", "dolor & sit ", "\u00e9t\u00e9 ", "<amet> "})},
        {"64KiB_cjk", fill({"\u65e5\u672c\u8a9e\u306e\u6587\u7ae0", "\u3001",
                            "\u4e2d\u6587\u5b57\u7b26", "\u3002", "\ud55c\uad6d\uc5b4 "})}};
  }();
  return cases;
}

// plistlib's CPU nanoseconds per operation, keyed "encode/<case>" and
// "decode/<case>"; empty when python3 cannot be run. The texts go through the
// environment, which holds them unchanged whatever characters they contain.
std::map<std::string, double> timePlistlib() {
  std::string command =
      "python3 -c 'import os, plistlib, sys, time, timeit\n"
      "for name in sys.argv[1:]:\n"
      "    text = os.environ[\"QUILLMARK_CASE_\" + name]\n"
      "    value = plistlib.dumps(text, fmt=plistlib.FMT_BINARY)\n"
      "    for op, fn in ((\"encode\", lambda: plistlib.dumps(text, fmt=plistlib.FMT_BINARY)),\n"
      "                   (\"decode\", lambda: plistlib.loads(value))):\n"
      "        timer = timeit.Timer(fn, timer=time.process_time)\n"
      "        n, _ = timer.autorange()\n"
      "        print(op + \"/\" + name, min(timer.repeat(3, n)) / n * 1e9)'";
  for (const Case& c : cases()) {
    setenv(("QUILLMARK_CASE_" + c.name).c_str(), c.text.c_str(), 1);
    command += " " + c.name;
  }
  std::map<std::string, double> nanoseconds;
  if (FILE* python = popen(command.c_str(), "r")) {
    char key[64];
    double value = 0;
    while (std::fscanf(python, "%63s %lf", key, &value) == 2) nanoseconds[key] = value;
    pclose(python);
  }
  return nanoseconds;
}

// plistlib's time for `key`, taken for every case at once the first time one
// runs, so that a filtered run does not wait for Python.
void Plistlib(benchmark::State& state, const std::string& key) {
  static const std::map<std::string, double> nanoseconds = timePlistlib();
  const auto found = nanoseconds.find(key);
  if (found == nanoseconds.end()) return state.SkipWithError("python3 plistlib did not run");
  for (auto _ : state) state.SetIterationTime(found->second * 1e-9);
}

void registerAll() {
  for (const Case& c : cases()) {
    const std::string& text = c.text;
    const Data value = quillmark::encodeAttributeValue(text);
    benchmark::RegisterBenchmark(("encode/" + c.name + "/quillmark").c_str(), [&](auto& state) {
      for (auto _ : state) benchmark::DoNotOptimize(quillmark::encodeAttributeValue(text));
    });
    benchmark::RegisterBenchmark(("encode/" + c.name + "/libplist").c_str(), [&](auto& state) {
      for (auto _ : state) {
        plist_t node = plist_new_string(text.c_str());
        char* out = nullptr;
        uint32_t length = 0;
        plist_to_bin(node, &out, &length);
        benchmark::DoNotOptimize(out);
        plist_to_bin_free(out);
        plist_free(node);
      }
    });
    benchmark::RegisterBenchmark(("decode/" + c.name + "/quillmark").c_str(), [value](auto& state) {
      for (auto _ : state) benchmark::DoNotOptimize(quillmark::decodeAttributeValue(value));
    });
    benchmark::RegisterBenchmark(("decode/" + c.name + "/libplist").c_str(), [value](auto& state) {
      for (auto _ : state) {
        plist_t node = nullptr;
        plist_from_bin(reinterpret_cast<const char*>(value.data()),
                       static_cast<uint32_t>(value.size()), &node);
        uint64_t length = 0;
        benchmark::DoNotOptimize(plist_get_string_ptr(node, &length));
        plist_free(node);
      }
    });
    for (const std::string& key : {"encode/" + c.name, "decode/" + c.name}) {
      benchmark::RegisterBenchmark((key + "/plistlib").c_str(), Plistlib, key)->UseManualTime();
    }
  }
}

// "encode/short_ascii: 89.8x faster than libplist, 145.6x faster than plistlib"
void summarize(const quillmark::bench::Results& results) {
  using quillmark::bench::seconds;
  for (const benchmark::BenchmarkReporter::Run& run : results) {
    const std::string& name = run.run_name.function_name;
    if (!name.ends_with("/quillmark")) continue;
    const std::string base = name.substr(0, name.rfind('/'));
    std::printf("%s:", base.c_str());
    const char* separator = "";
    // plistlib's manual times are its CPU times.
    for (const auto& [other, cpuTime] :
         {std::pair{"libplist", true}, std::pair{"plistlib", false}}) {
      const double ratio =
          seconds(results, base + "/" + other, cpuTime) / seconds(results, name, true);
      if (ratio == 0) continue;
      std::printf("%s %.1fx %s than %s", separator, ratio >= 1 ? ratio : 1 / ratio,
                  ratio >= 1 ? "faster" : "slower", other);
      separator = ",";
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  registerAll();
  return quillmark::bench::runBenchmarks(argc, argv, summarize);
}
