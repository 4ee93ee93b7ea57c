#include "platform/media/MediaPlayer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/media/PlayTimeline.h"
#include "platform/media/RenderQueue.h"

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
  using OutputOpener = std::function<std::unique_ptr<SoundOutput>()>;
  Core(MediaEventSink* sink, OutputOpener openOutput, MediaDecoder::Layout layout);
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
    float speed = 1.0f;      // of the last block processed
    SoundSettings rendered;  // the settings the processor was last given
    float gain = 1.0f;       // the volume of the frames last written
    bool ended = false;      // the decoder has nothing more
    RenderQueue queue;
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
  void Forget(Session& s);
  int64_t InputFrameAt(const Session& s, int64_t outputFrame) const;
  void NoteStreamInfo(const MediaDecoder& decoder);
  bool Cancelled(uint64_t session) const;
  float Gain() const;
  void EndSession(uint64_t session, MediaEvent event);

  OutputOpener openOutput_;
  std::unique_ptr<SoundOutput> ownedOutput_;  // opened by the worker at the first source
  std::atomic<SoundOutput*> output_{nullptr};
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
  bool settingsChanged_ = false;        // settings_ differs from what the queued frames were rendered with
  StreamInfo info_;
  std::deque<StreamInfo> infoChanges_;  // one per StreamInfoChanged not yet taken
  mutable PlayTimeline timeline_;       // output frames to track seconds, under mutex_

  std::atomic<double> duration_{0};
  std::atomic<int32_t> volume_{0};
  std::atomic<bool> volumeChanged_{false};
  std::atomic<int64_t> stallTimeoutMs_{10000};

  std::thread worker_;
};

namespace {
// A change is rendered again from this far ahead of what the device has played:
// time enough to render and hand it over before the device gets there.
constexpr int kRewriteMarginMs = 30;
// Decoded frames before a rewrite's start that the filters see first, so their
// state has settled when the rewritten frames begin.
constexpr int kPrerollMs = 100;
constexpr size_t kGainRampFrames = 256;
// The end of a source is reported when this much of it is left to hear: time
// enough for the next source to open and follow without a gap.
constexpr int kEndLeadMs = 300;

// Scales frames by a gain that moves from `from` to `to` over their first frames.
void ApplyGain(float* samples, size_t frames, size_t channels, float from, float to) {
  if (from == 1.0f && to == 1.0f) return;
  const size_t ramp = from == to ? 0 : std::min(frames, kGainRampFrames);
  for (size_t f = 0; f < frames; ++f) {
    const float gain = f < ramp ? from + (to - from) * float(f + 1) / float(ramp) : to;
    for (size_t c = 0; c < channels; ++c) samples[f * channels + c] *= gain;
  }
}

float ClampedSpeed(const SoundSettings& s) { return std::clamp(s.speed, 0.5f, 2.0f); }
}  // namespace

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
  if (!EnsureOutput()) return false;
  SoundOutput* output = Output();
  const bool seeked = start > 0 && s.decoder->Seek(start);
  s.format = s.decoder->Format();
  {
    // The processing is loaded only when a setting needs it; the first block then
    // has the settings from its first sample.
    std::lock_guard lock(mutex_);
    s.rendered = settings_;
    settingsChanged_ = false;
    if (layout_ == MediaDecoder::Layout::kNative && !settings_.Neutral())
      s.processor = SoundProcessor::Create(s.format);
  }
  // The stream keeps its format when the new source has the same (a gapless join);
  // otherwise the last source's frames are heard and the stream reopens.
  output->SetFormat(s.format);
  std::lock_guard lock(mutex_);
  // A session stopped while it opened must not leave its length behind for the next source.
  if (session_.load() != s.id) return false;
  duration_ = s.decoder->Duration();
  opened_ = true;
  streamOpen_ = true;
  tailPlaying_ = false;
  s.speed = layout_ == MediaDecoder::Layout::kNative ? ClampedSpeed(settings_) : 1.0f;
  s.gain = Gain();
  volumeChanged_ = false;
  const int64_t written = output->WrittenFrames();
  s.queue.Start(size_t(s.format.channels), written, seeked ? std::llround(start * s.format.rate) : 0);
  timeline_.Reset(written, seeked ? start : 0.0, double(s.speed) / s.format.rate);
  if (state_ == MediaPlayer::kWaiting) state_ = MediaPlayer::kPlaying;
  return true;
}

bool MediaPlayer::Core::SeekSession(Session& s, double seconds) {
  // A source that cannot seek (a live stream) just plays on.
  if (!s.decoder->Seek(seconds)) return false;
  SoundOutput* output = Output();
  output->Flush();
  if (s.processor) s.processor->Reset();
  s.ended = false;
  std::lock_guard lock(mutex_);
  const int64_t written = output->WrittenFrames();
  s.queue.Start(size_t(s.format.channels), written, std::llround(seconds * s.format.rate));
  timeline_.Reset(written, seconds, double(s.speed) / s.format.rate);
  return true;
}

// The track sample heard at an output frame.
int64_t MediaPlayer::Core::InputFrameAt(const Session& s, int64_t outputFrame) const {
  std::lock_guard lock(mutex_);
  return std::llround(timeline_.At(outputFrame) * s.format.rate);
}

// Decodes and renders the next block into the queue; false when the source has
// nothing more.
bool MediaPlayer::Core::RenderBlock(Session& s) {
  if (s.ended) return false;
  std::vector<float> block, processed;
  if (!s.decoder->Next(block)) {
    s.ended = true;
    if (!s.processor) return false;
    s.processor->Finish(processed);
    s.processor.reset();
    s.queue.AddOutput(processed);
    return !processed.empty();
  }
  NoteStreamInfo(*s.decoder);
  if (layout_ != MediaDecoder::Layout::kNative) {
    s.queue.AddOutput(block);
    return true;
  }
  s.queue.AddInput(block);
  {
    // A change not yet applied to the queue waits for ApplyChanges, which renders
    // the queued frames and these alike.
    std::lock_guard lock(mutex_);
    if (!settingsChanged_) s.rendered = settings_;
    const float speed = ClampedSpeed(s.rendered);
    if (speed != s.speed) {
      s.speed = speed;
      timeline_.Change(s.queue.OutputEnd(), double(speed) / s.format.rate);
    }
  }
  if (!s.processor && !s.rendered.Neutral()) {
    // Needed from the middle of a track on: it starts from neutral settings and
    // ramps to the new ones, as any later change does.
    s.processor = SoundProcessor::Create(s.format);
    if (s.processor) s.processor->Process({}, processed);
  }
  if (s.processor) {
    s.processor->SetSettings(s.rendered);
    s.processor->Process(block, processed);
    block.swap(processed);
  }
  s.queue.AddOutput(block);
  return true;
}

// Renders the queue again from output frame `from` on with new settings: fresh
// filters see the decoded frames just before `from` with the old settings, then
// ramp to the new ones from `from` on.
void MediaPlayer::Core::Rerender(Session& s, int64_t from, const SoundSettings& want) {
  RenderQueue& q = s.queue;
  const int64_t inFrom = std::clamp(InputFrameAt(s, from), q.InputStart(), q.InputEnd());
  const float oldSpeed = s.processor ? ClampedSpeed(s.rendered) : 1.0f;
  std::unique_ptr<SoundProcessor> processor;
  if (s.processor || !want.Neutral()) processor = SoundProcessor::Create(s.format);
  std::vector<float> in, out;
  if (processor) {
    processor->SetSettings(s.rendered);
    const int64_t preroll = std::min<int64_t>(s.format.rate * kPrerollMs / 1000, inFrom - q.InputStart());
    in.assign(q.InputAt(inFrom - preroll), q.InputAt(inFrom));
    processor->Process(in, out);
    // The frames the pre-roll stands for at the old speed are dropped, also those
    // a time stretcher hands out only later.
    int64_t drop = std::llround(double(preroll) / oldSpeed) - int64_t(out.size() / q.Channels());
    processor->SetSettings(want);
    in.assign(q.InputAt(inFrom), q.InputAt(q.InputEnd()));
    processor->Process(in, out);
    drop = std::clamp<int64_t>(drop, 0, int64_t(out.size() / q.Channels()));
    out.erase(out.begin(), out.begin() + std::ptrdiff_t(size_t(drop) * q.Channels()));
  } else {
    out.assign(q.InputAt(inFrom), q.InputAt(q.InputEnd()));
  }
  s.processor = std::move(processor);
  s.rendered = want;
  {
    std::lock_guard lock(mutex_);
    s.speed = s.processor ? ClampedSpeed(want) : 1.0f;
    timeline_.Cut(from);
    timeline_.Change(from, double(s.speed) / s.format.rate);
  }
  q.CutOutput(from);
  q.AddOutput(out);
  // Everything the output holds is replaced: at a higher speed that takes more.
  while (q.OutputEnd() < q.Sent() && RenderBlock(s)) {}
  if (q.OutputEnd() < q.Sent()) q.AddSilence(size_t(q.Sent() - q.OutputEnd()));
}

// A volume or setting changed: what the output holds and has not played yet is
// rendered again and written over, so the change is heard at once.
void MediaPlayer::Core::ApplyChanges(Session& s, bool settingsChanged) {
  SoundOutput* output = Output();
  SoundSettings want;
  {
    std::lock_guard lock(mutex_);
    want = settings_;
    settingsChanged_ = false;
  }
  RenderQueue& q = s.queue;
  const int64_t played = output->MeasurePlayedFrames();
  const int64_t from =
      std::clamp(played + int64_t(s.format.rate) * kRewriteMarginMs / 1000, q.OutputStart(), q.OutputEnd());
  if (settingsChanged && layout_ == MediaDecoder::Layout::kNative && !(want == s.rendered)) Rerender(s, from, want);
  const float gain = Gain();
  if (from < q.Sent()) {
    const size_t frames = size_t(q.Sent() - from);
    std::vector<float> samples(q.OutputAt(from), q.OutputAt(q.Sent()));
    ApplyGain(samples.data(), frames, q.Channels(), s.gain, gain);
    output->Rewrite(from, samples.data(), frames);
  }
  s.gain = gain;
}

void MediaPlayer::Core::WriteSome(Session& s, uint64_t epoch) {
  RenderQueue& q = s.queue;
  std::vector<float> samples(q.OutputAt(q.Sent()), q.OutputAt(q.OutputEnd()));
  ApplyGain(samples.data(), q.Unsent(), q.Channels(), s.gain, s.gain);
  q.MarkSent(Output()->Write(samples.data(), q.Unsent(), epoch));
}

// Waits while the output holds more than the last kEndLeadMs of the source; false
// when something asks for the worker first (a change, a seek, a stop). Timed by the
// clock from one measurement: a sound server reports the last frames of a stream
// that ran dry as never quite played. Paused, it sleeps until playback resumes.
bool MediaPlayer::Core::WaitForTail(Session& s) {
  std::unique_lock lock(mutex_);
  auto asked = [&] { return Cancelled(s.id) || pendingSeek_ || settingsChanged_ || volumeChanged_.load(); };
  while (state_ == MediaPlayer::kPaused && !asked()) wake_.wait(lock);
  if (asked()) return false;
  lock.unlock();
  const int64_t left = s.queue.Sent() - Output()->MeasurePlayedFrames();
  lock.lock();
  const int64_t lead = int64_t(s.format.rate) * kEndLeadMs / 1000;
  if (left <= lead) return true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds((left - lead) * 1000000 / s.format.rate);
  // A pause meanwhile starts the wait afresh once playback resumes.
  return !wake_.wait_until(lock, until, [&] { return asked() || state_ == MediaPlayer::kPaused; });
}

// Forgets the frames that were heard, keeping the pre-roll a rewrite needs.
void MediaPlayer::Core::Forget(Session& s) {
  const int64_t played = Output()->PlayedFrames();
  const int64_t keepInput =
      layout_ == MediaDecoder::Layout::kNative ? InputFrameAt(s, played) - s.format.rate * kPrerollMs / 500 : played;
  s.queue.DropBefore(played, keepInput, s.format.rate / 2);
}

void MediaPlayer::Core::RunSession(uint64_t session, const std::string& source, double start) {
  Session s;
  s.id = session;
  if (!OpenSession(s, source, start)) {
    if (!Cancelled(session)) EndSession(session, MediaEvent::OpenFailed);
    return;
  }
  NoteStreamInfo(*s.decoder);
  SoundOutput* output = Output();
  for (;;) {
    const uint64_t epoch = output->Epoch();
    std::optional<double> seek;
    bool settingsChanged = false;
    {
      std::lock_guard lock(mutex_);
      if (session_.load() != session) break;
      seek = pendingSeek_;
      settingsChanged = settingsChanged_;
    }
    if (seek) {
      SeekSession(s, *seek);
      // Until here the position reads as the seek target; a newer target stays pending.
      std::lock_guard lock(mutex_);
      if (pendingSeek_ == seek) pendingSeek_.reset();
      continue;
    }
    if (volumeChanged_.exchange(false) || settingsChanged) {
      ApplyChanges(s, settingsChanged);
      continue;
    }
    // Whole pieces of the output's size: fewer, larger writes.
    while (s.queue.Unsent() < output->PreferredWriteFrames() && RenderBlock(s)) {
      if (Cancelled(session)) break;
    }
    if (s.queue.Unsent() == 0) {
      if (Cancelled(session)) break;
      // All of it is with the output; once the queue has played down to its last
      // fraction of a second, the next source may follow without a gap.
      if (!WaitForTail(s)) continue;
      EndSession(session, MediaEvent::EndOfStream);
      return;
    }
    WriteSome(s, epoch);
    Forget(s);
  }
  output->Flush();
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
    if (SoundOutput* output = Output()) output->SetPaused(false);
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
  if (SoundOutput* output = Output()) output->SetPaused(true);
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
double MediaPlayer::Position() const { return core_->Position(); }
bool MediaPlayer::SetPosition(double seconds) { return core_->SetPosition(seconds); }
double MediaPlayer::Duration() const { return core_->Duration(); }
int32_t MediaPlayer::PlayState() const { return core_->PlayState(); }
bool MediaPlayer::Play() { return core_->Play(); }
bool MediaPlayer::Pause() { return core_->Pause(); }
bool MediaPlayer::Stop() { return core_->Stop(); }
void MediaPlayer::SetStallTimeout(std::chrono::milliseconds timeout) { core_->SetStallTimeout(timeout); }
