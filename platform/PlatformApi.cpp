#include "platform/PlatformApi.h"

#include "platform/MessageBox.h"
#include "platform/Window.h"

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
