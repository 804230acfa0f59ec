#include "cx/editors/cxMaskEdit.h"

#include <algorithm>

#include "cx/editors/cxRegExpr.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

// One change notice for the work inside the bracket, also when a step fails.
struct UpdateScope {
  TcxCustomEditProperties* P;
  explicit UpdateScope(TcxCustomEditProperties* AP) : P(AP) { P->BeginUpdate(); }
  ~UpdateScope() { P->EndUpdate(true); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TcxMaskEditCustomMode.

RTL_IMPLEMENT_CLASS(TcxMaskEditCustomMode)

TcxMaskEditCustomMode::TcxMaskEditCustomMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties)
    : FEdit(AEdit), FProperties(AProperties) {}

void TcxMaskEditCustomMode::SyncEditValue() {
  if (!Attached()) return;
  std::string text;
  if (FEdit->ModifiedAfterEnter()) {
    text = FormatText(InnerText());
  } else {
    Variant display;
    FProperties->ConvertEditToDisplayValue(FEdit->EditValue(), display, FEdit->IsFocusedForDisplay());
    text = VarToStr(display);
  }
  FEdit->InnerEditIntf()->SetEditValue(Variant(text));
}

void TcxMaskEditCustomMode::Beep() {
  if (FProperties && FProperties->BeepOnError()) ::Beep();
}

bool TcxMaskEditCustomMode::Attached() { return FEdit && !FEdit->IsDestroyingOrInnerEditMissing(); }

void TcxMaskEditCustomMode::SetSelStart(Integer Value) {
  if (Attached() && FEdit->GetInnerTextEdit()) FEdit->GetInnerTextEdit()->SetSelStart(Value);
}

void TcxMaskEditCustomMode::SetSelLength(Integer Value) {
  if (Attached() && FEdit->GetInnerTextEdit()) FEdit->GetInnerTextEdit()->SetSelLength(Value);
}

Integer TcxMaskEditCustomMode::SelStart() {
  return Attached() && FEdit->GetInnerTextEdit() ? FEdit->GetInnerTextEdit()->GetSelStart() : 0;
}

Integer TcxMaskEditCustomMode::SelLength() {
  return Attached() && FEdit->GetInnerTextEdit() ? FEdit->GetInnerTextEdit()->GetSelLength() : 0;
}

std::string TcxMaskEditCustomMode::InnerText() {
  return Attached() ? VarToStr(FEdit->InnerEditIntf()->GetEditValue()) : std::string();
}

// ---------------------------------------------------------------------------------------
// TcxMaskEditStandardMode.

RTL_IMPLEMENT_CLASS(TcxMaskEditStandardMode)

void TcxMaskEditStandardMode::SetMask(const std::string& AMask) {
  FMask = AMask;
  if (TcxCustomMaskEditProperties::IsBlankMask(AMask)) {
    FStandardMask.Clear();
    return;
  }
  FStandardMask.SetMask(AMask);
  if (!Attached()) FPendingEmptyValue = true;
}

std::string TcxMaskEditStandardMode::FormatText(const std::string& AText) {
  std::string text = AText;
  FStandardMask.FitText(text, true);
  return text;
}

std::string TcxMaskEditStandardMode::UnformatText(const std::string& AText) {
  if (FStandardMask.Count() == 0) return AText;
  std::string text = AText;
  FStandardMask.FitText(text, FCharCase == ecNormal);
  FStandardMask.ExtractValue(text);
  return text;
}

bool TcxMaskEditStandardMode::IsValidText(const std::string& AText) {
  std::string text = AText;
  if (FStandardMask.IsComplete(text)) return true;
  return FProperties && FProperties->IgnoreMaskBlank() && AText == FormatText(std::string());
}

bool TcxMaskEditStandardMode::IsLiteral(Integer APos) const {
  if (APos < 0 || APos >= FStandardMask.Count()) return false;
  return dynamic_cast<TcxStandardMaskLiteralItem*>(FStandardMask.Items(APos)) != nullptr;
}

bool TcxMaskEditStandardMode::ShiftHeld() { return FEdit && FEdit->ShiftFlag(); }

void TcxMaskEditStandardMode::ClearShift() {
  if (FEdit) FEdit->SetShiftFlag(false);
}

void TcxMaskEditStandardMode::CaretMoved() {
  if (!Attached() || !FEdit->HandleAllocated() || !FEdit->IsMasked()) return;
  if (SelLength() == 0) SetSelLength(1);
}

void TcxMaskEditStandardMode::SyncEditValue() {
  TcxMaskEditCustomMode::SyncEditValue();
  CaretMoved();
}

void TcxMaskEditStandardMode::ApplyPendingEmptyValue() {
  if (!FPendingEmptyValue) return;
  FPendingEmptyValue = false;
  if (Attached()) FEdit->SetInternalEditValue(Variant(EmptyValue()));
}

bool TcxMaskEditStandardMode::AtLeftEdge() {
  Integer leading = 0;
  while (leading < FStandardMask.Count() && IsLiteral(leading)) ++leading;
  const Integer start = SelStart();
  if (start > leading) return false;
  return SelLength() <= 1 || FEdit->GetCaretCharIndex() == start;
}

bool TcxMaskEditStandardMode::AtRightEdge() { return SelStart() == static_cast<Integer>(InnerText().size()); }

void TcxMaskEditStandardMode::PutText(const std::string& AText, Integer ACaret) {
  if (!Attached()) return;
  FEdit->InnerEditIntf()->SetEditValue(Variant(AText));
  SetSelStart(ACaret);
  SetSelLength(0);
}

bool TcxMaskEditStandardMode::PressChar(char& AChar) {
  std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const Integer pos = SelStart();
  if (length == 0 || pos >= length) return false;
  if (IsLiteral(pos)) {
    ClearShift();
    if (SelLength() > 1) SetSelLength(1);
    PressRight();
    if (SelStart() != pos) PressChar(AChar);
    return false;
  }
  char c = AChar;
  if (pos < FStandardMask.Count() && FStandardMask.Items(pos)->Matches(c)) {
    text[static_cast<size_t>(pos)] = c;
    PutText(text, pos);
    ClearShift();
    PressRight();
  } else {
    Beep();
  }
  CaretMoved();
  return false;
}

bool TcxMaskEditStandardMode::PressDelete() {
  std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const Integer start = SelStart();
  const Integer count = std::max<Integer>(SelLength(), 1);
  bool changed = false;
  for (Integer i = start; i < start + count && i < length; ++i)
    if (i < FStandardMask.Count() && !IsLiteral(i) && text[static_cast<size_t>(i)] != FStandardMask.Blank()) {
      text[static_cast<size_t>(i)] = FStandardMask.Blank();
      changed = true;
    }
  if (changed) PutText(text, start);
  else {
    SetSelStart(start);
    SetSelLength(0);
  }
  CaretMoved();
  return false;
}

bool TcxMaskEditStandardMode::PressBackspace() {
  if (SelLength() <= 1) PressLeft();
  return PressDelete();
}

bool TcxMaskEditStandardMode::PressHome() {
  if (ShiftHeld()) return true;
  SetSelStart(0);
  SetSelLength(0);
  if (IsLiteral(0)) PressRight();
  CaretMoved();
  return false;
}

bool TcxMaskEditStandardMode::PressEnd() {
  if (ShiftHeld()) return true;
  SetSelStart(static_cast<Integer>(InnerText().size()));
  SetSelLength(0);
  return false;
}

bool TcxMaskEditStandardMode::PressLeft() {
  const Integer start = SelStart();
  const Integer length = SelLength();
  if (ShiftHeld()) {
    // The overwrite caret covers the character right of the caret: a selection made with
    // Shift grows leftwards from that character's right edge.
    if (length == 1 && Attached() && FEdit->InnerEdit() && FEdit->InnerEdit()->HandleAllocated())
      SendMessageA(FEdit->InnerEdit()->WindowHandle(), EM_SETSEL, static_cast<WPARAM>(start + 1),
                   static_cast<LPARAM>(start));
    return true;
  }
  const Integer textLength = static_cast<Integer>(InnerText().size());
  Integer caret = start;
  if (length >= 2) {
    Integer leading = 0;
    while (leading < length && IsLiteral(start + leading)) ++leading;
    if (leading == length)
      caret = start + length >= textLength ? start + length : start;
    else
      caret = start + leading;
  } else {
    Integer p = start - 1;
    while (p >= 0 && IsLiteral(p)) --p;
    if (p >= 0) caret = p;
  }
  SetSelStart(caret);
  SetSelLength(0);
  CaretMoved();
  return false;
}

bool TcxMaskEditStandardMode::PressRight() {
  const Integer start = SelStart();
  const Integer length = SelLength();
  if (ShiftHeld()) {
    if (length == 1 && FEdit->GetCaretCharIndex() == start) SetSelLength(0);
    return true;
  }
  const Integer textLength = static_cast<Integer>(InnerText().size());
  Integer caret = start;
  if (length >= 2) {
    const Integer end = start + length;
    Integer closing = 0;
    while (closing < length && IsLiteral(end - 1 - closing)) ++closing;
    caret = closing == length ? end - 1 : end - closing - 1;
    if (end >= textLength) caret = textLength;
  } else {
    Integer p = start + 1;
    while (p < textLength && IsLiteral(p)) ++p;
    if (p <= textLength) caret = p;
  }
  SetSelStart(caret);
  SetSelLength(0);
  CaretMoved();
  return false;
}

void TcxMaskEditStandardMode::BeforePaste() {
  FPasteStart = SelStart();
  SetSelLength(FPasteLength);
}

void TcxMaskEditStandardMode::AfterPaste() {
  const Integer textLength = static_cast<Integer>(InnerText().size());
  Integer caret = std::min(FPasteStart + FPasteLength, textLength - 1);
  caret = std::max<Integer>(caret, 0);
  SetSelStart(caret);
  SetSelLength(0);
  if (IsLiteral(caret)) {
    ClearShift();
    PressRight();
  }
  CaretMoved();
}

// ---------------------------------------------------------------------------------------
// TcxMaskEditRegExprMode.
//
// Every key works on the text as it is in the inner edit: the expression is run from the
// start over the text before the selection, then asked about the key's character and about
// the text after the selection. Nothing of the text is kept between keys, so a caret placed
// by the mouse, a paste or a value set from outside needs no resynchronising.

RTL_IMPLEMENT_CLASS(TcxMaskEditRegExprMode)

TcxMaskEditRegExprMode::TcxMaskEditRegExprMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties)
    : TcxMaskEditCustomMode(AEdit, AProperties), FRegExpr(New<TcxRegExpr>()) {
  if (AProperties) FRegExpr->SetCaseInsensitive(AProperties->CaseInsensitive());
}

TcxMaskEditRegExprMode::~TcxMaskEditRegExprMode() = default;

std::string TcxMaskEditRegExprMode::CompileErrorsText(const EcxRegExprError& AError) {
  std::string message = cxGetResourceString(&scxRegExprErrors);
  if (TcxRegExprErrors* errors = AError.Errors())
    for (Integer i = 0; i < errors->Count(); ++i) message += "\r\n" + errors->Item(i)->Text();
  return message;
}

void TcxMaskEditRegExprMode::SetMask(const std::string& AMask) {
  FMask = AMask;
  FRegExpr->ClearAll();
  if (TcxCustomMaskEditProperties::IsBlankMask(AMask)) return;
  TStringStream source(AMask);
  try {
    FRegExpr->Compile(&source);
  } catch (const EcxRegExprError& e) {
    // The exception refers to the expression's own error list: read it before anything
    // else touches the expression.
    throw EcxMaskEditError(CompileErrorsText(e));
  }
}

Integer TcxMaskEditRegExprMode::Feed(std::string& AText) {
  if (!Compiled()) return 0;
  FRegExpr->Restart();
  for (size_t i = 0; i < AText.size(); ++i) {
    char c = AText[i];
    if (!FRegExpr->Advance(c)) return static_cast<Integer>(i);
    AText[i] = c;
  }
  return static_cast<Integer>(AText.size());
}

bool TcxMaskEditRegExprMode::Fits(const std::string& ATail) {
  size_t accepted = 0;
  for (; accepted < ATail.size(); ++accepted) {
    char c = ATail[accepted];
    if (!FRegExpr->Advance(c)) break;
  }
  for (size_t i = 0; i < accepted; ++i) FRegExpr->StepBack();
  return accepted == ATail.size();
}

void TcxMaskEditRegExprMode::PutText(const std::string& AText, Integer ACaret) {
  if (!Attached()) return;
  FEdit->InnerEditIntf()->SetEditValue(Variant(AText));
  SetSelStart(ACaret);
  SetSelLength(0);
}

std::string TcxMaskEditRegExprMode::FormatText(const std::string& AText) {
  if (!Compiled()) return std::string();
  FRegExpr->Restart();
  std::string result;
  for (char c : AText)
    if (FRegExpr->Advance(c)) result += c;
  return result;
}

void TcxMaskEditRegExprMode::SyncEditValue() {
  TcxMaskEditCustomMode::SyncEditValue();
  // A value shown anew is edited from its end.
  if (Attached()) {
    SetSelStart(static_cast<Integer>(InnerText().size()));
    SetSelLength(0);
  }
}

bool TcxMaskEditRegExprMode::AtLeftEdge() { return SelStart() == 0; }

bool TcxMaskEditRegExprMode::AtRightEdge() { return SelStart() == static_cast<Integer>(InnerText().size()); }

bool TcxMaskEditRegExprMode::IsValidText(const std::string& AText) {
  if (AText.empty()) return true;
  if (!Compiled()) return false;
  std::string text = AText;
  if (Feed(text) != static_cast<Integer>(text.size())) return false;
  return (FProperties && FProperties->IgnoreMaskBlank()) || FRegExpr->IsAccepting();
}

bool TcxMaskEditRegExprMode::PressChar(char& AChar) {
  if (!Compiled() || !Attached()) return true;
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const Integer start = std::min(SelStart(), length);
  const Integer end = std::min(start + SelLength(), length);
  std::string head = text.substr(0, static_cast<size_t>(start));
  Feed(head);
  char c = AChar;
  if (!FRegExpr->Advance(c)) {
    Beep();
    return false;
  }
  AChar = c;
  // A rest that cannot follow the new character is cut off; the inner edit then types the
  // character at the new end.
  if (!Fits(text.substr(static_cast<size_t>(end)))) PutText(text.substr(0, static_cast<size_t>(start)), start);
  return true;
}

bool TcxMaskEditRegExprMode::PressBackspace() {
  if (!Compiled() || !Attached()) return true;
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const Integer start = std::min(SelStart(), length);
  const Integer end = std::min(start + SelLength(), length);
  if (end > start) {
    std::string head = text.substr(0, static_cast<size_t>(start));
    Feed(head);
    if (Fits(text.substr(static_cast<size_t>(end)))) return true;
    PutText(text.substr(0, static_cast<size_t>(start)), start);
    return false;
  }
  if (start == 0) return true;
  std::string head = text.substr(0, static_cast<size_t>(start - 1));
  Feed(head);
  // The inner edit removes the character before the caret; a rest that cannot follow what
  // stays before it goes first.
  if (!Fits(text.substr(static_cast<size_t>(start)))) PutText(text.substr(0, static_cast<size_t>(start)), start);
  return true;
}

bool TcxMaskEditRegExprMode::PressDelete() {
  if (!Compiled() || !Attached()) return true;
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const Integer start = std::min(SelStart(), length);
  if (SelLength() > 0) return PressBackspace();
  if (start >= length) return true;
  std::string head = text.substr(0, static_cast<size_t>(start));
  Feed(head);
  if (Fits(text.substr(static_cast<size_t>(start + 1)))) return true;
  PutText(text.substr(0, static_cast<size_t>(start)), start);
  return false;
}

// ---------------------------------------------------------------------------------------
// TcxMaskEditRegExprExMode.
//
// The expression never types on its own here (its auto-insertion stays off): the mode asks
// for the forced characters where it needs them and writes the text itself.

RTL_IMPLEMENT_CLASS(TcxMaskEditRegExprExMode)

void TcxMaskEditRegExprExMode::SetMask(const std::string& AMask) {
  TcxMaskEditRegExprMode::SetMask(AMask);
  if (Compiled() && !Attached()) FPendingEmptyValue = true;
}

std::string TcxMaskEditRegExprExMode::TakeForced() {
  std::string forced;
  TcxRegExprAutomat* automat = FRegExpr->Automat();
  if (!automat) return forced;
  // A forced continuation ends at an accepting state or where a choice opens; the bound
  // only guards against a pattern that would run on without either.
  for (Integer guard = 0; guard < 4096 && !automat->IsAccepting(); ++guard) {
    char c = 0;
    if (!automat->Candidates()->AllSameLiteral(c)) break;
    if (!FRegExpr->Advance(c)) break;
    forced += c;
  }
  return forced;
}

std::vector<bool> TcxMaskEditRegExprExMode::ForcedMarks(const std::string& AText) {
  std::vector<bool> marks(AText.size(), false);
  if (!Compiled()) return marks;
  FRegExpr->Restart();
  TcxRegExprAutomat* automat = FRegExpr->Automat();
  for (size_t i = 0; i < AText.size(); ++i) {
    char only = 0;
    const bool forced = !automat->IsAccepting() && automat->Candidates()->AllSameLiteral(only);
    char c = AText[i];
    if (!FRegExpr->Advance(c)) break;
    marks[i] = forced && c == only;
  }
  return marks;
}

bool TcxMaskEditRegExprExMode::IsBoundary(const std::vector<bool>& AForced, Integer APos) {
  return APos <= 0 || APos >= static_cast<Integer>(AForced.size()) || !AForced[static_cast<size_t>(APos)];
}

std::string TcxMaskEditRegExprExMode::EmptyValue() {
  if (!Compiled()) return std::string();
  FRegExpr->Restart();
  return TakeForced();
}

std::string TcxMaskEditRegExprExMode::FormatText(const std::string& AText) {
  if (!Compiled()) return std::string();
  std::string text = TcxMaskEditRegExprMode::FormatText(AText);
  return text + TakeForced();
}

bool TcxMaskEditRegExprExMode::IsValidText(const std::string& AText) {
  if (AText == EmptyValue()) return true;
  if (!Compiled()) return false;
  std::string text = AText;
  if (Feed(text) != static_cast<Integer>(text.size())) return false;
  return (FProperties && FProperties->IgnoreMaskBlank()) || FRegExpr->IsAccepting();
}

void TcxMaskEditRegExprExMode::ApplyPendingEmptyValue() {
  if (!FPendingEmptyValue) return;
  FPendingEmptyValue = false;
  if (Attached()) FEdit->SetInternalEditValue(Variant(EmptyValue()));
}

void TcxMaskEditRegExprExMode::PutHeadAndTail(const std::string& AHead, const std::string& ATail) {
  std::string head = AHead;
  Feed(head);
  std::string text = AHead;
  if (Fits(ATail)) {
    for (char c : ATail) FRegExpr->Advance(c);
    text += ATail;
  }
  text += TakeForced();
  PutText(text, static_cast<Integer>(AHead.size()));
}

void TcxMaskEditRegExprExMode::DeleteSelection() {
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  Integer start = std::min(SelStart(), length);
  Integer end = std::min(start + SelLength(), length);
  const std::vector<bool> marks = ForcedMarks(text);
  while (!IsBoundary(marks, start)) --start;
  while (!IsBoundary(marks, end)) ++end;
  // The forced beginning stays: it is no unit of its own.
  const std::string prefix = EmptyValue();
  if (start < static_cast<Integer>(prefix.size()) && text.compare(0, prefix.size(), prefix) == 0) {
    start = static_cast<Integer>(prefix.size());
    end = std::max(end, start);
  }
  PutHeadAndTail(text.substr(0, static_cast<size_t>(start)), text.substr(static_cast<size_t>(end)));
}

bool TcxMaskEditRegExprExMode::PressChar(char& AChar) {
  if (!Compiled() || !Attached()) return true;
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  Integer start = std::min(SelStart(), length);
  Integer end = std::min(start + SelLength(), length);
  const std::vector<bool> marks = ForcedMarks(text);
  while (!IsBoundary(marks, start)) --start;
  while (!IsBoundary(marks, end)) ++end;
  std::string head = text.substr(0, static_cast<size_t>(start));
  std::string tail = text.substr(static_cast<size_t>(end));
  // Typing before or inside the forced beginning types after it.
  const std::string prefix = EmptyValue();
  if (head.size() < prefix.size()) {
    if (text.compare(0, prefix.size(), prefix) == 0)
      tail = text.substr(std::max(static_cast<size_t>(end), prefix.size()));
    head = prefix;
  }
  std::string fed = head;
  Feed(fed);
  char c = AChar;
  if (!FRegExpr->Advance(c)) {
    Beep();
    return false;
  }
  PutHeadAndTail(head + c + TakeForced(), tail);
  return false;
}

bool TcxMaskEditRegExprExMode::PressBackspace() {
  if (!Compiled() || !Attached()) return true;
  if (SelLength() > 0) {
    DeleteSelection();
    return false;
  }
  const std::string text = InnerText();
  const std::vector<bool> marks = ForcedMarks(text);
  Integer caret = std::min(SelStart(), static_cast<Integer>(text.size()));
  while (!IsBoundary(marks, caret)) --caret;
  // The unit before the caret: its typed character and the forced ones after it.
  Integer unit = caret - 1;
  while (unit >= 0 && marks[static_cast<size_t>(unit)]) --unit;
  if (unit < 0) {
    // Only the forced beginning (or nothing) lies before the caret.
    if (caret > 0) Beep();
    return false;
  }
  PutHeadAndTail(text.substr(0, static_cast<size_t>(unit)), text.substr(static_cast<size_t>(caret)));
  return false;
}

bool TcxMaskEditRegExprExMode::PressDelete() {
  if (!Compiled() || !Attached()) return true;
  if (SelLength() > 0) {
    DeleteSelection();
    return false;
  }
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const std::vector<bool> marks = ForcedMarks(text);
  Integer caret = std::min(SelStart(), length);
  while (!IsBoundary(marks, caret)) --caret;
  if (caret >= length) return false;
  if (marks[static_cast<size_t>(caret)]) {
    // The forced beginning cannot be deleted.
    Beep();
    return false;
  }
  Integer next = caret + 1;
  while (next < length && marks[static_cast<size_t>(next)]) ++next;
  PutHeadAndTail(text.substr(0, static_cast<size_t>(caret)), text.substr(static_cast<size_t>(next)));
  return false;
}

bool TcxMaskEditRegExprExMode::ExtendSelection(bool AForward) {
  if (!FEdit->InnerEdit() || !FEdit->InnerEdit()->HandleAllocated()) return true;
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const std::vector<bool> marks = ForcedMarks(text);
  const Integer start = std::min(SelStart(), length);
  const Integer end = std::min(start + SelLength(), length);
  Integer caret = std::min(FEdit->GetCaretCharIndex(), length);
  const Integer anchor = caret == start ? end : start;
  if (AForward) {
    if (caret >= length) return true;
    ++caret;
    while (!IsBoundary(marks, caret)) ++caret;
  } else {
    if (caret <= 0) return true;
    --caret;
    while (!IsBoundary(marks, caret)) --caret;
  }
  // The anchor stays where the selection began; the caret end moves by a whole unit.
  SendMessageA(FEdit->InnerEdit()->WindowHandle(), EM_SETSEL, static_cast<WPARAM>(anchor),
               static_cast<LPARAM>(caret));
  return false;
}

bool TcxMaskEditRegExprExMode::PressLeft() {
  if (!Compiled() || !Attached()) return true;
  if (FEdit->ShiftFlag()) return ExtendSelection(false);
  if (SelLength() > 0) return true;
  const std::string text = InnerText();
  const std::vector<bool> marks = ForcedMarks(text);
  Integer caret = std::min(SelStart(), static_cast<Integer>(text.size()));
  while (!IsBoundary(marks, caret)) --caret;
  if (caret == 0) return true;
  --caret;
  while (!IsBoundary(marks, caret)) --caret;
  SetSelStart(caret);
  SetSelLength(0);
  return false;
}

bool TcxMaskEditRegExprExMode::PressRight() {
  if (!Compiled() || !Attached()) return true;
  if (FEdit->ShiftFlag()) return ExtendSelection(true);
  if (SelLength() > 0) return true;
  const std::string text = InnerText();
  const Integer length = static_cast<Integer>(text.size());
  const std::vector<bool> marks = ForcedMarks(text);
  Integer caret = std::min(SelStart(), length);
  while (!IsBoundary(marks, caret)) --caret;
  if (caret >= length) return true;
  ++caret;
  while (!IsBoundary(marks, caret)) ++caret;
  SetSelStart(caret);
  SetSelLength(0);
  return false;
}

// ---------------------------------------------------------------------------------------
// TcxCustomMaskEditProperties.

RTL_IMPLEMENT_CLASS(TcxCustomMaskEditProperties)

TcxCustomMaskEditProperties::TcxCustomMaskEditProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {
  SetValidateOnEnter(true);
}

TcxCustomMaskEditProperties::~TcxCustomMaskEditProperties() = default;

bool TcxCustomMaskEditProperties::IsBlankMask(const std::string& AMask) {
  return std::all_of(AMask.begin(), AMask.end(), [](char c) {
    return c == '\0' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
  });
}

std::string TcxCustomMaskEditProperties::GetEditMask() {
  if (FMaskKind == emkStandard && IsBlankMask(FEditMask)) {
    std::string mask;
    if (IcxEditDefaultValuesProvider* provider = DefaultValuesProvider()) provider->DefaultEditMask(mask);
    return mask;
  }
  return FEditMask;
}

bool TcxCustomMaskEditProperties::IsMasked() { return !IsBlankMask(GetEditMask()); }

std::unique_ptr<TcxMaskEditCustomMode> TcxCustomMaskEditProperties::CreateMode(TcxEditMaskKind AKind,
                                                                                TcxCustomMaskEdit* AEdit) {
  switch (AKind) {
    case emkRegExpr:
      return std::make_unique<TcxMaskEditRegExprMode>(AEdit, this);
    case emkRegExprEx:
      return std::make_unique<TcxMaskEditRegExprExMode>(AEdit, this);
    default:
      return std::make_unique<TcxMaskEditStandardMode>(AEdit, this);
  }
}

void TcxCustomMaskEditProperties::SetEditMask(const std::string& Value) {
  if (Value == GetEditMask()) {
    FEditMask = Value;
    return;
  }
  // A mode of the current kind takes the mask first: a bad expression is refused there with
  // the compiler's located messages, and the mask stays.
  CreateMode(FMaskKind, nullptr)->SetMask(Value);
  FEditMask = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetMaskKind(TcxEditMaskKind Value) {
  if (Value == FMaskKind) return;
  FMaskKind = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetCaseInsensitive(bool Value) {
  FCaseInsensitive = Value || CharCase() != ecNormal;
  Changed();
}

void TcxCustomMaskEditProperties::SetAlwaysShowBlanksAndLiterals(bool Value) {
  if (Value == FAlwaysShowBlanksAndLiterals) return;
  FAlwaysShowBlanksAndLiterals = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetCharCase(TEditCharCase Value) {
  if (Value == ecUpperCase || Value == ecLowerCase) FCaseInsensitive = true;
  TcxCustomTextEditProperties::SetCharCase(Value);
}

void TcxCustomMaskEditProperties::SetMaxLength(Integer Value) {
  TcxCustomTextEditProperties::SetMaxLength(IsMasked() ? 0 : Value);
}

void TcxCustomMaskEditProperties::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TcxCustomMaskEditProperties*>(Source);
  if (!source || source == this) {
    TcxCustomTextEditProperties::Assign(Source);
    return;
  }
  UpdateScope update(this);
  TcxCustomTextEditProperties::Assign(Source);
  FMaskKind = source->MaskKind();
  FEditMask = source->GetEditMask();
  FCaseInsensitive = source->CaseInsensitive();
  FIgnoreMaskBlank = source->IgnoreMaskBlank();
  FAlwaysShowBlanksAndLiterals = source->AlwaysShowBlanksAndLiterals();
  Changed();
}

TClass TcxCustomMaskEditProperties::GetEditClass() { return TcxMaskEdit::StaticClass(); }

bool TcxCustomMaskEditProperties::IsEditValueValid(Variant& AEditValue) {
  return IsMasked() || TcxCustomTextEditProperties::IsEditValueValid(AEditValue);
}

void TcxCustomMaskEditProperties::ConvertEditToDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                            bool AFocused) {
  if (!IsMasked()) {
    TcxCustomTextEditProperties::ConvertEditToDisplayValue(AEditValue, ADisplayValue, AFocused);
    return;
  }
  const std::string mask = GetEditMask();
  if (!FConversionMode || FConversionMode->ModeKind() != FMaskKind || FConversionMode->Mask() != mask) {
    FConversionMode = CreateMode(FMaskKind, nullptr);
    FConversionMode->SetMask(mask);
  }
  const std::string text = VarIsNull(AEditValue) || VarIsEmpty(AEditValue) ? std::string() : VarToStr(AEditValue);
  if (AFocused || FConversionMode->ModeKind() != emkStandard || FAlwaysShowBlanksAndLiterals)
    ADisplayValue = Variant(FConversionMode->FormatText(text));
  else
    ADisplayValue = Variant(FConversionMode->UnformatText(text));
}

void TcxCustomMaskEditProperties::ValidateDisplayValue(Variant& ADisplayValue, std::string& AErrorText, bool& AError,
                                                       TcxCustomEdit* AEdit) {
  auto* edit = dynamic_cast<TcxCustomMaskEdit*>(AEdit);
  if (!AError && edit && edit->IsMasked() && edit->Mode() &&
      !edit->Mode()->IsValidText(VarToStr(edit->InnerEditIntf() ? edit->InnerEditIntf()->GetEditValue() : ADisplayValue))) {
    AError = true;
    AErrorText = cxGetResourceString(&scxMaskInvalidEditValue);
  }
  TcxCustomTextEditProperties::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

RTL_BEGIN_CLASS(TcxMaskEditProperties)
  using T = TcxMaskEditProperties;
  b.Property("Alignment", &T::HorzAlignment, &T::SetHorzAlignment).Stored(&T::IsHorzAlignmentStored);
  PUBLISH(AlwaysShowBlanksAndLiterals).Default(false);
  PUBLISH(AutoSelect).Default(true);
  PUBLISH(BeepOnError).Default(false);
  PUBLISH(CaseInsensitive).Default(true);
  PUBLISH(CharCase).Default(ecNormal);
  PUBLISH(EchoMode).Default(eemNormal);
  PUBLISH(HideSelection).Default(true);
  PUBLISH(IgnoreMaskBlank).Default(false);
  PUBLISH(LookupItems);
  b.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  PUBLISH(MaskKind).Default(emkStandard);
  b.Property("EditMask", &T::GetEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  b.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  PUBLISH(OEMConvert).Default(false);
  b.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  PUBLISH(UseLeftAlignmentOnEditing).Stored(&T::IsUseLeftAlignmentOnEditingStored);
  PUBLISH(ValidateOnEnter).Default(true);
  PUBLISH(OnChange);
  PUBLISH(OnEditValueChanged);
  PUBLISH(OnNewLookupDisplayText);
  PUBLISH(OnValidate);
RTL_END_CLASS

namespace cxMaskEditUnit {

void Initialize() {
  cxGetEditorRegistry()->Register(TcxMaskEditProperties::StaticClass(), cxGetResourceString(&scxEditRegMaskEdit));
}

void Finalize() {
  if (cxEditPropertiesList) cxGetEditorRegistry()->Unregister(TcxMaskEditProperties::StaticClass());
}

}  // namespace cxMaskEditUnit

// ---------------------------------------------------------------------------------------
// TcxCustomMaskEdit.

RTL_IMPLEMENT_CLASS(TcxCustomMaskEdit)

TcxCustomMaskEdit::TcxCustomMaskEdit(TComponent* AOwner) : TcxCustomTextEdit(AOwner) {}

void TcxCustomMaskEdit::AfterConstruction() {
  TcxCustomTextEdit::AfterConstruction();
  TcxCustomMaskEditProperties* properties = GetActiveMaskProperties();
  FMode = properties->CreateMode(emkStandard, this);
  FMode->SetMask(std::string());
  properties->SetEmptyMaskText(FMode->EmptyValue());
  // A mask set before the mode existed is taken now.
  PropertiesChanged(properties);
}

TcxCustomMaskEdit::~TcxCustomMaskEdit() = default;

TClass TcxCustomMaskEdit::GetPropertiesClass() { return TcxMaskEditProperties::StaticClass(); }

void TcxCustomMaskEdit::SendOwnKey(Word AKey) {
  ScopedRestore<bool> guard(FOwnKey);
  FOwnKey = true;
  cxSendKeyDown(InnerEdit(), AKey);
}

void TcxCustomMaskEdit::SendOwnChar(char AChar) {
  ScopedRestore<bool> guard(FOwnKey);
  FOwnKey = true;
  cxSendChar(InnerEdit(), AChar);
}

void TcxCustomMaskEdit::InternalSetDisplayValue(const Variant& Value) {
  if (!FMode || !IsMasked() || ComponentState().Contains(csLoading)) {
    TcxCustomTextEdit::InternalSetDisplayValue(Value);
    return;
  }
  const std::string text = VarIsNull(Value) || VarIsEmpty(Value) ? std::string() : VarToStr(Value);
  std::string shown;
  if (IsFocusedForDisplay() || FMode->ModeKind() != emkStandard ||
      GetActiveMaskProperties()->AlwaysShowBlanksAndLiterals())
    shown = FMode->FormatText(text);
  else
    shown = FMode->UnformatText(text);
  TcxCustomTextEdit::InternalSetDisplayValue(Variant(shown));
  FMode->TextSet(GetDisplayText());
}

std::string TcxCustomMaskEdit::GetControlText() {
  if (!FMode || !IsMasked()) return TcxCustomTextEdit::GetControlText();
  return FMode->UnformatText(GetDisplayText());
}

bool TcxCustomMaskEdit::SetControlText(const std::string& AText) {
  if (!FMode || !IsMasked()) return TcxCustomTextEdit::SetControlText(AText);
  SetInternalEditValue(Variant(AText));
  const std::string shown = GetControlText();
  if (shown != AText) SetInternalEditValue(Variant(shown));
  return true;
}

void TcxCustomMaskEdit::InnerEditChanged(TObject* Sender) { TcxCustomTextEdit::InnerEditChanged(Sender); }

void TcxCustomMaskEdit::SyncDisplayFromEditValue() {
  TcxCustomTextEdit::SyncDisplayFromEditValue();
  if (FMode && IsMasked()) FMode->TextSet(GetDisplayText());
}

void TcxCustomMaskEdit::SetSelectionStart(Integer Value) {
  TcxCustomTextEdit::SetSelectionStart(Value);
  if (FMode && IsMasked()) FMode->CaretMoved();
}

void TcxCustomMaskEdit::SetSelectionLength(Integer Value) {
  TcxCustomTextEdit::SetSelectionLength(Value);
  if (FMode && IsMasked()) FMode->CaretMoved();
}

void TcxCustomMaskEdit::CutToClipboard() {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::CutToClipboard();
    return;
  }
  CopyToClipboard();
  // A mode that lets the inner edit delete the selection itself answers true.
  if (FMode->PressDelete()) SendOwnKey(VK_DELETE);
}

void TcxCustomMaskEdit::PasteFromClipboard() {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::PasteFromClipboard();
    return;
  }
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  InsertText(Clipboard()->AsText());
}

void TcxCustomMaskEdit::InsertText(const std::string& AText) {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::InsertText(AText);
    return;
  }
  FMode->SetPasteLength(static_cast<Integer>(AText.size()));
  FMode->BeforePaste();
  TcxCustomTextEdit::InsertText(AText);
  FMode->AfterPaste();
  FMode->SetPasteLength(0);
}

void TcxCustomMaskEdit::ConvertDisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AFocused) {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::ConvertDisplayToEditValue(ADisplayValue, AEditValue, AFocused);
    return;
  }
  AEditValue = Variant(FMode->UnformatText(VarToStr(ADisplayValue)));
}

void TcxCustomMaskEdit::PropertiesChanged(TObject* Sender) {
  if (!FMode || FChangingProperties) {
    TcxCustomTextEdit::PropertiesChanged(Sender);
    return;
  }
  TcxCustomMaskEditProperties* properties = GetActiveMaskProperties();
  bool kindChanged = false;
  bool maskChanged = false;
  bool caseChanged = false;
  {
    ScopedRestore<bool> lock(FChangingProperties);
    FChangingProperties = true;
    const std::string mask = properties->GetEditMask();
    const Integer oldKind = FMode->ModeKind();
    kindChanged = oldKind != properties->MaskKind();
    maskChanged = FMode->Mask() != mask;
    caseChanged = FMode->CharCase() != properties->CharCase();
    bool cleared = false;
    if (kindChanged) {
      FMode = properties->CreateMode(properties->MaskKind(), this);
      if ((oldKind == emkStandard) != (properties->MaskKind() == emkStandard)) {
        properties->ClearStoredEditMask();
        cleared = true;
      }
      FMode->SetCharCase(properties->CharCase());
      FMode->SetMask(properties->GetEditMask());
      if (IsMasked()) FMode->SyncEditValue();
      properties->SetEmptyMaskText(FMode->EmptyValue());
    }
    if (maskChanged && !(kindChanged && cleared && FMode->Mask() == mask)) {
      if (properties->GetMaxLength() != 0) properties->TcxCustomTextEditProperties::SetMaxLength(0);
      bool taken = true;
      try {
        FMode->SetMask(mask);
      } catch (const EcxMaskEditError&) {
        // A mask changed together with the kind, written for the other notation, means
        // nothing here: the editor stays unmasked rather than fail inside a change notice.
        FMode->SetMask(std::string());
        taken = false;
      }
      if (cleared && taken) properties->RestoreStoredEditMask(mask);
      if (IsMasked())
        FMode->SyncEditValue();
      else if (GetInnerTextEdit() && GetInnerTextEdit()->GetSelLength() == 1)
        GetInnerTextEdit()->SetSelLength(0);
      properties->SetEmptyMaskText(FMode->EmptyValue());
    }
    if (caseChanged) {
      if (properties->CharCase() == ecNormal && GetInnerTextEdit()) {
        GetInnerTextEdit()->SetCharCase(ecNormal);
        FMode->SyncEditValue();
      }
      FMode->SetCharCase(properties->CharCase());
    }
    if (IsMasked()) {
      if (IsDestroyingOrInnerEditMissing() || !EditValue().IsNull()) FMode->ApplyPendingEmptyValue();
    }
  }
  if (auto* expressionMode = dynamic_cast<TcxMaskEditRegExprMode*>(FMode.get()))
    expressionMode->SetCaseInsensitive(properties->CaseInsensitive());
  TcxCustomTextEdit::PropertiesChanged(Sender);
  FMode->SetEchoMode(properties->EchoMode());
  if ((kindChanged || maskChanged || caseChanged) && IsMasked()) FMode->TextSet(GetDisplayText());
}

void TcxCustomMaskEdit::Loaded() {
  TcxCustomTextEdit::Loaded();
  if (!FMode || !IsMasked()) return;
  LockChangeEvents(true);
  ScopeExit unlock([this] { LockChangeEvents(false, false); });
  InternalSetDisplayValue(Variant(GetDisplayText()));
}

void TcxCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
  // Keys the editor sends itself reach the inner edit unfiltered.
  if (FOwnKey) return;
  TcxCustomTextEdit::KeyDown(Key, Shift);
}

void TcxCustomMaskEdit::KeyPress(char& Key) {
  if (FOwnKey) return;
  TcxCustomTextEdit::KeyPress(Key);
}

void TcxCustomMaskEdit::KeyUp(Word& Key, TShiftState Shift) {
  if (FOwnKey) return;
  TcxCustomTextEdit::KeyUp(Key, Shift);
}

void TcxCustomMaskEdit::DoEditKeyUp(Word& Key, TShiftState Shift) { TcxCustomTextEdit::DoEditKeyUp(Key, Shift); }

void TcxCustomMaskEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
    return;
  }
  if (!CanKeyDownModify(Key, Shift)) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (Key != VK_TAB) FShiftFlag = Shift.Contains(ssShift);
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
      if (!HasPopupWindow()) {
        DoAfterKeyDown(Key, Shift);
        Key = 0;
      }
      break;
    case VK_LEFT:
      if (ctrl) {
        SendOwnKey(VK_HOME);
        if (!FMode->PressHome()) Key = 0;
      } else {
        const bool atEdge = FMode->AtLeftEdge();
        if (!FMode->PressLeft()) {
          if (atEdge) DoAfterKeyDown(Key, Shift);
          Key = 0;
        }
      }
      break;
    case VK_RIGHT:
      if (ctrl) {
        SendOwnKey(VK_END);
        if (!FMode->PressEnd()) Key = 0;
      } else {
        const bool atEdge = FMode->AtRightEdge();
        if (!FMode->PressRight()) {
          if (atEdge) DoAfterKeyDown(Key, Shift);
          Key = 0;
        }
      }
      break;
    case VK_DELETE:
      if (!Shift.Contains(ssShift)) {
        if (!FMode->PressDelete()) Key = 0;
      } else if (GetSelectionLength() == 0) {
        if (!FMode->PressBackspace()) Key = 0;
      }
      break;
    case VK_HOME:
      if (!FMode->PressHome()) Key = 0;
      break;
    case VK_END:
      if (!FMode->PressEnd()) Key = 0;
      break;
    default:
      break;
  }
  if (Key != 0) TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomMaskEdit::DoEditKeyPress(char& Key) {
  if (!FMode || !IsMasked()) {
    TcxCustomTextEdit::DoEditKeyPress(Key);
    return;
  }
  if (Key == '\t' || Key == '\x1b') {
    Key = 0;
    return;
  }
  if (Key == '\r') return;
  if (Key == '\x03' || Key == '\x16' || Key == '\x18') {
    TcxCustomTextEdit::DoEditKeyPress(Key);
    return;
  }
  ValidateKeyPress(Key);
  if (Key == 0) return;
  if (Key == '\b') {
    if (!FMode->PressBackspace()) Key = 0;
    return;
  }
  if (!FMode->PressChar(Key)) Key = 0;
}

void TcxCustomMaskEdit::DoEnter() {
  TcxCustomTextEdit::DoEnter();
  if (FMode && IsMasked()) {
    if (GetActiveMaskProperties()->AutoSelect()) FMode->SelectOnEnter();
    FMode->CaretMoved();
  }
}

void TcxCustomMaskEdit::DblClick() {
  if (FMode && IsMasked()) FMode->SelectOnEnter();
  TcxCustomTextEdit::DblClick();
}

void TcxCustomMaskEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomTextEdit::MouseUp(Button, Shift, X, Y);
  // A click placed the caret: show it as the overwrite caret again.
  if (Button == mbLeft && FMode && IsMasked()) FMode->CaretMoved();
}

RTL_BEGIN_CLASS(TcxMaskEdit)
  publishTextEditControl(b);
RTL_END_CLASS
