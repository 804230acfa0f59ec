#include "StorageTestHelpers.h"
#include "TestFramework.h"
#include "lib/JvAppIniStorage.h"
#include "lib/jcl/JclFileUtils.h"
#include "lib/jcl/JclSysInfo.h"
#include "platform/rtl/SysUtils.h"

#include <string>
#include <vector>

namespace {

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

// Opens the backend primitives that have no public operation of their own.
class ProbeStorage : public TJvAppIniFileStorage {
public:
  using TJvAppIniFileStorage::TJvAppIniFileStorage;
  using TJvAppIniFileStorage::ListFolders;
  using TJvAppIniFileStorage::ListValues;
};

std::vector<std::string> linesOf(TStrings& list) {
  std::vector<std::string> r;
  for (Integer i = 0; i < list.Count(); ++i) r.push_back(list.Strings(i));
  return r;
}

}  // namespace

// Every test runs with the application's number and date formats.
class JvAppIniStorage : public KnownFormatSettingsTest {};

// =======================================================================================
// The file format

TEST_F(JvAppIniStorage, SettingsFileKeepsKeyOrderAndRewritesInPlace) {
  ScratchDir dir;
  const std::string file = dir.File("Prj_Movandi.ini");
  FileStorage s(file);
  // The first start: the stored values, then the placement and the properties on close.
  s->WriteInteger("Principal\\QtdeCategorias", 20);
  s->WriteInteger("Principal\\QtdeNiveis", 6);
  s->WriteInteger("Principal\\cxGanho", 0);
  s->WriteInteger("Principal\\FormVersion", 0);
  s->WriteString("Principal\\NormPos", "10,20,810,620");
  s->WriteBoolean("Principal\\ckCategoria_Checked", true);
  s->WriteString("Principal\\edTabela_Text", "estratos");
  EXPECT_EQ(readFileBytes(file), joined({"[Principal]", "QtdeCategorias=20", "QtdeNiveis=6", "cxGanho=0",
                                         "FormVersion=0", "NormPos=10,20,810,620", "ckCategoria_Checked=TRUE",
                                         "edTabela_Text=estratos", ""}));

  // Later values of existing keys keep their lines; a new section goes to the end.
  s->WriteInteger("Principal\\QtdeCategorias", 35);
  s->WriteBoolean("Principal\\ckCategoria_Checked", false);
  s->WriteString("Outra\\Chave", "valor");
  EXPECT_EQ(readFileBytes(file), joined({"[Principal]", "QtdeCategorias=35", "QtdeNiveis=6", "cxGanho=0",
                                         "FormVersion=0", "NormPos=10,20,810,620", "ckCategoria_Checked=FALSE",
                                         "edTabela_Text=estratos", "", "[Outra]", "Chave=valor", ""}));
}

TEST_F(JvAppIniStorage, ValueEncodingsInTheFile) {
  MemoryStorage s;
  s->WriteInteger("V\\Inteiro", -42);
  s->WriteBoolean("V\\Logico", false);
  s->WriteFloat("V\\Um", 1.0L);
  s->WriteFloat("V\\MenosDois", -2.0L);
  const Byte bin[] = {0x00, 0x7F, 0xAB};
  s->WriteBinary("V\\Bin", bin, 3);
  s->WriteDateTime("V\\Data", EncodeDate(2020, 1, 2) + EncodeTime(3, 4, 5, 0));
  s->WriteString("V\\Texto", "ação, \"aspas\" e = sinal");
  s->StorageOptions()->SetDateTimeAsString(false);
  s->WriteDateTime("V\\DataBin", 2.0);
  EXPECT_EQ(s.Text(), joined({"[V]", "Inteiro=-42", "Logico=FALSE",
                              "Um=0000000000000080FF3F",  // the 10 bytes of 1.0 in memory order
                              "MenosDois=000000000000008000C0", "Bin=007FAB", "Data=02/01/2020 03:04:05",
                              "Texto=ação, \"aspas\" e = sinal", "DataBin=00000000000000800040", ""}));
  EXPECT_EQ(s->ReadFloat("V\\MenosDois", 0), -2.0L);
  EXPECT_EQ(s->ReadDateTime("V\\DataBin", 0), 2.0);
  EXPECT_EQ(s->ReadString("V\\Texto"), "ação, \"aspas\" e = sinal");
}

TEST_F(JvAppIniStorage, EmptyIntegerReadsAsZeroAndShortFloatTextAsTheDefault) {
  MemoryStorage s("[P]\r\nVazio=\r\nCurto=ABC\r\nLongo=0000000000000080FF3F0000\r\n");
  EXPECT_EQ(s->ReadInteger("P\\Vazio", 7), 0);
  EXPECT_EQ(s->ReadFloat("P\\Curto", 9.5L), 9.5L);
  EXPECT_EQ(s->ReadFloat("P\\Longo", 9.5L), 1.0L) << "the first 10 bytes are the value";
}

// =======================================================================================
// Sections

TEST_F(JvAppIniStorage, PathsWithoutAUsableSection) {
  MemoryStorage s;
  const std::string undefined = "TJvAppIniFileStorage.ReadValue: Section undefined";
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->WriteInteger("Solto", 1); }), undefined);
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->ReadInteger("Solto", 1); }), undefined);
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->WriteString(".oculto\\X", "x"); }), undefined);
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->ReadInteger("\\", 1); }), undefined);

  s->SetDefaultSection("Geral");
  s->WriteInteger("Solto", 1);
  s->WriteString(".oculto\\X", "x");
  EXPECT_EQ(s.Text(), joined({"[Geral]", "Solto=1", "", "[Geral.oculto]", "X=x", ""}));
  EXPECT_EQ(s->ReadInteger("Solto", 0), 1);
}

TEST_F(JvAppIniStorage, SubFoldersAreSectionsWithBackslashes) {
  MemoryStorage s;
  s->WriteInteger("Principal\\A\\B", 1);
  s->WriteInteger("Principal\\ShowCmd", 1);
  EXPECT_EQ(s.Text(), joined({"[Principal\\A]", "B=1", "", "[Principal]", "ShowCmd=1", ""}));
  EXPECT_TRUE(s->IsFolder("Principal"));
  EXPECT_TRUE(s->IsFolder("Principal\\A"));
  EXPECT_FALSE(s->IsFolder("Principal\\ShowCmd"));
  EXPECT_TRUE(s->PathExists("Principal\\A"));
  EXPECT_FALSE(s->PathExists("Principal\\ShowCmd"));
  EXPECT_TRUE(s->ValueStored("Principal\\ShowCmd"));
  EXPECT_TRUE(s->ValueStored("principal\\SHOWCMD")) << "names match without regard to case";
  EXPECT_FALSE(s->ValueStored("Principal\\A"));
}

TEST_F(JvAppIniStorage, DeleteSubTreeTakesThePathAndWhatIsBelowOnly) {
  MemoryStorage s("[Principal]\r\na=1\r\n[Principal2]\r\nb=2\r\n[Principal\\Sub]\r\nc=3\r\n[principal\\sub\\x]\r\n"
                  "d=4\r\n[PrincipalX\\Sub]\r\ne=5\r\n");
  s->DeleteSubTree("Principal");
  EXPECT_EQ(s.Text(), joined({"[Principal2]", "b=2", "", "[PrincipalX\\Sub]", "e=5", ""}));
  s->DeleteSubTree("");
  EXPECT_EQ(s.Text(), "");
}

TEST_F(JvAppIniStorage, DeleteValueRemovesAKeyOrTheFolderOfThatName) {
  MemoryStorage s("[P]\r\na=1\r\nb=2\r\n[P\\c]\r\nx=1\r\n[P\\c\\d]\r\ny=2\r\n");
  s->DeleteValue("P\\a");
  s->DeleteValue("P\\c");
  s->DeleteValue("P\\nada");
  EXPECT_EQ(s.Text(), joined({"[P]", "b=2", "", "[P\\c\\d]", "y=2", ""}));
}

TEST_F(JvAppIniStorage, ListingValuesAndFolders) {
  TObjectPtr<ProbeStorage> s(New<ProbeStorage>(nullptr));
  s->SetLocation(flCustom);
  s->SetAsString(
      "[P]\r\nx=1\r\ny=2\r\n[P\\L]\r\nCount=2\r\nItem0=a\r\nitem1=b\r\nOutro=c\r\n[P\\F]\r\nz=1\r\n[P\\F\\G]\r\nw=1\r\n");
  TStringList list;
  s->ListValues("P", &list, true);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"x", "y"}));
  s->ListValues("P\\L", &list, true);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"Outro", ""})) << "a list shows as one unnamed value";
  s->ListValues("P\\L", &list, false);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"Count", "Item0", "item1", "Outro"}));
  s->ListFolders("P", &list, true);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"\\F"}));
  s->ListFolders("P", &list, false);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"\\L", "\\F"}));
  s->ListFolders("", &list, false);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"P", "P\\L", "P\\F", "P\\F\\G"}));
}

// =======================================================================================
// Text options

TEST_F(JvAppIniStorage, ReplaceCRLFKeepsEveryTextOnOneLineAndReadsItBack) {
  ScratchDir dir;
  FileStorage s(dir.File("t.ini"));
  s->IniStorageOptions()->SetReplaceCRLF(true);
  s->WriteString("P\\Linhas", "a\r\nb");
  s->WriteString("P\\Pasta", "C:\\novo");
  s->WriteString("P\\Rede", "\\\\servidor\\n\\x");
  s->WriteString("P\\Simples", "nada");
  EXPECT_EQ(readFileBytes(dir.File("t.ini")),
            joined({"[P]", "Linhas=a\\nb", "Pasta=C:\\\\novo", "Rede=\\\\\\\\servidor\\\\n\\\\x", "Simples=nada", ""}));
  EXPECT_EQ(s->ReadString("P\\Linhas"), "a\r\nb");
  EXPECT_EQ(s->ReadString("P\\Pasta"), "C:\\novo") << "a backslash text without line breaks comes back as written";
  EXPECT_EQ(s->ReadString("P\\Rede"), "\\\\servidor\\n\\x");
  s->WriteString("P\\SoLF", "a\nb\rc");
  EXPECT_EQ(s->ReadString("P\\SoLF"), "a\r\nb\r\nc") << "line breaks come back as CR LF";
}

TEST_F(JvAppIniStorage, PreservedBlanksAreQuotedInTheFile) {
  ScratchDir dir;
  FileStorage s(dir.File("t.ini"));
  s->IniStorageOptions()->SetPreserveLeadingTrailingBlanks(true);
  s->WriteString("P\\Brancos", " x ");
  s->WriteString("P\\Aspas", "\"q\"");
  s->WriteString("P\\Tab", "\tx");
  s->WriteString("P\\Meio", "a b");
  s->WriteString("P\\Vazio", "");
  EXPECT_EQ(readFileBytes(dir.File("t.ini")),
            joined({"[P]", "Brancos=\" x \"", "Aspas=\"\"q\"\"", "Tab=\"\tx\"", "Meio=a b", "Vazio=", ""}));
  // The file is read again before each access: the quotes carry the blanks through.
  EXPECT_EQ(s->ReadString("P\\Brancos"), " x ");
  EXPECT_EQ(s->ReadString("P\\Aspas"), "\"q\"");
  EXPECT_EQ(s->ReadString("P\\Tab"), "\tx");
  EXPECT_EQ(s->ReadString("P\\Vazio", "d"), "");
}

TEST_F(JvAppIniStorage, BothTextOptionsTogether) {
  MemoryStorage s;
  s->IniStorageOptions()->SetReplaceCRLF(true);
  s->IniStorageOptions()->SetPreserveLeadingTrailingBlanks(true);
  s->WriteString("P\\x", " a\r\n");
  EXPECT_EQ(s.Text(), joined({"[P]", "x=\" a\\n\"", ""}));
  EXPECT_EQ(s->ReadString("P\\x"), " a\r\n");
}

// =======================================================================================
// Files

TEST_F(JvAppIniStorage, MissingFileReadsDefaultsAndIsCreatedByTheFirstWrite) {
  ScratchDir dir;
  const std::string file = dir.File("Prj_Movandi.ini");
  FileStorage s(file);
  EXPECT_EQ(s->ReadInteger("Principal\\QtdeCategorias", 20), 20);
  EXPECT_FALSE(FileExists(file)) << "reading creates nothing";
  s->WriteInteger("Principal\\QtdeCategorias", 20);
  EXPECT_TRUE(FileExists(file));
}

TEST_F(JvAppIniStorage, AutoReloadSeesChangesMadeByOthers) {
  ScratchDir dir;
  const std::string file = dir.File("t.ini");
  writeFileBytes(file, "[P]\r\nx=1\r\n");
  FileStorage reloading(file);
  FileStorage once(file, true, false);
  EXPECT_EQ(reloading->ReadInteger("P\\x", 0), 1);
  EXPECT_EQ(once->ReadInteger("P\\x", 0), 1);
  writeFileBytes(file, "[P]\r\nx=2\r\n");
  EXPECT_EQ(reloading->ReadInteger("P\\x", 0), 2);
  EXPECT_EQ(once->ReadInteger("P\\x", 0), 1) << "without AutoReload the file is read once";
}

TEST_F(JvAppIniStorage, WithoutAutoFlushTheFileWaitsForFlush) {
  ScratchDir dir;
  const std::string file = dir.File("t.ini");
  FileStorage s(file, false, false);
  s->WriteInteger("P\\x", 1);
  EXPECT_FALSE(FileExists(file));
  s->Flush();
  EXPECT_EQ(readFileBytes(file), joined({"[P]", "x=1", ""}));
}

TEST_F(JvAppIniStorage, UpdatesHoldBackTheAutomaticFlush) {
  ScratchDir dir;
  const std::string file = dir.File("t.ini");
  FileStorage s(file);
  s->WriteInteger("P\\x", 1);
  s->BeginUpdate();
  s->WriteInteger("P\\x", 2);
  EXPECT_EQ(readFileBytes(file), joined({"[P]", "x=1", ""}));
  s->EndUpdate();
  s->WriteInteger("P\\y", 3);
  EXPECT_EQ(readFileBytes(file), joined({"[P]", "x=2", "y=3", ""}));
}

TEST_F(JvAppIniStorage, FlushCreatesTheFoldersOfANewFile) {
  ScratchDir dir;
  const std::string file = dir.Path() + "\\novo\\sub\\t.ini";
  FileStorage s(file);
  s->WriteInteger("P\\x", 1);
  EXPECT_EQ(readFileBytes(file), joined({"[P]", "x=1", ""}));
}

TEST_F(JvAppIniStorage, AFileThatCannotBeWrittenIsAClearErrorAndTheStorageGoesOn) {
  ScratchDir dir;
  writeFileBytes(dir.File("arquivo"), "x");
  const std::string file = dir.File("arquivo") + "\\t.ini";  // below a file: no folder can be made
  FileStorage s(file);
  std::string message = RaisedMessage<EStreamError>([&] { s->WriteInteger("P\\x", 1); });
  EXPECT_NE(message.find("t.ini"), std::string::npos) << "the error names the file: '" << message << "'";
  EXPECT_EQ(s->ReadInteger("P\\y", 5), 5) << "the storage still answers";
}

TEST_F(JvAppIniStorage, AReadOnlyFileIsReadButNeverSilentlyLeftUnwritten) {
  ScratchDir dir;
  const std::string file = dir.File("t.ini");
  writeFileBytes(file, "[P]\r\nx=1\r\n");
  FileSetReadOnly(file, true);
  FileStorage s(file);
  EXPECT_TRUE(s->ReadOnly());
  EXPECT_EQ(s->ReadInteger("P\\x", 0), 1);
  const std::string message = RaisedMessage<EJvAppStorageError>([&] { s->WriteInteger("P\\x", 2); });
  EXPECT_NE(message.find(file), std::string::npos) << "the error names the file: '" << message << "'";
  EXPECT_NE(message.find("read-only"), std::string::npos) << message;
  EXPECT_THROW(s->DeleteValue("P\\x"), EJvAppStorageError);
  EXPECT_EQ(readFileBytes(file), "[P]\r\nx=1\r\n");
  EXPECT_EQ(s->ReadInteger("P\\x", 0), 1);

  // Once the file may be written again, so may the storage.
  FileSetReadOnly(file, false);
  s->Reload();
  s->WriteInteger("P\\x", 3);
  EXPECT_EQ(readFileBytes(file), joined({"[P]", "x=3", ""}));
}

TEST_F(JvAppIniStorage, ChangingTheFileNameWritesTheOldFileAndReadsTheNewOne) {
  ScratchDir dir;
  writeFileBytes(dir.File("b.ini"), "[P]\r\nx=2\r\n");
  FileStorage s(dir.File("a"), false, false);
  EXPECT_EQ(s->FileName(), dir.File("a.ini")) << "the extension is added";
  s->SetFileName(dir.File("c.ini"));
  EXPECT_FALSE(FileExists(dir.File("a.ini"))) << "nothing unsaved: the old file is not made";
  s->SetFileName(dir.File("a.ini"));
  s->WriteInteger("P\\x", 1);
  s->SetFileName(dir.File("b.ini"));
  EXPECT_EQ(readFileBytes(dir.File("a.ini")), joined({"[P]", "x=1", ""}));
  EXPECT_EQ(s->ReadInteger("P\\x", 0), 2);
  s->SetFileName(dir.File("config.cfg"));
  EXPECT_EQ(s->FileName(), dir.File("config.cfg"));
}

TEST_F(JvAppIniStorage, FileLocations) {
  TObjectPtr<TJvAppIniFileStorage> s(New<TJvAppIniFileStorage>(nullptr));
  s->SetFileName("pasta\\Prj_Movandi");
  EXPECT_EQ(s->Location(), flExeFile);
  EXPECT_EQ(s->FullFileName(), ExtractFilePath(ModuleFileName(nullptr)) + "Prj_Movandi.ini");
  s->SetLocation(flTemp);
  EXPECT_EQ(s->FullFileName(), TempFolder() + "\\Prj_Movandi.ini");
  s->SetLocation(flWindows);
  EXPECT_EQ(s->FullFileName(), WindowsFolder() + "\\Prj_Movandi.ini");
  s->SetLocation(flUserFolder);
  EXPECT_EQ(s->FullFileName(), AppDataFolder() + "\\pasta\\Prj_Movandi.ini");
  s->SetFileName("C:\\outra\\x.ini");
  EXPECT_EQ(s->FullFileName(), AppDataFolder() + "\\x.ini");

  class Redirect : public TObject {
  public:
    void GetName(TObject*, std::string& name) { name = "C:\\redirecionado\\" + name; }
  } redirect;
  s->SetLocation(flCustom);
  s->SetOnGetFileName(TJvAppStorageGetFileNameEvent(&redirect, &Redirect::GetName));
  EXPECT_EQ(s->FullFileName(), "C:\\redirecionado\\C:\\outra\\x.ini");
  s->SetFileName("");
  EXPECT_EQ(s->FullFileName(), "C:\\redirecionado\\");
  s->SetLocation(flTemp);
  EXPECT_EQ(s->FullFileName(), "") << "no name, no file";
}

TEST_F(JvAppIniStorage, SettingsOfTheFileStorageArePublished) {
  TObjectPtr<TJvAppIniFileStorage> s(New<TJvAppIniFileStorage>(nullptr));
  SetStrProp(s.get(), "FileName", "Prj_Movandi");
  SetOrdProp(s.get(), "AutoFlush", 1);
  SetEnumProp(s.get(), "Location", "flCustom");
  SetStrProp(s.get(), "DefaultSection", "Geral");
  EXPECT_EQ(s->FileName(), "Prj_Movandi.ini");
  EXPECT_TRUE(s->AutoFlush());
  EXPECT_EQ(s->Location(), flCustom);
  EXPECT_EQ(s->DefaultSection(), "Geral");
  auto* options = dynamic_cast<TJvAppIniStorageOptions*>(GetObjectProp(s.get(), "StorageOptions"));
  ASSERT_NE(options, nullptr);
  EXPECT_FALSE(options->FloatAsString());
  SetOrdProp(options, "ReplaceCRLF", 1);
  SetStrProp(options, "BooleanStringTrueValues", "Sim");
  EXPECT_TRUE(s->IniStorageOptions()->ReplaceCRLF());
  EXPECT_EQ(s->StorageOptions()->DefaultTrueString(), "Sim");
  EXPECT_NE(GetObjectProp(s.get(), "SubStorages"), nullptr);
}
