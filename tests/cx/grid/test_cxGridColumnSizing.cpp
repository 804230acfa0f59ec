// Sizing a column by dragging its header's right edge with the real mouse: the cursor over
// the edge, the inverted mark while the button is down, the new width on release, the
// column's minimum width and the size-changed event.
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "TableViewTestSupport.h"
#include "cx/editors/cxTextEdit.h"
#include "cx/grid/cxGridTableView.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;
using namespace tabletest;

namespace {

class TSizingTestView : public TcxGridTableView {
  RTL_DECLARE_CLASS(TSizingTestView, TcxGridTableView)
public:
  using TcxGridTableView::TcxGridTableView;
};
RTL_IMPLEMENT_CLASS(TSizingTestView)

struct SizeLog : TObject {
  void Changed(TcxGridTableView*, TcxCustomGridTableItem* AColumn) { Columns.push_back(AColumn->Caption()); }
  std::vector<std::string> Columns;
};

// Columns "Nome" (120 px) and "Idade" (60 px) over three rows, without the indicator, so
// that the first header starts at the view's left edge.
class GridColumnSizingTest : public TableViewFixture<TSizingTestView> {
protected:
  void SetUp() override {
    TableViewFixture<TSizingTestView>::SetUp();
    grid->LookAndFeel()->SetKind(lfStandard);
    grid->LookAndFeel()->SetNativeStyle(false);
    view->OptionsView()->SetDataRowHeight(20);
    nome = addColumn("Nome", 120);
    idade = addColumn("Idade", 60);
    TcxCustomDataController* dc = view->DataController();
    dc->SetRecordCount(3);
    for (Integer i = 0; i < 3; ++i) dc->SetValue(i, 0, std::string("nome") + std::to_string(i));
    view->OnColumnSizeChanged = TcxGridColumnEvent(&log, &SizeLog::Changed);
    grid->LayoutChanged();
    pumpFor(20);
  }
  TcxGridColumn* addColumn(const std::string& ACaption, Integer AWidth) {
    return addTextColumn(view, ACaption, AWidth);
  }
  TcxGridTableViewInfo* viewInfo() { return static_cast<TcxGridTableViewInfo*>(view->ViewInfo()); }
  TcxGridHeaderViewInfo* header() { return dynamic_cast<TcxGridHeaderViewInfo*>(viewInfo()->HeaderViewInfo()); }
  Integer headerMiddle() { return (header()->Bounds.top + header()->Bounds.bottom) / 2; }
  TcxGridTableController* controller() { return static_cast<TcxGridTableController*>(view->Controller()); }

  TcxGridColumn* nome = nullptr;
  TcxGridColumn* idade = nullptr;
  SizeLog log;
};

TEST_F(GridColumnSizingTest, TheSizingCursorShowsOverAHeadersRightEdge) {
  Integer y = headerMiddle();
  moveMouseTo(view->Site()->ClientToScreen(TPoint{119, y}));
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crcxHorzSize)) << "over Nome's right edge";
  moveMouseTo(view->Site()->ClientToScreen(TPoint{60, y}));
  EXPECT_NE(::GetCursor(), Screen->Cursors(crcxHorzSize)) << "over Nome's caption";
  // With sizing allowed, the edge's hit test carries the sizing cursor and drag object.
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{119, y})->Cursor(), crcxHorzSize);
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{119, y})->DragAndDropObjectClass(),
            TcxGridColumnHorzSizingObject::StaticClass());
}

TEST_F(GridColumnSizingTest, DraggingTheEdgeMarksTheNewEdgeThenSizesTheColumnOnRelease) {
  Integer y = headerMiddle();
  Integer rowY = viewInfo()->ClientBounds().top + 10;
  view->Site()->Update();
  TBitmap before;
  captureClient(view->Site(), before);
  pressAndDrag(view->Site(), TPoint{119, y}, TPoint{149, y});
  TBitmap during;
  captureClient(view->Site(), during);
  // The mark is the pixel column left of the new edge (120 + 30), inverted from the
  // header down to the rows' bottom; nothing else changed yet.
  for (Integer probe : {header()->Bounds.top + 2, rowY, viewInfo()->ClientBounds().bottom - 2})
    EXPECT_EQ(hexOf(pixelAt(during, 149, probe)), hexOf(~pixelAt(before, 149, probe) & 0xFFFFFF)) << "y " << probe;
  EXPECT_EQ(hexOf(pixelAt(during, 147, rowY)), hexOf(pixelAt(before, 147, rowY)));
  EXPECT_EQ(nome->Width(), 120);
  EXPECT_EQ(controller()->SizingColumn(), nome);
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crcxHorzSize));
  releaseMouse();
  EXPECT_EQ(nome->Width(), 150);
  EXPECT_EQ(idade->Width(), 60);
  EXPECT_EQ(controller()->SizingColumn(), nullptr);
  EXPECT_EQ(log.Columns, (std::vector<std::string>{"Nome"}));
  pumpFor(50);
  EXPECT_EQ(header()->GetItem(1)->Bounds.right, 210) << "Idade moved right";
  // The mark is gone with the drag: the pixel column is now Nome's own right grid line.
  TBitmap after;
  captureClient(view->Site(), after);
  EXPECT_EQ(hexOf(pixelAt(after, 149, rowY)), hexOf(static_cast<uint32_t>(ColorToRGB(viewInfo()->GetGridLineColor()))));
  EXPECT_EQ(hexOf(pixelAt(after, 147, rowY)), hexOf(pixelAt(before, 147, rowY)));
}

TEST_F(GridColumnSizingTest, TheWidthStopsAtTheColumnsMinimumAndAnUnchangedWidthRaisesNoEvent) {
  struct Case {
    Integer toX;
    Integer width;
    bool event;
  } cases[] = {
      {119, 120, false},  // released where it started
      {199, 200, true},   // the edge follows the mouse: 80 px right
      {5, 20, true},      // far left of the minimum: the minimum (20)
  };
  for (const Case& k : cases) {
    nome->SetWidth(120);
    grid->LayoutChanged();
    pumpFor(20);
    log.Columns.clear();
    // A press soon after the last one at the same place would be a double click.
    pumpFor(GetDoubleClickTime() + 50);
    Integer y = headerMiddle();
    pressAndDrag(view->Site(), TPoint{119, y}, TPoint{k.toX, y});
    releaseMouse();
    EXPECT_EQ(nome->Width(), k.width) << k.toX;
    EXPECT_EQ(log.Columns.size(), k.event ? 1u : 0u) << k.toX;
  }
}

TEST_F(GridColumnSizingTest, AColumnThatCannotSizeHasNoEdge) {
  view->OptionsCustomize()->SetColumnHorzSizing(false);
  grid->LayoutChanged();
  pumpFor(20);
  Integer y = headerMiddle();
  EXPECT_EQ(viewInfo()->GetHitTest(TPoint{119, y})->HitTestCode(), 202);
  pressAndDrag(view->Site(), TPoint{119, y}, TPoint{160, y});
  releaseMouse();
  EXPECT_EQ(nome->Width(), 120);
  EXPECT_TRUE(log.Columns.empty());
}

}  // namespace
