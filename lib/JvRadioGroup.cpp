#include "lib/JvRadioGroup.h"

#include <algorithm>

#include "lib/JvThemes.h"
#include "lib/JvUtils.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/Themes.h"

namespace {

// DrawEdge's line bits for the frame's inner and outer line.
UINT innerEdgeBits(TEdgeStyle Style) {
  switch (Style) {
    case esRaised: return BDR_RAISEDINNER;
    case esLowered: return BDR_SUNKENINNER;
    default: return 0;
  }
}

UINT outerEdgeBits(TEdgeStyle Style) {
  switch (Style) {
    case esRaised: return BDR_RAISEDOUTER;
    case esLowered: return BDR_SUNKENOUTER;
    default: return 0;
  }
}

// The edge set as DrawEdge's BF_LEFT, BF_TOP, BF_RIGHT, BF_BOTTOM bits (the same order).
UINT edgeFlags(TEdgeBorders Borders) { return static_cast<UINT>(Borders.ToBits()); }

}  // namespace

TJvRadioGroup::TJvRadioGroup(TComponent* AOwner) : TJvExRadioGroup(AOwner) {}

void TJvRadioGroup::SetEdgeBorders(TEdgeBorders Value) {
  if (edgeBorders_ == Value) return;
  edgeBorders_ = Value;
  Invalidate();
}

void TJvRadioGroup::SetEdgeInner(TEdgeStyle Value) {
  if (edgeInner_ == Value) return;
  edgeInner_ = Value;
  Invalidate();
}

void TJvRadioGroup::SetEdgeOuter(TEdgeStyle Value) {
  if (edgeOuter_ == Value) return;
  edgeOuter_ = Value;
  Invalidate();
}

void TJvRadioGroup::SetCaptionVisible(bool Value) {
  if (captionVisible_ == Value) return;
  captionVisible_ = Value;
  Invalidate();
}

bool TJvRadioGroup::CanModify() { return !readOnly_ && TJvExRadioGroup::CanModify(); }

void TJvRadioGroup::RaiseItemHint(Integer Index, std::string& HintStr) {
  if (onItemHint_) onItemHint_(this, Index, HintStr);
}

bool TJvRadioGroup::PrepareHint(THintInfo& HintInfo) {
  // The hint machinery keeps the cursor rectangle in screen coordinates.
  auto toScreen = [this](const TRect& R) {
    const TPoint topLeft = ClientToScreen(Point(R.left, R.top));
    return Rect(topLeft.x, topLeft.y, topLeft.x + (R.right - R.left), topLeft.y + (R.bottom - R.top));
  };
  HintInfo.HintStr = GetShortHint(Hint());
  HintInfo.CursorRect = toScreen(ClientRect());
  const Integer count = Items()->Count();
  if (count == 0) return false;
  // Items run down each column, as the buttons are placed.
  const Integer columns = std::max(1, Columns());
  const Integer rows = count / columns + (count % columns != 0 ? 1 : 0);
  const Integer itemHeight = Height() / rows;
  const Integer columnWidth = Width() / columns;
  if (itemHeight <= 0 || columnWidth <= 0) return false;
  const TPoint pos = HintInfo.CursorPos;
  if (pos.x < 0 || pos.y < 0) return false;
  const Integer column = pos.x / columnWidth;
  const Integer row = pos.y / itemHeight;
  // The strips left over below the last row and right of the last column belong to no
  // item (without this check a point below the first column's last item would name the
  // second column's first item).
  if (column >= columns || row >= rows) return false;
  const Integer index = rows * column + row;
  if (index >= count) return false;
  RaiseItemHint(index, HintInfo.HintStr);
  const TRect cell = Rect(column * columnWidth, row * itemHeight, (column + 1) * columnWidth, (row + 1) * itemHeight);
  HintInfo.CursorRect = toScreen(cell);
  return false;
}

void TJvRadioGroup::Paint() {
  if (ThemeServices()->ThemesEnabled()) paintThemed();
  else paintPlain();
}

void TJvRadioGroup::paintThemed() {
  TThemeServices* themes = ThemeServices();
  TCanvas* canvas = Canvas();
  // The control's font from the start, so that the caption is measured in the font it is
  // drawn in (and the frame's top follows that font too).
  canvas->SetFont(Font());
  const TThemedElementDetails details = themes->GetElementDetails(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled);
  TRect r = ClientRect();
  r.top += canvas->TextHeight("0") / 2;
  if (!edgeBorders_.Empty()) {
    // A missing edge is cut away by clipping the frame 3 pixels inside it.
    TRect clip = r;
    if (edgeBorders_ != TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom}) {
      if (!edgeBorders_.Contains(ebLeft)) clip.left += 3;
      if (!edgeBorders_.Contains(ebTop)) clip.top += 3;
      if (!edgeBorders_.Contains(ebRight)) clip.right -= 3;
      if (!edgeBorders_.Contains(ebBottom)) clip.bottom -= 3;
    }
    themes->DrawElement(canvas->Handle(), details, r, &clip);
  }
  if (!captionVisible_) return;
  const std::string text = Caption();
  const TRect t = Rect(8, 0, std::min(canvas->TextWidth(text) + 8, ClientWidth() - 8), canvas->TextHeight(text));
  if (ParentBackground()) {
    HBRUSH brush = Parent() ? Parent()->Brush()->Handle() : Brush()->Handle();
    JvFillThemedBackgroundDC(this, canvas->Handle(), t, brush, true);
  } else {
    canvas->Brush()->SetColor(Color());
    JvFillThemedBackground(this, canvas, t, false);
  }
  themes->DrawText(canvas->Handle(), details, text, t, 0, 0);
}

void TJvRadioGroup::paintPlain() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  const Integer h = canvas->TextHeight("0");
  TRect r = Rect(0, h / 2 - 1, Width(), Height());
  UINT flags = edgeFlags(edgeBorders_) | BF_ADJUST;
  if (!Ctl3D()) flags |= BF_MONO;
  DrawEdge(canvas->Handle(), &r, innerEdgeBits(edgeInner_) | outerEdgeBits(edgeOuter_), flags);
  const std::string text = Caption();
  if (text.empty() || !captionVisible_) return;
  const Integer left = UseRightToLeftAlignment() ? r.right - canvas->TextWidth(text) - 8 : 8;
  TRect captionRect = Rect(left, 0, left, h);
  const UINT textFlags = static_cast<UINT>(DrawTextBiDiModeFlags(DT_SINGLELINE));
  JvCanvasDrawText(canvas, text, -1, textFlags | DT_CALCRECT, captionRect);
  // The caption covers the frame line behind it with the control's colour.
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  HDC dc = canvas->Handle();
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Color())));
  SetBkMode(dc, OPAQUE);
  JvCanvasDrawText(canvas, text, -1, textFlags, captionRect);
}

RTL_BEGIN_CLASS(TJvRadioGroup)
  using T = TJvRadioGroup;
  b.Interface<IJvNoSubclassing>();
  PUBLISH(EdgeBorders).Default(TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom});
  PUBLISH(EdgeInner).Default(esRaised);
  PUBLISH(EdgeOuter).Default(esLowered);
  PUBLISH(CaptionVisible).Default(true);
  PUBLISH(ReadOnly).Default(false);
  PUBLISH(HintColor).Default(clDefault);
  PUBLISH(OnMouseEnter);
  PUBLISH(OnMouseLeave);
  PUBLISH(OnParentColorChange);
  PUBLISH(OnItemHint);
RTL_END_CLASS

namespace JvRadioGroupUnit {

namespace {
std::vector<TClass> unitClasses() { return {TJvRadioGroup::StaticClass()}; }
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() { UnRegisterClasses(unitClasses()); }

}  // namespace JvRadioGroupUnit
