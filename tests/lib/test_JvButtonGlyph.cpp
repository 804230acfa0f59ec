// The speed buttons' glyph object: the glyph count a strip gives, where glyph, caption and
// drop-down mark go, the images of each drawing state (disabled embossed or shaded,
// inactive gray, the cells of a strip, image list entries), the shared cache of images,
// and the bitmap routines behind them.
#include <functional>
#include <memory>
#include <string>

#include "ButtonTestSupport.h"
#include "TestFramework.h"
#include "ThemeTestSupport.h"
#include "lib/JvButtonGlyph.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

using guitest::hexOf;
using guitest::pixelAt;

using namespace buttontest;

constexpr uint32_t kBackground = 0x336699;  // what the drawings go onto

// A target to draw onto, filled with kBackground.
struct Target {
  TBitmap bitmap;
  Target(Integer W, Integer H) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(W, H);
    fill(bitmap.Canvas(), Rect(0, 0, W, H), TColor(kBackground));
  }
  TCanvas* Canvas() { return bitmap.Canvas(); }
  uint32_t at(Integer X, Integer Y) { return pixelAt(bitmap, X, Y); }
};

// The glyph of one 16 x 16 cell: a black square (5,5)-(10,10), a red square (1,12)-(3,14),
// a white square (12,1)-(14,3) and a button-face pixel at (14,14), on fuchsia.
TBitmap* sampleCell() {
  return makeStrip(1, 16, [](TCanvas* c, const TRect&, Integer) {
    fill(c, Rect(5, 5, 11, 11), clBlack);
    fill(c, Rect(1, 12, 4, 15), clRed);
    fill(c, Rect(12, 1, 15, 4), clWhite);
    c->SetPixels(14, 14, clBtnFace);
  });
}

class JvButtonGlyphTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(style.Ok()) << "the visual style could not be switched off"; }
  VisualStyleGuard style{false};
};

// ---------------------------------------------------------------------------------------
// The strip.

TEST_F(JvButtonGlyphTest, StripWidthGivesTheGlyphCountAndBottomLeftPixelTheKeyColour) {
  struct Case {
    Integer Width, Height;
    Byte Expected;
  };
  // Whole squares up to five give their number; more than five are one picture; a strip
  // that is no whole number of squares leaves the count as it was (3 here).
  const Case cases[] = {{64, 16, 4}, {112, 16, 1}, {50, 16, 3}, {80, 16, 5}, {16, 16, 1}, {32, 16, 2}};
  for (const Case& c : cases) {
    TJvxButtonGlyph glyph;
    glyph.SetNumGlyphs(3);
    int changes = 0;
    struct Counter : TObject {
      int* n;
      void Changed(TObject*) { ++*n; }
    } counter;
    counter.n = &changes;
    glyph.SetOnChange(TNotifyEvent(&counter, &Counter::Changed));
    TObjectPtr<TBitmap> strip(makeStrip(1, 1, [](TCanvas*, const TRect&, Integer) {}));
    strip->SetSize(c.Width, c.Height);
    fill(strip->Canvas(), Rect(0, 0, c.Width, c.Height), clTeal);
    strip->Canvas()->SetPixels(0, c.Height - 1, TColor(0x0080FF));
    glyph.SetGlyph(strip.get());
    EXPECT_EQ(c.Expected, glyph.NumGlyphs()) << c.Width << " x " << c.Height;
    EXPECT_EQ(hexOf(0x0080FF), hexOf(static_cast<uint32_t>(glyph.KeyColor()))) << "the bottom-left pixel, no palette bit";
    EXPECT_GT(changes, 0) << "a new strip raises OnChange";
  }
}

TEST_F(JvButtonGlyphTest, AStripWithoutWidthNeverLeavesAZeroGlyphCount) {
  // A strip that is first 0 x 16 and then grows to a width that is no whole number of
  // squares: the count must stay usable (it is a divisor of the width).
  TJvxButtonGlyph glyph;
  glyph.Glyph()->SetSize(0, 16);
  glyph.Glyph()->SetSize(20, 16);
  EXPECT_EQ(1, glyph.NumGlyphs());
  Target t(30, 30);
  const TPoint size = glyph.DrawBitmapGlyph(t.Canvas(), 0, 0, sdsUp);
  EXPECT_EQ(20, size.x);
  glyph.SetNumGlyphs(0);
  EXPECT_EQ(1, glyph.NumGlyphs()) << "0 is ignored";
}

// ---------------------------------------------------------------------------------------
// Layout.

TEST_F(JvButtonGlyphTest, GlyphWithoutCaptionIsCentredWithSpacingDropped) {
  // 25 x 25, glyph on top, centred: spacing becomes 0 and the margin 25/2 - 16/2 = 4.
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> cell(sampleCell());
  glyph.SetGlyph(cell.get());
  Target t(25, 25);
  for (Integer spacing : {-1, 0, 5}) {
    std::string caption;
    TRect text;
    TPoint pos;
    glyph.ComputeLayout(t.Canvas(), Rect(0, 0, 25, 25), nullptr, -1, 0, false, spacing, -1, blGlyphTop, caption,
                        Point(0, 0), text, pos);
    EXPECT_EQ("(4,4)", pointText(pos)) << "spacing " << spacing;
  }
}

TEST_F(JvButtonGlyphTest, GlyphAndCaptionLandWhereLayoutMarginAndSpacingPutThem) {
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> cell(sampleCell());
  glyph.SetGlyph(cell.get());
  Target t(100, 60);
  const TSize ext = t.Canvas()->TextExtent("Ab");
  const Integer tw = ext.cx, th = ext.cy;
  ASSERT_GT(tw, 0);
  // Client 80 x 40 at (5, 3), glyph 16 x 16. Across the layout direction both are centred:
  // glyph y 12 and caption y 20 - th/2 (horizontal), glyph x 32 and caption x 40 - tw/2
  // (vertical). Along it, worked out by hand per row.
  const Integer ty = 20 - th / 2, tx = 40 - tw / 2;
  struct Case {
    const char* Name;
    TButtonLayout Layout;
    Integer Margin, Spacing;
    bool Mark;
    TPoint Offset, Glyph, Text;
  };
  const Integer sL = (80 - 16 - tw) / 3;       // spread, horizontal
  const Integer mL4 = 40 - (20 + tw) / 2;      // centred pair with spacing 4
  const Integer sV = (40 - 16 - th) / 3;       // spread, vertical
  const Integer mV1 = 20 - (17 + th) / 2;      // centred pair with spacing 1, vertical
  const Integer mMark = 40 - (20 + tw + 9) / 2;  // the mark widens the caption by 9
  const Case cases[] = {
      {"left, spread", blGlyphLeft, -1, -1, false, {0, 0}, {sL, 12}, {sL + 16 + sL, ty}},
      {"left, centred", blGlyphLeft, -1, 4, false, {0, 0}, {mL4, 12}, {mL4 + 20, ty}},
      {"left, margin 3, caption centred in the rest", blGlyphLeft, 3, -1, false, {0, 0}, {3, 12},
       {19 + (61 / 2 - tw / 2), ty}},
      {"left, margin 3, spacing 4", blGlyphLeft, 3, 4, false, {0, 0}, {3, 12}, {23, ty}},
      {"left, pressed (offset 1,1)", blGlyphLeft, 3, 4, false, {1, 1}, {4, 13}, {24, ty + 1}},
      {"right, margin 3, spacing 4", blGlyphRight, 3, 4, false, {0, 0}, {61, 12}, {57 - tw, ty}},
      {"right, spread", blGlyphRight, -1, -1, false, {0, 0}, {64 - sL, 12}, {64 - sL - sL - tw, ty}},
      {"right, centred", blGlyphRight, -1, 4, false, {0, 0}, {64 - mL4, 12}, {60 - mL4 - tw, ty}},
      {"top, spread", blGlyphTop, -1, -1, false, {0, 0}, {32, sV}, {tx, sV + 16 + sV}},
      {"top, margin 2, spacing 1", blGlyphTop, 2, 1, false, {0, 0}, {32, 2}, {tx, 19}},
      {"top, centred", blGlyphTop, -1, 1, false, {0, 0}, {32, mV1}, {tx, mV1 + 17}},
      {"bottom, margin 2, spacing 1", blGlyphBottom, 2, 1, false, {0, 0}, {32, 22}, {tx, 21 - th}},
      {"bottom, spread", blGlyphBottom, -1, -1, false, {0, 0}, {32, 24 - sV}, {tx, 24 - sV - sV - th}},
      {"bottom, margin 2, caption centred in the rest", blGlyphBottom, 2, -1, false, {0, 0}, {32, 22},
       {tx, 22 - (11 - th / 2) - th}},
      {"left with mark: caption 9 wider", blGlyphLeft, -1, 4, true, {0, 0}, {mMark, 12}, {mMark + 20, ty}},
      {"top with mark: glyph 6 wider", blGlyphTop, 2, 1, true, {0, 0}, {29, 2}, {tx, 19}},
      {"right with mark: glyph 6 wider", blGlyphRight, 3, 4, true, {0, 0}, {55, 12}, {51 - tw, ty}},
  };
  for (const Case& c : cases) {
    std::string caption = "Ab";
    TRect text;
    TPoint pos;
    glyph.ComputeLayout(t.Canvas(), Rect(5, 3, 85, 43), nullptr, -1, 0, c.Mark, c.Spacing, c.Margin, c.Layout,
                        caption, c.Offset, text, pos);
    EXPECT_EQ(pointText(Point(5 + c.Glyph.x, 3 + c.Glyph.y)), pointText(pos)) << c.Name << ": glyph";
    EXPECT_EQ(rectText(Bounds(5 + c.Text.x, 3 + c.Text.y, tw, th)), rectText(text)) << c.Name << ": caption";
    EXPECT_EQ("Ab", caption) << c.Name;
  }
}

TEST_F(JvButtonGlyphTest, CaptionAloneOrGlyphAloneTakeNoSpacing) {
  Target t(100, 60);
  const TSize ext = t.Canvas()->TextExtent("Ab");
  TJvxButtonGlyph noGlyph;
  std::string caption = "Ab";
  TRect text;
  TPoint pos;
  noGlyph.ComputeLayout(t.Canvas(), Rect(0, 0, 80, 40), nullptr, -1, 0, false, 4, -1, blGlyphLeft, caption,
                        Point(0, 0), text, pos);
  EXPECT_EQ(rectText(Bounds(40 - ext.cx / 2, 20 - ext.cy / 2, ext.cx, ext.cy)), rectText(text));
  EXPECT_EQ(pointText(Point(40 - ext.cx / 2, 20)), pointText(pos)) << "an empty glyph sits at the caption";

  TJvxButtonGlyph onlyGlyph;
  TObjectPtr<TBitmap> cell(sampleCell());
  onlyGlyph.SetGlyph(cell.get());
  caption.clear();
  onlyGlyph.ComputeLayout(t.Canvas(), Rect(0, 0, 80, 40), nullptr, -1, 0, false, -1, -1, blGlyphTop, caption,
                          Point(0, 0), text, pos);
  EXPECT_EQ("(32,12)", pointText(pos)) << "spacing -1 without a caption is 0, so the glyph is centred";
  EXPECT_EQ(0, text.right - text.left);
}

TEST_F(JvButtonGlyphTest, CaptionIsFittedToTheRoomLeft) {
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> cell(sampleCell());
  glyph.SetGlyph(cell.get());
  Target t(100, 60);
  // Beside the glyph: 60 - 16 - margin 2 - spacing 2 = 40 pixels for the caption.
  std::string caption = "A caption far too long for the button";
  TRect text;
  TPoint pos;
  glyph.ComputeLayout(t.Canvas(), Rect(0, 0, 60, 30), nullptr, -1, 0, false, 2, 2, blGlyphLeft, caption, Point(0, 0),
                      text, pos);
  EXPECT_EQ("...", caption.size() >= 3 ? caption.substr(caption.size() - 3) : caption) << caption;
  EXPECT_LE(t.Canvas()->TextWidth(caption), 40);
  EXPECT_LE(text.right - text.left, 40);
  EXPECT_EQ(20, text.left) << "margin 2 + glyph 16 + spacing 2";
  // Below the glyph the height left is 20 - 16 - 2 - 1 = 1: the caption's rectangle is
  // cut to it.
  caption = "Ab";
  glyph.ComputeLayout(t.Canvas(), Rect(0, 0, 60, 20), nullptr, -1, 0, false, 1, 2, blGlyphTop, caption, Point(0, 0),
                      text, pos);
  EXPECT_EQ(1, text.bottom - text.top);
  EXPECT_EQ(19, text.top);
}

TEST_F(JvButtonGlyphTest, FitCaptionShortensEachLineAndCutsAt255) {
  TJvxButtonGlyph glyph;
  Target t(10, 10);
  TCanvas* c = t.Canvas();
  const Integer w = c->TextWidth("Short");
  std::string fitted = glyph.FitCaption(c, "Short\r\nA much longer second line\r\n\r\n  ", w);
  EXPECT_EQ(0u, fitted.find("Short\r\n")) << fitted;
  EXPECT_EQ("...", fitted.substr(fitted.size() - 3)) << "the second line shortened, the blank tail removed: " << fitted;
  EXPECT_EQ(std::string::npos, fitted.find("\r\n", 7));
  EXPECT_LE(c->TextWidth(fitted.substr(7)), w);
  // Lines broken by a lone LF count as lines too.
  EXPECT_EQ("Short\r\nShort", glyph.FitCaption(c, "Short\nShort", w));
  const std::string longText(300, 'x');
  EXPECT_EQ(255u, glyph.FitCaption(c, longText, 100000).size());
  glyph.SetWordWrap(true);
  EXPECT_EQ("A much longer second line", glyph.FitCaption(c, "A much longer second line", w)) << "word wrap keeps it";
  EXPECT_EQ(255u, glyph.FitCaption(c, longText, 10).size());
}

TEST_F(JvButtonGlyphTest, UnderVisualStylesAnOffsetMovesTheGlyphButNotTheCaption) {
  VisualStyleGuard themed(true);
  ASSERT_TRUE(themed.Ok()) << "the visual style could not be switched on";
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> cell(sampleCell());
  glyph.SetGlyph(cell.get());
  Target t(100, 60);
  std::string caption = "Ab";
  TRect still, moved;
  TPoint at, pressed;
  glyph.ComputeLayout(t.Canvas(), Rect(0, 0, 80, 40), nullptr, -1, 0, false, 4, 3, blGlyphLeft, caption, Point(0, 0),
                      still, at);
  glyph.ComputeLayout(t.Canvas(), Rect(0, 0, 80, 40), nullptr, -1, 0, false, 4, 3, blGlyphLeft, caption, Point(1, 0),
                      moved, pressed);
  EXPECT_EQ(pointText(Point(at.x + 1, at.y)), pointText(pressed));
  EXPECT_EQ(rectText(still), rectText(moved));
}

// ---------------------------------------------------------------------------------------
// State images from a strip.

TEST_F(JvButtonGlyphTest, EachStateTakesItsCellOrFallsBackToTheUpCell) {
  const TColor colours[] = {clRed, clGreen, clBlue, clYellow, clAqua};
  struct Case {
    Integer Cells;
    TSpeedButtonDrawState State;
    uint32_t Expected;
  };
  const Case cases[] = {
      {4, sdsUp, 0x0000FF},        {4, sdsDisabled, 0x008000}, {4, sdsDown, 0xFF0000},
      {4, sdsExclusive, 0x00FFFF}, {5, sdsInactive, 0xFFFF00}, {2, sdsDown, 0x0000FF},
      {2, sdsExclusive, 0x0000FF}, {2, sdsDisabled, 0x008000}, {3, sdsExclusive, 0x0000FF},
  };
  for (const Case& c : cases) {
    TJvxButtonGlyph glyph;
    TObjectPtr<TBitmap> strip(makeStrip(c.Cells, 16, [&](TCanvas* canvas, const TRect& r, Integer i) {
      fill(canvas, Rect(r.left + 2, 2, r.left + 14, 14), colours[i]);
    }));
    glyph.SetGlyph(strip.get());
    ASSERT_EQ(c.Cells, glyph.NumGlyphs());
    Target t(20, 20);
    EXPECT_EQ(16, glyph.DrawBitmapGlyph(t.Canvas(), 2, 2, c.State).x);
    EXPECT_EQ(hexOf(c.Expected), hexOf(t.at(10, 10))) << c.Cells << " cells, state " << c.State;
    EXPECT_EQ(hexOf(kBackground), hexOf(t.at(3, 3))) << "the key colour is left out";
  }
}

TEST_F(JvButtonGlyphTest, OneCellStripDownIsTheUpImageAndInactiveIsGray) {
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> strip(makeStrip(1, 16, [](TCanvas* c, const TRect&, Integer) {
    fill(c, Rect(0, 0, 4, 4), clRed);
    fill(c, Rect(4, 0, 8, 4), clLime);
    fill(c, Rect(8, 0, 12, 4), clBlue);
    fill(c, Rect(0, 8, 4, 12), clBtnFace);
  }));
  glyph.SetGlyph(strip.get());
  const Integer up = glyph.GlyphIndexForState(sdsUp);
  EXPECT_EQ(up, glyph.GlyphIndexForState(sdsDown)) << "one cell: down is up";
  const Integer inactive = glyph.GlyphIndexForState(sdsInactive);
  EXPECT_NE(up, inactive);
  EXPECT_EQ(inactive, glyph.StateIndex(sdsInactive));
  Target t(16, 16);
  glyph.DrawBitmapGlyph(t.Canvas(), 0, 0, sdsInactive);
  // Gray = (77 R + 150 G + 29 B) shr 8 on every channel.
  EXPECT_EQ(hexOf(0x4C4C4C), hexOf(t.at(1, 1))) << "red";
  EXPECT_EQ(hexOf(0x959595), hexOf(t.at(5, 1))) << "green";
  EXPECT_EQ(hexOf(0x1C1C1C), hexOf(t.at(9, 1))) << "blue";
  EXPECT_EQ(hexOf(rgb(clBtnFace)), hexOf(t.at(1, 9))) << "the button face stays";
  EXPECT_EQ(hexOf(kBackground), hexOf(t.at(14, 14))) << "the key colour stays (and is left out)";
}

TEST_F(JvButtonGlyphTest, DisabledImageIsEmbossedOrShaded) {
  TObjectPtr<TBitmap> cell(sampleCell());
  const uint32_t light = rgb(clBtnHighlight), shadow = rgb(clBtnShadow);
  {
    // Embossed: every pixel that is neither key nor white, in shadow, with a highlight one
    // pixel down and right; white parts vanish.
    TJvxButtonGlyph glyph;
    glyph.SetGrayNewStyle(true);
    glyph.SetGlyph(cell.get());
    Target t(20, 20);
    glyph.DrawBitmapGlyph(t.Canvas(), 0, 0, sdsDisabled);
    EXPECT_EQ(hexOf(shadow), hexOf(t.at(5, 5))) << "black square";
    EXPECT_EQ(hexOf(shadow), hexOf(t.at(10, 10)));
    EXPECT_EQ(hexOf(light), hexOf(t.at(11, 11))) << "its highlight";
    EXPECT_EQ(hexOf(shadow), hexOf(t.at(2, 13))) << "the red square is embossed too";
    EXPECT_EQ(hexOf(kBackground), hexOf(t.at(13, 2))) << "white vanishes";
    EXPECT_EQ(hexOf(kBackground), hexOf(t.at(0, 0))) << "key";
  }
  {
    // Shaded: only the black pixels show.
    TJvxButtonGlyph glyph;
    glyph.SetGrayNewStyle(false);
    glyph.SetGlyph(cell.get());
    Target t(20, 20);
    glyph.DrawBitmapGlyph(t.Canvas(), 0, 0, sdsDisabled);
    EXPECT_EQ(hexOf(shadow), hexOf(t.at(5, 5)));
    EXPECT_EQ(hexOf(light), hexOf(t.at(11, 11)));
    EXPECT_EQ(hexOf(kBackground), hexOf(t.at(2, 13))) << "red is not an outline";
    EXPECT_EQ(hexOf(kBackground), hexOf(t.at(0, 0)));
  }
}

TEST_F(JvButtonGlyphTest, ChangingStyleCountOrStripDropsTheCachedImages) {
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> cell(sampleCell());
  glyph.SetGlyph(cell.get());
  glyph.GlyphIndexForState(sdsDisabled);
  ASSERT_NE(nullptr, glyph.CacheList());
  glyph.SetGrayNewStyle(!glyph.GrayNewStyle());
  EXPECT_EQ(-1, glyph.StateIndex(sdsDisabled));
  EXPECT_EQ(nullptr, glyph.CacheList());
  glyph.GlyphIndexForState(sdsUp);
  glyph.SetNumGlyphs(2);
  EXPECT_EQ(-1, glyph.StateIndex(sdsUp));
  glyph.GlyphIndexForState(sdsUp);
  glyph.Glyph()->Canvas()->SetPixels(0, 0, clBlack);
  EXPECT_EQ(-1, glyph.StateIndex(sdsUp)) << "drawing on the strip is a change of it";
}

// ---------------------------------------------------------------------------------------
// Images from an image list.

class JvButtonGlyphListTest : public JvButtonGlyphTest {
protected:
  void SetUp() override {
    JvButtonGlyphTest::SetUp();
    images.reset(new TImageList(16, 16));
    for (TColor c : {clRed, clBlue}) {
      TObjectPtr<TBitmap> b(makeStrip(1, 16, [c](TCanvas* canvas, const TRect&, Integer) {
        fill(canvas, Rect(4, 4, 12, 12), c);
      }));
      images->AddMasked(b.get(), TColor(kKey));
    }
  }
  TObjectPtr<TImageList> images;
};

TEST_F(JvButtonGlyphListTest, ListEntryDrawsNormallyGrayWhenInactiveAndShadedWhenDisabled) {
  TJvxButtonGlyph glyph;
  Target t(40, 20);
  EXPECT_EQ("(16,16)", pointText(glyph.DrawListGlyph(t.Canvas(), 0, 0, images.get(), 0, sdsUp)));
  EXPECT_EQ(hexOf(0x0000FF), hexOf(t.at(8, 8)));
  EXPECT_EQ(hexOf(kBackground), hexOf(t.at(1, 1)));
  glyph.DrawListGlyph(t.Canvas(), 20, 0, images.get(), 0, sdsInactive);
  EXPECT_EQ(hexOf(0x4C4C4C), hexOf(t.at(28, 8)));
  EXPECT_EQ(hexOf(kBackground), hexOf(t.at(21, 1)));

  glyph.SetGrayNewStyle(false);
  Target d(20, 20);
  glyph.DrawListGlyph(d.Canvas(), 0, 0, images.get(), 0, sdsDisabled);
  EXPECT_EQ(hexOf(rgb(clBtnShadow)), hexOf(d.at(4, 4)));
  EXPECT_EQ(hexOf(rgb(clBtnHighlight)), hexOf(d.at(12, 12)));
  EXPECT_EQ(hexOf(kBackground), hexOf(d.at(1, 1)));

  EXPECT_EQ("(0,0)", pointText(glyph.DrawListGlyph(d.Canvas(), 0, 0, images.get(), 5, sdsUp))) << "no such entry";
}

TEST_F(JvButtonGlyphListTest, CachedImagesFollowTheEntryTheyWereMadeFrom) {
  // A button whose image index changes (hot tracking, an action) must not keep showing the
  // gray image of the entry it had before.
  TJvxButtonGlyph glyph;
  Target t(20, 20);
  glyph.DrawListGlyph(t.Canvas(), 0, 0, images.get(), 0, sdsInactive);
  EXPECT_EQ(hexOf(0x4C4C4C), hexOf(t.at(8, 8)));
  glyph.DrawListGlyph(t.Canvas(), 0, 0, images.get(), 1, sdsInactive);
  EXPECT_EQ(hexOf(0x1C1C1C), hexOf(t.at(8, 8))) << "blue's gray, not red's";
}

TEST_F(JvButtonGlyphListTest, StateImagesOfAnEntryKeepItsTransparency) {
  TJvxButtonGlyph glyph;
  const Integer up = glyph.ImageGlyphIndexForState(sdsUp, images.get(), 1);
  EXPECT_EQ(up, glyph.ImageGlyphIndexForState(sdsDown, images.get(), 1));
  const Integer disabled = glyph.ImageGlyphIndexForState(sdsDisabled, images.get(), 1);
  ASSERT_GE(up, 0);
  ASSERT_GE(disabled, 0);
  Target t(40, 20);
  glyph.CacheList()->Draw(t.Canvas(), 0, 0, up);
  glyph.CacheList()->Draw(t.Canvas(), 20, 0, disabled);
  EXPECT_EQ(hexOf(0xFF0000), hexOf(t.at(8, 8)));
  EXPECT_EQ(hexOf(kBackground), hexOf(t.at(1, 1)));
  EXPECT_EQ(hexOf(rgb(clBtnShadow)), hexOf(t.at(24, 4)));
  EXPECT_EQ(hexOf(kBackground), hexOf(t.at(21, 1)));
  EXPECT_EQ(-1, glyph.ImageGlyphIndexForState(sdsUp, images.get(), 2));
  TImageList empty(16, 16);
  EXPECT_EQ(-1, glyph.ImageGlyphIndexForState(sdsUp, &empty, 0));
}

// ---------------------------------------------------------------------------------------
// The shared cache.

TEST_F(JvButtonGlyphTest, GlyphsOfOneCellSizeShareAListWhoseFreedSlotsAreReused) {
  TObjectPtr<TBitmap> cell(sampleCell());
  auto first = std::make_unique<TJvxButtonGlyph>();
  auto second = std::make_unique<TJvxButtonGlyph>();
  auto third = std::make_unique<TJvxButtonGlyph>();
  for (TJvxButtonGlyph* g : {first.get(), second.get(), third.get()}) g->SetGlyph(cell.get());
  const Integer a = first->GlyphIndexForState(sdsUp), b = first->GlyphIndexForState(sdsDisabled);
  second->GlyphIndexForState(sdsUp);
  second->GlyphIndexForState(sdsInactive);
  TJvGlyphList* list = first->CacheList();
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(list, second->CacheList());
  EXPECT_EQ(4, list->Count());
  EXPECT_EQ(4, list->UsedCount());

  first->ReleaseCachedGlyphs();
  EXPECT_EQ(nullptr, first->CacheList());
  EXPECT_EQ(2, list->UsedCount());
  EXPECT_EQ(4, list->Count()) << "the list does not shrink";
  EXPECT_FALSE(list->SlotUsed(a));
  EXPECT_FALSE(list->SlotUsed(b));
  const Integer c = third->GlyphIndexForState(sdsUp), d = third->GlyphIndexForState(sdsDisabled);
  EXPECT_EQ(list, third->CacheList());
  EXPECT_EQ(std::min(a, b), std::min(c, d)) << "freed slots are taken first";
  EXPECT_EQ(std::max(a, b), std::max(c, d));
  EXPECT_EQ(4, list->Count());

  // Another cell size gets a list of its own.
  TJvxButtonGlyph big;
  TObjectPtr<TBitmap> bigCell(makeStrip(1, 20, [](TCanvas*, const TRect&, Integer) {}));
  big.SetGlyph(bigCell.get());
  big.GlyphIndexForState(sdsUp);
  EXPECT_NE(list, big.CacheList());
  EXPECT_EQ(20, big.CacheList()->Width());
}

TEST_F(JvButtonGlyphTest, CacheGoesWithTheLastGlyphAndComesBackWhenNeeded) {
  TObjectPtr<TBitmap> cell(sampleCell());
  {
    TJvxButtonGlyph glyph;
    ASSERT_NE(nullptr, currentGlyphCache());
    glyph.SetGlyph(cell.get());
    glyph.GlyphIndexForState(sdsUp);
    EXPECT_FALSE(currentGlyphCache()->Empty());
  }
  EXPECT_EQ(nullptr, currentGlyphCache());
  TJvxButtonGlyph keeper, other;
  other.SetGlyph(cell.get());
  { TJvxButtonGlyph gone; }
  EXPECT_EQ(nullptr, currentGlyphCache()) << "freed with an empty cache by the glyph that went";
  EXPECT_GE(other.GlyphIndexForState(sdsUp), 0) << "an image needed makes it again";
  EXPECT_NE(nullptr, currentGlyphCache());
}

TEST_F(JvButtonGlyphTest, GlyphListHandsOutSlotsOneAtATime) {
  TJvGlyphList list(8, 8);
  TObjectPtr<TBitmap> image(makeStrip(1, 8, [](TCanvas*, const TRect&, Integer) {}));
  EXPECT_EQ(0, list.AddMaskedColor(image.get(), TColor(kKey)));
  EXPECT_EQ(1, list.AllocateSlot());
  EXPECT_EQ(2, list.Count());
  EXPECT_EQ(1, list.UsedCount()) << "allocating alone is no use";
  list.FreeSlot(0);
  list.FreeSlot(0);
  EXPECT_EQ(0, list.UsedCount()) << "freeing twice counts once";
  EXPECT_EQ(0, list.AllocateSlot());
  EXPECT_THROW(list.AddWithMask(nullptr, nullptr), Exception);
  EXPECT_EQ(2, list.AllocateSlot()) << "a failed add gives its slot back";
  EXPECT_EQ(3, list.Count());
}

// ---------------------------------------------------------------------------------------
// Marks, captions and drawing everything.

TEST_F(JvButtonGlyphTest, DropDownMarkIsASmallTriangle) {
  TJvxButtonGlyph glyph;
  Target t(20, 12);
  glyph.DrawDropDownMark(t.Canvas(), 5, 4, sdsUp);
  const uint32_t text = rgb(clBtnText);
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 20; ++x) {
      const Integer row = y - 3;  // rows 0..3 of the triangle
      const bool in = (row == 0 && x >= 5 && x <= 11) || (row == 1 && x >= 6 && x <= 10) ||
                      (row == 2 && x >= 7 && x <= 9) || (row == 3 && x == 8);
      EXPECT_EQ(hexOf(in ? text : kBackground), hexOf(t.at(x, y))) << "(" << x << "," << y << ")";
    }
  Target d(20, 12);
  glyph.DrawDropDownMark(d.Canvas(), 5, 4, sdsDisabled);
  EXPECT_EQ(hexOf(rgb(clBtnShadow)), hexOf(d.at(5, 3)));
  EXPECT_EQ(hexOf(rgb(clBtnHighlight)), hexOf(d.at(12, 4))) << "the highlight copy one pixel down and right";
  EXPECT_EQ(hexOf(rgb(clBtnHighlight)), hexOf(d.at(9, 7)));
}

TEST_F(JvButtonGlyphTest, DisabledCaptionIsEmbossedInButtonColours) {
  TJvxButtonGlyph glyph;
  Target t(60, 20);
  t.Canvas()->Font()->SetColor(clRed);
  const TSize ext = t.Canvas()->TextExtent("Mm");
  glyph.DrawCaption(t.Canvas(), "Mm", Bounds(2, 2, ext.cx, ext.cy), sdsDisabled, 0);
  int light = 0, shadow = 0, red = 0;
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 60; ++x) {
      light += t.at(x, y) == rgb(clBtnHighlight);
      shadow += t.at(x, y) == rgb(clBtnShadow);
      red += t.at(x, y) == 0x0000FF;
    }
  EXPECT_GT(light, 3);
  EXPECT_GT(shadow, 10);
  EXPECT_EQ(0, red) << "not in the font colour";
  EXPECT_EQ(TColor(clRed), t.Canvas()->Font()->Color()) << "the font colour is put back";
}

TEST_F(JvButtonGlyphTest, DrawAllPutsTheMarkBesideTheGlyphOrAfterTheCaption) {
  TJvxButtonGlyph glyph;
  TObjectPtr<TBitmap> strip(makeStrip(1, 16, [](TCanvas* c, const TRect&, Integer) {
    fill(c, Rect(2, 2, 14, 14), clRed);
  }));
  glyph.SetGlyph(strip.get());
  {
    // Glyph on top, no caption: the mark 1 pixel right of the glyph, level with its middle.
    Target t(40, 40);
    glyph.DrawAll(t.Canvas(), Rect(0, 0, 40, 40), Point(0, 0), "", blGlyphTop, 2, 1, true, sdsUp, 0);
    // Glyph 16 + 6 wide centred: x = 20 - 11 = 9, y = 2; the mark's top row at y + 8 - 1.
    EXPECT_EQ(hexOf(0x0000FF), hexOf(t.at(9 + 8, 10)));
    EXPECT_EQ(hexOf(rgb(clBtnText)), hexOf(t.at(9 + 16 + 1, 9)));
    EXPECT_EQ(hexOf(rgb(clBtnText)), hexOf(t.at(9 + 16 + 1 + 3, 12)));
  }
  {
    // Glyph left: the mark 3 pixels after the caption.
    Target t(80, 30);
    const TRect text = glyph.DrawAll(t.Canvas(), Rect(0, 0, 80, 30), Point(0, 0), "Ab", blGlyphLeft, 2, 2, true,
                                     sdsUp, 0);
    const Integer y = text.top + (text.bottom - text.top) / 2;
    EXPECT_EQ(hexOf(rgb(clBtnText)), hexOf(t.at(text.right + 3, y - 1)));
    EXPECT_EQ(hexOf(rgb(clBtnText)), hexOf(t.at(text.right + 6, y + 2)));
    EXPECT_EQ(20, text.left);
  }
  {
    // Nothing but the mark: centred.
    TJvxButtonGlyph empty;
    Target t(41, 21);
    empty.DrawAll(t.Canvas(), Rect(0, 0, 41, 21), Point(0, 0), "", blGlyphLeft, -1, -1, true, sdsUp, 0);
    EXPECT_EQ(hexOf(rgb(clBtnText)), hexOf(t.at((41 - 7) / 2, 9)));
    EXPECT_EQ(hexOf(rgb(clBtnText)), hexOf(t.at((41 - 7) / 2 + 3, 12)));
  }
}

// ---------------------------------------------------------------------------------------
// Bitmap routines.

TEST_F(JvButtonGlyphTest, MaskedDrawingLeavesOutTheKeyColour) {
  TObjectPtr<TBitmap> cell(sampleCell());
  struct Case {
    const char* Name;
    TColor Key;
    uint32_t Corner;  // what (0, 0) shows after drawing
  };
  const Case cases[] = {{"given key", TColor(kKey), kBackground},
                        {"bottom-left pixel", clDefault, kBackground},
                        {"no key", clNone, kKey}};
  for (const Case& c : cases) {
    Target t(16, 16);
    JvDrawBitmapMasked(t.Canvas(), 0, 0, cell.get(), c.Key);
    EXPECT_EQ(hexOf(c.Corner), hexOf(t.at(0, 0))) << c.Name;
    EXPECT_EQ(hexOf(0x000000), hexOf(t.at(7, 7))) << c.Name;
    EXPECT_EQ(hexOf(0x0000FF), hexOf(t.at(2, 13))) << c.Name;
  }
  // Stretched to twice the size: the black square now covers (10,10)-(21,21).
  Target big(32, 32);
  JvStretchBitmapMasked(big.Canvas(), cell.get(), TColor(kKey), 0, 0, 32, 32, 0, 0, 0, 0);
  EXPECT_EQ(hexOf(0x000000), hexOf(big.at(11, 11)));
  EXPECT_EQ(hexOf(0x000000), hexOf(big.at(21, 21)));
  EXPECT_EQ(hexOf(kBackground), hexOf(big.at(23, 23)));
  // A monochrome bitmap leaves out its white pixels.
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(8, 8);
  fill(mono.Canvas(), Rect(0, 0, 8, 8), clWhite);
  fill(mono.Canvas(), Rect(2, 2, 4, 4), clBlack);
  Target m(8, 8);
  JvDrawBitmapMasked(m.Canvas(), 0, 0, &mono, clRed);
  EXPECT_EQ(hexOf(kBackground), hexOf(m.at(0, 0)));
  EXPECT_EQ(hexOf(0x000000), hexOf(m.at(2, 2)));
}

TEST_F(JvButtonGlyphTest, ShadedGlyphOfAMonochromeBitmapKeepsItsOutline) {
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(16, 16);
  fill(mono.Canvas(), Rect(0, 0, 16, 16), clWhite);
  fill(mono.Canvas(), Rect(5, 5, 11, 11), clBlack);
  TObjectPtr<TBitmap> shaded(JvCreateShadedGlyph(&mono, clBlack));
  ASSERT_EQ(16, shaded->Width());
  EXPECT_EQ(hexOf(rgb(clBtnShadow)), hexOf(pixelAt(*shaded, 5, 5)));
  EXPECT_EQ(hexOf(rgb(clBtnHighlight)), hexOf(pixelAt(*shaded, 11, 11)));
  EXPECT_EQ(hexOf(rgb(clBtnFace)), hexOf(pixelAt(*shaded, 1, 1))) << "the rest is the back colour";
  // The long form: another outline colour, no highlight.
  TObjectPtr<TBitmap> colour(makeStrip(1, 16, [](TCanvas* c, const TRect&, Integer) {
    fill(c, Rect(2, 2, 6, 6), clNavy);
  }));
  shaded.reset(JvCreateShadedGlyph(colour.get(), clNavy, clWhite, clYellow, clRed, false));
  EXPECT_EQ(hexOf(0x0000FF), hexOf(pixelAt(*shaded, 2, 2)));
  EXPECT_EQ(hexOf(0xFFFFFF), hexOf(pixelAt(*shaded, 6, 6))) << "no highlight";
  EXPECT_EQ(hexOf(0xFFFFFF), hexOf(pixelAt(*shaded, 0, 0))) << "fuchsia is not the outline";
}

TEST_F(JvButtonGlyphTest, CheckerPatternAndPaletteRelativeColour) {
  TObjectPtr<TBitmap> checker(JvCreateCheckerPattern(clRed, clBlue));
  ASSERT_EQ(8, checker->Width());
  ASSERT_EQ(8, checker->Height());
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      EXPECT_EQ(hexOf(x % 2 == y % 2 ? 0xFF0000 : 0x0000FF), hexOf(pixelAt(*checker, x, y))) << x << "," << y;
  EXPECT_EQ(0x02123456, static_cast<int32_t>(JvPaletteRelativeColor(TColor(0x123456))));
  EXPECT_EQ(static_cast<int32_t>(rgb(clBtnFace) | 0x02000000), static_cast<int32_t>(JvPaletteRelativeColor(clBtnFace)));
}

}  // namespace
