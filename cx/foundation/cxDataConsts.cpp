// The data texts' string numbers (resources/cxTexts.rc holds the texts).
#include "cx/foundation/cxDataConsts.h"

const TResStringRec scxDataStreamReadError = {nullptr, 64744};
const TResStringRec scxDataStreamWriteError = {nullptr, 64745};
const TResStringRec scxDataItemExists = {nullptr, 64746};
const TResStringRec scxDataRecordIndexOutOfRange = {nullptr, 64747};
const TResStringRec scxDataItemIndexOutOfRange = {nullptr, 64748};
const TResStringRec scxDataRowIndexOutOfRange = {nullptr, 64749};
const TResStringRec scxDataDetailFilterControllerNotFound = {nullptr, 64750};
const TResStringRec scxDataNotInGridMode = {nullptr, 64751};
