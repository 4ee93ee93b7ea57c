#include "platform/Hotkeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

#include "platform/HotkeyServices.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"

bool HotkeyTable::CanAdd(Window* window, int id, int modifiers, int virtualKey) const {
  for (const HotkeyRegistration& r : entries_) {
    if (r.window == window && r.id == id) return false;
    if (r.modifiers == modifiers && r.virtualKey == virtualKey) return false;
  }
  return true;
}

bool HotkeyTable::Take(Window* window, int id, HotkeyRegistration* taken) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->window == window && it->id == id) {
      *taken = *it;
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

const HotkeyRegistration* HotkeyTable::Find(int modifiers, int virtualKey) const {
  for (const HotkeyRegistration& r : entries_)
    if (r.modifiers == modifiers && r.virtualKey == virtualKey) return &r;
  return nullptr;
}

void PostHotkey(const HotkeyRegistration& r) {
  // A window destroyed without unregistering gets nothing.
  Window* window = Window::FromHandle(r.window);
  if (!window) return;
  window->Post(MSG_HOTKEY, uintptr_t(r.id), (intptr_t(r.virtualKey) << 16) | intptr_t(r.modifiers));
}

bool KeyRepeatFilter::Press(uint32_t key, uint32_t time) {
  KeyState& k = keys_[key];
  const bool repeat = k.down || (k.released && k.releaseTime == time);
  k.down = true;
  k.released = false;
  return !repeat;
}

void KeyRepeatFilter::Release(uint32_t key, uint32_t time) {
  KeyState& k = keys_[key];
  k.down = false;
  k.released = true;
  k.releaseTime = time;
}

namespace {
// Without X11 (offscreen, Wayland) keys reach the program only while one of its
// windows has the focus: an application event filter takes the registered ones.
class FocusHotkeys : public QObject, public HotkeyService {
 public:
  explicit FocusHotkeys(QObject* parent) : QObject(parent) { parent->installEventFilter(this); }

  bool Register(Window* window, int id, int modifiers, int virtualKey) override {
    if (Platform::KeysymForVirtualKey(virtualKey) == 0 || !table_.CanAdd(window, id, modifiers, virtualKey)) return false;
    table_.Add({window, id, modifiers, virtualKey, 0});
    return true;
  }
  void Unregister(Window* window, int id) override {
    HotkeyRegistration gone;
    table_.Take(window, id, &gone);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || table_.Entries().empty()) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat()) return false;
    const HotkeyRegistration* r = table_.Find(Modifiers(key->modifiers()), Platform::VirtualKeyForQtKey(key->key()));
    if (!r) return false;
    PostHotkey(*r);
    return true;  // taken, as a grabbed key would be: no widget sees it
  }

 private:
  static int Modifiers(Qt::KeyboardModifiers m) {
    return (m & Qt::AltModifier ? HOTKEY_ALT : 0) | (m & Qt::ControlModifier ? HOTKEY_CONTROL : 0) |
           (m & Qt::ShiftModifier ? HOTKEY_SHIFT : 0) | (m & Qt::MetaModifier ? HOTKEY_SUPER : 0);
  }
  HotkeyTable table_;
};

HotkeyService* installed = nullptr;

// The default service lives as a child of the application object, so it goes with it.
HotkeyService* DefaultService() {
  static QPointer<QObject> owner;
  static HotkeyService* service = nullptr;
  if (!owner) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return nullptr;
    service = CreateX11HotkeyService();
    if (!service) service = new FocusHotkeys(app);
    owner = dynamic_cast<QObject*>(service);
  }
  return service;
}
}  // namespace

void SetHotkeyService(HotkeyService* service) { installed = service; }

bool RegisterHotKey(Window* window, int id, int modifiers, int virtualKey) {
  HotkeyService* service = installed ? installed : DefaultService();
  return service && window && service->Register(window, id, modifiers, virtualKey);
}

std::vector<bool> RegisterHotKeys(Window* window, const std::vector<HotkeyRequest>& keys) {
  HotkeyService* service = installed ? installed : DefaultService();
  if (!service || !window) return std::vector<bool>(keys.size(), false);
  return service->RegisterAll(window, keys);
}

void UnregisterHotKey(Window* window, int id) {
  HotkeyService* service = installed ? installed : DefaultService();
  if (service) service->Unregister(window, id);
}
