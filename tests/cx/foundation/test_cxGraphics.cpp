#include <set>

#include "CxTestHelpers.h"
#include "cx/foundation/cxGraphics.h"

namespace {
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;

struct CanvasFixture : ::testing::Test {
  TBitmap bmp;
  std::unique_ptr<TcxCanvas> canvas;
  void SetUp() override {
    makeFilled(bmp, 120, 60);
    canvas.reset(new TcxCanvas(bmp.Canvas()));
    bmp.Canvas()->Font()->SetName("Tahoma");
    bmp.Canvas()->Font()->SetHeight(-11);
    bmp.Canvas()->Font()->SetColor(clBlack);
  }
};
}  // namespace

TEST(cxTextFlags, ConversionMapsEachFlagAndHidesPrefixesUnlessAsked) {
  struct Case {
    Integer flags;
    UINT expected;
  } cases[] = {
      {cxAlignLeft | cxAlignTop, DT_NOPREFIX},
      {cxAlignRight, DT_NOPREFIX | DT_RIGHT},
      {cxAlignHCenter | cxAlignVCenter | cxSingleLine, DT_NOPREFIX | DT_CENTER | DT_VCENTER | DT_SINGLELINE},
      {cxAlignBottom | cxDontClip | cxExpandTabs, DT_NOPREFIX | DT_BOTTOM | DT_NOCLIP | DT_EXPANDTABS},
      {cxShowPrefix, 0},
      {cxWordBreak, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL},
      {cxShowEndEllipsis | cxDontPrint | cxShowPathEllipsis,
       DT_NOPREFIX | DT_END_ELLIPSIS | DT_CALCRECT | DT_PATH_ELLIPSIS},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxTextFlagsToDrawTextFlags(c.flags), c.expected) << "flags " << c.flags;
}

TEST_F(CanvasFixture, FrameSidesGivesTheTopRightAndBottomLeftCornersToTheRightBottomColour) {
  canvas->FrameSides(TRect{10, 10, 30, 30}, TColor(kRed), TColor(kBlue), 2, cxBordersAll);
  EXPECT_TRUE(PixelIs(bmp, 10, 10, kRed)) << "top-left corner";
  EXPECT_TRUE(PixelIs(bmp, 29, 10, kBlue)) << "top-right corner";
  EXPECT_TRUE(PixelIs(bmp, 10, 29, kBlue)) << "bottom-left corner";
  EXPECT_TRUE(PixelIs(bmp, 29, 29, kBlue)) << "bottom-right corner";
  EXPECT_TRUE(PixelIs(bmp, 11, 20, kRed)) << "left strip is two pixels wide";
  EXPECT_TRUE(PixelIs(bmp, 12, 20, kWhite)) << "inside stays";
  EXPECT_TRUE(PixelIs(bmp, 20, 28, kBlue)) << "bottom strip";
}

TEST_F(CanvasFixture, FrameSidesPaintsOnlyTheSidesAsked) {
  canvas->FrameSides(TRect{10, 10, 30, 30}, TColor(kRed), TColor(kBlue), 1, TcxBorders{bTop, bRight});
  EXPECT_TRUE(PixelIs(bmp, 10, 20, kWhite)) << "left side not asked";
  EXPECT_TRUE(PixelIs(bmp, 20, 29, kWhite)) << "bottom side not asked";
  EXPECT_TRUE(PixelIs(bmp, 20, 10, kRed));
  EXPECT_TRUE(PixelIs(bmp, 29, 20, kBlue));
}

TEST_F(CanvasFixture, Draw3DEdgeUsesTheButtonEdgeColoursOfEachKind) {
  struct Case {
    bool sunken, outer;
    TColor leftTop, rightBottom;
  } cases[] = {
      {true, true, clBtnShadow, clBtnHighlight},
      {true, false, cl3DDkShadow, cl3DLight},
      {false, true, cl3DLight, cl3DDkShadow},
      {false, false, clBtnHighlight, clBtnShadow},
  };
  for (const Case& c : cases) {
    canvas->Draw3DEdge(TRect{0, 0, 20, 20}, c.sunken, c.outer);
    EXPECT_TRUE(PixelIs(bmp, 0, 10, rgbOfColor(c.leftTop))) << "sunken " << c.sunken << " outer " << c.outer;
    EXPECT_TRUE(PixelIs(bmp, 19, 10, rgbOfColor(c.rightBottom))) << "sunken " << c.sunken << " outer " << c.outer;
  }
}

TEST_F(CanvasFixture, DrawFrameWithDefaultColourKeepsTheBrushColour) {
  canvas->SetBrushColor(TColor(kRed));
  canvas->DrawFrame(TRect{5, 5, 25, 25}, clDefault, TcxBorders{bLeft, bBottom}, 3);
  EXPECT_TRUE(PixelIs(bmp, 7, 10, kRed));
  EXPECT_TRUE(PixelIs(bmp, 15, 22, kRed));
  EXPECT_TRUE(PixelIs(bmp, 15, 6, kWhite)) << "top not asked";
  canvas->DrawFrame(TRect{5, 5, 25, 25}, TColor(kBlue), TcxBorders{bTop}, 1);
  EXPECT_TRUE(PixelIs(bmp, 15, 5, kBlue));
}

TEST_F(CanvasFixture, FillRectangleTilesFromTheCanvasOrigin) {
  TBitmap tile;
  makeFilled(tile, 4, 4, TColor(kRed));
  tile.Canvas()->SetPixels(0, 0, TColor(kBlue));
  canvas->FillRectangle(TRect{5, 5, 15, 13}, &tile);
  EXPECT_TRUE(PixelIs(bmp, 8, 8, kBlue)) << "tiles start at multiples of the tile size";
  EXPECT_TRUE(PixelIs(bmp, 12, 12, kBlue));
  EXPECT_TRUE(PixelIs(bmp, 5, 5, kRed)) << "the rectangle's corner is not a tile origin";
  EXPECT_TRUE(PixelIs(bmp, 4, 8, kWhite)) << "nothing outside the rectangle";
  EXPECT_TRUE(PixelIs(bmp, 15, 8, kWhite));
}

TEST_F(CanvasFixture, InvertAreaInvertsExactlyTheRectangle) {
  canvas->InvertArea(TRect{2, 2, 6, 6});
  EXPECT_TRUE(PixelIs(bmp, 3, 3, 0x000000));
  EXPECT_TRUE(PixelIs(bmp, 6, 6, kWhite));
  EXPECT_EQ(bmp.Canvas()->CopyMode(), cmSrcCopy) << "the copy mode is restored";
}

TEST_F(CanvasFixture, EmptyTextDrawsNothingAndLeavesBrushAndFont) {
  canvas->Brush()->SetColor(TColor(kRed));
  canvas->DrawFormattedText("", TRect{0, 0, 100, 40}, cxSingleLine, false);
  EXPECT_EQ(countNot(bmp, TRect{0, 0, 120, 60}, kWhite), 0);
  EXPECT_EQ(canvas->Brush()->Color(), TColor(kRed));
  EXPECT_EQ(canvas->Font()->Color(), clBlack);
}

TEST_F(CanvasFixture, PositionedTextFollowsTheAlignmentFlags) {
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawFormattedText("Wm", TRect{0, 0, 100, 30}, cxSingleLine | cxAlignRight, true);
  TRect ink = inkBounds(bmp, kWhite);
  EXPECT_LE(ink.right, 100) << "right aligned: ink " << rectText(ink);
  EXPECT_GT(ink.right, 96) << "right aligned ends at the right edge: ink " << rectText(ink);

  makeFilled(bmp, 120, 60);
  canvas->DrawFormattedText("Wm", TRect{0, 0, 100, 30}, cxSingleLine | cxAlignLeft | cxAlignRight, true);
  ink = inkBounds(bmp, kWhite);
  EXPECT_LT(ink.left, 3) << "left and right together stay at the left edge: ink " << rectText(ink);

  makeFilled(bmp, 120, 60);
  canvas->DrawFormattedText("Wm", TRect{0, 0, 100, 30}, cxSingleLine | cxAlignBottom, true);
  ink = inkBounds(bmp, kWhite);
  EXPECT_GT(ink.top, 10) << "bottom aligned text sits low: ink " << rectText(ink);
  EXPECT_LE(ink.bottom, 30);
}

TEST_F(CanvasFixture, NarrowRightAlignedTextStartsAtTheLeftEdgeAndIsClipped) {
  canvas->Brush()->SetStyle(bsClear);
  const std::string text = "WWWWWWWWWW";
  ASSERT_GT(canvas->TextWidth(text), 30);
  canvas->DrawFormattedText(text, TRect{10, 5, 40, 25}, cxSingleLine | cxAlignRight, true);
  TRect ink = inkBounds(bmp, kWhite);
  EXPECT_LT(ink.left, 13) << "the text begins at the rectangle's left: ink " << rectText(ink);
  EXPECT_LE(ink.right, 40) << "and is clipped at its right: ink " << rectText(ink);
}

TEST_F(CanvasFixture, DisabledTextIsEmbossedHighlightBelowRightThenShadow) {
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawFormattedText("I", TRect{0, 0, 40, 30}, cxSingleLine, false);
  const uint32_t shadow = rgbOfColor(clBtnShadow), highlight = rgbOfColor(clBtnHighlight);
  std::set<uint32_t> colours;
  bool offsetHighlight = false;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t p = pixelOf(bmp, x, y);
      if (p == kWhite) continue;
      colours.insert(p);
      if (p == shadow && pixelOf(bmp, x + 1, y + 1) == highlight) offsetHighlight = true;
    }
  EXPECT_TRUE(colours.count(shadow)) << "the shadow copy is drawn";
  if (highlight != kWhite) {
    EXPECT_TRUE(offsetHighlight) << "the highlight copy lies one pixel right and down";
  }
  EXPECT_EQ(canvas->Font()->Color(), clBlack) << "the font colour is restored";
  EXPECT_EQ(canvas->Brush()->Style(), bsClear) << "the brush style is restored";
}

TEST_F(CanvasFixture, CalculateTextRectShrinksAndCentresInsideTheOldRectangle) {
  TRect r{0, 0, 100, 40};
  const TSize extent = canvas->GetTextExtent("Abc");
  canvas->CalculateTextRect("Abc", r, cxSingleLine | cxAlignHCenter | cxAlignBottom);
  EXPECT_EQ(r.right - r.left, extent.cx);
  EXPECT_EQ(r.left, (100 - extent.cx) / 2);
  EXPECT_EQ(r.bottom, 40) << "bottom alignment moves it down: " << rectText(r);
}

TEST_F(CanvasFixture, GetFontHeightAssignsTheFontAndMeasuresQq) {
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-20);
  const Integer h = canvas->GetFontHeight(&font);
  EXPECT_EQ(canvas->Font()->Height(), -20) << "the font is assigned to the canvas";
  EXPECT_EQ(h, canvas->TextHeight("Qq"));
  EXPECT_GE(h, 20);
}

TEST_F(CanvasFixture, ClipRegionWithoutClippingIsUnlimitedAndIntersectsToTheGivenRegion) {
  TObjectPtr<TcxRegion> clip(canvas->GetClipRegion());
  EXPECT_EQ(rectText(clip->BoundsRect()), rectText(TRect{0, 0, 107374182, 107374182}));
  clip->Combine(new TcxRegion(TRect{3, 4, 20, 30}), roIntersect);
  EXPECT_EQ(rectText(clip->BoundsRect()), rectText(TRect{3, 4, 20, 30}));
}

TEST_F(CanvasFixture, SavedClipIsRestoredAfterNarrowing) {
  TcxRegion* saved = canvas->GetClipRegion();
  canvas->SetClipRegion(new TcxRegion(TRect{10, 10, 20, 20}), roIntersect);
  canvas->Brush()->SetColor(TColor(kRed));
  canvas->FillRectangle(TRect{0, 0, 120, 60});
  EXPECT_EQ(rectText(inkBounds(bmp, kWhite)), rectText(TRect{10, 10, 20, 20})) << "narrowed clip";
  EXPECT_FALSE(canvas->IsRectVisible(TRect{30, 30, 40, 40}));

  canvas->SetClipRegion(saved, roSet);
  canvas->Brush()->SetColor(TColor(kBlue));
  canvas->FillRectangle(TRect{0, 0, 120, 60});
  EXPECT_TRUE(PixelIs(bmp, 50, 50, kBlue)) << "the restored clip lets the whole bitmap be painted";
}

TEST_F(CanvasFixture, ExcludeFromClipAndSubtractLeaveHoles) {
  canvas->ExcludeFromClip(TRect{0, 0, 10, 10});
  canvas->SetClipRegion(new TcxRegion(TRect{20, 0, 30, 10}), roSubtract);
  canvas->Brush()->SetColor(TColor(kRed));
  canvas->FillRectangle(TRect{0, 0, 40, 10});
  EXPECT_TRUE(PixelIs(bmp, 5, 5, kWhite));
  EXPECT_TRUE(PixelIs(bmp, 25, 5, kWhite));
  EXPECT_TRUE(PixelIs(bmp, 15, 5, kRed));
  EXPECT_TRUE(PixelIs(bmp, 35, 5, kRed));
}

TEST(cxRegion, CombineOperationsAndEmptiness) {
  TcxRegion a(TRect{0, 0, 10, 10});
  a.Combine(new TcxRegion(TRect{5, 0, 20, 10}), roAdd);
  EXPECT_EQ(rectText(a.BoundsRect()), rectText(TRect{0, 0, 20, 10}));
  a.Combine(new TcxRegion(TRect{10, 0, 20, 10}), roSubtract);
  EXPECT_EQ(rectText(a.BoundsRect()), rectText(TRect{0, 0, 10, 10}));
  a.Offset(5, 5);
  EXPECT_EQ(rectText(a.BoundsRect()), rectText(TRect{5, 5, 15, 15}));
  TcxRegion other(TRect{1, 1, 2, 2});
  a.Combine(&other, roSet, false);
  EXPECT_EQ(rectText(a.BoundsRect()), rectText(TRect{1, 1, 2, 2})) << "roSet copies";
  EXPECT_FALSE(other.IsEmptyRegion()) << "not freed when asked not to";
  EXPECT_TRUE(TcxRegion().IsEmptyRegion());
}

TEST(cxScreenCanvas, MeasuresWithoutAWindow) {
  TcxScreenCanvas screen;
  EXPECT_GT(screen.TextWidth("Hello"), 0);
  EXPECT_GT(screen.GetFontHeight(screen.Font()), 0);
}

TEST(cxColors, MixOfSystemColoursFollowsTheChannelFormula) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE), hl = GetSysColor(COLOR_HIGHLIGHT), win = GetSysColor(COLOR_WINDOW);
  if (face == 0 || face == 0xFFFFFF) GTEST_SKIP() << "the button face is black or white in this prefix";
  auto ch = [](COLORREF c, int s) { return int((c >> s) & 0xFF); };
  for (int s : {0, 8, 16}) {
    int expected = std::clamp(MulDiv(ch(face, s), -2, 100) + MulDiv(ch(hl, s), 30, 100) + MulDiv(ch(win, s), 72, 100),
                              0, 255);
    EXPECT_EQ(ch(static_cast<COLORREF>(cxMixSystemColors(-2, 30, 72)), s), expected) << "channel at bit " << s;
  }
  EXPECT_EQ(static_cast<uint32_t>(cxMixSystemColors(0, 100, 0)), uint32_t(hl & 0xFFFFFF));
}

// ---------------------------------------------------------------------------------------
// Brush cache

TEST(cxSolidBrushCache, FullCacheEvictsTheLeastUsedColour) {
  TObjectPtr<TcxSolidBrushCache> cache(TcxSolidBrushCache::CreateWithCapacity(4));
  const TColor colours[] = {TColor(0x10), TColor(0x20), TColor(0x30), TColor(0x40)};
  for (TColor c : colours) cache->GetBrush(c);
  // Every colour but 0x30 asked again: 0x30 is now the least used.
  cache->GetBrush(TColor(0x10));
  cache->GetBrush(TColor(0x20));
  cache->GetBrush(TColor(0x40));
  cache->GetBrush(TColor(0x05));
  ASSERT_EQ(cache->Depth(), 4);
  std::vector<uint32_t> kept;
  for (Integer i = 0; i < cache->Depth(); ++i) kept.push_back(uint32_t(cache->ColorAt(i)));
  EXPECT_EQ(kept, (std::vector<uint32_t>{0x05, 0x10, 0x20, 0x40})) << "0x30 evicted, the rest sorted";
}

TEST(cxSolidBrushCache, EqualUseCountsEvictTheLowestColourAndHitsCountUses) {
  TObjectPtr<TcxSolidBrushCache> cache(TcxSolidBrushCache::CreateWithCapacity(3));
  HBRUSH first = cache->GetBrush(TColor(0x300));
  EXPECT_EQ(cache->GetBrush(TColor(0x300)), first) << "a hit answers the same brush";
  cache->GetBrush(TColor(0x200));
  cache->GetBrush(TColor(0x100));
  EXPECT_EQ(cache->UseCountAt(2), 1u) << "0x300 was asked twice";
  cache->GetBrush(TColor(0x400));
  std::vector<uint32_t> kept;
  for (Integer i = 0; i < cache->Depth(); ++i) kept.push_back(uint32_t(cache->ColorAt(i)));
  EXPECT_EQ(kept, (std::vector<uint32_t>{0x200, 0x300, 0x400})) << "0x100 and 0x200 tie; the lower goes";
}

TEST(cxSolidBrushCache, GlobalCacheHolds128AndThe129thColourEvicts) {
  TcxSolidBrushCache* cache = cxSolidBrushCache();
  ASSERT_NE(cache, nullptr);
  cache->SystemPaletteChanged();
  for (int i = 0; i < 128; ++i) cxGetSolidBrush(TColor(0x1000 + i));
  EXPECT_EQ(cache->Depth(), 128);
  cxGetSolidBrush(TColor(0x1000 + 5));  // one colour used once more
  cxGetSolidBrush(TColor(0x9000));
  EXPECT_EQ(cache->Depth(), 128) << "the cache never grows past 128";
  EXPECT_EQ(uint32_t(cache->ColorAt(0)), 0x1001u) << "0x1000, the lowest of the least used, was evicted";
  cache->SystemPaletteChanged();
  EXPECT_EQ(cache->Depth(), 0) << "a palette change empties the cache";
}

TEST(cxSolidBrushCache, SystemColoursAnswerTheSystemBrushesOutsideTheCache) {
  TcxSolidBrushCache* cache = cxSolidBrushCache();
  cache->SystemPaletteChanged();
  EXPECT_EQ(cxGetSolidBrush(TColor(static_cast<int32_t>(0xFF00000F))), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(cxGetSolidBrush(clBtnFace), GetSysColorBrush(COLOR_BTNFACE)) << "either system-colour encoding";
  EXPECT_EQ(cache->Depth(), 0) << "system colours never enter the cache";
  TBitmap bmp;
  makeFilled(bmp, 4, 4);
  EXPECT_EQ(cxGetSolidBrushForCanvas(bmp.Canvas(), TColor(0x123456)), cxGetSolidBrush(TColor(0x123456)));
}
