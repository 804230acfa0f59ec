#include "cx/editors/cxRegExpr.h"

#include <algorithm>
#include <unordered_set>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const kLineEnd = "\r\n";

// The largest count a counted quantifier may give. {0,m} nests m-1 optional groups, and
// linking, matching and freeing walk that nesting recursively; a mask needs far less.
constexpr Integer kMaxQuantifierCount = 1000;

// Whitespace of the expression syntax (vertical tab is not among it).
bool isBlank(char C) { return C == 0 || C == 9 || C == 10 || C == 12 || C == 13 || C == ' '; }
bool isDigitChar(char C) { return C >= '0' && C <= '9'; }

int hexDigitValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

std::string resText(const TResStringRec& ARec) { return cxGetResourceString(&ARec); }
std::string resFormat(const TResStringRec& ARec, const std::string& AArg) {
  return Format(resText(ARec), {TVarRec(AArg)});
}

bool isOperator(const TcxLexem& ALexem, char AOperator) {
  return ALexem.Kind == LexemKind::Operator && ALexem.Text.size() == 1 && ALexem.Text[0] == AOperator;
}

TObjectPtr<TcxRegExprStates> newStates() { return TObjectPtr<TcxRegExprStates>(New<TcxRegExprStates>()); }

// The character item a lexeme stands for (none for operators, numbers and back-copies).
TcxRegExprItem* newCharItem(const TcxLexem& ALexem) {
  switch (ALexem.Kind) {
    case LexemKind::Literal: return New<TcxRegExprSymbol>(ALexem.Text[0]);
    case LexemKind::Any: return New<TcxRegExprAll>();
    case LexemKind::IdLetter: return New<TcxRegExprIdLetter>(false);
    case LexemKind::NotIdLetter: return New<TcxRegExprIdLetter>(true);
    case LexemKind::Digit: return New<TcxRegExprDigit>(false);
    case LexemKind::NotDigit: return New<TcxRegExprDigit>(true);
    case LexemKind::Space: return New<TcxRegExprSpace>(false);
    case LexemKind::NotSpace: return New<TcxRegExprSpace>(true);
    case LexemKind::DateSeparator: return New<TcxRegExprDateSeparator>();
    case LexemKind::TimeSeparator: return New<TcxRegExprTimeSeparator>();
    default: return nullptr;
  }
}

// ---------------------------------------------------------------------------------------
// Linking the tree into states.

bool allItemsAllowNone(const TcxRegExprParserAlt& AAlt) {
  for (Integer i = 0; i < AAlt.Count(); ++i)
    if (!AAlt.Item(i)->AllowsNone()) return false;
  return true;
}

bool allItemsMayBeEmpty(const TcxRegExprParserAlt& AAlt) {
  for (Integer i = 0; i < AAlt.Count(); ++i)
    if (!AAlt.Item(i)->MayBeEmpty()) return false;
  return true;
}

// The entries a path into these alternatives may start at: each alternative's items up to
// and including the first one that cannot be skipped.
TObjectPtr<TcxRegExprStates> firstStates(const TcxRegExprParserAlts& AAlts) {
  auto result = newStates();
  for (Integer a = 0; a < AAlts.Count(); ++a) {
    const TcxRegExprParserAlt& alt = *AAlts.Item(a);
    for (Integer i = 0; i < alt.Count(); ++i) {
      result->Add(alt.Item(i)->EntryState());
      if (!alt.Item(i)->AllowsNone()) break;
    }
  }
  return result;
}

// Links the exits a path may leave these alternatives by to AState.
void connectLast(const TcxRegExprParserAlts& AAlts, TcxRegExprState* AState) {
  for (Integer a = 0; a < AAlts.Count(); ++a) {
    const TcxRegExprParserAlt& alt = *AAlts.Item(a);
    for (Integer i = alt.Count() - 1; i >= 0; --i) {
      alt.Item(i)->ExitState()->AddSuccessor(AState);
      if (!alt.Item(i)->AllowsNone()) break;
    }
  }
}

void link(const TcxRegExprParserAlts& AAlts) {
  for (Integer a = 0; a < AAlts.Count(); ++a) {
    const TcxRegExprParserAlt& alt = *AAlts.Item(a);
    for (Integer i = 0; i < alt.Count(); ++i) {
      TcxRegExprParserItem* item = alt.Item(i);
      for (Integer j = i + 1; j < alt.Count(); ++j) {
        item->ExitState()->AddSuccessor(alt.Item(j)->EntryState());
        if (!alt.Item(j)->AllowsNone()) break;
      }
      if (item->AllowsMany()) item->ExitState()->AddSuccessor(item->EntryState());
      if (auto* group = dynamic_cast<TcxRegExprParserBlockItem*>(item)) {
        const TcxRegExprParserAlts& inner = *group->Alts();
        group->StartState()->AddSuccessors(firstStates(inner));
        bool passable = false;
        for (Integer k = 0; k < inner.Count() && !passable; ++k) passable = allItemsAllowNone(*inner.Item(k));
        if (passable) group->StartState()->AddSuccessor(group->FinishState());
        link(inner);
        connectLast(inner, group->FinishState());
      }
    }
  }
}

// Marks the states a complete match may end on. The walk back from an alternative's end goes
// on past every item that can match nothing, a group that can match nothing included (its own
// quantifier alone would not tell: the text "b" is a complete match of b(a?)).
void markFinal(const TcxRegExprParserAlts& AAlts) {
  for (Integer a = 0; a < AAlts.Count(); ++a) {
    const TcxRegExprParserAlt& alt = *AAlts.Item(a);
    for (Integer i = alt.Count() - 1; i >= 0; --i) {
      alt.Item(i)->MarkFinal();
      if (!alt.Item(i)->MayBeEmpty()) break;
    }
  }
}

// The groups inside AItem (not AItem itself), in the order of their opening.
void collectInnerGroups(const TcxRegExprParserItem* AItem, std::vector<TcxRegExprParserBlockItem*>& AGroups) {
  auto* group = dynamic_cast<const TcxRegExprParserBlockItem*>(AItem);
  if (!group) return;
  for (Integer a = 0; a < group->Alts()->Count(); ++a) {
    const TcxRegExprParserAlt& alt = *group->Alts()->Item(a);
    for (Integer i = 0; i < alt.Count(); ++i) {
      if (auto* inner = dynamic_cast<TcxRegExprParserBlockItem*>(alt.Item(i))) {
        AGroups.push_back(inner);
        collectInnerGroups(inner, AGroups);
      }
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Lexemes and errors.

RTL_IMPLEMENT_CLASS(TcxLexems)
RTL_IMPLEMENT_CLASS(TcxRegExprError)
RTL_IMPLEMENT_CLASS(TcxRegExprErrors)
RTL_IMPLEMENT_CLASS(EcxRegExprError)

std::string TcxRegExprError::Text() const {
  if (FLine <= 0) return FMessage;
  std::string result = resText(scxEditErrorLine) + IntToStr(FLine);
  if (FColumn > 0) result += ", " + resText(scxEditErrorChar) + IntToStr(FColumn);
  return result + ": " + FMessage;
}

// ---------------------------------------------------------------------------------------
// Character items.

RTL_IMPLEMENT_CLASS(TcxRegExprItem)
RTL_IMPLEMENT_CLASS(TcxRegExprSymbol)
RTL_IMPLEMENT_CLASS(TcxRegExprDateSeparator)
RTL_IMPLEMENT_CLASS(TcxRegExprTimeSeparator)
RTL_IMPLEMENT_CLASS(TcxRegExprSubrange)
RTL_IMPLEMENT_CLASS(TcxRegExprEnumeration)
RTL_IMPLEMENT_CLASS(TcxRegExprUserEnumeration)
RTL_IMPLEMENT_CLASS(TcxRegExprDigit)
RTL_IMPLEMENT_CLASS(TcxRegExprIdLetter)
RTL_IMPLEMENT_CLASS(TcxRegExprSpace)
RTL_IMPLEMENT_CLASS(TcxRegExprAll)

bool TcxRegExprSymbol::Matches(char& C, bool ACaseInsensitive) {
  if (C == FChar) return true;
  if (ACaseInsensitive && AnsiUpperCase(std::string(1, C)) == AnsiUpperCase(std::string(1, FChar))) {
    C = FChar;
    return true;
  }
  return false;
}

bool TcxRegExprDateSeparator::Matches(char& C, bool) { return C == DateSeparator; }

bool TcxRegExprTimeSeparator::Matches(char& C, bool) { return C == TimeSeparator; }

bool TcxRegExprSubrange::Matches(char& C, bool) {
  auto code = static_cast<unsigned char>(C);
  return static_cast<unsigned char>(FStartChar) <= code && code <= static_cast<unsigned char>(FFinishChar);
}

bool TcxRegExprUserEnumeration::Matches(char& C, bool ACaseInsensitive) {
  // The items see a copy, so that a refused character keeps the case it was typed in.
  char probe = C;
  bool found = false;
  for (auto& item : FItems) {
    if (item->Matches(probe, ACaseInsensitive)) {
      found = true;
      break;
    }
  }
  bool result = found != Inverted();
  if (result && found) C = probe;
  return result;
}

TcxRegExprItem* TcxRegExprUserEnumeration::Copy() const {
  auto* result = New<TcxRegExprUserEnumeration>(Inverted());
  for (auto& item : FItems) result->Add(item->Copy());
  return result;
}

bool TcxRegExprDigit::Matches(char& C, bool) { return isDigitChar(C) != Inverted(); }

bool TcxRegExprIdLetter::Matches(char& C, bool) {
  bool letter = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || isDigitChar(C) || C == '_';
  return letter != Inverted();
}

bool TcxRegExprSpace::Matches(char& C, bool) { return isBlank(C) != Inverted(); }

// ---------------------------------------------------------------------------------------
// States.

RTL_IMPLEMENT_CLASS(TcxRegExprState)
RTL_IMPLEMENT_CLASS(TcxRegExprSimpleState)
RTL_IMPLEMENT_CLASS(TcxRegExprBlockState)
RTL_IMPLEMENT_CLASS(TcxRegExprStates)

TcxRegExprState::TcxRegExprState() : FSuccessors(newStates()) {}

TcxRegExprState::~TcxRegExprState() = default;

TObjectPtr<TcxRegExprStates> TcxRegExprState::Step(char&, bool) { return newStates(); }

TObjectPtr<TcxRegExprStates> TcxRegExprState::Expand() {
  auto result = newStates();
  result->Add(this);
  return result;
}

void TcxRegExprState::AddSuccessor(TcxRegExprState* AState) { FSuccessors->Add(AState); }

void TcxRegExprState::AddSuccessors(TObjectPtr<TcxRegExprStates> AStates) { FSuccessors->AddAll(std::move(AStates)); }

TObjectPtr<TcxRegExprStates> TcxRegExprSimpleState::Step(char& C, bool ACaseInsensitive) {
  auto result = newStates();
  if (FItem && FItem->Matches(C, ACaseInsensitive)) result->Add(this);
  return result;
}

TcxRegExprState* TcxRegExprSimpleState::Copy() const {
  return New<TcxRegExprSimpleState>(FItem ? FItem->Copy() : nullptr);
}

TObjectPtr<TcxRegExprStates> TcxRegExprSimpleState::Expand() {
  auto result = newStates();
  result->Add(this);
  return result;
}

TObjectPtr<TcxRegExprStates> TcxRegExprBlockState::Step(char& C, bool ACaseInsensitive) {
  auto result = newStates();
  const TcxRegExprStates& successors = *Successors();
  for (Integer i = 0; i < successors.Count(); ++i) result->AddAll(successors.Item(i)->Step(C, ACaseInsensitive));
  return result;
}

TObjectPtr<TcxRegExprStates> TcxRegExprBlockState::Expand() {
  auto result = newStates();
  const TcxRegExprStates& successors = *Successors();
  for (Integer i = 0; i < successors.Count(); ++i) result->AddAll(successors.Item(i)->Expand());
  return result;
}

void TcxRegExprStates::AddAll(TObjectPtr<TcxRegExprStates> AStates) {
  if (!AStates) return;
  FItems.insert(FItems.end(), AStates->FItems.begin(), AStates->FItems.end());
}

bool TcxRegExprStates::AnyFinal() const {
  for (TcxRegExprState* state : FItems) {
    auto* simple = dynamic_cast<TcxRegExprSimpleState*>(state);
    if (simple && simple->Final()) return true;
  }
  return false;
}

TObjectPtr<TcxRegExprStates> TcxRegExprStates::Candidates() const {
  auto result = newStates();
  for (TcxRegExprState* state : FItems) {
    const TcxRegExprStates& successors = *state->Successors();
    for (Integer i = 0; i < successors.Count(); ++i) result->AddAll(successors.Item(i)->Expand());
  }
  return result;
}

bool TcxRegExprStates::AllSameLiteral(char& AChar) const {
  if (FItems.empty()) return false;
  char literal = 0;
  for (size_t i = 0; i < FItems.size(); ++i) {
    auto* simple = dynamic_cast<TcxRegExprSimpleState*>(FItems[i]);
    if (!simple || !simple->Item()) return false;
    char c;
    if (auto* symbol = dynamic_cast<TcxRegExprSymbol*>(simple->Item())) c = symbol->Char();
    else if (Is<TcxRegExprTimeSeparator>(simple->Item())) c = TimeSeparator;
    else if (Is<TcxRegExprDateSeparator>(simple->Item())) c = DateSeparator;
    else return false;
    if (i == 0) literal = c;
    else if (c != literal) return false;
  }
  AChar = literal;
  return true;
}

void TcxRegExprStates::RemoveDuplicates() {
  std::unordered_set<TcxRegExprState*> seen;
  std::vector<TcxRegExprState*> unique;
  unique.reserve(FItems.size());
  for (TcxRegExprState* state : FItems)
    if (seen.insert(state).second) unique.push_back(state);
  FItems.swap(unique);
}

// ---------------------------------------------------------------------------------------
// Quantifiers.

RTL_IMPLEMENT_CLASS(TcxRegExprQuantifier)
RTL_IMPLEMENT_CLASS(TcxRegExprSimpleQuantifier)
RTL_IMPLEMENT_CLASS(TcxRegExprQuestionQuantifier)
RTL_IMPLEMENT_CLASS(TcxRegExprStarQuantifier)
RTL_IMPLEMENT_CLASS(TcxRegExprPlusQuantifier)

// ---------------------------------------------------------------------------------------
// The parse tree.

RTL_IMPLEMENT_CLASS(TcxRegExprParserAlt)
RTL_IMPLEMENT_CLASS(TcxRegExprParserAlts)
RTL_IMPLEMENT_CLASS(TcxRegExprParserItem)
RTL_IMPLEMENT_CLASS(TcxRegExprParserSimpleItem)
RTL_IMPLEMENT_CLASS(TcxRegExprParserBlockItem)

TcxRegExprParserAlt::TcxRegExprParserAlt() = default;
TcxRegExprParserAlt::~TcxRegExprParserAlt() = default;

void TcxRegExprParserAlt::Add(TcxRegExprParserItem* AItem) { FItems.emplace_back(AItem); }

TcxRegExprParserItem* TcxRegExprParserAlt::ReplaceItem(Integer Index, TcxRegExprParserItem* ANewItem) {
  auto& slot = FItems.at(static_cast<size_t>(Index));
  TcxRegExprParserItem* old = slot.release();
  slot.reset(ANewItem);
  return old;
}

std::string TcxRegExprParserAlt::DumpText() const {
  std::string result = std::string("<Start_Alt>") + kLineEnd;
  for (auto& item : FItems) result += item->DumpText();
  return result + "<Finish_Alt>" + kLineEnd;
}

std::string TcxRegExprParserAlts::DumpText() const {
  std::string result;
  for (auto& alt : FItems) result += alt->DumpText();
  return result;
}

TcxRegExprParserItem::TcxRegExprParserItem(TcxRegExprQuantifier* AQuantifier)
    : FQuantifier(AQuantifier ? AQuantifier : New<TcxRegExprSimpleQuantifier>()) {}

void TcxRegExprParserItem::ReplaceQuantifier(TcxRegExprQuantifier* AQuantifier) {
  if (AQuantifier) FQuantifier.reset(AQuantifier);
}

TcxRegExprParserSimpleItem::TcxRegExprParserSimpleItem(TcxRegExprItem* AItem, TcxRegExprQuantifier* AQuantifier)
    : TcxRegExprParserItem(AQuantifier), FState(New<TcxRegExprSimpleState>(AItem)) {}

TcxRegExprParserItem* TcxRegExprParserSimpleItem::Copy() const {
  return New<TcxRegExprParserSimpleItem>(FState->Item() ? FState->Item()->Copy() : nullptr, Quantifier()->Copy());
}

std::string TcxRegExprParserSimpleItem::DumpText() const { return "item --> " + Quantifier()->Text() + kLineEnd; }

TcxRegExprParserBlockItem::TcxRegExprParserBlockItem(TcxRegExprQuantifier* AQuantifier)
    : TcxRegExprParserItem(AQuantifier),
      FAlts(New<TcxRegExprParserAlts>()),
      FFinishState(New<TcxRegExprBlockState>()),
      FStartState(New<TcxRegExprBlockState>()) {}

bool TcxRegExprParserBlockItem::MayBeEmpty() const {
  if (AllowsNone()) return true;
  for (Integer a = 0; a < FAlts->Count(); ++a)
    if (allItemsMayBeEmpty(*FAlts->Item(a))) return true;
  return false;
}

TcxRegExprParserItem* TcxRegExprParserBlockItem::Copy() const {
  TObjectPtr<TcxRegExprParserBlockItem> result(New<TcxRegExprParserBlockItem>(Quantifier()->Copy()));
  for (Integer a = 0; a < FAlts->Count(); ++a) {
    const TcxRegExprParserAlt& source = *FAlts->Item(a);
    auto* alt = New<TcxRegExprParserAlt>();
    result->Alts()->Add(alt);
    for (Integer i = 0; i < source.Count(); ++i) alt->Add(source.Item(i)->Copy());
  }
  return result.release();
}

std::string TcxRegExprParserBlockItem::DumpText() const {
  return std::string("<Start_Block>") + kLineEnd + FAlts->DumpText() + "<Finish_Block> --> " + Quantifier()->Text() +
         kLineEnd;
}

void TcxRegExprParserBlockItem::MarkFinal() { markFinal(*FAlts); }

// ---------------------------------------------------------------------------------------
// The automaton.

RTL_IMPLEMENT_CLASS(TcxRegExprAutomat)

TcxRegExprAutomat::TcxRegExprAutomat(TcxRegExprParserAlts* AParseTree, TcxRegExpr* AOwner)
    : FCurrentStates(newStates()),
      FParseTree(AParseTree),
      FOwner(AOwner),
      FStartState(New<TcxRegExprSimpleState>(nullptr)) {
  FStartState->AddSuccessors(firstStates(*FParseTree));
  bool empty = false;
  for (Integer a = 0; a < FParseTree->Count() && !empty; ++a) empty = allItemsMayBeEmpty(*FParseTree->Item(a));
  FStartState->SetFinal(empty);
  FCurrentStates->Add(FStartState.get());
}

TcxRegExprAutomat::~TcxRegExprAutomat() = default;

void TcxRegExprAutomat::pushCurrent(TObjectPtr<TcxRegExprStates> ANewStates) {
  // Paths that meet in the same state go on as one: without this the list could double
  // with every character on a pattern such as (\d+' '?)*.
  ANewStates->RemoveDuplicates();
  FHistory.push_back(std::move(FCurrentStates));
  FCurrentStates = std::move(ANewStates);
}

bool TcxRegExprAutomat::Advance(char& C, bool ACaseInsensitive) {
  auto reached = newStates();
  for (Integer s = 0; s < FCurrentStates->Count(); ++s) {
    const TcxRegExprStates& successors = *FCurrentStates->Item(s)->Successors();
    for (Integer i = 0; i < successors.Count(); ++i) reached->AddAll(successors.Item(i)->Step(C, ACaseInsensitive));
  }
  if (reached->Count() == 0) return false;
  pushCurrent(std::move(reached));
  return true;
}

bool TcxRegExprAutomat::StepBack() {
  if (FHistory.empty()) return false;
  FCurrentStates = std::move(FHistory.back());
  FHistory.pop_back();
  return true;
}

void TcxRegExprAutomat::Restart() {
  FHistory.clear();
  FCurrentStates = newStates();
  FCurrentStates->Add(FStartState.get());
}

bool TcxRegExprAutomat::IsAtStart() const {
  return FCurrentStates->Count() > 0 && FCurrentStates->Item(0) == FStartState.get();
}

void TcxRegExprAutomat::InsertForced() {
  while (!IsAccepting()) {
    auto candidates = Candidates();
    char c;
    if (!candidates->AllSameLiteral(c)) return;
    if (FOwner) FOwner->DoForcedInsert(c);
    pushCurrent(std::move(candidates));
  }
}

void TcxRegExprAutomat::RemoveForced() {
  char c;
  while (FCurrentStates->AllSameLiteral(c) && !FHistory.empty()) {
    // The previous list stays in the history until the event has run, so that a handler
    // that raises leaves the automaton as it was.
    const TcxRegExprStates& previous = *FHistory.back();
    char previousLiteral;
    if (!previous.Candidates()->AllSameLiteral(previousLiteral) || previous.AnyFinal()) return;
    if (FOwner) FOwner->DoForcedRemove();
    FCurrentStates = std::move(FHistory.back());
    FHistory.pop_back();
  }
}

// ---------------------------------------------------------------------------------------
// TcxRegExpr.

RTL_IMPLEMENT_CLASS(TcxRegExpr)

TcxRegExpr::TcxRegExpr()
    : FErrors(New<TcxRegExprErrors>()), FLexems(New<TcxLexems>()), FSourceStream(New<TMemoryStream>()) {}

TcxRegExpr::~TcxRegExpr() { ClearAll(); }

void TcxRegExpr::ClearAll() {
  FSourceStream->SetSize(0);
  FErrors->Clear();
  FLexems->Clear();
  FGroups.clear();
  FAutomat.reset();
  FSourcePos = 0;
  FLexemPos = 0;
  FColumn = 0;
  FLine = 1;
  FCompiled = false;
}

void TcxRegExpr::Compile(TStream* AStream) {
  if (FFirstCompile) FFirstCompile = false;
  else ClearAll();

  if (!AStream) {
    addError(0, 0, resText(scxMaskSourceStreamNotAssigned));
    raiseErrors();
  }
  FSourceStream->CopyFrom(AStream, 0);

  const char* source = static_cast<const char*>(FSourceStream->Memory());
  if (std::all_of(source, source + FSourceStream->Size(), isBlank)) {
    addError(0, 0, resText(scxMaskSourceStreamEmpty));
    raiseErrors();
  }

  lexSource();
  if (FErrors->Count() > 0) raiseErrors();

  TObjectPtr<TcxRegExprParserAlts> tree(New<TcxRegExprParserAlts>());
  bool another;
  do {
    auto* alt = New<TcxRegExprParserAlt>();
    tree->Add(alt);
    another = parseAlt(alt, true);
  } while (another);
  if (FErrors->Count() > 0) {
    tree.reset();
    FGroups.clear();  // they lived in the tree
    raiseErrors();
  }

  link(*tree);
  markFinal(*tree);
  FAutomat.reset(New<TcxRegExprAutomat>(tree.release(), this));
  FCompiled = true;
  if (FAutoInsert) FAutomat->InsertForced();
}

void TcxRegExpr::CheckCompiled() const {
  if (!FCompiled) throw Exception(resText(scxRegExprNotCompiled));
}

bool TcxRegExpr::Advance(char& C) {
  CheckCompiled();
  bool result = FAutomat->Advance(C, FCaseInsensitive);
  if (result && FAutoInsert && !FAutomat->IsAccepting()) FAutomat->InsertForced();
  return result;
}

void TcxRegExpr::AdvanceText(const std::string& AText, std::string& AAcceptedText) {
  CheckCompiled();
  AAcceptedText.clear();
  for (char c : AText) {
    char offered = c;
    if (FAutomat->Advance(offered, FCaseInsensitive)) AAcceptedText += c;
  }
}

bool TcxRegExpr::StepBack() {
  CheckCompiled();
  if (FAutoInsert) FAutomat->RemoveForced();
  return FAutomat->StepBack();
}

void TcxRegExpr::Restart() {
  CheckCompiled();
  FAutomat->Restart();
}

bool TcxRegExpr::IsAccepting() {
  CheckCompiled();
  return FAutomat->IsAccepting();
}

bool TcxRegExpr::IsAtStart() {
  CheckCompiled();
  return FAutomat->IsAtStart();
}

void TcxRegExpr::SetAutoInsert(bool Value) {
  FAutoInsert = Value;
  if (Value && FCompiled) FAutomat->InsertForced();
}

void TcxRegExpr::DoForcedInsert(char AChar) {
  if (FOnForcedInsert) FOnForcedInsert(AChar);
}

void TcxRegExpr::DoForcedRemove() {
  if (FOnForcedRemove) FOnForcedRemove();
}

// ---------------------------------------------------------------------------------------
// Errors.

void TcxRegExpr::addError(Integer ALine, Integer AColumn, const std::string& AMessage) {
  FErrors->Add(New<TcxRegExprError>(ALine, AColumn, AMessage));
}

void TcxRegExpr::addError(const TcxLexem& AAt, const std::string& AMessage) {
  addError(AAt.Line, AAt.Column, AMessage);
}

// At the column after the last character of the source.
void TcxRegExpr::addErrorAtEnd(const std::string& AMessage) { addError(FLine, FColumn + 1, AMessage); }

void TcxRegExpr::raiseErrors() { throw EcxRegExprError(FErrors.get()); }

// ---------------------------------------------------------------------------------------
// Reading the source. The reader counts lines by CR and columns from the last LF, so with
// CR LF line ends the first character of a line is in column 1.

bool TcxRegExpr::atEnd() const { return FSourcePos >= FSourceStream->Size(); }

char TcxRegExpr::readChar() {
  char c = static_cast<const char*>(FSourceStream->Memory())[FSourcePos++];
  if (c == 13) ++FLine;
  if (c == 10) FColumn = 0;
  else ++FColumn;
  return c;
}

bool TcxRegExpr::peekChar(Integer AOffset, char& AChar) const {
  Int64 index = static_cast<Int64>(FSourcePos) + AOffset;
  if (index >= FSourceStream->Size()) return false;
  AChar = static_cast<const char*>(FSourceStream->Memory())[index];
  return true;
}

// The next character inside quotes, a set or braces, with its position; at the end of the
// source the missing closer is reported instead and the answer is false.
bool TcxRegExpr::readEnclosed(const char* ACloser, char& AChar, Integer& ALine, Integer& AColumn) {
  if (atEnd()) {
    addErrorAtEnd(resFormat(scxRegExprMissing, ACloser));
    return false;
  }
  AChar = readChar();
  ALine = FLine;
  AColumn = FColumn;
  return true;
}

void TcxRegExpr::addLexem(LexemKind AKind, const std::string& AText, Integer ALine, Integer AColumn) {
  TcxLexem lexem;
  lexem.Column = AColumn;
  lexem.Kind = AKind;
  lexem.Line = ALine;
  lexem.Text = AText;
  FLexems->Add(lexem);
}

void TcxRegExpr::lexSource() {
  Integer depth = 0;  // open parentheses minus closed ones
  while (!atEnd()) {
    char c = readChar();
    Integer line = FLine, column = FColumn;
    if (isBlank(c)) continue;
    switch (c) {
      case '\'': lexQuoted(); break;
      case '(':
        ++depth;
        addLexem(LexemKind::Operator, "(", line, column);
        break;
      case ')':
        --depth;
        addLexem(LexemKind::Operator, ")", line, column);
        break;
      case '*': case '+': case '?': case '|': addLexem(LexemKind::Operator, std::string(1, c), line, column); break;
      case '.': addLexem(LexemKind::Any, ".", line, column); break;
      case '/': addLexem(LexemKind::DateSeparator, "/", line, column); break;
      case ':': addLexem(LexemKind::TimeSeparator, ":", line, column); break;
      case '[':
        addLexem(LexemKind::Operator, "[", line, column);
        lexSet();
        break;
      case '{':
        addLexem(LexemKind::Operator, "{", line, column);
        lexBraces();
        break;
      case '\\': lexEscape(line, column); break;
      default: addLexem(LexemKind::Literal, std::string(1, c), line, column); break;
    }
  }
  if (depth > 0) addError(0, 0, resFormat(scxRegExprMissing, ")"));
  else if (depth < 0) addError(0, 0, resFormat(scxRegExprUnnecessary, ")"));
}

// After an opening quote: literals up to the closing one; a doubled quote is one quote.
void TcxRegExpr::lexQuoted() {
  char c;
  Integer line, column;
  while (readEnclosed(" ' ", c, line, column)) {
    if (c == '\'') {
      char next;
      if (!peekChar(0, next) || next != '\'') return;
      readChar();
    }
    addLexem(LexemKind::Literal, std::string(1, c), line, column);
  }
}

// After a backslash at ALine, AColumn (the lexeme's position).
void TcxRegExpr::lexEscape(Integer ALine, Integer AColumn) {
  if (atEnd()) return;  // a trailing backslash stands for nothing
  char c = readChar();
  if (isBlank(c)) {
    addError(FLine, FColumn, resText(scxRegExprSpaceAfterBackslash));
    return;
  }
  auto literal = [&](char AChar) { addLexem(LexemKind::Literal, std::string(1, AChar), ALine, AColumn); };
  switch (c) {
    case 'd': addLexem(LexemKind::Digit, "d", ALine, AColumn); break;
    case 'D': addLexem(LexemKind::NotDigit, "D", ALine, AColumn); break;
    case 'w': addLexem(LexemKind::IdLetter, "w", ALine, AColumn); break;
    case 'W': addLexem(LexemKind::NotIdLetter, "W", ALine, AColumn); break;
    case 's': addLexem(LexemKind::Space, "s", ALine, AColumn); break;
    case 'S': addLexem(LexemKind::NotSpace, "S", ALine, AColumn); break;
    case 'a': literal(7); break;
    case 'e': literal(27); break;
    case 'f': literal(12); break;
    case 'n': literal(10); break;
    case 'r': literal(13); break;
    case 't': literal(9); break;
    case 'x': {
      int value = 0;
      for (int i = 0; i < 2; ++i) {
        if (atEnd()) {
          addErrorAtEnd(resText(scxRegExprHexExpected));
          return;
        }
        char h = readChar();
        int digit = hexDigitValue(h);
        if (digit < 0) {
          addError(FLine, FColumn, resFormat(scxRegExprHexExpectedButFound, std::string(1, h)));
          return;
        }
        value = value * 16 + digit;
      }
      literal(static_cast<char>(value));
      break;
    }
    default:
      if (c >= '1' && c <= '9') addLexem(LexemKind::BackCopy, std::string(1, c), ALine, AColumn);
      else literal(c);
      break;
  }
}

// After "[": up to and including the closing "]".
void TcxRegExpr::lexSet() {
  bool first = true;
  char c;
  Integer line, column;
  while (readEnclosed("]", c, line, column)) {
    if (isBlank(c)) continue;
    bool wasFirst = first;
    first = false;
    switch (c) {
      case '\'': lexQuoted(); continue;
      case '\\': lexEscape(line, column); continue;
      case '/': addLexem(LexemKind::DateSeparator, "/", line, column); continue;
      case ':': addLexem(LexemKind::TimeSeparator, ":", line, column); continue;
      default: break;
    }
    if (c == ']') {
      addLexem(LexemKind::Operator, "]", line, column);
      return;
    }
    if (wasFirst && c == '^') {
      addLexem(LexemKind::Operator, "^", line, column);
    } else if (!wasFirst && c == '-') {
      // A minus right before the closing bracket is a literal; elsewhere it makes a range.
      char next = 0;
      Integer offset = 0;
      while (peekChar(offset, next) && isBlank(next)) ++offset;
      bool beforeClose = peekChar(offset, next) && next == ']';
      addLexem(beforeClose ? LexemKind::Literal : LexemKind::Operator, "-", line, column);
    } else {
      addLexem(LexemKind::Literal, std::string(1, c), line, column);
    }
  }
}

// After "{": up to and including the closing "}".
void TcxRegExpr::lexBraces() {
  char c;
  Integer line, column;
  while (readEnclosed("}", c, line, column)) {
    if (isBlank(c)) continue;
    if (isDigitChar(c)) {
      std::string digits(1, c);
      char next;
      while (peekChar(0, next) && isDigitChar(next)) digits += readChar();
      addLexem(LexemKind::Number, digits, line, column);
    } else if (c == ',') {
      addLexem(LexemKind::Operator, ",", line, column);
    } else if (c == '}') {
      addLexem(LexemKind::Operator, "}", line, column);
      return;
    } else {
      addError(line, column, resFormat(scxRegExprIllegalSymbol, c == '\'' ? std::string(" ' ") : std::string(1, c)));
    }
  }
}

// ---------------------------------------------------------------------------------------
// Parsing.

bool TcxRegExpr::nextLexem(TcxLexem& ALexem) {
  if (FLexemPos >= FLexems->Count()) return false;
  ALexem = FLexems->Item(FLexemPos++);
  return true;
}

bool TcxRegExpr::peekLexem(TcxLexem& ALexem) const {
  if (FLexemPos >= FLexems->Count()) return false;
  ALexem = FLexems->Item(FLexemPos);
  return true;
}

// Fills AAlt; the answer tells whether another alternative follows.
bool TcxRegExpr::parseAlt(TcxRegExprParserAlt* AAlt, bool ATopLevel) {
  TcxLexem lexem;
  if (!nextLexem(lexem)) {
    addError(0, 0, resText(scxRegExprEmptyAlternative));
    return false;
  }
  if (isOperator(lexem, '|')) {
    addError(lexem, resText(scxRegExprEmptyAlternative));
    return true;
  }
  if (!ATopLevel && isOperator(lexem, ')')) {
    addError(lexem, resText(scxRegExprEmptyBlock));
    return false;
  }

  TcxRegExprParserItem* last = nullptr;  // what a quantifier applies to
  auto append = [&](TcxRegExprParserItem* AItem) {
    AAlt->Add(AItem);
    last = AItem;
  };
  for (;;) {
    switch (lexem.Kind) {
      case LexemKind::Number: addError(lexem, resText(scxRegExprIllegalInteger)); break;
      case LexemKind::BackCopy: {
        size_t number = static_cast<size_t>(lexem.Text[0] - '0');
        if (number <= FGroups.size()) append(FGroups[number - 1]->Copy());
        else addError(lexem, resText(scxRegExprTooBigReference));
        break;
      }
      case LexemKind::Operator: {
        char op = lexem.Text[0];
        switch (op) {
          case '(': append(parseGroup()); break;
          case ')':
            if (!ATopLevel) return false;
            addError(lexem, resFormat(scxRegExprIllegalSymbol, ")"));
            break;
          case '|': return true;
          case '[': append(parseSet()); break;
          case '*':
          case '+':
            if (!last) addError(lexem, resFormat(scxRegExprIllegalQuantifier, std::string(1, op)));
            else if (last->MayBeEmpty())
              addError(lexem, resText(op == '*' ? scxRegExprStarNotApplicable : scxRegExprPlusNotApplicable));
            else if (op == '*') applyQuantifier(AAlt, last, New<TcxRegExprStarQuantifier>());
            else applyQuantifier(AAlt, last, New<TcxRegExprPlusQuantifier>());
            break;
          case '?':
            if (!last) addError(lexem, resFormat(scxRegExprIllegalQuantifier, "?"));
            else applyQuantifier(AAlt, last, New<TcxRegExprQuestionQuantifier>());
            break;
          case '{':
            // Without an item the braces' lexemes are met one by one as strays.
            if (!last) addError(lexem, resText(scxRegExprIncorrectParameterQuantifier));
            else parseCountedQuantifier(AAlt, last, lexem);
            break;
          case ']':
          case '}':
          case '-': addError(lexem, resFormat(scxRegExprIllegalSymbol, std::string(1, op))); break;
          default: break;  // a stray "," or "^" means nothing
        }
        break;
      }
      default: append(New<TcxRegExprParserSimpleItem>(newCharItem(lexem))); break;
    }
    if (!nextLexem(lexem)) return false;
  }
}

// After "(": the group's alternatives up to its ")".
TcxRegExprParserItem* TcxRegExpr::parseGroup() {
  TObjectPtr<TcxRegExprParserBlockItem> group(New<TcxRegExprParserBlockItem>());
  // Listed before its content is read, so that a back-copy inside sees it as it is so far.
  FGroups.push_back(group.get());
  bool another;
  do {
    auto* alt = New<TcxRegExprParserAlt>();
    group->Alts()->Add(alt);
    another = parseAlt(alt, false);
  } while (another);
  return group.release();
}

// After "[": the set up to its "]", as one item.
TcxRegExprParserItem* TcxRegExpr::parseSet() {
  auto* enumeration = New<TcxRegExprUserEnumeration>(false);
  TObjectPtr<TcxRegExprParserItem> item(New<TcxRegExprParserSimpleItem>(enumeration));

  auto addElement = [&](const TcxLexem& AElement) {
    if (TcxRegExprItem* charItem = newCharItem(AElement)) enumeration->Add(charItem);
    else if (AElement.Kind == LexemKind::BackCopy)
      addError(AElement, resFormat(scxRegExprIllegalSymbol, "\\" + AElement.Text));
  };

  TcxLexem lexem;
  if (!nextLexem(lexem)) return item.release();
  if (isOperator(lexem, '^')) {
    enumeration->SetInverted(true);
    if (!nextLexem(lexem)) return item.release();
  }
  if (isOperator(lexem, ']')) {
    addError(lexem, resText(scxRegExprEmptyEnumeration));
    return item.release();
  }
  for (;;) {
    if (isOperator(lexem, ']')) break;
    TcxLexem dash, finish;
    if (isOperator(lexem, '-')) {
      // A range operator with no element before it (at the start, or right after a range).
      addError(lexem, resFormat(scxRegExprIllegalSymbol, "-"));
    } else if (peekLexem(dash) && isOperator(dash, '-')) {
      nextLexem(dash);
      if (lexem.Kind == LexemKind::Literal && peekLexem(finish) && finish.Kind == LexemKind::Literal) {
        nextLexem(finish);
        if (static_cast<unsigned char>(lexem.Text[0]) < static_cast<unsigned char>(finish.Text[0]))
          enumeration->Add(New<TcxRegExprSubrange>(lexem.Text[0], finish.Text[0]));
        else addError(finish, resText(scxRegExprSubrangeOrder));
      } else {
        // Only two literals make a range: a class or a separator has no character code
        // to range over.
        addElement(lexem);
        addError(dash, resFormat(scxRegExprIllegalSymbol, "-"));
      }
    } else {
      addElement(lexem);
    }
    if (!nextLexem(lexem)) break;
  }
  return item.release();
}

// "?", "*" or "+" on the last item. An item that already has a quantifier is wrapped in a new
// group that takes the new one, so a+? means (a+)?.
void TcxRegExpr::applyQuantifier(TcxRegExprParserAlt* AAlt, TcxRegExprParserItem*& ALastItem,
                                 TcxRegExprQuantifier* AQuantifier) {
  TObjectPtr<TcxRegExprQuantifier> quantifier(AQuantifier);
  if (ALastItem->HasNoQuantifier()) {
    ALastItem->ReplaceQuantifier(quantifier.release());
    return;
  }
  auto* wrapper = New<TcxRegExprParserBlockItem>(quantifier.release());
  auto* alt = New<TcxRegExprParserAlt>();
  wrapper->Alts()->Add(alt);
  TcxRegExprParserItem* wrapped = AAlt->ReplaceItem(AAlt->Count() - 1, wrapper);
  alt->Add(wrapped);
  ALastItem = wrapper;
}

// After "{" that follows an item: {n}, {n,} or {n,m}. A malformed quantifier is reported at
// the lexeme where it went wrong and the rest of the braces is passed over; the expansion
// then runs with what was read (the compile fails anyway).
void TcxRegExpr::parseCountedQuantifier(TcxRegExprParserAlt* AAlt, TcxRegExprParserItem*& ALastItem,
                                        const TcxLexem& ABrace) {
  auto readCount = [](const TcxLexem& ALexem, Integer& ACount) {
    if (ALexem.Kind != LexemKind::Number) return false;
    Integer value = 0;
    for (char digit : ALexem.Text) {
      value = value * 10 + (digit - '0');
      if (value > kMaxQuantifierCount) return false;
    }
    ACount = value;
    return true;
  };

  Integer minCount = 0, maxCount = 0;
  bool haveMax = false, unbounded = false;
  enum class Reading { Complete, StoppedAt, RanOut };
  auto readParameters = [&](TcxLexem& ALexem) {
    if (!nextLexem(ALexem)) return Reading::RanOut;
    if (!readCount(ALexem, minCount)) return Reading::StoppedAt;
    if (!nextLexem(ALexem)) return Reading::RanOut;
    if (isOperator(ALexem, '}')) return Reading::Complete;
    if (!isOperator(ALexem, ',')) return Reading::StoppedAt;
    if (!nextLexem(ALexem)) return Reading::RanOut;
    if (isOperator(ALexem, '}')) {
      unbounded = true;
      return Reading::Complete;
    }
    if (!readCount(ALexem, maxCount)) return Reading::StoppedAt;
    haveMax = true;
    if (maxCount < minCount) return Reading::StoppedAt;
    if (!nextLexem(ALexem)) return Reading::RanOut;
    return isOperator(ALexem, '}') ? Reading::Complete : Reading::StoppedAt;
  };

  TcxLexem lexem;
  Reading reading = readParameters(lexem);
  if (reading == Reading::RanOut) {
    addError(ABrace, resText(scxRegExprIncorrectParameterQuantifier));
  } else if (reading == Reading::StoppedAt) {
    addError(lexem, resText(scxRegExprIncorrectParameterQuantifier));
    TcxLexem skipped = lexem;
    while (!isOperator(skipped, '}') && nextLexem(skipped)) {
    }
  }
  if (!haveMax) maxCount = minCount;
  expandCounted(AAlt, ALastItem, ABrace, minCount, maxCount, unbounded);
}

// Replaces the last item X by a group of AMin copies of X followed by X* (unbounded) or by
// the nested optional copies up to AMax: x{2,4} becomes x x (x (x)?)?.
void TcxRegExpr::expandCounted(TcxRegExprParserAlt* AAlt, TcxRegExprParserItem*& ALastItem, const TcxLexem& ABrace,
                               Integer AMin, Integer AMax, bool AUnbounded) {
  TcxRegExprParserItem* source = ALastItem;
  // An unbounded repeat of something that can match nothing would loop through the group's
  // junctions without consuming a character; it is refused like "*" on such an item.
  if (source->AllowsNone() || (AUnbounded && source->MayBeEmpty())) {
    addError(ABrace, resText(scxRegExprParameterQuantifierNotApplicable));
    return;
  }

  TObjectPtr<TcxRegExprParserBlockItem> group(New<TcxRegExprParserBlockItem>());
  auto* alt = New<TcxRegExprParserAlt>();
  group->Alts()->Add(alt);
  TcxRegExprParserItem* firstCopy = nullptr;
  auto copySource = [&]() {
    TcxRegExprParserItem* copy = source->Copy();
    if (!firstCopy) firstCopy = copy;
    return copy;
  };

  for (Integer i = 0; i < AMin; ++i) alt->Add(copySource());
  if (AUnbounded) {
    TcxRegExprParserItem* copy = copySource();
    copy->ReplaceQuantifier(New<TcxRegExprStarQuantifier>());
    alt->Add(copy);
  } else if (AMax > AMin) {
    // Copies made in text order, then nested from the innermost (which takes "?") outwards.
    std::vector<TObjectPtr<TcxRegExprParserItem>> copies;
    for (Integer d = AMin; d < AMax; ++d) copies.emplace_back(copySource());
    TObjectPtr<TcxRegExprParserItem> chain(copies.back().release());
    chain->ReplaceQuantifier(New<TcxRegExprQuestionQuantifier>());
    for (size_t k = copies.size() - 1; k-- > 0;) {
      auto* optional = New<TcxRegExprParserBlockItem>(New<TcxRegExprQuestionQuantifier>());
      auto* optionalAlt = New<TcxRegExprParserAlt>();
      optional->Alts()->Add(optionalAlt);
      optionalAlt->Add(copies[k].release());
      optionalAlt->Add(chain.release());
      chain.reset(optional);
    }
    alt->Add(chain.release());
  }

  // The group list must not keep the item that goes away: the source group now stands for
  // its whole expansion, and a group inside it for its counterpart in the first copy.
  std::vector<TcxRegExprParserBlockItem*> sourceGroups, copyGroups;
  collectInnerGroups(source, sourceGroups);
  if (firstCopy) collectInnerGroups(firstCopy, copyGroups);
  for (auto& entry : FGroups) {
    if (entry == source) {
      entry = group.get();
      continue;
    }
    auto found = std::find(sourceGroups.begin(), sourceGroups.end(), entry);
    if (found != sourceGroups.end())
      entry = firstCopy ? copyGroups[static_cast<size_t>(found - sourceGroups.begin())] : group.get();
  }

  auto* expansion = group.release();
  TObjectPtr<TcxRegExprParserItem> discarded(AAlt->ReplaceItem(AAlt->Count() - 1, expansion));
  ALastItem = expansion;
}
