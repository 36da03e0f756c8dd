// The real document window, built from its interface description, driven
// through its widgets, menus and keys: opening, saving, failures, folders,
// the text report, several windows, quitting and the Help menu.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QSignalSpy>

#include "app/message_alert.h"
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
  setRawAttribute(path, name, {reinterpret_cast<const char*>(value.data()), value.size()});
}

void press(const Document& document, const char* button) {
  QTest::mouseClick(child<QPushButton>(document, button), Qt::LeftButton);
}

using DocumentTest = AppTest;

TEST_F(DocumentTest, StartsWithOneUntitledWindowReadyForInput) {
  documents_.openLaunchArguments({});
  ASSERT_EQ(documents_.documents().size(), 1);
  const Document& document = *documents_.documents().front();
  ASSERT_TRUE(QTest::qWaitForWindowActive(document.window()));
  EXPECT_EQ(document.window()->windowTitle(), "Quillmark");
  EXPECT_FALSE(child<QPushButton>(document, "saveButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(document, "writefolderButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QAction>(document, "saveAction")->isEnabled());
  for (QCheckBox* box : document.window()->findChildren<QCheckBox*>())
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
  for (QWidget* widget : document.window()->findChildren<QWidget*>()) {
    const bool hasText = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLabel*>(widget);
    if (hasText && widget->isVisible()) {
      EXPECT_GE(widget->width(), widget->sizeHint().width())
          << "clipped: " << widget->objectName().toStdString();
    }
  }

  // Typing goes straight into the headline; Tab walks the rows, each field
  // then its box, then the buttons that can be pressed; mnemonics reach fields.
  QStringList order{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(order.join(' '),
            "headlineBox headlineCheckbox DescriptionBox descriptionCheckbox creatorBox "
            "creatorCheckbox copyrightBox copyrightCheckbox keywordsBox keywordsCheckbox "
            "openButton selectFolderButton saveTextButton");
  QTest::keyClick(document.window(), Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "creatorBox");
}

TEST_F(DocumentTest, OpensAnItemAndSavesEditsAsStoredValues) {
  const fs::path file = dir_.writeFile("harbour.jpg", "jpeg");
  setValue(file, kHeadline, "Harbour at dawn");
  setValue(file, kCreator, "Maren Holt");
  Document& document = newWindow();
  openItem(document, file);
  EXPECT_EQ(text(document, "headlineBox"), "Harbour at dawn");
  EXPECT_EQ(text(document, "creatorBox"), "Maren Holt");
  EXPECT_EQ(document.window()->windowTitle(), "harbour.jpg");
  EXPECT_TRUE(child<QAction>(document, "saveAction")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(document, "writefolderButtonSetting")->isEnabled());

  // Non-ASCII text is stored as UTF-8; an emptied field with its box ticked is removed.
  type(document, "headlineBox", QStringLiteral("Hafen im Morgengrau – Zoë"));
  type(document, "creatorBox", QString());
  child<QCheckBox>(document, "creatorCheckbox")->click();
  press(document, "saveButtonSetting");
  EXPECT_EQ(rawAttribute(file, kHeadline), encodeAttributeValue("Hafen im Morgengrau – Zoë"));
  EXPECT_EQ(rawAttribute(file, kCreator), std::nullopt);
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
  if (runCommand("chattr +i '" + file.string() + "' 2>/dev/null") != 0)
    GTEST_SKIP() << "chattr +i is not possible here (needs root and an ext-like filesystem)";

  QStringList seen;
  document.alerts().setWatcher([&](QMessageBox& box) {
    QStringList buttons;
    for (QAbstractButton* button : box.buttons()) buttons << button->text();
    seen << QStringList{box.text(), box.informativeText(), buttons.join(',')}.join('|');
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(box.isVisible());
  });
  type(document, "headlineBox", QStringLiteral("Changed"));
  press(document, "saveButtonSetting");
  runCommand("chattr -i '" + file.string() + "'");
  EXPECT_EQ(seen, QStringList{"An error occurred in your last action:|"
                              "setxattr error: Operation not permitted|OK"});

  // The window shows what is really stored, and the next Save works.
  EXPECT_EQ(text(document, "headlineBox"), "Kept");
  type(document, "headlineBox", QStringLiteral("Changed"));
  press(document, "saveButtonSetting");
  EXPECT_EQ(rawAttribute(file, kHeadline), encodeAttributeValue("Changed"));
  EXPECT_EQ(seen.size(), 1);
}

TEST_F(DocumentTest, WriteFolderStoresTheValuesInEverythingBelowTheFolder) {
  const fs::path root = dir_.makeDir("shoot");
  const fs::path entries[] = {dir_.writeFile("shoot/a.jpg"), dir_.writeFile("shoot/.hidden"),
                              dir_.writeFile("shoot/day2/b.jpg"), root / "day2"};
  Document& document = newWindow();
  document.openPanel().answerNext(kModalResponseOK, root);
  press(document, "selectFolderButton");
  ASSERT_TRUE(waitFor([&] { return document.window()->windowTitle() == "shoot"; }));
  EXPECT_FALSE(child<QAction>(document, "saveAction")->isEnabled());

  type(document, "headlineBox", QStringLiteral("Batch"));
  press(document, "writefolderButtonSetting");
  for (const fs::path& entry : entries) {
    EXPECT_EQ(rawAttribute(entry, kHeadline), encodeAttributeValue("Batch")) << entry;
    EXPECT_EQ(rawAttribute(entry, kCreator), std::nullopt) << entry;
  }
  EXPECT_EQ(rawAttribute(root, kHeadline), std::nullopt);
  EXPECT_EQ(document.window()->findChild<QProgressDialog*>(), nullptr)
      << "a short walk must not flash a progress dialog";
}

TEST_F(DocumentTest, SaveTextWritesTheReportThroughAFreeStandingPanel) {
  Document& document = newWindow();
  type(document, "headlineBox", QStringLiteral("Harbour"));
  type(document, "copyrightBox", QStringLiteral("© 2024 Zoë"));
  press(document, "saveTextButton");

  QFileDialog* panel = document.savePanel().activeDialog();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->parentWidget(), nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the editor stays usable";
  EXPECT_EQ(panel->nameFilters(), (QStringList{"Text (*.text)", "Text (*.txt)"}));
  EXPECT_FALSE(panel->testOption(QFileDialog::ReadOnly)) << "folders can be created";

  // The report holds the fields as they were when Save Text was pressed, and
  // a name typed without an extension gets ".text".
  type(document, "headlineBox", QStringLiteral("typed while the panel is up"));
  panel->setDirectory(fromPath(dir_.path()));
  QTest::keyClicks(panel->findChild<QLineEdit*>("fileNameEdit"), "report");
  QTest::mouseClick(panel->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save),
                    Qt::LeftButton);
  const fs::path report = dir_.path() / "report.text";
  ASSERT_TRUE(waitFor([&] { return fs::exists(report); }));
  EXPECT_EQ(readFile(report),
            "Saved extended attributes:\n\nHeadline:\nHarbour\nDescription:\n\nCreator:\n\n"
            "Copyright:\n© 2024 Zoë\nKeywords:\n\nWritten by Quillmark.");
}

TEST_F(DocumentTest, EachWindowHasItsOwnEditorAndClosesAlone) {
  const fs::path file = dir_.writeFile("one.txt");
  setValue(file, kHeadline, "One");
  Document& first = newWindow();
  openItem(first, file);
  QTest::keyClick(first.window(), Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(documents_.documents().size(), 2);
  Document& second = *documents_.documents().back();
  ASSERT_TRUE(QTest::qWaitForWindowActive(second.window()));
  EXPECT_EQ(text(second, "headlineBox"), "");
  EXPECT_FALSE(child<QPushButton>(second, "saveButtonSetting")->isEnabled());
  type(second, "headlineBox", QStringLiteral("Two"));
  EXPECT_EQ(text(first, "headlineBox"), "One");

  QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
  QPointer<Document> gone = &second;
  QTest::keyClick(second.window(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(waitFor([&] { return gone.isNull(); }));
  EXPECT_EQ(documents_.documents().size(), 1);
  EXPECT_EQ(lastClosed.count(), 0);
}

TEST_F(DocumentTest, LaunchArgumentsOpenEachItemInItsOwnWindow) {
  const fs::path a = dir_.writeFile("a b.txt"), b = dir_.writeFile("b.txt");
  setValue(a, kHeadline, "A");
  setValue(b, kHeadline, "B");
  documents_.openLaunchArguments({fromPath(a), QUrl::fromLocalFile(fromPath(b)).toString()});
  ASSERT_EQ(documents_.documents().size(), 2);
  EXPECT_TRUE(waitFor([&] { return text(*documents_.documents()[0], "headlineBox") == "A"; }));
  EXPECT_TRUE(waitFor([&] { return text(*documents_.documents()[1], "headlineBox") == "B"; }));
}

TEST_F(DocumentTest, ClosingTheLastWindowQuitsTheApplication) {
  // The application's own event loop, stopped with 99 should it not quit by itself.
  const auto runUntilQuit = [] {
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    return QApplication::exec();
  };
  QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
  QMWindow* only = newWindow().window();
  QTimer::singleShot(0, [&] { QTest::keyClick(only, Qt::Key_W, Qt::ControlModifier); });
  EXPECT_EQ(runUntilQuit(), 0);
  EXPECT_EQ(lastClosed.count(), 1);
  EXPECT_TRUE(documents_.documents().isEmpty());

  // Quit closes every window, which quits too.
  QMWindow* first = newWindow().window();
  newWindow();
  QTimer::singleShot(0, [&] { QTest::keyClick(first, Qt::Key_Q, Qt::ControlModifier); });
  EXPECT_EQ(runUntilQuit(), 0);
  EXPECT_TRUE(documents_.documents().isEmpty());
}

TEST_F(DocumentTest, HelpMenuHandsTheAddressesToTheDesktop) {
  Document& document = newWindow();
  child<QAction>(document, "checkForUpdatesAction")->trigger();
  child<QAction>(document, "supportAction")->trigger();
  // Linux reports no release numbers (-1), which is below 12.
  EXPECT_EQ(opened_, (QStringList{"https://quillmark.example/updates/el-capitan",
                                  "https://quillmark.example/support/extended-attributes"}));
  // A refusal says nothing (the fixture fails the test on any unexpected box).
  desktopAccepts_ = false;
  child<QAction>(document, "supportAction")->trigger();
  EXPECT_EQ(opened_.size(), 3);

  QString about;
  QTimer::singleShot(0, [&] {
    about = QApplication::activeModalWidget()->windowTitle();
    QApplication::activeModalWidget()->close();
  });
  child<QAction>(document, "aboutAction")->trigger();
  EXPECT_EQ(about, "About Quillmark");
}

TEST(DocumentContentTest, ReadingAndWritingContentFailAsUnimplemented) {
  Document document;
  EXPECT_FALSE(Document::autosavesInPlace());
  DocumentError written, read;
  EXPECT_EQ(document.dataOfType("public.plain-text", &written), std::nullopt);
  EXPECT_FALSE(document.readFromData("bytes", "public.plain-text", &read));
  for (const DocumentError& error : {written, read}) {
    EXPECT_EQ(error.domain, "NSOSStatusErrorDomain");
    EXPECT_EQ(error.code, -4);
    EXPECT_TRUE(error.userInfo.empty());
  }
  EXPECT_FALSE(document.readFromData("bytes", "public.plain-text", nullptr));
}

}  // namespace
}  // namespace quillmark::testing
