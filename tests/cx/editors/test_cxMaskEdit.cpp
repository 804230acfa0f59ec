// The masked editor: its mask settings (effective mask, bad expressions, kind changes), the
// value shown focused and unfocused, completeness in validation, and, on a real window under
// real keys, the overwrite editing of a fixed-position mask.
#include <string>

#include "TestFramework.h"
#include "cx/editors/cxMaskEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using namespace guitest;

namespace {

std::string validationError(TcxCustomMaskEdit* Edit, bool& AError) {
  Variant display(Edit->GetDisplayText());
  std::string text;
  AError = false;
  Edit->GetActiveMaskProperties()->ValidateDisplayValue(display, text, AError, Edit);
  return text;
}

class MaskEditTest : public GuiTest {
protected:
  TForm* newForm() {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, 360, 160);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxMaskEdit* newEdit(TForm* Form, const std::string& AMask, Integer Y = 10) {
    auto* edit = New<TcxMaskEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, Y, 160, 21);
    edit->Properties()->SetEditMask(AMask);
    return edit;
  }
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(250, 100, 60, 22);
    return edit;
  }
  void focusAndWait(TcxCustomMaskEdit* Edit) {
    Edit->SetFocus();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == Edit->InnerEdit()->WindowHandle(); }));
    pumpFor(20);
  }
  static std::string shown(TcxCustomMaskEdit* Edit) { return Edit->GetDisplayText(); }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Settings

TEST(cxMaskEditProperties, BlankMasksLeaveTheEditorUnmasked) {
  TObjectPtr<TcxMaskEditProperties> properties(New<TcxMaskEditProperties>(nullptr));
  struct Case {
    const char* Mask;
    bool Masked;
  };
  const Case cases[] = {{"", false}, {" \t\r\n\f", false}, {"00-00", true}, {" 0", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.Mask + "\"");
    properties->SetEditMask(c.Mask);
    EXPECT_EQ(properties->IsMasked(), c.Masked);
  }
  properties->SetEditMask("");
  properties->SetMaxLength(5);
  EXPECT_EQ(properties->GetMaxLength(), 5) << "an unmasked editor keeps its maximum length";
  properties->SetEditMask("00-00");
  properties->SetMaxLength(5);
  EXPECT_EQ(properties->GetMaxLength(), 0) << "a masked editor has no maximum length of its own";
  EXPECT_TRUE(properties->ValidateOnEnter());
}

TEST(cxMaskEditProperties, ABadExpressionIsRefusedWithTheCompilersMessagesAndTheMaskStays) {
  TObjectPtr<TcxMaskEditProperties> properties(New<TcxMaskEditProperties>(nullptr));
  properties->SetMaskKind(emkRegExpr);
  properties->SetEditMask("[0-9]+");
  try {
    properties->SetEditMask("(ab");
    FAIL() << "an unclosed group is no expression";
  } catch (const EcxMaskEditError& e) {
    const std::string heading = cxGetResourceString(&scxRegExprErrors);
    EXPECT_EQ(e.Message().rfind(heading + "\r\n", 0), 0u) << e.Message();
    EXPECT_GT(e.Message().size(), heading.size() + 2) << "each error follows on its own line";
  }
  EXPECT_EQ(properties->GetEditMask(), "[0-9]+");
  // The fixed-position kind takes any text: it has no compiler.
  properties->SetMaskKind(emkStandard);
  EXPECT_NO_THROW(properties->SetEditMask("(ab"));
}

TEST(cxMaskEditProperties, UnfocusedStandardValuesShowWithoutBlanksUnlessAsked) {
  TObjectPtr<TcxMaskEditProperties> properties(New<TcxMaskEditProperties>(nullptr));
  properties->SetEditMask("00-00");
  struct Case {
    const char* Value;
    bool Focused;
    bool AlwaysShow;
    const char* Shown;
  };
  const Case cases[] = {
      {"12-3 ", true, false, "12-3_"},
      {"12-3 ", false, false, "12-3 "},
      {"12-3 ", false, true, "12-3_"},
      {"", true, false, "__-__"},
      {"", false, false, "  -  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("value \"") + c.Value + "\"" + (c.Focused ? " focused" : " unfocused") +
                 (c.AlwaysShow ? " always showing blanks" : ""));
    properties->SetAlwaysShowBlanksAndLiterals(c.AlwaysShow);
    Variant display;
    properties->ConvertEditToDisplayValue(Variant(std::string(c.Value)), display, c.Focused);
    EXPECT_EQ(VarToStr(display), c.Shown);
  }
}

// ---------------------------------------------------------------------------------------
// The editor under real keys

TEST_F(MaskEditTest, AnEmptyMaskEditsLikeTheTextEditorMaxLengthIncluded) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "");
  edit->Properties()->SetMaxLength(4);
  showAndActivate(form);
  focusAndWait(edit);
  typeText("abcdef");
  EXPECT_EQ(edit->Text(), "abcd");
  pressKey(VK_LEFT);
  pressKey(VK_BACK);
  pumpFor(20);
  EXPECT_EQ(edit->Text(), "abd") << "Backspace deletes as in a plain edit";
}

TEST_F(MaskEditTest, TypingOverwritesSkipsLiteralsAndRefusesWrongCharacters) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "00-00");
  showAndActivate(form);
  focusAndWait(edit);
  EXPECT_EQ(shown(edit), "__-__") << "focused, the blanks show";
  pressKey(VK_HOME);
  typeText("123");
  EXPECT_EQ(shown(edit), "12-3_");
  EXPECT_EQ(edit->GetSelectionStart(), 4) << "the caret skipped the literal";
  EXPECT_EQ(edit->GetSelectionLength(), 1) << "the caret is a one-character selection";
  typeText("x");
  EXPECT_EQ(shown(edit), "12-3_") << "a letter has no place in a digit position";
  EXPECT_EQ(edit->GetSelectionStart(), 4);
  // Typing over a filled position replaces it.
  pressKey(VK_HOME);
  typeText("9");
  EXPECT_EQ(shown(edit), "92-3_");
  EXPECT_EQ(edit->GetSelectionStart(), 1);
  EXPECT_EQ(edit->Text(), "92-3 ") << "the control text has blanks as spaces";
}

TEST_F(MaskEditTest, BackspaceDeleteAndArrowsWorkOnPositions) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "00-00");
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_HOME);
  typeText("1234");
  EXPECT_EQ(shown(edit), "12-34");
  pressKey(VK_BACK);
  pumpFor(20);
  EXPECT_EQ(shown(edit), "12-3_") << "Backspace blanks the position before the caret";
  EXPECT_EQ(edit->GetSelectionStart(), 4);
  pressKey(VK_LEFT);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 3);
  pressKey(VK_LEFT);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 1) << "Left skips the literal";
  pressKey(VK_DELETE);
  pumpFor(20);
  EXPECT_EQ(shown(edit), "1_-3_") << "Delete blanks without moving";
  EXPECT_EQ(edit->GetSelectionStart(), 1);
  pressKey(VK_RIGHT);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 3) << "Right skips the literal";
  pressKey(VK_END);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 5);
  pressKey(VK_HOME);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 0);
}

TEST_F(MaskEditTest, HomeSkipsALeadingLiteral) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "(000)");
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_END);
  pressKey(VK_HOME);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 1);
  typeText("42");
  EXPECT_EQ(shown(edit), "(42_)");
}

TEST_F(MaskEditTest, PastedTextOverwritesFromTheCaretAndIsFittedIntoTheMask) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "00-00");
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_HOME);
  Clipboard()->SetAsText("1234");
  pressWith({VK_CONTROL}, 'V');
  pumpFor(30);
  EXPECT_EQ(shown(edit), "12-34") << "the digits went around the literal";
  EXPECT_EQ(edit->GetSelectionStart(), 4);
  // Characters the mask cannot take are dropped, not typed into digit positions.
  pressKey(VK_HOME);
  Clipboard()->SetAsText("ab");
  pressWith({VK_CONTROL}, 'V');
  pumpFor(30);
  EXPECT_EQ(shown(edit).find_first_of("ab"), std::string::npos) << shown(edit);
}

TEST_F(MaskEditTest, APasteIsFittedInItsOwnOrder) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "L0");
  showAndActivate(form);
  focusAndWait(edit);
  struct Case {
    const char* Pasted;
    const char* Shown;
  };
  // A character never goes back into a position an earlier one skipped: "1a" is no "a1".
  const Case cases[] = {{"a1", "a1"}, {"1a", "_1"}, {"a", "a_"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("pasted \"") + c.Pasted + "\"");
    pressKey(VK_HOME);
    pressKey(VK_DELETE);
    pressKey(VK_RIGHT);
    pressKey(VK_DELETE);
    pressKey(VK_HOME);
    pumpFor(20);
    ASSERT_EQ(shown(edit), "__");
    Clipboard()->SetAsText(c.Pasted);
    pressWith({VK_CONTROL}, 'V');
    pumpFor(30);
    EXPECT_EQ(shown(edit), c.Shown);
  }
}

TEST_F(MaskEditTest, AnIgnoredBlankMaskValidatesButAHalfFilledOneDoesNot) {
  TForm* form = newForm();
  TcxMaskEdit* lenient = newEdit(form, "00-00");
  lenient->Properties()->SetIgnoreMaskBlank(true);
  showAndActivate(form);
  focusAndWait(lenient);
  bool error = false;
  std::string text = validationError(lenient, error);
  EXPECT_FALSE(error) << "an untouched editor is accepted when blanks are ignored: " << text;
  pressKey(VK_HOME);
  typeText("1");
  text = validationError(lenient, error);
  EXPECT_TRUE(error) << "a half-filled one is not";
  EXPECT_EQ(text, cxGetResourceString(&scxMaskInvalidEditValue));
  pressKey(VK_ESCAPE);
  pumpFor(20);
}

TEST_F(MaskEditTest, LeavingAnIncompleteEditorReportsTheErrorAndACompleteOnePostsItsValue) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "00-00");
  TEdit* other = focusHolder(form);
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_HOME);
  typeText("123");
  EXPECT_EQ(edit->Text(), "12-3 ") << "the control text has blanks as spaces";
  other->SetFocus();
  pumpFor(40);
  ASSERT_EQ(boxes().Calls().size(), 1u) << "an incomplete text cannot leave";
  EXPECT_EQ(boxes().Calls()[0].Text.rfind(cxGetResourceString(&scxMaskInvalidEditValue), 0), 0u)
      << boxes().Calls()[0].Text;
  expectBoxes();
  EXPECT_TRUE(VarToStr(edit->EditValue()).empty()) << "nothing was posted";
  focusAndWait(edit);
  pressKey(VK_HOME);
  typeText("1234");
  EXPECT_EQ(edit->GetDisplayText(), "12-34");
  other->SetFocus();
  pumpFor(40);
  EXPECT_EQ(VarToStr(edit->EditValue()), "12-34");
  EXPECT_EQ(edit->GetDisplayText(), "12-34");
  // A value set from outside shows without blanks while unfocused and with them focused.
  edit->SetEditValue(Variant(std::string("9")));
  pumpFor(20);
  EXPECT_EQ(edit->GetDisplayText(), "9 -  ");
  focusAndWait(edit);
  EXPECT_EQ(edit->GetDisplayText(), "9_-__");
  pressKey(VK_ESCAPE);
  pumpFor(20);
}

TEST_F(MaskEditTest, SwitchingBetweenStandardAndExpressionKindsClearsTheMask) {
  TForm* form = newForm();
  TcxMaskEdit* edit = newEdit(form, "00-00");
  edit->Properties()->SetMaskKind(emkRegExpr);
  EXPECT_EQ(edit->Properties()->GetEditMask(), "") << "a fixed-position mask means nothing as an expression";
  EXPECT_FALSE(edit->IsMasked());
  edit->Properties()->SetEditMask("[0-9]+");
  edit->Properties()->SetMaskKind(emkRegExprEx);
  EXPECT_EQ(edit->Properties()->GetEditMask(), "[0-9]+") << "both expression kinds read the same mask";
  EXPECT_EQ(edit->Mode()->ModeKind(), emkRegExprEx);
}
