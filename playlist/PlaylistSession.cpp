#include "playlist/PlaylistSession.h"

#include "platform/System.h"
#include "playlist/PlayOrder.h"
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
    LoadPlaylist(playlist_, Platform::DataFolder() + kDefaultPlaylist, owner);
  } else {
    // No parsing of quotes or switches: the text is one path.
    playlist_.AddFile(commandLine);
  }
  ApplyResume(settings);
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
  return SavePlaylist(playlist_, Platform::DataFolder() + kDefaultPlaylist);
}
