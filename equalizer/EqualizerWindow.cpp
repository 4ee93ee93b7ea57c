#include "equalizer/EqualizerWindow.h"

#include "equalizer/EqPresets.h"
#include "equalizer/EqualizerDock.h"
#include "equalizer/PresetDialog.h"
#include "platform/Canvas.h"
#include "settings/Options.h"
#include "settings/SettingsFile.h"
#include "skin/PlayerWindows.h"
#include "skin/SkinSet.h"

using Options::ReadInt;
using Options::WriteInt;
using PlayerWindows::RectOf;

namespace {
constexpr int kWidth = 275;
constexpr int kHeight = 116;
constexpr int kThumb = 11;
constexpr SourceRect kThumbSource{0, 164, 11, 11};
constexpr SourceRect kThumbPressedSource{0, 176, 11, 11};

}  // namespace

EqualizerWindow::EqualizerWindow() : SkinnedWindow(kEqualizerPlacement) {}

EqualizerWindow::~EqualizerWindow() = default;

bool EqualizerWindow::Create(SkinSet& skin, EqualizerApply apply, SettingsFile& settings, Window* owner) {
  skin_ = &skin;
  apply_ = std::move(apply);
  settings_ = &settings;
  if (!CreateSkinned(QStringLiteral("Equalizer"), kWindowId, owner)) return false;
  CreateControls();
  // The scale gives the window its size; until then it is kept within the desktop.
  ReadPlacement(settings);
  ReadOptions();
  ApplySkin();
  // Skins dropped here are taken by the main window's drop filter and applied.
  AcceptDrops(true);
  return true;
}

void EqualizerWindow::CreateControls() {
  const Rect none{};
  onSwitch_.Create(none, this, ID_ON);
  autoSwitch_.Create(none, this, ID_AUTO);
  presetsButton_.Create(none, this, ID_PRESETS);
  preamp_.Create(none, kThumb, kThumb, SkinSlider::kVertical, this, ID_PREAMP);
  preamp_.SetRange(0, 63, false);
  for (int k = 0; k < 10; ++k) {
    bands_[size_t(k)].Create(none, kThumb, kThumb, SkinSlider::kVertical, this, ID_FIRST_BAND + k);
    bands_[size_t(k)].SetRange(0, 63, false);
  }
}

void EqualizerWindow::ReadOptions() {
  onSwitch_.SetState(ReadInt(*settings_, "EQOn", 0) > 0);
  autoSwitch_.SetState(ReadInt(*settings_, "EQAuto", 0) > 0);
  // The sliders keep what they are given inside 0..63.
  preamp_.SetPosition(ReadInt(*settings_, "EQPreset", 31));
  for (int k = 0; k < 10; ++k) bands_[size_t(k)].SetPosition(ReadInt(*settings_, QString("EQ%1").arg(k), 31));
}

void EqualizerWindow::WriteOptions() {
  SettingsFile& s = *settings_;
  WritePlacement(s);
  WriteInt(s, "EQOn", onSwitch_.GetState() ? 1 : 0);
  WriteInt(s, "EQAuto", autoSwitch_.GetState() ? 1 : 0);
  WriteInt(s, "EQPreset", preamp_.GetPosition());
  for (int k = 0; k < 10; ++k) WriteInt(s, QString("EQ%1").arg(k), bands_[size_t(k)].GetPosition());
}

void EqualizerWindow::OnClose() {
  // The store goes to disk with the main window's options, once, at exit.
  if (settings_) WriteOptions();
  SkinnedWindow::OnClose();
}

void EqualizerWindow::PlaceControls() {
  auto place = [this](Window& w, int x, int y, int width, int height) {
    w.MoveWindow(ScaledControlRect(x, y, width, height), false);
  };
  place(onSwitch_, 14, 18, 24, 12);
  place(autoSwitch_, 39, 18, 33, 12);
  place(presetsButton_, 217, 18, 44, 12);
  place(preamp_, 21, 38, 14, 64);
  for (int k = 0; k < 10; ++k) place(bands_[size_t(k)], 78 + 18 * k, 38, 14, 64);
}

void EqualizerWindow::OnSize(int, int) { PlaceControls(); }

void EqualizerWindow::SetScale(int scale) {
  KeepScale(scale);
  const int thumb = ScaledControl(kThumb);
  preamp_.SetThumbSize(thumb, thumb);
  for (SkinSlider& band : bands_) band.SetThumbSize(thumb, thumb);
  SizeToScale(kWidth, kHeight);
  // A hidden window hears of its new size only when shown; its controls are placed now.
  PlaceControls();
  Invalidate(false);
}

void EqualizerWindow::ApplySkin() {
  const QImage& eq = skin_->Bitmap(SLOT_EQMAIN);
  onSwitch_.SetNormalImage(eq, {69, 119, 24, 12});
  onSwitch_.SetPressedImage(eq, {187, 119, 24, 12});
  onSwitch_.SetOffImage(eq, {10, 119, 24, 12});
  onSwitch_.SetOffPressedImage(eq, {128, 119, 24, 12});
  onSwitch_.Invalidate(true);
  autoSwitch_.SetNormalImage(eq, {94, 119, 33, 12});
  autoSwitch_.SetPressedImage(eq, {212, 119, 33, 12});
  autoSwitch_.SetOffImage(eq, {35, 119, 33, 12});
  autoSwitch_.SetOffPressedImage(eq, {153, 119, 33, 12});
  autoSwitch_.Invalidate(true);
  presetsButton_.SetNormalImage(eq, {224, 164, 44, 12});
  presetsButton_.SetPressedImage(eq, {224, 176, 44, 12});
  presetsButton_.Invalidate(true);
  auto skinSlider = [&eq](SkinSlider& slider) {
    slider.SetThumbImage(eq, kThumbSource);
    slider.SetThumbPressedImage(eq, kThumbPressedSource);
    slider.RemoveAllFrames();
    // Fourteen frames along the lower row, then fourteen along the upper, right to left.
    for (int y : {229, 164})
      for (int x = 208; x >= 13; x -= 15) slider.AddFrame(eq, {x, y, 14, 64});
    slider.Invalidate(true);
  };
  skinSlider(preamp_);
  for (SkinSlider& band : bands_) skinSlider(band);
  Invalidate(true);
}

void EqualizerWindow::OnPaint(Canvas& canvas) {
  const QImage& eq = skin_ ? skin_->Bitmap(SLOT_EQMAIN) : QImage();
  if (eq.isNull()) return;
  canvas.StretchCopy(eq, Rect::FromSize(0, 0, 275, 116), ScaledPanelRect(0, 0, 275, 116));
  const int stripTop = HasFocus() ? 134 : 149;
  canvas.StretchCopy(eq, Rect::FromSize(0, stripTop, 275, 14), ScaledPanelRect(0, 0, 275, 14));
}

void EqualizerWindow::RedrawTitleStrip() { RedrawNow(ScaledPanelRect(0, 0, 275, 14)); }

EqualizerState EqualizerWindow::GetEqualizer() const {
  EqualizerState state;
  state.enabled = onSwitch_.GetState() ? 1 : 0;
  for (int k = 0; k < 10; ++k) state.bands[size_t(k)] = int16_t(bands_[size_t(k)].GetPosition());
  state.preamp = preamp_.GetPosition();
  return state;
}

void EqualizerWindow::ShareState(PlayerState& state) {
  state_ = &state;
  Publish();
}

void EqualizerWindow::Publish() {
  if (state_) state_->SetEqualizer(GetEqualizer());
}

void EqualizerWindow::Apply(int enabled) {
  const EqualizerState state = GetEqualizer();
  if (apply_) apply_(enabled, state.bands.data(), state.preamp);
}

void EqualizerWindow::LoadPreset() {
  const int index = ChoosePreset(Widget());
  if (index < 0 || index >= int(EqPresets().size())) return;
  const EqPreset& preset = EqPresets()[size_t(index)];
  for (int k = 0; k < 10; ++k) bands_[size_t(k)].SetPosition(preset.bands[size_t(k)]);
  Publish();
  if (apply_) apply_(onSwitch_.GetState(), preset.bands.data(), preamp_.GetPosition());
}

void EqualizerWindow::OnCommand(int commandId) {
  switch (commandId) {
    case ID_ON:
      Publish();
      Apply(onSwitch_.GetState());
      break;
    case ID_PRESETS:
      LoadPreset();
      break;
    default:
      // The auto switch only keeps its own state.
      break;
  }
}

intptr_t EqualizerWindow::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case MSG_SLIDER_TRACK:
      Publish();
      return SkinnedWindow::OnMessage(message, wParam, lParam);
    case MSG_SLIDER_SET:
      Publish();
      if (lParam >= ID_PREAMP && lParam <= ID_FIRST_BAND + 9 && onSwitch_.GetState()) Apply(1);
      return 0;
    case MSG_DRAG_BEGIN:
      dragStartRect_ = GetWindowRect();
      return 0;
    case MSG_DRAG_END:
      Drop();
      return 0;
    default:
      return SkinnedWindow::OnMessage(message, wParam, lParam);
  }
}

void EqualizerWindow::Drop() {
  Window* playlist = PlayerWindows::Playlist();
  const EqualizerDrop drop = DropEqualizer(dragStartRect_, GetWindowRect(), RectOf(PlayerWindows::Main()),
                                           RectOf(playlist), ScreenWidth(), ScreenHeight());
  if (drop.playlist && playlist) playlist->MoveWindow(*drop.playlist, true);
  MoveWindow(drop.equalizer, true);
}

void EqualizerWindow::OnStylusDown(Point client) {
  SetCapture();
  SkinnedWindow::OnStylusDown(client);
}

void EqualizerWindow::OnStylusUp(Point client) {
  ReleaseCapture();
  SkinnedWindow::OnStylusUp(client);
}
