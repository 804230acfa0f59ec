#include "lib/JvExExtCtrls.h"

void TJvExRadioGroup::WndProc(TMessage& Msg) { JvExDispatch<TJvExRadioGroup>::WindowedWndProc(this, Msg); }

RTL_BEGIN_CLASS(TJvExRadioGroup)
b.Interface<IJvExtendedControl>();
RTL_END_CLASS

namespace JvExExtCtrlsUnit {

namespace {
std::vector<TClass> unitClasses() { return {TJvExRadioGroup::StaticClass()}; }
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() { UnRegisterClasses(unitClasses()); }

}  // namespace JvExExtCtrlsUnit
