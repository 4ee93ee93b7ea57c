#pragma once
#include <QString>
#include <array>
#include <cstdint>

#include "playback/InputModule.h"
#include "playback/PlaybackPlugins.h"
#include "platform/System.h"

// One loaded plug-in: its library and the record its entry point returned.
struct PluginEntry {
  Platform::LibraryHandle library = nullptr;  // null = empty row
  InputModule* module = nullptr;
};

// Loads the input plug-ins of the plug-in folder, keeps them in load order, hands
// each path to the first plug-in that claims it and forwards every playback request
// to that (current) plug-in. UI thread only.
class PluginManager : public PlaybackPlugins {
 public:
  static constexpr int kMaxPlugins = 256;
  static constexpr int kMaxPath = 260;          // path buffer, terminating 0 included
  static constexpr int kFilterCapacity = 2048;  // filter buffer, terminating 0 included

  // folder: the plug-in folder without a trailing '/'.
  PluginManager(WindowHandle hostWindow, QString folder);
  ~PluginManager() override;
  PluginManager(const PluginManager&) = delete;
  PluginManager& operator=(const PluginManager&) = delete;

  // Loads every plug-in file of the folder in listing order; "LoadDll Fail!" for
  // each file that is not one. Returns 1.
  int LoadAll();
  // Loads, connects and starts one plug-in library.
  bool LoadPlugin(const QString& path);
  // Shuts every plug-in down in load order and releases it; a second call does nothing.
  void UnloadAll();

  // -1 when no plug-in claims path, else the chosen plug-in's playFile result.
  int PlayFile(const QString& path) override;
  void PausePlayback() override;
  void ResumePlayback() override;
  int IsPlaybackPaused() override;
  void StopPlayback() override;
  int TrackLengthMs() override;
  int PlayPositionMs() override;
  void SeekToMs(int ms) override;
  void ApplyVolume(int volume) override;
  void ApplyBalance(int balance) override;
  void ApplySpeed(float factor) override;
  void ApplyEqualizer(int enabled, const int16_t* bands, int preamp) override;

  // "All supported types|<patterns>;|" followed by every plug-in's file types and "|".
  QString BuildOpenFilter() const override;

  int Count() const { return count_; }
  const PluginEntry& Entry(int row) const { return table_[size_t(row)]; }
  InputModule* Current() const { return current_; }
  const QString& Folder() const { return folder_; }

  // True when name is a plug-in file name: walking from its end, some '.' starts ".so".
  static bool IsPluginFileName(const QString& name);

 private:
  int32_t count_ = 0;
  QString folder_;
  WindowHandle hostWindow_;
  Platform::LibraryHandle currentLibrary_ = nullptr;
  InputModule* current_ = nullptr;
  std::array<PluginEntry, kMaxPlugins> table_{};
};
