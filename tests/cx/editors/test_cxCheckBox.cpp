// The check box editor: the value mapping of its three states, the guarded state values,
// toggling by a real click, Space and the caption's accelerator, the events it raises,
// its caption that follows the control's name, what it stores, its layout numbers and its
// pixels in every look-and-feel kind and state (saved as PNG for a person to look at).
#include <string>
#include <vector>

#include "../foundation/CxTestHelpers.h"
#include "cx/editors/cxCheckBox.h"
#include "cx/editors/cxEditUtils.h"
#include "cx/foundation/dxThemeManager.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/TypInfo.h"

using namespace guitest;

namespace {

// Records the events of a check box in order.
class EventLog : public TObject {
public:
  std::vector<std::string> Events;
  void Click(TObject*) { Events.push_back("click"); }
  void Change(TObject*) { Events.push_back("change"); }
  void EditValueChanged(TObject*) { Events.push_back("value"); }
  void Editing(TObject*, bool& CanEdit) {
    Events.push_back("editing");
    CanEdit = AllowEditing;
  }
  bool AllowEditing = true;
  std::string Text() const {
    std::string s;
    for (const auto& e : Events) s += (s.empty() ? "" : ",") + e;
    return s;
  }
};

class CheckBoxTest : public GuiTest {
protected:
  void TearDown() override {
    if (ThemeServices()->ThemesEnabled()) SwitchTestVisualStyle(false);
    GuiTest::TearDown();
  }
  TForm* newForm(Integer W = 420, Integer H = 240) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxCheckBox* newBox(TForm* Form, Integer X, Integer Y, const std::string& ACaption = "Opção") {
    TcxCheckBox* box = New<TcxCheckBox>(Form);
    box->SetParent(Form);
    box->SetLeft(X);
    box->SetTop(Y);
    box->SetWidth(150);
    if (!ACaption.empty()) box->Properties()->SetCaption(ACaption);
    return box;
  }
  // An edit that takes the focus away from the boxes.
  TEdit* focusHolder(TForm* Form) {
    TEdit* edit = New<TEdit>(Form);
    edit->SetParent(Form);
    edit->SetBounds(Form->ClientWidth() - 70, Form->ClientHeight() - 30, 60, 22);
    return edit;
  }
  void listen(TcxCheckBox* Box, EventLog& Log) {
    Box->SetOnClick(TNotifyEvent(&Log, &EventLog::Click));
    Box->Properties()->SetOnChange(TNotifyEvent(&Log, &EventLog::Change));
    Box->Properties()->SetOnEditValueChanged(TNotifyEvent(&Log, &EventLog::EditValueChanged));
  }
  TPoint checkCentre(TcxCheckBox* Box) {
    const TRect& r = Box->GetCheckViewInfo()->CheckBoxRect;
    return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

std::string stateName(TcxCheckBoxState S) {
  switch (S) {
    case cbsUnchecked: return "unchecked";
    case cbsChecked: return "checked";
    default: return "grayed";
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The value model.

TEST_F(CheckBoxTest, ValuesMapToStatesAndDisplayTexts) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  EXPECT_TRUE(VarType(box->EditValue()) == varBoolean && !static_cast<bool>(box->EditValue())) << "a new box holds False";
  EXPECT_EQ(box->GetState(), cbsUnchecked);
  struct Case {
    Variant Value;
    TcxCheckBoxState State;
    const char* Text;
  };
  const Case cases[] = {
      {Variant(true), cbsChecked, "Verdadeiro"},
      {Variant(false), cbsUnchecked, "Falso"},
      {Null(), cbsGrayed, ""},
      {Variant(5), cbsGrayed, ""},
      {Variant("x"), cbsGrayed, ""},
  };
  for (const Case& c : cases) {
    box->SetEditValue(c.Value);
    EXPECT_EQ(stateName(box->GetState()), stateName(c.State)) << VarToStr(c.Value);
    EXPECT_EQ(box->GetDisplayText(), c.Text) << VarToStr(c.Value);
  }
  // Own values and texts.
  box->Properties()->SetValueChecked(Variant("S"));
  box->Properties()->SetValueUnchecked(Variant("N"));
  box->Properties()->SetDisplayChecked("Sim");
  box->SetEditValue(Variant("S"));
  EXPECT_EQ(box->GetState(), cbsChecked);
  EXPECT_EQ(box->GetDisplayText(), "Sim");
  box->SetState(cbsUnchecked);
  EXPECT_EQ(VarToStr(box->EditValue()), "N") << "a state writes a copy of its value";
}

TEST_F(CheckBoxTest, StateValuesThatWouldMergeTwoStatesAreIgnored) {
  TcxCheckBoxProperties* p = New<TcxCheckBoxProperties>(nullptr);
  TObjectPtr<TcxCheckBoxProperties> owned(p);
  p->SetValueChecked(Null());
  EXPECT_TRUE(VarType(p->ValueChecked()) == varBoolean) << "Null is not a checked value";
  p->SetValueChecked(Variant(false));
  EXPECT_TRUE(static_cast<bool>(p->ValueChecked())) << "the unchecked value cannot become the checked one";
  p->SetValueGrayed(Variant(true));
  EXPECT_TRUE(p->ValueGrayed().IsNull()) << "the checked value cannot become the grayed one";
  p->SetValueUnchecked(Variant(0));
  EXPECT_EQ(VarType(p->ValueUnchecked()), varInteger) << "0 differs from True in type, so it is accepted";
  p->SetValueGrayed(Variant(2));
  EXPECT_EQ(static_cast<Integer>(p->ValueGrayed()), 2);
  // Valid values are exactly the three, with their types.
  Variant v(0);
  EXPECT_TRUE(p->IsEditValueValid(v));
  Variant wrongType(false);
  EXPECT_FALSE(p->IsEditValueValid(wrongType));
}

TEST_F(CheckBoxTest, StoredPredicatesKeepDefaultsOutOfTheForm) {
  TcxCheckBoxProperties* p = New<TcxCheckBoxProperties>(nullptr);
  TObjectPtr<TcxCheckBoxProperties> owned(p);
  struct Row {
    const char* Name;
    bool Stored;
  };
  auto check = [&](std::initializer_list<Row> rows, const char* when) {
    for (const Row& r : rows) EXPECT_EQ(IsStoredProp(p, r.Name), r.Stored) << r.Name << " " << when;
  };
  check({{"DisplayChecked", false}, {"DisplayUnchecked", false}, {"DisplayGrayed", false}, {"ValueChecked", false},
         {"ValueUnchecked", false}, {"ValueGrayed", false}, {"Alignment", false}},
        "by default");
  p->SetDisplayUnchecked("falso");
  p->SetDisplayGrayed("?");
  p->SetValueChecked(Variant(1));
  p->SetValueGrayed(Variant(2));
  p->SetAlignment(taLeftJustify);
  check({{"DisplayUnchecked", true}, {"DisplayGrayed", true}, {"ValueChecked", true}, {"ValueGrayed", true},
         {"Alignment", true}},
        "after changes (case counts, an assigned alignment is stored even at its default)");
}

TEST_F(CheckBoxTest, ToggleCyclesThroughGrayedOnlyWhenAllowed) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  showAndActivate(form);
  std::string seen;
  for (int i = 0; i < 3; ++i) {
    clickAt(box, checkCentre(box));
    pumpFor(20);
    seen += stateName(box->GetState()) + " ";
  }
  EXPECT_EQ(seen, "checked unchecked checked ");
  box->SetChecked(false);
  box->Properties()->SetAllowGrayed(true);
  seen.clear();
  for (int i = 0; i < 4; ++i) {
    clickAt(box, checkCentre(box));
    pumpFor(20);
    seen += stateName(box->GetState()) + "=" + (box->EditValue().IsNull() ? "Null" : VarToStr(box->EditValue())) + " ";
  }
  EXPECT_EQ(seen, "grayed=Null checked=True unchecked=False grayed=Null ");
}

// ---------------------------------------------------------------------------------------
// Input and events.

TEST_F(CheckBoxTest, ClickRaisesClickChangeAndValueEventsOnceAndProgrammaticSetsAreSilentUnlessStateChanges) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  EventLog log;
  listen(box, log);
  showAndActivate(form);
  clickAt(box, checkCentre(box));
  pumpFor(30);
  // A toggle holds the change events back until the state is set: OnChange, then
  // OnEditValueChanged when it ends.
  EXPECT_EQ(log.Text(), "click,change,value");
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(box->ModifiedAfterEnter()) << "a click is a user change";
  log.Events.clear();
  box->SetChecked(true);
  EXPECT_EQ(log.Text(), "") << "the same state again raises nothing";
  box->SetChecked(false);
  EXPECT_EQ(log.Text(), "value,click,change") << "Checked as the class library's check box: OnClick too";
  log.Events.clear();
  box->SetEditValue(Variant(true));
  EXPECT_EQ(log.Text(), "value,change") << "a write of EditValue locks the click";
}

TEST_F(CheckBoxTest, ReleasingOutsideAfterPressingDoesNotToggleAndHoldingShowsPressed) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  TEdit* holder = focusHolder(form);
  showAndActivate(form);
  holder->SetFocus();
  TPoint inside = box->ClientToScreen(checkCentre(box));
  moveMouseTo(inside);
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &down, sizeof(INPUT));
  pumpFor(40);
  EXPECT_EQ(box->GetCheckViewInfo()->CheckBoxState, cxCheckButtonPressed) << "held inside";
  moveMouseTo(TPoint{inside.x + 300, inside.y + 150});
  pumpFor(40);
  EXPECT_EQ(box->GetCheckViewInfo()->CheckBoxState, cxCheckButtonNormal) << "dragged outside";
  INPUT up{};
  up.type = INPUT_MOUSE;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &up, sizeof(INPUT));
  pumpFor(40);
  EXPECT_FALSE(box->Checked()) << "released outside: no toggle";
  // A right click presses nothing and toggles nothing.
  clickAt(box, checkCentre(box), mbRight);
  pumpFor(30);
  EXPECT_FALSE(box->Checked());
}

TEST_F(CheckBoxTest, SpaceTogglesOnReleaseAndAReadOnlyOrRefusedBoxKeepsItsState) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  showAndActivate(form);
  box->SetFocus();
  pumpFor(20);
  moveMouseTo(form->ClientToScreen(TPoint{380, 200}));
  INPUT key{};
  key.type = INPUT_KEYBOARD;
  key.ki.wVk = VK_SPACE;
  SendInput(1, &key, sizeof(INPUT));
  pumpFor(40);
  EXPECT_TRUE(box->IsSpacePressed());
  EXPECT_EQ(box->GetCheckViewInfo()->CheckBoxState, cxCheckButtonPressed) << "Space held shows the pressed glyph";
  EXPECT_FALSE(box->Checked()) << "no toggle before the release";
  key.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &key, sizeof(INPUT));
  pumpFor(40);
  EXPECT_TRUE(box->Checked());
  EXPECT_FALSE(box->IsSpacePressed());

  // Once modified since entry the box may go on changing (the edit was granted); a new
  // edit asks again.
  box->SetModifiedAfterEnterFlag(false);
  box->Properties()->SetReadOnly(true);
  pressKey(VK_SPACE);
  pumpFor(30);
  EXPECT_TRUE(box->Checked()) << "read-only";
  box->Properties()->SetReadOnly(false);

  EventLog log;
  log.AllowEditing = false;
  box->SetOnEditing(TcxEditEditingEvent(&log, &EventLog::Editing));
  box->SetModifiedAfterEnterFlag(false);
  pressKey(VK_SPACE);
  pumpFor(30);
  EXPECT_TRUE(box->Checked()) << "OnEditing refused";
  EXPECT_EQ(log.Text(), "editing");
}

TEST_F(CheckBoxTest, CaptionAcceleratorFocusesAndToggles) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10, "&Separar");
  TEdit* holder = focusHolder(form);
  showAndActivate(form);
  holder->SetFocus();
  pumpFor(20);
  pressWith({VK_MENU}, 'S');
  pumpFor(40);
  EXPECT_TRUE(box->Focused());
  EXPECT_TRUE(box->Checked());
}

TEST_F(CheckBoxTest, InPlaceSpaceCharacterTogglesAtOnce) {
  TcxInplaceEditList list;
  TObjectPtr<TcxCheckBoxProperties> props(New<TcxCheckBoxProperties>(nullptr));
  auto* box = static_cast<TcxCheckBox*>(list.GetEdit(props.get()));
  ASSERT_TRUE(box->IsInplace());
  TForm* form = newForm();
  box->SetParent(form);
  box->SetBounds(10, 10, 40, 20);
  showAndActivate(form);
  TcxCustomEditData* data = nullptr;
  box->ActivateByKey(' ', data);
  pumpFor(20);
  EXPECT_TRUE(box->Checked()) << "the activating Space arrives as a character and toggles";
  EXPECT_EQ(box->GetCheckViewInfo()->Alignment, taCenter) << "in place only the centred glyph";
  box->SetParent(nullptr);
}

// ---------------------------------------------------------------------------------------
// Caption.

TEST_F(CheckBoxTest, AnUnassignedCaptionFollowsTheNameAndIsNotStored) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10, "");
  box->SetName("ckNome");
  EXPECT_EQ(box->Properties()->Caption(), "ckNome");
  EXPECT_FALSE(box->Properties()->IsCaptionAssigned());
  box->SetName("ckOutro");
  std::string caption;
  box->GetCaption(true, caption);
  EXPECT_EQ(caption, "ckOutro") << "renaming updates an unassigned caption";
  box->Properties()->SetCaption("Texto");
  box->SetName("ckTerceiro");
  box->GetCaption(true, caption);
  EXPECT_EQ(caption, "Texto") << "an assigned caption stays";
  EXPECT_TRUE(box->Properties()->IsCaptionAssigned());
}

TEST_F(CheckBoxTest, TheStateIsStoredOnlyWhenNotUnchecked) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  EXPECT_FALSE(IsStoredProp(box, "State"));
  EXPECT_FALSE(IsStoredProp(box, "Checked"));
  box->SetChecked(true);
  EXPECT_TRUE(IsStoredProp(box, "State"));
  EXPECT_EQ(GetOrdProp(box, "State"), static_cast<Integer>(cbsChecked));
}

// ---------------------------------------------------------------------------------------
// Layout and pixels.

TEST_F(CheckBoxTest, LayoutNumbersWorkedOutByHand) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10);
  box->Style()->LookAndFeel()->SetKind(lfStandard);
  showAndActivate(form);
  pumpFor(20);
  TcxCustomCheckBoxViewInfo* vi = box->GetCheckViewInfo();
  TSize cell = cxGetSystemCheckBoxCellSize();
  // Height: 2 + 2 around the content, the glyph and 2 on each side of it, against the
  // "Zg" row and 4 of padding.
  TBitmap probe;
  probe.Canvas()->SetFont(box->Font());
  Integer row = probe.Canvas()->TextHeight("Zg");
  EXPECT_EQ(box->Height(), 4 + std::max<Integer>(cell.cy + 4, row + 4)) << "auto height";
  EXPECT_EQ(rectText(vi->ContentRect), rectText(TRect{2, 2, 148, box->Height() - 2}));
  Integer glyphTop = 4 + ((box->Height() - 8) - cell.cy) / 2;
  EXPECT_EQ(rectText(vi->CheckBoxRect), rectText(TRect{4, glyphTop, 4 + cell.cx, glyphTop + cell.cy}));
  EXPECT_EQ(vi->TextRect.left, 4 + cell.cx + 3) << "the caption 3 pixels after the glyph";
  EXPECT_EQ(vi->TextRect.right, 146);
  // A user cannot change the height of an auto-sized box.
  box->SetHeight(60);
  pumpFor(10);
  EXPECT_EQ(box->Height(), 4 + std::max<Integer>(cell.cy + 4, row + 4));
  // Right alignment: the glyph at the right end.
  box->Properties()->SetAlignment(taRightJustify);
  pumpFor(10);
  EXPECT_EQ(vi->CheckBoxRect.right, 146);
  EXPECT_EQ(vi->TextRect.right, 146 - cell.cx - 3);
}

TEST_F(CheckBoxTest, CheckFrameStyleFollowsTheHotStateTable) {
  struct Case {
    Integer Hot;
    TcxEditBorderStyle Edit;
    TcxContainerBorderStyle Expected;
  };
  const Case cases[] = {
      {cxHotStateIdle, ebsNone, cbsNone},    {cxHotStateIdle, ebs3D, cbs3D},
      {cxHotStateNone, ebsUltraFlat, cbsUltraFlat}, {cxHotStateActive, ebsNone, cbsFlat},
      {cxHotStateActive, ebsSingle, cbsThick}, {cxHotStateActive, ebsThick, cbsThick},
      {cxHotStateActive, ebsFlat, cbs3D},    {cxHotStateActive, ebs3D, cbs3D},
      {cxHotStateActive, ebsUltraFlat, cbsUltraFlat},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxGetCheckBorderStyle(c.Hot, c.Edit), c.Expected) << c.Hot << " " << static_cast<int>(c.Edit);
  // Theme states by state and null style.
  EXPECT_EQ(cxGetNativeCheckState(cbsUnchecked, cxCheckButtonNormal, nssGrayedChecked), 1);
  EXPECT_EQ(cxGetNativeCheckState(cbsChecked, cxCheckButtonPressed, nssGrayedChecked), 7);
  EXPECT_EQ(cxGetNativeCheckState(cbsGrayed, cxCheckButtonHot, nssGrayedChecked), 10);
  EXPECT_EQ(cxGetNativeCheckState(cbsGrayed, cxCheckButtonHot, nssUnchecked), 2);
  EXPECT_EQ(cxGetNativeCheckState(cbsGrayed, cxCheckButtonDisabled, nssInactive), 4);
}

namespace {

// Every look-and-feel kind (rows) in every state (columns) on one form.
struct Gallery {
  std::vector<TcxCheckBox*> Boxes;
};

}  // namespace

class CheckBoxPixelsTest : public CheckBoxTest {
protected:
  // Shows one row per kind: unchecked, checked, grayed, disabled checked, focused.
  void showGallery(TForm* Form, const std::vector<TcxLookAndFeelKind>& Kinds, bool Native,
                   std::vector<std::vector<TcxCheckBox*>>& Rows) {
    Integer y = 8;
    for (TcxLookAndFeelKind kind : Kinds) {
      std::vector<TcxCheckBox*> row;
      const char* names[] = {"Desmarcado", "Marcado", "Indefinido", "Desabilitado", "Foco"};
      for (int i = 0; i < 5; ++i) {
        TcxCheckBox* box = newBox(Form, 8 + i * 124, y, names[i]);
        box->SetWidth(120);
        box->Style()->LookAndFeel()->SetKind(kind);
        box->Style()->LookAndFeel()->SetNativeStyle(Native);
        box->Properties()->SetAllowGrayed(true);
        if (i == 1 || i == 3 || i == 4) box->SetChecked(true);
        if (i == 2) box->SetState(cbsGrayed);
        if (i == 3) box->SetEnabled(false);
        row.push_back(box);
      }
      Rows.push_back(row);
      y += 30;
    }
    showAndActivate(Form);
    for (auto& row : Rows) row[4]->SetFocus();
    Rows.back()[4]->SetFocus();
    moveMouseTo(Form->ClientToScreen(TPoint{Form->ClientWidth() - 5, Form->ClientHeight() - 5}));
    pumpFor(60);
  }
  // The number of pixels of the glyph that differ from the unchecked box's glyph.
  int glyphDifference(TcxCheckBox* A, TcxCheckBox* B) {
    TBitmap a, b;
    captureClient(A, a);
    captureClient(B, b);
    const TRect& r = A->GetCheckViewInfo()->CheckBoxRect;
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (pixelAt(a, x, y) != pixelAt(b, x, y)) ++n;
    return n;
  }
};

TEST_F(CheckBoxPixelsTest, EveryKindDrawsDistinctGlyphsPerStateAndTheCaption) {
  TForm* form = newForm(640, 150);
  std::vector<std::vector<TcxCheckBox*>> rows;
  showGallery(form, {lfStandard, lfFlat, lfUltraFlat}, false, rows);
  TBitmap shot;
  captureClient(form, shot);
  EXPECT_FALSE(savePng(shot, "cx-checkbox-kinds").empty());
  const char* kinds[] = {"standard", "flat", "ultra-flat"};
  for (size_t k = 0; k < rows.size(); ++k) {
    auto& row = rows[k];
    EXPECT_GT(glyphDifference(row[0], row[1]), 5) << kinds[k] << ": checked differs from unchecked";
    EXPECT_GT(glyphDifference(row[1], row[2]), 3) << kinds[k] << ": grayed differs from checked";
    EXPECT_GT(glyphDifference(row[1], row[3]), 3) << kinds[k] << ": disabled differs from enabled";
    // The caption is drawn in the text colour right of the glyph.
    TBitmap bmp;
    captureClient(row[0], bmp);
    const TRect& text = row[0]->GetCheckViewInfo()->TextRect;
    EXPECT_GT(countNot(bmp, text, rgbOfColor(row[0]->GetCheckViewInfo()->BackgroundColor)), 20) << kinds[k];
    // The background is the button face (the box follows its parent's colour).
    EXPECT_TRUE(PixelIs(bmp, 1, 1, rgbOfColor(clBtnFace))) << kinds[k];
  }
  // The focused box shows a focus rectangle around its caption.
  TcxCustomCheckBoxViewInfo* focused = rows.back()[4]->GetCheckViewInfo();
  EXPECT_FALSE(IsRectEmpty(&focused->FocusRect));
  TcxCustomCheckBoxViewInfo* other = rows.back()[1]->GetCheckViewInfo();
  EXPECT_TRUE(IsRectEmpty(&other->FocusRect));
  // Standard draws the 3D frame: the top-left of the glyph is the button shadow.
  TBitmap standard;
  captureClient(rows[0][0], standard);
  const TRect& g = rows[0][0]->GetCheckViewInfo()->CheckBoxRect;
  EXPECT_TRUE(PixelIs(standard, g.left, g.top, rgbOfColor(clBtnShadow)));
  // Ultra-flat: a one-pixel frame in the button shadow (not hot) and a window fill.
  TBitmap ultra;
  captureClient(rows[2][0], ultra);
  const TRect& u = rows[2][0]->GetCheckViewInfo()->CheckBoxRect;
  EXPECT_TRUE(PixelIs(ultra, u.left, u.top, rgbOfColor(clBtnShadow)));
  EXPECT_TRUE(PixelIs(ultra, u.left + 2, u.top + 2, rgbOfColor(clWindow)));
}

TEST_F(CheckBoxPixelsTest, ThemedKindDrawsTheThemeGlyphs) {
  bool switched = SwitchTestVisualStyle(true);
  pumpFor(30);
  if (!switched || !dxCanUseThemes()) GTEST_SKIP() << "the light visual style could not be switched on";
  TForm* form = newForm(640, 60);
  std::vector<std::vector<TcxCheckBox*>> rows;
  showGallery(form, {lfStandard}, true, rows);
  TBitmap shot;
  captureClient(form, shot);
  EXPECT_FALSE(savePng(shot, "cx-checkbox-themed").empty());
  auto& row = rows[0];
  EXPECT_TRUE(row[0]->GetCheckViewInfo()->NativeStyle);
  EXPECT_EQ(row[0]->GetCheckViewInfo()->NativeCheckState, 1);
  EXPECT_EQ(row[1]->GetCheckViewInfo()->NativeCheckState, 5);
  EXPECT_EQ(row[2]->GetCheckViewInfo()->NativeCheckState, 9);
  EXPECT_EQ(row[3]->GetCheckViewInfo()->NativeCheckState, 8);
  EXPECT_GT(glyphDifference(row[0], row[1]), 5);
  EXPECT_GT(glyphDifference(row[1], row[2]), 3);
}

TEST_F(CheckBoxPixelsTest, HoveringRepaintsOnlyTheGlyphAndShowsTheHotFrame) {
  TForm* form = newForm(300, 80);
  TcxCheckBox* box = newBox(form, 10, 10);
  box->Style()->LookAndFeel()->SetKind(lfUltraFlat);
  TEdit* holder = focusHolder(form);
  showAndActivate(form);
  holder->SetFocus();
  moveMouseTo(form->ClientToScreen(TPoint{290, 5}));
  pumpFor(40);
  const TRect g = box->GetCheckViewInfo()->CheckBoxRect;
  TBitmap cold;
  captureClient(box, cold);
  EXPECT_TRUE(PixelIs(cold, g.left, g.top, rgbOfColor(clBtnShadow)));
  moveMouseTo(box->ClientToScreen(TPoint{box->Width() - 10, box->Height() / 2}));
  pumpFor(60);
  EXPECT_EQ(box->GetCheckViewInfo()->CheckBoxState, cxCheckButtonHot);
  TBitmap hot;
  captureClient(box, hot);
  EXPECT_TRUE(PixelIs(hot, g.left, g.top, rgbOfColor(clHighlight))) << "the hot ultra-flat frame";
  // Outside the glyph and the caption nothing changed.
  EXPECT_EQ(pixelAt(hot, box->Width() - 3, 1), pixelAt(cold, box->Width() - 3, 1));
}

TEST_F(CheckBoxTest, AnActionGivesItsCheckedStateAndItsCaptionToAnUnassignedCaption) {
  TForm* form = newForm();
  TcxCheckBox* box = newBox(form, 10, 10, "");
  box->SetName("ckAcao");
  TAction* action = New<TAction>(form);
  action->SetCaption("Da ação");
  action->SetChecked(true);
  box->SetAction(action);
  EXPECT_TRUE(box->Checked()) << "the action's Checked";
  std::string caption;
  box->GetCaption(true, caption);
  EXPECT_EQ(caption, "Da ação");
  EXPECT_FALSE(IsStoredProp(box, "State")) << "the state follows the action";
  action->SetChecked(false);
  EXPECT_FALSE(box->Checked()) << "linked while equal and not grayed";
  box->Properties()->SetCaption("Própria");
  box->GetCaption(true, caption);
  EXPECT_EQ(caption, "Própria") << "an assigned caption wins over the action";
  box->SetAction(nullptr);
}
