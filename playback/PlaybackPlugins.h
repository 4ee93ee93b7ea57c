#pragma once
#include <QString>
#include <cstdint>

// The calls playback control makes of the plug-in table: each acts on the current
// plug-in, and does nothing or returns -1 when there is none. The PluginManager is
// the real table; tests give playback control a fake one.
class PlaybackPlugins {
 public:
  virtual ~PlaybackPlugins() = default;

  // -1 when no plug-in claims path, else the chosen plug-in's play result.
  virtual int PlayFile(const QString& path) = 0;
  virtual void PausePlayback() = 0;
  virtual void ResumePlayback() = 0;
  virtual int IsPlaybackPaused() = 0;
  virtual void StopPlayback() = 0;
  virtual int TrackLengthMs() = 0;
  virtual int PlayPositionMs() = 0;
  virtual void SeekToMs(int ms) = 0;
  virtual void ApplyVolume(int volume) = 0;
  virtual void ApplyBalance(int balance) = 0;
  virtual void ApplySpeed(float factor) = 0;
  virtual void ApplyEqualizer(int enabled, const int16_t* bands, int preamp) = 0;
  // The open-file dialog's filter built from every plug-in's file types.
  virtual QString BuildOpenFilter() const = 0;
};
