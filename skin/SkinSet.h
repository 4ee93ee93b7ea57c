#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>
#include <array>

#include "platform/Geometry.h"

// Bitmap slots of a skin, in the order every window indexes them.
enum SkinSlot : int {
  SLOT_BALANCE = 0,  // "balance.bmp", else "volume.bmp"
  SLOT_CBUTTONS,
  SLOT_EQMAIN,
  SLOT_MAIN,
  SLOT_MONOSTER,
  SLOT_NUMBERS,  // "Numbers.bmp", else "nums_ex.bmp"
  SLOT_PLAYPAUS,
  SLOT_PLEDIT,
  SLOT_POSBAR,
  SLOT_SHUFREP,
  SLOT_TITLEBAR,
  SLOT_VOLUME,
  SLOT_COUNT
};

// The four text colours of a skin's "pledit.txt".
struct SkinColours {
  Colour normalText = MakeColour(0, 255, 0);
  Colour currentText = MakeColour(255, 255, 255);
  Colour normalBackground = MakeColour(0, 0, 0);
  Colour selectedBackground = MakeColour(50, 50, 255);
};

// Applies the lines of a colour file to colours; keys the text does not set keep
// their values. The first line is a header and is ignored.
void ParseColourText(const QByteArray& text, SkinColours& colours);

// The loaded skin: twelve bitmaps and four colours, shared by all skinned windows.
// A null image is an empty slot.
class SkinSet {
 public:
  // folder: the temporary folder that packages are unpacked into.
  explicit SkinSet(const QString& folder);
  ~SkinSet();
  SkinSet(const SkinSet&) = delete;
  SkinSet& operator=(const SkinSet&) = delete;

  // Loads a package or an archive (unpacked into the temporary folder first) or a
  // skin folder. False when the source is refused; the current skin is then left
  // as it was. An archive starts from the default colours, so that its skin draws
  // alike when chosen and when loaded from the temporary folder at the next start.
  bool Load(const QString& source);

  // A path ending in ".qsk" exactly (case-sensitive).
  static bool IsPackagePath(const QString& path);
  // A package path, or a folder holding at least 13 of the 14 skin file names.
  static bool IsValidSource(const QString& path);
  // Those 14 names, in lower case.
  static const std::array<const char*, 14>& SkinFileNames();

  void ReleaseBitmaps();
  void LoadBitmaps(const QString& folder);
  // False when the folder has no "pledit.txt" (the colours are then unchanged).
  bool ReadColours(const QString& folder);

  const QString& Folder() const { return folder_; }
  const std::array<QImage, SLOT_COUNT>& Bitmaps() const { return bitmaps_; }
  const QImage& Bitmap(SkinSlot slot) const { return bitmaps_[slot]; }
  Colour NormalText() const { return colours_.normalText; }
  Colour CurrentText() const { return colours_.currentText; }
  Colour NormalBackground() const { return colours_.normalBackground; }
  Colour SelectedBackground() const { return colours_.selectedBackground; }

 private:
  bool LoadArchive(const QString& archive);

  QString folder_;
  SkinColours colours_;
  std::array<QImage, SLOT_COUNT> bitmaps_;
};
