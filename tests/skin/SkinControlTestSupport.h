#pragma once
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QString>
#include <QWidget>
#include <map>
#include <ostream>
#include <vector>

#include "platform/Window.h"
#include "skin/SourceRect.h"

// Colours and texts read back in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

// Helpers shared by the skinned-control tests.
namespace SkinTest {

// A top-level window that records what its children tell it.
class RecordingWindow : public Window {
 public:
  struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  std::vector<int> commands;
  std::vector<Message> messages;
  std::vector<Rect> movingRects;  // what MSG_WINDOW_MOVING pointed at, copied on arrival

 protected:
  void OnCommand(int id) override { commands.push_back(id); }
  intptr_t OnMessage(uint32_t m, uintptr_t w, intptr_t l) override {
    messages.push_back({m, w, l});
    if (m == MSG_WINDOW_MOVING) movingRects.push_back(*reinterpret_cast<const Rect*>(w));
    return 0;
  }
};

inline int CountMessages(const RecordingWindow& w, uint32_t message) {
  int n = 0;
  for (const auto& m : w.messages) n += m.message == message;
  return n;
}

// Stylus input at a point in the window's client area, delivered as Qt delivers it.
inline void Stylus(Window& w, QEvent::Type type, Point client) {
  QWidget* widget = w.Widget();
  const QPointF local(client.x, client.y);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, local, widget->mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &e);
}
inline void Press(Window& w, Point p) { Stylus(w, QEvent::MouseButtonPress, p); }
inline void Move(Window& w, Point p) {
  QWidget* widget = w.Widget();
  const QPointF local(p.x, p.y);
  QMouseEvent e(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::LeftButton,
                Qt::NoModifier);
  QApplication::sendEvent(widget, &e);
}
inline void Release(Window& w, Point p) { Stylus(w, QEvent::MouseButtonRelease, p); }

// The stylus at a screen point, for windows that move under it.
inline Point ClientOf(const Window& w, Point screen) {
  const Rect r = w.GetWindowRect();
  return {screen.x - r.left, screen.y - r.top};
}

// Runs queued (posted) messages.
inline void DeliverPosted() { QCoreApplication::sendPostedEvents(); }

inline QColor PixelAt(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

// The skins built with the project.
struct SpriteInfo {
  QString file;
  SourceRect rect;
  QColor colour;
};
struct SkinMap {
  std::map<QString, SpriteInfo> sprites;
  QColor Colour(const QString& name) const;
  SourceRect Rect(const QString& name) const;
};
SkinMap LoadTestSkinMap();
QString TestSkinFolder();
QString DefaultSkinFolder();
// The skin's bitmaps by file name, read with Qt's own BMP reader.
std::map<QString, QImage> LoadSkinImages(const QString& folder);

}  // namespace SkinTest
