#include "playlist/PlaylistSession.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "platform/MessageBox.h"
#include "platform/System.h"
#include "playlist/CueSheet.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistStorage.h"
#include "settings/SettingsFile.h"

namespace {
const QString kSection = QStringLiteral("tarnello");
const QString kResumeKey = QStringLiteral("Resume");
}  // namespace

PlaylistSession::PlaylistSession(PlayOrder& order, WindowHandle mainWindow)
    : order_(order), playlist_(order, mainWindow) {}

void PlaylistSession::Load(const QString& commandLine, const SettingsFile& settings, Window* owner) {
  if (commandLine.isEmpty()) {
    LoadDefaultPlaylist(owner);
  } else {
    // No parsing of quotes or switches: the text is one path. A cue sheet brings its tracks.
    if (!CueSheet::IsCueSheet(commandLine) || CueSheet::AddToPlaylist(playlist_, commandLine) < 0)
      playlist_.AddFile(commandLine);
  }
  ApplyResume(settings);
}

void PlaylistSession::LoadDefaultPlaylist(Window* owner) {
  const QString path = Platform::DataFolder() + kDefaultPlaylist;
  PlaylistFile file;
  file.ReadM3u(path, owner);
  for (const PlaylistFileEntry& entry : file.entries) playlist_.AddEntry(entry.length, entry.title, entry.path);
  if (file.readWhole) return;
  // Saving the rows over a list that was not read whole would lose the rest of
  // it: the old file is kept under a name of its own, and the user is told.
  keepAs_ = path + QStringLiteral(".bak");
  for (int n = 2; QFile::exists(keepAs_) || QFileInfo(keepAs_).isSymLink(); ++n)
    keepAs_ = path + QStringLiteral(".bak%1").arg(n);
  ShowMessageBox(owner, QStringLiteral("The playlist \"%1\" could not be read whole. When the playlist is saved, "
                                       "the old file is kept as \"%2\".")
                            .arg(kDefaultPlaylist, QFileInfo(keepAs_).fileName()));
}

void PlaylistSession::ApplyResume(const SettingsFile& settings) {
  QString text;
  settings.GetString(kSection, kResumeKey, QStringLiteral("-1"), text);
  const int row = ParseDecimal(text);
  // A negative row means none: the play order keeps -1, never another negative index.
  if (row >= 0 && row < playlist_.GetCount()) {
    order_.SetCurrent(row);
    playlist_.SetCurrentRow(row);
  } else {
    playlist_.SetCurrentRow(-1);
  }
}

bool PlaylistSession::Save(SettingsFile& settings) const {
  settings.WriteString(kSection, kResumeKey, QString::number(playlist_.GetCurrentRow()));
  const QString path = Platform::DataFolder() + kDefaultPlaylist;
  if (!keepAs_.isEmpty()) {
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(keepAs_).constData()) != 0 && errno != ENOENT)
      return false;
    keepAs_.clear();
  }
  return SavePlaylist(playlist_, path);
}
