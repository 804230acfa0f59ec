// A control drawing every standard-painter element in every button state, shown on a
// real form. Each cell must show its element; the picture is saved as
// cx_painter_gallery.png (GUI_SCREENSHOT_DIR, else /tmp) for a person to look at.
#include <functional>
#include <string>
#include <vector>

#include "CxTestHelpers.h"
#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxStyles.h"
#include "platform/gui/GuiTestSupport.h"

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
        c->Font()->SetColor(clBtnText);
        all[row].Draw(p, c, cell, kStates[col]);
        c->Brush()->SetStyle(bsSolid);
      }
    }
  }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TGalleryControl)

class PainterGallery : public GuiTest {};

TEST_F(PainterGallery, StandardPainterDrawsEveryElementInEveryState) {
  cxRootLookAndFeel()->Reset();
  size_t rowCount = rows().size();
  TForm* form = own(New<TForm>(nullptr, 0));
  form->SetBounds(20, 20, kLabelW + 5 * kCellW + 40, 20 + static_cast<int>(rowCount) * kCellH + 60);
  form->SetCaption("Standard painter");
  TGalleryControl* gallery = New<TGalleryControl>(form);
  gallery->SetParent(form);
  gallery->SetBounds(0, 0, kLabelW + 5 * kCellW + 8, 20 + static_cast<int>(rowCount) * kCellH + 8);
  gallery->LookAndFeel()->SetKind(lfStandard);
  gallery->LookAndFeel()->SetNativeStyle(std::getenv("CX_GALLERY_NATIVE") != nullptr);
  showAndActivate(form);
  gallery->Repaint();
  pumpFor(50);
  TBitmap shot;
  captureClient(gallery, shot);
  std::string name = dxCanUseThemes() && gallery->LookAndFeel()->NativeStyle() ? "cx_painter_gallery_themed"
                                                                               : "cx_painter_gallery";
  std::string path = savePng(shot, name);
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
