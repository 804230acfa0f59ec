#pragma once
// The check box editor: a value mapped to three states (unchecked, checked, grayed) through
// three configurable values, a caption beside a check glyph (classic, themed or cells of a
// custom bitmap), toggled by the mouse, Space or the caption's accelerator; standalone and
// as an in-place cell editor.
#include <string>

#include "cx/editors/cxEdit.h"
#include "cx/editors/cxTextEdit.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Controls.h"

RTL_ENUM(TcxCheckBoxState, cbsUnchecked, cbsChecked, cbsGrayed)
// How the grayed state looks.
RTL_ENUM(TcxCheckBoxNullValueShowingStyle, nssUnchecked, nssInactive, nssGrayedChecked)

// The check button's state as painted.
constexpr Integer cxCheckButtonNormal = 0;
constexpr Integer cxCheckButtonHot = 1;
constexpr Integer cxCheckButtonPressed = 2;
constexpr Integer cxCheckButtonDisabled = 3;

// The check box's assigned values: the editor's plus whether Caption was assigned.
class TcxCheckEditPropertiesValues : public TcxCustomEditPropertiesValues {
  RTL_DECLARE_CLASS(TcxCheckEditPropertiesValues, TcxCustomEditPropertiesValues)
public:
  TcxCheckEditPropertiesValues() = default;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;
  bool Caption() const { return FCaption; }
  void SetCaption(bool Value) { FCaption = Value; }

private:
  bool FCaption = false;
};

// The check box's settings.
class TcxCustomCheckBoxProperties : public TcxCustomEditProperties {
  RTL_DECLARE_CLASS(TcxCustomCheckBoxProperties, TcxCustomEditProperties)
public:
  explicit TcxCustomCheckBoxProperties(TPersistent* AOwner);
  ~TcxCustomCheckBoxProperties() override;

  // In one update bracket: the editor properties, then the check box's own through their
  // setters.
  void Assign(TPersistent* Source) override;

  bool CanCompareEditValue() override { return true; }
  bool FiresChangeSeparately() override { return true; }
  TClass GetAssignedValuesClass() override { return TcxCheckEditPropertiesValues::StaticClass(); }
  TClass GetEditClass() override;
  TClass GetStyleClass() override;
  TClass GetViewInfoClass() override;
  TClass GetViewDataClass() override;
  TcxEditSupportedOperations GetCapabilities() override {
    return esoAlwaysHotTrack | esoFiltering | esoEditing | esoSorting;
  }
  // 1 (checked) for ValueChecked, 0 for ValueUnchecked, else 2; the focus does not matter.
  void ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused) override;
  void GetDisplayText(const Variant& AEditValue, std::string& AText) override;
  // One of the three values with the same variant type.
  bool IsEditValueValid(Variant& AEditValue) override;
  // Caption is emptied first (its assigned flag goes with the others).
  void RestoreDefaults() override;

  virtual bool ShowCaptionInPlace() { return false; }
  virtual TBitmap* GetGlyph();

  // The state of a value.
  TcxCheckBoxState StateOf(const Variant& AEditValue);

  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value);
  const std::string& Caption() const { return FCaption; }
  // Always marks Caption assigned; notifies only when the text changed.
  void SetCaption(const std::string& Value);
  // The caption shown for an unassigned Caption (the control's name), kept without marking
  // it assigned, so it is not stored.
  void SetUnassignedCaption(const std::string& Value);
  bool IsCaptionAssigned() const;
  const std::string& DisplayChecked() const { return FDisplayChecked; }
  void SetDisplayChecked(const std::string& Value);
  const std::string& DisplayUnchecked() const { return FDisplayUnchecked; }
  void SetDisplayUnchecked(const std::string& Value);
  const std::string& DisplayGrayed() const { return FDisplayGrayed; }
  void SetDisplayGrayed(const std::string& Value);
  bool FullFocusRect() const { return FFullFocusRect; }
  void SetFullFocusRect(bool Value);
  TBitmap* Glyph() { return GetGlyph(); }
  // Null frees the glyph.
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph != nullptr; }
  Integer GlyphCount() const { return FGlyphCount; }
  void SetGlyphCount(Integer Value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  TcxCheckBoxNullValueShowingStyle NullStyle() const { return FNullStyle; }
  void SetNullStyle(TcxCheckBoxNullValueShowingStyle Value);
  const Variant& ValueChecked() const { return FValueChecked; }
  // Taken only when not Null and equal (same type) to none of the three values.
  void SetValueChecked(const Variant& Value);
  const Variant& ValueGrayed() const { return FValueGrayed; }
  // Taken only when equal (same type) to none of the three values; Null is allowed.
  void SetValueGrayed(const Variant& Value);
  const Variant& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const Variant& Value);
  // The editor alignment's Horz as a plain alignment.
  TAlignment Alignment();
  void SetAlignment(TAlignment Value);

  bool IsDisplayCheckedStored() const;
  bool IsDisplayUncheckedStored() const;
  bool IsDisplayGrayedStored() const;
  bool IsValueCheckedStored() const;
  bool IsValueUncheckedStored() const;
  bool IsValueGrayedStored() const { return !FValueGrayed.IsNull(); }
  bool IsAlignmentStored() { return StoredAlignment()->IsHorzAssigned(); }
  bool IsGlyphStored() const { return FGlyph && !FGlyph->Empty(); }

protected:
  void DefineProperties(TFiler* Filer) override;

private:
  void glyphChanged(TObject* Sender) { Changed(); }
  bool isNewValue(const Variant& Value) const;

  bool FAllowGrayed = false;
  std::string FCaption;
  std::string FDisplayChecked;
  std::string FDisplayUnchecked;
  std::string FDisplayGrayed;
  bool FFullFocusRect = false;
  TBitmap* FGlyph = nullptr;
  Integer FGlyphCount = 6;
  bool FMultiLine = false;
  TcxCheckBoxNullValueShowingStyle FNullStyle = nssGrayedChecked;
  Variant FValueChecked;
  Variant FValueGrayed;
  Variant FValueUnchecked;
};

// The published check box properties.
class TcxCheckBoxProperties : public TcxCustomCheckBoxProperties {
  RTL_DECLARE_CLASS(TcxCheckBoxProperties, TcxCustomCheckBoxProperties)
public:
  explicit TcxCheckBoxProperties(TPersistent* AOwner) : TcxCustomCheckBoxProperties(AOwner) {}
};

// The check box's style: button-face background; a standalone box follows its parent's
// colour unless its controller assigns one.
class TcxCheckBoxStyle : public TcxEditStyle {
  RTL_DECLARE_CLASS(TcxCheckBoxStyle, TcxEditStyle)
public:
  TcxCheckBoxStyle(TPersistent* AOwner, bool AIsInplace) : TcxEditStyle(AOwner, AIsInplace) {}
  explicit TcxCheckBoxStyle(const TCreateArgs* Args) : TcxEditStyle(Args) {}
  TColor DefaultColor() override { return clBtnFace; }
  void RestoreDefaults() override;
};

// What one paint of a check box needs.
class TcxCustomCheckBoxViewInfo : public TcxCustomTextEditViewInfo {
  RTL_DECLARE_CLASS(TcxCustomCheckBoxViewInfo, TcxCustomTextEditViewInfo)
public:
  TcxCustomCheckBoxViewInfo() = default;
  void Paint(TcxCanvas* ACanvas) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  void MoveBy(Integer DX, Integer DY) override;
  bool HasHotButton() override { return true; }
  bool IsPointOnButton(const TPoint& P) override { return true; }
  bool NeedShowHintInBounds(TcxCanvas*, const TPoint&, const TRect&, std::string&, bool& AIsMultiLine,
                            TRect&) override {
    AIsMultiLine = false;
    return false;
  }
  // Also repaints the check rectangle when the check button or its theme state changed.
  bool Repaint(TWinControl* AControl, TcxContainerViewInfo* AOld, const TRect& AExcludedRect) override;

  TcxCheckBoxState CheckState = cbsUnchecked;
  Integer CheckBoxState = cxCheckButtonNormal;
  Integer NativeCheckState = 0;
  TAlignment Alignment = taLeftJustify;
  TcxContainerBorderStyle CheckBorderStyle = cbsNone;
  TRect CheckBoxRect{0, 0, 0, 0};
  TRect FocusRect{0, 0, 0, 0};
  TBitmap* Glyph = nullptr;
  Integer GlyphCount = 6;
  bool FullFocusRect = false;
  TcxCheckBoxNullValueShowingStyle NullStyle = nssGrayedChecked;
  bool IsCustomGlyph = false;
  bool HasParentBackground = false;
};

// Computes a check box's view info.
class TcxCustomCheckBoxViewData : public TcxCustomEditViewData {
  RTL_DECLARE_CLASS(TcxCustomCheckBoxViewData, TcxCustomEditViewData)
public:
  using TcxCustomEditViewData::TcxCustomEditViewData;

  // The box paints its frame around the glyph, not around the control.
  TcxContainerBorderStyle GetContainerBorderStyle(Integer AHotState) override;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareDrawValue(TcxCanvas* ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
  void InternalGetFixedPartSize(TcxCanvas* ACanvas, const TcxEditSizeProperties& AEditSizeProperties,
                                TSize& AMinContentSize, TSize& AFixedSize, TcxCustomEditViewInfo* AViewInfo) override;
  // The component set's text flags of the caption.
  virtual Integer GetDrawTextFlags();

private:
  TcxCustomCheckBoxProperties* checkProperties() const {
    return static_cast<TcxCustomCheckBoxProperties*>(GetProperties());
  }
};

class TcxCustomCheckBox;

// The check box's action link: the caption follows the action only while the box's own
// Caption is unassigned; Checked only while the box is not grayed.
class TcxCheckBoxActionLink : public TWinControlActionLink {
  RTL_DECLARE_CLASS(TcxCheckBoxActionLink, TWinControlActionLink)
public:
  explicit TcxCheckBoxActionLink(TObject* AClient) : TWinControlActionLink(AClient) {}
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;
};

// The check box control.
class TcxCustomCheckBox : public TcxCustomEdit {
  RTL_DECLARE_CLASS(TcxCustomCheckBox, TcxCustomEdit)
public:
  explicit TcxCustomCheckBox(TComponent* AOwner);
  void AfterConstruction() override;

  TClass GetPropertiesClass() override { return TcxCheckBoxProperties::StaticClass(); }
  TcxContainerStyleValues GetUnusedStyleValues() override;
  TcxCustomCheckBoxProperties* GetActiveCheckProperties() {
    return static_cast<TcxCustomCheckBoxProperties*>(GetActiveProperties());
  }
  TcxCustomCheckBoxProperties* Properties() { return static_cast<TcxCustomCheckBoxProperties*>(GetProperties()); }
  void SetProperties(TcxCustomCheckBoxProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TcxCheckBoxStyle* Style() const { return static_cast<TcxCheckBoxStyle*>(GetStyle()); }
  void SetStyle(TcxCheckBoxStyle* Value) { TcxCustomEdit::SetStyle(Value); }
  TcxCustomCheckBoxViewInfo* GetCheckViewInfo() const {
    return static_cast<TcxCustomCheckBoxViewInfo*>(GetViewInfo());
  }

  // The Caption in effect: assigned Caption, else the action's caption (when asked), else
  // the control's name.
  virtual void GetCaption(bool AUseAction, std::string& ACaption);
  // Unchecked -> grayed (AllowGrayed) or checked; checked -> unchecked; grayed -> checked;
  // as a user change, with ImmediatePost posting afterwards.
  virtual void Toggle();

  TcxCheckBoxState GetState();
  void SetState(TcxCheckBoxState Value);
  bool Checked() { return GetState() == cbsChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbsChecked : cbsUnchecked); }
  bool IsStateStored();

  void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) override;
  void InternalSetEditValue(const Variant& Value) override;
  void PropertiesChanged(TObject* Sender) override;
  void ProcessViewInfoChanges(TcxCustomEditViewInfo* AOld) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char& Key) override;
  bool CanClickWhileLoading() override;
  std::string GetDisplayText() override;
  void SetName(const std::string& NewName) override;
  bool IsSpacePressed() const { return FSpacePressed; }

  void CMDialogChar(TMessage& Message);

protected:
  void Loaded() override;
  void DoExit() override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TClass GetActionLinkClass() override { return TcxCheckBoxActionLink::StaticClass(); }
  // Copies an unassigned caption from the name or action; repaints when the painted
  // caption changed.
  void UpdateCaption();

private:
  friend class TcxCheckBoxActionLink;
  bool FSpacePressed = false;
  bool FStateAssignedWhileLoading = false;
  TcxCheckBoxState FLoadedState = cbsUnchecked;
  bool FIsLoadingState = false;
  bool FUpdatingCaption = false;
};

// The published check box.
class TcxCheckBox : public TcxCustomCheckBox {
  RTL_DECLARE_CLASS(TcxCheckBox, TcxCustomCheckBox)
public:
  explicit TcxCheckBox(TComponent* AOwner) : TcxCustomCheckBox(AOwner) {}
};

// --- The check box drawing routines.
// The frame around the glyph by hot state and editor border style.
TcxContainerBorderStyle cxGetCheckBorderStyle(Integer AHotState, TcxEditBorderStyle AEditBorderStyle);
// Custom cells (width / GlyphCount by height), the themed part size, else the system cell.
TSize cxGetCheckBoxGlyphSize(TcxCustomCheckBoxViewInfo* AViewInfo);
// The theme state of the check glyph: rows of four (normal, hot, pressed, disabled) for
// unchecked, checked and mixed; grayed by NullStyle.
Integer cxGetNativeCheckState(TcxCheckBoxState AState, Integer ACheckButtonState,
                              TcxCheckBoxNullValueShowingStyle ANullStyle);
void cxDrawCheckGlyph(TcxCanvas* ACanvas, TcxCustomCheckBoxViewInfo* AViewInfo);
void cxDrawCheckBoxCaption(TcxCanvas* ACanvas, TcxCustomCheckBoxViewInfo* AViewInfo);
void cxDrawCheckBox(TcxCanvas* ACanvas, TcxCustomCheckBoxViewInfo* AViewInfo);

namespace cxCheckBoxUnit {
void Initialize();
void Finalize();
}  // namespace cxCheckBoxUnit
