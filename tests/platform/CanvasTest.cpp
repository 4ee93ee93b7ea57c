#include <algorithm>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "platform/Warmup.h"

namespace {
TEST(Canvas, TextIsMeasuredAlikeWhileTheFontListLoadsOnItsOwnThread) {
  int during = 0;
  {
    const Platform::Warmup warmup = Platform::WarmFonts();
    during = Canvas::TextWidth(QStringLiteral("Tarnello 0:00"), 9, QString());
  }
  EXPECT_GT(during, 0);
  EXPECT_EQ(during, Canvas::TextWidth(QStringLiteral("Tarnello 0:00"), 9, QString()));
  EXPECT_TRUE(QFontDatabase::hasFamily(Canvas::DefaultFace()));
}

TEST(Canvas, StretchCopyUsesNearestNeighbourWithoutBlending) {
  // A 2x1 source: red, blue. Doubled it must stay two pure colours, no purple seam.
  QImage src(2, 1, QImage::Format_RGB32);
  src.setPixel(0, 0, qRgb(255, 0, 0));
  src.setPixel(1, 0, qRgb(0, 0, 255));
  QImage dst(8, 2, QImage::Format_RGB32);
  dst.fill(Qt::white);
  {
    QPainter p(&dst);
    Canvas c(p);
    c.StretchCopy(src, Rect::FromSize(0, 0, 2, 1), Rect::FromSize(0, 0, 8, 2));
  }
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(x < 4 ? qRgb(255, 0, 0) : qRgb(0, 0, 255), dst.pixel(x, 1)) << x;
  }
}

TEST(Canvas, FillUsesRedInTheLowByteAndOutlineIsDotted) {
  QImage dst(10, 10, QImage::Format_RGB32);
  dst.fill(Qt::white);
  {
    QPainter p(&dst);
    Canvas c(p);
    c.Fill(Rect::FromSize(2, 2, 3, 3), MakeColour(10, 20, 30));
    c.DottedOutline(Rect::FromSize(0, 0, 10, 10));
  }
  EXPECT_EQ(qRgb(10, 20, 30), dst.pixel(3, 3));
  EXPECT_EQ(qRgb(255, 255, 255), dst.pixel(5, 5));
  int dark = 0;
  for (int x = 0; x < 10; ++x) dark += qGray(dst.pixel(x, 0)) < 128;
  EXPECT_GT(dark, 2);
  EXPECT_LT(dark, 10);
}

TEST(Canvas, TextIsDrawnInsideItsRectangleOnly) {
  QImage dst(60, 20, QImage::Format_RGB32);
  dst.fill(Qt::black);
  {
    QPainter p(&dst);
    Canvas c(p);
    c.DrawText(Rect::FromSize(0, 0, 30, 20), "WWWWWWWW", 14, QString(), MakeColour(255, 255, 255));
  }
  int litInside = 0, litOutside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) (x < 30 ? litInside : litOutside) += qGray(dst.pixel(x, y)) > 64;
  EXPECT_GT(litInside, 20);
  EXPECT_EQ(0, litOutside);
  EXPECT_GT(Canvas::TextWidth("WWWW", 14, QString()), Canvas::TextWidth("W", 14, QString()));
}
QImage DrawnText(const Rect& rect, const QString& text, bool fitted) {
  QImage dst(rect.right, 20, QImage::Format_RGB32);
  dst.fill(Qt::black);
  QPainter p(&dst);
  Canvas c(p);
  const Colour white = MakeColour(255, 255, 255);
  fitted ? c.DrawTextFitted(rect, text, 13, QString(), white) : c.DrawTextTopLeft(rect, text, 13, QString(), white);
  return dst;
}

// Mean grey difference of two images of one size.
double Difference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
  return sum / (a.width() * a.height());
}

TEST(Canvas, FittedTextIsNarrowedIntoItsRectangleAndShortTextIsLeftAlone) {
  const QImage natural = DrawnText({0, 0, 120, 20}, "1000", false);
  int inked = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 120; ++x)
      if (qGray(natural.pixel(x, y)) > 64) inked = std::max(inked, x + 1);
  ASSERT_GT(inked, 20);
  // Half the room: the whole figure, narrowed, rather than its first half.
  const Rect half{0, 0, inked / 2, 20};
  const QImage expected = natural.copy(0, 0, inked, 20).scaled(half.right, 20, Qt::IgnoreAspectRatio,
                                                                 Qt::SmoothTransformation);
  const double fitted = Difference(DrawnText(half, "1000", true), expected);
  const double cut = Difference(DrawnText(half, "1000", false), expected);
  EXPECT_LT(fitted * 2, cut) << fitted << " vs " << cut;
  // Text that fits is drawn exactly as without fitting.
  EXPECT_EQ(DrawnText({0, 0, 120, 20}, "1000", true), natural);
}

}  // namespace
