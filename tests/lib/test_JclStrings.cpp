#include "TestFramework.h"
#include "lib/jcl/JclLogic.h"
#include "lib/jcl/JclStrings.h"
#include "platform/rtl/Classes.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> items(TStrings& list) {
  std::vector<std::string> r;
  for (Integer i = 0; i < list.Count(); ++i) r.push_back(list.Strings(i));
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Bits

TEST(JclLogic, BitsOfBytesAndBuffersCountFromTheLeastSignificant) {
  EXPECT_EQ(BitSetInByte(0x00, 0), 0x01);
  EXPECT_EQ(BitSetInByte(0x01, 7), 0x81);
  EXPECT_TRUE(BitTestInByte(0x80, 7));
  EXPECT_FALSE(BitTestInByte(0x7F, 7));

  Byte buffer[33] = {};
  buffer[32] = 0xAA;  // past the 256 bits: never touched
  BitSetInBuffer(buffer, 9);
  BitSetInBuffer(buffer, 255);
  EXPECT_EQ(buffer[1], 0x02) << "bit 9 is bit 1 of byte 1";
  EXPECT_EQ(buffer[31], 0x80) << "bit 255 is bit 7 of byte 31";
  EXPECT_EQ(buffer[0], 0x00);
  EXPECT_EQ(buffer[32], 0xAA);
  EXPECT_TRUE(BitTestInBuffer(buffer, 9));
  EXPECT_FALSE(BitTestInBuffer(buffer, 8));
}

// ---------------------------------------------------------------------------------------
// Replacing

TEST(JclStrings, TextReplaceFollowsItsFlags) {
  struct Case {
    const char* text;
    const char* search;
    const char* replacement;
    Integer flags;
    const char* expected;
  } cases[] = {
      // Case ignored, first only: the second occurrence stays.
      {"Forms\\%FORM_NAME%\\%form_name%", "%form_name%", "Main", textIgnoreCase, "Forms\\Main\\%form_name%"},
      {"aaa", "a", "aa", textReplaceAll | textIgnoreCase, "aaaaaa"},
      {"Abc abc Abc", "abc", "X", 0, "Abc X Abc"},
      {"Abc abc Abc", "abc", "X", textReplaceAll, "Abc X Abc"},
      {"Abc abc Abc", "abc", "X", textReplaceAll | textIgnoreCase, "X X X"},
      {"AÇÃO ação", "ação", "x", textReplaceAll | textIgnoreCase, "x x"},
      {"abab", "ab", "ab-ab", textReplaceAll, "ab-abab-ab"},  // the replacement is not searched again
      {"", "a", "b", textReplaceAll, ""},
      {"", "", "novo", 0, "novo"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    TextReplace(text, c.search, c.replacement, c.flags);
    EXPECT_EQ(text, c.expected) << "replacing '" << c.search << "' in '" << c.text << "' flags " << c.flags;
  }
}

TEST(JclStrings, TextReplaceRefusesABlankSearchInAText) {
  std::string text = "abc";
  EXPECT_EQ(RaisedMessage<EJclError>([&] { TextReplace(text, "", "x", textReplaceAll); }),
            "Search string cannot be blank");
  EXPECT_EQ(text, "abc");
}

// ---------------------------------------------------------------------------------------
// Searching and pieces

TEST(JclStrings, TextFindNoCaseGivesOneBasedPositions) {
  EXPECT_EQ(TextFindNoCase("%form_name%", "Forms\\%FORM_NAME%", 1), 7);
  EXPECT_EQ(TextFindNoCase("%form_name%", "Forms\\%FORM_NAME%", 7), 7);
  EXPECT_EQ(TextFindNoCase("%form_name%", "Forms\\%FORM_NAME%", 8), 0);
  EXPECT_EQ(TextFindNoCase("ÇÃO", "ação", 1), 2);
  EXPECT_EQ(TextFindNoCase("b", "abcb", 3), 4);
  EXPECT_EQ(TextFindNoCase("x", "abc", 1), 0);
  EXPECT_EQ(TextFindNoCase("", "abc", 1), 0);
  EXPECT_EQ(TextFindNoCase("a", "", 1), 0);
  EXPECT_EQ(TextFindNoCase("a", "abc", 0), 0);
}

TEST(JclStrings, SmallTextHelpers) {
  EXPECT_EQ(TextWithSuffix("\\", "C:\\x"), "C:\\x\\");
  EXPECT_EQ(TextWithSuffix("\\", "C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(TextWithSuffix(".ini", "a.INI"), "a.INI.ini") << "the suffix test is case-sensitive";

  std::string buffer("abc\0def", 7);
  TextCutAtNull(buffer);
  EXPECT_EQ(buffer, "abc");

  EXPECT_EQ(TextCountChar("a,b,,c", ','), 3);
  EXPECT_EQ(TextHead("abcdef", 2), "ab");
  EXPECT_EQ(TextHead("ab", 5), "ab");
  EXPECT_EQ(TextTail("abcdef", 5), "ef");
  EXPECT_EQ(TextTail("abc", 4), "");
}

TEST(JclStrings, CharacterTablesFollowTheAnsiCodePage) {
  EXPECT_TRUE(CharIsLowerCase('ç'));
  EXPECT_FALSE(CharIsLowerCase('Ç'));
  EXPECT_TRUE(CharIsUpperCase('Ç'));
  EXPECT_FALSE(CharIsUpperCase('1'));
  EXPECT_EQ(CharToUpperCase('ã'), 'Ã');
  EXPECT_EQ(CharToUpperCase('a'), 'A');
  EXPECT_EQ(CharToUpperCase('7'), '7');
}

// ---------------------------------------------------------------------------------------
// Splitting and joining

TEST(JclStrings, TextSplitKeepsEmptyPartsOnlyWhenAsked) {
  struct Case {
    const char* text;
    const char* separator;
    bool keepEmpty;
    std::vector<std::string> expected;
  } cases[] = {
      {"a,,b", ",", true, {"a", "", "b"}},
      {"a,,b", ",", false, {"a", "b"}},
      {"a,", ",", true, {"a"}},  // an empty remainder is never added
      {",a", ",", true, {"", "a"}},
      {"a::b::c", "::", false, {"a", "b", "c"}},
      {"abc", "", false, {"abc"}},
      {"", ",", true, {}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.Add("old");
    TextSplit(c.text, c.separator, &list, c.keepEmpty);
    EXPECT_EQ(items(list), c.expected) << "splitting '" << c.text << "' at '" << c.separator << "'";
  }
}

TEST(JclStrings, TextJoinSkipsEmptyItemsUnlessKept) {
  TStringList list;
  list.Add("a");
  list.Add("");
  list.Add("b");
  list.Add("");
  EXPECT_EQ(TextJoin(&list, ", ", true), "a, , b, ");
  EXPECT_EQ(TextJoin(&list, ", ", false), "a, b");
  TStringList empty;
  EXPECT_EQ(TextJoin(&empty, ",", true), "");
}
