#include "CxTestHelpers.h"
#include "cx/foundation/dxOffice11.h"

namespace {
constexpr uint32_t rgb(int r, int g, int b) { return uint32_t(r | (g << 8) | (b << 16)); }
uint32_t slot(int i) { return static_cast<uint32_t>(dxOffice11Colors[i]) & 0xFFFFFF; }
uint32_t sys(int index) { return GetSysColor(index) & 0xFFFFFF; }
uint32_t nearest(uint32_t c) { return static_cast<uint32_t>(dxGetNearestColor(TColor(c))) & 0xFFFFFF; }
int channel(uint32_t c, int shift) { return int((c >> shift) & 0xFF); }

// Restores the system-colour slots after a test that computes a scheme.
struct SchemeFixture : ::testing::Test {
  void TearDown() override { calculateOffice11ColorsForScheme(0); }
};
}  // namespace

TEST(dxOffice11Colors, BlendTakesPPercentOfTheFirstColour) {
  struct Case {
    uint32_t a, b;
    int percent;
    uint32_t expected;
  } cases[] = {
      {rgb(200, 100, 0), rgb(0, 0, 0), 100, rgb(200, 100, 0)},
      {rgb(200, 100, 0), rgb(10, 20, 30), 0, rgb(10, 20, 30)},
      {rgb(200, 100, 0), rgb(0, 0, 100), 50, rgb(100, 50, 50)},
      {rgb(255, 255, 255), rgb(0, 0, 0), 92, rgb(235, 235, 235)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<uint32_t>(dxBlendColors(TColor(c.a), TColor(c.b), c.percent)), nearest(c.expected))
        << hexColor(c.a) << " with " << hexColor(c.b) << " at " << c.percent;
}

TEST(dxOffice11Colors, WithoutASchemeSlotsComeFromTheSystemColours) {
  ASSERT_EQ(dxGetOffice11Scheme(), 0) << "no scheme style in the test prefix";
  dxOffice11CalculateColors();
  EXPECT_FALSE(dxIsOffice11ThemeScheme());
  EXPECT_EQ(dxOffice11DoubleGradientPercent, 75);
  EXPECT_EQ(slot(0), sys(COLOR_BTNFACE));
  EXPECT_EQ(slot(11), sys(COLOR_BTNFACE));
  EXPECT_EQ(slot(19), sys(COLOR_WINDOW));
  EXPECT_EQ(slot(41), sys(COLOR_HIGHLIGHT));
  EXPECT_EQ(slot(2), static_cast<uint32_t>(dxBlendColors(clBtnFace, clWindow, 22)));
  EXPECT_EQ(slot(3), static_cast<uint32_t>(dxBlendColors(clBtnFace, clWindow, 96)));
  EXPECT_EQ(slot(36), static_cast<uint32_t>(dxBlendColors(TColor(slot(2)), clBlack, 92)));
  EXPECT_EQ(slot(47), static_cast<uint32_t>(dxMixSystemColors(41, 11, 48))) << "slot 47 is not mapped";
  EXPECT_EQ(slot(22), sys(COLOR_BTNTEXT));
  EXPECT_EQ(slot(52), sys(COLOR_GRAYTEXT));
  EXPECT_EQ(slot(55), slot(15));
  EXPECT_EQ(static_cast<uint32_t>(Office11BarColor1), slot(2)) << "the bar painters' name for slot 2";
}

TEST_F(SchemeFixture, BlueSchemeFillsSlotsFromItsTable) {
  calculateOffice11ColorsForScheme(1);
  EXPECT_TRUE(dxIsOffice11ThemeScheme());
  EXPECT_EQ(slot(2), rgb(221, 236, 254));
  EXPECT_EQ(slot(3), rgb(129, 169, 226));
  EXPECT_EQ(slot(41), rgb(0, 0, 128));
  EXPECT_EQ(slot(22), rgb(0, 0, 0));
  EXPECT_EQ(slot(60), rgb(0, 45, 150)) << "entry 35 fills slot 60";
  EXPECT_EQ(slot(61), rgb(196, 218, 250)) << "entry 34 fills slot 61";
  EXPECT_EQ(slot(12), static_cast<uint32_t>(dxBlendColors(TColor(slot(4)), TColor(slot(2)), 90)));
  EXPECT_EQ(dxOffice11DoubleGradientPercent, 41);
}

TEST_F(SchemeFixture, OliveAndSilverPercentagesAndColours) {
  calculateOffice11ColorsForScheme(2);
  EXPECT_EQ(dxOffice11DoubleGradientPercent, 125);
  EXPECT_EQ(slot(0), rgb(217, 217, 167));
  calculateOffice11ColorsForScheme(3);
  EXPECT_EQ(dxOffice11DoubleGradientPercent, 40);
  EXPECT_EQ(slot(31), rgb(253, 250, 255));
}

TEST(dxOffice11Colors, BrushesAndBitmapsLiveWhileThereIsAUser) {
  ASSERT_EQ(dxOffice11ColorsRefCount(), 0);
  dxOffice11ColorsRecalculate();
  EXPECT_EQ(dxOffice11Brushes[0], nullptr) << "recalculating without a user creates no brushes";
  dxOffice11ColorsAddRef();
  dxOffice11ColorsAddRef();
  ASSERT_NE(dxOffice11Brushes[0], nullptr);
  EXPECT_EQ(dxOffice11Brushes[11], dxOffice11Brushes[4]);
  EXPECT_EQ(dxOffice11Brushes[13], dxOffice11Brushes[6]);
  EXPECT_EQ(dxOffice11Brushes[14], dxOffice11Brushes[10]);
  ASSERT_NE(dxOffice11SubMenuExpandBitmap, nullptr);
  EXPECT_EQ(dxOffice11SubMenuExpandBitmap->Width(), 16);
  ASSERT_NE(dxOffice11ExpandButtonPlusBitmap, nullptr);
  EXPECT_EQ(dxOffice11ExpandButtonPlusBitmap->Width(), 11);
  dxOffice11ColorsRelease();
  EXPECT_NE(dxOffice11Brushes[0], nullptr) << "one user is left";
  dxOffice11ColorsRelease();
  EXPECT_EQ(dxOffice11Brushes[0], nullptr);
  EXPECT_EQ(dxOffice11SubMenuExpandBitmap, nullptr);
  dxOffice11ColorsRelease();
  EXPECT_EQ(dxOffice11ColorsRefCount(), 0) << "an unpaired release does not drive the count below zero";
}

TEST(dxOffice11Colors, SubMenuExpandGlyphIsRecolouredAlongTheBarColours) {
  dxOffice11ColorsAddRef();
  TBitmap original;
  original.LoadFromResourceName(GetModuleHandleA(nullptr), "DXSUBMENUEXPAND");
  original.SetPixelFormat(pf24bit);
  TBitmap& glyph = *dxOffice11SubMenuExpandBitmap;
  const uint32_t background = pixelOf(original, 0, 0);
  int lightest = 0, darkest = 255;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint32_t p = pixelOf(original, x, y);
      if (p == background || p == 0) {
        EXPECT_EQ(pixelOf(glyph, x, y), p) << "background and black keep their colour at " << x << "," << y;
        continue;
      }
      lightest = std::max(lightest, channel(p, 0));
      darkest = std::min(darkest, channel(p, 0));
    }
  ASSERT_LT(darkest, lightest) << "the glyph has several grey shades";
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint32_t p = pixelOf(original, x, y);
      if (channel(p, 0) == lightest && p != background) {
        EXPECT_EQ(pixelOf(glyph, x, y), static_cast<uint32_t>(dxBlendColors(TColor(slot(2)), TColor(slot(3)), 100)));
      }
      if (channel(p, 0) == darkest && p != 0) {
        EXPECT_EQ(pixelOf(glyph, x, y), static_cast<uint32_t>(dxBlendColors(TColor(slot(2)), TColor(slot(3)), 0)));
      }
    }
  dxOffice11ColorsRelease();
}

TEST(dxOffice11Colors, SingleGreyShadeBitmapIsLeftUnchanged) {
  dxOffice11CalculateColors();
  TBitmap bmp;
  makeFilled(bmp, 8, 8, TColor(rgb(255, 0, 255)));
  bmp.Canvas()->SetPixels(2, 2, TColor(rgb(128, 128, 128)));
  bmp.Canvas()->SetPixels(3, 3, TColor(rgb(128, 128, 128)));
  bmp.Canvas()->SetPixels(4, 4, clBlack);
  dxRecolorSubMenuExpandBitmap(&bmp);
  EXPECT_TRUE(PixelIs(bmp, 2, 2, rgb(128, 128, 128))) << "one shade leaves no range to spread over";
  EXPECT_TRUE(PixelIs(bmp, 3, 3, rgb(128, 128, 128)));
  EXPECT_TRUE(PixelIs(bmp, 4, 4, 0));
  EXPECT_TRUE(PixelIs(bmp, 0, 0, rgb(255, 0, 255)));
}

// ---------------------------------------------------------------------------------------
// Gradients

TEST(dxOffice11Gradients, EqualColoursFillSolidAndEmptyRectanglesPaintNothing) {
  TBitmap bmp;
  makeFilled(bmp, 40, 10);
  HDC dc = bmp.Canvas()->Handle();
  dxFillGradientRect(dc, TRect{0, 0, 30, 10}, TColor(0x123456), true, TColor(0x123456));
  EXPECT_EQ(countNot(bmp, TRect{0, 0, 30, 10}, 0x123456), 0);
  makeFilled(bmp, 40, 10);
  dc = bmp.Canvas()->Handle();
  dxFillGradientRect(dc, TRect{5, 0, 5, 10}, TColor(0), true, TColor(0xFFFFFF));
  dxFillDoubleGradientRect(dc, TRect{5, 0, 5, 10}, TColor(0), true, TColor(0xFFFFFF));
  EXPECT_EQ(countNot(bmp, TRect{0, 0, 40, 10}, 0xFFFFFF), 0);
  dxFillGradientRect(dc, TRect{7, 0, 8, 10}, TColor(rgb(10, 20, 30)), true, TColor(0xFFFFFF));
  EXPECT_TRUE(PixelIs(bmp, 7, 5, rgb(10, 20, 30))) << "one pixel wide is painted in the first colour";
}

TEST(dxOffice11Gradients, WideGradientHas256NearlyEqualBandsEndingInTheSecondColour) {
  TBitmap bmp;
  makeFilled(bmp, 1000, 2);
  const TColor c1 = TColor(rgb(0, 0, 0)), c2 = TColor(rgb(255, 0, 0));
  dxFillGradientRect(bmp.Canvas()->Handle(), TRect{0, 0, 1000, 2}, c1, true, c2);
  std::vector<int> widths;
  uint32_t current = pixelOf(bmp, 0, 0);
  int run = 0;
  for (int x = 0; x < 1000; ++x) {
    uint32_t p = pixelOf(bmp, x, 0);
    if (p != current) {
      widths.push_back(run);
      current = p;
      run = 0;
    }
    ++run;
  }
  widths.push_back(run);
  EXPECT_EQ(widths.size(), 256u);
  EXPECT_LE(*std::max_element(widths.begin(), widths.end()) - *std::min_element(widths.begin(), widths.end()), 1);
  EXPECT_TRUE(PixelIs(bmp, 0, 0, 0));
  EXPECT_TRUE(PixelIs(bmp, 999, 0, rgb(255, 0, 0)));
}

TEST(dxOffice11Gradients, ColourAtEndsIsFirstAndSecondColour) {
  const TColor c1 = TColor(rgb(10, 200, 30)), c2 = TColor(rgb(250, 0, 90));
  for (int extent : {2, 3, 17, 255, 256, 257, 1000}) {
    const TRect r{5, 7, 5 + extent, 9};
    EXPECT_EQ(static_cast<uint32_t>(dxGetGradientColorAt(r, 5, c1, true, c2)), uint32_t(c1)) << "extent " << extent;
    EXPECT_EQ(static_cast<uint32_t>(dxGetGradientColorAt(r, 5 + extent - 1, c1, true, c2)), uint32_t(c2))
        << "extent " << extent;
  }
  const TRect vertical{0, 10, 4, 30};
  EXPECT_EQ(static_cast<uint32_t>(dxGetGradientColorAt(vertical, 29, c1, false, c2)), uint32_t(c2));
}

TEST_F(SchemeFixture, DoubleGradientPassesTheMiddleColourAndEndsInTheSecond) {
  calculateOffice11ColorsForScheme(2);  // 125 per cent: the middle lies beyond halfway
  TBitmap bmp;
  makeFilled(bmp, 1000, 2);
  const uint32_t c1 = rgb(0, 0, 0), c2 = rgb(200, 0, 0);
  dxFillDoubleGradientRect(bmp.Canvas()->Handle(), TRect{0, 0, 1000, 2}, TColor(c1), true, TColor(c2));
  EXPECT_TRUE(PixelIs(bmp, 0, 0, c1));
  EXPECT_TRUE(PixelIs(bmp, 999, 0, c2)) << "the double gradient still ends in the second colour";
  const int middle = 0 - MulDiv(0 - 200, 125, 200);  // 125
  EXPECT_TRUE(PixelIs(bmp, 500, 0, rgb(middle, 0, 0))) << "the split band has the middle colour";
  EXPECT_GT(middle, 100) << "beyond the halfway colour";
}

// ---------------------------------------------------------------------------------------
// Grips and arrows

namespace {
// The x (or y) positions of the dark dots along a strip.
std::vector<int> darkDots(TBitmap& bmp, bool vertical, int length) {
  std::vector<int> at;
  const uint32_t dark = slot(18);
  for (int i = 0; i < length; ++i)
    if ((vertical ? pixelOf(bmp, 0, i) : pixelOf(bmp, i, 0)) == dark &&
        (i == 0 || (vertical ? pixelOf(bmp, 0, i - 1) : pixelOf(bmp, i - 1, 0)) != dark))
      at.push_back(i);
  return at;
}
}  // namespace

TEST(dxOffice11Grips, DotsEveryFourPixelsShiftedByTheRemainder) {
  dxOffice11ColorsAddRef();
  struct Case {
    int length;
    std::vector<int> expected;
  } cases[] = {
      {12, {0, 4, 8}},
      {13, {1, 5, 9}},
      {14, {1, 5, 9}},
      {15, {1, 5, 9}},
      {3, {1}},
  };
  for (const Case& c : cases)
    for (bool vertical : {false, true}) {
      TBitmap bmp;
      makeFilled(bmp, vertical ? 4 : 20, vertical ? 20 : 4);
      dxDrawOffice11GripDots(bmp.Canvas()->Handle(), vertical ? TRect{0, 0, 4, c.length} : TRect{0, 0, c.length, 4},
                             vertical);
      EXPECT_EQ(darkDots(bmp, vertical, 20), c.expected) << "length " << c.length << (vertical ? " vertical" : "");
    }
  dxOffice11ColorsRelease();
}

TEST(dxOffice11Grips, SizeGripRisesInRowsOfThreeTwoAndOne) {
  dxOffice11ColorsAddRef();
  TBitmap bmp;
  makeFilled(bmp, 30, 30);
  dxDrawOffice11SizeGrip(bmp.Canvas()->Handle(), TRect{0, 0, 30, 30});
  const uint32_t dark = slot(18);
  auto dotsInRow = [&](int y) {
    int n = 0;
    for (int x = 0; x < 30; ++x)
      if (pixelOf(bmp, x, y) == dark && (x == 0 || pixelOf(bmp, x - 1, y) != dark)) ++n;
    return n;
  };
  EXPECT_EQ(dotsInRow(27), 3);
  EXPECT_EQ(dotsInRow(23), 2);
  EXPECT_EQ(dotsInRow(19), 1);
  dxOffice11ColorsRelease();
}

TEST(dxOffice11Arrows, SizeFollowsTheRectangle) {
  dxOffice11CalculateColors();
  struct Case {
    int width;
    int size;
  } cases[] = {{16, 3}, {17, 5}, {10, 3}, {20, 5}};
  for (const Case& c : cases) {
    TBitmap bmp;
    makeFilled(bmp, 30, 30);
    dxDrawOffice11Arrow(bmp.Canvas()->Handle(), TRect{0, 0, c.width, 20}, true, true, false);
    TRect ink = inkBounds(bmp, 0xFFFFFF);
    EXPECT_EQ(ink.right - ink.left, 2 * c.size - 1) << "width " << c.width << ": ink " << rectText(ink);
    EXPECT_EQ(ink.bottom - ink.top, c.size) << "width " << c.width << ": ink " << rectText(ink);
    EXPECT_TRUE(PixelIs(bmp, (ink.left + ink.right - 1) / 2, ink.top, slot(51))) << "enabled arrows use slot 51";
  }
  TBitmap disabled;
  makeFilled(disabled, 30, 30);
  dxDrawOffice11ArrowSized(disabled.Canvas()->Handle(), TRect{0, 0, 20, 20}, false, 4, false, false);
  TRect ink = inkBounds(disabled, 0xFFFFFF);
  EXPECT_EQ(ink.right - ink.left, 4) << "right-pointing: as wide as the size";
  EXPECT_EQ(ink.bottom - ink.top, 7);
  EXPECT_TRUE(PixelIs(disabled, ink.left, (ink.top + ink.bottom - 1) / 2, slot(52))) << "disabled arrows use slot 52";
}

TEST(dxOffice11Frames, FillAndFrameWithTemporaryBrushes) {
  TBitmap bmp;
  makeFilled(bmp, 20, 20);
  HDC dc = bmp.Canvas()->Handle();
  dxFillRectColor(dc, TRect{2, 2, 6, 6}, clBtnShadow);
  EXPECT_TRUE(PixelIs(bmp, 3, 3, sys(COLOR_BTNSHADOW))) << "system colours are resolved";
  dxFrameRectColor(dc, TRect{8, 8, 14, 14}, TColor(rgb(1, 2, 3)));
  EXPECT_TRUE(PixelIs(bmp, 8, 10, rgb(1, 2, 3)));
  EXPECT_TRUE(PixelIs(bmp, 10, 10, 0xFFFFFF)) << "a frame leaves the inside";
}
