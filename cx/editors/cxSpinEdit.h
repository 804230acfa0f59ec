#pragma once
// cxSpinEdit: the numeric editor with spin buttons. It steps its value by Increment (or
// LargeIncrement) from the buttons (with auto-repeat while one is held), the cursor keys,
// PgUp/PgDn and the mouse wheel, keeps it inside MinValue..MaxValue, takes only number
// characters and holds the value as a 64-bit integer or a double (ValueType).
#include <memory>
#include <string>

#include "cx/editors/cxMaskEdit.h"
#include "platform/gui/ExtCtrls.h"

RTL_ENUM(TcxSpinEditButtonsPosition, sbpHorzLeftRight, sbpHorzRight, sbpVert)
RTL_ENUM(TcxSpinEditValueType, vtInt, vtFloat)

class TcxCustomSpinEditProperties;
class TcxCustomSpinEdit;

// Spin kinds, used for steps and as button indexes.
enum : Integer { skDown = 0, skUp = 1, skFastDown = 2, skFastUp = 3 };

class TcxSpinEditButtons : public TPersistent {
  RTL_DECLARE_CLASS(TcxSpinEditButtons, TPersistent)
public:
  explicit TcxSpinEditButtons(TcxCustomSpinEditProperties* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  TcxSpinEditButtonsPosition Position() const { return FPosition; }
  void SetPosition(TcxSpinEditButtonsPosition Value);
  bool ShowFastButtons() const { return FShowFastButtons; }
  void SetShowFastButtons(bool Value);

private:
  TcxSpinEditButtonsPosition FPosition = sbpVert;
  TcxCustomSpinEditProperties* FOwner;  // not owned
  bool FShowFastButtons = false;
};

class TcxSpinEditPropertiesValues : public TcxTextEditPropertiesValues {
  RTL_DECLARE_CLASS(TcxSpinEditPropertiesValues, TcxTextEditPropertiesValues)
public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;
  bool ValueType() const { return FValueType; }
  void SetValueType(bool Value) { FValueType = Value; }

private:
  bool FValueType = false;
};

class TcxCustomSpinEditProperties : public TcxCustomMaskEditProperties {
  RTL_DECLARE_CLASS(TcxCustomSpinEditProperties, TcxCustomMaskEditProperties)
public:
  explicit TcxCustomSpinEditProperties(TPersistent* AOwner);
  ~TcxCustomSpinEditProperties() override;

  void Assign(TPersistent* Source) override;
  void Changed() override;
  TClass GetAssignedValuesClass() override { return TcxSpinEditPropertiesValues::StaticClass(); }
  TClass GetViewDataClass() override;
  TClass GetEditClass() override;
  TClass GetViewInfoClass() override;
  bool IsEditValueValid(Variant& AEditValue) override;
  void ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                            TcxCustomEdit* AEdit) override;
  TcxEditValueKind GetEditValueKind(bool AFocused) override { return AFocused ? evsValue : evsText; }
  void GetNullDisplayValue(Variant& AValue) override;
  bool IsValueRanged() override { return true; }
  bool ValidateLookupText(Variant& AValue) override;

  // --- New virtual operations.
  virtual bool CanClampOverflow() { return true; }
  // 0 refuses a step beyond a bound, 1 stops it at the bound, 2 or more lets it through.
  virtual Integer GetOverflowMode() { return CanClampOverflow() ? 1 : 0; }
  virtual bool ChecksNumericText() { return true; }
  virtual bool KeepsSelectionOnSpin() { return false; }

  // The value as a number (0 for Null, empty or no number); a text is parsed.
  double ValueToNumber(const Variant& AValue);
  // A number as the value type: a 64-bit integer (rounded, halves to even) or a double.
  Variant CastValueToType(double AValue);

  TcxSpinEditButtons* SpinButtons() const { return FSpinButtons.get(); }
  void SetSpinButtons(TcxSpinEditButtons* Value) { FSpinButtons->Assign(Value); }
  bool CanEdit() const { return FCanEdit; }
  void SetCanEdit(bool Value);
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value);
  bool IsIncrementStored() const { return FIncrement != 1.0; }
  double LargeIncrement() const { return FLargeIncrement; }
  void SetLargeIncrement(double Value);
  bool IsLargeIncrementStored() const { return FLargeIncrement != 10.0; }
  bool UseCtrlIncrement() const { return FUseCtrlIncrement; }
  void SetUseCtrlIncrement(bool Value);
  TcxSpinEditValueType ValueType();
  void SetValueType(TcxSpinEditValueType Value);
  bool IsValueTypeStored() const;

private:
  bool valueTypeAssigned() const;

  std::unique_ptr<TcxSpinEditButtons> FSpinButtons;
  bool FCanEdit = true;
  double FIncrement = 1.0;
  double FLargeIncrement = 10.0;
  bool FUseCtrlIncrement = false;
  TcxSpinEditValueType FValueType = vtFloat;
  bool FSyncingButtons = false;
};

class TcxSpinEditProperties : public TcxCustomSpinEditProperties {
  RTL_DECLARE_CLASS(TcxSpinEditProperties, TcxCustomSpinEditProperties)
public:
  explicit TcxSpinEditProperties(TPersistent* AOwner) : TcxCustomSpinEditProperties(AOwner) {}
};

class TcxSpinEditViewInfo : public TcxCustomTextEditViewInfo {
  RTL_DECLARE_CLASS(TcxSpinEditViewInfo, TcxCustomTextEditViewInfo)
public:
  TcxSpinEditViewInfo() = default;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  void DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, const TRect& AContentRect,
                         TColor APenColor, TColor ABrushColor) override;

  Integer ArrowSize = 0;
  TcxSpinEditButtonsPosition ButtonsPosition = sbpVert;
};

class TcxSpinEditViewData : public TcxCustomTextEditViewData {
  RTL_DECLARE_CLASS(TcxSpinEditViewData, TcxCustomTextEditViewData)
public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  bool CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) override;
  bool IsButtonForcedPressed(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) override;
  void CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex,
                             TRect& ButtonsRect) override;

  Integer PressedSpinButton = 0;
};

class TcxCustomSpinEdit : public TcxCustomMaskEdit {
  RTL_DECLARE_CLASS(TcxCustomSpinEdit, TcxCustomMaskEdit)
public:
  explicit TcxCustomSpinEdit(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomSpinEdit() override;

  TcxCustomSpinEditProperties* GetActiveSpinProperties() {
    return static_cast<TcxCustomSpinEditProperties*>(GetActiveProperties());
  }

  // --- Overrides.
  bool RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent) override;
  void InnerEditChanged(TObject* Sender) override;
  void DoButtonDown(Integer AButtonVisibleIndex) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char& Key) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  bool IsValidChar(char AChar) override;
  void PropertiesChanged(TObject* Sender) override;
  void SyncDisplayFromEditValue() override;
  void SyncEditValueFromDisplay() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  TClass GetPropertiesClass() override;
  void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) override;
  void ClampValueToRange() override;
  TcxCustomEditViewData* CreateViewData() override;

  // --- New virtual operations.
  virtual double GetIncrement(Integer AKind);
  virtual Variant GetValue();
  virtual void ValueToText(double AValue, std::string& AText);
  virtual void SetValue(const Variant& AValue);
  // One step of the given kind; whether the text changed.
  virtual bool Spin(Integer AKind);

  // Where a step of the given kind goes; false when it is refused.
  bool ComputeSpinTarget(Integer AKind, double& AValue);
  // Converts a display text. On a failure: raises with the error text when asked, else
  // falls back to the last valid number and answers false.
  bool TextToValue(const Variant& ADisplayValue, bool ARaise, std::string& AErrorText, Variant& AValue);
  bool IsOutOfTypeRange(double AValue);
  void StartSpinRepeat();
  void StopSpin();

  Variant Value() { return GetValue(); }
  bool TextTyped() const { return FTextTyped; }
  Byte PressedSpinButton() const { return FPressedSpinButton; }
  double LastNumericValue() const { return FLastNumericValue; }
  TTimer* RepeatTimer() const { return FRepeatTimer.get(); }
  bool IsValueStored() { return !(GetValue() == Variant(0)); }

protected:
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoExit() override;
  void DblClick() override;

private:
  void SetPressedSpinButton(Byte Value);
  void SpinRepeatTick(TObject* Sender);
  bool isSpinKey(Word Key, TShiftState Shift);

  bool FTextTyped = false;
  bool FKeyTyped = false;
  Byte FPressedSpinButton = 0;
  std::unique_ptr<TTimer> FRepeatTimer;
  double FLastNumericValue = 0;
  bool FInRepeatTick = false;
};

class TcxSpinEdit : public TcxCustomSpinEdit {
  RTL_DECLARE_CLASS(TcxSpinEdit, TcxCustomSpinEdit)
public:
  explicit TcxSpinEdit(TComponent* AOwner) : TcxCustomSpinEdit(AOwner) {}
  TcxCustomSpinEditProperties* Properties() { return static_cast<TcxCustomSpinEditProperties*>(GetProperties()); }
  void SetProperties(TcxCustomSpinEditProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCustomEditStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxCustomEdit::SetStyle(Value); }
};
