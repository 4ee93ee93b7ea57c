#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/MediaDecoder.h"
#include "platform/media/SoundOutput.h"
#include "platform/media/SoundProcessor.h"

// What the media player control reports, on its own event thread.
enum class MediaEvent {
  // The source was decoded to its end (or as far as it could be) and all of it was
  // handed to the output, whose last fraction of a second is still playing: a
  // next source started now follows without a gap.
  EndOfStream,
  OpenFailed,   // the source could not be opened or holds no playable audio
  StreamInfoChanged,  // the source opened, or a live stream changed its rate or channels (see Info)
  TagsChanged,        // a live stream named its station or a new song (see Tags)
};

class MediaEventSink {
 public:
  virtual ~MediaEventSink() = default;
  virtual void OnMediaEvent(MediaEvent event) = 0;
};

// The media player control plug-ins host: plays a file or an http(s) URL to the sound
// output. Opening, demuxing and decoding run on the control's worker thread, events
// are delivered on its event thread, and every operation returns at once: none waits
// for either thread, so an event handler may call back into the control freely, even
// while the thread that called it waits for someone else. Destroying the control
// waits a short while at most; a worker still stuck in the network (a name lookup
// cannot be interrupted) finishes on its own afterwards.
//
// The output's stream lives with playback: it opens when a source starts to play,
// is corked while paused, and closes kCloseDelay after playback stopped or ended,
// so gapless joins keep it and an idle player holds none.
//
// The output holds a long queue (about a second) so that both sides sleep; changes
// are heard at once all the same: a pause corks, a seek or stop flushes, and a new
// volume or sound setting renders the queued frames again from a few tens of
// milliseconds ahead of the device and writes them over the queue. The worker keeps
// what that needs (the decoded frames and the rendered ones before the volume) for
// the frames not yet heard.
class MediaPlayer {
 public:
  enum State : int32_t { kStopped = 0, kPaused = 1, kPlaying = 2, kWaiting = 3 };
  static constexpr int32_t kMinVolume = -10000;  // hundredths of a dB; this is silence
  static constexpr std::chrono::milliseconds kCloseDelay{1500};

  // Null when there is no sound output (TARNELLO_AUDIO, else PulseAudio) or the
  // decoding library is not installed. Nothing is loaded or connected yet: the
  // decoder and the output open when a source is first played (an output that then
  // cannot open ends that source with OpenFailed); a source the decoder cannot
  // decode ends with OpenFailed.
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink);
  // The same with the decoder's layout (MediaDecoder::Layout::kNative: the track's
  // own rate and channels, with the sound processing of SetSoundSettings).
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink, MediaDecoder::Layout layout);
  // The same with a given output (tests).
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output);
  // The same with a given output and layout (tests).
  static std::unique_ptr<MediaPlayer> Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output,
                                             MediaDecoder::Layout layout);
  ~MediaPlayer();
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;

  // A path or an http(s) URL. Stops what plays; the position goes back to 0.
  bool SetSource(const std::string& source);
  // Hundredths of a dB, -10000 ... 0; above 0 is taken as 0. Heard within some 60 ms.
  bool SetVolume(int32_t hundredthsOfDb);
  // Equalizer, balance and speed for the native layout; heard within some 60 ms.
  void SetSoundSettings(const SoundSettings& settings);
  // The stream as decoded; zeros until the source has opened.
  StreamInfo Info() const;
  // The stream's details as they were at each StreamInfoChanged, oldest first (one
  // per event, so a handler that runs late still sees every state); false when none
  // is left.
  bool TakeInfoChange(StreamInfo& info);
  // What the current source last said of its station and song; empty for a plain file.
  StreamTags Tags() const;
  // Seconds of the source heard (track time, whatever the speed).
  double Position() const;
  bool SetPosition(double seconds);
  // Seconds; 0 until the source has been opened or when it does not tell.
  double Duration() const;
  int32_t PlayState() const;
  bool Play();
  bool Pause();
  bool Stop();
  // How long a source may deliver nothing before it is given up (default 10 s).
  void SetStallTimeout(std::chrono::milliseconds timeout);

 private:
  class Core;
  explicit MediaPlayer(std::shared_ptr<Core> core) : core_(std::move(core)) {}
  std::shared_ptr<Core> core_;
};
