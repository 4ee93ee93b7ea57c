#include "playlist/CueSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "platform/FileNames.h"
#include "platform/LegacyText.h"
#include "platform/System.h"
#include "platform/TrackInfo.h"
#include "playlist/Playlist.h"
#include "playlist/RowText.h"
#include "settings/RegularFile.h"

namespace CueSheet {
namespace {
// The words of a line: a quoted text is one word (without its quotes), an
// unclosed quote runs to the end of the line.
QStringList Words(QStringView line) {
  QStringList words;
  qsizetype i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i].isSpace()) ++i;
    if (i >= line.size()) break;
    if (line[i] == u'"') {
      const qsizetype close = line.indexOf(u'"', i + 1);
      const qsizetype end = close < 0 ? line.size() : close;
      words.append(line.mid(i + 1, end - i - 1).toString());
      i = end + 1;
    } else {
      qsizetype end = i;
      while (end < line.size() && !line[end].isSpace()) ++end;
      words.append(line.mid(i, end - i).toString());
      i = end;
    }
  }
  return words;
}

// "MM:SS:FF" as frames; -1 when it is no such time.
qint64 Frames(const QString& text) {
  const QStringList parts = text.split(u':');
  if (parts.size() != 3) return -1;
  qint64 value[3];
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    value[i] = parts[i].toLongLong(&ok);
    if (!ok || value[i] < 0 || parts[i].isEmpty() || !parts[i][0].isDigit()) return -1;
  }
  if (value[1] >= 60 || value[2] >= kFramesPerSecond || value[0] > 100000) return -1;
  return (value[0] * 60 + value[1]) * kFramesPerSecond + value[2];
}

bool PlayableType(const QString& type) {
  return type.compare(u"WAVE", Qt::CaseInsensitive) == 0 || type.compare(u"MP3", Qt::CaseInsensitive) == 0 ||
         type.compare(u"FLAC", Qt::CaseInsensitive) == 0;
}

// Builds the files while the lines come in; a track is kept once it has its start.
struct Builder {
  std::vector<File> files;
  QString sheetPerformer;
  bool fileOpen = false;  // a playable FILE is current
  bool inTrack = false;   // a TRACK of that file is current
  Track track;

  void EndTrack() {
    if (inTrack && fileOpen && track.startFrame >= 0) files.back().tracks.push_back(track);
    inTrack = false;
  }

  void Line(QStringView line) {
    const QStringList words = Words(line);
    if (words.isEmpty()) return;
    const QString key = words[0].toUpper();
    if (key == u"FILE") {
      EndTrack();
      // FILE name... TYPE: the name may be unquoted with blanks in it.
      fileOpen = words.size() >= 3 && PlayableType(words.last());
      if (fileOpen) files.push_back({words.mid(1, words.size() - 2).join(u' '), {}});
    } else if (key == u"TRACK") {
      EndTrack();
      inTrack = words.size() >= 2;
      track = Track{};
      if (inTrack) track.number = words[1].toInt();
      track.performer = sheetPerformer;
    } else if ((key == u"PERFORMER" || key == u"TITLE") && words.size() >= 2) {
      const QString value = words.mid(1).join(u' ');
      if (key == u"TITLE" && inTrack) track.title = value;
      else if (key == u"PERFORMER" && inTrack) track.performer = value;
      else if (key == u"PERFORMER") sheetPerformer = value;
    } else if (key == u"INDEX" && inTrack && words.size() >= 3 && words[1].toInt() == 1) {
      track.startFrame = Frames(words[2]);
    }
  }
};

QString SecondsText(double seconds) {
  QString text = QString::number(seconds, 'f', 6);
  while (text.endsWith(u'0')) text.chop(1);
  if (text.endsWith(u'.')) text.chop(1);
  return text;
}

// The audio file a FILE line names, or empty when it does not exist.
QString ResolveAudio(const QString& name, const QDir& folder) {
  if (name.isEmpty()) return QString();
  const QString direct = QDir::cleanPath(folder.absoluteFilePath(name));
  if (KindOfPath(direct) == PathKind::File) return direct;
  // A sheet written on Windows names "C:\Music\album.flac"; the file lies beside it.
  const QString last = name.mid(name.lastIndexOf(u'\\') + 1);
  const QString beside = folder.absoluteFilePath(last.mid(last.lastIndexOf(u'/') + 1));
  return KindOfPath(beside) == PathKind::File ? beside : QString();
}

// A sheet in a legacy code page names its audio file in the same bytes the file
// may have on disk: where the decoded name finds nothing, those bytes are tried.
void KeepNamesOnDisk(std::vector<File>& files, const QByteArray& bytes, const QDir& folder) {
  QString raw = Platform::PathFromBytes(bytes);
  raw.remove(u'\r');
  const std::vector<File> onDisk = Parse(raw);
  if (onDisk.size() != files.size()) return;
  for (size_t i = 0; i < files.size(); ++i)
    if (ResolveAudio(files[i].name, folder).isEmpty() && !ResolveAudio(onDisk[i].name, folder).isEmpty())
      files[i].name = onDisk[i].name;
}

QString RowTitle(const Track& track) {
  const QString title = track.title.isEmpty() ? QStringLiteral("Track %1").arg(track.number, 2, 10, QChar(u'0'))
                                              : track.title;
  return track.performer.isEmpty() ? title : track.performer + QStringLiteral(" \u2013 ") + title;
}

int FileLengthMs(const QString& path) {
  TrackInfo info;
  return Platform::ReadTrackInfo(path, info) ? info.lengthMs : -1;
}
}  // namespace

std::vector<File> Parse(QStringView text) {
  Builder builder;
  for (QStringView line : QStringTokenizer(text, u'\n')) builder.Line(line);
  builder.EndTrack();
  return std::move(builder.files);
}

QString Decode(const QByteArray& bytes) {
  QByteArrayView view(bytes);
  if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
  if (Platform::IsValidUtf8(view)) return QString::fromUtf8(view);
  return LegacyText::DecodeIn(view, LegacyText::DetectCharset(view));
}

std::vector<Row> Rows(const std::vector<File>& files, const QString& sheetPath, const FileLength& fileLength) {
  std::vector<Row> rows;
  const QDir folder = QFileInfo(sheetPath).absoluteDir();
  for (const File& file : files) {
    const QString audio = ResolveAudio(file.name, folder);
    if (audio.isEmpty()) continue;
    for (size_t i = 0; i < file.tracks.size(); ++i) {
      const Track& track = file.tracks[i];
      const double start = double(track.startFrame) / kFramesPerSecond;
      const bool last = i + 1 == file.tracks.size();
      double end = last ? -1.0 : double(file.tracks[i + 1].startFrame) / kFramesPerSecond;
      // An index that goes backwards leaves no span; the track then runs to the end.
      if (end <= start) end = -1.0;
      int length = -1;
      if (end >= 0) {
        length = int(std::lround(end - start));
      } else if (const int total = fileLength ? fileLength(audio) : -1; total >= 0) {
        length = std::max(0, int(std::lround(total / 1000.0 - start)));
      }
      rows.push_back({RowTitle(track), length, SpanPath(audio, start, end)});
    }
  }
  return rows;
}

bool IsCueSheet(const QString& path) {
  const qsizetype dot = path.lastIndexOf(u'.');
  return dot > path.lastIndexOf(u'/') && path.mid(dot + 1).compare(u"cue", Qt::CaseInsensitive) == 0;
}

QString SpanPath(const QString& path, double startSeconds, double endSeconds) {
  QString text = path + QStringLiteral("#t=") + SecondsText(startSeconds);
  if (endSeconds >= 0) text += u',' + SecondsText(endSeconds);
  return text;
}

QString FileOfPath(const QString& path) {
  static const QRegularExpression span(QStringLiteral("^#t=[0-9]+(\\.[0-9]+)?(,[0-9]+(\\.[0-9]+)?)?\\z"));
  const qsizetype mark = path.lastIndexOf(u"#t=");
  if (mark <= 0 || path.contains(u"://") || !span.match(QStringView(path).mid(mark)).hasMatch()) return path;
  return path.left(mark);
}

int AddToPlaylist(Playlist& playlist, const QString& path) {
  QFile file;
  if (OpenRegularFile(file, path) != RegularFileOpen::Opened || file.size() > kMaxSheetBytes) return -1;
  const QByteArray bytes = file.read(kMaxSheetBytes);
  QString text = Decode(bytes);
  text.remove(u'\r');
  std::vector<File> files = Parse(text);
  if (!Platform::IsValidUtf8(bytes)) KeepNamesOnDisk(files, bytes, QFileInfo(path).absoluteDir());
  int added = 0;
  for (const Row& row : Rows(files, path, FileLengthMs)) {
    playlist.AddEntry(row.length, row.title, row.path);
    ++added;
  }
  return added;
}

}  // namespace CueSheet
