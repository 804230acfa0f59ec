#include "platform/native/OleDate.h"

#include <cctype>
#include <cmath>
#include <string>

namespace native::oledate {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int32_t& y, int32_t& m, int32_t& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int32_t>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kEpoch = daysFromCivil(1899, 12, 30);

int daysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : days[m - 1];
}

// A small cursor over the literal's text.
struct Reader {
  std::string_view s;
  size_t pos = 0;
  void skipSpaces() {
    while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
  }
  bool atEnd() {
    skipSpaces();
    return pos >= s.size();
  }
  // Reads 1..maxDigits digits; returns the count read.
  int number(int32_t& value, int maxDigits = 9) {
    int n = 0;
    value = 0;
    while (pos < s.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(s[pos]))) {
      value = value * 10 + (s[pos] - '0');
      ++pos, ++n;
    }
    return n;
  }
  bool accept(char c) {
    if (pos < s.size() && s[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  }
  bool acceptWord(const char* word) {
    size_t n = std::char_traits<char>::length(word);
    if (pos + n > s.size()) return false;
    for (size_t i = 0; i < n; ++i)
      if (std::toupper(static_cast<unsigned char>(s[pos + i])) != word[i]) return false;
    pos += n;
    return true;
  }
};

// h:nn[:ss[.fff]] [AM|PM]
bool readTime(Reader& r, DateParts& p) {
  int32_t h, mi, sec = 0;
  if (!r.number(h, 2) || !r.accept(':') || r.number(mi, 2) != 2) return false;
  double fraction = 0;
  if (r.accept(':')) {
    if (r.number(sec, 2) != 2) return false;
    if (r.accept('.')) {
      double scale = 0.1;
      while (r.pos < r.s.size() && std::isdigit(static_cast<unsigned char>(r.s[r.pos]))) {
        fraction += (r.s[r.pos++] - '0') * scale;
        scale /= 10;
      }
    }
  }
  r.skipSpaces();
  if (r.acceptWord("AM")) {
    if (h < 1 || h > 12) return false;
    if (h == 12) h = 0;
  } else if (r.acceptWord("PM")) {
    if (h < 1 || h > 12) return false;
    if (h != 12) h += 12;
  }
  p.hour = h, p.minute = mi, p.second = sec + fraction;
  return true;
}

}  // namespace

bool fromParts(const DateParts& p, double& oleDate) {
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.year < 100 || p.year > 9999) return false;
  if (p.day > daysInMonth(p.year, p.month)) return false;
  if (p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second >= 60) return false;
  int64_t days = daysFromCivil(p.year, p.month, p.day) - kEpoch;
  double fraction = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
  oleDate = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return true;
}

DateParts toParts(double oleDate) {
  DateParts p;
  double dayPart = std::trunc(oleDate);
  double fraction = std::fabs(oleDate - dayPart);
  // Round to the millisecond so that 0.5 of a day is exactly noon.
  int64_t ms = static_cast<int64_t>(std::llround(fraction * 86400000.0));
  int64_t days = static_cast<int64_t>(dayPart);
  if (ms >= 86400000) {
    ms -= 86400000;
    days += oleDate >= 0 ? 1 : -1;
  }
  civilFromDays(days + kEpoch, p.year, p.month, p.day);
  p.hour = static_cast<int32_t>(ms / 3600000);
  p.minute = static_cast<int32_t>(ms / 60000 % 60);
  p.second = static_cast<double>(ms % 60000) / 1000.0;
  return p;
}

bool parseJetLiteral(std::string_view body, double& oleDate) {
  Reader r{body};
  r.skipSpaces();
  DateParts p;
  size_t start = r.pos;
  int32_t a, b, c;
  int digitsA = r.number(a, 4);
  if (digitsA > 0 && r.accept(':')) {  // time alone
    r.pos = start;
    if (!readTime(r, p) || !r.atEnd()) return false;
    return fromParts(p, oleDate);
  }
  if (digitsA == 4 && r.accept('-')) {  // yyyy-mm-dd
    if (!r.number(b, 2) || !r.accept('-') || !r.number(c, 2)) return false;
    p.year = a, p.month = b, p.day = c;
  } else if (digitsA > 0 && digitsA <= 2 && r.accept('/')) {  // m/d/y
    int digitsC;
    if (!r.number(b, 2) || !r.accept('/') || !(digitsC = r.number(c, 4))) return false;
    if (digitsC <= 2) c += c < 30 ? 2000 : 1900;
    p.year = c, p.month = a, p.day = b;
  } else {
    return false;
  }
  if (!r.atEnd() && !readTime(r, p)) return false;
  if (!r.atEnd()) return false;
  return fromParts(p, oleDate);
}

bool parseIso(std::string_view text, double& oleDate) {
  Reader r{text};
  DateParts p;
  int32_t y, m, d;
  if (r.number(y, 4) != 4 || !r.accept('-') || r.number(m, 2) != 2 || !r.accept('-') || r.number(d, 2) != 2)
    return false;
  p.year = y, p.month = m, p.day = d;
  if (r.accept('T') || r.accept(' ')) {
    int32_t h, mi, s = 0;
    if (r.number(h, 2) != 2 || !r.accept(':') || r.number(mi, 2) != 2) return false;
    double fraction = 0;
    if (r.accept(':')) {
      if (r.number(s, 2) != 2) return false;
      if (r.accept('.')) {
        double scale = 0.1;
        while (r.pos < text.size() && std::isdigit(static_cast<unsigned char>(text[r.pos]))) {
          fraction += (text[r.pos++] - '0') * scale;
          scale /= 10;
        }
      }
    }
    p.hour = h, p.minute = mi, p.second = s + fraction;
  }
  if (r.pos != text.size()) return false;
  return fromParts(p, oleDate);
}

}  // namespace native::oledate
