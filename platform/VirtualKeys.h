#pragma once
#include <cstdint>

// The device's virtual-key codes (as "hotkeys.ini" and the button bindings name
// them) against the keys of this system: X keysyms and Qt key codes.
namespace Platform {

// The X keysym of a virtual key; 0 (no symbol) for a code the table lacks.
uint32_t KeysymForVirtualKey(int virtualKey);
// The virtual key of an X keysym; 0 when no virtual key has it.
int VirtualKeyForKeysym(uint32_t keysym);
// The virtual key of a Qt key code (Qt::Key); 0 when none has it.
int VirtualKeyForQtKey(int qtKey);

}  // namespace Platform
