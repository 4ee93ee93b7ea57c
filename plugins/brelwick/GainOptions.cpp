#include "plugins/brelwick/GainOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
const char16_t kSection[] = u"Brelwick";
const char16_t kModeKey[] = u"ReplayGainMode";
const char16_t kPreampKey[] = u"ReplayGainPreamp";
const char16_t kUntaggedKey[] = u"ReplayGainUntagged";

std::optional<std::u16string> ReadKey(const char16_t* key) {
  char16_t buffer[64];
  const int32_t length = PlatformReadOption(kSection, key, buffer, int32_t(std::size(buffer)));
  // A longer value is no number this plug-in wrote.
  if (length < 0 || length >= int32_t(std::size(buffer))) return std::nullopt;
  return std::u16string(buffer, size_t(length));
}

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c > 0x7F) return {};
    out += char(c);
  }
  return out;
}

std::string_view Trimmed(const std::string& text) {
  std::string_view view(text);
  while (!view.empty() && view.front() == ' ') view.remove_prefix(1);
  while (!view.empty() && view.back() == ' ') view.remove_suffix(1);
  if (!view.empty() && view.front() == '+') view.remove_prefix(1);
  return view;
}
}  // namespace

namespace GainOptions {

std::u16string FormatDb(double db) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, std::round(db * 10) / 10,
                                          std::chars_format::fixed, 1);
  if (error != std::errc()) return u"0.0";
  std::u16string out(text, end);
  return out == u"-0.0" ? u"0.0" : out;
}

std::optional<double> ParseDb(std::u16string_view text) {
  const std::string narrow = Narrow(text);
  const std::string_view number = Trimmed(narrow);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                            std::chars_format::fixed);
  if (number.empty() || error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
    return std::nullopt;
  return std::clamp(value, ReplayGainSettings::kMinDb, ReplayGainSettings::kMaxDb);
}

ReplayGainSettings Read() {
  ReplayGainSettings settings;
  if (const auto mode = ReadKey(kModeKey)) {
    const std::string narrow = Narrow(*mode);
    const std::string_view text = Trimmed(narrow);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && value >= ReplayGainSettings::kOff &&
        value <= ReplayGainSettings::kAlbum)
      settings.mode = value;
  }
  if (const auto preamp = ReadKey(kPreampKey))
    settings.preampDb = ParseDb(*preamp).value_or(0.0);
  if (const auto untagged = ReadKey(kUntaggedKey))
    settings.untaggedDb = ParseDb(*untagged).value_or(0.0);
  return settings;
}

bool Write(const ReplayGainSettings& settings) {
  const std::u16string mode(1, char16_t(u'0' + std::clamp(settings.mode, 0, 2)));
  const bool modeKept = PlatformWriteOption(kSection, kModeKey, mode.c_str()) != 0;
  const bool preampKept = PlatformWriteOption(kSection, kPreampKey, FormatDb(settings.preampDb).c_str()) != 0;
  const bool untaggedKept =
      PlatformWriteOption(kSection, kUntaggedKey, FormatDb(settings.untaggedDb).c_str()) != 0;
  return modeKept && preampKept && untaggedKept;
}

bool ShowDialog(WindowHandle parent, ReplayGainSettings& settings) {
  PlatformFormField fields[3] = {};
  fields[0].kind = PLATFORM_FIELD_CHOICE;
  fields[0].label = u"ReplayGain:";
  fields[0].choices = u"Off|Track gain|Album gain (track gain where none)|";
  fields[0].value = settings.mode;
  for (PlatformFormField* f : {&fields[1], &fields[2]}) {
    f->kind = PLATFORM_FIELD_NUMBER;
    f->suffix = u" dB";
    f->minimum = ReplayGainSettings::kMinDb;
    f->maximum = ReplayGainSettings::kMaxDb;
    f->step = 0.5;
    f->decimals = 1;
  }
  fields[1].label = u"Preamp for tagged files:";
  fields[1].value = settings.preampDb;
  fields[2].label = u"Gain for files without tags:";
  fields[2].value = settings.untaggedDb;
  if (!PlatformShowForm(parent, u"Brelwick", fields, 3)) return false;
  settings.mode = std::clamp(int(std::lround(fields[0].value)), 0, 2);
  // Kept to the tenths the file holds, so what plays is what the next start reads.
  settings.preampDb = *ParseDb(FormatDb(fields[1].value));
  settings.untaggedDb = *ParseDb(FormatDb(fields[2].value));
  return true;
}

}  // namespace GainOptions
