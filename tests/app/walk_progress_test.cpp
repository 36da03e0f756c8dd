// Write Folder's progress dialog: when it appears, what it says, that nothing
// is clipped, and that Cancel stops the walk.
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

TEST(WalkProgressTest, AfterHalfASecondShowsCountAndPathAndCancelStops) {
  QMWindow window;
  window.show();
  WalkProgressDialog progress(&window);
  std::string deep = "/data";
  for (int i = 0; i < 30; ++i) deep += "/folder-number-" + std::to_string(i);
  deep += "/final-name.jpg";

  progress.begin();
  EXPECT_TRUE(progress.walkProgressed(10, deep));
  EXPECT_EQ(progress.dialog(), nullptr);
  QTest::qSleep(550);  // busy walking, no events
  EXPECT_TRUE(progress.walkProgressed(12345, deep));

  QProgressDialog* dialog = progress.dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_EQ(dialog->parentWidget(), &window);
  QLabel* label = dialog->findChild<QLabel*>();
  const QStringList lines = label->text().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].contains(QLocale().toString(12345))) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("/data/folder-number-0")) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].endsWith("final-name.jpg")) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains(QChar(0x2026))) << "a long path is shortened in the middle";
  for (const QString& line : lines)
    EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->width()) << "clipped";

  QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
  EXPECT_FALSE(progress.walkProgressed(12346, deep));
  progress.walkEnded();
  EXPECT_EQ(progress.dialog(), nullptr);

  // The next walk starts afresh.
  progress.begin();
  EXPECT_TRUE(progress.walkProgressed(1, deep));
  EXPECT_EQ(progress.dialog(), nullptr);
}

}  // namespace
}  // namespace quillmark::testing
