#pragma once
// The extended-control bases: each intercepts the class library's control notifications
// and a few window messages in its window procedure and turns each into an overridable
// operation whose default passes the message on unchanged (PassToBaseHandler), so that a
// descendant reacts to "enabled changed", "mouse entered", "dialog character" and the like
// by overriding one operation. They also add a per-control hint colour, a mouse-inside
// flag with enter and leave events and a parent-colour-change event, and keep device
// contexts intact around erase and print messages.
//
// This unit holds the non-windowed base and the shared pieces; JvExForms holds the form
// base, JvExExtCtrls the radio-group base and JvExMask the masked-edit base. Every base
// takes its messages through JvExDispatch below and declares IJvExtendedControl.

#include <windows.h>

#include <string>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

// The Win32 dialog-code bits a control may ask for, as a set; dgcNative: leave the
// native answer alone.
RTL_ENUM(TJvDialogCode, dgcAllKeys, dgcArrows, dgcChars, dgcButton, dgcHasSetSel, dgcTab, dgcNative)
using TJvDialogCodes = Set<TJvDialogCode>;

// This unit's private message numbers are in platform/gui/MessageIds.h.

// Declared by every extended base; it has no operations of its own. The control's
// reference counting is the component's (none), so asking for it never affects the
// control's lifetime.
struct IJvExtendedControl : public IInterface {
  RTL_INTERFACE_ID(0x8E6579C3, 0xD683, 0x4562, 0xAF, 0xAB, 0xD2, 0x3C, 0x85, 0x26, 0xE3, 0x86)

protected:
  ~IJvExtendedControl() = default;
};

// Declared by a control class whose window must not be subclassed by the library.
struct IJvNoSubclassing : public IInterface {
  RTL_INTERFACE_ID(0x76942BC0, 0x2A6E, 0x4DC4, 0xBF, 0xC9, 0x8E, 0x11, 0x0D, 0xB7, 0xF6, 0x01)

protected:
  ~IJvNoSubclassing() = default;
};

// A control class that adds a marker interface to a component base has one IInterface
// more; this sends all of them to the component's own (not reference counted) methods.
#define JV_IINTERFACE_FROM(Base)                                                                             \
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {                         \
    return Base::QueryInterface(riid, obj);                                                                  \
  }                                                                                                          \
  ULONG STDMETHODCALLTYPE _AddRef() override { return Base::_AddRef(); }                                     \
  ULONG STDMETHODCALLTYPE _Release() override { return Base::_Release(); }

// Alt 0x20000000, Ctrl 0x10000000, Shift 0x08000000, or-ed.
Integer JvShiftStateToKeyData(TShiftState Shift);
TJvDialogCodes JvDlgcToDialogCodes(UINT Dlgc);
// Bits of the flags of Codes (dgcNative has none).
UINT JvDialogCodesToDlgc(TJvDialogCodes Codes);
// Gives HintInfo the hint colour Color stands for: clNone the application's, clDefault
// the one the parent chain resolves (through CM_HINTSHOW to the parent), anything else
// itself.
void JvApplyHintColor(THintInfo& HintInfo, TControl* Control, TColor Color);

// Turns messages into the operations of an extended base (Self declares them with the
// macros below); a message the dispatch does not take goes to the base class's WndProc.
template <class Self> struct JvExDispatch {
  // True when Msg was one of the shared notifications (Self's operation took it).
  static bool Common(Self* S, TMessage& Msg) {
    switch (Msg.Msg) {
      case CM_DIALOGCHAR: {
        const char ch = static_cast<char>(Msg.WParam);
        Msg.Result = S->AcceptsDialogChar(static_cast<Word>(Msg.WParam),
                                          KeyDataToShiftState(static_cast<Integer>(Msg.LParam)),
                                          std::string(1, ch))
                         ? 1
                         : 0;
        return true;
      }
      case CM_FOCUSCHANGED: S->NotifyFocusChanged(reinterpret_cast<TWinControl*>(Msg.LParam)); return true;
      case CM_PARENTFONTCHANGED: S->NotifyParentFontChanged(); return true;
      case CM_PARENTCOLORCHANGED: S->NotifyParentColorChanged(); return true;
      case CM_HITTEST:
        Msg.Result = S->IsHitAt(static_cast<SmallInt>(LOWORD(Msg.LParam)), static_cast<SmallInt>(HIWORD(Msg.LParam)))
                         ? 1
                         : 0;
        return true;
      case CM_VISIBLECHANGED: S->NotifyVisibleChanged(); return true;
      case CM_ENABLEDCHANGED: S->NotifyEnabledChanged(); return true;
      case CM_COLORCHANGED: S->NotifyColorChanged(); return true;
      case CM_FONTCHANGED: S->NotifyFontChanged(); return true;
      case CM_TEXTCHANGED: S->NotifyTextChanged(); return true;
      case CM_MOUSEENTER: S->HandleMouseEnter(reinterpret_cast<TControl*>(Msg.LParam)); return true;
      case CM_MOUSELEAVE: S->HandleMouseLeave(reinterpret_cast<TControl*>(Msg.LParam)); return true;
      case CM_PARENTSHOWHINTCHANGED: S->NotifyParentShowHintChanged(); return true;
      case CM_HINTSHOW: Msg.Result = S->PrepareHint(*reinterpret_cast<THintInfo*>(Msg.LParam)) ? 1 : 0; return true;
      case CM_JVNOSUBCLASSING: Msg.Result = S->GetInterface(IJvNoSubclassing::IID(), nullptr) ? 1 : 0; return true;
      default: return false;
    }
  }

  // The window procedure of a windowed base: its operations first, anything else to the
  // base class's window procedure.
  static void WindowedWndProc(Self* S, TMessage& Msg) {
    if (!Common(S, Msg) && !Windowed(S, Msg)) S->CallBase(Msg);
  }

  // The messages only windowed bases intercept.
  static bool Windowed(Self* S, TMessage& Msg) {
    switch (Msg.Msg) {
      case CM_CURSORCHANGED: S->NotifyCursorChanged(); return true;
      case CM_SHOWINGCHANGED: S->NotifyShowingChanged(); return true;
      case CM_SHOWHINTCHANGED: S->NotifyShowHintChanged(); return true;
      case CM_CONTROLLISTCHANGE:
        if (Msg.LParam != 0) S->NotifyControlListChanging(reinterpret_cast<TControl*>(Msg.WParam), true);
        else S->NotifyControlListChanged(reinterpret_cast<TControl*>(Msg.WParam), false);
        return true;
      case CM_CONTROLCHANGE:
        if (Msg.LParam == 0) S->NotifyControlListChanging(reinterpret_cast<TControl*>(Msg.WParam), false);
        else S->NotifyControlListChanged(reinterpret_cast<TControl*>(Msg.WParam), true);
        return true;
      case WM_SIZE:
        S->CallBase(Msg);
        S->NotifyBoundsChanged();
        return true;
      case WM_SETFOCUS: S->HandleFocusGained(reinterpret_cast<HWND>(Msg.WParam)); return true;
      case WM_KILLFOCUS: S->HandleFocusLost(reinterpret_cast<HWND>(Msg.WParam)); return true;
      case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(Msg.WParam);
        const int saved = SaveDC(dc);
        TCanvas* canvas = new TCanvas();
        try {
          canvas->SetHandle(dc);
          Msg.Result = S->PaintBackground(canvas, Msg.LParam) ? 1 : 0;
        } catch (...) {
          canvas->SetHandle(nullptr);
          delete canvas;
          RestoreDC(dc, saved);
          throw;
        }
        canvas->SetHandle(nullptr);
        delete canvas;
        RestoreDC(dc, saved);
        return true;
      }
      case WM_GETDLGCODE: {
        S->CallBase(Msg);
        TJvDialogCodes codes = JvDlgcToDialogCodes(static_cast<UINT>(Msg.Result));
        codes.Include(dgcNative);
        S->AdjustDialogCodes(codes);
        if (!codes.Contains(dgcNative)) Msg.Result = JvDialogCodesToDlgc(codes);
        return true;
      }
      case WM_PRINT:
      case WM_PRINTCLIENT: {
        HDC dc = reinterpret_cast<HDC>(Msg.WParam);
        const int saved = SaveDC(dc);
        try {
          S->CallBase(Msg);
        } catch (...) {
          RestoreDC(dc, saved);
          throw;
        }
        RestoreDC(dc, saved);
        return true;
      }
      default: return false;
    }
  }
};

// Declares, inside an extended base derived from Base, the shared fields and the
// operations of the notifications every base intercepts. Defaults pass the message to
// Base's window procedure (PassToBaseHandler).
#define JV_EX_COMMON_MEMBERS(Self, Base)                                                                     \
public:                                                                                                      \
  TColor HintColor() const { return hintColor_; }                                                           \
  void SetHintColor(TColor Value) { hintColor_ = Value; }                                                   \
  bool MouseInside() const { return mouseInside_; }                                                         \
  const TNotifyEvent& OnMouseEnter() const { return onMouseEnter_; }                                        \
  void SetOnMouseEnter(const TNotifyEvent& Value) { onMouseEnter_ = Value; }                                \
  const TNotifyEvent& OnMouseLeave() const { return onMouseLeave_; }                                        \
  void SetOnMouseLeave(const TNotifyEvent& Value) { onMouseLeave_ = Value; }                                \
  const TNotifyEvent& OnParentColorChange() const { return onParentColorChange_; }                          \
  void SetOnParentColorChange(const TNotifyEvent& Value) { onParentColorChange_ = Value; }                  \
  /* Runs Base's window procedure on a fresh message record and returns its result. */                      \
  LRESULT PassToBaseHandler(UINT Msg, WPARAM WParam, LPARAM LParam) {                                       \
    TMessage m;                                                                                              \
    m.Msg = Msg;                                                                                             \
    m.WParam = WParam;                                                                                       \
    m.LParam = LParam;                                                                                       \
    m.Result = 0;                                                                                            \
    Base::WndProc(m);                                                                                        \
    return m.Result;                                                                                         \
  }                                                                                                          \
  void CallBase(TMessage& Msg) { Base::WndProc(Msg); }                                                       \
  virtual bool AcceptsDialogChar(Word Key, TShiftState Shift, const std::string&) {                          \
    return PassToBaseHandler(CM_DIALOGCHAR, Key, JvShiftStateToKeyData(Shift)) != 0;                         \
  }                                                                                                          \
  virtual void NotifyFocusChanged(TWinControl* Control) {                                                    \
    PassToBaseHandler(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));                                \
  }                                                                                                          \
  virtual void NotifyParentFontChanged() { PassToBaseHandler(CM_PARENTFONTCHANGED, 0, 0); }                  \
  virtual void NotifyParentColorChanged() {                                                                  \
    PassToBaseHandler(CM_PARENTCOLORCHANGED, 0, 0);                                                          \
    if (onParentColorChange_) onParentColorChange_(this);                                                    \
  }                                                                                                          \
  virtual bool IsHitAt(Integer X, Integer Y) {                                                               \
    return PassToBaseHandler(CM_HITTEST, 0, PointToLParam(Point(X, Y))) != 0;                                \
  }                                                                                                          \
  virtual void NotifyVisibleChanged() { PassToBaseHandler(CM_VISIBLECHANGED, 0, 0); }                        \
  virtual void NotifyEnabledChanged() { PassToBaseHandler(CM_ENABLEDCHANGED, 0, 0); }                        \
  virtual void NotifyColorChanged() { PassToBaseHandler(CM_COLORCHANGED, 0, 0); }                            \
  virtual void NotifyFontChanged() { PassToBaseHandler(CM_FONTCHANGED, 0, 0); }                              \
  virtual void NotifyTextChanged() { PassToBaseHandler(CM_TEXTCHANGED, 0, 0); }                              \
  virtual void HandleMouseEnter(TControl* Control) {                                                         \
    mouseInside_ = true;                                                                                     \
    if (onMouseEnter_) onMouseEnter_(this);                                                                  \
    PassToBaseHandler(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Control));                                  \
  }                                                                                                          \
  virtual void HandleMouseLeave(TControl* Control) {                                                         \
    mouseInside_ = false;                                                                                    \
    PassToBaseHandler(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Control));                                  \
    if (onMouseLeave_) onMouseLeave_(this);                                                                  \
  }                                                                                                          \
  virtual void NotifyParentShowHintChanged() { PassToBaseHandler(CM_PARENTSHOWHINTCHANGED, 0, 0); }          \
  virtual bool PrepareHint(THintInfo& HintInfo) {                                                            \
    JvApplyHintColor(HintInfo, this, hintColor_);                                                            \
    return PassToBaseHandler(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&HintInfo)) != 0;                      \
  }                                                                                                          \
  JV_IINTERFACE_FROM(Base)                                                                                   \
                                                                                                             \
protected:                                                                                                   \
  /* For a control that knows better than the notifications (a press seen before the enter). */           \
  void SetMouseInside(bool Value) { mouseInside_ = Value; }                                                  \
                                                                                                             \
private:                                                                                                     \
  TColor hintColor_ = clDefault;                                                                             \
  bool mouseInside_ = false;                                                                                 \
  TNotifyEvent onMouseEnter_;                                                                                \
  TNotifyEvent onMouseLeave_;                                                                                \
  TNotifyEvent onParentColorChange_;                                                                         \
                                                                                                             \
public:

// The operations only windowed bases have.
#define JV_EX_WINDOWED_MEMBERS(Self, Base)                                                                   \
public:                                                                                                      \
  virtual void NotifyCursorChanged() { PassToBaseHandler(CM_CURSORCHANGED, 0, 0); }                          \
  virtual void NotifyShowingChanged() { PassToBaseHandler(CM_SHOWINGCHANGED, 0, 0); }                        \
  virtual void NotifyShowHintChanged() { PassToBaseHandler(CM_SHOWHINTCHANGED, 0, 0); }                      \
  /* Changing precedes and Changed follows the change of the child list. */                                  \
  virtual void NotifyControlListChanging(TControl* Child, bool Inserting) {                                  \
    PassToBaseHandler(Inserting ? CM_CONTROLLISTCHANGE : CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(Child),   \
                      Inserting);                                                                            \
  }                                                                                                          \
  virtual void NotifyControlListChanged(TControl* Child, bool Inserting) {                                   \
    PassToBaseHandler(Inserting ? CM_CONTROLCHANGE : CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(Child),   \
                      Inserting);                                                                            \
  }                                                                                                          \
  virtual void NotifyBoundsChanged() {}                                                                      \
  virtual void HandleFocusGained(HWND PreviousWindow) {                                                      \
    PassToBaseHandler(WM_SETFOCUS, reinterpret_cast<WPARAM>(PreviousWindow), 0);                             \
  }                                                                                                          \
  virtual void HandleFocusLost(HWND NextWindow) {                                                            \
    PassToBaseHandler(WM_KILLFOCUS, reinterpret_cast<WPARAM>(NextWindow), 0);                                \
  }                                                                                                          \
  virtual bool PaintBackground(TCanvas* Canvas, LPARAM Param) {                                              \
    return PassToBaseHandler(WM_ERASEBKGND, reinterpret_cast<WPARAM>(Canvas->Handle()), Param) != 0;         \
  }                                                                                                          \
  virtual void AdjustDialogCodes(TJvDialogCodes& Codes) {}

// The non-windowed base.
class TJvExGraphicControl : public TGraphicControl, public IJvExtendedControl {
  RTL_DECLARE_CLASS(TJvExGraphicControl, TGraphicControl)
  JV_EX_COMMON_MEMBERS(TJvExGraphicControl, TGraphicControl)
public:
  explicit TJvExGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner) {}

protected:
  void WndProc(TMessage& Msg) override;
};
