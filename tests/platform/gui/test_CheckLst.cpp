// The check list box under real windows: checking by click and by Space, grayed states,
// disabled items, the boxes' look and the item data kept across a new window.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/CheckLst.h"
#include "platform/gui/Forms.h"

using namespace guitest;

namespace {

class TCheckLog : public TObject {
  RTL_DECLARE_CLASS(TCheckLog, TObject)
public:
  Integer Checks = 0;
  void ClickCheck(TObject*) { ++Checks; }
};

TCheckListBox* makeList(TForm* form) {
  TCheckListBox* list = New<TCheckListBox>(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 200, 120);
  for (const char* s : {"Região", "Sexo", "Idade"}) list->Items()->Add(s);
  return list;
}

// A point on item Index's box, and one on its text.
TPoint boxOf(TCheckListBox* list, Integer Index) {
  TRect r = list->ItemRect(Index);
  return Point(r.left + list->GetCheckWidth() / 2, (r.top + r.bottom) / 2);
}
TPoint textOf(TCheckListBox* list, Integer Index) {
  TRect r = list->ItemRect(Index);
  return Point(r.left + list->GetCheckWidth() + 20, (r.top + r.bottom) / 2);
}

}  // namespace

RTL_IMPLEMENT_CLASS(TCheckLog)

class CheckLstTest : public GuiTest {};

TEST_F(CheckLstTest, ClickOnTheBoxTogglesTheItemAndClickOnTheTextOnlySelectsIt) {
  TForm* form = own(newForm(300, 200));
  TObjectPtr<TCheckLog> log(new TCheckLog());
  TCheckListBox* list = makeList(form);
  list->SetOnClickCheck(TNotifyEvent(log.get(), &TCheckLog::ClickCheck));
  showAndActivate(form);
  clickAt(list, boxOf(list, 1));
  EXPECT_TRUE(list->Checked(1));
  EXPECT_EQ(log->Checks, 1);
  clickAt(list, textOf(list, 2));
  EXPECT_FALSE(list->Checked(2)) << "the text is not the box";
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(log->Checks, 1);
  clickAt(list, boxOf(list, 1));
  EXPECT_FALSE(list->Checked(1));
  EXPECT_EQ(log->Checks, 2);
}

TEST_F(CheckLstTest, SpaceTogglesTheFocusedItemButNotADisabledOne) {
  TForm* form = own(newForm(300, 200));
  TObjectPtr<TCheckLog> log(new TCheckLog());
  TCheckListBox* list = makeList(form);
  list->SetOnClickCheck(TNotifyEvent(log.get(), &TCheckLog::ClickCheck));
  list->SetItemEnabled(2, false);
  showAndActivate(form);
  list->SetFocus();
  list->SetItemIndex(0);
  pressKey(VK_SPACE);
  EXPECT_TRUE(list->Checked(0));
  EXPECT_EQ(list->ItemIndex(), 0) << "Space does not move the selection";
  list->SetItemIndex(2);
  pressKey(VK_SPACE);
  EXPECT_FALSE(list->Checked(2)) << "a disabled item keeps its state";
  clickAt(list, boxOf(list, 2));
  EXPECT_FALSE(list->Checked(2));
  EXPECT_EQ(log->Checks, 1);
}

TEST_F(CheckLstTest, AllowGrayedStepsThroughGrayedAndCheckedReadsOnlyChecked) {
  TForm* form = own(newForm(300, 200));
  TCheckListBox* list = makeList(form);
  list->SetAllowGrayed(true);
  showAndActivate(form);
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    clickAt(list, boxOf(list, 0));
    seen.push_back(list->State(0));
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
  list->SetState(1, cbGrayed);
  EXPECT_FALSE(list->Checked(1)) << "grayed is not checked";
}

TEST_F(CheckLstTest, BoxesShowTheirStates) {
  TForm* form = own(newForm(300, 200));
  TCheckListBox* list = makeList(form);
  list->SetChecked(0, true);
  showAndActivate(form);
  TBitmap shot;
  captureClient(list, shot);
  // The pixels of each item's box that are not the list's background: a check mark adds
  // many to the box's border.
  uint32_t background = static_cast<uint32_t>(ColorToRGB(clWindow)) & 0xFFFFFF;
  auto drawnPixels = [&](Integer index) {
    TRect r = list->ItemRect(index);
    Integer n = 0;
    for (Integer y = r.top; y < r.bottom; ++y)
      for (Integer x = r.left; x < r.left + list->GetCheckWidth(); ++x) n += pixelAt(shot, x, y) != background;
    return n;
  };
  EXPECT_GT(drawnPixels(1), 20) << "an unchecked box shows its border";
  EXPECT_GT(drawnPixels(0), drawnPixels(1) + 5) << "a checked box shows its mark";
}

TEST_F(CheckLstTest, StatesAndObjectsStayWithTheirItemsAcrossANewWindowAndMoves) {
  TForm* form = own(newForm(300, 200));
  TCheckListBox* list = New<TCheckListBox>(form);
  list->SetParent(form);
  TObjectPtr<TObject> a(new TObject()), b(new TObject());
  list->Items()->AddObject("a", a.get());
  list->Items()->AddObject("b", b.get());
  list->Items()->Add("c");
  list->SetChecked(1, true);
  list->SetItemEnabled(2, false);
  HWND first = list->Handle();
  list->SetBorderStyle(bsNone);
  ASSERT_NE(list->Handle(), first);
  EXPECT_EQ(list->Items()->Objects(0), a.get());
  EXPECT_EQ(list->Items()->Objects(1), b.get());
  EXPECT_TRUE(list->Checked(1));
  EXPECT_FALSE(list->ItemEnabled(2));
  list->Items()->Move(1, 0);
  EXPECT_EQ(list->Items()->Strings(0), "b");
  EXPECT_TRUE(list->Checked(0)) << "the state moves with the item";
  EXPECT_EQ(list->Items()->Objects(0), b.get());
  list->Items()->Exchange(0, 2);
  EXPECT_FALSE(list->ItemEnabled(0));
  EXPECT_TRUE(list->Checked(2));
  list->Items()->Delete(2);
  EXPECT_FALSE(list->Checked(1)) << "item a, never checked";
}

TEST_F(CheckLstTest, IndexOutOfRangeRaisesTheListError) {
  TForm* form = own(newForm());
  TCheckListBox* list = makeList(form);
  EXPECT_EQ(RaisedMessage<EListError>([&] { list->Checked(3); }), "List index out of bounds (3)");
  EXPECT_EQ(RaisedMessage<EListError>([&] { list->SetState(-1, cbChecked); }), "List index out of bounds (-1)");
  EXPECT_EQ(RaisedMessage<EListError>([&] { list->SetItemEnabled(9, false); }), "List index out of bounds (9)");
}
