#include "platform/DesktopServices.h"

#include <QDesktopServices>
#include <QFile>
#include <QInputDialog>
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

bool MoveToTrash(const QString& path) { return QFile::moveToTrash(path); }
}  // namespace Platform
