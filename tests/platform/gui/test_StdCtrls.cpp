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
