// The standard controls under real windows: edits and memos, buttons, check and radio
// boxes, list and combo boxes, labels, scroll bars, static texts.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

using namespace guitest;

namespace {

// Records OnChange, OnClick and key events of the controls it is wired to.
class TStdLog : public TEventLog {
  RTL_DECLARE_CLASS(TStdLog, TEventLog)
public:
  void Click(TObject* Sender) { TEventLog::Click(Sender); }
  void Change(TObject* Sender) { Events.push_back("Change " + nameOf(Sender)); }
  void Select(TObject* Sender) { Events.push_back("Select " + nameOf(Sender)); }
};

std::vector<std::string> linesOf(TStrings* S) {
  std::vector<std::string> v;
  for (Integer i = 0; i < S->Count(); ++i) v.push_back(S->Strings(i));
  return v;
}

}  // namespace

RTL_IMPLEMENT_CLASS(TStdLog)

class StdCtrlsTest : public GuiTest {};

// ---------------------------------------------------------------------------------------
// Edit.

TEST_F(StdCtrlsTest, EditSelectionReadsAndReplacesPartOfTheText) {
  TForm* form = own(newForm());
  TEdit* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetText("amostra estratificada");
  edit->SetSelStart(8);
  edit->SetSelLength(5);
  EXPECT_EQ(edit->SelStart(), 8);
  EXPECT_EQ(edit->SelLength(), 5);
  EXPECT_EQ(edit->SelText(), "estra");
  edit->SetSelText("ESTRA");
  EXPECT_EQ(edit->Text(), "amostra ESTRAtificada");
  EXPECT_EQ(edit->SelLength(), 0) << "the replaced text leaves no selection";
  EXPECT_EQ(edit->SelStart(), 13) << "the caret is after the inserted text";
  edit->SelectAll();
  EXPECT_EQ(edit->SelLength(), static_cast<Integer>(edit->Text().size()));
}

TEST_F(StdCtrlsTest, LowerCaseEditTurnsTypedCapitalsToLowerCase) {
  TForm* form = own(newForm());
  TEdit* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetCharCase(ecLowerCase);
  showAndActivate(form);
  edit->SetFocus();
  pressKey('A', true);
  pressKey('B');
  pressKey('C', true);
  EXPECT_EQ(edit->Text(), "abc");
}

TEST_F(StdCtrlsTest, EditFiresOnChangeForTypingAndForText) {
  TForm* form = own(newForm());
  TObjectPtr<TStdLog> log(new TStdLog());
  TEdit* edit = New<TEdit>(form);
  edit->SetName("edit");
  edit->SetParent(form);
  edit->SetOnChange(TNotifyEvent(log.get(), &TStdLog::Change));
  edit->SetText("x");
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change edit"});
  showAndActivate(form);
  edit->SetFocus();
  log->Events.clear();
  pressKey('Q');
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change edit"});
}

// ---------------------------------------------------------------------------------------
// List box.

TEST_F(StdCtrlsTest, ListBoxItemsLiveInTheWindowAndSurviveANewWindow) {
  TForm* form = own(newForm());
  TListBox* list = New<TListBox>(form);
  list->SetParent(form);
  list->Items()->Add("um");
  list->Items()->Add("dois");
  list->Items()->Add("três");
  list->SetItemIndex(1);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
  HWND first = list->Handle();
  list->SetSorted(true);
  EXPECT_NE(list->Handle(), first);
  EXPECT_EQ(linesOf(list->Items()), (std::vector<std::string>{"dois", "três", "um"}));
  EXPECT_EQ(list->Items()->Strings(list->ItemIndex()), "três") << "the selected index comes back";
}

TEST_F(StdCtrlsTest, ListIndexOutOfRangeRaisesListError) {
  TForm* form = own(newForm());
  TListBox* list = New<TListBox>(form);
  list->SetParent(form);
  list->Items()->Add("a");
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { list->Items()->Strings(1); }), "List index out of bounds (1)");
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { list->Items()->Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(RaisedMessage<EListError>([&] { list->Selected(5); }), "List index out of bounds (5)");
}

TEST_F(StdCtrlsTest, EditLimitsTypingToMaxLengthIgnoresItWhenReadOnlyAndKeepsModifiedAcrossANewWindow) {
  TForm* form = own(newForm());
  TEdit* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetMaxLength(3);
  showAndActivate(form);
  edit->SetFocus();
  for (WORD key : {'A', 'B', 'C', 'D', 'E'}) pressKey(key);
  EXPECT_EQ(edit->Text(), "abc") << "typing stops at MaxLength";
  EXPECT_TRUE(edit->Modified());
  edit->SetHideSelection(false);  // a new window
  EXPECT_TRUE(edit->Modified()) << "Modified is kept across the new window";
  EXPECT_EQ(edit->Text(), "abc");
  edit->SetModified(false);
  edit->SetReadOnly(true);
  edit->SetFocus();
  pressKey(VK_BACK);
  pressKey('Z');
  EXPECT_EQ(edit->Text(), "abc") << "a read-only edit takes no typing";
  EXPECT_FALSE(edit->Modified());
}

TEST_F(StdCtrlsTest, EditHeightFollowsTheFontWhileAutoSize) {
  TForm* form = own(newForm());
  TEdit* edit = New<TEdit>(form);
  edit->SetParent(form);
  Integer oneLine = edit->Height();
  edit->Font()->SetSize(20);
  EXPECT_GT(edit->Height(), oneLine + 10) << "a bigger font makes a taller edit";
  edit->SetAutoSize(false);
  edit->SetHeight(oneLine);
  edit->Font()->SetSize(8);
  EXPECT_EQ(edit->Height(), oneLine) << "without AutoSize the height is the program's";
}

// ---------------------------------------------------------------------------------------
// Memo.

TEST_F(StdCtrlsTest, MemoLinesAreTheWindowsLines) {
  TForm* form = own(newForm());
  TMemo* memo = New<TMemo>(form);
  memo->SetParent(form);
  memo->SetWordWrap(false);
  TStrings* lines = memo->Lines();
  lines->Add("primeira");
  lines->Add("segunda");
  lines->Add("estratificação");
  lines->Insert(1, "inserida");
  lines->Delete(0);
  lines->SetStrings(2, "última");
  EXPECT_EQ(linesOf(lines), (std::vector<std::string>{"inserida", "segunda", "última"}));
  EXPECT_EQ(memo->Text(), "inserida\r\nsegunda\r\núltima\r\n");
  EXPECT_EQ(lines->Text(), "inserida\r\nsegunda\r\núltima\r\n");
  memo->SetText("a\r\nb");
  EXPECT_EQ(lines->Count(), 2) << "a last line without a break still counts";
  lines->Add("c");
  EXPECT_EQ(memo->Text(), "a\r\nb\r\nc");
  lines->Clear();
  EXPECT_EQ(lines->Count(), 0);
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { lines->Strings(0); }), "List index out of bounds (0)");
}

TEST_F(StdCtrlsTest, MemoLinesAddedDuringAnUpdateAreSeenByEveryReader) {
  TForm* form = own(newForm());
  TMemo* memo = New<TMemo>(form);
  memo->SetParent(form);
  memo->SetWordWrap(false);
  TStrings* lines = memo->Lines();
  memo->SetText("a\r\nb");  // the last line has no break
  lines->BeginUpdate();
  EXPECT_EQ(lines->Add("c"), 2);
  EXPECT_EQ(lines->Add(""), 3) << "an empty line is a line";
  EXPECT_EQ(lines->Add("d"), 4);
  EXPECT_EQ(lines->Count(), 5);
  // Readers through the list and straight through the window see them at once.
  EXPECT_EQ(lines->Strings(3), "");
  EXPECT_EQ(memo->Text(), "a\r\nb\r\nc\r\n\r\nd");
  EXPECT_EQ(GetWindowTextLengthA(memo->Handle()), 12);
  lines->Add("e");
  lines->Add("dois\r\nem uma");  // a text with its own break goes straight through
  lines->Add("f");
  lines->Insert(1, "no meio");
  lines->Add("g");
  EXPECT_EQ(linesOf(lines), (std::vector<std::string>{"a", "no meio", "b", "c", "", "d", "e", "dois", "em uma", "f", "g"}));
  lines->Add("h");
  lines->EndUpdate();
  EXPECT_EQ(lines->Count(), 12);
  EXPECT_EQ(lines->Strings(11), "h");
  // Lines waiting when the update ends reach the window; a cleared list forgets them.
  lines->BeginUpdate();
  lines->Add("x");
  lines->Clear();
  lines->Add("y");
  lines->EndUpdate();
  EXPECT_EQ(memo->Text(), "y\r\n") << "as an add to an empty memo always gives";
}

TEST_F(StdCtrlsTest, MemoOnAHiddenPageGetsTheLinesOfAnUpdateWhenShownInOnePiece) {
  TForm* form = own(newForm());
  TObjectPtr<TStdLog> log(new TStdLog());
  auto* page = New<TGroupBox>(form);
  page->SetParent(form);
  page->SetBounds(10, 10, 300, 200);
  TMemo* memo = New<TMemo>(form);
  memo->SetName("memo");
  memo->SetParent(page);
  memo->SetBounds(10, 20, 280, 170);
  memo->SetWordWrap(false);
  memo->SetText("");  // the name it took
  memo->SetOnChange(TNotifyEvent(log.get(), &TStdLog::Change));
  form->Show();
  pumpFor(30);
  TStrings* lines = memo->Lines();
  std::string expected;
  auto fill = [&](const std::string& Prefix) {
    lines->BeginUpdate();
    for (int i = 0; i < 500; ++i) {
      lines->Add(Prefix + std::to_string(i));
      expected += Prefix + std::to_string(i) + "\r\n";
    }
    lines->EndUpdate();
  };

  // Shown: the update ends with the lines in the window, as one change.
  fill("visto ");
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change memo"}) << "handed over when the update ends";
  log->Events.clear();

  // Hidden: they wait, counted, until the page is shown; then they come in one piece.
  page->Hide();
  fill("linha ");
  EXPECT_TRUE(log->Events.empty()) << "nothing reached the hidden window";
  EXPECT_EQ(lines->Count(), 1000);
  page->Show();
  pumpFor(30);
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change memo"}) << "one change for the whole update";
  EXPECT_TRUE(memo->Text() == expected) << "every line in its place";
  EXPECT_EQ(SendMessageA(memo->Handle(), EM_GETLINECOUNT, 0, 0), 1001) << "the window holds every line";
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(memo->Handle(), &dirty, FALSE)) << "and painted them";
  TBitmap shot;
  captureWindow(form->Handle(), shot);
  savePng(shot, "memo-shown-after-hidden-update");
  log->Events.clear();

  // Hidden again: a reader gets the waiting lines at once.
  page->Hide();
  fill("lida ");
  EXPECT_EQ(lines->Strings(1000), "lida 0");
  EXPECT_EQ(lines->Strings(1499), "lida 499");
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change memo"});
}

TEST_F(StdCtrlsTest, MemoTextOrLinesSetInCodeFireOnChangeOnce) {
  TForm* form = own(newForm());
  TObjectPtr<TStdLog> log(new TStdLog());
  TMemo* memo = New<TMemo>(form);
  memo->SetName("memo");
  memo->SetParent(form);
  memo->HandleNeeded();
  memo->SetOnChange(TNotifyEvent(log.get(), &TStdLog::Change));
  memo->SetText("um\r\ndois");
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change memo"});
  log->Events.clear();
  memo->Lines()->SetText("três");
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change memo"});
  log->Events.clear();
  memo->Lines()->Add("quatro");
  EXPECT_EQ(log->Events, std::vector<std::string>{"Change memo"});
}

TEST_F(StdCtrlsTest, EnterBreaksTheMemoLineOnlyWithWantReturnsOtherwiseItClicksTheDefaultButton) {
  TForm* form = own(newForm());
  TObjectPtr<TStdLog> log(new TStdLog());
  TMemo* memo = New<TMemo>(form);
  memo->SetParent(form);
  TButton* ok = New<TButton>(form);
  ok->SetName("ok");
  ok->SetParent(form);
  ok->SetTop(120);
  ok->SetDefault(true);
  ok->SetOnClick(TNotifyEvent(log.get(), &TStdLog::Click));
  showAndActivate(form);
  memo->SetFocus();
  pressKey('X');
  pressKey(VK_RETURN);
  pressKey('Y');
  EXPECT_EQ(memo->Text(), "x\r\ny") << "Enter starts a new line";
  EXPECT_TRUE(log->Events.empty()) << log->Joined();
  memo->SetWantReturns(false);
  pressKey(VK_RETURN);
  EXPECT_EQ(memo->Text(), "x\r\ny") << "without WantReturns Enter types nothing";
  EXPECT_EQ(log->Events, std::vector<std::string>{"Click ok"});
}

// ---------------------------------------------------------------------------------------
// Buttons.

TEST_F(StdCtrlsTest, EnterAndEscapeClickTheDefaultAndCancelButtonsAndAFocusedButtonTakesEnter) {
  TForm* form = own(newForm(300, 200));
  TObjectPtr<TStdLog> log(new TStdLog());
  TEdit* edit = New<TEdit>(form);
  edit->SetParent(form);
  auto button = [&](const char* name, Integer left, TModalResult result) {
    TButton* b = New<TButton>(form);
    b->SetName(name);
    b->SetParent(form);
    b->SetBounds(left, 100, 75, 25);
    b->SetModalResult(result);
    b->SetOnClick(TNotifyEvent(log.get(), &TStdLog::Click));
    return b;
  };
  TButton* ok = button("ok", 10, mrOk);
  TButton* cancel = button("cancel", 90, mrCancel);
  TButton* other = button("other", 170, mrNone);
  ok->SetDefault(true);
  cancel->SetCancel(true);
  showAndActivate(form);
  edit->SetFocus();
  pressKey(VK_ESCAPE);
  EXPECT_EQ(form->ModalResult(), mrCancel);
  pressKey(VK_RETURN);
  EXPECT_EQ(form->ModalResult(), mrOk);
  other->SetFocus();
  EXPECT_TRUE(other->Active()) << "the focused button is the default one while it has the focus";
  EXPECT_FALSE(ok->Active());
  pressKey(VK_RETURN);
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Click cancel", "Click ok", "Click other"}));
  EXPECT_EQ(form->ModalResult(), mrNone) << "a button's click sets its own ModalResult";
  edit->SetFocus();
  EXPECT_TRUE(ok->Active()) << "Default comes back when no button has the focus";
}

TEST_F(StdCtrlsTest, CheckBoxClickStepsItsStateAndGrayedComesOnlyWithAllowGrayed) {
  TForm* form = own(newForm());
  TObjectPtr<TStdLog> log(new TStdLog());
  TCheckBox* box = New<TCheckBox>(form);
  box->SetName("box");
  box->SetParent(form);
  box->SetCaption("Opção");
  box->SetOnClick(TNotifyEvent(log.get(), &TStdLog::Click));
  showAndActivate(form);
  auto clickBox = [&] { clickAt(box, Point(6, box->Height() / 2)); };
  auto windowState = [&] { return static_cast<Integer>(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0)); };
  clickBox();
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(windowState(), BST_CHECKED);
  clickBox();
  EXPECT_EQ(box->State(), cbUnchecked);
  box->SetAllowGrayed(true);
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    clickBox();
    seen.push_back(box->State());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
  EXPECT_EQ(log->Events.size(), 5u) << "one OnClick per change: " << log->Joined();
  log->Events.clear();
  box->SetClicksDisabled(true);
  box->SetChecked(true);
  box->SetClicksDisabled(false);
  EXPECT_TRUE(log->Events.empty()) << "ClicksDisabled keeps OnClick quiet";
  EXPECT_EQ(windowState(), BST_CHECKED);
}

TEST_F(StdCtrlsTest, CheckingARadioButtonUnchecksOnlyItsSiblings) {
  TForm* form = own(newForm(300, 200));
  TGroupBox* groupA = New<TGroupBox>(form);
  groupA->SetParent(form);
  groupA->SetBounds(5, 5, 140, 120);
  TGroupBox* groupB = New<TGroupBox>(form);
  groupB->SetParent(form);
  groupB->SetBounds(150, 5, 140, 120);
  std::vector<TRadioButton*> a;
  for (int i = 0; i < 3; ++i) {
    TRadioButton* r = New<TRadioButton>(form);
    r->SetParent(groupA);
    r->SetBounds(8, 20 + i * 25, 120, 17);
    a.push_back(r);
  }
  TRadioButton* b = New<TRadioButton>(form);
  b->SetParent(groupB);
  b->SetBounds(8, 20, 120, 17);
  b->SetChecked(true);
  a[0]->SetChecked(true);
  showAndActivate(form);
  clickAt(a[2], Point(6, 8));
  EXPECT_FALSE(a[0]->Checked());
  EXPECT_FALSE(a[1]->Checked());
  EXPECT_TRUE(a[2]->Checked());
  EXPECT_TRUE(b->Checked()) << "a radio button of another parent stays checked";
  EXPECT_EQ(SendMessageA(a[0]->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(a[2]->TabStop()) << "the checked radio button is the one the Tab key reaches";
  EXPECT_FALSE(a[0]->TabStop());
}

// ---------------------------------------------------------------------------------------
// List box.

TEST_F(StdCtrlsTest, ListBoxItemAtPosAndItemRectAgree) {
  TForm* form = own(newForm());
  TListBox* list = New<TListBox>(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 150, 120);
  for (const char* s : {"a", "b", "c"}) list->Items()->Add(s);
  for (Integer i = 0; i < 3; ++i) {
    TRect r = list->ItemRect(i);
    EXPECT_EQ(list->ItemAtPos(Point((r.left + r.right) / 2, (r.top + r.bottom) / 2), true), i);
  }
  TRect next = list->ItemRect(3);
  EXPECT_EQ(next.top, list->ItemRect(2).bottom) << "the rectangle after the last item follows it";
  TPoint below = Point(5, next.top + 2);
  EXPECT_EQ(list->ItemAtPos(below, true), -1);
  EXPECT_EQ(list->ItemAtPos(below, false), 3) << "not Existing: the count for a point below the items";
}

TEST_F(StdCtrlsTest, MultiSelectListBoxKeepsSeveralSelectedItems) {
  TForm* form = own(newForm());
  TListBox* list = New<TListBox>(form);
  list->SetParent(form);
  for (const char* s : {"a", "b", "c", "d"}) list->Items()->Add(s);
  list->SetMultiSelect(true);
  list->SetSelected(1, true);
  list->SetSelected(3, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(1));
  EXPECT_FALSE(list->Selected(2));
  TObjectPtr<TListBox> copy(New<TListBox>(nullptr));
  copy->SetParent(form);
  list->CopySelection(copy.get());
  EXPECT_EQ(linesOf(copy->Items()), (std::vector<std::string>{"b", "d"}));
  list->DeleteSelected();
  EXPECT_EQ(linesOf(list->Items()), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(RaisedMessage<EListError>([&] { list->SetSelected(7, true); }), "List index out of bounds (7)");
}

namespace {

// Draws list items in one colour per item and remembers what it was asked.
class TOwnerDrawLog : public TObject {
  RTL_DECLARE_CLASS(TOwnerDrawLog, TObject)
public:
  std::vector<Integer> Measured;
  std::vector<std::pair<Integer, bool>> Drawn;  // index, selected
  TListBox* List = nullptr;

  void Measure(TWinControl*, Integer Index, Integer& Height) {
    Measured.push_back(Index);
    Height = 14 + Index * 6;
  }
  void Draw(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState State) {
    Drawn.emplace_back(Index, State.Contains(odSelected));
    static const TColor colours[] = {clRed, clLime, clBlue};
    List->Canvas()->Brush()->SetColor(colours[Index % 3]);
    List->Canvas()->FillRect(Rect);
  }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TOwnerDrawLog)

TEST_F(StdCtrlsTest, OwnerDrawnVariableListMeasuresAndDrawsEveryItemItself) {
  TForm* form = own(newForm());
  TObjectPtr<TOwnerDrawLog> log(new TOwnerDrawLog());
  TListBox* list = New<TListBox>(form);
  log->List = list;
  list->SetParent(form);
  list->SetBounds(10, 10, 120, 100);
  list->SetStyle(lbOwnerDrawVariable);
  list->SetOnMeasureItem(TMeasureItemEvent(log.get(), &TOwnerDrawLog::Measure));
  list->SetOnDrawItem(TDrawItemEvent(log.get(), &TOwnerDrawLog::Draw));
  for (const char* s : {"a", "b", "c"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  showAndActivate(form);
  EXPECT_EQ(log->Measured, (std::vector<Integer>{0, 1, 2}));
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(RectHeight(list->ItemRect(i)), 14 + i * 6) << "item " << i;
  bool selectedDrawn = false;
  for (auto& [index, selected] : log->Drawn) selectedDrawn = selectedDrawn || (index == 1 && selected);
  EXPECT_TRUE(selectedDrawn) << "item 1 is drawn as selected";
  TBitmap shot;
  captureClient(list, shot);
  TRect third = list->ItemRect(2);
  EXPECT_EQ(pixelAt(shot, 5, third.top + 3), static_cast<uint32_t>(clBlue)) << "item 2 shows its own colour";
}

TEST_F(StdCtrlsTest, VirtualListBoxAsksForItsItems) {
  TForm* form = own(newForm());
  struct Source : public TObject {
    void Data(TWinControl*, Integer Index, std::string& Text) { Text = "Estrato " + std::to_string(Index); }
  };
  TObjectPtr<Source> source(new Source());
  TListBox* list = New<TListBox>(form);
  list->SetParent(form);
  list->SetStyle(lbVirtual);
  list->SetOnData(TLBGetDataEvent(source.get(), &Source::Data));
  list->SetCount(1000);
  EXPECT_EQ(list->Items()->Count(), 1000);
  EXPECT_EQ(list->Items()->Strings(734), "Estrato 734");
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 1000);
  EXPECT_EQ(list->Items()->Add("x"), -1) << "a virtual list adds nothing itself";
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { list->Items()->Strings(1000); }), "List index out of bounds (1000)");
}

// ---------------------------------------------------------------------------------------
// Combo box.

TEST_F(StdCtrlsTest, ChoosingAComboItemWithTheKeyboardSetsTextAndFiresClickThenSelect) {
  TForm* form = own(newForm());
  TObjectPtr<TStdLog> log(new TStdLog());
  TComboBox* combo = New<TComboBox>(form);
  combo->SetName("combo");
  combo->SetParent(form);
  combo->SetStyle(csDropDownList);
  for (const char* s : {"Uniforme", "Proporcional", "Ótima"}) combo->Items()->Add(s);
  combo->SetItemIndex(0);
  combo->SetOnClick(TNotifyEvent(log.get(), &TStdLog::Click));
  combo->SetOnChange(TNotifyEvent(log.get(), &TStdLog::Change));
  showAndActivate(form);
  combo->SetFocus();
  pressKey(VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "Proporcional");
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Click combo", "Change combo"}))
      << "without OnSelect the choice fires OnChange";
  log->Events.clear();
  combo->SetOnSelect(TNotifyEvent(log.get(), &TStdLog::Select));
  pressKey(VK_DOWN);
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Click combo", "Select combo"}));
  EXPECT_EQ(combo->Text(), "Ótima");
}

TEST_F(StdCtrlsTest, ComboItemsAndSelectionSurviveANewWindowAndIndexErrorsAreListErrors) {
  TForm* form = own(newForm());
  TComboBox* combo = New<TComboBox>(form);
  combo->SetParent(form);
  for (const char* s : {"c", "a", "b"}) combo->Items()->Add(s);
  combo->SetItemIndex(2);
  combo->SetSorted(true);
  EXPECT_EQ(linesOf(combo->Items()), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(combo->ItemIndex(), 2) << "the index is kept (not the item)";
  EXPECT_EQ(combo->Items()->IndexOf("B"), 1) << "IndexOf ignores case";
  EXPECT_EQ(RaisedMessage<EStringListError>([&] { combo->Items()->Strings(3); }), "List index out of bounds (3)");
  combo->SetText("livre");
  combo->Items()->Clear();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Text(), "livre") << "clearing the items keeps the edit part's text";
}

// ---------------------------------------------------------------------------------------
// Label, static text, scroll bar.

TEST_F(StdCtrlsTest, AutoSizedLabelTakesItsTextsSizeKeepingItsRightEdgeWhenRightJustified) {
  TForm* form = own(newForm());
  TLabel* label = New<TLabel>(form);
  label->SetParent(form);
  label->SetBounds(100, 10, 10, 10);
  label->SetCaption("Estratos");
  Integer width = label->Width();
  label->SetCaption("Estratos e amostras");
  EXPECT_GT(label->Width(), width);
  EXPECT_EQ(label->Left(), 100);
  label->SetAlignment(taRightJustify);
  Integer right = label->Left() + label->Width();
  label->SetCaption("Estratos");
  EXPECT_EQ(label->Left() + label->Width(), right) << "a right-justified label grows to the left";
  label->SetAutoSize(false);
  label->SetCaption("Estratos e muitas amostras");
  EXPECT_EQ(label->Width(), width);
}

namespace {

// Text measured as the screen draws it in Font: wrapped at Width, or on one line when Width is 0.
RECT screenTextRect(TFont* Font, const std::string& Text, Integer Width) {
  RECT r = {0, 0, Width, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  DrawTextA(dc, Text.c_str(), static_cast<int>(Text.size()), &r,
            DT_EXPANDTABS | DT_CALCRECT | (Width > 0 ? DT_WORDBREAK : 0));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r;
}

}  // namespace

// An auto-sized label measures its text as the screen would draw it, in any font, with or
// without word wrap.
TEST_F(StdCtrlsTest, AutoSizedLabelMeasuresItsTextAsTheScreenDoes) {
  TForm* form = own(newForm());
  TLabel* label = New<TLabel>(form);
  label->SetParent(form);
  struct Case {
    const char* face;
    Integer size;
    bool bold, italic, wrap;
    const char* text;
  } cases[] = {
      {"Tahoma", 8, false, false, false, "Calculando campo: ShipCountry"},
      {"Tahoma", 14, true, false, false, "Variância Média Wy"},
      {"Courier New", 10, false, true, false, "Montando Resumo \t tab"},
      {"Times New Roman", 12, false, false, true, "Abrindo base de dados com muitas palavras seguidas"},
      {"Tahoma", 8, false, false, false, ""},
  };
  for (const Case& c : cases) {
    label->Font()->SetName(c.face);
    label->Font()->SetSize(c.size);
    TFontStyles style;
    if (c.bold) style.Include(fsBold);
    if (c.italic) style.Include(fsItalic);
    label->Font()->SetStyle(style);
    label->SetWordWrap(c.wrap);
    if (c.wrap) label->SetWidth(120);
    const Integer width = label->Width();
    label->SetCaption(c.text);
    const RECT expected = screenTextRect(label->Font(), *c.text ? c.text : " ", c.wrap ? width : 0);
    EXPECT_EQ(label->Width(), expected.right) << c.face << " " << c.text;
    EXPECT_EQ(label->Height(), expected.bottom) << c.face << " " << c.text;
  }
}

// Labels in different fonts measured in turn each measure in their own font, also after one
// of the fonts is changed or freed.
TEST_F(StdCtrlsTest, AutoSizedLabelsInTurnMeasureEachInItsOwnFont) {
  TForm* form = own(newForm());
  TLabel* plain = New<TLabel>(form);
  TLabel* big = New<TLabel>(form);
  for (TLabel* l : {plain, big}) l->SetParent(form);
  plain->Font()->SetName("Tahoma");
  plain->Font()->SetSize(8);
  big->Font()->SetName("Times New Roman");
  big->Font()->SetSize(20);
  big->Font()->SetStyle(TFontStyles{fsBold});
  auto expectMeasured = [](TLabel* label, const std::string& text) {
    const RECT expected = screenTextRect(label->Font(), text, 0);
    EXPECT_EQ(label->Width(), expected.right) << text;
    EXPECT_EQ(label->Height(), expected.bottom) << text;
  };
  const char* const texts[] = {"Calculando campo: regiao", "Calculando campo: ShipCountry", "Montando Resumo"};
  for (const char* text : texts) {
    plain->SetCaption(text);
    expectMeasured(plain, text);
    big->SetCaption(text);
    expectMeasured(big, text);
  }
  big->Font()->SetSize(10);
  big->SetCaption("Abrindo base de dados");
  expectMeasured(big, "Abrindo base de dados");
  delete big;
  plain->SetCaption("Estratos");
  expectMeasured(plain, "Estratos");
}

// A label whose text gets shorter leaves nothing of the longer text on the screen, and the
// new text shows.
TEST_F(StdCtrlsTest, ShorterLabelTextLeavesNoTraceOfTheLongerOne) {
  TForm* form = own(newForm());
  form->SetColor(clWhite);
  form->SetBounds(100, 100, 400, 120);
  TLabel* label = New<TLabel>(form);
  label->SetParent(form);
  label->SetTransparent(false);
  label->SetColor(clWhite);
  label->Font()->SetSize(14);
  label->SetBounds(10, 10, 10, 10);
  label->SetCaption("Calculando campo: ShipCountry");
  showAndActivate(form);
  const Integer longRight = label->Left() + label->Width();
  label->SetCaption("Campo: X");
  label->Update();
  ASSERT_LT(label->Left() + label->Width(), longRight - 40);
  TBitmap shot;
  captureClient(form, shot);
  auto darkIn = [&](Integer From, Integer To) {
    Integer dark = 0;
    for (Integer x = From; x < To; ++x)
      for (Integer y = label->Top(); y < label->Top() + label->Height(); ++y)
        if ((pixelAt(shot, x, y) & 0xFF) < 0x80) ++dark;
    return dark;
  };
  EXPECT_GT(darkIn(label->Left(), label->Left() + label->Width()), 0) << "the new text is drawn";
  EXPECT_EQ(darkIn(label->Left() + label->Width() + 2, longRight + 2), 0)
      << "the old text's tail is cleared: " << savePng(shot, "label-shorter-text");
}

TEST_F(StdCtrlsTest, AcceleratorOfALabelFocusesItsFocusControl) {
  TForm* form = own(newForm());
  TLabel* label = New<TLabel>(form);
  label->SetParent(form);
  label->SetCaption("&Nome:");
  TEdit* first = New<TEdit>(form);
  first->SetParent(form);
  first->SetTop(30);
  TEdit* target = New<TEdit>(form);
  target->SetParent(form);
  target->SetTop(60);
  label->SetFocusControl(target);
  showAndActivate(form);
  first->SetFocus();
  INPUT in[4] = {};
  for (int i = 0; i < 4; ++i) in[i].type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_MENU;
  in[1].ki.wVk = 'N';
  in[2].ki.wVk = 'N';
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_MENU;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
  pumpFor(100);
  EXPECT_TRUE(target->Focused()) << "Alt+N focuses the label's control";
  EXPECT_TRUE(IsAccel('n', "&Nome:"));
  EXPECT_FALSE(IsAccel('x', "Sa&&x"));
}

TEST_F(StdCtrlsTest, ScrollBarReportsEachScrollAndKeepsItsPositionInRange) {
  TForm* form = own(newForm());
  struct Watcher : public TObject {
    std::vector<std::string> Seen;
    void Scroll(TObject*, TScrollCode Code, Integer& Pos) {
      Seen.push_back(GetEnumName(TypeInfo<TScrollCode>(), Code) + "=" + std::to_string(Pos));
      if (Code == scBottom) Pos = 90;
    }
  };
  TObjectPtr<Watcher> watcher(new Watcher());
  TScrollBar* bar = New<TScrollBar>(form);
  bar->SetParent(form);
  bar->SetLargeChange(10);
  bar->SetOnScroll(TScrollEvent(watcher.get(), &Watcher::Scroll));
  form->HandleNeeded();
  auto scroll = [&](WORD code) { form->Perform(WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(bar->Handle())); };
  scroll(SB_PAGEDOWN);
  scroll(SB_LINEDOWN);
  scroll(SB_LINEUP);
  scroll(SB_BOTTOM);
  EXPECT_EQ(watcher->Seen, (std::vector<std::string>{"scPageDown=10", "scLineDown=11", "scLineUp=10", "scBottom=100"}));
  EXPECT_EQ(bar->Position(), 90) << "OnScroll may change the new position";
  EXPECT_EQ(GetScrollPos(bar->Handle(), SB_CTL), 90);
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { bar->SetParams(5, 10, 0); }), "Scrollbar property out of range");
}

// ---------------------------------------------------------------------------------------
// Stored descriptions.

TEST_F(StdCtrlsTest, FormDescriptionSetsThePublishedPropertiesOfTheStandardControls) {
  TForm* form = own(newForm(400, 300));
  form->HandleNeeded();
  std::string text =
      "object Form1: TForm\n"
      "  Left = 0\n  Top = 0\n  Width = 400\n  Height = 300\n"
      "  object Edit1: TEdit\n    Left = 8\n    Top = 8\n    Width = 121\n    Height = 21\n"
      "    CharCase = ecLowerCase\n    MaxLength = 10\n    TabOrder = 0\n    Text = 'abc'\n  end\n"
      "  object ListBox1: TListBox\n    Left = 8\n    Top = 40\n    Width = 121\n    Height = 60\n"
      "    Items.Strings = (\n      'um'\n      'dois')\n    TabOrder = 1\n  end\n"
      "  object CheckBox1: TCheckBox\n    Left = 140\n    Top = 8\n    Width = 97\n    Height = 17\n"
      "    Caption = 'Marcar'\n    State = cbChecked\n    TabOrder = 2\n  end\n"
      "  object Memo1: TMemo\n    Left = 140\n    Top = 40\n    Width = 150\n    Height = 60\n"
      "    Lines.Strings = (\n      'linha 1'\n      'linha 2')\n    ScrollBars = ssVertical\n    TabOrder = 3\n  end\n"
      "  object Button1: TButton\n    Left = 8\n    Top = 120\n    Width = 75\n    Height = 25\n"
      "    Caption = 'OK'\n    Default = True\n    ModalResult = 1\n    TabOrder = 4\n  end\n"
      "end\n";
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(form);
  auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit1"));
  auto* list = dynamic_cast<TListBox*>(form->FindComponent("ListBox1"));
  auto* box = dynamic_cast<TCheckBox*>(form->FindComponent("CheckBox1"));
  auto* memo = dynamic_cast<TMemo*>(form->FindComponent("Memo1"));
  auto* button = dynamic_cast<TButton*>(form->FindComponent("Button1"));
  ASSERT_TRUE(edit && list && box && memo && button);
  EXPECT_EQ(edit->CharCase(), ecLowerCase);
  EXPECT_EQ(edit->MaxLength(), 10);
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(linesOf(list->Items()), (std::vector<std::string>{"um", "dois"}));
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(box->Caption(), "Marcar");
  EXPECT_EQ(linesOf(memo->Lines()), (std::vector<std::string>{"linha 1", "linha 2"}));
  EXPECT_EQ(memo->ScrollBars(), ssVertical);
  EXPECT_TRUE(button->Default());
  EXPECT_EQ(button->ModalResult(), mrOk);
  EXPECT_EQ(button->TabOrder(), 4);
}
