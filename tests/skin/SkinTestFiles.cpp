#include "SkinTestFiles.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <map>
#include <minizip/zip.h>
#include <zlib.h>

#include "skin/BmpReader.h"

namespace SkinTest {
namespace {
void Put16(QByteArray& b, uint32_t v) {
  b.append(char(v & 0xFF));
  b.append(char((v >> 8) & 0xFF));
}
void Put32(QByteArray& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// Raw deflate (no zlib header), as zip entries store it.
QByteArray Deflate(const QByteArray& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(qsizetype(z.total_out));
  deflateEnd(&z);
  return out;
}
}  // namespace

QByteArray BuildBmp(const BmpParts& p) {
  QByteArray info;
  const bool core = p.infoSize == 12;
  Put32(info, uint32_t(p.infoSize));
  if (core) {
    Put16(info, uint32_t(p.width));
    Put16(info, uint32_t(p.height));
    Put16(info, 1);
    Put16(info, uint32_t(p.bitsPerPixel));
  } else {
    Put32(info, uint32_t(p.width));
    Put32(info, uint32_t(p.height));
    Put16(info, 1);
    Put16(info, uint32_t(p.bitsPerPixel));
    Put32(info, p.compression);
    Put32(info, uint32_t(p.pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, p.coloursUsed);
    Put32(info, 0);
    for (uint32_t m : p.masks) Put32(info, m);
    while (info.size() < p.infoSize) info.append('\0');
  }
  QByteArray palette;
  for (QRgb c : p.palette) {
    palette.append(char(qBlue(c)));
    palette.append(char(qGreen(c)));
    palette.append(char(qRed(c)));
    if (!core) palette.append('\0');
  }
  QByteArray file("BM");
  const uint32_t offset = uint32_t(14 + info.size() + palette.size());
  Put32(file, offset + uint32_t(p.pixels.size()));
  Put32(file, 0);
  Put32(file, offset);
  return file + info + palette + p.pixels;
}

QByteArray EncodeBmp24(const QImage& image) {
  BmpParts p;
  p.width = image.width();
  p.height = image.height();
  const int stride = (image.width() * 3 + 3) & ~3;
  for (int y = image.height() - 1; y >= 0; --y) {
    QByteArray row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
    }
    row.resize(stride, '\0');
    p.pixels += row;
  }
  return BuildBmp(p);
}

namespace {
// The colours of an image in the order they first appear, and each pixel's index.
struct Indexed {
  std::vector<QRgb> palette;
  std::vector<std::vector<uint8_t>> rows;  // top row first
};
Indexed IndexColours(const QImage& image) {
  Indexed out;
  std::map<QRgb, uint8_t> index;
  for (int y = 0; y < image.height(); ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y) | 0xFF000000u;
      auto [it, added] = index.try_emplace(c, uint8_t(out.palette.size()));
      if (added) out.palette.push_back(c);
      row.push_back(it->second);
    }
    out.rows.push_back(std::move(row));
  }
  return out;
}

QByteArray PackRow(const std::vector<uint8_t>& row, int bits) {
  QByteArray bytes((int(row.size()) * bits + 7) / 8, '\0');
  for (size_t x = 0; x < row.size(); ++x) {
    const int shift = 8 - bits * int(x % (8 / bits) + 1);
    bytes[qsizetype(x * bits / 8)] = char(uchar(bytes[qsizetype(x * bits / 8)]) | (row[x] << shift));
  }
  bytes.resize((bytes.size() + 3) & ~3, '\0');
  return bytes;
}

// Runs of equal indices as (count, index); stretches of differing ones as literals.
QByteArray RleRow(const std::vector<uint8_t>& row) {
  QByteArray out;
  size_t x = 0;
  while (x < row.size()) {
    size_t run = 1;
    while (x + run < row.size() && run < 255 && row[x + run] == row[x]) ++run;
    if (run >= 2) {
      out.append(char(run)).append(char(row[x]));
      x += run;
      continue;
    }
    size_t literal = 1;  // until two equal neighbours start a run
    while (x + literal < row.size() && literal < 255 &&
           !(x + literal + 1 < row.size() && row[x + literal] == row[x + literal + 1]))
      ++literal;
    if (literal < 3) {  // literals must be at least three long
      out.append(char(1)).append(char(row[x]));
      ++x;
      continue;
    }
    out.append(char(0)).append(char(literal));
    for (size_t i = 0; i < literal; ++i) out.append(char(row[x + i]));
    if (literal & 1) out.append('\0');
    x += literal;
  }
  return out.append(char(0)).append(char(0));
}

QByteArray DirectRows(const QImage& image, int bytesPerPixel, uint8_t alpha) {
  QByteArray pixels;
  for (int y = image.height() - 1; y >= 0; --y) {
    QByteArray row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (bytesPerPixel == 2) {
        Put16(row, uint32_t((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3)));
      } else {
        row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(alpha));
      }
    }
    row.resize((row.size() + 3) & ~3, '\0');
    pixels += row;
  }
  return pixels;
}
}  // namespace

QByteArray EncodeBmp(const QImage& image, BmpLayout layout) {
  BmpParts p;
  p.width = image.width();
  p.height = image.height();
  const Indexed indexed = IndexColours(image);
  switch (layout) {
    case BmpLayout::Indexed4:
    case BmpLayout::Indexed8Implicit:
    case BmpLayout::Rle8: {
      const int bits = layout == BmpLayout::Indexed4 ? 4 : 8;
      if (indexed.palette.size() > (size_t(1) << bits)) return {};
      p.bitsPerPixel = bits;
      p.palette = indexed.palette;
      p.coloursUsed = layout == BmpLayout::Indexed8Implicit ? 0 : uint32_t(p.palette.size());
      if (layout == BmpLayout::Rle8) {
        p.compression = 1;
        for (auto row = indexed.rows.rbegin(); row != indexed.rows.rend(); ++row) p.pixels += RleRow(*row);
        p.pixels.append(char(0)).append(char(1));
      } else {
        for (auto row = indexed.rows.rbegin(); row != indexed.rows.rend(); ++row) p.pixels += PackRow(*row, bits);
      }
      break;
    }
    case BmpLayout::Rgb16:
      p.bitsPerPixel = 16;
      p.pixels = DirectRows(image, 2, 0);
      break;
    case BmpLayout::V5Bitfields32:
      p.infoSize = 124;
      p.bitsPerPixel = 32;
      p.compression = 3;
      p.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
      p.pixels = DirectRows(image, 4, 0);
      break;
    case BmpLayout::V4Rgb32:
      p.infoSize = 108;
      p.bitsPerPixel = 32;
      p.pixels = DirectRows(image, 4, 0xFF);
      break;
  }
  return BuildBmp(p);
}

bool CloseTo16Bit(QRgb drawn, QRgb original) {
  auto near = [](int a, int b) { return std::abs(a - b) <= 8; };
  return near(qRed(drawn), qRed(original)) && near(qGreen(drawn), qGreen(original)) && near(qBlue(drawn), qBlue(original));
}

QImage Pattern(int width, int height, int seed) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb((x * 37 + seed) & 0xFF, (y * 53 + seed * 7) & 0xFF, (x + y + seed * 13) & 0xFF));
  return image;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage Decode(const QByteArray& bytes) {
  return Bmp::Decode(reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
}

std::vector<QString> SkinFileNames() {
  return {"balance.bmp", "cbuttons.bmp", "EqMain.bmp",  "main.bmp",     "MonoSter.bmp", "Numbers.bmp", "nums_ex.bmp",
          "PlayPaus.bmp", "PlEdit.bmp",  "Posbar.bmp",  "ShufRep.bmp",  "text.bmp",     "TitleBar.bmp", "volume.bmp"};
}

void WriteSkinFolder(const QString& folder, const QByteArray& colours) {
  QDir().mkpath(folder);
  int seed = 1;
  for (const QString& name : SkinFileNames()) WriteFile(folder + '/' + name, EncodeBmp24(Pattern(8 + seed, 4 + seed, seed))), ++seed;
  WriteFile(folder + "/pledit.txt", colours);
}

bool WriteZip(const QString& path, const std::vector<ZipEntry>& entries) {
  zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  bool ok = true;
  for (const ZipEntry& e : entries) {
    zip_fileinfo info{};
    const bool raw = e.declaredSize >= 0;
    const int versionMadeBy = e.unixMode ? (3 << 8) | 20 : 0;
    info.external_fa = uLong(e.unixMode) << 16;
    ok = ok && zipOpenNewFileInZip4(zip, e.name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, raw ? 1 : 0,
                                    -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, versionMadeBy, 0) == ZIP_OK;
    if (raw) {
      const QByteArray packed = Deflate(e.data);
      const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.constData()), uInt(e.data.size()));
      ok = ok && zipWriteInFileInZip(zip, packed.constData(), unsigned(packed.size())) == ZIP_OK;
      ok = ok && zipCloseFileInZipRaw(zip, uLong(e.declaredSize), crc) == ZIP_OK;
    } else {
      ok = ok && zipWriteInFileInZip(zip, e.data.constData(), unsigned(e.data.size())) == ZIP_OK;
      ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::vector<ZipEntry> SkinEntries(const QString& folder, const QByteArray& prefix) {
  std::vector<ZipEntry> entries;
  for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
    entries.push_back({prefix + name.toUtf8(), ReadFile(folder + '/' + name)});
  return entries;
}

}  // namespace SkinTest
