#include <map>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDataConsts.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxFilterConsts.h"

namespace {

struct TextCase {
  PResStringRec record;
  const char* text;
};

// The texts as the component set shows them, in declaration order.
const std::vector<TextCase>& dataTexts() {
  static const std::vector<TextCase> texts = {
      {&scxDataStreamReadError, "Stream read error"},
      {&scxDataStreamWriteError, "Stream write error"},
      {&scxDataItemExists, "Item already exists"},
      {&scxDataRecordIndexOutOfRange, "RecordIndex out of range"},
      {&scxDataItemIndexOutOfRange, "ItemIndex out of range"},
      {&scxDataRowIndexOutOfRange, "RowIndex out of range"},
      {&scxDataDetailFilterControllerNotFound, "DetailFilterController not found"},
      {&scxDataNotInGridMode, "DataController not in GridMode"},
  };
  return texts;
}

const std::vector<TextCase>& editTexts() {
  static const std::vector<TextCase> texts = {
      {&scxEditDateConvertError, "Could not convert to date"},
      {&scxEditRepositoryItemError, "The repository item is not acceptable"},
      {&scxEditNumericConvertError, "Não pode converter para um valor numérico"},
      {&scxEditCircularReferenceError, "Circular referencing is not allowed"},
      {&scxEditTimeConvertError, "Could not convert to time"},
      {&scxEditInvalidInputError, "Valor de entrada inválido. Utilize ESC para abandonar alterações"},
      {&scxEditValueOutOfBounds, "Value out of bounds"},
      {&scxEditTrueCaption, "Verdadeiro"},
      {&scxEditTrueCaptionBlank, ""},
      {&scxEditFalseCaption, "Falso"},
      {&scxEditFalseCaptionBlank, ""},
      {&scxEditOKButton, "&OK"},
      {&scxEditCancelButton, "&Cancelar"},
      {&scxEditCloseButton, "&Fechar"},
      {&scxEditBlobText, "(Texto)"},
      {&scxEditBlobNullText, "(texto)"},
      {&scxEditBlobPicture, "(FIGURA)"},
      {&scxEditBlobNullPicture, "(figura)"},
      {&scxEditPictureMenuCut, "Recor&tar"},
      {&scxEditPictureMenuCopy, "&Copiar"},
      {&scxEditPictureMenuPaste, "Co&lar"},
      {&scxEditPictureMenuDelete, "&Excluir"},
      {&scxEditPictureMenuLoad, "C&arregar..."},
      {&scxEditPictureMenuSaveAs, "Sal&var Como..."},
      {&scxEditDateClearButton, "Limpar"},
      {&scxEditDateTodayButton, "Hoje"},
      {&scxEditDateInvalid, "Data inválida"},
      {&scxEditDateWordToday, "hoje"},
      {&scxEditDateWordYesterday, "ontem"},
      {&scxEditDateWordTomorrow, "amanhã"},
      {&scxEditDateWordSunday, "Domingo"},
      {&scxEditDateWordMonday, "Segunda"},
      {&scxEditDateWordTuesday, "Terça"},
      {&scxEditDateWordWednesday, "Quarta"},
      {&scxEditDateWordThursday, "Quinta"},
      {&scxEditDateWordFriday, "Sexta"},
      {&scxEditDateWordSaturday, "Sábado"},
      {&scxEditDateWordWeekDay1, "primeiro"},
      {&scxEditDateWordWeekDay2, "segundo"},
      {&scxEditDateWordWeekDay3, "terceiro"},
      {&scxEditDateWordWeekDay4, "quarta"},
      {&scxEditDateWordWeekDay5, "quinta"},
      {&scxEditDateWordWeekDay6, "sexta"},
      {&scxEditDateWordWeekDay7, "sétimo"},
      {&scxEditDateWordMonthStart, "bom"},
      {&scxEditDateWordMonthEnd, "eom"},
      {&scxEditDateWordNow, "hoje"},
      {&scxEditCalcError, "Erro"},
      {&scxEditRegBlobEdit, "BlobEdit|Represents the BLOB editor"},
      {&scxEditRegButtonEdit, "ButtonEdit|Represents an edit control with embedded buttons"},
      {&scxEditRegCalcEdit, "CalcEdit|Represents an edit control with a dropdown calculator window"},
      {&scxEditRegCheckBox, "CheckBox|Represents a check box control that allows selecting an option"},
      {&scxEditRegComboBox, "ComboBox|Represents the combo box editor"},
      {&scxEditRegCurrencyEdit, "CurrencyEdit|Represents an editor enabling editing currency data"},
      {&scxEditRegDateEdit, "DateEdit|Represents an edit control with a dropdown calendar"},
      {&scxEditRegHyperLink, "HyperLink|Represents a text editor with hyperlink functionality"},
      {&scxEditRegImageComboBox, "ImageComboBox|Represents an editor displaying the list of images and text strings within the dropdown window"},
      {&scxEditRegImage, "Image|Represents an image editor"},
      {&scxEditRegLookupComboBox, "LookupComboBox|Represents a lookup combo box control"},
      {&scxEditRegMaskEdit, "MaskEdit|Represents a generic masked edit control."},
      {&scxEditRegMemo, "Memo|Represents an edit control that allows editing memo data"},
      {&scxEditRegMRUEdit, "MRUEdit|Represents a text editor displaying the list of most recently used items (MRU) within a dropdown window"},
      {&scxEditRegPopupEdit, "PopupEdit|Represents an edit control with a dropdown list"},
      {&scxEditRegSpinEdit, "SpinEdit|Represents a spin editor"},
      {&scxEditRegRadioGroup, "RadioGroup|Represents a group of radio buttons"},
      {&scxEditRegTextEdit, "TextEdit|Represents a single line text editor"},
      {&scxEditRegTimeEdit, "TimeEdit|Represents an editor displaying time values"},
      {&scxEditErrorLine, "Line"},
      {&scxEditErrorChar, "Char"},
      {&scxMaskSourceStreamNotAssigned, "The source stream is not assigned"},
      {&scxMaskSourceStreamEmpty, "The source stream is empty"},
      {&scxRegExprPlusNotApplicable, "The '+' quantifier cannot be applied here"},
      {&scxRegExprStarNotApplicable, "The '*' quantifier cannot be applied here"},
      {&scxRegExprEmptyAlternative, "The alternative should not be empty"},
      {&scxRegExprEmptyBlock, "The block should not be empty"},
      {&scxRegExprIllegalSymbol, "Illegal '%s'"},
      {&scxRegExprIllegalQuantifier, "Illegal quantifier '%s'"},
      {&scxRegExprIllegalInteger, "Illegal integer value"},
      {&scxRegExprTooBigReference, "Too big reference number"},
      {&scxRegExprEmptyEnumeration, "Can't create empty enumeration"},
      {&scxRegExprSubrangeOrder, "The starting character of the subrange must be less than the finishing one"},
      {&scxRegExprHexExpected, "Hexadecimal number expected"},
      {&scxRegExprHexExpectedButFound, "Hexadecimal number expected but '%s' found"},
      {&scxRegExprMissing, "Missing '%s'"},
      {&scxRegExprUnnecessary, "Unnecessary '%s'"},
      {&scxRegExprSpaceAfterBackslash, "The space character is not allowed after '\\'"},
      {&scxRegExprNotCompiled, "Regular expression is not compiled"},
      {&scxRegExprIncorrectParameterQuantifier, "Incorrect parameter quantifier"},
      {&scxRegExprParameterQuantifierNotApplicable, "The parameter quantifier cannot be applied here"},
      {&scxRegExprErrors, "Regular expression errors:"},
      {&scxMaskInvalidEditValue, "The edit value is invalid"},
      {&scxEditInvalidNumericValue, "Invalid numeric value"},
  };
  return texts;
}

const std::vector<TextCase>& filterTexts() {
  static const std::vector<TextCase> texts = {
      {&scxFilterOperatorEqual, "equals"},
      {&scxFilterOperatorNotEqual, "does not equal"},
      {&scxFilterOperatorLess, "is less than"},
      {&scxFilterOperatorLessEqual, "is less than or equal to"},
      {&scxFilterOperatorGreater, "is greater than"},
      {&scxFilterOperatorGreaterEqual, "is greater than or equal to"},
      {&scxFilterOperatorLike, "like"},
      {&scxFilterOperatorNotLike, "not like"},
      {&scxFilterOperatorBetween, "between"},
      {&scxFilterOperatorNotBetween, "not between"},
      {&scxFilterOperatorInList, "in"},
      {&scxFilterOperatorNotInList, "not in"},
      {&scxFilterOperatorYesterday, "is yesterday"},
      {&scxFilterOperatorToday, "is today"},
      {&scxFilterOperatorTomorrow, "is tomorrow"},
      {&scxFilterOperatorLastWeek, "is last week"},
      {&scxFilterOperatorLastMonth, "is last month"},
      {&scxFilterOperatorLastYear, "is last year"},
      {&scxFilterOperatorThisWeek, "is this week"},
      {&scxFilterOperatorThisMonth, "is this month"},
      {&scxFilterOperatorThisYear, "is this year"},
      {&scxFilterOperatorNextWeek, "is next week"},
      {&scxFilterOperatorNextMonth, "is next month"},
      {&scxFilterOperatorNextYear, "is next year"},
      {&scxFilterAndCaption, "and"},
      {&scxFilterOrCaption, "or"},
      {&scxFilterNotCaption, "not"},
      {&scxFilterBlankCaption, "blank"},
      {&scxFilterOperatorIsNull, "is blank"},
      {&scxFilterOperatorIsNotNull, "is not blank"},
      {&scxFilterOperatorBeginsWith, "begins with"},
      {&scxFilterOperatorDoesNotBeginWith, "does not begin with"},
      {&scxFilterOperatorEndsWith, "ends with"},
      {&scxFilterOperatorDoesNotEndWith, "does not end with"},
      {&scxFilterOperatorContains, "contains"},
      {&scxFilterOperatorDoesNotContain, "does not contain"},
      {&scxFilterBoxAllCaption, "(All)"},
      {&scxFilterBoxCustomCaption, "(Custom...)"},
      {&scxFilterBoxBlanksCaption, "(Blanks)"},
      {&scxFilterBoxNonBlanksCaption, "(NonBlanks)"},
  };
  return texts;
}

}  // namespace

// Every text is in the string table under its record's number, exactly, and reads the same
// through the overridable lookup.
TEST(cxTextTables, EveryTextIsInTheStringTable) {
  struct Table {
    const char* unit;
    const std::vector<TextCase>& texts;
    size_t count;
  };
  const Table tables[] = {{"data", dataTexts(), 8}, {"editor", editTexts(), 92}, {"filter", filterTexts(), 40}};
  for (const Table& t : tables) {
    EXPECT_EQ(t.texts.size(), t.count) << t.unit << " texts";
    for (const TextCase& c : t.texts) {
      EXPECT_EQ(LoadResString(c.record), c.text) << t.unit << " string " << c.record->Identifier;
      EXPECT_EQ(cxGetResourceString(c.record), c.text) << t.unit << " string " << c.record->Identifier;
    }
  }
}

TEST(cxTextTables, NoTwoTextsShareANumber) {
  std::map<Integer, std::string> seen;
  for (const auto* texts : {&dataTexts(), &editTexts(), &filterTexts()})
    for (const TextCase& c : *texts) {
      auto [it, added] = seen.emplace(c.record->Identifier, c.text);
      EXPECT_TRUE(added) << "\"" << c.text << "\" and \"" << it->second << "\" share " << c.record->Identifier;
      EXPECT_EQ(c.record->Module, nullptr) << "the texts live in the program's own string table";
    }
}

TEST(cxTextTables, EditorTextsKeepTheirKnownNumbers) {
  EXPECT_EQ(scxEditRepositoryItemError.Identifier, 64889);
  EXPECT_EQ(scxEditNumericConvertError.Identifier, 64890);
  EXPECT_EQ(scxEditInvalidInputError.Identifier, 64893);
  EXPECT_EQ(scxEditValueOutOfBounds.Identifier, 64894);
  EXPECT_EQ(scxEditInvalidNumericValue.Identifier, 64787);
}

TEST(cxTextTables, ARunTimeOverrideReplacesATextThroughTheLookup) {
  const std::string original = cxGetResourceString(&scxEditDateInvalid);
  ASSERT_EQ(original, "Data inv\xE1lida");
  cxSetResourceString(&scxEditDateInvalid, "Data incorreta");
  EXPECT_EQ(cxGetResourceString(&scxEditDateInvalid), "Data incorreta");
  EXPECT_EQ(LoadResString(&scxEditDateInvalid), original) << "the string table itself is unchanged";
  EXPECT_EQ(cxGetResourceString(&scxEditDateTodayButton), "Hoje") << "other texts are not touched";
  cxSetResourceString(&scxEditDateInvalid, original);
}

// ---------------------------------------------------------------------------------------
// The filter texts' hook.

namespace {

std::string shoutingLookup(PResStringRec AResString) {
  std::string text = "[";
  text += LoadResString(AResString);
  text += "]";
  return text;
}

// Sets the hook for one test and puts the previous one back.
struct cxFilterTextHook : ::testing::Test {
  FilterResourceStringHook saved = GetFilterResourceStringHook();
  void TearDown() override { SetFilterResourceStringHook(saved); }
};

}  // namespace

TEST_F(cxFilterTextHook, WithoutAHookTheStringTableGivesTheText) {
  SetFilterResourceStringHook(nullptr);
  const std::string original = LoadResString(&scxFilterOperatorEqual);
  cxSetResourceString(&scxFilterOperatorEqual, "igual a");
  EXPECT_EQ(cxGetFilterResourceString(&scxFilterOperatorEqual), "equals")
      << "before the editor framework starts, overrides do not reach the filter texts";
  cxSetResourceString(&scxFilterOperatorEqual, original);
  EXPECT_EQ(cxGetFilterResourceString(&scxFilterBoxNonBlanksCaption), "(NonBlanks)");
}

TEST_F(cxFilterTextHook, WithTheOverridableLookupAsHookOverridesReachTheFilterTexts) {
  SetFilterResourceStringHook(&cxGetResourceString);
  const std::string original = LoadResString(&scxFilterOperatorEqual);
  cxSetResourceString(&scxFilterOperatorEqual, "igual a");
  std::string overridden = cxGetFilterResourceString(&scxFilterOperatorEqual);
  std::string other = cxGetFilterResourceString(&scxFilterOperatorNotEqual);
  cxSetResourceString(&scxFilterOperatorEqual, original);
  EXPECT_EQ(overridden, "igual a");
  EXPECT_EQ(other, "does not equal");
  EXPECT_EQ(cxGetFilterResourceString(&scxFilterOperatorEqual), "equals") << "after restoring the override";
}

TEST_F(cxFilterTextHook, AnyHookAnswersForEveryFilterText) {
  SetFilterResourceStringHook(&shoutingLookup);
  EXPECT_EQ(GetFilterResourceStringHook(), &shoutingLookup);
  for (const TextCase& c : filterTexts())
    EXPECT_EQ(cxGetFilterResourceString(c.record), std::string("[") + c.text + "]") << c.record->Identifier;
}
