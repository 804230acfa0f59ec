// The radio group: the mapping between items, ItemIndex and the edit value, choices made
// with real clicks and arrow keys, a read-only group, the buttons following the items, the
// group box's caption positions, and the painting in two look-and-feel kinds (saved as PNG
// for a person to look at).
#include <string>
#include <vector>

#include "../foundation/CxTestHelpers.h"
#include "cx/editors/extra/cxRadioGroup.h"
#include "platform/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

class GroupLog : public TObject {
public:
  std::vector<std::string> Events;
  void Click(TObject*) { Events.push_back("click"); }
  void Change(TObject*) { Events.push_back("change"); }
  std::string Text() const {
    std::string s;
    for (const auto& e : Events) s += (s.empty() ? "" : ",") + e;
    return s;
  }
};

class RadioGroupTest : public GuiTest {
protected:
  TForm* newForm(Integer W = 420, Integer H = 260) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  // The main window's "Tipo" group.
  TcxRadioGroup* newGroup(TForm* Form, Integer X, Integer Y,
                          const std::vector<std::string>& Captions = {"Uniforme", "Proporcional", "Ótima", "GRD"}) {
    auto* g = New<TcxRadioGroup>(Form);
    g->SetParent(Form);
    g->SetBounds(X, Y, 120, 100);
    g->SetCaption("Tipo");
    for (const std::string& c : Captions) g->Properties()->Items()->Add()->SetCaption(c);
    return g;
  }
  static TPoint centreOf(TControl* C) { return TPoint{C->Width() / 2, C->Height() / 2}; }
};

}  // namespace

TEST(cxRadioGroupProperties, IsRegisteredAsAnEditor) {
  EXPECT_EQ(cxGetEditorRegistry()->GetDescriptionByClass(TcxRadioGroupProperties::StaticClass()),
            "RadioGroup|Represents a group of radio buttons");
}

TEST_F(RadioGroupTest, CaptionsWithoutValuesMapToTheEditValueCaseSensitively) {
  TForm* form = newForm();
  TcxRadioGroup* group = newGroup(form, 10, 10);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_TRUE(group->EditValue().IsNull());
  group->SetItemIndex(2);
  EXPECT_EQ(VarToStr(group->EditValue()), "Ótima");
  EXPECT_TRUE(group->RadioButtons(2)->Checked());
  struct Case {
    Variant Value;
    Integer Index;
  } const cases[] = {{Variant("Proporcional"), 1}, {Variant("ótima"), -1}, {Variant("GRD"), 3}, {Null(), -1}};
  for (const Case& c : cases) {
    group->SetEditValue(c.Value);
    EXPECT_EQ(group->ItemIndex(), c.Index) << VarToStr(c.Value);
    for (Integer i = 0; i < group->ButtonCount(); ++i)
      EXPECT_EQ(group->RadioButtons(i)->Checked(), i == c.Index) << VarToStr(c.Value) << " button " << i;
  }
  // Two equal captions: the first wins.
  group->Properties()->Items()->Items(3)->SetCaption("Proporcional");
  group->SetEditValue(Variant("Proporcional"));
  EXPECT_EQ(group->ItemIndex(), 1);
}

TEST_F(RadioGroupTest, ItemValuesDefaultValueAndClamping) {
  TForm* form = newForm();
  TcxRadioGroup* group = newGroup(form, 10, 10, {"Dez", "Vinte"});
  group->Properties()->Items()->Items(0)->SetValue(Variant(10));
  group->Properties()->Items()->Items(1)->SetValue(Variant(20));
  group->Properties()->SetDefaultCaption("(nenhum)");
  group->Properties()->SetDefaultValue(Variant(0));
  group->SetEditValue(Variant(20));
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(group->GetDisplayText(), "Vinte");
  group->SetEditValue(Variant(30));
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(static_cast<Integer>(group->EditValue()), 30) << "an unmatched value stays";
  EXPECT_EQ(group->GetDisplayText(), "(nenhum)");
  group->SetItemIndex(7);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(static_cast<Integer>(group->EditValue()), 20);
  group->SetItemIndex(-5);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(static_cast<Integer>(group->EditValue()), 0) << "no choice gives DefaultValue";
  // Re-writing the same index clears Modified.
  group->SetModified(true);
  group->SetItemIndex(-1);
  EXPECT_FALSE(group->Modified());
  EXPECT_EQ(group->GetRadioProperties()->GetCapabilities(), 415);
  TcxRadioGroup* empty = newGroup(form, 150, 10, {});
  EXPECT_EQ(empty->GetRadioProperties()->GetCapabilities(), 399);
  empty->SetItemIndex(0);
  EXPECT_EQ(empty->ItemIndex(), -1);
}

TEST_F(RadioGroupTest, ClickingAButtonChoosesItOnceWithOneClickAndOneChange) {
  TForm* form = newForm();
  TcxRadioGroup* group = newGroup(form, 10, 10);
  GroupLog log;
  group->SetOnClick(TNotifyEvent(&log, &GroupLog::Click));
  group->Properties()->SetOnChange(TNotifyEvent(&log, &GroupLog::Change));
  showAndActivate(form);
  TcxCustomRadioGroupButton* third = group->RadioButtons(2);
  clickAt(third, TPoint{8, third->Height() / 2});
  pumpFor(50);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(VarToStr(group->EditValue()), "Ótima");
  EXPECT_EQ(log.Text(), "click,change");
  log.Events.clear();
  clickAt(third, TPoint{8, third->Height() / 2});
  pumpFor(50);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(log.Text(), "") << "clicking the chosen button changes nothing";
}

TEST_F(RadioGroupTest, ArrowKeysMoveTheChoiceThroughColumns) {
  TForm* form = newForm();
  TcxRadioGroup* group = newGroup(form, 10, 10, {"a", "b", "c", "d", "e"});
  group->SetWidth(240);
  group->Properties()->SetColumns(2);
  showAndActivate(form);
  // 5 items in 2 columns: 0-2 on the left, 3-4 on the right.
  EXPECT_EQ(group->RowCount(), 3);
  EXPECT_LT(group->ButtonRect(2).left, group->ButtonRect(3).left);
  EXPECT_EQ(group->ButtonRect(3).top, group->ButtonRect(0).top);
  group->RadioButtons(1)->SetFocus();
  pumpFor(30);
  EXPECT_EQ(group->ItemIndex(), 1) << "focus entry chooses";
  // The group's own key step (what an in-place group, which wants the arrows, gets): by
  // columns. The key goes to the focused button, which passes it on to the group.
  struct Step {
    WORD Key;
    Integer Expected;
  } const steps[] = {{VK_RIGHT, 4}, {VK_DOWN, 4}, {VK_LEFT, 1}, {VK_DOWN, 2}, {VK_RIGHT, 2}, {VK_UP, 1}, {VK_UP, 0}};
  for (const Step& s : steps) {
    Integer focused = group->FocusedButtonIndex();
    ASSERT_GE(focused, 0);
    group->Buttons(focused)->Perform(WM_KEYDOWN, s.Key, 0);
    pumpFor(30);
    EXPECT_EQ(group->ItemIndex(), s.Expected) << "key " << s.Key;
    EXPECT_TRUE(group->RadioButtons(s.Expected)->Focused());
  }
  // Standalone, real arrow keys go to the form's navigation: the buttons in item order.
  pressKey(VK_DOWN);
  pumpFor(30);
  EXPECT_EQ(group->ItemIndex(), 1);
  pressKey(VK_RIGHT);
  pumpFor(30);
  EXPECT_EQ(group->ItemIndex(), 2);
}

TEST_F(RadioGroupTest, AReadOnlyGroupKeepsItsChoice) {
  TForm* form = newForm();
  TcxRadioGroup* group = newGroup(form, 10, 10);
  group->SetItemIndex(0);
  group->Properties()->SetReadOnly(true);
  showAndActivate(form);
  TcxCustomRadioGroupButton* second = group->RadioButtons(1);
  clickAt(second, TPoint{8, second->Height() / 2});
  pumpFor(50);
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_TRUE(group->RadioButtons(0)->Checked());
  EXPECT_FALSE(second->Checked());
  pressKey(VK_SPACE);
  pumpFor(30);
  EXPECT_EQ(group->ItemIndex(), 0);
}

TEST_F(RadioGroupTest, ButtonsFollowTheItemsOneForOne) {
  TForm* form = newForm();
  TcxRadioGroup* group = newGroup(form, 10, 10);
  showAndActivate(form);
  std::vector<TWinControl*> before;
  for (Integer i = 0; i < group->ButtonCount(); ++i) before.push_back(group->Buttons(i));
  group->SetItemIndex(3);
  delete group->Properties()->Items()->Items(1);
  ASSERT_EQ(group->ButtonCount(), 3);
  EXPECT_EQ(group->Buttons(0), before[0]);
  EXPECT_EQ(group->Buttons(1), before[2]) << "exactly the middle button went";
  EXPECT_EQ(group->Buttons(2), before[3]);
  EXPECT_EQ(group->RadioButtons(1)->Caption(), "Ótima");
  group->Properties()->Items()->Items(0)->SetEnabled(false);
  EXPECT_FALSE(group->Buttons(0)->Enabled());
  group->Properties()->Items()->Add()->SetCaption("Nova");
  EXPECT_EQ(group->ButtonCount(), 4);
  EXPECT_EQ(group->RadioButtons(3)->Caption(), "Nova");
}

TEST_F(RadioGroupTest, CaptionPositionsOnEveryEdge) {
  TForm* form = newForm(460, 300);
  TcxRadioGroup* group = newGroup(form, 10, 10);
  group->SetBounds(10, 10, 200, 160);
  showAndActivate(form);
  const Integer h = group->CaptionHeight();
  struct Case {
    TcxCaptionAlignment A;
    bool Vertical;
  } const cases[] = {{alTopLeft, false},   {alTopCenter, false}, {alTopRight, false},  {alBottomLeft, false},
                     {alBottomRight, false}, {alLeftTop, true},  {alLeftCenter, true}, {alRightBottom, true},
                     {alCenterCenter, false}};
  for (const Case& c : cases) {
    group->SetAlignment(c.A);
    group->Repaint();
    pumpFor(20);
    TRect r = group->CaptionRect();
    const Integer w = c.Vertical ? r.bottom - r.top : r.right - r.left;
    ASSERT_GT(w, 0) << static_cast<int>(c.A);
    switch (c.A) {
      case alTopLeft: EXPECT_EQ(r.left, 8); EXPECT_EQ(r.top, 0); break;
      case alTopCenter: EXPECT_EQ(r.left, (200 - w) / 2); break;
      case alTopRight: EXPECT_EQ(r.right, 200 - 8); break;
      case alBottomLeft: EXPECT_EQ(r.top, 160 - h - 2); break;
      case alBottomRight: EXPECT_EQ(r.right, 192); EXPECT_EQ(r.bottom, 160 - 2); break;
      case alLeftTop: EXPECT_EQ(r.left, -1); EXPECT_EQ(r.top, 8); EXPECT_EQ(r.right, h - 1); break;
      case alLeftCenter: EXPECT_EQ(r.bottom, 160 - (160 - w) / 2); break;
      case alRightBottom: EXPECT_EQ(r.bottom, 160 - 8); EXPECT_EQ(r.left, 200 - h + 1); break;
      case alCenterCenter: EXPECT_EQ(r.top, (160 - h) / 2); break;
      default: break;
    }
    // The caption's text is drawn inside its rectangle.
    TBitmap shot;
    captureClient(group, shot);
    TRect inside{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, 200),
                 std::min<LONG>(r.bottom, 160)};
    // (A centred caption lies under the buttons.)
    if (c.A != alCenterCenter) {
      EXPECT_GT(countNot(shot, inside, rgbOfColor(clBtnFace)), 5) << "caption ink at " << static_cast<int>(c.A);
    }
    if (c.A == alLeftCenter) {
      EXPECT_FALSE(savePng(shot, "cx-groupbox-left-center").empty());
    }
  }
  // An empty caption leaves the frame whole.
  group->SetAlignment(alTopLeft);
  group->SetCaption("");
  group->Repaint();
  pumpFor(20);
  TBitmap shot;
  captureClient(group, shot);
  const Integer frameTop = group->FrameRect().top;
  EXPECT_EQ(pixelOf(shot, 20, frameTop), pixelOf(shot, 120, frameTop)) << "no gap in the top line";
  EXPECT_NE(pixelOf(shot, 20, frameTop), rgbOfColor(clBtnFace));
}

TEST_F(RadioGroupTest, GlyphsPaintInStandardFlatAndUltraFlatKinds) {
  TForm* form = newForm(420, 150);
  const TcxLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat};
  std::vector<TcxRadioGroup*> groups;
  for (int k = 0; k < 3; ++k) {
    TcxRadioGroup* g = newGroup(form, 8 + k * 135, 8);
    g->SetWidth(130);
    g->Style()->LookAndFeel()->SetKind(kinds[k]);
    g->SetItemIndex(1);
    groups.push_back(g);
  }
  showAndActivate(form);
  moveMouseTo(form->ClientToScreen(TPoint{410, 140}));
  pumpFor(60);
  TBitmap shot;
  captureClient(form, shot);
  EXPECT_FALSE(savePng(shot, "cx-radiogroup-kinds").empty());
  std::vector<int> checkedInk;
  for (TcxRadioGroup* g : groups) {
    TcxCustomRadioGroupButton* unchecked = g->RadioButtons(0);
    TcxCustomRadioGroupButton* checked = g->RadioButtons(1);
    TBitmap a, b;
    captureClient(unchecked, a);
    captureClient(checked, b);
    TRect glyph = checked->GlyphRect();
    EXPECT_GT(countNot(a, glyph, rgbOfColor(clBtnFace)), 10) << "an unchecked glyph is drawn";
    int differing = 0;
    for (int y = glyph.top; y < glyph.bottom; ++y)
      for (int x = glyph.left; x < glyph.right; ++x)
        if (pixelAt(a, x, y) != pixelAt(b, x, y)) ++differing;
    EXPECT_GT(differing, 3) << "the checked glyph shows its dot";
    EXPECT_GT(countNot(b, TRect{glyph.right + 2, 0, b.Width(), b.Height()}, rgbOfColor(clBtnFace)), 10)
        << "the caption is drawn";
    checkedInk.push_back(countNot(b, glyph, rgbOfColor(clBtnFace)));
  }
  TBitmap s, f;
  captureClient(groups[0]->RadioButtons(1), s);
  captureClient(groups[1]->RadioButtons(1), f);
  EXPECT_GT(pixelDifferences(s, f), 0) << "standard and flat glyphs differ";
}
