// The component library's start-up list, in dependency order.
#include "lib/LibUnits.h"

namespace JclStringsUnit { void Initialize(); }
namespace JclSysInfoUnit { void Initialize(); }
namespace JvUtilsUnit { void Initialize(); }
namespace JvThemesUnit { void Initialize(); void Finalize(); }
namespace JvWndProcHookUnit { void Initialize(); void Finalize(); }

const TUnitList& LibUnits() {
  static const TUnitList units = {
      {"JclStrings", JclStringsUnit::Initialize, nullptr},
      {"JclSysInfo", JclSysInfoUnit::Initialize, nullptr},
      {"JvThemes", JvThemesUnit::Initialize, JvThemesUnit::Finalize},
      {"JvUtils", JvUtilsUnit::Initialize, nullptr},
      {"JvWndProcHook", JvWndProcHookUnit::Initialize, JvWndProcHookUnit::Finalize},
  };
  return units;
}
