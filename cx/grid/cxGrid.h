#pragma once
// cxGrid: the data grid control and its levels.
//
// Present behaviour: the grid shows the view of its first level as a plain table: a
// group-by box with its caption (the resource string below, empty once a column is grouped,
// which the present view never does), a header row with the visible items' field names and
// the rows of the view's data set from the first, as many as fit. Not yet: scrolling,
// focusing, editing, grouping, summaries, look-and-feel painting and more than one level.
#include "cx/grid/cxGridDBTableView.h"
#include "platform/gui/Controls.h"

// The group-by box's caption ("Arraste o cabeçalho de uma coluna aqui para agrupar por esta
// coluna" in the program's string table), read through cxGetResourceString.
extern const TResStringRec scxGridGroupByBoxCaption;

class TcxGrid;

class TcxGridLevel : public TComponent {
  RTL_DECLARE_CLASS(TcxGridLevel, TComponent)
public:
  explicit TcxGridLevel(TComponent* AOwner) : TComponent(AOwner) {}
  ~TcxGridLevel() override;
  TcxCustomGridTableView* GridView() const { return gridView_; }
  void SetGridView(TcxCustomGridTableView* Value);
  TcxGrid* Control() const { return grid_; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

protected:
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TcxGrid;
  TcxCustomGridTableView* gridView_ = nullptr;
  TcxGrid* grid_ = nullptr;
};

class TcxGrid : public TCustomControl {
  RTL_DECLARE_CLASS(TcxGrid, TCustomControl)
public:
  explicit TcxGrid(TComponent* AOwner);
  ~TcxGrid() override;
  Integer LevelCount() const { return static_cast<Integer>(levels_.size()); }
  TcxGridLevel* Levels(Integer Index) const { return levels_.at(Index); }
  // The view the grid shows (the first level's); null when none.
  TcxCustomGridTableView* ActiveView() const;
  // The caption the group-by box shows now.
  std::string GroupByBoxCaption() const;

protected:
  void Paint() override;

private:
  friend class TcxGridLevel;
  std::vector<TcxGridLevel*> levels_;
};
