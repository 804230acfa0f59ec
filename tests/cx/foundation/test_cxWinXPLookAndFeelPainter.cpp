// The native painter. Themed checks switch the light visual style that Wine ships on for
// the test (and off again after it) and compare the painter's output with the theme's own
// drawing of the class, part and state the painter must use. Unthemed checks show that
// every operation falls back to the standard painter's drawing.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Themes.h"

#include <vssym32.h>

namespace {

TcxWinXPLookAndFeelPainter* native() { return TcxWinXPLookAndFeelPainter::Instance(); }
TcxStandardLookAndFeelPainter* standard() { return TcxStandardLookAndFeelPainter::Instance(); }

const uint32_t kWhite = 0xFFFFFF;

// Switches the light style on or off and lets the theme manager see the change.
bool switchThemes(bool AOn) {
  bool switched = SwitchTestVisualStyle(AOn);
  guitest::pumpFor(30);
  return switched && dxThemesActive == AOn && dxCanUseThemes() == AOn;
}

class ThemedPainter : public ::testing::Test {
protected:
  void SetUp() override {
    FWasOn = dxThemesActive;
    if (!FWasOn && !switchThemes(true)) FAIL() << "the light visual style could not be switched on: themed drawing would go untested";
  }
  void TearDown() override {
    if (!FWasOn) switchThemes(false);
  }

private:
  bool FWasOn = false;
};

class UnthemedPainter : public ::testing::Test {
protected:
  void SetUp() override {
    FWasOn = dxThemesActive;
    if (FWasOn && !switchThemes(false)) FAIL() << "the visual style could not be switched off: unthemed drawing would go untested";
  }
  void TearDown() override {
    if (FWasOn) switchThemes(true);
  }

private:
  bool FWasOn = false;
};

// One theme part drawn as the theme draws it.
struct ThemePart {
  TdxThemeClassIndex Class;
  int Part, State;
};

std::string partText(const ThemePart& p) {
  return "class " + std::to_string(static_cast<int>(p.Class)) + " part " + std::to_string(p.Part) + " state " +
         std::to_string(p.State);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Painter choice.

TEST_F(ThemedPainter, NativeStyleChoosesTheNativePainterWhileItsClassesCanBeOpened) {
  std::unique_ptr<TcxLookAndFeel> lf(New<TcxLookAndFeel>(static_cast<TPersistent*>(nullptr)));
  lf->SetKind(lfFlat);
  EXPECT_EQ(lf->GetPainterClass(), TcxFlatLookAndFeelPainter::Instance()) << "native style is off";
  lf->SetNativeStyle(true);
  EXPECT_EQ(lf->GetPainterClass(), native());
  EXPECT_EQ(lf->GetPainterClass()->GetPainterKind(), 3);
  EXPECT_EQ(lf->GetThemedPainterClass(TdxThemeClasses{totButton, totHeader}), native());
  if (dxGetThemeHandle(totExplorerBar) == nullptr) {
    EXPECT_EQ(lf->GetThemedPainterClass(TdxThemeClasses{totButton, totExplorerBar}),
              TcxFlatLookAndFeelPainter::Instance())
        << "a class the style lacks makes the kind's painter draw";
  }
}

TEST_F(UnthemedPainter, NativeStyleWithoutThemesDrawsWithTheKindsPainter) {
  std::unique_ptr<TcxLookAndFeel> lf(New<TcxLookAndFeel>(static_cast<TPersistent*>(nullptr)));
  lf->SetKind(lfUltraFlat);
  lf->SetNativeStyle(true);
  EXPECT_EQ(lf->GetPainterClass(), TcxUltraFlatLookAndFeelPainter::Instance());
}

// ---------------------------------------------------------------------------------------
// Themed drawing.

TEST_F(ThemedPainter, EachElementIsTheThemePartInTheMappedState) {
  using Draw = std::function<void(TcxCanvas*, const TRect&)>;
  struct Case {
    const char* Name;
    Draw DrawIt;
    std::vector<ThemePart> Parts;  // drawn one over the other on the whole rectangle
    int W, H;
  };
  const Case cases[] = {
      {"default push button", [](auto* c, auto& r) { native()->DrawButtonBackground(c, r, cxbsDefault); },
       {{totButton, BP_PUSHBUTTON, PBS_DEFAULTED}}, 40, 22},
      {"hot push button", [](auto* c, auto& r) { native()->DrawButtonBackground(c, r, cxbsHot); },
       {{totButton, BP_PUSHBUTTON, PBS_HOT}}, 40, 22},
      {"disabled push button", [](auto* c, auto& r) { native()->DrawButtonBackground(c, r, cxbsDisabled); },
       {{totButton, BP_PUSHBUTTON, PBS_DISABLED}}, 40, 22},
      {"pressed caption button without caption",
       [](auto* c, auto& r) { native()->DrawCaptionButton(c, r, "", cxbsPressed, true, clRed, clLime); },
       {{totButton, BP_PUSHBUTTON, PBS_PRESSED}}, 40, 22},
      {"hot left arrow button", [](auto* c, auto& r) { native()->DrawArrowButton(c, r, cxbsHot, adLeft); },
       {{totScrollBar, SBP_ARROWBTN, ABS_LEFTHOT}}, 17, 17},
      {"disabled down arrow button", [](auto* c, auto& r) { native()->DrawArrowButton(c, r, cxbsDisabled, adDown); },
       {{totScrollBar, SBP_ARROWBTN, ABS_DOWNDISABLED}}, 17, 17},
      {"checked hot check mark",
       [](auto* c, auto& r) { native()->DrawCheckMark(c, r, cxbsHot, true, clBlack); },
       {{totButton, BP_CHECKBOX, CBS_CHECKEDHOT}}, 13, 13},
      {"unchecked disabled check mark",
       [](auto* c, auto& r) { native()->DrawCheckMark(c, r, cxbsDisabled, false, clBlack); },
       {{totButton, BP_CHECKBOX, CBS_UNCHECKEDDISABLED}}, 13, 13},
      {"checked pressed check box (no separate frame)",
       [](auto* c, auto& r) { native()->DrawCheckBox(c, r, cxbsPressed, true); },
       {{totButton, BP_CHECKBOX, CBS_CHECKEDPRESSED}}, 13, 13},
      {"checked radio glyph", [](auto* c, auto&) { native()->DrawRadioButtonGlyph(c, 0, 0, cxbsDefault, true, false); },
       {{totButton, BP_RADIOBUTTON, RBS_CHECKEDNORMAL}}, 13, 13},
      {"expanded expand box", [](auto* c, auto& r) { native()->DrawExpandBox(c, r, true); },
       {{totTreeView, TVP_GLYPH, GLPS_OPENED}}, 9, 9},
      {"collapsed tree button",
       [](auto* c, auto& r) { native()->DrawTreeExpandButton(c, r, false, clRed, clLime); },
       {{totTreeView, TVP_GLYPH, GLPS_CLOSED}}, 9, 9},
      {"hot header without text",
       [](auto* c, auto& r) {
         native()->DrawHeaderCell(c, r, r, TcxBorders(), cxBordersAll, cxbsHot, taLeftJustify, vaCenter, false, false,
                                  "", nullptr, clBlack, clRed);
       },
       {{totHeader, HP_HEADERITEM, HIS_HOT}}, 50, 20},
      {"disabled header draws normal",
       [](auto* c, auto& r) {
         native()->DrawHeaderCell(c, r, r, TcxBorders(), cxBordersAll, cxbsDisabled, taLeftJustify, vaCenter, false,
                                  false, "", nullptr, clBlack, clRed);
       },
       {{totHeader, HP_HEADERITEM, HIS_NORMAL}}, 50, 20},
      {"footer cell without text",
       [](auto* c, auto& r) {
         native()->DrawFooterCell(c, r, taLeftJustify, vaCenter, false, "", nullptr, clBlack, clRed);
       },
       {{totTrackBar, TKP_TRACK, TRS_NORMAL}}, 50, 20},
      {"pressed close button", [](auto* c, auto& r) { native()->DrawCloseButton(c, r, cxbsPressed); },
       {{totWindow, WP_SMALLCLOSEBUTTON, CBS_PUSHED}}, 17, 17},
      {"hot drop-down button", [](auto* c, auto& r) { native()->DrawDropDownButton(c, r, cxbsHot, true); },
       {{totComboBox, CP_DROPDOWNBUTTON, CBXS_HOT}}, 17, 21},
      {"hot vertical thumb with gripper",
       [](auto* c, auto& r) { native()->DrawScrollBarPart(c, false, r, sbpThumbnail, cxbsHot); },
       {{totScrollBar, SBP_THUMBBTNVERT, SCRBS_HOT}, {totScrollBar, SBP_GRIPPERVERT, 0}}, 17, 40},
      {"horizontal thumb with gripper",
       [](auto* c, auto& r) { native()->DrawScrollBarPart(c, true, r, sbpThumbnail, cxbsNormal); },
       {{totScrollBar, SBP_THUMBBTNHORZ, SCRBS_NORMAL}, {totScrollBar, SBP_GRIPPERHORZ, 0}}, 40, 17},
      {"pressed page before a horizontal thumb",
       [](auto* c, auto& r) { native()->DrawScrollBarPart(c, true, r, sbpPageUp, cxbsPressed); },
       {{totScrollBar, SBP_LOWERTRACKHORZ, SCRBS_PRESSED}}, 30, 17},
      {"page after a vertical thumb",
       [](auto* c, auto& r) { native()->DrawScrollBarPart(c, false, r, sbpPageDown, cxbsNormal); },
       {{totScrollBar, SBP_UPPERTRACKVERT, SCRBS_NORMAL}}, 17, 30},
      {"scroll-bar arrow button of a vertical bar",
       [](auto* c, auto& r) { native()->DrawScrollBarPart(c, false, r, sbpLineUp, cxbsDefault); },
       {{totScrollBar, SBP_ARROWBTN, ABS_UPNORMAL}}, 17, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TRect r{0, 0, c.W, c.H};
    PaintSurface drawn(c.W, c.H), expected(c.W, c.H);
    c.DrawIt(drawn.cx(), r);
    for (const ThemePart& p : c.Parts) {
      TdxTheme theme = dxGetThemeHandle(p.Class);
      ASSERT_NE(theme, nullptr) << partText(p);
      dxDrawThemeBackground(theme, expected.dc(), p.Part, p.State, &r, nullptr);
    }
    ASSERT_GT(countNot(expected.bmp, r, kWhite), 0) << "the theme draws nothing for " << partText(c.Parts[0]);
    EXPECT_EQ(pixelDifferences(drawn.bmp, expected.bmp), 0) << partText(c.Parts[0]);
  }
}

TEST_F(ThemedPainter, StatesThatLookDifferentAreMappedApart) {
  // The state maps are only worth checking where the style draws the states differently.
  TdxTheme button = dxGetThemeHandle(totButton);
  ASSERT_NE(button, nullptr);
  TRect r{0, 0, 40, 22};
  PaintSurface normal(40, 22), defaulted(40, 22);
  dxDrawThemeBackground(button, normal.dc(), BP_PUSHBUTTON, PBS_NORMAL, &r, nullptr);
  dxDrawThemeBackground(button, defaulted.dc(), BP_PUSHBUTTON, PBS_DEFAULTED, &r, nullptr);
  EXPECT_GT(pixelDifferences(normal.bmp, defaulted.bmp), 0);
  PaintSurface checked(13, 13), unchecked(13, 13);
  TRect c{0, 0, 13, 13};
  native()->DrawCheckMark(checked.cx(), c, cxbsNormal, true, clBlack);
  native()->DrawCheckMark(unchecked.cx(), c, cxbsNormal, false, clBlack);
  EXPECT_GT(pixelDifferences(checked.bmp, unchecked.bmp), 0) << "checked and unchecked rows";
}

TEST_F(ThemedPainter, CheckBoxesHaveNoSeparateFrame) {
  EXPECT_EQ(native()->GetCheckBoxBorderWidth(), 0);
  PaintSurface s(13, 13);
  native()->DrawCheckBoxFrame(s.cx(), TRect{0, 0, 13, 13}, cxbsNormal);
  EXPECT_EQ(countNot(s.bmp, TRect{0, 0, 13, 13}, kWhite), 0);
}

TEST_F(ThemedPainter, PressedHeaderMovesItsTextAndIsNotInverted) {
  const uint32_t ink = 0xFF00FF;
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  TRect r{0, 0, 60, 20}, text{4, 2, 56, 18};
  PaintSurface normal(60, 20), pressed(60, 20);
  native()->DrawHeaderCell(normal.cx(), r, text, TcxBorders(), cxBordersAll, cxbsNormal, taLeftJustify, vaCenter,
                           false, false, "Col", &font, static_cast<TColor>(ink), clBtnFace);
  native()->DrawHeaderCell(pressed.cx(), r, text, TcxBorders(), cxBordersAll, cxbsPressed, taLeftJustify, vaCenter,
                           false, false, "Col", &font, static_cast<TColor>(ink), clBtnFace);
  TRect a = colorBounds(normal.bmp, ink), b = colorBounds(pressed.bmp, ink);
  ASSERT_GT(a.right, a.left) << "the text is drawn in the text colour";
  EXPECT_EQ(b.left, a.left + 1) << rectText(a) << " vs " << rectText(b);
  EXPECT_EQ(b.top, a.top + 1) << rectText(a) << " vs " << rectText(b);

  PaintSurface before(60, 20);
  before.bmp.Canvas()->CopyRect(r, pressed.bmp.Canvas(), r);
  native()->DrawHeaderPressed(pressed.cx(), r);
  EXPECT_EQ(pixelDifferences(before.bmp, pressed.bmp), 0) << "the pressed header is not inverted";
  EXPECT_FALSE(native()->HeaderItemsFirst());
  EXPECT_TRUE(native()->HasHotTrackHeaders());
}

TEST_F(ThemedPainter, ThemedTextFollowsTheAlignment) {
  TdxTheme header = dxGetThemeHandle(totHeader);
  ASSERT_NE(header, nullptr);
  const uint32_t ink = 0x0000FF;
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  TRect box{10, 5, 110, 55};
  struct Case {
    TAlignment Horz;
    TcxAlignmentVert Vert;
    bool NearLeft, NearRight, NearTop, NearBottom;
  };
  const Case cases[] = {
      {taLeftJustify, vaTop, true, false, true, false},
      {taRightJustify, vaBottom, false, true, false, true},
      {taCenter, vaCenter, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("alignment " + std::to_string(static_cast<int>(c.Horz)) + "/" + std::to_string(static_cast<int>(c.Vert)));
    PaintSurface s(120, 60);
    native()->DrawThemedText(s.cx(), header, HP_HEADERITEM, HIS_NORMAL, box, box, c.Horz, c.Vert, false, false, "Mm",
                             &font, static_cast<TColor>(ink), clDefault);
    TRect t = colorBounds(s.bmp, ink);
    ASSERT_GT(t.right, t.left);
    EXPECT_GE(t.left, box.left);
    EXPECT_LE(t.right, box.right);
    EXPECT_EQ(t.left - box.left < 4, c.NearLeft) << rectText(t);
    EXPECT_EQ(box.right - t.right < 4, c.NearRight) << rectText(t);
    EXPECT_EQ(t.top - box.top < 5, c.NearTop) << rectText(t);
    EXPECT_EQ(box.bottom - t.bottom < 5, c.NearBottom) << rectText(t);
  }
  // Multi-line text wraps inside a narrow rectangle; single-line text stays on one line.
  PaintSurface wrapped(120, 60), single(120, 60);
  TRect narrow{0, 0, 40, 60};
  native()->DrawThemedText(wrapped.cx(), header, HP_HEADERITEM, HIS_NORMAL, narrow, narrow, taLeftJustify, vaTop, true,
                           false, "Mmm Mmm Mmm", &font, static_cast<TColor>(ink), clDefault);
  native()->DrawThemedText(single.cx(), header, HP_HEADERITEM, HIS_NORMAL, narrow, narrow, taLeftJustify, vaTop, false,
                           false, "Mmm Mmm Mmm", &font, static_cast<TColor>(ink), clDefault);
  TRect w = colorBounds(wrapped.bmp, ink), o = colorBounds(single.bmp, ink);
  EXPECT_GT(w.bottom - w.top, 2 * (o.bottom - o.top)) << rectText(w) << " vs " << rectText(o);
  // Nothing for an empty text.
  PaintSurface empty(120, 60);
  native()->DrawThemedText(empty.cx(), header, HP_HEADERITEM, HIS_NORMAL, box, box, taLeftJustify, vaTop, false, false,
                           "", &font, static_cast<TColor>(ink), clDefault);
  EXPECT_EQ(countNot(empty.bmp, TRect{0, 0, 120, 60}, kWhite), 0);
}

TEST_F(ThemedPainter, CaptionIsDrawnInsideTheThemedButton) {
  PaintSurface plain(60, 24), captioned(60, 24);
  TRect r{0, 0, 60, 24};
  native()->DrawCaptionButton(plain.cx(), r, "", cxbsNormal);
  native()->DrawCaptionButton(captioned.cx(), r, "OK", cxbsNormal);
  TRect changed{60, 24, 0, 0};
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 60; ++x)
      if (pixelOf(plain.bmp, x, y) != pixelOf(captioned.bmp, x, y)) {
        changed.left = std::min<LONG>(changed.left, x);
        changed.top = std::min<LONG>(changed.top, y);
        changed.right = std::max<LONG>(changed.right, x + 1);
        changed.bottom = std::max<LONG>(changed.bottom, y + 1);
      }
  ASSERT_GT(changed.right, changed.left) << "the caption is drawn";
  int border = native()->GetButtonBorderWidth(cxbsNormal);
  EXPECT_GE(changed.left, border);
  EXPECT_LE(changed.right, 60 - border);
  EXPECT_LT(std::abs((changed.left + changed.right) - 60), 4) << "centred: " << rectText(changed);
  EXPECT_LT(std::abs((changed.top + changed.bottom) - 24), 4) << "centred: " << rectText(changed);
}

TEST_F(ThemedPainter, ControlBorderIsTheListViewFrameAndLeavesTheInside) {
  ASSERT_NE(dxGetThemeHandle(totListView), nullptr);
  EXPECT_EQ(native()->GetControlBorderWidth(), 1);
  const TColor inside = static_cast<TColor>(0x00FF00);
  PaintSurface s(30, 20, inside), expected(30, 20, inside);
  TRect r{0, 0, 30, 20};
  native()->DrawControlBorder(s.cx(), r);
  dxDrawThemeBackground(dxGetThemeHandle(totListView), expected.dc(), 5, 0, &r, nullptr);
  EXPECT_EQ(countNot(s.bmp, TRect{1, 1, 29, 19}, 0x00FF00), 0) << "the inside keeps the control's painting";
  for (auto [x, y] : {std::pair{0, 10}, {15, 0}, {29, 10}, {15, 19}})
    EXPECT_EQ(pixelOf(s.bmp, x, y), pixelOf(expected.bmp, x, y)) << x << "," << y;
  EXPECT_GT(countNot(s.bmp, r, 0x00FF00), 0);
  // The clipping is given back: later painting reaches the inside again.
  s.canvas.SetBrushColor(clBlack);
  s.bmp.Canvas()->FillRect(r);
  EXPECT_EQ(countNot(s.bmp, r, 0x000000), 0);
}

TEST_F(ThemedPainter, MeasuresComeFromTheTheme) {
  TdxTheme button = dxGetThemeHandle(totButton), tree = dxGetThemeHandle(totTreeView),
           header = dxGetThemeHandle(totHeader), track = dxGetThemeHandle(totTrackBar),
           window = dxGetThemeHandle(totWindow);
  ASSERT_TRUE(button && tree && header && track && window);
  HDC dc = GetDC(nullptr);
  TRect hundred{0, 0, 100, 100}, content;
  auto insets = [&](TdxTheme t, int part, int state) {
    dxGetThemeBackgroundContentRect(t, dc, part, state, &hundred, &content);
    return content;
  };
  auto size = [&](TdxTheme t, int part, int state) {
    SIZE s{};
    dxGetThemePartSize(t, dc, part, state, nullptr, TS_TRUE, &s);
    return s;
  };
  TRect defaulted = insets(button, BP_PUSHBUTTON, PBS_DEFAULTED);
  TRect normal = insets(button, BP_PUSHBUTTON, PBS_NORMAL);
  TRect headerContent = insets(header, HP_HEADERITEM, HIS_NORMAL);
  TRect trackContent = insets(track, TKP_TRACK, TRS_NORMAL);
  SIZE glyph = size(tree, TVP_GLYPH, GLPS_OPENED), check = size(button, BP_CHECKBOX, CBS_CHECKEDNORMAL),
       close = size(window, WP_SMALLCLOSEBUTTON, 1);
  int grow = dxIsThemeBackgroundPartiallyTransparent(button, BP_PUSHBUTTON, PBS_NORMAL) ? 1 : 0;
  ReleaseDC(nullptr, dc);

  EXPECT_EQ(native()->GetButtonBorderWidth(cxbsDefault), defaulted.left);
  EXPECT_EQ(native()->GetButtonBorderWidth(cxbsNormal), normal.left);
  EXPECT_EQ(rectText(native()->GetButtonGroupMargins(3, 1)),
            rectText(TRect{normal.left + grow, normal.top + grow, 100 - normal.right + grow,
                           100 - normal.bottom + grow}));
  EXPECT_EQ(native()->GetHeaderEdgeWidth(), (headerContent.left + headerContent.top) / 2);
  EXPECT_EQ(native()->GetFooterCellContentOffset(), trackContent.left);
  EXPECT_EQ(native()->GetExpandBoxSize(), glyph.cx);
  EXPECT_EQ(native()->GetTreeExpandButtonSize(), glyph.cx);
  EXPECT_EQ(native()->GetCheckBoxSize().cx, check.cx);
  EXPECT_EQ(native()->GetCheckBoxSize().cy, check.cy);
  EXPECT_EQ(native()->GetCloseButtonSize().cx, close.cx + 4);
  EXPECT_EQ(native()->GetCloseButtonSize().cy, close.cy + 4);
  EXPECT_FALSE(native()->ExpandBoxHasFrame());
  EXPECT_TRUE(native()->DrawsWholeTab(false));
  EXPECT_TRUE(native()->IsTabThemed(true));

  PaintSurface s(60, 24);
  TRect focus = native()->GetButtonFocusBounds(s.cx(), TRect{0, 0, 60, 24});
  EXPECT_EQ(rectText(focus),
            rectText(TRect{normal.left, normal.top, 60 - (100 - normal.right), 24 - (100 - normal.bottom)}))
      << "the content rectangle of the button";
}

TEST_F(ThemedPainter, SelectedTabReachesTheBottomRowAndOthersStopShortOfIt) {
  TRect r{0, 0, 50, 20};
  PaintSurface selected(50, 20), normal(50, 20);
  native()->DrawTab(selected.cx(), r, cxBordersAll, "", cxbsPressed, false, nullptr, clBlack, clBtnFace);
  native()->DrawTab(normal.cx(), r, cxBordersAll, "", cxbsNormal, false, nullptr, clBlack, clBtnFace);
  EXPECT_GT(countNot(selected.bmp, TRect{0, 19, 50, 20}, kWhite), 0);
  EXPECT_EQ(countNot(normal.bmp, TRect{0, 19, 50, 20}, kWhite), 0) << "the last row belongs to the pane";
  EXPECT_GT(countNot(normal.bmp, TRect{0, 0, 50, 19}, kWhite), 0);
}

TEST_F(ThemedPainter, VerticalTabIsTheHorizontalTabMirroredAtTheDiagonal) {
  for (TcxButtonState state : {cxbsNormal, cxbsPressed}) {
    SCOPED_TRACE("state " + std::to_string(static_cast<int>(state)));
    // A 20 by 50 vertical tab open at its bottom, and the 50 by 20 horizontal tab open at
    // its right, drawn at an offset so that the placement is checked too.
    PaintSurface vertical(40, 70), horizontal(50, 20);
    native()->DrawTab(vertical.cx(), TRect{10, 10, 30, 60}, TcxBorders{bLeft, bTop, bRight}, "", state, true,
                      nullptr, clBlack, clBtnFace);
    native()->DrawTab(horizontal.cx(), TRect{0, 0, 50, 20}, TcxBorders{bLeft, bTop, bBottom}, "", state, false,
                      nullptr, clBlack, clBtnFace);
    int mismatches = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 20; ++x)
        if (pixelOf(vertical.bmp, 10 + x, 10 + y) != pixelOf(horizontal.bmp, y, x)) ++mismatches;
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(countNot(horizontal.bmp, TRect{0, 0, 50, 20}, kWhite), 0);
    EXPECT_EQ(countNot(vertical.bmp, TRect{0, 0, 40, 10}, kWhite), 0) << "nothing outside the tab";
    EXPECT_EQ(countNot(vertical.bmp, TRect{30, 0, 40, 70}, kWhite), 0);
  }
}

TEST_F(ThemedPainter, TabTextIsCentredInTheTab) {
  const uint32_t ink = 0x0000FF;
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  PaintSurface s(60, 24);
  native()->DrawTab(s.cx(), TRect{0, 0, 60, 24}, cxBordersAll, "Tab", cxbsNormal, false, &font,
                    static_cast<TColor>(ink), clBtnFace);
  TRect t = colorBounds(s.bmp, ink);
  ASSERT_GT(t.right, t.left);
  EXPECT_LT(std::abs((t.left + t.right) - 60), 4) << rectText(t);
  EXPECT_LT(std::abs((t.top + t.bottom) - 24), 4) << rectText(t);

  // A vertical tab keeps its text upright, centred in the tab's own place.
  PaintSurface v(80, 100);
  TRect tab{20, 10, 60, 90};
  native()->DrawTab(v.cx(), tab, cxBordersAll, "Tab", cxbsNormal, true, &font, static_cast<TColor>(ink), clBtnFace);
  TRect u = colorBounds(v.bmp, ink);
  ASSERT_GT(u.right, u.left);
  EXPECT_LT(std::abs((u.left + u.right) - (tab.left + tab.right)), 4) << rectText(u);
  EXPECT_LT(std::abs((u.top + u.bottom) - (tab.top + tab.bottom)), 4) << rectText(u);
  EXPECT_LT(u.bottom - u.top, u.right - u.left) << "not turned";
}

TEST_F(ThemedPainter, TabsBackgroundStaysInsideItsArea) {
  PaintSurface s(80, 40);
  TRect area{10, 10, 70, 30};
  native()->DrawTabsBackground(s.cx(), area, cxBordersAll, false);
  EXPECT_GT(countNot(s.bmp, area, kWhite), 0);
  EXPECT_EQ(countNot(s.bmp, TRect{0, 0, 80, 10}, kWhite) + countNot(s.bmp, TRect{0, 30, 80, 40}, kWhite) +
                countNot(s.bmp, TRect{0, 10, 10, 30}, kWhite) + countNot(s.bmp, TRect{70, 10, 80, 30}, kWhite),
            0);
}

TEST_F(ThemedPainter, PlusButtonIsAThemedButtonWithANavySign) {
  PaintSurface s(16, 16);
  native()->DrawPlusButton(s.cx(), TRect{0, 0, 16, 16}, cxbsNormal);
  TRect sign = colorBounds(s.bmp, 0x800000);
  ASSERT_GT(sign.right, sign.left) << "the sign in navy";
  EXPECT_GE(sign.left, 2);
  EXPECT_LE(sign.right, 14);
  PaintSurface back(16, 16);
  TRect r{0, 0, 16, 16};
  dxDrawThemeBackground(dxGetThemeHandle(totButton), back.dc(), BP_PUSHBUTTON, PBS_NORMAL, &r, nullptr);
  EXPECT_EQ(pixelOf(s.bmp, 0, 8), pixelOf(back.bmp, 0, 8)) << "the themed button under the sign";
}

// ---------------------------------------------------------------------------------------
// Fallback per call.

TEST_F(ThemedPainter, AClassTheStyleLacksFallsBackWhileOthersStayThemed) {
  if (dxGetThemeHandle(totExplorerBar) != nullptr) GTEST_SKIP() << "the style defines the explorer bar";
  EXPECT_EQ(native()->GetGroupToggleButtonWidth(), 15);
  EXPECT_EQ(native()->GetAutoHideButtonSize().cx, 16);
  EXPECT_EQ(native()->GetAutoHideButtonSize().cy, 14);
  EXPECT_TRUE(native()->IsPointInGroupToggleButton(TRect{0, 0, 15, 15}, TPoint{14, 14}));
  EXPECT_FALSE(native()->IsPointInGroupToggleButton(TRect{0, 0, 15, 15}, TPoint{15, 14}));
  for (TcxButtonState state : {cxbsNormal, cxbsHot, cxbsPressed}) {
    SCOPED_TRACE("state " + std::to_string(static_cast<int>(state)));
    PaintSurface a(15, 15), b(15, 15);
    native()->DrawGroupToggleButton(a.cx(), TRect{0, 0, 15, 15}, true, state);
    standard()->DrawGroupToggleButton(b.cx(), TRect{0, 0, 15, 15}, true, state);
    EXPECT_EQ(pixelDifferences(a.bmp, b.bmp), 0) << "the standard painter's toggle";
    EXPECT_GT(countNot(a.bmp, TRect{0, 0, 15, 15}, kWhite), 0);
  }
  PaintSurface pin(20, 20);
  native()->DrawAutoHideButton(pin.cx(), TRect{0, 0, 20, 20}, cxbsNormal, 0);
  EXPECT_GT(countNot(pin.bmp, TRect{2, 2, 18, 18}, kWhite), 0) << "the auto-hide bitmap on a plain button";

  // The button class is there: buttons stay themed.
  PaintSurface themed(40, 22), plain(40, 22);
  native()->DrawButtonBackground(themed.cx(), TRect{0, 0, 40, 22}, cxbsNormal);
  standard()->DrawButtonBackground(plain.cx(), TRect{0, 0, 40, 22}, cxbsNormal);
  EXPECT_GT(pixelDifferences(themed.bmp, plain.bmp), 0);
}

TEST_F(UnthemedPainter, WithoutThemesEveryOperationDrawsTheStandardWay) {
  ASSERT_FALSE(dxCanUseThemes());
  using Draw = std::function<void(TcxCustomLookAndFeelPainter*, TcxCanvas*, const TRect&)>;
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  TFont* f = &font;
  struct Case {
    const char* Name;
    Draw DrawIt;
  };
  const Case cases[] = {
      {"control border", [](auto* p, auto* c, auto& r) { p->DrawControlBorder(c, r); }},
      {"button background", [](auto* p, auto* c, auto& r) { p->DrawButtonBackground(c, r, cxbsDefault); }},
      {"caption button", [](auto* p, auto* c, auto& r) { p->DrawCaptionButton(c, r, "&OK", cxbsNormal); }},
      {"arrow button", [](auto* p, auto* c, auto& r) { p->DrawArrowButton(c, r, cxbsHot, adRight); }},
      {"check box", [](auto* p, auto* c, auto& r) { p->DrawCheckBox(c, TRect{0, 0, 13, 13}, cxbsNormal, true); }},
      {"radio glyph", [](auto* p, auto* c, auto&) { p->DrawRadioButtonGlyph(c, 2, 2, cxbsHot, true, false, clWhite); }},
      {"expand box", [](auto* p, auto* c, auto&) { p->DrawExpandBox(c, TRect{0, 0, 12, 12}, false); }},
      {"group toggle", [](auto* p, auto* c, auto&) { p->DrawGroupToggleButton(c, TRect{0, 0, 15, 15}, true, cxbsHot); }},
      {"header",
       [f](auto* p, auto* c, auto& r) {
         p->DrawHeaderCell(c, r, TRect{2, 2, 48, 22}, TcxBorders{bRight}, cxBordersAll, cxbsNormal, taLeftJustify,
                           vaCenter, false, false, "Col", f, clBlack, clBtnFace);
       }},
      {"footer",
       [f](auto* p, auto* c, auto& r) {
         p->DrawFooterCell(c, r, taRightJustify, vaCenter, false, "12", f, clBlack, clWindow);
       }},
      {"raised edge", [](auto* p, auto* c, auto& r) { p->DrawRaisedEdge(c, r); }},
      {"close button", [](auto* p, auto* c, auto&) { p->DrawCloseButton(c, TRect{0, 0, 16, 14}, cxbsNormal); }},
      {"drop-down button", [](auto* p, auto* c, auto&) { p->DrawDropDownButton(c, TRect{0, 0, 17, 20}, cxbsPressed, true); }},
      {"tab frame", [](auto* p, auto* c, auto& r) { p->DrawTabFrame(c, r, 1, cxBordersAll, false); }},
      {"tabs background", [](auto* p, auto* c, auto& r) { p->DrawTabsBackground(c, r, cxBordersAll, false); }},
      {"scroll thumb", [](auto* p, auto* c, auto&) { p->DrawScrollBarPart(c, false, TRect{0, 0, 16, 24}, sbpThumbnail, cxbsNormal); }},
      {"scroll arrow", [](auto* p, auto* c, auto&) { p->DrawScrollBarPart(c, true, TRect{0, 0, 16, 16}, sbpLineUp, cxbsHot); }},
      {"scroll page", [](auto* p, auto* c, auto& r) { p->DrawScrollBarPart(c, true, r, sbpPageDown, cxbsPressed); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // On green, so that white strokes show too.
    TRect r{0, 0, 50, 24};
    const TColor green = static_cast<TColor>(0x00C000);
    PaintSurface a(50, 24, green), b(50, 24, green);
    c.DrawIt(native(), a.cx(), r);
    c.DrawIt(standard(), b.cx(), r);
    EXPECT_GT(countNot(b.bmp, r, 0x00C000), 0);
    EXPECT_EQ(pixelDifferences(a.bmp, b.bmp), 0);
  }
  // The tree button falls back to the frame and sign without a fill.
  PaintSurface tree(9, 9);
  native()->DrawTreeExpandButton(tree.cx(), TRect{0, 0, 9, 9}, false, clRed, clLime);
  EXPECT_TRUE(PixelIs(tree.bmp, 0, 4, 0x0000FF)) << "framed in the frame colour";
  EXPECT_TRUE(PixelIs(tree.bmp, 1, 1, kWhite)) << "not filled";
  // Themed tabs are not drawn at all without the tab theme.
  PaintSurface tab(50, 20);
  native()->DrawTab(tab.cx(), TRect{0, 0, 50, 20}, cxBordersAll, "Tab", cxbsNormal, false, &font, clBlack, clBtnFace);
  EXPECT_EQ(countNot(tab.bmp, TRect{0, 0, 50, 20}, kWhite), 0);

  struct Metric {
    const char* Name;
    int Native, Expected;
  };
  const Metric metrics[] = {
      {"control border", native()->GetControlBorderWidth(), 2},
      {"button border", native()->GetButtonBorderWidth(cxbsNormal), 2},
      {"default button border", native()->GetButtonBorderWidth(cxbsDefault), 2},
      {"check box border", native()->GetCheckBoxBorderWidth(), 2},
      {"expand box", native()->GetExpandBoxSize(), 12},
      {"tree button", native()->GetTreeExpandButtonSize(), 9},
      {"group toggle", native()->GetGroupToggleButtonWidth(), 15},
      {"header edge", native()->GetHeaderEdgeWidth(), 1},
      {"footer content offset", native()->GetFooterCellContentOffset(), 1},
      {"check box size", int(native()->GetCheckBoxSize().cx), 13},
      {"close button height", int(native()->GetCloseButtonSize().cy), 14},
      {"auto-hide button width", int(native()->GetAutoHideButtonSize().cx), 16},
      {"tab frame", native()->GetTabFrameWidth(false), 1},
      {"whole tabs", int(native()->DrawsWholeTab(false)), 0},
  };
  for (const Metric& m : metrics) EXPECT_EQ(m.Native, m.Expected) << m.Name;
  EXPECT_EQ(rectText(native()->GetButtonGroupMargins(3, 0)), rectText(TRect{2, 2, 2, 2}));
  EXPECT_EQ(native()->GetButtonFaceColor(cxbsHot), clBtnFace);
  EXPECT_EQ(native()->GetButtonGlyphColor(cxbsDisabled), clBtnShadow);
  EXPECT_EQ(rectText(native()->GetButtonFocusBounds(nullptr, TRect{0, 0, 20, 20})), rectText(TRect{4, 4, 16, 16}));
}
