// Checks the X11 hot keys end to end on the display named by DISPLAY (an Xvfb of the
// test's own): keys registered through RegisterHotKey, pressed with xdotool while a
// window of another X client has the focus. Prints one line per check; exit status 0
// when all pass.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Hotkeys.h"
#include "platform/Window.h"
#include "x11_other_client.h"

namespace {
struct Hotkey {
  uintptr_t id;
  intptr_t lParam;
};

class Probe : public Window {
 public:
  std::vector<Hotkey> hotkeys;

 protected:
  intptr_t OnMessage(uint32_t m, uintptr_t w, intptr_t l) override {
    if (m == MSG_HOTKEY) hotkeys.push_back({w, l});
    return Window::OnMessage(m, w, l);
  }
};

int failures = 0;
void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok" : "FAIL", what);
  std::fflush(stdout);
  if (!ok) ++failures;
}

// Runs xdotool (plain "key", which goes through the server's grabs), then lets the
// events arrive for up to ms milliseconds or until count hot keys were seen.
void Keys(const char* args, Probe& probe, size_t count, int ms = 2000) {
  const std::string command = std::string("xdotool ") + args;
  if (std::system(command.c_str()) != 0) std::printf("xdotool %s failed\n", args);
  QElapsedTimer t;
  t.start();
  while (probe.hotkeys.size() < count && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  // A little longer, so an unwanted extra key would be seen.
  while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (!OtherClientOpen()) {
    std::printf("FAIL no display\n");
    return 2;
  }
  // The other client holds F8, but only with CapsLock.
  Check(OtherClientGrab("F8", 1), "the other client grabs CapsLock+F8");

  Probe probe;
  probe.CreateTopLevel("probe", Rect::FromSize(200, 200, 50, 50), 1);
  Check(RegisterHotKey(&probe, 7, 0, 0x76), "F7 registers");
  Check(RegisterHotKey(&probe, 9, HOTKEY_CONTROL | HOTKEY_ALT, 0x25), "Ctrl+Alt+Left registers");
  Check(!RegisterHotKey(&probe, 8, 0, 0x77), "F8, held by another client, is refused");
  Check(OtherClientGrab("F8", 0), "the refused registration left no grab behind");
  Check(!RegisterHotKey(&probe, 10, 0, 0xDF), "a key without a keysym is refused");

  Check(OtherClientHasFocus(), "the other client's window has the focus");

  Keys("key F7", probe, 1);
  Check(probe.hotkeys.size() == 1 && probe.hotkeys[0].id == 7 && probe.hotkeys[0].lParam == (intptr_t(0x76) << 16),
        "F7 posts id 7 with the virtual key in the high word");
  Keys("key ctrl+alt+Left", probe, 2);
  Check(probe.hotkeys.size() == 2 && probe.hotkeys[1].id == 9 &&
            probe.hotkeys[1].lParam == ((intptr_t(0x25) << 16) | (HOTKEY_CONTROL | HOTKEY_ALT)),
        "Ctrl+Alt+Left posts id 9 with its modifiers");
  Keys("key Left", probe, 3, 300);
  Check(probe.hotkeys.size() == 2, "Left without the modifiers is not the hot key");
  Keys("key Num_Lock F7 Num_Lock Caps_Lock F7 Caps_Lock", probe, 4);
  Check(probe.hotkeys.size() == 4, "F7 works with NumLock and with CapsLock on");

  // Held for a while: the server's auto-repeat must not count as more presses.
  Keys("keydown F7 sleep 1 keyup F7", probe, 5, 1500);
  Check(probe.hotkeys.size() == 5, "a held F7 counts once");
  Keys("key F7", probe, 6);
  Check(probe.hotkeys.size() == 6, "F7 after the hold counts again");

  UnregisterHotKey(&probe, 7);
  Keys("key F7", probe, 7, 300);
  Check(probe.hotkeys.size() == 6, "an unregistered F7 posts nothing");
  Check(OtherClientGrab("F7", 0) && OtherClientGrab("F7", 1), "unregistering let go of the grabs");
  UnregisterHotKey(&probe, 9);

  // A whole set at once, each key as a single registration would have it: a free
  // key, a key held by the other client and the free key again under another id.
  const std::vector<bool> set = RegisterHotKeys(&probe, {{11, 0, 0x78}, {12, 0, 0x77}, {13, 0, 0x78}});
  Check(set == std::vector<bool>({true, false, false}), "a set registers F9 once and refuses the held F8");
  Check(OtherClientGrab("F8", 0), "the refused key of the set left no grab behind");
  Keys("key F9", probe, 7);
  Check(probe.hotkeys.size() == 7 && probe.hotkeys[6].id == 11, "F9 of the set posts its id");
  UnregisterHotKey(&probe, 11);

  // A new keyboard map (a layout switch): F10 moves to the key that was F11. The
  // registration must grab the key that carries F10 now.
  const int oldF10 = OtherClientKeycode("F10"), oldF11 = OtherClientKeycode("F11");
  Check(oldF10 && oldF11 && OtherClientSetKeysym(oldF10, "F20") && OtherClientSetKeysym(oldF11, "F10"),
        "the other client moves F10 to another key");
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  Check(RegisterHotKey(&probe, 14, 0, 0x79), "F10 registers on its new key");
  Keys("key F10", probe, 8);
  Check(probe.hotkeys.size() == 8 && probe.hotkeys[7].id == 14, "F10 on its new key posts its id");
  UnregisterHotKey(&probe, 14);
  OtherClientClose();
  return failures ? 1 : 0;
}
