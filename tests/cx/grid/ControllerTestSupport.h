#pragma once
// A table view on a shown form over an unbound data controller of people (Nome, Idade),
// with its site focused, for the controller tests that drive the grid with real keys.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "TestFramework.h"
#include "cx/grid/cxGridLevel.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

namespace controllertest {

class TableControllerFixture : public guitest::GuiTest {
protected:
  void SetUp() override {
    guitest::GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 320);
    grid = New<TcxGrid>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 400, 280);
    view = New<TcxGridTableView>(form);
    view->SetName("Grade");
    view->SetControl(grid);
    level = New<TcxGridLevel>(form);
    level->SetParentComponent(grid);
    level->SetGridView(view);
    nome = addColumn("GradeNome", TcxStringValueType::Instance());
    idade = addColumn("GradeIdade", TcxIntegerValueType::Instance());
    cidade = addColumn("GradeCidade", TcxStringValueType::Instance());
  }

  TcxCustomGridTableItem* addColumn(const std::string& AName, TcxValueTypeClass AType) {
    TcxCustomGridTableItem* item = view->CreateItem();
    item->SetName(AName);
    item->DataBinding()->SetValueTypeClass(AType);
    item->SetPropertiesClass(TcxTextEditProperties::StaticClass());
    return item;
  }

  // Rows of (name, age); the city is "C" + the row number.
  void fill(const std::vector<std::pair<std::string, Integer>>& ARows) {
    TcxCustomDataController* dc = view->DataController();
    dc->BeginUpdate();
    dc->SetRecordCount(static_cast<Integer>(ARows.size()));
    for (size_t i = 0; i < ARows.size(); ++i) {
      dc->SetValue(static_cast<Integer>(i), 0, ARows[i].first);
      dc->SetValue(static_cast<Integer>(i), 1, ARows[i].second);
      dc->SetValue(static_cast<Integer>(i), 2, "C" + std::to_string(i));
    }
    dc->EndUpdate();
  }
  void fillPeople() { fill({{"Ana", 30}, {"Bruno", 45}, {"Carla", 28}, {"Carlos", 52}, {"Eva", 19}}); }
  // ACount rows named "P0", "P1" ...
  void fillMany(Integer ACount) {
    std::vector<std::pair<std::string, Integer>> rows;
    for (Integer i = 0; i < ACount; ++i) rows.emplace_back("P" + std::to_string(i), i);
    fill(rows);
  }

  // Shows the form, focuses the grid's site and the first record.
  void showFocused() {
    guitest::showAndActivate(form);
    grid->LayoutChanged();
    view->Site()->SetFocus();
    guitest::pumpFor(30);
    if (controller()->FocusedRowIndex() < 0 && view->ViewData()->RecordCount() > 0)
      controller()->SetFocusedRecordIndex(0);
  }

  TcxGridTableController* controller() { return static_cast<TcxGridTableController*>(view->Controller()); }
  TcxGridEditingController* editing() { return controller()->EditingController(); }
  Integer focusedRow() { return controller()->FocusedRowIndex(); }
  std::string focusedItemName() { return controller()->FocusedItem() ? controller()->FocusedItem()->Name() : "none"; }
  // The selected rows, in ascending order, joined by ','.
  std::string selectedRows() {
    TcxCustomDataController* dc = view->DataController();
    std::vector<Integer> rows;
    for (Integer i = 0; i < dc->GetSelectedCount(); ++i) rows.push_back(dc->GetSelectedRowIndex(i));
    std::sort(rows.begin(), rows.end());
    std::string s;
    for (Integer r : rows) s += (s.empty() ? "" : ",") + std::to_string(r);
    return s;
  }
  // The middle of a record's cell for AItem, in site coordinates (the record is laid out).
  TPoint cellCenter(Integer ARow, TcxCustomGridTableItem* AItem) {
    TcxCustomGridRecord* record = view->ViewData()->Records(ARow);
    TcxCustomGridRecordViewInfo* info = record->ViewInfo();
    if (!info) return TPoint{-1, -1};
    TcxGridTableDataCellViewInfo* cell = info->GetCellViewInfoByItem(AItem);
    if (!cell) return TPoint{-1, -1};
    TRect b = cell->Bounds;
    return TPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  }
  // A left click on a cell with the modifier keys held.
  void clickCell(Integer ARow, TcxCustomGridTableItem* AItem, std::initializer_list<WORD> AModifiers = {}) {
    for (WORD key : AModifiers) sendKey(key, false);
    guitest::clickAt(view->Site(), cellCenter(ARow, AItem));
    for (WORD key : AModifiers) sendKey(key, true);
    guitest::pumpFor(20);
  }
  static void sendKey(WORD AKey, bool AUp) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = AKey;
    input.ki.dwFlags = AUp ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(INPUT));
    guitest::pumpFor(10);
  }

  // The texts of an item in row order, joined by ','.
  std::string columnTextsOf(Integer AItem) { return tabletest::columnTexts(view, AItem); }
  std::string valueAt(Integer ARow, Integer AItem) {
    return view->ViewData()->Records(ARow)->GetDisplayText(AItem);
  }

  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  TcxGridLevel* level = nullptr;
  TcxGridTableView* view = nullptr;
  TcxCustomGridTableItem* nome = nullptr;
  TcxCustomGridTableItem* idade = nullptr;
  TcxCustomGridTableItem* cidade = nullptr;
};

}  // namespace controllertest
