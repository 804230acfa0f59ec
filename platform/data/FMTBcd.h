#pragma once
// FMTBcd: exact decimal numbers of up to 64 digits (TBcd) and the variant kind that carries
// them, for fields whose values do not fit Currency's four decimals or a double's 15 digits.
//
// A TBcd keeps its digits packed two per byte, most significant first; Precision counts the
// digits held and the low six bits of SignSpecialPlaces the digits after the decimal point
// (bit 7 is the sign). Values made here are normalized: no leading zeros in the integer part
// (zero is the single digit 0). Text uses the global DecimalSeparator, as the float routines
// do. Operations that cannot represent their result raise EBcdOverflowException; text that
// is not a number raises EBcdException "'x' is not a valid BCD value".
//
// The variant kind (code VarFMTBcd(), made by FMTBcdUnit::Initialize) converts from text,
// integers, floats and Currency, to all of them, compares exactly, and adds, subtracts and
// multiplies exactly; division keeps up to 32 digits after the point.

#include <string>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

struct TBcd {
  Byte Precision = 0;
  Byte SignSpecialPlaces = 0;
  Byte Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34, "TBcd is the 34-byte record stored by data-access code");

constexpr Integer MaxFMTBcdFractionSize = 64;
constexpr Integer MaxFMTBcdDigits = 32;  // default precision of a BCD field

RTL_EXCEPTION(EBcdException, Exception)
RTL_EXCEPTION(EBcdOverflowException, EBcdException)

// The BCD zero (one digit, no places).
TBcd NullBcd();

bool IsBcdNegative(const TBcd& Bcd);
Word BcdPrecision(const TBcd& Bcd);  // digits held
Word BcdScale(const TBcd& Bcd);      // digits after the point

// Text <-> BCD. BcdToStr gives the shortest exact text (no trailing zeros after the point).
std::string BcdToStr(const TBcd& Bcd);
TBcd StrToBcd(const std::string& AValue);
bool TryStrToBcd(const std::string& AValue, TBcd& Bcd);
// Formatted text. Precision 0 (or at least the digits held) with ffGeneral gives the exact
// text; otherwise the value goes through FloatToStrF with the same arguments.
std::string BcdToStrF(const TBcd& Bcd, TFloatFormat Format, Integer Precision, Integer Digits);

// Numbers <-> BCD. DoubleToBcd keeps the 15 significant digits a double shows (so 0.1 is 0.1).
TBcd DoubleToBcd(double AValue);
void DoubleToBcd(double AValue, TBcd& Bcd);
double BcdToDouble(const TBcd& Bcd);
TBcd IntegerToBcd(Int64 AValue);
// Rounds half away from zero unless Truncate; EBcdOverflowException beyond Int64.
Int64 BcdToInt64(const TBcd& Bcd, bool Truncate = false);
Integer BcdToInteger(const TBcd& Bcd, bool Truncate = false);
// Currency keeps four decimals: CurrToBCD is exact; BCDToCurr rounds half to even and
// answers false when the value does not fit Currency.
bool CurrToBCD(Currency Curr, TBcd& Bcd, Integer Precision = 32, Integer Decimals = 4);
bool BCDToCurr(const TBcd& Bcd, Currency& Curr);

// -1, 0 or 1; exact (1.50 equals 1.5).
Integer BcdCompare(const TBcd& bcd1, const TBcd& bcd2);
void BcdAdd(const TBcd& bcdIn1, const TBcd& bcdIn2, TBcd& bcdOut);
void BcdSubtract(const TBcd& bcdIn1, const TBcd& bcdIn2, TBcd& bcdOut);
void BcdMultiply(const TBcd& bcdIn1, const TBcd& bcdIn2, TBcd& bcdOut);
// EZeroDivide for a zero divisor.
void BcdDivide(const TBcd& Dividend, const TBcd& Divisor, TBcd& bcdOut);
// Rounds (half away from zero) or pads InBcd to Scale places and checks that it fits
// Precision digits; false (OutBcd untouched) when it does not.
bool NormalizeBcd(const TBcd& InBcd, TBcd& OutBcd, Word Precision, Word Scale);

// The variant kind.
TVarType VarFMTBcd();
Variant VarFMTBcdCreate(const TBcd& ABcd);
Variant VarFMTBcdCreate(const std::string& AValue, Word Precision, Word Scale);
Variant VarFMTBcdCreate(double AValue, Word Precision = 18, Word Scale = 4);
bool VarIsFMTBcd(const Variant& AValue);
// Any numeric or text variant as a BCD (EVariantTypeCastError otherwise).
TBcd VarToBcd(const Variant& AValue);

namespace FMTBcdUnit {
void Initialize();
void Finalize();
}  // namespace FMTBcdUnit
