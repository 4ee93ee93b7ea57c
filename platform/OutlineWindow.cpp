#include "platform/OutlineWindow.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "platform/Canvas.h"
#include "platform/DisplaySession.h"

namespace {
class OutlineWidget : public QWidget {
 public:
  OutlineWidget()
      : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    Canvas canvas(painter);
    canvas.DottedOutline(Rect::FromSize(0, 0, width(), height()));
  }
};
}  // namespace

OutlineWindow::OutlineWindow() = default;
OutlineWindow::~OutlineWindow() = default;

void OutlineWindow::ShowAt(const Rect& r) {
  // Where the compositor places windows, an outline would appear anywhere: none is shown.
  if (r.IsEmpty() || !Platform::WindowPlacesKnown()) return;
  if (!widget_) widget_ = std::make_unique<OutlineWidget>();
  widget_->setGeometry(r.left, r.top, r.Width(), r.Height());
  const QRegion outer(0, 0, r.Width(), r.Height());
  const QRegion inner(1, 1, std::max(0, r.Width() - 2), std::max(0, r.Height() - 2));
  widget_->setMask(outer.subtracted(inner));
  widget_->show();
  widget_->update();
}

void OutlineWindow::Hide() {
  if (widget_) widget_->hide();
}

bool OutlineWindow::IsShown() const { return widget_ && widget_->isVisible(); }
