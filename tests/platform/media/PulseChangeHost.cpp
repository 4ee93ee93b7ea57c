// How fast a change is heard through a real sound server, and that no frame is lost
// or repeated on the way. `play` plays a noise file through Brelwick as the player
// does and, while it plays, changes the volume, the equalizer's preamplifier, the
// balance, pauses, resumes, seeks and changes the speed, logging the position heard at each command. `check` reads the
// server monitor's recording beside the file and the log: for each command, where
// the recording departs from what was playing (the latency, in track time from the
// position heard at the command), and that afterwards it follows the file again
// frame for frame at the new level or place.
// `drag` changes the volume every 25 ms for a while instead, as a slider drag does,
// and `checkdrag` checks that the sound then goes on without a gap.
// Usage: pulse_change_host play|drag PLUGIN_FOLDER SOURCE LOG
//        pulse_change_host check|checkdrag SOURCE RECORDING LOG   (exit 0 = all within bounds)
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "TestMedia.h"
#include "playback/HostCallbacks.h"
#include "playback/PluginManager.h"
#include "platform/Window.h"

namespace {
constexpr int kRate = 44100;

class HostWindow : public Window {
 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t, intptr_t) override {
    if (message == MSG_TRACK_ENDED) QCoreApplication::exit(0);
    return 0;
  }
};

int Play(const char* plugins, const char* source, const char* logPath, bool drag) {
  HostWindow host;
  host.CreateTopLevel("host", Rect::FromSize(0, 0, 10, 10), 0, nullptr, false);
  PluginManager manager(host.GetHandle(), QString::fromLocal8Bit(plugins));
  manager.LoadAll();
  HostCallbacks::PublishMainWindow(host.GetHandle());
  std::FILE* log = std::fopen(logPath, "w");
  if (!log || manager.PlayFile(QString::fromLocal8Bit(source)) != 0) return 3;
  const int16_t flat[10] = {31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
  manager.ApplyEqualizer(0, flat, 31);
  manager.ApplyVolume(250);
  // Precise: a coarse timer of two seconds or more may fire out of order with its neighbours.
  auto at = [&](int ms, const char* name, std::function<void()> change) {
    QTimer::singleShot(ms, Qt::PreciseTimer, [&manager, log, name, change] {
      std::fprintf(log, "%s %d\n", name, manager.PlayPositionMs());
      std::fflush(log);
      change();
    });
  };
  if (drag) {
    // A drag of the volume slider: a change every 25 ms, each rewriting the whole
    // queue, ending where it began.
    for (int i = 0; i < 24; ++i)
      at(2000 + 25 * i, "drag", [&manager, i] { manager.ApplyVolume(i == 23 ? 250 : 200 + 2 * i); });
    QTimer::singleShot(8000, [] { QCoreApplication::exit(0); });
  } else {
    at(2000, "volume", [&] { manager.ApplyVolume(150); });  // -40 dB
    at(3000, "volume", [&] { manager.ApplyVolume(250); });
    at(4000, "preamp", [&] { manager.ApplyEqualizer(1, flat, 63); });  // -12 dB
    at(5000, "preamp", [&] { manager.ApplyEqualizer(0, flat, 63); });
    at(5600, "balance", [&] { manager.ApplyBalance(127); });  // the left side silent
    at(6200, "balance", [&] { manager.ApplyBalance(0); });
    at(7000, "pause", [&] { manager.PausePlayback(); });
    at(7500, "resume", [&] { manager.ResumePlayback(); });
    at(8300, "seek", [&] { manager.SeekToMs(9000); });
    at(9200, "speed", [&] { manager.ApplySpeed(1.3f); });
    QTimer::singleShot(30000, [] { QCoreApplication::exit(4); });
  }
  const int code = QApplication::exec();
  manager.UnloadAll();
  std::fclose(log);
  return code;
}

// The recording against the source, one channel, as frames of the track.
struct Comparison {
  const TestMedia::Wav& src;
  const TestMedia::Wav& rec;
  int64_t offset = 0;  // recording frame = track frame + offset

  float Src(int64_t n) const { return n >= 0 && size_t(n) < src.Frames() ? src.values[size_t(n) * 2] : 0.0f; }
  float Rec(int64_t n) const {
    const int64_t k = n + offset;
    return k >= 0 && size_t(k) < rec.Frames() ? rec.values[size_t(k) * 2] : 0.0f;
  }
  // Whether frames [n, n + count) of the recording are the source's at gain.
  bool Matches(int64_t n, int count, float gain) const {
    for (int i = 0; i < count; ++i)
      if (std::fabs(Rec(n + i) - gain * Src(n + i)) > 0.02f * std::fabs(Src(n + i)) * gain + 2.5f / 32768)
        return false;
    return true;
  }
  // The first frame from n on where the recording stops being the source at gain.
  int64_t Departure(int64_t n, float gain) const {
    for (; size_t(n + offset) < rec.Frames(); ++n)
      if (!Matches(n, 8, gain)) return n;
    return n;
  }
  // The offset, near the current one, at which the recording follows track frame n on.
  bool Realign(int64_t n, int64_t from, int64_t to, float gain = 1.0f) {
    const int64_t saved = offset;
    for (offset = from; offset <= to; ++offset)
      if (Matches(n, 2000, gain)) return true;
    offset = saved;
    return false;
  }
};

int failures = 0;
void Expect(bool ok, const char* what, double value) {
  std::printf("%s %s: %.1f\n", ok ? "ok" : "FAIL", what, value);
  if (!ok) ++failures;
}

// The commands of the log: name and the track frame heard at the command.
std::vector<std::pair<std::string, int64_t>> ReadCommands(const char* logPath) {
  std::ifstream log(logPath);
  std::vector<std::pair<std::string, int64_t>> commands;
  std::string name;
  int ms = 0;
  while (log >> name >> ms) commands.push_back({name, int64_t(ms) * kRate / 1000});
  return commands;
}

// The recording may begin a little into the track: aligned on the middle of the
// part before the first command.
bool AlignBefore(Comparison& c, int64_t firstCommand) {
  const int64_t early = firstCommand / 2;
  return early >= 2000 && c.Realign(early, -early, int64_t(c.rec.Frames()) - int64_t(c.src.Frames()) / 2);
}

int Check(const char* sourcePath, const char* recordingPath, const char* logPath) {
  TestMedia::Wav src, rec;
  if (!TestMedia::ReadWav(sourcePath, src) || !TestMedia::ReadWav(recordingPath, rec) || rec.channels != 2) return 5;
  const auto commands = ReadCommands(logPath);
  if (commands.size() != 10) return 6;
  Comparison c{src, rec};
  if (!AlignBefore(c, commands[0].second)) return 7;
  auto ms_ = [](int64_t frames) { return double(frames) * 1000.0 / kRate; };
  const int64_t settle = kRate / 10;
  float gain = 1.0f;
  for (size_t i = 0; i < commands.size(); ++i) {
    const auto& [what, at] = commands[i];
    const int64_t departed = c.Departure(at - kRate / 20, gain);
    // What follows a change is compared up to the next command.
    const int64_t next = i + 1 < commands.size() ? commands[i + 1].second : at + kRate;
    const int span = int(std::clamp<int64_t>(next - departed - settle - kRate / 20, 1000, kRate / 2));
    const double latency = ms_(departed - at);
    if (what == "volume" || what == "preamp" || what == "balance") {
      Expect(latency > -15 && latency <= 60, (what + " change heard after ms").c_str(), latency);
      gain = gain == 1.0f ? (what == "volume" ? 0.01f : what == "preamp" ? 0.2512f : 0.0f) : 1.0f;
      // Frame for frame the source again, at the new level and the same place.
      Expect(c.Matches(departed + settle, span, gain), (what + ": follows the source, frames shifted").c_str(), 0);
    } else if (what == "pause") {
      Expect(latency > -15 && latency <= 50, "pause silent after ms", latency);
      // After the resume the track goes on where it stopped, sample for sample: the
      // first sound after the silence is the first frame the silence replaced.
      auto quiet = [&](int64_t at) {  // 16 frames of digital silence from `at` on
        for (int64_t i = at; i < at + 16; ++i)
          if (size_t(i) >= rec.Frames() || rec.values[size_t(i) * 2] != 0.0f) return false;
        return true;
      };
      int64_t k = departed + c.offset;
      while (size_t(k) < rec.Frames() && !quiet(k)) ++k;
      const int64_t silent = k - c.offset;  // the track frame the silence began at
      while (size_t(k) < rec.Frames() && rec.values[size_t(k) * 2] == 0.0f) ++k;
      int64_t resumed = -1;
      for (int64_t m = departed - 1024; m < departed + 1024 && resumed < 0; ++m) {
        c.offset = k - m;
        if (c.Matches(m, 32, gain)) resumed = m;
      }
      const int64_t lost = resumed - silent;
      Expect(resumed >= 0 && lost == 0 && c.Matches(resumed, 2000, gain), "frames lost (+) or repeated (-) at the resume",
             double(lost));
    } else if (what == "resume") {
      continue;
    } else if (what == "speed") {
      // Found where the stretched sound departs from the track: the stretcher's first
      // window still copies the track, so this reads up to a window late.
      Expect(latency > -15 && latency <= 100, "speed change heard after ms", latency);
    } else if (what == "seek") {
      Expect(latency > -15 && latency <= 100, "seek heard after ms", latency);
      const int64_t target = 9 * kRate;
      const int64_t recAt = departed + c.offset;
      const bool found = c.Realign(target + settle, recAt - target - kRate / 2, recAt - target + kRate / 2);
      Expect(found, "after the seek the target plays on, offset error ms", found ? ms_(c.offset - (recAt - target)) : 0);
    }
  }
  return failures == 0 ? 0 : 1;
}
// After the drag the recording is the source again at its level and at the place it
// had before the drag, for the next four seconds: no frame lost, repeated or late.
int CheckDrag(const char* sourcePath, const char* recordingPath, const char* logPath) {
  TestMedia::Wav src, rec;
  if (!TestMedia::ReadWav(sourcePath, src) || !TestMedia::ReadWav(recordingPath, rec) || rec.channels != 2) return 5;
  const auto changes = ReadCommands(logPath);
  if (changes.size() != 24) return 6;
  Comparison c{src, rec};
  if (!AlignBefore(c, changes.front().second)) return 7;
  const int64_t after = changes.back().second + kRate / 5;
  int64_t n = after;
  while (n < after + 4 * kRate && c.Matches(n, 441, 1.0f)) n += 441;
  const double followed = double(n - after) * 1000.0 / kRate;
  Expect(n >= after + 4 * kRate, "after a drag of the volume, ms followed the source without a gap (of 4000)", followed);
  return failures == 0 ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
  const bool drag = argc == 5 && std::strcmp(argv[1], "drag") == 0;
  if (argc == 5 && (drag || std::strcmp(argv[1], "play") == 0)) {
    QApplication app(argc, argv);
    return Play(argv[2], argv[3], argv[4], drag);
  }
  if (argc == 5 && std::strcmp(argv[1], "check") == 0) return Check(argv[2], argv[3], argv[4]);
  if (argc == 5 && std::strcmp(argv[1], "checkdrag") == 0) return CheckDrag(argv[2], argv[3], argv[4]);
  std::fprintf(stderr, "usage: %s play|drag PLUGIN_FOLDER SOURCE LOG | check|checkdrag SOURCE RECORDING LOG\n", argv[0]);
  return 64;
}
