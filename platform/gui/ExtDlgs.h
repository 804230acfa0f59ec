#pragma once
// ExtDlgs: open and save dialogs for pictures.

#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"

// An open dialog whose filter lists the picture formats the program reads (GraphicFilter
// of TGraphic, "All" first).
class TOpenPictureDialog : public TOpenDialog {
  RTL_DECLARE_CLASS(TOpenPictureDialog, TOpenDialog)
public:
  explicit TOpenPictureDialog(TComponent* AOwner);
};

// A save dialog with the picture formats' filter.
class TSavePictureDialog : public TOpenPictureDialog {
  RTL_DECLARE_CLASS(TSavePictureDialog, TOpenPictureDialog)
public:
  explicit TSavePictureDialog(TComponent* AOwner) : TOpenPictureDialog(AOwner) {}
  bool Execute() override;
};

namespace ExtDlgsUnit {
void Initialize();
void Finalize();
}  // namespace ExtDlgsUnit
