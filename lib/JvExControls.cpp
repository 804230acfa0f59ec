#include "lib/JvExControls.h"

#include "platform/gui/Forms.h"

Integer JvShiftStateToKeyData(TShiftState Shift) {
  Integer data = 0;
  if (Shift.Contains(ssAlt)) data |= 0x20000000;
  if (Shift.Contains(ssCtrl)) data |= 0x10000000;
  if (Shift.Contains(ssShift)) data |= 0x08000000;
  return data;
}

namespace {
struct CodeBit {
  TJvDialogCode Code;
  UINT Bit;
};
constexpr CodeBit kCodeBits[] = {{dgcAllKeys, DLGC_WANTALLKEYS}, {dgcArrows, DLGC_WANTARROWS},
                                 {dgcChars, DLGC_WANTCHARS},     {dgcButton, DLGC_BUTTON},
                                 {dgcHasSetSel, DLGC_HASSETSEL}, {dgcTab, DLGC_WANTTAB}};
}  // namespace

TJvDialogCodes JvDlgcToDialogCodes(UINT Dlgc) {
  TJvDialogCodes codes;
  for (const CodeBit& cb : kCodeBits)
    if (Dlgc & cb.Bit) codes.Include(cb.Code);
  return codes;
}

UINT JvDialogCodesToDlgc(TJvDialogCodes Codes) {
  UINT dlgc = 0;
  for (const CodeBit& cb : kCodeBits)
    if (Codes.Contains(cb.Code)) dlgc |= cb.Bit;
  return dlgc;
}

void JvApplyHintColor(THintInfo& HintInfo, TControl* Control, TColor Color) {
  if (Color == clNone) {
    if (Application) HintInfo.HintColor = Application->HintColor();
  } else if (Color == clDefault) {
    // The parent answers for it; an extended parent resolves its own colour the same way,
    // so clDefault climbs the parent chain.
    if (Control && Control->Parent()) {
      THintInfo copy = HintInfo;
      Control->Parent()->Perform(CM_HINTSHOW, 0, &copy);
      HintInfo.HintColor = copy.HintColor;
    }
  } else {
    HintInfo.HintColor = Color;
  }
}

void TJvExGraphicControl::WndProc(TMessage& Msg) {
  if (!JvExDispatch<TJvExGraphicControl>::Common(this, Msg)) TGraphicControl::WndProc(Msg);
}

RTL_BEGIN_CLASS(TJvExGraphicControl)
b.Interface<IJvExtendedControl>();
RTL_END_CLASS
