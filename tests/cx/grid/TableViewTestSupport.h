#pragma once
// A small record view for the record-view tests: plain items, data rows that have cells,
// a new-item row, and a view-info cache that counts how often it was told to forget its
// sizes (what a size change does and a layout change does not).
#include <functional>
#include <string>

#include "GridTestSupport.h"
#include "TestFramework.h"
#include "cx/grid/cxGridCustomTableView.h"
#include "cx/grid/cxGridDBDataDefinitions.h"
#include "cx/grid/cxGridLevel.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

namespace tabletest {

class TTestTableItem : public TcxCustomGridTableItem {
  RTL_DECLARE_CLASS(TTestTableItem, TcxCustomGridTableItem)
public:
  using TcxCustomGridTableItem::TcxCustomGridTableItem;
};

class TTestDataRow : public TcxCustomGridRecord {
  RTL_DECLARE_CLASS(TTestDataRow, TcxCustomGridRecord)
public:
  using TcxCustomGridRecord::TcxCustomGridRecord;
  void DoCollapse(bool) override {}
  void DoExpand(bool) override {}
  bool HasCells() override { return true; }
};

class TTestNewItemRow : public TTestDataRow {
  RTL_DECLARE_CLASS(TTestNewItemRow, TTestDataRow)
public:
  using TTestDataRow::TTestDataRow;
};

class TTestTableViewData : public TcxCustomGridTableViewData {
  RTL_DECLARE_CLASS(TTestTableViewData, TcxCustomGridTableViewData)
public:
  using TcxCustomGridTableViewData::TcxCustomGridTableViewData;
  TClass GetRecordClass(const TcxRowInfo&) override { return TTestDataRow::StaticClass(); }
  TClass GetNewItemRecordClass() override { return TTestNewItemRow::StaticClass(); }
};

class TRecordingViewInfoCache : public TcxCustomGridViewInfoCache {
  RTL_DECLARE_CLASS(TRecordingViewInfoCache, TcxCustomGridViewInfoCache)
public:
  using TcxCustomGridViewInfoCache::TcxCustomGridViewInfoCache;
  void UnassignValues(bool AMasterUnchanged) override {
    ++Unassigned;
    TcxCustomGridViewInfoCache::UnassignValues(AMasterUnchanged);
  }
  Integer Unassigned = 0;
};

class TTestTableView : public TcxCustomGridTableView {
  RTL_DECLARE_CLASS(TTestTableView, TcxCustomGridTableView)
public:
  using TcxCustomGridTableView::TcxCustomGridTableView;
  TClass GetItemClass() override { return TTestTableItem::StaticClass(); }
  TClass GetDataControllerClass() override { return TcxGridDataController::StaticClass(); }
  TClass GetViewDataClass() override { return TTestTableViewData::StaticClass(); }
  TClass GetViewInfoCacheClass() override { return TRecordingViewInfoCache::StaticClass(); }
  TRecordingViewInfoCache* Cache() const { return static_cast<TRecordingViewInfoCache*>(ViewInfoCache()); }
  TcxCustomGridTableItem* AddColumn(const std::string& AName, TcxValueTypeClass AType = nullptr);
};

class TTestDBTableView : public TTestTableView {
  RTL_DECLARE_CLASS(TTestDBTableView, TTestTableView)
public:
  using TTestTableView::TTestTableView;
  TClass GetDataControllerClass() override { return TcxGridDBDataController::StaticClass(); }
  TcxGridDBDataController* DBDataController() const {
    return static_cast<TcxGridDBDataController*>(DataController());
  }
};

// A text column of a tabular view named "View" + ACaption, with that caption and width.
TcxGridColumn* addTextColumn(TcxGridTableView* AView, const std::string& ACaption, Integer AWidth);

// The display texts of an item in record (row) order, joined by ','.
std::string columnTexts(TcxCustomGridTableView* AView, Integer AItemIndex);

// A grid on a shown form with one level showing a view of class TView (one that has a
// recording cache, Cache()), and the log of the grid's layout passes.
template <class TView> class TableViewFixture : public guitest::GuiTest {
protected:
  void SetUp() override {
    guitest::GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 400, 300);
    grid = New<TcxGrid>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    view = New<TView>(form);
    view->SetName("View");
    view->SetControl(grid);
    level = New<TcxGridLevel>(form);
    level->SetParentComponent(grid);
    level->SetGridView(view);
    form->Show();
    grid->LayoutChanged();
    grid->OnLayoutChanged = TcxGridLayoutChangedEvent(&layouts, &gridtest::LayoutLog::LayoutChanged);
  }

  // What AAction submitted: "size" (the cached sizes were dropped and the view laid out
  // again), "layout" (laid out only) or "none".
  std::string submitted(const std::function<void()>& AAction) {
    Integer unassigned = view->Cache()->Unassigned;
    layouts.Entries.clear();
    AAction();
    if (view->Cache()->Unassigned != unassigned) return "size";
    return layouts.Entries.empty() ? "none" : "layout";
  }

  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  TcxGridLevel* level = nullptr;
  TView* view = nullptr;
  gridtest::LayoutLog layouts;
};

}  // namespace tabletest
