#include "TestFramework.h"
#include "RtlTestHelpers.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// A fresh folder under the temporary folder for one test, removed with its files after.
class ScratchDir {
public:
  ScratchDir() {
    static int counter = 0;
    path_ = GetTempDir() + "ini-test-" + IntToStr(static_cast<Integer>(GetCurrentProcessId())) + "-" +
            IntToStr(++counter);
    ForceDirectories(path_);
  }
  ~ScratchDir() {
    TSearchRec rec;
    if (FindFirst(path_ + "\\*", faAnyFile, rec) == 0) {
      do {
        if (!(rec.Attr & faDirectory)) DeleteFile(path_ + "\\" + rec.Name);
      } while (FindNext(rec) == 0);
      FindClose(rec);
    }
    RemoveDir(path_);
  }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

std::string readFileBytes(const std::string& fileName) {
  TMemoryStream stream;
  stream.LoadFromFile(fileName);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void writeFileBytes(const std::string& fileName, const std::string& bytes) {
  TFileStream stream(fileName, fmCreate);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

std::vector<std::string> linesOf(TStrings& strings) {
  std::vector<std::string> lines;
  for (Integer i = 0; i < strings.Count(); ++i) lines.push_back(strings.Strings(i));
  return lines;
}

std::vector<std::string> sectionKeys(TCustomIniFile& ini, const std::string& section) {
  TStringList keys;
  ini.ReadSection(section, &keys);
  return linesOf(keys);
}

std::vector<std::string> sectionNames(TCustomIniFile& ini) {
  TStringList names;
  ini.ReadSections(&names);
  return linesOf(names);
}

std::string textForm(TMemIniFile& ini) {
  TStringList list;
  ini.GetStrings(&list);
  std::string text;
  for (Integer i = 0; i < list.Count(); ++i) text += list.Strings(i) + "|";
  return text;
}

using IniFormats = KnownFormatSettingsTest;

}  // namespace

// ---------------------------------------------------------------------------------------
// TMemIniFile: layout and order

TEST(MemIniFile, UpdateFileWritesSectionsKeysAndBlankLinesWithCrLf) {
  ScratchDir dir;
  std::string path = dir.File("layout.ini");
  {
    TMemIniFile ini(path);
    ini.WriteString("Janela", "Largura", "800");
    ini.WriteString("Janela", "Altura", "600");
    ini.WriteString("Dados", "Arquivo", "C:\\dados\\pesquisa.mdb");
    ini.WriteInteger("Janela", "Estado", 2);
    ini.UpdateFile();
  }
  EXPECT_EQ(readFileBytes(path),
            "[Janela]\r\nLargura=800\r\nAltura=600\r\nEstado=2\r\n\r\n"
            "[Dados]\r\nArquivo=C:\\dados\\pesquisa.mdb\r\n\r\n");
}

TEST(MemIniFile, RewritingAKeyKeepsItsPlaceAndNewKeysGoToTheEndOfTheirSection) {
  ScratchDir dir;
  std::string path = dir.File("layout.ini");
  writeFileBytes(path,
                 "[Janela]\r\nLargura=800\r\nAltura=600\r\nEstado=2\r\n\r\n"
                 "[Dados]\r\nArquivo=a.mdb\r\n\r\n");
  {
    TMemIniFile ini(path);
    ini.WriteString("Janela", "Largura", "1024");  // first key of the first section
    ini.WriteString("Dados", "Tabela", "Estratos");
    ini.WriteString("Novo", "Chave", "x");
    ini.WriteString("Janela", "Topo", "10");
    ini.UpdateFile();
  }
  const std::string expected =
      "[Janela]\r\nLargura=1024\r\nAltura=600\r\nEstado=2\r\nTopo=10\r\n\r\n"
      "[Dados]\r\nArquivo=a.mdb\r\nTabela=Estratos\r\n\r\n"
      "[Novo]\r\nChave=x\r\n\r\n";
  EXPECT_EQ(readFileBytes(path), expected);

  // Read and written again without changes, the file stays byte for byte the same.
  {
    TMemIniFile ini(path);
    ini.UpdateFile();
  }
  EXPECT_EQ(readFileBytes(path), expected);
}

TEST(MemIniFile, SectionListsFollowTheOrderOfTheFile) {
  TMemIniFile ini("");
  TStringList source;
  source.SetTextStr("[Zeta]\nb=2\na=1\nc=3\n[Alfa]\ny=Y\nx=X\n[Meio]\n");
  ini.SetStrings(&source);

  EXPECT_EQ(sectionNames(ini), (std::vector<std::string>{"Zeta", "Alfa", "Meio"}));
  EXPECT_EQ(sectionKeys(ini, "Zeta"), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(sectionKeys(ini, "Meio").empty());
  EXPECT_TRUE(sectionKeys(ini, "Nenhuma").empty());

  TStringList values;
  values.Add("stale line");
  ini.ReadSectionValues("Alfa", &values);
  EXPECT_EQ(linesOf(values), (std::vector<std::string>{"y=Y", "x=X"}));

  // A section that holds no key does not count as existing; a key must be present.
  EXPECT_TRUE(ini.SectionExists("zeta"));
  EXPECT_FALSE(ini.SectionExists("Meio"));
  EXPECT_TRUE(ini.ValueExists("Zeta", "C"));
  EXPECT_FALSE(ini.ValueExists("Zeta", "y"));
}

TEST(MemIniFile, NamesMatchWithoutRegardToCaseIncludingAccentedLetters) {
  TMemIniFile ini("");
  ini.WriteString("Configuração", "Opção", "1");
  EXPECT_EQ(ini.ReadString("CONFIGURAÇÃO", "OPÇÃO", "absent"), "1");

  ini.WriteString("configuração", "opção", "2");
  EXPECT_EQ(sectionNames(ini), (std::vector<std::string>{"Configuração"})) << "a second section was created";
  EXPECT_EQ(sectionKeys(ini, "Configuração").size(), 1u) << "a second key was created";
  EXPECT_EQ(ini.ReadString("Configuração", "Opção", "absent"), "2");

  ini.DeleteKey("CONFIGURAÇÃO", "OPÇÃO");
  EXPECT_EQ(ini.ReadString("Configuração", "Opção", "absent"), "absent");
  ini.EraseSection("CONFIGURAÇÃO");
  EXPECT_TRUE(sectionNames(ini).empty());
}

TEST(MemIniFile, CaseSensitiveKeepsNamesThatDifferOnlyInCaseApart) {
  TMemIniFile ini("");
  ini.SetCaseSensitive(true);
  ini.WriteString("S", "Nome", "a");
  ini.WriteString("S", "NOME", "b");
  ini.WriteString("s", "Nome", "c");
  EXPECT_EQ(ini.ReadString("S", "Nome", ""), "a");
  EXPECT_EQ(ini.ReadString("S", "NOME", ""), "b");
  EXPECT_EQ(ini.ReadString("s", "Nome", ""), "c");
  EXPECT_EQ(ini.ReadString("S", "nome", "absent"), "absent");
  EXPECT_EQ(sectionNames(ini), (std::vector<std::string>{"S", "s"}));
}

TEST(MemIniFile, EraseSectionAndDeleteKeyRemoveOnlyWhatTheyName) {
  TMemIniFile ini("");
  TStringList source;
  source.SetTextStr("[A]\nk1=1\nk2=2\nk3=3\n[B]\nk=b\n[C]\nk=c\n");
  ini.SetStrings(&source);

  ini.DeleteKey("A", "k2");
  ini.DeleteKey("A", "missing");
  ini.DeleteKey("Missing", "k1");
  ini.EraseSection("B");
  ini.EraseSection("Missing");
  EXPECT_EQ(textForm(ini), "[A]|k1=1|k3=3||[C]|k=c||");
}

TEST(MemIniFile, GetStringsAppendsAndSetStringsAndClearReplaceTheContent) {
  TMemIniFile ini("");
  ini.WriteString("S", "a", "1");

  TStringList list;
  list.Add("kept");
  ini.GetStrings(&list);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"kept", "[S]", "a=1", ""}));

  TStringList replacement;
  replacement.SetTextStr("[T]\n  b  =  2  \n");
  ini.SetStrings(&replacement);
  EXPECT_EQ(textForm(ini), "[T]|b=2||");

  ini.Clear();
  EXPECT_EQ(textForm(ini), "");
}

// ---------------------------------------------------------------------------------------
// TMemIniFile: files

TEST(MemIniFile, AMissingFileReadsAsEmptyAndIsCreatedByUpdateFile) {
  ScratchDir dir;
  std::string path = dir.File("absent.ini");
  TMemIniFile ini(path);
  EXPECT_EQ(ini.FileName(), path);
  EXPECT_TRUE(sectionNames(ini).empty());
  EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");

  ini.WriteString("S", "k", "v");
  ini.UpdateFile();
  EXPECT_EQ(readFileBytes(path), "[S]\r\nk=v\r\n\r\n");
}

TEST(MemIniFile, MalformedLinesNeverStopTheRestOfTheFileFromLoading) {
  ScratchDir dir;
  TMemIniFile ini(FixturePath("rtl/malformed.ini"));

  // Lines before the first section and comments are dropped; a line without a key stays
  // in its section; a repeated section continues the first; the rest of the file after a
  // null byte is read.
  const std::string expected = std::string(
                                   "[Geral]\r\nNome=Gerador\r\nVersao=3\r\nlinha sem igual\r\nInteiro=12abc\r\n"
                                   "Flutuante=1.2.3\r\nData=31/02/2020\r\nLogico=talvez\r\n[Quebrada\r\n=sem nome\r\n"
                                   "chave==duplo igual\r\nlixo binário") +
                               '\0' +
                               "com nulo\r\nDepois=da repeticao\r\nNome=segundo\r\n\r\n"
                               "[Espacos]\r\na=1\r\n\r\n"
                               "[]\r\nvazia=1\r\n\r\n"
                               "[Fim]\r\nDescrição=Região Sul\r\nultima=ok\r\n\r\n";
  std::string copy = dir.File("copy.ini");
  ini.Rename(copy, false);
  ini.UpdateFile();
  EXPECT_EQ(readFileBytes(copy), expected);

  EXPECT_EQ(ini.ReadString("Geral", "Nome", ""), "Gerador") << "the first of two equal keys wins";
  EXPECT_EQ(ini.ReadString("geral", "DEPOIS", ""), "da repeticao");
  EXPECT_EQ(ini.ReadString("Geral", "chave", ""), "=duplo igual");
  EXPECT_EQ(ini.ReadString("Espacos", "a", ""), "1");
  EXPECT_EQ(ini.ReadString("", "vazia", ""), "1");
  EXPECT_EQ(ini.ReadString("Fim", "ultima", ""), "ok");
  EXPECT_EQ(ini.ReadString("Fim", "Descrição", ""), "Região Sul");
  EXPECT_EQ(ini.ReadString("Geral", "orphan", "absent"), "absent");
  EXPECT_EQ(ini.ReadString("Geral", "", "absent"), "absent") << "'=sem nome' must not read as a key";
  EXPECT_FALSE(ini.ValueExists("Geral", "linha sem igual"));
  EXPECT_EQ(sectionNames(ini), (std::vector<std::string>{"Geral", "Espacos", "", "Fim"}));
  EXPECT_EQ(sectionKeys(ini, "Geral"), (std::vector<std::string>{"Nome", "Versao", "Inteiro", "Flutuante", "Data",
                                                                 "Logico", "chave", "Depois", "Nome"}));

  // Unconvertible values read as the defaults.
  EXPECT_EQ(ini.ReadInteger("Geral", "Inteiro", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Geral", "Versao", -1), 3);
  EXPECT_EQ(ini.ReadFloat("Geral", "Flutuante", -1.5), -1.5);
  EXPECT_TRUE(ini.ReadBool("Geral", "Logico", true));
  EXPECT_FALSE(ini.ReadBool("Geral", "Logico", false));
}

TEST(MemIniFile, UpdateFileToAnUnwritablePathRaisesAndKeepsTheData) {
  ScratchDir dir;
  std::string bad = dir.File("no-such-folder\\settings.ini");
  TMemIniFile ini(bad);
  ini.WriteString("S", "k", "v");
  try {
    ini.UpdateFile();
    FAIL() << "expected EFCreateError for " << bad;
  } catch (const EFCreateError& e) {
    EXPECT_NE(e.Message().find("settings.ini"), std::string::npos) << "message without the file name: " << e.Message();
  }
  EXPECT_EQ(ini.ReadString("S", "k", ""), "v");

  std::string good = dir.File("settings.ini");
  ini.Rename(good, false);
  ini.UpdateFile();
  EXPECT_EQ(readFileBytes(good), "[S]\r\nk=v\r\n\r\n");
}

TEST(MemIniFile, RenameWithReloadReadsTheNewFileAndWithoutReloadKeepsTheContent) {
  ScratchDir dir;
  std::string first = dir.File("first.ini");
  std::string second = dir.File("second.ini");
  writeFileBytes(first, "[A]\r\nk=first\r\n");
  writeFileBytes(second, "[B]\r\nk=second\r\n");

  TMemIniFile ini(first);
  ini.Rename(second, false);
  EXPECT_EQ(ini.FileName(), second);
  EXPECT_EQ(textForm(ini), "[A]|k=first||");

  ini.Rename(second, true);
  EXPECT_EQ(textForm(ini), "[B]|k=second||");

  ini.Rename(dir.File("missing.ini"), true);
  EXPECT_EQ(textForm(ini), "");
}

TEST(MemIniFile, ValuesKeepTheirQuotesAndAreTrimmedOnlyWhenReadFromAFile) {
  ScratchDir dir;
  std::string path = dir.File("quotes.ini");
  TMemIniFile ini(path);
  ini.WriteString("S", "Quoted", "\"entre aspas\"");
  ini.WriteString("S", "Padded", "  com espaços  ");
  EXPECT_EQ(ini.ReadString("S", "Padded", ""), "  com espaços  ");
  ini.UpdateFile();

  TMemIniFile reread(path);
  EXPECT_EQ(reread.ReadString("S", "Quoted", ""), "\"entre aspas\"");
  EXPECT_EQ(reread.ReadString("S", "Padded", ""), "com espaços");
}

TEST(MemIniFile, AccentedTextIsWrittenAsSingleBytesAndReadBack) {
  ScratchDir dir;
  std::string path = dir.File("accents.ini");
  const std::string value = "Região São Paulo – ação";
  {
    TMemIniFile ini(path);
    ini.WriteString("Seção", "Descrição", value);
    ini.UpdateFile();
  }
  EXPECT_EQ(readFileBytes(path), "[Se\xE7\xE3o]\r\nDescri\xE7\xE3o=Regi\xE3o S\xE3o Paulo \x96 a\xE7\xE3o\r\n\r\n");
  TMemIniFile ini(path);
  EXPECT_EQ(ini.ReadString("SEÇÃO", "DESCRIÇÃO", ""), value);
}

// ---------------------------------------------------------------------------------------
// Typed reads and writes (through TMemIniFile)

struct IntegerCase {
  const char* text;
  Integer expected;
};

TEST_F(IniFormats, ReadIntegerTakesDecimalOrHexAndFallsBackToTheDefault) {
  const Integer def = -999;
  const IntegerCase cases[] = {
      {"42", 42},      {"-17", -17}, {"$1F", 31},           {"0x1F", 31}, {"0X10", 16},
      {"12abc", def},  {"", def},    {"2147483648", def},   {"1.5", def}, {"dez", def},
  };
  TMemIniFile ini("");
  for (const IntegerCase& c : cases) {
    ini.WriteString("S", "k", c.text);
    EXPECT_EQ(ini.ReadInteger("S", "k", def), c.expected) << "text '" << c.text << "'";
  }
  EXPECT_EQ(ini.ReadInteger("S", "absent", def), def);
  ini.WriteInteger("S", "w", -2147483647 - 1);
  EXPECT_EQ(ini.ReadString("S", "w", ""), "-2147483648");
}

struct BoolCase {
  const char* text;
  bool def;
  bool expected;
};

TEST_F(IniFormats, ReadBoolTreatsAnyNonZeroNumberAsTrue) {
  const BoolCase cases[] = {
      {"1", false, true}, {"0", true, false}, {"-1", false, true}, {"7", false, true},
      {"sim", false, false}, {"sim", true, true}, {"", true, true}, {"True", false, false},
  };
  TMemIniFile ini("");
  for (const BoolCase& c : cases) {
    ini.WriteString("S", "k", c.text);
    EXPECT_EQ(ini.ReadBool("S", "k", c.def), c.expected) << "text '" << c.text << "', default " << c.def;
  }
  ini.WriteBool("S", "t", true);
  ini.WriteBool("S", "f", false);
  EXPECT_EQ(ini.ReadString("S", "t", ""), "1");
  EXPECT_EQ(ini.ReadString("S", "f", ""), "0");
}

TEST_F(IniFormats, FloatsFollowTheCurrentDecimalSeparator) {
  TMemIniFile ini("");
  struct Case {
    char separator;
    const char* text;
    double expected;
  };
  const double def = -1.25;
  const Case cases[] = {
      {'.', "1.5", 1.5}, {'.', "-2.25E3", -2250}, {'.', "1,5", def}, {'.', "abc", def}, {'.', "", def},
      {',', "1,5", 1.5}, {',', "1.5", def},
  };
  for (const Case& c : cases) {
    DecimalSeparator = c.separator;
    ini.WriteString("S", "k", c.text);
    EXPECT_EQ(ini.ReadFloat("S", "k", def), c.expected) << "text '" << c.text << "' with separator " << c.separator;
  }

  DecimalSeparator = ',';
  ini.WriteFloat("S", "w", 0.1);
  EXPECT_EQ(ini.ReadString("S", "w", ""), "0,1");
  EXPECT_EQ(ini.ReadFloat("S", "w", def), 0.1);
}

TEST_F(IniFormats, DatesAndTimesFollowTheCurrentFormatsAndBadTextGivesTheDefault) {
  TMemIniFile ini("");
  const TDateTime def = 1.0;
  const TDateTime day = EncodeDate(2021, 3, 9);
  const TDateTime time = EncodeTime(14, 5, 30, 0);

  ini.WriteDate("S", "d", day);
  EXPECT_EQ(ini.ReadString("S", "d", ""), "09/03/2021");
  EXPECT_EQ(ini.ReadDate("S", "d", def), day);

  ini.WriteTime("S", "t", time);
  EXPECT_EQ(ini.ReadString("S", "t", ""), "14:05:30");
  EXPECT_NEAR(ini.ReadTime("S", "t", def), time, 1e-9);

  ini.WriteDateTime("S", "dt", day + time);
  EXPECT_NEAR(ini.ReadDateTime("S", "dt", def), day + time, 1e-9);

  for (const char* bad : {"31/02/2020", "ontem", "", "25:61:00"}) {
    ini.WriteString("S", "bad", bad);
    EXPECT_EQ(ini.ReadDate("S", "bad", def), def) << "ReadDate of '" << bad << "'";
    EXPECT_EQ(ini.ReadTime("S", "bad", def), def) << "ReadTime of '" << bad << "'";
    EXPECT_EQ(ini.ReadDateTime("S", "bad", def), def) << "ReadDateTime of '" << bad << "'";
  }
  EXPECT_EQ(ini.ReadDate("S", "absent", def), def);
}

TEST_F(IniFormats, BinaryStreamsAreStoredAsUpperCaseHex) {
  TMemIniFile ini("");
  const unsigned char bytes[] = {0x00, 0xFF, 0x10, 0xAB, 0x7E};
  TMemoryStream source;
  source.WriteBuffer(bytes, sizeof(bytes));
  source.SetPosition(1);  // only the bytes from the position on are stored
  ini.WriteBinaryStream("S", "b", &source);
  EXPECT_EQ(ini.ReadString("S", "b", ""), "FF10AB7E");

  TMemoryStream target;
  target.WriteBuffer("x", 1);
  EXPECT_EQ(ini.ReadBinaryStream("S", "b", &target), 4);
  EXPECT_EQ(target.Position(), 1) << "the position stays at the first byte read";
  ASSERT_EQ(target.Size(), 5);
  EXPECT_EQ(std::string(static_cast<const char*>(target.Memory()) + 1, 4), "\xFF\x10\xAB\x7E");

  TMemoryStream other;
  EXPECT_EQ(ini.ReadBinaryStream("S", "absent", &other), 0);
  ini.WriteString("S", "broken", "0aZZ11");
  EXPECT_EQ(ini.ReadBinaryStream("S", "broken", &other), 1) << "decoding stops at the first non-hex pair";
  EXPECT_EQ(static_cast<const unsigned char*>(other.Memory())[0], 0x0A);
}

// ---------------------------------------------------------------------------------------
// TIniFile (the profile functions)

TEST(IniFile, WritesAndReadsThroughTheProfileFunctions) {
  ScratchDir dir;
  std::string path = dir.File("profile.ini");
  {
    TIniFile ini(path);
    ini.WriteString("Geral", "Nome", "Gerador de estratos");
    ini.WriteInteger("Geral", "Versao", 3);
    ini.WriteBool("Geral", "Ativo", true);
    ini.WriteString("Dados", "Arquivo", "pesquisa.mdb");
    ini.WriteString("Dados", "Descrição", "Região");

    EXPECT_EQ(ini.ReadString("geral", "nome", ""), "Gerador de estratos");
    EXPECT_EQ(ini.ReadInteger("Geral", "Versao", 0), 3);
    EXPECT_TRUE(ini.ReadBool("Geral", "Ativo", false));
    EXPECT_EQ(ini.ReadString("Dados", "Descrição", ""), "Região");
    EXPECT_EQ(ini.ReadString("Dados", "absent", "default"), "default");
    EXPECT_EQ(sectionNames(ini), (std::vector<std::string>{"Geral", "Dados"}));
    EXPECT_EQ(sectionKeys(ini, "Geral"), (std::vector<std::string>{"Nome", "Versao", "Ativo"}));

    TStringList values;
    ini.ReadSectionValues("Dados", &values);
    EXPECT_EQ(linesOf(values), (std::vector<std::string>{"Arquivo=pesquisa.mdb", "Descrição=Região"}));

    ini.DeleteKey("Geral", "Versao");
    EXPECT_FALSE(ini.ValueExists("Geral", "Versao"));
    EXPECT_TRUE(ini.ValueExists("Geral", "Nome"));
    ini.EraseSection("Dados");
    EXPECT_FALSE(ini.SectionExists("Dados"));
    ini.UpdateFile();
  }
  // The file is an ordinary INI file: the in-memory store reads the same content.
  TMemIniFile mem(path);
  EXPECT_EQ(textForm(mem), "[Geral]|Nome=Gerador de estratos|Ativo=1||");
}

TEST(IniFile, QuotedValuesLoseTheirQuotesUnlikeTheInMemoryStore) {
  ScratchDir dir;
  std::string path = dir.File("quoted.ini");
  writeFileBytes(path, "[S]\r\nq=\"  x  \"\r\n");
  TIniFile profile(path);
  EXPECT_EQ(profile.ReadString("S", "q", ""), "  x  ");
  TMemIniFile mem(path);
  EXPECT_EQ(mem.ReadString("S", "q", ""), "\"  x  \"");
}

TEST(IniFile, AWriteThatCannotReachTheFileRaisesWithTheFileName) {
  ScratchDir dir;
  std::string bad = dir.File("no-such-folder\\profile.ini");
  TIniFile ini(bad);
  try {
    ini.WriteString("S", "k", "v");
    FAIL() << "expected EIniFileException for " << bad;
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + bad);
  }
}
