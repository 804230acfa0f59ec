#pragma once
// ADODB: a connection to a database file and the data sets that run SQL on it, over the
// native engine (platform/native/JetEngine.h).
//
// TADOConnection reads "Data Source" from its ConnectionString (a file: an .mdb/.accdb file,
// imported read-only, or a SQLite file, opened for reading and writing); every other setting
// is kept but means nothing here. A drive-letter path ("C:\dados\pesquisa.mdb") is translated
// to the host file Wine maps it to; a path starting with '/' is taken as the host path it is.
//
// A query's result becomes a data set whose field classes follow the columns' types:
// Text -> TWideStringField (OLE string values), Memo -> TMemoField, Long -> TIntegerField,
// Integer -> TSmallintField, Byte -> TWordField (all three give 32-bit integer variants),
// Single and Double -> TFloatField, Currency -> TBCDField (Currency values), Yes/No ->
// TBooleanField, Date/Time -> TDateTimeField, OLE object -> TBlobField, binary ->
// TVarBytesField, GUID -> TGuidField, 64-bit integers -> TLargeintField, decimals ->
// TBCDField (up to 4 places) or TFMTBCDField. Computed columns (count, varp, round ...)
// take the type of their values.
//
// Editing: a data set over the columns of a single table can Edit, Insert, Append and
// Delete; Post writes the change through (UPDATE, INSERT or DELETE of that row, found by the
// table's primary key, or by its values when it has none). A file that is read-only here
// refuses: the exception says so, the edit is cancelled and the data stay as they were. Other
// data sets (joins, computed columns, LockType ltReadOnly) cannot be modified.
//
// Every engine failure (missing file, a file that is no database, an SQL error, a refused
// change) raises EADOError with the engine's message, prefixed with the component's name.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/data/DB.h"
#include "platform/native/JetEngine.h"

class TCustomADODataSet;

RTL_EXCEPTION(EADOError, EDatabaseError)

RTL_ENUM(TConnectMode, cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite, cmShareExclusive,
         cmShareDenyNone)
RTL_ENUM(TCursorLocation, clUseServer, clUseClient)
RTL_ENUM(TCursorType, ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic)
RTL_ENUM(TADOLockType, ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic)
RTL_ENUM(TCommandType, cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect)
RTL_ENUM(TParameterDirection, pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue)

// The value of a setting of a connection string ("Key=Value;..."; keys without regard to
// case; a value may be enclosed in " or ', the enclosing quote doubled inside it); "" when
// absent.
std::string ConnectionStringValue(const std::string& ConnectionString, const std::string& Key);
// Value as a connection string writes it so that ConnectionStringValue reads it back: as it
// is when it holds no ';', no quote and no blank at either end; else enclosed in double
// quotes, or in single quotes when it holds a double quote, or (holding both) in double
// quotes with each double quote doubled.
std::string ConnectionStringQuote(const std::string& Value);

// =======================================================================================
// Connection
// =======================================================================================

class TADOConnection : public TComponent {
  RTL_DECLARE_CLASS(TADOConnection, TComponent)
public:
  explicit TADOConnection(TComponent* AOwner);
  ~TADOConnection() override;

  // BeforeConnect, the file opened, AfterConnect. EADOError when there is no Data Source or
  // the engine cannot open it. The user name and password mean nothing here.
  void Open();
  void Open(const std::string& UserID, const std::string& Password);
  // BeforeDisconnect, every data set of the connection closed, the file closed,
  // AfterDisconnect.
  void Close();
  bool Connected() const { return db_ != nullptr; }
  void SetConnected(bool Value);

  const std::string& ConnectionString() const { return FConnectionString; }
  // Closes an open connection first.
  void SetConnectionString(const std::string& Value);
  // The Provider setting of the connection string.
  std::string Provider() const;
  void SetProvider(const std::string& Value);
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool Value) { FLoginPrompt = Value; }
  // cmRead opens a SQLite file read-only; the other modes open it for reading and writing.
  TConnectMode Mode() const { return FMode; }
  void SetMode(TConnectMode Value) { FMode = Value; }
  TCursorLocation CursorLocation() const { return FCursorLocation; }
  void SetCursorLocation(TCursorLocation Value) { FCursorLocation = Value; }
  Integer ConnectionTimeout() const { return FConnectionTimeout; }
  void SetConnectionTimeout(Integer Value) { FConnectionTimeout = Value; }
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  bool KeepConnection() const { return FKeepConnection; }
  void SetKeepConnection(bool Value) { FKeepConnection = Value; }
  const std::string& DefaultDatabase() const { return FDefaultDatabase; }
  void SetDefaultDatabase(const std::string& Value) { FDefaultDatabase = Value; }

  // The user tables, in the file's order (opens the connection when needed).
  void GetTableNames(TStrings* List, bool SystemTables = false);
  // The columns of a table, in order.
  void GetFieldNames(const std::string& TableName, TStrings* List);
  // Runs a statement; returns the rows it changed.
  Integer Execute(const std::string& CommandText);
  // Transactions (SQLite files). BeginTrans returns the nesting level (1).
  Integer BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return FInTransaction; }

  Integer DataSetCount() const { return static_cast<Integer>(dataSets_.size()); }
  TCustomADODataSet* DataSets(Integer Index) const { return dataSets_[static_cast<size_t>(Index)]; }
  // The engine's database while connected (null otherwise).
  native::JetDatabase* Database() const { return db_.get(); }
  // Whether the open file refuses changes.
  bool IsReadOnlyFile() const;

  const TNotifyEvent& BeforeConnect() const { return FBeforeConnect; }
  void SetBeforeConnect(const TNotifyEvent& V) { FBeforeConnect = V; }
  const TNotifyEvent& AfterConnect() const { return FAfterConnect; }
  void SetAfterConnect(const TNotifyEvent& V) { FAfterConnect = V; }
  const TNotifyEvent& BeforeDisconnect() const { return FBeforeDisconnect; }
  void SetBeforeDisconnect(const TNotifyEvent& V) { FBeforeDisconnect = V; }
  const TNotifyEvent& AfterDisconnect() const { return FAfterDisconnect; }
  void SetAfterDisconnect(const TNotifyEvent& V) { FAfterDisconnect = V; }

  void Loaded() override;

private:
  friend class TCustomADODataSet;
  // Runs engine work for a component (this connection or one of its data sets), turning the
  // engine's errors into EADOError named after that component.
  template <class F> auto guarded(const TComponent* who, F f) -> decltype(f());
  void registerDataSet(TCustomADODataSet* ds);
  void unregisterDataSet(TCustomADODataSet* ds);

  std::unique_ptr<native::JetDatabase> db_;
  std::vector<TCustomADODataSet*> dataSets_;
  std::string FConnectionString;
  bool FLoginPrompt = true;
  TConnectMode FMode = cmUnknown;
  TCursorLocation FCursorLocation = clUseClient;
  Integer FConnectionTimeout = 15;
  Integer FCommandTimeout = 30;
  bool FKeepConnection = true;
  std::string FDefaultDatabase;
  bool FInTransaction = false;
  bool FStreamedConnected = false;
  TNotifyEvent FBeforeConnect, FAfterConnect, FBeforeDisconnect, FAfterDisconnect;
};

// =======================================================================================
// Parameters
// =======================================================================================

class TParameters;

// A named value bound to a command's '?' placeholders (each ':name' of the SQL is one).
class TParameter : public TCollectionItem {
  RTL_DECLARE_CLASS(TParameter, TCollectionItem)
public:
  explicit TParameter(TCollection* Collection);

  void Assign(TPersistent* Source) override;
  void LoadFromFile(const std::string& FileName, TFieldType DataType);

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  std::string DisplayName() const override { return FName.empty() ? TCollectionItem::DisplayName() : FName; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  TParameterDirection Direction() const { return FDirection; }
  void SetDirection(TParameterDirection Value) { FDirection = Value; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Byte Precision() const { return FPrecision; }
  void SetPrecision(Byte Value) { FPrecision = Value; }
  Byte NumericScale() const { return FNumericScale; }
  void SetNumericScale(Byte Value) { FNumericScale = Value; }
  Variant Value() const { return FValue; }
  // An untyped parameter takes the type of its first value.
  void SetValue(const Variant& Value);
  TParameters* Parameters() const;

private:
  std::string FName;
  TFieldType FDataType = ftUnknown;
  TParameterDirection FDirection = pdInput;
  Integer FSize = 0;
  Byte FPrecision = 0;
  Byte FNumericScale = 0;
  Variant FValue;
};

class TParameters : public TOwnedCollection {
  RTL_DECLARE_CLASS(TParameters, TOwnedCollection)
public:
  explicit TParameters(TPersistent* Owner);

  TParameter* AddParameter() { return static_cast<TParameter*>(Add()); }
  TParameter* CreateParameter(const std::string& Name, TFieldType DataType, TParameterDirection Direction,
                              Integer Size, const Variant& Value);
  // By name without regard to case; ParamByName raises "Parameter 'X' not found".
  TParameter* FindParam(const std::string& Value) const;
  TParameter* ParamByName(const std::string& Value) const;
  // The values of the named (';'-separated) parameters: one value or a variant array.
  Variant ParamValues(const std::string& ParamName) const;
  void SetParamValues(const std::string& ParamName, const Variant& Value);
  // As TParams::ParseSQL: the text with '?' for each ':name'; with DoCreate one parameter
  // per name (in order of first appearance), keeping the values of those already there.
  std::string ParseSQL(const std::string& SQL, bool DoCreate);
  TParameter* Items(Integer Index) const { return static_cast<TParameter*>(TCollection::Items(Index)); }
  TParameter* operator[](Integer Index) const { return Items(Index); }

private:
  friend class TCustomADODataSet;
  // The DoCreate half of ParseSQL, for names already read from the text.
  void createParams(const std::vector<std::string>& Names);
};

// =======================================================================================
// Data sets
// =======================================================================================

// What the ADO data sets share: the connection, the command, the parameters, the cursor
// settings and the writing of changes.
class TCustomADODataSet : public TDataSet {
  RTL_DECLARE_CLASS(TCustomADODataSet, TDataSet)
public:
  explicit TCustomADODataSet(TComponent* AOwner);
  ~TCustomADODataSet() override;

  TADOConnection* Connection() const { return FConnection; }
  void SetConnection(TADOConnection* Value);
  TCursorType CursorType() const { return FCursorType; }
  void SetCursorType(TCursorType Value) { FCursorType = Value; }
  TADOLockType LockType() const { return FLockType; }
  void SetLockType(TADOLockType Value) { FLockType = Value; }
  TCursorLocation CursorLocation() const { return FCursorLocation; }
  void SetCursorLocation(TCursorLocation Value) { FCursorLocation = Value; }
  Integer CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(Integer Value) { FCommandTimeout = Value; }
  Integer MaxRecords() const { return FMaxRecords; }
  void SetMaxRecords(Integer Value) { FMaxRecords = Value; }
  // Kept for the form descriptions that set it; commands are prepared on every run here.
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool Value) { FPrepared = Value; }
  TParameters* Parameters() const { return FParameters.get(); }
  void SetParameters(TParameters* Value);
  // The master data source: parameters named like its fields take their values, and the data
  // set runs again when the master's record changes. "Circular datalinks are not allowed"
  // when the master follows this data set.
  void SetDataSource(TDataSource* Value);
  // Rows changed by the last statement run with ExecSQL (-1 before any).
  Integer RowsAffected() const { return FRowsAffected; }
  // Runs the data set again (Close and Open), keeping the current position when it can.
  void Requery();

protected:
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  void InternalRefresh() override;
  void StoreRecord(Integer Row, const std::vector<Variant>& OldValues, std::vector<Variant>& NewValues) override;
  void RecordStored(Int64 RowKey) override;
  void EraseRecord(Integer Row, const std::vector<Variant>& Values) override;
  bool GetCanModify() const override;
  TDataSource* GetDataSource() const override;
  bool CancelAfterFailedPost(const Exception& E) const override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // The SQL this data set runs (with ':name' parameters).
  virtual std::string CommandSQL() const = 0;
  // Runs a statement that returns no rows; returns the rows it changed.
  Integer ExecuteCommand();
  // Makes the parameters those of the ':name's of a new command text, as
  // Parameters()->ParseSQL(SQL, true) does (the text is read once for this and its runs).
  void parametersFromSQL(const std::string& SQL);
  [[noreturn]] void Fail(const std::string& Message) const;

private:
  friend class TADOConnection;
  class MasterLink;
  struct Target;

  // A command text with its ':name's read: the text the engine runs ('?' for each) and the
  // names in order.
  struct ParsedSQL {
    std::string source, text;
    std::vector<std::string> names;
  };
  // The reading of SQL: the kept one when it was made from this very text, else a new one
  // that replaces it. It is looked up by the whole text, so it never stands for another.
  const ParsedSQL& parsedSQL(const std::string& sql);

  native::JetDatabase& database();
  void runQuery(bool withRows);
  std::vector<native::Value> boundParameters(const std::string& sql, std::string& text);
  void findTarget();
  void loadRows();
  void masterChanged();

  TADOConnection* FConnection = nullptr;
  TCursorType FCursorType = ctUnspecified;
  TADOLockType FLockType = ltOptimistic;
  TCursorLocation FCursorLocation = clUseClient;
  Integer FCommandTimeout = 30;
  Integer FMaxRecords = 0;
  bool FPrepared = false;
  Integer FRowsAffected = -1;
  std::unique_ptr<TParameters> FParameters;
  std::unique_ptr<MasterLink> FMasterLink;
  // The last result (columns and rows) while it is being loaded or described.
  struct ResultHolder;
  std::unique_ptr<ResultHolder> FResult;
  std::unique_ptr<Target> FTarget;
  // The row values as read from or written to the file, by row key, to find the row again;
  // kept compact, as the rows are (see TDataRows).
  class OriginalValues;
  std::unique_ptr<OriginalValues> FOriginals;
  std::vector<native::Value> FPendingOriginal;
  ParsedSQL FParsedSQL;  // of "" until a text is read
};

// A data set for SQL text: SELECT statements open (Open/Active), others run with ExecSQL.
// Changing SQL closes the query and re-reads its parameters.
class TADOQuery : public TCustomADODataSet {
  RTL_DECLARE_CLASS(TADOQuery, TCustomADODataSet)
public:
  explicit TADOQuery(TComponent* AOwner);
  ~TADOQuery() override;

  TStrings* SQL() const { return FSQL.get(); }
  void SetSQL(TStrings* Value);
  // Runs the SQL; returns the rows it changed (also in RowsAffected).
  Integer ExecSQL();

protected:
  std::string CommandSQL() const override;

private:
  void SQLChanged(TObject* Sender);
  std::unique_ptr<TStringList> FSQL;
};

// A data set over one whole table.
class TADOTable : public TCustomADODataSet {
  RTL_DECLARE_CLASS(TADOTable, TCustomADODataSet)
public:
  explicit TADOTable(TComponent* AOwner);

  const std::string& TableName() const { return FTableName; }
  void SetTableName(const std::string& Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  TDataSource* MasterSource() const { return DataSource(); }
  void SetMasterSource(TDataSource* Value) { SetDataSource(Value); }

protected:
  std::string CommandSQL() const override;
  bool GetCanModify() const override { return !FReadOnly && TCustomADODataSet::GetCanModify(); }

private:
  std::string FTableName;
  bool FReadOnly = false;
};

// A data set for a command text that is either SQL (cmdText) or a table name (cmdTable).
class TADODataSet : public TCustomADODataSet {
  RTL_DECLARE_CLASS(TADODataSet, TCustomADODataSet)
public:
  explicit TADODataSet(TComponent* AOwner);

  const std::string& CommandText() const { return FCommandText; }
  void SetCommandText(const std::string& Value);
  TCommandType CommandType() const { return FCommandType; }
  void SetCommandType(TCommandType Value);

protected:
  std::string CommandSQL() const override;

private:
  std::string FCommandText;
  TCommandType FCommandType = cmdText;
};

namespace ADODBUnit {
void Initialize();
void Finalize();
}  // namespace ADODBUnit
