#pragma once
// Controls: the base of every visual class. A TControl has a parent, bounds, alignment,
// colour, font, mouse and keyboard events, hints and drag-and-drop; a TWinControl owns a
// Win32 window and holds other controls; a TGraphicControl draws on its parent's window;
// a TCustomControl is a window with a canvas of its own.
//
// Sections, in order:
//   messages           CM_ and CN_ message numbers, typed message records over TMessage
//   types              alignment, anchors, styles and states, cursors, drag types, events
//   helpers            TSizeConstraints, TControlCanvas, drag objects, TDragImageList,
//                      action links
//   controls           TControl, TWinControl, TGraphicControl, TCustomControl
//   hints              THintInfo, THintWindow
//   mouse              TMouse and the global Mouse
//   routines           FindControl, FindDragTarget, capture, drag, shift states, hints,
//                      cursor names
//
// Messages reach a control through its WindowProc (WndProc by default), which dispatches
// them through the class's message map (handlers listed in RTL_BEGIN_CLASS with
// b.Message(id, &T::Handler)); a message no class handles reaches DefaultHandler, which
// for a windowed control calls the window's original window procedure. A handler calls its
// ancestor's handler for the same message with INHERITED_MESSAGE(Message).
//
// Every window of a TWinControl runs one shared window procedure that finds the control
// of the window and calls it; an exception raised while a message is handled never leaves
// that procedure: it goes to Application->HandleException.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/ActnList.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/MessageIds.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TDragObject;
class TDragDockObject;
class TDragImageList;
class TControlActionLink;

// =======================================================================================
// Messages
// =======================================================================================

// The CM_ and CN_ message numbers are in platform/gui/MessageIds.h (included above).

// "inherited" inside a message handler: the handler of the nearest ancestor of the class
// that defines the handler, else DefaultHandler.
#define INHERITED_MESSAGE(Message) DispatchFrom(inherited::StaticClass(), reinterpret_cast<TMessage&>(Message))

// A mouse position packed into a message's LParam.
struct TSmallPoint {
  SmallInt x;
  SmallInt y;
};
inline TPoint SmallPointToPoint(const TSmallPoint& P) { return Point(P.x, P.y); }
inline TSmallPoint PointToSmallPoint(const TPoint& P) {
  return TSmallPoint{static_cast<SmallInt>(P.x), static_cast<SmallInt>(P.y)};
}
// The LParam that carries P as a mouse message does.
inline LPARAM PointToLParam(const TPoint& P) { return MAKELPARAM(static_cast<WORD>(P.x), static_cast<WORD>(P.y)); }

// Typed views of TMessage. Each record has TMessage's layout (Msg, WParam, LParam,
// Result): the fields named here are parts of WParam and LParam, so a handler may take the
// record that suits its message. The *Filler members only keep that layout.
struct TWMNoParams {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused0;
  LPARAM Unused1;
  LRESULT Result;
};

struct TWMKey {
  UINT Msg;
  UINT MsgFiller;
  Word CharCode;
  Word Unused;
  UINT WParamFiller;
  Integer KeyData;
  UINT LParamFiller;
  LRESULT Result;
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TWMSysKeyDown = TWMKey;
using TWMSysKeyUp = TWMKey;
using TWMSysChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

struct TWMMouse {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Keys;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMLButtonDblClk = TWMMouse;
using TWMRButtonDown = TWMMouse;
using TWMRButtonUp = TWMMouse;
using TWMRButtonDblClk = TWMMouse;
using TWMMButtonDown = TWMMouse;
using TWMMButtonUp = TWMMouse;
using TWMMButtonDblClk = TWMMouse;
using TWMMouseMove = TWMMouse;

struct TWMMouseWheel {
  UINT Msg;
  UINT MsgFiller;
  union {
    struct {
      Word Keys;
      SmallInt WheelDelta;
    };
    WPARAM WParamFiller;
  };
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

// CM_MOUSEWHEEL: the wheel message with the keys already turned into a shift state (its low
// byte holds the set's bits).
struct TCMMouseWheel {
  UINT Msg;
  UINT MsgFiller;
  union {
    struct {
      Word ShiftStateBits;
      SmallInt WheelDelta;
    };
    WPARAM WParamFiller;
  };
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
  TShiftState ShiftState() const { return TShiftState::FromBits(ShiftStateBits); }
};

struct TWMPaint {
  UINT Msg;
  UINT MsgFiller;
  HDC DC;
  LPARAM Unused;
  LRESULT Result;
};
using TWMEraseBkgnd = TWMPaint;

struct TWMPrint {
  UINT Msg;
  UINT MsgFiller;
  HDC DC;
  LPARAM Flags;
  LRESULT Result;
};
using TWMPrintClient = TWMPrint;

struct TWMSize {
  UINT Msg;
  UINT MsgFiller;
  WPARAM SizeType;
  union {
    struct {
      Word Width;
      Word Height;
    };
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMMove {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMCommand {
  UINT Msg;
  UINT MsgFiller;
  union {
    struct {
      Word ItemID;
      Word NotifyCode;
    };
    WPARAM WParamFiller;
  };
  HWND Ctl;
  LRESULT Result;
};

struct TWMNotify {
  UINT Msg;
  UINT MsgFiller;
  WPARAM IDCtrl;
  NMHDR* NMHdr;
  LRESULT Result;
};

struct TWMDrawItem {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Ctl;
  DRAWITEMSTRUCT* DrawItemStruct;
  LRESULT Result;
};

struct TWMMeasureItem {
  UINT Msg;
  UINT MsgFiller;
  WPARAM IDCtl;
  MEASUREITEMSTRUCT* MeasureItemStruct;
  LRESULT Result;
};

struct TWMCompareItem {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Ctl;
  COMPAREITEMSTRUCT* CompareItemStruct;
  LRESULT Result;
};

struct TWMDeleteItem {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Ctl;
  DELETEITEMSTRUCT* DeleteItemStruct;
  LRESULT Result;
};

struct TWMCtlColor {
  UINT Msg;
  UINT MsgFiller;
  HDC ChildDC;
  HWND ChildWnd;
  LRESULT Result;
};

struct TWMScroll {
  UINT Msg;
  UINT MsgFiller;
  union {
    struct {
      SmallInt ScrollCode;
      SmallInt Pos;
    };
    WPARAM WParamFiller;
  };
  HWND ScrollBar;
  LRESULT Result;
};
using TWMHScroll = TWMScroll;
using TWMVScroll = TWMScroll;

struct TWMSetFocus {
  UINT Msg;
  UINT MsgFiller;
  HWND FocusedWnd;
  LPARAM Unused;
  LRESULT Result;
};
using TWMKillFocus = TWMSetFocus;

struct TWMSetCursor {
  UINT Msg;
  UINT MsgFiller;
  HWND CursorWnd;
  union {
    struct {
      Word HitTest;
      Word MouseMsg;
    };
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMNCHitTest {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMContextMenu {
  UINT Msg;
  UINT MsgFiller;
  HWND hWnd;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMGetDlgCode {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  MSG* Msgp;
  LRESULT Result;
};

struct TWMSetText {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  const char* Text;
  LRESULT Result;
};

struct TWMGetText {
  UINT Msg;
  UINT MsgFiller;
  WPARAM TextMax;
  char* Text;
  LRESULT Result;
};

struct TWMWindowPosMsg {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  WINDOWPOS* WindowPos;
  LRESULT Result;
};
using TWMWindowPosChanged = TWMWindowPosMsg;
using TWMWindowPosChanging = TWMWindowPosMsg;

struct TWMActivate {
  UINT Msg;
  UINT MsgFiller;
  union {
    struct {
      Word Active;
      Word Minimized;
    };
    WPARAM WParamFiller;
  };
  HWND ActiveWindow;
  LRESULT Result;
};

struct TWMNCActivate {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Active;
  LPARAM Unused;
  LRESULT Result;
};

struct TWMSysCommand {
  UINT Msg;
  UINT MsgFiller;
  WPARAM CmdType;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMGetMinMaxInfo {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  MINMAXINFO* MinMaxInfo;
  LRESULT Result;
};

struct TWMNCCalcSize {
  UINT Msg;
  UINT MsgFiller;
  WPARAM CalcValidRects;
  NCCALCSIZE_PARAMS* CalcSize_Params;
  LRESULT Result;
};

struct TWMShowWindow {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Show;
  LPARAM Status;
  LRESULT Result;
};

struct TWMMouseActivate {
  UINT Msg;
  UINT MsgFiller;
  HWND TopLevel;
  union {
    struct {
      Word HitTestCode;
      Word MouseMsg;
    };
    LPARAM LParamFiller;
  };
  LRESULT Result;
};

struct TWMTimer {
  UINT Msg;
  UINT MsgFiller;
  WPARAM TimerID;
  TIMERPROC TimerProc;
  LRESULT Result;
};

using TWMClose = TWMNoParams;
using TWMDestroy = TWMNoParams;
using TWMNCDestroy = TWMNoParams;
using TWMCancelMode = TWMNoParams;
using TWMQueryEndSession = TWMNoParams;

// CM_HITTEST: whether the control takes the mouse at (XPos, YPos) of its client area
// (Result non-zero: yes).
struct TCMHitTest {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  union {
    struct {
      SmallInt XPos;
      SmallInt YPos;
    };
    TSmallPoint Pos;
    LPARAM LParamFiller;
  };
  LRESULT Result;
};
using TCMDesignHitTest = TWMMouse;

// CM_CONTROLLISTCHANGE and CM_CONTROLCHANGE: Control enters (Inserting) or leaves the
// receiving container.
struct TCMControlListChange {
  UINT Msg;
  UINT MsgFiller;
  TControl* Control;
  LPARAM Inserting;
  LRESULT Result;
};
using TCMControlChange = TCMControlListChange;

// CM_CHILDKEY: a key reached Sender, a descendant of the receiver; Result non-zero eats it.
struct TCMChildKey {
  UINT Msg;
  UINT MsgFiller;
  union {
    Word CharCode;
    WPARAM WParamFiller;
  };
  TWinControl* Sender;
  LRESULT Result;
};

// CM_FOCUSCHANGED: Sender now has the focus.
struct TCMFocusChanged {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  TWinControl* Sender;
  LRESULT Result;
};

// CM_CANCELMODE: Sender starts a mouse action; every other control ends its own.
struct TCMCancelMode {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Unused;
  TControl* Sender;
  LRESULT Result;
};

using TCMActivate = TWMNoParams;
using TCMDeactivate = TWMNoParams;
using TCMEnter = TWMNoParams;
using TCMExit = TWMNoParams;
using TCMGotFocus = TWMNoParams;
using TCMLostFocus = TWMNoParams;

// =======================================================================================
// Types
// =======================================================================================

RTL_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
using TAlignSet = Set<TAlign>;
RTL_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = Set<TAnchorKind>;

// What the control is (ControlStyle) and what it is doing (ControlState).
RTL_ENUM(TControlStyleItem, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
         csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
         csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
         csParentBackground, csPannable)
using TControlStyle = Set<TControlStyleItem>;
RTL_ENUM(TControlStateItem, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
         csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking)
using TControlState = Set<TControlStateItem>;

RTL_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
RTL_ENUM(TDragMode, dmManual, dmAutomatic)
RTL_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove)
RTL_ENUM(TDragKind, dkDrag, dkDock)
RTL_ENUM(TDragMessage, dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget)
using TCaption = std::string;

// Border of a window: bsNone and bsSingle for controls, all of them for forms.
RTL_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
using TBorderStyle = TFormBorderStyle;

// Input method states; stored and handed to the window, without meaning here.
RTL_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
         imSHanguel, imHanguel)
using TImeName = std::string;

// The result of a modal form or a message box.
using TModalResult = Integer;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

// A cursor: an index into Screen->Cursors. The negative ids are the system's cursors; a
// program registers its own at positive ids. TCursor is its own type to the type
// information, so form descriptions write cursors by name.
enum TCursor : int32_t {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
  crSize = crSizeAll,
};
PTypeInfo TypeInfoOf(TCursor*);

// Alignment rules: the anchors an alignment implies.
TAnchors AnchorAlign(TAlign Align);

// How DoPosition was reached for an alCustom control (CustomAlignPosition).
struct TAlignInfo {
  std::vector<TControl*>* AlignList = nullptr;
  Integer ControlIndex = 0;
  TAlign Align = alNone;
  Integer Scratch = 0;
};

// Events.
using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TStartDockEvent = TEvent<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TMouseWheelEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TEvent<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent = TEvent<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    TEvent<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight)>;
using TAlignInsertBeforeEvent = TEvent<void(TWinControl* Sender, TControl* C1, TControl* C2, bool& Result)>;
using TAlignPositionEvent =
    TEvent<void(TWinControl* Sender, TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                Integer& NewHeight, TRect& AlignRect, TAlignInfo AlignInfo)>;

// The window procedure of a control is a TWndMethod closure (Classes.h), WindowProc: a
// caller may replace it to watch or filter messages, and must call the one it replaced for
// the rest.

// Whether the system draws the newer control look (always here).
constexpr bool NewStyleControls = true;

// =======================================================================================
// Helpers
// =======================================================================================

// Limits on a control's size; 0 means "no limit". Setting a maximum below the minimum
// lowers the minimum to it, and the other way round. OnChange fires after each change.
class TSizeConstraints : public TPersistent {
  RTL_DECLARE_CLASS(TSizeConstraints, TPersistent)
public:
  explicit TSizeConstraints(TControl* Control);

  void Assign(TPersistent* Source) override;

  Integer MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(Integer Value);
  Integer MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(Integer Value);
  Integer MinHeight() const { return minHeight_; }
  void SetMinHeight(Integer Value);
  Integer MinWidth() const { return minWidth_; }
  void SetMinWidth(Integer Value);
  TControl* Control() const { return control_; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

protected:
  virtual void Change();

private:
  TControl* control_;
  Integer maxHeight_ = 0;
  Integer maxWidth_ = 0;
  Integer minHeight_ = 0;
  Integer minWidth_ = 0;
  TNotifyEvent onChange_;
};

// A canvas that draws on a control: on a windowed control's window DC, on a graphic
// control's part of its parent's DC (origin moved to the control and clipped to it). The
// DC is got when the canvas is first used and kept in a small cache of recently used
// control canvases (the oldest is released when a fifth is made); it is released by
// FreeHandle, by freeing the canvas, by destroying the control's window, and after every
// message a control's window procedure handled (a later drawing gets a new one).
class TControlCanvas : public TCanvas {
  RTL_DECLARE_CLASS(TControlCanvas, TCanvas)
public:
  TControlCanvas() = default;
  ~TControlCanvas() override;

  // Releases the DC (the cache forgets it).
  void FreeHandle() override;
  // Sets the text flags from the control's reading order (right-to-left reading).
  void UpdateTextFlags();

  TControl* Control() const { return control_; }
  void SetControl(TControl* AControl);

protected:
  void CreateHandle() override;

private:
  friend void FreeDeviceContexts();
  friend void freeDeviceContextsOf(HWND window);
  void freeDeviceContext();
  void updateOrigin();

  TControl* control_ = nullptr;
  HDC deviceContext_ = nullptr;
  HWND windowHandle_ = nullptr;
};

// The canvas a control draws itself with: bound to the control, owned by it, and released
// (device context included) when the control goes.
using TOwnedControlCanvas = std::unique_ptr<TControlCanvas>;
TOwnedControlCanvas MakeControlCanvas(TControl* Control);

// Releases the DCs of every cached control canvas.
void FreeDeviceContexts();

// ---------------------------------------------------------------------------------------
// Drag and drop.
//
// BeginDrag on a control starts a drag: DoStartDrag (OnStartDrag) may hand over a drag
// object; otherwise the control's own TDragControlObjectEx is used and the handlers see the
// control itself as Source. While the mouse moves, the control under it (FindDragTarget)
// gets DragOver with dsDragEnter, dsDragMove and dsDragLeave and says whether it accepts;
// the cursor shows DragCursor or crNoDrop. Releasing the button over an accepting target
// calls its DragDrop; the source always gets EndDrag (Target null when nothing took it).
// Esc, a right button or losing the mouse capture cancels.

// The message record of CM_DRAG: DragRec describes the drag.
struct TDragRec {
  TPoint Pos;
  TDragObject* Source;
  void* Target;
  bool Docking;
};
struct TCMDrag {
  UINT Msg;
  UINT MsgFiller;
  union {
    TDragMessage DragMessage;
    WPARAM WParamFiller;
  };
  TDragRec* DragRec;
  LRESULT Result;
};

class TDragObject : public TObject {
  RTL_DECLARE_CLASS(TDragObject, TObject)
public:
  TDragObject() = default;
  ~TDragObject() override;
  TDragObject(const TDragObject&) = delete;
  TDragObject& operator=(const TDragObject&) = delete;

  virtual void Assign(TDragObject* Source);
  // Called when the drag ends; Accepted tells whether Target took the drop.
  virtual void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {}
  virtual std::string GetName();
  // The cursor to show over a target that accepts (Accepted) or refuses.
  virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y);
  // The images to show under the cursor; null for none.
  virtual TDragImageList* GetDragImages() { return nullptr; }
  virtual void HideDragImage() {}
  virtual void ShowDragImage() {}
  // The window that holds the mouse during the drag, made on first use.
  HWND Capture();
  void ReleaseCapture(HWND Handle);
  // The capture window's messages enter here (WndProc).
  void MainWndProc(TMessage& Msg) { WndProc(Msg); }

  bool AlwaysShowDragImages() const { return alwaysShowDragImages_; }
  void SetAlwaysShowDragImages(bool Value) { alwaysShowDragImages_ = Value; }
  bool Cancelling() const { return cancelling_; }
  void SetCancelling(bool Value) { cancelling_ = Value; }
  HWND DragHandle() const { return dragHandle_; }
  void SetDragHandle(HWND Value) { dragHandle_ = Value; }
  TPoint DragPos() const { return dragPos_; }
  void SetDragPos(const TPoint& Value) { dragPos_ = Value; }
  TPoint DragTargetPos() const { return dragTargetPos_; }
  void SetDragTargetPos(const TPoint& Value) { dragTargetPos_ = Value; }
  void* DragTarget() const { return dragTarget_; }
  void SetDragTarget(void* Value) { dragTarget_ = Value; }
  bool Dropped() const { return dropped_; }
  double MouseDeltaX() const { return mouseDeltaX_; }
  double MouseDeltaY() const { return mouseDeltaY_; }

protected:
  // Messages of the capture window during the drag: mouse moves drag, the buttons drop,
  // Esc and a lost capture cancel.
  virtual void WndProc(TMessage& Msg);

private:
  friend void dragDone(bool drop);
  friend void dragInit(TDragObject* obj, bool immediate, Integer threshold);

  bool alwaysShowDragImages_ = false;
  bool cancelling_ = false;
  HWND dragHandle_ = nullptr;
  TPoint dragPos_{0, 0};
  TPoint dragTargetPos_{0, 0};
  void* dragTarget_ = nullptr;
  bool dropped_ = false;
  double mouseDeltaX_ = 0;
  double mouseDeltaY_ = 0;
  HWND captureWindow_ = nullptr;
};

// A drag object the drag manager frees by itself when the drag ends.
class TDragObjectEx : public TDragObject {
  RTL_DECLARE_CLASS(TDragObjectEx, TDragObject)
};

// A drag object that carries a control.
class TBaseDragControlObject : public TDragObject {
  RTL_DECLARE_CLASS(TBaseDragControlObject, TDragObject)
public:
  explicit TBaseDragControlObject(TControl* AControl) : control_(AControl) {}
  void Assign(TDragObject* Source) override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value) { control_ = Value; }

protected:
  // Tells the control its drag ended (DoEndDrag).
  virtual void EndDrag(TObject* Target, Integer X, Integer Y);
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;

private:
  TControl* control_;
};

// The drag object of an ordinary drag of a control: the control's DragCursor over an
// accepting target, its drag images.
class TDragControlObject : public TBaseDragControlObject {
  RTL_DECLARE_CLASS(TDragControlObject, TBaseDragControlObject)
public:
  using TBaseDragControlObject::TBaseDragControlObject;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
  TDragImageList* GetDragImages() override;
  void HideDragImage() override;
  void ShowDragImage() override;
};

class TDragControlObjectEx : public TDragControlObject {
  RTL_DECLARE_CLASS(TDragControlObjectEx, TDragControlObject)
public:
  using TDragControlObject::TDragControlObject;
};

// The data of a docking drag (where the control would land). The class library's docking
// of controls into dock sites is not offered here: a drag of a control whose DragKind is
// dkDock runs as an ordinary drag.
class TDragDockObject : public TBaseDragControlObject {
  RTL_DECLARE_CLASS(TDragDockObject, TBaseDragControlObject)
public:
  using TBaseDragControlObject::TBaseDragControlObject;
  TRect DockRect() const { return dockRect_; }
  void SetDockRect(const TRect& Value) { dockRect_ = Value; }
  TAlign DropAlign() const { return dropAlign_; }
  TControl* DropOnControl() const { return dropOnControl_; }
  bool Floating() const { return floating_; }
  void SetFloating(bool Value) { floating_ = Value; }
  Integer FrameWidth() const { return 4; }

private:
  TRect dockRect_{0, 0, 0, 0};
  TAlign dropAlign_ = alNone;
  TControl* dropOnControl_ = nullptr;
  bool floating_ = false;
};

// The images shown under the cursor while dragging (comctl32's drag image). BeginDrag
// starts showing image DragIndex of the list at the screen point relative to Window;
// DragMove follows the mouse.
class TDragImageList : public TCustomImageList {
  RTL_DECLARE_CLASS(TDragImageList, TCustomImageList)
public:
  explicit TDragImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  TDragImageList(Integer AWidth, Integer AHeight) : TCustomImageList(AWidth, AHeight) {}
  ~TDragImageList() override;

  bool BeginDrag(HWND Window, Integer X, Integer Y);
  bool DragLock(HWND Window, Integer XPos, Integer YPos);
  bool DragMove(Integer X, Integer Y);
  void DragUnlock();
  bool EndDrag();
  void HideDragImage();
  void ShowDragImage();
  // Chooses image Index with its hot spot at (HotSpotX, HotSpotY).
  bool SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY);
  TPoint GetHotSpot() override;

  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor Value);
  bool Dragging() const { return dragging_; }

private:
  TCursor dragCursor_ = crNone;
  bool dragging_ = false;
  HWND dragHandle_ = nullptr;
  Integer dragIndex_ = 0;
  TPoint dragHotspot_{0, 0};
};

// ---------------------------------------------------------------------------------------
// Action links: keep a control's caption, enabled state, hint, visibility, help context and
// OnClick in step with its Action. A property is linked while the control's value equals
// the action's; setting it on the control through the link changes it only then.

class TControlActionLink : public TActionLink {
  RTL_DECLARE_CLASS(TControlActionLink, TActionLink)
public:
  using TConstructorArg = TObject*;
  explicit TControlActionLink(TObject* AClient);

  // Adds the shortcut's text to the hint ("Save (Ctrl+S)") when the application shows
  // shortcuts in hints; false when the action's DoHint refuses the hint.
  virtual bool DoShowHint(std::string& HintStr);

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHelpKeyword(const std::string& Value) override;
  void SetHelpType(THelpType Value) override;
  void SetHint(const std::string& Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

protected:
  void AssignClient(TObject* AClient) override;

  TControl* client_ = nullptr;
};

class TWinControlActionLink : public TControlActionLink {
  RTL_DECLARE_CLASS(TWinControlActionLink, TControlActionLink)
public:
  using TControlActionLink::TControlActionLink;

  bool IsHelpContextLinked() override;
  void SetHelpContext(THelpContext Value) override;
};

// =======================================================================================
// Controls
// =======================================================================================

// Bevels around a windowed control's client area (drawn in the non-client area).
RTL_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
RTL_ENUM(TBevelEdge, beLeft, beTop, beRight, beBottom)
using TBevelEdges = Set<TBevelEdge>;
RTL_ENUM(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
// The edges of a drawn frame (bits 1, 2, 4, 8: BF_LEFT, BF_TOP, BF_RIGHT, BF_BOTTOM) and
// the style of one of its two lines.
RTL_ENUM(TEdgeBorder, ebLeft, ebTop, ebRight, ebBottom)
using TEdgeBorders = Set<TEdgeBorder>;
RTL_ENUM(TEdgeStyle, esNone, esRaised, esLowered)
using TBevelWidth = Integer;
using TBorderWidth = Integer;
using TTabOrder = Integer;

// The control: everything a visual element has, whether it owns a window or not.
//
// Bounds are in the parent's client coordinates. Changing them, Align, Anchors or
// Visible asks the parent to lay its children out again (RequestAlign). Color and Font
// follow the parent's while ParentColor / ParentFont are set; setting them clears the
// flag. Mouse messages arrive in client coordinates: WM_LBUTTONDOWN then WM_LBUTTONUP
// inside the control makes one Click (for csClickEvents controls), before MouseUp; a
// double click makes DblClick (csDoubleClicks controls; others see a second button down).
class TControl : public TComponent {
  RTL_DECLARE_CLASS(TControl, TComponent)
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  // --- Messages.
  // Sends a message to the control's WindowProc and returns its Result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  template <class P> LRESULT Perform(UINT Msg, WPARAM WParam, P* LParam) {
    return Perform(Msg, WParam, reinterpret_cast<LPARAM>(LParam));
  }
  void DefaultHandler(TMessage& Message) override;
  const TWndMethod& WindowProc() const { return windowProc_; }
  void SetWindowProc(const TWndMethod& Value) { windowProc_ = Value; }

  // --- Position and size.
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  Integer Left() const { return left_; }
  void SetLeft(Integer Value);
  Integer Top() const { return top_; }
  void SetTop(Integer Value);
  Integer Width() const { return width_; }
  void SetWidth(Integer Value);
  Integer Height() const { return height_; }
  void SetHeight(Integer Value);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& Rect);
  TRect ClientRect() { return GetClientRect(); }
  Integer ClientWidth() { return ClientRect().right; }
  void SetClientWidth(Integer Value);
  Integer ClientHeight() { return ClientRect().bottom; }
  void SetClientHeight(Integer Value);
  void SetClientSize(const TPoint& Value);
  TPoint ClientOrigin() { return GetClientOrigin(); }
  TPoint ClientToScreen(const TPoint& Point);
  TPoint ScreenToClient(const TPoint& Point);
  // Between this control's client coordinates and those of AParent (the parent when null),
  // which must contain the control; EInvalidOperation otherwise.
  TPoint ClientToParent(const TPoint& Point, TWinControl* AParent = nullptr);
  TPoint ParentToClient(const TPoint& Point, TWinControl* AParent = nullptr);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return constraints_; }
  void SetConstraints(TSizeConstraints* Value) { constraints_->Assign(Value); }
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool Value);
  // Scales bounds and font by M/D (ScaleBy on a container scales its children too).
  void ScaleBy(Integer M, Integer D) { ChangeScale(M, D); }

  // --- Parent and z-order.
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }

  // --- Visibility and state.
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool Value);
  void Show();
  void Hide() { SetVisible(false); }
  bool Enabled() { return GetEnabled(); }
  virtual void SetEnabled(bool Value);
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle Value) { controlStyle_ = Value; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState Value) { controlState_ = Value; }
  bool IsControl() const { return isControl_; }
  void SetIsControl(bool Value) { isControl_ = Value; }

  // --- Look.
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_; }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);
  // Paints now what is invalid (Update), marks the control for painting (Invalidate), or
  // both (Repaint, Refresh).
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // --- Text.
  TCaption Caption() { return GetText(); }
  void SetCaption(const TCaption& Value) { SetText(Value); }
  TCaption Text() { return GetText(); }
  void SetText(const TCaption& Value);
  // Copies the text into Buffer (at most BufSize - 1 characters and a null); returns the
  // count copied.
  Integer GetTextBuf(char* Buffer, Integer BufSize);
  Integer GetTextLen();
  void SetTextBuf(const char* Buffer);

  // --- Hints and help.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool Value);
  THelpType HelpType() const { return helpType_; }
  void SetHelpType(THelpType Value) { helpType_ = Value; }
  const std::string& HelpKeyword() const { return helpKeyword_; }
  void SetHelpKeyword(const std::string& Value);
  THelpContext HelpContext() const { return helpContext_; }
  void SetHelpContext(THelpContext Value);

  // --- Popup menu.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* Value);

  // --- Mouse.
  bool MouseCapture();
  void SetMouseCapture(bool Value);

  // --- Drag and drop.
  // Starts dragging: at once (Immediate) or when the mouse moved Threshold pixels (the
  // system's drag distance, Mouse->DragThreshold, when negative).
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  // Ends a drag of this control: dropping where the mouse is (Drop) or cancelling.
  void EndDrag(bool Drop);
  bool Dragging() const;
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind Value) { dragKind_ = Value; }
  TDragMode DragMode() const { return dragMode_; }
  virtual void SetDragMode(TDragMode Value) { dragMode_ = Value; }

  // --- Actions.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return actionLink_; }
  // Updates the control from its action (OnUpdate of the action); forms call it on idle
  // for controls with csActionClient.
  virtual void InitiateAction();
  // Acts on / refreshes Action when the action handles this control as its target
  // (HandlesTarget); true when it did. Forms offer actions to their controls this way.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

  // --- Bidirectional text.
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool Value);
  bool IsRightToLeft();
  virtual bool UseRightToLeftAlignment();
  virtual bool UseRightToLeftReading();
  virtual bool UseRightToLeftScrollBar();
  // DrawText flags for the control's reading order and alignment.
  Integer DrawTextBiDiModeFlags(Integer Flags);
  Integer DrawTextBiDiModeFlagsReadingOnly();
  virtual TAlignment GetControlsAlignment() { return taLeftJustify; }

  // --- Component model.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void SetName(const std::string& NewName) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;

  // --- Events.
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& Value) { onClick_ = Value; }
  const TNotifyEvent& OnDblClick() const { return onDblClick_; }
  void SetOnDblClick(const TNotifyEvent& Value) { onDblClick_ = Value; }
  const TMouseEvent& OnMouseDown() const { return onMouseDown_; }
  void SetOnMouseDown(const TMouseEvent& Value) { onMouseDown_ = Value; }
  const TMouseMoveEvent& OnMouseMove() const { return onMouseMove_; }
  void SetOnMouseMove(const TMouseMoveEvent& Value) { onMouseMove_ = Value; }
  const TMouseEvent& OnMouseUp() const { return onMouseUp_; }
  void SetOnMouseUp(const TMouseEvent& Value) { onMouseUp_ = Value; }
  const TNotifyEvent& OnMouseEnter() const { return onMouseEnter_; }
  void SetOnMouseEnter(const TNotifyEvent& Value) { onMouseEnter_ = Value; }
  const TNotifyEvent& OnMouseLeave() const { return onMouseLeave_; }
  void SetOnMouseLeave(const TNotifyEvent& Value) { onMouseLeave_ = Value; }
  const TMouseWheelEvent& OnMouseWheel() const { return onMouseWheel_; }
  void SetOnMouseWheel(const TMouseWheelEvent& Value) { onMouseWheel_ = Value; }
  const TMouseWheelUpDownEvent& OnMouseWheelDown() const { return onMouseWheelDown_; }
  void SetOnMouseWheelDown(const TMouseWheelUpDownEvent& Value) { onMouseWheelDown_ = Value; }
  const TMouseWheelUpDownEvent& OnMouseWheelUp() const { return onMouseWheelUp_; }
  void SetOnMouseWheelUp(const TMouseWheelUpDownEvent& Value) { onMouseWheelUp_ = Value; }
  const TContextPopupEvent& OnContextPopup() const { return onContextPopup_; }
  void SetOnContextPopup(const TContextPopupEvent& Value) { onContextPopup_ = Value; }
  const TDragOverEvent& OnDragOver() const { return onDragOver_; }
  void SetOnDragOver(const TDragOverEvent& Value) { onDragOver_ = Value; }
  const TDragDropEvent& OnDragDrop() const { return onDragDrop_; }
  void SetOnDragDrop(const TDragDropEvent& Value) { onDragDrop_ = Value; }
  const TStartDragEvent& OnStartDrag() const { return onStartDrag_; }
  void SetOnStartDrag(const TStartDragEvent& Value) { onStartDrag_ = Value; }
  const TEndDragEvent& OnEndDrag() const { return onEndDrag_; }
  void SetOnEndDrag(const TEndDragEvent& Value) { onEndDrag_ = Value; }
  const TStartDockEvent& OnStartDock() const { return onStartDock_; }
  void SetOnStartDock(const TStartDockEvent& Value) { onStartDock_ = Value; }
  const TEndDragEvent& OnEndDock() const { return onEndDock_; }
  void SetOnEndDock(const TEndDragEvent& Value) { onEndDock_ = Value; }
  const TNotifyEvent& OnResize() const { return onResize_; }
  void SetOnResize(const TNotifyEvent& Value) { onResize_ = Value; }
  const TCanResizeEvent& OnCanResize() const { return onCanResize_; }
  void SetOnCanResize(const TCanResizeEvent& Value) { onCanResize_ = Value; }
  const TConstrainedResizeEvent& OnConstrainedResize() const { return onConstrainedResize_; }
  void SetOnConstrainedResize(const TConstrainedResizeEvent& Value) { onConstrainedResize_ = Value; }

  // Called by the drag manager; public so drag objects of other units can reach them.
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
  virtual void DoStartDrag(TDragObject*& DragObject);
  void DoDragMsg(TCMDrag& DragMsg);
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // A drag of this control ended without a drop.
  virtual void DragCanceled() {}
  // The control's part of its window's DC (graphic controls: the parent's DC with the
  // origin moved and clipped); WindowHandle receives the window.
  virtual HDC GetDeviceContext(HWND& WindowHandle);
  // Ends a mouse action of every control but Sender (CM_CANCELMODE to the focused form).
  void SendCancelMode(TControl* Sender);

protected:
  virtual void WndProc(TMessage& Message);
  // Layout.
  virtual TRect GetClientRect();
  virtual TPoint GetClientOrigin();
  virtual void AdjustSize();
  virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight);
  virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
  bool CheckNewSize(Integer& NewWidth, Integer& NewHeight);
  virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  virtual void DoConstraintsChange(TObject* Sender);
  virtual void RequestAlign();
  virtual void Resize();
  virtual void ChangeScale(Integer M, Integer D);
  void UpdateAnchorRules();
  void UpdateBoundsRect(const TRect& R);
  virtual void SetZOrder(bool TopMost);
  // Moves the control to Position in its parent's z-order (0: bottom).
  virtual void SetZOrderPosition(Integer Position);
  virtual void VisibleChanging() {}
  virtual bool GetEnabled() { return enabled_; }
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  // Tells the parent that the control changed (CM_CHANGED).
  void Changed();
  // The two kinds of setter of the parent-following properties: a value of the control's
  // own clears its Parent* flag (then Msg tells the control); setting the flag again takes
  // the parent's value (Msg, CM_PARENTxCHANGED, tells the control to fetch it).
  template <class V> void setOwnValue(V& Field, V Value, bool& ParentFlag, UINT Msg) {
    if (Field == Value) return;
    Field = Value;
    ParentFlag = false;
    Perform(Msg, 0, 0);
  }
  void setParentFlag(bool& Flag, bool Value, UINT Msg);
  // Runs Work with Item in ControlState for its length (taken out again when Work raises).
  void withControlState(TControlStateItem Item, const std::function<void()>& Work);
  virtual HPALETTE GetPalette() { return nullptr; }
  virtual bool PaletteChanged(bool Foreground);

  // Mouse and clicks.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void MouseWheelHandler(TMessage& Message);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual TPopupMenu* GetPopupMenu() { return popupMenu_; }

  // Drag and drop.
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  void BeginAutoDrag();

  // Actions.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  void DoActionChange(TObject* Sender);
  virtual TClass GetActionLinkClass();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // "IsControl": stored when set (a form used as a control of another form).
  void DefineProperties(TFiler* Filer) override;

public:
  // Stored predicates of the published properties (a property that follows the action or
  // the parent is not stored).
  bool IsCaptionStored();
  bool IsEnabledStored();
  bool IsHintStored();
  bool IsVisibleStored();
  bool IsHelpContextStored();
  bool IsOnClickStored();
  bool IsColorStored() const { return !parentColor_; }
  bool IsFontStored() const { return !parentFont_; }
  bool IsShowHintStored() const { return !parentShowHint_; }
  bool IsBiDiModeStored() const { return !parentBiDiMode_; }

  // Message handlers (public so the class's message map can list them; they are reached
  // through Dispatch).
  void WMLButtonDown(TWMMouse& Message);
  void WMRButtonDown(TWMMouse& Message);
  void WMMButtonDown(TWMMouse& Message);
  void WMLButtonDblClk(TWMMouse& Message);
  void WMRButtonDblClk(TWMMouse& Message);
  void WMMButtonDblClk(TWMMouse& Message);
  void WMLButtonUp(TWMMouse& Message);
  void WMRButtonUp(TWMMouse& Message);
  void WMMButtonUp(TWMMouse& Message);
  void WMMouseMove(TWMMouse& Message);
  void WMMouseWheel(TWMMouseWheel& Message);
  void WMContextMenu(TWMContextMenu& Message);
  void WMCancelMode(TWMCancelMode& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMParentBiDiModeChanged(TMessage& Message);
  void CMHitTest(TCMHitTest& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CMMouseWheel(TCMMouseWheel& Message);
  void CMDrag(TCMDrag& Message);
  void CMSysColorChange(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);

protected:
  // Shared with the subclasses: storage they read or adjust directly.
  TFont* font_;
  TControlStyle controlStyle_;
  TControlState controlState_;
  TColor color_ = clWindow;
  bool visible_ = true;
  bool enabled_ = true;
  bool parentColor_ = true;
  bool parentFont_ = true;
  bool parentShowHint_ = true;
  bool showHint_ = false;
  Integer left_ = 0;
  Integer top_ = 0;
  Integer width_ = 0;
  Integer height_ = 0;
  std::string text_;  // the text while the control has no window
  TPoint originalParentSize_{0, 0};
  TPoint anchorRules_{0, 0};
  bool anchorMove_ = false;
  Integer wheelAccumulator_ = 0;

private:
  friend class TWinControl;
  friend class TControlActionLink;
  std::string GetText();
  void fontChanged(TObject* Sender);
  void doMouseDown(TWMMouse& Message, TMouseButton Button, TShiftState Shift);
  void doMouseUp(TWMMouse& Message, TMouseButton Button);

  TWinControl* parent_ = nullptr;
  TWndMethod windowProc_;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  TSizeConstraints* constraints_;
  bool autoSize_ = false;
  bool isControl_ = false;
  TCursor cursor_ = crDefault;
  TCursor dragCursor_ = crDrag;
  TDragKind dragKind_ = dkDrag;
  TDragMode dragMode_ = dmManual;
  std::string hint_;
  THelpType helpType_ = htContext;
  std::string helpKeyword_;
  THelpContext helpContext_ = 0;
  TPopupMenu* popupMenu_ = nullptr;
  TControlActionLink* actionLink_ = nullptr;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;

  TNotifyEvent onClick_;
  TNotifyEvent onDblClick_;
  TMouseEvent onMouseDown_;
  TMouseMoveEvent onMouseMove_;
  TMouseEvent onMouseUp_;
  TNotifyEvent onMouseEnter_;
  TNotifyEvent onMouseLeave_;
  TMouseWheelEvent onMouseWheel_;
  TMouseWheelUpDownEvent onMouseWheelDown_;
  TMouseWheelUpDownEvent onMouseWheelUp_;
  TContextPopupEvent onContextPopup_;
  TDragOverEvent onDragOver_;
  TDragDropEvent onDragDrop_;
  TStartDragEvent onStartDrag_;
  TEndDragEvent onEndDrag_;
  TStartDockEvent onStartDock_;
  TEndDragEvent onEndDock_;
  TNotifyEvent onResize_;
  TCanResizeEvent onCanResize_;
  TConstrainedResizeEvent onConstrainedResize_;
};

// The parameters CreateWnd makes a window with; a subclass adjusts them in CreateParams.
// WinClassName names the window class registered for the control's class (its class name
// by default); WindowClass is that class's description.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0;
  Integer Y = 0;
  Integer Width = 0;
  Integer Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  std::string WinClassName;
};

// A control with a window of its own, which can hold other controls.
//
// The window is made when first needed (Handle, HandleNeeded, or when the control is
// shown inside a showing parent) and may be destroyed and made again (RecreateWnd): the
// control keeps its text, bounds and state in between. Each control class registers one
// window class, named after the class, whose window procedure is the shared procedure of
// every control; a control built over a system window class (CreateSubClass with "EDIT",
// "BUTTON" ...) keeps that class's procedure as DefWndProc, which DefaultHandler calls.
//
// Children: Controls(i) lists the graphic children first, then the windowed ones, each in
// z-order from the bottom. Inserting a child sends the container CM_CONTROLLISTCHANGE
// (Inserting) before the child is in the list and CM_CONTROLCHANGE after; removing sends
// CM_CONTROLCHANGE while the child is still there and CM_CONTROLLISTCHANGE after.
//
// Layout: AlignControls places the children with Align in the order alTop, alBottom,
// alLeft, alRight, alClient, alCustom (each group sorted by position), then moves the
// anchored ones. It runs when the window exists and alignment is not disabled
// (DisableAlign/EnableAlign nest; the pending work runs on the last EnableAlign).
class TWinControl : public TControl {
  RTL_DECLARE_CLASS(TWinControl, TControl)
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // A control with no parent control living inside a foreign window.
  template <class T> static T* CreateParented(HWND ParentWindow) {
    T* control = New<T>(nullptr);
    control->SetParentWindow(ParentWindow);
    return control;
  }

  // --- Window.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // The window without making it (null when there is none).
  HWND WindowHandle() const { return handle_; }
  // Takes Value as the control's window (subclassing it when it was not made by the
  // control's own class); null forgets the window without destroying it.
  void SetWindowHandle(HWND Value);
  // The window procedure DefaultHandler hands messages to.
  WNDPROC DefWndProc() const { return defWndProc_; }
  void SetDefWndProc(WNDPROC Value) { defWndProc_ = Value; }
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND Value);
  // Destroys the window and makes it again (when it exists), keeping focus.
  void RecreateWnd();
  // Destroys the windows of the control and its children (they are made again on need).
  void DestroyHandle();
  // The window children use as parent (the MDI client for an MDI frame).
  virtual HWND GetParentHandle();
  // The window of the next windowed sibling above Control in z-order, for SetWindowPos.
  HWND PrecedingWindow(TWinControl* Control);
  // The entry of the shared window procedure: WindowProc with every exception handed to
  // Application->HandleException.
  void MainWndProc(TMessage& Message);
  void DefaultHandler(TMessage& Message) override;

  // --- Children.
  Integer ControlCount() const;
  TControl* Controls(Integer Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // Whether Control is this control or one of its descendants.
  bool ContainsControl(TControl* Control);
  // The child at Pos (client coordinates) that takes the mouse there: graphic children
  // first from the top of the z-order, then (AllowWinControls) windowed ones; hidden and
  // (unless AllowDisabled) disabled children are skipped.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false,
                         bool AllLevels = false);
  TControl* FindChildControl(const std::string& ControlName);
  // Sends Message to every child until one sets a non-zero Result.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);
  // Makes AControl (a child) visible: shows this control and its parents as needed.
  virtual void ShowControl(TControl* AControl);
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;
  // Mirrors the children's positions (and alignment) for right-to-left layout.
  virtual void FlipChildren(bool AllLevels);

  // --- Layout.
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return alignLevel_ != 0; }
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void ScrollBy(Integer DeltaX, Integer DeltaY);
  void UpdateControlState();
  bool Showing() const { return showing_; }

  // --- Painting.
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  // Paints the control and its children onto DC with the top-left corner at (X, Y).
  void PaintTo(HDC DC, Integer X, Integer Y);
  void PaintTo(TCanvas* Canvas, Integer X, Integer Y);
  TBrush* Brush() const { return brush_; }
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool Value) { doubleBuffered_ = Value; }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool Value);
  bool ParentBackground() const { return controlStyle_.Contains(csParentBackground); }
  virtual void SetParentBackground(bool Value);
  TBevelEdges BevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges Value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut Value);
  TBevelKind BevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind Value);
  TBevelWidth BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth Value);
  TBorderWidth BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(TBorderWidth Value);

  // --- Focus and tab order.
  virtual bool CanFocus();
  virtual bool Focused();
  virtual void SetFocus();
  TTabOrder TabOrder() const;
  void SetTabOrder(TTabOrder Value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool Value);
  // The windowed descendants in tab order (each child followed by its own list).
  virtual void GetTabOrderList(TList* List);
  // The next (or previous) focusable control of the tab order after CurControl (null:
  // from the start); CheckTabStop skips controls without TabStop, CheckParent those whose
  // parent is not this control. Null when none.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  // Focuses the control FindNextControl gives.
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  void SelectFirst();
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode Value) { imeMode_ = Value; }
  const TImeName& ImeName() const { return imeName_; }
  void SetImeName(const TImeName& Value) { imeName_ = Value; }

  // --- Events.
  const TNotifyEvent& OnEnter() const { return onEnter_; }
  void SetOnEnter(const TNotifyEvent& Value) { onEnter_ = Value; }
  const TNotifyEvent& OnExit() const { return onExit_; }
  void SetOnExit(const TNotifyEvent& Value) { onExit_ = Value; }
  const TKeyEvent& OnKeyDown() const { return onKeyDown_; }
  void SetOnKeyDown(const TKeyEvent& Value) { onKeyDown_ = Value; }
  const TKeyPressEvent& OnKeyPress() const { return onKeyPress_; }
  void SetOnKeyPress(const TKeyPressEvent& Value) { onKeyPress_ = Value; }
  const TKeyEvent& OnKeyUp() const { return onKeyUp_; }
  void SetOnKeyUp(const TKeyEvent& Value) { onKeyUp_ = Value; }
  const TAlignInsertBeforeEvent& OnAlignInsertBefore() const { return onAlignInsertBefore_; }
  void SetOnAlignInsertBefore(const TAlignInsertBeforeEvent& Value) { onAlignInsertBefore_ = Value; }
  const TAlignPositionEvent& OnAlignPosition() const { return onAlignPosition_; }
  void SetOnAlignPosition(const TAlignPositionEvent& Value) { onAlignPosition_ = Value; }

  HDC GetDeviceContext(HWND& WindowHandle) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void SetParent(TWinControl* AParent) override;

protected:
  void WndProc(TMessage& Message) override;

  // Window life.
  virtual void CreateParams(TCreateParams& Params);
  // Makes the window and everything about it (window class, font, bounds).
  virtual void CreateWnd();
  // The CreateWindowEx call itself.
  virtual void CreateWindowHandle(const TCreateParams& Params);
  // Makes the window and places it in the parent's z-order.
  virtual void CreateHandle();
  // Keeps the text, then destroys the window (DestroyWindowHandle).
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // Turns Params into those of the system window class ControlClassName (its class
  // description, its window procedure as DefWndProc), keeping the control's own class name.
  void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
  void UpdateBounds();
  void UpdateShowing();
  virtual void UpdateRecreatingFlag(bool Recreating);

  // Layout.
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void AlignControl(TControl* AControl);
  virtual void AdjustClientRect(TRect& Rect);
  virtual void ControlsAligned() {}
  virtual bool CustomAlignInsertBefore(TControl* C1, TControl* C2);
  virtual void CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                   Integer& NewHeight, TRect& AlignRect, const TAlignInfo& AlignInfo);
  void AdjustSize() override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  TRect GetClientRect() override;
  TPoint GetClientOrigin() override;
  void ChangeScale(Integer M, Integer D) override;
  void SetZOrder(bool TopMost) override;
  void SetZOrderPosition(Integer Position) override;
  // The rectangle the children occupy (their union), for AutoSize.
  TRect GetControlExtents();

  // Painting.
  void PaintHandler(TWMPaint& Message);
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);

  // Keyboard and focus.
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  bool DoKeyDown(TWMKey& Message);
  bool DoKeyUp(TWMKey& Message);
  bool DoKeyPress(TWMKey& Message);
  // DoKeyDown and DoKeyUp: the form's preview (Preview), then the control's Handler.
  bool doKeyEvent(TWMKey& Message, bool (TWinControl::*Preview)(TWMKey&), void (TWinControl::*Handler)(Word&, TShiftState));
  virtual void DoEnter();
  virtual void DoExit();
  bool IsMenuKey(TWMKey& Message);
  // Takes the focus from this control (and, when Removing, from its children) before it
  // goes away or cannot keep it.
  void RemoveFocus(bool Removing);
  void FixupTabList();
  void UpdateTabOrder(TTabOrder Value);
  virtual bool IsControlMouseMsg(TWMMouse& Message);
  TClass GetActionLinkClass() override;
  // "DesignSize": the client size the children's anchors were laid out against, stored
  // when some child is anchored to the right or bottom.
  void DefineProperties(TFiler* Filer) override;

public:
  bool IsCtl3DStored() const { return !parentCtl3D_; }

  // Message handlers (public for the message map).
  void WMPaint(TWMPaint& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMPrintClient(TWMPrintClient& Message);
  void WMCommand(TWMCommand& Message);
  void WMNotify(TWMNotify& Message);
  void WMDrawItem(TWMDrawItem& Message);
  void WMMeasureItem(TWMMeasureItem& Message);
  void WMCompareItem(TWMCompareItem& Message);
  void WMDeleteItem(TWMDeleteItem& Message);
  void WMHScroll(TWMScroll& Message);
  void WMVScroll(TWMScroll& Message);
  void WMCharToItem(TMessage& Message);
  void WMVKeyToItem(TMessage& Message);
  void WMSize(TWMSize& Message);
  void WMMove(TWMMove& Message);
  void WMWindowPosChanged(TWMWindowPosChanged& Message);
  void WMWindowPosChanging(TWMWindowPosChanging& Message);
  void WMSetCursor(TWMSetCursor& Message);
  void WMSetFocus(TWMSetFocus& Message);
  void WMKillFocus(TWMKillFocus& Message);
  void WMKeyDown(TWMKey& Message);
  void WMSysKeyDown(TWMKey& Message);
  void WMKeyUp(TWMKey& Message);
  void WMSysKeyUp(TWMKey& Message);
  void WMChar(TWMKey& Message);
  void WMContextMenu(TWMContextMenu& Message);
  void WMNCCalcSize(TWMNCCalcSize& Message);
  void WMNCPaint(TMessage& Message);
  void WMNCDestroy(TWMNCDestroy& Message);
  void WMDestroy(TWMDestroy& Message);
  void WMMouseLeave(TMessage& Message);
  void CNKeyDown(TWMKey& Message);
  void CNKeyUp(TWMKey& Message);
  void CNChar(TWMKey& Message);
  void CNSysKeyDown(TWMKey& Message);
  void CNSysChar(TWMKey& Message);
  void CMShowingChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMParentCtl3DChanged(TMessage& Message);
  void CMEnter(TCMEnter& Message);
  void CMExit(TCMExit& Message);
  void CMDialogKey(TCMDialogKey& Message);
  void CMDialogChar(TCMDialogChar& Message);
  void CMChildKey(TCMChildKey& Message);
  void CMFocusChanged(TCMFocusChanged& Message);
  void CMInvalidate(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  void CMSysFontChanged(TMessage& Message);
  void CMWinIniChange(TMessage& Message);
  void CMFontChange(TMessage& Message);
  void CMTimeChange(TMessage& Message);
  void CMDrag(TCMDrag& Message);
  void CMTabStopChanged(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMBorderChanged(TMessage& Message);
  void CMCursorChanged(TMessage& Message);
  void WMSysColorChange(TMessage& Message);
  void WMWinIniChange(TMessage& Message);
  void WMFontChange(TMessage& Message);
  void WMTimeChange(TMessage& Message);

protected:
  TBrush* brush_;

private:
  friend class TControl;
  friend LRESULT CALLBACK controlWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend class TCustomForm;
  void insert(TControl* AControl);
  void remove(TControl* AControl);
  void attachHandle(HWND Window);
  void detachHandle();
  void trackMouseLeave();
  void drawBevels();
  Integer bevelSize() const;
  // Sets a border setting and tells the control its frame changed (CM_BORDERCHANGED).
  template <class V> void setBorderValue(V& Field, V Value) {
    if (Field == Value) return;
    Field = Value;
    Perform(CM_BORDERCHANGED, 0, 0);
  }

  HWND handle_ = nullptr;
  HWND parentWindow_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  bool subclassed_ = false;  // the window's procedure was replaced after its creation
  std::vector<TControl*> controls_;        // graphic children, bottom first
  std::vector<TWinControl*> winControls_;  // windowed children, bottom first
  std::vector<TWinControl*> tabList_;      // windowed children in tab order
  Integer alignLevel_ = 0;
  TTabOrder tabOrder_ = -1;  // while reading: the stored tab order
  TPoint designSize_{0, 0};  // as read from "DesignSize" 
  bool tabStop_ = false;
  bool showing_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  bool doubleBuffered_ = false;
  bool recreating_ = false;
  bool trackingMouse_ = false;
  TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
  TBevelCut bevelInner_ = bvRaised;
  TBevelCut bevelOuter_ = bvLowered;
  TBevelKind bevelKind_ = bkNone;
  TBevelWidth bevelWidth_ = 1;
  TBorderWidth borderWidth_ = 0;
  TImeMode imeMode_ = imDontCare;
  TImeName imeName_;
  TNotifyEvent onEnter_;
  TNotifyEvent onExit_;
  TKeyEvent onKeyDown_;
  TKeyPressEvent onKeyPress_;
  TKeyEvent onKeyUp_;
  TAlignInsertBeforeEvent onAlignInsertBefore_;
  TAlignPositionEvent onAlignPosition_;
};

// A control without a window of its own: it paints on its parent's window (Paint with
// Canvas, a TControlCanvas on the parent's DC) and takes the mouse through its parent.
class TGraphicControl : public TControl {
  RTL_DECLARE_CLASS(TGraphicControl, TControl)
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const { return canvas_.get(); }

  void WMPaint(TWMPaint& Message);  // for the message map

protected:
  virtual void Paint() {}

private:
  TOwnedControlCanvas canvas_;
};

// A windowed control that paints itself: Paint draws on Canvas (the window's DC while
// WM_PAINT is handled; painting outside WM_PAINT gets a DC of its own).
class TCustomControl : public TWinControl {
  RTL_DECLARE_CLASS(TCustomControl, TWinControl)
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas* Canvas() const { return canvas_.get(); }

  void WMPaint(TWMPaint& Message);  // for the message map

protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

private:
  TOwnedControlCanvas canvas_;
};

// =======================================================================================
// Hints
// =======================================================================================

class THintWindow;
using THintWindowClass = TClass;

// What CM_HINTSHOW receives (LParam points to it) and may change before a hint shows.
struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass = nullptr;
  TPoint HintPos{0, 0};      // screen position of the hint window
  Integer HintMaxWidth = 0;  // wraps the text beyond this width
  TColor HintColor = clInfoBk;
  TRect CursorRect{0, 0, 0, 0};  // the hint stays while the mouse stays in here (screen)
  TPoint CursorPos{0, 0};        // in HintControl's client coordinates
  Integer ReshowTimeout = 0;     // > 0: ask again after this many ms
  Integer HideTimeout = 0;       // hide after this many ms (0: the application's)
  std::string HintStr;
  void* HintData = nullptr;
};
struct TCMHintShow {
  UINT Msg;
  UINT MsgFiller;
  WPARAM Reserved;
  THintInfo* HintInfo;
  LRESULT Result;
};
// CM_HINTSHOWPAUSE: WParam says whether a hint was showing; LParam points to the pause (ms)
// before the next hint, which the control may change.

// The small window that shows a hint: the text on clInfoBk in the hint font, with a thin
// raised border, always on top, never activated, transparent to the mouse.
class THintWindow : public TCustomControl {
  RTL_DECLARE_CLASS(THintWindow, TCustomControl)
public:
  explicit THintWindow(TComponent* AOwner);

  // Shows AHint at Rect (screen coordinates, moved to stay on the desktop).
  virtual void ActivateHint(TRect Rect, const std::string& AHint);
  virtual void ActivateHintData(TRect Rect, const std::string& AHint, void* AData);
  // The size the hint needs, wrapping at MaxWidth; the rectangle starts at (0, 0).
  virtual TRect CalcHintRect(Integer MaxWidth, const std::string& AHint, void* AData);
  // Whether Msg (from the queue) should take the hint away: keys, clicks, activation.
  virtual bool IsHintMsg(const MSG& Msg);
  void ReleaseHandle() { DestroyHandle(); }

  // Message handlers (public for the message map).
  void WMNCHitTest(TWMNCHitTest& Message);
  void WMNCPaint(TMessage& Message);
  void CMTextChanged(TMessage& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

private:
  bool activating_ = false;
};

// =======================================================================================
// Mouse
// =======================================================================================

// The mouse: its position, the control holding it, and the system's drag and wheel
// settings.
class TMouse : public TObject {
  RTL_DECLARE_CLASS(TMouse, TObject)
public:
  TMouse();

  TControl* Capture();
  void SetCapture(TControl* Value) { SetCaptureControl(Value); }
  TPoint CursorPos();
  void SetCursorPos(const TPoint& Value);
  // Pixels the mouse must move before a drag starts (default 5).
  Integer DragThreshold() const { return dragThreshold_; }
  void SetDragThreshold(Integer Value) { dragThreshold_ = Value; }
  // Whether an automatic drag starts at the button press.
  bool DragImmediate() const { return dragImmediate_; }
  void SetDragImmediate(bool Value) { dragImmediate_ = Value; }
  bool MousePresent() const { return mousePresent_; }
  bool WheelPresent() const { return wheelPresent_; }
  // Lines a wheel notch scrolls (the system's setting).
  Integer WheelScrollLines() const { return scrollLines_; }
  // Reads the system's settings again.
  void SettingChanged(Integer Setting);

  static void SetCaptureControl(TControl* Control);

private:
  Integer dragThreshold_ = 5;
  bool dragImmediate_ = true;
  bool mousePresent_ = true;
  bool wheelPresent_ = true;
  Integer scrollLines_ = 3;
};

extern TMouse* Mouse;

// =======================================================================================
// Routines
// =======================================================================================

// The control whose window Handle is (null for a window no control of this program owns).
TWinControl* FindControl(HWND Handle);
// The innermost control at screen point Pos: a windowed control under the point or one of
// its graphic children that takes the mouse there (AllowDisabled: disabled ones too).
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
// The control holding the mouse: a graphic control through its parent's capture.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Ends the running drag (as cancelled), if any.
void CancelDrag();
bool IsDragObject(TObject* Sender);
// The control being dragged, null when none.
TControl* DragControlOf();

TShiftState KeysToShiftState(Word Keys);
TShiftState KeyDataToShiftState(Integer KeyData);
TShiftState KeyboardStateToShiftState(const BYTE* KeyboardState);
TShiftState KeyboardStateToShiftState();

// A hint holds a short part before '|' and a long part after it ("Open|Opens a file").
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

// Cursor names ("crHandPoint"), as form descriptions store them.
bool CursorToIdent(Integer Cursor, std::string& Ident);
bool IdentToCursor(const std::string& Ident, Integer& Cursor);
std::string CursorToString(TCursor Cursor);
TCursor StringToCursor(const std::string& S);
void GetCursorValues(const std::function<void(const std::string&)>& Proc);

// A process-wide wrapper of TWinControl's WM_PRINTCLIENT handling (null: none). It is
// called instead of the handling and runs Handle(Control, Message) for the real work.
using TPrintClientWrapper = void (*)(TWinControl* Control, TWMPrintClient& Message,
                                     void (*Handle)(TWinControl* Control, TWMPrintClient& Message));
extern TPrintClientWrapper PrintClientWrapper;

// Runs Paint with Canvas drawing on DC (locked, and detached again afterwards even when
// Paint raises): the painting of graphic controls, custom controls and forms.
void paintOnCanvas(TCanvas* Canvas, HDC DC, const std::function<void()>& Paint);

// Moves the window origin of DC by (DX, DY) (a child's paint origin inside its parent).
void MoveWindowOrg(HDC DC, Integer DX, Integer DY);
// Erases the background of Control's area through its parent (transparent painting).
void PerformEraseBackground(TControl* Control, HDC DC);
// Sends Msg to the application window (the application's key and command routing).
LRESULT SendAppMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
// The alignment mirrored for right-to-left text.
void ChangeBiDiModeAlignment(TAlignment& Alignment);

namespace ControlsUnit {
void Initialize();
void Finalize();
}  // namespace ControlsUnit
