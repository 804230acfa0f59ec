#pragma once
// Containers: controls of the set that draw their own border around an optional inner
// standard control (the editors, the list box and their kin), their appearance settings,
// and the windows that float beside an owner control.
//
//   - TcxContainerStyle keeps a container's appearance (border colour and style, colour,
//     edges, font, hot tracking, shadow, transparent border, look-and-feel). Each value
//     is assigned in the style itself, taken from a shared TcxStyleController, or falls
//     back to a default; the style knows which values were assigned, stores only those,
//     and tells its owner of every change through one handler.
//   - TcxContainer hosts the inner control, computes a TcxContainerViewInfo (geometry,
//     state and colours of one paint), keeps its window region, the inner control's
//     bounds and region, its hot-tracking state and the overlay scroll bars in step with
//     the style and the mouse.
//   - TcxCustomPopupWindow is a popup window with a container style, a list of the open
//     popups, show and close events, a focus-taking mode with its own message loop, and
//     three thread hooks that close the open popups when the user clicks elsewhere,
//     switches to another application, hides or closes the owner, or presses system
//     keys.
//   - TcxCustomInnerListBox is the list box a container hosts: it forwards its input to
//     the container and lays the set's own scroll bars over its native ones.
//   - Small window and rectangle routines used by the popups and the editors, a
//     free-notification component and the shared screen canvas.
//
// GUI thread only: the open-popup list and the hooks are process-wide and unguarded.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TcxContainer;
class TcxContainerStyle;
class TcxStyleController;
class TcxCustomPopupWindow;

// ---------------------------------------------------------------------------------------
// Types.

// The border a container draws (an 8-bit value in stored forms).
RTL_ENUM(TcxContainerBorderStyle, cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat)

// The index of a style value (0..31). Containers use the first eight; the editors' styles
// add their own from 8 on (as values of this type).
RTL_ENUM(TcxContainerStyleValue, csvBorderColor, csvBorderStyle, csvColor, csvEdges, csvFont, csvHotTrack, csvShadow,
         csvTransparentBorder)
using TcxContainerStyleValues = Set<TcxContainerStyleValue>;
// The number of style values a container style knows.
constexpr Integer cxContainerStyleValueCount = 8;

// Bits of TcxContainerViewInfo::ContainerState.
constexpr Integer csFocused = 1;
constexpr Integer csDisabled = 2;
constexpr Integer csHotTrack = 4;
constexpr Integer csNormal = 8;
using TcxContainerStateFlags = Integer;

// The hot-tracking phase of a painted border.
constexpr Integer cxHotStateNone = 0;    // the style does not hot-track
constexpr Integer cxHotStateIdle = 1;    // hot tracking, neither focused nor under the mouse
constexpr Integer cxHotStateActive = 2;  // focused or under the mouse

// The mouse button of a container's refresh (none for a refresh without a button).
RTL_ENUM(TcxMouseButton, cxmbNone, cxmbLeft, cxmbRight, cxmbMiddle)

// What the transparent border leaves on each side.
constexpr Integer cxContainerTransparentBorderExtent = 2;
// How far a container's shadow reaches beyond its border (right and bottom).
constexpr Integer cxContainerShadowWidth = 3;

// This unit's private message numbers are in platform/gui/MessageIds.h.

// ---------------------------------------------------------------------------------------
// Style and style controller.

using TcxStyleChangedEvent = TEvent<void(TObject* Sender, TcxContainerStyle* AStyle)>;

// The appearance settings of a container or a popup window.
//
// Reading a value gives the value assigned here, else the one assigned in the
// controller's style (and its controller's, and so on), else the Default... operation.
// Writing a value assigns it here. An in-place style (the style of a grid's cell editor)
// answers fixed values for what a cell never shows and keeps the font object it is given
// instead of copying it. Every change reaches OnChanged, once per update bracket; an
// in-place style never notifies.
//
// Build a style of a class reference with CreateOfClass, or CreateInstance(&args).
class TcxContainerStyle : public TPersistent {
  RTL_DECLARE_CLASS(TcxContainerStyle, TPersistent)
public:
  struct TCreateArgs {
    TPersistent* Owner;
    bool IsInplace;
  };
  using TConstructorArg = const TCreateArgs*;

  // The owner is usually the container (not owned). An in-place style starts with Color
  // and Font assigned and no font object. Build styles with New<T>, CreateOfClass or a
  // class reference, so that AfterConstruction runs.
  TcxContainerStyle(TPersistent* AOwner, bool AIsInplace);
  explicit TcxContainerStyle(const TCreateArgs* Args) : TcxContainerStyle(Args->Owner, Args->IsInplace) {}
  // Joins the class's default controller.
  void AfterConstruction() override;
  ~TcxContainerStyle() override;
  TcxContainerStyle(const TcxContainerStyle&) = delete;
  TcxContainerStyle& operator=(const TcxContainerStyle&) = delete;

  // A style of the class AClass (this class or a descendant).
  static TcxContainerStyle* CreateOfClass(TClass AClass, TPersistent* AOwner, bool AIsInplace);

  // From another container style, inside an update bracket: the controller (none when the
  // source uses the default one), the look-and-feel, the stored values, the font (whose
  // colour is the source's TextColor when the source is in place) and finally the
  // source's assigned values. Other sources go to the class library.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }

  // Inside an update bracket only marks a change pending; otherwise calls OnChanged unless
  // the style is in place or being destroyed.
  virtual void Changed();
  // The controller's style changed: the font is refreshed from it, then Changed.
  virtual void ControllerChanged();
  // AController is being destroyed: when it is this style's controller, the style leaves
  // it.
  virtual void ControllerFreeNotification(TcxStyleController* AController);
  virtual TColor DefaultBorderColor() { return clWindowFrame; }
  // By the look-and-feel's kind: flat cbsFlat, standard cbs3D, ultra-flat cbsUltraFlat.
  virtual TcxContainerBorderStyle DefaultBorderStyle();
  virtual TColor DefaultColor() { return clWindow; }
  virtual TcxBorders DefaultEdges() { return cxBordersAll; }
  virtual bool DefaultHotTrack() { return true; }
  virtual bool DefaultShadow() { return false; }
  virtual bool DefaultTransparentBorder() { return true; }
  // The font's change handler: unless the font is being refreshed from the controller,
  // Font becomes assigned; then Changed.
  virtual void FontChanged(TObject* Sender);
  // The colour of the owner container's parent when the container follows its parent's
  // colour; else the assigned colour; else DefaultColor. In place: the own colour.
  virtual TColor GetColor();
  // The colour to paint: the assigned colour first, then the parent's under ParentColor,
  // then DefaultColor. In place: the own colour.
  virtual TColor GetVisibleColor();
  // Whether the value is assigned here or anywhere up the controller chain (values of the
  // container; false for others).
  virtual bool IsValueAssigned(TcxContainerStyleValue AValue);
  // The controller was replaced: the font is refreshed from the new one, then Changed.
  virtual void StyleControllerChanged();
  // The controller a style of this class uses when none is set: none here.
  virtual TcxStyleController* GetDefaultStyleController() { return nullptr; }
  virtual Integer GetStyleValueCount() { return cxContainerStyleValueCount; }
  // The value's name ("BorderColor" ...) and true for a known value; "" and false
  // otherwise.
  virtual bool GetStyleValueName(TcxContainerStyleValue AValue, std::string& AName);
  // Inside an update bracket: the owning container follows its parent's font (and no
  // longer its colour), the look-and-feel is reset and no value stays assigned.
  virtual void RestoreDefaults();

  // The update bracket; the last EndUpdate calls Changed when a change is pending, an
  // EndUpdate without BeginUpdate does nothing.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }
  bool IsInplace() const { return FIsInplace; }
  bool IsDestroying() const { return FDestroying; }
  // The owner when it is a container.
  TcxContainer* GetOwnerContainer() const;
  TPersistent* Owner() const { return FOwner; }

  // The value assigned here or up the controller chain; false when none is.
  bool FindAssignedBorderColor(TColor& AValue);
  bool FindAssignedBorderStyle(TcxContainerBorderStyle& AValue);
  bool FindAssignedColor(TColor& AValue);
  bool FindAssignedEdges(TcxBorders& AValue);
  bool FindAssignedFont(TFont*& AValue);
  bool FindAssignedHotTrack(bool& AValue);
  bool FindAssignedShadow(bool& AValue);
  bool FindAssignedTransparentBorder(bool& AValue);
  // Unless the style is in place or its font is assigned here, the controller chain's
  // assigned font is copied into the style's font (Font does not become assigned).
  void RefreshFontFromController();

  // --- Published values.
  // In place: every value the style knows.
  TcxContainerStyleValues AssignedValues();
  // A different set is stored; the font is refreshed from the controller; Changed.
  void SetAssignedValues(TcxContainerStyleValues Value);
  TColor BorderColor();
  void SetBorderColor(TColor Value);
  TcxContainerBorderStyle BorderStyle();
  void SetBorderStyle(TcxContainerBorderStyle Value);
  TColor Color() { return GetColor(); }
  void SetColor(TColor Value);
  TcxBorders Edges();
  void SetEdges(TcxBorders Value);
  TFont* Font() const { return FFont; }
  // Standalone: copies the font and assigns it. In place: keeps the object itself.
  void SetFont(TFont* Value);
  bool HotTrack();
  void SetHotTrack(bool Value);
  bool Shadow();
  void SetShadow(bool Value);
  bool TransparentBorder();
  void SetTransparentBorder(bool Value);
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  // Copies the values (the style keeps its own look-and-feel object).
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  // None while the style uses its class's default controller.
  TcxStyleController* StyleController();
  // None means the default controller. A controller whose style chain leads back to this
  // style is refused without notice (a cycle would never end); otherwise on a change the
  // old controller loses this listener, the new one gains it, StyleControllerChanged.
  void SetStyleController(TcxStyleController* Value);
  // The controller in use (the default one included).
  TcxStyleController* ActiveStyleController() const { return FStyleController; }
  // An in-place style's text colour (clDefault: the font's).
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value) { FTextColor = Value; }

  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  // Stored predicates: the value is assigned and the owning container does not ignore it.
  bool IsBorderColorStored() { return isValueStored(csvBorderColor); }
  bool IsBorderStyleStored() { return isValueStored(csvBorderStyle); }
  bool IsColorStored() { return isValueStored(csvColor); }
  bool IsEdgesStored() { return isValueStored(csvEdges); }
  bool IsFontStored() { return isValueStored(csvFont); }
  bool IsHotTrackStored() { return isValueStored(csvHotTrack); }
  bool IsShadowStored() { return isValueStored(csvShadow); }
  bool IsTransparentBorderStored() { return isValueStored(csvTransparentBorder); }

  // The raw assigned set (in place it is not widened to every value).
  TcxContainerStyleValues OwnAssignedValues() const { return FAssignedValues; }

protected:
  bool isValueStored(TcxContainerStyleValue AValue);
  // Assigns AValue in this style: nothing when it is assigned already with the same
  // content; else stored, marked, Changed.
  template <class V> void assignValue(V& AField, const V& AValue, TcxContainerStyleValue AStyleValue) {
    if (FAssignedValues.Contains(AStyleValue) && AField == AValue) return;
    AField = AValue;
    FAssignedValues.Include(AStyleValue);
    Changed();
  }
  // The first style of the chain (this one, then the controllers' styles) that has the
  // value assigned; null when none has. A chain is walked at most once around.
  TcxContainerStyle* findAssigning(TcxContainerStyleValue AValue);
  // The field of the first style of the chain that has the value assigned.
  template <class V> bool findAssignedField(TcxContainerStyleValue AValue, V TcxContainerStyle::*AField, V& AResult);

private:
  void lookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Changed(); }

  TColor FBorderColor = clWindowFrame;
  TcxContainerBorderStyle FBorderStyle = cbsNone;
  TcxBorders FEdges = cxBordersAll;
  bool FHotTrack = true;
  bool FShadow = false;
  bool FTransparentBorder = true;
  bool FIsInplace;
  bool FDestroying = false;
  TPersistent* FOwner;
  Integer FUpdateCount = 0;
  bool FChangePending = false;
  TNotifyEvent FOnChanged;
  TcxContainerStyleValues FAssignedValues;
  bool FRefreshingFont = false;
  TcxStyleController* FStyleController = nullptr;
  TColor FColor = clWindow;
  TFont* FFont = nullptr;
  TColor FTextColor = clDefault;
  TcxLookAndFeel* FLookAndFeel = nullptr;
};

// A component whose style many container styles use as their controller: a value
// assigned in it reaches every listening style that does not assign the value itself.
// Its style's look-and-feel is the master of each listener's look-and-feel.
//
// The style is made in AfterConstruction (from GetStyleClass), so build controllers with
// New<T>(owner) or a class reference.
class TcxStyleController : public TComponent {
  RTL_DECLARE_CLASS(TcxStyleController, TComponent)
public:
  explicit TcxStyleController(TComponent* AOwner) : TComponent(AOwner) {}
  void AfterConstruction() override;
  // Every listening style leaves the controller first.
  void BeforeDestruction() override;
  ~TcxStyleController() override;

  // Adds the style once; the controller style's look-and-feel becomes its look-and-feel's
  // master.
  virtual void AddListener(TcxContainerStyle* AStyle);
  // The style's ControllerChanged, then OnStyleChanged for that style.
  virtual void NotifyListener(TcxContainerStyle* AStyle);
  // The class of the controller's own style.
  virtual TClass GetStyleClass() { return TcxContainerStyle::StaticClass(); }
  // Removes the style (the list is left alone while the controller is being destroyed)
  // and clears its look-and-feel's master.
  virtual void RemoveListener(TcxContainerStyle* AStyle);

  // OnStyleChanged for the own style, then (unless destroying) NotifyListener for every
  // listener.
  void Changed();
  void AfterLoad() { Changed(); }
  void MarkDestroying() { FDestroying = true; }
  bool IsDestroying() const { return FDestroying || ComponentState().Contains(csDestroying); }

  TcxContainerStyle* Style() const { return FStyle; }
  void SetStyle(TcxContainerStyle* Value) { FStyle->Assign(Value); }
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }
  TcxContainerStyle* Listeners(Integer Index) const { return FListeners[static_cast<size_t>(Index)]; }
  const TcxStyleChangedEvent& OnStyleChanged() const { return FOnStyleChanged; }
  void SetOnStyleChanged(const TcxStyleChangedEvent& Value) { FOnStyleChanged = Value; }

protected:
  void Loaded() override;

private:
  void styleChanged(TObject*) { Changed(); }

  std::vector<TcxContainerStyle*> FListeners;
  TcxContainerStyle* FStyle = nullptr;
  TcxStyleChangedEvent FOnStyleChanged;
  bool FDestroying = false;
};

// ---------------------------------------------------------------------------------------
// The container.

// Answered by every control a container hosts as its inner control.
struct IcxContainerInnerControl : public IInterface {
  RTL_INTERFACE_ID(0x1B111318, 0x3E5C, 0x4BB7, 0x8B, 0x4F, 0x0E, 0x2B, 0x30, 0xF6, 0x1F, 0x9C)
  // The inner control itself.
  virtual TWinControl* GetControl() = 0;
  // The container hosting it (null when none).
  virtual TcxContainer* GetControlContainer() = 0;

protected:
  ~IcxContainerInnerControl() = default;
};

// What one paint of a container needs: geometry, state and colours, computed by
// TcxContainer::CalculateViewInfo.
class TcxContainerViewInfo : public TObject {
  RTL_DECLARE_CLASS(TcxContainerViewInfo, TObject)
public:
  TcxContainerViewInfo() = default;

  // The border in the painted style, inside R.
  virtual void DrawBorder(TcxCanvas* ACanvas, TRect R);
  // Border, shadow and background (or the themed frame).
  virtual void Paint(TcxCanvas* ACanvas);
  virtual void SetBackgroundColor(TColor Value) { BackgroundColor = Value; }
  // Copies the client rectangle of another container view info.
  virtual void AssignFrom(TcxContainerViewInfo* Source);
  // The region that differs from another view info: a new empty region here (the
  // caller's).
  virtual TcxRegion* GetChangedRegion(TcxContainerViewInfo* AViewInfo) { return new TcxRegion(); }
  // Moves the bounds, border and client rectangles.
  virtual void MoveBy(Integer DX, Integer DY);
  // Paint; descendants add their content.
  virtual void Draw(TcxCanvas* ACanvas) { Paint(ACanvas); }

  TColor BackgroundColor = clWindow;
  TColor BorderColor = clWindowFrame;
  // Inside the border.
  TRect BorderRect{0, 0, 0, 0};
  // The painted style (after hot tracking) and its width.
  TcxContainerBorderStyle BorderStyle = cbsNone;
  Integer BorderWidth = 0;
  // 0, 0, Width, Height.
  TRect Bounds{0, 0, 0, 0};
  // Where the inner control goes (the border rectangle here).
  TRect ClientRect{0, 0, 0, 0};
  TcxContainerStateFlags ContainerState = csNormal;
  TcxBorders Edges = cxBordersAll;
  Integer HotState = cxHotStateNone;
  bool Shadow = false;
  // Drawn with the theme.
  bool NativeStyle = false;
  TdxThemeClassIndex ThemeClass = totEdit;
  Integer ThemePart = 0;
  Integer ThemeState = 0;
};

class TcxContainerMouseTrackingHelper;

// The base of the set's controls that draw their own border around an optional inner
// windowed control.
//
// The style and the view info are made in AfterConstruction from GetStyleClass and
// GetViewInfoClass (a descendant's answers are not reachable from the constructor);
// descendants that work with them do so in their own AfterConstruction, after the
// inherited one.
class TcxContainer : public TcxControl {
  RTL_DECLARE_CLASS(TcxContainer, TcxControl)
public:
  explicit TcxContainer(TComponent* AOwner);
  void AfterConstruction() override;
  // Stops mouse tracking and marks the container as going away.
  void BeforeDestruction() override;
  ~TcxContainer() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;

  // --- New virtual operations.
  // The inner control takes the background colour and the font; its text is clBtnShadow
  // while the container is disabled.
  virtual void SyncInnerControlLook();
  // Geometry, state and colours at the point P (client coordinates); the hot state is
  // only tested when AHotTestAllowed.
  virtual void CalculateViewInfo(const TPoint& P, bool AHotTestAllowed);
  // Forgets the region last given to the inner control (its window was made again).
  virtual void ResetInnerControlRegion() { FStoredInnerRegion.reset(); }
  // The style's change handler: refreshes the container and copies the style's colour and
  // font into it. Nothing while the container is being made or loaded.
  virtual void StyleChanged(TObject* Sender);
  // Hooks of a data binding: show the bound value, write the shown value.
  virtual void ShowBoundValue() {}
  virtual void WriteBoundValue() {}
  // The mouse left the tracked area.
  virtual void HandleTrackedMouseLeave();
  // The space the border takes on each side (2 with a transparent border or hot tracking,
  // else the painted border's width; 3 more at the right and bottom with a shadow).
  virtual void GetBorderExtent(TRect& AExtent);
  // The part of AControl's own rectangle inside AAlignRect, or none when nothing is cut
  // off (or no control is given).
  virtual void CalculateInnerControlRegion(const TRect& AAlignRect, TWinControl* AControl,
                                           std::optional<TRect>& ARegion);
  virtual TClass GetStyleClass() { return TcxContainerStyle::StaticClass(); }
  virtual TClass GetViewInfoClass() { return TcxContainerViewInfo::StaticClass(); }
  // Where the mouse makes the border hot.
  virtual TRect GetHotTrackArea();
  // The style's shadow without a native border.
  virtual bool HasShadow();
  // Whether AControl's region must be set again: always for controls other than the
  // inner control; for the inner control unless the stored region equals ARegion (two
  // missing regions count as a change).
  virtual bool InnerControlRegionChanged(TWinControl* AControl, const std::optional<TRect>& ARegion);
  // Group boxes and button groups keep the standard tab order.
  virtual bool UsesStandardTabOrder() { return false; }
  // A cell editor of a grid; its style is made in place.
  virtual bool IsInplace() { return false; }
  // Unless an inner control is forwarding a press or the container goes away: the view
  // info at P (the hot test only with hot tracking and no key or button held), the inner
  // control's place and look, the window region, and a repaint of the frame (of the whole
  // control when it hosts nothing). The button and the mouse flag are for descendants;
  // answers true.
  virtual bool RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent);
  // Remembers the region given to the inner control (none clears it).
  virtual void StoreInnerControlRegion(TWinControl* AControl, const std::optional<TRect>& ARegion);
  // Lays the container's own scroll bars over the inner control's native ones.
  virtual void AdjustInnerScrollBars();
  // Gives the inner control the client rectangle when its bounds differ.
  virtual void AdjustInnerControlBounds();
  // Editors that use Tab themselves answer true.
  virtual bool HandlesTabKey() { return false; }
  // The theme class, part and state of a native border.
  virtual TdxThemeClassIndex GetBorderThemeClass() { return totEdit; }
  virtual Integer GetBorderThemePart() { return 1; }
  virtual Integer GetBorderThemeState();
  // Lets the container take a message the inner edit would pass to its default handler.
  virtual bool HandleInnerControlMessage(TMessage& Message) { return false; }
  virtual void FocusInnerControl();
  // Sets the inner control's drag kind too.
  virtual void SetDragKind(TDragKind Value);
  // Style values this kind of container ignores (they are not stored): none.
  virtual TcxContainerStyleValues GetUnusedStyleValues() { return TcxContainerStyleValues(); }

  // --- Other operations.
  bool IsDestroying() const { return TcxControl::IsDestroying() || FDestroying; }
  // The window or the inner control has the focus (never at design time).
  bool HasFocus();
  bool Focused() override { return HasFocus(); }
  // True raises the lock, false lowers it (never below 0).
  void SuspendInnerAlignment(bool ASuspend);
  bool IsInnerAlignmentSuspended() const { return FInnerAlignmentLockCount > 0; }
  bool IsContextMenuSuppressed() const { return FContextMenuLockCount > 0; }
  // RefreshContainer at the cursor, with the current shift state and no button.
  void RefreshAtCursor(bool AIsMouseEvent);
  // The window region follows the border extent, the edges and the shadow.
  void UpdateWindowRegion();
  // The inner control and the scroll bars take Enabled; the container refreshes.
  void EnabledChanged();

  TWinControl* InnerControl() const { return FInnerControl; }
  TcxContainerStyle* Style() const { return FStyle; }
  // Copies the values into the container's own style.
  void SetStyle(TcxContainerStyle* Value) { FStyle->Assign(Value); }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo; }
  std::optional<TRect> StoredInnerRegion() const { return FStoredInnerRegion; }
  bool InnerMouseDown() const { return FInnerMouseDown; }
  void SetInnerMouseDown(bool Value) { FInnerMouseDown = Value; }
  bool PositioningInner() const { return FPositioningInner; }
  bool Creating() const { return FCreating; }
  bool ApplyingStyle() const { return FApplyingStyle; }
  // The object that receives the mouse-tracking notices.
  TcxContainerMouseTrackingHelper* MouseTrackingHelper() const { return FMouseTrackingHelper; }
  IcxMouseTrackingCaller* MouseTrackingCaller() const;

  // --- Overrides of the base control and the class library.
  TRect GetClientBounds() override;
  bool HasScrollBars() override { return false; }
  bool AcceptsFocus() override;
  bool CanFocusOnClick() override;
  bool AllowAutoDragAndDropAtDesignTime(Integer X, Integer Y, TShiftState AShift) override { return false; }
  void FocusChanged() override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void SetFocus() override;
  void GetTabOrderList(TList* List) override;
  void SetDragMode(TDragMode Value) override;

  // Message handlers (reached through the message map).
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMCursorChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void WMScrollBarMetrics(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMSetCursor(TWMSetCursor& Message);
  void WMWindowPosChanging(TWMWindowPosChanging& Message);
  void WMSetFocus(TWMSetFocus& Message);

protected:
  friend class TcxCustomInnerListBox;
  friend class TcxContainerMouseTrackingHelper;

  // Descendants hand over the control they host (none removes it).
  void SetInnerControl(TWinControl* Value) { FInnerControl = Value; }
  // The font change of the container's own handling: canvas font, inherited handling,
  // inner bounds and scroll bars, refresh, inner font.
  void ApplyFontChange(TMessage& Message);

  void WndProc(TMessage& Message) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Resize() override;
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;

  Integer FContextMenuLockCount = 0;

private:
  void styleChanged(TObject* Sender) { StyleChanged(Sender); }
  void setInnerRegion(TWinControl* AControl, const TRect& AAlignRect);
  bool innerControlHasFocus();

  TWinControl* FInnerControl = nullptr;
  TcxContainerStyle* FStyle = nullptr;
  TcxContainerViewInfo* FViewInfo = nullptr;
  TcxContainerMouseTrackingHelper* FMouseTrackingHelper = nullptr;
  std::optional<TRect> FStoredInnerRegion;
  bool FInnerMouseDown = false;
  bool FPositioningInner = false;
  bool FCreating = true;
  bool FApplyingStyle = false;
  bool FDestroying = false;
  Integer FInnerAlignmentLockCount = 0;
  // Counts the font changes handled with the style's font, so that a change from outside
  // that the font copy does not repeat is still handled once.
  Integer FFontChangesApplied = 0;
};

// The receiver of a container's mouse-tracking notices: the tracker's MouseLeave reaches
// the container's HandleTrackedMouseLeave.
class TcxContainerMouseTrackingHelper : public TcxInterfacedPersistent, public IcxMouseTrackingCaller {
  RTL_DECLARE_CLASS(TcxContainerMouseTrackingHelper, TcxInterfacedPersistent)
public:
  explicit TcxContainerMouseTrackingHelper(TcxContainer* AContainer)
      : TcxInterfacedPersistent(AContainer), FContainer(AContainer) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxInterfacedPersistent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxInterfacedPersistent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxInterfacedPersistent::_Release(); }

  void MouseLeave() override;
  TcxContainer* Container() const { return FContainer; }

private:
  TcxContainer* FContainer;
};

// ---------------------------------------------------------------------------------------
// Popup windows.

// The argument of the close events: whether the close asked the form's close query first.
using TcxPopupWindowCloseEvent = TEvent<void(TObject* Sender, bool ACloseQuery)>;

// A window that floats beside its owner control.
//
// A focus-taking popup (TakesFocus, the default) is a form owned by the owner's form that
// takes the focus while open and, with RunsModalLoop, runs its own message loop until it
// closes. Any other popup is a tool window that never activates: the focus stays where it
// is. Every open popup is in one list, in opening order; the thread hooks close popups
// when the user clicks outside them, switches to another application, hides or closes
// the owner, and discard system keys the last popup does not accept.
class TcxCustomPopupWindow : public TcxPopupWindow {
  RTL_DECLARE_CLASS(TcxCustomPopupWindow, TcxPopupWindow)
public:
  using TConstructorArg = TWinControl*;
  // CreateForControl: a hidden popup for AOwnerControl (not owned), with the style and the
  // view info of its class (made in AfterConstruction).
  explicit TcxCustomPopupWindow(TWinControl* AOwnerControl);
  void AfterConstruction() override;
  ~TcxCustomPopupWindow() override;

  // A popup of the class AClass (this class or a descendant) for the control.
  static TcxCustomPopupWindow* CreateForControl(TClass AClass, TWinControl* AOwnerControl);

  // --- New virtual operations.
  virtual void DoAfterClose(bool ACloseQuery);
  virtual void DoBeforeClose(bool ACloseQuery);
  virtual void DoAfterShow();
  // WM_ERASEBKGND is answered without erasing when false.
  virtual bool ErasesBackground() { return false; }
  // The style's change handler: nothing here.
  virtual void StyleChanged(TObject* Sender) {}
  // The keys with Alt that reach a popup without its own loop: PgUp, PgDn, End, Home, the
  // arrows and F4.
  virtual bool AcceptsSysKey(Word AKey);
  // Closes an open popup: with ACloseQuery only when the form's close query agrees.
  virtual void CloseUp(bool ACloseQuery);
  virtual TClass GetStyleClass() { return TcxContainerStyle::StaticClass(); }
  virtual TClass GetViewInfoClass() { return TcxContainerViewInfo::StaticClass(); }
  // Sizes and places the popup beside its anchor, joins the open list and shows it.
  // A focus-taking popup focuses GetControlToFocus(AControlToFocus) and, with
  // RunsModalLoop, handles messages until it closes (a ModalResult closes it through the
  // close query). Any other popup shows without activation above the other windows and
  // AControlToFocus takes the focus. Nothing when it is open already.
  virtual void OpenPopup(TWinControl* AControlToFocus);

  // --- Other operations.
  bool IsOpen() const;
  bool HasFocus();
  bool HasCapture();
  bool TakesFocus() const { return FTakesFocus; }
  void SetTakesFocus(bool Value);
  bool RunsModalLoop() const { return FRunsModalLoop; }
  void SetRunsModalLoop(bool Value) { FRunsModalLoop = Value; }
  bool TopmostWithOwner() const { return FTopmostWithOwner; }
  void SetTopmostWithOwner(bool Value);
  bool Deactivating() const { return FDeactivating; }
  bool ClosingByMessage() const { return FClosingByMessage; }
  // Set when a click on the owner's area closed the popup; the owner reads (and resets)
  // it so that the same click does not open the popup again.
  bool ClosedByOwnerClick() const { return FClosedByOwnerClick; }
  void SetClosedByOwnerClick(bool Value) { FClosedByOwnerClick = Value; }
  TWinControl* OwnerControl() const { return FOwnerControl; }
  TWinControl* ControlToFocus() const { return FControlToFocus; }
  TcxContainerStyle* Style() const { return FStyle; }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo; }
  void DoBeforeShow();
  // AControl when it can take the focus and is a tab stop, else the popup's first tab
  // stop, else the popup itself.
  TWinControl* GetControlToFocus(TWinControl* AControl);
  bool CanFocus() override { return Visible(); }

  const TNotifyEvent& OnBeforeShow() const { return FOnBeforeShow; }
  void SetOnBeforeShow(const TNotifyEvent& Value) { FOnBeforeShow = Value; }
  const TNotifyEvent& OnAfterShow() const { return FOnAfterShow; }
  void SetOnAfterShow(const TNotifyEvent& Value) { FOnAfterShow = Value; }
  const TcxPopupWindowCloseEvent& OnBeforeClose() const { return FOnBeforeClose; }
  void SetOnBeforeClose(const TcxPopupWindowCloseEvent& Value) { FOnBeforeClose = Value; }
  const TcxPopupWindowCloseEvent& OnAfterClose() const { return FOnAfterClose; }
  void SetOnAfterClose(const TcxPopupWindowCloseEvent& Value) { FOnAfterClose = Value; }

  // The popup keeps its own font.
  void InitPopup() override {}
  void VisibleChanged() override;

  // Message handlers (reached through the message map).
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMActivateApp(TMessage& Message);
  void WMCloseMessage(TMessage& Message);
  void WMShowMessage(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);

protected:
  friend LRESULT CALLBACK cxCallWndProcHook(int, WPARAM, LPARAM);
  friend bool cxClosePopupsOnClick(UINT AMessage, HWND AWnd, const TPoint& AScreenPoint);

  // The mouse entered or left the popup (AControl: the control entered or left, or the
  // popup itself). Nothing here.
  virtual void MouseEnter(TControl* AControl) {}
  virtual void MouseLeave(TControl* AControl) {}
  // The walk over the open popups when the popup form loses the activation.
  void Deactivate() override;
  // Closing the form closes the popup.
  void DoClose(TCloseAction& Action) override;
  // The owner control went away: the popup closes and forgets it.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

private:
  void styleChanged(TObject* Sender) { StyleChanged(Sender); }
  // Closes and reopens an open popup after a window re-creation.
  void recreateKeepingOpen();

  bool FTakesFocus = true;
  bool FRunsModalLoop = true;
  bool FTopmostWithOwner = false;
  bool FDeactivating = false;
  bool FClosingByMessage = false;
  bool FClosedByOwnerClick = false;
  TWinControl* FOwnerControl;
  TWinControl* FControlToFocus = nullptr;
  TcxContainerStyle* FStyle = nullptr;
  TcxContainerViewInfo* FViewInfo = nullptr;
  TNotifyEvent FOnBeforeShow;
  TNotifyEvent FOnAfterShow;
  TcxPopupWindowCloseEvent FOnBeforeClose;
  TcxPopupWindowCloseEvent FOnAfterClose;
};

// The open popups in opening order.
const std::vector<TcxCustomPopupWindow*>& cxOpenPopupWindows();
// Posts the close message to the popup's window.
void cxPostPopupCloseMessage(TcxCustomPopupWindow* APopup);
// Decides a left click (or a non-client one) seen by the mouse hook while popups are
// open: popups the click does not belong to close; false when the click must be
// swallowed.
bool cxClosePopupsOnClick(UINT AMessage, HWND AWnd, const TPoint& AScreenPoint);
// Whether the thread hooks below are installed: they are while a popup is open (or being
// created), and only then.
bool cxPopupHooksInstalled();
// The thread hooks of the open popups.
LRESULT CALLBACK cxCallWndProcHook(int ACode, WPARAM AWParam, LPARAM ALParam);
LRESULT CALLBACK cxGetMessageHook(int ACode, WPARAM AWParam, LPARAM ALParam);
LRESULT CALLBACK cxMouseHook(int ACode, WPARAM AWParam, LPARAM ALParam);

// ---------------------------------------------------------------------------------------
// The inner list box.

// A list box hosted by a container: input goes to the container (in the container's
// coordinates), the container's popup menu is used, and the set's scroll bars lie over
// the native ones (as siblings in the list box's parent) and drive them.
class TcxCustomInnerListBox : public TListBox, public IcxContainerInnerControl {
  RTL_DECLARE_CLASS(TcxCustomInnerListBox, TListBox)
public:
  explicit TcxCustomInnerListBox(TComponent* AOwner);
  ~TcxCustomInnerListBox() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TListBox::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TListBox::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TListBox::_Release(); }

  // IcxContainerInnerControl.
  TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override { return FContainer; }

  TcxContainer* Container() const { return FContainer; }
  void SetContainer(TcxContainer* Value) { FContainer = Value; }
  TcxCanvas* cxCanvas() const { return FCanvas; }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TcxScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxScrollBar* VScrollBar() const { return FVScrollBar; }
  // Each overlay covers its native bar (in the parent's coordinates) and copies its range,
  // page and position, or hides when the native bar is hidden or outside the parent.
  void UpdateScrollBars();
  void LockScrollBars() { ++FScrollBarsLockCount; }
  void UnlockScrollBars() {
    if (FScrollBarsLockCount > 0) --FScrollBarsLockCount;
  }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  TPopupMenu* GetPopupMenu() override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;

  // Message handlers (reached through the message map).
  void WMGetDlgCode(TMessage& Message);
  void WMSetFocus(TWMSetFocus& Message);
  void WMKillFocus(TWMKillFocus& Message);
  void WMLButtonDown(TWMMouse& Message);
  void WMNCPaint(TMessage& Message);
  void CNDrawItem(TWMDrawItem& Message);

protected:
  void WndProc(TMessage& Message) override;
  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void lookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); }
  void hScrolled(TObject* Sender, TScrollCode AScrollCode, Integer& AScrollPos);
  void vScrolled(TObject* Sender, TScrollCode AScrollCode, Integer& AScrollPos);
  void scrolled(TcxScrollBar* ABar, UINT AMessage, TScrollCode AScrollCode, Integer& AScrollPos);
  void placeOverlay(TcxScrollBar* ABar, LONG AObjectId, Integer ABarKind);
  void paintSizeGrip();
  TRect sizeGripRect();

  TcxContainer* FContainer = nullptr;
  TcxCanvas* FCanvas = nullptr;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  TcxScrollBar* FHScrollBar = nullptr;
  TcxScrollBar* FVScrollBar = nullptr;
  Integer FScrollBarsLockCount = 0;
  bool FScrollBarsCalculating = false;
};

// ---------------------------------------------------------------------------------------
// Free notification.

// Tells its owner when one of the components it watches is freed.
class TcxFreeNotificator : public TComponent {
  RTL_DECLARE_CLASS(TcxFreeNotificator, TComponent)
public:
  explicit TcxFreeNotificator(TComponent* AOwner) : TComponent(AOwner) {}
  void AddSender(TComponent* ASender);
  void RemoveSender(TComponent* ASender);
  using TFreeNotificationEvent = TEvent<void(TComponent* Sender)>;
  const TFreeNotificationEvent& OnFreeNotification() const { return FOnFreeNotification; }
  void SetOnFreeNotification(const TFreeNotificationEvent& Value) { FOnFreeNotification = Value; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TFreeNotificationEvent FOnFreeNotification;
};

// ---------------------------------------------------------------------------------------
// Routines.

TcxMouseButton cxMouseButtonToCode(TMouseButton AButton);
// The window is the control's form window or inside it (false without a form).
bool cxIsWindowInControlForm(HWND AWnd, TControl* AControl);
// A 3-pixel clBtnShadow strip below and right of R, starting 3 pixels in; each strip is
// then excluded from the clipping area.
void cxDrawContainerShadow(TcxCanvas* ACanvas, const TRect& R);
// R less the margins (left, top, right and bottom of AMargins).
TRect cxDeflateRectByMargins(const TRect& R, const TRect& AMargins);
// 0, 0, Width, Height of the control.
TRect cxGetControlSizeRect(TControl* AControl);
// The control has a window and it is AWnd.
bool cxIsControlHandle(TWinControl* AControl, HWND AWnd);
// Same count and the same texts in the same order (null lists are equal to empty ones).
bool cxStringsEqual(TStrings* AList1, TStrings* AList2);
// Fills the frame between AOuter and AInner: nothing when the outer rectangle is empty or
// equals the inner; the whole outer rectangle when the inner one is empty.
void cxFillFrameArea(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor);
// The cursor's screen position.
TPoint cxCurrentCursorPos();
// The keys and mouse buttons held now.
TShiftState cxGetKeyboardShiftState();
// Invalidates the frame between AOuter and AInner (client coordinates, no erase).
void cxInvalidateFrameArea(TWinControl* AControl, const TRect& AOuter, const TRect& AInner);
void cxInvalidateWinControlRect(TWinControl* AControl, const TRect& R, bool AEraseBackground);
// The window exists and is visible.
bool cxIsControlVisible(TWinControl* AControl);
// AWnd is a descendant window of AParent.
bool cxIsChildWindowOf(HWND AParent, HWND AWnd);
// AWnd is the popup's window, inside it, or in a popup opened from a control inside it.
bool cxIsWindowInPopupTree(TcxCustomPopupWindow* APopup, HWND AWnd);
// AWnd is the control's window or inside it.
bool cxIsWindowInsideControl(HWND AWnd, TWinControl* AControl);
// The control's window without making it (null when it has none).
HWND cxNativeWindowHandle(TWinControl* AControl);
// The shared screen canvas (made at the unit's start).
TcxCanvas* cxGetScreenCanvas();
// Sets the child's window region to R (in the child's window coordinates), or removes it.
void cxSetChildWindowRegion(TWinControl* AControl, const std::optional<TRect>& R);
// The control's window region: none for a native border; otherwise R plus, with a shadow,
// R moved by (3, 3). Applied only when it differs from the current region.
void cxSetControlWindowRegion(TWinControl* AControl, const TRect& R, bool AShadow, bool ANativeStyle);
// The system offers GetScrollBarInfo (looked up by name at the unit's start).
bool cxCanGetScrollBarInfo();
bool cxGetScrollBarInfo(HWND AWnd, LONG AObjectId, SCROLLBARINFO& AInfo);
// The native style is on and the theme class can be opened.
bool cxIsThemeAvailable(bool ANativeStyle, TdxThemeClassIndex AThemeClass);
// The shift state of the last mouse button event of a container (cleared on mouse
// leave).
TShiftState cxContainerShiftState();

namespace cxContainerUnit {
void Initialize();
void Finalize();
}  // namespace cxContainerUnit
