#include "platform/ModalLoops.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace Platform {
namespace {
int mainLoopLevel = 0;
// The cancels of the waits that exist now (UI thread only).
std::vector<std::function<void()>*> cancels;

// How often a deferred action looks again whether the loops have returned.
constexpr int kRetryMs = 10;
// More nested windows than this are not ours to count.
constexpr int kMaxWindows = 64;
}  // namespace

void SetMainLoopLevel(int level) { mainLoopLevel = level; }

bool InNestedLoop() { return QThread::currentThread()->loopLevel() > mainLoopLevel; }

void EndNestedLoops() {
  // A copy: a cancel may end its wait at once.
  const std::vector<std::function<void()>*> pending = cancels;
  for (std::function<void()>* cancel : pending)
    if (std::find(cancels.begin(), cancels.end(), cancel) != cancels.end()) (*cancel)();
  for (int i = 0; i < kMaxWindows; ++i) {
    QWidget* popup = QApplication::activePopupWidget();
    if (!popup) break;
    popup->close();
  }
  for (int i = 0; i < kMaxWindows; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) break;
    // Hiding leaves the modal stack at once, so the next one is the dialog below.
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->done(QDialog::Rejected);
    } else {
      modal->close();
    }
    if (QApplication::activeModalWidget() == modal) modal->hide();
  }
}

void RunAfterNestedLoops(QObject* context, std::function<void()> action) {
  if (!InNestedLoop()) {
    action();
    return;
  }
  EndNestedLoops();
  QPointer<QObject> guard(context);
  QTimer::singleShot(kRetryMs, context, [guard, action = std::move(action)]() mutable {
    if (guard) RunAfterNestedLoops(guard, std::move(action));
  });
}

InterruptibleWait::InterruptibleWait(std::function<void()> cancel) : cancel_(std::move(cancel)) {
  cancels.push_back(&cancel_);
}

InterruptibleWait::~InterruptibleWait() { std::erase(cancels, &cancel_); }

}  // namespace Platform
