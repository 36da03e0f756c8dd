// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Open and Save of one file through the editor, beside the bare system calls
// each makes; the difference is the editor's own time (decoding, encoding,
// controls, error handling).
//
// Open: the panel answers a file carrying all five values; the calls are five
// reads of two getxattr each (size, then value). Save: the four texts are
// changed and saved, then changed back and saved; the calls are four setxattr,
// then the same ten getxattr, as Save shows what is stored afterwards, twice. They are compared in CPU time,
// system time included, which other programs on a shared machine do not inflate.
//
// Open of an image: the same values on a 30 MB JPEG whose IPTC and XMP hold
// the sample texts too; beside the getxattr calls, the bare calls read its
// metadata (open, one read of everything before the scan data, close).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    open(state);
  }

 protected:
  void open(benchmark::State& state) {
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

// A JPEG of 30 MB: its metadata, as exiv2 writes the sample texts, then scan
// data that exiv2 never reads.
class OneImage : public OneFile {
 public:
  void SetUp(benchmark::State& state) override {
    path_ = scratchDir() + "/harbour-at-dawn-30mb.jpg";
    try {
      std::ofstream(path_, std::ios::binary) << "\xFF\xD8\xFF\xD9";
      auto image = Exiv2::ImageFactory::open(path_);
      image->iptcData()["Iptc.Application2.Copyright"] = kSampleTexts[0];
      image->iptcData()["Iptc.Application2.Byline"] = kSampleTexts[1];
      image->xmpData()["Xmp.dc.description"] = kSampleTexts[2];
      image->xmpData()["Xmp.photoshop.Headline"] = kSampleTexts[3];
      image->xmpData()["Xmp.dc.subject"] = kSampleTexts[4];
      image->writeMetadata();
    } catch (const std::exception& error) {
      return state.SkipWithError(error.what());
    }
    std::ifstream in(path_, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    bytes.resize(bytes.size() - 2);  // the end of image
    metadata_.resize(bytes.size());
    bytes += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    bytes.resize(30 << 20, '\x55');
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes << "\xFF\xD9";
    open(state);
  }

 protected:
  void readMetadata() {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(read(fd, metadata_.data(), metadata_.size()));
    close(fd);
  }

  std::string metadata_;
};

BENCHMARK_F(OneFile, Open)(benchmark::State& state) {
  for (auto _ : state) editor_.controller.openButton();
}
BENCHMARK_F(OneFile, Open_10_getxattr)(benchmark::State& state) {
  for (auto _ : state) getAll();
}
BENCHMARK_F(OneImage, Open)(benchmark::State& state) {
  for (auto _ : state) editor_.controller.openButton();
}
BENCHMARK_F(OneImage, Open_10_getxattr_read_metadata)(benchmark::State& state) {
  for (auto _ : state) {
    getAll();
    readMetadata();
  }
}
// Save writes only what the user changed: each round changes the four texts and then back.
BENCHMARK_F(OneFile, Save)(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto* texts : {&kOtherTexts, &kSampleTexts}) {
      for (std::size_t i = 0; i < 4; ++i) editor_.fields[i].text = (*texts)[i];
      editor_.controller.saveButton();
    }
  }
}
BENCHMARK_F(OneFile, Save_8_setxattr_20_getxattr)(benchmark::State& state) {
  for (auto _ : state) {
    for (const bool other : {true, false}) {
      setAttributes(path_, std::span(sampleAttributes(other)).first(4));
      getAll();
    }
  }
}

// "Open: 22.3 us through the editor, 20.3 us in its 10 getxattr: 2.0 us its own"
void summarize(const Results& results) {
  for (const auto& [action, editorName, callsName, calls] :
       {std::tuple{"Open", "OneFile/Open", "OneFile/Open_10_getxattr", "10 getxattr"},
        std::tuple{"Open of a 30 MB JPEG", "OneImage/Open",
                   "OneImage/Open_10_getxattr_read_metadata", "10 getxattr + metadata read"},
        std::tuple{"Save, four texts changed and back", "OneFile/Save",
                   "OneFile/Save_8_setxattr_20_getxattr", "8 setxattr + 20 getxattr"}}) {
    const double editor = seconds(results, editorName, true) * 1e6;
    const double bare = seconds(results, callsName, true) * 1e6;
    if (editor == 0 || bare == 0) continue;
    std::printf("%s: %.1f us through the editor, %.1f us in its %s: %.1f us its own\n", action,
                editor, bare, calls, editor - bare);
  }
}

}  // namespace

int main(int argc, char** argv) { return runBenchmarks(argc, argv, summarize); }
