// Brelwick: the input plug-in for the common audio formats (MP3, FLAC, Ogg Vorbis,
// Opus, AAC/M4A, WAV, AIFF and more) and internet radio over http(s). It hosts the
// media player control at each track's own rate and channels, with the ten-band
// equalizer, the balance and pitch-preserving speed, and reports the stream's bit
// rate, sample rate and channels to the player.
#include <algorithm>
#include <optional>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"
#include "plugins/brelwick/BrelwickPlayer.h"
#include "plugins/brelwick/Claims.h"
#include "plugins/brelwick/GainOptions.h"
#include "plugins/common/ControlHost.h"
#include "plugins/common/PluginText.h"

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

using PluginText::ToMs;
using PluginText::ToUtf8;

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

// A live stream has no length: -1, and the player shows no position.
int32_t TrackLengthMs() {
  MediaPlayer* c = Control();
  if (!c) return 0;
  const double duration = c->Duration();
  if (playingUrl && duration <= 0) return -1;
  return ToMs(duration);
}

// A position before the start is the start.
void SeekToMs(int32_t ms) { ControlHost::SeekToMs(std::max(ms, 0)); }

void ApplyBalance(int32_t balance) { Player().SetBalance(balance); }
void ApplyEqualizer(int32_t enabled, const int16_t* bands, int32_t preamp) {
  Player().SetEqualizer(enabled, bands, preamp);
}
void ApplySpeed(float factor) { Player().SetSpeed(factor); }

InputModule& Module() {
  static InputModule module = [] {
    InputModule m{};
    ControlHost::Wire(m, Control);
    m.description = u"Brelwick: MP3, FLAC, Ogg, Opus, AAC, WAV and internet radio\nVersion 1.0";
    m.fileTypes = kEmptyText;
    m.showConfig = ShowConfig;
    m.showAbout = ShowAbout;
    m.startup = Startup;
    m.shutdown = Shutdown;
    m.claimsFile = ClaimsFile;
    m.playFile = PlayFile;
    m.trackLengthMs = TrackLengthMs;
    m.seekToMs = SeekToMs;
    m.applyBalance = ApplyBalance;
    m.applyEqualizer = ApplyEqualizer;
    m.applySpeed = ApplySpeed;
    return m;
  }();
  return module;
}
}  // namespace

extern "C" __attribute__((visibility("default"))) InputModule* orvaneGetInModule2(void) { return &Module(); }
