#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QStandardPaths>
#include <QUrl>

#include "platform/Window.h"

namespace {
class DesktopBrowser : public BrowserService {
 public:
  bool OpenPage(const QString& path) override { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }
};

BrowserService* installedBrowser = nullptr;
TextPrompt installedPrompt;

bool DialogPrompt(Window* owner, const QString& caption, const QString& label, QString& text) {
  bool ok = false;
  const QString entered =
      QInputDialog::getText(owner ? owner->Widget() : nullptr, caption, label, QLineEdit::Normal, text, &ok);
  if (ok) text = entered;
  return ok;
}
}  // namespace

void SetBrowserService(BrowserService* service) { installedBrowser = service; }
void SetTextPrompt(TextPrompt prompt) { installedPrompt = std::move(prompt); }

namespace Platform {
bool OpenInBrowser(const QString& path) {
  static DesktopBrowser desktop;
  return (installedBrowser ? *installedBrowser : static_cast<BrowserService&>(desktop)).OpenPage(path);
}

bool AskText(Window* owner, const QString& caption, const QString& label, QString& text) {
  return installedPrompt ? installedPrompt(owner, caption, label, text) : DialogPrompt(owner, caption, label, text);
}

bool MoveToTrash(const QString& path) {
  // Qt places the trash under the user's data folder only when that folder
  // exists; otherwise it moves the file into "files/" of the working folder.
  // The folder is made first, and a move that still did not reach an absolute
  // trash location is undone.
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) return false;
  QString inTrash;
  if (!QFile::moveToTrash(path, &inTrash)) return false;
  if (QFileInfo(inTrash).isAbsolute()) return true;
  QFile::rename(inTrash, path);
  return false;
}
}  // namespace Platform
