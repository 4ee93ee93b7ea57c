#pragma once
#include <QString>
#include <functional>

class Window;

// Handing things to the desktop: a page to its web browser, files to its trash,
// and a line of text asked of the user. The browser and the prompt are
// replaceable so that tests record them instead of opening a browser or
// waiting for a person.
class BrowserService {
 public:
  virtual ~BrowserService() = default;
  // Opens a local file in the desktop's browser; false when the desktop refused.
  virtual bool OpenPage(const QString& path) = 0;
};
void SetBrowserService(BrowserService* service);  // null restores the desktop's

// caption, label and text in; the edited text out. False when cancelled.
using TextPrompt = std::function<bool(Window* owner, const QString& caption, const QString& label, QString& text)>;
void SetTextPrompt(TextPrompt prompt);  // empty restores the dialog

namespace Platform {
bool OpenInBrowser(const QString& path);
bool AskText(Window* owner, const QString& caption, const QString& label, QString& text);
// Moves a file to the desktop's trash (never deletes it); false when it could not.
bool MoveToTrash(const QString& path);
}  // namespace Platform
