#pragma once
#include <QString>

#include "playlist/PlaylistFile.h"

class Playlist;
class Window;

// Appends the entries of an M3U file to the playlist, in file order, without
// clearing it first. False (nothing added, nothing shown) when the file cannot be
// opened. owner owns the "M3U syntax error!" box of a malformed info line. origin
// says how path lines are taken (ListOrigin).
bool LoadPlaylist(Playlist& playlist, const QString& path, Window* owner = nullptr,
                  ListOrigin origin = ListOrigin::Own);

// Writes the rows to an M3U file in row order; an empty length text is written as
// -1. The old file stays intact until the new one is complete. False on failure.
bool SavePlaylist(const Playlist& playlist, const QString& path);

// True for a file named as a playlist: ".m3u", ".m3u8", ".pls" or a ".cue" sheet, in any case.
bool IsListFile(const QString& path);
// Appends the entries of a list the user opens: a PLS list by its keys, a cue
// sheet as its tracks (CueSheet), any other
// as an M3U list read with ListOrigin::Opened. False when it cannot be read.
bool AddListFile(Playlist& playlist, const QString& path, Window* owner = nullptr);
