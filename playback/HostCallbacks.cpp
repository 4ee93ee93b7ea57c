#include "playback/HostCallbacks.h"

#include <atomic>

#include "platform/PlatformApi.h"

namespace HostCallbacks {
namespace {
std::atomic<WindowHandle> mainWindow{nullptr};

void Nothing() {}
int32_t Zero() { return 0; }

// Plug-ins may call this from their own threads; the sends block until the main
// window has handled them.
void ReportStreamInfo(int32_t bitRate, int32_t sampleRate, int32_t channels, int32_t) {
  WindowHandle window = mainWindow.load();
  if (!window) return;
  PlatformSendMessage(window, MSG_STREAM_RATES, uintptr_t(intptr_t(bitRate)), sampleRate);
  PlatformSendMessage(window, MSG_STREAM_CHANNELS, uintptr_t(intptr_t(channels)), 0);
}
}  // namespace

void PublishMainWindow(WindowHandle window) { mainWindow.store(window); }

WindowHandle MainWindow() { return mainWindow.load(); }

void Install(InputModule& m) {
  m.hostHook1 = Nothing;
  m.hostHook2 = Nothing;
  m.hostHook3 = Nothing;
  m.hostHook4 = Zero;
  m.hostHook5 = Nothing;
  m.hostHook6 = Nothing;
  m.hostHook7 = Zero;
  m.hostHook8 = Nothing;
  m.hostHook9 = Nothing;
  m.hostHook10 = Zero;
  m.hostHook11 = Zero;
  m.reportStreamInfo = ReportStreamInfo;
}

}  // namespace HostCallbacks
