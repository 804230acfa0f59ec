// The GUI library's start-up list, in dependency order.
#include "platform/gui/GuiUnits.h"

namespace GraphicsUnit { void Initialize(); void Finalize(); }
namespace JPEGUnit { void Initialize(); void Finalize(); }
namespace ImgListUnit { void Initialize(); void Finalize(); }
namespace ActnListUnit { void Initialize(); void Finalize(); }
namespace MenusUnit { void Initialize(); void Finalize(); }
namespace ControlsUnit { void Initialize(); void Finalize(); }
namespace FormsUnit { void Initialize(); void Finalize(); }
namespace ExtCtrlsUnit { void Initialize(); void Finalize(); }
namespace ThemesUnit { void Initialize(); void Finalize(); }
namespace StdCtrlsUnit { void Initialize(); void Finalize(); }
namespace CheckLstUnit { void Initialize(); void Finalize(); }
namespace ComCtrlsUnit { void Initialize(); void Finalize(); }
namespace ButtonsUnit { void Initialize(); void Finalize(); }
namespace ClipbrdUnit { void Initialize(); void Finalize(); }
namespace DialogsUnit { void Initialize(); void Finalize(); }
namespace ExtDlgsUnit { void Initialize(); void Finalize(); }
namespace MaskUnit { void Initialize(); void Finalize(); }

const TUnitList& GuiUnits() {
  static const TUnitList units = {
      {"Graphics", GraphicsUnit::Initialize, GraphicsUnit::Finalize},
      {"JPEG", JPEGUnit::Initialize, JPEGUnit::Finalize},
      {"ImgList", ImgListUnit::Initialize, ImgListUnit::Finalize},
      {"ActnList", ActnListUnit::Initialize, ActnListUnit::Finalize},
      {"Menus", MenusUnit::Initialize, MenusUnit::Finalize},
      {"Controls", ControlsUnit::Initialize, ControlsUnit::Finalize},
      {"Forms", FormsUnit::Initialize, FormsUnit::Finalize},
      {"Themes", ThemesUnit::Initialize, ThemesUnit::Finalize},
      {"StdCtrls", StdCtrlsUnit::Initialize, StdCtrlsUnit::Finalize},
      {"ExtCtrls", ExtCtrlsUnit::Initialize, ExtCtrlsUnit::Finalize},
      {"CheckLst", CheckLstUnit::Initialize, CheckLstUnit::Finalize},
      {"ComCtrls", ComCtrlsUnit::Initialize, ComCtrlsUnit::Finalize},
      {"Buttons", ButtonsUnit::Initialize, ButtonsUnit::Finalize},
      {"Clipbrd", ClipbrdUnit::Initialize, ClipbrdUnit::Finalize},
      {"Dialogs", DialogsUnit::Initialize, DialogsUnit::Finalize},
      {"ExtDlgs", ExtDlgsUnit::Initialize, ExtDlgsUnit::Finalize},
      {"Mask", MaskUnit::Initialize, MaskUnit::Finalize},
  };
  return units;
}
