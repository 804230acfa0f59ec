#include "cx/editors/cxDropDownEdit.h"

#include <algorithm>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxVariants.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/MessageIds.h"
#include "platform/rtl/Scoped.h"

namespace {

// The shadow a popup casts at its right and bottom.
constexpr Integer popupShadowWidth = 3;

// The one sizing drag that can run, over all popups: the popup, the dragged directions, the
// cursor's offsets from the dragged edges and the band shown.
struct SizingState {
  TcxCustomEditPopupWindow* Popup = nullptr;
  Integer DirX = 0;
  Integer DirY = 0;
  Integer OffsetX = 0;
  Integer OffsetY = 0;
  TRect Band{0, 0, 0, 0};
  HWND BandWindow = nullptr;
};
SizingState& sizing() {
  static SizingState state;
  return state;
}

// The band is a frame-shaped top-level window: drawing on the screen's device context
// does not show on every display server, a window of its own always does.
void showBand(const TRect& R, Integer AThickness) {
  SizingState& s = sizing();
  s.Band = R;
  if (IsRectEmpty(&R)) {
    if (s.BandWindow) ShowWindow(s.BandWindow, SW_HIDE);
    return;
  }
  if (!s.BandWindow)
    s.BandWindow = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC", "",
                                   WS_POPUP | SS_GRAYRECT, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                                   nullptr);
  if (!s.BandWindow) return;
  const Integer w = R.right - R.left, h = R.bottom - R.top;
  HRGN outer = CreateRectRgn(0, 0, w, h);
  HRGN inner = CreateRectRgn(AThickness, AThickness, w - AThickness, h - AThickness);
  CombineRgn(outer, outer, inner, RGN_DIFF);
  DeleteObject(inner);
  SetWindowPos(s.BandWindow, HWND_TOPMOST, R.left, R.top, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetWindowRgn(s.BandWindow, outer, TRUE);  // the window owns the region now
}

void destroyBand() {
  SizingState& s = sizing();
  if (s.BandWindow) DestroyWindow(s.BandWindow);
  s.BandWindow = nullptr;
  s.Band = TRect{0, 0, 0, 0};
}

Integer width(const TRect& R) { return R.right - R.left; }
Integer height(const TRect& R) { return R.bottom - R.top; }

TcxLookAndFeelKind kindOfButtonStyle(TcxEditButtonStyle AStyle) {
  switch (AStyle) {
    case btsFlat:
    case btsSimple:
    case btsHotFlat: return lfFlat;
    case btsUltraFlat: return lfUltraFlat;
    default: return lfStandard;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxCustomEditPopupWindowViewInfo.

RTL_IMPLEMENT_CLASS(TcxCustomEditPopupWindowViewInfo)
RTL_IMPLEMENT_CLASS(TcxPopupEditPopupWindowViewInfo)

Integer TcxCustomEditPopupWindowViewInfo::GetSysPanelHeight() {
  Integer h = std::max<Integer>(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
  if (MinSysPanelHeight > 0) h = std::max(h, MinSysPanelHeight);
  return h;
}

TRect TcxCustomEditPopupWindowViewInfo::GetBorderExtent() {
  const Integer border = cxGetEditPopupWindowBorderWidth(PopupBorderStyle, NativeStyle) +
                         cxGetPopupClientEdgeWidth(PopupBorderStyle, NativeStyle, ClientEdge);
  TRect extent{border, border, border, border};
  if (Shadow) {
    extent.right += popupShadowWidth;
    extent.bottom += popupShadowWidth;
  }
  if (HasSysPanel()) {
    Integer panel = GetSysPanelHeight();
    if (NativeStyle || PopupBorderStyle == epbsSingle) ++panel;
    if (GripAtTop())
      extent.top += panel;
    else
      extent.bottom += panel;
  }
  return extent;
}

void TcxCustomEditPopupWindowViewInfo::Calculate() {
  SizingOffset = std::max<Integer>(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
  const TRect extent = GetBorderExtent();
  const TRect bounds{0, 0, width(Bounds), height(Bounds)};
  ClientRect = TRect{bounds.left + extent.left, bounds.top + extent.top, bounds.right - extent.right,
                     bounds.bottom - extent.bottom};
  SysPanelRect = SizeGripRect = CloseButtonRect = TRect{0, 0, 0, 0};
  if (!HasSysPanel()) return;
  const Integer border = cxGetEditPopupWindowBorderWidth(PopupBorderStyle, NativeStyle);
  const Integer panel = GetSysPanelHeight();
  const Integer right = bounds.right - border - (Shadow ? popupShadowWidth : 0);
  if (GripAtTop()) {
    SysPanelRect = TRect{border, border, right, border + panel};
  } else {
    const Integer bottom = bounds.bottom - border - (Shadow ? popupShadowWidth : 0);
    SysPanelRect = TRect{border, bottom - panel, right, bottom};
  }
  if (Sizeable) {
    const Integer side = std::max<Integer>(panel - 2, 4);
    const Integer x = GripAtLeft() ? SysPanelRect.left : SysPanelRect.right - side;
    const Integer y = GripAtTop() ? SysPanelRect.top : SysPanelRect.bottom - side;
    SizeGripRect = TRect{x, y, x + side, y + side};
  }
  if (CloseButton) {
    const Integer side = std::max<Integer>(panel - 4, 4);
    const Integer x = GripAtLeft() ? SysPanelRect.right - 2 - side : SysPanelRect.left + 2;
    const Integer y = GripAtTop() ? SysPanelRect.top + 2 : SysPanelRect.bottom - 2 - side;
    CloseButtonRect = TRect{x, y, x + side, y + side};
  }
}

bool TcxCustomEditPopupWindowViewInfo::IsPtInSizingArea(const TPoint& P, Integer& ADirX, Integer& ADirY) {
  ADirX = ADirY = 0;
  const TRect bounds{0, 0, width(Bounds), height(Bounds)};
  if (!Sizeable || !PtInRect(&bounds, P)) return false;
  if (PtInRect(&SizeGripRect, P)) {
    ADirX = GripAtLeft() ? -1 : 1;
    ADirY = GripAtTop() ? -1 : 1;
    return true;
  }
  if (HasSysPanel() && PtInRect(&SysPanelRect, P)) return false;
  if (GripAtLeft() && P.x < SizingOffset) ADirX = -1;
  if (!GripAtLeft() && P.x >= bounds.right - SizingOffset) ADirX = 1;
  if (GripAtTop() && P.y < SizingOffset) ADirY = -1;
  if (!GripAtTop() && P.y >= bounds.bottom - SizingOffset) ADirY = 1;
  return true;
}

void TcxCustomEditPopupWindowViewInfo::DrawBorder(TcxCanvas* ACanvas, TRect& R) {
  const Integer border = cxGetEditPopupWindowBorderWidth(PopupBorderStyle, NativeStyle);
  if (NativeStyle || PopupBorderStyle == epbsSingle) {
    ACanvas->DrawFrame(R, clBtnText);
  } else if (PopupBorderStyle == epbsFrame3D || PopupBorderStyle == epbsFlat) {
    ACanvas->Draw3DEdge(R, false, true);
    TRect inner = R;
    InflateRect(&inner, -1, -1);
    ACanvas->Draw3DEdge(inner, false, false);
    if (PopupBorderStyle == epbsFrame3D) {
      InflateRect(&inner, -1, -1);
      ACanvas->DrawFrame(inner, clActiveBorder);
      InflateRect(&inner, -1, -1);
      ACanvas->DrawFrame(inner, clBtnFace);
    }
  }
  InflateRect(&R, -border, -border);
}

void TcxPopupEditPopupWindowViewInfo::DrawBorder(TcxCanvas* ACanvas, TRect& R) {
  if (NativeStyle || PopupBorderStyle != epbsFrame3D) {
    TcxCustomEditPopupWindowViewInfo::DrawBorder(ACanvas, R);
    return;
  }
  ACanvas->Draw3DEdge(R, false, true);
  TRect inner = R;
  InflateRect(&inner, -1, -1);
  ACanvas->Draw3DEdge(inner, false, false);
  InflateRect(&inner, -1, -1);
  ACanvas->DrawFrame(inner, clActiveBorder);
  InflateRect(&inner, -1, -1);
  ACanvas->DrawFrame(inner, clBtnFace);
  InflateRect(&R, -4, -4);
}

void TcxCustomEditPopupWindowViewInfo::Paint(TcxCanvas* ACanvas) {
  TRect r{0, 0, width(Bounds), height(Bounds)};
  if (Shadow) {
    r.right -= popupShadowWidth;
    r.bottom -= popupShadowWidth;
    cxDrawContainerShadow(ACanvas, r);
  }
  DrawBorder(ACanvas, r);
  if (HasSysPanel()) {
    // The separator between the strip and the client area.
    const Integer y = GripAtTop() ? SysPanelRect.bottom : SysPanelRect.top - 1;
    ACanvas->SetBrushColor(clBtnText);
    ACanvas->Canvas()->FillRect(TRect{SysPanelRect.left, y, SysPanelRect.right, y + 1});
    ACanvas->SetBrushColor(clBtnFace);
    ACanvas->Canvas()->FillRect(SysPanelRect);
    if (!IsRectEmpty(&SizeGripRect)) {
      RECT grip = SizeGripRect;
      HDC dc = ACanvas->Handle();
      // The system grip is drawn for the bottom-right corner; other corners get it mirrored.
      const bool mirrorX = GripAtLeft(), mirrorY = GripAtTop();
      if (!mirrorX && !mirrorY) {
        DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
      } else {
        const Integer w = width(SizeGripRect), h = height(SizeGripRect);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(memory, bitmap);
        RECT local{0, 0, w, h};
        FillRect(memory, &local, GetSysColorBrush(COLOR_BTNFACE));
        DrawFrameControl(memory, &local, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        StretchBlt(dc, mirrorX ? grip.right - 1 : grip.left, mirrorY ? grip.bottom - 1 : grip.top, mirrorX ? -w : w,
                   mirrorY ? -h : h, memory, 0, 0, w, h, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
      }
    }
    if (!IsRectEmpty(&CloseButtonRect)) {
      static const TcxButtonState states[] = {cxbsNormal, cxbsNormal, cxbsHot, cxbsPressed};
      TcxLookAndFeel lookAndFeel(nullptr);
      lookAndFeel.SetKind(LookAndFeelKind);
      cxSelectPainterClass(&lookAndFeel)->DrawCloseButton(ACanvas, CloseButtonRect,
                                                          states[std::clamp(CloseButtonState, 0, 3)]);
    }
  }
  if (ClientEdge) {
    const Integer edge = cxGetPopupClientEdgeWidth(PopupBorderStyle, NativeStyle, true);
    TRect e = ClientRect;
    InflateRect(&e, edge, edge);
    ACanvas->Draw3DEdge(e, true, true);
    if (edge > 1) {
      InflateRect(&e, -1, -1);
      ACanvas->Draw3DEdge(e, true, false);
    }
  }
  ACanvas->SetBrushColor(clBtnFace);
  ACanvas->Canvas()->FillRect(ClientRect);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditPopupWindow.

RTL_BEGIN_CLASS(TcxCustomEditPopupWindow)
  b.Message(CM_DROPDOWNPASSCHAR, &TcxCustomEditPopupWindow::CMPassChar);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxPopupEditPopupWindow)

TcxCustomEditPopupWindow::TcxCustomEditPopupWindow(TWinControl* AOwnerControl)
    : TcxCustomPopupWindow(AOwnerControl) {}

TcxCustomEditPopupWindow::~TcxCustomEditPopupWindow() {
  if (sizing().Popup == this) {
    sizing().Popup = nullptr;
    destroyBand();
  }
}

TcxCustomDropDownEdit* TcxCustomEditPopupWindow::GetOwnerEdit() const {
  return dynamic_cast<TcxCustomDropDownEdit*>(OwnerControl());
}

bool TcxCustomEditPopupWindow::IsSizing() { return sizing().Popup != nullptr; }
TRect TcxCustomEditPopupWindow::SizingBandRect() { return sizing().Band; }

void TcxCustomEditPopupWindow::SetBorderStyle(TcxEditPopupBorderStyle Value) {
  FBorderStyle = Value;
  GetViewInfo()->PopupBorderStyle = Value;
}
void TcxCustomEditPopupWindow::SetClientEdge(bool Value) {
  FClientEdge = Value;
  GetViewInfo()->ClientEdge = Value;
}
void TcxCustomEditPopupWindow::SetCloseButton(bool Value) {
  FCloseButton = Value;
  GetViewInfo()->CloseButton = Value;
}
void TcxCustomEditPopupWindow::SetNativeStyle(bool Value) {
  FNativeStyle = Value;
  GetViewInfo()->NativeStyle = Value;
}
void TcxCustomEditPopupWindow::SetShadow(bool Value) {
  FShadow = Value;
  GetViewInfo()->Shadow = Value;
}
void TcxCustomEditPopupWindow::SetSizeable(bool Value) {
  FSizeable = Value;
  GetViewInfo()->Sizeable = Value;
}
void TcxCustomEditPopupWindow::SetSysPanelStyle(bool Value) {
  FSysPanelStyle = Value;
  GetViewInfo()->SysPanelStyle = Value;
}

void TcxCustomEditPopupWindow::takeOwnerBounds() {
  TcxCustomDropDownEdit* edit = GetOwnerEdit();
  if (!edit) return;
  TcxCustomEditViewInfo* info = edit->GetViewInfo();
  TRect r{0, 0, edit->Width(), edit->Height()};
  if (!info->NativeStyle) {
    if (info->Shadow) r.bottom -= popupShadowWidth;
    if (!edit->IsInplace()) {
      const Integer border = cxGetBorderWidth(info->BorderStyle);
      InflateRect(&r, border - 2, border - 2);
      const TcxBorders edges = info->Edges;
      if (!edges.Contains(bLeft)) r.left += border;
      if (!edges.Contains(bTop)) r.top += border;
      if (!edges.Contains(bRight)) r.right -= border;
      if (!edges.Contains(bBottom)) r.bottom -= border;
    }
  }
  OffsetRect(&r, edit->Left(), edit->Top());
  FOwnerBounds = r;
  SetAnchorBounds(r);
  SetAnchorParent(edit->Parent());
}

TRect TcxCustomEditPopupWindow::OwnerScreenBounds() {
  TcxCustomDropDownEdit* edit = GetOwnerEdit();
  if (!edit || !edit->Parent()) return FOwnerBounds;
  TPoint tl = edit->Parent()->ClientToScreen(TPoint{FOwnerBounds.left, FOwnerBounds.top});
  return TRect{tl.x, tl.y, tl.x + width(FOwnerBounds), tl.y + height(FOwnerBounds)};
}

TRect TcxCustomEditPopupWindow::PopupClientRect() {
  const TRect extent = GetViewInfo()->GetClientExtent();
  return TRect{extent.left, extent.top, Width() - extent.right, Height() - extent.bottom};
}

void TcxCustomEditPopupWindow::GetMinSize(TSize& ASize) {
  const TRect extent = GetViewInfo()->GetBorderExtent();
  ASize = TSize{extent.left + extent.right, extent.top + extent.bottom};
  if (FSizeable && FSysPanelStyle) {
    const Integer panel = GetViewInfo()->GetSysPanelHeight();
    ASize.cx += std::max<Integer>(panel - 4, 4) + std::max<Integer>(panel - 2, 4) + 10;
  }
}

void TcxCustomEditPopupWindow::CalculateSize() {
  GetViewInfo()->SizeGripCorner = 3;
  takeOwnerBounds();
  const TRect b = GetViewInfo()->GetBorderExtent();
  TSize minimum;
  GetMinSize(minimum);
  TSize content{0, 0};
  TcxCustomDropDownEdit* edit = GetOwnerEdit();
  if (edit && FAutoSize) edit->CalculatePopupContentSize(content);
  Integer w = FAutoSize ? b.left + b.right + content.cx : (FPopupWidth != 0 ? FPopupWidth : width(FOwnerBounds));
  if (FSizeable && FMinWidth > 0) w = std::max(w, FMinWidth);
  Integer h = FAutoSize ? b.top + b.bottom + content.cy
                        : (FPopupHeight > 0 ? FPopupHeight : std::max<Integer>(FMinHeight, minimum.cy));
  if (FSizeable && FMinHeight > 0) h = std::max(h, FMinHeight);
  SetBounds(Left(), Top(), std::max<Integer>(w, minimum.cx), std::max<Integer>(h, minimum.cy));
}

void TcxCustomEditPopupWindow::CalculatePosition(TPoint& P) {
  takeOwnerBounds();
  TcxCustomPopupWindow::CalculatePosition(P);
  const TRect o = OwnerScreenBounds();
  const TRect w = cxGetMonitorWorkArea(P);
  const bool below = P.y > o.top;
  const Integer align = HorzAlignment();
  const bool right = (align == 0 && P.x == o.left) || o.left <= w.left ||
                     (align == 2 && P.x + Width() != o.right) ||
                     (align == 1 && o.left - w.left <= w.right - o.right);
  GetViewInfo()->SizeGripCorner = below ? (right ? 3 : 2) : (right ? 1 : 0);
  if (FShadow && !below) P.y += popupShadowWidth;
}

void TcxCustomEditPopupWindow::RecalculateViewInfo() {
  TcxCustomEditPopupWindowViewInfo* info = GetViewInfo();
  info->Bounds = TRect{0, 0, Width(), Height()};
  info->Calculate();
  if (TcxCustomDropDownEdit* edit = GetOwnerEdit())
    info->LookAndFeelKind = edit->GetStyle()->LookAndFeel()->Kind();
}

void TcxCustomEditPopupWindow::Recalculate() {
  takeOwnerBounds();
  RecalculateViewInfo();
  if (TcxCustomDropDownEdit* edit = GetOwnerEdit()) edit->SetPopupContentBounds(PopupClientRect());
  Invalidate();
  Update();
}

void TcxCustomEditPopupWindow::CMPassChar(TMessage& Message) {
  if (IsOpen()) PassCharToFocus(static_cast<char>(Message.WParam));
}

void TcxCustomEditPopupWindow::PassCharToFocus(char AChar) {
  if (HWND focus = GetFocus()) SendMessageA(focus, WM_CHAR, static_cast<BYTE>(AChar), 0);
}

bool TcxCustomEditPopupWindow::CanResizePopup(Integer& ANewWidth, Integer& ANewHeight) {
  if (!FSizeable || (ANewWidth == Width() && ANewHeight == Height())) return true;
  TSize minimum;
  GetMinSize(minimum);
  if (FMinWidth > 0) minimum.cx = std::max(minimum.cx, FMinWidth);
  if (FMinHeight > 0) minimum.cy = std::max(minimum.cy, FMinHeight);
  ANewWidth = std::max<Integer>(ANewWidth, minimum.cx);
  ANewHeight = std::max<Integer>(ANewHeight, minimum.cy);
  if (ANewWidth == Width() && ANewHeight == Height()) return true;
  auto* combo = dynamic_cast<TcxCustomComboBox*>(GetOwnerEdit());
  if (combo && combo->ComboLookupData() && combo->GetActiveTextProperties()->PopupShowsLookupList()) {
    const TRect b = GetViewInfo()->GetBorderExtent();
    TSize client{ANewWidth - b.left - b.right, ANewHeight - b.top - b.bottom};
    if (!combo->ComboLookupData()->SnapListSize(client)) {
      ANewWidth = Width();
      ANewHeight = Height();
      return true;
    }
    ANewWidth = std::max<Integer>(client.cx + b.left + b.right, minimum.cx);
    ANewHeight = std::max<Integer>(client.cy + b.top + b.bottom, minimum.cy);
  }
  return true;
}

void TcxCustomEditPopupWindow::Resize() {
  TcxCustomPopupWindow::Resize();
  RecalculateViewInfo();
}

void TcxCustomEditPopupWindow::updateCursor(Integer ADirX, Integer ADirY) {
  LPCSTR cursor = IDC_ARROW;
  if (ADirX != 0 && ADirY != 0)
    cursor = ADirX == ADirY ? IDC_SIZENWSE : IDC_SIZENESW;
  else if (ADirX != 0)
    cursor = IDC_SIZEWE;
  else if (ADirY != 0)
    cursor = IDC_SIZENS;
  ::SetCursor(LoadCursorA(nullptr, cursor));
}

void TcxCustomEditPopupWindow::setCloseButtonState(Integer AState) {
  TcxCustomEditPopupWindowViewInfo* info = GetViewInfo();
  if (info->CloseButtonState == AState) return;
  info->CloseButtonState = AState;
  if (HandleAllocated()) InvalidateRect(WindowHandle(), &info->CloseButtonRect, FALSE);
}

void TcxCustomEditPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomPopupWindow::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TcxCustomEditPopupWindowViewInfo* info = GetViewInfo();
  const TPoint p{X, Y};
  if (PtInRect(&info->CloseButtonRect, p) && info->CloseButtonState != 3) {
    setCloseButtonState(3);
    SetCapture(WindowHandle());
    return;
  }
  Integer dx = 0, dy = 0;
  if (!info->IsPtInSizingArea(p, dx, dy) || (dx == 0 && dy == 0)) return;
  SizingState& s = sizing();
  s.Popup = this;
  s.DirX = dx;
  s.DirY = dy;
  s.OffsetX = dx < 0 ? X : Width() - X;
  s.OffsetY = dy < 0 ? Y : Height() - Y;
  SetCapture(WindowHandle());
  updateCursor(dx, dy);
  RECT r;
  GetWindowRect(WindowHandle(), &r);
  TRect band = r;
  if (FShadow) {
    band.right -= popupShadowWidth;
    band.bottom -= popupShadowWidth;
  }
  showBand(band, std::max<Integer>(2, cxGetEditPopupWindowBorderWidth(FBorderStyle, FNativeStyle)));
}

void TcxCustomEditPopupWindow::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomPopupWindow::MouseMove(Shift, X, Y);
  TcxCustomEditPopupWindowViewInfo* info = GetViewInfo();
  SizingState& s = sizing();
  const TPoint p{X, Y};
  if (s.Popup != this) {
    if (info->CloseButtonState == 3) {
      // A pressed close button follows the mouse only as long as it is held over it.
    } else if (PtInRect(&info->CloseButtonRect, p) && !Shift.Contains(ssLeft)) {
      setCloseButtonState(2);
    } else {
      setCloseButtonState(1);
    }
    Integer dx = 0, dy = 0;
    if (info->IsPtInSizingArea(p, dx, dy)) updateCursor(dx, dy);
    return;
  }
  RECT wr;
  GetWindowRect(WindowHandle(), &wr);
  TRect r = wr;
  const TPoint screen = ClientToScreen(p);
  const bool insideWindow = screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom;
  const bool overGrip = PtInRect(&info->SizeGripRect, p);
  if (s.DirX < 0) r.left = screen.x - s.OffsetX;
  if (s.DirX > 0) {
    const Integer right = screen.x + s.OffsetX;
    if (!(right > r.right && insideWindow && !IsRectEmpty(&info->SizeGripRect) && !overGrip)) r.right = right;
  }
  if (s.DirY < 0) r.top = screen.y - s.OffsetY;
  if (s.DirY > 0) {
    const Integer bottom = screen.y + s.OffsetY;
    if (!(bottom > r.bottom && insideWindow && !IsRectEmpty(&info->SizeGripRect) && !overGrip)) r.bottom = bottom;
  }
  Integer w = width(r), h = height(r);
  if (!CanResizePopup(w, h)) return;
  // The edges opposite the grip stay where they are.
  TRect band{s.DirX < 0 ? wr.right - w : wr.left, s.DirY < 0 ? wr.bottom - h : wr.top, 0, 0};
  band.right = band.left + w;
  band.bottom = band.top + h;
  // Still overlapping the editor by a pixel, and inside the work area.
  const TRect owner = OwnerScreenBounds();
  if (band.right <= owner.left) OffsetRect(&band, owner.left + 1 - band.right, 0);
  if (band.left >= owner.right) OffsetRect(&band, owner.right - 1 - band.left, 0);
  const TRect work = cxGetMonitorWorkArea(TPoint{owner.left, owner.top});
  band.left = std::max<LONG>(band.left, work.left);
  band.top = std::max<LONG>(band.top, work.top);
  band.right = std::min<LONG>(band.right, work.right);
  band.bottom = std::min<LONG>(band.bottom, work.bottom);
  const TRect current = wr;
  if (EqualRect(&band, &current)) return;
  if (TcxCustomDropDownEdit* edit = GetOwnerEdit()) edit->SetPopupResized(true);
  TRect shown = band;
  if (FShadow) {
    shown.right -= popupShadowWidth;
    shown.bottom -= popupShadowWidth;
  }
  showBand(shown, std::max<Integer>(2, cxGetEditPopupWindowBorderWidth(FBorderStyle, FNativeStyle)));
  s.Band = band;
}

void TcxCustomEditPopupWindow::endSizing(bool AApply) {
  SizingState& s = sizing();
  if (s.Popup != this) return;
  const TRect band = s.Band;
  s.Popup = nullptr;
  destroyBand();
  if (GetCapture() == WindowHandle()) ReleaseCapture();
  if (AApply && !IsRectEmpty(&band)) {
    SetBounds(band.left, band.top, width(band), height(band));
    Recalculate();
  }
}

void TcxCustomEditPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomPopupWindow::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TcxCustomEditPopupWindowViewInfo* info = GetViewInfo();
  if (sizing().Popup == this) {
    endSizing(true);
    Integer dx = 0, dy = 0;
    info->IsPtInSizingArea(TPoint{X, Y}, dx, dy);
    updateCursor(dx, dy);
    return;
  }
  if (info->CloseButtonState == 3) {
    if (GetCapture() == WindowHandle()) ReleaseCapture();
    if (!PtInRect(&info->CloseButtonRect, TPoint{X, Y})) {
      setCloseButtonState(1);
      return;
    }
    TcxCustomDropDownEdit* edit = GetOwnerEdit();
    if (CloseQuery() && edit) edit->ClosePopup(false);
    if (Visible()) setCloseButtonState(2);
  }
}

void TcxCustomEditPopupWindow::MouseLeave(TControl* AControl) {
  TcxCustomPopupWindow::MouseLeave(AControl);
  if (GetViewInfo()->CloseButtonState != 3) setCloseButtonState(1);
  if (sizing().Popup != this) updateCursor(0, 0);
}

void TcxCustomEditPopupWindow::DoAfterClose(bool ACloseQuery) {
  endSizing(false);
  TcxCustomPopupWindow::DoAfterClose(ACloseQuery);
}

void TcxCustomEditPopupWindow::DoBeforeClose(bool ACloseQuery) {
  TcxCustomPopupWindow::DoBeforeClose(ACloseQuery);
  if (sizing().Popup == this) showBand(TRect{0, 0, 0, 0}, 0);
}

// ---------------------------------------------------------------------------------------
// TcxCustomDropDownEditProperties.

RTL_IMPLEMENT_CLASS(TcxCustomDropDownEditProperties)

TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner) {
  Buttons()->Add();  // a down-arrow button
}

TcxEditButton* TcxCustomDropDownEditProperties::dropDownButton() {
  const Integer index = GetDropDownButtonIndex();
  if (index < 0 || index >= Buttons()->Count()) return nullptr;
  return Buttons()->GetItem(index);
}

TBitmap* TcxCustomDropDownEditProperties::ButtonGlyph() {
  TcxEditButton* button = dropDownButton();
  return button ? button->GetGlyph() : nullptr;
}

void TcxCustomDropDownEditProperties::applyGlyphRule() {
  TcxEditButton* button = dropDownButton();
  if (!button) return;
  const bool hasGlyph = button->HasGlyph() && !button->GetGlyph()->Empty();
  if (hasGlyph && button->Kind() != bkGlyph)
    button->SetKind(bkGlyph);
  else if (!hasGlyph && button->Kind() == bkGlyph)
    button->SetKind(bkDown);
}

void TcxCustomDropDownEditProperties::SetButtonGlyph(TBitmap* Value) {
  TcxEditButton* button = dropDownButton();
  if (!button) return;
  button->SetGlyph(Value);
  applyGlyphRule();
}

void TcxCustomDropDownEditProperties::Changed() {
  if (!FChangedLocked) {
    ScopedRestore<bool> guard(FChangedLocked);
    FChangedLocked = true;
    applyGlyphRule();
  }
  TcxCustomMaskEditProperties::Changed();
}

void TcxCustomDropDownEditProperties::MoveDropDownButton(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Buttons()->Count() || AIndex == GetDropDownButtonIndex()) return;
  TcxEditButton* old = dropDownButton();
  TcxEditButton* target = Buttons()->GetItem(AIndex);
  if (old && old->HasGlyph()) target->SetGlyph(old->GetGlyph());
  target->SetKind(bkGlyph);
  if (old) old->SetGlyph(nullptr);
  FDropDownButtonIndex = AIndex;
}

void TcxCustomDropDownEditProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomDropDownEditProperties*>(Source);
  if (!source) {
    TcxCustomMaskEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  ScopeExit end([this] { EndUpdate(); });
  TcxCustomMaskEditProperties::Assign(Source);
  SetButtonGlyph(source->ButtonGlyph());
  FImmediateDropDown = source->FImmediateDropDown;
  FImmediatePopup = source->FImmediatePopup;
  FPopupAlignment = source->FPopupAlignment;
  FPopupAutoSize = source->FPopupAutoSize;
  FPopupClientEdge = source->FPopupClientEdge;
  FPopupHeight = source->FPopupHeight;
  FPopupMinHeight = source->FPopupMinHeight;
  FPopupMinWidth = source->FPopupMinWidth;
  FPopupSizeable = source->FPopupSizeable;
  FPopupSysPanelStyle = source->FPopupSysPanelStyle;
  FPopupWidth = source->FPopupWidth;
  FOnCloseQuery = source->FOnCloseQuery;
  FOnCloseUp = source->FOnCloseUp;
  FOnInitPopup = source->FOnInitPopup;
  FOnPopup = source->FOnPopup;
}

TClass TcxCustomDropDownEditProperties::GetEditClass() { return TcxCustomDropDownEdit::StaticClass(); }
TClass TcxCustomDropDownEditProperties::GetViewDataClass() { return TcxCustomDropDownEditViewData::StaticClass(); }

void TcxCustomDropDownEditProperties::SetPopupAlignment(TAlignment Value) { changeSetting(FPopupAlignment, Value); }
void TcxCustomDropDownEditProperties::SetPopupAutoSize(bool Value) { changeSetting(FPopupAutoSize, Value); }
void TcxCustomDropDownEditProperties::SetPopupClientEdge(bool Value) { changeSetting(FPopupClientEdge, Value); }
void TcxCustomDropDownEditProperties::SetPopupSizeable(bool Value) { changeSetting(FPopupSizeable, Value); }
void TcxCustomDropDownEditProperties::SetPopupSysPanelStyle(bool Value) { changeSetting(FPopupSysPanelStyle, Value); }
void TcxCustomDropDownEditProperties::SetPopupHeight(Integer Value) { FPopupHeight = std::max(Value, FPopupMinHeight); }
void TcxCustomDropDownEditProperties::SetPopupWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > 0) Value = std::max(Value, FPopupMinWidth);
  FPopupWidth = Value;
}
void TcxCustomDropDownEditProperties::SetPopupMinHeight(Integer Value) {
  FPopupMinHeight = std::max<Integer>(Value, 0);
  SetPopupHeight(FPopupHeight);
}
void TcxCustomDropDownEditProperties::SetPopupMinWidth(Integer Value) {
  FPopupMinWidth = std::max<Integer>(Value, 0);
  SetPopupWidth(FPopupWidth);
}

// ---------------------------------------------------------------------------------------
// View data and inner edit.

RTL_IMPLEMENT_CLASS(TcxCustomDropDownEditViewData)
RTL_IMPLEMENT_CLASS(TcxCustomDropDownEditData)

void TcxCustomDropDownEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                              TcxMouseButton AButton, TShiftState AShift,
                                              TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomTextEditViewData::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* info = static_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  info->PopupOpen = IsPopupOpen;
  if (Focused && !IsPopupOpen && textProperties()->GetInputStyle() == tisFixedList) {
    info->IsSelected = true;
    info->BackgroundColor = clHighlight;
    info->TextColor = clHighlightText;
  }
}

bool TcxCustomDropDownEditViewData::CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) {
  auto* properties = static_cast<TcxCustomDropDownEditProperties*>(GetProperties());
  if (IsButtonBlocked && AViewInfo->Button(AButtonVisibleIndex)->ButtonIndex == properties->GetDropDownButtonIndex())
    return false;
  return true;
}

RTL_IMPLEMENT_CLASS(TcxCustomDropDownInnerEdit)

void TcxCustomDropDownInnerEdit::WndProc(TMessage& Message) {
  TcxCustomInnerTextEdit::WndProc(Message);
  if (Message.Msg == WM_SYSKEYUP && Message.WParam == VK_MENU && GetKeyState(VK_SHIFT) >= 0 &&
      GetKeyState(VK_CONTROL) >= 0 && HandleAllocated()) {
    // Alt+Up/Down opened or closed the popup: the characters it left queued type nothing.
    MSG msg;
    while (PeekMessageA(&msg, WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE)) {
    }
  }
}

// ---------------------------------------------------------------------------------------
// TcxCustomDropDownEdit.

RTL_BEGIN_CLASS(TcxCustomDropDownEdit)
  b.Message(CM_DROPDOWNOPEN, &TcxCustomDropDownEdit::CMDropDownOpen);
  b.Message(CM_DROPDOWNSYNCLOOKUP, &TcxCustomDropDownEdit::CMDropDownSyncLookup);
RTL_END_CLASS

TcxCustomDropDownEdit::TcxCustomDropDownEdit(TComponent* AOwner) : TcxCustomMaskEdit(AOwner) {}

void TcxCustomDropDownEdit::AfterConstruction() {
  TcxCustomMaskEdit::AfterConstruction();
  FPopupLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  if (!ComponentState().Contains(csDesigning)) CreatePopupWindow();
}

void TcxCustomDropDownEdit::BeforeDestruction() {
  if (FPopupWindow) {
    FPopupWindow->SetOnAfterClose(nullptr);
    FPopupWindow->SetOnAfterShow(nullptr);
    FPopupWindow->SetOnCloseQuery(nullptr);
    FPopupWindow->CloseUp(false);
  }
  TcxCustomMaskEdit::BeforeDestruction();
}

TcxCustomDropDownEdit::~TcxCustomDropDownEdit() {
  // The popup's list belongs to the popup: it goes first, while the editor still exists.
  FPopupWindow.reset();
}

TClass TcxCustomDropDownEdit::GetPropertiesClass() { return TcxCustomDropDownEditProperties::StaticClass(); }

void TcxCustomDropDownEdit::CreatePopupWindow() {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  FPopupWindow.reset(static_cast<TcxCustomEditPopupWindow*>(
      TcxCustomPopupWindow::CreateForControl(properties->GetPopupWindowClass(), this)));
  FPopupWindow->SetTakesFocus(properties->PopupTakesFocus());
  FPopupWindow->SetTopmostWithOwner(!IsInplace());
  FPopupWindow->SetOnCloseQuery(TCloseQueryEvent(this, &TcxCustomDropDownEdit::PopupWindowCloseQuery));
  FPopupWindow->SetOnAfterClose(TcxPopupWindowCloseEvent(this, &TcxCustomDropDownEdit::PopupWindowClosed));
  FPopupWindow->SetOnAfterShow(TNotifyEvent(this, &TcxCustomDropDownEdit::PopupWindowShowed));
}

bool TcxCustomDropDownEdit::HasPopupWindow() { return FPopupWindow && FPopupWindow->IsOpen(); }
bool TcxCustomDropDownEdit::GetPopupOpen() { return HasPopupWindow(); }

void TcxCustomDropDownEdit::SetPopupOpen(bool Value) {
  if (Value == GetPopupOpen()) return;
  if (Value)
    OpenPopup();
  else
    ClosePopup(false);
}

void TcxCustomDropDownEdit::FireInitPopup() {
  if (const auto& event = GetActiveDropDownProperties()->OnInitPopup()) event(this);
}

void TcxCustomDropDownEdit::FirePopup() {
  if (const auto& event = GetActiveDropDownProperties()->OnPopup()) event(this);
}

TWinControl* TcxCustomDropDownEdit::GetPopupFocusControl() {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (LookupData() && properties->PopupShowsLookupList() && properties->PopupTakesFocus())
    if (TcxCustomEditListBox* list = LookupData()->GetList()) return list;
  return InnerEdit();
}

void TcxCustomDropDownEdit::AttachLookupToPopup() {
  if (!LookupData() || !FPopupWindow || IsDesigning()) return;
  if (GetActiveDropDownProperties()->PopupShowsLookupList()) LookupData()->AttachList(FPopupWindow.get());
}

void TcxCustomDropDownEdit::SetPopupContentBounds(const TRect& AClientRect) {
  if (LookupData() && GetActiveDropDownProperties()->PopupShowsLookupList()) LookupData()->SetListBounds(AClientRect);
}

void TcxCustomDropDownEdit::refreshPopupLookAndFeel() {
  if (!FPopupLookAndFeel) return;
  TcxLookAndFeelKind kind = lfStandard;
  if (IsInplace()) {
    kind = GetStyle()->LookAndFeel()->Kind();
  } else if (GetViewInfo()->ButtonCount() > 0) {
    kind = kindOfButtonStyle(GetViewInfo()->Button(0)->Style);
  }
  const bool native = GetViewInfo()->NativeStyle;
  if (FPopupLookAndFeel->Kind() != kind) FPopupLookAndFeel->SetKind(kind);
  if (FPopupLookAndFeel->NativeStyle() != native) FPopupLookAndFeel->SetNativeStyle(native);
}

void TcxCustomDropDownEdit::SetupPopupWindow() {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  TcxCustomEditPopupWindow* popup = FPopupWindow.get();
  popup->SetOwnerParent(Parent());
  static const Integer alignments[] = {0, 2, 1};  // left, right, centre
  popup->SetHorzAlignment(alignments[static_cast<int>(properties->PopupAlignment())]);
  popup->SetClientEdge(properties->PopupClientEdge());
  popup->SetMinHeight(properties->PopupMinHeight());
  popup->SetMinWidth(properties->PopupMinWidth());
  popup->SetAutoSize(properties->PopupAutoSize());
  popup->SetSizeable(properties->PopupSizeable());
  popup->SetSysPanelStyle(properties->PopupSysPanelStyle());
  TcxCustomDropDownEditData* data = dropDownEditData();
  if (IsInplace() && properties->PopupSizeable() && data) {
    popup->SetPopupWidth(data->Width);
    popup->SetPopupHeight(data->Height);
  } else {
    popup->SetPopupWidth(properties->PopupWidth());
    popup->SetPopupHeight(properties->PopupHeight());
  }
  popup->SetCloseButton(GetStyle()->PopupCloseButton());
  TcxCustomEditViewInfo* info = GetViewInfo();
  popup->SetBorderStyle(info->PopupBorderStyle);
  popup->SetNativeStyle(info->NativeStyle);
  popup->SetShadow(info->Shadow);
}

void TcxCustomDropDownEdit::LayoutPopupWindow() {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  FPopupWindow->SetTakesFocus(properties->PopupTakesFocus());
  AttachLookupToPopup();
  SetupPopupWindow();
  FPopupWindow->CalculateSize();
  TPoint p{FPopupWindow->Left(), FPopupWindow->Top()};
  FPopupWindow->CalculatePosition(p);
  FPopupWindow->SetBounds(p.x, p.y, FPopupWindow->Width(), FPopupWindow->Height());
  FPopupWindow->RecalculateViewInfo();
  SetPopupContentBounds(FPopupWindow->PopupClientRect());
}

void TcxCustomDropDownEdit::OpenPopup() {
  FireInitPopup();
  if (!CanDropDown() || !FPopupWindow || HasPopupWindow()) return;
  if (LookupData()) LookupData()->ListOpening();
  LayoutPopupWindow();
  FPopupWindow->HandleNeeded();
  PostMessageA(FPopupWindow->WindowHandle(), WM_CXSHOWPOPUPWINDOW,
               reinterpret_cast<WPARAM>(GetPopupFocusControl()), 0);
}

template <class F> void TcxCustomDropDownEdit::withKeyWatch(F ACall) {
  Variant oldKey;
  LookupData()->GetKeyValue(oldKey);
  {
    LockClick(true);
    ScopeExit unlock([this] { LockClick(false); });
    ACall();
  }
  Variant newKey;
  LookupData()->GetKeyValue(newKey);
  if (!cxVariantsEqual(oldKey, newKey)) MarkModifiedAndClick();
}

void TcxCustomDropDownEdit::ClosePopup(bool AAccept) {
  if (!HasPopupWindow()) return;
  LockChangeEvents(true);
  ScopeExit unlock([this] { LockChangeEvents(false); });
  if (AAccept && LookupData()) withKeyWatch([this] { LookupData()->ApplyListSelection(); });
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (AAccept && !properties->PopupEditsValue() && properties->ImmediatePost() && CanPostEditValue())
    PostEditValue(true);
  FPopupWindow->CloseUp(false);
}

void TcxCustomDropDownEdit::PopupWindowCloseQuery(TObject*, bool& CanClose) {
  if (const auto& event = GetActiveDropDownProperties()->OnCloseQuery()) event(this, CanClose);
}

void TcxCustomDropDownEdit::PopupWindowShowed(TObject*) {
  RefreshAtCursor(false);
  FPopupWindow->RecalculateViewInfo();
  SetPopupContentBounds(FPopupWindow->PopupClientRect());
  FirePopup();
  RefreshDrawnText();
}

void TcxCustomDropDownEdit::PopupWindowClosed(TObject*, bool) {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (properties->PopupSizeable() && FPopupResized) {
    TcxCustomDropDownEditData* data = dropDownEditData();
    if (IsInplace() && data) {
      data->Sized = true;
      data->Width = FPopupWindow->Width();
      data->Height = FPopupWindow->Height();
    } else {
      properties->SetPopupWidth(FPopupWindow->Width());
      properties->SetPopupHeight(FPopupWindow->Height());
    }
  }
  if (LookupData()) LookupData()->SelectCurrentKeyInList();
  if (inputStyle() == tisFixedList) RefreshAtCursor(false);
  if (const auto& event = properties->OnCloseUp()) event(this);
  LockChangeEvents(true);
  ScopeExit unlock([this] { LockChangeEvents(false); });
  if (properties->PopupEditsValue() && properties->ImmediatePost() && CanPostEditValue() && ValidateInput(true))
    PostEditValue(false);
}

void TcxCustomDropDownEdit::InitializeEditData(TcxCustomEditData* AData) {
  auto* data = dynamic_cast<TcxCustomDropDownEditData*>(AData);
  if (!data) return;
  data->Sized = false;
  data->Width = GetActiveDropDownProperties()->PopupWidth();
  data->Height = GetActiveDropDownProperties()->PopupHeight();
}

void TcxCustomDropDownEdit::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomMaskEdit::Activate(AEditData);
  auto* data = dynamic_cast<TcxCustomDropDownEditData*>(AEditData);
  FPopupResized = data && data->Sized && GetActiveDropDownProperties()->PopupSizeable();
  if (GetActiveDropDownProperties()->ImmediatePopup()) OpenPopup();
}

void TcxCustomDropDownEdit::ActivateByKey(char AKey, TcxCustomEditData*& AEditData) {
  TcxCustomMaskEdit::ActivateByKey(AKey, AEditData);
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (static_cast<BYTE>(AKey) < 32 || !properties->ImmediateDropDown() || properties->ImmediatePopup() ||
      CanSendActivationChar(AKey))
    return;
  OpenPopup();
  if (CanDropDown() && GetPopupFocusControl() && FPopupWindow && FPopupWindow->HandleAllocated())
    PostMessageA(FPopupWindow->WindowHandle(), CM_DROPDOWNPASSCHAR, static_cast<BYTE>(AKey), 0);
}

void TcxCustomDropDownEdit::ActivateByMouse(TShiftState AShift, Integer X, Integer Y,
                                            TcxCustomEditData*& AEditData) {
  ScopedRestore<bool> keep(FActivatingByMouse);
  FActivatingByMouse = true;
  TcxCustomMaskEdit::ActivateByMouse(AShift, X, Y, AEditData);
}

bool TcxCustomDropDownEdit::CanSendActivationChar(char AChar) {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (!properties->ImmediateDropDown()) return true;
  return !(properties->PopupTakesFocus() && AChar != '\r');
}

bool TcxCustomDropDownEdit::Deactivate() {
  ClosePopup(false);
  if (TcxCustomDropDownEditData* data = dropDownEditData()) data->Sized = FPopupResized;
  const bool result = TcxCustomMaskEdit::Deactivate();
  if (FPopupWindow && FPopupWindow->HandleAllocated()) {
    // A popup must never open for an editor that has been left.
    MSG msg;
    while (PeekMessageA(&msg, FPopupWindow->WindowHandle(), WM_CXSHOWPOPUPWINDOW, WM_CXSHOWPOPUPWINDOW, PM_REMOVE)) {
    }
  }
  return result;
}

void TcxCustomDropDownEdit::DoExit() {
  ClosePopup(false);
  TcxCustomMaskEdit::DoExit();
}

void TcxCustomDropDownEdit::FocusChanged() {
  TcxCustomMaskEdit::FocusChanged();
  if (!HasPopupWindow() || IsDestroying()) return;
  // The focus went to another window (of this form or another): the popup closes as when
  // the editor is left. The focus in the editor or in its popup keeps it open.
  HWND focus = GetFocus();
  const bool inEditor = focus && HandleAllocated() && (focus == WindowHandle() || IsChild(WindowHandle(), focus));
  if (!inEditor && !cxIsWindowInPopupTree(FPopupWindow.get(), focus)) ClosePopup(false);
}

void TcxCustomDropDownEdit::CreateWnd() {
  TcxCustomMaskEdit::CreateWnd();
  AttachLookupToPopup();
}

bool TcxCustomDropDownEdit::takeClosingClick() {
  if (!FPopupWindow || !FPopupWindow->ClosedByOwnerClick()) return false;
  FPopupWindow->SetClosedByOwnerClick(false);
  return true;
}

void TcxCustomDropDownEdit::DoButtonDown(Integer AButtonVisibleIndex) {
  TcxCustomMaskEdit::DoButtonDown(AButtonVisibleIndex);
  // The press that closed the open popup does not open it again.
  if (takeClosingClick()) return;
  if (GetViewInfo()->Button(AButtonVisibleIndex)->ButtonIndex == GetActiveDropDownProperties()->GetDropDownButtonIndex())
    OpenPopup();
}

bool TcxCustomDropDownEdit::IsClickKey(Word Key, TShiftState Shift) {
  if (TcxCustomMaskEdit::IsClickKey(Key, Shift)) return true;
  if (!IsInplace() || !HasPopupWindow()) return false;
  return Shift.Contains(ssAlt) || Shift.Contains(ssCtrl) || Key < 32 || Key > 255;
}

bool TcxCustomDropDownEdit::CanNavigateLookup(bool AFromWheel) {
  if (IsDestroying() || !InnerEdit()) return false;
  if (IsInplace() && !HasPopupWindow()) return AFromWheel;
  return true;
}

void TcxCustomDropDownEdit::PropertiesChanged(TObject* Sender) {
  if (!GetActiveDropDownProperties()->PopupSizeable()) FPopupResized = false;
  if (HasPopupWindow()) LayoutPopupWindow();
  TcxCustomMaskEdit::PropertiesChanged(Sender);
}

bool TcxCustomDropDownEdit::RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                             bool AIsMouseEvent) {
  const bool result = TcxCustomMaskEdit::RefreshContainer(P, AButton, AShift, AIsMouseEvent);
  TcxCustomEditViewInfo* info = GetViewInfo();
  if (HasPopupWindow() && info->IsButtonReallyPressed && info->PressedButton == -1) ClosePopup(false);
  if (AIsMouseEvent && !(AButton == cxmbLeft && AShift.Contains(ssLeft)))
    FButtonBlocked = HasPopupWindow() && info->IsButtonReallyPressed;
  refreshPopupLookAndFeel();
  return result;
}

TcxCustomEditViewData* TcxCustomDropDownEdit::CreateViewData() {
  TcxCustomEditViewData* data = TcxCustomMaskEdit::CreateViewData();
  if (auto* dropDown = dynamic_cast<TcxCustomDropDownEditViewData*>(data)) {
    dropDown->IsPopupOpen = HasPopupWindow();
    dropDown->IsButtonBlocked = FButtonBlocked;
  }
  return data;
}

void TcxCustomDropDownEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomMaskEdit::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && !GetViewInfo()->IsPointOnButton(TPoint{X, Y}) && takeClosingClick()) return;
  if (FActivatingByMouse || Button != mbLeft) return;
  const TRect content = GetViewInfo()->ContentRect;
  if (PtInRect(&content, TPoint{X, Y}) && GetActiveDropDownProperties()->ClickInTextOpensPopup() &&
      !HasPopupWindow() && !FButtonBlocked && Focused())
    OpenPopup();
}

bool TcxCustomDropDownEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TcxCustomMaskEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!CanNavigateLookup(true) || !HasPopupWindow() || !LookupData() || LookupData()->IsEmpty()) return false;
  TcxCustomEditListBox* list = LookupData()->GetList();
  if (!list || !list->HandleAllocated()) return false;
  SendMessageA(list->WindowHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WheelDelta)),
               MAKELPARAM(MousePos.x, MousePos.y));
  return true;
}

void TcxCustomDropDownEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const bool alt = Shift.Contains(ssAlt);
  if (((Key == VK_UP || Key == VK_DOWN) && alt) || (Key == VK_F4 && !alt)) {
    if (HasPopupWindow())
      ClosePopup(true);
    else
      OpenPopup();
    Key = 0;
    return;
  }
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && !alt && HasPopupWindow()) {
    SetDropDownClosedByKey(true);
    {
      const bool wasUserChange = IsUserChange();
      SetUserChange(true);
      ScopeExit restore([this, wasUserChange] { SetUserChange(wasUserChange); });
      ClosePopup(Key == VK_RETURN && RequestEditing());
    }
    if (!HasPopupWindow()) {
      bool swallow = true;
      if (LookupData()) swallow = LookupData()->HasItem(GetDisplayText());
      if (Key == VK_ESCAPE && GetCapture()) ReleaseCapture();
      if (swallow) {
        Key = 0;
        return;
      }
    }
  }
  TcxCustomMaskEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomDropDownEdit::DoEditKeyPress(char& Key) {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (static_cast<BYTE>(Key) >= 32 && properties->ImmediateDropDown() && !HasPopupWindow()) {
    SendMessageA(WindowHandle(), CM_DROPDOWNOPEN, 0, 0);
    if (properties->PopupTakesFocus() && CanDropDown() && GetPopupFocusControl() && FPopupWindow &&
        FPopupWindow->HandleAllocated()) {
      PostMessageA(FPopupWindow->WindowHandle(), CM_DROPDOWNPASSCHAR, static_cast<BYTE>(Key), 0);
      Key = 0;
      return;
    }
  }
  TcxCustomMaskEdit::DoEditKeyPress(Key);
}

void TcxCustomDropDownEdit::PasteFromClipboard() {
  const std::string before = InnerEdit() ? InnerEdit()->Text() : std::string();
  TcxCustomMaskEdit::PasteFromClipboard();
  const std::string after = InnerEdit() ? InnerEdit()->Text() : std::string();
  if (after == before || !GetActiveDropDownProperties()->ImmediateDropDown() || HasPopupWindow()) return;
  SendMessageA(WindowHandle(), CM_DROPDOWNOPEN, 0, 0);
  if (LookupData()) PostMessageA(WindowHandle(), CM_DROPDOWNSYNCLOOKUP, 0, 0);
}

void TcxCustomDropDownEdit::CMDropDownOpen(TMessage&) { OpenPopup(); }

void TcxCustomDropDownEdit::CMDropDownSyncLookup(TMessage&) {
  if (!HasPopupWindow() || !LookupData()) return;
  withKeyWatch([this] { LookupData()->SyncWithText(); });
  const TcxTextInputStyle style = inputStyle();
  if (style == tisFreeText)
    SetLookupMatchMark(GetSelectionStart() == static_cast<Integer>(GetDisplayText().size()) &&
                       LookupData()->HasItem(GetDisplayText()));
  else if (style == tisFixedList)
    SetLookupMatchMark(true);
}

// ---------------------------------------------------------------------------------------
// The combo box.

RTL_IMPLEMENT_CLASS(TcxCustomComboBoxProperties)

void TcxCustomComboBoxProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomComboBoxProperties*>(Source);
  if (!source) {
    TcxCustomDropDownEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  ScopeExit end([this] { EndUpdate(); });
  TcxCustomDropDownEditProperties::Assign(Source);
  FDropDownListStyle = source->FDropDownListStyle;
  FDropDownRows = source->FDropDownRows;
  FItemHeight = source->FItemHeight;
  FRevertable = source->FRevertable;
  FOnDrawItem = source->FOnDrawItem;
  FOnMeasureItem = source->FOnMeasureItem;
}

TClass TcxCustomComboBoxProperties::GetEditClass() { return TcxComboBox::StaticClass(); }
TClass TcxCustomComboBoxProperties::GetLookupDataClass() { return TcxComboBoxLookupData::StaticClass(); }
TClass TcxCustomComboBoxProperties::GetPopupWindowClass() { return TcxComboBoxPopupWindow::StaticClass(); }
TClass TcxCustomComboBoxProperties::GetViewDataClass() { return TcxCustomDropDownEditViewData::StaticClass(); }

TcxTextInputStyle TcxCustomComboBoxProperties::GetInputStyle() {
  switch (FDropDownListStyle) {
    case lsEditFixedList: return tisListText;
    case lsFixedList: return tisFixedList;
    default: return tisFreeText;
  }
}

bool TcxCustomComboBoxProperties::IsLookupNavigationKey(Word Key, TShiftState Shift) {
  return !Shift.Contains(ssAlt) && (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT);
}

void TcxCustomComboBoxProperties::SetDropDownListStyle(TcxEditDropDownListStyle Value) {
  changeSetting(FDropDownListStyle, Value);
}

void TcxCustomComboBoxProperties::SetDropDownRows(Integer Value) {
  if (Value >= 1) changeSetting(FDropDownRows, Value);
}

void TcxCustomComboBoxProperties::SetItemHeight(Integer Value) { changeSetting(FItemHeight, Value); }

RTL_IMPLEMENT_CLASS(TcxComboBoxListBox)

TcxCustomComboBox* TcxComboBoxListBox::Combo() const {
  for (TWinControl* p = Parent(); p; p = p->Parent())
    if (auto* popup = dynamic_cast<TcxCustomEditPopupWindow*>(p))
      return dynamic_cast<TcxCustomComboBox*>(popup->GetOwnerEdit());
  return nullptr;
}

Integer TcxComboBoxListBox::GetDefaultItemHeight(Integer AIndex) {
  TcxCustomComboBox* combo = Combo();
  TcxCustomComboBoxProperties* properties = combo ? combo->GetActiveComboProperties() : nullptr;
  Integer h = properties && properties->ItemHeight() >= 1 ? properties->ItemHeight()
                                                           : TcxCustomEditListBox::GetDefaultItemHeight(AIndex);
  if (properties && AIndex >= 0)
    if (const auto& event = properties->OnMeasureItem()) event(combo, AIndex, Canvas(), h);
  return h;
}

void TcxComboBoxListBox::MeasureItem(Integer Index, Integer& Height) { Height = GetDefaultItemHeight(Index); }

Integer TcxComboBoxListBox::GetHeightForRows(Integer ARowCount) {
  Integer h = 0;
  for (Integer i = 0; i < ARowCount; ++i) h += GetDefaultItemHeight(i);
  return h;
}

std::string TcxComboBoxListBox::GetItemText(Integer AIndex) {
  TcxCustomComboBox* combo = Combo();
  std::string text;
  if (combo && combo->LookupData()) combo->LookupData()->GetItem(AIndex, text);
  return text;
}

bool TcxComboBoxListBox::CustomDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  TcxCustomComboBox* combo = Combo();
  if (!combo) return false;
  const auto& event = combo->GetActiveComboProperties()->OnDrawItem();
  if (!event) return false;
  TcxCanvas canvas(Canvas());
  event(combo, &canvas, AIndex, ARect, AState);
  return true;
}

void TcxComboBoxListBox::ListAttached() {
  TcxCustomComboBox* combo = Combo();
  if (!combo) return;
  TcxCustomComboBoxProperties* properties = combo->GetActiveComboProperties();
  const bool measured = static_cast<bool>(properties->OnMeasureItem());
  const Integer itemHeight = properties->ItemHeight();
  if (measured || (!FFirstRecreation && (measured != FPrevMeasureAssigned || itemHeight != FPrevItemHeight)))
    RecreateWindow();
  FFirstRecreation = false;
  FPrevMeasureAssigned = measured;
  FPrevItemHeight = itemHeight;
}

void TcxComboBoxListBox::SetItemIndex(Integer Value) {
  if (TcxCustomComboBox* combo = Combo()) combo->SetSkipNextMouseMove(true);
  TcxCustomEditListBox::SetItemIndex(Value);
}

void TcxComboBoxListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomComboBox* combo = Combo();
  if (combo && combo->SkipNextMouseMove()) {
    // A row chosen by the keyboard does not jump to the resting cursor.
    combo->SetSkipNextMouseMove(false);
    return;
  }
  TcxCustomEditListBox::MouseMove(Shift, X, Y);
}

void TcxComboBoxListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomEditListBox::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const Integer row = ItemAtPos(TPoint{X, Y}, true);
  if (row < 0) return;
  if (GetCapture()) ReleaseCapture();
  SetItemIndex(row);
  if (TcxCustomComboBox* combo = Combo()) combo->ClosePopup(true);
}

RTL_IMPLEMENT_CLASS(TcxComboBoxLookupData)

void TcxComboBoxLookupData::AttachList(TWinControl* AParent) {
  TcxCustomTextEditLookupData::AttachList(AParent);
  auto* combo = dynamic_cast<TcxCustomDropDownEdit*>(Edit());
  if (GetList() && combo && combo->PopupLookAndFeel())
    GetList()->LookAndFeel()->SetMasterLookAndFeel(combo->PopupLookAndFeel());
}

void TcxComboBoxLookupData::GetComboListSizeHint(Integer AWidthHint, TSize& ASize) {
  ASize = TSize{0, 0};
  auto* properties = dynamic_cast<TcxCustomComboBoxProperties*>(textProperties());
  TcxCustomEditListBox* list = GetList();
  if (!properties || !list) return;
  const Integer count = GetItemCount();
  const Integer rows = std::min(count, properties->DropDownRows());
  ASize.cy = list->GetHeightForRows(rows);
  list->Canvas()->Font()->Assign(list->Font());
  Integer widest = 0;
  for (Integer i = 0; i < count; ++i) {
    std::string text;
    GetItem(i, text);
    widest = std::max(widest, list->Canvas()->TextWidth(text));
  }
  ASize.cx = widest + 4;
  if (list->HandleAllocated()) {
    SendMessageA(list->WindowHandle(), LB_SETHORIZONTALEXTENT, 0, 0);
    SendMessageA(list->WindowHandle(), LB_SETHORIZONTALEXTENT, ASize.cx, 0);
  }
  if (count > properties->DropDownRows()) ASize.cx += GetSystemMetrics(SM_CXVSCROLL);
  if (AWidthHint > 0 && AWidthHint < ASize.cx) ASize.cy += GetSystemMetrics(SM_CYHSCROLL);
}

bool TcxComboBoxLookupData::SnapListSize(TSize& AClientSize) {
  TcxCustomEditListBox* list = GetList();
  if (!list) return true;
  if (AClientSize.cx == list->Width() && AClientSize.cy == list->Height()) return true;
  const Integer count = GetItemCount();
  // An empty list has no rows to snap to: the wanted size stands.
  if (count == 0) return true;
  const Integer vbar = GetSystemMetrics(SM_CXVSCROLL);
  const Integer hbar = GetSystemMetrics(SM_CYHSCROLL);
  const Integer extent =
      list->HandleAllocated() ? static_cast<Integer>(SendMessageA(list->WindowHandle(), LB_GETHORIZONTALEXTENT, 0, 0))
                              : 0;
  const bool shrinking = AClientSize.cy < list->Height();
  auto candidate = [&](Integer ASum, bool AMoreRows, bool& AHorzBar) {
    const Integer available = AClientSize.cx - (AMoreRows ? vbar : 0);
    AHorzBar = extent > available;
    return ASum + (AHorzBar ? hbar : 0);
  };
  Integer sum = 0, previous = 0, taken = -1, takenRows = 0;
  bool previousBar = false, takenBar = false;
  for (Integer i = 0; i < count; ++i) {
    sum += list->GetDefaultItemHeight(i);
    bool bar = false;
    const Integer c = candidate(sum, i + 1 < count, bar);
    if (c == AClientSize.cy) {
      taken = c;
      takenRows = i + 1;
      takenBar = bar;
      break;
    }
    if (c > AClientSize.cy) {
      if (shrinking || i == 0) {
        taken = c;
        takenRows = i + 1;
        takenBar = bar;
      } else {
        taken = previous;
        takenRows = i;
        takenBar = previousBar;
      }
      break;
    }
    previous = c;
    previousBar = bar;
    taken = c;
    takenRows = i + 1;
    takenBar = bar;
  }
  AClientSize.cy = taken;
  if (takenRows < count) AClientSize.cx = std::max(AClientSize.cx, vbar + (takenBar ? vbar : 0));
  return true;
}

RTL_IMPLEMENT_CLASS(TcxComboBoxPopupWindow)

void TcxComboBoxPopupWindow::CalculateSize() {
  TcxCustomEditPopupWindowViewInfo* info = GetViewInfo();
  info->SizeGripCorner = 3;
  TcxCustomEditPopupWindow::CalculateSize();  // the owner bounds and the base rule first
  auto* combo = dynamic_cast<TcxCustomComboBox*>(GetOwnerEdit());
  if (!combo) return;
  const TRect b = info->GetBorderExtent();
  TSize minimum;
  GetMinSize(minimum);
  TSize content{0, 0};
  combo->CalculatePopupContentSize(content);
  const Integer ownerWidth = width(OwnerBounds());
  const bool resized = Sizeable() && combo->PopupResized();
  const TRect client = PopupClientRect();
  Integer w;
  if (resized)
    w = width(client) + b.left + b.right;
  else if (AutoSize())
    w = std::max<Integer>(content.cx + b.left + b.right, ownerWidth);
  else
    w = PopupWidth() > 0 ? PopupWidth() : ownerWidth;
  if (Sizeable() && MinWidth() > 0) w = std::max(w, MinWidth());
  Integer h;
  if (resized)
    h = height(client) + b.top + b.bottom;
  else if (PopupHeight() > 0 && (Sizeable() || !AutoSize()))
    h = PopupHeight();
  else
    h = content.cy + b.top + b.bottom;
  if (Sizeable() && MinHeight() > 0) h = std::max(h, MinHeight());
  SetBounds(Left(), Top(), std::max<Integer>(w, minimum.cx), std::max<Integer>(h, minimum.cy));
}

RTL_IMPLEMENT_CLASS(TcxCustomComboBoxInnerEdit)

void TcxCustomComboBoxInnerEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) controlState_.Exclude(csClicked);
  TcxCustomDropDownInnerEdit::MouseUp(Button, Shift, X, Y);
}

RTL_IMPLEMENT_CLASS(TcxCustomComboBox)

TcxCustomComboBox::TcxCustomComboBox(TComponent* AOwner) : TcxCustomDropDownEdit(AOwner) {
  controlStyle_.Exclude(csClickEvents);
}

TClass TcxCustomComboBox::GetPropertiesClass() { return TcxComboBoxProperties::StaticClass(); }

void TcxCustomComboBox::CalculatePopupContentSize(TSize& ASize) {
  ASize = TSize{0, 0};
  TcxComboBoxLookupData* lookup = ComboLookupData();
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (!lookup || !PopupWindow()) return;
  const TRect b = PopupWindow()->GetViewInfo()->GetBorderExtent();
  Integer hint = 0;
  if (!properties->PopupSizeable() && !properties->PopupAutoSize())
    hint = properties->PopupWidth() >= 1 ? properties->PopupWidth() - b.left - b.right : Width() - b.left - b.right;
  lookup->GetComboListSizeHint(hint, ASize);
}

void TcxCustomComboBox::SetupPopupWindow() {
  TcxCustomDropDownEdit::SetupPopupWindow();
  PopupWindow()->SetSysPanelStyle(GetActiveDropDownProperties()->PopupSizeable());
}

void TcxCustomComboBox::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomDropDownEdit::Activate(AEditData);
  if (LookupData()) LookupData()->SyncWithText();
}

void TcxCustomComboBox::InnerEditChanged(TObject* Sender) {
  if (!LookupData()) {
    TcxCustomDropDownEdit::InnerEditChanged(Sender);
    return;
  }
  Variant oldKey;
  LookupData()->GetKeyValue(oldKey);
  {
    LockClick(true);
    ScopeExit unlock([this] { LockClick(false); });
    TcxCustomDropDownEdit::InnerEditChanged(Sender);
    if (!LookupTyping() && (HasPopupWindow() || inputStyle() == tisListText || inputStyle() == tisFixedList))
      LookupData()->SyncWithText();
  }
  Variant newKey;
  LookupData()->GetKeyValue(newKey);
  if (!cxVariantsEqual(oldKey, newKey)) MarkModifiedAndClick();
}

Integer TcxCustomComboBox::GetItemIndex() {
  if (!LookupData()) return -1;
  Variant key;
  LookupData()->GetKeyValue(key);
  return key.IsNull() || key.IsEmpty() ? -1 : key.AsInteger();
}

void TcxCustomComboBox::SetItemIndex(Integer Value) {
  if (!LookupData()) return;
  const Integer old = GetItemIndex();
  {
    LockClick(true);
    ScopeExit unlock([this] { LockClick(false); });
    LookupData()->SetKeyValue(Variant(Value));
  }
  if (GetItemIndex() != old) {
    SetModified(false);
    Click();
  }
}

void TcxCustomComboBox::ResetPopupHeight() {
  TcxCustomDropDownEditProperties* properties = GetActiveDropDownProperties();
  if (IsInplace() && properties->PopupSizeable()) {
    if (TcxCustomDropDownEditData* data = dropDownEditData()) data->Height = 0;
  } else {
    properties->SetPopupHeight(0);
  }
}

void TcxCustomComboBox::DblClick() {
  TcxCustomDropDownEdit::DblClick();
  if (HasPopupWindow() || !GetActiveComboProperties()->Revertable() || !LookupData()) return;
  LockChangeEvents(true);
  ScopeExit unlock([this] { LockChangeEvents(false); });
  Variant oldKey;
  LookupData()->GetKeyValue(oldKey);
  {
    LockClick(true);
    ScopeExit unlockClick([this] { LockClick(false); });
    LookupData()->Navigate(lnNext, true);
  }
  Variant newKey;
  LookupData()->GetKeyValue(newKey);
  if (!cxVariantsEqual(oldKey, newKey) && CanPostEditValue() && GetActiveProperties()->ImmediatePost() &&
      ValidateInput(true))
    postLookupChange(oldKey);
}

void TcxCustomComboBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) controlState_.Exclude(csClicked);
  TcxCustomDropDownEdit::MouseUp(Button, Shift, X, Y);
}

void TcxCustomComboBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomDropDownEdit::MouseMove(Shift, X, Y);
  // A press on the editor dragged into the open list selects in the list.
  if (!HasPopupWindow() || !HandleAllocated() || GetCapture() != WindowHandle() || !Shift.Contains(ssLeft)) return;
  TcxCustomEditListBox* list = LookupData() ? LookupData()->GetList() : nullptr;
  if (!list || !list->HandleAllocated()) return;
  POINT cursor;
  GetCursorPos(&cursor);
  if (!LookupData()->IsPointOverList(TPoint{cursor.x, cursor.y})) return;
  ReleaseCapture();
  const TPoint local = list->ScreenToClient(TPoint{cursor.x, cursor.y});
  SendMessageA(list->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.x, local.y));
}

void TcxCustomComboBox::PopupWindowShowed(TObject* Sender) {
  TcxCustomDropDownEdit::PopupWindowShowed(Sender);
  POINT cursor;
  GetCursorPos(&cursor);
  if (LookupData() && LookupData()->IsPointOverList(TPoint{cursor.x, cursor.y})) FSkipNextMouseMove = true;
}

// ---------------------------------------------------------------------------------------
// The popup edit.

RTL_IMPLEMENT_CLASS(TcxCustomPopupEditProperties)

TcxCustomPopupEditProperties::TcxCustomPopupEditProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner) {
  setPopupDefaults(250, 200, 100, 100);
  storePopupAutoSize(true);
  SetPopupSizeable(true);
}

TcxCustomPopupEditProperties::~TcxCustomPopupEditProperties() {
  if (FWatcher && FPopupControl) FWatcher->RemoveSender(FPopupControl);
}

TClass TcxCustomPopupEditProperties::GetEditClass() { return TcxPopupEdit::StaticClass(); }

void TcxCustomPopupEditProperties::SetPopupControl(TControl* Value) {
  if (Value == FPopupControl) return;
  if (!FWatcher) {
    FWatcher.reset(New<TcxFreeNotificator>(nullptr));
    FWatcher->SetOnFreeNotification(
        TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomPopupEditProperties::controlFreed));
  }
  if (FPopupControl) FWatcher->RemoveSender(FPopupControl);
  FPopupControl = Value;
  if (FPopupControl) FWatcher->AddSender(FPopupControl);
}

void TcxCustomPopupEditProperties::Assign(TPersistent* Source) {
  TcxCustomDropDownEditProperties::Assign(Source);
  if (auto* source = dynamic_cast<TcxCustomPopupEditProperties*>(Source)) SetPopupControl(source->PopupControl());
}

RTL_IMPLEMENT_CLASS(TcxCustomPopupEdit)

TClass TcxCustomPopupEdit::GetPropertiesClass() { return TcxPopupEditProperties::StaticClass(); }

void TcxCustomPopupEdit::BeforeDestruction() {
  if (HasPopupWindow()) {
    ClosePopup(false);
  }
  RestorePopupControl();
  TcxCustomDropDownEdit::BeforeDestruction();
}

void TcxCustomPopupEdit::FireInitPopup() {
  TControl* control = GetActivePopupProperties()->PopupControl();
  if (control) {
    bool circular = control == PopupWindow() || control == this;
    if (auto* container = dynamic_cast<TWinControl*>(control); container && !circular)
      circular = container->ContainsControl(this);
    if (circular) throw Exception(cxGetResourceString(&scxEditCircularReferenceError));
  }
  TcxCustomDropDownEdit::FireInitPopup();
}

TWinControl* TcxCustomPopupEdit::GetPopupFocusControl() {
  return dynamic_cast<TWinControl*>(GetActivePopupProperties()->PopupControl());
}

void TcxCustomPopupEdit::CalculatePopupContentSize(TSize& ASize) {
  TControl* control = GetActivePopupProperties()->PopupControl();
  ASize = control ? TSize{control->Width(), control->Height()} : TSize{0, 0};
}

void TcxCustomPopupEdit::SetPopupContentBounds(const TRect& AClientRect) {
  if (TControl* control = GetActivePopupProperties()->PopupControl())
    control->SetBounds(AClientRect.left, AClientRect.top, width(AClientRect), height(AClientRect));
}

void TcxCustomPopupEdit::SavePopupControlState() {
  TControl* control = GetActivePopupProperties()->PopupControl();
  if (!control || FSavedControl == control) return;
  FSavedControl = control;
  FSavedAlign = control->Align();
  FSavedBounds = control->BoundsRect();
  FSavedParent = control->Parent();
  FSavedVisible = control->Visible();
  if (auto* form = dynamic_cast<TCustomForm*>(control)) {
    FSavedBorderStyle = form->BorderStyle();
    form->SetBorderStyle(bsNone);
  }
}

void TcxCustomPopupEdit::RestorePopupControl() {
  TControl* control = FSavedControl;
  if (!control || control != GetActivePopupProperties()->PopupControl()) {
    FSavedControl = nullptr;
    return;
  }
  FSavedControl = nullptr;
  control->SetVisible(false);
  control->SetParent(FSavedParent);
  control->SetAlign(FSavedAlign);
  control->SetBounds(FSavedBounds.left, FSavedBounds.top, width(FSavedBounds), height(FSavedBounds));
  if (auto* form = dynamic_cast<TCustomForm*>(control)) form->SetBorderStyle(FSavedBorderStyle);
  control->SetVisible(FSavedVisible);
}

void TcxCustomPopupEdit::LayoutPopupWindow() {
  TControl* control = GetActivePopupProperties()->PopupControl();
  if (!control) return;
  SavePopupControlState();
  control->SetParent(PopupWindow());
  control->SetVisible(true);
  TcxCustomDropDownEdit::LayoutPopupWindow();
  control->SetAlign(alClient);
}

void TcxCustomPopupEdit::PopupWindowClosed(TObject* Sender, bool ACloseQuery) {
  RestorePopupControl();
  TcxCustomDropDownEdit::PopupWindowClosed(Sender, ACloseQuery);
}

// ---------------------------------------------------------------------------------------
// Published classes and registration.

RTL_BEGIN_CLASS(TcxComboBoxProperties)
  using T = TcxComboBoxProperties;
  b.Property("Alignment", &T::HorzAlignment, &T::SetHorzAlignment).Stored(&T::IsHorzAlignmentStored);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(BeepOnError).Default(false);
  b.Property("ButtonGlyph", &T::ButtonGlyph, &T::SetButtonGlyph);
  PUBLISH(CaseInsensitive).Default(true);
  PUBLISH(CharCase).Default(ecNormal);
  PUBLISH(DropDownAutoWidth).Default(true);
  PUBLISH(DropDownListStyle).Default(lsEditList);
  PUBLISH(DropDownRows).Default(8);
  PUBLISH(DropDownSizeable).Default(false);
  PUBLISH(DropDownWidth).Default(0);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(IgnoreMaskBlank).Default(false);
  PUBLISH(ImmediateDropDown).Default(true);
  PUBLISH(ImmediatePost).Default(false);
  PUBLISH(ImmediateUpdateText).Default(false);
  PUBLISH(ItemHeight).Default(0);
  PUBLISH(Items);
  PUBLISH(MaskKind).Default(emkStandard);
  b.Property("EditMask", &T::GetEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  b.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  PUBLISH(OEMConvert).Default(false);
  PUBLISH(PopupAlignment).Default(taLeftJustify);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(Revertable).Default(false);
  PUBLISH(Sorted).Default(false);
  PUBLISH(UseLeftAlignmentOnEditing).Stored(&T::IsUseLeftAlignmentOnEditingStored);
  PUBLISH(ValidateOnEnter).Default(true);
  PUBLISH(OnChange);
  PUBLISH(OnCloseUp);
  PUBLISH(OnDrawItem);
  PUBLISH(OnEditValueChanged);
  PUBLISH(OnInitPopup);
  PUBLISH(OnMeasureItem);
  PUBLISH(OnNewLookupDisplayText);
  PUBLISH(OnPopup);
  PUBLISH(OnValidate);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxPopupEditProperties)
  using T = TcxPopupEditProperties;
  b.Property("Alignment", &T::HorzAlignment, &T::SetHorzAlignment).Stored(&T::IsHorzAlignmentStored);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(BeepOnError).Default(false);
  b.Property("ButtonGlyph", &T::ButtonGlyph, &T::SetButtonGlyph);
  PUBLISH(CaseInsensitive).Default(true);
  PUBLISH(CharCase).Default(ecNormal);
  PUBLISH(EchoMode).Default(eemNormal);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(IgnoreMaskBlank).Default(false);
  PUBLISH(ImmediateDropDown).Default(true);
  PUBLISH(ImmediatePopup).Default(true);
  PUBLISH(LookupItems);
  b.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  b.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  PUBLISH(MaskKind).Default(emkStandard);
  b.Property("EditMask", &T::GetEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  PUBLISH(OEMConvert).Default(false);
  PUBLISH(PopupAlignment).Default(taLeftJustify);
  PUBLISH(PopupAutoSize).Default(true);
  PUBLISH(PopupClientEdge).Default(false);
  PUBLISH(PopupControl);
  PUBLISH(PopupHeight).Default(200);
  PUBLISH(PopupMinHeight).Default(100);
  PUBLISH(PopupMinWidth).Default(100);
  PUBLISH(PopupSizeable).Default(true);
  PUBLISH(PopupSysPanelStyle).Default(false);
  PUBLISH(PopupWidth).Default(250);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(UseLeftAlignmentOnEditing).Stored(&T::IsUseLeftAlignmentOnEditingStored);
  PUBLISH(ValidateOnEnter).Default(true);
  PUBLISH(OnChange);
  PUBLISH(OnCloseQuery);
  PUBLISH(OnCloseUp);
  PUBLISH(OnEditValueChanged);
  PUBLISH(OnInitPopup);
  PUBLISH(OnPopup);
  PUBLISH(OnValidate);
RTL_END_CLASS


RTL_BEGIN_CLASS(TcxComboBox)
  publishTextEditControl(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxPopupEdit)
  publishTextEditControl(b);
RTL_END_CLASS

namespace cxDropDownEditUnit {

void Initialize() {
  cxGetEditorRegistry()->Register(TcxComboBoxProperties::StaticClass(), cxGetResourceString(&scxEditRegComboBox));
  cxGetEditorRegistry()->Register(TcxPopupEditProperties::StaticClass(), cxGetResourceString(&scxEditRegPopupEdit));
}

void Finalize() {
  if (!cxEditPropertiesList) return;
  cxGetEditorRegistry()->Unregister(TcxPopupEditProperties::StaticClass());
  cxGetEditorRegistry()->Unregister(TcxComboBoxProperties::StaticClass());
}

}  // namespace cxDropDownEditUnit
