#include "platform/data/FMTBcd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

RTL_IMPLEMENT_CLASS(EBcdException)
RTL_IMPLEMENT_CLASS(EBcdOverflowException)

namespace {

// A decimal as an unsigned digit string (the mantissa, no leading zeros, "0" for zero), a
// scale (value = mantissa x 10^-scale) and a sign. All arithmetic works on this form.
struct Dec {
  bool neg = false;
  std::string mant = "0";
  int scale = 0;

  bool isZero() const { return mant == "0"; }
};

std::string stripLeadingZeros(std::string s) {
  size_t i = s.find_first_not_of('0');
  if (i == std::string::npos) return "0";
  return s.substr(i);
}

// Unsigned digit-string arithmetic.
int compareMag(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::string addMag(const std::string& a, const std::string& b) {
  std::string r;
  int carry = 0;
  for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int d = carry;
    if (i < a.size()) d += a[a.size() - 1 - i] - '0';
    if (i < b.size()) d += b[b.size() - 1 - i] - '0';
    r.push_back(static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  std::reverse(r.begin(), r.end());
  return stripLeadingZeros(r);
}

// a - b with a >= b.
std::string subMag(const std::string& a, const std::string& b) {
  std::string r;
  int borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    int d = (a[a.size() - 1 - i] - '0') - borrow;
    if (i < b.size()) d -= b[b.size() - 1 - i] - '0';
    borrow = d < 0;
    if (d < 0) d += 10;
    r.push_back(static_cast<char>('0' + d));
  }
  std::reverse(r.begin(), r.end());
  return stripLeadingZeros(r);
}

std::string mulMag(const std::string& a, const std::string& b) {
  std::vector<int> acc(a.size() + b.size(), 0);
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = 0; j < b.size(); ++j)
      acc[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  for (size_t k = acc.size() - 1; k > 0; --k) {
    acc[k - 1] += acc[k] / 10;
    acc[k] %= 10;
  }
  std::string r;
  for (int d : acc) r.push_back(static_cast<char>('0' + d));
  return stripLeadingZeros(r);
}

// Long division: the quotient, truncated.
std::string divMag(const std::string& a, const std::string& b) {
  std::string q, rem = "0";
  for (char c : a) {
    rem = stripLeadingZeros(rem + c);
    int d = 0;
    while (compareMag(rem, b) >= 0) {
      rem = subMag(rem, b);
      ++d;
    }
    q.push_back(static_cast<char>('0' + d));
  }
  return stripLeadingZeros(q);
}

// Both operands at the larger scale.
void align(Dec& a, Dec& b) {
  if (a.scale < b.scale) {
    if (!a.isZero()) a.mant.append(static_cast<size_t>(b.scale - a.scale), '0');
    a.scale = b.scale;
  } else if (b.scale < a.scale) {
    if (!b.isZero()) b.mant.append(static_cast<size_t>(a.scale - b.scale), '0');
    b.scale = a.scale;
  }
}

int compareDec(Dec a, Dec b) {
  if (a.isZero()) a.neg = false;
  if (b.isZero()) b.neg = false;
  if (a.neg != b.neg) return a.neg ? -1 : 1;
  align(a, b);
  int c = compareMag(a.mant, b.mant);
  return a.neg ? -c : c;
}

Dec addDec(Dec a, Dec b) {
  align(a, b);
  Dec r;
  r.scale = a.scale;
  if (a.neg == b.neg) {
    r.mant = addMag(a.mant, b.mant);
    r.neg = a.neg;
  } else if (compareMag(a.mant, b.mant) >= 0) {
    r.mant = subMag(a.mant, b.mant);
    r.neg = a.neg;
  } else {
    r.mant = subMag(b.mant, a.mant);
    r.neg = b.neg;
  }
  if (r.isZero()) r.neg = false;
  return r;
}

// Drops the last 'drop' digits, rounding half away from zero (or to even when halfEven).
std::string roundOff(const std::string& mant, int drop, bool halfEven = false) {
  if (drop <= 0) return mant;
  if (static_cast<size_t>(drop) > mant.size()) return "0";
  std::string kept = mant.substr(0, mant.size() - static_cast<size_t>(drop));
  std::string gone = mant.substr(mant.size() - static_cast<size_t>(drop));
  if (kept.empty()) kept = "0";
  bool up = false;
  if (gone[0] > '5') up = true;
  else if (gone[0] == '5') {
    bool rest = gone.find_first_not_of('0', 1) != std::string::npos;
    if (rest || !halfEven) up = true;
    else up = ((kept.back() - '0') % 2) == 1;
  }
  return up ? addMag(kept, "1") : stripLeadingZeros(kept);
}

// Removes zeros after the point that carry no value.
Dec trimScale(Dec d) {
  while (d.scale > 0 && d.mant.size() > 1 && d.mant.back() == '0') {
    d.mant.pop_back();
    --d.scale;
  }
  if (d.isZero()) {
    d.scale = 0;
    d.neg = false;
  }
  return d;
}

// Brings d within 64 digits by rounding places away; overflow when the integer part alone
// does not fit.
Dec fitDigits(Dec d) {
  int intDigits = std::max(0, static_cast<int>(d.mant.size()) - d.scale);
  if (intDigits > MaxFMTBcdFractionSize) throw EBcdOverflowException("BCD overflow");
  int total = intDigits + d.scale;
  if (total > MaxFMTBcdFractionSize) {
    int drop = total - MaxFMTBcdFractionSize;
    d.mant = roundOff(d.mant, drop);
    d.scale -= drop;
    // Rounding up may add a digit (99.9 -> 100.): drop one more place then.
    intDigits = std::max(0, static_cast<int>(d.mant.size()) - d.scale);
    if (intDigits + d.scale > MaxFMTBcdFractionSize) {
      if (d.scale == 0) throw EBcdOverflowException("BCD overflow");
      d.mant = roundOff(d.mant, 1);
      --d.scale;
    }
  }
  return trimScale(d);
}

Dec fromBcd(const TBcd& b) {
  Dec d;
  int places = b.SignSpecialPlaces & 0x3F;
  int prec = std::min<int>(b.Precision, MaxFMTBcdFractionSize);
  std::string s;
  for (int i = 0; i < prec; ++i) {
    Byte pair = b.Fraction[i / 2];
    int digit = (i % 2 == 0) ? (pair >> 4) : (pair & 0x0F);
    if (digit > 9) throw EBcdException("Invalid BCD value");
    s.push_back(static_cast<char>('0' + digit));
  }
  d.mant = stripLeadingZeros(s);
  d.scale = places;
  d.neg = (b.SignSpecialPlaces & 0x80) != 0 && !d.isZero();
  return d;
}

TBcd toBcd(Dec d) {
  int intDigits = std::max(0, static_cast<int>(d.mant.size()) - d.scale);
  if (intDigits + d.scale > MaxFMTBcdFractionSize) d = fitDigits(d);
  if (d.scale > 63) d = fitDigits(d);
  TBcd b;
  std::string s;
  if (d.isZero()) {
    s = std::string(static_cast<size_t>(std::max(1, d.scale)), '0');
    if (d.scale == 0) s = "0";
  } else {
    // Integer digits (none when the value is below 1), then exactly 'scale' places.
    std::string padded = d.mant;
    if (static_cast<int>(padded.size()) < d.scale)
      padded.insert(0, static_cast<size_t>(d.scale - static_cast<int>(padded.size())), '0');
    s = padded;
  }
  if (s.size() > static_cast<size_t>(MaxFMTBcdFractionSize)) throw EBcdOverflowException("BCD overflow");
  b.Precision = static_cast<Byte>(s.size());
  b.SignSpecialPlaces = static_cast<Byte>(d.scale & 0x3F);
  if (d.neg && !d.isZero()) b.SignSpecialPlaces |= 0x80;
  for (size_t i = 0; i < s.size(); ++i) {
    Byte digit = static_cast<Byte>(s[i] - '0');
    if (i % 2 == 0) b.Fraction[i / 2] = static_cast<Byte>(digit << 4);
    else b.Fraction[i / 2] |= digit;
  }
  return b;
}

// Reads [blanks] [sign] digits [sep digits] [(E|e) [sign] digits] [blanks].
bool parseDec(const std::string& text, char sep, Dec& out) {
  size_t i = 0, n = text.size();
  while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool neg = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  std::string digits;
  int scale = 0;
  bool any = false;
  while (i < n && text[i] >= '0' && text[i] <= '9') {
    digits.push_back(text[i++]);
    any = true;
  }
  if (i < n && text[i] == sep) {
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      digits.push_back(text[i++]);
      ++scale;
      any = true;
    }
  }
  if (!any) return false;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool eneg = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) eneg = text[i++] == '-';
    if (i >= n || text[i] < '0' || text[i] > '9') return false;
    int e = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
      e = e * 10 + (text[i++] - '0');
      if (e > 1000) return false;
    }
    scale += eneg ? e : -e;
  }
  while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  if (i != n) return false;
  out.mant = stripLeadingZeros(digits);
  if (scale < 0) {
    if (!out.isZero()) out.mant.append(static_cast<size_t>(-scale), '0');
    scale = 0;
  }
  out.scale = scale;
  out.neg = neg && !out.isZero();
  return true;
}

// Plain text of d: integer part, then the places (already trimmed or not by the caller).
std::string decText(const Dec& d, char sep) {
  std::string m = d.mant;
  if (static_cast<int>(m.size()) <= d.scale) m.insert(0, static_cast<size_t>(d.scale - static_cast<int>(m.size()) + 1), '0');
  std::string r = d.neg ? "-" : "";
  if (d.scale == 0) return r + m;
  return r + m.substr(0, m.size() - static_cast<size_t>(d.scale)) + sep + m.substr(m.size() - static_cast<size_t>(d.scale));
}

// d rounded (half away from zero) to 'places' digits after the point.
Dec roundTo(Dec d, int places) {
  if (d.scale > places) {
    d.mant = roundOff(d.mant, d.scale - places);
    d.scale = places;
  }
  if (d.isZero()) d.neg = false;
  return d;
}

Dec fromInt64(Int64 v) {
  Dec d;
  d.neg = v < 0;
  // -INT64_MIN does not fit: go through the unsigned magnitude.
  UInt64 mag = v < 0 ? UInt64(0) - static_cast<UInt64>(v) : static_cast<UInt64>(v);
  d.mant = std::to_string(mag);
  return d;
}

// ---------------------------------------------------------------------------------------
// The variant kind.

struct BcdPayload : TVarPayload {
  explicit BcdPayload(const TBcd& b) : value(b) {}
  TBcd value;
};

class TFMTBcdVariantType : public TCustomVariantType {
  RTL_DECLARE_CLASS(TFMTBcdVariantType, TCustomVariantType)
public:
  Variant Make(const TBcd& b) const { return MakeValue(std::make_shared<BcdPayload>(b)); }
  static const TBcd& Of(const Variant& v) { return v.PayloadAs<BcdPayload>()->value; }

  std::string TypeName() const override { return "FMTBcd"; }

  void Cast(Variant& dest, const Variant& source) override {
    TVarType vt = source.VType();
    try {
      switch (vt) {
        case varEmpty: dest = Make(NullBcd()); return;
        case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
        case varInt64: case varBoolean:
          dest = Make(IntegerToBcd(source.RawOrdinal()));
          return;
        case varSingle: case varDouble: case varDate: dest = Make(DoubleToBcd(source.RawDouble())); return;
        case varCurrency: {
          TBcd b;
          CurrToBCD(Currency::FromScaled(source.RawOrdinal()), b);
          dest = Make(b);
          return;
        }
        case varString: case varOleStr: dest = Make(StrToBcd(source.RawString())); return;
        default:
          if (VarIsCustom(source)) {
            dest = Make(DoubleToBcd(source.AsDouble()));
            return;
          }
          break;
      }
    } catch (const EBcdException&) {
      RaiseCastError(vt, VarType());
    }
    RaiseCastError(vt, VarType());
  }

  void CastTo(Variant& dest, const Variant& source, TVarType varType) override {
    const TBcd& b = Of(source);
    switch (varType) {
      case varString: dest = Variant(BcdToStr(b)); return;
      case varOleStr: dest = Variant::MakeOleStr(BcdToStr(b)); return;
      case varSingle: case varDouble: case varDate: dest = VarAsType(Variant(BcdToDouble(b)), varType); return;
      case varCurrency: {
        Currency c;
        if (!BCDToCurr(b, c))
          throw EVariantOverflowError("Arithmetic overflow converting variant of type (" + TypeName() +
                                      ") into type (Currency)");
        dest = Variant(c);
        return;
      }
      case varBoolean: dest = Variant(!fromBcd(b).isZero()); return;
      case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
      case varInt64: {
        Dec d = fromBcd(b);
        d.mant = roundOff(d.mant, d.scale, /*halfEven=*/true);
        d.scale = 0;
        if (d.mant.size() > 19 || (!d.neg && compareMag(d.mant, "9223372036854775807") > 0) ||
            (d.neg && compareMag(d.mant, "9223372036854775808") > 0))
          throw EVariantOverflowError("Arithmetic overflow converting variant of type (" + TypeName() +
                                      ") into type (" + VarTypeAsText(varType) + ")");
        UInt64 mag = std::stoull(d.mant);
        Int64 v = d.neg ? static_cast<Int64>(UInt64(0) - mag) : static_cast<Int64>(mag);
        dest = VarAsType(Variant(static_cast<long long>(v)), varType);
        return;
      }
      case varEmpty: dest = Variant(); return;
      default: RaiseCastError(VarType(), varType);
    }
  }

  void Compare(const Variant& left, const Variant& right, TVarCompareResult& relationship) override {
    int c = BcdCompare(Of(left), Of(right));
    relationship = c < 0 ? crLessThan : c > 0 ? crGreaterThan : crEqual;
  }

  void BinaryOp(Variant& left, const Variant& right, TVarOp op) override {
    TBcd r;
    switch (op) {
      case opAdd: BcdAdd(Of(left), Of(right), r); break;
      case opSubtract: BcdSubtract(Of(left), Of(right), r); break;
      case opMultiply: BcdMultiply(Of(left), Of(right), r); break;
      case opDivide: BcdDivide(Of(left), Of(right), r); break;
      default: RaiseInvalidOp();
    }
    left = Make(r);
  }

  void UnaryOp(Variant& v, TVarOp op) override {
    if (op != opNegate) RaiseInvalidOp();
    TBcd b = Of(v);
    if (!fromBcd(b).isZero()) b.SignSpecialPlaces ^= 0x80;
    v = Make(b);
  }
};

RTL_IMPLEMENT_CLASS(TFMTBcdVariantType)

TFMTBcdVariantType*& bcdType() {
  static TFMTBcdVariantType* type = nullptr;
  return type;
}

TFMTBcdVariantType& requireType() {
  if (!bcdType()) throw EVariantError("The FMTBcd variant kind is not registered (FMTBcd unit not started)");
  return *bcdType();
}

}  // namespace

// ---------------------------------------------------------------------------------------

TBcd NullBcd() { return toBcd(Dec()); }

bool IsBcdNegative(const TBcd& Bcd) { return fromBcd(Bcd).neg; }
Word BcdPrecision(const TBcd& Bcd) { return Bcd.Precision; }
Word BcdScale(const TBcd& Bcd) { return Bcd.SignSpecialPlaces & 0x3F; }

std::string BcdToStr(const TBcd& Bcd) { return decText(trimScale(fromBcd(Bcd)), DecimalSeparator); }

bool TryStrToBcd(const std::string& AValue, TBcd& Bcd) {
  Dec d;
  if (!parseDec(AValue, DecimalSeparator, d)) return false;
  try {
    Bcd = toBcd(d);
  } catch (const EBcdException&) {
    return false;
  }
  return true;
}

TBcd StrToBcd(const std::string& AValue) {
  Dec d;
  if (!parseDec(AValue, DecimalSeparator, d)) throw EBcdException("'" + AValue + "' is not a valid BCD value");
  return toBcd(d);
}

std::string BcdToStrF(const TBcd& Bcd, TFloatFormat Format, Integer Precision, Integer Digits) {
  Dec d = fromBcd(Bcd);
  Dec t = trimScale(d);
  Integer significant = static_cast<Integer>(t.mant.size());
  bool exactPrecision = Precision <= 0 || Precision >= significant;
  if (Format == ffGeneral && exactPrecision) return decText(t, DecimalSeparator);
  if ((Format == ffFixed || Format == ffNumber) && exactPrecision) {
    Dec r = roundTo(d, std::max(0, Digits));
    if (r.scale < Digits) {
      if (!r.isZero()) r.mant.append(static_cast<size_t>(Digits - r.scale), '0');
      else r.mant = "0";
      r.scale = Digits;
    }
    std::string text = decText(r, DecimalSeparator);
    if (Format == ffNumber && ThousandSeparator != 0) {
      size_t start = text[0] == '-' ? 1 : 0;
      size_t point = text.find(DecimalSeparator, start);
      if (point == std::string::npos) point = text.size();
      for (size_t i = point; i > start + 3; i -= 3) text.insert(i - 3, 1, ThousandSeparator);
    }
    return text;
  }
  return FloatToStrF(static_cast<Extended>(BcdToDouble(Bcd)), Format, Precision <= 0 ? 15 : std::min(Precision, 18), Digits);
}

void DoubleToBcd(double AValue, TBcd& Bcd) {
  if (!std::isfinite(AValue)) throw EBcdException("Cannot convert a non-finite number to BCD");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", AValue);
  Dec d;
  if (!parseDec(buf, '.', d)) throw EBcdException(std::string("'") + buf + "' is not a valid BCD value");
  Bcd = toBcd(trimScale(d));
}

TBcd DoubleToBcd(double AValue) {
  TBcd b;
  DoubleToBcd(AValue, b);
  return b;
}

double BcdToDouble(const TBcd& Bcd) {
  std::string text = decText(fromBcd(Bcd), '.');
  return std::strtod(text.c_str(), nullptr);
}

TBcd IntegerToBcd(Int64 AValue) { return toBcd(fromInt64(AValue)); }

Int64 BcdToInt64(const TBcd& Bcd, bool Truncate) {
  Dec d = fromBcd(Bcd);
  std::string m = Truncate ? (static_cast<int>(d.mant.size()) > d.scale
                                  ? d.mant.substr(0, d.mant.size() - static_cast<size_t>(d.scale))
                                  : std::string("0"))
                           : roundOff(d.mant, d.scale);
  m = stripLeadingZeros(m);
  bool neg = d.neg && m != "0";
  if (m.size() > 19 || (!neg && compareMag(m, "9223372036854775807") > 0) ||
      (neg && compareMag(m, "9223372036854775808") > 0))
    throw EBcdOverflowException("BCD overflow: " + BcdToStr(Bcd) + " does not fit a 64-bit integer");
  UInt64 mag = std::stoull(m);
  return neg ? static_cast<Int64>(UInt64(0) - mag) : static_cast<Int64>(mag);
}

Integer BcdToInteger(const TBcd& Bcd, bool Truncate) {
  Int64 v = BcdToInt64(Bcd, Truncate);
  if (v < INT32_MIN || v > INT32_MAX)
    throw EBcdOverflowException("BCD overflow: " + BcdToStr(Bcd) + " does not fit a 32-bit integer");
  return static_cast<Integer>(v);
}

bool CurrToBCD(Currency Curr, TBcd& Bcd, Integer Precision, Integer Decimals) {
  Dec d = fromInt64(Curr.Value);
  d.scale = 4;
  d = roundTo(d, std::max(0, Decimals));
  int intDigits = std::max(0, static_cast<int>(d.mant.size()) - d.scale);
  if (Precision > 0 && intDigits + d.scale > Precision) return false;
  Bcd = toBcd(d);
  return true;
}

bool BCDToCurr(const TBcd& Bcd, Currency& Curr) {
  Dec d = fromBcd(Bcd);
  if (d.scale > 4) {
    d.mant = roundOff(d.mant, d.scale - 4, /*halfEven=*/true);
  } else if (!d.isZero()) {
    d.mant.append(static_cast<size_t>(4 - d.scale), '0');
  }
  d.scale = 4;
  if (d.mant.size() > 19 || compareMag(d.mant, d.neg ? "9223372036854775808" : "9223372036854775807") > 0)
    return false;
  UInt64 mag = std::stoull(d.mant);
  Curr = Currency::FromScaled(d.neg ? static_cast<Int64>(UInt64(0) - mag) : static_cast<Int64>(mag));
  return true;
}

Integer BcdCompare(const TBcd& bcd1, const TBcd& bcd2) { return compareDec(fromBcd(bcd1), fromBcd(bcd2)); }

void BcdAdd(const TBcd& bcdIn1, const TBcd& bcdIn2, TBcd& bcdOut) {
  bcdOut = toBcd(fitDigits(addDec(fromBcd(bcdIn1), fromBcd(bcdIn2))));
}

void BcdSubtract(const TBcd& bcdIn1, const TBcd& bcdIn2, TBcd& bcdOut) {
  Dec b = fromBcd(bcdIn2);
  b.neg = !b.neg && !b.isZero();
  bcdOut = toBcd(fitDigits(addDec(fromBcd(bcdIn1), b)));
}

void BcdMultiply(const TBcd& bcdIn1, const TBcd& bcdIn2, TBcd& bcdOut) {
  Dec a = fromBcd(bcdIn1), b = fromBcd(bcdIn2);
  Dec r;
  r.mant = mulMag(a.mant, b.mant);
  r.scale = a.scale + b.scale;
  r.neg = a.neg != b.neg && !r.isZero();
  bcdOut = toBcd(fitDigits(r));
}

void BcdDivide(const TBcd& Dividend, const TBcd& Divisor, TBcd& bcdOut) {
  Dec a = fromBcd(Dividend), b = fromBcd(Divisor);
  if (b.isZero()) throw EZeroDivide("Floating point division by zero");
  // Scale the dividend so the quotient keeps 32 places: a x 10^k / b has scale a.scale + k - b.scale.
  const int wanted = MaxFMTBcdDigits;
  int k = wanted + b.scale - a.scale;
  std::string num = a.mant;
  int scale = a.scale - b.scale;
  if (k > 0) {
    num.append(static_cast<size_t>(k), '0');
    scale += k;
  }
  Dec r;
  r.mant = divMag(num, b.mant);
  r.scale = scale;
  r.neg = a.neg != b.neg && !r.isZero();
  if (r.scale < 0) {
    if (!r.isZero()) r.mant.append(static_cast<size_t>(-r.scale), '0');
    r.scale = 0;
  }
  bcdOut = toBcd(fitDigits(r));
}

bool NormalizeBcd(const TBcd& InBcd, TBcd& OutBcd, Word Precision, Word Scale) {
  Dec d = roundTo(fromBcd(InBcd), Scale);
  if (d.scale < Scale && !d.isZero()) d.mant.append(static_cast<size_t>(Scale - d.scale), '0');
  d.scale = Scale;
  int intDigits = std::max(0, static_cast<int>(d.mant.size()) - d.scale);
  if (intDigits + d.scale > Precision || intDigits + d.scale > MaxFMTBcdFractionSize) return false;
  OutBcd = toBcd(d);
  return true;
}

// ---------------------------------------------------------------------------------------

TVarType VarFMTBcd() { return requireType().VarType(); }

Variant VarFMTBcdCreate(const TBcd& ABcd) { return requireType().Make(ABcd); }

Variant VarFMTBcdCreate(const std::string& AValue, Word Precision, Word Scale) {
  TBcd b = StrToBcd(AValue), n;
  if (!NormalizeBcd(b, n, Precision, Scale)) throw EBcdOverflowException("BCD overflow: " + AValue);
  return VarFMTBcdCreate(n);
}

Variant VarFMTBcdCreate(double AValue, Word Precision, Word Scale) {
  TBcd b = DoubleToBcd(AValue), n;
  if (!NormalizeBcd(b, n, Precision, Scale)) throw EBcdOverflowException("BCD overflow: " + BcdToStr(b));
  return VarFMTBcdCreate(n);
}

bool VarIsFMTBcd(const Variant& AValue) { return bcdType() && AValue.VType() == bcdType()->VarType(); }

TBcd VarToBcd(const Variant& AValue) {
  if (VarIsFMTBcd(AValue)) return TFMTBcdVariantType::Of(AValue);
  return TFMTBcdVariantType::Of(VarAsType(AValue, VarFMTBcd()));
}

namespace FMTBcdUnit {
void Initialize() {
  if (!bcdType()) bcdType() = new TFMTBcdVariantType();
}
void Finalize() {
  delete bcdType();
  bcdType() = nullptr;
}
}  // namespace FMTBcdUnit
