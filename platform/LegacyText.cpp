#include "platform/LegacyText.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

#include <QIODevice>

#include "platform/FileNames.h"
#include "platform/System.h"

namespace {
constexpr const char* kWestern = "WINDOWS-1252";

// Verdicts of the detector for Latin-script texts: one Western reading for all.
constexpr std::array<const char*, 18> kLatinScript{
    "ISO-8859-1",  "ISO-8859-2",   "ISO-8859-3",   "ISO-8859-4",   "ISO-8859-9",        "ISO-8859-10",
    "ISO-8859-13", "ISO-8859-14",  "ISO-8859-15",  "ISO-8859-16",  "WINDOWS-1250",      "WINDOWS-1252",
    "WINDOWS-1254", "WINDOWS-1257", "IBM852",      "IBM865",       "MAC-CENTRALEUROPE", "MAC-ROMAN",
};

QByteArray Normalise(QByteArray name) {
  name = name.toUpper();
  if (name.isEmpty() || name == "ASCII" || name.startsWith("UTF-")) return {};
  for (const char* latin : kLatinScript)
    if (name == latin) return kWestern;
  if (name == "SHIFT_JIS") return "CP932";
  if (name == "EUC-KR" || name == "UHC") return "CP949";
  if (name == "GB2312" || name == "GBK") return "GB18030";
  return name;
}

struct DetectorDeleter {
  void operator()(uchardet* detector) const { uchardet_delete(detector); }
};

struct IconvCloser {
  iconv_t handle;
  ~IconvCloser() { iconv_close(handle); }
};

// Text in Cyrillic, Greek or the East Asian scripts is made mostly of bytes beyond
// ASCII; a few accented letters among plain ones are Western whatever the
// detector guesses from so little.
bool LooksNonLatin(QByteArrayView bytes) {
  int high = 0;
  int plain = 0;
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) ++high;
    else if ((u | 0x20) >= 'a' && (u | 0x20) <= 'z') ++plain;
  }
  return high >= 4 && 2 * high >= plain;
}

bool IsC1Control(QChar c) { return c.unicode() >= 0x80 && c.unicode() <= 0x9F; }

// A value the ID3 demuxer read as Latin-1: every character within Latin-1, some beyond ASCII.
bool IsLatin1Reading(const QString& text) {
  bool high = false;
  for (QChar c : text) {
    if (c.unicode() > 0xFF) return false;
    if (c.unicode() >= 0x80) high = true;
  }
  return high;
}
}  // namespace

namespace LegacyText {

QByteArray DetectCharset(QByteArrayView bytes) {
  std::unique_ptr<uchardet, DetectorDeleter> detector(uchardet_new());
  if (!detector || bytes.isEmpty()) return {};
  if (uchardet_handle_data(detector.get(), bytes.data(), size_t(bytes.size())) != 0) return {};
  uchardet_data_end(detector.get());
  const char* name = uchardet_get_charset(detector.get());
  const QByteArray charset = Normalise(QByteArray(name ? name : ""));
  if (!charset.isEmpty() && charset != kWestern && !LooksNonLatin(bytes)) return kWestern;
  return charset;
}

bool Convert(QByteArrayView bytes, const QByteArray& charset, QString& text) {
  if (charset.isEmpty()) return false;
  const iconv_t handle = iconv_open("UTF-16LE", charset.constData());
  if (handle == iconv_t(-1)) return false;
  IconvCloser closer{handle};
  // No legacy charset takes more than two UTF-16 units per byte.
  QString out(bytes.size() * 2 + 2, Qt::Uninitialized);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = size_t(bytes.size());
  char* to = reinterpret_cast<char*>(out.data());
  size_t toLeft = size_t(out.size()) * 2;
  // A byte that is not a character of charset (EILSEQ) or a sequence cut at the
  // end (EINVAL): the bytes are not text in charset.
  if (iconv(handle, &in, &inLeft, &to, &toLeft) == size_t(-1)) return false;
  if (iconv(handle, nullptr, nullptr, &to, &toLeft) == size_t(-1)) return false;
  out.truncate(out.size() - qsizetype(toLeft / 2));
  // A byte-order mark some converters put first is not part of the text.
  if (out.startsWith(QChar(0xFEFF))) out.remove(0, 1);
  text = out;
  return true;
}

QString DecodeIn(QByteArrayView bytes, const QByteArray& charset) {
  QString text;
  if (Convert(bytes, charset, text)) return text;
  return Platform::DecodeText(bytes.toByteArray());
}

std::vector<QString> DecodeTags(const std::vector<QByteArray>& values, bool declaredLatin1) {
  std::vector<QString> texts(values.size());
  std::vector<bool> raw(values.size(), false);
  std::vector<bool> latin1(values.size(), false);
  QByteArray sample;
  for (size_t i = 0; i < values.size(); ++i) {
    if (!Platform::IsValidUtf8(values[i])) {
      raw[i] = true;
      sample += values[i] + '\n';
      continue;
    }
    texts[i] = QString::fromUtf8(values[i]);
    if (declaredLatin1 && IsLatin1Reading(texts[i])) {
      latin1[i] = true;
      sample += texts[i].toLatin1() + '\n';
    }
  }
  if (sample.isEmpty()) return texts;
  const QByteArray charset = DetectCharset(sample);
  for (size_t i = 0; i < values.size(); ++i) {
    if (raw[i]) {
      texts[i] = DecodeIn(values[i], charset);
    } else if (latin1[i]) {
      // The tag said Latin-1: only a non-Western verdict, or control characters
      // that no tag means, overrule it.
      const QByteArray bytes = texts[i].toLatin1();
      QString text;
      if (charset != kWestern && Convert(bytes, charset, text))
        texts[i] = text;
      else if (std::any_of(texts[i].begin(), texts[i].end(), IsC1Control) && Convert(bytes, kWestern, text))
        texts[i] = text;
    }
  }
  return texts;
}

}  // namespace LegacyText

void LegacyTextDecoder::AddToSample(QByteArrayView line) {
  if (sample_.size() >= kSampleBytes) return;
  sample_ += line.first(std::min(line.size(), kSampleBytes - sample_.size()));
  sample_ += '\n';
}

QString LegacyTextDecoder::Decode(QByteArrayView line) {
  if (Platform::IsValidUtf8(line)) return Platform::Utf8Exactly(line);
  const qsizetype before = sample_.size();
  AddToSample(line);
  if (file_ && !lookedAhead_) {
    lookedAhead_ = true;
    const QByteArray ahead = file_->peek(kLookAheadBytes);
    // The last piece may be cut short: it only adds to what the detector sees.
    for (const QByteArray& next : ahead.split('\n'))
      if (!Platform::IsValidUtf8(next)) AddToSample(next);
  }
  if (sample_.size() != before) charset_ = LegacyText::DetectCharset(sample_);
  return LegacyText::DecodeIn(line, charset_);
}
