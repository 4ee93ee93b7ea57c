#pragma once
#include <QString>
#include <QStringList>

#include "playback/OpenFilter.h"
#include "playlist/UrlDownload.h"

class Playlist;
class SettingsFile;
class Window;

// Add folder (command 102): reads "RecurseSubDir" and "LatestOpenDir" (default: the
// user's home folder), runs the folder dialog, adds every file of the chosen folder
// that matches a pattern of filter (the plug-ins' open filter text), and writes both
// keys back. Cancel changes nothing.
void AddFolderCommand(Window* owner, Playlist& playlist, SettingsFile& settings, const OpenFilter& filter);

// Add URL (command 103): offers the recent URLs in the URL dialog, adds the entered
// URL (a PLS list is fetched into "temp.pls" of the program folder and expanded),
// and stores it as the newest recent URL. Cancel or an empty text changes nothing.
void AddUrlCommand(Window* owner, Playlist& playlist, SettingsFile& settings);

// The name of the downloaded PLS list in the program folder; it lives only while
// one URL is added.
inline const QString kTempPlsName = QStringLiteral("temp.pls");

// Adds url: a row titled with the URL, or for a PLS list the list's entries,
// downloaded into localPath, which is deleted afterwards. A list that cannot be
// fetched becomes a row with the URL itself. Returns the number of rows added.
int AddUrl(Playlist& playlist, const QString& url, const QString& localPath, const DownloadOptions& options = {});

// The values of "RecentURL1", "RecentURL2", ... up to the first empty one: oldest first.
QStringList ReadRecentUrls(const SettingsFile& settings);
// Stores url under the first empty "RecentURL%d" key; the same URL may be stored again.
void StoreRecentUrl(SettingsFile& settings, const QString& url);
