// The main window as a newcomer first sees it: every page whole at the default size (no
// control sticking out of its parent, none covering another, no text cut), and the tree of
// strata saved through its popup menu opened with the mouse. Every page goes to a PNG for a
// person to look at.
#include <fstream>
#include <sstream>

#include "app/UPrincipal.h"
#include "cx/editors/cxEdit.h"
#include "platform/data/DataTestSupport.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using guitest::GuiTest;

namespace {

std::string rectText(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

std::string readFile(const std::string& path) {
  std::ifstream in(datatest::UnixPath(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The sample survey database the build writes (build/data), seen from the test program in
// build/tests.
std::string sampleDatabase() { return ExpandFileName(ExtractFilePath(ParamStr(0)) + "..\\data\\amostra.db"); }

// The size of Text in Font, on one line or broken into lines of at most Width pixels.
TSize textSize(TFont* Font, const std::string& Text, Integer Width = 0) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  RECT r{0, 0, Width, 0};
  DrawTextA(dc, Text.c_str(), -1, &r, DT_CALCRECT | (Width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return TSize{r.right - r.left, r.bottom - r.top};
}

Integer lineHeight(TFont* Font) { return textSize(Font, "Ág").cy; }

// Clicks the first item of the popup menu Menu once it shows: a timer callback, as the
// menu's own loop runs while it is open and handles the timer.
HMENU pickFirstOf = nullptr;
void CALLBACK clickFirstItemOfOpenMenu(HWND, UINT, UINT_PTR Id, DWORD) {
  RECT r{};
  if (!pickFirstOf || !FindWindowA("#32768", nullptr) || !GetMenuItemRect(nullptr, pickFirstOf, 0, &r)) return;
  KillTimer(nullptr, Id);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[3]{};
  in[0].type = in[1].type = in[2].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

class MainWindowFirstUseTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    dir = datatest::MakeTempDir();
    // A first start: no settings left by an earlier window.
    DeleteFile(ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini");
    form = own(New<TFrmPrincipal>(nullptr));
    guitest::showAndActivate(form);
    guitest::pumpFor(100);
  }
  void TearDown() override {
    TJvSaveDialog::ExecuteHook() = nullptr;
    GuiTest::TearDown();
    datatest::RemoveTree(dir);
  }

  // Opens the sample table and runs "Gerar Estrato" on it: income by region and zone,
  // proportional allocation.
  void runOnSample() {
    std::string sample = sampleDatabase();
    ASSERT_TRUE(FileExists(sample)) << "the build writes the sample database " << sample;
    form->EdArquivo->SetFileName(sample);
    form->edTabela->SetText("domicilios");
    form->BtnAbrirBanco->Click();
    ASSERT_TRUE(form->Tabela->Active()) << "the sample table should open";
    auto check = [](TCheckListBox* List, const std::string& Name) {
      Integer i = List->Items()->IndexOf(Name);
      ASSERT_GE(i, 0) << Name << " should be listed";
      List->SetChecked(i, true);
    };
    check(form->CamposDependentes, "renda");
    check(form->CamposIndependentes, "regiao");
    check(form->CamposIndependentes, "zona");
    form->GrTipo->SetItemIndex(1);
    form->BtnGerarEstrato->Click();
    ASSERT_GT(form->tvArvore->Items()->Count(), 1) << "the run should split the sample";
    guitest::pumpFor(100);
  }

  void shoot(const std::string& Name) {
    guitest::pumpFor(50);
    TBitmap window;
    guitest::captureWindow(form->Handle(), window);
    EXPECT_FALSE(guitest::savePng(window, Name).empty()) << Name;
  }

  // Every visible control under Parent lies inside its parent's client area and covers no
  // visible sibling; every caption fits its control. Failures name the control.
  void expectWhole(TWinControl* Parent) {
    const TRect client = Parent->ClientRect();
    std::vector<TControl*> shown;
    for (Integer i = 0; i < Parent->ControlCount(); ++i)
      if (Parent->Controls(i)->Visible()) shown.push_back(Parent->Controls(i));
    for (size_t i = 0; i < shown.size(); ++i) {
      TControl* c = shown[i];
      const TRect r = c->BoundsRect();
      TRect inside;
      IntersectRect(inside, r, client);
      EXPECT_TRUE(EqualRect(&inside, &r)) << c->Name() << " " << rectText(r) << " is cut by " << Parent->Name()
                                          << " " << rectText(client);
      for (size_t j = i + 1; j < shown.size(); ++j) {
        TRect overlap;
        EXPECT_FALSE(IntersectRect(overlap, r, shown[j]->BoundsRect()))
            << c->Name() << " " << rectText(r) << " covers " << shown[j]->Name() << " "
            << rectText(shown[j]->BoundsRect());
      }
      expectTextFits(c);
      // An editor's inside is its own: its scroll bars lie over its inner control on purpose.
      if (auto* w = dynamic_cast<TWinControl*>(c); w && !dynamic_cast<TcxCustomEdit*>(c)) expectWhole(w);
    }
  }

  void expectTextFits(TControl* C) {
    TFont* font = C->Font();
    if (auto* label = dynamic_cast<TLabel*>(C)) {
      TSize need = label->WordWrap() ? textSize(font, label->Caption(), label->Width())
                                     : textSize(font, label->Caption());
      EXPECT_LE(need.cx, label->Width()) << label->Name() << " \"" << label->Caption() << "\"";
      EXPECT_LE(need.cy, label->Height()) << label->Name() << " \"" << label->Caption() << "\"";
      EXPECT_LE(need.cy, lineHeight(font)) << label->Name() << " \"" << label->Caption()
                                           << "\" should read on one line";
    } else if (auto* edit = dynamic_cast<TCustomEdit*>(C)) {
      // An editor shows at least one whole line of text inside its border.
      EXPECT_GE(edit->ClientHeight(), lineHeight(font)) << edit->Name() << " is too low to show its value";
    }
  }

  std::string dir;
  TFrmPrincipal* form = nullptr;
};

TEST_F(MainWindowFirstUseTest, EveryPageIsWholeAtTheDefaultSizeAfterARun) {
  runOnSample();
  TJvgPageControl* options = form->JvgPageControl2;
  const char* optionShots[] = {"main-window-valores-continuos", "main-window-tipo-amostragem-after-run",
                               "main-window-criterio-de-parada"};
  for (Integer i = 0; i < options->PageCount(); ++i) {
    options->SetActivePageIndex(i);
    for (Integer type : {0, 1}) {
      // The stop criterion page shows one of two editors: both must be whole.
      if (options->ActivePage() != form->TabCriterioParada && type == 1) continue;
      if (options->ActivePage() == form->TabCriterioParada) {
        form->CxTipoParada->SetItemIndex(type);
        guitest::pumpFor(30);
      }
      SCOPED_TRACE(options->ActivePage()->Caption() + " " + std::to_string(type));
      expectWhole(form->PSuperior);
      shoot(std::string(optionShots[i]) + (type ? "-ganho" : ""));
    }
  }
  form->CxTipoParada->SetItemIndex(0);
  form->tvArvore->FullExpand();
  const char* dataShots[] = {"main-window-dados", "main-window-memoria", "main-window-estrato",
                             "main-window-arvore", "main-window-relatorio"};
  for (Integer i = 0; i < form->Paginas->PageCount(); ++i) {
    form->Paginas->SetActivePageIndex(i);
    SCOPED_TRACE(form->Paginas->ActivePage()->Caption());
    expectWhole(form->PDados);
    shoot(dataShots[std::min<Integer>(i, 4)]);
  }
  // Each tab's caption fits its tab, in the font it is drawn with. The gradient page
  // controls draw their tabs themselves, in their styles' fonts and inside a frame and
  // bevels that take up to 16 pixels of the tab's width; the system sizes those tabs by the
  // control's own font, which knows nothing of that.
  for (TPageControl* pages : {static_cast<TPageControl*>(form->JvgPageControl1),
                              static_cast<TPageControl*>(form->JvgPageControl2), form->Paginas}) {
    std::vector<TFont*> fonts = {pages->Font()};
    Integer frame = 4;
    if (auto* styled = dynamic_cast<TJvgPageControl*>(pages)) {
      fonts = {styled->TabStyle()->Font(), styled->TabSelectedStyle()->Font()};
      frame = 16;
    }
    for (Integer i = 0; i < pages->PageCount(); ++i) {
      const TRect tab = pages->TabRect(i);
      const std::string caption = pages->Pages(i)->Caption();
      for (TFont* font : fonts)
        EXPECT_LE(textSize(font, caption).cx + frame, tab.right - tab.left)
            << pages->Name() << " tab \"" << caption << "\" " << rectText(tab) << " in " << font->Name();
      EXPECT_GE(tab.left, 0) << pages->Name() << " tab \"" << caption << "\" starts outside";
    }
  }
  EXPECT_TRUE(boxes().Calls().empty());
}

}  // namespace

namespace {

// The tree of strata, a main output, is saved through its popup menu opened by a right-click
// of the mouse and "Salvar" chosen with the mouse.
TEST_F(MainWindowFirstUseTest, RightClickOnTheTreeOpensItsMenuAndSalvarWritesTheTree) {
  runOnSample();
  form->Paginas->SetActivePage(form->TabSheet1);
  form->tvArvore->FullExpand();
  guitest::pumpFor(50);
  std::string file = dir + "\\arvore.txt";
  std::string title;
  TJvSaveDialog::ExecuteHook() = [&](TJvSaveDialog* d) {
    title = d->Title();
    d->SetFileName(file);
    return true;
  };
  pickFirstOf = form->MenuArvore->Handle();
  UINT_PTR timer = SetTimer(nullptr, 0, 50, clickFirstItemOfOpenMenu);

  // Right button pressed and released on the first child of the root.
  TTreeNode* node = form->tvArvore->Items()->GetFirstNode()->GetFirstChild();
  ASSERT_NE(node, nullptr);
  RECT r{};
  *reinterpret_cast<HTREEITEM*>(&r) = node->ItemId();
  ASSERT_TRUE(SendMessageA(form->tvArvore->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
  guitest::rightClickAt(form->tvArvore, Point(r.left + 5, (r.top + r.bottom) / 2));
  bool saved = guitest::pumpUntil([&] { return FileExists(file); }, 3000);
  KillTimer(nullptr, timer);
  pickFirstOf = nullptr;
  ASSERT_TRUE(saved) << "the right-click should open the tree's menu and \"Salvar\" save the tree";
  EXPECT_EQ(title, "Salvar a árvore");

  // One line per node in pre-order: level TABs, the text, CR LF.
  std::string expected;
  for (TTreeNode* n = form->tvArvore->Items()->GetFirstNode(); n; n = n->GetNext())
    expected += std::string(n->Level(), '\t') + n->Text() + "\r\n";
  EXPECT_EQ(readFile(file), expected);
  EXPECT_EQ(readFile(file).rfind("In\xED" "cio\r\n\t(regiao = 'Nordeste')", 0), 0u) << readFile(file);
  EXPECT_TRUE(boxes().Calls().empty());
}

}  // namespace
