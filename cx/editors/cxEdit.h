#pragma once
// The editor framework: the base of every editor kind's properties object with its
// assigned-values and alignment objects, the process-wide list of live properties objects
// and the registry of editor-properties classes.
//
// Some classes the properties object talks to (the editor control, its style, view data and
// view info, the edit buttons, the default-values provider interface) are declared here with
// only what the properties object needs of them so far; each says what it does now.
//
// GUI thread only; the list and the registry are process-wide and unguarded.

#include <string>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxContainer.h"
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

// ---------------------------------------------------------------------------------------
// Collaborators of the properties object, declared with what it uses of them so far.

// One button embedded in an editor. Now: only its visibility, copied by Assign.
class TcxEditButton : public TCollectionItem {
  RTL_DECLARE_CLASS(TcxEditButton, TCollectionItem)
public:
  explicit TcxEditButton(TCollection* Collection) : TCollectionItem(Collection) {}
  void Assign(TPersistent* Source) override;
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

private:
  bool FVisible = true;
};

// The buttons of an editor, owned by its properties. Now: a collection of TcxEditButton
// whose changes reach the change handler the owner sets.
class TcxEditButtons : public TCollection {
  RTL_DECLARE_CLASS(TcxEditButtons, TCollection)
public:
  explicit TcxEditButtons(TPersistent* AOwner);
  TPersistent* GetOwner() override { return FOwner; }
  TcxEditButton* GetItem(Integer Index) const { return static_cast<TcxEditButton*>(Items(Index)); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
  // The collection changed: the owner's change handler runs.
  void Update(TCollectionItem* Item) override;

private:
  TPersistent* FOwner;
  TNotifyEvent FOnChange;
};

// An editor's style. Now: the container style under the editor's class name.
class TcxCustomEditStyle : public TcxContainerStyle {
  RTL_DECLARE_CLASS(TcxCustomEditStyle, TcxContainerStyle)
public:
  TcxCustomEditStyle(TPersistent* AOwner, bool AIsInplace) : TcxContainerStyle(AOwner, AIsInplace) {}
  explicit TcxCustomEditStyle(const TCreateArgs* Args) : TcxContainerStyle(Args) {}
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
// (PropertiesChanged, nothing yet) and answers its display text (empty yet).
class TcxCustomEdit : public TcxContainer {
  RTL_DECLARE_CLASS(TcxCustomEdit, TcxContainer)
public:
  explicit TcxCustomEdit(TComponent* AOwner) : TcxContainer(AOwner) {}
  virtual void PropertiesChanged(TObject* Sender) {}
  virtual std::string GetDisplayText() { return std::string(); }
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
