#pragma once
// The component set's texts for data handling: stream, index and mode errors of the data
// controller and its value streams. Each record names a string of the component set's
// string table; read it through cxGetResourceString (cxClasses), which honours run-time
// overrides.

#include "platform/rtl/System.h"

extern const TResStringRec scxDataStreamReadError;  // "Stream read error"
extern const TResStringRec scxDataStreamWriteError;  // "Stream write error"
extern const TResStringRec scxDataItemExists;  // "Item already exists"
extern const TResStringRec scxDataRecordIndexOutOfRange;  // "RecordIndex out of range"
extern const TResStringRec scxDataItemIndexOutOfRange;  // "ItemIndex out of range"
extern const TResStringRec scxDataRowIndexOutOfRange;  // "RowIndex out of range"
extern const TResStringRec scxDataDetailFilterControllerNotFound;  // "DetailFilterController not found"
extern const TResStringRec scxDataNotInGridMode;  // "DataController not in GridMode"
