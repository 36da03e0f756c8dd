// The real document window, built from its interface description, driven
// through its widgets, menus and keys: opening, saving, failures, folders,
// the text report, several windows and quitting.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTimer>
#include <vector>

#include "app/message_alert.h"
#include "app/walk_progress_dialog.h"
#include "attrstore/codec.h"
#include "attrstore/resource_list.h"
#include "tests/app/app_fixture.h"

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHeadline = ResourceList::itemHeadline;
constexpr std::string_view kCreator = ResourceList::itemCreator;

void setValue(const fs::path& path, std::string_view name, std::string_view text) {
  const Data value = encodeAttributeValue(text);
  setRawAttribute(path, name, std::string_view(reinterpret_cast<const char*>(value.data()),
                                               value.size()));
}

// Counts progress dialogs that come on screen anywhere in the application.
class ProgressShows : public QObject {
 public:
  ProgressShows() { qApp->installEventFilter(this); }
  ~ProgressShows() override { qApp->removeEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(watched)) ++count;
    return false;
  }
};

using DocumentTest = AppTest;

TEST_F(DocumentTest, StartsWithOneUntitledWindowReadyForInput) {
  documents_.openLaunchArguments({});
  ASSERT_EQ(documents_.documents().size(), 1);
  const Document& document = *documents_.documents().front();
  QMWindow* window = document.window();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));

  EXPECT_EQ(window->windowTitle(), "Quillmark");
  EXPECT_FALSE(child<QPushButton>(document, "saveButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(document, "writefolderButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QAction>(document, "saveAction")->isEnabled());
  for (const char* box : {"headlineCheckbox", "descriptionCheckbox", "creatorCheckbox",
                          "copyrightCheckbox", "keywordsCheckbox"}) {
    EXPECT_FALSE(child<QCheckBox>(document, box)->isChecked()) << box;
  }

  // Typing goes straight into the headline; Tab then walks the rows, each
  // field followed by its box, and then the buttons that can be pressed.
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "headlineBox");
  const QStringList order = {"headlineCheckbox",  "DescriptionBox",    "descriptionCheckbox",
                             "creatorBox",        "creatorCheckbox",   "copyrightBox",
                             "copyrightCheckbox", "keywordsBox",       "keywordsCheckbox",
                             "openButton",        "selectFolderButton", "saveTextButton"};
  for (const QString& expected : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), expected);
  }
  // Each label's mnemonic leads to its field.
  QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "creatorBox");
  QTest::keyClick(window, Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "DescriptionBox");
}

TEST_F(DocumentTest, OpensAnItemAndSavesEditsAsStoredValues) {
  const fs::path file = dir_.writeFile("harbour.jpg", "jpeg");
  setValue(file, kHeadline, "Harbour at dawn");
  setValue(file, kCreator, "Maren Holt");
  Document& document = newWindow();
  openItem(document, file);

  EXPECT_EQ(text(document, "headlineBox"), "Harbour at dawn");
  EXPECT_EQ(text(document, "creatorBox"), "Maren Holt");
  EXPECT_EQ(text(document, "DescriptionBox"), "");
  EXPECT_EQ(document.window()->windowTitle(), "harbour.jpg");
  EXPECT_TRUE(child<QPushButton>(document, "saveButtonSetting")->isEnabled());
  EXPECT_TRUE(child<QAction>(document, "saveAction")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(document, "writefolderButtonSetting")->isEnabled());

  // Non-ASCII text reaches the file as UTF-8; an emptied field whose box is
  // ticked removes its value.
  type(document, "headlineBox", QStringLiteral("Hafen im Morgengrau – Zoë"));
  type(document, "creatorBox", QString());
  child<QCheckBox>(document, "creatorCheckbox")->click();
  QTest::mouseClick(child<QPushButton>(document, "saveButtonSetting"), Qt::LeftButton);

  EXPECT_EQ(rawAttribute(file, kHeadline), encodeAttributeValue("Hafen im Morgengrau – Zoë"));
  EXPECT_EQ(rawAttribute(file, kCreator), std::nullopt);
  // The kernel keeps it in the user namespace, under the portable name.
  EXPECT_GT(getxattr(file.c_str(), "user.com.apple.metadata:kMDItemHeadline", nullptr, 0), 0);

  // Ctrl+S is the same Save.
  child<QCheckBox>(document, "creatorCheckbox")->click();
  type(document, "headlineBox", QStringLiteral("Second thoughts"));
  QTest::keyClick(document.window(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(rawAttribute(file, kHeadline), encodeAttributeValue("Second thoughts"));
}

TEST_F(DocumentTest, FailedSaveShowsTheCriticalAlertAndTheWindowGoesOn) {
  const fs::path file = dir_.writeFile("locked.txt", "text");
  setValue(file, kHeadline, "Kept");
  Document& document = newWindow();
  openItem(document, file);
  if (runCommand("chattr +i '" + file.string() + "' 2>/dev/null") != 0) {
    GTEST_SKIP() << "chattr +i is not possible here (needs root and an ext-like filesystem)";
  }

  struct Seen {
    QString text, informative, title;
    QStringList buttons;
    QMessageBox::Icon icon;
    Qt::WindowModality modality;
    bool visible;
  };
  std::vector<Seen> seen;
  document.alerts().setWatcher([&](QMessageBox& box) {
    QStringList buttons;
    for (QAbstractButton* button : box.buttons()) buttons << button->text();
    seen.push_back({box.text(), box.informativeText(), box.windowTitle(), buttons, box.icon(),
                    box.windowModality(), box.isVisible()});
  });

  type(document, "headlineBox", QStringLiteral("Changed"));
  QTest::mouseClick(child<QPushButton>(document, "saveButtonSetting"), Qt::LeftButton);
  runCommand("chattr -i '" + file.string() + "'");

  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "An error occurred in your last action:");
  EXPECT_EQ(seen[0].informative, "setxattr error: Operation not permitted");
  EXPECT_EQ(seen[0].buttons, QStringList{"OK"});
  EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(seen[0].modality, Qt::ApplicationModal);
  EXPECT_TRUE(seen[0].visible);

  // The window shows what is really stored and the next Save works.
  EXPECT_EQ(text(document, "headlineBox"), "Kept");
  EXPECT_EQ(rawAttribute(file, kHeadline), encodeAttributeValue("Kept"));
  type(document, "headlineBox", QStringLiteral("Changed"));
  QTest::mouseClick(child<QPushButton>(document, "saveButtonSetting"), Qt::LeftButton);
  EXPECT_EQ(rawAttribute(file, kHeadline), encodeAttributeValue("Changed"));
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(DocumentTest, WriteFolderStoresTheValuesInEverythingBelowTheFolder) {
  const fs::path root = dir_.makeDir("shoot");
  const std::vector<fs::path> entries = {
      dir_.writeFile("shoot/a.jpg"), dir_.writeFile("shoot/.hidden"),
      dir_.makeDir("shoot/day2"), dir_.writeFile("shoot/day2/b.jpg")};
  Document& document = newWindow();
  type(document, "headlineBox", QStringLiteral("left over"));
  ProgressShows progress;

  document.openPanel().answerNext(kModalResponseOK, root);
  QTest::mouseClick(child<QPushButton>(document, "selectFolderButton"), Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return document.window()->windowTitle() == "shoot"; }));
  EXPECT_TRUE(child<QPushButton>(document, "writefolderButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QAction>(document, "saveAction")->isEnabled());
  EXPECT_EQ(text(document, "headlineBox"), "");

  type(document, "headlineBox", QStringLiteral("Batch"));
  QTest::mouseClick(child<QPushButton>(document, "writefolderButtonSetting"), Qt::LeftButton);

  for (const fs::path& entry : entries) {
    EXPECT_EQ(rawAttribute(entry, kHeadline), encodeAttributeValue("Batch")) << entry;
    EXPECT_EQ(rawAttribute(entry, kCreator), std::nullopt) << entry;
  }
  EXPECT_EQ(rawAttribute(root, kHeadline), std::nullopt);
  EXPECT_EQ(progress.count, 0) << "a short walk must not flash a progress dialog";
}

TEST_F(DocumentTest, CancellingTheProgressDialogStopsALongWalk) {
  const fs::path root = dir_.makeDir("many");
  constexpr int kFiles = 6000;
  for (int i = 0; i < kFiles; ++i) dir_.writeFile("many/f" + std::to_string(i));
  Document& document = newWindow();
  document.walkProgress().setMinimumDuration(std::chrono::milliseconds(0));
  document.openPanel().answerNext(kModalResponseOK, root);
  QTest::mouseClick(child<QPushButton>(document, "selectFolderButton"), Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return document.window()->windowTitle() == "many"; }));
  type(document, "headlineBox", QStringLiteral("Partial"));

  QPointer<QProgressDialog> shown;
  bool modalOnWindow = false;
  // Cancel as soon as the dialog is up, from inside the walk's event handling.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QProgressDialog* dialog = document.walkProgress().dialog();
    if (dialog == nullptr || shown != nullptr) return;
    shown = dialog;
    modalOnWindow = dialog->windowModality() == Qt::WindowModal &&
                    dialog->parentWidget() == document.window();
    dialog->findChild<QPushButton*>()->click();
  });
  poll.start(0);
  QTest::mouseClick(child<QPushButton>(document, "writefolderButtonSetting"), Qt::LeftButton);
  poll.stop();

  int written = 0;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (rawAttribute(entry.path(), kHeadline)) ++written;
  }
  if (shown == nullptr && written == kFiles) {
    GTEST_SKIP() << "the walk finished before its first progress report";
  }
  EXPECT_TRUE(modalOnWindow);
  EXPECT_LT(written, kFiles);
  EXPECT_EQ(document.walkProgress().dialog(), nullptr);
}

TEST_F(DocumentTest, SaveTextWritesTheReportThroughAFreeStandingPanel) {
  Document& document = newWindow();
  type(document, "headlineBox", QStringLiteral("Harbour"));
  type(document, "copyrightBox", QStringLiteral("© 2024 Zoë"));
  QTest::mouseClick(child<QPushButton>(document, "saveTextButton"), Qt::LeftButton);

  QFileDialog* panel = document.savePanel().activeDialog();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isWindow());
  EXPECT_EQ(panel->windowModality(), Qt::NonModal);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(panel->nameFilters(), (QStringList{"Text (*.text)", "Text (*.txt)"}));
  EXPECT_FALSE(panel->testOption(QFileDialog::ReadOnly)) << "folders can be created";

  // The editor stays usable meanwhile; the report holds the fields as they
  // were when Save Text was pressed.
  type(document, "headlineBox", QStringLiteral("typed while the panel is up"));
  EXPECT_EQ(text(document, "headlineBox"), "typed while the panel is up");

  // A name typed without an extension gets ".text".
  panel->setDirectory(QString::fromStdString(dir_.path().string()));
  QTest::keyClicks(panel->findChild<QLineEdit*>("fileNameEdit"), "report");
  QTest::mouseClick(panel->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save),
                    Qt::LeftButton);
  const fs::path report = dir_.path() / "report.text";
  ASSERT_TRUE(waitFor([&] { return fs::exists(report); }));
  EXPECT_EQ(readFile(report),
            "Saved extended attributes:\n\nHeadline:\nHarbour\nDescription:\n\nCreator:\n\n"
            "Copyright:\n© 2024 Zoë\nKeywords:\n\nWritten by Quillmark.");
}

TEST_F(DocumentTest, EachWindowHasItsOwnEditor) {
  const fs::path file = dir_.writeFile("one.txt");
  setValue(file, kHeadline, "One");
  Document& first = newWindow();
  openItem(first, file);

  QTest::keyClick(first.window(), Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(documents_.documents().size(), 2);
  Document& second = *documents_.documents().back();
  ASSERT_TRUE(QTest::qWaitForWindowActive(second.window()));
  EXPECT_NE(second.window(), first.window());
  EXPECT_EQ(text(second, "headlineBox"), "");
  EXPECT_FALSE(child<QPushButton>(second, "saveButtonSetting")->isEnabled());
  EXPECT_EQ(second.window()->windowTitle(), "Quillmark");

  type(second, "headlineBox", QStringLiteral("Two"));
  EXPECT_EQ(text(first, "headlineBox"), "One");

  // Closing a window closes its document only.
  QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
  QPointer<Document> gone = &second;
  QTest::keyClick(second.window(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(waitFor([&] { return gone.isNull(); }));
  EXPECT_EQ(documents_.documents().size(), 1);
  EXPECT_TRUE(first.window()->isVisible());
  EXPECT_EQ(lastClosed.count(), 0);
}

TEST_F(DocumentTest, LaunchArgumentsOpenEachItemInItsOwnWindow) {
  const fs::path a = dir_.writeFile("a b.txt");
  const fs::path b = dir_.writeFile("b.txt");
  setValue(a, kHeadline, "A");
  setValue(b, kHeadline, "B");
  documents_.openLaunchArguments(
      {QString::fromStdString(a.string()), QUrl::fromLocalFile(QString::fromStdString(b.string()))
                                               .toString()});
  ASSERT_EQ(documents_.documents().size(), 2);
  const Document& first = *documents_.documents()[0];
  const Document& second = *documents_.documents()[1];
  EXPECT_TRUE(waitFor([&] { return text(first, "headlineBox") == "A"; }));
  EXPECT_TRUE(waitFor([&] { return text(second, "headlineBox") == "B"; }));
  EXPECT_TRUE(child<QPushButton>(second, "saveButtonSetting")->isEnabled());
}

// Runs the application's event loop until it quits by itself, or fails after a while.
int runUntilQuit() {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(10000);
  return QApplication::exec();
}

TEST_F(DocumentTest, ClosingTheLastWindowQuitsTheApplication) {
  QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
  Document& only = newWindow();
  QPointer<Document> gone = &only;
  QTimer::singleShot(0, [&] { QTest::keyClick(only.window(), Qt::Key_W, Qt::ControlModifier); });
  EXPECT_EQ(runUntilQuit(), 0);
  EXPECT_EQ(lastClosed.count(), 1);
  EXPECT_TRUE(gone.isNull());
  EXPECT_TRUE(documents_.documents().isEmpty());

  // Quit closes every window, which quits too.
  Document& first = newWindow();
  newWindow();
  QTimer::singleShot(0, [&] { QTest::keyClick(first.window(), Qt::Key_Q, Qt::ControlModifier); });
  EXPECT_EQ(runUntilQuit(), 0);
  EXPECT_TRUE(documents_.documents().isEmpty());
}

TEST_F(DocumentTest, HelpMenuHandsTheAddressesToTheDesktop) {
  Document& document = newWindow();
  child<QAction>(document, "checkForUpdatesAction")->trigger();
  child<QAction>(document, "supportAction")->trigger();
  // Linux has no release numbers here (-1), which is below 12.
  EXPECT_EQ(opened_, (QStringList{"https://quillmark.example/updates/el-capitan",
                                  "https://quillmark.example/support/extended-attributes"}));

  // A refusing desktop is not an error anyone needs to read about.
  desktopAccepts_ = false;
  QTimer closeAnyBox;  // should a box appear, the test must not hang on it
  QObject::connect(&closeAnyBox, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  closeAnyBox.start(200);
  child<QAction>(document, "supportAction")->trigger();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(opened_.size(), 3);
  closeAnyBox.stop();

  QString aboutTitle;
  QTimer::singleShot(0, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      aboutTitle = modal->windowTitle();
      modal->close();
    }
  });
  child<QAction>(document, "aboutAction")->trigger();
  EXPECT_EQ(aboutTitle, "About Quillmark");
}

TEST(DocumentContentTest, ReadingAndWritingContentFailAsUnimplemented) {
  Document document;
  EXPECT_FALSE(Document::autosavesInPlace());

  DocumentError error;
  EXPECT_EQ(document.dataOfType("public.plain-text", &error), std::nullopt);
  EXPECT_EQ(error.domain, "NSOSStatusErrorDomain");
  EXPECT_EQ(error.code, -4);
  EXPECT_TRUE(error.userInfo.empty());

  DocumentError readError;
  EXPECT_FALSE(document.readFromData("bytes", "public.plain-text", &readError));
  EXPECT_EQ(readError.domain, "NSOSStatusErrorDomain");
  EXPECT_EQ(readError.code, -4);

  EXPECT_FALSE(document.readFromData("bytes", "public.plain-text", nullptr));
  EXPECT_EQ(document.dataOfType("public.plain-text", nullptr), std::nullopt);
}

}  // namespace
}  // namespace quillmark::testing
