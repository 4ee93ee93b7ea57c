#include "platform/media/FfmpegDecoder.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "platform/Log.h"
#include "platform/media/SoundOutput.h"

namespace {
constexpr int kMaxConsecutiveErrors = 64;

std::string ErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}
constexpr double kSeekPreroll = 0.5;  // seconds before the target to start decoding

bool IsNetworkSource(const std::string& source) {
  return strncasecmp(source.c_str(), "http://", 7) == 0 || strncasecmp(source.c_str(), "https://", 8) == 0;
}

// A string option of the http protocol under the source's I/O context; empty
// when there is none (a file, a server that sent no metadata).
std::string HttpOption(AVIOContext* io, const char* name) {
  uint8_t* value = nullptr;
  if (!io || av_opt_get(io, name, AV_OPT_SEARCH_CHILDREN, &value) < 0 || !value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  av_free(value);
  return text;
}

std::string Comment(const AVDictionary* stream, const AVDictionary* format, const char* key) {
  const AVDictionaryEntry* e = av_dict_get(stream, key, nullptr, 0);
  if (!e) e = av_dict_get(format, key, nullptr, 0);
  return e && e->value ? IcyMetadata::CleanText(e->value) : std::string();
}
}  // namespace

FfmpegDecoder::FfmpegDecoder(Cancelled cancelled, std::chrono::milliseconds stallTimeout, Layout layout)
    : cancelled_(std::move(cancelled)), stallTimeout_(stallTimeout), layout_(layout) {}

FfmpegDecoder::~FfmpegDecoder() {
  swr_free(&resampler_);
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avcodec_free_context(&codec_);
  avformat_close_input(&format_);
}

void FfmpegDecoder::QuietLibraryLog() {
  // Damaged input is expected and handled; FFmpeg's own complaints would only
  // clutter the player's standard error.
  static const bool once = [] {
    av_log_set_level(AV_LOG_FATAL);
    return true;
  }();
  (void)once;
}

bool FfmpegDecoder::HasWmaDecoder() {
  return avcodec_find_decoder(AV_CODEC_ID_WMAV2) != nullptr && avcodec_find_decoder(AV_CODEC_ID_WMAV1) != nullptr;
}

int FfmpegDecoder::InterruptCallback(void* self) {
  auto* d = static_cast<FfmpegDecoder*>(self);
  return (d->cancelled_ && d->cancelled_()) || std::chrono::steady_clock::now() > d->deadline_ ? 1 : 0;
}

void FfmpegDecoder::Touch() { deadline_ = std::chrono::steady_clock::now() + stallTimeout_; }

bool FfmpegDecoder::Open(const std::string& source) {
  const char* why = OpenSource(source);
  if (why && !(cancelled_ && cancelled_())) Platform::Log("decoder", "cannot play " + source + ": " + why);
  return why == nullptr;
}

// Null when source is open and ready to decode, else what failed.
const char* FfmpegDecoder::OpenSource(const std::string& source) {
  format_ = avformat_alloc_context();
  if (!format_) return "out of memory";
  format_->interrupt_callback = {InterruptCallback, this};
  AVDictionary* options = nullptr;
  const std::string timeout = std::to_string(int64_t(stallTimeout_.count()) * 1000);
  av_dict_set(&options, "rw_timeout", timeout.c_str(), 0);
  // Sources are files and http(s) URLs; a playlist entry may come from anywhere, so
  // none may reach FFmpeg's other protocols (pipes, concatenations, sub-files).
  av_dict_set(&options, "protocol_whitelist", "file,http,https,httpproxy,tcp,tls", 0);
  // An https stream must prove who it is against the system's certificates (and
  // name the host it was asked for), as a downloaded playlist must.
  av_dict_set(&options, "tls_verify", "1", 0);
  Touch();
  // On failure avformat_open_input frees the context itself.
  const int opened = avformat_open_input(&format_, source.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {
    openError_ = ErrorText(opened);
    return openError_.c_str();
  }
  Touch();
  if (avformat_find_stream_info(format_, nullptr) < 0) return "no stream information";
  const AVCodec* decoder = nullptr;
  stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream_ < 0 || !decoder) return "no audio stream with a decoder";
  AVStream* stream = format_->streams[stream_];
  codec_ = avcodec_alloc_context3(decoder);
  if (!codec_ || avcodec_parameters_to_context(codec_, stream->codecpar) < 0) return "decoder set-up failed";
  if (avcodec_open2(codec_, decoder, nullptr) < 0) return "the decoder refused the stream";
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!frame_ || !packet_) return "out of memory";
  for (unsigned i = 0; i < format_->nb_streams; ++i)
    if (int(i) != stream_) format_->streams[i]->discard = AVDISCARD_ALL;

  if (format_->duration > 0) {
    duration_ = double(format_->duration) / AV_TIME_BASE;
  } else if (stream->duration > 0) {
    duration_ = double(stream->duration) * av_q2d(stream->time_base);
  }
  nextSample_ = 0;
  network_ = IsNetworkSource(source);
  if (network_) ReadStationHeaders();
  ReadTags(true);
  const int channels = codec_->ch_layout.nb_channels;
  if (codec_->sample_rate <= 0 || channels <= 0) return "no sample rate or channels";
  if (layout_ == Layout::kNative) outFormat_ = SoundFormat{codec_->sample_rate, channels == 1 ? 1 : 2};
  const int64_t bitRate = stream->codecpar->bit_rate > 0 ? stream->codecpar->bit_rate : format_->bit_rate;
  info_ = StreamInfo{int((std::max<int64_t>(bitRate, 0) + 500) / 1000), codec_->sample_rate, channels};
  ReadGainTags();
  return nullptr;
}

// FFmpeg gives every tag format (ID3v2 TXXX, Vorbis comments, APE, MP4 freeform
// atoms) as metadata entries: the file's own, and for Ogg the stream's, which is
// read last. Opus decoders apply the header's output gain themselves; the R128
// tags are relative to that.
void FfmpegDecoder::ReadGainTags() {
  for (const AVDictionary* metadata : {format_->metadata, format_->streams[stream_]->metadata}) {
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
      gains_.Note(entry->key, entry->value);
  }
}

bool FfmpegDecoder::ReadPacket() {
  for (;;) {
    if (cancelled_ && cancelled_()) return false;
    // The stall time counts while a read waits, not while playback is paused.
    Touch();
    const int r = av_read_frame(format_, packet_);
    if (r < 0) return false;
    ReadTags(false);
    if (packet_->stream_index == stream_) return true;
    av_packet_unref(packet_);
  }
}

void FfmpegDecoder::ReadStationHeaders() {
  // "icy-name: ...\n" lines as FFmpeg's http protocol collects them (it asks for
  // in-band metadata by default, sending Icy-MetaData: 1).
  IcyMetadata::ReadHeaders(HttpOption(format_->pb, "icy_metadata_headers"), tags_);
}

// The current song, from the last in-band metadata block of an http stream or
// from comments that changed mid-stream (a chained Ogg stream's next part).
void FfmpegDecoder::ReadTags(bool opening) {
  if (network_) {
    std::string block = HttpOption(format_->pb, "icy_metadata_packet");
    if (!block.empty() && block != lastIcyBlock_) {
      std::string title;
      if (IcyMetadata::StreamTitle(block, title)) {
        tags_.title = std::move(title);
        tags_.artist.clear();
      }
      lastIcyBlock_ = std::move(block);
    }
  }
  AVStream* stream = format_->streams[stream_];
  const bool updated = (stream->event_flags & AVSTREAM_EVENT_FLAG_METADATA_UPDATED) ||
                       (format_->event_flags & AVFMT_EVENT_FLAG_METADATA_UPDATED);
  stream->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
  format_->event_flags &= ~AVFMT_EVENT_FLAG_METADATA_UPDATED;
  // The comments found while opening are a file's own tags, which its playlist row
  // shows already; a live stream's name the song playing now.
  if (opening ? !network_ : !updated) return;
  std::string title = Comment(stream->metadata, format_->metadata, "title");
  if (title.empty()) return;
  tags_.title = std::move(title);
  tags_.artist = Comment(stream->metadata, format_->metadata, "artist");
}

bool FfmpegDecoder::Next(std::vector<float>& out) {
  out.clear();
  if (!codec_) return false;
  while (out.empty()) {
    if (cancelled_ && cancelled_()) return false;
    const int r = avcodec_receive_frame(codec_, frame_);
    if (r == 0) {
      const bool ok = Decoded(out);
      av_frame_unref(frame_);
      if (!ok) return false;
      continue;
    }
    if (r == AVERROR_EOF) {
      // What the resampler still holds ends the stream.
      if (resampler_) {
        const int pending = swr_get_out_samples(resampler_, 0);
        if (pending > 0) {
          const size_t channels = size_t(outFormat_.channels);
          out.resize(size_t(pending) * channels);
          uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
          const int got = swr_convert(resampler_, &dst, pending, nullptr, 0);
          out.resize(size_t(std::max(got, 0)) * channels);
        }
        swr_free(&resampler_);
      }
      return !out.empty();
    }
    if (r != AVERROR(EAGAIN)) return false;
    if (inputEnded_) return false;
    if (!ReadPacket()) {
      // The end of the input (or a stall): let the decoder give what it still holds.
      inputEnded_ = true;
      if (avcodec_send_packet(codec_, nullptr) < 0) return false;
      continue;
    }
    const int sent = avcodec_send_packet(codec_, packet_);
    av_packet_unref(packet_);
    if (sent < 0 && sent != AVERROR(EAGAIN)) {
      // A damaged packet is skipped; a source made of nothing else is given up.
      if (++errors_ > kMaxConsecutiveErrors) {
        Platform::Log("decoder", "given up after " + std::to_string(errors_) + " damaged packets in a row: " + ErrorText(sent));
        return false;
      }
    } else {
      errors_ = 0;
    }
  }
  return true;
}

bool FfmpegDecoder::Decoded(std::vector<float>& out) {
  if (frame_->nb_samples <= 0 || frame_->sample_rate <= 0 || frame_->ch_layout.nb_channels <= 0) return true;
  const AVStream* stream = format_->streams[stream_];
  // A live stream may change its rate or channels: what it is now is reported.
  info_.sampleRate = frame_->sample_rate;
  info_.channels = frame_->ch_layout.nb_channels;
  int64_t ts = frame_->best_effort_timestamp;
  if (ts == AV_NOPTS_VALUE) ts = frame_->pts;
  const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
  const bool timed = ts != AV_NOPTS_VALUE;
  const int64_t tsSample = timed ? av_rescale_q(ts - start, stream->time_base, AVRational{1, frame_->sample_rate}) : 0;
  if (nextSample_ < 0) {
    // First frame after a seek: its timestamp, less the decoder's delay measured at
    // the start, tells where it lies; from here on samples are counted.
    nextSample_ = timed ? std::max<int64_t>(0, tsSample - (offsetKnown_ ? timestampOffset_ : 0)) : dropBefore_;
  } else if (!offsetKnown_ && timed) {
    // Decoding from the start: how far the timestamps run ahead of the decoded samples.
    timestampOffset_ = tsSample - nextSample_;
    offsetKnown_ = true;
  }
  const int64_t first = nextSample_;
  nextSample_ += frame_->nb_samples;
  const int64_t skip = std::clamp<int64_t>(dropBefore_ - first, 0, frame_->nb_samples);
  if (skip == frame_->nb_samples) return true;
  return Convert(frame_, skip, out);
}

bool FfmpegDecoder::MakeResampler(const AVFrame* frame) {
  const int channels = frame->ch_layout.nb_channels;
  swr_free(&resampler_);
  AVChannelLayout target;
  av_channel_layout_default(&target, outFormat_.channels);
  if (swr_alloc_set_opts2(&resampler_, &target, AV_SAMPLE_FMT_FLT, outFormat_.rate,
                          const_cast<AVChannelLayout*>(&frame->ch_layout), AVSampleFormat(frame->format),
                          frame->sample_rate, 0, nullptr) < 0)
    return false;
  if (channels == 1 && outFormat_.channels == 2) {
    // Mono goes to both channels at full level, not the -3 dB of a centre downmix.
    const double matrix[2] = {1.0, 1.0};
    swr_set_matrix(resampler_, matrix, 1);
  }
  if (swr_init(resampler_) < 0) {
    swr_free(&resampler_);
    return false;
  }
  resamplerRate_ = frame->sample_rate;
  resamplerFormat_ = frame->format;
  resamplerChannels_ = channels;
  return true;
}

// To interleaved float in the decoder's format. At the source's own rate and
// channels this is a lossless change of sample layout; 16- and 24-bit samples are
// exact in float.
bool FfmpegDecoder::Convert(const AVFrame* frame, int64_t skip, std::vector<float>& out) {
  const int channels = frame->ch_layout.nb_channels;
  if ((!resampler_ || resamplerRate_ != frame->sample_rate || resamplerFormat_ != frame->format ||
       resamplerChannels_ != channels) &&
      !MakeResampler(frame))
    return false;
  const int bytesPerSample = av_get_bytes_per_sample(AVSampleFormat(frame->format));
  const bool planar = av_sample_fmt_is_planar(AVSampleFormat(frame->format));
  const int planes = planar ? channels : 1;
  std::vector<const uint8_t*> inPlanes(static_cast<size_t>(planes));
  for (int p = 0; p < planes; ++p)
    inPlanes[size_t(p)] = frame->extended_data[p] + skip * bytesPerSample * (planar ? 1 : channels);
  const int inCount = frame->nb_samples - int(skip);
  const int capacity = swr_get_out_samples(resampler_, inCount);
  if (capacity <= 0) return true;
  const size_t outChannels = size_t(outFormat_.channels);
  out.resize(size_t(capacity) * outChannels);
  uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
  const int got = swr_convert(resampler_, &dst, capacity, inPlanes.data(), inCount);
  if (got < 0) return false;
  out.resize(size_t(got) * outChannels);
  return true;
}

bool FfmpegDecoder::Seek(double seconds) {
  if (!codec_ || !format_) return false;
  seconds = std::max(0.0, seconds);
  // Learn the timestamps' offset from the first decoded frame before leaving the start.
  for (std::vector<float> discard; !offsetKnown_ && nextSample_ == 0 && Next(discard);) {
  }
  const AVStream* stream = format_->streams[stream_];
  const int rate = codec_->sample_rate > 0 ? codec_->sample_rate : SoundOutput::kRate;
  const double from = std::max(0.0, seconds - kSeekPreroll);
  int64_t ts = av_rescale_q(int64_t(from * AV_TIME_BASE), AV_TIME_BASE_Q, stream->time_base);
  if (stream->start_time != AV_NOPTS_VALUE) ts += stream->start_time;
  Touch();
  if (av_seek_frame(format_, stream_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
      avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0) < 0)
    return false;
  avcodec_flush_buffers(codec_);
  swr_free(&resampler_);
  inputEnded_ = false;
  errors_ = 0;
  nextSample_ = -1;
  dropBefore_ = std::llround(seconds * rate);
  return true;
}

extern "C" __attribute__((visibility("default"))) MediaDecoder* TarnelloCreateMediaDecoder(
    MediaDecoder::Cancelled* cancelled, int64_t stallTimeoutMs, int32_t layout) {
  const auto chosen = layout == int32_t(MediaDecoder::Layout::kNative) ? MediaDecoder::Layout::kNative
                                                                         : MediaDecoder::Layout::kFixed;
  if (chosen == MediaDecoder::Layout::kFixed && !FfmpegDecoder::HasWmaDecoder()) return nullptr;
  FfmpegDecoder::QuietLibraryLog();
  return new FfmpegDecoder(std::move(*cancelled), std::chrono::milliseconds(stallTimeoutMs), chosen);
}
