// The masked editor's two regular-expression kinds on real windows under real keys: what
// typing, Backspace, Delete, the arrows and paste do to the text, the forced characters of
// the extended kind, completeness in validation, and the compiler's located messages for a
// bad expression.
#include <string>

#include "TestFramework.h"
#include "cx/editors/cxMaskEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/SysUtils.h"

using namespace guitest;

namespace {

// The messages the compiler itself gives for a source, one per line.
std::string compilerMessages(const std::string& ASource) {
  TcxRegExpr expression;
  TStringStream source(ASource);
  try {
    expression.Compile(&source);
  } catch (const EcxRegExprError& e) {
    std::string text;
    for (Integer i = 0; i < e.Errors()->Count(); ++i) text += "\r\n" + e.Errors()->Item(i)->Text();
    return text;
  }
  return std::string();
}

class RegExprMaskTest : public GuiTest {
protected:
  TForm* newForm() {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, 360, 160);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxMaskEdit* newEdit(TForm* Form, TcxEditMaskKind AKind, const std::string& AMask, Integer Y = 10) {
    auto* edit = New<TcxMaskEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, Y, 160, 21);
    edit->Properties()->SetMaskKind(AKind);
    edit->Properties()->SetEditMask(AMask);
    return edit;
  }
  // An editor of the kind with the mask, shown and focused.
  TcxMaskEdit* focusedEdit(TcxEditMaskKind AKind, const std::string& AMask) {
    TForm* form = newForm();
    TcxMaskEdit* edit = newEdit(form, AKind, AMask);
    showAndActivate(form);
    edit->SetFocus();
    EXPECT_TRUE(pumpUntil([&] { return GetFocus() == edit->InnerEdit()->WindowHandle(); }));
    pumpFor(20);
    return edit;
  }
  void press(WORD AKey, Integer ATimes = 1) {
    for (Integer i = 0; i < ATimes; ++i) pressKey(AKey);
    pumpFor(20);
  }
  void paste(const std::string& AText) {
    Clipboard()->SetAsText(AText);
    pressWith({VK_CONTROL}, 'V');
    pumpFor(30);
  }
  static std::string shown(TcxCustomMaskEdit* Edit) { return Edit->GetDisplayText(); }
  static Integer caret(TcxCustomMaskEdit* Edit) { return Edit->GetSelectionStart(); }
  static bool validates(TcxCustomMaskEdit* Edit, std::string* AErrorText = nullptr) {
    Variant display(Edit->GetDisplayText());
    std::string text;
    bool error = false;
    Edit->GetActiveMaskProperties()->ValidateDisplayValue(display, text, error, Edit);
    if (AErrorText) *AErrorText = text;
    return !error;
  }
  static std::string date(const std::string& ADigits) {
    // "1234" as the locale writes a day and a month: "12" separator "34".
    std::string text = ADigits.substr(0, 2);
    if (ADigits.size() >= 2) text += DateSeparator;
    return text + (ADigits.size() > 2 ? ADigits.substr(2) : std::string());
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Bad expressions

TEST(cxMaskEditRegExprMasks, BadExpressionsGiveTheCompilersLocatedMessagesAndKeepTheMask) {
  const char* badSources[] = {"a)(b", "a**", "a{3,2}", "{2}", "(a|)"};
  for (TcxEditMaskKind kind : {emkRegExpr, emkRegExprEx}) {
    TObjectPtr<TcxMaskEditProperties> properties(New<TcxMaskEditProperties>(nullptr));
    properties->SetMaskKind(kind);
    properties->SetEditMask("\\d+");
    for (const char* source : badSources) {
      SCOPED_TRACE(std::string("kind ") + (kind == emkRegExpr ? "regular" : "extended") + ", mask \"" + source +
                   "\"");
      const std::string located = compilerMessages(source);
      ASSERT_FALSE(located.empty()) << "the compiler refuses it";
      try {
        properties->SetEditMask(source);
        ADD_FAILURE() << "the mask was taken";
      } catch (const EcxMaskEditError& e) {
        EXPECT_EQ(e.Message(), cxGetResourceString(&scxRegExprErrors) + located);
      }
      EXPECT_EQ(properties->GetEditMask(), "\\d+");
    }
    try {
      properties->SetEditMask("a)(b");
      ADD_FAILURE() << "the mask was taken";
    } catch (const EcxMaskEditError& e) {
      EXPECT_EQ(e.Message(), cxGetResourceString(&scxRegExprErrors) + "\r\nLine1, Char2: Illegal ')'");
    }
  }
}

TEST_F(RegExprMaskTest, AnEditorRefusingABadExpressionKeepsEditingWithItsOldOne) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "\\d+");
  EXPECT_THROW(edit->Properties()->SetEditMask("(\\d"), EcxMaskEditError);
  typeText("4x2");
  EXPECT_EQ(shown(edit), "42");
}

TEST_F(RegExprMaskTest, AFixedPositionMaskChangedTogetherWithTheKindIsDroppedWhenNoExpression) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, emkStandard, "00-00");
  struct Case {
    const char* Mask;
    bool Kept;
  };
  // Both changes reach the editor in one notice; a mask the compiler refuses is not kept.
  const Case cases[] = {{"(00", false}, {"\\d\\d", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\"");
    edit->Properties()->SetMaskKind(emkStandard);
    edit->Properties()->SetEditMask("00-00");
    edit->Properties()->BeginUpdate();
    edit->Properties()->SetEditMask(c.Mask);
    edit->Properties()->SetMaskKind(emkRegExpr);
    EXPECT_NO_THROW(edit->Properties()->EndUpdate(true));
    EXPECT_EQ(edit->Properties()->GetEditMask(), c.Kept ? c.Mask : "");
    EXPECT_EQ(edit->IsMasked(), c.Kept);
  }
}

// ---------------------------------------------------------------------------------------
// The regular kind

TEST_F(RegExprMaskTest, TypingAcceptsOnlyWhatCanBeginAMatch) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "\\d+");
  typeText("a");
  EXPECT_EQ(shown(edit), "");
  typeText("12x3");
  EXPECT_EQ(shown(edit), "123");
  // An insertion before text that can still follow keeps it.
  press(VK_HOME);
  typeText("9");
  EXPECT_EQ(shown(edit), "9123");
  EXPECT_EQ(caret(edit), 1);
}

TEST_F(RegExprMaskTest, AnInsertionThatLeavesAnImpossibleRestCutsItOff) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "\\d\\d-\\d\\d");
  typeText("12-34");
  EXPECT_EQ(shown(edit), "12-34");
  press(VK_HOME);
  typeText("5");
  EXPECT_EQ(shown(edit), "5") << "12-34 cannot follow 5";
  EXPECT_EQ(caret(edit), 1);
}

TEST_F(RegExprMaskTest, DeleteAndBackspaceKeepTheRestWhenItStillFollows) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "[a-z]\\d+");
  struct Case {
    WORD Key;
    Integer Caret;
    const char* Result;
  };
  const Case cases[] = {
      {VK_DELETE, 0, ""},    // 12 cannot stand without the letter
      {VK_DELETE, 1, "a2"},
      {VK_DELETE, 3, "a12"},  // nothing after the caret
      {VK_BACK, 1, ""},       // the same as Delete before the letter
      {VK_BACK, 2, "a2"},
      {VK_BACK, 0, "a12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Key == VK_DELETE ? "Delete" : "Backspace") + " at " + std::to_string(c.Caret));
    press(VK_END);
    press(VK_BACK, 3);
    typeText("a12");
    ASSERT_EQ(shown(edit), "a12");
    press(VK_HOME);
    press(VK_RIGHT, c.Caret);
    press(c.Key);
    EXPECT_EQ(shown(edit), c.Result);
  }
}

TEST_F(RegExprMaskTest, ASelectionIsReplacedOrDeletedAsAWhole) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "[a-z]\\d+");
  typeText("a123");
  // Select "12" and type a digit over it.
  press(VK_HOME);
  press(VK_RIGHT);
  pressKey(VK_RIGHT, true);
  pressKey(VK_RIGHT, true);
  pumpFor(20);
  ASSERT_EQ(edit->SelText(), "12");
  typeText("7");
  EXPECT_EQ(shown(edit), "a73");
  // A letter cannot replace it: the selection and the text stay.
  press(VK_HOME);
  pressKey(VK_RIGHT, true);
  pumpFor(20);
  typeText("5");
  EXPECT_EQ(shown(edit), "a73");
  // Deleting the letter with the selection leaves digits that cannot stand alone.
  press(VK_DELETE);
  EXPECT_EQ(shown(edit), "");
}

TEST_F(RegExprMaskTest, CaseInsensitiveLettersComeInThePatternsCase) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "ab\\d");
  typeText("AB1");
  EXPECT_EQ(shown(edit), "ab1");
  press(VK_BACK, 3);
  edit->Properties()->SetCaseInsensitive(false);
  typeText("A");
  EXPECT_EQ(shown(edit), "") << "case matters now";
  typeText("ab");
  EXPECT_EQ(shown(edit), "ab");
}

TEST_F(RegExprMaskTest, PastedTextKeepsOnlyWhatTheExpressionAccepts) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "\\d+");
  typeText("12");
  paste("3a4");
  EXPECT_EQ(shown(edit), "1234");
  typeText("5");
  EXPECT_EQ(shown(edit), "12345") << "typing goes on at the end of the paste";
}

TEST_F(RegExprMaskTest, CutRemovesTheSelectionAndLeavesAValidText) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "[a-z]\\d+");
  typeText("a12");
  press(VK_END);
  pressKey(VK_LEFT, true);
  pumpFor(20);
  pressWith({VK_CONTROL}, 'X');
  pumpFor(30);
  EXPECT_EQ(shown(edit), "a1");
  EXPECT_EQ(Clipboard()->AsText(), "2");
}

TEST_F(RegExprMaskTest, CompletenessDecidesValidation) {
  TcxMaskEdit* edit = focusedEdit(emkRegExpr, "\\d\\d-\\d\\d");
  std::string error;
  EXPECT_TRUE(validates(edit)) << "an empty text is valid";
  typeText("12-");
  EXPECT_FALSE(validates(edit, &error)) << "a beginning is not a match";
  EXPECT_EQ(error, cxGetResourceString(&scxMaskInvalidEditValue));
  edit->Properties()->SetIgnoreMaskBlank(true);
  EXPECT_TRUE(validates(edit)) << "unless blanks are ignored";
  edit->Properties()->SetIgnoreMaskBlank(false);
  typeText("34");
  EXPECT_TRUE(validates(edit));
  // The mode's own check refuses a text the expression refuses, whatever is shown.
  EXPECT_FALSE(edit->Mode()->IsValidText("1x-34"));
  pressKey(VK_ESCAPE);
  pumpFor(20);
}

// ---------------------------------------------------------------------------------------
// The extended kind

TEST_F(RegExprMaskTest, ForcedCharactersAreTypedAndRemovedWithTheCharacterBeforeThem) {
  TcxMaskEdit* edit = focusedEdit(emkRegExprEx, "\\d\\d/\\d\\d");
  typeText("12");
  EXPECT_EQ(shown(edit), date("12"));
  EXPECT_EQ(caret(edit), 3) << "the caret stands after the separator";
  press(VK_BACK);
  EXPECT_EQ(shown(edit), "1") << "the separator went with the 2";
  EXPECT_EQ(caret(edit), 1);
  typeText("2x345");
  EXPECT_EQ(shown(edit), date("1234"));
  EXPECT_TRUE(validates(edit));
}

TEST_F(RegExprMaskTest, TheCaretJumpsOverForcedCharacters) {
  TcxMaskEdit* edit = focusedEdit(emkRegExprEx, "\\d\\d/\\d\\d");
  typeText("1234");
  press(VK_HOME);
  press(VK_RIGHT);
  EXPECT_EQ(caret(edit), 1);
  press(VK_RIGHT);
  EXPECT_EQ(caret(edit), 3) << "the 2 and its separator are one step";
  press(VK_LEFT);
  EXPECT_EQ(caret(edit), 1);
  // Delete before the 2 takes the separator with it; the 3 and 4 cannot follow 1 then.
  press(VK_DELETE);
  EXPECT_EQ(shown(edit), "1");
  // Delete of the 3 keeps the 4, which can stand right after the separator.
  press(VK_BACK);
  typeText("1234");
  press(VK_HOME);
  press(VK_RIGHT, 2);
  ASSERT_EQ(caret(edit), 3);
  press(VK_DELETE);
  EXPECT_EQ(shown(edit), date("124"));
  EXPECT_EQ(caret(edit), 3);
  // With Shift the selection grows and shrinks by whole units too.
  press(VK_HOME);
  pressKey(VK_RIGHT, true);
  pressKey(VK_RIGHT, true);
  pumpFor(20);
  EXPECT_EQ(edit->SelText(), date("12"));
  pressKey(VK_LEFT, true);
  pumpFor(20);
  EXPECT_EQ(edit->SelText(), "1");
  press(VK_END);
  pressKey(VK_LEFT, true);
  pressKey(VK_LEFT, true);
  pumpFor(20);
  EXPECT_EQ(edit->SelText(), std::string("2") + DateSeparator + "4") << "leftwards from the end: the 4, then the 2 with its separator";
}

TEST_F(RegExprMaskTest, AForcedBeginningIsTheEmptyValueAndCannotBeDeleted) {
  TcxMaskEdit* edit = focusedEdit(emkRegExprEx, "'(' \\d\\d ')'");
  TcxMaskEditCustomMode* mode = edit->Mode();
  EXPECT_EQ(mode->EmptyValue(), "(");
  EXPECT_TRUE(mode->IsValidText("(")) << "the forced beginning alone is valid, though no match";
  EXPECT_FALSE(mode->IsValidText("(1"));
  EXPECT_TRUE(mode->IsValidText("(12)"));
  typeText("12");
  EXPECT_EQ(shown(edit), "(12)") << "typing starts after the forced beginning; the end is forced too";
  press(VK_HOME);
  press(VK_DELETE);
  EXPECT_EQ(shown(edit), "(12)") << "Delete before the forced beginning is refused";
  press(VK_RIGHT);
  EXPECT_EQ(caret(edit), 1);
  press(VK_BACK);
  EXPECT_EQ(shown(edit), "(12)") << "Backspace right after it is refused";
  press(VK_END);
  press(VK_BACK, 3);
  EXPECT_EQ(shown(edit), "(") << "the digits went, the beginning stays";
  typeText("7");
  EXPECT_EQ(shown(edit), "(7");
}

TEST_F(RegExprMaskTest, ReplacingASelectionInTheExtendedKind) {
  TcxMaskEdit* edit = focusedEdit(emkRegExprEx, "'(' \\d\\d ')'");
  typeText("12");
  ASSERT_EQ(shown(edit), "(12)");
  // Everything selected: the forced beginning stays and the typed digit follows it.
  edit->SelectAllText();
  pumpFor(20);
  typeText("9");
  EXPECT_EQ(shown(edit), "(9");
  EXPECT_EQ(caret(edit), 2);
  edit->SelectAllText();
  pumpFor(20);
  press(VK_DELETE);
  EXPECT_EQ(shown(edit), "(");
}

TEST_F(RegExprMaskTest, PasteIntoTheExtendedKindKeepsAcceptedCharactersAndTheForcedOnesDue) {
  TcxMaskEdit* edit = focusedEdit(emkRegExprEx, "\\d\\d/\\d\\d");
  paste(date("1234"));
  EXPECT_EQ(shown(edit), date("1234"));
  edit->SelectAllText();
  pumpFor(20);
  // Without its separator only the first two digits fit; the separator they force follows.
  paste("1234");
  EXPECT_EQ(shown(edit), date("12"));
  typeText("56");
  EXPECT_EQ(shown(edit), date("1256"));
}

// ---------------------------------------------------------------------------------------
// The picture

namespace {

Integer inkedPixels(TWinControl* AControl) {
  TBitmap shot;
  captureClient(AControl, shot);
  Integer count = 0;
  for (Integer x = 0; x < shot.Width(); ++x)
    for (Integer y = 0; y < shot.Height(); ++y)
      if ((pixelAt(shot, x, y) & 0xFFFFFF) < 0x404040) ++count;
  return count;
}

}  // namespace

TEST_F(RegExprMaskTest, ExpressionMaskedEditorsShowTheirText) {
  TForm* form = newForm();
  TcxMaskEdit* regular = newEdit(form, emkRegExpr, "\\d+", 10);
  TcxMaskEdit* extended = newEdit(form, emkRegExprEx, "'(' \\d\\d ')' \\d\\d/\\d\\d", 40);
  showAndActivate(form);
  regular->SetFocus();
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == regular->InnerEdit()->WindowHandle(); }));
  typeText("2026x");
  extended->SetFocus();
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == extended->InnerEdit()->WindowHandle(); }));
  pumpFor(40);
  EXPECT_EQ(shown(extended), "(") << "focused, the empty extended editor shows its forced beginning";
  const Integer before = inkedPixels(extended);
  typeText("4512");
  EXPECT_EQ(shown(regular), "2026");
  EXPECT_EQ(shown(extended), "(45)" + date("12"));
  pumpFor(40);
  EXPECT_GT(inkedPixels(extended), before) << "the typed and forced characters are drawn";
  TBitmap shot;
  captureWindow(form->Handle(), shot);
  EXPECT_FALSE(savePng(shot, "cxMaskEdit_regexpr").empty());
  pressKey(VK_ESCAPE);
  pumpFor(20);
}

TEST_F(RegExprMaskTest, LeavingAnIncompleteExpressionEditorIsRefusedAndACompleteOnePosts) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, emkRegExprEx, "\\d\\d/\\d\\d");
  TEdit* other = New<TEdit>(form);
  other->SetParent(form);
  other->SetBounds(250, 100, 60, 22);
  showAndActivate(form);
  edit->SetFocus();
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == edit->InnerEdit()->WindowHandle(); }));
  typeText("123");
  other->SetFocus();
  pumpFor(40);
  ASSERT_EQ(boxes().Calls().size(), 1u) << "an incomplete text cannot leave";
  EXPECT_EQ(boxes().Calls()[0].Text.rfind(cxGetResourceString(&scxMaskInvalidEditValue), 0), 0u)
      << boxes().Calls()[0].Text;
  expectBoxes();
  EXPECT_TRUE(VarToStr(edit->EditValue()).empty()) << "nothing was posted";
  edit->SetFocus();
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == edit->InnerEdit()->WindowHandle(); }));
  press(VK_END);
  typeText("4");
  other->SetFocus();
  pumpFor(40);
  EXPECT_TRUE(boxes().Calls().empty());
  EXPECT_EQ(VarToStr(edit->EditValue()), date("1234"));
}
