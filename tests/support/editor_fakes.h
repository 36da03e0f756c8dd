// Plain stand-ins for the controls, panels and alerts of editor/controls.h,
// for driving a ViewController without a toolkit in tests and benchmarks.
//
// Each fake records what the editor did to it. The panels keep each request's
// settings and completion, so a test answers a panel whenever it likes, even
// after the editor is gone. No test framework is needed to use them.
#ifndef QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
#define QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/controls.h"
#include "editor/view_controller.h"

namespace quillmark::testing {

class FakeTextField : public TextField {
 public:
  std::string stringValue() const override;
  void setStringValue(std::string_view text) override { text_ = text; }
  std::string text_;
  // Runs on every read, e.g. to let time pass or edit the text mid-walk.
  std::function<void()> onRead;
};

class FakeCheckbox : public Checkbox {
 public:
  int state() const override { return state_; }
  void setState(int state) override { state_ = state; }
  int state_ = kControlStateOff;
};

class FakeButton : public Button {
 public:
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  std::optional<bool> enabled_;  // empty until the editor sets it
};

class FakeWindow : public Window {
 public:
  void setTitle(std::string_view title) override { title_ = title; }
  void setDelegate(WindowDelegate* delegate) override { delegate_ = delegate; }
  std::string title_;
  WindowDelegate* delegate_ = nullptr;
};

// Holds each panel request until the test answers it.
template <typename Settings>
struct PanelRequest {
  Settings settings;
  Window* window = nullptr;
  PanelCompletion completion;
};

class FakeOpenPanel : public OpenPanel {
 public:
  void beginSheetModal(const OpenPanelSettings& settings, Window* window,
                       PanelCompletion completion) override;
  // Answers the latest request (once); false when none is waiting.
  bool answer(int response, std::optional<std::filesystem::path> url);
  std::vector<PanelRequest<OpenPanelSettings>> requests;
};

class FakeSavePanel : public SavePanel {
 public:
  void begin(const SavePanelSettings& settings, PanelCompletion completion) override;
  bool answer(int response, std::optional<std::filesystem::path> url);
  std::vector<PanelRequest<SavePanelSettings>> requests;
};

struct AlertRecord {
  std::string messageText;
  std::string informativeText;
  std::optional<AlertStyle> style;
  std::vector<std::string> buttons;
  int runs = 0;
};

class FakeAlertFactory : public AlertFactory {
 public:
  std::unique_ptr<Alert> makeAlert() override;
  // The informative text of every alert, in order.
  std::vector<std::string> messages() const;
  std::deque<AlertRecord> alerts;  // a deque, so each alert's record stays put
};

class FakeProgress : public WalkProgress {
 public:
  bool walkProgressed(std::uint64_t entriesDone, const std::filesystem::path& current) override;
  void walkEnded() override { ++ended; }
  std::vector<std::uint64_t> entriesDone;
  std::vector<std::filesystem::path> paths;
  int ended = 0;
  // Reports answered true before the walk is told to stop (never by default).
  std::optional<std::size_t> stopAfter;
};

// One editor's worth of fakes, wired in; `editor` exists between make() and
// destroy() and has been loaded (viewDidLoad) and shown in `window`.
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
  void destroy() { editor.reset(); }
  // The fields and checkboxes in list order (Copyright, Creator, Description, Headline, Keywords).
  std::vector<FakeTextField*> fieldsInListOrder();
  std::vector<FakeCheckbox*> checkboxesInListOrder();
};

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_SUPPORT_EDITOR_FAKES_H_
