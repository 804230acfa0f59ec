// The data controller over its own storage: fields and shared columns, records and values
// by record and item, focus, navigation and the bookmark, the notifications a listening
// view receives (in their order, folded by update brackets), editing through the provider
// with the new-item row, and record comparison under the sorting options.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxCustomData.h"
#include "cx/foundation/cxVariants.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

// An item of the view: the controller only needs an object to tie a field to.
class TTestItem : public TObject {
  RTL_DECLARE_CLASS(TTestItem, TObject)
public:
  TTestItem() = default;
};
RTL_IMPLEMENT_CLASS(TTestItem)

// A view's controller: the items are the view's own objects.
class TTestController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(TTestController, TcxCustomDataController)
public:
  explicit TTestController(TComponent* AOwner) : TcxCustomDataController(AOwner) {}

  TObject* GetItem(Integer AItemIndex) override { return FItems.at(static_cast<size_t>(AItemIndex)).get(); }

  Integer AddTestItem(TcxValueTypeClass AType) {
    FItems.emplace_back(New<TTestItem>());
    AddItem(FItems.back().get());
    Integer index = static_cast<Integer>(FItems.size()) - 1;
    SetItemValueTypeClass(index, AType);
    return index;
  }

  // Items whose sorting the view wants by display text (the grid decides this per column).
  std::vector<bool> SortByText;
  bool GetItemSortByDisplayText(Integer AItemIndex, bool ASortByDisplayText) override {
    return AItemIndex < static_cast<Integer>(SortByText.size()) && SortByText[static_cast<size_t>(AItemIndex)];
  }

  std::vector<TObjectPtr<TTestItem>> FItems;
};
RTL_IMPLEMENT_CLASS(TTestController)

// Writes down everything the controller tells its view, in order.
class TViewLog : public TObject {
  RTL_DECLARE_CLASS(TViewLog, TObject)
public:
  TViewLog() = default;
  std::vector<std::string> Lines;
  std::string ThrowOn;  // a line prefix whose notification raises

  void UpdateControl(TcxUpdateControlInfo* AInfo) {
    std::string line;
    if (auto* d = dynamic_cast<TcxDataChangedInfo*>(AInfo))
      line = "data " + IntToStr(d->Kind) + " " + IntToStr(d->ItemIndex) + " " + IntToStr(d->RecordIndex);
    else if (auto* r = dynamic_cast<TcxFocusedRowChangedInfo*>(AInfo))
      line = "focusRow " + IntToStr(r->PrevFocusedRowIndex) + ">" + IntToStr(r->FocusedRowIndex);
    else if (auto* f = dynamic_cast<TcxFocusedRecordChangedInfo*>(AInfo))
      line = "focusRecord " + IntToStr(f->PrevFocusedRecordIndex) + ">" + IntToStr(f->FocusedRecordIndex) +
             (f->NewItemRowFocusingChanged ? " newItem" : "");
    else if (auto* s = dynamic_cast<TcxSelectionChangedInfo*>(AInfo)) {
      line = "selection";
      for (Integer i = 0; i < s->Count(); ++i) line += " " + IntToStr(s->RowIndexes(i));
    } else if (dynamic_cast<TcxLayoutChangedInfo*>(AInfo))
      line = "layout";
    else if (auto* u = dynamic_cast<TcxUpdateRecordInfo*>(AInfo))
      line = "updateRecord " + IntToStr(u->RecordIndex);
    else if (dynamic_cast<TcxBookmarkChangedInfo*>(AInfo))
      line = "bookmark";
    else
      line = AInfo->ClassName();
    Lines.push_back(line);
    if (!ThrowOn.empty() && line.rfind(ThrowOn, 0) == 0) throw Exception("view failed on " + line);
  }
  void RecordChanged(TcxCustomDataController*, Integer ARecordIndex, Integer AItemIndex) {
    Lines.push_back("recordChanged " + IntToStr(ARecordIndex) + " " + IntToStr(AItemIndex));
  }
  void DataChanged(TObject*) { Lines.push_back("dataChanged"); }
  void Listener(TObject*) { Lines.push_back("listener " + Name); }
  void Event(TcxCustomDataController*) { Lines.push_back("event"); }
  std::string Name;

  // Lines of one kind only (prefix match).
  std::vector<std::string> Only(const std::string& APrefix) const {
    std::vector<std::string> out;
    for (const std::string& l : Lines)
      if (l.rfind(APrefix, 0) == 0) out.push_back(l);
    return out;
  }
};
RTL_IMPLEMENT_CLASS(TViewLog)

std::string expectError(const std::function<void()>& AAction) {
  try {
    AAction();
  } catch (const EcxInvalidDataControllerOperation& e) {
    return e.Message();
  }
  return "(no error)";
}

constexpr Integer kRecords = 3000;

class DataControllerTest : public ::testing::Test {
protected:
  void SetUp() override {
    FOwner = New<TComponent>(nullptr);
    DC = New<TTestController>(FOwner);
    Id = DC->AddTestItem(TcxIntegerValueType::Instance());
    Name = DC->AddTestItem(TcxStringValueType::Instance());
    Amount = DC->AddTestItem(TcxFloatValueType::Instance());
    {
      UpdateLock<TcxCustomDataController> lock(DC);
      DC->SetRecordCount(kRecords);
      for (Integer r = 0; r < kRecords; ++r) {
        DC->SetValue(r, Id, r);
        DC->SetValue(r, Name, "R" + IntToStr(r));
        DC->SetValue(r, Amount, r * 0.5);
      }
    }
    Log = New<TViewLog>();
    DC->OnUpdateControl = TcxUpdateControlEvent(Log, &TViewLog::UpdateControl);
  }
  void TearDown() override {
    FreeAndNil(DC);
    FreeAndNil(Log);
    FreeAndNil(FOwner);
  }
  // The values of the Id item over all records, in record order.
  std::vector<Integer> ids() {
    std::vector<Integer> out;
    for (Integer r = 0; r < DC->GetRecordCount(); ++r) {
      Variant v = DC->Values(r, Id);
      out.push_back(v.IsNull() ? -1 : v.AsInteger());
    }
    return out;
  }

  TComponent* FOwner = nullptr;
  TTestController* DC = nullptr;
  TViewLog* Log = nullptr;
  Integer Id = 0, Name = 0, Amount = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Data fields and their columns.

TEST_F(DataControllerTest, FieldsKeepInternalOnesLastAndShareColumnsByReference) {
  TcxCustomDataFieldList* fields = DC->Fields();
  TcxCustomDataField* internal1 = DC->AddInternalField();
  TcxCustomDataField* internal2 = DC->AddInternalField();
  TTestItem extra;
  DC->AddItem(&extra);
  TcxCustomDataField* field = fields->FieldByItem(&extra);
  ASSERT_NE(nullptr, field);
  EXPECT_EQ(3, field->Index()) << "an item field goes before the internal ones";
  EXPECT_EQ(4, fields->ItemCount());
  EXPECT_EQ(2, fields->InternalCount());
  EXPECT_EQ(internal1, fields->Items(4));
  EXPECT_EQ(internal2, fields->Items(5));
  DC->RemoveItem(&extra);
  EXPECT_EQ(3, fields->ItemCount());

  // A reference cycle is refused.
  TcxCustomDataField* a = fields->Items(Id);
  TcxCustomDataField* b = DC->CreateField();
  b->SetReferenceField(a);
  a->SetReferenceField(b);
  EXPECT_EQ(nullptr, a->ReferenceField());
  EXPECT_EQ(a, b->ReferenceField());
  EXPECT_EQ(a->ValueDef(), b->ValueDef());
  b->Free();
}

TEST_F(DataControllerTest, RemovingAReferencedFieldHandsItsColumnToTheFirstReferrer) {
  TcxCustomDataFieldList* fields = DC->Fields();
  TcxCustomDataField* a = fields->Items(Name);
  TcxCustomDataField* b = DC->CreateField();
  TcxCustomDataField* c = DC->CreateField();
  b->SetReferenceField(a);
  c->SetReferenceField(a);
  TcxValueDef* column = a->ValueDef();
  a->Free();  // the Name item's field goes; its column must stay with B
  EXPECT_EQ(nullptr, b->ReferenceField());
  EXPECT_EQ(column, b->ValueDef());
  EXPECT_EQ(b, c->ReferenceField());
  EXPECT_EQ("R17", DC->DataStorage()->GetValue(17, b->ValueDef()).AsString())
      << "the values of the column survive the field that made it";
  EXPECT_EQ("R17", DC->DataStorage()->GetValue(17, c->ValueDef()).AsString());
}

TEST_F(DataControllerTest, ChangingAnItemsValueTypeDiscardsOnlyThatColumn) {
  DC->SetItemValueTypeClass(Amount, TcxFloatValueType::Instance());
  EXPECT_DOUBLE_EQ(5.0, DC->Values(10, Amount).AsDouble()) << "the same type keeps the values";
  DC->SetItemValueTypeClass(Amount, TcxCurrencyValueType::Instance());
  EXPECT_TRUE(DC->Values(10, Amount).IsNull());
  EXPECT_EQ(10, DC->Values(10, Id).AsInteger()) << "other columns keep their values";
  EXPECT_EQ("R10", DC->Values(10, Name).AsString());
}

TEST_F(DataControllerTest, DefaultsAssignAndTheFreeNotifier) {
  EXPECT_EQ(28u, DC->Options().ToBits());
  EXPECT_TRUE(DC->FocusedRowSelected());
  EXPECT_EQ(-1, DC->BookmarkRecordIndex());

  // Assign copies the handlers but keeps this controller's options.
  TTestController* other = New<TTestController>(nullptr);
  ScopeExit freeOther([&] { other->Free(); });
  other->SetOptions({dcoCaseInsensitive});
  other->OnDataChanged = TNotifyEvent(Log, &TViewLog::DataChanged);
  other->OnRecordChanged = TcxDataRecordChangedEvent(Log, &TViewLog::RecordChanged);
  DC->Assign(other);
  EXPECT_EQ(28u, DC->Options().ToBits());
  EXPECT_TRUE(DC->OnDataChanged == other->OnDataChanged);
  EXPECT_TRUE(DC->OnRecordChanged == other->OnRecordChanged);

  // A component a field depends on is forgotten by the field when it goes away.
  struct TWatchingField : TcxCustomDataField {
    using TcxCustomDataField::TcxCustomDataField;
    TComponent* Watched = nullptr;
    void RemoveNotification(TComponent* AComponent) override {
      if (AComponent == Watched) Watched = nullptr;
    }
  };
  auto* field = new TWatchingField(DC->Fields());
  DC->Fields()->Add(field);
  TComponent* watched = New<TComponent>(nullptr);
  field->Watched = watched;
  DC->Notifier()->FreeNotification(watched);
  watched->Free();
  EXPECT_EQ(nullptr, field->Watched);
  field->Free();

  void* intf = nullptr;
  EXPECT_EQ(S_OK, DC->QueryInterface(IInterface::IID(), &intf));
  EXPECT_EQ(static_cast<ULONG>(-1), DC->_Release()) << "no reference counting";
}

// ---------------------------------------------------------------------------------------
// Records and values.

TEST_F(DataControllerTest, ReadsAndWritesThousandsOfRecordsByRecordAndItem) {
  ASSERT_EQ(kRecords, DC->GetRecordCount());
  ASSERT_EQ(kRecords, DC->GetRowCount());
  for (Integer r : {0, 1, 1499, kRecords - 1}) {
    EXPECT_EQ(r, DC->Values(r, Id).AsInteger());
    EXPECT_EQ("R" + IntToStr(r), DC->DisplayTexts(r, Name));
    EXPECT_DOUBLE_EQ(r * 0.5, DC->Values(r, Amount).AsDouble());
  }
  DC->SetValue(2999, Name, Null());
  EXPECT_TRUE(DC->Values(2999, Name).IsNull());
  // A value the column cannot take leaves the record as it was.
  EXPECT_THROW(DC->SetValue(5, Id, "five"), Exception);
  EXPECT_EQ(5, DC->Values(5, Id).AsInteger());

  Integer added = DC->AppendRecord();
  EXPECT_EQ(kRecords, added);
  EXPECT_TRUE(DC->Values(added, Id).IsNull());
  EXPECT_EQ(1, DC->InsertRecord(1));
  EXPECT_EQ(0, DC->Values(0, Id).AsInteger());
  EXPECT_TRUE(DC->Values(1, Id).IsNull());
  EXPECT_EQ(1, DC->Values(2, Id).AsInteger());
  DC->DeleteRecord(1);
  EXPECT_EQ(1, DC->Values(1, Id).AsInteger());
  EXPECT_EQ(kRecords + 1, DC->GetRowCount()) << "the rows follow the records once the bracket is closed";

  Variant key;
  DC->GetKeyValue(7, {DC->Fields()->Items(Id)}, key);
  EXPECT_EQ(7, key.AsInteger());
  DC->GetKeyValue(7, {DC->Fields()->Items(Id), DC->Fields()->Items(Name)}, key);
  ASSERT_TRUE(key.IsArray());
  EXPECT_EQ(0, VarArrayLowBound(key, 1));
  EXPECT_EQ(1, VarArrayHighBound(key, 1));
  EXPECT_EQ(7, key[0].AsInteger());
  EXPECT_EQ("R7", key[1].AsString());
}

TEST_F(DataControllerTest, MisuseRaisesTheControllersErrors) {
  TTestItem item;
  struct Case {
    const char* What;
    std::function<void()> Action;
    const char* Message;
  };
  const Case cases[] = {
      {"value past the last record", [&] { DC->Values(kRecords, Id); }, "RecordIndex out of range"},
      {"value of record -1 while there is no new-item record", [&] { DC->Values(-1, Id); },
       "RecordIndex out of range"},
      {"write to record -1", [&] { DC->SetValue(-1, Id, 1); }, "RecordIndex out of range"},
      {"item past the last", [&] { DC->Values(0, 3); }, "ItemIndex out of range"},
      {"negative item", [&] { DC->SetValue(0, -1, 1); }, "ItemIndex out of range"},
      {"insert past the end", [&] { DC->InsertRecord(kRecords + 1); }, "RecordIndex out of range"},
      {"delete past the end", [&] { DC->DeleteRecord(kRecords); }, "RecordIndex out of range"},
      {"row past the last", [&] { DC->GetRowInfo(kRecords); }, "RowIndex out of range"},
      {"item added twice", [&] { DC->AddItem(DC->GetItem(0)); }, "Item already exists"},
      {"edit value while nothing is edited or focused", [&] { Variant v; DC->GetEditValue(Id, TcxDataEditValueSource::Value, v); },
       "RecordIndex out of range"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Message, expectError(c.Action)) << c.What;
  EXPECT_EQ(kRecords, DC->GetRecordCount());
  EXPECT_EQ(0, DC->Values(0, Id).AsInteger()) << "a refused write changed nothing";

  // Inserting at the end is an append; the new-item row's record answers once it exists.
  EXPECT_EQ(kRecords, DC->InsertRecord(kRecords));
  Integer newItem = DC->GetNewItemRecordIndex();
  EXPECT_LT(newItem, 0);
  DC->SetValue(newItem, Id, 42);
  EXPECT_EQ(42, DC->Values(newItem, Id).AsInteger());
}

TEST_F(DataControllerTest, SetRecordCountNegativeEmptiesAndReportsDeletion) {
  Log->Lines.clear();
  DC->SetRecordCount(-5);
  EXPECT_EQ(0, DC->GetRecordCount());
  EXPECT_EQ(0, DC->GetRowCount());
  EXPECT_EQ(std::vector<std::string>{"data 3 -1 -1"}, Log->Only("data"));
}

// ---------------------------------------------------------------------------------------
// Focus, navigation, selection of the focused row and the bookmark.

TEST_F(DataControllerTest, NavigationMovesTheFocusWithinTheRows) {
  EXPECT_EQ(-1, DC->GetFocusedRowIndex());
  struct Step {
    const char* What;
    std::function<void()> Action;
    Integer Row;
  };
  const Step steps[] = {
      {"first", [&] { DC->GotoFirst(); }, 0},
      {"prev on the first row stays", [&] { DC->GotoPrev(); }, 0},
      {"next", [&] { DC->GotoNext(); }, 1},
      {"move by 2", [&] { DC->MoveBy(2); }, 3},
      {"move by -10 stops at 0", [&] { DC->MoveBy(-10); }, 0},
      {"last", [&] { DC->GotoLast(); }, kRecords - 1},
      {"next on the last row stays", [&] { DC->GotoNext(); }, kRecords - 1},
      {"a row past the end focuses the last", [&] { DC->ChangeFocusedRowIndex(kRecords + 5); }, kRecords - 1},
      {"record 1234", [&] { DC->ChangeFocusedRecordIndex(1234); }, 1234},
  };
  for (const Step& s : steps) {
    s.Action();
    EXPECT_EQ(s.Row, DC->GetFocusedRowIndex()) << s.What;
  }
  EXPECT_EQ(1234, DC->GetFocusedRecordIndex());
  EXPECT_FALSE(DC->IsBOF());
  DC->GotoFirst();
  EXPECT_TRUE(DC->IsBOF());
  DC->GotoLast();
  EXPECT_TRUE(DC->IsEOF());

  // Rows walked all or selected only; every record passes while nothing filters.
  std::vector<Integer> walked;
  DC->ForEachRow(true, [&](void*, Integer ARow, const TcxRowInfo& AInfo) { walked.push_back(AInfo.RecordIndex); }, nullptr);
  EXPECT_EQ(std::vector<Integer>{kRecords - 1}, walked);
  Integer count = 0;
  DC->ForEachRow(false, [&](void*, Integer ARow, const TcxRowInfo& AInfo) { count += ARow == AInfo.RecordIndex; }, nullptr);
  EXPECT_EQ(kRecords, count);
  EXPECT_EQ(kRecords, DC->GetFilteredRecordCount());
  EXPECT_EQ(77, DC->GetFilteredIndexByRecordIndex(77));

  // Single selection is the focused row, unless the focused row is not selected.
  EXPECT_EQ(1, DC->GetSelectedCount());
  EXPECT_TRUE(DC->IsRowSelected(kRecords - 1));
  DC->SetFocusedRowSelected(false);
  EXPECT_EQ(0, DC->GetSelectedCount());
  EXPECT_FALSE(DC->IsRowSelected(kRecords - 1));
  DC->GotoPrev();
  EXPECT_TRUE(DC->FocusedRowSelected()) << "moving the focus selects the focused row again";
}

TEST_F(DataControllerTest, TheBookmarkStaysWithItsRecord) {
  DC->ChangeFocusedRecordIndex(100);
  Log->Lines.clear();
  DC->SaveBookmark();
  EXPECT_EQ(std::vector<std::string>{"bookmark"}, Log->Only("bookmark"));
  EXPECT_TRUE(DC->IsBookmarkRow(100));

  // Records inserted and deleted before it move it along with its record.
  DC->InsertRecord(10);
  DC->DeleteRecord(50);
  DC->DeleteRecord(0);
  ASSERT_TRUE(DC->IsBookmarkAvailable());
  DC->GotoFirst();
  DC->GotoBookmark();
  EXPECT_EQ(100, DC->Values(DC->GetFocusedRecordIndex(), Id).AsInteger())
      << "the bookmark must bring back the record it was set on";

  // Deleting the bookmarked record loses it, and the view hears of it.
  Log->Lines.clear();
  DC->DeleteRecord(DC->BookmarkRecordIndex());
  EXPECT_FALSE(DC->IsBookmarkAvailable());
  EXPECT_EQ(std::vector<std::string>{"bookmark"}, Log->Only("bookmark"));

  DC->ChangeFocusedRecordIndex(2000);
  DC->SaveBookmark();
  DC->SetRecordCount(1000);
  EXPECT_FALSE(DC->IsBookmarkAvailable()) << "a bookmark beyond a shrunken storage is lost";
}

// ---------------------------------------------------------------------------------------
// Notifications: order, contents and folding.

TEST_F(DataControllerTest, ValueChangesFoldInsideABracket) {
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetValue(3, Id, 30);
    DC->SetValue(3, Name, "three");
    EXPECT_TRUE(Log->Lines.empty()) << "nothing reaches the view while the bracket is open";
  }
  EXPECT_EQ(std::vector<std::string>{"data 1 -1 3"}, Log->Lines);

  Log->Lines.clear();
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetValue(3, Id, 31);
    DC->SetValue(4, Id, 41);
  }
  ASSERT_EQ(1u, Log->Only("data").size());
  EXPECT_EQ(1u, Log->Only("data 4 ").size()) << "changes of two records are a change of all";

  // The same item twice stays an item change; nested brackets dispatch once.
  Log->Lines.clear();
  DC->BeginUpdate();
  DC->BeginUpdate();
  DC->SetValue(8, Name, "a");
  DC->SetValue(8, Name, "b");
  DC->EndUpdate();
  EXPECT_TRUE(Log->Lines.empty());
  DC->EndUpdate();
  EXPECT_EQ(std::vector<std::string>{"data 0 1 8"}, Log->Lines);
}

TEST_F(DataControllerTest, ADataChangeReachesViewEventsAndListenersInOrder) {
  TViewLog* other = New<TViewLog>();
  ScopeExit freeOther([&] { other->Free(); });
  other->Name = "B";
  Log->Name = "A";
  DC->OnRecordChanged = TcxDataRecordChangedEvent(Log, &TViewLog::RecordChanged);
  DC->OnDataChanged = TNotifyEvent(Log, &TViewLog::DataChanged);
  DC->AddDataChangedListener(TNotifyEvent(Log, &TViewLog::Listener));
  DC->AddDataChangedListener(TNotifyEvent(other, &TViewLog::Listener));
  DC->SetValue(3, Name, "x");
  EXPECT_EQ((std::vector<std::string>{"data 0 1 3", "recordChanged 3 1", "dataChanged", "listener A"}), Log->Lines);
  EXPECT_EQ(std::vector<std::string>{"listener B"}, other->Lines);

  // Two listeners of one class: removing B's removes B's, not A's.
  DC->RemoveDataChangedListener(TNotifyEvent(other, &TViewLog::Listener));
  Log->Lines.clear();
  other->Lines.clear();
  DC->SetValue(3, Name, "y");
  EXPECT_EQ(1u, Log->Only("listener A").size());
  EXPECT_TRUE(other->Lines.empty()) << "the removed listener must not be called (it may be gone)";
}

TEST_F(DataControllerTest, FocusChangesReportRowBeforeRecordAndDataWinsOverLayout) {
  DC->ChangeFocusedRowIndex(2);
  Log->Lines.clear();
  DC->ChangeFocusedRowIndex(5);
  EXPECT_EQ((std::vector<std::string>{"focusRow 2>5", "focusRecord 2>5"}), Log->Lines);
  Log->Lines.clear();
  DC->ChangeFocusedRowIndex(5);
  EXPECT_TRUE(Log->Lines.empty()) << "focusing the focused row again reports nothing";
  // Unselecting the focused row and selecting it again: the second names the row.
  DC->SetFocusedRowSelected(false);
  DC->SetFocusedRowSelected(true);
  EXPECT_EQ((std::vector<std::string>{"selection", "selection 5"}), Log->Lines);

  Log->Lines.clear();
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetItemCompareByValue(Name, true);  // a layout change
    DC->SetValue(1, Id, 10);
  }
  EXPECT_EQ(std::vector<std::string>{"data 0 0 1"}, Log->Lines);
  Log->Lines.clear();
  DC->SetItemCompareByValue(Name, false);
  EXPECT_EQ(std::vector<std::string>{"layout"}, Log->Lines);
}

TEST_F(DataControllerTest, AFailingViewHandlerDoesNotLoseLaterNotifications) {
  DC->OnDataChanged = TNotifyEvent(Log, &TViewLog::DataChanged);
  DC->ChangeFocusedRowIndex(0);
  Log->Lines.clear();
  Log->ThrowOn = "focusRow";
  // One bracket with a value change, a focus change and a bookmark: the view fails on the
  // focus row notification but still hears of the focused record and the bookmark.
  EXPECT_THROW(
      {
        UpdateLock<TcxCustomDataController> lock(DC);
        DC->SetValue(1, Id, 100);
        DC->ChangeFocusedRowIndex(9);
        DC->SaveBookmark();
      },
      Exception);
  EXPECT_EQ((std::vector<std::string>{"data 0 0 1", "dataChanged", "focusRow 0>9", "focusRecord 0>9",
                                      "bookmark"}),
            Log->Lines);
  EXPECT_EQ(0, DC->PendingChanges());
}

TEST_F(DataControllerTest, DataEventsWaitWhileTheOwnerLoadsAndLinksOutliveTheController) {
  DC->OnDataChanged = TNotifyEvent(Log, &TViewLog::DataChanged);
  FOwner->SetLoading(true);
  DC->SetValue(0, Id, 5);
  DC->SetValue(1, Id, 6);
  EXPECT_TRUE(Log->Only("dataChanged").empty());
  FOwner->SetLoading(false);
  DC->Loaded();
  EXPECT_EQ(1u, Log->Only("dataChanged").size()) << "the deferred data change is raised once";

  auto link = std::make_unique<TcxDataListenerLink>(DC);
  EXPECT_EQ(DC, link->DataController());
  FreeAndNil(DC);
  EXPECT_EQ(nullptr, link->DataController()) << "a link tells that its controller is gone";
}

// ---------------------------------------------------------------------------------------
// Editing through the provider.

TEST_F(DataControllerTest, EditPostAndCancelThroughTheProvider) {
  DC->ChangeFocusedRecordIndex(10);
  Log->Lines.clear();
  ASSERT_TRUE(DC->SetEditValue(Name, "changed", TcxDataEditValueSource::Value));
  EXPECT_EQ((std::vector<std::string>{"updateRecord 10", "data 0 1 10"}), Log->Lines)
      << "the view redraws the record when its edit starts, then hears of the value";
  ASSERT_TRUE(DC->SetEditValue(Amount, 99.5, TcxDataEditValueSource::Value));
  EXPECT_EQ(dceEdit | dceChanging | dceModified, DC->GetEditState());
  EXPECT_EQ("changed", DC->Values(10, Name).AsString());
  DC->Cancel();
  EXPECT_FALSE(DC->IsEditing());
  EXPECT_EQ("R10", DC->Values(10, Name).AsString()) << "cancel restores every value of the edited record";
  EXPECT_DOUBLE_EQ(5.0, DC->Values(10, Amount).AsDouble());
  EXPECT_EQ(10, DC->GetFocusedRowIndex());

  // An empty editor text is stored as Null; moving away posts the edit.
  ASSERT_TRUE(DC->SetEditValue(Name, "", TcxDataEditValueSource::Text));
  EXPECT_TRUE(DC->Values(10, Name).IsNull());
  DC->GotoNext();
  EXPECT_FALSE(DC->IsEditing());
  EXPECT_TRUE(DC->Values(10, Name).IsNull());
  EXPECT_EQ(0, DC->Provider()->SavedRecordIndex()) << "the saved copy is released after the post";
}

TEST_F(DataControllerTest, InsertAppendAndDeleteThroughTheProvider) {
  std::vector<std::string> events;
  TViewLog* recorder = Log;
  DC->BeforeInsert = TcxDataControllerNotifyEvent(recorder, &TViewLog::Event);
  DC->ChangeFocusedRecordIndex(5);

  // An insert that is posted untouched goes away again and reports a change of all.
  DC->Insert();
  EXPECT_EQ(dceInsert, DC->GetEditState());
  EXPECT_EQ(5, DC->GetFocusedRecordIndex());
  EXPECT_TRUE(DC->Values(5, Id).IsNull());
  EXPECT_EQ(kRecords + 1, DC->GetRecordCount());
  Log->Lines.clear();
  DC->Post();
  EXPECT_EQ(kRecords, DC->GetRecordCount());
  EXPECT_EQ(5, DC->Values(5, Id).AsInteger());
  EXPECT_EQ((std::vector<std::string>{"data 3 -1 -1", "data 4 -1 -1"}), Log->Only("data"))
      << "the removal, then the post's change of record -1, which is a change of all";

  // A second insert while one is open and untouched does nothing; with a change the first
  // one is posted before the next begins.
  DC->Insert();
  Log->Lines.clear();
  DC->Insert();
  EXPECT_TRUE(Log->Only("event").empty());
  EXPECT_EQ(kRecords + 1, DC->GetRecordCount());
  DC->SetEditValue(Id, 777, TcxDataEditValueSource::Value);
  DC->Insert();
  EXPECT_EQ(kRecords + 2, DC->GetRecordCount());
  EXPECT_EQ(777, DC->Values(6, Id).AsInteger()) << "the first insert was posted where it was made";
  DC->Cancel();
  EXPECT_EQ(kRecords + 1, DC->GetRecordCount());

  // Append puts the record last; cancelling it on the last row focuses the new last row.
  DC->Append();
  EXPECT_EQ(kRecords + 1, DC->GetFocusedRecordIndex());
  DC->Cancel();
  EXPECT_EQ(kRecords + 1, DC->GetRecordCount());
  EXPECT_EQ(kRecords, DC->GetFocusedRowIndex());

  // Deleting the focused last record focuses the new last one; deleting inside keeps the row.
  DC->DeleteFocused();
  EXPECT_EQ(kRecords, DC->GetRecordCount());
  EXPECT_EQ(kRecords - 1, DC->GetFocusedRowIndex());
  DC->ChangeFocusedRecordIndex(20);
  Integer nextId = DC->Values(21, Id).AsInteger();
  DC->DeleteSelection();
  EXPECT_EQ(kRecords - 1, DC->GetRecordCount());
  EXPECT_EQ(20, DC->GetFocusedRowIndex());
  EXPECT_EQ(nextId, DC->Values(20, Id).AsInteger()) << "the focus stays on the row, now the next record";
}

TEST_F(DataControllerTest, TheNewItemRowPostsACopyAndNeverSharesItsRecord) {
  Integer posted = -1;
  struct Watcher : TObject {
    TTestController* Owner = nullptr;
    Integer* Out = nullptr;
    void AfterPost(TcxCustomDataController*) { *Out = Owner->Provider()->InsertedRecordIndex(); }
  } watcher;
  watcher.Owner = DC;
  watcher.Out = &posted;
  DC->AfterPost = TcxDataControllerNotifyEvent(&watcher, &Watcher::AfterPost);

  DC->ChangeFocusedRecordIndex(3);
  DC->SetNewItemRowEnabled(true);
  Log->Lines.clear();
  DC->Insert();
  EXPECT_TRUE(DC->IsNewItemRowFocused());
  EXPECT_EQ(-1, DC->GetFocusedRowIndex());
  Integer newItem = DC->GetEditingRecordIndex();
  EXPECT_EQ(DC->NewItemRecordIndex(), newItem);
  EXPECT_LT(newItem, 0);
  EXPECT_EQ(1u, Log->Only("focusRecord 3>-1 newItem").size());
  DC->SetEditValue(Id, 5000, TcxDataEditValueSource::Value);
  DC->SetEditValue(Name, "novo", TcxDataEditValueSource::Value);
  EXPECT_EQ(kRecords, DC->GetRecordCount()) << "the new-item row is not a record yet";
  DC->Post();
  EXPECT_EQ(kRecords, posted) << "the posted row became the appended record";
  ASSERT_EQ(kRecords + 1, DC->GetRecordCount());
  EXPECT_EQ(5000, DC->Values(kRecords, Id).AsInteger());
  EXPECT_EQ("novo", DC->Values(kRecords, Name).AsString());
  EXPECT_EQ(-1, DC->Provider()->InsertedRecordIndex());
  EXPECT_FALSE(DC->DataStorage()->IsInternalRecordInUse(newItem)) << "the internal record is freed";
  EXPECT_EQ(0, DC->NewItemRecordIndex()) << "and the controller no longer claims it";

  // An edit elsewhere takes an internal record for its saved copy; the new-item row must
  // get a record of its own, or its values would overwrite that copy.
  DC->ChangeFocusedRecordIndex(0);
  DC->SetEditValue(Name, "edited", TcxDataEditValueSource::Value);
  Integer saved = DC->Provider()->SavedRecordIndex();
  ASSERT_NE(0, saved);
  Integer newItem2 = DC->GetNewItemRecordIndex();
  EXPECT_NE(saved, newItem2);
  DC->SetValue(newItem2, Name, "typed in the new-item row");
  DC->Cancel();
  EXPECT_EQ("R0", DC->Values(0, Name).AsString()) << "cancel restores the record's own old value";
}

// ---------------------------------------------------------------------------------------
// Record comparison.

namespace {

// Sorts all record indexes as a row list would: by one item, then by record index.
std::vector<Integer> sortedRecords(TTestController* DC, Integer AItem, TcxDataSortOrder AOrder) {
  std::vector<Integer> records(static_cast<size_t>(DC->GetRecordCount()));
  for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<Integer>(i);
  TcxDataSortInfo info{DC->Fields()->Items(AItem), AOrder};
  std::sort(records.begin(), records.end(), [&](Integer a, Integer b) {
    Integer c = DC->CompareRecordsByItem(a, b, info);
    if (c == 0) c = DC->CompareEqualRecords(a, b);
    return c < 0;
  });
  return records;
}

}  // namespace

TEST_F(DataControllerTest, TextComparisonFollowsTheSortingOptions) {
  const std::vector<std::string> words = {"azul", "Água", "água", "abc", "ABC", "Ábaco", "zebra", "ação"};
  DC->SetRecordCount(0);
  DC->SetRecordCount(static_cast<Integer>(words.size()) + 1);
  for (size_t i = 0; i < words.size(); ++i) DC->SetValue(static_cast<Integer>(i), Name, words[i]);
  // The last record keeps a Null name.
  auto texts = [&](const std::vector<Integer>& order) {
    std::string out;
    for (Integer r : order) {
      Variant v = DC->Values(r, Name);
      out += (v.IsNull() ? std::string("<null>") : v.AsString()) + ",";
    }
    return out;
  };
  struct Case {
    TcxDataControllerOptions Options;
    const char* Expected;
  };
  const Case cases[] = {
      // Byte order: capitals first, accented letters after every plain one.
      {{}, "<null>,ABC,abc,azul,ação,zebra,Ábaco,Água,água,"},
      // Upper-cased bytes: case ties keep record order, accents still after 'Z'.
      {{dcoCaseInsensitive}, "<null>,abc,ABC,azul,ação,zebra,Ábaco,Água,água,"},
      // Locale order: an accented letter sorts with its base letter.
      {{dcoAnsiSort, dcoCaseInsensitive}, "<null>,Ábaco,abc,ABC,ação,Água,água,azul,zebra,"},
  };
  for (const Case& c : cases) {
    DC->SetOptions(c.Options);
    EXPECT_EQ(c.Expected, texts(sortedRecords(DC, Name, soAscending))) << "options " << c.Options.ToBits();
  }
  DC->SetOptions({dcoCaseInsensitive});
  TcxCustomDataField* name = DC->Fields()->Items(Name);
  EXPECT_EQ(0, DC->CompareByField(3, 4, name)) << "abc and ABC are equal without case";
  DC->SetOptions({});
  EXPECT_LT(DC->CompareByField(4, 3, name), 0) << "ABC sorts before abc by bytes";
  // Locale order with case: the small letter first; descending negates, Null comes last.
  DC->SetOptions({dcoAnsiSort});
  EXPECT_EQ("zebra,azul,Água,água,ação,ABC,abc,Ábaco,<null>,", texts(sortedRecords(DC, Name, soDescending)));
}

TEST_F(DataControllerTest, NumbersAndNullsCompareByStoredValues) {
  DC->SetValue(10, Id, Null());
  DC->SetValue(11, Id, -5);
  TcxCustomDataField* id = DC->Fields()->Items(Id);
  EXPECT_FALSE(DC->IsConversionNeeded(id)) << "an integer item compares its stored values";
  EXPECT_LT(DC->CompareByField(10, 11, id), 0) << "Null sorts first";
  EXPECT_GT(DC->CompareByField(11, 10, id), 0);
  EXPECT_EQ(0, DC->CompareByField(10, 10, id));
  std::vector<Integer> order = sortedRecords(DC, Id, soAscending);
  EXPECT_EQ(10, order[0]);
  EXPECT_EQ(11, order[1]);
  EXPECT_EQ(0, order[2]);
  EXPECT_EQ(kRecords - 1, order.back());

  // dcoSortByDisplayText on a controller whose view does not ask for it: still values.
  DC->SetOptions({dcoSortByDisplayText});
  EXPECT_FALSE(DC->IsConversionNeeded(id));
  // A view that sorts the Amount item by text compares the display texts.
  DC->SortByText = {false, false, true};
  TcxCustomDataField* amount = DC->Fields()->Items(Amount);
  DC->SetItemTextStored(Amount, true);
  DC->SetValue(1, Amount, 9.0);
  DC->SetDisplayText(1, Amount, "nine");
  DC->SetValue(2, Amount, 10.0);
  DC->SetDisplayText(2, Amount, "ten");
  EXPECT_TRUE(DC->IsConversionNeeded(amount));
  amount->CompareMode = 2;
  EXPECT_LT(DC->CompareByField(1, 2, amount), 0) << "nine before ten as texts";
  amount->CompareMode = 1;
  EXPECT_LT(DC->CompareByField(1, 2, amount), 0) << "9 before 10 as values";
  amount->CompareMode = 0;
}

TEST_F(DataControllerTest, TheCompareHandlerSeesItemValuesButNeverInternalFields) {
  struct Handler : TObject {
    std::vector<std::string> Calls;
    bool Untouched = false;
    void Compare(TcxCustomDataController*, Integer R1, Integer R2, Integer AItemIndex, const Variant& V1,
                 const Variant& V2, Integer& Result) {
      Calls.push_back(IntToStr(R1) + "," + IntToStr(R2) + " item " + IntToStr(AItemIndex) + " " + VarToStr(V1) + "/" +
                      VarToStr(V2));
      if (!Untouched) Result = V1.AsInteger() > V2.AsInteger() ? -1 : (V1.AsInteger() < V2.AsInteger() ? 1 : 0);
    }
  } handler;
  DC->OnCompare = TcxDataControllerCompareEvent(&handler, &Handler::Compare);
  TcxCustomDataField* id = DC->Fields()->Items(Id);
  EXPECT_GT(DC->CompareByField(1, 2, id), 0) << "the handler's answer counts";
  EXPECT_EQ(std::vector<std::string>{"1,2 item 0 1/2"}, handler.Calls);

  // A handler that leaves the answer alone makes the records equal on that item.
  handler.Untouched = true;
  EXPECT_EQ(0, DC->CompareByField(7, 3, id));
  std::vector<Integer> order = sortedRecords(DC, Id, soDescending);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "equal keys keep storage order";

  // An internal field is compared by its stored values, without the handler.
  TcxCustomDataField* internal = DC->AddInternalField();
  internal->SetValueTypeClass(TcxIntegerValueType::Instance());
  DC->DataStorage()->SetValue(1, internal->ValueDef(), 50);
  DC->DataStorage()->SetValue(2, internal->ValueDef(), 40);
  handler.Calls.clear();
  EXPECT_GT(DC->CompareByField(1, 2, internal), 0);
  EXPECT_TRUE(handler.Calls.empty());
}

TEST_F(DataControllerTest, ValuesThatCannotBeComparedStillOrderConsistently) {
  Integer any = DC->AddTestItem(TcxVariantValueType::Instance());
  DC->SetValue(0, any, 12);
  DC->SetValue(1, any, "doze");
  DC->SetValue(2, any, 7.5);
  TcxCustomDataField* field = DC->Fields()->Items(any);
  DC->SetItemCompareByValue(any, true);
  Integer ab = DC->CompareByField(0, 1, field), ba = DC->CompareByField(1, 0, field);
  EXPECT_NE(0, ab);
  EXPECT_EQ(-ab, ba) << "swapping two incomparable values must reverse the answer";
  EXPECT_GT(DC->CompareByField(0, 2, field), 0);
}

// --- The controller of its own records.

namespace {
class TOwnRecordsController : public TcxDataController {
  RTL_DECLARE_CLASS(TOwnRecordsController, TcxDataController)
public:
  explicit TOwnRecordsController(TComponent* AOwner) : TcxDataController(AOwner) {}
  TObject* GetItem(Integer AItemIndex) override { return FItems.at(static_cast<size_t>(AItemIndex)).get(); }
  std::vector<TObjectPtr<TTestItem>> FItems;
};
RTL_IMPLEMENT_CLASS(TOwnRecordsController)
}  // namespace

TEST(cxDataController, IsActiveFromItsCreationAndShowsRecordsWithoutASource) {
  TObjectPtr<TOwnRecordsController> dc(New<TOwnRecordsController>(nullptr));
  EXPECT_TRUE(dc->Active()) << "active before any item or record exists";
  EXPECT_FALSE(TObjectPtr<TTestController>(New<TTestController>(nullptr))->Active())
      << "a controller of some other source waits for it";
  dc->FItems.emplace_back(New<TTestItem>());
  dc->AddItem(dc->FItems.back().get());
  dc->SetItemValueTypeClass(0, TcxStringValueType::Instance());
  {
    UpdateLock<TcxCustomDataController> lock(dc.get());
    for (const char* name : {"Ana", "Bruno", "Carla"}) dc->SetValue(dc->AppendRecord(), 0, Variant(std::string(name)));
    EXPECT_EQ(dc->GetRowCount(), 0) << "rows are built when the bracket closes";
  }
  ASSERT_EQ(dc->GetRowCount(), 3);
  EXPECT_EQ(dc->DisplayTexts(dc->GetRowInfo(2).RecordIndex, 0), "Carla");
  dc->ChangeFocusedRowIndex(1);
  dc->Edit();
  dc->SetEditValue(0, Variant(std::string("Beatriz")), TcxDataEditValueSource::Value);
  dc->Post();
  EXPECT_EQ(dc->DisplayTexts(1, 0), "Beatriz");
}
