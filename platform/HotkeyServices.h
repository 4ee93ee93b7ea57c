#pragma once
#include <QObject>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/Hotkeys.h"

// The platform's own hot-key services, behind the HotkeyService interface.

// One registered key of one window.
struct HotkeyRegistration {
  Window* window = nullptr;
  int id = 0;
  int modifiers = 0;
  int virtualKey = 0;
  uint32_t keycode = 0;  // X11 only: the key grabbed
};

// The registrations of a service, with the checks every service makes.
class HotkeyTable {
 public:
  // False when the window has that id already, or the key and modifiers are taken.
  bool CanAdd(Window* window, int id, int modifiers, int virtualKey) const;
  void Add(const HotkeyRegistration& registration) { entries_.push_back(registration); }
  // Removes and returns the registration; false when there is none.
  bool Take(Window* window, int id, HotkeyRegistration* taken);
  const HotkeyRegistration* Find(int modifiers, int virtualKey) const;
  const std::vector<HotkeyRegistration>& Entries() const { return entries_; }

 private:
  std::vector<HotkeyRegistration> entries_;
};

// Posts MSG_HOTKEY for a registration to its window, when that window still exists.
void PostHotkey(const HotkeyRegistration& registration);

// Tells new presses from the auto-repeat of a held key. A key counts once until it
// is released. Without detectable auto-repeat, X repeats a held key as a release and
// a press with the same timestamp; that press is not a new one either.
class KeyRepeatFilter {
 public:
  // True for a new press of key at time (server milliseconds).
  bool Press(uint32_t key, uint32_t time);
  void Release(uint32_t key, uint32_t time);
  // Forgets the key, for when its grab ends while it may be held.
  void Forget(uint32_t key) { keys_.erase(key); }

 private:
  struct KeyState {
    bool down = false;
    bool released = false;
    uint32_t releaseTime = 0;
  };
  std::unordered_map<uint32_t, KeyState> keys_;
};

// Global keys through X11 grabs on the root window; null when Qt does not run on X11.
// The service is a child of the application object.
HotkeyService* CreateX11HotkeyService();
