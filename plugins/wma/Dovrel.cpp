// Dovrel: the input plug-in for Windows Media Audio (".wma", ".asf"). It decodes
// nothing itself: it hosts the media player control and passes the player's
// requests on to it.
#include <dlfcn.h>

#include <QString>
#include <cmath>
#include <cstring>
#include <limits>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"
#include "plugins/wma/WmaPlayer.h"

namespace {
constexpr int kFileTypesCapacity = 260;
const char16_t kEmptyText[] = u"";
const char16_t kWmaTypes[] = u"Windows Media Audio Files (*.wma)|*.wma|";

char16_t fileTypesBuffer[kFileTypesCapacity];
int32_t controlAvailable = 0;
InputModule& Module();
WmaPlayer& Player() {
  static WmaPlayer player(Module());
  return player;
}

// The file name of this library ("Dovrel.so"), for message captions.
QString LibraryFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LibraryFileName), &info) && info.dli_fname) {
    const QString path = QString::fromLocal8Bit(info.dli_fname);
    return path.mid(path.lastIndexOf(u'/') + 1);
  }
  return QStringLiteral("Dovrel.so");
}

// UTF-16 to UTF-8. An unpaired U+DC80 to U+DCFF is the player's way of passing
// a byte of a file name that is not UTF-8: it becomes that byte again.
std::string ToUtf8(const char16_t* text) {
  if (!text) return std::string();
  const QString path = QString::fromUtf16(text);
  std::string out;
  qsizetype run = 0;
  for (qsizetype i = 0; i < path.size(); ++i) {
    const char16_t c = path[i].unicode();
    if (c < 0xDC80 || c > 0xDCFF || (i > 0 && path[i - 1].isHighSurrogate())) continue;
    out += path.mid(run, i - run).toStdString();
    out += char(c - 0xDC00);
    run = i + 1;
  }
  return out + path.mid(run).toStdString();
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

void ShowConfig(WindowHandle parent) { PlatformMessageBox(parent, kEmptyText, kEmptyText); }

void ShowAbout(WindowHandle parent) { PlatformMessageBox(parent, u"about 입니다용~", kEmptyText); }

void Startup() {
  // The platform needs no component start-up of its own here, so what remains is
  // creating the control.
  if (Player().Control()) return;
  if (!Player().Create()) {
    controlAvailable = 0;
    const QString caption = QStringLiteral(" Error! / ") + LibraryFileName();
    PlatformMessageBox(nullptr,
                       u"Windows Media Player Control for PocketIE 가 설치 되어 있지 않아\nwma를 재생할수 없습니다.",
                       reinterpret_cast<const char16_t*>(caption.utf16()));
    fileTypesBuffer[0] = 0;
    return;
  }
  controlAvailable = 1;
  std::memcpy(fileTypesBuffer, kWmaTypes, sizeof kWmaTypes);
}

void Shutdown() {
  controlAvailable = 0;
  Player().Release();
}

void ReservedNothing() {}
int32_t ReservedZero() { return 0; }

// Only the last '.' counts, and only its first four characters.
int32_t ClaimsFile(const char16_t* path) {
  if (controlAvailable != 1 || !path) return 0;
  const char16_t* dot = nullptr;
  for (const char16_t* p = path; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return 0;
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
  auto matches = [&](const char16_t* ext) {
    for (int i = 0; i < 4; ++i)
      if (lower(dot[i]) != ext[i]) return false;  // stops at the path's terminating 0
    return true;
  };
  return matches(u".wma") || matches(u".asf") ? 1 : 0;
}

int32_t PlayFile(const char16_t* path) {
  if (MediaPlayer* c = Control()) {
    if (c->SetSource(ToUtf8(path))) c->SetPosition(0.0);
    c->Play();
  }
  return 0;
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

int32_t TrackLengthMs() {
  MediaPlayer* c = Control();
  return c ? ToMs(c->Duration()) : 0;
}

int32_t PlayPositionMs() {
  MediaPlayer* c = Control();
  return c ? ToMs(c->Position()) : 0;
}

void SeekToMs(int32_t ms) {
  if (MediaPlayer* c = Control()) c->SetPosition(double(ms) * 0.001);
}

// 0 ... 255 becomes -10000 ... 200 hundredths of a dB; 250 is full level.
void ApplyVolume(int32_t volume) {
  if (MediaPlayer* c = Control()) c->SetVolume((volume - 250) * 40);
}

void ApplyBalance(int32_t) {}
void ApplyEqualizer(int32_t, const int16_t*, int32_t) {}
void ApplySpeed(float) {}

InputModule& Module() {
  static InputModule module = [] {
    InputModule m{};
    m.apiVersion = INPUT_MODULE_API_VERSION;
    m.description = u"Use WMT(Windows Media Technology) Component at PocketPC\nVersion v0.1";
    m.fileTypes = fileTypesBuffer;
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
