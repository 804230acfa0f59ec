#pragma once
// cxRadioGroup: the radio group editor (one choice among captioned items; its edit value is
// the chosen item's value, or its caption when the item has no value) and the look-and-feel
// radio button it is made of, usable on its own too.
#include <memory>
#include <string>

#include "cx/editors/extra/cxGroupBox.h"
#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/StdCtrls.h"

// Mouse states of a radio button.
constexpr Integer cxRadioStateDisabled = 0;
constexpr Integer cxRadioStateHot = 1;
constexpr Integer cxRadioStateNormal = 2;
constexpr Integer cxRadioStatePressed = 3;

// The application message that moves the focus to a button of the group (WParam: index).
constexpr UINT CM_FOCUSRADIOBUTTON = WM_APP + 0x6A;

// A radio button drawn by the look-and-feel painters (or the theme).
class TcxRadioButton : public TRadioButton, public IcxMouseTrackingCaller {
  RTL_DECLARE_CLASS(TcxRadioButton, TRadioButton)
public:
  explicit TcxRadioButton(TComponent* AOwner);
  ~TcxRadioButton() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;
  ULONG STDMETHODCALLTYPE _AddRef() override { return static_cast<ULONG>(-1); }
  ULONG STDMETHODCALLTYPE _Release() override { return static_cast<ULONG>(-1); }
  void MouseLeave() override;

  // --- Virtual operations of the radio button.
  virtual TRect GetTextMargins();
  virtual bool IsInplace() { return false; }
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) { Invalidate(); }
  virtual void PaintButton(TcxCanvas* ACanvas);
  virtual void UpdateMouseState(TMouseButton AButton, TShiftState AShift, const TPoint& P);

  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  Integer MouseState() const { return FMouseState; }
  // The glyph's rectangle in the control.
  TRect GlyphRect();
  // Whether the native theme draws the button.
  bool IsNativeStyle();

  void CNDrawItem(TWMDrawItem& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void BMSetCheck(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMSysColorChange(TMessage& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DoEnter() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Whether the button is an inner control of a container (disabled text drawn flat).
  virtual bool IsContainerInnerControl() { return false; }
  void setMouseState(Integer AState);

  TOwnedControlCanvas FCanvas;
  std::unique_ptr<TcxCanvas> FcxCanvas;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;

private:
  void lookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
    LookAndFeelChanged(Sender, AChangedValues);
  }
  TComponent* FPopupMenu = nullptr;
  Integer FMouseState = cxRadioStateNormal;
};

class TcxCustomRadioGroup;

// One radio button of a group.
class TcxCustomRadioGroupButton : public TcxRadioButton {
  RTL_DECLARE_CLASS(TcxCustomRadioGroupButton, TcxRadioButton)
public:
  explicit TcxCustomRadioGroupButton(TComponent* AOwner);
  ~TcxCustomRadioGroupButton() override;
  bool IsInplace() override;
  void Click() override;
  TcxCustomRadioGroup* RadioGroup() const { return FGroup; }
  Integer Column = 0;
  Integer Row = 0;

  void CNCommand(TWMCommand& Message);
  void WMGetDlgCode(TWMGetDlgCode& Message);

protected:
  void DoEnter() override;
  void DoExit() override;
  void KeyPress(char& Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool IsContainerInnerControl() override { return true; }

private:
  Integer index();
  TcxCustomRadioGroup* FGroup;
  bool FInClick = false;
};

class TcxRadioGroupItem : public TcxButtonGroupItem {
  RTL_DECLARE_CLASS(TcxRadioGroupItem, TcxButtonGroupItem)
public:
  explicit TcxRadioGroupItem(TCollection* Collection) : TcxButtonGroupItem(Collection) {}
  void Assign(TPersistent* Source) override;
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& AValue);
  bool IsValueStored() const { return !FValue.IsNull(); }

private:
  Variant FValue = Null();
};

class TcxRadioGroupItems : public TcxButtonGroupItems {
  RTL_DECLARE_CLASS(TcxRadioGroupItems, TcxButtonGroupItems)
public:
  explicit TcxRadioGroupItems(TPersistent* AOwner) : TcxButtonGroupItems(AOwner, TcxRadioGroupItem::StaticClass()) {}
  TcxRadioGroupItem* Items(Integer Index) const { return static_cast<TcxRadioGroupItem*>(TCollection::Items(Index)); }
  TcxRadioGroupItem* Add() { return static_cast<TcxRadioGroupItem*>(TCollection::Add()); }
};

class TcxCustomRadioGroupProperties : public TcxCustomButtonGroupProperties {
  RTL_DECLARE_CLASS(TcxCustomRadioGroupProperties, TcxCustomButtonGroupProperties)
public:
  explicit TcxCustomRadioGroupProperties(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;

  TcxButtonGroupItems* CreateItems() override { return new TcxRadioGroupItems(this); }
  Integer GetColumnCount() override;
  bool CanCompareEditValue() override { return true; }
  bool FiresChangeSeparately() override { return true; }
  bool CanResetEditValue() override { return true; }
  TcxEditSupportedOperations GetCapabilities() override;
  TClass GetEditClass() override;
  // The index of the item a value maps to (-1: none).
  void ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused) override;
  void GetDisplayText(const Variant& AEditValue, std::string& AText) override;
  Integer IndexOfValue(const Variant& AEditValue);

  TcxRadioGroupItems* Items() const { return static_cast<TcxRadioGroupItems*>(TcxCustomButtonGroupProperties::Items()); }
  void SetItems(TcxRadioGroupItems* Value) { TcxCustomButtonGroupProperties::SetItems(Value); }
  const std::string& DefaultCaption() const { return FDefaultCaption; }
  void SetDefaultCaption(const std::string& Value);
  bool IsDefaultCaptionStored() const;
  const Variant& DefaultValue() const { return FDefaultValue; }
  void SetDefaultValue(const Variant& Value);
  bool IsDefaultValueStored() const { return !FDefaultValue.IsNull(); }

private:
  std::string FDefaultCaption;
  Variant FDefaultValue = Null();
};

class TcxRadioGroupProperties : public TcxCustomRadioGroupProperties {
  RTL_DECLARE_CLASS(TcxRadioGroupProperties, TcxCustomRadioGroupProperties)
public:
  explicit TcxRadioGroupProperties(TPersistent* AOwner) : TcxCustomRadioGroupProperties(AOwner) {}
};

class TcxCustomRadioGroup : public TcxCustomButtonGroup {
  RTL_DECLARE_CLASS(TcxCustomRadioGroup, TcxCustomButtonGroup)
public:
  explicit TcxCustomRadioGroup(TComponent* AOwner);

  TClass GetPropertiesClass() override { return TcxRadioGroupProperties::StaticClass(); }
  TcxCustomRadioGroupProperties* GetRadioProperties() {
    return static_cast<TcxCustomRadioGroupProperties*>(GetActiveProperties());
  }
  TcxRadioGroupProperties* Properties() { return static_cast<TcxRadioGroupProperties*>(GetProperties()); }
  void SetProperties(TcxRadioGroupProperties* Value) { TcxCustomEdit::SetProperties(Value); }

  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer Value);
  TcxCustomRadioGroupButton* RadioButtons(Integer Index) const {
    return static_cast<TcxCustomRadioGroupButton*>(Buttons(Index));
  }
  bool IsUpdatingButtons() const { return FUpdatingButtons; }

  TWinControl* CreateButton() override;
  void UpdateButtons() override;
  void ArrangeButtons() override;
  void InternalSetEditValue(const Variant& Value) override;
  void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) override;
  std::string GetDisplayText() override;
  void Clear() override { SetItemIndex(-1); }
  void Activate(TcxCustomEditData*& AEditData) override;
  void GetTabOrderList(TList* List) override;
  void FlipChildren(bool AllLevels) override {}
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {}

  void CMDialogChar(TCMDialogChar& Message);
  void CMFocusRadioButton(TMessage& Message);

protected:
  friend class TcxCustomRadioGroupButton;
  void Loaded() override;
  // The index write from a button's focus entry.
  void setItemIndexFromFocus(Integer Value);

private:
  // The edit value for an index.
  Variant valueOfIndex(Integer AIndex);
  void checkButton(Integer AIndex, bool AChecked);
  Integer FItemIndex = -1;
  Integer FLoadedItemIndex = -1;
  bool FUpdatingButtons = false;
  bool FFocusEntry = false;
};

class TcxRadioGroup : public TcxCustomRadioGroup {
  RTL_DECLARE_CLASS(TcxRadioGroup, TcxCustomRadioGroup)
public:
  explicit TcxRadioGroup(TComponent* AOwner) : TcxCustomRadioGroup(AOwner) {}
};
