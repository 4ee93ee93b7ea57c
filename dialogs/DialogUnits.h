#pragma once
#include <QRect>

class QWidget;

// Converts dialog units (a quarter of the font's average character width across,
// an eighth of its height down) into pixels of a widget's font, so the dialogs keep
// the proportions of their templates whatever font the desktop uses.
class DialogUnits {
 public:
  explicit DialogUnits(const QWidget* widget);
  int X(int units) const { return units * baseX_ / 4; }
  int Y(int units) const { return units * baseY_ / 8; }
  QRect Rect(int x, int y, int width, int height) const { return QRect(X(x), Y(y), X(width), Y(height)); }
  // Places a widget at a template rectangle.
  void Place(QWidget* widget, int x, int y, int width, int height) const;

 private:
  int baseX_;
  int baseY_;
};
