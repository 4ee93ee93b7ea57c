#include "playlist/AddCommands.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include "platform/System.h"
#include "platform/Window.h"
#include "playlist/AddFolder.h"
#include "playlist/OpenFolderDialog.h"
#include "playlist/OpenUrlDialog.h"
#include "playlist/Playlist.h"
#include "playlist/PlsFile.h"
#include "settings/SettingsFile.h"

namespace {
const QString kSection = QStringLiteral("tarnello");
const QString kRecurseKey = QStringLiteral("RecurseSubDir");
const QString kLatestDirKey = QStringLiteral("LatestOpenDir");

QString RecentUrlKey(int number) { return QStringLiteral("RecentURL%1").arg(number); }

QWidget* ParentWidget(Window* owner) { return owner ? owner->Widget() : nullptr; }

struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
}  // namespace

void AddFolderCommand(Window* owner, Playlist& playlist, SettingsFile& settings, const OpenFilter& filter) {
  QString text;
  settings.GetString(kSection, kRecurseKey, QStringLiteral("0"), text);
  int recurse = ParseDecimal(text);
  QString folder;
  settings.GetString(kSection, kLatestDirKey, QDir::homePath(), folder);
  if (!ChooseFolder(ParentWidget(owner), folder, recurse)) return;

  {
    // A deep tree takes a while to walk.
    const WaitCursor wait;
    AddFolderFiles(playlist, folder, filter.DistinctPatterns(), recurse != 0);
  }
  settings.WriteString(kSection, kRecurseKey, QString::number(recurse));
  // The root is the empty path; the store refuses only a null text.
  settings.WriteString(kSection, kLatestDirKey, folder.isNull() ? QStringLiteral("") : folder);
}

void AddUrlCommand(Window* owner, Playlist& playlist, SettingsFile& settings) {
  QString text;
  if (!ChooseUrl(ParentWidget(owner), ReadRecentUrls(settings), text)) return;
  // Blanks around a pasted URL are never part of it.
  text = text.trimmed();
  if (text.isEmpty()) return;
  const QString url = NormalizeUrl(text);
  AddUrl(playlist, url, Platform::DataFolder() + kTempPlsName);
  StoreRecentUrl(settings, url);
}

int AddUrl(Playlist& playlist, const QString& url, const QString& localPath, const DownloadOptions& options) {
  if (!NamesPlsList(url)) {
    playlist.AddEntry(-1, url, url);
    return 1;
  }
  const int before = playlist.GetCount();
  {
    // The fetch blocks the player until it ends or stalls.
    const WaitCursor wait;
    if (DownloadUrlToFile(url, localPath, options)) ReadPls(playlist, localPath);
    else playlist.AddEntry(-1, url, url);
    QFile::remove(localPath);
  }
  return playlist.GetCount() - before;
}

QStringList ReadRecentUrls(const SettingsFile& settings) {
  QStringList urls;
  for (int number = 1;; ++number) {
    QString url;
    settings.GetString(kSection, RecentUrlKey(number), QString(), url);
    if (url.isEmpty()) return urls;
    urls.append(url);
  }
}

void StoreRecentUrl(SettingsFile& settings, const QString& url) {
  int number = 1;
  for (QString value;; ++number) {
    settings.GetString(kSection, RecentUrlKey(number), QString(), value);
    if (value.isEmpty()) break;
  }
  settings.WriteString(kSection, RecentUrlKey(number), url);
}
