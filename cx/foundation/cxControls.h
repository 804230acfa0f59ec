#pragma once
// The base control of the component set's custom-drawn windowed controls, and the
// interaction services it shares with its neighbours:
//   - TcxControl: canvas wrapper, look-and-feel and painter, optional painted border, its
//     scroll-bar parameters, in-control drag and drop, font listeners, child components,
//     a context menu that may be any component implementing IcxPopupMenu, and destroy
//     guards that let message handlers notice that the control was freed while they ran;
//   - TcxDragAndDropObject (one in-control drag: moving or sizing something inside the
//     control), TcxDragControlObject and TcxDragImageList (the standard drag);
//   - cxDragDetect, the modal loop that decides whether a press became a drag;
//   - mouse-leave tracking (a 10 ms timer per tracked caller);
//   - the nested hourglass cursor and the cursors 2100 to 2113;
//   - TcxPopupWindow, the borderless stay-on-top form placed next to an owner rectangle.
//
// GUI thread only.
#include <windows.h>

#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TcxControl;
class TcxDragAndDropObject;

// ---------------------------------------------------------------------------------------
// Types.

RTL_ENUM(TcxControlBorderStyle, cxcbsNone, cxcbsDefault)
// The phase of an in-control drag: none, armed at mouse down (waiting for the threshold),
// running.
RTL_ENUM(TcxDragAndDropState, ddsNone, ddsStarting, ddsInProcess)
// The keys a control takes from the dialog manager.
RTL_ENUM(TcxKey, kAll, kArrows, kChars, kTab)
using TcxKeys = Set<TcxKey>;
RTL_ENUM(TcxMouseWheelScrollingKind, mwskNone, mwskHorizontal, mwskVertical)
RTL_ENUM(TcxDirection, dirNone, dirLeft, dirRight, dirUp, dirDown)

// The cursors the foundation registers in the screen's cursor table.
constexpr TCursor crcxDragCopy = static_cast<TCursor>(2100);
constexpr TCursor crcxFullScroll = static_cast<TCursor>(2101);
constexpr TCursor crcxHorScroll = static_cast<TCursor>(2102);
constexpr TCursor crcxVerScroll = static_cast<TCursor>(2103);
constexpr TCursor crcxUpScroll = static_cast<TCursor>(2104);
constexpr TCursor crcxRightScroll = static_cast<TCursor>(2105);
constexpr TCursor crcxDownScroll = static_cast<TCursor>(2106);
constexpr TCursor crcxLeftScroll = static_cast<TCursor>(2107);
constexpr TCursor crcxRemove = static_cast<TCursor>(2108);
constexpr TCursor crcxVertSize = static_cast<TCursor>(2109);
constexpr TCursor crcxHorzSize = static_cast<TCursor>(2110);
constexpr TCursor crcxMultiDrag = static_cast<TCursor>(2111);
constexpr TCursor crcxNoDrop = static_cast<TCursor>(2112);
constexpr TCursor crcxDrag = static_cast<TCursor>(2113);

// Told when a control's font changes (view styles listen to their control's font).
struct IcxFontListener : public IInterface {
  RTL_INTERFACE_ID(0xB144DD7E, 0x0B27, 0x439A, 0xB9, 0x08, 0xCC, 0x1C, 0x7C, 0x2B, 0x4E, 0x17)
  virtual void FontChanged(TObject* Sender, TFont* AFont) = 0;

protected:
  ~IcxFontListener() = default;
};

// An object holding the mouse inside a control; told when another object takes it.
struct IcxMouseCaptureObject : public IInterface {
  RTL_INTERFACE_ID(0xA6C56D1A, 0x5A4E, 0x4B6F, 0x8E, 0x1D, 0x35, 0x0C, 0x6B, 0x91, 0x2F, 0x44)
  virtual void CaptureLost() = 0;

protected:
  ~IcxMouseCaptureObject() = default;
};

// Lets components other than the class library's popup menu serve as a control's
// PopupMenu.
struct IcxPopupMenu : public IInterface {
  RTL_INTERFACE_ID(0x61EEDA7D, 0x88CC, 0x45BF, 0x8A, 0x00, 0x5C, 0x25, 0x17, 0x4D, 0x65, 0x01)
  // Screen coordinates.
  virtual void Popup(Integer X, Integer Y) = 0;

protected:
  ~IcxPopupMenu() = default;
};

// A caller of mouse-leave tracking.
struct IcxMouseTrackingCaller : public IInterface {
  RTL_INTERFACE_ID(0x84A4BCBE, 0xE001, 0x4D60, 0xB7, 0xA6, 0x75, 0xE9, 0x09, 0x27, 0x6E, 0x8D)
  virtual void MouseLeave() = 0;

protected:
  ~IcxMouseTrackingCaller() = default;
};

// A caller that decides itself whether a point (control client coordinates) is inside it.
struct IcxMouseTrackingCallerHitTest : public IcxMouseTrackingCaller {
  RTL_INTERFACE_ID(0x4A8F3B1E, 0x27C5, 0x4E0D, 0x9F, 0x55, 0x12, 0x6A, 0xB8, 0xE4, 0x01, 0x3C)
  virtual bool PtInCaller(const TPoint& P) = 0;

protected:
  ~IcxMouseTrackingCallerHitTest() = default;
};

// ---------------------------------------------------------------------------------------
// In-control drag and drop.

// One in-control drag operation. Descendants draw and erase their feedback in
// FeedbackChanged (FeedbackHidden says which) and act in EndDragAndDrop.
class TcxDragAndDropObject : public TObject {
  RTL_DECLARE_CLASS(TcxDragAndDropObject, TObject)
public:
  using TConstructorArg = TcxControl*;
  explicit TcxDragAndDropObject(TcxControl* AControl);
  TcxDragAndDropObject(const TcxDragAndDropObject&) = delete;
  TcxDragAndDropObject& operator=(const TcxDragAndDropObject&) = delete;

  TcxControl* Control() const { return FControl; }
  TcxCanvas* Canvas() const;
  bool FeedbackHidden() const { return FFeedbackHidden; }
  // Calls FeedbackChanged when the value changes.
  void SetFeedbackHidden(bool Value);
  TPoint CurrentPoint() const { return FCurrentPoint; }
  TPoint PreviousPoint() const { return FPreviousPoint; }

  // Both points become APoint, then BeginDragAndDrop.
  void Init(const TPoint& APoint);
  // Previous point := current, current := APoint, then DragAndDrop.
  void DoDragAndDrop(const TPoint& APoint, bool& Accepted);
  // HideFeedback, then EndDragAndDrop.
  void DoEndDragAndDrop(bool Accepted);

  virtual void FeedbackChanged() {}
  // crDrag when accepted, crNoDrop when not.
  virtual TCursor GetDragAndDropCursor(bool Accepted);
  // False: the drag waits for the drag threshold.
  virtual bool GetImmediateStart() { return false; }
  virtual void EndDragAndDrop(bool Accepted) {}
  virtual void BeginDragAndDrop();
  // Shows the feedback and sets the screen cursor for Accepted.
  virtual void DragAndDrop(const TPoint& P, bool& Accepted);
  virtual void HideFeedback() { SetFeedbackHidden(true); }
  void ShowFeedback() { SetFeedbackHidden(false); }

private:
  TcxControl* FControl;
  bool FFeedbackHidden = false;
  TPoint FCurrentPoint{-1, -1};
  TPoint FPreviousPoint{-1, -1};
};
using TcxDragAndDropObjectClass = TClass;

// The standard drag object of the set's controls: frees itself when the drag ends, and
// shows the copy cursor over an accepting target while Ctrl is down.
class TcxDragControlObject : public TDragControlObject {
  RTL_DECLARE_CLASS(TcxDragControlObject, TDragControlObject)
public:
  using TDragControlObject::TDragControlObject;
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
};

// The image list that carries the drag image of a standard drag.
class TcxDragImageList : public TDragImageList {
  RTL_DECLARE_CLASS(TcxDragImageList, TDragImageList)
public:
  using TDragImageList::TDragImageList;
};

// The pending parameters of one of the control's scroll bars.
struct TcxScrollBarData {
  Integer Min = 0;
  Integer Max = 100;
  Integer SmallChange = 1;
  Integer LargeChange = 1;
  Integer PageSize = 0;
  Integer Position = 0;
  bool Visible = false;
  bool Enabled = false;
};

// ---------------------------------------------------------------------------------------
// The base control.

class TcxControl : public TCustomControl {
  RTL_DECLARE_CLASS(TcxControl, TCustomControl)
public:
  explicit TcxControl(TComponent* AOwner);
  ~TcxControl() override;
  void BeforeDestruction() override;

  // --- Canvas, look-and-feel, painter.
  // The canvas wrapper while the window exists; before that a screen canvas (for
  // measuring), made once and kept until the window exists.
  TcxCanvas* GetCanvas();
  TcxCanvas* ControlCanvas() { return GetCanvas(); }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  // Copies the values (the control keeps its own look-and-feel object).
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  virtual TcxCustomLookAndFeelPainterClass GetPainter();
  TcxCustomLookAndFeelPainterClass LookAndFeelPainter() { return GetPainter(); }

  // --- Border, bounds.
  TcxControlBorderStyle BorderStyle() const { return FBorderStyle; }
  // A change re-lays the control out (BoundsChanged).
  void SetBorderStyle(TcxControlBorderStyle Value);
  virtual Integer GetBorderSize();
  // ExplicitBounds when set; else the client rectangle (window) or 0,0,Width,Height.
  virtual TRect GetBounds();
  // The bounds less the border on every side and less the visible scroll bars.
  virtual TRect GetClientBounds();
  TRect ExplicitBounds() const { return FExplicitBounds; }
  void SetExplicitBounds(const TRect& Value) { FExplicitBounds = Value; }
  TRect Bounds() { return GetBounds(); }
  TRect ClientBounds() { return GetClientBounds(); }

  // --- Scroll bars (their windows and the size grip belong to the control scroll-bar
  // module; here are the parameters and the visibility that the layout depends on).
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  // Sets the pending parameters of one bar: it may show only when ScrollBars allows its
  // kind; it is visible and enabled when AMax >= AMin, the page is smaller than the range
  // and the position is not below AMin; otherwise shown disabled when it may not hide,
  // else hidden.
  void SetScrollBarInfo(TScrollBarKind AScrollBarKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                        Integer APos, bool AAllowShow, bool AAllowHide);
  const TcxScrollBarData& ScrollBarData(TScrollBarKind AKind) const {
    return AKind == sbHorizontal ? FHScrollBarData : FVScrollBarData;
  }
  // While the parameters are being calculated, the pending visibility.
  virtual bool IsHScrollBarVisible();
  virtual bool IsVScrollBarVisible();
  virtual TRect GetHScrollBarBounds();
  virtual TRect GetVScrollBarBounds();
  virtual TRect GetSizeGripBounds();
  virtual bool HasScrollBars() { return true; }
  virtual bool IsPixelScrollBar(TScrollBarKind AKind) { return false; }
  // Asks InitScrollBarsParameters until the visibility of both bars settles, then applies
  // the result.
  virtual void UpdateScrollBars();
  virtual void InitScrollBars() {}
  virtual void InitScrollBarsParameters() {}
  virtual void SetScrollBarsBounds() {}
  // Called for scroll-bar, wheel and auto-scroll requests; APosition may be changed.
  virtual void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {}
  // One line in the direction (left and up scroll back, right and down forward).
  void ScrollInDirection(TcxDirection ADirection);
  virtual TcxMouseWheelScrollingKind GetMouseWheelScrollingKind();

  // --- Keys and focus.
  TcxKeys WantedKeys() const { return FWantedKeys; }
  void SetWantedKeys(TcxKeys Value) { FWantedKeys = Value; }
  virtual bool IsFocused() { return Focused(); }
  virtual bool CanFocusOnClick();
  virtual bool CanFocusOnChildClick() { return CanFocusOnClick(); }
  virtual bool CanFocusWithParentForm();
  virtual bool AcceptsFocus() { return true; }
  virtual bool AllowUnfocusedMouseDown() { return false; }
  const TNotifyEvent& OnFocusChanged() const { return FOnFocusChanged; }
  void SetOnFocusChanged(const TNotifyEvent& Value) { FOnFocusChanged = Value; }

  // --- Mouse.
  TPoint MouseDownPos() const { return FMouseDownPos; }
  TObject* MouseCaptureObject() const { return FMouseCaptureObject; }
  // The old holder is told CaptureLost; the window's capture follows the new value.
  void SetMouseCaptureObject(TObject* Value);
  bool IsWithinDragThreshold(Integer X, Integer Y);
  virtual bool IsMouseInPressedArea(Integer X, Integer Y);
  using TcxMouseEnterLeaveEvent = TEvent<void(TObject* Sender, TControl* AControl)>;
  const TcxMouseEnterLeaveEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(const TcxMouseEnterLeaveEvent& Value) { FOnMouseEnter = Value; }
  const TcxMouseEnterLeaveEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(const TcxMouseEnterLeaveEvent& Value) { FOnMouseLeave = Value; }
  // A point in client coordinates; the cursor position when none is given.
  void PostMouseMove();
  void PostMouseMove(const TPoint& P);

  // --- Popup menu: a TPopupMenu or any component implementing IcxPopupMenu.
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);

  // --- Font listeners.
  void AddFontListener(IcxFontListener* AListener);
  void RemoveFontListener(IcxFontListener* AListener);

  // --- Destroy guards: a caller that may see the control destroyed during a call stores
  // the control in a cell of its own and registers it; the cell becomes null when the
  // control is destroyed.
  void AddDestroyGuard(TcxControl** AGuard);
  void RemoveDestroyGuard(TcxControl** AGuard);

  // --- In-control drag and drop.
  TcxDragAndDropState DragAndDropState() const { return FDragAndDropState; }
  void SetDragAndDropState(TcxDragAndDropState Value);
  TcxDragAndDropObject* DragAndDropObject();
  TcxDragAndDropObject* GetDragAndDropObject() { return DragAndDropObject(); }
  TcxDragAndDropObjectClass DragAndDropObjectClass() const { return FDragAndDropObjectClass; }
  void SetDragAndDropObjectClass(TcxDragAndDropObjectClass Value) { FDragAndDropObjectClass = Value; }
  virtual TcxDragAndDropObjectClass GetDragAndDropObjectClass();
  // Ends a running drag (or disarms a pending one), then frees the drag object.
  void FinishDragAndDrop(bool Accepted);
  virtual bool StartDragAndDrop(const TPoint& P) { return false; }
  virtual void BeginDragAndDrop();
  virtual void DragAndDrop(const TPoint& P, bool& Accepted);
  virtual void EndDragAndDrop(bool Accepted);
  virtual bool CanBeginStandardDrag(Integer X, Integer Y) { return FDragAndDropState == ddsNone; }
  bool IsCopyDragDrop();

  // --- Standard drag.
  virtual TClass GetDragObjectClass();
  virtual bool StartDrag(TDragObject* ADragObject) { return true; }
  TDragImageList* GetDragImages() override;
  virtual TClass GetDragImagesClass();
  virtual TSize GetDragImagesSize() { return TSize{0, 0}; }
  virtual bool HasDragImages() { return false; }
  virtual void InitDragImages(TcxDragImageList* ADragImages);
  virtual void DrawDragImage(TcxCanvas* ACanvas, const TRect& R) {}
  void DoStartDrag(TDragObject*& DragObject) override;
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;

  // --- Child components streamed with the control.
  virtual void AddChildComponent(TComponent* AComponent);
  virtual void RemoveChildComponent(TComponent* AComponent);

  // --- States and helpers.
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  virtual bool IsDesigning() { return ComponentState().Contains(csDesigning); }
  void InvalidateArea(const TRect& R, bool AEraseBackground);
  // Design time only; nothing at run time.
  void NotifyDesignerModified() {}
  virtual bool ShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);

  // --- Hooks for descendants (public so neighbours of the control can call them).
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {}
  virtual void BoundsChanged() { UpdateScrollBars(); }
  virtual void FocusChanged();
  virtual void FontChanged();
  virtual void CancelMouseOperations() { SetMouseCaptureObject(nullptr); }
  virtual void MouseEnter(TControl* AControl);
  virtual void MouseLeave(TControl* AControl);
  virtual void AfterColorChange() {}
  virtual void AfterCursorChange() { FOwnCursor = Cursor(); }
  virtual void AfterTextChange() {}
  virtual void AfterVisibleChange() {}
  virtual void ParentBackgroundChanged() {}
  virtual bool NeedsEraseBackground() { return false; }
  virtual bool AllowDesignHitTest(const TPoint& P, TShiftState AShift) { return FDragAndDropState != ddsNone; }
  virtual bool AllowAutoDragAndDropAtDesignTime(Integer X, Integer Y, TShiftState AShift) { return true; }
  virtual TCursor GetCurrentCursor(Integer X, Integer Y) { return FOwnCursor; }
  virtual bool IsInternalControl(TControl* AControl) { return false; }
  // Middle-button auto-scrolling; the control scroll-bar module supplies it.
  virtual void ScrollByMiddleButton() {}

  // Message handlers (reached through the message map).
  void WMGetDlgCode(TMessage& Message);
  void WMContextMenu(TWMContextMenu& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMSetCursor(TWMSetCursor& Message);
  void WMCancelMode(TWMCancelMode& Message);
  void WMSize(TWMSize& Message);
  void WMPaint(TWMPaint& Message);
  void CMDesignHitTest(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMCursorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  // Remembers the standard drag object while it is over the control (see
  // cxCurrentDragObject).
  void CMDrag(TCMDrag& Message);

protected:
  void WndProc(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

  // After a button-down message: automatic standard drag start, middle-button scrolling.
  virtual void AfterMouseDown(TMouseButton AButton, Integer X, Integer Y);
  virtual void ProcessMouseDown(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y) {}
  virtual void ProcessMouseUp(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y);
  void UpdateCursor(Integer X, Integer Y);

private:
  void lookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
    LookAndFeelChanged(Sender, AChangedValues);
  }
  void prepareDragAndDrop(TMouseButton AButton, TShiftState AShift, Integer X, Integer Y);
  TPoint messagePoint(const TMessage& Message);
  void clearDestroyGuards();
  void freeScreenCanvas();

  TcxScreenCanvas* FScreenCanvas = nullptr;
  TcxControlBorderStyle FBorderStyle = cxcbsNone;
  bool FCalculatingScrollBarsParams = false;
  TcxCanvas* FCanvas = nullptr;
  TCursor FOwnCursor = crDefault;
  TcxDragAndDropObject* FDragAndDropObject = nullptr;
  TcxDragAndDropObjectClass FDragAndDropObjectClass = nullptr;
  TCursor FDragAndDropPrevCursor = crDefault;
  TcxDragAndDropState FDragAndDropState = ddsNone;
  TcxDragImageList* FDragImages = nullptr;
  bool FFinishingDragAndDrop = false;
  std::vector<IcxFontListener*> FFontListeners;
  TcxScrollBarData FHScrollBarData;
  bool FHScrollBarVisible = false;
  bool FVScrollBarVisible = false;
  TcxKeys FWantedKeys;
  std::vector<TcxControl**> FDestroyGuards;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  TObject* FMouseCaptureObject = nullptr;
  TPoint FMouseDownPos{-1, -1};
  TComponent* FPopupMenu = nullptr;
  TScrollStyle FScrollBars = ssBoth;
  bool FUpdatingScrollBars = false;
  TcxScrollBarData FVScrollBarData;
  bool FParentBackground = true;
  TPoint FLastMessagePoint{0, 0};
  bool FLargeClientCoordinates = false;
  TNotifyEvent FOnFocusChanged;
  TcxMouseEnterLeaveEvent FOnMouseEnter;
  TcxMouseEnterLeaveEvent FOnMouseLeave;
  TRect FExplicitBounds{0, 0, 0, 0};
};

// A component that belongs to a control and is streamed as its child.
class TcxControlChildComponent : public TcxComponent {
  RTL_DECLARE_CLASS(TcxControlChildComponent, TcxComponent)
public:
  explicit TcxControlChildComponent(TComponent* AOwner) : TcxComponent(AOwner) {}
  // With the control's owner as owner when AAssignOwner, else with none; then attached.
  static TcxControlChildComponent* CreateForControl(TcxControl* AControl, bool AAssignOwner = true,
                                                    TClass AClass = nullptr);
  ~TcxControlChildComponent() override;

  TcxControl* Control() const { return FControl; }
  virtual bool IsDestroying() { return ComponentState().Contains(csDestroying); }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  virtual void SetControl(TcxControl* Value) { FControl = Value; }
  TComponent* GetParentComponent() const override { return FControl; }
  bool HasParent() const override { return FControl != nullptr; }
  void SetParentComponent(TComponent* Value) override;

private:
  TcxControl* FControl = nullptr;
};

// ---------------------------------------------------------------------------------------
// Mouse-leave tracking.

// Checks every 10 ms whether the mouse left its bounds (or, for a hit-testing caller, the
// caller) and then tells the caller and ends the tracking.
class TMouseTrackingTimer : public TTimer {
  RTL_DECLARE_CLASS(TMouseTrackingTimer, TTimer)
public:
  TMouseTrackingTimer(IcxMouseTrackingCaller* ACaller, TWinControl* AControl, const TRect& AScreenBounds);
  ~TMouseTrackingTimer() override;

  IcxMouseTrackingCaller* Caller() const { return FCaller; }
  TWinControl* Control() const { return FControl; }
  TRect Bounds() const { return FBounds; }
  bool IsMouseInside();
  void CheckMouse();

private:
  void timer(TObject*) { CheckMouse(); }
  IcxMouseTrackingCaller* FCaller;
  TWinControl* FControl;
  TRect FBounds;
};

// AControl may be null (ABounds are then screen coordinates, else the control's client
// coordinates). Nothing when the caller is already tracked.
void cxBeginMouseTracking(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller);
// Nothing when the caller is not tracked.
void cxEndMouseTracking(IcxMouseTrackingCaller* ACaller);
TMouseTrackingTimer* cxFindMouseTrackingTimer(IcxMouseTrackingCaller* ACaller);
bool cxIsMouseTracking(IcxMouseTrackingCaller* ACaller);
// The tracking timers in creation order (made on first use).
std::vector<TMouseTrackingTimer*>& cxGetMouseTrackingTimers();

// ---------------------------------------------------------------------------------------
// Popup windows.

// A borderless, stay-on-top form placed next to an owner rectangle (AnchorBounds in the
// client coordinates of AnchorParent) on the work area of the nearest monitor.
class TcxPopupWindow : public TForm {
  RTL_DECLARE_CLASS(TcxPopupWindow, TForm)
public:
  // Without a stored description.
  explicit TcxPopupWindow(TComponent* AOwner = nullptr);
  ~TcxPopupWindow() override;

  // 0 left, 1 centre, 2 right.
  Integer HorzAlignment() const { return FHorzAlignment; }
  void SetHorzAlignment(Integer Value) { FHorzAlignment = Value; }
  // 0 top, 1 centre, 2 bottom.
  Integer VertAlignment() const { return FVertAlignment; }
  void SetVertAlignment(Integer Value) { FVertAlignment = Value; }
  // 0 horizontal (left or right of the owner), 1 vertical (above or below).
  Integer OpenDirection() const { return FOpenDirection; }
  void SetOpenDirection(Integer Value) { FOpenDirection = Value; }
  bool AutoSizeToContent() const { return FAutoSizeToContent; }
  void SetAutoSizeToContent(bool Value) { FAutoSizeToContent = Value; }
  Integer FrameSpacing() const { return FFrameSpacing; }
  void SetFrameSpacing(Integer Value) { FFrameSpacing = Value; }
  TColor SingleFrameColor() const { return FSingleFrameColor; }
  void SetSingleFrameColor(TColor Value) { FSingleFrameColor = Value; }
  TcxPopupFrameStyle FrameStyle() const { return FFrameStyle; }
  // Moves the child controls back by the current client offsets, then stores the style.
  void SetFrameStyle(TcxPopupFrameStyle Value);
  TRect AnchorBounds() const { return FAnchorBounds; }
  void SetAnchorBounds(const TRect& Value) { FAnchorBounds = Value; }
  TControl* AnchorParent() const { return FAnchorParent; }
  void SetAnchorParent(TControl* Value) { FAnchorParent = Value; }
  HWND ActivatedFromWindow() const { return FActivatedFromWindow; }
  TcxCanvas* cxCanvas() const { return FcxCanvas; }

  virtual void CalculatePosition(TPoint& P);
  virtual void CalculateSize();
  // Side 0 left, 1 top, 2 right, 3 bottom: frame width plus frame spacing.
  virtual Integer GetClientOffset(Integer ASide);
  virtual Integer GetFrameWidth(Integer ASide);
  virtual void InitPopup();
  virtual void DrawFrame();
  virtual void ClosePopup();
  virtual void Popup();
  virtual void VisibleChanged() {}
  Integer GetHorzClientIndent() { return GetClientOffset(0) + GetClientOffset(2); }
  bool IsOpen() { return Visible(); }

  void WMActivate(TWMActivate& Message);
  void WMActivateApp(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);

protected:
  // Another form of the application took the focus: the popup closes.
  void Deactivate() override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void RestoreControlsBounds();

private:
  Integer FHorzAlignment = 0;
  Integer FVertAlignment = 2;
  Integer FOpenDirection = 1;
  bool FAutoSizeToContent = true;
  Integer FFrameSpacing = 0;
  TColor FSingleFrameColor = clWindowText;
  TcxPopupFrameStyle FFrameStyle = pfsNone;
  TRect FAnchorBounds{0, 0, 0, 0};
  TControl* FAnchorParent = nullptr;
  HWND FActivatedFromWindow = nullptr;
  TcxCanvas* FcxCanvas = nullptr;
};

// ---------------------------------------------------------------------------------------
// Routines.

// Shows the menu for the control at screen point (X, Y): IcxPopupMenu components are
// asked to pop up; a TPopupMenu only when AutoPopup. True when a menu was shown.
bool cxShowPopupMenu(TControl* AControl, TComponent* AMenu, Integer X, Integer Y);
// Posts WM_MOUSEMOVE with the point (client coordinates) to refresh hot-tracking.
void cxPostMouseMove(TWinControl* AControl, const TPoint& P);
void cxPostMouseMove(TWinControl* AControl);
// Runs a modal loop after a press: 1 when the mouse left the drag threshold square, 0
// when a button was released first, 2 on Esc, a lost capture or WM_QUIT (re-posted).
Integer cxDragDetect(HWND AWnd);
// Both coordinates closer than the system drag threshold.
bool cxIsPointInDragThreshold(const TPoint& AMouseDownPos, Integer X, Integer Y);
bool cxIsCtrlPressed();
// The standard drag object currently over a control of the set (null when none).
TDragObject* cxCurrentDragObject();
// Nested hourglass: the first call remembers the screen cursor, the last restores it.
void cxShowHourglass();
void cxHideHourglass();
// The work area of the monitor nearest to the point; the desktop work area without the
// multi-monitor functions.
TRect cxGetMonitorWorkArea(const TPoint& P);
UINT cxGetDoubleClickTime();
TPoint cxGetCursorPos();
// Both corners of R mapped from AFrom's client coordinates to ATo's.
TRect cxMapWindowRect(HWND AFrom, HWND ATo, const TRect& R);
inline Word cxTranslateKey(Word AKey) { return AKey; }

void cxControlsInitialize();
void cxControlsFinalize();

namespace cxControlsUnit {
void Initialize();
void Finalize();
}  // namespace cxControlsUnit
