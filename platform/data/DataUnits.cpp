// The data library's start-up list, in dependency order.
#include "platform/data/DataUnits.h"

namespace FMTBcdUnit { void Initialize(); void Finalize(); }
namespace SqlTimStUnit { void Initialize(); void Finalize(); }
namespace DBUnit { void Initialize(); void Finalize(); }
namespace ADODBUnit { void Initialize(); void Finalize(); }

const TUnitList& DataUnits() {
  static const TUnitList units = {
      {"FMTBcd", FMTBcdUnit::Initialize, FMTBcdUnit::Finalize},
      {"SqlTimSt", SqlTimStUnit::Initialize, SqlTimStUnit::Finalize},
      {"DB", DBUnit::Initialize, DBUnit::Finalize},
      {"ADODB", ADODBUnit::Initialize, ADODBUnit::Finalize},
  };
  return units;
}
