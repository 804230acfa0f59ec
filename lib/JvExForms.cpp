#include "lib/JvExForms.h"

void TJvExForm::WndProc(TMessage& Msg) {
  JvExDispatch<TJvExForm>::WindowedWndProc(this, Msg);
}

void TJvExForm::CMShowingChanged(TMessage& Msg) {
  if (Showing() && HandleAllocated()) SendMessageA(Handle(), WM_CHANGEUISTATE, UIS_INITIALIZE, 0);
  INHERITED_MESSAGE(Msg);
}

void TJvExForm::CMDialogKey(TCMDialogKey& Msg) {
  switch (Msg.CharCode) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (HandleAllocated()) SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      break;
    case VK_MENU:
      if (HandleAllocated())
        SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
      break;
    default: break;
  }
  INHERITED_MESSAGE(Msg);
}

RTL_BEGIN_CLASS(TJvExForm)
b.Interface<IJvExtendedControl>();
b.Message(CM_SHOWINGCHANGED, &TJvExForm::CMShowingChanged);
b.Message(CM_DIALOGKEY, &TJvExForm::CMDialogKey);
RTL_END_CLASS
