#include "cx/grid/cxGridDBTableView.h"

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

// Follows the data source so the grid repaints when the data set opens, closes or moves.
class TcxGridDBDataController::Link : public TDataLink {
public:
  explicit Link(TcxGridDBDataController* AOwner) : owner_(AOwner) {}
  void ActiveChanged() override { owner_->view_->Changed(); }
  void DataSetChanged() override { owner_->view_->Changed(); }

private:
  TcxGridDBDataController* owner_;
};

TcxGridDBDataController::TcxGridDBDataController(TcxGridDBTableView* AView)
    : view_(AView), link_(std::make_unique<Link>(this)) {}

TcxGridDBDataController::~TcxGridDBDataController() = default;

TDataSource* TcxGridDBDataController::DataSource() const { return link_->DataSource(); }
void TcxGridDBDataController::SetDataSource(TDataSource* Value) { link_->SetDataSource(Value); }
TDataSet* TcxGridDBDataController::DataSet() const { return DataSource() ? DataSource()->DataSet() : nullptr; }
TPersistent* TcxGridDBDataController::GetOwner() { return view_; }

void TcxGridDBDataController::CreateItemsForAllFields() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  view_->BeginUpdate();
  try {
    for (Integer i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields()->Fields(i);
      view_->addItem(f->FieldName(), f->Visible());
    }
  } catch (...) {
    view_->EndUpdate();
    Screen->SetCursor(saved);
    throw;
  }
  view_->EndUpdate();
  Screen->SetCursor(saved);
}

TcxCustomGridTableView::TcxCustomGridTableView(TComponent* AOwner) : TComponent(AOwner) {}
TcxCustomGridTableView::~TcxCustomGridTableView() = default;

void TcxCustomGridTableView::ReadState(TReader* Reader) {
  if (Reader->Parent() && Reader->Parent() != Reader->Root()) SetParentComponent(Reader->Parent());
  TComponent::ReadState(Reader);
}

TcxGridDBColumn* TcxCustomGridTableView::addItem(const std::string& FieldName, bool Visible) {
  items_.push_back(std::make_unique<TcxGridDBColumn>(FieldName, Visible, nextItemID_++));
  Changed();
  return items_.back().get();
}

void TcxCustomGridTableView::ClearItems() {
  BeginUpdate();
  while (!items_.empty()) items_.pop_back();
  nextItemID_ = 0;
  EndUpdate();
}

void TcxCustomGridTableView::EndUpdate() {
  if (--updateCount_ == 0) Changed();
}

void TcxCustomGridTableView::Changed() {
  if (updateCount_ > 0) return;
  if (auto* c = dynamic_cast<TControl*>(control_)) c->Invalidate();
}

TcxGridDBTableView::TcxGridDBTableView(TComponent* AOwner)
    : TcxCustomGridTableView(AOwner), dataController_(new TcxGridDBDataController(this)) {}

TcxGridDBTableView::~TcxGridDBTableView() { delete dataController_; }

void TcxGridDBTableView::SetDataController(TcxGridDBDataController* Value) {
  dataController_->SetDataSource(Value->DataSource());
  dataController_->SetKeyFieldNames(Value->KeyFieldNames());
  dataController_->SetDetailKeyFieldNames(Value->DetailKeyFieldNames());
}

RTL_IMPLEMENT_CLASS(TcxGridDBColumn)
RTL_IMPLEMENT_CLASS(TcxCustomGridTableView)

RTL_BEGIN_CLASS(TcxGridDBDataController)
  b.Property("DataSource", &TcxGridDBDataController::DataSource, &TcxGridDBDataController::SetDataSource);
  b.Property("KeyFieldNames", &TcxGridDBDataController::KeyFieldNames, &TcxGridDBDataController::SetKeyFieldNames);
  b.Property("DetailKeyFieldNames", &TcxGridDBDataController::DetailKeyFieldNames,
             &TcxGridDBDataController::SetDetailKeyFieldNames);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxGridDBTableView)
  b.Property("DataController", &TcxGridDBTableView::DataController, &TcxGridDBTableView::SetDataController);
RTL_END_CLASS
