#pragma once
// The component set's filter texts: captions of the filter operators, of the date ranges,
// of the Boolean connectives and of the entries of a column's value list. They are read
// through cxGetFilterResourceString, whose lookup the editor framework replaces at start-up
// with the overridable resource-string lookup.

#include <string>

#include "platform/rtl/System.h"

// Operators.
extern const TResStringRec scxFilterOperatorEqual;  // "equals"
extern const TResStringRec scxFilterOperatorNotEqual;  // "does not equal"
extern const TResStringRec scxFilterOperatorLess;  // "is less than"
extern const TResStringRec scxFilterOperatorLessEqual;  // "is less than or equal to"
extern const TResStringRec scxFilterOperatorGreater;  // "is greater than"
extern const TResStringRec scxFilterOperatorGreaterEqual;  // "is greater than or equal to"
extern const TResStringRec scxFilterOperatorLike;  // "like"
extern const TResStringRec scxFilterOperatorNotLike;  // "not like"
extern const TResStringRec scxFilterOperatorBetween;  // "between"
extern const TResStringRec scxFilterOperatorNotBetween;  // "not between"
extern const TResStringRec scxFilterOperatorInList;  // "in"
extern const TResStringRec scxFilterOperatorNotInList;  // "not in"

// Date ranges.
extern const TResStringRec scxFilterOperatorYesterday;  // "is yesterday"
extern const TResStringRec scxFilterOperatorToday;  // "is today"
extern const TResStringRec scxFilterOperatorTomorrow;  // "is tomorrow"
extern const TResStringRec scxFilterOperatorLastWeek;  // "is last week"
extern const TResStringRec scxFilterOperatorLastMonth;  // "is last month"
extern const TResStringRec scxFilterOperatorLastYear;  // "is last year"
extern const TResStringRec scxFilterOperatorThisWeek;  // "is this week"
extern const TResStringRec scxFilterOperatorThisMonth;  // "is this month"
extern const TResStringRec scxFilterOperatorThisYear;  // "is this year"
extern const TResStringRec scxFilterOperatorNextWeek;  // "is next week"
extern const TResStringRec scxFilterOperatorNextMonth;  // "is next month"
extern const TResStringRec scxFilterOperatorNextYear;  // "is next year"

// Connectives and blanks.
extern const TResStringRec scxFilterAndCaption;  // "and"
extern const TResStringRec scxFilterOrCaption;  // "or"
extern const TResStringRec scxFilterNotCaption;  // "not"
extern const TResStringRec scxFilterBlankCaption;  // "blank"

// More operators.
extern const TResStringRec scxFilterOperatorIsNull;  // "is blank"
extern const TResStringRec scxFilterOperatorIsNotNull;  // "is not blank"
extern const TResStringRec scxFilterOperatorBeginsWith;  // "begins with"
extern const TResStringRec scxFilterOperatorDoesNotBeginWith;  // "does not begin with"
extern const TResStringRec scxFilterOperatorEndsWith;  // "ends with"
extern const TResStringRec scxFilterOperatorDoesNotEndWith;  // "does not end with"
extern const TResStringRec scxFilterOperatorContains;  // "contains"
extern const TResStringRec scxFilterOperatorDoesNotContain;  // "does not contain"

// Entries of a column's value list.
extern const TResStringRec scxFilterBoxAllCaption;  // "(All)"
extern const TResStringRec scxFilterBoxCustomCaption;  // "(Custom...)"
extern const TResStringRec scxFilterBoxBlanksCaption;  // "(Blanks)"
extern const TResStringRec scxFilterBoxNonBlanksCaption;  // "(NonBlanks)"

// The lookup that gives the filter texts. One hook serves the whole process; the editor
// framework sets it to cxGetResourceString when it starts, so that run-time overrides reach
// the filter texts from then on.
using FilterResourceStringHook = std::string (*)(PResStringRec AResString);
void SetFilterResourceStringHook(FilterResourceStringHook AHook);
FilterResourceStringHook GetFilterResourceStringHook();

// The text of a filter string: the hook's answer when a hook is set, otherwise the string
// loaded from the string table.
std::string cxGetFilterResourceString(PResStringRec AResString);
