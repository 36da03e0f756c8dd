// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/view_controller.h"

#include <algorithm>
#include <set>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/keywords.h"
#include "attrstore/names.h"
#include "editor/folder_write.h"
#include "editor/report.h"
#include "editor/resource_item.h"
#include "editor/selection_reader.h"
#include "editor/selection_save.h"

namespace quillmark {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWindowTitle = "Quillmark";

// A panel completion that runs `action` only for a confirmed choice, and only
// while the editor that opened the panel still exists.
template <typename Action>
PanelCompletion whenChosen(std::weak_ptr<ViewController*> editor, Action action) {
  return [editor = std::move(editor), action = std::move(action)](std::vector<fs::path> chosen) {
    if (chosen.empty()) return;
    if (const std::shared_ptr<ViewController*> alive = editor.lock()) action(**alive, std::move(chosen));
  };
}

bool sameValue(const FoundValue& a, const FoundValue& b) {
  return a.present == b.present && (!a.present || a.data == b.data);
}

// A value as its field would show it: its text, or the other value's description; "" for none.
std::string shownText(const FoundValue& found) {
  if (!found.present) return {};
  const StoredValue value = found.stored();
  return value.kind == StoredValue::Kind::kString ? value.text : describeStoredValue(value);
}

// The tag named `name` among `tags`; none where there is none.
std::optional<Tag> tagNamed(const std::vector<Tag>& tags, const std::string& name) {
  const auto tag = std::ranges::find(tags, name, &Tag::name);
  return tag != tags.end() ? std::optional(*tag) : std::nullopt;
}

// Whether `change` does something to the tag named `name`.
bool touches(const TagChange& change, const std::string& name) {
  return std::ranges::count(change.add, name, &Tag::name) +
             std::ranges::count(change.remove, name) +
             std::ranges::count(change.recolour, name, &Tag::name) >
         0;
}

}  // namespace

struct ViewController::Row {
  TextField& field;
  Checkbox& checkbox;
};

// The one place that pairs list positions with controls, by their rows in the window.
std::array<ViewController::Row, kFieldCount> ViewController::rows() const {
  const std::array<Row, kFieldCount> fromTop = {{
      {outlets_.headlineBox, outlets_.headlineCheckbox},
      {outlets_.DescriptionBox, outlets_.descriptionCheckbox},
      {outlets_.creatorBox, outlets_.creatorCheckbox},
      {outlets_.copyrightBox, outlets_.copyrightCheckbox},
      {outlets_.keywordsBox, outlets_.keywordsCheckbox},
  }};
  return [&]<std::size_t... P>(std::index_sequence<P...>) {
    return std::array<Row, kFieldCount>{fromTop[kValueNames[P].windowOrder]...};
  }
  (std::make_index_sequence<kFieldCount>());
}

ViewController::ViewController(EditorOutlets outlets, EditorServices services, Window* window)
    : outlets_(outlets),
      services_(services),
      window_(window),
      self_(std::make_shared<ViewController*>(this)) {}

ViewController::~ViewController() {
  if (services_.loop != nullptr && watch_.descriptor() >= 0) services_.loop->watch(-1, nullptr);
}

void ViewController::viewDidLoad() {
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(false);
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(false);
  for (const Row& row : rows()) row.checkbox.setOn(false);
}

void ViewController::viewDidAppear() {
  if (window_ != nullptr) window_->setTitle(kWindowTitle);
}

ErrorAlert::Answer ViewController::showErrorAlert(std::string_view message, bool offerStop) {
  return services_.alert.show(message, offerStop);
}

bool ViewController::windowShouldClose() {
  if (busy_) return false;
  if (!hasEdits()) return true;
  switch (services_.questions != nullptr ? services_.questions->askSaveChanges()
                                         : Questions::Unsaved::kDiscard) {
    case Questions::Unsaved::kCancel:
      return false;
    case Questions::Unsaved::kDiscard:
      return true;
    case Questions::Unsaved::kSave:
      saveButton();
      return !hasEdits();
  }
  return false;
}

void ViewController::windowDidBecomeKey() {
  if (services_.loop == nullptr || selection_.size() == 0) return;
  if (!watch_.unwatched().empty()) itemsChangedElsewhere(watch_.unwatched());
}

// --- Open -------------------------------------------------------------------

fs::path ViewController::nearShown() const {
  const fs::path shown = selection_.size() > 0 ? fs::path(selection_.items().front().path)
                         : theSourceFolderURL_ ? *theSourceFolderURL_
                                               : fs::path();
  // A folder named with a trailing slash has its own parent too.
  return shown.has_filename() ? shown.parent_path() : shown.parent_path().parent_path();
}

void ViewController::openButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kItem, window_, nearShown(),
      whenChosen(self_, [](ViewController& editor, std::vector<fs::path> urls) {
        editor.openItems(std::move(urls));
      }));
}

void ViewController::openItems(std::vector<fs::path> urls) {
  if (urls.empty() || busy_) return;
  if (!windowShouldClose()) return;  // edits are not dropped unasked
  reader_.reset();
  pending_.clear();
  elsewhere_.clear();
  if (window_ != nullptr) {
    window_->setTitle(lastPathComponent(urls.front()));
    window_->showItems(urls);
  }
  selection_ = Selection(std::move(urls));
  keywords_.reset({}, selection_.size());
  tags_.reset({}, selection_.size());
  tagsElsewhere_.clear();
  outlets_.writefolderButtonSetting.setEnabled(false);
  if (services_.loop == nullptr) {
    selection_.readAll();
    show();
    outlets_.saveButtonSetting.setEnabled(true);
  } else {
    show();
    outlets_.saveButtonSetting.setEnabled(false);  // until every item is read
    std::vector<std::size_t> all(selection_.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    startReading(std::move(all), true);
  }
  watchItems();
  updateEdited();
}

bool ViewController::touched(std::size_t position) const {
  const std::string text = rows()[position].field.stringValue();
  if (imageFilled_[position] && text == imageFill_[position]) return true;
  return position == kKeywords ? !text.empty() : text != shown_[position];
}

std::array<bool, kValueCount> ViewController::touchedFields() const {
  std::array<bool, kValueCount> touchedAt{};
  for (std::size_t i = 0; i < kFieldCount; ++i) touchedAt[i] = touched(i);
  touchedAt[kTags] = !outlets_.tagsBox.stringValue().empty();
  return touchedAt;
}

void ViewController::show(std::array<bool, kValueCount> keep) {
  const auto table = rows();
  const auto first = std::ranges::find_if(selection_.items(), &SelectedItem::read);
  const std::array<FoundValue, kValueCount> none{};
  const std::array<FoundValue, kValueCount>& firstValues = first != selection_.items().end() ? first->values : none;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ResourceItem firstItem(firstValues[i]);
    const bool same = selection_.same(i);
    if (i == kKeywords) {
      // Keywords show as the list; the field only names a value holding none ("a number").
      table[i].field.setPlaceholder(same && firstItem.placeholderNamesKind() ? firstItem.placeholder() : "",
                                    TextField::Hint::kStoredKind);
      shown_[i].clear();
      keywords_.restore(selection_.keywords(), selection_.size());
      outlets_.keywordList.setKeywords(keywords_.rows(), selection_.size());
      if (!keep[i]) table[i].field.setStringValue("");
      continue;
    }
    if (same) {
      // A value that is not one string keeps its field empty, and Save leaves
      // it alone; the field says what is there.
      table[i].field.setPlaceholder(firstItem.placeholder(), firstItem.placeholderNamesKind()
                                                                 ? TextField::Hint::kStoredKind
                                                                 : TextField::Hint::kStoredValue);
      table[i].field.setChoices({});
    } else {
      table[i].field.setPlaceholder(kMultipleValues, TextField::Hint::kMultiple);
      table[i].field.setChoices(selection_.distinctTexts(i));
    }
    shown_[i] = same ? firstItem.textValue() : "";
    // Set only when it differs, so that the cursor of a field being edited stays where it is.
    if (!keep[i] && table[i].field.stringValue() != shown_[i]) table[i].field.setStringValue(shown_[i]);
  }
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (!keep[i]) imageFilled_[i] = false;
  }
  // Tags show as their list too; the field only names tags kept as something else.
  outlets_.tagsBox.setPlaceholder(selection_.tagsKeptAs(), TextField::Hint::kStoredKind);
  tags_.restore(selection_.tags(), selection_.size());
  showTags();
  if (!keep[kTags]) outlets_.tagsBox.setStringValue("");
  showImageHints();
  // What others stored while the user's text stood, where it still stands.
  for (std::size_t i = 0; i < kKeywords; ++i) {
    std::optional<std::string> stored;
    for (const auto& [item, values] : elsewhere_) {
      if (!values[i]) continue;
      const std::string text = shownText(*values[i]);
      stored = !stored || *stored == text ? text : std::string(kMultipleValues);
    }
    table[i].field.setChangedElsewhere(keep[i] ? stored : std::nullopt);
  }
}

void ViewController::showImageHints() {
  const auto table = rows();
  bool any = false;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const bool hinted = selection_.anyHinted(i);
    // Where the items differ, the field goes on saying so.
    if (hinted && selection_.same(i)) {
      const std::string common = selection_.commonHint(i);
      table[i].field.setPlaceholder(
          std::string(kImageHint) + (common.empty() ? std::string(kMultipleValues) : common),
          TextField::Hint::kInImage);
    }
    any = any || hinted;
  }
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(any);
}

void ViewController::useImageValuesButton() {
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (!selection_.anyHinted(i) || !table[i].field.stringValue().empty()) continue;
    // Where the images differ the field stays empty and Save gives each item its own.
    imageFilled_[i] = true;
    imageFill_[i] = selection_.commonHint(i);
    table[i].field.setStringValue(imageFill_[i]);
  }
  updateEdited();
}

// --- Reading and following ---------------------------------------------------

void ViewController::startReading(std::vector<std::size_t> items, bool opening) {
  std::vector<std::pair<std::size_t, std::string>> paths;
  paths.reserve(items.size());
  for (const std::size_t item : items) paths.emplace_back(item, selection_.items()[item].path);
  opening_ = opening;
  std::weak_ptr<ViewController*> self = self_;
  EventLoop* loop = services_.loop;
  reader_ = std::make_unique<SelectionReader>(std::move(paths), [self, loop] {
    loop->post([self] {
      if (const std::shared_ptr<ViewController*> alive = self.lock()) (*alive)->takeReads();
    });
  });
  if (opening && window_ != nullptr) window_->showReading(0, selection_.size());
}

void ViewController::takeReads() {
  // A Save or Write Folder lets events through while it runs; the selection waits for its end.
  if (reader_ == nullptr || busy_) return;
  const std::array<bool, kValueCount> keep = touchedFields();
  const TagChange tagsChanged = tags_.change();
  for (SelectionReader::Read& read : reader_->take()) {
    if (!opening_) {
      const SelectedItem& item = selection_.items()[read.item];
      if (!tagsChanged.empty()) noteTagsElsewhere(read.item, read.values[kTags], tagsChanged);
      auto& theirs = elsewhere_[read.item];
      for (std::size_t i = 0; i < kKeywords; ++i) {
        // Where the user's text stands, the value it was typed over stays what Save expects.
        if (keep[i] && !sameValue(read.values[i], item.values[i])) {
          theirs[i] = std::move(read.values[i]);
          read.values[i] = item.values[i];
        } else if (!keep[i]) {
          theirs[i].reset();
        }
      }
      if (std::ranges::none_of(theirs, [](const auto& value) { return value.has_value(); }))
        elsewhere_.erase(read.item);
    }
    selection_.setRead(read.item, std::move(read.values), &read.embedded);
  }
  show(keep);
  const bool finished = reader_->finished();
  if (opening_ && window_ != nullptr) window_->showReading(selection_.readCount(), selection_.size());
  if (finished) {
    reader_.reset();
    if (opening_) outlets_.saveButtonSetting.setEnabled(true);
    opening_ = false;
    readPending();
  }
  updateEdited();
}

void ViewController::stopReading() {
  if (!reading()) return;
  pending_.clear();  // indices of a selection about to shrink
  reader_->stop();
  reader_->wait();
  takeReads();
  // What was not read is not edited: the window holds the items read.
  selection_.dropUnread();
  std::vector<fs::path> paths;
  for (const SelectedItem& item : selection_.items()) paths.push_back(item.path);
  if (window_ != nullptr) {
    window_->showItems(paths);
    window_->showReading(paths.size(), paths.size());
  }
  watchItems();
  show(touchedFields());
}

void ViewController::itemsChangedElsewhere(const std::vector<std::size_t>& items) {
  if (items.empty() || selection_.size() == 0) return;
  if (services_.loop == nullptr) {
    for (const std::size_t item : items) {
      EmbeddedValues embedded = readEmbeddedValues(selection_.items()[item].path);
      selection_.setRead(item, readValues(itemAtPath(selection_.items()[item].path)), &embedded);
    }
    show(touchedFields());
    return;
  }
  // One read at a time, and none while a Save writes: what it reads might be older than that.
  if (reader_ != nullptr || busy_) {
    std::vector<std::size_t> merged;
    std::ranges::set_union(pending_, items, std::back_inserter(merged));
    pending_ = std::move(merged);
    return;
  }
  startReading(items, false);
}

void ViewController::watchItems() {
  if (services_.loop == nullptr) return;
  std::vector<std::string> paths;
  paths.reserve(selection_.size());
  for (const SelectedItem& item : selection_.items()) paths.push_back(item.path);
  watch_ = ItemWatch(paths);
  std::weak_ptr<ViewController*> self = self_;
  services_.loop->watch(watch_.descriptor(), [self] {
    if (const std::shared_ptr<ViewController*> alive = self.lock()) {
      ViewController& editor = **alive;
      editor.itemsChangedElsewhere(editor.watch_.takeChanged());
    }
  });
}

// --- Edits ------------------------------------------------------------------

void ViewController::removeKeyword(std::size_t row) {
  keywords_.remove(row);
  outlets_.keywordList.setKeywords(keywords_.rows(), selection_.size());
  updateEdited();
}

void ViewController::giveKeywordToAll(std::size_t row) {
  keywords_.giveToAll(row);
  outlets_.keywordList.setKeywords(keywords_.rows(), selection_.size());
  updateEdited();
}

void ViewController::addTypedKeywords() {
  if (selection_.size() == 0) return;
  keywords_.addTyped(outlets_.keywordsBox.stringValue());
  outlets_.keywordsBox.setStringValue("");
  outlets_.keywordList.setKeywords(keywords_.rows(), selection_.size());
  updateEdited();
}

void ViewController::noteTagsElsewhere(std::size_t item, const FoundValue& now,
                                       const TagChange& mine) {
  // Tags kept as anything but a list count as none.
  const std::vector<Tag> before =
      tagsOf(selection_.items()[item].values[kTags]).value_or(std::vector<Tag>{});
  const std::vector<Tag> after = tagsOf(now).value_or(std::vector<Tag>{});
  const auto note = [&](const std::string& name) {
    std::optional<Tag> theirs = tagNamed(after, name);
    if (theirs != tagNamed(before, name))
      tagsElsewhere_[item].insert_or_assign(name, std::move(theirs));
  };
  for (const Tag& tag : mine.add) note(tag.name);
  for (const std::string& name : mine.remove) note(name);
  for (const Tag& tag : mine.recolour) note(tag.name);
}

void ViewController::showTags() {
  std::vector<TagCount> rows = tags_.rows();
  if (!tagsElsewhere_.empty()) {
    const TagChange mine = tags_.change();
    for (TagCount& row : rows) {
      row.changedElsewhere =
          touches(mine, row.name) && std::ranges::any_of(tagsElsewhere_, [&row](const auto& item) {
            return item.second.contains(row.name);
          });
    }
  }
  outlets_.tagList.setTags(rows, selection_.size());
}

std::vector<Tag> ViewController::typedTags() const {
  std::vector<Tag> tags;
  for (std::string& name : typedKeywords(outlets_.tagsBox.stringValue())) {
    const std::optional<TagColour> colour = outlets_.tagList.colourNamed(name);
    if (colour && *colour != TagColour::kNone) {
      tags.push_back({outlets_.tagList.colourName(*colour), *colour, false});
    } else {
      tags.push_back({std::move(name), TagColour::kNone, false});
    }
  }
  return tags;
}

std::string ViewController::tagText(const std::optional<Tag>& tag) const {
  if (!tag) return {};
  return tag->colour == TagColour::kNone
             ? tag->name
             : tag->name + ", " + outlets_.tagList.colourName(tag->colour);
}

void ViewController::removeTag(std::size_t row) {
  tags_.remove(row);
  showTags();
  updateEdited();
}

void ViewController::giveTagToAll(std::size_t row) {
  tags_.giveToAll(row);
  showTags();
  updateEdited();
}

void ViewController::recolourTag(std::size_t row, TagColour colour) {
  tags_.recolour(row, colour);
  showTags();
  updateEdited();
}

void ViewController::addTypedTags() {
  if (selection_.size() == 0) return;
  tags_.add(typedTags());
  outlets_.tagsBox.setStringValue("");
  showTags();
  updateEdited();
}

void ViewController::controlsChanged() {
  // A field set back to what it showed follows what others stored meanwhile.
  bool adopted = false;
  for (auto it = elsewhere_.begin(); it != elsewhere_.end();) {
    for (std::size_t i = 0; i < kKeywords; ++i) {
      if (!it->second[i] || touched(i)) continue;
      selection_.setValue(it->first, i, *std::exchange(it->second[i], std::nullopt));
      adopted = true;
    }
    const bool empty = std::ranges::none_of(it->second, [](const auto& value) { return value.has_value(); });
    it = empty ? elsewhere_.erase(it) : std::next(it);
  }
  if (adopted) show(touchedFields());
  updateEdited();
}

void ViewController::updateEdited() {
  const bool edited = hasEdits();
  if (edited == edited_) return;
  edited_ = edited;
  if (window_ != nullptr) window_->setDocumentEdited(edited);
}

bool ViewController::hasEdits() const {
  if (selection_.size() == 0) return false;
  const SelectionEdit edit = currentEdit();
  return !edit.keywords.empty() || !edit.tags.empty() ||
         std::ranges::any_of(edit.fromImage, std::identity{}) ||
         std::ranges::any_of(edit.fields, [](const ValueChange& change) {
           return change.action != ValueEdit::Action::kKeep;
         });
}

void ViewController::revertButton() {
  if (selection_.size() == 0 || busy_) return;
  if (hasEdits() && services_.questions != nullptr && !services_.questions->askRevert()) return;
  elsewhere_.clear();
  tagsElsewhere_.clear();
  imageFilled_ = {};
  keywords_.reset(selection_.keywords(), selection_.size());
  tags_.reset(selection_.tags(), selection_.size());
  show();
  std::vector<std::size_t> all(selection_.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  if (reader_ == nullptr || !opening_) itemsChangedElsewhere(all);
  updateEdited();
}

// --- Save -------------------------------------------------------------------

SelectionEdit ViewController::currentEdit() const {
  using Action = ValueEdit::Action;
  const auto table = rows();
  SelectionEdit edit;
  std::vector<std::string> typed;  // after the listed keywords, as they are shown
  for (std::size_t i = 0; i < table.size(); ++i) {
    std::string text = table[i].field.stringValue();
    if (imageFilled_[i] && text == imageFill_[i]) {
      edit.fromImage[i] = true;
    } else if (i == kKeywords) {
      typed = typedKeywords(text);
    } else if (!text.empty() && text != shown_[i]) {
      edit.fields[i] = {Action::kWrite, std::move(text)};
    } else if (text.empty() && table[i].checkbox.isOn() && selection_.anyPresent(i)) {
      edit.fields[i].action = Action::kRemove;
    }
  }
  edit.keywords = keywords_.change();
  edit.keywords.add.insert(edit.keywords.add.end(), typed.begin(), typed.end());
  edit.tags = tags_.change();
  for (Tag& tag : typedTags()) edit.tags.add.push_back(std::move(tag));
  if (keywords_.rows().empty() && edit.keywords.empty() && !edit.fromImage[kKeywords] &&
      table[kKeywords].checkbox.isOn() && selection_.anyPresent(kKeywords))
    edit.fields[kKeywords].action = Action::kRemove;
  return edit;
}

void ViewController::saveButton() {
  if (selection_.size() == 0 || reading() || busy_) return;
  SelectionEdit edit = currentEdit();
  edit.encode();
  save(edit);
}

bool ViewController::save(const SelectionEdit& edit) {
  const SelectionSaveOptions options{selection_.size() > 1 ? services_.progress : nullptr,
                                     services_.progressInterval, desktopCopies_};
  // Save reads every value again; a read of changes elsewhere begun before would be older.
  if (reader_ != nullptr && !opening_) reader_.reset();
  busy_ = true;
  // Tags the user changed that another program changed on an item meanwhile are left to it there
  // at first, and asked about with the values below.
  SelectionEdit first = edit;
  std::vector<ChangedElsewhere> changed;
  std::set<std::size_t> items;
  for (const auto& [item, names] : tagsElsewhere_) {
    for (const auto& [name, theirs] : names) {
      if (!touches(edit.tags, name)) continue;
      first.tagsLeft[item].push_back(name);
      // What the user's change makes of it: removed, recoloured, or added in its colour.
      std::optional<Tag> yours;
      if (std::ranges::count(edit.tags.remove, name) == 0) {
        const auto recoloured = std::ranges::find(edit.tags.recolour, name, &Tag::name);
        yours =
            recoloured != edit.tags.recolour.end() ? *recoloured : tagNamed(edit.tags.add, name);
      }
      changed.push_back({selection_.items()[item].path, kTags, tagText(yours), tagText(theirs)});
      items.insert(item);
    }
  }
  SelectionSaved saved = saveSelection(selection_, first, options);
  std::vector<SelectionFailure> failures = std::move(saved.failures);
  // Values others stored since they were read: replaced only when the user says so, and asked
  // again about any stored anew meanwhile.
  while (!saved.changedElsewhere.empty() || !changed.empty()) {
    for (const auto& [item, position] : saved.changedElsewhere) {
      changed.push_back({selection_.items()[item].path, position,
                         selection_.textsAfter(item, edit)[position],
                         shownText(selection_.items()[item].values[position])});
      items.insert(item);
    }
    if (services_.questions == nullptr ||
        services_.questions->askReplace(std::exchange(changed, {})) != Questions::Replace::kReplace)
      break;
    const std::vector<std::size_t> again(items.begin(), items.end());
    items.clear();
    saved = saveSelection(selection_, edit, options, &again);
    failures.insert(failures.end(), saved.failures.begin(), saved.failures.end());
  }
  busy_ = false;
  elsewhere_.clear();
  tagsElsewhere_.clear();

  // A field whose text could not be stored keeps it, so that nothing typed is lost.
  std::array<bool, kValueCount> notStored{};
  std::vector<ItemFailure> shown;
  for (SelectionFailure& failure : failures) {
    const bool listEdited = (failure.position == kKeywords && !edit.keywords.empty()) ||
                            (failure.position == kTags && !edit.tags.empty());
    notStored[failure.position] = notStored[failure.position] || listEdited ||
                                  edit.fields[failure.position].action == ValueEdit::Action::kWrite;
    // One item: its failures one by one; several: every failure in one alert, each naming its item.
    if (selection_.size() == 1) {
      services_.alert.showFailures({{{}, failure.position, std::move(failure.failure)}}, false);
    } else {
      shown.push_back({selection_.items()[failure.item].path, failure.position, std::move(failure.failure)});
    }
  }
  if (!shown.empty()) services_.alert.showFailures(shown, false);
  // Show what is stored now, whatever failed above; a kept keyword edit stays in the list.
  if (!notStored[kKeywords]) keywords_.reset(selection_.keywords(), selection_.size());
  if (!notStored[kTags]) tags_.reset(selection_.tags(), selection_.size());
  show(notStored);
  readPending();
  updateEdited();
  return failures.empty();
}

// --- Select Folder and Write Folder -----------------------------------------

void ViewController::selectFolderButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kFolder, window_, nearShown(),
      whenChosen(self_, [](ViewController& editor, const std::vector<fs::path>& urls) {
        editor.folderChosen(urls.front());
      }));
}

void ViewController::folderChosen(const fs::path& url) {
  if (busy_ || !windowShouldClose()) return;  // edits are not dropped unasked
  reader_.reset();
  pending_.clear();
  elsewhere_.clear();
  if (services_.loop != nullptr) services_.loop->watch(-1, nullptr);
  watch_ = ItemWatch();
  if (window_ != nullptr) window_->setTitle(lastPathComponent(url));
  theSourceFolderURL_ = url;
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(true);
  // What the opened items stored says nothing about the folder's entries.
  for (const Row& row : rows()) {
    row.field.setStringValue("");
    row.field.setPlaceholder("", TextField::Hint::kStoredValue);
    row.field.setChoices({});
    row.field.setChangedElsewhere(std::nullopt);
  }
  keywords_.reset({}, 0);
  outlets_.keywordList.setKeywords({}, 0);
  tags_.reset({}, 0);
  tagsElsewhere_.clear();
  outlets_.tagList.setTags({}, 0);
  outlets_.tagsBox.setStringValue("");
  outlets_.tagsBox.setPlaceholder("", TextField::Hint::kStoredKind);
  if (window_ != nullptr) window_->showItems({});
  selection_ = {};
  shown_ = {};
  imageFilled_ = {};
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(false);
  updateEdited();
}

void ViewController::writeFolderButton() {
  if (!theSourceFolderURL_ || busy_) return;
  // The fields are read for every entry; each failure's alert offers to stop.
  const auto table = rows();
  busy_ = true;
  // A chosen folder that cannot be opened at all ends the action without a word.
  writeFolder(
      *theSourceFolderURL_, [&table](std::size_t i) { return table[i].field.stringValue(); },
      [this](const std::string&, const Failure& failure) {
        return services_.alert.showFailures({{{}, 0, failure}}, true) == ErrorAlert::Answer::kGoOn;
      },
      {.progress = services_.progress,
       .progressInterval = services_.progressInterval,
       .desktopCopies = desktopCopies_});
  busy_ = false;
  readPending();
}

void ViewController::readPending() {
  if (reader_ == nullptr && !pending_.empty()) startReading(std::exchange(pending_, {}), false);
}

// --- Save Text --------------------------------------------------------------

void ViewController::saveTextButton() {
  // The report holds the fields as they are now, not when the panel closes.
  std::string report;
  if (selection_.size() > 1) {
    // Each item in turn, with the changes made in the window as Save would make them.
    SelectionEdit edit = currentEdit();
    edit.encode();
    for (std::size_t item = 0; item < selection_.size(); ++item) {
      if (item > 0) report += "\n\n";
      report += selection_.items()[item].path + "\n" +
                buildReport(selection_.textsAfter(item, edit));
    }
  } else {
    std::array<std::string, kFieldCount> texts;
    const auto table = rows();
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = table[i].field.stringValue();
    // The keyword list, then what is typed after it.
    std::vector<std::string> keywords;
    const std::vector<ValueCount>& rowsShown =
        selection_.size() > 0 ? keywords_.rows() : std::vector<ValueCount>{};
    for (const ValueCount& keyword : rowsShown) keywords.push_back(keyword.text);
    if (!texts[kKeywords].empty()) keywords.push_back(texts[kKeywords]);
    texts[kKeywords] = joinKeywords(keywords);
    report = buildReport(texts);
  }
  services_.savePanel.begin(
      whenChosen(self_, [report = std::move(report)](ViewController& editor,
                                                     const std::vector<fs::path>& urls) {
        try {
          writeReportFile(urls.front(), report);
        } catch (const std::system_error& error) {
          editor.showErrorAlert(error.code().message(), false);
        }
      }));
}

}  // namespace quillmark
