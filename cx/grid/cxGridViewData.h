#pragma once
// cxGridViewData: the rows of the tabular view. The view data keeps one row object per
// row of the data controller's row list: a group row for a row of a grouping level, a
// master data row when the view has detail levels, a plain data row otherwise, and a
// separate new-item row for the row that appends records. The row classes decide
// expansion and which layout object shows them.
//
// Detail views are not part of this program yet: a master row has no detail records and
// no detail views to expand into, so it never counts as expanded.
#include <string>

#include "cx/grid/cxGridCustomTableView.h"

class TcxGridTableView;
class TcxGridViewData;

class TcxCustomGridRow : public TcxCustomGridRecord {
  RTL_DECLARE_CLASS(TcxCustomGridRow, TcxCustomGridRecord)
public:
  using TcxCustomGridRecord::TcxCustomGridRecord;
  TcxGridViewData* GridViewData() const;
  TcxGridTableView* TableView() const;
  // Whether a double click toggles the row's expanded state.
  virtual bool CanExpandOnDblClick() { return Expandable(); }
};

// A record row.
class TcxGridDataRow : public TcxCustomGridRow {
  RTL_DECLARE_CLASS(TcxGridDataRow, TcxCustomGridRow)
public:
  using TcxCustomGridRow::TcxCustomGridRow;
  void DoCollapse(bool ARecursive) override {}
  void DoExpand(bool ARecursive) override {}
  bool HasCells() override { return true; }
  TClass GetViewInfoClass() override;
};

// The row that appends records; its class is what identifies it.
class TcxGridNewItemRow : public TcxGridDataRow {
  RTL_DECLARE_CLASS(TcxGridNewItemRow, TcxGridDataRow)
public:
  using TcxGridDataRow::TcxGridDataRow;
};

// A record row of a view that has detail levels.
class TcxGridMasterDataRow : public TcxGridDataRow {
  RTL_DECLARE_CLASS(TcxGridMasterDataRow, TcxGridDataRow)
public:
  using TcxGridDataRow::TcxGridDataRow;
  bool Expandable() override;
  bool Expanded() override { return false; }
  bool CanExpandOnDblClick() override;
  // Whether any visible detail level has detail records for this row.
  virtual bool HasChildren() { return false; }
};

// A row of a grouping level.
class TcxGridGroupRow : public TcxCustomGridRow {
  RTL_DECLARE_CLASS(TcxGridGroupRow, TcxCustomGridRow)
public:
  using TcxCustomGridRow::TcxCustomGridRow;
  void DoCollapse(bool ARecursive) override;
  void DoExpand(bool ARecursive) override;
  bool Expandable() override { return true; }
  bool Expanded() override;
  bool HasCells() override { return false; }
  bool IsGroupLevel();
  // "<caption of the column grouped at this level> : <display text of the group value>".
  std::string GetText();
};

// The view data of the tabular view.
class TcxGridViewData : public TcxCustomGridTableViewData {
  RTL_DECLARE_CLASS(TcxGridViewData, TcxCustomGridTableViewData)
public:
  using TcxCustomGridTableViewData::TcxCustomGridTableViewData;
  TcxGridTableView* TableView() const;
  TClass GetRecordClass(const TcxRowInfo& ARowInfo) override;
  TClass GetNewItemRecordClass() override { return TcxGridNewItemRow::StaticClass(); }
  bool HasNewItemRecordOption();
};
