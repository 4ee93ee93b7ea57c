// Global hot keys on X11: passive key grabs on the root window, made on Qt's own xcb
// connection so that the presses arrive through Qt's native event filter.
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <X11/keysym.h>
#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

#include "platform/HotkeyServices.h"
#include "platform/VirtualKeys.h"

namespace {
constexpr uint16_t kModifierMasks = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

uint16_t MaskOf(int modifiers) {
  return uint16_t((modifiers & HOTKEY_ALT ? XCB_MOD_MASK_1 : 0) | (modifiers & HOTKEY_CONTROL ? XCB_MOD_MASK_CONTROL : 0) |
                  (modifiers & HOTKEY_SHIFT ? XCB_MOD_MASK_SHIFT : 0) | (modifiers & HOTKEY_SUPER ? XCB_MOD_MASK_4 : 0));
}

// The server's keyboard map: which keycode carries a keysym, which modifier NumLock is.
class KeyboardMap {
 public:
  explicit KeyboardMap(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    first_ = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    reply_ = xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, first_, uint8_t(count)), nullptr);
    if (!reply_) return;
    perKey_ = reply_->keysyms_per_keycode;
    syms_ = xcb_get_keyboard_mapping_keysyms(reply_);
    keys_ = perKey_ ? xcb_get_keyboard_mapping_keysyms_length(reply_) / perKey_ : 0;
    numLock_ = FindNumLock(c);
  }
  ~KeyboardMap() { std::free(reply_); }
  KeyboardMap(const KeyboardMap&) = delete;
  KeyboardMap& operator=(const KeyboardMap&) = delete;

  // The first keycode with the keysym, looking through the first column of every
  // key before the second (as the X library does); 0 when no key has it.
  xcb_keycode_t Keycode(uint32_t keysym) const {
    for (int column = 0; column < perKey_; ++column)
      for (int key = 0; key < keys_; ++key)
        if (syms_[key * perKey_ + column] == keysym) return xcb_keycode_t(first_ + key);
    return 0;
  }
  uint16_t NumLockMask() const { return numLock_; }

 private:
  uint16_t FindNumLock(xcb_connection_t* c) const {
    const xcb_keycode_t numLock = Keycode(XK_Num_Lock);
    uint16_t mask = XCB_MOD_MASK_2;  // where servers usually put it
    xcb_get_modifier_mapping_reply_t* mods =
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (!mods) return mask;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mods);
    for (int m = 0; m < 8 && numLock; ++m)
      for (int k = 0; k < mods->keycodes_per_modifier; ++k)
        if (codes[m * mods->keycodes_per_modifier + k] == numLock) mask = uint16_t(1 << m);
    std::free(mods);
    return mask;
  }

  xcb_get_keyboard_mapping_reply_t* reply_ = nullptr;
  const xcb_keysym_t* syms_ = nullptr;
  int perKey_ = 0, keys_ = 0;
  xcb_keycode_t first_ = 0;
  uint16_t numLock_ = XCB_MOD_MASK_2;
};

class X11Hotkeys : public QObject, public HotkeyService, public QAbstractNativeEventFilter {
 public:
  X11Hotkeys(QObject* parent, xcb_connection_t* connection)
      : QObject(parent), connection_(connection), root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~X11Hotkeys() override {
    for (const HotkeyRegistration& r : table_.Entries()) Ungrab(r);
    xcb_flush(connection_);
  }

  bool Register(Window* window, int id, int modifiers, int virtualKey) override {
    return RegisterAll(window, {{id, modifiers, virtualKey}}).front();
  }

  // The grabs of all keys go out together and are checked with one round trip to
  // the server, instead of one per key.
  std::vector<bool> RegisterAll(Window* window, const std::vector<HotkeyRequest>& keys) override {
    std::vector<bool> results(keys.size(), false);
    std::vector<Pending> pending;
    for (size_t i = 0; i < keys.size(); ++i) {
      const HotkeyRequest& k = keys[i];
      const uint32_t keysym = Platform::KeysymForVirtualKey(k.virtualKey);
      if (!keysym || !table_.CanAdd(window, k.id, k.modifiers, k.virtualKey)) continue;
      const xcb_keycode_t keycode = Map().Keycode(keysym);
      if (!keycode) continue;
      // In the table until its grabs are checked, so a later key of the set is
      // refused where a later registration would be.
      Pending p{i, {window, k.id, k.modifiers, k.virtualKey, keycode}, {}};
      SendGrabs(p);
      table_.Add(p.registration);
      pending.push_back(p);
    }
    for (Pending& p : pending) {
      HotkeyRegistration refused;
      if (!CheckGrabs(p)) {
        table_.Take(window, p.registration.id, &refused);
        continue;
      }
      repeats_.Forget(p.registration.keycode);
      results[p.index] = true;
    }
    xcb_flush(connection_);
    return results;
  }

  void Unregister(Window* window, int id) override {
    HotkeyRegistration gone;
    if (!table_.Take(window, id, &gone)) return;
    Ungrab(gone);
    xcb_flush(connection_);
    repeats_.Forget(gone.keycode);
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7F;
    // The keyboard or modifier map changed (a new layout): read it afresh next time.
    if (type == XCB_MAPPING_NOTIFY) map_.reset();
    if (table_.Entries().empty()) return false;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    const HotkeyRegistration* match = nullptr;
    bool grabbedKey = false;
    for (const HotkeyRegistration& r : table_.Entries()) {
      if (r.keycode != key->detail) continue;
      grabbedKey = true;
      if (MaskOf(r.modifiers) == (key->state & kModifierMasks)) match = &r;
    }
    if (!grabbedKey) return false;
    if (type == XCB_KEY_RELEASE) {
      // Whatever the modifiers are by now, the key is up.
      repeats_.Release(key->detail, key->time);
      return key->event == root_;
    }
    if (!match) return false;
    if (repeats_.Press(key->detail, key->time)) PostHotkey(*match);
    return true;
  }

 private:
  // A registration whose grabs were sent and are not checked yet.
  struct Pending {
    size_t index;
    HotkeyRegistration registration;
    xcb_void_cookie_t cookies[4];
  };

  // The server's keyboard map, read once and kept until the server says it changed.
  const KeyboardMap& Map() {
    if (!map_) {
      map_ = std::make_unique<KeyboardMap>(connection_);
      numLock_ = map_->NumLockMask();
    }
    return *map_;
  }

  // The four combinations of the key's modifiers with and without NumLock and CapsLock.
  void Masks(const HotkeyRegistration& r, uint16_t masks[4]) const {
    const uint16_t base = MaskOf(r.modifiers);
    masks[0] = base;
    masks[1] = base | XCB_MOD_MASK_LOCK;
    masks[2] = base | numLock_;
    masks[3] = base | XCB_MOD_MASK_LOCK | numLock_;
  }

  void SendGrabs(Pending& p) {
    uint16_t masks[4];
    Masks(p.registration, masks);
    for (int i = 0; i < 4; ++i)
      p.cookies[i] = xcb_grab_key_checked(connection_, 0, root_, masks[i], xcb_keycode_t(p.registration.keycode),
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
  }

  // All four or none: BadAccess for one (another client holds it) undoes the rest.
  bool CheckGrabs(Pending& p) {
    bool granted[4];
    bool all = true;
    for (int i = 0; i < 4; ++i) {
      xcb_generic_error_t* error = xcb_request_check(connection_, p.cookies[i]);
      granted[i] = error == nullptr;
      all = all && granted[i];
      std::free(error);
    }
    if (all) return true;
    uint16_t masks[4];
    Masks(p.registration, masks);
    for (int i = 0; i < 4; ++i)
      if (granted[i]) xcb_ungrab_key(connection_, xcb_keycode_t(p.registration.keycode), root_, masks[i]);
    return false;
  }

  void Ungrab(const HotkeyRegistration& r) {
    uint16_t masks[4];
    Masks(r, masks);
    for (uint16_t mask : masks) xcb_ungrab_key(connection_, xcb_keycode_t(r.keycode), root_, mask);
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
  uint16_t numLock_ = XCB_MOD_MASK_2;
  std::unique_ptr<KeyboardMap> map_;
  HotkeyTable table_;
  KeyRepeatFilter repeats_;
};
}  // namespace

HotkeyService* CreateX11HotkeyService() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return nullptr;
  return new X11Hotkeys(app, connection);
}
