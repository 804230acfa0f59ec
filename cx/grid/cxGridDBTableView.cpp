#include "cx/grid/cxGridDBTableView.h"

#include <algorithm>

#include "cx/grid/cxGrid.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

namespace {
// Paints the plain table: group-by box, header row, the data set's rows from the first.
class TableViewPainter : public TcxCustomGridPainter {
  RTL_DECLARE_CLASS(TableViewPainter, TcxCustomGridPainter)
public:
  using TcxCustomGridPainter::TcxCustomGridPainter;

protected:
  void PaintContent() override;
};

void TableViewPainter::PaintContent() {
  auto* view = static_cast<TcxGridDBTableView*>(GridView());
  TcxCanvas* c = Canvas();
  const TRect r = ViewInfo()->ClientBounds();
  if (TcxCustomGrid* grid = view->Grid()) c->SetFont(grid->Font());
  const Integer rowH = std::max<Integer>(c->TextHeight("Ag") + 4, 17);
  // Group-by box.
  TRect box{r.left, r.top, r.right, r.top + rowH + 8};
  c->Brush()->SetColor(clBtnShadow);
  c->FillRectangle(box);
  c->Font()->SetColor(clBtnFace);
  c->Brush()->SetStyle(bsClear);
  c->Canvas()->TextOut(box.left + 8, box.top + 4, cxGetResourceString(&scxGridGroupByBoxCaption));
  c->Brush()->SetStyle(bsSolid);
  ExcludeFromBackground(box);
  std::vector<TcxGridDBColumn*> cols;
  for (Integer i = 0; i < view->ItemCount(); ++i)
    if (view->Items(i)->Visible()) cols.push_back(view->Items(i));
  if (cols.empty()) return;
  const Integer colW = 90;
  Integer y = box.bottom;
  c->Brush()->SetColor(clBtnFace);
  c->Font()->SetColor(clBtnText);
  for (size_t i = 0; i < cols.size(); ++i) {
    TRect h{r.left + static_cast<Integer>(i) * colW, y, r.left + static_cast<Integer>(i + 1) * colW, y + rowH};
    c->Canvas()->TextRect(h, h.left + 3, h.top + 2, cols[i]->FieldName());
    ExcludeFromBackground(h);
  }
  y += rowH;
  TDataSet* ds = view->DataController()->DataSet();
  if (!ds || !ds->Active()) return;
  c->Brush()->SetColor(clWindow);
  c->Font()->SetColor(clWindowText);
  StandInDBDataController* controller = view->DataController();
  controller->SetReading(true);
  TBookmark mark = ds->Bookmark();
  ds->DisableControls();
  try {
    ds->First();
    while (!ds->Eof() && y < r.bottom) {
      for (size_t i = 0; i < cols.size(); ++i) {
        TRect cell{r.left + static_cast<Integer>(i) * colW, y, r.left + static_cast<Integer>(i + 1) * colW, y + rowH};
        TField* f = ds->FindField(cols[i]->FieldName());
        c->Canvas()->TextRect(cell, cell.left + 3, cell.top + 2, f ? f->DisplayText() : std::string());
        ExcludeFromBackground(cell);
      }
      y += rowH;
      ds->Next();
    }
    ds->SetBookmark(mark);
  } catch (...) {
    // A row that cannot be read leaves the rest of the table empty; painting never fails.
  }
  ds->EnableControls();
  controller->SetReading(false);
}
}  // namespace

// Follows the data source so the view is laid out again when the data set opens, closes
// or moves.
class StandInDBDataController::Link : public TDataLink {
public:
  explicit Link(StandInDBDataController* AOwner) : owner_(AOwner) {}
  void ActiveChanged() override { changed(); }
  void DataSetChanged() override { changed(); }

private:
  void changed() {
    if (owner_->Reading()) return;
    if (StandInTableView* view = owner_->view()) view->LayoutChanged();
  }
  StandInDBDataController* owner_;
};

StandInDBDataController::StandInDBDataController(TComponent* AOwner)
    : TcxCustomDataController(AOwner), link_(std::make_unique<Link>(this)) {}

StandInDBDataController::~StandInDBDataController() = default;

StandInTableView* StandInDBDataController::view() const { return dynamic_cast<StandInTableView*>(Owner()); }

TObject* StandInDBDataController::GetItem(Integer AItemIndex) {
  StandInTableView* v = view();
  return v && AItemIndex >= 0 && AItemIndex < v->ItemCount() ? v->Items(AItemIndex) : nullptr;
}

TDataSource* StandInDBDataController::DataSource() const { return link_->DataSource(); }
void StandInDBDataController::SetDataSource(TDataSource* Value) { link_->SetDataSource(Value); }
TDataSet* StandInDBDataController::DataSet() const { return DataSource() ? DataSource()->DataSet() : nullptr; }

void StandInDBDataController::CreateItemsForAllFields() {
  TDataSet* ds = DataSet();
  StandInTableView* v = view();
  if (!ds || !v) return;
  TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  v->BeginUpdate();
  try {
    for (Integer i = 0; i < ds->FieldCount(); ++i) {
      TField* f = ds->Fields()->Fields(i);
      v->addItem(f->FieldName(), f->Visible());
    }
  } catch (...) {
    v->EndUpdate();
    Screen->SetCursor(saved);
    throw;
  }
  v->EndUpdate();
  Screen->SetCursor(saved);
}

TClass StandInTableView::GetPainterClass() { return TableViewPainter::StaticClass(); }

TcxGridDBColumn* StandInTableView::addItem(const std::string& FieldName, bool Visible) {
  items_.push_back(std::make_unique<TcxGridDBColumn>(FieldName, Visible, nextItemID_++));
  LayoutChanged();
  return items_.back().get();
}

void StandInTableView::ClearItems() {
  BeginUpdate();
  while (!items_.empty()) items_.pop_back();
  nextItemID_ = 0;
  LayoutChanged();
  EndUpdate();
}

StandInDBDataController* TcxGridDBTableView::DataController() const {
  return static_cast<StandInDBDataController*>(TcxCustomGridView::DataController());
}

void TcxGridDBTableView::SetDataController(StandInDBDataController* Value) {
  DataController()->SetDataSource(Value->DataSource());
  DataController()->SetKeyFieldNames(Value->KeyFieldNames());
  DataController()->SetDetailKeyFieldNames(Value->DetailKeyFieldNames());
}

RTL_IMPLEMENT_CLASS(TableViewPainter)
RTL_IMPLEMENT_CLASS(TcxGridDBColumn)
RTL_IMPLEMENT_CLASS(StandInTableView)

RTL_BEGIN_CLASS(StandInDBDataController)
  b.Property("DataSource", &StandInDBDataController::DataSource, &StandInDBDataController::SetDataSource);
  b.Property("KeyFieldNames", &StandInDBDataController::KeyFieldNames, &StandInDBDataController::SetKeyFieldNames);
  b.Property("DetailKeyFieldNames", &StandInDBDataController::DetailKeyFieldNames,
             &StandInDBDataController::SetDetailKeyFieldNames);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxGridDBTableView)
  b.Property("DataController", &TcxGridDBTableView::DataController, &TcxGridDBTableView::SetDataController);
RTL_END_CLASS

namespace cxGridDBTableViewUnit {
void Initialize() { cxGridRegisteredViews()->Register(TcxGridDBTableView::StaticClass(), "DB Table"); }
void Finalize() {
  if (TcxRegisteredClasses* views = cxGridRegisteredViews()) views->Unregister(TcxGridDBTableView::StaticClass());
}
}  // namespace cxGridDBTableViewUnit
