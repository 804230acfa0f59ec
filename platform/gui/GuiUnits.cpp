// The GUI library's start-up list, in dependency order.
#include "platform/gui/GuiUnits.h"

namespace GraphicsUnit { void Initialize(); void Finalize(); }
namespace JPEGUnit { void Initialize(); void Finalize(); }

const TUnitList& GuiUnits() {
  static const TUnitList units = {
      {"Graphics", GraphicsUnit::Initialize, GraphicsUnit::Finalize},
      {"JPEG", JPEGUnit::Initialize, JPEGUnit::Finalize},
  };
  return units;
}
