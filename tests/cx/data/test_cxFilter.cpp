// Filter criteria: LIKE matching, the condition tree and its evaluation over a small table
// of records, and the tree's expression text, caption text and binary stream.
#include <cstring>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/data/cxFilter.h"
#include "cx/foundation/cxDataUtils.h"
#include "cx/foundation/cxVariants.h"
#include "platform/rtl/SysUtils.h"

namespace {

// ---------------------------------------------------------------------------------------
// LIKE matching

struct LikeCase {
  const char* text;
  const char* pattern;
  bool matches;
};

TEST(LikeMatch, WildcardsAnywhereInThePattern) {
  const LikeCase cases[] = {
      {"abc", "a%", true},    {"abc", "%c", true},     {"abc", "%b%", true},    {"abc", "a_c", true},
      {"abc", "abc", true},   {"abc", "%", true},      {"abc", "ab", false},    {"abc", "_b", false},
      {"abc", "abcd", false}, {"abc", "a%b%c", true},  {"abc", "a%%c", true},   {"abc", "%a%b%c%", true},
      {"abc", "___", true},   {"abc", "____", false},  {"abc", "%_", true},     {"abc", "%d", false},
      {"", "%", true},        {"", "_", false},        {"", "a", false},        {"", "", true},
      {"abc", "", false},     {"ab", "a%b", true},     {"aXbYb", "a%b", true},  {"abab", "%ab", true},
      {"aaab", "%a%a%b", true}, {"ba", "%a%a", false},
      // Byte-exact: case counts unless the caller has upper-cased both sides.
      {"ABC", "a%", false},   {"ABC", "A%", true},
  };
  for (const LikeCase& c : cases)
    EXPECT_EQ(c.matches, cxLike(c.text, c.pattern, '%', '_')) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

// A run of many-char wildcards stands for any run of characters, none included, just as one
// does: the empty text matches '%%' and 'a' matches 'a%%'.
TEST(LikeMatch, RunsOfWildcardsAlsoMatchNothing) {
  const LikeCase cases[] = {
      {"", "%%", true}, {"", "%%%", true}, {"a", "a%%", true}, {"a", "%%a%%", true}, {"a", "a%%_", false},
  };
  for (const LikeCase& c : cases)
    EXPECT_EQ(c.matches, cxLike(c.text, c.pattern, '%', '_')) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

TEST(LikeMatch, CustomWildcardCharacters) {
  const LikeCase cases[] = {
      {"abc", "a*", true}, {"abc", "a?c", true}, {"abc", "a%", false}, {"a%c", "a%c", true},
      {"a_c", "a_c", true}, {"abc", "a_c", false}, {"", "**", true},
  };
  for (const LikeCase& c : cases)
    EXPECT_EQ(c.matches, cxLike(c.text, c.pattern, '*', '?')) << "'" << c.text << "' LIKE '" << c.pattern << "'";
}

TEST(LikeMatch, EscapeMakesTheNextCharacterLiteral) {
  struct Case {
    const char* text;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"50%", "50\\%", true}, {"500", "50\\%", false},  {"a_c", "a\\_c", true}, {"abc", "a\\_c", false},
      {"a\\c", "a\\\\c", true}, {"abc", "abc\\", true}, {"ab", "abc\\", false}, {"x%y", "%\\%%", true},
      {"xy", "%\\%%", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.matches, cxLikeMatch(c.text, static_cast<Integer>(std::strlen(c.text)), c.pattern, '\\', '_', '%',
                                     static_cast<Integer>(std::strlen(c.pattern))))
        << "'" << c.text << "' LIKE '" << c.pattern << "' ESCAPE '\\'";
}

// Explicit lengths: embedded zero bytes are ordinary characters.
TEST(LikeMatch, ExplicitLengthsCoverZeroBytes) {
  const char text[] = {'a', '\0', 'b'};
  EXPECT_TRUE(cxLikeMatch(text, 3, "a_b", 0, '_', '%', 3));
  EXPECT_FALSE(cxLikeMatch(text, 1, "a_b", 0, '_', '%', 3));
  EXPECT_TRUE(cxLikeMatch(text, 3, "a%", 0, '_', '%', 2));
}

// Many wildcards against a long text that almost matches must not take exponential time.
TEST(LikeMatch, ManyWildcardsStayFast) {
  std::string text(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "%a";
  EXPECT_FALSE(cxLike(text, pattern + "b", '%', '_'));
  EXPECT_TRUE(cxLike(text, pattern + "%", '%', '_'));
}

TEST(LikeMatch, StripWildcardsForCaptions) {
  struct Case {
    const char* pattern;
    Byte kind;
    const char* stripped;
  } cases[] = {
      {"%abc%", 3, "abc"}, {"abc%", 1, "abc"}, {"%abc", 2, "abc"}, {"abc", 0, "abc"}, {"%%abc%%%", 3, "abc"},
      {"%", 0, "%"},       {"%%", 0, "%"},     {"%a", 2, "a"},     {"%a%b%", 3, "a%b"}, {"_a_", 0, "_a_"},
      {"a%%b", 0, "a%b"},  {"", 0, ""},
  };
  for (const Case& c : cases) {
    std::string p = c.pattern;
    EXPECT_EQ(c.kind, cxStripLikeWildcards(p, '%')) << c.pattern;
    EXPECT_EQ(c.stripped, p) << c.pattern;
  }
  std::string custom = "**x*";
  EXPECT_EQ(3, cxStripLikeWildcards(custom, '*'));
  EXPECT_EQ("x", custom);
}

// ---------------------------------------------------------------------------------------
// A criteria descendant over an in-memory table: each column object is an item link, its
// position the stream ID; the current date is fixed by the test.

class TTestColumn : public TObject {
  RTL_DECLARE_CLASS(TTestColumn, TObject)
public:
  TTestColumn(std::string AName, std::string ACaption) : Name(std::move(AName)), Caption(std::move(ACaption)) {}
  std::string Name, Caption;
};
RTL_IMPLEMENT_CLASS(TTestColumn)

class TTestCriteria;

class TTestCriteriaItem : public TcxFilterCriteriaItem {
  RTL_DECLARE_CLASS(TTestCriteriaItem, TcxFilterCriteriaItem)
public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  Variant GetDataValue(Integer ARecordIndex) override;
  std::string GetFieldCaption() override { return column() ? column()->Caption : std::string(); }
  std::string GetFieldName() override { return column() ? column()->Name : std::string(); }

private:
  TTestColumn* column() { return static_cast<TTestColumn*>(ItemLink()); }
};
RTL_IMPLEMENT_CLASS(TTestCriteriaItem)

class TTestCriteria : public TcxFilterCriteria {
  RTL_DECLARE_CLASS(TTestCriteria, TcxFilterCriteria)
public:
  std::vector<TTestColumn*> Columns;
  std::vector<std::vector<Variant>> Rows;
  TDateTime Today = EncodeDate(2026, 12, 15) + 0.5;  // a Tuesday, at noon
  int ChangeCount = 0;

  Integer GetIDByItemLink(TObject* AItemLink) override {
    for (size_t i = 0; i < Columns.size(); ++i)
      if (Columns[i] == AItemLink) return static_cast<Integer>(i);
    return -1;
  }
  TObject* GetItemLinkByID(Integer AID) override {
    return AID >= 0 && static_cast<size_t>(AID) < Columns.size() ? Columns[static_cast<size_t>(AID)] : nullptr;
  }
  TDateTime CurrentDate() override { return Today; }
  Variant Value(Integer ARecord, TObject* AColumn) {
    Integer id = GetIDByItemLink(AColumn);
    return id < 0 ? Null() : Rows[static_cast<size_t>(ARecord)][static_cast<size_t>(id)];
  }
  // The records that pass, in order.
  std::vector<int> Visible() {
    std::vector<int> result;
    for (size_t i = 0; i < Rows.size(); ++i)
      if (EvaluateRecord(static_cast<Integer>(i))) result.push_back(static_cast<int>(i));
    return result;
  }

protected:
  TClass GetItemClass() override { return TTestCriteriaItem::StaticClass(); }
  void DoChanged() override {
    ++ChangeCount;
    TcxFilterCriteria::DoChanged();
  }
};
RTL_IMPLEMENT_CLASS(TTestCriteria)

Variant TTestCriteriaItem::GetDataValue(Integer ARecordIndex) {
  return static_cast<TTestCriteria*>(GetCriteria())->Value(ARecordIndex, ItemLink());
}

using Records = std::vector<int>;

std::string describe(const Records& r) {
  std::string s = "{";
  for (size_t i = 0; i < r.size(); ++i) s += (i ? "," : "") + std::to_string(r[i]);
  return s + "}";
}

class FilterCriteriaTest : public ::testing::Test {
protected:
  TTestColumn name{"NAME", "Name"}, age{"AGE", "Age"}, price{"PRICE", "Price"}, born{"BORN", "Born"},
      flag{"FLAG", "Flag"};
  TTestCriteria criteria;
  TDateTime today = EncodeDate(2026, 12, 15);

  void SetUp() override {
    criteria.Columns = {&name, &age, &price, &born, &flag};
    auto date = [](TDateTime d) { return Variant::MakeDate(d); };
    criteria.Rows = {
        {"Ana", 30, Currency::FromDouble(1.5), date(today + 10.0 / 24), true},               // 0
        {"bruno", 45, 2.25, date(today - 1), false},                                         // 1
        {Null(), Null(), Null(), Null(), Null()},                                            // 2
        {"", 18, 0, date(today + 1), true},                                                  // 3
        {"Ação", 30, 10, date(today + (23.0 * 60 + 59) / (24 * 60)), false},                 // 4
        {"O'Brien", 60, 1.5, date(today + 1 + (23.0 * 60 + 59) / (24 * 60)), true},          // 5
    };
  }

  Records only(TObject* AColumn, TcxFilterOperatorKind AKind, const Variant& AValue) {
    criteria.Clear();
    criteria.AddItem(nullptr, AColumn, AKind, AValue, "");
    return criteria.Visible();
  }
};

TEST_F(FilterCriteriaTest, OperatorsOnTypedValues) {
  struct Case {
    const char* what;
    TObject* column;
    TcxFilterOperatorKind kind;
    Variant value;
    Records expected;
  } cases[] = {
      {"age = 30", &age, foEqual, 30, {0, 4}},
      {"age <> 30 (Null is another value)", &age, foNotEqual, 30, {1, 2, 3, 5}},
      {"age < 30 (Null comes first)", &age, foLess, 30, {2, 3}},
      {"age <= 30", &age, foLessEqual, 30, {0, 2, 3, 4}},
      {"age > 30", &age, foGreater, 30, {1, 5}},
      {"age >= 45", &age, foGreaterEqual, 45, {1, 5}},
      {"name = 'Ana' is case-sensitive", &name, foEqual, "ana", {}},
      {"name like 'A%'", &name, foLike, "A%", {0, 4}},
      {"name not like 'A%'", &name, foNotLike, "A%", {1, 2, 3, 5}},
      {"name like '_____'", &name, foLike, "_____", {1}},
      {"price = 1.5 (Currency and Double)", &price, foEqual, 1.5, {0, 5}},
      {"price > 2", &price, foGreater, 2, {1, 4}},
      {"flag = True", &flag, foEqual, true, {0, 3, 5}},
      {"flag <> True", &flag, foNotEqual, true, {1, 2, 4}},
      {"born < today", &born, foLess, Variant::MakeDate(today), {1, 2}},
      {"age between 30 and 45 (both ends)", &age, foBetween, VarArrayOf({30, 45}), {0, 1, 4}},
      {"age not between 30 and 45", &age, foNotBetween, VarArrayOf({30, 45}), {2, 3, 5}},
      {"age in (18, 60)", &age, foInList, VarArrayOf({18, 60}), {3, 5}},
      {"age not in (18, 60)", &age, foNotInList, VarArrayOf({18, 60}), {0, 1, 2, 4}},
      {"name in ('Ana', 'bruno')", &name, foInList, VarArrayOf({"Ana", "bruno"}), {0, 1}},
  };
  for (Case& c : cases) EXPECT_EQ(describe(c.expected), describe(only(c.column, c.kind, c.value))) << c.what;
}

TEST_F(FilterCriteriaTest, NullValuesAndSoftNull) {
  // Without fcoSoftNull only Null is null; an equal condition on Null picks the Null records.
  EXPECT_EQ(describe({2}), describe(only(&name, foEqual, Null())));
  EXPECT_TRUE(Is<TcxFilterNullOperator>(criteria.Root()->Items(0) ? static_cast<TcxFilterCriteriaItem*>(
                                                                        criteria.Root()->Items(0))->Operator()
                                                                  : nullptr));
  EXPECT_EQ(describe({3}), describe(only(&name, foEqual, "")));
  EXPECT_EQ(describe({0, 1, 3, 4, 5}), describe(only(&name, foNotEqual, Null())));
  // A not-like condition on Null is a not-null test, not a pattern.
  EXPECT_EQ(describe({0, 1, 3, 4, 5}), describe(only(&name, foNotLike, Null())));
  EXPECT_EQ(describe({2}), describe(only(&name, foLike, Null())));

  criteria.SetOptions(TcxFilterCriteriaOptions{fcoSoftNull});
  // With it, an equal condition on the empty text becomes a null test: Null and ''.
  EXPECT_EQ(describe({2, 3}), describe(only(&name, foEqual, "")));
  auto* item = static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0));
  EXPECT_TRUE(Is<TcxFilterNullOperator>(item->Operator()));
  EXPECT_EQ("blank", item->DisplayValue());
  EXPECT_EQ(describe({0, 1, 4, 5}), describe(only(&name, foNotEqual, "")));
  // Date ranges never match a null record value (here the empty text counts as null too).
  criteria.Rows[3][3] = "";
  EXPECT_EQ(describe({0, 4}), describe(only(&born, foToday, Null())));
}

TEST_F(FilterCriteriaTest, CaseInsensitiveWithAccentedLetters) {
  criteria.SetOptions(TcxFilterCriteriaOptions{fcoCaseInsensitive});
  EXPECT_EQ(describe({0}), describe(only(&name, foEqual, "ana")));
  EXPECT_EQ(describe({4}), describe(only(&name, foEqual, "AÇÃO")));
  EXPECT_EQ(describe({4}), describe(only(&name, foLike, "aç%")));
  EXPECT_EQ(describe({0, 4}), describe(only(&name, foLike, "a%")));
  EXPECT_EQ(describe({1}), describe(only(&name, foLike, "%UNO")));
  EXPECT_EQ(describe({0, 1, 4}), describe(only(&name, foInList, VarArrayOf({"ANA", "Bruno", "açÃo"}))));
  // The value kinds stay: a Currency 1.5 equals a Double 1.5 as before.
  EXPECT_EQ(describe({0, 5}), describe(only(&price, foEqual, Currency::FromDouble(1.5))));
  criteria.SetOptions(TcxFilterCriteriaOptions{});
  EXPECT_EQ(describe({}), describe(only(&name, foLike, "aç%")));
}

// A record value that has no order against the condition's value (a text that is no number
// against a number) is never "less" or "greater": the comparison fails, and fcoSoftCompare
// decides whether that makes the condition false or reaches the caller. Equality stays
// answerable: such values are simply not equal.
TEST_F(FilterCriteriaTest, ValuesWithoutOrderNeverCountAsLess) {
  criteria.Rows[1][1] = "unknown";
  criteria.Rows[3][1] = "18";  // a text that reads as a number compares as one
  criteria.AddItem(nullptr, &age, foLess, 40, "");
  EXPECT_THROW(criteria.EvaluateRecord(1), EVariantError);
  EXPECT_TRUE(criteria.EvaluateRecord(3));
  criteria.SetOptions(TcxFilterCriteriaOptions{fcoSoftCompare});
  EXPECT_EQ(describe({0, 2, 3, 4}), describe(criteria.Visible()));
  const TcxFilterOperatorKind ordering[] = {foLessEqual, foGreater, foGreaterEqual, foBetween, foNotBetween};
  for (TcxFilterOperatorKind kind : ordering) {
    Variant value = (kind == foBetween || kind == foNotBetween) ? VarArrayOf({0, 100}) : Variant(0);
    only(&age, kind, value);
    EXPECT_FALSE(criteria.EvaluateRecord(1)) << "operator kind " << kind;
  }
  criteria.SetOptions(TcxFilterCriteriaOptions{});
  EXPECT_EQ(describe({0, 4}), describe(only(&age, foEqual, 30)));
  EXPECT_EQ(describe({1, 2, 3, 5}), describe(only(&age, foNotEqual, 30)));
}

TEST_F(FilterCriteriaTest, DateRangesAgainstAFixedToday) {
  // Today is Tuesday 15 December 2026 (the criteria's clock); "now" is its noon.
  TDateTime week = cxStartOfWeek(today);
  struct Case {
    TcxFilterOperatorKind kind;
    TDateTime inside[2];  // first and last moment inside the range
    TDateTime before, after;  // just outside it
  } cases[] = {
      {foYesterday, {today - 1, today - 1e-6}, today - 1 - 1e-6, today},
      {foToday, {today, today + 1 - 1e-6}, today - 1e-6, today + 1},
      {foTomorrow, {today + 1, today + 2 - 1e-6}, today + 1 - 1e-6, today + 2},
      {foLastWeek, {week - 7, week - 1e-6}, week - 7 - 1e-6, week},
      {foThisWeek, {week, week + 7 - 1e-6}, week - 1e-6, week + 7},
      {foNextWeek, {week + 7, week + 14 - 1e-6}, week + 7 - 1e-6, week + 14},
      {foLastMonth, {EncodeDate(2026, 11, 1), EncodeDate(2026, 11, 30) + 0.99}, EncodeDate(2026, 10, 31),
       EncodeDate(2026, 12, 1)},
      {foThisMonth, {EncodeDate(2026, 12, 1), EncodeDate(2026, 12, 31) + 0.99}, EncodeDate(2026, 11, 30),
       EncodeDate(2027, 1, 1)},
      {foNextMonth, {EncodeDate(2027, 1, 1), EncodeDate(2027, 1, 31) + 0.99}, EncodeDate(2026, 12, 31),
       EncodeDate(2027, 2, 1)},
      {foLastYear, {EncodeDate(2025, 1, 1), EncodeDate(2025, 12, 31)}, EncodeDate(2024, 12, 31),
       EncodeDate(2026, 1, 1)},
      {foThisYear, {EncodeDate(2026, 1, 1), EncodeDate(2026, 12, 31)}, EncodeDate(2025, 12, 31),
       EncodeDate(2027, 1, 1)},
      {foNextYear, {EncodeDate(2027, 1, 1), EncodeDate(2027, 12, 31)}, EncodeDate(2026, 12, 31),
       EncodeDate(2028, 1, 1)},
  };
  for (const Case& c : cases) {
    criteria.Rows = {{Null(), Null(), Null(), Variant::MakeDate(c.inside[0]), Null()},
                     {Null(), Null(), Null(), Variant::MakeDate(c.inside[1]), Null()},
                     {Null(), Null(), Null(), Variant::MakeDate(c.before), Null()},
                     {Null(), Null(), Null(), Variant::MakeDate(c.after), Null()},
                     {Null(), Null(), Null(), Null(), Null()}};
    EXPECT_EQ(describe({0, 1}), describe(only(&born, c.kind, Null()))) << "operator kind " << c.kind;
  }
}

TEST_F(FilterCriteriaTest, TodayAt2359MatchesAndTheSameTimeTomorrowDoesNot) {
  EXPECT_EQ(describe({0, 4}), describe(only(&born, foToday, Null())));
}

// The ranges follow the calendar: a filter on "today" made yesterday means today's records
// when it is evaluated today, without any change to the criteria in between.
TEST_F(FilterCriteriaTest, DateRangesFollowTheCalendar) {
  EXPECT_EQ(describe({0, 4}), describe(only(&born, foToday, Null())));
  int changes = criteria.ChangeCount;
  criteria.Today += 1;
  EXPECT_EQ(describe({3, 5}), describe(criteria.Visible()));
  EXPECT_EQ(changes, criteria.ChangeCount);
  auto* op = static_cast<TcxFilterDateOperator*>(
      static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0))->Operator());
  EXPECT_EQ(today + 1, op->RangeStart());
  EXPECT_EQ(today + 2, op->RangeEnd());
}

TEST_F(FilterCriteriaTest, BooleanTrees) {
  auto build = [&](TcxFilterBoolOperatorKind rootKind) {
    criteria.Clear();
    criteria.Root()->SetBoolOperatorKind(rootKind);
    criteria.AddItem(nullptr, &age, foEqual, 30, "");    // 0, 4
    criteria.AddItem(nullptr, &flag, foEqual, true, "");  // 0, 3, 5
    return criteria.Visible();
  };
  EXPECT_EQ(describe({0}), describe(build(fboAnd)));
  EXPECT_EQ(describe({0, 3, 4, 5}), describe(build(fboOr)));
  EXPECT_EQ(describe({1, 2, 3, 4, 5}), describe(build(fboNotAnd)));
  EXPECT_EQ(describe({1, 2}), describe(build(fboNotOr)));

  // (age = 30 or age = 60) and not (name like 'A%'), the second part as a one-child NotAnd.
  criteria.Clear();
  TcxFilterCriteriaItemList* either = criteria.Root()->AddItemList(fboOr);
  either->AddItem(&age, foEqual, 30, "");
  either->AddItem(&age, foEqual, 60, "");
  criteria.Root()->AddItemList(fboNotAnd)->AddItem(&name, foLike, "A%", "");
  EXPECT_EQ(describe({5}), describe(criteria.Visible()));
}

TEST_F(FilterCriteriaTest, EmptyListsPassEveryRecord) {
  const TcxFilterBoolOperatorKind kinds[] = {fboAnd, fboOr, fboNotAnd, fboNotOr};
  for (TcxFilterBoolOperatorKind kind : kinds) {
    criteria.Clear();
    criteria.Root()->SetBoolOperatorKind(kind);
    EXPECT_TRUE(criteria.IsEmpty());
    EXPECT_EQ(describe({0, 1, 2, 3, 4, 5}), describe(criteria.Visible())) << "root kind " << kind;
    criteria.Root()->SetBoolOperatorKind(fboAnd);
    criteria.Root()->AddItemList(kind);
    EXPECT_FALSE(criteria.IsEmpty());
    EXPECT_EQ(describe({0, 1, 2, 3, 4, 5}), describe(criteria.Visible())) << "nested kind " << kind;
  }
}

TEST_F(FilterCriteriaTest, RemovingAnItemsConditionsTidiesTheTree) {
  // (A = 1) or (B = 2) inside an And root beside C: removing A moves B up to the root.
  criteria.AddItem(nullptr, &flag, foEqual, true, "");
  TcxFilterCriteriaItemList* nested = criteria.Root()->AddItemList(fboOr);
  nested->AddItem(&age, foEqual, 1, "");
  nested->AddItem(&price, foEqual, 2, "");
  int changes = criteria.ChangeCount;
  criteria.RemoveItemByItemLink(&age);
  EXPECT_EQ(changes + 1, criteria.ChangeCount);
  ASSERT_EQ(2, criteria.Root()->Count());
  auto* moved = dynamic_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(1));
  ASSERT_NE(nullptr, moved);
  EXPECT_EQ(&price, moved->ItemLink());
  EXPECT_EQ(criteria.Root(), moved->Parent());
  EXPECT_EQ(nullptr, criteria.FindItemByItemLink(&age));

  // A list whose last condition goes disappears; every condition on the item goes.
  criteria.Clear();
  criteria.AddItem(nullptr, &age, foEqual, 1, "");
  criteria.Root()->AddItemList(fboAnd)->AddItem(&age, foEqual, 2, "");
  criteria.AddItem(nullptr, &name, foEqual, "x", "");
  criteria.RemoveItemByItemLink(&age);
  ASSERT_EQ(1, criteria.Root()->Count());
  EXPECT_EQ(&name, static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0))->ItemLink());

  // Nothing to remove: no change notification.
  changes = criteria.ChangeCount;
  criteria.RemoveItemByItemLink(&born);
  EXPECT_EQ(changes, criteria.ChangeCount);
}

// A NotOr list left with one child keeps negating it: "not (age = 30 or flag = True)" less
// its age condition is "not (flag = True)", never "flag = True".
TEST_F(FilterCriteriaTest, RemovingFromANegatedListKeepsTheNegation) {
  TcxFilterCriteriaItemList* negated = criteria.Root()->AddItemList(fboNotOr);
  negated->AddItem(&age, foEqual, 30, "");
  negated->AddItem(&flag, foEqual, true, "");
  EXPECT_EQ(describe({1, 2}), describe(criteria.Visible()));
  criteria.RemoveItemByItemLink(&age);
  EXPECT_EQ(describe({1, 2, 4}), describe(criteria.Visible()));
  ASSERT_EQ(1, criteria.Root()->Count());
  EXPECT_TRUE(criteria.Root()->Items(0)->IsItemList());
}

TEST_F(FilterCriteriaTest, ChangeNotificationsAreFoldedByUpdateBrackets) {
  struct Listener : TObject {
    int calls = 0;
    TObject* sender = nullptr;
    void Changed(TObject* Sender) {
      ++calls;
      sender = Sender;
    }
  } listener;
  criteria.SetOnChanged(TNotifyEvent(&listener, &Listener::Changed));

  criteria.AddItem(nullptr, &age, foEqual, 1, "");
  EXPECT_EQ(1, listener.calls);
  EXPECT_EQ(&criteria, listener.sender);
  criteria.BeginUpdate();
  criteria.AddItem(nullptr, &age, foEqual, 2, "");
  criteria.Root()->AddItemList(fboOr)->AddItem(&name, foEqual, "x", "");
  criteria.Root()->SetBoolOperatorKind(fboNotAnd);
  EXPECT_EQ(1, listener.calls);
  criteria.EndUpdate();
  EXPECT_EQ(2, listener.calls);

  // Setting what is already there is no change.
  criteria.Root()->SetBoolOperatorKind(fboNotAnd);
  criteria.SetOptions(TcxFilterCriteriaOptions{});
  criteria.SetPercentWildcard('%');
  criteria.SetDateTimeFormat("");
  EXPECT_EQ(2, listener.calls);
  criteria.SetPercentWildcard('*');
  EXPECT_EQ(3, listener.calls);

  // Freeing a condition takes it out of its list, with one notification.
  FreeObject(criteria.Root()->Items(0));
  EXPECT_EQ(4, listener.calls);
  EXPECT_EQ(2, criteria.Root()->Count());
  EXPECT_EQ(nullptr, criteria.Root()->Items(2));
  EXPECT_EQ(nullptr, criteria.Root()->Items(-1));

  criteria.Clear();
  EXPECT_EQ(5, listener.calls);
  EXPECT_TRUE(criteria.IsEmpty());
  EXPECT_EQ(fboAnd, criteria.Root()->BoolOperatorKind());
}

TEST_F(FilterCriteriaTest, AssignCopiesSettingsTreeAndHandler) {
  struct Listener : TObject {
    int calls = 0;
    void Changed(TObject*) { ++calls; }
  } listener;
  criteria.SetOptions(TcxFilterCriteriaOptions{fcoCaseInsensitive, fcoSoftNull});
  criteria.SetPercentWildcard('*');
  criteria.SetUnderscoreWildcard('?');
  criteria.SetMaxValueListCount(7);
  criteria.SetDateTimeFormat("yyyy-mm-dd");
  criteria.SetTranslateBetween(true);
  criteria.SetTranslateIn(true);
  criteria.SetSupportedLike(false);
  criteria.SetOnChanged(TNotifyEvent(&listener, &Listener::Changed));
  criteria.Root()->SetBoolOperatorKind(fboOr);
  criteria.AddItem(nullptr, &name, foLike, "a*", "a*");
  criteria.Root()->AddItemList(fboNotAnd)->AddItem(&age, foBetween, VarArrayOf({1, 2}), "1;2");

  TTestCriteria copy;
  copy.Columns = criteria.Columns;
  copy.Rows = criteria.Rows;
  copy.Assign(&criteria);
  EXPECT_EQ(criteria.Options(), copy.Options());
  EXPECT_EQ('*', copy.PercentWildcard());
  EXPECT_EQ('?', copy.UnderscoreWildcard());
  EXPECT_EQ(7, copy.MaxValueListCount());
  EXPECT_EQ("yyyy-mm-dd", copy.DateTimeFormat());
  EXPECT_TRUE(copy.TranslateBetween());
  EXPECT_TRUE(copy.TranslateIn());
  EXPECT_FALSE(copy.SupportedLike());
  EXPECT_TRUE(copy.OnChanged() == criteria.OnChanged());
  EXPECT_EQ(criteria.GetFilterText(), copy.GetFilterText());
  EXPECT_EQ(describe(criteria.Visible()), describe(copy.Visible()));

  copy.RestoreDefaults();
  EXPECT_TRUE(copy.Options().Empty());
  EXPECT_EQ('%', copy.PercentWildcard());
  EXPECT_EQ('_', copy.UnderscoreWildcard());
  EXPECT_FALSE(copy.TranslateBetween());
  EXPECT_FALSE(copy.TranslateIn());
  EXPECT_TRUE(copy.SupportedLike());
  EXPECT_EQ("yyyy-mm-dd", copy.DateTimeFormat());
  EXPECT_EQ(7, copy.MaxValueListCount());
  EXPECT_EQ(2, copy.Root()->Count());
}

TEST(FilterCriteriaBase, AbstractOperationsRaise) {
  TcxFilterCriteria criteria;
  TObject link;
  EXPECT_THROW(criteria.GetIDByItemLink(&link), EAbstractError);
  EXPECT_THROW(criteria.GetItemLinkByID(0), EAbstractError);
  TcxFilterCriteriaItem* item = criteria.AddItem(nullptr, &link, foEqual, 1, "");
  EXPECT_THROW(item->GetDataValue(0), EAbstractError);
  EXPECT_THROW(item->GetFieldName(), EAbstractError);
  EXPECT_THROW(criteria.EvaluateRecord(0), EAbstractError);
  EXPECT_EQ(item, criteria.FindItemByItemLink(&link));
}

}  // namespace
