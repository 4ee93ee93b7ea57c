// A window built from the skinned controls, laid out like the main window and
// drawn from the generated skins at every scale. The test skin paints each
// sprite in its own colour, so a grabbed pixel names the sprite on screen.
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <memory>

#include "SkinControlTestSupport.h"
#include "platform/Canvas.h"
#include "skin/MovableWindow.h"
#include "skin/Scale.h"
#include "skin/SkinButton.h"
#include "skin/SkinSlider.h"
#include "skin/SkinToggle.h"

using namespace SkinTest;

namespace {
constexpr int kScales[] = {50, 75, 88, 100, 150, 200};

struct Place {
  int x, y, w, h;
};
struct ButtonSpec {
  int id;
  Place place;
  const char* file;
  SourceRect normal, pressed;
};
struct ToggleSpec {
  int id;
  Place place;
  SourceRect on, onPressed, off, offPressed;
};

// The main window's controls: place at 100 % and the sprites cut for them.
const ButtonSpec kButtons[] = {
    {10008, {16, 88, 23, 18}, "cbuttons.bmp", {0, 0, 23, 18}, {0, 18, 23, 18}},
    {10009, {39, 88, 23, 18}, "cbuttons.bmp", {23, 0, 23, 18}, {23, 18, 23, 18}},
    {10010, {62, 88, 23, 18}, "cbuttons.bmp", {46, 0, 23, 18}, {46, 18, 23, 18}},
    {10011, {85, 88, 23, 18}, "cbuttons.bmp", {69, 0, 23, 18}, {69, 18, 23, 18}},
    {10012, {108, 88, 22, 18}, "cbuttons.bmp", {92, 0, 22, 18}, {92, 18, 22, 18}},
    {10013, {136, 89, 22, 16}, "cbuttons.bmp", {114, 0, 22, 16}, {114, 16, 22, 16}},
    {10003, {6, 3, 9, 9}, "TitleBar.bmp", {0, 0, 9, 9}, {0, 9, 9, 9}},
    {10002, {244, 3, 9, 9}, "TitleBar.bmp", {9, 0, 9, 9}, {9, 9, 9, 9}},
    {10001, {264, 3, 9, 9}, "TitleBar.bmp", {18, 0, 9, 9}, {18, 9, 9, 9}},
};
const ToggleSpec kToggles[] = {
    {10014, {219, 58, 23, 12}, {0, 73, 23, 12}, {46, 73, 23, 12}, {0, 61, 23, 12}, {46, 61, 23, 12}},
    {10015, {242, 58, 23, 12}, {23, 73, 23, 12}, {69, 73, 23, 12}, {23, 61, 23, 12}, {69, 61, 23, 12}},
    {10017, {164, 89, 47, 15}, {28, 30, 47, 15}, {28, 45, 47, 15}, {28, 0, 47, 15}, {28, 15, 47, 15}},
    {10016, {210, 89, 28, 15}, {0, 30, 28, 15}, {0, 45, 28, 15}, {0, 0, 28, 15}, {0, 15, 28, 15}},
};
constexpr Place kVolume{107, 57, 68, 13};
constexpr Place kBalance{177, 57, 38, 13};
constexpr Place kPosition{16, 72, 248, 10};
constexpr SourceRect kThumb{15, 422, 14, 11};
constexpr SourceRect kThumbPressed{0, 422, 14, 11};

std::vector<SourceRect> VolumeFrames() {
  std::vector<SourceRect> f;
  for (int k = 0; k < 28; ++k) f.push_back({0, 15 * k, 68, 13});
  return f;
}
std::vector<SourceRect> BalanceFrames() {
  std::vector<SourceRect> f;
  for (int k = 27; k >= 0; --k) f.push_back({9, 15 * k, 38, 13});
  for (int k = 0; k < 28; ++k) f.push_back({9, 15 * k, 38, 13});
  return f;
}

Rect Scaled(int scale, const Place& p) { return ScaleControlRect(scale, p.x, p.y, p.w, p.h); }

// The window: background and title strip drawn by itself, the rest by its controls.
class SkinnedWindow : public MovableWindow {
 public:
  SkinnedWindow() : MovableWindow(DragMode{.outline = true}) {}

  bool Create() {
    if (!CreateTopLevel("skinned", Rect::FromSize(0, 0, 275, 116), 1)) return false;
    for (const ButtonSpec& b : kButtons) {
      buttons.push_back(std::make_unique<SkinButton>());
      if (!buttons.back()->Create(Rect{}, this, b.id)) return false;
    }
    for (const ToggleSpec& t : kToggles) {
      toggles.push_back(std::make_unique<SkinToggle>());
      if (!toggles.back()->Create(Rect{}, this, t.id)) return false;
    }
    bool ok = volume.Create(Rect{}, 14, 11, 0, this, 10) && balance.Create(Rect{}, 14, 11, 0, this, 11) &&
              position.Create(Rect{}, 29, 10, 0, this, 12);
    volume.SetRange(0, 255, false);
    balance.SetRange(-127, 127, false);
    position.SetRange(0, 255, false);
    return ok;
  }

  void ApplySkin(const std::map<QString, QImage>& images) {
    skin = images;
    const QImage& shufrep = Image("ShufRep.bmp");
    for (size_t i = 0; i < buttons.size(); ++i) {
      buttons[i]->SetNormalImage(Image(kButtons[i].file), kButtons[i].normal);
      buttons[i]->SetPressedImage(Image(kButtons[i].file), kButtons[i].pressed);
      buttons[i]->Invalidate(true);
    }
    for (size_t i = 0; i < toggles.size(); ++i) {
      toggles[i]->SetNormalImage(shufrep, kToggles[i].on);
      toggles[i]->SetPressedImage(shufrep, kToggles[i].onPressed);
      toggles[i]->SetOffImage(shufrep, kToggles[i].off);
      toggles[i]->SetOffPressedImage(shufrep, kToggles[i].offPressed);
      toggles[i]->Invalidate(true);
    }
    SkinSlider* sliders[] = {&volume, &balance};
    const QImage* bitmaps[] = {&Image("volume.bmp"), &Image("balance.bmp")};
    const std::vector<SourceRect> frames[] = {VolumeFrames(), BalanceFrames()};
    for (int i = 0; i < 2; ++i) {
      sliders[i]->RemoveAllFrames();
      for (const SourceRect& f : frames[i]) sliders[i]->AddFrame(*bitmaps[i], f);
      sliders[i]->SetThumbImage(*bitmaps[i], kThumb);
      sliders[i]->SetThumbPressedImage(*bitmaps[i], kThumbPressed);
    }
    position.RemoveAllFrames();
    position.AddFrame(Image("Posbar.bmp"), {0, 0, 248, 10});
    position.SetThumbImage(Image("Posbar.bmp"), {248, 0, 29, 10});
    position.SetThumbPressedImage(Image("Posbar.bmp"), {278, 0, 29, 10});
    Invalidate(true);
  }

  void SetScale(int s) {
    scale = s;
    volume.SetThumbSize(ScaleControl(s, 14), ScaleControl(s, 11));
    balance.SetThumbSize(ScaleControl(s, 14), ScaleControl(s, 11));
    position.SetThumbSize(ScaleControl(s, 29), ScaleControl(s, 10));
    const Rect r = GetWindowRect();
    MoveWindow(Rect::FromSize(r.left, r.top, ScaleControl(s, 275), ScaleControl(s, 116)), true);
    Invalidate(false);
  }

  int scale = 100;
  std::vector<std::unique_ptr<SkinButton>> buttons;
  std::vector<std::unique_ptr<SkinToggle>> toggles;
  SkinSlider volume, balance, position;

 protected:
  void OnSize(int, int) override {
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->MoveWindow(Scaled(scale, kButtons[i].place), false);
    for (size_t i = 0; i < toggles.size(); ++i) toggles[i]->MoveWindow(Scaled(scale, kToggles[i].place), false);
    volume.MoveWindow(Scaled(scale, kVolume), false);
    balance.MoveWindow(Scaled(scale, kBalance), false);
    position.MoveWindow(Scaled(scale, kPosition), false);
  }

  void OnPaint(Canvas& canvas) override {
    canvas.StretchCopy(Image("main.bmp"), Rect::FromSize(0, 0, 275, 116), ScaleControlRect(scale, 0, 0, 275, 116));
    canvas.StretchCopy(Image("TitleBar.bmp"), Rect::FromSize(27, 0, 275, 14), ScaleControlRect(scale, 0, 0, 275, 14));
  }

 private:
  const QImage& Image(const QString& file) {
    static const QImage none;
    auto it = skin.find(file);
    return it == skin.end() ? none : it->second;
  }
  std::map<QString, QImage> skin;
};

class SkinnedWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { map = new SkinMap(LoadTestSkinMap()); }
  static void TearDownTestSuite() { delete map; }

  void SetUp() override {
    ASSERT_FALSE(map->sprites.empty()) << "test skin map missing";
    ASSERT_TRUE(window.Create());
    window.ApplySkin(LoadSkinImages(TestSkinFolder()));
  }

  // The test skin's colour of the sprite a window cuts at this place of that bitmap.
  static QColor SpriteColour(const QString& file, const SourceRect& r) {
    for (const auto& [name, s] : map->sprites) {
      if (s.file == file && s.rect == r) return s.colour;
    }
    ADD_FAILURE() << "no sprite in " << file.toStdString() << " at " << r.x << "," << r.y << " " << r.width
                  << "x" << r.height;
    return QColor();
  }

  QImage Grab() { return window.Widget()->grab().toImage(); }

  static SkinMap* map;
  SkinnedWindow window;
};
SkinMap* SkinnedWindowTest::map = nullptr;

// Whether a control created after the button with this index covers the point:
// rounding can make neighbours overlap by a pixel, and the later one is on top.
bool CoveredByLaterButton(int scale, size_t index, Point p) {
  for (size_t j = index + 1; j < std::size(kButtons); ++j) {
    if (Scaled(scale, kButtons[j].place).Contains(p)) return true;
  }
  return false;
}

// The corners and the centre of button index's scaled place show colour c.
void ExpectCorners(const QImage& img, int scale, size_t index, const QColor& c, const std::string& what) {
  const Rect r = Scaled(scale, kButtons[index].place);
  const Point points[] = {{r.left, r.top}, {r.right - 1, r.top}, {r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1},
                          {(r.left + r.right) / 2, (r.top + r.bottom) / 2}};
  for (const Point& p : points) {
    if (CoveredByLaterButton(scale, index, p)) continue;
    EXPECT_EQ(PixelAt(img, p.x, p.y).name(), c.name()) << what << " at " << p.x << "," << p.y;
  }
}
}  // namespace

TEST_F(SkinnedWindowTest, EverySpriteLandsOnItsScaledPlaceAtEveryScale) {
  for (int s : kScales) {
    SCOPED_TRACE(s);
    window.SetScale(s);
    window.volume.SetPosition(0);
    window.balance.SetPosition(0);
    window.position.SetPosition(0);
    const QImage img = Grab();
    ASSERT_EQ(img.size(), QSize(ScaleControl(s, 275), ScaleControl(s, 116)));
    for (size_t i = 0; i < std::size(kButtons); ++i) {
      const ButtonSpec& b = kButtons[i];
      ExpectCorners(img, s, i, SpriteColour(b.file, b.normal), "button " + std::to_string(b.id));
    }
    // Neighbours at 50 %: play ends where pause begins, so the pixel at the seam is pause's.
    if (s == 50) {
      EXPECT_EQ(PixelAt(img, 31, 44).name(), SpriteColour("cbuttons.bmp", kButtons[2].normal).name());
      EXPECT_EQ(PixelAt(img, 30, 44).name(), SpriteColour("cbuttons.bmp", kButtons[1].normal).name());
    }
    for (const ToggleSpec& t : kToggles) {
      const Rect r = Scaled(s, t.place);
      const QColor off = SpriteColour("ShufRep.bmp", t.off);
      EXPECT_EQ(PixelAt(img, (r.left + r.right) / 2, (r.top + r.bottom) / 2).name(), off.name()) << t.id;
      EXPECT_EQ(PixelAt(img, r.left + 1, r.bottom - 1).name(), off.name()) << t.id;
    }
    EXPECT_EQ(PixelAt(img, ScaleControl(s, 3), ScaleControl(s, 60)).name(),
              SpriteColour("main.bmp", {0, 0, 275, 116}).name());
    EXPECT_EQ(PixelAt(img, ScaleControl(s, 120), ScaleControl(s, 7)).name(),
              SpriteColour("TitleBar.bmp", {27, 0, 275, 14}).name());

    // Volume at 0: the first frame, thumb at the left end.
    const Rect vol = Scaled(s, kVolume);
    const int thumbW = ScaleControl(s, 14);
    const int midY = (vol.top + vol.bottom) / 2;
    EXPECT_EQ(PixelAt(img, vol.right - 1, midY).name(), SpriteColour("volume.bmp", {0, 0, 68, 13}).name());
    EXPECT_EQ(PixelAt(img, vol.left + thumbW / 2, midY).name(), SpriteColour("volume.bmp", kThumb).name());
    EXPECT_NE(PixelAt(img, vol.left + thumbW + 1, midY).name(), SpriteColour("volume.bmp", kThumb).name());
    // Balance at the centre shows frame 27, cut at y = 0.
    const Rect bal = Scaled(s, kBalance);
    EXPECT_EQ(PixelAt(img, bal.left, midY).name(), SpriteColour("balance.bmp", {9, 0, 38, 13}).name());
    const Rect pos = Scaled(s, kPosition);
    EXPECT_EQ(PixelAt(img, pos.right - 1, (pos.top + pos.bottom) / 2).name(),
              SpriteColour("Posbar.bmp", {0, 0, 248, 10}).name());
    EXPECT_EQ(PixelAt(img, pos.left + 1, (pos.top + pos.bottom) / 2).name(),
              SpriteColour("Posbar.bmp", {248, 0, 29, 10}).name());
  }
}

TEST_F(SkinnedWindowTest, SliderFramesAndThumbsFollowTheValue) {
  window.SetScale(200);
  window.volume.SetPosition(255);
  window.balance.SetPosition(-127);
  QImage img = Grab();
  const Rect vol = Scaled(200, kVolume);
  const int midY = (vol.top + vol.bottom) / 2;
  EXPECT_EQ(PixelAt(img, vol.left + 1, midY).name(), SpriteColour("volume.bmp", {0, 405, 68, 13}).name());
  EXPECT_EQ(PixelAt(img, vol.right - 2, midY).name(), SpriteColour("volume.bmp", kThumb).name());
  const Rect bal = Scaled(200, kBalance);
  EXPECT_EQ(PixelAt(img, bal.right - 1, midY).name(), SpriteColour("balance.bmp", {9, 405, 38, 13}).name());
  window.balance.SetPosition(127);
  img = Grab();
  EXPECT_EQ(PixelAt(img, bal.left, midY).name(), SpriteColour("balance.bmp", {9, 405, 38, 13}).name());
  window.balance.SetPosition(1);  // frame 28: the first of the second half, y = 0
  img = Grab();
  EXPECT_EQ(PixelAt(img, bal.left, midY).name(), SpriteColour("balance.bmp", {9, 0, 38, 13}).name());
}

TEST_F(SkinnedWindowTest, PressedStatesShowTheirSprites) {
  window.SetScale(150);
  SkinButton& play = *window.buttons[1];
  Press(play, {3, 3});
  QImage img = Grab();
  ExpectCorners(img, 150, 1, SpriteColour("cbuttons.bmp", {23, 18, 23, 18}), "pressed play");
  Release(play, {3, 3});
  img = Grab();
  ExpectCorners(img, 150, 1, SpriteColour("cbuttons.bmp", {23, 0, 23, 18}), "released play");

  SkinToggle& eq = *window.toggles[0];
  const Rect eqRect = Scaled(150, kToggles[0].place);
  const Point eqMid{(eqRect.left + eqRect.right) / 2, (eqRect.top + eqRect.bottom) / 2};
  Press(eq, {2, 2});
  EXPECT_EQ(PixelAt(Grab(), eqMid.x, eqMid.y).name(), SpriteColour("ShufRep.bmp", kToggles[0].offPressed).name());
  Release(eq, {2, 2});
  EXPECT_EQ(PixelAt(Grab(), eqMid.x, eqMid.y).name(), SpriteColour("ShufRep.bmp", kToggles[0].on).name());
  Press(eq, {2, 2});
  EXPECT_EQ(PixelAt(Grab(), eqMid.x, eqMid.y).name(), SpriteColour("ShufRep.bmp", kToggles[0].onPressed).name());
  Release(eq, {2, 2});
  EXPECT_EQ(PixelAt(Grab(), eqMid.x, eqMid.y).name(), SpriteColour("ShufRep.bmp", kToggles[0].off).name());

  // A held slider shows the pressed thumb under the stylus and the frame of the value there.
  SkinSlider& volume = window.volume;
  const Rect vol = Scaled(150, kVolume);
  const int midY = (vol.top + vol.bottom) / 2 - vol.top;
  Press(volume, {vol.Width() - 1, midY});
  img = Grab();
  EXPECT_EQ(PixelAt(img, vol.right - 3, vol.top + midY).name(), SpriteColour("volume.bmp", kThumbPressed).name());
  EXPECT_EQ(PixelAt(img, vol.left, vol.top + midY).name(), SpriteColour("volume.bmp", {0, 405, 68, 13}).name());
  Release(volume, {vol.Width() - 1, midY});
  img = Grab();
  EXPECT_EQ(PixelAt(img, vol.right - 3, vol.top + midY).name(), SpriteColour("volume.bmp", kThumb).name());
  EXPECT_EQ(volume.GetPosition(), 255);
}

TEST_F(SkinnedWindowTest, DefaultSkinDrawsEveryControlFromItsSpriteAtEveryScale) {
  const std::map<QString, QImage> images = LoadSkinImages(DefaultSkinFolder());
  ASSERT_EQ(images.size(), 14u) << DefaultSkinFolder().toStdString();
  window.ApplySkin(images);
  const QString saveTo = qEnvironmentVariable("TARNELLO_SAVE_GRABS");
  for (int s : kScales) {
    SCOPED_TRACE(s);
    window.SetScale(s);
    window.volume.SetPosition(180);
    window.balance.SetPosition(-40);
    window.position.SetPosition(90);
    window.toggles[0]->SetState(1);
    const QImage img = Grab();
    if (!saveTo.isEmpty()) img.save(QDir(saveTo).filePath(QString("default-%1.png").arg(s)));
    // The centre of each button is its sprite's pixel under nearest-neighbour
    // sampling (allowing a pixel either way for where the sampling grid falls).
    for (const ButtonSpec& b : kButtons) {
      const Rect r = Scaled(s, b.place);
      const QImage& sprite = images.at(b.file);
      const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
      const int sx = b.normal.x + (cx - r.left) * b.normal.width / r.Width();
      const int sy = b.normal.y + (cy - r.top) * b.normal.height / r.Height();
      const QRgb shown = img.pixel(cx, cy);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) found = sprite.pixel(sx + dx, sy + dy) == shown;
      }
      EXPECT_TRUE(found) << "button " << b.id << " at " << cx << "," << cy;
    }
  }
}
