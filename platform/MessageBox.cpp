#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QThread>
#include <atomic>

#include "platform/Window.h"

namespace {
class QtMessageBoxes : public MessageBoxService {
 public:
  void Show(Window* owner, const QString& text, const QString& caption) override {
    QWidget* parent = owner ? owner->Widget() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
  }
  bool Ask(Window* owner, const QString& text, const QString& caption) override {
    QWidget* parent = owner ? owner->Widget() : nullptr;
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  }
};

class LoggedMessageBoxes : public MessageBoxService {
 public:
  explicit LoggedMessageBoxes(QString path) : path_(std::move(path)) {}
  void Show(Window*, const QString& text, const QString& caption) override {
    QFile file(path_);
    if (!file.open(QIODevice::Append | QIODevice::WriteOnly)) return;
    QString line = caption + '\t' + text;
    line.replace('\n', QStringLiteral("\\n"));
    file.write((line + '\n').toUtf8());
  }
  bool Ask(Window* owner, const QString& text, const QString& caption) override {
    Show(owner, text, caption);
    return false;
  }

 private:
  QString path_;
};

MessageBoxService& DefaultService() {
  static QtMessageBoxes qtBoxes;
  static LoggedMessageBoxes* logged = [] {
    const QString path = qEnvironmentVariable("TARNELLO_MESSAGE_LOG");
    return path.isEmpty() ? nullptr : new LoggedMessageBoxes(path);
  }();
  return logged ? static_cast<MessageBoxService&>(*logged) : qtBoxes;
}

std::atomic<MessageBoxService*> installed{nullptr};
}  // namespace

void SetMessageBoxService(MessageBoxService* service) { installed = service; }

void ShowMessageBox(Window* owner, const QString& text, const QString& caption) {
  MessageBoxService* service = installed.load();
  MessageBoxService& s = service ? *service : DefaultService();
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    s.Show(owner, text, caption);
    return;
  }
  QMetaObject::invokeMethod(app, [&] { s.Show(owner, text, caption); }, Qt::BlockingQueuedConnection);
}

bool AskMessageBox(Window* owner, const QString& text, const QString& caption) {
  MessageBoxService* service = installed.load();
  MessageBoxService& s = service ? *service : DefaultService();
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) return s.Ask(owner, text, caption);
  bool yes = false;
  QMetaObject::invokeMethod(app, [&] { yes = s.Ask(owner, text, caption); }, Qt::BlockingQueuedConnection);
  return yes;
}
