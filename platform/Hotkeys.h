#pragma once
#include <cstdint>
#include <vector>

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

// One key of a window's set, registered with RegisterHotKeys.
struct HotkeyRequest {
  int id = 0;
  int modifiers = 0;
  int virtualKey = 0;
};

class HotkeyService {
 public:
  virtual ~HotkeyService() = default;
  // False when the key has no key on this system, another program holds it, or the
  // id is taken for that window.
  virtual bool Register(Window* window, int id, int modifiers, int virtualKey) = 0;
  virtual void Unregister(Window* window, int id) = 0;
  // Registers the keys in order, as one Register each would; a service may ask the
  // system about all of them at once. One result per key.
  virtual std::vector<bool> RegisterAll(Window* window, const std::vector<HotkeyRequest>& keys) {
    std::vector<bool> results;
    for (const HotkeyRequest& k : keys) results.push_back(Register(window, k.id, k.modifiers, k.virtualKey));
    return results;
  }
};

// Installs a service (null restores the default one).
void SetHotkeyService(HotkeyService* service);
bool RegisterHotKey(Window* window, int id, int modifiers, int virtualKey);
// A window's whole set at once; one result per key, each as RegisterHotKey gives it.
std::vector<bool> RegisterHotKeys(Window* window, const std::vector<HotkeyRequest>& keys);
void UnregisterHotKey(Window* window, int id);
