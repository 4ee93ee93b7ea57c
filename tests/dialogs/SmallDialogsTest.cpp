#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/AboutDialog.h"
#include "dialogs/SpeedDialog.h"
#include "dialogs/VolumeDialog.h"

namespace {

QStringList LabelTexts(const QWidget& dialog) {
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) texts.append(label->text());
  return texts;
}

void Type(QAbstractSpinBox* spin, const QString& text) {
  spin->setFocus();
  spin->selectAll();
  QTest::keyClick(spin, Qt::Key_Backspace);
  QTest::keyClicks(spin, text);
}

TEST(VolumeDialog, ShowsTheStepRowsAndHidesTheStartAndEndRows) {
  VolumeDialog dialog;
  dialog.SetValues({5, 7, 1, 0, 100, 200});
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Volume Setting");
  EXPECT_TRUE(LabelTexts(dialog).contains("Vol up step (0~255)"));
  EXPECT_TRUE(LabelTexts(dialog).contains("Vol down step (0~255)"));
  EXPECT_TRUE(dialog.UpStep()->isVisible());
  EXPECT_TRUE(dialog.DownStep()->isVisible());
  EXPECT_EQ(dialog.UpStep()->value(), 5);
  EXPECT_EQ(dialog.DownStep()->value(), 7);
  for (const QWidget* hidden : {static_cast<QWidget*>(dialog.UseStartVolume()), static_cast<QWidget*>(dialog.StartVolume()),
                                static_cast<QWidget*>(dialog.UseEndVolume()), static_cast<QWidget*>(dialog.EndVolume())})
    EXPECT_FALSE(hidden->isVisible());
  EXPECT_EQ(dialog.UseStartVolume()->text(), "Start Volume (0~255)");
  EXPECT_EQ(dialog.UseEndVolume()->text(), "  End Volume (0~255)");
  EXPECT_EQ(dialog.OkButton()->text(), "OK");
  EXPECT_EQ(dialog.CancelButton()->text(), "Cancel");
}

TEST(VolumeDialog, ArrowsKeepToTheRangeButATypedValueIsTakenAsItIs) {
  VolumeDialog dialog;
  dialog.SetValues({254, 1, 0, 0, 0, 0});
  dialog.show();
  RangeStepSpinBox* up = dialog.UpStep();
  RangeStepSpinBox* down = dialog.DownStep();
  up->setFocus();
  QTest::keyClick(up, Qt::Key_Up);
  EXPECT_EQ(up->value(), 255);
  QTest::keyClick(up, Qt::Key_Up);
  EXPECT_EQ(up->value(), 255);
  down->setFocus();
  QTest::keyClick(down, Qt::Key_Down);
  QTest::keyClick(down, Qt::Key_Down);
  EXPECT_EQ(down->value(), 0);

  Type(up, "300");
  EXPECT_EQ(up->text(), "300");
  // Text that is no integer cannot be typed; the edit keeps its number.
  Type(down, "12");
  QTest::keyClicks(down, "ab");
  EXPECT_EQ(down->text(), "12");

  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Values().volumeUpStep, 300);
  EXPECT_EQ(dialog.Values().volumeDownStep, 12);

  // A step from outside the range lands on its nearer end.
  VolumeDialog again;
  again.SetValues({300, 0, 0, 0, 0, 0});
  again.show();
  again.UpStep()->setFocus();
  QTest::keyClick(again.UpStep(), Qt::Key_Down);
  EXPECT_EQ(again.UpStep()->value(), 255);
}

TEST(VolumeDialog, HiddenValuesComeBackUnchangedOnOkAndCancelTakesNothing) {
  for (const VolumeSettings& given : {VolumeSettings{3, 4, 1, 0, 300, -1}, VolumeSettings{0, 255, 0, 1, 0, 255}}) {
    VolumeDialog dialog;
    dialog.SetValues(given);
    dialog.show();
    dialog.accept();
    const VolumeSettings& back = dialog.Values();
    EXPECT_EQ(back.volumeUpStep, given.volumeUpStep);
    EXPECT_EQ(back.volumeDownStep, given.volumeDownStep);
    EXPECT_EQ(back.useStartVolume, given.useStartVolume);
    EXPECT_EQ(back.useEndVolume, given.useEndVolume);
    EXPECT_EQ(back.startVolume, given.startVolume);
    EXPECT_EQ(back.endVolume, given.endVolume);
  }

  VolumeDialog cancelled;
  cancelled.SetValues({9, 9, 1, 1, 9, 9});
  cancelled.show();
  Type(cancelled.UpStep(), "100");
  QTest::mouseClick(cancelled.CancelButton(), Qt::LeftButton);
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
  EXPECT_EQ(cancelled.Values().volumeUpStep, 0);  // nothing was read back
}

TEST(SpeedDialog, OpensAtTheGivenPositionAndOkReadsTheTrackbar) {
  SpeedDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), "Speed");
  EXPECT_EQ(dialog.Trackbar()->minimum(), 6);
  EXPECT_EQ(dialog.Trackbar()->maximum(), 14);
  EXPECT_EQ(dialog.Trackbar()->tickInterval(), 1);
  QStringList labels;
  for (const QLabel* label : dialog.Labels()) labels.append(label->text());
  EXPECT_EQ(labels, QStringList({"Slow", "Fast", "x0.6", "x1", "x1.4"}));

  // Five speed-ups from 1.0 stop at 1.4: position 14.
  dialog.SetPosition(14);
  dialog.show();
  EXPECT_EQ(dialog.Trackbar()->value(), 14);
  dialog.Trackbar()->setFocus();
  QTest::keyClick(dialog.Trackbar(), Qt::Key_Right);
  EXPECT_EQ(dialog.Trackbar()->value(), 14);
  QTest::keyClick(dialog.Trackbar(), Qt::Key_Left);
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Position(), 13);
}

TEST(SpeedDialog, TwoSpeedDownsOpenAtSevenAndOkWithoutMovingKeepsIt) {
  float speed = 1.0f;
  speed = speed - 0.1f;
  speed = speed - 0.1f;
  const int position = int(speed * 10.0f);  // 0.79999995 x 10 truncates to 7
  ASSERT_EQ(position, 7);
  SpeedDialog dialog;
  dialog.SetPosition(position);
  dialog.show();
  EXPECT_EQ(dialog.Trackbar()->value(), 7);
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.Position(), 7);

  // A position outside the trackbar's range opens at its nearer end.
  SpeedDialog outside;
  outside.SetPosition(20);
  outside.show();
  EXPECT_EQ(outside.Trackbar()->value(), 14);
  outside.Trackbar()->setFocus();
  for (int i = 0; i < 10; ++i) QTest::keyClick(outside.Trackbar(), Qt::Key_Left);
  outside.accept();
  EXPECT_EQ(outside.Position(), 6);

  SpeedDialog cancelled;
  cancelled.SetPosition(10);
  cancelled.show();
  cancelled.Trackbar()->setValue(12);
  QTest::mouseClick(cancelled.CancelButton(), Qt::LeftButton);
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
  EXPECT_EQ(cancelled.Position(), 10);
}

TEST(AboutDialog, ShowsTheProductVersionAndBuildWithoutCaption) {
  AboutDialog dialog;
  dialog.show();
  EXPECT_TRUE(dialog.windowTitle().isEmpty());
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  const QStringList lines = dialog.Lines();
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0], "Tarnello");
  EXPECT_TRUE(lines.contains("v1.0 Beta"));
  EXPECT_EQ(lines.filter("0509").size(), 1);
  ASSERT_NE(dialog.Icon(), nullptr);
  EXPECT_FALSE(dialog.Icon()->pixmap().isNull());
  EXPECT_EQ(dialog.OkButton()->text(), "OK");
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
