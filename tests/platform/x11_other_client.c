#include "x11_other_client.h"

#include <X11/Xlib.h>

static Display* display;
static Window window;
static int lastError;

static int RecordError(Display* d, XErrorEvent* e) {
  (void)d;
  lastError = e->error_code;
  return 0;
}

int OtherClientOpen(void) {
  display = XOpenDisplay(NULL);
  if (!display) return 0;
  XSetErrorHandler(RecordError);
  window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent e;;) {
    XNextEvent(display, &e);
    if (e.type == MapNotify) break;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  return 1;
}

int OtherClientGrab(const char* keysymName, int withCapsLock) {
  lastError = 0;
  const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName));
  XGrabKey(display, code, withCapsLock ? LockMask : 0, DefaultRootWindow(display), False, GrabModeAsync,
           GrabModeAsync);
  XSync(display, False);
  return code != 0 && lastError == 0;
}

int OtherClientHasFocus(void) {
  Window focused = 0;
  int revert = 0;
  XGetInputFocus(display, &focused, &revert);
  return focused == window;
}

int OtherClientKeycode(const char* keysymName) { return XKeysymToKeycode(display, XStringToKeysym(keysymName)); }

int OtherClientSetKeysym(int keycode, const char* keysymName) {
  KeySym sym = XStringToKeysym(keysymName);
  lastError = 0;
  XChangeKeyboardMapping(display, keycode, 1, &sym, 1);
  XSync(display, False);
  return sym != NoSymbol && lastError == 0;
}

void OtherClientClose(void) { XCloseDisplay(display); }
