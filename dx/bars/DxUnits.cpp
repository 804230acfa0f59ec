#include "dx/DxUnits.h"

#include "dx/bars/dxBar.h"

const TUnitList& DxUnits() {
  static const TUnitList units = {{"dxBar", dxBarUnit::Initialize, dxBarUnit::Finalize}};
  return units;
}
