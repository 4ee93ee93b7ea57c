// How buttons, toggles and sliders answer the stylus, and what they tell their
// parent: buttons send (the parent has handled the command when the release
// returns), toggles and sliders post.
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "skin/SkinButton.h"
#include "skin/SkinSlider.h"
#include "skin/SkinToggle.h"

using namespace SkinTest;

namespace {
class ControlInput : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(parent.CreateTopLevel("controls", Rect::FromSize(0, 0, 300, 200), 1)); }
  RecordingWindow parent;
};
}  // namespace

TEST_F(ControlInput, ButtonSendsItsCommandWhereverTheStylusIsLifted) {
  SkinButton button;
  ASSERT_TRUE(button.Create(Rect::FromSize(39, 88, 23, 18), &parent, 10009));
  Press(button, {5, 5});
  EXPECT_TRUE(button.IsPressed());
  EXPECT_TRUE(parent.commands.empty());
  Move(button, {-60, 40});
  Release(button, {-60, 40});
  // Sent, not posted: handled before the release returned.
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0], 10009);
  EXPECT_FALSE(button.IsPressed());
  // Dragging a button never moves it.
  EXPECT_EQ(button.GetWindowRect(), Rect::FromSize(39, 88, 23, 18));
  DeliverPosted();
  EXPECT_EQ(parent.commands.size(), 1u);
}

TEST_F(ControlInput, ButtonPassesCommandsItReceivesToItsParent) {
  SkinButton button;
  ASSERT_TRUE(button.Create(Rect::FromSize(0, 0, 10, 10), &parent, 5));
  button.SendCommand(32797);
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0], 32797);
}

TEST_F(ControlInput, DisabledButtonIgnoresTheStylus) {
  SkinButton button;
  ASSERT_TRUE(button.Create(Rect::FromSize(0, 0, 10, 10), &parent, 5));
  button.Enable(false);
  Press(button, {3, 3});
  Release(button, {3, 3});
  EXPECT_TRUE(parent.commands.empty());
  button.Enable(true);
  Press(button, {3, 3});
  Release(button, {3, 3});
  EXPECT_EQ(parent.commands.size(), 1u);
}

TEST_F(ControlInput, ToggleFlipsOncePerTapAndPostsOneCommand) {
  SkinToggle toggle;
  ASSERT_TRUE(toggle.Create(Rect::FromSize(219, 58, 23, 12), &parent, 10014));
  EXPECT_EQ(toggle.GetState(), 0);
  Press(toggle, {4, 4});
  EXPECT_EQ(toggle.GetState(), 0);
  Release(toggle, {4, 4});
  EXPECT_EQ(toggle.GetState(), 1);
  // Posted: the parent hears of it only once its queue runs.
  EXPECT_TRUE(parent.commands.empty());
  DeliverPosted();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0], 10014);
  Press(toggle, {4, 4});
  Release(toggle, {4, 4});
  DeliverPosted();
  EXPECT_EQ(toggle.GetState(), 0);
  EXPECT_EQ(parent.commands.size(), 2u);
}

TEST_F(ControlInput, SetStateSendsNothing) {
  SkinToggle toggle;
  ASSERT_TRUE(toggle.Create(Rect::FromSize(0, 0, 23, 12), &parent, 10017));
  toggle.SetState(1);
  DeliverPosted();
  EXPECT_EQ(toggle.GetState(), 1);
  EXPECT_TRUE(parent.commands.empty());
  // A stray release without a press changes nothing.
  Release(toggle, {2, 2});
  DeliverPosted();
  EXPECT_EQ(toggle.GetState(), 1);
  EXPECT_TRUE(parent.commands.empty());
}

namespace {
struct SliderCase : ControlInput {
  void SetUp() override {
    ControlInput::SetUp();
    ASSERT_TRUE(slider.Create(Rect::FromSize(107, 57, 68, 13), 14, 11, 0, &parent, 10));
    slider.SetRange(0, 255, false);
  }
  std::vector<RecordingWindow::Message> Of(uint32_t message) {
    std::vector<RecordingWindow::Message> out;
    for (const auto& m : parent.messages) {
      if (m.message == message) out.push_back(m);
    }
    return out;
  }
  SkinSlider slider;
};
}  // namespace

TEST_F(SliderCase, TapChangesThePositionOnlyOnReleaseWithOneMessage) {
  Press(slider, {34, 6});
  EXPECT_TRUE(slider.IsDragging());
  DeliverPosted();
  EXPECT_EQ(slider.GetPosition(), 0);
  EXPECT_TRUE(parent.messages.empty());
  Release(slider, {34, 6});
  EXPECT_FALSE(slider.IsDragging());
  EXPECT_EQ(slider.GetPosition(), 127);
  EXPECT_TRUE(parent.messages.empty());  // posted
  DeliverPosted();
  ASSERT_EQ(parent.messages.size(), 1u);
  EXPECT_EQ(parent.messages[0].message, MSG_SLIDER_SET);
  EXPECT_EQ(parent.messages[0].wParam, 127u);
  EXPECT_EQ(parent.messages[0].lParam, 10);
}

TEST_F(SliderCase, DraggingPostsEveryStepThenTheRelease) {
  Press(slider, {7, 6});
  Move(slider, {34, 6});
  EXPECT_EQ(slider.GetPosition(), 127);
  Move(slider, {90, 6});
  Release(slider, {90, 6});
  DeliverPosted();
  const auto moving = Of(MSG_SLIDER_TRACK);
  const auto released = Of(MSG_SLIDER_SET);
  ASSERT_EQ(moving.size(), 2u);
  EXPECT_EQ(moving[0].wParam, 127u);
  EXPECT_EQ(moving[1].wParam, 255u);
  ASSERT_EQ(released.size(), 1u);
  EXPECT_EQ(released[0].wParam, 255u);
  EXPECT_EQ(parent.messages.back().message, MSG_SLIDER_SET);
  // Moves after the release are not drags.
  Move(slider, {10, 6});
  DeliverPosted();
  EXPECT_EQ(Of(MSG_SLIDER_TRACK).size(), 2u);
  EXPECT_EQ(slider.GetPosition(), 255);
}

TEST_F(SliderCase, NegativeValuesSurviveTheMessage) {
  slider.SetRange(-127, 127, false);
  Press(slider, {0, 6});
  Release(slider, {0, 6});
  DeliverPosted();
  ASSERT_EQ(parent.messages.size(), 1u);
  EXPECT_EQ(int(intptr_t(parent.messages[0].wParam)), -127);
  EXPECT_EQ(slider.GetPosition(), -127);
}
