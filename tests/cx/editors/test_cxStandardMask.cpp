#include <memory>
#include <string>

#include "TestFramework.h"
#include "cx/editors/cxStandardMask.h"
#include "platform/rtl/SysUtils.h"

namespace {

using MaskPtr = std::unique_ptr<TcxStandardMask, void (*)(TcxStandardMask*)>;

MaskPtr newMask(const std::string& Mask) {
  MaskPtr mask(New<TcxStandardMask>(), [](TcxStandardMask* M) { M->Free(); });
  mask->SetMask(Mask);
  return mask;
}

// The positions of a mask in one line: a literal as 'x'; an editable position as the mask
// character of its class (L l A a C c 0 9 #), followed by '>' or '<' when it converts case.
std::string layoutOf(const TcxStandardMask& Mask) {
  std::string out;
  for (Integer i = 0; i < Mask.Count(); ++i) {
    TcxStandardMaskCustomItem* item = Mask.Items(i);
    if (auto* literal = dynamic_cast<TcxStandardMaskLiteralItem*>(item)) {
      out += std::string("'") + literal->Literal() + "'";
      continue;
    }
    auto* many = dynamic_cast<TcxStandardMaskManyItem*>(item);
    if (!many) return "<unknown item class " + item->ClassName() + ">";
    const bool opt = many->Optional();
    if (dynamic_cast<TcxStandardMaskAlphaItem*>(item)) out += opt ? 'l' : 'L';
    else if (dynamic_cast<TcxStandardMaskAlphaNumericItem*>(item)) out += opt ? 'a' : 'A';
    else if (dynamic_cast<TcxStandardMaskASCIIItem*>(item)) out += opt ? 'c' : 'C';
    else if (dynamic_cast<TcxStandardMaskNumericItem*>(item)) out += opt ? '9' : '0';
    else if (dynamic_cast<TcxStandardMaskNumericSymbolItem*>(item)) out += opt ? '#' : '?';
    else return "<unknown item class " + item->ClassName() + ">";
    if (many->CaseControl() == MaskCharCase::Upper) out += '>';
    else if (many->CaseControl() == MaskCharCase::Lower) out += '<';
  }
  return out;
}

std::string fitted(const std::string& Mask, const std::string& Input, bool KeepConverted) {
  std::string text = Input;
  newMask(Mask)->FitText(text, KeepConverted);
  return text;
}

std::string valueOf(const std::string& Mask, const std::string& Text) {
  std::string text = Text;
  newMask(Mask)->ExtractValue(text);
  return text;
}

// The mask separators come from the format settings: pin them to characters that differ
// from the notation's own, and put the settings back afterwards.
class StandardMaskTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = FormatSettings;
    DateSeparator = '.';
    TimeSeparator = 'h';
  }
  void TearDown() override { FormatSettings = saved_; }

private:
  TFormatSettings saved_;
};

constexpr const char* kPhone = "!(999) 000-0000;1;_";

}  // namespace

// ---------------------------------------------------------------------------------------
// Parsing

TEST_F(StandardMaskTest, ParsesPositionsTailAndBlank) {
  struct Case {
    const char* Mask;
    const char* Layout;
    char Blank;
    bool SaveLiterals;
  };
  const Case cases[] = {
      {"", "", '_', true},
      {kPhone, "'('999')'' '000'-'0000", '_', true},
      {"Ll Aa Cc 09#", "Ll' 'Aa' 'Cc' '09#", '_', true},
      {"00;0", "00", '_', false},
      {"00;1;*", "00", '*', true},
      {"0;0; ", "0", ' ', false},    // a space may be the blank
      {"0;0;;", "0", ';', false},    // so may a ';'
      {";1", "", '_', true},         // a tail alone
      {";", "';'", '_', true},       // a ';' with nothing after it is a literal
      {"0;00", "0';'00", '_', true},           // a ';' in the middle is a literal
      {"0;2", "0';''2'", '_', true},           // the flag must be 0 or 1
      {"0;1x_", "0';''1''x''_'", '_', true},   // three characters, but no second ';'
      {"0;1;__", "0';''1'';''_''_'", '_', true},  // four characters after the first ';'
      {"0\\;1", "0';''1'", '_', true},         // an escaped ';' is no tail
      {"0;1;\\", "0", '\\', true},             // a '\' as the blank
      {"\\L\\0\\>\\\\", "'L''0''>''\\'", '_', true},
      {"0\\", "0", '_', true},                 // a '\' at the very end is dropped
      {"!", "", '_', true},
      {"!!0", "'!'0", '_', true},              // only the first '!' is dropped
      {"0!0", "0'!'0", '_', true},
      {">L<l<>A", "L>l<A", '_', true},
      {"><L", "L<", '_', true},                // "><" is upper, then lower
      {"<>>L", "L>", '_', true},
      {">a9#c", "a>9>#>c>", '_', true},        // every editable class takes the case
      {"99/99 99:99", "99'.'99' '99'h'99", '_', true},  // the locale's separators
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\"");
    MaskPtr mask = newMask(c.Mask);
    EXPECT_EQ(layoutOf(*mask), c.Layout);
    EXPECT_EQ(mask->Blank(), c.Blank);
    EXPECT_EQ(mask->SaveLiteralCharacters(), c.SaveLiterals);
    EXPECT_EQ(mask->Mask(), c.Mask);  // the text as set, '!' and tail included
  }
}

TEST_F(StandardMaskTest, SeparatorsAreTakenWhenTheMaskIsSet) {
  MaskPtr mask = newMask("99/99 99:99");
  DateSeparator = '-';
  TimeSeparator = '.';
  EXPECT_EQ(mask->EmptyText(), "__.__ __h__");
  mask->SetMask("99/99 99:99");
  EXPECT_EQ(mask->EmptyText(), "__-__ __.__");
}

TEST_F(StandardMaskTest, SetMaskAndClearStartFromTheDefaults) {
  MaskPtr mask = newMask("00;0;*");
  mask->SetMask("0");
  EXPECT_EQ(mask->Count(), 1);
  EXPECT_EQ(mask->Blank(), '_');
  EXPECT_TRUE(mask->SaveLiteralCharacters());

  mask->SetMask("L-L;0;*");
  mask->Clear();
  EXPECT_EQ(mask->Count(), 0);
  EXPECT_EQ(mask->Blank(), '_');
  EXPECT_TRUE(mask->SaveLiteralCharacters());
  EXPECT_EQ(mask->Mask(), "");
  EXPECT_EQ(mask->EmptyText(), "");
}

// ---------------------------------------------------------------------------------------
// Items

TEST_F(StandardMaskTest, ItemsAcceptTheirClassAndConvertAsciiCase) {
  struct Case {
    const char* Mask;  // one position
    char Input;
    bool Matches;
    char After;  // the character after a successful match
  };
  const Case cases[] = {
      {"L", 'q', true, 'q'},       {"L", 'Q', true, 'Q'},     {"L", '1', false, 0},
      {"L", '\xE7', false, 0},     // letters are ASCII only
      {">L", 'a', true, 'A'},      {"<L", 'A', true, 'a'},    {">L", 'A', true, 'A'},
      {"<a", 'Q', true, 'q'},      {"a", '5', true, '5'},     {"A", '-', false, 0},
      {"C", '\x01', true, '\x01'}, {"c", ' ', true, ' '},     {"C", '\xE9', true, '\xE9'},
      {">c", '\xE9', true, '\xE9'},  // no conversion outside ASCII
      {">C", 'z', true, 'Z'},      {"<C", '7', true, '7'},
      {"0", '7', true, '7'},       {"9", '0', true, '0'},     {"0", 'a', false, 0},
      {"0", '+', false, 0},        {"#", '+', true, '+'},     {"#", '-', true, '-'},
      {"#", '3', true, '3'},       {"#", ' ', false, 0},      {"#", '.', false, 0},
      {"x", 'x', true, 'x'},       {"x", 'X', false, 0},      {"\\0", '0', true, '0'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\", char " + std::to_string(static_cast<Byte>(c.Input)));
    MaskPtr mask = newMask(c.Mask);
    ASSERT_EQ(mask->Count(), 1);
    char ch = c.Input;
    EXPECT_EQ(mask->Items(0)->Matches(ch), c.Matches);
    if (c.Matches) {
      EXPECT_EQ(ch, c.After);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Fitting a text

TEST_F(StandardMaskTest, FitTextFillsTheFirstLaterPositionThatTakesEachCharacter) {
  struct Case {
    const char* Mask;
    const char* Input;
    bool KeepConverted;
    const char* Expected;
  };
  const Case cases[] = {
      {"", "abc", true, ""},                         // an empty mask: always the empty text
      {kPhone, "(555) 123-4567", true, "(555) 123-4567"},
      {kPhone, "5551234567", true, "(555) 123-4567"},  // literals are filled around
      {kPhone, "55", true, "(55_) ___-____"},
      {kPhone, "", true, "(___) ___-____"},
      {kPhone, "5 5", true, "(5_5) ___-____"},       // a space keeps a position blank
      {kPhone, "5_5", true, "(5_5) ___-____"},       // so does the blank character
      {"000;1;*", "1*2", true, "1*2"},
      {"000;1;*", "1_2", true, "12*"},               // '_' is no blank here: dropped
      {"00", "a1b2c3", true, "12"},                  // refused characters are dropped
      {"00", "12345", true, "12"},                   // the surplus too
      {"L0", "1a", true, "_1"},                      // input order is kept: no later character
      {"L0", "a1", true, "a1"},                      // goes back into a skipped position
      {"L0", "11", true, "_1"},
      {"00-00", "1-2", true, "1_-2_"},               // the '-' fills the literal, the 2 follows it
      {"00-00", "12-34", true, "12-34"},
      {"00-00;0", "1234", true, "12-34"},            // a value saved without literals fits back
      {"x-y", "__", true, "x-y"},                    // literals never take a blank
      {">LL", "ab", true, "AB"},
      {">LL", "ab", false, "ab"},
      {"<L", "Q", true, "q"},
      {"<L", "Q", false, "Q"},
      {"<0<>L", "A", true, "_A"},  // a refusing position does not pass its conversion on
      {">C<c", "aB", true, "Ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\", input \"" + c.Input + "\"" +
                 (c.KeepConverted ? ", converted" : ", as typed"));
    EXPECT_EQ(fitted(c.Mask, c.Input, c.KeepConverted), c.Expected);
  }
}

// ---------------------------------------------------------------------------------------
// Values and empty texts

TEST_F(StandardMaskTest, ExtractValueDropsBlanksAndUnsavedLiterals) {
  struct Case {
    const char* Mask;
    const char* Text;
    const char* Expected;
  };
  const Case cases[] = {
      {"", "abc", ""},
      {kPhone, "(555) 123-4567", "(555) 123-4567"},
      {"!(999) 000-0000;0;_", "(555) 123-4567", "5551234567"},
      {"(999) 000-0000;0;_", "(5_5) ___-____", "5 5       "},
      {kPhone, "(5_5) ___-____", "(5 5)    -    "},
      {"000;1;*", "1*2", "1 2"},
      {"000;1;*", "1_2", "1_2"},  // only the mask's own blank becomes a space
      {"0-0", "1x2", "1x2"},      // a literal position gives the text's character
      {"00-00", "1", "1"},        // a short text: as far as it goes
      {"00-00;0", "12-3", "123"},
      {"00", "1234", "12"},       // a long text: as far as the mask goes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\", text \"" + c.Text + "\"");
    EXPECT_EQ(valueOf(c.Mask, c.Text), c.Expected);
  }
}

TEST_F(StandardMaskTest, EmptyTextAndEmptyValue) {
  struct Case {
    const char* Mask;
    const char* EmptyText;
    const char* EmptyValue;
  };
  const Case cases[] = {
      {"", "", ""},
      {kPhone, "(___) ___-____", "(   )    -    "},
      {"(999) 000-0000;0;*", "(***) ***-****", "          "},
      {"\\AL;1; ", "A ", "A "},
      {">LL<>0", "___", "   "},
      {"99/99", "__.__", "  .  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\"");
    MaskPtr mask = newMask(c.Mask);
    EXPECT_EQ(mask->EmptyText(), c.EmptyText);
    EXPECT_EQ(mask->EmptyValue(), c.EmptyValue);
  }
}

// The editor shows a value by fitting it and reads it back by fitting and extracting: a
// value must survive the trip, with or without its literals.
TEST_F(StandardMaskTest, ValuesSurviveFittingAndExtracting) {
  struct Case {
    const char* Mask;
    const char* Value;
    const char* Shown;
  };
  const Case cases[] = {
      {"!(999) 000-0000;0;_", "5551234567", "(555) 123-4567"},
      {"!(999) 000-0000;0;_", "55 1234567", "(55_) 123-4567"},
      {kPhone, "(55 ) 123-4567", "(55_) 123-4567"},
      {">LL-00;0;*", "AB12", "AB-12"},
      {"#99", "-1 ", "-1_"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\", value \"" + c.Value + "\"");
    MaskPtr mask = newMask(c.Mask);
    std::string text = c.Value;
    mask->FitText(text, true);
    EXPECT_EQ(text, c.Shown);
    mask->ExtractValue(text);
    EXPECT_EQ(text, c.Value);
  }
}

// ---------------------------------------------------------------------------------------
// Completeness

TEST_F(StandardMaskTest, IsCompleteNeedsLiteralsAndRequiredPositions) {
  struct Case {
    const char* Mask;
    const char* Text;
    bool Complete;
  };
  const Case cases[] = {
      {"", "", true},
      {"", "a", false},
      {"000", "123", true},
      {"000", "12", false},    // too short
      {"000", "1234", false},  // too long
      {"000", "12_", false},   // a required position blank
      {"000", "12 ", false},   // or a space
      {"000", "12a", false},
      {"999", "1__", true},    // optional positions may stay blank
      {"999", "   ", true},
      {"999", "1a_", false},
      {"#0", "+1", true},
      {"#0", "-1", true},
      {"#0", "_1", true},
      {"#0", "+_", false},
      {"#0", "1+", false},
      {"0-0", "1-2", true},
      {"0-0", "1/2", false},   // a literal position must hold its literal
      {"0-0", "1_2", false},
      {"0-0;0", "1-2", true},  // the formatted text has its literals even when not saved
      {"C", "x", true},
      {"C", "_", false},       // an any-character position holding the blank is empty
      {"C", " ", false},
      {"c", "_", true},
      {"L;1;x", "x", false},   // the blank counts as empty even where its class fits
      {"l;1;x", "x", true},
      {"00;1;*", "1*", false},
      {"09;1;*", "1*", true},
      {"09;1;*", "1_", false},
      {kPhone, "(555) 123-4567", true},
      {kPhone, "(5__) 123-4567", true},
      {kPhone, "(555) 123-456_", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\", text \"" + c.Text + "\"");
    std::string text = c.Text;
    EXPECT_EQ(newMask(c.Mask)->IsComplete(text), c.Complete);
  }
}

TEST_F(StandardMaskTest, IsCompleteConvertsTheCaseInPlace) {
  struct Case {
    const char* Mask;
    const char* Text;
    const char* After;
  };
  const Case cases[] = {
      {">LL", "ab", "AB"},
      {"<l>a", "Qz", "qZ"},
      {">L-9", "a-_", "A-_"},  // literals and blanks stay as they are
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\", text \"" + c.Text + "\"");
    std::string text = c.Text;
    EXPECT_TRUE(newMask(c.Mask)->IsComplete(text));
    EXPECT_EQ(text, c.After);
  }
}
