#include "TableViewTestSupport.h"

#include "cx/editors/cxTextEdit.h"

namespace tabletest {

TcxCustomGridTableItem* TTestTableView::AddColumn(const std::string& AName, TcxValueTypeClass AType) {
  TcxCustomGridTableItem* item = CreateItem();
  item->SetName(AName);
  if (AType) item->DataBinding()->SetValueTypeClass(AType);
  return item;
}

TcxGridColumn* addTextColumn(TcxGridTableView* AView, const std::string& ACaption, Integer AWidth) {
  auto* column = dynamic_cast<TcxGridColumn*>(AView->CreateItem());
  column->SetName("View" + ACaption);
  column->DataBinding()->SetValueTypeClass(TcxStringValueType::Instance());
  column->SetCaption(ACaption);
  column->SetWidth(AWidth);
  column->SetPropertiesClass(TcxTextEditProperties::StaticClass());
  return column;
}

std::string columnTexts(TcxCustomGridTableView* AView, Integer AItemIndex) {
  std::string s;
  TcxCustomGridTableViewData* data = AView->ViewData();
  for (Integer i = 0; i < data->RecordCount(); ++i) s += (i ? "," : "") + data->Records(i)->GetDisplayText(AItemIndex);
  return s;
}

RTL_IMPLEMENT_CLASS(TTestTableItem)
RTL_IMPLEMENT_CLASS(TTestDataRow)
RTL_IMPLEMENT_CLASS(TTestNewItemRow)
RTL_IMPLEMENT_CLASS(TTestTableViewData)
RTL_IMPLEMENT_CLASS(TRecordingViewInfoCache)
RTL_IMPLEMENT_CLASS(TTestTableView)
RTL_IMPLEMENT_CLASS(TTestDBTableView)

}  // namespace tabletest
