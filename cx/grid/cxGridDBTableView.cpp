#include "cx/grid/cxGridDBTableView.h"

#include <algorithm>

#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridLevel.h"

namespace {
// Paints the view as a plain table (group-by box caption, one header row with the visible
// columns' captions, the records' display texts) while the tabular view has no header
// part, no header painters and no default editors for its fields: without them the rows'
// cells have nothing to draw. It goes once those exist.
class PlainTablePainter : public TcxCustomGridPainter {
  RTL_DECLARE_CLASS(PlainTablePainter, TcxCustomGridPainter)
public:
  using TcxCustomGridPainter::TcxCustomGridPainter;

protected:
  void PaintContent() override;
};

void PlainTablePainter::PaintContent() {
  auto* view = static_cast<TcxGridDBTableView*>(GridView());
  TcxCanvas* c = Canvas();
  const TRect r = ViewInfo()->ClientBounds();
  if (TcxCustomGrid* grid = view->Grid()) c->SetFont(grid->Font());
  const Integer rowH = std::max<Integer>(c->TextHeight("Ag") + 4, 17);
  TRect box{r.left, r.top, r.right, r.top + rowH + 8};
  c->Brush()->SetColor(clBtnShadow);
  c->FillRectangle(box);
  c->Font()->SetColor(clBtnFace);
  c->Brush()->SetStyle(bsClear);
  c->Canvas()->TextOut(box.left + 8, box.top + 4, cxGetResourceString(&scxGridGroupByBoxCaption));
  c->Brush()->SetStyle(bsSolid);
  ExcludeFromBackground(box);
  if (view->VisibleItemCount() == 0) return;
  Integer y = box.bottom;
  Integer left = r.left;
  std::vector<TRect> columns;
  for (Integer i = 0; i < view->VisibleItemCount(); ++i) {
    Integer width = view->VisibleItems(i)->Width();
    columns.push_back(TRect{left, 0, left + width, 0});
    left += width;
  }
  c->Brush()->SetColor(clBtnFace);
  c->Font()->SetColor(clBtnText);
  for (Integer i = 0; i < view->VisibleItemCount(); ++i) {
    TRect h{columns[i].left, y, columns[i].right, y + rowH};
    c->Canvas()->TextRect(h, h.left + 3, h.top + 2, view->VisibleItems(i)->Caption());
    ExcludeFromBackground(h);
  }
  y += rowH;
  c->Brush()->SetColor(clWindow);
  c->Font()->SetColor(clWindowText);
  TcxCustomGridTableViewData* data = view->ViewData();
  for (Integer row = 0; row < data->RecordCount() && y < r.bottom; ++row, y += rowH) {
    TcxCustomGridRecord* record = data->Records(row);
    for (Integer i = 0; i < view->VisibleItemCount(); ++i) {
      TRect cell{columns[i].left, y, columns[i].right, y + rowH};
      c->Canvas()->TextRect(cell, cell.left + 3, cell.top + 2, record->GetDisplayText(view->VisibleItems(i)->Index()));
      ExcludeFromBackground(cell);
    }
  }
}
}  // namespace

TClass TcxGridDBTableView::GetPainterClass() { return PlainTablePainter::StaticClass(); }

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

TcxGridDBDataController* TcxGridDBTableView::DataController() const {
  return static_cast<TcxGridDBDataController*>(inherited::DataController());
}

RTL_IMPLEMENT_CLASS(PlainTablePainter)
RTL_BEGIN_CLASS(TcxGridDBColumn)
  b.Property("DataBinding", &TcxGridDBColumn::DataBinding, &TcxGridDBColumn::SetDataBinding);
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
