// Form placement and form storage: what a form configured as the application's main window
// writes to its settings file on close and reads back on show (key order after a first and
// a second run, encodings, the screen-size suffix, the never-stored variant property), the
// placement rules, version checks, stored values, the links told after every save and
// restore, and a settings file that cannot be written.
#include <functional>
#include <string>
#include <vector>

#include "LibTestHelpers.h"
#include "TestFramework.h"
#include "lib/JvAppIniStorage.h"
#include "lib/JvFormPlacement.h"
#include "platform/gui/GuiTestSupport.h"

namespace {

// A control standing in for the main window's check box, radio groups, spin editors,
// labels, file-name edit and edit: it publishes what their stored properties name.
class StandIn : public TGraphicControl {
  RTL_DECLARE_CLASS(StandIn, TGraphicControl)
public:
  explicit StandIn(TComponent* AOwner) : TGraphicControl(AOwner) {}
  bool Checked() const { return checked_; }
  void SetChecked(bool V) { checked_ = V; }
  Integer ItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer V) { itemIndex_ = V; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& V) { fileName_ = V; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& V) { text_ = V; }
  const Variant& Value() const { return value_; }
  void SetValue(const Variant& V) { value_ = V; }

private:
  bool checked_ = false;
  Integer itemIndex_ = -1;
  std::string fileName_;
  std::string text_;
  Variant value_;
};
RTL_BEGIN_CLASS(StandIn)
b.Property("Checked", &StandIn::Checked, &StandIn::SetChecked).Default(false);
b.Property("ItemIndex", &StandIn::ItemIndex, &StandIn::SetItemIndex).Default(-1);
b.Property("FileName", &StandIn::FileName, &StandIn::SetFileName);
b.Property("Text", &StandIn::Text, &StandIn::SetText);
b.Property("Value", &StandIn::Value, &StandIn::SetValue);
b.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
RTL_END_CLASS

// The key names of the section "Principal" of an INI text, in file order.
std::vector<std::string> keysOf(const std::string& text) {
  std::vector<std::string> keys;
  bool inSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    if (!line.empty() && line[0] == '[') {
      inSection = line == "[Principal]";
    } else if (inSection && line.find('=') != std::string::npos) {
      keys.push_back(line.substr(0, line.find('=')));
    }
  }
  return keys;
}

std::string valueOf(const std::string& text, const std::string& key) {
  const std::string probe = "\r\n" + key + "=";
  const size_t at = text.find(probe);
  if (at == std::string::npos) return "<missing>";
  const size_t start = at + probe.size();
  return text.substr(start, text.find("\r\n", start) - start);
}

std::string listed(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& e : v) s += e + "\n";
  return s;
}

// The main window's settings part as a stored form description.
std::string mainWindowDescription(const std::string& iniFile) {
  std::string d =
      "object FrmPrincipal: TForm\n"
      "  Left = 175\n  Top = 142\n  Width = 520\n  Height = 380\n  Caption = 'Gerador de estratos'\n";
  for (const char* name : {"ckCategoria", "GrTipo", "Label4", "Label7", "cxGanho", "cxNiveis", "CxTipoParada",
                           "EdArquivo", "edTabela", "cxQtdeMinCasos", "cxCatValoresContinuos"})
    d += std::string("  object ") + name + ": StandIn\n  end\n";
  d += "  object JvAppIniFileStorage1: TJvAppIniFileStorage\n"
       "    AutoFlush = True\n    AutoReload = True\n    FileName = '" + iniFile + "'\n    Location = flCustom\n  end\n"
       "  object IniSave: TJvFormStorage\n"
       "    AppStorage = JvAppIniFileStorage1\n    AppStoragePath = 'Principal\\'\n    VersionCheck = fpvcNocheck\n"
       "    StoredProps.Strings = (\n"
       "      'ckCategoria.Checked'\n      'GrTipo.ItemIndex'\n      'Label4.Visible'\n      'Label7.Visible'\n"
       "      'cxGanho.Visible'\n      'cxNiveis.Visible'\n      'CxTipoParada.ItemIndex'\n"
       "      'EdArquivo.FileName'\n      'edTabela.Text'\n      'cxQtdeMinCasos.Value'\n      'Unknown.Caption')\n"
       "  end\n"
       "end\n";
  return d;
}

// The application's side: its restore and save handlers copy three stored values into and
// out of its spin editors.
class MainWindow : public TObject {
  RTL_DECLARE_CLASS(MainWindow, TObject)
public:
  explicit MainWindow(const std::string& iniFile) {
    form = new TForm(nullptr, 0);
    TStringStream text(mainWindowDescription(iniFile));
    TMemoryStream binary;
    ObjectTextToBinary(&text, &binary);
    binary.SetPosition(0);
    binary.ReadComponent(form);
    storage = static_cast<TJvFormStorage*>(form->FindComponent("IniSave"));
    auto add = [&](const char* name, Integer value) {
      TJvStoredValue* v = storage->StoredValues()->Add();
      v->SetName(name);
      v->SetValue(value);
    };
    add("QtdeCategorias", 20);
    add("QtdeNiveis", 6);
    add("cxGanho", 0);
    storage->SetOnSavePlacement(TNotifyEvent(this, &MainWindow::SavePlacement));
    storage->SetOnRestorePlacement(TNotifyEvent(this, &MainWindow::RestorePlacement));
    c("cxCatValoresContinuos")->SetValue(200);
    c("cxNiveis")->SetValue(6);
    c("cxGanho")->SetValue(0);
    c("cxQtdeMinCasos")->SetValue(5);
  }
  ~MainWindow() override { form->Free(); }

  StandIn* c(const char* name) const { return static_cast<StandIn*>(form->FindComponent(name)); }
  void copySpinsToValues() {
    TJvStoredValues* values = storage->StoredValues();
    values->FindByName("QtdeCategorias")->SetValue(c("cxCatValoresContinuos")->Value());
    values->FindByName("QtdeNiveis")->SetValue(c("cxNiveis")->Value());
    values->FindByName("CxGanho")->SetValue(c("cxGanho")->Value());
    values->WriteAll();
  }
  void SavePlacement(TObject*) { copySpinsToValues(); }
  void RestorePlacement(TObject*) {
    TJvStoredValues* values = storage->StoredValues();
    values->ReadAll();
    c("cxCatValoresContinuos")->SetValue(values->FindByName("QtdeCategorias")->Value());
    c("cxNiveis")->SetValue(values->FindByName("QtdeNiveis")->Value());
    c("cxGanho")->SetValue(values->FindByName("CxGanho")->Value());
    values->WriteAll();
  }

  TForm* form;
  TJvFormStorage* storage;
};
RTL_IMPLEMENT_CLASS(MainWindow)

std::vector<std::string> expectedKeysAfterARun() {
  const std::string suffix = JvScreenSizeSuffix();
  return {"QtdeCategorias", "QtdeNiveis", "cxGanho", "FormVersion", "ShowCmd", "Flags", "PixelsPerInch",
          "MinMaxPos" + suffix, "MinMaxPos", "NormPos" + suffix, "NormPos", "ckCategoria_Checked",
          "GrTipo_ItemIndex", "Label4_Visible", "Label7_Visible", "cxGanho_Visible", "cxNiveis_Visible",
          "CxTipoParada_ItemIndex", "EdArquivo_FileName", "edTabela_Text"};
}

class JvFormStorageTest : public guitest::GuiTest {
protected:
  // The classes the description names, as the program registers those of its main window.
  static void SetUpTestSuite() {
    RegisterClasses({StandIn::StaticClass(), TJvAppIniFileStorage::StaticClass(), TJvFormStorage::StaticClass()});
  }
  ScratchDir dir;
};

TEST_F(JvFormStorageTest, ScreenSizeSuffixNamesTheScreensWidthAndHeight) {
  EXPECT_EQ("(" + IntToStr(Screen->Width()) + "x" + IntToStr(Screen->Height()) + ")", JvScreenSizeSuffix());
  EXPECT_EQ("(1280x1024)", JvScreenSizeSuffix()) << "the tests run on a 1280 x 1024 screen";
}

TEST_F(JvFormStorageTest, MainWindowSettingsAfterAFirstAndASecondRun) {
  const std::string ini = dir.File("principal.ini");
  {
    MainWindow w(ini);
    EXPECT_EQ("Principal\\", w.storage->AppStoragePath());
    EXPECT_EQ(10, w.storage->StoredProps()->Count()) << "the line naming no component is dropped at load";
    w.form->Show();
    // The first show finds nothing: the spin editors get the stored values' defaults and
    // the restore handler creates the file at once.
    EXPECT_EQ(20, w.c("cxCatValoresContinuos")->Value().AsInteger()) << "the design value 200 is replaced";
    EXPECT_EQ("[Principal]\r\nQtdeCategorias=20\r\nQtdeNiveis=6\r\ncxGanho=0\r\n\r\n", readFileBytes(ini));

    w.c("ckCategoria")->SetChecked(true);
    w.c("GrTipo")->SetItemIndex(2);
    w.c("Label4")->SetVisible(false);
    w.c("CxTipoParada")->SetItemIndex(1);
    w.c("EdArquivo")->SetFileName("C:\\dados\\pesquisa.mdb");
    w.c("edTabela")->SetText("tabela");
    w.c("cxQtdeMinCasos")->SetValue(15);
    w.c("cxCatValoresContinuos")->SetValue(35);
    w.form->Close();
  }
  const std::string first = readFileBytes(ini);
  EXPECT_EQ(listed(expectedKeysAfterARun()), listed(keysOf(first))) << first;
  struct Expected {
    const char* Key;
    std::string Value;
  };
  const Expected values[] = {
      {"QtdeCategorias", "35"},          {"QtdeNiveis", "6"},        {"cxGanho", "0"},
      {"FormVersion", "0"},              {"ShowCmd", "1"},           {"PixelsPerInch", IntToStr(Screen->PixelsPerInch())},
      {"ckCategoria_Checked", "TRUE"},   {"GrTipo_ItemIndex", "2"},  {"Label4_Visible", "FALSE"},
      {"Label7_Visible", "TRUE"},        {"CxTipoParada_ItemIndex", "1"},
      {"EdArquivo_FileName", "C:\\dados\\pesquisa.mdb"}, {"edTabela_Text", "tabela"},
  };
  for (const Expected& e : values) EXPECT_EQ(e.Value, valueOf(first, e.Key)) << e.Key;
  EXPECT_EQ(valueOf(first, "NormPos"), valueOf(first, "NormPos" + JvScreenSizeSuffix()));
  EXPECT_EQ(std::string::npos, first.find("cxQtdeMinCasos")) << "a variant property is never stored";
  EXPECT_EQ(std::string::npos, first.find("Unknown")) << "a line naming no component is never written";

  {
    MainWindow w(ini);
    EXPECT_FALSE(w.c("ckCategoria")->Checked()) << "nothing is restored before the show";
    w.form->Show();
    EXPECT_TRUE(w.c("ckCategoria")->Checked());
    EXPECT_EQ(2, w.c("GrTipo")->ItemIndex());
    EXPECT_FALSE(w.c("Label4")->Visible());
    EXPECT_EQ("C:\\dados\\pesquisa.mdb", w.c("EdArquivo")->FileName());
    EXPECT_EQ(35, w.c("cxCatValoresContinuos")->Value().AsInteger()) << "stored values reach the spin editors";
    EXPECT_EQ(5, w.c("cxQtdeMinCasos")->Value().AsInteger()) << "the minimum cases keep their design value";
    w.c("GrTipo")->SetItemIndex(3);
    w.form->Close();
  }
  const std::string second = readFileBytes(ini);
  EXPECT_EQ(listed(expectedKeysAfterARun()), listed(keysOf(second))) << "keys are rewritten in place";
  EXPECT_EQ("3", valueOf(second, "GrTipo_ItemIndex"));
}

TEST_F(JvFormStorageTest, DestroyWritesOnlyWhenTheCloseDidNot) {
  const std::string ini = dir.File("settings.ini");
  {
    MainWindow w(ini);
    w.form->Show();
    w.form->Close();
    writeFileBytes(ini, "");
  }
  EXPECT_EQ("", readFileBytes(ini)) << "the close already saved: freeing the form writes nothing";
  {
    MainWindow w(ini);
    w.form->Show();
    writeFileBytes(ini, "");
  }
  EXPECT_EQ("0", valueOf(readFileBytes(ini), "FormVersion")) << "a form freed without closing saves as it goes";
}

TEST_F(JvFormStorageTest, ReadOnlySettingsFileIsReportedAndTheFormStillCloses) {
  const std::string ini = dir.File("locked.ini");
  writeFileBytes(ini, "[Principal]\r\nQtdeCategorias=20\r\nQtdeNiveis=6\r\ncxGanho=0\r\n\r\n");
  FileSetReadOnly(ini, true);
  {
    MainWindow w(ini);
    w.form->Show();
    expectBoxes();  // the restore handler's write already failed and was reported
    w.form->Close();
    EXPECT_FALSE(w.form->Visible()) << "the error must not keep the form open";
    ASSERT_FALSE(boxes().Calls().empty()) << "a settings file that cannot be written must be reported";
    EXPECT_NE(std::string::npos, boxes().Calls().back().Text.find("locked.ini")) << boxes().Calls().back().Text;
    expectBoxes();
  }
  expectBoxes();
  EXPECT_EQ("[Principal]\r\nQtdeCategorias=20\r\nQtdeNiveis=6\r\ncxGanho=0\r\n\r\n", readFileBytes(ini));
}

// --- Placement.

class JvFormPlacementTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(new TForm(nullptr, 0));
    form->SetBounds(30, 40, 200, 150);
    storage = new TJvAppIniFileStorage(form);
    storage->SetLocation(flCustom);
    storage->SetAutoReload(true);
    storage->SetAutoFlush(true);
    storage->SetFileName(dir.File("p.ini"));
    placement = new TJvFormPlacement(form);
    placement->SetAppStorage(storage);
    placement->SetAppStoragePath("Principal");
    placement->HookFormEvents();
  }
  void settings(const std::string& lines) { writeFileBytes(dir.File("p.ini"), "[Principal]\r\n" + lines + "\r\n"); }
  std::string ppi() const { return IntToStr(Screen->PixelsPerInch()); }
  // A form storage on the form's settings that keeps the text of an edit "Edit1" ("before").
  TJvFormStorage* storageWithEdit() {
    auto* fs = new TJvFormStorage(form);
    fs->SetAppStorage(storage);
    fs->SetAppStoragePath("Principal");
    auto* edit = new StandIn(form);
    edit->SetName("Edit1");
    edit->SetText("before");
    fs->StoredProps()->Add("Edit1.Text");
    JvBindStoredPropComponents(form, fs->StoredProps(), true);
    return fs;
  }

  ScratchDir dir;
  TForm* form = nullptr;
  TJvAppIniFileStorage* storage = nullptr;
  TJvFormPlacement* placement = nullptr;
};

TEST_F(JvFormPlacementTest, PathGetsItsTrailingBackslash) { EXPECT_EQ("Principal\\", placement->AppStoragePath()); }

TEST_F(JvFormPlacementTest, NormalPositionForThisScreenWinsOverThePlainOne) {
  settings("ShowCmd=1\r\nPixelsPerInch=" + ppi() + "\r\nNormPos" + JvScreenSizeSuffix() +
           "=200,210,600,510\r\nNormPos=100,120,500,420");
  form->Show();
  EXPECT_EQ(200, form->Left());
  EXPECT_EQ(210, form->Top());
  EXPECT_EQ(400, form->Width());
  EXPECT_EQ(300, form->Height());
}

TEST_F(JvFormPlacementTest, OnAnotherScreenSizeThePlainNormalPositionIsUsed) {
  settings("ShowCmd=1\r\nPixelsPerInch=" + ppi() + "\r\nNormPos(800x600)=5,5,105,105\r\nNormPos=100,120,500,420");
  form->Show();
  EXPECT_EQ(100, form->Left());
  EXPECT_EQ(120, form->Top());
  EXPECT_EQ(400, form->Width());
}

TEST_F(JvFormPlacementTest, AnotherPixelDensityKeepsSizeAndPlaceButNotTheState) {
  settings("ShowCmd=3\r\nPixelsPerInch=" + IntToStr(Screen->PixelsPerInch() + 24) + "\r\nNormPos=100,120,500,420");
  form->Show();
  EXPECT_EQ(wsMaximized, form->WindowState()) << "the show command still applies";
  WINDOWPLACEMENT p{};
  p.length = sizeof p;
  GetWindowPlacement(form->Handle(), &p);
  EXPECT_EQ(30, p.rcNormalPosition.left) << "the stored normal position is not applied";
  EXPECT_EQ(200, p.rcNormalPosition.right - p.rcNormalPosition.left);
}

TEST_F(JvFormPlacementTest, VersionCheckEqualRestoresNothingOfAnotherVersion) {
  placement->SetVersion(2);
  placement->SetVersionCheck(fpvcCheckEqual);
  settings("FormVersion=1\r\nShowCmd=1\r\nPixelsPerInch=" + ppi() + "\r\nNormPos=100,120,500,420");
  form->Show();
  EXPECT_EQ(30, form->Left());
  EXPECT_TRUE(placement->Restored());
  placement->SetVersion(1);
  placement->LoadState();
  EXPECT_EQ(100, form->Left()) << "the same version is restored";
}

TEST_F(JvFormPlacementTest, ClosingWritesTheVersionBeforeThePlacement) {
  placement->SetVersion(7);
  form->Show();
  form->Close();
  const std::vector<std::string> keys = keysOf(readFileBytes(dir.File("p.ini")));
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ("FormVersion", keys.front());
  EXPECT_EQ("7", valueOf(readFileBytes(dir.File("p.ini")), "FormVersion"));
}

TEST_F(JvFormPlacementTest, WithoutAStorageReadsGiveTheirDefaults) {
  placement->SetAppStorage(nullptr);
  EXPECT_EQ(17, placement->ReadInteger("Anything", 17));
  EXPECT_EQ("d", placement->ReadString("Anything", "d"));
  placement->WriteInteger("Anything", 1);  // nothing to write to, and no error
  EXPECT_FALSE(placement->IsStorageActive());
}

// --- Stored values.

TEST_F(JvFormPlacementTest, StoredValueNamesAreUniqueWithoutRegardToCase) {
  auto* fs = new TJvFormStorage(form);
  TJvStoredValue* a = fs->StoredValues()->Add();
  a->SetName("cxGanho");
  TJvStoredValue* b = fs->StoredValues()->Add();
  try {
    b->SetName("CXGANHO");
    FAIL() << "a duplicate name must be refused";
  } catch (const EJvException& e) {
    EXPECT_EQ("String list does not allow duplicates", e.Message());
  }
  EXPECT_EQ(a, fs->StoredValues()->FindByName("CxGanho"));
  a->SetName("CXGANHO");  // renaming an item to its own name in another case is fine
}

TEST_F(JvFormPlacementTest, StoredValuesKeepTheirKindsAndAKeyedValueIsObfuscated) {
  auto* fs = new TJvFormStorage(form);
  fs->SetAppStorage(storage);
  fs->SetAppStoragePath("Principal");
  auto add = [&](const char* name, const Variant& value) {
    TJvStoredValue* v = fs->StoredValues()->Add();
    v->SetName(name);
    v->SetValue(value);
    return v;
  };
  add("Flag", true);
  add("Count", 12);
  add("Name", std::string("abc"));
  add("Secret", std::string("abc"))->SetKeyString("k");
  fs->StoredValues()->WriteAll();
  const std::string text = readFileBytes(dir.File("p.ini"));
  EXPECT_EQ("TRUE", valueOf(text, "Flag"));
  EXPECT_EQ("12", valueOf(text, "Count"));
  EXPECT_EQ("abc", valueOf(text, "Name"));
  EXPECT_EQ("0a0908", valueOf(text, "Secret")) << "each character XOR 'k', in hex";

  settings("Flag=FALSE\r\nCount=40\r\nSecret=0a0908");
  fs->StoredValues()->FindByName("Secret")->SetValue(std::string("zzz"));
  fs->StoredValues()->ReadAll();
  EXPECT_FALSE(fs->StoredValues()->FindByName("Flag")->Value().AsBoolean());
  EXPECT_EQ(varInteger, VarType(fs->StoredValues()->FindByName("Count")->Value()));
  EXPECT_EQ(40, fs->StoredValues()->FindByName("Count")->Value().AsInteger());
  EXPECT_EQ("abc", fs->StoredValues()->FindByName("Secret")->Value().AsString());
  EXPECT_EQ("abc", fs->StoredValues()->FindByName("Name")->Value().AsString()) << "missing: keeps its value";
}

// A value that does not convert reads as its default while a form restores its settings:
// the version, the placement, the stored values and the stored properties around it are
// restored; afterwards the storage raises for such a value again, as its option says.
TEST_F(JvFormPlacementTest, ADamagedValueReadsAsItsDefaultAndTheRestoreGoesOn) {
  auto* fs = storageWithEdit();
  auto* edit = static_cast<StandIn*>(form->FindComponent("Edit1"));
  TJvStoredValue* count = fs->StoredValues()->Add();
  count->SetName("Count");
  count->SetValue(12);
  TJvStoredValue* flag = fs->StoredValues()->Add();
  flag->SetName("Flag");
  flag->SetValue(true);
  ASSERT_FALSE(storage->StorageOptions()->DefaultIfReadConvertError());

  settings("FormVersion=x1\r\nShowCmd=zz\r\nFlags=0\r\nPixelsPerInch=" + ppi() +
           "\r\nNormPos=100,120,500,420\r\nCount=00000000000000A00040\r\nFlag=FALSE\r\nEdit1_Text=after");
  EXPECT_NO_THROW(fs->LoadState());
  EXPECT_EQ(100, form->Left()) << "the placement is restored";
  EXPECT_EQ(12, count->Value().AsInteger()) << "the damaged value keeps its default";
  EXPECT_FALSE(flag->Value().AsBoolean()) << "the value after it is restored";
  EXPECT_EQ("after", edit->Text()) << "the stored properties are restored";
  EXPECT_FALSE(storage->StorageOptions()->DefaultIfReadConvertError()) << "the storage's option is put back";
  EXPECT_THROW(storage->ReadInteger("Principal\\Count", 5), EConvertError);

  // Reading the stored values by themselves also keeps the default of a damaged one.
  count->SetValue(7);
  EXPECT_NO_THROW(fs->StoredValues()->ReadAll());
  EXPECT_EQ(7, count->Value().AsInteger());
}

// --- Links.

// A link that writes what it was told (and, when asked, what it saw then) to a shared log,
// then runs WhenTold.
class LoggingLink : public TJvFormPlacementLink {
public:
  LoggingLink(std::vector<std::string>& Log, std::string Name, std::function<std::string()> Seen = {})
      : log_(&Log), name_(std::move(Name)), seen_(std::move(Seen)) {}
  std::function<void()> WhenTold;

protected:
  void PlacementSaved() override { told("saved"); }
  void PlacementRestored() override { told("restored"); }

private:
  void told(const std::string& what) {
    log_->push_back(name_ + " " + what + (seen_ ? ": " + seen_() : std::string()));
    if (WhenTold) WhenTold();
  }
  std::vector<std::string>* log_;
  std::string name_;
  std::function<std::string()> seen_;
};

class PlacementEvents : public TObject {
  RTL_DECLARE_CLASS(PlacementEvents, TObject)
public:
  explicit PlacementEvents(std::vector<std::string>& Log) : log(&Log) {}
  void Saving(TObject*) { log->push_back("OnSavePlacement"); }
  void Restored(TObject*) { log->push_back("OnRestorePlacement"); }
  std::vector<std::string>* log;
};
RTL_IMPLEMENT_CLASS(PlacementEvents)

TEST_F(JvFormPlacementTest, LinksAreToldAfterThePlacementAndBeforeTheStoredProperties) {
  auto* fs = storageWithEdit();
  auto* edit = static_cast<StandIn*>(form->FindComponent("Edit1"));

  std::vector<std::string> log;
  PlacementEvents events(log);
  fs->SetOnSavePlacement(TNotifyEvent(&events, &PlacementEvents::Saving));
  fs->SetOnRestorePlacement(TNotifyEvent(&events, &PlacementEvents::Restored));
  auto stored = [&](const char* key) {
    return std::string(storage->ValueStored(std::string("Principal\\") + key) ? "stored" : "missing");
  };
  LoggingLink first(log, "A", [&] {
    return "NormPos " + stored("NormPos") + ", Edit1_Text " + stored("Edit1_Text") + ", Left " +
           IntToStr(form->Left()) + ", Text " + edit->Text();
  });
  LoggingLink second(log, "B");
  first.SetPlacement(fs);
  second.SetPlacement(fs);
  EXPECT_EQ(fs, first.Placement());

  fs->StoreState();
  EXPECT_EQ(listed({"OnSavePlacement", "A saved: NormPos stored, Edit1_Text missing, Left 30, Text before",
                    "B saved"}),
            listed(log));

  settings("ShowCmd=1\r\nPixelsPerInch=" + ppi() + "\r\nNormPos=100,120,500,420\r\nEdit1_Text=after");
  log.clear();
  fs->LoadState();
  EXPECT_EQ(listed({"A restored: NormPos stored, Edit1_Text stored, Left 100, Text before", "B restored",
                    "OnRestorePlacement"}),
            listed(log));
  EXPECT_EQ("after", edit->Text()) << "the stored properties follow the links";
}

TEST_F(JvFormPlacementTest, LinksLeaveSafelyWhicheverSideGoesFirst) {
  std::vector<std::string> log;
  auto* a = new LoggingLink(log, "A");
  auto* b = new LoggingLink(log, "B");
  auto* c = new LoggingLink(log, "C");
  for (LoggingLink* link : {a, b, c}) link->SetPlacement(placement);

  a->WhenTold = [&] {
    delete b;  // freed while the placement is telling its links
    b = nullptr;
  };
  placement->StoreState();
  EXPECT_EQ(listed({"A saved", "C saved"}), listed(log)) << "a link freed meanwhile is not told";

  delete a;
  log.clear();
  placement->LoadState();
  EXPECT_EQ(listed({"C restored"}), listed(log)) << "a freed link has left the list";

  auto* other = new TJvFormPlacement(form);
  other->SetAppStorage(storage);
  other->SetAppStoragePath("Outra");
  c->SetPlacement(other);
  log.clear();
  placement->StoreState();
  EXPECT_EQ("", listed(log)) << "a link that joined another placement left the first";
  other->StoreState();
  EXPECT_EQ(listed({"C saved"}), listed(log));

  other->Free();
  EXPECT_EQ(nullptr, c->Placement()) << "a freed placement leaves its links without one";
  delete c;  // and a link without a placement has no list to leave
  placement->StoreState();
}

}  // namespace
