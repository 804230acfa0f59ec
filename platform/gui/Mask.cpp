// Mask: edit masks and the masked edit.
#include "platform/gui/Mask.h"

#include <algorithm>
#include <cctype>

#include "platform/gui/Clipbrd.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/SysUtils.h"

namespace mask_detail {

Layout parse(const std::string& EditMask) {
  Layout layout;
  // The fields: mask ; save literals ; blank (a ';' after '\' belongs to the mask).
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < EditMask.size(); ++i) {
    char c = EditMask[i];
    if (c == mDirLiteral && i + 1 < EditMask.size() && fields.size() == 1) {
      fields.back() += c;
      fields.back() += EditMask[++i];
    } else if (c == mMskFieldSeparator && fields.size() < 3) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (fields.size() > 1 && !fields[1].empty()) layout.SaveLiterals = fields[1][0] != '0';
  if (fields.size() > 2 && !fields[2].empty()) layout.Blank = fields[2][0];
  const std::string& mask = fields[0];
  int caseMode = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    Position p;
    switch (c) {
      case mDirReverse:
        layout.Reverse = true;
        continue;
      case mDirUpperCase:
        caseMode = 1;
        continue;
      case mDirLowerCase:
        // "<>" ends any case conversion; "<" alone converts to lower case.
        if (i + 1 < mask.size() && mask[i + 1] == mDirUpperCase) {
          caseMode = 0;
          ++i;
        } else {
          caseMode = -1;
        }
        continue;
      case mDirLiteral:
        if (i + 1 < mask.size()) p.Literal = mask[++i];
        else continue;
        break;
      case mMskAlpha:
      case mMskAlphaNum:
      case mMskAscii:
      case mMskNumeric:
        p.Mask = c;
        p.Required = true;
        p.Case = caseMode;
        break;
      case mMskAlphaOpt:
      case mMskAlphaNumOpt:
      case mMskAsciiOpt:
      case mMskNumericOpt:
      case mMskNumSymOpt:
        p.Mask = c;
        p.Case = caseMode;
        break;
      case mMskTimeSeparator:
        p.Literal = TimeSeparator;
        break;
      case mMskDateSeparator:
        p.Literal = DateSeparator;
        break;
      default:
        p.Literal = c;
        break;
    }
    layout.Positions.push_back(p);
  }
  return layout;
}

std::string editTextOf(const Layout& L, const std::string& Value, char Blank) {
  const auto& positions = L.Positions;
  std::string text(positions.size(), Blank);
  for (size_t i = 0; i < positions.size(); ++i)
    if (!positions[i].Mask) text[i] = positions[i].Literal;
  auto put = [&](size_t pos, char c) {
    if (c == ' ') c = Blank;
    text[pos] = c;
  };
  if (L.SaveLiterals) {
    // Value has the literals in their places: position by position.
    size_t n = std::min(Value.size(), positions.size());
    size_t offset = L.Reverse && Value.size() < positions.size() ? positions.size() - Value.size() : 0;
    for (size_t i = 0; i < n; ++i) {
      size_t pos = i + offset;
      if (positions[pos].Mask) put(pos, Value[i]);
    }
    return text;
  }
  // Value holds the edit positions' characters only.
  std::vector<size_t> editable;
  for (size_t i = 0; i < positions.size(); ++i)
    if (positions[i].Mask) editable.push_back(i);
  size_t n = std::min(Value.size(), editable.size());
  size_t offset = L.Reverse ? editable.size() - n : 0;
  for (size_t i = 0; i < n; ++i) put(editable[i + offset], Value[L.Reverse ? Value.size() - n + i : i]);
  return text;
}

}  // namespace mask_detail

std::string FormatMaskText(const std::string& EditMask, const std::string& Value) {
  mask_detail::Layout layout = mask_detail::parse(EditMask);
  if (layout.Positions.empty()) return Value;
  return mask_detail::editTextOf(layout, Value, ' ');
}

char MaskGetMaskBlank(const std::string& EditMask) { return mask_detail::parse(EditMask).Blank; }

bool MaskGetMaskSave(const std::string& EditMask) { return mask_detail::parse(EditMask).SaveLiterals; }

// =======================================================================================
// TCustomMaskEdit
// =======================================================================================

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const TEditMask& Value) {
  if (Value == editMask_) return;
  std::string text = Text();
  editMask_ = Value;
  mask_detail::Layout layout = mask_detail::parse(Value);
  positions_ = layout.Positions;
  blank_ = layout.Blank;
  saveLiterals_ = layout.SaveLiterals;
  reverse_ = layout.Reverse;
  if (IsMasked()) {
    SetMaxLength(static_cast<Integer>(positions_.size()));
    SetText(text);
  } else {
    SetMaxLength(0);
    TCustomEdit::SetText(text);
  }
}

std::string TCustomMaskEdit::emptyText() const {
  mask_detail::Layout layout;
  layout.Positions = positions_;
  layout.SaveLiterals = saveLiterals_;
  layout.Reverse = reverse_;
  return mask_detail::editTextOf(layout, "", blank_);
}

std::string TCustomMaskEdit::EditText() { return TControl::Text(); }

void TCustomMaskEdit::SetEditText(const std::string& Value) { TControl::SetText(Value); }

std::string TCustomMaskEdit::Text() {
  std::string edit = TControl::Text();
  if (!IsMasked()) return edit;
  std::string result;
  for (size_t i = 0; i < positions_.size() && i < edit.size(); ++i) {
    if (!positions_[i].Mask) {
      if (saveLiterals_) result += edit[i];
      continue;
    }
    result += edit[i] == blank_ ? ' ' : edit[i];
  }
  if (!saveLiterals_) {
    // Empty positions are not characters of the value.
    if (reverse_) result.erase(0, result.find_first_not_of(' ') == std::string::npos ? result.size() : result.find_first_not_of(' '));
    else result.erase(result.find_last_not_of(' ') + 1);
  }
  return result;
}

void TCustomMaskEdit::SetText(const std::string& Value) {
  if (!IsMasked()) {
    TCustomEdit::SetText(Value);
    return;
  }
  mask_detail::Layout layout;
  layout.Positions = positions_;
  layout.SaveLiterals = saveLiterals_;
  layout.Reverse = reverse_;
  TControl::SetText(mask_detail::editTextOf(layout, Value, blank_));
}

void TCustomMaskEdit::Clear() { SetText(""); }

void TCustomMaskEdit::Reset() {
  if (!IsMasked() || !Modified()) return;
  SetEditText(oldValue_);
  SetModified(false);
}

bool TCustomMaskEdit::accepts(const Position& P, char C) const {
  auto u = static_cast<unsigned char>(C);
  bool alpha = IsCharAlphaA(C) != FALSE;
  bool digit = std::isdigit(u) != 0;
  switch (P.Mask) {
    case mMskAlpha:
    case mMskAlphaOpt: return alpha;
    case mMskAlphaNum:
    case mMskAlphaNumOpt: return alpha || digit;
    case mMskAscii:
    case mMskAsciiOpt: return u >= ' ';
    case mMskNumeric:
    case mMskNumericOpt: return digit;
    case mMskNumSymOpt: return digit || C == '+' || C == '-' || C == ' ';
    default: return false;
  }
}

char TCustomMaskEdit::applyCase(const Position& P, char C) const {
  std::string s(1, C);
  if (P.Case > 0) s = AnsiUpperCase(s);
  else if (P.Case < 0) s = AnsiLowerCase(s);
  return s[0];
}

Integer TCustomMaskEdit::nextEditPosition(Integer From) const {
  for (Integer i = std::max(0, From); i < static_cast<Integer>(positions_.size()); ++i)
    if (positions_[static_cast<size_t>(i)].Mask) return i;
  return -1;
}

Integer TCustomMaskEdit::previousEditPosition(Integer From) const {
  for (Integer i = std::min(From, static_cast<Integer>(positions_.size()) - 1); i >= 0; --i)
    if (positions_[static_cast<size_t>(i)].Mask) return i;
  return -1;
}

void TCustomMaskEdit::putChar(Integer Pos, char C) {
  char text[2] = {C, '\0'};
  SendMessageA(Handle(), EM_SETSEL, Pos, Pos + 1);
  SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

void TCustomMaskEdit::clearRange(Integer Start, Integer End) {
  std::string empty = emptyText();
  End = std::min<Integer>(End, static_cast<Integer>(empty.size()));
  if (End <= Start) return;
  std::string part = empty.substr(static_cast<size_t>(Start), static_cast<size_t>(End - Start));
  SendMessageA(Handle(), EM_SETSEL, Start, End);
  SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.c_str()));
  SendMessageA(Handle(), EM_SETSEL, Start, Start);
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!IsMasked() || Key == 0) return;
  if (Key == VK_ESCAPE && Modified()) {
    Reset();
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && !ReadOnly()) {
    Integer start = SelStart(), len = SelLength();
    clearRange(start, start + std::max(1, len));
    Key = 0;
  }
}

void TCustomMaskEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || Key == 0 || ReadOnly()) return;
  if (Key == VK_BACK) {
    Integer start = SelStart(), len = SelLength();
    if (len > 0) {
      clearRange(start, start + len);
    } else if (Integer pos = previousEditPosition(start - 1); pos >= 0) {
      putChar(pos, blank_);
      SendMessageA(Handle(), EM_SETSEL, pos, pos);
    }
    Key = '\0';
    return;
  }
  if (static_cast<unsigned char>(Key) < ' ') return;
  Integer start = SelStart(), len = SelLength();
  Integer pos = nextEditPosition(start);
  if (pos < 0 || !accepts(positions_[static_cast<size_t>(pos)], Key)) {
    MessageBeep(0);
    Key = '\0';
    return;
  }
  if (len > 1) clearRange(start, start + len);
  putChar(pos, applyCase(positions_[static_cast<size_t>(pos)], Key));
  Integer next = nextEditPosition(pos + 1);
  Integer caret = next < 0 ? pos + 1 : next;
  SendMessageA(Handle(), EM_SETSEL, caret, caret);
  Key = '\0';
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified()) return;
  std::string text = EditText();
  for (size_t i = 0; i < positions_.size(); ++i) {
    const Position& p = positions_[i];
    if (!p.Required || (i < text.size() && text[i] != blank_ && text[i] != ' ')) continue;
    if (CanFocus()) SetFocus();
    if (HandleAllocated()) SendMessageA(WindowHandle(), EM_SETSEL, i, i);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
  }
}

void TCustomMaskEdit::CMEnter(TCMEnter& Message) {
  if (IsMasked() && !ComponentState().Contains(csDesigning)) {
    oldValue_ = EditText();
    SetModified(false);
    if (!AutoSelect() || controlState_.Contains(csLButtonDown)) {
      Integer pos = std::max(0, nextEditPosition(0));
      SendMessageA(Handle(), EM_SETSEL, pos, pos);
    }
  }
  INHERITED_MESSAGE(Message);
}

void TCustomMaskEdit::CMExit(TCMExit& Message) {
  if (IsMasked() && !ComponentState().Contains(csDesigning)) ValidateEdit();
  INHERITED_MESSAGE(Message);
}

void TCustomMaskEdit::WMPaste(TMessage& Message) {
  if (!IsMasked() || ReadOnly()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  // Pasted text is typed into the positions, one character after the other.
  std::string text = Clipboard()->AsText();
  for (char c : text) {
    char key = c;
    KeyPress(key);
  }
}

void TCustomMaskEdit::WMCut(TMessage& Message) {
  if (!IsMasked()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  CopyToClipboard();
  if (!ReadOnly()) clearRange(SelStart(), SelStart() + SelLength());
}

void TCustomMaskEdit::WMClear(TMessage& Message) {
  if (!IsMasked()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  if (!ReadOnly()) clearRange(SelStart(), SelStart() + SelLength());
}

void TCustomMaskEdit::Loaded() {
  TCustomEdit::Loaded();
  if (IsMasked()) SetText(Text());
}

RTL_BEGIN_CLASS(TCustomMaskEdit)
  b.Message(CM_ENTER, &TCustomMaskEdit::CMEnter);
  b.Message(CM_EXIT, &TCustomMaskEdit::CMExit);
  b.Message(WM_PASTE, &TCustomMaskEdit::WMPaste);
  b.Message(WM_CUT, &TCustomMaskEdit::WMCut);
  b.Message(WM_CLEAR, &TCustomMaskEdit::WMClear);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(EDBEditError)

RTL_BEGIN_CLASS(TMaskEdit)
  using T = TMaskEdit;
  publishPlacement(b);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(AutoSize).Default(true);
  publishBevels(b);
  PUBLISH(BorderStyle).Default(bsSingle);
  PUBLISH(CharCase).Default(ecNormal);
  publishLook(b);
  publishDragProperties(b);
  PUBLISH(EditMask);
  PUBLISH(ImeMode).Default(imDontCare);
  PUBLISH(ImeName);
  PUBLISH(MaxLength).Default(0);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  PUBLISH(PasswordChar).Default(0);
  PUBLISH(ReadOnly).Default(false);
  publishWindowFlags(b, true);
  PUBLISH(Text);
  publishEditEvents(b);
RTL_END_CLASS

namespace MaskUnit {

void Initialize() { RegisterClass(TMaskEdit::StaticClass()); }

void Finalize() { UnRegisterClass(TMaskEdit::StaticClass()); }

}  // namespace MaskUnit
