// The runtime library's start-up list, in dependency order.
#include "platform/rtl/Startup.h"

namespace SystemUnit { void Initialize(); }
namespace SysUtilsUnit { void Initialize(); void Finalize(); }
namespace ClassesUnit { void Finalize(); }

const TUnitList& RtlUnits() {
  static const TUnitList units = {
      {"System", SystemUnit::Initialize, nullptr},
      {"SysUtils", SysUtilsUnit::Initialize, SysUtilsUnit::Finalize},
      {"Classes", nullptr, ClassesUnit::Finalize},
  };
  return units;
}
