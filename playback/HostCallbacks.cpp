#include "playback/HostCallbacks.h"

#include <atomic>
#include <cstddef>

#include "platform/Messages.h"
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
QString BoundedText(const char16_t* text) {
  if (!text) return {};
  qsizetype length = 0;
  while (length < kMaxTextLength && text[length]) ++length;
  QString out = QString::fromUtf16(text, length);
  // One line in the title panel: line breaks and other controls become blanks.
  for (QChar& c : out)
    if (c.category() == QChar::Other_Control) c = u' ';
  return out.simplified();
}

// Like reportStreamInfo, from any thread: the send returns once the main window
// has taken the copy made here.
void ReportStreamTags(const StreamTagReport* report) {
  WindowHandle window = mainWindow.load();
  if (!window || !report) return;
  const StreamMetadata metadata = ReadStreamTags(*report);
  PlatformSendMessage(window, MSG_STREAM_TAGS, 0, reinterpret_cast<intptr_t>(&metadata));
}
}  // namespace

StreamMetadata ReadStreamTags(const StreamTagReport& report) {
  StreamMetadata m;
  // A plug-in built against a shorter record has sent only the fields it knew.
  const auto has = [&](size_t offset, size_t size) { return report.size >= 0 && size_t(report.size) >= offset + size; };
  if (has(offsetof(StreamTagReport, bitRateKbps), sizeof report.bitRateKbps) && report.bitRateKbps > 0 &&
      report.bitRateKbps < 100000)
    m.bitRateKbps = report.bitRateKbps;
  if (has(offsetof(StreamTagReport, station), sizeof report.station)) m.station = BoundedText(report.station);
  if (has(offsetof(StreamTagReport, genre), sizeof report.genre)) m.genre = BoundedText(report.genre);
  if (has(offsetof(StreamTagReport, artist), sizeof report.artist)) m.artist = BoundedText(report.artist);
  if (has(offsetof(StreamTagReport, title), sizeof report.title)) m.title = BoundedText(report.title);
  return m;
}

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
  m.reportStreamTags = ReportStreamTags;
}

}  // namespace HostCallbacks
