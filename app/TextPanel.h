#pragma once
#include <QString>

#include "platform/Window.h"

// One of the main window's text displays (title, bit rate, sample rate). It keeps
// a lasting text and shows either that or a temporary message over it.
class TextPanel : public Window {
 public:
  TextPanel();
  ~TextPanel() override;

  bool Create(const Rect& rect, Window* parent, int id);

  // Stores and shows the lasting text.
  void SetText(const QString& text);
  // Shows text without changing the lasting text.
  void ShowMessage(const QString& text);
  // Shows the lasting text again.
  void RestoreText();

  void SetTextColour(Colour colour);
  void SetBackColour(Colour colour);
  void SetFontHeight(int height);
  void SetTextOffset(int x, int y);
  // Narrows text wider than the panel instead of cutting it off.
  void SetFitWidth(bool fit) { fitWidth_ = fit; }

  const QString& Text() const { return text_; }
  // What the panel shows now: the lasting text or a message.
  const QString& Shown() const { return shown_; }
  int FontHeight() const { return fontHeight_; }
  Colour TextColour() const { return textColour_; }
  Colour BackColour() const { return backColour_; }

 protected:
  void OnPaint(Canvas& canvas) override;

 private:
  void Display(const QString& text);

  QString text_;
  QString shown_;
  bool fitWidth_ = false;
  QString fontFace_;  // empty: the system's sans-serif face
  int offsetX_ = 0;
  int offsetY_ = 0;
  int fontHeight_ = 14;
  Colour textColour_ = MakeColour(255, 255, 255);
  Colour backColour_ = MakeColour(0, 0, 0);
};
