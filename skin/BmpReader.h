#pragma once
#include <QImage>
#include <QString>
#include <cstddef>

// Reads Windows device-independent bitmap files: 1, 4 and 8 bits per pixel with a
// palette (uncompressed or RLE), 16 bits (5-5-5 or bit-field masks), 24 and 32 bits,
// stored bottom-up or top-down. The result is an opaque RGB32 image.
//
// A palette may be shorter than the depth allows (a colour count, or pixels that
// begin before the full palette would end); indices beyond it read as black.
// Anything malformed (truncated data, headers whose sizes or offsets lie, absurd
// dimensions) gives a null image: the reader never allocates more than the file can
// describe plus a fixed pixel budget.
namespace Bmp {

// Largest width or height accepted, and the largest pixel count (64 MiB as RGB32).
constexpr int kMaxSide = 16384;
constexpr qint64 kMaxPixels = 16 * 1024 * 1024;

QImage Decode(const unsigned char* data, size_t size);

// Loads a .bmp file; a missing or unreadable file gives a null image.
QImage LoadDIBitmap(const QString& path);

}  // namespace Bmp
