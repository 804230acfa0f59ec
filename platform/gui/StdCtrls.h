#pragma once
// StdCtrls: the standard controls. Most of them wrap a control class of the system (EDIT,
// BUTTON, LISTBOX, COMBOBOX, SCROLLBAR, STATIC): the control makes its window from that
// class (CreateSubClass), the system draws it and handles its input, and what the window
// tells its parent comes back to the control as CN_COMMAND, CN_DRAWITEM ... (reflection).
//
// Sections, in order:
//   types              enumerations and events of the unit, IsAccel
//   group box          TCustomGroupBox, TGroupBox
//   label              TCustomLabel, TLabel
//   edit               TCustomEdit, TEdit
//   memo               TCustomMemo, TMemo
//   combo box          TCustomComboBox, TComboBox
//   buttons            TButtonActionLink, TButtonControl, TButton, TCustomCheckBox,
//                      TCheckBox, TRadioButton
//   list box           TCustomListControl, TCustomMultiSelectListControl, TCustomListBox,
//                      TListBox
//   scroll bar         TScrollBar
//   static text        TCustomStaticText, TStaticText
//
// Lists kept in a window (memo lines, list and combo box items) are TStrings that talk to
// the window: reading or changing them makes the window when there is none yet, so the
// control needs a parent by then (EInvalidOperation "Control 'X' has no parent window"
// otherwise, as for any window). When the window is made again (RecreateWnd) the items,
// the selection and the top line come back.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

class TCustomEdit;
class TCustomMemo;
class TCustomComboBox;
class TCustomListBox;

// =======================================================================================
// Types
// =======================================================================================

RTL_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
RTL_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
RTL_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
RTL_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
RTL_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
RTL_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw)
RTL_ENUM(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll)
RTL_ENUM(TStaticBorderStyle, sbsNone, sbsSingle, sbsSunken)

using TDrawItemEvent = TEvent<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;
// Virtual list boxes ask for their items through these.
using TLBGetDataEvent = TEvent<void(TWinControl* Control, Integer Index, std::string& Data)>;
using TLBGetDataObjectEvent = TEvent<void(TWinControl* Control, Integer Index, TObject*& DataObject)>;
using TLBFindDataEvent = TEvent<Integer(TWinControl* Control, const std::string& FindString)>;

// Whether the character VK is the accelerator of Str: the character after a single '&'
// (a doubled "&&" is a plain '&'), compared without regard to case.
bool IsAccel(Word VK, const std::string& Str);

// =======================================================================================
// Group box
// =======================================================================================

// A frame with a caption at its top that groups the controls placed on it. Its client area
// is the inside of the frame, below the caption.
class TCustomGroupBox : public TCustomControl {
  RTL_DECLARE_CLASS(TCustomGroupBox, TCustomControl)
public:
  explicit TCustomGroupBox(TComponent* AOwner);

  void CMDialogChar(TCMDialogChar& Message);
  void CMTextChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void WMSize(TWMSize& Message);

protected:
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  RTL_DECLARE_CLASS(TGroupBox, TCustomGroupBox)
public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// =======================================================================================
// Label
// =======================================================================================

// Text drawn on the parent's window. With AutoSize the label takes the size of its text
// (keeping its right edge for taRightJustify and its centre for taCenter; with WordWrap
// only the height follows). Its accelerator ("&Name") focuses FocusControl.
class TCustomLabel : public TGraphicControl {
  RTL_DECLARE_CLASS(TCustomLabel, TGraphicControl)
public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  void SetAutoSize(bool Value) override;
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);
  bool Transparent() const { return !controlStyle_.Contains(csOpaque); }
  void SetTransparent(bool Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);

  // Message handlers (public for the message map).
  void CMTextChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMDialogChar(TCMDialogChar& Message);

protected:
  // The text to draw ("&" kept; DoDrawText handles it).
  virtual std::string GetLabelText();
  // Draws the label's text into Rect with the DrawText Flags (DT_CALCRECT measures).
  virtual void DoDrawText(TRect& Rect, Integer Flags);
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Resizes the label to its text when AutoSize.
  virtual void AdjustBounds();

private:
  TAlignment alignment_ = taLeftJustify;
  TWinControl* focusControl_ = nullptr;
  TTextLayout layout_ = tlTop;
  bool showAccelChar_ = true;
  bool wordWrap_ = false;
  bool measuring_ = false;  // AdjustBounds is measuring the text
};

class TLabel : public TCustomLabel {
  RTL_DECLARE_CLASS(TLabel, TCustomLabel)
public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// =======================================================================================
// Edit
// =======================================================================================

// A single-line text box over the system's EDIT class. OnChange fires whenever the text
// changes (typing, Text, SelText, Clear). SelStart and SelLength are 0-based character
// positions of the window; reading them makes the window.
class TCustomEdit : public TWinControl {
  RTL_DECLARE_CLASS(TCustomEdit, TWinControl)
public:
  explicit TCustomEdit(TComponent* AOwner);

  void Clear();
  void ClearSelection();
  void ClearUndo();
  bool CanUndo();
  void Undo();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void SelectAll();
  Integer GetSelTextBuf(char* Buffer, Integer BufSize);
  void SetSelTextBuf(const char* Buffer);

  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool Value) { autoSelect_ = Value; }
  void SetAutoSize(bool Value) override;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer Value);
  bool Modified();
  void SetModified(bool Value);
  bool OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(bool Value);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  std::string SelText();
  void SetSelText(const std::string& Value);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

  // Message handlers (public for the message map).
  void CNCommand(TWMCommand& Message);
  void CMEnter(TCMEnter& Message);
  void CMFontChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void WMSetFont(TMessage& Message);
  void WMContextMenu(TWMContextMenu& Message);

protected:
  virtual void Change();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  // The height that shows one line of the font inside the border (AutoSize).
  void AdjustHeight();
  // Whether the edit's own style bits say it is multi-line (memos).
  virtual bool isMultiLine() const { return false; }

  bool creating_ = false;

private:
  bool autoSelect_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TEditCharCase charCase_ = ecNormal;
  bool hideSelection_ = true;
  Integer maxLength_ = 0;
  bool modified_ = false;
  bool oemConvert_ = false;
  char passwordChar_ = '\0';
  bool readOnly_ = false;
  TNotifyEvent onChange_;
};

class TEdit : public TCustomEdit {
  RTL_DECLARE_CLASS(TEdit, TCustomEdit)
public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// =======================================================================================
// Memo
// =======================================================================================

// A multi-line edit. Lines are the window's lines (with WordWrap, the lines as wrapped); a
// final empty line is not counted. WantReturns: Enter breaks the line (otherwise it goes to
// the form, for a default button; Ctrl+Enter still breaks it); WantTabs: Tab is typed
// (otherwise it moves the focus).
class TCustomMemo : public TCustomEdit {
  RTL_DECLARE_CLASS(TCustomMemo, TCustomEdit)
public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStrings* Lines() const { return lines_; }
  void SetLines(TStrings* Value) { lines_->Assign(Value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool Value) { wantReturns_ = Value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool Value) { wantTabs_ = Value; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  // The caret position: line (Y) and character in the line (X), 0-based.
  TPoint CaretPos();
  void SetCaretPos(const TPoint& Value);

  void WMGetDlgCode(TWMGetDlgCode& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;
  void WndProc(TMessage& Message) override;
  bool isMultiLine() const override { return true; }

  // The lines' list; a memo over another window class (rich edit) puts its own here.
  TStrings* lines_;

private:
  TAlignment alignment_ = taLeftJustify;
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  bool wordWrap_ = true;
};

class TMemo : public TCustomMemo {
  RTL_DECLARE_CLASS(TMemo, TCustomMemo)
public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// =======================================================================================
// List controls
// =======================================================================================

// What list boxes and combo boxes have in common.
class TCustomListControl : public TWinControl {
  RTL_DECLARE_CLASS(TCustomListControl, TWinControl)
public:
  explicit TCustomListControl(TComponent* AOwner) : TWinControl(AOwner) {}

  virtual void AddItem(const std::string& Item, TObject* AObject) = 0;
  virtual void Clear() = 0;
  virtual void ClearSelection() = 0;
  // Adds the selected items (with their objects) to Destination.
  virtual void CopySelection(TCustomListControl* Destination) = 0;
  virtual void DeleteSelected() = 0;
  // Moves the selected items to Destination.
  virtual void MoveSelection(TCustomListControl* Destination);
  virtual void SelectAll() = 0;
  virtual Integer ItemIndex() = 0;
  virtual void SetItemIndex(Integer Value) = 0;
  virtual Integer GetCount() = 0;
};

class TCustomMultiSelectListControl : public TCustomListControl {
  RTL_DECLARE_CLASS(TCustomMultiSelectListControl, TCustomListControl)
public:
  explicit TCustomMultiSelectListControl(TComponent* AOwner) : TCustomListControl(AOwner) {}

  bool MultiSelect() const { return multiSelect_; }
  virtual void SetMultiSelect(bool Value) = 0;
  virtual Integer SelCount() = 0;

protected:
  bool multiSelect_ = false;
};

// =======================================================================================
// Combo box
// =======================================================================================

// An edit with a drop-down list over the system's COMBOBOX class. csDropDownList shows
// only items; csDropDown and csSimple have an edit part; the owner-draw styles draw their
// items with OnDrawItem. Choosing an item from the list sets the text to it and fires
// OnClick, then OnSelect (OnChange when there is no OnSelect); typing fires OnChange.
class TCustomComboBox : public TCustomListControl {
  RTL_DECLARE_CLASS(TCustomComboBox, TCustomListControl)
public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  void AddItem(const std::string& Item, TObject* AObject) override;
  void Clear() override;
  void ClearSelection() override;
  void CopySelection(TCustomListControl* Destination) override;
  void DeleteSelected() override;
  void SelectAll() override;
  Integer ItemIndex() override;
  void SetItemIndex(Integer Value) override;
  Integer GetCount() override;

  TStrings* Items() const { return items_; }
  void SetItems(TStrings* Value);
  TComboBoxStyle Style() const { return style_; }
  virtual void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  Integer DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(Integer Value) { dropDownCount_ = Value; }
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  Integer ItemHeight();
  void SetItemHeight(Integer Value);
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool Value) { autoComplete_ = Value; }
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool Value) { autoDropDown_ = Value; }
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  std::string SelText();
  void SetSelText(const std::string& Value);
  TCanvas* Canvas() const { return canvas_.get(); }
  // The window of the edit part (null for csDropDownList and the owner-draw styles).
  HWND EditHandle() const { return editHandle_; }
  HWND ListHandle() const { return listHandle_; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TNotifyEvent& OnSelect() const { return onSelect_; }
  void SetOnSelect(const TNotifyEvent& Value) { onSelect_ = Value; }
  const TNotifyEvent& OnDropDown() const { return onDropDown_; }
  void SetOnDropDown(const TNotifyEvent& Value) { onDropDown_ = Value; }
  const TNotifyEvent& OnCloseUp() const { return onCloseUp_; }
  void SetOnCloseUp(const TNotifyEvent& Value) { onCloseUp_ = Value; }
  const TDrawItemEvent& OnDrawItem() const { return onDrawItem_; }
  void SetOnDrawItem(const TDrawItemEvent& Value) { onDrawItem_ = Value; }
  const TMeasureItemEvent& OnMeasureItem() const { return onMeasureItem_; }
  void SetOnMeasureItem(const TMeasureItemEvent& Value) { onMeasureItem_ = Value; }

  // Message handlers (public for the message map).
  void CNCommand(TWMCommand& Message);
  void CNDrawItem(TWMDrawItem& Message);
  void CNMeasureItem(TWMMeasureItem& Message);
  void WMCtlColor(TWMCtlColor& Message);
  void CMFontChanged(TMessage& Message);

protected:
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyPress(char& Key) override;

private:
  // The edit part's messages: its keys reach the combo box's key events and its focus
  // makes the combo box the form's active control.
  void editWndProc(TMessage& Message);

  TStrings* items_;
  TStringList* saveItems_ = nullptr;
  Integer saveItemIndex_ = -1;
  TOwnedControlCanvas canvas_;
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  Integer dropDownCount_ = 8;
  Integer itemHeight_ = 16;
  Integer maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  bool autoComplete_ = true;
  bool autoDropDown_ = false;
  HWND editHandle_ = nullptr;
  HWND listHandle_ = nullptr;
  WNDPROC editDefProc_ = nullptr;
  TNotifyEvent onChange_;
  TNotifyEvent onSelect_;
  TNotifyEvent onDropDown_;
  TNotifyEvent onCloseUp_;
  TDrawItemEvent onDrawItem_;
  TMeasureItemEvent onMeasureItem_;
};

class TComboBox : public TCustomComboBox {
  RTL_DECLARE_CLASS(TComboBox, TCustomComboBox)
public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// =======================================================================================
// Buttons
// =======================================================================================

// The action link of buttons: Checked follows the action's.
class TButtonActionLink : public TWinControlActionLink {
  RTL_DECLARE_CLASS(TButtonActionLink, TWinControlActionLink)
public:
  using TWinControlActionLink::TWinControlActionLink;
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;
};

// The base of push buttons, check boxes and radio buttons over the system's BUTTON class.
class TButtonControl : public TWinControl {
  RTL_DECLARE_CLASS(TButtonControl, TWinControl)
public:
  explicit TButtonControl(TComponent* AOwner);

  virtual bool Checked() { return false; }
  virtual void SetChecked(bool Value) {}
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  // While set, changing the checked state does not fire OnClick.
  bool ClicksDisabled() const { return clicksDisabled_; }
  void SetClicksDisabled(bool Value) { clicksDisabled_ = Value; }

  bool IsCheckedStored();

protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TClass GetActionLinkClass() override;
  void CreateParams(TCreateParams& Params) override;

private:
  bool clicksDisabled_ = false;
  bool wordWrap_ = false;
};

// A push button. Default: Enter anywhere on the form clicks it (unless another button has
// the focus); Cancel: Esc clicks it. A click sets the form's ModalResult to the button's.
class TButton : public TButtonControl {
  RTL_DECLARE_CLASS(TButton, TButtonControl)
public:
  explicit TButton(TComponent* AOwner);

  void Click() override;
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  // Whether the button shows as the form's default button now.
  bool Active() const { return active_; }

  // Message handlers (public for the message map).
  void CNCommand(TWMCommand& Message);
  void CMDialogKey(TCMDialogKey& Message);
  void CMDialogChar(TCMDialogChar& Message);
  void CMFocusChanged(TCMFocusChanged& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Shows the button as the default one (BS_DEFPUSHBUTTON) or not.
  virtual void SetButtonStyle(bool ADefault);

private:
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
};

// A check box with two or (AllowGrayed) three states; a click steps unchecked -> checked
// -> unchecked, or unchecked -> grayed -> checked -> unchecked.
class TCustomCheckBox : public TButtonControl {
  RTL_DECLARE_CLASS(TCustomCheckBox, TButtonControl)
public:
  explicit TCustomCheckBox(TComponent* AOwner);

  bool Checked() override { return state_ == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  // taRightJustify: the text right of the box (the default); taLeftJustify: left of it.
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight Value);

  void CNCommand(TWMCommand& Message);
  void CMDialogChar(TCMDialogChar& Message);

protected:
  virtual void Toggle();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  TAlignment GetControlsAlignment() override { return alignment_; }

private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TLeftRight alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  RTL_DECLARE_CLASS(TCheckBox, TCustomCheckBox)
public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

// A radio button: checking it unchecks the radio buttons beside it (same parent).
class TRadioButton : public TButtonControl {
  RTL_DECLARE_CLASS(TRadioButton, TButtonControl)
public:
  explicit TRadioButton(TComponent* AOwner);

  bool Checked() override { return checked_; }
  void SetChecked(bool Value) override;
  TLeftRight Alignment() const { return alignment_; }
  void SetAlignment(TLeftRight Value);

  void CNCommand(TWMCommand& Message);
  void CMDialogChar(TCMDialogChar& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  TAlignment GetControlsAlignment() override { return alignment_; }

private:
  void turnSiblingsOff();
  bool checked_ = false;
  TLeftRight alignment_ = taRightJustify;
};

// =======================================================================================
// List box
// =======================================================================================

// A list of items over the system's LISTBOX class.
//
// Styles: lbStandard (the system draws the text), lbOwnerDrawFixed / lbOwnerDrawVariable
// (DrawItem / OnDrawItem draws each item on Canvas, ItemHeight / OnMeasureItem gives the
// heights), lbVirtual / lbVirtualOwnerDraw (Count items that the window does not hold:
// OnData gives an item's text, OnDataObject its object, OnDataFind finds one by text).
// With MultiSelect, Selected(i) holds for each selected item and ItemIndex is the item
// with the focus rectangle; ExtendedSelect makes Shift and Ctrl extend the selection.
// An index outside the items raises EListError / EStringListError "List index out of
// bounds (n)".
class TCustomListBox : public TCustomMultiSelectListControl {
  RTL_DECLARE_CLASS(TCustomListBox, TCustomMultiSelectListControl)
public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  void AddItem(const std::string& Item, TObject* AObject) override;
  void Clear() override;
  void ClearSelection() override;
  void CopySelection(TCustomListControl* Destination) override;
  void DeleteSelected() override;
  void SelectAll() override;
  Integer ItemIndex() override;
  void SetItemIndex(Integer Value) override;
  Integer GetCount() override;
  void SetMultiSelect(bool Value) override;
  Integer SelCount() override;

  // The item under Pos (client coordinates); with Existing false, Count when Pos is below
  // the last item; -1 when there is none.
  Integer ItemAtPos(const TPoint& Pos, bool Existing);
  // The item's rectangle (Index = Count: where the next item would go).
  TRect ItemRect(Integer Index);

  TStrings* Items() const { return items_; }
  void SetItems(TStrings* Value);
  bool Selected(Integer Index);
  void SetSelected(Integer Index, bool Value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool Value);
  virtual Integer ItemHeight();
  virtual void SetItemHeight(Integer Value);
  Integer TopIndex();
  void SetTopIndex(Integer Value);
  Integer Columns() const { return columns_; }
  void SetColumns(Integer Value);
  Integer TabWidth() const { return tabWidth_; }
  void SetTabWidth(Integer Value);
  Integer ScrollWidth();
  void SetScrollWidth(Integer Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool Value) { autoComplete_ = Value; }
  // The number of items of a virtual list box (the items' count for the others).
  Integer Count();
  void SetCount(Integer Value);
  TCanvas* Canvas() const { return canvas_.get(); }

  const TDrawItemEvent& OnDrawItem() const { return onDrawItem_; }
  void SetOnDrawItem(const TDrawItemEvent& Value) { onDrawItem_ = Value; }
  const TMeasureItemEvent& OnMeasureItem() const { return onMeasureItem_; }
  void SetOnMeasureItem(const TMeasureItemEvent& Value) { onMeasureItem_ = Value; }
  const TLBGetDataEvent& OnData() const { return onData_; }
  void SetOnData(const TLBGetDataEvent& Value) { onData_ = Value; }
  const TLBGetDataObjectEvent& OnDataObject() const { return onDataObject_; }
  void SetOnDataObject(const TLBGetDataObjectEvent& Value) { onDataObject_ = Value; }
  const TLBFindDataEvent& OnDataFind() const { return onDataFind_; }
  void SetOnDataFind(const TLBFindDataEvent& Value) { onDataFind_ = Value; }

  // Message handlers (public for the message map).
  void CNCommand(TWMCommand& Message);
  void CNDrawItem(TWMDrawItem& Message);
  void CNMeasureItem(TWMMeasureItem& Message);
  void WMSize(TWMSize& Message);

  // Per-item data as the window keeps it (a subclass may wrap the object in its own
  // record, as the check list box does).
  virtual LPARAM GetItemData(Integer Index);
  virtual void SetItemData(Integer Index, LPARAM AData);
  // Removes every item / item Index from the window (a subclass frees what it wrapped).
  virtual void ResetContent();
  virtual void DeleteString(Integer Index);

protected:
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  virtual std::string DoGetData(Integer Index);
  virtual TObject* DoGetDataObject(Integer Index);
  virtual Integer DoFindData(const std::string& Data);
  LPARAM InternalGetItemData(Integer Index);
  void InternalSetItemData(Integer Index, LPARAM AData);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyPress(char& Key) override;
  // Whether the items' text is held by the window (not for virtual lists).
  bool holdsStrings() const { return style_ != lbVirtual && style_ != lbVirtualOwnerDraw; }
  void checkIndex(Integer Index);

  // What DestroyWnd saves for the next window.
  TStringList* saveItems_ = nullptr;
  Integer saveTopIndex_ = 0;
  Integer saveItemIndex_ = -1;

private:
  friend class TListBoxStrings;
  void setColumnWidth();

  TStrings* items_;
  TOwnedControlCanvas canvas_;
  TListBoxStyle style_ = lbStandard;
  bool extendedSelect_ = true;
  bool sorted_ = false;
  bool integralHeight_ = false;
  Integer itemHeight_ = 16;
  Integer columns_ = 0;
  Integer tabWidth_ = 0;
  Integer scrollWidth_ = 0;
  Integer count_ = 0;  // virtual lists
  TBorderStyle borderStyle_ = bsSingle;
  bool autoComplete_ = true;
  std::string filter_;  // auto-complete prefix typed so far
  DWORD lastKeyTime_ = 0;
  TDrawItemEvent onDrawItem_;
  TMeasureItemEvent onMeasureItem_;
  TLBGetDataEvent onData_;
  TLBGetDataObjectEvent onDataObject_;
  TLBFindDataEvent onDataFind_;
};

class TListBox : public TCustomListBox {
  RTL_DECLARE_CLASS(TListBox, TCustomListBox)
public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// =======================================================================================
// Scroll bar
// =======================================================================================

// A scroll bar control over the system's SCROLLBAR class. Position moves between Min and
// Max (Max - PageSize + 1 at most when PageSize is set); OnScroll sees each move with its
// scroll code and may change the new position; OnChange fires after Position changed.
class TScrollBar : public TWinControl {
  RTL_DECLARE_CLASS(TScrollBar, TWinControl)
public:
  explicit TScrollBar(TComponent* AOwner);

  // EInvalidOperation "Scrollbar property out of range" when Min > Max or Position is
  // outside them.
  void SetParams(Integer APosition, Integer AMin, Integer AMax);

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind Value);
  Integer Min() const { return min_; }
  void SetMin(Integer Value) { SetParams(position_, Value, max_); }
  Integer Max() const { return max_; }
  void SetMax(Integer Value) { SetParams(position_, min_, Value); }
  Integer Position() const { return position_; }
  void SetPosition(Integer Value) { SetParams(Value, min_, max_); }
  Integer PageSize() const { return pageSize_; }
  void SetPageSize(Integer Value);
  TScrollBarInc SmallChange() const { return smallChange_; }
  void SetSmallChange(TScrollBarInc Value) { smallChange_ = Value; }
  TScrollBarInc LargeChange() const { return largeChange_; }
  void SetLargeChange(TScrollBarInc Value) { largeChange_ = Value; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TScrollEvent& OnScroll() const { return onScroll_; }
  void SetOnScroll(const TScrollEvent& Value) { onScroll_ = Value; }

  void CNHScroll(TWMScroll& Message);
  void CNVScroll(TWMScroll& Message);

protected:
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, Integer& ScrollPos);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

private:
  void doScroll(TWMScroll& Message);
  void applyToWindow();

  TScrollBarKind kind_ = sbHorizontal;
  Integer min_ = 0;
  Integer max_ = 100;
  Integer position_ = 0;
  Integer pageSize_ = 0;
  TScrollBarInc smallChange_ = 1;
  TScrollBarInc largeChange_ = 1;
  TNotifyEvent onChange_;
  TScrollEvent onScroll_;
};

// =======================================================================================
// Static text
// =======================================================================================

// A label with a window of its own (the system's STATIC class): it can sit above other
// windows and take an accelerator for FocusControl.
class TCustomStaticText : public TWinControl {
  RTL_DECLARE_CLASS(TCustomStaticText, TWinControl)
public:
  explicit TCustomStaticText(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  void SetAutoSize(bool Value) override;
  TStaticBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TStaticBorderStyle Value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);

  void CMDialogChar(TCMDialogChar& Message);
  void CMFontChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void AdjustBounds();

private:
  TAlignment alignment_ = taLeftJustify;
  TStaticBorderStyle borderStyle_ = sbsNone;
  TWinControl* focusControl_ = nullptr;
  bool showAccelChar_ = true;
};

class TStaticText : public TCustomStaticText {
  RTL_DECLARE_CLASS(TStaticText, TCustomStaticText)
public:
  explicit TStaticText(TComponent* AOwner) : TCustomStaticText(AOwner) {}
};

namespace StdCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace StdCtrlsUnit
