#pragma once
#include <QString>

#include "settings/Options.h"

// Section and file of the main window's options in "tarnello.txt".
namespace PlayerOptions {
inline const QString kSection = Options::kSection;
inline const QString kButtonsSection = QStringLiteral("buttons");
inline const QString kFileName = QStringLiteral("tarnello.txt");

using Options::ReadInt;
using Options::WriteInt;
}  // namespace PlayerOptions
