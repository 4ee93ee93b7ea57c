#include "platform/FileDialog.h"

#include <QFileDialog>

#include "platform/Window.h"

namespace {
class QtFileDialogs : public FileDialogService {
 public:
  bool OpenFile(Window* owner, const QStringList& nameFilters, QString& path) override {
    QFileDialog dialog(owner ? owner->Widget() : nullptr);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Read-only files are offered like any other; nothing is written.
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!nameFilters.isEmpty()) dialog.setNameFilters(nameFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().first();
    return true;
  }

  bool SaveFile(Window* owner, const QStringList& nameFilters, const QString& defaultSuffix,
                QString& path) override {
    QFileDialog dialog(owner ? owner->Widget() : nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!nameFilters.isEmpty()) dialog.setNameFilters(nameFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().first();
    return true;
  }
};

FileDialogService* installed = nullptr;

FileDialogService& Service() {
  static QtFileDialogs qtDialogs;
  return installed ? *installed : qtDialogs;
}
}  // namespace

void SetFileDialogService(FileDialogService* service) { installed = service; }

bool ShowOpenFileDialog(Window* owner, const QStringList& nameFilters, QString& path) {
  return Service().OpenFile(owner, nameFilters, path);
}

bool ShowSaveFileDialog(Window* owner, const QStringList& nameFilters, const QString& defaultSuffix, QString& path) {
  return Service().SaveFile(owner, nameFilters, defaultSuffix, path);
}
