// The component library's start-up list, in dependency order.
#include "lib/LibUnits.h"

namespace JclStringsUnit { void Initialize(); }
namespace JclSysInfoUnit { void Initialize(); }

const TUnitList& LibUnits() {
  static const TUnitList units = {
      {"JclStrings", JclStringsUnit::Initialize, nullptr},
      {"JclSysInfo", JclSysInfoUnit::Initialize, nullptr},
  };
  return units;
}
