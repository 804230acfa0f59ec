// Edit masks: formatting values, typing into a masked edit, validating on exit.
#include <string>

#include "ControlsTestTypes.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Mask.h"
#include "platform/rtl/SysUtils.h"

using namespace guitest;

class MaskTest : public GuiTest {};

TEST_F(MaskTest, FormatMaskTextLaysTheValueIntoTheMask) {
  struct Case {
    const char* mask;
    const char* value;
    const char* expected;
  };
  std::string sep(1, DateSeparator);
  const Case cases[] = {
      {"00-0000;1;_", "12-3456", "12-3456"},
      {"00-0000;0;_", "123456", "12-3456"},
      {"00-0000;0;_", "12", "12-    "},
      {"!9999;1;_", "12", "  12"},
      {"(00) 0000;0;*", "115555", "(11) 5555"},
      {"\\A00;1;_", "A12", "A12"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatMaskText(c.mask, c.value), c.expected) << c.mask;
  EXPECT_EQ(FormatMaskText("00/00;0;_", "1231"), "12" + sep + "31") << "'/' is the date separator";
  EXPECT_EQ(MaskGetMaskBlank("00;0;*"), '*');
  EXPECT_FALSE(MaskGetMaskSave("00;0;*"));
  EXPECT_TRUE(MaskGetMaskSave("00"));
}

TEST_F(MaskTest, TypingFillsTheEditPositionsSkippingLiteralsAndRefusesWrongCharacters) {
  TForm* form = own(newForm());
  TMaskEdit* edit = New<TMaskEdit>(form);
  edit->SetParent(form);
  edit->SetEditMask(">LL-000;0;_");
  EXPECT_EQ(edit->EditText(), "__-___");
  showAndActivate(form);
  edit->SetFocus();
  edit->SetSelStart(0);
  for (WORD key : {'A', '1', 'B', '2', '3', '4', '5'}) pressKey(key);
  EXPECT_EQ(edit->EditText(), "AB-234") << "'1' is no letter; letters go upper case; the literal is skipped";
  EXPECT_EQ(edit->Text(), "AB234") << "without saved literals the text is the typed characters";
  pressKey(VK_BACK);
  EXPECT_EQ(edit->EditText(), "AB-23_");
  pressKey(VK_ESCAPE);
  EXPECT_EQ(edit->EditText(), "__-___") << "Esc brings back the text from when the edit got the focus";
}

TEST_F(MaskTest, CaseDirectivesConvertTypedLettersAndAngleBracketsEndTheConversion) {
  TForm* form = own(newForm());
  TMaskEdit* edit = New<TMaskEdit>(form);
  edit->SetParent(form);
  // Position 1 lower case, position 2 as typed ("<>"), position 3 upper case.
  edit->SetEditMask("<L<>L>L;1;_");
  showAndActivate(form);
  edit->SetFocus();
  edit->SetSelStart(0);
  for (WORD key : {'A', 'B', 'C'}) pressKey(key);  // typed without Shift: "abc"
  EXPECT_EQ(edit->EditText(), "abC");
}

TEST_F(MaskTest, LeavingWithARequiredPositionEmptyRaisesAndKeepsTheFocus) {
  TForm* form = own(newForm());
  TMaskEdit* edit = New<TMaskEdit>(form);
  edit->SetParent(form);
  edit->SetEditMask("000;1;_");
  TEdit* other = New<TEdit>(form);
  other->SetParent(form);
  other->SetTop(40);
  showAndActivate(form);
  edit->SetFocus();
  edit->SetSelStart(0);
  pressKey('7');
  pressKey(VK_TAB);
  ASSERT_EQ(boxes().Calls().size(), 1u) << "the error is shown";
  EXPECT_EQ(boxes().Calls()[0].Text, "Invalid input value.  Use escape key to abandon changes.");
  expectBoxes();
  EXPECT_TRUE(edit->Focused()) << "the focus stays on the incomplete edit";
  EXPECT_EQ(edit->SelStart(), 1) << "at the first empty position";
  pressKey('8');
  pressKey('9');
  pressKey(VK_TAB);
  EXPECT_TRUE(boxes().Calls().empty());
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(edit->Text(), "789");
}

TEST_F(MaskTest, WithoutAMaskTheEditIsAPlainEdit) {
  TForm* form = own(newForm());
  TMaskEdit* edit = New<TMaskEdit>(form);
  edit->SetParent(form);
  edit->SetText("livre");
  EXPECT_FALSE(edit->IsMasked());
  EXPECT_EQ(edit->EditText(), "livre");
  edit->SetEditMask("000;0;_");
  EXPECT_TRUE(edit->IsMasked());
  EXPECT_EQ(edit->MaxLength(), 3);
  edit->SetEditMask("");
  EXPECT_EQ(edit->MaxLength(), 0);
  edit->SetText("texto qualquer");
  EXPECT_EQ(edit->Text(), "texto qualquer");
}
