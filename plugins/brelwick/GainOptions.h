#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/PlatformApi.h"
#include "platform/media/ReplayGain.h"

// Brelwick's ReplayGain settings, kept in section [Brelwick] of the player's
// options file: ReplayGainMode (0 off, 1 track, 2 album), ReplayGainPreamp and
// ReplayGainUntagged (dB with '.' as the decimal point). No key: off, 0 dB.
namespace GainOptions {

// From the player's options; the defaults for what is absent or unreadable.
ReplayGainSettings Read();
// Into the player's options; false when the player keeps no options (a host
// without them) or refused them.
bool Write(const ReplayGainSettings& settings);

// The settings dialog; true after OK, with settings changed to what was chosen.
bool ShowDialog(WindowHandle parent, ReplayGainSettings& settings);

// A dB value as written ("-3.5"), and read back: a number within the range the
// dialog offers (clamped), nothing for text that is no number.
std::u16string FormatDb(double db);
std::optional<double> ParseDb(std::u16string_view text);

}  // namespace GainOptions
