// What the shell's tests share: a document controller whose help pages are
// recorded instead of opened and whose file dialogs are Qt's own, a temporary
// folder, and helpers to find widgets by object name, type like a person and
// let the event loop run until something has happened.
#ifndef QUILLMARK_TESTS_APP_APP_FIXTURE_H_
#define QUILLMARK_TESTS_APP_APP_FIXTURE_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "app/app_delegate.h"
#include "app/document.h"
#include "app/document_controller.h"
#include "app/file_panels.h"
#include "app/qm_window.h"
#include "editor/view_controller.h"
#include "tests/support/temp_dir.h"

namespace quillmark::testing {

// Runs the event loop until `done()` holds; false after `ms` without it.
template <typename Predicate>
bool waitFor(Predicate done, int ms = 5000) {
  return QTest::qWaitFor(done, ms);
}

template <typename Widget>
Widget* child(const Document& document, const char* name) {
  Widget* widget = document.window()->findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << "no " << name << " in the window";
  return widget;
}

inline QString text(const Document& document, const char* box) {
  return child<QLineEdit>(document, box)->text();
}

class AppTest : public ::testing::Test {
 protected:
  AppTest()
      : delegate_([this](const QUrl& url) {
          opened_ << url.toString();
          return desktopAccepts_;
        }),
        documents_(delegate_) {
    documents_.setNativeDialogsAllowed(false);
    // An alert nobody expected would wait for a click forever: note and dismiss it.
    QObject::connect(&alertGuard_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        unexpectedAlerts_ << box->text() + " " + box->informativeText();
        box->done(0);
      }
    });
    alertGuard_.start(250);
  }
  ~AppTest() override { EXPECT_EQ(unexpectedAlerts_.join('\n').toStdString(), ""); }

  // A new window, on screen and active.
  Document& newWindow() {
    Document* document = documents_.newDocument();
    EXPECT_TRUE(QTest::qWaitForWindowActive(document->window()));
    return *document;
  }

  // Opens `path` through the Open button, the panel answering with it.
  void openItem(Document& document, const std::filesystem::path& path) {
    document.openPanel().answerNext(kModalResponseOK, path);
    QTest::mouseClick(child<QPushButton>(document, "openButton"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return document.editor()->theSourceURL() == path; }));
  }

  // Replaces the text of field `box` from the keyboard.
  static void type(const Document& document, const char* box, const QString& text) {
    QLineEdit* edit = child<QLineEdit>(document, box);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (QChar ch : text) {
      if (ch.unicode() < 0x80) {
        QTest::keyClick(edit, ch.toLatin1());
      } else {  // QTest has no key names for these; a keyboard layout sends the text
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
      }
    }
  }

  TempDir dir_;
  QStringList opened_;
  bool desktopAccepts_ = true;
  AppDelegate delegate_;
  DocumentController documents_;
  QTimer alertGuard_;
  QStringList unexpectedAlerts_;
};

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_APP_APP_FIXTURE_H_
