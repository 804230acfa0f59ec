// The editing controller on a table view, driven by real keys: F2, Enter and typing open
// the in-place editor on the focused cell; Enter and moving to another record write its
// value into the record; Esc discards it; switching editing off while a value is typed keeps
// that value; the cached editors and the editing events.
#include <string>

#include "ControllerTestSupport.h"
#include "cx/editors/cxTextEdit.h"

using namespace controllertest;
using namespace guitest;

namespace {

// Refuses every editing request and counts them.
class Refuser : public TObject {
public:
  Integer Calls = 0;
  void Editing(TcxCustomGridTableView*, TcxCustomGridTableItem*, bool& AAllow) {
    ++Calls;
    AAllow = false;
  }
};

// Logs the view's editing events.
class EditListener : public TObject {
public:
  std::string Log;
  void Init(TcxCustomGridTableView*, TcxCustomGridTableItem* AItem, TcxCustomEdit*) {
    Log += "init(" + AItem->Name() + ") ";
  }
  void Changed(TcxCustomGridTableView*, TcxCustomGridTableItem*) { Log += "change "; }
};

class EditingControllerTest : public TableControllerFixture {
protected:
  void SetUp() override {
    TableControllerFixture::SetUp();
    fillPeople();
    showFocused();
  }
  TcxCustomEdit* edit() { return editing()->Edit(); }
  // The editor's text as the user sees it.
  std::string editText() {
    if (!edit()) return "(no editor)";
    return edit()->InnerEdit() ? edit()->InnerEdit()->Text() : VarToStr(edit()->EditValue());
  }
};

TEST_F(EditingControllerTest, F2EnterAndTypingOpenTheEditorOnTheFocusedCell) {
  struct Case {
    const char* Name;
    WORD Key;
    const char* Typed;
    const char* ExpectedText;
  };
  const Case cases[] = {{"F2", VK_F2, nullptr, "Ana"}, {"Enter", VK_RETURN, nullptr, "Ana"}, {"typing", 0, "z", "z"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Key)
      pressKey(c.Key);
    else
      typeText(c.Typed);
    ASSERT_TRUE(nome->Editing());
    ASSERT_NE(edit(), nullptr);
    EXPECT_EQ(editing()->EditingItem(), nome);
    EXPECT_EQ(edit()->Parent(), view->Site()) << "the editor lives on the grid's site";
    EXPECT_TRUE(edit()->IsFocused()) << "and holds the focus";
    EXPECT_FALSE(view->Site()->TabStop()) << "the site gives its tab stop to the editor";
    EXPECT_EQ(editText(), c.ExpectedText);
    pressKey(VK_ESCAPE);
    pressKey(VK_ESCAPE);
    EXPECT_FALSE(editing()->IsEditing());
    EXPECT_TRUE(view->Site()->Focused()) << "the site takes the focus back";
    EXPECT_TRUE(view->Site()->TabStop());
  }
  EXPECT_EQ(valueAt(0, 0), "Ana") << "nothing was written";
  EXPECT_EQ(editing()->EditList()->GetCount(), 1) << "one cached editor serves the column";
}

TEST_F(EditingControllerTest, EnterWritesTheTypedValueAndEscDiscardsIt) {
  typeText("Alice");
  ASSERT_EQ(editText(), "Alice");
  pressKey(VK_RETURN);
  EXPECT_FALSE(editing()->IsEditing());
  EXPECT_EQ(valueAt(0, 0), "Alice");
  EXPECT_EQ(focusedRow(), 0) << "Enter stays on the record without GoToNextCellOnEnter";

  pressKey(VK_DOWN);
  pressKey(VK_F2);
  ASSERT_EQ(editText(), "Bruno");
  typeText("xyz");
  pressKey(VK_ESCAPE);
  EXPECT_FALSE(editing()->IsEditing());
  EXPECT_EQ(valueAt(1, 0), "Bruno") << "Esc discards the typed text";
  EXPECT_EQ(focusedRow(), 1);
}

TEST_F(EditingControllerTest, MovingToAnotherRecordPostsTheValue) {
  typeText("Alice");
  pressKey(VK_DOWN);
  EXPECT_FALSE(editing()->IsEditing());
  EXPECT_EQ(focusedRow(), 1);
  EXPECT_EQ(valueAt(0, 0), "Alice");
  EXPECT_FALSE(view->DataController()->IsEditing()) << "the record was posted";

  pressKey(VK_RIGHT);
  typeText("77");
  pressKey(VK_UP);
  EXPECT_EQ(focusedRow(), 0);
  EXPECT_EQ(valueAt(1, 1), "77");
}

TEST_F(EditingControllerTest, EnterWithGoToNextCellOnEnterReopensTheEditorOnTheNextCell) {
  view->OptionsBehavior()->SetGoToNextCellOnEnter(true);
  typeText("Alice");
  pressKey(VK_RETURN);
  EXPECT_EQ(valueAt(0, 0), "Alice");
  EXPECT_EQ(focusedItemName(), "GradeIdade");
  ASSERT_TRUE(idade->Editing()) << "the editor opens again on the next cell";
  EXPECT_EQ(editText(), "30");
  pressKey(VK_ESCAPE);
}

TEST_F(EditingControllerTest, SwitchingEditingOffWhileTypingKeepsTheTypedValue) {
  typeText("Alice");
  ASSERT_TRUE(editing()->IsEditing());
  view->OptionsData()->SetEditing(false);
  EXPECT_FALSE(editing()->IsEditing()) << "editing ends";
  EXPECT_EQ(valueAt(0, 0), "Alice") << "the typed value is written, not lost";
  pressKey(VK_F2);
  EXPECT_FALSE(editing()->IsEditing()) << "no editor opens while editing is off";
  typeText("q");
  EXPECT_EQ(valueAt(0, 0), "Alice");
}

TEST_F(EditingControllerTest, EditorsAreRefusedByTheItemAndTheOnEditingEvent) {
  nome->Options()->SetEditing(false);
  pressKey(VK_F2);
  EXPECT_FALSE(editing()->IsEditing());
  nome->Options()->SetEditing(true);

  Refuser refuser;
  view->OnEditing = TcxGridEditingEvent(&refuser, &Refuser::Editing);
  pressKey(VK_F2);
  EXPECT_EQ(refuser.Calls, 1);
  EXPECT_FALSE(editing()->IsEditing());
  view->OnEditing = TcxGridEditingEvent();
}

TEST_F(EditingControllerTest, TheViewHearsOfTheInitAndOfEveryChange) {
  EditListener listener;
  view->OnInitEdit = TcxGridInitEditEvent(&listener, &EditListener::Init);
  view->OnEditChanged = TcxGridCustomTableItemEvent(&listener, &EditListener::Changed);
  typeText("ab");
  EXPECT_EQ(listener.Log.rfind("init(GradeNome) change ", 0), 0u) << listener.Log;
  EXPECT_NE(listener.Log.find("change change"), std::string::npos) << listener.Log;
  pressKey(VK_ESCAPE);
  view->OnInitEdit = TcxGridInitEditEvent();
  view->OnEditChanged = TcxGridCustomTableItemEvent();
}

TEST_F(EditingControllerTest, AClickOpensTheEditorOverTheCellAtOnceOrAfterTheDoubleClickTime) {
  clickCell(1, idade);
  EXPECT_EQ(focusedRow(), 1);
  ASSERT_TRUE(idade->Editing()) << "ImmediateEditor: the first click opens the editor";
  TRect editBounds = edit()->BoundsRect();
  TPoint center = cellCenter(1, idade);
  EXPECT_TRUE(PtInRect(&editBounds, center)) << "the editor lies over the clicked cell";
  {
    // For a person to look at: the editor over the cell.
    TBitmap shot;
    captureClient(form, shot);
    savePng(shot, "grid_inplace_editor");
  }
  pressKey(VK_ESCAPE);

  view->OptionsBehavior()->SetImmediateEditor(false);
  clickCell(2, nome);
  EXPECT_EQ(focusedRow(), 2);
  EXPECT_FALSE(editing()->IsEditingTimerRunning()) << "a click on a cell that was not focused only focuses it";
  pumpFor(cxGetDoubleClickTime() + 50);
  clickCell(2, nome);
  EXPECT_TRUE(pumpUntil([&] { return nome->Editing(); }, cxGetDoubleClickTime() + 1000))
      << "a second click on the focused cell opens the editor after the double-click time";
  pressKey(VK_ESCAPE);

  doubleClickAt(view->Site(), cellCenter(2, nome));
  pumpFor(cxGetDoubleClickTime() + 200);
  EXPECT_FALSE(nome->Editing()) << "a double click starts no delayed edit";
}

TEST_F(EditingControllerTest, TheEditingTimerStartsEditingAfterTheDoubleClickTimeUnlessStopped) {
  editing()->StartEditingTimer(nome);
  EXPECT_TRUE(editing()->IsEditingTimerRunning());
  editing()->StopEditingTimer();
  pumpFor(cxGetDoubleClickTime() + 100);
  EXPECT_FALSE(editing()->IsEditing()) << "a stopped timer starts nothing";

  editing()->StartEditingTimer(nome);
  EXPECT_FALSE(editing()->IsEditing()) << "not at once";
  EXPECT_TRUE(pumpUntil([&] { return editing()->IsEditing(); }, cxGetDoubleClickTime() + 1000));
  EXPECT_FALSE(editing()->IsEditingTimerRunning());
  pressKey(VK_ESCAPE);
}

}  // namespace
