#pragma once
// The drop-down editors: the popup window they open beside themselves (a frame with an
// optional strip holding a size grip and a close button, sizeable by the mouse), the
// masked editor with a drop-down button that owns such a popup, and its two concrete
// kinds: the combo box, which drops down its items in a hot-tracking list, and the popup
// edit, which drops down any control of the form.
//
// The opening is asynchronous: the editor posts the show message to its popup, so that a
// key or click that opened it is handled whole first; an editor that is left removes such
// a message again. GUI thread only.
#include <memory>
#include <string>

#include "cx/editors/cxMaskEdit.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/cxLookAndFeels.h"

class TcxCustomDropDownEdit;

// The editor's private messages to its popup and to itself.
constexpr UINT CM_DROPDOWNPASSCHAR = 0x806B;    // the popup: WM_CHAR for its focused window
constexpr UINT CM_DROPDOWNOPEN = 0x8067;        // the editor: open the popup
constexpr UINT CM_DROPDOWNSYNCLOOKUP = 0x806C;  // the editor: bring the list in step with the text

// ---------------------------------------------------------------------------------------
// The popup window.

// The frame geometry of one popup: borders, the system strip with its size grip and close
// button, and the band along the grip-side edges where the mouse sizes the popup.
class TcxCustomEditPopupWindowViewInfo : public TcxContainerViewInfo {
  RTL_DECLARE_CLASS(TcxCustomEditPopupWindowViewInfo, TcxContainerViewInfo)
public:
  TcxCustomEditPopupWindowViewInfo() = default;

  // Border extents, client rectangle, grip and close-button rectangles from Bounds.
  virtual void Calculate();
  // Border (with client edge) on every side, the shadow at right and bottom, and the
  // system strip at the grip's side.
  virtual TRect GetBorderExtent();
  TRect GetClientExtent() { return GetBorderExtent(); }
  // The strip's height: the larger of the scroll-bar and caption-button heights, at least
  // the minimum height when that is positive.
  virtual Integer GetSysPanelHeight();
  // Whether P lies where the mouse sizes the popup; ADirX and ADirY: -1, 0 or 1.
  virtual bool IsPtInSizingArea(const TPoint& P, Integer& ADirX, Integer& ADirY);
  virtual void DrawBorder(TcxCanvas* ACanvas, TRect& R);
  void Paint(TcxCanvas* ACanvas) override;

  // The grip sits in a left corner (0 top left, 2 bottom left) / a top corner.
  bool GripAtLeft() const { return SizeGripCorner == 0 || SizeGripCorner == 2; }
  bool GripAtTop() const { return SizeGripCorner == 0 || SizeGripCorner == 1; }
  bool HasSysPanel() const { return SysPanelStyle; }

  TcxEditPopupBorderStyle PopupBorderStyle = epbsSingle;
  bool ClientEdge = false;
  bool CloseButton = false;
  TRect CloseButtonRect{0, 0, 0, 0};
  Integer CloseButtonState = 1;  // 1 normal, 2 hot, 3 pressed
  TcxLookAndFeelKind LookAndFeelKind = lfStandard;
  bool NativeStyle = false;
  bool Shadow = false;
  bool Sizeable = false;
  Integer SizeGripCorner = 3;  // 0 top left, 1 top right, 2 bottom left, 3 bottom right
  TRect SysPanelRect{0, 0, 0, 0};
  TRect SizeGripRect{0, 0, 0, 0};
  Integer SizingOffset = 0;
  Integer MinSysPanelHeight = 0;
  bool SysPanelStyle = false;
};

// The popup edit's frame: a 3D border with the active-border and face inner lines.
class TcxPopupEditPopupWindowViewInfo : public TcxCustomEditPopupWindowViewInfo {
  RTL_DECLARE_CLASS(TcxPopupEditPopupWindowViewInfo, TcxCustomEditPopupWindowViewInfo)
public:
  TcxPopupEditPopupWindowViewInfo() = default;
  void DrawBorder(TcxCanvas* ACanvas, TRect& R) override;
};

// The popup of a drop-down editor: sized from the editor and its content, placed below
// (or above) the editor with its grip in the corner away from it, and sizeable by the
// mouse from the grip or the grip-side edges.
class TcxCustomEditPopupWindow : public TcxCustomPopupWindow {
  RTL_DECLARE_CLASS(TcxCustomEditPopupWindow, TcxCustomPopupWindow)
public:
  explicit TcxCustomEditPopupWindow(TWinControl* AOwnerControl);
  ~TcxCustomEditPopupWindow() override;

  TClass GetViewInfoClass() override { return TcxCustomEditPopupWindowViewInfo::StaticClass(); }
  void CalculateSize() override;
  void CalculatePosition(TPoint& P) override;
  void DoAfterClose(bool ACloseQuery) override;
  void DoBeforeClose(bool ACloseQuery) override;

  // --- New virtual operations.
  // Bounds at the origin, calculation, the editor's look-and-feel kind.
  virtual void RecalculateViewInfo();
  // Sends the character as WM_CHAR to the window that has the focus.
  virtual void PassCharToFocus(char AChar);
  // The border extents; sizeable with the strip: plus the close button, the grip and 10.
  virtual void GetMinSize(TSize& ASize);
  // Raises a new size to the minimum and lets the list snap it; whether it may change.
  virtual bool CanResizePopup(Integer& ANewWidth, Integer& ANewHeight);

  // The owner bounds again, the view info, the content bounds, a repaint.
  void Recalculate();
  TcxCustomDropDownEdit* GetOwnerEdit() const;
  TcxCustomEditPopupWindowViewInfo* GetViewInfo() const {
    return static_cast<TcxCustomEditPopupWindowViewInfo*>(ViewInfo());
  }
  // The window shrunk by the frame.
  TRect PopupClientRect();
  // The editor's rectangle in screen coordinates, as the popup aligns to it.
  TRect OwnerScreenBounds();
  Integer GetSysPanelMinimumHeight() const { return GetViewInfo()->MinSysPanelHeight; }
  void SetSysPanelMinimumHeight(Integer Value) { GetViewInfo()->MinSysPanelHeight = Value; }

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  TcxEditPopupBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TcxEditPopupBorderStyle Value);
  bool ClientEdge() const { return FClientEdge; }
  void SetClientEdge(bool Value);
  bool CloseButton() const { return FCloseButton; }
  void SetCloseButton(bool Value);
  Integer MinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer Value) { FMinHeight = Value; }
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value) { FMinWidth = Value; }
  bool NativeStyle() const { return FNativeStyle; }
  void SetNativeStyle(bool Value);
  Integer PopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value) { FPopupHeight = Value; }
  Integer PopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value) { FPopupWidth = Value; }
  bool Shadow() const { return FShadow; }
  void SetShadow(bool Value);
  bool Sizeable() const { return FSizeable; }
  void SetSizeable(bool Value);
  bool SysPanelStyle() const { return FSysPanelStyle; }
  void SetSysPanelStyle(bool Value);
  TWinControl* OwnerParent() const { return FOwnerParent; }
  void SetOwnerParent(TWinControl* Value) { FOwnerParent = Value; }
  TRect OwnerBounds() const { return FOwnerBounds; }

  // The editor's posted character: typed into the focused window while the popup is open.
  void CMPassChar(TMessage& Message);

  // Whether a sizing drag runs (only one can, over all popups).
  static bool IsSizing();
  // The rectangle the sizing band shows now (screen coordinates), empty without a drag.
  static TRect SizingBandRect();

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave(TControl* AControl) override;
  void Resize() override;

  // The owner bounds from the editor's view info, in the editor's parent.
  void takeOwnerBounds();
  void updateCursor(Integer ADirX, Integer ADirY);
  void setCloseButtonState(Integer AState);
  void endSizing(bool AApply);

private:
  bool FAutoSize = true;
  TcxEditPopupBorderStyle FBorderStyle = epbsSingle;
  bool FClientEdge = false;
  bool FCloseButton = false;
  Integer FMinHeight = 0;
  Integer FMinWidth = 0;
  bool FNativeStyle = false;
  Integer FPopupHeight = 0;
  Integer FPopupWidth = 0;
  bool FShadow = false;
  bool FSizeable = false;
  bool FSysPanelStyle = false;
  TRect FOwnerBounds{0, 0, 0, 0};
  TWinControl* FOwnerParent = nullptr;
};

// The popup edit's popup: the popup edit's frame.
class TcxPopupEditPopupWindow : public TcxCustomEditPopupWindow {
  RTL_DECLARE_CLASS(TcxPopupEditPopupWindow, TcxCustomEditPopupWindow)
public:
  explicit TcxPopupEditPopupWindow(TWinControl* AOwnerControl) : TcxCustomEditPopupWindow(AOwnerControl) {}
  TClass GetViewInfoClass() override { return TcxPopupEditPopupWindowViewInfo::StaticClass(); }
};

// ---------------------------------------------------------------------------------------
// The drop-down editor.

// The settings of drop-down editors: the drop-down button, when typing or activation opens
// the popup, and the popup's alignment, size limits, frame and events.
class TcxCustomDropDownEditProperties : public TcxCustomMaskEditProperties {
  RTL_DECLARE_CLASS(TcxCustomDropDownEditProperties, TcxCustomMaskEditProperties)
public:
  explicit TcxCustomDropDownEditProperties(TPersistent* AOwner);

  // From other drop-down properties, in one update bracket; other sources as inherited.
  void Assign(TPersistent* Source) override;
  // The drop-down button keeps the glyph rule (a glyph makes it a glyph button, no glyph
  // makes it a down arrow again) before the change goes out.
  void Changed() override;
  TClass GetEditClass() override;
  TClass GetViewDataClass() override;
  bool PopupShowsLookupList() override { return true; }

  // --- New virtual operations.
  virtual Integer GetDropDownButtonIndex() { return FDropDownButtonIndex; }
  virtual bool ClickInTextOpensPopup() { return false; }
  // Whether the popup changes the value as the user works in it (else only on accepting).
  virtual bool PopupEditsValue() { return false; }
  virtual TClass GetPopupWindowClass() { return TcxCustomEditPopupWindow::StaticClass(); }
  virtual bool PopupTakesFocus() { return false; }

  // Moves the glyph to another button, which becomes the drop-down button.
  void MoveDropDownButton(Integer AIndex);

  // The drop-down button's glyph; none when that button does not exist.
  TBitmap* ButtonGlyph();
  void SetButtonGlyph(TBitmap* Value);
  bool ImmediateDropDown() const { return FImmediateDropDown; }
  void SetImmediateDropDown(bool Value) { FImmediateDropDown = Value; }
  bool ImmediatePopup() const { return FImmediatePopup; }
  void SetImmediatePopup(bool Value) { FImmediatePopup = Value; }
  TAlignment PopupAlignment() const { return FPopupAlignment; }
  void SetPopupAlignment(TAlignment Value);
  bool PopupAutoSize() const { return FPopupAutoSize; }
  void SetPopupAutoSize(bool Value);
  bool PopupClientEdge() const { return FPopupClientEdge; }
  void SetPopupClientEdge(bool Value);
  // Raised to PopupMinHeight.
  Integer PopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value);
  Integer PopupMinHeight() const { return FPopupMinHeight; }
  void SetPopupMinHeight(Integer Value);
  Integer PopupMinWidth() const { return FPopupMinWidth; }
  void SetPopupMinWidth(Integer Value);
  bool PopupSizeable() const { return FPopupSizeable; }
  void SetPopupSizeable(bool Value);
  bool PopupSysPanelStyle() const { return FPopupSysPanelStyle; }
  void SetPopupSysPanelStyle(bool Value);
  // 0: the editor's width; negative becomes 0, positive is raised to PopupMinWidth.
  Integer PopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value);
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(const TCloseQueryEvent& Value) { FOnCloseQuery = Value; }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }
  const TNotifyEvent& OnInitPopup() const { return FOnInitPopup; }
  void SetOnInitPopup(const TNotifyEvent& Value) { FOnInitPopup = Value; }
  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(const TNotifyEvent& Value) { FOnPopup = Value; }

protected:
  // Sets the popup size without a change notice (descendants' defaults).
  void setPopupDefaults(Integer AWidth, Integer AHeight, Integer AMinWidth, Integer AMinHeight) {
    FPopupWidth = AWidth;
    FPopupHeight = AHeight;
    FPopupMinWidth = AMinWidth;
    FPopupMinHeight = AMinHeight;
  }
  void storePopupAutoSize(bool Value) { FPopupAutoSize = Value; }
  // Stores a new value and announces the change; an equal value changes nothing.
  template <class V> void changeSetting(V& AField, const V& AValue) {
    if (AField == AValue) return;
    AField = AValue;
    Changed();
  }

private:
  TcxEditButton* dropDownButton();
  void applyGlyphRule();

  Integer FDropDownButtonIndex = 0;
  bool FImmediateDropDown = true;
  bool FImmediatePopup = false;
  bool FChangedLocked = false;
  TAlignment FPopupAlignment = taLeftJustify;
  bool FPopupAutoSize = true;
  bool FPopupClientEdge = false;
  Integer FPopupHeight = 0;
  Integer FPopupMinHeight = 0;
  Integer FPopupMinWidth = 0;
  bool FPopupSizeable = false;
  bool FPopupSysPanelStyle = false;
  Integer FPopupWidth = 0;
  TCloseQueryEvent FOnCloseQuery;
  TNotifyEvent FOnCloseUp;
  TNotifyEvent FOnInitPopup;
  TNotifyEvent FOnPopup;
};

// A drop-down editor's view data: the popup-open and button-blocked flags of the editor.
class TcxCustomDropDownEditViewData : public TcxCustomTextEditViewData {
  RTL_DECLARE_CLASS(TcxCustomDropDownEditViewData, TcxCustomTextEditViewData)
public:
  explicit TcxCustomDropDownEditViewData(const TCreateArgs* Args) : TcxCustomTextEditViewData(Args) {}
  // A focused fixed-list editor with its popup closed shows its text selected.
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  // The drop-down button cannot be pressed while it is blocked (the press that closes an
  // open popup must not open it again).
  bool CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) override;

  bool IsPopupOpen = false;
  bool IsButtonBlocked = false;
};

// The in-place memory of one cell: the size the user gave the popup.
class TcxCustomDropDownEditData : public TcxCustomEditData {
  RTL_DECLARE_CLASS(TcxCustomDropDownEditData, TcxCustomEditData)
public:
  explicit TcxCustomDropDownEditData(TcxCustomEdit* AEdit) : TcxCustomEditData(AEdit) {}
  bool Sized = false;
  Integer Width = 0;
  Integer Height = 0;
};

// The inner edit of drop-down editors: Alt released after Alt+Up/Down types nothing.
class TcxCustomDropDownInnerEdit : public TcxCustomInnerTextEdit {
  RTL_DECLARE_CLASS(TcxCustomDropDownInnerEdit, TcxCustomInnerTextEdit)
public:
  explicit TcxCustomDropDownInnerEdit(TComponent* AOwner) : TcxCustomInnerTextEdit(AOwner) {}

protected:
  void WndProc(TMessage& Message) override;
};

// The masked editor with a drop-down button and a popup.
class TcxCustomDropDownEdit : public TcxCustomMaskEdit {
  RTL_DECLARE_CLASS(TcxCustomDropDownEdit, TcxCustomMaskEdit)
public:
  explicit TcxCustomDropDownEdit(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomDropDownEdit() override;

  TcxCustomDropDownEditProperties* GetActiveDropDownProperties() {
    return static_cast<TcxCustomDropDownEditProperties*>(GetActiveProperties());
  }

  // --- New virtual operations.
  virtual bool CanDropDown() { return false; }
  // Only while open: accepting applies the list's row and may post the value.
  virtual void ClosePopup(bool AAccept);
  virtual void CreatePopupWindow();
  virtual void FireInitPopup();
  virtual void FirePopup();
  virtual void OpenPopup();
  virtual TWinControl* GetPopupFocusControl();
  virtual void CalculatePopupContentSize(TSize& ASize) = 0;
  virtual void AttachLookupToPopup();
  virtual void SetupPopupWindow();
  virtual void PopupLookAndFeelChanged() {}
  virtual void SetPopupContentBounds(const TRect& AClientRect);
  virtual void LayoutPopupWindow();

  bool GetPopupOpen();
  void SetPopupOpen(bool Value);
  TcxCustomEditPopupWindow* PopupWindow() const { return FPopupWindow.get(); }
  TcxLookAndFeel* PopupLookAndFeel() const { return FPopupLookAndFeel.get(); }
  bool PopupResized() const { return FPopupResized; }
  void SetPopupResized(bool Value) { FPopupResized = Value; }
  bool IsButtonBlocked() const { return FButtonBlocked; }

  // --- Overrides of the editor framework.
  bool HasPopupWindow() override;
  TcxContainerStyleValues GetUnusedStyleValues() override { return TcxContainerStyleValues(); }
  TClass GetEditDataClass() override { return TcxCustomDropDownEditData::StaticClass(); }
  TClass GetInnerEditClass() override { return TcxCustomDropDownInnerEdit::StaticClass(); }
  TClass GetPropertiesClass() override;
  void InitializeEditData(TcxCustomEditData* AData) override;
  void Activate(TcxCustomEditData*& AEditData) override;
  void ActivateByKey(char AKey, TcxCustomEditData*& AEditData) override;
  void ActivateByMouse(TShiftState AShift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;
  bool CanSendActivationChar(char AChar) override;
  bool Deactivate() override;
  void DoButtonDown(Integer AButtonVisibleIndex) override;
  bool IsClickKey(Word Key, TShiftState Shift) override;
  bool CanNavigateLookup(bool AFromWheel) override;
  void PropertiesChanged(TObject* Sender) override;
  bool RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent) override;
  TcxCustomEditViewData* CreateViewData() override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char& Key) override;
  void PasteFromClipboard() override;
  // Losing the focus to a window outside the editor and its popup closes the popup.
  void FocusChanged() override;

  // Message handlers (reached through the message map).
  void CMDropDownOpen(TMessage& Message);
  void CMDropDownSyncLookup(TMessage& Message);

protected:
  void DoExit() override;
  void CreateWnd() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

  // The popup's handlers.
  virtual void PopupWindowClosed(TObject* Sender, bool ACloseQuery);
  virtual void PopupWindowShowed(TObject* Sender);
  void PopupWindowCloseQuery(TObject* Sender, bool& CanClose);

  TcxCustomDropDownEditData* dropDownEditData() const { return dynamic_cast<TcxCustomDropDownEditData*>(EditData()); }
  // Whether a press on the editor closed the open popup (then it must not reopen it); the
  // mark is taken.
  bool takeClosingClick();
  // The look-and-feel kind of the popup's content, from the editor's frame.
  void refreshPopupLookAndFeel();
  // The key of the lookup before ACall, MarkModifiedAndClick when it changed.
  template <class F> void withKeyWatch(F ACall);

private:
  bool FActivatingByMouse = false;
  bool FButtonBlocked = false;
  std::unique_ptr<TcxLookAndFeel> FPopupLookAndFeel;
  bool FPopupResized = false;
  std::unique_ptr<TcxCustomEditPopupWindow> FPopupWindow;
};

// ---------------------------------------------------------------------------------------
// The combo box.

RTL_ENUM(TcxEditDropDownListStyle, lsEditFixedList, lsEditList, lsFixedList)

using TcxEditDrawItemEvent = TEvent<void(TObject* AControl, TcxCanvas* ACanvas, Integer AIndex, const TRect& ARect,
                                         TOwnerDrawState AState)>;
using TcxMeasureItemEvent = TEvent<void(TObject* AControl, Integer AIndex, TCanvas* ACanvas, Integer& AHeight)>;

// The settings of combo boxes: the list style, the rows shown, per-item heights and
// double-click cycling.
class TcxCustomComboBoxProperties : public TcxCustomDropDownEditProperties {
  RTL_DECLARE_CLASS(TcxCustomComboBoxProperties, TcxCustomDropDownEditProperties)
public:
  explicit TcxCustomComboBoxProperties(TPersistent* AOwner) : TcxCustomDropDownEditProperties(AOwner) {}

  void Assign(TPersistent* Source) override;
  TClass GetEditClass() override;
  TClass GetLookupDataClass() override;
  TClass GetPopupWindowClass() override;
  TClass GetViewDataClass() override;
  bool ClickInTextOpensPopup() override { return FDropDownListStyle == lsFixedList; }
  Integer GetLookupPageSize() override { return FDropDownRows; }
  TcxTextInputStyle GetInputStyle() override;
  bool UsesLookupData() override { return true; }
  // Up, Down, PgUp and PgDn without Alt walk the open list.
  bool IsLookupNavigationKey(Word Key, TShiftState Shift) override;

  TcxEditDropDownListStyle DropDownListStyle() const { return FDropDownListStyle; }
  void SetDropDownListStyle(TcxEditDropDownListStyle Value);
  // Values below 1 are ignored.
  Integer DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Integer Value);
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  bool Revertable() const { return FRevertable; }
  void SetRevertable(bool Value) { FRevertable = Value; }
  const TcxEditDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TcxEditDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TcxMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TcxMeasureItemEvent& Value) { FOnMeasureItem = Value; }

  // Views of the inherited settings under the combo box's names.
  TStringList* Items() const { return LookupItems(); }
  void SetItems(TStrings* Value) { SetLookupItems(Value); }
  bool Sorted() const { return GetLookupItemsSorted(); }
  void SetSorted(bool Value) { SetLookupItemsSorted(Value); }
  bool DropDownAutoWidth() const { return PopupAutoSize(); }
  void SetDropDownAutoWidth(bool Value) { storePopupAutoSize(Value); }
  bool DropDownSizeable() const { return PopupSizeable(); }
  void SetDropDownSizeable(bool Value) { SetPopupSizeable(Value); }
  Integer DropDownWidth() const { return PopupWidth(); }
  void SetDropDownWidth(Integer Value) { SetPopupWidth(Value); }

private:
  TcxEditDropDownListStyle FDropDownListStyle = lsEditList;
  Integer FDropDownRows = 8;
  Integer FItemHeight = 0;
  bool FRevertable = false;
  TcxEditDrawItemEvent FOnDrawItem;
  TcxMeasureItemEvent FOnMeasureItem;
};

// The combo box's published settings.
class TcxComboBoxProperties : public TcxCustomComboBoxProperties {
  RTL_DECLARE_CLASS(TcxComboBoxProperties, TcxCustomComboBoxProperties)
public:
  explicit TcxComboBoxProperties(TPersistent* AOwner) : TcxCustomComboBoxProperties(AOwner) {}
};

// The combo box's list: item heights from the properties, custom drawing, a release over
// a row chooses it and closes the popup.
class TcxComboBoxListBox : public TcxCustomEditListBox {
  RTL_DECLARE_CLASS(TcxComboBoxListBox, TcxCustomEditListBox)
public:
  explicit TcxComboBoxListBox(TComponent* AOwner) : TcxCustomEditListBox(AOwner) {}

  bool CustomDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) override;
  Integer GetDefaultItemHeight(Integer AIndex = -1) override;
  Integer GetHeightForRows(Integer ARowCount) override;
  std::string GetItemText(Integer AIndex) override;
  void ListAttached() override;
  void SetItemIndex(Integer Value) override;

  // The combo box whose popup holds the list (null outside one).
  class TcxCustomComboBox* Combo() const;

protected:
  void MeasureItem(Integer Index, Integer& Height) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  bool FFirstRecreation = true;
  bool FPrevMeasureAssigned = false;
  Integer FPrevItemHeight = 0;
};

// The combo box's items as lookup data, with a list that snaps to whole rows.
class TcxComboBoxLookupData : public TcxCustomTextEditLookupData {
  RTL_DECLARE_CLASS(TcxComboBoxLookupData, TcxCustomTextEditLookupData)
public:
  explicit TcxComboBoxLookupData(TcxCustomEdit* AEdit) : TcxCustomTextEditLookupData(AEdit) {}
  TClass GetListBoxClass() override { return TcxComboBoxListBox::StaticClass(); }
  void AttachList(TWinControl* AParent) override;
  // Rows: the fewer of the items and DropDownRows; width: the widest item plus 4, plus the
  // vertical bar with more items; a horizontal bar's height under a narrower width hint.
  void GetComboListSizeHint(Integer AWidthHint, TSize& ASize);
  // Snaps a wanted client size to whole rows; always true.
  bool SnapListSize(TSize& AClientSize);
};

// The combo box's popup: its own size rule.
class TcxComboBoxPopupWindow : public TcxCustomEditPopupWindow {
  RTL_DECLARE_CLASS(TcxComboBoxPopupWindow, TcxCustomEditPopupWindow)
public:
  explicit TcxComboBoxPopupWindow(TWinControl* AOwnerControl) : TcxCustomEditPopupWindow(AOwnerControl) {}
  void CalculateSize() override;
};

class TcxCustomComboBoxInnerEdit : public TcxCustomDropDownInnerEdit {
  RTL_DECLARE_CLASS(TcxCustomComboBoxInnerEdit, TcxCustomDropDownInnerEdit)
public:
  explicit TcxCustomComboBoxInnerEdit(TComponent* AOwner) : TcxCustomDropDownInnerEdit(AOwner) {}

protected:
  // A release raises no click of the inner edit's own.
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
};

// The combo box editor.
class TcxCustomComboBox : public TcxCustomDropDownEdit {
  RTL_DECLARE_CLASS(TcxCustomComboBox, TcxCustomDropDownEdit)
public:
  explicit TcxCustomComboBox(TComponent* AOwner);

  TcxCustomComboBoxProperties* GetActiveComboProperties() {
    return static_cast<TcxCustomComboBoxProperties*>(GetActiveProperties());
  }
  TcxComboBoxLookupData* ComboLookupData() const { return static_cast<TcxComboBoxLookupData*>(LookupData()); }

  bool CanDropDown() override { return LookupData() != nullptr; }
  void CalculatePopupContentSize(TSize& ASize) override;
  void SetupPopupWindow() override;
  void Activate(TcxCustomEditData*& AEditData) override;
  void InnerEditChanged(TObject* Sender) override;
  TClass GetInnerEditClass() override { return TcxCustomComboBoxInnerEdit::StaticClass(); }
  TClass GetPropertiesClass() override;

  // The current item (-1 none).
  Integer GetItemIndex();
  void SetItemIndex(Integer Value);
  void ResetPopupHeight();
  bool SkipNextMouseMove() const { return FSkipNextMouseMove; }
  void SetSkipNextMouseMove(bool Value) { FSkipNextMouseMove = Value; }

protected:
  void DblClick() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void PopupWindowShowed(TObject* Sender) override;

private:
  bool FSkipNextMouseMove = false;
};

// The published combo box.
class TcxComboBox : public TcxCustomComboBox {
  RTL_DECLARE_CLASS(TcxComboBox, TcxCustomComboBox)
public:
  explicit TcxComboBox(TComponent* AOwner) : TcxCustomComboBox(AOwner) {}
  TcxComboBoxProperties* Properties() { return static_cast<TcxComboBoxProperties*>(GetProperties()); }
  void SetProperties(TcxComboBoxProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCustomEditStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxCustomEdit::SetStyle(Value); }
};

// ---------------------------------------------------------------------------------------
// The popup edit.

// The settings of popup edits: the control the popup shows (not owned).
class TcxCustomPopupEditProperties : public TcxCustomDropDownEditProperties {
  RTL_DECLARE_CLASS(TcxCustomPopupEditProperties, TcxCustomDropDownEditProperties)
public:
  explicit TcxCustomPopupEditProperties(TPersistent* AOwner);
  ~TcxCustomPopupEditProperties() override;

  void Assign(TPersistent* Source) override;
  TClass GetEditClass() override;
  TClass GetPopupWindowClass() override { return TcxPopupEditPopupWindow::StaticClass(); }
  bool PopupShowsLookupList() override { return false; }
  bool PopupTakesFocus() override { return true; }
  TClass GetLookupDataClass() override { return TcxCustomTextEditProperties::GetLookupDataClass(); }

  TControl* PopupControl() const { return FPopupControl; }
  // A freed control is forgotten.
  void SetPopupControl(TControl* Value);

private:
  void controlFreed(TComponent*) { FPopupControl = nullptr; }

  TControl* FPopupControl = nullptr;
  TObjectPtr<TcxFreeNotificator> FWatcher;
};

class TcxPopupEditProperties : public TcxCustomPopupEditProperties {
  RTL_DECLARE_CLASS(TcxPopupEditProperties, TcxCustomPopupEditProperties)
public:
  explicit TcxPopupEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {
    SetImmediateDropDown(true);
    SetImmediatePopup(true);
  }
};

// The popup edit: borrows its PopupControl from its parent while the popup is open.
class TcxCustomPopupEdit : public TcxCustomDropDownEdit {
  RTL_DECLARE_CLASS(TcxCustomPopupEdit, TcxCustomDropDownEdit)
public:
  explicit TcxCustomPopupEdit(TComponent* AOwner) : TcxCustomDropDownEdit(AOwner) {}
  void BeforeDestruction() override;

  TcxCustomPopupEditProperties* GetActivePopupProperties() {
    return static_cast<TcxCustomPopupEditProperties*>(GetActiveProperties());
  }
  bool CanDropDown() override { return GetActivePopupProperties()->PopupControl() != nullptr; }
  // Refuses a PopupControl that is the popup, the editor or holds the editor.
  void FireInitPopup() override;
  TWinControl* GetPopupFocusControl() override;
  void CalculatePopupContentSize(TSize& ASize) override;
  void SetPopupContentBounds(const TRect& AClientRect) override;
  void LayoutPopupWindow() override;
  TClass GetPropertiesClass() override;

  virtual void RestorePopupControl();
  virtual void SavePopupControlState();

protected:
  void PopupWindowClosed(TObject* Sender, bool ACloseQuery) override;

private:
  TControl* FSavedControl = nullptr;
  TAlign FSavedAlign = alNone;
  TRect FSavedBounds{0, 0, 0, 0};
  TWinControl* FSavedParent = nullptr;
  bool FSavedVisible = false;
  TFormBorderStyle FSavedBorderStyle = bsSizeable;
};

class TcxPopupEdit : public TcxCustomPopupEdit {
  RTL_DECLARE_CLASS(TcxPopupEdit, TcxCustomPopupEdit)
public:
  explicit TcxPopupEdit(TComponent* AOwner) : TcxCustomPopupEdit(AOwner) {}
  TcxPopupEditProperties* Properties() { return static_cast<TcxPopupEditProperties*>(GetProperties()); }
  void SetProperties(TcxPopupEditProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCustomEditStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxCustomEdit::SetStyle(Value); }
};

namespace cxDropDownEditUnit {
void Initialize();
void Finalize();
}  // namespace cxDropDownEditUnit
