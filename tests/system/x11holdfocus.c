/* Another program's window: maps a window, gives it the input focus and holds it
 * until its standard input closes. Prints "focused" once it has the focus. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <unistd.h>

int main(void) {
  Display* display = XOpenDisplay(NULL);
  if (!display) return 1;
  Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 600, 500, 100, 100, 0, 0, 0);
  XStoreName(display, window, "Other program");
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent e;;) {
    XNextEvent(display, &e);
    if (e.type == MapNotify) break;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  printf("focused\n");
  fflush(stdout);
  char buffer[64];
  while (read(0, buffer, sizeof buffer) > 0) {
  }
  XCloseDisplay(display);
  return 0;
}
