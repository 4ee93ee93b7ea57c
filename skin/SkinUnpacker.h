#pragma once
#include <QString>
#include <cstdint>
#include <cstdio>

#include "platform/ZipArchive.h"

// Unpacks a skin package (a zip archive) into a folder, entries with their paths,
// overwriting files that exist. Every failure is shown in a message box.
//
// Entries are never written outside the destination: a name that is absolute or
// climbs out with "..", a link, an over-long name, or data larger than the size
// limits is refused like an entry that cannot be created, and the others are
// still extracted. Names are at most 255 bytes, so folders nest at most 128 deep.
class SkinUnpacker {
 public:
  static constexpr int64_t kMaxEntrySize = 64ll * 1024 * 1024;
  static constexpr int64_t kMaxPackageSize = 256ll * 1024 * 1024;
  // A skin is a dozen bitmaps and a colour file: entries beyond this many are not
  // extracted (one message says so), so a package cannot fill the folder with files.
  static constexpr unsigned long kMaxEntries = 1024;

  SkinUnpacker() = default;
  ~SkinUnpacker() = default;
  SkinUnpacker(const SkinUnpacker&) = delete;
  SkinUnpacker& operator=(const SkinUnpacker&) = delete;

  // False only when the archive cannot be opened; damaged entries end the
  // extraction early but the package still counts as unpacked.
  bool Unpack(const QString& package, const QString& destination);

  // Extracts every entry from the current one on; stops at the first error.
  void ExtractAll();
  // Extracts the entry at the current position: 0, or the zip library's error code.
  int ExtractEntry();

 private:
  // Copies the open entry's data into file and closes it: 0, the library's error,
  // or -1 on a write error.
  int CopyEntryData(std::FILE* file, char* buffer);

  QString destination_;
  Platform::ZipArchive archive_;
  int64_t extracted_ = 0;    // bytes written from this package so far
};
