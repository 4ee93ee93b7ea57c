#include "skin/BmpReader.h"

#include <QFile>
#include <bit>
#include <cstdint>
#include <vector>

namespace Bmp {
namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;
constexpr size_t kFileHeaderSize = 14;

// Little-endian reads; the caller has checked that the bytes exist.
uint16_t U16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;  // largest value of the field

  explicit Channel(uint32_t m = 0) : mask(m) {
    if (!mask) return;
    shift = std::countr_zero(mask);
    const int bits = std::bit_width(mask >> shift);
    max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  }
  int Of(uint32_t pixel) const {
    if (!mask) return 0;
    const uint64_t v = (pixel & mask) >> shift;
    return int((v * 255 + max / 2) / max);
  }
};

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // rows, always positive
  bool topDown = false;
  int bitsPerPixel = 0;
  uint32_t compression = BI_RGB;
  uint32_t coloursUsed = 0;
  size_t paletteOffset = 0;
  int paletteEntrySize = 4;
  uint32_t masks[3] = {0, 0, 0};
  bool hasMasks = false;
  size_t pixelOffset = 0;
};

bool ReadHeader(const unsigned char* data, size_t size, Header& h) {
  if (size < kFileHeaderSize + 12 || data[0] != 'B' || data[1] != 'M') return false;
  h.pixelOffset = U32(data + 10);
  const unsigned char* info = data + kFileHeaderSize;
  const uint32_t infoSize = U32(info);
  if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
    return false;
  if (size < kFileHeaderSize + infoSize) return false;
  int planes;
  if (infoSize == 12) {
    h.width = U16(info + 4);
    h.height = U16(info + 6);
    planes = U16(info + 8);
    h.bitsPerPixel = U16(info + 10);
    h.paletteEntrySize = 3;
  } else {
    h.width = int32_t(U32(info + 4));
    const int64_t height = int32_t(U32(info + 8));
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    planes = U16(info + 12);
    h.bitsPerPixel = U16(info + 14);
    h.compression = U32(info + 16);
    h.coloursUsed = U32(info + 32);
  }
  h.paletteOffset = kFileHeaderSize + infoSize;
  if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
    // A plain info header is followed by the masks; the later headers hold them.
    const unsigned char* masks = info + 40;
    if (infoSize == 40) {
      const size_t maskBytes = h.compression == BI_ALPHABITFIELDS ? 16 : 12;
      if (size < h.paletteOffset + maskBytes) return false;
      h.paletteOffset += maskBytes;
    }
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(masks + 4 * i);
    h.hasMasks = true;
  }
  return planes == 1;
}

bool ValidFormat(const Header& h) {
  if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide) return false;
  if (h.width * h.height > kMaxPixels) return false;
  switch (h.compression) {
    case BI_RGB:
      return h.bitsPerPixel == 1 || h.bitsPerPixel == 2 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8 ||
             h.bitsPerPixel == 16 || h.bitsPerPixel == 24 || h.bitsPerPixel == 32;
    case BI_RLE8:
      return h.bitsPerPixel == 8 && !h.topDown;
    case BI_RLE4:
      return h.bitsPerPixel == 4 && !h.topDown;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      return h.bitsPerPixel == 16 || h.bitsPerPixel == 32;
    default:
      return false;
  }
}

bool ReadPalette(const unsigned char* data, size_t size, const Header& h, std::vector<QRgb>& palette) {
  const uint32_t full = 1u << h.bitsPerPixel;
  uint32_t count = (h.coloursUsed == 0 || h.coloursUsed > full) ? full : h.coloursUsed;
  // Some writers store a shorter palette than the depth allows and say so only by
  // where the pixels begin: the palette never reaches into the pixels.
  const size_t room = (h.pixelOffset - h.paletteOffset) / size_t(h.paletteEntrySize);
  if (room > 0 && room < count) count = uint32_t(room);
  const size_t bytes = size_t(count) * h.paletteEntrySize;
  if (h.paletteOffset > size || size - h.paletteOffset < bytes) return false;
  palette.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* e = data + h.paletteOffset + size_t(i) * h.paletteEntrySize;
    palette[i] = qRgb(e[2], e[1], e[0]);
  }
  return true;
}

// An index beyond a short palette reads as black.
QRgb ColourOf(const std::vector<QRgb>& palette, unsigned index) {
  return index < palette.size() ? palette[index] : qRgb(0, 0, 0);
}

QRgb* Row(QImage& image, const Header& h, int64_t fileRow) {
  const int64_t y = h.topDown ? fileRow : h.height - 1 - fileRow;
  return reinterpret_cast<QRgb*>(image.scanLine(int(y)));
}

bool DecodeIndexed(const unsigned char* pixels, size_t stride, const Header& h, const std::vector<QRgb>& palette,
                   QImage& image) {
  const int bpp = h.bitsPerPixel;
  const int perByte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  // Every index the depth can hold, those past a short palette black.
  QRgb colours[256];
  for (unsigned i = 0; i <= mask; ++i) colours[i] = ColourOf(palette, i);
  for (int64_t r = 0; r < h.height; ++r) {
    const unsigned char* src = pixels + r * stride;
    QRgb* dst = Row(image, h, r);
    if (bpp == 8) {
      for (int64_t x = 0; x < h.width; ++x) dst[x] = colours[src[x]];
      continue;
    }
    for (int64_t x = 0; x < h.width; ++x) {
      const int shift = 8 - bpp * (int(x % perByte) + 1);
      dst[x] = colours[(src[x / perByte] >> shift) & mask];
    }
  }
  return true;
}

void DecodeDirect(const unsigned char* pixels, size_t stride, const Header& h, QImage& image) {
  const int bytesPerPixel = h.bitsPerPixel / 8;
  uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
  if (h.bitsPerPixel == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  if (h.hasMasks) std::copy(h.masks, h.masks + 3, masks);
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int64_t r = 0; r < h.height; ++r) {
    const unsigned char* src = pixels + r * stride;
    QRgb* dst = Row(image, h, r);
    // Skins are mostly 24-bit: their rows take a loop of their own, with no
    // per-pixel choice (this decode is on the start-up path).
    if (bytesPerPixel == 3) {
      for (int64_t x = 0; x < h.width; ++x, src += 3) dst[x] = 0xFF000000u | src[2] << 16 | src[1] << 8 | src[0];
      continue;
    }
    for (int64_t x = 0; x < h.width; ++x, src += bytesPerPixel) {
      const uint32_t p = bytesPerPixel == 2 ? U16(src) : U32(src);
      dst[x] = qRgb(red.Of(p), green.Of(p), blue.Of(p));
    }
  }
}

// Run-length data (8 or 4 bits per index). Pixels the runs never reach keep palette
// entry 0; running past the end of the data before the end-of-bitmap mark fails.
bool DecodeRle(const unsigned char* p, const unsigned char* end, const Header& h, const std::vector<QRgb>& palette,
               QImage& image) {
  const bool four = h.compression == BI_RLE4;
  image.fill(palette[0]);
  int64_t x = 0, row = 0;
  auto put = [&](unsigned index) {
    if (x < h.width && row < h.height) Row(image, h, row)[x] = ColourOf(palette, index);
    ++x;
  };
  while (row < h.height) {
    if (end - p < 2) return false;
    const unsigned count = p[0], value = p[1];
    p += 2;
    if (count > 0) {  // a run of one index (or two alternating nibbles)
      for (unsigned i = 0; i < count; ++i) {
        const unsigned index = four ? ((i & 1) ? value & 0xF : value >> 4) : value;
        put(index);
      }
    } else if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right and up
      if (end - p < 2) return false;
      x += p[0];
      row += p[1];
      p += 2;
    } else {  // literal indices, padded to a 16-bit boundary
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t padded = (bytes + 1) & ~size_t(1);
      if (size_t(end - p) < padded) return false;
      for (unsigned i = 0; i < value; ++i) {
        const unsigned index = four ? ((i & 1) ? p[i / 2] & 0xF : p[i / 2] >> 4) : p[i];
        put(index);
      }
      p += padded;
    }
  }
  return true;
}

}  // namespace

QImage Decode(const unsigned char* data, size_t size) {
  Header h;
  if (!data || !ReadHeader(data, size, h) || !ValidFormat(h)) return {};
  if (h.pixelOffset < h.paletteOffset || h.pixelOffset > size) return {};

  std::vector<QRgb> palette;
  if (h.bitsPerPixel <= 8 && !ReadPalette(data, size, h, palette)) return {};

  const unsigned char* pixels = data + h.pixelOffset;
  const size_t available = size - h.pixelOffset;
  const size_t stride = size_t((h.width * h.bitsPerPixel + 31) / 32) * 4;
  const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  // Uncompressed rows must all be present before anything is allocated.
  if (!rle && available / stride < size_t(h.height)) return {};

  QImage image(int(h.width), int(h.height), QImage::Format_RGB32);
  if (image.isNull()) return {};
  bool ok = true;
  if (rle) ok = DecodeRle(pixels, data + size, h, palette, image);
  else if (h.bitsPerPixel <= 8) ok = DecodeIndexed(pixels, stride, h, palette, image);
  else DecodeDirect(pixels, stride, h, image);
  return ok ? image : QImage();
}

QImage LoadDIBitmap(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  // Larger than any bitmap the pixel budget allows: not worth reading.
  constexpr qint64 kMaxFileSize = kMaxPixels * 4 + 65536;
  if (file.size() > kMaxFileSize) return {};
  const QByteArray bytes = file.readAll();
  return Decode(reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
}

}  // namespace Bmp
