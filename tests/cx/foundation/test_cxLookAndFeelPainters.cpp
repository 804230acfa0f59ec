// The painter interface and the standard painter, checked against the pixels they leave
// on a bitmap.
#include <string>

#include "CxTestHelpers.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxStyles.h"

namespace {

TcxStandardLookAndFeelPainter* standard() { return TcxStandardLookAndFeelPainter::Instance(); }
TcxCustomLookAndFeelPainter* base() { return TcxCustomLookAndFeelPainter::Instance(); }

uint32_t sys(TColor c) { return rgbOfColor(c); }

// A white bitmap with a canvas wrapper around it.
struct Surface {
  TBitmap bmp;
  TcxCanvas canvas;
  Surface(int w, int h) : canvas(nullptr) {
    makeFilled(bmp, w, h, clWhite);
    new (&canvas) TcxCanvas(bmp.Canvas());
  }
  TcxCanvas* cx() { return &canvas; }
  bool has(uint32_t rgb, const TRect& r) { return countNot(bmp, r, rgb) < (r.right - r.left) * (r.bottom - r.top); }
};

const uint32_t kWhite = 0xFFFFFF;

}  // namespace

// ---------------------------------------------------------------------------------------
// Borders and edges.

TEST(StandardPainter, ControlBorderIsTwoRings) {
  Surface s(20, 20);
  ASSERT_EQ(standard()->GetControlBorderWidth(), 2);
  standard()->DrawControlBorder(s.cx(), TRect{0, 0, 20, 20});
  EXPECT_TRUE(PixelIs(s.bmp, 0, 8, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 8, 0, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 19, 8, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(s.bmp, 8, 19, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(s.bmp, 1, 8, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 18, 8, sys(cl3DLight)));
  EXPECT_TRUE(PixelIs(s.bmp, 2, 8, kWhite)) << "the border must stay two pixels wide";
}

TEST(StandardPainter, BaseDrawsNoControlBorder) {
  Surface s(20, 20);
  EXPECT_EQ(base()->GetControlBorderWidth(), 0);
  base()->DrawControlBorder(s.cx(), TRect{0, 0, 20, 20});
  EXPECT_EQ(countNot(s.bmp, TRect{0, 0, 20, 20}, kWhite), 0);
}

TEST(StandardPainter, ButtonEdgesFollowTheState) {
  struct Case {
    TcxButtonState State;
    TColor Columns[4];  // x = 0, 1, 2 and the last column
  };
  const Case cases[] = {
      {cxbsNormal, {clBtnHighlight, cl3DLight, clWhite, cl3DDkShadow}},
      {cxbsHot, {clBtnHighlight, cl3DLight, clWhite, cl3DDkShadow}},
      {cxbsDisabled, {clBtnHighlight, cl3DLight, clWhite, cl3DDkShadow}},
      {cxbsPressed, {clBlack, clBtnShadow, clWhite, clBlack}},
      {cxbsDefault, {clBlack, clBtnHighlight, cl3DLight, clBlack}},
  };
  for (const Case& c : cases) {
    Surface s(30, 20);
    standard()->DrawButtonEdges(s.cx(), TRect{0, 0, 30, 20}, c.State);
    SCOPED_TRACE("state " + std::to_string(static_cast<int>(c.State)));
    EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(c.Columns[0])));
    EXPECT_TRUE(PixelIs(s.bmp, 1, 10, sys(c.Columns[1])));
    EXPECT_TRUE(PixelIs(s.bmp, 2, 10, sys(c.Columns[2])));
    EXPECT_TRUE(PixelIs(s.bmp, 29, 10, sys(c.Columns[3])));
  }
  EXPECT_EQ(standard()->GetButtonBorderWidth(cxbsDefault), 3);
  EXPECT_EQ(standard()->GetButtonBorderWidth(cxbsNormal), 2);
}

TEST(StandardPainter, CaptionButtonWithDefaultColoursTakesTheStateColours) {
  Surface s(60, 24);
  TRect r{0, 0, 60, 24};
  s.canvas.Font()->SetName("Tahoma");
  s.canvas.Font()->SetSize(8);
  standard()->DrawCaptionButton(s.cx(), r, "MMM", cxbsNormal, true, clDefault, clDefault);
  EXPECT_TRUE(PixelIs(s.bmp, 3, 3, sys(clBtnFace))) << "the face inside the edges";
  EXPECT_TRUE(s.has(sys(clBtnText), TRect{10, 4, 50, 20})) << "the caption in the glyph colour";

  // Explicit colours win.
  Surface t(60, 24);
  t.canvas.Font()->SetName("Tahoma");
  standard()->DrawCaptionButton(t.cx(), r, "MMM", cxbsNormal, true, static_cast<TColor>(0x00FF00),
                                static_cast<TColor>(0x0000FF));
  EXPECT_TRUE(PixelIs(t.bmp, 3, 3, 0x00FF00));
  EXPECT_TRUE(t.has(0x0000FF, TRect{10, 4, 50, 20}));
}

TEST(StandardPainter, PressedCaptionMovesTheTextByThePressedShift) {
  Surface normal(60, 24), pressed(60, 24);
  for (Surface* s : {&normal, &pressed}) {
    s->canvas.Font()->SetName("Tahoma");
    s->canvas.Font()->SetSize(8);
  }
  standard()->DrawCaptionButton(normal.cx(), TRect{0, 0, 60, 24}, "Ab", cxbsNormal, false, clWhite, clBlack);
  standard()->DrawCaptionButton(pressed.cx(), TRect{0, 0, 60, 24}, "Ab", cxbsPressed, false, clWhite, clBlack);
  TRect a = inkBounds(normal.bmp, kWhite), b = inkBounds(pressed.bmp, kWhite);
  EXPECT_EQ(b.left, a.left + 1) << rectText(a) << " vs " << rectText(b);
  EXPECT_EQ(b.top, a.top + 1) << rectText(a) << " vs " << rectText(b);
}

TEST(StandardPainter, CheckBoxShowsStateColours) {
  struct Case {
    TcxButtonState State;
    TColor Inside;
    TColor Mark;
  };
  const Case cases[] = {
      {cxbsNormal, clWindow, clBtnText},
      {cxbsHot, clWindow, clBtnText},
      {cxbsPressed, clBtnFace, clBtnText},
      {cxbsDisabled, clBtnFace, clGrayText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("state " + std::to_string(static_cast<int>(c.State)));
    Surface s(13, 13);
    standard()->DrawCheckBox(s.cx(), TRect{0, 0, 13, 13}, c.State, true);
    EXPECT_TRUE(PixelIs(s.bmp, 0, 6, sys(clBtnShadow))) << "sunken outer ring";
    EXPECT_TRUE(PixelIs(s.bmp, 1, 6, sys(cl3DDkShadow))) << "sunken inner ring";
    EXPECT_TRUE(PixelIs(s.bmp, 12, 6, sys(clBtnHighlight)));
    EXPECT_TRUE(PixelIs(s.bmp, 11, 6, sys(cl3DLight)));
    EXPECT_TRUE(PixelIs(s.bmp, 2, 2, sys(c.Inside)));
    EXPECT_TRUE(s.has(sys(c.Mark), TRect{2, 2, 11, 11})) << "the check mark";
  }
  // Unchecked: no mark at all.
  Surface s(13, 13);
  standard()->DrawCheckBox(s.cx(), TRect{0, 0, 13, 13}, cxbsNormal, false);
  EXPECT_EQ(countNot(s.bmp, TRect{2, 2, 11, 11}, sys(clWindow)), 0);
}

TEST(StandardPainter, DropDownButtonShowsActiveArrowAndPressedEdge) {
  Surface active(16, 16), pressed(16, 16);
  standard()->DrawDropDownButton(active.cx(), TRect{0, 0, 16, 16}, cxbsNormal, true);
  standard()->DrawDropDownButton(pressed.cx(), TRect{0, 0, 16, 16}, cxbsPressed, false);
  EXPECT_TRUE(active.has(0xFF0000, TRect{1, 1, 15, 15})) << "an active button has a blue arrow";
  EXPECT_FALSE(pressed.has(0xFF0000, TRect{1, 1, 15, 15}));
  EXPECT_TRUE(pressed.has(sys(clBtnText), TRect{1, 1, 15, 15}));
  EXPECT_TRUE(PixelIs(active.bmp, 0, 8, sys(cl3DLight))) << "raised outer edge";
  EXPECT_TRUE(PixelIs(pressed.bmp, 0, 8, sys(cl3DDkShadow))) << "sunken inner edge";
  EXPECT_TRUE(PixelIs(pressed.bmp, 15, 8, sys(cl3DLight)));
}

TEST(PainterGeometry, DropDownArrowPlacement) {
  Surface s(20, 20);
  base()->DrawDropDownArrow(s.cx(), TRect{0, 0, 20, 20}, clBlack);
  // Width 10 made odd is 11, height 11 div 2 + 1 = 6, left (20 - 11) div 2 = 4, top 14 / 2 = 7.
  EXPECT_EQ(rectText(inkBounds(s.bmp, kWhite)), rectText(TRect{4, 7, 15, 13}));
}

TEST(PainterGeometry, PlusAndMinusSigns) {
  Surface plus(13, 13), minus(13, 13);
  cxDrawPlusMinusSign(plus.cx(), TRect{0, 0, 13, 13}, false, clBlack);
  cxDrawPlusMinusSign(minus.cx(), TRect{0, 0, 13, 13}, true, clBlack);
  EXPECT_EQ(rectText(inkBounds(plus.bmp, kWhite)), rectText(TRect{2, 2, 11, 11}));
  EXPECT_EQ(rectText(inkBounds(minus.bmp, kWhite)), rectText(TRect{2, 6, 11, 7}));
}

TEST(PainterGeometry, ButtonFocusBoundsShrinkUnlessThatEmptiesThem) {
  EXPECT_EQ(rectText(base()->GetButtonFocusBounds(nullptr, TRect{0, 0, 20, 20})), rectText(TRect{4, 4, 16, 16}));
  EXPECT_EQ(rectText(base()->GetButtonFocusBounds(nullptr, TRect{0, 0, 8, 20})), rectText(TRect{0, 0, 8, 20}));
}

TEST(PainterGeometry, ArrowPointsAreCentredWithAnOddBase) {
  TPoint p[3];
  cxGetArrowPoints(TRect{0, 0, 11, 11}, adDown, false, p);
  // Base (11 - 1) div 2 = 5 (odd), height 3, centred.
  EXPECT_EQ(p[0].x, 3);
  EXPECT_EQ(p[1].x, 7);
  EXPECT_EQ(p[0].y, p[1].y);
  EXPECT_EQ(p[2].x, 5);
  EXPECT_EQ(p[2].y, p[0].y + 2);
  cxGetArrowPoints(TRect{0, 0, 40, 11}, adUp, true, p);
  EXPECT_EQ(p[2].x, 19) << "a proportional arrow is centred in the square (columns 14 to 24)";
  cxGetArrowPoints(TRect{0, 0, 11, 11}, adRight, false, p);
  EXPECT_GT(p[2].x, p[0].x) << "a right arrow has its apex on the right";
}

// ---------------------------------------------------------------------------------------
// Headers, footers, indicators.

TEST(StandardPainter, HeaderCellHasRaisedEdgesBackgroundAndText) {
  Surface s(60, 20);
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  TRect r{0, 0, 60, 20};
  standard()->DrawHeaderCell(s.cx(), r, TRect{3, 2, 57, 18}, TcxBorders{bRight}, cxBordersAll, cxbsNormal,
                             taLeftJustify, vaCenter, false, false, "Head", &font, clBlack, clBtnFace);
  EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(cl3DLight)));
  EXPECT_TRUE(PixelIs(s.bmp, 59, 10, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 30, 19, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 1, 1, sys(clBtnFace))) << "content background";
  // A right neighbour softens the right corners.
  EXPECT_TRUE(PixelIs(s.bmp, 59, 0, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(s.bmp, 59, 1, sys(clBtnFace)));
  EXPECT_TRUE(PixelIs(s.bmp, 59, 18, sys(clBtnFace)));
  TRect ink{1, 1, 59, 19};
  EXPECT_TRUE(s.has(0x000000, ink)) << "the text";
}

TEST(StandardPainter, HeaderBackgroundEventCanPaintInsteadOfThePainter) {
  struct Painter : TObject {
    int Calls = 0;
    bool Draw(TcxCanvas* C, const TRect& R) {
      ++Calls;
      C->SetBrushColor(static_cast<TColor>(0x00FF00));
      C->Canvas()->FillRect(R);
      return true;
    }
  } painter;
  Surface s(40, 20);
  standard()->DrawHeaderCell(s.cx(), TRect{0, 0, 40, 20}, TRect{2, 2, 38, 18}, TcxBorders(), cxBordersAll,
                             cxbsNormal, taLeftJustify, vaCenter, false, false, "", nullptr, clBlack, clBtnFace,
                             TcxDrawBackgroundEvent(&painter, &Painter::Draw));
  EXPECT_EQ(painter.Calls, 1);
  EXPECT_TRUE(PixelIs(s.bmp, 5, 5, 0x00FF00));
}

TEST(StandardPainter, HeaderWidthAddsEdgesByBorders) {
  Surface s(10, 10);
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  s.canvas.Font()->Assign(&font);
  Integer text = s.canvas.TextWidth("Column");
  struct Case {
    TcxBorders Borders;
    Integer Expected;
  };
  const Case cases[] = {
      {TcxBorders{bLeft}, text + 1 + 4},
      {TcxBorders{bRight}, text + 4 - 1},
      {TcxBorders(), text + 4},
      {TcxBorders{bLeft, bRight}, text + 4},
  };
  for (const Case& c : cases)
    EXPECT_EQ(standard()->GetHeaderWidth(s.cx(), c.Borders, "Column", &font), c.Expected)
        << "borders " << c.Borders.ToBits();
  EXPECT_EQ(standard()->GetHeaderHeight(13), 13 + 2 + 4);
  EXPECT_EQ(base()->GetHeaderHeight(13), 13 + 4);
}

TEST(StandardPainter, HeaderBoundsMoveBySidesInBorders) {
  TRect r{10, 10, 50, 30};
  EXPECT_EQ(rectText(standard()->GetHeaderContentBounds(r, TcxBorders{bLeft, bBottom})),
            rectText(TRect{11, 10, 50, 29}));
  // The standard painter draws all four sides whatever the neighbours, so nothing widens.
  EXPECT_EQ(rectText(standard()->GetHeaderDrawBounds(r, TcxBorders{bLeft}, cxBordersAll)), rectText(r));
}

TEST(StandardPainter, SortArrowsAreOutlinedLightAndDark) {
  // On green, so that the light (white) strokes show.
  Surface up(16, 16), down(16, 16);
  makeFilled(up.bmp, 16, 16, static_cast<TColor>(0x00FF00));
  makeFilled(down.bmp, 16, 16, static_cast<TColor>(0x00FF00));
  standard()->DrawSortArrow(up.cx(), TRect{0, 0, 16, 16}, true);
  standard()->DrawSortArrow(down.cx(), TRect{0, 0, 16, 16}, false);
  TRect upInk = inkBounds(up.bmp, 0x00FF00), downInk = inkBounds(down.bmp, 0x00FF00);
  EXPECT_EQ(upInk.right - upInk.left, 8);
  EXPECT_EQ(upInk.bottom - upInk.top, 7);
  // Ascending: the base (bottom row) is light; descending: the base (top row) is dark.
  EXPECT_TRUE(PixelIs(up.bmp, (upInk.left + upInk.right) / 2, upInk.bottom - 1, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(down.bmp, (downInk.left + downInk.right) / 2, downInk.top, sys(clBtnShadow)));
}

TEST(StandardPainter, FooterCellIsSunkenWithContentInside) {
  Surface s(40, 20);
  standard()->DrawFooterCell(s.cx(), TRect{0, 0, 40, 20}, taLeftJustify, vaCenter, false, "", nullptr, clBlack,
                             static_cast<TColor>(0x00FFFF));
  EXPECT_TRUE(PixelIs(s.bmp, 0, 10, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(s.bmp, 39, 10, sys(cl3DLight)));
  EXPECT_TRUE(PixelIs(s.bmp, 1, 1, 0x00FFFF)) << "background inside the one-pixel content offset";
  EXPECT_EQ(rectText(standard()->GetFooterCellTextAreaBounds(TRect{0, 0, 40, 20})), rectText(TRect{3, 3, 37, 17}));
}

TEST(StandardPainter, IndicatorDrawsTheImageOfItsKind) {
  ASSERT_NE(cxIndicatorImages(), nullptr);
  EXPECT_EQ(cxIndicatorImages()->Count(), 5);
  Surface none(20, 20), arrow(20, 20);
  standard()->DrawIndicatorItem(none.cx(), TRect{0, 0, 20, 20}, ikNone, clBtnFace);
  standard()->DrawIndicatorItem(arrow.cx(), TRect{0, 0, 20, 20}, ikArrow, clBtnFace);
  TRect inside{3, 3, 17, 17};
  EXPECT_EQ(countNot(none.bmp, inside, sys(clBtnFace)), 0) << "no image for ikNone";
  EXPECT_GT(countNot(arrow.bmp, inside, sys(clBtnFace)), 5) << "the arrow image";
  EXPECT_TRUE(PixelIs(arrow.bmp, 0, 10, sys(cl3DLight))) << "header edges around the cell";
}

// ---------------------------------------------------------------------------------------
// Scroll-bar parts and small buttons.

TEST(StandardPainter, ScrollBarPageAreaIsACheckerboard) {
  Surface normal(16, 16), pressed(16, 16);
  standard()->DrawScrollBarPart(normal.cx(), false, TRect{0, 0, 16, 16}, sbpPageUp, cxbsNormal);
  standard()->DrawScrollBarPart(pressed.cx(), false, TRect{0, 0, 16, 16}, sbpPageDown, cxbsPressed);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      bool first = (x % 2) != (y % 2);
      EXPECT_TRUE(PixelIs(normal.bmp, x, y, sys(first ? clBtnHighlight : clBtnFace)));
      EXPECT_TRUE(PixelIs(pressed.bmp, x, y, first ? sys(cl3DDkShadow) : 0x000000));
    }
}

TEST(StandardPainter, ScrollBarThumbAndArrowButtons) {
  Surface thumb(16, 30), disabled(16, 30), arrow(16, 16), pressedArrow(16, 16), empty(16, 16);
  standard()->DrawScrollBarPart(thumb.cx(), false, TRect{0, 0, 16, 30}, sbpThumbnail, cxbsNormal);
  EXPECT_TRUE(PixelIs(thumb.bmp, 0, 15, sys(clBtnFace)));
  EXPECT_TRUE(PixelIs(thumb.bmp, 15, 15, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(thumb.bmp, 1, 15, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(thumb.bmp, 8, 15, sys(clBtnFace)));

  standard()->DrawScrollBarPart(disabled.cx(), false, TRect{0, 0, 16, 30}, sbpThumbnail, cxbsDisabled);
  EXPECT_EQ(countNot(disabled.bmp, TRect{0, 0, 16, 30}, kWhite), 0) << "a disabled thumb is not drawn";
  standard()->DrawScrollBarPart(empty.cx(), false, TRect{5, 5, 5, 10}, sbpLineUp, cxbsNormal);
  EXPECT_EQ(countNot(empty.bmp, TRect{0, 0, 16, 16}, kWhite), 0) << "an empty rectangle draws nothing";

  standard()->DrawScrollBarPart(arrow.cx(), false, TRect{0, 0, 16, 16}, sbpLineUp, cxbsNormal);
  EXPECT_TRUE(PixelIs(arrow.bmp, 0, 8, sys(clBtnFace)));
  EXPECT_TRUE(PixelIs(arrow.bmp, 15, 8, sys(cl3DDkShadow)));
  EXPECT_TRUE(PixelIs(arrow.bmp, 1, 8, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(arrow.bmp, 14, 8, sys(clBtnShadow)));
  EXPECT_TRUE(arrow.has(0x000000, TRect{3, 3, 13, 13})) << "the arrow glyph";

  standard()->DrawScrollBarPart(pressedArrow.cx(), false, TRect{0, 0, 16, 16}, sbpLineDown, cxbsPressed);
  EXPECT_TRUE(PixelIs(pressedArrow.bmp, 0, 8, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(pressedArrow.bmp, 15, 8, sys(clBtnShadow)));
  EXPECT_TRUE(PixelIs(pressedArrow.bmp, 1, 8, sys(clBtnFace)));
}

TEST(StandardPainter, ExpandBoxShowsPlusOrMinusAndProtectsItsArea) {
  Surface collapsed(12, 12), expanded(12, 12);
  standard()->DrawExpandBox(collapsed.cx(), TRect{0, 0, 12, 12}, false);
  standard()->DrawExpandBox(expanded.cx(), TRect{0, 0, 12, 12}, true);
  // The vertical stroke of the plus passes above the centre row.
  EXPECT_TRUE(collapsed.has(sys(clBtnText), TRect{5, 2, 6, 4}));
  EXPECT_FALSE(expanded.has(sys(clBtnText), TRect{5, 2, 6, 4}));
  EXPECT_TRUE(expanded.has(sys(clBtnText), TRect{1, 5, 10, 6}));
  // Later painting over the whole bitmap leaves the box alone.
  expanded.canvas.SetBrushColor(static_cast<TColor>(0x00FF00));
  expanded.bmp.Canvas()->FillRect(TRect{0, 0, 12, 12});
  EXPECT_EQ(countNot(expanded.bmp, TRect{0, 0, 12, 12}, 0x00FF00), 144) << "the box area is excluded from the clip";
}

TEST(StandardPainter, CloseAndPlusButtonsDrawTheirSymbols) {
  Surface close(16, 14), plus(16, 14), disabledPlus(16, 14);
  standard()->DrawCloseButton(close.cx(), TRect{0, 0, 16, 14}, cxbsNormal);
  standard()->DrawPlusButton(plus.cx(), TRect{0, 0, 16, 14}, cxbsNormal);
  standard()->DrawPlusButton(disabledPlus.cx(), TRect{0, 0, 16, 14}, cxbsDisabled);
  EXPECT_TRUE(close.has(sys(clBtnText), TRect{3, 3, 13, 11})) << "the cross";
  EXPECT_TRUE(plus.has(sys(clWindowText), TRect{3, 3, 13, 11})) << "the plus sign";
  EXPECT_TRUE(disabledPlus.has(sys(clBtnShadow), TRect{3, 3, 13, 11}));
  EXPECT_TRUE(disabledPlus.has(sys(clBtnHighlight), TRect{3, 3, 13, 11})) << "a disabled sign is embossed";
}

TEST(PainterResources, PageBitmapsFollowTheSystemColours) {
  cxRefreshScrollBarPageBitmaps();
  TBitmap* normal = cxScrollBarPageBitmap(false);
  ASSERT_NE(normal, nullptr);
  EXPECT_EQ(normal->Width(), 8);
  EXPECT_EQ(normal->Height(), 8);
  EXPECT_TRUE(PixelIs(*normal, 1, 0, sys(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(*normal, 1, 1, sys(clBtnFace)));
  ASSERT_NE(cxAutoHideBitmap(0), nullptr);
  ASSERT_NE(cxAutoHideBitmap(1), nullptr);
  EXPECT_EQ(cxAutoHideBitmap(1)->Width(), 16);
  EXPECT_EQ(cxAutoHideBitmap(2), nullptr);
}
