#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Window.h"

// A hardware button the player can grab: its name as shown to the user, the
// hot-key identifier it is registered under, modifiers and virtual key.
struct HardwareButton {
  QString name;
  int id = 0;
  int modifiers = 0;
  int virtualKey = 0;
};

// A function bound to a number of quick presses of a key.
struct HotkeyBinding {
  int function = 0;
  int presses = 1;
  int virtualKey = 0;
};

// The hidden window that grabs the hardware buttons, counts quick presses of the
// same key and tells its target which function was chosen (MSG_BUTTON_EVENT, sent:
// wParam function, lParam count | 1 << 16), or which key was pressed how often
// when nothing is bound to that (wParam key, lParam count).
class HotkeyWindow : public Window {
 public:
  static constexpr int kMaxButtons = 256;
  static constexpr int kMaxBindings = 256;
  static constexpr int kMaxFunctions = 128;
  static constexpr int TIMER_PRESSES = 100;
  // A sequence ends at the sixth tick after its last press.
  static constexpr int kTicksToDecide = 5;

  // Creates the window as a hidden child of target.
  HotkeyWindow(Window* target, int id);
  ~HotkeyWindow() override;

  // 0 when a button with that virtual key is already there (or the table is full).
  int AddButton(const QString& name, int id, int modifiers, int virtualKey);
  std::optional<QString> GetButtonName(int virtualKey) const;
  const std::vector<HardwareButton>& Buttons() const { return buttons_; }
  QString GetFunctionName(int function) const;
  int GetFunctionCount() const { return int(functions_.size()); }

  // Replaces the function of a binding with the same key and press count, else appends.
  void AddBinding(int function, int presses, int virtualKey);
  void ClearBindings() { bindings_.clear(); }
  int GetBindingCount() const { return int(bindings_.size()); }
  std::optional<HotkeyBinding> GetBinding(int index) const;

  void SetBeep(bool beep) { beep_ = beep; }
  bool GetBeep() const { return beep_; }

  void RegisterButtons();
  void ReleaseButtons();
  bool IsRegistered() const { return registered_; }

  // A press of a grabbed key, and a tick of the press timer: the two steps of the
  // press counting, reached by the hot-key and timer messages.
  void KeyPressed(int virtualKey);
  void Tick();

  // What plays the click; tests count instead of listening.
  using ClickPlayer = std::function<void()>;
  static void SetClickPlayer(ClickPlayer player);

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void OnTimer(int timerId) override;
  void OnDestroy() override;

 private:
  void Click(int times);
  void Report(int value, int count, bool bound);
  void EndSequence();

  Window* target_;
  bool beep_ = false;
  std::vector<QString> functions_;
  std::vector<HardwareButton> buttons_;
  std::vector<HotkeyBinding> bindings_;
  bool registered_ = false;
  bool pending_ = false;
  int presses_ = 0;
  int ticks_ = 0;
  int lastKey_ = 0;
};
