// The small surface the editor needs from a windowing toolkit: text fields,
// checkboxes, buttons, the window, the open/folder and save panels, and the
// modal alert. The Qt shell implements these with widgets and dialogs; tests
// implement them with plain fakes. Nothing here depends on a toolkit.
#ifndef QUILLMARK_EDITOR_CONTROLS_H_
#define QUILLMARK_EDITOR_CONTROLS_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// A single-line text field: read and replace the whole text (UTF-8).
class TextField {
 public:
  virtual ~TextField() = default;
  virtual std::string stringValue() const = 0;
  virtual void setStringValue(std::string_view text) = 0;
};

// Checkbox states; any other value counts as neither on nor off.
inline constexpr int kControlStateOff = 0;
inline constexpr int kControlStateOn = 1;

// A checkbox: read and set its state (kControlStateOn = 1).
class Checkbox {
 public:
  virtual ~Checkbox() = default;
  virtual int state() const = 0;
  virtual void setState(int state) = 0;
};

// A push button: only its enabled flag is used.
class Button {
 public:
  virtual ~Button() = default;
  virtual void setEnabled(bool enabled) = 0;
};

// Marker for objects that can be a window's delegate.
class WindowDelegate {
 public:
  virtual ~WindowDelegate() = default;
};

// The window showing the editor.
class Window {
 public:
  virtual ~Window() = default;
  virtual void setTitle(std::string_view title) = 0;
  virtual void setDelegate(WindowDelegate* delegate) = 0;
};

// Panel responses: kModalResponseOK means the user confirmed a choice.
inline constexpr int kModalResponseCancel = 0;
inline constexpr int kModalResponseOK = 1;

// Called once per panel, on the main thread, with the response and the chosen location.
using PanelCompletion =
    std::function<void(int response, std::optional<std::filesystem::path> url)>;

// Settings of an open panel (the Open and Select Folder panels).
struct OpenPanelSettings {
  bool allowsMultipleSelection = false;
  bool canChooseDirectories = false;
  bool canChooseFiles = true;
  bool showsHiddenFiles = false;
  bool treatsFilePackagesAsDirectories = false;
};

// Shows a new open panel as a sheet on `window` (may be null) and returns at once.
class OpenPanel {
 public:
  virtual ~OpenPanel() = default;
  virtual void beginSheetModal(const OpenPanelSettings& settings, Window* window,
                               PanelCompletion completion) = 0;
};

// Settings of a save panel; the first allowed type is added to a name typed without one.
struct SavePanelSettings {
  bool canCreateDirectories = false;
  std::vector<std::string> allowedFileTypes;
};

// Shows a new free-standing save panel and returns at once.
class SavePanel {
 public:
  virtual ~SavePanel() = default;
  virtual void begin(const SavePanelSettings& settings, PanelCompletion completion) = 0;
};

enum class AlertStyle { kWarning = 0, kInformational = 1, kCritical = 2 };

// A modal alert, configured and then run until the user presses a button.
class Alert {
 public:
  virtual ~Alert() = default;
  virtual void setMessageText(std::string_view text) = 0;
  virtual void setInformativeText(std::string_view text) = 0;
  virtual void setAlertStyle(AlertStyle style) = 0;
  virtual void addButtonWithTitle(std::string_view title) = 0;
  // Returns once the user has dismissed the alert.
  virtual int runModal() = 0;
};

// Creates a new alert for each use.
class AlertFactory {
 public:
  virtual ~AlertFactory() = default;
  virtual std::unique_ptr<Alert> makeAlert() = 0;
};

// Hears from a long Write Folder walk, at most every few tens of milliseconds.
class WalkProgress {
 public:
  virtual ~WalkProgress() = default;
  // `entriesDone` entries are finished and `current` is next; return false to stop.
  virtual bool walkProgressed(std::uint64_t entriesDone, const std::filesystem::path& current) = 0;
  // The walk has ended, finished or stopped.
  virtual void walkEnded() {}
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_CONTROLS_H_
