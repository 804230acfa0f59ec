#pragma once
// The text editor: the model of the single-line text editor and the base of the settings of
// every text-like editor (masked, drop-down, combo, spin, memo). It turns edit values into
// shown text (plain text, numbers through display and edit formats, dates), holds the text
// settings an editor pushes into its inner edit (case, password echo, selection hiding,
// maximum length, OEM conversion), the numeric bounds with their validation, and the list of
// lookup items with the input style that decides whether typed text must be one of them.
#include <bitset>
#include <memory>
#include <optional>
#include <string>

#include "cx/editors/cxEdit.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/cxDrawTextUtils.h"
#include "cx/foundation/cxFormats.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Scoped.h"

// How typed text relates to the lookup items.
RTL_ENUM(TcxTextInputStyle, tisFreeText, tisListText, tisFixedList, tisNoEdit)
RTL_ENUM(TcxEditEchoMode, eemNormal, eemPassword)

// A step through the lookup items.
RTL_ENUM(TcxLookupNavigation, lnFirst, lnLast, lnNext, lnPrevious, lnPageUp, lnPageDown)

class TcxCustomEditListBox;

// What a text editor asks of its list of items: does a text equal an item, which item
// starts with a typed text, which item is current, where a navigation key goes; drop-down
// editors also let it make and fill the list box of their popup.
struct IcxTextEditLookupData : public IInterface {
  RTL_INTERFACE_ID(0x3F6A0C52, 0x81D4, 0x4B0E, 0x9A, 0x27, 0x5C, 0xE1, 0x40, 0x7B, 0xD3, 0x18)
  virtual bool ListIsResizable() = 0;
  virtual void SelectCurrentKeyInList() = 0;
  virtual TObject* GetImplementor() = 0;
  virtual void ListOpening() = 0;
  virtual void ListClosed() = 0;
  virtual bool HasItem(const std::string& AText) = 0;
  virtual TcxCustomEditListBox* GetList() = 0;
  virtual void GetKeyValue(Variant& AKey) = 0;
  virtual void GetKeyText(const Variant& AKey, std::string& AText) = 0;
  virtual void GetOnKeyChanged(TNotifyEvent& AEvent) = 0;
  virtual void GetOnItemChosen(TNotifyEvent& AEvent) = 0;
  virtual void GetListSizeHint(TSize& ASize) = 0;
  virtual void Navigate(TcxLookupNavigation ADirection, bool ACircular) = 0;
  virtual void AttachList(TWinControl* AParent) = 0;
  virtual bool IsEmpty() = 0;
  virtual bool IsPointOverList(const TPoint& AScreenPoint) = 0;
  virtual bool FindMatch(std::string& AText, std::string& ATail, bool AResetOnFail) = 0;
  virtual void SetListBounds(const TRect& ABounds) = 0;
  virtual void RefreshListItems() = 0;
  virtual void ApplyListSelection() = 0;
  virtual void SetKeyValue(const Variant& AKey) = 0;
  virtual void SetOnKeyChanged(const TNotifyEvent& AEvent) = 0;
  virtual void SetOnItemChosen(const TNotifyEvent& AEvent) = 0;
  virtual void SyncWithText() = 0;

protected:
  ~IcxTextEditLookupData() = default;
};

// The text editor's side of its lookup data: the flag that tells the editor its own lookup
// step is changing the text (so it does not re-sync the lookup with it).
class TextLookupOwner {
public:
  virtual void SetLookupTyping(bool Value) = 0;

protected:
  ~TextLookupOwner() = default;
};

using TcxNewLookupDisplayTextEvent = TEvent<void(TObject* Sender, const std::string& AText)>;

// The characters an editor always accepts from the keyboard.
using TcxValidChars = std::bitset<256>;

// The text editor's assigned values: the editor's plus the four that may come from the
// bound data.
class TcxTextEditPropertiesValues : public TcxCustomEditPropertiesValues {
  RTL_DECLARE_CLASS(TcxTextEditPropertiesValues, TcxCustomEditPropertiesValues)
public:
  TcxTextEditPropertiesValues() = default;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  bool DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(bool Value) { FDisplayFormat = Value; }
  bool MaxLength() const { return FMaxLength; }
  void SetMaxLength(bool Value) { FMaxLength = Value; }
  bool MaxValue() const { return FMaxValue; }
  void SetMaxValue(bool Value) { FMaxValue = Value; }
  bool MinValue() const { return FMinValue; }
  void SetMinValue(bool Value) { FMinValue = Value; }

private:
  bool FDisplayFormat = false;
  bool FMaxLength = false;
  bool FMaxValue = false;
  bool FMinValue = false;
};

// The settings of text editors.
class TcxCustomTextEditProperties : public TcxCustomEditProperties, public IcxFormatChangeListener {
  RTL_DECLARE_CLASS(TcxCustomTextEditProperties, TcxCustomEditProperties)
public:
  explicit TcxCustomTextEditProperties(TPersistent* AOwner);
  ~TcxCustomTextEditProperties() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxCustomEditProperties::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxCustomEditProperties::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxCustomEditProperties::_Release(); }

  // From other text-editor properties, in one update bracket; other sources as inherited.
  void Assign(TPersistent* Source) override;

  // --- Overridden operations.
  void AlignmentChanged(TObject* Sender) override;
  void SetAlignment(TcxEditAlignment* Value) override;
  bool CanValidate() override { return true; }
  bool CanCompareEditValue() override { return true; }
  TClass GetEditClass() override;
  TClass GetAssignedValuesClass() override { return TcxTextEditPropertiesValues::StaticClass(); }
  TcxEditDisplayFormatOptions GetDisplayFormatOptions() override { return dfoSupports; }
  void GetValidationErrorText(TcxEditValidationError AErrorKind, std::string& AText) override;
  bool FiresChangeSeparately() override { return true; }
  TClass GetViewInfoClass() override;
  TClass GetViewDataClass() override;
  bool CompareDisplayValues(const Variant& AValue1, const Variant& AValue2) override {
    return CompareDisplayValues(AValue1, this, AValue2);
  }
  // The display texts of both values, each through its own properties, compared with case;
  // False when the other properties are no text-editor properties.
  bool CompareDisplayValues(const Variant& AValue1, TcxCustomEditProperties* AProperties2, const Variant& AValue2);
  void GetDisplayText(const Variant& AEditValue, std::string& AText) override;
  TcxEditSupportedOperations GetCapabilities() override;
  // Null and non-text values are valid; a text is checked against the lookup items (and
  // takes CharCase when accepted).
  bool IsEditValueValid(Variant& AEditValue) override;
  bool CanResetEditValue() override { return GetInputStyle() != tisNoEdit; }
  void ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                            TcxCustomEdit* AEdit) override;
  TcxEditValueKind GetEditValueKind(bool AFocused) override { return evsText; }

  // --- New virtual operations.
  // The locale's formats changed: one change notice, with IsFormatChanging set meanwhile.
  void FormatChanged() override;
  virtual void CheckValueBounds(const Variant& ADisplayValue, std::string& AErrorText, TcxCustomEdit* AEdit,
                                bool& AError);
  virtual void GetNullDisplayValue(Variant& AValue) { AValue = std::string(); }
  // Password echo, else the character case. The case conversion follows the locale, so
  // accented letters convert as the inner edit converts them while typing.
  virtual void ApplyEchoAndCase(std::string& AText);
  virtual void FireNewLookupDisplayText(TObject* Sender, const std::string& AText);
  virtual bool IsLookupItem(const std::string& AText);
  virtual void GetDefaultDisplayFormat(std::string& AFormat) { AFormat.clear(); }
  virtual Integer GetDefaultMaxLength();
  virtual Integer GetLookupPageSize() { return 8; }
  virtual TcxTextInputStyle GetInputStyle() { return FHideCursor ? tisNoEdit : tisFreeText; }
  virtual TClass GetLookupDataClass();
  virtual bool IsValueRanged() { return false; }
  virtual bool PopupShowsLookupList() { return false; }
  virtual bool IsMultiLine() { return false; }
  virtual bool IsLookupNavigationKey(Word Key, TShiftState Shift) { return false; }
  virtual void ReapplyChange() { Changed(); }
  virtual void SetCharCase(TEditCharCase Value);
  // Negative lengths are taken as 0 (no limit).
  virtual void SetMaxLength(Integer Value);
  virtual bool UsesLookupData() { return GetLookupDataClass() != nullptr; }
  // Whether the text of AValue is acceptable for the input style; an accepted text takes
  // CharCase.
  virtual bool ValidateLookupText(Variant& AValue);

  // --- Values.
  // The value shown for an edit value: through ConvertEditToDisplayValue when the value is
  // valid, else its date or plain text.
  void MakeDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused);
  // The value clamped into [MinValue, MaxValue] when it is numeric and the range is not
  // empty.
  void ClampValueToBounds(const Variant& AValue, Variant& AResult);

  // --- Settings.
  TEditCharCase CharCase() const { return FCharCase; }
  std::string GetDisplayFormat();
  void SetDisplayFormat(const std::string& Value);
  bool IsDisplayFormatStored() const { return textValues()->DisplayFormat(); }
  TcxEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  bool FixedListIncrementalSearch() const { return FFixedListIncrementalSearch; }
  void SetFixedListIncrementalSearch(bool Value);
  bool IsFormatChanging() const { return FIsFormatChanging; }
  bool HideCursor() const { return FHideCursor; }
  void SetHideCursor(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool ImmediateUpdateText() const { return FImmediateUpdateText; }
  void SetImmediateUpdateText(bool Value) { FImmediateUpdateText = Value; }
  TStringList* LookupItems() const { return FLookupItems; }
  void SetLookupItems(TStrings* Value) { FLookupItems->Assign(Value); }
  bool GetLookupItemsSorted() const { return FLookupItems->Sorted(); }
  void SetLookupItemsSorted(bool Value) { FLookupItems->SetSorted(Value); }
  Integer GetMaxLength();
  bool IsMaxLengthStored() const { return textValues()->MaxLength(); }
  Extended GetMaxValue();
  void SetMaxValue(Extended Value);
  bool IsMaxValueStored() const { return textValues()->MaxValue(); }
  Extended GetMinValue();
  void SetMinValue(Extended Value);
  bool IsMinValueStored() const { return textValues()->MinValue(); }
  const TcxValidChars& ValidChars() const { return FValidChars; }
  void SetValidChars(const TcxValidChars& Value) { FValidChars = Value; }
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  const TcxNewLookupDisplayTextEvent& OnNewLookupDisplayText() const { return FOnNewLookupDisplayText; }
  void SetOnNewLookupDisplayText(const TcxNewLookupDisplayTextEvent& Value) { FOnNewLookupDisplayText = Value; }

  // The plain alignment published by text editors (the alignment's Horz).
  TAlignment HorzAlignment() { return GetAlignment()->Horz(); }
  void SetHorzAlignment(TAlignment Value) { GetAlignment()->SetHorz(Value); }
  bool IsHorzAlignmentStored() { return StoredAlignment()->IsHorzAssigned(); }

protected:
  // "IsDisplayFormatAssigned": keeps an assigned empty DisplayFormat across streaming.
  void DefineProperties(TFiler* Filer) override;
  TcxTextEditPropertiesValues* textValues() const {
    return static_cast<TcxTextEditPropertiesValues*>(AssignedValues());
  }

private:
  void ItemsChanged(TObject* Sender) { Changed(); }

  TEditCharCase FCharCase = ecNormal;
  std::string FDisplayFormat;
  TcxEditEchoMode FEchoMode = eemNormal;
  bool FFixedListIncrementalSearch = true;
  bool FIsFormatChanging = false;
  bool FHideCursor = false;
  bool FHideSelection = true;
  bool FImmediateUpdateText = false;
  TStringList* FLookupItems = nullptr;  // owned
  Integer FMaxLength = 0;
  Extended FMaxValue = 0;
  Extended FMinValue = 0;
  TcxValidChars FValidChars;
  bool FOEMConvert = false;
  TcxNewLookupDisplayTextEvent FOnNewLookupDisplayText;
};

// The text editor's published settings.
class TcxTextEditProperties : public TcxCustomTextEditProperties {
  RTL_DECLARE_CLASS(TcxTextEditProperties, TcxCustomTextEditProperties)
public:
  explicit TcxTextEditProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {}
};

// The owner-drawn, hot-tracking list box of editor popups. Its rows carry no text of their
// own: GetItemText supplies it, so a list of any length costs only its row count.
class TcxCustomEditListBox : public TcxCustomInnerListBox {
  RTL_DECLARE_CLASS(TcxCustomEditListBox, TcxCustomInnerListBox)
public:
  explicit TcxCustomEditListBox(TComponent* AOwner);

  void SetItemIndex(Integer Value) override;

  virtual bool CustomDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) { return false; }
  virtual Integer GetHeightForRows(Integer ARowCount) { return ARowCount * GetDefaultItemHeight(); }
  virtual std::string GetItemText(Integer AIndex) { return Items()->Get(AIndex); }
  virtual Integer GetDefaultItemHeight(Integer AIndex = -1) { return GetTextHeight(); }
  virtual void ListAttached() {}

  // The window exists and is visible.
  bool IsListVisible();
  // Brings the inner scroll bars up to date, then raises OnRowChosen.
  void DoSelectItem();
  // Appends empty rows or deletes rows from the end until there are ACount.
  void SetItemCount(Integer ACount);
  void RecreateWindow() { RecreateWnd(); }
  // The height of "Wg" in the list's font.
  Integer GetTextHeight();

  bool TracksMouse() const { return FTracksMouse; }
  void SetTracksMouse(bool Value) { FTracksMouse = Value; }
  const TNotifyEvent& OnRowChosen() const { return FOnRowChosen; }
  void SetOnRowChosen(const TNotifyEvent& Value) { FOnRowChosen = Value; }

  void CMShowingChanged(TMessage& Message);

protected:
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void Click() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

private:
  bool FTracksMouse = true;
  TNotifyEvent FOnRowChosen;
};

// The lookup data of text editors, over the properties' LookupItems. Descendants supply
// items from elsewhere through GetItem and GetItemCount.
class TcxCustomTextEditLookupData : public TcxInterfacedPersistent, public IcxTextEditLookupData {
  RTL_DECLARE_CLASS(TcxCustomTextEditLookupData, TcxInterfacedPersistent)
public:
  using TConstructorArg = TcxCustomEdit*;
  // AEdit is the owning editor (not owned); both indexes start at -1.
  explicit TcxCustomTextEditLookupData(TcxCustomEdit* AEdit);

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxInterfacedPersistent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxInterfacedPersistent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxInterfacedPersistent::_Release(); }

  // --- Item source and list hooks.
  virtual void GetItem(Integer AIndex, std::string& AText);
  virtual Integer GetItemCount();
  virtual TClass GetListBoxClass() { return nullptr; }
  virtual void TakeListItemIndex(TObject* Sender);
  // Looks for the first item (after the item index when AFromNext, never wrapping) that
  // starts with AText without regard to case; a match makes it the current key and gives
  // the item's own letters and the rest of it.
  virtual bool FindMatchFrom(std::string& AText, std::string& ATail, bool AFromNext, bool AResetOnFail);
  virtual void UpdateListItemCount();

  // --- IcxTextEditLookupData.
  bool ListIsResizable() override { return true; }
  void SelectCurrentKeyInList() override { SetItemIndex(FCurrentKey); }
  TObject* GetImplementor() override { return this; }
  void ListOpening() override {}
  void ListClosed() override {}
  bool HasItem(const std::string& AText) override;
  TcxCustomEditListBox* GetList() override { return FList; }
  void GetKeyValue(Variant& AKey) override { AKey = Variant(FCurrentKey); }
  void GetKeyText(const Variant& AKey, std::string& AText) override;
  void GetOnKeyChanged(TNotifyEvent& AEvent) override { AEvent = FOnKeyChanged; }
  void GetOnItemChosen(TNotifyEvent& AEvent) override { AEvent = FOnItemChosen; }
  void GetListSizeHint(TSize& ASize) override { ASize = TSize{0, 0}; }
  void Navigate(TcxLookupNavigation ADirection, bool ACircular) override;
  void AttachList(TWinControl* AParent) override;
  bool IsEmpty() override { return GetItemCount() == 0; }
  bool IsPointOverList(const TPoint& AScreenPoint) override;
  bool FindMatch(std::string& AText, std::string& ATail, bool AResetOnFail) override {
    return FindMatchFrom(AText, ATail, false, AResetOnFail);
  }
  void SetListBounds(const TRect& ABounds) override;
  void RefreshListItems() override { UpdateListItemCount(); }
  void ApplyListSelection() override;
  void SetKeyValue(const Variant& AKey) override;
  void SetOnKeyChanged(const TNotifyEvent& AEvent) override { FOnKeyChanged = AEvent; }
  void SetOnItemChosen(const TNotifyEvent& AEvent) override { FOnItemChosen = AEvent; }
  void SyncWithText() override;

  // Makes AIndex (-1 .. count - 1) the current key and the list's row; other values are
  // ignored.
  void SelectKeyIndex(Integer AIndex);
  // Moves the list's row; a -1 scrolls the list to its top first.
  void SetItemIndex(Integer AIndex);
  Integer CurrentKey() const { return FCurrentKey; }
  Integer ItemIndex() const { return FItemIndex; }
  TcxCustomEdit* Edit() const { return FEdit; }

protected:
  TcxCustomTextEditProperties* textProperties();
  TcxTextInputStyle inputStyle();
  void raiseItemChosen() {
    if (FOnItemChosen) FOnItemChosen(this);
  }

private:
  // The popup may free the list before the editor goes: the pointer is dropped then.
  void listFreed(TComponent*) { FList = nullptr; }

  Integer FCurrentKey = -1;
  Integer FItemIndex = -1;
  TcxCustomEditListBox* FList = nullptr;  // owned by the popup parent
  TObjectPtr<TcxFreeNotificator> FListWatcher;
  TcxCustomEdit* FEdit;
  TNotifyEvent FOnKeyChanged;
  TNotifyEvent FOnItemChosen;
};

// What one paint of a text editor needs: the shown text, its rectangle and layout flags, the
// selection with its colours, and the rows once laid out.
class TcxCustomTextEditViewInfo : public TcxCustomEditViewInfo {
  RTL_DECLARE_CLASS(TcxCustomTextEditViewInfo, TcxCustomEditViewInfo)
public:
  TcxCustomTextEditViewInfo() = default;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  void MoveBy(Integer DX, Integer DY) override;
  void Paint(TcxCanvas* ACanvas) override;
  // Whether the text does not show whole at P: then the hint's text and rectangle.
  bool NeedShowHintInBounds(TcxCanvas* ACanvas, const TPoint& P, const TRect& AVisibleBounds, std::string& AText,
                            bool& AIsMultiLine, TRect& ATextRect) override;
  // Paints the text alone.
  virtual void DrawText(TcxCanvas* ACanvas);

  bool ComboLook = false;
  bool SelectionInverted = false;
  TcxTextLayoutFlags DrawTextFlags = 0;
  TcxTextInputStyle InputStyle = tisFreeText;
  bool PopupOpen = false;
  bool InnerEditShown = false;
  Integer MaxLineCount = 0;
  Integer SelStart = 0;
  Integer SelLength = 0;
  TColor SelTextColor = clHighlightText;
  TColor SelBackgroundColor = clHighlight;
  std::string Text;
  bool RowsLaidOut = false;
  TcxTextParams TextParams;
  TRect TextRowsRect{0, 0, 0, 0};
  TcxTextRows TextRows;
  TRect TextRect{0, 0, 0, 0};
};

// Computes a text editor's view info: the display text, its layout in the text rectangle
// with the editor's alignment, the selection and its colours.
class TcxCustomTextEditViewData : public TcxCustomEditViewData {
  RTL_DECLARE_CLASS(TcxCustomTextEditViewData, TcxCustomEditViewData)
public:
  explicit TcxCustomTextEditViewData(const TCreateArgs* Args) : TcxCustomEditViewData(Args) {}

  void InitCacheData() override;
  TSize InternalGetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareDrawValue(TcxCanvas* ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
  TRect GetEditExtent(TcxCustomEditViewInfo* AViewInfo) override;

  virtual bool InnerEditShown() { return Edit && Edit->IsInnerEditVisible(); }
  virtual bool IsComboLook() { return false; }
  virtual void CalculateTextFlags(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo);
  // The value's plain text with the echo and case of the properties.
  virtual void SetViewInfoText(const Variant& AValue, TcxCustomTextEditViewInfo* AViewInfo);
  virtual TcxTextLayoutFlags GetDrawTextFlags();
  virtual TRect GetTextMargins(TcxCustomEditViewInfo* AViewInfo);

  bool UsesDataDisplayText() const { return FUsesDataDisplayText; }

protected:
  TcxCustomTextEditProperties* textProperties() const {
    return static_cast<TcxCustomTextEditProperties*>(GetProperties());
  }

private:
  bool FUsesDataDisplayText = false;
};

// ---------------------------------------------------------------------------------------
// The inner text edit.

// What a text editor asks of its inner edit beyond the editor framework's questions.
struct IcxInnerTextEdit : public IcxCustomInnerEdit {
  RTL_INTERFACE_ID(0x0E84D7B2, 0x2C61, 0x4A9F, 0xB5, 0x3E, 0x71, 0xC8, 0x0A, 0x94, 0x2F, 0xD6)
  virtual void CopyToClipboard() = 0;
  virtual TAlignment GetAlignment() = 0;
  virtual bool GetAutoSelect() = 0;
  virtual TEditCharCase GetCharCase() = 0;
  virtual bool GetEchoMode() = 0;
  virtual bool GetHideSelection() = 0;
  // The first byte of a double-byte character being composed, else #0.
  virtual char GetImeLastChar() = 0;
  virtual bool GetKeyConsumed() = 0;
  virtual Integer GetMaxLength() = 0;
  virtual bool GetOEMConvert() = 0;
  virtual Integer GetSelLength() = 0;
  virtual Integer GetSelStart() = 0;
  virtual std::string GetSelText() = 0;
  virtual bool IsMultiLine() = 0;
  virtual void SelectAll() = 0;
  virtual void SetAlignment(TAlignment Value) = 0;
  virtual void SetAutoSelect(bool Value) = 0;
  virtual void SetCharCase(TEditCharCase Value) = 0;
  virtual void SetEchoMode(bool Value) = 0;
  virtual void SetHideSelection(bool Value) = 0;
  virtual void SetKeyConsumed(bool Value) = 0;
  virtual void SetMaxLength(Integer Value) = 0;
  virtual void SetOEMConvert(bool Value) = 0;
  virtual void SetSelLength(Integer Value) = 0;
  virtual void SetSelStart(Integer Value) = 0;
  virtual void SetSelText(const std::string& Value) = 0;

protected:
  ~IcxInnerTextEdit() = default;
};

class TcxCustomTextEdit;

// The inner edit's state before a key message: whether the key changed anything.
struct TcxCustomInnerTextEditPrevState {
  std::string Text;
  Integer SelLength = 0;
  Integer SelStart = 0;
};

// The inner controls' interfaces, answered by a small object on the control's behalf. The
// control (TcxCustomInnerTextEdit or TcxCustomInnerMemo) supplies the operations that
// differ between a single-line edit and a memo.
template <class TInner>
class TcxInnerTextEditHelperT : public IcxInnerTextEdit {
public:
  explicit TcxInnerTextEditHelperT(TInner* AEdit) : FEdit(AEdit) {}
  virtual ~TcxInnerTextEditHelperT() = default;
  TcxInnerTextEditHelperT(const TcxInnerTextEditHelperT&) = delete;
  TcxInnerTextEditHelperT& operator=(const TcxInnerTextEditHelperT&) = delete;

  // Owned by the control: no reference counting.
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return FEdit->QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE _Release() override { return 1; }

  // IcxContainerInnerControl.
  TWinControl* GetControl() override { return FEdit; }
  TcxContainer* GetControlContainer() override { return FEdit->Container(); }
  // IcxCustomInnerEdit.
  Variant GetEditValue() override { return FEdit->InnerEditValue(); }
  TNotifyEvent GetOnChange() override { return FEdit->OnChange(); }
  bool GetReadOnly() override { return FEdit->ReadOnly(); }
  void LockBounds(bool ALock) override { FEdit->LockInnerBounds(ALock); }
  void SafelySetFocus() override { FEdit->SafelySetFocus(); }
  void SetEditValue(const Variant& Value) override { FEdit->SetInnerEditValue(Value); }
  void SetParent(TWinControl* Value) override { FEdit->SetParent(Value); }
  void SetOnChange(const TNotifyEvent& Value) override { FEdit->SetOnChange(Value); }
  void SetReadOnly(bool Value) override { FEdit->SetReadOnly(Value); }
  // IcxInnerTextEdit.
  void CopyToClipboard() override { FEdit->CopyToClipboard(); }
  TAlignment GetAlignment() override { return FEdit->InnerAlignment(); }
  bool GetAutoSelect() override { return FEdit->InnerAutoSelect(); }
  TEditCharCase GetCharCase() override { return FEdit->CharCase(); }
  bool GetEchoMode() override { return FEdit->EchoMode(); }
  bool GetHideSelection() override { return FEdit->HideSelection(); }
  char GetImeLastChar() override { return FEdit->ImeLastChar(); }
  bool GetKeyConsumed() override { return FEdit->KeyConsumed(); }
  Integer GetMaxLength() override { return FEdit->MaxLength(); }
  bool GetOEMConvert() override { return FEdit->OEMConvert(); }
  Integer GetSelLength() override { return FEdit->InnerSelLength(); }
  Integer GetSelStart() override { return FEdit->InnerSelStart(); }
  std::string GetSelText() override { return FEdit->SelText(); }
  bool IsMultiLine() override { return FEdit->IsMultiLineEdit(); }
  void SelectAll() override {
    if (FEdit->HandleAllocated()) FEdit->SelectAll();
  }
  void SetAlignment(TAlignment Value) override { FEdit->SetInnerAlignment(Value); }
  void SetAutoSelect(bool Value) override { FEdit->SetInnerAutoSelect(Value); }
  void SetCharCase(TEditCharCase Value) override { FEdit->SetCharCase(Value); }
  void SetEchoMode(bool Value) override { FEdit->SetEchoMode(Value); }
  void SetHideSelection(bool Value) override { FEdit->SetHideSelection(Value); }
  void SetKeyConsumed(bool Value) override { FEdit->SetKeyConsumed(Value); }
  void SetMaxLength(Integer Value) override { FEdit->SetMaxLength(Value); }
  void SetOEMConvert(bool Value) override { FEdit->SetOEMConvert(Value); }
  void SetSelLength(Integer Value) override { FEdit->SetInnerSelLength(Value); }
  void SetSelStart(Integer Value) override { FEdit->SetInnerSelStart(Value); }
  void SetSelText(const std::string& Value) override { FEdit->SetSelText(Value); }

  // The selection kept while a double-byte character is being composed.
  Integer SavedSelLength = 0;
  Integer SavedSelStart = 0;

private:
  TInner* FEdit;
};

// What the inner controls of text editors share, over the platform control they derive
// from (the single-line edit, the memo): keys, clicks, mouse, focus changes and clipboard
// commands go to the owning editor, bounds follow the editor's placement only, and the
// editor's focus rules and context menu stand for the control's own. The operations that
// differ between controls are the two Tab questions and the typed-key filter.
template <class TBase>
class TcxInnerEditForwarding : public TBase {
public:
  explicit TcxInnerEditForwarding(TComponent* AOwner) : TBase(AOwner) {}

  // The owning editor, null when the owner is no text editor.
  TcxCustomTextEdit* ForwardingEditor() const;
  // The control's interfaces, answered by its helper.
  virtual IcxInnerTextEdit* Intf() = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;

  bool KeyConsumed() const { return FKeyConsumed; }
  void SetKeyConsumed(bool Value) { FKeyConsumed = Value; }
  void LockInnerBounds(bool ALock);

  // Only the editor places the control; while it is created or locked it stays.
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool CanFocus() override;
  TPopupMenu* GetPopupMenu() override;
  void DefaultHandler(TMessage& Message) override;

  // Message handlers, entered in each control's message map.
  void WMGetDlgCode(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMCut(TMessage& Message);
  void WMPaste(TMessage& Message);
  void WMClear(TMessage& Message);

protected:
  // Whether the dialog manager leaves Tab to the control (without Ctrl held).
  virtual bool WantsTabKey() = 0;
  // Whether a Tab reaches the control as a typed character and a key release.
  virtual bool TypesTab() = 0;
  // A typed key the editor let through, before the control takes it; may clear it.
  virtual void FilterTypedKey(char& Key) {}
  // Whether WM_CLEAR goes to the editor (else the control clears by itself).
  virtual bool ClearGoesToEditor() { return true; }

  void CreateHandle() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override { return false; }
  // A left press or double click on an editor that drags automatically starts the drag
  // instead; whether it did.
  bool StartsAutomaticDrag(const TMessage& Message);

  bool FKeyConsumed = false;
  bool FCreating = false;
  Integer FBoundsLock = 0;
};

// The native single-line edit a text editor places inside its frame for the typing. It has
// no border of its own and hands mouse, keys, focus changes, drag and clipboard commands to
// its editor (its owner).
class TcxCustomInnerTextEdit : public TcxInnerEditForwarding<TCustomEdit> {
  RTL_DECLARE_CLASS(TcxCustomInnerTextEdit, TCustomEdit)
public:
  explicit TcxCustomInnerTextEdit(TComponent* AOwner);
  ~TcxCustomInnerTextEdit() override;

  IcxInnerTextEdit* Intf() override { return FHelper.get(); }


  // The editor (the owner), null when the owner is no text editor.
  TcxCustomTextEdit* Container() const;

  // --- What the helper answers.
  Variant InnerEditValue() { return Variant(GetText()); }
  void SetInnerEditValue(const Variant& Value);
  void SafelySetFocus();
  TAlignment InnerAlignment() const { return FAlignment; }
  // Left alignment while the editor's properties ask for it on editing; a change makes the
  // window again.
  void SetInnerAlignment(TAlignment Value);
  bool InnerAutoSelect() const { return AutoSelect(); }
  void SetInnerAutoSelect(bool Value) { SetAutoSelect(Value); }
  bool EchoMode() const { return FEchoMode; }
  void SetEchoMode(bool Value);
  char ImeLastChar() const { return FImeCharCount == 2 ? FImeLastChar : '\0'; }
  bool IsMultiLineEdit() const { return false; }
  Integer InnerSelStart();
  Integer InnerSelLength();
  void SetInnerSelStart(Integer Value);
  void SetInnerSelLength(Integer Value);

  // --- New virtual operations.
  virtual std::string GetText() { return Text(); }
  virtual void SetText(const std::string& Value) { TControl::SetText(Value); }
  // No left margin, one pixel on the right.
  virtual void AdjustMargins();

  // The index of the character at the caret, searched by halving over the characters' x
  // positions: 0 for an empty text, the text length with the caret after the last one.
  Integer GetCaretCharIndex();
  void SaveState(TcxCustomInnerTextEditPrevState& AState);
  // Whether the selection or the text (without regard to case) differs from AState; false
  // without a window.
  bool StateChanged(const TcxCustomInnerTextEditPrevState& AState);

  void DragDrop(TObject* Source, Integer X, Integer Y) override;
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;

  // Message handlers (reached through the message map).
  void WMContextMenu(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMSize(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);

protected:
  // The editor takes Tab itself; a Tab is never typed into the text.
  bool WantsTabKey() override { return true; }
  bool TypesTab() override { return false; }
  // Enter and Escape that closed a drop-down or finish an in-place edit, and Enter of an
  // editor that does not beep on it, are not typed.
  void FilterTypedKey(char& Key) override;
  virtual void MouseEnter(TControl* AControl) {}
  virtual void MouseLeave(TControl* AControl);

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;

private:
  void handleKeyDownMessage(TMessage& Message);
  void handleCharMessage(TMessage& Message);
  void handleImeChar(TMessage& Message);

  bool FEchoMode = false;
  std::unique_ptr<TcxInnerTextEditHelperT<TcxCustomInnerTextEdit>> FHelper;
  TAlignment FAlignment = taLeftJustify;
  Integer FImeCharCount = 0;
  char FImeLastChar = '\0';
};

// ---------------------------------------------------------------------------------------
// The text editor control.

using TcxNewLookupTextEvent = TEvent<void(TObject* Sender, const Variant& AValue, bool& ARefocus)>;

// The single-line text editor: an editor whose inner control is a native edit and whose
// value is the text shown in it. It keeps the value and the inner edit's text in step,
// passes the text settings to the inner edit, handles clipboard and selection, completes
// typed text from the lookup items where a descendant has a button, and lets the keys and
// the wheel walk the items where a descendant allows it. While the inner edit is hidden
// (right-aligned or centred and unfocused, or in the fixed-list and no-edit styles) the
// text is painted from the view info.
class TcxCustomTextEdit : public TcxCustomEdit, public TextLookupOwner, public IcxFormatChangeListener {
  RTL_DECLARE_CLASS(TcxCustomTextEdit, TcxCustomEdit)
public:
  explicit TcxCustomTextEdit(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomTextEdit() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxCustomEdit::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxCustomEdit::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxCustomEdit::_Release(); }

  // IcxFormatChangeListener.
  void FormatChanged() override { ReapplyPropertiesAndValue(); }
  // TextLookupOwner.
  void SetLookupTyping(bool Value) override { FLookupTyping = Value; }

  // --- New virtual operations.
  virtual void ReapplyPropertiesAndValue();
  virtual void ApplyInnerEditColors();
  virtual void EnsureValueInRange();
  virtual void ClampValueToRange() {}
  virtual bool CanNavigateLookup(bool AFromWheel) { return false; }
  virtual void ApplyLookupSelection(TObject* Sender);
  virtual std::string GetControlText() { return GetDisplayText(); }
  virtual bool SetControlText(const std::string& AText) { return TrySetDisplayText(AText); }
  virtual void LookupKeyToEditValue(const Variant& AKey, Variant& AValue);
  virtual void ResetLookupHighlight();
  virtual void SetTextAsUserInput(const std::string& AText);
  virtual void SetSelectionLength(Integer Value);
  virtual void SetSelectionStart(Integer Value);
  virtual void InsertText(const std::string& AText);
  virtual void ValidateTextAgainstList();
  virtual void DeleteSelection();
  virtual void PropertiesChanged(TObject* Sender) override;
  virtual void RefreshDrawnText() override;
  virtual void PasteFromClipboard() override;
  virtual void SelectAllText() override;

  // --- Overrides of the editor framework.
  void AdjustInnerEditPosition(Integer AHeight) override;
  bool IsModifyingKey(Word Key, TShiftState Shift) override;
  bool IsModifyingChar(char AChar) override;
  void InnerEditChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char& Key) override;
  void GetEditSizeProperties(TcxEditSizeProperties& AProperties) override;
  std::string GetDisplayText() override;
  TClass GetInnerEditClass() override;
  bool IsEditingSupported() override;
  void InternalSetDisplayValue(const Variant& Value) override;
  void SetDisplayValue(const Variant& Value) override;
  bool IsInnerEditVisible() override;
  bool IsValidChar(char AChar) override;
  bool TrySetDisplayText(const std::string& AText) override;
  void SetInternalDisplayValue(const Variant& Value) override;
  void SyncDisplayFromEditValue() override;
  void SyncEditValueFromDisplay() override;
  bool HandlesNavigationKeys() override { return true; }
  void RestoreInnerEditWindowProc() override;
  void Activate(TcxCustomEditData*& AEditData) override;
  void CopyToClipboard() override;
  void CutToClipboard() override;
  TClass GetPropertiesClass() override;
  void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) override;
  bool RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent) override;
  void CalculateInnerControlRegion(const TRect& AAlignRect, TWinControl* AControl,
                                   std::optional<TRect>& ARegion) override;

  // --- Selection and text.
  Integer GetSelectionStart();
  Integer GetSelectionLength();
  void SetSelection(Integer AStart, Integer ALength) {
    SetSelectionStart(AStart);
    SetSelectionLength(ALength);
  }
  std::string SelText();
  Integer GetCaretCharIndex();
  IcxInnerTextEdit* GetInnerTextEdit() const { return FInnerTextEdit; }
  IcxTextEditLookupData* GetLookupDataIntf() const { return FLookupData.get(); }
  TcxCustomTextEditLookupData* LookupData() const { return FLookupData.get(); }
  TcxCustomTextEditProperties* GetActiveTextProperties() {
    return static_cast<TcxCustomTextEditProperties*>(GetActiveProperties());
  }

  // --- State.
  bool BeepOnEnter() const { return FBeepOnEnter; }
  void SetBeepOnEnter(bool Value) { FBeepOnEnter = Value; }
  bool LookupMatchMark() const { return FLookupMatchMark; }
  void SetLookupMatchMark(bool Value);
  bool DisplaySyncing() const { return FDisplaySyncing; }
  bool LookupPosting() const { return FLookupPosting; }
  bool SetTextPassThrough() const { return FSetTextPassThrough; }
  void SetSetTextPassThrough(bool Value) { FSetTextPassThrough = Value; }
  bool DropDownClosedByKey() const { return FDropDownClosedByKey; }
  void SetDropDownClosedByKey(bool Value) { FDropDownClosedByKey = Value; }
  bool LookupTyping() const { return FLookupTyping; }
  const TcxNewLookupTextEvent& OnNewLookupText() const { return FOnNewLookupText; }
  void SetOnNewLookupText(const TcxNewLookupTextEvent& Value) { FOnNewLookupText = Value; }

  // Message handlers (reached through the message map).
  void WMGetText(TMessage& Message);
  void WMGetTextLength(TMessage& Message);
  void WMSetText(TMessage& Message);
  void WMClear(TMessage& Message);

protected:
  // The inner controls hand their keys, mouse and focus changes to the editor's handlers.
  friend class TcxCustomInnerTextEdit;
  friend class TcxCustomInnerMemo;
  template <class> friend class TcxInnerEditForwarding;

  void Loaded() override;
  void KeyPress(char& Key) override;
  void DoExit() override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

  // The lookup step: completes ASearchText from the items, writes prefix and tail with the
  // tail selected, and answers whether an item matched.
  bool LookupText(std::string& ASearchText);
  bool CanCompleteByLookup();
  TcxTextInputStyle inputStyle() { return GetActiveTextProperties()->GetInputStyle(); }
  // Posts a value chosen by a lookup step when the properties post immediately.
  void postLookupChange(const Variant& AOldKey);

private:
  bool FBeepOnEnter = true;
  bool FLookupMatchMark = false;
  bool FDisplaySyncing = false;
  bool FLookupPosting = false;
  bool FSetTextPassThrough = false;
  bool FAdjustingInnerEdit = false;
  bool FDropDownClosedByKey = false;
  std::unique_ptr<TcxCustomTextEditLookupData> FLookupData;
  bool FLookupTyping = false;
  TcxNewLookupTextEvent FOnNewLookupText;
  IcxInnerTextEdit* FInnerTextEdit = nullptr;  // the inner edit's, not counted
  bool FConstructing = true;
};

// ---------------------------------------------------------------------------------------
// The inner controls' shared forwarding (defined here: it reaches into the editor).

template <class TBase> TcxCustomTextEdit* TcxInnerEditForwarding<TBase>::ForwardingEditor() const {
  return dynamic_cast<TcxCustomTextEdit*>(this->Owner());
}

template <class TBase>
HRESULT STDMETHODCALLTYPE TcxInnerEditForwarding<TBase>::QueryInterface(const ::IID& riid, void** obj) {
  if (IsEqualGUID(riid, IcxInnerTextEdit::IID()) || IsEqualGUID(riid, IcxCustomInnerEdit::IID()) ||
      IsEqualGUID(riid, IcxContainerInnerControl::IID())) {
    *obj = Intf();
    return S_OK;
  }
  return TBase::QueryInterface(riid, obj);
}

template <class TBase> void TcxInnerEditForwarding<TBase>::LockInnerBounds(bool ALock) {
  if (ALock)
    ++FBoundsLock;
  else if (FBoundsLock > 0)
    --FBoundsLock;
}

template <class TBase>
void TcxInnerEditForwarding<TBase>::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FCreating || FBoundsLock > 0) return;
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit) {
    TBase::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  edit->SuspendInnerAlignment(true);
  ScopeExit resume([edit] { edit->SuspendInnerAlignment(false); });
  TBase::SetBounds(ALeft, ATop, AWidth, AHeight);
}

template <class TBase> bool TcxInnerEditForwarding<TBase>::CanFocus() {
  TcxCustomTextEdit* edit = ForwardingEditor();
  return edit ? edit->CanFocusWithParentForm() : TBase::CanFocus();
}

template <class TBase> TPopupMenu* TcxInnerEditForwarding<TBase>::GetPopupMenu() {
  TcxCustomTextEdit* edit = ForwardingEditor();
  return edit ? edit->GetPopupMenu() : TBase::GetPopupMenu();
}

template <class TBase> void TcxInnerEditForwarding<TBase>::DefaultHandler(TMessage& Message) {
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (edit && edit->HandleInnerControlMessage(Message)) return;
  TBase::DefaultHandler(Message);
}

template <class TBase> void TcxInnerEditForwarding<TBase>::CreateHandle() {
  if (TcxCustomTextEdit* edit = ForwardingEditor()) edit->ResetInnerControlRegion();
  TBase::CreateHandle();
}

template <class TBase> bool TcxInnerEditForwarding<TBase>::StartsAutomaticDrag(const TMessage& Message) {
  if (Message.Msg != WM_LBUTTONDOWN && Message.Msg != WM_LBUTTONDBLCLK) return false;
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit || edit->DragMode() != dmAutomatic || edit->IsDesigning()) return false;
  edit->BeginDrag(false);
  return true;
}

template <class TBase> void TcxInnerEditForwarding<TBase>::KeyDown(Word& Key, TShiftState Shift) {
  FKeyConsumed = false;
  if (TcxCustomTextEdit* edit = ForwardingEditor()) {
    edit->KeyDown(Key, Shift);
    if (Key == 0) FKeyConsumed = true;
  }
  if (Key != 0) TBase::KeyDown(Key, Shift);
}

template <class TBase> void TcxInnerEditForwarding<TBase>::KeyPress(char& Key) {
  FKeyConsumed = false;
  if (Key == '\t' && !TypesTab()) Key = 0;
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (Key != 0 && edit) {
    edit->KeyPress(Key);
    if (Key == 0) FKeyConsumed = true;
  }
  if (Key != 0 && edit) {
    FilterTypedKey(Key);
    if (Key == 0) FKeyConsumed = true;
  }
  if (Key != 0) TBase::KeyPress(Key);
}

template <class TBase> void TcxInnerEditForwarding<TBase>::KeyUp(Word& Key, TShiftState Shift) {
  FKeyConsumed = false;
  if (Key == VK_TAB && !TypesTab()) Key = 0;
  if (Key != 0) {
    if (TcxCustomTextEdit* edit = ForwardingEditor()) {
      edit->KeyUp(Key, Shift);
      if (Key == 0) FKeyConsumed = true;
    }
  }
  if (Key != 0) TBase::KeyUp(Key, Shift);
}

template <class TBase> void TcxInnerEditForwarding<TBase>::Click() {
  TBase::Click();
  if (TcxCustomTextEdit* edit = ForwardingEditor()) edit->Click();
}

template <class TBase> void TcxInnerEditForwarding<TBase>::DblClick() {
  TBase::DblClick();
  if (TcxCustomTextEdit* edit = ForwardingEditor()) edit->DblClick();
}

template <class TBase>
void TcxInnerEditForwarding<TBase>::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TBase::MouseDown(Button, Shift, X, Y);
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit) return;
  edit->SetInnerMouseDown(true);
  ScopeExit done([edit] { edit->SetInnerMouseDown(false); });
  edit->MouseDown(Button, Shift, X + this->Left(), Y + this->Top());
}

template <class TBase> void TcxInnerEditForwarding<TBase>::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TBase::MouseMove(Shift, X, Y);
  if (TcxCustomTextEdit* edit = ForwardingEditor()) edit->MouseMove(Shift, X + this->Left(), Y + this->Top());
}

template <class TBase>
void TcxInnerEditForwarding<TBase>::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TBase::MouseUp(Button, Shift, X, Y);
  if (TcxCustomTextEdit* edit = ForwardingEditor())
    edit->MouseUp(Button, Shift, X + this->Left(), Y + this->Top());
}

template <class TBase> void TcxInnerEditForwarding<TBase>::WMGetDlgCode(TMessage& Message) {
  this->DispatchFrom(TBase::StaticClass(), Message);
  Message.Result |= DLGC_WANTCHARS;
  if (WantsTabKey() && GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (edit && (edit->IsInplace() || edit->HasPopupWindow())) Message.Result |= DLGC_WANTALLKEYS;
}

template <class TBase> void TcxInnerEditForwarding<TBase>::WMSetFocus(TMessage& Message) {
  this->DispatchFrom(TBase::StaticClass(), Message);
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit || edit->IsDestroying()) return;
  // The focus coming from the editor's own window is no change of the editor's focus.
  if (edit->HandleAllocated() && reinterpret_cast<HWND>(Message.WParam) == edit->WindowHandle()) return;
  edit->FocusChanged();
}

template <class TBase> void TcxInnerEditForwarding<TBase>::WMKillFocus(TMessage& Message) {
  this->DispatchFrom(TBase::StaticClass(), Message);
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (edit && !edit->IsDestroying()) edit->FocusChanged();
}

template <class TBase> void TcxInnerEditForwarding<TBase>::WMCut(TMessage& Message) {
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit) {
    this->DispatchFrom(TBase::StaticClass(), Message);
    return;
  }
  ScopedRestore<bool> keep(edit->FIsUserChange);
  edit->SetUserChange(true);
  if (this->ReadOnly())
    edit->CopyToClipboard();
  else
    edit->CutToClipboard();
}

template <class TBase> void TcxInnerEditForwarding<TBase>::WMPaste(TMessage& Message) {
  if (this->ReadOnly()) return;
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit) {
    this->DispatchFrom(TBase::StaticClass(), Message);
    return;
  }
  ScopedRestore<bool> keep(edit->FIsUserChange);
  edit->SetUserChange(true);
  edit->PasteFromClipboard();
}

template <class TBase> void TcxInnerEditForwarding<TBase>::WMClear(TMessage& Message) {
  TcxCustomTextEdit* edit = ForwardingEditor();
  if (!edit || !ClearGoesToEditor()) {
    if (!this->ReadOnly() || edit) this->DispatchFrom(TBase::StaticClass(), Message);
    return;
  }
  if (this->ReadOnly()) return;
  ScopedRestore<bool> keep(edit->FIsUserChange);
  edit->SetUserChange(true);
  edit->DeleteSelection();
}

// The control properties and events the text editor publishes, shared by the editors that
// publish the same ones (T has Properties, SetProperties, Style and Text).
template <class T> void publishTextEditControl(TClassBuilder<T>& b) {
  publishPlacement(b);
  PUBLISH(AutoSize).Default(true);
  PUBLISH(BeepOnEnter).Default(true);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  b.Property("Properties", &T::Properties, &T::SetProperties);
  PUBLISH(RepositoryItem);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Style);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Text);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  PUBLISH(OnEditing);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
}

// The published text editor.
class TcxTextEdit : public TcxCustomTextEdit {
  RTL_DECLARE_CLASS(TcxTextEdit, TcxCustomTextEdit)
public:
  explicit TcxTextEdit(TComponent* AOwner) : TcxCustomTextEdit(AOwner) {}
  TcxCustomTextEditProperties* Properties() { return static_cast<TcxCustomTextEditProperties*>(GetProperties()); }
  void SetProperties(TcxCustomTextEditProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCustomEditStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxCustomEdit::SetStyle(Value); }
};
