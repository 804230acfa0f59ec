// The component library's start-up list, in dependency order.
#include "lib/LibUnits.h"

namespace JclStringsUnit { void Initialize(); }
namespace JclSysInfoUnit { void Initialize(); }
namespace JvUtilsUnit { void Initialize(); }
namespace JvDialogsUnit { void Initialize(); void Finalize(); }
namespace JvExExtCtrlsUnit { void Initialize(); void Finalize(); }
namespace JvExMaskUnit { void Initialize(); void Finalize(); }
namespace JvgPageUnit { void Initialize(); void Finalize(); }
namespace JvRadioGroupUnit { void Initialize(); void Finalize(); }
namespace JvSpeedButtonUnit { void Initialize(); void Finalize(); }
namespace JvThemesUnit { void Initialize(); void Finalize(); }
namespace JvToolEditUnit { void Initialize(); void Finalize(); }
namespace JvWndProcHookUnit { void Initialize(); void Finalize(); }

const TUnitList& LibUnits() {
  static const TUnitList units = {
      {"JclStrings", JclStringsUnit::Initialize, nullptr},
      {"JclSysInfo", JclSysInfoUnit::Initialize, nullptr},
      {"JvThemes", JvThemesUnit::Initialize, JvThemesUnit::Finalize},
      {"JvUtils", JvUtilsUnit::Initialize, nullptr},
      {"JvDialogs", JvDialogsUnit::Initialize, JvDialogsUnit::Finalize},
      {"JvExExtCtrls", JvExExtCtrlsUnit::Initialize, JvExExtCtrlsUnit::Finalize},
      {"JvExMask", JvExMaskUnit::Initialize, JvExMaskUnit::Finalize},
      {"JvgPage", JvgPageUnit::Initialize, JvgPageUnit::Finalize},
      {"JvRadioGroup", JvRadioGroupUnit::Initialize, JvRadioGroupUnit::Finalize},
      {"JvSpeedButton", JvSpeedButtonUnit::Initialize, JvSpeedButtonUnit::Finalize},
      {"JvToolEdit", JvToolEditUnit::Initialize, JvToolEditUnit::Finalize},
      {"JvWndProcHook", JvWndProcHookUnit::Initialize, JvWndProcHookUnit::Finalize},
  };
  return units;
}
