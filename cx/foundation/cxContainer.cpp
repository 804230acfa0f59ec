#include "cx/foundation/cxContainer.h"

#include <algorithm>

#include "platform/gui/Menus.h"
#include "platform/rtl/Scoped.h"

RTL_BEGIN_CLASS(TcxContainerStyle)
  b.Property("AssignedValues", &TcxContainerStyle::AssignedValues, &TcxContainerStyle::SetAssignedValues)
      .Stored(false);
  b.Property("BorderColor", &TcxContainerStyle::BorderColor, &TcxContainerStyle::SetBorderColor)
      .Stored(&TcxContainerStyle::IsBorderColorStored);
  b.Property("BorderStyle", &TcxContainerStyle::BorderStyle, &TcxContainerStyle::SetBorderStyle)
      .Stored(&TcxContainerStyle::IsBorderStyleStored);
  b.Property("Color", &TcxContainerStyle::Color, &TcxContainerStyle::SetColor)
      .Stored(&TcxContainerStyle::IsColorStored);
  b.Property("Edges", &TcxContainerStyle::Edges, &TcxContainerStyle::SetEdges)
      .Stored(&TcxContainerStyle::IsEdgesStored);
  b.Property("Font", &TcxContainerStyle::Font, &TcxContainerStyle::SetFont).Stored(&TcxContainerStyle::IsFontStored);
  b.Property("HotTrack", &TcxContainerStyle::HotTrack, &TcxContainerStyle::SetHotTrack)
      .Stored(&TcxContainerStyle::IsHotTrackStored);
  b.Property("LookAndFeel", &TcxContainerStyle::LookAndFeel, &TcxContainerStyle::SetLookAndFeel);
  b.Property("Shadow", &TcxContainerStyle::Shadow, &TcxContainerStyle::SetShadow)
      .Stored(&TcxContainerStyle::IsShadowStored);
  b.Property("StyleController", &TcxContainerStyle::StyleController, &TcxContainerStyle::SetStyleController);
  b.Property("TransparentBorder", &TcxContainerStyle::TransparentBorder, &TcxContainerStyle::SetTransparentBorder)
      .Stored(&TcxContainerStyle::IsTransparentBorderStored);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxStyleController)
  b.Property("Style", &TcxStyleController::Style, &TcxStyleController::SetStyle);
  b.Property("OnStyleChanged", &TcxStyleController::OnStyleChanged, &TcxStyleController::SetOnStyleChanged);
RTL_END_CLASS

namespace {

// The names of the container's style values, by value.
const char* const styleValueNames[cxContainerStyleValueCount] = {
    "BorderColor", "BorderStyle", "Color", "Edges", "Font", "HotTrack", "Shadow", "TransparentBorder"};

// The shared screen canvas (unit start to unit end).
TcxScreenCanvas* screenCanvas = nullptr;

// GetScrollBarInfo, looked up by name at the unit's start.
using GetScrollBarInfoProc = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
GetScrollBarInfoProc getScrollBarInfo = nullptr;

// The shift state of the last mouse button event of a container.
TShiftState lastMouseShiftState;

template <class T> void removeFrom(std::vector<T*>& AList, T* AItem) {
  auto it = std::find(AList.begin(), AList.end(), AItem);
  if (it != AList.end()) AList.erase(it);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxContainerStyle: construction.

TcxContainerStyle::TcxContainerStyle(TPersistent* AOwner, bool AIsInplace) : FIsInplace(AIsInplace), FOwner(AOwner) {
  if (!FIsInplace) {
    FFont = new TFont;
    FFont->SetOnChange(TNotifyEvent(this, &TcxContainerStyle::FontChanged));
  }
  FLookAndFeel = New<TcxLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TcxContainerStyle::lookAndFeelChanged));
  if (FIsInplace) FAssignedValues = TcxContainerStyleValues{csvColor, csvFont};
}

void TcxContainerStyle::AfterConstruction() {
  TPersistent::AfterConstruction();
  // Here rather than in the constructor: a descendant names its own default controller.
  FStyleController = GetDefaultStyleController();
  if (FStyleController) FStyleController->AddListener(this);
}

TcxContainerStyle::~TcxContainerStyle() {
  FDestroying = true;
  if (FFont && !FIsInplace) {
    FFont->SetOnChange(nullptr);
    delete FFont;
  }
  FFont = nullptr;
  if (FStyleController) FStyleController->RemoveListener(this);
  FStyleController = nullptr;
  FLookAndFeel->SetOnChanged(nullptr);
  FreeAndNil(FLookAndFeel);
}

TcxContainerStyle* TcxContainerStyle::CreateOfClass(TClass AClass, TPersistent* AOwner, bool AIsInplace) {
  TCreateArgs args{AOwner, AIsInplace};
  TClass cls = AClass ? AClass : StaticClass();
  TObject* object = cls->CreateInstance(&args);
  auto* style = dynamic_cast<TcxContainerStyle*>(object);
  if (!style) {
    FreeObject(object);
    throw EInvalidCast("Invalid class typecast");
  }
  return style;
}

// ---------------------------------------------------------------------------------------
// TcxContainerStyle: assignment and notification.

void TcxContainerStyle::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxContainerStyle*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  if (source == this) return;
  {
    UpdateLock lock(this);
    SetStyleController(source->StyleController());
    FLookAndFeel->Assign(source->LookAndFeel());
    FBorderColor = source->FBorderColor;
    FBorderStyle = source->FBorderStyle;
    FEdges = source->FEdges;
    FHotTrack = source->FHotTrack;
    FShadow = source->FShadow;
    FTransparentBorder = source->FTransparentBorder;
    FColor = source->FColor;
    TColor fontColor = source->IsInplace() ? source->TextColor() : (source->Font() ? source->Font()->Color() : clDefault);
    if (FIsInplace) {
      FFont = source->Font();
      FTextColor = fontColor;
    } else if (source->Font()) {
      FFont->Assign(source->Font());
      FFont->SetColor(fontColor);
    }
    SetAssignedValues(source->OwnAssignedValues());
    Changed();
  }
}

void TcxContainerStyle::Changed() {
  if (FUpdateCount > 0) {
    FChangePending = true;
    return;
  }
  if (!FIsInplace && !FDestroying && FOnChanged) FOnChanged(this);
  FChangePending = false;
}

void TcxContainerStyle::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && FChangePending) Changed();
}

void TcxContainerStyle::ControllerChanged() {
  RefreshFontFromController();
  Changed();
}

void TcxContainerStyle::StyleControllerChanged() {
  RefreshFontFromController();
  Changed();
}

void TcxContainerStyle::ControllerFreeNotification(TcxStyleController* AController) {
  if (AController && AController == FStyleController) SetStyleController(nullptr);
}

void TcxContainerStyle::FontChanged(TObject*) {
  if (!FRefreshingFont) FAssignedValues.Include(csvFont);
  Changed();
}

void TcxContainerStyle::RestoreDefaults() {
  {
    UpdateLock lock(this);
    if (TcxContainer* container = GetOwnerContainer()) {
      container->SetParentColor(false);
      container->SetParentFont(true);
    }
    FLookAndFeel->Reset();
    SetAssignedValues(TcxContainerStyleValues());
  }
}

// ---------------------------------------------------------------------------------------
// TcxContainerStyle: value resolution.

TcxContainer* TcxContainerStyle::GetOwnerContainer() const { return dynamic_cast<TcxContainer*>(FOwner); }

TcxContainerStyle* TcxContainerStyle::findAssigning(TcxContainerStyleValue AValue) {
  // Controller cycles are refused when set; the walk still stops after going once around
  // so that no chain, however it came about, can recurse without end.
  std::vector<TcxContainerStyle*> visited;
  for (TcxContainerStyle* style = this; style;) {
    if (std::find(visited.begin(), visited.end(), style) != visited.end()) return nullptr;
    visited.push_back(style);
    if (style->FAssignedValues.Contains(AValue)) return style;
    TcxStyleController* controller = style->FStyleController;
    style = controller ? controller->Style() : nullptr;
  }
  return nullptr;
}

template <class V>
bool TcxContainerStyle::findAssignedField(TcxContainerStyleValue AValue, V TcxContainerStyle::*AField, V& AResult) {
  TcxContainerStyle* style = findAssigning(AValue);
  if (style) AResult = style->*AField;
  return style != nullptr;
}

bool TcxContainerStyle::FindAssignedBorderColor(TColor& AValue) {
  return findAssignedField(csvBorderColor, &TcxContainerStyle::FBorderColor, AValue);
}

bool TcxContainerStyle::FindAssignedBorderStyle(TcxContainerBorderStyle& AValue) {
  return findAssignedField(csvBorderStyle, &TcxContainerStyle::FBorderStyle, AValue);
}

bool TcxContainerStyle::FindAssignedColor(TColor& AValue) {
  return findAssignedField(csvColor, &TcxContainerStyle::FColor, AValue);
}

bool TcxContainerStyle::FindAssignedEdges(TcxBorders& AValue) {
  return findAssignedField(csvEdges, &TcxContainerStyle::FEdges, AValue);
}

bool TcxContainerStyle::FindAssignedFont(TFont*& AValue) {
  // An in-place style has the font assigned without holding one until it is given one.
  return findAssignedField(csvFont, &TcxContainerStyle::FFont, AValue) && AValue != nullptr;
}

bool TcxContainerStyle::FindAssignedHotTrack(bool& AValue) {
  return findAssignedField(csvHotTrack, &TcxContainerStyle::FHotTrack, AValue);
}

bool TcxContainerStyle::FindAssignedShadow(bool& AValue) {
  return findAssignedField(csvShadow, &TcxContainerStyle::FShadow, AValue);
}

bool TcxContainerStyle::FindAssignedTransparentBorder(bool& AValue) {
  return findAssignedField(csvTransparentBorder, &TcxContainerStyle::FTransparentBorder, AValue);
}

bool TcxContainerStyle::IsValueAssigned(TcxContainerStyleValue AValue) {
  TColor color;
  TcxContainerBorderStyle borderStyle;
  TcxBorders edges;
  TFont* font;
  bool flag;
  switch (AValue) {
    case csvBorderColor: return FindAssignedBorderColor(color);
    case csvBorderStyle: return FindAssignedBorderStyle(borderStyle);
    case csvColor: return FindAssignedColor(color);
    case csvEdges: return FindAssignedEdges(edges);
    case csvFont: return FindAssignedFont(font);
    case csvHotTrack: return FindAssignedHotTrack(flag);
    case csvShadow: return FindAssignedShadow(flag);
    case csvTransparentBorder: return FindAssignedTransparentBorder(flag);
    default: return false;
  }
}

void TcxContainerStyle::RefreshFontFromController() {
  if (FIsInplace || !FFont || FAssignedValues.Contains(csvFont) || !FStyleController) return;
  TFont* font = nullptr;
  if (!FStyleController->Style() || !FStyleController->Style()->FindAssignedFont(font) || font == FFont) return;
  FRefreshingFont = true;
  {
    ScopeExit atEnd([&] { FRefreshingFont = false; });
    FFont->Assign(font);
  }
}

TcxContainerBorderStyle TcxContainerStyle::DefaultBorderStyle() {
  switch (FLookAndFeel->Kind()) {
    case lfFlat: return cbsFlat;
    case lfStandard: return cbs3D;
    default: return cbsUltraFlat;
  }
}

bool TcxContainerStyle::GetStyleValueName(TcxContainerStyleValue AValue, std::string& AName) {
  Integer index = static_cast<Integer>(AValue);
  if (index >= 0 && index < cxContainerStyleValueCount) {
    AName = styleValueNames[index];
    return true;
  }
  AName.clear();
  return false;
}

bool TcxContainerStyle::isValueStored(TcxContainerStyleValue AValue) {
  if (!AssignedValues().Contains(AValue)) return false;
  TcxContainer* container = GetOwnerContainer();
  return !container || !container->GetUnusedStyleValues().Contains(AValue);
}

// ---------------------------------------------------------------------------------------
// TcxContainerStyle: accessors.

TcxContainerStyleValues TcxContainerStyle::AssignedValues() {
  if (!FIsInplace) return FAssignedValues;
  TcxContainerStyleValues all;
  for (Integer i = 0; i < GetStyleValueCount(); ++i) all.Include(static_cast<TcxContainerStyleValue>(i));
  return all;
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues Value) {
  if (FAssignedValues == Value) return;
  FAssignedValues = Value;
  RefreshFontFromController();
  Changed();
}

TColor TcxContainerStyle::BorderColor() {
  if (FIsInplace) return clDefault;
  TColor value;
  return FindAssignedBorderColor(value) ? value : DefaultBorderColor();
}

void TcxContainerStyle::SetBorderColor(TColor Value) { assignValue(FBorderColor, Value, csvBorderColor); }

TcxContainerBorderStyle TcxContainerStyle::BorderStyle() {
  if (FIsInplace) return FAssignedValues.Contains(csvBorderStyle) ? FBorderStyle : DefaultBorderStyle();
  TcxContainerBorderStyle value;
  return FindAssignedBorderStyle(value) ? value : DefaultBorderStyle();
}

void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle Value) {
  assignValue(FBorderStyle, Value, csvBorderStyle);
}

TColor TcxContainerStyle::GetColor() {
  if (FIsInplace) return FColor;
  TcxContainer* container = GetOwnerContainer();
  if (container && container->ParentColor() && container->Parent()) return container->Parent()->Color();
  TColor value;
  return FindAssignedColor(value) ? value : DefaultColor();
}

TColor TcxContainerStyle::GetVisibleColor() {
  if (FIsInplace) return FColor;
  TColor value;
  if (FindAssignedColor(value)) return value;
  TcxContainer* container = GetOwnerContainer();
  if (container && container->ParentColor() && container->Parent()) return container->Parent()->Color();
  return DefaultColor();
}

void TcxContainerStyle::SetColor(TColor Value) { assignValue(FColor, Value, csvColor); }

TcxBorders TcxContainerStyle::Edges() {
  if (FIsInplace) return TcxBorders();
  TcxBorders value;
  return FindAssignedEdges(value) ? value : DefaultEdges();
}

void TcxContainerStyle::SetEdges(TcxBorders Value) { assignValue(FEdges, Value, csvEdges); }

void TcxContainerStyle::SetFont(TFont* Value) {
  if (FIsInplace) {
    FFont = Value;
    return;
  }
  {
    UpdateLock lock(this);
    if (Value) FFont->Assign(Value);
    FAssignedValues.Include(csvFont);
    Changed();
  }
}

bool TcxContainerStyle::HotTrack() {
  if (FIsInplace) return FAssignedValues.Contains(csvHotTrack) ? FHotTrack : DefaultHotTrack();
  bool value;
  return FindAssignedHotTrack(value) ? value : DefaultHotTrack();
}

void TcxContainerStyle::SetHotTrack(bool Value) { assignValue(FHotTrack, Value, csvHotTrack); }

bool TcxContainerStyle::Shadow() {
  if (FIsInplace) return false;
  bool value;
  return FindAssignedShadow(value) ? value : DefaultShadow();
}

void TcxContainerStyle::SetShadow(bool Value) { assignValue(FShadow, Value, csvShadow); }

bool TcxContainerStyle::TransparentBorder() {
  if (FIsInplace) return true;
  bool value;
  return FindAssignedTransparentBorder(value) ? value : DefaultTransparentBorder();
}

void TcxContainerStyle::SetTransparentBorder(bool Value) {
  assignValue(FTransparentBorder, Value, csvTransparentBorder);
}

TcxStyleController* TcxContainerStyle::StyleController() {
  return FStyleController == GetDefaultStyleController() ? nullptr : FStyleController;
}

void TcxContainerStyle::SetStyleController(TcxStyleController* Value) {
  if (!Value) Value = GetDefaultStyleController();
  // A controller whose style chain leads back to this style would make every look-up
  // go round for ever: refused, the old controller stays.
  std::vector<TcxContainerStyle*> visited;
  for (TcxStyleController* c = Value; c && c->Style();) {
    TcxContainerStyle* style = c->Style();
    if (style == this) return;
    if (std::find(visited.begin(), visited.end(), style) != visited.end()) break;
    visited.push_back(style);
    c = style->FStyleController;
  }
  if (Value == FStyleController) return;
  if (FStyleController) FStyleController->RemoveListener(this);
  FStyleController = Value;
  if (FStyleController) FStyleController->AddListener(this);
  StyleControllerChanged();
}

// ---------------------------------------------------------------------------------------
// TcxStyleController.

void TcxStyleController::AfterConstruction() {
  TComponent::AfterConstruction();
  FStyle = TcxContainerStyle::CreateOfClass(GetStyleClass(), this, false);
  FStyle->SetOnChanged(TNotifyEvent(this, &TcxStyleController::styleChanged));
}

void TcxStyleController::BeforeDestruction() {
  MarkDestroying();
  // Every style leaves the controller before it goes: they fall back to their defaults.
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* style : listeners) style->ControllerFreeNotification(this);
  FListeners.clear();
  TComponent::BeforeDestruction();
}

TcxStyleController::~TcxStyleController() {
  FDestroying = true;
  for (TcxContainerStyle* style : FListeners) style->ControllerFreeNotification(this);
  FListeners.clear();
  if (FStyle) {
    FStyle->SetOnChanged(nullptr);
    FreeAndNil(FStyle);
  }
}

void TcxStyleController::Loaded() {
  TComponent::Loaded();
  AfterLoad();
}

void TcxStyleController::AddListener(TcxContainerStyle* AStyle) {
  if (!AStyle || std::find(FListeners.begin(), FListeners.end(), AStyle) != FListeners.end()) return;
  FListeners.push_back(AStyle);
  if (FStyle) AStyle->LookAndFeel()->SetMasterLookAndFeel(FStyle->LookAndFeel());
}

void TcxStyleController::RemoveListener(TcxContainerStyle* AStyle) {
  if (!AStyle) return;
  if (!IsDestroying()) removeFrom(FListeners, AStyle);
  if (AStyle->LookAndFeel()) AStyle->LookAndFeel()->SetMasterLookAndFeel(nullptr);
}

void TcxStyleController::NotifyListener(TcxContainerStyle* AStyle) {
  AStyle->ControllerChanged();
  if (FOnStyleChanged) FOnStyleChanged(this, AStyle);
}

void TcxStyleController::Changed() {
  if (FOnStyleChanged) FOnStyleChanged(this, FStyle);
  if (IsDestroying()) return;
  // A listener may leave while it is told (its container goes away): each one still
  // listening is told once.
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* style : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), style) != FListeners.end()) NotifyListener(style);
}

// ---------------------------------------------------------------------------------------
// Routines.

namespace {

// The painted border style by hot state (rows) and the style's border style (columns).
const TcxContainerBorderStyle paintedBorderStyles[3][6] = {
    {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
    {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
    {cbsFlat, cbsThick, cbsThick, cbs3D, cbs3D, cbsSingle},
};
// The width of each painted border style.
const Integer borderWidths[6] = {0, 1, 2, 2, 2, 1};

Integer borderWidthOf(TcxContainerBorderStyle AStyle) { return borderWidths[static_cast<int>(AStyle)]; }

// R widened by AWidth on each side in ASides.
TRect widenBySides(TRect R, TcxBorders ASides, Integer AWidth) {
  if (ASides.Contains(bLeft)) R.left -= AWidth;
  if (ASides.Contains(bTop)) R.top -= AWidth;
  if (ASides.Contains(bRight)) R.right += AWidth;
  if (ASides.Contains(bBottom)) R.bottom += AWidth;
  return R;
}

bool rectsEqual(const TRect& A, const TRect& B) { return EqualRect(&A, &B) != 0; }

// The four strips between AOuter and AInner, empty ones left out.
std::vector<TRect> frameStrips(const TRect& AOuter, const TRect& AInner) {
  std::vector<TRect> strips = {
      TRect{AOuter.left, AOuter.top, AOuter.right, AInner.top},
      TRect{AOuter.left, AInner.bottom, AOuter.right, AOuter.bottom},
      TRect{AOuter.left, AInner.top, AInner.left, AInner.bottom},
      TRect{AInner.right, AInner.top, AOuter.right, AInner.bottom},
  };
  std::vector<TRect> result;
  for (const TRect& r : strips)
    if (r.right > r.left && r.bottom > r.top) result.push_back(r);
  return result;
}

TColor themeColor(TdxThemeClassIndex AClass, Integer APart, Integer AState, Integer AProperty, TColor ADefault) {
  TdxTheme theme = dxGetThemeHandle(AClass);
  COLORREF color = 0;
  if (theme && dxGetThemeColor(theme, APart, AState, AProperty, &color) == S_OK) return static_cast<TColor>(color);
  return ADefault;
}

constexpr Integer themeBorderColorProperty = 3801;  // TMT_BORDERCOLOR
constexpr Integer themeFillColorProperty = 3802;    // TMT_FILLCOLOR

}  // namespace

TcxMouseButton cxMouseButtonToCode(TMouseButton AButton) {
  switch (AButton) {
    case mbLeft: return cxmbLeft;
    case mbRight: return cxmbRight;
    case mbMiddle: return cxmbMiddle;
    default: return cxmbNone;
  }
}

bool cxIsWindowInControlForm(HWND AWnd, TControl* AControl) {
  TCustomForm* form = AControl ? GetParentForm(AControl) : nullptr;
  if (!AWnd || !form || !form->HandleAllocated()) return false;
  HWND formWindow = form->Handle();
  return AWnd == formWindow || IsChild(formWindow, AWnd);
}

void cxDrawContainerShadow(TcxCanvas* ACanvas, const TRect& R) {
  const Integer w = cxContainerShadowWidth;
  TRect right{R.right, R.top + w, R.right + w, R.bottom + w};
  TRect bottom{R.left + w, R.bottom, R.right, R.bottom + w};
  ACanvas->SetBrushColor(clBtnShadow);
  ACanvas->Canvas()->FillRect(right);
  ACanvas->Canvas()->FillRect(bottom);
  ACanvas->ExcludeFromClip(right);
  ACanvas->ExcludeFromClip(bottom);
}

TRect cxDeflateRectByMargins(const TRect& R, const TRect& AMargins) {
  return TRect{R.left + AMargins.left, R.top + AMargins.top, R.right - AMargins.right, R.bottom - AMargins.bottom};
}

TRect cxGetControlSizeRect(TControl* AControl) { return TRect{0, 0, AControl->Width(), AControl->Height()}; }

bool cxIsControlHandle(TWinControl* AControl, HWND AWnd) {
  return AControl && AWnd && AControl->HandleAllocated() && AControl->WindowHandle() == AWnd;
}

bool cxStringsEqual(TStrings* AList1, TStrings* AList2) {
  Integer count1 = AList1 ? AList1->Count() : 0;
  Integer count2 = AList2 ? AList2->Count() : 0;
  if (count1 != count2) return false;
  for (Integer i = 0; i < count1; ++i)
    if (AList1->Strings(i) != AList2->Strings(i)) return false;
  return true;
}

void cxFillFrameArea(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor) {
  if (IsRectEmpty(&AOuter) || rectsEqual(AOuter, AInner)) return;
  ACanvas->SetBrushColor(AColor);
  if (IsRectEmpty(&AInner)) {
    ACanvas->Canvas()->FillRect(AOuter);
    return;
  }
  for (const TRect& strip : frameStrips(AOuter, AInner)) ACanvas->Canvas()->FillRect(strip);
}

TPoint cxCurrentCursorPos() { return cxGetCursorPos(); }

TShiftState cxGetKeyboardShiftState() { return KeyboardStateToShiftState(); }

void cxInvalidateFrameArea(TWinControl* AControl, const TRect& AOuter, const TRect& AInner) {
  if (!AControl || !AControl->HandleAllocated()) return;
  if (IsRectEmpty(&AInner)) {
    InvalidateRect(AControl->WindowHandle(), &AOuter, FALSE);
    return;
  }
  for (const TRect& strip : frameStrips(AOuter, AInner)) InvalidateRect(AControl->WindowHandle(), &strip, FALSE);
}

void cxInvalidateWinControlRect(TWinControl* AControl, const TRect& R, bool AEraseBackground) {
  if (AControl && AControl->HandleAllocated()) InvalidateRect(AControl->WindowHandle(), &R, AEraseBackground);
}

bool cxIsControlVisible(TWinControl* AControl) {
  return AControl && AControl->HandleAllocated() && IsWindowVisible(AControl->WindowHandle());
}

bool cxIsChildWindowOf(HWND AParent, HWND AWnd) { return AParent && AWnd && IsChild(AParent, AWnd); }

bool cxIsWindowInsideControl(HWND AWnd, TWinControl* AControl) {
  if (!AWnd || !AControl || !AControl->HandleAllocated()) return false;
  HWND control = AControl->WindowHandle();
  return AWnd == control || IsChild(control, AWnd);
}

HWND cxNativeWindowHandle(TWinControl* AControl) { return AControl ? AControl->WindowHandle() : nullptr; }

TcxCanvas* cxGetScreenCanvas() { return screenCanvas; }

void cxSetChildWindowRegion(TWinControl* AControl, const std::optional<TRect>& R) {
  if (!AControl || !AControl->HandleAllocated()) return;
  HRGN region = R ? CreateRectRgnIndirect(&*R) : nullptr;
  SetWindowRgn(AControl->WindowHandle(), region, TRUE);  // the system owns the region now
}

void cxSetControlWindowRegion(TWinControl* AControl, const TRect& R, bool AShadow, bool ANativeStyle) {
  if (!AControl || !AControl->HandleAllocated()) return;
  HWND window = AControl->WindowHandle();
  HRGN region = nullptr;
  if (!ANativeStyle) {
    region = CreateRectRgnIndirect(&R);
    if (AShadow) {
      TRect shadow = R;
      OffsetRect(&shadow, cxContainerShadowWidth, cxContainerShadowWidth);
      HRGN shadowRegion = CreateRectRgnIndirect(&shadow);
      CombineRgn(region, region, shadowRegion, RGN_OR);
      DeleteObject(shadowRegion);
    }
  }
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  bool hasCurrent = GetWindowRgn(window, current) != ERROR;
  bool same = hasCurrent ? (region && EqualRgn(current, region)) : region == nullptr;
  DeleteObject(current);
  if (same) {
    if (region) DeleteObject(region);
    return;
  }
  SetWindowRgn(window, region, TRUE);
}

bool cxCanGetScrollBarInfo() { return getScrollBarInfo != nullptr; }

bool cxGetScrollBarInfo(HWND AWnd, LONG AObjectId, SCROLLBARINFO& AInfo) {
  if (!getScrollBarInfo || !AWnd) return false;
  AInfo = SCROLLBARINFO{};
  AInfo.cbSize = sizeof(SCROLLBARINFO);
  return getScrollBarInfo(AWnd, AObjectId, &AInfo) != 0;
}

bool cxIsThemeAvailable(bool ANativeStyle, TdxThemeClassIndex AThemeClass) {
  return ANativeStyle && dxGetThemeHandle(AThemeClass) != nullptr;
}

TShiftState cxContainerShiftState() { return lastMouseShiftState; }

// ---------------------------------------------------------------------------------------
// TcxFreeNotificator.

RTL_IMPLEMENT_CLASS(TcxFreeNotificator)

void TcxFreeNotificator::AddSender(TComponent* ASender) {
  if (ASender) ASender->FreeNotification(this);
}

void TcxFreeNotificator::RemoveSender(TComponent* ASender) {
  if (ASender) ASender->RemoveFreeNotification(this);
}

void TcxFreeNotificator::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FOnFreeNotification) FOnFreeNotification(AComponent);
}

// ---------------------------------------------------------------------------------------
// TcxContainerViewInfo.

RTL_IMPLEMENT_CLASS(TcxContainerViewInfo)

void TcxContainerViewInfo::DrawBorder(TcxCanvas* ACanvas, TRect R) {
  switch (BorderStyle) {
    case cbsSingle:
    case cbsThick:
      ACanvas->DrawFrame(R, BorderColor, cxBordersAll, BorderWidth);
      break;
    case cbsFlat:
      ACanvas->Draw3DEdge(R, true, false, Edges);
      InflateRect(&R, -1, -1);
      ACanvas->DrawFrame(R, clBtnFace);
      break;
    case cbs3D:
      ACanvas->Draw3DEdge(R, true, false, Edges);
      InflateRect(&R, -1, -1);
      ACanvas->FrameSides(R, cl3DDkShadow, cl3DLight, 1, Edges);
      break;
    default:  // none, and ultra-flat (painted as single by the hot-state table)
      break;
  }
}

void TcxContainerViewInfo::Paint(TcxCanvas* ACanvas) {
  if (NativeStyle) {
    TRect content = Bounds;
    if (TdxTheme theme = dxGetThemeHandle(ThemeClass))
      dxGetThemeBackgroundContentRect(theme, ACanvas->Handle(), ThemePart, ThemeState, &Bounds, &content);
    ACanvas->SetBrushColor(BackgroundColor);
    ACanvas->Canvas()->FillRect(content);
    cxFillFrameArea(ACanvas, Bounds, content, themeColor(totComboBox, 0, 0, themeBorderColorProperty, clBtnShadow));
    return;
  }
  // The border rectangle moved out by the border: always at the left and top; at the
  // right and bottom first only where the border has a side, so that the shadow hugs the
  // painted frame, then on the missing sides too (the window region hides those).
  TRect r = BorderRect;
  r.left -= BorderWidth;
  r.top -= BorderWidth;
  if (Edges.Contains(bRight)) r.right += BorderWidth;
  if (Edges.Contains(bBottom)) r.bottom += BorderWidth;
  if (Shadow) cxDrawContainerShadow(ACanvas, r);
  if (!Edges.Contains(bRight)) r.right += BorderWidth;
  if (!Edges.Contains(bBottom)) r.bottom += BorderWidth;
  DrawBorder(ACanvas, r);
  ACanvas->SetBrushColor(BackgroundColor);
  ACanvas->Canvas()->FillRect(BorderRect);
}

void TcxContainerViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  if (Source) ClientRect = Source->ClientRect;
}

void TcxContainerViewInfo::MoveBy(Integer DX, Integer DY) {
  OffsetRect(&Bounds, DX, DY);
  OffsetRect(&BorderRect, DX, DY);
  OffsetRect(&ClientRect, DX, DY);
}

// ---------------------------------------------------------------------------------------
// TcxContainerMouseTrackingHelper.

RTL_BEGIN_CLASS(TcxContainerMouseTrackingHelper)
  b.Interface<IcxMouseTrackingCaller>();
RTL_END_CLASS

void TcxContainerMouseTrackingHelper::MouseLeave() {
  if (FContainer) FContainer->HandleTrackedMouseLeave();
}

// ---------------------------------------------------------------------------------------
// TcxContainer: construction.

RTL_BEGIN_CLASS(TcxContainer)
  b.Message(CM_COLORCHANGED, &TcxContainer::CMColorChanged);
  b.Message(CM_FONTCHANGED, &TcxContainer::CMFontChanged);
  b.Message(CM_CURSORCHANGED, &TcxContainer::CMCursorChanged);
  b.Message(CM_ENABLEDCHANGED, &TcxContainer::CMEnabledChanged);
  b.Message(CM_CTL3DCHANGED, &TcxContainer::CMCtl3DChanged);
  b.Message(CM_SYSCOLORCHANGE, &TcxContainer::CMSysColorChange);
  b.Message(CM_PARENTCOLORCHANGED, &TcxContainer::CMParentColorChanged);
  b.Message(CM_PARENTFONTCHANGED, &TcxContainer::CMParentFontChanged);
  b.Message(WM_CXSCROLLBARMETRICS, &TcxContainer::WMScrollBarMetrics);
  b.Message(WM_NCPAINT, &TcxContainer::WMNCPaint);
  b.Message(WM_SETCURSOR, &TcxContainer::WMSetCursor);
  b.Message(WM_WINDOWPOSCHANGING, &TcxContainer::WMWindowPosChanging);
  b.Message(WM_SETFOCUS, &TcxContainer::WMSetFocus);
RTL_END_CLASS

TcxContainer::TcxContainer(TComponent* AOwner) : TcxControl(AOwner) {
  FMouseTrackingHelper = New<TcxContainerMouseTrackingHelper>(this);
  controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption};
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

void TcxContainer::AfterConstruction() {
  FStyle = TcxContainerStyle::CreateOfClass(GetStyleClass(), this, IsInplace());
  FStyle->SetOnChanged(TNotifyEvent(this, &TcxContainer::styleChanged));
  TObject* viewInfo = GetViewInfoClass()->CreateInstance();
  FViewInfo = dynamic_cast<TcxContainerViewInfo*>(viewInfo);
  if (!FViewInfo) {
    FreeObject(viewInfo);
    throw EInvalidCast("Invalid class typecast");
  }
  // The control's look-and-feel follows the style's (and through it the controller's).
  LookAndFeel()->SetMasterLookAndFeel(FStyle->LookAndFeel());
  TcxControl::AfterConstruction();
  FCreating = false;
}

void TcxContainer::BeforeDestruction() {
  cxEndMouseTracking(MouseTrackingCaller());
  FDestroying = true;
  TcxControl::BeforeDestruction();
}

TcxContainer::~TcxContainer() {
  FDestroying = true;
  cxEndMouseTracking(MouseTrackingCaller());
  if (auto* listBox = dynamic_cast<TcxCustomInnerListBox*>(FInnerControl)) listBox->SetContainer(nullptr);
  FInnerControl = nullptr;
  FreeAndNil(FViewInfo);
  if (FStyle) {
    FStyle->SetOnChanged(nullptr);
    FreeAndNil(FStyle);
  }
  FreeAndNil(FMouseTrackingHelper);
}

HRESULT STDMETHODCALLTYPE TcxContainer::QueryInterface(const ::IID& riid, void** obj) {
  if (FMouseTrackingHelper && IsEqualGUID(riid, IcxMouseTrackingCaller::IID()))
    return FMouseTrackingHelper->QueryInterface(riid, obj);
  return TcxControl::QueryInterface(riid, obj);
}

IcxMouseTrackingCaller* TcxContainer::MouseTrackingCaller() const {
  return FMouseTrackingHelper ? static_cast<IcxMouseTrackingCaller*>(FMouseTrackingHelper) : nullptr;
}

// ---------------------------------------------------------------------------------------
// TcxContainer: view info and refreshing.

void TcxContainer::GetBorderExtent(TRect& AExtent) {
  Integer w = (FStyle->TransparentBorder() || FStyle->HotTrack()) ? cxContainerTransparentBorderExtent
                                                                   : borderWidthOf(FViewInfo->BorderStyle);
  AExtent = TRect{w, w, w, w};
  if (HasShadow()) {
    AExtent.right += cxContainerShadowWidth;
    AExtent.bottom += cxContainerShadowWidth;
  }
}

bool TcxContainer::HasShadow() { return FStyle->Shadow() && !FViewInfo->NativeStyle; }

TRect TcxContainer::GetHotTrackArea() {
  if (FViewInfo->NativeStyle) return FViewInfo->Bounds;
  TRect extent;
  GetBorderExtent(extent);
  TRect r = cxDeflateRectByMargins(FViewInfo->Bounds, extent);
  return widenBySides(r, FStyle->Edges(), borderWidthOf(FViewInfo->BorderStyle));
}

Integer TcxContainer::GetBorderThemeState() {
  TcxContainerStateFlags state = FViewInfo->ContainerState;
  if (state & csDisabled) return 4;
  if (state & csFocused) return 5;
  if (state & csHotTrack) return 2;
  return 1;
}

void TcxContainer::CalculateViewInfo(const TPoint& P, bool AHotTestAllowed) {
  TcxContainerViewInfo* vi = FViewInfo;
  vi->Bounds = TRect{0, 0, Width(), Height()};
  vi->NativeStyle = cxIsThemeAvailable(LookAndFeel()->NativeStyle(), GetBorderThemeClass());
  if (vi->NativeStyle) {
    vi->ThemeClass = GetBorderThemeClass();
    vi->ThemePart = GetBorderThemePart();
  }
  vi->Shadow = HasShadow();

  TcxContainerStateFlags state;
  if (!Enabled()) {
    state = csDisabled;
  } else if (IsDesigning()) {
    state = csNormal;
  } else {
    state = HasFocus() ? csFocused : csNormal;
    TRect hotArea = GetHotTrackArea();
    if (AHotTestAllowed && PtInRect(&hotArea, P)) state |= csHotTrack;
  }
  vi->ContainerState = state;

  bool hotTrack = FStyle->HotTrack();
  if (!hotTrack)
    vi->HotState = cxHotStateNone;
  else
    vi->HotState = (state & (csFocused | csHotTrack)) ? cxHotStateActive : cxHotStateIdle;

  TcxContainerBorderStyle styleBorder = FStyle->BorderStyle();
  vi->BorderStyle = paintedBorderStyles[vi->HotState][static_cast<int>(styleBorder)];
  TRect extent;
  GetBorderExtent(extent);
  vi->BorderRect = cxDeflateRectByMargins(vi->Bounds, extent);
  vi->BorderWidth = borderWidthOf(vi->BorderStyle);
  vi->Edges = FStyle->Edges();
  vi->ClientRect = vi->BorderRect;
  if (vi->NativeStyle) vi->ThemeState = GetBorderThemeState();

  if (styleBorder != cbsUltraFlat) {
    vi->BorderColor = FStyle->BorderColor();
  } else {
    bool highlighted = (state & csFocused) || ((state & csHotTrack) && hotTrack) || (IsDesigning() && Enabled());
    vi->BorderColor = highlighted ? clHighlight : clBtnShadow;
  }

  if (vi->NativeStyle)
    vi->SetBackgroundColor(Enabled() ? Color()
                                     : themeColor(vi->ThemeClass, vi->ThemePart, vi->ThemeState,
                                                  themeFillColorProperty, clBtnFace));
  else
    vi->SetBackgroundColor(Enabled() ? FStyle->GetColor() : clBtnFace);
}

bool TcxContainer::RefreshContainer(const TPoint& P, TcxMouseButton, TShiftState AShift, bool) {
  if (FInnerMouseDown || IsDestroying() || !FStyle || !FViewInfo) return true;
  CalculateViewInfo(P, FStyle->HotTrack() && AShift.Empty());
  AdjustInnerControlBounds();
  SyncInnerControlLook();
  UpdateWindowRegion();
  if (HandleAllocated()) {
    if (FInnerControl)
      cxInvalidateFrameArea(this, FViewInfo->Bounds, FViewInfo->BorderRect);
    else
      InvalidateRect(WindowHandle(), &FViewInfo->Bounds, FALSE);
  }
  return true;
}

void TcxContainer::RefreshAtCursor(bool AIsMouseEvent) {
  if (!HandleAllocated() || IsDestroying()) return;
  TPoint p = ScreenToClient(cxCurrentCursorPos());
  RefreshContainer(p, cxmbNone, cxGetKeyboardShiftState(), AIsMouseEvent);
}

void TcxContainer::UpdateWindowRegion() {
  if (!HandleAllocated() || !FViewInfo) return;
  TRect extent;
  GetBorderExtent(extent);
  TRect r = widenBySides(cxDeflateRectByMargins(FViewInfo->Bounds, extent), FViewInfo->Edges, FViewInfo->BorderWidth);
  cxSetControlWindowRegion(this, r, FViewInfo->Shadow, FViewInfo->NativeStyle);
}

void TcxContainer::SyncInnerControlLook() {
  if (!FInnerControl || !FViewInfo) return;
  FInnerControl->SetColor(FViewInfo->BackgroundColor);
  // One assignment: the inner control is told of a font change only when something
  // differs.
  TFont font;
  font.Assign(Font());
  font.SetColor(Enabled() ? Font()->Color() : clBtnShadow);
  FInnerControl->SetFont(&font);
}

void TcxContainer::AdjustInnerControlBounds() {
  if (!FInnerControl || !FViewInfo) return;
  const TRect& client = FViewInfo->ClientRect;
  if (rectsEqual(FInnerControl->BoundsRect(), client)) return;
  FPositioningInner = true;
  {
    ScopeExit atEnd([&] { FPositioningInner = false; });
    FInnerControl->SetBounds(client.left, client.top, client.right - client.left, client.bottom - client.top);
  }
}

void TcxContainer::AdjustInnerScrollBars() {
  if (!FInnerControl || !HasScrollBars() || IsDestroying() || !cxCanGetScrollBarInfo()) return;
  if (!HandleAllocated() || !FInnerControl->HandleAllocated()) return;
  struct Bar {
    TcxControlScrollBar* Control;
    LONG ObjectId;
    int Kind;
  };
  const Bar bars[] = {{HScrollBar(), static_cast<LONG>(OBJID_HSCROLL), SB_HORZ},
                      {VScrollBar(), static_cast<LONG>(OBJID_VSCROLL), SB_VERT}};
  TRect own = cxGetControlSizeRect(this);
  for (const Bar& bar : bars) {
    if (!bar.Control) continue;
    SCROLLBARINFO info;
    bool shown = cxGetScrollBarInfo(FInnerControl->WindowHandle(), bar.ObjectId, info) &&
                 !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
    TRect r{0, 0, 0, 0};
    if (shown) {
      r = info.rcScrollBar;
      MapWindowPoints(nullptr, WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
      shown = r.left >= own.left && r.top >= own.top && r.right <= own.right && r.bottom <= own.bottom;
    }
    TcxScrollBarData& data = bar.Control->PendingData();
    if (!shown) {
      bar.Control->SetBounds(0, 0, 0, 0);
      data.Visible = false;
      bar.Control->SetVisible(false);
      continue;
    }
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(FInnerControl->WindowHandle(), bar.Kind, &si);
    data.Min = si.nMin;
    data.Max = std::max(si.nMax, si.nMin);
    data.PageSize = static_cast<Integer>(si.nPage);
    data.Position = si.nPos;
    data.Enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) && Enabled();
    data.Visible = true;
    bar.Control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    bar.Control->SetCtl3D(false);
    bar.Control->BringToFront();
    bar.Control->ApplyData();
  }
}

void TcxContainer::CalculateInnerControlRegion(const TRect& AAlignRect, TWinControl* AControl,
                                               std::optional<TRect>& ARegion) {
  ARegion.reset();
  if (!AControl) return;
  TRect region = cxGetControlSizeRect(AControl);
  TRect bounds = AControl->BoundsRect();
  bool cut = false;
  if (bounds.left < AAlignRect.left) {
    region.left += AAlignRect.left - bounds.left;
    cut = true;
  }
  if (bounds.top < AAlignRect.top) {
    region.top += AAlignRect.top - bounds.top;
    cut = true;
  }
  if (bounds.right > AAlignRect.right) {
    region.right -= bounds.right - AAlignRect.right;
    cut = true;
  }
  if (bounds.bottom > AAlignRect.bottom) {
    region.bottom -= bounds.bottom - AAlignRect.bottom;
    cut = true;
  }
  if (cut) ARegion = region;
}

bool TcxContainer::InnerControlRegionChanged(TWinControl* AControl, const std::optional<TRect>& ARegion) {
  if (AControl != FInnerControl) return true;
  return !(FStoredInnerRegion && ARegion && rectsEqual(*FStoredInnerRegion, *ARegion));
}

void TcxContainer::StoreInnerControlRegion(TWinControl* AControl, const std::optional<TRect>& ARegion) {
  if (AControl == FInnerControl) FStoredInnerRegion = ARegion;
}

// ---------------------------------------------------------------------------------------
// TcxContainer: style.

void TcxContainer::StyleChanged(TObject*) {
  if (FCreating || IsLoading() || !FStyle) return;
  RefreshAtCursor(false);
  FApplyingStyle = true;
  {
    ScopeExit atEnd([&] { FApplyingStyle = false; });
    if (FStyle->GetVisibleColor() != Color()) {
      SetParentColor(false);
      SetColor(FStyle->GetColor());
    }
    if (FStyle->Font()) SetFont(FStyle->Font());
  }
}

void TcxContainer::Loaded() {
  TcxControl::Loaded();
  StyleChanged(FStyle);
}

// ---------------------------------------------------------------------------------------
// TcxContainer: focus, keys, mouse.

bool TcxContainer::innerControlHasFocus() {
  if (!FInnerControl || !FInnerControl->HandleAllocated()) return false;
  HWND focus = GetFocus();
  return focus && (focus == FInnerControl->WindowHandle() || IsChild(FInnerControl->WindowHandle(), focus));
}

bool TcxContainer::HasFocus() {
  if (IsDesigning()) return false;
  return (HandleAllocated() && GetFocus() == WindowHandle()) || innerControlHasFocus();
}

bool TcxContainer::AcceptsFocus() { return !innerControlHasFocus(); }

bool TcxContainer::CanFocusOnClick() {
  if (innerControlHasFocus() || FInnerMouseDown) return false;
  return TcxControl::CanFocusOnClick();
}

void TcxContainer::FocusInnerControl() {
  if (FInnerControl && FInnerControl->CanFocus()) FInnerControl->SetFocus();
}

void TcxContainer::SetFocus() {
  if (IsDesigning() || HasFocus()) return;
  TcxControl::SetFocus();
  if (HandleAllocated() && GetFocus() == WindowHandle() && FInnerControl && FInnerControl->HandleAllocated())
    FocusInnerControl();
}

void TcxContainer::FocusChanged() {
  TcxControl::FocusChanged();
  RefreshAtCursor(false);
}

void TcxContainer::GetTabOrderList(TList* List) {
  TcxControl::GetTabOrderList(List);
  if (UsesStandardTabOrder() || !FInnerControl) return;
  TCustomForm* form = GetParentForm(this);
  if (!form || form->ActiveControl() != FInnerControl) return;
  // The inner control stands in the container's place, so that Tab leaves the container
  // from where the focus really is.
  Integer innerIndex = List->IndexOf(FInnerControl);
  if (innerIndex >= 0) List->Delete(innerIndex);
  Integer index = List->IndexOf(this);
  if (index >= 0) List->Put(index, FInnerControl);
}

void TcxContainer::KeyDown(Word& Key, TShiftState Shift) {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxControl::KeyDown(Key, Shift);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  if (Key != VK_TAB || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || !HasFocus() || HandlesTabKey()) return;
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  Key = 0;
  TWinControl* current = innerControlHasFocus() ? FInnerControl : this;
  form->SelectNext(current, !Shift.Contains(ssShift), true);
  if (HandleAllocated() && GetFocus() == WindowHandle()) FocusInnerControl();
}

void TcxContainer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxControl::MouseDown(Button, Shift, X, Y);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  lastMouseShiftState = Shift;
  RefreshContainer(TPoint{X, Y}, cxMouseButtonToCode(Button), Shift, true);
}

void TcxContainer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxControl::MouseUp(Button, Shift, X, Y);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  lastMouseShiftState = Shift;
  RefreshContainer(TPoint{X, Y}, cxMouseButtonToCode(Button), Shift, true);
}

void TcxContainer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxControl* guard = this;
  AddDestroyGuard(&guard);
  TcxControl::MouseMove(Shift, X, Y);
  if (!guard) return;
  RemoveDestroyGuard(&guard);
  RefreshContainer(TPoint{X, Y}, cxmbNone, Shift, true);
  if (!IsDestroying()) cxBeginMouseTracking(this, GetHotTrackArea(), MouseTrackingCaller());
}

void TcxContainer::MouseEnter(TControl* AControl) {
  TcxControl::MouseEnter(AControl);
  RefreshAtCursor(true);
  if (!IsDestroying()) cxBeginMouseTracking(this, GetHotTrackArea(), MouseTrackingCaller());
}

void TcxContainer::MouseLeave(TControl* AControl) {
  TcxControl::MouseLeave(AControl);
  lastMouseShiftState = TShiftState();
  RefreshAtCursor(true);
  cxEndMouseTracking(MouseTrackingCaller());
}

void TcxContainer::HandleTrackedMouseLeave() {
  MouseLeave(nullptr);
  cxEndMouseTracking(MouseTrackingCaller());
}

void TcxContainer::DoContextPopup(TPoint MousePos, bool& Handled) {
  // A menu asked for from the keyboard has no mouse point (-1, -1): only a real point
  // outside the client area suppresses the menu.
  bool fromKeyboard = MousePos.x == -1 && MousePos.y == -1;
  if (FContextMenuLockCount > 0 || (!fromKeyboard && FViewInfo && !PtInRect(&FViewInfo->ClientRect, MousePos))) {
    Handled = true;
    return;
  }
  TcxControl::DoContextPopup(MousePos, Handled);
}

void TcxContainer::SuspendInnerAlignment(bool ASuspend) {
  if (ASuspend)
    ++FInnerAlignmentLockCount;
  else if (FInnerAlignmentLockCount > 0)
    --FInnerAlignmentLockCount;
}

void TcxContainer::SetDragMode(TDragMode Value) {
  TcxControl::SetDragMode(Value);
  if (FInnerControl) FInnerControl->SetDragMode(Value);
}

void TcxContainer::SetDragKind(TDragKind Value) {
  TcxControl::SetDragKind(Value);
  if (FInnerControl) FInnerControl->SetDragKind(Value);
}

// ---------------------------------------------------------------------------------------
// TcxContainer: layout.

TRect TcxContainer::GetClientBounds() {
  if (!FViewInfo || IsDestroying()) return TcxControl::GetClientBounds();
  return FViewInfo->ClientRect;
}

void TcxContainer::AdjustClientRect(TRect& Rect) {
  if (FViewInfo && !IsDestroying()) Rect = FViewInfo->ClientRect;
}

void TcxContainer::setInnerRegion(TWinControl* AControl, const TRect& AAlignRect) {
  std::optional<TRect> region;
  CalculateInnerControlRegion(AAlignRect, AControl, region);
  if (!InnerControlRegionChanged(AControl, region)) return;
  cxSetChildWindowRegion(AControl, region);
  StoreInnerControlRegion(AControl, region);
}

void TcxContainer::AlignControls(TControl* AControl, TRect& Rect) {
  if (ControlStyle().Contains(csAcceptsControls)) {
    TcxControl::AlignControls(AControl, Rect);
    return;
  }
  if (FInnerAlignmentLockCount > 0 || (AControl && IsInternalControl(AControl))) return;
  if (!AControl) TcxControl::AlignControls(nullptr, Rect);
  if (FCreating) return;
  TRect alignRect = GetClientRect();
  AdjustClientRect(alignRect);
  if (AControl) {
    auto* windowed = dynamic_cast<TWinControl*>(AControl);
    if (windowed && windowed->HandleAllocated()) setInnerRegion(windowed, alignRect);
    return;
  }
  for (Integer i = 0; i < ControlCount(); ++i) {
    auto* windowed = dynamic_cast<TWinControl*>(Controls(i));
    if (windowed && windowed->HandleAllocated() && !IsInternalControl(windowed)) setInnerRegion(windowed, alignRect);
  }
}

void TcxContainer::Resize() {
  TcxControl::Resize();
  if (!FCreating) RefreshAtCursor(false);
}

void TcxContainer::CreateParams(TCreateParams& Params) {
  TcxControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TcxContainer::CreateWnd() {
  Canvas()->SetFont(Font());
  TcxControl::CreateWnd();
  RefreshAtCursor(false);
}

void TcxContainer::Paint() {
  if (!FViewInfo) return;
  TcxCanvas* canvas = GetCanvas();
  if (canvas->IsRectVisible(FViewInfo->Bounds)) FViewInfo->Draw(canvas);
}

// ---------------------------------------------------------------------------------------
// TcxContainer: messages.

void TcxContainer::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (!Visible()) return;
      [[fallthrough]];
    case WM_KILLFOCUS:
      // The focus moving between the container and its own inner control is no focus
      // change of the container.
      if (FInnerControl && FInnerControl->HandleAllocated() &&
          reinterpret_cast<HWND>(Message.WParam) == FInnerControl->WindowHandle()) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case CN_KEYDOWN:
    case CN_KEYUP:
    case CN_CHAR:
      if (FInnerControl) {
        if (FInnerControl->HandleAllocated())
          Message.Result = SendMessageA(FInnerControl->WindowHandle(), Message.Msg, Message.WParam, Message.LParam);
        else
          Message.Result = FInnerControl->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    default:
      break;
  }
  TcxControl::WndProc(Message);
}

void TcxContainer::WMSetFocus(TWMSetFocus& Message) {
  INHERITED_MESSAGE(Message);
  if (FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->CanFocus()) FocusInnerControl();
}

void TcxContainer::WMNCPaint(TMessage& Message) { Message.Result = 0; }

void TcxContainer::WMSetCursor(TWMSetCursor& Message) {
  if (FViewInfo && HandleAllocated() && Message.CursorWnd == WindowHandle() &&
      static_cast<SmallInt>(Message.HitTest) == HTCLIENT) {
    TPoint p = ScreenToClient(cxGetCursorPos());
    if (!PtInRect(&FViewInfo->ClientRect, p)) {
      ::SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
      Message.Result = 1;
      return;
    }
  }
  INHERITED_MESSAGE(Message);
}

void TcxContainer::WMWindowPosChanging(TWMWindowPosChanging& Message) {
  if (IsDestroying()) {
    Message.Result = 0;
    return;
  }
  INHERITED_MESSAGE(Message);
  if (HandleAllocated() && GetFocus() == WindowHandle() && FInnerControl && FInnerControl->HandleAllocated() &&
      FInnerControl->CanFocus())
    FocusInnerControl();
}

void TcxContainer::CMColorChanged(TMessage& Message) {
  if (!FStyle || FApplyingStyle) {
    INHERITED_MESSAGE(Message);
    if (FStyle) RefreshAtCursor(false);
    return;
  }
  FStyle->SetColor(Color());
}

void TcxContainer::ApplyFontChange(TMessage& Message) {
  ++FFontChangesApplied;
  Canvas()->SetFont(Font());
  INHERITED_MESSAGE(Message);
  AdjustInnerControlBounds();
  AdjustInnerScrollBars();
  // The inner control takes the font before the refresh, which gives it the text colour
  // of the container's state (a disabled container's inner text stays greyed).
  if (FInnerControl) FInnerControl->SetFont(Font());
  if (HandleAllocated()) RefreshAtCursor(false);
}

void TcxContainer::CMFontChanged(TMessage& Message) {
  if (!FStyle) {
    INHERITED_MESSAGE(Message);
    return;
  }
  if (FApplyingStyle) {
    ApplyFontChange(Message);
    return;
  }
  Integer appliedBefore = FFontChangesApplied;
  {
    UpdateLock lock(FStyle);
    FStyle->SetFont(Font());
    FStyle->SetAssignedValues(FStyle->OwnAssignedValues() - TcxContainerStyleValues{csvFont});
  }
  Canvas()->SetFont(Font());
  // Copying the style's font back runs the font handling only when the copy changes
  // something; a font that already equals the style's is still handled once.
  if (FFontChangesApplied == appliedBefore) {
    FApplyingStyle = true;
    {
      ScopeExit atEnd([&] { FApplyingStyle = false; });
      ApplyFontChange(Message);
    }
  }
}

void TcxContainer::CMCursorChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (FInnerControl) FInnerControl->SetCursor(Cursor());
}

void TcxContainer::EnabledChanged() {
  if (FInnerControl) FInnerControl->SetEnabled(Enabled());
  if (HasScrollBars()) {
    if (HScrollBar()) HScrollBar()->SetEnabled(Enabled());
    if (VScrollBar()) VScrollBar()->SetEnabled(Enabled());
  }
  RefreshAtCursor(false);
}

void TcxContainer::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  EnabledChanged();
}

void TcxContainer::CMCtl3DChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  RefreshAtCursor(false);
}

void TcxContainer::CMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  RefreshAtCursor(false);
}

void TcxContainer::WMScrollBarMetrics(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!FCreating && !IsLoading()) RefreshAtCursor(false);
}

void TcxContainer::CMParentColorChanged(TMessage& Message) {
  bool wasAssigned = FStyle && FStyle->OwnAssignedValues().Contains(csvColor);
  INHERITED_MESSAGE(Message);
  if (!FStyle) return;
  if (!(wasAssigned && !ParentColor()))
    FStyle->SetAssignedValues(FStyle->OwnAssignedValues() - TcxContainerStyleValues{csvColor});
  if (FStyle->GetColor() != Color()) StyleChanged(FStyle);
}

void TcxContainer::CMParentFontChanged(TMessage& Message) {
  bool wasAssigned = FStyle && FStyle->OwnAssignedValues().Contains(csvFont);
  INHERITED_MESSAGE(Message);
  if (!FStyle) return;
  if (!ParentFont()) FStyle->RefreshFontFromController();
  TcxContainerStyleValues values = FStyle->OwnAssignedValues();
  if (wasAssigned)
    values.Include(csvFont);
  else
    values.Exclude(csvFont);
  FStyle->SetAssignedValues(values);
}

// ---------------------------------------------------------------------------------------
// Popup windows: the open list and the hooks' state.

namespace {

// The open popups in opening order (unit start to unit end).
std::vector<TcxCustomPopupWindow*>* openPopups = nullptr;
HHOOK callWndProcHook = nullptr;
HHOOK getMessageHook = nullptr;
HHOOK mouseHook = nullptr;
// The popup being shown or hidden (null when none).
TcxCustomPopupWindow* showingPopup = nullptr;
// A click is closing popups.
bool closingPopupsByClick = false;
// Popups destroyed while a caller still walks them: a caller registers a cell, the
// destructor clears it.
std::vector<TcxCustomPopupWindow**> popupGuards;

std::vector<TcxCustomPopupWindow*>& popupList() {
  static std::vector<TcxCustomPopupWindow*> empty;
  return openPopups ? *openPopups : empty;
}

// The hooks watch the GUI thread only while a popup is open: they do nothing otherwise, and
// a hooked thread pays for every message it receives (under Wine, several round trips to
// the server each), which a long run of the program would feel.
void installPopupHooks() {
  if (callWndProcHook) return;
  DWORD thread = GetCurrentThreadId();
  callWndProcHook = SetWindowsHookExA(WH_CALLWNDPROC, &cxCallWndProcHook, nullptr, thread);
  getMessageHook = SetWindowsHookExA(WH_GETMESSAGE, &cxGetMessageHook, nullptr, thread);
  mouseHook = SetWindowsHookExA(WH_MOUSE, &cxMouseHook, nullptr, thread);
}

void removePopupHooks() {
  for (HHOOK* hook : {&mouseHook, &getMessageHook, &callWndProcHook}) {
    if (*hook) UnhookWindowsHookEx(*hook);
    *hook = nullptr;
  }
}

void addOpenPopup(TcxCustomPopupWindow* APopup) {
  if (openPopups && std::find(openPopups->begin(), openPopups->end(), APopup) == openPopups->end()) {
    openPopups->push_back(APopup);
    installPopupHooks();
  }
}

void removeOpenPopup(TcxCustomPopupWindow* APopup) {
  if (!openPopups) return;
  removeFrom(*openPopups, APopup);
  if (openPopups->empty()) removePopupHooks();
}

// Keeps a popup pointer valid for a walk: null once the popup was destroyed.
class PopupGuard {
public:
  explicit PopupGuard(TcxCustomPopupWindow* APopup) : FPopup(APopup) { popupGuards.push_back(&FPopup); }
  ~PopupGuard() { removeFrom(popupGuards, &FPopup); }
  PopupGuard(const PopupGuard&) = delete;
  PopupGuard& operator=(const PopupGuard&) = delete;
  TcxCustomPopupWindow* get() const { return FPopup; }
  explicit operator bool() const { return FPopup != nullptr; }

private:
  TcxCustomPopupWindow* FPopup;
};

// Watches one component: Watched becomes null when it is freed.
class ComponentWatch : public TComponent {
public:
  explicit ComponentWatch(TComponent* AWatched) : TComponent(nullptr), Watched(AWatched) {
    if (Watched) Watched->FreeNotification(this);
  }
  ~ComponentWatch() override {
    if (Watched) Watched->RemoveFreeNotification(this);
  }
  TComponent* Watched;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Watched) Watched = nullptr;
  }
};

bool isControlDestroying(TComponent* AComponent) {
  return AComponent && AComponent->ComponentState().Contains(csDestroying);
}

bool isTopmostWindow(HWND AWnd) { return AWnd && (GetWindowLongA(AWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The form of the popup's owner control (null without owner or form).
TCustomForm* ownerFormOf(TcxCustomPopupWindow* APopup) {
  return APopup->OwnerControl() ? GetParentForm(APopup->OwnerControl()) : nullptr;
}

// The rectangle beside which the popup opened, on the screen: the anchor bounds, or the
// owner control's client area without an anchor parent.
TRect ownerScreenBounds(TcxCustomPopupWindow* APopup) {
  TControl* anchor = APopup->AnchorParent();
  TRect r = APopup->AnchorBounds();
  if (!anchor) {
    anchor = APopup->OwnerControl();
    r = anchor ? cxGetControlSizeRect(anchor) : TRect{0, 0, 0, 0};
  }
  if (!anchor) return r;
  if (auto* windowed = dynamic_cast<TWinControl*>(anchor); windowed && !windowed->HandleAllocated()) return r;
  TPoint topLeft = anchor->ClientToScreen(TPoint{r.left, r.top});
  TPoint bottomRight = anchor->ClientToScreen(TPoint{r.right, r.bottom});
  return TRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// The clicked window is the MDI client, the MDI frame or a window of another MDI child
// than AForm.
bool cxIsWindowInOtherMdiForm(HWND AWnd, TCustomForm* AForm) {
  TForm* frame = Application ? Application->MainForm() : nullptr;
  if (!frame || !frame->HandleAllocated() || !AWnd) return false;
  HWND client = frame->ClientHandle();
  if (AWnd == client || AWnd == frame->WindowHandle()) return true;
  if (!client) return false;
  for (HWND w = AWnd; w; w = GetParent(w))
    if (GetParent(w) == client) return !AForm->HandleAllocated() || w != AForm->WindowHandle();
  return false;
}

// A window whose next message is answered 1 without reaching its procedure (the owner
// form's caption stays active while its popup takes the activation).
struct SwallowedWindow {
  HWND Window;
  WNDPROC OldProc;
};
std::vector<SwallowedWindow> swallowedWindows;

LRESULT CALLBACK swallowOneMessage(HWND AWnd, UINT, WPARAM, LPARAM) {
  for (auto it = swallowedWindows.begin(); it != swallowedWindows.end(); ++it) {
    if (it->Window != AWnd) continue;
    SetWindowLongPtrA(AWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->OldProc));
    swallowedWindows.erase(it);
    break;
  }
  return 1;
}

void swallowNextMessage(HWND AWnd) {
  for (const SwallowedWindow& w : swallowedWindows)
    if (w.Window == AWnd) return;
  auto old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(AWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&swallowOneMessage)));
  if (old) swallowedWindows.push_back({AWnd, old});
}

// Closes (CloseUp without query) through a guard; false when the popup went away.
bool closeUpGuarded(TcxCustomPopupWindow* APopup) {
  PopupGuard guard(APopup);
  APopup->CloseUp(false);
  return static_cast<bool>(guard);
}

}  // namespace

const std::vector<TcxCustomPopupWindow*>& cxOpenPopupWindows() { return popupList(); }

bool cxPopupHooksInstalled() { return callWndProcHook || getMessageHook || mouseHook; }

void cxPostPopupCloseMessage(TcxCustomPopupWindow* APopup) {
  if (APopup && APopup->HandleAllocated()) PostMessageA(APopup->WindowHandle(), WM_CXCLOSEPOPUPWINDOW, 0, 0);
}

bool cxIsWindowInPopupTree(TcxCustomPopupWindow* APopup, HWND AWnd) {
  if (!APopup || !AWnd || !APopup->HandleAllocated()) return false;
  HWND popupWindow = APopup->WindowHandle();
  if (AWnd == popupWindow || IsChild(popupWindow, AWnd)) return true;
  // Popups opened from a control inside this popup belong to it too. Every popup is
  // looked at once, so the walk ends whatever the owners are.
  std::vector<TcxCustomPopupWindow*> pending{APopup};
  std::vector<TcxCustomPopupWindow*> seen{APopup};
  while (!pending.empty()) {
    TcxCustomPopupWindow* parent = pending.back();
    pending.pop_back();
    for (TcxCustomPopupWindow* child : popupList()) {
      if (std::find(seen.begin(), seen.end(), child) != seen.end()) continue;
      TWinControl* owner = child->OwnerControl();
      if (!owner || !owner->HandleAllocated() || !cxIsWindowInsideControl(owner->WindowHandle(), parent)) continue;
      seen.push_back(child);
      if (child->HandleAllocated() &&
          (AWnd == child->WindowHandle() || IsChild(child->WindowHandle(), AWnd)))
        return true;
      pending.push_back(child);
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// TcxCustomPopupWindow.

RTL_BEGIN_CLASS(TcxCustomPopupWindow)
  b.Message(WM_ERASEBKGND, &TcxCustomPopupWindow::WMEraseBkgnd);
  b.Message(WM_ACTIVATEAPP, &TcxCustomPopupWindow::WMActivateApp);
  b.Message(WM_CXCLOSEPOPUPWINDOW, &TcxCustomPopupWindow::WMCloseMessage);
  b.Message(WM_CXSHOWPOPUPWINDOW, &TcxCustomPopupWindow::WMShowMessage);
  b.Message(CM_MOUSEENTER, &TcxCustomPopupWindow::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TcxCustomPopupWindow::CMMouseLeave);
RTL_END_CLASS

TcxCustomPopupWindow::TcxCustomPopupWindow(TWinControl* AOwnerControl)
    : TcxPopupWindow(nullptr), FOwnerControl(AOwnerControl) {
  SetFormStyle(fsNormal);
  SetVisible(false);
  SetKeyPreview(true);
  // The popup must not keep a control that goes away: it closes then.
  if (FOwnerControl) FOwnerControl->FreeNotification(this);
}

void TcxCustomPopupWindow::AfterConstruction() {
  TcxPopupWindow::AfterConstruction();
  FStyle = TcxContainerStyle::CreateOfClass(GetStyleClass(), this, false);
  FStyle->SetOnChanged(TNotifyEvent(this, &TcxCustomPopupWindow::styleChanged));
  TObject* viewInfo = GetViewInfoClass()->CreateInstance();
  FViewInfo = dynamic_cast<TcxContainerViewInfo*>(viewInfo);
  if (!FViewInfo) {
    FreeObject(viewInfo);
    throw EInvalidCast("Invalid class typecast");
  }
}

TcxCustomPopupWindow::~TcxCustomPopupWindow() {
  removeOpenPopup(this);
  if (showingPopup == this) showingPopup = nullptr;
  for (TcxCustomPopupWindow** guard : popupGuards)
    if (*guard == this) *guard = nullptr;
  if (FOwnerControl) FOwnerControl->RemoveFreeNotification(this);
  FreeAndNil(FViewInfo);
  if (FStyle) {
    FStyle->SetOnChanged(nullptr);
    FreeAndNil(FStyle);
  }
}

TcxCustomPopupWindow* TcxCustomPopupWindow::CreateForControl(TClass AClass, TWinControl* AOwnerControl) {
  TClass cls = AClass ? AClass : StaticClass();
  if (!cls->InheritsFrom(StaticClass())) throw EInvalidCast("Invalid class typecast");
  return static_cast<TcxCustomPopupWindow*>(cls->CreateInstance(AOwnerControl));
}

void TcxCustomPopupWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TcxPopupWindow::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FOwnerControl) {
    CloseUp(false);
    FOwnerControl = nullptr;
    FControlToFocus = nullptr;
  }
  if (Operation == opRemove && AComponent && AComponent == FControlToFocus) FControlToFocus = nullptr;
}

void TcxCustomPopupWindow::DoAfterClose(bool ACloseQuery) {
  if (FOnAfterClose) FOnAfterClose(this, ACloseQuery);
}

void TcxCustomPopupWindow::DoBeforeClose(bool ACloseQuery) {
  if (FOnBeforeClose) FOnBeforeClose(this, ACloseQuery);
}

void TcxCustomPopupWindow::DoAfterShow() {
  if (FOnAfterShow) FOnAfterShow(this);
}

void TcxCustomPopupWindow::DoBeforeShow() {
  if (FOnBeforeShow) FOnBeforeShow(this);
}

bool TcxCustomPopupWindow::AcceptsSysKey(Word AKey) { return (AKey >= VK_PRIOR && AKey <= VK_DOWN) || AKey == VK_F4; }

bool TcxCustomPopupWindow::IsOpen() const {
  const auto& list = popupList();
  return std::find(list.begin(), list.end(), this) != list.end();
}

bool TcxCustomPopupWindow::HasFocus() {
  return IsOpen() && FTakesFocus && cxIsWindowInPopupTree(this, GetFocus());
}

bool TcxCustomPopupWindow::HasCapture() {
  HWND capture = GetCapture();
  if (!capture || !HandleAllocated()) return false;
  return capture == WindowHandle() || IsChild(WindowHandle(), capture);
}

TWinControl* TcxCustomPopupWindow::GetControlToFocus(TWinControl* AControl) {
  if (AControl && AControl->CanFocus() && AControl->TabStop()) return AControl;
  if (TWinControl* first = FindNextControl(nullptr, true, true, false)) return first;
  return this;
}

void TcxCustomPopupWindow::recreateKeepingOpen() {
  if (!HandleAllocated()) return;
  bool wasOpen = IsOpen();
  TWinControl* control = FControlToFocus;
  if (wasOpen) CloseUp(false);
  RecreateWnd();
  if (wasOpen) OpenPopup(control);
}

void TcxCustomPopupWindow::SetTakesFocus(bool Value) {
  if (FTakesFocus == Value) return;
  FTakesFocus = Value;
  recreateKeepingOpen();
}

void TcxCustomPopupWindow::SetTopmostWithOwner(bool Value) {
  if (FTopmostWithOwner == Value) return;
  FTopmostWithOwner = Value;
  recreateKeepingOpen();
}

void TcxCustomPopupWindow::OpenPopup(TWinControl* AControlToFocus) {
  if (IsOpen()) return;
  PopupGuard guard(this);
  InitPopup();
  CalculateSize();
  TPoint p{Left(), Top()};
  CalculatePosition(p);
  SetBounds(p.x, p.y, Width(), Height());

  TcxCustomPopupWindow* previousShowing = showingPopup;
  showingPopup = this;
  try {
    addOpenPopup(this);
    TWinControl* control = AControlToFocus;
    if (FTakesFocus) control = GetControlToFocus(control);
    FControlToFocus = control;
    if (control && control != this) control->FreeNotification(this);
    DoBeforeShow();
    if (!guard) return;
    if (FTakesFocus) {
      Show();
      if (control == this)
        ::SetFocus(WindowHandle());
      else if (control && control->CanFocus())
        control->SetFocus();
    } else {
      Show();
      if (control && control->CanFocus()) control->SetFocus();
      TCustomForm* ownerForm = ownerFormOf(this);
      bool topmost = !ownerForm || (ownerForm->HandleAllocated() && isTopmostWindow(ownerForm->WindowHandle()));
      SetWindowPos(WindowHandle(), topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
  } catch (...) {
    if (guard) showingPopup = previousShowing;
    throw;
  }
  if (!guard) return;
  showingPopup = previousShowing;
  SetModalResult(mrNone);
  DoAfterShow();
  if (!guard || !FTakesFocus || !FRunsModalLoop) return;

  while (guard && Visible() && Application && !Application->Terminated()) {
    // Alt, Enter or Space with Alt would reach the owner form's menu: dropped unhandled.
    MSG msg;
    if (PeekMessageA(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) &&
        (msg.wParam == VK_RETURN || msg.wParam == VK_MENU || msg.wParam == VK_SPACE))
      PeekMessageA(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    if (ModalResult() != mrNone)
      CloseUp(true);
    else
      Application->HandleMessage();
  }
}

void TcxCustomPopupWindow::CloseUp(bool ACloseQuery) {
  if (!IsOpen()) return;
  PopupGuard guard(this);
  if (ACloseQuery && !CloseQuery()) {
    if (guard) SetModalResult(mrNone);
    return;
  }
  if (!guard) return;
  removeOpenPopup(this);
  DoBeforeClose(ACloseQuery);
  if (!guard) return;
  TcxCustomPopupWindow* previousShowing = showingPopup;
  showingPopup = this;
  try {
    if (HandleAllocated()) ShowWindow(WindowHandle(), SW_HIDE);
    Hide();
  } catch (...) {
    if (guard) showingPopup = previousShowing;
    throw;
  }
  if (!guard) return;
  showingPopup = previousShowing;
  DoAfterClose(ACloseQuery);
  if (guard && HasCapture()) ReleaseCapture();
}

void TcxCustomPopupWindow::DoClose(TCloseAction& Action) {
  TcxPopupWindow::DoClose(Action);
  // Closing the form closes the popup (it leaves the open list with its events).
  if (Action == caHide && IsOpen()) {
    CloseUp(false);
    Action = caNone;
  }
}

void TcxCustomPopupWindow::Deactivate() {
  TForm::Deactivate();
  FDeactivating = false;
  if (FClosingByMessage) return;
  PopupGuard guard(this);
  // From the last popup down to the active window: every enabled popup passed closes.
  bool metActive = false;
  HWND active = GetActiveWindow();
  for (size_t i = popupList().size(); i-- > 0;) {
    if (i >= popupList().size()) continue;
    TcxCustomPopupWindow* popup = popupList()[i];
    if (popup->HandleAllocated() && popup->WindowHandle() == active) {
      metActive = true;
      break;
    }
    if (popup->HandleAllocated() && IsWindowEnabled(popup->WindowHandle())) closeUpGuarded(popup);
  }
  if (guard && !metActive && !popupList().empty()) CloseUp(false);
}

void TcxCustomPopupWindow::VisibleChanged() {
  TcxPopupWindow::VisibleChanged();
  if (Visible() || !FOwnerControl) return;
  TCustomForm* form = GetParentForm(FOwnerControl);
  if (!form || !form->HandleAllocated() || form->ComponentState().Contains(csDesigning)) return;
  HWND focus = GetFocus();
  bool focusInForm = focus && (focus == form->WindowHandle() || IsChild(form->WindowHandle(), focus));
  if (focusInForm && FOwnerControl->CanFocus()) FOwnerControl->SetFocus();
}

void TcxCustomPopupWindow::CreateParams(TCreateParams& Params) {
  TcxPopupWindow::CreateParams(Params);
  TCustomForm* ownerForm = ownerFormOf(this);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
  if (FTakesFocus) {
    if (ownerForm) Params.WndParent = ownerForm->Handle();
    Params.Style &= ~static_cast<DWORD>(WS_CHILD);
    Params.Style |= WS_POPUP;
    bool ownerTopmost = !ownerForm || (ownerForm->HandleAllocated() && isTopmostWindow(ownerForm->WindowHandle()));
    if (FTopmostWithOwner && ownerTopmost) Params.ExStyle |= WS_EX_TOPMOST;
  } else {
    // A child window made top-level after its creation never takes the activation.
    Params.Style = WS_CHILD;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (!Params.WndParent && FOwnerControl) Params.WndParent = FOwnerControl->Handle();
  }
  Params.Style |= WS_CLIPCHILDREN;
}

void TcxCustomPopupWindow::CreateWnd() {
  bool added = !IsOpen();
  if (added) addOpenPopup(this);
  try {
    TcxPopupWindow::CreateWnd();
  } catch (...) {
    if (added) removeOpenPopup(this);
    throw;
  }
  if (added) removeOpenPopup(this);
  if (!FTakesFocus) ::SetParent(WindowHandle(), nullptr);
}

void TcxCustomPopupWindow::Paint() {
  if (FViewInfo) FViewInfo->Paint(cxCanvas());
}

void TcxCustomPopupWindow::AdjustClientRect(TRect& Rect) {
  if (FViewInfo) Rect = FViewInfo->ClientRect;
}

void TcxCustomPopupWindow::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && IsOpen() && HasCapture()) {
    ReleaseCapture();
    Key = 0;
    return;
  }
  TcxPopupWindow::KeyDown(Key, Shift);
}

void TcxCustomPopupWindow::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  if (!ErasesBackground()) {
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TcxCustomPopupWindow::WMActivateApp(TMessage& Message) {
  // The popup window base would close on an application switch; the hooks decide here.
  DispatchFrom(TcxPopupWindow::inherited::StaticClass(), Message);
}

void TcxCustomPopupWindow::WMCloseMessage(TMessage&) {
  PopupGuard guard(this);
  FClosingByMessage = true;
  CloseUp(false);
  if (!guard) return;
  FClosingByMessage = false;
  if (FOwnerControl && FOwnerControl->HandleAllocated()) SendMessageA(FOwnerControl->WindowHandle(), WM_SETFOCUS, 0, 0);
}

void TcxCustomPopupWindow::WMShowMessage(TMessage& Message) {
  OpenPopup(reinterpret_cast<TWinControl*>(Message.WParam));
}

void TcxCustomPopupWindow::CMMouseEnter(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  MouseEnter(control ? control : this);
}

void TcxCustomPopupWindow::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  auto* control = reinterpret_cast<TControl*>(Message.LParam);
  MouseLeave(control ? control : this);
}

// ---------------------------------------------------------------------------------------
// The hooks.

namespace {

void handleDestroyMessage(HWND AWnd) {
  for (TcxCustomPopupWindow* popup : std::vector<TcxCustomPopupWindow*>(popupList())) {
    if (isControlDestroying(popup) || !popup->HandleAllocated() || popup->WindowHandle() != AWnd) continue;
    popup->Close();
    return;
  }
}

void handleCloseMessage(HWND AWnd) {
  for (size_t i = 0; i < popupList().size(); ++i) {
    TcxCustomPopupWindow* popup = popupList()[i];
    if (isControlDestroying(popup)) continue;
    if (popup->HandleAllocated() && popup->WindowHandle() == AWnd) {
      PopupGuard guard(popup);
      ComponentWatch owner(popup->OwnerControl());
      ComponentWatch ownerForm(ownerFormOf(popup));
      popup->Close();
      // Closing a focus-taking popup's window closes its owner's form after it (Alt+F4).
      auto* form = static_cast<TCustomForm*>(ownerForm.Watched);
      if (guard && !popup->IsOpen() && popup->TakesFocus() && form && form->HandleAllocated() && owner.Watched &&
          !isControlDestroying(owner.Watched) && !isControlDestroying(form))
        SendMessageA(form->WindowHandle(), WM_CLOSE, 0, 0);
      return;
    }
    if (popup->TakesFocus()) continue;
    TWinControl* owner = popup->OwnerControl();
    if (isControlDestroying(owner)) continue;
    // A popup without an owner form has nothing to close with: the walk passes it.
    TCustomForm* ownerForm = ownerFormOf(popup);
    if (!ownerForm) continue;
    if (!ownerForm->HandleAllocated() || ownerForm->WindowHandle() == AWnd) popup->CloseUp(false);
    return;
  }
}

void handleHiddenWindow(HWND AWnd) {
  auto& list = popupList();
  for (size_t i = list.size(); i-- > 0;) {
    TcxCustomPopupWindow* popup = list[i];
    if (isControlDestroying(popup)) continue;
    TWinControl* owner = popup->OwnerControl();
    if (!owner || isControlDestroying(owner) || !owner->HandleAllocated() || owner->WindowHandle() != AWnd) continue;
    // This popup and every popup opened after it, the last first.
    for (size_t j = list.size(); j-- > i;)
      if (j < list.size()) closeUpGuarded(list[j]);
    return;
  }
}

void handleActivateApp(bool AActive) {
  if (AActive) return;
  for (size_t guard = 0; guard <= 64 && !popupList().empty(); ++guard) {
    for (TcxCustomPopupWindow* popup : popupList())
      if (TCustomForm* form = ownerFormOf(popup); form && form->HandleAllocated())
        PostMessageA(form->WindowHandle(), WM_NCACTIVATE, FALSE, 0);
    TcxCustomPopupWindow* victim = nullptr;
    for (TcxCustomPopupWindow* popup : popupList())
      if (!(popup->TakesFocus() && popup->Active())) {
        victim = popup;
        break;
      }
    if (!victim) return;
    ComponentWatch owner(victim->OwnerControl());
    closeUpGuarded(victim);
    if (auto* control = dynamic_cast<TcxControl*>(owner.Watched); control && !isControlDestroying(control))
      control->FocusChanged();
  }
}

void handleWindowPosChanged(HWND AWnd) {
  // The class library hides a control by moving its window hidden, which sends no
  // WM_SHOWWINDOW: a popup whose owner was hidden so closes here, and with it every popup
  // opened after it (they may belong to it), as for a hidden window.
  if (IsWindowVisible(AWnd)) return;
  for (size_t guard = 0; guard <= 64; ++guard) {
    size_t before = popupList().size();
    handleHiddenWindow(AWnd);
    if (popupList().size() == before) return;
  }
}

void handleNCActivate(HWND AWnd, bool AActive) {
  if (AActive) return;
  bool ownerForm = false;
  for (TcxCustomPopupWindow* popup : popupList()) {
    TCustomForm* form = ownerFormOf(popup);
    if (form && form->HandleAllocated() && form->WindowHandle() == AWnd) {
      ownerForm = true;
      break;
    }
  }
  if (closingPopupsByClick || ownerForm) swallowNextMessage(AWnd);
}

}  // namespace

LRESULT CALLBACK cxCallWndProcHook(int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION && !popupList().empty()) {
    try {
      const CWPSTRUCT& m = *reinterpret_cast<const CWPSTRUCT*>(ALParam);
      switch (m.message) {
        case WM_DESTROY: handleDestroyMessage(m.hwnd); break;
        case WM_CLOSE: handleCloseMessage(m.hwnd); break;
        case WM_SHOWWINDOW:
          if (m.wParam == 0) handleHiddenWindow(m.hwnd);
          break;
        case WM_ACTIVATEAPP: handleActivateApp(m.wParam != 0); break;
        case WM_WINDOWPOSCHANGED: handleWindowPosChanged(m.hwnd); break;
        case WM_NCACTIVATE: handleNCActivate(m.hwnd, m.wParam != 0); break;
        default: break;
      }
    } catch (...) {
      // Nothing may leave a hook; the message goes on as if no popup cared.
    }
  }
  return CallNextHookEx(callWndProcHook, ACode, AWParam, ALParam);
}

LRESULT CALLBACK cxGetMessageHook(int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION && AWParam == PM_REMOVE && !popupList().empty()) {
    MSG& m = *reinterpret_cast<MSG*>(ALParam);
    if (m.message == WM_SYSKEYDOWN) {
      TcxCustomPopupWindow* last = popupList().back();
      if (!(last->TakesFocus() && last->RunsModalLoop()) && !last->AcceptsSysKey(static_cast<Word>(m.wParam)))
        m.message = WM_NULL;
    }
  }
  return CallNextHookEx(getMessageHook, ACode, AWParam, ALParam);
}

LRESULT CALLBACK cxMouseHook(int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION && !popupList().empty()) {
    switch (AWParam) {
      case WM_NCLBUTTONDOWN:
      case WM_NCLBUTTONDBLCLK:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        const MOUSEHOOKSTRUCT& info = *reinterpret_cast<const MOUSEHOOKSTRUCT*>(ALParam);
        bool pass = true;
        try {
          pass = cxClosePopupsOnClick(static_cast<UINT>(AWParam), info.hwnd, info.pt);
        } catch (...) {
          pass = true;
        }
        if (!pass) return 1;
        break;
      }
      default: break;
    }
  }
  return CallNextHookEx(mouseHook, ACode, AWParam, ALParam);
}

bool cxClosePopupsOnClick(UINT AMessage, HWND AWnd, const TPoint& AScreenPoint) {
  bool result = true;
  bool wasClosing = closingPopupsByClick;
  closingPopupsByClick = true;
  try {
    // After each close the walk starts again from the first popup: closing changes the
    // list. Each pass closes one popup, so the passes end.
    bool closed = true;
    for (size_t pass = 0; closed && pass <= popupList().size() + 1; ++pass) {
      closed = false;
      for (TcxCustomPopupWindow* popup : std::vector<TcxCustomPopupWindow*>(popupList())) {
        if (popup->TakesFocus() && !popup->Active()) continue;
        if (cxIsWindowInPopupTree(popup, AWnd)) continue;
        TWinControl* owner = popup->OwnerControl();
        if (owner && cxIsWindowInControlForm(AWnd, owner)) {
          bool leftClick = AMessage == WM_LBUTTONDOWN || AMessage == WM_LBUTTONDBLCLK;
          TRect bounds = ownerScreenBounds(popup);
          bool inOwnerBounds = PtInRect(&bounds, AScreenPoint) != 0;
          if (leftClick && inOwnerBounds && cxIsWindowInsideControl(AWnd, owner)) popup->SetClosedByOwnerClick(true);
          PopupGuard guard(popup);
          ComponentWatch ownerWatch(owner);
          popup->FClosingByMessage = true;
          popup->CloseUp(false);
          if (guard) popup->FClosingByMessage = false;
          // The owner went away or hid while its popup closed: the click has no target.
          auto* watched = static_cast<TWinControl*>(ownerWatch.Watched);
          if (inOwnerBounds && (!watched || isControlDestroying(watched) || !watched->Visible())) result = false;
          closed = true;
          break;
        }
        TCustomForm* ownerForm = ownerFormOf(popup);
        if (ownerForm && ownerForm->FormStyle() == fsMDIChild && cxIsWindowInOtherMdiForm(AWnd, ownerForm)) {
          closeUpGuarded(popup);
          closed = true;
          break;
        }
      }
    }
  } catch (...) {
    closingPopupsByClick = wasClosing;
    throw;
  }
  closingPopupsByClick = wasClosing;
  return result;
}

// ---------------------------------------------------------------------------------------
// TcxCustomInnerListBox.

RTL_BEGIN_CLASS(TcxCustomInnerListBox)
  b.Interface<IcxContainerInnerControl>();
  b.Message(WM_GETDLGCODE, &TcxCustomInnerListBox::WMGetDlgCode);
  b.Message(WM_SETFOCUS, &TcxCustomInnerListBox::WMSetFocus);
  b.Message(WM_KILLFOCUS, &TcxCustomInnerListBox::WMKillFocus);
  b.Message(WM_LBUTTONDOWN, &TcxCustomInnerListBox::WMLButtonDown);
  b.Message(WM_NCPAINT, &TcxCustomInnerListBox::WMNCPaint);
  b.Message(CN_DRAWITEM, &TcxCustomInnerListBox::CNDrawItem);
RTL_END_CLASS

TcxCustomInnerListBox::TcxCustomInnerListBox(TComponent* AOwner) : TListBox(AOwner) {
  FCanvas = new TcxCanvas(Canvas());
  FLookAndFeel = New<TcxLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TcxCustomInnerListBox::lookAndFeelChanged));
  FHScrollBar = New<TcxScrollBar>(nullptr);
  FHScrollBar->SetKind(sbHorizontal);
  FHScrollBar->SetOnScroll(TScrollEvent(this, &TcxCustomInnerListBox::hScrolled));
  FVScrollBar = New<TcxScrollBar>(nullptr);
  FVScrollBar->SetKind(sbVertical);
  FVScrollBar->SetOnScroll(TScrollEvent(this, &TcxCustomInnerListBox::vScrolled));
  for (TcxScrollBar* bar : {FHScrollBar, FVScrollBar}) {
    bar->SetVisible(false);
    bar->SetSmallChange(1);
    bar->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
    bar->FreeNotification(this);
  }
  SetBorderStyle(bsNone);
  controlStyle_.Include(csDoubleClicks);
  SetParentColor(false);
  SetParentFont(true);
}

TcxCustomInnerListBox::~TcxCustomInnerListBox() {
  // The overlays go with the list box even when they stand in its parent: left behind,
  // they would scroll a list box that no longer exists.
  for (TcxScrollBar** bar : {&FHScrollBar, &FVScrollBar}) {
    TcxScrollBar* overlay = *bar;
    *bar = nullptr;
    if (!overlay) continue;
    overlay->RemoveFreeNotification(this);
    overlay->SetOnScroll(TScrollEvent());
    overlay->Free();
  }
  if (FLookAndFeel) FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent());
  FreeAndNil(FLookAndFeel);
  delete FCanvas;
  FCanvas = nullptr;
}

void TcxCustomInnerListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TListBox::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
}

// --- Input forwarding.

void TcxCustomInnerListBox::Click() {
  if (FVScrollBar && FVScrollBar->Visible()) FVScrollBar->SetPosition(TopIndex());
  TListBox::Click();
  if (FContainer) FContainer->Click();
}

void TcxCustomInnerListBox::DblClick() {
  TListBox::DblClick();
  if (FContainer) FContainer->DblClick();
}

void TcxCustomInnerListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TListBox::MouseDown(Button, Shift, X, Y);
  if (!FContainer) return;
  TcxContainer* container = FContainer;
  container->FInnerMouseDown = true;
  {
    ScopeExit atEnd([&] { container->FInnerMouseDown = false; });
    container->MouseDown(Button, Shift, X + Left(), Y + Top());
  }
}

void TcxCustomInnerListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TListBox::MouseMove(Shift, X, Y);
  if (FContainer) FContainer->MouseMove(Shift, X + Left(), Y + Top());
}

void TcxCustomInnerListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TListBox::MouseUp(Button, Shift, X, Y);
  if (FContainer) FContainer->MouseUp(Button, Shift, X + Left(), Y + Top());
}

void TcxCustomInnerListBox::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  if (FContainer)
    FContainer->DragOver(Source, X + Left(), Y + Top(), State, Accept);
  else
    TListBox::DragOver(Source, X, Y, State, Accept);
}

void TcxCustomInnerListBox::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (FContainer)
    FContainer->DragDrop(Source, X + Left(), Y + Top());
  else
    TListBox::DragDrop(Source, X, Y);
}

bool TcxCustomInnerListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (FContainer && FContainer->DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  return TListBox::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TcxCustomInnerListBox::KeyDown(Word& Key, TShiftState Shift) {
  if (FContainer) FContainer->KeyDown(Key, Shift);
  if (Key != 0) TListBox::KeyDown(Key, Shift);
}

void TcxCustomInnerListBox::KeyPress(char& Key) {
  if (Key == '\t') Key = 0;
  if (Key != 0 && FContainer) FContainer->KeyPress(Key);
  if (Key == '\r') Key = 0;
  if (Key != 0) TListBox::KeyPress(Key);
}

void TcxCustomInnerListBox::KeyUp(Word& Key, TShiftState Shift) {
  if (Key == VK_TAB) Key = 0;
  if (Key != 0 && FContainer) FContainer->KeyUp(Key, Shift);
  if (Key != 0) TListBox::KeyUp(Key, Shift);
}

TPopupMenu* TcxCustomInnerListBox::GetPopupMenu() {
  if (FContainer)
    if (auto* menu = dynamic_cast<TPopupMenu*>(FContainer->PopupMenu())) return menu;
  return TListBox::GetPopupMenu();
}

void TcxCustomInnerListBox::WMGetDlgCode(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!FContainer) return;
  Message.Result |= DLGC_WANTCHARS;
  if (GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
}

void TcxCustomInnerListBox::WMSetFocus(TWMSetFocus& Message) {
  INHERITED_MESSAGE(Message);
  if (!FContainer || FContainer->IsDestroying()) return;
  if (FContainer->HandleAllocated() && Message.FocusedWnd == FContainer->WindowHandle()) return;
  FContainer->FocusChanged();
}

void TcxCustomInnerListBox::WMKillFocus(TWMKillFocus& Message) {
  INHERITED_MESSAGE(Message);
  if (FContainer && !FContainer->IsDestroying()) FContainer->FocusChanged();
}

void TcxCustomInnerListBox::WMLButtonDown(TWMMouse& Message) {
  if (!FContainer || FContainer->DragMode() != dmAutomatic || FContainer->IsDesigning()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  // The container is dragged, not the list box.
  TDragMode ownMode = DragMode();
  SetDragMode(dmManual);
  TShiftState shift = KeysToShiftState(static_cast<Word>(Message.Keys));
  bool selectKeys = shift.Contains(ssShift) || shift.Contains(ssCtrl);
  bool shiftOnly = shift.Contains(ssShift) && !shift.Contains(ssCtrl);
  Integer item = ItemAtPos(TPoint{Message.XPos, Message.YPos}, true);
  TcxContainer* container = FContainer;
  {
    ScopeExit atEnd([&] { SetDragMode(ownMode); });
    if (MultiSelect() && item >= 0 && Selected(item) && !shiftOnly) {
      container->BeginDrag(false);
    } else {
      INHERITED_MESSAGE(Message);
      if (!(MultiSelect() && selectKeys)) container->BeginDrag(false);
    }
  }
}

// --- Owner drawing.

void TcxCustomInnerListBox::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  TOwnerDrawState state = OwnerDrawStateOf(dis.itemState);
  Integer index = static_cast<Integer>(static_cast<int>(dis.itemID));
  TCanvas* canvas = Canvas();
  canvas->SetHandle(dis.hDC);
  {
    ScopeExit atEnd([&] { canvas->SetHandle(nullptr); });
    canvas->SetFont(Font());
    canvas->SetBrush(Brush());
    if (index >= 0 && state.Contains(odSelected)) {
      canvas->Brush()->SetColor(clHighlight);
      canvas->Font()->SetColor(clHighlightText);
    }
    if (index >= 0)
      DrawItem(index, dis.rcItem, state);
    else
      canvas->FillRect(dis.rcItem);
    if (state.Contains(odFocused) && !OnDrawItem()) DrawFocusRect(dis.hDC, &dis.rcItem);
  }
  Message.Result = 1;
}

// --- Overlay scroll bars.

void TcxCustomInnerListBox::WndProc(TMessage& Message) {
  TListBox::WndProc(Message);
  switch (Message.Msg) {
    case WM_SETREDRAW:
      if (Message.WParam != 0) UpdateScrollBars();
      break;
    case WM_WINDOWPOSCHANGED:
      UpdateScrollBars();
      paintSizeGrip();
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case LB_SETHORIZONTALEXTENT:
    case LB_SETTOPINDEX:
    case LB_SETCARETINDEX:
    case WM_MOUSEWHEEL:
    case CM_SHOWINGCHANGED:
      UpdateScrollBars();
      break;
    case WM_NCCALCSIZE:
      if (!FScrollBarsCalculating) {
        FScrollBarsCalculating = true;
        {
          ScopeExit atEnd([&] { FScrollBarsCalculating = false; });
          UpdateScrollBars();
        }
      }
      break;
    default:
      break;
  }
}

void TcxCustomInnerListBox::UpdateScrollBars() {
  if (IsDestroying() || FScrollBarsLockCount > 0 || !cxCanGetScrollBarInfo() || !HandleAllocated()) return;
  placeOverlay(FHScrollBar, static_cast<LONG>(OBJID_HSCROLL), SB_HORZ);
  placeOverlay(FVScrollBar, static_cast<LONG>(OBJID_VSCROLL), SB_VERT);
}

void TcxCustomInnerListBox::placeOverlay(TcxScrollBar* ABar, LONG AObjectId, Integer ABarKind) {
  if (!ABar) return;
  TWinControl* parent = Parent();
  SCROLLBARINFO info;
  bool shown = parent && parent->HandleAllocated() && cxGetScrollBarInfo(WindowHandle(), AObjectId, info) &&
               !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
  TRect r{0, 0, 0, 0};
  if (shown) {
    r = info.rcScrollBar;
    MapWindowPoints(nullptr, parent->WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
    TRect area = parent->ClientRect();
    shown = r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom &&
            r.right > r.left && r.bottom > r.top;
  }
  LockScrollBars();
  {
    ScopeExit atEnd([&] { UnlockScrollBars(); });
    if (shown) {
      if (ABar->Parent() != parent) ABar->SetParent(parent);
      ABar->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
      ABar->SetCtl3D(false);
      ABar->BringToFront();
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_ALL;
      GetScrollInfo(WindowHandle(), ABarKind, &si);
      Integer maximum = std::max(si.nMax, si.nMin);
      // The native page may reach one past the maximum; the bar takes at most its range.
      Integer page = std::clamp(static_cast<Integer>(si.nPage), 0, std::max(maximum, 0));
      ABar->SetScrollParams(si.nMin, maximum, si.nPos, page);
      ABar->SetEnabled(!(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) && Enabled());
      ABar->SetVisible(true);
    } else {
      ABar->SetBounds(0, 0, 0, 0);
      ABar->SetVisible(false);
    }
  }
}

void TcxCustomInnerListBox::scrolled(TcxScrollBar* ABar, UINT AMessage, TScrollCode AScrollCode,
                                     Integer& AScrollPos) {
  if (!HandleAllocated()) return;
  WPARAM w = MAKEWPARAM(static_cast<WORD>(AScrollCode), static_cast<WORD>(AScrollPos));
  CallWindowProcA(DefWndProc(), WindowHandle(), AMessage, w, 0);
  AScrollPos = GetScrollPos(WindowHandle(), AMessage == WM_HSCROLL ? SB_HORZ : SB_VERT);
}

void TcxCustomInnerListBox::hScrolled(TObject*, TScrollCode AScrollCode, Integer& AScrollPos) {
  scrolled(FHScrollBar, WM_HSCROLL, AScrollCode, AScrollPos);
}

void TcxCustomInnerListBox::vScrolled(TObject*, TScrollCode AScrollCode, Integer& AScrollPos) {
  scrolled(FVScrollBar, WM_VSCROLL, AScrollCode, AScrollPos);
}

TRect TcxCustomInnerListBox::sizeGripRect() {
  if (!FHScrollBar || !FVScrollBar || !FHScrollBar->Visible() || !FVScrollBar->Visible() || !HandleAllocated())
    return TRect{0, 0, 0, 0};
  // The square where the vertical bar's column meets the horizontal bar's row, in window
  // coordinates.
  TRect window;
  GetWindowRect(WindowHandle(), &window);
  TPoint v = FVScrollBar->ClientToScreen(TPoint{0, 0});
  TPoint h = FHScrollBar->ClientToScreen(TPoint{0, 0});
  TRect grip{v.x, h.y, v.x + FVScrollBar->Width(), h.y + FHScrollBar->Height()};
  OffsetRect(&grip, -window.left, -window.top);
  return grip;
}

void TcxCustomInnerListBox::paintSizeGrip() {
  TRect grip = sizeGripRect();
  if (IsRectEmpty(&grip)) return;
  HDC dc = GetWindowDC(WindowHandle());
  if (!dc) return;
  FillRect(dc, &grip, GetSysColorBrush(COLOR_BTNFACE));
  ReleaseDC(WindowHandle(), dc);
}

void TcxCustomInnerListBox::WMNCPaint(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  paintSizeGrip();
}

// ---------------------------------------------------------------------------------------
// Unit start and end.

namespace {

void cxContainerInitialize() {
  screenCanvas = new TcxScreenCanvas();
  openPopups = new std::vector<TcxCustomPopupWindow*>();
  if (HMODULE user32 = GetModuleHandleA("USER32"))
    getScrollBarInfo =
        reinterpret_cast<GetScrollBarInfoProc>(reinterpret_cast<void*>(GetProcAddress(user32, "GetScrollBarInfo")));
  RegisterClasses({TcxStyleController::StaticClass()});
}

void cxContainerFinalize() {
  UnRegisterClass(TcxStyleController::StaticClass());
  removePopupHooks();
  delete openPopups;
  openPopups = nullptr;
  showingPopup = nullptr;
  getScrollBarInfo = nullptr;
  delete screenCanvas;
  screenCanvas = nullptr;
}

}  // namespace

namespace cxContainerUnit {
void Initialize() { cxContainerInitialize(); }
void Finalize() { cxContainerFinalize(); }
}  // namespace cxContainerUnit
