#pragma once
#include <QString>

#include "playlist/Playlist.h"

class PlayOrder;
class SettingsFile;
class Window;

// The player's playlist and its life between runs: filled at start-up from the
// command line or from "tarnello.m3u" with the "Resume" row made current, and
// written back at close. The playlist editor window owns it and makes these two
// calls when it is created and when it closes.
class PlaylistSession {
 public:
  static inline const QString kDefaultPlaylist = QStringLiteral("tarnello.m3u");

  PlaylistSession(PlayOrder& order, WindowHandle mainWindow);

  // The whole command line (the arguments joined by single blanks) becomes one
  // row, and the default playlist is then not read; an empty command line loads
  // "tarnello.m3u". Then "Resume" from the store picks the current row. When
  // "tarnello.m3u" exists but cannot be read whole (no regular file, beyond the
  // reader's bounds), the user is told, and Save keeps the old file beside the new one.
  void Load(const QString& commandLine, const SettingsFile& settings, Window* owner = nullptr);
  // Writes "Resume" (the current row, -1 for none) into the store, then the rows to
  // "tarnello.m3u". False when the file could not be written (or a list that was
  // not read whole could not be put aside first).
  bool Save(SettingsFile& settings) const;

  Playlist& GetPlaylist() { return playlist_; }
  const Playlist& GetPlaylist() const { return playlist_; }

 private:
  void LoadDefaultPlaylist(Window* owner);
  void ApplyResume(const SettingsFile& settings);

  PlayOrder& order_;
  Playlist playlist_;
  mutable QString keepAs_;  // where the unread old "tarnello.m3u" goes before the first save
};
