// Text layer of the engine: the cp1252 boundary, Jet's text order, LIKE patterns.
#include "platform/native/JetText.h"
#include "NativeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace native::text;
using nativetest::cp;

TEST(Cp1252Boundary, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string utf8 = cp1252ToUtf8(all);
  EXPECT_EQ(utf8ToCp1252(utf8), all);
}

TEST(Cp1252Boundary, MapsTheWindowsSpecificCharactersToTheirUnicodeForms) {
  EXPECT_EQ(cp1252ToUtf8("\x80"), "€");
  EXPECT_EQ(cp1252ToUtf8("\x93ol\xE1\x94"), "“olá”");
  EXPECT_EQ(cp1252ToUtf8("S\xE3o Paulo"), "São Paulo");
  EXPECT_EQ(utf8ToCp1252("Œuvre – ž"), "\x8Cuvre \x96 \x9E");
}

TEST(Cp1252Boundary, CharactersOutsideCp1252LeaveEscapedAndComeBackAsThemselves) {
  struct Case {
    std::string utf8;
    std::string cp1252;
  } cases[] = {
      {"Ωmega 漢", "\x81{3A9}mega \x81{6F22}"},
      {"😀 e 😁", "\x81{1F600} e \x81{1F601}"},  // two emoji stay two different texts
      {"São 北京", "S\xE3o \x81{5317}\x81{4EAC}"},
      // U+0081 is its own byte, unless what follows would read as an escape.
      {"\xC2\x81", "\x81"},
      {"\xC2\x81{41}", "\x81{41}"},          // 'A' has a cp1252 byte: never escaped
      {"\xC2\x81{1F600}", "\x81{81}{1F600}"},  // the text "{1F600}" after U+0081
      {"{1F600}", "{1F600}"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(cp1252ToUtf8(c.cp1252), c.utf8) << c.utf8;
  }
  // What the program writes with a stray 0x81 reads as U+0081; broken escapes stay text.
  for (const char* loose : {"\x81", "\x81{", "\x81{}", "\x81{zz}", "\x81{1F600", "\x81{110000}", "\x81{D800}"})
    EXPECT_EQ(cp1252ToUtf8(loose), "\xC2\x81" + std::string(loose + 1)) << loose;
}

TEST(Cp1252Boundary, StrayBytesPassThrough) {
  // Latin-1 bytes stored by another program are not valid UTF-8: they read as themselves.
  EXPECT_EQ(utf8ToCp1252("caf\xE9"), "caf\xE9");
  // A multi-byte sequence cut short at the end of the text.
  EXPECT_EQ(utf8ToCp1252("ab\xC3"), "ab\xC3");
}

TEST(JetTextOrder, IgnoresCaseButNotAccents) {
  EXPECT_EQ(compareText("abc", "ABC"), 0);
  EXPECT_EQ(compareText("são paulo", "SÃO PAULO"), 0);
  EXPECT_NE(compareText("jose", "josé"), 0);
  EXPECT_LT(compareText("abc", "abd"), 0);
  EXPECT_LT(compareText("ab", "abc"), 0);
}

TEST(JetTextOrder, PutsAccentedWordsBesideTheirBaseLetters) {
  std::vector<std::string> words = {"Zeca", "édna", "Éden", "ébano", "Azul", "Ávila", "avenida", "Abc", "ábaco", "1º lugar", "Ñandu", "nada", "-traço"};
  std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) { return compareText(a, b) < 0; });
  std::vector<std::string> expected = {"-traço", "1º lugar", "ábaco", "Abc", "avenida", "Ávila", "Azul", "ébano", "Éden", "édna", "nada", "Ñandu", "Zeca"};
  EXPECT_EQ(words, expected);
}

TEST(JetTextOrder, AnAccentOnlyDecidesBetweenOtherwiseEqualWords) {
  // The base letters decide first ("áa" < "ab"); between equal base letters the plain letter
  // comes before the accented one ("ab" < "áb").
  EXPECT_LT(compareText("áa", "ab"), 0);
  EXPECT_LT(compareText("ab", "áb"), 0);
  EXPECT_LT(compareText("Ab", "áB"), 0);
}

TEST(CaseMapping, CoversTheCp1252Letters) {
  EXPECT_EQ(upperUtf8("ação œ š ž ÿ ß"), "AÇÃO Œ Š Ž Ÿ ß");
  EXPECT_EQ(lowerUtf8("ÁGUA ÇÉU Ÿ"), "água çéu ÿ");
  EXPECT_TRUE(sameNameCp1252(cp("Região"), cp("REGIÃO")));
  EXPECT_FALSE(sameNameCp1252("renda", "rendas"));
}

TEST(JetLike, WildcardsListsAndEscapes) {
  struct Case {
    const char* pattern;
    const char* value;
    bool match;
  } cases[] = {
      {"S*", "São Paulo", true},     {"s*o", "São Paulo", true},   {"*paulo", "São Paulo", true},
      {"*Paulo*", "São Paulo", true}, {"Sa*", "São Paulo", false},  // accents count
      {"?ul", "Sul", true},          {"?ul", "Sl", false},         {"S_l", "Sul", true},
      {"%este", "Nordeste", true},   {"#º lugar", "1º lugar", true}, {"#º lugar", "xº lugar", false},
      {"[NS]*", "Norte", true},      {"[NS]*", "Leste", false},    {"[!NS]*", "Leste", true},
      {"[a-c]*", "Bahia", true},     {"[a-c]*", "Ávila", true},    {"[a-c]*", "Ceará", true},
      {"[a-c]*", "Dado", false},     {"a[*]b", "a*b", true},       {"a[*]b", "axb", false},
      {"*a*a*a*", "banana", true},   {"*a*a*a*a*", "banana", false}, {"", "", true},
      {"*", "", true},               {"?", "", false},             {"[abc", "[abc", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(likeMatch(c.pattern, c.value), c.match) << c.pattern << " vs " << c.value;
  EXPECT_TRUE(likeMatch("100!%", "100%", '!'));
  EXPECT_FALSE(likeMatch("100!%", "1000", '!'));
}
