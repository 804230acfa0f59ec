#include "cx/grid/cxGrid.h"

#include <algorithm>

#include "cx/foundation/cxClasses.h"
#include "platform/gui/GuiPublish.h"

const TResStringRec scxGridGroupByBoxCaption = {nullptr, 64698};

TcxGridLevel::~TcxGridLevel() {
  if (gridView_ && gridView_->Control() == grid_) gridView_->SetControl(nullptr);
  SetParentComponent(nullptr);
}

void TcxGridLevel::SetGridView(TcxCustomGridTableView* Value) {
  if (gridView_ == Value) return;
  if (gridView_) gridView_->RemoveFreeNotification(this);
  gridView_ = Value;
  if (gridView_) {
    gridView_->FreeNotification(this);
    if (grid_) gridView_->SetControl(grid_);
  }
  if (grid_) grid_->Invalidate();
}

TComponent* TcxGridLevel::GetParentComponent() const { return grid_; }

void TcxGridLevel::SetParentComponent(TComponent* Value) {
  auto* grid = dynamic_cast<TcxGrid*>(Value);
  if (grid_ == grid) return;
  if (grid_) grid_->levels_.erase(std::remove(grid_->levels_.begin(), grid_->levels_.end(), this), grid_->levels_.end());
  grid_ = grid;
  if (grid_) {
    grid_->levels_.push_back(this);
    if (gridView_) gridView_->SetControl(grid_);
  }
}

void TcxGridLevel::ReadState(TReader* Reader) {
  if (auto* grid = dynamic_cast<TcxGrid*>(Reader->Parent())) SetParentComponent(grid);
  TComponent::ReadState(Reader);
}

void TcxGridLevel::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == gridView_) gridView_ = nullptr;
}

TcxGrid::TcxGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  SetWidth(250);
  SetHeight(200);
  SetColor(clWindow);
}

TcxGrid::~TcxGrid() {
  for (TcxGridLevel* level : std::vector<TcxGridLevel*>(levels_)) {
    level->grid_ = nullptr;
    if (level->gridView_ && level->gridView_->Control() == this) level->gridView_->SetControl(nullptr);
  }
  levels_.clear();
}

TcxCustomGridTableView* TcxGrid::ActiveView() const { return levels_.empty() ? nullptr : levels_.front()->GridView(); }

std::string TcxGrid::GroupByBoxCaption() const { return cxGetResourceString(&scxGridGroupByBoxCaption); }

void TcxGrid::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(clWindow);
  c->FillRect(r);
  const Integer rowH = std::max<Integer>(c->TextHeight("Ag") + 4, 17);
  // Group-by box.
  TRect box{0, 0, r.right, rowH + 8};
  c->Brush()->SetColor(clBtnShadow);
  c->FillRect(box);
  c->Font()->SetColor(clBtnFace);
  c->TextOut(8, 4, GroupByBoxCaption());
  auto* view = dynamic_cast<TcxGridDBTableView*>(ActiveView());
  if (!view) return;
  TDataSet* ds = view->DataController()->DataSet();
  std::vector<TcxGridDBColumn*> cols;
  for (Integer i = 0; i < view->ItemCount(); ++i)
    if (view->Items(i)->Visible()) cols.push_back(view->Items(i));
  if (cols.empty()) return;
  const Integer colW = 90;
  Integer y = box.bottom;
  c->Brush()->SetColor(clBtnFace);
  c->Font()->SetColor(clBtnText);
  for (size_t i = 0; i < cols.size(); ++i) {
    TRect h{static_cast<Integer>(i) * colW, y, static_cast<Integer>(i + 1) * colW, y + rowH};
    c->FillRect(h);
    c->TextRect(h, h.left + 3, h.top + 2, cols[i]->FieldName());
  }
  y += rowH;
  if (!ds || !ds->Active()) return;
  c->Brush()->SetColor(clWindow);
  c->Font()->SetColor(clWindowText);
  view->BeginUpdate();
  TBookmark mark = ds->Bookmark();
  ds->DisableControls();
  try {
    ds->First();
    while (!ds->Eof() && y < r.bottom) {
      for (size_t i = 0; i < cols.size(); ++i) {
        TRect cell{static_cast<Integer>(i) * colW, y, static_cast<Integer>(i + 1) * colW, y + rowH};
        TField* f = ds->FindField(cols[i]->FieldName());
        c->TextRect(cell, cell.left + 3, cell.top + 2, f ? f->DisplayText() : std::string());
      }
      y += rowH;
      ds->Next();
    }
    ds->SetBookmark(mark);
  } catch (...) {
    // A row that cannot be read leaves the rest of the grid empty; painting never fails.
  }
  ds->EnableControls();
  view->EndUpdateSilently();
}

RTL_BEGIN_CLASS(TcxGridLevel)
  b.Property("GridView", &TcxGridLevel::GridView, &TcxGridLevel::SetGridView);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxGrid)
  using T = TcxGrid;
  publishPlacement(b);
  PUBLISH(TabOrder).Default(-1);
  PUBLISH(Visible).Default(true);
RTL_END_CLASS
