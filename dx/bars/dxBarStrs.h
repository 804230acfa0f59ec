#pragma once
// The bar family's texts used by code. Each record names a string of the bar family's
// string table (resources/dxBarTexts.rc); read it through cxGetResourceString (cxClasses),
// which honours run-time overrides.
#include "platform/rtl/System.h"

extern const TResStringRec dxSBAR_BARMANAGERMORETHANONE;   // "A Form should contain only a single TdxBarManager"
extern const TResStringRec dxSBAR_BARMANAGERBADOWNER;      // "TdxBarManager should have as its Owner - TForm (TCustomForm)"
extern const TResStringRec dxSBAR_NOBARMANAGERS;           // "There are no TdxBarManagers available"
extern const TResStringRec dxSBAR_RECURSIVESUBITEMS;       // "You cannot create recursive subitems"
extern const TResStringRec dxSBAR_DEFAULTCATEGORYNAME;     // "Default"
