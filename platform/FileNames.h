#pragma once
#include <QByteArray>
#include <QString>

namespace Platform {

// File names as texts, kept exactly as their bytes are on disk: valid UTF-8 is
// decoded, and every other byte b (a name in a legacy code page) becomes the
// unpaired surrogate U+DC00 + b, which no decoded text contains. PathToBytes gives
// the same bytes back, so such a file stays playable and findable.
QString PathFromBytes(QByteArrayView bytes);
QByteArray PathToBytes(QStringView path);
// True when the path holds a byte that is not UTF-8 (see above).
bool HasRawBytes(QStringView path);
// True at index i when text[i] stands for such a byte.
bool IsRawByte(QStringView text, qsizetype i);
// Valid UTF-8 as text with every character kept: a byte-order mark at the start
// stays U+FEFF (QString::fromUtf8 drops it), as it is part of a name or a line.
QString Utf8Exactly(QByteArrayView bytes);
// Length of the valid UTF-8 sequence at p (shortest form, no surrogates), or 0.
int Utf8SequenceLength(const unsigned char* p, const unsigned char* end);

}  // namespace Platform
