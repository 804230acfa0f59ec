#pragma once
// Forms: the windows of the program and the objects that run it.
//
// Sections, in order:
//   scrolling          TControlScrollBar, TScrollingWinControl, TScrollBox
//   frames             TCustomFrame, TFrame
//   forms              TCustomForm, TForm, GetParentForm, ValidParentForm
//   screen             TMonitor, TScreen and the global Screen
//   application        TApplication and the global Application
//
// A form class with a stored description reads it when it is built: the RCDATA resource
// named after the class (InitInheritedComponent) is read in AfterConstruction, so build
// forms with New<T>(owner), a class reference, or Application->CreateForm. CreateNew (the
// constructor with a second, Integer, argument) builds a form without reading anything.
//
// The message loop is the application's: Run, HandleMessage and ProcessMessages take each
// message through OnMessage, the hint window, keyboard routing (CN_KEYDOWN ... to the
// focused control before the window sees the key) and MDI accelerators before
// dispatching it. When the queue is empty the application is idle: it tracks the control
// under the mouse (CM_MOUSEENTER / CM_MOUSELEAVE), updates the hint and the actions, and
// calls OnIdle.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/Classes.h"

class TCustomForm;
class TForm;
class TMonitor;
class TScreen;
class TApplication;
class TScrollingWinControl;

// =======================================================================================
// Scrolling
// =======================================================================================

RTL_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)
RTL_ENUM(TScrollBarKind, sbHorizontal, sbVertical)
RTL_ENUM(TScrollBarStyle, ssRegular, ssFlat, ssHotTrack)
using TScrollBarInc = Integer;  // 1 .. 32767

// One scroll bar of a scrolling container. Range is the extent of the scrolled content;
// the bar shows while Range exceeds the client size (and Visible). Position is the
// scrolled distance, 0 .. Range - client size; changing it moves the content.
class TControlScrollBar : public TPersistent {
  RTL_DECLARE_CLASS(TControlScrollBar, TPersistent)
public:
  TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind);

  void Assign(TPersistent* Source) override;
  // Whether the bar is showing now.
  bool IsScrollBarVisible();
  TScrollBarKind Kind() const { return kind_; }
  // The position the window's scroll bar shows.
  Integer ScrollPos();

  TScrollBarInc ButtonSize() const { return buttonSize_; }
  void SetButtonSize(TScrollBarInc Value) { buttonSize_ = Value; }
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TScrollBarInc Increment() const { return increment_; }
  void SetIncrement(TScrollBarInc Value) { increment_ = Value; }
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  Integer Position() const { return position_; }
  void SetPosition(Integer Value);
  Integer Range() const { return range_; }
  void SetRange(Integer Value);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool Value) { smooth_ = Value; }
  Integer Size() const { return size_; }
  void SetSize(Integer Value) { size_ = Value; }
  TScrollBarStyle Style() const { return style_; }
  void SetStyle(TScrollBarStyle Value) { style_ = Value; }
  Integer ThumbSize() const { return thumbSize_; }
  void SetThumbSize(Integer Value) { thumbSize_ = Value; }
  bool Tracking() const { return tracking_; }
  void SetTracking(bool Value) { tracking_ = Value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  bool IsIncrementStored() const { return !smooth_; }
  bool IsRangeStored() const;

private:
  friend class TScrollingWinControl;
  Integer controlSize(bool ControlSB, bool AssumeSB);
  void calcAutoRange();
  void doSetRange(Integer Value);
  void scrollMessage(TWMScroll& Msg);
  bool needsScrollBarVisible();
  void update(bool ControlSB, bool AssumeSB);

  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  TScrollBarInc increment_ = 8;
  TScrollBarInc buttonSize_ = 0;
  TColor color_ = clBtnHighlight;
  bool parentColor_ = true;
  Integer margin_ = 0;
  Integer position_ = 0;
  Integer range_ = 0;
  Integer calcRange_ = 0;
  bool smooth_ = false;
  Integer size_ = 0;
  TScrollBarStyle style_ = ssRegular;
  Integer thumbSize_ = 0;
  bool tracking_ = false;
  bool visible_ = true;
  bool updateNeeded_ = true;
};

// A container that scrolls its content with its two scroll bars; with AutoScroll the bars'
// ranges follow the children's extent.
class TScrollingWinControl : public TWinControl {
  RTL_DECLARE_CLASS(TScrollingWinControl, TWinControl)
public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;

  // Scrolls so that AControl (a descendant) is inside the client area.
  void ScrollInView(TControl* AControl);
  void DisableAutoRange();
  void EnableAutoRange();

  bool AutoScroll() const { return autoScroll_; }
  virtual void SetAutoScroll(bool Value);
  TControlScrollBar* HorzScrollBar() const { return horzScrollBar_; }
  void SetHorzScrollBar(TControlScrollBar* Value) { horzScrollBar_->Assign(Value); }
  TControlScrollBar* VertScrollBar() const { return vertScrollBar_; }
  void SetVertScrollBar(TControlScrollBar* Value) { vertScrollBar_->Assign(Value); }

  // Message handlers (public for the message map).
  void WMSize(TWMSize& Message);
  void WMHScroll(TWMScroll& Message);
  void WMVScroll(TWMScroll& Message);
  void CMBiDiModeChanged(TMessage& Message);

protected:
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& ARect) override;
  void AutoScrollInView(TControl* AControl);
  void ChangeScale(Integer M, Integer D) override;
  void CreateWnd() override;
  // Recomputes the scroll bars' ranges from the children (AutoScroll).
  void CalcAutoRange();
  void UpdateScrollBars();

private:
  friend class TControlScrollBar;
  friend class TCustomForm;
  TControlScrollBar* horzScrollBar_;
  TControlScrollBar* vertScrollBar_;
  bool autoScroll_ = true;
  Integer autoRangeCount_ = 0;
  bool updatingScrollBars_ = false;
};

// A bordered box whose content scrolls.
class TScrollBox : public TScrollingWinControl {
  RTL_DECLARE_CLASS(TScrollBox, TScrollingWinControl)
public:
  explicit TScrollBox(TComponent* AOwner);

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  TBorderStyle borderStyle_ = bsSingle;
};

// =======================================================================================
// Frames
// =======================================================================================

// A reusable group of controls with its own stored description (read, like a form's, from
// the RCDATA resource named after the class in AfterConstruction), placed on forms.
class TCustomFrame : public TScrollingWinControl {
  RTL_DECLARE_CLASS(TCustomFrame, TScrollingWinControl)
public:
  explicit TCustomFrame(TComponent* AOwner);
  void AfterConstruction() override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
};

class TFrame : public TCustomFrame {
  RTL_DECLARE_CLASS(TFrame, TCustomFrame)
public:
  explicit TFrame(TComponent* AOwner) : TCustomFrame(AOwner) {}
};

// =======================================================================================
// Forms
// =======================================================================================

RTL_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
RTL_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = Set<TBorderIcon>;
RTL_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
         poMainFormCenter, poOwnerFormCenter)
RTL_ENUM(TDefaultMonitor, dmDesktop, dmPrimary, dmMainForm, dmActiveForm)
RTL_ENUM(TPrintScale, poNone, poProportional, poPrintToFit)
RTL_ENUM(TShowAction, saIgnore, saRestore, saMinimize, saMaximize)
RTL_ENUM(TTileMode, tbHorizontal, tbVertical)
RTL_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)
RTL_ENUM(TFormStateItem, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated)
using TFormState = Set<TFormStateItem>;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = TEvent<void(TWMKey& Msg, bool& Handled)>;
using THelpEvent = TEvent<bool(Word Command, NativeInt Data, bool& CallHelp)>;

// The form designer's view of a form. No designer runs inside the program: Designer() is
// always null there, and code that reports changes to a designer checks for one first.
class IDesignerHook {
public:
  virtual ~IDesignerHook() = default;
  virtual void Modified() = 0;
  virtual void SelectComponent(TPersistent* Instance) = 0;
  virtual bool IsDesignMsg(TControl* Sender, TMessage& Message) = 0;
};

// A top-level window of the program (or an MDI child, or a form placed on another control).
//
// Visible is false until Show or ShowModal. Showing a form positions it (Position) and
// fires OnShow; hiding fires OnHide. Activating it fires OnActivate and focuses
// ActiveControl (the first control in tab order when none is set). Close asks
// OnCloseQuery, then OnClose decides with its action: caHide hides, caFree frees the form
// later (Release), caMinimize minimizes, caNone keeps it; closing the main form ends the
// application. ShowModal runs its own message loop, with the program's other windows
// disabled, until ModalResult is set (a button's ModalResult, Close, or code), and returns
// it. Focus moves between the form's controls with CM_EXIT / CM_ENTER (OnExit, OnEnter) in
// the order of the parent chain, then CM_FOCUSCHANGED.
class TCustomForm : public TScrollingWinControl {
  RTL_DECLARE_CLASS(TCustomForm, TScrollingWinControl)
public:
  // Builds the form; AfterConstruction reads its stored description and fires OnCreate.
  explicit TCustomForm(TComponent* AOwner);
  // CreateNew: a form without a stored description.
  TCustomForm(TComponent* AOwner, Integer Dummy);
  // CreateNew as a call: TForm::CreateNew(nullptr), or CreateNew<TMyForm>(owner) for a form
  // class with the same two-argument constructor.
  template <class F = TForm> static F* CreateNew(TComponent* AOwner) { return New<F>(AOwner, 0); }
  ~TCustomForm() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // --- Showing and closing.
  void Show();
  void Hide() { SetVisible(false); }
  virtual Integer ShowModal();
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages now queued are handled (CM_RELEASE).
  void Release();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  void SetVisible(bool Value) override;

  // --- Focus.
  bool Active() const { return active_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  // EInvalidOperation "Cannot focus a disabled or invisible window" when Control cannot
  // take the focus (or is not on this form).
  void SetActiveControl(TWinControl* Control);
  void SetFocus() override;
  // Makes Control the active control and activates the form.
  void FocusControl(TWinControl* Control);
  // Moves the focus off Control (Removing: off it and its descendants, which go away).
  void DefocusControl(TWinControl* Control, bool Removing);
  // The focus arrived at Control (from WM_SETFOCUS): CM_EXIT / CM_ENTER along the parent
  // chains, CM_FOCUSCHANGED, the screen's active form and control. False when a handler
  // moved the focus elsewhere meanwhile.
  virtual bool SetFocusedControl(TWinControl* Control);
  // Ends the mouse action of the active control (CM_CANCELMODE).
  void SendCancelMode(TControl* Sender);

  // --- Keyboard.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool Value) { keyPreview_ = Value; }
  // OnShortCut, then the main menu's shortcuts.
  virtual bool IsShortCut(TWMKey& Message);
  // Whether the form takes a key meant for Child (the designer's hook); false here.
  virtual bool WantChildKey(TControl* Child, TMessage& Message);
  void MouseWheelHandler(TMessage& Message) override;

  // --- Window.
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState Value);
  TDefaultMonitor DefaultMonitor() const { return defaultMonitor_; }
  void SetDefaultMonitor(TDefaultMonitor Value) { defaultMonitor_ = Value; }
  TMonitor* Monitor();
  // Moves the form onto AMonitor's work area (its own monitor when null) when it sticks
  // out.
  void MakeFullyVisible(TMonitor* AMonitor = nullptr);
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool Value);
  Byte AlphaBlendValue() const { return alphaBlendValue_; }
  void SetAlphaBlendValue(Byte Value);
  bool TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(bool Value);
  TColor TransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TColor Value);
  TIcon* Icon() const { return icon_; }
  void SetIcon(TIcon* Value) { icon_->Assign(Value); }
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* Value);
  TCanvas* Canvas() const { return canvas_.get(); }
  // An image of the client area as it shows now.
  TBitmap* GetFormImage();
  TFormState FormState() const { return formState_; }

  // --- Scaling (forms keep their designed size: nothing is rescaled when read).
  // The height of a line of text in the form's font (stored with the form; with scaling
  // off it changes nothing).
  Integer TextHeight() const;
  void SetTextHeight(Integer Value) { textHeight_ = Value; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool Value) { scaled_ = Value; }
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer Value);
  TPrintScale PrintScale() const { return printScale_; }
  void SetPrintScale(TPrintScale Value) { printScale_ = Value; }
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool Value) { oldCreateOrder_ = Value; }
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& Value) { helpFile_ = Value; }
  bool ScreenSnap() const { return screenSnap_; }
  void SetScreenSnap(bool Value) { screenSnap_ = Value; }
  Integer SnapBuffer() const { return snapBuffer_; }
  void SetSnapBuffer(Integer Value) { snapBuffer_ = Value; }
  IDesignerHook* Designer() const { return designer_; }
  void SetDesigner(IDesignerHook* Value) { designer_ = Value; }

  // --- MDI.
  HWND ClientHandle() const { return clientHandle_; }
  TForm* ActiveMDIChild();
  Integer MDIChildCount();
  TForm* MDIChildren(Integer I);
  TMenuItem* WindowMenu() const { return windowMenu_; }
  void SetWindowMenu(TMenuItem* Value) { windowMenu_ = Value; }
  TTileMode TileMode() const { return tileMode_; }
  void SetTileMode(TTileMode Value) { tileMode_ = Value; }
  void ArrangeIcons();
  void Cascade();
  void Tile();
  void Next();
  void Previous();

  // Updates the actions of the form's controls and main menu (idle time).
  void UpdateActions();
  HWND GetParentHandle() override;
  // Client size from a stored description (applied when the form is loaded).
  void SetClientWidth(Integer Value);
  void SetClientHeight(Integer Value);

  // --- Events.
  const TNotifyEvent& OnActivate() const { return onActivate_; }
  void SetOnActivate(const TNotifyEvent& Value) { onActivate_ = Value; }
  const TCloseEvent& OnClose() const { return onClose_; }
  void SetOnClose(const TCloseEvent& Value) { onClose_ = Value; }
  const TCloseQueryEvent& OnCloseQuery() const { return onCloseQuery_; }
  void SetOnCloseQuery(const TCloseQueryEvent& Value) { onCloseQuery_ = Value; }
  const TNotifyEvent& OnCreate() const { return onCreate_; }
  void SetOnCreate(const TNotifyEvent& Value) { onCreate_ = Value; }
  const TNotifyEvent& OnDeactivate() const { return onDeactivate_; }
  void SetOnDeactivate(const TNotifyEvent& Value) { onDeactivate_ = Value; }
  const TNotifyEvent& OnDestroy() const { return onDestroy_; }
  void SetOnDestroy(const TNotifyEvent& Value) { onDestroy_ = Value; }
  const THelpEvent& OnHelp() const { return onHelp_; }
  void SetOnHelp(const THelpEvent& Value) { onHelp_ = Value; }
  const TNotifyEvent& OnHide() const { return onHide_; }
  void SetOnHide(const TNotifyEvent& Value) { onHide_ = Value; }
  const TNotifyEvent& OnPaint() const { return onPaint_; }
  void SetOnPaint(const TNotifyEvent& Value) { onPaint_ = Value; }
  const TShortCutEvent& OnShortCut() const { return onShortCut_; }
  void SetOnShortCut(const TShortCutEvent& Value) { onShortCut_ = Value; }
  const TNotifyEvent& OnShow() const { return onShow_; }
  void SetOnShow(const TNotifyEvent& Value) { onShow_ = Value; }

  // Component model.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void DefaultHandler(TMessage& Message) override;

  // Stored predicates.
  bool IsClientSizeStored() const { return !IsFormSizeStored(); }
  bool IsFormSizeStored() const;
  bool IsIconStored() const { return !icon_->Empty(); }

  // Message handlers (public for the message map).
  void WMActivate(TWMActivate& Message);
  void WMClose(TWMClose& Message);
  void WMQueryEndSession(TMessage& Message);
  void WMSysCommand(TWMSysCommand& Message);
  void WMCommand(TWMCommand& Message);
  void WMInitMenuPopup(TMessage& Message);
  void WMMenuChar(TMessage& Message);
  void WMMenuSelect(TMessage& Message);
  void WMMeasureItem(TWMMeasureItem& Message);
  void WMDrawItem(TWMDrawItem& Message);
  void WMGetMinMaxInfo(TWMGetMinMaxInfo& Message);
  void WMPaint(TWMPaint& Message);
  void WMDestroy(TWMDestroy& Message);
  void WMSize(TWMSize& Message);
  void WMMDIActivate(TMessage& Message);
  void WMNextDlgCtl(TMessage& Message);
  void WMHelp(TMessage& Message);
  void CMActivate(TCMActivate& Message);
  void CMDeactivate(TCMDeactivate& Message);
  void CMDialogKey(TCMDialogKey& Message);
  void CMShowingChanged(TMessage& Message);
  void CMIconChanged(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMIsShortCut(TMessage& Message);
  void CMActionExecute(TMessage& Message);
  void CMActionUpdate(TMessage& Message);

protected:
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoHide();
  virtual void DoShow();
  virtual void Paint();
  void PaintWindow(HDC DC) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void DestroyWindowHandle() override;
  void WndProc(TMessage& Message) override;
  TRect GetClientRect() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetParent(TWinControl* AParent) override;
  void VisibleChanging() override;
  // Runs the close protocol for a modal form whose ModalResult was set.
  void CloseModal();
  void SetWindowToMonitor();

private:
  friend class TApplication;
  friend class TScreen;
  void initializeNew();
  // CM_ACTIONEXECUTE / CM_ACTIONUPDATE: the active control, the form, then every visible
  // control of a showing container gets Offer(action); true at the first that takes it.
  bool offerAction(TBasicAction* Action, bool (TControl::*Offer)(TBasicAction*));
  void CMIconChangedNotify(TObject* Sender);
  void setActive(bool Value);
  void setWindowFocus();
  void applyLayering();
  void applyIcon();
  bool isMainForm() const;

  bool createNew_ = false;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  bool active_ = false;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TDefaultMonitor defaultMonitor_ = dmActiveForm;
  TModalResult modalResult_ = mrNone;
  bool keyPreview_ = false;
  bool alphaBlend_ = false;
  Byte alphaBlendValue_ = 255;
  bool transparentColor_ = false;
  TColor transparentColorValue_ = clBlack;
  TIcon* icon_;
  TMainMenu* menu_ = nullptr;
  TOwnedControlCanvas canvas_;
  TFormState formState_;
  bool scaled_ = true;
  Integer pixelsPerInch_ = 96;
  Integer textHeight_ = 0;
  TPrintScale printScale_ = poProportional;
  bool oldCreateOrder_ = false;
  std::string helpFile_;
  bool screenSnap_ = false;
  Integer snapBuffer_ = 10;
  IDesignerHook* designer_ = nullptr;
  HWND clientHandle_ = nullptr;
  WNDPROC defClientProc_ = nullptr;
  TMenuItem* windowMenu_ = nullptr;
  TTileMode tileMode_ = tbHorizontal;
  Integer clientWidth_ = 0;
  Integer clientHeight_ = 0;
  TNotifyEvent onActivate_;
  TCloseEvent onClose_;
  TCloseQueryEvent onCloseQuery_;
  TNotifyEvent onCreate_;
  TNotifyEvent onDeactivate_;
  TNotifyEvent onDestroy_;
  THelpEvent onHelp_;
  TNotifyEvent onHide_;
  TNotifyEvent onPaint_;
  TShortCutEvent onShortCut_;
  TNotifyEvent onShow_;
};

// The form a form description names; publishes the form's properties.
class TForm : public TCustomForm {
  RTL_DECLARE_CLASS(TForm, TCustomForm)
public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  TForm(TComponent* AOwner, Integer Dummy) : TCustomForm(AOwner, Dummy) {}
};

// The form at the top of Control's parent chain; null when that is not a form.
TCustomForm* GetParentForm(TControl* Control);
// The same, raising EInvalidOperation "Control 'X' has no parent window" when there is none.
TCustomForm* ValidParentForm(TControl* Control);

// Disables every enabled, visible top-level window of the thread except ActiveWindow (for
// modal loops); EnableTaskWindows enables them again.
using TTaskWindowList = std::vector<HWND>;
TTaskWindowList DisableTaskWindows(HWND ActiveWindow);
void EnableTaskWindows(const TTaskWindowList& WindowList);

// =======================================================================================
// Screen
// =======================================================================================

RTL_ENUM(TMonitorDefaultTo, mdNearest, mdNull, mdPrimary)

// One display of the desktop.
class TMonitor : public TObject {
  RTL_DECLARE_CLASS(TMonitor, TObject)
public:
  TMonitor(HMONITOR AHandle, Integer AMonitorNum) : handle_(AHandle), monitorNum_(AMonitorNum) {}

  HMONITOR Handle() const { return handle_; }
  Integer MonitorNum() const { return monitorNum_; }
  TRect BoundsRect() const;
  TRect WorkareaRect() const;
  Integer Left() const { return BoundsRect().left; }
  Integer Top() const { return BoundsRect().top; }
  Integer Width() const { return RectWidth(BoundsRect()); }
  Integer Height() const { return RectHeight(BoundsRect()); }
  bool Primary() const;

private:
  HMONITOR handle_;
  Integer monitorNum_;
};

// The desktop, its monitors and fonts, the cursors the program uses, and its forms in
// z-order of activation (the active one first).
class TScreen : public TComponent {
  RTL_DECLARE_CLASS(TScreen, TComponent)
public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // --- Geometry.
  Integer Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  Integer Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  TRect DesktopRect() const;
  Integer DesktopLeft() const { return GetSystemMetrics(SM_XVIRTUALSCREEN); }
  Integer DesktopTop() const { return GetSystemMetrics(SM_YVIRTUALSCREEN); }
  Integer DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  Integer DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }
  TRect WorkAreaRect() const;
  Integer WorkAreaLeft() const { return WorkAreaRect().left; }
  Integer WorkAreaTop() const { return WorkAreaRect().top; }
  Integer WorkAreaWidth() const { return RectWidth(WorkAreaRect()); }
  Integer WorkAreaHeight() const { return RectHeight(WorkAreaRect()); }

  // --- Monitors.
  Integer MonitorCount();
  TMonitor* Monitors(Integer Index);
  TMonitor* PrimaryMonitor();
  TMonitor* MonitorFromPoint(const TPoint& Point, TMonitorDefaultTo MonitorDefault = mdNearest);
  TMonitor* MonitorFromRect(const TRect& Rect, TMonitorDefaultTo MonitorDefault = mdNearest);
  TMonitor* MonitorFromWindow(HWND Handle, TMonitorDefaultTo MonitorDefault = mdNearest);

  // --- Cursors. Cursor overrides every control's cursor while it is not crDefault.
  // Cursors(id) is the cursor of an id (the default arrow for an unknown id); setting a
  // handle registers it (the screen destroys it at the end), setting null forgets it.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  HCURSOR Cursors(Integer Index) const;
  void SetCursors(Integer Index, HCURSOR Handle);
  // Counts SetCursor calls (a modal loop restores the cursor only when nobody set it).
  Integer CursorCount() const { return cursorCount_; }

  // --- Forms.
  // The forms of class TForm (and descendants) among CustomForms, in the same order.
  Integer FormCount() const;
  TForm* Forms(Integer Index) const;
  Integer CustomFormCount() const { return static_cast<Integer>(customForms_.size()); }
  TCustomForm* CustomForms(Integer Index) const;
  TForm* ActiveForm() const { return activeForm_; }
  TCustomForm* ActiveCustomForm() const { return activeCustomForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  TCustomForm* FocusedForm() const { return focusedForm_; }
  void SetFocusedForm(TCustomForm* Value) { focusedForm_ = Value; }
  std::vector<TCustomForm*>& SaveFocusedList() { return saveFocusedList_; }

  // --- Fonts.
  TFont* HintFont() const { return hintFont_; }
  void SetHintFont(TFont* Value) { hintFont_->Assign(Value); }
  TFont* IconFont() const { return iconFont_; }
  void SetIconFont(TFont* Value) { iconFont_->Assign(Value); }
  TFont* MenuFont() const { return menuFont_; }
  void SetMenuFont(TFont* Value) { menuFont_->Assign(Value); }
  // The names of the installed font families, sorted.
  TStrings* Fonts();
  // Reads the system's fonts again (after WM_SETTINGCHANGE).
  void ResetFonts();
  HKL DefaultKbLayout() const { return defaultKbLayout_; }

  const TNotifyEvent& OnActiveControlChange() const { return onActiveControlChange_; }
  void SetOnActiveControlChange(const TNotifyEvent& Value) { onActiveControlChange_ = Value; }
  const TNotifyEvent& OnActiveFormChange() const { return onActiveFormChange_; }
  void SetOnActiveFormChange(const TNotifyEvent& Value) { onActiveFormChange_ = Value; }

private:
  friend class TCustomForm;
  friend class TApplication;
  void addForm(TCustomForm* AForm);
  void removeForm(TCustomForm* AForm);
  void moveToFront(TCustomForm* AForm);
  void updateLastActive();
  void enumMonitors();
  void loadSystemFonts();

  Integer pixelsPerInch_ = 96;
  TCursor cursor_ = crDefault;
  Integer cursorCount_ = 0;
  std::vector<std::pair<Integer, HCURSOR>> cursors_;  // registered cursors
  HCURSOR defaultCursor_ = nullptr;
  std::vector<TCustomForm*> customForms_;
  std::vector<TCustomForm*> saveFocusedList_;
  std::vector<TMonitor*> monitors_;
  TForm* activeForm_ = nullptr;
  TCustomForm* activeCustomForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TCustomForm* focusedForm_ = nullptr;
  TCustomForm* lastActiveCustomForm_ = nullptr;
  TWinControl* lastActiveControl_ = nullptr;
  TFont* hintFont_;
  TFont* iconFont_;
  TFont* menuFont_;
  TStringList* fonts_ = nullptr;
  HKL defaultKbLayout_ = nullptr;
  TNotifyEvent onActiveControlChange_;
  TNotifyEvent onActiveFormChange_;
};

extern TScreen* Screen;

// =======================================================================================
// Application
// =======================================================================================

using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
using TExceptionEvent = TEvent<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TShowHintEvent = TEvent<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The program: its message loop, its main form, exception display, hints and help.
//
// HandleException is called inside a catch block (the exception being handled is the one
// shown): EAbort is silent, OnException gets the others when assigned, else ShowException
// shows the message in a box titled with Title.
class TApplication : public TComponent {
  RTL_DECLARE_CLASS(TApplication, TComponent)
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Starts COM for the thread (apartment model, as the data access components need).
  void Initialize();
  // Builds a form of the class (stored description, OnCreate) owned by the application and
  // sets Reference to it; the first form built becomes the main form.
  void CreateForm(TClass InstanceClass, void* Reference);
  template <class T> void CreateForm(T*& Reference) {
    Reference = nullptr;
    T* instance = new T(this);
    Reference = instance;
    try {
      instance->AfterConstruction();
    } catch (...) {
      Reference = nullptr;
      delete instance;
      throw;
    }
    adoptMainForm(instance);
  }
  // Shows the main form and handles messages until Terminate.
  void Run();
  // Handles every message waiting in the queue, then returns. A call that comes less than a
  // few milliseconds after one that found the queue empty returns at once without asking:
  // each look at the queue is a request to the window server, and a long task that calls
  // this after every small step would otherwise make thousands of them that find nothing.
  // Input still gets through within those few milliseconds; a form's Release makes the next
  // call look again, so Release followed by ProcessMessages still frees the form.
  void ProcessMessages();
  // Handles one message; when there is none, does the idle work and waits for one.
  void HandleMessage();
  // Ends Run (posts WM_QUIT).
  void Terminate();
  bool Terminated() const { return terminated_; }

  // --- Exceptions.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  const TExceptionEvent& OnException() const { return onException_; }
  void SetOnException(const TExceptionEvent& Value) { onException_ = Value; }

  // --- Message boxes.
  // MessageBoxA over the active window with the other windows disabled; Caption null: the
  // application's Title.
  Integer MessageBox(const std::string& Text, const char* Caption = nullptr, Integer Flags = MB_OK);
  Integer MessageBox(const std::string& Text, const std::string& Caption, Integer Flags = MB_OK) {
    return MessageBox(Text, Caption.c_str(), Flags);
  }

  // --- Main form and window.
  TForm* MainForm() const { return mainForm_; }
  // The hidden application window (owner of the forms' windows and of the hint window).
  HWND Handle() const { return handle_; }
  std::string Title() const;
  void SetTitle(const std::string& Value);
  std::string ExeName() const;
  bool Active() const { return active_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool Value) { showMainForm_ = Value; }
  bool MainFormOnTaskBar() const { return true; }
  TIcon* Icon() const { return icon_; }
  void SetIcon(TIcon* Value) { icon_->Assign(Value); }
  void BringToFront();
  void Minimize();
  void Restore();
  void NormalizeTopMosts();
  void RestoreTopMosts();
  // The form whose window is active, or the main form.
  HWND ActiveFormHandle();
  void ModalStarted();
  void ModalFinished();
  const TNotifyEvent& OnModalBegin() const { return onModalBegin_; }
  void SetOnModalBegin(const TNotifyEvent& Value) { onModalBegin_ = Value; }
  const TNotifyEvent& OnModalEnd() const { return onModalEnd_; }
  void SetOnModalEnd(const TNotifyEvent& Value) { onModalEnd_ = Value; }

  // --- Hints.
  const std::string& Hint() const { return hint_; }
  // Fires OnHint when the text changes.
  void SetHint(const std::string& Value);
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor Value);
  Integer HintPause() const { return hintPause_; }
  void SetHintPause(Integer Value) { hintPause_ = Value; }
  Integer HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(Integer Value) { hintShortPause_ = Value; }
  Integer HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(Integer Value) { hintHidePause_ = Value; }
  bool HintShortCuts() const { return hintShortCuts_; }
  void SetHintShortCuts(bool Value) { hintShortCuts_ = Value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  THintWindowClass HintWindowClass() const { return hintWindowClass_; }
  void SetHintWindowClass(THintWindowClass Value) { hintWindowClass_ = Value; }
  // Shows the hint of the control under CursorPos (screen coordinates) now.
  void ActivateHint(const TPoint& CursorPos);
  void CancelHint();
  void HideHint();
  // The hint window showing now (null when none).
  THintWindow* HintWindow() const { return hintWindow_; }
  // Called by controls for every mouse move: starts or stops the hint timer.
  void HintMouseMessage(TControl* Control, TMessage& Message);
  const TNotifyEvent& OnHint() const { return onHint_; }
  void SetOnHint(const TNotifyEvent& Value) { onHint_ = Value; }
  const TShowHintEvent& OnShowHint() const { return onShowHint_; }
  void SetOnShowHint(const TShowHintEvent& Value) { onShowHint_ = Value; }

  // --- Idle work and the mouse.
  // The work HandleMessage does when the queue is empty (mouse tracking, the hint, the
  // actions of the showing forms, OnIdle), without waiting for the next message.
  void DoApplicationIdle();
  // Sends CM_MOUSELEAVE to the control the mouse left and CM_MOUSEENTER to the one it is
  // over now (graphic or windowed); returns the control under the mouse.
  TControl* DoMouseIdle();
  // The control DoMouseIdle last found under the mouse.
  TControl* MouseControl() const { return mouseControl_; }
  // Forgets a control that goes away (controls call it from their destructor).
  void ControlDestroyed(TControl* Control);
  const TIdleEvent& OnIdle() const { return onIdle_; }
  void SetOnIdle(const TIdleEvent& Value) { onIdle_ = Value; }
  const TMessageEvent& OnMessage() const { return onMessage_; }
  void SetOnMessage(const TMessageEvent& Value) { onMessage_ = Value; }
  const TNotifyEvent& OnActivate() const { return onActivate_; }
  void SetOnActivate(const TNotifyEvent& Value) { onActivate_ = Value; }
  const TNotifyEvent& OnDeactivate() const { return onDeactivate_; }
  void SetOnDeactivate(const TNotifyEvent& Value) { onDeactivate_ = Value; }
  const TNotifyEvent& OnMinimize() const { return onMinimize_; }
  void SetOnMinimize(const TNotifyEvent& Value) { onMinimize_ = Value; }
  const TNotifyEvent& OnRestore() const { return onRestore_; }
  void SetOnRestore(const TNotifyEvent& Value) { onRestore_ = Value; }

  // --- Actions.
  bool ExecuteAction(TBasicAction* Action);
  bool UpdateAction(TBasicAction* Action);
  const TActionEvent& OnActionExecute() const { return onActionExecute_; }
  void SetOnActionExecute(const TActionEvent& Value) { onActionExecute_ = Value; }
  const TActionEvent& OnActionUpdate() const { return onActionUpdate_; }
  void SetOnActionUpdate(const TActionEvent& Value) { onActionUpdate_ = Value; }

  // --- Help.
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& Value) { helpFile_ = Value; }
  // Shows help for a context number / a command; false when there is no help file.
  bool HelpContext(THelpContext Context);
  bool HelpCommand(Integer Command, NativeInt Data);
  bool HelpKeyword(const std::string& Keyword);

  // --- Format settings.
  // Whether WM_SETTINGCHANGE re-reads the format settings from the locale.
  bool UpdateFormatSettings() const { return updateFormatSettings_; }
  void SetUpdateFormatSettings(bool Value) { updateFormatSettings_ = Value; }

  // Windows hooks on the application window's messages: Hook returns true to keep the
  // message from the application's own handling.
  using TWindowHook = std::function<bool(TMessage& Message)>;
  int HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(int Id);

private:
  friend class TCustomForm;
  void adoptMainForm(TComponent* Instance);
  bool ProcessMessage(MSG& Msg);
  void Idle(const MSG& Msg);
  bool idleWork();
  bool IsKeyMsg(MSG& Msg);
  bool IsHintMsg(const MSG& Msg);
  bool IsMDIMsg(const MSG& Msg);
  void WndProc(TMessage& Message);
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void createHandle();
  void startHintTimer(UINT Pause, bool ShowMode);
  void stopHintTimer();
  void hintTimerExpired();
  void setActive(bool Value);

  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;
  bool active_ = true;
  bool showMainForm_ = true;
  std::string title_;
  TIcon* icon_;
  bool comInitialized_ = false;
  bool updateFormatSettings_ = true;
  std::string helpFile_;
  Integer modalLevel_ = 0;

  std::string hint_;
  TColor hintColor_ = clInfoBk;
  Integer hintPause_ = 500;
  Integer hintShortPause_ = 0;
  Integer hintHidePause_ = 2500;
  bool hintShortCuts_ = true;
  bool showHint_ = false;
  bool hintActive_ = false;
  bool hintTimerShowMode_ = true;
  bool hintTimerRunning_ = false;
  THintWindowClass hintWindowClass_;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_{0, 0, 0, 0};
  TControl* mouseControl_ = nullptr;

  std::vector<std::pair<int, TWindowHook>> windowHooks_;
  int nextHookId_ = 1;

  TExceptionEvent onException_;
  TNotifyEvent onHint_;
  TShowHintEvent onShowHint_;
  TIdleEvent onIdle_;
  TMessageEvent onMessage_;
  TNotifyEvent onActivate_;
  TNotifyEvent onDeactivate_;
  TNotifyEvent onMinimize_;
  TNotifyEvent onRestore_;
  TNotifyEvent onModalBegin_;
  TNotifyEvent onModalEnd_;
  TActionEvent onActionExecute_;
  TActionEvent onActionUpdate_;
};

extern TApplication* Application;

// Replaces the message boxes of Application->MessageBox (and so of exception display) by
// Hook, which returns the button "pressed"; null puts the real boxes back. For tests and
// automation, which must not stop at a box nobody can close.
using TMessageBoxHook = std::function<Integer(const std::string& Text, const std::string& Caption, Integer Flags)>;
void setMessageBoxHook(TMessageBoxHook Hook);

namespace FormsUnit {
void Initialize();
void Finalize();
}  // namespace FormsUnit
