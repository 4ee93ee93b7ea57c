// Brelwick: the input plug-in for the common audio formats (MP3, FLAC, Ogg Vorbis,
// Opus, AAC/M4A, WAV, AIFF and more) and internet radio over http(s). It hosts the
// media player control at each track's own rate and channels, with the ten-band
// equalizer, the balance and pitch-preserving speed, and reports the stream's bit
// rate, sample rate and channels to the player.
#include <algorithm>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"
#include "plugins/brelwick/BrelwickPlayer.h"
#include "plugins/brelwick/Claims.h"
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

void ShowConfig(WindowHandle parent) { PlatformMessageBox(parent, u"Brelwick has no settings of its own.", kEmptyText); }
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
  Player().Release();
}

int32_t ClaimsFile(const char16_t* path) { return controlAvailable == 1 && Claims::Claims(path) ? 1 : 0; }

int32_t PlayFile(const char16_t* path) {
  MediaPlayer* c = Control();
  if (!c || !path) return 1;
  playingUrl = Claims::IsUrl(path);
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
