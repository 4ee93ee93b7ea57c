/* Services of the player that plug-ins may call: window messages to the player's
   windows, modal message boxes, a section of the player's options file and modal
   settings dialogs. C linkage; messages and boxes may be called from any thread,
   options and dialogs on the player's UI thread only. */
#ifndef TARNELLO_PLATFORM_API_H
#define TARNELLO_PLATFORM_API_H

#include <stdint.h>
#ifdef __cplusplus
#include <cstddef>
#else
#include <uchar.h>
#endif

#ifndef TARNELLO_WINDOW_HANDLE_DEFINED
#define TARNELLO_WINDOW_HANDLE_DEFINED
typedef void* WindowHandle; /* the player's main window, opaque */
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define TARNELLO_EXPORT __attribute__((visibility("default")))

/* Delivers the message and returns the window's result; from a thread other than
   the player's it blocks until the player has handled it. 0 for an unknown window. */
TARNELLO_EXPORT intptr_t PlatformSendMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                             intptr_t lParam);
/* Queues the message; 1 when queued, 0 for an unknown window. */
TARNELLO_EXPORT int32_t PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                            intptr_t lParam);
/* Shows a modal box with an OK button and returns 1 when it was dismissed. Texts are
   0-terminated UTF-16; a null caption shows none. */
TARNELLO_EXPORT int32_t PlatformMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption);

/* A plug-in keeps its settings in a section of its own of the player's options file
   ("tarnello.txt"), which the player reads at start-up and writes when it closes.
   Sections and keys compare without regard to case.
   PlatformReadOption copies the key's value, 0-terminated and cut to size units,
   into buffer and returns its whole length; -1 when the key (or the options file)
   is absent. */
TARNELLO_EXPORT int32_t PlatformReadOption(const char16_t* section, const char16_t* key, char16_t* buffer,
                                           int32_t size);
/* Sets the key; written to the file with the player's own options when the player
   closes. 0 when refused: no options file, the player's own section, an empty
   section or key, a section or key with '[', ']' or '=', or a value with ']' or a
   line break (any of which would read back as another line). */
TARNELLO_EXPORT int32_t PlatformWriteOption(const char16_t* section, const char16_t* key, const char16_t* value);

/* One control of a settings dialog. */
enum { PLATFORM_FIELD_CHOICE = 0, PLATFORM_FIELD_NUMBER = 1 };
typedef struct PlatformFormField {
  int32_t kind;             /* PLATFORM_FIELD_CHOICE: a list to choose from; _NUMBER: a spin box */
  const char16_t* label;    /* shown before the control */
  const char16_t* choices;  /* a choice's entries, each ending in '|' */
  const char16_t* suffix;   /* a number's unit (" dB"), or null */
  double minimum, maximum, step;
  int32_t decimals;
  double value; /* in: shown at first; out after OK: the number, or the choice's index */
} PlatformFormField;

/* Shows a modal dialog with the fields and OK and Cancel. Returns 1 after OK with
   every field's value updated, 0 after Cancel (values untouched) or for bad fields. */
TARNELLO_EXPORT int32_t PlatformShowForm(WindowHandle owner, const char16_t* title, PlatformFormField* fields,
                                         int32_t count);

#ifdef __cplusplus
}
#endif
#endif
