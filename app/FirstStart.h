#pragma once
#include <QString>

#include "platform/DesktopDensity.h"

class SettingsFile;

// The options the player ships for its first start carry the key "FirstStart=1".
// At that start, and only then, they are fitted to the desktop: on a desktop
// that draws at twice the usual density the windows start at scale 200, laid out
// as the shipped options lay them out at 100. The key is then set to 0, so the
// options the player writes at exit are read as they are from then on; an
// options file without the key is never changed here.
namespace FirstStart {
inline const QString kKey = QStringLiteral("FirstStart");

// A desktop scale of 2 or more: QT_SCALE_FACTOR or GDK_SCALE of 2 or more, or a
// logical (Xft.dpi) or physical resolution of at least 168 dots per inch.
bool IsHighDensity(const Platform::DesktopDensity& density);

// Fits shipped options in the store; true when they were shipped ones.
bool FitShippedOptions(SettingsFile& settings, bool highDensity);
}  // namespace FirstStart
