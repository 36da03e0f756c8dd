// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor: the state of one window, its controls and actions, as a live document.
//
// ViewController pairs the five attribute names (list order: Copyright, Creator, Description,
// Headline, Keywords) with their fields and checkboxes in one table, and runs Open, Save, Select
// Folder, Write Folder, Save Text, Revert and Use Values from the Image on the calling (main)
// thread. Every failure is shown in the modal error alert and the action goes on; nothing is
// logged and no success is announced.
//
// One window edits one item or several together (a Selection). The items are read in the
// background where the editor has an event loop, the fields filling as values arrive; what others
// store meanwhile is followed: a field the user has not touched shows it, one the user has touched
// keeps its text and says what changed. Save writes only what the user changed (typed, chosen,
// emptied with its box ticked, keywords removed, given or added), each edit expecting the value
// the window last read; where another program stored a value anew, the user is asked whether to
// replace it. The keywords are a list (KeywordModel) beside a field for typing new ones, and so are
// the Finder tags (TagModel), each in its colour; where another program changed a tag the user
// changed, Save asks too, and leaves that tag to it on that item unless the user says Replace.
#ifndef QUILLMARK_EDITOR_VIEW_CONTROLLER_H_
#define QUILLMARK_EDITOR_VIEW_CONTROLLER_H_

#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "attrstore/names.h"

#include "editor/controls.h"
#include "editor/item_watch.h"
#include "editor/keyword_model.h"
#include "editor/selection.h"
#include "editor/tag_model.h"

namespace quillmark {

class SelectionReader;

// The controls, declared in editor order (Headline, Description, Creator,
// Copyright, Keywords), then the tags; `keywordsBox` takes keywords typed and not yet in
// `keywordList`, `tagsBox` tags typed and not yet in `tagList`. The editor keeps references: they
// must outlive it.
struct EditorOutlets {
  TextField& headlineBox;
  TextField& DescriptionBox;
  TextField& creatorBox;
  TextField& copyrightBox;
  TextField& keywordsBox;
  Checkbox& headlineCheckbox;
  Checkbox& descriptionCheckbox;
  Checkbox& creatorCheckbox;
  Checkbox& copyrightCheckbox;
  Checkbox& keywordsCheckbox;
  Button& saveButtonSetting;
  Button& writefolderButtonSetting;
  KeywordList& keywordList;
  TextField& tagsBox;
  TagList& tagList;
};

// The panels, the alert and the questions; a null `progress` never stops a walk, and it hears
// from the walk at most once per `progressInterval`. `useImageValues` (may be null) stands for the
// action that fills fields from the image. Without `loop` items are read at once, on the calling
// thread, and nothing is watched; without `questions` a value stored elsewhere is kept, and a
// window with edits closes.
struct EditorServices {
  OpenPanel& openPanel;
  SavePanel& savePanel;
  ErrorAlert& alert;
  WalkProgress* progress = nullptr;
  std::chrono::nanoseconds progressInterval = std::chrono::milliseconds(30);
  Button* useImageValues = nullptr;
  Questions* questions = nullptr;
  EventLoop* loop = nullptr;
};

class ViewController {
 public:
  // `window` may be null: the editor is then shown in none.
  ViewController(EditorOutlets outlets, EditorServices services, Window* window);
  ~ViewController();
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // Lifecycle: disables both buttons and turns the checkboxes off.
  void viewDidLoad();
  // Titles the window "Quillmark".
  void viewDidAppear();
  // The window became the active one: items whose changes are not reported are read again.
  void windowDidBecomeKey();
  // Whether the window may close: with edits not saved the user is asked first (Save, Discard,
  // Cancel); a Save that left something unsaved keeps it open.
  bool windowShouldClose();

  // Whether Save and Write Folder also keep the desktop copies (attrstore/desktop_copies.h); off at first.
  void setDesktopCopies(bool on) { desktopCopies_ = on; }

  // The actions.
  void openButton();
  void saveButton();
  void selectFolderButton();
  void writeFolderButton();
  void saveTextButton();
  // Drops the edits (asking first when there are some) and shows what is stored now.
  void revertButton();
  // Opens several items to be edited together (the command line, a drop, Open). An image that
  // cannot be read only gives no hints.
  void openItems(std::vector<std::filesystem::path> urls);
  // Fills each empty field that shows a value embedded in the opened image
  // with that value; over several items, Save then gives each item its own
  // image's value. Nothing is saved, and nothing is ever written to the image.
  void useImageValuesButton();

  // The keyword list's actions: row `row` off every item, given to every item; the keywords typed
  // in the keyword field added to every item.
  void removeKeyword(std::size_t row);
  void giveKeywordToAll(std::size_t row);
  void addTypedKeywords();
  // The tag list's actions, as the keyword list's, and row `row` given `colour`.
  void removeTag(std::size_t row);
  void giveTagToAll(std::size_t row);
  void recolourTag(std::size_t row, TagColour colour);
  void addTypedTags();
  // The user changed a field or a box: the window's edited mark follows.
  void controlsChanged();

  // Whether Save would write anything.
  bool hasEdits() const;
  // Whether items are still being read; stopReading keeps only those read so far.
  bool reading() const { return reader_ != nullptr && opening_; }
  void stopReading();
  // Items others changed (indices into the selection): read again, and shown where untouched.
  void itemsChangedElsewhere(const std::vector<std::size_t>& items);

 private:
  struct Row;  // one list position and its controls
  // The controls of each list position, in list order.
  std::array<Row, kFieldCount> rows() const;
  // Whether the user's text stands in the field at `position` (a field set back to what it
  // showed does not).
  bool touched(std::size_t position) const;
  // Each field's, and for the tags whether some are typed.
  std::array<bool, kValueCount> touchedFields() const;

  void folderChosen(const std::filesystem::path& url);
  // Where the panels start: the folder holding what the window shows.
  std::filesystem::path nearShown() const;
  // Shows the selection's values in the fields, but for those marked in `keep`.
  void show(std::array<bool, kValueCount> keep = {});
  void showTags();
  // The tags typed in the tag field, a colour's name as that colour's tag.
  std::vector<Tag> typedTags() const;
  // A tag as the question about it names it ("Work, Red"); "" for none.
  std::string tagText(const std::optional<Tag>& tag) const;
  // Notes the tags the user changed that item `item`, read again as `now`, holds otherwise.
  void noteTagsElsewhere(std::size_t item, const FoundValue& now, const TagChange& mine);
  ErrorAlert::Answer showErrorAlert(std::string_view message, bool offerStop);

  // Shows the embedded values as placeholders where nothing else is shown,
  // and allows the action that fills them in only where one is shown.
  void showImageHints();
  // What Save would apply, from the controls as the user has left them.
  SelectionEdit currentEdit() const;
  // Saves `edit` (on the items `only` lists, or all); false when the user must still see a failure.
  bool save(const SelectionEdit& edit);

  // Reading in the background: `items` read, then applied from the event loop.
  void startReading(std::vector<std::size_t> items, bool opening);
  void takeReads();
  // Starts reading what changed elsewhere while reading or saving.
  void readPending();
  void watchItems();
  void updateEdited();

  Selection selection_;
  // Each field's text as shown, to tell which the user changed.
  std::array<std::string, kFieldCount> shown_;
  KeywordModel keywords_;
  TagModel tags_;
  // Tags the user changed that another program changed on an item since: item, then each name
  // with the tag it holds there now (none: removed).
  std::map<std::size_t, std::map<std::string, std::optional<Tag>>> tagsElsewhere_;
  // Values stored elsewhere while the user's text stood in their field: item, then position.
  std::map<std::size_t, std::array<std::optional<FoundValue>, kValueCount>> elsewhere_;
  // Use Values from the Image: the positions it filled, with the text it put there.
  std::array<bool, kFieldCount> imageFilled_{};
  std::array<std::string, kFieldCount> imageFill_;
  std::optional<std::filesystem::path> theSourceFolderURL_;
  bool desktopCopies_ = false;
  bool edited_ = false;
  bool busy_ = false;  // a Save or Write Folder is under way: the selection must stay as it is

  std::unique_ptr<SelectionReader> reader_;
  bool opening_ = false;              // reader_ reads the items opened, not ones changed elsewhere
  std::vector<std::size_t> pending_;  // changed elsewhere while reader_ was busy
  ItemWatch watch_;

  EditorOutlets outlets_;
  EditorServices services_;
  Window* window_;
  // Panel completions and posted tasks hold a weak reference, so one that outlives its editor
  // (the free-standing save panel) finds it gone and does nothing.
  std::shared_ptr<ViewController*> self_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_VIEW_CONTROLLER_H_
