#pragma once
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Skin archives as other players use them (".wsz"): zip archives of the same
// bitmaps and colour file as our packages, but packed by many different tools.
// Their files may sit in a folder of the archive, be named with '\' separators
// and in any letter case, come with extra files, or lack some skin files.
//
// Unlike a package, an archive is unpacked flat: only the files of the folder
// that holds the skin are taken, each under its own name directly in the
// destination, so nothing is ever written below or beside it.
namespace SkinArchive {

// A path whose name ends in ".wsz", in any letter case.
bool IsArchivePath(const QString& path);

struct File {
  QString name;  // a plain file name, no folder part
  QByteArray data;
};

// Largest archive entry taken, and the most that one archive may unpack to.
constexpr qint64 kMaxFileSize = 16ll * 1024 * 1024;
constexpr qint64 kMaxTotalSize = 64ll * 1024 * 1024;

// The skin files of an archive: the entries of the folder that holds the most skin
// file names (ties: the shallower folder, then the one met first), read whole.
// Folder names match without regard to case; entries of "__MACOSX" are skipped.
// Where two entries of that folder differ only in the case of their names, the
// later one in the archive replaces the earlier, as on a case-insensitive file
// system. Entries that cannot be read (damaged, too large) are left out.
// Nothing when the archive cannot be opened or holds no skin file at all.
std::optional<std::vector<File>> ReadSkinFiles(const QString& archive);

// Empties folder (files and subfolders; links are removed, never followed) and
// writes the files into it. Each skin file name that makes a folder a skin source
// and is missing gets an empty file, which loads like a missing one: the folder
// then loads at the next start as it loads now. Failures are shown in message
// boxes with the unpacker's texts; false when any file could not be written.
bool InstallSkinFiles(const QString& folder, const std::vector<File>& files);

}  // namespace SkinArchive
