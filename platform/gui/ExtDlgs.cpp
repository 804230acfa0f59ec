// ExtDlgs: picture dialogs.
#include "platform/gui/ExtDlgs.h"

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
  SetFilter(GraphicFilter(TGraphic::StaticClass()));
}

bool TSavePictureDialog::Execute() { return DoExecute(reinterpret_cast<TDialogFunc>(GetSaveFileNameA)); }

RTL_IMPLEMENT_CLASS(TOpenPictureDialog)
RTL_IMPLEMENT_CLASS(TSavePictureDialog)

namespace ExtDlgsUnit {

void Initialize() {
  RegisterClass(TOpenPictureDialog::StaticClass());
  RegisterClass(TSavePictureDialog::StaticClass());
}

void Finalize() {
  UnRegisterClass(TOpenPictureDialog::StaticClass());
  UnRegisterClass(TSavePictureDialog::StaticClass());
}

}  // namespace ExtDlgsUnit
