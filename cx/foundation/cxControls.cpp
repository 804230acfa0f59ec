#include "cx/foundation/cxControls.h"

#include <algorithm>
#include <cstdlib>

#include <vssym32.h>

#include "platform/gui/GuiPublish.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(TcxDragAndDropObject)
RTL_IMPLEMENT_CLASS(TcxDragControlObject)
RTL_IMPLEMENT_CLASS(TcxDragImageList)
RTL_IMPLEMENT_CLASS(TcxControlChildComponent)
RTL_IMPLEMENT_CLASS(TMouseTrackingTimer)

RTL_BEGIN_CLASS(TcxControl)
  b.Message(WM_GETDLGCODE, &TcxControl::WMGetDlgCode);
  b.Message(WM_CONTEXTMENU, &TcxControl::WMContextMenu);
  b.Message(WM_ERASEBKGND, &TcxControl::WMEraseBkgnd);
  b.Message(WM_SETCURSOR, &TcxControl::WMSetCursor);
  b.Message(WM_CANCELMODE, &TcxControl::WMCancelMode);
  b.Message(WM_SIZE, &TcxControl::WMSize);
  b.Message(WM_PAINT, &TcxControl::WMPaint);
  b.Message(CM_DESIGNHITTEST, &TcxControl::CMDesignHitTest);
  b.Message(CM_COLORCHANGED, &TcxControl::CMColorChanged);
  b.Message(CM_CURSORCHANGED, &TcxControl::CMCursorChanged);
  b.Message(CM_FONTCHANGED, &TcxControl::CMFontChanged);
  b.Message(CM_TEXTCHANGED, &TcxControl::CMTextChanged);
  b.Message(CM_VISIBLECHANGED, &TcxControl::CMVisibleChanged);
  b.Message(CM_MOUSEENTER, &TcxControl::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TcxControl::CMMouseLeave);
  b.Message(CM_DRAG, &TcxControl::CMDrag);
  b.Message(WM_NCCALCSIZE, &TcxControl::WMNCCalcSize);
  b.Message(WM_CXSCROLLBARMETRICS, &TcxControl::WMScrollBarMetrics);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxScrollBar)
  b.Message(CN_HSCROLL, &TcxScrollBar::CNHScroll);
  b.Message(CN_VSCROLL, &TcxScrollBar::CNVScroll);
  b.Message(CM_ENABLEDCHANGED, &TcxScrollBar::CMEnabledChanged);
  b.Message(CM_VISIBLECHANGED, &TcxScrollBar::CMVisibleChanged);
  b.Message(CM_MOUSEENTER, &TcxScrollBar::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TcxScrollBar::CMMouseLeave);
  b.Message(CM_SYSCOLORCHANGE, &TcxScrollBar::CMSysColorChange);
  b.Message(CN_CTLCOLORSCROLLBAR, &TcxScrollBar::CNCtlColorScrollBar);
  b.Message(WM_ERASEBKGND, &TcxScrollBar::WMEraseBkgnd);
  b.Message(WM_CANCELMODE, &TcxScrollBar::WMCancelMode);
  using T = TcxScrollBar;
  PUBLISH(Kind).Default(sbHorizontal);
  PUBLISH(Min).Default(0);
  PUBLISH(Max).Default(100);
  PUBLISH(Position).Default(0);
  PUBLISH(PageSize).Default(0);
  PUBLISH(SmallChange).Default(1);
  PUBLISH(LargeChange).Default(1);
  PUBLISH(UnlimitedTracking).Default(false);
  PUBLISH(LookAndFeel);
  PUBLISH(OnChange);
  PUBLISH(OnScroll);
  publishPlacement(b);
  PUBLISH(Constraints);
  PUBLISH(Ctl3D).Stored(&T::IsCtl3DStored);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(ParentCtl3D).Default(true);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(PopupMenu);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxControlScrollBar)
  b.Message(WM_LBUTTONDOWN, &TcxControlScrollBar::WMLButtonDown);
  b.Message(CM_DESIGNHITTEST, &TcxControlScrollBar::CMDesignHitTest);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TcxSizeGrip)
RTL_IMPLEMENT_CLASS(TcxSettingsController)

RTL_BEGIN_CLASS(TcxPopupWindow)
  b.Message(WM_ACTIVATE, &TcxPopupWindow::WMActivate);
  b.Message(WM_ACTIVATEAPP, &TcxPopupWindow::WMActivateApp);
  b.Message(CM_VISIBLECHANGED, &TcxPopupWindow::CMVisibleChanged);
RTL_END_CLASS

namespace {

std::vector<TMouseTrackingTimer*>* trackingTimers = nullptr;
TcxSettingsController* settingsController = nullptr;
TDragObject* currentDragObject = nullptr;
Integer hourglassLevel = 0;
TCursor hourglassSavedCursor = crDefault;

HMODULE user32Library = nullptr;
using MonitorFromPointProc = HMONITOR(WINAPI*)(POINT, DWORD);
using GetMonitorInfoProc = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
MonitorFromPointProc monitorFromPoint = nullptr;
GetMonitorInfoProc getMonitorInfo = nullptr;

const struct {
  TCursor Id;
  const char* Name;
} controlCursors[] = {
    {crcxDragCopy, "CX_DRAGCOPYCURSOR"},     {crcxFullScroll, "CX_FULLSCROLLCURSOR"},
    {crcxHorScroll, "CX_HORSCROLLCURSOR"},   {crcxVerScroll, "CX_VERSCROLLCURSOR"},
    {crcxUpScroll, "CX_UPSCROLLCURSOR"},     {crcxRightScroll, "CX_RIGHTSCROLLCURSOR"},
    {crcxDownScroll, "CX_DOWNSCROLLCURSOR"}, {crcxLeftScroll, "CX_LEFTSCROLLCURSOR"},
    {crcxRemove, "CX_REMOVECURSOR"},         {crcxVertSize, "CX_VERTSIZECURSOR"},
    {crcxHorzSize, "CX_HORZSIZECURSOR"},     {crcxMultiDrag, "CX_MULTIDRAGCURSOR"},
    {crcxNoDrop, "CX_NODROPCURSOR"},         {crcxDrag, "CX_DRAGCURSOR"},
};

bool isEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

const char* const SScrollBarRange = "Scrollbar property out of range";

// A * B / C rounded to the nearest integer (halves away from zero), in 64 bits so that
// ranges near the ends of Integer do not overflow. C must not be 0.
Integer mulDiv(int64_t A, int64_t B, int64_t C) {
  int64_t product = A * B;
  bool negative = (product < 0) != (C < 0);
  int64_t divisor = C < 0 ? -C : C;
  int64_t quotient = ((product < 0 ? -product : product) + divisor / 2) / divisor;
  return static_cast<Integer>(negative ? -quotient : quotient);
}

// The 16-bit packed point of a mouse message.
TPoint packedPoint(LPARAM LParam) {
  return TPoint{static_cast<SmallInt>(LOWORD(LParam)), static_cast<SmallInt>(HIWORD(LParam))};
}

// The control a mouse enter or leave message names (a child), else the receiver itself.
TControl* messageControl(const TMessage& Message, TControl* ASelf) {
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  return control ? control : ASelf;
}

bool isMouseMessage(UINT Msg) { return Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEWHEEL; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Routines.

bool cxShowPopupMenu(TControl* AControl, TComponent* AMenu, Integer X, Integer Y) {
  if (!AMenu) return false;
  if (auto* popup = Supports<IcxPopupMenu>(AMenu)) {
    popup->Popup(X, Y);
    return true;
  }
  if (auto* menu = dynamic_cast<TPopupMenu*>(AMenu)) {
    if (!menu->AutoPopup()) return false;
    menu->SetPopupComponent(AControl);
    menu->Popup(X, Y);
    return true;
  }
  return false;
}

void cxPostMouseMove(TWinControl* AControl, const TPoint& P) {
  if (!AControl || !AControl->HandleAllocated()) return;
  PostMessageA(AControl->Handle(), WM_MOUSEMOVE, 0,
               MAKELPARAM(static_cast<WORD>(static_cast<SmallInt>(P.x)), static_cast<WORD>(static_cast<SmallInt>(P.y))));
}

void cxPostMouseMove(TWinControl* AControl) {
  if (!AControl || !AControl->HandleAllocated()) return;
  cxPostMouseMove(AControl, AControl->ScreenToClient(cxGetCursorPos()));
}

Integer cxDragDetect(HWND AWnd) {
  Integer result = 2;
  TPoint start = cxGetCursorPos();
  Integer threshold = Mouse ? Mouse->DragThreshold() : 5;
  TRect still{start.x - threshold, start.y - threshold, start.x + threshold, start.y + threshold};
  SetCapture(AWnd);
  bool done = false;
  while (!done && GetCapture() == AWnd) {
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    switch (msg.message) {
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (msg.wParam == VK_ESCAPE) done = true;
        break;
      case WM_MOUSEMOVE: {
        TPoint p = packedPoint(msg.lParam);
        ClientToScreen(msg.hwnd, &p);
        if (!PtInRect(&still, p)) {
          result = 1;
          done = true;
        }
        break;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        result = 0;
        done = true;
        break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (GetCapture() == AWnd) ReleaseCapture();
  return result;
}

bool cxIsPointInDragThreshold(const TPoint& AMouseDownPos, Integer X, Integer Y) {
  Integer threshold = Mouse ? Mouse->DragThreshold() : 5;
  return std::abs(X - AMouseDownPos.x) < threshold && std::abs(Y - AMouseDownPos.y) < threshold;
}

bool cxIsCtrlPressed() { return GetKeyState(VK_CONTROL) < 0; }

TDragObject* cxCurrentDragObject() { return currentDragObject; }

void cxShowHourglass() {
  if (hourglassLevel++ == 0) {
    hourglassSavedCursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
  }
}

void cxHideHourglass() {
  if (hourglassLevel == 0) return;
  if (--hourglassLevel == 0) Screen->SetCursor(hourglassSavedCursor);
}

TRect cxGetMonitorWorkArea(const TPoint& P) {
  if (monitorFromPoint && getMonitorInfo) {
    HMONITOR monitor = monitorFromPoint(P, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && getMonitorInfo(monitor, &info)) return info.rcWork;
  }
  RECT r{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

UINT cxGetDoubleClickTime() { return GetDoubleClickTime(); }

TPoint cxGetCursorPos() {
  POINT p{0, 0};
  GetCursorPos(&p);
  return p;
}

TRect cxMapWindowRect(HWND AFrom, HWND ATo, const TRect& R) {
  POINT points[2] = {{R.left, R.top}, {R.right, R.bottom}};
  MapWindowPoints(AFrom, ATo, points, 2);
  return TRect{points[0].x, points[0].y, points[1].x, points[1].y};
}

// ---------------------------------------------------------------------------------------
// The scroll bar.

TSize cxGetScrollBarSize() { return TSize{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)}; }

TcxScrollBar::TcxScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FBitmap = new TBitmap();
  FBitmap->SetPixelFormat(pfDevice);
  FCanvas = new TcxCanvas(FBitmap->Canvas());
  FLookAndFeel = New<TcxLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TcxScrollBar::lookAndFeelChanged));
  SetWidth(121);
  controlStyle_ = TControlStyle{csCaptureMouse, csFramed, csOpaque};
  FKind = sbHorizontal;
  SetHeight(cxGetScrollBarSize().cy);
  FThemeChangedNotificator = new TdxThemeChangedNotificator();
  FThemeChangedNotificator->SetOnThemeChanged(TEvent<void()>(this, &TcxScrollBar::themeChanged));
  FPosition = 0;
  FMin = 0;
  FMax = 100;
  FSmallChange = 1;
  FLargeChange = 1;
  FTimer = new TTimer(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(400);
  FTimer->SetOnTimer(TNotifyEvent(this, &TcxScrollBar::timerTick));
  CalcThumbnailMinSize();
  CalcRects();
}

TcxScrollBar::~TcxScrollBar() {
  delete FTimer;
  FTimer = nullptr;
  delete FThemeChangedNotificator;
  FThemeChangedNotificator = nullptr;
  delete FLookAndFeel;
  FLookAndFeel = nullptr;
  delete FCanvas;
  FCanvas = nullptr;
  delete FBitmap;
  FBitmap = nullptr;
}

void TcxScrollBar::SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, bool ARedraw) {
  if (AMax < AMin || AMax < APageSize) throw EInvalidOperation(SScrollBarRange);
  applyScrollParams(AMin, AMax, APosition, APageSize, ARedraw);
}

void TcxScrollBar::applyScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize,
                                     bool ARedraw) {
  APosition = std::clamp(APosition, AMin, std::max(AMin, AMax));
  if (AMin == FMin && AMax == FMax && APageSize == FPageSize && APosition == FPosition) return;
  FMin = AMin;
  FMax = AMax;
  FPageSize = APageSize;
  if (APosition == FPosition) {
    CalcThumbnail();
    if (ARedraw) repaintIfShown();
    return;
  }
  SetEnabled(true);
  FPosition = APosition;
  CalcThumbnail();
  if (ARedraw) repaintIfShown();
  Change();
}

void TcxScrollBar::repaintIfShown() {
  if (HandleAllocated()) Repaint();
}

void TcxScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (ComponentState().Contains(csLoading))
    CalcRects();
  else
    SetBounds(Left(), Top(), Width(), Height());
  Invalidate();
}

void TcxScrollBar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (Width() > 0 && Height() > 0 && FBitmap) {
    FBitmap->SetSize(Width(), Height());
    CalcRects();
  }
}

void TcxScrollBar::Change() {
  TCustomControl::Changed();
  if (FOnChange) FOnChange(this);
}

void TcxScrollBar::Scroll(TScrollCode AScrollCode, Integer& AScrollPos) {
  if (FOnScroll) FOnScroll(this, AScrollCode, AScrollPos);
}

// --- Layout.

Integer TcxScrollBar::trackStart() const { return isHorizontal() ? FLineUpRect.right : FLineUpRect.bottom; }

Integer TcxScrollBar::trackLength() const {
  return isHorizontal() ? FLineDownRect.left - FLineUpRect.right : FLineDownRect.top - FLineUpRect.bottom;
}

void TcxScrollBar::placeThumb(Integer AOffset, Integer ALength) {
  Integer start = trackStart() + AOffset;
  FThumbnailRect = isHorizontal() ? TRect{start, 0, start + ALength, Height()} : TRect{0, start, Width(), start + ALength};
}

void TcxScrollBar::CalcRects() {
  TSize system = cxGetScrollBarSize();
  Integer w = Width(), h = Height();
  // Square arrow buttons, at most half the bar each.
  if (isHorizontal()) {
    Integer a = std::min<Integer>(system.cy, w / 2);
    FLineUpRect = TRect{0, 0, a, h};
    FLineDownRect = TRect{w - a, 0, w, h};
  } else {
    Integer a = std::min<Integer>(system.cx, h / 2);
    FLineUpRect = TRect{0, 0, w, a};
    FLineDownRect = TRect{0, h - a, w, h};
  }
  CalcThumbnail();
}

void TcxScrollBar::CalcThumbnail() {
  FThumbnailRect = TRect{0, 0, 0, 0};
  CalcPageRects();
  if (!Enabled()) return;
  Integer track = trackLength();
  int64_t range = int64_t(FMax) - FMin + 1;
  Integer length = 0, offset = 0;
  if (FPageSize != 0) {
    if (range <= 0 || track < FThumbnailMinSize || FMax == FMin) return;
    length = static_cast<Integer>(std::min<int64_t>(track, mulDiv(FPageSize, track, range)));
    length = std::max(length, FThumbnailMinSize);
    // The positions the thumb can stand for; a page that covers the whole range (the
    // range check lets that through with a positive Min) leaves the thumb at the start.
    int64_t positions = range - FPageSize;
    if (positions > 0) offset = mulDiv(track - length, std::min<int64_t>(int64_t(FPosition) - FMin, positions), positions);
  } else {
    length = GetSystemMetrics(isHorizontal() ? SM_CXHTHUMB : SM_CYVTHUMB);
    if (track < length) return;
    if (track - length > 0 && FMax != FMin)
      offset = mulDiv(track - length, int64_t(FPosition) - FMin, int64_t(FMax) - FMin);
  }
  placeThumb(offset, length);
  CalcPageRects();
}

void TcxScrollBar::CalcPageRects() {
  if (isEmpty(FThumbnailRect)) {
    FPageUpRect = FPageDownRect = TRect{0, 0, 0, 0};
    return;
  }
  if (isHorizontal()) {
    FPageUpRect = TRect{FLineUpRect.right, 0, FThumbnailRect.left, Height()};
    FPageDownRect = TRect{FThumbnailRect.right, 0, FLineDownRect.left, Height()};
  } else {
    FPageUpRect = TRect{0, FLineUpRect.bottom, Width(), FThumbnailRect.top};
    FPageDownRect = TRect{0, FThumbnailRect.bottom, Width(), FLineDownRect.top};
  }
}

void TcxScrollBar::CalcThumbnailMinSize() {
  FThumbnailMinSize = 8;
  if (!FLookAndFeel || Painter()->GetPainterKind() != 3) return;
  TdxTheme theme = dxGetThemeHandle(totScrollBar);
  if (!theme) return;
  // Long enough for the theme's gripper, measured across the thumb.
  int part = isHorizontal() ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ;
  SIZE minSize{0, 0}, trueSize{0, 0};
  if (FAILED(dxGetThemePartSize(theme, nullptr, part, SCRBS_NORMAL, nullptr, TS_MIN, &minSize))) return;
  Integer size = isHorizontal() ? minSize.cx : minSize.cy;
  if (SUCCEEDED(dxGetThemePartSize(theme, nullptr, part, SCRBS_NORMAL, nullptr, TS_TRUE, &trueSize)))
    size = std::max<Integer>(size, (isHorizontal() ? trueSize.cx : trueSize.cy) + 4);
  FThumbnailMinSize = std::max<Integer>(size, 8);
}

Integer TcxScrollBar::PositionFromThumb() {
  if (isEmpty(FThumbnailRect)) return FPosition;
  int64_t positions = int64_t(FMax) - FMin;
  if (FPageSize > 0) positions -= FPageSize - 1;
  Integer length = isHorizontal() ? FThumbnailRect.right - FThumbnailRect.left : FThumbnailRect.bottom - FThumbnailRect.top;
  Integer free = trackLength() - length;
  // A thumb that fills the track, or a page that covers the range, stands for Min.
  if (free <= 0 || positions <= 0) return FMin;
  Integer offset = (isHorizontal() ? FThumbnailRect.left : FThumbnailRect.top) - trackStart();
  return static_cast<Integer>(std::clamp<int64_t>(int64_t(FMin) + mulDiv(positions, offset, free), FMin, FMax));
}

void TcxScrollBar::MoveThumb(Integer ADelta) {
  Integer length = isHorizontal() ? FThumbnailRect.right - FThumbnailRect.left : FThumbnailRect.bottom - FThumbnailRect.top;
  Integer startOffset = (isHorizontal() ? FDragStartThumb.x : FDragStartThumb.y) - trackStart();
  Integer current = (isHorizontal() ? FThumbnailRect.left : FThumbnailRect.top) - trackStart();
  Integer offset = std::clamp(startOffset + ADelta, 0, std::max(0, trackLength() - length));
  if (offset == current) return;
  placeThumb(offset, length);
  CalcPageRects();
  repaintIfShown();
  // Back at its place of the press, the thumb stands for the position of the press.
  FThumbMovedByMouse = offset != startOffset;
  Integer position = FThumbMovedByMouse ? PositionFromThumb() : FDragStartPosition;
  if (position != FPosition) {
    FPosition = position;
    DoScroll(scTrack);
  }
}

// --- Parts and states.

TcxScrollBarPart TcxScrollBar::HitTest(const TPoint& P) {
  TRect client = ClientRect();
  if (!PtInRect(&client, P)) return sbpNone;
  if (PtInRect(&FLineUpRect, P)) return sbpLineUp;
  if (PtInRect(&FLineDownRect, P)) return sbpLineDown;
  if (isEmpty(FThumbnailRect)) return sbpNone;
  if (PtInRect(&FThumbnailRect, P)) return sbpThumbnail;
  if (PtInRect(&FPageUpRect, P)) return sbpPageUp;
  if (PtInRect(&FPageDownRect, P)) return sbpPageDown;
  return sbpNone;
}

TcxButtonState TcxScrollBar::GetPartState(TcxScrollBarPart APart) {
  if (!Enabled()) return cxbsDisabled;
  if (APart == sbpThumbnail && !Painter()->HasHotTrackButtons()) return cxbsNormal;
  if (FState != sbpNone) return APart == FState && APart == FHotPart ? cxbsPressed : cxbsNormal;
  return APart == FHotPart && !ComponentState().Contains(csDesigning) ? cxbsHot : cxbsNormal;
}

bool TcxScrollBar::IsMouseOverPressedPart() {
  if (!HandleAllocated()) return false;
  return HitTest(ScreenToClient(cxGetCursorPos())) == FState;
}

// --- Scrolling.

void TcxScrollBar::DoScroll(TScrollCode AScrollCode) {
  int64_t position = FPosition;
  switch (AScrollCode) {
    case scLineUp: position -= FSmallChange; break;
    case scLineDown: position += FSmallChange; break;
    case scPageUp: position -= FLargeChange; break;
    case scPageDown: position += FLargeChange; break;
    case scTop: position = FMin; break;
    case scBottom: position = FMax; break;
    default: break;
  }
  Integer newPosition = static_cast<Integer>(std::clamp<int64_t>(position, FMin, std::max(FMin, FMax)));
  Scroll(AScrollCode, newPosition);
  newPosition = std::clamp(newPosition, FMin, std::max(FMin, FMax));
  if (newPosition == FPosition) return;
  if (AScrollCode == scTrack) {
    FPosition = newPosition;
    repaintIfShown();
  } else {
    SetPosition(newPosition);
  }
}

void TcxScrollBar::ScrollPart(TcxScrollBarPart APart) {
  switch (APart) {
    case sbpLineUp: DoScroll(scLineUp); break;
    case sbpLineDown: DoScroll(scLineDown); break;
    case sbpThumbnail: DoScroll(scTrack); break;
    case sbpPageUp: DoScroll(scPageUp); break;
    case sbpPageDown: DoScroll(scPageDown); break;
    default: break;
  }
}

void TcxScrollBar::StopScrolling() {
  if (FState == sbpNone) return;
  TcxScrollBarPart pressed = FState;
  // A handler reached from here (OnScroll) may end the press again: it finds none.
  FState = sbpNone;
  if (pressed == sbpThumbnail) {
    // A thumb the mouse did not move (or that snapped back) keeps the exact position it
    // was placed for; reading its pixels back could round to a neighbouring position.
    if (FThumbMovedByMouse) FPosition = PositionFromThumb();
    FThumbMovedByMouse = false;
    DoScroll(scPosition);
  }
  if (FTimer) FTimer->SetEnabled(false);
  FHotPart = sbpNone;
  DoScroll(scEndScroll);
  CalcThumbnail();
  Invalidate();
}

void TcxScrollBar::timerTick(TObject*) {
  if (HandleAllocated() && GetCapture() == WindowHandle() && isArrowOrPage(FState)) {
    if (FTimer->Interval() == 400) FTimer->SetInterval(60);
    ScrollPart(FState);
    // Paused while the mouse is off the pressed part (a mouse move resumes it).
    FTimer->SetEnabled(isArrowOrPage(FState) && IsMouseOverPressedPart());
  } else {
    FTimer->SetEnabled(false);
    StopScrolling();
  }
}

// --- Mouse.

void TcxScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TPoint p{X, Y};
  TcxScrollBarPart part = HitTest(p);
  if (part == sbpNone) return;
  if (part == sbpThumbnail) {
    FDragStartPoint = p;
    FDragStartPosition = FPosition;
    FDragStartThumb = TPoint{FThumbnailRect.left, FThumbnailRect.top};
    FThumbMovedByMouse = false;
    DoScroll(scTrack);
  }
  FState = part;
  FHotPart = part;
  if (isArrowOrPage(part)) {
    ScrollPart(part);
    FTimer->SetInterval(400);
    FTimer->SetEnabled(true);
  }
  repaintIfShown();
}

void TcxScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  TPoint p{X, Y};
  if (FState != sbpThumbnail) {
    TcxScrollBarPart part = HitTest(p);
    if (FState != sbpNone) FTimer->SetEnabled(part == FState);
    if (part != FHotPart) {
      // A pressed part shows pressed only while the mouse is on it.
      bool pressedLookChanges = FState != sbpNone && (part == FState || FHotPart == FState);
      FHotPart = part;
      if (Painter()->HasHotTrackButtons() || pressedLookChanges) repaintIfShown();
    }
    return;
  }
  TRect zone = isHorizontal() ? TRect{-34, -136, Width() + 34, Height() + 136}
                              : TRect{-136, -34, Width() + 136, Height() + 34};
  if (FUnlimitedTracking || PtInRect(&zone, p)) {
    MoveThumb(isHorizontal() ? X - FDragStartPoint.x : Y - FDragStartPoint.y);
  } else {
    // Too far from the bar: the position of the press comes back.
    FThumbMovedByMouse = false;
    SetPosition(FDragStartPosition);
    DoScroll(scTrack);
  }
}

void TcxScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  StopScrolling();
  FHotPart = HitTest(TPoint{X, Y});
}

void TcxScrollBar::MouseEnter(TControl*) {
  if (Painter()->HasHotTrackButtons() || isArrowOrPage(FState)) repaintIfShown();
}

void TcxScrollBar::MouseLeave(TControl*) {
  if (FState != sbpThumbnail) FHotPart = sbpNone;
  if (Painter()->HasHotTrackButtons() || isArrowOrPage(FState)) Invalidate();
}

// --- Painting.

void TcxScrollBar::Paint() { PaintControl(); }

void TcxScrollBar::PaintControl() {
  Integer w = Width(), h = Height();
  if (w <= 0 || h <= 0 || FBitmap->Width() != w || FBitmap->Height() != h) return;
  TcxCustomLookAndFeelPainterClass painter = Painter();
  bool horizontal = isHorizontal();
  // Without a thumb the whole track (and what the arrows leave) is one page area.
  if (isEmpty(FThumbnailRect))
    painter->DrawScrollBarPart(FCanvas, horizontal, TRect{0, 0, w, h}, sbpPageUp, cxbsNormal);
  else
    painter->DrawScrollBarPart(FCanvas, horizontal, FThumbnailRect, sbpThumbnail, GetPartState(sbpThumbnail));
  painter->DrawScrollBarPart(FCanvas, horizontal, FLineUpRect, sbpLineUp, GetPartState(sbpLineUp));
  painter->DrawScrollBarPart(FCanvas, horizontal, FLineDownRect, sbpLineDown, GetPartState(sbpLineDown));
  if (!isEmpty(FPageUpRect))
    painter->DrawScrollBarPart(FCanvas, horizontal, FPageUpRect, sbpPageUp, GetPartState(sbpPageUp));
  if (!isEmpty(FPageDownRect))
    painter->DrawScrollBarPart(FCanvas, horizontal, FPageDownRect, sbpPageDown, GetPartState(sbpPageDown));
  BitBlt(Canvas()->Handle(), 0, 0, w, h, FCanvas->Handle(), 0, 0, SRCCOPY);
}

void TcxScrollBar::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  CalcThumbnailMinSize();
  CalcRects();
  Invalidate();
}

void TcxScrollBar::ThemeChanged() {
  CalcThumbnailMinSize();
  CalcRects();
  cxRefreshScrollBarPageBitmaps();
  Invalidate();
  // The system size of the bar may have changed with the theme.
  if (Parent()) Parent()->Realign();
}

// --- Messages.

void TcxScrollBar::CNHScroll(TWMScroll& Message) { DoScroll(static_cast<TScrollCode>(Message.ScrollCode)); }

void TcxScrollBar::CNVScroll(TWMScroll& Message) { DoScroll(static_cast<TScrollCode>(Message.ScrollCode)); }

void TcxScrollBar::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  CalcRects();
  if (!Enabled()) StopScrolling();
  Invalidate();
}

void TcxScrollBar::CMVisibleChanged(TMessage& Message) {
  if (!Visible()) StopScrolling();
  INHERITED_MESSAGE(Message);
}

void TcxScrollBar::CMMouseEnter(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  MouseEnter(messageControl(Message, this));
}

void TcxScrollBar::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  MouseLeave(messageControl(Message, this));
}

void TcxScrollBar::CMSysColorChange(TMessage& Message) {
  cxRefreshScrollBarPageBitmaps();
  INHERITED_MESSAGE(Message);
}

void TcxScrollBar::CNCtlColorScrollBar(TMessage& Message) {
  cxRefreshScrollBarPageBitmaps();
  INHERITED_MESSAGE(Message);
}

void TcxScrollBar::WMEraseBkgnd(TWMEraseBkgnd& Message) { Message.Result = 1; }

void TcxScrollBar::WMCancelMode(TWMCancelMode& Message) {
  StopScrolling();
  INHERITED_MESSAGE(Message);
}

// ---------------------------------------------------------------------------------------
// The control's scroll bars and size grip.

TcxControlScrollBar::TcxControlScrollBar(TComponent* AOwner) : TcxScrollBar(AOwner) {
  SetColor(clBtnFace);
  controlStyle_.Exclude(csFramed);
  controlStyle_.Include(csNoDesignVisible);
  SetTabStop(false);
  SetVisible(false);
}

void TcxControlScrollBar::ApplyData() {
  if (FData.Visible) {
    // The control checked the range (its page fits in it), which may have a negative
    // minimum that the bar's own check would refuse.
    applyScrollParams(FData.Min, FData.Max, FData.Position, FData.PageSize, true);
    SetSmallChange(FData.SmallChange);
    SetLargeChange(FData.LargeChange);
  }
  SetEnabled(FData.Enabled);
  SetVisible(FData.Visible);
}

void TcxControlScrollBar::FocusParentOnClick() {
  TWinControl* parent = Parent();
  if (!parent) return;
  if (auto* control = dynamic_cast<TcxControl*>(parent)) {
    if (control->CanFocusOnChildClick()) control->SetFocus();
  } else if (parent->CanFocus()) {
    parent->SetFocus();
  }
}

void TcxControlScrollBar::WMLButtonDown(TWMMouse& Message) {
  FocusParentOnClick();
  INHERITED_MESSAGE(Message);
}

// The bar can be operated at design time.
void TcxControlScrollBar::CMDesignHitTest(TMessage& Message) { Message.Result = 1; }

TcxSizeGrip::TcxSizeGrip(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  controlStyle_.Include(csNoDesignVisible);
  SetVisible(false);
}

void TcxSizeGrip::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

// ---------------------------------------------------------------------------------------
// TcxDragAndDropObject.

TcxDragAndDropObject::TcxDragAndDropObject(TcxControl* AControl) : FControl(AControl) {}

TcxCanvas* TcxDragAndDropObject::Canvas() const { return FControl ? FControl->GetCanvas() : nullptr; }

void TcxDragAndDropObject::SetFeedbackHidden(bool Value) {
  if (FFeedbackHidden == Value) return;
  FFeedbackHidden = Value;
  FeedbackChanged();
}

void TcxDragAndDropObject::Init(const TPoint& APoint) {
  FCurrentPoint = APoint;
  FPreviousPoint = APoint;
  BeginDragAndDrop();
}

void TcxDragAndDropObject::DoDragAndDrop(const TPoint& APoint, bool& Accepted) {
  FPreviousPoint = FCurrentPoint;
  FCurrentPoint = APoint;
  DragAndDrop(APoint, Accepted);
}

void TcxDragAndDropObject::DoEndDragAndDrop(bool Accepted) {
  HideFeedback();
  EndDragAndDrop(Accepted);
}

TCursor TcxDragAndDropObject::GetDragAndDropCursor(bool Accepted) { return Accepted ? crDrag : crNoDrop; }

void TcxDragAndDropObject::BeginDragAndDrop() { FeedbackChanged(); }

void TcxDragAndDropObject::DragAndDrop(const TPoint&, bool& Accepted) {
  ShowFeedback();
  Screen->SetCursor(GetDragAndDropCursor(Accepted));
}

// ---------------------------------------------------------------------------------------
// Standard drag objects.

void TcxDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  TDragControlObject::Finished(Target, X, Y, Accepted);
  if (currentDragObject == this) currentDragObject = nullptr;
  delete this;
}

TCursor TcxDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
  auto* control = dynamic_cast<TcxControl*>(Control());
  if (Accepted && control && control->IsCopyDragDrop()) return crcxDragCopy;
  return TDragControlObject::GetDragCursor(Accepted, X, Y);
}

// ---------------------------------------------------------------------------------------
// TcxControl: construction.

TcxControl::TcxControl(TComponent* AOwner) : TCustomControl(AOwner) {
  if (HasDragImages()) controlStyle_.Include(csDisplayDragImage);
  FCanvas = new TcxCanvas(Canvas());
  FOwnCursor = Cursor();
  FLookAndFeel = New<TcxLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TcxControl::lookAndFeelChanged));
  FScrollBars = ssBoth;
  SetTabStop(AcceptsFocus());
  FParentBackground = true;
  SetParentBackground(true);
}

void TcxControl::AfterConstruction() {
  TCustomControl::AfterConstruction();
  if (HasScrollBars()) CreateScrollBars();
}

void TcxControl::BeforeDestruction() {
  if (!ComponentState().Contains(csDestroying)) Destroying();
  TCustomControl::BeforeDestruction();
}

TcxControl::~TcxControl() {
  DestroyScrollBars();
  // The control may go away in the middle of a drag: no object may outlive it.
  if (FDragAndDropState == ddsInProcess && GetCapture() == WindowHandle()) ReleaseCapture();
  delete FDragAndDropObject;
  FDragAndDropObject = nullptr;
  delete FDragImages;
  FDragImages = nullptr;
  FFontListeners.clear();
  SetPopupMenu(nullptr);
  freeScreenCanvas();
  delete FCanvas;
  FCanvas = nullptr;
  delete FLookAndFeel;
  FLookAndFeel = nullptr;
  clearDestroyGuards();
}

void TcxControl::freeScreenCanvas() {
  delete FScreenCanvas;
  FScreenCanvas = nullptr;
}

void TcxControl::clearDestroyGuards() {
  for (TcxControl** guard : FDestroyGuards) *guard = nullptr;
  FDestroyGuards.clear();
}

// ---------------------------------------------------------------------------------------
// Canvas, painter, bounds.

TcxCanvas* TcxControl::GetCanvas() {
  if (HandleAllocated()) {
    if (FScreenCanvas) freeScreenCanvas();
    return FCanvas;
  }
  if (!FScreenCanvas) FScreenCanvas = new TcxScreenCanvas();
  return FScreenCanvas;
}

TcxCustomLookAndFeelPainterClass TcxControl::GetPainter() { return FLookAndFeel->GetPainterClass(); }

void TcxControl::SetBorderStyle(TcxControlBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  BoundsChanged();
}

Integer TcxControl::GetBorderSize() {
  return FBorderStyle == cxcbsNone ? 0 : GetPainter()->GetControlBorderWidth();
}

TRect TcxControl::GetBounds() {
  if (!isEmpty(FExplicitBounds)) return FExplicitBounds;
  if (HandleAllocated()) return ClientRect();
  return TRect{0, 0, Width(), Height()};
}

TRect TcxControl::GetClientBounds() {
  TRect r = GetBounds();
  Integer border = GetBorderSize();
  InflateRect(&r, -border, -border);
  if (IsHScrollBarVisible()) r.bottom -= FHScrollBar->Height();
  if (IsVScrollBarVisible()) r.right -= FVScrollBar->Width();
  return r;
}

// ---------------------------------------------------------------------------------------
// Scroll-bar parameters.

void TcxControl::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  BoundsChanged();
}

void TcxControl::SetScrollBarInfo(TScrollBarKind AScrollBarKind, Integer AMin, Integer AMax, Integer AStep,
                                  Integer APage, Integer APos, bool AAllowShow, bool AAllowHide) {
  TcxControlScrollBar* bar = AScrollBarKind == sbHorizontal ? FHScrollBar : FVScrollBar;
  if (!bar) return;
  TcxScrollBarData& data = bar->PendingData();
  bool kindAllowed = AScrollBarKind == sbHorizontal ? (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                                                    : (FScrollBars == ssVertical || FScrollBars == ssBoth);
  data.ShowAllowed = AAllowShow && kindAllowed;
  data.HideAllowed = AAllowHide;
  if (data.ShowAllowed && AMax >= AMin && int64_t(APage) < int64_t(AMax) - AMin + 1 && APos >= AMin) {
    data.PageSize = APage;
    data.Min = AMin;
    data.Max = AMax;
    data.SmallChange = AStep;
    data.LargeChange = APage;
    data.Position = APos;
    data.Enabled = true;
    data.Visible = true;
  } else if (data.ShowAllowed && !AAllowHide) {
    // Nothing to scroll, but the bar stays on screen, disabled.
    data.Enabled = false;
    data.Visible = true;
  } else {
    data.Visible = false;
  }
}

const TcxScrollBarData& TcxControl::ScrollBarData(TScrollBarKind AKind) const {
  static const TcxScrollBarData none;
  TcxControlScrollBar* bar = AKind == sbHorizontal ? FHScrollBar : FVScrollBar;
  return bar ? bar->PendingData() : none;
}

bool TcxControl::IsHScrollBarVisible() {
  if (!FHScrollBar) return false;
  return FCalculatingScrollBarsParams ? FHScrollBar->PendingData().Visible : FHScrollBar->Visible();
}

bool TcxControl::IsVScrollBarVisible() {
  if (!FVScrollBar) return false;
  return FCalculatingScrollBarsParams ? FVScrollBar->PendingData().Visible : FVScrollBar->Visible();
}

TRect TcxControl::GetHScrollBarBounds() {
  TRect client = GetClientBounds();
  Integer height = FHScrollBar ? FHScrollBar->Height() : cxGetScrollBarSize().cy;
  return TRect{client.left, client.bottom, client.right, client.bottom + height};
}

TRect TcxControl::GetVScrollBarBounds() {
  TRect client = GetClientBounds();
  Integer width = FVScrollBar ? FVScrollBar->Width() : cxGetScrollBarSize().cx;
  return TRect{client.right, client.top, client.right + width, client.bottom};
}

TRect TcxControl::GetSizeGripBounds() {
  TRect h = GetHScrollBarBounds(), v = GetVScrollBarBounds();
  return TRect{v.left, h.top, v.right, h.bottom};
}

void TcxControl::CreateScrollBars() {
  TSize size = cxGetScrollBarSize();
  FHScrollBar = New<TcxControlScrollBar>(nullptr);
  FHScrollBar->SetKind(sbHorizontal);
  FHScrollBar->SetHeight(size.cy);
  FVScrollBar = New<TcxControlScrollBar>(nullptr);
  FVScrollBar->SetKind(sbVertical);
  FVScrollBar->SetWidth(size.cx);
  for (TcxControlScrollBar* bar : {FHScrollBar, FVScrollBar}) {
    bar->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
    bar->SetOnScroll(TScrollEvent(this, &TcxControl::ScrollBarScrolled));
  }
  FSizeGrip = New<TcxSizeGrip>(nullptr);
  cxGetSettingsController()->AddControl(this);
}

void TcxControl::DestroyScrollBars() {
  if (!FHScrollBar && !FVScrollBar && !FSizeGrip) return;
  if (settingsController) settingsController->RemoveControl(this);
  FreeAndNil(FSizeGrip);
  FreeAndNil(FVScrollBar);
  FreeAndNil(FHScrollBar);
}

void TcxControl::InitScrollBars() {
  if (FHScrollBar) FHScrollBar->SetParent(this);
  if (FVScrollBar) FVScrollBar->SetParent(this);
  if (FSizeGrip) FSizeGrip->SetParent(this);
}

bool TcxControl::IsInternalControl(TControl* AControl) {
  return AControl && (AControl == FHScrollBar || AControl == FVScrollBar || AControl == FSizeGrip);
}

void TcxControl::ScrollBarScrolled(TObject* Sender, TScrollCode AScrollCode, Integer& AScrollPos) {
  auto* bar = static_cast<TcxScrollBar*>(Sender);
  Scroll(bar->Kind(), AScrollCode, AScrollPos);
}

void TcxControl::CalculateScrollBarsParams() {
  if (FCalculatingScrollBarsParams) return;
  FCalculatingScrollBarsParams = true;
  try {
    TcxScrollBarData& h = FHScrollBar->PendingData();
    TcxScrollBarData& v = FVScrollBar->PendingData();
    h.Visible = false;
    v.Visible = false;
    // Showing one bar narrows the client area, which may call for the other: ask again
    // until neither visibility changes. Two bars settle in a few rounds; the cap keeps a
    // descendant whose answers never settle from hanging the program.
    for (int round = 0; round < 16; ++round) {
      bool hVisible = h.Visible, vVisible = v.Visible;
      InitScrollBarsParameters();
      if (hVisible == h.Visible && vVisible == v.Visible) break;
    }
    CheckPixelScrollBars();
  } catch (...) {
    FCalculatingScrollBarsParams = false;
    throw;
  }
  FCalculatingScrollBarsParams = false;
}

void TcxControl::CheckPixelScrollBars() {
  TcxScrollBarData& h = FHScrollBar->PendingData();
  TcxScrollBarData& v = FVScrollBar->PendingData();
  if (!(h.Visible && h.Enabled && h.HideAllowed && v.Visible && v.Enabled && v.HideAllowed)) return;
  Integer vWidth = FVScrollBar->Width(), hHeight = FHScrollBar->Height();
  bool hFits = IsPixelScrollBar(sbHorizontal) && int64_t(h.PageSize) + vWidth >= int64_t(h.Max) - h.Min + 1;
  bool vFits = IsPixelScrollBar(sbVertical) && int64_t(v.PageSize) + hHeight >= int64_t(v.Max) - v.Min + 1;
  if (!hFits || !vFits) return;
  // Without both bars each page grows by the other bar's thickness and covers its range.
  TcxScrollBarData hData = h, vData = v;
  SetScrollBarInfo(sbHorizontal, hData.Min, hData.Max, hData.SmallChange, hData.PageSize + vWidth, hData.Position,
                   hData.ShowAllowed, hData.HideAllowed);
  SetScrollBarInfo(sbVertical, vData.Min, vData.Max, vData.SmallChange, vData.PageSize + hHeight, vData.Position,
                   vData.ShowAllowed, vData.HideAllowed);
}

void TcxControl::ShowDisabledScrollBar(TcxControlScrollBar* AScrollBar) {
  AScrollBar->PendingData().Enabled = false;
  AScrollBar->PendingData().Visible = true;
  AScrollBar->SetEnabled(false);
  AScrollBar->SetVisible(true);
}

void TcxControl::UpdateScrollBars() {
  if (!HasScrollBars() || !FHScrollBar || !FVScrollBar || IsDestroying()) return;
  bool nested = FUpdatingScrollBars;
  if (!nested) {
    FHScrollBarVisible = FHScrollBar->Visible();
    FVScrollBarVisible = FVScrollBar->Visible();
  }
  FUpdatingScrollBars = true;
  try {
    bool hWasVisible = FHScrollBar->Visible(), vWasVisible = FVScrollBar->Visible();
    if (!FScrollBarsSettled) {
      CalculateScrollBarsParams();
      // A nested call that comes back to where the outermost call began is a show/hide
      // cycle: it ends with the bars on screen, the ones that would go disabled.
      FScrollBarsSettled = nested && FHScrollBar->PendingData().Visible == FHScrollBarVisible &&
                           FVScrollBar->PendingData().Visible == FVScrollBarVisible;
      if (FScrollBarsSettled) {
        if (FHScrollBar->Visible() != FHScrollBarVisible) ShowDisabledScrollBar(FHScrollBar);
        if (FVScrollBar->Visible() != FVScrollBarVisible) ShowDisabledScrollBar(FVScrollBar);
      } else {
        FHScrollBar->ApplyData();
        FVScrollBar->ApplyData();
      }
    }
    if (FHScrollBar->Visible() != hWasVisible || FVScrollBar->Visible() != vWasVisible) {
      // The client area changed: lay out again (this comes back here, nested).
      BoundsChanged();
    } else {
      FSizeGrip->SetVisible(FHScrollBar->Visible() && FVScrollBar->Visible());
      SetScrollBarsBounds();
      FHScrollBar->BringToFront();
      FVScrollBar->BringToFront();
      FSizeGrip->BringToFront();
    }
  } catch (...) {
    if (!nested) FScrollBarsSettled = false;
    FUpdatingScrollBars = nested;
    throw;
  }
  if (!nested) FScrollBarsSettled = false;
  FUpdatingScrollBars = nested;
}

void TcxControl::SetScrollBarsBounds() {
  if (!FHScrollBar || !FVScrollBar || !FSizeGrip) return;
  if (FHScrollBar->Visible()) FHScrollBar->SetBoundsRect(GetHScrollBarBounds());
  if (FVScrollBar->Visible()) FVScrollBar->SetBoundsRect(GetVScrollBarBounds());
  if (FSizeGrip->Visible()) FSizeGrip->SetBoundsRect(GetSizeGripBounds());
}

void TcxControl::ScrollInDirection(TcxDirection ADirection) {
  if (ADirection == dirNone || !FHScrollBar || !FVScrollBar) return;
  TScrollBarKind kind = (ADirection == dirLeft || ADirection == dirRight) ? sbHorizontal : sbVertical;
  TScrollCode code = (ADirection == dirLeft || ADirection == dirUp) ? scLineUp : scLineDown;
  Integer position = (kind == sbHorizontal ? FHScrollBar : FVScrollBar)->Position();
  Scroll(kind, code, position);
}

void TcxControl::HandleScrollBarMetrics() {
  if (!HasScrollBars() || !FHScrollBar || !FVScrollBar) return;
  TSize size = cxGetScrollBarSize();
  if (FHScrollBar->Height() == size.cy && FVScrollBar->Width() == size.cx) return;
  FHScrollBar->SetHeight(size.cy);
  FVScrollBar->SetWidth(size.cx);
  BoundsChanged();
}

TcxMouseWheelScrollingKind TcxControl::GetMouseWheelScrollingKind() {
  return IsVScrollBarVisible() ? mwskVertical : mwskNone;
}

// ---------------------------------------------------------------------------------------
// Focus, mouse, popup menu, listeners, guards.

bool TcxControl::CanFocusOnClick() { return !IsDesigning() && AcceptsFocus() && CanFocus(); }

bool TcxControl::CanFocusWithParentForm() {
  if (!CanFocus()) return false;
  TCustomForm* form = GetParentForm(this);
  return !form || (form->CanFocus() && form->Enabled() && form->Visible());
}

void TcxControl::SetMouseCaptureObject(TObject* Value) {
  if (FMouseCaptureObject == Value) return;
  TObject* old = FMouseCaptureObject;
  FMouseCaptureObject = Value;
  if (auto* capture = Supports<IcxMouseCaptureObject>(old)) capture->CaptureLost();
  if (!HandleAllocated()) return;
  if (Value)
    SetCapture(Handle());
  else if (GetCapture() == WindowHandle())
    ReleaseCapture();
}

bool TcxControl::IsWithinDragThreshold(Integer X, Integer Y) { return cxIsPointInDragThreshold(FMouseDownPos, X, Y); }

bool TcxControl::IsMouseInPressedArea(Integer X, Integer Y) {
  return DragMode() == dmManual || IsWithinDragThreshold(X, Y);
}

void TcxControl::PostMouseMove() { cxPostMouseMove(this); }
void TcxControl::PostMouseMove(const TPoint& P) { cxPostMouseMove(this, P); }

void TcxControl::SetPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value) && !Supports<IcxPopupMenu>(Value)) Value = nullptr;
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TcxControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TcxControl::AddFontListener(IcxFontListener* AListener) {
  if (AListener && std::find(FFontListeners.begin(), FFontListeners.end(), AListener) == FFontListeners.end())
    FFontListeners.push_back(AListener);
}

void TcxControl::RemoveFontListener(IcxFontListener* AListener) {
  FFontListeners.erase(std::remove(FFontListeners.begin(), FFontListeners.end(), AListener), FFontListeners.end());
}

void TcxControl::AddDestroyGuard(TcxControl** AGuard) { FDestroyGuards.push_back(AGuard); }

void TcxControl::RemoveDestroyGuard(TcxControl** AGuard) {
  auto it = std::find(FDestroyGuards.rbegin(), FDestroyGuards.rend(), AGuard);
  if (it != FDestroyGuards.rend()) FDestroyGuards.erase(std::next(it).base());
}

void TcxControl::InvalidateArea(const TRect& R, bool AEraseBackground) {
  if (HandleAllocated()) InvalidateRect(Handle(), &R, AEraseBackground);
}

bool TcxControl::ShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) { return cxShowPopupMenu(this, AMenu, X, Y); }

bool TcxControl::IsCopyDragDrop() { return cxIsCtrlPressed(); }

void TcxControl::FocusChanged() {
  if (FOnFocusChanged) FOnFocusChanged(this);
}

void TcxControl::FontChanged() {
  std::vector<IcxFontListener*> listeners = FFontListeners;
  for (IcxFontListener* listener : listeners) listener->FontChanged(this, Font());
  Invalidate();
}

void TcxControl::MouseEnter(TControl* AControl) {
  if (FOnMouseEnter) FOnMouseEnter(this, AControl);
}

void TcxControl::MouseLeave(TControl* AControl) {
  if (FOnMouseLeave) FOnMouseLeave(this, AControl);
}

void TcxControl::AddChildComponent(TComponent* AComponent) {
  if (auto* child = dynamic_cast<TcxControlChildComponent*>(AComponent)) child->SetControl(this);
}

void TcxControl::RemoveChildComponent(TComponent* AComponent) {
  if (auto* child = dynamic_cast<TcxControlChildComponent*>(AComponent)) child->SetControl(nullptr);
}

// ---------------------------------------------------------------------------------------
// In-control drag and drop.

TcxDragAndDropObjectClass TcxControl::GetDragAndDropObjectClass() {
  return FDragAndDropObjectClass ? FDragAndDropObjectClass : TcxDragAndDropObject::StaticClass();
}

TcxDragAndDropObject* TcxControl::DragAndDropObject() {
  if (!FDragAndDropObject) {
    TClass cls = GetDragAndDropObjectClass();
    TObject* object = cls->CreateInstance(this);
    FDragAndDropObject = dynamic_cast<TcxDragAndDropObject*>(object);
    if (!FDragAndDropObject) {
      delete object;
      FDragAndDropObject = new TcxDragAndDropObject(this);
    }
  }
  return FDragAndDropObject;
}

void TcxControl::SetDragAndDropState(TcxDragAndDropState Value) {
  if (FDragAndDropState == Value) return;
  FDragAndDropState = Value;
  if (Value == ddsNone && !FFinishingDragAndDrop) CancelMouseOperations();
}

void TcxControl::BeginDragAndDrop() {
  TPoint p = HandleAllocated() ? ScreenToClient(cxGetCursorPos()) : TPoint{0, 0};
  DragAndDropObject()->Init(p);
  if (HandleAllocated()) SetCapture(Handle());
  FDragAndDropPrevCursor = Screen->Cursor();
  FDragAndDropState = ddsInProcess;
}

void TcxControl::DragAndDrop(const TPoint& P, bool& Accepted) { DragAndDropObject()->DoDragAndDrop(P, Accepted); }

void TcxControl::EndDragAndDrop(bool Accepted) {
  SetDragAndDropState(ddsNone);
  Screen->SetCursor(FDragAndDropPrevCursor);
  if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
  SetMouseCaptureObject(nullptr);
  DragAndDropObject()->DoEndDragAndDrop(Accepted);
}

void TcxControl::FinishDragAndDrop(bool Accepted) {
  if (FFinishingDragAndDrop) return;
  FFinishingDragAndDrop = true;
  try {
    if (FDragAndDropState == ddsInProcess)
      EndDragAndDrop(Accepted);
    else
      SetDragAndDropState(ddsNone);
  } catch (...) {
    FFinishingDragAndDrop = false;
    throw;
  }
  delete FDragAndDropObject;
  FDragAndDropObject = nullptr;
  FFinishingDragAndDrop = false;
}

void TcxControl::prepareDragAndDrop(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y) {
  if (AButton == mbLeft && !AShift.Contains(ssDouble) && StartDragAndDrop(TPoint{X, Y})) {
    if (DragAndDropObject()->GetImmediateStart())
      BeginDragAndDrop();
    else
      SetDragAndDropState(ddsStarting);
  } else {
    FinishDragAndDrop(false);
  }
}

// ---------------------------------------------------------------------------------------
// Standard drag.

TClass TcxControl::GetDragObjectClass() { return TcxDragControlObject::StaticClass(); }

TClass TcxControl::GetDragImagesClass() { return TcxDragImageList::StaticClass(); }

TDragImageList* TcxControl::GetDragImages() {
  if (!HasDragImages()) return nullptr;
  if (!FDragImages) {
    FDragImages = new TcxDragImageList(static_cast<TComponent*>(nullptr));
    InitDragImages(FDragImages);
  }
  return FDragImages;
}

void TcxControl::InitDragImages(TcxDragImageList* ADragImages) {
  TSize size = GetDragImagesSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  ADragImages->SetWidth(size.cx);
  ADragImages->SetHeight(size.cy);
  TBitmap bitmap;
  bitmap.SetSize(size.cx, size.cy);
  TcxCanvas canvas(bitmap.Canvas());
  DrawDragImage(&canvas, TRect{0, 0, size.cx, size.cy});
  ADragImages->AddMasked(&bitmap, bitmap.TransparentColor());
}

void TcxControl::DoStartDrag(TDragObject*& DragObject) {
  TCustomControl::DoStartDrag(DragObject);
  if (!DragObject) DragObject = new TcxDragControlObject(this);
  if (!StartDrag(DragObject)) {
    delete DragObject;
    DragObject = nullptr;
    CancelDrag();
  }
}

void TcxControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  TCustomControl::DoEndDrag(Target, X, Y);
  delete FDragImages;
  FDragImages = nullptr;
}

// ---------------------------------------------------------------------------------------
// Window procedure and mouse handling.

TPoint TcxControl::messagePoint(const TMessage& Message) {
  // The packed coordinates are 16 bits: a control wider or taller than that reads the
  // cursor position instead.
  if (Width() > 32768 || Height() > 32768) {
    if (HandleAllocated()) return ScreenToClient(cxGetCursorPos());
  }
  return packedPoint(Message.LParam);
}

void TcxControl::WndProc(TMessage& Message) {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  UINT msg = Message.Msg;
  TPoint point{0, 0};
  bool mouse = isMouseMessage(msg);
  if (mouse) {
    point = messagePoint(Message);
    FLastMessagePoint = point;
    FLargeClientCoordinates = Width() > 32768 || Height() > 32768;
  }
  try {
    bool direct = false;
    if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && DragControlOf() == nullptr) {
      bool designing = IsDesigning();
      bool allow = designing ? AllowDesignHitTest(point, TShiftState{ssLeft}) : DragMode() == dmAutomatic;
      if (allow && !ControlAtPos(point, false)) direct = true;
    }
    if (direct) {
      // The class library would start its automatic drag here; this control decides
      // after the press (AfterMouseDown) instead.
      controlState_.Include(csLButtonDown);
      Dispatch(Message);
      if (guard) controlState_.Exclude(csLButtonDown);
    } else {
      TCustomControl::WndProc(Message);
    }
  } catch (...) {
    if (guard) RemoveDestroyGuard(&guard);
    throw;
  }
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged();
      break;
    case WM_PAINT:
      if (ParentBackground() != FParentBackground) {
        FParentBackground = ParentBackground();
        ParentBackgroundChanged();
      }
      break;
    case WM_LBUTTONDOWN:
      AfterMouseDown(mbLeft, point.x, point.y);
      break;
    case WM_RBUTTONDOWN:
      AfterMouseDown(mbRight, point.x, point.y);
      break;
    case WM_MBUTTONDOWN:
      AfterMouseDown(mbMiddle, point.x, point.y);
      break;
  }
}

void TcxControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FLargeClientCoordinates) {
    X = FLastMessagePoint.x;
    Y = FLastMessagePoint.y;
  }
  FMouseDownPos = TPoint{X, Y};
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  if (CanFocusOnClick() && !Shift.Contains(ssDouble)) {
    SetFocus();
    if (!guard) return;
    if (!IsFocused() && !AllowUnfocusedMouseDown()) {
      SetMouseCapture(false);
      if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
      RemoveDestroyGuard(&guard);
      return;
    }
  }
  prepareDragAndDrop(Button, Shift, X, Y);
  if (guard) ProcessMouseDown(Button, Shift, X, Y);
  if (guard) TCustomControl::MouseDown(Button, Shift, X, Y);
  if (guard) RemoveDestroyGuard(&guard);
}

void TcxControl::UpdateCursor(Integer X, Integer Y) {
  TCursor own = FOwnCursor;
  SetCursor(GetCurrentCursor(X, Y));
  FOwnCursor = own;
}

void TcxControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FLargeClientCoordinates) {
    X = FLastMessagePoint.x;
    Y = FLastMessagePoint.y;
  }
  UpdateCursor(X, Y);
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TCustomControl::MouseMove(Shift, X, Y);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  if (FDragAndDropState == ddsStarting && !IsWithinDragThreshold(X, Y)) BeginDragAndDrop();
  if (FDragAndDropState == ddsInProcess) {
    bool accepted = false;
    DragAndDrop(TPoint{X, Y}, accepted);
  }
}

void TcxControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FLargeClientCoordinates) {
    X = FLastMessagePoint.x;
    Y = FLastMessagePoint.y;
  }
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  ProcessMouseUp(Button, Shift, X, Y);
  if (guard) TCustomControl::MouseUp(Button, Shift, X, Y);
  if (guard) RemoveDestroyGuard(&guard);
}

void TcxControl::ProcessMouseUp(TMouseButton, TShiftState, Integer, Integer) {
  FinishDragAndDrop(true);
  SetMouseCaptureObject(nullptr);
}

void TcxControl::AfterMouseDown(TMouseButton AButton, Integer X, Integer Y) {
  if (DragMode() == dmAutomatic && (!IsDesigning() || AllowAutoDragAndDropAtDesignTime(X, Y, TShiftState{})) &&
      CanBeginStandardDrag(X, Y) && HandleAllocated()) {
    TcxControl* guard = this;
    AddDestroyGuard(&guard);
    Integer detected = cxDragDetect(Handle());
    if (!guard) return;
    RemoveDestroyGuard(&guard);
    if (detected == 1) BeginDrag(true, -1);
  }
  if (AButton == mbMiddle) ScrollByMiddleButton();
}

void TcxControl::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && FDragAndDropState != ddsNone) FinishDragAndDrop(false);
  TCustomControl::KeyDown(Key, Shift);
}

bool TcxControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  TcxMouseWheelScrollingKind kind = GetMouseWheelScrollingKind();
  if (kind == mwskNone) return false;
  bool forward = WheelDelta >= 0;
  TcxDirection direction = kind == mwskHorizontal ? (forward ? dirLeft : dirRight) : (forward ? dirUp : dirDown);
  Integer lines = Mouse ? Mouse->WheelScrollLines() : 3;
  for (Integer i = 0; i < lines; ++i) ScrollInDirection(direction);
  return true;
}

// ---------------------------------------------------------------------------------------
// Messages.

void TcxControl::WMGetDlgCode(TMessage& Message) {
  LRESULT code = 0;
  if (FWantedKeys.Contains(kAll)) code |= DLGC_WANTALLKEYS;
  if (FWantedKeys.Contains(kArrows)) code |= DLGC_WANTARROWS;
  if (FWantedKeys.Contains(kChars)) code |= DLGC_WANTCHARS;
  if (FWantedKeys.Contains(kTab)) code |= DLGC_WANTTAB;
  Message.Result = code;
}

void TcxControl::WMContextMenu(TWMContextMenu& Message) {
  if (Message.Result != 0) return;
  TPoint p = SmallPointToPoint(Message.Pos);
  bool fromKeyboard = p.x == -1 && p.y == -1;
  if (!IsDesigning()) {
    if (!fromKeyboard) {
      p = ScreenToClient(p);
      TRect client = ClientRect();
      if (!PtInRect(&client, p)) {
        INHERITED_MESSAGE(Message);
        return;
      }
    }
    bool handled = false;
    DoContextPopup(p, handled);
    if (!handled) {
      TPoint screen = ClientToScreen(fromKeyboard ? TPoint{0, 0} : p);
      handled = ShowPopupMenu(FPopupMenu, screen.x, screen.y);
    }
    Message.Result = handled ? 1 : 0;
    if (handled) return;
  }
  INHERITED_MESSAGE(Message);
}

void TcxControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  if (NeedsEraseBackground())
    INHERITED_MESSAGE(Message);
  else
    Message.Result = 1;
}

void TcxControl::WMSetCursor(TWMSetCursor& Message) {
  if (IsDesigning() && FDragAndDropState == ddsNone) {
    TPoint p = ScreenToClient(cxGetCursorPos());
    if (AllowDesignHitTest(p, TShiftState{ssLeft})) {
      ::SetCursor(Screen->Cursors(GetCurrentCursor(p.x, p.y)));
      Message.Result = 1;
      return;
    }
  }
  INHERITED_MESSAGE(Message);
}

void TcxControl::WMCancelMode(TWMCancelMode& Message) {
  INHERITED_MESSAGE(Message);
  FinishDragAndDrop(false);
  CancelMouseOperations();
}

void TcxControl::WMSize(TWMSize& Message) {
  INHERITED_MESSAGE(Message);
  BoundsChanged();
}

void TcxControl::WMPaint(TWMPaint& Message) {
  // The standard drag image would be painted over: hide it around the paint.
  TDragObject* dragObject = currentDragObject;
  if (dragObject) dragObject->HideDragImage();
  INHERITED_MESSAGE(Message);
  if (dragObject && currentDragObject == dragObject) dragObject->ShowDragImage();
}

void TcxControl::CMDesignHitTest(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (Message.Result == 0) {
    TWMMouse& mouse = reinterpret_cast<TWMMouse&>(Message);
    Message.Result = AllowDesignHitTest(TPoint{mouse.XPos, mouse.YPos}, KeysToShiftState(static_cast<Word>(mouse.Keys)))
                         ? 1
                         : 0;
  }
}

void TcxControl::CMColorChanged(TMessage& Message) {
  AfterColorChange();
  INHERITED_MESSAGE(Message);
}

void TcxControl::CMCursorChanged(TMessage& Message) {
  AfterCursorChange();
  INHERITED_MESSAGE(Message);
}

void TcxControl::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  FontChanged();
}

void TcxControl::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  AfterTextChange();
}

void TcxControl::CMVisibleChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  AfterVisibleChange();
}

void TcxControl::CMMouseEnter(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  MouseEnter(messageControl(Message, this));
}

void TcxControl::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  MouseLeave(messageControl(Message, this));
}

void TcxControl::CMDrag(TCMDrag& Message) {
  INHERITED_MESSAGE(Message);
  switch (Message.DragMessage) {
    case dmDragEnter:
    case dmDragMove:
      if (Message.DragRec) currentDragObject = Message.DragRec->Source;
      break;
    case dmDragLeave:
    case dmDragDrop:
    case dmDragCancel:
      currentDragObject = nullptr;
      break;
    default:
      break;
  }
}

void TcxControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxControl::CreateWnd() {
  TCustomControl::CreateWnd();
  InitScrollBars();
}

void TcxControl::PaintWindow(HDC DC) {
  if (FBorderStyle == cxcbsDefault) {
    // The border is drawn first; the descendants' painting is clipped to the client
    // bounds (the clip stays on the device context for the rest of this paint).
    TCanvas* canvas = Canvas();
    canvas->Lock();
    canvas->SetHandle(DC);
    {
      ScopeExit atEnd([&] { canvas->SetHandle(nullptr); canvas->Unlock(); });
      GetPainter()->DrawControlBorder(FCanvas, GetBounds());
      FCanvas->IntersectClip(GetClientBounds());
    }
  }
  TCustomControl::PaintWindow(DC);
}

// ---------------------------------------------------------------------------------------
// System setting changes.

TcxSettingsController* cxGetSettingsController() {
  if (!settingsController) settingsController = new TcxSettingsController();
  return settingsController;
}

TcxSettingsController::~TcxSettingsController() {
  if (FWindow) DeallocateHWnd(FWindow);
  FWindow = nullptr;
}

void TcxSettingsController::AddControl(TcxControl* AControl) {
  if (!AControl || std::find(FControls.begin(), FControls.end(), AControl) != FControls.end()) return;
  FControls.push_back(AControl);
  if (!FWindow) FWindow = AllocateHWnd(TWndMethod(this, &TcxSettingsController::wndProc));
}

void TcxSettingsController::RemoveControl(TcxControl* AControl) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  if (FControls.empty() && FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
}

void TcxSettingsController::wndProc(TMessage& Message) {
  try {
    if (Message.Msg == WM_SETTINGCHANGE && Message.WParam == SPI_SETNONCLIENTMETRICS) {
      // Sent as notifications: each control re-places its bars in its own time.
      for (TcxControl* control : FControls)
        if (control->HandleAllocated()) SendNotifyMessageA(control->Handle(), WM_CXSCROLLBARMETRICS, 0, 0);
      Message.Result = 0;
      return;
    }
    Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

void TcxControl::WMNCCalcSize(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (HandleAllocated()) PostMessageA(Handle(), WM_CXSCROLLBARMETRICS, 0, 0);
}

void TcxControl::WMScrollBarMetrics(TMessage&) { HandleScrollBarMetrics(); }

// ---------------------------------------------------------------------------------------
// Middle-button auto-scrolling.

namespace {

HWND scrollingAnchorWindow = nullptr;
// The mode's window timer (on the control's window).
constexpr UINT_PTR middleScrollTimerId = 0x0CBD;

const char* anchorBitmapName(bool AHorz, bool AVert) {
  if (AHorz && AVert) return "CX_FULLSCROLLBITMAP";
  return AHorz ? "CX_HORSCROLLBITMAP" : "CX_VERSCROLLBITMAP";
}

// The round window that marks the anchor: the picture of the scrollable directions in an
// elliptic window outlined in the window-text colour, on top, not activated.
HWND createAnchorWindow(HWND AParent, const TPoint& AAnchor, bool AHorz, bool AVert, Integer& ASize) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HBITMAP bitmap = LoadBitmapA(instance, anchorBitmapName(AHorz, AVert));
  BITMAP info{};
  if (bitmap) GetObjectA(bitmap, sizeof(info), &info);
  Integer w = bitmap ? info.bmWidth : 29, h = bitmap ? info.bmHeight : 29;
  ASize = w;
  HWND wnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, AAnchor.x - w / 2,
                             AAnchor.y - h / 2, w, h, AParent, nullptr, instance, nullptr);
  if (!wnd) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  SetWindowRgn(wnd, CreateEllipticRgn(0, 0, w + 1, h + 1), FALSE);
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  HDC dc = GetDC(wnd);
  if (bitmap) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(dc, 0, 0, w, h, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
  }
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, 0, 0, w, h);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  ReleaseDC(wnd, dc);
  ValidateRect(wnd, nullptr);
  return wnd;
}

bool isMouseButtonMessage(UINT Msg) {
  return Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEMOVE && Msg != WM_MBUTTONUP;
}

}  // namespace

HWND cxScrollingAnchorWindow() { return scrollingAnchorWindow; }

TRect cxMiddleScrollNeutralZone(const MiddleButtonScrollState& AState) {
  Integer w = AState.AnchorSize;
  TRect zone{AState.Anchor.x - w / 2, AState.Anchor.y - w / 2, AState.Anchor.x - w / 2 + w,
             AState.Anchor.y - w / 2 + w};
  if (!AState.HorzBar) {
    zone.left = 0;
    zone.right = GetSystemMetrics(SM_CXSCREEN);
  }
  if (!AState.VertBar) {
    zone.top = 0;
    zone.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  return zone;
}

void cxMiddleScrollUpdateDirection(MiddleButtonScrollState& AState, const TPoint& P) {
  TRect zone = cxMiddleScrollNeutralZone(AState);
  if (PtInRect(&zone, P)) {
    AState.Direction = dirNone;
    AState.Speed = 0;
    return;
  }
  AState.Moved = true;
  Integer dx = P.x - AState.Anchor.x, dy = P.y - AState.Anchor.y;
  Integer distance;
  if (!AState.HorzBar || (AState.VertBar && std::abs(dy) >= std::abs(dx))) {
    AState.Direction = dy < 0 ? dirUp : dirDown;
    distance = std::abs(dy);
  } else {
    AState.Direction = dx < 0 ? dirLeft : dirRight;
    distance = std::abs(dx);
  }
  AState.Speed = std::min<Integer>((distance - AState.AnchorSize / 2) / 5 + 1, 12);
}

TCursor cxMiddleScrollCursor(const MiddleButtonScrollState& AState) {
  switch (AState.Direction) {
    case dirLeft: return crcxLeftScroll;
    case dirRight: return crcxRightScroll;
    case dirUp: return crcxUpScroll;
    case dirDown: return crcxDownScroll;
    default: break;
  }
  if (AState.HorzBar && AState.VertBar) return crcxFullScroll;
  return AState.HorzBar ? crcxHorScroll : crcxVerScroll;
}

void cxMiddleScrollUpdateCursor(const MiddleButtonScrollState& AState) {
  ::SetCursor(Screen->Cursors(cxMiddleScrollCursor(AState)));
}

void TcxControl::ScrollByMiddleButton() {
  if (!HandleAllocated() || !FHScrollBar || !FVScrollBar) return;
  MiddleButtonScrollState state;
  state.HorzBar = FHScrollBar->Visible();
  state.VertBar = FVScrollBar->Visible();
  if (!state.HorzBar && !state.VertBar) return;
  HWND wnd = Handle();
  FMiddleButtonScrolling = true;
  state.Anchor = cxGetCursorPos();
  HWND anchor = createAnchorWindow(wnd, state.Anchor, state.HorzBar, state.VertBar, state.AnchorSize);
  scrollingAnchorWindow = anchor;
  state.Direction = dirNone;
  cxMiddleScrollUpdateCursor(state);
  state.Speed = 1;
  Integer ticks = 0;
  SetTimer(wnd, middleScrollTimerId, 20, nullptr);
  SetCapture(wnd);
  TPoint last = state.Anchor;

  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  auto finish = [&]() {
    // The control may be gone (a dispatched message freed it): then its window, the
    // timer and the anchor window (owned by it) went with it.
    if (GetCapture() == wnd) ReleaseCapture();
    if (guard) {
      KillTimer(wnd, middleScrollTimerId);
      RemoveDestroyGuard(&guard);
      FMiddleButtonScrolling = false;
    }
    if (IsWindow(anchor)) DestroyWindow(anchor);
    if (scrollingAnchorWindow == anchor) scrollingAnchorWindow = nullptr;
  };
  try {
    while (guard && GetCapture() == wnd) {
      MSG msg;
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      // A click of any button, a double click or the wheel ends the mode and goes no further.
      if (isMouseButtonMessage(msg.message)) break;
      bool done = false;
      switch (msg.message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
          done = msg.wParam == VK_ESCAPE;
          break;
        case WM_MBUTTONUP:
          // A click without a move leaves the mode on until the next click.
          done = state.Moved;
          break;
        case WM_TIMER:
          if (msg.hwnd == wnd && msg.wParam == middleScrollTimerId) {
            ++ticks;
            if (ticks % (13 - state.Speed) == 0) ScrollInDirection(state.Direction);
          }
          break;
        case WM_MOUSEMOVE: {
          TPoint p = packedPoint(msg.lParam);
          ::ClientToScreen(msg.hwnd, &p);
          if (p.x != last.x || p.y != last.y) {
            cxMiddleScrollUpdateDirection(state, p);
            cxMiddleScrollUpdateCursor(state);
            last = p;
          }
          break;
        }
        case WM_PAINT:
          // The anchor keeps the picture drawn into it.
          if (msg.hwnd == anchor) {
            ValidateRect(anchor, nullptr);
            continue;
          }
          break;
      }
      if (!guard) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (done) break;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// ---------------------------------------------------------------------------------------
// TcxControlChildComponent.

TcxControlChildComponent* TcxControlChildComponent::CreateForControl(TcxControl* AControl, bool AAssignOwner,
                                                                     TClass AClass) {
  TComponent* owner = AAssignOwner && AControl ? AControl->Owner() : nullptr;
  TClass cls = AClass ? AClass : TcxControlChildComponent::StaticClass();
  TObject* object = cls->CreateInstance(owner);
  auto* child = dynamic_cast<TcxControlChildComponent*>(object);
  if (!child) {
    delete object;
    return nullptr;
  }
  child->SetControl(AControl);
  return child;
}

TcxControlChildComponent::~TcxControlChildComponent() {
  if (FControl) FControl->RemoveChildComponent(this);
}

void TcxControlChildComponent::SetParentComponent(TComponent* Value) {
  TcxComponent::SetParentComponent(Value);
  if (auto* control = dynamic_cast<TcxControl*>(Value)) control->AddChildComponent(this);
}

// ---------------------------------------------------------------------------------------
// Mouse-leave tracking.

TMouseTrackingTimer::TMouseTrackingTimer(IcxMouseTrackingCaller* ACaller, TWinControl* AControl,
                                         const TRect& AScreenBounds)
    : TTimer(nullptr), FCaller(ACaller), FControl(AControl), FBounds(AScreenBounds) {
  if (FCaller) FCaller->_AddRef();
  SetInterval(10);
  SetOnTimer(TNotifyEvent(this, &TMouseTrackingTimer::timer));
  SetEnabled(true);
}

TMouseTrackingTimer::~TMouseTrackingTimer() {
  SetEnabled(false);
  if (FCaller) FCaller->_Release();
}

bool TMouseTrackingTimer::IsMouseInside() {
  TPoint cursor = cxGetCursorPos();
  void* hitTest = nullptr;
  if (FCaller && FCaller->QueryInterface(IcxMouseTrackingCallerHitTest::IID(), &hitTest) == S_OK && hitTest) {
    auto* caller = static_cast<IcxMouseTrackingCallerHitTest*>(hitTest);
    bool inside = false;
    if (FControl && FControl->HandleAllocated()) inside = caller->PtInCaller(FControl->ScreenToClient(cursor));
    caller->_Release();
    return inside;
  }
  return PtInRect(&FBounds, cursor) != 0;
}

void TMouseTrackingTimer::CheckMouse() {
  if (IsMouseInside()) return;
  if (FControl && FControl->HandleAllocated()) {
    TPoint local = FControl->ScreenToClient(cxGetCursorPos());
    TRect client = FControl->ClientRect();
    if (!PtInRect(&client, local))
      PostMessageA(FControl->Handle(), CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(FControl)));
  }
  IcxMouseTrackingCaller* caller = FCaller;
  caller->_AddRef();  // the caller stays alive while it is told and untracked
  caller->MouseLeave();
  cxEndMouseTracking(caller);  // frees this timer
  caller->_Release();
}

std::vector<TMouseTrackingTimer*>& cxGetMouseTrackingTimers() {
  if (!trackingTimers) trackingTimers = new std::vector<TMouseTrackingTimer*>();
  return *trackingTimers;
}

TMouseTrackingTimer* cxFindMouseTrackingTimer(IcxMouseTrackingCaller* ACaller) {
  if (!trackingTimers) return nullptr;
  for (TMouseTrackingTimer* timer : *trackingTimers)
    if (timer->Caller() == ACaller) return timer;
  return nullptr;
}

bool cxIsMouseTracking(IcxMouseTrackingCaller* ACaller) { return cxFindMouseTrackingTimer(ACaller) != nullptr; }

void cxBeginMouseTracking(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller) {
  if (!ACaller || cxIsMouseTracking(ACaller)) return;
  TRect bounds = ABounds;
  if (AControl && AControl->HandleAllocated()) bounds = cxMapWindowRect(AControl->Handle(), nullptr, ABounds);
  cxGetMouseTrackingTimers().push_back(new TMouseTrackingTimer(ACaller, AControl, bounds));
}

void cxEndMouseTracking(IcxMouseTrackingCaller* ACaller) {
  TMouseTrackingTimer* timer = cxFindMouseTrackingTimer(ACaller);
  if (!timer) return;
  auto& timers = cxGetMouseTrackingTimers();
  timers.erase(std::find(timers.begin(), timers.end(), timer));
  delete timer;
}

// ---------------------------------------------------------------------------------------
// TcxPopupWindow.

TcxPopupWindow::TcxPopupWindow(TComponent* AOwner) : TForm(AOwner, 0) {
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  FcxCanvas = new TcxCanvas(Canvas());
}

TcxPopupWindow::~TcxPopupWindow() {
  delete FcxCanvas;
  FcxCanvas = nullptr;
}

void TcxPopupWindow::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

Integer TcxPopupWindow::GetFrameWidth(Integer) {
  switch (FFrameStyle) {
    case pfsSingle:
    case pfsRaised: return 1;
    case pfsDoubleRaised: return 2;
    default: return 0;
  }
}

Integer TcxPopupWindow::GetClientOffset(Integer ASide) { return GetFrameWidth(ASide) + FFrameSpacing; }

void TcxPopupWindow::RestoreControlsBounds() {
  Integer dx = GetClientOffset(0), dy = GetClientOffset(1);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* control = Controls(i);
    control->SetBounds(control->Left() - dx, control->Top() - dy, control->Width(), control->Height());
  }
}

void TcxPopupWindow::SetFrameStyle(TcxPopupFrameStyle Value) {
  RestoreControlsBounds();
  FFrameStyle = Value;
}

void TcxPopupWindow::InitPopup() {
  if (FAnchorParent && FAnchorParent->Parent()) Font()->Assign(FAnchorParent->Font());
}

void TcxPopupWindow::CalculateSize() {
  if (!FAutoSizeToContent) return;
  Integer maxRight = 0, maxBottom = 0;
  Integer left = GetClientOffset(0), top = GetClientOffset(1);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* control = Controls(i);
    maxRight = std::max(maxRight, control->Left() + control->Width());
    maxBottom = std::max(maxBottom, control->Top() + control->Height());
    control->SetBounds(control->Left() + left, control->Top() + top, control->Width(), control->Height());
  }
  if (maxRight != 0) SetWidth(left + maxRight + GetClientOffset(2));
  if (maxBottom != 0) SetHeight(top + maxBottom + GetClientOffset(3));
}

void TcxPopupWindow::CalculatePosition(TPoint& P) {
  Integer horz = FHorzAlignment, vert = FVertAlignment;
  TRect owner = FAnchorBounds;
  if (auto* anchor = dynamic_cast<TWinControl*>(FAnchorParent); anchor && anchor->HandleAllocated()) {
    owner = cxMapWindowRect(anchor->Handle(), nullptr, FAnchorBounds);
  } else if (FAnchorParent) {
    TPoint tl = FAnchorParent->ClientToScreen(TPoint{FAnchorBounds.left, FAnchorBounds.top});
    TPoint br = FAnchorParent->ClientToScreen(TPoint{FAnchorBounds.right, FAnchorBounds.bottom});
    owner = TRect{tl.x, tl.y, br.x, br.y};
  }
  Integer width = Width(), height = Height();
  TPoint attach{0, 0};
  if (horz == 1) attach.x = P.x = (owner.left + owner.right - width) / 2;
  if (vert == 1) attach.y = P.y = (owner.top + owner.bottom - height) / 2;

  auto place = [&]() {
    if (FOpenDirection == 1) {
      if (horz == 0) {
        P.x = owner.left;
        attach.x = owner.left;
      } else if (horz == 2) {
        P.x = owner.right - width;
        attach.x = owner.right;
      }
      if (vert == 0) {
        P.y = owner.top - height;
        attach.y = owner.top;
      } else if (vert == 2) {
        P.y = owner.bottom;
        attach.y = owner.bottom;
      }
    } else {
      if (horz == 0) {
        P.x = owner.left - width;
        attach.x = owner.left;
      } else if (horz == 2) {
        P.x = owner.right;
        attach.x = owner.right;
      }
      if (vert == 0) {
        P.y = owner.top;
        attach.y = owner.top;
      } else if (vert == 2) {
        P.y = owner.bottom - height;
        attach.y = owner.bottom;
      }
    }
  };
  place();
  TRect work = cxGetMonitorWorkArea(attach);

  // Flip on the opening axis when the other side has more room.
  if (FOpenDirection == 1) {
    bool moreRoomAbove = work.bottom - owner.bottom < owner.top - work.top;
    if (vert == 2 && work.bottom < P.y + height && moreRoomAbove) {
      vert = 0;
      place();
    } else if (vert == 0 && P.y < work.top && !moreRoomAbove) {
      vert = 2;
      place();
    }
  } else {
    bool moreRoomLeft = work.right - owner.right < owner.left - work.left;
    if (horz == 2 && work.right < P.x + width && moreRoomLeft) {
      horz = 0;
      place();
    } else if (horz == 0 && P.x < work.left && !moreRoomLeft) {
      horz = 2;
      place();
    }
  }

  // Clamp to the work area. Both axes are clamped: a popup that stays on its side (not
  // enough room on the other) is pushed inside the work area rather than left partly off
  // the screen.
  if (work.right < P.x + width) P.x = work.right - width;
  if (P.x < work.left) P.x = work.left;
  if (work.bottom < P.y + height) P.y = work.bottom - height;
  if (P.y < work.top) P.y = work.top;
}

void TcxPopupWindow::Popup() {
  InitPopup();
  CalculateSize();
  TPoint p{Left(), Top()};
  CalculatePosition(p);
  SetBounds(p.x, p.y, Width(), Height());
  Show();
}

void TcxPopupWindow::ClosePopup() { Hide(); }

void TcxPopupWindow::DrawFrame() {
  TRect r{0, 0, Width(), Height()};
  switch (FFrameStyle) {
    case pfsSingle:
      FcxCanvas->DrawFrame(r, FSingleFrameColor);
      break;
    case pfsRaised:
      FcxCanvas->Draw3DEdge(r, false, false);
      break;
    case pfsDoubleRaised:
      FcxCanvas->Draw3DEdge(r, false, true);
      InflateRect(&r, -1, -1);
      FcxCanvas->Draw3DEdge(r, false, false);
      break;
    default:
      break;
  }
}

void TcxPopupWindow::Paint() {
  TForm::Paint();
  DrawFrame();
}

void TcxPopupWindow::WMActivate(TWMActivate& Message) {
  INHERITED_MESSAGE(Message);
  if (Message.Active != WA_INACTIVE) {
    FActivatedFromWindow = Message.ActiveWindow;
    if (FActivatedFromWindow) SendMessageA(FActivatedFromWindow, WM_NCACTIVATE, 1, 0);
  }
}

void TcxPopupWindow::WMActivateApp(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (Message.WParam == 0) {
    if (FActivatedFromWindow) SendMessageA(FActivatedFromWindow, WM_NCACTIVATE, 0, 0);
    ClosePopup();
  }
}

void TcxPopupWindow::Deactivate() {
  TForm::Deactivate();
  if (Visible()) ClosePopup();
}

void TcxPopupWindow::CMVisibleChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  VisibleChanged();
}

// ---------------------------------------------------------------------------------------
// Unit start and end.

void cxControlsInitialize() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const auto& cursor : controlCursors) Screen->SetCursors(cursor.Id, LoadCursorA(instance, cursor.Name));
  user32Library = LoadLibraryA("USER32");
  if (user32Library) {
    monitorFromPoint = reinterpret_cast<MonitorFromPointProc>(
        reinterpret_cast<void*>(GetProcAddress(user32Library, "MonitorFromPoint")));
    getMonitorInfo = reinterpret_cast<GetMonitorInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(user32Library, "GetMonitorInfoA")));
  }
}

void cxControlsFinalize() {
  // A caller that forgot to end its tracking is ended here: its timer would otherwise
  // fire into a program that is shutting down.
  if (trackingTimers) {
    while (!trackingTimers->empty()) {
      TMouseTrackingTimer* timer = trackingTimers->back();
      trackingTimers->pop_back();
      delete timer;
    }
    delete trackingTimers;
    trackingTimers = nullptr;
  }
  delete settingsController;
  settingsController = nullptr;
  monitorFromPoint = nullptr;
  getMonitorInfo = nullptr;
  if (user32Library) FreeLibrary(user32Library);
  user32Library = nullptr;
}

namespace cxControlsUnit {
void Initialize() { cxControlsInitialize(); }
void Finalize() { cxControlsFinalize(); }
}  // namespace cxControlsUnit
