// A control drawing every painter element in every button state, shown on a real form,
// once for each painter: flat, standard, ultra-flat and native (with the light visual style
// switched on for that test). Each cell must show its element; the pictures are saved as
// cx_painter_gallery_<painter>.png (GUI_SCREENSHOT_DIR, else /tmp) for a person to look at.
#include <functional>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxStyles.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Themes.h"

using namespace guitest;

namespace {

const TcxButtonState kStates[] = {cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};
const int kCellW = 64, kCellH = 34, kLabelW = 96;
const TColor kBack = static_cast<TColor>(0xE0FFE0);

using DrawCell = std::function<void(TcxCustomLookAndFeelPainter*, TcxCanvas*, const TRect&, TcxButtonState)>;

struct Row {
  const char* Name;
  DrawCell Draw;
};

TRect centred(const TRect& cell, int w, int h) {
  int x = (cell.left + cell.right - w) / 2, y = (cell.top + cell.bottom - h) / 2;
  return TRect{x, y, x + w, y + h};
}

std::vector<Row> rows() {
  return {
      {"Caption button",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) { p->DrawCaptionButton(c, centred(r, 56, 24), "&OK", s); }},
      {"Arrow button",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) { p->DrawArrowButton(c, centred(r, 18, 18), s, adDown); }},
      {"Button arrow",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         p->DrawButtonBackground(c, centred(r, 18, 18), s);
         p->DrawButtonArrow(c, centred(r, 18, 18), s, adRight);
       }},
      {"Check box",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         p->DrawCheckBox(c, centred(r, 13, 13), s, true);
       }},
      {"Radio button",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect g = centred(r, 13, 13);
         p->DrawRadioButtonGlyph(c, g.left, g.top, s, true, false, kBack);
       }},
      {"Drop-down button",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         p->DrawDropDownButton(c, centred(r, 17, 20), s, s == cxbsHot);
       }},
      {"Close / plus",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 36, 14);
         p->DrawCloseButton(c, TRect{b.left, b.top, b.left + 16, b.bottom}, s);
         p->DrawPlusButton(c, TRect{b.left + 20, b.top, b.right, b.bottom}, s);
       }},
      {"Auto-hide",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         p->DrawAutoHideButton(c, centred(r, 20, 20), s, s == cxbsPressed ? 1 : 0);
       }},
      {"Header",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect h = centred(r, 60, 20);
         TFont font;
         font.SetName("Tahoma");
         font.SetSize(8);
         p->DrawHeaderCell(c, h, TRect{h.left + 3, h.top + 1, h.right - 12, h.bottom - 1}, TcxBorders(), cxBordersAll,
                           s, taLeftJustify, vaCenter, false, true, "Col", &font, clBtnText, clBtnFace);
         p->DrawSortArrow(c, TRect{h.right - 14, h.top, h.right - 2, h.bottom}, s != cxbsPressed);
         if (s == cxbsPressed) p->DrawHeaderPressed(c, h);
       }},
      {"Footer / indicator",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 60, 20);
         p->DrawFooterCell(c, TRect{b.left, b.top, b.left + 36, b.bottom}, taCenter, vaCenter, false, "12", nullptr,
                           clBtnText, clWindow);
         p->DrawIndicatorItem(c, TRect{b.left + 40, b.top, b.right, b.bottom},
                              static_cast<TcxIndicatorKind>(1 + static_cast<int>(s)), clBtnFace);
       }},
      {"Expand / tree",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 40, 12);
         TcxRegion* clip = c->GetClipRegion();
         p->DrawExpandBox(c, TRect{b.left, b.top, b.left + 12, b.bottom}, s == cxbsPressed);
         c->SetClipRegion(clip, roSet);
         p->DrawTreeExpandButton(c, TRect{b.left + 20, b.top + 1, b.left + 29, b.top + 10}, s == cxbsPressed,
                                 clBtnShadow, clWindow);
         p->DrawGroupToggleButton(c, TRect{b.right - 11, b.top - 2, b.right + 4, b.bottom + 2}, s == cxbsPressed, s);
       }},
      {"Scroll bar",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 60, 16);
         p->DrawScrollBarPart(c, true, TRect{b.left, b.top, b.left + 16, b.bottom}, sbpLineUp, s);
         p->DrawScrollBarPart(c, true, TRect{b.left + 16, b.top, b.left + 24, b.bottom}, sbpPageUp, s);
         p->DrawScrollBarPart(c, true, TRect{b.left + 24, b.top, b.left + 36, b.bottom}, sbpThumbnail, s);
         p->DrawScrollBarPart(c, true, TRect{b.left + 36, b.top, b.left + 44, b.bottom}, sbpPageDown, s);
         p->DrawScrollBarPart(c, true, TRect{b.left + 44, b.top, b.right, b.bottom}, sbpLineDown, s);
       }},
      {"Border / edges",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 56, 24);
         p->DrawControlBorder(c, TRect{b.left, b.top, b.left + 24, b.bottom});
         if (s == cxbsPressed)
           p->DrawSunkenEdge(c, TRect{b.left + 30, b.top, b.right, b.bottom});
         else
           p->DrawRaisedEdge(c, TRect{b.left + 30, b.top, b.right, b.bottom});
       }},
      {"Grouped buttons",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         // The middle button of three takes the column's state.
         TRect b = centred(r, 57, 20);
         for (int i = 0; i < 3; ++i)
           p->DrawGroupedButton(c, TRect{b.left + 19 * i, b.top, b.left + 19 * (i + 1), b.bottom},
                                i == 1 ? s : cxbsNormal, 3, i, clBtnShadow);
       }},
      {"Tabs",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 56, 24);
         TRect area{b.left, b.bottom - 4, b.right, b.bottom};
         p->DrawTabsBackground(c, area, TcxBorders{bTop}, false);
         TRect tab{b.left + 4, b.top, b.left + 40, b.bottom - 4 + (s == cxbsPressed ? 1 : 0)};
         TFont font;
         font.SetName("Tahoma");
         font.SetSize(8);
         if (p->DrawsWholeTab(false)) {
           p->DrawTab(c, tab, cxBordersAll, "Tab", s, false, &font, clBtnText, clBtnFace);
         } else {
           c->SetBrushColor(clBtnFace);
           c->Canvas()->FillRect(tab);
           for (int side = 0; side < 3; ++side) p->DrawTabFrame(c, tab, side, cxBordersAll, false);
           p->DrawHeaderContent(c, tab, tab, taCenter, vaCenter, false, false, "Tab", &font, clBtnText, clNone);
         }
         // A vertical tab beside it.
         TRect vertical{b.right - 12, b.top, b.right, b.bottom - 4};
         if (p->DrawsWholeTab(true))
           p->DrawTab(c, vertical, TcxBorders{bLeft, bTop, bBottom}, "", s, true, &font, clBtnText, clBtnFace);
         else
           for (int side = 0; side < 4; ++side) p->DrawTabFrame(c, vertical, side, cxBordersAll, true);
       }},
      {"Check / radio off",
       [](auto* p, auto* c, const TRect& r, TcxButtonState s) {
         TRect b = centred(r, 34, 13);
         p->DrawCheckBox(c, TRect{b.left, b.top, b.left + 13, b.bottom}, s, false);
         p->DrawRadioButtonGlyph(c, b.right - 13, b.top, s, false, s == cxbsHot, kBack);
       }},
  };
}

// Paints the gallery with the painter of its look-and-feel.
class TGalleryControl : public TcxControl {
  RTL_DECLARE_CLASS(TGalleryControl, TcxControl)
public:
  using TcxControl::TcxControl;
  TRect CellRect(int row, int col) const {
    int x = kLabelW + col * kCellW, y = 20 + row * kCellH;
    return TRect{x, y, x + kCellW, y + kCellH};
  }

protected:
  void Paint() override {
    TcxCanvas* c = GetCanvas();
    TcxCustomLookAndFeelPainter* p = GetPainter();
    c->SetBrushColor(kBack);
    Canvas()->FillRect(ClientRect());
    c->Font()->SetName("Tahoma");
    c->Font()->SetSize(8);
    c->Font()->SetColor(clBlack);
    static const char* stateNames[] = {"Default", "Normal", "Hot", "Pressed", "Disabled"};
    c->Brush()->SetStyle(bsClear);
    for (int col = 0; col < 5; ++col) {
      TRect r = CellRect(0, col);
      c->DrawFormattedText(stateNames[col], TRect{r.left, 2, r.right, 18}, cxAlignCenter | cxSingleLine);
    }
    std::vector<Row> all = rows();
    for (size_t row = 0; row < all.size(); ++row) {
      TRect label = CellRect(static_cast<int>(row), 0);
      c->Font()->SetColor(clBlack);
      c->Brush()->SetStyle(bsClear);
      c->DrawFormattedText(all[row].Name, TRect{4, label.top, kLabelW - 4, label.bottom},
                           cxAlignLeft | cxAlignVCenter | cxSingleLine);
      for (int col = 0; col < 5; ++col) {
        TRect cell = CellRect(static_cast<int>(row), col);
        // Painters fill with a solid brush: the labels above leave it clear.
        c->Brush()->SetStyle(bsSolid);
        c->Font()->SetColor(clBtnText);
        all[row].Draw(p, c, cell, kStates[col]);
        c->Brush()->SetStyle(bsSolid);
      }
    }
  }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TGalleryControl)

class PainterGallery : public GuiTest {
protected:
  void TearDown() override {
    if (FThemesSwitched) {
      SwitchTestVisualStyle(false);
      pumpFor(30);
    }
    cxRootLookAndFeel()->Reset();
    GuiTest::TearDown();
  }

  // Switches the light visual style on for this test; false when that is not possible.
  bool switchThemesOn() {
    if (dxCanUseThemes()) return true;
    FThemesSwitched = SwitchTestVisualStyle(true);
    pumpFor(30);
    return FThemesSwitched && dxCanUseThemes();
  }

  // Shows the gallery drawn by the painter of the kind (or the native painter), checks
  // that it is that painter and that every cell shows its element, and saves the picture.
  void Render(TcxLookAndFeelKind AKind, bool ANative, TcxCustomLookAndFeelPainter* AExpected, const char* AName) {
    cxRootLookAndFeel()->Reset();
    size_t rowCount = rows().size();
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(20, 20, kLabelW + 5 * kCellW + 40, 20 + static_cast<int>(rowCount) * kCellH + 60);
    form->SetCaption(std::string("Painter gallery: ") + AName);
    TGalleryControl* gallery = New<TGalleryControl>(form);
    gallery->SetParent(form);
    gallery->SetBounds(0, 0, kLabelW + 5 * kCellW + 8, 20 + static_cast<int>(rowCount) * kCellH + 8);
    gallery->LookAndFeel()->SetKind(AKind);
    gallery->LookAndFeel()->SetNativeStyle(ANative);
    ASSERT_EQ(gallery->GetPainter(), AExpected);
    showAndActivate(form);
    gallery->Repaint();
    pumpFor(50);
    TBitmap shot;
    captureClient(gallery, shot);
    std::string path = savePng(shot, std::string("cx_painter_gallery_") + AName);
    EXPECT_FALSE(path.empty()) << "the screenshot could not be written";

    uint32_t back = rgbOfColor(kBack);
    std::vector<Row> all = rows();
    for (size_t row = 0; row < all.size(); ++row)
      for (int col = 0; col < 5; ++col) {
        TRect cell = gallery->CellRect(static_cast<int>(row), col);
        EXPECT_GT(countNot(shot, cell, back), 20)
            << all[row].Name << " in state " << col << " drew (almost) nothing in " << rectText(cell);
      }
  }

private:
  bool FThemesSwitched = false;
};

TEST_F(PainterGallery, StandardPainterDrawsEveryElementInEveryState) {
  Render(lfStandard, false, TcxStandardLookAndFeelPainter::Instance(), "standard");
}

TEST_F(PainterGallery, FlatPainterDrawsEveryElementInEveryState) {
  Render(lfFlat, false, TcxFlatLookAndFeelPainter::Instance(), "flat");
}

TEST_F(PainterGallery, UltraFlatPainterDrawsEveryElementInEveryState) {
  Render(lfUltraFlat, false, TcxUltraFlatLookAndFeelPainter::Instance(), "ultraflat");
}

TEST_F(PainterGallery, NativePainterDrawsEveryElementInEveryState) {
  if (!switchThemesOn()) FAIL() << "the light visual style could not be switched on: themed drawing would go untested";
  Render(lfStandard, true, TcxWinXPLookAndFeelPainter::Instance(), "native");
}
