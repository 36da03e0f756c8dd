// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Plain stand-ins for the controls, panels and alert of editor/controls.h, for
// driving a ViewController without a toolkit. Each records what the editor did
// to it; the panels keep every request, so a test answers one whenever it
// likes, even after the editor is gone.
#ifndef QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
#define QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_

#include <functional>
#include <memory>
#include <vector>

#include "editor/view_controller.h"

namespace quillmark::testing {

struct FakeTextField : TextField {
  std::string stringValue() const override { return text; }
  void setStringValue(std::string_view value) override { text = value; }
  void setPlaceholder(std::string_view value, Hint) override { placeholder = value; }
  void setChoices(const std::vector<ValueCount>& values) override { choices = values; }
  std::string text, placeholder;
  std::vector<ValueCount> choices;
};

struct FakeKeywordList : KeywordList {
  std::vector<ValueCount> keywords() const override { return shown; }
  void setKeywords(const std::vector<ValueCount>& values, std::size_t) override { shown = values; }
  std::vector<ValueCount> shown;
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
  void showItems(const std::vector<std::filesystem::path>& values) override { items = values; }
  std::string title;
  std::vector<std::filesystem::path> items;
};

struct FakeOpenPanel : OpenPanel {
  struct Request {
    PanelChoice choice;
    Window* window;
    PanelCompletion completion;
  };
  void beginSheetModal(PanelChoice choice, Window* window, PanelCompletion done) override {
    requests.push_back({choice, window, std::move(done)});
  }
  std::vector<Request> requests;
};

struct FakeSavePanel : SavePanel {
  void begin(PanelCompletion done) override { requests.push_back(std::move(done)); }
  std::vector<PanelCompletion> requests;
};

struct FakeAlert : ErrorAlert {
  Answer show(std::string_view details, bool offerStop) override {
    shown.emplace_back(details);
    offeredStop.push_back(offerStop);
    return shown.size() == stopAt ? Answer::kStop : Answer::kGoOn;
  }
  std::vector<std::string> shown;
  std::vector<bool> offeredStop;
  std::size_t stopAt = 0;  // the alert answered with "Stop Writing", counted from 1
};

// Hears from the walk before each entry, e.g. to change files mid-walk.
struct FakeProgress : WalkProgress {
  bool walkProgressed(std::uint64_t done, const std::filesystem::path& current) override {
    if (onReport) onReport(done, current);
    return true;
  }
  std::function<void(std::uint64_t done, const std::filesystem::path& current)> onReport;
};

// One editor's worth of fakes, wired in; the editor has loaded and appeared,
// and hears from its walks at every entry.
struct FakeEditor {
  std::array<FakeTextField, 5> fields;     // list order: Copyright .. Keywords
  std::array<FakeCheckbox, 5> checkboxes;  // list order
  FakeButton save, writeFolder;
  FakeKeywordList keywords;
  FakeWindow window;
  FakeOpenPanel openPanel;
  FakeSavePanel savePanel;
  FakeAlert alert;
  FakeProgress progress;
  std::unique_ptr<ViewController> editor = std::make_unique<ViewController>(
      EditorOutlets{fields[3], fields[2], fields[1], fields[0], fields[4], checkboxes[3],
                    checkboxes[2], checkboxes[1], checkboxes[0], checkboxes[4], save, writeFolder,
                    keywords},
      EditorServices{openPanel, savePanel, alert, &progress, {}}, &window);

  FakeEditor() {
    editor->viewDidLoad();
    editor->viewDidAppear();
  }
  // Answers the latest open or folder panel; false when none is waiting.
  bool choose(std::optional<std::filesystem::path> path) {
    if (openPanel.requests.empty() || !openPanel.requests.back().completion) return false;
    std::exchange(openPanel.requests.back().completion, nullptr)(asChoice(std::move(path)));
    return true;
  }
  bool saveAs(std::optional<std::filesystem::path> path) {
    if (savePanel.requests.empty() || !savePanel.requests.back()) return false;
    std::exchange(savePanel.requests.back(), nullptr)(asChoice(std::move(path)));
    return true;
  }
  static std::vector<std::filesystem::path> asChoice(std::optional<std::filesystem::path> path) {
    if (!path) return {};
    return {std::move(*path)};
  }
  void type(const std::array<std::string, 5>& texts) {
    for (std::size_t i = 0; i < 5; ++i) fields[i].text = texts[i];
  }
  // The fields' texts; for the keywords, the list joined with ", " and what is typed after it.
  std::array<std::string, 5> shown() const {
    std::array<std::string, 5> texts;
    for (std::size_t i = 0; i < 5; ++i) texts[i] = fields[i].text;
    std::string listed;
    for (const ValueCount& keyword : keywords.shown) listed += (listed.empty() ? "" : ", ") + keyword.text;
    texts[4] = listed + (listed.empty() || texts[4].empty() ? "" : ", ") + texts[4];
    return texts;
  }
};

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
