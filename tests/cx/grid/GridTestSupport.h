#pragma once
// A small view kind for the grid framework's tests: its controller, view info and painter
// record what reaches them, and its view info lays out one mouse-sensitive cell at a
// fixed place, so that hit tests and mouse states can be checked against points worked out
// by hand.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/grid/cxGrid.h"
#include "cx/grid/cxGridCustomView.h"
#include "cx/grid/cxGridLevel.h"

namespace gridtest {

// A rectangle as "(left,top,right,bottom)", for comparing bounds in test messages.
inline std::string txt(const TRect& R) {
  return "(" + std::to_string(R.left) + "," + std::to_string(R.top) + "," + std::to_string(R.right) + "," +
         std::to_string(R.bottom) + ")";
}

// The bounds of the test view's one cell (site client coordinates).
inline const TRect CellBounds{10, 20, 60, 36};

class TTestDataController : public TcxCustomDataController {
  RTL_DECLARE_CLASS(TTestDataController, TcxCustomDataController)
public:
  using TcxCustomDataController::TcxCustomDataController;
  TObject* GetItem(Integer) override { return nullptr; }
};

class TTestController : public TcxCustomGridController {
  RTL_DECLARE_CLASS(TTestController, TcxCustomGridController)
public:
  using TcxCustomGridController::TcxCustomGridController;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    Log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
    TcxCustomGridController::MouseDown(Button, Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    Log.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
    TcxCustomGridController::MouseUp(Button, Shift, X, Y);
  }
  void DoKeyDown(Word& Key, TShiftState Shift) override { Log.push_back("key " + std::to_string(Key)); }
  void KeyPress(char& Key) override { Log.push_back(std::string("char ") + Key); }
  void DoEnter() override { Log.push_back("enter"); }
  void DoExit() override { Log.push_back("exit"); }
  void FocusGained() override {
    Log.push_back("focus gained");
    TcxCustomGridController::FocusGained();
  }
  void FocusLost() override {
    Log.push_back("focus lost");
    TcxCustomGridController::FocusLost();
  }
  std::vector<std::string> Log;
};

class TTestViewInfo;

// A mouse-sensitive cell that answers record hit tests and counts its clicks.
class TTestCell : public TcxCustomGridViewCellViewInfo {
  RTL_DECLARE_CLASS(TTestCell, TcxCustomGridViewCellViewInfo)
public:
  using TcxCustomGridViewCellViewInfo::TcxCustomGridViewCellViewInfo;
  Integer CalculateHeight() override {
    ++HeightAsked;
    return 16;
  }
  Integer CalculateWidth() override {
    ++WidthAsked;
    return 50;
  }
  TColor GetBorderColor(TcxBorder) override { return clBlack; }
  Integer GetBorderWidth(TcxBorder ASide) override { return ASide == bLeft ? 2 : 1; }
  TcxGridBorders GetBorders() override { return CellBorders; }
  TClass GetHitTestClass() override { return TcxGridRecordHitTest::StaticClass(); }
  bool IsMouseSensitive() override { return true; }
  std::string GetText() override { return "Qq"; }
  void GetViewParams(TcxViewParams& AParams) override {
    AParams.Color = clWhite;
    AParams.TextColor = clBlack;
    AParams.Font = GridView()->Grid() ? GridView()->Grid()->Font() : nullptr;
  }
  void Click() override { ++Clicks; }
  bool HasCustomDraw() override { return static_cast<bool>(CustomDrawColor != clNone); }
  bool CustomDraw(TcxCanvas* ACanvas) override {
    ACanvas->Brush()->SetColor(CustomDrawColor);
    return false;
  }
  TcxGridBorders CellBorders;
  TColor CustomDrawColor = clNone;
  Integer Clicks = 0;
  Integer HeightAsked = 0;
  Integer WidthAsked = 0;
};

class TTestViewInfo : public TcxCustomGridViewInfo {
  RTL_DECLARE_CLASS(TTestViewInfo, TcxCustomGridViewInfo)
public:
  using TcxCustomGridViewInfo::TcxCustomGridViewInfo;
  void CreateViewInfos() override { Cell = new TTestCell(this); }
  void DestroyViewInfos(bool) override { FreeAndNil(Cell); }
  void DoCalculate() override {
    ++Calculations;
    Cell->CalculateBounds(CellBounds);
    if (CalculateAgainInside) Calculate(Bounds());
  }
  TcxCustomGridHitTest* GetHitTest(const TPoint& P) override {
    if (Cell)
      if (TcxCustomGridHitTest* hitTest = Cell->GetHitTest(P)) return hitTest;
    return TcxCustomGridViewInfo::GetHitTest(P);
  }
  TTestCell* Cell = nullptr;
  Integer Calculations = 0;
  bool CalculateAgainInside = false;
};

class TTestPainter : public TcxCustomGridPainter {
  RTL_DECLARE_CLASS(TTestPainter, TcxCustomGridPainter)
public:
  using TcxCustomGridPainter::TcxCustomGridPainter;

protected:
  void PaintContent() override {
    auto* cell = static_cast<TTestViewInfo*>(ViewInfo())->Cell;
    cell->Paint(Canvas());
    ExcludeFromBackground(cell->Bounds);
  }
};

class TTestViewData : public TcxCustomGridViewData {
  RTL_DECLARE_CLASS(TTestViewData, TcxCustomGridViewData)
public:
  using TcxCustomGridViewData::TcxCustomGridViewData;
};

class TTestView : public TcxCustomGridView {
  RTL_DECLARE_CLASS(TTestView, TcxCustomGridView)
public:
  using TcxCustomGridView::TcxCustomGridView;
  TClass GetControllerClass() override { return TTestController::StaticClass(); }
  TClass GetDataControllerClass() override { return TTestDataController::StaticClass(); }
  TClass GetPainterClass() override { return TTestPainter::StaticClass(); }
  TClass GetViewDataClass() override { return TTestViewData::StaticClass(); }
  TClass GetViewInfoClass() override { return TTestViewInfo::StaticClass(); }
  TTestViewInfo* TestViewInfo() const { return static_cast<TTestViewInfo*>(ViewInfo()); }
  TTestController* TestController() const { return static_cast<TTestController*>(Controller()); }
};

// A view made on a grid (owned by AOwner) and shown by a new top level of the grid.
TTestView* addViewOnLevel(TcxCustomGrid* AGrid, TComponent* AOwner, TcxGridLevel** ALevel = nullptr);

// Records the grid's layout notices: the view's name, or "grid" for a grid-wide layout.
class LayoutLog : public TObject {
public:
  void LayoutChanged(TcxCustomGrid*, TcxCustomGridView* AView) { Entries.push_back(AView ? AView->Name() : "grid"); }
  std::string Text() const {
    std::string s;
    for (const auto& e : Entries) s += (s.empty() ? "" : " ") + e;
    return s;
  }
  std::vector<std::string> Entries;
};

}  // namespace gridtest
