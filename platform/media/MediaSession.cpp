// One source played by the control's worker: opened, decoded, processed and
// written in large pieces; queued frames rendered again when a setting changes.
#include <algorithm>
#include <cmath>

#include "platform/media/MediaPlayerCore.h"

namespace {
// A change is rendered again from this far ahead of what the device has played:
// time enough to render and hand it over before the device gets there.
constexpr int kRewriteMarginMs = 30;
// Decoded frames before a rewrite's start that the filters see first, so their
// state has settled when the rewritten frames begin.
constexpr int kPrerollMs = 100;
constexpr int kBlockMs = 100;  // decoded and processed at a time
constexpr size_t kGainRampFrames = 256;
// The end of a source is reported when this much of it is left to hear: time
// enough for the next source to open and follow without a gap.
constexpr int kEndLeadMs = 300;
// The longest wait for the end of the output's queue on one reading of the position.
constexpr auto kTailRecheck = std::chrono::milliseconds(500);
// How long past the start of a pause's silence the output is paused: time for the
// measurement's error and the rewrite's way to the device.
constexpr auto kSilenceSettle = std::chrono::milliseconds(20);

// Scales frames by a gain that moves from `from` to `to` over their first frames.
void ApplyGain(float* samples, size_t frames, size_t channels, float from, float to) {
  if (from == 1.0f && to == 1.0f) return;
  const size_t ramp = from == to ? 0 : std::min(frames, kGainRampFrames);
  for (size_t f = 0; f < ramp; ++f) {
    const float gain = from + (to - from) * float(f + 1) / float(ramp);
    for (size_t c = 0; c < channels; ++c) samples[f * channels + c] *= gain;
  }
  // The rest at one gain (every block played at a volume below full passes here),
  // in runs of eight that the compiler turns into vector multiplies at -O2.
  float* rest = samples + ramp * channels;
  const size_t count = (frames - ramp) * channels;
  size_t i = 0;
  for (; i + 8 <= count; i += 8)
    for (size_t k = 0; k < 8; ++k) rest[i + k] *= to;
  for (; i < count; ++i) rest[i] *= to;
}

float ClampedSpeed(const SoundSettings& s) { return std::clamp(s.speed, 0.5f, 2.0f); }

// The listener's settings with the source's own ReplayGain factor.
SoundSettings ForSource(SoundSettings settings, const GainTags& gains) {
  settings.trackGain = ReplayGainFactor(gains, settings.replayGain);
  return settings;
}
}  // namespace

bool MediaPlayer::Core::OpenSession(Session& s, const std::string& source, double start) {
  s.decoder = MediaDecoder::Create([this, id = s.id] { return Cancelled(id); },
                                   std::chrono::milliseconds(stallTimeoutMs_.load()), layout_);
  if (!s.decoder || !s.decoder->Open(source)) return false;
  if (!EnsureOutput()) return false;
  SoundOutput* output = Output();
  const bool seeked = start > 0 && s.decoder->Seek(start);
  s.format = s.decoder->Format();
  s.gains = s.decoder->Gains();
  {
    // The processing is loaded only when a setting needs it; the first block then
    // has the settings (the track's ReplayGain included) from its first sample.
    std::lock_guard lock(mutex_);
    s.rendered = ForSource(settings_, s.gains);
    settingsChanged_ = false;
    if (layout_ == MediaDecoder::Layout::kNative && !s.rendered.Neutral())
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
  sessionRunning_ = true;
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
  s.ended = s.decoderDone = false;
  std::lock_guard lock(mutex_);
  const int64_t written = output->WrittenFrames();
  s.silenced = false;  // what a pause silenced is gone
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
  RenderQueue& q = s.queue;
  const bool native = layout_ == MediaDecoder::Layout::kNative;
  std::vector<float>& processed = s.processed;
  processed.clear();
  // Several of the decoder's frames at a time: fewer rounds of locking and
  // processing per second of sound. They go straight into the queue.
  const int64_t want = int64_t(s.format.rate) * kBlockMs / 1000;
  const int64_t blockStart = native ? q.InputEnd() : q.OutputEnd();
  auto blockEnd = [&] { return native ? q.InputEnd() : q.OutputEnd(); };
  // After the decoder's end, the next call drains the processor.
  while (!s.decoderDone && blockEnd() - blockStart < want) {
    if (!s.decoder->Next(s.piece)) {
      s.decoderDone = true;
      break;
    }
    if (native) q.AddInput(s.piece);
    else q.AddOutput(s.piece);
  }
  // What the stream says of itself (a station's title, a changed rate), once a block.
  NoteStreamInfo(s.id, *s.decoder);
  if (blockEnd() == blockStart) {
    s.ended = true;
    if (!s.processor) return false;
    s.processor->Finish(processed);
    s.processor.reset();
    q.AddOutput(processed);
    return !processed.empty();
  }
  if (!native) return true;
  {
    // A change not yet applied to the queue waits for ApplyChanges, which renders
    // the queued frames and these alike.
    std::lock_guard lock(mutex_);
    if (!settingsChanged_) s.rendered = ForSource(settings_, s.gains);
    const float speed = ClampedSpeed(s.rendered);
    if (speed != s.speed) {
      s.speed = speed;
      timeline_.Change(q.OutputEnd(), double(speed) / s.format.rate);
    }
  }
  if (!s.processor && !s.rendered.Neutral()) {
    // Needed from the middle of a track on: it starts from neutral settings and
    // ramps to the new ones, as any later change does.
    s.processor = SoundProcessor::Create(s.format);
    if (s.processor) s.processor->Process({}, processed);
  }
  if (s.processor) {
    q.CopyInput(blockStart, q.InputEnd(), s.block);
    s.processor->SetSettings(s.rendered);
    s.processor->Process(s.block, processed);
    q.AddOutput(processed);
    return true;
  }
  q.AddOutputFromInput(blockStart);
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
    q.CopyInput(inFrom - preroll, inFrom, in);
    processor->Process(in, out);
    // The frames the pre-roll stands for at the old speed are dropped, also those
    // a time stretcher hands out only later.
    int64_t drop = std::llround(double(preroll) / oldSpeed) - int64_t(out.size() / q.Channels());
    processor->SetSettings(want);
    q.CopyInput(inFrom, q.InputEnd(), in);
    processor->Process(in, out);
    drop = std::clamp<int64_t>(drop, 0, int64_t(out.size() / q.Channels()));
    out.erase(out.begin(), out.begin() + std::ptrdiff_t(size_t(drop) * q.Channels()));
  } else {
    q.CopyInput(inFrom, q.InputEnd(), out);
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
    want = ForSource(settings_, s.gains);
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
    std::vector<float> samples;
    q.CopyOutput(from, q.Sent(), samples);
    ApplyGain(samples.data(), frames, q.Channels(), s.gain, gain);
    output->Rewrite(from, samples.data(), frames);
  }
  s.gain = gain;
}

void MediaPlayer::Core::WriteSome(Session& s, uint64_t epoch) {
  // The output scales by the volume as it takes the frames: no copy of our own.
  const auto [samples, frames] = s.queue.UnsentRun();
  s.queue.MarkSent(Output()->Write(samples, frames, epoch, s.gain));
}

// Waits while the output holds more than the last kEndLeadMs of the source; false
// when something asks for the worker first (a change, a seek, a stop). Timed by the
// clock from one measurement: a sound server reports the last frames of a stream
// that ran dry as never quite played. Paused, it sleeps until playback resumes.
bool MediaPlayer::Core::WaitForTail(Session& s) {
  std::unique_lock lock(mutex_);
  auto asked = [&] {
    return Cancelled(s.id) || pendingSeek_ || settingsChanged_ || volumeChanged_.load() || pausePending_ ||
           resumePending_;
  };
  while (state_ == MediaPlayer::kPaused && !asked()) wake_.wait(lock);
  if (asked()) return false;
  lock.unlock();
  const int64_t left = s.queue.Sent() - Output()->MeasurePlayedFrames();
  lock.lock();
  const int64_t lead = int64_t(s.format.rate) * kEndLeadMs / 1000;
  if (left <= lead) return true;
  // A reading taken just after the stream started can be off by a block of the
  // server's; waits longer than kTailRecheck end in a fresh reading (false: the
  // caller asks again), so the end is judged from one taken near it.
  const auto wait = std::chrono::microseconds((left - lead) * 1000000 / s.format.rate);
  const bool whole = wait <= kTailRecheck;
  const auto until = std::chrono::steady_clock::now() + (whole ? wait : std::chrono::microseconds(kTailRecheck));
  // A pause meanwhile starts the wait afresh once playback resumes.
  return !wake_.wait_until(lock, until, [&] { return asked() || state_ == MediaPlayer::kPaused; }) && whole;
}

// Pauses on an output that does not pause exactly: the queued frames from just
// ahead of what is heard are replaced by silence and queued again behind it, and
// the output pauses once the silence plays, so whatever it skips or repeats around
// its pause and resume is silence. The sound stops kRewriteMarginMs after the click.
void MediaPlayer::Core::PauseSession(Session& s) {
  {
    std::lock_guard lock(mutex_);
    pausePending_ = false;
  }
  SoundOutput* output = Output();
  RenderQueue& q = s.queue;
  const int64_t played = output->MeasurePlayedFrames();
  const int64_t margin = int64_t(s.format.rate) * kRewriteMarginMs / 1000;
  const int64_t from = std::clamp(played + margin, q.OutputStart(), q.Sent());
  std::unique_lock lock(mutex_);
  if (from < q.Sent() && !s.silenced) {
    lock.unlock();
    const std::vector<float> silence(size_t(q.Sent() - from) * q.Channels(), 0.0f);
    s.silenced = output->Rewrite(from, silence.data(), size_t(q.Sent() - from));
    lock.lock();
    if (s.silenced) {
      s.silenceFrom = from;
      s.heldAt = q.Sent();
      q.Renumber(from, s.heldAt);
      timeline_.Hold(from, s.heldAt - from);
      // Until the silence plays; a stop meanwhile ends the wait.
      const auto wait = std::chrono::microseconds((from - played) * 1000000 / s.format.rate) + kSilenceSettle;
      wake_.wait_for(lock, wait, [&] { return Cancelled(s.id) || quit_; });
    }
  }
  if (!Cancelled(s.id) && pauseByWorker_ && state_ == MediaPlayer::kPaused && !resumePending_)
    output->SetPaused(true);
}

// Resumes a pause made by PauseSession: while the output is still paused, the
// frames the silence replaced are written over the rest of that silence from just
// ahead of where the output stands, so the track goes on at the first frame not heard.
void MediaPlayer::Core::ResumeSession(Session& s) {
  SoundOutput* output = Output();
  {
    std::lock_guard lock(mutex_);
    resumePending_ = false;
    // Paused again meanwhile: the silence stays, and that pause follows.
    if (Cancelled(s.id) || state_ == MediaPlayer::kPaused) return;
    pauseByWorker_ = false;
  }
  if (s.silenced) {
    s.silenced = false;
    RenderQueue& q = s.queue;
    const int64_t margin = int64_t(s.format.rate) * kRewriteMarginMs / 1000;
    const int64_t at = std::max(output->MeasurePlayedFrames() + margin, s.silenceFrom);
    // Once the silence has played, what follows it is heard next as it is.
    if (at < s.heldAt && q.OutputStart() <= s.heldAt) {
      const size_t frames = size_t(q.Sent() - at);
      const int64_t end = s.heldAt + int64_t(frames);
      while (q.OutputEnd() < end && RenderBlock(s)) {}
      if (q.OutputEnd() < end) q.AddSilence(size_t(end - q.OutputEnd()));
      std::vector<float> samples;
      q.CopyOutput(s.heldAt, end, samples);
      ApplyGain(samples.data(), frames, q.Channels(), s.gain, s.gain);
      if (output->Rewrite(at, samples.data(), frames)) {
        std::lock_guard lock(mutex_);
        q.Renumber(s.heldAt, at);
        timeline_.Shift(s.heldAt, at - s.heldAt);
      }
    }
  }
  std::lock_guard lock(mutex_);
  if (!Cancelled(s.id) && state_ != MediaPlayer::kPaused) output->SetPaused(false);
}

// A session that ends leaves the output paused exactly when the player is.
void MediaPlayer::Core::SettlePause() {
  std::lock_guard lock(mutex_);
  sessionRunning_ = false;
  if (!pauseByWorker_) return;
  if (SoundOutput* output = Output()) output->SetPaused(state_ == MediaPlayer::kPaused);
  pauseByWorker_ = pausePending_ = resumePending_ = false;
}

// Forgets the frames that were heard, keeping the pre-roll a rewrite needs.
void MediaPlayer::Core::Forget(Session& s) {
  const int64_t played = Output()->PlayedFrames();
  const int64_t keepInput =
      layout_ == MediaDecoder::Layout::kNative ? InputFrameAt(s, played) - s.format.rate * kPrerollMs / 500 : played;
  s.queue.DropBefore(played, keepInput);
}

void MediaPlayer::Core::RunSession(uint64_t session, const std::string& source, double start) {
  Session s;
  s.id = session;
  if (!OpenSession(s, source, start)) {
    if (!Cancelled(session)) EndSession(session, MediaEvent::OpenFailed);
    return;
  }
  NoteStreamInfo(s.id, *s.decoder);
  SoundOutput* output = Output();
  struct Settle {
    Core* core;
    ~Settle() { core->SettlePause(); }
  } settle{this};
  for (;;) {
    const uint64_t epoch = output->Epoch();
    std::optional<double> seek;
    bool settingsChanged = false;
    bool pause = false;
    bool resume = false;
    {
      std::lock_guard lock(mutex_);
      if (session_.load() != session) break;
      seek = pendingSeek_;
      settingsChanged = settingsChanged_;
      pause = pausePending_;
      resume = resumePending_;
    }
    if (pause) {
      PauseSession(s);
      continue;
    }
    if (resume) {
      ResumeSession(s);
      continue;
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
      output->StartQueued();
      if (!WaitForTail(s)) continue;
      EndSession(session, MediaEvent::EndOfStream);
      return;
    }
    WriteSome(s, epoch);
    Forget(s);
  }
  output->Flush();
}

