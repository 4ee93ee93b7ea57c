// A skin archive with the quirks of archives found in the wild, chosen from the
// Skins menu, dropped on the windows and loaded again at the next start: the three
// windows at scale 100 show, pixel for pixel, the bitmaps the archive holds.
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <QWidget>
#include <gtest/gtest.h>

#include "SkinTestFiles.h"
#include "app/MainLayout.h"
#include "app/MainWindow.h"
#include "equalizer/EqualizerWindow.h"
#include "playlist/PlaylistEditorWindow.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "skin/BmpReader.h"
#include "skin/SkinSlider.h"
#include "support/RecordingMessageBoxes.h"

using namespace MainLayout;
using namespace SkinTest;

namespace {

const QString kTestSkin = QStringLiteral(TARNELLO_TEST_SKIN_FOLDER);

// The test skin's bitmap with its colours inverted, so that every sprite differs
// from the skin the player starts with.
QImage Inverted(const QString& file) {
  QImage image = Bmp::LoadDIBitmap(kTestSkin + '/' + file);
  image.invertPixels();
  return image;
}

// One bitmap of the archive: its entry name, the picture and how it is stored.
struct WildBitmap {
  QByteArray entry;
  QString file;  // the test skin's file it is made from
  std::optional<BmpLayout> layout;  // none: 24 bits
  int rows = 0;  // when set, only this many rows of the picture
};

// What the archive holds, as pictures by skin file name (lower case).
struct WildSkin {
  std::map<QString, QImage> images;
  std::vector<ZipEntry> entries;
  const QImage& Image(const QString& name) const { return images.at(name); }
};

WildSkin MakeWildSkin() {
  const std::vector<WildBitmap> bitmaps = {
      {"Wild Skin\\CBUTTONS.BMP", "cbuttons.bmp", BmpLayout::Indexed4},
      {"Wild Skin/Volume.bmp", "volume.bmp", BmpLayout::Rle8},
      {"Wild Skin\\BALANCE.BMP", "balance.bmp", BmpLayout::Rle8},
      {"Wild Skin/eqmain.bmp", "EqMain.bmp", BmpLayout::Indexed8Implicit},
      {"Wild Skin/MonoSter.BMP", "MonoSter.bmp", BmpLayout::Rgb16},
      {"Wild Skin/titlebar.bmp", "TitleBar.bmp", BmpLayout::V5Bitfields32},
      {"Wild Skin/numbers.BMP", "Numbers.bmp", BmpLayout::Indexed4},
      {"Wild Skin\\PLEDIT.BMP", "PlEdit.bmp", std::nullopt},
      {"Wild Skin/posbar.bmp", "Posbar.bmp", std::nullopt, 4},  // the bar is 10 high
      {"Wild Skin/ShufRep.bmp", "ShufRep.bmp", BmpLayout::Rle8},
      {"WILD SKIN\\MAIN.BMP", "main.bmp", BmpLayout::V4Rgb32},  // after its decoy
  };
  WildSkin skin;
  skin.entries = {{"Wild Skin/", {}}, {"wild skin/main.bmp", EncodeBmp24(Pattern(275, 116, 5))}};
  for (const WildBitmap& b : bitmaps) {
    QImage image = Inverted(b.file);
    if (b.rows) image = image.copy(0, 0, image.width(), b.rows);
    const QByteArray bytes = b.layout ? EncodeBmp(image, *b.layout) : EncodeBmp24(image);
    EXPECT_FALSE(bytes.isEmpty()) << b.file.toStdString();  // too many colours for the layout
    skin.images[b.file.toLower()] = image;
    skin.entries.push_back({b.entry, bytes});
  }
  QTemporaryDir nested;
  WriteZip(nested.path() + "/more.zip", {{"main.bmp", EncodeBmp24(Pattern(275, 116, 6))}});
  for (ZipEntry extra : std::vector<ZipEntry>{{"Wild Skin/readme.txt", "A skin.\r\n"},
                                              {"Wild Skin/Thumbs.db", QByteArray(64, '\x01')},
                                              {"Wild Skin/normal.cur", QByteArray(326, '\x02')},
                                              {"Wild Skin/eqslid.cur", QByteArray(326, '\x03')},
                                              {"Wild Skin/more.zip", ReadFile(nested.path() + "/more.zip")},
                                              {"__MACOSX/Wild Skin/._main.bmp", "fork"}})
    skin.entries.push_back(extra);
  // No "pledit.txt", "playpaus.bmp", "nums_ex.bmp" or "text.bmp".
  return skin;
}

// Pixels of a window grab against a rectangle of a bitmap; 16-bit bitmaps keep
// five bits of each channel. Returns a description of the first difference.
std::string CompareRegion(const QImage& grab, const Rect& at, const QImage& bitmap, Point from, bool sixteenBit = false) {
  for (int y = 0; y < at.Height(); ++y) {
    for (int x = 0; x < at.Width(); ++x) {
      const QRgb drawn = grab.pixel(at.left + x, at.top + y) | 0xFF000000u;
      const QRgb wanted = bitmap.pixel(from.x + x, from.y + y) | 0xFF000000u;
      if (sixteenBit ? !CloseTo16Bit(drawn, wanted) : drawn != wanted) {
        return "at " + std::to_string(at.left + x) + "," + std::to_string(at.top + y) + ": drawn " +
               QColor(drawn).name().toStdString() + ", bitmap " + QColor(wanted).name().toStdString();
      }
    }
  }
  return {};
}

#define EXPECT_REGION(...) EXPECT_EQ(CompareRegion(__VA_ARGS__), std::string())

Point Corner(const SourceRect& s) { return {s.x, s.y}; }
Rect Size(const SourceRect& s, const Rect& place) { return Rect::FromSize(place.left, place.top, s.width, s.height); }

class WildSkinWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("TARNELLO_HOME", home_.path().toUtf8());
    QDir().mkpath(Temporary());
    for (const QString& name : QDir(kTestSkin).entryList(QDir::Files)) QFile::copy(kTestSkin + '/' + name, Temporary() + '/' + name);
    WriteFile(home_.path() + "/tarnello.txt", "[tarnello]\nScale=100\n");
    PublishPlayOrder(&order_);
    wild_ = MakeWildSkin();
  }
  void TearDown() override {
    window_.reset();
    PublishPlayOrder(nullptr);
    qunsetenv("TARNELLO_HOME");
  }
  QString Temporary() const { return home_.path() + "/Skins/Temporary"; }
  QString Skins() const { return home_.path() + "/Skins"; }

  MainWindow& Start() {
    window_.reset();
    window_ = std::make_unique<MainWindow>();
    EXPECT_TRUE(window_->Create("Tarnello"));
    window_->Show();
    window_->Equalizer().Show();
    window_->PlaylistEditor().Show();
    QCoreApplication::processEvents();
    return *window_;
  }
  QStringList Texts() const {
    QStringList texts;
    for (const auto& box : boxes_.boxes) texts << box.text;
    return texts;
  }
  // What the window shows on its screen (not a fresh rendering: what was erased or
  // left alone by the last paint stays visible).
  static QImage Grab(Window& w) {
    QCoreApplication::processEvents();
    QWidget* widget = w.Widget();
    return widget->screen()->grabWindow(widget->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  }
  SkinSlider& Slider(int id) { return *dynamic_cast<SkinSlider*>(window_->Control(id)); }
  // A drag from the desktop entering the window and dropped on a free spot.
  void Drop(Window& target, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QWindow* window = target.Widget()->windowHandle();
    ASSERT_NE(window, nullptr);
    QDragEnterEvent enter(QPoint(2, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    QCoreApplication::processEvents();
  }

  // The main window, the equalizer and the playlist editor show the wild skin.
  void ExpectWildSkinDrawn() {
    const std::map<QString, QImage>& img = wild_.images;
    Slider(10).SetPosition(0);  // volume: frame 0, thumb at the left end
    Slider(11).SetPosition(0);  // balance: centre frame (y 0), thumb in the middle
    Slider(12).SetPosition(0);
    QCoreApplication::processEvents();
    const QImage main = Grab(*window_);
    ASSERT_EQ(main.size(), QSize(275, 116));

    // Background where no control lies: the left edge and below the buttons.
    EXPECT_REGION(main, Rect::FromSize(0, 14, 16, 102), img.at("main.bmp"), {0, 14});
    EXPECT_REGION(main, Rect::FromSize(0, 106, 275, 10), img.at("main.bmp"), {0, 106});
    // Title bar (focused or not) above its buttons, and the buttons.
    const QImage& title = img.at("titlebar.bmp");
    const Point strip = CompareRegion(main, Rect::FromSize(0, 0, 275, 3), title, {27, 0}).empty() ? Point{27, 0} : Point{27, 15};
    EXPECT_REGION(main, Rect::FromSize(0, 0, 275, 3), title, strip);
    for (const ButtonPiece& b : kTitleButtons) EXPECT_REGION(main, b.place, title, Corner(b.normal));
    for (const ButtonPiece& b : kPushButtons) EXPECT_REGION(main, b.place, img.at("cbuttons.bmp"), Corner(b.normal));
    for (const TogglePiece& t : kToggles) {
      // Shuffle and repeat share a column; the inner part of each is its own.
      const bool on = window_->Toggle(t.id).GetState() != 0;
      const SourceRect s = on ? t.on : t.off;
      EXPECT_REGION(main, Rect::FromSize(t.place.left + 1, t.place.top, t.place.Width() - 2, t.place.Height()),
                    img.at("shufrep.bmp"), {s.x + 1, s.y});
    }
    // Lamps dark, time glyphs.
    EXPECT_REGION(main, Size(kStereoDark.source, kStereoDark.place), img.at("monoster.bmp"), Corner(kStereoDark.source), true);
    EXPECT_REGION(main, Size(kMonoDark.source, kMonoDark.place), img.at("monoster.bmp"), Corner(kMonoDark.source), true);
    const std::array<int, 5> glyphs = TimeGlyphs(window_->GetMinutes(), window_->GetSeconds());
    for (size_t i = 0; i < glyphs.size(); ++i)
      EXPECT_REGION(main, Rect::FromSize(kGlyphPlaces[i].x, kGlyphPlaces[i].y, kGlyphWidth, kGlyphHeight),
                    img.at("numbers.bmp"), {kGlyphWidth * glyphs[i], 0});
    // Volume: frame 0 right of the thumb, the thumb at the left end, centred.
    const QImage& volume = img.at("volume.bmp");
    EXPECT_REGION(main, Rect::FromSize(kVolumePlace.left + 14, kVolumePlace.top, 54, 13), volume, {14, 0});
    EXPECT_REGION(main, Rect::FromSize(kVolumePlace.left, kVolumePlace.top + 1, 14, 11), volume, Corner(kThumb));
    // Balance at the centre: the frame at y 0 either side of the thumb.
    const QImage& balance = img.at("balance.bmp");
    EXPECT_REGION(main, Rect::FromSize(kBalancePlace.left, kBalancePlace.top, 12, 13), balance, {9, 0});
    EXPECT_REGION(main, Rect::FromSize(kBalancePlace.left + 26, kBalancePlace.top, 12, 13), balance, {9 + 26, 0});
    EXPECT_REGION(main, Rect::FromSize(kBalancePlace.left + 12, kBalancePlace.top + 1, 14, 11), balance, Corner(kThumb));
    // The position bar's bitmap is 4 rows high: the thumb and the bar draw those
    // rows; the window's background shows below them.
    const QImage& posbar = img.at("posbar.bmp");
    EXPECT_REGION(main, Rect::FromSize(kPositionPlace.left, kPositionPlace.top, 29, 4), posbar, Corner(kPositionThumb));
    EXPECT_REGION(main, Rect::FromSize(kPositionPlace.left + 29, kPositionPlace.top, 219, 4), posbar, {29, 0});
    EXPECT_REGION(main, Rect::FromSize(kPositionPlace.left, kPositionPlace.top + 4, 248, 6), img.at("main.bmp"),
                  {kPositionPlace.left, kPositionPlace.top + 4});

    // Equalizer: its title strip and the background left of its controls.
    const QImage eq = Grab(window_->Equalizer());
    const QImage& eqmain = img.at("eqmain.bmp");
    const Point eqStrip = CompareRegion(eq, Rect::FromSize(0, 0, 275, 14), eqmain, {0, 134}).empty() ? Point{0, 134} : Point{0, 149};
    EXPECT_REGION(eq, Rect::FromSize(0, 0, 275, 14), eqmain, eqStrip);
    EXPECT_REGION(eq, Rect::FromSize(0, 14, 14, 102), eqmain, {0, 14});
    EXPECT_REGION(eq, Rect::FromSize(0, 14, 275, 4), eqmain, {0, 14});

    // Playlist editor: the corners of its title bar.
    const QImage pl = Grab(window_->PlaylistEditor());
    const QImage& pledit = img.at("pledit.bmp");
    const int y = CompareRegion(pl, Rect::FromSize(0, 0, 25, 20), pledit, {0, 0}).empty() ? 0 : 21;
    EXPECT_REGION(pl, Rect::FromSize(0, 0, 25, 20), pledit, {0, y});
    EXPECT_REGION(pl, Rect::FromSize(pl.width() - 25, 0, 25, 20), pledit, {153, y});
  }

  QTemporaryDir home_;
  PlayOrder order_{0};
  RecordingMessageBoxes boxes_;
  WildSkin wild_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace

TEST_F(WildSkinWindowTest, ChosenFromTheMenuItDrawsAtOnceAndAgainAfterARestart) {
  ASSERT_TRUE(WriteZip(Skins() + "/Wild Skin.WSZ", wild_.entries));
  MainWindow& w = Start();
  ASSERT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  const std::vector<SkinPackage> packages = w.RefreshSkinPackages();
  ASSERT_EQ(packages.size(), 1u);
  EXPECT_EQ(packages[0].label, "Wild Skin");

  w.ChooseSkin(packages[0].command);
  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  ExpectWildSkinDrawn();

  Start();  // the next start loads the temporary folder the archive was unpacked into
  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  ExpectWildSkinDrawn();
}

TEST_F(WildSkinWindowTest, ASkinDroppedOnAnyWindowIsCopiedAndApplied) {
  const QString downloads = home_.path() + "/Downloads";
  QDir().mkpath(downloads);
  ASSERT_TRUE(WriteZip(downloads + "/Wild Skin.wsz", wild_.entries));
  MainWindow& w = Start();

  Drop(w.Equalizer(), downloads + "/Wild Skin.wsz");
  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  EXPECT_EQ(ReadFile(Skins() + "/Wild Skin.wsz"), ReadFile(downloads + "/Wild Skin.wsz"));
  ExpectWildSkinDrawn();
  EXPECT_EQ(w.GetPlaylist()->GetCount(), 0);

  // A package dropped on the playlist editor: the test skin again.
  const QString package = downloads + "/Test Skin.qsk";
  ASSERT_TRUE(QFile::copy(QStringLiteral(TARNELLO_TEST_SKIN_PACKAGE), package));
  Drop(w.PlaylistEditor(), package);
  EXPECT_TRUE(QFile::exists(Skins() + "/Test Skin.qsk"));
  const QImage buttons = Bmp::LoadDIBitmap(kTestSkin + "/cbuttons.bmp");
  EXPECT_REGION(Grab(w), kPushButtons[1].place, buttons, Corner(kPushButtons[1].normal));

  // Not a skin: refused as a menu entry would be, not copied, the skin kept. A skin
  // already in the folder is applied from there.
  WriteFile(downloads + "/broken.wsz", "not a zip");
  Drop(w, downloads + "/broken.wsz");
  EXPECT_EQ(Texts(), QStringList{"qsk load Fail!"});
  EXPECT_FALSE(QFile::exists(Skins() + "/broken.wsz"));
  EXPECT_REGION(Grab(w), kPushButtons[1].place, buttons, Corner(kPushButtons[1].normal));
  Drop(w, Skins() + "/Wild Skin.wsz");
  ExpectWildSkinDrawn();
  EXPECT_EQ(w.RefreshSkinPackages().size(), 2u);
}
