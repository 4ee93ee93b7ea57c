#include "buttons/HotkeyWindow.h"

#include <algorithm>

#include "platform/Hotkeys.h"
#include "platform/Sound.h"
#include "playback/PlayerFunction.h"

namespace {

HotkeyWindow::ClickPlayer& Player() {
  static HotkeyWindow::ClickPlayer player;
  return player;
}
}  // namespace

HotkeyWindow::HotkeyWindow(Window* target, int id) : target_(target) {
  for (const char* name : kPlayerFunctionNames) functions_.push_back(QString::fromUtf8(name));
  if (target_) CreateChild(target_, Rect{}, id, false);
}

HotkeyWindow::~HotkeyWindow() { ReleaseButtons(); }

void HotkeyWindow::SetClickPlayer(ClickPlayer player) { Player() = std::move(player); }

int HotkeyWindow::AddButton(const QString& name, int id, int modifiers, int virtualKey) {
  const bool known = std::any_of(buttons_.begin(), buttons_.end(),
                                 [virtualKey](const HardwareButton& b) { return b.virtualKey == virtualKey; });
  if (known || int(buttons_.size()) >= kMaxButtons) return 0;
  buttons_.push_back({name, id, modifiers, virtualKey});
  return 1;
}

std::optional<QString> HotkeyWindow::GetButtonName(int virtualKey) const {
  for (const HardwareButton& b : buttons_)
    if (b.virtualKey == virtualKey) return b.name;
  return std::nullopt;
}

QString HotkeyWindow::GetFunctionName(int function) const {
  return function >= 0 && function < GetFunctionCount() ? functions_[size_t(function)] : QString("");
}

void HotkeyWindow::AddBinding(int function, int presses, int virtualKey) {
  for (HotkeyBinding& b : bindings_) {
    if (b.virtualKey == virtualKey && b.presses == presses) {
      b.function = function;
      return;
    }
  }
  if (int(bindings_.size()) < kMaxBindings) bindings_.push_back({function, presses, virtualKey});
}

std::optional<HotkeyBinding> HotkeyWindow::GetBinding(int index) const {
  if (index < 0 || index >= GetBindingCount()) return std::nullopt;
  return bindings_[size_t(index)];
}

void HotkeyWindow::RegisterButtons() {
  ReleaseButtons();
  // A key another program holds is simply not reached; nothing is reported.
  std::vector<HotkeyRequest> keys;
  for (const HardwareButton& b : buttons_) keys.push_back({b.id, b.modifiers, b.virtualKey});
  RegisterHotKeys(this, keys);
  // Ticks from registration on; it rests while no sequence is open (a tick then
  // does nothing) and wakes on the same grid at the first press of one.
  SetTimer(TIMER_PRESSES, 100);
  RestTimer(TIMER_PRESSES, true);
  registered_ = true;
}

void HotkeyWindow::ReleaseButtons() {
  KillTimer(TIMER_PRESSES);
  for (const HardwareButton& b : buttons_) UnregisterHotKey(this, b.id);
  registered_ = false;
}

void HotkeyWindow::KeyPressed(int key) {
  pending_ = true;
  ticks_ = 0;
  const auto uses = std::count_if(bindings_.begin(), bindings_.end(),
                                  [key](const HotkeyBinding& b) { return b.virtualKey == key; });
  if (uses == 1) {
    // The only binding of this key acts at once, whatever press count it names.
    const auto only = std::find_if(bindings_.begin(), bindings_.end(),
                                   [key](const HotkeyBinding& b) { return b.virtualKey == key; });
    pending_ = false;
    presses_ = 0;
    lastKey_ = 0;
    Click(1);
    Report(only->function, 1, true);
    return;
  }
  RestTimer(TIMER_PRESSES, false);
  if (lastKey_ != key) {
    // Another key's open sequence is dropped without an event.
    presses_ = 0;
    lastKey_ = key;
  } else {
    ++presses_;
  }
}

void HotkeyWindow::Tick() {
  if (!pending_) {
    RestTimer(TIMER_PRESSES, true);
    return;
  }
  if (++ticks_ <= kTicksToDecide) return;
  pending_ = false;
  ticks_ = 0;
  if (!target_) {
    EndSequence();
    return;
  }
  const int count = presses_ + 1;
  const int key = lastKey_;
  const auto match = std::find_if(bindings_.begin(), bindings_.end(), [key, count](const HotkeyBinding& b) {
    return b.virtualKey == key && b.presses == count;
  });
  EndSequence();
  if (match != bindings_.end()) {
    const HotkeyBinding chosen = *match;
    Click(chosen.presses);
    Report(chosen.function, count, true);
  } else {
    Click(1);
    Report(key, count, false);
  }
}

void HotkeyWindow::EndSequence() {
  presses_ = 0;
  lastKey_ = 0;
}

void HotkeyWindow::Click(int times) {
  if (!beep_) return;
  for (int i = 0; i < times; ++i) {
    if (Player()) {
      Player()();
    } else {
      Platform::PlayClickAndWait();
    }
  }
}

void HotkeyWindow::Report(int value, int count, bool bound) {
  if (!target_) return;
  const intptr_t lParam = intptr_t(count & 0xFFFF) | (bound ? intptr_t(1) << 16 : 0);
  target_->Send(MSG_BUTTON_EVENT, uintptr_t(intptr_t(value)), lParam);
}

intptr_t HotkeyWindow::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == MSG_HOTKEY) {
    // The virtual key is the high word of lParam.
    KeyPressed(int((lParam >> 16) & 0xFFFF));
    return 0;
  }
  return Window::OnMessage(message, wParam, lParam);
}

void HotkeyWindow::OnTimer(int timerId) {
  if (timerId == TIMER_PRESSES) Tick();
  Window::OnTimer(timerId);
}

void HotkeyWindow::OnDestroy() { ReleaseButtons(); }
