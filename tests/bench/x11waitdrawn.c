/* Waits until the top-level windows with the given titles have been mapped and
   drawn into (the first drawing each takes after it was created) and prints two
   moments (CLOCK_MONOTONIC, seconds), each as it comes: when the window of the
   first title was mapped, and when the last of them was first drawn. Prints "ready" once it
   listens, so a benchmark can start the program afterwards.
   Usage: x11waitdrawn TITLE... */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

enum { kMaxTitles = 8 };

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

static int TitleIndex(Display* display, Window window, int count, char** titles) {
  char* name = NULL;
  int found = -1;
  if (XFetchName(display, window, &name) && name) {
    for (int i = 0; i < count; ++i)
      if (strcmp(name, titles[i]) == 0) found = i;
  }
  if (name) XFree(name);
  return found;
}

/* A window gone before its damage object was made is not an error here. */
static int IgnoreErrors(Display* display, XErrorEvent* error) {
  (void)display;
  (void)error;
  return 0;
}

int main(int argc, char** argv) {
  const int count = argc - 1;
  if (count < 1 || count > kMaxTitles) return 2;
  Display* display = XOpenDisplay(NULL);
  int damageEvent = 0, damageError = 0;
  if (!display || !XDamageQueryExtension(display, &damageEvent, &damageError)) return 1;
  XSetErrorHandler(IgnoreErrors);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  printf("ready\n");
  fflush(stdout);
  int drawn[kMaxTitles] = {0};
  int left = count;
  int mapped = 0;
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == CreateNotify) {
      /* Watched from creation on: the first drawing may follow the map at once. */
      XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
    } else if (event.type == MapNotify && !mapped) {
      if (TitleIndex(display, event.xmap.window, 1, argv + 1) == 0) {
        mapped = 1;
        printf("%.6f\n", Now());
        fflush(stdout);
      }
    } else if (event.type == damageEvent + XDamageNotify) {
      const XDamageNotifyEvent* damage = (const XDamageNotifyEvent*)&event;
      const int i = TitleIndex(display, damage->drawable, count, argv + 1);
      XDamageSubtract(display, damage->damage, None, None);
      if (i >= 0 && !drawn[i]) {
        drawn[i] = 1;
        if (--left == 0) {
          const double at = Now();
          if (!mapped) printf("%.6f\n", at);
          printf("%.6f\n", at);
          return 0;
        }
      }
    }
  }
}
