#include "platform/Hotkeys.h"

namespace {
HotkeyService* installed = nullptr;
}  // namespace

void SetHotkeyService(HotkeyService* service) { installed = service; }

bool RegisterHotKey(Window* window, int id, int modifiers, int virtualKey) {
  return installed ? installed->Register(window, id, modifiers, virtualKey) : false;
}

void UnregisterHotKey(Window* window, int id) {
  if (installed) installed->Unregister(window, id);
}
