#include "StorageTestHelpers.h"
#include "TestFramework.h"
#include "lib/JvAppStorage.h"
#include "lib/JvUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"

#include <cmath>
#include <string>
#include <vector>

namespace storage_test {

RTL_ENUM(TNivel, nvBaixo, nvMedio, nvAlto)
using TNiveis = Set<TNivel>;

// ---------------------------------------------------------------------------------------
// Objects with published properties of every kind the storage knows.

class TThingChild : public TPersistent {
  RTL_DECLARE_CLASS(TThingChild, TPersistent)
public:
  Integer Depth = 0;
};

class TThingItem : public TCollectionItem {
  RTL_DECLARE_CLASS(TThingItem, TCollectionItem)
public:
  explicit TThingItem(TCollection* Collection) : TCollectionItem(Collection) {}
  std::string Caption;
  Integer Width = 0;
};

class TThing : public TPersistent {
  RTL_DECLARE_CLASS(TThing, TPersistent)
public:
  TThing() : Lines(new TStringList()), Items(new TCollection(TThingItem::StaticClass())), Child(new TThingChild()) {}
  ~TThing() override {
    Lines->Free();
    Items->Free();
    Child->Free();
  }
  Integer Count = 0;
  double Ratio = 0;
  TDateTime When = 0;
  std::string Name;
  TNivel Level = nvBaixo;
  TNiveis Levels;
  Int64 Big = 0;
  bool Flag = false;
  char Letter = 'a';
  TStringList* Lines;
  TCollection* Items;
  TThingChild* Child;
  Variant Value;
  TNotifyEvent OnChange;
  Integer Fixed() const { return 99; }
};

RTL_BEGIN_CLASS(TThingChild)
b.Property("Depth", &TThingChild::Depth, &TThingChild::Depth);
RTL_END_CLASS

RTL_BEGIN_CLASS(TThingItem)
b.Property("Caption", &TThingItem::Caption, &TThingItem::Caption);
b.Property("Width", &TThingItem::Width, &TThingItem::Width);
RTL_END_CLASS

RTL_BEGIN_CLASS(TThing)
b.Property("Count", &TThing::Count, &TThing::Count);
b.Property("Ratio", &TThing::Ratio, &TThing::Ratio);
b.Property("When", &TThing::When, &TThing::When).DateTime();
b.Property("Name", &TThing::Name, &TThing::Name);
b.Property("Level", &TThing::Level, &TThing::Level);
b.Property("Levels", &TThing::Levels, &TThing::Levels);
b.Property("Big", &TThing::Big, &TThing::Big);
b.Property("Flag", &TThing::Flag, &TThing::Flag);
b.Property("Letter", &TThing::Letter, &TThing::Letter);
b.Property("Lines", &TThing::Lines, nullptr);
b.Property("Items", &TThing::Items, nullptr);
b.Property("Child", &TThing::Child, nullptr);
b.Property("Value", &TThing::Value, &TThing::Value);
b.Property("OnChange", &TThing::OnChange, &TThing::OnChange);
b.Property("Fixed", &TThing::Fixed, nullptr);
RTL_END_CLASS

// An object that stores itself, and one that does so and wants its published properties
// stored as well.
class TSelfStoring : public TPersistent, public IStorageHandler {
  RTL_DECLARE_CLASS(TSelfStoring, TPersistent)
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID&, void** obj) override {
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE _Release() override { return 1; }
  void ReadFromStorage(TJvCustomAppStorage* Storage, const std::string& BasePath) override {
    Secret = Storage->ReadString(TJvCustomAppStorage::JoinPaths({BasePath, "Segredo"}));
  }
  void WriteToStorage(TJvCustomAppStorage* Storage, const std::string& BasePath) override {
    Storage->WriteString(TJvCustomAppStorage::JoinPaths({BasePath, "Segredo"}), Secret);
  }
  std::string Secret;
  Integer Visible = 0;
};

class TSelfStoringAlsoPublished : public TSelfStoring, public IStoreAlsoPublished {
  RTL_DECLARE_CLASS(TSelfStoringAlsoPublished, TSelfStoring)
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    return TSelfStoring::QueryInterface(riid, obj);
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE _Release() override { return 1; }
};

RTL_BEGIN_CLASS(TSelfStoring)
b.Interface<IStorageHandler>();
b.Property("Visible", &TSelfStoring::Visible, &TSelfStoring::Visible);
RTL_END_CLASS

RTL_BEGIN_CLASS(TSelfStoringAlsoPublished)
b.Interface<IStoreAlsoPublished>();
RTL_END_CLASS

// A typed integer with names for some values, as colours have.
const TTypeInfo kShade = [] {
  TTypeInfo t;
  t.Kind = tkInteger;
  t.Name = "TShade";
  t.OrdType = otSLong;
  t.MinValue = INT32_MIN;
  t.MaxValue = INT32_MAX;
  return t;
}();
const TIdentMapEntry kShadeNames[] = {{0, "shBlack"}, {255, "shRed"}};

// Sets of integers and of characters.
const TTypeInfo kDigit = [] {
  TTypeInfo t;
  t.Kind = tkInteger;
  t.Name = "TDigit";
  t.OrdType = otUByte;
  t.MinValue = 3;
  t.MaxValue = 5;
  return t;
}();
const TTypeInfo kDigitSet = MakeSetTypeInfo("TDigitSet", &kDigit);
const TTypeInfo kCharSet = MakeSetTypeInfo("TCharSet", TypeInfo<char>());

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

}  // namespace storage_test

using namespace storage_test;

// Every test runs with the application's number and date formats.
class JvAppStorage : public KnownFormatSettingsTest {};

// =======================================================================================
// Paths

TEST_F(JvAppStorage, JoinPathsNormalisesElements) {
  struct Case {
    std::vector<std::string> elements;
    const char* expected;
  } cases[] = {
      {{"Principal\\", "ShowCmd"}, "Principal\\ShowCmd"},
      {{"Principal\\\\ShowCmd"}, "Principal\\ShowCmd"},
      {{"A\\B", "..\\C"}, "A\\C"},
      {{"A", "\\B"}, "B"},                       // a rooted element restarts the path
      {{"\\X", "Y", "\\Z", "W"}, "Z\\W"},
      {{"..\\X"}, "X"},                          // nothing to climb at the start
      {{"A\\B\\C", "..."}, "A"},                 // three dots climb two levels
      {{"A", "."}, "A"},
      {{}, ""},
      {{" "}, ""},
      {{"\\"}, ""},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const auto& e : c.elements) shown += "'" + e + "' ";
    EXPECT_EQ(JvJoinStoragePaths(c.elements), c.expected) << shown;
  }
}

TEST_F(JvAppStorage, RelativePathsStartAtTheCurrentPathAndRoot) {
  MemoryStorage s;
  s->SetPath("Principal");
  s->WriteInteger("X", 1);
  s->SetPath("..\\Outro");
  s->WriteInteger("Y", 2);
  s->WriteInteger("\\Topo\\Z", 3);
  EXPECT_EQ(s->Path(), "Outro");
  s->SetPath("\\");
  s->SetRoot("Raiz");
  s->WriteInteger("A\\B", 4);
  EXPECT_EQ(s.Text(), joined({"[Principal]", "X=1", "", "[Outro]", "Y=2", "", "[Topo]", "Z=3", "", "[Raiz\\A]",
                              "B=4", ""}));
}

// =======================================================================================
// Sub-storages

TEST_F(JvAppStorage, SubStoragesServeTheirRootsLongestFirst) {
  MemoryStorage main, sub, deep;
  sub->SetName("Sub");
  TJvAppSubStorage* deepItem = main->SubStorages()->Add();
  deepItem->SetRootPath("Modulo\\Interno");
  deepItem->SetAppStorage(deep.get());
  TJvAppSubStorage* subItem = main->SubStorages()->Add();
  subItem->SetRootPath("\\Modulo\\");  // normalised
  subItem->SetAppStorage(sub.get());
  EXPECT_EQ(subItem->RootPath(), "Modulo");
  EXPECT_EQ(subItem->DisplayName(), "\\Modulo=Sub");

  main->WriteInteger("Modulo\\Janela\\Largura", 640);
  main->WriteInteger("modulo\\interno\\Nivel\\Valor", 2);  // roots match without regard to case
  main->WriteInteger("Principal\\Local", 1);
  EXPECT_EQ(sub.Text(), joined({"[Janela]", "Largura=640", ""}));
  EXPECT_EQ(deep.Text(), joined({"[Nivel]", "Valor=2", ""}));
  EXPECT_EQ(main.Text(), joined({"[Principal]", "Local=1", ""}));
  EXPECT_EQ(main->ReadInteger("MODULO\\Janela\\Largura", 0), 640);
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { main->ReadInteger("Modulo", 0); }), "Invalid path")
      << "the root itself names no value of the sub-storage";
}

TEST_F(JvAppStorage, SubStorageRootsMustBeUnique) {
  MemoryStorage main, a, b;
  TJvAppSubStorage* first = main->SubStorages()->Add();
  first->SetRootPath("Modulo");
  first->SetAppStorage(a.get());
  TJvAppSubStorage* second = main->SubStorages()->Add();
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { second->SetRootPath("MODULO"); }),
            "'MODULO' is not a unique root path");
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { second->SetRootPath("Modulo\\Sub"); }),
            "'Modulo\\Sub' is not a unique root path");
  second->SetRootPath("Modulo2");  // a name that merely begins the same way is another root
  EXPECT_EQ(second->RootPath(), "Modulo2");
}

TEST_F(JvAppStorage, SubStoragesRefuseCircles) {
  MemoryStorage a, b, c;
  TJvAppSubStorage* self = a->SubStorages()->Add();
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { self->SetAppStorage(a.get()); }),
            "Circular reference of storages");
  self->SetRootPath("B");
  self->SetAppStorage(b.get());
  TJvAppSubStorage* bc = b->SubStorages()->Add();
  bc->SetRootPath("C");
  bc->SetAppStorage(c.get());
  TJvAppSubStorage* back = c->SubStorages()->Add();
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { back->SetAppStorage(a.get()); }),
            "Circular reference of storages")
      << "a reaches c through b";
  // Chains are followed: a\B\C\... lands in c.
  a->WriteInteger("B\\C\\Pasta\\V", 5);
  EXPECT_EQ(c.Text(), joined({"[Pasta]", "V=5", ""}));
}

TEST_F(JvAppStorage, FreeingASubStorageRemovesItsItems) {
  MemoryStorage main;
  auto* other = New<TJvAppIniFileStorage>(nullptr);
  TJvAppSubStorage* item = main->SubStorages()->Add();
  item->SetRootPath("Outro");
  item->SetAppStorage(other);
  ASSERT_EQ(main->SubStorages()->Count(), 1);
  other->Free();
  EXPECT_EQ(main->SubStorages()->Count(), 0);
  main->WriteInteger("Outro\\X", 1);  // served by main itself again
  EXPECT_EQ(main.Text(), joined({"[Outro]", "X=1", ""}));
}

// =======================================================================================
// Typed values and options

TEST_F(JvAppStorage, MissingValuesReadAsTheDefault) {
  MemoryStorage s;
  EXPECT_EQ(s->ReadInteger("Principal\\Nada", 42), 42);
  EXPECT_EQ(s->ReadString("Principal\\Nada", "padrão"), "padrão");
  EXPECT_TRUE(s->ReadBoolean("Principal\\Nada", true));
  EXPECT_EQ(s->ReadFloat("Principal\\Nada", 2.5L), 2.5L);
  EXPECT_EQ(s->ReadDateTime("Principal\\Nada", 100.25), 100.25);
}

TEST_F(JvAppStorage, StoredBooleanTexts) {
  MemoryStorage s("[P]\r\na=yes\r\nb=n\r\nc=2\r\nd=0\r\ne=True\r\nf= Y \r\ng=maybe\r\n");
  struct Case {
    const char* name;
    bool def;
    bool expected;
  } cases[] = {{"a", false, true}, {"b", true, false}, {"c", false, true},
               {"d", true, false}, {"e", false, true}, {"f", false, true}};
  for (const Case& c : cases) EXPECT_EQ(s->ReadBoolean(std::string("P\\") + c.name, c.def), c.expected) << c.name;

  EXPECT_THROW(s->ReadBoolean("P\\g", true), EConvertError) << "neither a listed text nor a number";
  s->StorageOptions()->SetDefaultIfReadConvertError(true);
  EXPECT_TRUE(s->ReadBoolean("P\\g", true));
  EXPECT_FALSE(s->ReadBoolean("P\\g", false));
}

TEST_F(JvAppStorage, BooleanTextListsDecideTheWrittenForm) {
  MemoryStorage s;
  s->WriteBoolean("P\\a", true);
  s->StorageOptions()->SetBooleanStringTrueValues("Sim, S");
  s->StorageOptions()->SetBooleanStringFalseValues("Não, N");
  s->WriteBoolean("P\\b", true);
  s->WriteBoolean("P\\c", false);
  EXPECT_TRUE(s->ReadBoolean("P\\b", false));
  EXPECT_FALSE(s->ReadBoolean("P\\c", true));
  s->StorageOptions()->SetBooleanStringTrueValues("");
  EXPECT_FALSE(s->StorageOptions()->BooleanAsString());
  s->WriteBoolean("P\\d", true);
  EXPECT_EQ(s.Text(), joined({"[P]", "a=TRUE", "b=Sim", "c=Não", "d=1", ""}));
}

TEST_F(JvAppStorage, MalformedValuesRaiseOrGiveTheDefault) {
  // A settings file damaged by hand; each read names its default.
  TStringList file;
  file.LoadFromFile(FixturePath("lib/settings-malformed.ini"));
  MemoryStorage s(file.Text());
  struct Case {
    const char* what;
    std::function<std::string()> read;
    const char* expectedWithDefaults;
  } cases[] = {
      {"integer abc", [&] { return IntToStr(s->ReadInteger("Principal\\QtdeNiveis", 6)); }, "6"},
      {"integer 12x", [&] { return IntToStr(s->ReadInteger("Principal\\Flags", 7)); }, "7"},
      {"boolean talvez",
       [&] { return std::string(s->ReadBoolean("Principal\\ckCategoria_Checked", true) ? "true" : "false"); },
       "true"},
      {"float XYZ", [&] { return FloatToStr(s->ReadFloat("Principal\\Fator", 1.5L)); }, "1.5"},
      {"date 31/02", [&] { return FloatToStr(s->ReadDateTime("Principal\\Quando", 3.0)); }, "3"},
      {"enumeration omega", [&] { return IntToStr(static_cast<Integer>(s->ReadEnumeration("Principal\\Nivel", nvAlto))); }, "2"},
      {"list count x",
       [&] {
         TStringList l;
         l.Add("antes");
         return IntToStr(s->ReadStringList("Principal\\Lista", &l));
       },
       "0"},
  };
  for (const Case& c : cases) EXPECT_THROW(c.read(), EConvertError) << c.what << " without DefaultIfReadConvertError";
  s->StorageOptions()->SetDefaultIfReadConvertError(true);
  for (const Case& c : cases) EXPECT_EQ(c.read(), c.expectedWithDefaults) << c.what;

  // Values that do convert read as stored, whatever surrounds them.
  EXPECT_EQ(s->ReadInteger("Principal\\QtdeCategorias", 0), 20);
  EXPECT_EQ(s->ReadInteger("Principal\\cxGanho", 9), 0) << "an empty value is 0";
  EXPECT_EQ(s->ReadFloat("Principal\\Razao", 4.0L), 4.0L) << "three hex digits are no extended value";
  EXPECT_TRUE(s->ReadBoolean("Principal\\Label4_Visible", false));
  EXPECT_FALSE(s->ReadBoolean("Principal\\Label7_Visible", true));
  EXPECT_TRUE(s->ReadBoolean("Principal\\cxNiveis_Visible", false));
  EXPECT_EQ(s->ReadEnumeration("Principal\\NivelNumero", nvBaixo), nvMedio) << "an ordinal reads too";
  EXPECT_EQ(s->ReadString("Principal\\Descrição"), "Região Sul");
}

TEST_F(JvAppStorage, UnconvertibleSetsGiveTheDefaultOnlyWhenAsked) {
  TStringList file;
  file.LoadFromFile(FixturePath("lib/settings-malformed.ini"));
  MemoryStorage s(file.Text());
  const TNiveis def{nvMedio};
  EXPECT_THROW(s->ReadSet("Principal\\Niveis", def), EJclRTTIError);
  EXPECT_THROW(s->ReadSet("Principal\\Niveis2", def), EConvertError) << "one element is neither text nor number";
  s->StorageOptions()->SetDefaultIfReadConvertError(true);
  EXPECT_TRUE(s->ReadSet("Principal\\Niveis", def) == def);
  EXPECT_TRUE(s->ReadSet("Principal\\Niveis2", def) == (TNiveis{nvAlto})) << "the bad element reads as false";
}

TEST_F(JvAppStorage, FloatsAndDatesFollowTheirOptions) {
  struct Settings {
    bool floatAsString, dateTimeAsString;
  };
  const Extended third = 1.0L / 3.0L;
  for (Settings o : {Settings{false, false}, Settings{true, true}}) {
    MemoryStorage s;
    s->StorageOptions()->SetFloatAsString(o.floatAsString);
    s->StorageOptions()->SetDateTimeAsString(o.dateTimeAsString);
    s->WriteFloat("P\\f", third);
    s->WriteDateTime("P\\d", EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 0));
    const std::string stored = s->ReadString("P\\f");
    if (o.floatAsString) {
      EXPECT_EQ(stored, FloatToStr(third));
      EXPECT_NEAR(static_cast<double>(s->ReadFloat("P\\f", 0)), 1.0 / 3.0, 1e-14);
    } else {
      EXPECT_EQ(stored.size(), 20u) << stored;
      EXPECT_EQ(s->ReadFloat("P\\f", 0), third) << "the extended value comes back whole";
    }
    EXPECT_NEAR(s->ReadDateTime("P\\d", 0), EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 0), 1e-8);
  }
}

TEST_F(JvAppStorage, HandWrittenFloatTextReadsThroughTheTextForm) {
  MemoryStorage s("[P]\r\nf=2.5\r\n");
  EXPECT_EQ(s->ReadFloat("P\\f", 0), 2.5L);
}

TEST_F(JvAppStorage, BinaryValues) {
  MemoryStorage s;
  const Byte data[] = {0x0A, 0x0B, 0xFF};
  s->WriteBinary("P\\bin", data, 3);
  EXPECT_EQ(s->ReadString("P\\bin"), "0A0BFF");
  Byte two[2] = {};
  EXPECT_EQ(s->ReadBinary("P\\bin", two, 2), 2);
  EXPECT_EQ(two[1], 0x0B);
  EXPECT_EQ(s->ReadBinary("P\\nada", two, 2), 0);
}

TEST_F(JvAppStorage, ReadOnlyStorageIgnoresWrites) {
  MemoryStorage s("[P]\r\nx=1\r\n");
  s->SetReadOnly(true);
  s->WriteInteger("P\\x", 2);
  s->WriteString("P\\y", "novo");
  s->DeleteValue("P\\x");
  s->DeleteSubTree("P");
  TStringList list;
  list.Add("a");
  s->WriteStringList("P\\Lista", &list);
  EXPECT_EQ(s.Text(), joined({"[P]", "x=1", ""}));
  EXPECT_EQ(s->ReadInteger("P\\x", 0), 1);
}

namespace {
// Encryption events of a test: a reversible change of the text.
class CryptEvents : public TObject {
public:
  void Encrypt(TObject*, std::string& value) { value = "<" + value + ">"; }
  void Decrypt(TObject*, std::string& value) {
    if (value.size() >= 2) value = value.substr(1, value.size() - 2);
  }
};
}  // namespace

TEST_F(JvAppStorage, EncryptionHooksRunOnlyWhileEnabled) {
  MemoryStorage s;
  CryptEvents events;
  s->SetOnEncryptPropertyValue(TJvAppStorageCryptEvent(&events, &CryptEvents::Encrypt));
  s->SetOnDecryptPropertyValue(TJvAppStorageCryptEvent(&events, &CryptEvents::Decrypt));
  s->WriteString("P\\aberto", "texto");
  s->EnablePropertyValueEncryption();
  s->WriteString("P\\fechado", "texto");
  EXPECT_EQ(s->ReadString("P\\fechado"), "texto");
  EXPECT_EQ(s->ReadString("P\\ausente", "padrão"), "padrão");
  s->DisablePropertyValueEncryption();
  EXPECT_EQ(s->ReadString("P\\aberto"), "texto");
  EXPECT_EQ(s->ReadString("P\\fechado"), Base64EncodeText("<texto>"));
}

// =======================================================================================
// Lists

TEST_F(JvAppStorage, WritingAShorterListRemovesTheOldItems) {
  MemoryStorage s;
  TStringList five;
  for (const char* x : {"a", "b", "c", "d", "e"}) five.Add(x);
  s->WriteStringList("P\\Lista", &five);
  TStringList two;
  two.Add("x");
  two.Add("y");
  s->WriteStringList("P\\Lista", &two);
  EXPECT_EQ(s.Text(), joined({"[P\\Lista]", "Count=2", "Item0=x", "Item1=y", ""}));
  EXPECT_TRUE(s->ListStored("P\\Lista"));
  EXPECT_FALSE(s->IsFolder("P\\Lista", true)) << "a list counts as a value";
  EXPECT_TRUE(s->IsFolder("P\\Lista", false));

  TStringList back;
  back.Add("descartado");
  EXPECT_EQ(s->ReadStringList("P\\Lista", &back), 2);
  EXPECT_EQ(back.CommaText(), "x,y");
  EXPECT_EQ(s->ReadStringList("P\\Lista", &back, false), 4) << "without clearing the items are added";
}

TEST_F(JvAppStorage, ReadingAMissingListLeavesTheStrings) {
  MemoryStorage s;
  TStringList list;
  list.Add("um");
  list.Add("dois");
  list.Add("três");
  EXPECT_EQ(s->ReadStringList("P\\Nada", &list), 3);
  EXPECT_EQ(list.Count(), 3);
  s->StorageOptions()->SetDefaultIfValueNotExists(false);
  EXPECT_EQ(s->ReadStringList("P\\Nada", &list), 0) << "asked to read anyway, the list is emptied";
}

TEST_F(JvAppStorage, WriteListCallsBackForEachItemAndForTheRemovedOnes) {
  MemoryStorage s;
  s->SetAsString("[P\\L]\r\nCount=4\r\n");
  std::vector<std::string> calls;
  s->WriteList(
      "P\\L", nullptr, 2,
      [&](TJvCustomAppStorage*, const std::string& path, TObject*, Integer i, const std::string& name) {
        calls.push_back("write " + path + " " + name + IntToStr(i));
      },
      [&](TJvCustomAppStorage*, const std::string& path, TObject*, Integer first, Integer last,
          const std::string& name) { calls.push_back("delete " + IntToStr(first) + ".." + IntToStr(last)); },
      "Linha");
  EXPECT_EQ(calls, (std::vector<std::string>{"write P\\L Linha0", "write P\\L Linha1", "delete 2..3"}));
}

TEST_F(JvAppStorage, ListPrefixNeverTakesNeighbouringFolders) {
  MemoryStorage s("[P\\Lista]\r\nCount=1\r\nItem0=a\r\n[P\\Lista2]\r\nx=1\r\n[P\\Lista\\Sub]\r\ny=2\r\n");
  TStringList one;
  one.Add("b");
  s->WriteStringList("P\\Lista", &one);
  EXPECT_EQ(s.Text(), joined({"[P\\Lista2]", "x=1", "", "[P\\Lista]", "Count=1", "Item0=b", ""}));
}

TEST_F(JvAppStorage, CollectionsStoreTheirItemsProperties) {
  MemoryStorage s;
  TCollection items(TThingItem::StaticClass());
  auto* a = static_cast<TThingItem*>(items.Add());
  a->Caption = "primeira";
  a->Width = 10;
  auto* b2 = static_cast<TThingItem*>(items.Add());
  b2->Caption = "segunda";
  b2->Width = 20;
  s->WriteCollection("P\\Colunas", &items);
  EXPECT_EQ(s.Text(), joined({"[P\\Colunas]", "Count=2", "", "[P\\Colunas\\Item0]", "Caption=primeira", "Width=10",
                              "", "[P\\Colunas\\Item1]", "Caption=segunda", "Width=20", ""}));

  TCollection back(TThingItem::StaticClass());
  back.Add();
  EXPECT_EQ(s->ReadCollection("P\\Colunas", &back), 2);
  EXPECT_EQ(static_cast<TThingItem*>(back.Items(1))->Caption, "segunda");
  EXPECT_EQ(static_cast<TThingItem*>(back.Items(0))->Width, 10);
}

TEST_F(JvAppStorage, AnUnreadableCollectionItemDoesNotStopTheOthers) {
  MemoryStorage s("[P\\C]\r\nCount=3\r\n[P\\C\\Item0]\r\nWidth=1\r\n[P\\C\\Item1]\r\nWidth=xx\r\nCaption=b\r\n"
                  "[P\\C\\Item2]\r\nWidth=3\r\n");
  TCollection back(TThingItem::StaticClass());
  EXPECT_EQ(s->ReadCollection("P\\C", &back), 3);
  EXPECT_EQ(static_cast<TThingItem*>(back.Items(0))->Width, 1);
  EXPECT_EQ(static_cast<TThingItem*>(back.Items(2))->Width, 3);
}

// =======================================================================================
// Enumerations, typed integers and sets

TEST_F(JvAppStorage, EnumerationsByNameOrNumber) {
  MemoryStorage s;
  s->WriteEnumeration("P\\a", nvAlto);
  s->StorageOptions()->SetEnumerationAsString(false);
  s->WriteEnumeration("P\\b", nvMedio);
  s->WriteEnumeration("P\\c", TypeInfo<bool>(), 1);
  EXPECT_EQ(s.Text(), joined({"[P]", "a=nvAlto", "b=1", "c=TRUE", ""}));
  EXPECT_EQ(s->ReadEnumeration("P\\a", nvBaixo), nvAlto);
  EXPECT_EQ(s->ReadEnumeration("P\\b", nvBaixo), nvMedio);
  EXPECT_EQ(s->ReadEnumeration("P\\c", TypeInfo<bool>(), 0), 1);
  s->SetAsString("[P]\r\nx=NVMEDIO\r\n");
  EXPECT_EQ(s->ReadEnumeration("P\\x", nvBaixo), nvMedio) << "names match without regard to case";
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->WriteEnumeration("P\\y", TypeInfo<double>(), 1); }),
            "Invalid type");
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->ReadEnumeration("P\\x", TypeInfo<double>(), 1); }),
            "Invalid type");
}

TEST_F(JvAppStorage, TypedIntegersUseTheirRegisteredNames) {
  RegisterIntegerConsts(
      &kShade, [](const std::string& ident, Integer& v) { return IdentToInt(ident, v, kShadeNames); },
      [](Integer v, std::string& ident) { return IntToIdent(v, ident, kShadeNames); });
  MemoryStorage s;
  s->WriteEnumeration("P\\a", &kShade, 255);
  s->WriteEnumeration("P\\b", &kShade, 77);  // no name
  s->StorageOptions()->SetTypedIntegerAsString(false);
  s->WriteEnumeration("P\\c", &kShade, 255);
  EXPECT_EQ(s.Text(), joined({"[P]", "a=shRed", "b=77", "c=255", ""}));
  EXPECT_EQ(s->ReadEnumeration("P\\a", &kShade, 0), 255);
  EXPECT_EQ(s->ReadEnumeration("P\\b", &kShade, 0), 77);
  EXPECT_EQ(s->ReadEnumeration("P\\c", &kShade, 0), 255);
}

TEST_F(JvAppStorage, SetsAsTextOrAsOneBooleanPerElement) {
  MemoryStorage s;
  s->WriteSet("P\\Booleanos", TNiveis{nvBaixo, nvAlto});
  s->StorageOptions()->SetSetAsString(true);
  s->WriteSet("P\\Texto", TNiveis{nvBaixo, nvAlto});
  EXPECT_EQ(s.Text(), joined({"[P\\Booleanos]", "nvBaixo=TRUE", "nvMedio=FALSE", "nvAlto=TRUE", "", "[P]",
                              "Texto=[nvBaixo, nvAlto]", ""}));
  // Reading follows what is stored, whatever the option says now.
  EXPECT_TRUE(s->ReadSet("P\\Booleanos", TNiveis{}) == (TNiveis{nvBaixo, nvAlto}));
  EXPECT_TRUE(s->ReadSet("P\\Texto", TNiveis{}) == (TNiveis{nvBaixo, nvAlto}));
  EXPECT_TRUE(s->ReadSet("P\\Nada", TNiveis{nvMedio}) == (TNiveis{nvMedio}));
}

TEST_F(JvAppStorage, SetElementNamesOfIntegerAndCharacterSets) {
  MemoryStorage s;
  SetStorage digits(&kDigitSet);
  digits.Include(4);
  s->WriteSet("P\\Digitos", &kDigitSet, digits.Data());
  SetStorage chars(&kCharSet);
  chars.Include('A');
  chars.Include(' ');
  s->WriteSet("P\\Letras", &kCharSet, chars.Data());
  const std::string text = s.Text();
  EXPECT_NE(text.find("[P\\Digitos]\r\nInt_3=FALSE\r\nInt_4=TRUE\r\nInt_5=FALSE\r\n"), std::string::npos) << text;
  // Lower-case letters go by their code: the file's key names ignore case, and Char_a would
  // be the key of Char_A.
  for (const char* line : {"Char#32=TRUE", "Char_!=FALSE", "Char_A=TRUE", "Char_Z=FALSE", "Char#97=FALSE",
                           "Char#122=FALSE", "Char#123=FALSE", "Char#0=FALSE", "Char#255=FALSE"})
    EXPECT_NE(text.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line;

  SetStorage back(&kCharSet);
  SetStorage none(&kCharSet);
  s->ReadSet("P\\Letras", &kCharSet, none.Data(), back.Data());
  EXPECT_TRUE(back == chars);
}

TEST_F(JvAppStorage, SetsOfUnnamableElementsAreRefused) {
  const TTypeInfo floatSet = MakeSetTypeInfo("TFloatSet", TypeInfo<double>());
  MemoryStorage s;
  Byte value[32] = {};
  EXPECT_EQ(RaisedMessage<EJvAppStorageError>([&] { s->WriteSet("P\\x", &floatSet, value); }),
            "Unknown base type for given set");
}

// =======================================================================================
// Objects by their published properties

TEST_F(JvAppStorage, WholeObjectsRoundTrip) {
  MemoryStorage s;
  TThing thing;
  thing.Count = 7;
  thing.Ratio = 0.1;
  thing.When = EncodeDate(2023, 12, 31);
  thing.Name = "Região";
  thing.Level = nvAlto;
  thing.Levels = TNiveis{nvBaixo, nvMedio};
  thing.Big = 1234567890123LL;
  thing.Flag = true;
  thing.Letter = 'x';
  thing.Lines->Add("l1");
  static_cast<TThingItem*>(thing.Items->Add())->Caption = "c";
  thing.Child->Depth = 3;
  thing.Value = 5;
  s->WriteObject("Obj", &thing);

  const std::string text = s.Text();
  EXPECT_EQ(text.find("Value"), std::string::npos) << "variants are not stored";
  EXPECT_EQ(text.find("OnChange"), std::string::npos) << "events are not stored";
  EXPECT_NE(text.find("When=" + DateTimeToStr(thing.When) + "\r\n"), std::string::npos)
      << "a date-time goes through the date-time form: " << text;
  EXPECT_NE(text.find("\r\nRatio="), std::string::npos);
  EXPECT_EQ(s->ReadString("Obj\\Ratio").size(), 20u) << "a double goes through the float form";
  EXPECT_NE(text.find("Big=1234567890123\r\n"), std::string::npos);
  EXPECT_NE(text.find("Level=nvAlto\r\n"), std::string::npos);
  EXPECT_NE(text.find("Flag=TRUE\r\n"), std::string::npos);
  EXPECT_NE(text.find("Letter=120\r\n"), std::string::npos) << "a character as its code";

  TThing back;
  back.Value = 9;
  s->ReadObject("Obj", &back);
  EXPECT_EQ(back.Count, 7);
  EXPECT_EQ(back.Ratio, 0.1);
  EXPECT_EQ(back.When, thing.When);
  EXPECT_EQ(back.Name, "Região");
  EXPECT_EQ(back.Level, nvAlto);
  EXPECT_TRUE(back.Levels == thing.Levels);
  EXPECT_EQ(back.Big, 1234567890123LL);
  EXPECT_TRUE(back.Flag);
  EXPECT_EQ(back.Letter, 'x');
  EXPECT_EQ(back.Lines->CommaText(), "l1");
  ASSERT_EQ(back.Items->Count(), 1);
  EXPECT_EQ(static_cast<TThingItem*>(back.Items->Items(0))->Caption, "c");
  EXPECT_EQ(back.Child->Depth, 3);
  EXPECT_EQ(VarToStr(back.Value), "9") << "a variant is not read either";
}

TEST_F(JvAppStorage, ObjectsWithoutRecursionKeepTheirStringsOnly) {
  MemoryStorage s;
  TThing thing;
  thing.Lines->Add("fica");
  thing.Child->Depth = 4;
  s->WriteObject("Obj", &thing, nullptr, false);
  EXPECT_TRUE(s->ListStored("Obj\\Lines"));
  EXPECT_FALSE(s->ValueStored("Obj\\Child\\Depth"));
  EXPECT_FALSE(s->ListStored("Obj\\Items"));
}

TEST_F(JvAppStorage, IgnoredAndTranslatedPropertyNames) {
  class Translator : public TObject {
  public:
    void Translate(TObject*, TPersistent*, bool reading, std::string& name) {
      if (name == "Count") name = reading ? "Quantidade" : "Quantidade";
    }
  } translator;
  MemoryStorage s;
  s->SetOnTranslatePropertyName(TJvAppStoragePropTranslateEvent(&translator, &Translator::Translate));
  TThing thing;
  thing.Count = 3;
  thing.Name = "fora";
  TStringList ignore;
  ignore.Add("name");
  s->WriteObject("Obj", &thing, &ignore, false);
  EXPECT_EQ(s->ReadInteger("Obj\\Quantidade", 0), 3);
  EXPECT_FALSE(s->ValueStored("Obj\\Count"));
  EXPECT_FALSE(s->ValueStored("Obj\\Name"));

  TThing back;
  s->ReadObject("Obj", &back, nullptr, false);
  EXPECT_EQ(back.Count, 3);
}

TEST_F(JvAppStorage, ObjectsThatStoreThemselves) {
  MemoryStorage s;
  TSelfStoring plain;
  plain.Secret = "x";
  plain.Visible = 1;
  s->WriteObject("A", &plain);
  TSelfStoringAlsoPublished both;
  both.Secret = "y";
  both.Visible = 2;
  s->WriteObject("B", &both);
  EXPECT_EQ(s.Text(), joined({"[A]", "Segredo=x", "", "[B]", "Segredo=y", "Visible=2", ""}));

  TSelfStoringAlsoPublished back;
  s->ReadObject("B", &back);
  EXPECT_EQ(back.Secret, "y");
  EXPECT_EQ(back.Visible, 2);
}

TEST_F(JvAppStorage, SinglePropertiesByName) {
  MemoryStorage s;
  TThing thing;
  thing.Flag = true;
  s->WriteObjectProperty("Form\\Obj_Flag", &thing, "flag");
  EXPECT_EQ(s.Text(), joined({"[Form]", "Obj_Flag=TRUE", ""}));
  TThing back;
  s->ReadObjectProperty("Form\\Obj_Flag", &back, "Flag");
  EXPECT_TRUE(back.Flag);
  EXPECT_EQ(RaisedMessage<EPropertyError>([&] { s->WriteObjectProperty("Form\\X", &thing, "Nada"); }),
            "Unknown property: 'Nada'");
  s->ReadObjectProperty("Form\\Fixed", &back, "Fixed");  // a property without setter is left alone
  s->StorageOptions()->SetTypedIntegerAsString(false);
  thing.Count = 12;
  s->WriteObjectProperty("Form\\Count", &thing, "Count");
  EXPECT_EQ(s->ReadString("Form\\Count"), "12");
}
