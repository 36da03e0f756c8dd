// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks share: the five values a user types, the editor driven
// through small stand-ins for its controls, a scratch folder on a real disk,
// and a main() whose console output ends with a few summary lines comparing
// the run's benchmarks.
#ifndef QUILLMARK_BENCH_BENCH_SUPPORT_H_
#define QUILLMARK_BENCH_BENCH_SUPPORT_H_

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <condition_variable>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "attrstore/names.h"
#include "attrstore/xattr.h"
#include "editor/view_controller.h"

namespace quillmark::bench {

// The texts a user types into the five fields, in list order (Copyright .. Keywords),
// and others of the same kind for benchmarks that change every value; the peers
// Write Folder is measured against there write two sets of their own, as a
// user's values and another tool's differ.
extern const std::array<std::string, kFieldCount> kSampleTexts, kOtherTexts;
extern const std::array<std::array<std::string, kFieldCount>, 2> kPeerTexts;

// One attribute as the kernel stores it: the `user.` name and the encoded value.
struct RawAttribute {
  std::string systemName;
  Data value;
};
// kSampleTexts (or kOtherTexts) as stored, in list order.
const std::vector<RawAttribute>& sampleAttributes(bool other = false);
// kPeerTexts[other] as stored.
const std::vector<RawAttribute>& peerAttributes(bool other);
// Writes `attributes` to `path`, not following a link; throws
// std::system_error on failure.
void setAttributes(const std::string& path, std::span<const RawAttribute> attributes);
// Writes sampleAttributes() to `path` in the same way.
void setSampleAttributes(const std::string& path);
// Whether `path` holds exactly sampleAttributes().
bool holdsSampleValues(const std::string& path);

struct TextBox final : TextField {
  std::string stringValue() const override { return text; }
  void setStringValue(std::string_view value) override { text = value; }
  void setPlaceholder(std::string_view, Hint) override {}
  void setChoices(const std::vector<ValueCount>&) override {}
  void setChangedElsewhere(const std::optional<std::string>&) override {}
  std::string text;
};
// Answers every request at once with `answer`, as a user who knows where to click.
struct AnsweringPanel final : OpenPanel {
  void beginSheetModal(PanelChoice, Window*, const std::filesystem::path&, PanelCompletion done) override {
    done({answer});
  }
  std::filesystem::path answer;
};
struct RecordingAlert final : ErrorAlert {
  Answer show(std::string_view details, bool) override {
    messages.emplace_back(details);
    return Answer::kGoOn;
  }
  Answer showFailures(const std::vector<ItemFailure>& failures, bool) override {
    for (const ItemFailure& failure : failures) messages.push_back(describeFailure(failure.failure));
    return Answer::kGoOn;
  }
  std::vector<std::string> messages;
};
// The rest of what the editor talks to, where nothing is worth keeping: the
// checkboxes (always off: no benchmark removes a value), the buttons, the
// window, the save panel (cancelled) and a progress listener, there because
// the app has one.
struct Inert final : Checkbox, Button, Window, SavePanel, WalkProgress {
  bool isOn() const override { return false; }
  void setOn(bool) override {}
  void setEnabled(bool) override {}
  void setTitle(std::string_view) override {}
  void showItems(const std::vector<std::filesystem::path>&) override {}
  void setDocumentEdited(bool) override {}
  void showReading(std::size_t, std::size_t) override {}
  void begin(PanelCompletion done) override { done({}); }
  bool walkProgressed(std::uint64_t, const std::filesystem::path&) override { return true; }
};

// The keyword list: what the editor shows.
struct ShownKeywords final : KeywordList {
  void setKeywords(const std::vector<ValueCount>& keywords, std::size_t) override { shown = keywords; }
  std::vector<ValueCount> shown;
};

// The tag list: shown nowhere; its colours have no names.
struct ShownTags final : TagList {
  void setTags(const std::vector<TagCount>&, std::size_t) override {}
  std::string colourName(TagColour) const override { return {}; }
  std::optional<TagColour> colourNamed(std::string_view) const override { return std::nullopt; }
};

// The window's event loop, run by the benchmark: tasks posted from the editor's reading thread
// wait until runUntil runs them. Nothing is watched.
class QueueLoop final : public EventLoop {
 public:
  void post(std::function<void()> task) override;
  void watch(int, std::function<void()>) override {}
  // Runs what is posted until `done` says so.
  void runUntil(const std::function<bool()>& done);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::vector<std::function<void()>> tasks_;
};

// One editor window's worth of stand-ins, wired into a loaded, shown editor.
// Open and Select Folder are answered with openPanel.answer. With `loop`, items are read in the
// background as the window reads them.
struct BenchEditor {
  explicit BenchEditor(EventLoop* loop = nullptr);
  void typeSampleTexts();
  bool showsSampleTexts() const;

  std::array<TextBox, kFieldCount> fields;  // list order
  ShownKeywords keywordList;
  TextBox tagsBox;
  ShownTags tagList;
  AnsweringPanel openPanel;
  RecordingAlert alert;
  Inert inert;
  ViewController controller;
};

// A folder for everything the benchmarks write, made on first use under
// $QUILLMARK_BENCH_DIR or /var/tmp (a disk, not tmpfs), and removed at exit
// and on Ctrl+C.
const std::string& scratchDir();

// The run's results in the order they came, benchmarks that failed left out.
using Results = std::vector<benchmark::BenchmarkReporter::Run>;
// Real (or CPU) time per iteration of benchmark `name` (as registered, without
// "/iterations:9" and the like); 0 when it did not run.
double seconds(const Results& results, std::string_view name, bool cpuTime = false);

// Runs the registered benchmarks with Google Benchmark's flags; returns 1
// when one failed. Console output, the default format, ends with what
// `summarize` prints of the results: a few lines comparing benchmarks of the run.
int runBenchmarks(int argc, char** argv, const std::function<void(const Results&)>& summarize);

}  // namespace quillmark::bench

#endif  // QUILLMARK_BENCH_BENCH_SUPPORT_H_
