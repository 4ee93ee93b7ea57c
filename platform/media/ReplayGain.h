#pragma once
#include <optional>
#include <string_view>

// ReplayGain: the loudness correction a track's tags ask for, and the factor the
// control applies to its samples before the equalizer.

// The gains and peaks a file is tagged with. Gains are in dB towards the
// ReplayGain reference level; peaks are linear, full scale 1.0.
struct GainTags {
  std::optional<double> trackDb, albumDb;
  std::optional<double> trackPeak, albumPeak;
  // Ogg Opus' R128_TRACK_GAIN and R128_ALBUM_GAIN, already moved to the ReplayGain
  // reference; they take precedence over REPLAYGAIN_* tags.
  std::optional<double> r128TrackDb, r128AlbumDb;
  bool operator==(const GainTags&) const = default;

  std::optional<double> TrackDb() const { return r128TrackDb ? r128TrackDb : trackDb; }
  std::optional<double> AlbumDb() const { return r128AlbumDb ? r128AlbumDb : albumDb; }
  bool Tagged() const { return TrackDb() || AlbumDb(); }

  // Takes one metadata entry if it is a gain or peak tag (keys compare without
  // regard to case). A value that does not read as one ("-6.20 dB", "0.988",
  // an R128 integer) or lies outside any sane range is ignored.
  void Note(std::string_view key, std::string_view value);
};

// How the listener wants ReplayGain applied.
struct ReplayGainSettings {
  enum Mode : int { kOff = 0, kTrack = 1, kAlbum = 2 };
  static constexpr double kMinDb = -20, kMaxDb = 20;  // preamp and untagged gain
  int mode = kOff;
  double preampDb = 0;    // added to a tagged file's gain
  double untaggedDb = 0;  // the gain of a file without gain tags
  bool operator==(const ReplayGainSettings&) const = default;
};

// The linear factor for a track: 1.0 exactly when off or when the gain comes to
// exactly 0 dB (the samples then pass unchanged). Album mode uses the track gain
// where the album gain is missing, track mode the album gain where the track gain
// is. A known peak bounds the factor so that factor x peak never exceeds 1.0: the
// mode's own peak, else the other one.
float ReplayGainFactor(const GainTags& tags, const ReplayGainSettings& settings);
