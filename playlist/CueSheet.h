#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class Playlist;

// A cue sheet: one audio file (or several) cut into tracks. Each track becomes a
// row of its own whose path names its span of the audio file as
// "PATH#t=START,END" in seconds (",END" left out for a track that runs to the end
// of the file); the input plug-in plays exactly that span.
namespace CueSheet {

// Sheets are small text files; anything larger is no sheet.
constexpr qint64 kMaxSheetBytes = 1024 * 1024;
// Cue times count frames of 1/75 s.
constexpr int kFramesPerSecond = 75;

struct Track {
  int number = 0;
  QString performer;  // the track's, else the sheet's
  QString title;
  qint64 startFrame = -1;  // INDEX 01; -1 when the track has none
};

struct File {
  QString name;  // as the sheet writes it
  std::vector<Track> tracks;
};

// The FILE lines of a sheet with a type the plug-ins play (WAVE, MP3, FLAC), each
// with its tracks that have an INDEX 01. Tracks under any other FILE are dropped.
std::vector<File> Parse(QStringView text);

// The sheet's bytes as text: UTF-8 (a byte order mark skipped), else the legacy
// code page detected in them, else Latin-1.
QString Decode(const QByteArray& bytes);

struct Row {
  QString title;   // "performer – title", or the title alone
  int length = -1; // seconds, -1 when unknown
  QString path;    // the span form above
};

// Length in milliseconds of an audio file, -1 when unknown.
using FileLength = std::function<int(const QString& path)>;

// The rows of a sheet at sheetPath: file names resolve against the sheet's folder
// (a Windows path falls back to its last part there); a file that does not exist
// gives no rows. A track runs to the next track's INDEX 01 in the same file; the
// last one of a file to its end, whose length fileLength tells.
std::vector<Row> Rows(const std::vector<File>& files, const QString& sheetPath, const FileLength& fileLength);

// Whether path names a cue sheet (by its extension, ".cue" in any case).
// The file dialogs' entry for cue sheets, beside the plug-ins' types.
inline const QString kOpenFilter = QStringLiteral("Cue sheets (*.[cC][uU][eE])");

bool IsCueSheet(const QString& path);

// "PATH#t=START,END" with seconds to six decimals, trailing zeros dropped; END < 0
// leaves ",END" out.
QString SpanPath(const QString& path, double startSeconds, double endSeconds);

// The file a row's path names: the part before "#t=" of a span path, else the
// whole path.
QString FileOfPath(const QString& path);

// Appends the rows of the sheet at path, with the lengths of the audio files read
// by the decoder. Returns the number of rows added, or -1 (nothing added) when the
// sheet cannot be read (missing, no regular file, too large).
int AddToPlaylist(Playlist& playlist, const QString& path);

}  // namespace CueSheet
