// The editor texts' string numbers (resources/cxTexts.rc holds the texts). The numbers run
// upwards inside each block of 16 strings and the blocks downwards, so the first seven texts
// are 64888 .. 64894 and the last one 64787, the numbers other units refer to.
#include "cx/foundation/cxEditConsts.h"

const TResStringRec scxEditDateConvertError = {nullptr, 64888};
const TResStringRec scxEditRepositoryItemError = {nullptr, 64889};
const TResStringRec scxEditNumericConvertError = {nullptr, 64890};
const TResStringRec scxEditCircularReferenceError = {nullptr, 64891};
const TResStringRec scxEditTimeConvertError = {nullptr, 64892};
const TResStringRec scxEditInvalidInputError = {nullptr, 64893};
const TResStringRec scxEditValueOutOfBounds = {nullptr, 64894};

const TResStringRec scxEditTrueCaption = {nullptr, 64895};
const TResStringRec scxEditTrueCaptionBlank = {nullptr, 64864};
const TResStringRec scxEditFalseCaption = {nullptr, 64865};
const TResStringRec scxEditFalseCaptionBlank = {nullptr, 64866};

const TResStringRec scxEditOKButton = {nullptr, 64867};
const TResStringRec scxEditCancelButton = {nullptr, 64868};
const TResStringRec scxEditCloseButton = {nullptr, 64869};

const TResStringRec scxEditBlobText = {nullptr, 64870};
const TResStringRec scxEditBlobNullText = {nullptr, 64871};
const TResStringRec scxEditBlobPicture = {nullptr, 64872};
const TResStringRec scxEditBlobNullPicture = {nullptr, 64873};

const TResStringRec scxEditPictureMenuCut = {nullptr, 64874};
const TResStringRec scxEditPictureMenuCopy = {nullptr, 64875};
const TResStringRec scxEditPictureMenuPaste = {nullptr, 64876};
const TResStringRec scxEditPictureMenuDelete = {nullptr, 64877};
const TResStringRec scxEditPictureMenuLoad = {nullptr, 64878};
const TResStringRec scxEditPictureMenuSaveAs = {nullptr, 64879};

const TResStringRec scxEditDateClearButton = {nullptr, 64848};
const TResStringRec scxEditDateTodayButton = {nullptr, 64849};
const TResStringRec scxEditDateInvalid = {nullptr, 64850};

const TResStringRec scxEditDateWordToday = {nullptr, 64851};
const TResStringRec scxEditDateWordYesterday = {nullptr, 64852};
const TResStringRec scxEditDateWordTomorrow = {nullptr, 64853};
const TResStringRec scxEditDateWordSunday = {nullptr, 64854};
const TResStringRec scxEditDateWordMonday = {nullptr, 64855};
const TResStringRec scxEditDateWordTuesday = {nullptr, 64856};
const TResStringRec scxEditDateWordWednesday = {nullptr, 64857};
const TResStringRec scxEditDateWordThursday = {nullptr, 64858};
const TResStringRec scxEditDateWordFriday = {nullptr, 64859};
const TResStringRec scxEditDateWordSaturday = {nullptr, 64860};
const TResStringRec scxEditDateWordWeekDay1 = {nullptr, 64861};
const TResStringRec scxEditDateWordWeekDay2 = {nullptr, 64862};
const TResStringRec scxEditDateWordWeekDay3 = {nullptr, 64863};
const TResStringRec scxEditDateWordWeekDay4 = {nullptr, 64832};
const TResStringRec scxEditDateWordWeekDay5 = {nullptr, 64833};
const TResStringRec scxEditDateWordWeekDay6 = {nullptr, 64834};
const TResStringRec scxEditDateWordWeekDay7 = {nullptr, 64835};
const TResStringRec scxEditDateWordMonthStart = {nullptr, 64836};
const TResStringRec scxEditDateWordMonthEnd = {nullptr, 64837};
const TResStringRec scxEditDateWordNow = {nullptr, 64838};

const TResStringRec scxEditCalcError = {nullptr, 64839};

const TResStringRec scxEditRegBlobEdit = {nullptr, 64840};
const TResStringRec scxEditRegButtonEdit = {nullptr, 64841};
const TResStringRec scxEditRegCalcEdit = {nullptr, 64842};
const TResStringRec scxEditRegCheckBox = {nullptr, 64843};
const TResStringRec scxEditRegComboBox = {nullptr, 64844};
const TResStringRec scxEditRegCurrencyEdit = {nullptr, 64845};
const TResStringRec scxEditRegDateEdit = {nullptr, 64846};
const TResStringRec scxEditRegHyperLink = {nullptr, 64847};
const TResStringRec scxEditRegImageComboBox = {nullptr, 64816};
const TResStringRec scxEditRegImage = {nullptr, 64817};
const TResStringRec scxEditRegLookupComboBox = {nullptr, 64818};
const TResStringRec scxEditRegMaskEdit = {nullptr, 64819};
const TResStringRec scxEditRegMemo = {nullptr, 64820};
const TResStringRec scxEditRegMRUEdit = {nullptr, 64821};
const TResStringRec scxEditRegPopupEdit = {nullptr, 64822};
const TResStringRec scxEditRegSpinEdit = {nullptr, 64823};
const TResStringRec scxEditRegRadioGroup = {nullptr, 64824};
const TResStringRec scxEditRegTextEdit = {nullptr, 64825};
const TResStringRec scxEditRegTimeEdit = {nullptr, 64826};

const TResStringRec scxEditErrorLine = {nullptr, 64827};
const TResStringRec scxEditErrorChar = {nullptr, 64828};

const TResStringRec scxMaskSourceStreamNotAssigned = {nullptr, 64829};
const TResStringRec scxMaskSourceStreamEmpty = {nullptr, 64830};
const TResStringRec scxRegExprPlusNotApplicable = {nullptr, 64831};
const TResStringRec scxRegExprStarNotApplicable = {nullptr, 64800};
const TResStringRec scxRegExprEmptyAlternative = {nullptr, 64801};
const TResStringRec scxRegExprEmptyBlock = {nullptr, 64802};
const TResStringRec scxRegExprIllegalSymbol = {nullptr, 64803};
const TResStringRec scxRegExprIllegalQuantifier = {nullptr, 64804};
const TResStringRec scxRegExprIllegalInteger = {nullptr, 64805};
const TResStringRec scxRegExprTooBigReference = {nullptr, 64806};
const TResStringRec scxRegExprEmptyEnumeration = {nullptr, 64807};
const TResStringRec scxRegExprSubrangeOrder = {nullptr, 64808};
const TResStringRec scxRegExprHexExpected = {nullptr, 64809};
const TResStringRec scxRegExprHexExpectedButFound = {nullptr, 64810};
const TResStringRec scxRegExprMissing = {nullptr, 64811};
const TResStringRec scxRegExprUnnecessary = {nullptr, 64812};
const TResStringRec scxRegExprSpaceAfterBackslash = {nullptr, 64813};
const TResStringRec scxRegExprNotCompiled = {nullptr, 64814};
const TResStringRec scxRegExprIncorrectParameterQuantifier = {nullptr, 64815};
const TResStringRec scxRegExprParameterQuantifierNotApplicable = {nullptr, 64784};
const TResStringRec scxRegExprErrors = {nullptr, 64785};
const TResStringRec scxMaskInvalidEditValue = {nullptr, 64786};
const TResStringRec scxEditInvalidNumericValue = {nullptr, 64787};
