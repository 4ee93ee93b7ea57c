#include "platform/ZipArchive.h"

#include <minizip/unzip.h>

static_assert(Platform::ZipArchive::kZipOk == UNZ_OK);
static_assert(Platform::ZipArchive::kZipInternalError == UNZ_INTERNALERROR);

namespace Platform {

bool ZipArchive::Open(const QByteArray& path) {
  Close();
  handle_ = unzOpen64(path.constData());
  return handle_ != nullptr;
}

void ZipArchive::Close() {
  if (!handle_) return;
  unzCloseCurrentFile(handle_);
  unzClose(handle_);
  handle_ = nullptr;
}

int ZipArchive::EntryCount(uint64_t& count) {
  unz_global_info64 global{};
  const int err = unzGetGlobalInfo64(handle_, &global);
  count = global.number_entry;
  return err;
}

int ZipArchive::GoToFirst() { return unzGoToFirstFile(handle_); }

int ZipArchive::GoToNext() { return unzGoToNextFile(handle_); }

int ZipArchive::CurrentInfo(ZipEntryInfo& info, char* name, unsigned long nameCapacity) {
  unz_file_info64 raw{};
  const int err = unzGetCurrentFileInfo64(handle_, &raw, name, nameCapacity, nullptr, 0, nullptr, 0);
  info.versionMadeBy = raw.version;
  info.flags = raw.flag;
  info.externalAttributes = raw.external_fa;
  info.uncompressedSize = raw.uncompressed_size;
  info.nameSize = raw.size_filename;
  return err;
}

int ZipArchive::CurrentPosition(ZipPosition& position) {
  unz64_file_pos raw{};
  const int err = unzGetFilePos64(handle_, &raw);
  position = {raw.pos_in_zip_directory, raw.num_of_file};
  return err;
}

int ZipArchive::GoTo(const ZipPosition& position) {
  const unz64_file_pos raw{position.directoryOffset, position.entryNumber};
  return unzGoToFilePos64(handle_, &raw);
}

int ZipArchive::OpenCurrent() { return unzOpenCurrentFile(handle_); }

int ZipArchive::ReadCurrent(void* buffer, unsigned size) { return unzReadCurrentFile(handle_, buffer, size); }

int ZipArchive::CloseCurrent() { return unzCloseCurrentFile(handle_); }

}  // namespace Platform
