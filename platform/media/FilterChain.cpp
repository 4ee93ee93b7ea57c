#include "platform/media/FilterChain.h"

#include <charconv>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

std::unique_ptr<FilterChain> FilterChain::Create(SoundFormat format, const std::string& filters, bool planar) {
  auto chain = std::unique_ptr<FilterChain>(new FilterChain(format, planar));
  const char* sampleFormat = planar ? "fltp" : "flt";
  chain->graph_ = avfilter_graph_alloc();
  chain->frame_ = av_frame_alloc();
  if (!chain->graph_ || !chain->frame_) return nullptr;
  // No slice threads: a few filters on one stream cost less than waking a pool.
  chain->graph_->nb_threads = 1;
  AVChannelLayout layout;
  av_channel_layout_default(&layout, format.channels);
  char layoutName[64] = "";
  av_channel_layout_describe(&layout, layoutName, sizeof layoutName);
  char args[256];
  std::snprintf(args, sizeof args, "sample_rate=%d:sample_fmt=%s:channel_layout=%s:time_base=1/%d", format.rate,
                sampleFormat, layoutName, format.rate);
  if (avfilter_graph_create_filter(&chain->source_, avfilter_get_by_name("abuffer"), "in", args, nullptr,
                                   chain->graph_) < 0 ||
      avfilter_graph_create_filter(&chain->sink_, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr,
                                   chain->graph_) < 0)
    return nullptr;
  // What leaves the graph is float again, in the same layout and rate.
  const std::string description = filters + ",aformat=sample_fmts=" + sampleFormat + ":channel_layouts=" + layoutName +
                                  ":sample_rates=" + std::to_string(format.rate);
  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  if (!outputs || !inputs) {
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    return nullptr;
  }
  outputs->name = av_strdup("in");
  outputs->filter_ctx = chain->source_;
  inputs->name = av_strdup("out");
  inputs->filter_ctx = chain->sink_;
  const int parsed = avfilter_graph_parse_ptr(chain->graph_, description.c_str(), &inputs, &outputs, nullptr);
  avfilter_inout_free(&outputs);
  avfilter_inout_free(&inputs);
  if (parsed < 0 || avfilter_graph_config(chain->graph_, nullptr) < 0) return nullptr;
  return chain;
}

FilterChain::~FilterChain() {
  av_frame_free(&frame_);
  avfilter_graph_free(&graph_);
}

bool FilterChain::Push(const float* samples, size_t frames) {
  if (!samples || frames == 0) return av_buffersrc_add_frame(source_, nullptr) >= 0;
  AVFrame* frame = av_frame_alloc();
  if (!frame) return false;
  frame->format = planar_ ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_FLT;
  av_channel_layout_default(&frame->ch_layout, format_.channels);
  frame->sample_rate = format_.rate;
  frame->nb_samples = int(frames);
  frame->pts = pts_;
  pts_ += int64_t(frames);
  if (av_frame_get_buffer(frame, 0) < 0) {
    av_frame_free(&frame);
    return false;
  }
  const size_t channels = size_t(format_.channels);
  if (planar_) {
    for (size_t c = 0; c < channels; ++c) {
      float* plane = reinterpret_cast<float*>(frame->extended_data[c]);
      for (size_t f = 0; f < frames; ++f) plane[f] = samples[f * channels + c];
    }
  } else {
    std::memcpy(frame->data[0], samples, frames * channels * sizeof(float));
  }
  // The source takes the frame's reference.
  const int added = av_buffersrc_add_frame(source_, frame);
  av_frame_free(&frame);
  return added >= 0;
}

bool FilterChain::Pull(std::vector<float>& out) {
  for (;;) {
    const int r = av_buffersink_get_frame(sink_, frame_);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    const size_t channels = size_t(format_.channels), frames = size_t(frame_->nb_samples);
    if (planar_) {
      const size_t at = out.size();
      out.resize(at + frames * channels);
      for (size_t c = 0; c < channels; ++c) {
        const float* plane = reinterpret_cast<const float*>(frame_->extended_data[c]);
        for (size_t f = 0; f < frames; ++f) out[at + f * channels + c] = plane[f];
      }
    } else {
      const float* data = reinterpret_cast<const float*>(frame_->data[0]);
      out.insert(out.end(), data, data + frames * channels);
    }
    av_frame_unref(frame_);
  }
}

std::string FilterChain::Number(double value) {
  // Whatever the process's locale, the filters read a '.' as the decimal point.
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 6);
  *result.ptr = 0;
  return text;
}

bool FilterChain::Command(const char* target, const char* command, double value) {
  const std::string text = Number(value);
  return avfilter_graph_send_command(graph_, target, command, text.c_str(), nullptr, 0, 0) >= 0;
}
