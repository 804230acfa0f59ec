// The main window's grid: the grid, its level and its data-set table view come from the
// stored form as the framework's classes, the view is shown on its own site over the
// grid, and after "Abrir" the "Dados" page shows the table's rows. The page goes to a PNG
// for a person to look at.
#include "app/UPrincipal.h"
#include "cx/editors/cxTextEdit.h"
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
  // Opens a table "grade" of ARows rows (nome "n1".."nN", valor 1..N) through "Abrir" and
  // shows the "Dados" page.
  void openRows(Integer ARows) {
    const std::string path = dir + "\\linhas.db";
    {
      native::OpenOptions options;
      options.create = true;
      native::JetDatabase db(UnixPath(path), options);
      db.execute("create table grade (nome " + native::jetTypeDeclaration(native::JetType::Text, 20) + ", valor " +
                 native::jetTypeDeclaration(native::JetType::Double) + ")");
      for (Integer i = 1; i <= ARows; ++i)
        db.execute("insert into grade values ('n" + std::to_string(i) + "', " + std::to_string(i) + ")");
    }
    form->EdArquivo->SetFileName(path);
    form->edTabela->SetText("grade");
    form->BtnAbrirBanco->Click();
    ASSERT_TRUE(form->Tabela->Active());
    form->Paginas->SetActivePage(form->Dados);
    guitest::pumpFor(150);
  }
  std::string current() { return form->Tabela->FieldByName("nome")->AsString(); }

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
  // The row indicator, and cut texts that end in "..." in cells and headers.
  EXPECT_TRUE(form->GradeDBTableView1->OptionsView()->Indicator());
  EXPECT_TRUE(form->GradeDBTableView1->OptionsView()->CellEndEllipsis());
  EXPECT_TRUE(form->GradeDBTableView1->OptionsView()->HeaderEndEllipsis());

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

// The stored view is keyed on "ID_", a field the user's tables do not have: keys, clicks and
// the wheel must still move the focus, and the table's current record follows it.
TEST_F(MainWindowGridTest, KeysAndClicksMoveTheFocusAndTheTableFollows) {
  openRows(60);
  TcxGridDBTableView* view = form->GradeDBTableView1;
  TcxCustomGridTableController* controller = view->Controller();
  ASSERT_EQ(view->ViewData()->RecordCount(), 60);
  view->Site()->SetFocus();
  guitest::pumpFor(50);
  ASSERT_EQ(GetFocus(), view->Site()->Handle());

  guitest::pressKey(VK_DOWN);
  guitest::pressKey(VK_DOWN);
  EXPECT_EQ(controller->FocusedRecordIndex(), 2);
  EXPECT_EQ(current(), "n3");
  // End and Home move between the cells of the row; with Ctrl, between the rows.
  guitest::pressKey(VK_END);
  EXPECT_EQ(controller->FocusedItem(), view->Items(1));
  EXPECT_EQ(controller->FocusedRecordIndex(), 2);
  guitest::pressWith({VK_CONTROL}, VK_END);
  EXPECT_EQ(controller->FocusedRecordIndex(), 59);
  EXPECT_EQ(current(), "n60");
  EXPECT_GT(controller->TopRecordIndex(), 0) << "the last row was scrolled into view";
  guitest::pressWith({VK_CONTROL}, VK_HOME);
  EXPECT_EQ(controller->FocusedRecordIndex(), 0);
  EXPECT_EQ(controller->TopRecordIndex(), 0);
  guitest::pressKey(VK_NEXT);
  const Integer page = controller->FocusedRecordIndex();
  EXPECT_GT(page, 2) << "Page Down goes to the bottom of the page";
  EXPECT_EQ(current(), "n" + std::to_string(page + 1));

  // Rows laid out again on their own after a focus change keep each column's alignment:
  // numbers to the right, names to the left (the two columns share one editor properties
  // object whose default alignment follows the column it was last prepared for).
  for (Integer r = controller->TopRecordIndex(); r <= page; ++r) {
    TcxCustomGridRecordViewInfo* row = view->ViewData()->Records(r)->ViewInfo();
    ASSERT_NE(row, nullptr);
    for (Integer i = 0; i < 2; ++i) {
      auto* text = dynamic_cast<TcxCustomTextEditViewInfo*>(row->GetCellViewInfoByItem(view->Items(i))->EditViewInfo());
      ASSERT_NE(text, nullptr);
      EXPECT_EQ((text->DrawTextFlags & tlfAlignRight) != 0, i == 1) << "row " << r << ", column " << i;
    }
  }

  // A click on the second row's value cell.
  TcxCustomGridRecordViewInfo* info = view->ViewData()->Records(controller->TopRecordIndex() + 1)->ViewInfo();
  ASSERT_NE(info, nullptr);
  TcxGridTableDataCellViewInfo* cell = info->GetCellViewInfoByItem(view->Items(1));
  ASSERT_NE(cell, nullptr);
  const TRect b = cell->Bounds;
  guitest::clickAt(view->Site(), TPoint{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
  guitest::pumpFor(50);
  EXPECT_EQ(controller->FocusedRecordIndex(), controller->TopRecordIndex() + 1);
  EXPECT_EQ(current(), "n" + std::to_string(controller->TopRecordIndex() + 2));
}

// The sample survey database the build writes (build/data), seen from the test program in
// build/tests.
std::string sampleDatabase() { return ExpandFileName(ExtractFilePath(ParamStr(0)) + "..\\data\\amostra.db"); }

// The view's stored summary items name fields ("FILLER6" for the group rows, "FILLER1" for
// the footer) that the sample does not have. They are read as the view's own item class;
// opening the sample shows no message, the summaries stay empty, and the rows, grouping
// and sorting work as without them.
TEST_F(MainWindowGridTest, SummaryItemsOnFieldsTheSampleLacksLeaveTheGridWorking) {
  TcxGridDBTableView* view = form->GradeDBTableView1;
  TcxDataSummary* summary = view->DataController()->Summary();
  ASSERT_EQ(summary->DefaultGroupSummaryItems()->Count(), 1);
  ASSERT_EQ(summary->FooterSummaryItems()->Count(), 1);
  EXPECT_EQ(summary->SummaryGroups()->Count(), 0);
  struct Case {
    TcxDataSummaryItems* items;
    const char* fieldName;
    TcxSummaryPosition position;
  } cases[] = {{summary->DefaultGroupSummaryItems(), "FILLER6", spGroup},
               {summary->FooterSummaryItems(), "FILLER1", spFooter}};
  for (const Case& c : cases) {
    auto* item = dynamic_cast<TcxGridDBTableSummaryItem*>(c.items->Items(0));
    ASSERT_NE(item, nullptr) << c.fieldName << ": the data-set view's summary item class";
    EXPECT_EQ(item->FieldName(), c.fieldName);
    EXPECT_EQ(item->Kind(), skNone) << c.fieldName;
    EXPECT_EQ(item->Position(), c.position) << c.fieldName;
    EXPECT_EQ(item->Column(), nullptr) << c.fieldName;
  }

  const std::string sample = sampleDatabase();
  ASSERT_TRUE(FileExists(sample)) << "the build writes the sample database " << sample;
  form->EdArquivo->SetFileName(sample);
  form->edTabela->SetText("domicilios");
  form->BtnAbrirBanco->Click();
  ASSERT_TRUE(form->Tabela->Active()) << "the sample table should open";
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  const Integer records = form->Tabela->RecordCount();
  ASSERT_GT(records, 10);
  EXPECT_EQ(view->ItemCount(), form->Tabela->FieldCount());
  TcxGridDBDataController* dc = view->DataController();
  EXPECT_EQ(dc->GetRowCount(), records);
  for (const Case& c : cases) EXPECT_EQ(c.items->Items(0)->GetDataField(), nullptr) << c.fieldName;
  EXPECT_EQ(summary->GetFooterSummaryText(0), "");

  // Grouped by region: one collapsed row per region, with no summary text after it.
  TcxGridDBColumn* regiao = nullptr;
  for (Integer i = 0; i < view->ItemCount(); ++i)
    if (auto* column = dynamic_cast<TcxGridDBColumn*>(view->Items(i)); column->DataBinding()->FieldName() == "regiao")
      regiao = column;
  ASSERT_NE(regiao, nullptr);
  dc->Groups()->ChangeGroupIndex(regiao->Index(), 0);
  ASSERT_GT(dc->GetRowCount(), 1);
  EXPECT_LT(dc->GetRowCount(), records) << "the group rows";
  for (Integer row = 0; row < dc->GetRowCount(); ++row) EXPECT_EQ(summary->GetGroupSummaryText(row), "") << row;
  dc->Groups()->ChangeGroupIndex(regiao->Index(), -1);
  EXPECT_EQ(dc->GetRowCount(), records);

  // Sorted by region, and shown on the "Dados" page.
  regiao->SetSortOrder(soDescending);
  Variant first, last;
  dc->GetRowValue(0, regiao->Index(), first);
  dc->GetRowValue(records - 1, regiao->Index(), last);
  EXPECT_EQ(VarToStr(first), "Sul");
  EXPECT_EQ(VarToStr(last), "Centro-Oeste");
  form->Paginas->SetActivePage(form->Dados);
  guitest::pumpFor(150);
  TcxGridSite* site = view->Site();
  ASSERT_TRUE(site->HandleAllocated() && IsWindowVisible(site->Handle()));
  TBitmap shot;
  guitest::captureClient(site, shot);
  EXPECT_FALSE(guitest::savePng(shot, "main-window-dados-summaries").empty());
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
