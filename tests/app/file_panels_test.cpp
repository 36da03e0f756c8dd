// The open panels as the user meets them: Qt's real file dialog, clicked. The
// Open panel takes a file or a folder, the folder panel lists folders only,
// and each panel answers once.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <utility>
#include <vector>

#include "app/controls_qt.h"
#include "tests/app/app_fixture.h"

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;
using Answer = std::pair<int, std::optional<fs::path>>;

class OpenPanelTest : public ::testing::Test {
 protected:
  OpenPanelTest() : windowControl_(window_) {
    panel_.setNativeDialogsAllowed(false);
    dir_.writeFile("album/inside.jpg");
    dir_.writeFile(".secret");
    dir_.makeDir(".trash");
    window_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  // Shows a panel on the window, listing the temporary folder.
  QFileDialog* begin(bool filesToo) {
    OpenPanelSettings settings;
    settings.canChooseFiles = filesToo;
    settings.canChooseDirectories = settings.showsHiddenFiles = true;
    panel_.beginSheetModal(settings, &windowControl_, [this](int r, std::optional<fs::path> p) {
      answers_.emplace_back(r, std::move(p));
    });
    QFileDialog* dialog = panel_.activeDialog();
    dialog->setDirectory(fromPath(dir_.path()));
    EXPECT_TRUE(waitFor([&] { return listed(dialog).contains("album"); }));
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->parentWidget(), &window_);
    return dialog;
  }

  static QListView* list(QFileDialog* dialog) { return dialog->findChild<QListView*>("listView"); }

  static QStringList listed(QFileDialog* dialog) {
    QStringList names;
    const QModelIndex root = list(dialog)->rootIndex();
    for (int row = 0; row < list(dialog)->model()->rowCount(root); ++row)
      names << list(dialog)->model()->index(row, 0, root).data().toString();
    return names;
  }

  static void click(QFileDialog* dialog, const QString& name, bool twice = false) {
    const QModelIndex root = list(dialog)->rootIndex();
    const QModelIndex row = list(dialog)->model()->index(listed(dialog).indexOf(name), 0, root);
    ASSERT_TRUE(row.isValid()) << name.toStdString();
    const QPoint at = list(dialog)->visualRect(row).center();
    QTest::mouseClick(list(dialog)->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list(dialog)->viewport(), Qt::LeftButton, {}, at);
  }

  static void pressOpen(QFileDialog* dialog) {
    QPushButton* open = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
    ASSERT_TRUE(open->isEnabled());
    QTest::mouseClick(open, Qt::LeftButton);
  }

  TempDir dir_;
  const fs::path file_ = dir_.writeFile("photo.jpg", "jpeg");
  QMWindow window_;
  WidgetWindow windowControl_;
  FileOpenPanel panel_;
  std::vector<Answer> answers_;
};

TEST_F(OpenPanelTest, OpenPanelTakesEitherAFileOrAFolder) {
  QFileDialog* dialog = begin(true);
  EXPECT_TRUE(listed(dialog).contains(".secret"));
  click(dialog, "photo.jpg");
  pressOpen(dialog);
  EXPECT_EQ(answers_, (std::vector<Answer>{{kModalResponseOK, file_}}));

  // A selected folder is the answer, not a place to go into...
  dialog = begin(true);
  click(dialog, "album");
  pressOpen(dialog);
  ASSERT_EQ(answers_.size(), 2u);
  EXPECT_EQ(answers_[1], (Answer{kModalResponseOK, dir_.path() / "album"}));

  // ...though a double click still goes in, for browsing.
  dialog = begin(true);
  click(dialog, "album", true);
  EXPECT_TRUE(waitFor([&] { return listed(dialog).contains("inside.jpg"); }));
  EXPECT_EQ(answers_.size(), 2u);
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_EQ(answers_.back(), (Answer{kModalResponseCancel, std::nullopt}));
}

TEST_F(OpenPanelTest, FolderPanelListsFoldersOnlyAndAnswersOnce) {
  QFileDialog* dialog = begin(false);
  EXPECT_TRUE(listed(dialog).contains(".trash"));
  EXPECT_FALSE(listed(dialog).contains("photo.jpg"));
  click(dialog, "album");
  QPointer<QDialog> finished = dialog;
  pressOpen(dialog);
  if (finished) finished->done(QDialog::Rejected);  // a second finish must not answer again
  QCoreApplication::processEvents();
  EXPECT_EQ(answers_, (std::vector<Answer>{{kModalResponseOK, dir_.path() / "album"}}));
}

}  // namespace
}  // namespace quillmark::testing
