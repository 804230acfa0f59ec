#include "cx/editors/cxEdit.h"

#include <algorithm>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxFilterConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

TList* cxEditPropertiesList = nullptr;

namespace {

TcxRegisteredClasses* editorRegistry = nullptr;
TcxEditRepository* defaultEditRepository = nullptr;

// True while AComponent is being loaded from a stream.
bool IsLoadingState(const TComponent* AComponent) { return AComponent->ComponentState().Contains(csLoading); }

// An instance of AClass through its virtual constructor, checked to be a T; a class of
// another family raises, and the stray instance is freed.
template <class T> T* createOfClass(TClass AClass, void* AArg) {
  TObject* made = AClass->CreateInstance(AArg);
  auto* result = dynamic_cast<T*>(made);
  if (!result) {
    FreeObject(made);
    throw EInvalidCast("Invalid class typecast");
  }
  return result;
}

// Replaces a counted provider reference: the new one gains a reference before the old one
// loses its own, so that setting the same provider again never drops it.
void replaceProviderReference(IcxEditDefaultValuesProvider*& ACell, IcxEditDefaultValuesProvider* AValue) {
  if (AValue) AValue->_AddRef();
  IcxEditDefaultValuesProvider* old = ACell;
  ACell = AValue;
  if (old) old->_Release();
}

// The provider must not keep calling back into properties that no longer listen to it.
void detachProviderChangeEvent(IcxEditDefaultValuesProvider* AProvider, TObject* AListener) {
  if (!AProvider) return;
  TNotifyEvent event;
  AProvider->GetOnChanged(event);
  if (event.Assigned() && event.Data() == AListener) AProvider->SetOnChanged(TNotifyEvent());
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The neutral default-values provider.

RTL_BEGIN_CLASS(TcxCustomEditDefaultValuesProvider)
  b.Interface<IcxEditDefaultValuesProvider>();
RTL_END_CLASS

TcxCustomEditDefaultValuesProvider::~TcxCustomEditDefaultValuesProvider() {
  // No properties object may keep calling a freed provider; nothing may escape a destructor.
  try {
    DetachFromProperties();
  } catch (...) {
  }
}

void TcxCustomEditDefaultValuesProvider::Changed() {
  if (FOnChanged) FOnChanged(this);
}

void TcxCustomEditDefaultValuesProvider::DetachFromProperties() {
  if (!cxEditPropertiesList) return;
  for (Integer i = 0; i < cxEditPropertiesList->Count(); ++i) {
    auto* properties = static_cast<TcxCustomEditProperties*>(cxEditPropertiesList->Items(i));
    IcxEditDefaultValuesProvider* provider = properties->DefaultValuesProvider();
    if (provider && provider->GetInstance() == this) properties->SetDefaultValuesProvider(nullptr);
  }
}

RTL_IMPLEMENT_CLASS(TcxDataBinding)

// ---------------------------------------------------------------------------------------
// Edit buttons, style, view info, view data and the editor control.

RTL_BEGIN_CLASS(TcxEditButton)
  b.Property("Default", &TcxEditButton::Default, &TcxEditButton::SetDefault).Default(false);
  b.Property("Glyph", &TcxEditButton::GetGlyph, &TcxEditButton::SetGlyph).Stored(&TcxEditButton::IsGlyphStored);
  b.Property("Kind", &TcxEditButton::Kind, &TcxEditButton::SetKind).Default(bkDown);
  b.Property("LeftAlignment", &TcxEditButton::LeftAlignment, &TcxEditButton::SetLeftAlignment).Default(false);
  b.Property("Visible", &TcxEditButton::Visible, &TcxEditButton::SetVisible).Default(true);
  b.Property("Width", &TcxEditButton::Width, &TcxEditButton::SetWidth).Default(0);
RTL_END_CLASS

namespace {

// A button added as the first of an editor that is being designed (not loaded) becomes
// the default button.
bool isFirstDesignedButton(TCollection* ACollection) {
  if (!ACollection || ACollection->Count() != 1) return false;
  TComponent* owner = cxGetOwnerComponent(ACollection);
  return owner && owner->ComponentState().Contains(csDesigning) && !owner->ComponentState().Contains(csLoading);
}

}  // namespace

TcxEditButton::TcxEditButton(TCollection* Collection) : TCollectionItem(Collection) {
  // Made by the collection's Add, the button joins it only later (see TcxEditButtons::Notify).
  if (isFirstDesignedButton(Collection)) FDefault = true;
}

TcxEditButton::~TcxEditButton() { FreeAndNil(FGlyph); }

void TcxEditButton::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxEditButton*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  TCollection* collection = Collection();
  UpdateLock lock(collection);
  SetDefault(src->Default());
  SetGlyph(src->FGlyph);
  SetKind(src->Kind());
  SetLeftAlignment(src->LeftAlignment());
  SetVisible(src->Visible());
  SetWidth(src->Width());
}

void TcxEditButton::SetDefault(bool Value) {
  if (Value) {
    if (TCollection* collection = Collection())
      for (Integer i = 0; i < collection->Count(); ++i) {
        auto* other = static_cast<TcxEditButton*>(collection->Items(i));
        if (other == this || !other->FDefault) continue;
        other->FDefault = false;
        other->Changed(true);
      }
  }
  if (FDefault == Value) return;
  FDefault = Value;
  Changed(true);
}

TBitmap* TcxEditButton::GetGlyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->SetOnChange(TNotifyEvent(this, &TcxEditButton::GlyphChanged));
  }
  return FGlyph;
}

void TcxEditButton::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FreeAndNil(FGlyph);
  } else if (Value != FGlyph) {
    TBitmap* glyph = GetGlyph();
    // The copy's own change notices are folded into the one below.
    glyph->SetOnChange(TNotifyEvent());
    {
      ScopeExit atEnd([&] { glyph->SetOnChange(TNotifyEvent(this, &TcxEditButton::GlyphChanged)); });
      glyph->Assign(Value);
    }
  }
  Changed(false);
}

void TcxEditButton::SetKind(TcxEditButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(false);
}

void TcxEditButton::SetLeftAlignment(bool Value) {
  if (FLeftAlignment == Value) return;
  FLeftAlignment = Value;
  Changed(false);
}

void TcxEditButton::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(false);
}

void TcxEditButton::SetWidth(Integer Value) {
  if (Value < 0 || FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

RTL_IMPLEMENT_CLASS(TcxEditButtons)

TcxEditButtons::TcxEditButtons(TPersistent* AOwner)
    : TCollection(TcxEditButton::StaticClass()), FOwner(AOwner) {}

Integer TcxEditButtons::GetVisibleCount() const {
  Integer result = 0;
  for (Integer i = 0; i < Count(); ++i)
    if (GetItem(i)->Visible()) ++result;
  return result;
}

void TcxEditButtons::CollectionChanged(TCollectionItem* Item) {
  if (FOnChange) FOnChange(this);
}

void TcxEditButtons::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  inherited::Notify(Item, Action);
  // A button built by Add joins the collection after its constructor ran.
  if (Action != cnAdded) return;
  if (auto* button = dynamic_cast<TcxEditButton*>(Item))
    if (isFirstDesignedButton(this)) button->FDefault = true;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditStyle, TcxEditStyle, TcxEditStyleController.

RTL_IMPLEMENT_CLASS(TcxCustomEditStyle)

RTL_BEGIN_CLASS(TcxEditStyle)
  b.Property("AssignedValues", &TcxEditStyle::GetAssignedValues, &TcxEditStyle::SetAssignedValues).Stored(false);
  b.Property("BorderStyle", &TcxEditStyle::GetBorderStyle,
             static_cast<void (TcxCustomEditStyle::*)(TcxEditBorderStyle)>(&TcxEditStyle::SetBorderStyle))
      .Stored(&TcxEditStyle::IsBorderStyleStored);
  b.Property("ButtonStyle", &TcxEditStyle::GetButtonStyle, &TcxEditStyle::SetButtonStyle)
      .Stored(&TcxEditStyle::IsButtonStyleStored);
  b.Property("ButtonTransparency", &TcxEditStyle::GetButtonTransparency, &TcxEditStyle::SetButtonTransparency)
      .Stored(&TcxEditStyle::IsButtonTransparencyStored);
  b.Property("PopupBorderStyle", &TcxEditStyle::GetPopupBorderStyle, &TcxEditStyle::SetPopupBorderStyle)
      .Stored(&TcxEditStyle::IsPopupBorderStyleStored);
  b.Property("StyleController", &TcxEditStyle::GetStyleController,
             static_cast<void (TcxCustomEditStyle::*)(TcxEditStyleController*)>(&TcxEditStyle::SetStyleController));
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxEditStyleController)
  b.Property("Style", &TcxEditStyleController::GetStyle, &TcxEditStyleController::SetStyle);
  b.Property("OnStyleChanged", &TcxEditStyleController::OnStyleChanged, &TcxEditStyleController::SetOnStyleChanged);
RTL_END_CLASS

TcxCustomEditStyle::TcxCustomEditStyle(TPersistent* AOwner, bool AIsInplace) : TcxContainerStyle(AOwner, AIsInplace) {
  FPopupCloseButton = true;
}

void TcxCustomEditStyle::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditStyle*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (src == this) return;
  UpdateLock lock(this);
  // Their assigned flags come with the container's assigned values.
  FButtonStyle = src->FButtonStyle;
  FButtonTransparency = src->FButtonTransparency;
  FPopupBorderStyle = src->FPopupBorderStyle;
  FPopupCloseButton = src->FPopupCloseButton;
  inherited::Assign(Source);
  Changed();
}

TColor TcxCustomEditStyle::GetVisibleColor() {
  if (IsInplace()) return inherited::GetVisibleColor();
  TColor value;
  if (FindAssignedColor(value)) return value;
  TcxCustomEdit* edit = GetOwnerEdit();
  if (edit && edit->ParentColor() && edit->Parent()) return edit->Parent()->Color();
  return DefaultColor();
}

bool TcxCustomEditStyle::IsValueAssigned(TcxContainerStyleValue AValue) {
  switch (static_cast<Integer>(AValue)) {
    case svButtonStyle: {
      TcxEditButtonStyle value;
      return FindButtonStyle(value);
    }
    case svButtonTransparency: {
      TcxEditButtonTransparency value;
      return FindButtonTransparency(value);
    }
    case svPopupBorderStyle: {
      TcxEditPopupBorderStyle value;
      return FindPopupBorderStyle(value);
    }
    default: return inherited::IsValueAssigned(AValue);
  }
}

bool TcxCustomEditStyle::GetStyleValueName(TcxContainerStyleValue AValue, std::string& AName) {
  switch (static_cast<Integer>(AValue)) {
    case svButtonStyle: AName = "ButtonStyle"; return true;
    case svButtonTransparency: AName = "ButtonTransparency"; return true;
    case svPopupBorderStyle: AName = "PopupBorderStyle"; return true;
    default: return inherited::GetStyleValueName(AValue, AName);
  }
}

template <class V>
bool TcxCustomEditStyle::findEditValue(TcxContainerStyleValue AValue, V TcxCustomEditStyle::*AField, V& AResult) {
  // Only an editor style can hold an editor value; a plain container style in the chain
  // that claims one has nothing to give.
  auto* style = dynamic_cast<TcxCustomEditStyle*>(findAssigning(AValue));
  if (style) AResult = style->*AField;
  return style != nullptr;
}

template <class V>
V TcxCustomEditStyle::valueInEffect(TcxContainerStyleValue AValue, V TcxCustomEditStyle::*AField, V ADefault) {
  if (IsInplace()) return OwnAssignedValues().Contains(AValue) ? this->*AField : ADefault;
  V value;
  return findEditValue(AValue, AField, value) ? value : ADefault;
}

bool TcxCustomEditStyle::FindButtonStyle(TcxEditButtonStyle& AValue) {
  return findEditValue(svButtonStyle, &TcxCustomEditStyle::FButtonStyle, AValue);
}

bool TcxCustomEditStyle::FindButtonTransparency(TcxEditButtonTransparency& AValue) {
  return findEditValue(svButtonTransparency, &TcxCustomEditStyle::FButtonTransparency, AValue);
}

bool TcxCustomEditStyle::FindPopupBorderStyle(TcxEditPopupBorderStyle& AValue) {
  return findEditValue(svPopupBorderStyle, &TcxCustomEditStyle::FPopupBorderStyle, AValue);
}

TcxEditButtonStyle TcxCustomEditStyle::GetButtonStyle() {
  return valueInEffect(svButtonStyle, &TcxCustomEditStyle::FButtonStyle, DefaultButtonStyle());
}

void TcxCustomEditStyle::SetButtonStyle(TcxEditButtonStyle Value) {
  assignValue(FButtonStyle, Value, svButtonStyle);
}

TcxEditButtonTransparency TcxCustomEditStyle::GetButtonTransparency() {
  return valueInEffect(svButtonTransparency, &TcxCustomEditStyle::FButtonTransparency, DefaultButtonTransparency());
}

void TcxCustomEditStyle::SetButtonTransparency(TcxEditButtonTransparency Value) {
  assignValue(FButtonTransparency, Value, svButtonTransparency);
}

TcxEditPopupBorderStyle TcxCustomEditStyle::GetPopupBorderStyle() {
  return valueInEffect(svPopupBorderStyle, &TcxCustomEditStyle::FPopupBorderStyle, DefaultPopupBorderStyle());
}

void TcxCustomEditStyle::SetPopupBorderStyle(TcxEditPopupBorderStyle Value) {
  assignValue(FPopupBorderStyle, Value, svPopupBorderStyle);
}

void TcxCustomEditStyle::SetPopupCloseButton(bool Value) {
  if (FPopupCloseButton == Value) return;
  FPopupCloseButton = Value;
  Changed();
}

TcxEditStyleController* TcxCustomEditStyle::GetStyleController() {
  return dynamic_cast<TcxEditStyleController*>(StyleController());
}

void TcxCustomEditStyle::SetStyleController(TcxEditStyleController* Value) {
  TcxContainerStyle::SetStyleController(Value);
}

TcxCustomEdit* TcxCustomEditStyle::GetOwnerEdit() const { return dynamic_cast<TcxCustomEdit*>(Owner()); }

// ---------------------------------------------------------------------------------------
// TcxEditDataBinding.

RTL_IMPLEMENT_CLASS(TcxEditDataBinding)

void TcxEditDataBinding::AfterConstruction() {
  TPersistent::AfterConstruction();
  TClass providerClass = GetDefaultValuesProviderClass();
  if (!providerClass) return;
  auto* provider = createOfClass<TcxCustomEditDefaultValuesProvider>(providerClass, static_cast<TPersistent*>(nullptr));
  FDefaultValuesProvider.reset(provider);
}

TcxEditDataBinding::~TcxEditDataBinding() = default;

TPersistent* TcxEditDataBinding::GetOwner() { return FEdit; }

bool TcxEditDataBinding::IsDesigning() { return FEdit && FEdit->ComponentState().Contains(csDesigning); }

void TcxEditDataBinding::DefaultValuesChanged() {
  if (FDefaultValuesProvider) FDefaultValuesProvider->Changed();
}

void TcxEditDataBinding::GetDisplayValue(Variant& AValue) { AValue = Variant(FEdit->GetDisplayText()); }

bool TcxEditDataBinding::IsModified() { return FEdit->ModifiedAfterEnter(); }

void TcxEditDataBinding::GetEditValue(Variant& AValue) { AValue = FEdit->EditValue(); }

void TcxEditDataBinding::Reset() { FEdit->Reset(); }

void TcxEditDataBinding::RefreshDisplay() { FEdit->SyncDisplayFromEditValue(); }

TClass TcxEditDataBinding::GetDefaultValuesProviderClass() { return TcxCustomEditDefaultValuesProvider::StaticClass(); }

void TcxEditDataBinding::SetInternalDisplayValue(const Variant& AValue) { FEdit->SetInternalDisplayValue(AValue); }

IcxEditDefaultValuesProvider* TcxEditDataBinding::GetDefaultValuesProvider() const {
  return FDefaultValuesProvider ? static_cast<IcxEditDefaultValuesProvider*>(FDefaultValuesProvider.get()) : nullptr;
}

// ---------------------------------------------------------------------------------------
// TcxEditButtonViewInfo.

RTL_IMPLEMENT_CLASS(TcxEditButtonViewInfo)

void TcxEditButtonViewInfo::AssignFrom(TcxEditButtonViewInfo* Source) {
  NativeState = Source->NativeState;
  BackgroundColor = Source->BackgroundColor;
  Bounds = Source->Bounds;
  VisibleBounds = Source->VisibleBounds;
  Style = Source->Style;
  State = Source->State;
}

bool TcxEditButtonViewInfo::paintedDiffers(TcxEditButtonViewInfo* AOld) const {
  return !AOld || AOld->Style != Style || AOld->State != State || AOld->BackgroundColor != BackgroundColor ||
         AOld->NativeState != NativeState;
}

TcxRegion* TcxEditButtonViewInfo::GetChangedRegion(TcxEditButtonViewInfo* AOld) {
  if (!paintedDiffers(AOld)) return new TcxRegion();
  return new TcxRegion(Bounds);
}

bool TcxEditButtonViewInfo::Repaint(TWinControl* AWindow, TcxEditButtonViewInfo* AOld, const TPoint& AOffset) {
  if (!paintedDiffers(AOld)) return false;
  TRect r = Bounds;
  OffsetRect(&r, AOffset.x, AOffset.y);
  if (AWindow && AWindow->HandleAllocated()) InvalidateRect(AWindow->WindowHandle(), &r, TRUE);
  return true;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditViewInfo.

RTL_IMPLEMENT_CLASS(TcxCustomEditViewInfo)

TcxCustomEditViewInfo::~TcxCustomEditViewInfo() = default;

void TcxCustomEditViewInfo::Paint(TcxCanvas* ACanvas) { cxDrawEdit(ACanvas, this, true); }

void TcxCustomEditViewInfo::SetButtonCount(Integer ACount) {
  if (ACount < 0) ACount = 0;
  while (ButtonCount() > ACount) ButtonsInfo.pop_back();
  while (ButtonCount() < ACount) {
    auto* button = createOfClass<TcxEditButtonViewInfo>(GetButtonViewInfoClass(), nullptr);
    ButtonsInfo.emplace_back(button);
  }
}

void TcxCustomEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  if (auto* source = dynamic_cast<TcxCustomEditViewInfo*>(Source)) {
    BorderColor = source->BorderColor;
    BorderStyle = source->BorderStyle;
    NativeBorderState = source->NativeBorderState;
    SetButtonCount(source->ButtonCount());
    for (Integer i = 0; i < ButtonCount(); ++i) Button(i)->AssignFrom(source->Button(i));
    PressedButton = source->PressedButton;
    SelectedButton = source->SelectedButton;
  }
  TcxContainerViewInfo::AssignFrom(Source);
}

TcxRegion* TcxCustomEditViewInfo::GetChangedRegion(TcxContainerViewInfo* AViewInfo) {
  TcxRegion* region = TcxContainerViewInfo::GetChangedRegion(AViewInfo);
  auto* old = dynamic_cast<TcxCustomEditViewInfo*>(AViewInfo);
  if (old && old->BorderColor == BorderColor && old->BorderStyle == BorderStyle &&
      old->ButtonCount() == ButtonCount() && old->NativeBorderState == NativeBorderState) {
    for (Integer i = 0; i < ButtonCount(); ++i) region->Combine(Button(i)->GetChangedRegion(old->Button(i)), roAdd);
  } else if (!IsRectEmpty(&Bounds)) {
    region->Combine(new TcxRegion(Bounds), roAdd);
  }
  return region;
}

void TcxCustomEditViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxContainerViewInfo::MoveBy(DX, DY);
  OffsetRect(&InnerEditRect, DX, DY);
  OffsetRect(&ContentRect, DX, DY);
  for (auto& button : ButtonsInfo) {
    OffsetRect(&button->Bounds, DX, DY);
    OffsetRect(&button->VisibleBounds, DX, DY);
  }
}

void TcxCustomEditViewInfo::DrawButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex) {
  TcxEditButtonViewInfo* button = Button(AButtonVisibleIndex);
  TcxEditButtonStyle style = button->Style;
  // A simple button shows a flat frame while it is pressed or hot.
  if (button->NativePart == 0 && style == btsSimple && (button->State == ebsPressed || button->State == ebsSelected))
    style = btsFlat;
  TRect r = button->Bounds;
  DrawButtonBorder(ACanvas, AButtonVisibleIndex, r, style);
}

void TcxCustomEditViewInfo::DrawButtonBorder(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, TRect& ARect,
                                             TcxEditButtonStyle AStyle) {
  TcxEditButtonViewInfo* button = Button(AButtonVisibleIndex);
  TColor face = button->BackgroundColor;
  cxDrawEditButtonFrame(ACanvas, button, ARect, AStyle, face);
  DrawButtonContent(ACanvas, AButtonVisibleIndex, ARect, face, clBtnText);
}

void TcxCustomEditViewInfo::DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex,
                                              const TRect& AContentRect, TColor APenColor, TColor ABrushColor) {
  cxDrawEditButtonContent(ACanvas, Button(AButtonVisibleIndex), AContentRect, APenColor, ABrushColor);
}

bool TcxCustomEditViewInfo::HasHotButton() {
  for (auto& button : ButtonsInfo)
    if (button->State == ebsSelected) return true;
  return false;
}

bool TcxCustomEditViewInfo::IsPointOnButton(const TPoint& P) {
  TPoint local{P.x - Origin.x, P.y - Origin.y};
  for (auto& button : ButtonsInfo)
    if (PtInRect(&button->Bounds, local)) return true;
  return false;
}

bool TcxCustomEditViewInfo::NeedShowHint(TcxCanvas* ACanvas, const TPoint& P, std::string& AText,
                                         bool& AIsMultiLine, TRect& ATextRect) {
  AText.clear();
  return NeedShowHintInBounds(ACanvas, P, TRect{0, 0, 0, 0}, AText, AIsMultiLine, ATextRect);
}

bool TcxCustomEditViewInfo::NeedShowHintInBounds(TcxCanvas*, const TPoint&, const TRect&, std::string&,
                                                 bool& AIsMultiLine, TRect&) {
  AIsMultiLine = false;
  return false;
}

bool TcxCustomEditViewInfo::RepaintButtons(TWinControl* AControl, TcxCustomEditViewInfo* AOld) {
  bool repainted = false;
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Button(i)->Repaint(AControl, AOld->Button(i), Origin)) repainted = true;
  return repainted;
}

namespace {

TRect clippedTo(const TRect& R, const TRect& AClip) {
  TRect result;
  if (!IntersectRect(&result, &R, &AClip)) return TRect{0, 0, 0, 0};
  return result;
}

bool sameRect(const TRect& A, const TRect& B) { return EqualRect(&A, &B) != FALSE; }

}  // namespace

bool TcxCustomEditViewInfo::Repaint(TWinControl* AControl, TcxContainerViewInfo* AOld, const TRect& AExcludedRect) {
  TRect r = Bounds;
  OffsetRect(&r, Origin.x, Origin.y);
  TRect excluded = IsRectEmpty(&AExcludedRect) ? TRect{0, 0, 0, 0} : clippedTo(AExcludedRect, ClientRect);
  auto* old = dynamic_cast<TcxCustomEditViewInfo*>(AOld);
  if (!old) {
    cxInvalidateFrameArea(AControl, r, excluded);
    return false;
  }
  bool changed;
  TRect valid;
  if (old->ButtonCount() == ButtonCount() && old->NativeBorderState == NativeBorderState) {
    changed = old->BorderStyle != BorderStyle || (BorderStyle != cbsNone && old->BorderColor != BorderColor);
    valid = BorderRect;
    OffsetRect(&valid, Origin.x, Origin.y);
  } else {
    changed = true;
    valid = excluded;
  }
  if (changed && !IsRectEmpty(&r) && !sameRect(r, valid)) cxInvalidateFrameArea(AControl, r, valid);
  bool buttonsRepainted = old->ButtonCount() == ButtonCount() && RepaintButtons(AControl, old);
  return changed || buttonsRepainted;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditViewData.

RTL_IMPLEMENT_CLASS(TcxCustomEditViewData)

TcxCustomEditViewData::TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle,
                                             bool AIsInplace)
    : FIsInplace(AIsInplace), FProperties(AProperties), FStyle(AStyle) {}

void TcxCustomEditViewData::AfterConstruction() {
  TPersistent::AfterConstruction();
  InitDefaults();
  SelTextColor = clDefault;
  SelBackgroundColor = clDefault;
  InitCacheData();
}

void TcxCustomEditViewData::InitDefaults() {
  InplaceEditParams = TRect{0, 0, 0, 0};
  Enabled = true;
}

void TcxCustomEditViewData::InitCacheData() {
  EditBorderStyle = FStyle ? FStyle->GetBorderStyle() : ebsNone;
  VisibleButtonCount = FProperties ? FProperties->Buttons()->GetVisibleCount() : 0;
  IsValueEditorWithValueFormatting = FProperties && FProperties->GetEditValueKind(false) == evsValue;
  if (FProperties) {
    TcxEditAlignment* alignment = FProperties->GetAlignment();
    HorzAlignment = alignment->Horz();
    VertAlignment = alignment->Vert();
  }
  NativeStyle = FStyle && cxIsNativeThemeUsable(FStyle->LookAndFeel()->NativeStyle(), totEdit);
}

TcxContainerBorderStyle TcxCustomEditViewData::GetContainerBorderStyle(Integer AHotState) {
  if (FIsInplace) return cbsNone;
  static const TcxContainerBorderStyle table[2][6] = {
      {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
      {cbsFlat, cbsThick, cbsThick, cbs3D, cbs3D, cbsSingle},
  };
  return table[AHotState == cxHotStateActive ? 1 : 0][static_cast<int>(EditBorderStyle)];
}

bool TcxCustomEditViewData::HasShadow() { return FStyle && FStyle->Shadow() && !NativeStyle; }

bool TcxCustomEditViewData::IsEditFocused() { return Edit ? Edit->IsFocusedForDisplay() : Focused; }

Integer TcxCustomEditViewData::GetCapturedButtonIndex() { return Edit ? Edit->CapturedButtonIndex() : -1; }

TRect TcxCustomEditViewData::GetBorderExtent() {
  if (FIsInplace) return InplaceEditParams;
  TRect extent;
  if (FStyle->TransparentBorder() || FStyle->HotTrack() || NativeStyle) {
    extent = TRect{2, 2, 2, 2};
  } else {
    Integer w = cxGetBorderWidth(GetContainerBorderStyle(cxHotStateNone));
    extent = TRect{w, w, w, w};
  }
  if (HasShadow()) {
    extent.right += cxContainerShadowWidth;
    extent.bottom += cxContainerShadowWidth;
  }
  return extent;
}

TRect TcxCustomEditViewData::GetClientExtent(TcxCanvas* ACanvas) {
  if (FIsInplace) return InplaceEditParams;
  if (NativeStyle) {
    TdxTheme theme = dxGetThemeHandle(totEdit);
    RECT outer{0, 0, 100, 100};
    RECT content = outer;
    HDC dc = ACanvas ? ACanvas->Handle() : nullptr;
    if (theme && SUCCEEDED(dxGetThemeBackgroundContentRect(theme, dc, 1 /* EP_EDITTEXT */, 1, &outer, &content)))
      return TRect{content.left, content.top, 100 - content.right, 100 - content.bottom};
  }
  return GetBorderExtent();
}

TRect TcxCustomEditViewData::GetEditExtent(TcxCustomEditViewInfo* AViewInfo) {
  TRect extent = GetBorderExtent();
  if (HScrollBar && HScrollBar->Visible()) extent.bottom += HScrollBar->Height();
  if (VScrollBar && VScrollBar->Visible()) extent.right += VScrollBar->Width();
  if (!AViewInfo) return extent;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TcxEditButtonViewInfo* button = AViewInfo->Button(i);
    if (button->LeftAlignment)
      extent.left = std::max<LONG>(extent.left, button->Bounds.right - Bounds.left);
    else
      extent.right = std::max<LONG>(extent.right, Bounds.right - button->Bounds.left);
  }
  return extent;
}

void TcxCustomEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                      TcxMouseButton AButton, TShiftState AShift, TcxCustomEditViewInfo* AViewInfo,
                                      bool AIsMouseEvent) {
  TcxCustomEditViewInfo* vi = AViewInfo;
  // What the view info is painted for.
  vi->EditProperties = FProperties;
  vi->Bounds = ABounds;
  Bounds = ABounds;
  vi->Edges = FStyle->Edges();
  vi->Enabled = Enabled;
  vi->Focused = Focused;
  vi->Font = FStyle->Font();
  vi->EraseBackground = Edit && Edit->NeedsEraseBackground();
  vi->InnerEditVisible = InnerEdit && InnerEdit->Visible();
  vi->IsContainerInnerControl = Edit && Edit->Parent() && dynamic_cast<TcxContainer*>(Edit->Parent()) &&
                                static_cast<TcxContainer*>(Edit->Parent())->InnerControl() == Edit;
  vi->IsDesigning = IsDesigning;
  vi->IsInplace = FIsInplace;
  vi->IsSelected = IsSelected;
  vi->PaintOptions = PaintOptions;
  vi->WindowHandle = WindowHandle;
  vi->Shadow = !FIsInplace && HasShadow();

  // The container state: active or normal, hot while the mouse is over it without buttons
  // held (or while the editor holds the capture).
  TcxContainerStateFlags state;
  if (Enabled) {
    if (IsDesigning) {
      state = csNormal;
    } else {
      state = Focused ? csFocused : csNormal;
      TRect hotArea = cxGetEditHotTrackArea(vi, ABounds);
      // The hot area depends on the rectangles of this calculation: an approximation by the
      // bounds less the border extent is enough before they exist.
      if (IsRectEmpty(&vi->ClientRect)) hotArea = cxDeflateRectByMargins(ABounds, GetClientExtent(ACanvas));
      bool captured = Edit && Edit->HandleAllocated() && GetCapture() == Edit->WindowHandle();
      if (PtInRect(&hotArea, P) && (AShift.Empty() || captured)) state |= csHotTrack;
    }
  } else {
    state = csDisabled;
  }
  ContainerState = state;
  vi->ContainerState = state;
  HotOrActive = (state & (csFocused | csHotTrack)) != 0;

  if (IsDesigning || !FStyle->HotTrack() || FIsInplace)
    vi->HotState = cxHotStateNone;
  else
    vi->HotState = HotOrActive ? cxHotStateActive : cxHotStateIdle;
  vi->BorderStyle = GetContainerBorderStyle(vi->HotState);

  cxCalculateEditViewInfo(this, vi);
  CalculateButtonsViewInfo(ACanvas, ABounds, P, AButton, AShift, vi, AIsMouseEvent);

  vi->ContentRect = cxDeflateRectByMargins(ABounds, GetEditExtent(vi));
  vi->InnerEditRect = InnerEdit ? InnerEdit->BoundsRect() : vi->ContentRect;

  TcxEditPopupBorderStyle popupBorder = FStyle->GetPopupBorderStyle();
  if (popupBorder == epbsDefault) {
    if (FIsInplace) {
      switch (FStyle->LookAndFeel()->Kind()) {
        case lfFlat: popupBorder = epbsFlat; break;
        case lfStandard: popupBorder = epbsFrame3D; break;
        default: popupBorder = epbsSingle; break;
      }
    } else {
      popupBorder = (vi->BorderStyle == cbsNone || vi->BorderStyle == cbsFlat) ? epbsFlat : epbsSingle;
    }
  }
  vi->PopupBorderStyle = popupBorder;
}

void TcxCustomEditViewData::CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                                     TcxMouseButton AButton, TShiftState AShift,
                                                     TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxEditButtons* buttons = FProperties->Buttons();
  TcxEditButtonTransparency transparency = FStyle->GetButtonTransparency();
  bool active = (ContainerState & csFocused) != 0;
  bool hot = (ContainerState & csHotTrack) != 0;
  if (VisibleButtonCount == 0 || (!active && transparency == ebtHideInactive) ||
      (!active && !hot && transparency == ebtHideUnselected)) {
    AViewInfo->SetButtonCount(0);
    AViewInfo->PressedButton = -1;
    AViewInfo->SelectedButton = -1;
    return;
  }
  std::vector<Integer> previousStates;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) previousStates.push_back(AViewInfo->Button(i)->State);
  AViewInfo->SetButtonCount(VisibleButtonCount);
  previousStates.resize(static_cast<size_t>(VisibleButtonCount), ebsNormal);
  AViewInfo->IsButtonReallyPressed = false;
  Integer oldPressed = AIsMouseEvent ? AViewInfo->PressedButton : -1;
  AViewInfo->PressedButton = -1;
  AViewInfo->SelectedButton = -1;
  LeftButtonsFirst = LeftButtonsLast = RightButtonsLast = RightButtonsFirst = -1;

  TcxEditButtonStyle style = FStyle->GetButtonStyle();
  if (style == btsDefault) {
    switch (AViewInfo->BorderStyle) {
      case cbsNone: style = btsSimple; break;
      case cbsSingle: style = EditBorderStyle == ebsUltraFlat ? btsUltraFlat : btsHotFlat; break;
      case cbsThick:
      case cbs3D: style = bts3D; break;
      default: style = btsFlat; break;
    }
  }

  // Walked from the last item: each visible item takes the next view info from the end, so
  // the view infos keep collection order.
  TRect rect = cxDeflateRectByMargins(ABounds, GetClientExtent(ACanvas));
  Integer visibleIndex = VisibleButtonCount;
  for (Integer i = buttons->Count() - 1; i >= 0; --i) {
    TcxEditButton* item = buttons->GetItem(i);
    if (!item->Visible()) continue;
    --visibleIndex;
    TcxEditButtonViewInfo* button = AViewInfo->Button(visibleIndex);
    button->ButtonIndex = i;
    button->Style = style;
    CalculateButtonViewInfo(ACanvas, AViewInfo, visibleIndex, rect);
  }
  calculateButtonStates(P, AButton, AShift, AViewInfo, previousStates, oldPressed);
  calculateGroupEdges(AViewInfo);
}

void TcxCustomEditViewData::CalculateButtonViewInfo(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                    Integer AButtonVisibleIndex, TRect& ButtonsRect) {
  TcxEditButtonViewInfo* button = AViewInfo->Button(AButtonVisibleIndex);
  TcxEditButton* item = FProperties->Buttons()->GetItem(button->ButtonIndex);
  button->Kind = item->Kind();
  button->Default = item->Default();
  button->Glyph = item->HasGlyph() ? item->GetGlyph() : nullptr;
  button->LeftAlignment = item->LeftAlignment();
  button->Width = item->Width();
  button->SingleDropDown = VisibleButtonCount == 1 && item->Kind() == bkDown;
  button->EraseBackground = AViewInfo->EraseBackground;
  button->IsInplace = AViewInfo->IsInplace;
  button->NativeStyle = AViewInfo->NativeStyle;
  button->LeftEdge = false;
  button->RightEdge = false;
  TcxEditButtonTransparency transparency = FStyle->GetButtonTransparency();
  bool activeOrHot = (ContainerState & (csFocused | csHotTrack)) != 0;
  button->Transparent = transparency == ebtAlways || (transparency == ebtInactive && !activeOrHot);
  button->BackgroundColor = AViewInfo->BackgroundColor;
  CalculateButtonBounds(ACanvas, AViewInfo, AButtonVisibleIndex, ButtonsRect);
}

void TcxCustomEditViewData::CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                  Integer AButtonVisibleIndex, TRect& ButtonsRect) {
  TcxEditButtonViewInfo* button = AViewInfo->Button(AButtonVisibleIndex);
  if (ButtonsRect.right <= ButtonsRect.left || ButtonsRect.bottom <= ButtonsRect.top) {
    button->Bounds = TRect{0, 0, 0, 0};
    button->VisibleBounds = TRect{0, 0, 0, 0};
    return;
  }
  Integer width = cxGetEditButtonWidth(ACanvas, button);
  Integer visibleWidth = std::min<Integer>(width, ButtonsRect.right - ButtonsRect.left);
  if (button->LeftAlignment) {
    button->Bounds = TRect{ButtonsRect.left, ButtonsRect.top, ButtonsRect.left + width, ButtonsRect.bottom};
    button->VisibleBounds =
        TRect{ButtonsRect.left, ButtonsRect.top, ButtonsRect.left + visibleWidth, ButtonsRect.bottom};
    ButtonsRect.left += visibleWidth;
    LeftButtonsLast = AButtonVisibleIndex;
    if (LeftButtonsFirst == -1) LeftButtonsFirst = AButtonVisibleIndex;
  } else {
    button->Bounds = TRect{ButtonsRect.right - width, ButtonsRect.top, ButtonsRect.right, ButtonsRect.bottom};
    button->VisibleBounds =
        TRect{ButtonsRect.right - visibleWidth, ButtonsRect.top, ButtonsRect.right, ButtonsRect.bottom};
    ButtonsRect.right -= visibleWidth;
    RightButtonsLast = AButtonVisibleIndex;
    if (RightButtonsFirst == -1) RightButtonsFirst = AButtonVisibleIndex;
  }
}

void TcxCustomEditViewData::calculateButtonStates(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                                  TcxCustomEditViewInfo* AViewInfo,
                                                  const std::vector<Integer>& APreviousStates, Integer AOldPressed) {
  const TShiftState leftOnly{ssLeft};
  const TShiftState leftDouble{ssLeft, ssDouble};
  bool exactlyLeft = AShift == leftOnly || AShift == leftDouble;
  Integer captured = GetCapturedButtonIndex();
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TcxEditButtonViewInfo* button = AViewInfo->Button(i);
    Integer previous = APreviousStates[static_cast<size_t>(i)];
    if (!Enabled) {
      button->State = ebsDisabled;
    } else {
      bool forced = IsButtonForcedPressed(AViewInfo, i);
      if (!forced && (IsDesigning || !PtInRect(&button->VisibleBounds, P))) {
        button->State = ebsNormal;
      } else {
        bool tracking = AButton == cxmbNone && AShift.Contains(ssLeft) && previous == ebsNormal && i == captured;
        bool leftClick = AButton == cxmbLeft && exactlyLeft;
        bool stillPressed = previous == ebsPressed && AShift.Contains(ssLeft);
        if (forced || leftClick || stillPressed || tracking) AViewInfo->IsButtonReallyPressed = true;
        if (!forced && AShift.Empty() && !tracking) {
          button->State = ebsSelected;
          AViewInfo->SelectedButton = i;
        } else if (forced || (tracking && CanPressButton(AViewInfo, i)) ||
                   (exactlyLeft && ((leftClick && CanPressButton(AViewInfo, i)) || i == AOldPressed)) ||
                   stillPressed) {
          button->State = ebsPressed;
          AViewInfo->PressedButton = i;
        } else {
          button->State = ebsNormal;
        }
      }
    }
    CalculateButtonNativeInfo(button);
  }
}

void TcxCustomEditViewData::calculateGroupEdges(TcxCustomEditViewInfo* AViewInfo) {
  if (LeftButtonsFirst >= 0) AViewInfo->Button(LeftButtonsFirst)->LeftEdge = true;
  if (LeftButtonsLast >= 0) AViewInfo->Button(LeftButtonsLast)->RightEdge = true;
  if (RightButtonsLast >= 0) AViewInfo->Button(RightButtonsLast)->LeftEdge = true;
  if (RightButtonsFirst >= 0) AViewInfo->Button(RightButtonsFirst)->RightEdge = true;
  // An innermost hot-flat button grows by a pixel towards the content, where its open
  // outline meets the text area.
  auto grow = [&](Integer AIndex, bool ALeftGroup, bool AOtherGroupEmpty) {
    if (AIndex < 0) return;
    TcxEditButtonViewInfo* button = AViewInfo->Button(AIndex);
    if (button->Style != btsHotFlat || button->NativePart != 0) return;
    if (ALeftGroup) {
      button->Bounds.right += 1;
      if (AOtherGroupEmpty && button->VisibleBounds.right + 1 <= AViewInfo->ClientRect.right)
        button->VisibleBounds.right += 1;
    } else {
      button->Bounds.left -= 1;
      if (AOtherGroupEmpty && button->VisibleBounds.left - 1 >= AViewInfo->ClientRect.left)
        button->VisibleBounds.left -= 1;
    }
  };
  grow(LeftButtonsLast, true, RightButtonsLast < 0);
  grow(RightButtonsLast, false, LeftButtonsLast < 0);
}

void TcxCustomEditViewData::CalculateButtonNativeInfo(TcxEditButtonViewInfo* AButtonViewInfo) {
  AButtonViewInfo->NativePart = 0;
  AButtonViewInfo->NativeState = 0;
  AButtonViewInfo->NativePartTransparent = false;
  if (!NativeStyle) return;
  TdxThemeClassIndex themeClass = AButtonViewInfo->SingleDropDown ? totComboBox : totButton;
  TdxTheme theme = dxGetThemeHandle(themeClass);
  if (!theme) return;
  AButtonViewInfo->NativePart = 1;  // BP_PUSHBUTTON, CP_DROPDOWNBUTTON
  static const Integer states[4] = {4, 1, 3, 2};
  AButtonViewInfo->NativeState = states[AButtonViewInfo->State];
  AButtonViewInfo->NativePartTransparent =
      dxIsThemeBackgroundPartiallyTransparent(theme, AButtonViewInfo->NativePart, AButtonViewInfo->NativeState) != 0;
}

void TcxCustomEditViewData::InternalGetFixedPartSize(TcxCanvas* ACanvas,
                                                     const TcxEditSizeProperties& AEditSizeProperties,
                                                     TSize& AMinContentSize, TSize& AFixedSize,
                                                     TcxCustomEditViewInfo* AViewInfo) {
  AFixedSize.cx = (AViewInfo->Bounds.right - AViewInfo->Bounds.left) -
                  (AViewInfo->ContentRect.right - AViewInfo->ContentRect.left);
  AFixedSize.cy = (AViewInfo->Bounds.bottom - AViewInfo->Bounds.top) -
                  (AViewInfo->ContentRect.bottom - AViewInfo->ContentRect.top);
  AMinContentSize = TSize{0, 0};
  if (!FIsInplace && !(Edit && Edit->AutoSize())) return;
  if (FIsInplace && ACanvas) {
    if (FStyle->Font()) ACanvas->SetFont(FStyle->Font());
    AViewInfo->PrepareCanvasFont(ACanvas);
  }
  Integer glyphHeight = 0;
  TcxEditButtons* buttons = FProperties->Buttons();
  for (Integer i = 0; i < buttons->Count(); ++i) {
    TcxEditButton* item = buttons->GetItem(i);
    if (item->Kind() == bkGlyph && item->HasGlyph() && !item->GetGlyph()->Empty())
      glyphHeight = std::max<Integer>(glyphHeight, item->GetGlyph()->Height());
  }
  if (glyphHeight == 0) return;
  TRect client = GetClientExtent(ACanvas);
  TcxEditButtonStyle firstStyle = AViewInfo->ButtonCount() > 0 ? AViewInfo->Button(0)->Style : btsDefault;
  Integer height = glyphHeight + client.top + client.bottom + cxGetGlyphButtonHeightExtra(firstStyle, NativeStyle);
  AMinContentSize.cy = std::max<Integer>(0, height - AFixedSize.cy);
}

void TcxCustomEditViewData::GetFixedPartSize(TcxCanvas* ACanvas, const TcxEditSizeProperties& AEditSizeProperties,
                                             TSize& AMinContentSize, TSize& AFixedSize,
                                             TcxCustomEditViewInfo* AViewInfo) {
  TObjectPtr<TcxCustomEditViewInfo> temporary;
  if (!AViewInfo) {
    temporary.reset(createOfClass<TcxCustomEditViewInfo>(FProperties->GetViewInfoClass(), nullptr));
    Calculate(ACanvas, TRect{0, 0, 2147483647, 2147483647}, TPoint{-1, -1}, cxmbNone, TShiftState(),
              temporary.get(), false);
    AViewInfo = temporary.get();
  }
  InternalGetFixedPartSize(ACanvas, AEditSizeProperties, AMinContentSize, AFixedSize, AViewInfo);
}

void TcxCustomEditViewData::GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                        const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize) {
  TSize minContent{0, 0};
  TSize fixed{0, 0};
  GetFixedPartSize(ACanvas, AEditSizeProperties, minContent, fixed, nullptr);
  TcxEditSizeProperties content = AEditSizeProperties;
  bool tooNarrow = false;
  if (AEditSizeProperties.Width >= 0) {
    content.Width = AEditSizeProperties.Width - fixed.cx;
    if (content.Width < 0) {
      content.Width = 0;
      tooNarrow = true;
    }
  }
  TSize contentSize = GetEditContentSize(ACanvas, AEditValue, content);
  cxMaxSize(contentSize, minContent);
  ASize.cx = tooNarrow ? AEditSizeProperties.Width : fixed.cx + contentSize.cx;
  ASize.cy = fixed.cy + contentSize.cy;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: construction and life.

RTL_BEGIN_CLASS(TcxCustomEdit)
  b.Message(WM_COPY, &TcxCustomEdit::WMCopy);
  b.Message(WM_CUT, &TcxCustomEdit::WMCut);
  b.Message(WM_PASTE, &TcxCustomEdit::WMPaste);
  b.Message(CM_SHOWINGCHANGED, &TcxCustomEdit::CMShowingChanged);
RTL_END_CLASS

namespace {

// The in-place flag for the editor being made through its class reference (the class
// library's virtual constructor takes only the owner).
bool pendingInplace = false;

// Sets a flag for a scope and puts the previous value back on every exit.
class FlagScope {
public:
  FlagScope(bool& AFlag, bool AValue) : flag_(AFlag), saved_(AFlag) { flag_ = AValue; }
  ~FlagScope() { flag_ = saved_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

private:
  bool& flag_;
  bool saved_;
};

// Holds one lock of a counter-like lock call pair.
template <class Lock> class LockScope {
public:
  explicit LockScope(Lock ALock) : lock_(ALock) { lock_(true); }
  ~LockScope() { lock_(false); }
  LockScope(const LockScope&) = delete;
  LockScope& operator=(const LockScope&) = delete;

private:
  Lock lock_;
};
template <class Lock> LockScope<Lock> makeLock(Lock ALock) { return LockScope<Lock>(ALock); }

}  // namespace

// Pushes the modified state and pops it on every exit.
class ModifiedStateScope {
public:
  explicit ModifiedStateScope(TcxCustomEdit* AEdit) : edit_(AEdit) { edit_->PushModifiedState(); }
  ~ModifiedStateScope() { edit_->PopModifiedState(); }
  ModifiedStateScope(const ModifiedStateScope&) = delete;
  ModifiedStateScope& operator=(const ModifiedStateScope&) = delete;

private:
  TcxCustomEdit* edit_;
};

TcxCustomEdit::TcxCustomEdit(TComponent* AOwner) : TcxContainer(AOwner), FIsInplace(pendingInplace) {
  pendingInplace = false;
  controlStyle_.Include(csCaptureMouse);
  controlStyle_.Include(csSetCaption);
  SetTabStop(true);
}

TcxCustomEdit* TcxCustomEdit::CreateInplace(TClass AClass, TComponent* AOwner, bool AIsInplace) {
  if (!AClass || !AClass->InheritsFrom(TcxCustomEdit::StaticClass())) throw EInvalidCast("Invalid class typecast");
  pendingInplace = AIsInplace;
  TObject* made;
  {
    ScopeExit atEnd([&] { pendingInplace = false; });
    made = AClass->CreateInstance(AOwner);
  }
  return static_cast<TcxCustomEdit*>(made);
}

TClass TcxCustomEdit::GetPropertiesClass() { return TcxCustomEditProperties::StaticClass(); }

TClass TcxCustomEdit::GetStyleClass() {
  return FProperties ? FProperties->GetStyleClass() : TcxCustomEditStyle::StaticClass();
}

TClass TcxCustomEdit::GetViewInfoClass() {
  return FProperties ? FProperties->GetViewInfoClass() : TcxCustomEditViewInfo::StaticClass();
}

void TcxCustomEdit::AfterConstruction() {
  // The own properties first: the style and view-info classes come from them.
  FProperties = createOfClass<TcxCustomEditProperties>(GetPropertiesClass(), static_cast<TPersistent*>(this));
  TcxContainer::AfterConstruction();
  if (auto* inner = dynamic_cast<TWinControl*>(GetInnerEditClass() ? GetInnerEditClass()->CreateInstance(static_cast<TComponent*>(this)) : nullptr)) {
    SetInnerEdit(inner);
    InitializeInnerEdit();
    SetInnerControl(inner);
  }
  FDataBinding.reset(createOfClass<TcxEditDataBinding>(GetDataBindingClass(), this));
  FAutoSize = !FIsInplace;
  FCapturedButtonIndex = -1;
  FEditValue = Null();
  GetActiveProperties()->SetOnPropertiesChanged(TNotifyEvent(this, &TcxCustomEdit::PropertiesChanged));
  if (FIsInplace) {
    TcxKeys keys = WantedKeys();
    keys.Include(kAll);
    keys.Include(kArrows);
    if (!GetInnerEditClass()) keys.Include(kTab);
    SetWantedKeys(keys);
  }
  FRepositoryListener.reset(New<TcxEditRepositoryItemListenerEditHelper>(this));
  FDblClickTimer.reset(new TTimer(nullptr));
  FDblClickTimer->SetEnabled(false);
  FDblClickTimer->SetInterval(GetDoubleClickTime());
  FDblClickTimer->SetOnTimer(TNotifyEvent(this, &TcxCustomEdit::StopDoubleClickTimer));

  // Finishing the construction: the properties follow the binding's defaults.
  if (!FIsInplace) {
    GetActiveProperties()->SetDefaultValuesProvider(FDataBinding->GetDefaultValuesProvider());
    FDataBinding->EditorReady();
  }
  PropertiesChanged(GetActiveProperties());
  FDataBinding->RefreshDisplay();
}

void TcxCustomEdit::BeforeDestruction() {
  if (FDblClickTimer) FDblClickTimer->SetEnabled(false);
  TcxContainer::BeforeDestruction();
}

TcxCustomEdit::~TcxCustomEdit() {
  FDblClickTimer.reset();
  if (FRepositoryItem) FRepositoryItem->RemoveListener(FRepositoryListener.get());
  FRepositoryItem = nullptr;
  FRepositoryListener.reset();
  FInnerEdit = nullptr;
  FInnerEditIntf = nullptr;
  if (FProperties) FProperties->SetOnPropertiesChanged(TNotifyEvent());
  // Nothing may escape a destructor; the provider reference must go before the binding.
  try {
    if (!FIsInplace && FProperties) FProperties->SetDefaultValuesProvider(nullptr);
  } catch (...) {
  }
  FDataBinding.reset();
  FModifiedStateStack.clear();
  FreeAndNil(FProperties);
}

HRESULT STDMETHODCALLTYPE TcxCustomEdit::QueryInterface(const ::IID& riid, void** obj) {
  if (FRepositoryListener && IsEqualGUID(riid, IcxEditRepositoryItemListener::IID()))
    return FRepositoryListener->QueryInterface(riid, obj);
  return TcxContainer::QueryInterface(riid, obj);
}

void TcxCustomEdit::SetInnerEdit(TWinControl* Value) {
  FInnerEdit = Value;
  FInnerEditIntf = nullptr;
  void* intf = nullptr;
  if (Value && Value->QueryInterface(IcxCustomInnerEdit::IID(), &intf) == S_OK)
    FInnerEditIntf = static_cast<IcxCustomInnerEdit*>(intf);
}

void TcxCustomEdit::InitializeInnerEdit() {
  if (!FInnerEdit) return;
  FInnerEdit->SetParent(this);
  if (FInnerEditIntf) FInnerEditIntf->SetOnChange(TNotifyEvent(this, &TcxCustomEdit::InnerEditChanged));
  FInnerEdit->SetParentShowHint(false);
}

void TcxCustomEdit::ReadState(TReader* Reader) {
  // Loading sets the properties one by one; the editor is refreshed once, after loading.
  FProperties->SetOnPropertiesChanged(TNotifyEvent());
  TcxContainer::ReadState(Reader);
}

void TcxCustomEdit::Loaded() {
  TcxContainer::Loaded();
  if (!FIsInplace) FDataBinding->EditorReady();
  AdjustInnerControlBounds();
  if (!FRepositoryItem) FProperties->SetOnPropertiesChanged(TNotifyEvent(this, &TcxCustomEdit::PropertiesChanged));
  PropertiesChanged(GetActiveProperties());
  ViewInfo()->NativeStyle = false;
  StyleChanged(Style());
}

void TcxCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TcxContainer::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FRepositoryItem) SetRepositoryItem(nullptr);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: properties and the repository link.

TcxCustomEditProperties* TcxCustomEdit::GetActiveProperties() {
  if (FRepositoryItem && !ComponentState().Contains(csReading) && !ComponentState().Contains(csWriting))
    return FRepositoryItem->Properties();
  return FProperties;
}

TcxCustomEditProperties* TcxCustomEdit::GetProperties() { return GetActiveProperties(); }

void TcxCustomEdit::SetProperties(TcxCustomEditProperties* Value) {
  if (FRepositoryItem) return;
  FProperties->Assign(Value);
}

bool TcxCustomEdit::IsRepositoryItemAcceptable(TcxEditRepositoryItem* AItem) {
  return !AItem || AItem->Properties()->InheritsFrom(GetPropertiesClass());
}

void TcxCustomEdit::SetRepositoryItem(TcxEditRepositoryItem* Value) {
  if (Value == FRepositoryItem) return;
  if (!IsRepositoryItemAcceptable(Value)) throw EcxEditError(cxGetResourceString(&scxEditRepositoryItemError));
  RepositoryItemAssigning();
  if (FRepositoryItem) {
    FRepositoryItem->RemoveListener(FRepositoryListener.get());
    FRepositoryItem->RemoveFreeNotification(this);
  }
  if (Value) {
    Value->AddListener(FRepositoryListener.get());
    Value->FreeNotification(this);
  }
  FRepositoryItem = Value;
  if (Value) {
    FRepositoryListener->ItemPropertiesChanged(Value);
    FProperties->SetOnPropertiesChanged(TNotifyEvent());
  } else {
    if (!IsLoading() && !IsDestroying())
      FProperties->SetOnPropertiesChanged(TNotifyEvent(this, &TcxCustomEdit::PropertiesChanged));
    FProperties->SetDefaultValuesProvider(FDataBinding->GetDefaultValuesProvider());
  }
  RepositoryItemAssigned();
}

void TcxCustomEdit::PropertiesChanged(TObject* Sender) {
  FValidated = false;
  // The inner edit's read-only state is set by the editors that have one, through the
  // inner-edit interface of the text editors (not part of the framework yet).
  RefreshAtCursor(false);
}

bool TcxCustomEdit::IsDestroyingOrInnerEditMissing() {
  return IsDestroying() || (GetInnerEditClass() != nullptr && !FInnerEdit);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: value, change events, states.

void TcxCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (!Value) FModifiedAfterEnter = false;
}

void TcxCustomEdit::SetModifiedAfterEnter(bool Value) {
  FModifiedAfterEnter = Value;
  if (Value) {
    FValidated = false;
    FModified = true;
  }
}

void TcxCustomEdit::PushModifiedState() { FModifiedStateStack.emplace_back(FModified, FModifiedAfterEnter); }

void TcxCustomEdit::PopModifiedState() {
  if (FModifiedStateStack.empty()) return;
  FModified = FModifiedStateStack.back().first;
  FModifiedAfterEnter = FModifiedStateStack.back().second;
  FModifiedStateStack.pop_back();
}

void TcxCustomEdit::LockClick(bool ALock) {
  if (ALock)
    ++FClickLockCount;
  else if (FClickLockCount > 0)
    --FClickLockCount;
}

void TcxCustomEdit::LockEditValueChanging(bool ALock) {
  if (ALock)
    ++FEditValueChangingLockCount;
  else if (FEditValueChangingLockCount > 0)
    --FEditValueChangingLockCount;
}

void TcxCustomEdit::LockChangeEvents(bool ALock, bool AInvokeChanged) {
  if (ALock) {
    if (FChangeEventsLockCount == 0) {
      FChangeEventPending = false;
      FEditValueChangedPending = false;
    }
    ++FChangeEventsLockCount;
    return;
  }
  if (FChangeEventsLockCount == 0) return;
  if (--FChangeEventsLockCount > 0 || !AInvokeChanged || IsLoading() || IsDestroying()) return;
  TcxCustomEditProperties* properties = GetActiveProperties();
  if (FChangeEventPending) {
    FChangeEventPending = false;
    if (properties->OnChange()) properties->OnChange()(this);
  }
  if (FEditValueChangedPending) {
    FEditValueChangedPending = false;
    if (properties->OnEditValueChanged()) properties->OnEditValueChanged()(this);
  }
}

namespace {

// Calls AEvent for AEdit; in place, with both modified flags set for the handler's sake and
// put back afterwards.
void callChangeEvent(TcxCustomEdit* AEdit, const TNotifyEvent& AEvent) {
  if (!AEdit->IsInplace()) {
    AEvent(AEdit);
    return;
  }
  ModifiedStateScope state(AEdit);
  AEdit->SetModifiedAfterEnter(true);
  AEvent(AEdit);
}

}  // namespace

void TcxCustomEdit::DoChange() {
  if (IsLoading() || IsDestroying()) return;
  TcxCustomEditProperties* properties = GetActiveProperties();
  if (properties->OnChange()) {
    if (AreChangeEventsLocked())
      FChangeEventPending = true;
    else
      callChangeEvent(this, properties->OnChange());
  }
  if (!properties->FiresChangeSeparately() && !properties->CanCompareEditValue()) DoEditValueChanged();
}

void TcxCustomEdit::DoEditValueChanged() {
  if (IsLoading() || IsDestroying()) return;
  TcxCustomEditProperties* properties = GetActiveProperties();
  if (!properties->OnEditValueChanged()) return;
  if (AreChangeEventsLocked())
    FEditValueChangedPending = true;
  else
    callChangeEvent(this, properties->OnEditValueChanged());
}

void TcxCustomEdit::MarkModifiedAndClick() {
  SetModifiedAfterEnter(true);
  if (!IsClickLocked()) Click();
}

void TcxCustomEdit::SetEditValue(const Variant& Value) {
  if (FEditValueChangingLockCount > 0) return;
  auto lock = makeLock([this](bool ALock) { LockClick(ALock); });
  if (!FIsUserChange || RequestEditing()) InternalSetEditValue(Value);
}

void TcxCustomEdit::SetInternalEditValue(const Variant& Value) {
  if (FEditValueChangingLockCount == 0 && (!FIsUserChange || RequestEditing())) InternalSetEditValue(Value);
}

void TcxCustomEdit::InternalSetEditValue(const Variant& Value) {
  if (FIsUserChange && !RequestEditing()) return;
  TcxCustomEditProperties* properties = GetActiveProperties();
  bool changed = false;
  if (properties->CanCompareEditValue())
    changed = VarType(FEditValue) != VarType(Value) || !cxVariantsEqual(FEditValue, Value);
  FEditValue = Value;
  SyncDisplayFromEditValue();
  if (FIsUserChange)
    SetModifiedAfterEnter(true);
  else
    SetModified(false);
  if (changed) {
    DoEditValueChanged();
    if (!properties->FiresChangeSeparately()) DoChange();
  }
}

void TcxCustomEdit::SetDisplayValue(const Variant& Value) {
  ModifiedStateScope state(this);
  InternalSetDisplayValue(Value);
}

void TcxCustomEdit::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AFocused) {
  GetActiveProperties()->ConvertEditToDisplayValue(AEditValue, ADisplayValue, AFocused);
}

bool TcxCustomEdit::IsValidChar(char AChar) {
  IcxEditDefaultValuesProvider* provider = GetActiveProperties()->DefaultValuesProvider();
  return provider ? provider->IsValidChar(AChar) : true;
}

bool TcxCustomEdit::RequestEditing() {
  if (!IsEditingSupported()) return false;
  if (FDataBinding->IsModified()) return true;
  auto lock = makeLock([this](bool ALock) { LockEditValueChanging(ALock); });
  bool answer = CanModify();
  if (answer && FOnEditing) FOnEditing(this, answer);
  if (answer && !FIsInplace) answer = FDataBinding->RequestEditMode();
  return answer;
}

bool TcxCustomEdit::CanModify() {
  TcxCustomEditProperties* properties = GetActiveProperties();
  if (FIsInplace) return properties->CanModify();
  if (properties->IsReadOnlyStored()) return !properties->GetReadOnly();
  IcxEditDefaultValuesProvider* provider = FDataBinding->GetDefaultValuesProvider();
  return provider && provider->DefaultCanModify() && FDataBinding->CanModify();
}

bool TcxCustomEdit::ValidateInput(bool ARaiseExceptionOnError) {
  if (!FModifiedAfterEnter || FValidated) return true;
  Variant displayValue(GetDisplayText());
  std::string errorText;
  bool error = false;
  TcxCustomEditProperties* properties = GetActiveProperties();
  if (properties->CanValidate()) properties->ValidateDisplayValue(displayValue, errorText, error, this);
  if (error) {
    // Whatever happens, the text a validation handler produced is what the editor shows.
    auto showHandlerValue = [&]() {
      if (AnsiCompareStr(GetDisplayText(), VarToStr(displayValue)) == 0) return;
      SetInternalDisplayValue(displayValue);
      if (Visible()) {
        SelectAllText();
        if (!IsInnerEditVisible()) RefreshDrawnText();
      }
    };
    {
      ScopeExit atEnd([&] { showHandlerValue(); });
      if (ARaiseExceptionOnError) HandleValidationError(errorText);
    }
    return false;
  }
  if (!FIsUserChange || RequestEditing()) SetDisplayValue(displayValue);
  // While the editor is being left it still counts as focused: the exit posts what passed.
  if (!FIsInplace && !Focused() && !FIsExiting) SetModifiedAfterEnter(false);
  FValidated = true;
  return true;
}

void TcxCustomEdit::HandleValidationError(const std::string& AErrorText) {
  // A hidden form cannot take the focus; the error itself must still be raised.
  if (!Focused() && Showing() && CanFocus()) {
    FlagScope errorFocus(FIsErrorFocusing, true);
    if (FInnerEdit && FInnerEdit->CanFocus())
      FInnerEdit->SetFocus();
    else
      SetFocus();
  }
  if (Visible()) SelectAllText();
  if (GetActiveProperties()->BeepOnError()) Beep();
  if (!AErrorText.empty()) throw EcxEditError(AErrorText);
}

bool TcxCustomEdit::CanPostEditValue() {
  return FDataBinding->IsModified() && !ComponentState().Contains(csDesigning);
}

namespace {

// BeforePosting and AfterPosting around one posting, on every exit.
class PostingScope {
public:
  explicit PostingScope(TcxCustomEdit* AEdit) : edit_(AEdit) { edit_->BeforePosting(); }
  ~PostingScope() { edit_->AfterPosting(); }
  PostingScope(const PostingScope&) = delete;
  PostingScope& operator=(const PostingScope&) = delete;

private:
  TcxCustomEdit* edit_;
};

}  // namespace

void TcxCustomEdit::PostEditValue(bool AValidateFirst) {
  if (AValidateFirst) {
    FlagScope userChange(FIsUserChange, false);
    if (!ValidateInput(true)) return;
  }
  try {
    PostingScope posting(this);
    if (FIsInplace) {
      DoPostValueEvent();
      SetModified(false);
    } else {
      FDataBinding->StoreValue(GetEditValue());
    }
  } catch (...) {
    // A value that did not reach its data is never dropped in silence: a standalone editor
    // takes the focus, selects its text and beeps as configured; in place the host sees
    // the failure too, and the value stays modified in the editor.
    if (!FIsInplace) HandleValidationError(std::string());
    throw;
  }
}

void TcxCustomEdit::DoPostValueEvent() {
  if (FOnPostEditValue) FOnPostEditValue(this);
}

void TcxCustomEdit::Reset() {
  if (!FModifiedAfterEnter || !GetActiveProperties()->CanResetEditValue()) return;
  {
    auto lock = makeLock([this](bool ALock) { LockChangeEvents(ALock, true); });
    FModifiedAfterEnter = false;
    SetInternalEditValue(FPrevEditValue);
    FModified = true;
    SelectAllText();
  }
  if (GetActiveProperties()->ImmediatePost() && CanPostEditValue()) PostEditValue(false);
}

bool TcxCustomEdit::ExecuteAction(TBasicAction* Action) {
  return TcxContainer::ExecuteAction(Action) || FDataBinding->ExecuteDataAction(Action);
}

bool TcxCustomEdit::UpdateAction(TBasicAction* Action) {
  return TcxContainer::UpdateAction(Action) || FDataBinding->UpdateDataAction(Action);
}

void TcxCustomEdit::InnerEditChanged(TObject* Sender) {
  if (Focused()) SetModifiedAfterEnter(true);
  DoChange();
}

void TcxCustomEdit::GetEditSizeProperties(TcxEditSizeProperties& AProperties) {
  AProperties.MaxLineCount = 1;
  AProperties.Width = Width();
}

void TcxCustomEdit::ClickDefaultButton() {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  for (Integer i = 0; i < vi->ButtonCount(); ++i)
    if (vi->Button(i)->Default) {
      DoButtonClick(i);
      return;
    }
}

void TcxCustomEdit::DoButtonClick(Integer AButtonVisibleIndex) {
  TcxCustomEditProperties* properties = GetActiveProperties();
  if (!properties->OnButtonClick()) return;
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= vi->ButtonCount()) return;
  properties->OnButtonClick()(this, vi->Button(AButtonVisibleIndex)->ButtonIndex);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: keys.

bool TcxCustomEdit::IsClickKey(Word Key, TShiftState Shift) {
  return GetViewInfo()->ButtonCount() > 0 && ShortCut(Key, Shift) == GetActiveProperties()->ClickKey();
}

void TcxCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  FEscapeResetPending = false;
  if (!IsClickKey(Key, Shift)) {
    TcxControl* guard = this;
    AddDestroyGuard(&guard);
    TcxContainer::KeyDown(Key, Shift);
    if (!guard) return;
    RemoveDestroyGuard(&guard);
  }
  if (Key != 0) DoEditKeyDown(Key, Shift);
}

void TcxCustomEdit::HandleClearKey(Word& Key, TShiftState Shift) {
  TShortCut clearKey = GetActiveProperties()->ClearKey();
  if (clearKey == 0 || ShortCut(Key, Shift) != clearKey) return;
  {
    FlagScope userChange(FIsUserChange, true);
    SetInternalEditValue(Null());
  }
  FValidated = true;
  Key = 0;
}

void TcxCustomEdit::HandleClickKey(Word& Key, TShiftState Shift) {
  if (GetViewInfo()->ButtonCount() == 0 || ShortCut(Key, Shift) != GetActiveProperties()->ClickKey()) return;
  if (HandleAllocated()) cxRemovePendingChar(WindowHandle());
  ClickDefaultButton();
  Key = 0;
}

void TcxCustomEdit::DoAfterKeyDown(Word& Key, TShiftState Shift) {
  if (FOnAfterKeyDown) FOnAfterKeyDown(this, Key, Shift);
}

bool TcxCustomEdit::CanKeyDownModify(Word Key, TShiftState Shift) {
  return FDataBinding->IsModified() || !IsModifyingKey(Key, Shift) || RequestEditing();
}

void TcxCustomEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (Key == 0) return;
  HandleClearKey(Key, Shift);
  if (Key == 0) return;
  HandleClickKey(Key, Shift);
  if (Key == 0) return;
  if (!CanKeyDownModify(Key, Shift)) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  switch (Key) {
    case VK_TAB:
      if (Focused() && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) && !GetActiveProperties()->HandlesTabKey()) {
        DoAfterKeyDown(Key, Shift);
        if (Key == 0) return;
        Key = 0;
        if (FIsInplace || !HasPopupWindow()) {
          TCustomForm* form = GetParentForm(this);
          if (form) form->SelectNext(form->ActiveControl(), !Shift.Contains(ssShift), true);
        }
        if (HandleAllocated() && GetFocus() == WindowHandle() && FInnerEdit) FocusInnerControl();
        return;
      }
      break;
    case VK_RETURN:
      if (GetActiveProperties()->ValidateOnEnter()) {
        Key = 0;
        auto lock = makeLock([this](bool ALock) { LockChangeEvents(ALock, true); });
        if (ValidateInput(true) && CanPostEditValue()) PostEditValue(false);
      }
      break;
    case VK_ESCAPE:
      if (FModifiedAfterEnter) {
        Reset();
        FEscapeResetPending = true;
        Key = 0;
      }
      break;
    default:
      break;
  }
  if (Key == 0 || HandlesNavigationKeys()) return;
  if (Key >= VK_PRIOR && Key <= VK_DOWN) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
  }
}

void TcxCustomEdit::KeyPress(char& Key) {
  if (Key == '\x1b' && FEscapeResetPending) {
    FEscapeResetPending = false;
    Key = 0;
    return;
  }
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxContainer::KeyPress(Key);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  if (Key != 0) DoEditKeyPress(Key);
}

void TcxCustomEdit::ValidateKeyPress(char& Key) {
  if (static_cast<unsigned char>(Key) >= 32 && !IsValidChar(Key)) {
    Key = 0;
    return;
  }
  if (!FDataBinding->IsModified() && IsModifyingChar(Key) && !RequestEditing()) Key = 0;
}

void TcxCustomEdit::KeyUp(Word& Key, TShiftState Shift) {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxContainer::KeyUp(Key, Shift);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  if (Key != 0) DoEditKeyUp(Key, Shift);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: focus.

namespace {

// Entering the editor saves the modified state and, whatever happens, puts it back and
// starts without a modification since entry.
class EnterScope {
public:
  explicit EnterScope(TcxCustomEdit* AEdit) : edit_(AEdit) { edit_->PushModifiedState(); }
  ~EnterScope() {
    edit_->PopModifiedState();
    if (edit_->ModifiedAfterEnter()) edit_->SetModifiedAfterEnterFlag(false);
  }
  EnterScope(const EnterScope&) = delete;
  EnterScope& operator=(const EnterScope&) = delete;

private:
  TcxCustomEdit* edit_;
};

}  // namespace

void TcxCustomEdit::DoEnter() {
  if (IsDestroying()) return;
  if (!FIsErrorFocusing) {
    EnterScope scope(this);
    TcxContainer::DoEnter();
    if (NeedsDataRefreshOnFocus()) FDataBinding->RefreshDisplay();
    if (GetActiveProperties()->CanResetEditValue()) FPrevEditValue = FEditValue;
    if (NeedsDataRefreshOnFocus()) SyncDisplayFromEditValue();
  }
  RefreshAtCursor(false);
}

void TcxCustomEdit::DoExit() {
  FlagScope userChange(FIsUserChange, false);
  ProcessExit(true);
}

void TcxCustomEdit::ProcessExit(bool AFireExitEvent) {
  if (IsDestroying() || FIsErrorFocusing) return;
  {
    FlagScope exiting(FIsExiting, true);
    ModifiedStateScope state(this);
    if (FModifiedAfterEnter) {
      auto lock = makeLock([this](bool ALock) { LockChangeEvents(ALock, true); });
      if (!ValidateInput(true)) return;
      if (!FIsInplace && CanPostEditValue()) PostEditValue(false);
    }
    if (NeedsDataRefreshOnFocus()) FDataBinding->RefreshDisplay();
    RefreshDrawnText();
    RefreshAtCursor(false);
  }
  struct ClearOnExit {
    TcxCustomEdit* Edit;
    ~ClearOnExit() { Edit->SetModifiedAfterEnterFlag(false); }
  } clear{this};
  if (AFireExitEvent) TcxContainer::DoExit();
}

void TcxCustomEdit::FocusChanged() {
  if (IsDestroying() || FIsErrorFocusing) return;
  bool focusedAndActive = Focused() && Application && Application->Active();
  if (focusedAndActive != FFocusedAndActive) {
    FFocusedAndActive = focusedAndActive;
    TcxContainer::FocusChanged();
    RefreshDrawnText();
  }
  TCustomForm* form = GetParentForm(this);
  if (form && !form->Visible() && form->FormState().Contains(fsModal) && form->ModalResult() != 0 &&
      form->ModalResult() != mrCancel)
    ValidateInput(false);
}

bool TcxCustomEdit::IsFocusedOrActive() {
  if (Focused()) return true;
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  return form->ActiveControl() == this || (FInnerEdit && form->ActiveControl() == FInnerEdit);
}

void TcxCustomEdit::CreateWnd() {
  TcxContainer::CreateWnd();
  if (FInnerEdit && Focused()) FocusInnerControl();
}

void TcxCustomEdit::FocusInnerControl() {
  if (FInnerEdit && FInnerEdit->CanFocus()) FInnerEdit->SetFocus();
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: mouse.

void TcxCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && FDblClickTimer && FDblClickTimer->Enabled()) {
    FDblClickTimer->SetEnabled(false);
    if (GetButtonIndexAt(TPoint{X, Y}) == -1) DblClick();
  }
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxContainer::MouseDown(Button, Shift, X, Y);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  if (Button == mbLeft && HandleAllocated() && GetCapture() == WindowHandle()) {
    Integer index = GetButtonIndexAt(TPoint{X, Y});
    if (index >= 0 && GetViewInfo()->Button(index)->State == ebsPressed) FCapturedButtonIndex = index;
  }
}

void TcxCustomEdit::MouseLeave(TControl* AControl) {
  TcxContainer::MouseLeave(AControl);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  for (Integer i = 0; i < vi->ButtonCount(); ++i) {
    TcxEditButtonViewInfo* button = vi->Button(i);
    if (button->State != ebsSelected) continue;
    button->State = ebsNormal;
    if (button->NativePart != 0) button->NativeState = 1;
    if (HandleAllocated()) InvalidateRect(WindowHandle(), &button->Bounds, TRUE);
  }
}

void TcxCustomEdit::Click() {
  if (IsDestroying() || FClickLockCount > 0) return;
  if (IsLoading() && !CanClickWhileLoading()) return;
  TcxContainer::Click();
}

void TcxCustomEdit::DblClick() {
  TPoint p = HandleAllocated() ? ScreenToClient(cxCurrentCursorPos()) : TPoint{-1, -1};
  if (GetButtonIndexAt(p) == -1) {
    TcxContainer::DblClick();
    return;
  }
  TShiftState shift = cxGetKeyboardShiftState();
  shift.Include(ssLeft);
  MouseDown(mbLeft, shift, p.x, p.y);
  Click();
}

Integer TcxCustomEdit::GetButtonIndexAt(const TPoint& P) {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  for (Integer i = 0; i < vi->ButtonCount(); ++i)
    if (PtInRect(&vi->Button(i)->Bounds, P)) return i;
  return -1;
}

void TcxCustomEdit::ProcessViewInfoChanges(TcxCustomEditViewInfo* AOld) {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (AOld->PressedButton == vi->PressedButton && AOld->SelectedButton == vi->SelectedButton) return;
  if (AOld->PressedButton != -1) {
    DoButtonUp(AOld->PressedButton);
    if (AOld->PressedButton == vi->SelectedButton) DoButtonClick(AOld->PressedButton);
  }
  if (vi->PressedButton != -1 && AOld->PressedButton == -1) DoButtonDown(vi->PressedButton);
}

bool TcxCustomEdit::CanUseMouseWheel(TShiftState AShift) {
  return !FIsInplace || GetActiveProperties()->UseMouseWheel() || AShift.Contains(ssCtrl);
}

void TcxCustomEdit::StopDoubleClickTimer(TObject* Sender) {
  if (FDblClickTimer) FDblClickTimer->SetEnabled(false);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: clipboard messages.

void TcxCustomEdit::WMCopy(TMessage& Message) { CopyToClipboard(); }

void TcxCustomEdit::WMCut(TMessage& Message) {
  FlagScope userChange(FIsUserChange, true);
  if (GetActiveProperties()->GetReadOnly())
    CopyToClipboard();
  else
    CutToClipboard();
}

void TcxCustomEdit::WMPaste(TMessage& Message) {
  if (GetActiveProperties()->GetReadOnly()) return;
  FlagScope userChange(FIsUserChange, true);
  PasteFromClipboard();
}

void TcxCustomEdit::CMShowingChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (Showing()) AdjustInnerControlBounds();
}

void TcxCustomEdit::WndProc(TMessage& Message) {
  // While the window shape is being set the frame stays as it is.
  if (Message.Msg == WM_NCCALCSIZE && FUpdatingShape) {
    Message.Result = 0;
    return;
  }
  TcxContainer::WndProc(Message);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: view recalculation and size.

TcxCustomEditViewData* TcxCustomEdit::CreateViewData() {
  TcxCustomEditViewData* viewData = GetActiveProperties()->CreateViewData(GetStyle(), FIsInplace);
  viewData->Edit = IsDestroyingOrInnerEditMissing() ? nullptr : this;
  viewData->WindowHandle = HandleAllocated() ? WindowHandle() : nullptr;
  return viewData;
}

void TcxCustomEdit::InitializeViewData(TcxCustomEditViewData* AViewData) {
  AViewData->Enabled = Enabled();
  AViewData->Focused = IsFocusedForDisplay();
  AViewData->HScrollBar = (HScrollBar() && HScrollBar()->Visible()) ? HScrollBar() : nullptr;
  AViewData->VScrollBar = (VScrollBar() && VScrollBar()->Visible()) ? VScrollBar() : nullptr;
  AViewData->InnerEdit = FInnerEdit;
  AViewData->IsDesigning = IsDesigning();
}

void TcxCustomEdit::CalculateEditViewInfo(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                          bool AIsMouseEvent) {
  TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData());
  InitializeViewData(viewData.get());
  viewData->Calculate(GetCanvas(), TRect{0, 0, Width(), Height()}, P, AButton, AShift, GetViewInfo(), AIsMouseEvent);
}

void TcxCustomEdit::CalculateViewInfo(const TPoint& P, bool AHotTestAllowed) {
  CalculateEditViewInfo(P, cxmbNone, AHotTestAllowed ? TShiftState() : TShiftState{ssLeft}, false);
}

void TcxCustomEdit::CalculateViewInfoAtCursor() {
  TPoint p = HandleAllocated() ? ScreenToClient(cxCurrentCursorPos()) : TPoint{-1, -1};
  CalculateEditViewInfo(p, cxmbNone, cxGetKeyboardShiftState(), false);
}

bool TcxCustomEdit::RefreshContainer(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                     bool AIsMouseEvent) {
  if (!HandleAllocated() || ControlState().Contains(csDestroyingHandle) || IsDestroying()) return false;
  if (FCapturedButtonIndex != -1 && GetCapture() != WindowHandle()) FCapturedButtonIndex = -1;
  TObjectPtr<TcxCustomEditViewInfo> copy;
  if (AIsMouseEvent) {
    copy.reset(createOfClass<TcxCustomEditViewInfo>(GetActiveProperties()->GetViewInfoClass(), nullptr));
    copy->AssignFrom(GetViewInfo());
  }
  CalculateEditViewInfo(P, AButton, AShift, AIsMouseEvent);
  TRect excluded{0, 0, 0, 0};
  if (FInnerEdit && FInnerEdit->Visible()) excluded = FInnerEdit->BoundsRect();
  bool changed = GetViewInfo()->Repaint(this, copy.get(), excluded);
  if (copy && !changed) return false;
  AdjustInnerControlBounds();
  {
    FlagScope shape(FUpdatingShape, true);
    cxSetEditWindowRegion(GetViewInfo(), this);
  }
  if (copy) ProcessViewInfoChanges(copy.get());
  return true;
}

TRect TcxCustomEditViewInfo::ClientAreaWithoutButtons() const {
  TRect area = ClientRect;
  for (const auto& button : ButtonsInfo) {
    if (IsRectEmpty(&button->VisibleBounds)) continue;
    if (button->LeftAlignment)
      area.left = std::max<LONG>(area.left, button->VisibleBounds.right);
    else
      area.right = std::min<LONG>(area.right, button->VisibleBounds.left);
  }
  if (area.right < area.left) area.right = area.left;
  return area;
}

void TcxCustomEdit::AdjustInnerControlBounds() {
  if (!HandleAllocated()) return;
  TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData());
  InitializeViewData(viewData.get());
  TRect extent = viewData->GetEditExtent(GetViewInfo());
  TcxEditSizeProperties sizeProperties;
  GetEditSizeProperties(sizeProperties);
  TSize size{0, 0};
  viewData->GetEditSize(GetCanvas(), GetEditValue(), sizeProperties, size);
  if (FAutoSize && CanAutoSizeEditor()) {
    Integer width = CanAutoWidth() ? size.cx : Width();
    if (size.cy != Height() || width != Width()) SetBounds(Left(), Top(), width, size.cy);
  }
  if (FInnerEdit) AdjustInnerEditPosition(Height() - extent.top - extent.bottom);
}

void TcxCustomEdit::AdjustInnerEditPosition(Integer AHeight) {
  if (!FInnerEdit) return;
  const TRect& client = GetViewInfo()->ClientRect;
  FInnerEdit->SetBounds(client.left, client.top, client.right - client.left, client.bottom - client.top);
  Realign();
}

bool TcxCustomEdit::CanResize(Integer& NewWidth, Integer& NewHeight) {
  bool allowed = TcxContainer::CanResize(NewWidth, NewHeight);
  if (allowed && FAutoSize && !IsLoading() && HandleAllocated() && CanAutoSizeEditor()) {
    TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData());
    InitializeViewData(viewData.get());
    TcxEditSizeProperties sizeProperties;
    GetEditSizeProperties(sizeProperties);
    sizeProperties.Width = NewWidth;
    TSize size{0, 0};
    viewData->GetEditSize(GetCanvas(), GetEditValue(), sizeProperties, size);
    NewHeight = size.cy;
  }
  return allowed;
}

void TcxCustomEdit::SetAutoSize(bool Value) {
  if (FIsInplace || Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) {
    AdjustInnerControlBounds();
    RefreshAtCursor(false);
  }
}

TRect TcxCustomEdit::GetHotTrackArea() { return cxGetEditHotTrackArea(GetViewInfo(), TRect{0, 0, Width(), Height()}); }

// ---------------------------------------------------------------------------------------
// TcxCustomEdit: in-place activation.

void TcxCustomEdit::InitializeEditDataIfCleared(TcxCustomEditData* AData) {
  if (!AData || AData != FEditData || !AData->Cleared()) return;
  InitializeEditData(AData);
  AData->SetCleared(false);
}

void TcxCustomEdit::Activate(TcxCustomEditData*& AEditData) {
  if (!AEditData && GetEditDataClass()) AEditData = static_cast<TcxCustomEditData*>(GetEditDataClass()->CreateInstance(this));
  FEditData = AEditData;
  InitializeEditDataIfCleared(AEditData);
  SetVisible(true);
  if (HandleAllocated() && CanFocus()) {
    SetFocus();
    if (GetActiveProperties()->AutoSelect()) SelectAllText();
  }
  SyncDisplayFromEditValue();
  SetModified(false);
}

void TcxCustomEdit::ActivateByKey(char AKey, TcxCustomEditData*& AEditData) {
  SubclassInnerEdit();
  struct Restore {
    TcxCustomEdit* Edit;
    ~Restore() { Edit->RestoreInnerEditWindowProc(); }
  } restore{this};
  Activate(AEditData);
  if (CanSendActivationChar(AKey)) cxSendChar(this, AKey);
}

void TcxCustomEdit::ActivateByMouse(TShiftState AShift, Integer X, Integer Y, TcxCustomEditData*& AEditData) {
  Activate(AEditData);
  TPoint p{X - Left(), Y - Top()};
  if (HandleAllocated()) {
    LPARAM point = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    if (AShift.Contains(ssLeft)) {
      SendMessageA(WindowHandle(), WM_LBUTTONDOWN, cxShiftStateToMouseKeys(AShift), point);
      if (GetCapture() == WindowHandle() && !(GetKeyState(VK_LBUTTON) & 0x8000)) ReleaseCapture();
    } else {
      SendMessageA(WindowHandle(), WM_LBUTTONUP, cxShiftStateToMouseKeys(AShift), point);
    }
  }
  if (FDblClickTimer) FDblClickTimer->SetEnabled(true);
}

bool TcxCustomEdit::Deactivate() {
  ValidateInput(true);
  SyncDisplayFromEditValue();
  FValidated = true;
  return true;
}

namespace {
const char* const innerEditProp = "cxEditInnerEditOwner";
}

LRESULT CALLBACK TcxCustomEdit::innerEditSubclassProc(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
  auto* edit = static_cast<TcxCustomEdit*>(GetPropA(AWnd, innerEditProp));
  if (!edit || !edit->FSavedInnerEditWndProc) return DefWindowProcA(AWnd, AMsg, AWParam, ALParam);
  TMessage message{AMsg, AWParam, ALParam, 0};
  try {
    edit->CallInnerEditWindowProc(message);
  } catch (...) {
    if (Application) Application->HandleException(edit);
  }
  return message.Result;
}

void TcxCustomEdit::SubclassInnerEdit() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || FSavedInnerEditWndProc) return;
  HWND wnd = FInnerEdit->WindowHandle();
  SetPropA(wnd, innerEditProp, this);
  FSavedInnerEditWndProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&innerEditSubclassProc)));
}

void TcxCustomEdit::CallInnerEditWindowProc(TMessage& Message) {
  if (!FInnerEdit || !FSavedInnerEditWndProc) return;
  Message.Result = CallWindowProcA(FSavedInnerEditWndProc, FInnerEdit->WindowHandle(), Message.Msg, Message.WParam,
                                   Message.LParam);
}

void TcxCustomEdit::RestoreInnerEditWindowProc() {
  if (!FSavedInnerEditWndProc) return;
  if (FInnerEdit && FInnerEdit->HandleAllocated()) {
    HWND wnd = FInnerEdit->WindowHandle();
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FSavedInnerEditWndProc));
    RemovePropA(wnd, innerEditProp);
  }
  FSavedInnerEditWndProc = nullptr;
}

TcxContainerStyleValues TcxCustomEdit::GetUnusedStyleValues() {
  return TcxContainerStyleValues{svButtonStyle, svButtonTransparency, svPopupBorderStyle};
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditData.

RTL_IMPLEMENT_CLASS(TcxCustomEditData)

TcxCustomEditData::TcxCustomEditData(TcxCustomEdit* AEdit) : FEdit(AEdit) {
  FFreeNotificator.reset(New<TcxFreeNotificator>(nullptr));
  FFreeNotificator->SetOnFreeNotification(
      TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomEditData::EditFreed));
  if (AEdit) FFreeNotificator->AddSender(AEdit);
  Clear();
}

TcxCustomEditData::~TcxCustomEditData() = default;

void TcxCustomEditData::Clear() {
  FCleared = true;
  if (FEdit) FEdit->InitializeEditDataIfCleared(this);
}

void TcxCustomEditData::EditFreed(TComponent* Sender) {
  if (Sender == FEdit) FEdit = nullptr;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditPropertiesValues.

RTL_BEGIN_CLASS(TcxCustomEditPropertiesValues)
  b.Property("ReadOnly", &TcxCustomEditPropertiesValues::ReadOnly, &TcxCustomEditPropertiesValues::SetReadOnly)
      .Default(false);
RTL_END_CLASS

void TcxCustomEditPropertiesValues::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxCustomEditPropertiesValues*>(Source)) {
    FReadOnly = src->ReadOnly();
    return;
  }
  inherited::Assign(Source);
}

void TcxCustomEditPropertiesValues::RestoreDefaults() { FReadOnly = false; }

// ---------------------------------------------------------------------------------------
// TcxEditAlignment.

RTL_BEGIN_CLASS(TcxEditAlignment)
  b.Property("Horz", &TcxEditAlignment::Horz, &TcxEditAlignment::SetHorz)
      .NoDefaultValue()
      .Stored(&TcxEditAlignment::IsHorzAssigned);
  b.Property("Vert", &TcxEditAlignment::Vert, &TcxEditAlignment::SetVert)
      .NoDefaultValue()
      .Stored(&TcxEditAlignment::IsVertStored);
RTL_END_CLASS

void TcxEditAlignment::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxEditAlignment*>(Source)) {
    FVert = src->FVert;
    FHorz = src->FHorz;
    FIsHorzAssigned = src->FIsHorzAssigned;
    DoChanged();
    return;
  }
  inherited::Assign(Source);
}

TPersistent* TcxEditAlignment::GetOwner() { return FOwner; }

void TcxEditAlignment::SetHorz(TAlignment Value) {
  if (FIsHorzAssigned && FHorz == Value) return;
  FHorz = Value;
  FIsHorzAssigned = true;
  DoChanged();
}

void TcxEditAlignment::SetIsHorzAssigned(bool Value) {
  if (FIsHorzAssigned == Value) return;
  FIsHorzAssigned = Value;
  DoChanged();
}

void TcxEditAlignment::SetVert(TcxEditVertAlignment Value) {
  if (FVert == Value) return;
  FVert = Value;
  DoChanged();
}

void TcxEditAlignment::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: life.

RTL_IMPLEMENT_CLASS(TcxCustomEditProperties)

TcxCustomEditProperties::TcxCustomEditProperties(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {
  if (cxEditPropertiesList) cxEditPropertiesList->Add(this);
  try {
    FFreeNotificator = New<TcxFreeNotificator>(nullptr);
    FFreeNotificator->SetOnFreeNotification(
        TcxFreeNotificator::TFreeNotificationEvent(this, &TcxCustomEditProperties::ComponentFreed));
    FIAlignment = New<TcxEditAlignment>(this);
    FIAlignment->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::AlignmentChanged));
    FButtons = New<TcxEditButtons>(this);
    FButtons->SetOnChange(TNotifyEvent(this, &TcxCustomEditProperties::ButtonsChanged));
    FAlignment = New<TcxEditAlignment>(this);
  } catch (...) {
    FreeAndNil(FAlignment);
    FreeAndNil(FButtons);
    FreeAndNil(FIAlignment);
    FreeAndNil(FFreeNotificator);
    if (cxEditPropertiesList) cxEditPropertiesList->Remove(this);
    throw;
  }
}

void TcxCustomEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  // The class's own answers are reachable only now.
  FAssignedValues = static_cast<TcxCustomEditPropertiesValues*>(GetAssignedValuesClass()->CreateInstance());
  FUseLeftAlignmentOnEditing = DefaultUseLeftAlignmentOnEditing();
}

TcxCustomEditProperties::~TcxCustomEditProperties() {
  detachProviderChangeEvent(FDefaultValuesProvider, this);
  replaceProviderReference(FDefaultValuesProvider, nullptr);
  FreeAndNil(FButtons);
  FreeAndNil(FAlignment);
  FreeAndNil(FAssignedValues);
  FreeAndNil(FIAlignment);
  FreeAndNil(FFreeNotificator);
  if (cxEditPropertiesList) cxEditPropertiesList->Remove(this);
}

void TcxCustomEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  // Copying onto itself would empty the buttons before reading them.
  if (src == this) return;
  UpdateLock lock(this);
  SetAutoSelect(src->AutoSelect());
  FButtons->Assign(src->Buttons());
  FBeepOnError = src->BeepOnError();
  FClearKey = src->ClearKey();
  FClickKey = src->ClickKey();
  FUseLeftAlignmentOnEditing = src->UseLeftAlignmentOnEditing();
  // The provider is shared as it is; its change event keeps its listener.
  replaceProviderReference(FDefaultValuesProvider, src->DefaultValuesProvider());
  SetAlignment(src->GetAlignment());
  FAssignedValues->SetReadOnly(false);
  if (src->IsReadOnlyStored()) SetReadOnly(src->GetReadOnly());
  FImmediatePost = src->ImmediatePost();
  FUseMouseWheel = src->UseMouseWheel();
  FValidateOnEnter = src->ValidateOnEnter();
  FOnButtonClick = src->OnButtonClick();
  FOnChange = src->OnChange();
  FOnEditValueChanged = src->OnEditValueChanged();
  FOnValidate = src->OnValidate();
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: change notification.

void TcxCustomEditProperties::Changed() {
  if (IsChangeLocked()) return;
  if (auto* owner = dynamic_cast<TComponent*>(GetOwner()))
    if (owner->ComponentState().Contains(csDestroying)) return;
  if (FOnPropertiesChanged) FOnPropertiesChanged(this);
}

void TcxCustomEditProperties::EndUpdate(bool AInvoke) {
  if (FLockCount <= 0) return;
  --FLockCount;
  if (FLockCount == 0 && AInvoke) Changed();
}

void TcxCustomEditProperties::ButtonsChanged(TObject* Sender) { Changed(); }

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: alignment.

void TcxCustomEditProperties::AlignmentChanged(TObject* Sender) {
  FAlignment->Assign(FIAlignment);
  Changed();
}

void TcxCustomEditProperties::SetAlignment(TcxEditAlignment* Value) {
  FAlignment->Assign(Value);
  Changed();
}

TcxEditAlignment* TcxCustomEditProperties::GetAlignment() {
  // The shown alignment is refilled silently, then listens again; it listens again also
  // when asking the provider fails.
  FIAlignment->SetOnChanged(TNotifyEvent());
  {
    ScopeExit atEnd([&] { FIAlignment->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::AlignmentChanged)); });
    FIAlignment->Assign(FAlignment);
    TComponent* ownerComponent = cxGetOwnerComponent(this);
    const bool writingStored =
        IsAlignmentStored() && ownerComponent && ownerComponent->ComponentState().Contains(csWriting);
    // An unassigned Horz shows what the bound data suggests, without counting as assigned.
    if (!writingStored && !FAlignment->IsHorzAssigned()) FIAlignment->FHorz = GetDefaultHorzAlignment();
  }
  return FIAlignment;
}

bool TcxCustomEditProperties::IsAlignmentStored() const {
  return FAlignment->IsHorzAssigned() || FAlignment->Vert() != taTopJustify;
}

TAlignment TcxCustomEditProperties::GetDefaultHorzAlignment() {
  if (FDefaultValuesProvider) return FDefaultValuesProvider->DefaultAlignment();
  return FIAlignment->Horz();
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: read-only state and settings.

bool TcxCustomEditProperties::GetReadOnly() {
  if (FAssignedValues->ReadOnly()) return FReadOnly;
  if (FDefaultValuesProvider) return FDefaultValuesProvider->DefaultReadOnly();
  return false;
}

void TcxCustomEditProperties::SetReadOnly(bool Value) {
  if (FAssignedValues->ReadOnly() && FReadOnly == Value) return;
  FAssignedValues->SetReadOnly(true);
  FReadOnly = Value;
  Changed();
}

bool TcxCustomEditProperties::CanModify() {
  if (FAssignedValues->ReadOnly() && !FReadOnly) return true;
  const bool readOnly = GetReadOnly();
  if (!readOnly && FDefaultValuesProvider) return FDefaultValuesProvider->DefaultCanModify();
  return !readOnly;
}

void TcxCustomEditProperties::SetAutoSelect(bool Value) {
  if (FAutoSelect == Value) return;
  FAutoSelect = Value;
  Changed();
}

void TcxCustomEditProperties::SetUseLeftAlignmentOnEditing(bool Value) {
  if (FUseLeftAlignmentOnEditing == Value) return;
  FUseLeftAlignmentOnEditing = Value;
  Changed();
}

void TcxCustomEditProperties::RestoreDefaults() {
  FAlignment->SetIsHorzAssigned(false);
  FAssignedValues->RestoreDefaults();
  Changed();
}

TcxEditSupportedOperations TcxCustomEditProperties::GetCapabilities() {
  return FButtons->Count() > 0 ? esoEditing : 0;
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: data binding and display.

void TcxCustomEditProperties::SetDefaultValuesProvider(IcxEditDefaultValuesProvider* Value) {
  if (Value != FDefaultValuesProvider) detachProviderChangeEvent(FDefaultValuesProvider, this);
  replaceProviderReference(FDefaultValuesProvider, Value);
  // Properties of repository items and grid items only keep the reference.
  if (!dynamic_cast<TcxCustomEdit*>(GetOwner())) return;
  if (Value) Value->SetOnChanged(TNotifyEvent(this, &TcxCustomEditProperties::ProviderChanged));
  Changed();
}

bool TcxCustomEditProperties::HasDataDisplayFormat(bool AFocused) {
  if (AFocused) return false;
  const TcxEditDisplayFormatOptions options = GetDisplayFormatOptions();
  if (!(options & dfoSupports) || !FDefaultValuesProvider) return false;
  return FDefaultValuesProvider->HasDisplayFormat(!(options & dfoNoCurrencyValue));
}

bool TcxCustomEditProperties::UsesDataDisplayText() {
  const TcxEditDisplayFormatOptions options = GetDisplayFormatOptions();
  return (options & dfoSupports) && GetEditValueKind(true) == evsValue && GetEditValueKind(false) == evsText &&
         FDefaultValuesProvider && FDefaultValuesProvider->HasDisplayFormat(!(options & dfoNoCurrencyValue));
}

void TcxCustomEditProperties::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                        bool AFocused) {
  ADisplayValue = AEditValue;
}

TClass TcxCustomEditProperties::GetViewDataClass() { return TcxCustomEditViewData::StaticClass(); }
TClass TcxCustomEditProperties::GetEditClass() { return TcxCustomEdit::StaticClass(); }
TClass TcxCustomEditProperties::GetViewInfoClass() { return TcxCustomEditViewInfo::StaticClass(); }

TcxCustomEditViewData* TcxCustomEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace) {
  const TcxCustomEditViewData::TCreateArgs args{this, AStyle, AIsInplace};
  return static_cast<TcxCustomEditViewData*>(
      GetViewDataClass()->CreateInstance(const_cast<TcxCustomEditViewData::TCreateArgs*>(&args)));
}

void TcxCustomEditProperties::GetEditSize(TcxCanvas* ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace,
                                          const Variant& AEditValue,
                                          const TcxEditSizeProperties& AEditSizeProperties, TSize& ASize) {
  TObjectPtr<TcxCustomEditViewData> viewData(CreateViewData(AStyle, AIsInplace));
  viewData->GetEditSize(ACanvas, AEditValue, AEditSizeProperties, ASize);
}

// ---------------------------------------------------------------------------------------
// TcxCustomEditProperties: validation.

void TcxCustomEditProperties::GetValidationErrorText(TcxEditValidationError AErrorKind, std::string& AText) {
  AText = cxGetResourceString(&scxEditInvalidInputError);
}

void TcxCustomEditProperties::ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                                   TcxCustomEdit* AEdit) {
  if (!CanValidate()) return;
  if (AErrorText.empty()) GetValidationErrorText(0, AErrorText);
  DoValidate(ADisplayValue, AErrorText, AError, AEdit);
}

bool TcxCustomEditProperties::DoValidate(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                         TcxCustomEdit* AEdit) {
  bool changed = false;
  if (!FOnValidate) return changed;
  const Variant saved = ADisplayValue;
  FOnValidate(AEdit, ADisplayValue, AErrorText, AError);
  if (AError) {
    // A handler may leave Null behind; it reads as an empty text here rather than failing.
    changed = AnsiCompareStr(VarToStr(ADisplayValue), VarToStr(saved)) != 0;
    if (!changed && AEdit) ADisplayValue = Variant(AEdit->GetDisplayText());
  }
  return changed;
}

// ---------------------------------------------------------------------------------------
// Repository.

RTL_BEGIN_CLASS(TcxEditRepositoryItemListenerEditHelper)
  b.Interface<IcxEditRepositoryItemListener>();
RTL_END_CLASS

void TcxEditRepositoryItemListenerEditHelper::ItemRemoved(TcxEditRepositoryItem* Sender) {
  FEdit->FRepositoryItem = nullptr;
}

void TcxEditRepositoryItemListenerEditHelper::ItemPropertiesChanged(TcxEditRepositoryItem* Sender) {
  if (!FEdit->IsLoading() && !FEdit->IsDestroying()) FEdit->PropertiesChanged(Sender->Properties());
}

RTL_BEGIN_CLASS(TcxEditRepositoryItem)
  b.Property("Properties", &TcxEditRepositoryItem::Properties, &TcxEditRepositoryItem::SetProperties);
  b.Property("PropertiesEvents", &TcxEditRepositoryItem::PropertiesEvents, &TcxEditRepositoryItem::SetPropertiesEvents);
RTL_END_CLASS

void TcxEditRepositoryItem::AfterConstruction() {
  TComponent::AfterConstruction();
  FProperties = createOfClass<TcxCustomEditProperties>(GetEditPropertiesClass(), static_cast<TPersistent*>(this));
  FProperties->SetOnPropertiesChanged(TNotifyEvent(this, &TcxEditRepositoryItem::PropertiesChanged));
}

void TcxEditRepositoryItem::BeforeDestruction() {
  NotifyItemRemoved();
  TComponent::BeforeDestruction();
}

TcxEditRepositoryItem::~TcxEditRepositoryItem() {
  // Freed without BeforeDestruction (delete): the listeners still hear of it.
  try {
    NotifyItemRemoved();
    SetRepository(nullptr);
  } catch (...) {
  }
  if (FProperties) FProperties->SetOnPropertiesChanged(TNotifyEvent());
  FreeAndNil(FProperties);
}

void TcxEditRepositoryItem::NotifyItemRemoved() {
  if (FNotifiedRemoval) return;
  FNotifiedRemoval = true;
  for (size_t i = FListeners.size(); i-- > 0;) {
    if (i >= FListeners.size()) continue;
    FListeners[i]->ItemRemoved(this);
  }
  FListeners.clear();
}

void TcxEditRepositoryItem::PropertiesChanged(TObject* Sender) {
  for (size_t i = FListeners.size(); i-- > 0;) {
    if (i >= FListeners.size()) continue;
    FListeners[i]->ItemPropertiesChanged(this);
  }
}

void TcxEditRepositoryItem::AddListener(IcxEditRepositoryItemListener* AListener) {
  if (!AListener || std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end()) return;
  FListeners.push_back(AListener);
}

void TcxEditRepositoryItem::RemoveListener(IcxEditRepositoryItemListener* AListener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AListener);
  if (it != FListeners.end()) FListeners.erase(it);
}

void TcxEditRepositoryItem::SetRepository(TcxEditRepository* Value) {
  if (Value == FRepository) return;
  if (FRepository) FRepository->RemoveItem(this);
  FRepository = Value;
  if (Value) Value->AddItem(this);
}

TComponent* TcxEditRepositoryItem::GetParentComponent() const { return FRepository; }

void TcxEditRepositoryItem::SetParentComponent(TComponent* Value) {
  if (IsLoadingState(this)) return;
  SetRepository(dynamic_cast<TcxEditRepository*>(Value));
}

void TcxEditRepositoryItem::ReadState(TReader* Reader) {
  TComponent::ReadState(Reader);
  if (auto* repository = dynamic_cast<TcxEditRepository*>(Reader->Parent())) SetRepository(repository);
}

RTL_IMPLEMENT_CLASS(TcxEditRepository)

void TcxEditRepository::BeforeDestruction() {
  Clear();
  TComponent::BeforeDestruction();
}

TcxEditRepository::~TcxEditRepository() {
  try {
    Clear();
  } catch (...) {
  }
}

TcxEditRepositoryItem* TcxEditRepository::CreateItem(TClass ARepositoryItemClass) {
  return CreateItemEx(ARepositoryItemClass, this);
}

TcxEditRepositoryItem* TcxEditRepository::CreateItemEx(TClass ARepositoryItemClass, TComponent* AOwner) {
  if (!ARepositoryItemClass || !ARepositoryItemClass->InheritsFrom(TcxEditRepositoryItem::StaticClass()))
    throw EInvalidCast("Invalid class typecast");
  auto* item = static_cast<TcxEditRepositoryItem*>(ARepositoryItemClass->CreateInstance(AOwner));
  item->SetRepository(this);
  return item;
}

void TcxEditRepository::AddItem(TcxEditRepositoryItem* AItem) {
  if (std::find(FItems.begin(), FItems.end(), AItem) == FItems.end()) FItems.push_back(AItem);
}

void TcxEditRepository::RemoveItem(TcxEditRepositoryItem* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it != FItems.end()) FItems.erase(it);
}

void TcxEditRepository::Clear() {
  while (!FItems.empty()) {
    TcxEditRepositoryItem* item = FItems.back();
    // The item leaves the list as it is freed; a stubborn one must not stop the loop.
    FItems.pop_back();
    item->SetRepository(nullptr);
    item->Free();
  }
}

void TcxEditRepository::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TcxEditRepositoryItem* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

// ---------------------------------------------------------------------------------------
// TcxInplaceEditList.

RTL_IMPLEMENT_CLASS(TcxInplaceEditList)

TcxCustomEdit* TcxInplaceEditList::CreateEdit(TClass APropertiesClass) {
  TObjectPtr<TcxCustomEditProperties> probe(
      static_cast<TcxCustomEditProperties*>(APropertiesClass->CreateInstance(static_cast<TPersistent*>(nullptr))));
  TClass editClass = probe->GetEditClass();
  probe.reset();
  TcxCustomEdit* edit = TcxCustomEdit::CreateInplace(editClass, nullptr, true);
  edit->SetVisible(false);
  return edit;
}

void TcxInplaceEditList::Clear() {
  while (!FItems.empty()) freeItem(FItems.size() - 1);
}

TcxInplaceEditList::TcxInplaceEditListItem* TcxInplaceEditList::FindItem(TcxCustomEditProperties* AProperties) const {
  for (auto& item : FItems)
    if (item->Properties == AProperties) return item.get();
  return nullptr;
}

TcxCustomEdit* TcxInplaceEditList::FindEdit(TcxCustomEditProperties* AProperties) const {
  TcxInplaceEditListItem* item = FindItem(AProperties);
  return item ? item->Edit.get() : nullptr;
}

TcxCustomEdit* TcxInplaceEditList::GetEdit(TcxCustomEditProperties* AProperties) {
  TcxCustomEdit* edit = FindEdit(AProperties);
  if (!edit) {
    auto item = std::make_unique<TcxInplaceEditListItem>();
    item->Edit.reset(CreateEdit(AProperties->ClassType()));
    item->Properties = AProperties;
    edit = item->Edit.get();
    FItems.push_back(std::move(item));
  }
  auto lock = makeLock([edit](bool ALock) { edit->LockChangeEvents(ALock, false); });
  edit->SetProperties(AProperties);
  return edit;
}

TcxCustomEdit* TcxInplaceEditList::GetEditByClass(TClass APropertiesClass) {
  for (auto& item : FItems)
    if (item->Edit->GetActiveProperties()->ClassType() == APropertiesClass) return item->Edit.get();
  TObjectPtr<TcxCustomEditProperties> probe(
      static_cast<TcxCustomEditProperties*>(APropertiesClass->CreateInstance(static_cast<TPersistent*>(nullptr))));
  TClass editClass = probe->GetEditClass();
  probe.reset();
  auto item = std::make_unique<TcxInplaceEditListItem>();
  item->Edit.reset(TcxCustomEdit::CreateInplace(editClass, nullptr, true));
  item->Properties = item->Edit->OwnProperties();
  TcxCustomEdit* edit = item->Edit.get();
  FItems.push_back(std::move(item));
  return edit;
}

void TcxInplaceEditList::RemoveItem(TcxCustomEditProperties* AProperties) {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->Properties == AProperties) {
      freeItem(i);
      return;
    }
}

void TcxInplaceEditList::freeItem(size_t AIndex) {
  std::unique_ptr<TcxInplaceEditListItem> item = std::move(FItems[AIndex]);
  FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(AIndex));
  item.reset();
}

// ---------------------------------------------------------------------------------------
// Shared routines.

TShiftState cxMouseButtonToShift(TMouseButton AButton) {
  switch (AButton) {
    case mbLeft: return TShiftState{ssLeft};
    case mbRight: return TShiftState{ssRight};
    default: return TShiftState{ssMiddle};
  }
}

TShiftState cxEditMouseButtonToShift(TcxMouseButton AButton) {
  switch (AButton) {
    case cxmbLeft: return TShiftState{ssLeft};
    case cxmbRight: return TShiftState{ssRight};
    case cxmbMiddle: return TShiftState{ssMiddle};
    default: return TShiftState();
  }
}

WPARAM cxShiftStateToMouseKeys(TShiftState AShift) {
  WPARAM keys = 0;
  if (AShift.Contains(ssShift)) keys |= MK_SHIFT;
  if (AShift.Contains(ssCtrl)) keys |= MK_CONTROL;
  if (AShift.Contains(ssLeft)) keys |= MK_LBUTTON;
  if (AShift.Contains(ssMiddle)) keys |= MK_MBUTTON;
  if (AShift.Contains(ssRight)) keys |= MK_RBUTTON;
  return keys;
}

void cxMaxSize(TSize& ASize, const TSize& ASize2) {
  ASize.cx = std::max(ASize.cx, ASize2.cx);
  ASize.cy = std::max(ASize.cy, ASize2.cy);
}

bool cxVarEqualSameType(const Variant& AValue1, const Variant& AValue2) {
  return VarType(AValue1) == VarType(AValue2) && cxVariantsEqual(AValue1, AValue2);
}

void cxSendKeyDown(TWinControl* AControl, Word AKey) {
  if (AControl && AControl->HandleAllocated()) SendMessageA(AControl->WindowHandle(), WM_KEYDOWN, AKey, 0);
}

void cxSendChar(TWinControl* AControl, char AChar) {
  if (AControl && AControl->HandleAllocated())
    SendMessageA(AControl->WindowHandle(), WM_CHAR, static_cast<unsigned char>(AChar), 0);
}

void cxAddToRegion(HRGN ARegion, HRGN ARegion2) { CombineRgn(ARegion, ARegion, ARegion2, RGN_OR); }

bool cxIsRegionEmpty(HRGN ARegion) {
  RECT box;
  GetRgnBox(ARegion, &box);
  return IsRectEmpty(&box) != FALSE;
}

void cxRemovePendingChar(HWND AWnd) {
  MSG msg;
  if (PeekMessageA(&msg, AWnd, WM_CHAR, WM_CHAR, PM_REMOVE) && msg.message == WM_QUIT)
    PostQuitMessage(static_cast<int>(msg.wParam));
}

TcxEditRepository* cxGetDefaultEditRepository() {
  if (!defaultEditRepository) defaultEditRepository = new TcxEditRepository(nullptr);
  return defaultEditRepository;
}

// ---------------------------------------------------------------------------------------
// Routines and the unit's life.

TComponent* cxGetOwnerComponent(TPersistent* APersistent) {
  TPersistent* p = APersistent;
  while (p && !dynamic_cast<TComponent*>(p)) p = p->GetOwner();
  return static_cast<TComponent*>(p);
}

TcxRegisteredClasses* cxGetEditorRegistry() {
  if (!editorRegistry) editorRegistry = new TcxRegisteredClasses(false);
  return editorRegistry;
}

namespace cxEditUnit {

void Initialize() {
  if (!cxEditPropertiesList) cxEditPropertiesList = new TList();
  // Filter texts honour run-time overrides from now on.
  SetFilterResourceStringHook(&cxGetResourceString);
}

void Finalize() {
  if (GetFilterResourceStringHook() == &cxGetResourceString) SetFilterResourceStringHook(nullptr);
  FreeAndNil(editorRegistry);
  FreeAndNil(defaultEditRepository);
  FreeAndNil(cxEditPropertiesList);
}

}  // namespace cxEditUnit
