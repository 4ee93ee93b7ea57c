#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <ostream>
#include <vector>

// Readable strings in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

// Builders of bitmap files, skin folders and zip archives for the skin tests.
namespace SkinTest {

// The parts of a bitmap file; Build lays them out as a writer would.
struct BmpParts {
  int infoSize = 40;  // 12, 40, 52, 56, 108 or 124
  int32_t width = 1;
  int32_t height = 1;  // negative: top-down rows
  int bitsPerPixel = 24;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  std::vector<QRgb> palette;
  std::vector<uint32_t> masks;  // written after a 40-byte header, or into a longer one
  QByteArray pixels;            // rows as stored, padding included
};
QByteArray BuildBmp(const BmpParts& parts);

// A 24-bit bottom-up file of an image.
QByteArray EncodeBmp24(const QImage& image);
// An image whose every pixel differs from its neighbours, so that rows and columns
// cannot be swapped or shifted unnoticed.
QImage Pattern(int width, int height, int seed);

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// The image the skin code reads from bitmap bytes.
QImage Decode(const QByteArray& bytes);

// The file names of a complete skin, as the skin tests use them.
std::vector<QString> SkinFileNames();
// Writes a complete skin (every bitmap a distinct small pattern, and a colour file).
void WriteSkinFolder(const QString& folder, const QByteArray& colours = "[Text]\nNormal=#102030\n");

// Bitmap layouts that skins found in the wild use.
enum class BmpLayout {
  Indexed4,         // 4 bits, palette of the colours used, counted in the header
  Indexed8Implicit, // 8 bits, a short palette known only from where the pixels begin
  Rle8,             // 8 bits, run-length encoded, palette counted
  Rgb16,            // 5-5-5, no masks
  V5Bitfields32,    // BITMAPV5HEADER, 32 bits with masks, alpha bytes all 0
  V4Rgb32,          // BITMAPV4HEADER, 32 bits without masks
};
// The image as a file of that layout. Indexed layouts need at most 16 or 256
// colours; 16 bits keep five bits of each channel.
QByteArray EncodeBmp(const QImage& image, BmpLayout layout);
// The image as a 5-5-5 pixel reads back: each channel to within one step of 8.
bool CloseTo16Bit(QRgb drawn, QRgb original);

struct ZipEntry {
  QByteArray name;
  QByteArray data;
  uint32_t unixMode = 0;         // recorded as a Unix zip's file mode when non-zero
  int64_t declaredSize = -1;     // when set: the data is stored pre-compressed with this size claimed
};
// Writes a real zip archive with minizip; false when it cannot be written.
bool WriteZip(const QString& path, const std::vector<ZipEntry>& entries);
// Every file of a skin folder, as zip entries under prefix.
std::vector<ZipEntry> SkinEntries(const QString& folder, const QByteArray& prefix = {});

}  // namespace SkinTest
