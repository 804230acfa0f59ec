#include "cx/grid/cxGridDBTableView.h"

#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridLevel.h"

TcxGridItemDBDataBinding* TcxGridDBColumn::DataBinding() const {
  return static_cast<TcxGridItemDBDataBinding*>(inherited::DataBinding());
}

std::vector<std::string> TcxGridDBColumn::GetStoredProperties() {
  std::vector<std::string> names = inherited::GetStoredProperties();
  names.push_back("FieldName");
  return names;
}

bool TcxGridDBColumn::GetStoredPropertyValue(const std::string& AName, Variant& AValue) {
  if (AName != "FieldName") return inherited::GetStoredPropertyValue(AName, AValue);
  AValue = DataBinding() ? DataBinding()->FieldName() : std::string();
  return true;
}

bool TcxGridDBColumn::SetStoredPropertyValue(const std::string& AName, const Variant& AValue) {
  if (AName != "FieldName") return inherited::SetStoredPropertyValue(AName, AValue);
  if (DataBinding()) DataBinding()->SetFieldName(VarToStr(AValue));
  return true;
}

bool TcxGridDBTableSummaryItem::GetPropertyValue(const std::string& AName, Variant& AValue) {
  if (AName != "Column") return false;
  AValue = TcxGridTableSummaryItem::StoredColumnValue(this);
  return true;
}

bool TcxGridDBTableSummaryItem::SetPropertyValue(const std::string& AName, const Variant& AValue) {
  if (AName != "Column") return false;
  TcxGridTableSummaryItem::SetStoredColumnValue(this, AValue);
  return true;
}

TcxGridDBDataController* TcxGridDBTableView::DataController() const {
  return static_cast<TcxGridDBDataController*>(inherited::DataController());
}

RTL_BEGIN_CLASS(TcxGridDBColumn)
  b.Property("DataBinding", &TcxGridDBColumn::DataBinding, &TcxGridDBColumn::SetDataBinding);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridDBTableSummaryItem)
  b.Property("Column", &TcxGridDBTableSummaryItem::Column, &TcxGridDBTableSummaryItem::SetColumn);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridDBTableView)
  b.Property("DataController", &TcxGridDBTableView::DataController, &TcxGridDBTableView::SetDataController);
RTL_END_CLASS

namespace cxGridDBTableViewUnit {
void Initialize() {
  cxGridRegisteredViews()->Register(TcxGridDBTableView::StaticClass(), "DB Table");
  RegisterClasses({TcxGridDBColumn::StaticClass()});
}
void Finalize() {
  if (TcxRegisteredClasses* views = cxGridRegisteredViews()) views->Unregister(TcxGridDBTableView::StaticClass());
}
}  // namespace cxGridDBTableViewUnit
