#include "cx/grid/cxGridDBDataDefinitions.h"

#include "cx/editors/extra/cxEditRepositoryItems.h"
#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/grid/cxGridTableView.h"

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
  return TcxGridDBDefaultValuesProvider::StaticClass();
}

bool TcxGridDBDataController::IsSequencedGridMode() {
  auto* view = dynamic_cast<TcxGridTableView*>(GridView());
  return IsGridMode() && IsDataSetSequenced() && view && view->IsEqualHeightRecords();
}

Integer TcxGridDBDataController::GetScrollBarPos() {
  if (!IsSequencedGridMode()) return -1;
  // While a record is being inserted the data set's number is not the row's place.
  if ((GetEditState() & dceInsert) == 0) FLastScrollBarPos = GetDataSetRecNo() - 1;
  return FLastScrollBarPos;
}

bool TcxGridDBDataController::SetScrollBarPosHook(Integer AValue) {
  if (!IsSequencedGridMode()) return false;
  SetDataSetRecNo(AValue + 1);
  return true;
}
bool TcxGridDBDataController::IsBOF() {
  return IsGridMode() ? Provider()->IsBOF() && GridViewAnswers::IsBOF(this) : GridViewAnswers::IsBOF(this);
}
bool TcxGridDBDataController::IsEOF() {
  return IsGridMode() ? Provider()->IsEOF() && GridViewAnswers::IsEOF(this) : GridViewAnswers::IsEOF(this);
}
TObject* TcxGridDBDataController::GetItem(Integer AItemIndex) { return GridViewAnswers::Item(this, AItemIndex); }
Integer TcxGridDBDataController::GetItemID(TObject* AItem) { return GridViewAnswers::ItemID(AItem); }

TClass TcxGridDBDataController::GetSummaryItemClass() {
  return GridViewAnswers::SummaryItemClass(this, inherited::GetSummaryItemClass());
}

TClass TcxGridDBDataController::GetSummaryGroupItemLinkClass() {
  return GridViewAnswers::SummaryGroupItemLinkClass(this, inherited::GetSummaryGroupItemLinkClass());
}

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

void TcxGridItemDBDataBinding::DataChanged() {
  inherited::DataChanged();
  if (auto* provider = dynamic_cast<TcxCustomDBEditDefaultValuesProvider*>(DefaultValuesProvider()))
    provider->SetField(Field());
}

TcxGridDBDataController* TcxGridItemDBDataBinding::DataController() const {
  return dynamic_cast<TcxGridDBDataController*>(inherited::DataController());
}

std::string TcxGridItemDBDataBinding::FieldName() const {
  TcxGridDBDataController* dataController = DataController();
  return dataController && Item()->Index() >= 0 ? dataController->GetItemFieldName(Item()->Index()) : std::string();
}

void TcxGridItemDBDataBinding::SetFieldName(const std::string& Value) {
  TcxGridDBDataController* dataController = DataController();
  if (!dataController) return;
  dataController->ChangeFieldName(Item()->Index(), Value);
  DataChanged();
}

TField* TcxGridItemDBDataBinding::Field() const {
  TcxGridDBDataController* dataController = DataController();
  return dataController && Item()->Index() >= 0 ? dataController->GetItemField(Item()->Index()) : nullptr;
}

TcxEditRepositoryItem* TcxGridItemDBDataBinding::GetDefaultRepositoryItem() {
  return cxGetEditDBRegisteredRepositoryItems()->GetItemForField(Field());
}

std::string TcxGridItemDBDataBinding::GetDefaultCaption() {
  TField* field = Field();
  return field ? field->DisplayName() : FieldName();
}

namespace {

// The width of "0" in a font. A column's default width is asked for on every layout of every
// row, and measuring on a fresh screen device context each time costs far more than the layout
// itself, so the last font's answer is kept.
Integer digitWidth(TFont* AFont) {
  struct Measured {
    std::string name;
    Integer height = 0;
    Integer charset = -1;
    bool bold = false;
    bool italic = false;
    Integer width = -1;
  };
  static Measured last;
  Measured key;
  if (AFont) {
    key.name = AFont->Name();
    key.height = AFont->Height();
    key.charset = static_cast<Integer>(AFont->Charset());
    key.bold = AFont->Style().Contains(fsBold);
    key.italic = AFont->Style().Contains(fsItalic);
  }
  if (last.width >= 0 && last.name == key.name && last.height == key.height && last.charset == key.charset &&
      last.bold == key.bold && last.italic == key.italic)
    return last.width;
  TcxScreenCanvas canvas;
  if (AFont) canvas.SetFont(AFont);
  key.width = canvas.TextWidth("0");
  last = key;
  return key.width;
}

}  // namespace

Integer TcxGridItemDBDataBinding::GetDefaultWidth() {
  TField* field = Field();
  if (!field) return inherited::GetDefaultWidth();
  TcxViewParams params;
  if (GridView()) GridView()->Styles()->GetContentParams(nullptr, Item(), params);
  Integer width = digitWidth(params.Font) * field->DisplayWidth() + 4;
  Item()->CheckWidthValue(width);
  return width;
}

// =======================================================================================
// The default-values provider.

bool TcxGridDBDefaultValuesProvider::HasDisplayFormat(bool AIsCurrencyValueAccepted) {
  if (inherited::HasDisplayFormat(AIsCurrencyValueAccepted)) return true;
  auto* binding = dynamic_cast<TcxGridItemDataBinding*>(OwnerPersistent());
  return binding && static_cast<bool>(binding->Item()->OnGetDisplayText());
}

RTL_BEGIN_CLASS(TcxGridDBDataController)
  using T = TcxGridDBDataController;
  b.Property("DataModeController", &T::DataModeController, &T::SetDataModeController);
  b.Property("DataSource", &T::DataSource, &T::SetDataSource);
  b.Property("DetailKeyFieldNames", &T::DetailKeyFieldNames, &T::SetDetailKeyFieldNames);
  b.Property("KeyFieldNames", &T::KeyFieldNames, &T::SetKeyFieldNames);
  b.Property("MasterKeyFieldNames", &T::MasterKeyFieldNames, &T::SetMasterKeyFieldNames);
  b.Property("Options", &T::Options, &T::SetOptions)
      .Default(TcxDataControllerOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding});
  b.Property("Summary", &T::Summary, &T::SetSummary);
  b.Property("OnCompare", &T::OnCompare, &T::OnCompare);
  b.Property("OnDataChanged", &T::OnDataChanged, &T::OnDataChanged);
  b.Property("OnGroupingChanged", &T::OnGroupingChanged, &T::OnGroupingChanged);
  b.Property("OnRecordChanged", &T::OnRecordChanged, &T::OnRecordChanged);
  b.Property("OnSortingChanged", &T::OnSortingChanged, &T::OnSortingChanged);
RTL_END_CLASS
RTL_BEGIN_CLASS(TcxGridItemDBDataBinding)
  b.Property("FieldName", &TcxGridItemDBDataBinding::FieldName, &TcxGridItemDBDataBinding::SetFieldName);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TcxGridDBDefaultValuesProvider)

namespace cxGridDBDataDefinitionsUnit {
void Initialize() { RegisterClasses({TcxGridItemDBDataBinding::StaticClass()}); }
void Finalize() {}
}  // namespace cxGridDBDataDefinitionsUnit
