#pragma once
#include <QString>
#include <QStringList>

class Window;

// The open-file dialog. The service is replaceable so that tests choose a file
// instead of waiting for a person.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // nameFilters: Qt name filters ("Description (*.a *.b)"), the first one chosen at
  // start. True and the chosen path when the user confirms.
  virtual bool OpenFile(Window* owner, const QStringList& nameFilters, QString& path) = 0;
  // The save dialog: asks before replacing a file; defaultSuffix is appended to a
  // name typed without one.
  virtual bool SaveFile(Window* owner, const QStringList& nameFilters, const QString& defaultSuffix,
                        QString& path) {
    (void)owner, (void)nameFilters, (void)defaultSuffix, (void)path;
    return false;
  }
};

// Installs a service (null restores the default Qt dialog).
void SetFileDialogService(FileDialogService* service);
bool ShowOpenFileDialog(Window* owner, const QStringList& nameFilters, QString& path);
bool ShowSaveFileDialog(Window* owner, const QStringList& nameFilters, const QString& defaultSuffix, QString& path);
