#include "cx/editors/cxMemo.h"

#include <algorithm>

#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxVariants.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Posted to the memo editor: its scroll bars follow the inner memo's after the messages
// that changed them.
constexpr UINT CM_MEMOSCROLLBARSUPDATE = 0x8068;
// The class library's settings-change notice.
constexpr UINT CM_MEMOWININICHANGE = 0xB025;

// The longest first line a single-line consumer shows.
constexpr size_t cxMemoSingleLineMax = 250;

// The inserted text with every line feed that a carriage return follows made into two line
// breaks (each bare break a line of its own); CR LF pairs stay as they are.
std::string splitReversedBreaks(const std::string& AText) {
  if (AText.find("\n\r") == std::string::npos) return AText;
  std::string result;
  result.reserve(AText.size() + 8);
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] == '\r' && i + 1 < AText.size() && AText[i + 1] == '\n') {
      result += "\r\n";
      ++i;
    } else if (AText[i] == '\n' && i + 1 < AText.size() && AText[i + 1] == '\r') {
      result += "\r\n\r\n";
      ++i;
    } else {
      result += AText[i];
    }
  }
  return result;
}

bool hasHorizontalBar(TScrollStyle AStyle) { return AStyle == ssHorizontal || AStyle == ssBoth; }
bool hasVerticalBar(TScrollStyle AStyle) { return AStyle == ssVertical || AStyle == ssBoth; }

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxCustomMemoProperties.

RTL_IMPLEMENT_CLASS(TcxCustomMemoProperties)

RTL_BEGIN_CLASS(TcxMemoProperties)
  using T = TcxMemoProperties;
  b.Property("Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  PUBLISH(AutoSelect).Default(false);
  PUBLISH(CharCase).Default(ecNormal);
  PUBLISH(HideSelection).Default(true);
  b.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  PUBLISH(OEMConvert).Default(false);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(ScrollBars).Default(ssNone);
  PUBLISH(WantReturns).Default(true);
  PUBLISH(WantTabs).Default(false);
  PUBLISH(WordWrap).Default(true);
  PUBLISH(OnChange);
  PUBLISH(OnEditValueChanged);
  PUBLISH(OnValidate);
RTL_END_CLASS

TcxCustomMemoProperties::TcxCustomMemoProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {
  GetAlignment()->SetVert(taTopJustify);
  SetAutoSelect(false);
}

void TcxCustomMemoProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomMemoProperties*>(Source);
  if (!source) {
    TcxCustomTextEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  ScopeExit end([this] { EndUpdate(true); });
  TcxCustomTextEditProperties::Assign(Source);
  SetScrollBars(source->ScrollBars());
  SetWantReturns(source->WantReturns());
  SetWantTabs(source->WantTabs());
  SetWordWrap(source->WordWrap());
}

TClass TcxCustomMemoProperties::GetViewDataClass() { return TcxCustomMemoViewData::StaticClass(); }
TClass TcxCustomMemoProperties::GetEditClass() { return TcxMemo::StaticClass(); }
TClass TcxCustomMemoProperties::GetViewInfoClass() { return TcxCustomMemoViewInfo::StaticClass(); }

void TcxCustomMemoProperties::GetDisplayText(const Variant& AEditValue, bool AFullText, std::string& AText) {
  TcxCustomTextEditProperties::GetDisplayText(AEditValue, AText);
  if (AFullText) return;
  size_t lineBreak = AText.substr(0, cxMemoSingleLineMax).find_first_of("\r\n");
  if (lineBreak != std::string::npos) AText.erase(lineBreak);
  if (AText.size() > cxMemoSingleLineMax) AText.erase(cxMemoSingleLineMax);
}

TcxEditValueKind TcxCustomMemoProperties::GetEditValueKind(bool AFocused) {
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  return provider && provider->IsBlobValue() ? evsValue : evsText;
}

void TcxCustomMemoProperties::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  Changed();
}

void TcxCustomMemoProperties::SetWantReturns(bool Value) {
  if (Value == FWantReturns) return;
  FWantReturns = Value;
  Changed();
}

void TcxCustomMemoProperties::SetWantTabs(bool Value) {
  if (Value == FWantTabs) return;
  FWantTabs = Value;
  Changed();
}

void TcxCustomMemoProperties::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Changed();
}

// ---------------------------------------------------------------------------------------
// View data and view info.

RTL_IMPLEMENT_CLASS(TcxCustomMemoViewData)
RTL_IMPLEMENT_CLASS(TcxCustomMemoViewInfo)

TcxTextLayoutFlags TcxCustomMemoViewData::GetDrawTextFlags() {
  TcxTextLayoutFlags flags = tlfWholeRowsOnly | tlfPreventLeftExceed;
  switch (HorzAlignment) {
    case taRightJustify: flags |= tlfAlignRight; break;
    case taCenter: flags |= tlfAlignCenter; break;
    default: flags |= tlfAlignLeft; break;
  }
  auto* properties = static_cast<TcxCustomMemoProperties*>(GetProperties());
  if (properties->WordWrap() && !hasHorizontalBar(properties->ScrollBars())) flags |= tlfWordBreak | tlfCharBreak;
  return flags;
}

TRect TcxCustomMemoViewData::GetTextMargins(TcxCustomEditViewInfo* AViewInfo) {
  return cxGetMemoTextMargins(HorzAlignment);
}

void TcxCustomMemoViewInfo::DrawText(TcxCanvas* ACanvas) { cxDrawMemoText(ACanvas, this); }

// ---------------------------------------------------------------------------------------
// TcxCustomInnerMemo.

RTL_BEGIN_CLASS(TcxCustomInnerMemo)
  b.Message<TMessage>(WM_GETDLGCODE, &TcxCustomInnerMemo::WMGetDlgCode);
  b.Message<TMessage>(WM_SETFOCUS, &TcxCustomInnerMemo::WMSetFocus);
  b.Message<TMessage>(WM_KILLFOCUS, &TcxCustomInnerMemo::WMKillFocus);
  b.Message<TMessage>(WM_CUT, &TcxCustomInnerMemo::WMCut);
  b.Message<TMessage>(WM_PASTE, &TcxCustomInnerMemo::WMPaste);
  b.Message<TMessage>(WM_CLEAR, &TcxCustomInnerMemo::WMClear);
  b.Message(WM_ERASEBKGND, &TcxCustomInnerMemo::WMEraseBkgnd);
  b.Message(WM_NCPAINT, &TcxCustomInnerMemo::WMNCPaint);
  b.Message(WM_SETFONT, &TcxCustomInnerMemo::WMSetFont);
  b.Message(WM_WINDOWPOSCHANGED, &TcxCustomInnerMemo::WMWindowPosChanged);
RTL_END_CLASS

TcxCustomInnerMemo::TcxCustomInnerMemo(TComponent* AOwner) : TcxInnerEditForwarding<TMemo>(AOwner) {
  FCreating = true;
  FHelper = std::make_unique<TcxInnerTextEditHelperT<TcxCustomInnerMemo>>(this);
  SetTabStop(false);
  SetBorderStyle(bsNone);
  if (!ComponentState().Contains(csDesigning)) SetCursor(crIBeam);
  SetParentColor(true);
  SetParentFont(true);
  FKeyConsumed = false;
  FCreating = false;
}

TcxCustomInnerMemo::~TcxCustomInnerMemo() = default;

TcxCustomMemo* TcxCustomInnerMemo::Container() const { return dynamic_cast<TcxCustomMemo*>(Owner()); }

void TcxCustomInnerMemo::SetInnerEditValue(const Variant& Value) {
  const std::string text = VarToStr(Value);
  TcxCustomMemo* memo = Container();
  if (!HandleAllocated()) {
    SetText(text);
    return;
  }
  if (memo) memo->LockChangeEvents(true);
  ScopeExit unlock([memo] {
    if (memo) memo->LockChangeEvents(false);
  });
  if (memo && memo->IsInplace() && WordWrap()) Lines()->Clear();
  Lines()->SetText(text);
}

void TcxCustomInnerMemo::SafelySetFocus() {
  bool autoSelect = FAutoSelect;
  FAutoSelect = false;
  ScopeExit restore([&] { FAutoSelect = autoSelect; });
  SetFocus();
}

void TcxCustomInnerMemo::CreateParams(TCreateParams& Params) {
  TMemo::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_VREDRAW);
  if (hasHorizontalBar(ScrollBars()) || !WordWrap()) Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW);
}

void TcxCustomInnerMemo::CreateWnd() {
  TMemo::CreateWnd();
  if (TcxCustomMemo* memo = Container()) memo->AdjustInnerScrollBars();
}

bool TcxCustomInnerMemo::TypesTab() {
  TcxCustomMemo* memo = Container();
  return memo && memo->GetActiveMemoProperties()->WantTabs();
}

bool TcxCustomInnerMemo::ClearGoesToEditor() {
  TcxCustomMemo* memo = Container();
  return memo && !memo->MemoDeleting();
}

void TcxCustomInnerMemo::DoEnter() {
  TMemo::DoEnter();
  if (FAutoSelect) SelectAll();
}

void TcxCustomInnerMemo::replaceSelection(TMessage& Message) {
  const char* original = reinterpret_cast<const char*>(Message.LParam);
  std::string text = original ? splitReversedBreaks(original) : std::string();
  Message.LParam = reinterpret_cast<LPARAM>(text.c_str());
  ScopeExit restore([&] { Message.LParam = reinterpret_cast<LPARAM>(original); });
  TcxCustomMemo* memo = Container();
  // Text the program puts in (Lines) becomes the value without change events; a user's
  // paste changes the text as typing does.
  const bool silent = memo && !memo->IsUserChange();
  if (silent) memo->LockChangeEvents(true);
  ScopeExit unlock([memo, silent] {
    if (silent) memo->LockChangeEvents(false, false);
  });
  TMemo::WndProc(Message);
  if (memo) memo->StoreLinesAsEditValue();
}

void TcxCustomInnerMemo::WndProc(TMessage& Message) {
  TcxCustomMemo* memo = Container();
  switch (Message.Msg) {
    case EM_REPLACESEL:
      replaceSelection(Message);
      return;
    case WM_SETTEXT: {
      TMemo::WndProc(Message);
      if (memo && !FSettingText) {
        ScopedRestore<bool> guard(FSettingText);
        FSettingText = true;
        const char* text = reinterpret_cast<const char*>(Message.LParam);
        memo->SetInternalEditValue(Variant(std::string(text ? text : "")));
      }
      return;
    }
    case WM_KEYDOWN: {
      if (!memo) break;
      // The text is compared by its length: reading a long memo's whole text at every key
      // would cost more than the key.
      const int lengthBefore = GetWindowTextLengthA(WindowHandle());
      TcxCustomInnerTextEditPrevState before{std::string(), SelLength(), SelStart()};
      FKeyConsumed = false;
      Word key = static_cast<Word>(Message.WParam);
      TMemo::WndProc(Message);
      memo->RequestScrollBarUpdate();
      const bool changed = SelStart() != before.SelStart || SelLength() != before.SelLength ||
                           GetWindowTextLengthA(WindowHandle()) != lengthBefore;
      if (!FKeyConsumed && !changed && key != VK_UP && key != VK_DOWN && key != 0) {
        TShiftState shift = KeyDataToShiftState(static_cast<Integer>(Message.LParam));
        memo->DoAfterKeyDown(key, shift);
      }
      return;
    }
    case WM_WINDOWPOSCHANGING:
      TMemo::WndProc(Message);
      if (memo) memo->AdjustInnerScrollBars();
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (StartsAutomaticDrag(Message)) return;
      break;
    default:
      break;
  }
  TMemo::WndProc(Message);
}

void TcxCustomInnerMemo::WMEraseBkgnd(TMessage& Message) {
  Message.Result = 1;
  if (DoubleBuffered() && Message.WParam != static_cast<WPARAM>(Message.LParam)) return;
  // Only below the text lines: the lines paint their own background.
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TcxCustomMemo* memo = Container();
  if (!dc || !memo) return;
  RECT client;
  ::GetClientRect(WindowHandle(), &client);
  Integer h = std::max(1, memo->GetCanvas()->TextHeight("Zg"));
  Integer n = std::min<Integer>(client.bottom / h, static_cast<Integer>(SendMessageA(WindowHandle(), EM_GETLINECOUNT, 0, 0)));
  RECT below{client.left, n * h, client.right, client.bottom};
  if (below.top >= below.bottom) return;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
  FillRect(dc, &below, brush);
  DeleteObject(brush);
}

void TcxCustomInnerMemo::WMNCPaint(TMessage& Message) {
  if (!cxCanGetScrollBarInfo()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  // The native bars lie under the set's own: the frame is painted without them.
  HWND wnd = WindowHandle();
  LONG style = GetWindowLongA(wnd, GWL_STYLE);
  SetWindowLongA(wnd, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
  INHERITED_MESSAGE(Message);
  LONG bars = 0;
  if (hasHorizontalBar(ScrollBars())) bars |= WS_HSCROLL;
  if (hasVerticalBar(ScrollBars())) bars |= WS_VSCROLL;
  SetWindowLongA(wnd, GWL_STYLE, (GetWindowLongA(wnd, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL)) | bars);
  if (ScrollBars() != ssBoth) return;
  RECT window;
  GetWindowRect(wnd, &window);
  RECT client;
  ::GetClientRect(wnd, &client);
  MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT corner{client.right - window.left, client.bottom - window.top,
              client.right - window.left + GetSystemMetrics(SM_CXVSCROLL),
              client.bottom - window.top + GetSystemMetrics(SM_CYHSCROLL)};
  HDC dc = GetWindowDC(wnd);
  FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
  ReleaseDC(wnd, dc);
}

void TcxCustomInnerMemo::WMSetFont(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  TcxCustomMemo* memo = Container();
  if (memo && memo->IsInplace()) SendMessageA(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

void TcxCustomInnerMemo::WMWindowPosChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (TcxCustomMemo* memo = Container()) memo->AdjustInnerScrollBars();
}

// ---------------------------------------------------------------------------------------
// TcxCustomMemo.

RTL_BEGIN_CLASS(TcxCustomMemo)
  b.Message(WM_COMMAND, &TcxCustomMemo::WMCommand);
  b.Message(CM_MEMOSCROLLBARSUPDATE, &TcxCustomMemo::CMScrollBarsUpdate);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxMemo)
  using T = TcxMemo;
  publishPlacement(b);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  b.Property("Lines", &T::Lines, &T::SetLines);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  b.Property("Properties", &T::Properties, &T::SetProperties);
  PUBLISH(RepositoryItem);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Style);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  PUBLISH(OnEditing);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

TcxCustomMemo::TcxCustomMemo(TComponent* AOwner) : TcxCustomTextEdit(AOwner) {
  SetAutoSize(false);
  SetWidth(185);
  SetHeight(89);
}

TClass TcxCustomMemo::GetInnerEditClass() { return TcxCustomInnerMemo::StaticClass(); }
TClass TcxCustomMemo::GetPropertiesClass() { return TcxMemoProperties::StaticClass(); }

void TcxCustomMemo::ReadState(TReader* Reader) {
  TcxCustomTextEdit::ReadState(Reader);
  // The stored lines are the value.
  const std::string text = InnerEdit() ? VarToStr(InnerMemo()->InnerEditValue()) : std::string();
  if (!text.empty()) {
    Variant value;
    ConvertDisplayToEditValue(Variant(text), value, IsFocusedForDisplay());
    FEditValue = value;
  }
}

void TcxCustomMemo::WndProc(TMessage& Message) {
  TcxCustomTextEdit::WndProc(Message);
  if (Message.Msg == WM_WINDOWPOSCHANGED || Message.Msg == WM_NCCALCSIZE || Message.Msg == CM_MEMOWININICHANGE)
    RequestScrollBarUpdate();
}

void TcxCustomMemo::KeyDown(Word& Key, TShiftState Shift) {
  if (IsInplace() && Key == VK_RETURN) {
    const bool wantReturns = GetActiveMemoProperties()->WantReturns();
    if (wantReturns != Shift.Contains(ssCtrl)) {
      // A new line: no validation and no posting.
      DoEditKeyDown(Key, Shift);
      return;
    }
  }
  TcxCustomTextEdit::KeyDown(Key, Shift);
}

void TcxCustomMemo::WMCommand(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  const WORD code = HIWORD(Message.WParam);
  if (code == EN_VSCROLL || code == EN_HSCROLL || code == EN_CHANGE || code == EN_UPDATE) AdjustInnerScrollBars();
}

void TcxCustomMemo::CMScrollBarsUpdate(TMessage& Message) { AdjustInnerScrollBars(); }

void TcxCustomMemo::RequestScrollBarUpdate() {
  if (IsDestroying() || !InnerEdit() || !HandleAllocated()) return;
  PostMessageA(WindowHandle(), CM_MEMOSCROLLBARSUPDATE, 0, 0);
}

void TcxCustomMemo::AdjustInnerScrollBars() {
  if (FAdjustingScrollBars) return;
  ScopedRestore<bool> guard(FAdjustingScrollBars);
  FAdjustingScrollBars = true;
  TcxCustomTextEdit::AdjustInnerScrollBars();
}

void TcxCustomMemo::Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  if (!InnerEdit() || !InnerEdit()->HandleAllocated()) return;
  HWND wnd = InnerEdit()->WindowHandle();
  const int code = static_cast<int>(AScrollCode);
  if (AScrollBarKind == sbVertical) {
    if (AScrollCode == scLineUp)
      SendMessageA(wnd, EM_LINESCROLL, 0, -1);
    else if (AScrollCode == scLineDown)
      SendMessageA(wnd, EM_LINESCROLL, 0, 1);
    else
      SendMessageA(wnd, WM_VSCROLL, MAKEWPARAM(code, AScrollPos), 0);
    AScrollPos = GetScrollPos(wnd, SB_VERT);
  } else {
    SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(code, AScrollPos), 0);
    AScrollPos = GetScrollPos(wnd, SB_HORZ);
  }
  AdjustInnerScrollBars();
}

void TcxCustomMemo::AdjustInnerEditPosition(Integer AHeight) {
  if (FAdjustingInnerMemo || !InnerEdit()) return;
  ScopedRestore<bool> guard(FAdjustingInnerMemo);
  FAdjustingInnerMemo = true;
  TRect c = GetViewInfo()->ClientRect;
  TRect bounds = c;
  InflateRect(&bounds, -1, -1);
  const TRect current = InnerEdit()->BoundsRect();
  if (!EqualRect(&bounds, &current))
    InnerEdit()->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  if (InnerEdit()->HandleAllocated()) {
    TRect region = c;
    OffsetRect(&region, -InnerEdit()->Left(), -InnerEdit()->Top());
    if (InnerControlRegionChanged(InnerEdit(), region)) {
      cxSetChildWindowRegion(InnerEdit(), region);
      StoreInnerControlRegion(InnerEdit(), region);
    }
  }
}

bool TcxCustomMemo::IsModifyingKey(Word Key, TShiftState Shift) {
  TcxCustomMemoProperties* properties = GetActiveMemoProperties();
  return TcxCustomTextEdit::IsModifyingKey(Key, Shift) ||
         (Key == VK_RETURN && (properties->WantReturns() || Shift.Contains(ssCtrl))) ||
         (Key == VK_TAB && properties->WantTabs());
}

void TcxCustomMemo::InnerEditChanged(TObject* Sender) {
  TcxCustomTextEdit::InnerEditChanged(Sender);
  RequestScrollBarUpdate();
}

void TcxCustomMemo::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
  if (Key == 'A' && Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt) && Lines()->Count() > 0) {
    InnerMemo()->SelectAll();
    DoAfterKeyDown(Key, Shift);
    Key = 0;
  }
}

bool TcxCustomMemo::IsMemoNavigationKey(Word Key, bool AFlag) {
  switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
      return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      return !AFlag;
    default:
      return false;
  }
}

void TcxCustomMemo::InitializeViewData(TcxCustomEditViewData* AViewData) {
  TcxCustomTextEdit::InitializeViewData(AViewData);
  // The own bars lie over the inner memo's native ones: they take no room of their own.
  AViewData->HScrollBar = nullptr;
  AViewData->VScrollBar = nullptr;
}

void TcxCustomMemo::PropertiesChanged(TObject* Sender) {
  if (IsDestroying()) return;
  TcxCustomMemoProperties* properties = GetActiveMemoProperties();
  if (TcxCustomInnerMemo* inner = InnerMemo()) {
    if (properties->ScrollBars() != inner->ScrollBars()) {
      // Both windows are made again with the new bars.
      inner->SetScrollBars(properties->ScrollBars());
      if (HandleAllocated()) RecreateWnd();
    }
    inner->SetWantReturns(properties->WantReturns());
    inner->SetWantTabs(properties->WantTabs());
    inner->SetWordWrap(properties->WordWrap());
  }
  TcxCustomTextEdit::PropertiesChanged(Sender);
}

void TcxCustomMemo::CutToClipboard() {
  if (GetSelectionLength() == 0 || !GetInnerTextEdit()) return;
  GetInnerTextEdit()->CopyToClipboard();
  DeleteSelection();
}

void TcxCustomMemo::ApplyInnerEditColors() {
  TcxCustomTextEdit::ApplyInnerEditColors();
}

void TcxCustomMemo::PasteFromClipboard() {
  if (Clipboard()->HasFormat(CF_TEXT)) InsertText(Clipboard()->AsText());
}

void TcxCustomMemo::InsertText(const std::string& AText) {
  IcxInnerTextEdit* inner = GetInnerTextEdit();
  if (!inner) return;
  std::string text = AText;
  const Integer maxLength = GetActiveTextProperties()->GetMaxLength();
  if (IsUserChange() && maxLength > 0) {
    const std::string before = GetDisplayText().substr(0, static_cast<size_t>(std::max(0, inner->GetSelStart())));
    const Integer beforeLength =
        before.empty() ? 0
                       : MultiByteToWideChar(CP_ACP, 0, before.data(), static_cast<int>(before.size()), nullptr, 0);
    const Integer room = maxLength - beforeLength;
    if (room <= 0) return;
    // The inserted text cut to the room left, never inside a double-byte character.
    Integer kept = 0;
    size_t bytes = 0;
    while (bytes < text.size() && kept < room) {
      bytes += IsDBCSLeadByte(static_cast<BYTE>(text[bytes])) && bytes + 1 < text.size() ? 2 : 1;
      ++kept;
    }
    text.erase(bytes);
  }
  if (text.empty()) return;
  if (IsUserChange() && !RequestEditing()) return;
  inner->SetSelText(text);
  AfterTextInserted();
}

void TcxCustomMemo::AfterTextInserted() {
  if (IsUserChange()) return;
  ResetLookupHighlight();
  SyncEditValueFromDisplay();
  SetModified(false);
}

void TcxCustomMemo::DeleteSelection() {
  if (GetSelectionLength() == 0 || !GetInnerTextEdit()) return;
  if (IsUserChange() && !RequestEditing()) return;
  {
    ScopedRestore<bool> deleting(FMemoDeleting);
    FMemoDeleting = true;
    InnerMemo()->ClearSelection();
  }
  AfterTextInserted();
}

void TcxCustomMemo::flushPendingLines() {
  // Any message the inner memo gets hands it the waiting lines first.
  if (InnerEdit() && InnerEdit()->HandleAllocated() && !IsDestroying()) InnerEdit()->Perform(WM_NULL, 0, 0);
}

Variant TcxCustomMemo::GetEditValue() {
  flushPendingLines();
  return TcxCustomTextEdit::GetEditValue();
}

void TcxCustomMemo::SyncDisplayFromEditValue() {
  flushPendingLines();
  TcxCustomTextEdit::SyncDisplayFromEditValue();
}

void TcxCustomMemo::StoreLinesAsEditValue() {
  if (!InnerEdit()) return;
  FEditValue = Variant(Lines()->Text());
}

namespace cxMemoUnit {

void Initialize() {
  cxGetEditorRegistry()->Register(TcxMemoProperties::StaticClass(), cxGetResourceString(&scxEditRegMemo));
}

void Finalize() {
  if (cxEditPropertiesList) cxGetEditorRegistry()->Unregister(TcxMemoProperties::StaticClass());
}

}  // namespace cxMemoUnit
