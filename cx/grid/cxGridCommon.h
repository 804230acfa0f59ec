#pragma once
// cxGridCommon: small pieces shared by the grid and its views: the base of the change
// objects that views, options and levels hand to the grid control, the base of a
// drag-opening request, the cell states and their button states, the text margins of a
// cell, the renaming of child components by name prefix and the grid's cursors.
#include <functional>
#include <string>

#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxGraphics.h"
#include "platform/rtl/Classes.h"

class TcxCustomGrid;

// ---------------------------------------------------------------------------------------
// Change objects.

// A request (lay out, resize, repaint ...) handed to the grid. While the grid is locked
// the grid keeps it in its queue; at the last unlock it drops duplicates and superseded
// requests and runs the rest in order (see TcxCustomGrid::ProcessChanges).
class TcxCustomGridChange : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridChange, TObject)
public:
  TcxCustomGridChange() = default;
  TcxCustomGridChange(const TcxCustomGridChange&) = delete;
  TcxCustomGridChange& operator=(const TcxCustomGridChange&) = delete;

  // The grid running the change: set just before Execute; null when a view without a
  // grid runs it.
  TcxCustomGrid* Control() const { return FControl; }
  void SetControl(TcxCustomGrid* Value) { FControl = Value; }

  virtual void Execute() = 0;
  // True: this queued change is covered by ALaterChange (queued after it) and is dropped.
  virtual bool IsCompatibleWith(TcxCustomGridChange* ALaterChange) { return false; }
  // True: the change is dropped when an equal one (IsEqual) was kept before it.
  virtual bool CanDropDuplicate() { return true; }
  // Equality for duplicate dropping: the same class in the base.
  virtual bool IsEqual(TcxCustomGridChange* AChange) { return AChange && AChange->ClassType() == ClassType(); }
  // False: the change runs at once even while the grid is locked.
  virtual bool CanQueue() { return true; }
  // The name the grid's other units use for IsEqual.
  bool IsSameAs(TcxCustomGridChange* AChange) { return IsEqual(AChange); }

private:
  TcxCustomGrid* FControl = nullptr;
};

// A request to open something (a level tab, a record's details) after the mouse rested
// on it during a drag.
class TcxCustomGridDragOpenInfo : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridDragOpenInfo, TObject)
public:
  TcxCustomGridDragOpenInfo() = default;
  virtual bool Equals(TcxCustomGridDragOpenInfo* AInfo) { return AInfo && AInfo->ClassType() == ClassType(); }
  virtual void Run() = 0;
  // The names the grid's controller uses.
  bool IsSameRequest(TcxCustomGridDragOpenInfo* AInfo) { return Equals(AInfo); }
  void Open() { Run(); }
};

// ---------------------------------------------------------------------------------------
// Cells.

// The mouse state of a grid cell: normal 0, hot 1, pressed 2.
enum TcxGridCellState : uint8_t { gcsNormal = 0, gcsHot = 1, gcsPressed = 2 };

// normal -> cxbsNormal, hot -> cxbsHot, pressed -> cxbsPressed.
TcxButtonState cxGridCellStateToButtonState(TcxGridCellState AState);

// Adds the text margins of a cell (2 pixels on both sides) to a measured extent.
void cxGridAddTextOffsets(Integer& AExtent);

// For each child from 0 to ACount - 1: a child owned by AOwner whose name is longer than
// AOldPrefix and begins with it (without regard to case) gets ANewPrefix in place of it.
// A rename the component rules refuse (EComponentError) is skipped; other errors pass.
void cxGridRenameChildComponents(TComponent* AParent, TComponent* AOwner, const std::string& ANewPrefix,
                                 const std::function<TComponent*(Integer)>& AGetChild, Integer ACount,
                                 const std::string& AOldPrefix);

// ---------------------------------------------------------------------------------------
// Cursors (loaded by the control foundation under these identifiers).

extern TCursor cxGridHorzSizeCursor;
extern TCursor cxGridVertSizeCursor;
extern TCursor cxGridRemoveCursor;
extern TCursor cxGridNoDropCursor;
extern TCursor cxGridDragCursor;
extern TCursor cxGridMultiDragCursor;

namespace cxGridCommonUnit {
void Initialize();
void Finalize();
}  // namespace cxGridCommonUnit
