// Which Qt platform the player asks for, from the session's environment.
#include <gtest/gtest.h>

#include "platform/DisplaySession.h"

using Platform::ChooseQtPlatform;
using Platform::SessionEnvironment;

namespace {
SessionEnvironment Env(const char* qpa, const char* wayland, const char* session, const char* display) {
  return {qpa, wayland, session, display};
}
}  // namespace

TEST(QtPlatformChoice, WaylandSessionsUseXWaylandWhereThereIsOne) {
  // Either sign of a Wayland session counts, whatever the letter case of the type.
  EXPECT_EQ("xcb", ChooseQtPlatform(Env("", "wayland-0", "", ":0")));
  EXPECT_EQ("xcb", ChooseQtPlatform(Env("", "", "wayland", ":1")));
  EXPECT_EQ("xcb", ChooseQtPlatform(Env("", "wayland-1", "Wayland", ":0")));
  // No X server beside the compositor: natively, also where Qt would try X11 first.
  EXPECT_EQ("wayland", ChooseQtPlatform(Env("", "wayland-0", "", "")));
  EXPECT_EQ("wayland", ChooseQtPlatform(Env("", "", "wayland", "")));
}

TEST(QtPlatformChoice, TheUsersChoiceAndOtherSessionsAreLeftAlone) {
  EXPECT_EQ("", ChooseQtPlatform(Env("wayland", "wayland-0", "wayland", ":0")));
  EXPECT_EQ("", ChooseQtPlatform(Env("xcb", "wayland-0", "", "")));
  EXPECT_EQ("", ChooseQtPlatform(Env("offscreen", "", "", "")));
  // An X11 session, a text console, nothing at all: Qt's own choice.
  EXPECT_EQ("", ChooseQtPlatform(Env("", "", "x11", ":0")));
  EXPECT_EQ("", ChooseQtPlatform(Env("", "", "tty", "")));
  EXPECT_EQ("", ChooseQtPlatform(Env("", "", "", "")));
}

TEST(QtPlatformChoice, SharedMemoryImagesAreOffForTheApplicationObjectUnlessTheUserSaid) {
  const QByteArray saved = qgetenv("QT_XCB_NO_MITSHM");
  qunsetenv("QT_XCB_NO_MITSHM");
  {
    Platform::QtPlatformChoice choice;
    EXPECT_EQ("1", qgetenv("QT_XCB_NO_MITSHM"));
    choice.Forget();
    // Programs the player starts are not told.
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"));
  }
  qputenv("QT_XCB_NO_MITSHM", "");
  {
    Platform::QtPlatformChoice choice;
  }
  EXPECT_TRUE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"));
  if (saved.isNull()) {
    qunsetenv("QT_XCB_NO_MITSHM");
  } else {
    qputenv("QT_XCB_NO_MITSHM", saved);
  }
}

TEST(QtPlatformChoice, IsSetForTheApplicationObjectAndTakenBackAfterwards) {
  const QByteArray saved[] = {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY")};
  qunsetenv("QT_QPA_PLATFORM");
  qputenv("WAYLAND_DISPLAY", "wayland-9");
  // No X server answers there (a DISPLAY left behind): natively rather than not at all.
  qputenv("DISPLAY", ":64999");
  EXPECT_FALSE(Platform::X11Reachable(":64999"));
  {
    Platform::QtPlatformChoice choice;
    EXPECT_EQ("wayland", choice.Chosen());
    EXPECT_EQ("wayland", qgetenv("QT_QPA_PLATFORM"));
    choice.Forget();
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
  }
  // A platform the user set survives the choice and its end.
  qputenv("QT_QPA_PLATFORM", "wayland");
  {
    Platform::QtPlatformChoice choice;
    EXPECT_TRUE(choice.Chosen().isEmpty());
  }
  EXPECT_EQ("wayland", qgetenv("QT_QPA_PLATFORM"));
  const char* names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i].isNull()) {
      qunsetenv(names[i]);
    } else {
      qputenv(names[i], saved[i]);
    }
  }
}
