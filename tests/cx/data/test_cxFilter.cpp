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
  auto* item = static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0));
  EXPECT_TRUE(Is<TcxFilterNullOperator>(item->Operator()));
  EXPECT_EQ("blank", item->DisplayValue());
  EXPECT_EQ(describe({3}), describe(only(&name, foEqual, "")));
  EXPECT_EQ(describe({0, 1, 3, 4, 5}), describe(only(&name, foNotEqual, Null())));
  // A not-like condition on Null is a not-null test, not a pattern.
  EXPECT_EQ(describe({0, 1, 3, 4, 5}), describe(only(&name, foNotLike, Null())));
  EXPECT_EQ(describe({2}), describe(only(&name, foLike, Null())));

  criteria.SetOptions(TcxFilterCriteriaOptions{fcoSoftNull});
  // With it, an equal condition on the empty text becomes a null test: Null and ''.
  EXPECT_EQ(describe({2, 3}), describe(only(&name, foEqual, "")));
  item = static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0));
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
  // A list mixing kinds: an element that cannot be compared is not the value, and does not
  // hide a later element that is.
  EXPECT_EQ(describe({1, 3, 5}), describe(only(&age, foInList, VarArrayOf({60, "unknown", 18}))));
  EXPECT_EQ(describe({1}), describe(only(&age, foInList, VarArrayOf({2.5, "unknown"}))));
  EXPECT_EQ(describe({0, 2, 3, 4, 5}), describe(only(&age, foNotInList, VarArrayOf({7, "unknown"}))));
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

// ---------------------------------------------------------------------------------------
// Expression and caption texts

class FilterTextTest : public FilterCriteriaTest {
protected:
  TTestColumn pair{"A; B ", "A and B"};
  void SetUp() override {
    FilterCriteriaTest::SetUp();
    criteria.Columns.push_back(&pair);
  }
  void add(TObject* AColumn, TcxFilterOperatorKind AKind, const Variant& AValue, const std::string& ADisplay) {
    criteria.AddItem(nullptr, AColumn, AKind, AValue, ADisplay);
  }
  void described(bool AOn) {
    criteria.SetOptions(AOn ? TcxFilterCriteriaOptions{fcoShowOperatorDescription} : TcxFilterCriteriaOptions{});
  }
};

TEST_F(FilterTextTest, AndOrAndNegatedLists) {
  add(&name, foLike, "J%", "J%");
  add(&age, foGreater, 30, "30");
  EXPECT_EQ("(NAME LIKE 'J%') AND (AGE > 30)", criteria.GetFilterText());
  EXPECT_EQ("(Name LIKE J%) and (Age > 30)", criteria.GetFilterCaption());
  described(true);
  EXPECT_EQ("(Name begins with J) and (Age is greater than 30)", criteria.GetFilterCaption());
  criteria.Root()->SetBoolOperatorKind(fboNotOr);
  EXPECT_EQ("NOT ((NAME LIKE 'J%') OR (AGE > 30))", criteria.GetFilterText());
  EXPECT_EQ("not ((Name begins with J) or (Age is greater than 30))", criteria.GetFilterCaption());
  criteria.Root()->SetBoolOperatorKind(fboOr);
  criteria.Root()->AddItemList(fboNotAnd)->AddItem(&age, foEqual, 1, "1");
  EXPECT_EQ("(NAME LIKE 'J%') OR (AGE > 30) OR (NOT ((AGE = 1)))", criteria.GetFilterText());
}

// An empty list contributes nothing, whatever its kind: neither 'NOT ()' nor '()' is an
// expression the data layer could read, and an empty list filters nothing out.
TEST_F(FilterTextTest, EmptyListsGiveNoText) {
  criteria.Root()->SetBoolOperatorKind(fboNotAnd);
  EXPECT_EQ("", criteria.GetFilterText());
  EXPECT_EQ("", criteria.GetFilterCaption());
  criteria.Root()->SetBoolOperatorKind(fboAnd);
  criteria.Root()->AddItemList(fboNotOr);
  add(&age, foGreater, 30, "30");
  criteria.Root()->AddItemList(fboOr)->AddItemList(fboNotAnd);
  EXPECT_EQ("(AGE > 30)", criteria.GetFilterText());
  EXPECT_EQ("(Age > 30)", criteria.GetFilterCaption());
}

TEST_F(FilterTextTest, ConditionTexts) {
  struct Case {
    const char* what;
    TObject* column;
    TcxFilterOperatorKind kind;
    Variant value;
    const char* display;
    const char* expression;
    const char* caption;             // without operator descriptions
    const char* describedCaption;    // with them
  } cases[] = {
      {"between", &age, foBetween, VarArrayOf({1, 5}), "1;5", "(AGE BETWEEN 1 AND 5)", "(Age between 1 and 5)",
       "(Age between 1 and 5)"},
      {"not between", &age, foNotBetween, VarArrayOf({1, 5}), " 1 ; 5 ", "(AGE NOT BETWEEN 1 AND 5)",
       "(Age not between 1 and 5)", "(Age not between 1 and 5)"},
      {"between, one display item", &age, foBetween, VarArrayOf({1, 5}), "1", "(AGE BETWEEN 1 AND 5)",
       "(Age between 1 and )", "(Age between 1 and )"},
      {"in", &age, foInList, VarArrayOf({1, 2}), "1;2", "(AGE IN (1, 2))", "(Age in (1, 2))", "(Age in (1, 2))"},
      {"not in, no display items", &age, foNotInList, VarArrayOf({1, 2}), "", "(AGE NOT IN (1, 2))",
       "(Age not in ())", "(Age not in ())"},
      {"equal to null", &name, foEqual, Null(), "", "(NAME = NULL)", "(Name = blank)", "(Name is blank)"},
      {"not equal to null", &name, foNotEqual, Null(), "", "(NAME <> NULL)", "(Name <> blank)",
       "(Name is not blank)"},
      {"quotes in a text are doubled", &name, foEqual, "O'Brien", "O'Brien", "(NAME = 'O''Brien')",
       "(Name = O'Brien)", "(Name equals O'Brien)"},
      {"not like", &name, foNotLike, "%a%", "%a%", "(NAME NOT LIKE '%a%')", "(Name NOT LIKE %a%)",
       "(Name does not contain a)"},
      {"like, ends with", &name, foLike, "%%a", "%%a", "(NAME LIKE '%%a')", "(Name LIKE %%a)", "(Name ends with a)"},
      {"like, plain", &name, foLike, "a_b", "a_b", "(NAME LIKE 'a_b')", "(Name LIKE a_b)", "(Name like a_b)"},
      {"not like, begins", &name, foNotLike, "a%", "a%", "(NAME NOT LIKE 'a%')", "(Name NOT LIKE a%)",
       "(Name does not begin with a)"},
      {"not like, ends", &name, foNotLike, "%a", "%a", "(NAME NOT LIKE '%a')", "(Name NOT LIKE %a)",
       "(Name does not end with a)"},
      {"not like, plain", &name, foNotLike, "a", "a", "(NAME NOT LIKE 'a')", "(Name NOT LIKE a)",
       "(Name not like a)"},
      {"boolean", &flag, foNotEqual, true, "Sim", "(FLAG <> True)", "(Flag <> Sim)", "(Flag does not equal Sim)"},
      {"double", &price, foLessEqual, 2.5, "2,5", "(PRICE <= 2.5)", "(Price <= 2,5)",
       "(Price is less than or equal to 2,5)"},
      {"less", &price, foLess, -1, "-1", "(PRICE < -1)", "(Price < -1)", "(Price is less than -1)"},
      {"greater or equal", &price, foGreaterEqual, 0, "0", "(PRICE >= 0)", "(Price >= 0)",
       "(Price is greater than or equal to 0)"},
      {"over several fields", &pair, foEqual, VarArrayOf({1, "x"}), "1;x", "((A = 1) AND (B = 'x'))",
       "(A and B = 1;x)", "(A and B equals 1;x)"},
      {"not over several fields", &pair, foNotEqual, VarArrayOf({1, "x"}), "1;x", "(NOT ((A = 1) AND (B = 'x')))",
       "(A and B <> 1;x)", "(A and B does not equal 1;x)"},
  };
  for (const Case& c : cases) {
    criteria.Clear();
    described(false);
    add(c.column, c.kind, c.value, c.display);
    EXPECT_EQ(c.expression, criteria.GetFilterText()) << c.what;
    EXPECT_EQ(c.caption, criteria.GetFilterCaption()) << c.what;
    described(true);
    EXPECT_EQ(c.describedCaption, criteria.GetFilterCaption()) << c.what;
  }
}

TEST_F(FilterTextTest, TranslatedBetweenAndIn) {
  criteria.SetTranslateBetween(true);
  criteria.SetTranslateIn(true);
  struct Case {
    TcxFilterOperatorKind kind;
    Variant value;
    const char* expression;
    const char* caption;
  } cases[] = {
      {foBetween, VarArrayOf({1, 5}), "((1 <= AGE) AND (AGE <= 5))", "(Age between 1 and 5)"},
      {foNotBetween, VarArrayOf({1, 5}), "(NOT ((1 <= AGE) AND (AGE <= 5)))", "(Age not between 1 and 5)"},
      {foInList, VarArrayOf({1, 2, 3}), "((AGE = 1) OR (AGE = 2) OR (AGE = 3))", "(Age in (1, 5))"},
      {foNotInList, VarArrayOf({1, 2}), "(NOT ((AGE = 1) OR (AGE = 2)))", "(Age not in (1, 5))"},
  };
  for (const Case& c : cases) {
    criteria.Clear();
    add(&age, c.kind, c.value, "1;5");
    EXPECT_EQ(c.expression, criteria.GetFilterText()) << "operator kind " << c.kind;
    EXPECT_EQ(c.caption, criteria.GetFilterCaption()) << "operator kind " << c.kind;
  }
}

TEST_F(FilterTextTest, DateTexts) {
  add(&born, foToday, Null(), "ignored");
  add(&born, foGreater, Variant::MakeDate(EncodeDate(2026, 3, 4) + 0.5), "04/03/2026");
  criteria.SetDateTimeFormat("yyyy-mm-dd hh:nn");
  EXPECT_EQ("(('2026-12-15 00:00' <= BORN) AND (BORN < '2026-12-16 00:00')) AND (BORN > '2026-03-04 12:00')",
            criteria.GetFilterText());
  EXPECT_EQ("(Born is today) and (Born > 04/03/2026)", criteria.GetFilterCaption());
  criteria.SetDateTimeFormat("");
  std::string plain = VarToStr(Variant::MakeDate(EncodeDate(2026, 3, 4) + 0.5));
  EXPECT_NE(std::string::npos, criteria.GetFilterText().find("(BORN > '" + plain + "')")) << criteria.GetFilterText();
  // Yesterday's ranges follow the criteria's clock into the text too.
  criteria.Today += 1;
  criteria.SetDateTimeFormat("yyyy-mm-dd");
  EXPECT_EQ(0u, criteria.GetFilterText().find("(('2026-12-16' <= BORN) AND (BORN < '2026-12-17'))"))
      << criteria.GetFilterText();
}

// ---------------------------------------------------------------------------------------
// The binary criteria stream

std::string hexOf(TMemoryStream& S) {
  std::string out;
  char buf[4];
  const auto* p = static_cast<const unsigned char*>(S.Memory());
  for (Int64 i = 0; i < S.Size(); ++i) {
    std::snprintf(buf, sizeof(buf), "%02X", p[i]);
    out += buf;
  }
  return out;
}

// Every node in order: lists with their kinds, conditions with operator kind, item link,
// display value and value (type and text; arrays element by element).
// AKinds false leaves the value kinds out (the stream gives integers the smallest kind).
std::string dumpValue(const Variant& V, bool AKinds) {
  if (VarIsArray(V)) {
    std::string s = "[";
    for (Integer i = VarArrayLowBound(V, 1); i <= VarArrayHighBound(V, 1); ++i)
      s += (i > VarArrayLowBound(V, 1) ? "," : "") + dumpValue(VarArrayGet(V, {i}), AKinds);
    return s + "]";
  }
  return (AKinds ? VarTypeAsText(VarType(V)) + ":" : std::string()) +
         (VarIsNull(V) ? std::string("Null") : VarToStr(V));
}

std::string dumpList(TcxFilterCriteriaItemList* L, TTestCriteria& C, bool AKinds = true) {
  std::string s = "L" + std::to_string(L->BoolOperatorKind()) + "(";
  for (Integer i = 0; i < L->Count(); ++i) {
    TcxCustomFilterCriteriaItem* node = L->Items(i);
    if (node->IsItemList()) {
      s += dumpList(static_cast<TcxFilterCriteriaItemList*>(node), C, AKinds);
    } else {
      auto* item = static_cast<TcxFilterCriteriaItem*>(node);
      s += "C" + std::to_string(item->OperatorKind()) + "#" + std::to_string(C.GetIDByItemLink(item->ItemLink())) +
           "'" + item->DisplayValue() + "'=" + dumpValue(item->Value(), AKinds);
    }
    s += ";";
  }
  return s + ")";
}

class FilterStreamTest : public FilterCriteriaTest {
protected:
  std::string dump(TTestCriteria& C) { return dumpList(C.Root(), C); }
  void buildRichTree() {
    criteria.Root()->SetBoolOperatorKind(fboNotOr);
    add(&name, foEqual, "Ana", "Ana");
    add(&name, foEqual, Variant::MakeOleStr("ação"), "ação");
    add(&name, foLike, std::string(300, 'x') + "%", "long");
    add(&name, foEqual, Null(), "");
    add(&age, foEqual, 5, "5");
    add(&age, foGreater, 1000, "1000");
    add(&age, foLess, 100000, "100000");
    add(&price, foEqual, 2.5, "2,5");
    add(&price, foNotEqual, Currency::FromDouble(1.2345), "1,2345");
    add(&born, foGreaterEqual, Variant::MakeDate(EncodeDate(2026, 3, 4) + 0.25), "04/03/2026 06:00");
    add(&flag, foEqual, true, "Sim");
    add(&flag, foEqual, false, "Não");
    add(&age, foEqual, Unassigned(), "");
    TcxFilterCriteriaItemList* nested = criteria.Root()->AddItemList(fboOr);
    nested->AddItem(&age, foBetween, VarArrayOf({1, 5}), "1;5");
    nested->AddItem(&name, foInList, VarArrayOf({"a", Null(), 2.5}), "a;;2,5");
    TcxFilterCriteriaItemList* deeper = nested->AddItemList(fboNotAnd);
    deeper->AddItem(&born, foThisMonth, Null(), "");
    deeper->AddItemList(fboAnd);
    criteria.AddItem(criteria.Root()->AddItemList(fboAnd), nullptr, foNotLike, "%z", "%z");
  }
  void add(TObject* AColumn, TcxFilterOperatorKind AKind, const Variant& AValue, const std::string& ADisplay) {
    criteria.AddItem(nullptr, AColumn, AKind, AValue, ADisplay);
  }
  TTestCriteria& fresh() {
    other.Columns = criteria.Columns;
    other.Rows = criteria.Rows;
    return other;
  }
  TTestCriteria other;
};

TEST_F(FilterStreamTest, LayoutOfASmallTree) {
  criteria.Root()->SetBoolOperatorKind(fboOr);
  add(&age, foEqual, 5, "5");
  criteria.Root()->AddItemList(fboNotAnd);
  TMemoryStream stream;
  criteria.WriteData(&stream);
  EXPECT_EQ("FFFFFFFF"  // marker
            "01"        // root kind Or
            "02000000"  // two children
            "00" "00" "01000000" "35" "01000000" "0205"  // condition: Equal, '5', item 1, ShortInt 5
            "01" "02" "00000000",                        // empty NotAnd list
            hexOf(stream));
}

TEST_F(FilterStreamTest, RoundTripOfEveryValueType) {
  buildRichTree();
  TMemoryStream stream;
  criteria.WriteData(&stream);
  stream.SetPosition(0);
  TTestCriteria& copy = fresh();
  copy.ReadData(&stream);
  EXPECT_EQ(stream.Size(), stream.Position());

  // Writing the tree read back gives the same bytes.
  TMemoryStream again;
  copy.WriteData(&again);
  EXPECT_EQ(hexOf(stream), hexOf(again));

  // The kinds the stream keeps come back as they were; small integers come back as the
  // smallest kind that holds them, equal in value.
  std::string restored = dump(copy);
  EXPECT_NE(std::string::npos, restored.find("'ação'=OleStr:ação")) << restored;
  EXPECT_NE(std::string::npos, restored.find("=Currency:1.2345")) << restored;
  EXPECT_NE(std::string::npos, restored.find("=Double:2.5")) << restored;
  EXPECT_NE(std::string::npos, restored.find("=Boolean:True")) << restored;
  EXPECT_NE(std::string::npos, restored.find("'blank'=Null:Null")) << restored;
  EXPECT_NE(std::string::npos, restored.find("=Empty:")) << restored;
  EXPECT_NE(std::string::npos, restored.find("=[String:a,Null:Null,Double:2.5]")) << restored;
  EXPECT_NE(std::string::npos, restored.find("C2#1'100000'=Integer:100000")) << restored;
  EXPECT_NE(std::string::npos, restored.find("C4#1'1000'=Smallint:1000")) << restored;
  EXPECT_EQ(criteria.GetFilterText(), copy.GetFilterText());
  EXPECT_EQ(criteria.GetFilterCaption(), copy.GetFilterCaption());
  EXPECT_EQ(describe(criteria.Visible()), describe(copy.Visible()));
  EXPECT_EQ(fboNotOr, copy.Root()->BoolOperatorKind());
  Variant date = static_cast<TcxFilterCriteriaItem*>(copy.Root()->Items(9))->Value();
  EXPECT_EQ(varDate, VarType(date));
  EXPECT_EQ(EncodeDate(2026, 3, 4) + 0.25, date.AsDateTime());
  // The condition without an item came back without one.
  auto* last = static_cast<TcxFilterCriteriaItemList*>(copy.Root()->Items(copy.Root()->Count() - 1));
  EXPECT_EQ(nullptr, static_cast<TcxFilterCriteriaItem*>(last->Items(0))->ItemLink());
  EXPECT_EQ(dumpList(criteria.Root(), criteria, false), dumpList(copy.Root(), copy, false));
}

TEST_F(FilterStreamTest, OlderFormWithoutMarkerReadsWithAnAndRoot) {
  criteria.Root()->SetBoolOperatorKind(fboOr);
  add(&age, foEqual, 5, "5");
  TMemoryStream stream;
  criteria.WriteData(&stream);
  TMemoryStream older;
  older.Write(static_cast<const char*>(stream.Memory()) + 5, static_cast<Integer>(stream.Size() - 5));
  older.SetPosition(0);
  TTestCriteria& copy = fresh();
  copy.Root()->SetBoolOperatorKind(fboNotOr);
  copy.ReadData(&older);
  EXPECT_EQ(fboAnd, copy.Root()->BoolOperatorKind());
  EXPECT_EQ("(AGE = 5)", copy.GetFilterText());
}

// A stream cut anywhere is refused with a read error, and the criteria keep the tree and
// settings they had, without a change notification.
TEST_F(FilterStreamTest, TruncatedStreamLeavesTheCriteriaAsTheyWere) {
  buildRichTree();
  TMemoryStream stream;
  criteria.WriteData(&stream);
  TTestCriteria& target = fresh();
  target.Root()->SetBoolOperatorKind(fboOr);
  target.AddItem(nullptr, &age, foEqual, 7, "7");
  std::string before = dump(target);
  int changes = target.ChangeCount;
  const auto* bytes = static_cast<const char*>(stream.Memory());
  for (Int64 length = 0; length < stream.Size(); ++length) {
    TMemoryStream cut;
    if (length > 0) cut.Write(bytes, static_cast<Integer>(length));
    cut.SetPosition(0);
    EXPECT_THROW(target.ReadData(&cut), EReadError) << "cut at " << length;
    ASSERT_EQ(before, dump(target)) << "cut at " << length;
  }
  EXPECT_EQ(changes, target.ChangeCount);
  EXPECT_EQ("(AGE = 7)", target.GetFilterText());
}

TEST_F(FilterStreamTest, CorruptStreamsAreRefused) {
  auto bytesOf = [](std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
  };
  std::string nested;  // 300 lists, each inside the one before
  for (int i = 0; i < 300; ++i) nested += bytesOf({1, 0, 1, 0, 0, 0});
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"root kind 4", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 0})},
      {"negative root count", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFE, 0xFF, 0xFF, 0xFF})},
      {"negative count in the older form", bytesOf({0xFE, 0xFF, 0xFF, 0xFF})},
      {"list kind 9", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 1, 9, 0, 0, 0, 0})},
      {"negative list count", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF})},
      {"operator kind 24", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 24, 0, 0, 0, 0, 1, 0, 0, 0, 0})},
      {"negative display length",
       bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0})},
      {"huge display length", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x41})},
      {"variant tag 99", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 99})},
      {"huge root count", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 0, 0})},
      {"lists nested too deep", bytesOf({0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0}) + nested},
  };
  add(&age, foEqual, 7, "7");
  std::string before = dump(criteria);
  for (const Case& c : cases) {
    TMemoryStream stream;
    stream.Write(c.bytes.data(), static_cast<Integer>(c.bytes.size()));
    stream.SetPosition(0);
    EXPECT_EQ("Stream read error", RaisedMessage<EReadError>([&] { criteria.ReadData(&stream); })) << c.what;
    EXPECT_EQ(before, dump(criteria)) << c.what;
  }
}

// An item ID that names no item gives a condition without an item; it compares the value
// the descendant answers for no item (here Null).
TEST_F(FilterStreamTest, UnknownItemIDGivesAConditionWithoutItem) {
  add(&age, foEqual, Null(), "");
  TMemoryStream stream;
  criteria.WriteData(&stream);
  TTestCriteria& copy = fresh();
  copy.Columns.resize(1);  // AGE (ID 1) is unknown here
  stream.SetPosition(0);
  copy.ReadData(&stream);
  ASSERT_EQ(1, copy.Root()->Count());
  EXPECT_EQ(nullptr, static_cast<TcxFilterCriteriaItem*>(copy.Root()->Items(0))->ItemLink());
  EXPECT_EQ(describe({0, 1, 2, 3, 4, 5}), describe(copy.Visible()));
}

TEST_F(FilterStreamTest, ReadingReplacesTheTreeWithOneNotification) {
  add(&age, foEqual, 1, "1");
  TMemoryStream stream;
  criteria.WriteData(&stream);
  TTestCriteria& target = fresh();
  target.AddItem(nullptr, &name, foEqual, "x", "x");
  target.AddItem(nullptr, &name, foEqual, "y", "y");
  int changes = target.ChangeCount;
  stream.SetPosition(0);
  target.ReadData(&stream);
  EXPECT_EQ(changes + 1, target.ChangeCount);
  EXPECT_EQ("(AGE = 1)", target.GetFilterText());
}

TEST_F(FilterStreamTest, ComponentStreamCarriesThePublishedProperties) {
  criteria.SetOptions(TcxFilterCriteriaOptions{fcoCaseInsensitive, fcoSoftCompare});
  criteria.SetPercentWildcard('*');
  criteria.SetUnderscoreWildcard('?');
  criteria.SetMaxValueListCount(12);
  add(&age, foEqual, 1, "1");
  TMemoryStream stream;
  criteria.SaveToStream(&stream);
  stream.SetPosition(0);
  TTestCriteria& copy = fresh();
  copy.AddItem(nullptr, &name, foEqual, "x", "x");
  int changes = copy.ChangeCount;
  copy.LoadFromStream(&stream);
  EXPECT_EQ(criteria.Options(), copy.Options());
  EXPECT_EQ('*', copy.PercentWildcard());
  EXPECT_EQ('?', copy.UnderscoreWildcard());
  EXPECT_EQ(12, copy.MaxValueListCount());
  EXPECT_EQ(changes + 1, copy.ChangeCount);
  // The base criteria define no stored tree: the copy keeps its own.
  EXPECT_EQ("(NAME = 'x')", copy.GetFilterText());
}

}  // namespace
