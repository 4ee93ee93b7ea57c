#include "platform/media/MediaPlayer.h"

#include <algorithm>
#include <cmath>

#include "platform/media/MediaPlayerCore.h"

using media_player::Events;

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink) {
  return Create(sink, MediaDecoder::Layout::kFixed);
}

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink, MediaDecoder::Layout layout) {
  // The output itself opens with the first source; until then only whether one can.
  if (!DefaultSoundOutputAvailable() || !MediaDecoder::IsInstalled()) return nullptr;
  auto core = std::make_shared<Core>(sink, OpenDefaultSoundOutput, layout);
  core->Start();
  return std::unique_ptr<MediaPlayer>(new MediaPlayer(std::move(core)));
}

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output) {
  return Create(sink, std::move(output), MediaDecoder::Layout::kFixed);
}

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output,
                                                 MediaDecoder::Layout layout) {
  if (!output || !MediaDecoder::IsInstalled()) return nullptr;
  auto shared = std::make_shared<std::unique_ptr<SoundOutput>>(std::move(output));
  auto core = std::make_shared<Core>(sink, [shared] { return std::move(*shared); }, layout);
  core->Start();
  return std::unique_ptr<MediaPlayer>(new MediaPlayer(std::move(core)));
}

MediaPlayer::Core::Core(MediaEventSink* sink, OutputOpener openOutput, MediaDecoder::Layout layout)
    : openOutput_(std::move(openOutput)), events_(std::make_shared<Events>()), layout_(layout) {
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
    SoundOutput* output = Output();
    if (!tailPlaying_ && output) {
      output->SetPaused(false);
      output->Interrupt();
    }
    wake_.notify_all();
    workerDone = wake_.wait_for(lock, std::chrono::seconds(1), [&] { return workerDone_; });
    if (!workerDone) {
      if ((output = Output())) output->Interrupt();
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

// Opens the sound output when the first source plays (on the worker: connecting to
// a sound server may take a while), in the paused state the player is in.
bool MediaPlayer::Core::EnsureOutput() {
  if (Output()) return true;
  std::unique_ptr<SoundOutput> output = openOutput_ ? openOutput_() : nullptr;
  if (!output) return false;
  std::lock_guard lock(mutex_);
  ownedOutput_ = std::move(output);
  if (state_ == MediaPlayer::kPaused) ownedOutput_->SetPaused(true);
  output_ = ownedOutput_.get();
  return true;
}

// Idle for kCloseDelay: the last frames have been heard, and the stream goes.
void MediaPlayer::Core::CloseIdleStream(std::unique_lock<std::mutex>& lock) {
  streamOpen_ = false;
  tailPlaying_ = false;
  SoundOutput* output = Output();
  const uint64_t epoch = output->Epoch();
  lock.unlock();
  output->Drain(epoch);
  output->CloseStream();
  lock.lock();
}

void MediaPlayer::Core::WorkerLoop() {
  std::unique_lock lock(mutex_);
  auto requested = [&] { return quit_ || (runRequested_ && startedSession_ != session_.load()); };
  for (;;) {
    // Idle with no stream, the worker sleeps until asked for something.
    if (!streamOpen_) {
      wake_.wait(lock, requested);
    } else if (!wake_.wait_for(lock, MediaPlayer::kCloseDelay, requested)) {
      if (state_ == MediaPlayer::kStopped) CloseIdleStream(lock);
      continue;
    }
    if (quit_) {
      if (tailPlaying_ && Output()) {
        const uint64_t epoch = Output()->Epoch();
        lock.unlock();
        Output()->Drain(epoch);
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

float MediaPlayer::Core::Gain() const {
  const int32_t volume = volume_.load();
  if (volume >= 0) return 1.0f;
  if (volume <= MediaPlayer::kMinVolume) return 0.0f;
  return std::pow(10.0f, float(volume) / 2000.0f);
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

void MediaPlayer::Core::NoteStreamInfo(uint64_t session, const MediaDecoder& decoder) {
  const StreamInfo info = decoder.Info();
  StreamTags tags = decoder.Tags();
  bool infoChanged = false;
  bool tagsChanged = false;
  {
    std::lock_guard lock(mutex_);
    // A session stopped meanwhile must not speak for the next source.
    if (session_.load() != session) return;
    if (info != info_) {
      info_ = info;
      if (infoChanges_.size() >= 16) infoChanges_.pop_front();
      infoChanges_.push_back(info);
      infoChanged = true;
    }
    if (tags != tags_) {
      tags_ = std::move(tags);
      tagsChanged = true;
    }
  }
  if (infoChanged) events_->Post(MediaEvent::StreamInfoChanged);
  // Only the latest tags matter: a handler that runs late reads them then.
  if (tagsChanged) events_->Post(MediaEvent::TagsChanged);
}

bool MediaPlayer::Core::SetSource(const std::string& source) {
  Stop();
  std::lock_guard lock(mutex_);
  source_ = source;
  startPosition_ = 0;
  duration_ = 0;
  info_ = StreamInfo{};
  infoChanges_.clear();
  tags_ = StreamTags{};
  return true;
}

bool MediaPlayer::Core::SetVolume(int32_t hundredthsOfDb) {
  const int32_t volume = std::clamp(hundredthsOfDb, MediaPlayer::kMinVolume, 0);
  if (volume_.exchange(volume) == volume) return true;
  {
    std::lock_guard lock(mutex_);
    volumeChanged_ = true;
  }
  wake_.notify_all();
  if (SoundOutput* output = Output()) output->Nudge();
  return true;
}

void MediaPlayer::Core::SetSoundSettings(const SoundSettings& settings) {
  {
    std::lock_guard lock(mutex_);
    if (settings == settings_) return;
    settings_ = settings;
    settingsChanged_ = true;
  }
  wake_.notify_all();
  if (SoundOutput* output = Output()) output->Nudge();
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

StreamTags MediaPlayer::Core::Tags() const {
  std::lock_guard lock(mutex_);
  return tags_;
}

double MediaPlayer::Core::Position() const {
  std::lock_guard lock(mutex_);
  if (pendingSeek_) return *pendingSeek_;
  // Until the source is open (also when paused meanwhile) nothing of it has been heard.
  if (state_ == MediaPlayer::kStopped || !opened_) return startPosition_;
  SoundOutput* output = Output();
  if (!output) return startPosition_;
  const int64_t played = output->PlayedFrames();
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
  wake_.notify_all();
  if (SoundOutput* output = Output()) output->Interrupt();
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
    SoundOutput* output = Output();
    if (pauseByWorker_) {
      resumePending_ = true;
      if (output) output->Nudge();
    } else if (output) {
      output->SetPaused(false);
    }
    wake_.notify_all();
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
  SoundOutput* output = Output();
  if (output && sessionRunning_ && !output->PausesExactly()) {
    pauseByWorker_ = true;
    pausePending_ = true;
    resumePending_ = false;
    output->Nudge();
    wake_.notify_all();
  } else if (output) {
    output->SetPaused(true);
  }
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
  pauseByWorker_ = pausePending_ = resumePending_ = false;
  if (active) {
    tailPlaying_ = false;
    if (SoundOutput* output = Output()) {
      output->SetPaused(false);
      output->Interrupt();
    }
  }
  wake_.notify_all();
  return true;
}

bool MediaPlayer::SetSource(const std::string& source) { return core_->SetSource(source); }
bool MediaPlayer::SetVolume(int32_t hundredthsOfDb) { return core_->SetVolume(hundredthsOfDb); }
void MediaPlayer::SetSoundSettings(const SoundSettings& settings) { core_->SetSoundSettings(settings); }
StreamInfo MediaPlayer::Info() const { return core_->Info(); }
bool MediaPlayer::TakeInfoChange(StreamInfo& info) { return core_->TakeInfoChange(info); }
StreamTags MediaPlayer::Tags() const { return core_->Tags(); }
double MediaPlayer::Position() const { return core_->Position(); }
bool MediaPlayer::SetPosition(double seconds) { return core_->SetPosition(seconds); }
double MediaPlayer::Duration() const { return core_->Duration(); }
int32_t MediaPlayer::PlayState() const { return core_->PlayState(); }
bool MediaPlayer::Play() { return core_->Play(); }
bool MediaPlayer::Pause() { return core_->Pause(); }
bool MediaPlayer::Stop() { return core_->Stop(); }
void MediaPlayer::SetStallTimeout(std::chrono::milliseconds timeout) { core_->SetStallTimeout(timeout); }

