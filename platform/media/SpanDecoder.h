#pragma once
#include <memory>
#include <string>

#include "platform/media/MediaDecoder.h"

// A span of a local file, named "PATH#t=START,END" (seconds with decimals; without
// ",END" it runs to the end of the file): the tracks of a cue sheet.
struct SourceSpan {
  std::string path;
  double start = 0;
  double end = -1;  // negative: the end of the file
};

// Splits source at its last "#t=" when what follows is "START" or "START,END"
// (digits with an optional decimal part, END above START) and source is no URL.
// False (span untouched) for any other source.
bool ParseSourceSpan(const std::string& source, SourceSpan& span);

// Wraps decoder so that a span source plays as a track of its own: it starts at
// START exactly to the sample, ends at END, and its duration and seeks are
// relative to START. Any other source (a file whose own name looks like a span
// included) passes through unchanged.
std::unique_ptr<MediaDecoder> WrapSpanDecoder(std::unique_ptr<MediaDecoder> decoder);
