#pragma once
#include <QString>
#include <cstdint>

// Limits of one HTTP download. The defaults are the player's own.
struct DownloadOptions {
  // A transfer that receives nothing (no header, no body byte) for this long is
  // abandoned, so a server that accepts and then stays silent cannot hang the player.
  int stallSeconds = 30;
  // The whole download may take this long, however the server trickles its bytes.
  int totalSeconds = 20;
  // A body longer than this is cut and the download fails: a PLS list is a few
  // lines, and an endless stream must not fill the disk.
  int64_t maxBytes = 1024 * 1024;
  // PEM file of trusted certificates for https; empty: the system's store.
  QString caBundle;
};

// One GET of url (http or https; "host[:port]/object", given a scheme) whose body is
// streamed into localPath, created or truncated. Redirects are followed. The HTTP
// status is not examined: an error page is saved like any body. False when the
// request cannot be made, the transfer breaks off, stalls, runs out of time or
// exceeds the size limit, or the player closes meanwhile; the local file may then
// exist, partly written or empty. On the UI thread the caller waits while the
// windows keep painting and user input is held back.
bool DownloadUrlToFile(const QString& url, const QString& localPath, const DownloadOptions& options);
bool DownloadUrlToFile(const QString& url, const QString& localPath, int stallSeconds = 30);

// True when the text starts with a URL scheme and "://" ("http://", "https://", "ftp://").
bool NamesScheme(const QString& text);
// The text as a URL: "http://" is put in front only when it names no scheme.
QString NormalizeUrl(const QString& text);
// True when the URL names a PLS list: it contains ".pls" or ".PLS" (exact case).
bool NamesPlsList(const QString& url);
