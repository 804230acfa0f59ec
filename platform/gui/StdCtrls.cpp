// StdCtrls: the standard controls over the system's control classes.
#include "platform/gui/StdCtrls.h"

#include <algorithm>
#include <cstring>

#include "platform/gui/GuiPublish.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Scoped.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SInsertLineError = "Unable to insert a line";
const char* const SScrollBarRange = "Scrollbar property out of range";

// The style bit of a left, right or centred text in an EDIT window.
DWORD editAlignmentStyle(TAlignment Value) {
  switch (Value) {
    case taRightJustify: return ES_RIGHT;
    case taCenter: return ES_CENTER;
    default: return ES_LEFT;
  }
}

DWORD charCaseStyle(TEditCharCase Value) {
  switch (Value) {
    case ecUpperCase: return ES_UPPERCASE;
    case ecLowerCase: return ES_LOWERCASE;
    default: return 0;
  }
}

DWORD scrollBarStyle(TScrollStyle Value) {
  switch (Value) {
    case ssHorizontal: return WS_HSCROLL;
    case ssVertical: return WS_VSCROLL;
    case ssBoth: return WS_HSCROLL | WS_VSCROLL;
    default: return 0;
  }
}

// A window with a single border becomes a sunken 3D one in the newer look.
void applyBorderStyle(TCreateParams& Params, TBorderStyle Style, bool Ctl3D) {
  if (Style != bsSingle) return;
  if (NewStyleControls && Ctl3D) {
    Params.Style &= ~WS_BORDER;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  } else {
    Params.Style |= WS_BORDER;
  }
}

// The height of one line of Font's text (tmHeight) on the screen.
Integer fontLineHeight(TFont* Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

std::string windowText(HWND Window) {
  int len = GetWindowTextLengthA(Window);
  std::string s(static_cast<size_t>(len) + 1, '\0');
  int got = GetWindowTextA(Window, s.data(), len + 1);
  s.resize(static_cast<size_t>(std::max(0, got)));
  return s;
}

}  // namespace

bool IsAccel(Word VK, const std::string& Str) {
  for (size_t i = 0; i + 1 < Str.size(); ++i) {
    if (Str[i] != '&') continue;
    if (Str[i + 1] == '&') {
      ++i;
      continue;
    }
    return AnsiUpperCase(std::string(1, Str[i + 1])) == AnsiUpperCase(std::string(1, static_cast<char>(VK)));
  }
  return false;
}

// =======================================================================================
// Group box
// =======================================================================================

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                csReplicatable, csParentBackground};
  width_ = 185;
  height_ = 105;
}

void TCustomGroupBox::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Canvas()->SetFont(Font());
  Rect.top += Canvas()->TextHeight("0");
  InflateRect(Rect, -1, -1);
  if (Ctl3D()) InflateRect(Rect, -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  Integer h = canvas->TextHeight("0");
  std::string text = Caption();
  TThemeServices* themes = ThemeServices();
  if (themes->ThemesEnabled()) {
    TThemedElementDetails details =
        themes->GetElementDetails(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled);
    TRect frame = Rect(0, h / 2 - 1, Width(), Height());
    themes->DrawElement(canvas->Handle(), details, frame);
    if (!text.empty()) {
      TRect captionRect = Rect(8, 0, 0, h);
      DrawTextA(canvas->Handle(), text.c_str(), -1, &captionRect, DrawTextBiDiModeFlags(DT_SINGLELINE | DT_CALCRECT));
      canvas->Brush()->SetColor(Color());
      canvas->FillRect(captionRect);
      themes->DrawText(canvas->Handle(), details, text, captionRect, DrawTextBiDiModeFlags(DT_SINGLELINE), 0);
    }
    return;
  }
  TRect r = Rect(0, h / 2 - 1, Width(), Height());
  if (Ctl3D()) {
    ++r.left;
    ++r.top;
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->FrameRect(r);
    OffsetRect(r, -1, -1);
    canvas->Brush()->SetColor(clBtnShadow);
  } else {
    canvas->Brush()->SetColor(clWindowFrame);
  }
  canvas->FrameRect(r);
  if (text.empty()) return;
  TRect captionRect = UseRightToLeftAlignment() ? Rect(r.right - canvas->TextWidth(text) - 8, 0, 0, h) : Rect(8, 0, 0, h);
  UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE);
  DrawTextA(canvas->Handle(), text.c_str(), -1, &captionRect, flags | DT_CALCRECT);
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(captionRect);
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  SetBkMode(canvas->Handle(), TRANSPARENT);
  DrawTextA(canvas->Handle(), text.c_str(), -1, &captionRect, flags);
}

void TCustomGroupBox::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    SelectFirst();
    Message.Result = 1;
  } else {
    INHERITED_MESSAGE(Message);
  }
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
  Realign();
}

void TCustomGroupBox::CMCtl3DChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
  Realign();
}

void TCustomGroupBox::WMSize(TWMSize& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

// =======================================================================================
// Label
// =======================================================================================

namespace {

// A memory DC for measuring label texts, made once: asking the system for a screen DC costs a
// round trip to the window server on every text change. A one-pixel bitmap of the screen's
// colour depth is selected into it, so fonts are set up (and measure) as on the screen.
// The DC keeps the last font it measured with selected, as a copy of its own: a label whose
// text changes hundreds of times is measured with no font selected or deselected in between
// (each selection makes the display driver look its settings up again).
class MeasuringDC {
public:
  MeasuringDC() {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, 1, 1);
    ReleaseDC(nullptr, screen);
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~MeasuringDC() {
    if (dc_ && oldFont_) SelectObject(dc_, oldFont_);
    if (font_) DeleteObject(font_);
    if (dc_ && old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  MeasuringDC(const MeasuringDC&) = delete;
  MeasuringDC& operator=(const MeasuringDC&) = delete;

  // The DC with a font like Font selected, or null when there is none to be had.
  HDC WithFont(TFont* Font) {
    if (!dc_ || !old_) return nullptr;
    LOGFONTA wanted;
    std::memset(&wanted, 0, sizeof wanted);
    if (!GetObjectA(Font->Handle(), sizeof wanted, &wanted)) return nullptr;
    if (font_ && std::memcmp(&wanted, &logFont_, sizeof wanted) == 0) return dc_;
    HFONT font = CreateFontIndirectA(&wanted);
    if (!font) return nullptr;
    HGDIOBJ previous = SelectObject(dc_, font);
    if (!previous || previous == HGDI_ERROR) {
      DeleteObject(font);
      return nullptr;
    }
    if (!oldFont_) oldFont_ = previous;
    if (font_) DeleteObject(font_);
    font_ = font;
    logFont_ = wanted;
    return dc_;
  }

private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  LOGFONTA logFont_{};
};

MeasuringDC& measuringDC() {
  static MeasuringDC measuring;
  return measuring;
}

}  // namespace

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ += TControlStyle{csOpaque, csReplicatable};
  width_ = 65;
  height_ = 17;
  TControl::SetAutoSize(true);
}

std::string TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, Integer Flags) {
  std::string text = GetLabelText();
  // An empty text (or a lone accelerator mark) still measures one line high.
  if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  if (!showAccelChar_) Flags |= DT_NOPREFIX;
  Flags = DrawTextBiDiModeFlags(Flags);
  TCanvas* canvas = Canvas();
  // Measuring for AutoSize: on the measuring DC with the label's font, or, failing that, on a
  // screen DC through the canvas.
  HDC screen = nullptr;
  if ((Flags & DT_CALCRECT) && measuring_) {
    if (HDC dc = measuringDC().WithFont(Font())) {
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
      return;
    }
    screen = GetDC(nullptr);
    canvas->SetHandle(screen);
  }
  ScopeExit releaseScreen([canvas, screen] {
    if (!screen) return;
    canvas->SetHandle(nullptr);
    ReleaseDC(nullptr, screen);
  });
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsClear);
  if (!Enabled()) {
    OffsetRect(Rect, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
    OffsetRect(Rect, -1, -1);
    canvas->Font()->SetColor(clBtnShadow);
  }
  canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(ClientRect());
  }
  canvas->Brush()->SetStyle(bsClear);
  TRect rect = ClientRect();
  Integer alignFlags = alignment_ == taRightJustify ? DT_RIGHT : alignment_ == taCenter ? DT_CENTER : DT_LEFT;
  Integer style = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | alignFlags;
  if (layout_ != tlTop) {
    TRect calc = rect;
    DoDrawText(calc, style | DT_CALCRECT);
    if (layout_ == tlBottom) OffsetRect(rect, 0, Height() - calc.bottom);
    else OffsetRect(rect, 0, (Height() - calc.bottom) / 2);
  }
  DoDrawText(rect, style);
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) || !AutoSize()) return;
  TRect rect = ClientRect();
  {
    // DoDrawText measures on the measuring DC while this runs (see there).
    measuring_ = true;
    ScopeExit measured([this] { measuring_ = false; });
    DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0));
  }
  Integer x = Left();
  TAlignment alignment = alignment_;
  if (UseRightToLeftAlignment()) ChangeBiDiModeAlignment(alignment);
  if (alignment == taRightJustify) x += Width() - rect.right;
  else if (alignment == taCenter && !wordWrap_) x += (Width() - rect.right) / 2;
  SetBounds(x, Top(), rect.right, rect.bottom);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TControl::SetAutoSize(Value);
  AdjustBounds();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (focusControl_ == Value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (showAccelChar_ == Value) return;
  showAccelChar_ = Value;
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value) controlStyle_.Exclude(csOpaque);
  else controlStyle_.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::CMTextChanged(TMessage&) {
  const TRect before = BoundsRect();
  AdjustBounds();
  // A label that changed its bounds has had its old and its new place invalidated.
  const TRect after = BoundsRect();
  if (after.left == before.left && after.top == before.top && after.right == before.right &&
      after.bottom == before.bottom)
    Invalidate();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  AdjustBounds();
}

void TCustomLabel::CMDialogChar(TCMDialogChar& Message) {
  if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(Message.CharCode, Caption()) &&
      focusControl_->CanFocus()) {
    focusControl_->SetFocus();
    Message.Result = 1;
  }
}

// =======================================================================================
// Edit
// =======================================================================================

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  width_ = 121;
  height_ = 25;
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  TControl::SetAutoSize(true);
  AdjustHeight();
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | charCaseStyle(charCase_);
  if (!hideSelection_) Params.Style |= ES_NOHIDESEL;
  if (oemConvert_) Params.Style |= ES_OEMCONVERT;
  if (readOnly_) Params.Style |= ES_READONLY;
  applyBorderStyle(Params, borderStyle_, Ctl3D());
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomEdit::CreateWnd() {
  creating_ = true;
  {
    ScopeExit atEnd([&] { creating_ = false; });
    TWinControl::CreateWnd();
  }
  SendMessageA(WindowHandle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  SendMessageA(WindowHandle(), EM_SETMODIFY, modified_ ? TRUE : FALSE, 0);
  if (passwordChar_ != '\0')
    SendMessageA(WindowHandle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

void TCustomEdit::DestroyWnd() {
  modified_ = Modified();
  TWinControl::DestroyWnd();
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  if (AutoSize() && !isMultiLine()) AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
  if (isMultiLine() || !AutoSize()) return;
  Integer border = borderStyle_ == bsNone ? 0 : GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
  if (borderStyle_ == bsNone) border = 2;
  SetHeight(fontLineHeight(Font()) + border);
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TControl::SetAutoSize(Value);
  AdjustHeight();
}

void TCustomEdit::Change() {
  TControl::Changed();
  if (onChange_) onChange_(this);
}

void TCustomEdit::CNCommand(TWMCommand& Message) {
  if (Message.NotifyCode == EN_CHANGE && !creating_) Change();
}

void TCustomEdit::CMEnter(TCMEnter& Message) {
  if (autoSelect_ && !controlState_.Contains(csLButtonDown) && WindowHandle() &&
      !(GetWindowLongA(WindowHandle(), GWL_STYLE) & ES_MULTILINE))
    SelectAll();
  INHERITED_MESSAGE(Message);
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!ComponentState().Contains(csLoading)) AdjustHeight();
}

void TCustomEdit::CMCtl3DChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  // Without a window no EN_CHANGE comes; a memo's window sends none for WM_SETTEXT either.
  if (!WindowHandle() || (GetWindowLongA(WindowHandle(), GWL_STYLE) & ES_MULTILINE)) Change();
}

void TCustomEdit::WMSetFont(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (WindowHandle() && !(GetWindowLongA(WindowHandle(), GWL_STYLE) & ES_MULTILINE))
    SendMessageA(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

void TCustomEdit::WMContextMenu(TWMContextMenu& Message) {
  // The edit's own menu (Undo, Cut, Copy ...) unless a popup menu of the control's takes it.
  SetFocus();
  INHERITED_MESSAGE(Message);
}

void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::ClearSelection() { SendMessageA(Handle(), WM_CLEAR, 0, 0); }

void TCustomEdit::ClearUndo() { SendMessageA(Handle(), EM_EMPTYUNDOBUFFER, 0, 0); }

bool TCustomEdit::CanUndo() { return WindowHandle() && SendMessageA(WindowHandle(), EM_CANUNDO, 0, 0) != 0; }

void TCustomEdit::Undo() { SendMessageA(Handle(), WM_UNDO, 0, 0); }

void TCustomEdit::CopyToClipboard() { SendMessageA(Handle(), WM_COPY, 0, 0); }

void TCustomEdit::CutToClipboard() { SendMessageA(Handle(), WM_CUT, 0, 0); }

void TCustomEdit::PasteFromClipboard() { SendMessageA(Handle(), WM_PASTE, 0, 0); }

void TCustomEdit::SelectAll() { SendMessageA(Handle(), EM_SETSEL, 0, static_cast<LPARAM>(-1)); }

Integer TCustomEdit::GetSelTextBuf(char* Buffer, Integer BufSize) {
  std::string s = SelText();
  if (!Buffer || BufSize <= 0) return 0;
  Integer n = std::min<Integer>(static_cast<Integer>(s.size()), BufSize - 1);
  std::memcpy(Buffer, s.data(), static_cast<size_t>(n));
  Buffer[n] = '\0';
  return n;
}

void TCustomEdit::SetSelTextBuf(const char* Buffer) {
  SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Buffer ? Buffer : ""));
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  AdjustHeight();
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (hideSelection_ == Value) return;
  hideSelection_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(Integer Value) {
  if (maxLength_ == Value) return;
  maxLength_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

bool TCustomEdit::Modified() {
  if (WindowHandle()) return SendMessageA(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
  return modified_;
}

void TCustomEdit::SetModified(bool Value) {
  modified_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), EM_SETMODIFY, Value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetOEMConvert(bool Value) {
  if (oemConvert_ == Value) return;
  oemConvert_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (passwordChar_ == Value) return;
  passwordChar_ = Value;
  if (WindowHandle()) {
    SendMessageA(WindowHandle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
    InvalidateRect(WindowHandle(), nullptr, TRUE);
  }
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

Integer TCustomEdit::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<Integer>(start);
}

void TCustomEdit::SetSelStart(Integer Value) { SendMessageA(Handle(), EM_SETSEL, Value, Value); }

Integer TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<Integer>(end - start);
}

void TCustomEdit::SetSelLength(Integer Value) {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SendMessageA(Handle(), EM_SETSEL, start, static_cast<LPARAM>(start + Value));
  SendMessageA(Handle(), EM_SCROLLCARET, 0, 0);
}

std::string TCustomEdit::SelText() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  std::string text = Text();
  if (start >= text.size() || end <= start) return "";
  return text.substr(start, std::min<size_t>(end, text.size()) - start);
}

void TCustomEdit::SetSelText(const std::string& Value) {
  SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

// =======================================================================================
// Memo
// =======================================================================================

namespace {

// The lines of a memo, read from and written to its window.
class TMemoStrings : public TStrings {
  RTL_DECLARE_CLASS(TMemoStrings, TStrings)
public:
  explicit TMemoStrings(TCustomMemo* Memo) : memo_(Memo) {}

  // Lines added at the end while an update is in progress wait here and reach the window
  // in one piece when the update ends, or before anything else asks the window (each edit
  // of a long text costs the edit control time in proportion to the whole text). The window
  // then tells of one change instead of one per line. An update that ends while the window
  // cannot be seen (its page hidden) leaves them waiting until the window is shown or asked:
  // handing a long log to the edit control costs it a measure of every line.
  bool HasPending() const { return !pending_.empty(); }
  void Flush() const {
    if (pending_.empty()) return;
    std::string block;
    for (const std::string& line : pending_) {
      if (!block.empty() || &line != &pending_.front()) block += "\r\n";
      block += line;
    }
    const Integer index = pendingBase_;
    pending_.clear();
    const_cast<TMemoStrings*>(this)->insertNow(index, block);
  }

  std::string Get(Integer Index) const override {
    Flush();
    HWND h = memo_->Handle();
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    LRESULT len = SendMessageA(h, EM_LINELENGTH, start, 0);
    // EM_GETLINE takes the buffer size in its first WORD; the line is not null-terminated.
    std::string buffer(static_cast<size_t>(std::max<LRESULT>(len, 2)) + 1, '\0');
    *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(buffer.size());
    LRESULT got = SendMessageA(h, EM_GETLINE, Index, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
    return buffer;
  }

  Integer GetCount() const override {
    if (!pending_.empty()) return pendingBase_ + static_cast<Integer>(pending_.size());
    HWND h = memo_->Handle();
    auto count = static_cast<Integer>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
    // The empty line after a final line break is not a line of the list.
    if (count > 0 && SendMessageA(h, EM_LINELENGTH, SendMessageA(h, EM_LINEINDEX, count - 1, 0), 0) == 0) --count;
    return count;
  }

  void Put(Integer Index, const std::string& S) override {
    Flush();
    HWND h = memo_->Handle();
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    if (start < 0) Error(SListIndexError, Index);
    LRESULT len = SendMessageA(h, EM_LINELENGTH, start, 0);
    SendMessageA(h, EM_SETSEL, start, start + len);
    SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
  }

  void Insert(Integer Index, const std::string& S) override {
    if (Index < 0) return;
    if (UpdateCount() > 0 && S.find_first_of("\r\n") == std::string::npos && Index == GetCount()) {
      if (pending_.empty()) pendingBase_ = Index;
      pending_.push_back(S);
      return;
    }
    Flush();
    insertNow(Index, S);
  }

  void insertNow(Integer Index, const std::string& S) {
    HWND h = memo_->Handle();
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    std::string line;
    if (start >= 0) {
      line = S + "\r\n";
    } else {
      // After the last line, which has no line break yet.
      start = SendMessageA(h, EM_LINEINDEX, Index - 1, 0);
      if (start < 0) Error(SListIndexError, Index);
      LRESULT len = SendMessageA(h, EM_LINELENGTH, start, 0);
      if (len == 0) Error(SListIndexError, Index);
      start += len;
      line = "\r\n" + S;
    }
    SendMessageA(h, EM_SETSEL, start, start);
    SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }

  void Delete(Integer Index) override {
    Flush();
    HWND h = memo_->Handle();
    LRESULT start = SendMessageA(h, EM_LINEINDEX, Index, 0);
    if (start < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    LRESULT end = SendMessageA(h, EM_LINEINDEX, Index + 1, 0);
    if (end < 0) end = start + SendMessageA(h, EM_LINELENGTH, start, 0);
    SendMessageA(h, EM_SETSEL, start, end);
    SendMessageA(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
  }

  void Clear() override {
    pending_.clear();
    memo_->Clear();
  }

  void SetTextStr(const std::string& Value) override {
    pending_.clear();
    std::string text = AdjustLineBreaks(Value);
    if (text != memo_->Text()) {
      SendMessageA(memo_->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
      memo_->Perform(CM_TEXTCHANGED, 0, 0);
    }
  }

  std::string GetTextStr() const override {
    Flush();
    // The window's text, with a final line break when there are lines.
    std::string text = windowText(memo_->Handle());
    if (!text.empty() && (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)) text += "\r\n";
    return text;
  }

protected:
  void SetUpdateState(bool Updating) override {
    if (!Updating && (!memo_->HandleAllocated() || windowShown())) Flush();
    if (!memo_->HandleAllocated()) return;
    SendMessageA(memo_->WindowHandle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    // A window with lines still waiting is hidden: it paints when it is shown.
    if (!Updating && pending_.empty()) memo_->Refresh();
  }

  // Whether the memo's window can be seen. Its own visible style is off while an update
  // runs (redrawing is off), so its parent's chain decides.
  bool windowShown() const {
    if (!memo_->Visible()) return false;
    HWND parent = GetParent(memo_->WindowHandle());
    return !parent || IsWindowVisible(parent);
  }

private:
  TCustomMemo* memo_;
  mutable std::vector<std::string> pending_;
  Integer pendingBase_ = 0;  // the index the first waiting line will have
};

}  // namespace

RTL_IMPLEMENT_CLASS(TMemoStrings)

void TCustomMemo::WndProc(TMessage& Message) {
  // Anything that reaches the window sees the lines still waiting to be added.
  if (Message.Msg != WM_SETREDRAW)
    if (auto* lines = dynamic_cast<TMemoStrings*>(lines_); lines && lines->HasPending()) lines->Flush();
  TCustomEdit::WndProc(Message);
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  controlStyle_.Exclude(csFixedHeight);
  width_ = 185;
  height_ = 89;
  TControl::SetAutoSize(false);
  lines_ = new TMemoStrings(this);
}

TCustomMemo::~TCustomMemo() { delete lines_; }

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE | editAlignmentStyle(alignment_) | scrollBarStyle(scrollBars_);
  if (wordWrap_) Params.Style &= ~ES_AUTOHSCROLL;
}

void TCustomMemo::WMGetDlgCode(TWMGetDlgCode& Message) {
  INHERITED_MESSAGE(Message);
  if (wantTabs_) Message.Result |= DLGC_WANTTAB;
  else Message.Result &= ~DLGC_WANTTAB;
  if (!wantReturns_) Message.Result &= ~DLGC_WANTALLKEYS;
}

void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == VK_RETURN && !wantReturns_) Key = '\0';
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (scrollBars_ == Value) return;
  scrollBars_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  RecreateWnd();
}

TPoint TCustomMemo::CaretPos() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  auto line = static_cast<Integer>(SendMessageA(Handle(), EM_LINEFROMCHAR, end, 0));
  auto lineStart = static_cast<Integer>(SendMessageA(Handle(), EM_LINEINDEX, line, 0));
  return Point(static_cast<Integer>(end) - lineStart, line);
}

void TCustomMemo::SetCaretPos(const TPoint& Value) {
  auto pos = static_cast<Integer>(SendMessageA(Handle(), EM_LINEINDEX, Value.y, 0)) + Value.x;
  SendMessageA(Handle(), EM_SETSEL, pos, pos);
}

// =======================================================================================
// List controls
// =======================================================================================

void TCustomListControl::MoveSelection(TCustomListControl* Destination) {
  CopySelection(Destination);
  DeleteSelected();
}

// =======================================================================================
// Combo box
// =======================================================================================

namespace {

// The items of a combo box, kept by its window.
class TComboBoxStrings : public TStrings {
  RTL_DECLARE_CLASS(TComboBoxStrings, TStrings)
public:
  explicit TComboBoxStrings(TCustomComboBox* Combo) : combo_(Combo) {}

  Integer GetCount() const override { return static_cast<Integer>(SendMessageA(combo_->Handle(), CB_GETCOUNT, 0, 0)); }

  std::string Get(Integer Index) const override {
    HWND h = combo_->Handle();
    LRESULT len = SendMessageA(h, CB_GETLBTEXTLEN, Index, 0);
    if (len == CB_ERR) Error(SListIndexError, Index);
    std::string s(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = SendMessageA(h, CB_GETLBTEXT, Index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
    return s;
  }

  TObject* GetObject(Integer Index) const override {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    return reinterpret_cast<TObject*>(SendMessageA(combo_->Handle(), CB_GETITEMDATA, Index, 0));
  }

  void PutObject(Integer Index, TObject* AObject) override {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    SendMessageA(combo_->Handle(), CB_SETITEMDATA, Index, reinterpret_cast<LPARAM>(AObject));
  }

  Integer Add(const std::string& S) override {
    LRESULT r = SendMessageA(combo_->Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
    return static_cast<Integer>(r);
  }

  void Insert(Integer Index, const std::string& S) override {
    if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
    LRESULT r = SendMessageA(combo_->Handle(), CB_INSERTSTRING, Index, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
  }

  void Delete(Integer Index) override {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    SendMessageA(combo_->Handle(), CB_DELETESTRING, Index, 0);
  }

  void Clear() override {
    // The edit part keeps its text.
    std::string text = combo_->Text();
    SendMessageA(combo_->Handle(), CB_RESETCONTENT, 0, 0);
    combo_->SetText(text);
    combo_->Update();
  }

  Integer IndexOf(const std::string& S) const override {
    return static_cast<Integer>(
        SendMessageA(combo_->Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
  }

protected:
  void SetUpdateState(bool Updating) override {
    if (!combo_->HandleAllocated()) return;
    SendMessageA(combo_->WindowHandle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating) combo_->Refresh();
  }

private:
  TCustomComboBox* combo_;
};

}  // namespace

RTL_IMPLEMENT_CLASS(TComboBoxStrings)

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TCustomListControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight, csReflector};
  width_ = 145;
  height_ = 21;
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  items_ = new TComboBoxStrings(this);
  canvas_ = MakeControlCanvas(this);
}

TCustomComboBox::~TCustomComboBox() {
  delete items_;
  delete saveItems_;
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TCustomListControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  DWORD style = WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  switch (style_) {
    case csDropDown: style |= CBS_DROPDOWN; break;
    case csSimple: style |= CBS_SIMPLE; break;
    case csDropDownList: style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    case csOwnerDrawVariable: style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE; break;
  }
  if (sorted_) style |= CBS_SORT;
  if (charCase_ == ecUpperCase) style |= CBS_UPPERCASE;
  if (charCase_ == ecLowerCase) style |= CBS_LOWERCASE;
  Params.Style |= style;
  // The window's height at creation is the height of the dropped list.
  if (style_ != csSimple) Params.Height = std::max<Integer>(height_, itemHeight_ * dropDownCount_ + height_ + 2);
}

void TCustomComboBox::CreateWnd() {
  TCustomListControl::CreateWnd();
  HWND h = WindowHandle();
  SendMessageA(h, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  editHandle_ = nullptr;
  listHandle_ = nullptr;
  if (GetComboBoxInfo(h, &info)) {
    if (style_ == csDropDown || style_ == csSimple) editHandle_ = info.hwndItem;
    listHandle_ = info.hwndList;
  }
  if (editHandle_) editDefProc_ = SubclassWindow(editHandle_, TWndMethod(this, &TCustomComboBox::editWndProc));
  if (saveItems_) {
    items_->Assign(saveItems_);
    delete saveItems_;
    saveItems_ = nullptr;
    if (saveItemIndex_ != -1 && saveItemIndex_ < items_->Count()) SetItemIndex(saveItemIndex_);
  }
}

void TCustomComboBox::DestroyWnd() {
  if (WindowHandle()) {
    Integer count = static_cast<Integer>(SendMessageA(WindowHandle(), CB_GETCOUNT, 0, 0));
    if (count > 0) {
      delete saveItems_;
      saveItems_ = new TStringList();
      saveItems_->Assign(items_);
      saveItemIndex_ = ItemIndex();
    }
  }
  if (editHandle_ && editDefProc_) RestoreWindowProc(editHandle_, editDefProc_);
  editDefProc_ = nullptr;
  editHandle_ = nullptr;
  listHandle_ = nullptr;
  TCustomListControl::DestroyWnd();
}

void TCustomComboBox::editWndProc(TMessage& Message) {
  HWND edit = editHandle_;
  WNDPROC previous = editDefProc_;
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(this)) return;
      break;
    case WM_KILLFOCUS:
      if (controlState_.Contains(csFocusing)) return;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(reinterpret_cast<TWMKey&>(Message))) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(reinterpret_cast<TWMKey&>(Message))) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(reinterpret_cast<TWMKey&>(Message))) return;
      break;
  }
  Message.Result = CallWindowProcA(previous, edit, Message.Msg, Message.WParam, Message.LParam);
}

void TCustomComboBox::AddItem(const std::string& Item, TObject* AObject) { items_->AddObject(Item, AObject); }

void TCustomComboBox::Clear() {
  SetText("");
  items_->Clear();
}

void TCustomComboBox::ClearSelection() { SetItemIndex(-1); }

void TCustomComboBox::CopySelection(TCustomListControl* Destination) {
  Integer index = ItemIndex();
  if (index != -1 && Destination) Destination->AddItem(items_->Strings(index), items_->Objects(index));
}

void TCustomComboBox::DeleteSelected() {
  Integer index = ItemIndex();
  if (index != -1) items_->Delete(index);
}

void TCustomComboBox::SelectAll() {
  if (editHandle_) SendMessageA(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
}

Integer TCustomComboBox::ItemIndex() { return static_cast<Integer>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }

void TCustomComboBox::SetItemIndex(Integer Value) {
  if (ItemIndex() != Value) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

Integer TCustomComboBox::GetCount() { return items_->Count(); }

void TCustomComboBox::SetItems(TStrings* Value) { items_->Assign(Value); }

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  if (Value == csSimple) controlStyle_.Exclude(csFixedHeight);
  else controlStyle_.Include(csFixedHeight);
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  RecreateWnd();
}

bool TCustomComboBox::DroppedDown() {
  return WindowHandle() && SendMessageA(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

Integer TCustomComboBox::ItemHeight() {
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable || !WindowHandle()) return itemHeight_;
  return static_cast<Integer>(SendMessageA(WindowHandle(), CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(Integer Value) {
  if (Value <= 0 || itemHeight_ == Value) return;
  itemHeight_ = Value;
  RecreateWnd();
}

void TCustomComboBox::SetMaxLength(Integer Value) {
  if (Value < 0) Value = 0;
  if (maxLength_ == Value) return;
  maxLength_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), CB_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  RecreateWnd();
}

Integer TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<Integer>(start);
}

void TCustomComboBox::SetSelStart(Integer Value) {
  if (editHandle_) SendMessageA(editHandle_, EM_SETSEL, Value, Value);
}

Integer TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<Integer>(end - start);
}

void TCustomComboBox::SetSelLength(Integer Value) {
  if (!editHandle_) return;
  DWORD start = 0, end = 0;
  SendMessageA(editHandle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SendMessageA(editHandle_, EM_SETSEL, start, static_cast<LPARAM>(start + Value));
}

std::string TCustomComboBox::SelText() {
  Integer start = SelStart(), len = SelLength();
  std::string text = Text();
  if (start < 0 || static_cast<size_t>(start) >= text.size() || len <= 0) return "";
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(len));
}

void TCustomComboBox::SetSelText(const std::string& Value) {
  if (editHandle_) SendMessageA(editHandle_, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomComboBox::Change() {
  TControl::Changed();
  if (onChange_) onChange_(this);
}

void TCustomComboBox::Select() {
  if (onSelect_) onSelect_(this);
  else Change();
}

void TCustomComboBox::DropDown() {
  if (onDropDown_) onDropDown_(this);
}

void TCustomComboBox::CloseUp() {
  if (onCloseUp_) onCloseUp_(this);
}

void TCustomComboBox::CNCommand(TWMCommand& Message) {
  switch (Message.NotifyCode) {
    case CBN_DBLCLK:
      DblClick();
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN: {
      DropDown();
      // The list shows DropDownCount items at most (one at least).
      Integer count = std::clamp<Integer>(items_->Count(), 1, std::max<Integer>(1, dropDownCount_));
      SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), ItemHeight() * count + Height() + 2,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_HIDEWINDOW);
      SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW);
      break;
    }
    case CBN_SELCHANGE: {
      Integer index = ItemIndex();
      if (index >= 0 && editHandle_) SetText(items_->Strings(index));
      Click();
      Select();
      break;
    }
    case CBN_CLOSEUP:
      CloseUp();
      break;
  }
}

void TCustomComboBox::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  TOwnerDrawState state = OwnerDrawStateOf(dis.itemState);
  if (dis.itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
  canvas_->SetHandle(dis.hDC);
  canvas_->SetFont(Font());
  canvas_->SetBrush(Brush());
  if (static_cast<int>(dis.itemID) >= 0 && state.Contains(odSelected)) {
    canvas_->Brush()->SetColor(clHighlight);
    canvas_->Font()->SetColor(clHighlightText);
  }
  if (static_cast<int>(dis.itemID) >= 0) DrawItem(static_cast<Integer>(dis.itemID), dis.rcItem, state);
  else canvas_->FillRect(dis.rcItem);
  if (state.Contains(odFocused)) DrawFocusRect(dis.hDC, &dis.rcItem);
  canvas_->SetHandle(nullptr);
  Message.Result = 1;
}

void TCustomComboBox::CNMeasureItem(TWMMeasureItem& Message) {
  MEASUREITEMSTRUCT& mis = *Message.MeasureItemStruct;
  mis.itemHeight = static_cast<UINT>(itemHeight_);
  if (style_ == csOwnerDrawVariable && static_cast<int>(mis.itemID) >= 0) {
    Integer h = itemHeight_;
    MeasureItem(static_cast<Integer>(mis.itemID), h);
    mis.itemHeight = static_cast<UINT>(h);
  }
  Message.Result = 1;
}

void TCustomComboBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (onDrawItem_) {
    onDrawItem_(this, Index, Rect, State);
    return;
  }
  canvas_->FillRect(Rect);
  if (Index < items_->Count()) canvas_->TextOut(Rect.left + 2, Rect.top, items_->Strings(Index));
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
  if (onMeasureItem_) onMeasureItem_(this, Index, Height);
}

void TCustomComboBox::WMCtlColor(TWMCtlColor& Message) {
  // The colours of the edit part and the list: the combo box's own.
  SetTextColor(Message.ChildDC, ColorToRGB(Font()->Color()));
  SetBkColor(Message.ChildDC, ColorToRGB(Brush()->Color()));
  Message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

void TCustomComboBox::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) RecreateWnd();
}

void TCustomComboBox::KeyPress(char& Key) {
  TCustomListControl::KeyPress(Key);
  if (Key == 0) return;
  if (autoDropDown_ && !DroppedDown() && Key != VK_ESCAPE && Key != VK_RETURN && Key != VK_TAB)
    SetDroppedDown(true);
}

// =======================================================================================
// Buttons
// =======================================================================================

bool TButtonActionLink::IsCheckedLinked() {
  auto* action = dynamic_cast<TCustomAction*>(Action());
  auto* button = dynamic_cast<TButtonControl*>(client_);
  return TWinControlActionLink::IsCheckedLinked() && action && button && button->Checked() == action->Checked();
}

void TButtonActionLink::SetChecked(bool Value) {
  auto* button = dynamic_cast<TButtonControl*>(client_);
  if (!button || !IsCheckedLinked()) return;
  button->SetClicksDisabled(true);
  {
    ScopeExit atEnd([&] { button->SetClicksDisabled(false); });
    button->SetChecked(Value);
  }
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TButtonControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (wordWrap_) Params.Style |= BS_MULTILINE;
}

void TButtonControl::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  RecreateWnd();
}

bool TButtonControl::IsCheckedStored() {
  auto* link = dynamic_cast<TButtonActionLink*>(ActionLink());
  return !link || !link->IsCheckedLinked();
}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWinControl::ActionChange(Sender, CheckDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || !Checked()) SetChecked(action->Checked());
}

TClass TButtonControl::GetActionLinkClass() { return TButtonActionLink::StaticClass(); }

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  TButtonControl::CreateWnd();
  active_ = default_;
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::SetButtonStyle(bool ADefault) {
  if (!WindowHandle()) return;
  LONG style = GetWindowLongA(WindowHandle(), GWL_STYLE) & 0x0F;
  DWORD wanted = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if (static_cast<DWORD>(style) != wanted) SendMessageA(WindowHandle(), BM_SETSTYLE, wanted, TRUE);
}

void TButton::SetDefault(bool Value) {
  default_ = Value;
  if (!WindowHandle()) return;
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TButton::CNCommand(TWMCommand& Message) {
  if (Message.NotifyCode == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TCMDialogKey& Message) {
  bool mine = (Message.CharCode == VK_RETURN && active_) || (Message.CharCode == VK_ESCAPE && cancel_);
  if (mine && KeyDataToShiftState(Message.KeyData).Empty() && CanFocus()) {
    Click();
    Message.Result = 1;
  } else {
    INHERITED_MESSAGE(Message);
  }
}

void TButton::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    Click();
    Message.Result = 1;
  } else {
    INHERITED_MESSAGE(Message);
  }
}

void TButton::CMFocusChanged(TCMFocusChanged& Message) {
  // The focused button is the default one while it has the focus; otherwise Default says.
  if (auto* button = dynamic_cast<TButton*>(Message.Sender)) active_ = button == this;
  else active_ = default_;
  SetButtonStyle(active_);
  INHERITED_MESSAGE(Message);
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 97;
  height_ = 17;
  SetTabStop(true);
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_3STATE;
  bool textLeft = (alignment_ == taLeftJustify) != UseRightToLeftAlignment();
  if (textLeft) Params.Style |= BS_LEFTTEXT;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(WindowHandle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (state_ == Value) return;
  state_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
  if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::CNCommand(TWMCommand& Message) {
  if (Message.NotifyCode == BN_CLICKED) Toggle();
}

void TCustomCheckBox::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) Toggle();
    Message.Result = 1;
  } else {
    INHERITED_MESSAGE(Message);
  }
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 113;
  height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  bool textLeft = (alignment_ == taLeftJustify) != UseRightToLeftAlignment();
  if (textLeft) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(WindowHandle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::turnSiblingsOff() {
  if (!Parent()) return;
  for (Integer i = 0; i < Parent()->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
    if (!sibling || sibling == this) continue;
    // A sibling linked to an action of a group leaves the unchecking to the action.
    auto* link = dynamic_cast<TButtonActionLink*>(sibling->ActionLink());
    auto* action = link ? dynamic_cast<TCustomAction*>(link->Action()) : nullptr;
    if (action && action->GroupIndex() != 0) continue;
    sibling->SetChecked(false);
  }
}

void TRadioButton::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  SetTabStop(Value);
  if (WindowHandle()) SendMessageA(WindowHandle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (Value) {
    turnSiblingsOff();
    TControl::Changed();
    if (!ClicksDisabled()) Click();
  }
}

void TRadioButton::SetAlignment(TLeftRight Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TRadioButton::CNCommand(TWMCommand& Message) {
  if (Message.NotifyCode == BN_CLICKED) SetChecked(true);
  else if (Message.NotifyCode == BN_DOUBLECLICKED) DblClick();
}

void TRadioButton::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    SetFocus();
    Message.Result = 1;
  } else {
    INHERITED_MESSAGE(Message);
  }
}

// =======================================================================================
// List box
// =======================================================================================

// The items of a list box: the window's strings (or, for a virtual list, what OnData
// gives), with the objects in the items' data.
class TListBoxStrings : public TStrings {
  RTL_DECLARE_CLASS(TListBoxStrings, TStrings)
public:
  explicit TListBoxStrings(TCustomListBox* ListBox) : listBox_(ListBox) {}

  Integer GetCount() const override {
    if (!listBox_->holdsStrings()) return listBox_->count_;
    return static_cast<Integer>(SendMessageA(listBox_->Handle(), LB_GETCOUNT, 0, 0));
  }

  std::string Get(Integer Index) const override {
    if (!listBox_->holdsStrings()) {
      if (Index < 0 || Index >= listBox_->count_) Error(SListIndexError, Index);
      return listBox_->DoGetData(Index);
    }
    HWND h = listBox_->Handle();
    LRESULT len = SendMessageA(h, LB_GETTEXTLEN, Index, 0);
    if (len == LB_ERR) Error(SListIndexError, Index);
    std::string s(static_cast<size_t>(len) + 1, '\0');
    LRESULT got = SendMessageA(h, LB_GETTEXT, Index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
    return s;
  }

  TObject* GetObject(Integer Index) const override {
    if (!listBox_->holdsStrings()) {
      if (Index < 0 || Index >= listBox_->count_) Error(SListIndexError, Index);
      return listBox_->DoGetDataObject(Index);
    }
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    return reinterpret_cast<TObject*>(listBox_->GetItemData(Index));
  }

  void PutObject(Integer Index, TObject* AObject) override {
    if (!listBox_->holdsStrings()) return;
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    listBox_->SetItemData(Index, reinterpret_cast<LPARAM>(AObject));
  }

  void Put(Integer Index, const std::string& S) override {
    if (!listBox_->holdsStrings()) return;
    // The item keeps its data and the list its selection.
    Integer selected = listBox_->ItemIndex();
    LPARAM data = listBox_->InternalGetItemData(Index);
    listBox_->InternalSetItemData(Index, 0);
    Delete(Index);
    Insert(Index, S);
    listBox_->InternalSetItemData(Index, data);
    listBox_->SetItemIndex(selected);
  }

  Integer Add(const std::string& S) override {
    if (!listBox_->holdsStrings()) return -1;
    LRESULT r = SendMessageA(listBox_->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
    return static_cast<Integer>(r);
  }

  void Insert(Integer Index, const std::string& S) override {
    if (!listBox_->holdsStrings()) return;
    if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
    LRESULT r = SendMessageA(listBox_->Handle(), LB_INSERTSTRING, Index, reinterpret_cast<LPARAM>(S.c_str()));
    if (r < 0) throw EOutOfResources(SInsertLineError);
  }

  void Delete(Integer Index) override {
    if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
    listBox_->DeleteString(Index);
  }

  void Exchange(Integer Index1, Integer Index2) override {
    if (Index1 < 0 || Index1 >= GetCount()) Error(SListIndexError, Index1);
    if (Index2 < 0 || Index2 >= GetCount()) Error(SListIndexError, Index2);
    if (Index1 == Index2) return;
    {
      UpdateLock lock(this);
      std::string s1 = Get(Index1), s2 = Get(Index2);
      LPARAM d1 = listBox_->InternalGetItemData(Index1), d2 = listBox_->InternalGetItemData(Index2);
      replaceRaw(Index1, s2, d2);
      replaceRaw(Index2, s1, d1);
    }
  }

  void Move(Integer CurIndex, Integer NewIndex) override {
    if (CurIndex == NewIndex) return;
    if (CurIndex < 0 || CurIndex >= GetCount()) Error(SListIndexError, CurIndex);
    if (NewIndex < 0 || NewIndex >= GetCount()) Error(SListIndexError, NewIndex);
    {
      UpdateLock lock(this);
      std::string s = Get(CurIndex);
      LPARAM data = listBox_->InternalGetItemData(CurIndex);
      // Zero first: the item's data moves with it and is not released by the delete.
      listBox_->InternalSetItemData(CurIndex, 0);
      listBox_->DeleteString(CurIndex);
      SendMessageA(listBox_->Handle(), LB_INSERTSTRING, NewIndex, reinterpret_cast<LPARAM>(s.c_str()));
      listBox_->InternalSetItemData(NewIndex, data);
    }
  }

  void Clear() override { listBox_->ResetContent(); }

  Integer IndexOf(const std::string& S) const override {
    if (!listBox_->holdsStrings()) return listBox_->DoFindData(S);
    return static_cast<Integer>(SendMessageA(listBox_->Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(S.c_str())));
  }

protected:
  void SetUpdateState(bool Updating) override {
    if (!listBox_->HandleAllocated()) return;
    SendMessageA(listBox_->WindowHandle(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating) listBox_->Refresh();
  }

private:
  // Replaces item Index's text and data without the selection dance of Put.
  void replaceRaw(Integer Index, const std::string& S, LPARAM Data) {
    HWND h = listBox_->Handle();
    bool selected = SendMessageA(h, LB_GETSEL, Index, 0) > 0;
    listBox_->InternalSetItemData(Index, 0);
    listBox_->DeleteString(Index);
    SendMessageA(h, LB_INSERTSTRING, Index, reinterpret_cast<LPARAM>(S.c_str()));
    listBox_->InternalSetItemData(Index, Data);
    if (selected && listBox_->MultiSelect()) SendMessageA(h, LB_SETSEL, TRUE, Index);
  }

  TCustomListBox* listBox_;
};

RTL_IMPLEMENT_CLASS(TListBoxStrings)

TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomMultiSelectListControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
  width_ = 121;
  height_ = 97;
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  items_ = new TListBoxStrings(this);
  canvas_ = MakeControlCanvas(this);
}

TCustomListBox::~TCustomListBox() {
  delete items_;
  delete saveItems_;
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TCustomMultiSelectListControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  DWORD style = WS_HSCROLL | WS_VSCROLL | LBS_NOTIFY;
  switch (style_) {
    case lbStandard: style |= LBS_HASSTRINGS; break;
    case lbOwnerDrawFixed: style |= LBS_HASSTRINGS | LBS_OWNERDRAWFIXED; break;
    case lbOwnerDrawVariable: style |= LBS_HASSTRINGS | LBS_OWNERDRAWVARIABLE; break;
    case lbVirtual:
    case lbVirtualOwnerDraw: style |= LBS_NODATA | LBS_OWNERDRAWFIXED; break;
  }
  if (sorted_) style |= LBS_SORT;
  if (multiSelect_) style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!integralHeight_) style |= LBS_NOINTEGRALHEIGHT;
  if (tabWidth_ != 0) style |= LBS_USETABSTOPS;
  if (columns_ > 0) style |= LBS_MULTICOLUMN;
  Params.Style |= style;
  applyBorderStyle(Params, borderStyle_, Ctl3D());
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListBox::CreateWnd() {
  TCustomMultiSelectListControl::CreateWnd();
  HWND h = WindowHandle();
  if (tabWidth_ != 0) SendMessageA(h, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabWidth_));
  setColumnWidth();
  if (scrollWidth_ > 0) SendMessageA(h, LB_SETHORIZONTALEXTENT, scrollWidth_, 0);
  if (!holdsStrings()) SendMessageA(h, LB_SETCOUNT, count_, 0);
  if (saveItems_) {
    items_->Assign(saveItems_);
    delete saveItems_;
    saveItems_ = nullptr;
    SetTopIndex(saveTopIndex_);
    if (saveItemIndex_ >= 0 && saveItemIndex_ < items_->Count()) SetItemIndex(saveItemIndex_);
  }
}

void TCustomListBox::DestroyWnd() {
  if (WindowHandle() && holdsStrings() && SendMessageA(WindowHandle(), LB_GETCOUNT, 0, 0) > 0) {
    delete saveItems_;
    saveItems_ = new TStringList();
    saveItems_->Assign(items_);
    saveTopIndex_ = TopIndex();
    saveItemIndex_ = ItemIndex();
  }
  TCustomMultiSelectListControl::DestroyWnd();
}

void TCustomListBox::checkIndex(Integer Index) {
  if (Index < 0 || Index >= items_->Count()) throw EListError(Format(SListIndexError, Index));
}

LPARAM TCustomListBox::GetItemData(Integer Index) { return InternalGetItemData(Index); }

void TCustomListBox::SetItemData(Integer Index, LPARAM AData) { InternalSetItemData(Index, AData); }

LPARAM TCustomListBox::InternalGetItemData(Integer Index) {
  return static_cast<LPARAM>(SendMessageA(Handle(), LB_GETITEMDATA, Index, 0));
}

void TCustomListBox::InternalSetItemData(Integer Index, LPARAM AData) {
  SendMessageA(Handle(), LB_SETITEMDATA, Index, AData);
}

void TCustomListBox::ResetContent() {
  if (!holdsStrings()) {
    SetCount(0);
    return;
  }
  SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

void TCustomListBox::DeleteString(Integer Index) { SendMessageA(Handle(), LB_DELETESTRING, Index, 0); }

void TCustomListBox::AddItem(const std::string& Item, TObject* AObject) { items_->AddObject(Item, AObject); }

void TCustomListBox::Clear() { items_->Clear(); }

void TCustomListBox::ClearSelection() {
  if (multiSelect_) {
    for (Integer i = 0; i < items_->Count(); ++i) SetSelected(i, false);
  } else {
    SetItemIndex(-1);
  }
}

void TCustomListBox::CopySelection(TCustomListControl* Destination) {
  if (!Destination) return;
  if (multiSelect_) {
    for (Integer i = 0; i < items_->Count(); ++i)
      if (Selected(i)) Destination->AddItem(items_->Strings(i), items_->Objects(i));
  } else if (Integer index = ItemIndex(); index != -1) {
    Destination->AddItem(items_->Strings(index), items_->Objects(index));
  }
}

void TCustomListBox::DeleteSelected() {
  if (multiSelect_) {
    for (Integer i = items_->Count() - 1; i >= 0; --i)
      if (Selected(i)) items_->Delete(i);
  } else if (Integer index = ItemIndex(); index != -1) {
    items_->Delete(index);
  }
}

void TCustomListBox::SelectAll() {
  if (multiSelect_) SendMessageA(Handle(), LB_SETSEL, TRUE, static_cast<LPARAM>(-1));
}

Integer TCustomListBox::ItemIndex() {
  return static_cast<Integer>(SendMessageA(Handle(), multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(Integer Value) {
  if (ItemIndex() == Value) return;
  if (multiSelect_) SendMessageA(Handle(), LB_SETCARETINDEX, Value, FALSE);
  else SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

Integer TCustomListBox::GetCount() { return items_->Count(); }

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multiSelect_ == Value) return;
  multiSelect_ = Value;
  RecreateWnd();
}

Integer TCustomListBox::SelCount() {
  if (!multiSelect_) return ItemIndex() != -1 ? 1 : 0;
  return static_cast<Integer>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0));
}

bool TCustomListBox::Selected(Integer Index) {
  LRESULT r = SendMessageA(Handle(), LB_GETSEL, Index, 0);
  if (r == LB_ERR) throw EListError(Format(SListIndexError, Index));
  return r != 0;
}

void TCustomListBox::SetSelected(Integer Index, bool Value) {
  checkIndex(Index);
  if (multiSelect_) {
    if (SendMessageA(Handle(), LB_SETSEL, Value ? TRUE : FALSE, Index) == LB_ERR)
      throw EListError(Format(SListIndexError, Index));
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

Integer TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  TRect client = ClientRect();
  if (PtInRect(client, Pos)) {
    Integer count = items_->Count();
    for (Integer i = TopIndex(); i < count; ++i) {
      TRect r{};
      SendMessageA(Handle(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
      if (PtInRect(r, Pos)) return i;
    }
    if (!Existing) return count;
  }
  return -1;
}

TRect TCustomListBox::ItemRect(Integer Index) {
  TRect r{0, 0, 0, 0};
  Integer count = items_->Count();
  if (Index == 0 || (Index > 0 && Index < count)) {
    SendMessageA(Handle(), LB_GETITEMRECT, Index, reinterpret_cast<LPARAM>(&r));
  } else if (Index == count) {
    SendMessageA(Handle(), LB_GETITEMRECT, Index - 1, reinterpret_cast<LPARAM>(&r));
    OffsetRect(r, 0, r.bottom - r.top);
  }
  return r;
}

void TCustomListBox::SetItems(TStrings* Value) {
  if (!holdsStrings() && Value) {
    SetCount(Value->Count());
    return;
  }
  items_->Assign(Value);
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extendedSelect_ == Value) return;
  extendedSelect_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integralHeight_ == Value) return;
  integralHeight_ = Value;
  RecreateWnd();
}

Integer TCustomListBox::ItemHeight() {
  if (style_ == lbStandard && WindowHandle())
    return static_cast<Integer>(SendMessageA(WindowHandle(), LB_GETITEMHEIGHT, 0, 0));
  return itemHeight_;
}

void TCustomListBox::SetItemHeight(Integer Value) {
  if (Value <= 0 || itemHeight_ == Value) return;
  itemHeight_ = Value;
  RecreateWnd();
}

Integer TCustomListBox::TopIndex() { return static_cast<Integer>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0)); }

void TCustomListBox::SetTopIndex(Integer Value) {
  if (TopIndex() != Value) SendMessageA(Handle(), LB_SETTOPINDEX, Value, 0);
}

void TCustomListBox::SetColumns(Integer Value) {
  if (columns_ == Value) return;
  bool wasMulti = columns_ > 0;
  columns_ = Value;
  if (wasMulti != (Value > 0)) RecreateWnd();
  else setColumnWidth();
}

void TCustomListBox::setColumnWidth() {
  if (columns_ <= 0 || !WindowHandle()) return;
  Integer width = (Width() + columns_ - 3) / columns_;
  if (width < 1) width = 1;
  SendMessageA(WindowHandle(), LB_SETCOLUMNWIDTH, width, 0);
}

void TCustomListBox::SetTabWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (tabWidth_ == Value) return;
  tabWidth_ = Value;
  RecreateWnd();
}

Integer TCustomListBox::ScrollWidth() {
  if (WindowHandle()) return static_cast<Integer>(SendMessageA(WindowHandle(), LB_GETHORIZONTALEXTENT, 0, 0));
  return scrollWidth_;
}

void TCustomListBox::SetScrollWidth(Integer Value) {
  scrollWidth_ = Value;
  if (WindowHandle()) SendMessageA(WindowHandle(), LB_SETHORIZONTALEXTENT, Value, 0);
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

Integer TCustomListBox::Count() { return holdsStrings() ? items_->Count() : count_; }

void TCustomListBox::SetCount(Integer Value) {
  if (holdsStrings()) return;
  count_ = std::max(0, Value);
  if (WindowHandle()) SendMessageA(WindowHandle(), LB_SETCOUNT, count_, 0);
}

std::string TCustomListBox::DoGetData(Integer Index) {
  std::string data;
  if (onData_) onData_(this, Index, data);
  return data;
}

TObject* TCustomListBox::DoGetDataObject(Integer Index) {
  TObject* object = nullptr;
  if (onDataObject_) onDataObject_(this, Index, object);
  return object;
}

Integer TCustomListBox::DoFindData(const std::string& Data) {
  if (onDataFind_) return onDataFind_(this, Data);
  return -1;
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (onDrawItem_) {
    onDrawItem_(this, Index, Rect, State);
    return;
  }
  canvas_->FillRect(Rect);
  if (Index < Count()) {
    Integer flags = DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    TRect text = Rect;
    text.left += 2;
    if (UseRightToLeftAlignment()) {
      text.left = Rect.left;
      text.right -= 2;
    }
    std::string s = items_->Strings(Index);
    canvas_->Brush()->SetStyle(bsClear);
    canvas_->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
    DrawTextA(canvas_->Handle(), s.c_str(), static_cast<int>(s.size()), &text, flags);
  }
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) {
  if (onMeasureItem_) onMeasureItem_(this, Index, Height);
}

void TCustomListBox::CNCommand(TWMCommand& Message) {
  switch (Message.NotifyCode) {
    case LBN_SELCHANGE:
      TControl::Changed();
      Click();
      break;
    case LBN_DBLCLK:
      DblClick();
      break;
  }
}

void TCustomListBox::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  TOwnerDrawState state = OwnerDrawStateOf(dis.itemState);
  canvas_->SetHandle(dis.hDC);
  canvas_->SetFont(Font());
  canvas_->SetBrush(Brush());
  if (static_cast<int>(dis.itemID) >= 0 && state.Contains(odSelected)) {
    canvas_->Brush()->SetColor(clHighlight);
    canvas_->Font()->SetColor(clHighlightText);
  }
  if (static_cast<int>(dis.itemID) >= 0) DrawItem(static_cast<Integer>(dis.itemID), dis.rcItem, state);
  else canvas_->FillRect(dis.rcItem);
  if (state.Contains(odFocused)) DrawFocusRect(dis.hDC, &dis.rcItem);
  canvas_->SetHandle(nullptr);
  Message.Result = 1;
}

void TCustomListBox::CNMeasureItem(TWMMeasureItem& Message) {
  MEASUREITEMSTRUCT& mis = *Message.MeasureItemStruct;
  mis.itemHeight = static_cast<UINT>(itemHeight_);
  if (style_ == lbOwnerDrawVariable) {
    Integer h = itemHeight_;
    MeasureItem(static_cast<Integer>(mis.itemID), h);
    mis.itemHeight = static_cast<UINT>(h);
  }
  Message.Result = 1;
}

void TCustomListBox::WMSize(TWMSize& Message) {
  INHERITED_MESSAGE(Message);
  setColumnWidth();
}

void TCustomListBox::KeyPress(char& Key) {
  TCustomMultiSelectListControl::KeyPress(Key);
  if (!autoComplete_ || Key == 0 || !holdsStrings()) return;
  // Typing selects the first item that starts with what was typed in the last half second.
  DWORD now = GetTickCount();
  if (now - lastKeyTime_ >= 500) filter_.clear();
  lastKeyTime_ = now;
  if (Key == VK_BACK) {
    if (!filter_.empty()) filter_.pop_back();
  } else if (static_cast<unsigned char>(Key) >= ' ') {
    filter_ += Key;
  } else {
    return;
  }
  if (filter_.empty()) return;
  auto index = static_cast<Integer>(SendMessageA(Handle(), LB_FINDSTRING, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(filter_.c_str())));
  if (index != LB_ERR) {
    if (multiSelect_) {
      ClearSelection();
      SetSelected(index, true);
    }
    SetItemIndex(index);
    Click();
  }
  Key = '\0';
}

// =======================================================================================
// Scroll bar
// =======================================================================================

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csFramed, csDoubleClicks, csOpaque};
  width_ = 121;
  height_ = GetSystemMetrics(SM_CYHSCROLL);
  SetTabStop(true);
}

void TScrollBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "SCROLLBAR");
  Params.Style |= kind_ == sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::CreateWnd() {
  TWinControl::CreateWnd();
  applyToWindow();
}

void TScrollBar::applyToWindow() {
  if (!WindowHandle()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = min_;
  si.nMax = max_;
  si.nPage = static_cast<UINT>(pageSize_);
  si.nPos = position_;
  SetScrollInfo(WindowHandle(), SB_CTL, &si, TRUE);
  EnableScrollBar(WindowHandle(), SB_CTL, Enabled() ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void TScrollBar::SetKind(TScrollBarKind Value) {
  if (kind_ == Value) return;
  kind_ = Value;
  if (!ComponentState().Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TScrollBar::SetParams(Integer APosition, Integer AMin, Integer AMax) {
  if (AMax < AMin || AMax < APosition) throw EInvalidOperation(SScrollBarRange);
  if (APosition < AMin) APosition = AMin;
  bool rangeChanged = min_ != AMin || max_ != AMax;
  min_ = AMin;
  max_ = AMax;
  bool moved = position_ != APosition;
  position_ = APosition;
  if (rangeChanged || moved) applyToWindow();
  if (moved) Change();
}

void TScrollBar::SetPageSize(Integer Value) {
  if (pageSize_ == Value) return;
  if (Value < 0 || Value > max_ - min_ + 1) throw EInvalidOperation(SScrollBarRange);
  pageSize_ = Value;
  applyToWindow();
}

void TScrollBar::Change() {
  TControl::Changed();
  if (onChange_) onChange_(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, Integer& ScrollPos) {
  if (onScroll_) onScroll_(this, ScrollCode, ScrollPos);
}

void TScrollBar::doScroll(TWMScroll& Message) {
  Integer pos = position_;
  auto code = static_cast<TScrollCode>(Message.ScrollCode);
  switch (code) {
    case scLineUp: pos -= smallChange_; break;
    case scLineDown: pos += smallChange_; break;
    case scPageUp: pos -= largeChange_; break;
    case scPageDown: pos += largeChange_; break;
    case scPosition:
    case scTrack: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_ALL;
      GetScrollInfo(WindowHandle(), SB_CTL, &si);
      pos = si.nTrackPos;
      break;
    }
    case scTop: pos = min_; break;
    case scBottom: pos = max_; break;
    case scEndScroll: break;
  }
  Integer highest = pageSize_ > 0 ? max_ - pageSize_ + 1 : max_;
  pos = std::clamp(pos, min_, std::max(min_, highest));
  Scroll(code, pos);
  SetPosition(std::clamp(pos, min_, max_));
}

void TScrollBar::CNHScroll(TWMScroll& Message) { doScroll(Message); }

void TScrollBar::CNVScroll(TWMScroll& Message) { doScroll(Message); }

// =======================================================================================
// Static text
// =======================================================================================

TCustomStaticText::TCustomStaticText(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csReplicatable, csDoubleClicks};
  width_ = 65;
  height_ = 17;
  TControl::SetAutoSize(true);
}

void TCustomStaticText::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "STATIC");
  Params.Style |= SS_NOTIFY;
  switch (alignment_) {
    case taRightJustify: Params.Style |= SS_RIGHT; break;
    case taCenter: Params.Style |= SS_CENTER; break;
    default: Params.Style |= SS_LEFT; break;
  }
  if (borderStyle_ == sbsSingle) Params.Style |= WS_BORDER;
  if (borderStyle_ == sbsSunken) Params.Style |= SS_SUNKEN;
  if (!showAccelChar_) Params.Style |= SS_NOPREFIX;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomStaticText::AdjustBounds() {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) || !AutoSize()) return;
  std::string text = Caption();
  if (text.empty()) text = " ";
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TRect r = Rect(0, 0, 0, 0);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_EXPANDTABS | (showAccelChar_ ? 0 : DT_NOPREFIX));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  Integer frame = borderStyle_ == sbsNone ? 0 : borderStyle_ == sbsSingle ? 2 : 4;
  SetBounds(Left(), Top(), r.right + frame, r.bottom + frame);
}

void TCustomStaticText::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TCustomStaticText::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  TControl::SetAutoSize(Value);
  AdjustBounds();
}

void TCustomStaticText::SetBorderStyle(TStaticBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
  AdjustBounds();
}

void TCustomStaticText::SetFocusControl(TWinControl* Value) {
  if (focusControl_ == Value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomStaticText::SetShowAccelChar(bool Value) {
  if (showAccelChar_ == Value) return;
  showAccelChar_ = Value;
  RecreateWnd();
  AdjustBounds();
}

void TCustomStaticText::Loaded() {
  TWinControl::Loaded();
  AdjustBounds();
}

void TCustomStaticText::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomStaticText::CMDialogChar(TCMDialogChar& Message) {
  if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(Message.CharCode, Caption()) &&
      focusControl_->CanFocus()) {
    focusControl_->SetFocus();
    Message.Result = 1;
  } else {
    INHERITED_MESSAGE(Message);
  }
}

void TCustomStaticText::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  AdjustBounds();
}

void TCustomStaticText::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  AdjustBounds();
  Invalidate();
}

// =======================================================================================
// Class descriptors: published properties and message maps
// =======================================================================================

RTL_BEGIN_CLASS(TCustomGroupBox)
  b.Message(CM_DIALOGCHAR, &TCustomGroupBox::CMDialogChar);
  b.Message(CM_TEXTCHANGED, &TCustomGroupBox::CMTextChanged);
  b.Message(CM_CTL3DCHANGED, &TCustomGroupBox::CMCtl3DChanged);
  b.Message(WM_SIZE, &TCustomGroupBox::WMSize);
RTL_END_CLASS

RTL_BEGIN_CLASS(TGroupBox)
  using T = TGroupBox;
  publishPlacement(b);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(ParentBackground).Default(true);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  publishWindowFlags(b, false);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomLabel)
  b.Message(CM_TEXTCHANGED, &TCustomLabel::CMTextChanged);
  b.Message(CM_FONTCHANGED, &TCustomLabel::CMFontChanged);
  b.Message(CM_DIALOGCHAR, &TCustomLabel::CMDialogChar);
RTL_END_CLASS

RTL_BEGIN_CLASS(TLabel)
  using T = TLabel;
  publishPlacement(b);
  PUBLISH(Alignment).Default(taLeftJustify);
  PUBLISH(AutoSize).Default(true);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(FocusControl);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  PUBLISH(ShowAccelChar).Default(true);
  PUBLISH(Transparent).Default(false);
  PUBLISH(Layout).Default(tlTop);
  PUBLISH(WordWrap).Default(false);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishMouseEvents(b);
  PUBLISH(OnMouseEnter);
  PUBLISH(OnMouseLeave);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomEdit)
  b.Message(CN_COMMAND, &TCustomEdit::CNCommand);
  b.Message(CM_ENTER, &TCustomEdit::CMEnter);
  b.Message(CM_FONTCHANGED, &TCustomEdit::CMFontChanged);
  b.Message(CM_CTL3DCHANGED, &TCustomEdit::CMCtl3DChanged);
  b.Message(CM_TEXTCHANGED, &TCustomEdit::CMTextChanged);
  b.Message(WM_SETFONT, &TCustomEdit::WMSetFont);
  b.Message(WM_CONTEXTMENU, &TCustomEdit::WMContextMenu);
RTL_END_CLASS

RTL_BEGIN_CLASS(TEdit)
  using T = TEdit;
  publishPlacement(b);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(AutoSize).Default(true);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(CharCase).Default(ecNormal);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(MaxLength).Default(0);
  PUBLISH(OEMConvert).Default(false);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(PasswordChar).Default(0);
  PUBLISH(ReadOnly).Default(false);
  publishWindowFlags(b, true);
  PUBLISH(Text);
  publishEditEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomMemo)
  b.Message(WM_GETDLGCODE, &TCustomMemo::WMGetDlgCode);
RTL_END_CLASS

RTL_BEGIN_CLASS(TMemo)
  using T = TMemo;
  publishPlacement(b);
  PUBLISH(Alignment).Default(taLeftJustify);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(Lines);
  PUBLISH(MaxLength).Default(0);
  PUBLISH(OEMConvert).Default(false);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(ReadOnly).Default(false);
  PUBLISH(ScrollBars).Default(ssNone);
  publishWindowFlags(b, true);
  PUBLISH(WantReturns).Default(true);
  PUBLISH(WantTabs).Default(false);
  PUBLISH(WordWrap).Default(true);
  publishEditEvents(b);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TCustomListControl)
RTL_IMPLEMENT_CLASS(TCustomMultiSelectListControl)

RTL_BEGIN_CLASS(TCustomComboBox)
  b.Message(CN_COMMAND, &TCustomComboBox::CNCommand);
  b.Message(CN_DRAWITEM, &TCustomComboBox::CNDrawItem);
  b.Message(CN_MEASUREITEM, &TCustomComboBox::CNMeasureItem);
  b.Message(WM_CTLCOLOREDIT, &TCustomComboBox::WMCtlColor);
  b.Message(WM_CTLCOLORLISTBOX, &TCustomComboBox::WMCtlColor);
  b.Message(CM_FONTCHANGED, &TCustomComboBox::CMFontChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TComboBox)
  using T = TComboBox;
  PUBLISH(AutoComplete).Default(true);
  PUBLISH(AutoDropDown).Default(false);
  PUBLISH(Style).Default(csDropDown);
  publishPlacement(b);
  publishBevels(b);
  PUBLISH(CharCase).Default(ecNormal);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(DropDownCount).Default(8);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(ItemHeight).Default(16);
  PUBLISH(MaxLength).Default(0);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(Sorted).Default(false);
  publishWindowFlags(b, true);
  // Items come before ItemIndex and Text, which refer to them when read.
  PUBLISH(Items);
  PUBLISH(ItemIndex).Default(-1);
  PUBLISH(Text);
  PUBLISH(OnChange);
  PUBLISH(OnClick);
  PUBLISH(OnCloseUp);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  PUBLISH(OnDrawItem);
  PUBLISH(OnDropDown);
  PUBLISH(OnMeasureItem);
  PUBLISH(OnSelect);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TButtonActionLink)
RTL_IMPLEMENT_CLASS(TButtonControl)

RTL_BEGIN_CLASS(TButton)
  b.Message(CN_COMMAND, &TButton::CNCommand);
  b.Message(CM_DIALOGKEY, &TButton::CMDialogKey);
  b.Message(CM_DIALOGCHAR, &TButton::CMDialogChar);
  b.Message(CM_FOCUSCHANGED, &TButton::CMFocusChanged);
  using T = TButton;
  PUBLISH(Action);
  publishPlacement(b);
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Cancel).Default(false);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(Constraints);
  PUBLISH(Default).Default(false);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(ModalResult).Default(0);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(true);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(WordWrap).Default(false);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomCheckBox)
  b.Message(CN_COMMAND, &TCustomCheckBox::CNCommand);
  b.Message(CM_DIALOGCHAR, &TCustomCheckBox::CMDialogChar);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCheckBox)
  using T = TCheckBox;
  PUBLISH(Action);
  PUBLISH(Alignment).Default(taRightJustify);
  PUBLISH(AllowGrayed).Default(false);
  publishPlacement(b);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(Checked).Stored(false);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  PUBLISH(State).Default(cbUnchecked);
  publishWindowFlags(b, true);
  PUBLISH(WordWrap).Default(false);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TRadioButton)
  b.Message(CN_COMMAND, &TRadioButton::CNCommand);
  b.Message(CM_DIALOGCHAR, &TRadioButton::CMDialogChar);
  using T = TRadioButton;
  PUBLISH(Action);
  PUBLISH(Alignment).Default(taRightJustify);
  publishPlacement(b);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(Checked).Default(false).Stored(&T::IsCheckedStored);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  publishWindowFlags(b, false);
  PUBLISH(WordWrap).Default(false);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomListBox)
  b.Message(CN_COMMAND, &TCustomListBox::CNCommand);
  b.Message(CN_DRAWITEM, &TCustomListBox::CNDrawItem);
  b.Message(CN_MEASUREITEM, &TCustomListBox::CNMeasureItem);
  b.Message(WM_SIZE, &TCustomListBox::WMSize);
RTL_END_CLASS

RTL_BEGIN_CLASS(TListBox)
  using T = TListBox;
  PUBLISH(Style).Default(lbStandard);
  PUBLISH(AutoComplete).Default(true);
  publishPlacement(b);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(Columns).Default(0);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(ExtendedSelect).Default(true);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(IntegralHeight).Default(false);
  PUBLISH(ItemHeight).Default(16);
  PUBLISH(Items);
  PUBLISH(MultiSelect).Default(false);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(ScrollWidth).Default(0);
  PUBLISH(Sorted).Default(false);
  publishWindowFlags(b, true);
  PUBLISH(TabWidth).Default(0);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnData);
  PUBLISH(OnDataFind);
  PUBLISH(OnDataObject);
  PUBLISH(OnDblClick);
  PUBLISH(OnDrawItem);
  PUBLISH(OnMeasureItem);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TScrollBar)
  b.Message(CN_HSCROLL, &TScrollBar::CNHScroll);
  b.Message(CN_VSCROLL, &TScrollBar::CNVScroll);
  using T = TScrollBar;
  publishPlacement(b);
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Kind).Default(sbHorizontal);
  PUBLISH(LargeChange).Default(1);
  PUBLISH(Max).Default(100);
  PUBLISH(Min).Default(0);
  PUBLISH(PageSize).Default(0);
  PUBLISH(ParentBiDiMode).Default(true);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(PopupMenu);
  PUBLISH(Position).Default(0);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(SmallChange).Default(1);
  publishWindowFlags(b, true);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnChange);
  PUBLISH(OnContextPopup);
  PUBLISH(OnScroll);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishKeyEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomStaticText)
  b.Message(CM_DIALOGCHAR, &TCustomStaticText::CMDialogChar);
  b.Message(CM_FONTCHANGED, &TCustomStaticText::CMFontChanged);
  b.Message(CM_TEXTCHANGED, &TCustomStaticText::CMTextChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TStaticText)
  using T = TStaticText;
  publishPlacement(b);
  PUBLISH(Alignment).Default(taLeftJustify);
  PUBLISH(AutoSize).Default(true);
  PUBLISH(BorderStyle).Default(sbsNone);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(FocusControl);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  PUBLISH(ShowAccelChar).Default(true);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(TabStop).Default(false);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

namespace StdCtrlsUnit {

namespace {
std::vector<TClass> unitClasses() {
  return {TGroupBox::StaticClass(),  TLabel::StaticClass(),       TEdit::StaticClass(),    TMemo::StaticClass(),
          TComboBox::StaticClass(),  TButton::StaticClass(),      TCheckBox::StaticClass(), TRadioButton::StaticClass(),
          TListBox::StaticClass(),   TScrollBar::StaticClass(),   TStaticText::StaticClass()};
}
}  // namespace

void Initialize() {
  RegisterClasses(unitClasses());
}

void Finalize() {
  UnRegisterClasses(unitClasses());
}

}  // namespace StdCtrlsUnit
