#pragma once
#include <QEvent>
#include <QWidget>
#include <cstdint>

class Window;

// The Qt widget that carries a Window: turns Qt events into the window's handlers.
class WindowWidget : public QWidget {
 public:
  WindowWidget(Window* owner, QWidget* parent, Qt::WindowFlags flags);
  ~WindowWidget() override;
  Window* Owner() const { return owner_; }
  void Detach() { owner_ = nullptr; }

  // A queued window message.
  class MessageEvent : public QEvent {
   public:
    static const QEvent::Type kType;
    MessageEvent(uint32_t m, uintptr_t w, intptr_t l) : QEvent(kType), message(m), wParam(w), lParam(l) {}
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
  };

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  Window* owner_;
  int wheelRest_ = 0;
};
