// CPU time (user + system) of the media player control playing a minute of WMA at
// real-time pace to the null output, against ffmpeg decoding the same file as fast
// as it can. Pacing should cost almost nothing beyond decoding: the control blocks
// on the output and never polls.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "MediaSink.h"
#include "TestMedia.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/SoundProcessor.h"

#include <vector>

namespace {
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const std::string& Minute() {
  static const std::string path = [] {
    const std::string p = TestMedia::MakeTempDir() + "/minute.wma";
    TestMedia::MakeSine(p, 60.0, 2);
    return p;
  }();
  return path;
}

void Playback(benchmark::State& state, const char* output) {
  const std::string& path = Minute();
  for (auto _ : state) {
    RecordingSink sink;
    auto player = MediaPlayer::Create(&sink, OpenSoundOutput(output));
    const double before = CpuSeconds(RUSAGE_SELF);
    player->SetSource(path);
    player->Play();
    sink.WaitForEvents(1, std::chrono::seconds(90));
    state.counters["cpu_s"] = CpuSeconds(RUSAGE_SELF) - before;
  }
}

void FfmpegDecodeOnly(benchmark::State& state) {
  const std::string command = "ffmpeg -nostdin -loglevel error -i '" + Minute() + "' -f null -";
  for (auto _ : state) {
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    if (std::system(command.c_str()) != 0) state.SkipWithError("ffmpeg failed");
    state.counters["cpu_s"] = CpuSeconds(RUSAGE_CHILDREN) - before;
  }
}
// The sound processing alone on 60 s of 44.1 kHz stereo in 1152-frame blocks: the
// equalizer with four bands moved and the preamplifier, balance, and speed 1.2.
void Processing(benchmark::State& state, bool equalizer, int balance, float speed) {
  SoundSettings settings;
  settings.equalizerOn = equalizer;
  settings.bandDb = {9, 6, 0, 0, -6, 0, 0, 0, 3, 0};
  settings.preampDb = -3;
  settings.balance = balance;
  settings.speed = speed;
  std::vector<float> block(1152 * 2), out;
  uint32_t seed = 1;
  for (float& v : block) {
    seed = seed * 1664525u + 1013904223u;
    v = (float(seed >> 8) / float(1 << 24) - 0.5f) * 0.2f;
  }
  for (auto _ : state) {
    auto processor = SoundProcessor::Create(SoundFormat{44100, 2});
    processor->SetSettings(settings);
    const double before = CpuSeconds(RUSAGE_SELF);
    for (int i = 0; i < 60 * 44100 / 1152; ++i) processor->Process(block, out);
    state.counters["cpu_s"] = CpuSeconds(RUSAGE_SELF) - before;
  }
}
}  // namespace

BENCHMARK(FfmpegDecodeOnly)->Iterations(1)->Unit(benchmark::kSecond);
// As fast as it decodes: what the control costs without the pacing.
BENCHMARK_CAPTURE(Playback, Untimed, "null-untimed")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Playback, RealTime, "null")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Processing, Equalizer, true, 0, 1.0f)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Processing, Tempo, false, 0, 1.2f)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Processing, Balance, false, 60, 1.0f)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
