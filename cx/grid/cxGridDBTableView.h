#pragma once
// cxGridDBTableView: the grid's tabular view bound to a data source.
//
// Present behaviour: the view's data controller names a data source; the view's items
// (columns) are bound to field names; ClearItems frees them all (last first) and resets the
// item ID counter; the data controller's CreateItemsForAllFields adds one item per field of
// the linked data set, in field order, visible as the field is. The key field names are
// kept. Not yet: grouping, summaries, sorting, in-place editing, stored view options and the
// data controller's record cache (the grid reads the data set directly).
#include <memory>
#include <vector>

#include "platform/data/DB.h"

class TcxGridDBTableView;

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

class TcxGridDBDataController : public TPersistent {
  RTL_DECLARE_CLASS(TcxGridDBDataController, TPersistent)
public:
  explicit TcxGridDBDataController(TcxGridDBTableView* AView);
  ~TcxGridDBDataController() override;

  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  const std::string& KeyFieldNames() const { return keyFieldNames_; }
  void SetKeyFieldNames(const std::string& Value) { keyFieldNames_ = Value; }
  const std::string& DetailKeyFieldNames() const { return detailKeyFieldNames_; }
  void SetDetailKeyFieldNames(const std::string& Value) { detailKeyFieldNames_ = Value; }
  // One item per field of the linked data set; nothing without a data set.
  void CreateItemsForAllFields();
  TPersistent* GetOwner() override;

private:
  class Link;
  TcxGridDBTableView* view_;
  std::unique_ptr<Link> link_;
  std::string keyFieldNames_;
  std::string detailKeyFieldNames_;
};

class TcxCustomGridTableView : public TComponent {
  RTL_DECLARE_CLASS(TcxCustomGridTableView, TComponent)
public:
  explicit TcxCustomGridTableView(TComponent* AOwner);
  ~TcxCustomGridTableView() override;

  Integer ItemCount() const { return static_cast<Integer>(items_.size()); }
  TcxGridDBColumn* Items(Integer Index) const { return items_.at(Index).get(); }
  // Frees every item, last first, and restarts the item IDs at 0.
  void ClearItems();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // Ends an update without showing the view again (the grid's own painting, which moves
  // through the data set, must not make it paint once more).
  void EndUpdateSilently() { --updateCount_; }
  // The grid showing this view (set by its level); null when none.
  TComponent* Control() const { return control_; }
  void SetControl(TComponent* Value) { control_ = Value; }
  // Tells the grid to show the view again.
  void Changed();

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return control_; }
  void SetParentComponent(TComponent* Value) override { control_ = Value; }

protected:
  void ReadState(TReader* Reader) override;
  TcxGridDBColumn* addItem(const std::string& FieldName, bool Visible);

private:
  std::vector<std::unique_ptr<TcxGridDBColumn>> items_;
  Integer nextItemID_ = 0;
  Integer updateCount_ = 0;
  TComponent* control_ = nullptr;
  friend class TcxGridDBDataController;
};

class TcxGridDBTableView : public TcxCustomGridTableView {
  RTL_DECLARE_CLASS(TcxGridDBTableView, TcxCustomGridTableView)
public:
  explicit TcxGridDBTableView(TComponent* AOwner);
  ~TcxGridDBTableView() override;
  TcxGridDBDataController* DataController() const { return dataController_; }
  void SetDataController(TcxGridDBDataController* Value);
  TcxGridDBDataController* GetDataController() const { return dataController_; }

private:
  TcxGridDBDataController* dataController_;
};
