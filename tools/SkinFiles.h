#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

// One file of a skin as it goes into the folder and the package.
struct SkinFile {
  QString name;
  QByteArray data;
};

// A 24-bit BMP of the image.
QByteArray EncodeBmp(const QImage& image);

// Writes the files into folder (created when missing). False with a reason on failure.
bool WriteSkinFolder(const QString& folder, const std::vector<SkinFile>& files, QString* error);

// Packs the files, flat, into a zip archive at path (replaced when it exists).
bool WriteSkinPackage(const QString& path, const std::vector<SkinFile>& files, QString* error);
