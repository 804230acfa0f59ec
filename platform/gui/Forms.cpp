// Forms: scrolling containers, frames, forms, the screen and the application.
#include "platform/gui/Forms.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>

#include "platform/gui/GuiPublish.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

TScreen* Screen = nullptr;
TApplication* Application = nullptr;

namespace {

HINSTANCE moduleInstance() { return GetModuleHandleA(nullptr); }

TMessageBoxHook& messageBoxHook() {
  static TMessageBoxHook hook;
  return hook;
}

// The first control of Control's parent chain (Control included) that has a hint.
std::string hintOf(TControl* Control) {
  for (; Control; Control = Control->Parent())
    if (!Control->Hint().empty()) return Control->Hint();
  return "";
}

// The control whose hint shows for Control: it or the nearest parent with ShowHint.
TControl* hintControlOf(TControl* Control) {
  while (Control && !Control->ShowHint()) Control = Control->Parent();
  if (Control && Control->ComponentState().Contains(csDesigning)) return nullptr;
  return Control;
}

constexpr UINT_PTR kHintTimerId = 1;

// How long a queue found empty is taken to stay empty, in milliseconds.
constexpr LONGLONG kQuietQueueMs = 16;

// When the calling thread's queue was last found empty (performance-counter ticks); 0 when
// the next call must look. The queue is the thread's, so the note is too.
thread_local LONGLONG queueFoundEmptyAt = 0;

LONGLONG counterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

LONGLONG quietQueueTicks() {
  static const LONGLONG ticks = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart * kQuietQueueMs / 1000;
  }();
  return ticks;
}

}  // namespace

void setMessageBoxHook(TMessageBoxHook Hook) { messageBoxHook() = std::move(Hook); }

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  while (Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
  TCustomForm* form = GetParentForm(Control);
  if (!form) throw EInvalidOperation(Format("Control '%s' has no parent window", {Control ? Control->Name() : ""}));
  return form;
}

// ---------------------------------------------------------------------------------------
// Task windows: the thread's top-level windows a modal loop disables.

namespace {

struct TaskWindowSearch {
  HWND active;
  TTaskWindowList* list;
};

BOOL CALLBACK disableTaskWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TaskWindowSearch*>(data);
  if (window != search->active && IsWindowVisible(window) && IsWindowEnabled(window)) {
    search->list->push_back(window);
    EnableWindow(window, FALSE);
  }
  return TRUE;
}

}  // namespace

TTaskWindowList DisableTaskWindows(HWND ActiveWindow) {
  TTaskWindowList list;
  TaskWindowSearch search{ActiveWindow, &list};
  EnumThreadWindows(GetCurrentThreadId(), disableTaskWindow, reinterpret_cast<LPARAM>(&search));
  return list;
}

void EnableTaskWindows(const TTaskWindowList& WindowList) {
  for (HWND w : WindowList)
    if (IsWindow(w)) EnableWindow(w, TRUE);
}

// =======================================================================================
// TControlScrollBar
// =======================================================================================

TControlScrollBar::TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind)
    : control_(AControl), kind_(AKind) {}

void TControlScrollBar::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TControlScrollBar*>(Source)) {
    visible_ = other->visible_;
    range_ = other->range_;
    position_ = other->position_;
    increment_ = other->increment_;
    margin_ = other->margin_;
    tracking_ = other->tracking_;
    smooth_ = other->smooth_;
    if (control_) control_->UpdateScrollBars();
    return;
  }
  TPersistent::Assign(Source);
}

bool TControlScrollBar::IsRangeStored() const { return !control_->AutoScroll(); }

// The client extent along the bar, as it is (ControlSB) or as it would be with the other
// bar shown (AssumeSB) or hidden.
Integer TControlScrollBar::controlSize(bool ControlSB, bool AssumeSB) {
  if (!control_->HandleAllocated()) {
    TRect r = control_->ClientRect();
    return kind_ == sbVertical ? r.bottom : r.right;
  }
  HWND h = control_->Handle();
  LONG style = GetWindowLongA(h, GWL_STYLE);
  Integer borderAdjust = (style & (WS_BORDER | WS_THICKFRAME)) ? 1 : 0;
  auto adjustment = [&](LONG otherBar, int metric) {
    if (ControlSB) return 0;
    bool shown = (style & otherBar) != 0;
    if (AssumeSB && !shown) return -(GetSystemMetrics(metric) - borderAdjust);
    if (!AssumeSB && shown) return GetSystemMetrics(metric) - borderAdjust;
    return 0;
  };
  TRect client = control_->ClientRect();
  if (kind_ == sbVertical) return client.bottom + adjustment(WS_HSCROLL, SM_CYHSCROLL);
  return client.right + adjustment(WS_VSCROLL, SM_CXVSCROLL);
}

bool TControlScrollBar::needsScrollBarVisible() { return range_ > controlSize(false, false); }

bool TControlScrollBar::IsScrollBarVisible() {
  LONG style = kind_ == sbVertical ? WS_VSCROLL : WS_HSCROLL;
  return visible_ && control_->HandleAllocated() && (GetWindowLongA(control_->Handle(), GWL_STYLE) & style);
}

Integer TControlScrollBar::ScrollPos() { return IsScrollBarVisible() ? position_ : 0; }

void TControlScrollBar::update(bool ControlSB, bool AssumeSB) {
  if (!control_->HandleAllocated()) return;
  calcRange_ = 0;
  int code = kind_ == sbVertical ? SB_VERT : SB_HORZ;
  Integer size = controlSize(ControlSB, AssumeSB);
  if (visible_) calcRange_ = std::max(0, range_ - size);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = calcRange_ > 0 ? range_ : 0;
  si.nPage = static_cast<UINT>(size + 1);
  si.nPos = position_;
  si.nTrackPos = position_;
  SetScrollInfo(control_->Handle(), code, &si, updateNeeded_ ? TRUE : FALSE);
  updateNeeded_ = false;
  SetPosition(position_);
}

void TControlScrollBar::SetPosition(Integer Value) {
  if (control_->ComponentState().Contains(csReading)) {
    position_ = Value;
    return;
  }
  Value = std::clamp(Value, 0, calcRange_);
  if (Value != position_) {
    Integer old = position_;
    position_ = Value;
    if (kind_ == sbHorizontal) control_->ScrollBy(old - Value, 0);
    else control_->ScrollBy(0, old - Value);
  }
  if (control_->HandleAllocated()) {
    int code = kind_ == sbVertical ? SB_VERT : SB_HORZ;
    if (GetScrollPos(control_->Handle(), code) != position_) SetScrollPos(control_->Handle(), code, position_, TRUE);
  }
}

void TControlScrollBar::doSetRange(Integer Value) {
  range_ = std::max(0, Value);
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetRange(Integer Value) {
  control_->autoScroll_ = false;
  doSetRange(Value);
}

void TControlScrollBar::SetVisible(bool Value) {
  visible_ = Value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetMargin(Integer Value) {
  margin_ = Value;
  if (visible_) control_->Realign();
}

void TControlScrollBar::SetColor(TColor Value) {
  color_ = Value;
  parentColor_ = false;
}

void TControlScrollBar::SetParentColor(bool Value) { parentColor_ = Value; }

void TControlScrollBar::calcAutoRange() {
  if (!control_->autoScroll_) return;
  Integer newRange = 0, alignMargin = 0;
  for (Integer i = 0; i < control_->ControlCount(); ++i) {
    TControl* c = control_->Controls(i);
    if (!c->Visible()) continue;
    if (kind_ == sbHorizontal) {
      if (c->Align() == alLeft || (c->Align() == alNone && (c->Anchors() * TAnchors{akLeft, akRight}) == TAnchors{akLeft}))
        newRange = std::max(newRange, position_ + c->Left() + c->Width());
      else if (c->Align() == alRight)
        alignMargin += c->Width();
    } else {
      if (c->Align() == alTop || (c->Align() == alNone && (c->Anchors() * TAnchors{akTop, akBottom}) == TAnchors{akTop}))
        newRange = std::max(newRange, position_ + c->Top() + c->Height());
      else if (c->Align() == alBottom)
        alignMargin += c->Height();
    }
  }
  doSetRange(newRange + alignMargin + margin_);
}

void TControlScrollBar::scrollMessage(TWMScroll& Msg) {
  auto trackPos = [&]() {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(control_->Handle(), kind_ == sbVertical ? SB_VERT : SB_HORZ, &si);
    return static_cast<Integer>(si.nTrackPos);
  };
  switch (Msg.ScrollCode) {
    case SB_LINEUP: SetPosition(position_ - increment_); break;
    case SB_LINEDOWN: SetPosition(position_ + increment_); break;
    case SB_PAGEUP: SetPosition(position_ - controlSize(true, false)); break;
    case SB_PAGEDOWN: SetPosition(position_ + controlSize(true, false)); break;
    case SB_THUMBPOSITION: SetPosition(trackPos()); break;
    case SB_THUMBTRACK:
      if (tracking_) SetPosition(trackPos());
      break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(calcRange_); break;
    default: break;
  }
}

// =======================================================================================
// TScrollingWinControl
// =======================================================================================

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner) : TWinControl(AOwner) {
  horzScrollBar_ = new TControlScrollBar(this, sbHorizontal);
  vertScrollBar_ = new TControlScrollBar(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl() {
  delete horzScrollBar_;
  delete vertScrollBar_;
  horzScrollBar_ = vertScrollBar_ = nullptr;
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (autoScroll_ == Value) return;
  autoScroll_ = Value;
  if (Value) CalcAutoRange();
  else {
    horzScrollBar_->range_ = 0;
    vertScrollBar_->range_ = 0;
    UpdateScrollBars();
  }
}

void TScrollingWinControl::DisableAutoRange() { ++autoRangeCount_; }

void TScrollingWinControl::EnableAutoRange() {
  if (autoRangeCount_ > 0 && --autoRangeCount_ == 0) CalcAutoRange();
}

void TScrollingWinControl::CalcAutoRange() {
  if (autoRangeCount_ > 0 || !horzScrollBar_) return;
  horzScrollBar_->calcAutoRange();
  vertScrollBar_->calcAutoRange();
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updatingScrollBars_ || !HandleAllocated() || !horzScrollBar_) return;
  updatingScrollBars_ = true;
  {
    ScopeExit atEnd([&] { updatingScrollBars_ = false; });
    if (vertScrollBar_->needsScrollBarVisible()) {
      horzScrollBar_->update(false, true);
      vertScrollBar_->update(true, false);
    } else if (horzScrollBar_->needsScrollBarVisible()) {
      vertScrollBar_->update(false, true);
      horzScrollBar_->update(true, false);
    } else {
      vertScrollBar_->update(false, false);
      horzScrollBar_->update(true, false);
    }
  }
}

void TScrollingWinControl::AdjustClientRect(TRect& Rect) {
  // Children are laid out over the whole scrolled extent, shifted by the scroll position.
  Rect = Bounds(-horzScrollBar_->Position(), -vertScrollBar_->Position(),
                std::max<Integer>(horzScrollBar_->Range(), RectWidth(Rect)),
                std::max<Integer>(vertScrollBar_->Range(), RectHeight(Rect)));
  TWinControl::AdjustClientRect(Rect);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& ARect) {
  CalcAutoRange();
  TWinControl::AlignControls(AControl, ARect);
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
  if (!AControl || !ContainsControl(AControl) || AControl == this) return;
  TRect r = AControl->ClientRect();
  r.left -= horzScrollBar_->Margin();
  r.right += horzScrollBar_->Margin();
  r.top -= vertScrollBar_->Margin();
  r.bottom += vertScrollBar_->Margin();
  TPoint topLeft = ScreenToClient(AControl->ClientToScreen(Point(r.left, r.top)));
  TPoint bottomRight = ScreenToClient(AControl->ClientToScreen(Point(r.right, r.bottom)));
  r = Rect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
  Integer clientWidth = ClientWidth(), clientHeight = ClientHeight();
  if (r.left < 0) {
    horzScrollBar_->SetPosition(horzScrollBar_->Position() + r.left);
  } else if (r.right > clientWidth) {
    if (r.right - r.left > clientWidth) r.right = r.left + clientWidth;
    horzScrollBar_->SetPosition(horzScrollBar_->Position() + r.right - clientWidth);
  }
  if (r.top < 0) {
    vertScrollBar_->SetPosition(vertScrollBar_->Position() + r.top);
  } else if (r.bottom > clientHeight) {
    if (r.bottom - r.top > clientHeight) r.bottom = r.top + clientHeight;
    vertScrollBar_->SetPosition(vertScrollBar_->Position() + r.bottom - clientHeight);
  }
}

void TScrollingWinControl::AutoScrollInView(TControl* AControl) {
  if (AControl && autoScroll_ && !AControl->ComponentState().Contains(csLoading) &&
      !ComponentState().Contains(csLoading))
    ScrollInView(AControl);
}

void TScrollingWinControl::ChangeScale(Integer M, Integer D) {
  TWinControl::ChangeScale(M, D);
  if (!autoScroll_ && M != D && D != 0) {
    horzScrollBar_->range_ = MulDiv(horzScrollBar_->range_, M, D);
    vertScrollBar_->range_ = MulDiv(vertScrollBar_->range_, M, D);
    UpdateScrollBars();
  }
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  horzScrollBar_->updateNeeded_ = true;
  vertScrollBar_->updateNeeded_ = true;
  UpdateScrollBars();
}

void TScrollingWinControl::WMSize(TWMSize& Message) {
  ++autoRangeCount_;
  {
    ScopeExit atEnd([&] { --autoRangeCount_; });
    INHERITED_MESSAGE(Message);
  }
  updatingScrollBars_ = true;
  {
    ScopeExit atEnd([&] { updatingScrollBars_ = false; });
    CalcAutoRange();
  }
  if (horzScrollBar_->Visible() || vertScrollBar_->Visible()) UpdateScrollBars();
}

void TScrollingWinControl::WMHScroll(TWMScroll& Message) {
  if (!Message.ScrollBar && horzScrollBar_->Visible()) horzScrollBar_->scrollMessage(Message);
  else INHERITED_MESSAGE(Message);
}

void TScrollingWinControl::WMVScroll(TWMScroll& Message) {
  if (!Message.ScrollBar && vertScrollBar_->Visible()) vertScrollBar_->scrollMessage(Message);
  else INHERITED_MESSAGE(Message);
}

void TScrollingWinControl::CMBiDiModeChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  UpdateScrollBars();
}

// =======================================================================================
// TScrollBox and frames
// =======================================================================================

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  width_ = 185;
  height_ = 41;
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

TCustomFrame::TCustomFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  width_ = 320;
  height_ = 240;
}

void TCustomFrame::AfterConstruction() {
  TScrollingWinControl::AfterConstruction();
  if (ClassType() != TFrame::StaticClass() && ClassType() != TCustomFrame::StaticClass() &&
      !ComponentState().Contains(csDesigning)) {
    if (!InitInheritedComponent(this, TFrame::StaticClass()))
      throw EResNotFound(Format("Resource %s not found", {ClassName()}));
  }
}

void TCustomFrame::GetChildren(TGetChildProc Proc, TComponent* Root) {
  TScrollingWinControl::GetChildren(Proc, Root);
  if (Root == this)
    for (int i = 0; i < ComponentCount(); ++i) {
      TComponent* c = Components(i);
      if (!c->HasParent()) Proc(c);
    }
}

// =======================================================================================
// TCustomForm
// =======================================================================================

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner) { initializeNew(); }

TCustomForm::TCustomForm(TComponent* AOwner, Integer) : TScrollingWinControl(AOwner) {
  createNew_ = true;
  initializeNew();
}

void TCustomForm::initializeNew() {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  icon_ = new TIcon();
  icon_->SetOnChange(TNotifyEvent(this, &TCustomForm::CMIconChangedNotify));
  canvas_ = MakeControlCanvas(this);
  parentColor_ = false;
  parentFont_ = false;
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
  visible_ = false;
  if (Screen) {
    pixelsPerInch_ = Screen->PixelsPerInch();
    Screen->addForm(this);
  }
}

void TCustomForm::CMIconChangedNotify(TObject*) {
  if (HandleAllocated()) applyIcon();
}

void TCustomForm::AfterConstruction() {
  if (!createNew_ && ClassType() != TForm::StaticClass() && ClassType() != TCustomForm::StaticClass() &&
      !ComponentState().Contains(csDesigning)) {
    formState_.Include(fsCreating);
    try {
      if (!InitInheritedComponent(this, TForm::StaticClass()))
        throw EResNotFound(Format("Resource %s not found", {ClassName()}));
    } catch (...) {
      formState_.Exclude(fsCreating);
      throw;
    }
    formState_.Exclude(fsCreating);
  }
  TScrollingWinControl::AfterConstruction();
  DoCreate();
  if (formState_.Contains(fsActivated)) {
    Activate();
    formState_.Exclude(fsActivated);
  }
  // A description that says Visible = True shows the form once it is made.
  if (formState_.Contains(fsVisible)) {
    formState_.Exclude(fsVisible);
    SetVisible(true);
  }
}

void TCustomForm::BeforeDestruction() {
  Destroying();
  if (Screen) Screen->removeForm(this);
  try {
    DoDestroy();
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  TScrollingWinControl::BeforeDestruction();
  // Destroying the window can make this form or one of its controls the screen's active
  // one again (an MDI client activates its child as the child goes): forget it once more.
  if (Screen) Screen->removeForm(this);
}

TCustomForm::~TCustomForm() {
  if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
  delete icon_;
  icon_ = nullptr;
}

bool TCustomForm::isMainForm() const { return Application && Application->MainForm() == this; }

// ---------------------------------------------------------------------------------------
// Events.

void TCustomForm::Activate() {
  if (onActivate_) onActivate_(this);
}

void TCustomForm::Deactivate() {
  if (onDeactivate_) onDeactivate_(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (onClose_) onClose_(this, Action);
}

void TCustomForm::DoCreate() {
  if (onCreate_) onCreate_(this);
}

void TCustomForm::DoDestroy() {
  if (onDestroy_) onDestroy_(this);
}

void TCustomForm::DoHide() {
  if (onHide_) onHide_(this);
}

void TCustomForm::DoShow() {
  if (onShow_) onShow_(this);
}

void TCustomForm::Paint() {
  if (onPaint_) onPaint_(this);
}

void TCustomForm::PaintWindow(HDC DC) {
  paintOnCanvas(canvas_.get(), DC, [this] { Paint(); });
}

void TCustomForm::WMPaint(TWMPaint& Message) {
  // A form always paints through PaintHandler, so OnPaint runs under its graphic controls.
  if (HandleAllocated() && IsIconic(Handle())) {
    INHERITED_MESSAGE(Message);
    return;
  }
  withControlState(csCustomPaint, [&] { INHERITED_MESSAGE(Message); });
}

// ---------------------------------------------------------------------------------------
// The window.

void TCustomForm::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (!Parent() && !ParentWindow()) {
    // The main form stands alone (and has the task bar entry); other forms belong to it,
    // so they stay above it and go with it.
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || main == this || !main->HandleAllocated()) {
      Params.WndParent = nullptr;
      Params.ExStyle |= WS_EX_APPWINDOW;
    } else {
      Params.WndParent = main->Handle();
    }
    Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  }
  Params.WindowClass.style = CS_DBLCLKS;
  TFormBorderStyle createStyle = ComponentState().Contains(csDesigning) ? bsSizeable : borderStyle_;
  if (formStyle_ == fsMDIChild && (createStyle == bsNone || createStyle == bsDialog)) createStyle = bsSizeable;
  TBorderIcons icons = borderIcons_;
  switch (createStyle) {
    case bsNone:
      if (!Parent() && !ParentWindow()) Params.Style |= WS_POPUP;
      icons = {};
      break;
    case bsSingle:
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      if (position_ == poDefault || position_ == poDefaultSizeOnly) {
        Params.Width = CW_USEDEFAULT;
        Params.Height = CW_USEDEFAULT;
      }
      break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      icons = icons * TBorderIcons{biSystemMenu, biHelp};
      Params.WindowClass.style |= CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
      break;
  }
  if (createStyle == bsToolWindow || createStyle == bsSizeToolWin) {
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    icons = icons * TBorderIcons{biSystemMenu};
  }
  if (createStyle == bsSingle || createStyle == bsSizeable || createStyle == bsNone) {
    if (formStyle_ != fsMDIChild || icons.Contains(biSystemMenu)) {
      if (icons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (icons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
    if (windowState_ == wsMinimized) Params.Style |= WS_MINIMIZE;
    else if (windowState_ == wsMaximized) Params.Style |= WS_MAXIMIZE;
  } else {
    windowState_ = wsNormal;
  }
  if (icons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
  if (icons.Contains(biHelp) &&
      (createStyle == bsDialog || (!icons.Contains(biMinimize) && !icons.Contains(biMaximize))))
    Params.ExStyle |= WS_EX_CONTEXTHELP;
  if (position_ == poDefault || position_ == poDefaultPosOnly) {
    Params.X = CW_USEDEFAULT;
    Params.Y = CW_USEDEFAULT;
  }
  if (formStyle_ == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (formStyle_ == fsMDIChild) Params.ExStyle |= WS_EX_MDICHILD;
  if (alphaBlend_ || transparentColor_) Params.ExStyle |= WS_EX_LAYERED;
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  applyIcon();
  applyLayering();
  if (!ComponentState().Contains(csDesigning)) {
    if (formStyle_ == fsMDIForm) {
      CLIENTCREATESTRUCT ccs{};
      ccs.idFirstChild = 0xFF00;
      ccs.hWindowMenu = windowMenu_ ? windowMenu_->Handle() : nullptr;
      TRect client = ClientRect();
      clientHandle_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_CLIPCHILDREN | WS_HSCROLL |
                                          WS_VSCROLL | WS_CLIPSIBLINGS | MDIS_ALLCHILDSTYLES,
                                      0, 0, client.right, client.bottom, Handle(), nullptr, moduleInstance(), &ccs);
    } else if (formStyle_ == fsStayOnTop) {
      SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  if (menu_ && formStyle_ != fsMDIChild) {
    menu_->SetWindowHandle(Handle());
    ::SetMenu(Handle(), menu_->Handle());
  }
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
  if (formStyle_ == fsMDIChild && !ComponentState().Contains(csDesigning)) {
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || !main->ClientHandle()) throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    SetDefWndProc(DefMDIChildProcA);
    MDICREATESTRUCTA mcs{};
    mcs.szClass = Params.WinClassName.c_str();
    mcs.szTitle = Params.Caption.c_str();
    mcs.hOwner = moduleInstance();
    mcs.x = Params.X;
    mcs.y = Params.Y;
    mcs.cx = Params.Width;
    mcs.cy = Params.Height;
    mcs.style = Params.Style;
    mcs.lParam = reinterpret_cast<LPARAM>(Params.Param);
    HWND h = reinterpret_cast<HWND>(SendMessageA(main->ClientHandle(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    if (h && !WindowHandle()) SetWindowHandle(h);
    formState_.Include(fsCreatedMDIChild);
    return;
  }
  TScrollingWinControl::CreateWindowHandle(Params);
}

void TCustomForm::DestroyWindowHandle() {
  if (formState_.Contains(fsCreatedMDIChild)) {
    formState_.Exclude(fsCreatedMDIChild);
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main->ClientHandle()) {
      HWND h = WindowHandle();
      SendMessageA(main->ClientHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(h), 0);
      if (WindowHandle() == h) TScrollingWinControl::DestroyWindowHandle();
      return;
    }
  }
  clientHandle_ = nullptr;
  TScrollingWinControl::DestroyWindowHandle();
}

void TCustomForm::DefaultHandler(TMessage& Message) {
  if (clientHandle_ && WindowHandle()) {
    // The frame of an MDI form: its client window is sized by the form's alignment, not by
    // the frame procedure.
    if (Message.Msg == WM_SIZE)
      Message.Result = DefWindowProcA(WindowHandle(), Message.Msg, Message.WParam, Message.LParam);
    else
      Message.Result = DefFrameProcA(WindowHandle(), clientHandle_, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TScrollingWinControl::DefaultHandler(Message);
}

HWND TCustomForm::GetParentHandle() {
  if (clientHandle_) return clientHandle_;
  return TScrollingWinControl::GetParentHandle();
}

TRect TCustomForm::GetClientRect() {
  if (HandleAllocated()) {
    if (IsIconic(WindowHandle())) {
      // The restored size less the frame.
      RECT frame{0, 0, 0, 0};
      AdjustWindowRectEx(&frame, GetWindowLongA(WindowHandle(), GWL_STYLE), menu_ != nullptr,
                         GetWindowLongA(WindowHandle(), GWL_EXSTYLE));
      return Rect(0, 0, width_ - (frame.right - frame.left), height_ - (frame.bottom - frame.top));
    }
    return TScrollingWinControl::GetClientRect();
  }
  // Without a window: the bounds less the frame the window will have.
  TCreateParams params;
  CreateParams(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style, menu_ != nullptr, params.ExStyle);
  return Rect(0, 0, std::max<LONG>(0, width_ - (frame.right - frame.left)),
              std::max<LONG>(0, height_ - (frame.bottom - frame.top)));
}

void TCustomForm::SetClientWidth(Integer Value) {
  if (controlState_.Contains(csReadingState)) clientWidth_ = Value;
  else TControl::SetClientWidth(Value);
}

void TCustomForm::SetClientHeight(Integer Value) {
  if (controlState_.Contains(csReadingState)) clientHeight_ = Value;
  else TControl::SetClientHeight(Value);
}

bool TCustomForm::IsFormSizeStored() const {
  return AutoScroll() || horzScrollBar_->Range() != 0 || vertScrollBar_->Range() != 0;
}

void TCustomForm::applyIcon() {
  if (!HandleAllocated()) return;
  HICON icon = nullptr;
  if (borderStyle_ != bsDialog) {
    if (!icon_->Empty()) icon = icon_->Handle();
    else if (Application && !Application->Icon()->Empty()) icon = Application->Icon()->Handle();
  }
  SendMessageA(WindowHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void TCustomForm::applyLayering() {
  if (!HandleAllocated()) return;
  HWND h = WindowHandle();
  LONG ex = GetWindowLongA(h, GWL_EXSTYLE);
  if (alphaBlend_ || transparentColor_) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongA(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    DWORD flags = 0;
    if (alphaBlend_) flags |= LWA_ALPHA;
    if (transparentColor_) flags |= LWA_COLORKEY;
    SetLayeredWindowAttributes(h, static_cast<COLORREF>(ColorToRGB(transparentColorValue_)), alphaBlendValue_, flags);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongA(h, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void TCustomForm::SetAlphaBlend(bool Value) {
  if (alphaBlend_ == Value) return;
  alphaBlend_ = Value;
  applyLayering();
}

void TCustomForm::SetAlphaBlendValue(Byte Value) {
  if (alphaBlendValue_ == Value) return;
  alphaBlendValue_ = Value;
  applyLayering();
}

void TCustomForm::SetTransparentColor(bool Value) {
  if (transparentColor_ == Value) return;
  transparentColor_ = Value;
  applyLayering();
}

void TCustomForm::SetTransparentColorValue(TColor Value) {
  if (transparentColorValue_ == Value) return;
  transparentColorValue_ = Value;
  applyLayering();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  SetAutoScroll(Value == bsSizeable || Value == bsSizeToolWin);
  if (!ComponentState().Contains(csDesigning)) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (borderIcons_ == Value) return;
  borderIcons_ = Value;
  if (!ComponentState().Contains(csDesigning)) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (formStyle_ == Value) return;
  if (Value == fsMDIChild && position_ == poDesigned) position_ = poDefault;
  if (!ComponentState().Contains(csDesigning)) DestroyHandle();
  formStyle_ = Value;
  if (!ComponentState().Contains(csDesigning)) UpdateControlState();
  if (Value == fsMDIChild) SetVisible(true);
}

void TCustomForm::SetPosition(TPosition Value) {
  if (position_ == Value) return;
  position_ = Value;
  if (!ComponentState().Contains(csDesigning)) RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (windowState_ == Value) return;
  windowState_ = Value;
  static const int commands[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};
  if (!ComponentState().Contains(csDesigning) && Showing()) ShowWindow(Handle(), commands[Value]);
}

Integer TCustomForm::TextHeight() const {
  if (ComponentState().Contains(csReading) && textHeight_ > 0) return textHeight_;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_->Handle());
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, "0", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

void TCustomForm::SetPixelsPerInch(Integer Value) {
  // Stored with the form; forms are not rescaled to the screen's resolution.
  if (Value > 0) pixelsPerInch_ = Value;
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value) {
    for (int i = 0; Screen && i < Screen->FormCount(); ++i)
      if (Screen->Forms(i)->Menu() == Value && Screen->Forms(i) != this)
        throw EInvalidOperation(Format("Menu '%s' is already being used by another form", {Value->Name()}));
    Value->FreeNotification(this);
  }
  menu_ = Value;
  if (ComponentState().Contains(csLoading) || formStyle_ == fsMDIChild || !HandleAllocated()) return;
  if (menu_) {
    menu_->SetWindowHandle(Handle());
    ::SetMenu(Handle(), menu_->Handle());
  } else {
    ::SetMenu(Handle(), nullptr);
  }
}

TMonitor* TCustomForm::Monitor() {
  if (!Screen) return nullptr;
  return Screen->MonitorFromWindow(Handle(), mdNearest);
}

void TCustomForm::MakeFullyVisible(TMonitor* AMonitor) {
  TMonitor* monitor = AMonitor ? AMonitor : Monitor();
  if (!monitor) return;
  TRect work = monitor->WorkareaRect();
  Integer left = left_, top = top_;
  if (left + width_ > work.right) left = work.right - width_;
  if (left < work.left) left = work.left;
  if (top + height_ > work.bottom) top = work.bottom - height_;
  if (top < work.top) top = work.top;
  SetBounds(left, top, width_, height_);
}

void TCustomForm::SetWindowToMonitor() {
  if (!Screen || defaultMonitor_ == dmDesktop || position_ == poDesigned || Parent()) return;
  TMonitor* target = nullptr;
  switch (defaultMonitor_) {
    case dmPrimary: target = Screen->PrimaryMonitor(); break;
    case dmMainForm:
      if (Application && Application->MainForm() && Application->MainForm() != this)
        target = Application->MainForm()->Monitor();
      break;
    case dmActiveForm:
      if (Screen->ActiveCustomForm() && Screen->ActiveCustomForm() != this)
        target = Screen->ActiveCustomForm()->Monitor();
      break;
    default: break;
  }
  if (!target || target == Monitor()) return;
  TRect from = Monitor()->BoundsRect();
  TRect to = target->BoundsRect();
  SetBounds(left_ - from.left + to.left, top_ - from.top + to.top, width_, height_);
}

TBitmap* TCustomForm::GetFormImage() {
  auto* bitmap = new TBitmap();
  try {
    bitmap->SetWidth(ClientWidth());
    bitmap->SetHeight(ClientHeight());
    bitmap->Canvas()->Brush()->SetColor(color_);
    bitmap->Canvas()->FillRect(ClientRect());
    bitmap->Canvas()->Lock();
    {
      ScopeExit atEnd([&] { bitmap->Canvas()->Unlock(); });
      PaintTo(bitmap->Canvas()->Handle(), 0, 0);
    }
  } catch (...) {
    delete bitmap;
    throw;
  }
  return bitmap;
}

// ---------------------------------------------------------------------------------------
// Showing and closing.

void TCustomForm::SetVisible(bool Value) {
  if (formState_.Contains(fsCreating)) {
    if (Value) formState_.Include(fsVisible);
    else formState_.Exclude(fsVisible);
    return;
  }
  if (Value && Visible() != Value) SetWindowToMonitor();
  TScrollingWinControl::SetVisible(Value);
}

void TCustomForm::VisibleChanging() {
  if (formStyle_ == fsMDIChild && Visible()) throw EInvalidOperation("Cannot hide an MDI Child Form");
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::CMShowingChanged(TMessage& Message) {
  if (!ComponentState().Contains(csDesigning) && formState_.Contains(fsShowing))
    throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
  formState_.Include(fsShowing);
  try {
    if (ComponentState().Contains(csDesigning)) {
      INHERITED_MESSAGE(Message);
    } else if (Showing()) {
      try {
        DoShow();
      } catch (...) {
        if (Application) Application->HandleException(this);
      }
      // Where the form opens.
      Integer x = left_, y = top_;
      bool place = true;
      if (position_ == poScreenCenter || (position_ == poMainFormCenter && formStyle_ == fsMDIChild)) {
        if (formStyle_ == fsMDIChild && Application && Application->MainForm()) {
          TRect r;
          ::GetClientRect(Application->MainForm()->ClientHandle(), &r);
          x = (r.right - width_) / 2;
          y = (r.bottom - height_) / 2;
        } else {
          x = (Screen->Width() - width_) / 2;
          y = (Screen->Height() - height_) / 2;
        }
      } else if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
        TCustomForm* center = Application ? Application->MainForm() : nullptr;
        if (position_ == poOwnerFormCenter)
          if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner())) center = ownerForm;
        if (center && center != this) {
          x = (center->Width() - width_) / 2 + center->Left();
          y = (center->Height() - height_) / 2 + center->Top();
        } else {
          x = (Screen->Width() - width_) / 2;
          y = (Screen->Height() - height_) / 2;
        }
      } else if (position_ == poDesktopCenter) {
        x = Screen->DesktopWidth() / 2 + Screen->DesktopLeft() - width_ / 2;
        y = Screen->DesktopHeight() / 2 + Screen->DesktopTop() - height_ / 2;
        x = std::max(x, Screen->DesktopLeft());
        y = std::max(y, Screen->DesktopTop());
        place = true;
      } else {
        place = false;
      }
      if (place) {
        x = std::max(x, 0);
        y = std::max(y, 0);
        SetBounds(x, y, width_, height_);
      }
      position_ = poDesigned;
      if (formStyle_ == fsMDIChild) {
        // An MDI child shows inside the frame's client window.
        if (Application && Application->MainForm() && Application->MainForm()->ClientHandle())
          SendMessageA(Application->MainForm()->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Handle()), 0);
        ShowWindow(Handle(), SW_SHOW);
      } else {
        static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
        ShowWindow(Handle(), commands[windowState_]);
      }
    } else {
      try {
        DoHide();
      } catch (...) {
        if (Application) Application->HandleException(this);
      }
      if (formStyle_ == fsMDIChild) {
        DestroyHandle();
      } else if (formState_.Contains(fsModal)) {
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      } else {
        ShowWindow(Handle(), SW_HIDE);
      }
    }
  } catch (...) {
    formState_.Exclude(fsShowing);
    throw;
  }
  formState_.Exclude(fsShowing);
}

Integer TCustomForm::ShowModal() {
  CancelDrag();
  if (Visible() || !Enabled() || formState_.Contains(fsModal) || formStyle_ == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  Application->ModalStarted();
  Integer result = mrNone;
  {
    ScopeExit atEnd([&] { Application->ModalFinished(); });
    formState_.Include(fsModal);
    HWND activeWindow = GetActiveWindow();
    Screen->saveFocusedList_.insert(Screen->saveFocusedList_.begin(), Screen->FocusedForm());
    Screen->SetFocusedForm(this);
    TCursor saveCursor = Screen->Cursor();
    Screen->SetCursor(crDefault);
    Integer saveCount = Screen->CursorCount();
    TTaskWindowList windowList = DisableTaskWindows(nullptr);
    auto restore = [&]() {
      if (Screen->CursorCount() == saveCount) Screen->SetCursor(saveCursor);
      else Screen->SetCursor(crDefault);
      EnableTaskWindows(windowList);
      auto& saved = Screen->saveFocusedList_;
      if (!saved.empty()) {
        Screen->SetFocusedForm(saved.front());
        saved.erase(saved.begin());
      } else {
        Screen->SetFocusedForm(nullptr);
      }
      if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
      formState_.Exclude(fsModal);
    };
    try {
      Show();
      try {
        SendMessageA(Handle(), CM_ACTIVATE, 0, 0);
        modalResult_ = mrNone;
        do {
          Application->HandleMessage();
          if (Application->Terminated()) modalResult_ = mrCancel;
          else if (modalResult_ != mrNone) CloseModal();
        } while (modalResult_ == mrNone);
        result = modalResult_;
        SendMessageA(Handle(), CM_DEACTIVATE, 0, 0);
        if (GetActiveWindow() != Handle()) activeWindow = nullptr;
      } catch (...) {
        Hide();
        throw;
      }
      Hide();
    } catch (...) {
      restore();
      throw;
    }
    restore();
  }
  return result;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) modalResult_ = mrNone;
    else if (action == caFree) Release();
  } catch (...) {
    modalResult_ = mrNone;
    Application->HandleException(this);
  }
}

bool TCustomForm::CloseQuery() {
  if (formStyle_ == fsMDIForm)
    for (Integer i = 0; i < MDIChildCount(); ++i)
      if (!MDIChildren(i)->CloseQuery()) return false;
  bool result = true;
  if (onCloseQuery_) onCloseQuery_(this, result);
  return result;
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action;
  if (formStyle_ == fsMDIChild) action = borderIcons_.Contains(biMinimize) ? caMinimize : caNone;
  else action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (isMainForm()) Application->Terminate();
  else if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::Release() {
  if (!HandleAllocated()) return;
  PostMessageA(Handle(), CM_RELEASE, 0, 0);
  // Callers count on the next ProcessMessages to free the form.
  queueFoundEmptyAt = 0;
}

void TCustomForm::CMRelease(TMessage&) { Free(); }

void TCustomForm::WMClose(TWMClose&) { Close(); }

void TCustomForm::WMQueryEndSession(TMessage& Message) { Message.Result = CloseQuery() ? 1 : 0; }

// ---------------------------------------------------------------------------------------
// Focus.

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (activeControl_ == Control) return;
  if (!(Control == nullptr ||
        (Control != this && GetParentForm(Control) == this &&
         (ComponentState().Contains(csLoading) || Control->CanFocus()))))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = Control;
  if (!ComponentState().Contains(csLoading)) {
    if (active_) setWindowFocus();
  }
}

void TCustomForm::setWindowFocus() {
  TWinControl* focus = (activeControl_ && !designer_) ? activeControl_ : this;
  ::SetFocus(focus->Handle());
}

void TCustomForm::SetFocus() {
  if (active_) return;
  if (!(Visible() && Enabled())) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  setWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = active_;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && focusedControl_ && Control->ContainsControl(focusedControl_))
    focusedControl_ = Control->Parent();
  if (activeControl_ && Control->ContainsControl(activeControl_)) SetActiveControl(nullptr);
}

void TCustomForm::setActive(bool Value) {
  active_ = Value;
  if (Value) {
    if (!activeControl_ && !ComponentState().Contains(csDesigning))
      SetActiveControl(FindNextControl(nullptr, true, true, false));
    setWindowFocus();
  }
}

namespace {

// Sends a focus notification; false when the focus moved on meanwhile (a handler moved it).
int focusCount = 0;
bool sendFocusMessage(HWND window, UINT msg) {
  int count = focusCount;
  SendMessageA(window, msg, 0, 0);
  return focusCount == count;
}

}  // namespace

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  ++focusCount;
  if (!designer_) activeControl_ = Control != this ? Control : nullptr;
  Screen->activeControl_ = Control;
  Screen->activeCustomForm_ = this;
  Screen->moveToFront(this);
  if (auto* asForm = dynamic_cast<TForm*>(this)) Screen->activeForm_ = asForm;
  else Screen->activeForm_ = nullptr;
  if (Control->controlState_.Contains(csFocusing)) return false;
  Control->controlState_.Include(csFocusing);
  bool result = false;
  try {
    do {
      if (Screen->focusedForm_ != this) {
        if (Screen->focusedForm_) {
          HWND old = Screen->focusedForm_->Handle();
          Screen->focusedForm_ = nullptr;
          if (!sendFocusMessage(old, CM_DEACTIVATE)) break;
        }
        Screen->focusedForm_ = this;
        if (!sendFocusMessage(Handle(), CM_ACTIVATE)) break;
      }
      if (!focusedControl_) focusedControl_ = this;
      if (focusedControl_ != Control) {
        // Leave the controls that do not contain the new one, innermost first ...
        bool moved = false;
        while (focusedControl_ && !focusedControl_->ContainsControl(Control)) {
          HWND h = focusedControl_->Handle();
          focusedControl_ = focusedControl_->Parent();
          if (!sendFocusMessage(h, CM_EXIT)) {
            moved = true;
            break;
          }
        }
        if (moved) break;
        // ... then enter the ones down to it, outermost first.
        while (focusedControl_ != Control) {
          TWinControl* temp = Control;
          while (temp->Parent() != focusedControl_) temp = temp->Parent();
          focusedControl_ = temp;
          if (!sendFocusMessage(temp->Handle(), CM_ENTER)) {
            moved = true;
            break;
          }
        }
        if (moved) break;
        for (TWinControl* p = Control->Parent(); p; p = p->Parent())
          if (auto* scrolling = dynamic_cast<TScrollingWinControl*>(p)) scrolling->AutoScrollInView(Control);
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
      }
      result = true;
    } while (false);
  } catch (...) {
    Control->controlState_.Exclude(csFocusing);
    throw;
  }
  Control->controlState_.Exclude(csFocusing);
  Screen->updateLastActive();
  return result;
}

void TCustomForm::SendCancelMode(TControl* Sender) {
  if (active_ && activeControl_) activeControl_->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
  if (formStyle_ == fsMDIForm)
    if (TForm* child = ActiveMDIChild()) child->SendCancelMode(Sender);
}

void TCustomForm::WndProc(TMessage& Message) {
  if (Message.Msg == WM_SETFOCUS && !ComponentState().Contains(csDesigning)) {
    // The form's own window passes the focus on to the active control.
    HWND focus = nullptr;
    if (formStyle_ == fsMDIForm) {
      if (TForm* child = ActiveMDIChild()) focus = child->Handle();
    } else if (activeControl_ && activeControl_ != this) {
      focus = activeControl_->Handle();
    }
    if (focus) {
      ::SetFocus(focus);
      return;
    }
  }
  TScrollingWinControl::WndProc(Message);
}

void TCustomForm::WMActivate(TWMActivate& Message) {
  if (formStyle_ != fsMDIForm || ComponentState().Contains(csDesigning)) setActive(Message.Active != WA_INACTIVE);
}

void TCustomForm::CMActivate(TCMActivate&) {
  if (!ComponentState().Contains(csReading)) Activate();
  else formState_.Include(fsActivated);
}

void TCustomForm::CMDeactivate(TCMDeactivate&) {
  if (!ComponentState().Contains(csReading)) Deactivate();
  else formState_.Exclude(fsActivated);
}

void TCustomForm::WMMDIActivate(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (formStyle_ == fsMDIChild) setActive(reinterpret_cast<HWND>(Message.LParam) == WindowHandle());
}

void TCustomForm::WMNextDlgCtl(TMessage& Message) {
  if (LOWORD(Message.LParam)) ::SetFocus(reinterpret_cast<HWND>(Message.WParam));
  else SelectNext(activeControl_, Message.WParam == 0, true);
}

// ---------------------------------------------------------------------------------------
// Keyboard.

void TCustomForm::CMDialogKey(TCMDialogKey& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.CharCode) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        // Arrows move within the group of the active control (its parent's children).
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_,
                                               Message.CharCode == VK_RIGHT || Message.CharCode == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
    }
  }
  INHERITED_MESSAGE(Message);
}

bool TCustomForm::IsShortCut(TWMKey& Message) {
  bool handled = false;
  if (onShortCut_) onShortCut_(Message, handled);
  if (handled) return true;
  if (menu_ && menu_->WindowHandle() && menu_->IsShortCut(Message)) return true;
  // The action lists among the form's components (at any depth of ownership).
  std::function<bool(TComponent*)> dispatch = [&](TComponent* owner) {
    for (int i = 0; i < owner->ComponentCount(); ++i) {
      TComponent* c = owner->Components(i);
      if (auto* list = dynamic_cast<TCustomActionList*>(c)) {
        if (list->IsShortCut(Message)) return true;
      } else if (dispatch(c)) {
        return true;
      }
    }
    return false;
  };
  return dispatch(this);
}

void TCustomForm::CMIsShortCut(TMessage& Message) {
  Message.Result = IsShortCut(*reinterpret_cast<TWMKey*>(Message.LParam)) ? 1 : 0;
}

bool TCustomForm::WantChildKey(TControl* Child, TMessage& Message) {
  return designer_ && designer_->IsDesignMsg(Child, Message);
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
  if (focusedControl_ && focusedControl_ != this)
    Message.Result = focusedControl_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

// ---------------------------------------------------------------------------------------
// Menus and commands.

void TCustomForm::WMCommand(TWMCommand& Message) {
  if (!Message.Ctl && menu_ && menu_->DispatchCommand(Message.ItemID)) return;
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMInitMenuPopup(TMessage& Message) {
  if (menu_) menu_->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMMenuChar(TMessage& Message) {
  if (menu_) {
    menu_->ProcessMenuChar(Message);
    if (Message.Result != 0) return;
  }
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMMenuSelect(TMessage& Message) {
  if (menu_ && Application) {
    TMenuItem* item = menu_->itemOfMenuSelect(Message.WParam, Message.LParam);
    Application->SetHint(item ? GetLongHint(item->Hint()) : "");
  }
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMMeasureItem(TWMMeasureItem& Message) {
  if (Message.MeasureItemStruct && Message.MeasureItemStruct->CtlType == ODT_MENU && menu_ &&
      menu_->dispatchMeasureItem(*Message.MeasureItemStruct)) {
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMDrawItem(TWMDrawItem& Message) {
  if (Message.DrawItemStruct && Message.DrawItemStruct->CtlType == ODT_MENU && menu_ &&
      menu_->dispatchDrawItem(*Message.DrawItemStruct)) {
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMSysCommand(TWMSysCommand& Message) {
  UINT command = static_cast<UINT>(Message.CmdType) & 0xFFF0;
  if (command != SC_MOVE || ComponentState().Contains(csDesigning) || Align() == alNone ||
      windowState_ == wsMinimized)
    INHERITED_MESSAGE(Message);
  if ((command == SC_MINIMIZE || command == SC_RESTORE) && !ComponentState().Contains(csDesigning) &&
      Align() != alNone)
    RequestAlign();
}

void TCustomForm::WMGetMinMaxInfo(TWMGetMinMaxInfo& Message) {
  if (!ComponentState().Contains(csReading) && Message.MinMaxInfo) {
    MINMAXINFO& info = *Message.MinMaxInfo;
    TSizeConstraints* c = Constraints();
    if (c->MinWidth() > 0) info.ptMinTrackSize.x = c->MinWidth();
    if (c->MinHeight() > 0) info.ptMinTrackSize.y = c->MinHeight();
    if (c->MaxWidth() > 0) info.ptMaxTrackSize.x = c->MaxWidth();
    if (c->MaxHeight() > 0) info.ptMaxTrackSize.y = c->MaxHeight();
    Integer minW = info.ptMinTrackSize.x, minH = info.ptMinTrackSize.y;
    Integer maxW = info.ptMaxTrackSize.x, maxH = info.ptMaxTrackSize.y;
    ConstrainedResize(minW, minH, maxW, maxH);
    info.ptMinTrackSize = Point(minW, minH);
    info.ptMaxTrackSize = Point(maxW, maxH);
  }
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMSize(TWMSize& Message) {
  if (ComponentState().Contains(csDestroying)) return;
  INHERITED_MESSAGE(Message);
  if (clientHandle_) {
    // The MDI client fills what the aligned controls leave.
    TRect r = ClientRect();
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (!c->Visible()) continue;
      switch (c->Align()) {
        case alTop: r.top = std::max(r.top, static_cast<LONG>(c->Top() + c->Height())); break;
        case alBottom: r.bottom = std::min(r.bottom, static_cast<LONG>(c->Top())); break;
        case alLeft: r.left = std::max(r.left, static_cast<LONG>(c->Left() + c->Width())); break;
        case alRight: r.right = std::min(r.right, static_cast<LONG>(c->Left())); break;
        default: break;
      }
    }
    SetWindowPos(clientHandle_, HWND_BOTTOM, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!ComponentState().Contains(csDesigning)) {
    switch (Message.SizeType) {
      case SIZE_MINIMIZED: windowState_ = wsMinimized; break;
      case SIZE_MAXIMIZED: windowState_ = wsMaximized; break;
      case SIZE_RESTORED: windowState_ = wsNormal; break;
      default: break;
    }
  }
}

void TCustomForm::WMDestroy(TWMDestroy& Message) {
  SendMessageA(WindowHandle(), WM_SETICON, ICON_BIG, 0);
  if (menu_ && formStyle_ != fsMDIChild) {
    ::SetMenu(WindowHandle(), nullptr);
    menu_->SetWindowHandle(nullptr);
  }
  INHERITED_MESSAGE(Message);
}

void TCustomForm::WMHelp(TMessage& Message) {
  auto* info = reinterpret_cast<HELPINFO*>(Message.LParam);
  if (!info || !Application) return;
  THelpContext context = 0;
  if (info->iContextType == HELPINFO_WINDOW) {
    for (TControl* c = FindControl(static_cast<HWND>(info->hItemHandle)); c && context == 0; c = c->Parent())
      context = c->HelpContext();
  }
  if (context == 0) context = HelpContext();
  if (context != 0) Application->HelpContext(context);
}

void TCustomForm::CMIconChanged(TMessage&) { applyIcon(); }

void TCustomForm::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (formStyle_ == fsMDIChild && Application && Application->MainForm() && Application->MainForm()->ClientHandle())
    SendMessageA(Application->MainForm()->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
}

bool TCustomForm::offerAction(TBasicAction* Action, bool (TControl::*Offer)(TBasicAction*)) {
  std::function<bool(TWinControl*)> traverse = [&](TWinControl* container) {
    if (!container->Showing()) return false;
    for (Integer i = 0; i < container->ControlCount(); ++i) {
      TControl* c = container->Controls(i);
      if (c->Visible() && (c->*Offer)(Action)) return true;
      if (auto* w = dynamic_cast<TWinControl*>(c))
        if (traverse(w)) return true;
    }
    return false;
  };
  return (activeControl_ && (activeControl_->*Offer)(Action)) || (this->*Offer)(Action) || traverse(this);
}

void TCustomForm::CMActionExecute(TMessage& Message) {
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if (ComponentState().Contains(csDesigning) || !Showing() || !action) return;
  if (offerAction(action, &TControl::ExecuteAction)) Message.Result = 1;
}

void TCustomForm::CMActionUpdate(TMessage& Message) {
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if (ComponentState().Contains(csDesigning) || !Showing() || !action) return;
  if (offerAction(action, &TControl::UpdateAction)) Message.Result = 1;
}

void TCustomForm::UpdateActions() {
  if (ComponentState().Contains(csDesigning) || !Showing()) return;
  InitiateAction();
  if (menu_)
    for (Integer i = 0; i < menu_->Items()->Count(); ++i) {
      TMenuItem* item = menu_->Items()->Items(i);
      if (item->Visible()) item->InitiateAction();
    }
  std::function<void(TWinControl*)> traverse = [&](TWinControl* container) {
    if (!container->Showing()) return;
    for (Integer i = 0; i < container->ControlCount(); ++i) {
      TControl* c = container->Controls(i);
      if (c->ControlStyle().Contains(csActionClient) && c->Visible()) c->InitiateAction();
      if (auto* w = dynamic_cast<TWinControl*>(c)) traverse(w);
    }
  };
  traverse(this);
}

// ---------------------------------------------------------------------------------------
// MDI.

TForm* TCustomForm::ActiveMDIChild() {
  if (formStyle_ != fsMDIForm || !clientHandle_) return nullptr;
  HWND h = reinterpret_cast<HWND>(SendMessageA(clientHandle_, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TForm*>(FindControl(h));
}

Integer TCustomForm::MDIChildCount() {
  if (formStyle_ != fsMDIForm || !clientHandle_ || !Screen) return 0;
  Integer n = 0;
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->FormStyle() == fsMDIChild) ++n;
  return n;
}

TForm* TCustomForm::MDIChildren(Integer I) {
  if (formStyle_ != fsMDIForm || !clientHandle_ || !Screen) return nullptr;
  for (Integer i = 0; i < Screen->FormCount(); ++i) {
    TForm* f = Screen->Forms(i);
    if (f->FormStyle() == fsMDIChild && I-- == 0) return f;
  }
  return nullptr;
}

void TCustomForm::ArrangeIcons() {
  if (formStyle_ == fsMDIForm && clientHandle_) SendMessageA(clientHandle_, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Cascade() {
  if (formStyle_ == fsMDIForm && clientHandle_) SendMessageA(clientHandle_, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile() {
  if (formStyle_ == fsMDIForm && clientHandle_)
    SendMessageA(clientHandle_, WM_MDITILE, tileMode_ == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::Next() {
  if (formStyle_ == fsMDIForm && clientHandle_) SendMessageA(clientHandle_, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
  if (formStyle_ == fsMDIForm && clientHandle_) SendMessageA(clientHandle_, WM_MDINEXT, 0, 1);
}

// ---------------------------------------------------------------------------------------
// Component model.

void TCustomForm::GetChildren(TGetChildProc Proc, TComponent* Root) {
  // The form's non-visual components first, then its controls.
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Proc(c);
  }
  TScrollingWinControl::GetChildren(Proc, Root);
}

void TCustomForm::SetChildOrder(TComponent* Child, int Order) {
  if (dynamic_cast<TControl*>(Child)) {
    TScrollingWinControl::SetChildOrder(Child, Order);
    return;
  }
  // Non-visual components keep their order among the owner's components.
  int index = 0;
  for (int i = 0; i < ComponentCount() && Order > 0; ++i) {
    if (!Components(i)->HasParent()) {
      --Order;
      index = i + 1;
    }
  }
  if (Child->Owner() == this) Child->SetComponentIndex(std::min(index, ComponentCount() - 1));
}

void TCustomForm::ReadState(TReader* Reader) {
  DisableAlign();
  try {
    clientWidth_ = 0;
    clientHeight_ = 0;
    TScrollingWinControl::ReadState(Reader);
  } catch (...) {
    EnableAlign();
    throw;
  }
  // A stored client size wins over the stored window size.
  if (clientWidth_ > 0) TControl::SetClientWidth(clientWidth_);
  if (clientHeight_ > 0) TControl::SetClientHeight(clientHeight_);
  EnableAlign();
}

void TCustomForm::Loaded() {
  TScrollingWinControl::Loaded();
  if (activeControl_) {
    TWinControl* control = activeControl_;
    activeControl_ = nullptr;
    if (control->CanFocus()) SetActiveControl(control);
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == menu_) SetMenu(nullptr);
  else if (AComponent == windowMenu_) windowMenu_ = nullptr;
  else if (AComponent == activeControl_) activeControl_ = nullptr;
  if (AComponent == focusedControl_) focusedControl_ = nullptr;
}

void TCustomForm::SetParent(TWinControl* AParent) {
  if (Parent() == AParent) return;
  if (HandleAllocated()) DestroyHandle();
  TScrollingWinControl::SetParent(AParent);
  if (!AParent) UpdateControlState();
}

// =======================================================================================
// TMonitor and TScreen
// =======================================================================================

namespace {

MONITORINFO monitorInfo(HMONITOR h) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(h, &info)) {
    // A monitor that went away: the primary screen and its work area.
    info.rcMonitor = Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    info.dwFlags = MONITORINFOF_PRIMARY;
  }
  return info;
}

BOOL CALLBACK collectMonitor(HMONITOR h, HDC, LPRECT, LPARAM data) {
  reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(h);
  return TRUE;
}

int CALLBACK collectFontFamily(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM data) {
  auto* names = reinterpret_cast<std::vector<std::string>*>(data);
  // Vertical variants ("@Font") are not offered.
  if (lf->lfFaceName[0] != '@') names->push_back(lf->lfFaceName);
  return 1;
}

// The cursors the class library draws itself: an arrow with one page (crDrag) or a pile of
// pages (crMultiDrag) under it.
HCURSOR makeDragCursor(bool multiple) {
  constexpr int size = 32;
  // AND mask 1 = transparent, XOR mask 1 = white over the transparent parts.
  BYTE andMask[size * size / 8];
  BYTE xorMask[size * size / 8];
  std::memset(andMask, 0xFF, sizeof andMask);
  std::memset(xorMask, 0x00, sizeof xorMask);
  auto set = [&](int x, int y, bool white) {
    if (x < 0 || y < 0 || x >= size || y >= size) return;
    int bit = y * size + x;
    andMask[bit / 8] &= static_cast<BYTE>(~(0x80 >> (bit % 8)));
    if (white) xorMask[bit / 8] |= static_cast<BYTE>(0x80 >> (bit % 8));
    else xorMask[bit / 8] &= static_cast<BYTE>(~(0x80 >> (bit % 8)));
  };
  // The arrow: a right triangle with a black outline filled white.
  for (int y = 0; y < 12; ++y) {
    int width = y * 7 / 11;
    for (int x = 0; x <= width; ++x) set(x, y, !(x == 0 || x == width || y == 11));
  }
  // The page(s): a black frame filled white below and right of the arrow's point.
  auto page = [&](int left, int top) {
    for (int y = top; y < top + 10; ++y)
      for (int x = left; x < left + 8; ++x) set(x, y, !(y == top || y == top + 9 || x == left || x == left + 7));
  };
  if (multiple) page(12, 14);
  page(9, 17);
  return CreateCursor(moduleInstance(), 0, 0, size, size, andMask, xorMask);
}

// The system cursor each built-in id stands for.
LPCSTR systemCursorOf(Integer id) {
  switch (id) {
    case crDefault:
    case crArrow: return IDC_ARROW;
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS:
    case crVSplit: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE:
    case crHSplit: return IDC_SIZEWE;
    case crUpArrow: return IDC_UPARROW;
    case crHourGlass: return IDC_WAIT;
    case crNoDrop:
    case crNo: return IDC_NO;
    case crSQLWait:
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    case crSizeAll: return IDC_SIZEALL;
    default: return nullptr;
  }
}

// Finds a form by name for references between roots in form descriptions.
TComponent* findGlobalForm(const std::string& Name) {
  if (!Screen) return nullptr;
  for (Integer i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* f = Screen->CustomForms(i);
    if (!f->ComponentState().Contains(csInline) && SameText(f->Name(), Name)) return f;
  }
  return nullptr;
}

}  // namespace

TRect TMonitor::BoundsRect() const { return monitorInfo(handle_).rcMonitor; }

TRect TMonitor::WorkareaRect() const { return monitorInfo(handle_).rcWork; }

bool TMonitor::Primary() const { return (monitorInfo(handle_).dwFlags & MONITORINFOF_PRIMARY) != 0; }

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  HDC dc = GetDC(nullptr);
  pixelsPerInch_ = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  hintFont_ = new TFont();
  iconFont_ = new TFont();
  menuFont_ = new TFont();
  loadSystemFonts();
  defaultKbLayout_ = GetKeyboardLayout(0);
  defaultCursor_ = LoadCursorA(nullptr, IDC_ARROW);
  cursors_.push_back({crDrag, makeDragCursor(false)});
  cursors_.push_back({crMultiDrag, makeDragCursor(true)});
}

TScreen::~TScreen() {
  for (auto& entry : cursors_) DestroyCursor(entry.second);
  cursors_.clear();
  for (TMonitor* m : monitors_) delete m;
  monitors_.clear();
  delete fonts_;
  delete hintFont_;
  delete iconFont_;
  delete menuFont_;
}

void TScreen::loadSystemFonts() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    hintFont_->SetHandle(CreateFontIndirectA(&metrics.lfStatusFont));
    menuFont_->SetHandle(CreateFontIndirectA(&metrics.lfMenuFont));
  }
  hintFont_->SetColor(clInfoText);
  menuFont_->SetColor(clMenuText);
  LOGFONTA iconFont{};
  if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof iconFont, &iconFont, 0))
    iconFont_->SetHandle(CreateFontIndirectA(&iconFont));
}

void TScreen::ResetFonts() {
  loadSystemFonts();
  delete fonts_;
  fonts_ = nullptr;
}

TStrings* TScreen::Fonts() {
  if (!fonts_) {
    std::vector<std::string> names;
    HDC dc = GetDC(nullptr);
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &lf, collectFontFamily, reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, dc);
    fonts_ = new TStringList();
    fonts_->SetSorted(true);
    fonts_->SetDuplicates(dupIgnore);
    for (const std::string& n : names) fonts_->Add(n);
  }
  return fonts_;
}

TRect TScreen::DesktopRect() const {
  return Bounds(DesktopLeft(), DesktopTop(), DesktopWidth(), DesktopHeight());
}

TRect TScreen::WorkAreaRect() const {
  RECT r{0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void TScreen::enumMonitors() {
  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&handles));
  std::vector<TMonitor*> kept;
  for (size_t i = 0; i < handles.size(); ++i) {
    auto it = std::find_if(monitors_.begin(), monitors_.end(), [&](TMonitor* m) { return m->Handle() == handles[i]; });
    if (it != monitors_.end()) {
      kept.push_back(*it);
      monitors_.erase(it);
    } else {
      kept.push_back(new TMonitor(handles[i], static_cast<Integer>(i)));
    }
  }
  for (TMonitor* m : monitors_) delete m;
  monitors_ = kept;
}

Integer TScreen::MonitorCount() {
  if (monitors_.empty()) enumMonitors();
  return static_cast<Integer>(monitors_.size());
}

TMonitor* TScreen::Monitors(Integer Index) {
  if (monitors_.empty()) enumMonitors();
  if (Index < 0 || Index >= static_cast<Integer>(monitors_.size()))
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return monitors_[Index];
}

TMonitor* TScreen::PrimaryMonitor() {
  for (Integer i = 0; i < MonitorCount(); ++i)
    if (monitors_[i]->Primary()) return monitors_[i];
  return MonitorCount() > 0 ? monitors_[0] : nullptr;
}

namespace {

DWORD monitorFlags(TMonitorDefaultTo d) {
  switch (d) {
    case mdNull: return MONITOR_DEFAULTTONULL;
    case mdPrimary: return MONITOR_DEFAULTTOPRIMARY;
    default: return MONITOR_DEFAULTTONEAREST;
  }
}

}  // namespace

TMonitor* TScreen::MonitorFromPoint(const TPoint& Point, TMonitorDefaultTo MonitorDefault) {
  HMONITOR h = ::MonitorFromPoint(Point, monitorFlags(MonitorDefault));
  if (!h) return nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    for (Integer i = 0; i < MonitorCount(); ++i)
      if (monitors_[i]->Handle() == h) return monitors_[i];
    enumMonitors();  // a monitor added since the list was made
  }
  return nullptr;
}

TMonitor* TScreen::MonitorFromRect(const TRect& Rect, TMonitorDefaultTo MonitorDefault) {
  HMONITOR h = ::MonitorFromRect(&Rect, monitorFlags(MonitorDefault));
  if (!h) return nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    for (Integer i = 0; i < MonitorCount(); ++i)
      if (monitors_[i]->Handle() == h) return monitors_[i];
    enumMonitors();
  }
  return nullptr;
}

TMonitor* TScreen::MonitorFromWindow(HWND Handle, TMonitorDefaultTo MonitorDefault) {
  HMONITOR h = ::MonitorFromWindow(Handle, monitorFlags(MonitorDefault));
  if (!h) return nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    for (Integer i = 0; i < MonitorCount(); ++i)
      if (monitors_[i]->Handle() == h) return monitors_[i];
    enumMonitors();
  }
  return nullptr;
}

HCURSOR TScreen::Cursors(Integer Index) const {
  if (Index == crNone) return nullptr;
  for (const auto& entry : cursors_)
    if (entry.first == Index) return entry.second;
  if (LPCSTR id = systemCursorOf(Index)) {
    if (HCURSOR c = LoadCursorA(nullptr, id)) return c;
  }
  return defaultCursor_;
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle) {
  auto it = std::find_if(cursors_.begin(), cursors_.end(), [&](const auto& e) { return e.first == Index; });
  if (it != cursors_.end()) {
    if (it->second != Handle) DestroyCursor(it->second);
    if (Handle) it->second = Handle;
    else cursors_.erase(it);
  } else if (Handle) {
    cursors_.push_back({Index, Handle});
  }
}

void TScreen::SetCursor(TCursor Value) {
  if (Value != cursor_) {
    cursor_ = Value;
    bool done = false;
    if (Value == crDefault) {
      // Back to the cursor of whatever is under the mouse: ask that window.
      POINT p;
      GetCursorPos(&p);
      HWND h = WindowFromPoint(p);
      if (h && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) {
        LRESULT code = SendMessageA(h, WM_NCHITTEST, 0, PointToLParam(p));
        SendMessageA(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(static_cast<WORD>(code), WM_MOUSEMOVE));
        done = true;
      }
    }
    if (!done) ::SetCursor(Cursors(Value));
  }
  ++cursorCount_;
}

// A form is registered while its constructor runs, before it is of its final class, so
// which forms are TForms is decided when asked.
Integer TScreen::FormCount() const {
  Integer n = 0;
  for (TCustomForm* f : customForms_)
    if (dynamic_cast<TForm*>(f)) ++n;
  return n;
}

TForm* TScreen::Forms(Integer Index) const {
  Integer n = Index;
  if (Index >= 0)
    for (TCustomForm* f : customForms_)
      if (auto* form = dynamic_cast<TForm*>(f))
        if (n-- == 0) return form;
  throw EListError(Format("List index out of bounds (%d)", {Index}));
}

TCustomForm* TScreen::CustomForms(Integer Index) const {
  if (Index < 0 || Index >= CustomFormCount()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return customForms_[Index];
}

void TScreen::addForm(TCustomForm* AForm) { customForms_.push_back(AForm); }

void TScreen::removeForm(TCustomForm* AForm) {
  customForms_.erase(std::remove(customForms_.begin(), customForms_.end(), AForm), customForms_.end());
  saveFocusedList_.erase(std::remove(saveFocusedList_.begin(), saveFocusedList_.end(), AForm),
                         saveFocusedList_.end());
  if (activeCustomForm_ == AForm) activeCustomForm_ = nullptr;
  if (activeForm_ == AForm) activeForm_ = nullptr;
  if (focusedForm_ == AForm) focusedForm_ = nullptr;
  if (lastActiveCustomForm_ == AForm) lastActiveCustomForm_ = nullptr;
  if (activeControl_ && GetParentForm(activeControl_) == AForm) activeControl_ = nullptr;
  if (lastActiveControl_ && GetParentForm(lastActiveControl_) == AForm) lastActiveControl_ = nullptr;
}

void TScreen::moveToFront(TCustomForm* AForm) {
  auto it = std::find(customForms_.begin(), customForms_.end(), AForm);
  if (it != customForms_.end()) {
    customForms_.erase(it);
    customForms_.insert(customForms_.begin(), AForm);
  }
}

void TScreen::updateLastActive() {
  if (lastActiveCustomForm_ != activeCustomForm_) {
    lastActiveCustomForm_ = activeCustomForm_;
    if (onActiveFormChange_) onActiveFormChange_(this);
  }
  if (lastActiveControl_ != activeControl_) {
    lastActiveControl_ = activeControl_;
    if (onActiveControlChange_) onActiveControlChange_(this);
  }
}

// =======================================================================================
// TApplication
// =======================================================================================

namespace {

const char* kApplicationWindowClass = "TApplication";

std::string exeTitle() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = ExtractFileName(path);
  // A Winelib program's module is "name.exe.so" or "name.exe".
  for (const char* ext : {".so", ".exe"}) {
    size_t n = std::strlen(ext);
    if (name.size() > n && SameText(name.substr(name.size() - n), ext)) name.resize(name.size() - n);
  }
  return name;
}

}  // namespace

// The application window's procedure (WndProc catches every exception).
LRESULT CALLBACK TApplication::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Application || Application->handle_ != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
  TMessage message;
  message.Msg = msg;
  message.WParam = wParam;
  message.LParam = lParam;
  message.Result = 0;
  Application->WndProc(message);
  return message.Result;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  hintWindowClass_ = THintWindow::StaticClass();
  icon_ = new TIcon();
  title_ = exeTitle();
  createHandle();
}

TApplication::~TApplication() {
  stopHintTimer();
  hintControl_ = nullptr;
  if (hintWindow_) {
    THintWindow* w = hintWindow_;
    hintWindow_ = nullptr;
    w->Free();
  }
  // The forms go next, while the application (and its window) still exists.
  DestroyComponents();
  if (handle_) {
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
  delete icon_;
  if (comInitialized_) CoUninitialize();
}

void TApplication::createHandle() {
  WNDCLASSA wc{};
  if (!GetClassInfoA(moduleInstance(), kApplicationWindowClass, &wc)) {
    wc = WNDCLASSA{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kApplicationWindowClass;
    RegisterClassA(&wc);
  }
  handle_ = CreateWindowExA(0, kApplicationWindowClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                            nullptr, moduleInstance(), nullptr);
}

void TApplication::Initialize() {
  if (comInitialized_) return;
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comInitialized_ = SUCCEEDED(hr);
}

std::string TApplication::Title() const { return title_; }

void TApplication::SetTitle(const std::string& Value) {
  title_ = Value;
  if (handle_) SetWindowTextA(handle_, Value.c_str());
}

std::string TApplication::ExeName() const {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

void TApplication::CreateForm(TClass InstanceClass, void* Reference) {
  auto** ref = static_cast<TComponent**>(Reference);
  if (ref) *ref = nullptr;
  TComponent* instance = CreateComponent(InstanceClass, this);
  if (ref) *ref = instance;
  adoptMainForm(instance);
}

void TApplication::adoptMainForm(TComponent* Instance) {
  if (mainForm_) return;
  if (auto* form = dynamic_cast<TForm*>(Instance)) {
    form->HandleNeeded();
    mainForm_ = form;
  }
}

// ---------------------------------------------------------------------------------------
// The message loop.

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  try {
    if (onMessage_) onMessage_(Msg, handled);
    if (!IsHintMsg(Msg) && !handled && !IsMDIMsg(Msg) && !IsKeyMsg(Msg)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  if (queueFoundEmptyAt != 0 && counterNow() - queueFoundEmptyAt < quietQueueTicks()) return;
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  queueFoundEmptyAt = counterNow();
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::Run() {
  running_ = true;
  {
    ScopeExit atEnd([&] { running_ = false; });
    if (mainForm_) {
      if (showMainForm_) {
        if (mainForm_->WindowState() == wsMinimized) Minimize();
        else mainForm_->SetVisible(true);
      }
      do {
        try {
          HandleMessage();
        } catch (...) {
          HandleException(this);
        }
      } while (!terminated_);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) {
    wnd = Msg.hwnd;
    if (mainForm_ && mainForm_->ClientHandle() && wnd == mainForm_->ClientHandle()) {
      wnd = mainForm_->Handle();
    } else {
      // The nearest control window: a system child window (a combo box's edit) reports
      // through its control.
      HWND w = wnd;
      while (w && !FindControl(w)) w = GetParent(w);
      if (w) wnd = w;
    }
    return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
  }
  // A window of this thread that holds the mouse (a drag in progress) hears the keys.
  if (GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId())
    return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
  return false;
}

bool TApplication::IsHintMsg(const MSG& Msg) {
  if (hintWindow_ && hintWindow_->IsHintMsg(Msg)) CancelHint();
  return false;
}

bool TApplication::IsMDIMsg(const MSG& Msg) {
  if (mainForm_ && mainForm_->FormStyle() == fsMDIForm && mainForm_->ClientHandle() && Screen &&
      Screen->ActiveForm() && Screen->ActiveForm()->FormStyle() == fsMDIChild)
    return TranslateMDISysAccel(mainForm_->ClientHandle(), const_cast<MSG*>(&Msg)) != FALSE;
  return false;
}

void TApplication::Idle(const MSG&) {
  if (idleWork()) WaitMessage();
}

void TApplication::DoApplicationIdle() { idleWork(); }

// The idle work; true when OnIdle left Done set (the loop may wait for a message).
bool TApplication::idleWork() {
  TControl* control = DoMouseIdle();
  if (showHint_ && !mouseControl_) CancelHint();
  SetHint(GetLongHint(hintOf(control)));
  bool done = true;
  try {
    if (onIdle_) onIdle_(this, done);
    if (done && Screen) {
      // The actions of every form that shows and takes input.
      for (Integer i = 0; i < Screen->CustomFormCount(); ++i) {
        TCustomForm* form = Screen->CustomForms(i);
        if (form->HandleAllocated() && IsWindowVisible(form->Handle()) && IsWindowEnabled(form->Handle()))
          form->UpdateActions();
      }
    }
  } catch (...) {
    HandleException(this);
  }
  return done;
}

TControl* TApplication::DoMouseIdle() {
  POINT p;
  GetCursorPos(&p);
  TControl* result = FindDragTarget(p, true);
  if (result && result->ComponentState().Contains(csDesigning)) result = nullptr;
  TControl* capture = GetCaptureControl();
  if (mouseControl_ != result) {
    // While a control holds the mouse only it hears that the mouse left or came back.
    if ((mouseControl_ && !capture) || (capture && mouseControl_ == capture))
      mouseControl_->Perform(CM_MOUSELEAVE, 0, 0);
    mouseControl_ = result;
    if ((mouseControl_ && !capture) || (capture && mouseControl_ == capture))
      mouseControl_->Perform(CM_MOUSEENTER, 0, 0);
  }
  return result;
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (mainForm_ == Control) mainForm_ = nullptr;
  if (mouseControl_ == Control) mouseControl_ = nullptr;
  if (hintControl_ == Control) hintControl_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// The application window.

int TApplication::HookMainWindow(TWindowHook Hook) {
  int id = nextHookId_++;
  windowHooks_.push_back({id, std::move(Hook)});
  return id;
}

void TApplication::UnhookMainWindow(int Id) {
  windowHooks_.erase(std::remove_if(windowHooks_.begin(), windowHooks_.end(), [&](const auto& h) { return h.first == Id; }),
                     windowHooks_.end());
}

void TApplication::WndProc(TMessage& Message) {
  try {
    for (auto& hook : std::vector<std::pair<int, TWindowHook>>(windowHooks_))
      if (hook.second(Message)) return;
    switch (Message.Msg) {
      case WM_TIMER:
        if (Message.WParam == kHintTimerId) {
          hintTimerExpired();
          return;
        }
        break;
      case WM_ACTIVATEAPP:
        setActive(Message.WParam != 0);
        break;
      case WM_CLOSE:
        if (mainForm_) mainForm_->Close();
        return;
      case WM_SYSCOMMAND:
        switch (Message.WParam & 0xFFF0) {
          case SC_MINIMIZE: Minimize(); return;
          case SC_RESTORE: Restore(); return;
        }
        break;
      case WM_SETTINGCHANGE:
        if (Mouse) Mouse->SettingChanged(static_cast<Integer>(Message.WParam));
        if (updateFormatSettings_) GetFormatSettings();
        if (Screen) Screen->ResetFonts();
        break;
      case WM_QUERYENDSESSION:
        Message.Result = 1;
        return;
      case CM_APPKEYDOWN: {
        // A key no control took: the main form's shortcuts.
        TWMKey& key = reinterpret_cast<TWMKey&>(Message);
        if (mainForm_ && mainForm_->HandleAllocated() && IsWindowEnabled(mainForm_->Handle()) &&
            mainForm_->IsShortCut(key))
          Message.Result = 1;
        return;
      }
      case CM_APPSYSCOMMAND:
        if (mainForm_ && mainForm_->HandleAllocated() && IsWindowEnabled(mainForm_->Handle())) {
          SendMessageA(mainForm_->Handle(), WM_SYSCOMMAND, Message.WParam, Message.LParam);
          Message.Result = 1;
        }
        return;
      case CM_ACTIONEXECUTE:
      case CM_ACTIONUPDATE:
        Message.Result = 0;
        return;
    }
    Message.Result = DefWindowProcA(handle_, Message.Msg, Message.WParam, Message.LParam);
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::setActive(bool Value) {
  if (active_ == Value) return;
  active_ = Value;
  if (Value) {
    if (onActivate_) onActivate_(this);
  } else {
    CancelHint();
    if (onDeactivate_) onDeactivate_(this);
  }
}

void TApplication::BringToFront() {
  HWND h = ActiveFormHandle();
  if (h) SetForegroundWindow(h);
}

HWND TApplication::ActiveFormHandle() {
  HWND active = GetActiveWindow();
  if (active && FindControl(active)) return active;
  if (Screen && Screen->ActiveCustomForm() && Screen->ActiveCustomForm()->HandleAllocated())
    return Screen->ActiveCustomForm()->Handle();
  if (mainForm_ && mainForm_->HandleAllocated()) return mainForm_->Handle();
  return nullptr;
}

void TApplication::Minimize() {
  if (!mainForm_ || !mainForm_->HandleAllocated() || IsIconic(mainForm_->Handle())) return;
  NormalizeTopMosts();
  ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
  if (onMinimize_) onMinimize_(this);
}

void TApplication::Restore() {
  if (!mainForm_ || !mainForm_->HandleAllocated() || !IsIconic(mainForm_->Handle())) return;
  ShowWindow(mainForm_->Handle(), SW_RESTORE);
  RestoreTopMosts();
  if (onRestore_) onRestore_(this);
}

void TApplication::NormalizeTopMosts() {
  if (!Screen) return;
  for (Integer i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* f = Screen->CustomForms(i);
    if (f->FormStyle() == fsStayOnTop && f->HandleAllocated())
      SetWindowPos(f->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TApplication::RestoreTopMosts() {
  if (!Screen) return;
  for (Integer i = 0; i < Screen->CustomFormCount(); ++i) {
    TCustomForm* f = Screen->CustomForms(i);
    if (f->FormStyle() == fsStayOnTop && f->HandleAllocated())
      SetWindowPos(f->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TApplication::ModalStarted() {
  ++modalLevel_;
  if (modalLevel_ == 1 && onModalBegin_) onModalBegin_(this);
}

void TApplication::ModalFinished() {
  --modalLevel_;
  if (modalLevel_ == 0 && onModalEnd_) onModalEnd_(this);
}

// ---------------------------------------------------------------------------------------
// Exceptions and message boxes.

void TApplication::HandleException(TObject* Sender) {
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  auto report = [&](const Exception& e) {
    if (onException_) onException_(Sender, e);
    else ShowException(e);
  };
  try {
    std::rethrow_exception(current);
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    report(Exception(e.what()));
  } catch (...) {
    report(Exception("An unknown exception occurred"));
  }
}

void TApplication::ShowException(const Exception& E) {
  std::string text = E.Message();
  // A message that does not end in punctuation gets a full stop.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  MessageBox(text, Title().c_str(), MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const std::string& Text, const char* Caption, Integer Flags) {
  std::string caption = Caption ? Caption : Title();
  if (messageBoxHook()) return messageBoxHook()(Text, caption, Flags);
  HWND active = ActiveFormHandle();
  TTaskWindowList windows = DisableTaskWindows(nullptr);
  Integer result = ::MessageBoxA(active, Text.c_str(), caption.c_str(), static_cast<UINT>(Flags));
  EnableTaskWindows(windows);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return result;
}

// ---------------------------------------------------------------------------------------
// Hints.

void TApplication::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  hint_ = Value;
  if (onHint_) {
    onHint_(this);
  }
}

void TApplication::SetHintColor(TColor Value) {
  hintColor_ = Value;
  if (hintWindow_) hintWindow_->SetColor(Value);
}

void TApplication::SetShowHint(bool Value) {
  if (showHint_ == Value) return;
  showHint_ = Value;
  if (!Value) {
    CancelHint();
    if (hintWindow_) {
      THintWindow* w = hintWindow_;
      hintWindow_ = nullptr;
      w->Free();
    }
  }
}

void TApplication::startHintTimer(UINT Pause, bool ShowMode) {
  stopHintTimer();
  hintTimerShowMode_ = ShowMode;
  if (handle_ && SetTimer(handle_, kHintTimerId, std::max<UINT>(Pause, 1), nullptr)) hintTimerRunning_ = true;
  else if (ShowMode) hintTimerExpired();
}

void TApplication::stopHintTimer() {
  if (hintTimerRunning_ && handle_) KillTimer(handle_, kHintTimerId);
  hintTimerRunning_ = false;
}

void TApplication::hintTimerExpired() {
  stopHintTimer();
  if (hintTimerShowMode_) {
    POINT p;
    GetCursorPos(&p);
    ActivateHint(p);
  } else {
    hintActive_ = false;
    HideHint();
  }
}

void TApplication::HideHint() {
  if (hintWindow_ && hintWindow_->HandleAllocated() && IsWindowVisible(hintWindow_->Handle()))
    ShowWindow(hintWindow_->Handle(), SW_HIDE);
}

void TApplication::CancelHint() {
  if (!hintControl_) return;
  HideHint();
  hintControl_ = nullptr;
  hintActive_ = false;
  stopHintTimer();
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  if (!showHint_) return;
  TPoint pos = Control->ClientToScreen(SmallPointToPoint(reinterpret_cast<TWMMouse&>(Message).Pos));
  TControl* newHintControl = hintControlOf(FindDragTarget(pos, true));
  if (!newHintControl || !newHintControl->ShowHint()) {
    CancelHint();
    return;
  }
  if (newHintControl != hintControl_ || !PtInRect(hintCursorRect_, pos)) {
    bool wasActive = hintActive_;
    Integer pause = wasActive ? hintShortPause_ : hintPause_;
    newHintControl->Perform(CM_HINTSHOWPAUSE, wasActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
    hintControl_ = newHintControl;
    hintActive_ = wasActive;
    startHintTimer(static_cast<UINT>(std::max(pause, 0)), true);
  }
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  stopHintTimer();
  if (!hintControl_ || !showHint_) return;
  THintInfo info;
  info.HintControl = hintControl_;
  info.HintWindowClass = hintWindowClass_;
  info.HintPos = CursorPos;
  info.HintPos.y += GetSystemMetrics(SM_CYCURSOR) * 3 / 4;
  info.HintMaxWidth = Screen ? Screen->Width() : 800;
  info.HintColor = hintColor_;
  info.CursorRect = hintControl_->BoundsRect();
  if (TWinControl* parent = hintControl_->Parent()) {
    if (parent->HandleAllocated())
      MapWindowPoints(parent->Handle(), nullptr, reinterpret_cast<POINT*>(&info.CursorRect), 2);
  } else if (auto* w = dynamic_cast<TWinControl*>(hintControl_); w && w->HandleAllocated()) {
    GetWindowRect(w->Handle(), &info.CursorRect);
  }
  info.CursorPos = hintControl_->ScreenToClient(CursorPos);
  info.HintStr = GetShortHint(hintOf(hintControl_));
  info.ReshowTimeout = 0;
  info.HideTimeout = hintHidePause_;
  bool canShow = hintControl_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && onShowHint_) onShowHint_(info.HintStr, canShow, info);
  hintActive_ = canShow && hintControl_;
  if (hintActive_ && !info.HintStr.empty()) {
    TClass windowClass = info.HintWindowClass ? info.HintWindowClass : THintWindow::StaticClass();
    if (!hintWindow_ || hintWindow_->ClassType() != windowClass) {
      if (hintWindow_) hintWindow_->Free();
      hintWindow_ = static_cast<THintWindow*>(windowClass->CreateInstance(this));
    }
    hintWindow_->SetColor(info.HintColor);
    TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    OffsetRect(r, info.HintPos.x, info.HintPos.y);
    hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
    hintCursorRect_ = info.CursorRect;
    if (info.ReshowTimeout > 0) startHintTimer(static_cast<UINT>(info.ReshowTimeout), true);
    else if (info.HideTimeout > 0) startHintTimer(static_cast<UINT>(info.HideTimeout), false);
    return;
  }
  if (info.ReshowTimeout > 0) startHintTimer(static_cast<UINT>(info.ReshowTimeout), true);
  else CancelHint();
}

// ---------------------------------------------------------------------------------------
// Actions and help.

bool TApplication::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (onActionExecute_) onActionExecute_(Action, handled);
  return handled;
}

bool TApplication::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (onActionUpdate_) onActionUpdate_(Action, handled);
  return handled;
}

namespace {

// Offers an action to the active form's controls, then the main form's.
bool dispatchAction(UINT Msg, TBasicAction* Action) {
  if (!Screen || !Application) return false;
  TCustomForm* form = Screen->ActiveCustomForm();
  if (form && form->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) == 1) return true;
  TForm* main = Application->MainForm();
  return main && main != form && main->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) == 1;
}

}  // namespace

bool TApplication::HelpCommand(Integer Command, NativeInt Data) {
  if (helpFile_.empty()) return false;
  HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : handle_;
  return WinHelpA(owner, helpFile_.c_str(), static_cast<UINT>(Command), static_cast<ULONG_PTR>(Data)) != FALSE;
}

bool TApplication::HelpContext(THelpContext Context) { return HelpCommand(HELP_CONTEXT, Context); }

bool TApplication::HelpKeyword(const std::string& Keyword) {
  return HelpCommand(HELP_KEY, reinterpret_cast<NativeInt>(Keyword.c_str()));
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TControlScrollBar)
b.Property("ButtonSize", &TControlScrollBar::ButtonSize, &TControlScrollBar::SetButtonSize).Default(0);
b.Property("Color", &TControlScrollBar::Color, &TControlScrollBar::SetColor).Default(clBtnHighlight);
b.Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement)
    .Default(8)
    .Stored(&TControlScrollBar::IsIncrementStored);
b.Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin).Default(0);
b.Property("ParentColor", &TControlScrollBar::ParentColor, &TControlScrollBar::SetParentColor).Default(true);
b.Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0);
b.Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange)
    .Default(0)
    .Stored(&TControlScrollBar::IsRangeStored);
b.Property("Smooth", &TControlScrollBar::Smooth, &TControlScrollBar::SetSmooth).Default(false);
b.Property("Size", &TControlScrollBar::Size, &TControlScrollBar::SetSize).Default(0);
b.Property("Style", &TControlScrollBar::Style, &TControlScrollBar::SetStyle).Default(ssRegular);
b.Property("ThumbSize", &TControlScrollBar::ThumbSize, &TControlScrollBar::SetThumbSize).Default(0);
b.Property("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking).Default(false);
b.Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true);
RTL_END_CLASS

RTL_BEGIN_CLASS(TScrollingWinControl)
b.Message(WM_SIZE, &TScrollingWinControl::WMSize);
b.Message(WM_HSCROLL, &TScrollingWinControl::WMHScroll);
b.Message(WM_VSCROLL, &TScrollingWinControl::WMVScroll);
b.Message(CM_BIDIMODECHANGED, &TScrollingWinControl::CMBiDiModeChanged);
RTL_END_CLASS

// The published groups of the scrolling containers (scroll box and frame).
template <class T> static void publishScrollingContainer(TClassBuilder<T>& b) {
  publishPlacement(b);
  publishLook(b, clBtnFace);
  publishParentFlags(b);
  publishWindowFlags(b, false);
  publishDragProperties(b);
  PUBLISH(AutoScroll).Default(true);
  PUBLISH(AutoSize).Default(false);
  PUBLISH(HorzScrollBar);
  PUBLISH(VertScrollBar);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
  PUBLISH(OnDblClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnMouseWheel);
  PUBLISH(OnResize);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishMouseEvents(b);
}

RTL_BEGIN_CLASS(TScrollBox)
using T = TScrollBox;
publishScrollingContainer(b);
PUBLISH(BorderStyle).Default(bsSingle);
PUBLISH(ParentColor).Default(true);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TCustomFrame)

RTL_BEGIN_CLASS(TFrame)
using T = TFrame;
publishScrollingContainer(b);
PUBLISH(ParentColor).Default(true);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomForm)
b.Message(WM_ACTIVATE, &TCustomForm::WMActivate);
b.Message(WM_CLOSE, &TCustomForm::WMClose);
b.Message(WM_QUERYENDSESSION, &TCustomForm::WMQueryEndSession);
b.Message(WM_SYSCOMMAND, &TCustomForm::WMSysCommand);
b.Message(WM_COMMAND, &TCustomForm::WMCommand);
b.Message(WM_INITMENUPOPUP, &TCustomForm::WMInitMenuPopup);
b.Message(WM_MENUCHAR, &TCustomForm::WMMenuChar);
b.Message(WM_MENUSELECT, &TCustomForm::WMMenuSelect);
b.Message(WM_MEASUREITEM, &TCustomForm::WMMeasureItem);
b.Message(WM_DRAWITEM, &TCustomForm::WMDrawItem);
b.Message(WM_GETMINMAXINFO, &TCustomForm::WMGetMinMaxInfo);
b.Message(WM_PAINT, &TCustomForm::WMPaint);
b.Message(WM_DESTROY, &TCustomForm::WMDestroy);
b.Message(WM_SIZE, &TCustomForm::WMSize);
b.Message(WM_MDIACTIVATE, &TCustomForm::WMMDIActivate);
b.Message(WM_NEXTDLGCTL, &TCustomForm::WMNextDlgCtl);
b.Message(WM_HELP, &TCustomForm::WMHelp);
b.Message(CM_ACTIVATE, &TCustomForm::CMActivate);
b.Message(CM_DEACTIVATE, &TCustomForm::CMDeactivate);
b.Message(CM_DIALOGKEY, &TCustomForm::CMDialogKey);
b.Message(CM_SHOWINGCHANGED, &TCustomForm::CMShowingChanged);
b.Message(CM_ICONCHANGED, &TCustomForm::CMIconChanged);
b.Message(CM_RELEASE, &TCustomForm::CMRelease);
b.Message(CM_TEXTCHANGED, &TCustomForm::CMTextChanged);
b.Message(CM_ISSHORTCUT, &TCustomForm::CMIsShortCut);
b.Message(CM_ACTIONEXECUTE, &TCustomForm::CMActionExecute);
b.Message(CM_ACTIONUPDATE, &TCustomForm::CMActionUpdate);
RTL_END_CLASS

RTL_BEGIN_CLASS(TForm)
b.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
b.Property("Align", &TForm::Align, &TForm::SetAlign).Default(alNone);
b.Property("AlphaBlend", &TForm::AlphaBlend, &TForm::SetAlphaBlend).Default(false);
b.Property("AlphaBlendValue", &TForm::AlphaBlendValue, &TForm::SetAlphaBlendValue).Default(255);
b.Property("Anchors", &TForm::Anchors, &TForm::SetAnchors).Default(TAnchors{akLeft, akTop});
b.Property("AutoScroll", &TForm::AutoScroll, &TForm::SetAutoScroll).Default(true);
b.Property("AutoSize", &TForm::AutoSize, &TForm::SetAutoSize).Default(false);
b.Property("BiDiMode", &TForm::BiDiMode, &TForm::SetBiDiMode).Stored(&TForm::IsBiDiModeStored);
b.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
    .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
b.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
b.Property("BorderWidth", &TForm::BorderWidth, &TForm::SetBorderWidth).Default(0);
b.Property("Caption", &TForm::Caption, &TForm::SetCaption).Stored(&TForm::IsCaptionStored);
b.Property("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight).Stored(&TForm::IsClientSizeStored);
b.Property("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth).Stored(&TForm::IsClientSizeStored);
b.Property("Color", &TForm::Color, &TForm::SetColor).Default(clBtnFace).Stored(&TForm::IsColorStored);
b.Property("TransparentColor", &TForm::TransparentColor, &TForm::SetTransparentColor).Default(false);
b.Property("TransparentColorValue", &TForm::TransparentColorValue, &TForm::SetTransparentColorValue)
    .Default(clBlack);
b.Property("Constraints", &TForm::Constraints, &TForm::SetConstraints);
b.Property("Ctl3D", &TForm::Ctl3D, &TForm::SetCtl3D).Default(true);
b.Property("DefaultMonitor", &TForm::DefaultMonitor, &TForm::SetDefaultMonitor).Default(dmActiveForm);
b.Property("DragKind", &TForm::DragKind, &TForm::SetDragKind).Default(dkDrag);
b.Property("DragMode", &TForm::DragMode, &TForm::SetDragMode).Default(dmManual);
b.Property("Enabled", &TForm::Enabled, &TForm::SetEnabled).Default(true);
b.Property("ParentFont", &TForm::ParentFont, &TForm::SetParentFont).Default(false);
b.Property("Font", &TForm::Font, &TForm::SetFont).Stored(&TForm::IsFontStored);
b.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
b.Property("HelpFile", &TForm::HelpFile, &TForm::SetHelpFile);
b.Property("HorzScrollBar", &TForm::HorzScrollBar, &TForm::SetHorzScrollBar);
b.Property("Icon", &TForm::Icon, &TForm::SetIcon).Stored(&TForm::IsIconStored);
b.Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(false);
b.Property("Menu", &TForm::Menu, &TForm::SetMenu);
b.Property("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder);
b.Property("ParentBiDiMode", &TForm::ParentBiDiMode, &TForm::SetParentBiDiMode).Default(true);
b.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
b.Property("PopupMenu", &TForm::PopupMenu, &TForm::SetPopupMenu);
b.Property("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
b.Property("PrintScale", &TForm::PrintScale, &TForm::SetPrintScale).Default(poProportional);
b.Property("Scaled", &TForm::Scaled, &TForm::SetScaled).Default(true);
b.Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight);
b.Property("ScreenSnap", &TForm::ScreenSnap, &TForm::SetScreenSnap).Default(false);
b.Property("ShowHint", &TForm::ShowHint, &TForm::SetShowHint).Stored(&TForm::IsShowHintStored);
b.Property("SnapBuffer", &TForm::SnapBuffer, &TForm::SetSnapBuffer).Default(10);
b.Property("VertScrollBar", &TForm::VertScrollBar, &TForm::SetVertScrollBar);
b.Property("Visible", &TForm::Visible, &TForm::SetVisible).Default(false);
b.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
b.Property("WindowMenu", &TForm::WindowMenu, &TForm::SetWindowMenu);
b.Property("OnActivate", &TForm::OnActivate, &TForm::SetOnActivate);
b.Property("OnCanResize", &TForm::OnCanResize, &TForm::SetOnCanResize);
b.Property("OnClick", &TForm::OnClick, &TForm::SetOnClick).Stored(&TForm::IsOnClickStored);
b.Property("OnClose", &TForm::OnClose, &TForm::SetOnClose);
b.Property("OnCloseQuery", &TForm::OnCloseQuery, &TForm::SetOnCloseQuery);
b.Property("OnConstrainedResize", &TForm::OnConstrainedResize, &TForm::SetOnConstrainedResize);
b.Property("OnContextPopup", &TForm::OnContextPopup, &TForm::SetOnContextPopup);
b.Property("OnCreate", &TForm::OnCreate, &TForm::SetOnCreate);
b.Property("OnDblClick", &TForm::OnDblClick, &TForm::SetOnDblClick);
b.Property("OnDestroy", &TForm::OnDestroy, &TForm::SetOnDestroy);
b.Property("OnDeactivate", &TForm::OnDeactivate, &TForm::SetOnDeactivate);
b.Property("OnHelp", &TForm::OnHelp, &TForm::SetOnHelp);
b.Property("OnHide", &TForm::OnHide, &TForm::SetOnHide);
b.Property("OnMouseWheelDown", &TForm::OnMouseWheelDown, &TForm::SetOnMouseWheelDown);
b.Property("OnMouseWheelUp", &TForm::OnMouseWheelUp, &TForm::SetOnMouseWheelUp);
b.Property("OnMouseWheel", &TForm::OnMouseWheel, &TForm::SetOnMouseWheel);
publishDragEvents(b);
publishKeyEvents(b);
publishMouseEvents(b);
b.Property("OnPaint", &TForm::OnPaint, &TForm::SetOnPaint);
b.Property("OnResize", &TForm::OnResize, &TForm::SetOnResize);
b.Property("OnShortCut", &TForm::OnShortCut, &TForm::SetOnShortCut);
b.Property("OnShow", &TForm::OnShow, &TForm::SetOnShow);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TMonitor)
RTL_IMPLEMENT_CLASS(TScreen)
RTL_BEGIN_CLASS(TApplication)
b.Property("HintColor", &TApplication::HintColor, &TApplication::SetHintColor).Default(clInfoBk);
b.Property("HintPause", &TApplication::HintPause, &TApplication::SetHintPause).Default(500);
b.Property("HintShortPause", &TApplication::HintShortPause, &TApplication::SetHintShortPause).Default(0);
b.Property("HintHidePause", &TApplication::HintHidePause, &TApplication::SetHintHidePause).Default(2500);
b.Property("ShowHint", &TApplication::ShowHint, &TApplication::SetShowHint).Default(true);
b.Property("Title", &TApplication::Title, &TApplication::SetTitle);
RTL_END_CLASS

// =======================================================================================
// Unit start and end
// =======================================================================================

namespace FormsUnit {

void Initialize() {
  Screen = new TScreen(nullptr);
  Application = new TApplication(nullptr);
  Application->SetShowHint(true);
  // Exceptions caught in the window procedures of other units reach the application's
  // handler, as those of the controls do.
  ApplicationHandleExceptionHook = [](const Exception& E) {
    if (!Application || dynamic_cast<const EAbort*>(&E)) return;
    if (Application->OnException()) Application->OnException()(Application, E);
    else Application->ShowException(E);
  };
  ActionApplicationHooks.ExecuteAction = [](TBasicAction* A) { return Application && Application->ExecuteAction(A); };
  ActionApplicationHooks.UpdateAction = [](TBasicAction* A) { return Application && Application->UpdateAction(A); };
  ActionApplicationHooks.DispatchExecute = [](TBasicAction* A) { return dispatchAction(CM_ACTIONEXECUTE, A); };
  ActionApplicationHooks.DispatchUpdate = [](TBasicAction* A) { return dispatchAction(CM_ACTIONUPDATE, A); };
  MenuHintHook = [](const std::string& Hint) {
    if (Application) Application->SetHint(GetLongHint(Hint));
  };
  RegisterFindGlobalComponentProc(findGlobalForm);
  RegisterClasses({TForm::StaticClass(), TFrame::StaticClass(), TScrollBox::StaticClass()});
}

void Finalize() {
  UnRegisterClass(TScrollBox::StaticClass());
  UnRegisterClass(TFrame::StaticClass());
  UnRegisterClass(TForm::StaticClass());
  UnregisterFindGlobalComponentProc(findGlobalForm);
  MenuHintHook = nullptr;
  ActionApplicationHooks = TActionApplicationHooks();
  ApplicationHandleExceptionHook = nullptr;
  setMessageBoxHook(nullptr);
  delete Application;
  Application = nullptr;
  delete Screen;
  Screen = nullptr;
}

}  // namespace FormsUnit
