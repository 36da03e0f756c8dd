// The open panels as the user meets them: Qt's real file dialog, clicked.
// The Open panel must take a file or a folder; the folder panel lists folders
// only; each panel answers once; an answer given in advance comes later.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "app/controls_qt.h"
#include "app/file_panels.h"
#include "app/qm_window.h"
#include "tests/app/app_fixture.h"

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

struct Answer {
  int response;
  std::optional<fs::path> path;
  bool operator==(const Answer&) const = default;
};

void PrintTo(const Answer& answer, std::ostream* out) {
  *out << "{" << answer.response << ", " << (answer.path ? answer.path->string() : "none") << "}";
}

// The Open action's and the Select Folder action's settings.
OpenPanelSettings fileOrFolder() {
  OpenPanelSettings settings;
  settings.canChooseFiles = true;
  settings.canChooseDirectories = true;
  settings.showsHiddenFiles = true;
  settings.treatsFilePackagesAsDirectories = true;
  return settings;
}

OpenPanelSettings folderOnly() {
  OpenPanelSettings settings = fileOrFolder();
  settings.canChooseFiles = false;
  return settings;
}

class OpenPanelTest : public ::testing::Test {
 protected:
  OpenPanelTest() : windowControl_(window_) {
    panel_.setNativeDialogsAllowed(false);
    file_ = dir_.writeFile("photo.jpg", "jpeg");
    folder_ = dir_.makeDir("album");
    dir_.writeFile("album/inside.jpg");
    dir_.writeFile(".secret");
    dir_.makeDir(".trash");
    window_.resize(640, 480);
    window_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  // Shows a panel on the window, listing the temporary folder.
  QFileDialog* begin(const OpenPanelSettings& settings) {
    panel_.beginSheetModal(settings, &windowControl_,
                           [this](int response, std::optional<fs::path> path) {
                             answers_.push_back({response, std::move(path)});
                           });
    QFileDialog* dialog = panel_.activeDialog();
    EXPECT_NE(dialog, nullptr);
    if (dialog == nullptr) return nullptr;
    dialog->setDirectory(QString::fromStdString(dir_.path().string()));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_TRUE(waitFor([&] { return listed(dialog).contains("album"); }));
    return dialog;
  }

  static QListView* list(QFileDialog* dialog) {
    return dialog->findChild<QListView*>("listView");
  }

  static QStringList listed(QFileDialog* dialog) {
    QListView* view = list(dialog);
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
      names << view->model()->index(row, 0, root).data().toString();
    }
    return names;
  }

  static QPoint rowCentre(QFileDialog* dialog, const QString& name) {
    QListView* view = list(dialog);
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
      const QModelIndex index = view->model()->index(row, 0, root);
      if (index.data().toString() == name) {
        view->scrollTo(index);
        return view->visualRect(index).center();
      }
    }
    ADD_FAILURE() << "no " << name.toStdString() << " in the panel";
    return {};
  }

  static void clickRow(QFileDialog* dialog, const QString& name) {
    QTest::mouseClick(list(dialog)->viewport(), Qt::LeftButton, {}, rowCentre(dialog, name));
  }

  static void pressOpen(QFileDialog* dialog) {
    QPushButton* open =
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(open->isEnabled());
    QTest::mouseClick(open, Qt::LeftButton);
  }

  TempDir dir_;
  fs::path file_, folder_;
  QMWindow window_;
  WidgetWindow windowControl_;
  FileOpenPanel panel_;
  std::vector<Answer> answers_;
};

TEST_F(OpenPanelTest, OpenPanelTakesEitherAFileOrAFolder) {
  QFileDialog* dialog = begin(fileOrFolder());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_EQ(dialog->parentWidget(), &window_);
  EXPECT_TRUE(listed(dialog).contains(".secret"));
  EXPECT_TRUE(listed(dialog).contains("photo.jpg"));
  EXPECT_TRUE(answers_.empty());

  clickRow(dialog, "photo.jpg");
  pressOpen(dialog);
  EXPECT_EQ(answers_, (std::vector<Answer>{{kModalResponseOK, file_}}));
  EXPECT_TRUE(waitFor([&] { return panel_.activeDialog() == nullptr; }));

  // A selected folder is the answer, not a place to go into.
  dialog = begin(fileOrFolder());
  ASSERT_NE(dialog, nullptr);
  clickRow(dialog, "album");
  pressOpen(dialog);
  ASSERT_EQ(answers_.size(), 2u);
  EXPECT_EQ(answers_[1], (Answer{kModalResponseOK, folder_}));

  // Browsing still works: a double click goes into the folder.
  dialog = begin(fileOrFolder());
  ASSERT_NE(dialog, nullptr);
  const QPoint album = rowCentre(dialog, "album");
  QTest::mouseClick(list(dialog)->viewport(), Qt::LeftButton, {}, album);
  QTest::mouseDClick(list(dialog)->viewport(), Qt::LeftButton, {}, album);
  EXPECT_TRUE(waitFor([&] { return listed(dialog).contains("inside.jpg"); }));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(answers_.size(), 2u);
  QTest::keyClick(dialog, Qt::Key_Escape);
  ASSERT_EQ(answers_.size(), 3u);
  EXPECT_EQ(answers_[2], (Answer{kModalResponseCancel, std::nullopt}));
}

TEST_F(OpenPanelTest, FolderPanelListsFoldersOnlyAndAnswersOnce) {
  QFileDialog* dialog = begin(folderOnly());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_TRUE(listed(dialog).contains(".trash"));
  EXPECT_FALSE(listed(dialog).contains("photo.jpg"));
  EXPECT_FALSE(listed(dialog).contains(".secret"));

  clickRow(dialog, "album");
  QPointer<QFileDialog> finished = dialog;
  pressOpen(dialog);
  if (finished) static_cast<QDialog*>(finished.data())->done(QDialog::Rejected);  // a second finish must not answer again
  QCoreApplication::processEvents();
  EXPECT_EQ(answers_, (std::vector<Answer>{{kModalResponseOK, folder_}}));
}

TEST_F(OpenPanelTest, AnAnswerGivenInAdvanceArrivesAfterTheCallReturns) {
  panel_.answerNext(kModalResponseOK, file_);
  panel_.beginSheetModal(fileOrFolder(), &windowControl_,
                         [this](int response, std::optional<fs::path> path) {
                           answers_.push_back({response, std::move(path)});
                         });
  EXPECT_TRUE(answers_.empty());
  EXPECT_EQ(panel_.activeDialog(), nullptr);
  EXPECT_TRUE(waitFor([&] { return !answers_.empty(); }));
  EXPECT_EQ(answers_, (std::vector<Answer>{{kModalResponseOK, file_}}));

  FileSavePanel savePanel;
  savePanel.answerNext(kModalResponseCancel, std::nullopt);
  savePanel.begin({}, [this](int response, std::optional<fs::path> path) {
    answers_.push_back({response, std::move(path)});
  });
  EXPECT_EQ(answers_.size(), 1u);
  EXPECT_EQ(savePanel.activeDialog(), nullptr);
  EXPECT_TRUE(waitFor([&] { return answers_.size() == 2; }));
  EXPECT_EQ(answers_[1], (Answer{kModalResponseCancel, std::nullopt}));
}

}  // namespace
}  // namespace quillmark::testing
