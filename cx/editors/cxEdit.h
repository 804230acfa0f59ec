#pragma once
// The editor framework: the base of every editor kind's properties object with its
// assigned-values and alignment objects, the process-wide list of live properties objects
// and the registry of editor-properties classes.
//
// The neutral default-values provider, the framework's data binding for other controls,
// the editor style with its controller and the edit buttons live here too. Some classes the
// properties object talks to (the editor control, its view data and view info) are declared
// with only what the properties object needs of them so far; each says what it does now.
//
// GUI thread only; the list and the registry are process-wide and unguarded.

#include <string>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/cxDataUtils.h"
#include "cx/foundation/cxGraphics.h"
#include "platform/gui/ActnList.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

class TcxCustomEdit;
class TcxCustomEditProperties;

RTL_ENUM(TcxEditVertAlignment, taTopJustify, taBottomJustify, taVCenter)

// Why a value failed validation; the base answers one text for every kind.
using TcxEditValidationError = Integer;

// The display-format options of a properties object (GetDisplayFormatOptions).
using TcxEditDisplayFormatOptions = Byte;
// A display format of the bound data may apply to the shown text.
constexpr TcxEditDisplayFormatOptions dfoSupports = 0x01;
// Currency values do not count as formatted.
constexpr TcxEditDisplayFormatOptions dfoNoCurrencyValue = 0x02;

// What hosts may expect of an editor kind (GetCapabilities); one bit each.
using TcxEditSupportedOperations = Word;
constexpr TcxEditSupportedOperations esoAlwaysHotTrack = 0x0001;
constexpr TcxEditSupportedOperations esoAutoHeight = 0x0002;
constexpr TcxEditSupportedOperations esoFiltering = 0x0004;
constexpr TcxEditSupportedOperations esoHorzAlignment = 0x0008;
constexpr TcxEditSupportedOperations esoEditing = 0x0010;
constexpr TcxEditSupportedOperations esoIncSearch = 0x0020;
constexpr TcxEditSupportedOperations esoSorting = 0x0080;
constexpr TcxEditSupportedOperations esoSortingByDisplayText = 0x0100;

// How an editor keeps its value: the value itself, or its text.
using TcxEditValueKind = Integer;
constexpr TcxEditValueKind evsValue = 0;
constexpr TcxEditValueKind evsText = 1;

// The limits an editor is measured under: the maximum number of text rows (1 for one line)
// and the width to fit into (-1 for unlimited).
struct TcxEditSizeProperties {
  Integer MaxLineCount = 1;
  Integer Width = -1;
};

// The Ctrl+Enter shortcut, the default ClickKey.
constexpr TShortCut cxDefaultClickKey = 0x400D;

using TcxEditButtonClickEvent = TEvent<void(TObject* Sender, Integer AButtonIndex)>;
using TcxEditValidateEvent =
    TEvent<void(TObject* Sender, Variant& DisplayValue, std::string& ErrorText, bool& Error)>;

// ---------------------------------------------------------------------------------------
// The default-values provider interface: how an editor's properties ask the bound data for
// defaults. Implementers elsewhere follow this method order.
struct IcxEditDefaultValuesProvider : public IInterface {
  RTL_INTERFACE_ID(0xAE727882, 0x6FDF, 0x4E3A, 0xAB, 0x35, 0xE5, 0x8A, 0xB2, 0x8E, 0xFE, 0x7B)
  virtual void Changed() = 0;
  virtual void DetachFromProperties() = 0;
  virtual TAlignment DefaultAlignment() = 0;
  virtual Integer DefaultBlobKind() = 0;
  virtual bool DefaultCanModify() = 0;
  virtual void DefaultDisplayFormat(std::string& AFormat) = 0;
  virtual void DefaultEditFormat(std::string& AFormat) = 0;
  virtual void DefaultEditMask(std::string& AMask) = 0;
  virtual bool DefaultIsFloatValue() = 0;
  virtual Integer DefaultMaxLength() = 0;
  virtual long double DefaultMaxValue() = 0;
  virtual long double DefaultMinValue() = 0;
  virtual Integer DefaultPrecision() = 0;
  virtual bool DefaultReadOnly() = 0;
  virtual bool DefaultRequired() = 0;
  virtual TObject* GetInstance() = 0;
  virtual void GetOnChanged(TNotifyEvent& AValue) = 0;
  virtual bool IsDataSetProvider() = 0;
  virtual bool IsBlobValue() = 0;
  virtual bool HasDisplayFormat(bool AIsCurrencyValueAccepted) = 0;
  virtual bool HasGetTextHandler() = 0;
  virtual bool IsValidChar(char AChar) = 0;
  virtual void SetOnChanged(const TNotifyEvent& AValue) = 0;

protected:
  ~IcxEditDefaultValuesProvider() = default;
};

// The neutral default-values provider: every answer is the one of an editor bound to nothing.
// Descendants answer from bound data (a data set's field, a grid item). Freeing a provider
// first detaches it from every properties object that refers to it. Its lifetime is its
// owner's (the reference counting methods do not free it).
class TcxCustomEditDefaultValuesProvider : public TcxInterfacedPersistent, public IcxEditDefaultValuesProvider {
  RTL_DECLARE_CLASS(TcxCustomEditDefaultValuesProvider, TcxInterfacedPersistent)
public:
  // The owner is the owning binding or host.
  explicit TcxCustomEditDefaultValuesProvider(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {}
  ~TcxCustomEditDefaultValuesProvider() override;
  TcxCustomEditDefaultValuesProvider(const TcxCustomEditDefaultValuesProvider&) = delete;
  TcxCustomEditDefaultValuesProvider& operator=(const TcxCustomEditDefaultValuesProvider&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxInterfacedPersistent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxInterfacedPersistent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxInterfacedPersistent::_Release(); }

  // Fires OnChanged (sender: the provider).
  void Changed() override;
  // Every properties object that refers to this provider loses the reference.
  void DetachFromProperties() override;
  TAlignment DefaultAlignment() override { return taLeftJustify; }
  // 0 none, 2 graphic, 3 memo, 4 OLE.
  Integer DefaultBlobKind() override { return 3; }
  bool DefaultCanModify() override { return true; }
  void DefaultDisplayFormat(std::string& AFormat) override { AFormat.clear(); }
  void DefaultEditFormat(std::string& AFormat) override { AFormat.clear(); }
  void DefaultEditMask(std::string& AMask) override { AMask.clear(); }
  bool DefaultIsFloatValue() override { return false; }
  Integer DefaultMaxLength() override { return 0; }
  long double DefaultMaxValue() override { return 0.0L; }
  long double DefaultMinValue() override { return 0.0L; }
  Integer DefaultPrecision() override { return 15; }
  bool DefaultReadOnly() override { return false; }
  bool DefaultRequired() override { return false; }
  TObject* GetInstance() override { return this; }
  void GetOnChanged(TNotifyEvent& AValue) override { AValue = FOnChanged; }
  bool IsDataSetProvider() override { return false; }
  bool IsBlobValue() override { return false; }
  bool HasDisplayFormat(bool AIsCurrencyValueAccepted) override { return false; }
  bool HasGetTextHandler() override { return false; }
  bool IsValidChar(char AChar) override { return true; }
  void SetOnChanged(const TNotifyEvent& AValue) override { FOnChanged = AValue; }

  const TNotifyEvent& OnChanged() const { return FOnChanged; }

private:
  TNotifyEvent FOnChanged;
};

// The data binding of the framework's other controls (the list box editor): the control
// foundation's binding as it is.
class TcxDataBinding : public TcxCustomDataBinding {
  RTL_DECLARE_CLASS(TcxDataBinding, TcxCustomDataBinding)
public:
  TcxDataBinding(TPersistent* AOwner, TComponent* AControl) : TcxCustomDataBinding(AOwner, AControl) {}
  explicit TcxDataBinding(const TCreateArgs* Args) : TcxCustomDataBinding(Args) {}
};

// ---------------------------------------------------------------------------------------
// Edit style and edit buttons.

RTL_ENUM(TcxEditBorderStyle, ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat)
RTL_ENUM(TcxEditButtonStyle, btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat)
RTL_ENUM(TcxEditButtonTransparency, ebtNone, ebtInactive, ebtAlways, ebtHideInactive, ebtHideUnselected)
RTL_ENUM(TcxEditPopupBorderStyle, epbsDefault, epbsSingle, epbsFrame3D, epbsFlat)
RTL_ENUM(TcxEditButtonKind, bkEllipsis, bkDown, bkGlyph)

// The editor style's own values, numbered after the container's eight; their assigned
// flags share the container style's AssignedValues set.
constexpr TcxContainerStyleValue svButtonStyle = static_cast<TcxContainerStyleValue>(8);
constexpr TcxContainerStyleValue svButtonTransparency = static_cast<TcxContainerStyleValue>(9);
constexpr TcxContainerStyleValue svPopupBorderStyle = static_cast<TcxContainerStyleValue>(10);
// The number of style values an editor style knows.
constexpr Integer cxEditStyleValueCount = 11;

class TcxEditStyleController;

// One button embedded in an editor (the ellipsis of a button edit, the arrow of a drop-down).
// Every change reaches the collection, hence the owning properties.
class TcxEditButton : public TCollectionItem {
  RTL_DECLARE_CLASS(TcxEditButton, TCollectionItem)
public:
  // Kind bkDown, visible. The first button of an editor that is being designed (and not
  // loaded) becomes the default button.
  explicit TcxEditButton(TCollection* Collection);
  ~TcxEditButton() override;
  // From another button, inside the collection's update bracket, through the setters.
  // Other sources go to the class library.
  void Assign(TPersistent* Source) override;

  bool Default() const { return FDefault; }
  // True first clears Default on every other button; each change is a change of the whole
  // collection.
  void SetDefault(bool Value);
  // Made (empty) on first read; its changes are changes of the button.
  TBitmap* GetGlyph();
  // Null frees the glyph; otherwise the bitmap is copied into the own glyph.
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph != nullptr; }
  bool IsGlyphStored() const { return FGlyph && !FGlyph->Empty(); }
  TcxEditButtonKind Kind() const { return FKind; }
  void SetKind(TcxEditButtonKind Value);
  // False: the button sits at the right end of the editor.
  bool LeftAlignment() const { return FLeftAlignment; }
  void SetLeftAlignment(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // 0: the automatic width. Negative values are ignored.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);

protected:
  void GlyphChanged(TObject* Sender) { Changed(false); }

private:
  friend class TcxEditButtons;
  bool FDefault = false;
  TBitmap* FGlyph = nullptr;
  TcxEditButtonKind FKind = bkDown;
  bool FLeftAlignment = false;
  bool FVisible = true;
  Integer FWidth = 0;
};

// The buttons of an editor, owned by its properties; any change of the collection or of a
// button reaches the change handler the owner sets.
class TcxEditButtons : public TCollection {
  RTL_DECLARE_CLASS(TcxEditButtons, TCollection)
public:
  explicit TcxEditButtons(TPersistent* AOwner);
  TPersistent* GetOwner() override { return FOwner; }
  TcxEditButton* GetItem(Integer Index) const { return static_cast<TcxEditButton*>(Items(Index)); }
  // The number of buttons whose Visible is set.
  Integer GetVisibleCount() const;
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
  void Update(TCollectionItem* Item) override { CollectionChanged(Item); }
  // The collection or one of its buttons changed: the owner's change handler runs.
  virtual void CollectionChanged(TCollectionItem* Item);
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  TPersistent* FOwner;
  TNotifyEvent FOnChange;
};

class TcxCustomEdit;

// An editor's style: the container style plus the drawing style of embedded buttons, when
// they are drawn transparently and the border of drop-down popups (style values 8 to 10).
// Outside in-place use each of these comes from the style, else from its controller chain,
// else from the Default... operation; an in-place style never consults a controller.
class TcxCustomEditStyle : public TcxContainerStyle {
  RTL_DECLARE_CLASS(TcxCustomEditStyle, TcxContainerStyle)
public:
  TcxCustomEditStyle(TPersistent* AOwner, bool AIsInplace);
  explicit TcxCustomEditStyle(const TCreateArgs* Args) : TcxCustomEditStyle(Args->Owner, Args->IsInplace) {}

  // From another editor style: the editor values and PopupCloseButton, then the container
  // style's assign, with one change notice. Other sources go to the container style.
  void Assign(TPersistent* Source) override;
  // In place: the own colour. Otherwise the colour assigned here or up the controller
  // chain; else the parent's colour of an editor (not in place) that follows its parent;
  // else DefaultColor.
  TColor GetVisibleColor() override;
  // The editor values: assigned here or up the controller chain.
  bool IsValueAssigned(TcxContainerStyleValue AValue) override;
  Integer GetStyleValueCount() override { return cxEditStyleValueCount; }
  bool GetStyleValueName(TcxContainerStyleValue AValue, std::string& AName) override;

  virtual TcxEditButtonStyle DefaultButtonStyle() { return btsDefault; }
  virtual TcxEditButtonTransparency DefaultButtonTransparency() { return ebtNone; }
  virtual TcxEditPopupBorderStyle DefaultPopupBorderStyle() { return epbsDefault; }

  // The values in effect; setting one marks it assigned (also when equal to the default).
  TcxEditButtonStyle GetButtonStyle();
  void SetButtonStyle(TcxEditButtonStyle Value);
  TcxEditButtonTransparency GetButtonTransparency();
  void SetButtonTransparency(TcxEditButtonTransparency Value);
  TcxEditPopupBorderStyle GetPopupBorderStyle();
  void SetPopupBorderStyle(TcxEditPopupBorderStyle Value);
  bool PopupCloseButton() const { return FPopupCloseButton; }
  void SetPopupCloseButton(bool Value);

  // The value assigned here or up the controller chain; false when none is.
  bool FindButtonStyle(TcxEditButtonStyle& AValue);
  bool FindButtonTransparency(TcxEditButtonTransparency& AValue);
  bool FindPopupBorderStyle(TcxEditPopupBorderStyle& AValue);

  // The container style's values under the editor's types.
  using TcxContainerStyle::SetBorderStyle;
  using TcxContainerStyle::SetStyleController;
  TcxEditBorderStyle GetBorderStyle() { return static_cast<TcxEditBorderStyle>(BorderStyle()); }
  void SetBorderStyle(TcxEditBorderStyle Value) { SetBorderStyle(static_cast<TcxContainerBorderStyle>(Value)); }
  TcxContainerStyleValues GetAssignedValues() { return AssignedValues(); }
  // The controller when it is an editor style controller.
  TcxEditStyleController* GetStyleController();
  void SetStyleController(TcxEditStyleController* Value);
  // The owner when it is an editor.
  TcxCustomEdit* GetOwnerEdit() const;

  // Stored: assigned and not among the values the owning editor ignores.
  bool IsBorderStyleStored() { return isValueStored(csvBorderStyle); }
  bool IsButtonStyleStored() { return isValueStored(svButtonStyle); }
  bool IsButtonTransparencyStored() { return isValueStored(svButtonTransparency); }
  bool IsPopupBorderStyleStored() { return isValueStored(svPopupBorderStyle); }

private:
  template <class V> bool findEditValue(TcxContainerStyleValue AValue, V TcxCustomEditStyle::*AField, V& AResult);
  template <class V> V valueInEffect(TcxContainerStyleValue AValue, V TcxCustomEditStyle::*AField, V ADefault);

  TcxEditButtonStyle FButtonStyle = btsDefault;
  TcxEditButtonTransparency FButtonTransparency = ebtNone;
  TcxEditPopupBorderStyle FPopupBorderStyle = epbsDefault;
  bool FPopupCloseButton = true;
};

// The editor style that is published; it adds nothing else.
class TcxEditStyle : public TcxCustomEditStyle {
  RTL_DECLARE_CLASS(TcxEditStyle, TcxCustomEditStyle)
public:
  TcxEditStyle(TPersistent* AOwner, bool AIsInplace) : TcxCustomEditStyle(AOwner, AIsInplace) {}
  explicit TcxEditStyle(const TCreateArgs* Args) : TcxCustomEditStyle(Args) {}
};

// A style controller whose own style is an editor style, so that editors can share the
// editor values too.
class TcxEditStyleController : public TcxStyleController {
  RTL_DECLARE_CLASS(TcxEditStyleController, TcxStyleController)
public:
  explicit TcxEditStyleController(TComponent* AOwner) : TcxStyleController(AOwner) {}
  TClass GetStyleClass() override { return TcxEditStyle::StaticClass(); }
  TcxEditStyle* GetStyle() const { return static_cast<TcxEditStyle*>(Style()); }
  // Assigns into the own style.
  void SetStyle(TcxEditStyle* Value) { TcxStyleController::SetStyle(Value); }
};

// The geometry and state of an editor computed for painting. Now: the container's view info.
class TcxCustomEditViewInfo : public TcxContainerViewInfo {
  RTL_DECLARE_CLASS(TcxCustomEditViewInfo, TcxContainerViewInfo)
public:
  TcxCustomEditViewInfo() = default;
};

// What an editor is laid out and measured from. Now: it keeps the properties, the style and
// the in-place flag it was made with and measures nothing (every size is 0 x 0).
class TcxCustomEditViewData : public TPersistent {
  RTL_DECLARE_CLASS(TcxCustomEditViewData, TPersistent)
public:
  struct TCreateArgs {
    TcxCustomEditProperties* Properties;
    TcxCustomEditStyle* Style;
    bool IsInplace;
  };
  using TConstructorArg = const TCreateArgs*;

  TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle, bool AIsInplace)
      : FIsInplace(AIsInplace), FProperties(AProperties), FStyle(AStyle) {}
  explicit TcxCustomEditViewData(const TCreateArgs* Args)
      : TcxCustomEditViewData(Args->Properties, Args->Style, Args->IsInplace) {}

  virtual void GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                           const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize);

  TcxCustomEditProperties* GetProperties() const { return FProperties; }
  TcxCustomEditStyle* GetStyle() const { return FStyle; }
  bool IsInplace() const { return FIsInplace; }

private:
  bool FIsInplace;
  TcxCustomEditProperties* FProperties;
  TcxCustomEditStyle* FStyle;
};

// The base of every editor control. Now: a container that hears its properties' changes
// (PropertiesChanged, nothing yet), answers its display text (empty yet) and ignores the
// editor style's button and popup values (ButtonStyle, ButtonTransparency,
// PopupBorderStyle), which it does not draw.
class TcxCustomEdit : public TcxContainer {
  RTL_DECLARE_CLASS(TcxCustomEdit, TcxContainer)
public:
  explicit TcxCustomEdit(TComponent* AOwner) : TcxContainer(AOwner) {}
  virtual void PropertiesChanged(TObject* Sender) {}
  virtual std::string GetDisplayText() { return std::string(); }
  TcxContainerStyleValues GetUnusedStyleValues() override;
};

// ---------------------------------------------------------------------------------------
// Which properties were assigned explicitly, so that the rest may come from a default-values
// provider. Descendant values classes add flags of their own.
class TcxCustomEditPropertiesValues : public TPersistent {
  RTL_DECLARE_CLASS(TcxCustomEditPropertiesValues, TPersistent)
public:
  TcxCustomEditPropertiesValues() = default;

  // From another values object: its flags. Other sources go to the class library.
  void Assign(TPersistent* Source) override;
  // Clears every flag.
  virtual void RestoreDefaults();

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }

private:
  bool FReadOnly = false;
};

// The horizontal and vertical alignment of an editor's content. Horz counts as assigned
// once it is set, so that an unassigned one can follow the bound data.
class TcxEditAlignment : public TPersistent {
  RTL_DECLARE_CLASS(TcxEditAlignment, TPersistent)
public:
  using TConstructorArg = TcxCustomEditProperties*;

  explicit TcxEditAlignment(TcxCustomEditProperties* AOwner) : FOwner(AOwner) {}

  // From another alignment: Vert, Horz and the assigned flag, then one change notice.
  // Other sources go to the class library.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  TAlignment Horz() const { return FHorz; }
  // Stores the value and marks Horz assigned; notifies when either changed.
  void SetHorz(TAlignment Value);
  bool IsHorzAssigned() const { return FIsHorzAssigned; }
  // Sets or clears the assigned flag; notifies when it changed.
  void SetIsHorzAssigned(bool Value);
  TcxEditVertAlignment Vert() const { return FVert; }
  void SetVert(TcxEditVertAlignment Value);
  bool IsVertStored() const { return FVert != taTopJustify; }

  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

protected:
  void DoChanged();

private:
  // The properties fill the shown Horz from the bound data without marking it assigned.
  friend class TcxCustomEditProperties;

  TcxCustomEditProperties* FOwner;
  TAlignment FHorz = taLeftJustify;
  bool FIsHorzAssigned = false;
  TcxEditVertAlignment FVert = taTopJustify;
  TNotifyEvent FOnChanged;
};

// ---------------------------------------------------------------------------------------
// The settings of one editor kind, shared by an editor, the hidden in-place copies a host
// makes of it and, through a repository item, by many editors at once.
//
// Parts that depend on virtual answers of the class (the assigned-values object, the
// default of UseLeftAlignmentOnEditing) are made in AfterConstruction: build properties
// objects with New<T>(owner) or through their class reference.
class TcxCustomEditProperties : public TcxInterfacedPersistent {
  RTL_DECLARE_CLASS(TcxCustomEditProperties, TcxInterfacedPersistent)
public:
  explicit TcxCustomEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  ~TcxCustomEditProperties() override;
  TcxCustomEditProperties(const TcxCustomEditProperties&) = delete;
  TcxCustomEditProperties& operator=(const TcxCustomEditProperties&) = delete;

  // From another properties object, inside one update bracket (so one change notice at the
  // end, also when a step fails). Other sources go to the class library.
  void Assign(TPersistent* Source) override;

  // --- New virtual operations, in the order descendants rely on.
  virtual void AlignmentChanged(TObject* Sender);
  virtual void SetAlignment(TcxEditAlignment* Value);
  virtual void ButtonsChanged(TObject* Sender);
  virtual bool CanValidate() { return false; }
  // Tells the user of the properties (OnPropertiesChanged) that they changed, unless
  // changes are locked or the owning component is being destroyed.
  virtual void Changed();
  virtual bool CanCompareEditValue() { return false; }
  virtual bool DefaultUseLeftAlignmentOnEditing() { return true; }
  virtual void ComponentFreed(TComponent* Sender) {}
  virtual TClass GetAssignedValuesClass() { return TcxCustomEditPropertiesValues::StaticClass(); }
  virtual TAlignment GetDefaultHorzAlignment();
  virtual TcxEditDisplayFormatOptions GetDisplayFormatOptions() { return 0; }
  virtual void GetValidationErrorText(TcxEditValidationError AErrorKind, std::string& AText);
  virtual bool HasDataDisplayFormat(bool AFocused);
  virtual TClass GetViewDataClass() { return TcxCustomEditViewData::StaticClass(); }
  virtual bool FiresChangeSeparately() { return false; }
  virtual bool HandlesTabKey() { return false; }
  virtual TClass GetEditClass() { return TcxCustomEdit::StaticClass(); }
  virtual TClass GetStyleClass() { return TcxCustomEditStyle::StaticClass(); }
  virtual TClass GetViewInfoClass() { return TcxCustomEditViewInfo::StaticClass(); }
  virtual bool CompareDisplayValues(const Variant& AValue1, const Variant& AValue2) { return false; }
  // A new view data of GetViewDataClass for these properties (the caller's).
  virtual TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace);
  virtual void GetDisplayText(const Variant& AEditValue, std::string& AText) { AText.clear(); }
  virtual TcxEditSupportedOperations GetCapabilities();
  virtual bool IsEditValueValid(Variant& AEditValue) { return true; }
  virtual bool CanResetEditValue() { return false; }
  virtual void ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused);
  // Horz follows the provider again, ReadOnly is unassigned (Vert keeps its value).
  virtual void RestoreDefaults();
  virtual void UpdateTarget(TcxCustomEditProperties* ATarget) {}
  // The editor's validation of its display text; leaves AError as the caller set it when
  // the kind does not validate.
  virtual void ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                    TcxCustomEdit* AEdit);
  virtual TcxEditValueKind GetEditValueKind(bool AFocused) { return evsValue; }

  // --- Update locking.
  void BeginUpdate() { ++FLockCount; }
  // Ends one bracket; at the outermost end, Changed when AInvoke. Nothing without a bracket.
  void EndUpdate(bool AInvoke = true);
  bool IsChangeLocked() const { return FChangeLocked || FLockCount > 0; }
  void SetChangeLocked(bool Value) { FChangeLocked = Value; }
  Integer UpdateCount() const { return FLockCount; }

  // --- Alignment: the shown alignment, refreshed from the stored one (and the provider).
  TcxEditAlignment* GetAlignment();
  bool IsAlignmentStored() const;
  // The alignment that is written to streams.
  TcxEditAlignment* StoredAlignment() const { return FAlignment; }

  // --- ReadOnly: the assigned value, else the provider's default, else False.
  bool GetReadOnly();
  void SetReadOnly(bool Value);
  bool IsReadOnlyStored() const { return FAssignedValues && FAssignedValues->ReadOnly(); }
  bool CanModify();
  TcxCustomEditPropertiesValues* AssignedValues() const { return FAssignedValues; }

  // --- Settings.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value);
  bool BeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  TcxEditButtons* Buttons() const { return FButtons; }
  void SetButtons(TcxEditButtons* Value) { FButtons->Assign(Value); }
  TShortCut ClearKey() const { return FClearKey; }
  void SetClearKey(TShortCut Value) { FClearKey = Value; }
  TShortCut ClickKey() const { return FClickKey; }
  void SetClickKey(TShortCut Value) { FClickKey = Value; }
  bool ImmediatePost() const { return FImmediatePost; }
  void SetImmediatePost(bool Value) { FImmediatePost = Value; }
  bool UseLeftAlignmentOnEditing() const { return FUseLeftAlignmentOnEditing; }
  void SetUseLeftAlignmentOnEditing(bool Value);
  bool IsUseLeftAlignmentOnEditingStored() { return FUseLeftAlignmentOnEditing != DefaultUseLeftAlignmentOnEditing(); }
  // An in-place editor reacts to the mouse wheel without Ctrl only while this is set.
  bool UseMouseWheel() const { return FUseMouseWheel; }
  void SetUseMouseWheel(bool Value) { FUseMouseWheel = Value; }
  bool ValidateOnEnter() const { return FValidateOnEnter; }
  void SetValidateOnEnter(bool Value) { FValidateOnEnter = Value; }
  TcxFreeNotificator* FreeNotificator() const { return FFreeNotificator; }

  // --- Data binding.
  IcxEditDefaultValuesProvider* DefaultValuesProvider() const { return FDefaultValuesProvider; }
  // Keeps a counted reference; properties of an editor also follow the provider's changes.
  void SetDefaultValuesProvider(IcxEditDefaultValuesProvider* Value);
  bool UsesDataDisplayText();

  // Measures an editor of these properties for the value (through a temporary view data).
  void GetEditSize(TcxCanvas* ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace, const Variant& AEditValue,
                   const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize);

  // Runs OnValidate for the editor; answers whether the handler changed the display value.
  bool DoValidate(Variant& ADisplayValue, std::string& AErrorText, bool& AError, TcxCustomEdit* AEdit);

  // --- Events.
  const TcxEditButtonClickEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TcxEditButtonClickEvent& Value) { FOnButtonClick = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnEditValueChanged() const { return FOnEditValueChanged; }
  void SetOnEditValueChanged(const TNotifyEvent& Value) { FOnEditValueChanged = Value; }
  const TcxEditValidateEvent& OnValidate() const { return FOnValidate; }
  void SetOnValidate(const TcxEditValidateEvent& Value) { FOnValidate = Value; }
  // The change callback of the user of the properties (an editor or a repository item).
  const TNotifyEvent& OnPropertiesChanged() const { return FOnPropertiesChanged; }
  void SetOnPropertiesChanged(const TNotifyEvent& Value) { FOnPropertiesChanged = Value; }

protected:
  // The provider's change event while the properties belong to an editor.
  void ProviderChanged(TObject* Sender) { Changed(); }

private:
  bool FAutoSelect = true;
  bool FBeepOnError = false;
  TcxEditButtons* FButtons = nullptr;
  TShortCut FClearKey = 0;
  TShortCut FClickKey = cxDefaultClickKey;
  TcxFreeNotificator* FFreeNotificator = nullptr;
  bool FImmediatePost = false;
  TcxEditAlignment* FAlignment = nullptr;  // stored
  bool FReadOnly = false;
  Integer FLockCount = 0;
  bool FUseLeftAlignmentOnEditing = true;
  bool FUseMouseWheel = true;
  bool FValidateOnEnter = false;
  TcxEditButtonClickEvent FOnButtonClick;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnEditValueChanged;
  TcxEditValidateEvent FOnValidate;
  TNotifyEvent FOnPropertiesChanged;
  TcxEditAlignment* FIAlignment = nullptr;  // shown
  TcxCustomEditPropertiesValues* FAssignedValues = nullptr;
  bool FChangeLocked = false;
  IcxEditDefaultValuesProvider* FDefaultValuesProvider = nullptr;
};

// ---------------------------------------------------------------------------------------
// Routines and process-wide state.

// The nearest TComponent in the owner chain of APersistent (itself included); null when none.
TComponent* cxGetOwnerComponent(TPersistent* APersistent);

// Every live properties object, in order of creation; exists from the unit's start to its
// end (null outside).
extern TList* cxEditPropertiesList;

// The registry of editor-properties classes ("Name|Description" texts), made on first use
// and freed at the unit's end.
TcxRegisteredClasses* cxGetEditorRegistry();

namespace cxEditUnit {
void Initialize();
void Finalize();
}  // namespace cxEditUnit
