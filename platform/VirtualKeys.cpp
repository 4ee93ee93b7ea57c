#include "platform/VirtualKeys.h"

#include <Qt>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace Platform {
namespace {
struct KeyName {
  int virtualKey;
  uint32_t keysym;
  int qtKey;
};

// Keys whose codes do not follow a range (digits, letters, F1–F24 are computed).
constexpr KeyName kNamedKeys[] = {
    {0x0D, XK_Return, Qt::Key_Return},
    {0x1B, XK_Escape, Qt::Key_Escape},
    {0x20, XK_space, Qt::Key_Space},
    {0x21, XK_Prior, Qt::Key_PageUp},
    {0x22, XK_Next, Qt::Key_PageDown},
    {0x23, XK_End, Qt::Key_End},
    {0x24, XK_Home, Qt::Key_Home},
    {0x25, XK_Left, Qt::Key_Left},
    {0x26, XK_Up, Qt::Key_Up},
    {0x27, XK_Right, Qt::Key_Right},
    {0x28, XK_Down, Qt::Key_Down},
    {0xAD, XF86XK_AudioMute, Qt::Key_VolumeMute},
    {0xAE, XF86XK_AudioLowerVolume, Qt::Key_VolumeDown},
    {0xAF, XF86XK_AudioRaiseVolume, Qt::Key_VolumeUp},
    {0xB0, XF86XK_AudioNext, Qt::Key_MediaNext},
    {0xB1, XF86XK_AudioPrev, Qt::Key_MediaPrevious},
    {0xB2, XF86XK_AudioStop, Qt::Key_MediaStop},
    {0xB3, XF86XK_AudioPlay, Qt::Key_MediaPlay},
};

constexpr int kF1 = 0x70, kF24 = 0x87;
}  // namespace

uint32_t KeysymForVirtualKey(int vk) {
  if (vk >= '0' && vk <= '9') return uint32_t(XK_0 + (vk - '0'));
  // Lower-case keysyms: the symbol an unshifted key carries in its first column.
  if (vk >= 'A' && vk <= 'Z') return uint32_t(XK_a + (vk - 'A'));
  if (vk >= kF1 && vk <= kF24) return uint32_t(XK_F1 + (vk - kF1));
  for (const KeyName& k : kNamedKeys)
    if (k.virtualKey == vk) return k.keysym;
  return 0;
}

int VirtualKeyForKeysym(uint32_t keysym) {
  if (keysym >= XK_0 && keysym <= XK_9) return int('0' + (keysym - XK_0));
  if (keysym >= XK_a && keysym <= XK_z) return int('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return int('A' + (keysym - XK_A));
  if (keysym >= XK_F1 && keysym <= XK_F24) return kF1 + int(keysym - XK_F1);
  if (keysym == XK_KP_Enter) return 0x0D;
  for (const KeyName& k : kNamedKeys)
    if (k.keysym == keysym) return k.virtualKey;
  return 0;
}

int VirtualKeyForQtKey(int qtKey) {
  // Qt's codes of digits and letters are their upper-case characters, like the device's.
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return kF1 + (qtKey - Qt::Key_F1);
  if (qtKey == Qt::Key_Enter) return 0x0D;
  if (qtKey == Qt::Key_MediaTogglePlayPause) return 0xB3;
  for (const KeyName& k : kNamedKeys)
    if (k.qtKey == qtKey) return k.virtualKey;
  return 0;
}

}  // namespace Platform
