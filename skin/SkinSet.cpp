#include "skin/SkinSet.h"

#include <QBuffer>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/Log.h"
#include "platform/System.h"
#include "skin/BmpReader.h"
#include "skin/SkinArchive.h"
#include "skin/SkinPackages.h"
#include "skin/SkinUnpacker.h"

namespace {

// The file names that make a folder a skin; "text.bmp" counts but is never loaded.
const std::array<const char*, 14> kSkinFileNames = {
    "cbuttons.bmp", "eqmain.bmp", "main.bmp",     "monoster.bmp", "playpaus.bmp", "pledit.bmp",  "posbar.bmp",
    "shufrep.bmp",  "text.bmp",   "titlebar.bmp", "volume.bmp",   "numbers.bmp",  "nums_ex.bmp", "pledit.txt"};
constexpr int kNamesForValidSkin = 13;
const QString kColourFile = QStringLiteral("pledit.txt");

// File names of a folder, matched without regard to case as skins expect.
class FolderFiles {
 public:
  explicit FolderFiles(const QString& folder) : folder_(folder) {
    for (const Platform::FolderEntry& entry : Platform::ListFolder(folder)) {
      if (!entry.isFolder) names_.push_back(entry.name);
    }
  }
  // The path of the file with this name (an exact match first), or empty.
  QString Find(const QString& name) const {
    for (const QString& n : names_) {
      if (n == name) return folder_ + '/' + n;
    }
    for (const QString& n : names_) {
      if (n.compare(name, Qt::CaseInsensitive) == 0) return folder_ + '/' + n;
    }
    return {};
  }
  const std::vector<QString>& Names() const { return names_; }
  const QString& Folder() const { return folder_; }

 private:
  QString folder_;
  std::vector<QString> names_;
};

QImage LoadSlot(const FolderFiles& files, const char* name, const char* fallback = nullptr) {
  QImage image;
  const QString path = files.Find(QLatin1String(name));
  if (!path.isEmpty()) image = Bmp::LoadDIBitmap(path);
  if (image.isNull() && fallback) return LoadSlot(files, fallback);
  if (image.isNull())
    Platform::Log("skin", QStringLiteral("%1: no readable %2").arg(files.Folder(), QLatin1String(name)));
  return image;
}

// One hexadecimal digit; any other character counts as its distance from '0'.
int DigitValue(unsigned char c) {
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return int(c) - '0';
}

// "#RRGGBB": the first character is skipped; digits missing at the end read as 0.
Colour ParseColourValue(const std::string& value) {
  auto digit = [&](size_t i) { return i < value.size() ? DigitValue(static_cast<unsigned char>(value[i])) : 0; };
  auto pair = [&](size_t i) { return (digit(i) * 16 + digit(i + 1)) & 0xFF; };
  return MakeColour(pair(1), pair(3), pair(5));
}

void AssignColour(const std::string& key, Colour value, SkinColours& colours) {
  if (key == "Normal") colours.normalText = value;
  else if (key == "Current") colours.currentText = value;
  else if (key == "NormalBG") colours.normalBackground = value;
  else if (key == "SelectedBG") colours.selectedBackground = value;
}

// Reads lines of at most 127 characters, as the fixed line buffer does; a longer
// line arrives in pieces. A piece ends at a NUL character like a C string.
void ParseColours(QIODevice& device, SkinColours& colours) {
  constexpr int kLineBuffer = 128;
  char line[kLineBuffer];
  if (device.readLine(line, kLineBuffer) < 0) return;  // the header line
  std::string key, value;
  qint64 length;
  while ((length = device.readLine(line, kLineBuffer)) > 0) {
    const std::string piece(line, strnlen(line, size_t(length)));
    const size_t equals = piece.find('=');
    // A piece without '=' repeats the previous piece's assignment.
    if (equals != std::string::npos) {
      key = piece.substr(0, equals);
      value = piece.substr(equals + 1);
    }
    AssignColour(key, ParseColourValue(value), colours);
  }
}

// Shows the wait cursor while it lives (when there is a GUI to show it on).
class WaitCursor {
 public:
  WaitCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (shown_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~WaitCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }

 private:
  bool shown_;
};

}  // namespace

void ParseColourText(const QByteArray& text, SkinColours& colours) {
  QByteArray copy = text;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  ParseColours(buffer, colours);
}

SkinSet::SkinSet(const QString& folder) : folder_(folder) {}

SkinSet::~SkinSet() { ReleaseBitmaps(); }

bool SkinSet::IsPackagePath(const QString& path) { return path.endsWith(QLatin1String(".qsk"), Qt::CaseSensitive); }

bool SkinSet::IsValidSource(const QString& path) {
  if (IsPackagePath(path)) return true;
  // Each skin name counts once, even when differently cased copies of it exist.
  bool present[std::size(kSkinFileNames)] = {};
  const FolderFiles files(path);
  for (const QString& name : files.Names()) {
    for (size_t i = 0; i < std::size(kSkinFileNames); ++i) {
      if (name.compare(QLatin1String(kSkinFileNames[i]), Qt::CaseInsensitive) == 0) present[i] = true;
    }
  }
  return std::count(std::begin(present), std::end(present), true) >= kNamesForValidSkin;
}

const std::array<const char*, 14>& SkinSet::SkinFileNames() { return kSkinFileNames; }

bool SkinSet::Load(const QString& source) {
  if (SkinArchive::IsArchivePath(source)) return LoadArchive(source);
  const bool package = IsPackagePath(source);
  const QString folder = package ? folder_ : source;
  // Paths that do not fit are refused before anything of the current skin is touched.
  if (!SkinFolderFits(folder) || (package && !PackagePathFits(source))) {
    Platform::Log("skin", QStringLiteral("cannot load %1: the path is too long").arg(source));
    return false;
  }
  if (!IsValidSource(source)) {
    Platform::Log("skin", QStringLiteral("cannot load %1: not a skin").arg(source));
    return false;
  }
  ReleaseBitmaps();
  if (package) {
    DeleteFolderFiles(folder_);
    WaitCursor wait;
    SkinUnpacker unpacker;
    // A package that fails still loads (empty).
    if (!unpacker.Unpack(source, folder_))
      Platform::Log("skin", QStringLiteral("%1 did not unpack whole").arg(source));
  }
  ReadColours(folder);
  LoadBitmaps(folder);
  return true;
}

bool SkinSet::LoadArchive(const QString& archive) {
  if (!SkinFolderFits(folder_)) {
    Platform::Log("skin", QStringLiteral("cannot load %1: the skin folder path is too long").arg(archive));
    return false;
  }
  WaitCursor wait;
  // Read whole before anything is touched: an archive that holds no skin is refused.
  const std::optional<std::vector<SkinArchive::File>> files = SkinArchive::ReadSkinFiles(archive);
  if (!files) {
    Platform::Log("skin", QStringLiteral("cannot load %1: it holds no skin").arg(archive));
    return false;
  }
  ReleaseBitmaps();
  SkinArchive::InstallSkinFiles(folder_, *files);
  colours_ = SkinColours();
  ReadColours(folder_);
  LoadBitmaps(folder_);
  return true;
}

void SkinSet::ReleaseBitmaps() {
  for (QImage& bitmap : bitmaps_) bitmap = QImage();
}

void SkinSet::LoadBitmaps(const QString& folder) {
  const FolderFiles files(folder);
  bitmaps_[SLOT_BALANCE] = LoadSlot(files, "balance.bmp", "volume.bmp");
  bitmaps_[SLOT_CBUTTONS] = LoadSlot(files, "cbuttons.bmp");
  bitmaps_[SLOT_EQMAIN] = LoadSlot(files, "EqMain.bmp");
  bitmaps_[SLOT_MAIN] = LoadSlot(files, "main.bmp");
  bitmaps_[SLOT_MONOSTER] = LoadSlot(files, "MonoSter.bmp");
  bitmaps_[SLOT_NUMBERS] = LoadSlot(files, "Numbers.bmp", "nums_ex.bmp");
  bitmaps_[SLOT_PLAYPAUS] = LoadSlot(files, "PlayPaus.bmp");
  bitmaps_[SLOT_PLEDIT] = LoadSlot(files, "PlEdit.bmp");
  bitmaps_[SLOT_POSBAR] = LoadSlot(files, "Posbar.bmp");
  bitmaps_[SLOT_SHUFREP] = LoadSlot(files, "ShufRep.bmp");
  bitmaps_[SLOT_TITLEBAR] = LoadSlot(files, "TitleBar.bmp");
  bitmaps_[SLOT_VOLUME] = LoadSlot(files, "volume.bmp");
}

bool SkinSet::ReadColours(const QString& folder) {
  const QString path = FolderFiles(folder).Find(kColourFile);
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return false;
  ParseColours(file, colours_);
  return true;
}
