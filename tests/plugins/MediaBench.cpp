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
}  // namespace

BENCHMARK(FfmpegDecodeOnly)->Iterations(1)->Unit(benchmark::kSecond);
// As fast as it decodes: what the control costs without the pacing.
BENCHMARK_CAPTURE(Playback, Untimed, "null-untimed")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Playback, RealTime, "null")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
