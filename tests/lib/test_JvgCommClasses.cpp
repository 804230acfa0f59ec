// The gradient description: its values and their notifications, and the bands it paints
// in each direction. The band colours below are worked out by hand from the rule "band n
// of D has From + MulDiv(n, To - From, D - 1) per channel".
#include <vector>

#include "JvgTestHelpers.h"
#include "lib/JvgCommClasses.h"

using jvgtest::fillBitmap;

namespace {

class ChangeCounter : public TObject {
public:
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};

constexpr uint32_t kWhite = 0xFFFFFF;

// ---------------------------------------------------------------------------------------
// Values and notifications.

TEST(JvgGradient, StartsInactiveFromGreyToBlackWith255SolidHorizontalSteps) {
  TJvgGradient g;
  EXPECT_FALSE(g.Active());
  EXPECT_EQ(TColor(0x808080), g.FromColor());
  EXPECT_EQ(clBlack, g.ToColor());
  EXPECT_EQ(0x808080u, g.RGBFromColor());
  EXPECT_EQ(0u, g.RGBToColor());
  EXPECT_EQ(255, g.Steps());
  EXPECT_EQ(100, g.PercentFilling());
  EXPECT_EQ(fgdHorizontal, g.Orientation());
  EXPECT_EQ(bsSolid, g.BrushStyle());
  EXPECT_FALSE(g.BufferedDraw());
}

TEST(JvgGradient, StepsAreKeptBetweenOneAnd255) {
  const std::vector<std::pair<Integer, Integer>> cases = {{0, 1}, {-5, 1}, {1, 1}, {17, 17}, {255, 255}, {1000, 255}};
  for (const auto& [given, kept] : cases) {
    TJvgGradient g;
    g.SetSteps(given);
    EXPECT_EQ(kept, g.Steps()) << "Steps set to " << given;
  }
}

TEST(JvgGradient, SettersNotifyOnlyWhenTheValueChangesAndSystemColoursAreResolved) {
  TJvgGradient g;
  ChangeCounter counter;
  g.SetOnChanged(TNotifyEvent(&counter, &ChangeCounter::Changed));
  g.SetActive(false);
  g.SetSteps(255);
  g.SetSteps(300);  // kept at 255: no change
  g.SetFromColor(TColor(0x808080));
  g.SetOrientation(fgdHorizontal);
  EXPECT_EQ(0, counter.Count) << "no value changed";
  g.SetActive(true);
  g.SetSteps(20);
  g.SetPercentFilling(40);
  g.SetBrushStyle(bsCross);
  g.SetBufferedDraw(true);
  g.SetOrientation(fgdRectangle);
  g.SetToColor(clBtnFace);
  EXPECT_EQ(7, counter.Count);
  EXPECT_EQ(jvgtest::sysRgb(COLOR_BTNFACE), g.RGBToColor()) << "the system colour is kept resolved";
  EXPECT_EQ(clBtnFace, g.ToColor()) << "and as given";
}

TEST(JvgGradient, AssignCopiesEveryValueWithOneNotificationAndColourPairsCopyTheirColours) {
  TJvgGradient source;
  source.SetActive(true);
  source.SetBufferedDraw(true);
  source.SetOrientation(fgdVertConvergent);
  source.SetSteps(12);
  source.SetPercentFilling(30);
  source.SetBrushStyle(bsBDiagonal);
  source.SetFromColor(clRed);
  source.SetToColor(clBlue);

  TJvgGradient target;
  ChangeCounter counter;
  target.SetOnChanged(TNotifyEvent(&counter, &ChangeCounter::Changed));
  target.Assign(&source);
  EXPECT_EQ(1, counter.Count);
  EXPECT_TRUE(target.Active());
  EXPECT_TRUE(target.BufferedDraw());
  EXPECT_EQ(fgdVertConvergent, target.Orientation());
  EXPECT_EQ(12, target.Steps());
  EXPECT_EQ(30, target.PercentFilling());
  EXPECT_EQ(bsBDiagonal, target.BrushStyle());
  EXPECT_EQ(clRed, target.FromColor());
  EXPECT_EQ(0x0000FFu, target.RGBFromColor());
  EXPECT_EQ(0xFF0000u, target.RGBToColor());

  // A plain colour pair hands over its two colours through the setters.
  TJvgTwainColors pair;
  pair.SetFromColor(clLime);
  pair.SetToColor(clYellow);
  counter.Count = 0;
  target.Assign(&pair);
  EXPECT_EQ(clLime, target.FromColor());
  EXPECT_EQ(clYellow, target.ToColor());
  EXPECT_EQ(2, counter.Count);
  EXPECT_EQ(12, target.Steps()) << "the rest of the gradient stays";
}

// ---------------------------------------------------------------------------------------
// Bands.

class GradientBands : public ::testing::Test {
protected:
  void SetUp() override {
    fillBitmap(bmp, 30, 20, kWhite);
    g.SetActive(true);
    g.SetFromColor(clBlack);
  }
  void fill(const TRect& R, Integer PenWidth = 1) { g.FillRectBands(bmp.Canvas()->Handle(), R, PenWidth, psSolid); }
  // Rows (or columns) of a band must hold one colour across the band.
  ::testing::AssertionResult rowIs(int Y, uint32_t Color, int Width) {
    for (int x = 0; x < Width; ++x)
      if (pixelOf(bmp, x, Y) != Color)
        return ::testing::AssertionFailure() << "row " << Y << " at x " << x << " is " << hexColor(pixelOf(bmp, x, Y))
                                             << ", expected " << hexColor(Color);
    return ::testing::AssertionSuccess();
  }
  TBitmap bmp;
  TJvgGradient g;
};

TEST_F(GradientBands, TenPixelsHighWith255StepsGiveTenBandsEndingExactlyInToColor) {
  // Ten bands over nine intervals: band n is (10n, 20n, n).
  g.SetToColor(TColor(RGB(90, 180, 9)));
  fill(Rect(0, 0, 30, 10));
  for (int y = 0; y < 10; ++y) EXPECT_TRUE(rowIs(y, RGB(10 * y, 20 * y, y), 30));
  EXPECT_TRUE(rowIs(10, kWhite, 30)) << "nothing below the rectangle";
}

TEST_F(GradientBands, VerticalBandsRunAcrossTheWidth) {
  g.SetToColor(TColor(RGB(90, 180, 9)));
  g.SetOrientation(fgdVertical);
  fill(Rect(0, 0, 10, 20));
  for (int x = 0; x < 10; ++x)
    for (int y : {0, 19}) EXPECT_EQ(hexColor(RGB(10 * x, 20 * x, x)), hexColor(pixelOf(bmp, x, y))) << "x " << x;
  EXPECT_EQ(kWhite, pixelOf(bmp, 10, 5));
}

TEST_F(GradientBands, PercentFillingStopsAfterTheBandThatPassesIt) {
  // Ten bands, 50 %: band 6 is the first with 6 / 10 over a half; it is still drawn.
  g.SetToColor(TColor(RGB(90, 180, 9)));
  g.SetPercentFilling(50);
  fill(Rect(0, 0, 30, 10));
  for (int y = 0; y <= 6; ++y) EXPECT_TRUE(rowIs(y, RGB(10 * y, 20 * y, y), 30));
  for (int y = 7; y < 10; ++y) EXPECT_TRUE(rowIs(y, kWhite, 30));
}

TEST_F(GradientBands, NothingIsDrawnWhenInactiveOrWithOneStep) {
  g.SetToColor(clRed);
  g.SetActive(false);
  fill(Rect(0, 0, 30, 20));
  EXPECT_EQ(0, jvgtest::countOther(bmp, Rect(0, 0, 30, 20), kWhite)) << "inactive";
  g.SetActive(true);
  g.SetSteps(1);
  fill(Rect(0, 0, 30, 20));
  EXPECT_EQ(0, jvgtest::countOther(bmp, Rect(0, 0, 30, 20), kWhite)) << "one step";
}

// Device contexts report the display's depth, so this can only be seen on a display of
// 256 colours (an 8-bit X screen); elsewhere the test says it was skipped.
TEST_F(GradientBands, NothingIsDrawnOnAPaletteDisplay) {
  HDC dc = bmp.Canvas()->Handle();
  if (GetDeviceCaps(dc, BITSPIXEL) >= 16) GTEST_SKIP() << "the display has 16 bits per pixel or more";
  g.SetToColor(clRed);
  fill(Rect(0, 0, 30, 20));
  EXPECT_EQ(0, jvgtest::countOther(bmp, Rect(0, 0, 30, 20), kWhite));
}

TEST_F(GradientBands, ConvergingKindsMeetInToColorWithFromColorAtBothEdges) {
  // Halves of 5 rows (columns): four intervals, band n is (10n, 20n, n).
  g.SetToColor(TColor(RGB(40, 80, 4)));
  g.SetOrientation(fgdHorzConvergent);
  fill(Rect(0, 0, 30, 10));
  for (int y = 0; y < 5; ++y) {
    EXPECT_TRUE(rowIs(y, RGB(10 * y, 20 * y, y), 30));
    EXPECT_TRUE(rowIs(9 - y, RGB(10 * y, 20 * y, y), 30));
  }
  EXPECT_EQ(clBlack, g.FromColor()) << "the colours are back in place afterwards";

  fillBitmap(bmp, 30, 20, kWhite);
  g.SetOrientation(fgdVertConvergent);
  fill(Rect(0, 0, 10, 20));
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(hexColor(RGB(10 * x, 20 * x, x)), hexColor(pixelOf(bmp, x, 7))) << "x " << x;
    EXPECT_EQ(hexColor(RGB(10 * x, 20 * x, x)), hexColor(pixelOf(bmp, 9 - x, 7))) << "x " << 9 - x;
  }

  // An odd height: the halves share the middle row, which carries ToColor.
  fillBitmap(bmp, 30, 20, kWhite);
  g.SetOrientation(fgdHorzConvergent);
  fill(Rect(0, 0, 30, 11));
  EXPECT_TRUE(rowIs(0, 0, 30));
  EXPECT_TRUE(rowIs(5, RGB(40, 80, 4), 30));
  EXPECT_TRUE(rowIs(10, 0, 30));
}

TEST_F(GradientBands, RectangleBandsAreConcentricFramesDrawnOutsideIn) {
  // 20 x 10: min(10, 5) = 5 bands; band n is inset 2n across and n down, coloured (10n, 20n, n).
  g.SetToColor(TColor(RGB(40, 80, 4)));
  g.SetOrientation(fgdRectangle);
  fill(Rect(0, 0, 20, 10));
  struct Case {
    int X, Y, Band;
  };
  for (const Case& c : {Case{0, 0, 0}, Case{19, 9, 0}, Case{2, 1, 1}, Case{17, 8, 1}, Case{4, 2, 2}, Case{6, 3, 3},
                        Case{8, 4, 4}, Case{11, 5, 4}, Case{1, 5, 0}, Case{10, 1, 1}})
    EXPECT_EQ(hexColor(RGB(10 * c.Band, 20 * c.Band, c.Band)), hexColor(pixelOf(bmp, c.X, c.Y)))
        << "(" << c.X << "," << c.Y << ") in band " << c.Band;
}

TEST_F(GradientBands, ASingleBandTakesFromColor) {
  // One row leaves a single band: it has FromColor, not a colour computed over no interval.
  g.SetFromColor(TColor(RGB(100, 100, 100)));
  g.SetToColor(clBlack);
  fill(Rect(0, 0, 30, 1));
  EXPECT_TRUE(rowIs(0, RGB(100, 100, 100), 30));
  EXPECT_TRUE(rowIs(1, kWhite, 30));
}

TEST_F(GradientBands, BiasKindsDrawDiagonalLinesFromTheirCorner) {
  // 10 x 10: 20 bands of one line each, band n coloured (10n, 0, n). The k-th line lies on
  // the k-th diagonal from the corner (the corner pixel itself is the 0th and stays).
  g.SetToColor(TColor(RGB(190, 0, 19)));
  g.SetOrientation(fgdLeftBias);
  fill(Rect(0, 0, 10, 10));
  auto band = [](int K) { return RGB(10 * (K - 1), 0, K - 1); };
  struct Point2 {
    int X, Y;
  };
  for (const Point2& p : {Point2{1, 0}, Point2{0, 1}, Point2{5, 3}, Point2{3, 5}, Point2{9, 0}, Point2{0, 9},
                          Point2{9, 4}, Point2{8, 9}})
    EXPECT_EQ(hexColor(band(p.X + p.Y)), hexColor(pixelOf(bmp, p.X, p.Y))) << "left bias (" << p.X << "," << p.Y << ")";
  EXPECT_EQ(kWhite, pixelOf(bmp, 0, 0));
  // The walk ends at the far corner after 18 steps; the last lines stay there, so it
  // shows the last band, ToColor.
  EXPECT_EQ(hexColor(RGB(190, 0, 19)), hexColor(pixelOf(bmp, 9, 9)));
  EXPECT_EQ(kWhite, pixelOf(bmp, 10, 5)) << "lines stay inside the rectangle";

  fillBitmap(bmp, 30, 20, kWhite);
  g.SetOrientation(fgdRightBias);
  fill(Rect(0, 0, 10, 10));
  for (const Point2& p : {Point2{8, 0}, Point2{9, 1}, Point2{4, 2}, Point2{0, 0}, Point2{1, 9}, Point2{9, 9}})
    EXPECT_EQ(hexColor(band(9 - p.X + p.Y)), hexColor(pixelOf(bmp, p.X, p.Y)))
        << "right bias (" << p.X << "," << p.Y << ")";
  EXPECT_EQ(kWhite, pixelOf(bmp, 9, 0));
  EXPECT_EQ(hexColor(RGB(190, 0, 19)), hexColor(pixelOf(bmp, 0, 9)));
}

TEST_F(GradientBands, HatchedBandsLeaveGapsAndAClearBrushPaintsNothing) {
  g.SetToColor(TColor(RGB(90, 180, 9)));
  g.SetBrushStyle(bsClear);
  fill(Rect(0, 0, 30, 10));
  EXPECT_EQ(0, jvgtest::countOther(bmp, Rect(0, 0, 30, 20), kWhite));

  g.SetBrushStyle(bsVertical);
  SetBkColor(bmp.Canvas()->Handle(), RGB(255, 255, 255));
  fill(Rect(0, 0, 30, 10));
  // Row 5 is band 5: vertical hatch lines of its colour with the background between them.
  int hatch = 0, gaps = 0;
  for (int x = 0; x < 30; ++x) {
    const uint32_t c = pixelOf(bmp, x, 5);
    if (c == RGB(50, 100, 5)) ++hatch;
    else if (c == kWhite) ++gaps;
  }
  EXPECT_GT(hatch, 0);
  EXPECT_GT(gaps, 0);
  EXPECT_EQ(30, hatch + gaps);
}

TEST_F(GradientBands, BufferedDrawingGivesTheSamePixels) {
  g.SetToColor(TColor(RGB(190, 90, 19)));
  g.SetOrientation(fgdRightBias);
  g.SetPercentFilling(70);
  fill(Rect(3, 2, 27, 18));
  TBitmap buffered;
  fillBitmap(buffered, 30, 20, kWhite);
  g.SetBufferedDraw(true);
  g.FillRectBands(buffered.Canvas()->Handle(), Rect(3, 2, 27, 18), 1, psSolid);
  int differences = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)
      if (pixelOf(bmp, x, y) != pixelOf(buffered, x, y)) ++differences;
  EXPECT_EQ(0, differences);
  EXPECT_GT(jvgtest::countOther(buffered, Rect(0, 0, 30, 20), kWhite), 100) << "something was drawn";
}

}  // namespace
