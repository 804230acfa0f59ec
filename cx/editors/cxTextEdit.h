#pragma once
// The text editor: the model of the single-line text editor and the base of the settings of
// every text-like editor (masked, drop-down, combo, spin, memo). It turns edit values into
// shown text (plain text, numbers through display and edit formats, dates), holds the text
// settings an editor pushes into its inner edit (case, password echo, selection hiding,
// maximum length, OEM conversion), the numeric bounds with their validation, and the list of
// lookup items with the input style that decides whether typed text must be one of them.
#include <bitset>
#include <string>

#include "cx/editors/cxEdit.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/cxDrawTextUtils.h"
#include "cx/foundation/cxFormats.h"
#include "platform/gui/StdCtrls.h"

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
