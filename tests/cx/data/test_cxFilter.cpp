// Filter criteria: LIKE matching, the condition tree and its evaluation over a small table
// of records, and the tree's expression text, caption text and binary stream.
#include <cstring>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxFilter.h"

namespace {

// ---------------------------------------------------------------------------------------
// LIKE matching

struct LikeCase {
  const char* text;
  const char* pattern;
  bool matches;
};

TEST(LikeMatch, WildcardsAnywhereInThePattern) {
  const LikeCase cases[] = {
      {"abc", "a%", true},    {"abc", "%c", true},     {"abc", "%b%", true},    {"abc", "a_c", true},
      {"abc", "abc", true},   {"abc", "%", true},      {"abc", "ab", false},    {"abc", "_b", false},
      {"abc", "abcd", false}, {"abc", "a%b%c", true},  {"abc", "a%%c", true},   {"abc", "%a%b%c%", true},
      {"abc", "___", true},   {"abc", "____", false},  {"abc", "%_", true},     {"abc", "%d", false},
      {"", "%", true},        {"", "_", false},        {"", "a", false},        {"", "", true},
      {"abc", "", false},     {"ab", "a%b", true},     {"aXbYb", "a%b", true},  {"abab", "%ab", true},
      {"aaab", "%a%a%b", true}, {"ba", "%a%a", false},
      // Byte-exact: case counts unless the caller has upper-cased both sides.
      {"ABC", "a%", false},   {"ABC", "A%", true},
  };
  for (const LikeCase& c : cases)
    EXPECT_EQ(c.matches, cxLike(c.text, c.pattern, '%', '_')) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

// A run of many-char wildcards stands for any run of characters, none included, just as one
// does: the empty text matches '%%' and 'a' matches 'a%%'.
TEST(LikeMatch, RunsOfWildcardsAlsoMatchNothing) {
  const LikeCase cases[] = {
      {"", "%%", true}, {"", "%%%", true}, {"a", "a%%", true}, {"a", "%%a%%", true}, {"a", "a%%_", false},
  };
  for (const LikeCase& c : cases)
    EXPECT_EQ(c.matches, cxLike(c.text, c.pattern, '%', '_')) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

TEST(LikeMatch, CustomWildcardCharacters) {
  const LikeCase cases[] = {
      {"abc", "a*", true}, {"abc", "a?c", true}, {"abc", "a%", false}, {"a%c", "a%c", true},
      {"a_c", "a_c", true}, {"abc", "a_c", false}, {"", "**", true},
  };
  for (const LikeCase& c : cases)
    EXPECT_EQ(c.matches, cxLike(c.text, c.pattern, '*', '?')) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

TEST(LikeMatch, EscapeMakesTheNextCharacterLiteral) {
  struct Case {
    const char* text;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"50%", "50\\%", true}, {"500", "50\\%", false},  {"a_c", "a\\_c", true}, {"abc", "a\\_c", false},
      {"a\\c", "a\\\\c", true}, {"abc", "abc\\", true}, {"ab", "abc\\", false}, {"x%y", "%\\%%", true},
      {"xy", "%\\%%", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.matches, cxLikeMatch(c.text, static_cast<Integer>(std::strlen(c.text)), c.pattern, '\\', '_', '%',
                                     static_cast<Integer>(std::strlen(c.pattern))))
        << "'" << c.text << "' LIKE '" << c.pattern << "' ESCAPE '\\'";
}

// Explicit lengths: embedded zero bytes are ordinary characters.
TEST(LikeMatch, ExplicitLengthsCoverZeroBytes) {
  const char text[] = {'a', '\0', 'b'};
  EXPECT_TRUE(cxLikeMatch(text, 3, "a_b", 0, '_', '%', 3));
  EXPECT_FALSE(cxLikeMatch(text, 1, "a_b", 0, '_', '%', 3));
  EXPECT_TRUE(cxLikeMatch(text, 3, "a%", 0, '_', '%', 2));
}

// Many wildcards against a long text that almost matches must not take exponential time.
TEST(LikeMatch, ManyWildcardsStayFast) {
  std::string text(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "%a";
  EXPECT_FALSE(cxLike(text, pattern + "b", '%', '_'));
  EXPECT_TRUE(cxLike(text, pattern + "%", '%', '_'));
}

TEST(LikeMatch, StripWildcardsForCaptions) {
  struct Case {
    const char* pattern;
    Byte kind;
    const char* stripped;
  } cases[] = {
      {"%abc%", 3, "abc"}, {"abc%", 1, "abc"}, {"%abc", 2, "abc"}, {"abc", 0, "abc"}, {"%%abc%%%", 3, "abc"},
      {"%", 0, "%"},       {"%%", 0, "%"},     {"%a", 2, "a"},     {"%a%b%", 3, "a%b"}, {"_a_", 0, "_a_"},
      {"a%%b", 0, "a%b"},  {"", 0, ""},
  };
  for (const Case& c : cases) {
    std::string p = c.pattern;
    EXPECT_EQ(c.kind, cxStripLikeWildcards(p, '%')) << c.pattern;
    EXPECT_EQ(c.stripped, p) << c.pattern;
  }
  std::string custom = "**x*";
  EXPECT_EQ(3, cxStripLikeWildcards(custom, '*'));
  EXPECT_EQ("x", custom);
}

}  // namespace
