// The drop-down editors on real windows: the popup's placement beside the editor (and above
// it near the screen's bottom), its sizing by the grip, the ways it opens and closes (button,
// F4, Alt+arrows, Enter, Esc, an outside click, the loss of activation), the value taken on
// closing, the combo box's item choice by typing, keys, wheel and mouse, and the popup edit's
// borrowed control. Screenshots of the combo box closed and dropped down in three looks.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/editors/cxDropDownEdit.h"
#include "cx/foundation/cxEditConsts.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using namespace guitest;

namespace {

const char* const fruits[] = {"Abacate", "Banana", "Caju", "Damasco", "Figo", "Goiaba", "Jaca", "Kiwi",
                              "Laranja", "Manga", "Nectarina", "Pera", "Quiabo", "Romã", "Siriguela",
                              "Tâmara", "Uva", "Umbu", "Acerola", "Jabuticaba"};

class EventLog : public TObject {
public:
  std::vector<std::string> Events;
  bool AllowClose = true;
  void Popup(TObject*) { Events.push_back("popup"); }
  void CloseUp(TObject*) { Events.push_back("closeup"); }
  void InitPopup(TObject*) { Events.push_back("init"); }
  void Posted(TObject*) { Events.push_back("posted"); }
  void CloseQuery(TObject*, bool& CanClose) {
    Events.push_back("query");
    CanClose = AllowClose;
  }
  Integer count(const std::string& AName) const {
    Integer n = 0;
    for (const auto& e : Events) n += e == AName ? 1 : 0;
    return n;
  }
};

// A combo box that counts the postings of its value.
class PostCountingCombo : public TcxComboBox {
public:
  explicit PostCountingCombo(TComponent* AOwner) : TcxComboBox(AOwner) {}
  Integer Posts = 0;
  void BeforePosting() override {
    ++Posts;
    TcxComboBox::BeforePosting();
  }
};

class DropDownEditTest : public GuiTest {
protected:
  TForm* newForm(Integer X = 60, Integer Y = 60, Integer W = 420, Integer H = 260) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(X, Y, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxComboBox* newCombo(TForm* Form, Integer ACount, Integer X = 10, Integer Y = 10, Integer W = 160) {
    auto* combo = New<TcxComboBox>(Form);
    combo->SetParent(Form);
    combo->SetBounds(X, Y, W, 21);
    for (Integer i = 0; i < ACount; ++i) combo->Properties()->Items()->Add(fruits[i % 20]);
    return combo;
  }
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(Form->ClientWidth() - 70, Form->ClientHeight() - 30, 60, 22);
    return edit;
  }
  void focusAndWait(TcxCustomTextEdit* Edit) {
    Edit->SetFocus();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == Edit->InnerEdit()->WindowHandle(); }));
    pumpFor(20);
  }
  static bool waitOpen(TcxCustomDropDownEdit* Edit, bool AOpen) {
    return pumpUntil([&] { return Edit->HasPopupWindow() == AOpen && Edit->PopupWindow()->Visible() == AOpen; }, 2000);
  }
  static TRect screenRect(TWinControl* Control) {
    RECT r;
    GetWindowRect(Control->WindowHandle(), &r);
    return r;
  }
  static TPoint buttonCentre(TcxCustomEdit* Edit) {
    const TRect r = Edit->GetViewInfo()->Button(0)->Bounds;
    return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static TcxCustomEditListBox* listOf(TcxComboBox* Combo) { return Combo->LookupData()->GetList(); }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Settings

TEST_F(DropDownEditTest, PopupSizeSettingsKeepToTheirMinimums) {
  TcxComboBoxProperties properties(nullptr);
  struct Case {
    Integer MinWidth, Width, ExpectedWidth;
  };
  const Case cases[] = {{100, 50, 100}, {100, 0, 0}, {100, -7, 0}, {0, 50, 50}, {100, 150, 150}};
  for (const Case& c : cases) {
    properties.SetPopupMinWidth(c.MinWidth);
    properties.SetPopupWidth(c.Width);
    EXPECT_EQ(properties.PopupWidth(), c.ExpectedWidth) << "min " << c.MinWidth << ", width " << c.Width;
  }
  properties.SetPopupWidth(0);
  properties.SetPopupMinWidth(0);
  properties.SetPopupHeight(120);
  properties.SetPopupMinHeight(150);
  EXPECT_EQ(properties.PopupHeight(), 150) << "a raised minimum raises the height";
  properties.SetPopupMinHeight(-3);
  EXPECT_EQ(properties.PopupMinHeight(), 0);
  properties.SetDropDownRows(5);
  properties.SetDropDownRows(0);
  EXPECT_EQ(properties.DropDownRows(), 5) << "rows below 1 are ignored";
  EXPECT_TRUE(properties.ClickInTextOpensPopup() == false);
  properties.SetDropDownListStyle(lsFixedList);
  EXPECT_TRUE(properties.ClickInTextOpensPopup());
  EXPECT_EQ(properties.GetInputStyle(), tisFixedList);
}

TEST_F(DropDownEditTest, AGlyphMakesTheDropDownButtonAGlyphButtonAndNoGlyphADownArrowAgain) {
  TcxComboBoxProperties properties(nullptr);
  ASSERT_EQ(properties.Buttons()->Count(), 1);
  TcxEditButton* button = properties.Buttons()->GetItem(0);
  EXPECT_EQ(button->Kind(), bkDown);
  TBitmap glyph;
  glyph.SetWidth(8);
  glyph.SetHeight(8);
  properties.SetButtonGlyph(&glyph);
  EXPECT_EQ(button->Kind(), bkGlyph);
  TBitmap empty;
  properties.SetButtonGlyph(&empty);
  EXPECT_EQ(button->Kind(), bkDown);
}

TEST_F(DropDownEditTest, TheEditorsAreRegistered) {
  EXPECT_EQ(cxGetEditorRegistry()->GetDescriptionByClass(TcxComboBoxProperties::StaticClass()),
            cxGetResourceString(&scxEditRegComboBox));
  EXPECT_EQ(cxGetEditorRegistry()->GetDescriptionByClass(TcxPopupEditProperties::StaticClass()),
            cxGetResourceString(&scxEditRegPopupEdit));
}

// ---------------------------------------------------------------------------------------
// Opening, placement and closing

TEST_F(DropDownEditTest, F4OpensBelowTheEditorAndAgainClosesAcceptingAltArrowsToo) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 20);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  const TRect editor = screenRect(combo);
  const TRect popup = screenRect(combo->PopupWindow());
  EXPECT_GE(popup.top, editor.bottom - 3) << "below the editor";
  EXPECT_LE(popup.top, editor.bottom + 2);
  EXPECT_NEAR(popup.left, editor.left, 2) << "left-aligned with the editor";
  EXPECT_EQ(combo->PopupWindow()->GetViewInfo()->SizeGripCorner, 3);
  EXPECT_EQ(GetFocus(), combo->InnerEdit()->WindowHandle()) << "the focus stays in the editor";
  // Down moves the list's row; F4 closes accepting it.
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pumpFor(30);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Text(), "Banana");
  pressWith({VK_MENU}, VK_DOWN);
  ASSERT_TRUE(waitOpen(combo, true));
  pressKey(VK_DOWN);
  pumpFor(30);
  pressWith({VK_MENU}, VK_UP);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Text(), "Caju");
  EXPECT_EQ(combo->GetItemIndex(), 2);
}

TEST_F(DropDownEditTest, NearTheScreenBottomThePopupOpensAboveWithItsGripAtTheTop) {
  TForm* form = newForm(60, 1024 - 120, 420, 100);
  TcxComboBox* combo = newCombo(form, 20, 10, 20);
  combo->Properties()->SetDropDownSizeable(true);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  const TRect editor = screenRect(combo);
  const TRect popup = screenRect(combo->PopupWindow());
  EXPECT_LE(popup.bottom, editor.top + 2) << "above the editor";
  EXPECT_EQ(combo->PopupWindow()->GetViewInfo()->SizeGripCorner, 1) << "grip at the top right";
  const TRect grip = combo->PopupWindow()->GetViewInfo()->SizeGripRect;
  EXPECT_LT(grip.top, 10) << "the grip strip lies at the top";
}

TEST_F(DropDownEditTest, EscapeClosesWithoutAcceptingAndTheKeyStopsThere) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 5);
  combo->SetText("Caju");
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  pressKey(VK_DOWN);
  pumpFor(30);
  pressKey(VK_ESCAPE);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Text(), "Caju") << "the row moved in the list is not taken";
  EXPECT_EQ(GetFocus(), combo->InnerEdit()->WindowHandle());
}

TEST_F(DropDownEditTest, EnterClosesAcceptingAndPostsWithImmediatePost) {
  TForm* form = newForm();
  auto* combo = New<PostCountingCombo>(form);
  combo->SetParent(form);
  combo->SetBounds(10, 10, 160, 21);
  for (Integer i = 0; i < 5; ++i) combo->Properties()->Items()->Add(fruits[i]);
  combo->Properties()->SetImmediatePost(true);
  EventLog log;
  combo->Properties()->SetOnPopup(TNotifyEvent(&log, &EventLog::Popup));
  combo->Properties()->SetOnCloseUp(TNotifyEvent(&log, &EventLog::CloseUp));
  combo->Properties()->SetOnInitPopup(TNotifyEvent(&log, &EventLog::InitPopup));
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pumpFor(30);
  EXPECT_EQ(combo->Posts, 0) << "moving in the open list posts nothing";
  pressKey(VK_RETURN);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Text(), "Caju");
  EXPECT_EQ(VarToStr(combo->EditValue()), "Caju");
  EXPECT_EQ(combo->Posts, 1) << "the accepted value is posted once on closing";
  EXPECT_EQ(log.count("init"), 1);
  EXPECT_EQ(log.count("popup"), 1);
  EXPECT_EQ(log.count("closeup"), 1);
  // Escape after moving posts nothing.
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  pressKey(VK_DOWN);
  pressKey(VK_ESCAPE);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Posts, 1);
  EXPECT_EQ(combo->Text(), "Caju");
}

TEST_F(DropDownEditTest, TheButtonOpensAndAClickOnItWhileOpenClosesWithoutReopening) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 5);
  showAndActivate(form);
  clickAt(combo, buttonCentre(combo));
  ASSERT_TRUE(waitOpen(combo, true));
  clickAt(combo, buttonCentre(combo));
  ASSERT_TRUE(waitOpen(combo, false));
  pumpFor(200);
  EXPECT_FALSE(combo->HasPopupWindow()) << "the closing click does not open it again";
  clickAt(combo, buttonCentre(combo));
  EXPECT_TRUE(waitOpen(combo, true)) << "the next click opens it";
}

TEST_F(DropDownEditTest, AnOutsideClickAndTheLossOfActivationClose) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 5);
  combo->SetText("Figo");
  TEdit* other = focusHolder(form);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  pressKey(VK_DOWN);
  clickAt(form, TPoint{300, 120});
  EXPECT_TRUE(waitOpen(combo, false)) << "a click on the form closes the popup";
  EXPECT_EQ(combo->Text(), "Figo") << "without accepting";
  (void)other;

  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  TForm* second = newForm(500, 400, 200, 100);
  showAndActivate(second);
  EXPECT_TRUE(waitOpen(combo, false)) << "another window taking the activation closes the popup";
}

TEST_F(DropDownEditTest, LeavingTheEditorClosesItsPopup) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 5);
  TEdit* other = focusHolder(form);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  other->SetFocus();
  EXPECT_TRUE(waitOpen(combo, false));
}

// ---------------------------------------------------------------------------------------
// The combo box's list

TEST_F(DropDownEditTest, TheListShowsDropDownRowsWithAScrollBarOrEveryRow) {
  TForm* form = newForm();
  TcxComboBox* many = newCombo(form, 20);
  TcxComboBox* few = newCombo(form, 3, 200);
  showAndActivate(form);
  struct Case {
    TcxComboBox* Combo;
    Integer Rows;
    bool ScrollBar;
  };
  for (const Case& c : {Case{many, 8, true}, Case{few, 3, false}}) {
    focusAndWait(c.Combo);
    pressKey(VK_F4);
    ASSERT_TRUE(waitOpen(c.Combo, true));
    TcxCustomEditListBox* list = listOf(c.Combo);
    ASSERT_NE(list, nullptr);
    const Integer row = list->GetDefaultItemHeight(0);
    EXPECT_EQ(list->ClientHeight(), c.Rows * row) << c.Rows << " rows of " << row;
    const bool bar = (GetWindowLongA(list->WindowHandle(), GWL_STYLE) & WS_VSCROLL) != 0;
    EXPECT_EQ(bar, c.ScrollBar);
    pressKey(VK_ESCAPE);
    ASSERT_TRUE(waitOpen(c.Combo, false));
  }
}

TEST_F(DropDownEditTest, AClickOnARowChoosesItAndCloses) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 10);
  showAndActivate(form);
  clickAt(combo, buttonCentre(combo));
  ASSERT_TRUE(waitOpen(combo, true));
  TcxCustomEditListBox* list = listOf(combo);
  const Integer row = list->GetDefaultItemHeight(0);
  clickAt(list, TPoint{20, row * 4 + row / 2});
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Text(), "Figo");
  EXPECT_EQ(combo->GetItemIndex(), 4);
}

// The chosen row is drawn in the highlight colours, its text in the highlight text colour.
TEST_F(DropDownEditTest, TheChosenRowIsDrawnInTheHighlightColours) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 10);
  combo->SetItemIndex(5);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  TcxCustomEditListBox* list = listOf(combo);
  pumpFor(50);
  TBitmap shot;
  captureClient(list, shot);
  const Integer row = list->GetDefaultItemHeight(0);
  const Integer chosen = list->ItemIndex();
  ASSERT_GE(chosen, 0);
  const Integer top = (chosen - list->TopIndex()) * row;
  const uint32_t highlight = ColorToRGB(clHighlight) & 0xFFFFFF;
  const uint32_t highlightText = ColorToRGB(clHighlightText) & 0xFFFFFF;
  // Text in the window text colour would show as pixels darker than the highlight in every
  // channel; the highlight text colour lies at the other end.
  auto darker = [](uint32_t A, uint32_t B) {
    for (int shift = 0; shift < 24; shift += 8)
      if (((A >> shift) & 0xFF) >= ((B >> shift) & 0xFF)) return false;
    return true;
  };
  Integer textPixels = 0, darkPixels = 0;
  for (Integer y = top; y < top + row; ++y)
    for (Integer x = 0; x < list->ClientWidth(); ++x) {
      const uint32_t c = pixelAt(shot, x, y);
      if (c == highlightText) ++textPixels;
      else if (darker(c, highlight)) ++darkPixels;
    }
  EXPECT_GT(textPixels, 10) << "the chosen row's text in " << hexOf(highlightText);
  EXPECT_EQ(darkPixels, 0) << "no text in a dark colour on the " << hexOf(highlight) << " row";
  pressKey(VK_ESCAPE);
  ASSERT_TRUE(waitOpen(combo, false));
}

TEST_F(DropDownEditTest, TypingOpensTheListAndCompletesTheItem) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 10);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey('J');
  ASSERT_TRUE(waitOpen(combo, true)) << "a printable key drops the list down";
  pumpFor(50);
  EXPECT_EQ(combo->Text(), "Jaca") << "the typed letter completes to the first item";
  EXPECT_EQ(combo->InnerEdit()->Text(), "Jaca");
  pressKey(VK_RETURN);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->GetItemIndex(), 6);
}

TEST_F(DropDownEditTest, KeysAndWheelWalkTheItemsOfAClosedCombo) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 5);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_DOWN);
  pressKey(VK_DOWN);
  pumpFor(30);
  EXPECT_EQ(combo->Text(), "Banana");
  EXPECT_FALSE(combo->HasPopupWindow());
  moveMouseTo(combo->ClientToScreen(TPoint{30, 10}));
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA), 0);
  pumpFor(60);
  EXPECT_EQ(combo->Text(), "Caju") << "the wheel moves to the next item";
  pressKey(VK_UP);
  pumpFor(30);
  EXPECT_EQ(combo->Text(), "Banana");
}

TEST_F(DropDownEditTest, AClickInTheTextOpensOnlyAFixedList) {
  TForm* form = newForm();
  TcxComboBox* free = newCombo(form, 5);
  TcxComboBox* fixed = newCombo(form, 5, 200);
  fixed->Properties()->SetDropDownListStyle(lsFixedList);
  showAndActivate(form);
  clickAt(free, TPoint{20, 10});
  pumpFor(150);
  EXPECT_FALSE(free->HasPopupWindow());
  clickAt(fixed, TPoint{20, 10});
  EXPECT_TRUE(waitOpen(fixed, true)) << "a click in a fixed list's text opens it";
  clickAt(fixed, TPoint{20, 10});
  EXPECT_TRUE(waitOpen(fixed, false)) << "and the next one closes it";
  pumpFor(150);
  EXPECT_FALSE(fixed->HasPopupWindow()) << "without opening it again";
}

TEST_F(DropDownEditTest, ADoubleClickOnARevertableComboCyclesToTheFirstItem) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 3);
  TcxComboBox* plain = newCombo(form, 3, 200);
  combo->Properties()->SetRevertable(true);
  showAndActivate(form);
  combo->SetItemIndex(2);
  plain->SetItemIndex(2);
  EXPECT_EQ(combo->Text(), "Caju");
  doubleClickAt(combo, TPoint{20, 10});
  pumpFor(80);
  EXPECT_FALSE(combo->HasPopupWindow());
  EXPECT_EQ(combo->Text(), "Abacate") << "from the last item to the first";
  doubleClickAt(combo, TPoint{20, 10});
  pumpFor(80);
  EXPECT_EQ(combo->Text(), "Banana");
  doubleClickAt(plain, TPoint{20, 10});
  pumpFor(80);
  EXPECT_EQ(plain->Text(), "Caju") << "without Revertable a double click does not cycle";
}

// ---------------------------------------------------------------------------------------
// Sizing by the grip

TEST_F(DropDownEditTest, DraggingTheGripSizesThePopupToWholeRowsAndIsRemembered) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 20);
  combo->Properties()->SetDropDownSizeable(true);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  TcxCustomEditPopupWindow* popup = combo->PopupWindow();
  TcxCustomEditPopupWindowViewInfo* info = popup->GetViewInfo();
  ASSERT_FALSE(IsRectEmpty(&info->SizeGripRect)) << "a sizeable combo shows the grip";
  EXPECT_EQ(info->SizeGripCorner, 3);
  const TRect before = screenRect(popup);
  const Integer row = listOf(combo)->GetDefaultItemHeight(0);
  const TPoint grip{(info->SizeGripRect.left + info->SizeGripRect.right) / 2,
                    (info->SizeGripRect.top + info->SizeGripRect.bottom) / 2};
  const TPoint start = popup->ClientToScreen(grip);
  moveMouseTo(start);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  pumpFor(50);
  EXPECT_TRUE(TcxCustomEditPopupWindow::IsSizing());
  for (Integer step = 1; step <= 5; ++step) moveMouseTo(TPoint{start.x + step * 12, start.y + step * 7 + step / 2});
  pumpFor(50);
  const TRect band = TcxCustomEditPopupWindow::SizingBandRect();
  EXPECT_GT(band.right - band.left, before.right - before.left) << "the band follows the drag";
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  pumpFor(80);
  EXPECT_FALSE(TcxCustomEditPopupWindow::IsSizing());
  const TRect after = screenRect(popup);
  EXPECT_EQ(after.left, before.left) << "the edges opposite the grip stay";
  EXPECT_EQ(after.top, before.top);
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
  const Integer listHeight = listOf(combo)->ClientHeight();
  EXPECT_EQ(listHeight % row, 0) << "the list ends on a whole row: " << listHeight << " of rows " << row;
  pressKey(VK_ESCAPE);
  ASSERT_TRUE(waitOpen(combo, false));
  EXPECT_EQ(combo->Properties()->DropDownWidth(), after.right - after.left) << "the size survives the closing";
  EXPECT_EQ(combo->Properties()->PopupHeight(), after.bottom - after.top);
}

TEST_F(DropDownEditTest, TheGripCannotMakeThePopupSmallerThanItsFrameAndStrip) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 20, 10, 10, 200);
  combo->Properties()->SetDropDownSizeable(true);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  TcxCustomEditPopupWindow* popup = combo->PopupWindow();
  TSize minimum;
  popup->GetMinSize(minimum);
  Integer w = 5, h = 5;
  popup->CanResizePopup(w, h);
  EXPECT_GE(w, minimum.cx);
  EXPECT_GE(h, minimum.cy);
  const TRect extent = popup->GetViewInfo()->GetBorderExtent();
  EXPECT_GT(minimum.cx, extent.left + extent.right + 10) << "room for the close button and the grip";
}

TEST_F(DropDownEditTest, SizingAnEmptyListKeepsTheWantedSizeAboveTheMinimum) {
  TForm* form = newForm();
  TcxComboBox* combo = newCombo(form, 0);
  combo->Properties()->SetDropDownSizeable(true);
  showAndActivate(form);
  focusAndWait(combo);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(combo, true));
  TcxCustomEditPopupWindow* popup = combo->PopupWindow();
  TSize minimum;
  popup->GetMinSize(minimum);
  struct Case {
    Integer W, H, ExpectedW, ExpectedH;
  };
  const Case cases[] = {{200, 150, 200, 150}, {230, 97, 230, 97}, {1, 1, minimum.cx, minimum.cy}};
  for (const Case& c : cases) {
    Integer w = c.W, h = c.H;
    EXPECT_TRUE(popup->CanResizePopup(w, h));
    EXPECT_EQ(w, c.ExpectedW) << c.W << "x" << c.H;
    EXPECT_EQ(h, c.ExpectedH) << c.W << "x" << c.H;
  }
}

// ---------------------------------------------------------------------------------------
// The popup edit

TEST_F(DropDownEditTest, APopupEditShowsItsControlAndGivesItBack) {
  TForm* form = newForm();
  auto* panel = New<TPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(200, 120, 150, 80);
  auto* edit = New<TcxPopupEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 160, 21);
  edit->Properties()->SetPopupControl(panel);
  // The focus-taking popup would run its own message loop; the test drives it from here.
  edit->PopupWindow()->SetRunsModalLoop(false);
  showAndActivate(form);
  focusAndWait(edit);
  pressKey(VK_F4);
  ASSERT_TRUE(waitOpen(edit, true));
  EXPECT_EQ(panel->Parent(), edit->PopupWindow()) << "the control is borrowed while open";
  EXPECT_TRUE(panel->Visible());
  const TRect client = edit->PopupWindow()->PopupClientRect();
  EXPECT_EQ(panel->Width(), client.right - client.left) << "it fills the popup's client area";
  edit->ClosePopup(false);
  ASSERT_TRUE(waitOpen(edit, false));
  EXPECT_EQ(panel->Parent(), form) << "and given back afterwards";
  EXPECT_EQ(panel->Left(), 200);
  EXPECT_EQ(panel->Width(), 150);
}

TEST_F(DropDownEditTest, APopupEditWithoutControlOrWithACircularOneDoesNotOpen) {
  TForm* form = newForm();
  auto* edit = New<TcxPopupEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 160, 21);
  showAndActivate(form);
  focusAndWait(edit);
  edit->OpenPopup();
  pumpFor(100);
  EXPECT_FALSE(edit->HasPopupWindow()) << "no control, no popup";
  edit->Properties()->SetPopupControl(form);
  try {
    edit->OpenPopup();
    ADD_FAILURE() << "a control holding the editor is refused";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), cxGetResourceString(&scxEditCircularReferenceError));
  }
  pumpFor(100);
  EXPECT_FALSE(edit->HasPopupWindow());
  EXPECT_EQ(edit->Parent(), form);
}

TEST_F(DropDownEditTest, AFreedPopupControlIsForgotten) {
  TForm* form = newForm();
  auto* panel = New<TPanel>(form);
  auto* edit = New<TcxPopupEdit>(form);
  edit->SetParent(form);
  edit->Properties()->SetPopupControl(panel);
  delete panel;
  EXPECT_EQ(edit->Properties()->PopupControl(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Looks

TEST_F(DropDownEditTest, ScreenshotsClosedAndDroppedDownInThreeLooks) {
  const TcxLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat};
  const char* names[] = {"standard", "flat", "ultraflat"};
  for (int i = 0; i < 3; ++i) {
    TForm* form = newForm(60, 60, 260, 240);
    TcxComboBox* combo = newCombo(form, 12, 10, 10, 170);
    combo->Style()->LookAndFeel()->SetKind(kinds[i]);
    combo->Properties()->SetDropDownSizeable(i == 2);
    combo->SetText("Goiaba");
    showAndActivate(form);
    moveMouseTo(form->ClientToScreen(TPoint{240, 220}));
    pumpFor(60);
    TBitmap closed;
    captureClient(form, closed);
    EXPECT_FALSE(savePng(closed, std::string("combo_closed_") + names[i]).empty());
    focusAndWait(combo);
    pressKey(VK_F4);
    ASSERT_TRUE(waitOpen(combo, true));
    pumpFor(100);
    TBitmap shot;
    captureWindow(GetDesktopWindow(), shot);
    const TRect popup = screenRect(combo->PopupWindow());
    // The list paints its rows: the selected row's highlight shows inside the popup.
    bool highlight = false;
    const uint32_t selected = static_cast<uint32_t>(ColorToRGB(clHighlight));
    for (Integer y = popup.top + 2; y < popup.bottom - 2 && !highlight; ++y)
      for (Integer x = popup.left + 2; x < popup.right - 2 && !highlight; x += 2)
        highlight = pixelAt(shot, x, y) == selected;
    EXPECT_TRUE(highlight) << names[i];
    EXPECT_FALSE(savePng(shot, std::string("combo_dropped_") + names[i]).empty());
    pressKey(VK_ESCAPE);
    ASSERT_TRUE(waitOpen(combo, false));
  }
}

TEST_F(DropDownEditTest, ScreenshotOfAPopupEditClosedAndDroppedDown) {
  TForm* form = newForm(60, 60, 320, 300);
  auto* panel = New<TPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(150, 150, 120, 60);
  panel->SetCaption("Conteúdo");
  panel->SetVisible(false);
  auto* edit = New<TcxPopupEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 200, 21);
  edit->SetText("Região");
  edit->Properties()->SetPopupControl(panel);
  edit->Properties()->SetPopupSysPanelStyle(true);
  edit->PopupWindow()->SetRunsModalLoop(false);
  showAndActivate(form);
  moveMouseTo(form->ClientToScreen(TPoint{300, 280}));
  pumpFor(60);
  TBitmap closed;
  captureClient(form, closed);
  EXPECT_FALSE(savePng(closed, "popup_edit_closed").empty());
  edit->OpenPopup();
  ASSERT_TRUE(waitOpen(edit, true));
  pumpFor(100);
  // Auto-sized to the control: the client area takes the control's size.
  const TRect client = edit->PopupWindow()->PopupClientRect();
  EXPECT_EQ(client.right - client.left, 120);
  // A sizeable popup is at least PopupMinHeight (100) high.
  const TRect popup = screenRect(edit->PopupWindow());
  EXPECT_EQ(popup.bottom - popup.top, 100);
  EXPECT_FALSE(IsRectEmpty(&edit->PopupWindow()->GetViewInfo()->SizeGripRect)) << "sizeable, with the strip";
  TBitmap shot;
  captureWindow(GetDesktopWindow(), shot);
  EXPECT_FALSE(savePng(shot, "popup_edit_dropped").empty());
  edit->ClosePopup(false);
  ASSERT_TRUE(waitOpen(edit, false));
  EXPECT_FALSE(panel->Visible()) << "the control gets its visibility back";
}
