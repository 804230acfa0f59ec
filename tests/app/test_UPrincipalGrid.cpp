// The main window's grid: the grid, its level and its data-set table view come from the
// stored form as the framework's classes, the view is shown on its own site over the
// grid, and after "Abrir" the "Dados" page shows the table's rows. The page goes to a PNG
// for a person to look at.
#include "app/UPrincipal.h"
#include "cx/grid/cxGridDBTableView.h"
#include "platform/data/DataTestSupport.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/native/JetEngine.h"

using guitest::GuiTest;
using namespace datatest;

namespace {

class MainWindowGridTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    dir = MakeTempDir();
    DeleteFile(ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini");
    form = own(New<TFrmPrincipal>(nullptr));
    guitest::showAndActivate(form);
    guitest::pumpFor(100);
  }
  void TearDown() override {
    GuiTest::TearDown();
    RemoveTree(dir);
  }
  std::string dir;
  TFrmPrincipal* form = nullptr;
};

TEST_F(MainWindowGridTest, TheStoredGridIsBuiltFromTheFrameworkAndShowsTheOpenTable) {
  TcxGrid* grid = form->Grade;
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->LevelCount(), 1);
  EXPECT_EQ(grid->Levels(0), form->GradeLevel1);
  EXPECT_EQ(grid->ActiveLevel(), form->GradeLevel1);
  EXPECT_EQ(grid->ActiveView(), form->GradeDBTableView1);
  EXPECT_EQ(grid->FocusedView(), form->GradeDBTableView1);
  EXPECT_EQ(grid->GetViewCount(), 1);
  EXPECT_EQ(form->GradeDBTableView1->DataController()->DataSource(), form->DsTabela);
  EXPECT_EQ(form->GradeDBTableView1->DataController()->KeyFieldNames(), "ID_");

  // Three rows of two fields, opened through the window's own "Abrir".
  const std::string path = dir + "\\grade.db";
  {
    native::OpenOptions options;
    options.create = true;
    native::JetDatabase db(UnixPath(path), options);
    db.execute("create table grade (nome " + native::jetTypeDeclaration(native::JetType::Text, 20) + ", valor " +
               native::jetTypeDeclaration(native::JetType::Double) + ")");
    db.execute("insert into grade values ('um', 1), ('dois', 2), ('tres', 3)");
  }
  form->EdArquivo->SetFileName(path);
  form->edTabela->SetText("grade");
  form->BtnAbrirBanco->Click();
  ASSERT_TRUE(form->Tabela->Active());
  EXPECT_EQ(form->GradeDBTableView1->ItemCount(), 2);

  form->Paginas->SetActivePage(form->Dados);
  guitest::pumpFor(150);
  TcxGridSite* site = form->GradeDBTableView1->Site();
  ASSERT_TRUE(site->HandleAllocated() && IsWindowVisible(site->Handle())) << "the view's site is shown";
  EXPECT_EQ(site->Parent(), grid);
  const TRect client = grid->GetClientBounds();
  EXPECT_EQ(site->Width(), client.right - client.left) << "the site covers the grid's client area";

  TBitmap shot;
  guitest::captureClient(site, shot);
  EXPECT_FALSE(guitest::savePng(shot, "main-window-dados-grid").empty());
  // Below the group-by box and the header: the three rows' text on the window colour.
  const uint32_t window = static_cast<uint32_t>(ColorToRGB(clWindow)) & 0xFFFFFF;
  Integer inkRows = 0;
  for (Integer y = 40; y < std::min<Integer>(shot.Height(), 110); ++y) {
    bool ink = false;
    for (Integer x = 0; x < 170 && !ink; ++x) ink = guitest::pixelAt(shot, x, y) != window;
    if (ink) ++inkRows;
  }
  EXPECT_GT(inkRows, 12) << "the rows' texts are painted";
  TBitmap page;
  guitest::captureWindow(form->Handle(), page);
  EXPECT_FALSE(guitest::savePng(page, "main-window-dados").empty());
}

// A table with more rows and wider columns than the page shows: the view's site shows both
// scroll bars, and they follow the top record and the left position.
TEST_F(MainWindowGridTest, TheDadosPageScrollsALongAndWideTableWithBothBars) {
  const std::string path = dir + "\\longa.db";
  {
    native::OpenOptions options;
    options.create = true;
    native::JetDatabase db(UnixPath(path), options);
    std::string columns;
    for (int c = 0; c < 12; ++c)
      columns += std::string(c ? ", " : "") + "coluna" + std::to_string(c) + " " +
                 native::jetTypeDeclaration(native::JetType::Text, 40);
    db.execute("create table longa (" + columns + ")");
    for (int r = 0; r < 300; ++r) {
      std::string values;
      for (int c = 0; c < 12; ++c)
        values += std::string(c ? ", " : "") + "'linha " + std::to_string(r) + " coluna " + std::to_string(c) + "'";
      db.execute("insert into longa values (" + values + ")");
    }
  }
  form->EdArquivo->SetFileName(path);
  form->edTabela->SetText("longa");
  form->BtnAbrirBanco->Click();
  ASSERT_TRUE(form->Tabela->Active());
  form->Paginas->SetActivePage(form->Dados);
  guitest::pumpFor(200);

  TcxGridTableView* view = form->GradeDBTableView1;
  auto* controller = static_cast<TcxGridTableController*>(view->Controller());
  TcxGridSite* site = view->Site();
  ASSERT_NE(site->VScrollBar(), nullptr);
  ASSERT_TRUE(site->VScrollBar()->Visible()) << "300 rows do not fit";
  ASSERT_TRUE(site->HScrollBar()->Visible()) << "twelve columns do not fit";
  EXPECT_EQ(site->VScrollBar()->Max(), 299);
  EXPECT_EQ(site->VScrollBar()->PageSize(), controller->VisibleRecordCount());

  controller->SetTopRecordIndex(50);
  guitest::pumpFor(50);
  EXPECT_EQ(site->VScrollBar()->Position(), 50);
  const Integer w = site->HScrollBar()->Width();
  const Integer h = site->HScrollBar()->Height();
  guitest::clickAt(site->HScrollBar(), TPoint{w - h / 2, h / 2});  // the right arrow
  EXPECT_EQ(controller->LeftPos(), 10);
  EXPECT_EQ(site->HScrollBar()->Position(), 10);
  guitest::clickAt(site->VScrollBar(), TPoint{site->VScrollBar()->Width() / 2,
                                              site->VScrollBar()->Height() - site->VScrollBar()->Width() / 2});
  EXPECT_EQ(controller->TopRecordIndex(), 51) << "the down arrow scrolls one row";

  TBitmap page;
  guitest::captureWindow(form->Handle(), page);
  EXPECT_FALSE(guitest::savePng(page, "main-window-dados-scrolled").empty());
}

}  // namespace
