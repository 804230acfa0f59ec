#include "GridTestSupport.h"

namespace gridtest {

TTestView* addViewOnLevel(TcxCustomGrid* AGrid, TComponent* AOwner, TcxGridLevel** ALevel) {
  auto* view = New<TTestView>(AOwner);
  view->SetControl(AGrid);
  auto* level = New<TcxGridLevel>(AOwner);
  level->SetParentComponent(AGrid);
  level->SetGridView(view);
  if (ALevel) *ALevel = level;
  return view;
}

RTL_IMPLEMENT_CLASS(TTestDataController)
RTL_IMPLEMENT_CLASS(TTestController)
RTL_IMPLEMENT_CLASS(TTestCell)
RTL_IMPLEMENT_CLASS(TTestViewInfo)
RTL_IMPLEMENT_CLASS(TTestPainter)
RTL_IMPLEMENT_CLASS(TTestViewData)
RTL_IMPLEMENT_CLASS(TTestView)

}  // namespace gridtest
