/* Waits until a top-level window with the given title is mapped and prints the
   moment (CLOCK_MONOTONIC, seconds) when it was. Prints "ready" once it listens,
   so a benchmark can start the program afterwards. Usage: x11waitmap TITLE */
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static int HasTitle(Display* display, Window window, const char* title) {
  char* name = NULL;
  int same = XFetchName(display, window, &name) && name && strcmp(name, title) == 0;
  if (name) XFree(name);
  return same;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Display* display = XOpenDisplay(NULL);
  if (!display) return 1;
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  printf("ready\n");
  fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify && HasTitle(display, event.xmap.window, argv[1])) {
      struct timespec now;
      clock_gettime(CLOCK_MONOTONIC, &now);
      printf("%.6f\n", now.tv_sec + now.tv_nsec / 1e9);
      return 0;
    }
  }
}
