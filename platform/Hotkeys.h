#pragma once
#include <cstdint>

class Window;

// Global hot keys: a registered key, pressed while any program is in front, posts
// MSG_HOTKEY to the window that registered it.
// wParam = hot-key id, lParam = (virtualKey << 16) | modifiers.
constexpr uint32_t MSG_HOTKEY = 0x0312;

// Modifier flags of hot keys: 1 Alt, 2 Control, 4 Shift, 8 Super.
constexpr int HOTKEY_ALT = 1;
constexpr int HOTKEY_CONTROL = 2;
constexpr int HOTKEY_SHIFT = 4;
constexpr int HOTKEY_SUPER = 8;

class HotkeyService {
 public:
  virtual ~HotkeyService() = default;
  // False when the key has no key on this system, another program holds it, or the
  // id is taken for that window.
  virtual bool Register(Window* window, int id, int modifiers, int virtualKey) = 0;
  virtual void Unregister(Window* window, int id) = 0;
};

// Installs a service (null restores the default one).
void SetHotkeyService(HotkeyService* service);
bool RegisterHotKey(Window* window, int id, int modifiers, int virtualKey);
void UnregisterHotKey(Window* window, int id);
