// The tabular view bound to a data set: one column per field of a real SQLite table, bound
// by field name and still bound after the query is reopened with its fields in another
// order; the footer alignment a numeric field asks for; the data set's record number as
// the scroll-bar position in sequenced grid mode; a failure while the columns are made;
// and the view with its columns written to a stored form and read back.
#include <memory>
#include <string>

#include "GridTestSupport.h"
#include "cx/editors/extra/cxEditRepositoryItems.h"
#include "cx/grid/cxGridDBTableView.h"
#include "platform/data/ADODB.h"
#include "platform/data/DataTestSupport.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/native/JetEngine.h"

using namespace datatest;
using namespace gridtest;
using namespace guitest;

namespace {

// A file with the fields Id, Nome, Idade and five people.
class GridDBTableViewTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    dir = MakeTempDir();
    path = dir + "\\pessoas.db";
    WritePeopleFile(path);
    form = TForm::CreateNew(nullptr);
    form->SetName("Janela");
    form->SetBounds(100, 100, 400, 300);
    grid = New<TcxGrid>(form);
    grid->SetName("Grade");
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    view = New<TcxGridDBTableView>(form);
    view->SetName("GradeDBTableView1");
    view->SetControl(grid);
    auto* level = New<TcxGridLevel>(form);
    level->SetName("GradeLevel1");
    level->SetParentComponent(grid);
    level->SetGridView(view);
    source = New<TDataSource>(form);
    source->SetName("DsTabela");
    form->Show();
    con = std::make_unique<TADOConnection>(nullptr);
    con->SetConnectionString(ConnectionStringFor(path));
    q = std::make_unique<TADOQuery>(nullptr);
    q->SetConnection(con.get());
    source->SetDataSet(q.get());
    view->DataController()->SetDataSource(source);
  }
  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    q.reset();
    con.reset();
    GuiTest::TearDown();
    RemoveTree(dir);
  }
  void open(const std::string& ASql) {
    q->Close();
    q->SQL()->SetText(ASql);
    q->Open();
  }
  void columnsForAllFields() {
    view->ClearItems();
    view->DataController()->CreateItemsForAllFields();
  }
  TcxGridDBColumn* column(Integer AIndex) { return dynamic_cast<TcxGridDBColumn*>(view->Items(AIndex)); }
  // The window as the text of a stored form.
  std::string writtenForm() {
    TMemoryStream binary;
    binary.WriteComponent(form);
    binary.SetPosition(0);
    TStringStream text("");
    ObjectBinaryToText(&binary, &text);
    return text.DataString();
  }
  // A new window read from AText replaces the window; view is its view (null when none).
  void readForm(const std::string& AText) {
    form->Free();
    form = TForm::CreateNew(nullptr);
    TStringStream input(AText);
    TMemoryStream converted;
    ObjectTextToBinary(&input, &converted);
    converted.SetPosition(0);
    converted.ReadComponent(form);
    view = dynamic_cast<TcxGridDBTableView*>(form->FindComponent("GradeDBTableView1"));
  }
  std::string texts(Integer AItemIndex) {
    std::string s;
    TcxCustomGridTableViewData* data = view->ViewData();
    for (Integer i = 0; i < data->RecordCount(); ++i)
      s += (i ? "," : "") + data->Records(i)->GetDisplayText(AItemIndex);
    return s;
  }

  FormatGuard formats;
  std::string dir, path;
  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  TcxGridDBTableView* view = nullptr;
  TDataSource* source = nullptr;
  std::unique_ptr<TADOConnection> con;
  std::unique_ptr<TADOQuery> q;
};

TEST_F(GridDBTableViewTest, TheViewIsATableViewWithDataSetClasses) {
  EXPECT_TRUE(view->InheritsFrom(TcxGridTableView::StaticClass()));
  EXPECT_EQ(view->GetItemClass(), TcxGridDBColumn::StaticClass());
  EXPECT_EQ(view->DataController()->ClassType(), TcxGridDBDataController::StaticClass());
  EXPECT_EQ(view->DataController()->Options(),
            (TcxDataControllerOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding}));
  EXPECT_EQ(cxGridRegisteredViews()->GetDescriptionByClass(TcxGridDBTableView::StaticClass()), "DB Table");
  auto* created = dynamic_cast<TcxGridDBColumn*>(view->CreateItem());
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->DataBinding()->ClassType(), TcxGridItemDBDataBinding::StaticClass());
  EXPECT_EQ(created->DataBinding()->DefaultValuesProvider()->ClassType(),
            TcxGridDBDefaultValuesProvider::StaticClass());
}

TEST_F(GridDBTableViewTest, OneColumnPerFieldInFieldOrderWithTheFieldsVisibility) {
  open("select Id, Nome, Idade from Pessoas order by Id");
  q->FieldByName("Nome")->SetVisible(false);
  q->FieldByName("Idade")->SetDisplayLabel("Anos");
  columnsForAllFields();
  ASSERT_EQ(view->ItemCount(), 3);
  const char* names[] = {"Id", "Nome", "Idade"};
  for (Integer i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_NE(column(i), nullptr) << "the columns are data-set columns";
    EXPECT_EQ(column(i)->DataBinding()->FieldName(), names[i]);
    EXPECT_EQ(column(i)->DataBinding()->Field(), q->FieldByName(names[i]));
  }
  EXPECT_TRUE(column(0)->Visible());
  EXPECT_FALSE(column(1)->Visible()) << "the field is invisible";
  EXPECT_TRUE(column(2)->Visible());
  EXPECT_EQ(column(2)->Caption(), "Anos") << "no caption of its own: the field's display name";
  EXPECT_EQ(texts(1), "Ana,Bruno,Carla,Duarte,Eva");

  view->DataController()->CreateItemsForAllFields();
  EXPECT_EQ(view->ItemCount(), 6) << "without clearing, each field gets a second column";
  EXPECT_EQ(column(4)->DataBinding()->FieldName(), "Nome");
}

TEST_F(GridDBTableViewTest, WithoutADataSetOrFieldsNothingIsMade) {
  view->DataController()->SetDataSource(nullptr);
  view->DataController()->CreateItemsForAllFields();
  EXPECT_EQ(view->ItemCount(), 0);
}

// The binding is by name: a query reopened with its fields in another order still shows
// each column's own field.
TEST_F(GridDBTableViewTest, ColumnsStayBoundByNameAcrossAReopen) {
  open("select Id, Nome, Idade from Pessoas order by Id");
  columnsForAllFields();
  ASSERT_EQ(texts(1), "Ana,Bruno,Carla,Duarte,Eva");
  open("select Idade, Id, Nome from Pessoas order by Nome desc");
  EXPECT_EQ(column(1)->DataBinding()->FieldName(), "Nome");
  EXPECT_EQ(column(1)->DataBinding()->Field(), q->FieldByName("Nome"));
  EXPECT_EQ(texts(1), "Eva,Duarte,Carla,Bruno,Ana");
  EXPECT_EQ(texts(2), "19,52,28,45,30");

  column(2)->DataBinding()->SetFieldName("Nome");
  EXPECT_EQ(texts(2), "Eva,Duarte,Carla,Bruno,Ana") << "a new field name re-links the column";
}

// A column's footer follows the alignment its values ask for (numbers right) until one is
// set; only a value other than that one is stored.
TEST_F(GridDBTableViewTest, FooterAlignmentComesFromTheFieldUntilSet) {
  open("select Id, Nome, Idade from Pessoas");
  columnsForAllFields();
  TcxGridDBColumn* idade = column(2);
  TcxGridDBColumn* nome = column(1);
  EXPECT_EQ(idade->FooterAlignmentHorz(), taRightJustify);
  EXPECT_EQ(nome->FooterAlignmentHorz(), taLeftJustify);
  EXPECT_FALSE(idade->IsFooterAlignmentHorzStored());
  idade->SetFooterAlignmentHorz(taRightJustify);
  EXPECT_FALSE(idade->IsFooterAlignmentHorzStored()) << "the value it asks for anyway";
  idade->SetFooterAlignmentHorz(taCenter);
  EXPECT_EQ(idade->FooterAlignmentHorz(), taCenter);
  EXPECT_TRUE(idade->IsFooterAlignmentHorzStored());
}

TEST_F(GridDBTableViewTest, DisplayFormatIsDefinedByTheFieldOrTheColumnsEvent) {
  open("select Id, Nome from Pessoas");
  columnsForAllFields();
  TcxCustomEditDefaultValuesProvider* provider = column(1)->DataBinding()->DefaultValuesProvider();
  EXPECT_FALSE(provider->HasDisplayFormat(false));
  struct Handler : TObject {
    void Text(TcxCustomGridTableItem*, TcxCustomGridRecord*, std::string& AText) { AText += "!"; }
  } handler;
  column(1)->SetOnGetDisplayText(TcxGridGetDisplayTextEvent(&handler, &Handler::Text));
  EXPECT_TRUE(provider->HasDisplayFormat(false));
}

TEST_F(GridDBTableViewTest, ScrollBarFollowsTheRecordNumberOnlyInSequencedGridMode) {
  open("select Id, Nome from Pessoas order by Id");
  columnsForAllFields();
  TcxGridDBDataController* dc = view->DataController();
  EXPECT_FALSE(dc->IsSequencedGridMode());
  EXPECT_EQ(dc->GetScrollBarPos(), -1);
  EXPECT_FALSE(dc->SetScrollBarPosHook(2));

  dc->DataModeController()->SetGridMode(true);
  ASSERT_TRUE(q->IsSequenced()) << "the query numbers its records";
  EXPECT_TRUE(dc->IsSequencedGridMode());
  q->First();
  q->MoveBy(2);
  EXPECT_EQ(dc->GetScrollBarPos(), 2);
  EXPECT_TRUE(dc->SetScrollBarPosHook(3));
  EXPECT_EQ(q->RecNo(), 4);
  EXPECT_EQ(q->FieldByName("Nome")->AsString(), "Duarte");

  view->OptionsView()->SetDataRowHeight(0);
  view->Preview()->SetColumn(column(1));
  view->Preview()->SetVisible(true);
  EXPECT_FALSE(dc->IsSequencedGridMode()) << "rows of different heights";
  EXPECT_EQ(dc->GetScrollBarPos(), -1);
}

// An item class that fails on its third construction.
class TFailingDBColumn : public TcxGridDBColumn {
  RTL_DECLARE_CLASS(TFailingDBColumn, TcxGridDBColumn)
public:
  explicit TFailingDBColumn(TComponent* AOwner) : TcxGridDBColumn(AOwner) {
    if (++Made == 3) throw Exception("coluna recusada");
  }
  static inline Integer Made = 0;
};
RTL_IMPLEMENT_CLASS(TFailingDBColumn)

class TFailingDBTableView : public TcxGridDBTableView {
  RTL_DECLARE_CLASS(TFailingDBTableView, TcxGridDBTableView)
public:
  using TcxGridDBTableView::TcxGridDBTableView;
  TClass GetItemClass() override { return TFailingDBColumn::StaticClass(); }
};
RTL_IMPLEMENT_CLASS(TFailingDBTableView)

TEST_F(GridDBTableViewTest, AFailureWhileMakingColumnsEndsTheUpdateAndRestoresTheCursor) {
  auto* failing = New<TFailingDBTableView>(form);
  failing->SetControl(grid);
  failing->DataController()->SetDataSource(source);
  open("select Id, Nome, Idade from Pessoas");
  Screen->SetCursor(crDefault);
  TFailingDBColumn::Made = 0;
  EXPECT_THROW(failing->DataController()->CreateItemsForAllFields(), Exception);
  EXPECT_EQ(failing->ItemCount(), 2) << "the columns made so far stay";
  EXPECT_EQ(grid->UpdateLockCount(), 0) << "the view's update was ended";
  EXPECT_EQ(Screen->Cursor(), crDefault) << "the hourglass is gone";
}

// The stored form carries the view's data controller and each column with its field.
TEST_F(GridDBTableViewTest, ViewAndColumnsRoundTripThroughAStoredForm) {
  open("select Id, Nome, Idade from Pessoas order by Id");
  columnsForAllFields();
  for (Integer i = 0; i < view->ItemCount(); ++i) view->Items(i)->SetName("GradeDBTableView1Col" + IntToStr(i));
  view->DataController()->SetKeyFieldNames("Id");
  view->DataController()->SetOptions(view->DataController()->Options() + TcxDataControllerOptions{dcoAnsiSort});
  view->OptionsData()->SetDeletingConfirmation(false);
  column(1)->SetWidth(140);
  column(1)->Options()->SetHorzSizing(false);
  column(2)->SetFooterAlignmentHorz(taCenter);
  column(2)->SetCaption("Anos");
  column(0)->SetVisible(false);

  const std::string written = writtenForm();
  for (const char* line : {"object GradeDBTableView1: TcxGridDBTableView", "DataController.DataSource = DsTabela",
                           "DataController.KeyFieldNames = 'Id'",
                           "DataController.Options = [dcoAnsiSort, dcoAssignGroupingValues, "
                           "dcoAssignMasterDetailKeys, dcoSaveExpanding]",
                           "OptionsData.DeletingConfirmation = False",
                           "object GradeDBTableView1Col1: TcxGridDBColumn", "DataBinding.FieldName = 'Nome'",
                           "Options.HorzSizing = False", "Width = 140", "FooterAlignmentHorz = taCenter",
                           "Caption = 'Anos'", "Visible = False"})
    EXPECT_NE(written.find(line), std::string::npos) << "missing \"" << line << "\" in:\n" << written;
  EXPECT_EQ(written.find("HeaderGlyphAlignmentVert"), std::string::npos) << "defaults are not written\n" << written;

  readForm(written);
  ASSERT_NE(view, nullptr);
  source = dynamic_cast<TDataSource*>(form->FindComponent("DsTabela"));
  EXPECT_EQ(view->DataController()->DataSource(), source);
  EXPECT_EQ(view->DataController()->KeyFieldNames(), "Id");
  EXPECT_TRUE(view->DataController()->Options().Contains(dcoAnsiSort));
  EXPECT_FALSE(view->OptionsData()->DeletingConfirmation());
  ASSERT_EQ(view->ItemCount(), 3);
  EXPECT_EQ(column(1)->Width(), 140);
  EXPECT_FALSE(column(1)->Options()->HorzSizing());
  EXPECT_EQ(column(2)->Caption(), "Anos");
  EXPECT_FALSE(column(0)->Visible());
  EXPECT_TRUE(column(2)->Visible());

  source->SetDataSet(q.get());
  open("select Nome, Idade, Id from Pessoas order by Id");
  EXPECT_EQ(column(1)->DataBinding()->FieldName(), "Nome");
  EXPECT_EQ(texts(1), "Ana,Bruno,Carla,Duarte,Eva") << "the read columns are bound by their stored field names";
  EXPECT_EQ(column(2)->FooterAlignmentHorz(), taCenter);
}

// The data-set view's summary items: bound to a column, or through FieldName to a field no
// column shows; the stored "Column" names the column.
TEST_F(GridDBTableViewTest, SummaryItemsBindByColumnOrByFieldName) {
  TcxDataSummary* summary = view->DataController()->Summary();
  EXPECT_EQ(view->DataController()->GetSummaryItemClass(), TcxGridDBTableSummaryItem::StaticClass());
  EXPECT_EQ(view->DataController()->GetSummaryGroupItemLinkClass(), TcxGridTableSummaryGroupItemLink::StaticClass());
  TcxDataSummaryGroup* group = summary->SummaryGroups()->Add();
  EXPECT_TRUE(Is<TcxGridDBTableSummaryItem>(group->SummaryItems()->Add()));
  EXPECT_TRUE(Is<TcxGridDBTableSummaryItem>(summary->DefaultGroupSummaryItems()->Add()));
  summary->SummaryGroups()->Clear();
  summary->DefaultGroupSummaryItems()->Clear();

  open("select Id, Nome, Idade from Pessoas order by Id");
  columnsForAllFields();
  column(2)->SetName("ColIdade");
  auto* byColumn = As<TcxGridDBTableSummaryItem>(summary->FooterSummaryItems()->Add());
  byColumn->SetKind(skSum);
  byColumn->SetColumn(column(2));
  auto* byName = As<TcxGridDBTableSummaryItem>(summary->FooterSummaryItems()->Add());
  byName->SetKind(skMax);
  byName->SetFieldName("Id");
  EXPECT_EQ(byColumn->Column(), column(2));
  EXPECT_EQ(byName->Column(), nullptr);
  EXPECT_EQ(summary->GetFooterSummaryText(0), "174.00");
  EXPECT_EQ(summary->GetFooterSummaryText(1), "MAX=5.00");

  Variant value;
  ASSERT_TRUE(byColumn->GetPropertyValue("Column", value));
  EXPECT_EQ(VarToStr(value), "ColIdade");
  EXPECT_EQ(byColumn->GetProperties(), std::vector<std::string>{"Column"});
  ASSERT_TRUE(byName->SetPropertyValue("Column", std::string("ColIdade")));
  EXPECT_EQ(byName->Column(), column(2));
  EXPECT_EQ(summary->GetFooterSummaryText(1), "MAX=5.00") << "the field name still decides the values";
  byName->SetFieldName("");
  EXPECT_EQ(summary->GetFooterSummaryText(1), "MAX=52.00") << "without one, the column's field";

  // The columns made again for a new query: the item bound by name keeps its field.
  byName->SetFieldName("Idade");
  byName->SetKind(skMin);
  open("select Nome from Pessoas where Idade > 20");
  columnsForAllFields();
  EXPECT_EQ(byColumn->Column(), nullptr) << "its column is gone";
  EXPECT_EQ(summary->GetFooterSummaryText(0), "");
  EXPECT_EQ(summary->GetFooterSummaryText(1), "") << "no Idade in this query";
  open("select Nome, Idade from Pessoas where Idade > 20");
  EXPECT_EQ(summary->GetFooterSummaryText(1), "MIN=28.00");
  EXPECT_EQ(texts(0), "Ana,Bruno,Carla,Duarte");
}

// The stored form carries the summary items with their kind, field name and column; read
// back, they bind again by name.
TEST_F(GridDBTableViewTest, SummaryItemsRoundTripThroughAStoredForm) {
  open("select Id, Nome, Idade from Pessoas order by Id");
  columnsForAllFields();
  for (Integer i = 0; i < view->ItemCount(); ++i) view->Items(i)->SetName("GradeDBTableView1Col" + IntToStr(i));
  TcxDataSummary* summary = view->DataController()->Summary();
  auto* footer = As<TcxGridDBTableSummaryItem>(summary->FooterSummaryItems()->Add());
  footer->SetKind(skAverage);
  footer->SetColumn(column(2));
  auto* grouped = As<TcxGridDBTableSummaryItem>(summary->DefaultGroupSummaryItems()->Add());
  grouped->SetKind(skCount);
  grouped->SetFieldName("Nome");

  const std::string written = writtenForm();
  for (const char* line : {"DataController.Summary.DefaultGroupSummaryItems = <", "Kind = skCount",
                           "FieldName = 'Nome'", "DataController.Summary.FooterSummaryItems = <", "Kind = skAverage",
                           "Column = GradeDBTableView1Col2"})
    EXPECT_NE(written.find(line), std::string::npos) << "missing \"" << line << "\" in:\n" << written;
  EXPECT_EQ(written.find("Position ="), std::string::npos) << "positions at their defaults\n" << written;

  readForm(written);
  ASSERT_NE(view, nullptr);
  summary = view->DataController()->Summary();
  ASSERT_EQ(summary->FooterSummaryItems()->Count(), 1);
  ASSERT_EQ(summary->DefaultGroupSummaryItems()->Count(), 1);
  auto* readFooter = As<TcxGridDBTableSummaryItem>(summary->FooterSummaryItems()->Items(0));
  auto* readGrouped = As<TcxGridDBTableSummaryItem>(summary->DefaultGroupSummaryItems()->Items(0));
  EXPECT_EQ(readFooter->Kind(), skAverage);
  EXPECT_EQ(readFooter->Column(), column(2));
  EXPECT_EQ(readGrouped->Kind(), skCount);
  EXPECT_EQ(readGrouped->FieldName(), "Nome");
  EXPECT_EQ(readGrouped->Column(), nullptr);

  source = dynamic_cast<TDataSource*>(form->FindComponent("DsTabela"));
  source->SetDataSet(q.get());
  open("select Id, Nome, Idade from Pessoas order by Id");
  EXPECT_EQ(summary->GetFooterSummaryText(0), "AVG=34.80");
  view->DataController()->Groups()->ChangeGroupIndex(2, 0);
  EXPECT_EQ(summary->GetGroupSummaryText(0), "(COUNT=1)") << "one person of age 19";
}

}  // namespace

TEST_F(GridDBTableViewTest, DefaultWidthFollowsTheFieldsDisplayWidthAndTheContentFont) {
  open("select Id, Nome, Idade from Pessoas order by Id");
  columnsForAllFields();
  auto zeroWidth = [&](TFont* AFont) {
    TcxScreenCanvas canvas;
    canvas.SetFont(AFont);
    return canvas.TextWidth("0");
  };
  auto* nome = q->FieldByName("Nome");
  TcxViewParams params;
  view->Styles()->GetContentParams(nullptr, column(1), params);
  const Integer normalDigit = zeroWidth(params.Font);
  EXPECT_EQ(column(1)->Width(), normalDigit * nome->DisplayWidth() + 4);

  nome->SetDisplayWidth(12);
  EXPECT_EQ(column(1)->Width(), normalDigit * 12 + 4);

  // A larger content font is measured again, not answered from the last font's width.
  auto* big = New<TcxStyle>(form);
  std::unique_ptr<TFont, TObjectDeleter> font(New<TFont>());
  font->Assign(params.Font);
  font->SetSize(params.Font->Size() * 3);
  big->SetFont(font.get());
  view->Styles()->SetContent(big);
  view->Styles()->GetContentParams(nullptr, column(1), params);
  const Integer bigDigit = zeroWidth(params.Font);
  ASSERT_GT(bigDigit, normalDigit);
  EXPECT_EQ(column(1)->Width(), bigDigit * 12 + 4);
}

namespace {

// Columns without their own editor take the one their field asks for.
class GridDBDefaultEditorTest : public GridDBTableViewTest {
protected:
  void SetUp() override {
    GridDBTableViewTest::SetUp();
    native::OpenOptions options;
    native::JetDatabase db(UnixPath(path), options);
    using native::JetType;
    using native::jetTypeDeclaration;
    db.execute("create table Medidas (Quando " + jetTypeDeclaration(JetType::DateTime) + ", Peso " +
               jetTypeDeclaration(JetType::Double) + ", Ativo " + jetTypeDeclaration(JetType::Boolean) + ", Obs " +
               jetTypeDeclaration(JetType::Memo) + ")");
    // 45292 is 2024-01-01.
    db.execute("insert into Medidas values (45292, 2.5, -1, 'a'), (45300, 10, 0, 'b')");
  }
};

TEST_F(GridDBDefaultEditorTest, ColumnsShowTheirFieldsThroughTheDefaultEditor) {
  open("select Quando, Peso, Ativo, Obs from Medidas order by Quando");
  columnsForAllFields();
  struct Case {
    Integer index;
    TClass propertiesClass;
  } cases[] = {
      {0, TcxMaskEditProperties::StaticClass()},
      {1, TcxMaskEditProperties::StaticClass()},
      {2, TcxCheckBoxProperties::StaticClass()},
      {3, TcxMemoProperties::StaticClass()},
  };
  for (const Case& c : cases) {
    TcxCustomEditProperties* properties = column(c.index)->GetProperties();
    ASSERT_NE(properties, nullptr) << "column " << c.index;
    EXPECT_EQ(properties->ClassType(), c.propertiesClass) << "column " << c.index;
    EXPECT_EQ(properties, cxGetEditDBRegisteredRepositoryItems()->GetItemForField(column(c.index)->DataBinding()->Field())->Properties());
  }
  EXPECT_EQ(texts(0), "01/01/2024,09/01/2024") << "dates in the short date format";
  EXPECT_EQ(texts(1), "2.5,10");
  EXPECT_TRUE(column(0)->CanSort());
  EXPECT_TRUE(column(1)->CanFilter());
  column(1)->SetSortOrder(soDescending);
  EXPECT_EQ(texts(1), "10,2.5") << "a data-set column sorts";
}

}  // namespace
