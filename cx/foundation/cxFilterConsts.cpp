// The filter texts' string numbers (resources/cxTexts.rc holds the texts) and their lookup.
#include "cx/foundation/cxFilterConsts.h"

const TResStringRec scxFilterOperatorEqual = {nullptr, 64704};
const TResStringRec scxFilterOperatorNotEqual = {nullptr, 64705};
const TResStringRec scxFilterOperatorLess = {nullptr, 64706};
const TResStringRec scxFilterOperatorLessEqual = {nullptr, 64707};
const TResStringRec scxFilterOperatorGreater = {nullptr, 64708};
const TResStringRec scxFilterOperatorGreaterEqual = {nullptr, 64709};
const TResStringRec scxFilterOperatorLike = {nullptr, 64710};
const TResStringRec scxFilterOperatorNotLike = {nullptr, 64711};
const TResStringRec scxFilterOperatorBetween = {nullptr, 64712};
const TResStringRec scxFilterOperatorNotBetween = {nullptr, 64713};
const TResStringRec scxFilterOperatorInList = {nullptr, 64714};
const TResStringRec scxFilterOperatorNotInList = {nullptr, 64715};
const TResStringRec scxFilterOperatorYesterday = {nullptr, 64716};
const TResStringRec scxFilterOperatorToday = {nullptr, 64717};
const TResStringRec scxFilterOperatorTomorrow = {nullptr, 64718};
const TResStringRec scxFilterOperatorLastWeek = {nullptr, 64719};
const TResStringRec scxFilterOperatorLastMonth = {nullptr, 64720};
const TResStringRec scxFilterOperatorLastYear = {nullptr, 64721};
const TResStringRec scxFilterOperatorThisWeek = {nullptr, 64722};
const TResStringRec scxFilterOperatorThisMonth = {nullptr, 64723};
const TResStringRec scxFilterOperatorThisYear = {nullptr, 64724};
const TResStringRec scxFilterOperatorNextWeek = {nullptr, 64725};
const TResStringRec scxFilterOperatorNextMonth = {nullptr, 64726};
const TResStringRec scxFilterOperatorNextYear = {nullptr, 64727};
const TResStringRec scxFilterAndCaption = {nullptr, 64728};
const TResStringRec scxFilterOrCaption = {nullptr, 64729};
const TResStringRec scxFilterNotCaption = {nullptr, 64730};
const TResStringRec scxFilterBlankCaption = {nullptr, 64731};
const TResStringRec scxFilterOperatorIsNull = {nullptr, 64732};
const TResStringRec scxFilterOperatorIsNotNull = {nullptr, 64733};
const TResStringRec scxFilterOperatorBeginsWith = {nullptr, 64734};
const TResStringRec scxFilterOperatorDoesNotBeginWith = {nullptr, 64735};
const TResStringRec scxFilterOperatorEndsWith = {nullptr, 64736};
const TResStringRec scxFilterOperatorDoesNotEndWith = {nullptr, 64737};
const TResStringRec scxFilterOperatorContains = {nullptr, 64738};
const TResStringRec scxFilterOperatorDoesNotContain = {nullptr, 64739};
const TResStringRec scxFilterBoxAllCaption = {nullptr, 64740};
const TResStringRec scxFilterBoxCustomCaption = {nullptr, 64741};
const TResStringRec scxFilterBoxBlanksCaption = {nullptr, 64742};
const TResStringRec scxFilterBoxNonBlanksCaption = {nullptr, 64743};

namespace {
// Set by the editor framework's start-up; null until then.
FilterResourceStringHook filterResourceStringHook = nullptr;
}  // namespace

void SetFilterResourceStringHook(FilterResourceStringHook AHook) { filterResourceStringHook = AHook; }

FilterResourceStringHook GetFilterResourceStringHook() { return filterResourceStringHook; }

std::string cxGetFilterResourceString(PResStringRec AResString) {
  if (filterResourceStringHook != nullptr) return filterResourceStringHook(AResString);
  return LoadResString(AResString);
}
