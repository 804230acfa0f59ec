#pragma once
// SqlTimSt: the SQL time stamp (a date and time kept as separate fields, as database servers
// hand them over) and the variant kind that carries it.
//
// Fractions are milliseconds. A stamp whose fields are all zero is the null stamp; it converts
// to TDateTime 0. Any other stamp must name a real date and time: conversions raise
// EConvertError "Invalid argument to date encode" / "... time encode" for one that does not.
// Text goes through the date-time routines of SysUtils and their format settings.
//
// The variant kind (code VarSQLTimeStamp(), made by SqlTimStUnit::Initialize) converts from
// dates, numbers (days) and text, to dates, doubles and text, and compares field by field.

#include <string>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

struct TSQLTimeStamp {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;  // milliseconds
};

bool operator==(const TSQLTimeStamp& a, const TSQLTimeStamp& b);
inline bool operator!=(const TSQLTimeStamp& a, const TSQLTimeStamp& b) { return !(a == b); }

extern const TSQLTimeStamp NullSQLTimeStamp;

// Raises EConvertError when the stamp names no real date and time (the null stamp passes).
void CheckSqlTimeStamp(const TSQLTimeStamp& ASQLTimeStamp);

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime DateTime);
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& DateTime);
// The stamp's date-time through FormatDateTime (an empty format is "c").
std::string SQLTimeStampToStr(const std::string& Format, const TSQLTimeStamp& DateTime);
// Text read by StrToDateTime; EConvertError when it is not a date and time.
TSQLTimeStamp StrToSQLTimeStamp(const std::string& S);
bool TryStrToSQLTimeStamp(const std::string& S, TSQLTimeStamp& TimeStamp);

// The variant kind.
TVarType VarSQLTimeStamp();
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& ASQLTimeStamp);
Variant VarSQLTimeStampCreate(TDateTime AValue);
Variant VarSQLTimeStampCreate(const std::string& AValue);
bool VarIsSQLTimeStamp(const Variant& aValue);
// A time stamp, date, number or text variant as a stamp (EVariantTypeCastError otherwise).
TSQLTimeStamp VarToSQLTimeStamp(const Variant& aValue);

namespace SqlTimStUnit {
void Initialize();
void Finalize();
}  // namespace SqlTimStUnit
