#pragma once
// Variant: a value that carries its own type, with the OLE VARIANT kinds and codes plus the
// native 8-bit string kind; the conversion, arithmetic and comparison rules below; variant
// arrays (one or more dimensions, any bounds); and custom kinds registered at run time (the
// data-access layer adds its BCD and time-stamp kinds that way).
//
// Rules a caller may rely on:
// - Text is always a std::string of cp1252 bytes; varOleStr and varString differ only in
//   their code. Text <-> number conversions use the global format settings
//   (DecimalSeparator), through the SysUtils routines (IntToStr, FloatToStr with 15
//   significant digits, DateTimeToStr, StrToFloat, StrToDateTime).
// - Null refuses numeric, boolean, date and text conversion (EVariantTypeCastError:
//   "Could not convert variant of type (Null) into type (Integer)"); VarToStr(Null) is "".
//   Empty converts to 0, False and "".
// - Booleans convert to the numbers -1 (True) and 0 (False) and to the texts "True" and
//   "False"; text converts to a boolean from "True"/"False" (any case) or from a number.
// - A floating value converts to an integer kind by rounding half to even; a value out of
//   the target's range raises EVariantOverflowError.
// - Comparing with Null: Null = Null is true, Null = any other value (Empty included) is
//   false, and in ordering Null comes before every other value (Null < x, x > Null). This
//   keeps "sort ascending, nulls first", which the data layer's key comparisons expect,
//   and never raises, so a Null key can always be compared.
// - Arithmetic with Null gives Null; Empty counts as the integer 0 (or "" beside text).
// - Promotion in + - *: integer kinds of 32 bits or less (and booleans, as -1/0) compute
//   as Integer and widen to Int64 on overflow; LongWord and Int64 compute as Int64 and
//   widen to Double on overflow. Single with Single stays Single; any other floating
//   operand gives Double. Currency with Currency or an integer stays Currency (Double on
//   overflow). A date moved by a number is a Date; a date less a date is a Double.
//   Two texts concatenate under +; text beside any other value is read as a number (as a
//   date beside a Date, as a boolean beside a Boolean in and/or/xor).
// - / always divides in floating point (Double). div, mod and the bit operations round
//   floating operands half to even and give an Integer when the result fits one and no
//   operand is Int64 or LongWord, else an Int64.
// - Comparison: two texts compare case-sensitively by the locale (AnsiCompareStr); text
//   beside a number, date or boolean is converted to that kind; Empty equals 0 and "";
//   False comes before True; integers compare exactly (not through a double).
//
// Copies are deep: assigning a variant array copies its elements;
// a custom kind's payload is immutable and shared between copies.

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/System.h"

using TVarType = Word;

// The kind codes. The values are those of OLE's VARTYPE, so a value can be handed to
// OLE Automation without translation.
constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varStrArg = 0x0048;
constexpr TVarType varString = 0x0100;  // native 8-bit string
constexpr TVarType varAny = 0x0101;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByRef = 0x4000;
// The first code handed to a custom kind.
constexpr TVarType varFirstCustom = 0x010F;

// Operations handed to custom kinds.
enum TVarOp {
  opAdd, opSubtract, opMultiply, opDivide, opIntDivide, opModulus, opShiftLeft, opShiftRight,
  opAnd, opOr, opXor, opCompare, opNegate, opNot, opCmpEQ, opCmpNE, opCmpLT, opCmpLE, opCmpGT,
  opCmpGE
};
enum TVarCompareResult { crLessThan, crEqual, crGreaterThan };
enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

RTL_EXCEPTION(EVariantTypeCastError, EVariantError)
RTL_EXCEPTION(EVariantOverflowError, EVariantError)
RTL_EXCEPTION(EVariantInvalidOpError, EVariantError)
RTL_EXCEPTION(EVariantInvalidArgError, EVariantError)
RTL_EXCEPTION(EVariantBadIndexError, EVariantError)
RTL_EXCEPTION(EVariantNotAnArrayError, EVariantError)
RTL_EXCEPTION(EVariantArrayCreateError, EVariantError)

// The value a custom kind keeps in a variant. It is never changed once made; copies of
// the variant share it.
class TVarPayload {
public:
  virtual ~TVarPayload() = default;
};

namespace variants_detail {
struct ArrayData;
}

class Variant {
public:
  class ElementRef;

  Variant();
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant();

  Variant(bool v);
  Variant(char v);  // a one-character string
  Variant(signed char v);
  Variant(unsigned char v);
  Variant(short v);
  Variant(unsigned short v);
  Variant(int v);
  Variant(unsigned int v);
  Variant(long v);
  Variant(unsigned long v);  // varInt64, or varDouble above Int64's range
  Variant(long long v);
  Variant(unsigned long long v);
  Variant(float v);
  Variant(double v);
  Variant(long double v);  // kept as varDouble
  Variant(Currency v);
  Variant(const char* v);
  Variant(const std::string& v);
  Variant(std::string&& v);
  Variant(IUnknown* v);   // holds a reference
  Variant(IDispatch* v);  // holds a reference
  Variant(IInterface* v) : Variant(AsIUnknown(v)) {}  // varUnknown; holds a reference
  // Any other pointer would silently become a boolean: refuse it.
  template <class T, std::enable_if_t<!std::is_same_v<std::remove_cv_t<T>, char> &&
                                          !std::is_base_of_v<IUnknown, T> &&
                                          !std::is_base_of_v<IInterface, T>,
                                      int> = 0>
  Variant(T*) = delete;

  // Kind code (with varArray for arrays, whose low bits are the element kind).
  TVarType VType() const;
  bool IsEmpty() const { return vt_ == varEmpty; }
  bool IsNull() const { return vt_ == varNull; }
  bool IsArray() const { return arr_ != nullptr; }

  // Conversions by the rules at the top of this file.
  Integer AsInteger() const;
  Int64 AsInt64() const;
  Cardinal AsCardinal() const;
  double AsDouble() const;
  Extended AsExtended() const;
  bool AsBoolean() const;
  std::string AsString() const;
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;
  // The held interface (varUnknown/varDispatch; Empty gives null), without a new reference.
  IUnknown* AsUnknown() const;

  explicit operator bool() const { return AsBoolean(); }
  explicit operator signed char() const;
  explicit operator unsigned char() const;
  explicit operator short() const;
  explicit operator unsigned short() const;
  explicit operator int() const { return AsInteger(); }
  explicit operator unsigned int() const { return AsCardinal(); }
  explicit operator long() const { return AsInt64(); }
  explicit operator long long() const { return AsInt64(); }
  explicit operator float() const;
  explicit operator double() const { return AsDouble(); }
  explicit operator long double() const { return AsExtended(); }
  explicit operator Currency() const { return AsCurrency(); }
  explicit operator std::string() const { return AsString(); }

  // Element access for a one-dimensional array (VarArrayGet/VarArrayPut for more). The
  // element is converted to the array's element kind when written.
  Variant operator[](Integer index) const;
  ElementRef operator[](Integer index);
  Variant GetElement(std::initializer_list<Integer> indices) const;
  void PutElement(std::initializer_list<Integer> indices, const Variant& value);
  Variant GetElement(const std::vector<Integer>& indices) const;
  void PutElement(const std::vector<Integer>& indices, const Variant& value);

  void Clear();

  Variant& operator+=(const Variant& r);
  Variant& operator-=(const Variant& r);
  Variant& operator*=(const Variant& r);
  Variant& operator/=(const Variant& r);

  // Custom kinds: the payload and the code a custom kind gave it.
  static Variant MakeCustom(TVarType code, std::shared_ptr<const TVarPayload> payload);
  const TVarPayload* Payload() const { return custom_.get(); }
  template <class P> const P* PayloadAs() const { return dynamic_cast<const P*>(custom_.get()); }

  // Factories used by the free functions (Null(), VarFromDateTime ...).
  static Variant MakeNull();
  static Variant MakeDate(TDateTime d);
  static Variant MakeOleStr(std::string s);
  static Variant MakeError(Integer code);
  // The error code of a varError value.
  Integer ErrorCode() const;

  // The raw value of an integer kind (varSmallint .. varInt64, varBoolean as -1/0,
  // varError); for operations that already checked the kind.
  Int64 RawOrdinal() const { return u_.i; }
  // The raw value of varSingle, varDouble and varDate.
  double RawDouble() const { return vt_ == varSingle ? u_.f : u_.d; }
  // The text of a string kind.
  const std::string& RawString() const { return str_; }

private:
  friend struct variants_detail::ArrayData;

  void assignFrom(const Variant& other);
  void moveFrom(Variant& other) noexcept;
  void setInt(TVarType vt, Int64 v) {
    vt_ = vt;
    u_.i = v;
  }

  TVarType vt_ = varEmpty;
  union {
    Int64 i;  // integer kinds, varBoolean (-1/0), varCurrency (scaled), varError
    double d;  // varDouble, varDate
    float f;   // varSingle
    IUnknown* unk;  // varUnknown, varDispatch
  } u_{0};
  std::string str_;  // varOleStr, varString
  std::unique_ptr<variants_detail::ArrayData> arr_;
  std::shared_ptr<const TVarPayload> custom_;
};

// One element of a one-dimensional variant array, for reading and writing through v[i].
class Variant::ElementRef {
public:
  ElementRef(Variant& array, Integer index) : array_(array), index_(index) {}
  ElementRef& operator=(const Variant& value);
  ElementRef& operator=(const ElementRef& other) { return *this = other.Value(); }
  Variant Value() const;
  operator Variant() const { return Value(); }
  TVarType VType() const { return Value().VType(); }
  Integer AsInteger() const { return Value().AsInteger(); }
  Int64 AsInt64() const { return Value().AsInt64(); }
  double AsDouble() const { return Value().AsDouble(); }
  bool AsBoolean() const { return Value().AsBoolean(); }
  std::string AsString() const { return Value().AsString(); }
  Variant operator[](Integer index) const { return Value()[index]; }

private:
  Variant& array_;
  Integer index_;
};

// ---------------------------------------------------------------------------------------
// Factories.
Variant Null();
Variant Unassigned();
Variant VarFromDateTime(TDateTime d);

// ---------------------------------------------------------------------------------------
// Operators. + - * follow the promotion rules (integers widen to Int64 and then to Double
// on overflow; two texts concatenate; text beside a number is read as a number); / always
// divides in floating point; Div and % (mod) work on integers; & | ^ ~ are and, or, xor and
// not (logical on booleans, bitwise on integers).
Variant operator+(const Variant& l, const Variant& r);
Variant operator-(const Variant& l, const Variant& r);
Variant operator*(const Variant& l, const Variant& r);
Variant operator/(const Variant& l, const Variant& r);
Variant operator%(const Variant& l, const Variant& r);
Variant Div(const Variant& l, const Variant& r);
Variant operator&(const Variant& l, const Variant& r);
Variant operator|(const Variant& l, const Variant& r);
Variant operator^(const Variant& l, const Variant& r);
Variant operator-(const Variant& v);
Variant operator~(const Variant& v);

bool operator==(const Variant& l, const Variant& r);
bool operator!=(const Variant& l, const Variant& r);
bool operator<(const Variant& l, const Variant& r);
bool operator<=(const Variant& l, const Variant& r);
bool operator>(const Variant& l, const Variant& r);
bool operator>=(const Variant& l, const Variant& r);

// The generic operation behind the operators (also what custom kinds receive).
Variant VarBinaryOp(const Variant& l, const Variant& r, TVarOp op);
Variant VarUnaryOp(const Variant& v, TVarOp op);

// ---------------------------------------------------------------------------------------
// Inspection and conversion.
TVarType VarType(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
// Empty, a null interface, or a custom kind that says it is clear.
bool VarIsClear(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsNumeric(const Variant& v);  // ordinal or float
bool VarIsOrdinal(const Variant& v);  // integer kinds and varBoolean
bool VarIsFloat(const Variant& v);    // varSingle, varDouble, varCurrency
bool VarIsStr(const Variant& v);      // varOleStr, varString
bool VarIsCustom(const Variant& v);
bool VarIsType(const Variant& v, TVarType type);
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types);
// The value converted to the kind; EVariantTypeCastError when impossible,
// EVariantOverflowError when out of range.
Variant VarAsType(const Variant& v, TVarType type);
// The kind's name as used in messages ("Integer", "String", "Null" ...).
std::string VarTypeAsText(TVarType type);
// Text of the value; Null gives "".
std::string VarToStr(const Variant& v);
// Text of the value; Null gives def.
std::string VarToStrDef(const Variant& v, const std::string& def);
TDateTime VarToDateTime(const Variant& v);
void VarClear(Variant& v);
void VarCopy(Variant& dest, const Variant& source);
// Whether an interface value (varUnknown/varDispatch) supports iid; *intf, when given,
// receives it with a reference added.
bool VarSupports(const Variant& v, const GUID& iid, void** intf = nullptr);

// Both Empty, both Null, or neither Empty nor Null and equal.
bool VarSameValue(const Variant& a, const Variant& b);
// vrNotEqual when exactly one side is Empty or Null (or one Empty and the other Null).
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);

// ---------------------------------------------------------------------------------------
// Arrays. Bounds are given in pairs (low, high) per dimension.
Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType elemType);
Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elemType);
// A one-dimensional array of varVariant from 0.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
Integer VarArrayDimCount(const Variant& v);  // 0 for a non-array
Integer VarArrayLowBound(const Variant& v, Integer dim);  // dim from 1
Integer VarArrayHighBound(const Variant& v, Integer dim);
// Changes the high bound of the last dimension, keeping the elements that remain.
void VarArrayRedim(Variant& v, Integer highBound);
Variant VarArrayGet(const Variant& v, std::initializer_list<Integer> indices);
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<Integer> indices);

// ---------------------------------------------------------------------------------------
// Custom kinds. A descendant made once (usually by a unit's Initialize) is given the next
// free code from varFirstCustom up; it is unregistered when destroyed. The variant keeps
// its payload; the descendant says how values of other kinds become its kind (Cast), how
// its values become other kinds (CastTo), and how its values combine and compare. In an
// operation with a value of another kind, the custom side first says to which kind the
// other operand is converted (LeftPromotion / RightPromotion; by default its own kind).
class TCustomVariantType : public TObject {
  RTL_DECLARE_CLASS(TCustomVariantType, TObject)
public:
  TCustomVariantType();
  ~TCustomVariantType() override;
  TCustomVariantType(const TCustomVariantType&) = delete;
  TCustomVariantType& operator=(const TCustomVariantType&) = delete;

  TVarType VarType() const { return code_; }

  // source (of another kind) into this kind. Default: EVariantTypeCastError.
  virtual void Cast(Variant& dest, const Variant& source);
  // source (of this kind) into varType. Default: EVariantTypeCastError.
  virtual void CastTo(Variant& dest, const Variant& source, TVarType varType);
  // left := left op right, both of this kind after promotion. Default: invalid operation.
  virtual void BinaryOp(Variant& left, const Variant& right, TVarOp op);
  // v := op v (opNegate, opNot). Default: invalid operation.
  virtual void UnaryOp(Variant& v, TVarOp op);
  // Default: Compare, then the relation the operator asks for.
  virtual bool CompareOp(const Variant& left, const Variant& right, TVarOp op);
  // Default: invalid operation.
  virtual void Compare(const Variant& left, const Variant& right, TVarCompareResult& relationship);
  // The kind the other operand is converted to; false refuses the operation.
  virtual bool LeftPromotion(const Variant& v, TVarOp op, TVarType& requiredVarType);
  virtual bool RightPromotion(const Variant& v, TVarOp op, TVarType& requiredVarType);
  virtual bool IsClear(const Variant& v) const { return false; }
  // The kind's name in messages.
  virtual std::string TypeName() const { return ClassName(); }

protected:
  // A variant of this kind holding payload.
  Variant MakeValue(std::shared_ptr<const TVarPayload> payload) const;
  [[noreturn]] void RaiseCastError(TVarType from, TVarType to) const;
  [[noreturn]] void RaiseInvalidOp() const;

private:
  TVarType code_;
};

// The custom kind registered with code; false when none.
bool FindCustomVariantType(TVarType code, TCustomVariantType*& type);
