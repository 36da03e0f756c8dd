#include "tests/faults/fault_support.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <sstream>

#include "attrstore/codec.h"
#include "tests/support/temp_dir.h"

namespace quillmark::testing {

namespace fs = std::filesystem;

// --- What the user saw ------------------------------------------------------

namespace {

std::string printable(const std::optional<bool>& flag) {
  return flag ? (*flag ? "enabled" : "disabled") : "never set";
}

std::string printable(const std::optional<fs::path>& path) {
  return path ? "\"" + path->string() + "\"" : "none";
}

std::string shortened(const std::string& text) {
  if (text.size() <= 80) return "\"" + text + "\"";
  return "\"" + text.substr(0, 40) + "...\" (" + std::to_string(text.size()) + " bytes)";
}

std::vector<ShownAlert> withHeadings(const std::vector<std::string>& alerts) {
  std::vector<ShownAlert> shown;
  for (const std::string& text : alerts) shown.push_back({std::string(kAlertHeading), text});
  return shown;
}

}  // namespace

void PrintTo(const EditorOutcome& outcome, std::ostream* out) {
  *out << "\n  alerts:";
  if (outcome.alerts.empty()) *out << " none";
  for (const ShownAlert& alert : outcome.alerts) {
    *out << "\n    [" << alert.message << "] " << alert.informative;
  }
  *out << "\n  fields (list order):";
  for (const std::string& field : outcome.fields) *out << " " << shortened(field);
  *out << "\n  title \"" << outcome.title << "\", Save " << printable(outcome.saveEnabled)
       << ", Write Folder " << printable(outcome.writeFolderEnabled) << "\n  source "
       << printable(outcome.sourceURL) << ", folder " << printable(outcome.sourceFolderURL) << "\n";
}

EditorOutcome outcomeOf(FakeEditor& ui) {
  EditorOutcome outcome;
  for (const AlertRecord& alert : ui.alerts.alerts) {
    std::string message = alert.messageText;
    // Shown once, critical, with one OK button: anything else shows up as a different heading.
    if (alert.runs != 1 || alert.style != AlertStyle::kCritical ||
        alert.buttons != std::vector<std::string>{"OK"}) {
      message += " (not shown once as a critical OK alert)";
    }
    outcome.alerts.push_back({message, alert.informativeText});
  }
  std::vector<FakeTextField*> fields = ui.fieldsInListOrder();
  for (std::size_t i = 0; i < fields.size(); ++i) outcome.fields[i] = fields[i]->text_;
  outcome.title = ui.window.title_;
  outcome.saveEnabled = ui.save.enabled_;
  outcome.writeFolderEnabled = ui.writeFolder.enabled_;
  outcome.sourceURL = ui.editor->theSourceURL();
  outcome.sourceFolderURL = ui.editor->theSourceFolderURL();
  return outcome;
}

EditorOutcome openedItem(const fs::path& item, std::array<std::string, 5> fields,
                         const std::vector<std::string>& alerts) {
  return {.alerts = withHeadings(alerts),
          .fields = std::move(fields),
          .title = lastPathComponent(item),
          .saveEnabled = true,
          .writeFolderEnabled = false,
          .sourceURL = item};
}

EditorOutcome chosenFolder(const fs::path& folder, std::array<std::string, 5> fields,
                           const std::vector<std::string>& alerts) {
  return {.alerts = withHeadings(alerts),
          .fields = std::move(fields),
          .title = lastPathComponent(folder),
          .saveEnabled = false,
          .writeFolderEnabled = true,
          .sourceFolderURL = folder};
}

EditorOutcome freshWindow(std::array<std::string, 5> fields,
                          const std::vector<std::string>& alerts) {
  return {.alerts = withHeadings(alerts),
          .fields = std::move(fields),
          .title = "Quillmark",
          .saveEnabled = false,
          .writeFolderEnabled = false};
}

// --- Driving the editor -----------------------------------------------------

bool openItem(FakeEditor& ui, const fs::path& item) {
  ui.editor->openButton();
  return ui.openPanel.answer(kModalResponseOK, item);
}

bool chooseFolder(FakeEditor& ui, const fs::path& folder) {
  ui.editor->selectFolderButton();
  return ui.openPanel.answer(kModalResponseOK, folder);
}

bool saveTextTo(FakeEditor& ui, const fs::path& target) {
  ui.editor->saveTextButton();
  return ui.savePanel.answer(kModalResponseOK, target);
}

void typeFields(FakeEditor& ui, const std::array<std::string, 5>& texts) {
  std::vector<FakeTextField*> fields = ui.fieldsInListOrder();
  for (std::size_t i = 0; i < texts.size(); ++i) fields[i]->text_ = texts[i];
}

// --- The edits every fault is put through -----------------------------------

std::string storedBytes(const Data& value) { return std::string(value.begin(), value.end()); }

void storeOldValues(const fs::path& item) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (!kStoredTexts[i].empty()) {
      setRawAttribute(item, kNames[i], storedBytes(encodeAttributeValue(kStoredTexts[i])));
    }
  }
}

void typeSaveEdits(FakeEditor& ui) {
  typeFields(ui, kSaveEditTexts);
  std::vector<FakeCheckbox*> boxes = ui.checkboxesInListOrder();
  boxes[kCreator]->state_ = kControlStateOn;
  boxes[kDescription]->state_ = kControlStateOff;
  boxes[kKeywords]->state_ = kControlStateOn;
}

std::vector<std::string> saveEditAlerts(std::string_view error) {
  const std::string text(error);
  return {"setxattr error: " + text, "remxattr error: " + text, "setxattr error: " + text,
          "remxattr error: " + text};
}

void typeFolderEdits(FakeEditor& ui) {
  typeFields(ui, kFolderEditTexts);
  ui.checkboxesInListOrder()[kCopyright]->state_ = kControlStateOn;
}

std::string textForValueOfSize(std::size_t size) {
  std::string text;
  while (text.size() < size) text += "The quick brown fox jumps over the lazy dog. ";
  while (!text.empty() && encodeAttributeValue(text).size() > size) text.pop_back();
  return text;
}

void writeText(const fs::path& path, std::string_view content) {
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr) << path << ": " << std::strerror(errno);
  EXPECT_EQ(std::fwrite(content.data(), 1, content.size(), out), content.size());
  EXPECT_EQ(std::fclose(out), 0) << path;
}

std::vector<std::string> makeWalkTree(const fs::path& root) {
  fs::create_directories(root / "sub");
  for (const char* file : {"a.txt", "sub/b.txt"}) writeText(root / file, file);
  fs::create_symlink("a.txt", root / "link");
  return {"a.txt", "sub", "sub/b.txt"};
}

std::vector<std::string> folderEditAlerts(std::size_t entries, std::string_view error) {
  std::vector<std::string> alerts;
  for (std::size_t i = 0; i < entries; ++i) {
    alerts.push_back("setxattr error: " + std::string(error));  // Creator
    alerts.push_back("setxattr error: " + std::string(error));  // Keywords
  }
  return alerts;
}

// --- Everything stored in a tree --------------------------------------------

namespace {

std::string fileContent(const fs::path& path) {
  std::string content = readFile(path);
  if (content.size() <= 256) return content;
  // Large files (fillers, big reports) by size and FNV-1a hash.
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : content) hash = (hash ^ c) * 1099511628211ull;
  std::ostringstream summary;
  summary << "<" << content.size() << " bytes, hash " << std::hex << hash << ">";
  return summary.str();
}

std::map<std::string, std::string> attributesOf(const fs::path& path) {
  std::map<std::string, std::string> attributes;
  ssize_t size = llistxattr(path.c_str(), nullptr, 0);
  if (size < 0) {
    // ramfs has none to list; anything else is worth seeing in a difference.
    if (errno != EOPNOTSUPP) attributes["(listxattr)"] = std::strerror(errno);
    return attributes;
  }
  std::string names(static_cast<std::size_t>(size), '\0');
  size = llistxattr(path.c_str(), names.data(), names.size());
  names.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
  for (std::size_t begin = 0; begin < names.size();) {
    const std::string name = names.c_str() + begin;
    begin += name.size() + 1;
    ssize_t length = lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
    std::string value(length < 0 ? 0 : static_cast<std::size_t>(length), '\0');
    if (length >= 0) length = lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
    attributes[name] = length < 0 ? "(unreadable: " + std::string(std::strerror(errno)) + ")"
                                  : value.substr(0, static_cast<std::size_t>(length));
  }
  return attributes;
}

StoredItem storedItem(const fs::path& path) {
  StoredItem item;
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) {
    item.kind = "unreadable";
    return item;
  }
  item.mode = status.st_mode & 07777;
  item.owner = status.st_uid;
  item.group = status.st_gid;
  if (S_ISLNK(status.st_mode)) {
    item.kind = "link -> " + fs::read_symlink(path).string();
  } else if (S_ISDIR(status.st_mode)) {
    item.kind = "folder";
  } else if (S_ISREG(status.st_mode)) {
    item.kind = "file";
    item.content = fileContent(path);
  } else {
    item.kind = "other";
  }
  item.attributes = attributesOf(path);
  return item;
}

// A stored value as its text when it decodes to one, else its raw bytes.
std::string describeValue(const std::string& value) {
  const std::string text = decodeAttributeValue(
      std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size()));
  if (!text.empty())
    return "text " + shortened(text) + " (" + std::to_string(value.size()) + " bytes)";
  return "raw " + shortened(value);
}

std::string describe(const StoredItem& item) {
  std::ostringstream out;
  out << item.kind << " mode " << std::oct << item.mode << std::dec << " owner " << item.owner
      << ":" << item.group;
  if (item.kind == "file") out << " content " << shortened(item.content);
  for (const auto& [name, value] : item.attributes) {
    out << "\n      " << name << " = " << describeValue(value);
  }
  return out.str();
}

}  // namespace

TreeSnapshot snapshotTree(const fs::path& root) {
  TreeSnapshot snapshot;
  snapshot["."] = storedItem(root);
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    // Lexically: fs::relative would resolve a link to the item it points at.
    snapshot[it->path().lexically_relative(root).string()] = storedItem(it->path());
  }
  if (error) snapshot["(walk)"].kind = "failed: " + error.message();
  return snapshot;
}

std::string treeDifferences(const TreeSnapshot& want, const TreeSnapshot& got) {
  std::ostringstream out;
  for (const auto& [path, item] : want) {
    auto found = got.find(path);
    if (found == got.end()) {
      out << "\n  " << path << " is gone; expected " << describe(item);
    } else if (found->second != item) {
      out << "\n  " << path << " is   " << describe(found->second) << "\n    expected "
          << describe(item);
    }
  }
  for (const auto& [path, item] : got) {
    if (!want.contains(path)) out << "\n  " << path << " appeared: " << describe(item);
  }
  return out.str();
}

::testing::AssertionResult sameTree(const TreeSnapshot& want, const TreeSnapshot& got) {
  const std::string differences = treeDifferences(want, got);
  if (differences.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the tree differs:" << differences;
}

::testing::AssertionResult treeHolds(const fs::path& root, const TreeSnapshot& want) {
  return sameTree(want, snapshotTree(root)) << "\n(at " << root << ")";
}

void expectStored(TreeSnapshot& snapshot, const std::string& relative, std::string_view name,
                  const Data& value) {
  snapshot[relative].attributes[systemAttributeName(name)] = storedBytes(value);
}

void expectRemoved(TreeSnapshot& snapshot, const std::string& relative, std::string_view name) {
  snapshot[relative].attributes.erase(systemAttributeName(name));
}

void expectFolderEdits(TreeSnapshot& snapshot, const std::string& relative) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (!kFolderEditTexts[i].empty()) {
      expectStored(snapshot, relative, kNames[i], encodeAttributeValue(kFolderEditTexts[i]));
    }
  }
}

// --- Acting as an unprivileged user -----------------------------------------

namespace {

// The outcome as strings: title, the two buttons, the two locations, the five
// fields, then each alert's two texts. A flag or location that was never set is "".
std::vector<std::string> tokensOf(const EditorOutcome& o) {
  const auto flag = [](const std::optional<bool>& f) { return f ? (*f ? "1" : "0") : ""; };
  const auto where = [](const std::optional<fs::path>& p) { return p ? "+" + p->string() : ""; };
  std::vector<std::string> tokens = {o.title, flag(o.saveEnabled), flag(o.writeFolderEnabled),
                                     where(o.sourceURL), where(o.sourceFolderURL)};
  tokens.insert(tokens.end(), o.fields.begin(), o.fields.end());
  for (const ShownAlert& alert : o.alerts) {
    tokens.push_back(alert.message);
    tokens.push_back(alert.informative);
  }
  return tokens;
}

std::optional<EditorOutcome> outcomeFrom(const std::vector<std::string>& tokens) {
  constexpr std::size_t kFixed = 10;
  if (tokens.size() < kFixed || (tokens.size() - kFixed) % 2 != 0) return std::nullopt;
  const auto flag = [](const std::string& t) -> std::optional<bool> {
    if (t.empty()) return std::nullopt;
    return t == "1";
  };
  const auto where = [](const std::string& t) -> std::optional<fs::path> {
    if (t.empty()) return std::nullopt;
    return fs::path(t.substr(1));
  };
  EditorOutcome o{.title = tokens[0],
                  .saveEnabled = flag(tokens[1]),
                  .writeFolderEnabled = flag(tokens[2]),
                  .sourceURL = where(tokens[3]),
                  .sourceFolderURL = where(tokens[4])};
  std::copy(tokens.begin() + 5, tokens.begin() + kFixed, o.fields.begin());
  for (std::size_t i = kFixed; i < tokens.size(); i += 2) {
    o.alerts.push_back({tokens[i], tokens[i + 1]});
  }
  return o;
}

// Each token as its 8-byte length followed by its bytes.
std::string serialise(const EditorOutcome& outcome) {
  std::string out;
  for (const std::string& token : tokensOf(outcome)) {
    const std::uint64_t size = token.size();
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out += token;
  }
  return out;
}

std::optional<EditorOutcome> deserialise(std::string_view in) {
  std::vector<std::string> tokens;
  std::uint64_t size = 0;
  while (in.size() >= sizeof size) {
    std::memcpy(&size, in.data(), sizeof size);
    in.remove_prefix(sizeof size);
    if (in.size() < size) return std::nullopt;
    tokens.emplace_back(in.substr(0, size));
    in.remove_prefix(size);
  }
  if (!in.empty()) return std::nullopt;
  return outcomeFrom(tokens);
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Exit codes of a child that did not get as far as reporting.
constexpr int kCouldNotDrop = 90;
constexpr int kCouldNotReport = 91;

}  // namespace

std::string unprivilegedUnavailableReason() {
  if (geteuid() != 0) return "needs root to switch a child process to uid/gid 65534";
  return {};
}

ChildRun runUnprivileged(const std::function<EditorOutcome()>& action) {
  int channel[2];
  if (pipe(channel) != 0) return {std::nullopt, std::string("pipe: ") + std::strerror(errno)};
  std::fflush(nullptr);  // or the child repeats whatever output is still buffered
  const pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    return {std::nullopt, std::string("fork: ") + std::strerror(errno)};
  }
  if (child == 0) {
    close(channel[0]);
    // Groups first: once the user id is dropped, neither may be changed.
    if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
        setresuid(kNobody, kNobody, kNobody) != 0 || geteuid() != kNobody || getegid() != kNobody) {
      _exit(kCouldNotDrop);
    }
    const std::string report = serialise(action());
    _exit(writeAll(channel[1], report) && close(channel[1]) == 0 ? 0 : kCouldNotReport);
  }
  close(channel[1]);
  std::string report;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(channel[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    report.append(buffer, static_cast<std::size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) {
    return {std::nullopt, "the child died of signal " + std::to_string(WTERMSIG(status)) + " (" +
                              strsignal(WTERMSIG(status)) + ")"};
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {std::nullopt, code == kCouldNotDrop
                              ? "the child could not drop to uid/gid 65534"
                              : "the child exited with status " + std::to_string(code)};
  }
  std::optional<EditorOutcome> outcome = deserialise(report);
  if (!outcome) return {std::nullopt, "the child's report was cut short or garbled"};
  return {std::move(outcome), {}};
}

void makeTraversable(const fs::path& folder) {
  fs::permissions(folder, fs::perms(0755), fs::perm_options::replace);
}

}  // namespace quillmark::testing
