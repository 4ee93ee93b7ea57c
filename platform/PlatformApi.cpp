#include "platform/PlatformApi.h"

#include <algorithm>

#include "platform/MessageBox.h"
#include "platform/PluginOptions.h"
#include "platform/Window.h"

namespace {
PluginOptionStore* optionStore = nullptr;

// A name that keeps its line a key line of its section: '[' or ']' would make it a
// header, '=' would split it elsewhere.
bool UsableName(const QString& name) {
  return !name.isEmpty() && !name.contains('[') && !name.contains(']') && !name.contains('=') &&
         !name.contains('\n') && !name.contains('\r');
}
}  // namespace

void SetPluginOptionStore(PluginOptionStore* store) { optionStore = store; }

extern "C" intptr_t PlatformSendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Window* w = Window::FromHandle(window);
  return w ? w->Send(message, wParam, lParam) : 0;
}

extern "C" int32_t PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Window* w = Window::FromHandle(window);
  return w && w->Post(message, wParam, lParam) ? 1 : 0;
}

extern "C" int32_t PlatformMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption) {
  ShowMessageBox(Window::FromHandle(owner), text ? QString::fromUtf16(text) : QString(),
                 caption ? QString::fromUtf16(caption) : QString());
  return 1;
}

extern "C" int32_t PlatformReadOption(const char16_t* section, const char16_t* key, char16_t* buffer, int32_t size) {
  if (buffer && size > 0) buffer[0] = 0;
  if (!optionStore || !section || !key) return -1;
  QString value;
  if (!optionStore->Read(QString::fromUtf16(section), QString::fromUtf16(key), value)) return -1;
  if (buffer && size > 0) {
    const qsizetype n = std::min<qsizetype>(value.size(), size - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(value.utf16()), n, buffer);
    buffer[n] = 0;
  }
  return int32_t(std::min<qsizetype>(value.size(), INT32_MAX));
}

extern "C" int32_t PlatformWriteOption(const char16_t* section, const char16_t* key, const char16_t* value) {
  if (!optionStore || !section || !key || !value) return 0;
  const QString s = QString::fromUtf16(section), k = QString::fromUtf16(key), v = QString::fromUtf16(value);
  if (!UsableName(s) || !UsableName(k) || v.contains(']') || v.contains('\n') || v.contains('\r')) return 0;
  return optionStore->Write(s, k, v) ? 1 : 0;
}
