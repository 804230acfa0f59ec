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
#include "cx/foundation/cxFormats.h"
#include "platform/gui/StdCtrls.h"

// How typed text relates to the lookup items.
RTL_ENUM(TcxTextInputStyle, tisFreeText, tisListText, tisFixedList, tisNoEdit)
RTL_ENUM(TcxEditEchoMode, eemNormal, eemPassword)

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

// What one paint of a text editor needs: the shown text, where it goes and how it is laid out.
class TcxCustomTextEditViewInfo : public TcxCustomEditViewInfo {
  RTL_DECLARE_CLASS(TcxCustomTextEditViewInfo, TcxCustomEditViewInfo)
public:
  TcxCustomTextEditViewInfo() = default;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  void MoveBy(Integer DX, Integer DY) override;

  std::string Text;
  TRect TextRect{0, 0, 0, 0};
  Integer DrawTextFlags = 0;
};
