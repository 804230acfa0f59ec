#include "cx/foundation/cxDateUtils.h"

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <array>
#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxFormats.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

namespace {

// The texts of the smart words, in index order.
const std::array<PResStringRec, cxSmartDateWordCount> smartWordTexts = {
    &scxEditDateWordToday,    &scxEditDateWordYesterday, &scxEditDateWordTomorrow, &scxEditDateWordSunday,
    &scxEditDateWordMonday,   &scxEditDateWordTuesday,   &scxEditDateWordWednesday, &scxEditDateWordThursday,
    &scxEditDateWordFriday,   &scxEditDateWordSaturday,  &scxEditDateWordWeekDay1, &scxEditDateWordWeekDay2,
    &scxEditDateWordWeekDay3, &scxEditDateWordWeekDay4,  &scxEditDateWordWeekDay5, &scxEditDateWordWeekDay6,
    &scxEditDateWordWeekDay7, &scxEditDateWordMonthStart, &scxEditDateWordMonthEnd, &scxEditDateWordNow};

std::array<std::string, cxSmartDateWordCount> smartWords;

SmartDateClock smartClock = nullptr;

TDateTime clockNow() { return smartClock ? smartClock() : Now(); }

// A literal of the mask language: the text between single quotes, a quote inside it
// doubled (a lone quote would end the literal and break the whole mask).
std::string maskLiteral(const std::string& AText) {
  std::string result = "'";
  for (char c : AText) {
    if (c == '\'') result += '\'';
    result += c;
  }
  return result + "'";
}

bool isDateFormatLetter(char c) { return c == 'd' || c == 'e' || c == 'm' || c == 'y'; }

// The text read as a date (and time) in the thread locale's order by the system's OLE
// conversion, which also takes blanks, dashes and month names between the numbers.
bool localeTextToDate(const std::string& AText, TDateTime& ADate) {
  const int length = MultiByteToWideChar(CP_ACP, 0, AText.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::vector<WCHAR> wide(static_cast<size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, AText.c_str(), -1, wide.data(), length);
  DATE value = 0;
  if (FAILED(VarDateFromStr(wide.data(), GetThreadLocale(), 0, &value))) return false;
  ADate = value;
  return true;
}

// The date of the smart word with the index, for the moment ANow.
TDateTime smartWordDate(Integer AIndex, TDateTime ANow) {
  const TDateTime today = static_cast<TDateTime>(cxTruncDateTime(ANow));
  const Integer dow = DayOfWeek(today);  // 1 Sunday .. 7 Saturday
  Word year, month, day;
  DecodeDate(today, year, month, day);
  switch (AIndex) {
    case 0: return today;
    case 1: return today - 1;
    case 2: return today + 1;
    case 3: case 4: case 5: case 6: case 7: case 8: case 9: {
      // The next such weekday, today included.
      const Integer delta = (AIndex - 2) - dow;
      return today + (delta >= 0 ? delta : delta + 7);
    }
    case 10: case 11: case 12: case 13: case 14: case 15: case 16:
      // That weekday of the current Sunday-to-Saturday week.
      return today + (AIndex - 9) - dow;
    case 17: return EncodeDate(year, month, 1);
    case 18: return EncodeDate(year, month, static_cast<Word>(cxMonthDayCount(year, month)));
    default: return ANow;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Smart words.

void cxLoadSmartDateWords() {
  for (Integer i = 0; i < cxSmartDateWordCount; ++i) smartWords[i] = cxGetResourceString(smartWordTexts[i]);
}

bool cxFindSmartDateWord(const std::string& AText, Integer& AIndex) {
  cxLoadSmartDateWords();
  struct Candidate {
    std::string Text;
    Integer Index;
  };
  std::vector<Candidate> candidates;
  for (Integer i = 0; i < cxSmartDateWordCount; ++i)
    // A word overridden to nothing would match every text and turn any typed date into
    // that word's date: it takes no part.
    if (!smartWords[i].empty()) candidates.push_back({smartWords[i], i});
  std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    if (a.Text.size() != b.Text.size()) return a.Text.size() > b.Text.size();
    const Integer order = AnsiCompareText(a.Text, b.Text);
    if (order != 0) return order > 0;
    return a.Index > b.Index;
  });
  const std::string text = AnsiUpperCase(AText);
  for (const Candidate& c : candidates) {
    if (text.size() >= c.Text.size() && text.compare(0, c.Text.size(), AnsiUpperCase(c.Text)) == 0) {
      AIndex = c.Index;
      return true;
    }
  }
  return false;
}

bool cxParseSmartDate(const std::string& AText, TDateTime& ADate) {
  const std::string text = Trim(AText);
  Integer index = 0;
  if (!cxFindSmartDateWord(text, index)) return false;
  TDateTime date = smartWordDate(index, clockNow());
  // An optional signed number of days after the word; anything else there is ignored.
  const std::string rest = Trim(text.substr(smartWords[index].size()));
  if (rest.size() >= 2 && (rest[0] == '+' || rest[0] == '-')) {
    Integer days = 0;
    if (TryStrToInt(Trim(rest.substr(1)), days)) date += rest[0] == '+' ? days : -days;
  }
  ADate = date;
  return true;
}

// ---------------------------------------------------------------------------------------
// Text and dates.

bool cxTextToDate(const std::string& AText, TDateTime& ADate) {
  std::string text = Trim(AText);
  if (text.empty()) return false;
  try {
    // With '.' as the date separator the system's conversion would read "31.12.2024" as a
    // number; blanks separate the parts as well.
    if (DateSeparator == '.') {
      for (int replaced = 0; replaced < 2; ++replaced) {
        const size_t dot = text.find('.');
        if (dot == std::string::npos) break;
        text[dot] = ' ';
      }
    }
    TDateTime date = 0;
    if (!cxParseSmartDate(text, date) && !localeTextToDate(text, date)) {
      ADate = cxNoDate;
      return false;
    }
    ADate = date;
    if (!(date > -2147483648.0 && date < 2147483647.0)) return false;
    Word year, month, day;
    DecodeDate(date, year, month, day);
    return day != 0 && year <= 9999;
  } catch (const Exception&) {
    ADate = cxNoDate;
    return false;
  }
}

bool cxTryTextToDateTime(const std::string& AText, bool AVariantConversion, TDateTime& ADate) {
  ADate = cxNoDate;
  try {
    TDateTime date = 0;
    if (AVariantConversion) {
      if (!localeTextToDate(AText, date)) return false;
    } else {
      date = StrToDateTime(AText);
    }
    ADate = date;
    return true;
  } catch (const EConvertError&) {
    ADate = cxNoDate;
    return false;
  }
}

std::string cxDateTimeToLocaleText(TDateTime ADate) {
  if (ADate == cxNoDate) return "";
  const LCID locale = GetThreadLocale();
  SYSTEMTIME time = {};
  DateTimeToSystemTime(ADate, time);
  char buffer[100];
  if (GetDateFormatA(locale, 0, &time, nullptr, buffer, sizeof buffer) > 0) {
    std::string result = buffer;
    if (cxGetTimePart(ADate) != 0 && GetTimeFormatA(locale, 0, &time, nullptr, buffer, sizeof buffer) > 0)
      result += std::string(" ") + buffer;
    return result;
  }
  // The system formats no date before 1601.
  try {
    return VarToStr(VarFromDateTime(ADate));
  } catch (const EVariantError&) {
    return "";
  }
}

std::string cxDateTimeToText(bool AForEditing, TDateTime ADate) {
  if (ADate == cxNoDate) return "";
  if (AForEditing) return FormatDateTime(cxGetFormatController()->MaskedDateFormat(), ADate);
  return cxDateTimeToLocaleText(ADate);
}

// ---------------------------------------------------------------------------------------
// The date mask.

char cxNextDateFormatElement(std::string& AFormat) {
  if (AFormat.empty()) return '\0';
  const char element = AFormat[0];
  do {
    AFormat.erase(0, 1);
  } while (!AFormat.empty() && !(isDateFormatLetter(AFormat[0]) && AFormat[0] != element));
  return element;
}

std::string cxBuildRegExprDateMask(const std::string& ADateFormat, bool AWithSmartWords) {
  std::string format = AnsiLowerCase(ADateFormat);
  if (format.find('g') != std::string::npos) return "";  // era calendars take no mask
  cxLoadSmartDateWords();
  const bool fourDigitYear = format.find("yyyy") != std::string::npos;
  const bool longMonthNames = format.find("mmmm") != std::string::npos;
  const std::string separator = maskLiteral(std::string(1, DateSeparator));

  std::string mask;
  for (;;) {
    std::string part;
    const char element = cxNextDateFormatElement(format);
    if (element == 'd') {
      part = "([012]?[1-9]|[123]0|31)";
    } else if (element == 'e') {
      if (fourDigitYear) part = "\\d\\d\\d\\d";
      else if (ShortDateFormat.find("ee") != std::string::npos) part = "\\d\\d";
      else part = "([1-9]?\\d)";
    } else if (element == 'm') {
      part = "((0?[1-9]|1[012])|(";
      for (int i = 0; i < 12; ++i) {
        if (i > 0) part += "|";
        part += maskLiteral(longMonthNames ? LongMonthNames[i] : ShortMonthNames[i]);
      }
      part += "))";
    } else if (element == 'y') {
      part = fourDigitYear ? "\\d\\d\\d\\d" : "\\d\\d";
    } else {
      break;  // the end, or a character that is no date element
    }
    if (!mask.empty()) mask += separator;
    mask += part;
  }

  if (!AWithSmartWords) return mask;
  std::string words;
  for (Integer i = 0; i < cxSmartDateWordCount; ++i) {
    if (i > 0) words += "|";
    words += maskLiteral(smartWords[i]);
  }
  return "(" + mask + ")|((" + words + ")((\\+|-)\\d(\\d(\\d(\\d?)?)?)?))";
}

// ---------------------------------------------------------------------------------------
// Months and days.

void cxPreviousMonth(Word& AYear, Word& AMonth) {
  if (AMonth == 1) {
    --AYear;
    AMonth = 12;
  } else {
    --AMonth;
  }
}

void cxNextMonth(Word& AYear, Word& AMonth) {
  if (AMonth == 12) {
    ++AYear;
    AMonth = 1;
  } else {
    ++AMonth;
  }
}

void cxAddMonths(Word& AYear, Word& AMonth, Integer ADelta) {
  Integer year = AYear + ADelta / 12;
  Integer month = AMonth + ADelta % 12;  // the remainder keeps the sign of the delta
  if (month < 1) {
    --year;
    month += 12;
  }
  if (month > 12) {
    ++year;
    month -= 12;
  }
  AYear = static_cast<Word>(year);
  AMonth = static_cast<Word>(month);
}

Word cxGetDateElement(Integer AElement, TDateTime ADate) {
  Word year, month, day;
  DecodeDate(ADate, year, month, day);
  switch (AElement) {
    case 0: return year;
    case 1: return month;
    default: return day;
  }
}

bool cxIsLeapYear(Word AYear) { return AYear % 4 == 0 && (AYear % 100 != 0 || AYear % 400 == 0); }

Integer cxMonthDayCount(Word AYear, Word AMonth) {
  static const Integer days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (AMonth < 1 || AMonth > 12) return 0;
  if (AMonth == 2 && cxIsLeapYear(AYear)) return 29;
  return days[AMonth - 1];
}

Integer cxClampDay(Word AYear, Word AMonth, Integer ADay) {
  if (ADay <= 0) return 1;
  return std::min(ADay, cxMonthDayCount(AYear, AMonth));
}

Int64 cxTruncDateTime(TDateTime ADate) {
  return ADate >= 0 ? Trunc(ADate + 1e-11) : Trunc(ADate - 1e-11);
}

TDateTime cxGetTimePart(TDateTime ADate) {
  Word hour, minute, second, msec;
  DecodeTime(ADate, hour, minute, second, msec);
  return EncodeTime(hour, minute, second, msec);
}

void setSmartDateClock(SmartDateClock AClock) { smartClock = AClock; }
