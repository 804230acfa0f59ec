#include "lib/JvExMask.h"

namespace {

// The command a clipboard message needs; false for every other message.
bool clipboardCommandOf(UINT Msg, TJvClipboardCommand& Command) {
  switch (Msg) {
    case WM_CUT: Command = caCut; return true;
    case WM_COPY: Command = caCopy; return true;
    case WM_PASTE: Command = caPaste; return true;
    case WM_CLEAR: Command = caClear; return true;
    case WM_UNDO:
    case EM_UNDO: Command = caUndo; return true;
    default: return false;
  }
}

}  // namespace

void TJvExCustomMaskEdit::SignalInvalidInput() {
  if (beepOnInvalidInput_) MessageBeep(0);
}

void TJvExCustomMaskEdit::WndProc(TMessage& Msg) {
  TJvClipboardCommand command;
  if (clipboardCommandOf(Msg.Msg, command) && !clipboardCommands_.Contains(command)) {
    Msg.Result = 1;
    return;
  }
  JvExDispatch<TJvExCustomMaskEdit>::WindowedWndProc(this, Msg);
}

RTL_BEGIN_CLASS(TJvExCustomMaskEdit)
b.Interface<IJvExtendedControl>();
RTL_END_CLASS

namespace JvExMaskUnit {

namespace {
std::vector<TClass> unitClasses() { return {TJvExCustomMaskEdit::StaticClass()}; }
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() { UnRegisterClasses(unitClasses()); }

}  // namespace JvExMaskUnit
