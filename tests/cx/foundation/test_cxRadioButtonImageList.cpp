#include "CxTestHelpers.h"
#include "cx/foundation/cxRadioButtonImageList.h"

namespace {
constexpr uint32_t kBackground = 0x00FFFF;  // yellow: not a system colour here

// The pixel of the glyph drawn at (2, 2) of a fresh bitmap, per class.
struct GlyphFixture : ::testing::Test {
  TcxRadioButtonImageList* list = cxGetRadioButtonImageList();
  TBitmap bmp;
  void draw(Integer index, TColor bk = clDefault) {
    makeFilled(bmp, list->GlyphWidth() + 4, list->GlyphHeight() + 4, TColor(kBackground));
    list->Fill();
    list->Draw(bmp.Canvas(), 2, 2, index, bk);
  }
  // The first cell of a class, or false when the pattern has none.
  bool cellOf(TcxRadioPixelClass c, int& x, int& y) {
    for (y = 0; y < list->GlyphHeight(); ++y)
      for (x = 0; x < list->GlyphWidth(); ++x)
        if (list->PixelClass(x, y) == c) return true;
    return false;
  }
  uint32_t classPixel(TcxRadioPixelClass c) {
    int x, y;
    if (!cellOf(c, x, y)) {
      ADD_FAILURE() << "the pattern has no cell of class " << int(c);
      return 0;
    }
    return pixelOf(bmp, 2 + x, 2 + y);
  }
};
}  // namespace

TEST_F(GlyphFixture, PatternHasEveryClassAndTheDotInTheMiddle) {
  EXPECT_GE(list->GlyphWidth(), 10);
  EXPECT_GE(list->GlyphHeight(), 10);
  int x, y;
  for (TcxRadioPixelClass c : {rpcOutside, rpcOuterUpperLeft, rpcOuterLowerRight, rpcInnerUpperLeft,
                               rpcInnerLowerRight, rpcInside, rpcDot})
    EXPECT_TRUE(cellOf(c, x, y)) << "class " << int(c) << " is missing";
  EXPECT_EQ(list->PixelClass(list->GlyphWidth() / 2, list->GlyphHeight() / 2), rpcDot);
  EXPECT_EQ(list->PixelClass(0, 0), rpcOutside) << "the corner lies outside the circle";
  EXPECT_EQ(list->PixelClass(list->GlyphWidth() / 2, 0), rpcOuterUpperLeft) << "top of the ring";
  EXPECT_EQ(list->PixelClass(list->GlyphWidth() / 2, list->GlyphHeight() - 1), rpcOuterLowerRight);
}

TEST_F(GlyphFixture, FillMakes96GlyphsOnceAndClearEmpties) {
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  list->Fill();
  EXPECT_EQ(list->Count(), 96);
  list->Fill();
  EXPECT_EQ(list->Count(), 96) << "a filled list is not filled again";
}

TEST_F(GlyphFixture, IndexFollowsTheNestingOrder) {
  struct Case {
    Integer kind;
    TcxButtonState state;
    bool checked, focused, designing;
    Integer expected;
  } cases[] = {
      {0, cxbsNormal, false, false, false, 0},  {0, cxbsDefault, false, false, false, 0},
      {1, cxbsHot, false, false, false, 9},     {2, cxbsDisabled, true, false, false, 23},
      {0, cxbsPressed, false, false, true, 26}, {2, cxbsNormal, true, true, true, 92},
  };
  for (const Case& c : cases)
    EXPECT_EQ(radioButtonImageIndex(c.kind, c.state, c.checked, c.focused, c.designing), c.expected)
        << "kind " << c.kind << " state " << int(c.state);
}

TEST_F(GlyphFixture, FlatAndStandardGlyphsUseTheirRingColours) {
  draw(radioButtonImageIndex(0, cxbsNormal, true, false, false));
  EXPECT_EQ(classPixel(rpcOuterUpperLeft), rgbOfColor(clBtnShadow));
  EXPECT_EQ(classPixel(rpcOuterLowerRight), rgbOfColor(clBtnHighlight));
  EXPECT_EQ(classPixel(rpcInnerUpperLeft), rgbOfColor(cl3DLight));
  EXPECT_EQ(classPixel(rpcInside), rgbOfColor(clWindow));
  EXPECT_EQ(classPixel(rpcDot), rgbOfColor(clBtnText)) << "a checked dot";
  EXPECT_TRUE(PixelIs(bmp, 2, 2, kBackground)) << "outside the circle the canvas shows through";

  draw(radioButtonImageIndex(1, cxbsPressed, false, true, false));
  EXPECT_EQ(classPixel(rpcInnerUpperLeft), rgbOfColor(cl3DDkShadow));
  EXPECT_EQ(classPixel(rpcInnerLowerRight), rgbOfColor(cl3DLight));
  EXPECT_EQ(classPixel(rpcInside), rgbOfColor(clBtnFace)) << "pressed";
  EXPECT_EQ(classPixel(rpcDot), rgbOfColor(clBtnFace)) << "an unchecked dot is the inside colour";
  EXPECT_EQ(classPixel(rpcOuterUpperLeft), rgbOfColor(clBtnShadow)) << "focus never changes a standard ring";
}

TEST_F(GlyphFixture, UltraFlatRingIsHighlightedWhenFocusedHotPressedOrDesigning) {
  struct Case {
    TcxButtonState state;
    bool focused, designing;
    bool highlighted;
  } cases[] = {
      {cxbsNormal, false, false, false}, {cxbsNormal, true, false, true},   {cxbsHot, false, false, true},
      {cxbsPressed, false, false, true}, {cxbsNormal, false, true, true},   {cxbsDisabled, true, true, false},
  };
  for (const Case& c : cases) {
    draw(radioButtonImageIndex(2, c.state, false, c.focused, c.designing));
    const uint32_t expected = rgbOfColor(c.highlighted ? clHighlight : clBtnShadow);
    EXPECT_EQ(classPixel(rpcOuterUpperLeft), expected) << "state " << int(c.state) << " focused " << c.focused;
    EXPECT_EQ(classPixel(rpcOuterLowerRight), expected) << "state " << int(c.state) << " focused " << c.focused;
  }
  draw(radioButtonImageIndex(2, cxbsHot, false, false, false));
  EXPECT_EQ(classPixel(rpcInside), rgbOfColor(cxGetHighlightHotColor()));
  EXPECT_EQ(classPixel(rpcInnerUpperLeft), classPixel(rpcInside)) << "the inner ring takes the inside colour";
  draw(radioButtonImageIndex(2, cxbsDisabled, true, false, false));
  EXPECT_EQ(classPixel(rpcDot), rgbOfColor(clBtnShadow)) << "a disabled checked dot";
}

TEST_F(GlyphFixture, BackgroundColourPaintsTheWholeCell) {
  draw(radioButtonImageIndex(0, cxbsNormal, false, false, false), TColor(0x0000FF));
  EXPECT_TRUE(PixelIs(bmp, 2, 2, 0x0000FF)) << "outside the circle in the given colour";
  EXPECT_TRUE(PixelIs(bmp, 0, 0, kBackground)) << "nothing outside the cell";
  EXPECT_EQ(classPixel(rpcInside), rgbOfColor(clWindow));
}

TEST_F(GlyphFixture, SystemColourChangeTakesEffectAfterClearing) {
  const int element = COLOR_WINDOW;
  const COLORREF old = GetSysColor(element);
  const COLORREF changed = old == RGB(10, 200, 30) ? RGB(30, 20, 10) : RGB(10, 200, 30);
  draw(radioButtonImageIndex(0, cxbsNormal, false, false, false));
  ASSERT_EQ(classPixel(rpcInside), uint32_t(old & 0xFFFFFF));
  SetSysColors(1, &element, &changed);
  list->Clear();  // what the system-colour listener does
  draw(radioButtonImageIndex(0, cxbsNormal, false, false, false));
  const uint32_t after = classPixel(rpcInside);
  SetSysColors(1, &element, &old);
  list->Clear();
  EXPECT_EQ(after, uint32_t(changed)) << "the next glyph uses the new window colour";
}
