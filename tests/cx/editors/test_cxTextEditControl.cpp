// The text editor control and its inner edit under real keys and mouse: typing, selection,
// clipboard and undo reaching the editor's value, the text settings pushed into the inner
// edit, the single-line contract for pasted text, the window-text messages, the caret index
// of long texts, lookup navigation and the inner edit's hiding for aligned text.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cx/editors/cxTextEdit.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using namespace guitest;

namespace {

class ChangeLog : public TObject {
public:
  std::vector<std::string> Events;
  void Change(TObject*) { Events.push_back("change"); }
  void EditValueChanged(TObject*) { Events.push_back("value"); }
  void AfterKeyDown(TObject*, Word& Key, TShiftState) { Events.push_back("after " + std::to_string(Key)); }
};

// A text editor that walks its lookup items with the keys and the wheel (as the combo box
// does).
class NavigatingTextEdit : public TcxTextEdit {
public:
  explicit NavigatingTextEdit(TComponent* AOwner) : TcxTextEdit(AOwner) {}
  bool CanNavigateLookup(bool) override { return true; }
};

class TextEditControlTest : public GuiTest {
protected:
  TForm* newForm(Integer W = 420, Integer H = 200) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  template <class E = TcxTextEdit> E* newEdit(TForm* Form, Integer X, Integer Y, Integer W = 160) {
    E* edit = New<E>(Form);
    edit->SetParent(Form);
    edit->SetBounds(X, Y, W, 21);
    return edit;
  }
  // An edit that takes the focus away from the editors.
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(Form->ClientWidth() - 70, Form->ClientHeight() - 30, 60, 22);
    return edit;
  }
  void focusAndWait(TcxCustomTextEdit* Edit) {
    Edit->SetFocus();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == Edit->InnerEdit()->WindowHandle(); }));
  }
};

}  // namespace

TEST_F(TextEditControlTest, TypedTextReachesTheValueOnExitWithOneChangePerKeyAndOneValueChange) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  TEdit* other = focusHolder(form);
  ChangeLog log;
  edit->Properties()->SetOnChange(TNotifyEvent(&log, &ChangeLog::Change));
  edit->Properties()->SetOnEditValueChanged(TNotifyEvent(&log, &ChangeLog::EditValueChanged));
  showAndActivate(form);
  focusAndWait(edit);
  typeText("abc");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_TRUE(edit->ModifiedAfterEnter());
  EXPECT_EQ(std::count(log.Events.begin(), log.Events.end(), "change"), 3);
  EXPECT_TRUE(edit->EditValue().IsNull()) << "the value follows the text when the editor validates";
  other->SetFocus();
  pumpFor(30);
  EXPECT_EQ(VarToStr(edit->EditValue()), "abc");
  EXPECT_EQ(std::count(log.Events.begin(), log.Events.end(), "value"), 1);
}

TEST_F(TextEditControlTest, SelectionClipboardAndUndoWorkThroughTheKeyboard) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  TEdit* other = focusHolder(form);
  edit->SetEditValue(Variant(std::string("Pedro Álvares")));
  showAndActivate(form);
  focusAndWait(edit);
  // Home, then Shift+Right five times selects the first word.
  pressKey(VK_HOME);
  for (int i = 0; i < 5; ++i) pressKey(VK_RIGHT, true);
  pumpFor(20);
  EXPECT_EQ(edit->GetSelectionStart(), 0);
  EXPECT_EQ(edit->GetSelectionLength(), 5);
  EXPECT_EQ(edit->SelText(), "Pedro");
  pressWith({VK_CONTROL}, 'X');
  pumpFor(20);
  EXPECT_EQ(Clipboard()->AsText(), "Pedro");
  EXPECT_EQ(edit->Text(), " Álvares");
  pressKey(VK_END);
  pressWith({VK_CONTROL}, 'V');
  pumpFor(20);
  EXPECT_EQ(edit->Text(), " ÁlvaresPedro");
  EXPECT_EQ(edit->GetSelectionStart(), 13) << "the caret goes after the pasted text";
  // Typed text is undone by the native edit, and the undone text is what gets posted.
  typeText("x");
  EXPECT_EQ(edit->Text(), " ÁlvaresPedrox");
  pressWith({VK_CONTROL}, 'Z');
  pumpFor(20);
  EXPECT_EQ(edit->Text(), " ÁlvaresPedro");
  other->SetFocus();
  pumpFor(30);
  EXPECT_EQ(VarToStr(edit->EditValue()), " ÁlvaresPedro");
}

TEST_F(TextEditControlTest, PasteIsClippedToMaxLengthInWideCharactersAndAFullTextTakesNothing) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  edit->Properties()->SetMaxLength(4);
  showAndActivate(form);
  focusAndWait(edit);
  Clipboard()->SetAsText("çãoabc");
  pressWith({VK_CONTROL}, 'V');
  pumpFor(20);
  EXPECT_EQ(edit->Text(), "çãoa");
  EXPECT_EQ(edit->GetSelectionStart(), 4);
  pressWith({VK_CONTROL}, 'V');
  pumpFor(20);
  EXPECT_EQ(edit->Text(), "çãoa") << "no room left: nothing is inserted";
  // Typing stops at the limit too.
  pressKey(VK_END);
  typeText("zz");
  EXPECT_EQ(edit->Text(), "çãoa");
}

TEST_F(TextEditControlTest, PastedLineBreaksAndNulsNeverEnterASingleLineEditor) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  showAndActivate(form);
  focusAndWait(edit);
  Clipboard()->SetAsText("primeira\r\nsegunda");
  pressWith({VK_CONTROL}, 'V');
  pumpFor(20);
  EXPECT_EQ(edit->Text(), "primeira") << "the pasted text ends at its first line break";
  EXPECT_EQ(edit->GetSelectionStart(), 8);
  // A text with a NUL set through the window text keeps what comes before the NUL.
  const char withNul[] = {'a', 'b', '\0', 'c', '\0'};
  edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(withNul));
  EXPECT_EQ(edit->Text(), "ab");
}

TEST_F(TextEditControlTest, WindowTextMessagesHonourTheBufferSize) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  showAndActivate(form);
  edit->SetText("Região");
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(edit->Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(buffer[0], 'x') << "size 0 writes nothing";
  EXPECT_EQ(edit->Perform(WM_GETTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(buffer[0], '\0') << "size 1 writes only the terminating NUL";
  EXPECT_EQ(edit->Perform(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_STREQ(buffer, "Reg");
  EXPECT_EQ(edit->Perform(WM_GETTEXTLENGTH, 0, 0), 6);
  EXPECT_EQ(edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Sul")), 1);
  EXPECT_EQ(edit->Text(), "Sul");
}

TEST_F(TextEditControlTest, SettingsReachTheInnerEditAndCaseConvertsAccentedLetters) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  TEdit* other = focusHolder(form);
  auto* inner = static_cast<TcxCustomInnerTextEdit*>(edit->InnerEdit());
  edit->Properties()->SetCharCase(ecUpperCase);
  edit->Properties()->SetMaxLength(20);
  edit->Properties()->SetReadOnly(true);
  EXPECT_EQ(inner->CharCase(), ecUpperCase);
  EXPECT_EQ(inner->MaxLength(), 20);
  EXPECT_TRUE(inner->ReadOnly());
  edit->Properties()->SetReadOnly(false);
  edit->SetText("ação à vista");
  EXPECT_EQ(edit->Text(), "AÇÃO À VISTA");
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_END);
  typeText("e");
  EXPECT_EQ(edit->Text(), "AÇÃO À VISTAE") << "typed letters convert in the inner edit too";
  other->SetFocus();
  pumpFor(20);
  edit->Properties()->SetEchoMode(eemPassword);
  EXPECT_EQ(inner->PasswordChar(), '*');
  EXPECT_EQ(edit->Text(), "AÇÃO À VISTAE") << "the echo hides the text, not the value";
}

TEST_F(TextEditControlTest, TabAndEnterFollowTheEditorNotTheNativeControl) {
  TForm* form = newForm();
  auto* first = newEdit(form, 10, 10);
  auto* second = newEdit(form, 10, 40);
  first->SetBeepOnEnter(false);
  showAndActivate(form);
  focusAndWait(first);
  typeText("ab");
  pressKey(VK_RETURN);
  pumpFor(20);
  EXPECT_EQ(first->Text(), "ab") << "Enter inserts nothing";
  pressKey(VK_TAB);
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == second->InnerEdit()->WindowHandle(); }))
      << "Tab moves to the next editor instead of reaching the edit";
  EXPECT_EQ(first->Text(), "ab");
  // The inner edit asks for Tab only without Ctrl.
  LRESULT code = SendMessageA(second->InnerEdit()->WindowHandle(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTTAB);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
}

TEST_F(TextEditControlTest, CaretIndexIsRightBeyondSixteenBitsAndZeroForAnEmptyText) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  showAndActivate(form);
  focusAndWait(edit);
  EXPECT_EQ(edit->GetCaretCharIndex(), 0);
  std::string text(40000, 'a');
  edit->SetText(text);
  for (Integer position : {0, 7, 32767, 32768, 39000, 40000}) {
    edit->SetSelection(position, 0);
    pumpFor(5);
    EXPECT_EQ(edit->GetCaretCharIndex(), position) << position;
  }
}

TEST_F(TextEditControlTest, ArrowKeysAndWheelWalkTheItemsOnlyWhereTheEditorAllowsIt) {
  TForm* form = newForm();
  auto* plain = newEdit(form, 10, 10);
  auto* walker = newEdit<NavigatingTextEdit>(form, 10, 40);
  ChangeLog log;
  for (TcxTextEdit* e : {static_cast<TcxTextEdit*>(plain), static_cast<TcxTextEdit*>(walker)}) {
    e->Properties()->LookupItems()->Add("Norte");
    e->Properties()->LookupItems()->Add("Nordeste");
    e->Properties()->LookupItems()->Add("Sul");
  }
  plain->SetOnAfterKeyDown(TcxEditKeyEvent(&log, &ChangeLog::AfterKeyDown));
  showAndActivate(form);
  focusAndWait(plain);
  pressKey(VK_DOWN);
  pumpFor(20);
  EXPECT_EQ(plain->Text(), "") << "a plain text editor does not walk its items";
  EXPECT_EQ(log.Events, std::vector<std::string>{"after 40"}) << "the key goes to the after-key-down event";
  focusAndWait(walker);
  pressKey(VK_DOWN);
  pumpFor(20);
  EXPECT_EQ(walker->Text(), "Norte");
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pumpFor(20);
  EXPECT_EQ(walker->Text(), "Sul") << "the last item stays (no wrapping)";
  pressKey(VK_UP);
  pumpFor(20);
  EXPECT_EQ(walker->Text(), "Nordeste");
  EXPECT_TRUE(walker->ModifiedAfterEnter());
}

TEST_F(TextEditControlTest, ATextEditorWithItemsButNoButtonNeverCompletesTypedText) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  edit->Properties()->LookupItems()->Add("Santa Catarina");
  showAndActivate(form);
  focusAndWait(edit);
  typeText("Sa");
  EXPECT_EQ(edit->Text(), "Sa");
  EXPECT_FALSE(edit->LookupMatchMark());
}

TEST_F(TextEditControlTest, ARightAlignedEditorPaintsItsTextUnfocusedAndShowsTheInnerEditFocused) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10);
  TEdit* other = focusHolder(form);
  edit->Properties()->SetHorzAlignment(taRightJustify);
  edit->SetText("123");
  showAndActivate(form);
  other->SetFocus();
  pumpFor(30);
  EXPECT_FALSE(edit->IsInnerEditVisible());
  TBitmap shot;
  captureClient(edit, shot);
  savePng(shot, "text_edit_right_aligned");
  // The painted text sits at the right end: dark pixels in the right half only.
  int left = 0, right = 0;
  for (int y = 2; y < shot.Height() - 2; ++y)
    for (int x = 2; x < shot.Width() - 2; ++x)
      if ((pixelAt(shot, x, y) & 0xFF) < 0x60) (x < shot.Width() / 2 ? left : right)++;
  EXPECT_GT(right, 0);
  EXPECT_EQ(left, 0);
  focusAndWait(edit);
  EXPECT_TRUE(edit->IsInnerEditVisible());
  auto* inner = static_cast<TcxCustomInnerTextEdit*>(edit->InnerEdit());
  EXPECT_EQ(inner->InnerAlignment(), taLeftJustify) << "left alignment while editing by default";
  edit->Properties()->SetUseLeftAlignmentOnEditing(false);
  EXPECT_EQ(inner->InnerAlignment(), taRightJustify);
  EXPECT_EQ(edit->Text(), "123");
}

TEST_F(TextEditControlTest, TheInnerEditKeepsClearOfButtonsOnEitherSide) {
  TForm* form = newForm();
  auto* edit = newEdit(form, 10, 10, 200);
  edit->Properties()->Buttons()->Add();
  static_cast<TcxEditButton*>(edit->Properties()->Buttons()->Add())->SetLeftAlignment(true);
  showAndActivate(form);
  focusAndWait(edit);
  TcxCustomEditViewInfo* info = edit->GetViewInfo();
  ASSERT_EQ(info->ButtonCount(), 2);
  const TRect inner = edit->InnerEdit()->BoundsRect();
  for (Integer i = 0; i < info->ButtonCount(); ++i) {
    const TRect button = info->Button(i)->VisibleBounds;
    ASSERT_FALSE(IsRectEmpty(&button)) << "button " << i;
    TRect overlap;
    EXPECT_FALSE(IntersectRect(&overlap, &inner, &button))
        << "inner edit " << inner.left << ".." << inner.right << " covers button " << i << " at " << button.left
        << ".." << button.right;
  }
  // Typing still reaches the text, and a click on the right button is not taken by the
  // inner edit.
  typeText("abc");
  EXPECT_EQ(edit->InnerEdit()->Text(), "abc");
  EXPECT_GT(inner.right - inner.left, 100) << "the text area between the buttons stays wide";
}

TEST_F(TextEditControlTest, EditorsInEveryLookAndFeelKind) {
  TForm* form = newForm(560, 140);
  const TcxLookAndFeelKind kinds[] = {lfFlat, lfStandard, lfUltraFlat};
  const char* texts[] = {"Plano: ação", "Padrão: região", "Ultraplano: índice"};
  std::vector<TcxTextEdit*> edits;
  for (int i = 0; i < 3; ++i) {
    auto* edit = newEdit(form, 10 + i * 180, 10, 170);
    edit->Style()->LookAndFeel()->SetKind(kinds[i]);
    edit->SetText(texts[i]);
    edits.push_back(edit);
    auto* disabled = newEdit(form, 10 + i * 180, 40, 170);
    disabled->Style()->LookAndFeel()->SetKind(kinds[i]);
    disabled->SetText("desabilitado");
    disabled->SetEnabled(false);
  }
  showAndActivate(form);
  pumpFor(50);
  TBitmap shot;
  captureClient(form, shot);
  savePng(shot, "text_edits_look_and_feel");
  for (TcxTextEdit* e : edits) {
    TBitmap one;
    captureClient(e, one);
    // Every editor draws a frame different from its inside.
    EXPECT_NE(pixelAt(one, 0, one.Height() / 2), pixelAt(one, one.Width() / 2, 2));
  }
}
