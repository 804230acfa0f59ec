#pragma once
// The editor framework: the base of every editor kind's properties object with its
// assigned-values and alignment objects, the process-wide list of live properties objects
// and the registry of editor-properties classes.
//
// The neutral default-values provider, the editor's data binding and the framework's binding
// for other controls, the editor style with its controller and the edit buttons, the view
// data and view info every editor is painted from, the editor control itself, the editor
// repository and the in-place editor cache of hosts live here too.
//
// GUI thread only; the list and the registry are process-wide and unguarded.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/cxDataUtils.h"
#include "cx/foundation/cxGraphics.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ExtCtrls.h"
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

// ---------------------------------------------------------------------------------------
// The editor's link to its data. The base binding is bound to nothing and hands every
// question back to the editor; data-aware editors derive their own.
class TcxEditDataBinding : public TPersistent {
  RTL_DECLARE_CLASS(TcxEditDataBinding, TPersistent)
public:
  using TConstructorArg = TcxCustomEdit*;

  // Stores the editor; the provider object is made in AfterConstruction, where the class
  // a descendant names is known.
  explicit TcxEditDataBinding(TcxCustomEdit* AEdit) : FEdit(AEdit) {}
  void AfterConstruction() override;
  // Frees the provider object (which detaches itself from every properties object).
  ~TcxEditDataBinding() override;
  TcxEditDataBinding(const TcxEditDataBinding&) = delete;
  TcxEditDataBinding& operator=(const TcxEditDataBinding&) = delete;

  TPersistent* GetOwner() override;

  virtual bool IsDesigning();
  virtual bool CanModify() { return true; }
  // Tells the provider's listeners (the editor's properties) that the defaults changed.
  virtual void DefaultValuesChanged();
  virtual bool ExecuteDataAction(TBasicAction* AAction) { return false; }
  // The editor's display text as a string variant.
  virtual void GetDisplayValue(Variant& AValue);
  // The editor's modified-since-enter flag.
  virtual bool IsModified();
  virtual void GetEditValue(Variant& AValue);
  virtual void Reset();
  virtual void SetDisplayValue(const Variant& AValue) { SetInternalDisplayValue(AValue); }
  virtual bool RequestEditMode() { return true; }
  virtual void StoreValue(const Variant& AValue) {}
  virtual bool UpdateDataAction(TBasicAction* AAction) { return false; }
  virtual void RefreshDisplay();
  virtual TClass GetDefaultValuesProviderClass();
  // A data-bound binding connects to its field here.
  virtual void EditorReady() {}

  void SetInternalDisplayValue(const Variant& AValue);
  // The provider object as the interface; null without one.
  IcxEditDefaultValuesProvider* GetDefaultValuesProvider() const;
  TcxCustomEditDefaultValuesProvider* DefaultValuesProviderObject() const { return FDefaultValuesProvider.get(); }
  TcxCustomEdit* Edit() const { return FEdit; }

private:
  TcxCustomEdit* FEdit;
  TObjectPtr<TcxCustomEditDefaultValuesProvider> FDefaultValuesProvider;
};

// ---------------------------------------------------------------------------------------
// View info: what one paint of an editor needs, computed by a view data.

// The state of one embedded button as it is painted.
constexpr Integer ebsDisabled = 0;
constexpr Integer ebsNormal = 1;
constexpr Integer ebsPressed = 2;
constexpr Integer ebsSelected = 3;  // hot

// One visible button of an editor.
class TcxEditButtonViewInfo : public TPersistent {
  RTL_DECLARE_CLASS(TcxEditButtonViewInfo, TPersistent)
public:
  TcxEditButtonViewInfo() = default;

  // Copies the theme state, background colour, bounds, drawing style and state.
  virtual void AssignFrom(TcxEditButtonViewInfo* Source);
  // An empty region when nothing painted differs from AOld, else the region of Bounds
  // (the caller's).
  virtual TcxRegion* GetChangedRegion(TcxEditButtonViewInfo* AOld);
  // Invalidates Bounds (moved by AOffset) in AWindow when something painted differs from
  // AOld; whether it did.
  virtual bool Repaint(TWinControl* AWindow, TcxEditButtonViewInfo* AOld, const TPoint& AOffset);

  TRect Bounds{0, 0, 0, 0};
  TRect VisibleBounds{0, 0, 0, 0};
  TColor BackgroundColor = clBtnFace;
  Integer ButtonIndex = -1;
  TcxEditButtonKind Kind = bkDown;
  bool Default = false;
  TBitmap* Glyph = nullptr;
  bool LeftAlignment = false;
  Integer Width = 0;
  Integer State = ebsNormal;
  TcxEditButtonStyle Style = bts3D;
  bool IsInplace = false;
  bool NativeStyle = false;
  bool Transparent = false;
  bool SingleDropDown = false;
  bool LeftEdge = false;
  bool RightEdge = false;
  bool EraseBackground = false;
  Integer NativePart = 0;
  Integer NativeState = 0;
  bool NativePartTransparent = false;

private:
  bool paintedDiffers(TcxEditButtonViewInfo* AOld) const;
};

// The paint options a host sets on a view data (copied into the view info).
constexpr Integer epoAllowZeroHeight = 0x01;
constexpr Integer epoAutoHeight = 0x02;
constexpr Integer epoShowEndEllipsis = 0x04;

class TcxCustomEditViewData;

// The geometry, colours and states of one editor paint: borders, content, buttons.
class TcxCustomEditViewInfo : public TcxContainerViewInfo {
  RTL_DECLARE_CLASS(TcxCustomEditViewInfo, TcxContainerViewInfo)
public:
  TcxCustomEditViewInfo() = default;
  ~TcxCustomEditViewInfo() override;
  TcxCustomEditViewInfo(const TcxCustomEditViewInfo&) = delete;
  TcxCustomEditViewInfo& operator=(const TcxCustomEditViewInfo&) = delete;

  // The shared editor painting with the background.
  void Paint(TcxCanvas* ACanvas) override;
  // Border colour and style, native state, buttons and their indexes, then the container
  // part.
  void AssignFrom(TcxContainerViewInfo* Source) override;
  TcxRegion* GetChangedRegion(TcxContainerViewInfo* AViewInfo) override;
  void MoveBy(Integer DX, Integer DY) override;

  virtual TClass GetButtonViewInfoClass() { return TcxEditButtonViewInfo::StaticClass(); }
  virtual void DrawButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex);
  virtual void DrawButtonBorder(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, TRect& ARect,
                                TcxEditButtonStyle AStyle);
  virtual void DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, const TRect& AContentRect,
                                 TColor APenColor, TColor ABrushColor);
  virtual bool HasHotButton();
  virtual bool IsPointOnButton(const TPoint& P);
  virtual bool NeedShowHint(TcxCanvas* ACanvas, const TPoint& P, std::string& AText, bool& AIsMultiLine,
                            TRect& ATextRect);
  virtual bool NeedShowHintInBounds(TcxCanvas* ACanvas, const TPoint& P, const TRect& AVisibleBounds,
                                    std::string& AText, bool& AIsMultiLine, TRect& ATextRect);
  virtual void PrepareCanvasFont(TcxCanvas* ACanvas) {}
  // Invalidates in AControl what differs from AOld (everything outside AExcludedRect when
  // there is no AOld); whether anything painted changed.
  virtual bool Repaint(TWinControl* AControl, TcxContainerViewInfo* AOld, const TRect& AExcludedRect);

  // Grows or shrinks the button view infos to ACount.
  void SetButtonCount(Integer ACount);
  Integer ButtonCount() const { return static_cast<Integer>(ButtonsInfo.size()); }
  TcxEditButtonViewInfo* Button(Integer AIndex) const { return ButtonsInfo[static_cast<size_t>(AIndex)].get(); }
  // Each button against its counterpart in AOld; whether any repainted.
  bool RepaintButtons(TWinControl* AControl, TcxCustomEditViewInfo* AOld);
  // The client area less the strips the left- and right-aligned buttons take: where an
  // inner control may lie without covering a button.
  TRect ClientAreaWithoutButtons() const;

  TcxContainerBorderStyle BorderStyle = cbsNone;
  std::vector<TObjectPtr<TcxEditButtonViewInfo>> ButtonsInfo;
  Integer NativeBorderState = 0;
  TcxCustomEditProperties* EditProperties = nullptr;
  bool Enabled = true;
  bool Focused = false;
  TFont* Font = nullptr;
  bool EraseBackground = false;
  bool InnerEditVisible = false;
  bool IsContainerInnerControl = false;
  bool IsDesigning = false;
  bool IsInplace = false;
  bool IsSelected = false;
  TRect ContentRect{0, 0, 0, 0};
  TRect InnerEditRect{0, 0, 0, 0};
  bool IsButtonReallyPressed = false;
  TPoint Origin{0, 0};
  TcxEditPopupBorderStyle PopupBorderStyle = epbsSingle;
  Integer PressedButton = -1;
  Integer SelectedButton = -1;  // the hot button
  Integer PaintOptions = 0;
  HWND WindowHandle = nullptr;
  TColor TextColor = clWindowText;
};

// A view data computes a view info (and measures sizes) for one editor kind; it lives for
// one calculation.
class TcxCustomEditViewData : public TPersistent {
  RTL_DECLARE_CLASS(TcxCustomEditViewData, TPersistent)
public:
  struct TCreateArgs {
    TcxCustomEditProperties* Properties;
    TcxCustomEditStyle* Style;
    bool IsInplace;
  };
  using TConstructorArg = const TCreateArgs*;

  TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle, bool AIsInplace);
  explicit TcxCustomEditViewData(const TCreateArgs* Args)
      : TcxCustomEditViewData(Args->Properties, Args->Style, Args->IsInplace) {}
  // The cached values come from virtual operations: made here, after construction.
  void AfterConstruction() override;

  virtual bool CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) { return true; }
  virtual TcxContainerBorderStyle GetContainerBorderStyle(Integer AHotState);
  virtual void InitDefaults();
  virtual void InitCacheData();
  virtual void InternalGetFixedPartSize(TcxCanvas* ACanvas, const TcxEditSizeProperties& AEditSizeProperties,
                                        TSize& AMinContentSize, TSize& AFixedSize, TcxCustomEditViewInfo* AViewInfo);
  virtual TSize InternalGetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                           const TcxEditSizeProperties& AEditSizeProperties) {
    return TSize{0, 0};
  }
  virtual bool IsButtonForcedPressed(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) { return false; }
  virtual void CalculateButtonNativeInfo(TcxEditButtonViewInfo* AButtonViewInfo);
  // Fills AViewInfo for ABounds with the mouse at P (AButton: cxmbNone .. cxmbMiddle).
  virtual void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                         TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent);
  virtual void CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                     Integer AButtonVisibleIndex, TRect& ButtonsRect);
  virtual void CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                        TcxMouseButton AButton, TShiftState AShift,
                                        TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent);
  virtual void CalculateButtonViewInfo(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                       Integer AButtonVisibleIndex, TRect& ButtonsRect);
  virtual void PrepareDrawValue(TcxCanvas* ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) {}
  // Margins as (left, top, right, bottom).
  virtual TRect GetBorderExtent();
  virtual TRect GetClientExtent(TcxCanvas* ACanvas);
  virtual TRect GetEditExtent(TcxCustomEditViewInfo* AViewInfo);
  // AViewInfo may be null: a temporary one is calculated for unlimited bounds.
  virtual void GetFixedPartSize(TcxCanvas* ACanvas, const TcxEditSizeProperties& AEditSizeProperties,
                                TSize& AMinContentSize, TSize& AFixedSize, TcxCustomEditViewInfo* AViewInfo);
  virtual TSize GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) {
    return InternalGetEditContentSize(ACanvas, AEditValue, AEditSizeProperties);
  }
  virtual bool HasShadow();

  // The size an editor needs for the value (a given width is kept even when the fixed
  // part alone is wider).
  virtual void GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                           const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize);
  bool IsEditFocused();
  Integer GetCapturedButtonIndex();

  TcxCustomEditProperties* GetProperties() const { return FProperties; }
  TcxCustomEditStyle* GetStyle() const { return FStyle; }
  bool IsInplace() const { return FIsInplace; }

  // Set by the editor or a host before Calculate.
  TcxCustomEdit* Edit = nullptr;
  HWND WindowHandle = nullptr;
  TRect InplaceEditParams{0, 0, 0, 0};  // the host's border margins in place
  TcxContainerStateFlags ContainerState = csNormal;
  bool Enabled = true;
  bool Focused = false;
  TAlignment HorzAlignment = taLeftJustify;
  TcxEditVertAlignment VertAlignment = taTopJustify;
  TControl* HScrollBar = nullptr;
  TControl* VScrollBar = nullptr;
  TWinControl* InnerEdit = nullptr;
  bool IsDesigning = false;
  bool IsSelected = false;
  bool IsValueEditorWithValueFormatting = false;
  Integer MaxLineCount = 0;
  bool NativeStyle = false;
  Integer PaintOptions = 0;
  bool HotOrActive = false;
  Integer SelStart = 0;
  Integer SelLength = 0;
  TColor SelTextColor = clDefault;
  TColor SelBackgroundColor = clDefault;
  TRect Bounds{0, 0, 0, 0};
  Integer LeftButtonsFirst = -1, LeftButtonsLast = -1, RightButtonsLast = -1, RightButtonsFirst = -1;
  TcxEditBorderStyle EditBorderStyle = ebsNone;
  Integer VisibleButtonCount = 0;

private:
  void calculateButtonStates(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                             TcxCustomEditViewInfo* AViewInfo, const std::vector<Integer>& APreviousStates,
                             Integer AOldPressed);
  void calculateGroupEdges(TcxCustomEditViewInfo* AViewInfo);

  bool FIsInplace;
  TcxCustomEditProperties* FProperties;
  TcxCustomEditStyle* FStyle;
};

// ---------------------------------------------------------------------------------------
// The editor control.

class TcxEditRepositoryItem;
class TcxCustomEditData;
class TcxEditRepositoryItemListenerEditHelper;

// The listener of a repository item: an editor or a grid item that uses its properties.
struct IcxEditRepositoryItemListener : public IInterface {
  RTL_INTERFACE_ID(0x4E27D642, 0x022B, 0x4CB2, 0x9F, 0x15, 0x7C, 0x0F, 0x84, 0x5D, 0x6B, 0x21)
  virtual void ItemRemoved(TcxEditRepositoryItem* Sender) = 0;
  virtual void ItemPropertiesChanged(TcxEditRepositoryItem* Sender) = 0;

protected:
  ~IcxEditRepositoryItemListener() = default;
};

using TcxEditEditingEvent = TEvent<void(TObject* Sender, bool& CanEdit)>;
using TcxEditKeyEvent = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;

// What an editor asks of its inner edit control: its text as the editor's display value,
// its change handler, read-only state and bounds lock.
struct IcxCustomInnerEdit : public IcxContainerInnerControl {
  RTL_INTERFACE_ID(0x6C2E91A4, 0x5B07, 0x4F3D, 0x8E, 0x19, 0xA2, 0x4D, 0x7F, 0x30, 0xC6, 0x5B)
  virtual Variant GetEditValue() = 0;
  virtual TNotifyEvent GetOnChange() = 0;
  virtual bool GetReadOnly() = 0;
  // True counts the bounds lock up, false down (never below 0); while it is up the
  // control ignores SetBounds.
  virtual void LockBounds(bool ALock) = 0;
  // Focuses the control without selecting its whole text.
  virtual void SafelySetFocus() = 0;
  virtual void SetEditValue(const Variant& Value) = 0;
  virtual void SetParent(TWinControl* Value) = 0;
  virtual void SetOnChange(const TNotifyEvent& Value) = 0;
  virtual void SetReadOnly(bool Value) = 0;

protected:
  ~IcxCustomInnerEdit() = default;
};

// Raised by the editor's own operations: a value the properties cannot take, a failed
// validation.
class EcxEditError : public Exception {
public:
  using Exception::Exception;
};

// The base of every editor control: a container with a properties object (its own or a
// repository item's), an edit value, the modified and validated states, validation,
// posting through a data binding, and the in-place mode in which a host uses a hidden
// instance as a cell editor.
class TcxCustomEdit : public TcxContainer {
  RTL_DECLARE_CLASS(TcxCustomEdit, TcxContainer)
public:
  explicit TcxCustomEdit(TComponent* AOwner);
  // An editor of AClass (a TcxCustomEdit class) made through its class reference with the
  // in-place flag.
  static TcxCustomEdit* CreateInplace(TClass AClass, TComponent* AOwner, bool AIsInplace);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomEdit() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;

  // --- New virtual operations.
  virtual void AdjustInnerEditPosition(Integer AHeight);
  virtual void AfterPosting() { FIsPosting = false; }
  virtual void BeforePosting() { FIsPosting = true; }
  virtual bool CanAutoSizeEditor() { return true; }
  virtual bool CanAutoWidth() { return false; }
  virtual bool IsModifyingKey(Word Key, TShiftState Shift) { return false; }
  virtual bool IsModifyingChar(char AChar) { return false; }
  virtual bool CanModify();
  virtual void InnerEditChanged(TObject* Sender);
  virtual TcxCustomEditViewData* CreateViewData();
  virtual void ClickDefaultButton();
  virtual void DoButtonClick(Integer AButtonVisibleIndex);
  virtual void DoButtonDown(Integer AButtonVisibleIndex) {}
  virtual void DoButtonUp(Integer AButtonVisibleIndex) {}
  virtual void DoEditKeyDown(Word& Key, TShiftState Shift);
  virtual void DoEditKeyPress(char& Key) { ValidateKeyPress(Key); }
  virtual void DoEditKeyUp(Word& Key, TShiftState Shift) {}
  virtual void GetEditSizeProperties(TcxEditSizeProperties& AProperties);
  virtual TClass GetDataBindingClass() { return TcxEditDataBinding::StaticClass(); }
  virtual std::string GetDisplayText() { return std::string(); }
  virtual TClass GetEditDataClass() { return nullptr; }
  virtual Variant GetEditValue() { return FEditValue; }
  virtual TClass GetInnerEditClass() { return nullptr; }
  virtual void HandleValidationError(const std::string& AErrorText);
  virtual void InitializeEditData(TcxCustomEditData* AData) {}
  // The inner edit gets the editor as parent, InnerEditChanged as its change handler and no
  // hint of its own.
  virtual void InitializeInnerEdit();
  virtual void InitializeViewData(TcxCustomEditViewData* AViewData);
  virtual bool IsEditingSupported() { return true; }
  virtual void InternalSetDisplayValue(const Variant& Value) {}
  virtual void InternalSetEditValue(const Variant& Value);
  virtual void SetDisplayValue(const Variant& Value);
  virtual bool IsFocusedOrActive();
  virtual bool CanClickWhileLoading() { return false; }
  virtual bool IsInnerEditVisible() { return false; }
  virtual bool IsClickKey(Word Key, TShiftState Shift);
  virtual bool IsEditValueStored() { return !FEditValue.IsNull(); }
  virtual bool IsRepositoryItemAcceptable(TcxEditRepositoryItem* AItem);
  virtual bool IsValidChar(char AChar);
  virtual void ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused);
  virtual void ProcessViewInfoChanges(TcxCustomEditViewInfo* AOld);
  virtual void PropertiesChanged(TObject* Sender);
  virtual void RepositoryItemAssigned() {}
  virtual void RepositoryItemAssigning() {}
  virtual void Reset();
  virtual bool CanSendActivationChar(char AChar) { return true; }
  virtual bool TrySetDisplayText(const std::string& AText) { return false; }
  virtual void SetEditValue(const Variant& Value);
  virtual void SetInternalEditValue(const Variant& Value);
  virtual void SetInternalDisplayValue(const Variant& Value) {}
  virtual void SyncDisplayFromEditValue() {}
  virtual void SyncEditValueFromDisplay() {}
  virtual bool NeedsDataRefreshOnFocus() { return true; }
  virtual void RefreshDrawnText() {}
  virtual bool CanKeyDownModify(Word Key, TShiftState Shift);
  virtual void ValidateKeyPress(char& Key);
  virtual bool HandlesNavigationKeys() { return false; }
  virtual void SubclassInnerEdit();
  virtual void RestoreInnerEditWindowProc();
  virtual void Activate(TcxCustomEditData*& AEditData);
  virtual void ActivateByKey(char AKey, TcxCustomEditData*& AEditData);
  virtual void ActivateByMouse(TShiftState AShift, Integer X, Integer Y, TcxCustomEditData*& AEditData);
  virtual bool Deactivate();
  virtual void Clear() { SetEditValue(Null()); }
  virtual void CopyToClipboard() {}
  virtual void CutToClipboard() {}
  virtual TClass GetPropertiesClass();
  virtual bool HasPopupWindow() { return false; }
  virtual bool IsFocusedForDisplay() { return Focused(); }
  virtual void PasteFromClipboard() {}
  virtual void ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) {}
  virtual void SelectAllText() {}

  // --- The container's operations as an editor answers them.
  TClass GetStyleClass() override;
  TClass GetViewInfoClass() override;
  TcxContainerStyleValues GetUnusedStyleValues() override;
  bool HandlesTabKey() override { return true; }
  bool IsInplace() override { return FIsInplace; }
  bool RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent) override;
  void CalculateViewInfo(const TPoint& P, bool AHotTestAllowed) override;
  void AdjustInnerControlBounds() override;
  TRect GetHotTrackArea() override;
  void FocusInnerControl() override;
  void FocusChanged() override;
  void MouseLeave(TControl* AControl) override;
  void Click() override;

  // --- Properties in effect and the repository link.
  TcxCustomEditProperties* GetProperties();
  TcxCustomEditProperties* GetActiveProperties();
  TcxCustomEditProperties* OwnProperties() const { return FProperties; }
  // Assigns into the own properties; nothing while a repository item is linked.
  void SetProperties(TcxCustomEditProperties* Value);
  TcxEditRepositoryItem* RepositoryItem() const { return FRepositoryItem; }
  void SetRepositoryItem(TcxEditRepositoryItem* Value);
  TcxCustomEditStyle* GetStyle() const { return static_cast<TcxCustomEditStyle*>(Style()); }
  void SetStyle(TcxCustomEditStyle* Value) { TcxContainer::SetStyle(Value); }
  TcxCustomEditViewInfo* GetViewInfo() const { return static_cast<TcxCustomEditViewInfo*>(ViewInfo()); }
  TcxEditDataBinding* DataBinding() const { return FDataBinding.get(); }

  // --- Value and states.
  Variant EditValue() { return GetEditValue(); }
  bool Modified() const { return FModified; }
  void SetModified(bool Value);
  bool ModifiedAfterEnter() const { return FModifiedAfterEnter; }
  void SetModifiedAfterEnter(bool Value);
  // The flag alone, without the side effects of SetModifiedAfterEnter.
  void SetModifiedAfterEnterFlag(bool Value) { FModifiedAfterEnter = Value; }
  bool IsPosting() const { return FIsPosting; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) override;
  bool IsValidated() const { return FValidated; }
  void PushModifiedState();
  void PopModifiedState();
  void LockChangeEvents(bool ALock, bool AInvokeChanged = true);
  bool AreChangeEventsLocked() const { return FChangeEventsLockCount > 0; }
  void LockClick(bool ALock);
  bool IsClickLocked() const { return FClickLockCount > 0; }
  void LockEditValueChanging(bool ALock);
  void DoChange();
  void DoEditValueChanged();
  void MarkModifiedAndClick();
  bool RequestEditing();
  bool ValidateInput(bool ARaiseExceptionOnError = true);
  bool CanPostEditValue();
  void PostEditValue(bool AValidateFirst = true);
  void DoPostValueEvent();
  bool HasInnerEdit() const { return FInnerEdit != nullptr; }
  TWinControl* InnerEdit() const { return FInnerEdit; }
  // The inner edit's interface (null without inner edit or when it answers none).
  IcxCustomInnerEdit* InnerEditIntf() const { return FInnerEditIntf; }
  bool IsDestroyingOrInnerEditMissing();
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  bool IsUserChange() const { return FIsUserChange; }
  Integer CapturedButtonIndex() const { return FCapturedButtonIndex; }
  TTimer* DoubleClickTimer() const { return FDblClickTimer.get(); }
  void InitializeEditDataIfCleared(TcxCustomEditData* AData);
  TcxCustomEditData* EditData() const { return FEditData; }
  bool CanUseMouseWheel(TShiftState AShift);
  Integer GetButtonIndexAt(const TPoint& P);
  void CalculateViewInfoAtCursor();
  void CalculateEditViewInfo(const TPoint& P, TcxMouseButton AButton, TShiftState AShift, bool AIsMouseEvent);

  // --- Events.
  const TcxEditEditingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(const TcxEditEditingEvent& Value) { FOnEditing = Value; }
  const TcxEditKeyEvent& OnAfterKeyDown() const { return FOnAfterKeyDown; }
  void SetOnAfterKeyDown(const TcxEditKeyEvent& Value) { FOnAfterKeyDown = Value; }
  const TNotifyEvent& OnPostEditValue() const { return FOnPostEditValue; }
  void SetOnPostEditValue(const TNotifyEvent& Value) { FOnPostEditValue = Value; }
  // Gives a designer a place for the events of the properties; nothing reads it.
  const TNotifyEvent& PropertiesEvents() const { return FPropertiesEvents; }
  void SetPropertiesEvents(const TNotifyEvent& Value) { FPropertiesEvents = Value; }

  // Message handlers.
  void WMCopy(TMessage& Message);
  void WMCut(TMessage& Message);
  void WMPaste(TMessage& Message);
  void CMShowingChanged(TMessage& Message);

protected:
  friend class TcxEditRepositoryItemListenerEditHelper;
  friend class TcxEditDataBinding;
  // The inner controls hand their keys, mouse and focus changes to the editor's handlers.
  friend class TcxCustomInnerTextEdit;
  friend class TcxCustomInnerMemo;
  template <class> friend class TcxInnerEditForwarding;

  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DblClick() override;
  bool CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The exit sequence: validate, post, refresh, OnExit.
  void ProcessExit(bool AFireExitEvent);
  void DoAfterKeyDown(Word& Key, TShiftState Shift);
  void HandleClearKey(Word& Key, TShiftState Shift);
  void HandleClickKey(Word& Key, TShiftState Shift);
  void StopDoubleClickTimer(TObject* Sender);
  void SetUserChange(bool Value) { FIsUserChange = Value; }
  void SetValidated(bool Value) { FValidated = Value; }
  // The inner edit and its window procedure kept while it is subclassed.
  void SetInnerEdit(TWinControl* Value);
  void CallInnerEditWindowProc(TMessage& Message);
  bool IsInnerEditSubclassed() const { return FSavedInnerEditWndProc != nullptr; }
  const Variant& SavedValue() const { return FPrevEditValue; }

  Variant FEditValue;

private:
  static LRESULT CALLBACK innerEditSubclassProc(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam);
  void setShapeUpdating(bool Value) { FUpdatingShape = Value; }

  bool FAutoSize = true;
  Integer FCapturedButtonIndex = -1;
  bool FChangeEventPending = false;
  bool FEditValueChangedPending = false;
  Integer FChangeEventsLockCount = 0;
  Integer FClickLockCount = 0;
  TObjectPtr<TTimer> FDblClickTimer;
  TcxCustomEditData* FEditData = nullptr;
  TObjectPtr<TcxEditRepositoryItemListenerEditHelper> FRepositoryListener;
  Integer FEditValueChangingLockCount = 0;
  bool FFocusedAndActive = false;
  TWinControl* FInnerEdit = nullptr;
  IcxCustomInnerEdit* FInnerEditIntf = nullptr;  // the inner edit's, not counted
  bool FValidated = false;
  bool FEscapeResetPending = false;
  bool FIsInplace = false;
  bool FIsPosting = false;
  bool FIsUserChange = false;
  bool FModified = false;
  bool FModifiedAfterEnter = false;
  Variant FPrevEditValue;
  std::vector<std::pair<bool, bool>> FModifiedStateStack;
  TcxEditRepositoryItem* FRepositoryItem = nullptr;
  bool FIsErrorFocusing = false;
  bool FIsExiting = false;
  TcxEditKeyEvent FOnAfterKeyDown;
  TcxEditEditingEvent FOnEditing;
  TNotifyEvent FOnPostEditValue;
  WNDPROC FSavedInnerEditWndProc = nullptr;
  TObjectPtr<TcxEditDataBinding> FDataBinding;
  TcxCustomEditProperties* FProperties = nullptr;  // own, owned
  bool FUpdatingShape = false;
  TNotifyEvent FPropertiesEvents;
};

// Per-item data that an in-place host keeps between activations of its editor.
class TcxCustomEditData : public TObject {
  RTL_DECLARE_CLASS(TcxCustomEditData, TObject)
public:
  using TConstructorArg = TcxCustomEdit*;
  explicit TcxCustomEditData(TcxCustomEdit* AEdit);
  ~TcxCustomEditData() override;
  TcxCustomEditData(const TcxCustomEditData&) = delete;
  TcxCustomEditData& operator=(const TcxCustomEditData&) = delete;

  // Marks the data cleared and lets the watched editor initialise it again.
  void Clear();
  bool Cleared() const { return FCleared; }
  void SetCleared(bool Value) { FCleared = Value; }
  TcxCustomEdit* Edit() const { return FEdit; }

protected:
  void EditFreed(TComponent* Sender);

private:
  bool FCleared = false;
  TcxCustomEdit* FEdit;
  TObjectPtr<TcxFreeNotificator> FFreeNotificator;
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
  virtual TClass GetViewDataClass();
  virtual bool FiresChangeSeparately() { return false; }
  virtual bool HandlesTabKey() { return false; }
  virtual TClass GetEditClass();
  virtual TClass GetStyleClass() { return TcxCustomEditStyle::StaticClass(); }
  virtual TClass GetViewInfoClass();
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
// Repository: properties shared by many editors and grid items.

class TcxEditRepository;

// An editor's listener on its repository item; the editor delegates the interface to it.
class TcxEditRepositoryItemListenerEditHelper : public TcxInterfacedPersistent, public IcxEditRepositoryItemListener {
  RTL_DECLARE_CLASS(TcxEditRepositoryItemListenerEditHelper, TcxInterfacedPersistent)
public:
  using TConstructorArg = TcxCustomEdit*;
  explicit TcxEditRepositoryItemListenerEditHelper(TcxCustomEdit* AEdit)
      : TcxInterfacedPersistent(AEdit), FEdit(AEdit) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TcxInterfacedPersistent::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return TcxInterfacedPersistent::_AddRef(); }
  ULONG STDMETHODCALLTYPE _Release() override { return TcxInterfacedPersistent::_Release(); }

  // The item goes away: the editor forgets it without touching it.
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void ItemPropertiesChanged(TcxEditRepositoryItem* Sender) override;

private:
  TcxCustomEdit* FEdit;
};

// One shared properties object with the editors and grid items that listen to it.
class TcxEditRepositoryItem : public TComponent {
  RTL_DECLARE_CLASS(TcxEditRepositoryItem, TComponent)
public:
  explicit TcxEditRepositoryItem(TComponent* AOwner) : TComponent(AOwner) {}
  // The properties object, of the class GetEditPropertiesClass names.
  void AfterConstruction() override;
  // Tells every listener, leaves the repository, frees the properties.
  void BeforeDestruction() override;
  ~TcxEditRepositoryItem() override;

  virtual void PropertiesChanged(TObject* Sender);
  virtual void AddListener(IcxEditRepositoryItemListener* AListener);
  virtual TClass GetEditPropertiesClass() { return TcxCustomEditProperties::StaticClass(); }
  virtual void RemoveListener(IcxEditRepositoryItemListener* AListener);

  TcxCustomEditProperties* Properties() const { return FProperties; }
  void SetProperties(TcxCustomEditProperties* Value) { FProperties->Assign(Value); }
  TcxEditRepository* Repository() const { return FRepository; }
  void SetRepository(TcxEditRepository* Value);
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }
  const TNotifyEvent& PropertiesEvents() const { return FPropertiesEvents; }
  void SetPropertiesEvents(const TNotifyEvent& Value) { FPropertiesEvents = Value; }

  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return FRepository != nullptr; }
  void SetParentComponent(TComponent* Value) override;

protected:
  void NotifyItemRemoved();
  void ReadState(TReader* Reader) override;

private:
  std::vector<IcxEditRepositoryItemListener*> FListeners;
  TcxCustomEditProperties* FProperties = nullptr;
  TcxEditRepository* FRepository = nullptr;
  TNotifyEvent FPropertiesEvents;
  bool FNotifiedRemoval = false;
};

// An ordered list of repository items; the items are components of their own owners.
class TcxEditRepository : public TComponent {
  RTL_DECLARE_CLASS(TcxEditRepository, TComponent)
public:
  explicit TcxEditRepository(TComponent* AOwner) : TComponent(AOwner) {}
  void BeforeDestruction() override;
  ~TcxEditRepository() override;

  virtual TcxEditRepositoryItem* CreateItem(TClass ARepositoryItemClass);
  virtual TcxEditRepositoryItem* CreateItemEx(TClass ARepositoryItemClass, TComponent* AOwner);

  void AddItem(TcxEditRepositoryItem* AItem);
  void RemoveItem(TcxEditRepositoryItem* AItem);
  // Frees every item, last first, whoever owns it.
  void Clear();
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  TcxEditRepositoryItem* GetItem(Integer AIndex) const { return FItems[static_cast<size_t>(AIndex)]; }
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

private:
  std::vector<TcxEditRepositoryItem*> FItems;
};

// ---------------------------------------------------------------------------------------
// The in-place editor cache of a host: one hidden editor per properties object.

class TcxInplaceEditList : public TObject {
  RTL_DECLARE_CLASS(TcxInplaceEditList, TObject)
public:
  struct TcxInplaceEditListItem {
    TObjectPtr<TcxCustomEdit> Edit;
    TcxCustomEditProperties* Properties;
  };

  TcxInplaceEditList() = default;
  ~TcxInplaceEditList() override { Clear(); }
  TcxInplaceEditList(const TcxInplaceEditList&) = delete;
  TcxInplaceEditList& operator=(const TcxInplaceEditList&) = delete;

  // A hidden in-place editor of the class the properties class names.
  virtual TcxCustomEdit* CreateEdit(TClass APropertiesClass);

  // Frees every editor, last first.
  void Clear();
  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  TcxInplaceEditListItem* GetItem(Integer AIndex) const { return FItems[static_cast<size_t>(AIndex)].get(); }
  TcxInplaceEditListItem* FindItem(TcxCustomEditProperties* AProperties) const;
  TcxCustomEdit* FindEdit(TcxCustomEditProperties* AProperties) const;
  // The cached editor of AProperties (made when missing) with its own properties assigned
  // from AProperties, without change events.
  TcxCustomEdit* GetEdit(TcxCustomEditProperties* AProperties);
  TcxCustomEdit* GetEditByClass(TClass APropertiesClass);
  void RemoveItem(TcxCustomEditProperties* AProperties);

private:
  void freeItem(size_t AIndex);
  std::vector<std::unique_ptr<TcxInplaceEditListItem>> FItems;
};

// ---------------------------------------------------------------------------------------
// Small shared routines of the framework.

TShiftState cxMouseButtonToShift(TMouseButton AButton);
TShiftState cxEditMouseButtonToShift(TcxMouseButton AButton);
WPARAM cxShiftStateToMouseKeys(TShiftState AShift);
void cxMaxSize(TSize& ASize, const TSize& ASize2);
bool cxVarEqualSameType(const Variant& AValue1, const Variant& AValue2);
void cxSendKeyDown(TWinControl* AControl, Word AKey);
void cxSendChar(TWinControl* AControl, char AChar);
void cxAddToRegion(HRGN ARegion, HRGN ARegion2);
bool cxIsRegionEmpty(HRGN ARegion);
// Removes one pending WM_CHAR of AWnd from the queue; a WM_QUIT met on the way is posted
// again.
void cxRemovePendingChar(HWND AWnd);
// The repository of default items, made on first request.
TcxEditRepository* cxGetDefaultEditRepository();

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
