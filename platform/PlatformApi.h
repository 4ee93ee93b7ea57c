/* Services of the player that plug-ins may call: window messages to the player's
   windows and modal message boxes. C linkage, callable from any thread. */
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

#ifdef __cplusplus
}
#endif
#endif
