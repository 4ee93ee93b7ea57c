#pragma once
#include <QByteArray>
#include <QString>

class Playlist;

// A web page of the playlist: the rows numbered with their titles and lengths,
// the count and the total length of the rows whose length is known. Every text
// of the list is escaped, so a title cannot inject markup.
QByteArray HtmlPlaylistPage(const Playlist& playlist);
// Writes the page; false when the file could not be written.
bool WriteHtmlPlaylist(const Playlist& playlist, const QString& path);
// "m:ss", or "h:mm:ss" from an hour on.
QString LengthText(int seconds);
