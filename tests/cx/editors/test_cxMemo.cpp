// The memo editor: the value kept equal to the lines, line breaks of inserted text, Enter
// and Ctrl+A under real keys, the single-line display text, word wrap, the own scroll bars
// over the native ones under a real mouse, the user's paste within MaxLength and a long text
// added inside an update.
#include <chrono>
#include <string>
#include <vector>

#include "cx/editors/cxMemo.h"
#include "cx/foundation/cxContainer.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Scoped.h"

using namespace guitest;

namespace {

class MemoLog : public TObject {
public:
  std::vector<std::string> Events;
  void Change(TObject*) { Events.push_back("change"); }
  void EditValueChanged(TObject*) { Events.push_back("value"); }
};

class MemoTest : public GuiTest {
protected:
  TForm* newForm(Integer W = 420, Integer H = 260) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxMemo* newMemo(TForm* Form, Integer X, Integer Y, Integer W = 200, Integer H = 120) {
    auto* memo = New<TcxMemo>(Form);
    memo->SetParent(Form);
    memo->SetBounds(X, Y, W, H);
    return memo;
  }
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(Form->ClientWidth() - 70, Form->ClientHeight() - 30, 60, 22);
    return edit;
  }
  void focusAndWait(TcxMemo* Memo) {
    Memo->SetFocus();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == Memo->InnerEdit()->WindowHandle(); }));
  }
  Integer nativeLineCount(TcxMemo* Memo) {
    return static_cast<Integer>(SendMessageA(Memo->InnerEdit()->WindowHandle(), EM_GETLINECOUNT, 0, 0));
  }
};

}  // namespace

TEST_F(MemoTest, AddedLinesBecomeTheValueWithoutChangeEvents) {
  TForm* form = newForm();
  auto* memo = newMemo(form, 10, 10);
  MemoLog log;
  memo->Properties()->SetOnChange(TNotifyEvent(&log, &MemoLog::Change));
  memo->Properties()->SetOnEditValueChanged(TNotifyEvent(&log, &MemoLog::EditValueChanged));
  showAndActivate(form);
  memo->Lines()->Add("select * from casas");
  memo->Lines()->Add("where (1=1) and região = 'Sul'");
  EXPECT_EQ(VarToStr(memo->EditValue()), "select * from casas\r\nwhere (1=1) and região = 'Sul'\r\n");
  EXPECT_EQ(memo->Text(), "select * from casas\r\nwhere (1=1) and região = 'Sul'\r\n");
  EXPECT_TRUE(log.Events.empty());
  memo->Lines()->Clear();
  EXPECT_EQ(VarToStr(memo->EditValue()), "");
  EXPECT_EQ(memo->Lines()->Count(), 0);
}

TEST_F(MemoTest, FiftyThousandLinesAddedInsideAnUpdateTakeWellUnderASecondAndReachTheValue) {
  // As the main window's strata memo: on a page that is not shown while a run writes it.
  TForm* form = newForm();
  auto* page = New<TPanel>(form);
  page->SetParent(form);
  page->SetBounds(0, 0, 300, 200);
  auto* memo = New<TcxMemo>(form);
  memo->SetParent(page);
  memo->SetBounds(10, 10, 250, 150);
  memo->Properties()->SetScrollBars(ssBoth);
  showAndActivate(form);
  page->SetVisible(false);
  auto line = [](int i) { return "Select * from casas where (1=1)  and quartos = " + std::to_string(i); };
  const auto start = std::chrono::steady_clock::now();
  {
    UpdateLock lock(memo->Lines());
    for (int i = 0; i < 50000; ++i) memo->Lines()->Add(line(i));
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("50000 lines inside an update: %.3f s\n", seconds);
  EXPECT_LT(seconds, 0.5);
  EXPECT_EQ(memo->Lines()->Count(), 50000);
  // The value is the whole text once asked, also before the page is shown.
  const std::string value = VarToStr(memo->EditValue());
  EXPECT_EQ(value.size(), memo->Lines()->Text().size());
  EXPECT_EQ(value.substr(value.size() - 7), "49999\r\n");
  // Showing the page again shows the same lines.
  page->SetVisible(true);
  pumpFor(20);
  EXPECT_EQ(memo->Lines()->Strings(49999), line(49999));
  EXPECT_EQ(memo->Lines()->Strings(0), line(0));
}

TEST_F(MemoTest, AReversedLineBreakMakesTwoLinesAndCrLfOne) {
  TForm* form = newForm();
  auto* memo = newMemo(form, 10, 10);
  showAndActivate(form);
  HWND wnd = memo->InnerEdit()->WindowHandle();
  SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\r\n"));
  EXPECT_EQ(memo->Lines()->Count(), 1);
  EXPECT_EQ(memo->Lines()->Strings(0), "");
  memo->Lines()->Clear();
  SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\n\r"));
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Text(), "\r\n\r\n");
  memo->Lines()->Clear();
  SendMessageA(wnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("a\n\rb\r\nc"));
  ASSERT_EQ(memo->Lines()->Count(), 4);
  EXPECT_EQ(memo->Lines()->Strings(0), "a");
  EXPECT_EQ(memo->Lines()->Strings(1), "");
  EXPECT_EQ(memo->Lines()->Strings(2), "b");
  EXPECT_EQ(memo->Lines()->Strings(3), "c");
  EXPECT_EQ(VarToStr(memo->EditValue()), memo->Lines()->Text());
}

TEST_F(MemoTest, EnterBreaksTheLineCtrlASelectsAllAndTheTypedTextIsPostedOnExit) {
  TForm* form = newForm();
  auto* memo = newMemo(form, 10, 10);
  TEdit* other = focusHolder(form);
  MemoLog log;
  memo->Properties()->SetOnEditValueChanged(TNotifyEvent(&log, &MemoLog::EditValueChanged));
  showAndActivate(form);
  focusAndWait(memo);
  typeText("and");
  pressKey(VK_RETURN);
  typeText("x");
  EXPECT_EQ(memo->Text(), "and\r\nx\r\n");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  pressWith({VK_CONTROL}, 'A');
  pumpFor(20);
  EXPECT_EQ(memo->GetSelectionStart(), 0);
  EXPECT_EQ(memo->GetSelectionLength(), 6);
  other->SetFocus();
  pumpFor(30);
  EXPECT_EQ(VarToStr(memo->EditValue()), "and\r\nx\r\n");
  EXPECT_EQ(log.Events, std::vector<std::string>{"value"});
}

TEST_F(MemoTest, TheSingleLineDisplayTextIsTheFirstLineOfAtMost250Characters) {
  auto properties = TObjectPtr<TcxMemoProperties>(New<TcxMemoProperties>(nullptr));
  struct Case {
    std::string Value;
    std::string Shown;
  };
  const std::string long300(300, 'x');
  const std::vector<Case> cases = {
      {"primeira\r\nsegunda", "primeira"},
      {"só\numa", "só"},
      {long300, std::string(250, 'x')},
      {long300 + "\r\nfim", std::string(250, 'x')},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string shown;
    properties->GetDisplayText(Variant(c.Value), shown);
    EXPECT_EQ(shown, c.Shown) << c.Value.substr(0, 20);
    properties->GetDisplayText(Variant(c.Value), true, shown);
    EXPECT_EQ(shown, c.Value);
  }
}

TEST_F(MemoTest, WordWrapFollowsTheHorizontalScrollBar) {
  TForm* form = newForm();
  auto* wrapped = newMemo(form, 10, 10, 150, 100);
  auto* scrolled = newMemo(form, 200, 10, 150, 100);
  wrapped->Properties()->SetScrollBars(ssVertical);
  scrolled->Properties()->SetScrollBars(ssBoth);
  scrolled->Properties()->SetWordWrap(false);
  const std::string longLine = "uma linha longa o bastante para quebrar em mais de uma linha visível";
  showAndActivate(form);
  wrapped->Lines()->Add(longLine);
  scrolled->Lines()->Add(longLine);
  EXPECT_GT(nativeLineCount(wrapped), 1);
  EXPECT_EQ(nativeLineCount(scrolled), 2) << "one line and the empty one after its break";
  EXPECT_EQ(VarToStr(wrapped->EditValue()), longLine + "\r\n") << "wrapping does not change the value";
}

TEST_F(MemoTest, OwnScrollBarsCoverTheNativeOnesAndScrollTheTextUnderTheMouse) {
  TForm* form = newForm();
  auto* memo = newMemo(form, 10, 10, 220, 150);
  memo->Properties()->SetScrollBars(ssBoth);
  memo->Properties()->SetWordWrap(false);
  showAndActivate(form);
  {
    UpdateLock lock(memo->Lines());
    for (int i = 0; i < 60; ++i) memo->Lines()->Add("linha " + std::to_string(i) + std::string(60, '-'));
  }
  pumpFor(50);
  HWND inner = memo->InnerEdit()->WindowHandle();
  SendMessageA(inner, EM_SETSEL, 0, 0);
  SendMessageA(inner, EM_SCROLLCARET, 0, 0);
  pumpFor(50);
  TcxControlScrollBar* vbar = memo->VScrollBar();
  TcxControlScrollBar* hbar = memo->HScrollBar();
  ASSERT_TRUE(vbar && hbar);
  ASSERT_TRUE(vbar->Visible());
  ASSERT_TRUE(hbar->Visible());
  SCROLLBARINFO native{};
  ASSERT_TRUE(cxGetScrollBarInfo(inner, OBJID_VSCROLL, native));
  TRect nativeRect = native.rcScrollBar;
  MapWindowPoints(nullptr, memo->WindowHandle(), reinterpret_cast<POINT*>(&nativeRect), 2);
  const TRect own = vbar->BoundsRect();
  EXPECT_TRUE(EqualRect(&own, &nativeRect)) << own.left << "," << own.top << " " << own.right << "," << own.bottom
                                            << " vs " << nativeRect.left << "," << nativeRect.top << " "
                                            << nativeRect.right << "," << nativeRect.bottom;
  EXPECT_EQ(SendMessageA(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // A click on the own bar's lower arrow scrolls the text by one line.
  clickAt(vbar, TPoint{own.right - own.left - 2 - (own.right - own.left) / 2, own.bottom - own.top - 4});
  pumpFor(50);
  EXPECT_EQ(SendMessageA(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  // Ctrl+End in the text moves the own bar's thumb with the native one.
  focusAndWait(memo);
  pressWith({VK_CONTROL}, VK_END);
  pumpFor(60);
  EXPECT_EQ(vbar->Position(), GetScrollPos(inner, SB_VERT));
  EXPECT_GT(vbar->Position(), 30);
  TBitmap shot;
  captureClient(memo, shot);
  savePng(shot, "memo_scroll_bars");
}

TEST_F(MemoTest, AUserPasteStopsAtMaxLengthAndAProgramInsertDoesNot) {
  TForm* form = newForm();
  auto* memo = newMemo(form, 10, 10);
  memo->Properties()->SetMaxLength(10);
  showAndActivate(form);
  focusAndWait(memo);
  Clipboard()->SetAsText("ação\r\nfim e mais");
  pressWith({VK_CONTROL}, 'V');
  pumpFor(20);
  EXPECT_EQ(memo->Text(), "ação\r\nfim \r\n") << "ten characters, the line break counting two";
  pressWith({VK_CONTROL}, 'V');
  pumpFor(20);
  EXPECT_EQ(memo->Text(), "ação\r\nfim \r\n") << "no room left";
  pressKey(VK_BACK);
  pressKey(VK_BACK);
  pumpFor(20);
  EXPECT_EQ(memo->Text(), "ação\r\nfi\r\n");
}

TEST_F(MemoTest, MemosInEveryLookAndFeelKind) {
  TForm* form = newForm(700, 170);
  const TcxLookAndFeelKind kinds[] = {lfFlat, lfStandard, lfUltraFlat};
  std::vector<TcxMemo*> memos;
  for (int i = 0; i < 3; ++i) {
    auto* memo = newMemo(form, 10 + i * 230, 10, 220, 140);
    memo->Style()->LookAndFeel()->SetKind(kinds[i]);
    memo->Properties()->SetScrollBars(i == 1 ? ssVertical : ssBoth);
    for (int l = 0; l < 12; ++l) memo->Lines()->Add("Linha " + std::to_string(l) + ": condição e região");
    memos.push_back(memo);
  }
  showAndActivate(form);
  pumpFor(80);
  TBitmap shot;
  captureClient(form, shot);
  savePng(shot, "memos_look_and_feel");
  for (TcxMemo* memo : memos) {
    EXPECT_TRUE(memo->VScrollBar()->Visible()) << "twelve lines overflow the memo";
    EXPECT_EQ(memo->Lines()->Count(), 12);
  }
}
