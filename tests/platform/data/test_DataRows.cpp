// The rows a data set holds, kept encoded: every kind of value comes back as it went in, and
// keys, replacements, insertions and deletions behave as on plain vectors.
#include <cmath>
#include <string>
#include <vector>

#include "DataTestSupport.h"
#include "platform/data/DB.h"
#include "platform/data/FMTBcd.h"

namespace {

// Same kind and same value (NaN-free values only).
void expectSame(const Variant& got, const Variant& expected, const std::string& what) {
  EXPECT_EQ(got.VType(), expected.VType()) << what;
  if (got.VType() == expected.VType() && !expected.IsArray()) {
    EXPECT_TRUE(VarSameValue(got, expected)) << what;
  }
}

}  // namespace

TEST(DataRows, EveryKindOfValueComesBackWithItsKindAndValue) {
  std::string withZeroAndEscape("a\0b\x81{1F600}\xFF", 13);
  Variant array = VarArrayCreate({0, 2}, varInteger);
  array.PutElement({1}, Variant(42));
  struct Case {
    const char* what;
    Variant value;
  } cases[] = {
      {"empty", Variant()},
      {"null", Null()},
      {"smallint", Variant(static_cast<short>(-32768))},
      {"integer", Variant(static_cast<int>(-2147483647 - 1))},
      {"shortint", Variant(static_cast<signed char>(-5))},
      {"byte", Variant(static_cast<unsigned char>(255))},
      {"word", Variant(static_cast<unsigned short>(65535))},
      {"longword", Variant(static_cast<unsigned int>(4294967295u))},
      {"int64", Variant(static_cast<long long>(-9223372036854775807LL - 1))},
      {"int64 large", Variant(static_cast<long long>(9223372036854775807LL))},
      {"true", Variant(true)},
      {"false", Variant(false)},
      {"currency", Variant(Currency::FromScaled(-123456789012345LL))},
      {"error", Variant::MakeError(-2147352572)},
      {"single", Variant(0.15f)},
      {"double", Variant(-1.2345678901234567e-300)},
      {"negative zero", Variant(-0.0)},
      {"date", Variant::MakeDate(45000.75)},
      {"OLE string", Variant::MakeOleStr(withZeroAndEscape)},
      {"long OLE string", Variant::MakeOleStr(std::string(5000, 'x'))},
      {"empty string", Variant(std::string())},
      {"8-bit string", Variant(std::string("S\xE3o Paulo"))},
      {"BCD (a custom kind)", VarFMTBcdCreate("12345.6789", 18, 4)},
  };
  TDataRows rows;
  std::vector<Variant> all;
  for (const Case& c : cases) all.push_back(c.value);
  rows.Append(all);
  rows.Append({Variant(1), array});  // an array: kept as it is
  std::vector<Variant> back = rows.Row(0);
  ASSERT_EQ(back.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) expectSame(back[i], all[i], cases[i].what);
  EXPECT_TRUE(std::signbit(back[16].AsDouble())) << "negative zero keeps its sign";
  EXPECT_EQ(back[18].RawString(), withZeroAndEscape) << "every byte of a text, a zero byte included";
  std::vector<Variant> withArray = rows.Row(1);
  ASSERT_EQ(withArray.size(), 2u);
  ASSERT_TRUE(withArray[1].IsArray());
  EXPECT_EQ(withArray[1][1].AsInteger(), 42);
}

TEST(DataRows, KeysReplacementsInsertionsAndDeletions) {
  TDataRows rows;
  // Rows large enough that replacing them all twice makes the storage move to a new arena.
  auto row = [](int n, int version) {
    return std::vector<Variant>{Variant(n), Variant::MakeOleStr(std::string(400, static_cast<char>('a' + version)) + std::to_string(n))};
  };
  std::vector<Int64> keys;
  for (int n = 0; n < 6000; ++n) keys.push_back(rows.Append(row(n, 0)));
  for (int version = 1; version <= 3; ++version)
    for (int n = 0; n < 6000; ++n) rows.SetRow(n, row(n, version));
  for (int n = 0; n < 6000; n += 997) {
    EXPECT_EQ(rows.Key(n), keys[static_cast<size_t>(n)]);
    EXPECT_EQ(rows.IndexOfKey(keys[static_cast<size_t>(n)]), n);
    std::vector<Variant> v = rows.Row(n);
    EXPECT_EQ(v[0].AsInteger(), n);
    EXPECT_EQ(v[1].AsString(), std::string(400, 'd') + std::to_string(n)) << n;
  }
  EXPECT_LT(rows.MemoryUsed(), 6000u * 2 * 420) << "replaced rows' bytes are given back";

  // Deleting keeps the keys of the others; an insertion in the middle is found by its key too.
  rows.Delete(0);
  EXPECT_EQ(rows.IndexOfKey(keys[0]), -1);
  EXPECT_EQ(rows.IndexOfKey(keys[1]), 0);
  Int64 inserted = rows.Insert(10, {Variant(-1), Null()});
  EXPECT_EQ(rows.IndexOfKey(inserted), 10);
  EXPECT_EQ(rows.IndexOfKey(keys[11]), 11);
  EXPECT_EQ(rows.IndexOfKey(keys[5999]), 5999);
  EXPECT_EQ(rows.Row(10)[0].AsInteger(), -1);
  EXPECT_TRUE(rows.Row(10)[1].IsNull());
  rows.Delete(10);
  EXPECT_EQ(rows.IndexOfKey(inserted), -1);
  EXPECT_EQ(rows.Row(10)[0].AsInteger(), 11);
  rows.Clear();
  EXPECT_EQ(rows.Count(), 0);
  EXPECT_EQ(rows.IndexOfKey(keys[1]), -1);
  Int64 after = rows.Append(row(7, 0));
  EXPECT_GT(after, inserted) << "keys are never handed out twice";
  EXPECT_EQ(rows.IndexOfKey(after), 0);
}

// Strings of every size, from a byte to more than the largest block, stay readable where they
// were put while later ones fill and open further blocks.
TEST(DataRows, ArenaStringsStayWhereTheyWereAcrossBlocks) {
  ByteArena arena;
  std::vector<std::string> texts;
  std::vector<const unsigned char*> places;
  const size_t sizes[] = {0, 1, 1000, 30, 2000, 5000, 70000, 1 << 20, 3 << 20, 17, 600000, 600000, 600000};
  size_t total = 0;
  for (size_t i = 0; i < 40; ++i) {
    const size_t n = sizes[i % (sizeof sizes / sizeof *sizes)] + i % 7;
    std::string text(n, '\0');
    for (size_t k = 0; k < n; ++k) text[k] = static_cast<char>('a' + (i * 31 + k) % 26);
    places.push_back(arena.Add(text));
    texts.push_back(std::move(text));
    total += n;
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(ByteArena::Size(places[i]), texts[i].size()) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ByteArena::Data(places[i])), texts[i].size()), texts[i]) << i;
  }
  EXPECT_GE(arena.Used(), total);
  arena.Clear();
  EXPECT_EQ(arena.Used(), 0u);
  const unsigned char* again = arena.Add("after clear");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ByteArena::Data(again)), ByteArena::Size(again)), "after clear");
}
