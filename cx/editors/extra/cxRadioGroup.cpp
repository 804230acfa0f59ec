#include "cx/editors/extra/cxRadioGroup.h"

#include <algorithm>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxVariants.h"
#include "cx/foundation/dxThemeManager.h"
#include "cx/foundation/dxUxTheme.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"

namespace {

constexpr int themeRadioPart = 1;  // BP_RADIOBUTTON of the button class

// Theme states: unchecked disabled 4, hot 2, normal 1, pressed 3; checked adds 4.
int radioThemeState(bool AChecked, Integer AMouseState) {
  int state;
  switch (AMouseState) {
    case cxRadioStateDisabled: state = 4; break;
    case cxRadioStateHot: state = 2; break;
    case cxRadioStatePressed: state = 3; break;
    default: state = 1; break;
  }
  return AChecked ? state + 4 : state;
}

TcxButtonState painterState(Integer AMouseState) {
  switch (AMouseState) {
    case cxRadioStateDisabled: return cxbsDisabled;
    case cxRadioStateHot: return cxbsHot;
    case cxRadioStatePressed: return cxbsPressed;
    default: return cxbsNormal;
  }
}

void fill(HDC ADC, const TRect& R, TColor AColor) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(AColor));
  RECT r = R;
  FillRect(ADC, &r, brush);
  DeleteObject(brush);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The radio button.

TcxRadioButton::TcxRadioButton(TComponent* AOwner)
    : TRadioButton(AOwner),
      FCanvas(MakeControlCanvas(this)),
      FcxCanvas(std::make_unique<TcxCanvas>(FCanvas.get())),
      FLookAndFeel(std::make_unique<TcxLookAndFeel>(this)) {
  FLookAndFeel->AfterConstruction();
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TcxRadioButton::lookAndFeelChanged));
  controlStyle_.Include(csDoubleClicks);
}

TcxRadioButton::~TcxRadioButton() {
  cxEndMouseTracking(this);
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent());
}

HRESULT STDMETHODCALLTYPE TcxRadioButton::QueryInterface(const ::IID& riid, void** obj) {
  if (IsEqualGUID(riid, IcxMouseTrackingCaller::IID())) {
    *obj = static_cast<IcxMouseTrackingCaller*>(this);
    return S_OK;
  }
  *obj = nullptr;
  return E_NOINTERFACE;
}

void TcxRadioButton::CreateParams(TCreateParams& Params) {
  TRadioButton::CreateParams(Params);
  Params.Style = (Params.Style & ~(0x0Fu | BS_LEFTTEXT)) | BS_OWNERDRAW;
}

void TcxRadioButton::CreateWnd() {
  TRadioButton::CreateWnd();
  UpdateMouseState(mbLeft, cxGetKeyboardShiftState(), ScreenToClient(cxGetCursorPos()));
}

bool TcxRadioButton::IsNativeStyle() {
  return FLookAndFeel->NativeStyle() && dxCanUseThemes() && dxGetThemeHandle(totButton) != nullptr;
}

TRect TcxRadioButton::GlyphRect() {
  TSize size = FLookAndFeel->GetPainterClass()->GetRadioButtonSize();
  if (IsNativeStyle()) {
    SIZE s{0, 0};
    HDC dc = GetDC(nullptr);
    if (SUCCEEDED(dxGetThemePartSize(dxGetThemeHandle(totButton), dc, themeRadioPart, 1, nullptr, TS_TRUE, &s)))
      size = TSize{s.cx, s.cy};
    ReleaseDC(nullptr, dc);
  }
  TRect r;
  r.top = (Height() - size.cy) / 2;
  r.bottom = r.top + size.cy;
  if (Alignment() == taRightJustify) {
    r.left = (!IsNativeStyle() && !IsInplace()) ? 1 : 0;
    r.right = r.left + size.cx;
  } else {
    r.right = Width();
    r.left = r.right - size.cx;
  }
  return r;
}

TRect TcxRadioButton::GetTextMargins() {
  const bool native = IsNativeStyle();
  const bool left = Alignment() == taLeftJustify;
  if (IsInplace()) return native ? TRect{3, 0, 0, 0} : TRect{5, 0, 1, 0};
  if (native) {
    if (!WordWrap()) return left ? TRect{0, -1, 1, 0} : TRect{3, -1, 0, 0};
    return left ? TRect{0, -1, 3, 0} : TRect{3, -1, 0, 0};
  }
  if (!WordWrap()) return left ? TRect{2, -1, 1, 0} : TRect{5, -1, 0, 0};
  return left ? TRect{2, -1, 6, 0} : TRect{5, -1, 2, 0};
}

void TcxRadioButton::PaintButton(TcxCanvas* ACanvas) {
  HDC dc = ACanvas->Canvas()->Handle();
  const TRect client{0, 0, Width(), Height()};
  const TRect glyph = GlyphRect();
  if (IsNativeStyle()) {
    RECT r = client;
    if (ParentBackground() && !IsInplace()) dxDrawThemeParentBackground(WindowHandle(), dc, &r);
    else fill(dc, client, Color());
    RECT g = glyph;
    dxDrawThemeBackground(dxGetThemeHandle(totButton), dc, themeRadioPart, radioThemeState(Checked(), FMouseState),
                          &g, nullptr);
  } else {
    fill(dc, client, Color());
    TcxCustomLookAndFeelPainter* painter = FLookAndFeel->GetThemedPainterClass(TdxThemeClasses{totButton});
    painter->DrawRadioButtonGlyph(ACanvas, glyph.left, glyph.top, painterState(FMouseState), Checked(), Focused(),
                                  Color(), ComponentState().Contains(csDesigning));
  }

  // The caption beside the glyph.
  const std::string caption = Caption();
  TRect text = client;
  if (Alignment() == taRightJustify) text.left = glyph.right;
  else text.right = glyph.left;
  const TRect m = GetTextMargins();
  text = TRect{text.left + m.left, text.top + m.top, text.right - m.right, text.bottom - m.bottom};
  UINT flags = DT_LEFT | DT_VCENTER | (WordWrap() ? (DT_WORDBREAK | DT_NOCLIP) : DT_SINGLELINE);
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  RECT tr = text;
  if (!Enabled()) {
    if (!IsContainerInnerControl()) {
      RECT er = tr;
      OffsetRect(&er, 1, 1);
      SetTextColor(dc, ColorToRGB(clBtnHighlight));
      DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &er, flags);
    }
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  } else {
    SetTextColor(dc, ColorToRGB(Font()->Color()));
  }
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, flags);
  if (Focused() && !caption.empty()) {
    RECT f = text;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &f, flags | DT_CALCRECT);
    if (!WordWrap()) {  // DT_CALCRECT drops the vertical centring of a single line
      const LONG h = f.bottom - f.top;
      f.top = text.top + (text.bottom - text.top - h) / 2;
      f.bottom = f.top + h;
    }
    InflateRect(&f, 1, 1);
    f.bottom += 1;
    f.left = std::max<LONG>(f.left, 0);
    f.top = std::max<LONG>(f.top, IsInplace() ? 1 : 0);
    f.right = std::min<LONG>(f.right, Alignment() == taLeftJustify && !IsInplace() ? glyph.left : Width());
    f.bottom = std::min<LONG>(f.bottom, IsInplace() ? Height() - 1 : Height());
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &f);
  }
  SelectObject(dc, oldFont);
}

void TcxRadioButton::CNDrawItem(TWMDrawItem& Message) {
  FCanvas->SetHandle(Message.DrawItemStruct->hDC);
  PaintButton(FcxCanvas.get());
  FCanvas->SetHandle(nullptr);
  Message.Result = 1;
}

void TcxRadioButton::WMEraseBkgnd(TWMEraseBkgnd& Message) { Message.Result = 1; }

void TcxRadioButton::BMSetCheck(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!WindowHandle()) return;
  TRect r = GlyphRect();
  InflateRect(&r, 1, 1);
  InvalidateRect(WindowHandle(), &r, FALSE);
}

void TcxRadioButton::DoEnter() {
  TRadioButton::DoEnter();
  if (!Checked()) {
    SetClicksDisabled(true);
    SetChecked(true);
    SetClicksDisabled(false);
    if (!ComponentState().Contains(csLoading)) Click();
  }
}

void TcxRadioButton::setMouseState(Integer AState) {
  if (FMouseState == AState) return;
  FMouseState = AState;
  if (!WindowHandle()) return;
  TRect r = GlyphRect();
  InflateRect(&r, 1, 1);
  InvalidateRect(WindowHandle(), &r, FALSE);
}

void TcxRadioButton::UpdateMouseState(TMouseButton, TShiftState AShift, const TPoint& P) {
  if (!Enabled()) return setMouseState(cxRadioStateDisabled);
  if (ComponentState().Contains(csDesigning)) return setMouseState(cxRadioStateNormal);
  const bool inside = PtInRect(TRect{0, 0, Width(), Height()}, P);
  if (WindowHandle() && GetCapture() == WindowHandle()) {
    setMouseState(inside ? cxRadioStatePressed : cxRadioStateHot);
  } else {
    setMouseState(inside && AShift.Empty() ? cxRadioStateHot : cxRadioStateNormal);
  }
}

void TcxRadioButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TRadioButton::MouseDown(Button, Shift, X, Y);
  UpdateMouseState(Button, Shift, TPoint{X, Y});
}

void TcxRadioButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TRadioButton::MouseMove(Shift, X, Y);
  UpdateMouseState(mbLeft, Shift, TPoint{X, Y});
  if (WindowHandle()) cxBeginMouseTracking(this, TRect{0, 0, Width(), Height()}, this);
}

void TcxRadioButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TRadioButton::MouseUp(Button, Shift, X, Y);
  // The button is released: the shift state no longer holds it.
  TShiftState after = Shift;
  after.Exclude(ssLeft);
  UpdateMouseState(Button, after, TPoint{X, Y});
}

void TcxRadioButton::CMMouseEnter(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  UpdateMouseState(mbLeft, cxGetKeyboardShiftState(), ScreenToClient(cxGetCursorPos()));
  if (WindowHandle()) cxBeginMouseTracking(this, TRect{0, 0, Width(), Height()}, this);
}

void TcxRadioButton::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  MouseLeave();
}

void TcxRadioButton::MouseLeave() {
  UpdateMouseState(mbLeft, TShiftState(), TPoint{-1, -1});
  cxEndMouseTracking(this);
}

void TcxRadioButton::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  UpdateMouseState(mbLeft, cxGetKeyboardShiftState(),
                   WindowHandle() ? ScreenToClient(cxGetCursorPos()) : TPoint{-1, -1});
  Invalidate();
}

void TcxRadioButton::CMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TcxRadioButton::SetPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value)) {
    void* intf = nullptr;
    auto* unknown = dynamic_cast<IInterface*>(Value);
    if (!unknown || unknown->QueryInterface(IcxPopupMenu::IID(), &intf) != S_OK || !intf) Value = nullptr;
  }
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TcxRadioButton::Notification(TComponent* AComponent, TOperation Operation) {
  TRadioButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TcxRadioButton::DoContextPopup(TPoint MousePos, bool& Handled) {
  TRadioButton::DoContextPopup(MousePos, Handled);
  if (Handled || !FPopupMenu) return;
  TPoint p = (MousePos.x == -1 && MousePos.y == -1) ? TPoint{0, 0} : MousePos;
  TPoint s = ClientToScreen(p);
  Handled = cxShowPopupMenu(this, FPopupMenu, s.x, s.y);
}

// ---------------------------------------------------------------------------------------
// The group's buttons.

TcxCustomRadioGroupButton::TcxCustomRadioGroupButton(TComponent* AOwner)
    : TcxRadioButton(AOwner), FGroup(dynamic_cast<TcxCustomRadioGroup*>(AOwner)) {
  if (FGroup) {
    FGroup->addButton(this);
    FLookAndFeel->SetMasterLookAndFeel(FGroup->Style()->LookAndFeel());
  }
}

TcxCustomRadioGroupButton::~TcxCustomRadioGroupButton() {
  if (FGroup) FGroup->removeButton(this);
}

bool TcxCustomRadioGroupButton::IsInplace() { return FGroup && FGroup->IsInplace(); }

Integer TcxCustomRadioGroupButton::index() {
  if (!FGroup) return -1;
  for (Integer i = 0; i < FGroup->ButtonCount(); ++i)
    if (FGroup->Buttons(i) == this) return i;
  return -1;
}

void TcxCustomRadioGroupButton::DoEnter() {
  TRadioButton::DoEnter();
  if (!FGroup) return;
  FGroup->RefreshAtCursor(false);
  const Integer i = index();
  if (i == FGroup->ItemIndex()) return;
  // The group's change events fire once, at the end of the choice and its posting.
  struct ChangeEventsLock {
    TcxCustomEdit* Edit;
    explicit ChangeEventsLock(TcxCustomEdit* E) : Edit(E) { Edit->LockChangeEvents(true); }
    ~ChangeEventsLock() { Edit->LockChangeEvents(false); }
  } lock(FGroup);
  if (!FGroup->IsUpdatingButtons() && (!Focused() || FGroup->RequestEditing())) FGroup->setItemIndexFromFocus(i);
  if (Focused() && FGroup->GetRadioProperties()->ImmediatePost() && FGroup->CanPostEditValue() &&
      FGroup->ValidateInput())
    FGroup->PostEditValue();
}

void TcxCustomRadioGroupButton::DoExit() {
  TRadioButton::DoExit();
  if (FGroup) FGroup->RefreshAtCursor(false);
}

void TcxCustomRadioGroupButton::CNCommand(TWMCommand& Message) {
  if (!FGroup || FInClick) return;
  if (Message.NotifyCode != BN_CLICKED && Message.NotifyCode != BN_DOUBLECLICKED) return;
  if (!Checked() && !(FGroup->CanModify() && FGroup->RequestEditing())) return;
  ScopedRestore<bool> guard(FInClick);
  FInClick = true;
  try {
    INHERITED_MESSAGE(Message);
  } catch (...) {
    // No exception may leave the window procedure of the notification.
    Application->HandleException(this);
  }
}

void TcxCustomRadioGroupButton::Click() {
  TRadioButton::Click();
  if (FGroup && !FGroup->ComponentState().Contains(csLoading) && FGroup->OnClick()) FGroup->OnClick()(FGroup);
}

void TcxCustomRadioGroupButton::KeyPress(char& Key) {
  if ((Key == ' ' || Key == '\b') && FGroup && !FGroup->CanModify()) Key = 0;
  TRadioButton::KeyPress(Key);
}

void TcxCustomRadioGroupButton::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_SPACE && FGroup && !FGroup->CanModify()) Key = 0;
  TRadioButton::KeyDown(Key, Shift);
}

void TcxCustomRadioGroupButton::WMGetDlgCode(TWMGetDlgCode& Message) {
  INHERITED_MESSAGE(Message);
  if (IsInplace()) Message.Result |= DLGC_WANTARROWS;
}

// ---------------------------------------------------------------------------------------
// Items and properties.

void TcxRadioGroupItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxRadioGroupItem*>(Source)) SetValue(src->Value());
  TcxButtonGroupItem::Assign(Source);
}

void TcxRadioGroupItem::SetValue(const Variant& AValue) {
  if (cxVarEqualSameType(FValue, AValue)) return;
  FValue = AValue;
  if (auto* items = dynamic_cast<TcxButtonGroupItems*>(Collection())) items->NotifyItem(Index(), bgiaChanged);
}

TcxCustomRadioGroupProperties::TcxCustomRadioGroupProperties(TPersistent* AOwner)
    : TcxCustomButtonGroupProperties(AOwner) {}

Integer TcxCustomRadioGroupProperties::GetColumnCount() {
  Integer count = std::min(Columns(), Items() ? Items()->Count() : 0);
  return count == 0 ? 1 : count;
}

TcxEditSupportedOperations TcxCustomRadioGroupProperties::GetCapabilities() {
  TcxEditSupportedOperations result = 399;
  if (Items() && Items()->Count() > 0) result |= esoEditing;
  return result;
}

TClass TcxCustomRadioGroupProperties::GetEditClass() { return TcxRadioGroup::StaticClass(); }

Integer TcxCustomRadioGroupProperties::IndexOfValue(const Variant& AEditValue) {
  for (Integer i = 0; i < Items()->Count(); ++i) {
    TcxRadioGroupItem* item = Items()->Items(i);
    if (item->Value().IsNull()) {
      if (!AEditValue.IsNull() && item->Caption() == VarToStr(AEditValue)) return i;
    } else if (cxVariantsEqual(item->Value(), AEditValue)) {
      return i;
    }
  }
  return -1;
}

void TcxCustomRadioGroupProperties::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                              bool) {
  ADisplayValue = Variant(IndexOfValue(AEditValue));
}

void TcxCustomRadioGroupProperties::GetDisplayText(const Variant& AEditValue, std::string& AText) {
  Integer index = IndexOfValue(AEditValue);
  AText = index < 0 ? FDefaultCaption : Items()->Items(index)->Caption();
}

void TcxCustomRadioGroupProperties::SetDefaultCaption(const std::string& Value) {
  if (FDefaultCaption == Value) return;
  FDefaultCaption = Value;
  Changed();
}

bool TcxCustomRadioGroupProperties::IsDefaultCaptionStored() const { return !FDefaultCaption.empty(); }

void TcxCustomRadioGroupProperties::SetDefaultValue(const Variant& Value) {
  if (cxVarEqualSameType(FDefaultValue, Value)) return;
  FDefaultValue = Value;
  Changed();
}

void TcxCustomRadioGroupProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomRadioGroupProperties*>(Source);
  if (!src) {
    TcxCustomButtonGroupProperties::Assign(Source);
    return;
  }
  UpdateLock lock(this);
  TcxCustomButtonGroupProperties::Assign(Source);
  SetDefaultValue(src->DefaultValue());
  SetWordWrap(src->WordWrap());
}

// ---------------------------------------------------------------------------------------
// The radio group.

TcxCustomRadioGroup::TcxCustomRadioGroup(TComponent* AOwner) : TcxCustomButtonGroup(AOwner) {
  const bool parentBackground = controlStyle_.Contains(csParentBackground);
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
  if (parentBackground) controlStyle_.Include(csParentBackground);
  SetWidth(185);
  SetHeight(105);
  SetParentColor(!IsInplace());
}

TWinControl* TcxCustomRadioGroup::CreateButton() { return new TcxCustomRadioGroupButton(this); }

Variant TcxCustomRadioGroup::valueOfIndex(Integer AIndex) {
  TcxCustomRadioGroupProperties* properties = GetRadioProperties();
  if (AIndex < 0 || AIndex >= properties->Items()->Count()) return properties->DefaultValue();
  TcxRadioGroupItem* item = properties->Items()->Items(AIndex);
  return item->Value().IsNull() ? Variant(item->Caption()) : item->Value();
}

void TcxCustomRadioGroup::ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  AEditValue = valueOfIndex(ADisplayValue.IsNull() ? -1 : static_cast<Integer>(ADisplayValue));
}

std::string TcxCustomRadioGroup::GetDisplayText() {
  std::string text;
  GetRadioProperties()->GetDisplayText(EditValue(), text);
  return text;
}

void TcxCustomRadioGroup::checkButton(Integer AIndex, bool AChecked) {
  if (AIndex < 0 || AIndex >= ButtonCount()) return;
  TcxCustomRadioGroupButton* button = RadioButtons(AIndex);
  button->SetClicksDisabled(true);
  button->SetChecked(AChecked);
  button->SetClicksDisabled(false);
}

void TcxCustomRadioGroup::SetItemIndex(Integer Value) {
  if (ComponentState().Contains(csLoading)) {
    FLoadedItemIndex = Value;
    return;
  }
  Value = std::clamp<Integer>(Value, -1, ButtonCount() - 1);
  if (Value != FItemIndex) {
    checkButton(FItemIndex, false);
    Variant value;
    ConvertDisplayToEditValue(Variant(Value), value, IsFocusedForDisplay());
    SetInternalEditValue(value);
    // A refused edit leaves the value, and so the index, as it was.
    checkButton(FItemIndex, true);
  } else if (!FFocusEntry) {
    SetModified(false);
  }
}

void TcxCustomRadioGroup::setItemIndexFromFocus(Integer Value) {
  ScopedRestore<bool> entry(FFocusEntry);
  FFocusEntry = true;
  SetItemIndex(Value);
}

void TcxCustomRadioGroup::InternalSetEditValue(const Variant& Value) {
  TcxCustomButtonGroup::InternalSetEditValue(Value);
  const Integer index = GetRadioProperties()->IndexOfValue(FEditValue);
  if (index != FItemIndex) {
    checkButton(FItemIndex, false);
    FItemIndex = index;
    checkButton(index, true);
    if (index != -1 && OnClick()) OnClick()(this);
    DoChange();
  }
  RefreshAtCursor(false);
}

void TcxCustomRadioGroup::UpdateButtons() {
  TcxCustomButtonGroup::UpdateButtons();
  TcxRadioGroupItems* items = GetRadioProperties()->Items();
  TcxLookAndFeelKind kind = Style()->LookAndFeel()->Kind();
  for (Integer i = 0; i < ButtonCount() && i < items->Count(); ++i) {
    TcxCustomRadioGroupButton* button = RadioButtons(i);
    button->SetCaption(items->Items(i)->Caption());
    button->LookAndFeel()->SetKind(kind);
    button->SetWordWrap(GetRadioProperties()->WordWrap());
  }
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) {
    ScopedRestore<bool> updating(FUpdatingButtons);
    FUpdatingButtons = true;
    checkButton(FItemIndex, true);
  }
}

void TcxCustomRadioGroup::ArrangeButtons() {
  TcxCustomButtonGroup::ArrangeButtons();
  const Integer R = std::max<Integer>(RowCount(), 1);
  for (Integer i = 0; i < ButtonCount(); ++i) {
    RadioButtons(i)->Column = i / R;
    RadioButtons(i)->Row = i % R;
  }
}

void TcxCustomRadioGroup::Loaded() {
  TcxCustomButtonGroup::Loaded();
  SetItemIndex(FLoadedItemIndex);
}

void TcxCustomRadioGroup::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomButtonGroup::Activate(AEditData);
  const Integer i = FItemIndex < 0 ? 0 : FItemIndex;
  if (i < ButtonCount() && Buttons(i)->CanFocus()) Buttons(i)->SetFocus();
}

void TcxCustomRadioGroup::GetTabOrderList(TList* List) {
  TcxCustomButtonGroup::GetTabOrderList(List);
  List->Remove(this);
  if (TabStop())
    for (TWinControl* b : FButtons) List->Add(b);
}

void TcxCustomRadioGroup::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus() && ButtonCount() > 0) {
    FIsAccelCharHandling = true;
    if (Buttons(0)->CanFocus()) Buttons(0)->SetFocus();
    FIsAccelCharHandling = false;
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TcxCustomRadioGroup::CMFocusRadioButton(TMessage& Message) {
  const Integer i = static_cast<Integer>(Message.WParam);
  if (i >= 0 && i < ButtonCount() && Buttons(i)->CanFocus()) Buttons(i)->SetFocus();
}

// ---------------------------------------------------------------------------------------

RTL_BEGIN_CLASS(TcxRadioButton)
  b.Message(CN_DRAWITEM, &TcxRadioButton::CNDrawItem);
  b.Message(WM_ERASEBKGND, &TcxRadioButton::WMEraseBkgnd);
  b.Message(BM_SETCHECK, &TcxRadioButton::BMSetCheck);
  b.Message(CM_MOUSEENTER, &TcxRadioButton::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TcxRadioButton::CMMouseLeave);
  b.Message(CM_ENABLEDCHANGED, &TcxRadioButton::CMEnabledChanged);
  b.Message(CM_SYSCOLORCHANGE, &TcxRadioButton::CMSysColorChange);
  using T = TcxRadioButton;
  PUBLISH(LookAndFeel);
  PUBLISH(PopupMenu);
  PUBLISH(ParentBackground).Default(true);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxCustomRadioGroupButton)
  b.Message(CN_COMMAND, &TcxCustomRadioGroupButton::CNCommand);
  b.Message(WM_GETDLGCODE, &TcxCustomRadioGroupButton::WMGetDlgCode);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxRadioGroupItem)
  using T = TcxRadioGroupItem;
  PUBLISH(Value).Stored(&T::IsValueStored);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TcxRadioGroupItems)
RTL_IMPLEMENT_CLASS(TcxCustomRadioGroupProperties)

RTL_BEGIN_CLASS(TcxRadioGroupProperties)
  using T = TcxRadioGroupProperties;
  PUBLISH(Columns).Default(1);
  PUBLISH(DefaultCaption).Stored(&T::IsDefaultCaptionStored);
  PUBLISH(DefaultValue).Stored(&T::IsDefaultValueStored);
  PUBLISH(ImmediatePost).Default(false);
  PUBLISH(Items);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(WordWrap).Default(false);
  PUBLISH(OnChange);
  PUBLISH(OnEditValueChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxCustomRadioGroup)
  b.Message(CM_DIALOGCHAR, &TcxCustomRadioGroup::CMDialogChar);
  b.Message(CM_FOCUSRADIOBUTTON, &TcxCustomRadioGroup::CMFocusRadioButton);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxRadioGroup)
  using T = TcxRadioGroup;
  PUBLISH(Alignment).Default(alTopLeft);
  publishPlacement(b);
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Caption);
  PUBLISH(Constraints);
  PUBLISH(Ctl3D).Stored(&T::IsCtl3DStored);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true);
  PUBLISH(ItemIndex).Default(-1);
  PUBLISH(ParentBackground).Default(true);
  PUBLISH(ParentBiDiMode).Default(true);
  PUBLISH(ParentColor).Default(true);
  PUBLISH(ParentCtl3D).Default(true);
  PUBLISH(ParentFont).Default(true);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(PopupMenu);
  PUBLISH(Properties);
  PUBLISH(ShowHint);
  PUBLISH(Style);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Visible).Default(true);
  PUBLISH(Hint);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  PUBLISH(OnEditing);
  publishFocusEvents(b);
RTL_END_CLASS

namespace cxRadioGroupUnit {

void Initialize() {
  cxGetEditorRegistry()->Register(TcxRadioGroupProperties::StaticClass(), cxGetResourceString(&scxEditRegRadioGroup));
}

void Finalize() {
  if (cxEditPropertiesList) cxGetEditorRegistry()->Unregister(TcxRadioGroupProperties::StaticClass());
}

}  // namespace cxRadioGroupUnit
