#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/ReplayGain.h"
#include "platform/media/SoundOutput.h"
#include "platform/media/StreamTags.h"

// What a stream is, as the main window shows it.
struct StreamInfo {
  int bitRateKbps = 0;  // nominal or average; 0 when unknown
  int sampleRate = 0;
  int channels = 0;
  bool operator==(const StreamInfo&) const = default;
};

// One audio stream of a file or an http(s) URL turned into interleaved float
// samples. Blocking; runs on the media player control's own thread.
//
// The decoder lives in a library of its own, libtarnello-decoder.so beside the
// platform library, loaded the first time a source is opened: FFmpeg and the
// codec libraries it pulls in cost some 20 MB of memory, which a player that is
// not playing anything should not carry.
class MediaDecoder {
 public:
  using Cancelled = std::function<bool()>;
  // Fixed: 44.1 kHz stereo, whatever the source. Native: the source's own rate,
  // mono kept mono, more than two channels mixed down to stereo.
  enum class Layout : int32_t { kFixed = 0, kNative = 1 };
  virtual ~MediaDecoder() = default;

  // Whether the decoding library is installed; a cheap check that loads nothing.
  static bool IsInstalled();

  // A decoder whose every wait on the source can be cut short by cancelled, and
  // which gives up a source that delivers nothing for stallTimeout. Null when the
  // decoding library cannot be loaded (or, for the fixed layout, has no WMA decoder).
  static std::unique_ptr<MediaDecoder> Create(Cancelled cancelled, std::chrono::milliseconds stallTimeout,
                                              Layout layout = Layout::kFixed);

  virtual bool Open(const std::string& source) = 0;
  // Length in seconds, 0 when the source does not say (a live stream).
  virtual double Duration() const = 0;
  // The format Next delivers, known once Open succeeded; it stays the same for the
  // whole source (a live stream that changes its rate is resampled to it).
  virtual SoundFormat Format() const = 0;
  // The stream as last decoded; a live stream may change it.
  virtual StreamInfo Info() const = 0;
  // What a live stream (or a chained Ogg file) says of its station and current
  // song, as last read; empty for a plain file.
  virtual StreamTags Tags() const { return {}; }
  // The ReplayGain tags of the source, known once Open succeeded.
  virtual GainTags Gains() const = 0;
  // The next decoded samples (replacing out's contents); false at the end of the
  // stream, after an unrecoverable error, on a stall or when cancelled.
  virtual bool Next(std::vector<float>& out) = 0;
  // Moves to seconds, exactly to the sample: seeks before the target and decodes
  // forward, dropping what lies before it. False when the source cannot seek.
  virtual bool Seek(double seconds) = 0;
};

// A function the decoding library exports, loading the library at the first call;
// null when it is missing.
void* DecoderLibrarySymbol(const char* name);
// The same for the sound processing library, libtarnello-filters.so: libavfilter and
// what it pulls in (some 11 MB) are mapped only once a setting needs processing.
void* FilterLibrarySymbol(const char* name);
// The same for the sound outputs, libtarnello-sound.so (libpulse and what it pulls in).
void* SoundLibrarySymbol(const char* name);
