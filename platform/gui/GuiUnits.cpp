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
  };
  return units;
}
