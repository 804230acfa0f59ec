#pragma once
// Helpers of the data-access tests: an in-memory data set the tests fill themselves, a data
// link and an event recorder that write every notification into one journal, and the
// connection strings of the test databases.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "platform/data/ADODB.h"
#include "platform/data/DB.h"

namespace datatest {

// A data set over rows the test gives (columns first, then rows); it opens with them and
// records what it is asked to store or erase. RefuseChanges makes StoreRecord and EraseRecord
// raise, as a store that does not accept a change would.
class TTestDataSet : public TDataSet {
  RTL_DECLARE_CLASS(TTestDataSet, TDataSet)
public:
  explicit TTestDataSet(TComponent* AOwner = nullptr) : TDataSet(AOwner) {}
  ~TTestDataSet() override;

  void AddColumn(const std::string& Name, TFieldType Type, Integer Size = 0, bool Required = false) {
    columns.push_back({Name, Type, Size, Required});
  }
  void AddRow(std::vector<Variant> Values) { rows.push_back(std::move(Values)); }

  struct Column {
    std::string name;
    TFieldType type;
    Integer size;
    bool required;
  };
  std::vector<Column> columns;
  std::vector<std::vector<Variant>> rows;
  bool canModify = true;
  bool refuseChanges = false;
  std::vector<std::string> stored;  // "update <row>", "insert", "erase <row>"

protected:
  void InternalOpen() override;
  void InternalInitFieldDefs() override;
  void StoreRecord(Integer Row, const std::vector<Variant>& OldValues, std::vector<Variant>& NewValues) override;
  void EraseRecord(Integer Row, const std::vector<Variant>& Values) override;
  bool GetCanModify() const override { return canModify; }
};

// The name of a data event ("deFieldChange" ...).
std::string EventName(TDataEvent Event);

// A data link that writes each notification it receives into a journal, after the raw
// event ("event deUpdateState"). On UpdateData it stores PendingValue into PendingField when
// one is set, as an edit control does with the text it holds.
class TJournalLink : public TDataLink {
  RTL_DECLARE_CLASS(TJournalLink, TDataLink)
public:
  explicit TJournalLink(std::vector<std::string>* Journal = nullptr) : journal(Journal ? Journal : &own) {}

  std::vector<std::string>* journal;
  std::vector<std::string> own;
  bool logEvents = false;  // also journal the raw DataEvent calls
  TField* pendingField = nullptr;
  std::string pendingValue;

protected:
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void ActiveChanged() override { journal->push_back("ActiveChanged"); }
  void CheckBrowseMode() override { journal->push_back("CheckBrowseMode"); }
  void DataSetChanged() override { journal->push_back("DataSetChanged"); }
  void DataSetScrolled(Integer Distance) override {
    journal->push_back("DataSetScrolled(" + std::to_string(Distance) + ")");
  }
  void EditingChanged() override { journal->push_back(std::string("EditingChanged(") + (Editing() ? "on" : "off") + ")"); }
  void LayoutChanged() override { journal->push_back("LayoutChanged"); }
  void RecordChanged(TField* Field) override {
    journal->push_back("RecordChanged(" + (Field ? Field->FieldName() : std::string("nil")) + ")");
  }
  void UpdateData() override;
  void FocusControl(TField** Field) override {
    journal->push_back("FocusControl(" + (*Field ? (*Field)->FieldName() : std::string("nil")) + ")");
  }
};

// Writes the data set's and a data source's events into a journal ("BeforePost" ...).
class TEventJournal : public TObject {
  RTL_DECLARE_CLASS(TEventJournal, TObject)
public:
  explicit TEventJournal(std::vector<std::string>* Journal) : journal(Journal) {}
  void Attach(TDataSet* DataSet);
  void AttachSource(TDataSource* Source);

  std::vector<std::string>* journal;

  void BeforeOpen(TDataSet*) { journal->push_back("BeforeOpen"); }
  void AfterOpen(TDataSet*) { journal->push_back("AfterOpen"); }
  void BeforeClose(TDataSet*) { journal->push_back("BeforeClose"); }
  void AfterClose(TDataSet*) { journal->push_back("AfterClose"); }
  void BeforeInsert(TDataSet*) { journal->push_back("BeforeInsert"); }
  void AfterInsert(TDataSet*) { journal->push_back("AfterInsert"); }
  void BeforeEdit(TDataSet*) { journal->push_back("BeforeEdit"); }
  void AfterEdit(TDataSet*) { journal->push_back("AfterEdit"); }
  void BeforePost(TDataSet*) { journal->push_back("BeforePost"); }
  void AfterPost(TDataSet*) { journal->push_back("AfterPost"); }
  void BeforeCancel(TDataSet*) { journal->push_back("BeforeCancel"); }
  void AfterCancel(TDataSet*) { journal->push_back("AfterCancel"); }
  void BeforeDelete(TDataSet*) { journal->push_back("BeforeDelete"); }
  void AfterDelete(TDataSet*) { journal->push_back("AfterDelete"); }
  void BeforeScroll(TDataSet*) { journal->push_back("BeforeScroll"); }
  void AfterScroll(TDataSet*) { journal->push_back("AfterScroll"); }
  void BeforeRefresh(TDataSet*) { journal->push_back("BeforeRefresh"); }
  void AfterRefresh(TDataSet*) { journal->push_back("AfterRefresh"); }
  void OnNewRecord(TDataSet*) { journal->push_back("OnNewRecord"); }
  void StateChange(TObject*) { journal->push_back("OnStateChange"); }
  void DataChange(TObject*, TField* Field) {
    journal->push_back("OnDataChange(" + (Field ? Field->FieldName() : std::string("nil")) + ")");
  }
  void UpdateData(TObject*) { journal->push_back("OnUpdateData"); }
};

// The people the data-set tests work on (columns ID, Name, City, Age, Salary, Born, Active):
//   1 Ana 'Lisboa' 30 1500.5 02/01/1994 T      5 D'Ávila 'Faro' 35 1800 08/07/1989 T
//   2 bruno 'Porto' 45 2200 06/05/1979 F       6 Eva 'Porto' 30 2500 31/12/1994 null
//   3 Carla 'lisboa' 28 null 04/03/1996 T      7 Filipe 'Braga' 61 4000.25 03/02/1963 F
//   4 Duarte null 52 3100 null F               8 Ana Maria 'Porto' 19 900 07/06/2005 T
void FillPeople(TTestDataSet& ds);

// Known format settings for the duration of a test ('.' decimals, ',' thousands, dd/mm/yyyy
// dates, "R$ " money with 2 decimals), restored afterwards.
class FormatGuard {
public:
  FormatGuard();
  ~FormatGuard();

private:
  TFormatSettings saved_;
};

// A connection string naming a file.
inline std::string ConnectionStringFor(const std::string& path) {
  return "Provider=TestProvider;Data Source=" + path + ";Persist Security Info=False";
}

// A new, empty folder under the temporary folder (a drive-letter path; RemoveTree removes it).
std::string MakeTempDir();
void RemoveTree(const std::string& dir);
// Writes a SQLite file with the table Pessoas (Id, Nome, Idade) of five people: Ana 30,
// Bruno 45, Carla 28, Duarte 52 and Eva 19, with the ids 1 to 5.
void WritePeopleFile(const std::string& path);
// Writes a file with exactly these bytes.
void WriteFile(const std::string& path, const std::string& bytes);
// The host name of a drive-letter path, as the engine opens files.
std::string UnixPath(const std::string& path);

// Joins a journal for failure messages.
std::string Joined(const std::vector<std::string>& journal);

}  // namespace datatest
