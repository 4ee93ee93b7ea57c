#include "playback/HostCallbacks.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/LegacyText.h"
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
std::u16string_view Bounded(const char16_t* text) {
  if (!text) return {};
  size_t length = 0;
  while (length < size_t(kMaxTextLength) && text[length]) ++length;
  return {text, length};
}

bool IsPassedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// Whether a surrogate pair (one character beyond U+FFFF) starts at i.
bool PairAt(std::u16string_view text, size_t i) {
  return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
         text[i + 1] <= 0xDFFF;
}

// Whether text passes bytes (U+DC80 + byte, each not part of a surrogate pair).
bool PassesBytes(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); i += PairAt(text, i) ? 2 : 1)
    if (!PairAt(text, i) && IsPassedByte(text[i])) return true;
  return false;
}

// The bytes of such a text: the passed bytes as they are, the rest as UTF-8.
QByteArray PassedBytes(std::u16string_view text) {
  QByteArray bytes;
  for (size_t i = 0; i < text.size();) {
    const bool pair = PairAt(text, i);
    if (!pair && IsPassedByte(text[i])) {
      bytes += char(text[i] - 0xDC00);
    } else {
      bytes += QString::fromUtf16(text.data() + i, pair ? 2 : 1).toUtf8();
    }
    i += pair ? 2 : 1;
  }
  return bytes;
}

// One line in the title panel: line breaks and other controls become blanks.
QString OneLine(QString text) {
  for (QChar& c : text)
    if (c.category() == QChar::Other_Control) c = u' ';
  return text.simplified();
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
  std::array<std::u16string_view, 4> texts;
  if (has(offsetof(StreamTagReport, station), sizeof report.station)) texts[0] = Bounded(report.station);
  if (has(offsetof(StreamTagReport, genre), sizeof report.genre)) texts[1] = Bounded(report.genre);
  if (has(offsetof(StreamTagReport, artist), sizeof report.artist)) texts[2] = Bounded(report.artist);
  if (has(offsetof(StreamTagReport, title), sizeof report.title)) texts[3] = Bounded(report.title);
  // Texts passed as bytes are read together, in the code page detected in all of them.
  std::vector<QByteArray> bytes;
  std::vector<size_t> passed;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (!PassesBytes(texts[i])) continue;
    bytes.push_back(PassedBytes(texts[i]));
    passed.push_back(i);
  }
  const std::vector<QString> decoded = LegacyText::DecodeTags(bytes, false);
  std::array<QString, 4> out;
  for (size_t i = 0; i < texts.size(); ++i) out[i] = QString::fromUtf16(texts[i].data(), qsizetype(texts[i].size()));
  for (size_t k = 0; k < passed.size() && k < decoded.size(); ++k) out[passed[k]] = decoded[k];
  m.station = OneLine(out[0]);
  m.genre = OneLine(out[1]);
  m.artist = OneLine(out[2]);
  m.title = OneLine(out[3]);
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
