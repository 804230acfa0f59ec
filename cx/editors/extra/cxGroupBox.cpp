#include "cx/editors/extra/cxGroupBox.h"

#include <algorithm>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/dxThemeManager.h"
#include "cx/foundation/dxUxTheme.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"
#include "platform/gui/StdCtrls.h"

namespace {

// The theme's group-box part of the button class and its states.
constexpr int themeGroupBoxPart = 4;
constexpr int themeGroupBoxNormal = 1;
constexpr int themeGroupBoxDisabled = 2;

Integer textHeightOf(TFont* AFont, const char* AText) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, AFont->Handle());
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, AText, static_cast<int>(strlen(AText)), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

void fillRect(HDC ADC, const TRect& R, TColor AColor) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(AColor));
  RECT r = R;
  FillRect(ADC, &r, brush);
  DeleteObject(brush);
}

void frameLine(HDC ADC, const TRect& R, TColor AColor) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(AColor));
  RECT r = R;
  FrameRect(ADC, &r, brush);
  DeleteObject(brush);
}

bool themedGroupBox(TcxCustomEdit* AEdit) {
  return AEdit->GetViewInfo() && AEdit->GetViewInfo()->NativeStyle && dxGetThemeHandle(totButton) != nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Properties, style, view data.

TClass TcxCustomGroupBoxProperties::GetEditClass() { return TcxCustomGroupBox::StaticClass(); }
TClass TcxCustomGroupBoxProperties::GetStyleClass() { return TcxGroupBoxStyle::StaticClass(); }
TClass TcxCustomGroupBoxProperties::GetViewDataClass() { return TcxGroupBoxViewData::StaticClass(); }
TClass TcxCustomGroupBoxProperties::GetViewInfoClass() { return TcxGroupBoxViewInfo::StaticClass(); }

void TcxGroupBoxStyle::RestoreDefaults() {
  TcxEditStyle::RestoreDefaults();
  auto* box = dynamic_cast<TcxCustomGroupBox*>(GetOwnerContainer());
  TColor assigned;
  bool controllerColor = StyleController() && StyleController()->Style() &&
                         StyleController()->Style()->FindAssignedColor(assigned);
  if (box && !controllerColor) box->SetParentColor(true);
}

TcxCustomGroupBox* TcxGroupBoxViewData::groupBox() const { return dynamic_cast<TcxCustomGroupBox*>(Edit); }

Integer TcxGroupBoxViewData::captionHeight() {
  TcxCustomGroupBox* box = groupBox();
  return box ? box->CaptionHeight() : 0;
}

TRect TcxGroupBoxViewData::GetBorderExtent() {
  TRect extent = TcxCustomEditViewData::GetBorderExtent();
  TcxCustomGroupBox* box = groupBox();
  if (IsInplace() || !box || box->Alignment() == alCenterCenter) return extent;
  const Integer h = captionHeight();
  switch (box->Alignment()) {
    case alTopLeft: case alTopCenter: case alTopRight: extent.top = h / 2 + 1; break;
    case alBottomLeft: case alBottomCenter: case alBottomRight: extent.bottom = h / 2 + 1; break;
    case alLeftTop: case alLeftCenter: case alLeftBottom: extent.left = h / 2; break;
    default: extent.right = h / 2; break;
  }
  return extent;
}

TRect TcxGroupBoxViewData::GetEditExtent(TcxCustomEditViewInfo*) {
  TRect extent = TcxCustomEditViewData::GetBorderExtent();
  TcxCustomGroupBox* box = groupBox();
  if (IsInplace() || !box || box->Alignment() == alCenterCenter) return extent;
  const Integer h = captionHeight() + 3;
  switch (box->Alignment()) {
    case alTopLeft: case alTopCenter: case alTopRight: extent.top = h; break;
    case alBottomLeft: case alBottomCenter: case alBottomRight: extent.bottom = h; break;
    case alLeftTop: case alLeftCenter: case alLeftBottom: extent.left = h; break;
    default: extent.right = h; break;
  }
  return extent;
}

bool TcxGroupBoxViewData::HasShadow() {
  TcxCustomGroupBox* box = groupBox();
  if (box) {
    TcxCaptionAlignment a = box->Alignment();
    bool shadowSide = a <= alTopRight || (a >= alLeftTop && a <= alLeftBottom) || a == alCenterCenter;
    if (!shadowSide) return false;
  }
  return TcxCustomEditViewData::HasShadow();
}

void TcxGroupBoxViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                    TcxMouseButton AButton, TShiftState AShift, TcxCustomEditViewInfo* AViewInfo,
                                    bool AIsMouseEvent) {
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  if (IsInplace()) return;
  const Integer w = cxGetBorderWidth(AViewInfo->BorderStyle);
  AViewInfo->BorderRect = TRect{ABounds.left + w, ABounds.top + w, ABounds.right - w, ABounds.bottom - w};
  if (AViewInfo->Shadow) {
    AViewInfo->BorderRect.right -= cxContainerShadowWidth;
    AViewInfo->BorderRect.bottom -= cxContainerShadowWidth;
  }
}

TcxContainerBorderStyle TcxGroupBoxViewData::GetContainerBorderStyle(Integer AHotState) {
  if (IsInplace()) return cbsNone;
  static const TcxContainerBorderStyle table[3][6] = {
      {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
      {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
      {cbsFlat, cbsThick, cbsThick, cbsFlat, cbs3D, cbsSingle},
  };
  Integer row = std::clamp<Integer>(AHotState, 0, 2);
  return table[row][static_cast<Integer>(GetStyle()->GetBorderStyle())];
}

// ---------------------------------------------------------------------------------------
// The group box.

TcxCustomGroupBox::TcxCustomGroupBox(TComponent* AOwner) : TcxCustomEdit(AOwner), FCaptionFont(std::make_unique<TFont>()) {
  controlStyle_.Include(csAcceptsControls);
  controlStyle_.Include(csCaptureMouse);
  controlStyle_.Include(csClickEvents);
  SetParentColor(true);
  SetWidth(185);
  SetHeight(105);
  SetTabStop(false);
}

TcxCustomGroupBox::~TcxCustomGroupBox() = default;

void TcxCustomGroupBox::AfterConstruction() {
  TcxCustomEdit::AfterConstruction();
  SetAutoSize(false);
  UpdateCaptionFont();
  UpdateVisibleCaption();
}

void TcxCustomGroupBox::SetAlignment(TcxCaptionAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  UpdateCaptionFont();
  UpdateVisibleCaption();
  RefreshAtCursor(false);
  Realign();
  Invalidate();
}

Integer TcxCustomGroupBox::CaptionHeight() { return textHeightOf(FCaptionFont.get(), "Qq"); }

void TcxCustomGroupBox::UpdateCaptionFont() {
  if (IsInplace()) return;
  FCaptionFont->Assign(GetStyle() ? GetStyle()->Font() : Font());
  if (!cxIsVerticalCaption(FAlignment)) return;
  LOGFONTA lf{};
  GetObjectA(FCaptionFont->Handle(), sizeof(lf), &lf);
  // Only outline fonts turn; a raster font becomes Arial first.
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FCaptionFont->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (!(tm.tmPitchAndFamily & TMPF_TRUETYPE)) lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
  const LONG angle = FAlignment <= alLeftBottom ? 900 : 2700;
  if (lf.lfEscapement == angle && (tm.tmPitchAndFamily & TMPF_TRUETYPE)) return;
  lf.lfEscapement = angle;
  lf.lfOrientation = angle;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  FCaptionFont->SetHandle(CreateFontIndirectA(&lf));
}

void TcxCustomGroupBox::UpdateVisibleCaption() {
  FVisibleCaption = cxIsVerticalCaption(FAlignment) ? cxRemoveAccelChars(Caption()) : Caption();
}

void TcxCustomGroupBox::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  UpdateVisibleCaption();
  RefreshAtCursor(false);
  Invalidate();
}

void TcxCustomGroupBox::StyleChanged(TObject* Sender) {
  UpdateCaptionFont();
  TcxCustomEdit::StyleChanged(Sender);
}

void TcxCustomGroupBox::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  TcxCustomEdit::LookAndFeelChanged(Sender, AChangedValues);
  Invalidate();
}

void TcxCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData());
  InitializeViewData(viewData.get());
  TRect extent = viewData->GetEditExtent(GetViewInfo());
  Rect = TRect{extent.left, extent.top, Width() - extent.right, Height() - extent.bottom};
}

void TcxCustomGroupBox::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    FIsAccelCharHandling = true;
    SelectFirst();
    FIsAccelCharHandling = false;
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TcxCustomGroupBox::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  if (themedGroupBox(this)) {
    if (dxIsThemeBackgroundPartiallyTransparent(dxGetThemeHandle(totButton), themeGroupBoxPart, themeGroupBoxNormal)) {
      RECT r = ClientRect();
      dxDrawThemeParentBackground(WindowHandle(), Message.DC, &r);
    }
  } else if (Message.DC != GetCanvas()->Handle()) {
    fillRect(Message.DC, ClientRect(), backgroundColor());
  }
  Message.Result = 1;
}

TColor TcxCustomGroupBox::backgroundColor() {
  return GetStyle() ? GetStyle()->GetVisibleColor() : Color();
}

void TcxCustomGroupBox::drawFrame(TcxCanvas* ACanvas, const TRect& ACaptionRect, Integer h) {
  HDC dc = ACanvas->Canvas()->Handle();
  const TRect bounds{0, 0, Width(), Height()};
  const bool hasCaption = !FVisibleCaption.empty() && FAlignment != alCenterCenter;
  TcxCustomEditViewInfo* vi = GetViewInfo();

  if (themedGroupBox(this)) {
    TRect r = bounds;
    switch (FAlignment) {
      case alTopLeft: case alTopCenter: case alTopRight: r.top += h / 2; break;
      case alBottomLeft: case alBottomCenter: case alBottomRight: r.bottom -= h / 2; break;
      case alLeftTop: case alLeftCenter: case alLeftBottom: r.left += h / 2; break;
      case alRightTop: case alRightCenter: case alRightBottom: r.right -= h / 2; break;
      default: break;
    }
    TdxTheme theme = dxGetThemeHandle(totButton);
    const int state = Enabled() ? themeGroupBoxNormal : themeGroupBoxDisabled;
    RECT all = bounds;
    if (ParentBackground() && dxIsThemeBackgroundPartiallyTransparent(theme, themeGroupBoxPart, state))
      dxDrawThemeParentBackground(WindowHandle(), dc, &all);
    else
      fillRect(dc, bounds, backgroundColor());
    int saved = SaveDC(dc);
    if (hasCaption) ExcludeClipRect(dc, ACaptionRect.left, ACaptionRect.top, ACaptionRect.right, ACaptionRect.bottom);
    RECT rr = r;
    dxDrawThemeBackground(theme, dc, themeGroupBoxPart, state, &rr, nullptr);
    RestoreDC(dc, saved);
    FFrameRect = r;
    return;
  }

  // The frame line sits in the middle of the caption on the caption's edge.
  TcxContainerBorderStyle style = vi ? vi->BorderStyle : cbsSingle;
  const Integer bw = cxGetBorderWidth(style);
  TRect frame = bounds;
  const Integer band = std::max<Integer>(h / 2 - bw + 1, 0);
  const TColor bk = backgroundColor();
  switch (FAlignment) {
    case alTopLeft: case alTopCenter: case alTopRight:
      fillRect(dc, TRect{0, 0, Width(), band}, bk);
      frame.top = band;
      break;
    case alBottomLeft: case alBottomCenter: case alBottomRight:
      fillRect(dc, TRect{0, Height() - band, Width(), Height()}, bk);
      frame.bottom -= band;
      break;
    case alLeftTop: case alLeftCenter: case alLeftBottom:
      fillRect(dc, TRect{0, 0, band, Height()}, bk);
      frame.left = band;
      break;
    case alRightTop: case alRightCenter: case alRightBottom:
      fillRect(dc, TRect{Width() - band, 0, Width(), Height()}, bk);
      frame.right -= band;
      break;
    default: break;
  }
  if (vi && vi->Shadow) {
    cxDrawContainerShadow(ACanvas, frame);
    frame.right -= cxContainerShadowWidth;
    frame.bottom -= cxContainerShadowWidth;
  }
  int saved = SaveDC(dc);
  if (hasCaption) ExcludeClipRect(dc, ACaptionRect.left, ACaptionRect.top, ACaptionRect.right, ACaptionRect.bottom);
  const TColor borderColor = vi ? vi->BorderColor : clWindowFrame;
  switch (style) {
    case cbsSingle:
    case cbsUltraFlat:
      frameLine(dc, frame, borderColor);
      break;
    case cbsThick:
      frameLine(dc, frame, borderColor);
      frameLine(dc, TRect{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1}, borderColor);
      break;
    case cbsFlat:
      frameLine(dc, frame, clBtnShadow);
      frameLine(dc, TRect{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1}, clBtnHighlight);
      break;
    case cbs3D:
      if (Ctl3D()) {
        RECT r = frame;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
      } else {
        frameLine(dc, frame, clWindowFrame);
      }
      break;
    default: break;
  }
  RestoreDC(dc, saved);
  TRect inside{frame.left + bw, frame.top + bw, frame.right - bw, frame.bottom - bw};
  if (style == cbsNone) inside = frame;
  int saved2 = SaveDC(dc);
  // Child buttons paint themselves: the inside fill leaves them alone.
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible()) ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
  }
  if (hasCaption) ExcludeClipRect(dc, ACaptionRect.left, ACaptionRect.top, ACaptionRect.right, ACaptionRect.bottom);
  fillRect(dc, inside, bk);
  RestoreDC(dc, saved2);
  FFrameRect = frame;
}

void TcxCustomGroupBox::Paint() {
  TcxCanvas* canvas = GetCanvas();
  HDC dc = canvas->Canvas()->Handle();
  const TColor bk = backgroundColor();
  if (IsInplace()) {
    fillRect(dc, TRect{0, 0, Width(), Height()}, bk);
    return;
  }
  canvas->Canvas()->Font()->Assign(FCaptionFont.get());
  TColor textColor = GetStyle() ? GetStyle()->Font()->Color() : Font()->Color();
  if (themedGroupBox(this)) {
    COLORREF c;
    if (SUCCEEDED(dxGetThemeColor(dxGetThemeHandle(totButton), themeGroupBoxPart,
                                  Enabled() ? themeGroupBoxNormal : themeGroupBoxDisabled, 3803 /* the text colour property */, &c)))
      textColor = static_cast<TColor>(c);
  } else if (!Enabled()) {
    textColor = clBtnShadow;
  }
  canvas->Canvas()->Font()->SetColor(textColor);

  const Integer h = CaptionHeight();
  if (FVisibleCaption.empty()) {
    FCaptionRect = TRect{0, 0, 0, 0};
    drawFrame(canvas, FCaptionRect, h);
    return;
  }
  const bool vertical = cxIsVerticalCaption(FAlignment);
  UINT flags = DT_SINGLELINE | static_cast<UINT>(DrawTextBiDiModeFlags(0));
  if (vertical) flags |= DT_NOPREFIX;
  // The width of the caption measured along its reading direction, in the unturned font.
  TFont plain;
  plain.Assign(GetStyle() ? GetStyle()->Font() : Font());
  HGDIOBJ old = SelectObject(dc, plain.Handle());
  RECT m{0, 0, 0, 0};
  DrawTextA(dc, FVisibleCaption.c_str(), static_cast<int>(FVisibleCaption.size()), &m, flags | DT_CALCRECT);
  SelectObject(dc, old);
  const Integer w = m.right - m.left;
  const Integer n = (GetViewInfo() && GetViewInfo()->Shadow) ? 3 : 0;
  const Integer W = Width(), H = Height();
  TRect r{8, 0, 8 + w, h};
  switch (FAlignment) {
    case alTopCenter: case alBottomCenter: case alCenterCenter: r.left = (W - n - w) / 2; break;
    case alTopRight: case alBottomRight: r.left = W - w - 8 - n; break;
    default: break;
  }
  r.right = r.left + w;
  if (FAlignment >= alBottomLeft && FAlignment <= alBottomRight) {
    r.top = H - h - 2;
    r.bottom = r.top + h;
  } else if (FAlignment == alCenterCenter) {
    r.top = (H - n - h) / 2;
    r.bottom = r.top + h;
  }
  if (vertical) {
    Integer B, T;
    switch (FAlignment) {
      case alLeftTop: r = TRect{-1, 8, h - 1, 8 + w}; break;
      case alLeftCenter:
        B = H - n - (H - n - w) / 2;
        r = TRect{-1, B - w, h - 1, B};
        break;
      case alLeftBottom:
        B = H - n - 8;
        r = TRect{-1, B - w, h - 1, B};
        break;
      case alRightTop: r = TRect{W - h + 1, 8, W + 1, 8 + w}; break;
      case alRightCenter:
        T = (H - w) / 2;
        r = TRect{W - h + 1, T, W + 1, T + w};
        break;
      default:
        B = H - 8;
        r = TRect{W - h + 1, B - w, W + 1, B};
        break;
    }
  }
  FCaptionRect = r;
  drawFrame(canvas, r, h);

  const bool themed = themedGroupBox(this);
  old = SelectObject(dc, FCaptionFont->Handle());
  SetTextColor(dc, ColorToRGB(textColor));
  if (!vertical) {
    SetBkMode(dc, themed ? TRANSPARENT : OPAQUE);
    SetBkColor(dc, ColorToRGB(bk));
    RECT tr = r;
    DrawTextA(dc, FVisibleCaption.c_str(), static_cast<int>(FVisibleCaption.size()), &tr, flags);
  } else {
    SetBkColor(dc, ColorToRGB(bk));
    SetBkMode(dc, themed ? TRANSPARENT : OPAQUE);
    const bool left = FAlignment <= alLeftBottom;
    RECT clip = r;
    UINT eto = ETO_CLIPPED | (themed ? 0 : ETO_OPAQUE);
    ExtTextOutA(dc, left ? r.left : r.right, left ? r.bottom - 1 : r.top + 1, eto, &clip, FVisibleCaption.c_str(),
                static_cast<UINT>(FVisibleCaption.size()), nullptr);
  }
  SelectObject(dc, old);
  canvas->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------------------
// Button group items.

TcxButtonGroupItem::TcxButtonGroupItem(TCollection* Collection) : TCollectionItem(nullptr) {
  if (!Collection) return;
  auto* items = dynamic_cast<TcxButtonGroupItems*>(Collection);
  if (items) items->SetItemMoving(true);
  SetCollection(Collection);
  if (items) {
    items->SetItemMoving(false);
    items->NotifyItem(Index(), bgiaAdded);
  }
}

TcxButtonGroupItem::~TcxButtonGroupItem() {
  auto* items = dynamic_cast<TcxButtonGroupItems*>(Collection());
  if (!items) return;
  const Integer index = Index();
  items->SetItemMoving(true);
  SetCollection(nullptr);
  items->SetItemMoving(false);
  items->NotifyItem(index, bgiaDeleted);
}

void TcxButtonGroupItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxButtonGroupItem*>(Source)) {
    SetCaption(src->Caption());
    SetEnabled(src->Enabled());
    return;
  }
  TCollectionItem::Assign(Source);
}

void TcxButtonGroupItem::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  if (auto* items = dynamic_cast<TcxButtonGroupItems*>(Collection())) items->NotifyItem(Index(), bgiaChanged);
}

void TcxButtonGroupItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (auto* items = dynamic_cast<TcxButtonGroupItems*>(Collection())) items->NotifyItem(Index(), bgiaChanged);
}

void TcxButtonGroupItems::NotifyItem(Integer AIndex, TcxButtonGroupItemAction AAction) {
  if (UpdateCount() > 0) return;  // a bulk change resynchronises by count at its end
  ScopedRestore<bool> notifying(FNotifying);
  FNotifying = true;
  FNotifyIndex = AIndex;
  FNotifyAction = AAction;
  propertiesChanged();
}

void TcxButtonGroupItems::Update(TCollectionItem*) {
  if (!FNotifying && !FItemMoving) propertiesChanged();
}

void TcxButtonGroupItems::propertiesChanged() {
  if (auto* properties = dynamic_cast<TcxCustomEditProperties*>(GetOwner())) properties->Changed();
}

// ---------------------------------------------------------------------------------------
// Button group properties.

TcxCustomButtonGroupProperties::TcxCustomButtonGroupProperties(TPersistent* AOwner)
    : TcxCustomGroupBoxProperties(AOwner) {}

TcxCustomButtonGroupProperties::~TcxCustomButtonGroupProperties() = default;

void TcxCustomButtonGroupProperties::AfterConstruction() {
  TcxCustomGroupBoxProperties::AfterConstruction();
  FItems.reset(CreateItems());
}

TcxButtonGroupItems* TcxCustomButtonGroupProperties::CreateItems() {
  return new TcxButtonGroupItems(this, TcxButtonGroupItem::StaticClass());
}

Integer TcxCustomButtonGroupProperties::GetColumnCount() {
  const Integer n = FItems ? FItems->Count() : 0;
  Integer c = std::min(FColumns, n);
  if (n == 0) return c;
  if (c == 0) c = 1;
  const Integer rows = (n + c - 1) / c;
  return (n + rows - 1) / rows;
}

void TcxCustomButtonGroupProperties::SetColumns(Integer Value) {
  if (Value < 1) Value = 1;
  if (FColumns == Value) return;
  FColumns = Value;
  Changed();
}

void TcxCustomButtonGroupProperties::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Changed();
}

void TcxCustomButtonGroupProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomButtonGroupProperties*>(Source);
  if (!src) {
    TcxCustomGroupBoxProperties::Assign(Source);
    return;
  }
  UpdateLock lock(this);
  TcxCustomGroupBoxProperties::Assign(Source);
  SetColumns(src->Columns());
  FItems->Assign(src->Items());
  SetWordWrap(src->WordWrap());
}

// ---------------------------------------------------------------------------------------
// Button group.

TcxCustomButtonGroup::TcxCustomButtonGroup(TComponent* AOwner) : TcxCustomGroupBox(AOwner) { SetTabStop(true); }

TcxCustomButtonGroup::~TcxCustomButtonGroup() {
  // The buttons are components of the group; they unregister themselves as they go.
  while (!FButtons.empty()) delete FButtons.back();
}

void TcxCustomButtonGroup::removeButton(TWinControl* AButton) {
  auto it = std::find(FButtons.begin(), FButtons.end(), AButton);
  if (it != FButtons.end()) FButtons.erase(it);
}

Integer TcxCustomButtonGroup::FocusedButtonIndex() {
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Buttons(i)->Focused()) return i;
  return -1;
}

Integer TcxCustomButtonGroup::RowCount() {
  const Integer columns = std::max<Integer>(GetButtonGroupProperties()->GetColumnCount(), 1);
  return (ButtonCount() + columns - 1) / columns;
}

TRect TcxCustomButtonGroup::ButtonRect(Integer AIndex) {
  if (AIndex < 0 || AIndex >= static_cast<Integer>(FButtonRects.size())) return TRect{0, 0, 0, 0};
  return FButtonRects[static_cast<size_t>(AIndex)];
}

void TcxCustomButtonGroup::SynchronizeButtons(Integer ACount) {
  TcxButtonGroupItems* items = GetButtonGroupProperties()->Items();
  if (items->IsNotifying() && ButtonCount() + (items->NotifyAction() == bgiaAdded ? 1 : 0) -
                                      (items->NotifyAction() == bgiaDeleted ? 1 : 0) == ACount) {
    switch (items->NotifyAction()) {
      case bgiaAdded: {
        TWinControl* button = CreateButton();
        InitializeButton(button);
        // Created at the end; moved to the item's index.
        auto it = std::find(FButtons.begin(), FButtons.end(), button);
        if (it != FButtons.end()) {
          FButtons.erase(it);
          Integer at = std::clamp<Integer>(items->NotifyIndex(), 0, ButtonCount());
          FButtons.insert(FButtons.begin() + at, button);
        }
        return;
      }
      case bgiaDeleted: {
        const Integer at = items->NotifyIndex();
        if (at >= 0 && at < ButtonCount()) delete FButtons[static_cast<size_t>(at)];
        return;
      }
      default: return;
    }
  }
  while (ButtonCount() > ACount) delete FButtons.back();
  while (ButtonCount() < ACount) InitializeButton(CreateButton());
}

void TcxCustomButtonGroup::InitializeButton(TWinControl* AButton) {
  AButton->SetParentShowHint(false);
  AButton->SetVisible(Visible());
  AButton->SetParent(this);
  AButton->SetParentColor(true);
  AButton->SetOnMouseDown(TMouseEvent(this, &TcxCustomButtonGroup::buttonMouseDown));
  AButton->SetOnMouseMove(TMouseMoveEvent(this, &TcxCustomButtonGroup::buttonMouseMove));
  AButton->SetOnMouseUp(TMouseEvent(this, &TcxCustomButtonGroup::buttonMouseUp));
  AButton->SetOnKeyDown(TKeyEvent(this, &TcxCustomButtonGroup::buttonKeyDown));
  AButton->SetOnKeyPress(TKeyPressEvent(this, &TcxCustomButtonGroup::buttonKeyPress));
  AButton->SetOnKeyUp(TKeyEvent(this, &TcxCustomButtonGroup::buttonKeyUp));
  AButton->SetOnDragDrop(TDragDropEvent(this, &TcxCustomButtonGroup::buttonDragDrop));
  AButton->SetOnDragOver(TDragOverEvent(this, &TcxCustomButtonGroup::buttonDragOver));
  AButton->SetOnMouseWheel(TMouseWheelEvent(this, &TcxCustomButtonGroup::buttonMouseWheel));
}

void TcxCustomButtonGroup::UpdateButtons() {
  SynchronizeButtons(GetButtonGroupProperties()->Items()->Count());
  RefreshAtCursor(false);
  ArrangeButtons();
  TcxButtonGroupItems* items = GetButtonGroupProperties()->Items();
  for (Integer i = 0; i < ButtonCount() && i < items->Count(); ++i)
    Buttons(i)->SetEnabled(Enabled() && items->Items(i)->Enabled());
}

bool TcxCustomButtonGroup::RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                            bool AIsMouseEvent) {
  bool result = TcxCustomGroupBox::RefreshContainer(P, AButton, AShift, AIsMouseEvent);
  if (!AIsMouseEvent) ArrangeButtons();
  return result;
}

void TcxCustomButtonGroup::ArrangeButtons() {
  if (FArranging) return;
  ScopedRestore<bool> arranging(FArranging);
  FArranging = true;
  FButtonRects.assign(static_cast<size_t>(ButtonCount()), TRect{0, 0, 0, 0});
  if (ButtonCount() == 0) return;
  TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData());
  InitializeViewData(viewData.get());
  const TRect E = viewData->GetEditExtent(GetViewInfo());
  const Integer columns = std::max<Integer>(GetButtonGroupProperties()->GetColumnCount(), 1);
  const Integer R = RowCount();
  // Radio-button metrics: left offset and width addition outside in-place use.
  const Integer leftOffset = IsInplace() ? 1 : 6, widthAddition = IsInplace() ? -2 : -6, columnGap = 0;
  const Integer columnWidth = (Width() - E.left - E.right + widthAddition - (columns - 1) * columnGap) / columns;
  const Integer available = Height() - E.top - E.bottom;
  const Integer rowHeight = available / R;
  Integer firstTop = E.top;
  if (!IsInplace() && !VisibleCaption().empty()) firstTop = E.top - 2 + (available % R) / 2;
  for (Integer i = 0; i < ButtonCount(); ++i) {
    const Integer column = i / R, row = i % R;
    TRect r;
    r.left = (columnWidth + columnGap) * column + E.left + leftOffset;
    r.top = rowHeight * row + firstTop;
    r.right = r.left + columnWidth;
    r.bottom = r.top + rowHeight;
    FButtonRects[static_cast<size_t>(i)] = r;
    TWinControl* button = Buttons(i);
    button->SetBiDiMode(BiDiMode());
    button->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    button->SetCursor(Cursor());
    button->SetVisible(true);
  }
}

bool TcxCustomButtonGroup::Focused() {
  if (TcxCustomGroupBox::Focused()) return true;
  for (TWinControl* b : FButtons)
    if (b->Focused()) return true;
  return false;
}

void TcxCustomButtonGroup::GetTabOrderList(TList* List) {
  TcxCustomGroupBox::GetTabOrderList(List);
  if (Focused()) List->Remove(this);
}

void TcxCustomButtonGroup::PropertiesChanged(TObject* Sender) {
  TcxCustomGroupBox::PropertiesChanged(Sender);
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading)) UpdateButtons();
}

void TcxCustomButtonGroup::CreateWnd() {
  TcxCustomGroupBox::CreateWnd();
  UpdateButtons();
}

void TcxCustomButtonGroup::Loaded() {
  TcxCustomGroupBox::Loaded();
  UpdateButtons();
}

void TcxCustomButtonGroup::StyleChanged(TObject* Sender) {
  TcxCustomGroupBox::StyleChanged(Sender);
  if (!Creating() && GetProperties()) UpdateButtons();
}

void TcxCustomButtonGroup::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  UpdateButtons();
}

void TcxCustomButtonGroup::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const Integer i = FocusedButtonIndex();
  if (i >= 0) {
    const Integer R = std::max<Integer>(RowCount(), 1);
    const Integer column = i / R, row = i % R;
    const Integer count = ButtonCount();
    // A shorter last column holds fewer rows.
    const Integer rowsHere = std::min(R, count - column * R);
    Integer target = -1;
    switch (Key) {
      case VK_LEFT: if (column > 0) target = i - R; break;
      case VK_UP: if (row > 0) target = i - 1; break;
      case VK_RIGHT: if (i + R < count) target = i + R; break;
      case VK_DOWN: if (row < rowsHere - 1) target = i + 1; break;
      default: break;
    }
    if (Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN) {
      if (target >= 0 && Buttons(target)->CanFocus()) Buttons(target)->SetFocus();
      Key = 0;
    }
  }
  TcxCustomGroupBox::DoEditKeyDown(Key, Shift);
}

void TcxCustomButtonGroup::buttonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                           Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  ScopedRestore<bool> down(FButtonMouseDown);
  FButtonMouseDown = true;
  MouseDown(Button, Shift, X + c->Left(), Y + c->Top());
}

void TcxCustomButtonGroup::buttonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  MouseMove(Shift, X + c->Left(), Y + c->Top());
}

void TcxCustomButtonGroup::buttonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                         Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  MouseUp(Button, Shift, X + c->Left(), Y + c->Top());
}

void TcxCustomButtonGroup::buttonKeyDown(TObject*, Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
void TcxCustomButtonGroup::buttonKeyPress(TObject*, char& Key) { KeyPress(Key); }
void TcxCustomButtonGroup::buttonKeyUp(TObject*, Word& Key, TShiftState Shift) { KeyUp(Key, Shift); }

void TcxCustomButtonGroup::buttonDragDrop(TObject* Sender, TObject* Source, Integer X, Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  DragDrop(Source, X + c->Left(), Y + c->Top());
}

void TcxCustomButtonGroup::buttonDragOver(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State,
                                          bool& Accept) {
  auto* c = static_cast<TControl*>(Sender);
  DragOver(Source, X + c->Left(), Y + c->Top(), State, Accept);
}

// ---------------------------------------------------------------------------------------

RTL_IMPLEMENT_CLASS(TcxCustomGroupBoxProperties)
RTL_IMPLEMENT_CLASS(TcxGroupBoxStyle)
RTL_IMPLEMENT_CLASS(TcxGroupBoxViewInfo)
RTL_IMPLEMENT_CLASS(TcxGroupBoxViewData)
RTL_IMPLEMENT_CLASS(TcxButtonGroupItems)
RTL_IMPLEMENT_CLASS(TcxCustomButtonGroupProperties)

RTL_BEGIN_CLASS(TcxCustomGroupBox)
  b.Message(CM_TEXTCHANGED, &TcxCustomGroupBox::CMTextChanged);
  b.Message(CM_DIALOGCHAR, &TcxCustomGroupBox::CMDialogChar);
  b.Message(WM_ERASEBKGND, &TcxCustomGroupBox::WMEraseBkgnd);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxButtonGroupItem)
  using T = TcxButtonGroupItem;
  PUBLISH(Caption);
  PUBLISH(Tag).Default(0);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxCustomButtonGroup)
  b.Message(CM_ENABLEDCHANGED, &TcxCustomButtonGroup::CMEnabledChanged);
RTL_END_CLASS
