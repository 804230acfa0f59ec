// Footer and group summaries of a data controller: what each kind makes of nulls, mixed
// and large values and of no records at all; the selected-records and grid-mode rules;
// group values per level and summary group; the texts with their default and own formats;
// recalculation after edits, inserts, deletes and filtering; and the collections' links,
// assignment and handlers.
#include <functional>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxCustomData.h"
#include "cx/foundation/cxDataUtils.h"
#include "cx/foundation/cxVariants.h"
#include "platform/rtl/Scoped.h"
#include "platform/rtl/SysUtils.h"

namespace {

class TSummaryTestItem : public TObject {
  RTL_DECLARE_CLASS(TSummaryTestItem, TObject)
public:
  TSummaryTestItem() = default;
  Integer ID = -1;
};
RTL_IMPLEMENT_CLASS(TSummaryTestItem)

// A provider over a data source that only shows a window of its records.
class TGridModeProvider : public TcxCustomDataProvider {
  RTL_DECLARE_CLASS(TGridModeProvider, TcxCustomDataProvider)
public:
  using TcxCustomDataProvider::TcxCustomDataProvider;
  bool IsGridMode() override { return GridMode; }
  static inline bool GridMode = false;
};
RTL_IMPLEMENT_CLASS(TGridModeProvider)

// The view's items are its own objects; each carries its ID (its index when added).
class TSummaryController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(TSummaryController, TcxCustomDataController)
public:
  explicit TSummaryController(TComponent* AOwner) : TcxCustomDataController(AOwner) {}
  TObject* GetItem(Integer AItemIndex) override { return FItems.at(static_cast<size_t>(AItemIndex)).get(); }
  Integer GetItemID(TObject* AItem) override { return AItem ? As<TSummaryTestItem>(AItem)->ID : -1; }
  TClass GetDataProviderClass() override { return TGridModeProvider::StaticClass(); }
  Integer AddTestItem(TcxValueTypeClass AType) {
    FItems.emplace_back(New<TSummaryTestItem>());
    FItems.back()->ID = static_cast<Integer>(FItems.size()) - 1;
    AddItem(FItems.back().get());
    Integer index = static_cast<Integer>(FItems.size()) - 1;
    SetItemValueTypeClass(index, AType);
    return index;
  }
  void RemoveTestItem(Integer AIndex) {
    RemoveItem(FItems[static_cast<size_t>(AIndex)].get());
    FItems.erase(FItems.begin() + AIndex);
  }
  std::vector<TObjectPtr<TSummaryTestItem>> FItems;
};
RTL_IMPLEMENT_CLASS(TSummaryController)

// Counts the after-summary events and can act inside them.
class TSummaryWatcher : public TObject {
  RTL_DECLARE_CLASS(TSummaryWatcher, TObject)
public:
  TSummaryWatcher() = default;
  Integer AfterSummaryCount = 0;
  std::function<void(TcxDataSummary*)> Inside;
  void AfterSummary(TcxDataSummary* ASender) {
    ++AfterSummaryCount;
    if (Inside) Inside(ASender);
  }
  // Sums the absolute values and counts only the negative ones.
  void AbsoluteSum(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments& AOut) {
    if (VarIsNull(AOut.Value)) return;
    double v = AOut.Value.AsDouble();
    AOut.SummaryValue = (VarIsEmpty(AOut.SummaryValue) ? 0.0 : AOut.SummaryValue.AsDouble()) + (v < 0 ? -v : v);
    if (v < 0) ++AOut.CountValue;
    AOut.Done = true;
  }
  // Takes every value as twice itself, leaving the work to the summary.
  void Doubled(TcxDataSummaryItems*, const TcxSummaryEventArguments&, TcxSummaryEventOutArguments& AOut) {
    if (!VarIsNull(AOut.Value)) AOut.Value = AOut.Value * Variant(2);
  }
  void Bracketed(TcxDataSummaryItem*, const Variant&, bool AIsFooter, std::string& AText) {
    AText = (AIsFooter ? "[" : "<") + AText + (AIsFooter ? "]" : ">");
  }
};
RTL_IMPLEMENT_CLASS(TSummaryWatcher)

class DataSummaryTest : public ::testing::Test {
protected:
  void SetUp() override {
    TGridModeProvider::GridMode = false;
    FOwner = New<TComponent>(nullptr);
    DC = New<TSummaryController>(FOwner);
    Group = DC->AddTestItem(TcxStringValueType::Instance());
    Sub = DC->AddTestItem(TcxStringValueType::Instance());
    Amount = DC->AddTestItem(TcxVariantValueType::Instance());
    Watcher = New<TSummaryWatcher>();
  }
  void TearDown() override {
    FreeAndNil(DC);
    FreeAndNil(FOwner);
    FreeAndNil(Watcher);
  }
  TcxDataSummary* S() { return DC->Summary(); }
  TObject* item(Integer AIndex) { return DC->GetItem(AIndex); }
  // One record per value of Amount; Group and Sub from the given texts when present.
  void Fill(const std::vector<Variant>& AValues, const std::vector<std::string>& AGroups = {},
            const std::vector<std::string>& ASubs = {}) {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetRecordCount(static_cast<Integer>(AValues.size()));
    for (size_t r = 0; r < AValues.size(); ++r) {
      Integer record = static_cast<Integer>(r);
      DC->SetValue(record, Amount, AValues[r]);
      if (r < AGroups.size()) DC->SetValue(record, Group, AGroups[r]);
      if (r < ASubs.size()) DC->SetValue(record, Sub, ASubs[r]);
    }
  }
  TcxDataSummaryItem* AddFooter(TcxSummaryKind AKind, Integer AItem) {
    TcxDataSummaryItem* item = S()->FooterSummaryItems()->Add();
    item->SetItemLink(DC->GetItem(AItem));
    item->SetKind(AKind);
    return item;
  }
  TcxDataSummaryItem* AddGroupItem(TcxDataSummaryItems* AItems, TcxSummaryKind AKind, Integer AItem,
                                   TcxSummaryPosition APosition = spGroup) {
    TcxDataSummaryItem* item = AItems->Add();
    item->SetItemLink(DC->GetItem(AItem));
    item->SetKind(AKind);
    item->SetPosition(APosition);
    return item;
  }
  std::string footerText(Integer AIndex) { return S()->GetFooterSummaryText(AIndex); }
  std::vector<std::string> groupTexts() {
    std::vector<std::string> out;
    for (Integer row = 0; row < DC->GetRowCount(); ++row) out.push_back(S()->GetGroupSummaryText(row));
    return out;
  }
  static std::string show(const Variant& V) {
    if (VarIsEmpty(V)) return "(empty)";
    if (VarIsNull(V)) return "(null)";
    return VarToStr(V) + ":" + VarTypeAsText(VarType(V));
  }

  TComponent* FOwner = nullptr;
  TSummaryController* DC = nullptr;
  TSummaryWatcher* Watcher = nullptr;
  Integer Group = 0, Sub = 0, Amount = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Kinds over nulls, mixed and large values

TEST_F(DataSummaryTest, EachKindTreatsNullsAsTheNullOptionSays) {
  struct Case {
    std::vector<Variant> values;
    TcxSummaryKind kind;
    bool nullIgnore;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // Without the option a Null is counted (and so divides the average) but adds nothing.
      {{2, Null(), 4}, skAverage, false, "2:Double"},
      {{2, Null(), 4}, skAverage, true, "3:Double"},
      {{2, Null(), 4}, skSum, false, "6:Integer"},
      {{2, Null(), 4}, skSum, true, "6:Integer"},
      {{2, Null(), 4}, skCount, false, "3:Integer"},
      {{2, Null(), 4}, skCount, true, "2:Integer"},
      {{Null(), 5, 3}, skMin, false, "3:Integer"},
      {{Null(), 5, 3}, skMax, false, "5:Integer"},
      {{Null(), 5}, skSum, false, "5:Integer"},
      {{Null(), Null()}, skSum, false, "0:Integer"},
      {{Null(), Null()}, skAverage, true, "(null)"},
      {{Null(), Null()}, skMin, false, "(null)"},
      {{7, 2, 9}, skNone, false, "(null)"},
  };
  TcxDataSummaryItem* footer = AddFooter(skNone, Amount);
  for (const Case& c : cases) {
    Fill(c.values);
    {
      UpdateLock<TcxDataSummary> lock(S());
      footer->SetKind(c.kind);
      S()->SetOptions(c.nullIgnore ? TcxSummaryOptions{soNullIgnore} : TcxSummaryOptions{});
    }
    EXPECT_EQ(c.expected, show(S()->GetFooterSummaryValue(0)))
        << "kind " << c.kind << (c.nullIgnore ? " ignoring nulls" : " counting nulls") << " over "
        << c.values.size() << " values";
  }
}

TEST_F(DataSummaryTest, NoRecordsGiveCountZeroAndNullTextsForTheOtherKinds) {
  for (TcxSummaryKind kind : {skSum, skMin, skMax, skCount, skAverage}) AddFooter(kind, Amount);
  Fill({});
  EXPECT_EQ("0:Integer", show(S()->GetFooterSummaryValue(3)));
  EXPECT_EQ("0", footerText(3));
  for (Integer i : {0, 1, 2, 4}) {
    EXPECT_EQ("(null)", show(S()->GetFooterSummaryValue(i))) << "footer item " << i;
    EXPECT_EQ("", footerText(i)) << "footer item " << i;
  }
  // Outside the values: Null and no text, never an error.
  EXPECT_EQ("(null)", show(S()->GetFooterSummaryValue(5)));
  EXPECT_EQ("(null)", show(S()->GetFooterSummaryValue(-1)));
  EXPECT_EQ("", footerText(7));
}

TEST_F(DataSummaryTest, MixedAndLargeValuesAddWithoutWrapping) {
  AddFooter(skSum, Amount);
  AddFooter(skMax, Amount);
  AddFooter(skAverage, Amount);
  // An integer, a float and a text that reads as a number.
  Fill({1, 2.5, std::string("3")});
  EXPECT_EQ("6.5:Double", show(S()->GetFooterSummaryValue(0)));
  EXPECT_EQ("3", VarToStr(S()->GetFooterSummaryValue(1)));
  // Integers past the 32-bit range widen instead of wrapping round.
  const Integer kMax = 2147483647;
  Fill({kMax, kMax, kMax});
  EXPECT_EQ("6442450941:Int64", show(S()->GetFooterSummaryValue(0)));
  EXPECT_EQ("2147483647:Double", show(S()->GetFooterSummaryValue(2)));
  Fill({Variant(Int64(9000000000000000000LL)), Variant(Int64(9000000000000000000LL))});
  EXPECT_DOUBLE_EQ(1.8e19, S()->GetFooterSummaryValue(0).AsDouble());
  EXPECT_EQ(varDouble, VarType(S()->GetFooterSummaryValue(0)));
}

TEST_F(DataSummaryTest, AValueTheKindCannotAddFailsTheRebuildButLeavesTheControllerWorking) {
  AddFooter(skSum, Amount);
  Fill({1, 2});
  bool raised = false;
  try {
    DC->SetValue(1, Amount, std::string("abc"));
  } catch (const Exception&) {
    raised = true;
  }
  EXPECT_TRUE(raised) << "text under a sum is reported to the caller";
  EXPECT_EQ(0, DC->PendingChanges()) << "the rebuild's changes were still reported";
  DC->SetValue(1, Amount, 5);
  EXPECT_EQ("6:Integer", show(S()->GetFooterSummaryValue(0))) << "the next rebuild sums again";
}

TEST_F(DataSummaryTest, DatesKeepTheirTypeThroughMinimumAndAverage) {
  TDateTime d1 = EncodeDate(2024, 3, 1), d2 = EncodeDate(2024, 3, 5);
  AddFooter(skMin, Amount);
  AddFooter(skAverage, Amount);
  Fill({VarFromDateTime(d2), VarFromDateTime(d1)});
  EXPECT_EQ(varDate, VarType(S()->GetFooterSummaryValue(0)));
  EXPECT_DOUBLE_EQ(d1, S()->GetFooterSummaryValue(0).AsDateTime());
  EXPECT_EQ(varDate, VarType(S()->GetFooterSummaryValue(1)));
  EXPECT_DOUBLE_EQ(EncodeDate(2024, 3, 3), S()->GetFooterSummaryValue(1).AsDateTime());
  EXPECT_EQ("MIN=" + DateToStr(d1), footerText(0));
  EXPECT_EQ("AVG=" + DateToStr(EncodeDate(2024, 3, 3)), footerText(1));
}

// ---------------------------------------------------------------------------------------
// Which records count

TEST_F(DataSummaryTest, SelectedRecordsOnlyFollowTheSelection) {
  AddFooter(skSum, Amount);
  AddFooter(skCount, Amount);
  Fill({10, 20, 30, 40});
  S()->SetOptions({soSelectedRecords});
  DC->SetMultiSelect(true);
  DC->ClearSelection();
  EXPECT_EQ("(null)", show(S()->GetFooterSummaryValue(0))) << "nothing selected";
  EXPECT_EQ("0:Integer", show(S()->GetFooterSummaryValue(1)));
  DC->ChangeRowSelection(1, true);
  DC->ChangeRowSelection(3, true);
  EXPECT_EQ("60:Integer", show(S()->GetFooterSummaryValue(0))) << "a selection change recalculates";
  EXPECT_EQ("2:Integer", show(S()->GetFooterSummaryValue(1)));
  S()->SetOptions({});
  EXPECT_EQ("100:Integer", show(S()->GetFooterSummaryValue(0)));
}

TEST_F(DataSummaryTest, OnlyRecordsThroughTheFilterCount) {
  AddFooter(skSum, Amount);
  Fill({1, 2, 3, 4});
  EXPECT_EQ("10:Integer", show(S()->GetFooterSummaryValue(0)));
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->Filter()->AddItem(nullptr, DC->GetItem(Amount), foGreater, 2, "2");
    DC->Filter()->SetActive(true);
  }
  EXPECT_EQ("7:Integer", show(S()->GetFooterSummaryValue(0)));
}

TEST_F(DataSummaryTest, InGridModeTheFooterSumsNothing) {
  AddFooter(skSum, Amount);
  AddFooter(skCount, Amount);
  TGridModeProvider::GridMode = true;
  Fill({1, 2, 3});
  EXPECT_EQ("(null)", show(S()->GetFooterSummaryValue(0)));
  EXPECT_EQ("0:Integer", show(S()->GetFooterSummaryValue(1)));
}

// ---------------------------------------------------------------------------------------
// Recalculation

TEST_F(DataSummaryTest, EditsInsertsAndDeletesRecalculateOnceEach) {
  AddFooter(skSum, Amount);
  S()->SetOnAfterSummary(TcxAfterSummaryEvent(Watcher, &TSummaryWatcher::AfterSummary));
  Fill({1, 2, 3});
  EXPECT_EQ("6:Integer", show(S()->GetFooterSummaryValue(0)));
  Watcher->AfterSummaryCount = 0;
  DC->SetValue(0, Amount, 11);
  EXPECT_EQ("16:Integer", show(S()->GetFooterSummaryValue(0)));
  Integer record = DC->AppendRecord();
  DC->SetValue(record, Amount, 100);
  EXPECT_EQ("116:Integer", show(S()->GetFooterSummaryValue(0)));
  DC->DeleteRecord(1);
  EXPECT_EQ("114:Integer", show(S()->GetFooterSummaryValue(0)));
  EXPECT_EQ(4, Watcher->AfterSummaryCount) << "one calculation per change";
  // Within one bracket: one calculation.
  Watcher->AfterSummaryCount = 0;
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetValue(0, Amount, 1);
    DC->SetValue(1, Amount, 1);
  }
  EXPECT_EQ(1, Watcher->AfterSummaryCount);
  EXPECT_EQ("102:Integer", show(S()->GetFooterSummaryValue(0)));
}

TEST_F(DataSummaryTest, KindsRecalculateWhileFormatsOnlyRedrawAndTheHandlerCannotLoop) {
  TcxDataSummaryItem* footer = AddFooter(skSum, Amount);
  S()->SetOnAfterSummary(TcxAfterSummaryEvent(Watcher, &TSummaryWatcher::AfterSummary));
  Fill({1, 2, 3});
  Watcher->AfterSummaryCount = 0;
  footer->SetFormat("0");
  EXPECT_EQ(0, Watcher->AfterSummaryCount) << "a format changes no value";
  EXPECT_EQ("6", footerText(0));
  footer->SetKind(skMax);
  EXPECT_EQ(1, Watcher->AfterSummaryCount);
  EXPECT_EQ("3", footerText(0));
  // Changes made by the after-summary handler start no new calculation.
  Watcher->Inside = [&](TcxDataSummary*) { footer->SetKind(footer->Kind() == skMax ? skMin : skMax); };
  DC->SetValue(0, Amount, 5);
  EXPECT_EQ(2, Watcher->AfterSummaryCount);
  // A bracket that is cancelled recalculates nothing; one that ends does, once.
  Watcher->Inside = nullptr;
  S()->BeginUpdate();
  footer->SetKind(skSum);
  S()->CancelUpdate();
  EXPECT_EQ(2, Watcher->AfterSummaryCount);
  S()->BeginUpdate();
  footer->SetKind(skCount);
  S()->SetOptions({soNullIgnore});
  S()->EndUpdate();
  EXPECT_EQ(3, Watcher->AfterSummaryCount);
  EXPECT_EQ("3:Integer", show(S()->GetFooterSummaryValue(0)));
}

TEST_F(DataSummaryTest, TheAfterSummaryEventWaitsForTheEndOfLoading) {
  AddFooter(skSum, Amount);
  S()->SetOnAfterSummary(TcxAfterSummaryEvent(Watcher, &TSummaryWatcher::AfterSummary));
  FOwner->SetLoading(true);
  Fill({1, 2});
  EXPECT_EQ(0, Watcher->AfterSummaryCount);
  EXPECT_EQ("3:Integer", show(S()->GetFooterSummaryValue(0))) << "the values are there already";
  FOwner->SetLoading(false);
  DC->Loaded();
  EXPECT_EQ(1, Watcher->AfterSummaryCount);
  DC->Loaded();
  EXPECT_EQ(1, Watcher->AfterSummaryCount) << "fired once";
}

TEST_F(DataSummaryTest, TheSummaryHandlerCanDoTheWorkOrReplaceTheValue) {
  TcxDataSummaryItem* footer = AddFooter(skSum, Amount);
  AddFooter(skCount, Amount);
  S()->FooterSummaryItems()->SetOnSummary(TcxSummaryEvent(Watcher, &TSummaryWatcher::AbsoluteSum));
  Fill({-2, 3, -4});
  EXPECT_EQ("9", VarToStr(S()->GetFooterSummaryValue(0)));
  EXPECT_EQ("2:Integer", show(S()->GetFooterSummaryValue(1))) << "its own count: the negative values";
  S()->FooterSummaryItems()->SetOnSummary(TcxSummaryEvent(Watcher, &TSummaryWatcher::Doubled));
  DC->Refresh();
  EXPECT_EQ("-6:Integer", show(S()->GetFooterSummaryValue(0)));
  EXPECT_EQ("3:Integer", show(S()->GetFooterSummaryValue(1)));
  EXPECT_EQ(skSum, footer->Kind());
}

// ---------------------------------------------------------------------------------------
// Groups

TEST_F(DataSummaryTest, GroupRowsShowTheirSubtreesSummaryInItemOrder) {
  TcxDataGroupSummaryItems* items = S()->DefaultGroupSummaryItems();
  AddGroupItem(items, skSum, Amount);
  AddGroupItem(items, skCount, Amount);
  // A footer-positioned item is left out of the group row's text.
  AddGroupItem(items, skMax, Amount, spFooter);
  Fill({5, 7.5, 1, 2}, {"A", "A", "B", "B"}, {"x", "y", "x", "x"});
  DC->Groups()->ChangeGroupIndex(Group, 0);
  EXPECT_EQ((std::vector<std::string>{"(SUM=12.50, COUNT=2)", "(SUM=3.00, COUNT=2)"}), groupTexts());
  // Two levels: a level-0 group summarises its whole subtree; a data row shows its
  // deepest group's text.
  DC->Groups()->ChangeGroupIndex(Sub, 1);
  DC->Groups()->FullExpand();
  EXPECT_EQ((std::vector<std::string>{"(SUM=12.50, COUNT=2)", "(SUM=5.00, COUNT=1)", "(SUM=5.00, COUNT=1)",
                                      "(SUM=7.50, COUNT=1)", "(SUM=7.50, COUNT=1)", "(SUM=3.00, COUNT=2)",
                                      "(SUM=3.00, COUNT=2)", "(SUM=3.00, COUNT=2)", "(SUM=3.00, COUNT=2)"}),
            groupTexts());
  // The footer-positioned item: found for its column, with its text in the group footer.
  EXPECT_EQ(2, S()->IndexOfGroupFooterItem(0, item(Amount)));
  EXPECT_EQ(-1, S()->IndexOfGroupFooterItem(0, item(Group)));
  EXPECT_EQ(-1, S()->IndexOfGroupFooterItem(5, item(Amount)));
  EXPECT_EQ("MAX=7.50", S()->GetGroupFooterSummaryText(2, 0, 2)) << "row 2 lies in group A";
  EXPECT_EQ("MAX=2.00", S()->GetGroupFooterSummaryText(7, 0, 2));
  EXPECT_EQ("MAX=2.00", S()->GetGroupFooterSummaryText(7, 1, 2)) << "group B/x";
  EXPECT_EQ("", S()->GetGroupFooterSummaryText(0, 1, 2)) << "a level-0 row has no level-1 group";
  EXPECT_EQ("", S()->GetGroupFooterSummaryText(2, 0, 3)) << "no such item";
  EXPECT_EQ("", S()->GetGroupFooterSummaryText(99, 0, 0)) << "no such row";
  // Values by group: one element per item of the level.
  Integer groupB = DC->Groups()->GetDataGroupIndexByRowIndex(5);
  Variant values = S()->GetGroupSummaryValues(groupB);
  ASSERT_TRUE(VarIsArray(values));
  EXPECT_EQ(2, VarArrayHighBound(values, 1));
  EXPECT_EQ(3, values[0].AsInteger());
  EXPECT_TRUE(VarIsEmpty(S()->GetGroupSummaryValues(-1)));
  EXPECT_EQ(nullptr, S()->GetGroupSummaryItems(2));
  EXPECT_EQ(nullptr, S()->GetGroupSummaryItems(-1));
}

TEST_F(DataSummaryTest, ASummaryGroupServesTheLevelOfItsLinkedItem) {
  AddGroupItem(S()->DefaultGroupSummaryItems(), skCount, Amount);
  TcxDataSummaryGroup* bySub = S()->SummaryGroups()->Add();
  bySub->Links()->Add()->SetItemLink(item(Sub));
  AddGroupItem(bySub->SummaryItems(), skMin, Amount);
  bySub->SummaryItems()->SetBeginText("[");
  bySub->SummaryItems()->SetEndText("]");
  bySub->SummaryItems()->SetSeparator(";");
  AddGroupItem(bySub->SummaryItems(), skMax, Amount);
  Fill({5, 7, 1, 2}, {"A", "A", "B", "B"}, {"x", "x", "x", "y"});
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->Groups()->ChangeGroupIndex(Group, 0);
    DC->Groups()->ChangeGroupIndex(Sub, 1);
  }
  DC->Groups()->FullExpand();
  EXPECT_EQ(S()->DefaultGroupSummaryItems(), S()->GetGroupSummaryItems(0));
  EXPECT_EQ(bySub->SummaryItems(), S()->GetGroupSummaryItems(1));
  std::vector<std::string> texts = groupTexts();
  ASSERT_EQ(9u, texts.size());
  EXPECT_EQ("(COUNT=2)", texts[0]);
  EXPECT_EQ("[MIN=5.00; MAX=7.00]", texts[1]);
  EXPECT_EQ("[MIN=1.00; MAX=1.00]", texts[6]);
  // An item is linked to one summary group at most: linking it elsewhere unlinks it here.
  TcxDataSummaryGroup* other = S()->SummaryGroups()->Add();
  other->Links()->Add()->SetItemLink(item(Sub));
  EXPECT_EQ(nullptr, bySub->Links()->Items(0)->ItemLink());
  EXPECT_EQ(other, S()->SummaryGroups()->FindByItemLink(item(Sub)));
  EXPECT_EQ(other->SummaryItems(), S()->GetGroupSummaryItems(1));
  EXPECT_EQ("", groupTexts()[1]) << "the new group has no items";
}

// ---------------------------------------------------------------------------------------
// Texts

TEST_F(DataSummaryTest, DefaultFormatsByValueTypeKindAndPlace) {
  const std::string cur = cxMakeCurrencyDisplayFormat();
  struct Case {
    TVarType type;
    TcxSummaryKind kind;
    bool footer;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {varCurrency, skSum, false, "SUM=" + cur + ";SUM=-" + cur},
      {varCurrency, skSum, true, cur + ";-" + cur},
      {varCurrency, skAverage, true, "AVG=" + cur + ";AVG=-" + cur},
      {varCurrency, skCount, false, "COUNT=0"},
      {varDate, skSum, false, "SUM="},
      {varDate, skSum, true, ""},
      {varDate, skMin, true, "MIN="},
      {varDate, skCount, true, "0"},
      {varInteger, skSum, true, "0.00;-0.00"},
      {varDouble, skMax, false, "MAX=0.00;MAX=-0.00"},
      {varDouble, skCount, true, "0"},
      {varString, skAverage, true, "AVG=0.00;AVG=-0.00"},
      {varDouble, skNone, true, ""},
  };
  TcxDataSummaryItems* items = S()->FooterSummaryItems();
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, items->GetDefaultFormat(c.type, c.kind, c.footer))
        << VarTypeAsText(c.type) << " kind " << c.kind << (c.footer ? " footer" : " group");
}

TEST_F(DataSummaryTest, ValuesAreFormattedByTheirPatternDateTextAndHandler) {
  Integer price = DC->AddTestItem(TcxCurrencyValueType::Instance());
  TcxDataSummaryItem* sum = AddFooter(skSum, price);
  TcxDataSummaryItem* count = AddFooter(skCount, price);
  TcxDataSummaryItem* plain = AddFooter(skMin, Amount);
  {
    UpdateLock<TcxCustomDataController> lock(DC);
    DC->SetRecordCount(2);
    DC->SetValue(0, price, Currency::FromDouble(-1234.5));
    DC->SetValue(1, price, Currency::FromDouble(-1000));
    DC->SetValue(0, Amount, -3.456);
    DC->SetValue(1, Amount, 2);
  }
  const std::string cur = cxMakeCurrencyDisplayFormat();
  EXPECT_EQ(FormatFloat(cur + ";-" + cur, -2234.5), footerText(0));
  EXPECT_EQ("-" + FormatFloat(cur, 2234.5), footerText(0)) << "the negative section";
  EXPECT_EQ("2", footerText(1));
  EXPECT_EQ("MIN=-3.46", footerText(2));
  plain->SetFormat("0.0 'un'");
  EXPECT_EQ("-3.5 un", footerText(2));
  count->SetOnGetText(TcxDataSummaryItemGetTextEvent(Watcher, &TSummaryWatcher::Bracketed));
  EXPECT_EQ("[2]", footerText(1));
  EXPECT_EQ("<COUNT=2>", count->FormatValue(2, false));
  // No kind: the value's own text; Null: nothing.
  sum->SetKind(skNone);
  EXPECT_EQ("abc", sum->FormatValue(std::string("abc"), true));
  EXPECT_EQ("", plain->FormatValue(Null(), true));
  // A date group value: the prefix and the date, the time or both.
  TcxDataSummaryItem* dates = AddGroupItem(S()->DefaultGroupSummaryItems(), skMin, Amount);
  TDateTime day = EncodeDate(2023, 12, 24), time = EncodeTime(13, 45, 0, 0);
  EXPECT_EQ("MIN=" + DateToStr(day), dates->FormatValue(VarFromDateTime(day), false));
  EXPECT_EQ("MIN=" + TimeToStr(time), dates->FormatValue(VarFromDateTime(time), false));
  EXPECT_EQ("MIN=" + DateTimeToStr(day + time), dates->FormatValue(VarFromDateTime(day + time), false));
}

// ---------------------------------------------------------------------------------------
// Links, removal and assignment

TEST_F(DataSummaryTest, AnItemLeavingTheViewUnbindsItsSummaries) {
  Integer extra = DC->AddTestItem(TcxIntegerValueType::Instance());
  AddFooter(skSum, extra);
  AddGroupItem(S()->DefaultGroupSummaryItems(), skSum, extra);
  TcxDataSummaryGroup* group = S()->SummaryGroups()->Add();
  group->Links()->Add()->SetItemLink(item(extra));
  AddFooter(skSum, Amount);
  Fill({1, 2});
  DC->SetValue(0, extra, 4);
  EXPECT_EQ(0, S()->FooterSummaryItems()->IndexOfItemLink(item(extra)));
  DC->RemoveTestItem(extra);
  EXPECT_EQ(nullptr, S()->FooterSummaryItems()->Items(0)->Field());
  EXPECT_EQ(nullptr, S()->DefaultGroupSummaryItems()->Items(0)->Field());
  EXPECT_EQ(nullptr, group->Links()->Items(0)->Field());
  EXPECT_EQ("(null)", show(S()->GetFooterSummaryValue(0))) << "an unbound item sums nothing";
  EXPECT_EQ("3:Integer", show(S()->GetFooterSummaryValue(1)));
}

TEST_F(DataSummaryTest, AssigningASummaryCopiesItsItemsByItemAndItsOptions) {
  TcxDataSummaryItem* footer = AddFooter(skAverage, Amount);
  footer->SetFormat("0.0");
  AddGroupItem(S()->DefaultGroupSummaryItems(), skCount, Group, spFooter);
  S()->DefaultGroupSummaryItems()->SetSeparator(" |");
  TcxDataSummaryGroup* group = S()->SummaryGroups()->Add();
  group->Links()->Add()->SetItemLink(item(Sub));
  AddGroupItem(group->SummaryItems(), skMax, Amount);
  S()->SetOptions({soNullIgnore});
  S()->SetOnAfterSummary(TcxAfterSummaryEvent(Watcher, &TSummaryWatcher::AfterSummary));

  // A second view over other item objects with the same IDs.
  TSummaryController* copy = New<TSummaryController>(FOwner);
  ScopeExit freeCopy([&] { FreeAndNil(copy); });
  for (int i = 0; i < 3; ++i) copy->AddTestItem(TcxVariantValueType::Instance());
  copy->SetSummary(S());
  TcxDataSummary* c = copy->Summary();
  ASSERT_EQ(1, c->FooterSummaryItems()->Count());
  EXPECT_EQ(copy->GetItem(Amount), c->FooterSummaryItems()->Items(0)->ItemLink());
  EXPECT_EQ(skAverage, c->FooterSummaryItems()->Items(0)->Kind());
  EXPECT_EQ("0.0", c->FooterSummaryItems()->Items(0)->Format());
  EXPECT_EQ(spFooter, c->DefaultGroupSummaryItems()->Items(0)->Position());
  EXPECT_EQ(" |", c->DefaultGroupSummaryItems()->Separator());
  ASSERT_EQ(1, c->SummaryGroups()->Count());
  EXPECT_EQ(copy->GetItem(Sub), c->SummaryGroups()->Items(0)->Links()->Items(0)->ItemLink());
  EXPECT_EQ(skMax, c->SummaryGroups()->Items(0)->SummaryItems()->Items(0)->Kind());
  EXPECT_EQ(TcxSummaryOptions{soNullIgnore}, c->Options());
  EXPECT_TRUE(c->OnAfterSummary() == S()->OnAfterSummary());
  // The copy's footer computes over the copy's records.
  {
    UpdateLock<TcxCustomDataController> lock(copy);
    copy->SetRecordCount(2);
    copy->SetValue(0, Amount, 1);
    copy->SetValue(1, Amount, Null());
  }
  EXPECT_EQ("1.0", c->GetFooterSummaryText(0));
  // Within one controller, items stay as they are (not remapped by ID).
  TcxDataSummaryItem* again = S()->FooterSummaryItems()->Add();
  again->Assign(footer);
  EXPECT_EQ(item(Amount), again->ItemLink());
}

TEST_F(DataSummaryTest, FooterItemsAreAlwaysInTheFooterAndNeverStoreAPosition) {
  TcxDataSummaryItem* footer = AddFooter(skSum, Amount);
  footer->SetPosition(spGroup);
  EXPECT_EQ(spFooter, footer->Position());
  EXPECT_FALSE(footer->NeedStorePosition());
  TcxDataSummaryItem* grouped = AddGroupItem(S()->DefaultGroupSummaryItems(), skSum, Amount);
  EXPECT_FALSE(grouped->NeedStorePosition());
  grouped->SetPosition(spFooter);
  EXPECT_TRUE(grouped->NeedStorePosition());
  TcxDataGroupSummaryItems* items = S()->DefaultGroupSummaryItems();
  EXPECT_FALSE(items->IsBeginTextStored() || items->IsEndTextStored() || items->IsSeparatorStored());
  items->SetSeparator(";");
  EXPECT_TRUE(items->IsSeparatorStored());
}
