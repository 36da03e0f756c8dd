// Every action against real kernel faults, one table row each. A row names the
// disk, the fault set up on it, the action and what must follow: the alerts in
// order, the fields and window afterwards, and the only changes to the tree.
// Each row takes its own path through the code.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>

#include "attrstore/codec.h"
#include "editor/report.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/scratch_fs.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::ScratchMount;
using Fields = std::array<std::string, 5>;  // list order: Copyright .. Keywords
using Tree = std::map<std::string, std::string>;

constexpr std::size_t kLimit = 65536;  // the kernel's largest attribute value
const Fields kOld = {"© 1998 Old Owner", "Old creator", "Old description", "Old headline", ""};

std::string str(const Data& data) { return std::string(data.begin(), data.end()); }

// Long texts by their start, size and hash, so that a difference stays readable.
std::string brief(const std::string& s) {
  if (s.size() <= 60) return s;
  return s.substr(0, 20) + "... (" + std::to_string(s.size()) + " bytes #" +
         std::to_string(std::hash<std::string>{}(s)) + ")";
}

// Every item from `root` down: type and mode, owner, content or link target,
// and each attribute's decoded text and exact bytes.
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
      value.resize(std::max<ssize_t>(0, lgetxattr(path.c_str(), &names[name], value.data(), kLimit)));
      tree[at + " " + &names[name]] = brief(decodeAttributeValue(testing::bytes(value))) + " " + brief(value);
      value.resize(kLimit);
    }
  }
  return tree;
}

// Runs `action` in a child that has dropped to uid/gid 65534 for good (root
// passes every permission check) and returns what it printed.
std::string asNobody(const std::function<std::string()>& action) {
  int channel[2];
  if (pipe(channel) != 0) return "no pipe";
  if (fork() == 0) {
    const bool dropped = setgroups(0, nullptr) == 0 && setresgid(65534, 65534, 65534) == 0 &&
                         setresuid(65534, 65534, 65534) == 0;
    const std::string seen = dropped ? action() : "(could not drop to uid 65534)";
    _exit(write(channel[1], seen.data(), seen.size()) != static_cast<ssize_t>(seen.size()));
  }
  close(channel[1]);
  std::string seen;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) seen.append(buffer, got);
  close(channel[0]);
  int status = -1;
  wait(&status);
  return status == 0 ? seen : seen + "(the child failed)";
}

enum class Act { kOpen, kSave, kWriteFolder, kSaveText };

// What the action should change in the tree as it was before; given the disk's
// root, which holds Report.pdf and Shoot/{sub/b.txt,link}.
using Changes = std::function<void(const fs::path& root, Tree& want)>;

struct Row {
  const char* name;
  ScratchMount::Kind disk;
  bool nobody;
  std::string fault;  // a shell command run in the disk's root before the action
  Act act;
  std::optional<Fields> typed{};  // once the item or folder is chosen
  std::string ticked{};           // list positions of the ticked boxes
  std::string alerts{};           // each alert's text, one per line
  Fields shown{};
  Changes changes = [](const fs::path&, Tree&) {};
  std::optional<Fields> stored{};  // the item's raw values; none: kOld
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// What the user saw, as lines: the alerts, the fields, the window.
std::string perform(const Row& r, const fs::path& root) {
  testing::FakeEditor ui;
  if (r.act == Act::kOpen || r.act == Act::kSave) ui.editor->openButton();
  if (r.act == Act::kWriteFolder) ui.editor->selectFolderButton();
  ui.choose(root / (r.act == Act::kWriteFolder ? "Shoot" : "Report.pdf"));
  if (r.typed) ui.type(*r.typed);
  for (char i : r.ticked) ui.checkboxes[i - '0'].on = true;
  if (r.act == Act::kSave) ui.editor->saveButton();
  if (r.act == Act::kWriteFolder) ui.editor->writeFolderButton();
  if (r.act == Act::kSaveText) ui.editor->saveTextButton();
  ui.saveAs(root / "report.txt");
  std::string out;
  for (const std::string& alert : ui.alert.shown) out += alert + "\n";
  for (const std::string& field : ui.shown()) out += "field: " + brief(field) + "\n";
  return out + ui.window.title + (ui.save.enabled == true ? ", Save" : "") +
         (ui.writeFolder.enabled == true ? ", Write Folder" : "");
}

// Attributes `positions` of each item `at` hold the matching `texts`.
Changes written(std::vector<std::string> at, std::string positions, Fields texts) {
  return [=](const fs::path&, Tree& want) {
    for (const std::string& item : at) {
      for (char i : positions) {
        const std::string value = str(encodeAttributeValue(texts[i - '0']));
        want[item + " user." + std::string(ResourceList::kListOrder[i - '0'])] =
            brief(texts[i - '0']) + " " + brief(value);
      }
    }
  };
}

const std::string kDenied = "Permission denied\n", kNoSpace = "No space left on device\n",
                  kUnsupported = "Operation not supported\n";
const std::string kSet = "setxattr error: ", kRemove = "remxattr error: ";
// A new Copyright and Headline; Creator cleared and ticked (a stored value to
// remove), Description cleared but not ticked (kept), Keywords ticked with
// nothing stored. When every call fails, writes and removals alternate.
const Fields kSaveEdit = {"© 2024 New Owner", "", "", "New headline", ""};
std::string saveEditAlerts(const std::string& e) { return kSet + e + kRemove + e + kSet + e + kRemove + e; }
const Fields kFolderEdit = {"", "Ada Lovelace", "", "", "alpha, beta"};
const Fields kOverABlock = {"", std::string(3000, 'x'), "", "", "kw"};  // Creator: ENOSPC on ext4

std::vector<Row> rows() {
  using enum ScratchMount::Kind;
  using enum Act;
  std::string atLimit(kLimit, 'a'), wide;  // 90,000 bytes of UTF-8 stored as 60,000 of UTF-16
  while (encodeAttributeValue(atLimit).size() > kLimit) atLimit.pop_back();
  for (int i = 0; i < 30000; ++i) wide += "日";
  // One character over the limit is refused; the stored size counts, not the text's.
  const Fields sizes = {atLimit, wide, atLimit + "x", "New headline", "kw"};
  // Values other programs left: a valid one of the full size shows whole and
  // is written back as it was; malformed ones show empty and go when ticked.
  std::string garbage = "bplist00";
  while (garbage.size() < kLimit) garbage += static_cast<char>(0xFF - garbage.size() % 7);
  const Fields leftBehind = {str(encodeAttributeValue(atLimit)), garbage, "bplist00 cut short",
                             "<plist><integer>42</integer></plist>", str(encodeAttributeValue("alpha"))};
  // Full to the last block, then 64 KiB freed: a report just over that is cut short.
  const std::string fill =
      "dd if=/dev/zero of=spare bs=1024 count=64 2>/dev/null && { cat /dev/zero > big; "
      "dd if=/dev/zero of=small bs=1024; } 2>/dev/null; rm spare && sync -f .";
  const Fields longReport = {"", "", std::string(68 * 1024, 'd'), "Big news", ""};
  const Changes cutShort = [longReport](const fs::path& root, Tree& want) {
    const std::string written = testing::readFile(root / "report.txt");
    const std::string report = buildReport("Big news", longReport[2], "", "", "");
    EXPECT_GT(written.size(), 0u);  // else what follows a short write went untried
    EXPECT_EQ(written, report.substr(0, std::min(written.size(), report.size() - 1)));
    want["report.txt"] = snapshot(root)["report.txt"];
  };
  return {
      // Text that could not be written stays in its field; the rest shows what is stored.
      {"SaveOnAReadOnlyDisk", kExt4, false, "mount -o remount,ro .", kSave, kSaveEdit, "14",
       saveEditAlerts("Read-only file system\n"), {kSaveEdit[0], kOld[1], kOld[2], kSaveEdit[3], ""}},
      {"SaveOfADeletedItem", kTmpfs, false, "rm Report.pdf", kSave, kSaveEdit, "14",
       saveEditAlerts("No such file or directory\n"), kSaveEdit},
      {"SaveOfValuesAtAndOverTheSizeLimit", kTmpfs, false, "", kSave, sizes, "",
       kSet + "Argument list too long\n", sizes, written({"Report.pdf"}, "0134", sizes)},
      {"SaveOfAValueOverABlock", kExt4, false, "", kSave, kOverABlock, "", kSet + kNoSpace,
       {kOld[0], kOverABlock[1], kOld[2], kOld[3], "kw"}, written({"Report.pdf"}, "4", kOverABlock)},
      {"SaveWithEveryBoxTickedOverValuesLeftBehind", kTmpfs, false, "", kSave, std::nullopt,
       "01234", "", {atLimit, "", "", "", "alpha"},
       [](const fs::path&, Tree& want) {
         for (int i : {1, 2, 3}) want.erase("Report.pdf user." + std::string(ResourceList::kListOrder[i]));
       },
       leftBehind},
      // An immutable folder, then a value larger than an ext4 block while the
      // next field of the same entry is written; the link to b.txt is passed over.
      {"WriteFolderOverAnImmutableFolderAndAValueOverABlock", kExt4, false, "chattr +i Shoot/sub",
       kWriteFolder, kOverABlock, "0",
       kSet + "Operation not permitted\n" + kSet + "Operation not permitted\n" + kSet + kNoSpace,
       kOverABlock, written({"Shoot/sub/b.txt"}, "4", kOverABlock)},
      // A tree without attributes: each field of each entry is refused.
      {"WriteFolderWhereNoAttributesAreKept", kRamfs, false, "", kWriteFolder, kFolderEdit, "",
       kSet + kUnsupported + kSet + kUnsupported + kSet + kUnsupported + kSet + kUnsupported,
       kFolderEdit},
      // The user's own tree holds root's private folder: its attributes are
      // refused, then its listing, and the rest is written.
      {"WriteFolderOverAnUnlistableSubfolder", kTmpfs, true,
       "chown -R 65534:65534 Shoot && mkdir -p Shoot/locked/in && chmod 700 Shoot/locked",
       kWriteFolder, kFolderEdit, "", kSet + kDenied + kSet + kDenied + "opendir error: " + kDenied,
       kFolderEdit, written({"Shoot/sub", "Shoot/sub/b.txt"}, "14", kFolderEdit)},
      {"OpenOfAnItemOnlyItsOwnerMayRead", kTmpfs, true, "chmod 600 Report.pdf", kOpen},
      {"SaveTextOnANearlyFullDisk", kExt4, false, fill, kSaveText, longReport, "", kNoSpace,
       longReport, cutShort},
  };
}

class FaultMatrix : public ::testing::TestWithParam<Row> {};

TEST_P(FaultMatrix, AlertsWindowAndTreeAreAsExpected) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  const Row& r = GetParam();
  ScratchMount disk(r.disk);
  ASSERT_TRUE(disk.mounted());
  const fs::path root = disk.root(), item = root / "Report.pdf";
  fs::permissions(root.parent_path(), fs::perms(0755));  // for uid 65534 to reach the disk
  std::ofstream(item) << "content";
  for (std::size_t i = 0; i < 5 && r.disk != ScratchMount::Kind::kRamfs; ++i) {  // ramfs keeps none
    const std::string raw = r.stored ? (*r.stored)[i] : str(encodeAttributeValue(kOld[i]));
    if (r.stored || !kOld[i].empty()) testing::setRawAttribute(item, ResourceList::kListOrder[i], raw);
  }
  fs::create_directories(root / "Shoot" / "sub");
  std::ofstream(root / "Shoot" / "sub" / "b.txt") << "b";
  fs::create_symlink("sub/b.txt", root / "Shoot" / "link");
  ASSERT_EQ(testing::runCommand("cd '" + root.string() + "' || exit 1; " + r.fault), 0);
  Tree want = snapshot(root);

  const auto action = [&] { return perform(r, root); };
  std::string shown;
  for (const std::string& field : r.shown) shown += "field: " + brief(field) + "\n";
  const bool onItem = r.act == Act::kOpen || r.act == Act::kSave;
  const bool onFolder = r.act == Act::kWriteFolder;
  EXPECT_EQ(r.nobody ? asNobody(action) : action(),
            r.alerts + shown + (onItem ? "Report.pdf, Save" : onFolder ? "Shoot, Write Folder" : "Quillmark"));
  r.changes(root, want);
  EXPECT_EQ(want, snapshot(root));
}

INSTANTIATE_TEST_SUITE_P(Fault, FaultMatrix, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmark
