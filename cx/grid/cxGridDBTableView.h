#pragma once
// cxGridDBTableView: the grid's tabular view bound to a data source.
//
// Present behaviour: a view of the grid framework whose data controller names a data
// source; the view's items (columns) are bound to field names; ClearItems frees them all
// (last first) and resets the item ID counter; the data controller's
// CreateItemsForAllFields adds one item per field of the linked data set, in field order,
// visible as the field is. The key field names are kept. The view paints a plain table: a
// group-by box with its caption, a header row with the visible items' field names and the
// rows of the data set from the first, as many as fit. Not yet: scrolling, focusing,
// editing, grouping, summaries, sorting, stored view options and the data controller's
// record cache (the painter reads the data set directly).
#include <memory>
#include <vector>

#include "cx/grid/cxGridCustomView.h"
#include "platform/data/DB.h"

class TcxGridDBTableView;
class StandInTableView;

// One column: the field it shows and whether it is visible.
class TcxGridDBColumn : public TObject {
  RTL_DECLARE_CLASS(TcxGridDBColumn, TObject)
public:
  TcxGridDBColumn(const std::string& AFieldName, bool AVisible, Integer AID)
      : fieldName_(AFieldName), visible_(AVisible), id_(AID) {}
  const std::string& FieldName() const { return fieldName_; }
  bool Visible() const { return visible_; }
  Integer ID() const { return id_; }

private:
  std::string fieldName_;
  bool visible_;
  Integer id_;
};

class StandInDBDataController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(StandInDBDataController, TcxCustomDataController)
public:
  explicit StandInDBDataController(TComponent* AOwner);
  ~StandInDBDataController() override;

  TObject* GetItem(Integer AItemIndex) override;
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  const std::string& KeyFieldNames() const { return keyFieldNames_; }
  void SetKeyFieldNames(const std::string& Value) { keyFieldNames_ = Value; }
  const std::string& DetailKeyFieldNames() const { return detailKeyFieldNames_; }
  void SetDetailKeyFieldNames(const std::string& Value) { detailKeyFieldNames_ = Value; }
  // One item per field of the linked data set; nothing without a data set.
  void CreateItemsForAllFields();
  // Set while the view's painter walks the data set: the notices that walk sends back
  // (EnableControls reports a moved data set) must not lay the view out again.
  bool Reading() const { return reading_; }
  void SetReading(bool Value) { reading_ = Value; }

private:
  bool reading_ = false;
  class Link;
  StandInTableView* view() const;
  std::unique_ptr<Link> link_;
  std::string keyFieldNames_;
  std::string detailKeyFieldNames_;
};

class StandInTableView : public TcxCustomGridView {
  RTL_DECLARE_CLASS(StandInTableView, TcxCustomGridView)
public:
  explicit StandInTableView(TComponent* AOwner) : TcxCustomGridView(AOwner) {}

  Integer ItemCount() const { return static_cast<Integer>(items_.size()); }
  TcxGridDBColumn* Items(Integer Index) const { return items_.at(static_cast<size_t>(Index)).get(); }
  // Frees every item, last first, and restarts the item IDs at 0.
  void ClearItems();

  TClass GetControllerClass() override { return TcxCustomGridController::StaticClass(); }
  TClass GetPainterClass() override;
  TClass GetViewDataClass() override { return TcxCustomGridViewData::StaticClass(); }
  TClass GetViewInfoClass() override { return TcxCustomGridViewInfo::StaticClass(); }

protected:
  TcxGridDBColumn* addItem(const std::string& FieldName, bool Visible);

private:
  std::vector<std::unique_ptr<TcxGridDBColumn>> items_;
  Integer nextItemID_ = 0;
  friend class StandInDBDataController;
};

class TcxGridDBTableView : public StandInTableView {
  RTL_DECLARE_CLASS(TcxGridDBTableView, StandInTableView)
public:
  explicit TcxGridDBTableView(TComponent* AOwner) : StandInTableView(AOwner) {}
  TClass GetDataControllerClass() override { return StandInDBDataController::StaticClass(); }
  StandInDBDataController* DataController() const;
  void SetDataController(StandInDBDataController* Value);
  StandInDBDataController* GetDataController() const { return DataController(); }
};

namespace cxGridDBTableViewUnit {
void Initialize();
void Finalize();
}  // namespace cxGridDBTableViewUnit
