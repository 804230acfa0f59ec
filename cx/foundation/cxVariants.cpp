#include "cx/foundation/cxVariants.h"

#include <windows.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <type_traits>
#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDataConsts.h"
#include "platform/data/FMTBcd.h"
#include "platform/data/SqlTimSt.h"

// ---------------------------------------------------------------------------------------
// Comparison and tests

namespace {

// The order of two values the platform cannot compare. Any fixed rule will do as long as
// swapping the operands reverses it (a sort must not see a < b and b < a at once): a text
// before a value of another kind, then the lower kind code, then interface identity. (Two
// values of one other kind that still refuse keep -1; no kind of this system does that.)
Integer incomparableOrder(const Variant& A, const Variant& B) {
  bool aText = VarIsStr(A), bText = VarIsStr(B);
  if (aText != bText) return aText ? -1 : 1;
  TVarType aType = VarType(A), bType = VarType(B);
  if (aType != bType) return aType < bType ? -1 : 1;
  IUnknown* aIntf = (aType == varUnknown || aType == varDispatch) ? A.AsUnknown() : nullptr;
  IUnknown* bIntf = (bType == varUnknown || bType == varDispatch) ? B.AsUnknown() : nullptr;
  if (aIntf != bIntf) return std::less<IUnknown*>()(aIntf, bIntf) ? -1 : 1;
  return -1;
}

}  // namespace

Integer cxCompareVariants(const Variant& A, const Variant& B) {
  if (VarIsArray(A) || VarIsArray(B)) return cxCompareVariantArrays(A, B);
  try {
    if (A == B) return 0;
    if (VarIsNull(A)) return -1;
    if (VarIsNull(B)) return 1;
    return A >= B ? 1 : -1;
  } catch (const EVariantError&) {
    return incomparableOrder(A, B);
  }
}

Integer cxCompareVariantArrays(const Variant& A, const Variant& B) {
  bool aArray = VarIsArray(A), bArray = VarIsArray(B);
  if (aArray && bArray) {
    Integer aHigh = VarArrayHighBound(A, 1), bHigh = VarArrayHighBound(B, 1);
    Int64 d = Int64(aHigh) - bHigh;
    if (d != 0) return static_cast<Integer>(std::clamp<Int64>(d, std::numeric_limits<Integer>::min(),
                                                              std::numeric_limits<Integer>::max()));
    // The arrays of this system start at 0.
    for (Integer i = 0; i <= aHigh; ++i) {
      Integer r = cxCompareVariants(A[i], B[i]);
      if (r != 0) return r;
    }
    return 0;
  }
  if (aArray) return 1;
  if (bArray) return -1;
  return cxCompareVariants(A, B);
}

bool cxVariantsCompareEqual(const Variant& A, const Variant& B) { return cxCompareVariants(A, B) == 0; }

bool cxVariantsEqual(const Variant& A, const Variant& B) {
  TVarType aType = VarType(A), bType = VarType(B);
  if (aType == varNull || bType == varNull || (aType != varBoolean && bType != varBoolean))
    return cxVariantsCompareEqual(A, B);
  // A Boolean beside another value: compare the texts, so that True matches "True".
  try {
    return Variant(A.AsString()) == Variant(B.AsString());
  } catch (const EVariantError&) {
    return false;
  }
}

bool cxIsDateTimeVarType(TVarType AVarType) {
  if (AVarType == varDate) return true;
  // The time-stamp kind's code is given out at run time; without that kind registered no
  // value can have it.
  TCustomVariantType* type = nullptr;
  if (!FindCustomVariantType(AVarType, type)) return false;
  try {
    return AVarType == VarSQLTimeStamp();
  } catch (const EVariantError&) {
    return false;
  }
}

bool cxIsDateTimeVariant(const Variant& V) { return cxIsDateTimeVarType(VarType(V) & ~varByRef); }

bool cxIsNumericVariant(const Variant& V) { return VarIsNumeric(V) || VarIsFMTBcd(V); }

bool cxIsVariantNullOrEmpty(const Variant& V) { return VarIsNull(V) || (VarIsStr(V) && V.RawString().empty()); }

// ---------------------------------------------------------------------------------------
// Array builders

Variant cxMakeVariantPair(const Variant& A, const Variant& B) { return VarArrayOf({A, B}); }

Variant cxMakeSingleItemVariantArray(const Variant& V) { return VarArrayOf({V}); }

void cxAppendToVariantArray(Variant& A, const Variant& V) {
  Integer low = VarArrayLowBound(A, 1), high = VarArrayHighBound(A, 1);
  std::vector<Variant> items;
  items.reserve(static_cast<size_t>(Int64(high) - low + 2));
  for (Integer i = low; i <= high; ++i) items.push_back(VarArrayGet(A, {i}));
  items.push_back(V);
  A = VarArrayOf(items);
}

// ---------------------------------------------------------------------------------------
// Byte-level helpers

namespace {

enum : Byte {
  tagNull = 0,
  tagArray = 1,
  tagInt8 = 2,
  tagInt16 = 3,
  tagInt32 = 4,
  tagExtended = 5,
  tagShortString = 6,
  tagFalse = 8,
  tagTrue = 9,
  tagLongString = 12,
  tagEmpty = 13,
  tagSingle = 15,
  tagCurrency = 16,
  tagDate = 17,
  tagWideString = 18,
};

// Deepest nesting of arrays the encoding accepts. Values of this system nest two or three
// levels; deeper data read from a stream is taken for damage rather than followed (it
// would only exhaust the stack), and the writer refuses what the reader would refuse.
constexpr int kMaxArrayNesting = 256;

// Text lengths are read in pieces, so that a damaged length fails at the stream's end
// instead of claiming gigabytes first.
constexpr Int64 kReadChunk = 64 * 1024;

[[noreturn]] void readError() { throw EReadError(cxGetResourceString(&scxDataStreamReadError)); }
[[noreturn]] void writeError() { throw EWriteError(cxGetResourceString(&scxDataStreamWriteError)); }

template <class T> void writeLittleEndian(TStream* AStream, T AValue) {
  using U = std::make_unsigned_t<T>;
  U u = static_cast<U>(AValue);
  Byte bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<Byte>(u >> (8 * i));
  AStream->WriteBuffer(bytes, sizeof bytes);
}

template <class T> T readLittleEndian(TStream* AStream) {
  using U = std::make_unsigned_t<T>;
  Byte bytes[sizeof(T)];
  AStream->ReadBuffer(bytes, sizeof bytes);
  U u = 0;
  for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | static_cast<U>(static_cast<U>(bytes[i]) << (8 * i)));
  return static_cast<T>(u);
}

std::string readBytes(TStream* AStream, Int64 ACount) {
  if (ACount < 0) readError();
  std::string result;
  while (static_cast<Int64>(result.size()) < ACount) {
    size_t piece = static_cast<size_t>(std::min(kReadChunk, ACount - static_cast<Int64>(result.size())));
    size_t old = result.size();
    result.resize(old + piece);
    AStream->ReadBuffer(&result[old], static_cast<Integer>(piece));
  }
  return result;
}

void writeBytes(TStream* AStream, const std::string& ABytes) {
  if (!ABytes.empty()) AStream->WriteBuffer(ABytes.data(), static_cast<Integer>(ABytes.size()));
}

// The system's text is cp1252; the wide forms of the stream are UTF-16.
std::string toUtf16Bytes(const std::string& S) {
  if (S.empty()) return {};
  int n = MultiByteToWideChar(1252, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  std::vector<WCHAR> wide(static_cast<size_t>(n));
  MultiByteToWideChar(1252, 0, S.data(), static_cast<int>(S.size()), wide.data(), n);
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (WCHAR w : wide) {
    bytes += static_cast<char>(w & 0xFF);
    bytes += static_cast<char>((w >> 8) & 0xFF);
  }
  return bytes;
}

std::string fromUtf16Bytes(const std::string& ABytes) {
  std::vector<WCHAR> wide(ABytes.size() / 2);
  for (size_t i = 0; i < wide.size(); ++i)
    wide[i] = static_cast<WCHAR>(static_cast<Byte>(ABytes[2 * i]) | (static_cast<Byte>(ABytes[2 * i + 1]) << 8));
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), result.data(), n, nullptr, nullptr);
  return result;
}

std::string readWideText(TStream* AStream) {
  Integer count = readLittleEndian<Integer>(AStream);
  if (count < 0) readError();
  return fromUtf16Bytes(readBytes(AStream, Int64(count) * 2));
}

void writeWideText(TStream* AStream, const std::string& S) {
  std::string bytes = toUtf16Bytes(S);
  if (bytes.size() / 2 > static_cast<size_t>(std::numeric_limits<Integer>::max())) writeError();
  writeLittleEndian<Integer>(AStream, static_cast<Integer>(bytes.size() / 2));
  writeBytes(AStream, bytes);
}

// The 10-byte extended form, built from the value's parts rather than from memory, so that
// any ten bytes read back decode to a number (damaged data included).
static_assert(std::numeric_limits<long double>::digits >= 64, "Extended needs a 64-bit mantissa");

void writeExtended(TStream* AStream, Extended AValue) {
  uint64_t mantissa = 0;
  uint16_t signExponent = std::signbit(AValue) ? 0x8000 : 0;
  if (std::isnan(AValue)) {
    signExponent |= 0x7FFF;
    mantissa = 0xC000000000000000ULL;
  } else if (std::isinf(AValue)) {
    signExponent |= 0x7FFF;
    mantissa = 0x8000000000000000ULL;
  } else if (AValue != 0) {
    int exponent = 0;
    long double fraction = std::frexp(std::fabs(AValue), &exponent);  // in [0.5, 1)
    int biased = exponent - 1 + 16383;
    if (biased > 0) {
      mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
      signExponent |= static_cast<uint16_t>(biased);
    } else {
      // Below the normal range: exponent field 0, the value is mantissa * 2^-16445.
      mantissa = static_cast<uint64_t>(std::ldexp(std::fabs(AValue), 16445));
    }
  }
  writeLittleEndian<uint64_t>(AStream, mantissa);
  writeLittleEndian<uint16_t>(AStream, signExponent);
}

double readExtended(TStream* AStream) {
  uint64_t mantissa = readLittleEndian<uint64_t>(AStream);
  uint16_t signExponent = readLittleEndian<uint16_t>(AStream);
  bool negative = (signExponent & 0x8000) != 0;
  int exponent = signExponent & 0x7FFF;
  double result;
  if (exponent == 0x7FFF)
    result = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
  else if (mantissa == 0)
    result = 0.0;
  else
    // Exact in long double; the one rounding happens in the conversion to double.
    result = static_cast<double>(std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63));
  return negative ? -result : result;
}

// Integer value rule: the narrowest of the three integer tags.
void writeIntegerValue(TStream* AStream, Integer AValue) {
  if (AValue >= -128 && AValue <= 127) {
    writeLittleEndian<Byte>(AStream, tagInt8);
    writeLittleEndian<ShortInt>(AStream, static_cast<ShortInt>(AValue));
  } else if (AValue >= -32768 && AValue <= 32767) {
    writeLittleEndian<Byte>(AStream, tagInt16);
    writeLittleEndian<SmallInt>(AStream, static_cast<SmallInt>(AValue));
  } else {
    writeLittleEndian<Byte>(AStream, tagInt32);
    writeLittleEndian<Integer>(AStream, AValue);
  }
}

// String rule: a one-byte length up to 255 bytes, a four-byte length beyond.
void writeStringValue(TStream* AStream, const std::string& S) {
  if (S.size() <= 255) {
    writeLittleEndian<Byte>(AStream, tagShortString);
    writeLittleEndian<Byte>(AStream, static_cast<Byte>(S.size()));
  } else {
    if (S.size() > static_cast<size_t>(std::numeric_limits<Integer>::max())) writeError();
    writeLittleEndian<Byte>(AStream, tagLongString);
    writeLittleEndian<Integer>(AStream, static_cast<Integer>(S.size()));
  }
  writeBytes(AStream, S);
}

void writeVariant(TStream* AStream, const Variant& V, int ADepth) {
  if (VarIsArray(V)) {
    if (VarArrayDimCount(V) != 1 || ADepth >= kMaxArrayNesting) writeError();
    Integer low = VarArrayLowBound(V, 1), high = VarArrayHighBound(V, 1);
    writeLittleEndian<Byte>(AStream, tagArray);
    writeIntegerValue(AStream, static_cast<Integer>(Int64(high) - low + 1));
    for (Integer i = low; i <= high; ++i) writeVariant(AStream, VarArrayGet(V, {i}), ADepth + 1);
    return;
  }
  switch (VarType(V) & ~varByRef) {
    case varEmpty: writeLittleEndian<Byte>(AStream, tagEmpty); break;
    case varNull: writeLittleEndian<Byte>(AStream, tagNull); break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte: writeIntegerValue(AStream, V.AsInteger()); break;
    case varSingle:
      writeLittleEndian<Byte>(AStream, tagSingle);
      writeLittleEndian<uint32_t>(AStream, std::bit_cast<uint32_t>(static_cast<float>(V.RawDouble())));
      break;
    case varDouble:
      writeLittleEndian<Byte>(AStream, tagExtended);
      writeExtended(AStream, V.RawDouble());
      break;
    case varCurrency:
      writeLittleEndian<Byte>(AStream, tagCurrency);
      writeLittleEndian<Int64>(AStream, V.AsCurrency().Value);
      break;
    case varDate:
      writeLittleEndian<Byte>(AStream, tagDate);
      writeLittleEndian<uint64_t>(AStream, std::bit_cast<uint64_t>(V.RawDouble()));
      break;
    case varOleStr:
      writeLittleEndian<Byte>(AStream, tagWideString);
      writeWideText(AStream, V.RawString());
      break;
    case varBoolean: writeLittleEndian<Byte>(AStream, V.AsBoolean() ? tagTrue : tagFalse); break;
    case varString: writeStringValue(AStream, V.RawString()); break;
    default:
      // Word, LongWord, Int64, interfaces, decimal and custom kinds travel as their text.
      try {
        writeStringValue(AStream, V.AsString());
      } catch (const Exception&) {
        writeError();
      }
  }
}

Variant readVariant(TStream* AStream, int ADepth) {
  Byte tag = readLittleEndian<Byte>(AStream);
  switch (tag) {
    case tagNull: return Null();
    case tagArray: {
      if (ADepth >= kMaxArrayNesting) readError();
      Byte countTag = readLittleEndian<Byte>(AStream);
      Integer count;
      if (countTag == tagInt8)
        count = readLittleEndian<ShortInt>(AStream);
      else if (countTag == tagInt16)
        count = readLittleEndian<SmallInt>(AStream);
      else
        count = readLittleEndian<Integer>(AStream);
      if (count < 0) readError();
      std::vector<Variant> items;
      // A damaged count fails at the stream's end; reserve only what is surely small.
      items.reserve(static_cast<size_t>(std::min(count, 1024)));
      for (Integer i = 0; i < count; ++i) items.push_back(readVariant(AStream, ADepth + 1));
      return VarArrayOf(items);
    }
    case tagInt8: return Variant(readLittleEndian<ShortInt>(AStream));
    case tagInt16: return Variant(readLittleEndian<SmallInt>(AStream));
    case tagInt32: return Variant(readLittleEndian<Integer>(AStream));
    case tagExtended: return Variant(readExtended(AStream));
    case tagShortString: return Variant(readBytes(AStream, readLittleEndian<Byte>(AStream)));
    case tagFalse: return Variant(false);
    case tagTrue: return Variant(true);
    case tagLongString: return Variant(readBytes(AStream, readLittleEndian<Integer>(AStream)));
    case tagEmpty: return Variant();
    case tagSingle: return Variant(std::bit_cast<float>(readLittleEndian<uint32_t>(AStream)));
    case tagCurrency: return Variant(Currency::FromScaled(readLittleEndian<Int64>(AStream)));
    case tagDate: return VarFromDateTime(std::bit_cast<double>(readLittleEndian<uint64_t>(AStream)));
    case tagWideString: return Variant::MakeOleStr(readWideText(AStream));
    default: readError();
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The stream encoding

void cxStreamWriteVariant(TStream* AStream, const Variant& V) { writeVariant(AStream, V, 0); }

Variant cxStreamReadVariant(TStream* AStream) { return readVariant(AStream, 0); }

// ---------------------------------------------------------------------------------------
// Typed helpers

std::string cxStreamReadString(TStream* AStream) { return readBytes(AStream, readLittleEndian<Integer>(AStream)); }
void cxStreamReadString(TStream* AStream, std::string& S) { S = cxStreamReadString(AStream); }
void cxStreamWriteString(TStream* AStream, const std::string& S) {
  if (S.size() > static_cast<size_t>(std::numeric_limits<Integer>::max())) writeError();
  writeLittleEndian<Integer>(AStream, static_cast<Integer>(S.size()));
  writeBytes(AStream, S);
}

std::string cxStreamReadWideString(TStream* AStream) { return readWideText(AStream); }
void cxStreamReadWideString(TStream* AStream, std::string& S) { S = readWideText(AStream); }
void cxStreamWriteWideString(TStream* AStream, const std::string& S) { writeWideText(AStream, S); }

bool cxStreamReadBoolean(TStream* AStream) { return readLittleEndian<Byte>(AStream) != 0; }
void cxStreamReadBoolean(TStream* AStream, bool& AValue) { AValue = cxStreamReadBoolean(AStream); }
void cxStreamWriteBoolean(TStream* AStream, bool AValue) { writeLittleEndian<Byte>(AStream, AValue ? 1 : 0); }

void cxStreamWriteExtended(TStream* AStream, Extended AValue) { writeExtended(AStream, AValue); }

Currency cxStreamReadCurrency(TStream* AStream) { return Currency::FromScaled(readLittleEndian<Int64>(AStream)); }
void cxStreamReadCurrency(TStream* AStream, Currency& AValue) { AValue = cxStreamReadCurrency(AStream); }
void cxStreamWriteCurrency(TStream* AStream, Currency AValue) { writeLittleEndian<Int64>(AStream, AValue.Value); }

TDateTime cxStreamReadDateTime(TStream* AStream) { return std::bit_cast<double>(readLittleEndian<uint64_t>(AStream)); }
void cxStreamReadDateTime(TStream* AStream, TDateTime& AValue) { AValue = cxStreamReadDateTime(AStream); }
void cxStreamWriteDateTime(TStream* AStream, TDateTime AValue) {
  writeLittleEndian<uint64_t>(AStream, std::bit_cast<uint64_t>(AValue));
}

Integer cxStreamReadInt32(TStream* AStream) { return readLittleEndian<Integer>(AStream); }
void cxStreamReadInt32(TStream* AStream, Integer& AValue) { AValue = cxStreamReadInt32(AStream); }
void cxStreamWriteInt32(TStream* AStream, Integer AValue) { writeLittleEndian<Integer>(AStream, AValue); }

Int64 cxStreamReadInt64(TStream* AStream) { return readLittleEndian<Int64>(AStream); }
void cxStreamReadInt64(TStream* AStream, Int64& AValue) { AValue = cxStreamReadInt64(AStream); }
void cxStreamWriteInt64(TStream* AStream, Int64 AValue) { writeLittleEndian<Int64>(AStream, AValue); }

Byte cxStreamReadByte(TStream* AStream) { return readLittleEndian<Byte>(AStream); }
void cxStreamReadByte(TStream* AStream, Byte& AValue) { AValue = cxStreamReadByte(AStream); }
void cxStreamWriteByte(TStream* AStream, Byte AValue) { writeLittleEndian<Byte>(AStream, AValue); }

SmallInt cxStreamReadInt16(TStream* AStream) { return readLittleEndian<SmallInt>(AStream); }
void cxStreamReadInt16(TStream* AStream, SmallInt& AValue) { AValue = cxStreamReadInt16(AStream); }
void cxStreamWriteInt16(TStream* AStream, SmallInt AValue) { writeLittleEndian<SmallInt>(AStream, AValue); }

Word cxStreamReadWord(TStream* AStream) { return readLittleEndian<Word>(AStream); }
void cxStreamReadWord(TStream* AStream, Word& AValue) { AValue = cxStreamReadWord(AStream); }
void cxStreamWriteWord(TStream* AStream, Word AValue) { writeLittleEndian<Word>(AStream, AValue); }
