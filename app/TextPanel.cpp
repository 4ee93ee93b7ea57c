#include "app/TextPanel.h"

#include "platform/Canvas.h"

TextPanel::TextPanel() = default;
TextPanel::~TextPanel() = default;

bool TextPanel::Create(const Rect& rect, Window* parent, int id) { return CreateChild(parent, rect, id, true); }

void TextPanel::Display(const QString& text) {
  // Timers re-show the same text often; only a change is worth a repaint.
  if (text == shown_) return;
  shown_ = text;
  Invalidate(false);
}

void TextPanel::SetText(const QString& text) {
  text_ = text;
  Display(text);
}

void TextPanel::ShowMessage(const QString& text) { Display(text); }

void TextPanel::RestoreText() { Display(text_); }

void TextPanel::SetTextColour(Colour colour) {
  textColour_ = colour;
  Invalidate(false);
}

void TextPanel::SetBackColour(Colour colour) {
  backColour_ = colour;
  Invalidate(false);
}

void TextPanel::SetFontHeight(int height) {
  fontHeight_ = height;
  Invalidate(false);
}

void TextPanel::SetTextOffset(int x, int y) {
  offsetX_ = x;
  offsetY_ = y;
}

void TextPanel::OnPaint(Canvas& canvas) {
  const Rect client = GetClientRect();
  canvas.Fill(client, backColour_);
  const Rect area{offsetX_, offsetY_, client.right, client.bottom};
  if (fitWidth_) {
    canvas.DrawTextFitted(area, shown_, fontHeight_, fontFace_, textColour_);
  } else {
    canvas.DrawTextTopLeft(area, shown_, fontHeight_, fontFace_, textColour_);
  }
}
