#pragma once
// Another X client for the hot-key check: its own connection, a focused window of
// its own, and key grabs of its own. Kept apart because Xlib's names clash with ours.
#ifdef __cplusplus
extern "C" {
#endif
// Opens the connection, maps a window and gives it the focus; 0 on failure.
int OtherClientOpen(void);
// Grabs the key (keysym name) on the root window, with CapsLock when withCapsLock;
// 1 when the server granted it.
int OtherClientGrab(const char* keysymName, int withCapsLock);
// 1 while the client's window has the focus.
int OtherClientHasFocus(void);
// The keycode that carries the keysym in the server's map (0 when none does).
int OtherClientKeycode(const char* keysymName);
// Gives the keycode that one keysym alone; every client is told the map changed.
int OtherClientSetKeysym(int keycode, const char* keysymName);
void OtherClientClose(void);
#ifdef __cplusplus
}
#endif
