#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "playback/PlaybackControl.h"
#include "skin/SkinButton.h"
#include "skin/SkinSlider.h"
#include "skin/SkinToggle.h"
#include "skin/SkinnedWindow.h"

class SettingsFile;
class SkinSet;

// Hands equalizer settings to the current plug-in: on (1) or off (0), the ten
// bands lowest first, the preamplifier.
using EqualizerApply = std::function<void(int enabled, const int16_t* bands, int preamp)>;

// The equalizer: a preamplifier and ten band sliders, an on switch, an auto switch
// and the presets button. It processes no sound: when its settings take effect it
// hands them to the current plug-in, and it keeps them in the settings store.
class EqualizerWindow : public SkinnedWindow {
 public:
  static constexpr int kWindowId = 10006;
  static constexpr int ID_ON = 10021;
  static constexpr int ID_AUTO = 10022;
  static constexpr int ID_PRESETS = 10023;
  static constexpr int ID_PREAMP = 11;
  static constexpr int ID_FIRST_BAND = 12;  // bands are 12 to 21, lowest first

  EqualizerWindow();
  ~EqualizerWindow() override;

  // Creates the window hidden, as a pop-up owned by owner, and reads its options.
  bool Create(SkinSet& skin, EqualizerApply apply, SettingsFile& settings, Window* owner);

  void SetScale(int scale);
  void ApplySkin();
  // The settings a new track starts with.
  EqualizerState GetEqualizer() const;
  // The player's state this window writes its settings into, now and on every
  // change of the switch, a preset or a slider.
  void ShareState(PlayerState& state);

  SkinToggle& OnSwitch() { return onSwitch_; }
  SkinToggle& AutoSwitch() { return autoSwitch_; }
  SkinButton& PresetsButton() { return presetsButton_; }
  SkinSlider& Preamp() { return preamp_; }
  SkinSlider& Band(int k) { return bands_[size_t(k)]; }

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void OnCommand(int commandId) override;
  void OnPaint(Canvas& canvas) override;
  void OnSize(int width, int height) override;
  void OnClose() override;
  void OnStylusDown(Point client) override;
  void OnStylusUp(Point client) override;

 private:
  void CreateControls();
  void ReadOptions();
  void WriteOptions();
  void PlaceControls();
  void Apply(int enabled);
  void Publish();
  void LoadPreset();
  void Drop();
  void RedrawTitleStrip() override;

  SkinSet* skin_ = nullptr;
  EqualizerApply apply_;
  SettingsFile* settings_ = nullptr;
  PlayerState* state_ = nullptr;
  Rect dragStartRect_;
  SkinToggle onSwitch_;
  SkinToggle autoSwitch_;
  SkinButton presetsButton_;
  SkinSlider preamp_;
  std::array<SkinSlider, 10> bands_;
};
