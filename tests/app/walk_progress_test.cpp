// Write Folder's progress dialog on its own: when it appears, what it says,
// that it fits, and that Cancel stops the walk.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <string>

#include "app/qm_window.h"
#include "app/walk_progress_dialog.h"

namespace quillmark::testing {
namespace {

class WalkProgressTest : public ::testing::Test {
 protected:
  WalkProgressTest() : progress_(&window_) {
    window_.resize(640, 300);
    window_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  QMWindow window_;
  WalkProgressDialog progress_;
};

TEST_F(WalkProgressTest, AShortWalkShowsNothing) {
  progress_.begin();
  for (int i = 1; i <= 10; ++i) {
    EXPECT_TRUE(progress_.walkProgressed(i * 100, "/data/photos/img.jpg"));
    QTest::qSleep(30);
  }
  EXPECT_EQ(progress_.dialog(), nullptr);
  progress_.walkEnded();
  EXPECT_EQ(window_.findChild<QProgressDialog*>(), nullptr);
}

TEST_F(WalkProgressTest, ALongWalkShowsCountAndPathAndCanBeCancelled) {
  std::string deep = "/data";
  for (int i = 0; i < 30; ++i) deep += "/folder-number-" + std::to_string(i);
  deep += "/final-name.jpg";

  progress_.begin();
  EXPECT_TRUE(progress_.walkProgressed(10, deep));
  EXPECT_EQ(progress_.dialog(), nullptr);
  QTest::qSleep(550);  // busy walking, no events
  EXPECT_TRUE(progress_.walkProgressed(12345, deep));

  QProgressDialog* dialog = progress_.dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_EQ(dialog->parentWidget(), &window_);
  QLabel* label = dialog->findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  const QStringList lines = label->text().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].contains(QLocale().toString(12345))) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("/data/folder-number-0")) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith("final-name.jpg")) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains(QChar(0x2026))) << "a long path is shortened in the middle";
  for (const QString& line : lines) {
    EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->width())
        << "clipped: " << line.toStdString();
  }

  QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
  EXPECT_FALSE(progress_.walkProgressed(12346, deep));
  progress_.walkEnded();
  EXPECT_EQ(progress_.dialog(), nullptr);

  // The next walk starts afresh.
  progress_.begin();
  EXPECT_TRUE(progress_.walkProgressed(1, deep));
  EXPECT_EQ(progress_.dialog(), nullptr);
  progress_.walkEnded();
}

}  // namespace
}  // namespace quillmark::testing
