#include "cx/grid/cxGridDBDataDefinitions.h"

#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxGraphics.h"

// =======================================================================================
// The data controller.

TcxCustomGridTableView* TcxGridDBDataController::GridView() const {
  return GridViewAnswers::View(const_cast<TcxGridDBDataController*>(this));
}

void TcxGridDBDataController::CreateItemsForAllFields() {
  TDataSet* dataSet = GetDataSet();
  TcxCustomGridTableView* view = GridView();
  if (!dataSet || !view) return;
  GridHourglassLock hourglass;
  GridViewUpdateLock lock(view);
  for (Integer i = 0; i < dataSet->Fields()->Count(); ++i) {
    TField* field = dataSet->Fields()->Fields(i);
    TcxCustomGridTableItem* item = view->CreateItem();
    if (auto* binding = dynamic_cast<TcxGridItemDBDataBinding*>(item->DataBinding()))
      binding->SetFieldName(field->FieldName());
    item->SetVisible(field->Visible());
  }
}

TClass TcxGridDBDataController::GetItemDataBindingClass() { return TcxGridItemDBDataBinding::StaticClass(); }
TClass TcxGridDBDataController::GetDefaultValuesProviderClass() {
  return TcxGridDefaultValuesProvider::StaticClass();
}
bool TcxGridDBDataController::IsBOF() {
  return IsGridMode() ? Provider()->IsBOF() && GridViewAnswers::IsBOF(this) : GridViewAnswers::IsBOF(this);
}
bool TcxGridDBDataController::IsEOF() {
  return IsGridMode() ? Provider()->IsEOF() && GridViewAnswers::IsEOF(this) : GridViewAnswers::IsEOF(this);
}
TObject* TcxGridDBDataController::GetItem(Integer AItemIndex) { return GridViewAnswers::Item(this, AItemIndex); }
Integer TcxGridDBDataController::GetItemID(TObject* AItem) { return GridViewAnswers::ItemID(AItem); }

bool TcxGridDBDataController::CanSelectRecord(Integer ARecordIndex) {
  return GridViewAnswers::CanSelectRecord(this, ARecordIndex);
}

void TcxGridDBDataController::DoValueTypeClassChanged(Integer AItemIndex) {
  inherited::DoValueTypeClassChanged(AItemIndex);
  GridViewAnswers::ValueTypeClassChanged(this, AItemIndex);
}

void TcxGridDBDataController::GetItemDisplayName(Integer AItemIndex, std::string& S) {
  S = GridViewAnswers::ItemDisplayName(this, AItemIndex);
}

bool TcxGridDBDataController::GetItemSortByDisplayText(Integer AItemIndex, bool) {
  return GridViewAnswers::ItemSortByDisplayText(this, AItemIndex);
}

TcxDataEditValueSource TcxGridDBDataController::CanInitEditingItem(Integer AItemIndex) {
  return GridViewAnswers::EditValueSource(this, AItemIndex);
}

void TcxGridDBDataController::UpdateEditorValue() { GridViewAnswers::UpdateEditorValue(this); }

void TcxGridDBDataController::GetDisplayText(Integer ARecordIndex, Integer AItemIndex, std::string& S) {
  if (!GridViewAnswers::DisplayText(this, ARecordIndex, AItemIndex, S))
    inherited::GetDisplayText(ARecordIndex, AItemIndex, S);
}

// =======================================================================================
// The item binding.

void TcxGridItemDBDataBinding::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TcxGridItemDBDataBinding*>(Source)) SetFieldName(source->FieldName());
  inherited::Assign(Source);
}

TcxGridDBDataController* TcxGridItemDBDataBinding::DataController() const {
  return dynamic_cast<TcxGridDBDataController*>(inherited::DataController());
}

std::string TcxGridItemDBDataBinding::FieldName() const {
  TcxGridDBDataController* dataController = DataController();
  return dataController && Item()->Index() >= 0 ? dataController->GetItemFieldName(Item()->Index()) : std::string();
}

void TcxGridItemDBDataBinding::SetFieldName(const std::string& Value) {
  if (TcxGridDBDataController* dataController = DataController()) dataController->ChangeFieldName(Item()->Index(), Value);
}

TField* TcxGridItemDBDataBinding::Field() const {
  TcxGridDBDataController* dataController = DataController();
  return dataController && Item()->Index() >= 0 ? dataController->GetItemField(Item()->Index()) : nullptr;
}

std::string TcxGridItemDBDataBinding::GetDefaultCaption() {
  TField* field = Field();
  return field ? field->DisplayName() : FieldName();
}

Integer TcxGridItemDBDataBinding::GetDefaultWidth() {
  TField* field = Field();
  if (!field) return inherited::GetDefaultWidth();
  TcxViewParams params;
  if (GridView()) GridView()->Styles()->GetContentParams(nullptr, Item(), params);
  TcxScreenCanvas canvas;
  if (params.Font) canvas.SetFont(params.Font);
  Integer width = canvas.TextWidth("0") * field->DisplayWidth() + 4;
  Item()->CheckWidthValue(width);
  return width;
}

RTL_IMPLEMENT_CLASS(TcxGridDBDataController)
RTL_IMPLEMENT_CLASS(TcxGridItemDBDataBinding)

namespace cxGridDBDataDefinitionsUnit {
void Initialize() { RegisterClasses({TcxGridItemDBDataBinding::StaticClass()}); }
void Finalize() {}
}  // namespace cxGridDBDataDefinitionsUnit
