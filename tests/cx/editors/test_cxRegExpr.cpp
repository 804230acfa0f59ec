#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/editors/cxRegExpr.h"
#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {

TObjectPtr<TStringStream> sourceOf(const std::string& ASource) {
  return TObjectPtr<TStringStream>(New<TStringStream>(ASource));
}

void compileInto(TcxRegExpr& AExpr, const std::string& ASource) { AExpr.Compile(sourceOf(ASource).get()); }

TObjectPtr<TcxRegExpr> compiled(const std::string& ASource) {
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  compileInto(*expr, ASource);
  return expr;
}

// The display texts of the errors AExpr's compile of ASource raises (empty when it compiles).
std::vector<std::string> compileErrors(TcxRegExpr& AExpr, TStream* ASource) {
  std::vector<std::string> texts;
  try {
    AExpr.Compile(ASource);
  } catch (const EcxRegExprError& e) {
    for (Integer i = 0; i < e.Errors()->Count(); ++i) texts.push_back(e.Errors()->Item(i)->Text());
  }
  return texts;
}

std::vector<std::string> compileErrors(const std::string& ASource) {
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  return compileErrors(*expr, sourceOf(ASource).get());
}

// Offers the characters of AText one by one: "refused at <index>" at the first refusal,
// otherwise "complete" or "partial" as the expression then stands.
std::string fit(TcxRegExpr& AExpr, const std::string& AText) {
  for (size_t i = 0; i < AText.size(); ++i) {
    char c = AText[i];
    if (!AExpr.Advance(c)) return "refused at " + std::to_string(i);
  }
  return AExpr.IsAccepting() ? "complete" : "partial";
}

std::string fit(const std::string& APattern, const std::string& AText) { return fit(*compiled(APattern), AText); }

// The expected dump: each line ends in CR LF.
std::string dumpOf(const std::vector<std::string>& ALines) {
  std::string result;
  for (auto& line : ALines) result += line + "\r\n";
  return result;
}

std::string treeDump(const std::string& APattern) {
  auto expr = compiled(APattern);
  return expr->Automat()->ParseTree()->DumpText();
}

// Records the forced steps: "+c" for a character inserted, "-" for one removed.
class ForcedLog : public TObject {
public:
  std::string Text;
  void Inserted(char AChar) {
    Text += '+';
    Text += AChar;
  }
  void Removed() { Text += '-'; }

  void Attach(TcxRegExpr& AExpr) {
    AExpr.SetOnForcedInsert(TEvent<void(char)>(this, &ForcedLog::Inserted));
    AExpr.SetOnForcedRemove(TEvent<void()>(this, &ForcedLog::Removed));
  }
};

// Sets the locale's separators for one test and puts the old ones back.
class SeparatorsGuard {
public:
  SeparatorsGuard(char ADate, char ATime) : FDate(DateSeparator), FTime(TimeSeparator) {
    DateSeparator = ADate;
    TimeSeparator = ATime;
  }
  ~SeparatorsGuard() {
    DateSeparator = FDate;
    TimeSeparator = FTime;
  }

private:
  char FDate, FTime;
};

struct FitCase {
  const char* pattern;
  std::string text;
  const char* expected;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Syntax and matching.

TEST(cxRegExprMatch, PatternsAcceptRefuseAndComplete) {
  SeparatorsGuard separators('/', ':');
  const std::vector<FitCase> cases = {
      // Sequences; whitespace outside quotes means nothing.
      {"ab", "ab", "complete"},
      {"ab", "a", "partial"},
      {"ab", "b", "refused at 0"},
      {"ab", "abc", "refused at 2"},
      {"a b", "ab", "complete"},
      {" a\t\r\nb ", "ab", "complete"},
      {"]}-^,", "]}-^,", "complete"},
      // Quoted text keeps blanks and specials; a doubled quote is one quote.
      {"'a b'", "a b", "complete"},
      {"'a b'", "ab", "refused at 1"},
      {"'it''s'", "it's", "complete"},
      {"''''", "'", "complete"},
      {"'(*)'", "(*)", "complete"},
      // Alternatives.
      {"a|bc", "a", "complete"},
      {"a|bc", "b", "partial"},
      {"a|bc", "bc", "complete"},
      {"a|bc", "ac", "refused at 1"},
      // Quantifiers.
      {"a?", "", "complete"},
      {"a?", "a", "complete"},
      {"a?", "aa", "refused at 1"},
      {"a*b", "aaab", "complete"},
      {"a*b", "b", "complete"},
      {"a*b", "aa", "partial"},
      {"a+", "", "partial"},
      {"a+", "aaa", "complete"},
      {"(ab)*", "", "complete"},
      {"(ab)*", "ab", "complete"},
      {"(ab)*", "abab", "complete"},
      {"(ab)*", "aba", "partial"},
      {"(ab)*", "abb", "refused at 2"},
      {"(ab)+", "", "partial"},
      {"(ab)+", "abab", "complete"},
      {"a+?", "", "complete"},  // (a+)?
      {"a+?", "aaa", "complete"},
      // Counted quantifiers.
      {"x{2,4}", "x", "partial"},
      {"x{2,4}", "xx", "complete"},
      {"x{2,4}", "xxx", "complete"},
      {"x{2,4}", "xxxx", "complete"},
      {"x{2,4}", "xxxxx", "refused at 4"},
      {"x{3}", "xx", "partial"},
      {"x{3}", "xxx", "complete"},
      {"x{3}", "xxxx", "refused at 3"},
      {"x{2,}", "x", "partial"},
      {"x{2,}", "xx", "complete"},
      {"x{2,}", "xxxxxxx", "complete"},
      {"x{0,2}", "", "complete"},
      {"x{0,2}", "xx", "complete"},
      {"x{0,2}", "xxx", "refused at 2"},
      {"x{ 007 }", "xxxxxxx", "complete"},
      {"x+{2}", "x", "partial"},
      {"x+{2}", "xxxx", "complete"},
      {"(a|b){2}", "ba", "complete"},
      {"(ab){2}", "aba", "partial"},
      {"(ab){2}", "abab", "complete"},
      // Back-copies repeat the group's pattern, its quantifier included.
      {"(ab)\\1", "ab", "partial"},
      {"(ab)\\1", "abab", "complete"},
      {"(ab)\\1", "abba", "refused at 2"},
      {"(a|b)\\1", "ab", "complete"},
      {"(a|b)\\1", "aa", "complete"},
      {"(a)+\\1", "a", "partial"},
      {"(a)+\\1", "aa", "complete"},
      {"(a)+\\1", "aaa", "complete"},
      // A back-copy of an expanded group copies the whole expansion; a group inside it
      // stands for its first copy; an expansion to nothing copies nothing.
      {"(ab){2}\\1", "abab", "partial"},
      {"(ab){2}\\1", "abababab", "complete"},
      {"((a)b){2}\\2", "abab", "partial"},
      {"((a)b){2}\\2", "ababa", "complete"},
      {"(ab){0}\\1", "", "complete"},
      {"(ab){0}\\1", "a", "refused at 0"},
      // Groups that can match nothing end a complete text like any optional item.
      {"x{0}", "", "complete"},
      {"x{0}", "x", "refused at 0"},
      {"bx{0}", "b", "complete"},
      {"b(a?)", "b", "complete"},
      {"b(a?)", "ba", "complete"},
      {"(a?)", "", "complete"},
      {"(a?){2}", "", "complete"},
      {"(a?){2}", "a", "complete"},
      {"(a?){2}", "aa", "complete"},
      {"(a?){2}", "aaa", "refused at 2"},
      // Sets.
      {"[a-c]x", "bx", "complete"},
      {"[a-c]x", "dx", "refused at 0"},
      {"[^a-c]", "d", "complete"},
      {"[^a-c]", "b", "refused at 0"},
      {"[a-]", "-", "complete"},
      {"[a-]", "a", "complete"},
      {"[a-]", "b", "refused at 0"},
      {"[-a]", "-", "complete"},
      {"[.(]", "(", "complete"},
      {"[.(]", "a", "refused at 0"},
      {"[ a b ]", "b", "complete"},
      {"[ a b ]", " ", "refused at 0"},
      {"[' ']", " ", "complete"},
      {"[^^]", "^", "refused at 0"},
      {"[^^]", "a", "complete"},
      {"[\\d_]", "_", "complete"},
      {"[\\d_]", "a", "refused at 0"},
      {"[^\\d]", "5", "refused at 0"},
      {"[\\x41-\\x43]", "B", "complete"},
      {"[\\x41-\\x43]", "D", "refused at 0"},
      {"[a-\xE9]", "\xE0", "complete"},  // codes compare unsigned: a (97) .. é (233) holds à (224)
      // Classes and escapes.
      {"\\d\\d", "12", "complete"},
      {"\\d\\d", "1a", "refused at 1"},
      {"\\D", "1", "refused at 0"},
      {"\\w+", "a_Z9", "complete"},
      {"\\w+", "a-", "refused at 1"},
      {"\\w", "\xE9", "refused at 0"},
      {"\\W", "-", "complete"},
      {"\\W", "_", "refused at 0"},
      {"\\s\\s\\s", std::string(" \t\0", 3), "complete"},
      {"\\s", "\v", "refused at 0"},  // vertical tab is no blank
      {"\\S", " ", "refused at 0"},
      {".", "\xE9", "complete"},
      {"\\x41\\x62", "Ab", "complete"},
      {"\\a\\e\\f\\n\\r\\t", "\a\x1B\f\n\r\t", "complete"},
      {"\\t", "t", "refused at 0"},
      {"\\.", ".", "complete"},
      {"\\.", "a", "refused at 0"},
      {"\\0\\(", "0(", "complete"},
      {"a\\", "a", "complete"},  // a trailing backslash stands for nothing
      {"\v", "\v", "complete"},   // vertical tab in the source is a literal
      // Separators (here the locale's are "/" and ":").
      {"\\d/\\d:\\d", "1/2:3", "complete"},
      {"[/:]", ":", "complete"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fit(c.pattern, c.text), c.expected) << "pattern [" << c.pattern << "] text [" << c.text << "]";
  }
}

TEST(cxRegExprMatch, NulInSourceIsBlank) {
  EXPECT_EQ(fit(std::string("a\0b", 3), "ab"), "complete");
}

TEST(cxRegExprMatch, SeparatorsAreReadWhenTheCharacterIsOffered) {
  SeparatorsGuard separators('/', ':');
  auto expr = compiled("\\d/\\d:\\d");
  DateSeparator = '.';
  TimeSeparator = 'h';
  EXPECT_EQ(fit(*expr, "1.2h3"), "complete");
  expr->Restart();
  EXPECT_EQ(fit(*expr, "1/"), "refused at 1");
}

TEST(cxRegExprMatch, CaseInsensitiveLiteralsComeBackInThePatternsCase) {
  auto expr = compiled("abc\xE9");
  char c = 'A';
  EXPECT_FALSE(expr->Advance(c)) << "case matters without the flag";

  expr->SetCaseInsensitive(true);
  std::string handedBack;
  for (char typed : std::string("ABC\xC9")) {  // É folds to é through the locale
    c = typed;
    ASSERT_TRUE(expr->Advance(c)) << "typed " << typed;
    handedBack += c;
  }
  EXPECT_EQ(handedBack, "abc\xE9");
  EXPECT_TRUE(expr->IsAccepting());
}

TEST(cxRegExprMatch, RangesAndClassesIgnoreTheCaseFlag) {
  for (bool caseInsensitive : {false, true}) {
    auto expr = compiled("[a-c]");
    expr->SetCaseInsensitive(caseInsensitive);
    char c = 'B';
    EXPECT_FALSE(expr->Advance(c)) << "case-insensitive " << caseInsensitive;
  }
}

TEST(cxRegExprMatch, RefusingSetLeavesTheCharacterAsTyped) {
  auto inverted = compiled("[^a]");
  inverted->SetCaseInsensitive(true);
  char c = 'A';
  EXPECT_FALSE(inverted->Advance(c));

  // Another path takes the character: it keeps the case it was typed in.
  auto either = compiled("([^a]|.)");
  either->SetCaseInsensitive(true);
  c = 'A';
  ASSERT_TRUE(either->Advance(c));
  EXPECT_EQ(c, 'A');

  auto set = compiled("[xa]");
  set->SetCaseInsensitive(true);
  c = 'A';
  ASSERT_TRUE(set->Advance(c));
  EXPECT_EQ(c, 'a') << "an accepting set hands back its literal's case";
}

TEST(cxRegExprMatch, AdvanceTextKeepsTheCallersCharactersAndSkipsRefusedOnes) {
  auto expr = compiled("abc");
  expr->SetCaseInsensitive(true);
  std::string accepted = "old";
  expr->AdvanceText("AxBC", accepted);
  EXPECT_EQ(accepted, "ABC");
  EXPECT_TRUE(expr->IsAccepting());

  auto digits = compiled("\\d\\d");
  digits->AdvanceText("1a2b3", accepted);
  EXPECT_EQ(accepted, "12");
}

// Parallel paths that meet again in one state go on as one: a pattern whose paths would
// otherwise double with every character stays at one current state.
TEST(cxRegExprMatch, MergingPathsDoNotMultiply) {
  auto expr = compiled("(\\d+' '?)*");
  EXPECT_EQ(fit(*expr, std::string(16, '7')), "complete");
  EXPECT_EQ(expr->Automat()->CurrentStates()->Count(), 1);
}

TEST(cxRegExprMatch, LargestCountedQuantifierMatches) {
  auto expr = compiled("x{0,1000}");
  EXPECT_EQ(fit(*expr, std::string(1000, 'x')), "complete");
  char c = 'x';
  EXPECT_FALSE(expr->Advance(c));
}

// ---------------------------------------------------------------------------------------
// The parse tree.

TEST(cxRegExprTree, DumpsShowTheExpandedStructure) {
  const std::string plainTwo = dumpOf({"<Start_Alt>", "item --> ", "item --> ", "<Finish_Alt>"});
  EXPECT_EQ(treeDump("ab"), plainTwo);
  EXPECT_EQ(treeDump(" a  b "), plainTwo);

  EXPECT_EQ(treeDump("a|b*"), dumpOf({"<Start_Alt>", "item --> ", "<Finish_Alt>", "<Start_Alt>", "item --> *",
                                      "<Finish_Alt>"}));
  EXPECT_EQ(treeDump("a+?"), dumpOf({"<Start_Alt>", "<Start_Block>", "<Start_Alt>", "item --> +", "<Finish_Alt>",
                                     "<Finish_Block> --> ?", "<Finish_Alt>"}));
  // x x (x (x)?)?
  EXPECT_EQ(treeDump("x{2,4}"),
            dumpOf({"<Start_Alt>", "<Start_Block>", "<Start_Alt>", "item --> ", "item --> ", "<Start_Block>",
                    "<Start_Alt>", "item --> ", "item --> ?", "<Finish_Alt>", "<Finish_Block> --> ?", "<Finish_Alt>",
                    "<Finish_Block> --> ", "<Finish_Alt>"}));
  EXPECT_EQ(treeDump("x{2,}"), dumpOf({"<Start_Alt>", "<Start_Block>", "<Start_Alt>", "item --> ", "item --> ",
                                       "item --> *", "<Finish_Alt>", "<Finish_Block> --> ", "<Finish_Alt>"}));
  EXPECT_EQ(treeDump("x{0}"), dumpOf({"<Start_Alt>", "<Start_Block>", "<Start_Alt>", "<Finish_Alt>",
                                      "<Finish_Block> --> ", "<Finish_Alt>"}));
}

// ---------------------------------------------------------------------------------------
// Errors.

TEST(cxRegExprErrors, MessagesAndPositions) {
  struct ErrorCase {
    std::string source;
    std::vector<std::string> errors;
  };
  const std::vector<ErrorCase> cases = {
      // Parentheses are counted by the reader: no position.
      {"(a", {"Missing ')'"}},
      {"a)", {"Unnecessary ')'"}},
      {"a)(b", {"Line1, Char2: Illegal ')'"}},
      {")a(", {"Line1, Char1: Illegal ')'", "The alternative should not be empty"}},
      // Quantifiers.
      {"*a", {"Line1, Char1: Illegal quantifier '*'"}},
      {"?", {"Line1, Char1: Illegal quantifier '?'"}},
      {"a**", {"Line1, Char3: The '*' quantifier cannot be applied here"}},
      {"a?+", {"Line1, Char3: The '+' quantifier cannot be applied here"}},
      {"(a?)*", {"Line1, Char5: The '*' quantifier cannot be applied here"}},
      {"x?{2}", {"Line1, Char3: The parameter quantifier cannot be applied here"}},
      {"x*{2,3}", {"Line1, Char3: The parameter quantifier cannot be applied here"}},
      // An unbounded repeat of what can match nothing would loop without consuming.
      {"(a?){1,}", {"Line1, Char5: The parameter quantifier cannot be applied here"}},
      {"(b|a*){0,}", {"Line1, Char7: The parameter quantifier cannot be applied here"}},
      // Malformed counts: one error where reading stopped.
      {"a{,3}", {"Line1, Char3: Incorrect parameter quantifier"}},
      {"a{3,2}", {"Line1, Char5: Incorrect parameter quantifier"}},
      {"a{}", {"Line1, Char3: Incorrect parameter quantifier"}},
      {"a{2 3}", {"Line1, Char5: Incorrect parameter quantifier"}},
      {"a{1001}", {"Line1, Char3: Incorrect parameter quantifier"}},
      {"a{99999999999}", {"Line1, Char3: Incorrect parameter quantifier"}},
      // Braces with nothing before them: their lexemes are strays.
      {"{2}", {"Line1, Char1: Incorrect parameter quantifier", "Line1, Char2: Illegal integer value",
               "Line1, Char3: Illegal '}'"}},
      // Alternatives and groups.
      {"a|", {"The alternative should not be empty"}},
      {"''", {"The alternative should not be empty"}},
      {"|a", {"Line1, Char1: The alternative should not be empty"}},
      {"(a|)", {"Line1, Char4: The block should not be empty"}},
      {"()", {"Line1, Char2: The block should not be empty"}},
      {"*|+", {"Line1, Char1: Illegal quantifier '*'", "Line1, Char3: Illegal quantifier '+'"}},
      // Back-copies.
      {"\\2(a)", {"Line1, Char1: Too big reference number"}},
      {"(a)\\2", {"Line1, Char4: Too big reference number"}},
      // Sets.
      {"[]", {"Line1, Char2: Can't create empty enumeration"}},
      {"[^]", {"Line1, Char3: Can't create empty enumeration"}},
      {"[z-a]", {"Line1, Char4: The starting character of the subrange must be less than the finishing one"}},
      {"[a-a]", {"Line1, Char4: The starting character of the subrange must be less than the finishing one"}},
      {"[a-c-e]", {"Line1, Char5: Illegal '-'"}},
      {"[\\d-z]", {"Line1, Char4: Illegal '-'"}},
      {"[/-:]", {"Line1, Char3: Illegal '-'"}},
      {"[\\1]", {"Line1, Char2: Illegal '\\1'"}},
      // Lexical errors: at the character, or at the column after the source's last one.
      {"'abc", {"Line1, Char5: Missing ' ' '"}},
      {"[abc", {"Line1, Char5: Missing ']'"}},
      {"[a-", {"Line1, Char4: Missing ']'"}},
      {"a{2", {"Line1, Char4: Missing '}'"}},
      {"a{x}", {"Line1, Char3: Illegal 'x'"}},
      {"a{'}", {"Line1, Char3: Illegal ' ' '"}},
      {"\\x", {"Line1, Char3: Hexadecimal number expected"}},
      {"\\x4", {"Line1, Char4: Hexadecimal number expected"}},
      {"\\xG1", {"Line1, Char3: Hexadecimal number expected but 'G' found"}},
      {"\\x4G", {"Line1, Char4: Hexadecimal number expected but 'G' found"}},
      {"\\ a", {"Line1, Char2: The space character is not allowed after '\\'"}},
      // All lexical errors together, and then no parse errors.
      {"*\\ b[c", {"Line1, Char3: The space character is not allowed after '\\'", "Line1, Char7: Missing ']'"}},
      // Lines are counted by CR, columns from the last LF.
      {"a\r\n**", {"Line2, Char2: The '*' quantifier cannot be applied here"}},
      {"a\n**", {"Line1, Char2: The '*' quantifier cannot be applied here"}},
      {"\\\n", {"Line1: The space character is not allowed after '\\'"}},
      // Blank sources.
      {"", {"The source stream is empty"}},
      {"   ", {"The source stream is empty"}},
      {std::string("\t\r\n\f\0 ", 6), {"The source stream is empty"}},
  };
  for (const auto& c : cases) EXPECT_EQ(compileErrors(c.source), c.errors) << "source [" << c.source << "]";
}

TEST(cxRegExprErrors, MissingSourceStream) {
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  EXPECT_EQ(compileErrors(*expr, nullptr), std::vector<std::string>{"The source stream is not assigned"});
  EXPECT_FALSE(expr->Compiled());
  // The exception carries no text of its own: the errors are the message.
  try {
    expr->Compile(nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const EcxRegExprError& e) {
    EXPECT_EQ(e.Message(), "");
  }
}

TEST(cxRegExprErrors, TextsComeThroughTheResourceLookup) {
  cxSetResourceString(&scxEditErrorLine, "Linha");
  cxSetResourceString(&scxEditErrorChar, "Coluna");
  cxSetResourceString(&scxRegExprIllegalQuantifier, "Quantificador ilegal '%s'");
  std::vector<std::string> errors = compileErrors("*");
  cxSetResourceString(&scxEditErrorLine, "Line");
  cxSetResourceString(&scxEditErrorChar, "Char");
  cxSetResourceString(&scxRegExprIllegalQuantifier, "Illegal quantifier '%s'");
  EXPECT_EQ(errors, std::vector<std::string>{"Linha1, Coluna1: Quantificador ilegal '*'"});
}

// ---------------------------------------------------------------------------------------
// Life cycle.

TEST(cxRegExprLifecycle, MatchingBeforeACompileRaises) {
  TObjectPtr<TcxRegExpr> fresh(New<TcxRegExpr>());
  TObjectPtr<TcxRegExpr> failed(New<TcxRegExpr>());
  EXPECT_THROW(compileInto(*failed, "a**"), EcxRegExprError);
  for (TcxRegExpr* expr : {fresh.get(), failed.get()}) {
    EXPECT_FALSE(expr->Compiled());
    EXPECT_EQ(expr->CompiledSource(), nullptr);
    EXPECT_EQ(expr->Automat(), nullptr);
    const std::string notCompiled = "Regular expression is not compiled";
    char c = 'a';
    std::string accepted;
    EXPECT_EQ(RaisedMessage<Exception>([&] { expr->Advance(c); }), notCompiled);
    EXPECT_EQ(RaisedMessage<Exception>([&] { expr->AdvanceText("a", accepted); }), notCompiled);
    EXPECT_EQ(RaisedMessage<Exception>([&] { expr->StepBack(); }), notCompiled);
    EXPECT_EQ(RaisedMessage<Exception>([&] { expr->Restart(); }), notCompiled);
    EXPECT_EQ(RaisedMessage<Exception>([&] { expr->IsAccepting(); }), notCompiled);
    EXPECT_EQ(RaisedMessage<Exception>([&] { expr->IsAtStart(); }), notCompiled);
    EXPECT_NO_THROW(expr->SetAutoInsert(true));
  }
}

TEST(cxRegExprLifecycle, CompilingAgainStartsAfresh) {
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  compileInto(*expr, "a");
  compileInto(*expr, "b");
  EXPECT_EQ(fit(*expr, "a"), "refused at 0");
  expr->Restart();
  EXPECT_EQ(fit(*expr, "b"), "complete");
  auto* source = expr->CompiledSource();
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(source->Memory()), static_cast<size_t>(source->Size())), "b");

  // A failed compile drops the old automaton; the next lists only its own errors.
  EXPECT_THROW(compileInto(*expr, "*"), EcxRegExprError);
  EXPECT_FALSE(expr->Compiled());
  EXPECT_EQ(compileErrors(*expr, sourceOf("(x").get()), std::vector<std::string>{"Missing ')'"});
  compileInto(*expr, "c");
  EXPECT_EQ(fit(*expr, "c"), "complete");
}

TEST(cxRegExprLifecycle, AnotherExpressionCompilesFromTheCompiledSource) {
  auto original = compiled("\\d{2}-x");
  TObjectPtr<TcxRegExpr> copy(New<TcxRegExpr>());
  copy->Compile(original->CompiledSource());
  EXPECT_EQ(fit(*copy, "12-x"), "complete");
  EXPECT_EQ(fit(*original, "1"), "partial") << "the original is untouched";
}

// ---------------------------------------------------------------------------------------
// Stepping and forced characters.

TEST(cxRegExprAutomaton, StepBackRestartAndStart) {
  auto expr = compiled("ab");
  EXPECT_TRUE(expr->IsAtStart());
  EXPECT_FALSE(expr->StepBack()) << "nothing to step back over";
  EXPECT_TRUE(expr->IsAtStart());

  char c = 'a';
  ASSERT_TRUE(expr->Advance(c));
  EXPECT_FALSE(expr->IsAtStart());
  c = 'x';
  EXPECT_FALSE(expr->Advance(c)) << "a refused character changes nothing";
  EXPECT_EQ(expr->Automat()->HistoryCount(), 1);
  c = 'b';
  ASSERT_TRUE(expr->Advance(c));
  EXPECT_TRUE(expr->IsAccepting());

  EXPECT_TRUE(expr->StepBack());
  EXPECT_FALSE(expr->IsAccepting());
  c = 'b';
  EXPECT_TRUE(expr->Advance(c)) << "back after a";

  expr->Restart();
  EXPECT_TRUE(expr->IsAtStart());
  EXPECT_EQ(expr->Automat()->HistoryCount(), 0);
  EXPECT_FALSE(expr->StepBack());
}

TEST(cxRegExprAutomaton, CandidatesAreTheStatesOneCharacterOn) {
  auto expr = compiled("a(b|c)");
  char c = 'a';
  ASSERT_TRUE(expr->Advance(c));
  auto candidates = expr->Automat()->Candidates();
  ASSERT_EQ(candidates->Count(), 2);
  char literal;
  EXPECT_FALSE(candidates->AllSameLiteral(literal));

  auto same = compiled("a(b|b)");
  c = 'a';
  ASSERT_TRUE(same->Advance(c));
  candidates = same->Automat()->Candidates();
  ASSERT_EQ(candidates->Count(), 2);
  ASSERT_TRUE(candidates->AllSameLiteral(literal));
  EXPECT_EQ(literal, 'b');
}

TEST(cxRegExprAutomaton, SeparatorIsInsertedAndRemovedWithTheDigitBefore) {
  SeparatorsGuard separators('-', ':');
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  ForcedLog log;
  log.Attach(*expr);
  expr->SetAutoInsert(true);
  compileInto(*expr, "\\d\\d/\\d\\d");
  EXPECT_EQ(log.Text, "") << "a digit is no forced character";

  EXPECT_EQ(fit(*expr, "12"), "partial");
  EXPECT_EQ(log.Text, "+-") << "the locale's date separator follows the day";

  EXPECT_TRUE(expr->StepBack());
  EXPECT_EQ(log.Text, "+--") << "the separator goes through the event";
  EXPECT_EQ(fit(*expr, "3"), "partial") << "only the 1 is left: 3 is the second digit";
  EXPECT_EQ(log.Text, "+--+-");
  EXPECT_EQ(fit(*expr, "45"), "complete");
}

TEST(cxRegExprAutomaton, ForcedPrefixAndItsRemoval) {
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  ForcedLog log;
  log.Attach(*expr);
  expr->SetAutoInsert(true);
  compileInto(*expr, "ab\\d");
  EXPECT_EQ(log.Text, "+a+b");
  EXPECT_FALSE(expr->IsAtStart());

  // The forced a and b go; then there is nothing left to step back over.
  EXPECT_FALSE(expr->StepBack());
  EXPECT_EQ(log.Text, "+a+b--");
  EXPECT_TRUE(expr->IsAtStart());
}

TEST(cxRegExprAutomaton, RemovalStopsAtACompleteText) {
  TObjectPtr<TcxRegExpr> expr(New<TcxRegExpr>());
  ForcedLog log;
  log.Attach(*expr);
  expr->SetAutoInsert(true);
  compileInto(*expr, "x(yz)?");
  EXPECT_EQ(log.Text, "+x") << "insertion stops once the text is complete";
  EXPECT_EQ(fit(*expr, "y"), "complete");
  EXPECT_EQ(log.Text, "+x+z");

  EXPECT_TRUE(expr->StepBack());
  EXPECT_EQ(log.Text, "+x+z-") << "z goes by the event, y by the step; x stays";
  EXPECT_TRUE(expr->IsAccepting());
  EXPECT_FALSE(expr->IsAtStart());
}

TEST(cxRegExprAutomaton, SwitchingInsertionOnInsertsWhatIsDue) {
  auto expr = compiled("ab");
  ForcedLog log;
  log.Attach(*expr);
  expr->SetAutoInsert(true);
  EXPECT_EQ(log.Text, "+a+b");
  EXPECT_TRUE(expr->IsAccepting());
}

TEST(cxRegExprAutomaton, AdvanceTextInsertsNothing) {
  SeparatorsGuard separators('/', ':');
  auto expr = compiled("\\d/\\d");
  ForcedLog log;
  log.Attach(*expr);
  expr->SetAutoInsert(true);
  std::string accepted;
  expr->AdvanceText("1", accepted);
  EXPECT_EQ(accepted, "1");
  EXPECT_EQ(log.Text, "");
  EXPECT_EQ(fit(*expr, "/2"), "complete");
}

TEST(cxRegExprAutomaton, WithoutInsertionStepBackTakesOneCharacter) {
  SeparatorsGuard separators('/', ':');
  auto expr = compiled("\\d/\\d");
  ForcedLog log;
  log.Attach(*expr);
  EXPECT_EQ(fit(*expr, "1/"), "partial");
  EXPECT_TRUE(expr->StepBack());
  EXPECT_EQ(fit(*expr, "/"), "partial") << "the 1 is still there";
  EXPECT_EQ(log.Text, "");
}
