// ReplayGain's reading of tags and the factor it makes of them for each mode.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/media/ReplayGain.h"

namespace {
double Db(float factor) { return 20.0 * std::log10(double(factor)); }

ReplayGainSettings Mode(int mode, double preampDb = 0, double untaggedDb = 0) {
  ReplayGainSettings s;
  s.mode = mode;
  s.preampDb = preampDb;
  s.untaggedDb = untaggedDb;
  return s;
}

TEST(ReplayGainTags, ReadsTheUsualSpellingsAndRefusesWhatIsNoGain) {
  struct Case {
    const char* key;
    const char* value;
    std::optional<double> db;
  };
  for (const Case& c : {Case{"REPLAYGAIN_TRACK_GAIN", "-6.20 dB", -6.2}, Case{"replaygain_track_gain", "+3.5 dB", 3.5},
                        Case{"ReplayGain_Track_Gain", " -1.25dB ", -1.25}, Case{"REPLAYGAIN_TRACK_GAIN", "2", 2.0},
                        Case{"REPLAYGAIN_TRACK_GAIN", "-4,5 dB", -4.5}, Case{"REPLAYGAIN_TRACK_GAIN", "-6.20 DB", -6.2},
                        Case{"REPLAYGAIN_TRACK_GAIN", "", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAIN", "loud", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAIN", "-6.2 dB extra", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAIN", "++3 dB", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAIN", "nan dB", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAIN", "1e3", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAIN", "+900 dB", std::nullopt},
                        Case{"REPLAYGAIN_TRACK_GAINS", "-6 dB", std::nullopt}}) {
    GainTags tags;
    tags.Note(c.key, c.value);
    EXPECT_EQ(tags.TrackDb(), c.db) << c.key << "=" << c.value;
    EXPECT_FALSE(tags.AlbumDb());
  }
  GainTags tags;
  tags.Note("REPLAYGAIN_ALBUM_GAIN", "-8.00 dB");
  tags.Note("REPLAYGAIN_TRACK_PEAK", "0.988525");
  tags.Note("replaygain_album_peak", "1.2");
  tags.Note("REPLAYGAIN_ALBUM_PEAK", "-1");  // no peak: the one before stays
  EXPECT_EQ(tags.AlbumDb(), -8.0);
  EXPECT_EQ(tags.trackPeak, 0.988525);
  EXPECT_EQ(tags.albumPeak, 1.2);
  for (const char* peak : {"0", "-0.5", "inf", "x", "500"}) {
    GainTags t;
    t.Note("REPLAYGAIN_TRACK_PEAK", peak);
    EXPECT_FALSE(t.trackPeak) << peak;
  }
}

TEST(ReplayGainTags, OpusR128GainsAreQ78TowardsTheReplayGainReferenceAndWin) {
  GainTags tags;
  tags.Note("REPLAYGAIN_TRACK_GAIN", "-3 dB");
  tags.Note("R128_TRACK_GAIN", "-1536");  // -6 dB towards -23 LUFS: -1 dB for ReplayGain
  tags.Note("r128_album_gain", "+256");
  EXPECT_EQ(tags.TrackDb(), -1.0);
  EXPECT_EQ(tags.AlbumDb(), 6.0);
  for (const char* bad : {"-1536.5", "12 dB", "40000", "", "x"}) {
    GainTags t;
    t.Note("R128_TRACK_GAIN", bad);
    EXPECT_FALSE(t.TrackDb()) << bad;
  }
}

TEST(ReplayGainFactor, EachModeTakesItsGainWithThePreampOrTheUntaggedGain) {
  GainTags both;
  both.trackDb = -6;
  both.albumDb = -9;
  GainTags trackOnly;
  trackOnly.trackDb = -6;
  GainTags albumOnly;
  albumOnly.albumDb = -9;
  const GainTags none;
  EXPECT_EQ(ReplayGainFactor(both, Mode(ReplayGainSettings::kOff, 5, 5)), 1.0f);
  EXPECT_NEAR(Db(ReplayGainFactor(both, Mode(ReplayGainSettings::kTrack))), -6, 1e-5);
  EXPECT_NEAR(Db(ReplayGainFactor(both, Mode(ReplayGainSettings::kAlbum))), -9, 1e-5);
  EXPECT_NEAR(Db(ReplayGainFactor(trackOnly, Mode(ReplayGainSettings::kAlbum))), -6, 1e-5);
  EXPECT_NEAR(Db(ReplayGainFactor(albumOnly, Mode(ReplayGainSettings::kTrack))), -9, 1e-5);
  EXPECT_NEAR(Db(ReplayGainFactor(both, Mode(ReplayGainSettings::kTrack, 2.5, -7))), -3.5, 1e-5);
  EXPECT_NEAR(Db(ReplayGainFactor(none, Mode(ReplayGainSettings::kAlbum, 2.5, -7))), -7, 1e-5);
  // Exactly 0 dB is exactly 1: the samples pass untouched.
  EXPECT_EQ(ReplayGainFactor(both, Mode(ReplayGainSettings::kTrack, 6)), 1.0f);
  EXPECT_EQ(ReplayGainFactor(none, Mode(ReplayGainSettings::kTrack)), 1.0f);
  EXPECT_EQ(ReplayGainFactor(both, Mode(7)), 1.0f);  // no mode at all is off
}

TEST(ReplayGainFactor, APeakBoundsTheGainSoNothingClips) {
  GainTags tags;
  tags.trackDb = 10;
  tags.albumDb = 10;
  tags.trackPeak = 0.5;
  tags.albumPeak = 0.8;
  // Each mode its own peak: +10 dB would be x3.16.
  EXPECT_FLOAT_EQ(ReplayGainFactor(tags, Mode(ReplayGainSettings::kTrack)), 2.0f);
  EXPECT_FLOAT_EQ(ReplayGainFactor(tags, Mode(ReplayGainSettings::kAlbum)), 1.25f);
  // The other peak where the mode's own is missing; none, no bound.
  GainTags trackPeakOnly = tags;
  trackPeakOnly.albumPeak.reset();
  EXPECT_FLOAT_EQ(ReplayGainFactor(trackPeakOnly, Mode(ReplayGainSettings::kAlbum)), 2.0f);
  GainTags noPeak = tags;
  noPeak.trackPeak.reset();
  noPeak.albumPeak.reset();
  EXPECT_NEAR(Db(ReplayGainFactor(noPeak, Mode(ReplayGainSettings::kAlbum))), 10, 1e-5);
  // A cut is never bounded; a peak above full scale cuts even a 0 dB gain.
  tags.trackDb = -3;
  EXPECT_NEAR(Db(ReplayGainFactor(tags, Mode(ReplayGainSettings::kTrack))), -3, 1e-5);
  tags.trackDb = 0;
  tags.trackPeak = 1.3;
  EXPECT_LT(ReplayGainFactor(tags, Mode(ReplayGainSettings::kTrack)), 1.0f);
  // Rounded to float the product still stays at or below full scale.
  for (double peak = 0.1; peak < 1.0; peak += 0.0137) {
    tags.trackPeak = peak;
    tags.trackDb = 30;
    EXPECT_LE(double(ReplayGainFactor(tags, Mode(ReplayGainSettings::kTrack))) * peak, 1.0) << peak;
  }
}
}  // namespace
