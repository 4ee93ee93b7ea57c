#pragma once
#include <memory>

#include "platform/Geometry.h"

class QWidget;

// The dotted rectangle shown on screen while a window is dragged in outline mode.
// A frameless window masked to its one-pixel border, so it draws a true outline
// without a compositor. Nothing is shown where the compositor places windows.
class OutlineWindow {
 public:
  OutlineWindow();
  ~OutlineWindow();
  void ShowAt(const Rect& screenRect);
  void Hide();
  bool IsShown() const;

 private:
  std::unique_ptr<QWidget> widget_;
};
