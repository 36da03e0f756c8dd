// Every action against real kernel faults, one table row each. A row names the
// disk, the fault set up on it, the action and what must follow: the alerts in
// order, the fields and window afterwards, and the only changes to the tree.
// Each row takes its own path through the code; a fault that would take the
// same path as a row here, or that the editor's own tests run, has no row.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/resource_list.h"
#include "editor/report.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/scratch_fs.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::ScratchMount;
// Texts in list order: Copyright, Creator, Description, Headline, Keywords.
using Fields = std::array<std::string, 5>;
using Tree = std::map<std::string, std::string>;

constexpr uid_t kNobody = 65534;
constexpr std::size_t kLimit = 65536;  // the kernel's largest attribute value
const Fields kOld = {"© 1998 Old Owner", "Old creator", "Old description", "Old headline", ""};

std::string str(const Data& data) { return std::string(data.begin(), data.end()); }
std::string hashOf(const std::string& s) { return std::to_string(std::hash<std::string>{}(s)); }
constexpr auto kNames = ResourceList::kListOrder;
// The name on disk of list position `i`.
std::string key(std::size_t i) { return "user." + std::string(kNames[i]); }

// Long texts by their start, size and hash, so that a difference stays readable.
std::string brief(const std::string& s) {
  if (s.size() <= 60) return s;
  return s.substr(0, 20) + "... (" + std::to_string(s.size()) + " bytes #" + hashOf(s) + ")";
}

// A stored value as its text (if any) and the hash of its exact bytes.
std::string describe(const std::string& raw) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw.data());
  return "\"" + brief(decodeAttributeValue({bytes, raw.size()})) + "\" " +
         std::to_string(raw.size()) + " bytes #" + hashOf(raw);
}

// Text stored in exactly kLimit bytes: at most kLimit by construction, and a
// row expects one more character to be refused.
const std::string kAtLimit = [] {
  std::string text(kLimit, 'a');
  while (encodeAttributeValue(text).size() > kLimit) text.pop_back();
  return text;
}();

// --- What the user saw, and what is on disk ----------------------------------

std::string alert(const std::string& text) { return "alert: " + text + "\n"; }

std::string window(const std::string& title, bool save, bool writeFolder) {
  return "window \"" + title + "\"" + (save ? ", Save on" : "") +
         (writeFolder ? ", Write Folder on" : "") + "\n";
}

// What the user saw, as lines to compare whole: each alert in order, the fields, the window.
std::string seen(FakeEditor& ui) {
  std::string out;
  for (const std::string& a : ui.alert.shown) out += alert(a);
  for (const testing::FakeTextField& field : ui.fields) out += "field: " + brief(field.text) + "\n";
  return out + window(ui.window.title, ui.save.enabled == true, ui.writeFolder.enabled == true);
}

// Every item from `root` down: type and mode, owner, content or link target,
// and each attribute under its name on disk.
Tree snapshot(const fs::path& root) {
  Tree tree;
  std::vector<fs::path> items{root};
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) items.push_back(e);
  for (const fs::path& path : items) {
    const std::string at = path.lexically_relative(root).string();
    struct stat st {};
    lstat(path.c_str(), &st);
    std::string& line = tree[at] = std::to_string(st.st_mode) + " " + std::to_string(st.st_uid);
    if (S_ISREG(st.st_mode)) line += " " + brief(testing::readFile(path));
    if (S_ISLNK(st.st_mode)) line += " -> " + fs::read_symlink(path).string();
    std::string names(4096, '\0'), value(kLimit, '\0');
    const ssize_t length = llistxattr(path.c_str(), names.data(), names.size());
    for (ssize_t name = 0; name < length; name += std::strlen(&names[name]) + 1) {
      const ssize_t size = lgetxattr(path.c_str(), &names[name], value.data(), value.size());
      tree[at + " " + &names[name]] = describe(value.substr(0, size < 0 ? 0 : size));
    }
  }
  return tree;
}

std::string lines(const Tree& tree) {
  std::string out;
  for (const auto& [at, line] : tree) out += at + ": " + line + "\n";
  return out;
}

// Runs `action` in a child that has dropped to uid/gid 65534 for good (root
// passes every permission check) and returns what it printed.
std::string asNobody(const std::function<std::string()>& action) {
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  std::fflush(nullptr);  // or the child prints what is still buffered a second time
  const pid_t child = fork();
  if (child == 0) {
    // Groups first: once the user is dropped, neither can be changed.
    const bool dropped = setgroups(0, nullptr) == 0 && setresgid(kNobody, kNobody, kNobody) == 0 &&
                         setresuid(kNobody, kNobody, kNobody) == 0;
    const std::string seen = dropped ? action() : "(could not drop to uid 65534)";
    _exit(write(channel[1], seen.data(), seen.size()) != static_cast<ssize_t>(seen.size()));
  }
  close(channel[1]);
  std::string seen;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) seen.append(buffer, got);
  close(channel[0]);
  int status = -1;
  if (child > 0) waitpid(child, &status, 0);
  return status == 0 ? seen : seen + "(the child failed, status " + std::to_string(status) + ")";
}

// --- The table ---------------------------------------------------------------

enum class Act { kOpen, kSave, kWriteFolder, kSaveText };
enum class User { kRoot, kNobody };

// Applies to the tree as it was before the action what the action should have
// changed; given the disk's root, which holds Report.pdf and Shoot/{sub/b.txt,link}.
using Changes = std::function<void(const fs::path& root, Tree& want)>;

struct Row {
  const char* name;
  ScratchMount::Kind disk;
  User user;
  std::string fault;  // a shell command run in the disk's root before the action
  Act act;
  // Typed once the item or folder is chosen; none: the fields as the choice left them.
  std::optional<Fields> typed{};
  std::string ticked{};  // list positions of the ticked boxes
  std::string alerts{};
  Fields shown{};
  Changes changes = [](const fs::path&, Tree&) {};
  std::optional<Fields> stored{};  // the item's raw values; none: kOld
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::string perform(const Row& r, const fs::path& root) {
  FakeEditor ui;
  if (r.act == Act::kOpen || r.act == Act::kSave) ui.editor->openButton();
  if (r.act == Act::kWriteFolder) ui.editor->selectFolderButton();
  // A panel that was never shown has nothing to answer.
  ui.choose(root / (r.act == Act::kWriteFolder ? "Shoot" : "Report.pdf"));
  if (r.typed) ui.type(*r.typed);
  for (char i : r.ticked) ui.checkboxes[i - '0'].on = true;
  if (r.act == Act::kSave) ui.editor->saveButton();
  if (r.act == Act::kWriteFolder) ui.editor->writeFolderButton();
  if (r.act == Act::kSaveText) ui.editor->saveTextButton();
  ui.saveAs(root / "report.txt");
  return seen(ui);
}

// Attributes `positions` of each item `at` hold the matching `texts`.
Changes written(std::vector<std::string> at, std::string positions, Fields texts) {
  return [=](const fs::path&, Tree& want) {
    for (const std::string& item : at)
      for (char i : positions)
        want[item + " " + key(i - '0')] = describe(str(encodeAttributeValue(texts[i - '0'])));
  };
}

Changes removed(std::string at, std::string positions) {
  return [=](const fs::path&, Tree& want) {
    for (char i : positions) want.erase(at + " " + key(i - '0'));
  };
}

std::string set(const std::string& error) { return alert("setxattr error: " + error); }
std::string rem(const std::string& error) { return alert("remxattr error: " + error); }
const std::string kDenied = "Permission denied", kNoSpace = "No space left on device";
// A new Copyright and Headline; Creator cleared and ticked (a stored value to
// remove), Description cleared but not ticked (kept), Keywords ticked with
// nothing stored. When every call fails, writes and removals alternate.
const Fields kSaveEdit = {"© 2024 New Owner", "", "", "New headline", ""};
std::string saveEditAlerts(const std::string& e) { return set(e) + rem(e) + set(e) + rem(e); }
const Fields kFolderEdit = {"", "Ada Lovelace", "", "", "alpha, beta"};
const Fields kOverABlock = {"", std::string(3000, 'x'), "", "", "kw"};  // Creator: ENOSPC on ext4

std::vector<Row> rows() {
  using enum ScratchMount::Kind;
  using enum Act;
  using enum User;
  std::string wide;  // 90,000 bytes of UTF-8 that are stored as 60,000 of UTF-16
  for (int i = 0; i < 30000; ++i) wide += "日";
  // One byte over the limit is refused; the stored size counts, not the text's.
  const Fields sizes = {kAtLimit, wide, kAtLimit + "x", "New headline", "kw"};
  const Fields sizesShown = {kAtLimit, wide, kOld[2], "New headline", "kw"};
  // Values other programs left: a valid one of the full size shows whole and
  // is written back as it was; malformed ones show empty and go when ticked.
  std::string garbage = "bplist00";
  while (garbage.size() < kLimit) garbage += static_cast<char>(0xFF - garbage.size() % 7);
  const Fields leftBehind = {str(encodeAttributeValue(kAtLimit)), garbage, "bplist00 cut short",
                             "<?xml version=\"1.0\"?><plist><integer>42</integer></plist>",
                             str(encodeAttributeValue("alpha"))};
  const Fields leftShown = {kAtLimit, "", "", "", "alpha"};
  // Full to the last block, then 64 KiB freed: a report just over that is cut short.
  const std::string fill =
      "dd if=/dev/zero of=spare bs=1024 count=64 2>/dev/null && { cat /dev/zero > big; "
      "dd if=/dev/zero of=small bs=1024; } 2>/dev/null; rm spare && sync -f .";
  const Fields longReport = {"", "", std::string(68 * 1024, 'd'), "Big news", ""};
  const Changes cutShort = [longReport](const fs::path& root, Tree& want) {
    const std::string written = testing::readFile(root / "report.txt");
    const std::string report = buildReport("Big news", longReport[2], "", "", "");
    // Else the first write was not cut short, and what follows one went untried.
    EXPECT_GT(written.size(), 0u);
    EXPECT_LT(written.size(), report.size());
    EXPECT_EQ(written, report.substr(0, written.size()));
    want["report.txt"] = snapshot(root)["report.txt"];
  };
  // Name, disk, user, fault, action, typed, ticked, alerts, fields shown,
  // changes to the tree, values stored on the item.
  return {
      {"SaveOnAReadOnlyDisk", kExt4, kRoot, "mount -o remount,ro .", kSave, kSaveEdit, "14",
       saveEditAlerts("Read-only file system"), kOld},
      {"SaveOfADeletedItem", kTmpfs, kRoot, "rm Report.pdf", kSave, kSaveEdit, "14",
       saveEditAlerts("No such file or directory")},
      {"SaveOfValuesAtAndOverTheSizeLimit", kTmpfs, kRoot, "", kSave, sizes, "",
       set("Argument list too long"), sizesShown, written({"Report.pdf"}, "0134", sizes)},
      {"SaveWithEveryBoxTickedOverValuesLeftBehind", kTmpfs, kRoot, "", kSave, std::nullopt,
       "01234", "", leftShown, removed("Report.pdf", "123"), leftBehind},
      // An immutable folder, then inside it a value larger than an ext4 block
      // while the next field of the same entry is written. The link to b.txt
      // is passed over: writing it would alert. Write Folder never removes.
      {"WriteFolderOverAnImmutableFolderAndAValueOverABlock", kExt4, kRoot, "chattr +i Shoot/sub",
       kWriteFolder, kOverABlock, "0",
       set("Operation not permitted") + set("Operation not permitted") + set(kNoSpace), kOverABlock,
       written({"Shoot/sub/b.txt"}, "4", kOverABlock)},
      // The user's own tree holds root's private folder: its attributes are
      // refused, then its listing, and the rest is written.
      {"WriteFolderOverAnUnlistableSubfolder", kTmpfs, kNobody,
       "chown -R 65534:65534 Shoot && mkdir -p Shoot/locked/in && chmod 700 Shoot/locked",
       kWriteFolder, kFolderEdit, "",
       set(kDenied) + set(kDenied) + alert("opendir error: " + kDenied), kFolderEdit,
       written({"Shoot/sub", "Shoot/sub/b.txt"}, "14", kFolderEdit)},
      {"OpenOfAnItemOnlyItsOwnerMayRead", kTmpfs, kNobody, "chmod 600 Report.pdf", kOpen},
      {"SaveTextOnANearlyFullDisk", kExt4, kRoot, fill, kSaveText, longReport, "", alert(kNoSpace),
       longReport, cutShort},
  };
}

class FaultMatrix : public ::testing::TestWithParam<Row> {};

TEST_P(FaultMatrix, AlertsWindowAndTreeAreAsExpected) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  const Row& r = GetParam();
  ScratchMount disk(r.disk);
  ASSERT_TRUE(disk.mounted());
  const fs::path root = disk.root(), item = root / "Report.pdf", folder = root / "Shoot";
  fs::permissions(root.parent_path(), fs::perms(0755));  // for uid 65534 to reach the disk
  std::ofstream(item) << "content";
  for (std::size_t i = 0; i < 5; ++i) {
    const std::string raw = r.stored ? (*r.stored)[i] : str(encodeAttributeValue(kOld[i]));
    if (r.stored || !kOld[i].empty()) testing::setRawAttribute(item, kNames[i], raw);
  }
  fs::create_directories(folder / "sub");
  std::ofstream(folder / "sub" / "b.txt") << "b";
  fs::create_symlink("sub/b.txt", folder / "link");
  ASSERT_EQ(testing::runCommand("cd '" + root.string() + "' || exit 1; " + r.fault), 0);
  Tree want = snapshot(root);

  const auto action = [&] { return perform(r, root); };
  const bool onItem = r.act == Act::kOpen || r.act == Act::kSave;
  const bool onFolder = r.act == Act::kWriteFolder;
  std::string shown;
  for (const std::string& field : r.shown) shown += "field: " + brief(field) + "\n";
  const std::string title = onItem ? "Report.pdf" : onFolder ? "Shoot" : "Quillmark";
  EXPECT_EQ(r.user == User::kNobody ? asNobody(action) : action(),
            r.alerts + shown + window(title, onItem, onFolder));
  r.changes(root, want);
  EXPECT_EQ(lines(want), lines(snapshot(root)));
}

INSTANTIATE_TEST_SUITE_P(Fault, FaultMatrix, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace quillmark
