#pragma once
// cxRegExpr: the regular expressions of the masked editor's expression masks.
//
// The syntax is made for input masks: whitespace outside quotes is ignored, literal text may
// be quoted ('a b'), "/" and ":" stand for the locale's date and time separators, \1 .. \9
// copy the pattern of an earlier group, and counted quantifiers {n}, {n,}, {n,m} are expanded
// into plain groups. TcxRegExpr compiles a source text into a tree of alternatives and items,
// links the tree into states and matches it one character at a time: the editor offers each
// typed character (Advance), steps back when one is deleted (StepBack), asks whether the text
// so far is complete (IsAccepting), and can let the expression type the characters that are
// the only possible continuation (AutoInsert with OnForcedInsert / OnForcedRemove).
//
// Texts are 8-bit characters; everything runs on the GUI thread.
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"

class TcxRegExpr;
class TcxRegExprAutomat;
class TcxRegExprStates;
class TcxRegExprParserAlts;
class TcxRegExprParserBlockItem;
class TcxRegExprParserItem;

// ---------------------------------------------------------------------------------------
// Lexemes.

// What a lexeme stands for (the numbering is part of the lexeme record).
enum class LexemKind : Integer {
  Literal = 0,        // one character, after escape or quote processing
  Operator = 1,       // ( ) | * + ? [ ] ^ { } , -
  Number = 2,         // decimal digits, only inside braces
  Any = 3,            // "."
  IdLetter = 4,       // \w
  NotIdLetter = 5,    // \W
  Digit = 6,          // \d
  NotDigit = 7,       // \D
  Space = 8,          // \s
  NotSpace = 9,       // \S
  BackCopy = 10,      // \1 .. \9; the text is the digit
  DateSeparator = 11, // "/"
  TimeSeparator = 12, // ":"
};

struct TcxLexem {
  Integer Column = 0;
  LexemKind Kind = LexemKind::Literal;
  Integer Line = 0;
  std::string Text;
};

// The lexemes of one source, in source order (each kept as a copy of its own).
class TcxLexems : public TObject {
  RTL_DECLARE_CLASS(TcxLexems, TObject)
public:
  void Add(const TcxLexem& ALexem) { FItems.push_back(ALexem); }
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // A copy of the lexeme at Index.
  TcxLexem Item(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }

private:
  std::vector<TcxLexem> FItems;
};

// ---------------------------------------------------------------------------------------
// Errors.

// One syntax error with its position (line 0: no position; column 0: no column).
class TcxRegExprError : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprError, TObject)
public:
  TcxRegExprError(Integer ALine, Integer AColumn, const std::string& AMessage)
      : FColumn(AColumn), FLine(ALine), FMessage(AMessage) {}

  Integer Column() const { return FColumn; }
  Integer Line() const { return FLine; }
  const std::string& Message() const { return FMessage; }
  // The display text: "Line<l>, Char<c>: <message>" (the column part only when the column
  // is above 0), or the message alone for an error without a position.
  std::string Text() const;

private:
  Integer FColumn;
  Integer FLine;
  std::string FMessage;
};

// The errors of the last compile, in the order they were found. Owns them.
class TcxRegExprErrors : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprErrors, TObject)
public:
  void Add(TcxRegExprError* AError) { FItems.emplace_back(AError); }
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxRegExprError* Item(Integer Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }

private:
  std::vector<TObjectPtr<TcxRegExprError>> FItems;
};

// Raised by a failed compile. It refers to the compiling object's error list (neither a copy
// nor owned; valid while that object lives and until it compiles again) and carries no
// message of its own: the catcher reads the errors.
class EcxRegExprError : public Exception {
  RTL_DECLARE_CLASS(EcxRegExprError, Exception)
public:
  explicit EcxRegExprError(TcxRegExprErrors* AErrors) : FErrors(AErrors) {}
  TcxRegExprErrors* Errors() const { return FErrors; }

private:
  TcxRegExprErrors* FErrors;
};

// ---------------------------------------------------------------------------------------
// Character items: what one character of the text is matched against.

class TcxRegExprItem : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprItem, TObject)
public:
  // Whether C matches. A case-insensitive match against a literal hands C back in the
  // literal's own case.
  virtual bool Matches(char& C, bool ACaseInsensitive) = 0;
  // An equal item.
  virtual TcxRegExprItem* Copy() const = 0;
};

// One literal character; with the case-insensitive flag the locale's upper-case forms are
// compared.
class TcxRegExprSymbol : public TcxRegExprItem {
  RTL_DECLARE_CLASS(TcxRegExprSymbol, TcxRegExprItem)
public:
  explicit TcxRegExprSymbol(char AChar) : FChar(AChar) {}
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprSymbol(FChar); }
  char Char() const { return FChar; }

private:
  char FChar;
};

// The locale's date separator as it is when the character is offered.
class TcxRegExprDateSeparator : public TcxRegExprItem {
  RTL_DECLARE_CLASS(TcxRegExprDateSeparator, TcxRegExprItem)
public:
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprDateSeparator(); }
};

// The locale's time separator as it is when the character is offered.
class TcxRegExprTimeSeparator : public TcxRegExprItem {
  RTL_DECLARE_CLASS(TcxRegExprTimeSeparator, TcxRegExprItem)
public:
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprTimeSeparator(); }
};

// The characters from Start to Finish (by their codes), always case-sensitive.
class TcxRegExprSubrange : public TcxRegExprItem {
  RTL_DECLARE_CLASS(TcxRegExprSubrange, TcxRegExprItem)
public:
  TcxRegExprSubrange(char AStartChar, char AFinishChar) : FStartChar(AStartChar), FFinishChar(AFinishChar) {}
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprSubrange(FStartChar, FFinishChar); }
  char StartChar() const { return FStartChar; }
  char FinishChar() const { return FFinishChar; }

private:
  char FStartChar;
  char FFinishChar;
};

// A character class that may be inverted.
class TcxRegExprEnumeration : public TcxRegExprItem {
  RTL_DECLARE_CLASS(TcxRegExprEnumeration, TcxRegExprItem)
public:
  explicit TcxRegExprEnumeration(bool AInverted) : FInverted(AInverted) {}
  bool Inverted() const { return FInverted; }
  void SetInverted(bool Value) { FInverted = Value; }

private:
  bool FInverted;
};

// A set written in brackets: its items are tried in order. A character it refuses comes back
// unchanged (an inverted set whose literal matched does not change the character's case).
class TcxRegExprUserEnumeration : public TcxRegExprEnumeration {
  RTL_DECLARE_CLASS(TcxRegExprUserEnumeration, TcxRegExprEnumeration)
public:
  explicit TcxRegExprUserEnumeration(bool AInverted = false) : TcxRegExprEnumeration(AInverted) {}
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override;
  // Takes ownership of AItem.
  void Add(TcxRegExprItem* AItem) { FItems.emplace_back(AItem); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxRegExprItem* Item(Integer Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }

private:
  std::vector<TObjectPtr<TcxRegExprItem>> FItems;
};

// 0 to 9.
class TcxRegExprDigit : public TcxRegExprEnumeration {
  RTL_DECLARE_CLASS(TcxRegExprDigit, TcxRegExprEnumeration)
public:
  explicit TcxRegExprDigit(bool AInverted = false) : TcxRegExprEnumeration(AInverted) {}
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprDigit(Inverted()); }
};

// A-Z, a-z, 0-9 and the underscore.
class TcxRegExprIdLetter : public TcxRegExprEnumeration {
  RTL_DECLARE_CLASS(TcxRegExprIdLetter, TcxRegExprEnumeration)
public:
  explicit TcxRegExprIdLetter(bool AInverted = false) : TcxRegExprEnumeration(AInverted) {}
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprIdLetter(Inverted()); }
};

// NUL, TAB, LF, FF, CR and space.
class TcxRegExprSpace : public TcxRegExprEnumeration {
  RTL_DECLARE_CLASS(TcxRegExprSpace, TcxRegExprEnumeration)
public:
  explicit TcxRegExprSpace(bool AInverted = false) : TcxRegExprEnumeration(AInverted) {}
  bool Matches(char& C, bool ACaseInsensitive) override;
  TcxRegExprItem* Copy() const override { return new TcxRegExprSpace(Inverted()); }
};

// Any character.
class TcxRegExprAll : public TcxRegExprItem {
  RTL_DECLARE_CLASS(TcxRegExprAll, TcxRegExprItem)
public:
  bool Matches(char&, bool) override { return true; }
  TcxRegExprItem* Copy() const override { return new TcxRegExprAll(); }
};

// ---------------------------------------------------------------------------------------
// States.

// A state of the automaton. Its successor list is owned; the states in it are not (the parse
// tree owns them).
class TcxRegExprState : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprState, TObject)
public:
  TcxRegExprState();
  ~TcxRegExprState() override;

  // The character-bearing states reached by C from here (a new list). C may come back in
  // another case (see TcxRegExprSymbol).
  virtual TObjectPtr<TcxRegExprStates> Step(char& C, bool ACaseInsensitive);
  // A new state of the same kind, without successors.
  virtual TcxRegExprState* Copy() const { return new TcxRegExprState(); }
  // The character-bearing states this state stands for (a new list).
  virtual TObjectPtr<TcxRegExprStates> Expand();

  void AddSuccessor(TcxRegExprState* AState);
  // Appends every entry of AStates (duplicates kept) and frees the list object.
  void AddSuccessors(TObjectPtr<TcxRegExprStates> AStates);
  TcxRegExprStates* Successors() const { return FSuccessors.get(); }

private:
  TObjectPtr<TcxRegExprStates> FSuccessors;
};

// A state that consumes one character matching its item. The automaton's start state is the
// one simple state without an item.
class TcxRegExprSimpleState : public TcxRegExprState {
  RTL_DECLARE_CLASS(TcxRegExprSimpleState, TcxRegExprState)
public:
  // Takes ownership of AItem (none for the start state).
  explicit TcxRegExprSimpleState(TcxRegExprItem* AItem) : FItem(AItem) {}

  TObjectPtr<TcxRegExprStates> Step(char& C, bool ACaseInsensitive) override;
  TcxRegExprState* Copy() const override;
  TObjectPtr<TcxRegExprStates> Expand() override;

  // Reaching this state completes a match.
  bool Final() const { return FFinal; }
  void SetFinal(bool Value) { FFinal = Value; }
  TcxRegExprItem* Item() const { return FItem.get(); }

private:
  bool FFinal = false;
  TObjectPtr<TcxRegExprItem> FItem;
};

// A transparent junction at the start or the end of a group: stepping or expanding it steps or
// expands its successors.
class TcxRegExprBlockState : public TcxRegExprState {
  RTL_DECLARE_CLASS(TcxRegExprBlockState, TcxRegExprState)
public:
  TObjectPtr<TcxRegExprStates> Step(char& C, bool ACaseInsensitive) override;
  TcxRegExprState* Copy() const override { return new TcxRegExprBlockState(); }
  TObjectPtr<TcxRegExprStates> Expand() override;
};

// An ordered list of states (not owned), with the queries the matcher asks of it.
class TcxRegExprStates : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprStates, TObject)
public:
  void Add(TcxRegExprState* AState) { FItems.push_back(AState); }
  // Appends the entries of AStates and frees that list object.
  void AddAll(TObjectPtr<TcxRegExprStates> AStates);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxRegExprState* Item(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }

  // Some entry is a final simple state.
  bool AnyFinal() const;
  // The concatenated expansions of every entry's successors, in order: the states one
  // character further on (a new list).
  TObjectPtr<TcxRegExprStates> Candidates() const;
  // The list is not empty and every entry is a simple state holding a literal or a separator,
  // all with the same character (separators as the locale has them now); that character goes
  // to AChar.
  bool AllSameLiteral(char& AChar) const;
  // Keeps the first occurrence of every state, in order.
  void RemoveDuplicates();

private:
  std::vector<TcxRegExprState*> FItems;
};

// ---------------------------------------------------------------------------------------
// Quantifiers.

class TcxRegExprQuantifier : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprQuantifier, TObject)
public:
  virtual bool AllowsNone() const = 0;
  virtual bool AllowsMany() const = 0;
  virtual TcxRegExprQuantifier* Copy() const = 0;
  virtual std::string Text() const = 0;
};

// Exactly once (no quantifier written).
class TcxRegExprSimpleQuantifier : public TcxRegExprQuantifier {
  RTL_DECLARE_CLASS(TcxRegExprSimpleQuantifier, TcxRegExprQuantifier)
public:
  bool AllowsNone() const override { return false; }
  bool AllowsMany() const override { return false; }
  TcxRegExprQuantifier* Copy() const override { return new TcxRegExprSimpleQuantifier(); }
  std::string Text() const override { return std::string(); }
};

class TcxRegExprQuestionQuantifier : public TcxRegExprQuantifier {
  RTL_DECLARE_CLASS(TcxRegExprQuestionQuantifier, TcxRegExprQuantifier)
public:
  bool AllowsNone() const override { return true; }
  bool AllowsMany() const override { return false; }
  TcxRegExprQuantifier* Copy() const override { return new TcxRegExprQuestionQuantifier(); }
  std::string Text() const override { return "?"; }
};

class TcxRegExprStarQuantifier : public TcxRegExprQuantifier {
  RTL_DECLARE_CLASS(TcxRegExprStarQuantifier, TcxRegExprQuantifier)
public:
  bool AllowsNone() const override { return true; }
  bool AllowsMany() const override { return true; }
  TcxRegExprQuantifier* Copy() const override { return new TcxRegExprStarQuantifier(); }
  std::string Text() const override { return "*"; }
};

class TcxRegExprPlusQuantifier : public TcxRegExprQuantifier {
  RTL_DECLARE_CLASS(TcxRegExprPlusQuantifier, TcxRegExprQuantifier)
public:
  bool AllowsNone() const override { return false; }
  bool AllowsMany() const override { return true; }
  TcxRegExprQuantifier* Copy() const override { return new TcxRegExprPlusQuantifier(); }
  std::string Text() const override { return "+"; }
};

// ---------------------------------------------------------------------------------------
// The parse tree. Every list owns its entries.

// One alternative: an ordered list of items.
class TcxRegExprParserAlt : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprParserAlt, TObject)
public:
  TcxRegExprParserAlt();
  ~TcxRegExprParserAlt() override;

  // Takes ownership of AItem.
  void Add(TcxRegExprParserItem* AItem);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxRegExprParserItem* Item(Integer Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  // Puts ANewItem (owned from now on) at Index and hands the item that stood there to the
  // caller.
  TcxRegExprParserItem* ReplaceItem(Integer Index, TcxRegExprParserItem* ANewItem);
  // "<Start_Alt>", the items' dumps, "<Finish_Alt>", each line ending in CR LF.
  std::string DumpText() const;

private:
  std::vector<TObjectPtr<TcxRegExprParserItem>> FItems;
};

// The alternatives of the whole expression or of one group.
class TcxRegExprParserAlts : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprParserAlts, TObject)
public:
  // Takes ownership of AAlt.
  void Add(TcxRegExprParserAlt* AAlt) { FItems.emplace_back(AAlt); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxRegExprParserAlt* Item(Integer Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  // The alternatives' dumps, in order.
  std::string DumpText() const;

private:
  std::vector<TObjectPtr<TcxRegExprParserAlt>> FItems;
};

// What a quantifier applies to: one character item or a group.
class TcxRegExprParserItem : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprParserItem, TObject)
public:
  // Takes ownership of AQuantifier; none means "exactly once".
  explicit TcxRegExprParserItem(TcxRegExprQuantifier* AQuantifier = nullptr);

  // Whether the item can match the empty text.
  virtual bool MayBeEmpty() const = 0;
  // A deep copy with fresh, unlinked states.
  virtual TcxRegExprParserItem* Copy() const = 0;
  // Diagnostic text of the item's structure.
  virtual std::string DumpText() const = 0;
  // Marks the states that end a match when the text stops after this item.
  virtual void MarkFinal() = 0;

  bool AllowsNone() const { return FQuantifier->AllowsNone(); }
  bool AllowsMany() const { return FQuantifier->AllowsMany(); }
  bool HasNoQuantifier() const { return Is<TcxRegExprSimpleQuantifier>(FQuantifier.get()); }
  // Frees the old quantifier and takes AQuantifier; none leaves the item unchanged.
  void ReplaceQuantifier(TcxRegExprQuantifier* AQuantifier);
  TcxRegExprQuantifier* Quantifier() const { return FQuantifier.get(); }

  // The state a path enters the item by, and the one it leaves by.
  virtual TcxRegExprState* EntryState() const = 0;
  virtual TcxRegExprState* ExitState() const = 0;

private:
  TObjectPtr<TcxRegExprQuantifier> FQuantifier;
};

// One character item, held by its state.
class TcxRegExprParserSimpleItem : public TcxRegExprParserItem {
  RTL_DECLARE_CLASS(TcxRegExprParserSimpleItem, TcxRegExprParserItem)
public:
  // Takes ownership of AItem and AQuantifier.
  explicit TcxRegExprParserSimpleItem(TcxRegExprItem* AItem, TcxRegExprQuantifier* AQuantifier = nullptr);

  bool MayBeEmpty() const override { return AllowsNone(); }
  TcxRegExprParserItem* Copy() const override;
  std::string DumpText() const override;
  void MarkFinal() override { FState->SetFinal(true); }
  TcxRegExprState* EntryState() const override { return FState.get(); }
  TcxRegExprState* ExitState() const override { return FState.get(); }

  TcxRegExprSimpleState* State() const { return FState.get(); }

private:
  TObjectPtr<TcxRegExprSimpleState> FState;
};

// A group: its alternatives between a start and a finish junction.
class TcxRegExprParserBlockItem : public TcxRegExprParserItem {
  RTL_DECLARE_CLASS(TcxRegExprParserBlockItem, TcxRegExprParserItem)
public:
  explicit TcxRegExprParserBlockItem(TcxRegExprQuantifier* AQuantifier = nullptr);

  bool MayBeEmpty() const override;
  TcxRegExprParserItem* Copy() const override;
  std::string DumpText() const override;
  void MarkFinal() override;
  TcxRegExprState* EntryState() const override { return FStartState.get(); }
  TcxRegExprState* ExitState() const override { return FFinishState.get(); }

  TcxRegExprParserAlts* Alts() const { return FAlts.get(); }
  TcxRegExprBlockState* StartState() const { return FStartState.get(); }
  TcxRegExprBlockState* FinishState() const { return FFinishState.get(); }

private:
  TObjectPtr<TcxRegExprParserAlts> FAlts;
  TObjectPtr<TcxRegExprBlockState> FFinishState;
  TObjectPtr<TcxRegExprBlockState> FStartState;
};

// ---------------------------------------------------------------------------------------
// The automaton: the current states, the states before every accepted character, and the
// linked tree that owns the states.

class TcxRegExprAutomat : public TObject {
  RTL_DECLARE_CLASS(TcxRegExprAutomat, TObject)
public:
  // Takes ownership of the linked tree; AOwner's events are raised by the forced steps.
  TcxRegExprAutomat(TcxRegExprParserAlts* AParseTree, TcxRegExpr* AOwner);
  ~TcxRegExprAutomat() override;
  TcxRegExprAutomat(const TcxRegExprAutomat&) = delete;
  TcxRegExprAutomat& operator=(const TcxRegExprAutomat&) = delete;

  // Offers C; false (and nothing changes) when no current path can take it.
  bool Advance(char& C, bool ACaseInsensitive);
  // Back to the states before the last accepted character; false when there is none.
  bool StepBack();
  void Restart();
  bool IsAccepting() const { return FCurrentStates->AnyFinal(); }
  bool IsAtStart() const;
  // The states one character further on from the current ones (a new list).
  TObjectPtr<TcxRegExprStates> Candidates() const { return FCurrentStates->Candidates(); }
  // Types, through the owner's OnForcedInsert, every character that is the only possible
  // continuation, until the text is complete or the continuation is open.
  void InsertForced();
  // Takes back, through the owner's OnForcedRemove, the forced characters at the end of the
  // text (the character they followed stays).
  void RemoveForced();

  const TcxRegExprStates* CurrentStates() const { return FCurrentStates.get(); }
  TcxRegExprParserAlts* ParseTree() const { return FParseTree.get(); }
  TcxRegExprSimpleState* StartState() const { return FStartState.get(); }
  Integer HistoryCount() const { return static_cast<Integer>(FHistory.size()); }

private:
  // Makes ANewStates current and keeps the old list as the newest history entry.
  void pushCurrent(TObjectPtr<TcxRegExprStates> ANewStates);

  TObjectPtr<TcxRegExprStates> FCurrentStates;
  TObjectPtr<TcxRegExprParserAlts> FParseTree;
  std::vector<TObjectPtr<TcxRegExprStates>> FHistory;
  TcxRegExpr* FOwner;
  TObjectPtr<TcxRegExprSimpleState> FStartState;
};

// ---------------------------------------------------------------------------------------
// The compiled expression as callers see it.

class TcxRegExpr : public TObject {
  RTL_DECLARE_CLASS(TcxRegExpr, TObject)
public:
  TcxRegExpr();
  ~TcxRegExpr() override;
  TcxRegExpr(const TcxRegExpr&) = delete;
  TcxRegExpr& operator=(const TcxRegExpr&) = delete;

  // Compiles the whole of AStream (read from its start). Raises EcxRegExprError with every
  // error found: all lexical errors together, or all parse errors together.
  void Compile(TStream* AStream);
  bool Compiled() const { return FCompiled; }
  // The compiled source (null while not compiled); another expression compiles from it.
  TMemoryStream* CompiledSource() const { return FCompiled ? FSourceStream.get() : nullptr; }
  // Empties the source, the errors, the lexemes and the group list, frees the automaton and
  // leaves the object not compiled.
  void ClearAll();

  // Matching; each raises Exception "Regular expression is not compiled" before a successful
  // compile.
  // Offers C. On success, when the text is not complete and AutoInsert is on, the forced
  // characters that follow are typed at once. C may come back in the pattern's case.
  bool Advance(char& C);
  // Offers each character of AText (the caller's characters stay as they are); the accepted
  // ones, in AText's case, make AAcceptedText. Forced characters are not typed.
  void AdvanceText(const std::string& AText, std::string& AAcceptedText);
  // With AutoInsert on, first takes back the forced characters at the end; then returns to
  // the states before the last accepted character. False when there is none.
  bool StepBack();
  void Restart();
  bool IsAccepting();
  bool IsAtStart();

  bool AutoInsert() const { return FAutoInsert; }
  // Switching it on while compiled types the forced characters that are due.
  void SetAutoInsert(bool Value);
  bool CaseInsensitive() const { return FCaseInsensitive; }
  void SetCaseInsensitive(bool Value) { FCaseInsensitive = Value; }

  // A character is to be appended to the text.
  const TEvent<void(char AChar)>& OnForcedInsert() const { return FOnForcedInsert; }
  void SetOnForcedInsert(const TEvent<void(char AChar)>& Value) { FOnForcedInsert = Value; }
  // The last character of the text is to be removed.
  const TEvent<void()>& OnForcedRemove() const { return FOnForcedRemove; }
  void SetOnForcedRemove(const TEvent<void()>& Value) { FOnForcedRemove = Value; }

  // The automaton of the last successful compile (null otherwise).
  TcxRegExprAutomat* Automat() const { return FAutomat.get(); }

private:
  friend class TcxRegExprAutomat;
  void DoForcedInsert(char AChar);
  void DoForcedRemove();
  void CheckCompiled() const;

  // Errors.
  void addError(Integer ALine, Integer AColumn, const std::string& AMessage);
  void addError(const TcxLexem& AAt, const std::string& AMessage);
  void addErrorAtEnd(const std::string& AMessage);
  [[noreturn]] void raiseErrors();

  // Reading the source.
  bool atEnd() const;
  char readChar();
  bool peekChar(Integer AOffset, char& AChar) const;
  bool readEnclosed(const char* ACloser, char& AChar, Integer& ALine, Integer& AColumn);
  void addLexem(LexemKind AKind, const std::string& AText, Integer ALine, Integer AColumn);
  void lexSource();
  void lexQuoted();
  void lexEscape(Integer ALine, Integer AColumn);
  void lexSet();
  void lexBraces();

  // Parsing the lexemes.
  bool nextLexem(TcxLexem& ALexem);
  bool peekLexem(TcxLexem& ALexem) const;
  bool parseAlt(TcxRegExprParserAlt* AAlt, bool ATopLevel);
  TcxRegExprParserItem* parseGroup();
  TcxRegExprParserItem* parseSet();
  void applyQuantifier(TcxRegExprParserAlt* AAlt, TcxRegExprParserItem*& ALastItem, TcxRegExprQuantifier* AQuantifier);
  void parseCountedQuantifier(TcxRegExprParserAlt* AAlt, TcxRegExprParserItem*& ALastItem, const TcxLexem& ABrace);
  void expandCounted(TcxRegExprParserAlt* AAlt, TcxRegExprParserItem*& ALastItem, const TcxLexem& ABrace,
                     Integer AMin, Integer AMax, bool AUnbounded);

  TObjectPtr<TcxRegExprAutomat> FAutomat;
  std::vector<TcxRegExprParserBlockItem*> FGroups;
  Integer FColumn = 0;
  bool FCaseInsensitive = false;
  bool FCompiled = false;
  TObjectPtr<TcxRegExprErrors> FErrors;
  bool FFirstCompile = true;
  Integer FSourcePos = 0;
  Integer FLexemPos = 0;
  TObjectPtr<TcxLexems> FLexems;
  Integer FLine = 1;
  TEvent<void()> FOnForcedRemove;
  TEvent<void(char AChar)> FOnForcedInsert;
  TObjectPtr<TMemoryStream> FSourceStream;
  bool FAutoInsert = false;
};
