// The flat and ultra-flat painters, checked against the pixels they leave on a bitmap, and
// the painter each look-and-feel kind draws with.
#include <functional>
#include <memory>
#include <string>

#include "CxTestHelpers.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"

namespace {

TcxFlatLookAndFeelPainter* flat() { return TcxFlatLookAndFeelPainter::Instance(); }
TcxUltraFlatLookAndFeelPainter* ultraFlat() { return TcxUltraFlatLookAndFeelPainter::Instance(); }

uint32_t sys(TColor c) { return rgbOfColor(c); }
const uint32_t kWhite = 0xFFFFFF;
const uint32_t kNavy = 0x800000;

std::string stateName(TcxButtonState s) { return "state " + std::to_string(static_cast<int>(s)); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Metrics that callers lay out with.

TEST(FlatPainters, MetricsOfBothPainters) {
  struct Case {
    const char* Name;
    std::function<int(TcxCustomLookAndFeelPainter*)> Get;
    int Flat, UltraFlat;
  };
  const Case cases[] = {
      {"painter kind", [](auto* p) { return p->GetPainterKind(); }, 0, 2},
      {"control border", [](auto* p) { return p->GetControlBorderWidth(); }, 1, 1},
      {"default button border", [](auto* p) { return p->GetButtonBorderWidth(cxbsDefault); }, 2, 2},
      {"button border", [](auto* p) { return p->GetButtonBorderWidth(cxbsPressed); }, 1, 1},
      {"button text indent", [](auto* p) { return p->GetButtonTextIndent(); }, 1, 2},
      {"pressed text shift", [](auto* p) { return p->GetPressedTextShift(); }, 1, 0},
      {"expand box", [](auto* p) { return p->GetExpandBoxSize(); }, 11, 11},
      {"hot-track buttons", [](auto* p) { return int(p->HasHotTrackButtons()); }, 0, 1},
      {"header edge", [](auto* p) { return p->GetHeaderEdgeWidth(); }, 1, 1},
      {"sort arrow width", [](auto* p) { return int(p->GetSortArrowSize().cx); }, 8, 7},
      {"sort arrow height", [](auto* p) { return int(p->GetSortArrowSize().cy); }, 7, 8},
      {"footer border", [](auto* p) { return p->GetFooterBorderWidth(); }, 1, 1},
      {"footer content offset", [](auto* p) { return p->GetFooterCellContentOffset(); }, 1, 1},
      {"footer cell border", [](auto* p) { return p->GetFooterCellBorderWidth(); }, 1, 2},
      {"footer sides", [](auto* p) { return int(p->GetFooterBorders().ToBits()); }, 15, 12},
      {"close button height", [](auto* p) { return int(p->GetCloseButtonSize().cy); }, 14, 15},
      {"small button", [](auto* p) { return int(p->GetSmallButtonSize().cx); }, 13, 12},
      {"tab frame", [](auto* p) { return p->GetTabFrameWidth(false); }, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.Get(flat()), c.Flat) << "flat " << c.Name;
    EXPECT_EQ(c.Get(ultraFlat()), c.UltraFlat) << "ultra-flat " << c.Name;
  }
  EXPECT_EQ(flat()->GetPlusSignColor(), clWindowText);
  EXPECT_EQ(sys(ultraFlat()->GetPlusSignColor()), kNavy);
}

// ---------------------------------------------------------------------------------------
// Flat painter.

TEST(FlatPainter, BordersAreOnePixelSunkenEdges) {
  PaintSurface border(20, 20), sunken(20, 20), raised(20, 20);
  flat()->DrawControlBorder(border.cx(), TRect{0, 0, 20, 20});
  flat()->DrawSunkenEdge(sunken.cx(), TRect{0, 0, 20, 20});
  flat()->DrawRaisedEdge(raised.cx(), TRect{0, 0, 20, 20});
  for (PaintSurface* s : {&border, &sunken}) {
    EXPECT_TRUE(PixelIs(s->bmp, 0, 8, sys(cl3DDkShadow)));
    EXPECT_TRUE(PixelIs(s->bmp, 8, 0, sys(cl3DDkShadow)));
    EXPECT_TRUE(PixelIs(s->bmp, 19, 8, sys(cl3DLight)));
    EXPECT_TRUE(PixelIs(s->bmp, 8, 19, sys(cl3DLight)));
    EXPECT_TRUE(PixelIs(s->bmp, 1, 8, kWhite)) << "one pixel only";
  }
  EXPECT_TRUE(PixelIs(raised.bmp, 0, 8, sys(cl3DLight)));
  EXPECT_TRUE(PixelIs(raised.bmp, 19, 8, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(raised.bmp, 1, 8, kWhite));
}

TEST(FlatPainter, ButtonEdgesFollowTheState) {
  struct Case {
    TcxButtonState State;
    TColor Columns[4];  // x = 0, 1, 28 and 29 of a 30-pixel-wide button
  };
  const Case cases[] = {
      {cxbsNormal, {clBtnHighlight, clWhite, clWhite, clBtnShadow}},
      {cxbsHot, {clBtnHighlight, clWhite, clWhite, clBtnShadow}},
      {cxbsDisabled, {clBtnHighlight, clWhite, clWhite, clBtnShadow}},
      {cxbsPressed, {clBtnShadow, clWhite, clWhite, clBtnHighlight}},
      {cxbsDefault, {clBlack, clBtnHighlight, clBtnShadow, clBlack}},
  };
  const int columns[4] = {0, 1, 28, 29};
  for (const Case& c : cases) {
    SCOPED_TRACE(stateName(c.State));
    PaintSurface s(30, 20);
    flat()->DrawButtonEdges(s.cx(), TRect{0, 0, 30, 20}, c.State);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(PixelIs(s.bmp, columns[i], 10, sys(c.Columns[i])));
  }
}

TEST(FlatPainter, CheckBoxFrameIsASunkenEdgeAndAFrameInTheInsideColour) {
  struct Case {
    TcxButtonState State;
    TColor Inside;
  };
  const Case cases[] = {{cxbsNormal, clWindow}, {cxbsPressed, clBtnFace}, {cxbsDisabled, clBtnFace}};
  for (const Case& c : cases) {
    SCOPED_TRACE(stateName(c.State));
    PaintSurface s(13, 13);
    flat()->DrawCheckBox(s.cx(), TRect{0, 0, 13, 13}, c.State, true);
    EXPECT_TRUE(PixelIs(s.bmp, 0, 6, sys(cl3DDkShadow)));
    EXPECT_TRUE(PixelIs(s.bmp, 12, 6, sys(cl3DLight)));
    EXPECT_TRUE(PixelIs(s.bmp, 1, 1, sys(c.Inside))) << "second ring in the inside colour";
    EXPECT_TRUE(PixelIs(s.bmp, 11, 11, sys(c.Inside)));
    EXPECT_TRUE(s.has(sys(c.State == cxbsDisabled ? clGrayText : clBtnText), TRect{2, 2, 11, 11})) << "the mark";
  }
}

TEST(FlatPainter, ExpandBoxIsAFlatButtonWithASignAndProtectsItsArea) {
  PaintSurface s(11, 11);
  flat()->DrawExpandBox(s.cx(), TRect{0, 0, 11, 11}, false, static_cast<TColor>(0x00FFFF));
  EXPECT_TRUE(PixelIs(s.bmp, 0, 3, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(s.bmp, 10, 3, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 2, 2, 0x00FFFF)) << "the face in the colour asked for";
  EXPECT_TRUE(PixelIs(s.bmp, 5, 3, sys(clBtnText))) << "the vertical stroke of the plus";
  s.canvas.SetBrushColor(static_cast<TColor>(0x00FF00));
  s.bmp.Canvas()->FillRect(TRect{0, 0, 11, 11});
  EXPECT_EQ(countNot(s.bmp, TRect{0, 0, 11, 11}, 0x00FF00), 121) << "the box area is excluded from the clip";
}

TEST(FlatPainter, HeaderCellHasRaisedEdgesLikeTheStandardPainter) {
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  PaintSurface a(60, 20), b(60, 20);
  for (auto [painter, surface] : {std::pair<TcxCustomLookAndFeelPainter*, PaintSurface*>{flat(), &a},
                                  {TcxStandardLookAndFeelPainter::Instance(), &b}})
    painter->DrawHeaderCell(surface->cx(), TRect{0, 0, 60, 20}, TRect{3, 2, 57, 18}, TcxBorders{bLeft, bRight},
                            cxBordersAll, cxbsNormal, taLeftJustify, vaCenter, false, false, "Head", &font, clBlack,
                            clBtnFace);
  EXPECT_TRUE(pixelDifferences(a.bmp, b.bmp) == 0);
  EXPECT_TRUE(PixelIs(a.bmp, 0, 0, sys(cl3DLight)));
  EXPECT_TRUE(PixelIs(a.bmp, 0, 1, sys(clBtnFace))) << "softened next to the left neighbour";
  EXPECT_TRUE(a.has(0x000000, TRect{1, 1, 59, 19})) << "the text";
}

TEST(FlatPainter, ScrollBarButtonsAreFlatButtonsAndHotDrawsAsNormal) {
  PaintSurface normal(16, 16), hot(16, 16), pressed(16, 16), thumb(16, 30), disabledThumb(16, 30), page(16, 16);
  flat()->DrawScrollBarPart(normal.cx(), false, TRect{0, 0, 16, 16}, sbpLineUp, cxbsNormal);
  flat()->DrawScrollBarPart(hot.cx(), false, TRect{0, 0, 16, 16}, sbpLineUp, cxbsHot);
  flat()->DrawScrollBarPart(pressed.cx(), false, TRect{0, 0, 16, 16}, sbpLineUp, cxbsPressed);
  EXPECT_TRUE(pixelDifferences(normal.bmp, hot.bmp) == 0);
  EXPECT_TRUE(PixelIs(normal.bmp, 0, 8, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(normal.bmp, 15, 8, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(normal.bmp, 1, 1, sys(clBtnFace)));
  // An up arrow: a single pixel at the top, the base at the bottom.
  TRect ink = colorBounds(normal.bmp, sys(clBtnText));
  ASSERT_GT(ink.bottom - ink.top, 1);
  EXPECT_EQ(countNot(normal.bmp, TRect{1, ink.top, 15, ink.top + 1}, sys(clBtnText)), 13) << "apex of one pixel";
  TRect pressedInk = colorBounds(pressed.bmp, sys(clBtnText));
  EXPECT_EQ(pressedInk.left, ink.left + 1) << "the pressed arrow moves by the pressed shift";
  EXPECT_EQ(pressedInk.top, ink.top + 1);
  EXPECT_TRUE(PixelIs(pressed.bmp, 0, 8, sys(clBtnShadow)));

  flat()->DrawScrollBarPart(thumb.cx(), false, TRect{0, 0, 16, 30}, sbpThumbnail, cxbsNormal);
  EXPECT_TRUE(PixelIs(thumb.bmp, 0, 15, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(thumb.bmp, 8, 15, sys(clBtnFace)));
  flat()->DrawScrollBarPart(disabledThumb.cx(), false, TRect{0, 0, 16, 30}, sbpThumbnail, cxbsDisabled);
  EXPECT_EQ(countNot(disabledThumb.bmp, TRect{0, 0, 16, 30}, kWhite), 0) << "a disabled thumb is not drawn";
  flat()->DrawScrollBarPart(page.cx(), true, TRect{0, 0, 16, 16}, sbpPageDown, cxbsNormal);
  EXPECT_TRUE(PixelIs(page.bmp, 1, 0, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(page.bmp, 0, 0, sys(clBtnFace)));
}

TEST(FlatPainter, GroupToggleIsAFlatButtonWithChevronsAndTheStandardPainterSharesIt) {
  for (TcxButtonState state : {cxbsDefault, cxbsNormal, cxbsPressed}) {
    SCOPED_TRACE(stateName(state));
    PaintSurface a(15, 15), b(15, 15);
    flat()->DrawGroupToggleButton(a.cx(), TRect{0, 0, 15, 15}, false, state);
    TcxStandardLookAndFeelPainter::Instance()->DrawGroupToggleButton(b.cx(), TRect{0, 0, 15, 15}, false, state);
    EXPECT_TRUE(pixelDifferences(a.bmp, b.bmp) == 0);
    EXPECT_TRUE(PixelIs(a.bmp, 14, 7, sys(state == cxbsPressed ? clBtnHighlight : state == cxbsDefault ? clBlack
                                                                                                       : clBtnShadow)));
    EXPECT_TRUE(a.has(sys(clBtnText), TRect{3, 3, 12, 12})) << "the chevrons";
  }
}

TEST(FlatPainter, TabsBackgroundIsARaisedEdgeOnTheGivenSides) {
  PaintSurface s(40, 20);
  flat()->DrawTabsBackground(s.cx(), TRect{0, 0, 40, 20}, TcxBorders{bTop}, false);
  EXPECT_TRUE(PixelIs(s.bmp, 20, 0, sys(cl3DLight)));
  EXPECT_TRUE(PixelIs(s.bmp, 0, 10, kWhite));
  EXPECT_TRUE(PixelIs(s.bmp, 20, 19, kWhite));
}

// ---------------------------------------------------------------------------------------
// Ultra-flat painter.

TEST(UltraFlatPainter, BordersAreOnePixelLinesInTheSeparatorColour) {
  PaintSurface border(20, 20), sunken(20, 20), raised(20, 20);
  ultraFlat()->DrawControlBorder(border.cx(), TRect{0, 0, 20, 20});
  ultraFlat()->DrawSunkenEdge(sunken.cx(), TRect{0, 0, 20, 20});
  ultraFlat()->DrawRaisedEdge(raised.cx(), TRect{0, 0, 20, 20});
  for (PaintSurface* s : {&border, &sunken}) {
    for (auto [x, y] : {std::pair{0, 8}, {8, 0}, {19, 8}, {8, 19}}) EXPECT_TRUE(PixelIs(s->bmp, x, y, sys(clBtnShadow)));
    EXPECT_TRUE(PixelIs(s->bmp, 1, 8, kWhite));
  }
  // The raised edge has only its right and bottom lines.
  EXPECT_TRUE(PixelIs(raised.bmp, 19, 8, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(raised.bmp, 8, 19, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(raised.bmp, 0, 8, kWhite));
  EXPECT_TRUE(PixelIs(raised.bmp, 8, 0, kWhite));
}

TEST(UltraFlatPainter, ButtonEdgesAndFacesFollowTheState) {
  struct Case {
    TcxButtonState State;
    TColor Frame, Second;  // the outer ring and the ring one pixel inside
    TColor Face;
  };
  const Case cases[] = {
      {cxbsDefault, clWindowFrame, clWindowFrame, clBtnFace},
      {cxbsNormal, clBtnText, clBtnFace, clBtnFace},
      {cxbsHot, clHighlight, cxGetHighlightHotColor(), cxGetHighlightHotColor()},
      {cxbsPressed, clHighlight, cxGetHighlightPressedColor(), cxGetHighlightPressedColor()},
      {cxbsDisabled, clHighlight, clBtnFace, clBtnFace},
  };
  ASSERT_NE(sys(cxGetHighlightHotColor()), sys(cxGetHighlightPressedColor()));
  for (const Case& c : cases) {
    SCOPED_TRACE(stateName(c.State));
    PaintSurface s(30, 20);
    ultraFlat()->DrawButtonBackground(s.cx(), TRect{0, 0, 30, 20}, c.State);
    EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(c.Frame)));
    EXPECT_TRUE(PixelIs(s.bmp, 29, 0, sys(c.Frame)));
    EXPECT_TRUE(PixelIs(s.bmp, 1, 10, sys(c.Second)));
    EXPECT_TRUE(PixelIs(s.bmp, 15, 10, sys(c.Face)));
    EXPECT_EQ(ultraFlat()->GetButtonFaceColor(c.State), c.Face);
  }
}

TEST(UltraFlatPainter, PressedCaptionIsHighlightTextAndDoesNotMove) {
  PaintSurface framed(60, 24), normal(60, 24), pressed(60, 24);
  for (PaintSurface* s : {&framed, &normal, &pressed}) {
    s->canvas.Font()->SetName("Tahoma");
    s->canvas.Font()->SetSize(8);
  }
  ultraFlat()->DrawCaptionButton(framed.cx(), TRect{0, 0, 60, 24}, "Ab", cxbsPressed);
  EXPECT_TRUE(PixelIs(framed.bmp, 0, 12, sys(clHighlight)));
  EXPECT_TRUE(PixelIs(framed.bmp, 2, 2, sys(cxGetHighlightPressedColor())));
  EXPECT_TRUE(framed.has(sys(clHighlightText), TRect{2, 2, 58, 22}));
  // Unframed, so that only the text has the glyph colours.
  ultraFlat()->DrawCaptionButton(normal.cx(), TRect{0, 0, 60, 24}, "Ab", cxbsNormal, false);
  ultraFlat()->DrawCaptionButton(pressed.cx(), TRect{0, 0, 60, 24}, "Ab", cxbsPressed, false);
  TRect a = colorBounds(normal.bmp, sys(clBtnText)), b = colorBounds(pressed.bmp, sys(clHighlightText));
  ASSERT_GT(a.right, a.left);
  EXPECT_EQ(rectText(b), rectText(a)) << "no pressed shift";
}

TEST(UltraFlatPainter, CloseCrossAndPlusSignNeverMove) {
  // Only the inside is searched: a normal button's frame is in the text colour too.
  TRect inner{1, 1, 15, 13};
  PaintSurface closeNormal(16, 15), plusNormal(16, 14);
  ultraFlat()->DrawCloseButton(closeNormal.cx(), TRect{0, 0, 16, 15}, cxbsNormal);
  ultraFlat()->DrawPlusButton(plusNormal.cx(), TRect{0, 0, 16, 14}, cxbsNormal);
  TRect cross = colorBounds(closeNormal.bmp, sys(clBtnText), inner), plus = colorBounds(plusNormal.bmp, kNavy, inner);
  ASSERT_GT(cross.right, cross.left);
  ASSERT_GT(plus.right, plus.left);
  for (TcxButtonState s : {cxbsHot, cxbsPressed}) {
    SCOPED_TRACE(stateName(s));
    PaintSurface close(16, 15), plusButton(16, 14);
    ultraFlat()->DrawCloseButton(close.cx(), TRect{0, 0, 16, 15}, s);
    ultraFlat()->DrawPlusButton(plusButton.cx(), TRect{0, 0, 16, 14}, s);
    EXPECT_EQ(rectText(colorBounds(close.bmp, sys(clBtnText), inner)), rectText(cross))
        << "the cross keeps its place and its colour";
    EXPECT_EQ(rectText(colorBounds(plusButton.bmp, kNavy, inner)), rectText(plus));
  }
  // Disabled: the cross stays in the text colour, not greyed.
  PaintSurface disabled(16, 15);
  ultraFlat()->DrawCloseButton(disabled.cx(), TRect{0, 0, 16, 15}, cxbsDisabled);
  EXPECT_EQ(rectText(colorBounds(disabled.bmp, sys(clBtnText), inner)), rectText(cross));
}

TEST(UltraFlatPainter, GroupedButtonsShareTheirFrames) {
  const uint32_t frame = 0x0000FF;
  struct Case {
    const char* Name;
    TcxButtonState State;
    int Count, Index;
    TColor FrameColor;
    std::pair<int, int> Pixels[5];
    uint32_t Expected[5];
  };
  const uint32_t hot = sys(cxGetHighlightHotColor()), face = sys(clBtnFace), light = sys(clHighlight);
  const Case cases[] = {
      // r = (1, 1, 20, 15): framed, left column and top row stay untouched.
      {"first of three, normal", cxbsNormal, 3, 0, static_cast<TColor>(frame),
       {{0, 8}, {1, 8}, {19, 8}, {10, 0}, {10, 8}}, {kWhite, frame, frame, kWhite, face}},
      // r = (0, 1, 19, 15) framed in the painter's own colour for a normal button.
      {"last of three, own frame colour", cxbsNormal, 3, 2, clDefault,
       {{0, 8}, {18, 8}, {19, 8}, {10, 15}, {10, 8}}, {sys(clBtnShadow), sys(clBtnShadow), kWhite, kWhite, face}},
      // A hot middle button: highlight columns on both sides, the hot face between.
      {"middle of three, hot", cxbsHot, 3, 1, static_cast<TColor>(frame),
       {{0, 8}, {19, 8}, {1, 8}, {10, 8}, {10, 0}}, {light, light, hot, hot, kWhite}},
      // A hot single button has no neighbour to separate from.
      {"single, hot", cxbsHot, 1, 0, static_cast<TColor>(frame),
       {{0, 8}, {1, 8}, {18, 8}, {19, 8}, {10, 15}}, {kWhite, hot, hot, kWhite, kWhite}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    PaintSurface s(20, 16);
    ultraFlat()->DrawGroupedButton(s.cx(), TRect{0, 0, 20, 16}, c.State, c.Count, c.Index, c.FrameColor);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(PixelIs(s.bmp, c.Pixels[i].first, c.Pixels[i].second, c.Expected[i]));
  }
  struct Margins {
    int Count, Index;
    TRect Expected;
  };
  for (const Margins& m : {Margins{3, 0, {2, 2, 1, 2}}, Margins{3, 1, {1, 2, 1, 2}}, Margins{3, 2, {1, 2, 2, 2}},
                           Margins{1, 0, {2, 2, 1, 2}}})
    EXPECT_EQ(rectText(ultraFlat()->GetButtonGroupMargins(m.Count, m.Index)), rectText(m.Expected))
        << m.Index << " of " << m.Count;
  EXPECT_EQ(rectText(ultraFlat()->GetButtonFocusBounds(nullptr, TRect{0, 0, 20, 20})), rectText(TRect{3, 3, 17, 17}));
  EXPECT_EQ(rectText(ultraFlat()->GetButtonFocusBounds(nullptr, TRect{0, 0, 6, 20})), rectText(TRect{0, 0, 6, 20}));
}

TEST(UltraFlatPainter, HeaderLinesFollowBordersAndNeighbours) {
  const TcxBorders rightAndBottom{bRight, bBottom};
  EXPECT_EQ(ultraFlat()->GetHeaderBorders(TcxBorders{bLeft, bTop}).ToBits(), rightAndBottom.ToBits());
  EXPECT_EQ(ultraFlat()->GetHeaderBorders(TcxBorders{bRight}).ToBits(), cxBordersAll.ToBits());
  const uint32_t text = sys(clBtnText), back = 0x00FFFF;
  // A cell with a left neighbour: the neighbour's line serves, no left line of its own.
  TcxBorders neighbours{bLeft};
  TcxBorders borders = ultraFlat()->GetHeaderBorders(neighbours);
  PaintSurface s(40, 20);
  ultraFlat()->DrawHeaderCell(s.cx(), TRect{0, 0, 40, 20}, TRect{2, 2, 38, 18}, neighbours, borders, cxbsNormal,
                              taLeftJustify, vaCenter, false, false, "", nullptr, clBlack,
                              static_cast<TColor>(back));
  EXPECT_TRUE(PixelIs(s.bmp, 0, 10, back)) << "no left line";
  EXPECT_TRUE(PixelIs(s.bmp, 20, 0, text));
  EXPECT_TRUE(PixelIs(s.bmp, 39, 10, text));
  EXPECT_TRUE(PixelIs(s.bmp, 20, 19, text));
  EXPECT_TRUE(PixelIs(s.bmp, 1, 1, back));
  // Without top and left in the borders the right and bottom lines are still drawn.
  PaintSurface edges(40, 20);
  ultraFlat()->DrawHeaderEdges(edges.cx(), TRect{0, 0, 40, 20}, TcxBorders(), TcxBorders());
  EXPECT_TRUE(PixelIs(edges.bmp, 39, 10, text));
  EXPECT_TRUE(PixelIs(edges.bmp, 20, 19, text));
  EXPECT_TRUE(PixelIs(edges.bmp, 0, 10, kWhite));
  EXPECT_TRUE(PixelIs(edges.bmp, 20, 0, kWhite));
  // A section draws its lines one pixel inside its bounds.
  PaintSurface section(40, 20);
  ultraFlat()->DrawHeaderSection(section.cx(), TRect{0, 0, 40, 20}, TRect{2, 2, 38, 18}, TcxBorders(), cxBordersAll,
                                 cxbsNormal, taLeftJustify, vaCenter, false, false, "", nullptr, clBlack,
                                 static_cast<TColor>(back));
  EXPECT_TRUE(PixelIs(section.bmp, 0, 10, back));
  EXPECT_TRUE(PixelIs(section.bmp, 1, 10, text));
  EXPECT_TRUE(PixelIs(section.bmp, 38, 10, text));
  EXPECT_TRUE(PixelIs(section.bmp, 39, 10, back));
}

TEST(UltraFlatPainter, SortArrowIsOutlinedInShadowOnly) {
  PaintSurface s(16, 16);
  ultraFlat()->DrawSortArrow(s.cx(), TRect{0, 0, 16, 16}, true);
  TRect ink = inkBounds(s.bmp, kWhite);
  EXPECT_EQ(ink.right - ink.left, 7);
  EXPECT_EQ(ink.bottom - ink.top, 8);
  EXPECT_EQ(countNot(s.bmp, ink, sys(clBtnShadow)) + countNot(s.bmp, ink, kWhite),
            (ink.right - ink.left) * (ink.bottom - ink.top))
      << "every stroke pixel is the shadow colour";
}

TEST(UltraFlatPainter, FooterCellHasATwoPixelFrameWidthAndAShadowFrame) {
  PaintSurface s(40, 20);
  ultraFlat()->DrawFooterCell(s.cx(), TRect{0, 0, 40, 20}, taLeftJustify, vaCenter, false, "", nullptr, clBlack,
                              static_cast<TColor>(0x00FFFF));
  EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 39, 10, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 1, 1, 0x00FFFF));
  EXPECT_EQ(ultraFlat()->GetFooterCellBorderWidth(), 2);
}

TEST(UltraFlatPainter, CheckBoxAndExpandBoxAreFramed) {
  PaintSurface check(13, 13), box(11, 11);
  ultraFlat()->DrawCheckBox(check.cx(), TRect{0, 0, 13, 13}, cxbsPressed, false);
  EXPECT_TRUE(PixelIs(check.bmp, 0, 6, sys(clBtnText)));
  EXPECT_TRUE(PixelIs(check.bmp, 12, 6, sys(clBtnText)));
  EXPECT_EQ(countNot(check.bmp, TRect{1, 1, 12, 12}, sys(clBtnFace)), 0) << "pressed: button face inside, no mark";

  ultraFlat()->DrawExpandBox(box.cx(), TRect{0, 0, 11, 11}, true);
  EXPECT_TRUE(PixelIs(box.bmp, 0, 5, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(box.bmp, 1, 1, sys(clBtnFace))) << "clDefault fills in the button face";
  EXPECT_TRUE(box.has(sys(clBtnText), TRect{1, 5, 10, 6})) << "the minus sign";
  EXPECT_FALSE(box.has(sys(clBtnText), TRect{5, 1, 6, 4})) << "no vertical stroke when expanded";
}

TEST(UltraFlatPainter, DropDownButtonFrameFaceAndArrowFollowTheState) {
  struct Case {
    TcxButtonState State;
    bool Active;
    TColor Frame, Face, Arrow;
  };
  const Case cases[] = {
      {cxbsNormal, false, clBtnShadow, clBtnFace, clBtnText},
      {cxbsHot, true, clHighlight, cxGetHighlightHotColor(), static_cast<TColor>(0xFF0000)},
      {cxbsPressed, false, clHighlight, cxGetHighlightPressedColor(), clHighlightText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(stateName(c.State));
    PaintSurface s(17, 20);
    ultraFlat()->DrawDropDownButton(s.cx(), TRect{0, 0, 17, 20}, c.State, c.Active);
    EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(c.Frame)));
    EXPECT_TRUE(PixelIs(s.bmp, 2, 2, sys(c.Face)));
    EXPECT_TRUE(s.has(sys(c.Arrow), TRect{1, 1, 16, 19})) << "the arrow";
  }
}

TEST(UltraFlatPainter, NavigatorBorderColourByFocusAndSelection) {
  struct Case {
    bool Focused, Selected;
    TColor Color;
  };
  for (const Case& c : {Case{true, true, clBtnText}, Case{false, true, clHighlight}, Case{false, false, clBtnShadow}}) {
    PaintSurface s(20, 20);
    ultraFlat()->DrawNavigatorBorder(s.cx(), TRect{0, 0, 20, 20}, c.Focused, c.Selected);
    EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(c.Color))) << c.Focused << c.Selected;
    EXPECT_TRUE(PixelIs(s.bmp, 1, 10, kWhite));
  }
  PaintSurface base(20, 20);
  flat()->DrawNavigatorBorder(base.cx(), TRect{0, 0, 20, 20}, true, true);
  EXPECT_EQ(countNot(base.bmp, TRect{0, 0, 20, 20}, kWhite), 0) << "the flat painter draws no navigator border";
}

TEST(UltraFlatPainter, TabFramesAndBackground) {
  // The right strip of a horizontal tab is the selected frame colour and stops one pixel
  // above the bottom; the other strips are the tab frame colour.
  PaintSurface right(30, 20), left(30, 20), bottom(20, 30), background(40, 20);
  ultraFlat()->DrawTabFrame(right.cx(), TRect{0, 0, 30, 20}, 2, cxBordersAll, false);
  EXPECT_TRUE(PixelIs(right.bmp, 29, 10, sys(clBtnText)));
  EXPECT_TRUE(PixelIs(right.bmp, 29, 18, sys(clBtnText)));
  EXPECT_TRUE(PixelIs(right.bmp, 29, 19, kWhite));
  EXPECT_TRUE(PixelIs(right.bmp, 28, 10, kWhite));
  ultraFlat()->DrawTabFrame(left.cx(), TRect{0, 0, 30, 20}, 0, cxBordersAll, false);
  EXPECT_TRUE(PixelIs(left.bmp, 0, 19, sys(clBtnShadow)));
  ultraFlat()->DrawTabFrame(bottom.cx(), TRect{0, 0, 20, 30}, 3, cxBordersAll, true);
  EXPECT_TRUE(PixelIs(bottom.bmp, 10, 29, sys(clBtnText))) << "the bottom of a vertical tab";
  EXPECT_TRUE(PixelIs(bottom.bmp, 19, 29, sys(clBtnText)));

  ultraFlat()->DrawTabsBackground(background.cx(), TRect{0, 0, 40, 20}, TcxBorders{bLeft, bBottom}, false);
  EXPECT_TRUE(PixelIs(background.bmp, 0, 10, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(background.bmp, 20, 19, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(background.bmp, 20, 0, kWhite));
  EXPECT_TRUE(PixelIs(background.bmp, 39, 10, kWhite));
}

TEST(UltraFlatPainter, ScrollArrowIsDrawnOnTheWholeButton) {
  // On an 18-pixel button the flat painter's arrow (inside the one-pixel border) has a
  // base of 7 pixels, the ultra-flat painter's (on the whole button) one of 9.
  PaintSurface flatArrow(18, 18), ultraArrow(18, 18);
  flat()->DrawScrollBarPart(flatArrow.cx(), true, TRect{0, 0, 18, 18}, sbpLineDown, cxbsNormal);
  ultraFlat()->DrawScrollBarPart(ultraArrow.cx(), true, TRect{0, 0, 18, 18}, sbpLineDown, cxbsNormal);
  TRect inner{1, 1, 17, 17};
  TRect a = colorBounds(flatArrow.bmp, sys(clBtnText), inner), b = colorBounds(ultraArrow.bmp, sys(clBtnText), inner);
  EXPECT_EQ(a.bottom - a.top, 7) << "right arrow of the flat painter " << rectText(a);
  EXPECT_EQ(b.bottom - b.top, 9) << "right arrow of the ultra-flat painter " << rectText(b);
  EXPECT_TRUE(PixelIs(ultraArrow.bmp, 0, 9, sys(clBtnText))) << "normal ultra-flat buttons are framed in text colour";
}

// ---------------------------------------------------------------------------------------
// The painter of each look-and-feel kind.

TEST(PainterChoice, EachKindDrawsWithItsPainter) {
  EXPECT_EQ(cxLookAndFeelPainter(lfFlat), flat());
  EXPECT_EQ(cxLookAndFeelPainter(lfStandard), TcxStandardLookAndFeelPainter::Instance());
  EXPECT_EQ(cxLookAndFeelPainter(lfUltraFlat), ultraFlat());
  EXPECT_EQ(cxNativeLookAndFeelPainter(), TcxWinXPLookAndFeelPainter::Instance());

  cxRootLookAndFeel()->Reset();
  std::unique_ptr<TcxLookAndFeel> lf(New<TcxLookAndFeel>(static_cast<TPersistent*>(nullptr)));
  EXPECT_EQ(lf->GetPainterClass(), ultraFlat()) << "the root's default kind is ultra-flat";
  struct Case {
    TcxLookAndFeelKind Kind;
    TcxCustomLookAndFeelPainter* Painter;
    int PainterKind;
  };
  for (const Case& c : {Case{lfFlat, flat(), 0}, Case{lfStandard, TcxStandardLookAndFeelPainter::Instance(), 1},
                        Case{lfUltraFlat, ultraFlat(), 2}}) {
    lf->SetKind(c.Kind);
    EXPECT_EQ(lf->GetPainterClass(), c.Painter) << "kind " << static_cast<int>(c.Kind);
    EXPECT_EQ(lf->GetPainterClass()->GetPainterKind(), c.PainterKind);
  }
}
