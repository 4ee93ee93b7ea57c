#pragma once
#include <QString>

class Playlist;
class Window;

// Appends the entries of an M3U file to the playlist, in file order, without
// clearing it first. False (nothing added, nothing shown) when the file cannot be
// opened. owner owns the "M3U syntax error!" box of a malformed info line.
bool LoadPlaylist(Playlist& playlist, const QString& path, Window* owner = nullptr);

// Writes the rows to an M3U file in row order; an empty length text is written as
// -1. The old file stays intact until the new one is complete. False on failure.
bool SavePlaylist(const Playlist& playlist, const QString& path);
