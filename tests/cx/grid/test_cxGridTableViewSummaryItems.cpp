// The table view's summary items: the classes its data controller's summary makes, the link
// of a footer, group or summary-group item to a column and so to the data controller's
// values, the stored "Column" property of each, and what becomes of them when a column goes.
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/rtl/Scoped.h"

using namespace guitest;
using namespace tabletest;

namespace {

class TSummaryTableView : public TcxGridTableView {
  RTL_DECLARE_CLASS(TSummaryTableView, TcxGridTableView)
public:
  using TcxGridTableView::TcxGridTableView;
  TClass GetViewInfoCacheClass() override { return TRecordingViewInfoCache::StaticClass(); }
  TRecordingViewInfoCache* Cache() const { return static_cast<TRecordingViewInfoCache*>(ViewInfoCache()); }
  // The view publishes its data controller here, so that a stored form carries the summary.
  TcxGridDataController* GridDataController() const { return As<TcxGridDataController>(DataController()); }
  void SetGridDataController(TcxGridDataController* Value) { DataController()->Assign(Value); }
};
RTL_BEGIN_CLASS(TSummaryTableView)
  b.Property("DataController", &TSummaryTableView::GridDataController, &TSummaryTableView::SetGridDataController);
RTL_END_CLASS

size_t countOf(const std::string& AText, const std::string& AWhat) {
  size_t n = 0;
  for (size_t at = AText.find(AWhat); at != std::string::npos; at = AText.find(AWhat, at + 1)) ++n;
  return n;
}

class GridTableSummaryItemsTest : public TableViewFixture<TSummaryTableView> {
protected:
  void SetUp() override {
    TableViewFixture<TSummaryTableView>::SetUp();
    city = addColumn("City", TcxStringValueType::Instance());
    amount = addColumn("Amount", TcxIntegerValueType::Instance());
    TcxCustomDataController* dc = view->DataController();
    UpdateLock<TcxCustomDataController> lock(dc);
    const std::vector<std::pair<std::string, Integer>> rows = {{"Lisboa", 3}, {"Porto", 4}, {"Lisboa", 5}};
    dc->SetRecordCount(static_cast<Integer>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
      dc->SetValue(static_cast<Integer>(r), city->Index(), rows[r].first);
      dc->SetValue(static_cast<Integer>(r), amount->Index(), rows[r].second);
    }
  }
  TcxCustomGridTableItem* addColumn(const std::string& AName, TcxValueTypeClass AType) {
    TcxCustomGridTableItem* item = view->CreateItem();
    item->SetName(AName);
    item->DataBinding()->SetValueTypeClass(AType);
    return item;
  }
  TcxDataSummary* summary() { return view->DataController()->Summary(); }
  TcxGridTableSummaryItem* addFooter(TcxSummaryKind AKind, TcxCustomGridTableItem* AColumn) {
    auto* item = As<TcxGridTableSummaryItem>(summary()->FooterSummaryItems()->Add());
    item->SetKind(AKind);
    item->SetColumn(AColumn);
    return item;
  }
  TcxCustomGridTableItem* city = nullptr;
  TcxCustomGridTableItem* amount = nullptr;
};

TEST_F(GridTableSummaryItemsTest, TheSummaryMakesTheTableItemClasses) {
  EXPECT_EQ(TcxGridTableSummaryItem::StaticClass(), view->DataController()->GetSummaryItemClass());
  EXPECT_EQ(TcxGridTableSummaryGroupItemLink::StaticClass(), view->DataController()->GetSummaryGroupItemLinkClass());
  EXPECT_TRUE(Is<TcxGridTableSummaryItem>(summary()->FooterSummaryItems()->Add()));
  EXPECT_TRUE(Is<TcxGridTableSummaryItem>(summary()->DefaultGroupSummaryItems()->Add()));
  TcxDataSummaryGroup* group = summary()->SummaryGroups()->Add();
  EXPECT_TRUE(Is<TcxGridTableSummaryItem>(group->SummaryItems()->Add()));
  EXPECT_TRUE(Is<TcxGridTableSummaryGroupItemLink>(group->Links()->Add()));
  // A record view that names no summary classes keeps the data controller's own.
  auto* plain = New<TTestTableView>(form);
  EXPECT_EQ(TcxDataSummaryItem::StaticClass(), plain->DataController()->GetSummaryItemClass());
  EXPECT_EQ(TcxDataSummaryGroupItemLink::StaticClass(), plain->DataController()->GetSummaryGroupItemLinkClass());
}

TEST_F(GridTableSummaryItemsTest, AColumnLinksItsSummaryToTheDataControllersValues) {
  TcxGridTableSummaryItem* total = addFooter(skSum, amount);
  EXPECT_EQ(amount, total->Column());
  EXPECT_EQ(0, summary()->FooterSummaryItems()->IndexOfItemLink(amount));
  EXPECT_EQ("12.00", summary()->GetFooterSummaryText(0));
  // Another column: the values follow at once.
  total->SetKind(skCount);
  total->SetColumn(city);
  EXPECT_EQ("3", summary()->GetFooterSummaryText(0));
  view->DataController()->SetValue(1, city->Index(), Null());
  EXPECT_EQ("3", summary()->GetFooterSummaryText(0)) << "Nulls count unless ignored";
  summary()->SetOptions({soNullIgnore});
  EXPECT_EQ("2", summary()->GetFooterSummaryText(0));
  // Group rows: grouped by City, each group row text carries the amount summary.
  auto* perGroup = As<TcxGridTableSummaryItem>(summary()->DefaultGroupSummaryItems()->Add());
  perGroup->SetColumn(amount);
  perGroup->SetKind(skSum);
  view->DataController()->SetValue(1, city->Index(), std::string("Porto"));
  view->DataController()->Groups()->ChangeGroupIndex(city->Index(), 0);
  EXPECT_EQ("(SUM=8.00)", summary()->GetGroupSummaryText(0));
  EXPECT_EQ("(SUM=4.00)", summary()->GetGroupSummaryText(1));
}

TEST_F(GridTableSummaryItemsTest, TheStoredColumnPropertyNamesTheColumn) {
  TcxGridTableSummaryItem* item = addFooter(skSum, amount);
  EXPECT_EQ("", item->GetObjectName());
  EXPECT_EQ(std::vector<std::string>{"Column"}, item->GetProperties());
  Variant value;
  ASSERT_TRUE(item->GetPropertyValue("Column", value));
  EXPECT_EQ("Amount", VarToStr(value));
  EXPECT_FALSE(item->GetPropertyValue("Kind", value)) << "only Column is stored this way";
  ASSERT_TRUE(item->SetPropertyValue("Column", std::string("City")));
  EXPECT_EQ(city, item->Column());
  item->SetPropertyValue("Column", std::string("Nowhere"));
  EXPECT_EQ(nullptr, item->Column()) << "a name no column has leaves the item without one";
  ASSERT_TRUE(item->GetPropertyValue("Column", value));
  EXPECT_EQ("", VarToStr(value));

  TcxDataSummaryGroup* group = summary()->SummaryGroups()->Add();
  auto* link = As<TcxGridTableSummaryGroupItemLink>(group->Links()->Add());
  ASSERT_TRUE(link->SetPropertyValue("Column", std::string("City")));
  EXPECT_EQ(city, link->Column());
  ASSERT_TRUE(link->GetPropertyValue("Column", value));
  EXPECT_EQ("City", VarToStr(value));
  link->SetPropertyValue("Column", std::string("Nowhere"));
  EXPECT_EQ(nullptr, link->Column()) << "the link is cleared first";
  EXPECT_EQ(nullptr, summary()->SummaryGroups()->FindByItemLink(city));
}

TEST_F(GridTableSummaryItemsTest, AFreedColumnLeavesItsSummariesUnboundAndTheViewWorking) {
  addFooter(skSum, amount);
  addFooter(skCount, city);
  TcxDataSummaryGroup* group = summary()->SummaryGroups()->Add();
  auto* link = As<TcxGridTableSummaryGroupItemLink>(group->Links()->Add());
  link->SetColumn(amount);
  delete amount;
  amount = nullptr;
  auto* footer = As<TcxGridTableSummaryItem>(summary()->FooterSummaryItems()->Items(0));
  EXPECT_EQ(nullptr, footer->Column());
  EXPECT_EQ(nullptr, link->Column());
  EXPECT_EQ("", summary()->GetFooterSummaryText(0));
  EXPECT_EQ("3", summary()->GetFooterSummaryText(1));
  view->DataController()->SetValue(0, city->Index(), std::string("Faro"));
  EXPECT_EQ("3", summary()->GetFooterSummaryText(1));
}

TEST_F(GridTableSummaryItemsTest, SummaryItemsRoundTripThroughAStoredForm) {
  TcxGridTableSummaryItem* footer = addFooter(skAverage, amount);
  footer->SetFormat("0.0");
  auto* grouped = As<TcxGridTableSummaryItem>(summary()->DefaultGroupSummaryItems()->Add());
  grouped->SetColumn(city);
  grouped->SetKind(skCount);
  grouped->SetPosition(spFooter);
  TcxDataSummaryGroup* group = summary()->SummaryGroups()->Add();
  As<TcxGridTableSummaryGroupItemLink>(group->Links()->Add())->SetColumn(city);
  summary()->SetOptions({soNullIgnore});

  TMemoryStream binary;
  binary.WriteComponent(view);
  binary.SetPosition(0);
  TStringStream text("");
  ObjectBinaryToText(&binary, &text);
  const std::string written = text.DataString();
  // Columns are written by name; a footer item writes no position, a group item only one
  // that is not the default.
  EXPECT_NE(written.find("Column = Amount"), std::string::npos) << written;
  EXPECT_NE(written.find("Column = City"), std::string::npos) << written;
  EXPECT_EQ(1u, countOf(written, "Position = ")) << written;

  TForm* other = own(TForm::CreateNew(nullptr));
  auto* copy = New<TSummaryTableView>(other);
  binary.SetPosition(0);
  binary.ReadComponent(copy);
  TcxDataSummary* s = copy->DataController()->Summary();
  ASSERT_EQ(1, s->FooterSummaryItems()->Count());
  auto* copiedFooter = As<TcxGridTableSummaryItem>(s->FooterSummaryItems()->Items(0));
  EXPECT_EQ("0.0", copiedFooter->Format());
  EXPECT_EQ(skAverage, copiedFooter->Kind());
  ASSERT_EQ(1, s->DefaultGroupSummaryItems()->Count());
  EXPECT_EQ(spFooter, s->DefaultGroupSummaryItems()->Items(0)->Position());
  EXPECT_EQ(skCount, s->DefaultGroupSummaryItems()->Items(0)->Kind());
  ASSERT_EQ(1, s->SummaryGroups()->Count());
  EXPECT_EQ(1, s->SummaryGroups()->Items(0)->Links()->Count());
  EXPECT_TRUE(Is<TcxGridTableSummaryGroupItemLink>(s->SummaryGroups()->Items(0)->Links()->Items(0)));
  EXPECT_EQ(TcxSummaryOptions{soNullIgnore}, s->Options());
}

}  // namespace
