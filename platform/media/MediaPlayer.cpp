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

#include "platform/media/MediaDecoder.h"

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
  Core(MediaEventSink* sink, std::unique_ptr<SoundOutput> output);
  void Start();
  void Close();

  bool SetSource(const std::string& source);
  bool SetVolume(int32_t hundredthsOfDb);
  double Position() const;
  bool SetPosition(double seconds);
  double Duration() const { return duration_.load(); }
  int32_t PlayState() const;
  bool Play();
  bool Pause();
  bool Stop();
  void SetStallTimeout(std::chrono::milliseconds timeout) { stallTimeoutMs_ = timeout.count(); }

 private:
  void WorkerLoop();
  void RunSession(uint64_t session, const std::string& source, double start);
  bool Cancelled(uint64_t session) const;
  void ApplyGain(std::vector<int16_t>& samples) const;
  void EndSession(uint64_t session, MediaEvent event);

  std::unique_ptr<SoundOutput> output_;
  std::shared_ptr<Events> events_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  bool workerDone_ = false;
  std::string source_;
  std::atomic<uint64_t> session_{0};   // bumped by every stop and start
  uint64_t startedSession_ = 0;        // the session the worker was last asked to run
  bool runRequested_ = false;
  bool opened_ = false;                // the current session's source is open
  State state_ = MediaPlayer::kStopped;
  double startPosition_ = 0;            // where the next start begins
  std::optional<double> pendingSeek_;

  std::atomic<double> duration_{0};
  std::atomic<int64_t> sessionStartFrame_{0};  // output frame the session's samples start at
  std::atomic<int64_t> basePlayed_{0};         // output's played frames where those samples start
  std::atomic<int32_t> volume_{0};
  std::atomic<int64_t> stallTimeoutMs_{10000};

  std::thread worker_;
};

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink) {
  return Create(sink, OpenDefaultSoundOutput());
}

std::unique_ptr<MediaPlayer> MediaPlayer::Create(MediaEventSink* sink, std::unique_ptr<SoundOutput> output) {
  if (!output || !MediaDecoder::IsInstalled()) return nullptr;
  auto core = std::make_shared<Core>(sink, std::move(output));
  core->Start();
  return std::unique_ptr<MediaPlayer>(new MediaPlayer(std::move(core)));
}

MediaPlayer::Core::Core(MediaEventSink* sink, std::unique_ptr<SoundOutput> output)
    : output_(std::move(output)), events_(std::make_shared<Events>()) {
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
    output_->SetPaused(false);
    output_->Interrupt();
    wake_.notify_all();
    // Every wait of the worker is cut short at once except a name lookup, which
    // cannot be; the control does not wait that out.
    workerDone = wake_.wait_for(lock, std::chrono::seconds(2), [&] { return workerDone_; });
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

void MediaPlayer::Core::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return quit_ || (runRequested_ && startedSession_ != session_.load()); });
    if (quit_) return;
    const uint64_t session = session_.load();
    startedSession_ = session;
    const std::string source = source_;
    const double start = startPosition_;
    lock.unlock();
    RunSession(session, source, start);
    lock.lock();
  }
}

void MediaPlayer::Core::ApplyGain(std::vector<int16_t>& samples) const {
  const int32_t volume = volume_.load();
  if (volume >= 0) return;
  if (volume <= MediaPlayer::kMinVolume) {
    std::fill(samples.begin(), samples.end(), int16_t(0));
    return;
  }
  const float gain = std::pow(10.0f, float(volume) / 2000.0f);
  for (int16_t& s : samples) s = int16_t(std::lrint(float(s) * gain));
}

void MediaPlayer::Core::EndSession(uint64_t session, MediaEvent event) {
  {
    std::lock_guard lock(mutex_);
    if (session_.load() != session) return;  // stopped or restarted meanwhile: no event
    state_ = MediaPlayer::kStopped;
    startPosition_ = 0;
    runRequested_ = false;
    pendingSeek_.reset();
  }
  events_->Post(event);
}

void MediaPlayer::Core::RunSession(uint64_t session, const std::string& source, double start) {
  const std::unique_ptr<MediaDecoder> decoder = MediaDecoder::Create(
      [this, session] { return Cancelled(session); }, std::chrono::milliseconds(stallTimeoutMs_.load()));
  if (!decoder || !decoder->Open(source)) {
    EndSession(session, MediaEvent::OpenFailed);
    return;
  }
  const bool seeked = start > 0 && decoder->Seek(start);
  {
    // A session stopped while it opened must not leave its length behind for the next source.
    std::lock_guard lock(mutex_);
    if (session_.load() != session) return;
    duration_ = decoder->Duration();
    opened_ = true;
    basePlayed_ = output_->PlayedFrames();
    sessionStartFrame_ = seeked ? std::llround(start * SoundOutput::kRate) : 0;
    if (state_ == MediaPlayer::kWaiting) state_ = MediaPlayer::kPlaying;
  }

  std::vector<int16_t> block;
  size_t offset = 0;  // frames of block already written
  bool atEnd = false;
  for (;;) {
    const uint64_t epoch = output_->Epoch();
    std::optional<double> seek;
    {
      std::lock_guard lock(mutex_);
      if (session_.load() != session) break;
      seek = pendingSeek_;
    }
    if (seek) {
      // A source that cannot seek (a live stream) just plays on.
      if (decoder->Seek(*seek)) {
        output_->Flush();
        block.clear();
        offset = 0;
        atEnd = false;
        basePlayed_ = output_->PlayedFrames();
        sessionStartFrame_ = std::llround(*seek * SoundOutput::kRate);
      }
      // Until here the position reads as the seek target; a newer target stays pending.
      std::lock_guard lock(mutex_);
      if (pendingSeek_ == seek) pendingSeek_.reset();
      continue;
    }
    if (atEnd) {
      // Everything decoded is heard before the end is reported; a stop or a seek
      // meanwhile interrupts the wait.
      if (output_->Drain(epoch)) {
        EndSession(session, MediaEvent::EndOfStream);
        return;
      }
      continue;
    }
    if (offset * SoundOutput::kChannels >= block.size()) {
      if (!decoder->Next(block)) {
        if (Cancelled(session)) break;
        atEnd = true;
        continue;
      }
      offset = 0;
      ApplyGain(block);
    }
    const size_t frames = block.size() / SoundOutput::kChannels - offset;
    offset += output_->Write(block.data() + offset * SoundOutput::kChannels, frames, epoch);
  }
  output_->Flush();
}

bool MediaPlayer::Core::SetSource(const std::string& source) {
  Stop();
  std::lock_guard lock(mutex_);
  source_ = source;
  startPosition_ = 0;
  duration_ = 0;
  return true;
}

bool MediaPlayer::Core::SetVolume(int32_t hundredthsOfDb) {
  volume_ = std::clamp(hundredthsOfDb, MediaPlayer::kMinVolume, 0);
  return true;
}

double MediaPlayer::Core::Position() const {
  std::lock_guard lock(mutex_);
  if (pendingSeek_) return *pendingSeek_;
  // Until the source is open (also when paused meanwhile) nothing of it has been heard.
  if (state_ == MediaPlayer::kStopped || !opened_) return startPosition_;
  const int64_t start = sessionStartFrame_.load();
  const int64_t heard = std::max<int64_t>(0, output_->PlayedFrames() - basePlayed_.load());
  double seconds = double(start + heard) / SoundOutput::kRate;
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
  ++session_;
  runRequested_ = false;
  state_ = MediaPlayer::kStopped;
  startPosition_ = 0;
  pendingSeek_.reset();
  output_->SetPaused(false);
  output_->Interrupt();
  return true;
}

bool MediaPlayer::SetSource(const std::string& source) { return core_->SetSource(source); }
bool MediaPlayer::SetVolume(int32_t hundredthsOfDb) { return core_->SetVolume(hundredthsOfDb); }
double MediaPlayer::Position() const { return core_->Position(); }
bool MediaPlayer::SetPosition(double seconds) { return core_->SetPosition(seconds); }
double MediaPlayer::Duration() const { return core_->Duration(); }
int32_t MediaPlayer::PlayState() const { return core_->PlayState(); }
bool MediaPlayer::Play() { return core_->Play(); }
bool MediaPlayer::Pause() { return core_->Pause(); }
bool MediaPlayer::Stop() { return core_->Stop(); }
void MediaPlayer::SetStallTimeout(std::chrono::milliseconds timeout) { core_->SetStallTimeout(timeout); }
