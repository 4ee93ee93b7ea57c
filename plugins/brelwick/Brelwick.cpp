// Brelwick: the input plug-in for the common audio formats (MP3, FLAC, Ogg Vorbis,
// Opus, AAC/M4A, WAV, AIFF and more) and internet radio over http(s). It hosts the
// media player control at each track's own rate and channels, with the ten-band
// equalizer, the balance and pitch-preserving speed, and reports the stream's bit
// rate, sample rate and channels to the player.
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"
#include "plugins/brelwick/BrelwickPlayer.h"
#include "plugins/brelwick/Claims.h"
#include "plugins/brelwick/GainOptions.h"

namespace {
const char16_t kEmptyText[] = u"";
const char16_t kAboutText[] =
    u"Brelwick input plug-in\nMP3, FLAC, Ogg Vorbis, Opus, AAC, WAV, AIFF and internet radio\n"
    u"with equalizer, balance and speed";

InputModule& Module();
BrelwickPlayer& Player() {
  static BrelwickPlayer player(Module());
  return player;
}
int32_t controlAvailable = 0;
bool playingUrl = false;

// UTF-16 to UTF-8. An unpaired U+DC80 to U+DCFF is the player's way of passing
// a byte of a file name that is not UTF-8: it becomes that byte again. Any other
// unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const char16_t* text) {
  std::string out;
  for (const char16_t* p = text; p && *p; ++p) {
    uint32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(p[1]) - 0xDC00);
      ++p;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      out += char(c - 0xDC00);
      continue;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Seconds of the control as whole milliseconds, cut towards 0.
int32_t ToMs(double seconds) {
  const double ms = seconds * 1000.0;
  if (!std::isfinite(ms)) return 0;
  if (ms >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (ms <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return int32_t(ms);
}

MediaPlayer* Control() { return controlAvailable == 1 ? Player().Control() : nullptr; }

// ReplayGain settings chosen while the host keeps no options: they last until it closes.
std::optional<ReplayGainSettings> unkeptGain;
ReplayGainSettings GainSettings() { return unkeptGain ? *unkeptGain : GainOptions::Read(); }

// ReplayGain, kept in the player's options; the track playing follows at once.
void ShowConfig(WindowHandle parent) {
  ReplayGainSettings settings = GainSettings();
  if (!GainOptions::ShowDialog(parent, settings)) return;
  unkeptGain.reset();
  if (!GainOptions::Write(settings)) {
    unkeptGain = settings;
    PlatformMessageBox(parent, u"The settings apply until the player closes: it keeps no options file.", kEmptyText);
  }
  if (controlAvailable == 1) Player().SetReplayGain(settings);
}
void ShowAbout(WindowHandle parent) { PlatformMessageBox(parent, kAboutText, kEmptyText); }

void Startup() {
  if (Player().Control()) return;
  // Without a sound output this plug-in claims nothing and offers no types; Dovrel
  // already tells the user that nothing can play, once.
  controlAvailable = Player().Create() ? 1 : 0;
  Module().fileTypes = controlAvailable ? Claims::kFileTypes : kEmptyText;
}

void Shutdown() {
  controlAvailable = 0;
  unkeptGain.reset();
  Player().Release();
}

void ReservedNothing() {}
int32_t ReservedZero() { return 0; }

int32_t ClaimsFile(const char16_t* path) { return controlAvailable == 1 && Claims::Claims(path) ? 1 : 0; }

int32_t PlayFile(const char16_t* path) {
  MediaPlayer* c = Control();
  if (!c || !path) return 1;
  playingUrl = Claims::IsUrl(path);
  // The options are the player's; each track takes them as they are now.
  Player().SetReplayGain(GainSettings());
  c->SetSource(ToUtf8(path));
  Player().TrackStarting();
  return c->Play() ? 0 : 1;
}

void PausePlayback() {
  if (MediaPlayer* c = Control()) c->Pause();
}

void ResumePlayback() {
  if (MediaPlayer* c = Control())
    if (c->PlayState() == MediaPlayer::kPaused) c->Play();
}

int32_t IsPlaybackPaused() {
  MediaPlayer* c = Control();
  return c && c->PlayState() == MediaPlayer::kPaused ? 1 : 0;
}

void StopPlayback() {
  if (MediaPlayer* c = Control()) c->Stop();
}

// A live stream has no length: -1, and the player shows no position.
int32_t TrackLengthMs() {
  MediaPlayer* c = Control();
  if (!c) return 0;
  const double duration = c->Duration();
  if (playingUrl && duration <= 0) return -1;
  return ToMs(duration);
}

int32_t PlayPositionMs() {
  MediaPlayer* c = Control();
  return c ? ToMs(c->Position()) : 0;
}

void SeekToMs(int32_t ms) {
  if (MediaPlayer* c = Control()) c->SetPosition(double(std::max(ms, 0)) * 0.001);
}

// 0 ... 255 becomes -10000 ... 200 hundredths of a dB; 250 and above is full level.
void ApplyVolume(int32_t volume) {
  if (MediaPlayer* c = Control()) c->SetVolume((volume - 250) * 40);
}

void ApplyBalance(int32_t balance) { Player().SetBalance(balance); }
void ApplyEqualizer(int32_t enabled, const int16_t* bands, int32_t preamp) {
  Player().SetEqualizer(enabled, bands, preamp);
}
void ApplySpeed(float factor) { Player().SetSpeed(factor); }

InputModule& Module() {
  static InputModule module = [] {
    InputModule m{};
    m.apiVersion = INPUT_MODULE_API_VERSION;
    m.description = u"Brelwick: MP3, FLAC, Ogg, Opus, AAC, WAV and internet radio\nVersion 1.0";
    m.fileTypes = kEmptyText;
    m.showConfig = ShowConfig;
    m.showAbout = ShowAbout;
    m.startup = Startup;
    m.shutdown = Shutdown;
    m.reservedFn1 = ReservedNothing;
    m.reservedFn2 = ReservedZero;
    m.claimsFile = ClaimsFile;
    m.playFile = PlayFile;
    m.pausePlayback = PausePlayback;
    m.resumePlayback = ResumePlayback;
    m.isPlaybackPaused = IsPlaybackPaused;
    m.stopPlayback = StopPlayback;
    m.trackLengthMs = TrackLengthMs;
    m.playPositionMs = PlayPositionMs;
    m.seekToMs = SeekToMs;
    m.applyVolume = ApplyVolume;
    m.applyBalance = ApplyBalance;
    m.applyEqualizer = ApplyEqualizer;
    m.applySpeed = ApplySpeed;
    return m;
  }();
  return module;
}
}  // namespace

extern "C" __attribute__((visibility("default"))) InputModule* orvaneGetInModule2(void) { return &Module(); }
