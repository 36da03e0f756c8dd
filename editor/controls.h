// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The small surface the editor needs from a windowing toolkit: text fields,
// the keyword and tag lists, checkboxes, buttons, the window's title and items, the open/folder and
// save panels, the error alert and a progress listener for long walks. The Qt shell implements
// these with widgets and dialogs; tests implement them with plain fakes. Nothing here depends on a
// toolkit.
#ifndef QUILLMARK_EDITOR_CONTROLS_H_
#define QUILLMARK_EDITOR_CONTROLS_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/tags.h"
#include "editor/item_changes.h"

namespace quillmark {

// What an in-image placeholder starts with, before the image's own text.
inline constexpr std::string_view kImageHint = "In the image: ";
// What a field shows while the items edited together hold different values.
inline constexpr std::string_view kMultipleValues = "Multiple values";

// A text and how many of the items edited together hold it.
struct ValueCount {
  std::string text;
  std::size_t items = 0;
  bool operator==(const ValueCount&) const = default;
};

// A single-line text field: read and replace the whole text (UTF-8), and the
// greyed text it shows while it is empty, which says what is stored in a form
// the field cannot hold or what the image embedded in the item says.
class TextField {
 public:
  // kStoredValue: the stored items as they are ("harbour, dawn"); kStoredKind:
  // the stored value's kind in fixed English words ("a number"), which a
  // window may translate; kInImage: kImageHint and the image's text;
  // kMultiple: kMultipleValues.
  enum class Hint { kStoredValue, kStoredKind, kInImage, kMultiple };
  virtual ~TextField() = default;
  virtual std::string stringValue() const = 0;
  virtual void setStringValue(std::string_view text) = 0;
  virtual void setPlaceholder(std::string_view text, Hint hint) = 0;
  // The values the items hold, for the user to pick one that replaces the text; none: no choice.
  virtual void setChoices(const std::vector<ValueCount>& choices) = 0;
  // While the user's text stands: what another program stored meanwhile ("" for removed,
  // kMultipleValues where items differ), which Save will ask about; none: nothing to say.
  virtual void setChangedElsewhere(const std::optional<std::string>& stored) = 0;
};

// The keywords as separate words, each with how many of the `items` carry it, in the order
// given. The user's actions on them go to the editor (ViewController::removeKeyword and the like),
// which shows the list anew.
class KeywordList {
 public:
  virtual ~KeywordList() = default;
  virtual void setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) = 0;
};

// A tag, how many of the items edited together carry it, and the colour most of them give it.
struct TagCount {
  std::string name;
  std::size_t items = 0;
  TagColour colour = TagColour::kNone;  // over a selection, the colour most of its items give it
  bool mixedColours = false;             // ...where they do not all give it the same one
  // The user changed it and another program changed it on some item since it was shown: Save asks.
  bool changedElsewhere = false;
  bool operator==(const TagCount&) const = default;
};

// The Finder tags as the keyword list shows keywords, each in its colour. The user's actions on
// them go to the editor (ViewController::removeTag and the like), which shows the list anew. The
// colours' names are the user's language's: typed, one gives that colour's tag, named so.
class TagList {
 public:
  virtual ~TagList() = default;
  virtual void setTags(const std::vector<TagCount>& tags, std::size_t items) = 0;
  // "Red", "Rot"; "" for none.
  virtual std::string colourName(TagColour colour) const = 0;
  // The colour `typed` names, case aside; nothing for any other text.
  virtual std::optional<TagColour> colourNamed(std::string_view typed) const = 0;
};

class Checkbox {
 public:
  virtual ~Checkbox() = default;
  virtual bool isOn() const = 0;
  virtual void setOn(bool on) = 0;
};

// A push button: only its enabled flag is used.
class Button {
 public:
  virtual ~Button() = default;
  virtual void setEnabled(bool enabled) = 0;
};

// The window showing the editor.
class Window {
 public:
  virtual ~Window() = default;
  // `title` is UTF-8; a name that is not may show replacement characters.
  virtual void setTitle(std::string_view title) = 0;
  // Several items edited together: the title says how many and the user can see which;
  // fewer than two: no list.
  virtual void showItems(const std::vector<std::filesystem::path>& items) = 0;
  // Whether the window holds edits not saved (its title marks them).
  virtual void setDocumentEdited(bool edited) = 0;
  // `done` of `total` items read so far, with a way to stop; done == total: reading is over.
  virtual void showReading(std::size_t done, std::size_t total) = 0;
};

// The window's thread's event loop, for work that finishes later.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Runs `task` on the window's thread soon; may be called from any thread.
  virtual void post(std::function<void()> task) = 0;
  // Calls `readable` on the window's thread whenever `descriptor` can be read; -1 stops watching.
  virtual void watch(int descriptor, std::function<void()> readable) = 0;
};

// Called once per panel, on the main thread, with the chosen locations (several only where the
// panel lets the user choose several), or none when the user cancelled.
using PanelCompletion = std::function<void(std::vector<std::filesystem::path> chosen)>;

// What an open panel lets the user choose.
enum class PanelChoice {
  kItem,   // files or folders, one or several, hidden entries listed, packages entered like folders
  kFolder  // one folder, hidden entries listed
};

// Shows a new open panel as a sheet on `window` (may be null), starting in folder `near` (empty:
// wherever it likes), and returns at once.
class OpenPanel {
 public:
  virtual ~OpenPanel() = default;
  virtual void beginSheetModal(PanelChoice choice, Window* window, const std::filesystem::path& near,
                               PanelCompletion completion) = 0;
};

// Shows a new free-standing panel that names a text file to write (types
// "text" then "txt", new folders allowed) and returns at once.
class SavePanel {
 public:
  virtual ~SavePanel() = default;
  virtual void begin(PanelCompletion completion) = 0;
};

// A value not stored, for the alert to word: of the item named (none: the one the action is
// about), in the field at list position `position`.
struct ItemFailure {
  std::filesystem::path item;
  std::size_t position = 0;
  Failure failure;
};

// The editor's one alert: critical, application-modal, "An error occurred in
// your last action:" with `details` as its informative text and the button
// "OK", and with `offerStop` a second one, "Stop Writing". Returns once the
// user has pressed one: kStop for "Stop Writing".
class ErrorAlert {
 public:
  enum class Answer { kGoOn, kStop };
  virtual ~ErrorAlert() = default;
  // `details` is the system's text, as it gave it.
  virtual Answer show(std::string_view details, bool offerStop) = 0;
  // One line per failure, in the user's language: the item and field where it names an item
  // ("/p/a.jpg — Headline: "), then the failed call and the system's text.
  virtual Answer showFailures(const std::vector<ItemFailure>& failures, bool offerStop) = 0;
};

// A value the user changed that another program stored anew since the window showed it.
struct ChangedElsewhere {
  std::filesystem::path item;
  std::size_t position;  // list position
  std::string yours, theirs;  // as the field would show them; "" for none
};

// The questions a document asks before it replaces or drops anything; each returns once the
// user has answered.
class Questions {
 public:
  enum class Replace { kReplace, kKeepOther };
  enum class Unsaved { kSave, kDiscard, kCancel };
  virtual ~Questions() = default;
  // Whether Save replaces the values others stored meanwhile ("Replace") or keeps them ("Keep Other").
  virtual Replace askReplace(const std::vector<ChangedElsewhere>& changed) = 0;
  // Before the window closes with edits not saved.
  virtual Unsaved askSaveChanges() = 0;
  // Whether Revert drops the edits.
  virtual bool askRevert() = 0;
};

// Hears from a long Write Folder walk, at most once per the walk's report interval.
class WalkProgress {
 public:
  virtual ~WalkProgress() = default;
  // `entriesDone` entries are finished and `current` is next; return false to stop.
  virtual bool walkProgressed(std::uint64_t entriesDone, const std::filesystem::path& current) = 0;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_CONTROLS_H_
