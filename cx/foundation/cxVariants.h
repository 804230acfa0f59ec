#pragma once
// Shared operations on variant values: a three-way comparison that also orders arrays, the
// editors' equality test, type tests, builders of small variant arrays, a tagged binary
// encoding of one variant in a stream, and typed little-endian read and write helpers.
// Everything here is a free function without state.
//
// The stream encoding of one value is a tag byte followed by the payload the tag fixes
// (multi-byte numbers little-endian; arrays nest, each element a complete tagged value):
//    0  Null
//    1  one-dimensional array: the element count as an integer value (tag 2, 3 or 4 with its
//       payload), then the elements from the low to the high bound; read back as an array
//       of Variant with bounds 0 .. count-1
//    2  1 signed byte      SmallInt, Integer, ShortInt, Byte in -128 .. 127; read as ShortInt
//    3  2 signed bytes     such values in -32768 .. 32767; read as SmallInt
//    4  4 signed bytes     all other such values; read as Integer
//    5  10-byte extended   Double (read back rounded to a Double)
//    6  1 length byte n, n bytes of 8-bit text: strings of up to 255 bytes
//    8  Boolean false      9  Boolean true      13  Empty
//   12  4-byte length n, n bytes of 8-bit text: longer strings
//   15  4-byte IEEE single                      16  Currency, 8 bytes (ten-thousandths)
//   17  Date, 8-byte IEEE double                18  OleStr, 4-byte count n, n UTF-16 units
// Values of every other kind (Word, LongWord, Int64, interfaces, decimal and custom kinds)
// are written as their 8-bit text and come back as strings. The kind read back follows the
// tag alone: an Integer 5 comes back as a ShortInt 5.
//
// Failures: an unknown tag, a negative length or count, or arrays nested deeper than 256
// levels raise EReadError with the data text "Stream read error" (the position is then
// after the offending tag or length); a stream that ends inside a value raises the stream's
// own EReadError. Writing an array of other than one dimension, nesting arrays deeper than
// 256 levels, or a value without a text form raises EWriteError "Stream write error";
// bytes already written for enclosing arrays stay in the stream.

#include <string>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

// ---------------------------------------------------------------------------------------
// Comparison and tests.

// Negative, 0 or positive. Arrays go to cxCompareVariantArrays. Equal values give 0 (two
// Nulls, two Empties too); otherwise Null comes first, and other values follow the
// platform's ordering. Values the platform cannot compare (a text that is no number beside
// a number, interfaces ...) never raise: a text comes before a value of another kind, and
// otherwise the lower kind code comes first, so that swapping the two reverses the result.
Integer cxCompareVariants(const Variant& A, const Variant& B);
// Two arrays: the difference of the high bounds of their first dimensions when it is not 0
// (a signed difference, not only -1 or 1), else the first non-zero comparison of elements
// 0, 1 .. in order, else 0. An array against a non-array gives 1 (the array is greater),
// a non-array against an array -1; two non-arrays are compared by cxCompareVariants.
Integer cxCompareVariantArrays(const Variant& A, const Variant& B);
// cxCompareVariants gives 0.
bool cxVariantsCompareEqual(const Variant& A, const Variant& B);
// The editors' equality: with a Boolean on one side and no Null on either side, both are
// compared as their 8-bit texts (so True equals "True" but not 1; a value without a text
// form is unequal); otherwise cxVariantsCompareEqual.
bool cxVariantsEqual(const Variant& A, const Variant& B);

// The code is Date or the SQL time-stamp kind.
bool cxIsDateTimeVarType(TVarType AVarType);
bool cxIsDateTimeVariant(const Variant& V);
// The platform's numeric test (ordinal and floating kinds) or the FMTBcd kind.
bool cxIsNumericVariant(const Variant& V);
// Null, or a string (8-bit or wide) equal to the empty string. Empty is not.
bool cxIsVariantNullOrEmpty(const Variant& V);

// ---------------------------------------------------------------------------------------
// Array builders. The arrays have element kind Variant and start at 0.

Variant cxMakeVariantPair(const Variant& A, const Variant& B);
Variant cxMakeSingleItemVariantArray(const Variant& V);
// Replaces the one-dimensional array A by one a element longer: A's elements in their order
// from index 0, then V. (An array that does not start at 0 is moved to start there, so that
// no element is lost.)
void cxAppendToVariantArray(Variant& A, const Variant& V);

// ---------------------------------------------------------------------------------------
// The stream encoding (see the top of this file).

void cxStreamWriteVariant(TStream* AStream, const Variant& V);
Variant cxStreamReadVariant(TStream* AStream);

// ---------------------------------------------------------------------------------------
// Typed helpers: exactly the bytes named, little-endian, through ReadBuffer / WriteBuffer.
// Each reader comes as a function and as a procedure filling a variable.

// 4-byte signed length n, then n bytes of 8-bit text (EReadError for a negative length).
std::string cxStreamReadString(TStream* AStream);
void cxStreamReadString(TStream* AStream, std::string& S);
void cxStreamWriteString(TStream* AStream, const std::string& S);
// 4-byte signed character count n, then n UTF-16 units; the text is converted from and to
// the 8-bit code page.
std::string cxStreamReadWideString(TStream* AStream);
void cxStreamReadWideString(TStream* AStream, std::string& S);
void cxStreamWriteWideString(TStream* AStream, const std::string& S);
// 1 byte: 0 is false, anything else true; true is written as 1.
bool cxStreamReadBoolean(TStream* AStream);
void cxStreamReadBoolean(TStream* AStream, bool& AValue);
void cxStreamWriteBoolean(TStream* AStream, bool AValue);
// 10 bytes: 64-bit mantissa with explicit integer bit, 15-bit exponent, sign.
void cxStreamWriteExtended(TStream* AStream, Extended AValue);
// 8 bytes: the scaled 64-bit count of ten-thousandths.
Currency cxStreamReadCurrency(TStream* AStream);
void cxStreamReadCurrency(TStream* AStream, Currency& AValue);
void cxStreamWriteCurrency(TStream* AStream, Currency AValue);
// 8 bytes: IEEE double.
TDateTime cxStreamReadDateTime(TStream* AStream);
void cxStreamReadDateTime(TStream* AStream, TDateTime& AValue);
void cxStreamWriteDateTime(TStream* AStream, TDateTime AValue);
Integer cxStreamReadInt32(TStream* AStream);
void cxStreamReadInt32(TStream* AStream, Integer& AValue);
void cxStreamWriteInt32(TStream* AStream, Integer AValue);
Int64 cxStreamReadInt64(TStream* AStream);
void cxStreamReadInt64(TStream* AStream, Int64& AValue);
void cxStreamWriteInt64(TStream* AStream, Int64 AValue);
Byte cxStreamReadByte(TStream* AStream);
void cxStreamReadByte(TStream* AStream, Byte& AValue);
void cxStreamWriteByte(TStream* AStream, Byte AValue);
SmallInt cxStreamReadInt16(TStream* AStream);
void cxStreamReadInt16(TStream* AStream, SmallInt& AValue);
void cxStreamWriteInt16(TStream* AStream, SmallInt AValue);
// The same two bytes as the 16-bit signed pair, unsigned.
Word cxStreamReadWord(TStream* AStream);
void cxStreamReadWord(TStream* AStream, Word& AValue);
void cxStreamWriteWord(TStream* AStream, Word AValue);
