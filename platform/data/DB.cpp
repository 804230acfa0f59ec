// DB: errors, type tables, field definitions, the field list, the row store, the data set
// and its data sources and links. Fields are in DBFields.cpp, parameters in DBParams.cpp,
// the filter language in DBFilter.cpp.
#include "platform/data/DB.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/data/DBFilter.h"
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(EDatabaseError)

// =======================================================================================
// Errors and types
// =======================================================================================

void DatabaseError(const std::string& Message, TComponent* Component) {
  if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + ": " + Message);
  throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const std::string& Message, const std::vector<TVarRec>& Args, TComponent* Component) {
  DatabaseError(Format(Message, Args), Component);
}

std::string FieldTypeName(TFieldType Type) {
  static const char* const names[] = {
      "Unknown",  "String",     "SmallInt", "Integer",   "Word",        "Boolean",  "Float",   "Currency",
      "BCD",      "Date",       "Time",     "DateTime",  "Bytes",       "VarBytes", "AutoInc", "Blob",
      "Memo",     "Graphic",    "FmtMemo",  "ParadoxOle", "DBaseOle",   "TypedBinary", "Cursor", "FixedChar",
      "WideString", "Largeint", "ADT",      "Array",     "Reference",   "DataSet",  "OraBlob", "OraClob",
      "Variant",  "Interface",  "IDispatch", "Guid",     "TimeStamp",   "FMTBcd"};
  static_assert(sizeof(names) / sizeof(names[0]) == ftFMTBcd + 1, "one name per field type");
  return Type >= ftUnknown && Type <= ftFMTBcd ? names[Type] : "Unknown";
}

TClass DefaultFieldClass(TFieldType Type) {
  switch (Type) {
    case ftString: case ftFixedChar: return TStringField::StaticClass();
    case ftSmallint: return TSmallintField::StaticClass();
    case ftInteger: return TIntegerField::StaticClass();
    case ftWord: return TWordField::StaticClass();
    case ftBoolean: return TBooleanField::StaticClass();
    case ftFloat: return TFloatField::StaticClass();
    case ftCurrency: return TCurrencyField::StaticClass();
    case ftBCD: return TBCDField::StaticClass();
    case ftDate: return TDateField::StaticClass();
    case ftTime: return TTimeField::StaticClass();
    case ftDateTime: return TDateTimeField::StaticClass();
    case ftBytes: return TBytesField::StaticClass();
    case ftVarBytes: return TVarBytesField::StaticClass();
    case ftAutoInc: return TAutoIncField::StaticClass();
    case ftBlob: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftOraBlob:
      return TBlobField::StaticClass();
    case ftMemo: case ftFmtMemo: case ftOraClob: return TMemoField::StaticClass();
    case ftGraphic: return TGraphicField::StaticClass();
    case ftWideString: return TWideStringField::StaticClass();
    case ftLargeint: return TLargeintField::StaticClass();
    case ftADT: return TADTField::StaticClass();
    case ftArray: return TArrayField::StaticClass();
    case ftReference: return TReferenceField::StaticClass();
    case ftDataSet: return TDataSetField::StaticClass();
    case ftVariant: return TVariantField::StaticClass();
    case ftInterface: return TInterfaceField::StaticClass();
    case ftIDispatch: return TIDispatchField::StaticClass();
    case ftGuid: return TGuidField::StaticClass();
    case ftTimeStamp: return TSQLTimeStampField::StaticClass();
    case ftFMTBcd: return TFMTBCDField::StaticClass();
    case ftUnknown: case ftCursor: default: return nullptr;
  }
}

std::string ExtractFieldName(const std::string& Fields, Integer& Pos) {
  Integer i = Pos;
  Integer n = static_cast<Integer>(Fields.size());
  while (i <= n && Fields[static_cast<size_t>(i - 1)] != ';') ++i;
  std::string name = Trim(Copy(Fields, Pos, i - Pos));
  if (i <= n) ++i;  // past the ';'
  Pos = i;
  return name;
}

std::vector<std::string> splitFieldNames(const std::string& Names) {
  std::vector<std::string> out;
  Integer pos = 1;
  while (pos <= static_cast<Integer>(Names.size())) {
    std::string name = ExtractFieldName(Names, pos);
    if (!name.empty()) out.push_back(name);
  }
  return out;
}

Variant valuesAsVariant(const std::vector<Variant>& Values) {
  if (Values.size() == 1) return Values[0];
  Variant r = VarArrayCreate({0, static_cast<Integer>(Values.size()) - 1}, varVariant);
  for (size_t i = 0; i < Values.size(); ++i) r.PutElement({static_cast<Integer>(i)}, Values[i]);
  return r;
}

Variant valueForName(const Variant& Values, size_t i) {
  if (!Values.IsArray()) return Values;
  return Values.GetElement({VarArrayLowBound(Values, 1) + static_cast<Integer>(i)});
}

// =======================================================================================
// Field definitions
// =======================================================================================

RTL_BEGIN_CLASS(TFieldDef)
b.Property("Name", &TFieldDef::Name, &TFieldDef::SetName);
b.Property("Attributes", &TFieldDef::Attributes, &TFieldDef::SetAttributes).Default(TFieldAttributes());
b.Property("DataType", &TFieldDef::DataType, &TFieldDef::SetDataType).Default(ftUnknown);
b.Property("Precision", &TFieldDef::Precision, &TFieldDef::SetPrecision).Default(0);
b.Property("Size", &TFieldDef::Size, &TFieldDef::SetSize).Default(0);
RTL_END_CLASS

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TFieldDef::SetName(const std::string& Value) { FName = Value; }

void TFieldDef::SetDataType(TFieldType Value) {
  FDataType = Value;
  // The class library's sizes for types that carry one.
  switch (Value) {
    case ftString: case ftFixedChar: case ftWideString: if (FSize == 0) FSize = 20; break;
    case ftBCD: if (FSize == 0) FSize = 4; break;
    case ftFMTBcd: if (FSize == 0) FSize = 8; break;
    case ftGuid: FSize = 38; break;
    case ftBytes: case ftVarBytes: if (FSize == 0) FSize = 16; break;
    default: break;
  }
}

void TFieldDef::SetRequired(bool Value) {
  if (Value) FAttributes.Include(faRequired);
  else FAttributes.Exclude(faRequired);
}

TFieldDefs* TFieldDef::FieldDefs() const { return static_cast<TFieldDefs*>(Collection()); }

TClass TFieldDef::FieldClass() const { return DefaultFieldClass(FDataType); }

void TFieldDef::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TFieldDef*>(Source)) {
    FName = s->FName;
    FDataType = s->FDataType;
    FSize = s->FSize;
    FPrecision = s->FPrecision;
    FAttributes = s->FAttributes;
    FInternalCalcField = s->FInternalCalcField;
    return;
  }
  TCollectionItem::Assign(Source);
}

TField* TFieldDef::CreateField(TComponent* Owner, TObjectField* ParentField, const std::string& FieldName,
                               bool CreateChildren) {
  TClass cls = FieldClass();
  if (!cls) DatabaseErrorFmt(SNoFieldClass, {FName, FieldTypeName(FDataType)});
  auto* field = static_cast<TField*>(CreateComponent(cls, Owner));
  try {
    field->SetFieldName(FieldName.empty() ? FName : FieldName);
    // Classes shared by several types take the definition's type.
    field->SetDataType(FDataType);
    if (FDataType == ftFixedChar) static_cast<TStringField*>(field)->SetFixedChar(true);
    // The field is of class cls: its class description answers what it is without a
    // dynamic_cast per candidate (every data set opened makes its fields here).
    const bool bcd = cls->InheritsFrom(TBCDField::StaticClass());
    const bool fmtBcd = cls->InheritsFrom(TFMTBCDField::StaticClass());
    if (bcd || fmtBcd || cls->InheritsFrom(TStringField::StaticClass()) ||
        cls->InheritsFrom(TBinaryField::StaticClass()))
      field->FSize = FSize;
    if (FPrecision > 0) {
      if (cls->InheritsFrom(TFloatField::StaticClass())) static_cast<TFloatField*>(field)->SetPrecision(FPrecision);
      if (bcd) static_cast<TBCDField*>(field)->SetPrecision(FPrecision);
      if (fmtBcd) static_cast<TFMTBCDField*>(field)->SetPrecision(FPrecision);
    }
    field->FRequired = FAttributes.Contains(faRequired);
    field->FReadOnly = FAttributes.Contains(faReadonly);
    field->FVisible = !FAttributes.Contains(faHiddenCol);
    if (FInternalCalcField) field->FFieldKind = fkInternalCalc;
    field->FParentField = ParentField;
    if (TDataSet* ds = FieldDefs() ? FieldDefs()->DataSet() : nullptr) field->SetDataSet(ds);
  } catch (...) {
    field->Free();
    throw;
  }
  return field;
}

RTL_IMPLEMENT_CLASS(TFieldDefs)

TFieldDefs::TFieldDefs(TPersistent* AOwner)
    : TOwnedCollection(AOwner, TFieldDef::StaticClass()), FDataSet(dynamic_cast<TDataSet*>(AOwner)) {}

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }

void TFieldDefs::Add(const std::string& Name, TFieldType DataType, Integer Size, bool Required) {
  if (Name.empty()) DatabaseError(SFieldNameMissing, FDataSet);
  if (IndexOf(Name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, {Name}, FDataSet);
  TFieldDef* def = AddFieldDef();
  def->SetName(Name);
  def->SetSize(Size);
  def->SetDataType(DataType);
  def->SetRequired(Required);
}

Integer TFieldDefs::IndexOf(const std::string& Name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), Name)) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& Name) const {
  Integer i = IndexOf(Name);
  if (i < 0) DatabaseErrorFmt(SFieldNotFound, {Name}, FDataSet);
  return Items(i);
}

void TFieldDefs::GetItemNames(TStrings* List) const {
  {
    UpdateLock lock(List);
    List->Clear();
    for (Integer i = 0; i < Count(); ++i) List->Add(Items(i)->Name());
  }
}

void TFieldDefs::Update() {
  if (FUpdated || !FDataSet) return;
  FDataSet->InternalInitFieldDefs();
  FUpdated = true;
}

// =======================================================================================
// Field list
// =======================================================================================

RTL_IMPLEMENT_CLASS(TFields)

TFields::TFields(TDataSet* ADataSet) : FDataSet(ADataSet) {}

TFields::~TFields() { Clear(); }

void TFields::Changed() {
  if (FDataSet && FDataSet->Active() && !FDataSet->ComponentState().Contains(csDestroying))
    FDataSet->DataEvent(deFieldListChange, 0);
}

void TFields::Add(TField* Field) {
  FList.push_back(Field);
  Field->FDataSet = FDataSet;
  Changed();
}

void TFields::Remove(TField* Field) {
  auto it = std::find(FList.begin(), FList.end(), Field);
  if (it == FList.end()) return;
  FList.erase(it);
  Field->FDataSet = nullptr;
  Changed();
}

void TFields::Clear() {
  while (!FList.empty()) {
    TField* f = FList.back();
    FList.pop_back();
    f->FDataSet = nullptr;
    f->Free();
  }
  Changed();
}

void TFields::CheckFieldName(const std::string& FieldName) const {
  if (FieldName.empty()) DatabaseError(SFieldNameMissing, FDataSet);
  if (FindField(FieldName)) DatabaseErrorFmt(SDuplicateFieldName, {FieldName}, FDataSet);
}

void TFields::CheckFieldNames(const std::string& FieldNames) const {
  for (const std::string& name : splitFieldNames(FieldNames)) FieldByName(name);
}

TField* TFields::FindField(const std::string& FieldName) const {
  // Names differing at most in the case of ASCII letters are the same under the locale too,
  // and the locale's comparison is costly: a data set read field by field, row after row,
  // looks its names up all the time. The names of a data set's fields differ under the
  // locale's comparison, so the one found first is the one the second pass would find.
  for (TField* f : FList)
    if (SameText(f->FieldName(), FieldName)) return f;
  for (TField* f : FList)
    if (AnsiSameText(f->FieldName(), FieldName)) return f;
  return nullptr;
}

TField* TFields::FieldByName(const std::string& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(SFieldNotFound, {FieldName}, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(Integer FieldNo) const {
  for (TField* f : FList)
    if (f->FieldNo() == FieldNo) return f;
  return nullptr;
}

void TFields::GetFieldNames(TStrings* List) const {
  {
    UpdateLock lock(List);
    List->Clear();
    for (TField* f : FList) List->Add(f->FieldName());
  }
}

Integer TFields::IndexOf(const TField* Field) const {
  auto it = std::find(FList.begin(), FList.end(), Field);
  return it == FList.end() ? -1 : static_cast<Integer>(it - FList.begin());
}

TField* TFields::Fields(Integer Index) const {
  if (Index < 0 || Index >= Count()) DatabaseError(SFieldIndexError, FDataSet);
  return FList[static_cast<size_t>(Index)];
}

void TFields::SetFieldIndex(TField* Field, Integer Value) {
  Integer cur = IndexOf(Field);
  if (cur < 0) return;
  if (Value < 0) Value = 0;
  if (Value >= Count()) Value = Count() - 1;
  if (Value == cur) return;
  FList.erase(FList.begin() + cur);
  FList.insert(FList.begin() + Value, Field);
  if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deLayoutChange, 0);
}

// =======================================================================================
// Rows
// =======================================================================================

namespace {

// Rows are encoded value after value: a kind byte, then for integer kinds a zigzag variable-
// length number, for floating kinds their 4 or 8 bytes, for texts a length and the bytes.
constexpr unsigned char kPackedString = 0x40;  // varString; the other kinds keep their own code

void putNumber(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out += static_cast<char>((v & 0x7F) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
}
uint64_t getNumber(const unsigned char*& p) {
  uint64_t v = 0;
  for (int shift = 0;; shift += 7) {
    unsigned char b = *p++;
    v |= static_cast<uint64_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return v;
  }
}
void putSigned(std::string& out, Int64 v) {
  putNumber(out, (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63));
}
Int64 getSigned(const unsigned char*& p) {
  uint64_t v = getNumber(p);
  return static_cast<Int64>(v >> 1) ^ -static_cast<Int64>(v & 1);
}
template <typename T>
void putRaw(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
template <typename T>
T getRaw(const unsigned char*& p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  p += sizeof v;
  return v;
}

// Appends the encoding of v; false for a kind the encoding does not hold.
bool packValue(std::string& out, const Variant& v) {
  if (v.IsArray() || v.Payload()) return false;
  TVarType vt = v.VType();
  switch (vt) {
    case varEmpty: case varNull: out += static_cast<char>(vt); return true;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
    case varInt64: case varBoolean: case varCurrency: case varError:
      out += static_cast<char>(vt);
      putSigned(out, v.RawOrdinal());
      return true;
    case varSingle: out += static_cast<char>(vt); putRaw(out, static_cast<float>(v.RawDouble())); return true;
    case varDouble: case varDate: out += static_cast<char>(vt); putRaw(out, v.RawDouble()); return true;
    case varOleStr: case varString:
      out += static_cast<char>(vt == varString ? kPackedString : varOleStr);
      putNumber(out, v.RawString().size());
      out += v.RawString();
      return true;
    default: return false;
  }
}

Variant unpackValue(const unsigned char*& p) {
  unsigned char kind = *p++;
  switch (kind) {
    case varEmpty: return Variant();
    case varNull: return Null();
    case varSmallint: return Variant(static_cast<short>(getSigned(p)));
    case varInteger: return Variant(static_cast<int>(getSigned(p)));
    case varShortInt: return Variant(static_cast<signed char>(getSigned(p)));
    case varByte: return Variant(static_cast<unsigned char>(getSigned(p)));
    case varWord: return Variant(static_cast<unsigned short>(getSigned(p)));
    case varLongWord: return Variant(static_cast<unsigned int>(getSigned(p)));
    case varInt64: return Variant(static_cast<long long>(getSigned(p)));
    case varBoolean: return Variant(getSigned(p) != 0);
    case varCurrency: return Variant(Currency::FromScaled(getSigned(p)));
    case varError: return Variant::MakeError(static_cast<Integer>(getSigned(p)));
    case varSingle: return Variant(getRaw<float>(p));
    case varDouble: return Variant(getRaw<double>(p));
    case varDate: return Variant::MakeDate(getRaw<double>(p));
    default: {  // varOleStr, kPackedString
      size_t n = static_cast<size_t>(getNumber(p));
      std::string text(reinterpret_cast<const char*>(p), n);
      p += n;
      return kind == varOleStr ? Variant::MakeOleStr(std::move(text)) : Variant(std::move(text));
    }
  }
}

// Blocks start small and double up to the largest size: most data sets hold a row or a few
// (a run opens thousands of one-row queries), and a large table still fills big blocks.
constexpr size_t kFirstArenaBlock = size_t{1} << 10;
constexpr size_t kArenaBlock = size_t{1} << 20;

}  // namespace

const unsigned char* ByteArena::Add(std::string_view bytes) {
  std::string head;
  putNumber(head, bytes.size());
  size_t need = head.size() + bytes.size();
  if (blocks_.empty() || blockSize_ - blockUsed_ < need) {
    const size_t next = blocks_.empty() ? kFirstArenaBlock : std::min(kArenaBlock, blockSize_ * 2);
    blockSize_ = std::max(next, need);
    // The bytes are written before they are read: no need to clear the block first.
    blocks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(blockSize_));
    blockUsed_ = 0;
  }
  unsigned char* at = blocks_.back().get() + blockUsed_;
  std::memcpy(at, head.data(), head.size());
  std::memcpy(at + head.size(), bytes.data(), bytes.size());
  blockUsed_ += need;
  used_ += need;
  return at;
}

size_t ByteArena::Size(const unsigned char* stored) { return static_cast<size_t>(getNumber(stored)); }

const unsigned char* ByteArena::Data(const unsigned char* stored) {
  getNumber(stored);
  return stored;
}

void ByteArena::Clear() {
  blocks_.clear();
  blockSize_ = blockUsed_ = used_ = 0;
}

const unsigned char* TDataRows::pack(Int64 key, std::vector<Variant>& values) {
  std::string bytes;
  putNumber(bytes, values.size());
  for (const Variant& v : values)
    if (!packValue(bytes, v)) {
      spilled_[key] = std::move(values);
      return nullptr;
    }
  return arena_.Add(bytes);
}

void TDataRows::release(const Entry& entry) {
  if (entry.packed) {
    size_t n = ByteArena::Size(entry.packed);
    wasted_ += n + static_cast<size_t>(ByteArena::Data(entry.packed) - entry.packed);
  } else {
    spilled_.erase(entry.key);
  }
}

// Rows replaced or deleted leave their bytes behind; once they are most of the arena, the
// live rows move to a new one.
void TDataRows::compactWhenWasteful() {
  if (wasted_ < kArenaBlock || wasted_ < arena_.Used() / 2) return;
  ByteArena fresh;
  for (Entry& e : rows_)
    if (e.packed)
      e.packed = fresh.Add(std::string_view(reinterpret_cast<const char*>(ByteArena::Data(e.packed)), ByteArena::Size(e.packed)));
  arena_ = std::move(fresh);
  wasted_ = 0;
}

std::vector<Variant> TDataRows::Row(Integer Index) const {
  const Entry& e = rows_[static_cast<size_t>(Index)];
  if (!e.packed) return spilled_.at(e.key);
  const unsigned char* p = ByteArena::Data(e.packed);
  const auto n = static_cast<size_t>(getNumber(p));
  std::vector<Variant> values;
  values.reserve(n);
  for (size_t i = 0; i < n; ++i) values.push_back(unpackValue(p));
  return values;
}

void TDataRows::SetRow(Integer Index, std::vector<Variant> Values) {
  Entry& e = rows_[static_cast<size_t>(Index)];
  release(e);
  e.packed = pack(e.key, Values);
  compactWhenWasteful();
}

Integer TDataRows::IndexOfKey(Int64 Key) const {
  if (keysAscending_) {
    auto it = std::lower_bound(rows_.begin(), rows_.end(), Key, [](const Entry& e, Int64 k) { return e.key < k; });
    return it != rows_.end() && it->key == Key ? static_cast<Integer>(it - rows_.begin()) : -1;
  }
  if (!indexValid_) {
    index_.clear();
    for (size_t i = 0; i < rows_.size(); ++i) index_[rows_[i].key] = static_cast<Integer>(i);
    indexValid_ = true;
  }
  auto it = index_.find(Key);
  return it == index_.end() ? -1 : it->second;
}

Int64 TDataRows::Insert(Integer Index, std::vector<Variant> Values) {
  Int64 key = nextKey_++;
  const unsigned char* packed = pack(key, Values);
  if (Index >= Count()) {
    rows_.push_back({key, packed});
    if (indexValid_) index_[key] = Count() - 1;
  } else {
    rows_.insert(rows_.begin() + std::max(0, Index), Entry{key, packed});
    keysAscending_ = false;
    indexValid_ = false;
  }
  return key;
}

void TDataRows::Delete(Integer Index) {
  release(rows_[static_cast<size_t>(Index)]);
  rows_.erase(rows_.begin() + Index);
  indexValid_ = false;
  compactWhenWasteful();
}

void TDataRows::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  arena_.Clear();
  spilled_.clear();
  wasted_ = 0;
  index_.clear();
  keysAscending_ = true;
  indexValid_ = false;
}

// =======================================================================================
// Data set
// =======================================================================================

RTL_IMPLEMENT_CLASS(TDataSet)

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner),
      fields_(std::make_unique<TFields>(this)),
      aggFields_(std::make_unique<TFields>(this)),
      fieldDefs_(std::make_unique<TFieldDefs>(this)) {
  buffers_.resize(1);
}

TDataSet::~TDataSet() {
  Destroying();
  try {
    SetActive(false);
  } catch (...) {
    // A descendant that fails to close must not stop the destruction.
  }
  while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
  if (dataSetField_) dataSetField_->FNestedDataSet = nullptr;
  destroyingFields_ = true;
  fields_->Clear();
  aggFields_->Clear();
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dataSetField_) dataSetField_ = nullptr;
}

void TDataSet::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TField* f : fields_->List())
    if (f->Owner() == Root) Proc(f);
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (streamedActive_) {
    streamedActive_ = false;
    SetActive(true);
  }
}

void TDataSet::CheckActive() const {
  if (state_ == dsInactive) DatabaseError(SDataSetClosed, const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
  if (state_ != dsInactive) DatabaseError(SDataSetOpen, const_cast<TDataSet*>(this));
}

void TDataSet::SetFieldDefs(TFieldDefs* Value) {
  if (Value) fieldDefs_->Assign(Value);
}

bool TDataSet::IsLinkedTo(TDataSource* DataSource) const {
  for (int guard = 0; DataSource && guard < 10000; ++guard) {
    TDataSet* ds = DataSource->DataSet();
    if (!ds) break;
    if (ds == this) return true;
    DataSource = ds->GetDataSource();
  }
  return false;
}

void TDataSet::SetDataSetField(TDataSetField* Value) {
  if (Value == dataSetField_) return;
  CheckInactive();
  if (Value && Value->DataSet() == this) DatabaseError(SCircularDataLink, this);
  if (dataSetField_) dataSetField_->FNestedDataSet = nullptr;
  dataSetField_ = Value;
  if (Value) {
    Value->FNestedDataSet = this;
    Value->FreeNotification(this);
  }
}

// --- Opening and closing.

void TDataSet::Open() { SetActive(true); }
void TDataSet::Close() { SetActive(false); }

void TDataSet::SetActive(bool Value) {
  if (FComponentState.Contains(csReading) || FComponentState.Contains(csLoading)) {
    streamedActive_ = Value;
    return;
  }
  if (Active() == Value) return;
  bool destroying = FComponentState.Contains(csDestroying);
  if (Value) {
    DoBeforeOpen();
    openCursor();
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    if (!destroying) fire(FBeforeClose);
    SetState(dsInactive);
    closeCursor();
    if (!destroying) fire(FAfterClose);
  }
}

void TDataSet::openCursor() {
  try {
    rows_.Clear();
    InternalOpen();
    fieldDefs_->SetUpdated(true);
    defaultFields_ = fields_->Count() == 0;
    if (defaultFields_) CreateFields();
    BindFields(true);
    if (filtered_ && !filterText_.empty()) filterProgram_ = dbfilter::Expression::Compile(filterText_, this);
    else filterProgram_.reset();
    buffers_.assign(static_cast<size_t>(bufferCount_), TRecordBuffer());
    rebuildView();
    fillWindow(0, 0);
    bof_ = true;
    eof_ = viewCount() == 0;
  } catch (...) {
    closeCursor();
    throw;
  }
}

void TDataSet::closeCursor() {
  try {
    InternalClose();
  } catch (...) {
    // Closing continues: the rows and fields below go whatever the descendant says.
  }
  BindFields(false);
  if (defaultFields_) DestroyFields();
  defaultFields_ = false;
  rows_.Clear();
  view_.clear();
  viewAll_ = true;
  clearWindow();
  filterProgram_.reset();
  bof_ = eof_ = true;
  modified_ = false;
}

void TDataSet::CreateFields() {
  for (Integer i = 0; i < fieldDefs_->Count(); ++i) {
    TFieldDef* def = fieldDefs_->Items(i);
    if (def->DataType() == ftUnknown || def->DataType() == ftCursor) continue;
    def->CreateField(this);
  }
}

void TDataSet::DestroyFields() {
  bool was = destroyingFields_;
  destroyingFields_ = true;
  fields_->Clear();
  destroyingFields_ = was;
}

void TDataSet::BindFields(bool Binding) {
  if (!Binding) {
    for (TField* f : fields_->List()) {
      f->FFieldNo = 0;
      f->FSlot = -1;
    }
    slotCount_ = 0;
    hasCalcFields_ = false;
    return;
  }
  Integer slot = fieldDefs_->Count();
  hasCalcFields_ = false;
  for (TField* f : fields_->List()) {
    if (f->FieldKind() == fkData) {
      TFieldDef* def = fieldDefs_->Find(f->FieldName());
      TClass wanted = DefaultFieldClass(def->DataType());
      bool compatible = f->DataType() == def->DataType() || (wanted && wanted->InheritsFrom(f->ClassType()));
      if (!compatible)
        DatabaseErrorFmt(SFieldTypeMismatch,
                         {f->DisplayName(), FieldTypeName(f->DataType()), FieldTypeName(def->DataType())}, this);
      f->FFieldNo = def->FieldNo();
      f->FSlot = def->FieldNo() - 1;
    } else {
      if (f->FieldKind() == fkLookup) {
        if (!f->LookupDataSet() || f->KeyFields().empty() || f->LookupKeyFields().empty() ||
            f->LookupResultField().empty())
          DatabaseErrorFmt(SLookupInfoError, {f->DisplayName()}, this);
        fields_->CheckFieldNames(f->KeyFields());
      }
      f->FFieldNo = 0;
      f->FSlot = slot++;
      hasCalcFields_ = true;
    }
  }
  slotCount_ = slot;
}

// --- Fields.

TField* TDataSet::FieldByName(const std::string& FieldName) const { return fields_->FieldByName(FieldName); }
TField* TDataSet::FindField(const std::string& FieldName) const { return fields_->FindField(FieldName); }
TField* TDataSet::FieldByNumber(Integer FieldNo) const { return fields_->FieldByNumber(FieldNo); }

void TDataSet::GetFieldNames(TStrings* List) {
  if (fields_->Count() > 0) {
    fields_->GetFieldNames(List);
    return;
  }
  fieldDefs_->Update();
  fieldDefs_->GetItemNames(List);
}

std::vector<TField*> TDataSet::GetFieldList(const std::string& FieldNames) const {
  std::vector<TField*> out;
  for (const std::string& name : splitFieldNames(FieldNames)) out.push_back(FieldByName(name));
  return out;
}

void TDataSet::GetFieldList(TList* List, const std::string& FieldNames) const {
  for (TField* f : GetFieldList(FieldNames)) List->Add(f);
}

Variant TDataSet::FieldValues(const std::string& FieldName) const {
  std::vector<Variant> values;
  for (TField* f : GetFieldList(FieldName)) values.push_back(f->Value());
  return valuesAsVariant(values);
}

void TDataSet::SetFieldValues(const std::string& FieldName, const Variant& Value) {
  std::vector<TField*> list = GetFieldList(FieldName);
  for (size_t i = 0; i < list.size(); ++i) list[i]->SetValue(valueForName(Value, i));
}

void TDataSet::ClearFields() {
  if (!dsEditModes.Contains(state_)) DatabaseError(SNotEditing, this);
  for (TField* f : fields_->List())
    if (f->FieldKind() == fkData && !f->ReadOnly()) f->Clear();
}

// --- The record window.

Integer TDataSet::viewPosOfRow(Integer row) const {
  if (row < 0) return -1;
  if (viewAll_) return row < rows_.Count() ? row : -1;
  auto it = std::lower_bound(view_.begin(), view_.end(), row);
  if (it == view_.end() || *it != row) return -1;
  return static_cast<Integer>(it - view_.begin());
}

Integer TDataSet::currentRow() const {
  const TRecordBuffer* b = recordCount_ > 0 ? &buffers_[static_cast<size_t>(activeRecord_)] : nullptr;
  if (!b || b->RowKey == 0) return -1;
  return rows_.IndexOfKey(b->RowKey);
}

void TDataSet::readRecord(Integer row, TRecordBuffer& buffer) {
  // The row's own values, then a Null in each slot of a calculated field.
  std::vector<Variant> values = rows_.Row(row);
  values.resize(static_cast<size_t>(slotCount_), Null());
  buffer.Values = std::move(values);
  buffer.RowKey = rows_.Key(row);
  buffer.Flag = bfCurrent;
  if (hasCalcFields_) calculateFields(buffer);
}

void TDataSet::clearWindow() {
  windowTop_ = 0;
  activeRecord_ = 0;
  recordCount_ = 0;
}

void TDataSet::fillWindow(Integer top, Integer active) {
  Integer n = viewCount();
  if (n == 0) {
    clearWindow();
    return;
  }
  if (static_cast<Integer>(buffers_.size()) != bufferCount_) buffers_.resize(static_cast<size_t>(bufferCount_));
  windowTop_ = top;
  recordCount_ = std::min(bufferCount_, n - top);
  for (Integer i = 0; i < recordCount_; ++i) readRecord(viewRow(top + i), buffers_[static_cast<size_t>(i)]);
  activeRecord_ = std::clamp(active, 0, recordCount_ - 1);
}

void TDataSet::resyncAt(Integer pos, bool center) {
  Integer n = viewCount();
  if (n == 0) {
    clearWindow();
    return;
  }
  pos = std::clamp(pos, 0, n - 1);
  Integer maxTop = std::max(0, n - bufferCount_);
  Integer top = center ? pos - (bufferCount_ - 1) / 2 : pos - activeRecord_;
  top = std::clamp(top, 0, maxTop);
  if (top > pos) top = pos;
  if (pos - top >= bufferCount_) top = pos - bufferCount_ + 1;
  fillWindow(top, pos - top);
}

void TDataSet::Resync(TResyncMode Mode) {
  resyncAt(currentPos(), Mode.Contains(rmCenter));
  DataEvent(deDataSetChange, 0);
}

Integer TDataSet::moveTo(Integer pos) {
  if (pos >= windowTop_ && pos < windowTop_ + recordCount_) {
    activeRecord_ = pos - windowTop_;
    return 0;
  }
  Integer newTop = pos >= windowTop_ + recordCount_ ? std::max(0, pos - bufferCount_ + 1) : pos;
  Integer shift = windowTop_ - newTop;
  fillWindow(newTop, pos - newTop);
  return shift;
}

void TDataSet::setBufferCount(Integer Value) {
  if (Value < 1) Value = 1;
  if (Value == bufferCount_) return;
  bufferCount_ = Value;
  if (!Active()) {
    buffers_.resize(static_cast<size_t>(Value));
    return;
  }
  if (state_ == dsBrowse) {
    Integer pos = currentPos();
    buffers_.resize(static_cast<size_t>(Value));
    if (viewCount() == 0) clearWindow();
    else resyncAt(pos, false);
  } else {
    // Editing: keep the record being edited and as many neighbours as fit.
    while (recordCount_ > Value) {
      if (activeRecord_ > 0) {
        buffers_.erase(buffers_.begin());
        ++windowTop_;
        --activeRecord_;
      } else {
        buffers_.pop_back();
      }
      --recordCount_;
    }
    buffers_.resize(static_cast<size_t>(Value));
  }
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->FDataLinks)
      if (l->FActive) l->UpdateRange();
}

void TDataSet::updateBufferCount() {
  Integer count = 1;
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->FDataLinks) count = std::max(count, l->FBufferCount);
  setBufferCount(count);
}

TRecordBuffer* TDataSet::ActiveBuffer() {
  return const_cast<TRecordBuffer*>(static_cast<const TDataSet*>(this)->ActiveBuffer());
}

const TRecordBuffer* TDataSet::ActiveBuffer() const {
  switch (state_) {
    case dsInactive: return nullptr;
    case dsCalcFields: case dsFilter: case dsInternalCalc: return tempBuffer_;
    default: return recordCount_ > 0 ? &buffers_[static_cast<size_t>(activeRecord_)] : nullptr;
  }
}

// --- States.

void TDataSet::SetState(TDataSetState Value) {
  if (state_ == Value) return;
  state_ = Value;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
  TDataSetState old = state_;
  state_ = Value;
  return old;
}

void TDataSet::RestoreState(TDataSetState Value) { state_ = Value; }

// --- Records outside the window.

// While it lives, the fields read (and calculated fields write) the given record, in a
// temporary state (dsCalcFields, dsFilter) that tells no one; the state and the record
// shown before come back when it goes, also when an exception leaves.
class TDataSet::TempRecord {
public:
  TempRecord(TDataSet* ds, TRecordBuffer& buffer, TDataSetState state)
      : ds_(ds), savedBuffer_(ds->tempBuffer_), savedState_(ds->SetTempState(state)) {
    ds->tempBuffer_ = &buffer;
  }
  ~TempRecord() {
    ds_->RestoreState(savedState_);
    ds_->tempBuffer_ = savedBuffer_;
  }
  TempRecord(const TempRecord&) = delete;
  TempRecord& operator=(const TempRecord&) = delete;

private:
  TDataSet* ds_;
  TRecordBuffer* savedBuffer_;
  TDataSetState savedState_;
};

// --- Calculated and lookup fields.

void TDataSet::calculateFields(TRecordBuffer& buffer) {
  TempRecord shown(this, buffer, dsCalcFields);
  for (TField* f : fields_->List())
    if (f->FieldKind() != fkData && f->FSlot >= 0 && f->FieldKind() != fkInternalCalc)
      buffer.Values[static_cast<size_t>(f->FSlot)] = Null();
  for (TField* f : fields_->List()) {
    if (f->FieldKind() != fkLookup || f->FSlot < 0) continue;
    TDataSet* lookup = f->LookupDataSet();
    Variant value = Null();
    if (lookup && lookup->Active())
      value = lookup->Lookup(f->LookupKeyFields(), FieldValues(f->KeyFields()), f->LookupResultField());
    buffer.Values[static_cast<size_t>(f->FSlot)] = value;
  }
  fire(FOnCalcFields);
}

void TDataSet::updateCalcFields() {
  if (!hasCalcFields_ || !autoCalcFields_) return;
  if (state_ != dsEdit && state_ != dsInsert) return;
  if (TRecordBuffer* b = ActiveBuffer()) calculateFields(*b);
}

// --- Reading and writing field values.

const Variant* TDataSet::fieldSlot(const TField* f) const {
  if (f->FSlot < 0) return nullptr;
  const TRecordBuffer* b = ActiveBuffer();
  if (!b || static_cast<size_t>(f->FSlot) >= b->Values.size()) return nullptr;
  return &b->Values[static_cast<size_t>(f->FSlot)];
}

Variant TDataSet::oldFieldValue(const TField* f) const {
  if (f->FieldKind() != fkData || f->FFieldNo <= 0 || state_ == dsInsert || state_ == dsInactive) return Null();
  const TRecordBuffer* b = ActiveBuffer();
  if (!b || b->RowKey == 0) return Null();
  Integer row = rows_.IndexOfKey(b->RowKey);
  if (row < 0) return Null();
  const std::vector<Variant>& values = rows_.Row(row);
  size_t i = static_cast<size_t>(f->FFieldNo - 1);
  return i < values.size() ? values[i] : Null();
}

void TDataSet::setFieldValue(TField* f, const Variant& v) {
  if (!dsWriteModes.Contains(state_)) DatabaseError(SNotEditing, this);
  bool internalState = state_ == dsCalcFields || state_ == dsFilter || state_ == dsInternalCalc || state_ == dsNewValue;
  if (internalState) {
    if (f->FieldKind() == fkData && state_ != dsNewValue) DatabaseError(SNotEditing, this);
    if (tempBuffer_ && f->FSlot >= 0) tempBuffer_->Values[static_cast<size_t>(f->FSlot)] = v;
    return;
  }
  if (f->FSlot < 0) DatabaseErrorFmt(SFieldNotFound, {f->FieldName()}, this);
  if (f->ReadOnly() && f->FieldKind() == fkData) DatabaseErrorFmt(SFieldReadOnly, {f->DisplayName()});
  TRecordBuffer* b = ActiveBuffer();
  if (!b) DatabaseError(SDataSetEmpty, this);
  if (f->OnValidate().Assigned()) {
    f->FValidating = &v;
    {
      ScopeExit atEnd([&] { f->FValidating = nullptr; });
      f->OnValidate()(f);
    }
  }
  b->Values[static_cast<size_t>(f->FSlot)] = v;
  DataEvent(deFieldChange, PtrToInt(f));
  if (f->OnChange().Assigned()) f->OnChange()(f);
}

// --- Events to the data sources.

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info) {
  switch (Event) {
    case deFieldChange: {
      TField* f = IntToPtr<TField>(Info);
      if (f && (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc)) modified_ = true;
      updateCalcFields();
      break;
    }
    default:
      break;
  }
  if (!ControlsDisabled() && state_ != dsBlockRead) {
    std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* s : sources)
      if (std::find(dataSources_.begin(), dataSources_.end(), s) != dataSources_.end()) s->DataEvent(Event, Info);
  } else if ((Event == deUpdateState && state_ == dsInactive) || Event == deLayoutChange) {
    enableEvent_ = deLayoutChange;
  }
}

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
  if (disableCount_ == 1) {
    std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* s : sources) s->DataEvent(deDisabledStateChange, 1);
  }
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ != 0) return;
  std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* s : sources) s->DataEvent(deDisabledStateChange, 0);
  if (disableState_ != state_) DataEvent(deUpdateState, 0);
  if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

void TDataSet::addDataSource(TDataSource* source) {
  dataSources_.push_back(source);
  source->FDataSet = this;
  updateBufferCount();
  source->UpdateState();
}

void TDataSet::removeDataSource(TDataSource* source) {
  source->FDataSet = nullptr;
  dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
  source->UpdateState();
  updateBufferCount();
}

// --- Navigation.

bool TDataSet::IsEmpty() const { return recordCount_ == 0; }

Integer TDataSet::RecordCount() const { return Active() ? viewCount() : 0; }

Integer TDataSet::RecNo() const {
  if (!Active() || recordCount_ == 0) return 0;
  if (state_ == dsInsert) return -1;
  return currentPos() + 1;
}

void TDataSet::SetRecNo(Integer Value) {
  CheckBrowseMode();
  Integer n = viewCount();
  if (n == 0) return;
  Value = std::clamp(Value, 1, n);
  if (Value - 1 == currentPos()) return;
  DoBeforeScroll();
  resyncAt(Value - 1, true);
  bof_ = eof_ = false;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  fillWindow(0, 0);
  bof_ = true;
  eof_ = viewCount() == 0;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  Integer n = viewCount();
  Integer top = std::max(0, n - bufferCount_);
  fillWindow(top, n - 1 - top);
  eof_ = true;
  bof_ = n == 0;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

Integer TDataSet::MoveBy(Integer Distance) {
  CheckBrowseMode();
  Integer result = 0;
  DoBeforeScroll();
  if ((Distance > 0 && !eof_) || (Distance < 0 && !bof_)) {
    bof_ = eof_ = false;
    Integer n = viewCount();
    Integer shift = 0;
    if (n == 0) {
      bof_ = eof_ = true;
    } else {
      Integer pos = currentPos();
      Integer target = pos + Distance;
      if (target >= n) {
        target = n - 1;
        eof_ = true;
      } else if (target < 0) {
        target = 0;
        bof_ = true;
      }
      result = target - pos;
      shift = moveTo(target);
    }
    DataEvent(deDataSetScroll, shift);
    DoAfterScroll();
  }
  return result;
}

// --- Bookmarks.

std::string TDataSet::bookmarkOf(Int64 key) const { return key > 0 ? IntToStr(key) : std::string(); }

Int64 TDataSet::keyOf(const TBookmark& b) const {
  Int64 key = 0;
  if (b.empty() || !TryStrToInt64(b, key) || key <= 0) return 0;
  return key;
}

TBookmarkStr TDataSet::Bookmark() const {
  if (state_ == dsInactive || recordCount_ == 0) return "";
  const TRecordBuffer* b = ActiveBuffer();
  return b ? bookmarkOf(b->RowKey) : std::string();
}

bool TDataSet::BookmarkValid(const TBookmark& Value) const {
  if (!Active()) return false;
  Int64 key = keyOf(Value);
  return key > 0 && viewPosOfRow(rows_.IndexOfKey(key)) >= 0;
}

void TDataSet::GotoBookmark(const TBookmark& Value) {
  CheckBrowseMode();
  Integer pos = viewPosOfRow(rows_.IndexOfKey(keyOf(Value)));
  if (pos < 0) DatabaseError(SRecordNotFound, this);
  DoBeforeScroll();
  resyncAt(pos, true);
  bof_ = eof_ = false;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

Integer TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const {
  if (Bookmark1.empty() || Bookmark2.empty()) {
    if (Bookmark1.empty() && Bookmark2.empty()) return 0;
    return Bookmark1.empty() ? -1 : 1;
  }
  Int64 k1 = keyOf(Bookmark1), k2 = keyOf(Bookmark2);
  if (k1 == k2) return 0;
  Integer r1 = rows_.IndexOfKey(k1), r2 = rows_.IndexOfKey(k2);
  if (r1 >= 0 && r2 >= 0) return r1 < r2 ? -1 : 1;
  return k1 < k2 ? -1 : 1;
}

// --- Searching.

bool TDataSet::matchesKeys(const std::vector<TField*>& fields, const std::vector<Variant>& keys,
                           TLocateOptions options) {
  for (size_t i = 0; i < fields.size(); ++i) {
    const Variant& key = keys[i];
    Variant value = fields[i]->Value();
    bool keyNull = key.IsNull() || key.IsEmpty();
    bool valueNull = value.IsNull() || value.IsEmpty();
    if (keyNull || valueNull) {
      if (keyNull != valueNull) return false;
      continue;
    }
    if (VarIsStr(value) || dynamic_cast<TStringField*>(fields[i]) || dynamic_cast<TMemoField*>(fields[i])) {
      std::string k = key.AsString();
      std::string v = value.AsString();
      if (options.Contains(loPartialKey) && v.size() > k.size()) v.resize(k.size());
      bool same = options.Contains(loCaseInsensitive) ? AnsiSameText(v, k) : v == k;
      if (!same) return false;
      continue;
    }
    // Compare in the value's own kind, so that 32.38 finds a Currency 32.38 and '1/2/1996' a date.
    Variant k = VarIsCustom(value) ? key : VarAsType(key, value.VType());
    if (!(value == k)) return false;
  }
  return true;
}

bool TDataSet::locateRow(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options, Integer& pos,
                         TRecordBuffer& found) {
  CheckActive();
  std::vector<TField*> fields = GetFieldList(KeyFields);
  if (fields.empty()) DatabaseError(SFieldNameMissing, this);
  if (fields.size() > 1 && !KeyValues.IsArray()) throw EVariantNotAnArrayError("Variant is not an array");
  std::vector<Variant> keys;
  for (size_t i = 0; i < fields.size(); ++i) keys.push_back(valueForName(KeyValues, i));
  TempRecord shown(this, found, dsCalcFields);
  Integer n = viewCount();
  for (Integer p = 0; p < n; ++p) {
    readRecord(viewRow(p), found);
    if (matchesKeys(fields, keys, Options)) {
      pos = p;
      return true;
    }
  }
  return false;
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  CheckBrowseMode();
  Integer pos = -1;
  TRecordBuffer found;
  if (!locateRow(KeyFields, KeyValues, Options, pos, found)) return false;
  DoBeforeScroll();
  resyncAt(pos, true);
  bof_ = eof_ = false;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
  return true;
}

Variant TDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) {
  Integer pos = -1;
  TRecordBuffer found;
  if (!locateRow(KeyFields, KeyValues, TLocateOptions(), pos, found)) return Null();
  TempRecord shown(this, found, dsCalcFields);
  return FieldValues(ResultFields);
}

// --- Filter.

void TDataSet::rebuildView() {
  view_.clear();
  bool filtering = filtered_ && (filterProgram_ || FOnFilterRecord.Assigned());
  if (!filtering) {
    viewAll_ = true;
    return;
  }
  viewAll_ = false;
  TRecordBuffer buffer;
  for (Integer row = 0; row < rows_.Count(); ++row) {
    readRecord(row, buffer);
    if (recordPasses(buffer)) view_.push_back(row);
  }
}

bool TDataSet::recordPasses(TRecordBuffer& buffer) {
  TempRecord shown(this, buffer, dsFilter);
  bool accept = true;
  if (filterProgram_) accept = filterProgram_->Accepts(filterOptions_);
  if (accept && FOnFilterRecord.Assigned()) FOnFilterRecord(this, accept);
  return accept;
}

void TDataSet::applyFilterChange() {
  rebuildView();
  buffers_.assign(static_cast<size_t>(bufferCount_), TRecordBuffer());
  clearWindow();
  First();
}

void TDataSet::SetFilter(const std::string& Value) {
  if (Value == filterText_) return;
  if (Active() && filtered_) {
    std::shared_ptr<dbfilter::Expression> program;
    if (!Value.empty()) program = dbfilter::Expression::Compile(Value, this);
    CheckBrowseMode();
    filterText_ = Value;
    filterProgram_ = program;
    applyFilterChange();
  } else {
    filterText_ = Value;
  }
}

void TDataSet::SetFiltered(bool Value) {
  if (Value == filtered_) return;
  if (Active()) {
    std::shared_ptr<dbfilter::Expression> program;
    if (Value && !filterText_.empty()) program = dbfilter::Expression::Compile(filterText_, this);
    CheckBrowseMode();
    filtered_ = Value;
    filterProgram_ = program;
    applyFilterChange();
  } else {
    filtered_ = Value;
  }
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
  if (Value == filterOptions_) return;
  if (Active() && filtered_) CheckBrowseMode();
  filterOptions_ = Value;
  if (Active() && filtered_) applyFilterChange();
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& V) {
  if (V == FOnFilterRecord) return;
  if (Active() && filtered_) CheckBrowseMode();
  FOnFilterRecord = V;
  if (Active() && filtered_) applyFilterChange();
}

// --- Editing.

void TDataSet::checkOperation(const std::function<void()>& op, const TDataSetErrorEvent& onError) {
  for (;;) {
    try {
      op();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (onError.Assigned()) onError(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::UpdateRecord() {
  if (!dsWriteModes.Contains(state_)) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (state_) {
    case dsEdit: case dsInsert:
      UpdateRecord();
      if (modified_) Post();
      else Cancel();
      break;
    case dsSetKey: Post(); break;
    default: break;
  }
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  CheckActive();
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  fire(FBeforeEdit);
  checkOperation(
      [this] {
        // Start from the row as stored now.
        Integer row = currentRow();
        if (row < 0) DatabaseError(SRecordNotFound, this);
        readRecord(row, buffers_[static_cast<size_t>(activeRecord_)]);
      },
      FOnEditError);
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  fire(FAfterEdit);
}

void TDataSet::beginInsertAppend() {
  CheckBrowseMode();
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  fire(FBeforeInsert);
  DoBeforeScroll();
}

void TDataSet::endInsertAppend() {
  SetState(dsInsert);
  try {
    fire(FOnNewRecord);
  } catch (...) {
    SetState(dsBrowse);
    resyncAt(currentPos(), false);
    DataEvent(deDataSetChange, 0);
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  fire(FAfterInsert);
  DoAfterScroll();
}

namespace {
TRecordBuffer newRecordBuffer(Integer slots) {
  TRecordBuffer b;
  b.Values.assign(static_cast<size_t>(slots), Null());
  b.RowKey = 0;
  b.Flag = bfInserted;
  return b;
}
}  // namespace

void TDataSet::Insert() {
  beginInsertAppend();
  Integer n = viewCount();
  Integer pos = recordCount_ == 0 ? 0 : currentPos();
  insertRowBefore_ = pos < n ? viewRow(pos) : -1;
  TRecordBuffer nb = newRecordBuffer(slotCount_);
  if (recordCount_ == 0) {
    buffers_[0] = std::move(nb);
    windowTop_ = 0;
    activeRecord_ = 0;
    recordCount_ = 1;
  } else {
    buffers_.insert(buffers_.begin() + activeRecord_, std::move(nb));
    if (recordCount_ < bufferCount_) ++recordCount_;
    buffers_.resize(static_cast<size_t>(bufferCount_));
  }
  if (hasCalcFields_) calculateFields(buffers_[static_cast<size_t>(activeRecord_)]);
  endInsertAppend();
}

void TDataSet::Append() {
  beginInsertAppend();
  Integer n = viewCount();
  Integer keep = std::min(n, bufferCount_ - 1);
  Integer top = n - keep;
  for (Integer i = 0; i < keep; ++i) readRecord(viewRow(top + i), buffers_[static_cast<size_t>(i)]);
  buffers_[static_cast<size_t>(keep)] = newRecordBuffer(slotCount_);
  windowTop_ = top;
  recordCount_ = keep + 1;
  activeRecord_ = keep;
  insertRowBefore_ = -1;
  bof_ = false;
  eof_ = true;
  if (hasCalcFields_) calculateFields(buffers_[static_cast<size_t>(activeRecord_)]);
  endInsertAppend();
}

void TDataSet::checkRequiredFields() {
  for (TField* f : fields_->List())
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(SFieldRequired, {f->DisplayName()});
    }
}

void TDataSet::Post() {
  UpdateRecord();
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  fire(FBeforePost);
  Int64 postedKey = 0;
  Integer oldPos = currentPos();
  try {
    checkOperation(
        [&] {
          checkRequiredFields();
          TRecordBuffer& b = buffers_[static_cast<size_t>(activeRecord_)];
          size_t dataCount = static_cast<size_t>(fieldDefs_->Count());
          std::vector<Variant> values(b.Values.begin(), b.Values.begin() + static_cast<std::ptrdiff_t>(dataCount));
          if (state_ == dsEdit) {
            Integer row = currentRow();
            if (row < 0) DatabaseError(SRecordNotFound, this);
            StoreRecord(row, rows_.Row(row), values);
            rows_.SetRow(row, std::move(values));
            postedKey = rows_.Key(row);
          } else {
            StoreRecord(-1, {}, values);
            Integer at = insertRowBefore_ >= 0 ? insertRowBefore_ : rows_.Count();
            postedKey = rows_.Insert(at, std::move(values));
          }
        },
        FOnPostError);
  } catch (const Exception& e) {
    if (CancelAfterFailedPost(e)) Cancel();
    throw;
  }
  SetState(dsBrowse);
  RecordStored(postedKey);
  rebuildView();
  Integer pos = viewPosOfRow(rows_.IndexOfKey(postedKey));
  resyncAt(pos >= 0 ? pos : std::min(oldPos, viewCount() - 1), false);
  DataEvent(deDataSetChange, 0);
  fire(FAfterPost);
}

void TDataSet::Cancel() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  fire(FBeforeCancel);
  Integer pos = currentPos();
  SetState(dsBrowse);
  resyncAt(std::min(pos, viewCount() - 1), false);
  DataEvent(deDataSetChange, 0);
  fire(FAfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError(SDataSetEmpty, this);
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  DataEvent(deCheckBrowseMode, 0);
  fire(FBeforeDelete);
  DoBeforeScroll();
  Integer pos = currentPos();
  checkOperation(
      [this] {
        Integer row = currentRow();
        if (row < 0) DatabaseError(SRecordNotFound, this);
        EraseRecord(row, rows_.Row(row));
        rows_.Delete(row);
      },
      FOnDeleteError);
  SetState(dsBrowse);
  rebuildView();
  resyncAt(std::min(pos, viewCount() - 1), false);
  DataEvent(deDataSetChange, 0);
  fire(FAfterDelete);
  DoAfterScroll();
}

void TDataSet::setValuesAndPost(const std::vector<Variant>& Values) {
  for (size_t i = 0; i < Values.size() && i < static_cast<size_t>(FieldCount()); ++i)
    if (!Values[i].IsEmpty()) fields_->Fields(static_cast<Integer>(i))->SetValue(Values[i]);
  Post();
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values) {
  Append();
  setValuesAndPost(Values);
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values) {
  Insert();
  setValuesAndPost(Values);
}

void TDataSet::Refresh() {
  fire(FBeforeRefresh);
  CheckBrowseMode();
  Integer pos = currentPos();
  {
    ScopeExit atEnd([&] { resyncAt(pos, false); DataEvent(deDataSetChange, 0); });
    InternalRefresh();
    rebuildView();
  }
  fire(FAfterRefresh);
}

// =======================================================================================
// Data source
// =======================================================================================

RTL_BEGIN_CLASS(TDataSource)
b.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
b.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
b.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
b.Property("OnStateChange", &TDataSource::OnStateChange, &TDataSource::SetOnStateChange);
b.Property("OnDataChange", &TDataSource::OnDataChange, &TDataSource::SetOnDataChange);
b.Property("OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::SetOnUpdateData);
RTL_END_CLASS

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
  FOnStateChange = nullptr;
  SetDataSet(nullptr);
  while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
  // A chain longer than this cannot be made without a cycle, which SetDataSet prevents.
  for (int guard = 0; DataSet && guard < 10000; ++guard) {
    TDataSource* source = DataSet->GetDataSource();
    if (!source) break;
    if (source == this) return true;
    DataSet = source->DataSet();
  }
  return false;
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
  if (ADataSet == FDataSet) return;
  if (IsLinkedTo(ADataSet)) DatabaseError(SCircularDataLink, this);
  if (FDataSet) FDataSet->removeDataSource(this);
  if (ADataSet) {
    ADataSet->addDataSource(this);
    ADataSet->FreeNotification(this);
  }
}

void TDataSource::SetEnabled(bool Value) {
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse) FDataSet->Edit();
}

void TDataSource::UpdateState() {
  if (FEnabled && FDataSet) SetState(FDataSet->State());
  else SetState(dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
  if (FState == Value) return;
  TDataSetState prior = FState;
  FState = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (FComponentState.Contains(csDestroying)) return;
  if (FOnStateChange.Assigned()) FOnStateChange(this);
  if (prior == dsInactive && FOnDataChange.Assigned()) FOnDataChange(this, nullptr);
}

void TDataSource::AddDataLink(TDataLink* DataLink) {
  FDataLinks.push_back(DataLink);
  DataLink->FDataSource = this;
  if (FDataSet) FDataSet->updateBufferCount();
  DataLink->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* DataLink) {
  DataLink->FDataSource = nullptr;
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), DataLink), FDataLinks.end());
  DataLink->UpdateState();
  if (FDataSet) FDataSet->updateBufferCount();
}

void TDataSource::NotifyLinkTypes(TDataEvent Event, NativeInt Info, bool LinkType) {
  // Last to first; a link may leave while it is told.
  for (Integer i = static_cast<Integer>(FDataLinks.size()) - 1; i >= 0; --i) {
    if (i >= static_cast<Integer>(FDataLinks.size())) continue;
    TDataLink* link = FDataLinks[static_cast<size_t>(i)];
    if (link->FVisualControl == LinkType) link->DataEvent(Event, Info);
  }
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info) {
  // Non-visual links (detail data sets) hear it before the controls.
  NotifyLinkTypes(Event, Info, false);
  NotifyLinkTypes(Event, Info, true);
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
    case deFieldChange:
      if (FOnDataChange.Assigned()) FOnDataChange(this, IntToPtr<TField>(Info));
      break;
    case deRecordChange: case deDataSetChange: case deDataSetScroll: case deLayoutChange:
      if (FOnDataChange.Assigned()) FOnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (FOnUpdateData.Assigned()) FOnUpdateData(this);
      break;
    default:
      break;
  }
}

// =======================================================================================
// Data link
// =======================================================================================

RTL_IMPLEMENT_CLASS(TDataLink)

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  // No notification reaches a link that is going away.
  FActive = false;
  FEditing = false;
  FDataSourceFixed = false;
  SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
  if (ADataSource == FDataSource) return;
  if (FDataSourceFixed) DatabaseError(SDataSourceChange, nullptr);
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (ADataSource) ADataSource->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  UpdateState();
}

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && dsEditModes.Contains(FDataSource->State()) && !FReadOnly);
}

void TDataLink::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (Value) UpdateRange();
  else FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
  if (FEditing == Value) return;
  FEditing = Value;
  EditingChanged();
}

void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  Integer min = ds->activeRecord_ - FBufferCount + 1;
  if (min < 0) min = 0;
  Integer max = ds->bufferCount_ - FBufferCount;
  if (max < 0) max = 0;
  if (max > ds->activeRecord_) max = ds->activeRecord_;
  if (FFirstRecord < min) FFirstRecord = min;
  if (FFirstRecord > max) FFirstRecord = max;
}

Integer TDataLink::ActiveRecord() const {
  if (!FActive || !FDataSource || FDataSource->State() == dsSetKey) return 0;
  return DataSet()->activeRecord_ - FFirstRecord;
}

void TDataLink::SetActiveRecord(Integer Value) {
  if (!FActive || !FDataSource || FDataSource->State() == dsSetKey) return;
  TDataSet* ds = DataSet();
  Integer index = Value + FFirstRecord;
  if (index < 0 || index >= std::max(1, ds->recordCount_))
    TList::Error("List index out of bounds (%d)", Value);
  ds->activeRecord_ = index;
}

Integer TDataLink::RecordCount() const {
  if (!FActive || !FDataSource) return 0;
  if (FDataSource->State() == dsSetKey) return 1;
  Integer count = DataSet()->recordCount_ - FFirstRecord;
  if (count > FBufferCount) count = FBufferCount;
  return count < 0 ? 0 : count;
}

void TDataLink::SetBufferCount(Integer Value) {
  if (Value < 1) Value = 1;
  if (FBufferCount == Value) return;
  FBufferCount = Value;
  if (FActive) {
    DataSet()->updateBufferCount();
    UpdateRange();
  }
}

bool TDataLink::BOF() const { return DataSet() ? DataSet()->Bof() : true; }
bool TDataLink::Eof() const { return DataSet() ? DataSet()->Eof() : true; }

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  {
    ScopeExit atEnd([&] { FUpdating = false; });
    UpdateData();
  }
}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (Event) {
    case deFieldChange: case deRecordChange:
      if (!FUpdating) RecordChanged(IntToPtr<TField>(Info));
      break;
    case deDataSetChange: case deDataSetScroll: case deLayoutChange: {
      Integer distance = 0;
      if (FDataSource->State() != dsSetKey) {
        // Info is how far the data set's window moved its records; keep this link's first
        // record where it was in the data, then bring the current record back in range.
        Integer first = FFirstRecord + (Event == deDataSetScroll ? static_cast<Integer>(Info) : 0);
        FFirstRecord = first;
        UpdateRange();
        distance = FFirstRecord - first;
      }
      if (Event == deDataSetChange) DataSetChanged();
      else if (Event == deDataSetScroll) DataSetScrolled(distance);
      else LayoutChanged();
      break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(IntToPtr<TField*>(Info)); break;
    default: break;
  }
}

// =======================================================================================
// Unit start
// =======================================================================================

namespace DBUnit {
void Initialize() {
  RegisterClasses({TDataSource::StaticClass(),     TField::StaticClass(),         TStringField::StaticClass(),
                   TWideStringField::StaticClass(), TGuidField::StaticClass(),     TNumericField::StaticClass(),
                   TIntegerField::StaticClass(),    TSmallintField::StaticClass(), TWordField::StaticClass(),
                   TAutoIncField::StaticClass(),    TLargeintField::StaticClass(), TFloatField::StaticClass(),
                   TCurrencyField::StaticClass(),   TBCDField::StaticClass(),      TFMTBCDField::StaticClass(),
                   TAggregateField::StaticClass(),  TBooleanField::StaticClass(),  TDateTimeField::StaticClass(),
                   TDateField::StaticClass(),       TTimeField::StaticClass(),     TSQLTimeStampField::StaticClass(),
                   TBinaryField::StaticClass(),     TBytesField::StaticClass(),    TVarBytesField::StaticClass(),
                   TBlobField::StaticClass(),       TMemoField::StaticClass(),     TGraphicField::StaticClass(),
                   TVariantField::StaticClass(),    TInterfaceField::StaticClass(), TIDispatchField::StaticClass(),
                   TObjectField::StaticClass(),     TADTField::StaticClass(),      TArrayField::StaticClass(),
                   TReferenceField::StaticClass(),  TDataSetField::StaticClass()});
}
void Finalize() {}
}  // namespace DBUnit
