// The floor for start-up figures: a Qt program that shows one empty frameless window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
  window.setWindowTitle("bare");
  window.setGeometry(0, 26, 275, 116);
  window.show();
  return application.exec();
}
