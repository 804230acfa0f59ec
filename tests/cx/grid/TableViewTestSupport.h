#pragma once
// A small record view for the record-view tests: plain items, data rows that have cells,
// a new-item row, and a view-info cache that counts how often it was told to forget its
// sizes (what a size change does and a layout change does not).
#include <string>

#include "TestFramework.h"
#include "cx/grid/cxGridCustomTableView.h"
#include "cx/grid/cxGridDBDataDefinitions.h"

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

// The display texts of an item in record (row) order, joined by ','.
std::string columnTexts(TcxCustomGridTableView* AView, Integer AItemIndex);

}  // namespace tabletest
