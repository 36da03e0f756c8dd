// Open and Save of one file through the editor, beside the bare system calls
// each makes; the difference is the editor's own time (decoding, encoding,
// controls, error handling).
//
// Open: the panel answers a file carrying all five values; the calls are five
// reads of two getxattr each (size, then value). Save: the five values shown
// are written back; the calls are five setxattr, then the same ten getxattr,
// as Save shows what is stored afterwards. They are compared in CPU time,
// system time included, which other programs on a shared machine do not inflate.
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "bench/bench_support.h"

namespace {

using namespace quillmark::bench;

// A file holding the five values, and an editor that has opened it.
class OneFile : public benchmark::Fixture {
 public:
  using benchmark::Fixture::SetUp;
  using benchmark::Fixture::TearDown;

  void SetUp(benchmark::State& state) override {
    path_ = scratchDir() + "/harbour-at-dawn.jpg";
    if (mknod(path_.c_str(), S_IFREG | 0644, 0) != 0) return state.SkipWithError("no file");
    setSampleAttributes(path_);
    editor_.openPanel.answer = path_;
    editor_.controller.openButton();
    if (!editor_.showsSampleTexts()) state.SkipWithError("Open did not show the stored values");
  }

  void TearDown(benchmark::State& state) override {
    if (!editor_.alert.messages.empty() || !holdsSampleValues(path_)) {
      state.SkipWithError("the editor raised an alert or lost a value");
    }
    std::filesystem::remove(path_);
  }

 protected:
  void getAll() {
    char buffer[4096];
    for (const RawAttribute& attribute : sampleAttributes()) {
      const ssize_t size = getxattr(path_.c_str(), attribute.systemName.c_str(), nullptr, 0);
      benchmark::DoNotOptimize(getxattr(path_.c_str(), attribute.systemName.c_str(), buffer,
                                        static_cast<std::size_t>(size)));
    }
  }

  std::string path_;
  BenchEditor editor_;
};

BENCHMARK_F(OneFile, Open)(benchmark::State& state) {
  for (auto _ : state) editor_.controller.openButton();
}
BENCHMARK_F(OneFile, Open_10_getxattr)(benchmark::State& state) {
  for (auto _ : state) getAll();
}
BENCHMARK_F(OneFile, Save)(benchmark::State& state) {
  for (auto _ : state) editor_.controller.saveButton();
}
BENCHMARK_F(OneFile, Save_5_setxattr_10_getxattr)(benchmark::State& state) {
  for (auto _ : state) {
    setSampleAttributes(path_);
    getAll();
  }
}

// "Open: 22.3 us through the editor, 20.3 us in its 10 getxattr: 2.0 us its own"
void summarize(const Results& results) {
  for (const auto& [action, callsName, calls] :
       {std::tuple{"Open", "OneFile/Open_10_getxattr", "10 getxattr"},
        std::tuple{"Save", "OneFile/Save_5_setxattr_10_getxattr", "5 setxattr + 10 getxattr"}}) {
    const double editor = seconds(results, std::string("OneFile/") + action, true) * 1e6;
    const double bare = seconds(results, callsName, true) * 1e6;
    if (editor == 0 || bare == 0) continue;
    std::printf("%s: %.1f us through the editor, %.1f us in its %s: %.1f us its own\n", action,
                editor, bare, calls, editor - bare);
  }
}

}  // namespace

int main(int argc, char** argv) { return runBenchmarks(argc, argv, summarize); }
