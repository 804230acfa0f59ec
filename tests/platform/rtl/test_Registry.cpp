#include "TestFramework.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every test works below this key of HKEY_CURRENT_USER (in the test prefix's registry)
// and removes it before and after.
const char* const kTestKey = "Software\\RtlRegistryTest";

void removeTestKey() {
  TRegistry reg;
  reg.DeleteKey(std::string("\\") + kTestKey);
}

class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    removeTestKey();
    ASSERT_TRUE(reg_.OpenKey(kTestKey, true)) << "cannot create HKCU\\" << kTestKey;
  }
  void TearDown() override {
    reg_.CloseKey();
    removeTestKey();
  }

  TRegistry reg_;
};

std::vector<std::string> sortedLines(TStrings& strings) {
  std::vector<std::string> lines;
  for (Integer i = 0; i < strings.Count(); ++i) lines.push_back(strings.Strings(i));
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> keyNames(TRegistry& reg) {
  TStringList names;
  reg.GetKeyNames(&names);
  return sortedLines(names);
}

std::vector<std::string> valueNames(TRegistry& reg) {
  TStringList names;
  reg.GetValueNames(&names);
  return sortedLines(names);
}

// The message of the ERegistryException action raises ("" when it raises none).
template <class F> std::string registryError(F action) {
  try {
    action();
  } catch (const ERegistryException& e) {
    return e.Message();
  }
  return "";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Values

TEST_F(RegistryTest, EveryKindOfValueIsWrittenWithItsTypeAndReadBack) {
  const unsigned char blob[] = {0x00, 0x01, 0xFE, 0xFF, 0x80};
  const TDateTime when = 44264.5859375;  // a date with an exactly representable time
  reg_.WriteString("Texto", "Região Sul");
  reg_.WriteExpandString("Expandir", "%TEMP%\\estratos");
  reg_.WriteInteger("Inteiro", -123456);
  reg_.WriteBool("Verdadeiro", true);
  reg_.WriteBool("Falso", false);
  reg_.WriteFloat("Real", 3.14159265358979);
  reg_.WriteDate("Data", 44264.0);
  reg_.WriteDateTime("DataHora", when);
  reg_.WriteTime("Hora", 0.25);
  reg_.WriteCurrency("Moeda", Currency::FromScaled(-1234567890123LL));
  reg_.WriteBinaryData("Binario", blob, sizeof(blob));

  EXPECT_EQ(reg_.ReadString("Texto"), "Região Sul");
  EXPECT_EQ(reg_.ReadExpandString("Expandir"), "%TEMP%\\estratos") << "the text is kept as written";
  EXPECT_EQ(reg_.ReadInteger("Inteiro"), -123456);
  EXPECT_TRUE(reg_.ReadBool("Verdadeiro"));
  EXPECT_FALSE(reg_.ReadBool("Falso"));
  EXPECT_EQ(reg_.ReadFloat("Real"), 3.14159265358979);
  EXPECT_EQ(reg_.ReadDate("Data"), 44264.0);
  EXPECT_EQ(reg_.ReadDateTime("DataHora"), when);
  EXPECT_EQ(reg_.ReadTime("Hora"), 0.25);
  EXPECT_EQ(reg_.ReadCurrency("Moeda").Value, -1234567890123LL);
  unsigned char back[16] = {};
  EXPECT_EQ(reg_.ReadBinaryData("Binario", back, sizeof(back)), 5);
  EXPECT_EQ(std::memcmp(back, blob, sizeof(blob)), 0);

  struct Expected {
    const char* name;
    TRegDataType type;
    Integer size;
  };
  const Expected expected[] = {
      {"Texto", rdString, 11},   {"Expandir", rdExpandString, 16}, {"Inteiro", rdInteger, 4},
      {"Verdadeiro", rdInteger, 4}, {"Real", rdBinary, 8},         {"DataHora", rdBinary, 8},
      {"Moeda", rdBinary, 8},    {"Binario", rdBinary, 5},
  };
  for (const Expected& e : expected) {
    TRegDataInfo info;
    ASSERT_TRUE(reg_.GetDataInfo(e.name, info)) << e.name;
    EXPECT_EQ(info.RegData, e.type) << e.name;
    EXPECT_EQ(info.DataSize, e.size) << e.name;
    EXPECT_EQ(reg_.GetDataType(e.name), e.type) << e.name;
    EXPECT_EQ(reg_.GetDataSize(e.name), e.size) << e.name;
  }
  EXPECT_EQ(reg_.GetDataSize("Nada"), -1);
  EXPECT_EQ(reg_.GetDataType("Nada"), rdUnknown);
}

TEST_F(RegistryTest, ReadingAMissingValueRaisesWithItsNameExceptForStrings) {
  EXPECT_EQ(registryError([&] { reg_.ReadInteger("Ausente"); }), "Invalid data type for 'Ausente'");
  EXPECT_EQ(registryError([&] { reg_.ReadBool("Ausente"); }), "Invalid data type for 'Ausente'");
  EXPECT_EQ(registryError([&] { reg_.ReadFloat("Ausente"); }), "Invalid data type for 'Ausente'");
  EXPECT_EQ(registryError([&] { reg_.ReadDateTime("Ausente"); }), "Invalid data type for 'Ausente'");
  EXPECT_EQ(registryError([&] { reg_.ReadCurrency("Ausente"); }), "Invalid data type for 'Ausente'");
  EXPECT_EQ(reg_.ReadString("Ausente"), "");
  char buffer[4];
  EXPECT_EQ(reg_.ReadBinaryData("Ausente", buffer, sizeof(buffer)), 0);
}

TEST_F(RegistryTest, ReadingAValueOfAnotherTypeRaises) {
  reg_.WriteString("Texto", "123");  // 4 bytes with its null, as many as an integer
  reg_.WriteInteger("Inteiro", 12);
  const unsigned char four[] = {1, 2, 3, 4};
  reg_.WriteBinaryData("Quatro", four, sizeof(four));
  char tiny[2];

  EXPECT_EQ(registryError([&] { reg_.ReadInteger("Texto"); }), "Invalid data type for 'Texto'");
  EXPECT_EQ(registryError([&] { reg_.ReadString("Inteiro"); }), "Invalid data type for 'Inteiro'");
  EXPECT_EQ(registryError([&] { reg_.ReadFloat("Inteiro"); }), "Invalid data type for 'Inteiro'");
  EXPECT_EQ(registryError([&] { reg_.ReadFloat("Quatro"); }), "Invalid data type for 'Quatro'")
      << "a float needs exactly 8 bytes";
  EXPECT_EQ(registryError([&] { reg_.ReadBinaryData("Texto", tiny, sizeof(tiny)); }),
            "Invalid data type for 'Texto'");
  EXPECT_EQ(registryError([&] { reg_.ReadBinaryData("Quatro", tiny, sizeof(tiny)); }),
            "Invalid data type for 'Quatro'")
      << "the buffer is too small";
}

TEST_F(RegistryTest, WritingWithoutWriteAccessRaisesFailedToSetData) {
  reg_.WriteString("Existente", "x");
  TRegistry reader;
  ASSERT_TRUE(reader.OpenKeyReadOnly(std::string("\\") + kTestKey));
  EXPECT_EQ(reader.Access(), static_cast<LongWord>(KEY_READ));
  EXPECT_EQ(reader.ReadString("Existente"), "x");
  EXPECT_EQ(registryError([&] { reader.WriteString("Novo", "y"); }), "Failed to set data for 'Novo'");
}

TEST_F(RegistryTest, ValuesAreListedRenamedAndDeleted) {
  reg_.WriteString("b", "2");
  reg_.WriteInteger("a", 1);
  reg_.WriteString("c", "3");
  EXPECT_EQ(valueNames(reg_), (std::vector<std::string>{"a", "b", "c"}));

  reg_.RenameValue("a", "z");
  EXPECT_FALSE(reg_.ValueExists("a"));
  EXPECT_EQ(reg_.GetDataType("z"), rdInteger);
  EXPECT_EQ(reg_.ReadInteger("z"), 1);

  reg_.RenameValue("b", "c");  // the target exists: nothing happens
  EXPECT_EQ(reg_.ReadString("b"), "2");
  EXPECT_EQ(reg_.ReadString("c"), "3");

  EXPECT_TRUE(reg_.DeleteValue("b"));
  EXPECT_FALSE(reg_.DeleteValue("b"));
  EXPECT_EQ(valueNames(reg_), (std::vector<std::string>{"c", "z"}));
}

// ---------------------------------------------------------------------------------------
// Keys

TEST_F(RegistryTest, OpenKeyFollowsRelativeAndAbsolutePaths) {
  EXPECT_EQ(reg_.CurrentPath(), kTestKey);
  ASSERT_TRUE(reg_.OpenKey("Filho", true));
  EXPECT_EQ(reg_.CurrentPath(), std::string(kTestKey) + "\\Filho");
  ASSERT_TRUE(reg_.OpenKey("Neto\\Bisneto", true));
  EXPECT_EQ(reg_.CurrentPath(), std::string(kTestKey) + "\\Filho\\Neto\\Bisneto");
  reg_.WriteInteger("Fundo", 4);

  ASSERT_TRUE(reg_.OpenKey(std::string("\\") + kTestKey + "\\Filho", false));
  EXPECT_EQ(reg_.CurrentPath(), std::string(kTestKey) + "\\Filho");
  EXPECT_TRUE(reg_.KeyExists("Neto\\Bisneto"));
  EXPECT_TRUE(reg_.KeyExists(std::string("\\") + kTestKey + "\\Filho\\Neto"));
  EXPECT_FALSE(reg_.KeyExists("Bisneto")) << "a relative name starts at the open key";

  reg_.CloseKey();
  EXPECT_EQ(reg_.CurrentKey(), nullptr);
  EXPECT_EQ(reg_.CurrentPath(), "");
  // With no key open, relative names start at the root.
  ASSERT_TRUE(reg_.OpenKey(std::string(kTestKey) + "\\Filho\\Neto\\Bisneto", false));
  EXPECT_EQ(reg_.ReadInteger("Fundo"), 4);
}

TEST_F(RegistryTest, OpenKeyWithoutCreateFailsOnAMissingKeyAndKeepsTheOpenKey) {
  HKEY before = reg_.CurrentKey();
  EXPECT_FALSE(reg_.OpenKey("NaoExiste", false));
  EXPECT_EQ(reg_.CurrentKey(), before);
  EXPECT_EQ(reg_.CurrentPath(), kTestKey);
  EXPECT_FALSE(reg_.KeyExists("NaoExiste")) << "a failed open must not create the key";
  EXPECT_FALSE(reg_.OpenKeyReadOnly("NaoExiste"));
}

TEST_F(RegistryTest, SubKeysAreListed) {
  EXPECT_FALSE(reg_.HasSubKeys());
  EXPECT_TRUE(reg_.CreateKey("Beta"));
  EXPECT_TRUE(reg_.CreateKey("Alfa\\Interna"));
  EXPECT_TRUE(reg_.CreateKey("Gama"));
  EXPECT_TRUE(reg_.HasSubKeys());
  EXPECT_EQ(keyNames(reg_), (std::vector<std::string>{"Alfa", "Beta", "Gama"}));

  TRegKeyInfo info;
  ASSERT_TRUE(reg_.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 3);
  EXPECT_EQ(info.MaxSubKeyLen, 4);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeTreeBelowIt) {
  {
    TRegistry builder;
    ASSERT_TRUE(builder.OpenKey(std::string(kTestKey) + "\\Arvore\\Galho1\\Folha", true));
    builder.WriteString("v", "1");
    ASSERT_TRUE(builder.OpenKey(std::string("\\") + kTestKey + "\\Arvore\\Galho2", true));
    builder.WriteInteger("v", 2);
    ASSERT_TRUE(builder.OpenKey(std::string("\\") + kTestKey + "\\Arvore", false));
    builder.WriteInteger("raiz", 0);
  }
  reg_.CreateKey("Vizinha");

  EXPECT_TRUE(reg_.DeleteKey("Arvore"));
  EXPECT_FALSE(reg_.KeyExists("Arvore"));
  EXPECT_EQ(keyNames(reg_), (std::vector<std::string>{"Vizinha"})) << "the sibling key must survive";
  EXPECT_FALSE(reg_.DeleteKey("Arvore")) << "deleting a missing key reports failure";
  EXPECT_FALSE(reg_.DeleteKey("")) << "an empty name must not delete the open key";
  EXPECT_TRUE(reg_.KeyExists("Vizinha"));
}

TEST_F(RegistryTest, MoveKeyCopiesValuesAndSubKeysAndDeletesTheSourceWhenAsked) {
  {
    TRegistry builder;
    ASSERT_TRUE(builder.OpenKey(std::string(kTestKey) + "\\Origem\\Sub", true));
    builder.WriteString("texto", "abc");
    ASSERT_TRUE(builder.OpenKey(std::string("\\") + kTestKey + "\\Origem", false));
    builder.WriteInteger("numero", 7);
  }
  reg_.MoveKey("Origem", "Copia", false);
  EXPECT_TRUE(reg_.KeyExists("Origem"));
  reg_.MoveKey("Origem", "Destino", true);
  EXPECT_FALSE(reg_.KeyExists("Origem"));

  for (const char* name : {"Copia", "Destino"}) {
    TRegistry check;
    ASSERT_TRUE(check.OpenKey(std::string(kTestKey) + "\\" + name, false)) << name;
    EXPECT_EQ(check.ReadInteger("numero"), 7) << name;
    ASSERT_TRUE(check.OpenKey("Sub", false)) << name;
    EXPECT_EQ(check.ReadString("texto"), "abc") << name;
  }
}

TEST_F(RegistryTest, ChangingTheRootKeyClosesTheOpenKey) {
  reg_.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg_.CurrentKey(), nullptr);
  EXPECT_EQ(reg_.CurrentPath(), "");
  EXPECT_FALSE(reg_.KeyExists(kTestKey)) << "the test key lives under HKEY_CURRENT_USER only";
  reg_.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_TRUE(reg_.KeyExists(kTestKey));
}

// ---------------------------------------------------------------------------------------
// INI-like access

TEST_F(RegistryTest, RegIniFileReadsSectionsAsSubKeysWithDefaults) {
  TRegIniFile ini(kTestKey);
  EXPECT_EQ(ini.FileName(), kTestKey);
  EXPECT_EQ(ini.ReadString("Janela", "Titulo", "padrão"), "padrão") << "missing section";

  ini.WriteString("Janela", "Titulo", "Estratos");
  ini.WriteInteger("Janela", "Largura", 800);
  ini.WriteBool("Janela", "Maximizada", true);
  EXPECT_EQ(ini.ReadString("Janela", "Titulo", ""), "Estratos");
  EXPECT_EQ(ini.ReadString("Janela", "Ausente", "padrão"), "padrão") << "missing value";
  EXPECT_EQ(ini.ReadInteger("Janela", "Largura", 0), 800);
  EXPECT_TRUE(ini.ReadBool("Janela", "Maximizada", false));
  EXPECT_EQ(ini.ReadInteger("Janela", "Titulo", -1), -1) << "text that is no number";
  // Integers are kept as text, as an INI file holds them; REG_DWORD values read too.
  EXPECT_EQ(reg_.OpenKey("Janela", false), true);
  EXPECT_EQ(reg_.GetDataType("Largura"), rdString);
  reg_.WriteInteger("Dword", 5);
  EXPECT_EQ(ini.ReadInteger("Janela", "Dword", 0), 5);
  EXPECT_EQ(ini.ReadString("Janela", "Dword", ""), "5");

  ini.WriteString("Outra", "x", "1");
  TStringList names;
  ini.ReadSections(&names);
  EXPECT_EQ(sortedLines(names), (std::vector<std::string>{"Janela", "Outra"}));
  ini.ReadSection("Janela", &names);
  EXPECT_EQ(sortedLines(names), (std::vector<std::string>{"Dword", "Largura", "Maximizada", "Titulo"}));
  ini.ReadSectionValues("Janela", &names);
  EXPECT_EQ(sortedLines(names),
            (std::vector<std::string>{"Dword=5", "Largura=800", "Maximizada=1", "Titulo=Estratos"}));

  ini.DeleteKey("Janela", "Titulo");
  EXPECT_EQ(ini.ReadString("Janela", "Titulo", "gone"), "gone");
  ini.EraseSection("Outra");
  ini.ReadSections(&names);
  EXPECT_EQ(sortedLines(names), (std::vector<std::string>{"Janela"}));
}

TEST_F(RegistryTest, RegistryIniFileServesTheIniInterface) {
  TRegistryIniFile store(kTestKey);
  TCustomIniFile& ini = store;
  ini.WriteInteger("S", "Inteiro", 42);
  ini.WriteFloat("S", "Real", 2.5);
  ini.WriteDateTime("S", "Quando", 44264.5);
  ini.WriteBool("S", "Sim", true);
  ini.WriteString("S", "Texto", "abc");

  EXPECT_EQ(ini.ReadInteger("S", "Inteiro", 0), 42);
  EXPECT_EQ(ini.ReadFloat("S", "Real", 0), 2.5);
  EXPECT_EQ(ini.ReadDateTime("S", "Quando", 0), 44264.5);
  EXPECT_TRUE(ini.ReadBool("S", "Sim", false));
  EXPECT_EQ(ini.ReadInteger("S", "Texto", -1), -1);
  EXPECT_EQ(ini.ReadFloat("S", "Texto", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Nenhuma", "x", 9), 9);
  EXPECT_TRUE(ini.ValueExists("S", "Real"));
  EXPECT_TRUE(ini.SectionExists("S"));
  EXPECT_FALSE(ini.SectionExists("Nenhuma"));

  ASSERT_TRUE(reg_.OpenKey("S", false));
  EXPECT_EQ(reg_.GetDataType("Inteiro"), rdInteger);
  EXPECT_EQ(reg_.GetDataType("Real"), rdBinary);

  const unsigned char bytes[] = {9, 8, 7};
  TMemoryStream source;
  source.WriteBuffer(bytes, sizeof(bytes));
  source.SetPosition(0);
  ini.WriteBinaryStream("S", "Bytes", &source);
  TMemoryStream target;
  EXPECT_EQ(ini.ReadBinaryStream("S", "Bytes", &target), 3);
  ASSERT_EQ(target.Size(), 3);
  EXPECT_EQ(std::memcmp(target.Memory(), bytes, 3), 0);
  EXPECT_EQ(ini.ReadBinaryStream("S", "Texto", &target), 0) << "a text value is no binary data";
}
