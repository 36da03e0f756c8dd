// Plain stand-ins for the controls, panels and alerts of editor/controls.h, for
// driving a ViewController without a toolkit in tests and benchmarks. Each
// records what the editor did to it; the panels keep every request, so a test
// answers one whenever it likes, even after the editor is gone.
#ifndef QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
#define QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/controls.h"
#include "editor/view_controller.h"

namespace quillmark::testing {

struct FakeTextField : TextField {
  std::string stringValue() const override {
    if (onRead) onRead();
    return text_;
  }
  void setStringValue(std::string_view text) override { text_ = text; }
  std::string text_;
  std::function<void()> onRead;  // runs on every read, e.g. to change files mid-walk
};

struct FakeCheckbox : Checkbox {
  int state() const override { return state_; }
  void setState(int state) override { state_ = state; }
  int state_ = kControlStateOff;
};

struct FakeButton : Button {
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  std::optional<bool> enabled_;  // empty until the editor sets it
};

struct FakeWindow : Window {
  void setTitle(std::string_view title) override { title_ = title; }
  void setDelegate(WindowDelegate* /*delegate*/) override {}
  std::string title_;
};

template <typename Settings>
struct PanelRequest {
  Settings settings;
  Window* window = nullptr;
  PanelCompletion completion;
};

template <typename Settings>
struct FakePanel {
  // Answers the latest request, once; false when none is waiting. The
  // completion is taken out first, since it may start another panel.
  bool answer(int response, std::optional<std::filesystem::path> url) {
    if (requests.empty() || !requests.back().completion) return false;
    std::exchange(requests.back().completion, nullptr)(response, std::move(url));
    return true;
  }
  std::vector<PanelRequest<Settings>> requests;
};

struct FakeOpenPanel : OpenPanel, FakePanel<OpenPanelSettings> {
  void beginSheetModal(const OpenPanelSettings& settings, Window* window,
                       PanelCompletion completion) override {
    requests.push_back({settings, window, std::move(completion)});
  }
};

struct FakeSavePanel : SavePanel, FakePanel<SavePanelSettings> {
  void begin(const SavePanelSettings& settings, PanelCompletion completion) override {
    requests.push_back({settings, nullptr, std::move(completion)});
  }
};

struct AlertRecord {
  std::string messageText, informativeText;
  std::optional<AlertStyle> style;
  std::vector<std::string> buttons;
  int runs = 0;
};

struct FakeAlertFactory : AlertFactory {
  std::unique_ptr<Alert> makeAlert() override;
  std::vector<std::string> messages() const;  // each alert's informative text, in order
  std::deque<AlertRecord> alerts;             // a deque, so each record stays put
};

// Counts the walk's reports and answers the first `stopAfter` of them with true.
struct FakeProgress : WalkProgress {
  bool walkProgressed(std::uint64_t done, const std::filesystem::path& /*current*/) override {
    entriesDone.push_back(done);
    return entriesDone.size() <= stopAfter;
  }
  void walkEnded() override { ++ended; }
  std::vector<std::uint64_t> entriesDone;
  std::size_t stopAfter = SIZE_MAX;
  int ended = 0;
};

// One editor's worth of fakes, wired in; `editor` has been loaded and shown in `window`.
struct FakeEditor {
  FakeTextField headline, description, creator, copyright, keywords;
  FakeCheckbox headlineCheck, descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck;
  FakeButton save, writeFolder;
  FakeWindow window;
  FakeOpenPanel openPanel;
  FakeSavePanel savePanel;
  FakeAlertFactory alerts;
  FakeProgress progress;
  std::unique_ptr<ViewController> editor;

  explicit FakeEditor(bool withProgress = false);
  // List order: Copyright, Creator, Description, Headline, Keywords.
  std::vector<FakeTextField*> fieldsInListOrder() {
    return {&copyright, &creator, &description, &headline, &keywords};
  }
  std::vector<FakeCheckbox*> checkboxesInListOrder() {
    return {&copyrightCheck, &creatorCheck, &descriptionCheck, &headlineCheck, &keywordsCheck};
  }
};

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
