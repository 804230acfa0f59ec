#pragma once
// Dates for the date editor, the calendar and the filter: typed text to dates (with the
// smart words such as "hoje" or "ontem-2"), dates to text in the locale's formats, the
// regular-expression edit mask for typing a date, and the month and day arithmetic of the
// calendar.
//
// Dates are date-time values (days since 30 December 1899, the fraction being the time of
// day); cxNoDate stands for "no date". The smart words are texts of the component set, read
// each time they are needed so that an override takes effect at once.

#include <string>

#include "platform/rtl/System.h"

// The value that stands for "no date".
constexpr TDateTime cxNoDate = -700000;

constexpr Integer cxSmartDateWordCount = 20;

// Fills the smart words from their texts (index 0 "hoje" .. 19 "hoje").
void cxLoadSmartDateWords();
// The smart word the text begins with, ignoring case. Longer words are tried first; among
// words of equal length the text that sorts last, and among equal texts the higher index,
// wins. A word overridden to nothing never matches.
bool cxFindSmartDateWord(const std::string& AText, Integer& AIndex);
// The date of a smart word, optionally followed by a signed day offset ("ontem-2",
// "amanhã + 10"). False, with the date untouched, when the text does not begin with a word.
bool cxParseSmartDate(const std::string& AText, TDateTime& ADate);
// The date editor's conversion of typed text: a smart word or a date in the locale's
// order. False (the date cxNoDate or the out-of-range value) when the text is empty, does
// not convert, or lies outside the years 1 to 9999; an empty text leaves the date as it was.
bool cxTextToDate(const std::string& AText, TDateTime& ADate);
// The text as a date (and time): by the locale's conversion when AVariantConversion, else
// by the class library's format settings. A text that does not convert gives false and
// cxNoDate; other errors pass to the caller.
bool cxTryTextToDateTime(const std::string& AText, bool AVariantConversion, TDateTime& ADate);
// The date in the thread locale's short date format, followed by its time when it has
// one; "" for cxNoDate.
std::string cxDateTimeToLocaleText(TDateTime ADate);
// For editing, the date in the format controller's MaskedDateFormat; otherwise
// cxDateTimeToLocaleText. "" for cxNoDate.
std::string cxDateTimeToText(bool AForEditing, TDateTime ADate);

// The regular-expression edit mask of a date format (the format controller's
// LocaleDateFormat): day, month (number or name) and year patterns joined by the quoted
// date separator; with AWithSmartWords, a second alternative of any smart word followed by
// a signed day offset of up to four digits. "" when the format has an era.
std::string cxBuildRegExprDateMask(const std::string& ADateFormat, bool AWithSmartWords);
// The first character of AFormat (#0 when empty); drops characters from the front until a
// different date letter (d, e, m, y) leads, or the format is empty.
char cxNextDateFormatElement(std::string& AFormat);

// Month and day arithmetic.
void cxPreviousMonth(Word& AYear, Word& AMonth);
void cxNextMonth(Word& AYear, Word& AMonth);
// Moves by ADelta months (either sign).
void cxAddMonths(Word& AYear, Word& AMonth, Integer ADelta);
// Selector 0 the year, 1 the month, any other the day of the date.
Word cxGetDateElement(Integer AElement, TDateTime ADate);
bool cxIsLeapYear(Word AYear);
Integer cxMonthDayCount(Word AYear, Word AMonth);
// The day limited to the month: 0 or less gives 1, past the month's end its last day.
Integer cxClampDay(Word AYear, Word AMonth, Integer ADay);
// The day of the date, a value a hair below a whole day counting as that day.
Int64 cxTruncDateTime(TDateTime ADate);
// The time of day of the date, to the millisecond.
TDateTime cxGetTimePart(TDateTime ADate);

// The clock behind the smart words ("today", "now"). Tests set a fixed one; null restores
// the system clock.
using SmartDateClock = TDateTime (*)();
void setSmartDateClock(SmartDateClock AClock);
