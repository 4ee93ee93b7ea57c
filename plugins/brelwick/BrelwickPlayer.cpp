#include "plugins/brelwick/BrelwickPlayer.h"

#include <algorithm>
#include <cmath>

#include "plugins/common/ControlHost.h"
#include "plugins/common/PluginText.h"

bool BrelwickPlayer::Create() {
  control_ = MediaPlayer::Create(this, MediaDecoder::Layout::kNative);
  current_ = control_.get();
  if (control_) Apply();
  return control_ != nullptr;
}

float BrelwickPlayer::SliderDb(int32_t position) {
  const int32_t p = std::clamp(position, 0, 63);
  return p <= 31 ? float(31 - p) * 12.0f / 31.0f : -float(p - 31) * 12.0f / 32.0f;
}

void BrelwickPlayer::SetEqualizer(int32_t enabled, const int16_t* bands, int32_t preamp) {
  {
    std::lock_guard lock(mutex_);
    settings_.equalizerOn = enabled != 0 && bands;
    if (bands)
      for (int i = 0; i < SoundSettings::kBands; ++i) settings_.bandDb[size_t(i)] = SliderDb(bands[i]);
    settings_.preampDb = SliderDb(preamp);
  }
  Apply();
}

void BrelwickPlayer::SetBalance(int32_t balance) {
  {
    std::lock_guard lock(mutex_);
    settings_.balance = std::clamp(balance, -127, 127);
  }
  Apply();
}

void BrelwickPlayer::SetSpeed(float factor) {
  {
    std::lock_guard lock(mutex_);
    // The player keeps 0.6 ... 1.4; anything else (not a number included) is clamped.
    settings_.speed = std::isfinite(factor) ? std::clamp(factor, 0.6f, 1.4f) : 1.0f;
    // Within a hair of normal speed is normal speed, with its bit-exact path.
    if (std::fabs(settings_.speed - 1.0f) < 0.001f) settings_.speed = 1.0f;
  }
  Apply();
}

void BrelwickPlayer::SetReplayGain(const ReplayGainSettings& replayGain) {
  {
    std::lock_guard lock(mutex_);
    settings_.replayGain = replayGain;
  }
  Apply();
}

void BrelwickPlayer::TrackStarting() {
  std::lock_guard lock(mutex_);
  reported_ = StreamInfo{};
  reportedTags_ = StreamTags{};
}

void BrelwickPlayer::Apply() {
  SoundSettings settings;
  {
    std::lock_guard lock(mutex_);
    settings = settings_;
  }
  if (control_) control_->SetSoundSettings(settings);
}

void BrelwickPlayer::OnMediaEvent(MediaEvent event) {
  if (ControlHost::ForwardEndOfStream(module_, event)) {
    return;
  } else if (MediaPlayer* control = current_.load(); event == MediaEvent::StreamInfoChanged && control &&
                                                      module_.reportStreamInfo) {
    // Each event has its own state; the player hears each new one once.
    StreamInfo info;
    if (!control->TakeInfoChange(info)) return;
    {
      std::lock_guard lock(mutex_);
      if (info.sampleRate <= 0 || info == reported_) return;
      reported_ = info;
    }
    module_.reportStreamInfo(info.bitRateKbps, info.sampleRate, info.channels, 0);
  } else if (MediaPlayer* control = current_.load(); event == MediaEvent::TagsChanged && control) {
    ReportTags(*control);
  } else if (event == MediaEvent::OpenFailed && module_.reportStreamInfo) {
    // A source that cannot be opened has no rates: the player shows none rather
    // than those of the track before.
    {
      std::lock_guard lock(mutex_);
      reported_ = StreamInfo{};
    }
    module_.reportStreamInfo(-1, -1, 0, 0);
  }
}

// The latest tags, each new state once; a player that wrote no reportStreamTags
// (an older one) hears nothing of them.
void BrelwickPlayer::ReportTags(MediaPlayer& control) {
  const auto report = module_.reportStreamTags;
  if (!report) return;
  StreamTags tags = control.Tags();
  {
    std::lock_guard lock(mutex_);
    if (tags.Empty() || tags == reportedTags_) return;
    reportedTags_ = tags;
  }
  // Texts in a legacy code page go as their bytes; the player detects the code page.
  const std::u16string station = PluginText::BytesToUtf16(tags.station);
  const std::u16string genre = PluginText::BytesToUtf16(tags.genre);
  const std::u16string artist = PluginText::BytesToUtf16(tags.artist);
  const std::u16string title = PluginText::BytesToUtf16(tags.title);
  const StreamTagReport r{int32_t(sizeof(StreamTagReport)), tags.bitRateKbps, station.c_str(),
                          genre.c_str(),                    artist.c_str(),   title.c_str()};
  report(&r);
}
