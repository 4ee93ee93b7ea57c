#include "playlist/HtmlPlaylist.h"

#include <QSaveFile>

#include "platform/Log.h"
#include "playlist/Playlist.h"

QString LengthText(int seconds) {
  const int h = seconds / 3600;
  const int m = seconds / 60 % 60;
  const int s = seconds % 60;
  if (h > 0) return QString::asprintf("%d:%02d:%02d", h, m, s);
  return QString::asprintf("%d:%02d", m, s);
}

QByteArray HtmlPlaylistPage(const Playlist& playlist) {
  QString rows;
  qint64 total = 0;
  int known = 0;
  for (int i = 0; i < playlist.GetCount(); ++i) {
    const PlaylistEntry& e = playlist.Row(i);
    QString title = e.title.isEmpty() ? Playlist::TitleFromPath(e.path) : e.title;
    bool ok = false;
    const int length = e.lengthText.toInt(&ok);
    const bool hasLength = ok && length >= 0;
    if (hasLength) {
      total += length;
      ++known;
    }
    rows += QStringLiteral("<tr><td class=\"n\">%1.</td><td>%2</td><td class=\"t\">%3</td></tr>\n")
                .arg(i + 1)
                .arg(title.toHtmlEscaped(), hasLength ? LengthText(length) : QString());
  }
  const QString summary = QStringLiteral("%1 tracks, %2 (%3 with a known length)")
                              .arg(playlist.GetCount())
                              .arg(LengthText(int(std::min<qint64>(total, INT32_MAX))))
                              .arg(known);
  const QString page = QStringLiteral(
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Tarnello playlist</title>\n"
      "<style>body{background:#000;color:#0f0;font-family:sans-serif}td.n,td.t{text-align:right;"
      "padding:0 .5em}h1{color:#fff;font-size:1.2em}</style></head>\n<body><h1>Tarnello playlist</h1>\n"
      "<p>%1</p>\n<table>\n%2</table>\n</body></html>\n")
                           .arg(summary, rows);
  return page.toUtf8();
}

bool WriteHtmlPlaylist(const Playlist& playlist, const QString& path) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(HtmlPlaylistPage(playlist));
    if (file.commit()) return true;
  }
  Platform::Log("save", QStringLiteral("cannot save %1: %2").arg(path, file.errorString()));
  return false;
}
