// The main window's settings: "Prj_Movandi.ini" beside the program, section "Principal",
// written by the window's form storage when it is first shown and when it closes, and read
// back on the next start. Each test starts without the file and removes it at the end, so
// nothing leaks into the other window tests.
#include <string>
#include <vector>

#include "app/UPrincipal.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

using guitest::GuiTest;

namespace {

struct Entry {
  std::string name, value;
};

// The entries of one section in file order.
std::vector<Entry> section(const std::string& File, const std::string& Section) {
  std::vector<Entry> entries;
  if (!FileExists(File)) return entries;
  TStringList* text = New<TStringList>();
  text->LoadFromFile(File);
  bool inside = false;
  for (Integer i = 0; i < text->Count(); ++i) {
    const std::string line = Trim(text->Strings(i));
    if (line.empty()) continue;
    if (line.front() == '[') {
      inside = SameText(line, "[" + Section + "]");
      continue;
    }
    if (!inside) continue;
    const size_t eq = line.find('=');
    entries.push_back({line.substr(0, eq), eq == std::string::npos ? std::string() : line.substr(eq + 1)});
  }
  text->Free();
  return entries;
}

std::vector<std::string> names(const std::vector<Entry>& Entries) {
  std::vector<std::string> all;
  for (const Entry& e : Entries) all.push_back(e.name);
  return all;
}

std::string valueOf(const std::vector<Entry>& Entries, const std::string& Name) {
  for (const Entry& e : Entries)
    if (e.name == Name) return e.value;
  return "<missing>";
}

class SettingsTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    iniPath = ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini";
    DeleteFile(iniPath);
  }
  void TearDown() override {
    GuiTest::TearDown();
    DeleteFile(iniPath);
  }

  // A start of the program: the window built from its description and shown.
  TFrmPrincipal* start() {
    TFrmPrincipal* form = New<TFrmPrincipal>(nullptr);
    form->Show();
    guitest::pumpFor(50);
    return form;
  }
  // The user closes the window; the program ends with it.
  static void quit(TFrmPrincipal* Form) {
    Form->Close();
    guitest::pumpFor(20);
    Form->Free();
  }
  std::string suffix() const { return Format("(%dx%d)", Screen->Width(), Screen->Height()); }

  std::string iniPath;
};

TEST_F(SettingsTest, TheStorageFileIsBesideTheProgram) {
  TFrmPrincipal* form = start();
  EXPECT_TRUE(SameText(form->JvAppIniFileStorage1->FullFileName(), iniPath))
      << form->JvAppIniFileStorage1->FullFileName();
  quit(form);
}

TEST_F(SettingsTest, FirstStartWritesTheThreeStoredValuesAtOnce) {
  TFrmPrincipal* form = start();
  // Written before the user does anything: the file exists while the window is still open.
  const std::vector<Entry> entries = section(iniPath, "Principal");
  EXPECT_EQ(names(entries), (std::vector<std::string>{"QtdeCategorias", "QtdeNiveis", "cxGanho"}));
  EXPECT_EQ(valueOf(entries, "QtdeCategorias"), "20");
  EXPECT_EQ(valueOf(entries, "QtdeNiveis"), "6");
  EXPECT_EQ(valueOf(entries, "cxGanho"), "0");
  // The categories editor's design value (200) gives way to the stored value's default.
  EXPECT_EQ(form->cxCatValoresContinuos->Value().AsInteger(), 20);
  EXPECT_EQ(form->cxNiveis->Value().AsInteger(), 6);
  EXPECT_EQ(form->cxGanho->Value().AsInteger(), 0);
  quit(form);
}

TEST_F(SettingsTest, ClosingWritesTheSectionInTheProgramsOrder) {
  TFrmPrincipal* form = start();
  form->ckCategoria->SetChecked(true);
  form->GrTipo->SetItemIndex(2);
  form->CxTipoParada->SetItemIndex(1);
  form->cxTipoParadaClick(form->CxTipoParada);
  form->EdArquivo->SetFileName("C:\\dados\\pesquisa.mdb");
  form->edTabela->SetText("domicilios");
  form->cxNiveis->SetValue(Variant(4));
  form->cxQtdeMinCasos->SetValue(Variant(9));
  quit(form);

  const std::vector<Entry> entries = section(iniPath, "Principal");
  const std::string s = suffix();
  EXPECT_EQ(names(entries),
            (std::vector<std::string>{"QtdeCategorias", "QtdeNiveis", "cxGanho", "FormVersion", "ShowCmd", "Flags",
                                      "PixelsPerInch", "MinMaxPos" + s, "MinMaxPos", "NormPos" + s, "NormPos",
                                      "ckCategoria_Checked", "GrTipo_ItemIndex", "Label4_Visible", "Label7_Visible",
                                      "cxGanho_Visible", "cxNiveis_Visible", "CxTipoParada_ItemIndex",
                                      "EdArquivo_FileName", "edTabela_Text"}));
  EXPECT_EQ(valueOf(entries, "FormVersion"), "0");
  EXPECT_EQ(valueOf(entries, "QtdeNiveis"), "4") << "the stored values follow the editors at closing";
  EXPECT_EQ(valueOf(entries, "ckCategoria_Checked"), "TRUE");
  EXPECT_EQ(valueOf(entries, "GrTipo_ItemIndex"), "2");
  EXPECT_EQ(valueOf(entries, "CxTipoParada_ItemIndex"), "1");
  EXPECT_EQ(valueOf(entries, "Label4_Visible"), "FALSE") << "the level editor's label hides with gain as the stop";
  EXPECT_EQ(valueOf(entries, "Label7_Visible"), "TRUE");
  EXPECT_EQ(valueOf(entries, "cxGanho_Visible"), "TRUE");
  EXPECT_EQ(valueOf(entries, "cxNiveis_Visible"), "FALSE");
  EXPECT_EQ(valueOf(entries, "EdArquivo_FileName"), "C:\\dados\\pesquisa.mdb");
  EXPECT_EQ(valueOf(entries, "edTabela_Text"), "domicilios");
  EXPECT_EQ(valueOf(entries, "NormPos" + s), valueOf(entries, "NormPos")) << "one screen: both forms agree";
  // The minimum cases are a variant property, which the storage leaves alone.
  for (const Entry& e : entries) EXPECT_EQ(e.name.find("cxQtdeMinCasos"), std::string::npos) << e.name;
}

TEST_F(SettingsTest, SecondStartRestoresOptionsPlacementAndStoredValues) {
  TFrmPrincipal* form = start();
  form->SetBounds(37, 41, 900, 560);
  form->ckCategoria->SetChecked(false);
  form->GrTipo->SetItemIndex(0);
  form->CxTipoParada->SetItemIndex(1);
  form->cxTipoParadaClick(form->CxTipoParada);
  form->edTabela->SetText("orders");
  form->cxCatValoresContinuos->SetValue(Variant(35));
  form->cxGanho->SetValue(Variant(3));
  const Variant designMinimum = form->cxQtdeMinCasos->Value();
  form->cxQtdeMinCasos->SetValue(Variant(designMinimum.AsInteger() + 7));
  quit(form);

  form = start();
  EXPECT_EQ(form->Left(), 37);
  EXPECT_EQ(form->Top(), 41);
  EXPECT_EQ(form->Width(), 900);
  EXPECT_EQ(form->Height(), 560);
  EXPECT_FALSE(form->ckCategoria->Checked());
  EXPECT_EQ(form->GrTipo->ItemIndex(), 0);
  EXPECT_EQ(form->CxTipoParada->ItemIndex(), 1);
  EXPECT_FALSE(form->cxNiveis->Visible());
  EXPECT_TRUE(form->cxGanho->Visible());
  EXPECT_EQ(form->edTabela->Text(), "orders");
  EXPECT_EQ(form->cxCatValoresContinuos->Value().AsInteger(), 35) << "restored, not the design value 200";
  EXPECT_EQ(form->cxGanho->Value().AsInteger(), 3);
  EXPECT_EQ(form->cxQtdeMinCasos->Value().AsInteger(), designMinimum.AsInteger()) << "minimum cases are never kept";
  quit(form);
}

TEST_F(SettingsTest, AReadOnlySettingsFileDoesNotStopTheProgram) {
  // A first run leaves a complete file; then it is made read-only.
  quit(start());
  ASSERT_TRUE(FileExists(iniPath));
  SetFileAttributes(iniPath.c_str(), FILE_ATTRIBUTE_READONLY);
  TFrmPrincipal* form = start();
  EXPECT_EQ(form->cxCatValoresContinuos->Value().AsInteger(), 20) << "reading still works";
  form->cxNiveis->SetValue(Variant(3));
  quit(form);
  SetFileAttributes(iniPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  // The failed writes were reported through the application's handler, and the file kept its content.
  EXPECT_FALSE(boxes().Calls().empty()) << "the user is told the settings could not be saved";
  for (const auto& call : boxes().Calls())
    EXPECT_NE(call.Text.find("Prj_Movandi.ini"), std::string::npos) << call.Text;
  expectBoxes();
  EXPECT_EQ(valueOf(section(iniPath, "Principal"), "QtdeNiveis"), "6");
}

// Replaces the value of one key of the file's text (the key must be there).
void setKey(const std::string& File, const std::string& Key, const std::string& Value) {
  TStringList* text = New<TStringList>();
  text->LoadFromFile(File);
  bool found = false;
  for (Integer i = 0; i < text->Count(); ++i)
    if (text->Strings(i).rfind(Key + "=", 0) == 0) {
      text->SetStrings(i, Key + "=" + Value);
      found = true;
    }
  text->SaveToFile(File);
  text->Free();
  ASSERT_TRUE(found) << Key << " should be in the file";
}

// One damaged value (the blob-like text a float leaves, or garbage) reads as its default;
// every other value is restored, no error is shown, and at the end the file holds the
// restored values, not the defaults.
TEST_F(SettingsTest, ADamagedValueReadsAsItsDefaultAndTheOthersAreRestored) {
  struct Case {
    std::string key, damaged;
  };
  const Case cases[] = {
      {"QtdeCategorias", "00000000000000A00040"},
      {"QtdeNiveis", "muitos"},
      {"FormVersion", "x1"},
      {"GrTipo_ItemIndex", "dois"},
      {"ckCategoria_Checked", "talvez"},
      {"PixelsPerInch", "00000000000000A00040"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + "=" + c.damaged);
    DeleteFile(iniPath);
    TFrmPrincipal* form = start();
    form->SetBounds(37, 41, 900, 560);
    form->ckCategoria->SetChecked(true);
    form->GrTipo->SetItemIndex(2);
    form->edTabela->SetText("orders");
    form->cxCatValoresContinuos->SetValue(Variant(35));
    form->cxNiveis->SetValue(Variant(4));
    form->cxGanho->SetValue(Variant(3));
    quit(form);
    setKey(iniPath, c.key, c.damaged);

    form = start();
    EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
    EXPECT_EQ(form->edTabela->Text(), "orders");
    EXPECT_EQ(form->Left(), 37);
    EXPECT_EQ(form->Width(), 900);
    if (c.key != "GrTipo_ItemIndex") {
      EXPECT_EQ(form->GrTipo->ItemIndex(), 2);
    }
    if (c.key != "ckCategoria_Checked") {
      EXPECT_TRUE(form->ckCategoria->Checked());
    }
    EXPECT_EQ(form->cxCatValoresContinuos->Value().AsInteger(), c.key == "QtdeCategorias" ? 20 : 35);
    EXPECT_EQ(form->cxNiveis->Value().AsInteger(), c.key == "QtdeNiveis" ? 6 : 4);
    EXPECT_EQ(form->cxGanho->Value().AsInteger(), 3);
    quit(form);

    const std::vector<Entry> entries = section(iniPath, "Principal");
    EXPECT_EQ(valueOf(entries, "edTabela_Text"), "orders") << "the restored values are written back, not defaults";
    EXPECT_EQ(valueOf(entries, "cxGanho"), "3");
    EXPECT_EQ(valueOf(entries, "QtdeCategorias"), c.key == "QtdeCategorias" ? "20" : "35");
    EXPECT_EQ(valueOf(entries, "QtdeNiveis"), c.key == "QtdeNiveis" ? "6" : "4");
    if (c.key != "GrTipo_ItemIndex") {
      EXPECT_EQ(valueOf(entries, "GrTipo_ItemIndex"), "2");
    }
    EXPECT_NE(valueOf(entries, c.key), c.damaged) << "the damaged value is replaced by a readable one";
  }
}

// A number the stored value's type (an integer) cannot hold is never written in another form:
// a fraction is kept as the integer the run reads from it (the integer editors round halves
// to even), a number beyond 32 bits leaves the stored value as it was; the next start reads
// both back without a word.
TEST_F(SettingsTest, NumbersAreStoredOnlyAsIntegersThatReadBack) {
  TFrmPrincipal* form = start();
  form->cxCatValoresContinuos->SetText("2.5");
  form->cxNiveis->SetText("2147483648");
  form->cxGanho->SetText("1.25");
  quit(form);
  const std::vector<Entry> entries = section(iniPath, "Principal");
  EXPECT_EQ(valueOf(entries, "QtdeCategorias"), "2");
  EXPECT_EQ(valueOf(entries, "QtdeNiveis"), "6") << "the value before stays";
  EXPECT_EQ(valueOf(entries, "cxGanho"), "1");
  form = start();
  EXPECT_TRUE(boxes().Calls().empty()) << boxes().Calls()[0].Text;
  EXPECT_EQ(form->cxCatValoresContinuos->Value().AsInteger(), 2);
  EXPECT_EQ(form->cxNiveis->Value().AsInteger(), 6);
  quit(form);
}

}  // namespace
