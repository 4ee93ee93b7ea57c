#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

// Text written in a legacy code page (old ID3 tags, M3U files from other
// players): the charset is found by a detector (uchardet) and the bytes are
// converted with iconv. Valid UTF-8 never comes here. Where nothing fits, the
// bytes read as Latin-1, as Platform::DecodeText reads them.
namespace LegacyText {

// The charset the detector finds in bytes, as iconv names it, or empty when it
// finds none. Western single-byte verdicts (which the detector tells apart poorly
// on short texts) all become WINDOWS-1252, and so does any verdict on a text of
// mostly plain letters with a few others; Japanese, Korean and simplified Chinese
// become their Windows supersets (CP932, CP949, GB18030).
QByteArray DetectCharset(QByteArrayView bytes);

// bytes read in charset; false (text untouched) when they are not text in it.
bool Convert(QByteArrayView bytes, const QByteArray& charset, QString& text);

// Bytes that are not UTF-8, in charset when they convert, else as Latin-1.
QString DecodeIn(QByteArrayView bytes, const QByteArray& charset);

// Tag values of one file. Valid UTF-8 values read as UTF-8; the others are
// decoded together in the charset detected in all of them. With declaredLatin1
// (ID3 tags, whose demuxer reads a Latin-1 tag as Latin-1) a value that is all
// Latin-1 is taken back to its bytes and read in the detected charset when that
// is not a Western one, or as WINDOWS-1252 when it holds C1 control characters.
std::vector<QString> DecodeTags(const std::vector<QByteArray>& values, bool declaredLatin1);

}  // namespace LegacyText

class QIODevice;

// The lines of one file, decoded one at a time: valid UTF-8 reads as UTF-8; any
// other line in the charset detected in the file's non-UTF-8 lines. With the file
// being read, the first such line looks ahead (without reading) at the lines that
// follow it, so one short line does not decide alone; either way every non-UTF-8
// line seen adds to the sample, up to kSampleBytes.
class LegacyTextDecoder {
 public:
  static constexpr qsizetype kSampleBytes = 16 * 1024;
  static constexpr qint64 kLookAheadBytes = 256 * 1024;

  explicit LegacyTextDecoder(QIODevice* file = nullptr) : file_(file) {}
  QString Decode(QByteArrayView line);

 private:
  void AddToSample(QByteArrayView line);

  QIODevice* file_;
  bool lookedAhead_ = false;
  QByteArray sample_;
  QByteArray charset_;
};
