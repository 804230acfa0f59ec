// DB: query parameters and the ':name' parser.
#include <cctype>
#include <cstring>

#include "platform/data/DB.h"

// =======================================================================================
// ':name' parameters in SQL text
// =======================================================================================

namespace {
bool isParamNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

// The end (after the closing '#') of a date literal such as #3/1/2023 8:03:00 AM# or
// #2023-03-01 08:03# that begins at Start, or npos when no date literal begins there: its
// times hold ':' that are no parameters.
size_t dateLiteralEnd(const std::string& SQL, size_t Start) {
  size_t end = SQL.find('#', Start + 1);
  if (end == std::string::npos || end == Start + 1) return std::string::npos;
  for (size_t i = Start + 1; i < end; ++i)
    if (!std::strchr("0123456789/-:. AaPpMm", SQL[i])) return std::string::npos;
  return end + 1;
}
}  // namespace

std::string ParseSqlParameters(const std::string& SQL, std::vector<std::string>& Names) {
  Names.clear();
  std::string out;
  out.reserve(SQL.size());
  size_t i = 0, n = SQL.size();
  while (i < n) {
    char c = SQL[i];
    // Quoted text, [names], `names`, date literals and comments pass through untouched.
    if (c == '#') {
      size_t end = dateLiteralEnd(SQL, i);
      if (end != std::string::npos) {
        out.append(SQL, i, end - i);
        i = end;
        continue;
      }
    }
    if (c == '\'' || c == '"' || c == '[' || c == '`') {
      char close = c == '[' ? ']' : c;
      size_t end = SQL.find(close, i + 1);
      end = end == std::string::npos ? n : end + 1;
      out.append(SQL, i, end - i);
      i = end;
      continue;
    }
    if (c == '-' && i + 1 < n && SQL[i + 1] == '-') {
      size_t end = SQL.find('\n', i);
      end = end == std::string::npos ? n : end;
      out.append(SQL, i, end - i);
      i = end;
      continue;
    }
    if (c == '/' && i + 1 < n && SQL[i + 1] == '*') {
      size_t end = SQL.find("*/", i + 2);
      end = end == std::string::npos ? n : end + 2;
      out.append(SQL, i, end - i);
      i = end;
      continue;
    }
    if (c != ':') {
      // Up to the next character that may start something above.
      size_t next = SQL.find_first_of("#'\"[`-/:", i + 1);
      if (next == std::string::npos) next = n;
      out.append(SQL, i, next - i);
      i = next;
      continue;
    }
    // '::' is a literal ':'.
    if (i + 1 < n && SQL[i + 1] == ':') {
      out += ':';
      i += 2;
      continue;
    }
    if (i + 1 < n && SQL[i + 1] == '"') {
      size_t end = SQL.find('"', i + 2);
      if (end != std::string::npos) {
        Names.push_back(SQL.substr(i + 2, end - i - 2));
        out += '?';
        i = end + 1;
        continue;
      }
    }
    size_t j = i + 1;
    while (j < n && isParamNameChar(static_cast<unsigned char>(SQL[j]))) ++j;
    if (j == i + 1) {
      out += ':';
      ++i;
      continue;
    }
    Names.push_back(SQL.substr(i + 1, j - i - 1));
    out += '?';
    i = j;
  }
  return out;
}

// =======================================================================================
// TParam
// =======================================================================================

RTL_BEGIN_CLASS(TParam)
b.Property("DataType", &TParam::DataType, &TParam::SetDataType).Default(ftUnknown);
b.Property("Name", &TParam::Name, &TParam::SetName);
b.Property("NumericScale", &TParam::NumericScale, &TParam::SetNumericScale).Default(0);
b.Property("ParamType", &TParam::ParamType, &TParam::SetParamType).Default(ptUnknown);
b.Property("Precision", &TParam::Precision, &TParam::SetPrecision).Default(0);
b.Property("Size", &TParam::Size, &TParam::SetSize).Default(0);
b.Property("Value", &TParam::Value, &TParam::SetValue);
RTL_END_CLASS

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection), FData(Null()) {}

TParam::TParam(TParams* AParams, TParamType AParamType) : TCollectionItem(AParams), FParamType(AParamType), FData(Null()) {}

void TParam::SetDataType(TFieldType Value) { FDataType = Value; }

void TParam::SetBound(bool Value) {
  FBound = Value;
  if (!Value) FData = Null();
}

void TParam::SetValue(const Variant& Value) {
  // An untyped parameter takes the type of the first value it gets.
  if (FDataType == ftUnknown) {
    switch (Value.VType()) {
      case varBoolean: FDataType = ftBoolean; break;
      case varSmallint: case varShortInt: case varByte: FDataType = ftSmallint; break;
      case varWord: case varInteger: FDataType = ftInteger; break;
      case varCurrency: FDataType = ftBCD; break;
      case varLongWord: case varSingle: case varDouble: FDataType = ftFloat; break;
      case varDate: FDataType = ftDateTime; break;
      case varOleStr: case varString: FDataType = ftString; break;
      case varInt64: FDataType = ftLargeint; break;
      default:
        if (VarIsFMTBcd(Value)) FDataType = ftFMTBcd;
        else if (VarIsSQLTimeStamp(Value)) FDataType = ftTimeStamp;
        break;
    }
  }
  FData = Value.IsEmpty() ? Null() : Value;
  FBound = true;
}

void TParam::setTyped(TFieldType Type, const Variant& Value) {
  FDataType = Type;
  SetValue(Value);
}

void TParam::Clear() { FData = Null(); }

void TParam::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TParam*>(Source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FParamType = p->FParamType;
    FData = p->FData;
    FBound = p->FBound;
    FSize = p->FSize;
    FPrecision = p->FPrecision;
    FNumericScale = p->FNumericScale;
    return;
  }
  if (auto* f = dynamic_cast<TField*>(Source)) {
    AssignField(f);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TParam::AssignField(TField* Field) {
  if (!Field) return;
  FName = Field->FieldName();
  AssignFieldValue(Field, Field->Value());
}

void TParam::AssignFieldValue(TField* Field, const Variant& Value) {
  if (!Field) return;
  FDataType = Field->DataType();
  FSize = Field->Size();
  SetValue(Value);
}

std::string TParam::AsString() const { return IsNull() ? std::string() : FData.AsString(); }
void TParam::SetAsString(const std::string& Value) { setTyped(ftString, Variant(Value)); }
void TParam::SetAsMemo(const std::string& Value) { setTyped(ftMemo, Variant(Value)); }
void TParam::SetAsBlob(const std::string& Value) { setTyped(ftBlob, Variant(Value)); }
Integer TParam::AsInteger() const { return IsNull() ? 0 : FData.AsInteger(); }
void TParam::SetAsInteger(Integer Value) { setTyped(ftInteger, Variant(Value)); }
void TParam::SetAsSmallInt(Integer Value) { setTyped(ftSmallint, Variant(Value)); }
void TParam::SetAsWord(Integer Value) { setTyped(ftWord, Variant(Value)); }
Int64 TParam::AsLargeInt() const { return IsNull() ? 0 : FData.AsInt64(); }
void TParam::SetAsLargeInt(Int64 Value) { setTyped(ftLargeint, Variant(static_cast<long long>(Value))); }
double TParam::AsFloat() const { return IsNull() ? 0 : FData.AsDouble(); }
void TParam::SetAsFloat(double Value) { setTyped(ftFloat, Variant(Value)); }
Currency TParam::AsCurrency() const { return IsNull() ? Currency() : FData.AsCurrency(); }
void TParam::SetAsCurrency(Currency Value) { setTyped(ftCurrency, Variant(Value.ToDouble())); }
void TParam::SetAsBCD(Currency Value) { setTyped(ftBCD, Variant(Value)); }
TBcd TParam::AsFMTBCD() const { return IsNull() ? NullBcd() : VarToBcd(FData); }
void TParam::SetAsFMTBCD(const TBcd& Value) { setTyped(ftFMTBcd, VarFMTBcdCreate(Value)); }
bool TParam::AsBoolean() const { return IsNull() ? false : FData.AsBoolean(); }
void TParam::SetAsBoolean(bool Value) { setTyped(ftBoolean, Variant(Value)); }
TDateTime TParam::AsDateTime() const { return IsNull() ? 0 : VarToDateTime(FData); }
void TParam::SetAsDateTime(TDateTime Value) { setTyped(ftDateTime, VarFromDateTime(Value)); }
void TParam::SetAsDate(TDateTime Value) { setTyped(ftDate, VarFromDateTime(Value)); }
void TParam::SetAsTime(TDateTime Value) { setTyped(ftTime, VarFromDateTime(Value)); }
TSQLTimeStamp TParam::AsSQLTimeStamp() const { return IsNull() ? NullSQLTimeStamp : VarToSQLTimeStamp(FData); }
void TParam::SetAsSQLTimeStamp(const TSQLTimeStamp& Value) { setTyped(ftTimeStamp, VarSQLTimeStampCreate(Value)); }

// =======================================================================================
// TParams
// =======================================================================================

RTL_IMPLEMENT_CLASS(TParams)

TParams::TParams() : TCollection(TParam::StaticClass()) {}
TParams::TParams(TPersistent* AOwner) : TCollection(TParam::StaticClass()), FOwner(AOwner) {}

TParam* TParams::AddParam(TParam* Value) {
  Value->SetCollection(this);
  return Value;
}

void TParams::RemoveParam(TParam* Value) { Value->SetCollection(nullptr); }

TParam* TParams::CreateParam(TFieldType FldType, const std::string& ParamName, TParamType ParamType) {
  auto* p = static_cast<TParam*>(Add());
  p->SetName(ParamName);
  p->SetDataType(FldType);
  p->SetParamType(ParamType);
  return p;
}

void TParams::AssignValues(TParams* Value) {
  for (Integer i = 0; i < Value->Count(); ++i)
    if (TParam* p = FindParam(Value->Items(i)->Name())) p->Assign(Value->Items(i));
}

TParam* TParams::FindParam(const std::string& Value) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), Value)) return Items(i);
  return nullptr;
}

TParam* TParams::ParamByName(const std::string& Value) const {
  TParam* p = FindParam(Value);
  if (!p) DatabaseErrorFmt(SParameterNotFound, {Value}, dynamic_cast<TComponent*>(FOwner));
  return p;
}

void TParams::GetParamList(TList* List, const std::string& ParamNames) const {
  for (const std::string& name : splitFieldNames(ParamNames)) List->Add(ParamByName(name));
}

bool TParams::IsEqual(TParams* Value) const {
  if (!Value || Value->Count() != Count()) return false;
  for (Integer i = 0; i < Count(); ++i) {
    TParam* a = Items(i);
    TParam* b = Value->Items(i);
    if (a->Name() != b->Name() || a->DataType() != b->DataType() || a->ParamType() != b->ParamType() ||
        !VarSameValue(a->Value(), b->Value()))
      return false;
  }
  return true;
}

Variant TParams::ParamValues(const std::string& ParamName) const { return namedParamValues(*this, ParamName); }

void TParams::SetParamValues(const std::string& ParamName, const Variant& Value) {
  setNamedParamValues(*this, ParamName, Value);
}

std::string TParams::ParseSQL(const std::string& SQL, bool DoCreate) {
  std::vector<std::string> names;
  std::string text = ParseSqlParameters(SQL, names);
  if (DoCreate) {
    TParams old;
    rebuildParams(*this, old, names, [this](const std::string& name) { return CreateParam(ftUnknown, name, ptInput); });
  }
  return text;
}
