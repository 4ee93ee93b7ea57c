// An input plug-in for tests: logs every call with its arguments, behaves as files
// in a control folder say, and ends a track on request.
//
// The control folder is $TARNELLO_TEST_PLUGIN_DIR; each copy of the library reads
// the files named after its own file name N (for example "a.so"):
//   N.types      its fileTypes text (UTF-8); absent: "Test Files (*.tst)|*.tst|"
//   N.claims     suffixes it claims, one a line, case-insensitive, "*" = every path;
//                absent: ".tst"
//   N.play       the playFile result (default 0)
//   N.length     trackLengthMs (default 60000)
//   N.startupinfo / N.playinfo   "bitRate sampleRate channels": reportStreamInfo is
//                called with them in startup / in playFile
// Every call is appended to log.txt there as "N operation arguments". Creating the
// file N.end ends the current track: the plug-in sends MSG_TRACK_ENDED to hostWindow
// from its own thread, as a real plug-in does, and removes the file. Creating N.tags
// ("station\nartist\ntitle", UTF-8) likewise reports them through reportStreamTags.
#include <dlfcn.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QString>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "playback/InputModule.h"
#include "platform/PlatformApi.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string Utf8(const char16_t* text) { return text ? QString::fromUtf16(text).toStdString() : "(null)"; }

std::string OwnName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnName), &info) && info.dli_fname) {
    const std::string path = info.dli_fname;
    return path.substr(path.rfind('/') + 1);
  }
  return "test-plugin";
}

std::string ControlDir() {
  const char* dir = std::getenv("TARNELLO_TEST_PLUGIN_DIR");
  return dir ? dir : "";
}

bool ReadControlFile(const std::string& suffix, std::string& text) {
  if (ControlDir().empty()) return false;
  std::ifstream in(ControlDir() + "/" + OwnName() + suffix, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

int ReadInt(const std::string& suffix, int fallback) {
  std::string text;
  return ReadControlFile(suffix, text) ? std::atoi(text.c_str()) : fallback;
}

std::mutex logMutex;
void Log(const std::string& line) {
  if (ControlDir().empty()) return;
  std::lock_guard lock(logMutex);
  if (std::FILE* f = std::fopen((ControlDir() + "/log.txt").c_str(), "a")) {
    std::fprintf(f, "%s %s\n", OwnName().c_str(), line.c_str());
    std::fclose(f);
  }
}

InputModule module{};
std::u16string fileTypes;
std::vector<std::string> claims;

// Simulated playback clock.
std::mutex clockMutex;
bool playing = false, paused = false;
Clock::time_point playStart;
int64_t positionBase = 0;  // ms at playStart (or while paused)

int64_t PositionLocked() {
  if (!playing) return 0;
  if (paused) return positionBase;
  return positionBase +
         std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - playStart).count();
}

void ReportFrom(const std::string& suffix) {
  std::string text;
  if (!ReadControlFile(suffix, text) || !module.reportStreamInfo) return;
  int bitRate = 0, sampleRate = 0, channels = 0;
  std::istringstream(text) >> bitRate >> sampleRate >> channels;
  module.reportStreamInfo(bitRate, sampleRate, channels, 0);
}

// N.tags, reported from the watcher's thread as a live stream's plug-in reports them.
void ReportTagsFrom(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string station, artist, title;
  std::getline(in, station);
  std::getline(in, artist);
  std::getline(in, title);
  in.close();
  unlink(path.c_str());
  Log("reportStreamTags " + station + "|" + artist + "|" + title);
  if (!module.reportStreamTags) return;
  const std::u16string s = QString::fromStdString(station).toStdU16String();
  const std::u16string a = QString::fromStdString(artist).toStdU16String();
  const std::u16string t = QString::fromStdString(title).toStdU16String();
  const StreamTagReport report{int32_t(sizeof(StreamTagReport)), 0, s.c_str(), nullptr, a.c_str(), t.c_str()};
  module.reportStreamTags(&report);
}

// Watches the control folder for N.end and N.tags without polling.
class EndWatcher {
 public:
  void Start() {
    if (ControlDir().empty() || thread_.joinable()) return;
    inotify_ = inotify_init1(IN_CLOEXEC);
    stop_ = eventfd(0, EFD_CLOEXEC);
    if (inotify_ < 0 || stop_ < 0) return;
    inotify_add_watch(inotify_, ControlDir().c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
    thread_ = std::thread([this] { Run(); });
  }
  void Stop() {
    if (thread_.joinable()) {
      const uint64_t one = 1;
      [[maybe_unused]] ssize_t n = write(stop_, &one, sizeof one);
      thread_.join();
    }
    if (inotify_ >= 0) close(inotify_);
    if (stop_ >= 0) close(stop_);
    inotify_ = stop_ = -1;
  }

 private:
  void Run() {
    const std::string endName = OwnName() + ".end";
    const std::string endPath = ControlDir() + "/" + endName;
    const std::string tagsPath = ControlDir() + "/" + OwnName() + ".tags";
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      if (access(tagsPath.c_str(), F_OK) == 0) ReportTagsFrom(tagsPath);
      if (access(endPath.c_str(), F_OK) == 0) {
        unlink(endPath.c_str());
        Log("trackEnded");
        PlatformSendMessage(module.hostWindow, MSG_TRACK_ENDED, 0, 0);
      }
      pollfd fds[2] = {{inotify_, POLLIN, 0}, {stop_, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return;
      if (fds[0].revents & POLLIN) [[maybe_unused]] ssize_t n = read(inotify_, buffer, sizeof buffer);
    }
  }
  int inotify_ = -1, stop_ = -1;
  std::thread thread_;
};
EndWatcher watcher;

void ShowConfig(WindowHandle parent) { Log("showConfig " + std::to_string(parent != nullptr)); }
void ShowAbout(WindowHandle parent) { Log("showAbout " + std::to_string(parent != nullptr)); }

void Startup() {
  std::ostringstream s;
  s << "startup hostWindow=" << (module.hostWindow ? "set" : "null")
    << " library=" << (module.libraryHandle ? "set" : "null");
  Log(s.str());
  std::string text;
  fileTypes = ReadControlFile(".types", text) ? QString::fromStdString(text).toStdU16String()
                                              : std::u16string(u"Test Files (*.tst)|*.tst|");
  claims.clear();
  if (ReadControlFile(".claims", text)) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
      if (!line.empty()) claims.push_back(QString::fromStdString(line).toLower().toStdString());
  } else {
    claims.push_back(".tst");
  }
  module.fileTypes = fileTypes.c_str();
  ReportFrom(".startupinfo");
  watcher.Start();
}

void Shutdown() {
  Log("shutdown");
  watcher.Stop();
}

void ReservedNothing() { Log("reservedFn1"); }
int32_t ReservedZero() {
  Log("reservedFn2");
  return 0;
}

int32_t ClaimsFile(const char16_t* path) {
  const std::string p = QString::fromUtf16(path).toLower().toStdString();
  int32_t result = 0;
  for (const std::string& suffix : claims)
    if (suffix == "*" || (p.size() >= suffix.size() && p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0))
      result = 1;
  Log("claimsFile " + Utf8(path) + " -> " + std::to_string(result));
  return result;
}

int32_t PlayFile(const char16_t* path) {
  const int32_t result = ReadInt(".play", 0);
  Log("playFile " + Utf8(path) + " -> " + std::to_string(result));
  if (result == 0) {
    std::lock_guard lock(clockMutex);
    playing = true;
    paused = false;
    positionBase = 0;
    playStart = Clock::now();
  }
  ReportFrom(".playinfo");
  return result;
}

void PausePlayback() {
  Log("pausePlayback");
  std::lock_guard lock(clockMutex);
  if (!playing || paused) return;
  positionBase = PositionLocked();
  paused = true;
}

void ResumePlayback() {
  Log("resumePlayback");
  std::lock_guard lock(clockMutex);
  if (!paused) return;
  paused = false;
  playStart = Clock::now();
}

int32_t IsPlaybackPaused() {
  std::lock_guard lock(clockMutex);
  Log(std::string("isPlaybackPaused -> ") + (paused ? "1" : "0"));
  return paused ? 1 : 0;
}

void StopPlayback() {
  Log("stopPlayback");
  std::lock_guard lock(clockMutex);
  playing = paused = false;
  positionBase = 0;
}

int32_t TrackLengthMs() {
  const int32_t length = ReadInt(".length", 60000);
  Log("trackLengthMs -> " + std::to_string(length));
  return length;
}

int32_t PlayPositionMs() {
  std::lock_guard lock(clockMutex);
  const int32_t position = int32_t(PositionLocked());
  Log("playPositionMs -> " + std::to_string(position));
  return position;
}

void SeekToMs(int32_t ms) {
  Log("seekToMs " + std::to_string(ms));
  std::lock_guard lock(clockMutex);
  positionBase = ms;
  playStart = Clock::now();
}

void ApplyVolume(int32_t volume) { Log("applyVolume " + std::to_string(volume)); }
void ApplyBalance(int32_t balance) { Log("applyBalance " + std::to_string(balance)); }

void ApplyEqualizer(int32_t enabled, const int16_t* bands, int32_t preamp) {
  std::ostringstream s;
  s << "applyEqualizer " << enabled << ' ';
  for (int i = 0; i < 10; ++i) s << (i ? "," : "") << (bands ? bands[i] : 0);
  s << ' ' << preamp;
  Log(s.str());
}

void ApplySpeed(float factor) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", double(factor));
  Log(std::string("applySpeed ") + text);
}

InputModule& Module() {
  static bool filled = [] {
    module.apiVersion = 255;  // any version is accepted
    module.description = u"Test plug-in";
    module.fileTypes = u"";
    module.showConfig = ShowConfig;
    module.showAbout = ShowAbout;
    module.startup = Startup;
    module.shutdown = Shutdown;
    module.reservedFn1 = ReservedNothing;
    module.reservedFn2 = ReservedZero;
    module.claimsFile = ClaimsFile;
    module.playFile = PlayFile;
    module.pausePlayback = PausePlayback;
    module.resumePlayback = ResumePlayback;
    module.isPlaybackPaused = IsPlaybackPaused;
    module.stopPlayback = StopPlayback;
    module.trackLengthMs = TrackLengthMs;
    module.playPositionMs = PlayPositionMs;
    module.seekToMs = SeekToMs;
    module.applyVolume = ApplyVolume;
    module.applyBalance = ApplyBalance;
    module.applyEqualizer = ApplyEqualizer;
    module.applySpeed = ApplySpeed;
    return true;
  }();
  (void)filled;
  return module;
}
}  // namespace

extern "C" __attribute__((visibility("default"))) InputModule* orvaneGetInModule2(void) { return &Module(); }
