// A form holding one control of each kind: it lays out and paints as a whole, in the classic
// look and with the visual style, and its pictures are saved (all-controls.png and
// all-controls-themed.png in the screenshot folder) for a person to look at.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Mask.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Themes.h"

using namespace guitest;

// Runs with and without the platform's visual style (switched off again afterwards).
class AllControlsTest : public GuiTest, public ::testing::WithParamInterface<bool> {
protected:
  void TearDown() override {
    if (ThemeServices()->ThemesEnabled()) SwitchTestVisualStyle(false);
    GuiTest::TearDown();
  }
};

namespace {

template <class C> C* place(TForm* form, TWinControl* parent, Integer x, Integer y, Integer w, Integer h) {
  C* c = New<C>(form);
  c->SetParent(parent);
  c->SetBounds(x, y, w, h);
  return c;
}

}  // namespace

TEST_P(AllControlsTest, EveryKindOfControlShowsInsideTheFormWithoutOverlapping) {
  bool themed = GetParam();
  if (themed) {
    ASSERT_TRUE(SwitchTestVisualStyle(true));
  }
  TForm* form = own(newForm(780, 560));
  form->SetCaption("Controles");
  form->SetColor(clBtnFace);

  // Column 1.
  place<TLabel>(form, form, 10, 10, 60, 13)->SetCaption("&Rótulo:");
  place<TEdit>(form, form, 10, 28, 150, 21)->SetText("Edição");
  auto* mask = place<TMaskEdit>(form, form, 10, 56, 150, 21);
  mask->SetEditMask("00/00/0000;1;_");
  auto* memo = place<TMemo>(form, form, 10, 84, 150, 60);
  memo->Lines()->Add("Memorando");
  memo->Lines()->Add("segunda linha");
  place<TButton>(form, form, 10, 152, 75, 25)->SetCaption("Botão");
  auto* bit = place<TBitBtn>(form, form, 90, 152, 75, 25);
  bit->SetKind(bkOK);
  place<TCheckBox>(form, form, 10, 184, 150, 17)->SetCaption("Caixa de seleção");
  auto* radio = place<TRadioButton>(form, form, 10, 206, 150, 17);
  radio->SetCaption("Botão de opção");
  radio->SetChecked(true);
  auto* list = place<TListBox>(form, form, 10, 230, 150, 60);
  for (const char* s : {"Lista um", "Lista dois", "Lista três"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  auto* combo = place<TComboBox>(form, form, 10, 298, 150, 21);
  combo->Items()->Add("Combinação");
  combo->SetItemIndex(0);
  place<TScrollBar>(form, form, 10, 330, 150, 17);
  auto* staticText = place<TStaticText>(form, form, 10, 356, 150, 17);
  staticText->SetCaption("Texto estático");
  staticText->SetBorderStyle(sbsSunken);
  auto* progress = place<TProgressBar>(form, form, 10, 384, 150, 16);
  progress->SetPosition(60);
  auto* speed = place<TSpeedButton>(form, form, 10, 410, 60, 25);
  speed->SetCaption("Rápido");

  // Column 2.
  auto* group = place<TGroupBox>(form, form, 180, 10, 180, 80);
  group->SetCaption("Grupo");
  place<TCheckBox>(form, group, 10, 20, 150, 17)->SetCaption("Dentro do grupo");
  auto* radios = place<TRadioGroup>(form, form, 180, 98, 180, 90);
  radios->SetCaption("Alocação");
  for (const char* s : {"Uniforme", "Proporcional", "Ótima"}) radios->Items()->Add(s);
  radios->SetItemIndex(2);
  auto* panel = place<TPanel>(form, form, 180, 196, 180, 50);
  panel->SetCaption("Painel");
  panel->SetBevelInner(bvLowered);
  auto* bevel = place<TBevel>(form, form, 180, 254, 180, 30);
  bevel->SetShape(bsFrame);
  auto* shape = place<TShape>(form, form, 180, 292, 60, 40);
  shape->SetShape(stEllipse);
  shape->Brush()->SetColor(clYellow);
  auto* image = place<TImage>(form, form, 250, 292, 40, 40);
  image->Canvas()->Brush()->SetColor(clTeal);
  image->Canvas()->FillRect(Rect(0, 0, 40, 40));
  image->Canvas()->Brush()->SetColor(clWhite);
  image->Canvas()->Ellipse(8, 8, 32, 32);
  auto* checks = place<TCheckListBox>(form, form, 180, 340, 180, 60);
  for (const char* s : {"Região", "Sexo", "Idade"}) checks->Items()->Add(s);
  checks->SetChecked(0, true);
  checks->SetState(2, cbGrayed);

  // Column 3.
  auto* pages = place<TPageControl>(form, form, 380, 10, 380, 160);
  const char* captions[] = {"Dados", "Estratos"};
  for (const char* caption : captions) {
    TTabSheet* sheet = New<TTabSheet>(form);
    sheet->SetCaption(caption);
    sheet->SetPageControl(pages);
  }
  place<TLabel>(form, pages->Pages(0), 10, 10, 200, 13)->SetCaption("Conteúdo da primeira página");
  auto* tree = place<TTreeView>(form, form, 380, 180, 380, 150);
  TTreeNode* root = tree->Items()->Add(nullptr, "Estratificação");
  TTreeNode* first = tree->Items()->AddChild(root, "Estrato 1");
  tree->Items()->AddChild(first, "Unidade a");
  tree->Items()->AddChild(root, "Estrato 2");
  tree->FullExpand();
  auto* rich = place<TRichEdit>(form, form, 380, 340, 380, 100);
  rich->Lines()->Add("Texto rico com acentuação: ção, ã, é.");
  rich->SelectAll();
  rich->SelAttributes()->SetStyle(TFontStyles{fsBold});

  showAndActivate(form);
  pumpFor(200);

  TRect client = form->ClientRect();
  std::vector<TControl*> children;
  for (Integer i = 0; i < form->ControlCount(); ++i) children.push_back(form->Controls(i));
  for (size_t i = 0; i < children.size(); ++i) {
    TControl* c = children[i];
    TRect r = c->BoundsRect();
    TRect inside;
    IntersectRect(inside, r, client);
    EXPECT_TRUE(EqualRect(&inside, &r)) << c->ClassName() << " sticks out of the form";
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      EXPECT_TRUE(IsWindowVisible(w->Handle())) << c->ClassName();
    }
    for (size_t j = i + 1; j < children.size(); ++j) {
      TRect other = children[j]->BoundsRect();
      TRect overlap;
      EXPECT_FALSE(IntersectRect(overlap, r, other))
          << c->ClassName() << " overlaps " << children[j]->ClassName();
    }
  }
  TBitmap shot;
  captureWindow(form->Handle(), shot);
  EXPECT_FALSE(savePng(shot, themed ? "all-controls-themed" : "all-controls").empty());
}

INSTANTIATE_TEST_SUITE_P(Looks, AllControlsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Themed" : "Classic"; });
