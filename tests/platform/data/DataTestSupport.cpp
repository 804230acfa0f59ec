#include "DataTestSupport.h"

#include "platform/native/JetEngine.h"

#include <cstdio>

namespace datatest {

RTL_IMPLEMENT_CLASS(TTestDataSet)
RTL_IMPLEMENT_CLASS(TJournalLink)
RTL_IMPLEMENT_CLASS(TEventJournal)

TTestDataSet::~TTestDataSet() {
  Destroying();
  Close();
}

void TTestDataSet::InternalInitFieldDefs() {
  FieldDefs()->Clear();
  for (const Column& c : columns) FieldDefs()->Add(c.name, c.type, c.size, c.required);
}

void TTestDataSet::InternalOpen() {
  InternalInitFieldDefs();
  for (const std::vector<Variant>& r : rows) Rows().Append(r);
}

void TTestDataSet::StoreRecord(Integer Row, const std::vector<Variant>&, std::vector<Variant>&) {
  if (refuseChanges) DatabaseError("the store refused the change", this);
  stored.push_back(Row < 0 ? std::string("insert") : "update " + std::to_string(Row));
}

void TTestDataSet::EraseRecord(Integer Row, const std::vector<Variant>&) {
  if (refuseChanges) DatabaseError("the store refused the change", this);
  stored.push_back("erase " + std::to_string(Row));
}

std::string EventName(TDataEvent Event) { return GetEnumName(TypeInfo<TDataEvent>(), Event); }

void TJournalLink::DataEvent(TDataEvent Event, NativeInt Info) {
  if (logEvents) journal->push_back("event " + EventName(Event));
  TDataLink::DataEvent(Event, Info);
}

void TJournalLink::UpdateData() {
  journal->push_back("UpdateData");
  if (pendingField) pendingField->SetAsString(pendingValue);
  pendingField = nullptr;
}

void TEventJournal::Attach(TDataSet* ds) {
  ds->SetBeforeOpen(TDataSetNotifyEvent(this, &TEventJournal::BeforeOpen));
  ds->SetAfterOpen(TDataSetNotifyEvent(this, &TEventJournal::AfterOpen));
  ds->SetBeforeClose(TDataSetNotifyEvent(this, &TEventJournal::BeforeClose));
  ds->SetAfterClose(TDataSetNotifyEvent(this, &TEventJournal::AfterClose));
  ds->SetBeforeInsert(TDataSetNotifyEvent(this, &TEventJournal::BeforeInsert));
  ds->SetAfterInsert(TDataSetNotifyEvent(this, &TEventJournal::AfterInsert));
  ds->SetBeforeEdit(TDataSetNotifyEvent(this, &TEventJournal::BeforeEdit));
  ds->SetAfterEdit(TDataSetNotifyEvent(this, &TEventJournal::AfterEdit));
  ds->SetBeforePost(TDataSetNotifyEvent(this, &TEventJournal::BeforePost));
  ds->SetAfterPost(TDataSetNotifyEvent(this, &TEventJournal::AfterPost));
  ds->SetBeforeCancel(TDataSetNotifyEvent(this, &TEventJournal::BeforeCancel));
  ds->SetAfterCancel(TDataSetNotifyEvent(this, &TEventJournal::AfterCancel));
  ds->SetBeforeDelete(TDataSetNotifyEvent(this, &TEventJournal::BeforeDelete));
  ds->SetAfterDelete(TDataSetNotifyEvent(this, &TEventJournal::AfterDelete));
  ds->SetBeforeScroll(TDataSetNotifyEvent(this, &TEventJournal::BeforeScroll));
  ds->SetAfterScroll(TDataSetNotifyEvent(this, &TEventJournal::AfterScroll));
  ds->SetBeforeRefresh(TDataSetNotifyEvent(this, &TEventJournal::BeforeRefresh));
  ds->SetAfterRefresh(TDataSetNotifyEvent(this, &TEventJournal::AfterRefresh));
  ds->SetOnNewRecord(TDataSetNotifyEvent(this, &TEventJournal::OnNewRecord));
}

void TEventJournal::AttachSource(TDataSource* s) {
  s->SetOnStateChange(TNotifyEvent(this, &TEventJournal::StateChange));
  s->SetOnDataChange(TDataChangeEvent(this, &TEventJournal::DataChange));
  s->SetOnUpdateData(TNotifyEvent(this, &TEventJournal::UpdateData));
}

void FillPeople(TTestDataSet& ds) {
  ds.AddColumn("ID", ftInteger, 0, true);
  ds.AddColumn("Name", ftString, 20, true);
  ds.AddColumn("City", ftString, 15);
  ds.AddColumn("Age", ftSmallint);
  ds.AddColumn("Salary", ftFloat);
  ds.AddColumn("Born", ftDateTime);
  ds.AddColumn("Active", ftBoolean);
  auto date = [](Word y, Word m, Word d) { return VarFromDateTime(EncodeDate(y, m, d)); };
  ds.AddRow({1, "Ana", "Lisboa", 30, 1500.5, date(1994, 1, 2), true});
  ds.AddRow({2, "bruno", "Porto", 45, 2200.0, date(1979, 5, 6), false});
  ds.AddRow({3, "Carla", "lisboa", 28, Null(), date(1996, 3, 4), true});
  ds.AddRow({4, "Duarte", Null(), 52, 3100.0, Null(), false});
  ds.AddRow({5, "D'Ávila", "Faro", 35, 1800.0, date(1989, 7, 8), true});
  ds.AddRow({6, "Eva", "Porto", 30, 2500.0, date(1994, 12, 31), Null()});
  ds.AddRow({7, "Filipe", "Braga", 61, 4000.25, date(1963, 2, 3), false});
  ds.AddRow({8, "Ana Maria", "Porto", 19, 900.0, date(2005, 6, 7), true});
}

FormatGuard::FormatGuard() : saved_(FormatSettings) {
  FormatSettings.DecimalSeparator = '.';
  FormatSettings.ThousandSeparator = ',';
  FormatSettings.DateSeparator = '/';
  FormatSettings.TimeSeparator = ':';
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  FormatSettings.ShortTimeFormat = "hh:nn";
  FormatSettings.CurrencyString = "R$";
  FormatSettings.CurrencyFormat = 2;
  FormatSettings.NegCurrFormat = 9;
  FormatSettings.CurrencyDecimals = 2;
}

FormatGuard::~FormatGuard() { FormatSettings = saved_; }

std::string MakeTempDir() {
  std::string base = GetTempDir();
  for (int i = 0;; ++i) {
    std::string dir = base + "datatest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
    if (!DirectoryExists(dir) && CreateDir(dir)) return dir;
  }
}

void RemoveTree(const std::string& dir) {
  TSearchRec rec;
  if (FindFirst(dir + "\\*", faAnyFile, rec) == 0) {
    do {
      if (rec.Name == "." || rec.Name == "..") continue;
      std::string path = dir + "\\" + rec.Name;
      if (rec.Attr & faDirectory) RemoveTree(path);
      else DeleteFile(path);
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  RemoveDir(dir);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  TFileStream stream(path, fmCreate);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

std::string UnixPath(const std::string& path) {
  char full[4096];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  WCHAR wide[4096];
  if (!MultiByteToWideChar(CP_ACP, 0, full, -1, wide, 4096)) return path;
  char* unixName = wine_get_unix_file_name(wide);
  if (!unixName) return path;
  std::string result(unixName);
  HeapFree(GetProcessHeap(), 0, unixName);
  return result;
}

std::string Joined(const std::vector<std::string>& journal) {
  std::string s;
  for (const std::string& e : journal) s += (s.empty() ? "" : " | ") + e;
  return s;
}

}  // namespace datatest

namespace datatest {

void WritePeopleFile(const std::string& path) {
  native::OpenOptions options;
  options.create = true;
  native::JetDatabase db(UnixPath(path), options);
  using native::JetType;
  using native::jetTypeDeclaration;
  db.execute("create table Pessoas (Id INTEGER PRIMARY KEY, Nome " + jetTypeDeclaration(JetType::Text, 30) +
             ", Idade " + jetTypeDeclaration(JetType::Integer) + ")");
  db.execute("insert into Pessoas values (1, 'Ana', 30), (2, 'Bruno', 45), (3, 'Carla', 28), "
             "(4, 'Duarte', 52), (5, 'Eva', 19)");
}

}  // namespace datatest
