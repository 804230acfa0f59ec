#include "cx/grid/cxGridCommon.h"

#include "platform/rtl/SysUtils.h"

TCursor cxGridHorzSizeCursor = crDefault;
TCursor cxGridVertSizeCursor = crDefault;
TCursor cxGridRemoveCursor = crDefault;
TCursor cxGridNoDropCursor = crDefault;
TCursor cxGridDragCursor = crDefault;
TCursor cxGridMultiDragCursor = crDefault;

TcxButtonState cxGridCellStateToButtonState(TcxGridCellState AState) {
  static constexpr TcxButtonState map[] = {cxbsNormal, cxbsHot, cxbsPressed};
  return map[AState <= gcsPressed ? AState : gcsNormal];
}

void cxGridAddTextOffsets(Integer& AExtent) { AExtent += 4; }

void cxGridRenameChildComponents(TComponent* AParent, TComponent* AOwner, const std::string& ANewPrefix,
                                 const std::function<TComponent*(Integer)>& AGetChild, Integer ACount,
                                 const std::string& AOldPrefix) {
  (void)AParent;
  for (Integer i = 0; i < ACount; ++i) {
    TComponent* child = AGetChild(i);
    if (!child || child->Owner() != AOwner) continue;
    const std::string& name = child->Name();
    if (name.size() <= AOldPrefix.size() || !AnsiSameText(name.substr(0, AOldPrefix.size()), AOldPrefix)) continue;
    try {
      child->SetName(ANewPrefix + name.substr(AOldPrefix.size()));
    } catch (EComponentError&) {
      // A name the component rules refuse keeps the old one; the others go on.
    }
  }
}

RTL_IMPLEMENT_CLASS(TcxCustomGridChange)
RTL_IMPLEMENT_CLASS(TcxCustomGridDragOpenInfo)

namespace cxGridCommonUnit {
void Initialize() {
  cxGridHorzSizeCursor = crcxHorzSize;
  cxGridVertSizeCursor = crcxVertSize;
  cxGridRemoveCursor = crcxRemove;
  cxGridNoDropCursor = crcxNoDrop;
  cxGridDragCursor = crcxDrag;
  cxGridMultiDragCursor = crcxMultiDrag;
}
void Finalize() {}
}  // namespace cxGridCommonUnit
