#include "plugins/brelwick/StreamTagText.h"

#include <vector>

#include "platform/LegacyText.h"

namespace {
std::u16string ToUtf16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), qsizetype(text.size())); }
}  // namespace

StreamTagText DecodeStreamTags(const StreamTags& tags) {
  // Decoded together: one station's texts share one code page, and a longer sample
  // lets the detector tell it better than a short title alone.
  const std::vector<QString> texts = LegacyText::DecodeTags(
      {Bytes(tags.station), Bytes(tags.genre), Bytes(tags.artist), Bytes(tags.title)}, false);
  StreamTagText out;
  out.station = ToUtf16(texts[0]);
  out.genre = ToUtf16(texts[1]);
  out.artist = ToUtf16(texts[2]);
  out.title = ToUtf16(texts[3]);
  out.bitRateKbps = tags.bitRateKbps;
  return out;
}
