#include "cx/grid/cxGridViewData.h"

#include "cx/grid/cxGridRows.h"
#include "cx/grid/cxGridTableView.h"

// ---------------------------------------------------------------------------------------
// Rows.

TcxGridViewData* TcxCustomGridRow::GridViewData() const { return dynamic_cast<TcxGridViewData*>(ViewData()); }
TcxGridTableView* TcxCustomGridRow::TableView() const { return dynamic_cast<TcxGridTableView*>(GridView()); }

TClass TcxGridDataRow::GetViewInfoClass() { return TcxGridDataRowViewInfo::StaticClass(); }

bool TcxGridMasterDataRow::Expandable() {
  TcxGridTableView* view = TableView();
  return (view && view->OptionsView()->ExpandButtonsForEmptyDetails()) || HasChildren() || Expanded();
}

bool TcxGridMasterDataRow::CanExpandOnDblClick() {
  TcxGridTableView* view = TableView();
  return TcxGridDataRow::CanExpandOnDblClick() && view && view->OptionsBehavior()->ExpandMasterRowOnDblClick();
}

void TcxGridGroupRow::DoCollapse(bool ARecursive) { DataController()->Groups()->ChangeExpanding(Index(), false, ARecursive); }
void TcxGridGroupRow::DoExpand(bool ARecursive) { DataController()->Groups()->ChangeExpanding(Index(), true, ARecursive); }

bool TcxGridGroupRow::Expanded() { return DataController()->GetRowInfo(Index()).Expanded; }

bool TcxGridGroupRow::IsGroupLevel() { return Level() < DataController()->Groups()->GetGroupingItemCount(); }

std::string TcxGridGroupRow::GetText() {
  TcxCustomGridTableView* view = GridView();
  std::string caption;
  std::string value;
  if (Level() < view->GroupedItemCount()) {
    TcxCustomGridTableItem* item = view->GroupedItems(Level());
    caption = item->Caption();
    value = GetDisplayText(item->Index());
  }
  return caption + " : " + value;
}

// ---------------------------------------------------------------------------------------
// View data.

TcxGridTableView* TcxGridViewData::TableView() const { return dynamic_cast<TcxGridTableView*>(GridView()); }

TClass TcxGridViewData::GetRecordClass(const TcxRowInfo& ARowInfo) {
  if (ARowInfo.Level < DataController()->Groups()->GetGroupingItemCount()) return TcxGridGroupRow::StaticClass();
  if (GridView()->IsMaster()) return TcxGridMasterDataRow::StaticClass();
  return TcxGridDataRow::StaticClass();
}

bool TcxGridViewData::HasNewItemRecordOption() {
  TcxGridTableView* view = TableView();
  return view && view->OptionsView()->NewItemRow();
}

RTL_IMPLEMENT_CLASS(TcxCustomGridRow)
RTL_IMPLEMENT_CLASS(TcxGridDataRow)
RTL_IMPLEMENT_CLASS(TcxGridNewItemRow)
RTL_IMPLEMENT_CLASS(TcxGridMasterDataRow)
RTL_IMPLEMENT_CLASS(TcxGridGroupRow)
RTL_IMPLEMENT_CLASS(TcxGridViewData)
