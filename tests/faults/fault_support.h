// What every fault test needs: what the user saw after an action (alerts and
// window state, comparable as one value), a snapshot of everything stored in a
// tree (to prove a failed action changed nothing but what it meant to), the
// edits every fault puts Save and Write Folder through, and a child process
// that runs an action as an unprivileged user and reports back what it saw.
#ifndef QUILLMARK_TESTS_FAULTS_FAULT_SUPPORT_H_
#define QUILLMARK_TESTS_FAULTS_FAULT_SUPPORT_H_

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "attrstore/resource_list.h"
#include "attrstore/xattr.h"
#include "tests/support/editor_fakes.h"

namespace quillmark::testing {

inline constexpr std::string_view kAlertHeading = "An error occurred in your last action:";

// --- What the user saw ------------------------------------------------------

struct ShownAlert {
  std::string message;
  std::string informative;
  bool operator==(const ShownAlert&) const = default;
};

// The alerts in the order shown and the window's state afterwards.
struct EditorOutcome {
  std::vector<ShownAlert> alerts{};
  std::array<std::string, 5> fields{};  // list order
  std::string title{};
  std::optional<bool> saveEnabled{};
  std::optional<bool> writeFolderEnabled{};
  std::optional<std::filesystem::path> sourceURL{};
  std::optional<std::filesystem::path> sourceFolderURL{};
  bool operator==(const EditorOutcome&) const = default;
};
void PrintTo(const EditorOutcome& outcome, std::ostream* out);

EditorOutcome outcomeOf(FakeEditor& ui);

// Expected outcomes. `alerts` are informative texts; each gets the usual heading.
EditorOutcome openedItem(const std::filesystem::path& item, std::array<std::string, 5> fields,
                         const std::vector<std::string>& alerts = {});
EditorOutcome chosenFolder(const std::filesystem::path& folder, std::array<std::string, 5> fields,
                           const std::vector<std::string>& alerts = {});
// A fresh window (nothing opened or chosen) whose fields were typed into.
EditorOutcome freshWindow(std::array<std::string, 5> fields,
                          const std::vector<std::string>& alerts = {});

// --- Driving the editor (no test assertions: also used in a child process) --

bool openItem(FakeEditor& ui, const std::filesystem::path& item);
bool chooseFolder(FakeEditor& ui, const std::filesystem::path& folder);
bool saveTextTo(FakeEditor& ui, const std::filesystem::path& target);
void typeFields(FakeEditor& ui, const std::array<std::string, 5>& texts);

// --- The edits every fault is put through -----------------------------------

inline constexpr auto kNames = ResourceList::kListOrder;
inline constexpr std::size_t kCopyright = 0, kCreator = 1, kDescription = 2, kHeadline = 3,
                             kKeywords = 4;

// Old values stored on the item before a Save: every position but Keywords.
inline const std::array<std::string, 5> kStoredTexts = {"© 1998 Old Owner", "Old Creator",
                                                        "Old description", "Old headline", ""};
void storeOldValues(const std::filesystem::path& item);

// The Save edit: a new Copyright and Headline, Creator cleared with its box
// ticked (remove a stored value), Description cleared but not ticked (leave
// it), Keywords ticked with nothing stored (remove an absent value).
void typeSaveEdits(FakeEditor& ui);
inline const std::array<std::string, 5> kSaveEditTexts = {"© 2024 New Owner", "", "",
                                                          "New headline", ""};
// The alerts that edit gives when every call fails with `error`, in list order.
std::vector<std::string> saveEditAlerts(std::string_view error);

// The Write Folder edit: Creator and Keywords filled, Copyright ticked (never a removal).
void typeFolderEdits(FakeEditor& ui);
inline const std::array<std::string, 5> kFolderEditTexts = {"", "Ada Lovelace", "", "",
                                                            "alpha, beta"};
// The tree every Write Folder fault walks: a.txt, sub, sub/b.txt and a link to
// a.txt (never written); returns the entries that are written, relative.
std::vector<std::string> makeWalkTree(const std::filesystem::path& root);
// The alerts when writing every field of `entries` entries fails with `error`.
std::vector<std::string> folderEditAlerts(std::size_t entries, std::string_view error);

std::string storedBytes(const Data& value);

// The kernel's limit on one attribute value, in bytes.
inline constexpr std::size_t kValueLimit = 65536;
// Printable ASCII text whose stored value is exactly `size` bytes.
std::string textForValueOfSize(std::size_t size);
// Creates or replaces a plain file holding `content`.
void writeText(const std::filesystem::path& path, std::string_view content);

// --- Everything stored in a tree --------------------------------------------

struct StoredItem {
  std::string kind;     // "file", "folder", "link -> target", "other"
  std::string content;  // a file's bytes (summarised when large)
  unsigned mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  std::map<std::string, std::string> attributes;  // kernel name -> raw value (links: their own)
  bool operator==(const StoredItem&) const = default;
};
// Every item in a tree (the root is "."), by relative path.
using TreeSnapshot = std::map<std::string, StoredItem>;

TreeSnapshot snapshotTree(const std::filesystem::path& root);
// Human-readable differences from `want` to `got`; empty when they are the same.
std::string treeDifferences(const TreeSnapshot& want, const TreeSnapshot& got);
// Success when `got` is `want`, else the differences.
::testing::AssertionResult sameTree(const TreeSnapshot& want, const TreeSnapshot& got);
// Success when the tree at `root` holds exactly `want`, else the differences.
::testing::AssertionResult treeHolds(const std::filesystem::path& root, const TreeSnapshot& want);
// Edits an expected snapshot: item `relative` now holds `value` under portable `name`.
void expectStored(TreeSnapshot& snapshot, const std::string& relative, std::string_view name,
                  const Data& value);
void expectRemoved(TreeSnapshot& snapshot, const std::string& relative, std::string_view name);
// Item `relative` now holds the Write Folder edit's values.
void expectFolderEdits(TreeSnapshot& snapshot, const std::string& relative);

// --- Acting as an unprivileged user -----------------------------------------

inline constexpr uid_t kNobody = 65534;

// Empty when this process can switch a child to uid/gid 65534, else why not.
std::string unprivilegedUnavailableReason();

// Runs `action` in a forked child that has dropped to uid/gid 65534 with no
// supplementary groups, and returns the outcome it reported, or an error
// describing how the child failed (it could not drop, crashed, said nothing).
struct ChildRun {
  std::optional<EditorOutcome> outcome;
  std::string failure;
};
ChildRun runUnprivileged(const std::function<EditorOutcome()>& action);

// A folder under /tmp that uid 65534 can reach (mkdtemp makes it 0700).
void makeTraversable(const std::filesystem::path& folder);

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_FAULTS_FAULT_SUPPORT_H_
