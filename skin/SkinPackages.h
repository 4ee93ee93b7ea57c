#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// Skin packages are ".qsk" zip archives in the "Skins" folder; choosing one empties
// "Skins/Temporary" and unpacks it there. Skin archives (".wsz", see SkinArchive.h)
// are listed and chosen beside them.

// Command identifiers of the Skins menus: a disabled placeholder, then one entry per
// package. Only identifiers below SKIN_COMMAND_END are handled (255 packages).
constexpr int SKIN_BASE_COMMAND = 42796;
constexpr int SKIN_FIRST_COMMAND = 42797;
constexpr int SKIN_COMMAND_END = 43052;

// Longest paths the skin code accepts, counted as the fixed buffers count them (with
// the terminator); longer ones are refused, never truncated into another path.
constexpr int kMaxSkinFolderChars = 128;    // a skin folder plus "/TitleBar.bmp"
constexpr int kMaxPackagePathBytes = 256;   // a package path in the file system's encoding
constexpr int kMaxEntryNameBytes = 256;     // an archive entry name
constexpr int kLongestSkinFileName = 13;    // "/TitleBar.bmp"

// True when every bitmap path built on the folder fits the path buffer.
bool SkinFolderFits(const QString& folder);
// True when the package path fits its buffer.
bool PackagePathFits(const QString& package);

struct SkinPackage {
  QString label;  // file name without its last four characters
  QString path;   // skins folder + "/" + file name
  int command;    // SKIN_FIRST_COMMAND + position in the list
};

// The packages and archives of the skins folder, sorted by file name without regard
// to case: every file whose name holds ".qsk" (case-sensitive), searched from its
// end, and every file whose name ends in ".wsz" in any case.
std::vector<SkinPackage> ListSkinPackages(const QString& skinsFolder);
// The entries of two folders' lists sorted together by file name (the first list's
// entry first where two names are equal), their commands numbered anew.
std::vector<SkinPackage> MergeSkinPackages(std::vector<SkinPackage> first, const std::vector<SkinPackage>& second);

// The package a Skins-menu command names, or an empty string for the placeholder,
// identifiers beyond the usable range and entries the list does not hold.
QString SkinPackageForCommand(const QStringList& packages, int command);

// Deletes the files of a folder (not its subfolders), then the folder if it is empty.
void DeleteFolderFiles(const QString& folder);

// Creates a folder and every missing level above it. True when the path is a folder.
bool MakeFolderPath(const QString& path);

// A skin package or archive dropped from the desktop: an existing file ending in
// ".qsk" (as packages are named) or ".wsz" (any case).
bool IsSkinFile(const QString& path);

// Copies a skin file into the skins folder (created when missing), replacing a file
// of the same name there. The path of the copy, or an empty string when it cannot
// be made; the file itself when it already lies in that folder.
QString CopyIntoSkinsFolder(const QString& file, const QString& skinsFolder);
