// The row list of an unbound controller: the record list filtered by the controller's
// criteria and sorted on several items (Portuguese text under the locale collation), group
// rows with expanding and collapsing, and the focus and the selection staying with their
// records while rows are rebuilt.
#include <algorithm>
#include <functional>
#include <tuple>
#include <map>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxCustomData.h"
#include "cx/data/cxFilter.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

class TRowListItem : public TObject {
  RTL_DECLARE_CLASS(TRowListItem, TObject)
public:
  TRowListItem() = default;
};
RTL_IMPLEMENT_CLASS(TRowListItem)

class TRowListController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(TRowListController, TcxCustomDataController)
public:
  explicit TRowListController(TComponent* AOwner) : TcxCustomDataController(AOwner) {}
  TObject* GetItem(Integer AItemIndex) override { return FItems.at(static_cast<size_t>(AItemIndex)).get(); }
  Integer AddTestItem(TcxValueTypeClass AType) {
    FItems.emplace_back(New<TRowListItem>());
    AddItem(FItems.back().get());
    Integer index = static_cast<Integer>(FItems.size()) - 1;
    SetItemValueTypeClass(index, AType);
    return index;
  }
  std::vector<TObjectPtr<TRowListItem>> FItems;
};
RTL_IMPLEMENT_CLASS(TRowListController)

std::string expectErrorMessage(const std::function<void()>& AAction) {
  try {
    AAction();
  } catch (const EcxInvalidDataControllerOperation& e) {
    return e.Message();
  }
  return "(no error)";
}

class TEventCounter : public TObject {
  RTL_DECLARE_CLASS(TEventCounter, TObject)
public:
  TEventCounter() = default;
  Integer Count = 0;
  void Event(TObject*) { ++Count; }
};
RTL_IMPLEMENT_CLASS(TEventCounter)

// The words in the order the locale collation gives them, case and accents ignored first.
const std::vector<std::string> kWords = {"ação", "acaso", "avião", "Ávila", "bala", "éter", "Évora", "Zé", "zebra"};

class RowListTest : public ::testing::Test {
protected:
  void SetUp() override {
    FOwner = New<TComponent>(nullptr);
    DC = New<TRowListController>(FOwner);
    Id = DC->AddTestItem(TcxIntegerValueType::Instance());
    Name = DC->AddTestItem(TcxStringValueType::Instance());
    Amount = DC->AddTestItem(TcxIntegerValueType::Instance());
    DC->SetOptions(DC->Options() + TcxDataControllerOptions{dcoAnsiSort, dcoCaseInsensitive});
  }
  void TearDown() override {
    FreeAndNil(DC);
    FreeAndNil(FOwner);
  }
  // Record r: Id r, Name from the words (shuffled by a stride), Amount r mod 7.
  void Fill(Integer ACount) {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetRecordCount(ACount);
    for (Integer r = 0; r < ACount; ++r) {
      DC->SetValue(r, Id, r);
      DC->SetValue(r, Name, kWords[static_cast<size_t>((r * 5) % kWords.size())]);
      DC->SetValue(r, Amount, r % 7);
    }
  }
  // Small fixtures: one row per (name, amount) pair given.
  void FillPairs(const std::vector<std::pair<std::string, Integer>>& APairs) {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetRecordCount(static_cast<Integer>(APairs.size()));
    for (size_t r = 0; r < APairs.size(); ++r) {
      DC->SetValue(static_cast<Integer>(r), Id, static_cast<Integer>(r));
      DC->SetValue(static_cast<Integer>(r), Name, APairs[r].first);
      DC->SetValue(static_cast<Integer>(r), Amount, APairs[r].second);
    }
  }
  Integer rank(Integer ARecord) {
    std::string s = DC->Values(ARecord, Name).AsString();
    return static_cast<Integer>(std::find(kWords.begin(), kWords.end(), s) - kWords.begin());
  }
  Integer amount(Integer ARecord) { return DC->Values(ARecord, Amount).AsInteger(); }
  std::vector<Integer> recordList() {
    std::vector<Integer> out;
    for (Integer i = 0; i < DC->GetFilteredRecordCount(); ++i) out.push_back(DC->GetFilteredRecordIndex(i));
    return out;
  }
  // Each row as "g<level>:<value>" for a group row ("+" when expanded) or the record of a
  // data row.
  std::vector<std::string> rows() {
    std::vector<std::string> out;
    Integer levels = DC->Groups()->GetGroupingItemCount();
    for (Integer row = 0; row < DC->GetRowCount(); ++row) {
      TcxRowInfo info = DC->GetRowInfo(row);
      out.push_back(info.Level < levels ? "g" + IntToStr(info.Level) + (info.Expanded ? "+" : "") + ":" +
                                              rowText(row, Id)
                                        : IntToStr(info.RecordIndex));
    }
    return out;
  }
  std::string rowText(Integer ARowIndex, Integer AItemIndex) {
    std::string s;
    DC->GetRowDisplayText(ARowIndex, AItemIndex, s);
    return s;
  }
  std::vector<Integer> selectedRecords() {
    std::vector<Integer> out;
    for (Integer i = 0; i < DC->GetSelectedCount(); ++i) out.push_back(DC->GetRowInfo(DC->GetSelectedRowIndex(i)).RecordIndex);
    std::sort(out.begin(), out.end());
    return out;
  }

  TComponent* FOwner = nullptr;
  TRowListController* DC = nullptr;
  Integer Id = 0, Name = 0, Amount = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Sorting

TEST_F(RowListTest, SortsAccentedTextByTheLocaleCollationThenANumberDescending) {
  Fill(3000);
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->ChangeSortOrder(Name, soAscending);
    DC->ChangeSortOrder(Amount, soDescending);
  }
  EXPECT_EQ(DC->GetItemSortIndex(Name), 0);
  EXPECT_EQ(DC->GetItemSortIndex(Amount), 1);
  EXPECT_EQ(DC->GetItemSortOrder(Amount), soDescending);
  std::vector<Integer> list = recordList();
  ASSERT_EQ(list.size(), 3000u);
  for (size_t i = 1; i < list.size(); ++i) {
    Integer a = list[i - 1], b = list[i];
    auto key = [&](Integer r) { return std::make_tuple(rank(r), -amount(r), r); };
    ASSERT_LT(key(a), key(b)) << "positions " << i - 1 << " and " << i << ": records " << a << " and " << b;
  }
  // Moving Amount in front changes the order: Amount descending first, then the words.
  DC->ChangeSortIndex(Amount, 0);
  list = recordList();
  EXPECT_EQ(amount(list.front()), 6);
  EXPECT_EQ(amount(list.back()), 0);
  EXPECT_EQ(rank(list.front()), 0);
  // Clearing the sorting gives record order back.
  DC->ClearSorting(false);
  list = recordList();
  for (Integer i = 0; i < 3000; ++i) ASSERT_EQ(list[static_cast<size_t>(i)], i);
}

TEST_F(RowListTest, EqualKeysKeepRecordOrderInBothDirections) {
  FillPairs({{"b", 1}, {"a", 2}, {"b", 3}, {"a", 4}, {"b", 5}});
  DC->ChangeSortOrder(Name, soAscending);
  EXPECT_EQ(recordList(), (std::vector<Integer>{1, 3, 0, 2, 4}));
  DC->ChangeSortOrder(Name, soDescending);
  EXPECT_EQ(recordList(), (std::vector<Integer>{0, 2, 4, 1, 3}));
}

TEST_F(RowListTest, SortingChangesAreReportedOnceAfterTheBracket) {
  Fill(50);
  TObjectPtr<TEventCounter> counter(New<TEventCounter>());
  Integer& events = counter->Count;
  DC->OnSortingChanged = TNotifyEvent(counter.get(), &TEventCounter::Event);
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->ChangeSortOrder(Name, soAscending);
    DC->ChangeSortOrder(Amount, soAscending);
    EXPECT_EQ(events, 0);
  }
  EXPECT_EQ(events, 1);
  DC->ChangeSortOrder(Amount, soAscending);  // no change
  EXPECT_EQ(events, 1);
}

TEST_F(RowListTest, AnInsertedRecordKeepsItsPlaceUntilPosted) {
  FillPairs({{"a", 1}, {"c", 2}, {"e", 3}});
  DC->ChangeSortOrder(Name, soAscending);
  DC->ChangeFocusedRowIndex(1);  // "c"
  DC->Insert();
  Integer inserted = DC->GetEditingRecordIndex();
  DC->SetEditValue(Name, "z", TcxDataEditValueSource::Value);
  DC->Refresh();
  // Still right before the record it was inserted in front of.
  Integer p = DC->GetFilteredIndexByRecordIndex(inserted);
  ASSERT_GE(p, 0);
  EXPECT_EQ(DC->Values(DC->GetFilteredRecordIndex(p + 1), Name).AsString(), "c");
  DC->Post();
  DC->Refresh();
  EXPECT_EQ(DC->GetFilteredRecordIndex(DC->GetFilteredRecordCount() - 1), inserted);
}

// ---------------------------------------------------------------------------------------
// Grouping and expanding

TEST_F(RowListTest, GroupsStartCollapsedAndExpandIntoTheirRecords) {
  FillPairs({{"A", 1}, {"A", 2}, {"B", 3}});
  DC->Groups()->ChangeGroupIndex(Name, 0);
  EXPECT_TRUE(DC->DataControllerInfo()->IsGrouped());
  EXPECT_EQ(rows(), (std::vector<std::string>{"g0:A", "g0:B"}));
  // A group row shows its grouping item whatever item is asked.
  EXPECT_EQ(rowText(1, Amount), "B");
  DC->Groups()->ChangeExpanding(0, true, false);
  EXPECT_EQ(rows(), (std::vector<std::string>{"g0+:A", "0", "1", "g0:B"}));
  EXPECT_EQ(rowText(2, Amount), "2");
  EXPECT_EQ(expectErrorMessage([&] { DC->GetRowInfo(4); }), "RowIndex out of range");
  EXPECT_EQ(expectErrorMessage([&] { DC->Groups()->ChangeExpanding(-1, true, false); }), "RowIndex out of range");
  // Ungrouping gives the plain rows back.
  DC->Groups()->ChangeGroupIndex(Name, -1);
  EXPECT_EQ(rows(), (std::vector<std::string>{"0", "1", "2"}));
}

TEST_F(RowListTest, TwoLevelsOverThousandsOfRecords) {
  Fill(3000);
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->Groups()->ChangeGroupIndex(Name, 0);
    DC->Groups()->ChangeGroupIndex(Amount, 1);
    DC->ChangeSortOrder(Id, soDescending);
  }
  TcxDataControllerGroups* groups = DC->Groups();
  ASSERT_EQ(groups->GetGroupingItemCount(), 2);
  EXPECT_EQ(groups->GetGroupingItemIndex(1), Amount);
  EXPECT_EQ(groups->GetItemGroupIndex(Id), -1);
  EXPECT_EQ(DC->GetRowCount(), 9);
  EXPECT_EQ(groups->GetChildCount(-1), 9);
  // Every word occurs with every amount, and the records of each inner group are exactly
  // those with its two values, in descending Id order.
  Integer total = 0;
  for (Integer top = 0; top < groups->GetChildCount(-1); ++top) {
    Integer g = groups->GetChildDataGroupIndex(-1, top);
    ASSERT_EQ(groups->GetChildCount(g), 7);
    for (Integer c = 0; c < 7; ++c) {
      Integer inner = groups->GetChildDataGroupIndex(g, c);
      ASSERT_EQ(groups->GetLevelByDataGroupIndex(inner), 1);
      Integer n = groups->GetChildCount(inner);
      Integer first = groups->GetChildRecordIndex(inner, 0);
      for (Integer k = 0; k < n; ++k) {
        Integer r = groups->GetChildRecordIndex(inner, k);
        ASSERT_EQ(rank(r), top);
        ASSERT_EQ(amount(r), amount(first));
        if (k > 0) {
          ASSERT_LT(r, groups->GetChildRecordIndex(inner, k - 1));
        }
      }
      EXPECT_EQ(amount(first), c);
      total += n;
    }
    std::vector<Integer> all;
    groups->LoadRecordIndexes(all, g);
    Integer under = 0;
    for (Integer c = 0; c < 7; ++c) under += groups->GetChildCount(groups->GetChildDataGroupIndex(g, c));
    EXPECT_EQ(static_cast<Integer>(all.size()), under);
    for (Integer r : all) ASSERT_EQ(rank(r), top);
  }
  EXPECT_EQ(total, 3000);
  EXPECT_EQ(groups->GetChildRecordIndex(groups->GetChildDataGroupIndex(-1, 0), 0), -1);  // not a deepest group
  EXPECT_EQ(groups->GetChildDataGroupIndex(-1, 9), -1);
  EXPECT_EQ(groups->GetChildCount(12345), 0);

  // Expanding the first word with its children, then collapsing it: the children keep their
  // flags and come back expanded.
  DC->Groups()->ChangeExpanding(0, true, true);
  Integer inner0 = groups->GetChildCount(groups->GetChildDataGroupIndex(groups->GetChildDataGroupIndex(-1, 0), 0));
  EXPECT_EQ(DC->GetRowInfo(1).Level, 1);
  EXPECT_TRUE(DC->GetRowInfo(1).Expanded);
  EXPECT_EQ(DC->GetRowInfo(2).Level, 2);
  EXPECT_EQ(DC->GetRowInfo(2 + inner0).Level, 1);
  Integer expandedCount = DC->GetRowCount();
  EXPECT_EQ(expandedCount, 9 + 7 + 3000 / 9 + (3000 % 9 > 0 ? 1 : 0));
  DC->Groups()->ChangeExpanding(0, false, false);
  EXPECT_EQ(DC->GetRowCount(), 9);
  DC->Groups()->ChangeExpanding(0, true, false);
  EXPECT_EQ(DC->GetRowCount(), expandedCount);
  // A data row belongs to its deepest group.
  EXPECT_EQ(groups->GetLevelByDataGroupIndex(groups->GetDataGroupIndexByRowIndex(2)), 1);
}

TEST_F(RowListTest, RowOfARecordExpandsOnlyWhenAsked) {
  FillPairs({{"A", 1}, {"A", 2}, {"B", 3}});
  DC->Groups()->ChangeGroupIndex(Name, 0);
  EXPECT_EQ(DC->GetRowIndexByRecordIndex(2, false), -1);
  EXPECT_EQ(DC->GetRowIndexByRecordIndex(2, true), 2);
  EXPECT_EQ(rows(), (std::vector<std::string>{"g0:A", "g0+:B", "2"}));
  EXPECT_EQ(DC->GetRowIndexByRecordIndex(2, false), 2);
}

// ---------------------------------------------------------------------------------------
// Filtering

TEST_F(RowListTest, TheControllersCriteriaFilterEveryRecord) {
  Fill(3000);
  TcxDataFilterCriteria* filter = DC->Filter();
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    filter->BeginUpdate();
    filter->AddItem(nullptr, DC->GetItem(Amount), foGreater, 4, "4");
    filter->AddItem(nullptr, DC->GetItem(Name), foLike, "a%", "a%");
    filter->SetActive(true);
    filter->EndUpdate();
  }
  std::vector<Integer> expected;
  for (Integer r = 0; r < 3000; ++r) {
    std::string s = DC->Values(r, Name).AsString();
    if (amount(r) > 4 && (s[0] == 'a' || s[0] == 'A')) expected.push_back(r);
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(recordList(), expected);
  Integer out = 1;  // Amount 1
  EXPECT_EQ(DC->GetFilteredIndexByRecordIndex(out), -1);
  DC->Groups()->ChangeGroupIndex(Name, 0);
  EXPECT_EQ(DC->GetRowIndexByRecordIndex(out, true), -1);
  // Switching the filter off brings every record back.
  filter->SetActive(false);
  EXPECT_EQ(DC->GetFilteredRecordCount(), 3000);
}

TEST_F(RowListTest, TheRecordBeingEditedIsNeverFilteredOut) {
  FillPairs({{"a", 1}, {"b", 2}, {"c", 3}});
  DC->ChangeFocusedRowIndex(1);
  DC->Edit();
  DC->SetEditValue(Amount, 9, TcxDataEditValueSource::Value);
  DC->Filter()->AddItem(nullptr, DC->GetItem(Amount), foLess, 3, "3");
  DC->Filter()->SetActive(true);
  EXPECT_EQ(recordList(), (std::vector<Integer>{0, 1}));
  DC->Post();
  DC->Refresh();
  EXPECT_EQ(recordList(), (std::vector<Integer>{0}));
}

// ---------------------------------------------------------------------------------------
// Focus

TEST_F(RowListTest, FocusStaysWithItsRecordAcrossResortsAndFilters) {
  Fill(3000);
  DC->ChangeFocusedRecordIndex(1234);
  DC->ChangeSortOrder(Id, soDescending);
  EXPECT_EQ(DC->GetFocusedRecordIndex(), 1234);
  EXPECT_EQ(DC->GetFocusedRowIndex(), 3000 - 1 - 1234);
  DC->Filter()->AddItem(nullptr, DC->GetItem(Amount), foEqual, amount(1234), "");
  DC->Filter()->SetActive(true);
  EXPECT_EQ(DC->GetFocusedRecordIndex(), 1234);
  // Filtered out: nothing is focused rather than some other record.
  DC->Filter()->Clear();
  DC->Filter()->AddItem(nullptr, DC->GetItem(Amount), foNotEqual, amount(1234), "");
  EXPECT_EQ(DC->GetFocusedRecordIndex(), -1);
}

TEST_F(RowListTest, FocusOnAHiddenDataRowExpandsItsGroup) {
  FillPairs({{"A", 1}, {"A", 2}, {"B", 3}});
  DC->ChangeFocusedRecordIndex(1);
  DC->Groups()->ChangeGroupIndex(Name, 0);
  EXPECT_EQ(rows(), (std::vector<std::string>{"g0+:A", "0", "1", "g0:B"}));
  EXPECT_EQ(DC->GetFocusedRowIndex(), 2);
  EXPECT_EQ(DC->GetFocusedRecordIndex(), 1);
  // Collapsing the group moves the focus to its row.
  DC->Groups()->ChangeExpanding(0, false, false);
  EXPECT_EQ(DC->GetFocusedRowIndex(), 0);
  EXPECT_EQ(DC->GetRowInfo(DC->GetFocusedRowIndex()).Level, 0);
  // Focusing past the last row focuses the last row.
  DC->ChangeFocusedRowIndex(5);
  EXPECT_EQ(DC->GetFocusedRowIndex(), 1);
}

TEST_F(RowListTest, FocusTopRowAfterSortingWhenAsked) {
  Fill(100);
  DC->SetOptions(DC->Options() + TcxDataControllerOptions{dcoFocusTopRowAfterSorting});
  DC->ChangeFocusedRowIndex(40);
  DC->ChangeSortOrder(Id, soDescending);
  EXPECT_EQ(DC->GetFocusedRowIndex(), 0);
  EXPECT_EQ(DC->GetFocusedRecordIndex(), 99);
}

// ---------------------------------------------------------------------------------------
// Selection

// Each case: the options, then a rebuild; the selected records must be the same after it.
TEST_F(RowListTest, SelectedRecordsStayTheSameAcrossAResort) {
  for (bool saveExpanding : {true, false}) {
    SCOPED_TRACE(saveExpanding ? "with the expansion memory" : "without it");
    TearDown();
    SetUp();
    Fill(3000);
    DC->SetMultiSelect(true);
    TcxDataControllerOptions options = DC->Options();
    DC->SetOptions(saveExpanding ? options + TcxDataControllerOptions{dcoSaveExpanding}
                                 : options - TcxDataControllerOptions{dcoSaveExpanding});
    DC->ChangeRowSelection(10, true);
    DC->ChangeRowSelection(2500, true);
    EXPECT_EQ(selectedRecords(), (std::vector<Integer>{10, 2500}));
    DC->ChangeSortOrder(Id, soDescending);
    EXPECT_EQ(selectedRecords(), (std::vector<Integer>{10, 2500}));
    EXPECT_TRUE(DC->IsRowSelected(3000 - 1 - 10));
    EXPECT_FALSE(DC->IsRowSelected(10));
    // Rows stay in ascending order for the bisection.
    EXPECT_LT(DC->GetSelectedRowIndex(0), DC->GetSelectedRowIndex(1));
    DC->ChangeSortOrder(Name, soAscending);
    DC->ChangeSortIndex(Name, 0);
    EXPECT_EQ(selectedRecords(), (std::vector<Integer>{10, 2500}));
    // Regrouping keeps the selected data rows that stay visible: all of them while groups
    // are always expanded, none under groups that start collapsed.
    DC->SetOptions(DC->Options() + TcxDataControllerOptions{dcoGroupsAlwaysExpanded});
    DC->Groups()->ChangeGroupIndex(Amount, 0);
    DC->ChangeSortOrder(Id, soAscending);
    EXPECT_EQ(selectedRecords(), (std::vector<Integer>{10, 2500}));
    EXPECT_EQ(DC->GetRowInfo(DC->GetSelectedRowIndex(0)).Level, 1);
    DC->SetOptions(DC->Options() - TcxDataControllerOptions{dcoGroupsAlwaysExpanded});
    DC->Groups()->ChangeGroupIndex(Name, 0);
    EXPECT_EQ(DC->GetSelectedCount(), 0);
  }
}

TEST_F(RowListTest, AFilterThatDropsRecordsClearsTheSelection) {
  Fill(100);
  DC->SetMultiSelect(true);
  DC->SelectRows(5, 1);
  EXPECT_EQ(selectedRecords(), (std::vector<Integer>{1, 2, 3, 4, 5}));
  DC->Filter()->AddItem(nullptr, DC->GetItem(Amount), foNotEqual, 3, "");
  DC->Filter()->SetActive(true);
  EXPECT_EQ(DC->GetSelectedCount(), 0);
  EXPECT_EQ(expectErrorMessage([&] { DC->IsRowSelected(1000); }), "RowIndex out of range");
}

TEST_F(RowListTest, DeletingASelectionWithAGroupRowDeletesEachRecordOnce) {
  FillPairs({{"A", 1}, {"B", 2}, {"A", 3}, {"C", 4}, {"B", 5}});
  DC->SetMultiSelect(true);
  DC->Groups()->ChangeGroupIndex(Name, 0);
  DC->Groups()->ChangeExpanding(0, true, false);  // A: rows 1, 2 = records 0, 2
  ASSERT_EQ(rows(), (std::vector<std::string>{"g0+:A", "0", "2", "g0:B", "g0:C"}));
  DC->ChangeRowSelection(0, true);
  DC->ChangeRowSelection(2, true);
  DC->ChangeRowSelection(4, true);  // group C
  DC->DeleteSelection();
  EXPECT_EQ(DC->GetRecordCount(), 2);
  std::vector<std::string> left;
  for (Integer r = 0; r < DC->GetRecordCount(); ++r) left.push_back(DC->Values(r, Name).AsString());
  EXPECT_EQ(left, (std::vector<std::string>{"B", "B"}));
  EXPECT_EQ(DC->GetSelectedCount(), 0);
}

TEST_F(RowListTest, MultiRowDeleteOfASortedSelectionDeletesTheSelectedRecords) {
  Fill(3000);
  DC->SetMultiSelect(true);
  DC->ChangeSortOrder(Id, soDescending);
  DC->SelectRows(0, 9);  // Ids 2999 .. 2990
  DC->ChangeSortOrder(Id, soAscending);
  DC->DeleteSelection();
  ASSERT_EQ(DC->GetRecordCount(), 2990);
  for (Integer r = 0; r < DC->GetRecordCount(); ++r) ASSERT_EQ(DC->Values(r, Id).AsInteger(), r);
}

TEST_F(RowListTest, ExpandedGroupsSurviveARefilterWhileTheirValuesExist) {
  Fill(3000);
  DC->Groups()->ChangeGroupIndex(Name, 0);
  DC->Groups()->ChangeExpanding(1, true, false);  // "acaso"
  DC->Filter()->AddItem(nullptr, DC->GetItem(Name), foNotEqual, "ação", "");
  DC->Filter()->SetActive(true);
  // "ação" is gone, so "acaso" is now the first group, and still expanded.
  EXPECT_EQ(rowText(0, Name), "acaso");
  EXPECT_TRUE(DC->GetRowInfo(0).Expanded);
  EXPECT_FALSE(DC->GetRowInfo(DC->GetRowCount() - 1).Expanded);
  // Without the memory the regrouped rows start collapsed.
  DC->SetOptions(DC->Options() - TcxDataControllerOptions{dcoSaveExpanding});
  EXPECT_FALSE(DC->GetRowInfo(0).Expanded);
}

TEST_F(RowListTest, DeletingAFocusedGroupRowDeletesAllItsRecords) {
  FillPairs({{"A", 1}, {"B", 2}, {"A", 3}, {"C", 4}});
  DC->Groups()->ChangeGroupIndex(Name, 0);
  DC->ChangeFocusedRowIndex(0);  // group A, single selection: the focused row is selected
  ASSERT_EQ(DC->GetSelectedCount(), 1);
  DC->DeleteSelection();
  std::vector<std::string> left;
  for (Integer r = 0; r < DC->GetRecordCount(); ++r) left.push_back(DC->Values(r, Name).AsString());
  EXPECT_EQ(left, (std::vector<std::string>{"B", "C"}));
  DC->ChangeFocusedRowIndex(1);  // group C
  DC->DeleteFocused();
  ASSERT_EQ(DC->GetRecordCount(), 1);
  EXPECT_EQ(DC->Values(0, Name).AsString(), "B");
}

// Inserting or deleting other records must not hand the selection to their neighbours: a
// later DeleteSelection would delete records nobody selected.
TEST_F(RowListTest, TheSelectionFollowsItsRecordsWhenOthersAreInsertedOrDeleted) {
  Fill(20);
  DC->SetMultiSelect(true);
  DC->ChangeSortOrder(Id, soDescending);
  DC->ChangeRowSelection(DC->GetRowIndexByRecordIndex(5, false), true);
  DC->ChangeRowSelection(DC->GetRowIndexByRecordIndex(6, false), true);
  DC->DeleteRecord(2);
  DC->InsertRecord(0);
  DC->SetValue(0, Id, 100);
  DC->DeleteRecord(5);  // Id 5: it leaves the selection
  std::vector<Integer> selectedIds;
  for (Integer r : selectedRecords()) selectedIds.push_back(DC->Values(r, Id).AsInteger());
  EXPECT_EQ(selectedIds, (std::vector<Integer>{6}));
  DC->DeleteSelection();
  std::vector<Integer> left;
  for (Integer r = 0; r < DC->GetRecordCount(); ++r) left.push_back(DC->Values(r, Id).AsInteger());
  EXPECT_EQ(left, (std::vector<Integer>{100, 0, 1, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
}

TEST_F(RowListTest, TheFocusFollowsItsRecordWhenOthersAreInsertedOrDeleted) {
  Fill(20);
  DC->ChangeSortOrder(Id, soDescending);
  DC->ChangeFocusedRecordIndex(10);
  auto focusedId = [this] { return DC->Values(DC->GetFocusedRecordIndex(), Id).AsInteger(); };
  DC->DeleteRecord(2);
  EXPECT_EQ(focusedId(), 10);
  DC->InsertRecord(0);
  DC->SetValue(0, Id, 100);
  EXPECT_EQ(focusedId(), 10);
  EXPECT_EQ(DC->GetFocusedRowIndex(), DC->GetRowIndexByRecordIndex(DC->GetFocusedRecordIndex(), false));
  // Records after the focused one leave it where it is.
  DC->DeleteRecord(DC->GetFocusedRecordIndex() + 1);
  EXPECT_EQ(focusedId(), 10);
  // The focused record itself: the focus goes to a neighbour, not to nothing.
  DC->DeleteRecord(DC->GetFocusedRecordIndex());
  ASSERT_GE(DC->GetFocusedRecordIndex(), 0);
  EXPECT_NE(focusedId(), 10);
}

TEST_F(RowListTest, CollapsingAGroupMovesTheSelectionRowsOfTheGroupsAfterIt) {
  FillPairs({{"A", 1}, {"A", 2}, {"B", 3}, {"B", 4}});
  DC->SetMultiSelect(true);
  DC->Groups()->ChangeGroupIndex(Name, 0);
  DC->Groups()->FullExpand();
  ASSERT_EQ(rows(), (std::vector<std::string>{"g0+:A", "0", "1", "g0+:B", "2", "3"}));
  DC->ChangeRowSelection(2, true);  // record 1, under A
  DC->ChangeRowSelection(5, true);  // record 3, under B
  DC->Groups()->ChangeExpanding(0, false, false);
  // Record 1 is hidden and leaves the selection; record 3 is now on row 3.
  EXPECT_EQ(selectedRecords(), (std::vector<Integer>{3}));
  EXPECT_EQ(DC->GetSelectedRowIndex(0), 3);
  EXPECT_TRUE(DC->IsRowSelected(3));
}
