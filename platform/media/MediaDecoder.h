#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// Reads one audio stream of a file or an http(s) URL with FFmpeg and turns it into
// interleaved 16-bit stereo at the sound output's rate. Blocking; runs on the media
// player control's own thread. Every wait on the source can be cut short by the
// cancel callback, and a source that delivers nothing for the stall time is given up.
class MediaDecoder {
 public:
  using Cancelled = std::function<bool()>;
  MediaDecoder(Cancelled cancelled, std::chrono::milliseconds stallTimeout);
  ~MediaDecoder();
  MediaDecoder(const MediaDecoder&) = delete;
  MediaDecoder& operator=(const MediaDecoder&) = delete;

  bool Open(const std::string& source);
  // Length in seconds, 0 when the source does not say (a live stream).
  double Duration() const { return duration_; }
  // The next decoded samples (replacing out's contents); false at the end of the
  // stream, after an unrecoverable error, on a stall or when cancelled.
  bool Next(std::vector<int16_t>& out);
  // Moves to seconds, exactly to the sample: seeks before the target and decodes
  // forward, dropping what lies before it. False when the source cannot seek.
  bool Seek(double seconds);

  static bool HasWmaDecoder();
  static void QuietLibraryLog();

 private:
  static int InterruptCallback(void* self);
  void Touch();
  bool Decoded(std::vector<int16_t>& out);
  bool Convert(const AVFrame* frame, int64_t skip, std::vector<int16_t>& out);
  bool ReadPacket();

  Cancelled cancelled_;
  std::chrono::milliseconds stallTimeout_;
  std::chrono::steady_clock::time_point deadline_;

  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwrContext* resampler_ = nullptr;
  int stream_ = -1;
  double duration_ = 0;
  bool inputEnded_ = false;    // the demuxer reported the end
  bool decoderDrained_ = false;
  int errors_ = 0;             // consecutive decoding errors

  // Sample-exact positions, counted in decoded input samples from the start.
  int64_t nextSample_ = -1;     // input sample of the next decoded frame, -1 = take from its timestamp
  int64_t dropBefore_ = 0;      // input samples before this are dropped (after a seek)
  int64_t timestampOffset_ = 0; // timestamp of a frame minus its decoded-sample position
  bool offsetKnown_ = false;
  int resamplerRate_ = 0, resamplerFormat_ = -1, resamplerChannels_ = 0;
};
