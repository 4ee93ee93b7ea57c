// The two scaling rules and the slider's arithmetic: value from a stylus point,
// thumb place from a value, background frame from a value.
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "skin/Scale.h"
#include "skin/SkinSlider.h"

using namespace SkinTest;

TEST(ScaleRule, RoundsHalvesUpInDoublePrecision) {
  EXPECT_EQ(ScaleControl(50, 23), 12);
  EXPECT_EQ(ScaleControl(88, 275), 242);
  EXPECT_EQ(ScaleControl(150, 23), 35);
  EXPECT_EQ(ScaleControl(150, 275), 413);
  EXPECT_EQ(ScaleControl(50, 275), 138);
  EXPECT_EQ(ScaleControl(200, 14), 28);
  EXPECT_EQ(ScaleControl(100, 116), 116);
  // 0.29 is stored just below itself, so half of 29 does not round up: the
  // rule divides by 100 first, and integer arithmetic would give 15 here.
  EXPECT_EQ(ScaleControl(50, 29), 14);
}

TEST(ScaleRule, ScalesEachNumberOfAPlaceOnItsOwn) {
  // The play button at 150 %.
  EXPECT_EQ(ScaleControlRect(150, 39, 88, 23, 18), Rect::FromSize(59, 132, 35, 27));
  EXPECT_EQ(ScaleControlRect(75, 16, 72, 248, 10), Rect::FromSize(12, 54, 186, 8));
}

TEST(ScaleRule, PanelRuleRoundsExactHalvesUp) {
  // The same half that the controls' rule leaves at 14 becomes 15 here: the
  // product is taken in integers, so 1450 * 0.01 lands on or above 14.5.
  EXPECT_EQ(ScalePanel(50, 29), 15);
  EXPECT_EQ(ScalePanel(50, 25), 13);
  EXPECT_EQ(ScalePanel(150, 275), 413);
  EXPECT_EQ(ScalePanel(75, 20), 15);
  EXPECT_EQ(ScalePanelRect(50, 29, 25, 275, 116), Rect::FromSize(15, 13, 138, 58));
}

TEST(ScaleRule, RulesDifferOnlyOnExactHalvesAndByOnePixel) {
  // Over the scales the menus offer and every base number a skin uses, the two
  // rules agree except where v * scale / 100 ends in exactly .5; there the
  // panels' rule is never the lower one.
  int differing = 0;
  for (int scale : {50, 75, 88, 100, 125, 150, 200})
    for (int v = 0; v <= 400; ++v) {
      const int control = ScaleControl(scale, v);
      const int panel = ScalePanel(scale, v);
      const bool exactHalf = (v * scale) % 100 == 50;
      if (!exactHalf) {
        EXPECT_EQ(control, panel) << v << " at " << scale;
        EXPECT_EQ(panel, (v * scale + 50) / 100) << v << " at " << scale;
        continue;
      }
      EXPECT_EQ(panel, (v * scale + 50) / 100) << v << " at " << scale;
      EXPECT_TRUE(control == panel || control == panel - 1) << v << " at " << scale;
      differing += control != panel;
    }
  EXPECT_GT(differing, 0);
}

TEST(ScaleRule, RescaleCutsTheFractionTowardsZero) {
  // A user-sized editor going from 100 % to 150 %, and back down.
  EXPECT_EQ(Rescale(275, 100, 150), 412);
  EXPECT_EQ(Rescale(413, 150, 100), 275);
  // Offsets left of or above the main window's corner keep their sign.
  EXPECT_EQ(Rescale(-3, 200, 100), -1);
  EXPECT_EQ(Rescale(-5, 100, 200), -10);
  // No overflow on the way: the product is taken in 64 bits.
  EXPECT_EQ(Rescale(30000000, 100, 200), 60000000);
}

class SliderGeometry : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(parent.CreateTopLevel("sliders", Rect::FromSize(0, 0, 300, 200), 1)); }
  // A slider placed and configured as the main window and equalizer do.
  SkinSlider& Make(int width, int height, int thumbW, int thumbH, int style, int minimum, int maximum) {
    auto& s = sliders.emplace_back(std::make_unique<SkinSlider>());
    EXPECT_TRUE(s->Create(Rect::FromSize(0, 0, width, height), thumbW, thumbH, style, &parent, 10));
    s->SetRange(minimum, maximum, false);
    return *s;
  }
  RecordingWindow parent;
  std::vector<std::unique_ptr<SkinSlider>> sliders;
};

TEST_F(SliderGeometry, VolumeSliderMapsPointsToValues) {
  SkinSlider& volume = Make(68, 13, 14, 11, 0, 0, 255);
  for (int x : {-20, 0, 7}) EXPECT_EQ(volume.PointToValue({x, 6}), 0) << x;
  for (int x : {61, 68, 500}) EXPECT_EQ(volume.PointToValue({x, 6}), 255) << x;
  EXPECT_EQ(volume.PointToValue({34, 6}), 127);
  EXPECT_EQ(volume.PointToValue({8, 6}), 4);  // 255 * 1 / 54, truncated
}

TEST_F(SliderGeometry, ThumbPlacesFollowValueAndStylus) {
  SkinSlider& volume = Make(68, 13, 14, 11, 0, 0, 255);
  EXPECT_EQ(volume.ValueToThumb(0), Rect::FromSize(0, 1, 14, 11));
  EXPECT_EQ(volume.ValueToThumb(255), Rect::FromSize(54, 1, 14, 11));
  EXPECT_EQ(volume.ValueToThumb(127), Rect::FromSize(26, 1, 14, 11));
  // While dragging the thumb follows the stylus pixel by pixel, held inside the slider.
  EXPECT_EQ(volume.PointToThumb({34, 0}), Rect::FromSize(27, 1, 14, 11));
  EXPECT_EQ(volume.PointToThumb({2, 0}), Rect::FromSize(0, 1, 14, 11));
  EXPECT_EQ(volume.PointToThumb({90, 0}), Rect::FromSize(54, 1, 14, 11));
}

TEST_F(SliderGeometry, BalanceFramesRunFromLeftEndThroughCentreToRightEnd) {
  SkinSlider& balance = Make(38, 13, 14, 11, 0, -127, 127);
  const QImage none;
  for (int i = 0; i < 56; ++i) balance.AddFrame(none, {9, 0, 38, 13});
  EXPECT_EQ(balance.FrameIndexFor(-127), 0);
  EXPECT_EQ(balance.FrameIndexFor(0), 27);
  EXPECT_EQ(balance.FrameIndexFor(127), 55);
  EXPECT_EQ(balance.PointToValue({0, 0}), -127);
  EXPECT_EQ(balance.PointToValue({38, 0}), 127);
  balance.RemoveAllFrames();
  EXPECT_EQ(balance.FrameIndexFor(0), -1);
}

TEST_F(SliderGeometry, VerticalSliderGrowsDownwardsAndStaysInRange) {
  SkinSlider& band = Make(14, 64, 11, 11, SkinSlider::kVertical, 0, 63);
  EXPECT_TRUE(band.IsVertical());
  EXPECT_EQ(band.PointToValue({100, 0}), 0);
  EXPECT_EQ(band.PointToValue({0, 5}), 0);
  EXPECT_EQ(band.PointToValue({0, 32}), 32);  // 63 * 27 / 53
  // With an odd thumb the stylus can reach one pixel beyond the travel; the
  // value is still the maximum, never 64.
  EXPECT_EQ(band.PointToValue({0, 59}), 63);
  EXPECT_EQ(band.PointToValue({0, 64}), 63);
  EXPECT_EQ(band.ValueToThumb(0), Rect::FromSize(1, 0, 11, 11));
  EXPECT_EQ(band.ValueToThumb(63), Rect::FromSize(1, 53, 11, 11));
  EXPECT_EQ(band.PointToThumb({0, 40}), Rect::FromSize(1, 35, 11, 11));
}

TEST_F(SliderGeometry, OddThumbAtLargeScaleNeverPicksAFramePastTheEnd) {
  // The balance slider at 150 %: 57 wide with a 21-wide thumb.
  SkinSlider& balance = Make(57, 20, 21, 17, 0, -127, 127);
  for (int i = 0; i < 56; ++i) balance.AddFrame(QImage(), {});
  const int far = balance.PointToValue({57, 0});
  EXPECT_EQ(far, 127);
  EXPECT_EQ(balance.FrameIndexFor(far), 55);
}

TEST_F(SliderGeometry, EmptyRangeAndOversizedThumbDoNotDivideByZero) {
  SkinSlider& flat = Make(68, 13, 14, 11, 0, 5, 5);
  flat.AddFrame(QImage(), {});
  flat.AddFrame(QImage(), {});
  EXPECT_EQ(flat.PointToValue({40, 0}), 5);
  EXPECT_EQ(flat.ValueToThumb(5), Rect::FromSize(0, 1, 14, 11));
  EXPECT_EQ(flat.FrameIndexFor(5), 0);
  SkinSlider& tight = Make(14, 11, 14, 11, 0, 0, 255);
  EXPECT_EQ(tight.PointToValue({7, 5}), 0);
  SkinSlider& tiny = Make(0, 0, 14, 11, SkinSlider::kVertical, 0, 63);
  EXPECT_EQ(tiny.PointToValue({0, 3}), 0);
  // Painting and a tap work as well.
  flat.Widget()->grab();
  Press(flat, {30, 5});
  Release(flat, {30, 5});
  DeliverPosted();
  EXPECT_EQ(flat.GetPosition(), 5);
}

TEST_F(SliderGeometry, RangeAndPositionAreClamped) {
  SkinSlider& s = Make(68, 13, 14, 11, 0, 0, 255);
  s.SetPosition(300);
  EXPECT_EQ(s.GetPosition(), 255);
  s.SetPosition(-4);
  EXPECT_EQ(s.GetPosition(), 0);
  s.SetPosition(200);
  s.SetRange(0, 100, true);
  EXPECT_EQ(s.GetPosition(), 100);
  // Raised to the minimum first, then lowered to the maximum.
  s.SetRange(150, 120, false);
  EXPECT_EQ(s.GetPosition(), 120);
  EXPECT_EQ(s.GetMinimum(), 150);
  EXPECT_EQ(s.GetMaximum(), 120);
}
