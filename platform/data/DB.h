#pragma once
// DB: data sets, fields, field definitions, data sources and data links, parameters.
//
// Sections, in order:
//   errors and texts       EDatabaseError, DatabaseError, the messages callers compare with
//   types                  states, events, field types and kinds, options, bookmarks
//   field definitions      TFieldDef, TFieldDefs
//   fields                 TFields, TField and its classes (one per TFieldType)
//   data set               TDataSet
//   data source and link   TDataSource, TDataLink
//   parameters             TParam, TParams
//
// The record model. A data set holds its rows in memory (a descendant fills them when it
// opens and writes posted changes back wherever they came from). What callers see is the
// "view": the rows that pass the filter, in row order. Navigation moves a current position in
// the view; a window of record buffers (BufferCount of them, the largest count any data link
// asks for) holds the current record and its neighbours, so a grid can show several records
// at once: ActiveRecord is the current record's index in the window, and a data link may set
// it for a moment to read another record of the window through the fields. Bookmarks are
// strings naming a row (they stay valid while the row exists); CompareBookmarks orders them
// by row order.
//
// Notifications follow the class library's order: a state change reaches the data sources
// (deUpdateState) before the event handlers that follow it, field changes reach the links
// (deFieldChange) before the field's OnChange, Post asks the links for their pending values
// (deUpdateRecord) before BeforePost, and so on; each operation below says what it sends.
//
// Errors are EDatabaseError raised through DatabaseError, whose message is prefixed with the
// component's name and ": " when the component has a name (as "Orders: Field 'X' not found").

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/data/FMTBcd.h"
#include "platform/data/SqlTimSt.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;
class TObjectField;
class TDataSetField;
class TParam;
class TParams;
namespace dbfilter {
class Expression;
}

// =======================================================================================
// Errors and texts
// =======================================================================================

RTL_EXCEPTION(EDatabaseError, Exception)

// Raises EDatabaseError; with a named Component the message becomes "Name: Message".
[[noreturn]] void DatabaseError(const std::string& Message, TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const std::string& Message, const std::vector<TVarRec>& Args,
                                   TComponent* Component = nullptr);

// The messages of this unit (Format patterns where they take arguments).
inline constexpr const char SFieldNotFound[] = "Field '%s' not found";
inline constexpr const char SFieldNameMissing[] = "Field name missing";
inline constexpr const char SDuplicateFieldName[] = "Duplicate field name '%s'";
inline constexpr const char SFieldIndexError[] = "Field index out of range";
inline constexpr const char SDataSetOpen[] = "Cannot perform this operation on an open dataset";
inline constexpr const char SDataSetClosed[] = "Cannot perform this operation on a closed dataset";
inline constexpr const char SNotEditing[] = "Dataset not in edit or insert mode";
inline constexpr const char SDataSetReadOnly[] = "Cannot modify a read-only dataset";
inline constexpr const char SDataSetEmpty[] = "Cannot perform this operation on an empty dataset";
inline constexpr const char SFieldRequired[] = "Field '%s' must have a value";
inline constexpr const char SFieldReadOnly[] = "Field '%s' cannot be modified";
inline constexpr const char SFieldAccessError[] = "Cannot access field '%s' as type %s";
inline constexpr const char SFieldTypeMismatch[] = "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char SFieldRangeError[] = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char SInvalidIntegerValue[] = "'%s' is not a valid integer value for field '%s'";
inline constexpr const char SInvalidFloatValue[] = "'%s' is not a valid floating point value for field '%s'";
inline constexpr const char SInvalidBoolValue[] = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char SInvalidBcdValue[] = "'%s' is not a valid BCD value for field '%s'";
inline constexpr const char SFieldValueTooLarge[] = "Value too large for field '%s'";
inline constexpr const char SCircularDataLink[] = "Circular datalinks are not allowed";
inline constexpr const char SPropDefByLookup[] = "Property already defined by lookup field";
inline constexpr const char SLookupInfoError[] = "Lookup information for field '%s' is incomplete";
inline constexpr const char SDataSourceChange[] = "DataSource cannot be changed";
inline constexpr const char SRecordNotFound[] = "Record not found";
inline constexpr const char SBookmarkInvalid[] = "Invalid bookmark";
inline constexpr const char SParameterNotFound[] = "Parameter '%s' not found";
inline constexpr const char SInvalidFieldKind[] = "Invalid FieldKind";
inline constexpr const char SNoFieldClass[] = "No field class for field '%s' of type %s";
inline constexpr const char STextTrue[] = "True";
inline constexpr const char STextFalse[] = "False";
// Filter expressions.
inline constexpr const char SExprTermination[] = "Filter expression incorrectly terminated";
inline constexpr const char SExprNameError[] = "Unterminated field name";
inline constexpr const char SExprStringError[] = "Unterminated string constant";
inline constexpr const char SExprInvalidChar[] = "Invalid filter expression character: '%s'";
inline constexpr const char SExprNoRParen[] = "')' expected but %s found";
inline constexpr const char SExprExpected[] = "Expression expected but %s found";
inline constexpr const char SExprNothing[] = "nothing";
inline constexpr const char SExprTypeMis[] = "Type mismatch in expression";
inline constexpr const char SExprBadNullTest[] = "NULL only allowed with '=' and '<>'";

// =======================================================================================
// Types
// =======================================================================================

RTL_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
         dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening)
using TDataSetStates = Set<TDataSetState>;
// States in which the current record is being changed, and states in which fields accept values.
inline const TDataSetStates dsEditModes{dsEdit, dsInsert, dsSetKey};
inline const TDataSetStates dsWriteModes{dsEdit,   dsInsert,   dsSetKey,      dsCalcFields,
                                         dsFilter, dsNewValue, dsInternalCalc};

// What a data set tells its data sources and links (Info in brackets):
//   deFieldChange [the TField*]   a field of the current record changed
//   deRecordChange [0]            the current record changed as a whole (Edit)
//   deDataSetChange [0]           the records shown may all have changed (open, Post, First ...)
//   deDataSetScroll [shift]       the current record moved; the window's records moved by -shift
//   deLayoutChange [0]            the fields changed (visibility, order, display width ...)
//   deUpdateRecord [0]            controls must store their pending values now (Post)
//   deUpdateState [0]             the state changed
//   deCheckBrowseMode [0]         an operation is about to leave edit mode
//   deFocusControl [TField**]     a control should take focus for the field
//   deDisabledStateChange [1/0]   DisableControls began (1) or EnableControls ended (0)
// dePropertyChange, deFieldListChange, deParentScroll, deConnectChange and deReconcileError
// complete the list; this unit sends deFieldListChange when Fields change.
RTL_ENUM(TDataEvent, deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
         deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl, deParentScroll,
         deConnectChange, deReconcileError, deDisabledStateChange)

RTL_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
         ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle,
         ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference,
         ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd)
using TBlobType = TFieldType;

// The type's name as messages show it ("String", "Integer", "DateTime" ...).
std::string FieldTypeName(TFieldType Type);
// The field class that represents a type (null for ftUnknown and ftCursor).
TClass DefaultFieldClass(TFieldType Type);

RTL_ENUM(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)
using TFieldKinds = Set<TFieldKind>;

RTL_ENUM(TFieldAttribute, faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed)
using TFieldAttributes = Set<TFieldAttribute>;

RTL_ENUM(TProviderFlag, pfInUpdate, pfInWhere, pfInKey, pfHidden)
using TProviderFlags = Set<TProviderFlag>;

RTL_ENUM(TLocateOption, loCaseInsensitive, loPartialKey)
using TLocateOptions = Set<TLocateOption>;

RTL_ENUM(TFilterOption, foCaseInsensitive, foNoPartialCompare)
using TFilterOptions = Set<TFilterOption>;

// What an OnPostError/OnEditError/OnDeleteError handler decides: let the error through,
// turn it into a silent abort, or try the operation again.
RTL_ENUM(TDataAction, daFail, daAbort, daRetry)

RTL_ENUM(TParamType, ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult)

RTL_ENUM(TBookmarkFlag, bfCurrent, bfBOF, bfEOF, bfInserted)

// Where Resync places the current record in the window: rmCenter in the middle; otherwise
// at the same window index as before, as far as the records allow.
RTL_ENUM(TResyncModeItem, rmExact, rmCenter)
using TResyncMode = Set<TResyncModeItem>;

// Bookmarks are strings; "" is no bookmark.
using TBookmark = std::string;
using TBookmarkStr = std::string;

// Events.
using TDataSetNotifyEvent = TEvent<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = TEvent<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = TEvent<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = TEvent<void(TField* Sender)>;
using TFieldGetTextEvent = TEvent<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = TEvent<void(TField* Sender, const std::string& Text)>;
using TDataChangeEvent = TEvent<void(TObject* Sender, TField* Field)>;

// The field name at Pos (1-based) of a ';'-separated list, trimmed, with Pos moved past the
// separator; "" at the end.
std::string ExtractFieldName(const std::string& Fields, Integer& Pos);

// The names of a ';'-separated list, trimmed, empty names left out.
std::vector<std::string> splitFieldNames(const std::string& Names);
// The values of several named fields or parameters as one variant: the value itself for
// one, a variant array from 0 for several.
Variant valuesAsVariant(const std::vector<Variant>& Values);
// The value for the i-th name of a list from such a variant: element i of an array (counted
// from its low bound), or the variant itself when it is no array.
Variant valueForName(const Variant& Values, size_t i);

// =======================================================================================
// Field definitions
// =======================================================================================

// What a data set knows about one of its columns before fields exist.
class TFieldDef : public TCollectionItem {
  RTL_DECLARE_CLASS(TFieldDef, TCollectionItem)
public:
  explicit TFieldDef(TCollection* Collection);

  // A field of the definition's class for DataSet, owned by Owner (the data set for default
  // fields), with the definition's name, size and required flag.
  TField* CreateField(TComponent* Owner, TObjectField* ParentField = nullptr, const std::string& FieldName = "",
                      bool CreateChildren = true);
  TClass FieldClass() const;
  // The field number: 1-based position among the definitions.
  Integer FieldNo() const { return Index() + 1; }
  bool InternalCalcField() const { return FInternalCalcField; }
  void SetInternalCalcField(bool Value) { FInternalCalcField = Value; }

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  std::string DisplayName() const override { return FName; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value);
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  TFieldAttributes Attributes() const { return FAttributes; }
  void SetAttributes(TFieldAttributes Value) { FAttributes = Value; }
  bool Required() const { return FAttributes.Contains(faRequired); }
  void SetRequired(bool Value);
  TFieldDefs* FieldDefs() const;

  void Assign(TPersistent* Source) override;

private:
  std::string FName;
  TFieldType FDataType = ftUnknown;
  Integer FSize = 0;
  Integer FPrecision = 0;
  TFieldAttributes FAttributes;
  bool FInternalCalcField = false;
};

class TFieldDefs : public TOwnedCollection {
  RTL_DECLARE_CLASS(TFieldDefs, TOwnedCollection)
public:
  explicit TFieldDefs(TPersistent* AOwner);

  TFieldDef* AddFieldDef();
  void Add(const std::string& Name, TFieldType DataType, Integer Size = 0, bool Required = false);
  // The definition named (without regard to case); Find raises "Field 'X' not found".
  TFieldDef* Find(const std::string& Name) const;
  Integer IndexOf(const std::string& Name) const;
  void GetItemNames(TStrings* List) const;
  // Asks the data set to describe its columns (without opening it) unless already Updated.
  void Update();
  bool Updated() const { return FUpdated; }
  void SetUpdated(bool Value) { FUpdated = Value; }
  TFieldDef* Items(Integer Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
  TFieldDef* operator[](Integer Index) const { return Items(Index); }
  TDataSet* DataSet() const { return FDataSet; }

private:
  TDataSet* FDataSet;
  bool FUpdated = false;
};

// =======================================================================================
// Fields
// =======================================================================================

// The fields of a data set, in display order. Clear frees them.
class TFields : public TObject {
  RTL_DECLARE_CLASS(TFields, TObject)
public:
  explicit TFields(TDataSet* ADataSet);
  ~TFields() override;
  TFields(const TFields&) = delete;
  TFields& operator=(const TFields&) = delete;

  void Add(TField* Field);
  void Remove(TField* Field);
  void Clear();
  void CheckFieldName(const std::string& FieldName) const;   // empty or duplicate: EDatabaseError
  void CheckFieldNames(const std::string& FieldNames) const;  // every ';'-separated name exists
  TField* FindField(const std::string& FieldName) const;       // null when absent
  TField* FieldByName(const std::string& FieldName) const;     // "Field 'X' not found"
  TField* FieldByNumber(Integer FieldNo) const;                // null when absent
  void GetFieldNames(TStrings* List) const;
  Integer IndexOf(const TField* Field) const;

  Integer Count() const { return static_cast<Integer>(FList.size()); }
  // "Field index out of range" outside 0..Count-1.
  TField* Fields(Integer Index) const;
  TField* operator[](Integer Index) const { return Fields(Index); }
  TDataSet* DataSet() const { return FDataSet; }
  const std::vector<TField*>& List() const { return FList; }

private:
  friend class TField;
  void SetFieldIndex(TField* Field, Integer Value);
  void Changed();

  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// One column of a data set as callers see it: its value in the current record, converted
// on demand (AsString, AsInteger ...), its display attributes, and for calculated and lookup
// fields how its value is made. A field belongs to one data set (SetDataSet) and reads the
// data set's current record; reading a field of a closed or empty data set gives Null.
//
// Conversions: each class keeps its value in one variant kind and converts from and to the
// others as the class library does. A conversion the class does not offer raises
// EDatabaseError "Cannot access field 'X' as type T"; text that is not a value of the field's
// kind raises EDatabaseError ("'abc' is not a valid integer value for field 'X'") or, for
// dates and text fields read as numbers, SysUtils' EConvertError. Null reads as "" (AsString),
// 0 (numbers and dates) and False.
class TField : public TComponent {
  RTL_DECLARE_CLASS(TField, TComponent)
public:
  explicit TField(TComponent* AOwner);
  ~TField() override;

  // --- Value and conversions.
  Variant Value() const { return GetAsVariant(); }
  void SetValue(const Variant& V) { SetAsVariant(V); }
  Variant AsVariant() const { return GetAsVariant(); }
  // Null or Empty clears the field.
  void SetAsVariant(const Variant& V);
  std::string AsString() const { return GetAsString(); }
  void SetAsString(const std::string& V) { SetAsStringValue(V); }
  Integer AsInteger() const { return GetAsInteger(); }
  void SetAsInteger(Integer V) { SetAsIntegerValue(V); }
  Int64 AsLargeInt() const { return GetAsLargeInt(); }
  void SetAsLargeInt(Int64 V) { SetAsLargeIntValue(V); }
  double AsFloat() const { return GetAsFloat(); }
  void SetAsFloat(double V) { SetAsFloatValue(V); }
  Currency AsCurrency() const { return GetAsCurrency(); }
  void SetAsCurrency(Currency V) { SetAsCurrencyValue(V); }
  bool AsBoolean() const { return GetAsBoolean(); }
  void SetAsBoolean(bool V) { SetAsBooleanValue(V); }
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  void SetAsDateTime(TDateTime V) { SetAsDateTimeValue(V); }
  TBcd AsBCD() const { return GetAsBCD(); }
  void SetAsBCD(const TBcd& V) { SetAsBCDValue(V); }
  TSQLTimeStamp AsSQLTimeStamp() const { return GetAsSQLTimeStamp(); }
  void SetAsSQLTimeStamp(const TSQLTimeStamp& V) { SetAsSQLTimeStampValue(V); }
  virtual bool IsNull() const;
  // Sets the field to Null.
  virtual void Clear();
  // The value the current record has in the data set's rows, before the pending edit (Null
  // for a record being inserted); NewValue is Value; CurValue is OldValue here.
  Variant OldValue() const;
  Variant NewValue() const { return Value(); }
  Variant CurValue() const { return OldValue(); }

  // --- Text. Text is the editing text (EditFormat), DisplayText what a control shows
  // (DisplayFormat); OnGetText may replace both. Setting Text goes through OnSetText when
  // assigned, else through AsString.
  std::string Text() const;
  void SetText(const std::string& Value);
  std::string DisplayText() const;
  // Whether a control may let the user type c into this field.
  virtual bool IsValidChar(char InputChar) const;
  // Asks the data set's controls to focus this field (deFocusControl).
  void FocusControl();
  // Copies the value of another field, or clears for null.
  void Assign(TPersistent* Source) override;

  // --- Attributes.
  TDataSet* DataSet() const { return FDataSet; }
  // Joins the fields of ADataSet (which must be closed); EDatabaseError for a duplicate name.
  virtual void SetDataSet(TDataSet* ADataSet);
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  std::string FullName() const { return FFieldName; }
  // 1-based number of the field's definition (0 for calculated and lookup fields).
  Integer FieldNo() const { return FFieldNo; }
  // Position in DataSet->Fields().
  Integer Index() const;
  void SetIndex(Integer Value);
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  bool Calculated() const { return FFieldKind == fkCalculated; }
  void SetCalculated(bool Value) { SetFieldKind(Value ? fkCalculated : fkData); }
  bool Lookup() const { return FFieldKind == fkLookup; }
  void SetLookup(bool Value) { SetFieldKind(Value ? fkLookup : fkData); }
  std::string DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  std::string DisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const std::string& Value);
  bool IsDisplayLabelStored() const { return !FDisplayLabel.empty(); }
  // Characters a control shows; the class's default until set.
  Integer DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
  void SetDisplayWidth(Integer Value);
  bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  // Whether a value may be written now: not read-only, a data set that can modify (or a
  // calculated field), and not a lookup field without key fields.
  bool CanModify() const;
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  virtual bool IsBlob() const { return false; }
  const std::string& EditMask() const { return FEditMask; }
  void SetEditMask(const std::string& Value) { FEditMask = Value; }
  const std::string& Origin() const { return FOrigin; }
  void SetOrigin(const std::string& Value) { FOrigin = Value; }
  TProviderFlags ProviderFlags() const { return FProviderFlags; }
  void SetProviderFlags(TProviderFlags Value) { FProviderFlags = Value; }
  const std::string& DefaultExpression() const { return FDefaultExpression; }
  void SetDefaultExpression(const std::string& Value) { FDefaultExpression = Value; }
  const std::string& CustomConstraint() const { return FCustomConstraint; }
  void SetCustomConstraint(const std::string& Value) { FCustomConstraint = Value; }
  const std::string& ConstraintErrorMessage() const { return FConstraintErrorMessage; }
  void SetConstraintErrorMessage(const std::string& Value) { FConstraintErrorMessage = Value; }
  TObjectField* ParentField() const { return FParentField; }
  void SetParentField(TObjectField* Value) { FParentField = Value; }

  // --- Lookup fields: the value is LookupDataSet's LookupResultField in the record whose
  // LookupKeyFields equal this data set's KeyFields. Setting LookupDataSet to the field's own
  // data set raises "Circular datalinks are not allowed".
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  const std::string& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const std::string& Value) { FLookupKeyFields = Value; }
  const std::string& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const std::string& Value) { FLookupResultField = Value; }
  const std::string& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const std::string& Value) { FKeyFields = Value; }
  bool LookupCache() const { return FLookupCache; }
  void SetLookupCache(bool Value) { FLookupCache = Value; }

  // --- Events.
  const TFieldNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TFieldNotifyEvent& Value) { FOnChange = Value; }
  const TFieldNotifyEvent& OnValidate() const { return FOnValidate; }
  void SetOnValidate(const TFieldNotifyEvent& Value) { FOnValidate = Value; }
  const TFieldGetTextEvent& OnGetText() const { return FOnGetText; }
  void SetOnGetText(const TFieldGetTextEvent& Value) { FOnGetText = Value; }
  const TFieldSetTextEvent& OnSetText() const { return FOnSetText; }
  void SetOnSetText(const TFieldSetTextEvent& Value) { FOnSetText = Value; }

  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void SetParentComponent(TComponent* Value) override;

protected:
  // The conversions each class overrides. The base raises "Cannot access field 'X' as type T".
  virtual std::string GetAsString() const;
  virtual void SetAsStringValue(const std::string& V);
  virtual Integer GetAsInteger() const;
  virtual void SetAsIntegerValue(Integer V);
  virtual Int64 GetAsLargeInt() const;
  virtual void SetAsLargeIntValue(Int64 V);
  virtual double GetAsFloat() const;
  virtual void SetAsFloatValue(double V);
  virtual Currency GetAsCurrency() const;
  virtual void SetAsCurrencyValue(Currency V);
  virtual bool GetAsBoolean() const;
  virtual void SetAsBooleanValue(bool V);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTimeValue(TDateTime V);
  virtual TBcd GetAsBCD() const;
  virtual void SetAsBCDValue(const TBcd& V);
  virtual TSQLTimeStamp GetAsSQLTimeStamp() const;
  virtual void SetAsSQLTimeStampValue(const TSQLTimeStamp& V);
  // The value in the class's own variant kind (Null when null).
  virtual Variant GetAsVariant() const;
  // A non-null variant converted to the class's kind and stored.
  virtual void SetVarValue(const Variant& V);
  // Text and DisplayText without OnGetText.
  virtual void GetText(std::string& Text, bool DisplayText) const;
  virtual void SetTextValue(const std::string& Value);
  virtual Integer GetDefaultWidth() const { return 10; }
  // The value as stored in the record, in the class's kind; Null when there is none.
  Variant GetData() const;
  // Stores a value in the class's kind (Null clears), with the data set's checks and events.
  void SetData(const Variant& V);
  [[noreturn]] void AccessError(const std::string& TypeName) const;
  // "%s is not a valid value for field 'X'. The allowed range is ..." with values as text.
  [[noreturn]] void RangeError(const std::string& Value, const std::string& Min, const std::string& Max) const;
  void CheckReadOnly() const;
  void SetDataType(TFieldType Value) { FDataType = Value; }
  void SetFieldNo(Integer Value) { FFieldNo = Value; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TDataSet;
  friend class TFields;
  friend class TFieldDef;

  TDataSet* FDataSet = nullptr;
  TObjectField* FParentField = nullptr;
  std::string FFieldName;
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  Integer FFieldNo = 0;
  Integer FSlot = -1;  // index of the field's value in a record buffer, while bound
  std::string FDisplayLabel;
  Integer FDisplayWidth = 0;
  bool FVisible = true;
  TAlignment FAlignment = taLeftJustify;
  bool FReadOnly = false;
  bool FRequired = false;
  Integer FSize = 0;
  std::string FEditMask;
  std::string FOrigin;
  TProviderFlags FProviderFlags{pfInUpdate, pfInWhere};
  std::string FDefaultExpression;
  std::string FCustomConstraint;
  std::string FConstraintErrorMessage;
  TDataSet* FLookupDataSet = nullptr;
  std::string FLookupKeyFields;
  std::string FLookupResultField;
  std::string FKeyFields;
  bool FLookupCache = false;
  TFieldNotifyEvent FOnChange;
  TFieldNotifyEvent FOnValidate;
  TFieldGetTextEvent FOnGetText;
  TFieldSetTextEvent FOnSetText;
  // While OnValidate runs, the field reads the value being validated.
  const Variant* FValidating = nullptr;
};

// --- Text fields.

// 8-bit text of at most Size characters (longer values are cut). Its variant is a native
// string (varString). AsBoolean is true for text starting with T, t, Y or y.
class TStringField : public TField {
  RTL_DECLARE_CLASS(TStringField, TField)
public:
  explicit TStringField(TComponent* AOwner);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool Value);
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetAsStringValue(IntToStr(V)); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override { SetAsStringValue(IntToStr(V)); }
  double GetAsFloat() const override;
  void SetAsFloatValue(double V) override { SetAsStringValue(FloatToStr(V)); }
  Currency GetAsCurrency() const override;
  void SetAsCurrencyValue(Currency V) override { SetAsStringValue(CurrToStr(V)); }
  bool GetAsBoolean() const override;
  void SetAsBooleanValue(bool V) override { SetAsStringValue(V ? "T" : "F"); }
  TDateTime GetAsDateTime() const override;
  void SetAsDateTimeValue(TDateTime V) override { SetAsStringValue(DateTimeToStr(V)); }
  TBcd GetAsBCD() const override { return StrToBcd(GetAsString()); }
  void SetAsBCDValue(const TBcd& V) override { SetAsStringValue(BcdToStr(V)); }
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsStringValue(V.AsString()); }
  void GetText(std::string& Text, bool DisplayText) const override { Text = GetAsString(); }
  Integer GetDefaultWidth() const override { return Size(); }
  // The kind the value is kept in (varString here, varOleStr for wide strings).
  virtual Variant MakeText(const std::string& S) const { return Variant(S); }

private:
  bool FFixedChar = false;
  bool FTransliterate = true;
};

// Text whose variant is an OLE string (varOleStr). Text is cp1252 as everywhere.
class TWideStringField : public TStringField {
  RTL_DECLARE_CLASS(TWideStringField, TStringField)
public:
  explicit TWideStringField(TComponent* AOwner);

protected:
  Variant MakeText(const std::string& S) const override { return Variant::MakeOleStr(S); }
};

// A GUID as text "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (Size 38).
class TGuidField : public TStringField {
  RTL_DECLARE_CLASS(TGuidField, TStringField)
public:
  explicit TGuidField(TComponent* AOwner);
  TGUID AsGuid() const;
  void SetAsGuid(const TGUID& Value);
};

// --- Numbers.

// The base of the number fields: right-aligned, with DisplayFormat and EditFormat pictures
// (FormatFloat) for Text and DisplayText.
class TNumericField : public TField {
  RTL_DECLARE_CLASS(TNumericField, TField)
public:
  explicit TNumericField(TComponent* AOwner);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);
  const std::string& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const std::string& Value);

protected:
  // The picture for Text (EditFormat when set) or DisplayText (DisplayFormat).
  const std::string& PictureFor(bool DisplayText) const {
    return DisplayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
  }

private:
  std::string FDisplayFormat;
  std::string FEditFormat;
};

// A 32-bit integer; its variant is varInteger (also for its smallint, word and autoinc
// descendants). MinValue/MaxValue, when either is not 0, bound the values accepted, as the
// class's own range always does.
class TIntegerField : public TNumericField {
  RTL_DECLARE_CLASS(TIntegerField, TNumericField)
public:
  explicit TIntegerField(TComponent* AOwner);
  Integer MinValue() const { return FMinValue; }
  void SetMinValue(Integer Value) { FMinValue = Value; }
  Integer MaxValue() const { return FMaxValue; }
  void SetMaxValue(Integer Value) { FMaxValue = Value; }
  bool IsValidChar(char InputChar) const override;

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override;
  Int64 GetAsLargeInt() const override { return GetAsInteger(); }
  void SetAsLargeIntValue(Int64 V) override;
  double GetAsFloat() const override { return GetAsInteger(); }
  void SetAsFloatValue(double V) override;
  Currency GetAsCurrency() const override { return Currency::FromInt(GetAsInteger()); }
  void SetAsCurrencyValue(Currency V) override { SetAsFloatValue(V.ToDouble()); }
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsIntegerValue(V.AsInteger()); }
  void GetText(std::string& Text, bool DisplayText) const override;
  Integer GetDefaultWidth() const override { return 11; }
  // The range the class itself accepts.
  Int64 FMinRange = INT32_MIN;
  Int64 FMaxRange = INT32_MAX;

private:
  Integer FMinValue = 0;
  Integer FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
  RTL_DECLARE_CLASS(TSmallintField, TIntegerField)
public:
  explicit TSmallintField(TComponent* AOwner);

protected:
  Integer GetDefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
  RTL_DECLARE_CLASS(TWordField, TIntegerField)
public:
  explicit TWordField(TComponent* AOwner);

protected:
  Integer GetDefaultWidth() const override { return 5; }
};

// An integer the database numbers itself.
class TAutoIncField : public TIntegerField {
  RTL_DECLARE_CLASS(TAutoIncField, TIntegerField)
public:
  explicit TAutoIncField(TComponent* AOwner);
};

// A 64-bit integer; its variant is varInt64.
class TLargeintField : public TNumericField {
  RTL_DECLARE_CLASS(TLargeintField, TNumericField)
public:
  explicit TLargeintField(TComponent* AOwner);
  Int64 MinValue() const { return FMinValue; }
  void SetMinValue(Int64 Value) { FMinValue = Value; }
  Int64 MaxValue() const { return FMaxValue; }
  void SetMaxValue(Int64 Value) { FMaxValue = Value; }
  bool IsValidChar(char InputChar) const override;

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetAsLargeIntValue(V); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override;
  double GetAsFloat() const override { return static_cast<double>(GetAsLargeInt()); }
  void SetAsFloatValue(double V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsLargeIntValue(V.AsInt64()); }
  void GetText(std::string& Text, bool DisplayText) const override;
  Integer GetDefaultWidth() const override { return 15; }

private:
  Int64 FMinValue = 0;
  Int64 FMaxValue = 0;
};

// A double; its variant is varDouble. Precision (default 15) is the significant digits of
// the general text; with the "currency" flag the text is money (ffCurrency for display,
// ffFixed for editing, CurrencyDecimals places).
class TFloatField : public TNumericField {
  RTL_DECLARE_CLASS(TFloatField, TNumericField)
public:
  explicit TFloatField(TComponent* AOwner);
  bool currency() const { return FCurrency; }
  void Setcurrency(bool Value);
  double MinValue() const { return FMinValue; }
  void SetMinValue(double Value);
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double Value);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value);
  bool IsValidChar(char InputChar) const override;

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetAsFloatValue(V); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override { SetAsFloatValue(static_cast<double>(V)); }
  double GetAsFloat() const override;
  void SetAsFloatValue(double V) override;
  Currency GetAsCurrency() const override { return Currency::FromDouble(GetAsFloat()); }
  void SetAsCurrencyValue(Currency V) override { SetAsFloatValue(V.ToDouble()); }
  TBcd GetAsBCD() const override { return DoubleToBcd(GetAsFloat()); }
  void SetAsBCDValue(const TBcd& V) override { SetAsFloatValue(BcdToDouble(V)); }
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsFloatValue(V.AsDouble()); }
  void GetText(std::string& Text, bool DisplayText) const override;

private:
  bool FCurrency = false;
  double FMinValue = 0;
  double FMaxValue = 0;
  Integer FPrecision = 15;
};

// A float field that shows money by default.
class TCurrencyField : public TFloatField {
  RTL_DECLARE_CLASS(TCurrencyField, TFloatField)
public:
  explicit TCurrencyField(TComponent* AOwner);
};

// A fixed-point number kept as Currency (four decimals); its variant is varCurrency.
// Size is the number of decimals (default 4), Precision the total digits (default 0: as
// many as Currency holds).
class TBCDField : public TNumericField {
  RTL_DECLARE_CLASS(TBCDField, TNumericField)
public:
  explicit TBCDField(TComponent* AOwner);
  bool currency() const { return FCurrency; }
  void Setcurrency(bool Value);
  Currency MinValue() const { return FMinValue; }
  void SetMinValue(Currency Value) { FMinValue = Value; }
  Currency MaxValue() const { return FMaxValue; }
  void SetMaxValue(Currency Value) { FMaxValue = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  bool IsValidChar(char InputChar) const override;

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetAsCurrencyValue(Currency::FromInt(V)); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override { SetAsCurrencyValue(Currency::FromInt(V)); }
  double GetAsFloat() const override { return GetAsCurrency().ToDouble(); }
  void SetAsFloatValue(double V) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrencyValue(Currency V) override;
  TBcd GetAsBCD() const override;
  void SetAsBCDValue(const TBcd& V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsCurrencyValue(V.AsCurrency()); }
  void GetText(std::string& Text, bool DisplayText) const override;
  Integer GetDefaultWidth() const override;

private:
  bool FCurrency = false;
  Currency FMinValue;
  Currency FMaxValue;
  Integer FPrecision = 0;
};

// An exact decimal of up to 64 digits (TBcd); its variant is the FMTBcd kind. Size is the
// number of decimals (default 8), Precision the total digits (default 15).
class TFMTBCDField : public TNumericField {
  RTL_DECLARE_CLASS(TFMTBCDField, TNumericField)
public:
  explicit TFMTBCDField(TComponent* AOwner);
  bool currency() const { return FCurrency; }
  void Setcurrency(bool Value);
  const std::string& MinValue() const { return FMinValue; }
  void SetMinValue(const std::string& Value) { FMinValue = Value; }
  const std::string& MaxValue() const { return FMaxValue; }
  void SetMaxValue(const std::string& Value) { FMaxValue = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  bool IsValidChar(char InputChar) const override;

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetAsBCDValue(IntegerToBcd(V)); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override { SetAsBCDValue(IntegerToBcd(V)); }
  double GetAsFloat() const override;
  void SetAsFloatValue(double V) override { SetAsBCDValue(DoubleToBcd(V)); }
  Currency GetAsCurrency() const override;
  void SetAsCurrencyValue(Currency V) override;
  TBcd GetAsBCD() const override;
  void SetAsBCDValue(const TBcd& V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsBCDValue(VarToBcd(V)); }
  void GetText(std::string& Text, bool DisplayText) const override;
  Integer GetDefaultWidth() const override { return FPrecision > 0 ? FPrecision + 2 : 10; }

private:
  bool FCurrency = false;
  std::string FMinValue;
  std::string FMaxValue;
  Integer FPrecision = 15;
};

// An aggregate of a data set's records (its value is set by the data set that computes it);
// read-only, with DisplayFormat, Precision and the "currency" flag.
class TAggregateField : public TField {
  RTL_DECLARE_CLASS(TAggregateField, TField)
public:
  explicit TAggregateField(TComponent* AOwner);
  bool currency() const { return FCurrency; }
  void Setcurrency(bool Value) { FCurrency = Value; }
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value) { FDisplayFormat = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  const std::string& Expression() const { return FExpression; }
  void SetExpression(const std::string& Value) { FExpression = Value; }
  bool Active() const { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  // The aggregate's current value (set by whoever computes it).
  void SetAggregateValue(const Variant& Value) { FValue = Value; }
  bool IsNull() const override { return FValue.IsNull() || FValue.IsEmpty(); }

protected:
  Variant GetAsVariant() const override { return FValue; }
  std::string GetAsString() const override;
  double GetAsFloat() const override { return FValue.IsNull() || FValue.IsEmpty() ? 0 : FValue.AsDouble(); }
  void GetText(std::string& Text, bool DisplayText) const override;

private:
  bool FCurrency = false;
  std::string FDisplayFormat;
  Integer FPrecision = 15;
  std::string FExpression;
  bool FActive = false;
  Variant FValue;
};

// --- Booleans and dates.

// True or False; its variant is varBoolean. DisplayValues "Yes;No" sets the texts shown and
// accepted (default "True;False"); setting text accepts any prefix of either, without regard
// to case.
class TBooleanField : public TField {
  RTL_DECLARE_CLASS(TBooleanField, TField)
public:
  explicit TBooleanField(TComponent* AOwner);
  const std::string& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const std::string& Value);

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  bool GetAsBoolean() const override;
  void SetAsBooleanValue(bool V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsBooleanValue(V.AsBoolean()); }
  void GetText(std::string& Text, bool DisplayText) const override { Text = GetAsString(); }
  Integer GetDefaultWidth() const override;

private:
  std::string FDisplayValues;
  std::string FTextValues[2] = {STextFalse, STextTrue};  // [false], [true]
};

// A date and time; its variant is varDate. DisplayFormat (FormatDateTime) shapes
// DisplayText; Text uses the short date format (ftDate), the long time format (ftTime) or
// both ("c").
class TDateTimeField : public TField {
  RTL_DECLARE_CLASS(TDateTimeField, TField)
public:
  explicit TDateTimeField(TComponent* AOwner);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  double GetAsFloat() const override { return GetAsDateTime(); }
  void SetAsFloatValue(double V) override { SetAsDateTimeValue(V); }
  TDateTime GetAsDateTime() const override;
  void SetAsDateTimeValue(TDateTime V) override;
  TSQLTimeStamp GetAsSQLTimeStamp() const override { return DateTimeToSQLTimeStamp(GetAsDateTime()); }
  void SetAsSQLTimeStampValue(const TSQLTimeStamp& V) override { SetAsDateTimeValue(SQLTimeStampToDateTime(V)); }
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsDateTimeValue(VarToDateTime(V)); }
  void GetText(std::string& Text, bool DisplayText) const override;
  Integer GetDefaultWidth() const override { return 18; }

private:
  std::string FDisplayFormat;
};

class TDateField : public TDateTimeField {
  RTL_DECLARE_CLASS(TDateField, TDateTimeField)
public:
  explicit TDateField(TComponent* AOwner);

protected:
  Integer GetDefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
  RTL_DECLARE_CLASS(TTimeField, TDateTimeField)
public:
  explicit TTimeField(TComponent* AOwner);

protected:
  Integer GetDefaultWidth() const override { return 10; }
};

// A SQL time stamp; its variant is the SQLTimeStamp kind.
class TSQLTimeStampField : public TField {
  RTL_DECLARE_CLASS(TSQLTimeStampField, TField)
public:
  explicit TSQLTimeStampField(TComponent* AOwner);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  double GetAsFloat() const override { return GetAsDateTime(); }
  void SetAsFloatValue(double V) override { SetAsDateTimeValue(V); }
  TDateTime GetAsDateTime() const override;
  void SetAsDateTimeValue(TDateTime V) override;
  TSQLTimeStamp GetAsSQLTimeStamp() const override;
  void SetAsSQLTimeStampValue(const TSQLTimeStamp& V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsSQLTimeStampValue(VarToSQLTimeStamp(V)); }
  void GetText(std::string& Text, bool DisplayText) const override;
  Integer GetDefaultWidth() const override { return 20; }

private:
  std::string FDisplayFormat;
};

// --- Binary data.

// Raw bytes (kept as a string of bytes); the variant is a byte array.
class TBinaryField : public TField {
  RTL_DECLARE_CLASS(TBinaryField, TField)
public:
  explicit TBinaryField(TComponent* AOwner);

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override;
  void GetText(std::string& Text, bool DisplayText) const override;
};

class TBytesField : public TBinaryField {
  RTL_DECLARE_CLASS(TBytesField, TBinaryField)
public:
  explicit TBytesField(TComponent* AOwner);
};

class TVarBytesField : public TBinaryField {
  RTL_DECLARE_CLASS(TVarBytesField, TBinaryField)
public:
  explicit TVarBytesField(TComponent* AOwner);
};

// Long data of any length. The value is the bytes (a native string variant); BlobType tells
// the kind of content. Text and DisplayText are the class's caption: "(BLOB)", "(MEMO)" ...
// when there is a value, "(Blob)", "(Memo)" ... when it is null; AsString gives the content.
class TBlobField : public TField {
  RTL_DECLARE_CLASS(TBlobField, TField)
public:
  explicit TBlobField(TComponent* AOwner);
  bool IsBlob() const override { return true; }
  TBlobType BlobType() const { return DataType(); }
  void SetBlobType(TBlobType Value);
  Integer BlobSize() const { return static_cast<Integer>(GetAsString().size()); }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  void Clear() override;

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override;
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& V) override { SetAsStringValue(V.AsString()); }
  void GetText(std::string& Text, bool DisplayText) const override;

private:
  bool FModified = false;
};

// Long text (AsString and Value give it; Text and DisplayText show the caption).
class TMemoField : public TBlobField {
  RTL_DECLARE_CLASS(TMemoField, TBlobField)
public:
  explicit TMemoField(TComponent* AOwner);
  bool Transliterate() const { return FTransliterate; }
  void SetTransliterate(bool Value) { FTransliterate = Value; }

private:
  bool FTransliterate = true;
};

// A picture kept as bytes.
class TGraphicField : public TBlobField {
  RTL_DECLARE_CLASS(TGraphicField, TBlobField)
public:
  explicit TGraphicField(TComponent* AOwner);
};

// --- Others.

// Any variant, kept as it is.
class TVariantField : public TField {
  RTL_DECLARE_CLASS(TVariantField, TField)
public:
  explicit TVariantField(TComponent* AOwner);

protected:
  std::string GetAsString() const override;
  void SetAsStringValue(const std::string& V) override { SetVarValue(Variant(V)); }
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetVarValue(Variant(V)); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override { SetVarValue(Variant(static_cast<long long>(V))); }
  double GetAsFloat() const override;
  void SetAsFloatValue(double V) override { SetVarValue(Variant(V)); }
  Currency GetAsCurrency() const override;
  void SetAsCurrencyValue(Currency V) override { SetVarValue(Variant(V)); }
  bool GetAsBoolean() const override;
  void SetAsBooleanValue(bool V) override { SetVarValue(Variant(V)); }
  TDateTime GetAsDateTime() const override;
  void SetAsDateTimeValue(TDateTime V) override { SetVarValue(VarFromDateTime(V)); }
  Variant GetAsVariant() const override { return GetData(); }
  void SetVarValue(const Variant& V) override { SetData(V); }
  void GetText(std::string& Text, bool DisplayText) const override { Text = GetAsString(); }
};

// An interface pointer (varUnknown / varDispatch).
class TInterfaceField : public TField {
  RTL_DECLARE_CLASS(TInterfaceField, TField)
public:
  explicit TInterfaceField(TComponent* AOwner);

protected:
  Variant GetAsVariant() const override { return GetData(); }
  void SetVarValue(const Variant& V) override;
};

class TIDispatchField : public TInterfaceField {
  RTL_DECLARE_CLASS(TIDispatchField, TInterfaceField)
public:
  explicit TIDispatchField(TComponent* AOwner);
};

// Structured fields: fields made of other fields. They carry no value of their own here;
// they exist so that the types and the nested data-set chain (DataSetField) can be named.
class TObjectField : public TField {
  RTL_DECLARE_CLASS(TObjectField, TField)
public:
  explicit TObjectField(TComponent* AOwner);
  const std::string& ObjectType() const { return FObjectType; }
  void SetObjectType(const std::string& Value) { FObjectType = Value; }

private:
  std::string FObjectType;
};

class TADTField : public TObjectField {
  RTL_DECLARE_CLASS(TADTField, TObjectField)
public:
  explicit TADTField(TComponent* AOwner);
};

class TArrayField : public TObjectField {
  RTL_DECLARE_CLASS(TArrayField, TObjectField)
public:
  explicit TArrayField(TComponent* AOwner);
};

class TReferenceField : public TObjectField {
  RTL_DECLARE_CLASS(TReferenceField, TObjectField)
public:
  explicit TReferenceField(TComponent* AOwner);
};

// The field of a master data set that holds a nested data set; the nested data set names it
// as its DataSetField.
class TDataSetField : public TObjectField {
  RTL_DECLARE_CLASS(TDataSetField, TObjectField)
public:
  explicit TDataSetField(TComponent* AOwner);
  ~TDataSetField() override;
  TDataSet* NestedDataSet() const { return FNestedDataSet; }

private:
  friend class TDataSet;
  TDataSet* FNestedDataSet = nullptr;
};

// =======================================================================================
// Data set
// =======================================================================================

// One record as the data set keeps it in its window: the values of every field (data
// fields by field number, then calculated and lookup fields), and the row it shows.
struct TRecordBuffer {
  std::vector<Variant> Values;
  Int64 RowKey = 0;  // the row's identity; 0 for a record being inserted
  TBookmarkFlag Flag = bfCurrent;
};

// Byte strings kept one after another in large blocks, for holding many small records with no
// allocation of their own. A string's bytes stay where they are until Clear().
class ByteArena {
public:
  // Copies bytes in and returns where they now are; Size() of that pointer gives the length.
  const unsigned char* Add(std::string_view bytes);
  static size_t Size(const unsigned char* stored);
  static const unsigned char* Data(const unsigned char* stored);
  // Bytes taken by everything added since the last Clear().
  size_t Used() const { return used_; }
  void Clear();

private:
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
  size_t blockSize_ = 0;   // of the last block
  size_t blockUsed_ = 0;   // bytes used in the last block
  size_t used_ = 0;
};

// The rows a data set holds: each the values of the data fields (by field number - 1) and a
// key that identifies it for bookmarks while it exists.
//
// A large table is held in a compact form, not as one Variant per value: each row's values
// are encoded one after another (a kind byte and a short number or the text's bytes) in a
// ByteArena, and decoded when a row is read. A row holding a value of another kind (an array,
// a custom kind) is kept as its vector of Variants.
class TDataRows {
public:
  Integer Count() const { return static_cast<Integer>(rows_.size()); }
  std::vector<Variant> Row(Integer Index) const;
  // Replaces a row's values, keeping its key.
  void SetRow(Integer Index, std::vector<Variant> Values);
  Int64 Key(Integer Index) const { return rows_[static_cast<size_t>(Index)].key; }
  // Index of the row with the key, -1 when it no longer exists.
  Integer IndexOfKey(Int64 Key) const;
  // Inserts before Index (Count() appends); returns the new row's key.
  Int64 Insert(Integer Index, std::vector<Variant> Values);
  Int64 Append(std::vector<Variant> Values) { return Insert(Count(), std::move(Values)); }
  void Delete(Integer Index);
  void Clear();
  void Reserve(Integer Count) { rows_.reserve(static_cast<size_t>(Count)); }
  // Bytes the rows take (their table and their encoded values), for measuring.
  size_t MemoryUsed() const { return rows_.capacity() * sizeof(Entry) + arena_.Used(); }

private:
  struct Entry {
    Int64 key;
    const unsigned char* packed;  // in arena_; null: the values are in spilled_
  };
  const unsigned char* pack(Int64 key, std::vector<Variant>& values);
  void release(const Entry& entry);
  void compactWhenWasteful();

  std::vector<Entry> rows_;
  ByteArena arena_;
  size_t wasted_ = 0;  // arena bytes of rows replaced or deleted
  std::unordered_map<Int64, std::vector<Variant>> spilled_;
  Int64 nextKey_ = 1;
  // Rows appended and deleted keep their keys in ascending order, and a key is then found by
  // binary search; after an insertion in the middle, through index_, rebuilt on demand.
  bool keysAscending_ = true;
  mutable std::unordered_map<Int64, Integer> index_;
  mutable bool indexValid_ = false;
};

// The abstract data set. A descendant describes its columns (InternalInitFieldDefs), fills
// the rows when it opens (InternalOpen, through Rows()), and stores posted changes wherever
// its data lives (StoreRecord, EraseRecord); everything else is here.
class TDataSet : public TComponent {
  RTL_DECLARE_CLASS(TDataSet, TComponent)
public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;

  // --- Opening and closing. Open: BeforeOpen, the descendant opens, fields are created
  // (when there are no persistent fields) and bound, the first record becomes current,
  // deUpdateState (dsBrowse), AfterOpen, AfterScroll (when not empty). Close: BeforeClose,
  // any pending edit is dropped, deUpdateState (dsInactive), the descendant closes,
  // default fields go, AfterClose.
  void Open();
  void Close();
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool Value);
  TDataSetState State() const { return state_; }
  void CheckActive() const;    // "Cannot perform this operation on a closed dataset"
  void CheckInactive() const;  // "Cannot perform this operation on an open dataset"

  // --- Navigation. Each leaves edit mode first (CheckBrowseMode), calls BeforeScroll, moves,
  // tells the links (First/Last/RecNo/Locate/GotoBookmark: deDataSetChange; MoveBy, Next,
  // Prior: deDataSetScroll) and calls AfterScroll.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to Distance records; returns how many it moved (negative backwards). Moving past
  // the last record sets Eof, past the first Bof; both are cleared by any move that starts.
  Integer MoveBy(Integer Distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool BOF() const { return bof_; }
  bool IsEmpty() const;
  // The current record's 1-based position among the visible records; 0 when there is none,
  // -1 while a new record is being inserted. Setting it moves there (clamped to 1..count).
  Integer RecNo() const;
  void SetRecNo(Integer Value);
  // The number of visible records (those that pass the filter).
  Integer RecordCount() const;
  virtual bool IsSequenced() const { return true; }
  virtual bool IsUniDirectional() const { return false; }

  // --- Fields.
  TFields* Fields() const { return fields_.get(); }
  TFields* AggFields() const { return aggFields_.get(); }
  TFieldDefs* FieldDefs() const { return fieldDefs_.get(); }
  void SetFieldDefs(TFieldDefs* Value);
  Integer FieldCount() const { return fields_->Count(); }
  TField* FieldByName(const std::string& FieldName) const;   // "Field 'X' not found"
  TField* FindField(const std::string& FieldName) const;     // null when absent
  TField* FieldByNumber(Integer FieldNo) const;
  // The field names: of the fields when there are any, else of the field definitions
  // (asking the descendant to describe its columns when the data set is closed).
  void GetFieldNames(TStrings* List);
  // The fields named in a ';'-separated list, in order ("Field 'X' not found" for a name
  // that is not a field).
  void GetFieldList(TList* List, const std::string& FieldNames) const;
  std::vector<TField*> GetFieldList(const std::string& FieldNames) const;
  // The values of the named fields: one value, or a variant array for several.
  Variant FieldValues(const std::string& FieldName) const;
  void SetFieldValues(const std::string& FieldName, const Variant& Value);
  // Whether the fields were made by the data set at open (no persistent fields).
  bool DefaultFields() const { return defaultFields_; }
  // Calculated fields are recalculated after each field change while editing.
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool Value) { autoCalcFields_ = Value; }
  // The master data set's field holding this nested data set (null for a top-level one).
  TDataSetField* DataSetField() const { return dataSetField_; }
  void SetDataSetField(TDataSetField* Value);
  // The master data source this data set follows (null when it follows none).
  TDataSource* DataSource() const { return GetDataSource(); }
  // Whether this data set is, directly or through other data sets, the one DataSource shows
  // (so following DataSource would make a circle).
  bool IsLinkedTo(TDataSource* DataSource) const;

  // --- Bookmarks.
  TBookmarkStr Bookmark() const;
  void SetBookmark(const TBookmarkStr& Value) { GotoBookmark(Value); }
  TBookmark GetBookmark() const { return Bookmark(); }
  // "Record not found" when the bookmark's row is gone or filtered out.
  void GotoBookmark(const TBookmark& Value);
  bool BookmarkValid(const TBookmark& Value) const;
  // < 0, 0, > 0 by row order; "" comes before any bookmark.
  Integer CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const;
  void FreeBookmark(TBookmark& Value) { Value.clear(); }

  // --- Searching. KeyFields is a ';'-separated list; KeyValues one value for one field, a
  // variant array for several (Null matches Null). loCaseInsensitive compares text without
  // regard to case; loPartialKey lets a text key match the start of a value.
  bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  // The ResultFields of the first record matching exactly, without moving; Null when none.
  Variant Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields);

  // --- Editing. Edit (an empty data set inserts instead): BeforeEdit, deUpdateState (dsEdit),
  // deRecordChange, AfterEdit. Insert/Append: BeforeInsert, BeforeScroll, a new record
  // before the current one (or after the last), deUpdateState (dsInsert), OnNewRecord,
  // deDataSetChange, AfterInsert, AfterScroll. Post: deUpdateRecord, deCheckBrowseMode,
  // BeforePost, required fields checked, the record stored, deUpdateState (dsBrowse),
  // deDataSetChange, AfterPost. Cancel: deCheckBrowseMode, BeforeCancel, deUpdateState,
  // deDataSetChange, AfterCancel. Delete (in insert mode: Cancel): deCheckBrowseMode,
  // BeforeDelete, BeforeScroll, the row removed, deUpdateState, deDataSetChange, AfterDelete,
  // AfterScroll. Failures of Edit, Post and Delete go through OnEditError, OnPostError and
  // OnDeleteError when assigned.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  // Appends or inserts a record with the values given (Empty leaves a field as it is) and
  // posts it.
  void AppendRecord(const std::vector<Variant>& Values);
  void InsertRecord(const std::vector<Variant>& Values);
  // Posts when modified, cancels otherwise (after asking controls for pending values).
  void CheckBrowseMode();
  // Reloads the rows (BeforeRefresh, the descendant reloads, deDataSetChange, AfterRefresh),
  // keeping the current position.
  void Refresh();
  // Sends deUpdateRecord: controls store their pending values. Raises when not editing.
  void UpdateRecord();
  bool Modified() const { return modified_; }
  bool CanModify() const { return GetCanModify(); }
  void ClearFields();

  // --- Controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ != 0; }
  // Tells the data sources about the event (see TDataEvent).
  virtual void DataEvent(TDataEvent Event, NativeInt Info);
  // Re-reads the records of the window from the rows; deDataSetChange.
  void Resync(TResyncMode Mode);

  // --- Filter: an expression in the filter language ("(Country = 'Brazil') AND NOT
  // (Freight < 10)"): comparisons = <> < > <= >=, AND, OR, NOT, parentheses, LIKE and
  // NOT LIKE with % or * (any text) and _ (one character), BETWEEN x AND y, IN (a, b),
  // IS [NOT] NULL and = NULL / <> NULL, + - * / on values, 'quoted' text (a doubled quote
  // stands for one; a text beside a date field is read as a date), numbers, TRUE/FALSE,
  // field names plain or [bracketed]. Text compares by the locale, case-sensitively unless
  // foCaseInsensitive; "Name = 'Ab*'" matches text starting with Ab unless
  // foNoPartialCompare. A comparison with a null field is false. Setting Filter,
  // FilterOptions or Filtered on an open data set refilters and goes to the first record; a
  // syntax error raises EDatabaseError and leaves the filter as it was.
  const std::string& Filter() const { return filterText_; }
  void SetFilter(const std::string& Value);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool Value);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions Value);

  // --- Events.
  const TDataSetNotifyEvent& BeforeOpen() const { return FBeforeOpen; }
  void SetBeforeOpen(const TDataSetNotifyEvent& V) { FBeforeOpen = V; }
  const TDataSetNotifyEvent& AfterOpen() const { return FAfterOpen; }
  void SetAfterOpen(const TDataSetNotifyEvent& V) { FAfterOpen = V; }
  const TDataSetNotifyEvent& BeforeClose() const { return FBeforeClose; }
  void SetBeforeClose(const TDataSetNotifyEvent& V) { FBeforeClose = V; }
  const TDataSetNotifyEvent& AfterClose() const { return FAfterClose; }
  void SetAfterClose(const TDataSetNotifyEvent& V) { FAfterClose = V; }
  const TDataSetNotifyEvent& BeforeInsert() const { return FBeforeInsert; }
  void SetBeforeInsert(const TDataSetNotifyEvent& V) { FBeforeInsert = V; }
  const TDataSetNotifyEvent& AfterInsert() const { return FAfterInsert; }
  void SetAfterInsert(const TDataSetNotifyEvent& V) { FAfterInsert = V; }
  const TDataSetNotifyEvent& BeforeEdit() const { return FBeforeEdit; }
  void SetBeforeEdit(const TDataSetNotifyEvent& V) { FBeforeEdit = V; }
  const TDataSetNotifyEvent& AfterEdit() const { return FAfterEdit; }
  void SetAfterEdit(const TDataSetNotifyEvent& V) { FAfterEdit = V; }
  const TDataSetNotifyEvent& BeforePost() const { return FBeforePost; }
  void SetBeforePost(const TDataSetNotifyEvent& V) { FBeforePost = V; }
  const TDataSetNotifyEvent& AfterPost() const { return FAfterPost; }
  void SetAfterPost(const TDataSetNotifyEvent& V) { FAfterPost = V; }
  const TDataSetNotifyEvent& BeforeCancel() const { return FBeforeCancel; }
  void SetBeforeCancel(const TDataSetNotifyEvent& V) { FBeforeCancel = V; }
  const TDataSetNotifyEvent& AfterCancel() const { return FAfterCancel; }
  void SetAfterCancel(const TDataSetNotifyEvent& V) { FAfterCancel = V; }
  const TDataSetNotifyEvent& BeforeDelete() const { return FBeforeDelete; }
  void SetBeforeDelete(const TDataSetNotifyEvent& V) { FBeforeDelete = V; }
  const TDataSetNotifyEvent& AfterDelete() const { return FAfterDelete; }
  void SetAfterDelete(const TDataSetNotifyEvent& V) { FAfterDelete = V; }
  const TDataSetNotifyEvent& BeforeScroll() const { return FBeforeScroll; }
  void SetBeforeScroll(const TDataSetNotifyEvent& V) { FBeforeScroll = V; }
  const TDataSetNotifyEvent& AfterScroll() const { return FAfterScroll; }
  void SetAfterScroll(const TDataSetNotifyEvent& V) { FAfterScroll = V; }
  const TDataSetNotifyEvent& BeforeRefresh() const { return FBeforeRefresh; }
  void SetBeforeRefresh(const TDataSetNotifyEvent& V) { FBeforeRefresh = V; }
  const TDataSetNotifyEvent& AfterRefresh() const { return FAfterRefresh; }
  void SetAfterRefresh(const TDataSetNotifyEvent& V) { FAfterRefresh = V; }
  const TDataSetNotifyEvent& OnNewRecord() const { return FOnNewRecord; }
  void SetOnNewRecord(const TDataSetNotifyEvent& V) { FOnNewRecord = V; }
  const TDataSetNotifyEvent& OnCalcFields() const { return FOnCalcFields; }
  void SetOnCalcFields(const TDataSetNotifyEvent& V) { FOnCalcFields = V; }
  const TDataSetErrorEvent& OnPostError() const { return FOnPostError; }
  void SetOnPostError(const TDataSetErrorEvent& V) { FOnPostError = V; }
  const TDataSetErrorEvent& OnEditError() const { return FOnEditError; }
  void SetOnEditError(const TDataSetErrorEvent& V) { FOnEditError = V; }
  const TDataSetErrorEvent& OnDeleteError() const { return FOnDeleteError; }
  void SetOnDeleteError(const TDataSetErrorEvent& V) { FOnDeleteError = V; }
  const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(const TFilterRecordEvent& V);

  // --- Streaming: children are the persistent fields.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Loaded() override;

protected:
  // --- What a descendant provides.
  // Opens the data: describes the columns in FieldDefs (InternalInitFieldDefs) and fills
  // Rows(). Raise to refuse; nothing is open then.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  // Describes the columns in FieldDefs() (also called for a closed data set, by
  // FieldDefs()->Update()).
  virtual void InternalInitFieldDefs() = 0;
  // Reloads Rows() (Refresh). Nothing here.
  virtual void InternalRefresh() {}
  // Stores a posted record where the data lives, before the rows change: Row is the row
  // being changed (-1 for a new record), OldValues its values before the edit (empty for a
  // new record), NewValues the data-field values to store, which the descendant may update
  // (a number the database gave, say). Raise to refuse: the rows stay as they were.
  virtual void StoreRecord(Integer Row, const std::vector<Variant>& OldValues, std::vector<Variant>& NewValues) {}
  // Called after a posted record is in Rows(), with its row's key.
  virtual void RecordStored(Int64 RowKey) {}
  // Removes a row where the data lives, before it leaves Rows(). Raise to refuse.
  virtual void EraseRecord(Integer Row, const std::vector<Variant>& Values) {}
  // Whether records may be changed (default: true).
  virtual bool GetCanModify() const { return true; }
  virtual TDataSource* GetDataSource() const { return nullptr; }
  // Called when a posted change or a delete fails, before the error goes on: a descendant
  // may decide to leave edit mode (a read-only store that refuses every change).
  virtual bool CancelAfterFailedPost(const Exception& E) const { return false; }

  // --- Helpers for descendants.
  TDataRows& Rows() { return rows_; }
  const TDataRows& Rows() const { return rows_; }
  void SetState(TDataSetState Value);
  TDataSetState SetTempState(TDataSetState Value);
  void RestoreState(TDataSetState Value);
  void CreateFields();
  void DestroyFields();
  void BindFields(bool Binding);
  // The values of a record being built for the current row (for descendants that fill a
  // new record from defaults). Null when not editing.
  TRecordBuffer* ActiveBuffer();
  const TRecordBuffer* ActiveBuffer() const;
  void SetModified(bool Value) { modified_ = Value; }
  // Index of the active record in the window and the number of records there.
  Integer ActiveRecord() const { return activeRecord_; }
  Integer BufferCount() const { return bufferCount_; }
  // Records in the window.
  Integer WindowRecordCount() const { return recordCount_; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Calls the event, when assigned.
  void DoBeforeOpen() { fire(FBeforeOpen); }
  void DoAfterOpen() { fire(FAfterOpen); }
  void DoBeforeScroll() { fire(FBeforeScroll); }
  void DoAfterScroll() { fire(FAfterScroll); }

private:
  friend class TField;
  friend class TFields;
  friend class TFieldDefs;
  friend class TDataSetField;
  class TempRecord;
  friend class TDataSource;
  friend class TDataLink;

  void fire(const TDataSetNotifyEvent& e) {
    if (e.Assigned()) e(this);
  }
  // Record window.
  Integer viewCount() const { return viewAll_ ? rows_.Count() : static_cast<Integer>(view_.size()); }
  Integer viewRow(Integer pos) const { return viewAll_ ? pos : view_[static_cast<size_t>(pos)]; }
  Integer viewPosOfRow(Integer row) const;
  Integer currentPos() const { return windowTop_ + activeRecord_; }
  Integer currentRow() const;
  void readRecord(Integer row, TRecordBuffer& buffer);
  void fillWindow(Integer top, Integer active);
  void clearWindow();
  void resyncAt(Integer pos, bool center);
  void rebuildView();
  bool recordPasses(TRecordBuffer& buffer);
  // Makes pos current, moving the window when needed; returns how far the window's records
  // moved (the deDataSetScroll Info).
  Integer moveTo(Integer pos);
  void setBufferCount(Integer Value);
  void updateBufferCount();
  void beginInsertAppend();
  void endInsertAppend();
  void setValuesAndPost(const std::vector<Variant>& Values);
  void calculateFields(TRecordBuffer& buffer);
  void updateCalcFields();
  void checkRequiredFields();
  void checkOperation(const std::function<void()>& op, const TDataSetErrorEvent& onError);
  void openCursor();
  void closeCursor();
  void applyFilterChange();
  bool matchesKeys(const std::vector<TField*>& fields, const std::vector<Variant>& keys, TLocateOptions options);
  bool locateRow(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options, Integer& pos,
                 TRecordBuffer& found);
  // Fields reading and writing the current record.
  const Variant* fieldSlot(const TField* f) const;
  void setFieldValue(TField* f, const Variant& v);
  Variant oldFieldValue(const TField* f) const;
  std::string bookmarkOf(Int64 key) const;
  Int64 keyOf(const TBookmark& b) const;
  void addDataSource(TDataSource* source);
  void removeDataSource(TDataSource* source);

  std::unique_ptr<TFields> fields_;
  std::unique_ptr<TFields> aggFields_;
  std::unique_ptr<TFieldDefs> fieldDefs_;
  std::vector<TDataSource*> dataSources_;
  TDataRows rows_;
  std::vector<Integer> view_;
  bool viewAll_ = true;
  std::vector<TRecordBuffer> buffers_;
  Integer bufferCount_ = 1;
  Integer recordCount_ = 0;
  Integer activeRecord_ = 0;
  Integer windowTop_ = 0;
  Integer slotCount_ = 0;
  TRecordBuffer* tempBuffer_ = nullptr;
  TDataSetState state_ = dsInactive;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool defaultFields_ = false;
  bool autoCalcFields_ = true;
  bool hasCalcFields_ = false;
  bool destroyingFields_ = false;
  bool streamedActive_ = false;
  Integer disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  TDataEvent enableEvent_ = deDataSetChange;
  TDataSetField* dataSetField_ = nullptr;
  std::string filterText_;
  bool filtered_ = false;
  TFilterOptions filterOptions_;
  std::shared_ptr<dbfilter::Expression> filterProgram_;
  Integer insertRowBefore_ = -1;  // the row a record being inserted goes before (-1: at the end)

  TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert, FAfterInsert, FBeforeEdit,
      FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel, FBeforeDelete, FAfterDelete, FBeforeScroll,
      FAfterScroll, FBeforeRefresh, FAfterRefresh, FOnNewRecord, FOnCalcFields;
  TDataSetErrorEvent FOnPostError, FOnEditError, FOnDeleteError;
  TFilterRecordEvent FOnFilterRecord;
};

// =======================================================================================
// Data source and data link
// =======================================================================================

// Connects data-aware controls (through their data links) to a data set: it passes the data
// set's events to its links, follows the data set's state, and lets controls start editing
// (Edit, when AutoEdit). OnStateChange follows every state change; OnDataChange follows
// field, record and data-set changes (with the field for deFieldChange, else null) and the
// first state after dsInactive; OnUpdateData follows deUpdateRecord.
class TDataSource : public TComponent {
  RTL_DECLARE_CLASS(TDataSource, TComponent)
public:
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;

  // Starts editing when AutoEdit and the data set is browsing.
  void Edit();
  // Whether this source is a master (direct or not) of DataSet.
  bool IsLinkedTo(TDataSet* DataSet) const;

  TDataSet* DataSet() const { return FDataSet; }
  // "Circular datalinks are not allowed" when ADataSet follows this source.
  void SetDataSet(TDataSet* ADataSet);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool Value) { FAutoEdit = Value; }
  TDataSetState State() const { return FState; }
  Integer DataLinkCount() const { return static_cast<Integer>(FDataLinks.size()); }
  TDataLink* DataLinks(Integer Index) const { return FDataLinks[static_cast<size_t>(Index)]; }

  const TDataChangeEvent& OnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(const TDataChangeEvent& V) { FOnDataChange = V; }
  const TNotifyEvent& OnStateChange() const { return FOnStateChange; }
  void SetOnStateChange(const TNotifyEvent& V) { FOnStateChange = V; }
  const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(const TNotifyEvent& V) { FOnUpdateData = V; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent Event, NativeInt Info);
  void UpdateState();
  void SetState(TDataSetState Value);
  void AddDataLink(TDataLink* DataLink);
  void RemoveDataLink(TDataLink* DataLink);
  void NotifyLinkTypes(TDataEvent Event, NativeInt Info, bool LinkType);
  void NotifyDataLinks(TDataEvent Event, NativeInt Info);

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  bool FEnabled = true;
  bool FAutoEdit = true;
  TDataSetState FState = dsInactive;
  TDataChangeEvent FOnDataChange;
  TNotifyEvent FOnStateChange;
  TNotifyEvent FOnUpdateData;
};

// What a data-aware control (or a detail data set) uses to follow a data source. A
// descendant overrides the notifications it cares about; by default DataSetScrolled and
// LayoutChanged call DataSetChanged, which calls RecordChanged(null).
//
// The link sees BufferCount records of the data set's window, starting at its own first
// record: ActiveRecord is the current record's index among them (setting it shows another of
// them through the fields, until set back), RecordCount how many there are.
class TDataLink : public TPersistent {
  RTL_DECLARE_CLASS(TDataLink, TPersistent)
public:
  TDataLink();
  ~TDataLink() override;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  // Asks the data source to edit (unless ReadOnly); whether the link is editing now.
  bool Edit();
  // Calls UpdateData (controls store their pending values) outside of RecordChanged.
  void UpdateRecord();

  bool Active() const { return FActive; }
  Integer ActiveRecord() const;
  void SetActiveRecord(Integer Value);
  bool BOF() const;
  bool Eof() const;
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer Value);
  TDataSet* DataSet() const;
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* ADataSource);
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  Integer RecordCount() const;
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool Value) { FVisualControl = Value; }

protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  // Dispatches the data source's events to the notifications below.
  virtual void DataEvent(TDataEvent Event, NativeInt Info);
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  // The current record moved; Distance is how many records the link's first record moved
  // (positive toward the end, 0 when the current record moved inside the link's records).
  virtual void DataSetScrolled(Integer Distance) { DataSetChanged(); }
  virtual void EditingChanged() {}
  // Field points at the field to focus; a control that takes focus sets *Field to null.
  virtual void FocusControl(TField** Field) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* Field) {}
  virtual void UpdateData() {}
  Integer FirstRecord() const { return FFirstRecord; }

private:
  friend class TDataSource;
  friend class TDataSet;
  void UpdateState();
  void SetActive(bool Value);
  void SetEditing(bool Value);
  void UpdateRange();

  TDataSource* FDataSource = nullptr;
  Integer FFirstRecord = 0;
  Integer FBufferCount = 1;
  bool FActive = false;
  bool FEditing = false;
  bool FReadOnly = false;
  bool FUpdating = false;
  bool FDataSourceFixed = false;
  bool FVisualControl = false;
};

// =======================================================================================
// Parameters
// =======================================================================================

// A named value handed to a query. Setting a typed value (AsInteger ...) sets DataType too;
// Value keeps the variant as given.
class TParam : public TCollectionItem {
  RTL_DECLARE_CLASS(TParam, TCollectionItem)
public:
  explicit TParam(TCollection* Collection);
  TParam(TParams* AParams, TParamType AParamType);

  void Assign(TPersistent* Source) override;
  // Takes the field's name, type and value.
  void AssignField(TField* Field);
  // Takes the field's type and value, keeping the name.
  void AssignFieldValue(TField* Field, const Variant& Value);
  void Clear();

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  std::string DisplayName() const override { return FName.empty() ? TCollectionItem::DisplayName() : FName; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value);
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType Value) { FParamType = Value; }
  Variant Value() const { return FData; }
  void SetValue(const Variant& Value);
  bool IsNull() const { return FData.IsNull() || FData.IsEmpty(); }
  bool Bound() const { return FBound; }
  void SetBound(bool Value);
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Byte Precision() const { return FPrecision; }
  void SetPrecision(Byte Value) { FPrecision = Value; }
  Byte NumericScale() const { return FNumericScale; }
  void SetNumericScale(Byte Value) { FNumericScale = Value; }

  std::string AsString() const;
  void SetAsString(const std::string& Value);
  std::string AsMemo() const { return AsString(); }
  void SetAsMemo(const std::string& Value);
  std::string AsBlob() const { return AsString(); }
  void SetAsBlob(const std::string& Value);
  Integer AsInteger() const;
  void SetAsInteger(Integer Value);
  Integer AsSmallInt() const { return AsInteger(); }
  void SetAsSmallInt(Integer Value);
  Integer AsWord() const { return AsInteger(); }
  void SetAsWord(Integer Value);
  Int64 AsLargeInt() const;
  void SetAsLargeInt(Int64 Value);
  double AsFloat() const;
  void SetAsFloat(double Value);
  Currency AsCurrency() const;
  void SetAsCurrency(Currency Value);
  Currency AsBCD() const { return AsCurrency(); }
  void SetAsBCD(Currency Value);
  TBcd AsFMTBCD() const;
  void SetAsFMTBCD(const TBcd& Value);
  bool AsBoolean() const;
  void SetAsBoolean(bool Value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime Value);
  TDateTime AsDate() const { return AsDateTime(); }
  void SetAsDate(TDateTime Value);
  TDateTime AsTime() const { return AsDateTime(); }
  void SetAsTime(TDateTime Value);
  TSQLTimeStamp AsSQLTimeStamp() const;
  void SetAsSQLTimeStamp(const TSQLTimeStamp& Value);

private:
  void setTyped(TFieldType Type, const Variant& Value);

  std::string FName;
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptUnknown;
  Variant FData;
  bool FBound = false;
  Integer FSize = 0;
  Byte FPrecision = 0;
  Byte FNumericScale = 0;
};

// The parameters of a query, in order.
class TParams : public TCollection {
  RTL_DECLARE_CLASS(TParams, TCollection)
public:
  TParams();
  explicit TParams(TPersistent* AOwner);

  TParam* AddParam(TParam* Value);
  void RemoveParam(TParam* Value);
  TParam* CreateParam(TFieldType FldType, const std::string& ParamName, TParamType ParamType);
  // Copies the values of the parameters of Value that have the same names.
  void AssignValues(TParams* Value);
  // The parameter named (without regard to case); ParamByName raises
  // "Parameter 'X' not found".
  TParam* FindParam(const std::string& Value) const;
  TParam* ParamByName(const std::string& Value) const;
  void GetParamList(TList* List, const std::string& ParamNames) const;
  bool IsEqual(TParams* Value) const;
  // The values of the named (';'-separated) parameters: one value or a variant array.
  Variant ParamValues(const std::string& ParamName) const;
  void SetParamValues(const std::string& ParamName, const Variant& Value);
  // Finds the ':name' parameters of SQL (outside quotes and brackets; '::' is a literal ':';
  // ':"a name"' quotes a name) and returns SQL with each replaced by '?'. With DoCreate the
  // list is rebuilt with one parameter per name, in order of first appearance (values of
  // parameters that were there before are kept).
  std::string ParseSQL(const std::string& SQL, bool DoCreate);
  TParam* Items(Integer Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
  TParam* operator[](Integer Index) const { return Items(Index); }
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner = nullptr;
};

// The ':name' parameters of SQL in order of appearance (one entry per occurrence), and the
// text with each replaced by '?' (see TParams::ParseSQL).
std::string ParseSqlParameters(const std::string& SQL, std::vector<std::string>& Names);

// What the parameter lists (TParams here, the ADO TParameters) share: values by ';'-separated
// names, and the rebuilding of the list from the names a statement uses. List has
// ParamByName, FindParam, Assign, Clear, BeginUpdate and EndUpdate; make(name) adds a member.
template <class List> Variant namedParamValues(const List& list, const std::string& names) {
  std::vector<Variant> values;
  for (const std::string& name : splitFieldNames(names)) values.push_back(list.ParamByName(name)->Value());
  return valuesAsVariant(values);
}

template <class List> void setNamedParamValues(List& list, const std::string& names, const Variant& value) {
  std::vector<std::string> each = splitFieldNames(names);
  for (size_t i = 0; i < each.size(); ++i) list.ParamByName(each[i])->SetValue(valueForName(value, i));
}

// One member per name, in order of first appearance; a member that was there keeps its value.
template <class List, class Make> void rebuildParams(List& list, List& scratch, const std::vector<std::string>& names,
                                                     Make make) {
  scratch.Assign(&list);
  list.BeginUpdate();
  try {
    list.Clear();
    for (const std::string& name : names) {
      if (list.FindParam(name)) continue;
      auto* p = make(name);
      if (auto* before = scratch.FindParam(name)) p->Assign(before);
    }
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

namespace DBUnit {
void Initialize();
void Finalize();
}  // namespace DBUnit
