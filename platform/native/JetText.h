#pragma once
// Text handling of the native database engine: the cp1252 <-> UTF-8 conversion done at the
// engine's boundary, and the Jet-like text ordering (case-insensitive, accents beside their
// base letter) used by the engine's collation, LIKE and case functions.
//
// The program's strings are cp1252; SQLite and libmdb speak UTF-8. Every text that enters the
// engine is converted to UTF-8 and every text that leaves it is converted back.
#include <cstdint>
#include <string>
#include <string_view>

namespace native::text {

// cp1252 bytes -> UTF-8. The five bytes cp1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become U+0081 ... as Windows maps them, so every byte string survives a round trip. The
// escape utf8ToCp1252 writes for a character outside cp1252 becomes that character again.
std::string cp1252ToUtf8(std::string_view cp1252);

// UTF-8 -> cp1252. A character cp1252 cannot hold (an emoji, CJK, Greek ...) becomes the byte
// 0x81 followed by its code point in braces ("\x81{1F600}"), so that the text returns to the
// engine unchanged and matches the stored one; U+0081 itself is escaped only where the text
// after it would read as an escape. A byte that is not part of a valid UTF-8 sequence is taken
// as a cp1252 byte and passed through unchanged (so Latin-1 text stored by other programs
// still reads sensibly).
std::string utf8ToCp1252(std::string_view utf8);

// Decodes one code point of UTF-8 at s[pos], advancing pos. An invalid byte decodes as the
// cp1252 character of that byte.
uint32_t decodeUtf8(std::string_view s, size_t& pos);
void appendUtf8(std::string& out, uint32_t codePoint);

// The cp1252 byte of a code point, or -1 when cp1252 has no such character.
int codePointToCp1252(uint32_t codePoint);
uint32_t cp1252ToCodePoint(unsigned char byte);

// Sort weights of one character. Characters compare first by their primary weights over the
// whole text (base letter: 'a', 'A', 'á' and 'Á' share one), then by the secondary weights
// (the accent); case never counts. Punctuation < digits < letters; characters outside cp1252
// sort after all others, by code point.
struct Weight {
  uint32_t primary;
  uint32_t secondary;
};
Weight weightOf(uint32_t codePoint);

// Compares two UTF-8 texts in the Jet-like order: <0, 0 or >0. Equal means equal up to case.
int compareText(std::string_view a, std::string_view b);

// Upper and lower case of a code point for the cp1252 repertoire (other code points unchanged).
uint32_t toUpper(uint32_t codePoint);
uint32_t toLower(uint32_t codePoint);
std::string upperUtf8(std::string_view utf8);
std::string lowerUtf8(std::string_view utf8);

// Case-insensitive comparison of two cp1252 names (table and column names).
bool sameNameCp1252(std::string_view a, std::string_view b);

// Jet LIKE: '*' or '%' any run of characters, '?' or '_' one character, '#' one digit,
// [abc], [a-z] and [!abc] character lists. Case-insensitive, accent-sensitive. When escape
// is not 0, the character after it matches itself. Both texts are UTF-8.
bool likeMatch(std::string_view pattern, std::string_view value, uint32_t escape = 0);

}  // namespace native::text
