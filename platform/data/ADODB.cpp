#include "platform/data/ADODB.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(EADOError)

namespace {

// ---------------------------------------------------------------------------------------
// Paths: the engine opens files by their host name; the program's users name drive-letter paths.

// The file the engine must open for a Data Source, and whether that name is UTF-8 (a host
// name from Wine) rather than cp1252.
std::string enginePath(const std::string& source, bool& utf8) {
  utf8 = false;
  if (!source.empty() && source[0] == '/') return source;
  char full[4096];
  DWORD n = GetFullPathNameA(source.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return source;
  int wide = MultiByteToWideChar(CP_ACP, 0, full, -1, nullptr, 0);
  if (wide <= 0) return source;
  std::vector<WCHAR> w(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_ACP, 0, full, -1, w.data(), wide);
  char* unixName = wine_get_unix_file_name(w.data());
  if (!unixName) return source;
  std::string result(unixName);
  HeapFree(GetProcessHeap(), 0, unixName);
  utf8 = true;
  return result;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  if (from.empty() || from == to) return s;
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

std::string withName(const TComponent* c, const std::string& message) {
  return c && !c->Name().empty() ? c->Name() + ": " + message : message;
}

std::string quoteName(const std::string& name) { return "[" + name + "]"; }

// ---------------------------------------------------------------------------------------
// Values between the engine and the fields.

Variant ownKind(const native::Value& v) {
  switch (v.kind()) {
    case native::Value::Kind::Integer: {
      Int64 i = v.integerValue();
      if (i >= INT32_MIN && i <= INT32_MAX) return Variant(static_cast<Integer>(i));
      return Variant(static_cast<long long>(i));
    }
    case native::Value::Kind::Float: return Variant(v.realValue());
    case native::Value::Kind::Text:
    case native::Value::Kind::Blob: return Variant(v.bytes());
    default: return Null();
  }
}

bool isNumber(const native::Value& v) {
  return v.kind() == native::Value::Kind::Integer || v.kind() == native::Value::Kind::Float;
}

std::string numberText(const native::Value& v) {
  return v.kind() == native::Value::Kind::Integer ? IntToStr(v.integerValue()) : FloatToStr(v.realValue());
}

// The value of a column in the kind of its field class. A value that cannot take that kind
// keeps its own (SQLite lets any column hold anything).
Variant toVariant(const native::Value& v, TFieldType type) {
  if (v.isNull()) return Null();
  switch (type) {
    case ftWideString: case ftGuid:
      if (v.kind() == native::Value::Kind::Text) return Variant::MakeOleStr(v.bytes());
      if (isNumber(v)) return Variant::MakeOleStr(numberText(v));
      return ownKind(v);
    case ftString: case ftFixedChar: case ftMemo: case ftFmtMemo:
      if (isNumber(v)) return Variant(numberText(v));
      return Variant(v.bytes());
    case ftBlob: case ftGraphic: case ftVarBytes: case ftBytes: case ftOraBlob: case ftTypedBinary:
      return isNumber(v) ? ownKind(v) : Variant(v.bytes());
    case ftSmallint: case ftWord: case ftInteger: case ftAutoInc:
      if (v.kind() == native::Value::Kind::Integer && v.integerValue() >= INT32_MIN && v.integerValue() <= INT32_MAX)
        return Variant(static_cast<Integer>(v.integerValue()));
      return ownKind(v);
    case ftLargeint:
      if (v.kind() == native::Value::Kind::Integer) return Variant(static_cast<long long>(v.integerValue()));
      return ownKind(v);
    case ftBoolean:
      if (isNumber(v)) return Variant(v.toDouble() != 0);
      return ownKind(v);
    case ftFloat: case ftCurrency:
      if (isNumber(v)) return Variant(v.toDouble());
      return ownKind(v);
    case ftBCD:
      if (isNumber(v)) {
        Currency c;
        if (TryFloatToCurr(v.toDouble(), c)) return Variant(c);
      }
      return ownKind(v);
    case ftFMTBcd:
      if (isNumber(v)) return VarFMTBcdCreate(DoubleToBcd(v.toDouble()));
      return ownKind(v);
    case ftDateTime: case ftDate: case ftTime:
      if (isNumber(v)) return VarFromDateTime(v.toDouble());
      return ownKind(v);
    default:
      return ownKind(v);
  }
}

// A value for a column of a field class.
native::Value toNative(const Variant& v, TFieldType type) {
  if (v.IsNull() || v.IsEmpty()) return native::Value();
  switch (type) {
    case ftBoolean: return native::Value::integer(v.AsBoolean() ? -1 : 0);
    case ftSmallint: case ftWord: case ftInteger: case ftAutoInc: case ftLargeint:
      return native::Value::integer(v.AsInt64());
    case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: case ftDateTime: case ftDate: case ftTime:
    case ftTimeStamp:
      return native::Value::real(v.AsDouble());
    case ftBlob: case ftGraphic: case ftVarBytes: case ftBytes: case ftOraBlob: case ftTypedBinary:
    case ftParadoxOle: case ftDBaseOle:
      return native::Value::blob(v.AsString());
    default: return native::Value::text(v.AsString());
  }
}

// A parameter's value, by the variant's own kind.
native::Value parameterValue(const Variant& v) {
  TVarType vt = v.VType();
  if (v.IsNull() || v.IsEmpty()) return native::Value();
  if (v.IsArray()) {
    std::string bytes;
    Integer lo = VarArrayLowBound(v, 1), hi = VarArrayHighBound(v, 1);
    for (Integer i = lo; i <= hi; ++i) bytes.push_back(static_cast<char>(v.GetElement({i}).AsInteger()));
    return native::Value::blob(bytes);
  }
  switch (vt) {
    case varBoolean: return native::Value::integer(v.AsBoolean() ? -1 : 0);
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
      return native::Value::integer(v.AsInt64());
    case varOleStr: case varString: return native::Value::text(v.RawString());
    default: return native::Value::real(v.AsDouble());
  }
}

bool sameValue(const Variant& a, const Variant& b) {
  bool an = a.IsNull() || a.IsEmpty(), bn = b.IsNull() || b.IsEmpty();
  if (an || bn) return an == bn;
  if (VarIsStr(a) && VarIsStr(b)) return a.RawString() == b.RawString();
  try {
    return a == b;
  } catch (const EVariantError&) {
    return false;
  }
}

TFieldType fieldTypeFor(const native::ColumnInfo& c, Integer& size, Integer& precision) {
  size = 0;
  precision = 0;
  switch (c.type) {
    case native::JetType::Text: size = c.size > 0 ? c.size : 255; return ftWideString;
    case native::JetType::Memo: return ftMemo;
    case native::JetType::Byte: return ftWord;
    case native::JetType::Integer: return ftSmallint;
    case native::JetType::Long: return ftInteger;
    case native::JetType::BigInt: return ftLargeint;
    case native::JetType::Single: case native::JetType::Double: return ftFloat;
    case native::JetType::Currency: size = 4; precision = 19; return ftBCD;
    case native::JetType::Boolean: return ftBoolean;
    case native::JetType::DateTime: return ftDateTime;
    case native::JetType::Binary: size = c.size > 0 ? c.size : 255; return ftVarBytes;
    case native::JetType::OleObject: return ftBlob;
    case native::JetType::Guid: return ftGuid;
    case native::JetType::Decimal:
      precision = c.size > 0 ? c.size : 18;
      size = c.scale;
      return c.scale <= 4 && precision <= 18 ? ftBCD : ftFMTBcd;
  }
  return ftUnknown;
}

}  // namespace

namespace {

// One setting of a connection string: its key, its value (unquoted) and where its text
// begins and ends (the ';' after it excluded).
struct ConnectionSetting {
  std::string key, value;
  size_t begin = 0, end = 0;
};

// The settings in order. A value may be enclosed in double or single quotes; inside, the
// enclosing quote written twice stands for one, and ';' belongs to the value. Text after the
// closing quote up to the next ';' is ignored, as is an empty or key-less piece.
std::vector<ConnectionSetting> splitConnectionString(const std::string& cs) {
  std::vector<ConnectionSetting> settings;
  size_t i = 0;
  const size_t n = cs.size();
  while (i < n) {
    ConnectionSetting s;
    s.begin = i;
    size_t eq = cs.find('=', i);
    size_t semi = cs.find(';', i);
    if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
      // A piece without '=': nothing to read, skip it.
      if (semi == std::string::npos) break;
      i = semi + 1;
      continue;
    }
    s.key = Trim(cs.substr(i, eq - i));
    size_t v = eq + 1;
    while (v < n && cs[v] == ' ') ++v;
    size_t next;
    if (v < n && (cs[v] == '"' || cs[v] == '\'')) {
      const char q = cs[v];
      size_t at = v + 1;
      while (at < n) {
        if (cs[at] == q) {
          if (at + 1 < n && cs[at + 1] == q) {
            s.value += q;
            at += 2;
            continue;
          }
          break;
        }
        s.value += cs[at++];
      }
      next = at < n ? cs.find(';', at) : std::string::npos;
    } else {
      next = cs.find(';', v);
      s.value = Trim(cs.substr(v, (next == std::string::npos ? n : next) - v));
    }
    s.end = next == std::string::npos ? n : next;
    settings.push_back(s);
    if (next == std::string::npos) break;
    i = next + 1;
  }
  return settings;
}

}  // namespace

std::string ConnectionStringValue(const std::string& ConnectionString, const std::string& Key) {
  for (const ConnectionSetting& s : splitConnectionString(ConnectionString))
    if (SameText(s.key, Key)) return s.value;
  return "";
}

std::string ConnectionStringQuote(const std::string& Value) {
  const bool hasDouble = Value.find('"') != std::string::npos;
  const bool hasSingle = Value.find('\'') != std::string::npos;
  const bool blankAtEdge = !Value.empty() && (Value.front() == ' ' || Value.back() == ' ');
  if (!hasDouble && !hasSingle && !blankAtEdge && Value.find(';') == std::string::npos) return Value;
  if (!hasDouble) return "\"" + Value + "\"";
  if (!hasSingle) return "'" + Value + "'";
  return "\"" + replaceAll(Value, "\"", "\"\"") + "\"";
}

// =======================================================================================
// Connection
// =======================================================================================

RTL_BEGIN_CLASS(TADOConnection)
b.Property("CommandTimeout", &TADOConnection::CommandTimeout, &TADOConnection::SetCommandTimeout).Default(30);
b.Property("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected).Default(false);
b.Property("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString);
b.Property("ConnectionTimeout", &TADOConnection::ConnectionTimeout, &TADOConnection::SetConnectionTimeout).Default(15);
b.Property("CursorLocation", &TADOConnection::CursorLocation, &TADOConnection::SetCursorLocation).Default(clUseClient);
b.Property("DefaultDatabase", &TADOConnection::DefaultDatabase, &TADOConnection::SetDefaultDatabase);
b.Property("KeepConnection", &TADOConnection::KeepConnection, &TADOConnection::SetKeepConnection).Default(true);
b.Property("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt).Default(true);
b.Property("Mode", &TADOConnection::Mode, &TADOConnection::SetMode).Default(cmUnknown);
b.Property("Provider", &TADOConnection::Provider, &TADOConnection::SetProvider).Stored(false);
b.Property("AfterConnect", &TADOConnection::AfterConnect, &TADOConnection::SetAfterConnect);
b.Property("BeforeConnect", &TADOConnection::BeforeConnect, &TADOConnection::SetBeforeConnect);
b.Property("AfterDisconnect", &TADOConnection::AfterDisconnect, &TADOConnection::SetAfterDisconnect);
b.Property("BeforeDisconnect", &TADOConnection::BeforeDisconnect, &TADOConnection::SetBeforeDisconnect);
RTL_END_CLASS

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

TADOConnection::~TADOConnection() {
  Destroying();
  try {
    Close();
  } catch (...) {
    // The connection goes whatever its data sets say when closing.
  }
  for (TCustomADODataSet* ds : std::vector<TCustomADODataSet*>(dataSets_)) ds->FConnection = nullptr;
  dataSets_.clear();
}

template <class F> auto TADOConnection::guarded(const TComponent* who, F f) -> decltype(f()) {
  try {
    return f();
  } catch (const native::DatabaseError& e) {
    throw EADOError(withName(who, e.what()));
  }
}

void TADOConnection::Loaded() {
  TComponent::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    Open();
  }
}

void TADOConnection::SetConnected(bool Value) {
  if (FComponentState.Contains(csLoading) || FComponentState.Contains(csReading)) {
    FStreamedConnected = Value;
    return;
  }
  if (Value) Open();
  else Close();
}

void TADOConnection::Open(const std::string&, const std::string&) { Open(); }

void TADOConnection::Open() {
  if (Connected()) return;
  if (FBeforeConnect.Assigned()) FBeforeConnect(this);
  std::string source = ConnectionStringValue(FConnectionString, "Data Source");
  if (source.empty()) throw EADOError(withName(this, "The connection string names no Data Source"));
  bool utf8 = false;
  std::string path = enginePath(source, utf8);
  native::OpenOptions options;
  options.readOnly = FMode == cmRead;
  options.pathIsUtf8 = utf8;
  try {
    db_ = std::make_unique<native::JetDatabase>(path, options);
  } catch (const native::DatabaseError& e) {
    // The engine names the file as it was given to it; the user knows it by the Data Source.
    throw EADOError(withName(this, replaceAll(e.what(), path, source)));
  }
  if (FAfterConnect.Assigned()) FAfterConnect(this);
}

void TADOConnection::Close() {
  if (!Connected()) return;
  if (FBeforeDisconnect.Assigned() && !FComponentState.Contains(csDestroying)) FBeforeDisconnect(this);
  for (TCustomADODataSet* ds : std::vector<TCustomADODataSet*>(dataSets_)) ds->Close();
  db_.reset();
  FInTransaction = false;
  if (FAfterDisconnect.Assigned() && !FComponentState.Contains(csDestroying)) FAfterDisconnect(this);
}

void TADOConnection::SetConnectionString(const std::string& Value) {
  if (Value == FConnectionString) return;
  Close();
  FConnectionString = Value;
}

std::string TADOConnection::Provider() const { return ConnectionStringValue(FConnectionString, "Provider"); }

void TADOConnection::SetProvider(const std::string& Value) {
  // Replace the Provider setting, or put one first; the other settings keep their text.
  std::string result;
  bool found = false;
  for (const ConnectionSetting& s : splitConnectionString(FConnectionString)) {
    std::string part = FConnectionString.substr(s.begin, s.end - s.begin);
    if (SameText(s.key, "Provider")) {
      part = "Provider=" + ConnectionStringQuote(Value);
      found = true;
    }
    if (!Trim(part).empty()) result += (result.empty() ? "" : ";") + part;
  }
  if (!found) result = "Provider=" + ConnectionStringQuote(Value) + (result.empty() ? "" : ";" + result);
  SetConnectionString(result);
}

bool TADOConnection::IsReadOnlyFile() const { return db_ && db_->readOnly(); }

void TADOConnection::GetTableNames(TStrings* List, bool SystemTables) {
  Open();
  std::vector<std::string> tables = guarded(this, [&] { return db_->tables(); });
  List->BeginUpdate();
  List->Clear();
  for (const std::string& t : tables) List->Add(t);
  List->EndUpdate();
}

void TADOConnection::GetFieldNames(const std::string& TableName, TStrings* List) {
  Open();
  std::vector<native::FieldInfo> fields = guarded(this, [&] { return db_->fields(TableName); });
  List->BeginUpdate();
  List->Clear();
  for (const native::FieldInfo& f : fields) List->Add(f.name);
  List->EndUpdate();
}

Integer TADOConnection::Execute(const std::string& CommandText) {
  Open();
  return static_cast<Integer>(guarded(this, [&] { return db_->execute(CommandText); }));
}

Integer TADOConnection::BeginTrans() {
  Execute("BEGIN");
  FInTransaction = true;
  return 1;
}

void TADOConnection::CommitTrans() {
  Execute("COMMIT");
  FInTransaction = false;
}

void TADOConnection::RollbackTrans() {
  Execute("ROLLBACK");
  FInTransaction = false;
}

void TADOConnection::registerDataSet(TCustomADODataSet* ds) {
  if (std::find(dataSets_.begin(), dataSets_.end(), ds) == dataSets_.end()) dataSets_.push_back(ds);
}

void TADOConnection::unregisterDataSet(TCustomADODataSet* ds) {
  dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), ds), dataSets_.end());
}

// =======================================================================================
// Parameters
// =======================================================================================

RTL_BEGIN_CLASS(TParameter)
b.Property("Name", &TParameter::Name, &TParameter::SetName);
b.Property("DataType", &TParameter::DataType, &TParameter::SetDataType).Default(ftUnknown);
b.Property("Direction", &TParameter::Direction, &TParameter::SetDirection).Default(pdInput);
b.Property("NumericScale", &TParameter::NumericScale, &TParameter::SetNumericScale).Default(0);
b.Property("Precision", &TParameter::Precision, &TParameter::SetPrecision).Default(0);
b.Property("Size", &TParameter::Size, &TParameter::SetSize).Default(0);
b.Property("Value", &TParameter::Value, &TParameter::SetValue);
RTL_END_CLASS

TParameter::TParameter(TCollection* Collection) : TCollectionItem(Collection), FValue(Null()) {}

TParameters* TParameter::Parameters() const { return static_cast<TParameters*>(Collection()); }

void TParameter::SetValue(const Variant& Value) {
  if (FDataType == ftUnknown) {
    switch (Value.VType()) {
      case varBoolean: FDataType = ftBoolean; break;
      case varSmallint: case varShortInt: case varByte: FDataType = ftSmallint; break;
      case varWord: case varInteger: FDataType = ftInteger; break;
      case varCurrency: FDataType = ftBCD; break;
      case varLongWord: case varSingle: case varDouble: FDataType = ftFloat; break;
      case varDate: FDataType = ftDateTime; break;
      case varOleStr: FDataType = ftWideString; break;
      case varString: FDataType = ftString; break;
      case varInt64: FDataType = ftLargeint; break;
      default: break;
    }
  }
  FValue = Value.IsEmpty() ? Null() : Value;
}

void TParameter::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TParameter*>(Source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FDirection = p->FDirection;
    FSize = p->FSize;
    FPrecision = p->FPrecision;
    FNumericScale = p->FNumericScale;
    FValue = p->FValue;
    return;
  }
  if (auto* p = dynamic_cast<TParam*>(Source)) {
    FName = p->Name();
    FDataType = p->DataType();
    FSize = p->Size();
    FValue = p->Value();
    return;
  }
  TCollectionItem::Assign(Source);
}

void TParameter::LoadFromFile(const std::string& FileName, TFieldType DataType) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  std::string data(static_cast<size_t>(stream.Size()), '\0');
  if (!data.empty()) stream.ReadBuffer(&data[0], static_cast<Integer>(data.size()));
  FDataType = DataType;
  FValue = Variant(data);
}

RTL_IMPLEMENT_CLASS(TParameters)

TParameters::TParameters(TPersistent* Owner) : TOwnedCollection(Owner, TParameter::StaticClass()) {}

TParameter* TParameters::CreateParameter(const std::string& Name, TFieldType DataType, TParameterDirection Direction,
                                         Integer Size, const Variant& Value) {
  TParameter* p = AddParameter();
  p->SetName(Name);
  p->SetDataType(DataType);
  p->SetDirection(Direction);
  p->SetSize(Size);
  p->SetValue(Value);
  return p;
}

TParameter* TParameters::FindParam(const std::string& Value) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), Value)) return Items(i);
  return nullptr;
}

TParameter* TParameters::ParamByName(const std::string& Value) const {
  TParameter* p = FindParam(Value);
  if (!p)
    DatabaseErrorFmt(SParameterNotFound, {Value},
                     dynamic_cast<TComponent*>(const_cast<TParameters*>(this)->GetOwner()));
  return p;
}

Variant TParameters::ParamValues(const std::string& ParamName) const { return namedParamValues(*this, ParamName); }

void TParameters::SetParamValues(const std::string& ParamName, const Variant& Value) {
  setNamedParamValues(*this, ParamName, Value);
}

std::string TParameters::ParseSQL(const std::string& SQL, bool DoCreate) {
  std::vector<std::string> names;
  std::string text = ParseSqlParameters(SQL, names);
  if (DoCreate) createParams(names);
  return text;
}

void TParameters::createParams(const std::vector<std::string>& Names) {
  if (Names.empty() && Count() == 0) return;  // none before, none now
  TParameters old(nullptr);
  rebuildParams(*this, old, Names, [this](const std::string& name) {
    TParameter* p = AddParameter();
    p->SetName(name);
    return p;
  });
}

// =======================================================================================
// Data sets
// =======================================================================================

struct TCustomADODataSet::ResultHolder {
  native::QueryResult result;
};

// The identity values of every row, by row key: a row key indexes a table of places in an
// arena, where the values are encoded (kind byte, then the number's 8 bytes or the text's
// length and bytes). Row keys are handed out one after another, so the table stays dense.
class TCustomADODataSet::OriginalValues {
public:
  void Set(Int64 key, const std::vector<native::Value>& values) {
    std::string bytes;
    for (const native::Value& v : values) {
      bytes += static_cast<char>(v.kind());
      switch (v.kind()) {
        case native::Value::Kind::Null: break;
        case native::Value::Kind::Integer: appendRaw(bytes, v.integerValue()); break;
        case native::Value::Kind::Float: appendRaw(bytes, v.realValue()); break;
        default:
          appendRaw(bytes, static_cast<uint64_t>(v.bytes().size()));
          bytes += v.bytes();
      }
    }
    size_t slot = static_cast<size_t>(key);
    if (slot >= places_.size()) places_.resize(std::max(slot + 1, places_.size() * 2), nullptr);
    places_[slot] = arena_.Add(bytes);
  }
  std::vector<native::Value> Get(Int64 key) const {
    std::vector<native::Value> out;
    size_t slot = static_cast<size_t>(key);
    if (key < 0 || slot >= places_.size() || !places_[slot]) return out;
    const unsigned char* p = ByteArena::Data(places_[slot]);
    const unsigned char* end = p + ByteArena::Size(places_[slot]);
    while (p < end) {
      auto kind = static_cast<native::Value::Kind>(*p++);
      switch (kind) {
        case native::Value::Kind::Null: out.emplace_back(); break;
        case native::Value::Kind::Integer: out.push_back(native::Value::integer(readRaw<int64_t>(p))); break;
        case native::Value::Kind::Float: out.push_back(native::Value::real(readRaw<double>(p))); break;
        default: {
          auto n = static_cast<size_t>(readRaw<uint64_t>(p));
          std::string bytes(reinterpret_cast<const char*>(p), n);
          p += n;
          out.push_back(kind == native::Value::Kind::Text ? native::Value::text(std::move(bytes))
                                                          : native::Value::blob(std::move(bytes)));
        }
      }
    }
    return out;
  }
  void Erase(Int64 key) {
    if (key >= 0 && static_cast<size_t>(key) < places_.size()) places_[static_cast<size_t>(key)] = nullptr;
  }
  void Clear() {
    places_.clear();
    places_.shrink_to_fit();
    arena_.Clear();
  }
  void Reserve(size_t keys) { places_.reserve(keys); }

private:
  template <typename T>
  static void appendRaw(std::string& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  template <typename T>
  static T readRaw(const unsigned char*& p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
  }

  std::vector<const unsigned char*> places_;
  ByteArena arena_;
};

// Where posted changes go: one table, the base column of each field definition, and the
// columns that find a row again (the primary key; every column when there is none).
struct TCustomADODataSet::Target {
  std::string table;
  std::vector<std::string> columns;
  std::vector<TFieldType> types;
  std::vector<size_t> identity;  // indexes into columns
  bool byKey = false;
};

// Follows the master data source: its record changes run the detail again.
class TCustomADODataSet::MasterLink : public TDataLink {
public:
  explicit MasterLink(TCustomADODataSet* owner) : owner_(owner) {}

protected:
  void ActiveChanged() override { owner_->masterChanged(); }
  void RecordChanged(TField* Field) override {
    if (!Field) owner_->masterChanged();
  }

private:
  TCustomADODataSet* owner_;
};

RTL_BEGIN_CLASS(TCustomADODataSet)
b.Property("Active", &TCustomADODataSet::Active, &TCustomADODataSet::SetActive).Default(false);
b.Property("AutoCalcFields", &TCustomADODataSet::AutoCalcFields, &TCustomADODataSet::SetAutoCalcFields).Default(true);
b.Property("CommandTimeout", &TCustomADODataSet::CommandTimeout, &TCustomADODataSet::SetCommandTimeout).Default(30);
b.Property("Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection);
b.Property("CursorLocation", &TCustomADODataSet::CursorLocation, &TCustomADODataSet::SetCursorLocation)
    .Default(clUseClient);
b.Property("CursorType", &TCustomADODataSet::CursorType, &TCustomADODataSet::SetCursorType).Default(ctUnspecified);
b.Property("Filter", &TCustomADODataSet::Filter, &TCustomADODataSet::SetFilter);
b.Property("Filtered", &TCustomADODataSet::Filtered, &TCustomADODataSet::SetFiltered).Default(false);
b.Property("FilterOptions", &TCustomADODataSet::FilterOptions, &TCustomADODataSet::SetFilterOptions)
    .Default(TFilterOptions());
b.Property("LockType", &TCustomADODataSet::LockType, &TCustomADODataSet::SetLockType).Default(ltOptimistic);
b.Property("MaxRecords", &TCustomADODataSet::MaxRecords, &TCustomADODataSet::SetMaxRecords).Default(0);
b.Property("Parameters", &TCustomADODataSet::Parameters, &TCustomADODataSet::SetParameters);
b.Property("Prepared", &TCustomADODataSet::Prepared, &TCustomADODataSet::SetPrepared).Default(false);
b.Property("AfterCancel", &TCustomADODataSet::AfterCancel, &TCustomADODataSet::SetAfterCancel);
b.Property("AfterClose", &TCustomADODataSet::AfterClose, &TCustomADODataSet::SetAfterClose);
b.Property("AfterDelete", &TCustomADODataSet::AfterDelete, &TCustomADODataSet::SetAfterDelete);
b.Property("AfterEdit", &TCustomADODataSet::AfterEdit, &TCustomADODataSet::SetAfterEdit);
b.Property("AfterInsert", &TCustomADODataSet::AfterInsert, &TCustomADODataSet::SetAfterInsert);
b.Property("AfterOpen", &TCustomADODataSet::AfterOpen, &TCustomADODataSet::SetAfterOpen);
b.Property("AfterPost", &TCustomADODataSet::AfterPost, &TCustomADODataSet::SetAfterPost);
b.Property("AfterRefresh", &TCustomADODataSet::AfterRefresh, &TCustomADODataSet::SetAfterRefresh);
b.Property("AfterScroll", &TCustomADODataSet::AfterScroll, &TCustomADODataSet::SetAfterScroll);
b.Property("BeforeCancel", &TCustomADODataSet::BeforeCancel, &TCustomADODataSet::SetBeforeCancel);
b.Property("BeforeClose", &TCustomADODataSet::BeforeClose, &TCustomADODataSet::SetBeforeClose);
b.Property("BeforeDelete", &TCustomADODataSet::BeforeDelete, &TCustomADODataSet::SetBeforeDelete);
b.Property("BeforeEdit", &TCustomADODataSet::BeforeEdit, &TCustomADODataSet::SetBeforeEdit);
b.Property("BeforeInsert", &TCustomADODataSet::BeforeInsert, &TCustomADODataSet::SetBeforeInsert);
b.Property("BeforeOpen", &TCustomADODataSet::BeforeOpen, &TCustomADODataSet::SetBeforeOpen);
b.Property("BeforePost", &TCustomADODataSet::BeforePost, &TCustomADODataSet::SetBeforePost);
b.Property("BeforeRefresh", &TCustomADODataSet::BeforeRefresh, &TCustomADODataSet::SetBeforeRefresh);
b.Property("BeforeScroll", &TCustomADODataSet::BeforeScroll, &TCustomADODataSet::SetBeforeScroll);
b.Property("OnCalcFields", &TCustomADODataSet::OnCalcFields, &TCustomADODataSet::SetOnCalcFields);
b.Property("OnDeleteError", &TCustomADODataSet::OnDeleteError, &TCustomADODataSet::SetOnDeleteError);
b.Property("OnEditError", &TCustomADODataSet::OnEditError, &TCustomADODataSet::SetOnEditError);
b.Property("OnFilterRecord", &TCustomADODataSet::OnFilterRecord, &TCustomADODataSet::SetOnFilterRecord);
b.Property("OnNewRecord", &TCustomADODataSet::OnNewRecord, &TCustomADODataSet::SetOnNewRecord);
b.Property("OnPostError", &TCustomADODataSet::OnPostError, &TCustomADODataSet::SetOnPostError);
RTL_END_CLASS

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner)
    : TDataSet(AOwner),
      FParameters(std::make_unique<TParameters>(this)),
      FMasterLink(std::make_unique<MasterLink>(this)),
      FOriginals(std::make_unique<OriginalValues>()) {}

TCustomADODataSet::~TCustomADODataSet() {
  Destroying();
  try {
    Close();
  } catch (...) {
    // Destruction goes on.
  }
  FMasterLink.reset();
  if (FConnection) FConnection->unregisterDataSet(this);
}

void TCustomADODataSet::Fail(const std::string& Message) const { throw EADOError(withName(this, Message)); }

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FConnection) {
    Close();
    FConnection = nullptr;
  }
}

void TCustomADODataSet::SetConnection(TADOConnection* Value) {
  if (Value == FConnection) return;
  Close();
  if (FConnection) {
    FConnection->unregisterDataSet(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = Value;
  if (Value) {
    Value->registerDataSet(this);
    Value->FreeNotification(this);
  }
}

void TCustomADODataSet::SetParameters(TParameters* Value) {
  if (Value) FParameters->Assign(Value);
}

void TCustomADODataSet::SetDataSource(TDataSource* Value) {
  if (Value && IsLinkedTo(Value)) DatabaseError(SCircularDataLink, this);
  FMasterLink->SetDataSource(Value);
}

TDataSource* TCustomADODataSet::GetDataSource() const { return FMasterLink ? FMasterLink->DataSource() : nullptr; }

void TCustomADODataSet::masterChanged() {
  if (FComponentState.Contains(csDestroying) || !Active()) return;
  Requery();
}

void TCustomADODataSet::Requery() {
  CheckBrowseMode();
  Integer recNo = RecNo();
  DisableControls();
  {
    ScopeExit atEnd([&] { EnableControls(); });
    Close();
    Open();
    if (recNo > 1) SetRecNo(recNo);
  }
}

native::JetDatabase& TCustomADODataSet::database() {
  if (!FConnection) Fail("Missing Connection or ConnectionString");
  if (!FConnection->Connected()) FConnection->Open();
  return *FConnection->Database();
}

const TCustomADODataSet::ParsedSQL& TCustomADODataSet::parsedSQL(const std::string& sql) {
  if (sql != FParsedSQL.source) {
    ParsedSQL parsed;
    parsed.text = ParseSqlParameters(sql, parsed.names);
    parsed.source = sql;
    FParsedSQL = std::move(parsed);
  }
  return FParsedSQL;
}

void TCustomADODataSet::parametersFromSQL(const std::string& SQL) { FParameters->createParams(parsedSQL(SQL).names); }

std::vector<native::Value> TCustomADODataSet::boundParameters(const std::string& sql, std::string& text) {
  const ParsedSQL& parsed = parsedSQL(sql);
  text = parsed.text;
  const std::vector<std::string>& names = parsed.names;
  // A master's fields give their values to the parameters named like them.
  TDataSet* master = FMasterLink ? FMasterLink->DataSet() : nullptr;
  if (master && master->Active())
    for (Integer i = 0; i < FParameters->Count(); ++i)
      if (TField* f = master->FindField(FParameters->Items(i)->Name())) FParameters->Items(i)->SetValue(f->Value());
  std::vector<native::Value> values;
  values.reserve(names.size());
  for (const std::string& name : names) values.push_back(parameterValue(FParameters->ParamByName(name)->Value()));
  return values;
}

void TCustomADODataSet::runQuery(bool withRows) {
  std::string sql = CommandSQL();
  std::string text;
  std::vector<native::Value> params = boundParameters(sql, text);
  native::JetDatabase& db = database();
  auto holder = std::make_unique<ResultHolder>();
  holder->result = FConnection->guarded(this, [&] { return db.query(text, params); });
  if (holder->result.columns.empty()) Fail("CommandText does not return a result set");
  FResult = std::move(holder);
}

Integer TCustomADODataSet::ExecuteCommand() {
  std::string text;
  std::vector<native::Value> params = boundParameters(CommandSQL(), text);
  native::JetDatabase& db = database();
  FRowsAffected = static_cast<Integer>(FConnection->guarded(this, [&] { return db.execute(text, params); }));
  return FRowsAffected;
}

void TCustomADODataSet::InternalInitFieldDefs() {
  bool own = !FResult;
  if (own) runQuery(false);
  TFieldDefs* defs = FieldDefs();
  ScopeExit dropOwnResult([&] {
    if (own) FResult.reset();
  });
  UpdateLock lock(defs);
  defs->Clear();
  // Not-null columns of the tables the columns come from make required fields.
  std::unordered_map<std::string, std::vector<native::FieldInfo>> tables;
  native::JetDatabase& db = database();
  for (const native::ColumnInfo& c : FResult->result.columns) {
    Integer size = 0, precision = 0;
    TFieldType type = fieldTypeFor(c, size, precision);
    std::string name = c.name;
    for (Integer n = 1; defs->IndexOf(name) >= 0; ++n) name = c.name + "_" + IntToStr(n);
    TFieldDef* def = defs->AddFieldDef();
    def->SetName(name);
    def->SetSize(size);
    def->SetDataType(type);
    def->SetPrecision(precision);
    TFieldAttributes attrs;
    if (c.computed) attrs.Include(faReadonly);
    if (!c.computed && !c.baseTable.empty()) {
      std::string key = AnsiUpperCase(c.baseTable);
      if (!tables.count(key)) {
        try {
          tables[key] = db.fields(c.baseTable);
        } catch (const native::DatabaseError&) {
          tables[key] = {};
        }
      }
      for (const native::FieldInfo& f : tables[key])
        if (AnsiSameText(f.name, c.baseColumn) && f.notNull && !f.autoIncrement) attrs.Include(faRequired);
    }
    def->SetAttributes(attrs);
  }
}

void TCustomADODataSet::findTarget() {
  FTarget.reset();
  if (FLockType == ltReadOnly || !FResult) return;
  const std::vector<native::ColumnInfo>& cols = FResult->result.columns;
  // A computed column, or one whose table is unknown, leaves nothing to write to.
  if (std::any_of(cols.begin(), cols.end(), [](const native::ColumnInfo& c) {
        return c.computed || c.baseTable.empty() || c.baseColumn.empty();
      }))
    return;
  auto t = std::make_unique<Target>();
  for (size_t i = 0; i < cols.size(); ++i) {
    const native::ColumnInfo& c = cols[i];
    if (t->table.empty()) t->table = c.baseTable;
    else if (!AnsiSameText(t->table, c.baseTable)) return;
    for (const std::string& seen : t->columns)
      if (AnsiSameText(seen, c.baseColumn)) return;  // one column twice: ambiguous to write
    t->columns.push_back(c.baseColumn);
    t->types.push_back(FieldDefs()->Items(static_cast<Integer>(i))->DataType());
  }
  native::RowIdentity identity;
  try {
    identity = database().rowIdentity(t->table);
  } catch (const native::DatabaseError&) {
    return;
  }
  if (!identity.isRowid && !identity.columns.empty()) {
    std::vector<size_t> keys;
    for (const std::string& k : identity.columns)
      for (size_t i = 0; i < t->columns.size(); ++i)
        if (AnsiSameText(t->columns[i], k)) keys.push_back(i);
    if (keys.size() == identity.columns.size()) {
      t->identity = keys;
      t->byKey = true;
    }
  }
  if (!t->byKey)
    for (size_t i = 0; i < t->columns.size(); ++i) t->identity.push_back(i);
  FTarget = std::move(t);
}

void TCustomADODataSet::loadRows() {
  native::QueryResult& r = FResult->result;
  size_t columns = r.columnCount();
  size_t rows = r.rowCount();
  if (FMaxRecords > 0 && rows > static_cast<size_t>(FMaxRecords)) rows = static_cast<size_t>(FMaxRecords);
  std::vector<TFieldType> types;
  types.reserve(columns);
  for (size_t c = 0; c < columns; ++c) types.push_back(FieldDefs()->Items(static_cast<Integer>(c))->DataType());
  Rows().Reserve(static_cast<Integer>(rows));
  if (FTarget) FOriginals->Reserve(rows + 1);
  // Each row leaves the engine's result once it is in Rows(), so that a large table is not held
  // twice over.
  for (size_t i = 0; i < rows; ++i) {
    std::vector<Variant> values;
    values.reserve(columns);
    for (size_t c = 0; c < columns; ++c) values.push_back(toVariant(r.at(0, c), types[c]));
    Int64 key = Rows().Append(std::move(values));
    if (FTarget) {
      std::vector<native::Value> original;
      for (size_t k : FTarget->identity) original.push_back(r.at(0, k));
      FOriginals->Set(key, original);
    }
    r.values.erase(r.values.begin(), r.values.begin() + static_cast<std::ptrdiff_t>(columns));
  }
  constexpr size_t kLargeResult = 10000;
  if (rows >= kLargeResult) native::releaseFreeMemory();
}

void TCustomADODataSet::InternalOpen() {
  FOriginals->Clear();
  runQuery(true);
  {
    ScopeExit atEnd([&] { FResult.reset(); });
    InternalInitFieldDefs();
    findTarget();
    loadRows();
  }
}

void TCustomADODataSet::InternalClose() {
  FResult.reset();
  FTarget.reset();
  FOriginals->Clear();
}

void TCustomADODataSet::InternalRefresh() {
  runQuery(true);
  Rows().Clear();
  FOriginals->Clear();
  {
    ScopeExit atEnd([&] { FResult.reset(); });
    findTarget();
    loadRows();
  }
}

bool TCustomADODataSet::GetCanModify() const { return FTarget != nullptr && FLockType != ltReadOnly; }

bool TCustomADODataSet::CancelAfterFailedPost(const Exception&) const {
  return FConnection && FConnection->IsReadOnlyFile();
}

namespace {
// "WHERE ..." finding a row again by its identity values.
std::string identityClause(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<size_t>& identity, bool byKey) {
  std::string cond;
  for (size_t k : identity) {
    if (!cond.empty()) cond += " AND ";
    cond += quoteName(columns[k]) + (byKey ? " = ?" : " IS ?");
  }
  if (byKey) return cond;
  // Without a key, the first row holding exactly these values.
  return "rowid = (SELECT rowid FROM " + quoteName(table) + " WHERE " + cond + " LIMIT 1)";
}
}  // namespace

void TCustomADODataSet::StoreRecord(Integer Row, const std::vector<Variant>& OldValues,
                                    std::vector<Variant>& NewValues) {
  if (!FTarget) DatabaseError(SDataSetReadOnly, this);
  native::JetDatabase& db = database();
  const Target& t = *FTarget;
  FPendingOriginal.clear();
  if (Row >= 0) {
    Int64 key = Rows().Key(Row);
    std::string sets;
    std::vector<native::Value> params;
    for (size_t c = 0; c < t.columns.size(); ++c) {
      if (sameValue(OldValues[c], NewValues[c])) continue;
      if (!sets.empty()) sets += ", ";
      sets += quoteName(t.columns[c]) + " = ?";
      params.push_back(toNative(NewValues[c], t.types[c]));
    }
    const std::vector<native::Value> original = FOriginals->Get(key);
    if (!sets.empty()) {
      for (const native::Value& v : original) params.push_back(v);
      std::string sql = "UPDATE " + quoteName(t.table) + " SET " + sets + " WHERE " +
                        identityClause(t.table, t.columns, t.identity, t.byKey);
      int64_t n = FConnection->guarded(this, [&] { return db.execute(sql, params); });
      if (n == 0) Fail("Row cannot be located for updating. Some values may have been changed since it was last read.");
    }
    for (size_t k : t.identity) FPendingOriginal.push_back(toNative(NewValues[k], t.types[k]));
    return;
  }
  // A new row: the values given, then the row as the file made it (numbers it gave, defaults).
  std::string names, marks;
  std::vector<native::Value> params;
  for (size_t c = 0; c < t.columns.size(); ++c) {
    if (NewValues[c].IsNull() || NewValues[c].IsEmpty()) continue;
    names += (names.empty() ? "" : ", ") + quoteName(t.columns[c]);
    marks += marks.empty() ? "?" : ", ?";
    params.push_back(toNative(NewValues[c], t.types[c]));
  }
  std::string sql = names.empty() ? "INSERT INTO " + quoteName(t.table) + " DEFAULT VALUES"
                                  : "INSERT INTO " + quoteName(t.table) + " (" + names + ") VALUES (" + marks + ")";
  FConnection->guarded(this, [&] { return db.execute(sql, params); });
  int64_t rowid = db.lastInsertRowid();
  std::string columns;
  for (const std::string& c : t.columns) columns += (columns.empty() ? "" : ", ") + quoteName(c);
  native::QueryResult stored;
  try {
    stored = db.query("SELECT " + columns + " FROM " + quoteName(t.table) + " WHERE rowid = ?",
                      {native::Value::integer(rowid)});
  } catch (const native::DatabaseError&) {
    // A table without rowid: keep the values as given.
  }
  if (stored.rowCount() == 1) {
    for (size_t c = 0; c < t.columns.size(); ++c) NewValues[c] = toVariant(stored.at(0, c), t.types[c]);
    for (size_t k : t.identity) FPendingOriginal.push_back(stored.at(0, k));
  } else {
    for (size_t k : t.identity) FPendingOriginal.push_back(toNative(NewValues[k], t.types[k]));
  }
}

void TCustomADODataSet::RecordStored(Int64 RowKey) {
  if (FTarget) FOriginals->Set(RowKey, FPendingOriginal);
  FPendingOriginal.clear();
}

void TCustomADODataSet::EraseRecord(Integer Row, const std::vector<Variant>&) {
  if (!FTarget) DatabaseError(SDataSetReadOnly, this);
  native::JetDatabase& db = database();
  const Target& t = *FTarget;
  Int64 key = Rows().Key(Row);
  std::vector<native::Value> params = FOriginals->Get(key);
  std::string sql = "DELETE FROM " + quoteName(t.table) + " WHERE " + identityClause(t.table, t.columns, t.identity, t.byKey);
  int64_t n = FConnection->guarded(this, [&] { return db.execute(sql, params); });
  if (n == 0) Fail("Row cannot be located for deleting. Some values may have been changed since it was last read.");
  FOriginals->Erase(key);
}

// --- Query.

RTL_BEGIN_CLASS(TADOQuery)
b.Property("DataSource", &TADOQuery::DataSource, &TADOQuery::SetDataSource);
b.Property("SQL", &TADOQuery::SQL, &TADOQuery::SetSQL);
RTL_END_CLASS

TADOQuery::TADOQuery(TComponent* AOwner) : TCustomADODataSet(AOwner), FSQL(std::make_unique<TStringList>()) {
  FSQL->SetOnChange(TNotifyEvent(this, &TADOQuery::SQLChanged));
}

TADOQuery::~TADOQuery() {
  FSQL->SetOnChange(nullptr);
  Destroying();
  try {
    Close();
  } catch (...) {
    // Destruction goes on.
  }
}

void TADOQuery::SetSQL(TStrings* Value) {
  if (Value) FSQL->Assign(Value);
}

void TADOQuery::SQLChanged(TObject*) {
  if (FComponentState.Contains(csReading)) return;
  Close();
  parametersFromSQL(FSQL->Text());
  FieldDefs()->SetUpdated(false);
}

std::string TADOQuery::CommandSQL() const { return FSQL->Text(); }

Integer TADOQuery::ExecSQL() { return ExecuteCommand(); }

// --- Table.

RTL_BEGIN_CLASS(TADOTable)
b.Property("MasterSource", &TADOTable::MasterSource, &TADOTable::SetMasterSource);
b.Property("ReadOnly", &TADOTable::ReadOnly, &TADOTable::SetReadOnly).Default(false);
b.Property("TableName", &TADOTable::TableName, &TADOTable::SetTableName);
RTL_END_CLASS

TADOTable::TADOTable(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

void TADOTable::SetTableName(const std::string& Value) {
  if (Value == FTableName) return;
  Close();
  FTableName = Value;
  FieldDefs()->SetUpdated(false);
}

void TADOTable::SetReadOnly(bool Value) {
  CheckInactive();
  FReadOnly = Value;
}

std::string TADOTable::CommandSQL() const {
  if (FTableName.empty()) Fail("Missing TableName");
  return "SELECT * FROM " + quoteName(FTableName);
}

// --- Data set.

RTL_BEGIN_CLASS(TADODataSet)
b.Property("CommandText", &TADODataSet::CommandText, &TADODataSet::SetCommandText);
b.Property("CommandType", &TADODataSet::CommandType, &TADODataSet::SetCommandType).Default(cmdText);
b.Property("DataSource", &TADODataSet::DataSource, &TADODataSet::SetDataSource);
RTL_END_CLASS

TADODataSet::TADODataSet(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

void TADODataSet::SetCommandText(const std::string& Value) {
  if (Value == FCommandText) return;
  Close();
  FCommandText = Value;
  if (FCommandType == cmdText) parametersFromSQL(Value);
  FieldDefs()->SetUpdated(false);
}

void TADODataSet::SetCommandType(TCommandType Value) {
  if (Value == FCommandType) return;
  Close();
  FCommandType = Value;
}

std::string TADODataSet::CommandSQL() const {
  if (FCommandType == cmdTable || FCommandType == cmdTableDirect) return "SELECT * FROM " + quoteName(FCommandText);
  return FCommandText;
}

namespace ADODBUnit {
void Initialize() {
  RegisterClasses({TADOConnection::StaticClass(), TADOQuery::StaticClass(), TADOTable::StaticClass(),
                   TADODataSet::StaticClass()});
}
void Finalize() {}
}  // namespace ADODBUnit
