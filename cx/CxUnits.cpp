// The component set's start-up list, in dependency order.
#include "cx/CxUnits.h"

namespace cxClassesUnit { void Initialize(); void Finalize(); }
namespace cxGraphicsUnit { void Initialize(); void Finalize(); }
namespace dxUxThemeUnit { void Initialize(); void Finalize(); }
namespace dxThemeManagerUnit { void Initialize(); void Finalize(); }
namespace dxOffice11Unit { void Initialize(); void Finalize(); }
namespace cxStylesUnit { void Initialize(); void Finalize(); }
namespace cxDrawTextUtilsUnit { void Initialize(); void Finalize(); }
namespace cxRadioButtonImageListUnit { void Initialize(); void Finalize(); }
namespace cxLookAndFeelPaintersUnit { void Initialize(); void Finalize(); }
namespace cxLookAndFeelsUnit { void Initialize(); void Finalize(); }
namespace cxControlsUnit { void Initialize(); void Finalize(); }
namespace cxContainerUnit { void Initialize(); void Finalize(); }
namespace cxFormatsUnit { void Initialize(); void Finalize(); }
namespace cxDataStorageUnit { void Initialize(); void Finalize(); }
namespace cxEditUnit { void Initialize(); void Finalize(); }
namespace cxEditUtilsUnit { void Initialize(); void Finalize(); }
namespace cxTextEditUnit { void Initialize(); void Finalize(); }
namespace cxCheckBoxUnit { void Initialize(); void Finalize(); }
namespace cxMemoUnit { void Initialize(); void Finalize(); }
namespace cxMaskEditUnit { void Initialize(); void Finalize(); }
namespace cxSpinEditUnit { void Initialize(); void Finalize(); }
namespace cxRadioGroupUnit { void Initialize(); void Finalize(); }
namespace cxDropDownEditUnit { void Initialize(); void Finalize(); }
namespace cxEditRepositoryItemsUnit { void Initialize(); void Finalize(); }
namespace cxGridCommonUnit { void Initialize(); void Finalize(); }
namespace cxGridCustomViewUnit { void Initialize(); void Finalize(); }
namespace cxGridLevelUnit { void Initialize(); void Finalize(); }
namespace cxGridUnit { void Initialize(); void Finalize(); }
namespace cxGridCustomTableViewUnit { void Initialize(); void Finalize(); }
namespace cxGridTableViewUnit { void Initialize(); void Finalize(); }
namespace cxGridDBDataDefinitionsUnit { void Initialize(); void Finalize(); }
namespace cxGridDBTableViewUnit { void Initialize(); void Finalize(); }

const TUnitList& CxUnits() {
  static const TUnitList units = {
      {"cxClasses", cxClassesUnit::Initialize, cxClassesUnit::Finalize},
      {"cxGraphics", cxGraphicsUnit::Initialize, cxGraphicsUnit::Finalize},
      {"dxUxTheme", dxUxThemeUnit::Initialize, dxUxThemeUnit::Finalize},
      {"dxThemeManager", dxThemeManagerUnit::Initialize, dxThemeManagerUnit::Finalize},
      {"dxOffice11", dxOffice11Unit::Initialize, dxOffice11Unit::Finalize},
      {"cxStyles", cxStylesUnit::Initialize, cxStylesUnit::Finalize},
      {"cxDrawTextUtils", cxDrawTextUtilsUnit::Initialize, cxDrawTextUtilsUnit::Finalize},
      {"cxRadioButtonImageList", cxRadioButtonImageListUnit::Initialize, cxRadioButtonImageListUnit::Finalize},
      {"cxLookAndFeelPainters", cxLookAndFeelPaintersUnit::Initialize, cxLookAndFeelPaintersUnit::Finalize},
      {"cxLookAndFeels", cxLookAndFeelsUnit::Initialize, cxLookAndFeelsUnit::Finalize},
      {"cxControls", cxControlsUnit::Initialize, cxControlsUnit::Finalize},
      {"cxContainer", cxContainerUnit::Initialize, cxContainerUnit::Finalize},
      {"cxFormats", cxFormatsUnit::Initialize, cxFormatsUnit::Finalize},
      {"cxDataStorage", cxDataStorageUnit::Initialize, cxDataStorageUnit::Finalize},
      {"cxEdit", cxEditUnit::Initialize, cxEditUnit::Finalize},
      {"cxEditUtils", cxEditUtilsUnit::Initialize, cxEditUtilsUnit::Finalize},
      {"cxTextEdit", cxTextEditUnit::Initialize, cxTextEditUnit::Finalize},
      {"cxCheckBox", cxCheckBoxUnit::Initialize, cxCheckBoxUnit::Finalize},
      {"cxMemo", cxMemoUnit::Initialize, cxMemoUnit::Finalize},
      {"cxMaskEdit", cxMaskEditUnit::Initialize, cxMaskEditUnit::Finalize},
      {"cxSpinEdit", cxSpinEditUnit::Initialize, cxSpinEditUnit::Finalize},
      {"cxRadioGroup", cxRadioGroupUnit::Initialize, cxRadioGroupUnit::Finalize},
      {"cxDropDownEdit", cxDropDownEditUnit::Initialize, cxDropDownEditUnit::Finalize},
      {"cxEditRepositoryItems", cxEditRepositoryItemsUnit::Initialize, cxEditRepositoryItemsUnit::Finalize},
      {"cxGridCommon", cxGridCommonUnit::Initialize, cxGridCommonUnit::Finalize},
      {"cxGridCustomView", cxGridCustomViewUnit::Initialize, cxGridCustomViewUnit::Finalize},
      {"cxGridLevel", cxGridLevelUnit::Initialize, cxGridLevelUnit::Finalize},
      {"cxGrid", cxGridUnit::Initialize, cxGridUnit::Finalize},
      {"cxGridCustomTableView", cxGridCustomTableViewUnit::Initialize, cxGridCustomTableViewUnit::Finalize},
      {"cxGridTableView", cxGridTableViewUnit::Initialize, cxGridTableViewUnit::Finalize},
      {"cxGridDBDataDefinitions", cxGridDBDataDefinitionsUnit::Initialize, cxGridDBDataDefinitionsUnit::Finalize},
      {"cxGridDBTableView", cxGridDBTableViewUnit::Initialize, cxGridDBTableViewUnit::Finalize},
  };
  return units;
}
