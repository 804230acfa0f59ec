#include "dx/bars/dxBarStrs.h"

const TResStringRec dxSBAR_BARMANAGERMORETHANONE = {nullptr, 65042};
const TResStringRec dxSBAR_BARMANAGERBADOWNER = {nullptr, 65043};
const TResStringRec dxSBAR_NOBARMANAGERS = {nullptr, 65044};
const TResStringRec dxSBAR_RECURSIVESUBITEMS = {nullptr, 65048};
const TResStringRec dxSBAR_DEFAULTCATEGORYNAME = {nullptr, 65052};
