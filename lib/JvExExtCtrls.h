#pragma once
// The extended radio-group base: the class library's radio group with the operations,
// hint colour, mouse-inside flag and events of the extended bases (JvExControls).

#include "lib/JvExControls.h"
#include "platform/gui/ExtCtrls.h"

class TJvExRadioGroup : public TRadioGroup, public IJvExtendedControl {
  RTL_DECLARE_CLASS(TJvExRadioGroup, TRadioGroup)
  JV_EX_COMMON_MEMBERS(TJvExRadioGroup, TRadioGroup)
  JV_EX_WINDOWED_MEMBERS(TJvExRadioGroup, TRadioGroup)
public:
  explicit TJvExRadioGroup(TComponent* AOwner) : TRadioGroup(AOwner) {}

protected:
  void WndProc(TMessage& Msg) override;
};

namespace JvExExtCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace JvExExtCtrlsUnit
