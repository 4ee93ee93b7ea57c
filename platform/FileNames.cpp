#include "platform/FileNames.h"

#include <QStringDecoder>

namespace Platform {
namespace {
constexpr char16_t kRawByteBase = 0xDC00;
}  // namespace

int Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = *p;
  if (c < 0x80) return 1;
  int n;
  uint32_t min;
  if ((c & 0xE0) == 0xC0) n = 2, min = 0x80;
  else if ((c & 0xF0) == 0xE0) n = 3, min = 0x800;
  else if ((c & 0xF8) == 0xF0) n = 4, min = 0x10000;
  else return 0;
  if (end - p < n) return 0;
  uint32_t cp = c & (0x7F >> n);
  for (int i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool IsRawByte(QStringView text, qsizetype i) {
  const char16_t c = text[i].unicode();
  if (c < kRawByteBase + 0x80 || c > kRawByteBase + 0xFF) return false;
  return i == 0 || !text[i - 1].isHighSurrogate();
}

QString Utf8Exactly(QByteArrayView bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
  return decoder.decode(bytes);
}

QString PathFromBytes(QByteArrayView bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  QString path;
  path.reserve(bytes.size());
  while (p < end) {
    const auto* run = p;
    int n = 0;
    while (p < end && (n = Utf8SequenceLength(p, end)) > 0) p += n;
    if (p > run) path += Utf8Exactly(QByteArrayView(run, p - run));
    if (p < end) path += QChar(char16_t(kRawByteBase + *p++));
  }
  return path;
}

QByteArray PathToBytes(QStringView path) {
  QByteArray bytes;
  qsizetype run = 0;
  for (qsizetype i = 0; i < path.size(); ++i) {
    if (!IsRawByte(path, i)) continue;
    bytes += path.mid(run, i - run).toUtf8();
    bytes += char(path[i].unicode() - kRawByteBase);
    run = i + 1;
  }
  bytes += path.mid(run).toUtf8();
  return bytes;
}

bool HasRawBytes(QStringView path) {
  for (qsizetype i = 0; i < path.size(); ++i)
    if (IsRawByte(path, i)) return true;
  return false;
}

}  // namespace Platform
