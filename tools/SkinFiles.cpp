#include "tools/SkinFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <minizip/zip.h>

QByteArray EncodeBmp(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // RGB888 makes Qt's writer store 24 bits per pixel, the depth every skin reader knows.
  image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
  return bytes;
}

bool WriteSkinFolder(const QString& folder, const std::vector<SkinFile>& files, QString* error) {
  if (!QDir().mkpath(folder)) {
    *error = "cannot create " + folder;
    return false;
  }
  for (const SkinFile& f : files) {
    QSaveFile out(folder + "/" + f.name);
    if (!out.open(QIODevice::WriteOnly) || out.write(f.data) != f.data.size() || !out.commit()) {
      *error = "cannot write " + out.fileName();
      return false;
    }
  }
  return true;
}

bool WriteSkinPackage(const QString& path, const std::vector<SkinFile>& files, QString* error) {
  QFile::remove(path);
  zipFile zip = zipOpen(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
  if (!zip) {
    *error = "cannot create " + path;
    return false;
  }
  // A fixed date keeps the package the same from build to build.
  zip_fileinfo info{};
  info.tmz_date.tm_year = 2026;
  info.tmz_date.tm_mon = 0;
  info.tmz_date.tm_mday = 1;
  bool ok = true;
  for (const SkinFile& f : files) {
    const QByteArray name = f.name.toUtf8();
    ok = zipOpenNewFileInZip(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                             Z_BEST_COMPRESSION) == ZIP_OK &&
         zipWriteInFileInZip(zip, f.data.constData(), unsigned(f.data.size())) == ZIP_OK &&
         zipCloseFileInZip(zip) == ZIP_OK;
    if (!ok) {
      *error = "cannot pack " + f.name;
      break;
    }
  }
  if (zipClose(zip, nullptr) != ZIP_OK && ok) {
    *error = "cannot finish " + path;
    ok = false;
  }
  return ok;
}
