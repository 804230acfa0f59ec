#pragma once
// JvRadioGroup: the library's radio group. Over the class library's group it has a
// configurable frame (which edges, and the style of the frame's inner and outer line), a
// caption that can be hidden, a read-only mode in which the selection cannot change, and
// a hint per item (OnItemHint).
#include <string>

#include "lib/JvExExtCtrls.h"

using TJvRadioGroupHintEvent = TEvent<void(TObject* Sender, Integer Index, std::string& HintStr)>;

class TJvRadioGroup : public TJvExRadioGroup, public IJvNoSubclassing {
  RTL_DECLARE_CLASS(TJvRadioGroup, TJvExRadioGroup)
public:
  explicit TJvRadioGroup(TComponent* AOwner);
  JV_IINTERFACE_FROM(TJvExRadioGroup)

  TEdgeBorders EdgeBorders() const { return edgeBorders_; }
  void SetEdgeBorders(TEdgeBorders Value);
  TEdgeStyle EdgeInner() const { return edgeInner_; }
  void SetEdgeInner(TEdgeStyle Value);
  TEdgeStyle EdgeOuter() const { return edgeOuter_; }
  void SetEdgeOuter(TEdgeStyle Value);
  bool CaptionVisible() const { return captionVisible_; }
  void SetCaptionVisible(bool Value);
  // While set, clicks and keys on the items leave the selection as it is.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value) { readOnly_ = Value; }
  const TJvRadioGroupHintEvent& OnItemHint() const { return onItemHint_; }
  void SetOnItemHint(const TJvRadioGroupHintEvent& Value) { onItemHint_ = Value; }

  // Lets OnItemHint change the hint shown over item Index.
  virtual void RaiseItemHint(Integer Index, std::string& HintStr);

  // The hint over an item is that item's (OnItemHint), valid while the mouse stays in the
  // item's cell; elsewhere the control's own hint for its whole client area. The hint
  // colour setting does not apply here.
  bool PrepareHint(THintInfo& HintInfo) override;

protected:
  bool CanModify() override;
  void Paint() override;

private:
  void paintThemed();
  void paintPlain();

  TEdgeBorders edgeBorders_{ebLeft, ebTop, ebRight, ebBottom};
  TEdgeStyle edgeInner_ = esRaised;
  TEdgeStyle edgeOuter_ = esLowered;
  bool captionVisible_ = true;
  bool readOnly_ = false;
  TJvRadioGroupHintEvent onItemHint_;
};

namespace JvRadioGroupUnit {
void Initialize();
void Finalize();
}  // namespace JvRadioGroupUnit
