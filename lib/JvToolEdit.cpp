#include "lib/JvToolEdit.h"

#include <shldisp.h>
#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "lib/JvThemes.h"
#include "lib/JvUtils.h"
#include "platform/gui/ExtDlgs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

namespace {

// The texts of the unit.
const char* const RsInvalidFileName = "Invalid file name - %s";
const char* const RsBrowseCaption = "Browse";
const char* const RsDefaultFilter = "All files (*.*)|*.*";

// The shell's auto-complete objects and their interfaces.
const GUID kClsidAutoComplete = {0x00BB2763, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
const GUID kIidAutoComplete = {0x00BB2762, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
const GUID kIidAutoComplete2 = {0xEAC04BC0, 0x3791, 0x11D2, {0xBB, 0x95, 0x00, 0x60, 0x97, 0x7B, 0x46, 0x4C}};
const GUID kClsidACLMulti = {0x00BB2765, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
const GUID kClsidACLMRU = {0x6756A641, 0xDE71, 0x11D0, {0x83, 0x1B, 0x00, 0xAA, 0x00, 0x5B, 0x43, 0x83}};
const GUID kClsidACLHistory = {0x00BB2764, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
const GUID kClsidACListISF = {0x03C036F1, 0xA186, 0x11D0, {0x82, 0x4A, 0x00, 0xAA, 0x00, 0x5B, 0x43, 0x83}};
const GUID kIidObjMgr = {0x00BB2761, 0x6A77, 0x11D0, {0xA5, 0x35, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62}};
const GUID kIidACList2 = {0x470141A0, 0x5186, 0x11D2, {0xBB, 0xB6, 0x00, 0x60, 0x97, 0x7B, 0x46, 0x4C}};

// The shell list's option bits: file-system names only, and folders only.
constexpr DWORD kListFileSystemOnly = 0x10;
constexpr DWORD kListFolders = 0x20;

// The system's combo-box arrow bitmap.
constexpr int kObmCombo = 32738;

// Error modes around file-system calls: no box for a missing disk or an unreadable file.
constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

template <class I> void releaseAndClear(I*& Ref) {
  if (!Ref) return;
  I* p = Ref;
  Ref = nullptr;
  p->Release();
}

IUnknown* createInProc(const GUID& Clsid, const GUID& Iid) {
  void* obj = nullptr;
  if (FAILED(CoCreateInstance(Clsid, nullptr, CLSCTX_INPROC_SERVER, Iid, &obj))) return nullptr;
  return static_cast<IUnknown*>(obj);
}

// The cell height of a font's text on the screen.
Integer textHeightOf(HGDIOBJ Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

Integer fontHeight(TFont* Font) { return textHeightOf(Font->Handle()); }

Integer systemFontHeight() { return textHeightOf(GetStockObject(SYSTEM_FONT)); }

// The form's key handling, which is protected in the class library.
struct FormKeys : TWinControl {
  static void keyDown(TWinControl* Control, Word& Key, TShiftState Shift) {
    (Control->*(&FormKeys::KeyDown))(Key, Shift);
  }
  static void keyPress(TWinControl* Control, char& Key) { (Control->*(&FormKeys::KeyPress))(Key); }
};

// The image list every combo edit shares for its default pictures.
TImageList* sharedDefaultImages = nullptr;
// The file-name edit's two pictures in that list (-1 until loaded).
Integer classicFolderIndex = -1;
Integer styledFolderIndex = -1;

}  // namespace

// =======================================================================================
// Embedded button
// =======================================================================================

TJvEditButton::TJvEditButton(TComponent* AOwner) : TJvImageSpeedButton(AOwner) {
  controlStyle_.Include(csReplicatable);
  SetParentShowHint(true);
}

TJvCustomComboEdit* TJvEditButton::ownerEdit() const { return dynamic_cast<TJvCustomComboEdit*>(Owner()); }

void TJvEditButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TJvImageSpeedButton::MouseDown(Button, Shift, X, Y);
  TJvCustomComboEdit* edit = ownerEdit();
  if (Button != mbLeft || !edit) return;
  swallowNextClick_ = edit->PopupShown();
  if (edit->PopupShown()) {
    edit->ClosePopup(edit->AttachedPopup(), acceptOnClose_);
  } else if (edit->TabStop() && edit->CanFocus() && GetFocus() != edit->Handle()) {
    edit->SetFocus();
  }
}

void TJvEditButton::Click() {
  if (swallowNextClick_) {
    swallowNextClick_ = false;
    return;
  }
  TJvImageSpeedButton::Click();
}

void TJvEditButton::SetNumGlyphs(Byte Value) { TJvImageSpeedButton::SetNumGlyphs(std::min<Byte>(Value, 5)); }

void TJvEditButton::WMContextMenu(TMessage& Message) { Message.Result = 1; }

void TJvEditButton::Paint() {
  if (JvThemesActive() && themedArrow_) {
    TThemedComboBox detail = tcDropDownButtonNormal;
    if (!Enabled()) detail = tcDropDownButtonDisabled;
    else if (DrawState() == sdsDown || DrawState() == sdsExclusive) detail = tcDropDownButtonPressed;
    else if (MouseInside() || Pressing()) detail = tcDropDownButtonHot;
    ThemeServices()->DrawElement(Canvas()->Handle(), ThemeServices()->GetElementDetails(detail), ClientRect());
    return;
  }
  TJvImageSpeedButton::Paint();
  if (JvThemesActive() || DrawState() == sdsDown) return;
  // The line that parts the button from the text.
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetColor(NewStyleControls ? clBtnFace : clBtnShadow);
  canvas->MoveTo(0, 0);
  canvas->LineTo(0, Height() - 1);
  canvas->Pen()->SetColor(clBtnHighlight);
  canvas->MoveTo(1, 1);
  canvas->LineTo(1, Height() - 2);
}

void TJvEditButton::PaintContent(TCanvas* Canvas, const TRect& Rect, bool PopupMark, TSpeedButtonDrawState State,
                                 const TPoint& Offset) {
  if (!Images() || ImageIndex() < 0) {
    // The glyph alone: an edit's button has no caption and no drop-down mark.
    ButtonGlyph()->DrawAll(Canvas, Rect, Offset, "", Layout(), Margin(), Spacing(), false, State, 0);
    return;
  }
  TJvImageSpeedButton::PaintContent(Canvas, Rect, PopupMark, State, Offset);
}

// =======================================================================================
// Action link
// =======================================================================================

TJvCustomComboEditActionLink::TJvCustomComboEditActionLink(TObject* AClient) : TWinControlActionLink(AClient) {
  AssignClient(AClient);
}

void TJvCustomComboEditActionLink::AssignClient(TObject* AClient) {
  TWinControlActionLink::AssignClient(AClient);
  edit_ = dynamic_cast<TJvCustomComboEdit*>(AClient);
}

bool TJvCustomComboEditActionLink::IsCaptionLinked() { return false; }

bool TJvCustomComboEditActionLink::IsHintLinked() {
  TCustomAction* action = CustomAction();
  return TActionLink::IsHintLinked() && action && edit_ && edit_->ButtonHint() == action->Hint();
}

bool TJvCustomComboEditActionLink::IsImageIndexLinked() {
  TCustomAction* action = CustomAction();
  return TActionLink::IsImageIndexLinked() && action && edit_ && edit_->ImageIndex() == action->ImageIndex();
}

bool TJvCustomComboEditActionLink::IsOnExecuteLinked() {
  // The handlers' code is compared: the edit's handler may be bound to another object.
  return TActionLink::IsOnExecuteLinked() && Action() && edit_ &&
         edit_->OnButtonClick().AsMethod().Code == Action()->OnExecute().AsMethod().Code;
}

bool TJvCustomComboEditActionLink::IsShortCutLinked() {
  TCustomAction* action = CustomAction();
  return TActionLink::IsShortCutLinked() && action && edit_ && edit_->ClickKey() == action->ShortCut();
}

void TJvCustomComboEditActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) edit_->SetButtonHint(Value);
}

void TJvCustomComboEditActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) edit_->SetImageIndex(Value);
}

void TJvCustomComboEditActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) edit_->SetOnButtonClick(Value);
}

void TJvCustomComboEditActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) edit_->SetClickKey(Value);
}

// =======================================================================================
// Suggestions
// =======================================================================================

TAutoCompleteSource::TAutoCompleteSource(TJvCustomComboEdit* AEdit, Integer AIndex) : edit_(AEdit), index_(AIndex) {}

HRESULT STDMETHODCALLTYPE TAutoCompleteSource::Next(ULONG Count, LPOLESTR* Items, ULONG* Fetched) {
  if (!Items) return E_FAIL;
  TStrings* items = edit_->SuggestionItems();
  ULONG fetched = 0;
  while (fetched < Count && index_ < items->Count()) {
    const std::string text = items->Strings(index_);
    const int chars = static_cast<int>(text.size()) + 1;
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(static_cast<SIZE_T>(chars) * 2));
    if (!copy) {
      // Nothing is handed out when a copy cannot be made: the caller owns no strings.
      for (ULONG i = 0; i < fetched; ++i) CoTaskMemFree(Items[i]);
      index_ -= static_cast<Integer>(fetched);
      return E_OUTOFMEMORY;
    }
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), chars, copy, chars);
    Items[fetched++] = copy;
    ++index_;
  }
  if (Fetched) *Fetched = fetched;
  return fetched == Count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TAutoCompleteSource::Skip(ULONG Count) {
  const Integer count = edit_->SuggestionItems()->Count();
  const Int64 next = static_cast<Int64>(index_) + Count;
  if (next > count) {
    index_ = count;
    return S_FALSE;
  }
  index_ = static_cast<Integer>(next);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TAutoCompleteSource::Reset() {
  index_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TAutoCompleteSource::Clone(IEnumString** Enum) {
  if (!Enum) return E_POINTER;
  *Enum = nullptr;
  try {
    auto* copy = new TAutoCompleteSource(edit_, index_);
    copy->_AddRef();
    *Enum = copy->AsEnumString();
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// =======================================================================================
// Combo edit
// =======================================================================================

TJvCustomComboEdit::TJvCustomComboEdit(TComponent* AOwner) : TJvExCustomMaskEdit(AOwner) {
  // Each edit holds COM for its thread while it lives (the shell's auto-complete objects).
  comInitialized_ = SUCCEEDED(CoInitialize(nullptr));
  SetHeight(21);
  controlStyle_.Include(csCaptureMouse);
  suggestionItems_ = new TStringList();

  buttonHost_ = New<TWinControl>(this);
  buttonHost_->SetControlStyle(buttonHost_->ControlStyle() + TControlStyle{csReplicatable});
  buttonHost_->SetBounds(0, 0, 21, 17);
  buttonHost_->SetVisible(true);
  buttonHost_->SetParent(this);
  buttonHost_->SetAlign(alCustom);

  button_ = New<TJvEditButton>(this);
  button_->SetBounds(0, 0, 21, 17);
  button_->SetVisible(true);
  button_->SetParent(buttonHost_);
  button_->SetAlign(alClient);
  button_->SetOnClick(TNotifyEvent(this, &TJvCustomComboEdit::HandleEmbeddedButtonClick));

  // The class library's key-down slot: the group is emptied before the published event.
  TWinControl::SetOnKeyDown(TKeyEvent(this, &TJvCustomComboEdit::hookedKeyDown));
}

TJvCustomComboEdit::~TJvCustomComboEdit() {
  try {
    ClosePopup(this, false);
  } catch (...) {
  }
  releaseAutoCompleteObject();
  delete paintCanvas_;
  delete suggestionItems_;
  if (comInitialized_) CoUninitialize();
}

// --- The button.

bool TJvCustomComboEdit::ButtonFlat() const { return button_->Flat(); }

void TJvCustomComboEdit::SetButtonFlat(bool Value) {
  button_->SetFlat(Value);
  if (JvThemesActive() && imageKind_ == ikDropDown) RefreshButtonGlyph();
}

std::string TJvCustomComboEdit::ButtonHint() const { return button_->Hint(); }

void TJvCustomComboEdit::SetButtonHint(const std::string& Value) { button_->SetHint(Value); }

bool TJvCustomComboEdit::ShowButton() const { return buttonHost_->Visible(); }

Integer TJvCustomComboEdit::ButtonWidth() const { return ShowButton() ? button_->Width() : hiddenButtonWidth_; }

void TJvCustomComboEdit::SetButtonWidth(Integer Value) {
  if (ComponentState().Contains(csLoading)) {
    pendingButtonWidth_ = Value;
    pendingFixedWidth_ = false;
    return;
  }
  if (!ShowButton()) {
    hiddenButtonWidth_ = Value;
    return;
  }
  if (Value == ButtonWidth()) return;
  if (Value < 2) {
    hiddenButtonWidth_ = ButtonWidth();
    buttonHost_->SetVisible(false);
  } else {
    buttonHost_->SetVisible(true);
  }
  if (ControlState().Contains(csCreating)) {
    buttonHost_->SetWidth(Value);
    button_->SetWidth(Value);
    button_->SetControlStyle(button_->ControlStyle() - TControlStyle{csFixedWidth});
  } else {
    const Integer limit = Parent() ? ClientWidth() : Width();
    if (Value >= limit) return;
    // The host keeps its right edge.
    buttonHost_->SetBounds(buttonHost_->Left() + buttonHost_->Width() - Value, buttonHost_->Top(), Value,
                           buttonHost_->Height());
    button_->SetWidth(Value);
    button_->SetControlStyle(button_->ControlStyle() - TControlStyle{csFixedWidth});
    if (HandleAllocated()) RecreateWnd();
  }
  RefreshButtonGlyph();
}

bool TJvCustomComboEdit::IsButtonWidthStored() {
  Integer natural = 21;
  if (imageKind_ == ikDefault) {
    TCustomImageList* images = DefaultImages();
    if (images && DefaultImageIndex() >= 0) natural = std::max<Integer>(images->Width() + 6, 21);
  } else if (imageKind_ == ikDropDown) {
    natural = GetSystemMetrics(SM_CXVSCROLL);
  }
  return ButtonWidth() != natural;
}

void TJvCustomComboEdit::SetShowButton(bool Value) {
  if (Value) {
    buttonHost_->SetVisible(true);
    SetButtonWidth(hiddenButtonWidth_);
  } else {
    SetButtonWidth(0);
  }
}

TBitmap* TJvCustomComboEdit::Glyph() const { return button_->Glyph(); }

void TJvCustomComboEdit::SetGlyph(TBitmap* Value) {
  SetImageKind(ikCustom);
  button_->SetGlyph(Value);
  numGlyphs_ = button_->NumGlyphs();
}

Integer TJvCustomComboEdit::NumGlyphs() const { return imageKind_ == ikCustom ? button_->NumGlyphs() : numGlyphs_; }

void TJvCustomComboEdit::SetNumGlyphs(Integer Value) {
  numGlyphs_ = Value;
  if (imageKind_ == ikCustom) button_->SetNumGlyphs(static_cast<Byte>(std::clamp<Integer>(Value, 0, 255)));
}

void TJvCustomComboEdit::SetImageKind(TJvImageKind Value) {
  if (imageKind_ == Value) return;
  imageKind_ = Value;
  RefreshButtonGlyph();
  switch (imageKind_) {
    case ikDefault: {
      TCustomImageList* images = DefaultImages();
      const Integer index = DefaultImageIndex();
      button_->SetImages(images);
      button_->SetImageIndex(index);
      if (images && index >= 0) SetButtonWidth(std::max<Integer>(images->Width() + 6, ButtonWidth()));
      break;
    }
    case ikDropDown:
      if (!ComponentState().Contains(csLoading)) {
        SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL));
        button_->SetControlStyle(button_->ControlStyle() + TControlStyle{csFixedWidth});
      } else if (pendingButtonWidth_ == -1 || pendingFixedWidth_) {
        // Only a width the form did not store (or the arrow's own) follows the arrow.
        pendingButtonWidth_ = GetSystemMetrics(SM_CXVSCROLL);
        pendingFixedWidth_ = true;
      }
      break;
    case ikCustom:
      button_->SetImages(images_);
      button_->SetImageIndex(imageIndex_);
      button_->SetNumGlyphs(numGlyphs_);
      break;
    case ikEllipsis: break;
  }
}

void TJvCustomComboEdit::SetImageIndex(TImageIndex Value) {
  imageIndex_ = Value;
  if (imageKind_ == ikCustom) button_->SetImageIndex(Value);
}

bool TJvCustomComboEdit::IsImageIndexStored() { return !ActionLink() || !ActionLink()->IsImageIndexLinked(); }

void TJvCustomComboEdit::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
  else SetImageIndex(-1);
  if (imageKind_ == ikCustom) button_->SetImages(images_);
}

void TJvCustomComboEdit::RefreshButtonGlyph() {
  if (!ShowButton()) return;
  if (imageKind_ == ikDropDown || imageKind_ == ikEllipsis) {
    button_->SetImageIndex(-1);
    button_->SetNumGlyphs(1);
  }
  button_->SetThemedArrow(imageKind_ == ikDropDown);
  if (imageKind_ == ikDropDown) {
    if (JvThemesActive() && !button_->Flat()) {
      // The theme draws the arrow.
      TBitmap empty;
      button_->SetGlyph(&empty);
    } else {
      button_->SetThemedArrow(false);
      TBitmap arrow;
      arrow.SetHandle(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kObmCombo)));
      button_->SetGlyph(&arrow);
    }
  } else if (imageKind_ == ikEllipsis) {
    TBitmap* dots = MakeEllipsisBitmap(ButtonWidth());
    {
      ScopeExit atEnd([&] { delete dots; });
      button_->SetGlyph(dots);
    }
  }
  button_->Invalidate();
}

TBitmap* MakeEllipsisBitmap(Integer ButtonWidth) {
  auto* bitmap = new TBitmap();
  try {
    bitmap->SetMonochrome(true);
    const Integer width = std::max<Integer>(1, ButtonWidth - 6);
    bitmap->SetWidth(width);
    bitmap->SetHeight(4);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, width, 4));
    const Integer s = std::clamp<Integer>((width - 6) / 2, 1, 3);
    const Integer x = (width - 6 - 2 * s) / 2;
    canvas->Brush()->SetColor(clBlack);
    for (Integer left : {x, x + s + 2, x + 2 * s + 4}) canvas->FillRect(Rect(left, 1, left + 2, 3));
  } catch (...) {
    delete bitmap;
    throw;
  }
  return bitmap;
}

TCustomImageList* TJvCustomComboEdit::SharedDefaultImages() {
  if (!sharedDefaultImages) {
    sharedDefaultImages = New<TImageList>(nullptr);
    sharedDefaultImages->SetWidth(14);
    sharedDefaultImages->SetHeight(12);
  }
  return sharedDefaultImages;
}

// --- Editing.

void TJvCustomComboEdit::applyWindowReadOnly() { TCustomEdit::SetReadOnly(readOnly_ || !directInput_); }

void TJvCustomComboEdit::SetDirectInput(bool Value) {
  directInput_ = Value;
  applyWindowReadOnly();
}

void TJvCustomComboEdit::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  applyWindowReadOnly();
}

void TJvCustomComboEdit::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TJvCustomComboEdit::SetClipboardCommands(TJvClipboardCommands Value) {
  if (ReadOnly() && !(Value - TJvClipboardCommands{caCopy}).Empty()) Value = TJvClipboardCommands{caCopy};
  TJvExCustomMaskEdit::SetClipboardCommands(Value);
}

void TJvCustomComboEdit::SetDisabledColor(TColor Value) {
  if (disabledColor_ == Value) return;
  disabledColor_ = Value;
  if (!Enabled()) Invalidate();
}

void TJvCustomComboEdit::SetDisabledTextColor(TColor Value) {
  if (disabledTextColor_ == Value) return;
  disabledTextColor_ = Value;
  if (!Enabled()) Invalidate();
}

void TJvCustomComboEdit::SetGroupIndex(Integer Value) {
  groupIndex_ = Value;
  ClearGroupSiblings();
}

void TJvCustomComboEdit::ClearGroupSiblings() {
  if (groupIndex_ == -1 || !Owner()) return;
  TComponent* owner = Owner();
  for (Integer i = 0; i < owner->ComponentCount(); ++i) {
    auto* other = dynamic_cast<TJvCustomComboEdit*>(owner->Components(i));
    if (!other || other == this || other->Name() == Name() || other->GroupIndex() != groupIndex_) continue;
    other->SetText("");
  }
}

void TJvCustomComboEdit::Change() {
  if (popupShown_) PopupChange();
  else DoInheritedChange();
}

void TJvCustomComboEdit::DoInheritedChange() { TJvExCustomMaskEdit::Change(); }

// --- Layout.

Integer TJvCustomComboEdit::MinimumHeight() {
  Integer h = fontHeight(Font());
  if (BorderStyle() == bsSingle) h += GetSystemMetrics(SM_CYBORDER) * 4 + 1;
  return h;
}

void TJvCustomComboEdit::growToFontHeight() {
  const Integer b = GetSystemMetrics(SM_CYBORDER);
  Integer allowance;
  if (NewStyleControls) allowance = Ctl3D() ? b * 8 : b * 6;
  else allowance = b * 4 + std::min(systemFontHeight(), fontHeight(Font())) / 4;
  const Integer wanted = fontHeight(Font()) + allowance;
  if (Height() < wanted) SetHeight(wanted);
}

TRect TJvCustomComboEdit::buttonHostBounds() {
  const Integer w = button_->Width();
  const bool single = BorderStyle() == bsSingle;
  if (!NewStyleControls || !single) return Rect(Width() - w, 0, Width(), Height());
  if (JvThemesActive()) {
    if (Ctl3D()) return Rect(Width() - w - 2, 0, Width() - 2, Height() - 2);
    return Rect(Width() - w - 1, 1, Width() - 1, Height() - 1);
  }
  if (Ctl3D()) return Rect(Width() - w - 4, 0, Width() - 4, Height() - 4);
  return Rect(Width() - w - 2, 2, Width() - 2, Height() - 2);
}

void TJvCustomComboEdit::CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop,
                                             Integer& NewWidth, Integer& NewHeight, TRect& AlignRect,
                                             const TAlignInfo& AlignInfo) {
  if (Control != buttonHost_) {
    TJvExCustomMaskEdit::CustomAlignPosition(Control, NewLeft, NewTop, NewWidth, NewHeight, AlignRect, AlignInfo);
    return;
  }
  const TRect r = buttonHostBounds();
  NewLeft = r.left;
  NewTop = r.top;
  NewWidth = r.right - r.left;
  NewHeight = r.bottom - r.top;
}

void TJvCustomComboEdit::ReserveButtonSpace(Integer& LeftMargin, Integer& RightMargin) {
  RightMargin += buttonHost_->Width() + 2;
}

void TJvCustomComboEdit::UpdateEditRect() {
  if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
  growToFontHeight();
  Integer left = 0, right = 0, top = 0;
  const bool single = BorderStyle() == bsSingle;
  if (JvThemesActive()) {
    if (single && Ctl3D()) {
      left = 1;
      top = 1;
      right = 1;
    } else if (single) {
      left = 3;
      right = -1;
    }
  } else if (single && Ctl3D()) {
    top = 2;
  }
  ReserveButtonSpace(left, right);
  RECT r = {left, top, Width() - right - 3, ClientHeight() - 1};
  SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TJvCustomComboEdit::RefreshLayout() {
  Realign();
  AdjustButtonLayout();
  UpdateEditRect();
  Invalidate();
}

void TJvCustomComboEdit::NotifyBoundsChanged() {
  TJvExCustomMaskEdit::NotifyBoundsChanged();
  if (ComponentState().Contains(csLoading)) return;
  const Integer minimum = MinimumHeight();
  if (Height() < minimum) {
    SetHeight(minimum);
    return;
  }
  AdjustButtonLayout();
  UpdateEditRect();
}

// --- Window.

void TJvCustomComboEdit::CreateParams(TCreateParams& Params) {
  TJvExCustomMaskEdit::CreateParams(Params);
  // Multi-line, so that the formatting rectangle can leave room for the button.
  Params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  Params.Style &= ~static_cast<DWORD>(ES_LEFT | ES_RIGHT | ES_CENTER);
  switch (alignment_) {
    case taRightJustify: Params.Style |= ES_RIGHT; break;
    case taCenter: Params.Style |= ES_CENTER; break;
    default: Params.Style |= ES_LEFT; break;
  }
}

void TJvCustomComboEdit::CreateWnd() {
  TJvExCustomMaskEdit::CreateWnd();
  // The host's place depends on the border the new window has.
  Realign();
  AdjustButtonLayout();
  UpdateEditRect();
  if (!autoCompleteOptions_.Empty()) {
    BindAutoComplete();
    ApplyAutoCompleteOptions();
  }
}

void TJvCustomComboEdit::Loaded() {
  TJvExCustomMaskEdit::Loaded();
  if (pendingButtonWidth_ != -1) {
    const Integer width = pendingButtonWidth_;
    const bool fixed = pendingFixedWidth_;
    pendingButtonWidth_ = -1;
    SetButtonWidth(width);
    if (fixed) button_->SetControlStyle(button_->ControlStyle() + TControlStyle{csFixedWidth});
  }
  AdjustButtonLayout();
  UpdateEditRect();
}

void TJvCustomComboEdit::readGlyphKind(TReader* Reader) {
  static const char* const names[] = {"gkCustom", "gkDefault", "gkDropDown", "gkEllipsis"};
  const std::string ident = Reader->ReadIdent();
  for (int i = 0; i < 4; ++i)
    if (SameText(ident, names[i])) SetImageKind(static_cast<TJvImageKind>(i));
}

void TJvCustomComboEdit::readCtl3D(TReader* Reader) { SetCtl3D(Reader->ReadBoolean()); }

void TJvCustomComboEdit::DefineProperties(TFiler* Filer) {
  TJvExCustomMaskEdit::DefineProperties(Filer);
  // Names of earlier versions, read but never written.
  Filer->DefineProperty("GlyphKind", [this](TReader* r) { readGlyphKind(r); }, nullptr, false);
  Filer->DefineProperty("Ctl3D", [this](TReader* r) { readCtl3D(r); }, nullptr, false);
}

void TJvCustomComboEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TJvExCustomMaskEdit::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) SetImages(nullptr);
  if (AComponent == popup_) popup_ = nullptr;
}

void TJvCustomComboEdit::NotifyEnabledChanged() {
  TJvExCustomMaskEdit::NotifyEnabledChanged();
  Invalidate();
  button_->SetEnabled(Enabled());
  if (onEnabledSwitch_) onEnabledSwitch_(this);
}

void TJvCustomComboEdit::NotifyFontChanged() {
  TJvExCustomMaskEdit::NotifyFontChanged();
  if (HandleAllocated()) UpdateEditRect();
}

void TJvCustomComboEdit::CMCtl3DChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  RefreshLayout();
}

// --- Focus and keys.

void TJvCustomComboEdit::HandleFocusGained(HWND PreviousWindow) {
  TJvExCustomMaskEdit::HandleFocusGained(PreviousWindow);
  editFocused_ = true;
  ShowEditCaret();
}

void TJvCustomComboEdit::HandleFocusLost(HWND NextWindow) {
  TJvExCustomMaskEdit::HandleFocusLost(NextWindow);
  editFocused_ = false;
  if (popup_ && NextWindow != WindowHandle() && !isInPopup(NextWindow)) PostDeferredClose(false);
}

bool TJvCustomComboEdit::isInPopup(HWND Window) {
  if (!popup_ || !popup_->HandleAllocated() || !Window) return false;
  return Window == popup_->WindowHandle() || IsChild(popup_->WindowHandle(), Window);
}

void TJvCustomComboEdit::ShowEditCaret() {
  if (!HandleAllocated()) return;
  const Integer width = Font()->Style().Contains(fsBold) ? 2 : 1;
  CreateCaret(WindowHandle(), nullptr, width, fontHeight(Font()));
  ShowCaret(WindowHandle());
}

void TJvCustomComboEdit::CMEnter(TCMEnter& Message) {
  // The multi-line window does not select its text on entry by itself.
  if (AutoSelect() && !ControlState().Contains(csLButtonDown) && directInput_) SelectAll();
  INHERITED_MESSAGE(Message);
}

void TJvCustomComboEdit::hookedKeyDown(TObject* Sender, Word& Key, TShiftState Shift) {
  ClearGroupSiblings();
  if (onKeyDownOwn_) onKeyDownOwn_(Sender, Key, Shift);
}

void TJvCustomComboEdit::KeyDown(Word& Key, TShiftState Shift) {
  ClearGroupSiblings();
  if ((Key == VK_TAB || Key == VK_RETURN) && Shift.Contains(ssCtrl)) {
    if (TCustomForm* form = GetParentForm(this)) FormKeys::keyDown(form, Key, Shift);
    Key = 0;
    return;
  }
  TJvExCustomMaskEdit::KeyDown(Key, Shift);
  if (Key != 0 && ButtonWidth() > 0 && ShortCut(Key, Shift) == clickKey_) {
    HandleEmbeddedButtonClick(this);
    Key = 0;
  }
}

void TJvCustomComboEdit::KeyPress(char& Key) {
  TCustomForm* form = GetParentForm(this);
  if (Key == '\r' || Key == 27 || (Key == '\n' && popupShown_)) {
    if (popupShown_) {
      ClosePopup(popup_, Key != 27);
      Key = 0;
      return;
    }
    // The window is multi-line: Enter and Esc reach the form's default and cancel buttons
    // only from here.
    if (form) form->Perform(CM_DIALOGKEY, static_cast<unsigned char>(Key), 0);
    if (Key == '\r') {
      TJvExCustomMaskEdit::KeyPress(Key);
      Key = 0;
      return;
    }
  }
  if (Key == '\t' || Key == '\n') {
    Key = 0;
    if (form) FormKeys::keyPress(form, Key);
    return;
  }
  TJvExCustomMaskEdit::KeyPress(Key);
}

void TJvCustomComboEdit::CMWantSpecialKey(TMessage& Message) {
  if (popupShown_ && Message.WParam == VK_TAB) {
    Message.Result = 1;
    return;
  }
  INHERITED_MESSAGE(Message);
}

void TJvCustomComboEdit::WMCut(TMessage& Message) {
  if (directInput_ && !readOnly_) INHERITED_MESSAGE(Message);
}

void TJvCustomComboEdit::WMPaste(TMessage& Message) {
  if (!directInput_ || readOnly_) return;
  INHERITED_MESSAGE(Message);
  ClearGroupSiblings();
}

// --- The button's action.

void TJvCustomComboEdit::HandleEmbeddedButtonClick(TObject* Sender) {
  if (!readOnly_ || buttonAlwaysEnabled_) RunButtonAction();
}

void TJvCustomComboEdit::RunButtonAction() {
  if (onButtonClick_) onButtonClick_(this);
  if (popupShown_) ClosePopup(popup_, true);
  else ShowDropDown(true);
}

// --- Popup.

void TJvCustomComboEdit::SetAttachedPopup(TWinControl* Value) {
  if (popup_ == Value) return;
  if (popup_) popup_->RemoveFreeNotification(this);
  popup_ = Value;
  if (popup_) popup_->FreeNotification(this);
}

Variant TJvCustomComboEdit::PopupValue() { return popupValue_; }

void TJvCustomComboEdit::SetPopupValue(const Variant& Value) { popupValue_ = Value; }

void TJvCustomComboEdit::ShowPopupAt(const TPoint& Origin) {
  popup_->SetBounds(Origin.x, Origin.y, popup_->Width(), popup_->Height());
  popup_->SetVisible(true);
  SetWindowPos(popup_->Handle(), HWND_TOP, Origin.x, Origin.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TJvCustomComboEdit::HidePopup() {
  if (popup_->HandleAllocated())
    SetWindowPos(popup_->WindowHandle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  popup_->SetVisible(false);
}

void TJvCustomComboEdit::ShowDropDown(bool DisableEdit) {
  if ((readOnly_ && !popupWhenReadOnly_) || popupShown_) return;
  BeforePopup();
  if (!popup_) return;
  RECT window;
  GetWindowRect(Handle(), &window);
  const TPoint p = Point(window.left, window.top);
  const TRect m = Screen->MonitorFromWindow(Handle())->BoundsRect();
  const Integer pw = popup_->Width(), ph = popup_->Height();
  Integer y = p.y + Height();
  if (y + ph > m.bottom) y = p.y - ph;
  Integer x;
  if (popupSide_ == 0) {
    x = p.x + Width() - pw;
    if (x < m.left) x = p.x;
  } else {
    x = p.x;
    if (p.x + pw > m.right) x = p.x + Width() - pw;
  }
  if (x + pw > m.right) x = m.right - pw;
  if (x < m.left) x = m.left;
  const std::string text = Text();
  SetPopupValue(text.empty() ? Variant() : Variant(text));
  if (CanFocus()) SetFocus();
  ShowPopupAt(Point(x, y));
  popupShown_ = true;
  if (DisableEdit) {
    TCustomEdit::SetReadOnly(true);
    HideCaret(Handle());
  }
  if (onPopupOpened_) onPopupOpened_(this);
}

void TJvCustomComboEdit::ClosePopup(TObject* Sender, bool Accept) {
  if (!popup_ || !popupShown_) return;
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  const Variant value = PopupValue();
  HidePopup();
  try {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Visible() && CanFocus()) SetFocus();
    if (HandleAllocated() && GetFocus() == WindowHandle()) ShowEditCaret();
  } catch (...) {
    // The popup is closed whatever happened to the focus.
  }
  popupShown_ = false;
  applyWindowReadOnly();
  Invalidate();
  if (Accept && AcceptsPopupValue(value) && !readOnly_) {
    ApplyPopupValue(value);
    if (HandleAllocated() && GetFocus() == WindowHandle()) SelectAll();
  }
  if (onPopupClosed_) onPopupClosed_(this);
}

void TJvCustomComboEdit::ApplyPopupValue(const Variant& Value) {
  const std::string text = VarToStr(Value);
  if (Text() == text) return;
  SetText(text);
  SetModified(true);
  popupShown_ = popup_ && popup_->Visible();
}

void TJvCustomComboEdit::PostDeferredClose(bool Accept) {
  if (HandleAllocated()) PostMessageA(WindowHandle(), CM_JVDEFERREDCLOSE, Accept ? 1 : 0, 0);
}

void TJvCustomComboEdit::CMDeferredClose(TMessage& Message) { ClosePopup(this, Message.WParam != 0); }

void TJvCustomComboEdit::CMCancelMode(TMessage& Message) {
  auto* sender = reinterpret_cast<TControl*>(Message.LParam);
  if (popupShown_ && sender != this && sender != popup_ && sender != button_ &&
      !(popup_ && sender && popup_->ContainsControl(sender)))
    ClosePopup(popup_, false);
  INHERITED_MESSAGE(Message);
}

void TJvCustomComboEdit::CMBiDiModeChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (popup_) popup_->SetBiDiMode(BiDiMode());
}

void TJvCustomComboEdit::WMLButtonDown(TMessage& Message) {
  if (popup_ && popupShown_) {
    if (CanFocus()) SetFocus();
    ClosePopup(popup_, false);
  }
  INHERITED_MESSAGE(Message);
}

TWinControl* TJvCustomComboEdit::popupActiveControl() {
  if (auto* form = dynamic_cast<TCustomForm*>(popup_))
    if (form->ActiveControl()) return form->ActiveControl();
  return popup_;
}

void TJvCustomComboEdit::WndProc(TMessage& Message) {
  if (popupShown_ && popup_) {
    switch (Message.Msg) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_CONTEXTMENU: {
        // The popup's control has the first word on keys while it shows.
        if (TWinControl* target = popupActiveControl(); target && target->HandleAllocated()) {
          const LRESULT result = target->Perform(Message.Msg, Message.WParam, Message.LParam);
          if (result != 0) {
            Message.Result = result;
            return;
          }
        }
        break;
      }
      default: break;
    }
  }
  TJvExCustomMaskEdit::WndProc(Message);
}

// --- Painting.

bool TJvCustomComboEdit::PaintBackground(TCanvas* Canvas, LPARAM Param) {
  if (ComponentState().Contains(csDestroying)) return true;
  if (Enabled()) return TJvExCustomMaskEdit::PaintBackground(Canvas, Param);
  Canvas->Brush()->SetColor(disabledColor_);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->FillRect(ClientRect());
  return true;
}

void TJvCustomComboEdit::WMPaint(TWMPaint& Message) {
  if (ComponentState().Contains(csDestroying)) return;
  if (Enabled()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  if (!PaintDisabledText(Text(), alignment_, reinterpret_cast<TMessage&>(Message), paintCanvas_, editFocused_,
                         disabledTextColor_, false))
    INHERITED_MESSAGE(Message);
}

bool TJvCustomComboEdit::PaintDisabledText(const std::string& Text, TAlignment AAlignment, TMessage& Message,
                                           TCanvas*& ACanvas, bool IsFocused, TColor TextColor, bool LeftAlign) {
  TAlignment alignment = AAlignment;
  if (UseRightToLeftAlignment()) {
    if (alignment == taLeftJustify) alignment = taRightJustify;
    else if (alignment == taRightJustify) alignment = taLeftJustify;
  }
  if (IsFocused && !ControlState().Contains(csPaintCopy)) {
    if (SysLocale.MiddleEast && UseRightToLeftReading() && HandleAllocated()) {
      LONG ex = GetWindowLongA(WindowHandle(), GWL_EXSTYLE);
      ex &= ~static_cast<LONG>(WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR);
      if (alignment == taRightJustify) ex |= WS_EX_RIGHT;
      if (UseRightToLeftScrollBar()) ex |= WS_EX_LEFTSCROLLBAR;
      SetWindowLongA(WindowHandle(), GWL_EXSTYLE, ex);
    }
    return false;
  }
  if (!ACanvas) ACanvas = new TCanvas();
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  const bool began = dc == nullptr;
  if (began) dc = BeginPaint(Handle(), &ps);
  ACanvas->SetHandle(dc);
  try {
    ACanvas->SetFont(Font());
    RECT formatting{};
    SendMessageA(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&formatting));
    TRect r = Rect(formatting.left, formatting.top, formatting.right, formatting.bottom);
    if ((!NewStyleControls || !Ctl3D()) && BorderStyle() == bsSingle) {
      ACanvas->Brush()->SetColor(clWindowFrame);
      ACanvas->FrameRect(ClientRect());
    }
    const Integer textWidth = ACanvas->TextWidth(Text);
    Integer x = r.left;
    if (!LeftAlign && alignment == taRightJustify) x = r.right - textWidth;
    else if (!LeftAlign && alignment == taCenter) x = (r.left + r.right - textWidth) / 2;
    if (Enabled()) {
      ACanvas->Brush()->SetColor(Color());
      ACanvas->TextRect(r, x, r.top, Text);
    } else {
      SendMessageA(Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      const int saved = SaveDC(dc);
      {
        ScopeExit atEnd([&] { RestoreDC(dc, saved); });
        ACanvas->Brush()->SetStyle(bsClear);
        ACanvas->Font()->SetColor(TextColor);
        ACanvas->TextRect(r, x, r.top, Text);
      }
    }
  } catch (...) {
    ACanvas->SetHandle(nullptr);
    if (began) EndPaint(WindowHandle(), &ps);
    throw;
  }
  ACanvas->SetHandle(nullptr);
  if (began) EndPaint(WindowHandle(), &ps);
  return true;
}

void TJvCustomComboEdit::CNCtlColorEdit(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!NewStyleControls) return;
  TColor color = Font()->Color();
  if (!Enabled() && Color() != clGrayText) color = clGrayText;
  SetTextColor(reinterpret_cast<HDC>(Message.WParam), static_cast<COLORREF>(ColorToRGB(color)));
}

void TJvCustomComboEdit::WMNCCalcSize(TWMNCCalcSize& Message) {
  if (JvThemesActive() && Ctl3D() && BorderStyle() == bsSingle) {
    // The themed frame is one pixel wide: the system's sunken edge is two.
    if (auto* r = reinterpret_cast<RECT*>(Message.CalcSize_Params)) InflateRect(r, 1, 1);
  }
  INHERITED_MESSAGE(Message);
}

void TJvCustomComboEdit::WMNCPaint(TMessage& Message) {
  if (!(JvThemesActive() && Ctl3D() && BorderStyle() == bsSingle)) {
    INHERITED_MESSAGE(Message);
    return;
  }
  HDC dc = GetWindowDC(WindowHandle());
  RECT window;
  GetWindowRect(WindowHandle(), &window);
  OffsetRect(&window, -window.left, -window.top);
  ExcludeClipRect(dc, window.left + 1, window.top + 1, window.right - 1, window.bottom - 1);
  ThemeServices()->DrawElement(dc, ThemeServices()->GetElementDetails(teEditTextNormal),
                               Rect(window.left, window.top, window.right, window.bottom));
  ReleaseDC(WindowHandle(), dc);
  Message.Result = 0;
}

void TJvCustomComboEdit::WMNCHitTest(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (Message.Result != HTCLIENT || ComponentState().Contains(csDesigning) || !ShowButton()) return;
  const TPoint p = ScreenToClient(Point(static_cast<SmallInt>(LOWORD(Message.LParam)),
                                        static_cast<SmallInt>(HIWORD(Message.LParam))));
  if (p.x >= buttonHost_->Left()) Message.Result = HTBORDER;
}

// --- Shell auto-complete.

void TJvCustomComboEdit::SetAutoCompleteOptions(TJvAutoCompleteOptions Value) {
  if (autoCompleteOptions_ == Value) return;
  autoCompleteOptions_ = Value;
  if (!autoCompleteObject_) BindAutoComplete();
  ApplyAutoCompleteOptions();
}

void TJvCustomComboEdit::releaseAutoCompleteObject() { releaseAndClear(autoCompleteObject_); }

void TJvCustomComboEdit::BindAutoComplete() {
  if (!HandleAllocated() || ComponentState().Contains(csDesigning) || autoCompleteOptions_.Empty()) return;
  releaseAutoCompleteObject();
  auto* autoComplete = reinterpret_cast<IAutoComplete*>(createInProc(kClsidAutoComplete, kIidAutoComplete));
  if (!autoComplete) return;
  autoCompleteObject_ = autoComplete;
  IUnknown* source = CreateAutoCompleteSource();
  autoComplete->Init(WindowHandle(), source, nullptr, nullptr);
  if (source) source->Release();
}

void TJvCustomComboEdit::ApplyAutoCompleteOptions() {
  if (!HandleAllocated() || ComponentState().Contains(csDesigning) || !autoCompleteObject_) return;
  IAutoComplete2* autoComplete2 = nullptr;
  if (FAILED(autoCompleteObject_->QueryInterface(kIidAutoComplete2, reinterpret_cast<void**>(&autoComplete2))) ||
      !autoComplete2)
    return;
  autoComplete2->SetOptions(static_cast<DWORD>(autoCompleteOptions_.ToBits()));
  autoComplete2->Release();
}

IUnknown* TJvCustomComboEdit::CreateAutoCompleteSource() {
  auto* source = new TAutoCompleteSource(this, 0);
  source->_AddRef();
  return reinterpret_cast<IUnknown*>(source->AsEnumString());
}

// --- Actions.

TClass TJvCustomComboEdit::GetActionLinkClass() { return TJvCustomComboEditActionLink::StaticClass(); }

void TJvCustomComboEdit::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (action->ActionList() && action->Images() && (!CheckDefaults || !images_)) SetImages(action->Images());
  if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!CheckDefaults || HelpContext() == 0) SetHelpContext(action->HelpContext());
  if (!CheckDefaults || Hint().empty()) SetButtonHint(action->Hint());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
  if (!CheckDefaults || clickKey_ == 0) SetClickKey(action->ShortCut());
  if (!CheckDefaults || Visible()) SetVisible(action->Visible());
  if (!CheckDefaults || !onButtonClick_) SetOnButtonClick(action->OnExecute());
}

// =======================================================================================
// File and folder edits
// =======================================================================================

std::string JvResolveEditFileName(const std::string& Text) {
  if (FileExists(Text)) return Text;
  if (DirectoryExists(Text)) return IncludeTrailingPathDelimiter(Text);
  // A name without quotes is the whole text: a name with blanks that names no file yet is
  // still that name, not its first word.
  if (Text.find('"') == std::string::npos) return Trim(Text);
  std::string program, args;
  JvSplitProgramAndArgs(Text, program, args);
  return program;
}

std::string JvQuoteFileName(const std::string& Name) {
  if (Name.find(' ') != std::string::npos && (Name.empty() || Name[0] != '"')) return Format("\"%s\"", Name);
  return Name;
}

TJvFileDirEdit::TJvFileDirEdit(TComponent* AOwner) : TJvCustomComboEdit(AOwner) {
  SetOEMConvert(true);
  SetAutoCompleteOptions(TJvAutoCompleteOptions{acoAutoSuggest});
}

void TJvFileDirEdit::AfterConstruction() {
  TJvCustomComboEdit::AfterConstruction();
  // The default picture comes from the most derived class; while the control is marked as
  // being created the button takes its width directly.
  controlState_.Include(csCreating);
  {
    ScopeExit atEnd([&] { controlState_.Exclude(csCreating); });
    SetImageKind(ikDefault);
  }
}

TJvFileDirEdit::~TJvFileDirEdit() {
  releaseAndClear(shellMRUList_);
  releaseAndClear(shellHistoryList_);
  releaseAndClear(shellFileSystemList_);
  releaseAndClear(shellMultiList_);
}

void TJvFileDirEdit::enableFileDrop(bool Value) {
  if (HandleAllocated()) DragAcceptFiles(WindowHandle(), Value ? TRUE : FALSE);
}

void TJvFileDirEdit::SetAcceptFiles(bool Value) {
  if (acceptFiles_ == Value) return;
  enableFileDrop(Value);
  acceptFiles_ = Value;
}

void TJvFileDirEdit::CreateWnd() {
  TJvCustomComboEdit::CreateWnd();
  if (acceptFiles_) enableFileDrop(true);
}

void TJvFileDirEdit::DestroyWnd() {
  if (acceptFiles_) enableFileDrop(false);
  TJvCustomComboEdit::DestroyWnd();
}

void TJvFileDirEdit::Change() {
  // Line breaks can only come by pasting into the multi-line window: the first line stays.
  const std::string text = Text();
  size_t cut = text.find('\n');
  if (cut == std::string::npos) cut = text.find('\r');
  if (cut != std::string::npos) {
    SetText(text.substr(0, cut));
    return;
  }
  TJvCustomComboEdit::Change();
}

void TJvFileDirEdit::WMDropFiles(TMessage& Message) {
  auto drop = reinterpret_cast<HDROP>(Message.WParam);
  Message.Result = 0;
  try {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count > 0) {
      ClearSelectedFiles();
      for (UINT i = 0; i < count; ++i) {
        // The whole name, however long.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string name(length + 1, '\0');
        DragQueryFileA(drop, i, name.data(), length + 1);
        name.resize(length);
        TakeDroppedName(name);
        if (!multiSelect_) break;
      }
      if (onDropFiles_) onDropFiles_(this);
    }
  } catch (...) {
    DragFinish(drop);
    throw;
  }
  DragFinish(drop);
}

IUnknown* TJvFileDirEdit::CreateAutoCompleteSource() {
  releaseAndClear(shellMultiList_);
  // A new multi-list holds none of the lists yet: they are made again and appended.
  releaseAndClear(shellMRUList_);
  releaseAndClear(shellHistoryList_);
  releaseAndClear(shellFileSystemList_);
  shellMultiList_ = createInProc(kClsidACLMulti, IID_IUnknown);
  if (shellMultiList_) shellMultiList_->AddRef();
  return shellMultiList_;
}

namespace {

// Makes List into the multi-list when On and it is missing; removes and releases it when
// not On.
void syncShellList(IObjMgr* Manager, bool On, const GUID& Clsid, IUnknown*& List) {
  if (On) {
    if (List) return;
    List = createInProc(Clsid, IID_IUnknown);
    if (List) Manager->Append(List);
  } else if (List) {
    Manager->Remove(List);
    releaseAndClear(List);
  }
}

}  // namespace

void TJvFileDirEdit::ApplyAutoCompleteOptions() {
  IObjMgr* manager = nullptr;
  if (shellMultiList_ &&
      SUCCEEDED(shellMultiList_->QueryInterface(kIidObjMgr, reinterpret_cast<void**>(&manager))) && manager) {
    const TJvAutoCompleteFileOptions options = ShellListOptions();
    syncShellList(manager, options.Contains(acfURLMRU), kClsidACLMRU, shellMRUList_);
    syncShellList(manager, options.Contains(acfURLHistory), kClsidACLHistory, shellHistoryList_);
    const bool fileSystem = options.Contains(acfFileSystem) || options.Contains(acfFileSysDirs);
    syncShellList(manager, fileSystem, kClsidACListISF, shellFileSystemList_);
    IACList2* list2 = nullptr;
    if (fileSystem && shellFileSystemList_ &&
        SUCCEEDED(shellFileSystemList_->QueryInterface(kIidACList2, reinterpret_cast<void**>(&list2))) && list2) {
      list2->SetOptions(options.Contains(acfFileSysDirs) ? kListFileSystemOnly | kListFolders : kListFileSystemOnly);
      list2->Release();
    }
    manager->Release();
  }
  TJvCustomComboEdit::ApplyAutoCompleteOptions();
}

void TJvFileDirEdit::SuppressCriticalErrors() { savedErrorMode_ = SetErrorMode(kQuietErrorMode); }

void TJvFileDirEdit::RestoreErrorMode() { SetErrorMode(savedErrorMode_); }

// --- File-name edit.

TJvFilenameEdit::TJvFilenameEdit(TComponent* AOwner) : TJvFileDirEdit(AOwner) { makeFileDialog(); }

void TJvFilenameEdit::makeFileDialog() {
  TOpenDialog* dialog = nullptr;
  switch (dialogKind_) {
    case dkOpen: dialog = New<TOpenDialog>(this); break;
    case dkSave: dialog = New<TSaveDialog>(this); break;
    case dkOpenPicture: dialog = New<TOpenPictureDialog>(this); break;
    case dkSavePicture: dialog = New<TSavePictureDialog>(this); break;
  }
  if (!dialog_) {
    dialog->SetTitle(RsBrowseCaption);
    dialog->SetFilter(RsDefaultFilter);
    dialog->SetOptions(TOpenOptions{ofHideReadOnly});
  } else {
    dialog->SetDefaultExt(dialog_->DefaultExt());
    dialog->SetFileEditStyle(dialog_->FileEditStyle());
    dialog->SetFileName(dialog_->FileName());
    dialog->SetFilter(dialog_->Filter());
    dialog->SetFilterIndex(dialog_->FilterIndex());
    dialog->SetInitialDir(dialog_->InitialDir());
    dialog->SetHistoryList(dialog_->HistoryList());
    dialog->Files()->Assign(dialog_->Files());
    dialog->SetOptions(dialog_->Options());
    dialog->SetTitle(dialog_->Title());
    dialog_->Free();
  }
  dialog_ = dialog;
}

void TJvFilenameEdit::SetDialogKind(TFileDialogKind Value) {
  if (dialogKind_ == Value) return;
  dialogKind_ = Value;
  makeFileDialog();
}

bool TJvFilenameEdit::IsDialogTitleStored() const { return dialog_->Title() != RsBrowseCaption; }

bool TJvFilenameEdit::IsFilterStored() const { return dialog_->Filter() != RsDefaultFilter; }

void TJvFilenameEdit::SetDialogOptions(TOpenOptions Value) {
  if (dialog_->Options() == Value) return;
  dialog_->SetOptions(Value);
  multiSelect_ = Value.Contains(ofAllowMultiSelect);
  if (!multiSelect_) ClearSelectedFiles();
}

void TJvFilenameEdit::SetAutoCompleteFileOptions(TJvAutoCompleteFileOptions Value) {
  if (autoCompleteFileOptions_ == Value) return;
  autoCompleteFileOptions_ = Value;
  if (!ComponentState().Contains(csDesigning)) ApplyAutoCompleteOptions();
}

std::string TJvFilenameEdit::FileName() {
  if (!addQuotes_) return Text();
  return JvResolveEditFileName(Text());
}

void TJvFilenameEdit::SetFileName(const std::string& Value) {
  if (Value.empty()) {
    SetText("");
    return;
  }
  if (!JvIsValidFileName(JvResolveEditFileName(Value))) throw EComboEditError(Format(RsInvalidFileName, Value));
  SetText(addQuotes_ ? JvQuoteFileName(Value) : Value);
  ClearSelectedFiles();
}

std::string TJvFilenameEdit::NameInLongForm() { return JvLongFileName(FileName()); }

std::string TJvFilenameEdit::NameInShortForm() { return JvShortFileName(FileName()); }

void TJvFilenameEdit::ClearSelectedFiles() { dialog_->Files()->Clear(); }

void TJvFilenameEdit::TakeDroppedName(const std::string& Name) {
  if (!multiSelect_) {
    SetFileName(Name);
    return;
  }
  if (dialog_->Files()->Count() == 0) SetFileName(Name);
  dialog_->Files()->Add(Name);
}

Integer TJvFilenameEdit::DefaultImageIndex() {
  const bool styled = JvThemesActive();
  Integer& index = styled ? styledFolderIndex : classicFolderIndex;
  if (index < 0) {
    TBitmap picture;
    picture.LoadFromResourceName(GetModuleHandleA(nullptr), styled ? "JvFilenameEditXPGLYPH" : "JvFilenameEditGLYPH");
    index = SharedDefaultImages()->AddMasked(&picture, static_cast<TColor>(0xFF00FF));
  }
  return index;
}

void TJvFilenameEdit::CMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  // The picture follows a switch of visual styles.
  if (ImageKind() == ikDefault) EmbeddedButton()->SetImageIndex(DefaultImageIndex());
}

void TJvFilenameEdit::ShowDropDown(bool DisableEdit) { RunFileDialog(); }

void TJvFilenameEdit::RunFileDialog() {
  std::string name = JvResolveEditFileName(Text());
  bool action = true;
  if (OnBeforeDialog()) OnBeforeDialog()(this, name, action);
  if (!action) return;
  if (JvIsValidFileName(name)) {
    try {
      const std::string folder = ExtractFilePath(name);
      if (!folder.empty() && DirectoryExists(folder)) dialog_->SetInitialDir(folder);
      const std::string file = ExtractFileName(name);
      if (file.empty() || !JvIsValidFileName(file)) name.clear();
      dialog_->SetFileName(name);
    } catch (...) {
      // A name the file system cannot look at opens the dialog without it.
    }
  }
  dialog_->SetHelpContext(HelpContext());
  SuppressCriticalErrors();
  {
    ScopeExit atEnd([&] { RestoreErrorMode(); });
    action = dialog_->Execute();
  }
  if (action) name = dialog_->FileName();
  if (CanFocus()) SetFocus();
  if (OnAfterDialog()) OnAfterDialog()(this, name, action);
  if (action) {
    SetText(AddQuotes() ? JvQuoteFileName(name) : name);
    dialog_->SetInitialDir(ExtractFilePath(dialog_->FileName()));
  }
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_IMPLEMENT_CLASS(EComboEditError)
RTL_IMPLEMENT_CLASS(TJvCustomComboEditActionLink)

RTL_BEGIN_CLASS(TAutoCompleteSource)
b.Interface<IJvEnumString>();
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvEditButton)
b.Message(WM_CONTEXTMENU, &TJvEditButton::WMContextMenu);
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvCustomComboEdit)
b.Message(CM_JVDEFERREDCLOSE, &TJvCustomComboEdit::CMDeferredClose);
b.Message(CM_CTL3DCHANGED, &TJvCustomComboEdit::CMCtl3DChanged);
b.Message(CM_CANCELMODE, &TJvCustomComboEdit::CMCancelMode);
b.Message(CM_WANTSPECIALKEY, &TJvCustomComboEdit::CMWantSpecialKey);
b.Message(CM_BIDIMODECHANGED, &TJvCustomComboEdit::CMBiDiModeChanged);
b.Message(CM_ENTER, &TJvCustomComboEdit::CMEnter);
b.Message(CN_CTLCOLOREDIT, &TJvCustomComboEdit::CNCtlColorEdit);
b.Message(WM_PAINT, &TJvCustomComboEdit::WMPaint);
b.Message(WM_NCCALCSIZE, &TJvCustomComboEdit::WMNCCalcSize);
b.Message(WM_NCPAINT, &TJvCustomComboEdit::WMNCPaint);
b.Message(WM_NCHITTEST, &TJvCustomComboEdit::WMNCHitTest);
b.Message(WM_CUT, &TJvCustomComboEdit::WMCut);
b.Message(WM_PASTE, &TJvCustomComboEdit::WMPaste);
b.Message(WM_LBUTTONDOWN, &TJvCustomComboEdit::WMLButtonDown);
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvFileDirEdit)
b.Message(WM_DROPFILES, &TJvFileDirEdit::WMDropFiles);
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvFilenameEdit)
  using T = TJvFilenameEdit;
  b.Message(CM_SYSCOLORCHANGE, &TJvFilenameEdit::CMSysColorChange);
  // Of the file and folder edits.
  PUBLISH(AcceptFiles).Default(true);
  PUBLISH(OnBeforeDialog);
  PUBLISH(OnAfterDialog);
  PUBLISH(OnDropFiles);
  PUBLISH(OnButtonClick);
  PUBLISH(ClipboardCommands).Default(TJvClipboardCommands{caCopy, caCut, caPaste, caClear, caUndo});
  PUBLISH(DisabledTextColor).Default(clGrayText);
  PUBLISH(DisabledColor).Default(clWindow);
  // Of the file-name edit.
  PUBLISH(Action);
  PUBLISH(AddQuotes).Default(true);
  PUBLISH(DialogKind).Default(dkOpen);
  PUBLISH(DefaultExt);
  PUBLISH(AutoCompleteOptions).Default(TJvAutoCompleteOptions{acoAutoSuggest});
  PUBLISH(AutoCompleteFileOptions).Default(TJvAutoCompleteFileOptions{acfFileSystem});
  PUBLISH(Flat).Stored(&T::IsFlatStored);
  PUBLISH(ParentCtl3D).Default(true);
  PUBLISH(FileEditStyle).Stored(false);
  PUBLISH(FileName).Stored(false);
  PUBLISH(Filter).Stored(&T::IsFilterStored);
  PUBLISH(FilterIndex).Default(1);
  PUBLISH(InitialDir);
  PUBLISH(HistoryList).Stored(false);
  PUBLISH(DialogOptions).Default(TOpenOptions{ofHideReadOnly});
  PUBLISH(DialogTitle).Stored(&T::IsDialogTitleStored);
  PUBLISH(ButtonHint);
  PUBLISH(ButtonFlat).Default(false);
  PUBLISH(ClickKey).Default(0x8028);
  PUBLISH(DirectInput).Default(true);
  PUBLISH(Glyph).Stored(&T::IsCustomGlyph);
  PUBLISH(GroupIndex).Default(-1);
  PUBLISH(ImageIndex).Default(-1).Stored(&T::IsImageIndexStored);
  PUBLISH(Images);
  PUBLISH(ImageKind).Default(ikDefault);
  PUBLISH(NumGlyphs).Default(1);
  PUBLISH(ButtonWidth).Stored(&T::IsButtonWidthStored);
  PUBLISH(ShowButton).Default(true);
  PUBLISH(ReadOnly).Default(false);
  PUBLISH(OnMouseEnter);
  PUBLISH(OnMouseLeave);
  // The class library's edit properties and events.
  publishPlacement(b);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(AutoSize).Default(true);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(CharCase).Default(ecNormal);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(EditMask);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Text);
  publishEditEvents(b);
RTL_END_CLASS

// =======================================================================================
// Unit
// =======================================================================================

namespace JvToolEditUnit {

namespace {
std::vector<TClass> unitClasses() {
  return {TJvEditButton::StaticClass(), TJvCustomComboEdit::StaticClass(), TJvFileDirEdit::StaticClass(),
          TJvFilenameEdit::StaticClass()};
}
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() {
  UnRegisterClasses(unitClasses());
  if (sharedDefaultImages) {
    sharedDefaultImages->Free();
    sharedDefaultImages = nullptr;
  }
  classicFolderIndex = -1;
  styledFolderIndex = -1;
}

}  // namespace JvToolEditUnit
