#include "platform/media/MediaPlayer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/media/PlayTimeline.h"

namespace {

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

}  // namespace

// Everything the control's threads share. The worker thread holds a reference, so a
// worker that outlives its control finishes with valid state.
class MediaPlayer::Core : public std::enable_shared_from_this<MediaPlayer::Core> {
 public:
  using State = MediaPlayer::State;
  Core(MediaEventSink* sink, std::unique_ptr<SoundOutput> output, MediaDecoder::Layout layout);
  void Start();
  void Close();

  bool SetSource(const std::string& source);
  bool SetVolume(int32_t hundredthsOfDb);
  void SetSoundSettings(const SoundSettings& settings);
  StreamInfo Info() const;
  bool TakeInfoChange(StreamInfo& info);
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
    float speed = 1.0f;  // of the last block processed
  };

  void WorkerLoop();
  void CloseIdleStream(std::unique_lock<std::mutex>& lock);
  void RunSession(uint64_t session, const std::string& source, double start);
  bool OpenSession(Session& s, const std::string& source, double start);
  bool SeekSession(Session& s, double seconds);
  bool PrepareBlock(Session& s, std::vector<float>& block, std::vector<float>& processed);
  bool WriteBlock(Session& s, const std::vector<float>& block);
  void NoteStreamInfo(const MediaDecoder& decoder);
  bool Cancelled(uint64_t session) const;
  void ApplyGain(std::vector<float>& samples) const;
  void EndSession(uint64_t session, MediaEvent event);

  std::unique_ptr<SoundOutput> output_;
  std::shared_ptr<Events> events_;
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
  SoundSettings settings_;
  StreamInfo info_;
  std::deque<StreamInfo> infoChanges_;  // one per StreamInfoChanged not yet taken
  mutable PlayTimeline timeline_;       // output frames to track seconds, under mutex_

  std::atomic<double> duration_{0};
  std::atomic<int32_t> volume_{0};
  std::atomic<int64_t> stallTimeoutMs_{10000};

  std::thread worker_;
};

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink) {
  return Create(sink, OpenDefaultSoundOutput());
}

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output) {
  return Create(sink, std::move(output), MediaDecoder::Layout::kFixed);
}

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output,
                                                 MediaDecoder::Layout layout) {
  if (!output || !MediaDecoder::IsInstalled()) return nullptr;
  auto core = std::make_shared<Core>(sink, std::move(output), layout);
  core->Start();
  return std::unique_ptr<MediaPlayer>(new MediaPlayer(std::move(core)));
}

MediaPlayer::Core::Core(MediaEventSink* sink, std::unique_ptr<SoundOutput> output, MediaDecoder::Layout layout)
    : output_(std::move(output)), events_(std::make_shared<Events>()), layout_(layout) {
  events_->sink = sink;
}

void MediaPlayer::Core::Start() {
  std::thread events(Events::Run, events_);
  events_->thread = events.get_id();
  events.detach();
  worker_ = std::thread([self = shared_from_this()] {
    self->WorkerLoop();
    std::lock_guard lock(self->mutex_);
    self->workerDone_ = true;
    self->wake_.notify_all();
  });
}

void MediaPlayer::Core::Close() {
  bool workerDone = false;
  {
    std::unique_lock lock(mutex_);
    quit_ = true;
    ++session_;
    // The last frames of a source that ended are heard before the output goes; a
    // source still playing is cut off at once.
    if (!tailPlaying_) {
      output_->SetPaused(false);
      output_->Interrupt();
    }
    wake_.notify_all();
    workerDone = wake_.wait_for(lock, std::chrono::seconds(1), [&] { return workerDone_; });
    if (!workerDone) {
      output_->Interrupt();
      // Every wait of the worker is cut short at once except a name lookup, which
      // cannot be; the control does not wait that out.
      workerDone = wake_.wait_for(lock, std::chrono::seconds(2), [&] { return workerDone_; });
    }
  }
  if (workerDone) worker_.join();
  else worker_.detach();

  std::unique_lock lock(events_->mutex);
  events_->quit = true;
  events_->queue.clear();
  events_->sink = nullptr;
  events_->wake.notify_all();
  // A handler still running may be waiting for the very thread that destroys the
  // control (a synchronous message to the UI thread): wait a little, then leave the
  // event thread to finish on its own.
  if (std::this_thread::get_id() != events_->thread)
    events_->wake.wait_for(lock, std::chrono::seconds(2), [&] { return !events_->inSink; });
}

MediaPlayer::~MediaPlayer() { core_->Close(); }

bool MediaPlayer::Core::Cancelled(uint64_t session) const { return session_.load() != session; }

// Idle for kCloseDelay: the last frames have been heard, and the stream goes.
void MediaPlayer::Core::CloseIdleStream(std::unique_lock<std::mutex>& lock) {
  streamOpen_ = false;
  tailPlaying_ = false;
  const uint64_t epoch = output_->Epoch();
  lock.unlock();
  output_->Drain(epoch);
  output_->CloseStream();
  lock.lock();
}

void MediaPlayer::Core::WorkerLoop() {
  std::unique_lock lock(mutex_);
  auto requested = [&] { return quit_ || (runRequested_ && startedSession_ != session_.load()); };
  for (;;) {
    if (!wake_.wait_for(lock, MediaPlayer::kCloseDelay, requested)) {
      if (streamOpen_ && state_ == MediaPlayer::kStopped) CloseIdleStream(lock);
      continue;
    }
    if (quit_) {
      if (tailPlaying_) {
        const uint64_t epoch = output_->Epoch();
        lock.unlock();
        output_->Drain(epoch);
      }
      return;
    }
    const uint64_t session = session_.load();
    startedSession_ = session;
    const std::string source = source_;
    const double start = startPosition_;
    lock.unlock();
    RunSession(session, source, start);
    lock.lock();
  }
}

void MediaPlayer::Core::ApplyGain(std::vector<float>& samples) const {
  const int32_t volume = volume_.load();
  if (volume >= 0) return;
  if (volume <= MediaPlayer::kMinVolume) {
    std::fill(samples.begin(), samples.end(), 0.0f);
    return;
  }
  const float gain = std::pow(10.0f, float(volume) / 2000.0f);
  for (float& s : samples) s *= gain;
}

void MediaPlayer::Core::EndSession(uint64_t session, MediaEvent event) {
  {
    std::lock_guard lock(mutex_);
    if (session_.load() != session) return;  // stopped or restarted meanwhile: no event
    state_ = MediaPlayer::kStopped;
    startPosition_ = 0;
    runRequested_ = false;
    pendingSeek_.reset();
    tailPlaying_ = event == MediaEvent::EndOfStream;
  }
  events_->Post(event);
}

void MediaPlayer::Core::NoteStreamInfo(const MediaDecoder& decoder) {
  const StreamInfo info = decoder.Info();
  {
    std::lock_guard lock(mutex_);
    if (info == info_) return;
    info_ = info;
    if (infoChanges_.size() >= 16) infoChanges_.pop_front();
    infoChanges_.push_back(info);
  }
  events_->Post(MediaEvent::StreamInfoChanged);
}

bool MediaPlayer::Core::OpenSession(Session& s, const std::string& source, double start) {
  s.decoder = MediaDecoder::Create([this, id = s.id] { return Cancelled(id); },
                                   std::chrono::milliseconds(stallTimeoutMs_.load()), layout_);
  if (!s.decoder || !s.decoder->Open(source)) return false;
  const bool seeked = start > 0 && s.decoder->Seek(start);
  s.format = s.decoder->Format();
  {
    // The processing is loaded only when a setting needs it; the first block then
    // has the settings from its first sample.
    std::lock_guard lock(mutex_);
    if (layout_ == MediaDecoder::Layout::kNative && !settings_.Neutral())
      s.processor = SoundProcessor::Create(s.format);
  }
  // The stream keeps its format when the new source has the same (a gapless join);
  // otherwise the last source's frames are heard and the stream reopens.
  output_->SetFormat(s.format);
  std::lock_guard lock(mutex_);
  // A session stopped while it opened must not leave its length behind for the next source.
  if (session_.load() != s.id) return false;
  duration_ = s.decoder->Duration();
  opened_ = true;
  streamOpen_ = true;
  tailPlaying_ = false;
  s.speed = layout_ == MediaDecoder::Layout::kNative ? settings_.speed : 1.0f;
  timeline_.Reset(output_->WrittenFrames(), seeked ? start : 0.0, double(s.speed) / s.format.rate);
  if (state_ == MediaPlayer::kWaiting) state_ = MediaPlayer::kPlaying;
  return true;
}

bool MediaPlayer::Core::SeekSession(Session& s, double seconds) {
  // A source that cannot seek (a live stream) just plays on.
  if (!s.decoder->Seek(seconds)) return false;
  output_->Flush();
  if (s.processor) s.processor->Reset();
  std::lock_guard lock(mutex_);
  timeline_.Reset(output_->WrittenFrames(), seconds, double(s.speed) / s.format.rate);
  return true;
}

// The next block decoded, processed and at its volume; false at the end of the source.
bool MediaPlayer::Core::PrepareBlock(Session& s, std::vector<float>& block, std::vector<float>& processed) {
  if (!s.decoder->Next(block)) {
    if (!s.processor) return false;
    block.clear();
    s.processor->Finish(block);
    s.processor.reset();
    if (block.empty()) return false;
    ApplyGain(block);
    return true;
  }
  NoteStreamInfo(*s.decoder);
  if (layout_ != MediaDecoder::Layout::kNative) {
    ApplyGain(block);
    return true;
  }
  SoundSettings settings;
  {
    std::lock_guard lock(mutex_);
    settings = settings_;
    const float speed = std::clamp(settings.speed, 0.5f, 2.0f);
    if (speed != s.speed) {
      s.speed = speed;
      timeline_.Change(output_->WrittenFrames(), double(speed) / s.format.rate);
    }
  }
  if (!s.processor && !settings.Neutral()) {
    // Needed from the middle of a track on: it starts from neutral settings and
    // ramps to the new ones, as any later change does.
    s.processor = SoundProcessor::Create(s.format);
    if (s.processor) s.processor->Process({}, processed);
  }
  if (s.processor) {
    s.processor->SetSettings(settings);
    s.processor->Process(block, processed);
    block.swap(processed);
  }
  ApplyGain(block);
  return true;
}

void MediaPlayer::Core::RunSession(uint64_t session, const std::string& source, double start) {
  Session s;
  s.id = session;
  if (!OpenSession(s, source, start)) {
    if (!Cancelled(session)) EndSession(session, MediaEvent::OpenFailed);
    return;
  }
  NoteStreamInfo(*s.decoder);
  const size_t channels = size_t(s.format.channels);
  std::vector<float> block, processed;
  size_t offset = 0;  // frames of block already written
  for (;;) {
    const uint64_t epoch = output_->Epoch();
    std::optional<double> seek;
    {
      std::lock_guard lock(mutex_);
      if (session_.load() != session) break;
      seek = pendingSeek_;
    }
    if (seek) {
      if (SeekSession(s, *seek)) {
        block.clear();
        offset = 0;
      }
      // Until here the position reads as the seek target; a newer target stays pending.
      std::lock_guard lock(mutex_);
      if (pendingSeek_ == seek) pendingSeek_.reset();
      continue;
    }
    if (offset * channels >= block.size()) {
      if (!PrepareBlock(s, block, processed)) {
        if (Cancelled(session)) break;
        // All of it is with the output; the next source may follow right away.
        EndSession(session, MediaEvent::EndOfStream);
        return;
      }
      offset = 0;
    }
    const size_t frames = block.size() / channels - offset;
    offset += output_->Write(block.data() + offset * channels, frames, epoch);
  }
  output_->Flush();
}

bool MediaPlayer::Core::SetSource(const std::string& source) {
  Stop();
  std::lock_guard lock(mutex_);
  source_ = source;
  startPosition_ = 0;
  duration_ = 0;
  info_ = StreamInfo{};
  infoChanges_.clear();
  return true;
}

bool MediaPlayer::Core::SetVolume(int32_t hundredthsOfDb) {
  volume_ = std::clamp(hundredthsOfDb, MediaPlayer::kMinVolume, 0);
  return true;
}

void MediaPlayer::Core::SetSoundSettings(const SoundSettings& settings) {
  std::lock_guard lock(mutex_);
  settings_ = settings;
}

StreamInfo MediaPlayer::Core::Info() const {
  std::lock_guard lock(mutex_);
  return info_;
}

bool MediaPlayer::Core::TakeInfoChange(StreamInfo& info) {
  std::lock_guard lock(mutex_);
  if (infoChanges_.empty()) return false;
  info = infoChanges_.front();
  infoChanges_.pop_front();
  return true;
}

double MediaPlayer::Core::Position() const {
  std::lock_guard lock(mutex_);
  if (pendingSeek_) return *pendingSeek_;
  // Until the source is open (also when paused meanwhile) nothing of it has been heard.
  if (state_ == MediaPlayer::kStopped || !opened_) return startPosition_;
  const int64_t played = output_->PlayedFrames();
  timeline_.Forget(played);
  double seconds = timeline_.At(played);
  const double duration = duration_.load();
  if (duration > 0) seconds = std::min(seconds, duration);
  return seconds;
}

bool MediaPlayer::Core::SetPosition(double seconds) {
  if (!std::isfinite(seconds)) return false;
  seconds = std::max(0.0, seconds);
  {
    std::lock_guard lock(mutex_);
    if (state_ == MediaPlayer::kStopped) {
      startPosition_ = seconds;
      return true;
    }
    pendingSeek_ = seconds;
  }
  output_->Interrupt();
  return true;
}

int32_t MediaPlayer::Core::PlayState() const {
  std::lock_guard lock(mutex_);
  return state_;
}

bool MediaPlayer::Core::Play() {
  std::lock_guard lock(mutex_);
  if (state_ == MediaPlayer::kPaused) {
    state_ = MediaPlayer::kPlaying;
    output_->SetPaused(false);
    return true;
  }
  if (state_ != MediaPlayer::kStopped) return true;
  if (source_.empty()) return false;
  ++session_;
  runRequested_ = true;
  opened_ = false;
  state_ = MediaPlayer::kWaiting;
  pendingSeek_.reset();
  wake_.notify_all();
  return true;
}

bool MediaPlayer::Core::Pause() {
  std::lock_guard lock(mutex_);
  if (state_ != MediaPlayer::kPlaying && state_ != MediaPlayer::kWaiting) return false;
  state_ = MediaPlayer::kPaused;
  output_->SetPaused(true);
  return true;
}

bool MediaPlayer::Core::Stop() {
  std::lock_guard lock(mutex_);
  const bool active = state_ != MediaPlayer::kStopped;
  ++session_;
  runRequested_ = false;
  state_ = MediaPlayer::kStopped;
  startPosition_ = 0;
  pendingSeek_.reset();
  // After a source's natural end its last frames play on, so a next source joins
  // them without a gap; a source still playing is cut off.
  if (active) {
    tailPlaying_ = false;
    output_->SetPaused(false);
    output_->Interrupt();
  }
  wake_.notify_all();
  return true;
}

bool MediaPlayer::SetSource(const std::string& source) { return core_->SetSource(source); }
bool MediaPlayer::SetVolume(int32_t hundredthsOfDb) { return core_->SetVolume(hundredthsOfDb); }
void MediaPlayer::SetSoundSettings(const SoundSettings& settings) { core_->SetSoundSettings(settings); }
StreamInfo MediaPlayer::Info() const { return core_->Info(); }
bool MediaPlayer::TakeInfoChange(StreamInfo& info) { return core_->TakeInfoChange(info); }
double MediaPlayer::Position() const { return core_->Position(); }
bool MediaPlayer::SetPosition(double seconds) { return core_->SetPosition(seconds); }
double MediaPlayer::Duration() const { return core_->Duration(); }
int32_t MediaPlayer::PlayState() const { return core_->PlayState(); }
bool MediaPlayer::Play() { return core_->Play(); }
bool MediaPlayer::Pause() { return core_->Pause(); }
bool MediaPlayer::Stop() { return core_->Stop(); }
void MediaPlayer::SetStallTimeout(std::chrono::milliseconds timeout) { core_->SetStallTimeout(timeout); }
