#include <QApplication>
#include <gtest/gtest.h>

#include "tests/support/QuietPowerServices.h"

// Qt needs its application object before any widget or event exists.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  InstallQuietPowerServices();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
