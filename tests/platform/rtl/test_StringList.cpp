// TStrings and TStringList: sorting and duplicates, case rules on cp1252 text, delimited
// text, name=value lines, text splitting, change events, files and errors.
#include "TestFramework.h"
#include "RtlTestHelpers.h"
#include "platform/rtl/Classes.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(const TStrings& list) {
  std::vector<std::string> lines;
  for (Integer i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

void fill(TStrings& list, const std::vector<std::string>& lines) {
  list.Clear();
  for (const auto& s : lines) list.Add(s);
}

// Records change events with the count each one saw.
class EventLog : public TObject {
public:
  std::vector<std::string> events;
  void Changing(TObject* sender) { events.push_back("changing@" + std::to_string(countOf(sender))); }
  void Change(TObject* sender) { events.push_back("change@" + std::to_string(countOf(sender))); }

private:
  static Integer countOf(TObject* sender) { return static_cast<TStrings*>(sender)->Count(); }
};

// A TStrings that supplies only the operations a subclass must supply.
class MinimalStrings : public TStrings {
public:
  std::vector<std::string> data;
  std::string Get(Integer Index) const override { return data.at(static_cast<size_t>(Index)); }
  Integer GetCount() const override { return static_cast<Integer>(data.size()); }
  void Insert(Integer Index, const std::string& S) override { data.insert(data.begin() + Index, S); }
  void Delete(Integer Index) override { data.erase(data.begin() + Index); }
  void Clear() override { data.clear(); }
};

// A string list that reports every line stored through InsertItem.
class InsertTracingList : public TStringList {
public:
  std::vector<std::string> inserted;

protected:
  void InsertItem(Integer Index, const std::string& S, TObject* AObject) override {
    inserted.push_back(std::to_string(Index) + ":" + S);
    TStringList::InsertItem(Index, S, AObject);
  }
};

std::string tempPath(const std::string& name) {
  return GetTempDir() + "classes-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

std::string readBytes(const std::string& path) {
  TFileStream f(path, fmOpenRead);
  std::string bytes(static_cast<size_t>(f.Size()), '\0');
  f.ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  return bytes;
}

void writeBytes(const std::string& path, const std::string& bytes) {
  TFileStream f(path, fmCreate);
  f.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

}  // namespace

// =======================================================================================
// Sorting, Find and duplicates

TEST(StringList, SortedListInsertsInCollationOrder) {
  TStringList list;
  list.SetSorted(true);
  // Accented capitals sort beside their plain letters, not after 'z' as their byte codes
  // would put them.
  for (const char* s : {"pêra", "Ábaco", "banana", "abacaxi", "Zebu", "éter"}) list.Add(s);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"abacaxi", "Ábaco", "banana", "éter", "pêra", "Zebu"}));
}

TEST(StringList, FindGivesTheIndexOrTheInsertionPoint) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"b", "d", "f"}) list.Add(s);
  struct Case {
    const char* s;
    bool found;
    Integer index;
  };
  for (const Case& c : {Case{"a", false, 0}, Case{"b", true, 0}, Case{"c", false, 1}, Case{"D", true, 1},
                        Case{"e", false, 2}, Case{"f", true, 2}, Case{"g", false, 3}}) {
    Integer index = -99;
    EXPECT_EQ(list.Find(c.s, index), c.found) << "Find(" << c.s << ")";
    EXPECT_EQ(index, c.index) << "Find(" << c.s << ")";
  }
  EXPECT_EQ(list.IndexOf("F"), 2);
  EXPECT_EQ(list.IndexOf("c"), -1);
}

TEST(StringList, SettingSortedSortsTheLinesWithTheirObjects) {
  TStringList list;
  TObject one, two, three;
  list.AddObject("c", &three);
  list.AddObject("a", &one);
  list.AddObject("b", &two);
  list.SetSorted(true);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Objects(0), &one);
  EXPECT_EQ(list.Objects(2), &three);
  list.Add("ab");
  EXPECT_EQ(list.IndexOf("ab"), 1);
}

TEST(StringList, DuplicatesModesOnSortedAndUnsortedLists) {
  struct Case {
    bool sorted;
    TDuplicates mode;
    Integer expectedCount;
    const char* error;  // "" when no error
  };
  const std::vector<Case> cases = {
      {true, dupIgnore, 2, ""},
      {true, dupAccept, 3, ""},
      {true, dupError, 2, "String list does not allow duplicates"},
      {false, dupError, 3, ""},  // duplicates are looked for only in sorted lists
      {false, dupIgnore, 3, ""},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetDuplicates(c.mode);
    list.SetSorted(c.sorted);
    list.Add("maçã");
    list.Add("uva");
    std::string error = messageOf<EStringListError>([&] {
      Integer index = list.Add("MAÇÃ");  // same text without regard to case
      if (c.sorted && c.mode == dupIgnore) {
        EXPECT_EQ(index, 0) << "dupIgnore returns the existing line's index";
      }
    });
    EXPECT_EQ(list.Count(), c.expectedCount) << "sorted=" << c.sorted << " mode=" << c.mode;
    EXPECT_EQ(error, c.error) << "sorted=" << c.sorted << " mode=" << c.mode;
  }
}

TEST(StringList, CaseSensitivityAppliesToAccentedLetters) {
  TStringList list;
  list.Add("ação");
  list.Add("Órgão");
  EXPECT_EQ(list.IndexOf("AÇÃO"), 0);
  EXPECT_EQ(list.IndexOf("órgão"), 1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("AÇÃO"), -1);
  EXPECT_EQ(list.IndexOf("órgão"), -1);
  EXPECT_EQ(list.IndexOf("Órgão"), 1);

  list.SetSorted(true);
  EXPECT_EQ(list.IndexOf("AÇÃO"), -1) << "sorted search should be case sensitive too";
  EXPECT_EQ(list.IndexOf("ação"), 0);
}

TEST(StringList, SwitchingCaseSensitivityKeepsASortedListSearchable) {
  TStringList list;
  list.SetDuplicates(dupAccept);
  list.SetSorted(true);
  for (const char* s : {"b", "B", "a", "A", "é", "É"}) list.Add(s);
  list.SetCaseSensitive(true);
  for (Integer i = 0; i + 1 < list.Count(); ++i)
    EXPECT_LE(AnsiCompareStr(list[i], list[i + 1]), 0) << "lines " << i << " and " << i + 1 << ": " << list[i]
                                                         << " / " << list[i + 1];
  for (const char* s : {"a", "A", "b", "B", "é", "É"}) {
    Integer i = list.IndexOf(s);
    ASSERT_GE(i, 0) << s << " should be found after the switch";
    EXPECT_EQ(list[i], s);
  }
}

TEST(StringList, SortAndCustomSortOnUnsortedList) {
  TStringList list;
  fill(list, {"ccc", "a", "bb", "dddd"});
  list.CustomSort([](TStringList* l, Integer i1, Integer i2) {
    return static_cast<Integer>(l->Strings(i2).size()) - static_cast<Integer>(l->Strings(i1).size());
  });
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"dddd", "ccc", "bb", "a"}));
  list.Sort();
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"a", "bb", "ccc", "dddd"}));
}

TEST(StringList, EveryInsertionGoesThroughInsertItem) {
  InsertTracingList list;
  list.Add("x");
  list.Insert(0, "w");
  list.AddObject("z", nullptr);
  list.SetSorted(true);
  list.Add("y");
  EXPECT_EQ(list.inserted, (std::vector<std::string>{"0:x", "0:w", "2:z", "2:y"}));
}

// =======================================================================================
// Delimited and comma text

TEST(StringList, CommaTextQuotesWhatNeedsQuoting) {
  struct Case {
    std::vector<std::string> lines;
    std::string text;
  };
  const std::vector<Case> cases = {
      {{"a", "b"}, "a,b"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"", "x", ""}, ",x,"},
      {{""}, "\"\""},
      {{}, ""},
      {{"ação", "pão"}, "ação,pão"},  // letters above 0x7F are not blanks
      {{"tab\there"}, "\"tab\there\""},
      {{"semi;colon"}, "semi;colon"},
  };
  TStringList list;
  for (const Case& c : cases) {
    fill(list, c.lines);
    EXPECT_EQ(list.CommaText(), c.text) << ::testing::PrintToString(c.lines);
  }
}

TEST(StringList, CommaTextSplitsOnDelimitersAndBlanksOutsideQuotes) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"a,b", {"a", "b"}},
      {"a b", {"a", "b"}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"a, ", {"a"}},  // the delimiter does not end the text: no empty item
      {",a", {"", "a"}},
      {"  a  ,  b  ", {"a", "b"}},
      {"\"\"", {""}},
      {"", {}},
      {"ação,pão", {"ação", "pão"}},
      {"\"x,y\"z", {"x,y", "z"}},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetCommaText(c.text);
    EXPECT_EQ(linesOf(list), c.lines) << "CommaText " << c.text;
  }
}

TEST(StringList, DelimitedTextUsesTheListsDelimiterAndQuote) {
  TStringList list;
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  fill(list, {"a;b", "c d", "it's", "e,f"});
  EXPECT_EQ(list.DelimitedText(), "'a;b';'c d';'it''s';e,f");
  EXPECT_EQ(list.CommaText(), "a;b,\"c d\",it's,\"e,f\"");
  EXPECT_EQ(list.Delimiter(), ';') << "reading CommaText keeps the list's delimiter";

  TStringList back;
  back.SetDelimiter(';');
  back.SetQuoteChar('\'');
  back.SetDelimitedText(list.DelimitedText());
  EXPECT_EQ(linesOf(back), linesOf(list));

  back.SetCommaText("x,y");
  EXPECT_EQ(back.Delimiter(), ',');
  EXPECT_EQ(back.QuoteChar(), '"');
}

// =======================================================================================
// Names and values

TEST(StringList, NamesAndValuesReadTheFirstSeparator) {
  TStringList list;
  fill(list, {"nome=João", "idade=30", "semvalor", "x=a=b", "=vazio"});
  EXPECT_EQ(list.Names(0), "nome");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.Names(4), "");
  EXPECT_EQ(list.Values("NOME"), "João");
  EXPECT_EQ(list.Values("x"), "a=b");
  EXPECT_EQ(list.Values("semvalor"), "") << "a line without separator has no name";
  EXPECT_EQ(list.IndexOfName("semvalor"), -1);
  EXPECT_EQ(list.ValueFromIndex(3), "a=b");
  EXPECT_EQ(list.ValueFromIndex(4), "vazio");
  EXPECT_EQ(list.ValueFromIndex(-1), "");
}

TEST(StringList, SettingValuesReplacesAddsOrDeletes) {
  TStringList list;
  fill(list, {"nome=João", "idade=30"});
  list.SetValues("IDADE", "31");
  list.SetValues("cidade", "São Paulo");
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"nome=João", "IDADE=31", "cidade=São Paulo"}));
  list.SetValues("nome", "");
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"IDADE=31", "cidade=São Paulo"}));
  list.SetValues("ausente", "");
  EXPECT_EQ(list.Count(), 2) << "clearing a missing name changes nothing";

  list.SetValueFromIndex(1, "Recife");
  list.SetValueFromIndex(-1, "novo");
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"IDADE=31", "cidade=Recife", "=novo"}));
  list.SetValueFromIndex(0, "");
  EXPECT_EQ(list.Count(), 2);
}

TEST(StringList, NameValueSeparatorIsConfigurable) {
  TStringList list;
  list.SetNameValueSeparator(':');
  fill(list, {"a=1:x", "b:2"});
  EXPECT_EQ(list.Values("b"), "2");
  EXPECT_EQ(list.Names(0), "a=1");
  list.SetValues("c", "3");
  EXPECT_EQ(list[2], "c:3");
}

// =======================================================================================
// Text

TEST(StringList, TextSplitsOnCrLfCrAndLf) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {"", {}},
      {std::string("x\0y", 3), {"x"}},  // the text ends at a null character
      {"  lead\ttab  ", {"  lead\ttab  "}},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(linesOf(list), c.lines) << ::testing::PrintToString(c.text);
  }
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  fill(list, {""});
  EXPECT_EQ(list.Text(), "\r\n");
  fill(list, {"um", "", "três"});
  EXPECT_EQ(list.Text(), "um\r\n\r\ntrês\r\n");
}

// =======================================================================================
// Change events and updates

TEST(StringList, ChangeEventsSurroundEachChange) {
  EventLog log;
  TStringList list;
  list.SetOnChanging(TNotifyEvent(&log, &EventLog::Changing));
  list.SetOnChange(TNotifyEvent(&log, &EventLog::Change));
  list.Add("a");
  list.Put(0, "b");
  list.Delete(0);
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing@0", "change@1", "changing@1", "change@1",
                                                  "changing@1", "change@0"}));
  log.events.clear();
  list.Clear();
  EXPECT_TRUE(log.events.empty()) << "clearing an empty list is no change";
}

TEST(StringList, UpdatesFireOneChangingAndOneChange) {
  EventLog log;
  TStringList list;
  list.SetOnChanging(TNotifyEvent(&log, &EventLog::Changing));
  list.SetOnChange(TNotifyEvent(&log, &EventLog::Change));
  list.BeginUpdate();
  list.Add("x");
  list.BeginUpdate();
  list.Add("y");
  list.EndUpdate();
  list.Exchange(0, 1);
  EXPECT_EQ(list.UpdateCount(), 1);
  list.EndUpdate();
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing@0", "change@2"}));
  EXPECT_EQ(list.UpdateCount(), 0);

  log.events.clear();
  list.SetText("p\r\nq\r\nr");
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing@2", "change@3"})) << "SetText is one update";
}

// =======================================================================================
// Other operations

TEST(StringList, MoveExchangeAndAssignCarryObjects) {
  TObject o1, o2, o3;
  TStringList list;
  list.AddObject("um", &o1);
  list.AddObject("dois", &o2);
  list.AddObject("três", &o3);
  list.Move(0, 2);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"dois", "três", "um"}));
  EXPECT_EQ(list.Objects(2), &o1);
  list.Exchange(0, 1);
  EXPECT_EQ(list.Objects(0), &o3);
  EXPECT_EQ(list.IndexOfObject(&o2), 1);

  list.SetDelimiter('|');
  TStringList copy;
  copy.Add("old");
  copy.Assign(&list);
  EXPECT_EQ(linesOf(copy), linesOf(list));
  EXPECT_EQ(copy.Objects(2), &o1);
  EXPECT_EQ(copy.Delimiter(), '|');
  EXPECT_TRUE(copy.Equals(&list));
  copy.Put(0, "TRÊS");
  EXPECT_FALSE(copy.Equals(&list)) << "Equals compares exact text";
}

TEST(StringList, MinimalSubclassGetsTheWholeBehaviour) {
  MinimalStrings lines;
  lines.SetText("b=2\r\na=1\r\nc");
  lines.Move(1, 0);
  lines.Put(2, "c=3");
  lines.SetValues("b", "20");
  lines.Exchange(0, 2);
  EXPECT_EQ(lines.data, (std::vector<std::string>{"c=3", "b=20", "a=1"}));
  EXPECT_EQ(lines.IndexOf("B=20"), 1);
  EXPECT_EQ(lines.CommaText(), "c=3,b=20,a=1");
  TStringList copy;
  copy.Assign(&lines);
  EXPECT_EQ(copy.Text(), "c=3\r\nb=20\r\na=1\r\n");
}

// =======================================================================================
// Files and streams

TEST(StringList, SaveToFileWritesCp1252LinesWithCrLf) {
  std::string path = tempPath("save.txt");
  TStringList list;
  fill(list, {"ação", "", "pão de açúcar"});
  list.SaveToFile(path);
  EXPECT_EQ(readBytes(path), std::string("a\xE7\xE3o\r\n\r\np\xE3o de a\xE7\xFA" "car\r\n"));
  DeleteFile(path);
}

TEST(StringList, LoadFromFileAcceptsLfAndCrLfAndKeepsBytes) {
  std::string path = tempPath("load.txt");
  writeBytes(path, "Jos\xE9\r\nMar\xEDlia\nC\xE9sar\r\n\xC1rea");
  TStringList list;
  list.Add("old");
  list.LoadFromFile(path);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"José", "Marília", "César", "Área"}));
  list.SaveToFile(path);
  EXPECT_EQ(readBytes(path), std::string("Jos\xE9\r\nMar\xEDlia\r\nC\xE9sar\r\n\xC1rea\r\n"));
  DeleteFile(path);
}

TEST(StringList, LoadFromStreamStartsAtThePosition) {
  TStringStream stream("skip\r\nA\r\nB");
  stream.SetPosition(6);
  TStringList list;
  list.LoadFromStream(&stream);
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"A", "B"}));
}

TEST(StringList, LoadFromMissingFileNamesTheFile) {
  std::string path = tempPath("missing.txt");
  TStringList list;
  std::string message = messageOf<EFOpenError>([&] { list.LoadFromFile(path); });
  EXPECT_NE(message.find("Cannot open file \"" + ExpandFileName(path) + "\""), std::string::npos) << message;
}

// =======================================================================================
// Errors

TEST(StringList, BadIndexesAndSortedEditsRaiseStringListError) {
  TStringList list;
  fill(list, {"a", "b"});
  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Add("a");
  expectMessages<EStringListError>({
      {"Get(-1)", [&] { list.Get(-1); }, "List index out of bounds (-1)"},
      {"Get(Count)", [&] { list.Get(2); }, "List index out of bounds (2)"},
      {"Objects(Count)", [&] { list.Objects(2); }, "List index out of bounds (2)"},
      {"Put(Count)", [&] { list.Put(2, "x"); }, "List index out of bounds (2)"},
      {"PutObject(-1)", [&] { list.PutObject(-1, nullptr); }, "List index out of bounds (-1)"},
      {"Delete(Count)", [&] { list.Delete(2); }, "List index out of bounds (2)"},
      {"Insert(Count + 1)", [&] { list.Insert(3, "x"); }, "List index out of bounds (3)"},
      {"Exchange(0, 7)", [&] { list.Exchange(0, 7); }, "List index out of bounds (7)"},
      {"Insert into sorted", [&] { sorted.Insert(0, "b"); }, "Operation not allowed on sorted list"},
      {"Put into sorted", [&] { sorted.Put(0, "b"); }, "Operation not allowed on sorted list"},
      {"SetCapacity below Count", [&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
  });
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(linesOf(sorted), (std::vector<std::string>{"a"}));
}
