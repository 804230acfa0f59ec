// The main window driven as a user would: a database opened through "Abrir", the options set
// in the window's controls, a run started with "Gerar Estrato", and the tree, the calculation
// log, the stratum list and the report read back.
//
// The small table "casas" below is worked by hand in the comments; the expected trees,
// logs and reports of those tests come from that working, not from the program's output.
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/data/DataTestSupport.h"
#include "app/UPrincipal.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/native/JetEngine.h"
#include "platform/rtl/SysUtils.h"

using guitest::GuiTest;
using namespace datatest;

namespace {

// casas: four households of two regions.
//   regiao  area  renda
//   a       1     10
//   a       2     12
//   b       3     20
//   b       4     24
// renda over the table: mean 16.5; squared deviations 42.25 + 20.25 + 12.25 + 56.25 = 131;
// population variance 131 / 4 = 32.75.
// Region a: mean 11, variance 1; region b: mean 22, variance 4.
// A new SQLite database file at path (a drive-letter path).
native::JetDatabase createDatabase(const std::string& path) {
  native::OpenOptions options;
  options.create = true;
  return native::JetDatabase(UnixPath(path), options);
}

void makeCasas(const std::string& path, const std::string& regionA) {
  native::JetDatabase db = createDatabase(path);
  using native::JetType;
  using native::jetTypeDeclaration;
  db.execute("create table casas (regiao " + jetTypeDeclaration(JetType::Text, 20) + ", area " +
             jetTypeDeclaration(JetType::Double) + ", renda " + jetTypeDeclaration(JetType::Double) + ")");
  std::string a = StringReplace(regionA, "'", "''", {rfReplaceAll});
  db.execute("insert into casas values ('" + a + "', 1, 10), ('" + a + "', 2, 12), ('b', 3, 20), ('b', 4, 24)");
}

std::string lines(TStrings* Strings) {
  std::string all;
  for (Integer i = 0; i < Strings->Count(); ++i) all += Strings->Strings(i) + "\n";
  return all;
}

// The tree as the saved file would have it, with '\n' line ends.
std::string treeText(TTreeView* Tree) {
  std::string all;
  for (TTreeNode* n = Tree->Items()->GetFirstNode(); n; n = n->GetNext())
    all += std::string(n->Level(), '\t') + n->Text() + "\n";
  return all;
}

std::string readFile(const std::string& path) {
  std::ifstream in(UnixPath(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class MainWindowTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    dir = MakeTempDir();
    // Each test starts as a first start: no settings left by an earlier window.
    DeleteFile(ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini");
    form = own(New<TFrmPrincipal>(nullptr));
    form->Show();
    guitest::pumpFor(50);
  }
  void TearDown() override {
    TJvSaveDialog::ExecuteHook() = nullptr;
    GuiTest::TearDown();
    RemoveTree(dir);
  }

  // Names the database and table and presses "Abrir".
  void open(const std::string& path, const std::string& table) {
    form->EdArquivo->SetFileName(path);
    form->edTabela->SetText(table);
    form->BtnAbrirBanco->Click();
  }
  void openCasas(const std::string& regionA = "a") {
    std::string path = dir + "\\casas.db";
    makeCasas(path, regionA);
    open(path, "casas");
    ASSERT_TRUE(form->Tabela->Active()) << "the table should be open after Abrir";
  }
  static void check(TCheckListBox* List, const std::vector<std::string>& Names) {
    for (Integer i = 0; i < List->Items()->Count(); ++i) List->SetChecked(i, false);
    for (const std::string& name : Names) {
      Integer i = List->Items()->IndexOf(name);
      ASSERT_GE(i, 0) << "field " << name << " should be listed";
      List->SetChecked(i, true);
    }
  }
  // Sets the options of a run and presses "Gerar Estrato".
  void run(const std::string& Target, const std::vector<std::string>& Attributes, Integer Type,
           bool Categories = false, Integer Categorias = 2, Integer Levels = 6, Integer Minimum = 0,
           const std::vector<std::string>& Mandatory = {}) {
    check(form->CamposDependentes, {Target});
    check(form->CamposIndependentes, Attributes);
    check(form->CamposObrigatorios, Mandatory);
    form->GrTipo->SetItemIndex(Type);
    form->ckCategoria->SetChecked(Categories);
    form->cxCatValoresContinuos->SetValue(Variant(Categorias));
    form->cxNiveis->SetValue(Variant(Levels));
    form->cxQtdeMinCasos->SetValue(Variant(Minimum));
    ASSERT_TRUE(form->BtnGerarEstrato->Enabled()) << "Gerar Estrato should be enabled after a successful Abrir";
    form->BtnGerarEstrato->Click();
  }

  std::string dir;
  TFrmPrincipal* form = nullptr;
};

// ---------------------------------------------------------------------------------------
// Opening.

TEST_F(MainWindowTest, OpeningFillsTheFieldListsAndEnablesTheRun) {
  openCasas();
  for (TCheckListBox* list : {form->CamposDependentes, form->CamposObrigatorios, form->CamposIndependentes})
    EXPECT_EQ(lines(list->Items()), "regiao\narea\nrenda\n") << "each list shows the table's fields in order";
  EXPECT_EQ(form->GradeDBTableView1->ItemCount(), 3) << "one grid column per field";
  EXPECT_EQ(form->NomeTabelaAtual(), "casas");
  EXPECT_NE(form->Con->ConnectionString().find("Data Source=" + dir + "\\casas.db;Mode=Share Deny None;"),
            std::string::npos)
      << form->Con->ConnectionString();
  EXPECT_TRUE(boxes().Calls().empty());
}

TEST_F(MainWindowTest, OpeningAMissingTableShowsTheMessageAndKeepsTheRunDisabled) {
  std::string path = dir + "\\casas.db";
  makeCasas(path, "a");
  open(path, "naoexiste");
  ASSERT_EQ(boxes().Calls().size(), 1u) << "one message box";
  EXPECT_EQ(boxes().Calls()[0].Text.rfind("Não foi possível abrir a tabela ", 0), 0u) << boxes().Calls()[0].Text;
  EXPECT_GT(boxes().Calls()[0].Text.size(), std::string("Não foi possível abrir a tabela ").size())
      << "the error's own message follows";
  EXPECT_FALSE(form->BtnGerarEstrato->Enabled());
  expectBoxes();
}

TEST_F(MainWindowTest, TargetListKeepsOnlyTheClickedItemChecked) {
  openCasas();
  TCheckListBox* list = form->CamposDependentes;
  list->SetChecked(0, true);
  list->SetItemIndex(2);
  list->SetChecked(2, true);
  form->CamposDependentesClick(list);
  EXPECT_FALSE(list->Checked(0)) << "the first target is unchecked by checking another";
  EXPECT_TRUE(list->Checked(2));
}

TEST_F(MainWindowTest, StopCriterionSwitchesOnlyWhichEditorIsVisible) {
  form->CxTipoParada->SetItemIndex(1);
  form->cxTipoParadaClick(form->CxTipoParada);
  EXPECT_FALSE(form->cxNiveis->Visible());
  EXPECT_FALSE(form->Label4->Visible());
  EXPECT_TRUE(form->cxGanho->Visible());
  EXPECT_TRUE(form->Label7->Visible());
  form->CxTipoParada->SetItemIndex(0);
  form->cxTipoParadaClick(form->CxTipoParada);
  EXPECT_TRUE(form->cxNiveis->Visible());
  EXPECT_FALSE(form->cxGanho->Visible());
}

TEST_F(MainWindowTest, CategoriesCheckBoxEnablesTheCategoryCount) {
  form->ckCategoria->SetChecked(false);
  form->ckCategoriaClick(form->ckCategoria);
  EXPECT_FALSE(form->cxCatValoresContinuos->Enabled());
  form->ckCategoria->SetChecked(true);
  form->ckCategoriaClick(form->ckCategoria);
  EXPECT_TRUE(form->cxCatValoresContinuos->Enabled());
}

// ---------------------------------------------------------------------------------------
// Runs on casas, worked by hand.

// Proportional allocation, attribute regiao (text, value cuts), root context N = 4, t = 0:
//   v = 'a': part 1 q1 = 2, s1 = 1; part 2 q2 = 2, s2 = 4; w1 = 2, w2 = 8, c = 10 / 4 = 2.5.
//   v = 'b': the mirror image, c = 2.5 again: a tie keeps 'a'.
// Each child holds one region only: its one value covers every row (part 2 empty), so it is
// an invalid cut and both children stay leaves.
TEST_F(MainWindowTest, ProportionalRunOnTextAttributeMatchesTheHandWorking) {
  openCasas();
  run("renda", {"regiao"}, 1);
  EXPECT_EQ(treeText(form->tvArvore), "Início\n\t(regiao = 'a')\n\t(regiao <> 'a')\n");
  EXPECT_EQ(lines(form->mm1->Lines()),
            "regiao\n"
            "   [] regiao  = a Qtde = 2 Variância = 1\n"
            "   [] regiao <> a Qtde = 2 Variância = 4\n"
            "Proporcional 2.5/n\n"
            "regiao\n"
            "   [] regiao  = b Qtde = 2 Variância = 4\n"
            "   [] regiao <> b Qtde = 2 Variância = 1\n"
            "Proporcional 2.5/n\n"
            "regiao\n"
            "regiao\n"
            "FIM\n");
  EXPECT_EQ(lines(form->Mestrato->Lines()),
            "Select * from casas where (1=1)  and (regiao = 'a')\n"
            "Select * from casas where (1=1)  and (regiao <> 'a')\n");
  EXPECT_EQ(lines(form->Redit1->Lines()),
            "RESUMO\n"
            "Atributo meta :  média  16.5000, Casos  4, variância  32.7500 \n"
            "\n"
            "Estrato: 1\n"
            "    and (regiao = 'a')\n"
            "   Variância   1.0000, Média   11.0000, Quantidade 2 \n"
            "\n"
            "Estrato: 2\n"
            "    and (regiao <> 'a')\n"
            "   Variância   4.0000, Média   22.0000, Quantidade 2 \n");
  EXPECT_EQ(form->CampoMetaAtual(), "renda");
  EXPECT_EQ(form->TotalRegistrosAtual(), 4);
  EXPECT_TRUE(boxes().Calls().empty());
}

// Uniform allocation, attribute area in 2 categories: min 1, max 4, step 1.5; band indexes
// round((area - 1) / 1.5) = 0, 1, 1, 2, so the bands 0 and 1 are evaluated (the last never).
//   v = 0: [1, 2.5) holds renda 10, 12 (q1 = 2, s1 = 1), the rest 20, 24 (q2 = 2, s2 = 4);
//          w1 = 4, w2 = 16, c = (2 / 16) * 20 = 2.5.
//   v = 1: [2.5, 4) holds 20 (s1 = 0), the rest 10, 12, 24 (variance 344 / 9); w2 = 344,
//          c = 43: not better.
// Child 1 (rows 1, 2) has only band 0 to evaluate, whose part 2 is empty: a leaf.
// Child 2 (rows 3, 4; context q = 2 beside it, t = 4, 3 strata): band 1 is [2.5, 4) with
// q1 = q2 = 1, both variances 0; N = 4, c = (3 / 16) * 4 = 0.75: split, both leaves.
TEST_F(MainWindowTest, UniformBandRunMatchesTheHandWorking) {
  openCasas();
  run("renda", {"area"}, 0, true, 2);
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n"
            "\t(area >= 1) and (area < 2.5)\n"
            "\t(NOT ((area >= 1 and area < 2.5)))\n"
            "\t\t(area >= 2.5) and (area < 4)\n"
            "\t\t(NOT ((area >= 2.5 and area < 4)))\n");
  std::string log = lines(form->mm1->Lines());
  EXPECT_NE(log.find("Valor 0\narea\n"
                     "Select  varp(renda)  as variancia, count(renda) as quantidade from casas where (1=1)  AND NOT "
                     "(area >= 1 AND area < 2.5)\n"
                     "   [] area <= 0 Qtde = 2 Variância = 1\n"
                     "   [] area > 1.5  Qtde = 2 Variância = 4\n"
                     "Uniforme 2.5 /n\n"
                     "Valor 1\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Uniforme 43 /n\nValor 2\n"), std::string::npos) << "band 1 of the root, then the last band unevaluated\n" << log;
  EXPECT_NE(log.find("   [ AND (NOT ((area >= 1 and area < 2.5)))] area <= 1.5 Qtde = 1 Variância = 0\n"
                     "   [ AND (NOT ((area >= 1 and area < 2.5)))] area > 3  Qtde = 1 Variância = 0\n"
                     "Uniforme 0.75 /n\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.substr(log.size() - 4), "FIM\n");
  EXPECT_EQ(lines(form->Redit1->Lines()),
            "RESUMO\n"
            "Atributo meta :  média  16.5000, Casos  4, variância  32.7500 \n"
            "\n"
            "Estrato: 1\n"
            "    and (area >= 1) and (area < 2.5)\n"
            "   Variância   1.0000, Média   11.0000, Quantidade 2 \n"
            "\n"
            "Estrato: 2\n"
            "    and (NOT ((area >= 1 and area < 2.5))) and (area >= 2.5) and (area < 4)\n"
            "   Variância   0.0000, Média   20.0000, Quantidade 1 \n"
            "\n"
            "Estrato: 3\n"
            "    and (NOT ((area >= 1 and area < 2.5))) and (NOT ((area >= 2.5 and area < 4)))\n"
            "   Variância   0.0000, Média   24.0000, Quantidade 1 \n");
}

// With level limit 0 the root (level 0) still splits; child 2 (level 1) is evaluated and
// logged (its 0.75 line) but not split.
TEST_F(MainWindowTest, LevelLimitStopsSplittingButNotEvaluating) {
  openCasas();
  run("renda", {"area"}, 0, true, 2, 0);
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n\t(area >= 1) and (area < 2.5)\n\t(NOT ((area >= 1 and area < 2.5)))\n");
  EXPECT_NE(lines(form->mm1->Lines()).find("Uniforme 0.75 /n\n"), std::string::npos)
      << "the candidates of a node past the limit are still logged";
}

// Minimum cases 3 at the root needs both parts to have 3 values; every cut of casas has 2
// and 2, so nothing splits and the report has the one stratum of the whole table.
TEST_F(MainWindowTest, MinimumCasesPassOverSmallCutsAndTheWholeTableIsOneStratum) {
  openCasas();
  run("renda", {"regiao", "area"}, 1, false, 2, 6, 3);
  EXPECT_EQ(treeText(form->tvArvore), "Início\n");
  EXPECT_EQ(lines(form->Mestrato->Lines()), "Select * from casas where (1=1) \n");
  EXPECT_EQ(lines(form->Redit1->Lines()),
            "RESUMO\n"
            "Atributo meta :  média  16.5000, Casos  4, variância  32.7500 \n"
            "\n"
            "Estrato: 1\n"
            "   \n"
            "   Variância  32.7500, Média   16.5000, Quantidade 4 \n");
}

// Mandatory regiao: one child per region, each grown on area by values (no categories).
// Region a: v = 1 gives 10 | 12, both variances 0, N = 2, c = 0 (proportional): split into
// two leaves; v = 2 covers the region (invalid). Region b likewise at 3.
TEST_F(MainWindowTest, MandatoryFieldSplitsByEachValueAndMakesNoReport) {
  openCasas();
  form->Redit1->Lines()->Add("relatório anterior");
  run("renda", {"area"}, 1, false, 2, 6, 0, {"regiao"});
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n"
            "\tregiao=a [Obrigatório]\n"
            "\t\t(area <= 1)\n"
            "\t\t(area > 1)\n"
            "\tregiao=b [Obrigatório]\n"
            "\t\t(area <= 3)\n"
            "\t\t(area > 3)\n");
  std::string log = lines(form->mm1->Lines());
  EXPECT_EQ(log.find("FIM"), std::string::npos) << "a run with mandatory fields ends without FIM";
  EXPECT_NE(log.find("   [ and regiao='a'] area <= 1 Qtde = 1 Variância = 0\n"), std::string::npos) << log;
  EXPECT_EQ(lines(form->Redit1->Lines()), "relatório anterior\n") << "no report is made";
}

// GRD on casas plus a household of region c without renda (5 rows, 4 with a value):
//   v = 'a': q1 = 2, q2 = 2 (b's two; c's null does not count);
//            c = log2(2 / 4) * log2(2 / 5) = -1 * -1.32192809488736 = 1.32192809488736.
//   v = 'c': q1 = 0, so the criterion fails and the line "Menor 0 Maior 4" with query 2 is
//            written instead.
TEST_F(MainWindowTest, GrdLogsTheFailedCriterionOfAnEmptyValue) {
  std::string path = dir + "\\casas.db";
  makeCasas(path, "a");
  {
    native::OpenOptions options;
    native::JetDatabase db(UnixPath(path), options);
    db.execute("insert into casas values ('c', 5, null)");
  }
  open(path, "casas");
  run("renda", {"regiao"}, 3);
  std::string log = lines(form->mm1->Lines());
  EXPECT_NE(log.find("   [] regiao  = a Qtde = 2 Variância = 1\n"
                     "   [] regiao <> a Qtde = 2 Variância = 4\n"
                     "GRD 1.32192809488736\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("regiao\nMenor 0 Maior 4  Select  varp(renda)  as variancia , count(renda) as quantidade "
                     "from casas where (1=1)  and regiao <> 'c'\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(form->TotalRegistrosAtual(), 5);
  TTreeNode* root = form->tvArvore->Items()->GetFirstNode();
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->Count(), 2);
  EXPECT_EQ(root->Item(0)->Text(), "(regiao = 'a')") << "the tie between a and b keeps the first";
}

// A value with a quote is evaluated like any other: the quote is doubled in the query and
// in the node texts, so the report selects the region's rows.
TEST_F(MainWindowTest, TextValueWithAQuoteIsEvaluatedLikeAnyOther) {
  openCasas("a'x");  // sorts before b, so it wins the tie
  run("renda", {"regiao"}, 1);
  EXPECT_TRUE(boxes().Calls().empty()) << "no query error: "
                                       << (boxes().Calls().empty() ? "" : boxes().Calls()[0].Text);
  EXPECT_EQ(treeText(form->tvArvore), "Início\n\t(regiao = 'a''x')\n\t(regiao <> 'a''x')\n");
  EXPECT_NE(lines(form->Redit1->Lines()).find("   Variância   1.0000, Média   11.0000, Quantidade 2 \n"),
            std::string::npos)
      << lines(form->Redit1->Lines());
}

// An invalid extra condition breaks every query of the attribute search: each attribute
// reports it once and yields no cut.
TEST_F(MainWindowTest, InvalidClauseIsReportedPerAttributeAndNothingSplits) {
  openCasas();
  form->clausula->SetText(" and (nao_existe = 1)");
  run("renda", {"regiao", "area"}, 1);
  ASSERT_EQ(boxes().Calls().size(), 2u) << "one message per attribute";
  for (auto& call : boxes().Calls())
    EXPECT_EQ(call.Text.rfind("Não foi possível abrir a tabela ", 0), 0u) << call.Text;
  EXPECT_EQ(treeText(form->tvArvore), "Início\n");
  expectBoxes();
}

// The tree saves one line per node in pre-order: level TABs, the text, CR LF, cp1252.
TEST_F(MainWindowTest, TreeSavesAsTabIndentedCrLfLines) {
  openCasas();
  run("renda", {"area"}, 0, true, 2);
  std::string file = dir + "\\arvore.txt";
  std::string title, ext;
  TJvSaveDialog::ExecuteHook() = [&](TJvSaveDialog* d) {
    title = d->Title();
    ext = d->DefaultExt();
    d->SetFileName(file);
    return true;
  };
  form->ExportarExcel1Click(form->ExportarExcel1);
  EXPECT_EQ(title, "Salvar a árvore");
  EXPECT_EQ(ext, ".txt");
  EXPECT_EQ(readFile(file),
            "In\xED" "cio\r\n"
            "\t(area >= 1) and (area < 2.5)\r\n"
            "\t(NOT ((area >= 1 and area < 2.5)))\r\n"
            "\t\t(area >= 2.5) and (area < 4)\r\n"
            "\t\t(NOT ((area >= 2.5 and area < 4)))\r\n");
}

TEST_F(MainWindowTest, ReportSavesAsRichText) {
  openCasas();
  run("renda", {"regiao"}, 1);
  std::string file = dir + "\\relatorio.rtf";
  std::string title;
  TJvSaveDialog::ExecuteHook() = [&](TJvSaveDialog* d) {
    title = d->Title();
    d->SetFileName(file);
    return true;
  };
  form->MenuItem1Click(form->MenuItem1);
  EXPECT_EQ(title, "Salvar o Relatório");
  std::string rtf = readFile(file);
  EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << "an RTF file: " << rtf.substr(0, 40);
  EXPECT_NE(rtf.find("RESUMO"), std::string::npos);

  // The report has the text and formatting the rich edit gets from its lines added one by one.
  TStrings* report = form->Redit1->Lines();
  const std::string text = report->Text();
  std::unique_ptr<TStringList> each(New<TStringList>());
  each->Assign(report);
  report->Clear();
  for (Integer i = 0; i < each->Count(); ++i) report->Add(each->Strings(i));
  TStringStream byLine("");
  report->SaveToStream(&byLine);
  EXPECT_EQ(report->Text(), text);
  EXPECT_EQ(byLine.DataString(), rtf);
}

// A run refuses to start while another is in progress (the run processes messages, so a
// click could arrive in the middle).
TEST_F(MainWindowTest, CommandsAreRefusedWhileARunIsInProgress) {
  openCasas();
  check(form->CamposDependentes, {"renda"});
  check(form->CamposIndependentes, {"regiao"});
  form->GrTipo->SetItemIndex(1);
  form->cxNiveis->SetValue(Variant(6));
  form->cxQtdeMinCasos->SetValue(Variant(0));
  bool triedInside = false;
  std::string treeInside;
  TJvSaveDialog::ExecuteHook() = [&](TJvSaveDialog*) {
    ADD_FAILURE() << "saving must be refused during a run";
    return false;
  };
  // The run processes messages after every candidate: a timer due by then tries the
  // commands in the middle of the run.
  class Nested : public TComponent {
  public:
    Nested(TFrmPrincipal* f, bool& tried, std::string& tree) : TComponent(nullptr), f_(f), tried_(tried), tree_(tree) {}
    void Tick(TObject*) {
      if (tried_ || !f_->Running()) return;
      tried_ = true;
      f_->BtnGerarEstratoClick(nullptr);
      f_->BtnAbrirBancoClick(nullptr);
      f_->BtnSalvaClick(nullptr);
      tree_ = treeText(f_->tvArvore);
    }

  private:
    TFrmPrincipal* f_;
    bool& tried_;
    std::string& tree_;
  } nested(form, triedInside, treeInside);
  TTimer timer(nullptr);
  timer.SetInterval(1);
  timer.SetOnTimer(TNotifyEvent(&nested, &Nested::Tick));
  timer.SetEnabled(true);
  Sleep(20);
  form->BtnGerarEstrato->Click();
  timer.SetEnabled(false);
  ASSERT_TRUE(triedInside) << "the log should change during the run";
  EXPECT_EQ(treeInside, "Início\n") << "the nested run must not have cleared and regrown the tree";
  EXPECT_EQ(treeText(form->tvArvore), "Início\n\t(regiao = 'a')\n\t(regiao <> 'a')\n");
  EXPECT_FALSE(form->Running());
}

// ---------------------------------------------------------------------------------------
// The shared sample: nwind's orders.

std::string nwindPath() {
  std::string p = DataFilePath("nwind.mdb");
  std::string win = "Z:" + p;
  for (char& c : win)
    if (c == '/') c = '\\';
  return win;
}

// Sum of the "Quantidade" of every reported stratum.
Integer reportedCases(TStrings* Report) {
  Integer total = 0;
  for (Integer i = 0; i < Report->Count(); ++i) {
    const std::string& l = Report->Strings(i);
    size_t at = l.find("Quantidade ");
    if (l.rfind("   Variância", 0) == 0 && at != std::string::npos) total += StrToInt(Trim(l.substr(at + 11)));
  }
  return total;
}

Integer leafCount(TTreeView* Tree) {
  Integer n = 0;
  for (TTreeNode* node = Tree->Items()->GetFirstNode(); node; node = node->GetNext())
    if (node->Count() == 0) ++n;
  return n;
}

class NwindOrdersTest : public MainWindowTest, public ::testing::WithParamInterface<std::tuple<Integer, bool>> {};

// Every allocation type, with and without categories: the strata partition the orders, so
// their reported sizes add up to the orders with a freight (all 830), one stratum SQL per
// leaf, and the log ends with FIM.
TEST_P(NwindOrdersTest, StrataPartitionTheOrders) {
  auto [type, categories] = GetParam();
  open(nwindPath(), "orders");
  ASSERT_TRUE(form->Tabela->Active()) << (boxes().Calls().empty() ? "" : boxes().Calls()[0].Text);
  run("Freight", {"ShipCountry", "EmployeeID", "ShipVia"}, type, categories, 4, 2, 30);
  EXPECT_TRUE(boxes().Calls().empty()) << (boxes().Calls().empty() ? "" : boxes().Calls()[0].Text);
  TTreeNode* root = form->tvArvore->Items()->GetFirstNode();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Text(), "Início");
  EXPECT_EQ(root->Count(), 2) << "the root splits";
  EXPECT_EQ(form->Mestrato->Lines()->Count(), leafCount(form->tvArvore)) << "one stratum per leaf";
  EXPECT_EQ(reportedCases(form->Redit1->Lines()), 830) << lines(form->Redit1->Lines());
  EXPECT_EQ(form->mm1->Lines()->Strings(form->mm1->Lines()->Count() - 1), "FIM");
  EXPECT_EQ(form->Redit1->Lines()->Strings(0), "RESUMO");
  for (TTreeNode* n = root; n; n = n->GetNext()) EXPECT_LE(n->Level(), 4) << "level limit 2 splits levels 0 to 2";
}

INSTANTIATE_TEST_SUITE_P(AllocationTypes, NwindOrdersTest,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3), ::testing::Bool()));

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------
// Names, values and paths that are not plain.

// "casas x" holds casas under names that SQL must enclose: blanks, a reserved word, a ']';
// beside it a table "casas" of two other rows, which a name cut at its blank would open.
// The file's own name holds a ';'.
std::string makeOddNames(const std::string& dir) {
  std::string path = dir + "\\bens;2023.db";
  native::JetDatabase db = createDatabase(path);
  using native::JetType;
  using native::jetTypeDeclaration;
  const std::string text = jetTypeDeclaration(JetType::Text, 20), real = jetTypeDeclaration(JetType::Double);
  db.execute("create table [casas x] ([Categoria do Bem] " + text + ", [order] " + real + ", [renda mensal] " + real +
             ", `nota]x` " + text + ")");
  db.execute("insert into [casas x] values ('a', 1, 10, 'p'), ('a', 2, 12, 'p'), ('b', 3, 20, 'q'), ('b', 4, 24, 'q')");
  db.execute("create table casas (regiao " + text + ")");
  db.execute("insert into casas values ('z'), ('z')");
  return path;
}

// The hand working of casas holds under any names: only how they are written changes.
TEST_F(MainWindowTest, NamesThatAreNotPlainIdentifiersRunEndToEnd) {
  std::string path = makeOddNames(dir);
  open(path, "casas x");
  ASSERT_TRUE(form->Tabela->Active()) << (boxes().Calls().empty() ? "" : boxes().Calls()[0].Text);
  EXPECT_NE(form->Con->ConnectionString().find("Data Source=\"" + path + "\";Mode=Share Deny None;"),
            std::string::npos)
      << form->Con->ConnectionString();
  EXPECT_EQ(lines(form->CamposDependentes->Items()), "Categoria do Bem\norder\nrenda mensal\nnota]x\n");

  run("renda mensal", {"Categoria do Bem"}, 1);
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  EXPECT_EQ(form->TotalRegistrosAtual(), 4) << "the table named, not the one before its blank";
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n\t([Categoria do Bem] = 'a')\n\t([Categoria do Bem] <> 'a')\n");
  EXPECT_EQ(lines(form->Mestrato->Lines()),
            "Select * from [casas x] where (1=1)  and ([Categoria do Bem] = 'a')\n"
            "Select * from [casas x] where (1=1)  and ([Categoria do Bem] <> 'a')\n");
  EXPECT_NE(lines(form->Redit1->Lines())
                .find("    and ([Categoria do Bem] <> 'a')\n   Variância   4.0000, Média   22.0000, Quantidade 2 \n"),
            std::string::npos)
      << lines(form->Redit1->Lines());

  // A reserved word as a band attribute: the tree of UniformBandRunMatchesTheHandWorking.
  run("renda mensal", {"order"}, 0, true, 2);
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n"
            "\t([order] >= 1) and ([order] < 2.5)\n"
            "\t(NOT (([order] >= 1 and [order] < 2.5)))\n"
            "\t\t([order] >= 2.5) and ([order] < 4)\n"
            "\t\t(NOT (([order] >= 2.5 and [order] < 4)))\n");
  EXPECT_EQ(reportedCases(form->Redit1->Lines()), 4);

  // A ']' cannot stand inside brackets: the name goes in back quotes.
  run("renda mensal", {"nota]x"}, 1);
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  EXPECT_EQ(treeText(form->tvArvore), "Início\n\t(`nota]x` = 'p')\n\t(`nota]x` <> 'p')\n");
  EXPECT_EQ(reportedCases(form->Redit1->Lines()), 4);

  // A table name typed in brackets (or with blanks around it) names the same table.
  for (const char* typed : {"[casas x]", " casas x "}) {
    open(path, typed);
    ASSERT_TRUE(form->Tabela->Active()) << typed;
    run("renda mensal", {"Categoria do Bem"}, 1);
    EXPECT_TRUE(boxes().Calls().empty()) << typed;
    EXPECT_EQ(form->TotalRegistrosAtual(), 4) << typed;
    EXPECT_EQ(form->Mestrato->Lines()->Strings(0),
              "Select * from [casas x] where (1=1)  and ([Categoria do Bem] = 'a')") << typed;
  }
}

// visitas: casas with the time of each visit, and a household without a category.
//   cat   data_visita        renda
//   a     2023-03-01 08:03   10
//   a     2023-03-02         12
//   b     2023-03-03 09:00   20
//   null  2023-03-04 10:30   24
std::string makeVisitas(const std::string& dir) {
  std::string path = dir + "\\visitas.db";
  native::JetDatabase db = createDatabase(path);
  using native::JetType;
  using native::jetTypeDeclaration;
  db.execute("create table visitas (cat " + jetTypeDeclaration(JetType::Text, 20) + ", data_visita " +
             jetTypeDeclaration(JetType::DateTime) + ", renda " + jetTypeDeclaration(JetType::Double) + ")");
  db.execute("insert into visitas values ('a', #3/1/2023 8:03:00 AM#, 10), ('a', #2023-03-02#, 12), "
             "('b', #2023-03-03 09:00#, 20), (null, #2023-03-04 10:30#, 24)");
  return path;
}

// Proportional allocation by value cuts of the dates (N = 4, t = 0):
//   v = 03-01 08:03: {10} | {12, 20, 24} (variance 224 / 9): c = 3 * 224 / 9 / 4 = 18.67
//   v = 03-02:       {10, 12} | {20, 24}: c = (2 * 1 + 2 * 4) / 4 = 2.5, the best
//   v = 03-03 09:00: {10, 12, 20} (variance 56 / 3) | {24}: c = 14
// Each child of two rows splits again between its two dates (c = 8 / 4 = 2, then leaves).
TEST_F(MainWindowTest, DateAttributeIsCutByDateLiterals) {
  open(makeVisitas(dir), "visitas");
  ASSERT_TRUE(form->Tabela->Active());
  run("renda", {"data_visita"}, 1);
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n"
            "\t(data_visita <= #2023-03-02#)\n"
            "\t\t(data_visita <= #2023-03-01 08:03:00#)\n"
            "\t\t(data_visita > #2023-03-01 08:03:00#)\n"
            "\t(data_visita > #2023-03-02#)\n"
            "\t\t(data_visita <= #2023-03-03 09:00:00#)\n"
            "\t\t(data_visita > #2023-03-03 09:00:00#)\n");
  EXPECT_NE(lines(form->Redit1->Lines())
                .find("    and (data_visita <= #2023-03-02#) and (data_visita > #2023-03-01 08:03:00#)\n"
                      "   Variância   0.0000, Média   12.0000, Quantidade 1 \n"),
            std::string::npos)
      << lines(form->Redit1->Lines());
  EXPECT_EQ(reportedCases(form->Redit1->Lines()), 4);
}

// The null category is a mandatory stratum of its own, selected with IS NULL; category a is
// split between its two dates; the others hold one row each.
TEST_F(MainWindowTest, NullValueOfAMandatoryFieldSelectsWithIsNull) {
  open(makeVisitas(dir), "visitas");
  ASSERT_TRUE(form->Tabela->Active());
  run("renda", {"data_visita"}, 1, false, 2, 6, 0, {"cat"});
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  EXPECT_EQ(treeText(form->tvArvore),
            "Início\n"
            "\tcat IS NULL [Obrigatório]\n"
            "\tcat=a [Obrigatório]\n"
            "\t\t(data_visita <= #2023-03-01 08:03:00#)\n"
            "\t\t(data_visita > #2023-03-01 08:03:00#)\n"
            "\tcat=b [Obrigatório]\n");
  // The null stratum's one row was evaluated: its value covers the node (no second part).
  EXPECT_NE(lines(form->mm1->Lines()).find("data_visita\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// What a run refuses before anything runs: one message, the tree and the log untouched.

class RunRefusalTest : public MainWindowTest {
protected:
  // Presses "Gerar Estrato"; expects no query and exactly one message, which it returns.
  std::string refusal() {
    form->BtnGerarEstrato->Click();
    EXPECT_EQ(treeText(form->tvArvore), "") << "nothing may run";
    EXPECT_EQ(form->mm1->Lines()->Count(), 0);
    EXPECT_EQ(form->Aguarde->Form(), nullptr);
    if (boxes().Calls().size() != 1u) {
      ADD_FAILURE() << boxes().Calls().size() << " message boxes instead of one";
      return "";
    }
    std::string text = boxes().Calls()[0].Text;
    expectBoxes();
    return text;
  }
  void choose(const std::string& Target, Integer Type) {
    check(form->CamposDependentes, Target.empty() ? std::vector<std::string>{} : std::vector<std::string>{Target});
    check(form->CamposIndependentes, {"regiao"});
    form->GrTipo->SetItemIndex(Type);
  }
};

TEST_F(RunRefusalTest, AMissingTargetOrTypeIsNamed) {
  openCasas();
  ASSERT_TRUE(form->BtnGerarEstrato->Enabled());
  struct Case {
    std::string target;
    Integer type;
    std::string message;
  };
  const Case cases[] = {
      {"", 1, "Escolha o atributo meta."},
      {"renda", -1, "Escolha o tipo de amostragem."},
      {"", -1, "Escolha o atributo meta e o tipo de amostragem."},
  };
  for (const Case& c : cases) {
    choose(c.target, c.type);
    EXPECT_EQ(refusal(), c.message) << "target '" << c.target << "', type " << c.type;
  }
}

TEST_F(RunRefusalTest, CountsOutOfRangeAreRefusedNamingTheField) {
  openCasas();
  struct Case {
    bool categories;
    std::string categorias, niveis, minimo;
    std::string field;  // "" when the run goes ahead
  };
  const Case cases[] = {
      {true, "0", "6", "0", "Quantidade de Categorias"},
      {true, "-3", "6", "0", "Quantidade de Categorias"},
      {true, "2147483648", "6", "0", "Quantidade de Categorias"},
      {false, "0", "6", "0", ""},  // the count of categories is not used without categories
      {true, "2", "-1", "0", "Quantidade de Caracteristicas"},
      {true, "2", "2147483648", "0", "Quantidade de Caracteristicas"},
      {true, "2", "6", "-2147483649", "Quantidade Mínima de Casos"},
      {true, "2", "0", "0", ""},
  };
  for (const Case& c : cases) {
    form->tvArvore->Items()->Clear();
    form->mm1->Lines()->Clear();
    choose("renda", 0);
    form->ckCategoria->SetChecked(c.categories);
    form->cxCatValoresContinuos->SetText(c.categorias);
    form->cxNiveis->SetText(c.niveis);
    form->cxQtdeMinCasos->SetText(c.minimo);
    SCOPED_TRACE(c.categorias + " / " + c.niveis + " / " + c.minimo);
    if (c.field.empty()) {
      form->BtnGerarEstrato->Click();
      EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
      EXPECT_EQ(form->mm1->Lines()->Strings(form->mm1->Lines()->Count() - 1), "FIM");
      continue;
    }
    std::string message = refusal();
    EXPECT_NE(message.find(c.field), std::string::npos) << message;
  }
}

TEST_F(RunRefusalTest, AnExtraConditionWithAnSqlCommentIsRefused) {
  openCasas();
  struct Case {
    std::string clausula;
    bool refused;
  };
  const Case cases[] = {
      {" and 1=1 --", true},
      {" and (area > 0) /* todas */", true},
      {" and regiao <> 'x' -- comentário", true},
      {" and regiao <> '--'", false},
      {" and regiao <> 'a/*b' and regiao <> 'it''s -- x'", false},
  };
  for (const Case& c : cases) {
    form->tvArvore->Items()->Clear();
    form->mm1->Lines()->Clear();
    choose("renda", 1);
    form->clausula->SetText(c.clausula);
    SCOPED_TRACE(c.clausula);
    if (c.refused) {
      EXPECT_EQ(refusal(), "A condição adicional não pode conter comentários SQL (-- ou /*).");
      continue;
    }
    form->BtnGerarEstrato->Click();
    EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
    EXPECT_EQ(treeText(form->tvArvore), "Início\n\t(regiao = 'a')\n\t(regiao <> 'a')\n");
  }
  // With a mandatory field the extra condition is not used, so it is not checked.
  form->tvArvore->Items()->Clear();
  form->clausula->SetText(" and 1=1 --");
  check(form->CamposObrigatorios, {"regiao"});
  form->BtnGerarEstrato->Click();
  EXPECT_TRUE(boxes().Calls().empty());
  EXPECT_EQ(form->tvArvore->Items()->GetFirstNode()->Count(), 2);
}

// ---------------------------------------------------------------------------------------
// Failures of opening, running and saving.

TEST_F(MainWindowTest, AbrirOnAMissingFileNamesIt) {
  std::string missing = dir + "\\nada.mdb";
  open(missing, "casas");
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_EQ(boxes().Calls()[0].Text, "O arquivo \"" + missing + "\" não foi encontrado.");
  expectBoxes();
  EXPECT_FALSE(form->BtnGerarEstrato->Enabled());
  EXPECT_EQ(form->CamposDependentes->Items()->Count(), 0);
  EXPECT_EQ(form->Aguarde->Form(), nullptr);
}

TEST_F(MainWindowTest, TheProgressDialogClosesWhenOpeningOrARunFails) {
  std::string path = dir + "\\casas.db";
  makeCasas(path, "a");
  open(path, "naoexiste");
  EXPECT_EQ(boxes().Calls().size(), 1u);
  expectBoxes();
  EXPECT_EQ(form->Aguarde->Form(), nullptr) << "a failed opening closes the progress dialog";

  open(path, "casas");
  ASSERT_TRUE(form->Tabela->Active());
  {
    native::OpenOptions options;
    native::JetDatabase db(UnixPath(path), options);
    db.execute("drop table casas");
  }
  check(form->CamposDependentes, {"renda"});
  check(form->CamposIndependentes, {"regiao"});
  form->GrTipo->SetItemIndex(1);
  // The count query fails: the error leaves the run for the application's handler.
  EXPECT_THROW(form->BtnGerarEstratoClick(form->BtnGerarEstrato), Exception);
  EXPECT_EQ(form->Aguarde->Form(), nullptr) << "a failed run closes the progress dialog";
  EXPECT_FALSE(form->Running());
}

// A save that cannot replace its file (read-only here) keeps the old file whole and says so,
// naming the file; the tree and the report alike.
TEST_F(MainWindowTest, AFailedSaveKeepsTheOldFileAndNamesIt) {
  openCasas();
  run("renda", {"regiao"}, 1);
  struct Case {
    std::string name;
    void (TFrmPrincipal::*save)(TObject*);
  };
  const Case cases[] = {{"arvore.txt", &TFrmPrincipal::ExportarExcel1Click},
                        {"relatorio.rtf", &TFrmPrincipal::MenuItem1Click}};
  for (const Case& c : cases) {
    std::string file = dir + "\\" + c.name;
    {
      TStringList old;
      old.Add("conteúdo anterior");
      old.SaveToFile(file);
    }
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    TJvSaveDialog::ExecuteHook() = [&](TJvSaveDialog* d) {
      d->SetFileName(file);
      return true;
    };
    (form->*c.save)(nullptr);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(boxes().Calls().size(), 1u) << c.name;
    EXPECT_EQ(boxes().Calls()[0].Text.rfind("Não foi possível salvar o arquivo \"" + file + "\". ", 0), 0u)
        << boxes().Calls()[0].Text;
    expectBoxes();
    EXPECT_EQ(readFile(file), "conte\xFA" "do anterior\r\n") << c.name;
  }
}

}  // namespace
