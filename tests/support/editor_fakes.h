// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Plain stand-ins for the controls, panels and alert of editor/controls.h, for
// driving a ViewController without a toolkit. Each records what the editor did
// to it; the panels keep every request, so a test answers one whenever it
// likes, even after the editor is gone.
#ifndef QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
#define QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_

#include <poll.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "attrstore/keywords.h"
#include "attrstore/names.h"
#include "editor/view_controller.h"

namespace quillmark::testing {

struct FakeTextField : TextField {
  std::string stringValue() const override { return text; }
  void setStringValue(std::string_view value) override { text = value; }
  void setPlaceholder(std::string_view value, Hint) override { placeholder = value; }
  void setChoices(const std::vector<ValueCount>& values) override { choices = values; }
  void setChangedElsewhere(const std::optional<std::string>& value) override { elsewhere = value; }
  std::string text, placeholder;
  std::vector<ValueCount> choices;
  std::optional<std::string> elsewhere;
};

struct FakeKeywordList : KeywordList {
  void setKeywords(const std::vector<ValueCount>& values, std::size_t) override { shown = values; }
  std::vector<ValueCount> shown;
};

// Colours named in English, capitalised: "Red".
struct FakeTagList : TagList {
  void setTags(const std::vector<TagCount>& values, std::size_t) override { shown = values; }
  std::string colourName(TagColour colour) const override {
    std::string name(
        colour == TagColour::kNone ? "" : kTagColourNames[static_cast<std::size_t>(colour)]);
    if (!name.empty()) name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
  }
  std::optional<TagColour> colourNamed(std::string_view typed) const override {
    return typed.size() > 1 ? tagColourNamed(typed) : std::nullopt;
  }
  std::vector<TagCount> shown;
};

struct FakeCheckbox : Checkbox {
  bool isOn() const override { return on; }
  void setOn(bool value) override { on = value; }
  bool on = true;  // the editor must turn it off when it loads
};

struct FakeButton : Button {
  void setEnabled(bool value) override { enabled = value; }
  std::optional<bool> enabled;  // empty until the editor sets it
};

struct FakeWindow : Window {
  void setTitle(std::string_view value) override { title = value; }
  void showItems(const std::vector<std::filesystem::path>&) override {}
  void setDocumentEdited(bool value) override { edited = value; }
  void showReading(std::size_t done, std::size_t total) override { reading = {done, total}; }
  std::string title;
  bool edited = false;
  std::pair<std::size_t, std::size_t> reading;
};

// Tasks posted from any thread, run when the test says; the descriptor watched, polled likewise.
struct FakeLoop : EventLoop {
  void post(std::function<void()> task) override {
    std::lock_guard lock(mutex);
    tasks.push_back(std::move(task));
  }
  void watch(int descriptor, std::function<void()> readable) override {
    watched = descriptor;
    onReadable = std::move(readable);
  }
  // Runs what is posted, and what the watched descriptor has, until `done` or 10 s have passed.
  bool runUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < end) {
      std::unique_lock lock(mutex);
      std::vector<std::function<void()>> now = std::exchange(tasks, {});
      lock.unlock();
      for (auto& task : now) task();
      pollfd ready{watched, POLLIN, 0};
      if (watched >= 0 && poll(&ready, 1, 0) == 1 && onReadable) onReadable();
      if (now.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
  }
  std::mutex mutex;
  std::vector<std::function<void()>> tasks;
  int watched = -1;
  std::function<void()> onReadable;
};

struct FakeOpenPanel : OpenPanel {
  struct Request {
    PanelChoice choice;
    Window* window;
    PanelCompletion completion;
    std::filesystem::path near;
  };
  void beginSheetModal(PanelChoice choice, Window* window, const std::filesystem::path& near,
                       PanelCompletion done) override {
    requests.push_back({choice, window, std::move(done), near});
  }
  std::vector<Request> requests;
};

struct FakeSavePanel : SavePanel {
  void begin(PanelCompletion done) override { requests.push_back(std::move(done)); }
  std::vector<PanelCompletion> requests;
};

struct FakeAlert : ErrorAlert, Questions {
  Answer show(std::string_view details, bool offerStop) override {
    shown.emplace_back(details);
    offeredStop.push_back(offerStop);
    return shown.size() == stopAt ? Answer::kStop : Answer::kGoOn;
  }
  // In English, as the command line words them, one line each.
  Answer showFailures(const std::vector<ItemFailure>& failures, bool offerStop) override {
    std::string details;
    for (const ItemFailure& line : failures) {
      if (!details.empty()) details += '\n';
      if (!line.item.empty())
        details += line.item.string() + " \u2014 " + std::string(kValueNames[line.position].label) + ": ";
      details += describeFailure(line.failure);
    }
    return show(details, offerStop);
  }
  Replace askReplace(const std::vector<ChangedElsewhere>& changes) override {
    asked.push_back(changes);
    if (onAsk) onAsk();
    return replace;
  }
  Unsaved askSaveChanges() override { return unsaved; }
  bool askRevert() override { return true; }
  std::vector<std::string> shown;
  std::vector<bool> offeredStop;
  std::size_t stopAt = 0;  // the alert answered with "Stop Writing", counted from 1
  std::vector<std::vector<ChangedElsewhere>> asked;
  Replace replace = Replace::kKeepOther;
  std::function<void()> onAsk;  // while the question is up
  Unsaved unsaved = Unsaved::kDiscard;
};

// Hears from the walk before each entry, e.g. to change files mid-walk.
struct FakeProgress : WalkProgress {
  bool walkProgressed(std::uint64_t done, const std::filesystem::path& current) override {
    if (onReport) onReport(done, current);
    return ++reports != stopAt;
  }
  std::function<void(std::uint64_t done, const std::filesystem::path& current)> onReport;
  std::size_t reports = 0, stopAt = 0;  // the report answered with stop, counted from 1
};

// One editor's worth of fakes, wired in; the editor has loaded and appeared,
// and hears from its walks at every entry. Without a loop it reads items at once.
struct FakeEditor {
  std::array<FakeTextField, kFieldCount> fields;     // list order: Copyright .. Keywords
  std::array<FakeCheckbox, kFieldCount> checkboxes;  // list order
  FakeButton save, writeFolder;
  FakeKeywordList keywords;
  FakeTextField tagsBox;
  FakeTagList tags;
  FakeWindow window;
  FakeOpenPanel openPanel;
  FakeSavePanel savePanel;
  FakeAlert alert;
  FakeProgress progress;
  std::unique_ptr<ViewController> editor;

  explicit FakeEditor(EventLoop* loop = nullptr)
      : editor(std::make_unique<ViewController>(
            EditorOutlets{fields[3], fields[2], fields[1], fields[0], fields[4], checkboxes[3],
                          checkboxes[2], checkboxes[1], checkboxes[0], checkboxes[4], save,
                          writeFolder, keywords, tagsBox, tags},
            EditorServices{openPanel, savePanel, alert, &progress, {}, nullptr, &alert, loop},
            &window)) {
    editor->viewDidLoad();
    editor->viewDidAppear();
  }
  // Answers the latest open or folder panel; false when none is waiting.
  bool choose(std::optional<std::filesystem::path> path) {
    return !openPanel.requests.empty() && answer(openPanel.requests.back().completion, path);
  }
  bool saveAs(std::optional<std::filesystem::path> path) {
    return !savePanel.requests.empty() && answer(savePanel.requests.back(), path);
  }
  // Calls `completion` with `path` (or nothing chosen), once; false when it was called before.
  static bool answer(PanelCompletion& completion, std::optional<std::filesystem::path> path) {
    if (!completion) return false;
    std::exchange(completion, nullptr)(path ? std::vector{std::move(*path)}
                                            : std::vector<std::filesystem::path>{});
    return true;
  }
  void type(const std::array<std::string, kFieldCount>& texts) {
    for (std::size_t i = 0; i < 5; ++i) fields[i].text = texts[i];
  }
  // The fields' texts; for the keywords, the list and what is typed after it, joined.
  std::array<std::string, kFieldCount> shown() const {
    std::array<std::string, kFieldCount> texts;
    for (std::size_t i = 0; i < 5; ++i) texts[i] = fields[i].text;
    std::vector<std::string> words;
    for (const ValueCount& keyword : keywords.shown) words.push_back(keyword.text);
    if (!texts[4].empty()) words.push_back(texts[4]);
    texts[4] = joinKeywords(words);
    return texts;
  }
};

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
