#pragma once
#include <QString>
#include <QStringList>

class Playlist;

// True when the part of name from its last '.' on equals the part of pattern from
// its last '.' on, ignoring case; a text without '.' is compared whole.
bool MatchesPattern(const QString& name, const QString& pattern);

// Adds the files of folder that match the patterns, in the sorted order of the
// folder listing: a file once for every pattern it matches, as "folder/name", and a
// cue sheet as its tracks (the audio file it cuts still matches on its own).
// With recurse, a subfolder is entered depth first when the listing reaches it.
// A folder already walked (through a symbolic link, say) is not entered again, so
// a link cycle ends. The empty folder (or "/") stands for the file-system root. Returns
// the number of rows added; a folder that cannot be read adds nothing.
int AddFolderFiles(Playlist& playlist, const QString& folder, const QStringList& patterns, bool recurse);
