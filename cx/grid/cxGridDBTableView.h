#pragma once
// cxGridDBTableView: the tabular view bound to a data set. Its data controller is the
// grid's data-set data controller and each of its columns shows one field of the data
// set, named by FieldName.
#include "cx/grid/cxGridDBDataDefinitions.h"
#include "cx/grid/cxGridTableView.h"

// A column bound to a field of the view's data set.
class TcxGridDBColumn : public TcxGridColumn {
  RTL_DECLARE_CLASS(TcxGridDBColumn, TcxGridColumn)
public:
  using TcxGridColumn::TcxGridColumn;
  TcxGridItemDBDataBinding* DataBinding() const;
  void SetDataBinding(TcxGridItemDBDataBinding* Value) { DataBinding()->Assign(Value); }

  // --- Stored properties: the column's names, then FieldName.
  std::vector<std::string> GetStoredProperties() override;
  bool GetStoredPropertyValue(const std::string& AName, Variant& AValue) override;
  bool SetStoredPropertyValue(const std::string& AName, const Variant& AValue) override;
};

// A footer or group summary of the data-set view: tied to a column, or through FieldName to
// any field of the data set. Stored like the table view's items: the one property "Column".
class TcxGridDBTableSummaryItem : public TcxDBDataSummaryItem {
  RTL_DECLARE_CLASS(TcxGridDBTableSummaryItem, TcxDBDataSummaryItem)
public:
  using TcxDBDataSummaryItem::TcxDBDataSummaryItem;
  TcxGridDBColumn* Column() const { return dynamic_cast<TcxGridDBColumn*>(ItemLink()); }
  void SetColumn(TcxGridDBColumn* Value) { SetItemLink(Value); }

  virtual std::string GetObjectName() { return std::string(); }
  virtual std::vector<std::string> GetProperties() { return {"Column"}; }
  virtual bool GetPropertyValue(const std::string& AName, Variant& AValue);
  virtual bool SetPropertyValue(const std::string& AName, const Variant& AValue);
};

class TcxGridDBTableView : public TcxGridTableView {
  RTL_DECLARE_CLASS(TcxGridDBTableView, TcxGridTableView)
public:
  explicit TcxGridDBTableView(TComponent* AOwner) : TcxGridTableView(AOwner) {}
  TcxGridDBDataController* DataController() const;
  void SetDataController(TcxGridDBDataController* Value) { DataController()->Assign(Value); }
  TcxGridDBDataController* GetDataController() const { return DataController(); }

  TClass GetDataControllerClass() override { return TcxGridDBDataController::StaticClass(); }
  TClass GetItemClass() override { return TcxGridDBColumn::StaticClass(); }
  TClass GetSummaryItemClass() override { return TcxGridDBTableSummaryItem::StaticClass(); }
};

namespace cxGridDBTableViewUnit {
void Initialize();
void Finalize();
}  // namespace cxGridDBTableViewUnit
