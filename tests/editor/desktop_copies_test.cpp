// The desktop copies of keywords and description, as KDE's own reader finds
// them after Save and Write Folder.
#include <gtest/gtest.h>

#include "tests/support/editor_fakes.h"
#include "tests/support/temp_dir.h"

#ifdef QUILLMARK_KDE_READER
namespace quillmark {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// "tags: a|b\ncomment: text\n", as KDE reads them; a leak in its library is not ours to report.
std::string desktopView(const fs::path& item) {
  std::string out;
  runCommand("ASAN_OPTIONS=detect_leaks=0 " QUILLMARK_KDE_READER " '" + item.string() + "'", &out);
  return out;
}

TEST(DesktopCopies, SaveAndWriteFolderKeepThemInStepWhenAskedAndNeverReadThemBack) {
  TempDir dir;
  FakeEditor ui;
  const fs::path item = dir.writeFile("f/photo.jpg"), other = dir.writeFile("f/sub/other.jpg");
  setRawAttribute(item, "xdg.tags", "old,tags");
  ASSERT_TRUE((ui.editor->openButton(), ui.choose(item)));
  EXPECT_EQ(ui.shown(), (std::array<std::string, 5>{}));
  ui.type({"", "", "Harbour at dawn", "", " alpha, beta ,, Ünï "});
  ui.editor->saveButton();
  EXPECT_EQ(desktopView(item), "tags: old|tags\ncomment: \n") << "off unless asked";

  ui.editor->setDesktopCopies(true);
  ui.editor->saveButton();
  EXPECT_EQ(desktopView(item), "tags: alpha|beta|Ünï\ncomment: Harbour at dawn\n");
  ui.fields[4].text = "";
  ui.checkboxes[4].on = true;
  ui.editor->saveButton();
  EXPECT_EQ(desktopView(item), "tags: \ncomment: Harbour at dawn\n");

  // Keywords kept as a list by another tool: an item holding a comma is not split.
  ui.checkboxes[4].on = false;
  setRawAttribute(item, ResourceList::itemKeywords,
                  "<array><string>Smith, John</string><string> quay </string></array>");
  ui.editor->saveButton();
  const std::string alert = "setxattr error: a desktop tag cannot hold a comma: \"Smith, John\"";
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{alert});
  EXPECT_EQ(desktopView(item), "tags: quay\ncomment: Harbour at dawn\n");

  ASSERT_TRUE((ui.editor->selectFolderButton(), ui.choose(dir.path() / "f")));
  ui.type({"", "", "", "", "new"});
  ui.editor->writeFolderButton();
  EXPECT_EQ(desktopView(other), "tags: new\ncomment: \n");
  EXPECT_EQ(desktopView(item), "tags: new\ncomment: Harbour at dawn\n");
}

}  // namespace
}  // namespace quillmark
#else
TEST(DesktopCopies, Skipped) { GTEST_SKIP() << "no KDE reader: scripts/install-deps installs it"; }
#endif
