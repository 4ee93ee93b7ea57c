#include "platform/media/ReplayGain.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {
// Gains beyond these are no measurement of a real recording: a damaged or hostile
// tag, which must not blast the speakers.
constexpr double kMaxTagDb = 64;
constexpr double kMaxTagPeak = 100;

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'a' && x <= 'z' ? char(x - 32) : x) == (y >= 'a' && y <= 'z' ? char(y - 32) : y);
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\0')) text.remove_suffix(1);
  return text;
}

// A decimal number with an optional sign and unit ("-6.20 dB", "+3,5dB", "0.98"),
// whatever the locale; the unit, when given, must be exactly `unit`.
std::optional<double> ParseNumber(std::string_view text, std::string_view unit) {
  text = Trim(text);
  if (!unit.empty() && text.size() >= unit.size() && SameKey(text.substr(text.size() - unit.size()), unit))
    text = Trim(text.substr(0, text.size() - unit.size()));
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  // Some taggers write the locale's decimal comma.
  std::string number(text);
  if (number.find('.') == std::string::npos) std::replace(number.begin(), number.end(), ',', '.');
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                            std::chars_format::fixed);
  if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> ParseGain(std::string_view text) {
  const std::optional<double> db = ParseNumber(text, "dB");
  return db && std::fabs(*db) <= kMaxTagDb ? db : std::nullopt;
}

std::optional<double> ParsePeak(std::string_view text) {
  const std::optional<double> peak = ParseNumber(text, {});
  return peak && *peak > 0 && *peak <= kMaxTagPeak ? peak : std::nullopt;
}

// R128 gains are whole numbers in 1/256 dB towards -23 LUFS; ReplayGain's reference
// is 5 dB louder.
std::optional<double> ParseR128(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < -32768 || value > 32767) return std::nullopt;
  return double(value) / 256.0 + 5.0;
}
}  // namespace

void GainTags::Note(std::string_view key, std::string_view value) {
  key = Trim(key);
  if (SameKey(key, "REPLAYGAIN_TRACK_GAIN")) {
    if (auto db = ParseGain(value)) trackDb = db;
  } else if (SameKey(key, "REPLAYGAIN_ALBUM_GAIN")) {
    if (auto db = ParseGain(value)) albumDb = db;
  } else if (SameKey(key, "REPLAYGAIN_TRACK_PEAK")) {
    if (auto peak = ParsePeak(value)) trackPeak = peak;
  } else if (SameKey(key, "REPLAYGAIN_ALBUM_PEAK")) {
    if (auto peak = ParsePeak(value)) albumPeak = peak;
  } else if (SameKey(key, "R128_TRACK_GAIN")) {
    if (auto db = ParseR128(value)) r128TrackDb = db;
  } else if (SameKey(key, "R128_ALBUM_GAIN")) {
    if (auto db = ParseR128(value)) r128AlbumDb = db;
  }
}

float ReplayGainFactor(const GainTags& tags, const ReplayGainSettings& settings) {
  if (settings.mode != ReplayGainSettings::kTrack && settings.mode != ReplayGainSettings::kAlbum) return 1.0f;
  const bool album = settings.mode == ReplayGainSettings::kAlbum;
  const std::optional<double> gain = album ? (tags.AlbumDb() ? tags.AlbumDb() : tags.TrackDb())
                                           : (tags.TrackDb() ? tags.TrackDb() : tags.AlbumDb());
  const double db = gain ? *gain + settings.preampDb : settings.untaggedDb;
  double factor = db == 0 ? 1.0 : std::pow(10.0, db / 20.0);
  const std::optional<double> peak = album ? (tags.albumPeak ? tags.albumPeak : tags.trackPeak)
                                           : (tags.trackPeak ? tags.trackPeak : tags.albumPeak);
  float linear = float(factor);
  // Rounded to float the bound must still hold.
  if (peak && double(linear) * *peak > 1.0) {
    linear = float(1.0 / *peak);
    while (double(linear) * *peak > 1.0) linear = std::nextafter(linear, 0.0f);
  }
  return linear;
}
