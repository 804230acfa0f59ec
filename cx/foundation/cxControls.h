#pragma once
// The base control of the component set's custom-drawn windowed controls, and the
// interaction services it shares with its neighbours:
//   - TcxScrollBar, the scroll bar drawn by the look-and-feel's painter (arrows, page
//     areas, thumb, auto-repeat, thumb tracking);
//   - TcxControl: canvas wrapper, look-and-feel and painter, optional painted border, its
//     own two scroll bars and size grip (TcxControlScrollBar, TcxSizeGrip) with the
//     negotiation of their visibility, middle-button auto-scrolling, in-control drag and
//     drop, font listeners, child components, a context menu that may be any component
//     implementing IcxPopupMenu, and destroy guards that let message handlers notice that
//     the control was freed while they ran;
//   - TcxSettingsController, which tells the controls with scroll bars that the system's
//     scroll-bar size changed;
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

// ---------------------------------------------------------------------------------------
// The scroll bar.

// This unit's private message numbers are in platform/gui/MessageIds.h.

// The system width of a vertical scroll bar (cx) and height of a horizontal one (cy).
TSize cxGetScrollBarSize();

// A scroll bar drawn entirely by the look-and-feel's painter into an off-screen bitmap, so
// that it looks like the controls around it. It behaves like the system's: a press on an
// arrow or a page area scrolls once and then repeats (after 400 ms, then every 60 ms)
// while the mouse stays on the pressed part; dragging the thumb tracks the position and
// snaps back when the mouse strays too far from the bar (unless UnlimitedTracking).
class TcxScrollBar : public TCustomControl {
  RTL_DECLARE_CLASS(TcxScrollBar, TCustomControl)
public:
  explicit TcxScrollBar(TComponent* AOwner);
  ~TcxScrollBar() override;

  // Sets the range, position and page in one step. EInvalidOperation "Scrollbar property
  // out of range" for AMax < AMin or AMax < APageSize, and nothing changes. The position
  // is clamped into the range; a new position enables the bar and calls Change.
  void SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, bool ARedraw = true);

  TScrollBarKind Kind() const { return FKind; }
  // Width and height stay as they are; the parts are laid out again.
  void SetKind(TScrollBarKind Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value) { SetScrollParams(Value, FMax, FPosition, FPageSize); }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value) { SetScrollParams(FMin, Value, FPosition, FPageSize); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { SetScrollParams(FMin, FMax, Value, FPageSize); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value) { SetScrollParams(FMin, FMax, FPosition, Value); }
  TScrollBarInc SmallChange() const { return FSmallChange; }
  void SetSmallChange(TScrollBarInc Value) { FSmallChange = Value; }
  TScrollBarInc LargeChange() const { return FLargeChange; }
  void SetLargeChange(TScrollBarInc Value) { FLargeChange = Value; }
  // The thumb follows the mouse however far it goes from the bar.
  bool UnlimitedTracking() const { return FUnlimitedTracking; }
  void SetUnlimitedTracking(bool Value) { FUnlimitedTracking = Value; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  // Copies the values (the bar keeps its own look-and-feel object).
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TScrollEvent& OnScroll() const { return FOnScroll; }
  void SetOnScroll(const TScrollEvent& Value) { FOnScroll = Value; }

  // Resizes the off-screen bitmap and lays the parts out when both sizes are positive.
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // --- Parts (client coordinates; an empty rectangle means the part is absent).
  TRect LineUpRect() const { return FLineUpRect; }
  TRect LineDownRect() const { return FLineDownRect; }
  TRect ThumbnailRect() const { return FThumbnailRect; }
  TRect PageUpRect() const { return FPageUpRect; }
  TRect PageDownRect() const { return FPageDownRect; }
  // The pressed part (sbpNone when nothing is pressed) and the part under the mouse.
  TcxScrollBarPart State() const { return FState; }
  TcxScrollBarPart HotPart() const { return FHotPart; }
  void SetHotPart(TcxScrollBarPart Value) { FHotPart = Value; }
  // The shortest thumb of a bar with a page (8 pixels unless the theme asks for more).
  Integer ThumbnailMinSize() const { return FThumbnailMinSize; }
  // The part at P: none outside the client area or where no part lies.
  TcxScrollBarPart HitTest(const TPoint& P);
  TcxButtonState GetPartState(TcxScrollBarPart APart);
  bool IsMouseOverPressedPart();
  // The position the thumb's place stands for.
  Integer PositionFromThumb();

  // --- Scrolling.
  // The position a scroll code leads to, seen by Scroll (OnScroll), then applied: scTrack
  // stores it without Change, every other code through SetPosition.
  void DoScroll(TScrollCode AScrollCode);
  // The scroll code of a part: line up or down for the arrows, track for the thumb, page
  // up or down for the page areas.
  void ScrollPart(TcxScrollBarPart APart);
  // Ends a press: a dragged thumb reports its position (scPosition), the repeat stops,
  // and scEndScroll follows. Nothing when no part is pressed.
  void StopScrolling();

  // --- Layout.
  void CalcRects();
  void CalcThumbnail();
  void CalcPageRects();
  void CalcThumbnailMinSize();

  // Message handlers (reached through the message map).
  void CNHScroll(TWMScroll& Message);
  void CNVScroll(TWMScroll& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  void CNCtlColorScrollBar(TMessage& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMCancelMode(TWMCancelMode& Message);

protected:
  // The class library's change notification, then OnChange.
  virtual void Change();
  // Raises OnScroll, which may change the new position.
  virtual void Scroll(TScrollCode AScrollCode, Integer& AScrollPos);
  // Repaint when the painter hot-tracks or an arrow or page part is pressed.
  virtual void MouseEnter(TControl* AControl);
  // The hot part is dropped unless the thumb is being dragged.
  virtual void MouseLeave(TControl* AControl);
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  virtual void ThemeChanged();
  // Draws every part through the painter into the bitmap and copies it to the window.
  virtual void PaintControl();

  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  TcxCustomLookAndFeelPainterClass Painter() const { return FLookAndFeel->GetPainterClass(); }
  // SetScrollParams without the range check, for callers that checked the range
  // themselves (the control scroll bars accept every range whose page fits in it).
  void applyScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, bool ARedraw);

private:
  void lookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
    LookAndFeelChanged(Sender, AChangedValues);
  }
  void themeChanged() { ThemeChanged(); }
  void timerTick(TObject*);
  bool isHorizontal() const { return FKind == sbHorizontal; }
  // The track between the arrows along the bar: its start and its length.
  Integer trackStart() const;
  Integer trackLength() const;
  // Places the thumb at AOffset from the track's start with length ALength.
  void placeThumb(Integer AOffset, Integer ALength);
  // Moves the dragged thumb by ADelta pixels from where it was at the press.
  void MoveThumb(Integer ADelta);
  bool isArrowOrPage(TcxScrollBarPart APart) const {
    return APart == sbpLineUp || APart == sbpLineDown || APart == sbpPageUp || APart == sbpPageDown;
  }
  void repaintIfShown();

  TBitmap* FBitmap = nullptr;
  TcxCanvas* FCanvas = nullptr;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  TdxThemeChangedNotificator* FThemeChangedNotificator = nullptr;
  TTimer* FTimer = nullptr;
  TRect FLineUpRect{0, 0, 0, 0};
  TRect FLineDownRect{0, 0, 0, 0};
  TRect FThumbnailRect{0, 0, 0, 0};
  TRect FPageUpRect{0, 0, 0, 0};
  TRect FPageDownRect{0, 0, 0, 0};
  TScrollBarKind FKind = sbHorizontal;
  Integer FMin = 0;
  Integer FMax = 100;
  Integer FPosition = 0;
  Integer FPageSize = 0;
  TScrollBarInc FSmallChange = 1;
  TScrollBarInc FLargeChange = 1;
  bool FUnlimitedTracking = false;
  TcxScrollBarPart FState = sbpNone;
  TcxScrollBarPart FHotPart = sbpNone;
  Integer FThumbnailMinSize = 8;
  // The thumb drag: the press point, the position and the thumb's top-left at the press,
  // and whether the mouse has moved the thumb since (a thumb placed from the position
  // stands for that position exactly; reading it back could round to a neighbour).
  TPoint FDragStartPoint{0, 0};
  Integer FDragStartPosition = 0;
  TPoint FDragStartThumb{0, 0};
  bool FThumbMovedByMouse = false;
  TNotifyEvent FOnChange;
  TScrollEvent FOnScroll;
};

// The pending parameters of one of a control's scroll bars, applied in one step.
struct TcxScrollBarData {
  Integer Min = 0;
  Integer Max = 100;
  Integer Position = 0;
  Integer PageSize = 0;
  Integer SmallChange = 1;
  Integer LargeChange = 1;
  bool Enabled = true;
  bool Visible = false;
  bool ShowAllowed = false;
  bool HideAllowed = false;
};

// One of a TcxControl's own scroll bars: a child window of the control that draws like it
// (its look-and-feel's master is the control's) and reports its scrolling to it.
class TcxControlScrollBar : public TcxScrollBar {
  RTL_DECLARE_CLASS(TcxControlScrollBar, TcxScrollBar)
public:
  explicit TcxControlScrollBar(TComponent* AOwner);

  TcxScrollBarData& PendingData() { return FData; }
  const TcxScrollBarData& PendingData() const { return FData; }
  // A visible record sets range, position, page and steps; then the enabled state and the
  // window's visibility follow the record.
  void ApplyData();
  // Before a left press: a TcxControl parent takes the focus when CanFocusOnChildClick
  // allows, any other parent when it can take the focus.
  virtual void FocusParentOnClick();

  void WMLButtonDown(TWMMouse& Message);
  void CMDesignHitTest(TMessage& Message);

private:
  TcxScrollBarData FData;
};

// The square between a control's two scroll bars, a plain fill of its colour.
class TcxSizeGrip : public TCustomControl {
  RTL_DECLARE_CLASS(TcxSizeGrip, TCustomControl)
public:
  explicit TcxSizeGrip(TComponent* AOwner);

protected:
  void Paint() override;
};

// ---------------------------------------------------------------------------------------
// The base control.

class TcxControl : public TCustomControl {
  RTL_DECLARE_CLASS(TcxControl, TCustomControl)
public:
  explicit TcxControl(TComponent* AOwner);
  ~TcxControl() override;
  // Makes the scroll bars (here rather than in the constructor, where a descendant's
  // HasScrollBars could not answer yet).
  void AfterConstruction() override;
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

  // --- Scroll bars: two child windows and the size grip between them, placed inside the
  // control's bounds. Descendants describe each bar with SetScrollBarInfo from
  // InitScrollBarsParameters; UpdateScrollBars settles which bars show.
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  // Null when the control has no scroll bars.
  TcxControlScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxControlScrollBar* VScrollBar() const { return FVScrollBar; }
  TcxSizeGrip* SizeGrip() const { return FSizeGrip; }
  // Sets the pending parameters of one bar: it may show only when ScrollBars allows its
  // kind; it is visible and enabled when AMax >= AMin, the page is smaller than the range
  // and the position is not below AMin; otherwise shown disabled when it may not hide,
  // else hidden.
  void SetScrollBarInfo(TScrollBarKind AScrollBarKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                        Integer APos, bool AAllowShow, bool AAllowHide);
  // The pending parameters of a bar (defaults when the control has no scroll bars).
  const TcxScrollBarData& ScrollBarData(TScrollBarKind AKind) const;
  // While the parameters are being calculated, the pending visibility; otherwise the
  // bar's own. False without scroll bars.
  virtual bool IsHScrollBarVisible();
  virtual bool IsVScrollBarVisible();
  virtual TRect GetHScrollBarBounds();
  virtual TRect GetVScrollBarBounds();
  virtual TRect GetSizeGripBounds();
  virtual bool HasScrollBars() { return true; }
  virtual bool IsPixelScrollBar(TScrollBarKind AKind) { return false; }
  // Asks InitScrollBarsParameters until the visibility of both bars settles, applies the
  // result and places the bars; a bar that would keep appearing and disappearing is left
  // on screen disabled.
  virtual void UpdateScrollBars();
  // True while UpdateScrollBars runs (bounds changes then come from the bars).
  bool IsUpdatingScrollBars() const { return FUpdatingScrollBars; }
  // Makes the bars and the grip child windows of the control (after its window exists).
  virtual void InitScrollBars();
  virtual void InitScrollBarsParameters() {}
  // Gives each visible bar and the visible grip its bounds.
  virtual void SetScrollBarsBounds();
  // Called for scroll-bar, wheel and auto-scroll requests; APosition may be changed.
  virtual void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {}
  // One line in the direction (left and up scroll back, right and down forward), from the
  // bar's current position. Nothing without scroll bars.
  void ScrollInDirection(TcxDirection ADirection);
  virtual TcxMouseWheelScrollingKind GetMouseWheelScrollingKind();
  // The system scroll-bar size changed: the bars take it and the control is laid out
  // again. Nothing when the bars already have it.
  void HandleScrollBarMetrics();
  // The middle-button auto-scroll mode is running.
  bool IsMiddleButtonScrolling() const { return FMiddleButtonScrolling; }

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
  // True for the two scroll bars and the size grip.
  virtual bool IsInternalControl(TControl* AControl);
  // The middle-button auto-scroll mode (started by a middle press): runs a message loop
  // until a click, Esc, the release after the mouse moved, or the loss of the capture,
  // scrolling in the direction of the mouse from the anchor at a speed growing with the
  // distance. Nothing unless a bar is visible.
  virtual void ScrollByMiddleButton();

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
  void WMNCCalcSize(TMessage& Message);
  void WMScrollBarMetrics(TMessage& Message);

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

  // The bars, the grip and the registration with the settings controller.
  void CreateScrollBars();
  void DestroyScrollBars();
  // Runs InitScrollBarsParameters until neither pending visibility changes, then
  // CheckPixelScrollBars.
  void CalculateScrollBarsParams();
  // Pixel-scrolled content that fits once both bars are gone shows no bar.
  void CheckPixelScrollBars();
  void ShowDisabledScrollBar(TcxControlScrollBar* AScrollBar);
  // The OnScroll of both bars.
  void ScrollBarScrolled(TObject* Sender, TScrollCode AScrollCode, Integer& AScrollPos);

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
  TcxControlScrollBar* FHScrollBar = nullptr;
  // The bars' visibility when the outermost UpdateScrollBars began, and whether a nested
  // call came back to it (a show/hide cycle).
  bool FHScrollBarVisible = false;
  bool FVScrollBarVisible = false;
  bool FScrollBarsSettled = false;
  TcxKeys FWantedKeys;
  std::vector<TcxControl**> FDestroyGuards;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  TObject* FMouseCaptureObject = nullptr;
  TPoint FMouseDownPos{-1, -1};
  TComponent* FPopupMenu = nullptr;
  TScrollStyle FScrollBars = ssBoth;
  TcxSizeGrip* FSizeGrip = nullptr;
  bool FUpdatingScrollBars = false;
  TcxControlScrollBar* FVScrollBar = nullptr;
  bool FMiddleButtonScrolling = false;
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
// System setting changes.

// Keeps the controls that own scroll bars and, while there is any, a hidden window that
// hears the system's setting changes: after a change of the non-client metrics every
// registered control with a window is told WM_CXSCROLLBARMETRICS.
class TcxSettingsController : public TObject {
  RTL_DECLARE_CLASS(TcxSettingsController, TObject)
public:
  TcxSettingsController() = default;
  ~TcxSettingsController() override;
  TcxSettingsController(const TcxSettingsController&) = delete;
  TcxSettingsController& operator=(const TcxSettingsController&) = delete;

  void AddControl(TcxControl* AControl);
  void RemoveControl(TcxControl* AControl);
  Integer ControlCount() const { return static_cast<Integer>(FControls.size()); }
  // Null while no control is registered.
  HWND WindowHandle() const { return FWindow; }

private:
  void wndProc(TMessage& Message);
  std::vector<TcxControl*> FControls;
  HWND FWindow = nullptr;
};

// The process's settings controller, made on first use and freed at the unit's end.
TcxSettingsController* cxGetSettingsController();

// ---------------------------------------------------------------------------------------
// Middle-button auto-scrolling.

// What the auto-scroll mode works from: the anchor (screen point of the middle press) and
// the size of its picture, which bars were visible when it started, and what the mouse
// chose so far.
struct MiddleButtonScrollState {
  TPoint Anchor{0, 0};
  Integer AnchorSize = 29;
  bool HorzBar = false;
  bool VertBar = false;
  TcxDirection Direction = dirNone;
  Integer Speed = 1;
  bool Moved = false;
};

// The square of the anchor picture's size centred on the anchor, widened to the whole
// screen width without a horizontal bar and to the whole screen height without a
// vertical one.
TRect cxMiddleScrollNeutralZone(const MiddleButtonScrollState& AState);
// Inside the neutral zone: no direction, speed 0. Outside: the mouse has moved; the
// direction is vertical without a horizontal bar or when the vertical distance is at
// least the horizontal one (with a vertical bar), else horizontal; the speed grows by one
// every 5 pixels beyond half the anchor size, from 1 up to 12.
void cxMiddleScrollUpdateDirection(MiddleButtonScrollState& AState, const TPoint& P);
// The cursor of the direction (2104 to 2107), or with no direction the one of the
// visible bars (2101 both, 2102 horizontal, 2103 vertical).
TCursor cxMiddleScrollCursor(const MiddleButtonScrollState& AState);
// Shows that cursor.
void cxMiddleScrollUpdateCursor(const MiddleButtonScrollState& AState);
// The anchor window of the running auto-scroll mode (null when none runs).
HWND cxScrollingAnchorWindow();

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
