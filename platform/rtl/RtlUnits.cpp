// The runtime library's start-up list, in dependency order.
#include "platform/rtl/Startup.h"

namespace SysUtilsUnit { void Initialize(); void Finalize(); }

const TUnitList& RtlUnits() {
  static const TUnitList units = {
      {"SysUtils", SysUtilsUnit::Initialize, SysUtilsUnit::Finalize},
  };
  return units;
}
