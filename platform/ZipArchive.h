#pragma once
#include <QByteArray>
#include <cstdint>

namespace Platform {

// What a zip entry's central-directory record says about it.
struct ZipEntryInfo {
  unsigned long versionMadeBy = 0;       // high byte: the host system (3 = Unix)
  unsigned long flags = 0;               // general purpose bits (bit 11: UTF-8 name)
  unsigned long externalAttributes = 0;  // Unix zips: the file mode in the high 16 bits
  uint64_t uncompressedSize = 0;
  unsigned long nameSize = 0;            // the stored name's length, whether it fitted or not
};

// Where an entry is, to come back to it.
struct ZipPosition {
  uint64_t directoryOffset = 0;
  uint64_t entryNumber = 0;
};

// A zip archive read entry by entry (minizip underneath). The int results are the
// zip library's codes, which the skin code shows in its messages: kZipOk, a
// negative error, or for ReadCurrent the bytes read (0 at the end of the entry).
class ZipArchive {
 public:
  static constexpr int kZipOk = 0;
  static constexpr int kZipInternalError = -104;

  ZipArchive() = default;
  ~ZipArchive() { Close(); }
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Opens the archive at path (file-system bytes); false when it is no zip archive.
  bool Open(const QByteArray& path);
  bool IsOpen() const { return handle_ != nullptr; }
  void Close();

  int EntryCount(uint64_t& count);
  int GoToFirst();
  int GoToNext();
  // The current entry's record and its name, 0-terminated, cut to nameCapacity - 1 bytes.
  int CurrentInfo(ZipEntryInfo& info, char* name, unsigned long nameCapacity);
  int CurrentPosition(ZipPosition& position);
  int GoTo(const ZipPosition& position);

  // Reading the current entry's data; closing it compares its checksum.
  int OpenCurrent();
  int ReadCurrent(void* buffer, unsigned size);
  int CloseCurrent();

 private:
  void* handle_ = nullptr;  // unzFile
};

}  // namespace Platform
