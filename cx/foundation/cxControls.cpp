#include "cx/foundation/cxControls.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/SysUtils.h"

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
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxPopupWindow)
  b.Message(WM_ACTIVATE, &TcxPopupWindow::WMActivate);
  b.Message(WM_ACTIVATEAPP, &TcxPopupWindow::WMActivateApp);
  b.Message(CM_VISIBLECHANGED, &TcxPopupWindow::CMVisibleChanged);
RTL_END_CLASS

namespace {

std::vector<TMouseTrackingTimer*>* trackingTimers = nullptr;
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

// The 16-bit packed point of a mouse message.
TPoint packedPoint(LPARAM LParam) {
  return TPoint{static_cast<SmallInt>(LOWORD(LParam)), static_cast<SmallInt>(HIWORD(LParam))};
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

void TcxControl::BeforeDestruction() {
  if (!ComponentState().Contains(csDestroying)) Destroying();
  TCustomControl::BeforeDestruction();
}

TcxControl::~TcxControl() {
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
  if (IsHScrollBarVisible()) r.bottom -= GetSystemMetrics(SM_CYHSCROLL);
  if (IsVScrollBarVisible()) r.right -= GetSystemMetrics(SM_CXVSCROLL);
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
  TcxScrollBarData& data = AScrollBarKind == sbHorizontal ? FHScrollBarData : FVScrollBarData;
  bool kindAllowed = AScrollBarKind == sbHorizontal ? (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                                                    : (FScrollBars == ssVertical || FScrollBars == ssBoth);
  bool mayShow = AAllowShow && kindAllowed;
  if (mayShow && AMax >= AMin && APage < AMax - AMin + 1 && APos >= AMin) {
    data.Min = AMin;
    data.Max = AMax;
    data.SmallChange = AStep;
    data.LargeChange = APage;
    data.PageSize = APage;
    data.Position = APos;
    data.Visible = true;
    data.Enabled = true;
  } else {
    data.Enabled = false;
    data.Visible = kindAllowed && !AAllowHide;
  }
}

bool TcxControl::IsHScrollBarVisible() {
  return FCalculatingScrollBarsParams ? FHScrollBarData.Visible : FHScrollBarVisible;
}

bool TcxControl::IsVScrollBarVisible() {
  return FCalculatingScrollBarsParams ? FVScrollBarData.Visible : FVScrollBarVisible;
}

TRect TcxControl::GetHScrollBarBounds() {
  TRect r = GetBounds();
  Integer border = GetBorderSize();
  InflateRect(&r, -border, -border);
  r.top = r.bottom - GetSystemMetrics(SM_CYHSCROLL);
  if (IsVScrollBarVisible()) r.right -= GetSystemMetrics(SM_CXVSCROLL);
  return r;
}

TRect TcxControl::GetVScrollBarBounds() {
  TRect r = GetBounds();
  Integer border = GetBorderSize();
  InflateRect(&r, -border, -border);
  r.left = r.right - GetSystemMetrics(SM_CXVSCROLL);
  if (IsHScrollBarVisible()) r.bottom -= GetSystemMetrics(SM_CYHSCROLL);
  return r;
}

TRect TcxControl::GetSizeGripBounds() {
  TRect h = GetHScrollBarBounds(), v = GetVScrollBarBounds();
  return TRect{v.left, h.top, v.right, h.bottom};
}

void TcxControl::UpdateScrollBars() {
  if (FUpdatingScrollBars || !HasScrollBars() || IsDestroying()) return;
  FUpdatingScrollBars = true;
  FCalculatingScrollBarsParams = true;
  try {
    // A bar that appears narrows the client area, which may make the other bar appear;
    // two kinds of bar settle within a few passes.
    for (int pass = 0; pass < 4; ++pass) {
      bool h = FHScrollBarData.Visible, v = FVScrollBarData.Visible;
      InitScrollBarsParameters();
      if (pass > 0 && h == FHScrollBarData.Visible && v == FVScrollBarData.Visible) break;
    }
  } catch (...) {
    FCalculatingScrollBarsParams = false;
    FUpdatingScrollBars = false;
    throw;
  }
  FCalculatingScrollBarsParams = false;
  FHScrollBarVisible = FHScrollBarData.Visible;
  FVScrollBarVisible = FVScrollBarData.Visible;
  SetScrollBarsBounds();
  FUpdatingScrollBars = false;
}

void TcxControl::ScrollInDirection(TcxDirection ADirection) {
  if (ADirection == dirNone) return;
  TScrollBarKind kind = (ADirection == dirLeft || ADirection == dirRight) ? sbHorizontal : sbVertical;
  TScrollCode code = (ADirection == dirLeft || ADirection == dirUp) ? scLineUp : scLineDown;
  Integer position = ScrollBarData(kind).Position;
  Scroll(kind, code, position);
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
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  MouseEnter(control ? control : this);
}

void TcxControl::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  MouseLeave(control ? control : this);
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
    try {
      GetPainter()->DrawControlBorder(FCanvas, GetBounds());
      FCanvas->IntersectClip(GetClientBounds());
    } catch (...) {
      canvas->SetHandle(nullptr);
      canvas->Unlock();
      throw;
    }
    canvas->SetHandle(nullptr);
    canvas->Unlock();
  }
  TCustomControl::PaintWindow(DC);
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
  monitorFromPoint = nullptr;
  getMonitorInfo = nullptr;
  if (user32Library) FreeLibrary(user32Library);
  user32Library = nullptr;
}

namespace cxControlsUnit {
void Initialize() { cxControlsInitialize(); }
void Finalize() { cxControlsFinalize(); }
}  // namespace cxControlsUnit
