#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One audio stream of a file or an http(s) URL turned into interleaved 16-bit
// stereo at the sound output's rate. Blocking; runs on the media player control's
// own thread.
//
// The decoder lives in a library of its own, libtarnello-decoder.so beside the
// platform library, loaded the first time a source is opened: FFmpeg and the
// codec libraries it pulls in cost some 20 MB of memory, which a player that is
// not playing anything should not carry.
class MediaDecoder {
 public:
  using Cancelled = std::function<bool()>;
  virtual ~MediaDecoder() = default;

  // Whether the decoding library is installed; a cheap check that loads nothing.
  static bool IsInstalled();

  // A decoder whose every wait on the source can be cut short by cancelled, and
  // which gives up a source that delivers nothing for stallTimeout. Null when the
  // decoding library cannot be loaded or has no WMA decoder.
  static std::unique_ptr<MediaDecoder> Create(Cancelled cancelled, std::chrono::milliseconds stallTimeout);

  virtual bool Open(const std::string& source) = 0;
  // Length in seconds, 0 when the source does not say (a live stream).
  virtual double Duration() const = 0;
  // The next decoded samples (replacing out's contents); false at the end of the
  // stream, after an unrecoverable error, on a stall or when cancelled.
  virtual bool Next(std::vector<int16_t>& out) = 0;
  // Moves to seconds, exactly to the sample: seeks before the target and decodes
  // forward, dropping what lies before it. False when the source cannot seek.
  virtual bool Seek(double seconds) = 0;
};
