// Controls: the base control classes, their window procedure, painting, layout, focus,
// mouse and keyboard handling, and the drag-and-drop manager.
#include "platform/gui/Controls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

TMouse* Mouse = nullptr;

// =======================================================================================
// Windows and their controls
// =======================================================================================

namespace {

// The control each window of this program belongs to. A control's window is entered when
// its first message arrives (creationControl says whose window is being made) and removed
// on WM_NCDESTROY.
std::unordered_map<HWND, TWinControl*>& windowControls() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}

// The control whose window CreateWindowEx is making on this thread.
thread_local TWinControl* creationControl = nullptr;

// The graphic control that holds the mouse through its parent's capture.
TControl* captureControl = nullptr;

HINSTANCE moduleInstance() { return GetModuleHandleA(nullptr); }

// An exception leaving a message handler ends here: the application shows it and the
// program goes on. Called only inside a catch block.
void handleControlException(TObject* sender) {
  try {
    if (Application) {
      Application->HandleException(sender);
      return;
    }
    throw;
  } catch (const Exception& e) {
    OutputDebugStringA(e.Message().c_str());
  } catch (...) {
  }
}

}  // namespace

// The window procedure of every control window: finds the control and hands it the
// message. Exceptions stop in MainWndProc.
LRESULT CALLBACK controlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& map = windowControls();
  auto it = map.find(hwnd);
  TWinControl* control = nullptr;
  if (it != map.end()) {
    control = it->second;
  } else if (creationControl) {
    control = creationControl;
    creationControl = nullptr;
    control->attachHandle(hwnd);
  } else {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  TMessage message;
  message.Msg = msg;
  message.WParam = wParam;
  message.LParam = lParam;
  message.Result = 0;
  if (msg == WM_NCDESTROY) {
    // The last message of the window: after the control saw it the window is forgotten,
    // and a window subclassed after its creation gets its own procedure back.
    WNDPROC original = control->subclassed_ && control->handle_ == hwnd ? control->defWndProc_ : nullptr;
    control->MainWndProc(message);
    map.erase(hwnd);
    if (original) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    if (control->handle_ == hwnd) control->detachHandle();
    return message.Result;
  }
  control->MainWndProc(message);
  return message.Result;
}

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  auto& map = windowControls();
  auto it = map.find(Handle);
  return it == map.end() ? nullptr : it->second;
}

namespace {

// The first control window at or above Window (a system child window of a control, such
// as a combo box's edit, belongs to that control).
TWinControl* findControlAbove(HWND Window) {
  while (Window) {
    if (TWinControl* c = FindControl(Window)) return c;
    Window = GetParent(Window);
  }
  return nullptr;
}

}  // namespace

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  TWinControl* window = findControlAbove(WindowFromPoint(Pos));
  if (!window) return nullptr;
  TControl* result = window;
  if (TControl* child = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled)) result = child;
  return result;
}

TControl* GetCaptureControl() {
  TControl* result = FindControl(GetCapture());
  if (result && captureControl && captureControl->Parent() == result) result = captureControl;
  return result;
}

void SetCaptureControl(TControl* Control) {
  ReleaseCapture();
  captureControl = nullptr;
  if (!Control) return;
  TWinControl* window = dynamic_cast<TWinControl*>(Control);
  if (!window) {
    if (!Control->Parent()) return;
    captureControl = Control;
    window = Control->Parent();
  }
  SetCapture(window->Handle());
}

TAnchors AnchorAlign(TAlign Align) {
  switch (Align) {
    case alTop: return {akLeft, akTop, akRight};
    case alBottom: return {akLeft, akRight, akBottom};
    case alLeft: return {akLeft, akTop, akBottom};
    case alRight: return {akRight, akTop, akBottom};
    case alClient: return {akLeft, akTop, akRight, akBottom};
    default: return {akLeft, akTop};
  }
}

// ---------------------------------------------------------------------------------------
// Shift states.

TShiftState KeysToShiftState(Word Keys) {
  TShiftState result;
  if (Keys & MK_SHIFT) result.Include(ssShift);
  if (Keys & MK_CONTROL) result.Include(ssCtrl);
  if (Keys & MK_LBUTTON) result.Include(ssLeft);
  if (Keys & MK_RBUTTON) result.Include(ssRight);
  if (Keys & MK_MBUTTON) result.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) result.Include(ssAlt);
  return result;
}

TShiftState KeyDataToShiftState(Integer KeyData) {
  // Bit 29 of a key message's data is the Alt key; Shift and Ctrl are read from the
  // keyboard, as the message does not carry them.
  constexpr Integer AltMask = 0x20000000;
  TShiftState result;
  if (GetKeyState(VK_SHIFT) < 0) result.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) result.Include(ssCtrl);
  if (KeyData & AltMask) result.Include(ssAlt);
  return result;
}

TShiftState KeyboardStateToShiftState(const BYTE* KeyboardState) {
  TShiftState result;
  if (KeyboardState[VK_SHIFT] & 0x80) result.Include(ssShift);
  if (KeyboardState[VK_CONTROL] & 0x80) result.Include(ssCtrl);
  if (KeyboardState[VK_MENU] & 0x80) result.Include(ssAlt);
  if (KeyboardState[VK_LBUTTON] & 0x80) result.Include(ssLeft);
  if (KeyboardState[VK_RBUTTON] & 0x80) result.Include(ssRight);
  if (KeyboardState[VK_MBUTTON] & 0x80) result.Include(ssMiddle);
  return result;
}

TShiftState KeyboardStateToShiftState() {
  BYTE state[256] = {};
  GetKeyboardState(state);
  return KeyboardStateToShiftState(state);
}

// ---------------------------------------------------------------------------------------
// Hints.

std::string GetShortHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

// ---------------------------------------------------------------------------------------
// Cursor names.

namespace {

struct CursorName {
  Integer Value;
  const char* Name;
};

constexpr CursorName kCursorNames[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

TTypeInfo cursorTypeInfo() {
  TTypeInfo t;
  t.Kind = tkInteger;
  t.Name = "TCursor";
  t.OrdType = otSWord;
  t.MinValue = -32768;
  t.MaxValue = 32767;
  return t;
}

}  // namespace

PTypeInfo TypeInfoOf(TCursor*) {
  static const TTypeInfo ti = cursorTypeInfo();
  return &ti;
}

bool CursorToIdent(Integer Cursor, std::string& Ident) {
  for (const CursorName& c : kCursorNames)
    if (c.Value == Cursor) {
      Ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToCursor(const std::string& Ident, Integer& Cursor) {
  for (const CursorName& c : kCursorNames)
    if (SameText(Ident, c.Name)) {
      Cursor = c.Value;
      return true;
    }
  return false;
}

std::string CursorToString(TCursor Cursor) {
  std::string ident;
  if (CursorToIdent(Cursor, ident)) return ident;
  return IntToStr(static_cast<Integer>(Cursor));
}

TCursor StringToCursor(const std::string& S) {
  Integer value;
  if (IdentToCursor(S, value)) return static_cast<TCursor>(value);
  return static_cast<TCursor>(StrToInt(S));
}

void GetCursorValues(const std::function<void(const std::string&)>& Proc) {
  for (const CursorName& c : kCursorNames) Proc(c.Name);
}

// ---------------------------------------------------------------------------------------
// Small drawing helpers.

void paintOnCanvas(TCanvas* Canvas, HDC DC, const std::function<void()>& Paint) {
  Canvas->Lock();
  Canvas->SetHandle(DC);
  {
    ScopeExit atEnd([&] { Canvas->SetHandle(nullptr); Canvas->Unlock(); });
    Paint();
  }
}

void MoveWindowOrg(HDC DC, Integer DX, Integer DY) {
  POINT p;
  GetWindowOrgEx(DC, &p);
  SetWindowOrgEx(DC, p.x - DX, p.y - DY, nullptr);
}

void PerformEraseBackground(TControl* Control, HDC DC) {
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  POINT last;
  GetWindowOrgEx(DC, &last);
  SetWindowOrgEx(DC, last.x + Control->Left(), last.y + Control->Top(), nullptr);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  SetWindowOrgEx(DC, last.x, last.y, nullptr);
}

LRESULT SendAppMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Application && Application->Handle()) return SendMessageA(Application->Handle(), Msg, WParam, LParam);
  return 0;
}

void ChangeBiDiModeAlignment(TAlignment& Alignment) {
  if (Alignment == taLeftJustify) Alignment = taRightJustify;
  else if (Alignment == taRightJustify) Alignment = taLeftJustify;
}

// =======================================================================================
// TSizeConstraints
// =======================================================================================

TSizeConstraints::TSizeConstraints(TControl* Control) : control_(Control) {}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TSizeConstraints*>(Source)) {
    minHeight_ = other->minHeight_;
    maxHeight_ = other->maxHeight_;
    minWidth_ = other->minWidth_;
    maxWidth_ = other->maxWidth_;
    Change();
    return;
  }
  TPersistent::Assign(Source);
}

void TSizeConstraints::SetMaxHeight(Integer Value) {
  if (Value == maxHeight_) return;
  maxHeight_ = Value;
  if (Value > 0 && Value < minHeight_) minHeight_ = Value;
  Change();
}

void TSizeConstraints::SetMaxWidth(Integer Value) {
  if (Value == maxWidth_) return;
  maxWidth_ = Value;
  if (Value > 0 && Value < minWidth_) minWidth_ = Value;
  Change();
}

void TSizeConstraints::SetMinHeight(Integer Value) {
  if (Value == minHeight_) return;
  minHeight_ = Value;
  if (maxHeight_ > 0 && Value > maxHeight_) maxHeight_ = Value;
  Change();
}

void TSizeConstraints::SetMinWidth(Integer Value) {
  if (Value == minWidth_) return;
  minWidth_ = Value;
  if (maxWidth_ > 0 && Value > maxWidth_) maxWidth_ = Value;
  Change();
}

void TSizeConstraints::Change() {
  if (onChange_) onChange_(this);
}

// =======================================================================================
// TControlCanvas
// =======================================================================================

namespace {

// The control canvases that hold a DC, oldest first. A few are kept so that repeated
// painting outside WM_PAINT does not get and release a DC every time.
constexpr size_t kCanvasCacheSize = 4;
std::vector<TControlCanvas*>& canvasList() {
  static std::vector<TControlCanvas*> list;
  return list;
}

}  // namespace

TControlCanvas::~TControlCanvas() { freeDeviceContext(); }

TOwnedControlCanvas MakeControlCanvas(TControl* Control) {
  auto canvas = std::make_unique<TControlCanvas>();
  canvas->SetControl(Control);
  return canvas;
}

void TControlCanvas::SetControl(TControl* AControl) {
  if (control_ == AControl) return;
  freeDeviceContext();
  control_ = AControl;
}

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  if (!deviceContext_) {
    auto& list = canvasList();
    if (list.size() >= kCanvasCacheSize) list.front()->freeDeviceContext();
    deviceContext_ = control_->GetDeviceContext(windowHandle_);
    list.push_back(this);
  }
  SetHandle(deviceContext_);
  updateOrigin();
}

void TControlCanvas::updateOrigin() {
  // The brush origin follows the control's position in its window, so patterns line up
  // across controls.
  if (!control_ || !deviceContext_) return;
  TPoint origin = control_->ClientOrigin();
  SetBrushOrgEx(deviceContext_, origin.x, origin.y, nullptr);
}

void TControlCanvas::FreeHandle() { freeDeviceContext(); }

void TControlCanvas::freeDeviceContext() {
  if (!deviceContext_) return;
  SetHandle(nullptr);
  ReleaseDC(windowHandle_, deviceContext_);
  deviceContext_ = nullptr;
  windowHandle_ = nullptr;
  auto& list = canvasList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::UpdateTextFlags() {
  if (!control_) return;
  Integer flags = TextFlags() & ~ETO_RTLREADING;
  if (control_->UseRightToLeftReading()) flags |= ETO_RTLREADING;
  SetTextFlags(flags);
}

void FreeDeviceContexts() {
  auto list = canvasList();
  for (TControlCanvas* c : list) c->freeDeviceContext();
}

// The DCs got for one window (before the window goes away).
void freeDeviceContextsOf(HWND window) {
  auto list = canvasList();
  for (TControlCanvas* c : list)
    if (c->windowHandle_ == window) c->freeDeviceContext();
}

// =======================================================================================
// Drag and drop
// =======================================================================================

namespace {

// The state of the one drag that may run at a time.
enum class DragOp { None, Drag };

struct DragState {
  TControl* control = nullptr;         // the control being dragged
  TDragObject* object = nullptr;       // its drag object
  bool internalObject = false;         // made by the manager: handlers see the control
  bool freeObject = false;             // the manager frees the object at the end
  DragOp active = DragOp::None;        // None until the threshold is passed
  TPoint startPos{0, 0};
  Integer threshold = 5;
  HCURSOR saveCursor = nullptr;
  HWND capture = nullptr;
  TDragImageList* images = nullptr;
  bool initializing = false;           // BeginDrag is running: EndDrag waits for it
};

DragState& drag() {
  static DragState state;
  return state;
}

// Sends CM_DRAG to the window of a drag target; the result is the message's answer.
LRESULT dragMessage(HWND handle, TDragMessage msg, TDragObject* source, void* target, const TPoint& pos) {
  if (!handle) return 0;
  TDragRec rec;
  rec.Pos = pos;
  rec.Source = source;
  rec.Target = target;
  rec.Docking = false;
  return SendMessageA(handle, CM_DRAG, static_cast<WPARAM>(msg), reinterpret_cast<LPARAM>(&rec));
}

// The first control window under Pos.
HWND dragFindWindow(const TPoint& pos) {
  HWND w = WindowFromPoint(pos);
  while (w && !FindControl(w)) w = GetParent(w);
  return w;
}

TControl* dragFindTarget(const TPoint& pos, HWND& handle) {
  handle = dragFindWindow(pos);
  return reinterpret_cast<TControl*>(dragMessage(handle, dmFindTarget, drag().object, nullptr, pos));
}

bool doDragOver(TDragMessage msg) {
  TDragObject* obj = drag().object;
  if (!obj || !obj->DragTarget()) return false;
  return dragMessage(obj->DragHandle(), msg, obj, obj->DragTarget(), obj->DragPos()) != 0;
}

HCURSOR screenCursor(TCursor c) { return Screen ? Screen->Cursors(c) : LoadCursorA(nullptr, IDC_ARROW); }

void dragTo(const TPoint& pos) {
  DragState& d = drag();
  if (!d.object) return;
  if (d.active == DragOp::None && std::abs(d.startPos.x - pos.x) < d.threshold &&
      std::abs(d.startPos.y - pos.y) < d.threshold)
    return;
  HWND targetHandle = nullptr;
  TControl* target = dragFindTarget(pos, targetHandle);
  if (d.active == DragOp::None && d.images) d.images->BeginDrag(GetDesktopWindow(), d.startPos.x, d.startPos.y);
  d.active = DragOp::Drag;
  TDragObject* obj = d.object;
  if (target != obj->DragTarget()) {
    doDragOver(dmDragLeave);
    if (!d.object) return;
    obj->SetDragTarget(target);
    obj->SetDragHandle(targetHandle);
    obj->SetDragPos(pos);
    doDragOver(dmDragEnter);
    if (!d.object) return;
  }
  obj->SetDragPos(pos);
  if (target) obj->SetDragTargetPos(target->ScreenToClient(pos));
  bool accepted = doDragOver(dmDragMove);
  if (!d.object) return;
  TCursor cursor = obj->GetDragCursor(accepted, pos.x, pos.y);
  if (d.images) {
    d.images->DragMove(pos.x, pos.y);
  }
  SetCursor(screenCursor(cursor));
}

}  // namespace

// Ends the drag: a drop on an accepting target calls its DragDrop; the source's drag
// object hears Finished (the control's EndDrag) in every case.
void dragDone(bool drop) {
  DragState& d = drag();
  TDragObject* obj = d.object;
  if (!obj || obj->Cancelling()) return;
  obj->SetCancelling(true);
  obj->dropped_ = drop;
  bool accepted = false;
  TPoint targetPos{0, 0};
  try {
    obj->HideDragImage();
    if (d.images) d.images->EndDrag();
    if (d.active != DragOp::None) accepted = doDragOver(dmDragLeave) && drop;
    targetPos = obj->DragTargetPos();
  } catch (...) {
    obj->SetCancelling(false);
    throw;
  }
  // The drag is over before anyone hears of its end: handlers may start another.
  HWND capture = d.capture;
  bool freeObject = d.freeObject;
  d.object = nullptr;
  d.control = nullptr;
  d.capture = nullptr;
  d.images = nullptr;
  d.active = DragOp::None;
  obj->ReleaseCapture(capture);
  if (d.saveCursor) SetCursor(d.saveCursor);
  struct FreeAtEnd {
    TDragObject* obj;
    bool free;
    ~FreeAtEnd() {
      if (free) delete obj;
    }
  } freeAtEnd{obj, freeObject};
  if (obj->DragTarget()) {
    TDragMessage msg = dmDragDrop;
    if (!accepted) {
      msg = dmDragCancel;
      obj->SetDragPos(Point(0, 0));
      targetPos = Point(0, 0);
    }
    dragMessage(obj->DragHandle(), msg, obj, obj->DragTarget(), obj->DragPos());
  }
  obj->SetCancelling(false);
  obj->Finished(accepted ? static_cast<TObject*>(obj->DragTarget()) : nullptr, targetPos.x, targetPos.y, accepted);
}

void dragInit(TDragObject* obj, bool immediate, Integer threshold) {
  DragState& d = drag();
  d.object = obj;
  obj->SetDragTarget(nullptr);
  GetCursorPos(&d.startPos);
  obj->SetDragPos(d.startPos);
  d.saveCursor = GetCursor();
  d.capture = obj->Capture();
  d.threshold = threshold;
  d.active = immediate ? DragOp::Drag : DragOp::None;
  d.images = obj->GetDragImages();
  if (d.active != DragOp::None) {
    d.active = DragOp::None;  // dragTo starts it, past any threshold
    d.threshold = 0;
    dragTo(d.startPos);
    d.threshold = threshold;
  }
}

namespace {

void dragInitControl(TControl* control, bool immediate, Integer threshold) {
  DragState& d = drag();
  d.control = control;
  try {
    TDragObject* obj = nullptr;
    d.internalObject = false;
    control->DoStartDrag(obj);
    if (!d.control) return;  // OnStartDrag cancelled
    d.freeObject = false;
    if (!obj) {
      obj = new TDragControlObjectEx(control);
      d.internalObject = true;
      d.freeObject = true;
    } else if (dynamic_cast<TDragObjectEx*>(obj) || dynamic_cast<TDragControlObjectEx*>(obj)) {
      d.freeObject = true;
    }
    dragInit(obj, immediate, threshold);
  } catch (...) {
    d.control = nullptr;
    throw;
  }
}

}  // namespace

void CancelDrag() {
  if (drag().object) dragDone(false);
  drag().control = nullptr;
}

bool IsDragObject(TObject* Sender) { return dynamic_cast<TDragObject*>(Sender) != nullptr; }

TControl* DragControlOf() { return drag().control; }

// ---------------------------------------------------------------------------------------
// TDragObject and its family.

TDragObject::~TDragObject() {
  if (captureWindow_) DeallocateHWnd(captureWindow_);
}

void TDragObject::Assign(TDragObject* Source) {
  dragTarget_ = Source->dragTarget_;
  dragHandle_ = Source->dragHandle_;
  dragPos_ = Source->dragPos_;
  dragTargetPos_ = Source->dragTargetPos_;
  mouseDeltaX_ = Source->mouseDeltaX_;
  mouseDeltaY_ = Source->mouseDeltaY_;
}

std::string TDragObject::GetName() { return ClassName(); }

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer) { return Accepted ? crDrag : crNoDrop; }

HWND TDragObject::Capture() {
  if (!captureWindow_) captureWindow_ = AllocateHWnd(TWndMethod(this, &TDragObject::MainWndProc));
  SetCapture(captureWindow_);
  return captureWindow_;
}

void TDragObject::ReleaseCapture(HWND Handle) {
  if (Handle && GetCapture() == Handle) ::ReleaseCapture();
}

void TDragObject::WndProc(TMessage& Msg) {
  DragState& d = drag();
  switch (Msg.Msg) {
    case WM_MOUSEMOVE: {
      TPoint p = SmallPointToPoint(reinterpret_cast<TWMMouse&>(Msg).Pos);
      ClientToScreen(captureWindow_, &p);
      dragTo(p);
      return;
    }
    case WM_CAPTURECHANGED:
      // Losing the mouse to another window ends the drag as a cancel.
      if (reinterpret_cast<HWND>(Msg.LParam) != captureWindow_) dragDone(false);
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      dragDone(d.active != DragOp::None);
      return;
    case WM_RBUTTONDOWN:
      dragDone(false);
      return;
    case CN_KEYDOWN:
    case WM_KEYDOWN:
      if (Msg.WParam == VK_ESCAPE) {
        dragDone(false);
        return;
      }
      if (Msg.WParam == VK_CONTROL) {
        POINT p;
        GetCursorPos(&p);
        dragTo(p);
      }
      return;
    case CN_KEYUP:
    case WM_KEYUP:
      if (Msg.WParam == VK_CONTROL) {
        POINT p;
        GetCursorPos(&p);
        dragTo(p);
      }
      return;
    default:
      Msg.Result = DefWindowProcA(captureWindow_, Msg.Msg, Msg.WParam, Msg.LParam);
  }
}

void TBaseDragControlObject::Assign(TDragObject* Source) {
  TDragObject::Assign(Source);
  if (auto* other = dynamic_cast<TBaseDragControlObject*>(Source)) control_ = other->control_;
}

void TBaseDragControlObject::EndDrag(TObject* Target, Integer X, Integer Y) {
  if (control_) control_->DoEndDrag(Target, X, Y);
}

void TBaseDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  if (!Accepted) {
    if (control_) control_->DragCanceled();
    Target = nullptr;
  }
  EndDrag(Target, X, Y);
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer, Integer) {
  return Accepted ? Control()->DragCursor() : crNoDrop;
}

TDragImageList* TDragControlObject::GetDragImages() { return Control()->GetDragImages(); }

void TDragControlObject::HideDragImage() {
  if (TDragImageList* images = Control()->GetDragImages()) images->HideDragImage();
}

void TDragControlObject::ShowDragImage() {
  if (TDragImageList* images = Control()->GetDragImages()) images->ShowDragImage();
}

// ---------------------------------------------------------------------------------------
// TDragImageList: comctl32's drag image over an image list's image.

TDragImageList::~TDragImageList() {
  if (dragging_) EndDrag();
}

bool TDragImageList::SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY) {
  if (!HandleAllocated()) return false;
  dragIndex_ = Index;
  dragHotspot_ = Point(HotSpotX, HotSpotY);
  if (dragging_) return ImageList_SetDragCursorImage(Handle(), Index, HotSpotX, HotSpotY) != FALSE;
  return true;
}

TPoint TDragImageList::GetHotSpot() { return dragHotspot_; }

bool TDragImageList::BeginDrag(HWND Window, Integer X, Integer Y) {
  if (!HandleAllocated() || Count() == 0) return false;
  if (dragging_) EndDrag();
  if (!ImageList_BeginDrag(Handle(), dragIndex_, dragHotspot_.x, dragHotspot_.y)) return false;
  dragging_ = true;
  dragHandle_ = Window;
  if (dragCursor_ != crNone && Screen) SetCursor(Screen->Cursors(dragCursor_));
  return DragLock(Window, X, Y);
}

bool TDragImageList::DragLock(HWND Window, Integer XPos, Integer YPos) {
  if (!dragging_) return false;
  dragHandle_ = Window;
  POINT p{XPos, YPos};
  if (Window && Window != GetDesktopWindow()) ScreenToClient(Window, &p);
  return ImageList_DragEnter(Window, p.x, p.y) != FALSE;
}

bool TDragImageList::DragMove(Integer X, Integer Y) {
  if (!dragging_) return false;
  POINT p{X, Y};
  if (dragHandle_ && dragHandle_ != GetDesktopWindow()) ScreenToClient(dragHandle_, &p);
  return ImageList_DragMove(p.x, p.y) != FALSE;
}

void TDragImageList::DragUnlock() {
  if (dragging_) ImageList_DragLeave(dragHandle_);
}

bool TDragImageList::EndDrag() {
  if (!dragging_) return false;
  ImageList_DragLeave(dragHandle_);
  ImageList_EndDrag();
  dragging_ = false;
  dragHandle_ = nullptr;
  return true;
}

void TDragImageList::HideDragImage() {
  if (dragging_) ImageList_DragShowNolock(FALSE);
}

void TDragImageList::ShowDragImage() {
  if (dragging_) ImageList_DragShowNolock(TRUE);
}

void TDragImageList::SetDragCursor(TCursor Value) {
  if (dragCursor_ == Value) return;
  dragCursor_ = Value;
  if (dragging_ && Screen) SetCursor(Screen->Cursors(Value));
}

// =======================================================================================
// TControl
// =======================================================================================

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  // Every control captures the mouse while a button is down, turns presses into clicks and
  // double clicks, and takes its caption from its name; descendants change the set.
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  windowProc_ = TWndMethod(this, &TControl::WndProc);
  font_ = new TFont();
  font_->SetOnChange(TNotifyEvent(this, &TControl::fontChanged));
  constraints_ = new TSizeConstraints(this);
  constraints_->SetOnChange(TNotifyEvent(this, &TControl::DoConstraintsChange));
}

TControl::~TControl() {
  if (Application) Application->ControlDestroyed(this);
  if (drag().control == this) CancelDrag();
  if (captureControl == this) SetCaptureControl(nullptr);
  SetParent(nullptr);
  delete actionLink_;
  actionLink_ = nullptr;
  delete constraints_;
  delete font_;
}

// ---------------------------------------------------------------------------------------
// Messages.

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message;
  message.Msg = Msg;
  message.WParam = WParam;
  message.LParam = LParam;
  message.Result = 0;
  if (windowProc_) windowProc_(message);
  return message.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->WantChildKey(this, Message)) return;
  } else if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    if (!controlStyle_.Contains(csDoubleClicks)) {
      // A control that takes no double clicks sees the second press as a press.
      switch (Message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
          Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
          break;
      }
    }
    switch (Message.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, Message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (dragMode_ == dmAutomatic) {
          BeginAutoDrag();
          return;
        }
        controlState_.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP:
        controlState_.Exclude(csLButtonDown);
        break;
    }
  }
  Dispatch(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(Message.LParam);
      size_t max = Message.WParam;
      if (!buffer || max == 0) {
        Message.Result = 0;
        break;
      }
      size_t n = std::min(text_.size(), max - 1);
      std::memcpy(buffer, text_.data(), n);
      buffer[n] = '\0';
      Message.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(text_.size());
      break;
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(Message.LParam);
      text_ = text ? text : "";
      Message.Result = 1;
      break;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Text.

std::string TControl::GetText() {
  Integer len = GetTextLen();
  std::string s(static_cast<size_t>(len) + 1, '\0');
  Integer got = GetTextBuf(s.data(), len + 1);
  s.resize(static_cast<size_t>(std::max(0, got)));
  return s;
}

void TControl::SetText(const TCaption& Value) {
  if (GetText() != Value) SetTextBuf(Value.c_str());
}

Integer TControl::GetTextBuf(char* Buffer, Integer BufSize) {
  return static_cast<Integer>(Perform(WM_GETTEXT, static_cast<WPARAM>(BufSize), reinterpret_cast<LPARAM>(Buffer)));
}

Integer TControl::GetTextLen() { return static_cast<Integer>(Perform(WM_GETTEXTLENGTH, 0, 0)); }

void TControl::SetTextBuf(const char* Buffer) {
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer));
  Perform(CM_TEXTCHANGED, 0, 0);
}

// ---------------------------------------------------------------------------------------
// Position, size and alignment.

void TControl::SetLeft(Integer Value) { SetBounds(Value, top_, width_, height_); }
void TControl::SetTop(Integer Value) { SetBounds(left_, Value, width_, height_); }
void TControl::SetWidth(Integer Value) { SetBounds(left_, top_, Value, height_); }
void TControl::SetHeight(Integer Value) { SetBounds(left_, top_, width_, Value); }

void TControl::SetBoundsRect(const TRect& Rect) {
  SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  const TRect before = BoundsRect();
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  UpdateAnchorRules();
  if (visible_ && parent_ && parent_->HandleAllocated()) {
    // The old place is erased (what was there may not be covered again), the new one painted.
    // Places that overlap, as a label's before and after a text change, are invalidated as one
    // rectangle: each invalidation is a request to the window server.
    const TRect after = BoundsRect();
    const bool parentOpaque = parent_->ControlStyle().Contains(csOpaque);
    TRect overlap, both;
    if (IntersectRect(&overlap, &before, &after) && UnionRect(&both, &before, &after)) {
      InvalidateRect(parent_->Handle(), &both, !parentOpaque);
    } else {
      InvalidateRect(parent_->Handle(), &before, !parentOpaque);
      InvalidateRect(parent_->Handle(), &after, !(controlStyle_.Contains(csOpaque) || parentOpaque));
    }
  }
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TControl::UpdateBoundsRect(const TRect& R) {
  UpdateAnchorRules();
  left_ = R.left;
  top_ = R.top;
  width_ = R.right - R.left;
  height_ = R.bottom - R.top;
}

void TControl::SetClientSize(const TPoint& Value) {
  TRect client = GetClientRect();
  SetBounds(left_, top_, width_ - client.right + Value.x, height_ - client.bottom + Value.y);
}

void TControl::SetClientWidth(Integer Value) { SetClientSize(Point(Value, ClientHeight())); }
void TControl::SetClientHeight(Integer Value) { SetClientSize(Point(ClientWidth(), Value)); }

TRect TControl::GetClientRect() { return Rect(0, 0, width_, height_); }

TPoint TControl::GetClientOrigin() {
  if (!parent_) throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
  TPoint p = parent_->ClientOrigin();
  p.x += left_;
  p.y += top_;
  return p;
}

TPoint TControl::ClientToScreen(const TPoint& Point) {
  TPoint origin = ClientOrigin();
  return ::Point(Point.x + origin.x, Point.y + origin.y);
}

TPoint TControl::ScreenToClient(const TPoint& Point) {
  TPoint origin = ClientOrigin();
  return ::Point(Point.x - origin.x, Point.y - origin.y);
}

TPoint TControl::ClientToParent(const TPoint& Point, TWinControl* AParent) {
  if (!AParent) AParent = parent_;
  if (!AParent) throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
  TPoint result = Point;
  TControl* c = this;
  while (c != AParent) {
    if (!c->parent_) throw EInvalidOperation(Format("'%s' is not a parent of '%s'", {AParent->Name(), Name()}));
    result.x += c->left_;
    result.y += c->top_;
    c = c->parent_;
  }
  return result;
}

TPoint TControl::ParentToClient(const TPoint& Point, TWinControl* AParent) {
  TPoint origin = ClientToParent(::Point(0, 0), AParent);
  return ::Point(Point.x - origin.x, Point.y - origin.y);
}

void TControl::SetAlign(TAlign Value) {
  if (align_ == Value) return;
  TAlign old = align_;
  align_ = Value;
  // Anchors that matched the old alignment follow the new one.
  if (!ComponentState().Contains(csLoading) && anchors_ == AnchorAlign(old)) anchors_ = AnchorAlign(Value);
  RequestAlign();
  if (!ComponentState().Contains(csLoading) && Value == alNone) UpdateAnchorRules();
}

void TControl::SetAnchors(TAnchors Value) {
  if (anchors_ == Value) return;
  anchors_ = Value;
  if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (anchorMove_ || ComponentState().Contains(csLoading)) return;
  TAnchors anchors = anchors_;
  if (anchors == TAnchors{akLeft, akTop}) {
    originalParentSize_ = Point(0, 0);
    return;
  }
  if (anchors.Contains(akRight))
    anchorRules_.x = anchors.Contains(akLeft) ? width_ : left_;
  else
    anchorRules_.x = left_ + width_ / 2;
  if (anchors.Contains(akBottom))
    anchorRules_.y = anchors.Contains(akTop) ? height_ : top_;
  else
    anchorRules_.y = top_ + height_ / 2;
  if (parent_) {
    // The parent's client size (computed from its bounds while it has no window), the
    // same measure AlignControls compares with later.
    TRect r = parent_->ClientRect();
    originalParentSize_ = Point(r.right, r.bottom);
  }
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

void TControl::Resize() {
  if (onResize_) onResize_(this);
}

void TControl::SetAutoSize(bool Value) {
  if (autoSize_ == Value) return;
  autoSize_ = Value;
  if (Value) AdjustSize();
}

void TControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading)) SetBounds(left_, top_, width_, height_);
}

bool TControl::CanAutoSize(Integer&, Integer&) { return true; }

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
  bool result = true;
  if (onCanResize_) onCanResize_(this, NewWidth, NewHeight, result);
  return result;
}

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  if (onConstrainedResize_) onConstrainedResize_(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::DoConstraintsChange(TObject*) { AdjustSize(); }

// Applies AutoSize, CanResize and the size constraints to a requested size; false when
// the control refuses to change its size.
bool TControl::CheckNewSize(Integer& NewWidth, Integer& NewHeight) {
  Integer w = NewWidth, h = NewHeight;
  if (autoSize_ && !CanAutoSize(w, h)) {
    w = NewWidth;
    h = NewHeight;
  }
  if (!CanResize(w, h)) return false;
  Integer minW = constraints_->MinWidth(), minH = constraints_->MinHeight();
  Integer maxW = constraints_->MaxWidth(), maxH = constraints_->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && w > maxW) w = maxW;
  if (minW > 0 && w < minW) w = minW;
  if (maxH > 0 && h > maxH) h = maxH;
  if (minH > 0 && h < minH) h = minH;
  NewWidth = w;
  NewHeight = h;
  return true;
}

void TControl::ChangeScale(Integer M, Integer D) {
  if (M == D || D == 0) return;
  TRect r = BoundsRect();
  Integer left = MulDiv(r.left, M, D);
  Integer top = MulDiv(r.top, M, D);
  Integer width = MulDiv(r.right, M, D) - left;
  Integer height = MulDiv(r.bottom, M, D) - top;
  SetBounds(left, top, width, height);
  if (!parentFont_) font_->SetSize(MulDiv(font_->Size(), M, D));
}

// ---------------------------------------------------------------------------------------
// Parent and z-order.

void TControl::SetParent(TWinControl* AParent) {
  if (parent_ == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) {
    AParent->InsertControl(this);
    UpdateAnchorRules();
  }
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::SetZOrderPosition(Integer Position) {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  Integer count = static_cast<Integer>(list.size());
  Integer index = static_cast<Integer>(it - list.begin());
  Position = std::clamp(Position, 0, count - 1);
  if (Position == index) return;
  list.erase(it);
  list.insert(list.begin() + Position, this);
  InvalidateControl(visible_, true);
}

void TControl::SetZOrder(bool TopMost) {
  if (!parent_) return;
  SetZOrderPosition(TopMost ? static_cast<Integer>(parent_->controls_.size()) - 1 : 0);
}

// ---------------------------------------------------------------------------------------
// Visibility and state.

void TControl::SetVisible(bool Value) {
  if (visible_ == Value) return;
  VisibleChanging();
  visible_ = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::Show() {
  if (parent_) parent_->ShowControl(this);
  SetVisible(true);
}

void TControl::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }

void TControl::withControlState(TControlStateItem Item, const std::function<void()>& Work) {
  controlState_.Include(Item);
  {
    ScopeExit atEnd([&] { controlState_.Exclude(Item); });
    Work();
  }
}

bool TControl::PaletteChanged(bool Foreground) {
  HPALETTE palette = GetPalette();
  if (!palette) return false;
  HWND window;
  HDC dc = GetDeviceContext(window);
  HPALETTE old = SelectPalette(dc, palette, !Foreground);
  bool result = RealizePalette(dc) != 0;
  SelectPalette(dc, old, TRUE);
  ReleaseDC(window, dc);
  if (result) Invalidate();
  return result;
}

// ---------------------------------------------------------------------------------------
// Look.

void TControl::setParentFlag(bool& Flag, bool Value, UINT Msg) {
  if (Flag == Value) return;
  Flag = Value;
  if (parent_ && !ComponentState().Contains(csReading)) Perform(Msg, 0, 0);
}

void TControl::SetColor(TColor Value) { setOwnValue(color_, Value, parentColor_, CM_COLORCHANGED); }

void TControl::SetParentColor(bool Value) { setParentFlag(parentColor_, Value, CM_PARENTCOLORCHANGED); }

void TControl::fontChanged(TObject*) {
  parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) { setParentFlag(parentFont_, Value, CM_PARENTFONTCHANGED); }

void TControl::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) { setOwnValue(showHint_, Value, parentShowHint_, CM_SHOWHINTCHANGED); }

void TControl::SetParentShowHint(bool Value) {
  setParentFlag(parentShowHint_, Value, CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetHelpKeyword(const std::string& Value) {
  helpKeyword_ = Value;
  if (!ComponentState().Contains(csLoading) && !Value.empty()) helpType_ = htKeyword;
}

void TControl::SetHelpContext(THelpContext Value) {
  helpContext_ = Value;
  if (!ComponentState().Contains(csLoading) && Value != 0) helpType_ = htContext;
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (popupMenu_ == Value) return;
  popupMenu_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::SetBiDiMode(TBiDiMode Value) { setOwnValue(biDiMode_, Value, parentBiDiMode_, CM_BIDIMODECHANGED); }

void TControl::SetParentBiDiMode(bool Value) {
  setParentFlag(parentBiDiMode_, Value, CM_PARENTBIDIMODECHANGED);
}

bool TControl::IsRightToLeft() {
  return SysLocale.MiddleEast && biDiMode_ != bdLeftToRight;
}

bool TControl::UseRightToLeftAlignment() { return SysLocale.MiddleEast && biDiMode_ == bdRightToLeft; }

bool TControl::UseRightToLeftReading() { return SysLocale.MiddleEast && biDiMode_ != bdLeftToRight; }

bool TControl::UseRightToLeftScrollBar() {
  return SysLocale.MiddleEast && (biDiMode_ == bdRightToLeft || biDiMode_ == bdRightToLeftNoAlign);
}

Integer TControl::DrawTextBiDiModeFlags(Integer Flags) {
  Integer result = Flags;
  // Mirrors the horizontal alignment for right-to-left alignment.
  if (UseRightToLeftAlignment()) {
    if ((result & DT_RIGHT) == DT_RIGHT) result &= ~DT_RIGHT;
    else if (!(result & DT_CENTER)) result |= DT_RIGHT;
  }
  result |= DrawTextBiDiModeFlagsReadingOnly();
  return result;
}

Integer TControl::DrawTextBiDiModeFlagsReadingOnly() { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

// ---------------------------------------------------------------------------------------
// Painting.

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || !parent_ || !parent_->HandleAllocated()) return;
  TRect r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, !(IsOpaque || parent_->ControlStyle().Contains(csOpaque)));
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.Contains(csOpaque)); }

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  if (controlStyle_.Contains(csOpaque)) {
    HWND window = parent_->Handle();
    HDC dc = GetDC(window);
    IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    parent_->PaintControls(dc, this);
    ReleaseDC(window, dc);
  } else {
    Invalidate();
    Update();
  }
}

HDC TControl::GetDeviceContext(HWND& WindowHandle) {
  if (!parent_) throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
  HDC dc = parent_->GetDeviceContext(WindowHandle);
  SetViewportOrgEx(dc, left_, top_, nullptr);
  IntersectClipRect(dc, 0, 0, width_, height_);
  return dc;
}

// ---------------------------------------------------------------------------------------
// Mouse.

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}

void TControl::SendCancelMode(TControl* Sender) {
  for (TControl* c = this; c; c = c->parent_)
    if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SendCancelMode(Sender);
}

void TControl::Click() {
  // A control bound to an action runs the action, unless its OnClick is a handler of its
  // own (not the action's OnExecute).
  TBasicAction* action = Action();
  if (onClick_ && action && !(onClick_ == action->OnExecute()))
    onClick_(this);
  else if (!ComponentState().Contains(csDesigning) && actionLink_)
    actionLink_->Execute(this);
  else if (onClick_)
    onClick_(this);
}

void TControl::DblClick() {
  if (onDblClick_) onDblClick_(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (onMouseDown_) onMouseDown_(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (onMouseMove_) onMouseMove_(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (onMouseUp_) onMouseUp_(this, Button, Shift, X, Y);
}

void TControl::doMouseDown(TWMMouse& Message, TMouseButton Button, TShiftState Shift) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TShiftState shift = KeysToShiftState(static_cast<Word>(Message.Keys)) + Shift;
  MouseDown(Button, shift, Message.XPos, Message.YPos);
}

void TControl::doMouseUp(TWMMouse& Message, TMouseButton Button) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  MouseUp(Button, KeysToShiftState(static_cast<Word>(Message.Keys)), Message.XPos, Message.YPos);
}

void TControl::WMLButtonDown(TWMMouse& Message) {
  SendCancelMode(this);
  INHERITED_MESSAGE(Message);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
  doMouseDown(Message, mbLeft, {});
}

void TControl::WMRButtonDown(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  doMouseDown(Message, mbRight, {});
}

void TControl::WMMButtonDown(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  doMouseDown(Message, mbMiddle, {});
}

void TControl::WMLButtonDblClk(TWMMouse& Message) {
  SendCancelMode(this);
  INHERITED_MESSAGE(Message);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) DblClick();
  doMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMRButtonDblClk(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  doMouseDown(Message, mbRight, {ssDouble});
}

void TControl::WMMButtonDblClk(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  doMouseDown(Message, mbMiddle, {ssDouble});
}

void TControl::WMLButtonUp(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (controlState_.Contains(csClicked)) {
    controlState_.Exclude(csClicked);
    TRect client = ClientRect();
    if (PtInRect(client, SmallPointToPoint(Message.Pos))) Click();
  }
  doMouseUp(Message, mbLeft);
}

void TControl::WMRButtonUp(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  doMouseUp(Message, mbRight);
}

void TControl::WMMButtonUp(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  doMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TWMMouse& Message) {
  INHERITED_MESSAGE(Message);
  if (!controlStyle_.Contains(csNoStdEvents))
    MouseMove(KeysToShiftState(static_cast<Word>(Message.Keys)), Message.XPos, Message.YPos);
}

void TControl::WMMouseWheel(TWMMouseWheel& Message) {
  // The wheel message goes to the form (which hands it to its focused control) as
  // CM_MOUSEWHEEL with the keys turned into a shift state.
  TShiftState shift = KeysToShiftState(Message.Keys);
  TMessage m = reinterpret_cast<TMessage&>(Message);
  m.WParam = MAKEWPARAM(static_cast<WORD>(shift.ToBits()), static_cast<WORD>(Message.WheelDelta));
  m.Result = 0;
  MouseWheelHandler(m);
  Message.Result = m.Result;
  if (Message.Result == 0) INHERITED_MESSAGE(Message);
}

void TControl::MouseWheelHandler(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->MouseWheelHandler(Message);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TCMMouseWheel& Message) {
  Message.Result = 0;
  TShiftState shift = Message.ShiftState();
  if (DoMouseWheel(shift, Message.WheelDelta, SmallPointToPoint(Message.Pos)))
    Message.Result = 1;
  else if (parent_)
    Message.Result = parent_->Perform(CM_MOUSEWHEEL, reinterpret_cast<TMessage&>(Message).WParam,
                                      reinterpret_cast<TMessage&>(Message).LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool result = false;
  if (onMouseWheel_) onMouseWheel_(this, Shift, WheelDelta, MousePos, result);
  if (result) return true;
  // Whole notches only: a high-resolution wheel's small steps add up.
  wheelAccumulator_ += WheelDelta;
  while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    bool down = wheelAccumulator_ < 0;
    wheelAccumulator_ = std::abs(wheelAccumulator_) - WHEEL_DELTA;
    if (down) {
      wheelAccumulator_ = -wheelAccumulator_;
      result = DoMouseWheelDown(Shift, MousePos);
    } else {
      result = DoMouseWheelUp(Shift, MousePos);
    }
  }
  return result;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool result = false;
  if (onMouseWheelDown_) onMouseWheelDown_(this, Shift, MousePos, result);
  return result;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool result = false;
  if (onMouseWheelUp_) onMouseWheelUp_(this, Shift, MousePos, result);
  return result;
}

void TControl::WMCancelMode(TWMCancelMode& Message) {
  INHERITED_MESSAGE(Message);
  if (MouseCapture()) {
    SetMouseCapture(false);
    if (controlState_.Contains(csLButtonDown)) {
      TPoint p{-1, -1};
      Perform(WM_LBUTTONUP, 0, PointToLParam(p));
    }
  } else {
    controlState_.Exclude(csLButtonDown);
  }
}

void TControl::WMContextMenu(TWMContextMenu& Message) {
  if (Message.Result != 0) return;
  TPoint pt = SmallPointToPoint(Message.Pos);
  // (-1, -1): the menu key or Shift+F10, not the mouse.
  bool fromKeyboard = pt.x == -1 && pt.y == -1;
  TPoint local = pt;
  if (!fromKeyboard) {
    local = ScreenToClient(pt);
    TRect client = ClientRect();
    if (!PtInRect(client, local)) {
      INHERITED_MESSAGE(Message);
      return;
    }
  }
  bool handled = false;
  DoContextPopup(local, handled);
  Message.Result = handled ? 1 : 0;
  if (handled) return;
  TPopupMenu* menu = GetPopupMenu();
  if (menu && menu->AutoPopup()) {
    SendCancelMode(nullptr);
    menu->SetPopupComponent(this);
    if (fromKeyboard) pt = ClientToScreen(Point(0, 0));
    menu->Popup(pt.x, pt.y);
    Message.Result = 1;
  }
  if (Message.Result == 0) INHERITED_MESSAGE(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (onContextPopup_) onContextPopup_(this, MousePos, Handled);
}

// ---------------------------------------------------------------------------------------
// Notifications.

void TControl::CMVisibleChanged(TMessage&) { InvalidateControl(true, visible_ && controlStyle_.Contains(csOpaque)); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!parentColor_) return;
  if (Message.WParam != 0) SetColor(static_cast<TColor>(Message.LParam));
  else if (parent_) SetColor(parent_->Color());
  parentColor_ = true;
}

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!parentFont_) return;
  if (Message.WParam != 0) SetFont(reinterpret_cast<TFont*>(Message.LParam));
  else if (parent_) SetFont(parent_->Font());
  parentFont_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->ShowHint());
  parentShowHint_ = true;
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!parentBiDiMode_ || !parent_) return;
  SetBiDiMode(parent_->BiDiMode());
  parentBiDiMode_ = true;
}

void TControl::CMBiDiModeChanged(TMessage&) {
  if (SysLocale.MiddleEast) Invalidate();
}

void TControl::CMSysColorChange(TMessage&) { Invalidate(); }

void TControl::CMHitTest(TCMHitTest& Message) { Message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& Message) {
  // The control under the mouse hears LParam 0; its parents hear which child it is.
  if (parent_) parent_->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
  if (Message.LParam == 0 && onMouseEnter_) onMouseEnter_(this);
}

void TControl::CMMouseLeave(TMessage& Message) {
  if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
  if (Message.LParam == 0 && onMouseLeave_) onMouseLeave_(this);
}

void TControl::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (actionLink_ && info && !actionLink_->DoShowHint(info->HintStr)) Message.Result = 1;
}

// ---------------------------------------------------------------------------------------
// Drag and drop.

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
  if (dynamic_cast<TCustomForm*>(this) && dragKind_ != dkDock)
    throw EInvalidOperation("Cannot drag a form");
  DragState& d = drag();
  if (d.control || d.initializing) return;
  if (controlState_.Contains(csLButtonDown)) {
    // The press that starts the drag is over for the control.
    POINT p;
    GetCursorPos(&p);
    TPoint local = ScreenToClient(p);
    Perform(WM_LBUTTONUP, 0, PointToLParam(local));
  }
  if (Threshold < 0) Threshold = Mouse ? Mouse->DragThreshold() : 5;
  d.initializing = true;
  {
    ScopeExit atEnd([&] { d.initializing = false; });
    dragInitControl(this, Immediate, Threshold);
  }
}

void TControl::BeginAutoDrag() {
  BeginDrag(Mouse ? Mouse->DragImmediate() : true, Mouse ? Mouse->DragThreshold() : 5);
}

void TControl::EndDrag(bool Drop) {
  if (Dragging()) dragDone(Drop);
}

bool TControl::Dragging() const { return drag().control == this; }

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (onStartDrag_) onStartDrag_(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (onEndDrag_) onEndDrag_(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Accept = false;
  if (onDragOver_) {
    Accept = true;
    onDragOver_(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (onDragDrop_) onDragDrop_(this, Source, X, Y);
}

void TControl::DoDragMsg(TCMDrag& DragMsg) {
  TDragRec& rec = *DragMsg.DragRec;
  // A drag object the manager made stands for its control: handlers see the control.
  TObject* source = rec.Source;
  if (drag().internalObject && rec.Source)
    if (auto* controlObject = dynamic_cast<TBaseDragControlObject*>(rec.Source)) source = controlObject->Control();
  TPoint p = ScreenToClient(rec.Pos);
  switch (DragMsg.DragMessage) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      bool accepts = true;
      TDragState state = DragMsg.DragMessage == dmDragEnter   ? dsDragEnter
                         : DragMsg.DragMessage == dmDragLeave ? dsDragLeave
                                                              : dsDragMove;
      DragOver(source, p.x, p.y, state, accepts);
      DragMsg.Result = accepts ? 1 : 0;
      break;
    }
    case dmDragDrop:
      DragDrop(source, p.x, p.y);
      break;
    default:
      break;
  }
}

void TControl::CMDrag(TCMDrag& Message) {
  TDragRec& rec = *Message.DragRec;
  switch (Message.DragMessage) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove:
    case dmDragDrop:
      if (rec.Target) static_cast<TControl*>(rec.Target)->DoDragMsg(Message);
      break;
    case dmFindTarget:
      Message.Result = reinterpret_cast<LRESULT>(this);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------
// Actions.

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    delete actionLink_;
    actionLink_ = nullptr;
    controlStyle_.Exclude(csActionClient);
    return;
  }
  controlStyle_.Include(csActionClient);
  if (!actionLink_) {
    TClass linkClass = GetActionLinkClass();
    actionLink_ = static_cast<TControlActionLink*>(linkClass->CreateInstance(this));
  }
  actionLink_->SetAction(Value);
  actionLink_->SetOnChange(TNotifyEvent(this, &TControl::DoActionChange));
  ActionChange(Value, ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

TClass TControl::GetActionLinkClass() { return TControlActionLink::StaticClass(); }

void TControl::DoActionChange(TObject* Sender) {
  if (actionLink_ && Sender == actionLink_->Action()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  // With CheckDefaults only the properties still at their defaults follow the action.
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(action->Caption());
  if (!CheckDefaults || enabled_) SetEnabled(action->Enabled());
  if (!CheckDefaults || hint_.empty()) SetHint(action->Hint());
  if (!CheckDefaults || visible_) SetVisible(action->Visible());
  if (!CheckDefaults || !onClick_) SetOnClick(action->OnExecute());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(action->HelpContext());
  if (!CheckDefaults || helpKeyword_.empty()) SetHelpKeyword(action->HelpKeyword());
  if (!CheckDefaults || helpType_ == htContext) SetHelpType(action->HelpType());
}

void TControl::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

bool TControl::ExecuteAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->ExecuteTarget(this);
  return true;
}

bool TControl::UpdateAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->UpdateTarget(this);
  return true;
}

bool TControl::IsCaptionStored() { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TControl::IsEnabledStored() { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TControl::IsHintStored() { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TControl::IsVisibleStored() { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TControl::IsHelpContextStored() { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TControl::IsOnClickStored() { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

// ---------------------------------------------------------------------------------------
// Component model.

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == popupMenu_) popupMenu_ = nullptr;
  else if (actionLink_ && AComponent == actionLink_->Action()) {
    // The click handler the action lent the control goes with the action.
    if (onClick_ && onClick_ == actionLink_->Action()->OnExecute()) onClick_ = TNotifyEvent();
    SetAction(nullptr);
  }
}

void TControl::DefineProperties(TFiler* Filer) {
  bool store = isControl_;
  if (auto* ancestor = dynamic_cast<TControl*>(Filer->Ancestor())) store = ancestor->isControl_ != isControl_;
  Filer->DefineProperty(
      "IsControl", [this](TReader* Reader) { isControl_ = Reader->ReadBoolean(); },
      [this](TWriter* Writer) { Writer->WriteBoolean(isControl_); }, store);
}

void TControl::SetName(const std::string& NewName) {
  // A control whose text is its name keeps following it (a new button reads "Button1").
  bool changeText = controlStyle_.Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                    Name() == GetText() &&
                    (!Owner() || !dynamic_cast<TControl*>(Owner()) || !Owner()->ComponentState().Contains(csLoading));
  TComponent::SetName(NewName);
  if (changeText) SetText(NewName);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
  UpdateAnchorRules();
}

void TControl::ReadState(TReader* Reader) {
  controlState_.Include(csReadingState);
  if (auto* parent = dynamic_cast<TWinControl*>(Reader->Parent())) SetParent(parent);
  {
    ScopeExit atEnd([&] { controlState_.Exclude(csReadingState); });
    TComponent::ReadState(Reader);
  }
  if (parent_) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
  }
}

// =======================================================================================
// TWinControl
// =======================================================================================

namespace {

// The control whose CreateWindowEx is running (for notifications its window sends to the
// parent before the window has its identifier, such as WM_MEASUREITEM).
thread_local TWinControl* windowBeingCreated = nullptr;

// Hands a notification a parent received to the child control it concerns, as CN_x.
bool doControlMsg(HWND child, TMessage& Message) {
  TWinControl* control = FindControl(child);
  if (!control) return false;
  Message.Result = control->Perform(Message.Msg + CN_BASE, Message.WParam, Message.LParam);
  return true;
}

// Registers (or re-registers, when another procedure owns the name) the window class a
// control's windows are made with.
void registerControlClass(TCreateParams& Params) {
  WNDCLASSA existing{};
  bool registered = GetClassInfoA(Params.WindowClass.hInstance, Params.WinClassName.c_str(), &existing) != FALSE;
  if (registered && existing.lpfnWndProc == controlWindowProc) return;
  if (registered) UnregisterClassA(Params.WinClassName.c_str(), Params.WindowClass.hInstance);
  WNDCLASSA wc = Params.WindowClass;
  wc.lpfnWndProc = controlWindowProc;
  wc.lpszClassName = Params.WinClassName.c_str();
  if (!RegisterClassA(&wc)) RaiseLastOSError();
}

}  // namespace

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  brush_ = new TBrush();
  brush_->SetColor(color_);
  defWndProc_ = DefWindowProcA;
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  if (parent_) RemoveFocus(true);
  if (handle_) {
    // Teardown cannot report a failure; the window goes with its process at worst.
    try {
      DestroyWindowHandle();
    } catch (...) {
    }
  }
}

TWinControl::~TWinControl() {
  // Focus and the window went in BeforeDestruction. Leave the parent while this is
  // still a windowed control to it.
  if (parent_) {
    try {
      SetParent(nullptr);
    } catch (...) {
    }
  }
  // Children still inside go with their container, topmost first.
  while (ControlCount() > 0) {
    TControl* child = Controls(ControlCount() - 1);
    remove(child);
    child->Free();
  }
  delete brush_;
}

// ---------------------------------------------------------------------------------------
// The window.

void TWinControl::attachHandle(HWND Window) {
  handle_ = Window;
  windowControls()[Window] = this;
}

void TWinControl::detachHandle() {
  handle_ = nullptr;
  showing_ = false;
  subclassed_ = false;
  trackingMouse_ = false;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

void TWinControl::SetWindowHandle(HWND Value) {
  if (Value == handle_) return;
  handle_ = Value;
  if (!Value) return;
  windowControls()[Value] = this;
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Value, GWLP_WNDPROC));
  if (proc != controlWindowProc) {
    // A window made elsewhere: its procedure becomes the default one behind the control.
    defWndProc_ = proc;
    SetWindowLongPtrA(Value, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlWindowProc));
    subclassed_ = true;
  }
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = text_;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT;
  if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (controlStyle_.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!ComponentState().Contains(csDesigning) && !Enabled()) Params.Style |= WS_DISABLED;
  if (tabStop_) Params.Style |= WS_TABSTOP;
  Params.X = left_;
  Params.Y = top_;
  Params.Width = width_;
  Params.Height = height_;
  Params.WndParent = parent_ ? parent_->GetParentHandle() : parentWindow_;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcA;
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WindowClass.hbrBackground = nullptr;
  Params.WindowClass.hInstance = moduleInstance();
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName) {
  if (!ControlClassName) return;
  constexpr UINT offStyles = CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS;
  constexpr UINT onStyles = CS_VREDRAW | CS_HREDRAW;
  HINSTANCE saveInstance = Params.WindowClass.hInstance;
  if (!GetClassInfoA(saveInstance, ControlClassName, &Params.WindowClass) &&
      !GetClassInfoA(nullptr, ControlClassName, &Params.WindowClass))
    throw EOutOfResources(Format("Cannot find window class %s", {std::string(ControlClassName)}));
  Params.WindowClass.hInstance = saveInstance;
  Params.WindowClass.style = (Params.WindowClass.style & ~offStyles) | onStyles;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD)) {
    auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
    if (ownerControl && ComponentState().Contains(csReading)) params.WndParent = ownerControl->Handle();
    else throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
  }
  defWndProc_ = params.WindowClass.lpfnWndProc;
  registerControlClass(params);
  TWinControl* outer = windowBeingCreated;
  windowBeingCreated = this;
  creationControl = this;
  {
    ScopeExit atEnd([&] { creationControl = nullptr; windowBeingCreated = outer; });
    CreateWindowHandle(params);
  }
  if (!handle_) RaiseLastOSError();
  if ((GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(handle_, GWLP_ID) == 0)
    SetWindowLongPtrA(handle_, GWLP_ID, reinterpret_cast<LONG_PTR>(handle_));
  // The window holds the text from now on.
  text_.clear();
  UpdateBounds();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 1);
  if (AutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HWND h = CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                           Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                           Params.WindowClass.hInstance, Params.Param);
  if (h && !handle_) attachHandle(h);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  if (parent_)
    SetWindowPos(handle_, parent_->PrecedingWindow(this), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->UpdateAnchorRules();
}

void TWinControl::DestroyWnd() {
  // Keep the text for the next window.
  std::string text = GetText();
  FreeDeviceContexts();
  DestroyWindowHandle();
  text_ = text;
}

void TWinControl::DestroyWindowHandle() {
  controlState_.Include(csDestroyingHandle);
  HWND h = handle_;
  freeDeviceContextsOf(h);
  BOOL ok = DestroyWindow(h);
  controlState_.Exclude(csDestroyingHandle);
  if (handle_ == h) {
    // The window procedure was taken away before WM_NCDESTROY reached us.
    windowControls().erase(h);
    detachHandle();
  }
  if (!ok && IsWindow(h)) RaiseLastOSError();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TWinControl* child : std::vector<TWinControl*>(winControls_)) child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::UpdateRecreatingFlag(bool Recreating) {
  recreating_ = Recreating;
  for (TWinControl* child : winControls_) child->UpdateRecreatingFlag(Recreating);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  UpdateRecreatingFlag(true);
  {
    ScopeExit atEnd([&] { UpdateRecreatingFlag(false); });
    DestroyHandle();
    UpdateControlState();
  }
  if (handle_ && wasFocused) ::SetFocus(handle_);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (parent_ || parentWindow_ == Value) return;
  if (handle_ && parentWindow_ && Value) {
    parentWindow_ = Value;
    ::SetParent(handle_, Value);
  } else {
    DestroyHandle();
    parentWindow_ = Value;
  }
  UpdateControlState();
}

HWND TWinControl::GetParentHandle() { return Handle(); }

HWND TWinControl::PrecedingWindow(TWinControl* Control) {
  auto it = std::find(winControls_.begin(), winControls_.end(), Control);
  if (it != winControls_.end())
    for (++it; it != winControls_.end(); ++it)
      if ((*it)->handle_) return (*it)->handle_;
  return HWND_TOP;
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    windowProc_(Message);
  } catch (...) {
    FreeDeviceContexts();
    handleControlException(this);
    return;
  }
  FreeDeviceContexts();
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!handle_) {
    TControl::DefaultHandler(Message);
    return;
  }
  UINT msg = Message.Msg;
  if (msg == WM_CONTEXTMENU && parent_) {
    Message.Result = parent_->Perform(msg, Message.WParam, Message.LParam);
    if (Message.Result != 0) return;
  }
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
    // A child's colour request goes to the child (CN_CTLCOLOR*), which answers with its
    // own colours; a window no control owns gets the system's answer.
    if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
      Message.Result = child->Perform(CN_BASE + msg, Message.WParam, Message.LParam);
      return;
    }
  } else if (msg >= CN_CTLCOLORMSGBOX && msg <= CN_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(dc, ColorToRGB(font_->Color()));
    SetBkColor(dc, ColorToRGB(brush_->Color()));
    Message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
    return;
  }
  Message.Result = CallWindowProcA(defWndProc_, handle_, msg, Message.WParam, Message.LParam);
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (controlState_.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST: {
      TControl::WndProc(Message);
      if (Message.Result == HTTRANSPARENT) {
        TPoint p = SmallPointToPoint(reinterpret_cast<TWMNCHitTest&>(Message).Pos);
        if (ControlAtPos(ScreenToClient(p), false)) Message.Result = HTCLIENT;
      }
      return;
    }
    case WM_MOUSEMOVE:
      trackMouseLeave();
      if (Application) Application->DoMouseIdle();
      [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      // A graphic child under the mouse (or holding it) takes the message.
      if (IsControlMouseMsg(reinterpret_cast<TWMMouse&>(Message))) {
        if (Message.Result == 0 && handle_) DefWindowProcA(handle_, Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_CANCELMODE:
      if (GetCapture() == handle_ && captureControl && captureControl->Parent() == this)
        captureControl->Perform(WM_CANCELMODE, 0, 0);
      break;
    default:
      if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST && Dragging()) return;
      break;
  }
  TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TWMMouse& Message) {
  TControl* control = nullptr;
  if (handle_ && GetCapture() == handle_) {
    if (captureControl && captureControl->Parent() == this) control = captureControl;
  } else {
    control = ControlAtPos(SmallPointToPoint(Message.Pos), false);
  }
  if (!control) return false;
  TPoint p{Message.XPos - control->Left(), Message.YPos - control->Top()};
  Message.Result = control->Perform(Message.Msg, Message.Keys, PointToLParam(p));
  return true;
}

void TWinControl::trackMouseLeave() {
  if (trackingMouse_ || !handle_) return;
  TRACKMOUSEEVENT tme{};
  tme.cbSize = sizeof tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = handle_;
  trackingMouse_ = TrackMouseEvent(&tme) != FALSE;
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  trackingMouse_ = false;
  INHERITED_MESSAGE(Message);
  if (Application) Application->DoMouseIdle();
}

// ---------------------------------------------------------------------------------------
// Children.

Integer TWinControl::ControlCount() const { return static_cast<Integer>(controls_.size() + winControls_.size()); }

TControl* TWinControl::Controls(Integer Index) const {
  Integer n = static_cast<Integer>(controls_.size());
  if (Index < 0 || Index >= ControlCount()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return Index < n ? controls_[Index] : winControls_[Index - n];
}

void TWinControl::insert(TControl* AControl) {
  if (!AControl) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    winControls_.push_back(w);
    tabList_.push_back(w);
  } else {
    controls_.push_back(AControl);
  }
  AControl->parent_ = this;
}

void TWinControl::remove(TControl* AControl) {
  // By address in every list: a control on its way out may no longer be of its own class.
  tabList_.erase(std::remove_if(tabList_.begin(), tabList_.end(), [&](TWinControl* w) { return w == AControl; }),
                 tabList_.end());
  winControls_.erase(
      std::remove_if(winControls_.begin(), winControls_.end(), [&](TWinControl* w) { return w == AControl; }),
      winControls_.end());
  controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
  AControl->parent_ = nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->ValidateContainer(this);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  insert(AControl);
  if (!AControl->ComponentState().Contains(csReading)) {
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
      w->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
      w->UpdateControlState();
    } else if (handle_) {
      AControl->Invalidate();
    }
    AlignControl(AControl);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    w->RemoveFocus(true);
    w->DestroyHandle();
  } else if (handle_) {
    AControl->InvalidateControl(AControl->Visible(), false);
  }
  remove(AControl);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  Realign();
}

bool TWinControl::ContainsControl(TControl* Control) {
  while (Control && Control != this) Control = Control->Parent();
  return Control == this;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls, bool AllLevels) {
  auto takes = [&](TControl* c) {
    TPoint p{Pos.x - c->Left(), Pos.y - c->Top()};
    TRect client = c->ClientRect();
    if (!PtInRect(client, p)) return false;
    if (c->ComponentState().Contains(csDesigning))
      return c->Visible() || !c->ControlStyle().Contains(csNoDesignVisible);
    return c->Visible() && (c->Enabled() || AllowDisabled) && c->Perform(CM_HITTEST, 0, PointToLParam(p)) != 0;
  };
  TControl* result = nullptr;
  if (AllowWinControls)
    for (auto it = winControls_.rbegin(); it != winControls_.rend() && !result; ++it)
      if (takes(*it)) result = *it;
  if (!result)
    for (auto it = controls_.rbegin(); it != controls_.rend() && !result; ++it)
      if (takes(*it)) result = *it;
  if (AllLevels) {
    if (auto* w = dynamic_cast<TWinControl*>(result)) {
      TPoint inner{Pos.x - w->Left(), Pos.y - w->Top()};
      if (TControl* deeper = w->ControlAtPos(inner, AllowDisabled, AllowWinControls, true)) result = deeper;
    }
  }
  return result;
}

TControl* TWinControl::FindChildControl(const std::string& ControlName) {
  for (Integer i = 0; i < ControlCount(); ++i)
    if (SameText(Controls(i)->Name(), ControlName)) return Controls(i);
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->windowProc_) c->windowProc_(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage message;
  message.Msg = Msg;
  message.WParam = 0;
  message.LParam = 0;
  message.Result = 0;
  Broadcast(message);
}

void TWinControl::ShowControl(TControl*) {
  if (parent_) parent_->ShowControl(this);
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

void TWinControl::SetChildOrder(TComponent* Child, int Order) {
  if (auto* c = dynamic_cast<TControl*>(Child)) c->SetZOrderPosition(Order);
}

void TWinControl::FlipChildren(bool AllLevels) {
  if (ControlCount() == 0) return;
  DisableAlign();
  {
    ScopeExit atEnd([&] { EnableAlign(); });
    Integer clientWidth = ClientWidth();
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c->Align() == alLeft) c->SetAlign(alRight);
      else if (c->Align() == alRight) c->SetAlign(alLeft);
      c->SetLeft(clientWidth - c->Left() - c->Width());
      if (AllLevels)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->FlipChildren(true);
    }
  }
}

void TWinControl::SetZOrderPosition(Integer Position) {
  if (!parent_) return;
  auto& list = parent_->winControls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  Integer count = static_cast<Integer>(list.size());
  Position = std::clamp(Position, 0, count - 1);
  list.erase(it);
  list.insert(list.begin() + Position, this);
  if (handle_)
    SetWindowPos(handle_, Position == 0 ? HWND_BOTTOM : parent_->PrecedingWindow(this), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

void TWinControl::SetZOrder(bool TopMost) {
  if (parent_) {
    SetZOrderPosition(TopMost ? static_cast<Integer>(parent_->winControls_.size()) - 1 : 0);
  } else if (handle_) {
    SetWindowPos(handle_, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (parent_ != AParent && AParent && parentWindow_) SetParentWindow(nullptr);
  TControl::SetParent(AParent);
}

// ---------------------------------------------------------------------------------------
// Layout.

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  --alignLevel_;
  if (alignLevel_ == 0 && controlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (!handle_ || ComponentState().Contains(csDestroying)) return;
  if (alignLevel_ != 0) {
    controlState_.Include(csAlignmentNeeded);
    return;
  }
  DisableAlign();
  {
    ScopeExit atEnd([&] { controlState_.Exclude(csAlignmentNeeded); EnableAlign(); });
    TRect rect = GetClientRect();
    AlignControls(AControl, rect);
  }
}

void TWinControl::AdjustClientRect(TRect&) {}

bool TWinControl::CustomAlignInsertBefore(TControl* C1, TControl* C2) {
  bool result = false;
  if (onAlignInsertBefore_) onAlignInsertBefore_(this, C1, C2, result);
  return result;
}

void TWinControl::CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                      Integer& NewHeight, TRect& AlignRect, const TAlignInfo& AlignInfo) {
  if (onAlignPosition_) onAlignPosition_(this, Control, NewLeft, NewTop, NewWidth, NewHeight, AlignRect, AlignInfo);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  // Nothing to do while every child keeps its place (no alignment, default anchors).
  bool work = false;
  for (Integer i = ControlCount() - 1; i >= 0 && !work; --i) {
    TControl* c = Controls(i);
    work = c->Align() != alNone || !(c->Anchors() == TAnchors{akLeft, akTop});
  }
  if (work) {
    AdjustClientRect(Rect);
    std::vector<TControl*> alignList;

    auto insertBefore = [&](TControl* c1, TControl* c2, TAlign align) {
      switch (align) {
        case alTop: return c1->Top() < c2->Top();
        case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
        case alLeft: return c1->Left() < c2->Left();
        case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
        case alCustom: return CustomAlignInsertBefore(c1, c2);
        default: return false;
      }
    };

    auto doPosition = [&](TControl* control, TAlign align, const TAlignInfo& info) {
      if (align == alNone || !(control->Anchors() == AnchorAlign(align))) {
        // Anchors: the sides the control is anchored to keep their distance from the
        // parent's edges; an unanchored axis keeps the control's centre proportional.
        if (control->originalParentSize_.x != 0 && control->originalParentSize_.y != 0) {
          Integer newLeft = control->Left(), newTop = control->Top();
          Integer newWidth = control->Width(), newHeight = control->Height();
          TRect client = GetClientRect();
          TPoint parentSize = Point(client.right, client.bottom);
          TAnchors anchors = control->Anchors();
          const TPoint& original = control->originalParentSize_;
          const TPoint& rules = control->anchorRules_;
          if (anchors.Contains(akRight)) {
            if (anchors.Contains(akLeft)) newWidth = parentSize.x - (original.x - rules.x);
            else newLeft = parentSize.x - (original.x - rules.x);
          } else if (!anchors.Contains(akLeft)) {
            newLeft = MulDiv(rules.x, parentSize.x, original.x) - newWidth / 2;
          }
          if (anchors.Contains(akBottom)) {
            if (anchors.Contains(akTop)) newHeight = parentSize.y - (original.y - rules.y);
            else newTop = parentSize.y - (original.y - rules.y);
          } else if (!anchors.Contains(akTop)) {
            newTop = MulDiv(rules.y, parentSize.y, original.y) - newHeight / 2;
          }
          control->anchorMove_ = true;
          {
            ScopeExit atEnd([&] { control->anchorMove_ = false; });
            control->SetBounds(newLeft, newTop, newWidth, newHeight);
          }
        }
        if (align == alNone) return;
      }
      Integer newWidth = Rect.right - Rect.left;
      if (newWidth < 0 || align == alLeft || align == alRight || align == alCustom) newWidth = control->Width();
      Integer newHeight = Rect.bottom - Rect.top;
      if (newHeight < 0 || align == alTop || align == alBottom || align == alCustom) newHeight = control->Height();
      Integer newLeft = Rect.left, newTop = Rect.top;
      switch (align) {
        case alTop: Rect.top += newHeight; break;
        case alBottom:
          Rect.bottom -= newHeight;
          newTop = Rect.bottom;
          break;
        case alLeft: Rect.left += newWidth; break;
        case alRight:
          Rect.right -= newWidth;
          newLeft = Rect.right;
          break;
        case alCustom:
          newLeft = control->Left();
          newTop = control->Top();
          CustomAlignPosition(control, newLeft, newTop, newWidth, newHeight, Rect, info);
          break;
        default: break;
      }
      control->anchorMove_ = true;
      {
        ScopeExit atEnd([&] { control->anchorMove_ = false; });
        control->SetBounds(newLeft, newTop, newWidth, newHeight);
      }
      // A control that did not take the size offered gives back (or takes) the difference.
      if (control->Width() != newWidth || control->Height() != newHeight) {
        switch (align) {
          case alTop: Rect.top -= newHeight - control->Height(); break;
          case alBottom: Rect.bottom += newHeight - control->Height(); break;
          case alLeft: Rect.left -= newWidth - control->Width(); break;
          case alRight: Rect.right += newWidth - control->Width(); break;
          case alClient:
            Rect.right += newWidth - control->Width();
            Rect.bottom += newHeight - control->Height();
            break;
          default: break;
        }
      }
    };

    auto shown = [](TControl* c) {
      if (c->Visible()) return true;
      TControlStyle both{csAcceptsControls, csNoDesignVisible};
      if ((c->ControlStyle() * both) == both) return true;
      return c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible);
    };

    auto doAlign = [&](TAlign align) {
      alignList.clear();
      if (AControl && AControl->Align() == align && (align == alNone || shown(AControl))) alignList.push_back(AControl);
      for (Integer i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() != align || (align != alNone && !shown(c)) || c == AControl) continue;
        size_t j = 0;
        while (j < alignList.size() && !insertBefore(c, alignList[j], align)) ++j;
        alignList.insert(alignList.begin() + static_cast<std::ptrdiff_t>(j), c);
      }
      for (size_t i = 0; i < alignList.size(); ++i) {
        TAlignInfo info;
        info.AlignList = &alignList;
        info.ControlIndex = static_cast<Integer>(i);
        info.Align = align;
        doPosition(alignList[i], align, info);
      }
    };

    doAlign(alTop);
    doAlign(alBottom);
    doAlign(alLeft);
    doAlign(alRight);
    doAlign(alClient);
    doAlign(alCustom);
    doAlign(alNone);  // the anchored ones
  }
  ControlsAligned();
  if (showing_) AdjustSize();
}

void TWinControl::AdjustSize() {
  if (ComponentState().Contains(csLoading) || !handle_) return;
  // Every realignment ends here, so a child that moves would otherwise make each parent up
  // the chain re-send the size its window already has (a round of position messages each).
  RECT r{};
  if (!GetWindowRect(handle_, &r) || r.right - r.left != width_ || r.bottom - r.top != height_)
    SetWindowPos(handle_, nullptr, 0, 0, width_, height_, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOZORDER);
  RequestAlign();
}

TRect TWinControl::GetControlExtents() {
  TRect result{0, 0, 0, 0};
  bool any = false;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() && !c->ComponentState().Contains(csDesigning)) continue;
    TRect r = c->BoundsRect();
    if (!any) result = r;
    else {
      result.left = std::min(result.left, r.left);
      result.top = std::min(result.top, r.top);
      result.right = std::max(result.right, r.right);
      result.bottom = std::max(result.bottom, r.bottom);
    }
    any = true;
  }
  return result;
}

bool TWinControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  // An auto-sized container takes the size that shows all its (unaligned) children.
  bool any = false;
  for (Integer i = 0; i < ControlCount() && !any; ++i) any = Controls(i)->Visible() && Controls(i)->Align() == alNone;
  if (!any) return true;
  TRect extents = GetControlExtents();
  TRect client = GetClientRect();
  NewWidth = extents.right + (width_ - client.right);
  NewHeight = extents.bottom + (height_ - client.bottom);
  return true;
}

Integer TWinControl::bevelSize() const {
  Integer edge = 0;
  if (bevelKind_ != bkNone) {
    if (bevelInner_ != bvNone) edge += bevelWidth_;
    if (bevelOuter_ != bvNone) edge += bevelWidth_;
  }
  return edge;
}

TRect TWinControl::GetClientRect() {
  TRect r;
  if (handle_) {
    ::GetClientRect(handle_, &r);
    return r;
  }
  // Without a window: the bounds less the borders the window will draw.
  r = Rect(0, 0, width_, height_);
  InflateRect(r, -borderWidth_, -borderWidth_);
  Integer edge = bevelSize();
  if (bevelEdges_.Contains(beLeft)) r.left += edge;
  if (bevelEdges_.Contains(beTop)) r.top += edge;
  if (bevelEdges_.Contains(beRight)) r.right -= edge;
  if (bevelEdges_.Contains(beBottom)) r.bottom -= edge;
  OffsetRect(r, -r.left, -r.top);
  if (r.right < 0) r.right = 0;
  if (r.bottom < 0) r.bottom = 0;
  return r;
}

TPoint TWinControl::GetClientOrigin() {
  POINT p{0, 0};
  ::ClientToScreen(Handle(), &p);
  return p;
}

void TWinControl::ChangeScale(Integer M, Integer D) {
  if (M == D || D == 0) return;
  DisableAlign();
  {
    ScopeExit atEnd([&] { EnableAlign(); });
    for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
    TControl::ChangeScale(M, D);
  }
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  if (handle_ && !IsIconic(handle_)) {
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (handle_) {
      WINDOWPLACEMENT wp{};
      wp.length = sizeof wp;
      GetWindowPlacement(handle_, &wp);
      wp.rcNormalPosition = Bounds(ALeft, ATop, AWidth, AHeight);
      SetWindowPlacement(handle_, &wp);
    }
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  RECT r;
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(handle_, &wp);
    r = wp.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &r);
  }
  if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) {
    if (HWND parentWindow = GetParent(handle_)) MapWindowPoints(nullptr, parentWindow, reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  UpdateAnchorRules();
}

void TWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
  bool isVisible = handle_ && IsWindowVisible(handle_);
  if (isVisible) ScrollWindow(handle_, DeltaX, DeltaY, nullptr, nullptr);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->handle_) {
      c->left_ += DeltaX;
      c->top_ += DeltaY;
    } else if (!isVisible) {
      SetWindowPos(w->handle_, nullptr, w->left_ + DeltaX, w->top_ + DeltaY, w->width_, w->height_,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Realign();
}

void TWinControl::UpdateControlState() {
  // Windows are made and shown only under a form (or a foreign parent window) that shows.
  TWinControl* control = this;
  while (control->parent_) {
    control = control->parent_;
    if (!control->Showing()) return;
  }
  if (dynamic_cast<TCustomForm*>(control) || control->parentWindow_) UpdateShowing();
}

void TWinControl::UpdateShowing() {
  bool showControl = (visible_ && (!ComponentState().Contains(csDesigning) ||
                                   !controlStyle_.Contains(csNoDesignVisible))) ||
                     (ComponentState().Contains(csDesigning) && !controlStyle_.Contains(csNoDesignVisible));
  showControl = showControl && !controlState_.Contains(csReadingState);
  if (showControl) {
    if (!handle_) CreateHandle();
    for (TWinControl* child : std::vector<TWinControl*>(winControls_)) child->UpdateShowing();
  }
  if (handle_ && showing_ != showControl) {
    showing_ = showControl;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      showing_ = !showControl;
      throw;
    }
  }
}

void TWinControl::CMShowingChanged(TMessage&) {
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0, flags | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!visible_ && parent_) RemoveFocus(false);
  if (!ComponentState().Contains(csDesigning) || controlStyle_.Contains(csNoDesignVisible)) UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled() && parent_) RemoveFocus(false);
  if (handle_ && !ComponentState().Contains(csDesigning)) EnableWindow(handle_, Enabled());
}

void TWinControl::CMColorChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  brush_->SetColor(color_);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (handle_) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::SetCtl3D(bool Value) { setOwnValue(ctl3D_, Value, parentCtl3D_, CM_CTL3DCHANGED); }

void TWinControl::SetParentCtl3D(bool Value) { setParentFlag(parentCtl3D_, Value, CM_PARENTCTL3DCHANGED); }

void TWinControl::CMCtl3DChanged(TMessage&) {
  if (controlStyle_.Contains(csFramed) && parent_ && handle_ && IsWindowVisible(handle_)) parent_->Invalidate();
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& Message) {
  if (!parentCtl3D_) return;
  if (Message.WParam != 0) SetCtl3D(Message.LParam != 0);
  else if (parent_) SetCtl3D(parent_->Ctl3D());
  parentCtl3D_ = true;
}

void TWinControl::SetParentBackground(bool Value) {
  if (ParentBackground() == Value) return;
  if (Value) controlStyle_.Include(csParentBackground);
  else controlStyle_.Exclude(csParentBackground);
  Invalidate();
}

void TWinControl::SetBevelEdges(TBevelEdges Value) { setBorderValue(bevelEdges_, Value); }
void TWinControl::SetBevelInner(TBevelCut Value) { setBorderValue(bevelInner_, Value); }
void TWinControl::SetBevelOuter(TBevelCut Value) { setBorderValue(bevelOuter_, Value); }
void TWinControl::SetBevelKind(TBevelKind Value) { setBorderValue(bevelKind_, Value); }
void TWinControl::SetBevelWidth(TBevelWidth Value) { setBorderValue(bevelWidth_, std::max<TBevelWidth>(Value, 1)); }
void TWinControl::SetBorderWidth(TBorderWidth Value) { setBorderValue(borderWidth_, std::max<TBorderWidth>(Value, 0)); }

void TWinControl::CMBorderChanged(TMessage&) {
  if (!handle_) return;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  Realign();
  Invalidate();
}

void TWinControl::WMNCCalcSize(TWMNCCalcSize& Message) {
  INHERITED_MESSAGE(Message);
  // With CalcValidRects false LParam points to a single rectangle, which is also where
  // rgrc[0] sits: either way the first rectangle is the client area to shrink.
  auto* r = reinterpret_cast<RECT*>(Message.CalcSize_Params);
  if (!r) return;
  InflateRect(r, -borderWidth_, -borderWidth_);
  Integer edge = bevelSize();
  if (edge) {
    if (bevelEdges_.Contains(beLeft)) r->left += edge;
    if (bevelEdges_.Contains(beTop)) r->top += edge;
    if (bevelEdges_.Contains(beRight)) r->right -= edge;
    if (bevelEdges_.Contains(beBottom)) r->bottom -= edge;
  }
}

void TWinControl::WMNCPaint(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (borderWidth_ > 0 || bevelKind_ != bkNone) drawBevels();
}

// Paints the border width (in the control's colour) and the bevels in the non-client area.
void TWinControl::drawBevels() {
  HDC dc = GetWindowDC(handle_);
  RECT window, client;
  GetWindowRect(handle_, &window);
  ::GetClientRect(handle_, &client);
  MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -window.left, -window.top);
  OffsetRect(&window, -window.left, -window.top);
  // Only the frame between the window's edge and its client area.
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  RECT inner = client;
  Integer edge = bevelSize();
  if (bevelEdges_.Contains(beLeft)) inner.left -= edge;
  if (bevelEdges_.Contains(beTop)) inner.top -= edge;
  if (bevelEdges_.Contains(beRight)) inner.right += edge;
  if (bevelEdges_.Contains(beBottom)) inner.bottom += edge;
  FillRect(dc, &window, brush_->Handle());
  if (bevelKind_ != bkNone) {
    UINT flags = 0;
    if (bevelEdges_.Contains(beLeft)) flags |= BF_LEFT;
    if (bevelEdges_.Contains(beTop)) flags |= BF_TOP;
    if (bevelEdges_.Contains(beRight)) flags |= BF_RIGHT;
    if (bevelEdges_.Contains(beBottom)) flags |= BF_BOTTOM;
    if (bevelKind_ == bkFlat) flags |= BF_FLAT;
    else if (bevelKind_ == bkSoft) flags |= BF_SOFT;
    UINT edgeFlags = 0;
    auto bits = [](TBevelCut cut, UINT raised, UINT sunken) -> UINT {
      return cut == bvRaised ? raised : cut == bvLowered ? sunken : 0;
    };
    edgeFlags |= bits(bevelInner_, BDR_RAISEDINNER, BDR_SUNKENINNER);
    edgeFlags |= bits(bevelOuter_, BDR_RAISEDOUTER, BDR_SUNKENOUTER);
    DrawEdge(dc, &inner, edgeFlags, flags);
  }
  ReleaseDC(handle_, dc);
}

void TWinControl::WMSize(TWMSize& Message) {
  UpdateBounds();
  INHERITED_MESSAGE(Message);
  Realign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TWMMove& Message) {
  INHERITED_MESSAGE(Message);
  UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TWMWindowPosChanged& Message) {
  if (!controlState_.Contains(csDestroyingHandle) && handle_) UpdateBounds();
  INHERITED_MESSAGE(Message);
}

void TWinControl::WMWindowPosChanging(TWMWindowPosChanging& Message) { INHERITED_MESSAGE(Message); }

void TWinControl::WMNCDestroy(TWMNCDestroy& Message) {
  INHERITED_MESSAGE(Message);
  showing_ = false;
}

void TWinControl::WMDestroy(TWMDestroy& Message) {
  freeDeviceContextsOf(handle_);
  INHERITED_MESSAGE(Message);
}

// ---------------------------------------------------------------------------------------
// Notifications reflected to the child they concern.

void TWinControl::WMCommand(TWMCommand& Message) {
  if (!doControlMsg(Message.Ctl, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMNotify(TWMNotify& Message) {
  HWND from = Message.NMHdr ? Message.NMHdr->hwndFrom : nullptr;
  if (!doControlMsg(from, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMDrawItem(TWMDrawItem& Message) {
  HWND item = Message.DrawItemStruct && Message.DrawItemStruct->CtlType != ODT_MENU ? Message.DrawItemStruct->hwndItem
                                                                                    : nullptr;
  if (!doControlMsg(item, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMMeasureItem(TWMMeasureItem& Message) {
  MEASUREITEMSTRUCT* mis = Message.MeasureItemStruct;
  if (mis && mis->CtlType != ODT_MENU) {
    // Controls carry their window as identifier; a list measured while its window is being
    // made has none yet and is the window being made.
    TWinControl* control = FindControl(reinterpret_cast<HWND>(static_cast<uintptr_t>(mis->CtlID)));
    if (!control && windowBeingCreated && windowBeingCreated->parent_ == this) control = windowBeingCreated;
    if (control) {
      Message.Result = control->Perform(CN_MEASUREITEM, Message.IDCtl, reinterpret_cast<LPARAM>(mis));
      return;
    }
  }
  INHERITED_MESSAGE(Message);
}

void TWinControl::WMCompareItem(TWMCompareItem& Message) {
  HWND item = Message.CompareItemStruct ? Message.CompareItemStruct->hwndItem : nullptr;
  if (!doControlMsg(item, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMDeleteItem(TWMDeleteItem& Message) {
  HWND item = Message.DeleteItemStruct ? Message.DeleteItemStruct->hwndItem : nullptr;
  if (!doControlMsg(item, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMHScroll(TWMScroll& Message) {
  if (!doControlMsg(Message.ScrollBar, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMVScroll(TWMScroll& Message) {
  if (!doControlMsg(Message.ScrollBar, reinterpret_cast<TMessage&>(Message))) INHERITED_MESSAGE(Message);
}

void TWinControl::WMCharToItem(TMessage& Message) {
  if (!doControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) INHERITED_MESSAGE(Message);
}

void TWinControl::WMVKeyToItem(TMessage& Message) {
  if (!doControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) INHERITED_MESSAGE(Message);
}


// ---------------------------------------------------------------------------------------
// Painting.

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::CMInvalidate(TMessage& Message) {
  if (!handle_) return;
  // WParam 1: a child asks its parent to paint behind it; the parent's own window needs
  // nothing then.
  if (parent_) parent_->Perform(CM_INVALIDATE, 1, 0);
  if (Message.WParam == 0) InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::WMPaint(TWMPaint& Message) {
  if (!doubleBuffered_ || Message.DC) {
    if (!controlState_.Contains(csCustomPaint) && ControlCount() == 0) INHERITED_MESSAGE(Message);
    else PaintHandler(Message);
    return;
  }
  // Double buffered: paint into a bitmap, then copy it to the window in one step.
  TRect client = GetClientRect();
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
  ReleaseDC(nullptr, screen);
  HDC memDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBitmap = SelectObject(memDC, bitmap);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  {
    ScopeExit atEnd([&] {
      EndPaint(handle_, &ps);
      SelectObject(memDC, oldBitmap);
      DeleteDC(memDC);
      DeleteObject(bitmap);
    });
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memDC), reinterpret_cast<LPARAM>(memDC));
    Message.DC = memDC;
    WMPaint(Message);
    Message.DC = nullptr;
    BitBlt(dc, 0, 0, client.right, client.bottom, memDC, 0, 0, SRCCOPY);
  }
}

void TWinControl::PaintHandler(TWMPaint& Message) {
  HDC dc = Message.DC;
  PAINTSTRUCT ps;
  if (!dc) dc = BeginPaint(handle_, &ps);
  try {
    if (controls_.empty()) {
      PaintWindow(dc);
    } else {
      // The window paints only where no opaque graphic child will paint over it.
      int saved = SaveDC(dc);
      int clip = SIMPLEREGION;
      for (TControl* c : controls_) {
        bool shown = c->Visible() ||
                     (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible));
        if (shown && c->ControlStyle().Contains(csOpaque)) {
          clip = ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
          if (clip == NULLREGION) break;
        }
      }
      if (clip != NULLREGION) PaintWindow(dc);
      RestoreDC(dc, saved);
    }
    PaintControls(dc, nullptr);
  } catch (...) {
    if (!Message.DC) EndPaint(handle_, &ps);
    throw;
  }
  if (!Message.DC) EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage message;
  message.Msg = WM_PAINT;
  message.WParam = reinterpret_cast<WPARAM>(DC);
  message.LParam = 0;
  message.Result = 0;
  DefaultHandler(message);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  size_t i = 0;
  if (First) {
    auto it = std::find(controls_.begin(), controls_.end(), First);
    if (it != controls_.end()) i = static_cast<size_t>(it - controls_.begin());
  }
  for (; i < controls_.size(); ++i) {
    TControl* c = controls_[i];
    bool shown = c->Visible() ||
                 (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible));
    RECT r = Bounds(c->Left(), c->Top(), c->Width(), c->Height());
    if (!shown || !RectVisible(DC, &r)) continue;
    if (controlState_.Contains(csPaintCopy)) c->controlState_.Include(csPaintCopy);
    int saved = SaveDC(DC);
    MoveWindowOrg(DC, c->Left(), c->Top());
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
    c->controlState_.Exclude(csPaintCopy);
  }
  // Framed windowed children get a sunken 3D frame drawn around them on this window.
  for (TWinControl* w : winControls_) {
    if (!w->ctl3D_ || !w->controlStyle_.Contains(csFramed) || !w->Visible()) continue;
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(clBtnShadow));
    RECT outer = Rect(w->Left() - 1, w->Top() - 1, w->Left() + w->Width(), w->Top() + w->Height());
    FrameRect(DC, &outer, shadow);
    DeleteObject(shadow);
    HBRUSH light = CreateSolidBrush(ColorToRGB(clBtnHighlight));
    RECT inner = Rect(w->Left(), w->Top(), w->Left() + w->Width() + 1, w->Top() + w->Height() + 1);
    FrameRect(DC, &inner, light);
    DeleteObject(light);
  }
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  // A double-buffered control erases only into its buffer (WParam = LParam).
  if (!doubleBuffered_ || reinterpret_cast<TMessage&>(Message).WParam == static_cast<WPARAM>(reinterpret_cast<TMessage&>(Message).LParam)) {
    TRect client = GetClientRect();
    FillRect(Message.DC, &client, brush_->Handle());
  }
  Message.Result = 1;
}

TPrintClientWrapper PrintClientWrapper = nullptr;

void TWinControl::WMPrintClient(TWMPrintClient& Message) {
  // The wrapper runs around the handling below; it calls back here for the real work.
  static TWinControl* unwrapped = nullptr;
  if (PrintClientWrapper && unwrapped != this) {
    PrintClientWrapper(this, Message, [](TWinControl* Control, TWMPrintClient& M) {
      TWinControl* outer = unwrapped;
      unwrapped = Control;
      {
        ScopeExit atEnd([&] { unwrapped = outer; });
        Control->WMPrintClient(M);
      }
    });
    return;
  }
  if (Message.Result == 1) return;
  if (!(Message.Flags & PRF_CHECKVISIBLE) || Visible()) {
    if (Message.Flags & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Message.DC), 0);
    TWMPaint paint{};
    paint.Msg = WM_PAINT;
    paint.DC = Message.DC;
    PaintHandler(paint);
    if (Message.Flags & PRF_CHILDREN)
      for (TWinControl* w : winControls_)
        if (w->Visible()) w->PaintTo(Message.DC, w->Left(), w->Top());
  } else {
    INHERITED_MESSAGE(Message);
  }
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y) {
  controlState_.Include(csPaintCopy);
  int saved = SaveDC(DC);
  MoveWindowOrg(DC, X, Y);
  IntersectClipRect(DC, 0, 0, width_, height_);
  UINT edgeFlags = 0, borderFlags = 0;
  HWND h = Handle();
  if (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
    edgeFlags = EDGE_SUNKEN;
    borderFlags = BF_RECT | BF_ADJUST;
  } else if (GetWindowLongA(h, GWL_STYLE) & WS_BORDER) {
    edgeFlags = BDR_OUTER;
    borderFlags = BF_RECT | BF_ADJUST | BF_MONO;
  }
  if (borderFlags) {
    RECT r = Rect(0, 0, width_, height_);
    DrawEdge(DC, &r, edgeFlags, borderFlags);
    MoveWindowOrg(DC, r.left, r.top);
    IntersectClipRect(DC, 0, 0, r.right - r.left, r.bottom - r.top);
  }
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  for (TWinControl* w : winControls_)
    if (w->Visible()) w->PaintTo(DC, w->Left(), w->Top());
  RestoreDC(DC, saved);
  controlState_.Exclude(csPaintCopy);
}

void TWinControl::PaintTo(TCanvas* Canvas, Integer X, Integer Y) {
  Canvas->Lock();
  {
    ScopeExit atEnd([&] { Canvas->Unlock(); });
    PaintTo(Canvas->Handle(), X, Y);
  }
}

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
  HDC dc = GetDC(Handle());
  if (!dc) throw EOutOfResources("Error creating window device context");
  WindowHandle = handle_;
  return dc;
}

// ---------------------------------------------------------------------------------------
// Cursor.

void TWinControl::WMSetCursor(TWMSetCursor& Message) {
  if (Message.CursorWnd == handle_ && static_cast<SmallInt>(Message.HitTest) == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* control = ControlAtPos(ScreenToClient(p), false);
      if (control) cursor = control->ComponentState().Contains(csDesigning) ? crArrow : control->Cursor();
      if (cursor == crDefault) cursor = ComponentState().Contains(csDesigning) ? crArrow : Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  INHERITED_MESSAGE(Message);
}

void TWinControl::CMCursorChanged(TMessage&) {
  if (!handle_ || (Screen && Screen->Cursor() != crDefault)) return;
  POINT p;
  GetCursorPos(&p);
  if (FindDragTarget(p, false) == this) Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_), HTCLIENT);
}

// ---------------------------------------------------------------------------------------
// Focus and tab order.

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TWinControl* c = this; c != form; c = c->parent_)
    if (!c || !(c->visible_ && c->Enabled())) return false;
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form) form->FocusControl(this);
  else if (parentWindow_) ::SetFocus(Handle());
  else ValidParentForm(this);
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

TTabOrder TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<TTabOrder>(it - list.begin());
}

void TWinControl::SetTabOrder(TTabOrder Value) {
  if (controlState_.Contains(csReadingState)) tabOrder_ = Value;
  else UpdateTabOrder(Value);
}

void TWinControl::UpdateTabOrder(TTabOrder Value) {
  TTabOrder current = TabOrder();
  if (current < 0) return;
  auto& list = parent_->tabList_;
  Integer count = static_cast<Integer>(list.size());
  Value = std::clamp(Value, 0, count - 1);
  if (Value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  // After reading, each child goes to the tab position it was stored with.
  size_t count = winControls_.size();
  std::vector<TWinControl*> ordered(count, nullptr);
  for (TWinControl* c : winControls_)
    if (c->tabOrder_ >= 0 && static_cast<size_t>(c->tabOrder_) < count) ordered[c->tabOrder_] = c;
  for (size_t i = 0; i < count; ++i)
    if (ordered[i]) ordered[i]->UpdateTabOrder(static_cast<TTabOrder>(i));
}

void TWinControl::SetTabStop(bool Value) {
  if (tabStop_ == Value) return;
  tabStop_ = Value;
  if (handle_) {
    LONG style = GetWindowLongA(handle_, GWL_STYLE) & ~WS_TABSTOP;
    if (Value) style |= WS_TABSTOP;
    SetWindowLongA(handle_, GWL_STYLE, style);
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(TList* List) {
  for (TWinControl* c : tabList_) {
    List->Add(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  TList list;
  GetTabOrderList(&list);
  Integer count = list.Count();
  if (count == 0) return nullptr;
  Integer start = list.IndexOf(CurControl);
  if (start == -1) start = GoForward ? count - 1 : 0;
  Integer i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    auto* c = static_cast<TWinControl*>(list.Items(i));
    if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->parent_ == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) next->SetFocus();
}

void TWinControl::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  TWinControl* control = FindNextControl(nullptr, true, true, false);
  if (!control) control = FindNextControl(nullptr, true, false, false);
  if (control) form->SetActiveControl(control);
}

void TWinControl::WMSetFocus(TWMSetFocus& Message) { INHERITED_MESSAGE(Message); }

void TWinControl::WMKillFocus(TWMKillFocus& Message) { INHERITED_MESSAGE(Message); }

void TWinControl::DoEnter() {
  if (onEnter_) onEnter_(this);
}

void TWinControl::DoExit() {
  if (onExit_) onExit_(this);
}

void TWinControl::CMEnter(TCMEnter&) { DoEnter(); }

void TWinControl::CMExit(TCMExit&) { DoExit(); }

void TWinControl::CMFocusChanged(TCMFocusChanged& Message) { Broadcast(reinterpret_cast<TMessage&>(Message)); }

// ---------------------------------------------------------------------------------------
// Keyboard.

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (onKeyDown_) onKeyDown_(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (onKeyUp_) onKeyUp_(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (onKeyPress_) onKeyPress_(this, Key);
}

// The form sees a key first when its KeyPreview is set; a handler that sets the key to 0
// eats it. True when the key was eaten.
bool TWinControl::doKeyEvent(TWMKey& Message, bool (TWinControl::*Preview)(TWMKey&),
                             void (TWinControl::*Handler)(Word&, TShiftState)) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && (static_cast<TWinControl*>(form)->*Preview)(Message)) return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    Word key = Message.CharCode;
    (this->*Handler)(key, KeyDataToShiftState(Message.KeyData));
    Message.CharCode = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyDown(TWMKey& Message) {
  return doKeyEvent(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TWMKey& Message) { return doKeyEvent(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp); }

bool TWinControl::DoKeyPress(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message))
    return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    char ch = static_cast<char>(Message.CharCode);
    KeyPress(ch);
    Message.CharCode = static_cast<Word>(static_cast<unsigned char>(ch));
    if (ch == 0) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TWMKey& Message) {
  if (!DoKeyDown(Message)) INHERITED_MESSAGE(Message);
}

void TWinControl::WMSysKeyDown(TWMKey& Message) {
  if (DoKeyDown(Message)) return;
  // Shift+F10 asks for the context menu, as the menu key does; the system leaves it to the
  // program. Handled here, the F10 never reaches the default handling that would open the
  // window's menu bar when the key is released.
  TShiftState shift = KeyDataToShiftState(Message.KeyData);
  if (Message.CharCode == VK_F10 && shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
    Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(handle_), MAKELPARAM(-1, -1));
    Message.Result = 0;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TWinControl::WMKeyUp(TWMKey& Message) {
  if (!DoKeyUp(Message)) INHERITED_MESSAGE(Message);
}

void TWinControl::WMSysKeyUp(TWMKey& Message) {
  if (!DoKeyUp(Message)) INHERITED_MESSAGE(Message);
}

void TWinControl::WMChar(TWMKey& Message) {
  if (!DoKeyPress(Message)) INHERITED_MESSAGE(Message);
}

// Shortcuts of the popup menus up the parent chain, then of the form, then of the
// application.
bool TWinControl::IsMenuKey(TWMKey& Message) {
  if (!ComponentState().Contains(csDesigning)) {
    for (TControl* c = this; c; c = c->parent_)
      if (c->popupMenu_ && c->popupMenu_->IsShortCut(Message)) return true;
    if (TCustomForm* form = GetParentForm(this))
      if (form->IsShortCut(Message)) return true;
  }
  return SendAppMessage(CM_APPKEYDOWN, Message.CharCode, Message.KeyData) != 0;
}

// A key before its window gets it: menu shortcuts, then keys the control does not want
// (WM_GETDLGCODE) go to the form as dialog keys (Tab moves the focus, arrows move within
// a group, Enter and Esc reach default and cancel buttons).
void TWinControl::CNKeyDown(TWMKey& Message) {
  Message.Result = 1;
  if (IsMenuKey(Message)) return;
  if (!ComponentState().Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.CharCode, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (Message.CharCode) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_EXECUTE:
      case VK_ESCAPE:
      case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.CharCode, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
      TCustomForm* form = GetParentForm(this);
      if (form && form->Perform(CM_DIALOGKEY, Message.CharCode, Message.KeyData) != 0) return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TWMKey& Message) {
  // Key releases always reach the window (a control that wants a special key hears
  // CM_WANTSPECIALKEY for it, but its release is not eaten).
  if (!ComponentState().Contains(csDesigning)) Perform(CM_WANTSPECIALKEY, Message.CharCode, 0);
  Message.Result = 0;
}

void TWinControl::CNChar(TWMKey& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysKeyDown(TWMKey& Message) {
  Message.Result = 1;
  if (IsMenuKey(Message)) return;
  if (!ComponentState().Contains(csDesigning)) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, Message.CharCode, Message.KeyData) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysChar(TWMKey& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  // Alt+letter: an accelerator of some control of the form.
  if (Message.CharCode != VK_SPACE) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData) != 0) Message.Result = 1;
  }
}

void TWinControl::CMDialogKey(TCMDialogKey& Message) { Broadcast(reinterpret_cast<TMessage&>(Message)); }

void TWinControl::CMDialogChar(TCMDialogChar& Message) { Broadcast(reinterpret_cast<TMessage&>(Message)); }

void TWinControl::CMChildKey(TCMChildKey& Message) {
  // Containers up the chain may take a key meant for one of their descendants.
  if (parent_ && parent_->windowProc_) parent_->windowProc_(reinterpret_cast<TMessage&>(Message));
}

void TWinControl::WMContextMenu(TWMContextMenu& Message) {
  if (Message.Result != 0) return;
  TPoint p = SmallPointToPoint(Message.Pos);
  if (!(p.x == -1 && p.y == -1)) {
    if (TControl* c = ControlAtPos(ScreenToClient(p), false))
      Message.Result = c->Perform(WM_CONTEXTMENU, 0, reinterpret_cast<TMessage&>(Message).LParam);
  }
  if (Message.Result == 0) INHERITED_MESSAGE(Message);
}

// ---------------------------------------------------------------------------------------
// System notifications: every child hears them.

void TWinControl::CMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Broadcast(Message);
}

void TWinControl::CMSysFontChanged(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMWinIniChange(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMFontChange(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMTimeChange(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMTabStopChanged(TMessage&) {}

// The system's notifications reach top-level windows; they pass them to the controls as
// the class library's own messages.
void TWinControl::WMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Perform(CM_SYSCOLORCHANGE, 0, 0);
}

void TWinControl::WMWinIniChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Perform(CM_WININICHANGE, Message.WParam, Message.LParam);
}

void TWinControl::WMFontChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Perform(CM_FONTCHANGE, 0, 0);
}

void TWinControl::WMTimeChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Perform(CM_TIMECHANGE, 0, 0);
}

void TWinControl::CMBiDiModeChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  NotifyControls(CM_PARENTBIDIMODECHANGED);
  if (SysLocale.MiddleEast && handle_) RecreateWnd();
}

void TWinControl::CMDrag(TCMDrag& Message) {
  INHERITED_MESSAGE(Message);
  if (Message.DragMessage == dmFindTarget) {
    TControl* target = ControlAtPos(ScreenToClient(Message.DragRec->Pos), false);
    Message.Result = reinterpret_cast<LRESULT>(target ? target : static_cast<TControl*>(this));
  }
}

// ---------------------------------------------------------------------------------------
// Actions and the component model.

TClass TWinControl::GetActionLinkClass() { return TWinControlActionLink::StaticClass(); }

void TWinControl::DefineProperties(TFiler* Filer) {
  TControl::DefineProperties(Filer);
  bool store = false;
  for (Integer i = 0; i < ControlCount() && !store; ++i) {
    TAnchors anchors = Controls(i)->Anchors();
    store = Controls(i)->Align() == alNone && (anchors.Contains(akRight) || anchors.Contains(akBottom));
  }
  Filer->DefineProperty(
      "DesignSize",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        designSize_.x = Reader->ReadInteger();
        designSize_.y = Reader->ReadInteger();
        Reader->ReadListEnd();
      },
      [this](TWriter* Writer) {
        TRect client = GetClientRect();
        Writer->WriteListBegin();
        Writer->WriteInteger(static_cast<Integer>(client.right));
        Writer->WriteInteger(static_cast<Integer>(client.bottom));
        Writer->WriteListEnd();
      },
      store);
}

void TWinControl::ReadState(TReader* Reader) {
  DisableAlign();
  {
    ScopeExit atEnd([&] { EnableAlign(); });
    TControl::ReadState(Reader);
  }
  FixupTabList();
  if (parent_) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  UpdateControlState();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

// =======================================================================================
// TGraphicControl and TCustomControl
// =======================================================================================

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  canvas_ = MakeControlCanvas(this);
}

TGraphicControl::~TGraphicControl() {
  if (captureControl == this) SetCaptureControl(nullptr);
}

void TGraphicControl::WMPaint(TWMPaint& Message) {
  if (!Message.DC || ComponentState().Contains(csDestroying)) return;
  paintOnCanvas(canvas_.get(), Message.DC, [this] { Paint(); });
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  canvas_ = MakeControlCanvas(this);
}

TCustomControl::~TCustomControl() {
  // The canvas must not outlive the window it may hold a DC of.
}

void TCustomControl::PaintWindow(HDC DC) {
  paintOnCanvas(canvas_.get(), DC, [this] {
    canvas_->UpdateTextFlags();
    Paint();
  });
}

void TCustomControl::WMPaint(TWMPaint& Message) {
  withControlState(csCustomPaint, [&] { INHERITED_MESSAGE(Message); });
}

// =======================================================================================
// THintWindow
// =======================================================================================

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  if (Screen) Canvas()->SetFont(Screen->HintFont());
  Canvas()->Brush()->SetStyle(bsClear);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = Application ? Application->Handle() : nullptr;
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  r.left += 2;
  r.top += 2;
  if (Screen) Canvas()->Font()->SetColor(Screen->HintFont()->Color());
  std::string text = Caption();
  DrawTextA(Canvas()->Handle(), text.c_str(), -1, &r,
            DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const std::string& AHint, void*) {
  TRect result = Rect(0, 0, MaxWidth, 0);
  DrawTextA(Canvas()->Handle(), AHint.c_str(), -1, &result,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
  result.right += 6;
  result.bottom += 2;
  return result;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& AHint) {
  activating_ = true;
  {
    ScopeExit atEnd([&] { activating_ = false; });
    SetCaption(AHint);
    Rect.bottom += 4;
    UpdateBoundsRect(Rect);
    // Kept on the desktop.
    TRect desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    desktop.right = desktop.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    desktop.bottom = desktop.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (Rect.top + Height() > desktop.bottom) Rect.top = desktop.bottom - Height();
    if (Rect.left + Width() > desktop.right) Rect.left = desktop.right - Width();
    if (Rect.left < desktop.left) Rect.left = desktop.left;
    if (Rect.top < desktop.top) Rect.top = desktop.top;
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Width(), Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
  }
}

void THintWindow::ActivateHintData(TRect Rect, const std::string& AHint, void*) { ActivateHint(Rect, AHint); }

bool THintWindow::IsHintMsg(const MSG& Msg) {
  UINT m = Msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN ||
         m == CM_APPSYSCOMMAND || m == WM_COMMAND || (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::WMNCHitTest(TWMNCHitTest& Message) { Message.Result = HTTRANSPARENT; }

void THintWindow::WMNCPaint(TMessage&) {
  HDC dc = GetWindowDC(Handle());
  RECT r = Rect(0, 0, Width(), Height());
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
  ReleaseDC(Handle(), dc);
}

void THintWindow::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  // While activating, ActivateHint sets the size itself.
  if (activating_) return;
  std::string text = Caption();
  SetWidth(Canvas()->TextWidth(text) + 6);
  SetHeight(Canvas()->TextHeight(text) + 4);
}

// =======================================================================================
// TMouse
// =======================================================================================

TMouse::TMouse() { SettingChanged(0); }

void TMouse::SettingChanged(Integer Setting) {
  if (Setting == 0 || Setting == SPI_GETWHEELSCROLLLINES || Setting == SPI_SETWHEELSCROLLLINES) {
    UINT lines = 3;
    if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) scrollLines_ = static_cast<Integer>(lines);
  }
  mousePresent_ = GetSystemMetrics(SM_MOUSEPRESENT) != 0;
  wheelPresent_ = GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0;
}

TControl* TMouse::Capture() { return GetCaptureControl(); }

TPoint TMouse::CursorPos() {
  POINT p{0, 0};
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(const TPoint& Value) { ::SetCursorPos(Value.x, Value.y); }

void TMouse::SetCaptureControl(TControl* Control) { ::SetCaptureControl(Control); }

// =======================================================================================
// Action links
// =======================================================================================

TControlActionLink::TControlActionLink(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }

void TControlActionLink::AssignClient(TObject* AClient) { client_ = dynamic_cast<TControl*>(AClient); }

namespace {
TCustomAction* customActionOf(TBasicAction* action) { return dynamic_cast<TCustomAction*>(action); }
}  // namespace

bool TControlActionLink::DoShowHint(std::string& HintStr) {
  TCustomAction* action = customActionOf(Action());
  if (!action) return true;
  if (!action->DoHint(HintStr)) return false;
  if (Application && Application->HintShortCuts() && action->ShortCut() != 0 && !HintStr.empty())
    HintStr = HintStr + " (" + ShortCutToText(action->ShortCut()) + ")";
  return true;
}

bool TControlActionLink::IsCaptionLinked() {
  TCustomAction* action = customActionOf(Action());
  return TActionLink::IsCaptionLinked() && action && client_->Caption() == action->Caption();
}

bool TControlActionLink::IsEnabledLinked() {
  TCustomAction* action = customActionOf(Action());
  return TActionLink::IsEnabledLinked() && action && client_->Enabled() == action->Enabled();
}

bool TControlActionLink::IsHelpLinked() {
  TCustomAction* action = customActionOf(Action());
  return TActionLink::IsHelpLinked() && action && client_->HelpContext() == action->HelpContext() &&
         client_->HelpKeyword() == action->HelpKeyword() && client_->HelpType() == action->HelpType();
}

bool TControlActionLink::IsHintLinked() {
  TCustomAction* action = customActionOf(Action());
  return TActionLink::IsHintLinked() && action && client_->Hint() == action->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
  TCustomAction* action = customActionOf(Action());
  return TActionLink::IsVisibleLinked() && action && client_->Visible() == action->Visible();
}

bool TControlActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick() == Action()->OnExecute();
}

void TControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) client_->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) client_->SetEnabled(Value);
}

void TControlActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpLinked()) client_->SetHelpContext(Value);
}

void TControlActionLink::SetHelpKeyword(const std::string& Value) {
  if (IsHelpLinked()) client_->SetHelpKeyword(Value);
}

void TControlActionLink::SetHelpType(THelpType Value) {
  if (IsHelpLinked()) client_->SetHelpType(Value);
}

void TControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) client_->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) client_->SetVisible(Value);
}

void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) client_->SetOnClick(Value);
}

bool TWinControlActionLink::IsHelpContextLinked() {
  TCustomAction* action = customActionOf(Action());
  return TControlActionLink::IsHelpContextLinked() && action && client_->HelpContext() == action->HelpContext();
}

void TWinControlActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpContextLinked()) client_->SetHelpContext(Value);
}

// =======================================================================================
// Class descriptors: published properties and message maps
// =======================================================================================

RTL_BEGIN_CLASS(TSizeConstraints)
b.Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
b.Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
b.Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
b.Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TControlCanvas)
RTL_IMPLEMENT_CLASS(TDragObject)
RTL_IMPLEMENT_CLASS(TDragObjectEx)
RTL_IMPLEMENT_CLASS(TBaseDragControlObject)
RTL_IMPLEMENT_CLASS(TDragControlObject)
RTL_IMPLEMENT_CLASS(TDragControlObjectEx)
RTL_IMPLEMENT_CLASS(TDragDockObject)
RTL_IMPLEMENT_CLASS(TDragImageList)
RTL_IMPLEMENT_CLASS(TControlActionLink)
RTL_IMPLEMENT_CLASS(TWinControlActionLink)
RTL_IMPLEMENT_CLASS(TMouse)

RTL_BEGIN_CLASS(TControl)
b.Property("Left", &TControl::Left, &TControl::SetLeft);
b.Property("Top", &TControl::Top, &TControl::SetTop);
b.Property("Width", &TControl::Width, &TControl::SetWidth);
b.Property("Height", &TControl::Height, &TControl::SetHeight);
b.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
b.Property("Hint", &TControl::Hint, &TControl::SetHint).Stored(&TControl::IsHintStored);
b.Property("HelpType", &TControl::HelpType, &TControl::SetHelpType).Default(htContext);
b.Property("HelpKeyword", &TControl::HelpKeyword, &TControl::SetHelpKeyword).Stored(&TControl::IsHelpContextStored);
b.Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext)
    .Default(0)
    .Stored(&TControl::IsHelpContextStored);
b.Message(WM_LBUTTONDOWN, &TControl::WMLButtonDown);
b.Message(WM_RBUTTONDOWN, &TControl::WMRButtonDown);
b.Message(WM_MBUTTONDOWN, &TControl::WMMButtonDown);
b.Message(WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk);
b.Message(WM_RBUTTONDBLCLK, &TControl::WMRButtonDblClk);
b.Message(WM_MBUTTONDBLCLK, &TControl::WMMButtonDblClk);
b.Message(WM_LBUTTONUP, &TControl::WMLButtonUp);
b.Message(WM_RBUTTONUP, &TControl::WMRButtonUp);
b.Message(WM_MBUTTONUP, &TControl::WMMButtonUp);
b.Message(WM_MOUSEMOVE, &TControl::WMMouseMove);
b.Message(WM_MOUSEWHEEL, &TControl::WMMouseWheel);
b.Message(WM_CONTEXTMENU, &TControl::WMContextMenu);
b.Message(WM_CANCELMODE, &TControl::WMCancelMode);
b.Message(CM_VISIBLECHANGED, &TControl::CMVisibleChanged);
b.Message(CM_ENABLEDCHANGED, &TControl::CMEnabledChanged);
b.Message(CM_FONTCHANGED, &TControl::CMFontChanged);
b.Message(CM_COLORCHANGED, &TControl::CMColorChanged);
b.Message(CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged);
b.Message(CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged);
b.Message(CM_PARENTSHOWHINTCHANGED, &TControl::CMParentShowHintChanged);
b.Message(CM_PARENTBIDIMODECHANGED, &TControl::CMParentBiDiModeChanged);
b.Message(CM_HITTEST, &TControl::CMHitTest);
b.Message(CM_MOUSEENTER, &TControl::CMMouseEnter);
b.Message(CM_MOUSELEAVE, &TControl::CMMouseLeave);
b.Message(CM_HINTSHOW, &TControl::CMHintShow);
b.Message(CM_MOUSEWHEEL, &TControl::CMMouseWheel);
b.Message(CM_DRAG, &TControl::CMDrag);
b.Message(CM_SYSCOLORCHANGE, &TControl::CMSysColorChange);
b.Message(CM_BIDIMODECHANGED, &TControl::CMBiDiModeChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TWinControl)
b.Message(WM_PAINT, &TWinControl::WMPaint);
b.Message(WM_ERASEBKGND, &TWinControl::WMEraseBkgnd);
b.Message(WM_PRINTCLIENT, &TWinControl::WMPrintClient);
b.Message(WM_COMMAND, &TWinControl::WMCommand);
b.Message(WM_NOTIFY, &TWinControl::WMNotify);
b.Message(WM_DRAWITEM, &TWinControl::WMDrawItem);
b.Message(WM_MEASUREITEM, &TWinControl::WMMeasureItem);
b.Message(WM_COMPAREITEM, &TWinControl::WMCompareItem);
b.Message(WM_DELETEITEM, &TWinControl::WMDeleteItem);
b.Message(WM_HSCROLL, &TWinControl::WMHScroll);
b.Message(WM_VSCROLL, &TWinControl::WMVScroll);
b.Message(WM_CHARTOITEM, &TWinControl::WMCharToItem);
b.Message(WM_VKEYTOITEM, &TWinControl::WMVKeyToItem);
b.Message(WM_SIZE, &TWinControl::WMSize);
b.Message(WM_MOVE, &TWinControl::WMMove);
b.Message(WM_WINDOWPOSCHANGED, &TWinControl::WMWindowPosChanged);
b.Message(WM_WINDOWPOSCHANGING, &TWinControl::WMWindowPosChanging);
b.Message(WM_SETCURSOR, &TWinControl::WMSetCursor);
b.Message(WM_SETFOCUS, &TWinControl::WMSetFocus);
b.Message(WM_KILLFOCUS, &TWinControl::WMKillFocus);
b.Message(WM_KEYDOWN, &TWinControl::WMKeyDown);
b.Message(WM_SYSKEYDOWN, &TWinControl::WMSysKeyDown);
b.Message(WM_KEYUP, &TWinControl::WMKeyUp);
b.Message(WM_SYSKEYUP, &TWinControl::WMSysKeyUp);
b.Message(WM_CHAR, &TWinControl::WMChar);
b.Message(WM_CONTEXTMENU, &TWinControl::WMContextMenu);
b.Message(WM_NCCALCSIZE, &TWinControl::WMNCCalcSize);
b.Message(WM_NCPAINT, &TWinControl::WMNCPaint);
b.Message(WM_NCDESTROY, &TWinControl::WMNCDestroy);
b.Message(WM_DESTROY, &TWinControl::WMDestroy);
b.Message(WM_MOUSELEAVE, &TWinControl::WMMouseLeave);
b.Message(CN_KEYDOWN, &TWinControl::CNKeyDown);
b.Message(CN_KEYUP, &TWinControl::CNKeyUp);
b.Message(CN_CHAR, &TWinControl::CNChar);
b.Message(CN_SYSKEYDOWN, &TWinControl::CNSysKeyDown);
b.Message(CN_SYSCHAR, &TWinControl::CNSysChar);
b.Message(CM_SHOWINGCHANGED, &TWinControl::CMShowingChanged);
b.Message(CM_VISIBLECHANGED, &TWinControl::CMVisibleChanged);
b.Message(CM_ENABLEDCHANGED, &TWinControl::CMEnabledChanged);
b.Message(CM_COLORCHANGED, &TWinControl::CMColorChanged);
b.Message(CM_FONTCHANGED, &TWinControl::CMFontChanged);
b.Message(CM_CTL3DCHANGED, &TWinControl::CMCtl3DChanged);
b.Message(CM_PARENTCTL3DCHANGED, &TWinControl::CMParentCtl3DChanged);
b.Message(CM_ENTER, &TWinControl::CMEnter);
b.Message(CM_EXIT, &TWinControl::CMExit);
b.Message(CM_DIALOGKEY, &TWinControl::CMDialogKey);
b.Message(CM_DIALOGCHAR, &TWinControl::CMDialogChar);
b.Message(CM_CHILDKEY, &TWinControl::CMChildKey);
b.Message(CM_FOCUSCHANGED, &TWinControl::CMFocusChanged);
b.Message(CM_INVALIDATE, &TWinControl::CMInvalidate);
b.Message(CM_RECREATEWND, &TWinControl::CMRecreateWnd);
b.Message(CM_SYSCOLORCHANGE, &TWinControl::CMSysColorChange);
b.Message(CM_SYSFONTCHANGED, &TWinControl::CMSysFontChanged);
b.Message(CM_WININICHANGE, &TWinControl::CMWinIniChange);
b.Message(CM_FONTCHANGE, &TWinControl::CMFontChange);
b.Message(CM_TIMECHANGE, &TWinControl::CMTimeChange);
b.Message(CM_DRAG, &TWinControl::CMDrag);
b.Message(CM_TABSTOPCHANGED, &TWinControl::CMTabStopChanged);
b.Message(CM_BIDIMODECHANGED, &TWinControl::CMBiDiModeChanged);
b.Message(CM_BORDERCHANGED, &TWinControl::CMBorderChanged);
b.Message(CM_CURSORCHANGED, &TWinControl::CMCursorChanged);
b.Message(WM_SYSCOLORCHANGE, &TWinControl::WMSysColorChange);
b.Message(WM_SETTINGCHANGE, &TWinControl::WMWinIniChange);
b.Message(WM_FONTCHANGE, &TWinControl::WMFontChange);
b.Message(WM_TIMECHANGE, &TWinControl::WMTimeChange);
RTL_END_CLASS

RTL_BEGIN_CLASS(TGraphicControl)
b.Message(WM_PAINT, &TGraphicControl::WMPaint);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomControl)
b.Message(WM_PAINT, &TCustomControl::WMPaint);
RTL_END_CLASS

RTL_BEGIN_CLASS(THintWindow)
b.Message(WM_NCHITTEST, &THintWindow::WMNCHitTest);
b.Message(WM_NCPAINT, &THintWindow::WMNCPaint);
b.Message(CM_TEXTCHANGED, &THintWindow::CMTextChanged);
RTL_END_CLASS

// =======================================================================================
// Unit start and end
// =======================================================================================

namespace ControlsUnit {

void Initialize() {
  InitCommonControls();
  RegisterIntegerConsts(TypeInfo<TCursor>(), IdentToCursor, CursorToIdent);
  Mouse = new TMouse();
}

void Finalize() {
  CancelDrag();
  FreeDeviceContexts();
  delete Mouse;
  Mouse = nullptr;
}

}  // namespace ControlsUnit
