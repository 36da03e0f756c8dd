// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt shell on Qt's offscreen platform: the real window built from its
// interface description, driven through its widgets, menus, keys, drops and
// Qt's own file dialogs, with web pages recorded instead of opened.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/app_delegate.h"
#include "app/controls_qt.h"
#include "app/document.h"
#include "app/document_controller.h"
#include "app/file_panels.h"
#include "app/message_alert.h"
#include "app/paths.h"
#include "app/qm_window.h"
#include "app/translations.h"
#include "app/walk_progress_dialog.h"
#include "attrstore/codec.h"
#include "attrstore/names.h"
#include "attrstore/desktop_copies.h"
#include "editor/image_values.h"
#include "tests/support/temp_dir.h"

namespace quillmark::testing {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view kHeadlineName = kValueNames[kHeadline].portable;
// The fields and boxes of the list positions, in list order.
const char* const kBoxes[] = {"copyrightBox", "creatorBox", "DescriptionBox", "headlineBox",
                              "keywordsBox"};
const char* const kChecks[] = {"copyrightCheckbox", "creatorCheckbox", "descriptionCheckbox",
                               "headlineCheckbox", "keywordsCheckbox"};

template <typename Widget>
Widget* child(const Document& document, const char* name) {
  Widget* widget = document.window()->findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << "no " << name << " in the window";
  return widget;
}

QString text(const Document& document, const char* box) {
  return child<QLineEdit>(document, box)->text();
}

void press(const Document& document, const char* button) {
  QTest::mouseClick(child<QPushButton>(document, button), Qt::LeftButton);
}

// Replaces the text of field `box` from the keyboard, each character sent as
// a keyboard layout sends it (QTest has key names for Latin-1 only).
void type(const Document& document, const char* box, const QString& text) {
  QLineEdit* edit = child<QLineEdit>(document, box);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (QChar ch : text)
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

Data encoded(const QString& text) { return encodeAttributeValue(text.toStdString()); }

// The title as shown (without the edited mark, when there are no edits), once what the window
// opened has been read.
QString shownTitle(const Document& document) {
  QString title = document.window()->windowTitle();
  return title.replace(QStringLiteral("[*]"), document.window()->isWindowModified() ? "*" : "");
}
bool waitForTitle(const Document& document, const QString& title) {
  return QTest::qWaitFor([&] { return shownTitle(document) == title && !document.reading(); });
}

class AppTest : public ::testing::Test {
 protected:
  AppTest() { documents_.setNativeDialogsAllowed(false); }
  ~AppTest() override { EXPECT_EQ(unexpectedAlerts_.join('\n').toStdString(), ""); }

  // A new window, on screen and active.
  Document& newWindow() {
    Document* document = documents_.newDocument();
    EXPECT_TRUE(QTest::qWaitForWindowActive(document->window()));
    // Noted and dismissed: an alert nobody expected.
    document->alert().setWatcher(
        [this](QMessageBox& box) { unexpectedAlerts_ << box.informativeText(); });
    return *document;
  }

  // Presses `button` and shows the folder of the test in the panel it opens.
  QFileDialog* panel(const Document& document, const char* button) {
    press(document, button);
    QFileDialog* dialog = document.openPanel().activeDialog();
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->parentWidget(), document.window());
    EXPECT_TRUE(dialog->filter().testFlag(QDir::Hidden));
    startedIn_ = dialog->directory().absolutePath();
    dialog->setDirectory(fromPath(dir_.path()));
    return dialog;
  }
  // Types `name` into the panel and confirms it; the window is then titled `title`.
  void pick(const Document& document, QFileDialog* dialog, const QString& name,
            QString title = {}) {
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open),
                      Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return document.openPanel().activeDialog() == nullptr; }));
    if (!name.contains(QChar::ReplacementCharacter)) {
      EXPECT_TRUE(waitForTitle(document, title.isEmpty() ? name : title));
    }
  }

  TempDir dir_;
  QString startedIn_;
  QStringList opened_;
  AppDelegate delegate_{[this](const QUrl& url) { return opened_ << url.toString(), true; }};
  DocumentController documents_{delegate_};
  QStringList unexpectedAlerts_;
};

// Started with nothing it can open, the application still shows a window (it
// would otherwise never quit) and says what it could not open.
TEST_F(AppTest, StartsUntitledWhenNoArgumentOpensThenOpensAnItemAndSavesEachEdit) {
  documents_.openLaunchArguments({"file://otherhost/harbour.jpg", "file:harbour.jpg"});
  ASSERT_EQ(documents_.documents().size(), 1);
  Document& document = *documents_.documents().front();
  QString launchAlert;
  document.alert().setWatcher([&](QMessageBox& box) { launchAlert = box.informativeText(); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !launchAlert.isEmpty(); }));
  document.window()->activateWindow();  // what a window manager does once the alert is gone
  ASSERT_TRUE(QTest::qWaitForWindowActive(document.window()));
  child<QAction>(document, "checkForUpdatesAction")->trigger();  // the Help menu, from the start
  EXPECT_EQ(opened_, QStringList{"https://quillmark.example/updates/linux"});
  EXPECT_EQ(launchAlert,
            "\u201cfile://otherhost/harbour.jpg\u201d cannot be opened: it names no "
            "item on this computer.\n\u201cfile:harbour.jpg\u201d cannot be opened: "
            "it names no item on this computer.");
  document.alert().setWatcher(
      [this](QMessageBox& box) { unexpectedAlerts_ << box.informativeText(); });
  EXPECT_EQ(shownTitle(document), "Quillmark");
  EXPECT_FALSE(child<QPushButton>(document, "saveButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(document, "writefolderButtonSetting")->isEnabled());
  EXPECT_FALSE(child<QAction>(document, "saveAction")->isEnabled());
  for (QCheckBox* box : document.window()->findChildren<QCheckBox*>())
    EXPECT_FALSE(box->isChecked());

  const fs::path file = dir_.writeFile("harbour.jpg", "jpeg");
  const QString values[] = {"© 2024 Maren Holt", "Maren Holt", "Boats", "Harbour", "sea, boat"};
  for (std::size_t i = 0; i < kFieldCount; ++i)
    setRawAttribute(file, kValueNames[i].portable, encoded(values[i]));
  document.openPanel().answerNext(file);  // as if the user had chosen it
  press(document, "openButton");
  ASSERT_TRUE(waitForTitle(document, "harbour.jpg"));
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(text(document, kBoxes[i]), values[i]);
  auto* list = child<QListWidget>(document, "keywordList");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text() + "|" + list->item(1)->text(), "sea|boat");
  EXPECT_TRUE(child<QAction>(document, "saveAction")->isEnabled());

  // Typed text is stored as UTF-8.
  type(document, "headlineBox", QStringLiteral("Hafen im Morgengrau – Zoë"));
  press(document, "saveButtonSetting");
  EXPECT_EQ(rawAttribute(file, kHeadlineName), encoded(QStringLiteral("Hafen im Morgengrau – Zoë")));

  // Each box removes its own field's value (saved with Ctrl+S), and only that; the keywords
  // go once the list is emptied from the keyboard.
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    for (list->setFocus(); i == 4 && list->count() > 0;) {
      list->setCurrentRow(0);
      QTest::keyClick(list, Qt::Key_Delete);
    }
    type(document, kBoxes[i], "");
    child<QCheckBox>(document, kChecks[i])->click();
    QTest::keyClick(document.window(), Qt::Key_S, Qt::ControlModifier);
    child<QCheckBox>(document, kChecks[i])->click();
    EXPECT_EQ(rawAttribute(file, kValueNames[i].portable), std::nullopt) << kBoxes[i];
    EXPECT_TRUE(i + 1 == kFieldCount || rawAttribute(file, kValueNames[i + 1].portable)) << kBoxes[i];
  }

  // Edits mark the title; a box ticked over a value that is gone is no edit.
  child<QCheckBox>(document, "copyrightCheckbox")->click();
  EXPECT_EQ(shownTitle(document), "harbour.jpg");
  type(document, "headlineBox", QStringLiteral("After"));
  EXPECT_EQ(shownTitle(document), "harbour.jpg*");
  EXPECT_TRUE(child<QAction>(document, "revertAction")->isEnabled());
  press(document, "saveButtonSetting");
  EXPECT_EQ(rawAttribute(file, kHeadlineName), encoded(QStringLiteral("After")));
  EXPECT_EQ(shownTitle(document), "harbour.jpg");
}

// The image's own headline greys its empty field; the menu's action puts it there.
TEST_F(AppTest, UseValuesFromTheImageFillsWhatTheFieldsShowFromTheImage) {
  const fs::path photo = dir_.path() / "harbour.jpg";
  writeJpeg(photo, {"set Xmp.photoshop.Headline XmpText Harbour lights at dawn"});
  Document& document = newWindow();
  document.openPaths({photo});
  ASSERT_TRUE(waitForTitle(document, "harbour.jpg"));
  EXPECT_EQ(child<QLineEdit>(document, "headlineBox")->placeholderText(),
            QStringLiteral("In the image: Harbour lights at dawn"));
  child<QAction>(document, "useImageValuesAction")->trigger();
  EXPECT_EQ(text(document, "headlineBox"), QStringLiteral("Harbour lights at dawn"));
}

// Qt's own dialogs, typed into and clicked: Select Folder lists folders only,
// Open takes files and folders (each as one item, several together); both
// show hidden entries and start where the last choice was made.
TEST_F(AppTest, PanelsChooseAFolderToWriteAndAFileOrFolderToOpen) {
  const fs::path inside = dir_.writeFile("album/.inside.jpg");
  dir_.writeFile("photo.jpg");
  Document& document = newWindow();
  QFileDialog* folders = panel(document, "selectFolderButton");
  EXPECT_TRUE(folders->testOption(QFileDialog::ShowDirsOnly));
  pick(document, folders, "album");
  EXPECT_FALSE(child<QAction>(document, "saveAction")->isEnabled());
  type(document, "headlineBox", QStringLiteral("Batch"));
  press(document, "writefolderButtonSetting");
  EXPECT_EQ(rawAttribute(inside, kHeadlineName), encoded(QStringLiteral("Batch")));
  EXPECT_EQ(rawAttribute(dir_.path() / "album", kHeadlineName), std::nullopt);
  EXPECT_EQ(document.window()->findChild<QProgressDialog*>(), nullptr)
      << "a short walk must not flash a progress dialog";
  pick(document, panel(document, "openButton"), "photo.jpg");
  EXPECT_EQ(startedIn_, fromPath(dir_.path()));
  pick(document, panel(document, "openButton"), "album");
  EXPECT_TRUE(child<QAction>(document, "saveAction")->isEnabled()) << "a folder opens as an item";
  pick(document, panel(document, "openButton"), "\"photo.jpg\" \"album\"", "2 items");
}

// A Latin-1 name beside a name that really holds U+FFFD: both look alike in
// Qt, but the command line and a drop carry the bytes, and the panel does not guess.
TEST_F(AppTest, NamesThatAreNotUtf8OpenFromTheCommandLineByDropAndByPanel) {
  const fs::path latin = dir_.writeFile("caf\xe9.jpg"), twin = dir_.writeFile("caf\uFFFD.jpg");
  setRawAttribute(latin, kHeadlineName, encoded("Latin-1"));
  setRawAttribute(twin, kHeadlineName, encoded("Twin"));
  documents_.openLaunchArguments(
      {latin.native(),
       "file://" + QByteArray::fromStdString(latin.native()).toPercentEncoding("/").toStdString()});
  for (Document* document : documents_.documents()) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return text(*document, "headlineBox") == "Latin-1"; }));
    document->window()->close();
  }
  Document& document = newWindow();
  QMimeData mime;
  mime.setData("text/uri-list",
               "# dragged\r\nfile://" +
                   QByteArray::fromStdString(latin.native()).toPercentEncoding("/") + "\r\n");
  QDragEnterEvent enter({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QDropEvent drop({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(child<QLineEdit>(document, "creatorBox"), &enter);
  QApplication::sendEvent(child<QLineEdit>(document, "creatorBox"), &drop);
  ASSERT_TRUE(waitForTitle(document, "caf\uFFFD.jpg"));
  EXPECT_EQ(text(document, "headlineBox") + text(document, "creatorBox"), "Latin-1");

  QStringList alerts;
  document.alert().setWatcher([&](QMessageBox& box) { alerts << box.informativeText(); });
  type(document, "headlineBox", "");
  pick(document, panel(document, "openButton"), "caf\uFFFD.jpg");
  EXPECT_EQ(alerts.join("").toStdString(),
            "Several items in \u201c" + dir_.path().string() +
                "\u201d are shown as \u201ccaf\uFFFD.jpg\u201d. Rename one of "
                "them, or drop it on the window instead.");
  fs::remove(twin);
  pick(document, panel(document, "openButton"), "caf\uFFFD.jpg");
  EXPECT_TRUE(QTest::qWaitFor([&] { return text(document, "headlineBox") == "Latin-1"; }));
}

// While Write Folder runs (its progress lets events through), its window neither closes nor
// opens what is dropped on it.
TEST_F(AppTest, AWindowWhoseWalkRunsNeitherClosesNorTakesADrop) {
  for (int i = 0; i < 20000; ++i) dir_.writeFile("shoot/" + std::to_string(i));
  const fs::path other = dir_.writeFile("other.jpg");
  Document& document = newWindow();
  pick(document, panel(document, "selectFolderButton"), "shoot");
  type(document, "creatorBox", "Ada");
  QMimeData mime;
  mime.setData("text/uri-list", "file://" + QByteArray::fromStdString(other.native()) + "\r\n");
  bool tried = false, closed = true;
  QTimer::singleShot(0, document.window(), [&] {
    tried = true;
    closed = document.window()->close();
    QDropEvent drop({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(child<QLineEdit>(document, "creatorBox"), &drop);
  });
  press(document, "writefolderButtonSetting");
  ASSERT_TRUE(tried) << "the walk ended before the event loop ran";
  EXPECT_FALSE(closed);
  EXPECT_EQ(shownTitle(document), "shoot");
  EXPECT_EQ(rawAttribute(dir_.path() / "shoot/19999", kValueNames[kCreator].portable), encoded("Ada"));
}

// One choice for every window, remembered from one run to the next.
TEST_F(AppTest, ReplacingDesktopTagsAndCommentIsOneRememberedChoice) {
  Document& first = newWindow();
  QAction* choice = child<QAction>(first, "desktopCopiesAction");
  ASSERT_FALSE(choice->isChecked());
  choice->trigger();
  const fs::path file = dir_.writeFile("a.jpg");
  first.openPaths({file});
  ASSERT_TRUE(waitForTitle(first, "a.jpg"));
  type(first, "keywordsBox", "sea, boat");
  press(first, "saveButtonSetting");
  EXPECT_EQ(rawAttribute(file, "xdg.tags"), bytes("sea,boat"));
  DocumentController nextRun(delegate_);
  EXPECT_TRUE(child<QAction>(*nextRun.newDocument(), "desktopCopiesAction")->isChecked());
  child<QAction>(newWindow(), "desktopCopiesAction")->trigger();
  EXPECT_FALSE(choice->isChecked());
}

// Run as a German desktop starts it (LANGUAGE=de: ctest's app.window_in_german;
// other runs skip it; app.german_window_over_atspi reads its names): no label
// or button is cut short, and the editor's texts and Qt's own buttons are German too.
TEST_F(AppTest, InGermanTheWindowItsAlertsAndQtsDialogsSpeakGerman) {
  if (!QLocale::system().uiLanguages().value(0).startsWith("de")) GTEST_SKIP() << "LANGUAGE=de";
  const fs::path file = dir_.writeFile("hafen.jpg");
  setRawAttribute(file, kHeadlineName, bytes("<plist><integer>3</integer></plist>"));
  Document& document = newWindow();
  document.openPaths({file});
  ASSERT_TRUE(waitForTitle(document, "hafen.jpg"));
  for (QWidget* widget : document.window()->findChildren<QWidget*>()) {
    if (widget->isVisible() &&
        (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget))) {
      EXPECT_GE(widget->width(), widget->sizeHint().width()) << widget->objectName().toStdString();
    }
  }
  EXPECT_EQ(child<QLineEdit>(document, "headlineBox")->placeholderText(), "eine Zahl");

  // Every kind a stored value can be named by, and the editor's messages.
  using Kind = StoredValue::Kind;
  for (Kind kind : {Kind::kStringArray, Kind::kNumber, Kind::kDate, Kind::kData, Kind::kBoolean,
                    Kind::kDictionary, Kind::kArray, Kind::kUnreadable}) {
    StoredValue value;
    value.kind = kind;
    const std::string english = describeStoredValue(value);
    EXPECT_NE(translatedPlaceholder(english, TextField::Hint::kStoredKind).toStdString(), english);
  }
  EXPECT_EQ(translatedFailure({Failure::Call::kWrite, 0, "a,b"}),
            "setxattr-Fehler: ein Desktop-Schlagwort darf kein Komma enthalten: \"a,b\"");
  EXPECT_EQ(translatedMessage(std::string(kImageUnreadable) + std::string(kUnreadableMetadata)),
            "Die Werte im Bild können nicht gelesen werden: unlesbare Metadaten");

  QFileDialog* dialog = panel(document, "openButton");
  EXPECT_EQ(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
            "Abbrechen");
  dialog->reject();
  QStringList seen;
  document.alert().setWatcher([&](QMessageBox& box) {
    seen << box.text() << box.informativeText() << box.buttons().value(0)->text();
  });
  ASSERT_EQ(runCommand("chattr +i '" + file.string() + "'"), 0);
  type(document, "headlineBox", QStringLiteral("Hafen"));
  press(document, "saveButtonSetting");
  EXPECT_EQ(seen, (QStringList{"Bei Ihrer letzten Aktion ist ein Fehler aufgetreten:",
                               "setxattr-Fehler: " +
                                   QString::fromStdString(std::generic_category().message(EPERM)),
                               "OK"}));
}

TEST_F(AppTest, SaveTextWritesTheReportThroughAFreeStandingPanel) {
  Document& document = newWindow();
  type(document, "headlineBox", QStringLiteral("Harbour"));
  type(document, "copyrightBox", QStringLiteral("© 2024 Zoë"));
  press(document, "saveTextButton");
  QFileDialog* panel = document.savePanel().activeDialog();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the editor stays usable";

  // A name typed without an extension gets ".text".
  panel->setDirectory(fromPath(dir_.path()));
  QTest::keyClicks(panel->findChild<QLineEdit*>("fileNameEdit"), "report");
  QTest::mouseClick(panel->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save),
                    Qt::LeftButton);
  const fs::path report = dir_.path() / "report.text";
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(report); }));
  EXPECT_EQ(readFile(report),
            "Saved extended attributes:\n\nHeadline:\nHarbour\nDescription:\n\nCreator:\n\n"
            "Copyright:\n© 2024 Zoë\nKeywords:\n\nWritten by Quillmark.");
}

TEST(LineEditFieldTest, KeepsValuesLongerThanALineEditsDefaultLimit) {
  // A value cut at 32,767 characters would be saved back cut short.
  QLineEdit edit;
  LineEditField(edit).setStringValue(std::string(40000, 'w'));
  EXPECT_EQ(LineEditField(edit).stringValue(), std::string(40000, 'w'));
}

TEST(ElidedLabelTest, CutsItsTextToItsWidthAgainOnEveryResize) {
  ElidedLabel label;
  const QString names = QStringLiteral("Editing together: ") + QString(80, u'n');
  label.resize(120, 20);
  label.show();
  label.setWholeText(names);
  EXPECT_TRUE(label.text().endsWith(QChar(0x2026))) << label.text().toStdString();
  label.resize(label.fontMetrics().horizontalAdvance(names) + 20, 20);
  QCoreApplication::processEvents();
  EXPECT_EQ(label.text(), names) << "a wider window shows every name again";
}

// The alert is application-modal with "OK", and with "Stop Writing" beside it when asked.
TEST(MessageAlertTest, OffersStopWritingOnlyWhenAsked) {
  MessageAlert alert(nullptr);
  QStringList buttons;
  alert.setWatcher([&](QMessageBox& box) {
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
    for (QAbstractButton* button : box.buttons()) buttons << button->text();
    for (QAbstractButton* button : box.buttons())
      if (button->text() == "Stop Writing") button->click();
  });
  EXPECT_EQ(alert.show("setxattr error: x", false), ErrorAlert::Answer::kGoOn);
  EXPECT_EQ(alert.show("setxattr error: x", true), ErrorAlert::Answer::kStop);
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{"OK", "OK", "Stop Writing"}));
}

TEST(WalkProgressTest, AppearsOnlyAfterItsDelayWithCountAndPathAndCancelStops) {
  QMWindow window;
  window.show();
  const fs::path path = "/data/shoot/final-name.jpg";
  WalkProgressDialog never(&window, std::chrono::hours(1)), progress(&window, {});
  never.begin("Write Folder");
  progress.begin("Write Folder");
  EXPECT_TRUE(never.walkProgressed(10, path) && progress.walkProgressed(12345, path));
  EXPECT_EQ(never.dialog(), nullptr);
  ASSERT_NE(progress.dialog(), nullptr);
  EXPECT_TRUE(progress.dialog()->labelText().contains(QLocale().toString(12345)));
  EXPECT_TRUE(progress.dialog()->labelText().endsWith("/data/shoot/final-name.jpg"));
  EXPECT_TRUE(progress.walkProgressed(1, path));
  EXPECT_TRUE(progress.dialog()->labelText().startsWith("1 item done\n"));
  QTest::mouseClick(progress.dialog()->findChild<QPushButton*>(), Qt::LeftButton);
  EXPECT_FALSE(progress.walkProgressed(12346, path));
}

}  // namespace
}  // namespace quillmark::testing
