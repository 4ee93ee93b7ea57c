#pragma once
// The media player control's shared state and its worker, for MediaPlayer.cpp (the
// control's operations and threads) and MediaSession.cpp (one source's rendering).
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/media/MediaPlayer.h"
#include "platform/media/PlayTimeline.h"
#include "platform/media/RenderQueue.h"

namespace media_player {

// The event thread: delivers events in order, holding no lock while the sink runs.
// Its state is shared with the thread, so a control destroyed while the sink is
// still busy (its handler waiting for the thread that destroys the control) lets the
// thread finish on its own instead of waiting for it.
struct Events {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<MediaEvent> queue;
  bool quit = false;
  bool inSink = false;
  MediaEventSink* sink = nullptr;
  std::thread::id thread;

  void Post(MediaEvent e) {
    {
      std::lock_guard lock(mutex);
      if (quit) return;
      queue.push_back(e);
    }
    wake.notify_one();
  }

  static void Run(std::shared_ptr<Events> self) {
    std::unique_lock lock(self->mutex);
    for (;;) {
      self->wake.wait(lock, [&] { return self->quit || !self->queue.empty(); });
      if (self->quit) return;
      const MediaEvent e = self->queue.front();
      self->queue.pop_front();
      MediaEventSink* sink = self->sink;
      self->inSink = true;
      lock.unlock();
      if (sink) sink->OnMediaEvent(e);
      lock.lock();
      self->inSink = false;
      self->wake.notify_all();
    }
  }
};

}  // namespace media_player

// Everything the control's threads share. The worker thread holds a reference, so a
// worker that outlives its control finishes with valid state.
class MediaPlayer::Core : public std::enable_shared_from_this<MediaPlayer::Core> {
 public:
  using State = MediaPlayer::State;
  using OutputOpener = std::function<std::unique_ptr<SoundOutput>()>;
  Core(MediaEventSink* sink, OutputOpener openOutput, MediaDecoder::Layout layout);
  void Start();
  void Close();

  bool SetSource(const std::string& source);
  bool SetVolume(int32_t hundredthsOfDb);
  void SetSoundSettings(const SoundSettings& settings);
  StreamInfo Info() const;
  bool TakeInfoChange(StreamInfo& info);
  StreamTags Tags() const;
  double Position() const;
  bool SetPosition(double seconds);
  double Duration() const { return duration_.load(); }
  int32_t PlayState() const;
  bool Play();
  bool Pause();
  bool Stop();
  void SetStallTimeout(std::chrono::milliseconds timeout) { stallTimeoutMs_ = timeout.count(); }

 private:
  // One source from its start (or a seek) to its end, on the worker thread.
  struct Session {
    uint64_t id = 0;
    std::unique_ptr<MediaDecoder> decoder;
    std::unique_ptr<SoundProcessor> processor;
    SoundFormat format;
    float speed = 1.0f;      // of the last block processed
    GainTags gains;          // the source's ReplayGain tags
    SoundSettings rendered;  // the settings the processor was last given
    float gain = 1.0f;       // the volume of the frames last written
    bool decoderDone = false;  // the decoder said it has nothing more
    bool ended = false;      // nor has the processor: the source is all rendered
    bool silenced = false;   // paused by silencing the queue: the output holds that silence
    int64_t silenceFrom = 0; // the first frame of that silence
    int64_t heldAt = 0;      // the first frame written after it
    RenderQueue queue;
    std::vector<float> piece, block, processed;  // RenderBlock's buffers, kept for their capacity
  };

  SoundOutput* Output() const { return output_.load(); }
  bool EnsureOutput();
  void WorkerLoop();
  void CloseIdleStream(std::unique_lock<std::mutex>& lock);
  void RunSession(uint64_t session, const std::string& source, double start);
  bool OpenSession(Session& s, const std::string& source, double start);
  bool SeekSession(Session& s, double seconds);
  bool RenderBlock(Session& s);
  void ApplyChanges(Session& s, bool settingsChanged);
  void Rerender(Session& s, int64_t from, const SoundSettings& want);
  void WriteSome(Session& s, uint64_t epoch);
  bool WaitForTail(Session& s);
  void PauseSession(Session& s);
  void ResumeSession(Session& s);
  void SettlePause();
  void Forget(Session& s);
  int64_t InputFrameAt(const Session& s, int64_t outputFrame) const;
  void NoteStreamInfo(uint64_t session, const MediaDecoder& decoder);
  bool Cancelled(uint64_t session) const;
  float Gain() const;
  void EndSession(uint64_t session, MediaEvent event);

  OutputOpener openOutput_;
  std::unique_ptr<SoundOutput> ownedOutput_;  // opened by the worker at the first source
  std::atomic<SoundOutput*> output_{nullptr};
  std::shared_ptr<media_player::Events> events_;
  const MediaDecoder::Layout layout_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  bool workerDone_ = false;
  std::string source_;
  std::atomic<uint64_t> session_{0};   // bumped by every stop and start
  uint64_t startedSession_ = 0;        // the session the worker was last asked to run
  bool runRequested_ = false;
  bool opened_ = false;                // the current session's source is open
  bool streamOpen_ = false;            // frames were written since the output's stream last closed
  bool tailPlaying_ = false;           // a source ended; its last frames may still be heard
  State state_ = MediaPlayer::kStopped;
  double startPosition_ = 0;            // where the next start begins
  std::optional<double> pendingSeek_;
  // A pause on an output that does not pause exactly is carried out by the worker:
  // it silences the queue from a frame just ahead, requeues what follows and pauses
  // the output once the silence plays; the resume flushes that silence.
  bool sessionRunning_ = false;   // the worker is in a session and sees these
  bool pauseByWorker_ = false;    // the current pause goes through the worker
  bool pausePending_ = false;
  bool resumePending_ = false;
  SoundSettings settings_;
  bool settingsChanged_ = false;        // settings_ differs from what the queued frames were rendered with
  StreamInfo info_;
  std::deque<StreamInfo> infoChanges_;  // one per StreamInfoChanged not yet taken
  StreamTags tags_;
  mutable PlayTimeline timeline_;       // output frames to track seconds, under mutex_

  std::atomic<double> duration_{0};
  std::atomic<int32_t> volume_{0};
  std::atomic<bool> volumeChanged_{false};
  std::atomic<int64_t> stallTimeoutMs_{10000};

  std::thread worker_;
};
