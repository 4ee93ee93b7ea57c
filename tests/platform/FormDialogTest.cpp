// The settings dialog plug-ins describe: fields it cannot show are refused before
// anything opens, and OK hands back what each control holds, within its range.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

#include "platform/PlatformApi.h"

namespace {
PlatformFormField Number(double value) {
  PlatformFormField f{};
  f.kind = PLATFORM_FIELD_NUMBER;
  f.label = u"Gain:";
  f.minimum = -20;
  f.maximum = 20;
  f.step = 0.5;
  f.decimals = 1;
  f.value = value;
  return f;
}

TEST(FormDialog, FieldsItCannotShowAreRefusedWithoutADialog) {
  PlatformFormField bad[] = {Number(0), Number(0), Number(0), Number(0), Number(0)};
  bad[0].maximum = -30;  // below the minimum
  bad[1].step = 0;
  bad[2].minimum = NAN;
  bad[3].kind = 9;
  bad[4].kind = PLATFORM_FIELD_CHOICE;
  bad[4].choices = u"Off|On";  // the last entry lacks its '|'
  for (PlatformFormField& f : bad) EXPECT_EQ(PlatformShowForm(nullptr, u"x", &f, 1), 0);
  PlatformFormField good = Number(1);
  EXPECT_EQ(PlatformShowForm(nullptr, u"x", &good, 0), 0);
  EXPECT_EQ(PlatformShowForm(nullptr, u"x", nullptr, 1), 0);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(FormDialog, OkHandsBackTheControlsValuesWithinTheirRanges) {
  PlatformFormField fields[2] = {{}, Number(99)};
  fields[0].kind = PLATFORM_FIELD_CHOICE;
  fields[0].label = u"Mode:";
  fields[0].choices = u"Off|Track|Album|";
  fields[0].value = 5;  // no such entry: the first is shown
  int shownIndex = -1;
  double shownValue = 0;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Brelwick");
    auto* mode = dialog->findChild<QComboBox*>("field0");
    auto* gain = dialog->findChild<QDoubleSpinBox*>("field1");
    ASSERT_TRUE(mode && gain);
    shownIndex = mode->currentIndex();
    shownValue = gain->value();
    mode->setCurrentIndex(2);
    gain->setValue(-3.5);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  ASSERT_EQ(PlatformShowForm(nullptr, u"Brelwick", fields, 2), 1);
  EXPECT_EQ(shownIndex, 0);
  EXPECT_EQ(shownValue, 20);
  EXPECT_EQ(fields[0].value, 2);
  EXPECT_EQ(fields[1].value, -3.5);
}
}  // namespace
