#pragma once
#include "platform/media/MediaDecoder.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// The decoder on FFmpeg: demuxes with libavformat, decodes with libavcodec and
// converts with libswresample. Built into libtarnello-decoder.so only.
class FfmpegDecoder : public MediaDecoder {
 public:
  FfmpegDecoder(Cancelled cancelled, std::chrono::milliseconds stallTimeout, Layout layout);
  ~FfmpegDecoder() override;

  bool Open(const std::string& source) override;
  double Duration() const override { return duration_; }
  SoundFormat Format() const override { return outFormat_; }
  StreamInfo Info() const override { return info_; }
  StreamTags Tags() const override { return tags_; }
  GainTags Gains() const override { return gains_; }
  bool Next(std::vector<float>& out) override;
  bool Seek(double seconds) override;

  static bool HasWmaDecoder();
  static void QuietLibraryLog();

 private:
  const char* OpenSource(const std::string& source);
  static int InterruptCallback(void* self);
  void Touch();
  bool Decoded(std::vector<float>& out);
  bool Convert(const AVFrame* frame, int64_t skip, std::vector<float>& out);
  bool MakeResampler(const AVFrame* frame);
  bool ReadPacket();
  void ReadStationHeaders();
  void ReadTags(bool opening);
  void ReadGainTags();

  Cancelled cancelled_;
  std::chrono::milliseconds stallTimeout_;
  Layout layout_;
  SoundFormat outFormat_;
  StreamInfo info_;
  StreamTags tags_;
  bool network_ = false;       // an http(s) source: its first comments name the current song
  std::string lastIcyBlock_;   // the metadata block last read, to notice a new one
  GainTags gains_;
  std::chrono::steady_clock::time_point deadline_;

  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwrContext* resampler_ = nullptr;
  int stream_ = -1;
  double duration_ = 0;
  bool inputEnded_ = false;    // the demuxer reported the end
  int errors_ = 0;             // consecutive decoding errors
  std::string openError_;      // FFmpeg's text for a failed open

  // Sample-exact positions, counted in decoded input samples from the start.
  int64_t nextSample_ = -1;     // input sample of the next decoded frame, -1 = take from its timestamp
  int64_t dropBefore_ = 0;      // input samples before this are dropped (after a seek)
  int64_t timestampOffset_ = 0; // timestamp of a frame minus its decoded-sample position
  bool offsetKnown_ = false;
  int resamplerRate_ = 0, resamplerFormat_ = -1, resamplerChannels_ = 0;
};
