// TDataSet over an in-memory data set: navigation, the record window seen by data links,
// bookmarks, Locate and Lookup, filters, editing with its notifications, DisableControls,
// calculated and lookup fields, and the circular-link checks.
#include <memory>

#include "DataTestSupport.h"

using namespace datatest;

namespace {

class People : public ::testing::Test {
protected:
  void SetUp() override {
    ds = std::make_unique<TTestDataSet>();
    ds->SetName("People");
    FillPeople(*ds);
    ds->Open();
  }

  Integer id() const { return ds->FieldByName("ID")->AsInteger(); }
  // The IDs of the visible records, walking from the first to the last.
  std::vector<Integer> ids() {
    std::vector<Integer> out;
    ds->First();
    while (!ds->Eof()) {
      out.push_back(id());
      ds->Next();
    }
    return out;
  }

  FormatGuard formats;
  std::unique_ptr<TTestDataSet> ds;
};

// A data source with a journaling link and an event journal on the data set and the source.
struct Watched {
  explicit Watched(TDataSet* ds, Integer bufferCount = 1) : events(&journal), link(&journal) {
    source.SetName("Source");
    source.SetDataSet(ds);
    link.SetBufferCount(bufferCount);
    link.SetDataSource(&source);
    events.Attach(ds);
    events.AttachSource(&source);
    journal.clear();
  }
  std::vector<std::string> journal;
  TEventJournal events;
  TDataSource source{nullptr};
  TJournalLink link;
};

using Journal = std::vector<std::string>;

}  // namespace

// --- Navigation.

TEST_F(People, OpenMakesTheFirstRecordCurrentWithBofSet) {
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(id(), 1);
  EXPECT_EQ(ds->RecNo(), 1);
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(ds->RecordCount(), 8);
}

TEST_F(People, NextAndPriorWalkEveryRecordAndStopAtTheEnds) {
  EXPECT_EQ(ids(), (std::vector<Integer>{1, 2, 3, 4, 5, 6, 7, 8}));
  // Eof was set by a Next that found no record: the last record stays current.
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(id(), 8);
  ds->Prior();
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(id(), 7);
  std::vector<Integer> backwards;
  ds->Last();
  while (!ds->Bof()) {
    backwards.push_back(id());
    ds->Prior();
  }
  EXPECT_EQ(backwards, (std::vector<Integer>{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(id(), 1);
}

TEST_F(People, MoveByReturnsTheDistanceMovedAndClampsAtTheEnds) {
  EXPECT_EQ(ds->MoveBy(3), 3);
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_EQ(ds->MoveBy(100), 4);
  EXPECT_EQ(ds->RecNo(), 8);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->MoveBy(1), 0) << "moving on from Eof moves nothing";
  EXPECT_EQ(ds->MoveBy(-100), -7);
  EXPECT_EQ(ds->RecNo(), 1);
  EXPECT_TRUE(ds->Bof());
}

TEST_F(People, SettingRecNoMovesThereClampedToTheRecords) {
  struct Case {
    Integer set, recNo, id;
  };
  for (Case c : {Case{5, 5, 5}, Case{8, 8, 8}, Case{0, 1, 1}, Case{99, 8, 8}, Case{-3, 1, 1}}) {
    ds->SetRecNo(c.set);
    EXPECT_EQ(ds->RecNo(), c.recNo) << "RecNo := " << c.set;
    EXPECT_EQ(id(), c.id) << "RecNo := " << c.set;
  }
}

TEST(DataSetEmpty, EmptyDataSetIsBofAndEofAndReadsNull) {
  TTestDataSet ds;
  ds.AddColumn("ID", ftInteger);
  ds.AddColumn("Name", ftString, 10);
  ds.Open();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Bof());
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 0);
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.Bookmark(), "");
  EXPECT_TRUE(ds.FieldByName("Name")->IsNull());
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 0);
  EXPECT_EQ(ds.MoveBy(1), 0);
  ds.Last();
  EXPECT_TRUE(ds.Bof() && ds.Eof());
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds.Delete(); }),
            "Cannot perform this operation on an empty dataset");
}

TEST(DataSetClosed, OperationsOnAClosedDataSetRaise) {
  TTestDataSet ds;
  ds.SetName("Closed");
  FillPeople(ds);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds.Next(); }),
            "Closed: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds.Edit(); }),
            "Closed: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ds.RecordCount(), 0);
  ds.Open();
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds.Fields()->Fields(0)->SetFieldName("Other"); }),
            "Closed: Cannot perform this operation on an open dataset");
}

// --- The record window.

TEST_F(People, LinkSeesItsBufferCountOfRecordsAndScrollsByTheDistanceMoved) {
  Watched w(ds.get(), 3);
  EXPECT_EQ(w.link.RecordCount(), 3);
  EXPECT_EQ(w.link.ActiveRecord(), 0);
  ds->Next();
  ds->Next();
  EXPECT_EQ(w.link.ActiveRecord(), 2);
  ds->Next();  // past the window's last record: the window moves one record down
  EXPECT_EQ(w.link.ActiveRecord(), 2);
  ds->Prior();
  ds->Prior();
  ds->Prior();  // before the window's first record: the window moves one record up
  EXPECT_EQ(w.link.ActiveRecord(), 0);
  EXPECT_EQ(w.link.RecordCount(), 3);
  Journal scrolls;
  for (const std::string& e : w.journal)
    if (e.rfind("DataSetScrolled", 0) == 0) scrolls.push_back(e);
  EXPECT_EQ(scrolls, (Journal{"DataSetScrolled(0)", "DataSetScrolled(0)", "DataSetScrolled(1)", "DataSetScrolled(0)",
                              "DataSetScrolled(0)", "DataSetScrolled(-1)"}))
      << Joined(w.journal);
}

TEST_F(People, SettingTheLinksActiveRecordShowsAnotherRecordOfTheWindow) {
  Watched w(ds.get(), 4);
  ds->SetRecNo(3);
  std::vector<Integer> shown;
  Integer saved = w.link.ActiveRecord();
  for (Integer i = 0; i < w.link.RecordCount(); ++i) {
    w.link.SetActiveRecord(i);
    shown.push_back(id());
  }
  w.link.SetActiveRecord(saved);
  EXPECT_EQ(id(), 3);
  ASSERT_EQ(shown.size(), 4u);
  // The window holds four consecutive records, the current one among them.
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_EQ(shown[i], shown[0] + static_cast<Integer>(i));
  EXPECT_LE(shown[0], 3);
  EXPECT_GE(shown[3], 3);
}

TEST_F(People, LinkRecordCountIsWhatTheFilterLeaves) {
  Watched w(ds.get(), 5);
  ds->SetFilter("City = 'Porto'");
  ds->SetFiltered(true);
  EXPECT_EQ(w.link.RecordCount(), 3);
  ds->SetFiltered(false);
  EXPECT_EQ(w.link.RecordCount(), 5);
}

// --- Bookmarks.

TEST_F(People, GotoBookmarkReturnsToTheSameRow) {
  ds->SetRecNo(5);
  TBookmark b = ds->Bookmark();
  ds->First();
  ds->GotoBookmark(b);
  EXPECT_EQ(id(), 5);
  ds->SetBookmark(b);
  EXPECT_EQ(ds->RecNo(), 5);
}

TEST_F(People, BookmarkFollowsItsRowWhenRowsAreInsertedBeforeIt) {
  ds->SetRecNo(6);
  TBookmark b = ds->Bookmark();
  ds->First();
  ds->Insert();
  ds->FieldByName("ID")->SetAsInteger(100);
  ds->FieldByName("Name")->SetAsString("Novo");
  ds->Post();
  ASSERT_TRUE(ds->BookmarkValid(b));
  ds->GotoBookmark(b);
  EXPECT_EQ(id(), 6);
  EXPECT_EQ(ds->RecNo(), 7);
}

TEST_F(People, BookmarkOfADeletedOrFilteredOutRowIsInvalid) {
  ds->SetRecNo(2);
  TBookmark bruno = ds->Bookmark();
  ds->SetRecNo(4);
  TBookmark duarte = ds->Bookmark();
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(duarte));
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->GotoBookmark(duarte); }), "People: Record not found");
  EXPECT_TRUE(ds->BookmarkValid(bruno));
  ds->SetFilter("Age < 40");
  ds->SetFiltered(true);
  EXPECT_FALSE(ds->BookmarkValid(bruno)) << "bruno is 45";
  EXPECT_FALSE(ds->BookmarkValid(""));
  EXPECT_FALSE(ds->BookmarkValid("garbage"));
}

TEST_F(People, CompareBookmarksOrdersByRowAndPutsNoBookmarkFirst) {
  ds->SetRecNo(2);
  TBookmark two = ds->Bookmark();
  ds->SetRecNo(5);
  TBookmark five = ds->Bookmark();
  EXPECT_LT(ds->CompareBookmarks(two, five), 0);
  EXPECT_GT(ds->CompareBookmarks(five, two), 0);
  EXPECT_EQ(ds->CompareBookmarks(five, ds->Bookmark()), 0);
  EXPECT_LT(ds->CompareBookmarks("", two), 0);
  EXPECT_GT(ds->CompareBookmarks(two, ""), 0);
  EXPECT_EQ(ds->CompareBookmarks("", ""), 0);
  ds->FreeBookmark(two);
  EXPECT_EQ(two, "");
}

// --- Locate and Lookup.

TEST_F(People, LocateFindsByOneOrSeveralFieldsWithItsOptions) {
  struct Case {
    const char* fields;
    Variant keys;
    TLocateOptions options;
    Integer found;  // 0: not found
  };
  const Case cases[] = {
      {"Name", "Ana", {}, 1},
      {"Name", "ana", {}, 0},
      {"Name", "ana", {loCaseInsensitive}, 1},
      {"Name", "Ana M", {}, 0},
      {"Name", "Ana M", {loPartialKey}, 8},
      {"Name", "ANA m", {loCaseInsensitive, loPartialKey}, 8},
      {"Name", "D'ÁVILA", {loCaseInsensitive}, 5},
      {"City;Age", VarArrayOf({"Porto", 30}), {}, 6},
      {" City ; Age ", VarArrayOf({"porto", 30}), {loCaseInsensitive}, 6},
      {"City;Age", VarArrayOf({"Porto", 31}), {}, 0},
      {"City", Null(), {}, 4},
      {"Salary", 2200, {}, 2},
      {"Salary", "4000.25", {}, 7},
      {"Born", VarFromDateTime(EncodeDate(1963, 2, 3)), {}, 7},
      {"Active;Age", VarArrayOf({false, 52}), {}, 4},
  };
  for (const Case& c : cases) {
    ds->SetRecNo(3);
    bool found = ds->Locate(c.fields, c.keys, c.options);
    EXPECT_EQ(found, c.found != 0) << c.fields << " = " << VarToStr(c.keys);
    EXPECT_EQ(id(), c.found ? c.found : 3) << c.fields << " = " << VarToStr(c.keys) << " (not found keeps the record)";
  }
}

TEST_F(People, LocateTellsTheLinksAndScrollEvents) {
  Watched w(ds.get());
  ASSERT_TRUE(ds->Locate("Name", "Eva", {}));
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode", "BeforeScroll", "DataSetChanged", "OnDataChange(nil)", "AfterScroll"}))
      << Joined(w.journal);
  w.journal.clear();
  EXPECT_FALSE(ds->Locate("Name", "Nobody", {}));
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode"})) << Joined(w.journal);
}

TEST_F(People, LocateOnAnUnknownFieldRaises) {
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Locate("Name;Nope", VarArrayOf({"Ana", 1}), {}); }),
            "People: Field 'Nope' not found");
}

TEST_F(People, LookupReadsAnotherRecordWithoutMoving) {
  ds->SetRecNo(2);
  EXPECT_EQ(ds->Lookup("Name", "Filipe", "Age").AsInteger(), 61);
  Variant several = ds->Lookup("City;Age", VarArrayOf({"Porto", 19}), "Name;Salary");
  ASSERT_TRUE(several.IsArray());
  EXPECT_EQ(several[0].AsString(), "Ana Maria");
  EXPECT_EQ(several[1].AsDouble(), 900.0);
  EXPECT_TRUE(ds->Lookup("Name", "Nobody", "Age").IsNull());
  EXPECT_EQ(id(), 2) << "Lookup must not move";
}

// --- Filters.

TEST_F(People, FilterExpressionsSelectTheRecordsTheySay) {
  struct Case {
    const char* filter;
    TFilterOptions options;
    std::vector<Integer> ids;
  };
  const Case cases[] = {
      {"Age > 40", {}, {2, 4, 7}},
      {"Age >= 30 AND Age <= 35", {}, {1, 5, 6}},
      {"Age < 30", {}, {3, 8}},
      {"Age <> 30", {}, {2, 3, 4, 5, 7, 8}},
      {"City = 'Porto'", {}, {2, 6, 8}},
      {"City = 'porto'", {}, {}},
      {"City = 'porto'", {foCaseInsensitive}, {2, 6, 8}},
      {"City <> 'Porto'", {}, {1, 3, 5, 7}},
      {"City IS NULL", {}, {4}},
      {"City IS NOT NULL", {}, {1, 2, 3, 5, 6, 7, 8}},
      {"City = NULL", {}, {4}},
      {"City <> NULL", {}, {1, 2, 3, 5, 6, 7, 8}},
      {"Name LIKE 'Ana%'", {}, {1, 8}},
      {"Name LIKE '*a'", {}, {1, 3, 5, 6, 8}},
      {"Name LIKE '_va'", {}, {6}},
      {"Name LIKE 'ANA%'", {}, {}},
      {"Name LIKE 'ANA%'", {foCaseInsensitive}, {1, 8}},
      {"Name NOT LIKE 'A%'", {}, {2, 3, 4, 5, 6, 7}},
      {"Name = 'Ana*'", {}, {1, 8}},
      {"Name = 'Ana*'", {foNoPartialCompare}, {}},
      {"Name = 'D''Ávila'", {}, {5}},
      {"[Name] = 'Eva'", {}, {6}},
      {"NOT (City = 'Porto') OR Age < 20", {}, {1, 3, 5, 7, 8}},
      {"City = 'Porto' OR City = 'Faro' AND Age > 40", {}, {2, 6, 8}},
      {"(City = 'Porto' OR City = 'Faro') AND Age > 40", {}, {2}},
      {"Age BETWEEN 28 AND 30", {}, {1, 3, 6}},
      {"Age NOT BETWEEN 28 AND 60", {}, {7, 8}},
      {"ID IN (2, 4, 9)", {}, {2, 4}},
      {"ID NOT IN (1, 2, 3, 4, 5, 6, 7)", {}, {8}},
      {"Salary * 2 > 5000", {}, {4, 7}},
      {"Salary - 1500.5 = 0", {}, {1}},
      {"Born < '01/01/1980'", {}, {2, 7}},
      {"Active = TRUE", {}, {1, 3, 5, 8}},
      {"Active", {}, {1, 3, 5, 8}},
      {"NOT Active", {}, {2, 4, 7}},
      {"", {}, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const Case& c : cases) {
    ds->SetFiltered(false);
    ds->SetFilterOptions(c.options);
    ds->SetFilter(c.filter);
    ds->SetFiltered(true);
    EXPECT_EQ(ids(), c.ids) << "Filter: " << c.filter;
    EXPECT_EQ(ds->RecordCount(), static_cast<Integer>(c.ids.size())) << "Filter: " << c.filter;
  }
}

TEST_F(People, BadFilterExpressionsRaiseAndLeaveTheFilterAsItWas) {
  ds->SetFilter("Age > 40");
  ds->SetFiltered(true);
  struct Case {
    const char* filter;
    const char* message;
  };
  const Case cases[] = {
      {"Age >", "People: Expression expected but nothing found"},
      {"(Age > 1", "People: ')' expected but nothing found"},
      {"City = 'Porto", "People: Unterminated string constant"},
      {"[City = 1", "People: Unterminated field name"},
      {"Age > 1 Age", "People: Filter expression incorrectly terminated"},
      {"Age # 1", "People: Invalid filter expression character: '#'"},
      {"Nope = 1", "People: Field 'Nope' not found"},
      {"Age > 'abc'", "People: Type mismatch in expression"},
      {"Age < NULL", "People: NULL only allowed with '=' and '<>'"},
      {"AND Age > 1", "People: Expression expected but 'AND' found"},
      {"ID IN (1, 2", "People: ')' expected but nothing found"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->SetFilter(c.filter); }), c.message) << c.filter;
    EXPECT_EQ(ds->Filter(), "Age > 40") << c.filter;
    EXPECT_EQ(ids(), (std::vector<Integer>{2, 4, 7})) << c.filter;
  }
}

TEST_F(People, FilteredWithABadExpressionStaysOff) {
  ds->SetFilter("Age >");
  EXPECT_FALSE(RaisedMessage<EDatabaseError>([&] { ds->SetFiltered(true); }).empty());
  EXPECT_FALSE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 8);
}

TEST_F(People, OnFilterRecordCombinesWithTheExpression) {
  struct Handler : TObject {
    void Filter(TDataSet* ds, bool& accept) { accept = ds->FieldByName("ID")->AsInteger() % 2 == 0; }
  } handler;
  ds->SetFilter("Age >= 30");
  ds->SetOnFilterRecord(TFilterRecordEvent(&handler, &Handler::Filter));
  ds->SetFiltered(true);
  EXPECT_EQ(ids(), (std::vector<Integer>{2, 4, 6}));
  ds->SetFilter("");
  EXPECT_EQ(ids(), (std::vector<Integer>{2, 4, 6, 8}));
}

TEST_F(People, ChangingTheFilterGoesToTheFirstRecordAndTellsTheLinks) {
  ds->SetRecNo(6);
  Watched w(ds.get());
  ds->SetFilter("City = 'Porto'");
  EXPECT_TRUE(w.journal.empty()) << "not filtered yet: " << Joined(w.journal);
  ds->SetFiltered(true);
  EXPECT_EQ(id(), 2);
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode", "CheckBrowseMode", "BeforeScroll", "DataSetChanged",
                                "OnDataChange(nil)", "AfterScroll"}))
      << Joined(w.journal);
}

TEST(DataSetFilter, AFilterSetBeforeOpeningAppliesAtOpen) {
  TTestDataSet ds;
  FillPeople(ds);
  ds.SetFilter("Age > 50");
  ds.SetFiltered(true);
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 4);
}

// --- Editing.

TEST_F(People, EditAndPostNotifyInOrderAndStoreTheRecord) {
  Watched w(ds.get());
  ds->Edit();
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode", "BeforeEdit", "EditingChanged(on)", "OnStateChange",
                                "RecordChanged(nil)", "OnDataChange(nil)", "AfterEdit"}))
      << Joined(w.journal);
  w.journal.clear();
  ds->FieldByName("Name")->SetAsString("Ana B");
  EXPECT_EQ(w.journal, (Journal{"RecordChanged(Name)", "OnDataChange(Name)"})) << Joined(w.journal);
  EXPECT_TRUE(ds->Modified());
  w.journal.clear();
  // A control holding a typed value stores it when asked (UpdateData).
  w.link.pendingField = ds->FieldByName("Age");
  w.link.pendingValue = "31";
  ds->Post();
  EXPECT_EQ(w.journal, (Journal{"UpdateData", "OnDataChange(Age)", "OnUpdateData", "CheckBrowseMode", "BeforePost",
                                "EditingChanged(off)", "OnStateChange", "DataSetChanged", "OnDataChange(nil)",
                                "AfterPost"}))
      << Joined(w.journal);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(ds->Modified());
  EXPECT_EQ(ds->stored, (Journal{"update 0"}));
  ds->Last();
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ana B");
  EXPECT_EQ(ds->FieldByName("Age")->AsInteger(), 31);
}

TEST_F(People, CancelDropsTheEditAndNotifies) {
  Watched w(ds.get());
  ds->SetRecNo(3);
  ds->Edit();
  ds->FieldByName("City")->SetAsString("Coimbra");
  EXPECT_EQ(ds->FieldByName("City")->OldValue().AsString(), "lisboa");
  w.journal.clear();
  ds->Cancel();
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode", "BeforeCancel", "EditingChanged(off)", "OnStateChange",
                                "DataSetChanged", "OnDataChange(nil)", "AfterCancel"}))
      << Joined(w.journal);
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "lisboa");
  EXPECT_EQ(id(), 3);
  EXPECT_TRUE(ds->stored.empty());
}

TEST_F(People, InsertPutsANewRecordBeforeTheCurrentOne) {
  Watched w(ds.get());
  ds->SetRecNo(3);
  w.journal.clear();
  ds->Insert();
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode", "BeforeInsert", "BeforeScroll", "EditingChanged(on)",
                                "OnStateChange", "OnNewRecord", "DataSetChanged", "OnDataChange(nil)", "AfterInsert",
                                "AfterScroll"}))
      << Joined(w.journal);
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(ds->RecNo(), -1);
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
  EXPECT_TRUE(ds->FieldByName("ID")->OldValue().IsNull());
  ds->FieldByName("ID")->SetAsInteger(9);
  ds->FieldByName("Name")->SetAsString("Gil");
  ds->Post();
  EXPECT_EQ(id(), 9);
  EXPECT_EQ(ds->RecNo(), 3);
  EXPECT_EQ(ds->stored, (Journal{"insert"}));
  EXPECT_EQ(ids(), (std::vector<Integer>{1, 2, 9, 3, 4, 5, 6, 7, 8}));
}

TEST_F(People, AppendAddsAtTheEndAndCancelReturnsToWhereItWas) {
  ds->SetRecNo(4);
  ds->Append();
  ds->Cancel();
  EXPECT_EQ(ds->RecordCount(), 8);
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(10);
  ds->FieldByName("Name")->SetAsString("Hugo");
  ds->Post();
  EXPECT_EQ(ds->RecNo(), 9);
  EXPECT_EQ(ids().back(), 10);
  ds->SetRecNo(2);
  ds->Insert();
  ds->Cancel();
  EXPECT_EQ(id(), 2) << "cancelling an insert returns to the record that was current";
}

TEST_F(People, NewRecordOfOnNewRecordIsNotModified) {
  struct Handler : TObject {
    void NewRecord(TDataSet* ds) { ds->FieldByName("City")->SetAsString("Évora"); }
  } handler;
  ds->SetOnNewRecord(TDataSetNotifyEvent(&handler, &Handler::NewRecord));
  ds->Append();
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Évora");
  EXPECT_FALSE(ds->Modified());
  // CheckBrowseMode cancels an unmodified new record.
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 8);
}

TEST_F(People, CheckBrowseModePostsAModifiedRecord) {
  ds->Edit();
  ds->FieldByName("Age")->SetAsInteger(33);
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->stored, (Journal{"update 0"}));
  EXPECT_EQ(ds->FieldByName("Age")->AsInteger(), 33);
}

TEST_F(People, NavigatingPostsAPendingEdit) {
  ds->Edit();
  ds->FieldByName("Age")->SetAsInteger(34);
  ds->Next();
  EXPECT_EQ(ds->stored, (Journal{"update 0"}));
  ds->Prior();
  EXPECT_EQ(ds->FieldByName("Age")->AsInteger(), 34);
}

TEST_F(People, DeleteRemovesTheCurrentRecordAndShowsTheNext) {
  Watched w(ds.get());
  ds->SetRecNo(3);
  w.journal.clear();
  ds->Delete();
  EXPECT_EQ(w.journal, (Journal{"CheckBrowseMode", "BeforeDelete", "BeforeScroll", "DataSetChanged",
                                "OnDataChange(nil)", "AfterDelete", "AfterScroll"}))
      << Joined(w.journal);
  EXPECT_EQ(id(), 4);
  EXPECT_EQ(ds->RecordCount(), 7);
  ds->Last();
  ds->Delete();
  EXPECT_EQ(id(), 7) << "deleting the last record shows the new last one";
  EXPECT_EQ(ds->stored, (Journal{"erase 2", "erase 6"}));
}

TEST_F(People, EditingAnEmptyDataSetInserts) {
  ds->SetFilter("Age > 100");
  ds->SetFiltered(true);
  ASSERT_TRUE(ds->IsEmpty());
  ds->Edit();
  EXPECT_EQ(ds->State(), dsInsert);
}

TEST_F(People, AStoreThatRefusesKeepsTheEditAndTheRows) {
  ds->refuseChanges = true;
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Changed");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Post(); }), "People: the store refused the change");
  EXPECT_EQ(ds->State(), dsEdit) << "a failed Post leaves the record being edited";
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Changed");
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ana");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Delete(); }), "People: the store refused the change");
  EXPECT_EQ(ds->RecordCount(), 8);
}

TEST_F(People, PostErrorHandlerCanAbortOrRetry) {
  struct Handler : TObject {
    TDataAction action = daAbort;
    TTestDataSet* ds = nullptr;
    int calls = 0;
    void Error(TDataSet*, EDatabaseError&, TDataAction& a) {
      ++calls;
      a = action;
      ds->refuseChanges = false;  // a retry will now succeed
    }
  } handler;
  handler.ds = ds.get();
  ds->SetOnPostError(TDataSetErrorEvent(&handler, &Handler::Error));
  ds->refuseChanges = true;
  ds->Edit();
  ds->FieldByName("Age")->SetAsInteger(40);
  bool aborted = false;
  try {
    ds->Post();
  } catch (const EAbort&) {
    aborted = true;
  }
  EXPECT_TRUE(aborted) << "daAbort turns the error into a silent abort";
  EXPECT_EQ(ds->State(), dsEdit);
  ds->refuseChanges = true;
  handler.action = daRetry;
  ds->Post();
  EXPECT_EQ(handler.calls, 2);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->stored, (Journal{"update 0"}));
}

TEST_F(People, RequiredFieldsMustHaveAValueToPost) {
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(11);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Post(); }), "Field 'Name' must have a value");
  EXPECT_EQ(ds->State(), dsInsert);
}

TEST_F(People, ChangesNeedEditModeAndAModifiableDataSet) {
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->FieldByName("Age")->SetAsInteger(1); }),
            "People: Dataset not in edit or insert mode");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Post(); }), "People: Dataset not in edit or insert mode");
  ds->Close();
  ds->canModify = false;
  ds->Open();
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Edit(); }), "People: Cannot modify a read-only dataset");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->Append(); }), "People: Cannot modify a read-only dataset");
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(People, RefreshKeepsThePositionAndTellsTheLinks) {
  Watched w(ds.get());
  ds->SetRecNo(4);
  w.journal.clear();
  ds->Refresh();
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_EQ(w.journal, (Journal{"BeforeRefresh", "CheckBrowseMode", "DataSetChanged", "OnDataChange(nil)",
                                "AfterRefresh"}))
      << Joined(w.journal);
}

TEST_F(People, AppendRecordPostsTheValuesGiven) {
  ds->AppendRecord({12, "Iris", Variant(), 27});
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(id(), 12);
  EXPECT_EQ(ds->FieldByName("Age")->AsInteger(), 27);
  EXPECT_TRUE(ds->FieldByName("City")->IsNull());
}

// --- Controls.

TEST_F(People, DisabledControlsHearNothingUntilEnabledThenOneChange) {
  Watched w(ds.get());
  w.link.logEvents = true;
  ds->DisableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->Next();
  ds->Edit();
  ds->FieldByName("Age")->SetAsInteger(50);
  ds->Post();
  ds->Last();
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_EQ(w.journal, (Journal{"event deDisabledStateChange", "BeforeScroll", "AfterScroll", "BeforeEdit", "AfterEdit",
                                "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll",
                                "event deDisabledStateChange", "event deDataSetChange", "DataSetChanged",
                                "OnDataChange(nil)"}))
      << Joined(w.journal);
}

TEST_F(People, DisableControlsNests) {
  Watched w(ds.get());
  ds->DisableControls();
  ds->DisableControls();
  ds->EnableControls();
  ds->Next();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
}

TEST_F(People, EditThroughTheLinkRespectsAutoEditAndReadOnly) {
  Watched w(ds.get());
  w.source.SetAutoEdit(false);
  EXPECT_FALSE(w.link.Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  w.source.SetAutoEdit(true);
  w.link.SetReadOnly(true);
  EXPECT_FALSE(w.link.Edit());
  w.link.SetReadOnly(false);
  EXPECT_TRUE(w.link.Edit());
  EXPECT_EQ(ds->State(), dsEdit);
}

TEST_F(People, ClosingAndDisablingTheSourceDeactivateTheLink) {
  Watched w(ds.get());
  EXPECT_TRUE(w.link.Active());
  w.source.SetEnabled(false);
  EXPECT_FALSE(w.link.Active());
  w.source.SetEnabled(true);
  EXPECT_TRUE(w.link.Active());
  w.journal.clear();
  ds->Close();
  EXPECT_FALSE(w.link.Active());
  EXPECT_EQ(w.journal, (Journal{"BeforeClose", "ActiveChanged", "OnStateChange", "AfterClose"})) << Joined(w.journal);
  EXPECT_EQ(w.source.State(), dsInactive);
}

TEST_F(People, FreeingTheDataSetLeavesTheSourceEmpty) {
  Watched w(ds.get());
  ds.reset();
  EXPECT_EQ(w.source.DataSet(), nullptr);
  EXPECT_FALSE(w.link.Active());
  EXPECT_EQ(w.link.DataSet(), nullptr);
}

TEST_F(People, FocusControlAsksTheLinks) {
  Watched w(ds.get());
  ds->FieldByName("City")->FocusControl();
  EXPECT_EQ(w.journal, (Journal{"FocusControl(City)"}));
}

// --- Fields by name and lists.

TEST_F(People, FieldsAreFoundByNameWithoutRegardToCase) {
  EXPECT_EQ(ds->FieldByName("name")->FieldName(), "Name");
  EXPECT_EQ(ds->FindField("NOPE"), nullptr);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->FieldByName("Nope"); }), "People: Field 'Nope' not found");
  std::vector<TField*> list = ds->GetFieldList(" City; age ;ID");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->FieldName(), "City");
  EXPECT_EQ(list[1]->FieldName(), "Age");
  EXPECT_EQ(list[2]->FieldName(), "ID");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds->GetFieldList("City;Nope"); }), "People: Field 'Nope' not found");
  TStringList names;
  ds->GetFieldNames(&names);
  EXPECT_EQ(names.CommaText(), "ID,Name,City,Age,Salary,Born,Active");
  EXPECT_EQ(ds->FieldByNumber(3)->FieldName(), "City");
  EXPECT_TRUE(ds->DefaultFields());
}

TEST(DataSetFieldList, ExtractFieldNameWalksASemicolonList) {
  std::string list = " A ;B;; C";
  Integer pos = 1;
  std::vector<std::string> got;
  while (pos <= static_cast<Integer>(list.size())) got.push_back(ExtractFieldName(list, pos));
  EXPECT_EQ(got, (std::vector<std::string>{"A", "B", "", "C"}));
}

TEST(DataSetFieldList, FieldNamesOfAClosedDataSetComeFromItsDefinitions) {
  TTestDataSet ds;
  FillPeople(ds);
  TStringList names;
  ds.GetFieldNames(&names);
  EXPECT_EQ(names.CommaText(), "ID,Name,City,Age,Salary,Born,Active");
  EXPECT_FALSE(ds.Active());
}

TEST_F(People, FieldValuesReadsAndWritesSeveralFields) {
  Variant v = ds->FieldValues("Name;Age");
  ASSERT_TRUE(v.IsArray());
  EXPECT_EQ(v[0].AsString(), "Ana");
  EXPECT_EQ(v[1].AsInteger(), 30);
  ds->Edit();
  ds->SetFieldValues("City;Age", VarArrayOf({"Sintra", 41}));
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Sintra");
  EXPECT_EQ(ds->FieldByName("Age")->AsInteger(), 41);
}

TEST_F(People, FieldLayoutChangesReachTheLinks) {
  Watched w(ds.get());
  ds->FieldByName("City")->SetVisible(false);
  ds->FieldByName("Age")->SetIndex(0);
  EXPECT_EQ(w.journal, (Journal{"LayoutChanged", "OnDataChange(nil)", "LayoutChanged", "OnDataChange(nil)"}))
      << Joined(w.journal);
  EXPECT_EQ(ds->Fields()->Fields(0)->FieldName(), "Age");
}

// --- Calculated and lookup fields.

namespace {

struct CalcHandler : TObject {
  int calls = 0;
  void Calc(TDataSet* ds) {
    ++calls;
    std::string city = ds->FieldByName("City")->IsNull() ? "?" : ds->FieldByName("City")->AsString();
    ds->FieldByName("Label")->SetAsString(ds->FieldByName("Name")->AsString() + "/" + city);
  }
};

// Persistent fields for every column, plus a calculated one.
void addPersistentFields(TTestDataSet& ds) {
  ds.FieldDefs()->Update();
  for (Integer i = 0; i < ds.FieldDefs()->Count(); ++i) ds.FieldDefs()->Items(i)->CreateField(&ds);
}

// A lookup field Region of people: the Region of the city whose Code is the person's City.
// Without a key field name or a result field name when 'complete' is false.
TStringField* addRegionLookup(TTestDataSet& people, TTestDataSet& cities, bool complete = true) {
  auto* region = new TStringField(&people);
  region->SetFieldName("Region");
  region->SetFieldKind(fkLookup);
  region->SetLookupDataSet(&cities);
  if (complete) {
    region->SetLookupKeyFields("Code");
    region->SetLookupResultField("Region");
  }
  region->SetKeyFields("City");
  region->SetDataSet(&people);
  return region;
}

}  // namespace

TEST(DataSetCalcFields, CalculatedFieldsAreComputedPerRecordAndAfterEachChange) {
  FormatGuard formats;
  TTestDataSet ds;
  FillPeople(ds);
  addPersistentFields(ds);
  auto* label = new TStringField(&ds);
  label->SetFieldName("Label");
  label->SetSize(40);
  label->SetFieldKind(fkCalculated);
  label->SetDataSet(&ds);
  CalcHandler handler;
  ds.SetOnCalcFields(TDataSetNotifyEvent(&handler, &CalcHandler::Calc));
  ds.Open();
  EXPECT_FALSE(ds.DefaultFields());
  EXPECT_EQ(label->AsString(), "Ana/Lisboa");
  EXPECT_EQ(label->FieldNo(), 0);
  EXPECT_FALSE(label->CanModify());
  ds.SetRecNo(4);
  EXPECT_EQ(label->AsString(), "Duarte/?");
  ds.Edit();
  ds.FieldByName("City")->SetAsString("Tavira");
  EXPECT_EQ(label->AsString(), "Duarte/Tavira") << "AutoCalcFields recalculates after a change";
  ds.Cancel();
  EXPECT_EQ(label->AsString(), "Duarte/?");
  // A filter and Locate see calculated values too.
  EXPECT_TRUE(ds.Locate("Label", "Eva/Porto", {}));
  ds.SetFilter("Label LIKE '%/Porto'");
  ds.SetFiltered(true);
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_GT(handler.calls, 0);
}

TEST(DataSetLookupFields, LookupFieldsReadTheOtherDataSet) {
  TTestDataSet cities;
  cities.SetName("Cities");
  cities.AddColumn("Code", ftString, 10);
  cities.AddColumn("Region", ftString, 20);
  cities.AddRow({"Porto", "Norte"});
  cities.AddRow({"Lisboa", "Centro"});
  cities.AddRow({"Faro", "Algarve"});
  cities.Open();

  TTestDataSet people;
  FillPeople(people);
  addPersistentFields(people);
  TStringField* region = addRegionLookup(people, cities);
  people.Open();
  std::vector<std::string> got;
  while (!people.Eof()) {
    got.push_back(region->IsNull() ? "-" : region->AsString());
    people.Next();
  }
  // Text keys match exactly: 'lisboa' (Carla) finds nothing, as a null City does.
  EXPECT_EQ(got, (std::vector<std::string>{"Centro", "Norte", "-", "-", "Algarve", "Norte", "-", "Norte"}));
  EXPECT_TRUE(region->Lookup());
  EXPECT_FALSE(region->CanModify());
}

TEST(DataSetLookupFields, IncompleteLookupInformationStopsTheOpen) {
  TTestDataSet cities;
  cities.AddColumn("Code", ftString, 10);
  TTestDataSet people;
  people.SetName("People");
  FillPeople(people);
  addPersistentFields(people);
  addRegionLookup(people, cities, /*complete=*/false);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { people.Open(); }),
            "People: Lookup information for field 'Region' is incomplete");
  EXPECT_FALSE(people.Active());
}

TEST(DataSetPersistentFields, APersistentFieldOfTheWrongTypeStopsTheOpen) {
  TTestDataSet ds;
  ds.SetName("People");
  FillPeople(ds);
  auto* age = new TDateTimeField(&ds);
  age->SetFieldName("Age");
  age->SetDataSet(&ds);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds.Open(); }),
            "People: Type mismatch for field 'Age', expecting: DateTime actual: SmallInt");
  auto* missing = new TIntegerField(&ds);
  missing->SetFieldName("Missing");
  age->Free();
  missing->SetDataSet(&ds);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { ds.Open(); }), "People: Field 'Missing' not found");
}

TEST(DataSetPersistentFields, TwoFieldsOfOneNameAreRefused) {
  TTestDataSet ds;
  ds.SetName("People");
  auto* a = new TIntegerField(&ds);
  a->SetFieldName("ID");
  a->SetDataSet(&ds);
  auto* b = new TIntegerField(&ds);
  b->SetFieldName("id");
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { b->SetDataSet(&ds); }), "People: Duplicate field name 'id'");
  EXPECT_EQ(ds.FieldCount(), 1);
}

// --- Circular links.

TEST(DataSetLinks, ALookupFieldCannotLookUpItsOwnDataSet) {
  TTestDataSet ds;
  auto* f = new TStringField(&ds);
  f->SetName("Self");
  f->SetFieldName("X");
  f->SetDataSet(&ds);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { f->SetLookupDataSet(&ds); }), "Self: Circular datalinks are not allowed");
  EXPECT_EQ(f->LookupDataSet(), nullptr);
}

TEST(DataSetLinks, ADataSourceCannotShowADataSetThatFollowsIt) {
  // A query follows a master source; pointing that source at the query closes a circle.
  TADOQuery detail(nullptr);
  detail.SetName("Detail");
  TDataSource master(nullptr);
  master.SetName("Master");
  detail.SetDataSource(&master);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { master.SetDataSet(&detail); }),
            "Master: Circular datalinks are not allowed");
  EXPECT_EQ(master.DataSet(), nullptr);

  // And the other way round: a query cannot follow the source that shows it, nor one that
  // shows a query following it.
  TDataSource own(nullptr);
  TADOQuery other(nullptr);
  own.SetDataSet(&other);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { other.SetDataSource(&own); }), "Circular datalinks are not allowed");
  TADOQuery third(nullptr);
  third.SetName("Third");
  TDataSource thirdSource(nullptr);
  thirdSource.SetDataSet(&third);
  other.SetDataSource(&thirdSource);  // other follows third
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { third.SetDataSource(&own); }),
            "Third: Circular datalinks are not allowed");
}

TEST(DataSetLinks, AFixedDataSourceCannotChange) {
  TJournalLink link;
  TDataSource a(nullptr), b(nullptr);
  link.SetDataSource(&a);
  link.SetDataSourceFixed(true);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { link.SetDataSource(&b); }), "DataSource cannot be changed");
  EXPECT_EQ(link.DataSource(), &a);
}

TEST(DataSetLinks, OpeningNotifiesTheLinkAndTheSource) {
  TTestDataSet ds;
  FillPeople(ds);
  Watched w(&ds);
  ds.Open();
  EXPECT_EQ(w.journal, (Journal{"BeforeOpen", "ActiveChanged", "OnStateChange", "OnDataChange(nil)", "AfterOpen",
                                "AfterScroll"}))
      << Joined(w.journal);
  EXPECT_TRUE(w.link.Active());
}
