#include "platform/native/JetText.h"

#include <array>

namespace native::text {
namespace {

// Code points of the cp1252 bytes 0x80-0x9F; the rest of cp1252 is Latin-1.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// Weight ranges, in sort order.
constexpr uint32_t kControlBase = 0x001;
constexpr uint32_t kPunctBase = 0x100;
constexpr uint32_t kSymbolBase = 0x200;
constexpr uint32_t kDigitBase = 0x300;
constexpr uint32_t kLetterBase = 0x400;
constexpr uint32_t kOutsideBase = 0x10000;

constexpr uint32_t letter(char c) { return kLetterBase + static_cast<uint32_t>(c - 'a') * 2; }
constexpr uint32_t kThorn = kLetterBase + 26 * 2;

constexpr std::array<Weight, 256> buildWeights() {
  std::array<Weight, 256> w{};
  for (int b = 0; b < 256; ++b) {
    if (b < 0x20 || b == 0x7F)
      w[b] = {kControlBase + static_cast<uint32_t>(b), 0};
    else if (b < 0x80)
      w[b] = {kPunctBase + static_cast<uint32_t>(b), 0};
    else
      w[b] = {kSymbolBase + static_cast<uint32_t>(b), 0};
  }
  for (int d = 0; d < 10; ++d) w['0' + d] = {kDigitBase + static_cast<uint32_t>(d), 0};
  for (int c = 0; c < 26; ++c) {
    w['a' + c] = {letter(static_cast<char>('a' + c)), 0};
    w['A' + c] = {letter(static_cast<char>('a' + c)), 0};
  }
  // Accented letters: the base letter's primary weight, the accent as secondary weight.
  // Upper- and lower-case forms get the same pair.
  struct Variant {
    unsigned char upper, lower;
    char base;
    uint32_t accent;
  };
  constexpr Variant variants[] = {
      {0xC0, 0xE0, 'a', 1}, {0xC1, 0xE1, 'a', 2}, {0xC2, 0xE2, 'a', 3}, {0xC3, 0xE3, 'a', 4},
      {0xC4, 0xE4, 'a', 5}, {0xC5, 0xE5, 'a', 6}, {0xC6, 0xE6, 'a', 7}, {0xC7, 0xE7, 'c', 1},
      {0xC8, 0xE8, 'e', 1}, {0xC9, 0xE9, 'e', 2}, {0xCA, 0xEA, 'e', 3}, {0xCB, 0xEB, 'e', 4},
      {0xCC, 0xEC, 'i', 1}, {0xCD, 0xED, 'i', 2}, {0xCE, 0xEE, 'i', 3}, {0xCF, 0xEF, 'i', 4},
      {0xD0, 0xF0, 'd', 1}, {0xD1, 0xF1, 'n', 1}, {0xD2, 0xF2, 'o', 1}, {0xD3, 0xF3, 'o', 2},
      {0xD4, 0xF4, 'o', 3}, {0xD5, 0xF5, 'o', 4}, {0xD6, 0xF6, 'o', 5}, {0xD8, 0xF8, 'o', 6},
      {0xD9, 0xF9, 'u', 1}, {0xDA, 0xFA, 'u', 2}, {0xDB, 0xFB, 'u', 3}, {0xDC, 0xFC, 'u', 4},
      {0xDD, 0xFD, 'y', 1}, {0x9F, 0xFF, 'y', 2}, {0x8A, 0x9A, 's', 8}, {0x8C, 0x9C, 'o', 7},
      {0x8E, 0x9E, 'z', 1},
  };
  for (const Variant& v : variants) {
    w[v.upper] = {letter(v.base), v.accent};
    w[v.lower] = {letter(v.base), v.accent};
  }
  w[0xDE] = w[0xFE] = {kThorn, 0};
  w[0xDF] = {letter('s'), 7};  // sharp s
  w[0x83] = {letter('f'), 1};  // florin sign, written as an f
  w[0xAA] = {letter('a'), 8};  // ordinal indicators
  w[0xBA] = {letter('o'), 8};
  w[0xB9] = {kDigitBase + 1, 1};  // superscript digits beside their digits
  w[0xB2] = {kDigitBase + 2, 1};
  w[0xB3] = {kDigitBase + 3, 1};
  // Typographic variants of ASCII punctuation sort with it.
  w[0xA0] = {kPunctBase + ' ', 1};
  w[0xAD] = {kPunctBase + '-', 1};
  w[0x96] = {kPunctBase + '-', 2};
  w[0x97] = {kPunctBase + '-', 3};
  w[0x91] = {kPunctBase + '\'', 1};
  w[0x92] = {kPunctBase + '\'', 2};
  w[0x93] = {kPunctBase + '"', 1};
  w[0x94] = {kPunctBase + '"', 2};
  return w;
}

constexpr std::array<Weight, 256> kWeights = buildWeights();

// One character of input: code point and weight, read from UTF-8 with an ASCII fast path.
inline Weight nextWeight(std::string_view s, size_t& pos) {
  unsigned char b = static_cast<unsigned char>(s[pos]);
  if (b < 0x80) {
    ++pos;
    return kWeights[b];
  }
  return weightOf(decodeUtf8(s, pos));
}

bool weightLess(const Weight& a, const Weight& b) {
  return a.primary != b.primary ? a.primary < b.primary : a.secondary < b.secondary;
}
bool weightEqual(const Weight& a, const Weight& b) {
  return a.primary == b.primary && a.secondary == b.secondary;
}

}  // namespace

uint32_t cp1252ToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

int codePointToCp1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == cp) return 0x80 + i;
  return -1;
}

namespace {

// Characters cp1252 cannot hold leave the engine as an escape, the byte 0x81 (which cp1252
// leaves undefined, so no real text holds it) then "{hex}" with the code point in upper-case
// hexadecimal, and come back as themselves when such a text returns in SQL or as a parameter.
// A value the program read therefore matches the stored one when it writes it back into a
// literal, and two different characters never read as the same text.
constexpr unsigned char kEscapeByte = 0x81;

bool needsEscape(uint32_t cp) { return cp == kEscapeByte || codePointToCp1252(cp) < 0; }

// Reads "{hex}" at s[pos] naming a character that leaves the engine escaped: its code point
// and the escape's length in bytes.
bool readEscape(std::string_view s, size_t pos, uint32_t& cp, size_t& length) {
  if (pos >= s.size() || s[pos] != '{') return false;
  uint32_t value = 0;
  size_t i = pos + 1;
  for (; i < s.size() && i - pos <= 6; ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9')
      value = value * 16 + static_cast<uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F')
      value = value * 16 + static_cast<uint32_t>(c - 'A' + 10);
    else
      break;
  }
  if (i == pos + 1 || i >= s.size() || s[i] != '}') return false;
  if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) || !needsEscape(value)) return false;
  cp = value;
  length = i + 1 - pos;
  return true;
}

void appendEscape(std::string& out, uint32_t cp) {
  static const char kHex[] = "0123456789ABCDEF";
  char digits[8];
  int n = 0;
  do {
    digits[n++] = kHex[cp & 0xF];
    cp >>= 4;
  } while (cp);
  out += static_cast<char>(kEscapeByte);
  out += '{';
  while (n) out += digits[--n];
  out += '}';
}

}  // namespace

uint32_t decodeUtf8(std::string_view s, size_t& pos) {
  unsigned char b0 = static_cast<unsigned char>(s[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int extra;
  uint32_t cp;
  uint32_t minimum;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, minimum = 0x10000;
  } else {
    ++pos;
    return cp1252ToCodePoint(b0);
  }
  if (pos + static_cast<size_t>(extra) >= s.size()) {  // sequence cut short
    ++pos;
    return cp1252ToCodePoint(b0);
  }
  for (int i = 1; i <= extra; ++i) {
    unsigned char bi = static_cast<unsigned char>(s[pos + i]);
    if ((bi & 0xC0) != 0x80) {
      ++pos;
      return cp1252ToCodePoint(b0);
    }
    cp = (cp << 6) | (bi & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return cp1252ToCodePoint(b0);
  }
  pos += static_cast<size_t>(extra) + 1;
  return cp;
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string cp1252ToUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size() + in.size() / 8);
  for (size_t i = 0; i < in.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      continue;
    }
    uint32_t cp = 0;
    size_t length = 0;
    if (b == kEscapeByte && readEscape(in, i + 1, cp, length)) {
      appendUtf8(out, cp);
      i += length;
      continue;
    }
    appendUtf8(out, cp1252ToCodePoint(b));
  }
  return out;
}

std::string utf8ToCp1252(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  size_t pos = 0;
  while (pos < in.size()) {
    unsigned char b = static_cast<unsigned char>(in[pos]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++pos;
      continue;
    }
    uint32_t cp = decodeUtf8(in, pos);
    int byte = codePointToCp1252(cp);
    // U+0081 is written as its own byte unless the text after it would read as an escape.
    uint32_t ignored = 0;
    size_t length = 0;
    if (byte < 0 || (cp == kEscapeByte && readEscape(in, pos, ignored, length))) {
      appendEscape(out, cp);
      continue;
    }
    out += static_cast<char>(byte);
  }
  return out;
}

Weight weightOf(uint32_t cp) {
  int byte = codePointToCp1252(cp);
  if (byte < 0) return {kOutsideBase + cp, 0};
  return kWeights[static_cast<size_t>(byte)];
}

int compareText(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  int accentOrder = 0;  // first accent difference, which decides between equal base letters
  while (i < a.size() && j < b.size()) {
    Weight wa = nextWeight(a, i);
    Weight wb = nextWeight(b, j);
    if (wa.primary != wb.primary) return wa.primary < wb.primary ? -1 : 1;
    if (accentOrder == 0 && wa.secondary != wb.secondary) accentOrder = wa.secondary < wb.secondary ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return accentOrder;
}

uint32_t toUpper(uint32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp < 0x80) return cp;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
  switch (cp) {
    case 0xFF: return 0x178;
    case 0x161: return 0x160;
    case 0x153: return 0x152;
    case 0x17E: return 0x17D;
    default: return cp;
  }
}

uint32_t toLower(uint32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp < 0x80) return cp;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  switch (cp) {
    case 0x178: return 0xFF;
    case 0x160: return 0x161;
    case 0x152: return 0x153;
    case 0x17D: return 0x17E;
    default: return cp;
  }
}

namespace {
template <typename Map>
std::string mapUtf8(std::string_view in, Map map) {
  std::string out;
  out.reserve(in.size());
  size_t pos = 0;
  while (pos < in.size()) appendUtf8(out, map(decodeUtf8(in, pos)));
  return out;
}
}  // namespace

std::string upperUtf8(std::string_view in) { return mapUtf8(in, toUpper); }
std::string lowerUtf8(std::string_view in) { return mapUtf8(in, toLower); }

bool sameNameCp1252(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    uint32_t ca = toUpper(cp1252ToCodePoint(static_cast<unsigned char>(a[i])));
    uint32_t cb = toUpper(cp1252ToCodePoint(static_cast<unsigned char>(b[i])));
    if (ca != cb) return false;
  }
  return true;
}

namespace {

// Matches one bracketed character list starting just after '['. Returns false when the list
// has no closing ']' (the '[' is then an ordinary character). On success sets end to the
// position after ']' and matched to whether value character c is in the list.
bool matchList(std::string_view p, size_t start, uint32_t c, size_t& end, bool& matched) {
  size_t pos = start;
  bool negate = false;
  if (pos < p.size() && p[pos] == '!') {
    negate = true;
    ++pos;
  }
  Weight wc = weightOf(c);
  bool found = false;
  bool first = true;
  while (pos < p.size()) {
    if (p[pos] == ']' && !first) {
      end = pos + 1;
      matched = found != negate;
      return true;
    }
    first = false;
    uint32_t lo = decodeUtf8(p, pos);
    if (pos + 1 < p.size() && p[pos] == '-' && p[pos + 1] != ']') {
      ++pos;
      uint32_t hi = decodeUtf8(p, pos);
      Weight wlo = weightOf(lo), whi = weightOf(hi);
      if (!weightLess(wc, wlo) && !weightLess(whi, wc)) found = true;
    } else if (weightEqual(weightOf(lo), wc)) {
      found = true;
    }
  }
  return false;
}

}  // namespace

bool likeMatch(std::string_view p, std::string_view v, uint32_t escape) {
  size_t pi = 0, vi = 0;
  size_t starP = std::string_view::npos, starV = 0;
  while (vi < v.size()) {
    bool ok = false;
    if (pi < p.size()) {
      size_t next = pi;
      uint32_t pc = decodeUtf8(p, next);
      if (escape != 0 && pc == escape && next < p.size()) {
        size_t vnext = vi;
        uint32_t lit = decodeUtf8(p, next);
        if (weightEqual(weightOf(lit), weightOf(decodeUtf8(v, vnext)))) {
          pi = next, vi = vnext, ok = true;
        }
      } else if (pc == '*' || pc == '%') {
        starP = next, starV = vi, pi = next;
        continue;
      } else if (pc == '?' || pc == '_') {
        decodeUtf8(v, vi);
        pi = next, ok = true;
      } else if (pc == '#') {
        size_t vnext = vi;
        uint32_t vc = decodeUtf8(v, vnext);
        if (vc >= '0' && vc <= '9') pi = next, vi = vnext, ok = true;
      } else {
        size_t vnext = vi;
        uint32_t vc = decodeUtf8(v, vnext);
        size_t end = 0;
        bool inList = false;
        if (pc == '[' && matchList(p, next, vc, end, inList)) {
          if (inList) pi = end, vi = vnext, ok = true;
        } else if (weightEqual(weightOf(pc), weightOf(vc))) {
          pi = next, vi = vnext, ok = true;
        }
      }
    }
    if (ok) continue;
    if (starP == std::string_view::npos) return false;
    // Let the last '*' absorb one more character and try again from there.
    decodeUtf8(v, starV);
    pi = starP, vi = starV;
  }
  while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) ++pi;
  return pi == p.size();
}

}  // namespace native::text
