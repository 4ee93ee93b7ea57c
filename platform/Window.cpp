#include "platform/Window.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QThread>
#include <QTimerEvent>
#include <QWheelEvent>
#include <mutex>
#include <set>

#include "platform/Canvas.h"
#include "platform/FileNames.h"
#include "platform/DisplaySession.h"
#include "platform/WindowWidget.h"

namespace {
// Every live Window, so that handles arriving from plug-ins can be checked.
std::mutex registryMutex;
std::set<Window*>& Registry() {
  static std::set<Window*> windows;
  return windows;
}

Point ClientPoint(const QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  return {p.x(), p.y()};
}

// What a drag carries that the player can take: local files and folders as paths,
// other URLs as their text.
QStringList DroppedItems(const QMimeData* data) {
  QStringList items;
  if (!data || !data->hasUrls()) return items;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && (url.host().isEmpty() || url.host() == u"localhost")) {
      // The name's bytes as the file manager sent them, also when they are not UTF-8.
      items << Platform::PathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    } else if (url.isLocalFile()) {
      items << url.toLocalFile();
    } else if (url.isValid() && !url.scheme().isEmpty()) {
      items << url.toString();
    }
  }
  return items;
}

Window* WindowOfWidget(QWidget* w) {
  auto* ww = dynamic_cast<WindowWidget*>(w);
  return ww ? ww->Owner() : nullptr;
}
}  // namespace

const QEvent::Type WindowWidget::MessageEvent::kType = QEvent::Type(QEvent::registerEventType());

WindowWidget::WindowWidget(Window* owner, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), owner_(owner) {
  // Skinned windows paint every pixel themselves.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
}

WindowWidget::~WindowWidget() {
  // Qt deletes child widgets with their parent; the Window that carried this one
  // must not keep pointing at it.
  if (owner_) {
    for (const auto& [id, slot] : owner_->timers_)
      if (slot.qtId) killTimer(slot.qtId);
    owner_->timers_.clear();
    owner_->widget_ = nullptr;
  }
}

bool WindowWidget::event(QEvent* e) {
  if (e->type() == MessageEvent::kType) {
    auto* m = static_cast<MessageEvent*>(e);
    if (owner_) owner_->Dispatch(m->message, m->wParam, m->lParam);
    return true;
  }
  return QWidget::event(e);
}

void WindowWidget::paintEvent(QPaintEvent* e) {
  if (!owner_) return;
  QPainter painter(this);
  if (owner_->eraseNext_ && testAttribute(Qt::WA_OpaquePaintEvent)) painter.fillRect(rect(), Qt::white);
  owner_->eraseNext_ = false;
  const QRect dirty = e->rect();
  Canvas canvas(painter, Rect::FromSize(dirty.x(), dirty.y(), dirty.width(), dirty.height()));
  owner_->OnPaint(canvas);
}

void WindowWidget::resizeEvent(QResizeEvent*) {
  if (owner_) owner_->OnSize(width(), height());
}

void WindowWidget::timerEvent(QTimerEvent* e) {
  if (!owner_) return;
  for (auto& [id, slot] : owner_->timers_) {
    if (slot.qtId != e->timerId()) continue;
    // The first tick after a rest came on the grid; the period runs from here.
    if (slot.aligning) {
      killTimer(slot.qtId);
      owner_->StartQtTimer(slot, slot.periodMs, false);
    }
    owner_->OnTimer(id);
    return;
  }
}

void WindowWidget::mousePressEvent(QMouseEvent* e) {
  if (owner_ && e->button() == Qt::LeftButton) owner_->OnStylusDown(ClientPoint(e));
}

void WindowWidget::mouseMoveEvent(QMouseEvent* e) {
  if (owner_ && (e->buttons() & Qt::LeftButton)) owner_->OnStylusMove(ClientPoint(e));
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (owner_ && e->button() == Qt::LeftButton) owner_->OnStylusUp(ClientPoint(e));
}

void WindowWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (owner_ && e->button() == Qt::LeftButton) owner_->OnStylusDoubleClick(ClientPoint(e));
}

void WindowWidget::wheelEvent(QWheelEvent* e) {
  // Whole notches only; a touchpad's fractions add up inside Qt's angle delta.
  wheelRest_ += e->angleDelta().y();
  const int notches = wheelRest_ / 120;
  wheelRest_ -= notches * 120;
  if (owner_ && notches != 0) owner_->OnWheel(notches);
}

void WindowWidget::closeEvent(QCloseEvent* e) {
  // The window decides in OnClose whether and when it goes away.
  e->ignore();
  if (owner_) owner_->OnClose();
}

void WindowWidget::changeEvent(QEvent* e) {
  if (owner_ && e->type() == QEvent::ActivationChange && isWindow()) {
    if (isActiveWindow()) {
      owner_->OnFocusGained();
    } else {
      // Qt has already made the new window active when the old one hears of it.
      owner_->OnFocusLost(WindowOfWidget(QApplication::activeWindow()));
    }
  }
  QWidget::changeEvent(e);
}

void WindowWidget::dragEnterEvent(QDragEnterEvent* e) {
  if (owner_ && !DroppedItems(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void WindowWidget::dragMoveEvent(QDragMoveEvent* e) {
  if (owner_ && !DroppedItems(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

static Window::DropFilter& TheDropFilter() {
  static Window::DropFilter filter;
  return filter;
}

void WindowWidget::dropEvent(QDropEvent* e) {
  QStringList items = DroppedItems(e->mimeData());
  if (!owner_ || items.isEmpty()) return;
  e->acceptProposedAction();
  if (TheDropFilter()) items = TheDropFilter()(items);
  if (!items.isEmpty()) owner_->OnDrop(items);
}

Window::Window() {
  std::lock_guard lock(registryMutex);
  Registry().insert(this);
}

Window::~Window() {
  {
    std::lock_guard lock(registryMutex);
    Registry().erase(this);
  }
  if (widget_) {
    widget_->Detach();
    delete widget_;
    widget_ = nullptr;
  }
}

Window* Window::FromHandle(WindowHandle handle) {
  auto* w = static_cast<Window*>(handle);
  std::lock_guard lock(registryMutex);
  return Registry().count(w) ? w : nullptr;
}

QWidget* Window::Widget() const { return widget_; }

bool Window::Attach(WindowWidget* widget, const Rect& rect, int id, bool visible) {
  widget_ = widget;
  id_ = id;
  if (widget_->isWindow()) placed_ = {rect.left, rect.top};
  widget_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
  if (visible) widget_->show();
  return true;
}

bool Window::CreateTopLevel(const QString& title, const Rect& screenRect, int id, Window* owner, bool visible) {
  if (widget_) return false;
  Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
  auto* w = new WindowWidget(this, owner ? owner->widget_ : nullptr, flags);
  w->setWindowTitle(title);
  parent_ = nullptr;
  return Attach(w, screenRect, id, visible);
}

bool Window::CreateChild(Window* parent, const Rect& clientRect, int id, bool visible) {
  if (widget_ || !parent || !parent->widget_) return false;
  auto* w = new WindowWidget(this, parent->widget_, Qt::Widget);
  parent_ = parent;
  return Attach(w, clientRect, id, visible);
}

void Window::Destroy() {
  if (!widget_) return;
  OnDestroy();
  for (const auto& [id, slot] : timers_)
    if (slot.qtId) widget_->killTimer(slot.qtId);
  timers_.clear();
  WindowWidget* w = widget_;
  widget_ = nullptr;
  w->Detach();
  w->hide();
  w->deleteLater();
}

intptr_t Window::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!widget_) return 0;
  if (QThread::currentThread() == widget_->thread()) return Dispatch(message, wParam, lParam);
  intptr_t result = 0;
  WindowWidget* carrier = widget_;
  QMetaObject::invokeMethod(
      carrier,
      [carrier, message, wParam, lParam]() -> intptr_t {
        Window* owner = carrier->Owner();  // null once the window was destroyed meanwhile
        return owner ? owner->Dispatch(message, wParam, lParam) : 0;
      },
      Qt::BlockingQueuedConnection, &result);
  return result;
}

bool Window::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!widget_) return false;
  QCoreApplication::postEvent(widget_, new WindowWidget::MessageEvent(message, wParam, lParam));
  return true;
}

void Window::Close() { Send(MSG_CLOSE); }

intptr_t Window::Dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case MSG_COMMAND:
      OnCommand(int(wParam));
      return 0;
    case MSG_CLOSE:
      OnClose();
      return 0;
    default:
      return OnMessage(message, wParam, lParam);
  }
}

void Window::SetTimer(int timerId, int periodMs) {
  if (!widget_) return;
  KillTimer(timerId);
  TimerSlot& slot = timers_[timerId];
  slot.periodMs = std::max(periodMs, 0);
  slot.origin = std::chrono::steady_clock::now();
  StartQtTimer(slot, slot.periodMs, false);
}

void Window::StartQtTimer(TimerSlot& slot, int delayMs, bool aligning) {
  // The one shot to the grid must be on time; periodic ticks may be coalesced
  // with other timers' wake-ups.
  slot.qtId = widget_->startTimer(delayMs, aligning ? Qt::PreciseTimer : Qt::CoarseTimer);
  slot.aligning = aligning;
}

void Window::KillTimer(int timerId) {
  auto it = timers_.find(timerId);
  if (it == timers_.end()) return;
  if (widget_ && it->second.qtId) widget_->killTimer(it->second.qtId);
  timers_.erase(it);
}

bool Window::IsTimerResting(int timerId) const {
  const auto it = timers_.find(timerId);
  return it != timers_.end() && it->second.qtId == 0;
}

void Window::RestTimer(int timerId, bool rest) {
  auto it = timers_.find(timerId);
  if (it == timers_.end() || !widget_ || rest == (it->second.qtId == 0)) return;
  TimerSlot& slot = it->second;
  if (rest) {
    widget_->killTimer(slot.qtId);
    slot.qtId = 0;
    return;
  }
  if (slot.periodMs == 0) {
    StartQtTimer(slot, 0, false);
    return;
  }
  // The next tick of the grid that started with SetTimer.
  const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - slot.origin);
  const int64_t period = int64_t(slot.periodMs) * 1000;
  const int64_t untilNext = period - elapsed.count() % period;
  StartQtTimer(slot, int((untilNext + 999) / 1000), true);
}

void Window::SetCapture() {
  if (widget_) widget_->grabMouse();
}

void Window::ReleaseCapture() {
  if (widget_ && QWidget::mouseGrabber() == widget_) widget_->releaseMouse();
}

bool Window::HasCapture() const { return widget_ && QWidget::mouseGrabber() == widget_; }

void Window::SetFocus() {
  if (!widget_) return;
  widget_->activateWindow();
  widget_->setFocus();
}

bool Window::HasFocus() const { return widget_ && widget_->window()->isActiveWindow(); }

Rect Window::GetWindowRect() const {
  if (!widget_) return {};
  QPoint origin = widget_->mapToGlobal(QPoint(0, 0));
  if (!Platform::WindowPlacesKnown()) {
    // The compositor keeps the real place to itself: the place the player gave
    // the top-level window stands in, so what is written is what was read.
    QWidget* top = widget_->window();
    if (const Window* topWindow = WindowOfWidget(top))
      origin = widget_->mapTo(top, QPoint(0, 0)) + QPoint(topWindow->placed_.x, topWindow->placed_.y);
  }
  return Rect::FromSize(origin.x(), origin.y(), widget_->width(), widget_->height());
}

Rect Window::GetClientRect() const {
  if (!widget_) return {};
  return Rect::FromSize(0, 0, widget_->width(), widget_->height());
}

void Window::MoveWindow(const Rect& rect, bool repaint) {
  if (!widget_) return;
  if (widget_->isWindow()) placed_ = {rect.left, rect.top};
  widget_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
  if (repaint) widget_->update();
}

void Window::Show() {
  if (widget_) widget_->show();
}

void Window::Hide() {
  if (widget_) widget_->hide();
}

void Window::Minimize() {
  if (widget_) widget_->showMinimized();
}

bool Window::IsVisible() const { return widget_ && widget_->isVisible(); }

void Window::SetTitle(const QString& title) {
  if (widget_) widget_->setWindowTitle(title);
}

void Window::SetTopMost(bool topMost) {
  if (!widget_ || !widget_->isWindow()) return;
  const bool wasVisible = widget_->isVisible();
  widget_->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
  if (wasVisible) widget_->show();  // changing flags hides a top-level widget
}

void Window::Invalidate(bool erase) {
  if (!widget_) return;
  eraseNext_ = eraseNext_ || erase;
  widget_->update();
}

void Window::Invalidate(const Rect& rect, bool erase) {
  if (!widget_) return;
  if (erase) {
    Invalidate(true);
    return;
  }
  widget_->update(rect.left, rect.top, rect.Width(), rect.Height());
}

void Window::RedrawNow() {
  if (widget_ && widget_->isVisible()) widget_->repaint();
}

void Window::RedrawNow(const Rect& rect) {
  if (widget_ && widget_->isVisible()) widget_->repaint(rect.left, rect.top, rect.Width(), rect.Height());
}

int Window::ScreenWidth() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 0;
}

int Window::ScreenHeight() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 0;
}

int Window::DesktopWidth() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->virtualGeometry().width() : 0;
}

int Window::DesktopHeight() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->virtualGeometry().height() : 0;
}

intptr_t Window::OnMessage(uint32_t, uintptr_t, intptr_t) { return 0; }
void Window::OnCommand(int) {}
void Window::OnTimer(int) {}
void Window::OnStylusDown(Point) {}
void Window::OnStylusMove(Point) {}
void Window::OnStylusUp(Point) {}
void Window::OnStylusDoubleClick(Point p) { OnStylusDown(p); }
void Window::OnWheel(int) {}
void Window::OnPaint(Canvas&) {}
void Window::OnSize(int, int) {}
void Window::OnFocusGained() {}
void Window::OnFocusLost(Window*) {}
void Window::OnClose() { Destroy(); }
void Window::OnDestroy() {}

void Window::AcceptDrops(bool accept) {
  if (widget_) widget_->setAcceptDrops(accept);
}

void Window::OnDrop(const QStringList&) {}

void Window::SetDropFilter(DropFilter filter) { TheDropFilter() = std::move(filter); }

void Window::SetOpaque(bool opaque) {
  if (widget_) widget_->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
}
