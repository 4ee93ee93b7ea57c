// The floor for start-up figures: a Qt program that shows one empty frameless window.
// With the argument "3" it shows three, the sizes of the player's windows at the
// first start: what any program with three windows pays before it draws anything
// of its own. With "3text" the third draws a line of text in the default font, as
// a playlist does: the first text a Qt program draws loads the system's font
// configuration.
#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <cstring>

namespace {
class Window : public QWidget {
 public:
  Window(const char* title, int y, int height, bool text = false)
      : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), text_(text) {
    setWindowTitle(title);
    setGeometry(0, y, 275, height);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (!text_) return QWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::green);
    painter.drawText(10, 20, QStringLiteral("1. Someone - A title of a track  3:14"));
  }

 private:
  bool text_;
};
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const char* mode = argc > 1 ? argv[1] : "";
  if (std::strcmp(mode, "3") != 0 && std::strcmp(mode, "3text") != 0) {
    Window window("bare", 26, 116);
    window.show();
    return application.exec();
  }
  Window equalizer("bare 2", 142, 116), list("bare 3", 258, 232, std::strcmp(mode, "3text") == 0),
      main("bare 1", 26, 116);
  equalizer.show();
  list.show();
  main.show();
  return application.exec();
}
