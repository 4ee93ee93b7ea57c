// What the main window shows: the places of its controls at every scale, the
// pieces it paints itself, the skin it hands its controls, and the display
// operations playback uses.
#include <algorithm>
#include <climits>
#include <optional>

#include "app/MainLayout.h"
#include "app/MainWindow.h"
#include "platform/Canvas.h"
#include "playback/PluginManager.h"

using namespace MainLayout;

Window* MainWindow::Control(int id) {
  for (size_t i = 0; i < pushButtons_.size(); ++i)
    if (kPushButtons[i].id == id) return &pushButtons_[i];
  for (size_t i = 0; i < titleButtons_.size(); ++i)
    if (kTitleButtons[i].id == id) return &titleButtons_[i];
  switch (id) {
    case ID_EQUALIZER:
    case ID_PLAYLIST:
    case ID_REPEAT:
    case ID_SHUFFLE:
    case ID_UNPLACED:
      return &Toggle(id);
    case SLIDER_VOLUME:
      return &volumeSlider_;
    case SLIDER_BALANCE:
      return &balanceSlider_;
    case SLIDER_POSITION:
      return &positionSlider_;
    case ID_TITLE_TEXT:
      return &titleText_;
    case ID_BITRATE_TEXT:
      return &bitRateText_;
    case ID_SAMPLERATE_TEXT:
      return &sampleRateText_;
    default:
      return nullptr;
  }
}

SkinToggle& MainWindow::Toggle(int id) {
  switch (id) {
    case ID_EQUALIZER:
      return equalizerToggle_;
    case ID_PLAYLIST:
      return playlistToggle_;
    case ID_REPEAT:
      return repeatToggle_;
    case ID_SHUFFLE:
      return shuffleToggle_;
    default:
      return unplacedToggle_;
  }
}

void MainWindow::PlaceControls() {
  for (size_t i = 0; i < pushButtons_.size(); ++i)
    pushButtons_[i].MoveWindow(ScaledControlRect(kPushButtons[i].place), false);
  for (const TogglePiece& piece : kToggles) Toggle(piece.id).MoveWindow(ScaledControlRect(piece.place), false);
  volumeSlider_.MoveWindow(ScaledControlRect(kVolumePlace), false);
  balanceSlider_.MoveWindow(ScaledControlRect(kBalancePlace), false);
  positionSlider_.MoveWindow(ScaledControlRect(kPositionPlace), false);
  for (size_t i = 0; i < titleButtons_.size(); ++i)
    titleButtons_[i].MoveWindow(ScaledControlRect(kTitleButtons[i].place), false);
  titleText_.MoveWindow(ScaledControlRect(kTitlePlace), false);
  bitRateText_.MoveWindow(ScaledControlRect(kBitRatePlace), false);
  sampleRateText_.MoveWindow(ScaledControlRect(kSampleRatePlace), false);
}

void MainWindow::OnSize(int, int) { PlaceControls(); }

void MainWindow::SetScale(int scale) {
  KeepScale(scale);
  volumeSlider_.SetThumbSize(ScaledControl(14), ScaledControl(11));
  balanceSlider_.SetThumbSize(ScaledControl(14), ScaledControl(11));
  positionSlider_.SetThumbSize(ScaledControl(29), ScaledControl(10));
  titleText_.SetFontHeight(ScaledControl(14));
  sampleRateText_.SetFontHeight(ScaledControl(13));
  bitRateText_.SetFontHeight(ScaledControl(13));
  SizeToScale(kWidth, kHeight);
  // A hidden window hears of its new size only when shown; its controls are placed now.
  PlaceControls();
  Invalidate(false);
}

void MainWindow::SkinButtons() {
  const SkinSet& skin = *skin_;
  for (size_t i = 0; i < pushButtons_.size(); ++i) {
    const ButtonPiece& piece = kPushButtons[i];
    pushButtons_[i].SetNormalImage(skin.Bitmap(piece.slot), piece.normal);
    pushButtons_[i].SetPressedImage(skin.Bitmap(piece.slot), piece.pressed);
    pushButtons_[i].Invalidate(true);
  }
  const QImage& shufrep = skin.Bitmap(SLOT_SHUFREP);
  for (const TogglePiece& piece : kToggles) {
    SkinToggle& toggle = Toggle(piece.id);
    toggle.SetNormalImage(shufrep, piece.on);
    toggle.SetPressedImage(shufrep, piece.onPressed);
    toggle.SetOffImage(shufrep, piece.off);
    toggle.SetOffPressedImage(shufrep, piece.offPressed);
    toggle.Invalidate(true);
  }
}

void MainWindow::SkinSliders() {
  const SkinSet& skin = *skin_;
  const QImage& volume = skin.Bitmap(SLOT_VOLUME);
  volumeSlider_.RemoveAllFrames();
  for (int k = 0; k < 28; ++k) volumeSlider_.AddFrame(volume, {0, 15 * k, 68, 13});
  volumeSlider_.SetThumbImage(volume, kThumb);
  volumeSlider_.SetThumbPressedImage(volume, kThumbPressed);
  volumeSlider_.Invalidate(true);

  // Balance frames run from the left end through the centre (y = 0) to the right end.
  const QImage& balance = skin.Bitmap(SLOT_BALANCE);
  balanceSlider_.RemoveAllFrames();
  for (int k = 27; k >= 0; --k) balanceSlider_.AddFrame(balance, {9, 15 * k, 38, 13});
  for (int k = 0; k < 28; ++k) balanceSlider_.AddFrame(balance, {9, 15 * k, 38, 13});
  balanceSlider_.SetThumbImage(balance, kThumb);
  balanceSlider_.SetThumbPressedImage(balance, kThumbPressed);
  balanceSlider_.Invalidate(true);

  const QImage& posbar = skin.Bitmap(SLOT_POSBAR);
  positionSlider_.RemoveAllFrames();
  positionSlider_.AddFrame(posbar, kPositionFrame);
  positionSlider_.SetThumbImage(posbar, kPositionThumb);
  positionSlider_.SetThumbPressedImage(posbar, kPositionThumbPressed);
  positionSlider_.Invalidate(true);
}

void MainWindow::ApplySkin() {
  // The playlist editor takes the skin's four list colours first.
  playlistWindow_->SetColours(skin_->CurrentText(), skin_->NormalText(), skin_->NormalBackground(),
                              skin_->SelectedBackground());
  SkinButtons();
  SkinSliders();
  for (TextPanel* panel : {&titleText_, &bitRateText_, &sampleRateText_}) {
    panel->SetTextColour(skin_->NormalText());
    panel->SetBackColour(skin_->NormalBackground());
    panel->Invalidate(true);
  }
  const QImage& titlebar = skin_->Bitmap(SLOT_TITLEBAR);
  for (size_t i = 0; i < titleButtons_.size(); ++i) {
    titleButtons_[i].SetNormalImage(titlebar, kTitleButtons[i].normal);
    titleButtons_[i].SetPressedImage(titlebar, kTitleButtons[i].pressed);
    titleButtons_[i].Invalidate(true);
  }
  Invalidate(false);
}

void MainWindow::DrawPiece(Canvas& canvas, SkinSlot slot, const SourceRect& source, const Rect& place) {
  // A piece whose bitmap the skin lacks is skipped.
  const QImage& bitmap = skin_->Bitmap(slot);
  if (!bitmap.isNull()) canvas.StretchCopy(bitmap, source.ToRect(), ScaledControlRect(place));
}

void MainWindow::DrawTitleBar(Canvas& canvas) {
  const Piece& title = HasFocus() ? kTitleActive : kTitleInactive;
  DrawPiece(canvas, SLOT_TITLEBAR, title.source, title.place);
}

void MainWindow::DrawLamps(Canvas& canvas) {
  const Lamps lamps = LampsFor(channels_);
  const Piece& stereo = lamps.stereo ? kStereoLit : kStereoDark;
  const Piece& mono = lamps.mono ? kMonoLit : kMonoDark;
  DrawPiece(canvas, SLOT_MONOSTER, stereo.source, stereo.place);
  DrawPiece(canvas, SLOT_MONOSTER, mono.source, mono.place);
}

void MainWindow::DrawTime(Canvas& canvas, const Rect& dirty) {
  const std::array<int, 5> glyphs = TimeGlyphs(minutes_, seconds_);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const Rect place = Rect::FromSize(kGlyphPlaces[i].x, kGlyphPlaces[i].y, kGlyphWidth, kGlyphHeight);
    const Rect scaled = ScaledControlRect(place);
    // Glyphs outside the area being painted cost nothing to leave out.
    if (scaled.right <= dirty.left || scaled.left >= dirty.right || scaled.bottom <= dirty.top ||
        scaled.top >= dirty.bottom)
      continue;
    DrawPiece(canvas, SLOT_NUMBERS, {kGlyphWidth * glyphs[i], 0, kGlyphWidth, kGlyphHeight}, place);
  }
}

void MainWindow::OnPaint(Canvas& canvas) {
  DrawPiece(canvas, SLOT_MAIN, kBackground.source, kBackground.place);
  DrawTitleBar(canvas);
  DrawLamps(canvas);
  DrawTime(canvas, canvas.DirtyRect());
}

void MainWindow::RedrawTitleStrip() { RedrawNow(ScaledControlRect(kTitleActive.place)); }

void MainWindow::SetChannels(int channels) {
  if (channels < 0) channels = 0;
  if (channels > 2) channels = 2;
  if (channels == channels_) return;
  channels_ = channels;
  RedrawNow(ScaledControlRect(kMonoLit.place));
  RedrawNow(ScaledControlRect(kStereoLit.place));
}

void MainWindow::ClearStreamDetails() {
  SetBitRate(-1);
  SetSampleRate(-1);
  SetChannels(0);
}

void MainWindow::SetTimeMs(int ms) {
  if (timeRemaining_ && playback_ && playback_->IsPlaying() && pluginManager_) {
    // The rest of the track, counted down to 0:00 at its end.
    const int length = pluginManager_->TrackLengthMs();
    if (length > 0) {
      const int rest = (std::max(0, length - std::max(0, ms)) + 999) / 1000;
      ShowTime(rest / 60, rest % 60);
      return;
    }
  }
  int seconds = ms / 1000;
  const int minutes = seconds / 60;
  seconds -= minutes * 60;
  ShowTime(minutes, seconds);
}

void MainWindow::SetTimeRemaining(bool remaining) {
  timeRemaining_ = remaining;
  if (playback_ && playback_->IsPlaying() && pluginManager_) state_.ShowTime(pluginManager_->PlayPositionMs());
}

void MainWindow::ShowTime(int minutes, int seconds) {
  const std::array<int, 5> before = TimeGlyphs(minutes_, seconds_);
  minutes_ = minutes;
  seconds_ = seconds;
  const std::array<int, 5> after = TimeGlyphs(minutes_, seconds_);
  // Only the glyphs that changed are drawn again (the display ticks five times a
  // second), in one paint: the span from the first changed glyph to the last.
  std::optional<Rect> changed;
  for (size_t i = 0; i < after.size(); ++i) {
    if (before[i] == after[i]) continue;
    const Rect glyph = Rect::FromSize(kGlyphPlaces[i].x, kGlyphPlaces[i].y, kGlyphWidth, kGlyphHeight);
    if (!changed) changed = glyph;
    changed->left = std::min(changed->left, glyph.left);
    changed->top = std::min(changed->top, glyph.top);
    changed->right = std::max(changed->right, glyph.right);
    changed->bottom = std::max(changed->bottom, glyph.bottom);
  }
  if (changed) RedrawNow(ScaledControlRect(*changed));
}

void MainWindow::PositionFollowed(int positionMs, int lengthMs) {
  // A negative length lands below the minimum, which the slider clamps.
  const int64_t value =
      PositionBarValue(positionSlider_.GetMinimum(), positionSlider_.GetMaximum(), positionMs, lengthMs);
  positionSlider_.SetPosition(int(std::clamp<int64_t>(value, INT_MIN, INT_MAX)));
}

void MainWindow::SetBitRate(int kbps) { bitRateText_.SetText(kbps < 0 ? QString() : QString::asprintf("%d", kbps)); }

void MainWindow::SetSampleRate(int hz) {
  sampleRateText_.SetText(hz < 0 ? QString() : QString::asprintf("%d", hz / 1000));
}

void MainWindow::SetTitle(const QString& text) { titleText_.SetText(text); }

void MainWindow::ShowMessage(const QString& text, bool armed) {
  titleText_.ShowMessage(text);
  if (!armed) return;
  osdShown_ = true;
  RestTimer(TIMER_MESSAGE, false);
}

void MainWindow::RestoreTitle() { titleText_.RestoreText(); }

void MainWindow::TimerMessageTick() {
  // Without an armed message the tick does nothing: the timer rests till the next.
  if (!osdShown_) {
    RestTimer(TIMER_MESSAGE, true);
    return;
  }
  titleText_.RestoreText();
  osdShown_ = false;
}
