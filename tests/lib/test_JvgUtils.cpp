// The gradient library's drawing routines: the bevelled box (pixels at points worked out
// from its line rules), the two text painters with their 3-D styles, the bitmap painter
// (once, stretched, scaled, tiled, transparent) and the rotated-font maker.
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "JvgTestHelpers.h"
#include "lib/JvgUtils.h"

using jvgtest::boxText;
using jvgtest::colorBox;
using jvgtest::fillBitmap;
using jvgtest::hasColor;
using jvgtest::sysRgb;

namespace {

// ---------------------------------------------------------------------------------------
// Bevelled box. The box (2,2)-(12,12) has its right and bottom lines on x = 12 and y = 12;
// a line stops one pixel short of its end point.

constexpr uint32_t kMarker = RGB(1, 2, 3);
constexpr uint32_t kFill = RGB(255, 0, 0);

enum Ink { H, S, D, F, M };  // highlight, shadow, dark shadow, background fill, untouched

struct BevelCase {
  const char* Name;
  TglSides Sides;
  bool Bold;
  TBevelCut Outer;
  TBevelCut Inner;
  bool Transparent;
  TRect ExpectedInner;
  std::vector<std::tuple<int, int, Ink>> Pixels;
};

uint32_t inkColor(Ink I) {
  switch (I) {
    case H: return sysRgb(COLOR_BTNHIGHLIGHT);
    case S: return sysRgb(COLOR_BTNSHADOW);
    case D: return sysRgb(COLOR_3DDKSHADOW);
    case F: return kFill;
    default: return kMarker;
  }
}

TEST(JvgDrawBevelBox, DrawsEachBevelsLinesInOrderAndFillsTheRest) {
  const TglSides all = AllGlSides();
  const std::vector<BevelCase> cases = {
      {"raised",
       all,
       false,
       bvRaised,
       bvNone,
       false,
       Rect(3, 3, 11, 11),
       {{2, 7, H}, {7, 2, H}, {12, 7, S}, {7, 12, S}, {12, 2, S}, {2, 12, S}, {12, 12, M}, {3, 3, F}, {11, 11, F},
        {1, 7, M}, {13, 7, M}}},
      {"bold lowered without a bottom",
       TglSides{fsdLeft, fsdTop, fsdRight},
       true,
       bvLowered,
       bvNone,
       false,
       Rect(4, 4, 11, 12),
       // The inner left line reaches the bottom corner itself; the top lines cross the
       // left ones they meet.
       {{2, 7, D}, {3, 7, S}, {3, 12, S}, {2, 12, M}, {7, 2, D}, {3, 2, D}, {7, 3, S}, {2, 3, S}, {12, 7, H},
        {7, 12, F}, {7, 13, M}, {4, 4, F}}},
      {"bold raised",
       all,
       true,
       bvRaised,
       bvNone,
       false,
       Rect(3, 3, 10, 10),
       // The inner bottom line starts right of the left highlight.
       {{2, 11, H}, {3, 11, S}, {12, 7, D}, {11, 7, S}, {7, 12, D}, {7, 11, S}, {11, 2, S}, {10, 10, F}, {3, 3, F}}},
      {"space on top and bottom, transparent",
       TglSides{fsdTop, fsdBottom},
       false,
       bvSpace,
       bvNone,
       true,
       Rect(2, 3, 12, 11),
       {{7, 2, S}, {7, 12, S}, {2, 7, M}, {12, 7, M}, {7, 7, M}}},
      {"raised outside, lowered inside",
       all,
       false,
       bvRaised,
       bvLowered,
       false,
       Rect(4, 4, 10, 10),
       {{2, 7, H}, {3, 7, S}, {7, 3, S}, {12, 7, S}, {11, 7, H}, {7, 11, H}, {7, 12, S}, {4, 4, F}, {10, 10, F}}},
      {"no bevels",
       all,
       false,
       bvNone,
       bvNone,
       false,
       Rect(2, 2, 12, 12),
       {{2, 2, F}, {12, 12, F}, {13, 13, M}, {1, 1, M}}},
  };
  ASSERT_NE(sysRgb(COLOR_BTNHIGHLIGHT), sysRgb(COLOR_BTNSHADOW));
  ASSERT_NE(sysRgb(COLOR_3DDKSHADOW), sysRgb(COLOR_BTNSHADOW));
  for (const BevelCase& c : cases) {
    TBitmap bmp;
    fillBitmap(bmp, 20, 20, kMarker);
    TRect inner{};
    DrawBevelBox(bmp.Canvas()->Handle(), Rect(2, 2, 12, 12), c.Sides, inner, c.Transparent, clRed, c.Bold, c.Outer,
                 c.Inner);
    EXPECT_EQ(boxText(c.ExpectedInner), boxText(inner)) << c.Name;
    for (const auto& [x, y, ink] : c.Pixels)
      EXPECT_EQ(hexColor(inkColor(ink)), hexColor(pixelOf(bmp, x, y))) << c.Name << " at (" << x << "," << y << ")";
  }
}

TEST(JvgDrawBevelBox, LinesTakeTheWidthOfThePenInTheDeviceContextWhichComesBack) {
  TBitmap bmp;
  fillBitmap(bmp, 20, 20, kMarker);
  HDC dc = bmp.Canvas()->Handle();
  HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, wide);
  TRect inner{};
  DrawBevelBox(dc, Rect(4, 4, 14, 14), AllGlSides(), inner, true, clRed, false, bvRaised, bvNone);
  EXPECT_EQ(wide, GetCurrentObject(dc, OBJ_PEN)) << "the caller's pen is selected again";
  EXPECT_EQ(hexColor(sysRgb(COLOR_BTNHIGHLIGHT)), hexColor(pixelOf(bmp, 3, 9))) << "a 3-pixel line round x = 4";
  EXPECT_EQ(hexColor(sysRgb(COLOR_BTNHIGHLIGHT)), hexColor(pixelOf(bmp, 5, 9)));
  SelectObject(dc, old);
  DeleteObject(wide);
}

// ---------------------------------------------------------------------------------------
// Text painters. The ink of each colour is compared with that of the plain text: a part
// drawn at an offset shows at the side it was moved to.

constexpr uint32_t kGround = RGB(0, 128, 0);
constexpr uint32_t kText = RGB(0, 0, 255);

class JvgTextTest : public ::testing::Test {
public:
  void SetUp() override {
    font.SetName("Arial");
    font.SetHeight(-20);
    font.SetStyle(TFontStyles{fsBold});
    font.SetColor(static_cast<TColor>(kText));
    ASSERT_NE(kGround, sysRgb(COLOR_BTNHIGHLIGHT));
    ASSERT_NE(kGround, sysRgb(COLOR_BTNSHADOW));
  }
  void clear(int W = 90, int Ht = 40) { fillBitmap(bmp, W, Ht, kGround); }
  void drawText(TglTextStyle Style, TglHorAlign HA = fhaLeft, TglVertAlign VA = fvaTop, UINT Flags = DT_SINGLELINE) {
    StyledDrawText(bmp.Canvas()->Handle(), Rect(10, 5, 80, 35), "HH", HA, VA, Style, &font, Flags);
  }
  void textOut(TglTextStyle Style, std::optional<Integer> Depth = std::nullopt, bool No3D = false,
               bool Outlined = false, TJvgCustomGradient* Gradient = nullptr, TFont* F = nullptr) {
    StyledTextOut(bmp.Canvas()->Handle(), 10, 5, Rect(0, 0, bmp.Width(), bmp.Height()), "HH", Style, Outlined, No3D,
                  static_cast<TColor>(kText), clYellow, clBtnHighlight, clBtnShadow, Depth, Gradient, F ? F : &font);
  }
public:
  TFont font;
  TBitmap bmp;
};

// How the box of each colour sits against the plain text's box P: the named edges of the
// colour's box are P's moved by the offset; no box means the colour must not show.
struct Edges {
  std::optional<int> LeftTop;      // offset of left and top
  std::optional<int> RightBottom;  // offset of right and bottom
};
struct StyleCase {
  TglTextStyle Style;
  std::optional<Integer> Depth;
  std::optional<Edges> Highlight, Shadow, Text;
};

void expectEdges(const char* What, const TRect& Got, const std::optional<Edges>& Want, const TRect& P,
                 const std::string& Label) {
  if (!Want) {
    EXPECT_LT(Got.right, 0) << Label << ": no " << What << " ink, got " << boxText(Got);
    return;
  }
  ASSERT_GE(Got.right, 0) << Label << ": no " << What << " ink";
  if (Want->LeftTop) {
    EXPECT_EQ(P.left + *Want->LeftTop, Got.left) << Label << ": " << What << " left";
    EXPECT_EQ(P.top + *Want->LeftTop, Got.top) << Label << ": " << What << " top";
  }
  if (Want->RightBottom) {
    EXPECT_EQ(P.right + *Want->RightBottom, Got.right) << Label << ": " << What << " right";
    EXPECT_EQ(P.bottom + *Want->RightBottom, Got.bottom) << Label << ": " << What << " bottom";
  }
}

void checkStyles(JvgTextTest& T, const std::vector<StyleCase>& Cases, const std::function<void(const StyleCase&)>& Draw,
                 const char* Painter) {
  T.clear();
  Draw(StyleCase{fstNone, std::nullopt, {}, {}, {}});
  const TRect plain = colorBox(T.bmp, kText);
  ASSERT_GE(plain.right, 0) << "the plain text shows";
  for (const StyleCase& c : Cases) {
    T.clear();
    Draw(c);
    const std::string label = std::string(Painter) + " " + GetEnumName(TypeInfo<TglTextStyle>(), c.Style) +
                              (c.Depth ? " depth " + std::to_string(*c.Depth) : "");
    expectEdges("highlight", colorBox(T.bmp, sysRgb(COLOR_BTNHIGHLIGHT)), c.Highlight, plain, label);
    expectEdges("shadow", colorBox(T.bmp, sysRgb(COLOR_BTNSHADOW)), c.Shadow, plain, label);
    expectEdges("text", colorBox(T.bmp, kText), c.Text, plain, label);
  }
}

TEST_F(JvgTextTest, DrawTextStylesPlaceHighlightShadowAndTextAtTheirOffsets) {
  const Edges same{0, 0};
  checkStyles(*this,
              {{fstNone, {}, {}, {}, same},
               {fstVolumetric, {}, {}, {}, same},
               {fstRaised, {}, Edges{-1, {}}, Edges{{}, 1}, same},
               {fstRecessed, {}, Edges{{}, 1}, Edges{-1, {}}, same},
               {fstPushed, {}, Edges{{}, 0}, Edges{-1, {}}, {}},
               {fstShadow, {}, {}, Edges{{}, 2}, same}},
              [this](const StyleCase& c) { drawText(c.Style); }, "StyledDrawText");
}

TEST_F(JvgTextTest, DrawTextAlignsWithinTheRectangleAndFlagsZeroMeanOneCentredLine) {
  struct Case {
    TglHorAlign H;
    TglVertAlign V;
  };
  const TRect r = Rect(10, 5, 80, 35);
  for (const Case& c : {Case{fhaLeft, fvaTop}, Case{fhaCenter, fvaCenter}, Case{fhaRight, fvaBottom}}) {
    clear();
    drawText(fstNone, c.H, c.V);
    const TRect box = colorBox(bmp, kText);
    const std::string label = GetEnumName(TypeInfo<TglHorAlign>(), c.H) + "/" + GetEnumName(TypeInfo<TglVertAlign>(), c.V);
    switch (c.H) {
      case fhaLeft: EXPECT_NEAR(r.left + 1, box.left, 2) << label; break;
      case fhaCenter: EXPECT_NEAR((r.left + r.right) / 2, (box.left + box.right) / 2, 2) << label; break;
      default: EXPECT_NEAR(r.right - 2, box.right, 2) << label; break;
    }
    switch (c.V) {
      case fvaTop: EXPECT_LT(box.top, r.top + 6) << label; break;
      case fvaCenter: EXPECT_NEAR((r.top + r.bottom) / 2, (box.top + box.bottom) / 2, 2) << label; break;
      default: EXPECT_GT(box.bottom, r.bottom - 7) << label; break;
    }
  }
  clear();
  drawText(fstNone, fhaLeft, fvaTop, 0);
  const TRect box = colorBox(bmp, kText);
  EXPECT_NEAR((r.top + r.bottom) / 2, (box.top + box.bottom) / 2, 2) << "flags 0: vertically centred";
}

TEST_F(JvgTextTest, TextOutStylesPlaceTheirPartsFromThePointWithTheShadowDepth) {
  const Edges same{0, 0};
  checkStyles(*this,
              {{fstNone, {}, {}, {}, same},
               {fstRaised, {}, Edges{0, {}}, Edges{{}, 2}, Edges{1, 1}},
               {fstRecessed, {}, Edges{{}, 2}, Edges{0, {}}, Edges{1, 1}},
               {fstPushed, {}, Edges{{}, 1}, Edges{0, {}}, {}},
               {fstShadow, {}, {}, Edges{{}, 2}, same},
               {fstShadow, 4, {}, Edges{{}, 4}, same},
               {fstVolumetric, {}, {}, Edges{1, 2}, same},
               {fstVolumetric, 3, {}, Edges{1, 3}, same}},
              [this](const StyleCase& c) { textOut(c.Style, c.Depth); }, "StyledTextOut");
}

TEST_F(JvgTextTest, TextOutIsClippedAndNeedsAFont) {
  clear();
  StyledTextOut(bmp.Canvas()->Handle(), 10, 5, Rect(0, 0, 20, 40), "HH", fstShadow, false, false,
                static_cast<TColor>(kText), clYellow, clBtnHighlight, clBtnShadow, std::nullopt, nullptr, &font);
  EXPECT_GE(colorBox(bmp, kText).right, 10) << "the text shows inside the clip";
  EXPECT_EQ(0, jvgtest::countOther(bmp, Rect(20, 0, 90, 40), kGround)) << "nothing right of the clip";

  clear();
  StyledTextOut(bmp.Canvas()->Handle(), 10, 5, Rect(0, 0, 90, 40), "HH", fstRaised, false, false,
                static_cast<TColor>(kText), clYellow, clBtnHighlight, clBtnShadow, std::nullopt, nullptr, nullptr);
  EXPECT_EQ(0, jvgtest::countOther(bmp, Rect(0, 0, 90, 40), kGround)) << "no font, no text";
}

TEST_F(JvgTextTest, TextOutWithout3DOutlinedOrFilledWithAGradient) {
  clear();
  textOut(fstNone);
  const TRect plain = colorBox(bmp, kText);

  clear();
  textOut(fstRaised, std::nullopt, true);
  EXPECT_EQ(boxText(plain), boxText(colorBox(bmp, kText))) << "without 3-D the text stays at the point";
  EXPECT_FALSE(hasColor(bmp, sysRgb(COLOR_BTNHIGHLIGHT)));
  EXPECT_FALSE(hasColor(bmp, sysRgb(COLOR_BTNSHADOW)));

  clear();
  textOut(fstNone, std::nullopt, false, true);
  const TRect outline = colorBox(bmp, 0x00FFFF);  // clYellow
  ASSERT_GE(outline.right, 0) << "the outline shows";
  EXPECT_NEAR(plain.left, outline.left, 1);
  EXPECT_NEAR(plain.right, outline.right, 1);

  TJvgGradient gradient;
  gradient.SetActive(true);
  gradient.SetFromColor(clFuchsia);
  gradient.SetToColor(clFuchsia);
  clear();
  textOut(fstNone, std::nullopt, false, false, &gradient);
  EXPECT_FALSE(hasColor(bmp, kText)) << "the gradient replaces the font colour";
  const TRect filled = colorBox(bmp, 0xFF00FF);
  ASSERT_GE(filled.right, 0) << "the letters are filled with the gradient";
  EXPECT_NEAR(plain.left, filled.left, 1);
  EXPECT_NEAR(plain.bottom, filled.bottom, 1);
}

TEST_F(JvgTextTest, TextOutInATurnedFontRunsUpFromThePoint) {
  HFONT turned = MakeRotatedFont(&font, 900);
  TFont up;
  up.SetHandle(turned);
  fillBitmap(bmp, 40, 90, kGround);
  StyledTextOut(bmp.Canvas()->Handle(), 8, 80, Rect(0, 0, 40, 90), "HHH", fstNone, false, false,
                static_cast<TColor>(kText), clYellow, clBtnHighlight, clBtnShadow, std::nullopt, nullptr, &up);
  const TRect box = colorBox(bmp, kText);
  ASSERT_GE(box.right, 0);
  EXPECT_GT(box.bottom - box.top, 2 * (box.right - box.left)) << "taller than wide: " << boxText(box);
  EXPECT_LE(box.bottom, 80) << "it runs up from the point";
  EXPECT_GE(box.left, 8);
}

// ---------------------------------------------------------------------------------------
// Bitmap painter.

constexpr uint32_t kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kWhite = 0xFFFFFF;

class JvgPaintBitmapTest : public ::testing::Test {
protected:
  void SetUp() override { fillBitmap(dest, 50, 50, kWhite); }
  void paint(TBitmap* B, const TRect& R, TglWallpaperOption Option, Integer DY = 0, Integer DX = 0,
             bool Transparent = false) {
    PaintBitmapMode(dest.Canvas()->Handle(), B, R, clBlack, Transparent, Option, DY, DX);
  }
  ::testing::AssertionResult at(int X, int Y, uint32_t Color) { return PixelIs(dest, X, Y, Color); }
  TBitmap dest;
};

TEST_F(JvgPaintBitmapTest, TilesFromTheCornerAndCutsTheLastColumnAndRow) {
  // A 10 x 10 tile, blue with a red top-left pixel, over a 25 x 15 area at (5, 5): three
  // columns (the last 5 wide) and two rows (the last 5 high).
  TBitmap tile;
  fillBitmap(tile, 10, 10, kBlue);
  tile.Canvas()->SetPixels(0, 0, static_cast<TColor>(kRed));
  paint(&tile, Rect(5, 5, 30, 20), fwoTile);
  int reds = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      if (pixelOf(dest, x, y) == kRed) ++reds;
  EXPECT_EQ(6, reds);
  for (auto [x, y] : {std::pair{5, 5}, {15, 5}, {25, 5}, {5, 15}, {15, 15}, {25, 15}}) EXPECT_TRUE(at(x, y, kRed));
  EXPECT_TRUE(at(29, 19, kBlue)) << "the cut corner tile";
  EXPECT_TRUE(at(30, 10, kWhite)) << "right of the area";
  EXPECT_TRUE(at(10, 20, kWhite)) << "below the area";
  EXPECT_TRUE(at(4, 10, kWhite)) << "left of the area";
}

TEST_F(JvgPaintBitmapTest, StretchesOrScalesProportionallyIntoTheRectangle) {
  TBitmap halves;  // left half red, right half blue
  fillBitmap(halves, 10, 10, kBlue);
  halves.Canvas()->Brush()->SetColor(static_cast<TColor>(kRed));
  halves.Canvas()->FillRect(Rect(0, 0, 5, 10));
  paint(&halves, Rect(0, 0, 40, 20), fwoStretch);
  EXPECT_TRUE(at(19, 10, kRed));
  EXPECT_TRUE(at(20, 10, kBlue));
  EXPECT_TRUE(at(39, 19, kBlue));
  EXPECT_TRUE(at(40, 10, kWhite));
  EXPECT_TRUE(at(10, 20, kWhite));

  // 10 x 5 into 40 x 40: the ratios are 4 and 8; the smaller gives 40 x 20.
  TBitmap wide;
  fillBitmap(wide, 10, 5, kRed);
  fillBitmap(dest, 50, 50, kWhite);
  paint(&wide, Rect(0, 0, 40, 40), fwoPropStretch);
  EXPECT_TRUE(at(39, 19, kRed));
  EXPECT_TRUE(at(20, 20, kWhite));
  EXPECT_TRUE(at(40, 5, kWhite));
  // Into 22 x 40: ratio 2.2, sizes truncated to 22 x 11.
  fillBitmap(dest, 50, 50, kWhite);
  paint(&wide, Rect(0, 0, 22, 40), fwoPropStretch);
  EXPECT_TRUE(at(21, 10, kRed));
  EXPECT_TRUE(at(10, 11, kWhite));
}

TEST_F(JvgPaintBitmapTest, OneCopyGoesToTheOffsetAndIsCutAtTheRectangle) {
  TBitmap square;
  fillBitmap(square, 10, 10, kBlue);
  paint(&square, Rect(0, 0, 15, 15), fwoNone, 3, 8);
  EXPECT_TRUE(at(8, 3, kBlue));
  EXPECT_TRUE(at(14, 12, kBlue));
  EXPECT_TRUE(at(15, 5, kWhite)) << "cut at the right edge";
  EXPECT_TRUE(at(7, 5, kWhite));
  EXPECT_TRUE(at(10, 13, kWhite));
  EXPECT_TRUE(at(10, 2, kWhite));

  TBitmap empty;
  paint(&empty, Rect(0, 0, 50, 50), fwoTile);
  paint(nullptr, Rect(0, 0, 50, 50), fwoStretch);
  EXPECT_EQ(0, jvgtest::countOther(dest, Rect(15, 15, 50, 50), kWhite)) << "nothing for no picture";
}

TEST_F(JvgPaintBitmapTest, TransparentPixelsOfTheBottomLeftColourShowTheDestination) {
  constexpr uint32_t kMagenta = RGB(255, 0, 255), kGreen = RGB(0, 128, 0);
  TBitmap glyph;  // magenta round a blue square
  fillBitmap(glyph, 16, 16, kMagenta);
  glyph.Canvas()->Brush()->SetColor(static_cast<TColor>(kBlue));
  glyph.Canvas()->FillRect(Rect(5, 5, 11, 11));
  fillBitmap(dest, 50, 50, kGreen);
  paint(&glyph, Rect(10, 10, 40, 40), fwoNone, 2, 3, true);
  EXPECT_TRUE(at(13, 12, kGreen)) << "the glyph's magenta corner";
  EXPECT_TRUE(at(20, 19, kBlue)) << "the square";
  EXPECT_TRUE(at(28, 27, kGreen));
  EXPECT_FALSE(hasColor(dest, kMagenta));

  paint(&glyph, Rect(10, 10, 40, 40), fwoNone, 2, 3, false);
  EXPECT_TRUE(at(13, 12, kMagenta)) << "opaque: the magenta shows";
}

// ---------------------------------------------------------------------------------------
// Fonts and bitmaps.

TEST(JvgMakeRotatedFont, CopiesTheFontWithTheEscapementAndNoOrientation) {
  struct Case {
    const char* Name;
    Integer Height;
    TFontStyles Style;
    TFontPitch Pitch;
    Integer Charset;
    Integer Escapement;
    LONG Weight;
    BYTE PitchBits;
  };
  for (const Case& c : {Case{"Arial", -16, TFontStyles{fsBold, fsItalic}, fpVariable, ANSI_CHARSET, 900, 700, VARIABLE_PITCH},
                        Case{"Courier New", 20, TFontStyles{fsUnderline, fsStrikeOut}, fpFixed, DEFAULT_CHARSET, -1800,
                             400, FIXED_PITCH},
                        Case{"Tahoma", -11, TFontStyles{}, fpDefault, EASTEUROPE_CHARSET, -900, 400, DEFAULT_PITCH}}) {
    TFont font;
    font.SetName(c.Name);
    font.SetHeight(c.Height);
    font.SetStyle(c.Style);
    font.SetPitch(c.Pitch);
    font.SetCharset(TFontCharset(c.Charset));
    HFONT h = MakeRotatedFont(&font, c.Escapement);
    ASSERT_NE(nullptr, h) << c.Name;
    LOGFONTA lf{};
    ASSERT_EQ(static_cast<int>(sizeof lf), GetObjectA(h, sizeof lf, &lf));
    EXPECT_STREQ(c.Name, lf.lfFaceName);
    EXPECT_EQ(c.Height, lf.lfHeight) << c.Name;
    EXPECT_EQ(c.Escapement, lf.lfEscapement) << c.Name;
    EXPECT_EQ(0, lf.lfOrientation) << c.Name;
    EXPECT_EQ(c.Weight, lf.lfWeight) << c.Name;
    EXPECT_EQ(c.Style.Contains(fsItalic), lf.lfItalic != 0) << c.Name;
    EXPECT_EQ(c.Style.Contains(fsUnderline), lf.lfUnderline != 0) << c.Name;
    EXPECT_EQ(c.Style.Contains(fsStrikeOut), lf.lfStrikeOut != 0) << c.Name;
    EXPECT_EQ(c.Charset, lf.lfCharSet) << c.Name;
    EXPECT_EQ(c.PitchBits, lf.lfPitchAndFamily & 0x0F) << c.Name;
    EXPECT_EQ(DEFAULT_QUALITY, lf.lfQuality);
    DeleteObject(h);
  }
}

TEST(JvgBitmapHasContent, NeedsABitmapWithWidthAndHeight) {
  EXPECT_FALSE(BitmapHasContent(nullptr));
  for (auto [w, h, has] : {std::tuple{0, 5, false}, {5, 0, false}, {0, 0, false}, {5, 5, true}, {1, 1, true}}) {
    TBitmap b;
    b.SetSize(w, h);
    EXPECT_EQ(has, BitmapHasContent(&b)) << w << " x " << h;
  }
}

}  // namespace
