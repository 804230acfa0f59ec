#pragma once
// OLE automation dates (the program's TDateTime): days since 1899-12-30 as a double, the
// fraction being the time of day. Before the epoch the day part is negative while the time
// fraction still counts forward, so 1899-12-29 06:00 is -1.25.
#include <cstdint>
#include <string_view>

namespace native::oledate {

struct DateParts {
  int32_t year = 1899, month = 12, day = 30;
  int32_t hour = 0, minute = 0;
  double second = 0;
};

// False when the parts are out of range (month 13, February 30th, hour 24 ...).
bool fromParts(const DateParts& parts, double& oleDate);
DateParts toParts(double oleDate);

// A Jet date literal's body (the text between the '#'): m/d/yyyy, m/d/yy (00-29 -> 20xx),
// yyyy-mm-dd, each optionally followed by a time h:nn[:ss] [AM|PM]; or a time alone.
bool parseJetLiteral(std::string_view body, double& oleDate);

// ISO text as SQLite programs store dates: yyyy-mm-dd[( |T)hh:mm[:ss[.fff]]].
bool parseIso(std::string_view text, double& oleDate);

}  // namespace native::oledate
