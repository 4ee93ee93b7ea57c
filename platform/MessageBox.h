#pragma once
#include <QString>

class Window;

// Modal message boxes with an OK button. The service is replaceable so that tests
// record boxes instead of waiting for a person.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual void Show(Window* owner, const QString& text, const QString& caption) = 0;
  // A question with Yes and No; true for Yes. A service that cannot ask answers No.
  virtual bool Ask(Window* owner, const QString& text, const QString& caption) {
    (void)owner, (void)text, (void)caption;
    return false;
  }
};

// Installs a service (null restores the default one). The default shows a Qt
// message box; when TARNELLO_MESSAGE_LOG names a file it appends each box to that
// file instead, one line "caption<TAB>text" with line breaks written as "\n".
void SetMessageBoxService(MessageBoxService* service);

// Shows a box on the UI thread; from another thread it waits until the box is dismissed.
void ShowMessageBox(Window* owner, const QString& text, const QString& caption = QStringLiteral("Tarnello"));

// Asks a Yes/No question on the UI thread; true for Yes. With TARNELLO_MESSAGE_LOG
// the question is logged like a box and answered No.
bool AskMessageBox(Window* owner, const QString& text, const QString& caption = QStringLiteral("Tarnello"));
