#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/media/SoundOutput.h"

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;

// A libavfilter graph from interleaved float samples of one format to the same,
// described by filter text ("equalizer@b0=f=60:g=3,atempo=1.2"). Single-threaded.
// Built into libtarnello-decoder.so only.
class FilterChain {
 public:
  // Null when the description does not build. Planar: the graph works on one plane
  // per channel (the biquads do), so the samples are split and joined here rather
  // than by a converter the graph would insert.
  static std::unique_ptr<FilterChain> Create(SoundFormat format, const std::string& filters, bool planar = false);
  ~FilterChain();
  FilterChain(const FilterChain&) = delete;
  FilterChain& operator=(const FilterChain&) = delete;

  // Feeds frames; with no samples, the end of the input.
  bool Push(const float* samples, size_t frames);
  // Appends what the graph has ready to out.
  bool Pull(std::vector<float>& out);
  // Sends a runtime command ("g" = 3.5) to the filter instance target.
  bool Command(const char* target, const char* command, double value);
  // value as filter text, with '.' as the decimal point whatever the locale.
  static std::string Number(double value);

 private:
  FilterChain(SoundFormat format, bool planar) : format_(format), planar_(planar) {}
  SoundFormat format_;
  bool planar_;
  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  AVFrame* frame_ = nullptr;
  int64_t pts_ = 0;
};
