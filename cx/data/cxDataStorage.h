#pragma once
// Typed record storage of the data controller: the value types that interpret a slot of a
// record buffer, the value definitions (one column each) and their two sets, the storage
// with its ordinary and internal records, the reader a record is loaded from, the sorted
// key/text list of the lookup editors and the registry of value types.
//
// Value types hold no state: each value type class has one shared instance (Instance()),
// and a "value type class" is a pointer to it; no caller owns one.
//
// Record buffer of one record, allocated zero-filled on the first write to the record:
//   byte 0                 record flags (bit 0: internal record in use)
//   per stored definition  1 byte null flag (0 = Null), GetValueSize bytes of value slot,
//                          and a text reference when the definition keeps display text
// Reference slots (string, wide string, variant, object and the text slot) are one
// pointer wide. Slots sit at any byte offset; the types read and write them with memcpy.
//
// The layout of a set is fixed while any of its records has a buffer: a change of Stored or
// TextStored on an existing definition only takes effect once the set's buffers are gone
// (or the definition is made again), so it can never move bytes under existing records.
// A definition that has no slot in the layout reads as Null and '' and ignores writes.

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

class TcxValueType;
class TcxValueDef;
class TcxValueDefs;
class TcxInternalValueDefs;
class TcxDataStorage;

using TcxValueTypeClass = TcxValueType*;

// ---------------------------------------------------------------------------------------
// Value types.
//
// "Slot" arguments are the address of a value slot inside a record buffer; "value pointer"
// arguments are what a slot designates: the slot itself for fixed-size types, the stored
// reference for the string, wide string and variant types (DereferenceSlot).
class TcxValueType : public TObject {
  RTL_DECLARE_CLASS(TcxValueType, TObject)
public:
  static TcxValueType* Instance();
  TcxValueType(const TcxValueType&) = delete;
  TcxValueType& operator=(const TcxValueType&) = delete;

  // CompareDataValues on the two slots, dereferenced first.
  virtual Integer CompareStoredValues(const void* ASlot1, const void* ASlot2);
  // Releases what the slot owns (the referenced string or variant, the referenced object).
  virtual void FreeStoredValue(void* ASlot);
  // Releases the display text a text slot references.
  virtual void FreeStoredText(void* ATextSlot);
  // Bytes of the value slot.
  virtual Integer GetValueSize();
  // The slot's value as a variant.
  virtual void DataToVariant(const void* ASlot, Variant& V);
  // The slot's value as text; '' when the variant has no text form.
  virtual void GetValueText(const void* ASlot, std::string& S);
  virtual void GetStoredText(const void* ATextSlot, std::string& S);
  // Stream form of a value and of a display text (see each type).
  virtual void ReadValue(void* ASlot, TStream* AStream);
  virtual void ReadText(void* ATextSlot, TStream* AStream);
  // Stores the variant converted to the type; raises the platform's variant conversion
  // error when it cannot be converted (the slot is then unchanged).
  virtual void VariantToData(void* ASlot, const Variant& V);
  virtual void SetStoredText(void* ATextSlot, const std::string& S);
  virtual void WriteValue(const void* ASlot, TStream* AStream);
  virtual void WriteText(const void* ATextSlot, TStream* AStream);
  // The class name without a leading "Tcx" and without the first "ValueType".
  virtual std::string GetCaption();
  // Negative, zero or positive for two value pointers.
  virtual Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2);
  virtual void StoredValueToVariant(const void* AValuePtr, Variant& V);
  virtual TVarType GetVariantType();
  // Null is valid; otherwise whether the value converts to GetVariantType.
  virtual bool IsValueValid(const Variant& V);
  virtual bool IsStringType();
  // Turns a slot address into the value pointer (reference types only).
  virtual void DereferenceSlot(const void*& APtr);

protected:
  TcxValueType() = default;
};

class TcxStringValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxStringValueType, TcxValueType)
public:
  static TcxStringValueType* Instance();
  void FreeStoredValue(void* ASlot) override;
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  void StoredValueToVariant(const void* AValuePtr, Variant& V) override;
  TVarType GetVariantType() override;
  bool IsStringType() override;
  void DereferenceSlot(const void*& APtr) override;

protected:
  TcxStringValueType() = default;
};

// Wide strings are kept as the system's 8-bit text (as wide variants are); they order by
// their UTF-16 code units.
class TcxWideStringValueType : public TcxStringValueType {
  RTL_DECLARE_CLASS(TcxWideStringValueType, TcxStringValueType)
public:
  static TcxWideStringValueType* Instance();
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxWideStringValueType() = default;
};

class TcxSmallintValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxSmallintValueType, TcxValueType)
public:
  static TcxSmallintValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxSmallintValueType() = default;
};

class TcxIntegerValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxIntegerValueType, TcxValueType)
public:
  static TcxIntegerValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxIntegerValueType() = default;
};

class TcxWordValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxWordValueType, TcxValueType)
public:
  static TcxWordValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxWordValueType() = default;
};

class TcxBooleanValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxBooleanValueType, TcxValueType)
public:
  static TcxBooleanValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  // The platform's true/false words.
  void GetValueText(const void* ASlot, std::string& S) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxBooleanValueType() = default;
};

class TcxFloatValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxFloatValueType, TcxValueType)
public:
  static TcxFloatValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxFloatValueType() = default;
};

class TcxCurrencyValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxCurrencyValueType, TcxValueType)
public:
  static TcxCurrencyValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxCurrencyValueType() = default;
};

class TcxDateTimeValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxDateTimeValueType, TcxValueType)
public:
  static TcxDateTimeValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxDateTimeValueType() = default;
};

class TcxLargeIntValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxLargeIntValueType, TcxValueType)
public:
  static TcxLargeIntValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxLargeIntValueType() = default;
};

// The platform's 34-byte TBcd; read as a double, stored exactly.
class TcxFMTBcdValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxFMTBcdValueType, TcxValueType)
public:
  static TcxFMTBcdValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  // The exact decimal text.
  void GetValueText(const void* ASlot, std::string& S) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxFMTBcdValueType() = default;
};

// The platform's 16-byte TSQLTimeStamp; read as a date.
class TcxSQLTimeStampValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxSQLTimeStampValueType, TcxValueType)
public:
  static TcxSQLTimeStampValueType* Instance();
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

protected:
  TcxSQLTimeStampValueType() = default;
};

class TcxVariantValueType : public TcxValueType {
  RTL_DECLARE_CLASS(TcxVariantValueType, TcxValueType)
public:
  static TcxVariantValueType* Instance();
  void FreeStoredValue(void* ASlot) override;
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  void StoredValueToVariant(const void* AValuePtr, Variant& V) override;
  TVarType GetVariantType() override;
  void DereferenceSlot(const void*& APtr) override;

protected:
  TcxVariantValueType() = default;
};

// An owned object kept as a pointer-sized integer: its variant is a varInt64 holding the
// address, and freeing the stored value frees the object. Nothing is streamed.
class TcxObjectValueType : public TcxIntegerValueType {
  RTL_DECLARE_CLASS(TcxObjectValueType, TcxIntegerValueType)
public:
  static TcxObjectValueType* Instance();
  void FreeStoredValue(void* ASlot) override;
  Integer GetValueSize() override;
  void DataToVariant(const void* ASlot, Variant& V) override;
  void ReadValue(void* ASlot, TStream* AStream) override;
  void VariantToData(void* ASlot, const Variant& V) override;
  void WriteValue(const void* ASlot, TStream* AStream) override;
  Integer CompareDataValues(const void* AValuePtr1, const void* AValuePtr2) override;
  TVarType GetVariantType() override;

  // The object a variant of this type designates (null for Null, Empty and 0).
  static TObject* VariantToObject(const Variant& V);
  static Variant ObjectToVariant(TObject* AObject);

protected:
  TcxObjectValueType() = default;
};

// ---------------------------------------------------------------------------------------
// Value definitions.

// One column of the storage.
class TcxValueDef : public TObject {
  RTL_DECLARE_CLASS(TcxValueDef, TObject)
public:
  struct TCreateArgs {
    TcxValueDefs* ValueDefs;
    TcxValueTypeClass ValueTypeClass;
  };
  using TConstructorArg = const TCreateArgs*;

  TcxValueDef(TcxValueDefs* AValueDefs, TcxValueTypeClass AValueTypeClass);
  explicit TcxValueDef(const TCreateArgs* Args) : TcxValueDef(Args->ValueDefs, Args->ValueTypeClass) {}
  // Takes the definition out of its set; the set's record buffers lose its bytes.
  ~TcxValueDef() override;

  TcxValueDefs* ValueDefs() const { return FValueDefs; }
  TcxValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  TObject* LinkObject() { return GetLinkObject(); }
  bool Stored() const { return FStored; }
  void SetStored(bool AValue);
  bool TextStored() const { return FTextStored; }
  void SetTextStored(bool AValue);
  Integer Offset() const { return FOffset; }
  Integer DataSize() const { return FDataSize; }
  Integer BufferSize() const { return FBufferSize; }

  virtual TObject* GetLinkObject();
  virtual bool IsStored();
  virtual void SetLinkObject(TObject* AValue);
  // Copies Stored and TextStored.
  virtual void Assign(TcxValueDef* ASource);

  bool IsTextStored() { return IsStored() && TextStored(); }
  bool IsStringType() { return FValueTypeClass->IsStringType(); }

  // Value and text in a record buffer of the definition's set.
  void GetValue(const Byte* ABuffer, Variant& V);
  // Null releases the previous value and zero-fills the slot; any other value is
  // converted first, so a failed conversion leaves the record as it was.
  void SetValue(Byte* ABuffer, const Variant& V);
  static void SetNull(Byte* AFlagPtr, bool AIsNull);
  void GetDisplayText(const Byte* ABuffer, std::string& S);
  void SetDisplayText(Byte* ABuffer, const std::string& S);
  // Releases what the column owns in the buffer (the buffer itself stays).
  void FreeBuffer(Byte* ABuffer);
  // Null first; two Nulls are equal.
  Integer CompareBuffers(const Byte* ABuffer1, const Byte* ABuffer2);
  Integer CompareValues(bool AIsNull1, bool AIsNull2, const void* AValuePtr1, const void* AValuePtr2);

  // Layout plumbing: whether the column has a slot (and a text slot) in its set's records.
  bool HasSlot() const { return FBufferSize > 0; }
  bool HasTextSlot() const { return FLaidOutText; }
  // Whether the buffer's null flag says Null (true also without a slot).
  bool IsNullIn(const Byte* ABuffer) const { return !HasSlot() || ABuffer[FOffset] == 0; }
  // The value pointer of the column in a buffer.
  const void* ValuePointerIn(const Byte* ABuffer);

protected:
  friend class TcxValueDefs;
  friend class TcxDataStorage;

  // Fixes the column's share of the layout at AOffset; ACapture re-reads Stored and
  // TextStored (only allowed while no buffer of the set exists).
  Integer Layout(Integer AOffset, bool ACapture);

  TcxValueDefs* FValueDefs;
  TcxValueTypeClass FValueTypeClass;
  TObject* FLinkObject = nullptr;
  bool FStored = true;
  bool FTextStored = false;
  Integer FOffset = 0;
  Integer FDataSize = 0;
  Integer FBufferSize = 0;
  bool FLaidOut = false;
  bool FLaidOutStored = false;
  bool FLaidOutText = false;
  // A main column's mirror in the internal set.
  TcxValueDef* FInternalMirror = nullptr;
};

// The mirror of a main column in the internal set: always stored; its link object is the
// main column's.
class TcxInternalValueDef : public TcxValueDef {
  RTL_DECLARE_CLASS(TcxInternalValueDef, TcxValueDef)
public:
  TcxInternalValueDef(TcxValueDefs* AValueDefs, TcxValueTypeClass AValueTypeClass)
      : TcxValueDef(AValueDefs, AValueTypeClass) {}
  explicit TcxInternalValueDef(const TCreateArgs* Args) : TcxValueDef(Args) {}

  TObject* GetLinkObject() override;
  bool IsStored() override { return true; }
  // The main column this one mirrors.
  TcxValueDef* MainValueDef() const { return static_cast<TcxValueDef*>(FLinkObject); }
};

class TcxValueDefs : public TObject {
  RTL_DECLARE_CLASS(TcxValueDefs, TObject)
public:
  explicit TcxValueDefs(TcxDataStorage* AStorage);
  ~TcxValueDefs() override;
  TcxValueDefs(const TcxValueDefs&) = delete;
  TcxValueDefs& operator=(const TcxValueDefs&) = delete;

  virtual void Changed(TcxValueDef* AValueDef, bool AIsTextStoredChange);
  virtual TClass GetValueDefClass();
  // Lays the definitions out one after the other from ARecordOffset; sets RecordSize.
  virtual void Prepare(Integer ARecordOffset);

  TcxValueDef* Add(TcxValueTypeClass AValueTypeClass, bool AStored, TObject* ALinkObject, bool ATextStored = false);
  void Remove(TcxValueDef* AItem);
  // Destroys the definitions from the last.
  void Clear();

  TcxDataStorage* DataStorage() const { return FDataStorage; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxValueDef* Items(Integer AIndex) const;
  Integer IndexOf(const TcxValueDef* AItem) const;
  Integer StoredCount();
  Integer RecordOffset() const { return FRecordOffset; }
  Integer RecordSize() const { return FRecordSize; }
  // Whether this is the storage's internal set.
  bool IsInternal() const;

protected:
  friend class TcxValueDef;
  // Called by a definition being destroyed.
  void RemoveItem(TcxValueDef* AItem);

  TcxDataStorage* FDataStorage;
  std::vector<TcxValueDef*> FItems;
  Integer FRecordOffset = 0;
  Integer FRecordSize = 0;
};

class TcxInternalValueDefs : public TcxValueDefs {
  RTL_DECLARE_CLASS(TcxInternalValueDefs, TcxValueDefs)
public:
  explicit TcxInternalValueDefs(TcxDataStorage* AStorage) : TcxValueDefs(AStorage) {}
  TClass GetValueDefClass() override;
};

// ---------------------------------------------------------------------------------------
// The source of values for TcxDataStorage::ReadRecord.
class TcxValueDefReader : public TObject {
  RTL_DECLARE_CLASS(TcxValueDefReader, TObject)
public:
  TcxValueDefReader() = default;
  virtual void GetDisplayText(TcxValueDef* AValueDef, std::string& S);
  virtual void GetValue(TcxValueDef* AValueDef, Variant& V);
  virtual bool IsInternal(TcxValueDef* AValueDef);
};

using TcxValueDefProc = std::function<void(Integer ARecordIndex, TcxValueDef* AValueDef)>;

// ---------------------------------------------------------------------------------------
// The record storage. Ordinary records have indexes 0 .. RecordCount-1; internal records
// have indexes -1, -2, ... An index outside the records raises EListError.
class TcxDataStorage : public TObject {
  RTL_DECLARE_CLASS(TcxDataStorage, TObject)
public:
  TcxDataStorage();
  ~TcxDataStorage() override;
  TcxDataStorage(const TcxDataStorage&) = delete;
  TcxDataStorage& operator=(const TcxDataStorage&) = delete;

  virtual void InitStructure(TcxValueDefs* AValueDefs);
  virtual void ValueDefsChanged(TcxValueDef* AValueDef, bool AIsTextStoredChange);
  virtual TcxValueDefs* GetValueDefsByRecordIndex(Integer ARecordIndex);

  TcxValueDefs* ValueDefs() const { return FValueDefs; }
  TcxInternalValueDefs* InternalValueDefs() const { return FInternalValueDefs; }

  Integer RecordCount() const { return static_cast<Integer>(FRecords.size()); }
  void SetRecordCount(Integer ACount);
  Integer AppendRecord();
  void InsertRecord(Integer AIndex);
  void DeleteRecord(Integer AIndex);
  Integer AddInternalRecord();
  void DeleteInternalRecord(Integer AIndex);
  Integer InternalRecordCount() const { return static_cast<Integer>(FInternalRecords.size()); }
  // Whether the record has a buffer.
  bool HasBuffer(Integer ARecordIndex) const;
  // Whether an internal record is reserved (has a buffer with the in-use bit).
  bool IsInternalRecordInUse(Integer ARecordIndex) const;

  void GetValue(Integer ARecordIndex, TcxValueDef* AValueDef, Variant& V);
  Variant GetValue(Integer ARecordIndex, TcxValueDef* AValueDef);
  void SetValue(Integer ARecordIndex, TcxValueDef* AValueDef, const Variant& V);
  void GetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef, std::string& S);
  std::string GetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef);
  void SetDisplayText(Integer ARecordIndex, TcxValueDef* AValueDef, const std::string& S);
  void ReadRecord(Integer ARecordIndex, TcxValueDefReader* AReader, bool ASkipInternalFields);
  void ForEachValueDef(Integer ARecordIndex, const TcxValueDefProc& AProc);
  // A record without a buffer comes before one with a buffer (even a Null value).
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TcxValueDef* AValueDef);
  // True when the value is Null; otherwise APtr designates the value.
  bool GetValuePointer(Integer ARecordIndex, TcxValueDef* AValueDef, const void*& APtr);

  void Clear(bool AKeepInternal);
  void ClearRecords(bool AClearList);
  void ClearInternalRecords();

  bool StoredValuesOnly() const { return FStoredValuesOnly; }
  void SetStoredValuesOnly(bool AValue);

  void BeginLoad() {}
  void EndLoad() {}

  const TNotifyEvent& OnClearInternalRecords() const { return FOnClearInternalRecords; }
  void SetOnClearInternalRecords(const TNotifyEvent& AValue) { FOnClearInternalRecords = AValue; }

  // Plumbing for the definition sets.
  // The definition of the record's set that stands for AValueDef.
  TcxValueDef* ValueDefFor(Integer ARecordIndex, TcxValueDef* AValueDef);
  // The buffers of a set's records (null entries for records without one).
  std::vector<Byte*>& BuffersOf(TcxValueDefs* AValueDefs);
  bool SetHasBuffers(TcxValueDefs* AValueDefs);

private:
  Byte*& bufferSlot(Integer ARecordIndex);
  Byte* buffer(Integer ARecordIndex) const;
  Byte* needBuffer(Integer ARecordIndex);
  void freeRecordBuffer(Byte*& ABuffer, TcxValueDefs* AValueDefs);

  TcxValueDefs* FValueDefs = nullptr;
  TcxInternalValueDefs* FInternalValueDefs = nullptr;
  std::vector<Byte*> FRecords;
  std::vector<Byte*> FInternalRecords;
  bool FStoredValuesOnly = false;
  TNotifyEvent FOnClearInternalRecords;
};

// ---------------------------------------------------------------------------------------
// A key/text list kept in ascending key order (cxCompareVariants).
struct TcxLookupListItem {
  Variant KeyValue;
  std::string DisplayText;
};

class TcxLookupList : public TObject {
  RTL_DECLARE_CLASS(TcxLookupList, TObject)
public:
  TcxLookupList() = default;

  void Clear();
  // Binary search; on a miss AIndex is where the key belongs.
  bool Find(const Variant& AKeyValue, Integer& AIndex);
  void Insert(Integer AIndex, const Variant& AKeyValue, const std::string& ADisplayText);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TcxLookupListItem& Items(Integer AIndex) const;

private:
  std::vector<TcxLookupListItem> FItems;
};

// ---------------------------------------------------------------------------------------
// The registry of value type classes.
class TcxValueTypeClassList : public TObject {
  RTL_DECLARE_CLASS(TcxValueTypeClassList, TObject)
public:
  TcxValueTypeClassList() = default;
  // Adds the class when it is not there yet.
  void Register(TcxValueTypeClass AClass);
  void Unregister(TcxValueTypeClass AClass);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxValueTypeClass Items(Integer AIndex) const;

private:
  std::vector<TcxValueTypeClass> FItems;
};

// The one registry, made on first use.
TcxValueTypeClassList* cxValueTypeClassList();

namespace cxDataStorageUnit {
// Registers the value types; Finalize unregisters them in reverse order and frees the list.
void Initialize();
void Finalize();
}  // namespace cxDataStorageUnit
