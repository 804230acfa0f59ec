// Parameters: the ':name' parser, TParams and TParam.
#include "DataTestSupport.h"

using namespace datatest;

TEST(SqlParameters, NamesAreReplacedByPlaceholdersOutsideQuotesAndComments) {
  struct Case {
    const char* sql;
    const char* text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"select * from T where a = :a and b=:B", "select * from T where a = ? and b=?", {"a", "B"}},
      {"select ':x', [y:z], \"w:v\" from T where c=:c", "select ':x', [y:z], \"w:v\" from T where c=?", {"c"}},
      {"select 10::2", "select 10:2", {}},
      {"where x = :\"my name\" or y = :y", "where x = ? or y = ?", {"my name", "y"}},
      {"-- :not\nwhere a=:a /* :nor */", "-- :not\nwhere a=? /* :nor */", {"a"}},
      {"where a = : b", "where a = : b", {}},
      {"where a = :a or b = :a", "where a = ? or b = ?", {"a", "a"}},
      {"where nome = :nomeação", "where nome = ?", {"nomeação"}},
      {"where d <= #2023-03-01 08:03:00# and e > #3/1/2023 8:03 PM# and f = :f",
       "where d <= #2023-03-01 08:03:00# and e > #3/1/2023 8:03 PM# and f = ?", {"f"}},
      {"select `a:b` from T where n = '#' and m = :m # :x", "select `a:b` from T where n = '#' and m = ? # ?", {"m", "x"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    EXPECT_EQ(ParseSqlParameters(c.sql, names), c.text) << c.sql;
    EXPECT_EQ(names, c.names) << c.sql;
  }
}

TEST(Params, ParseSQLMakesOneParameterPerNameAndKeepsValues) {
  TParams params;
  params.CreateParam(ftInteger, "keep", ptInput)->SetValue(5);
  params.CreateParam(ftString, "gone", ptInput);
  std::string text = params.ParseSQL("select * from T where a = :keep and b = :new and c = :KEEP", true);
  EXPECT_EQ(text, "select * from T where a = ? and b = ? and c = ?");
  ASSERT_EQ(params.Count(), 2);
  EXPECT_EQ(params[0]->Name(), "keep");
  EXPECT_EQ(params[0]->AsInteger(), 5);
  EXPECT_EQ(params[0]->DataType(), ftInteger);
  EXPECT_EQ(params[1]->Name(), "new");
  EXPECT_TRUE(params[1]->IsNull());
  EXPECT_EQ(params[1]->ParamType(), ptInput);
  EXPECT_EQ(params.FindParam("GONE"), nullptr);
  EXPECT_EQ(RaisedMessage<EDatabaseError>([&] { params.ParamByName("gone"); }), "Parameter 'gone' not found");
}

TEST(Params, TypedSettersSetTheTypeAndValuesInferIt) {
  TParams params;
  TParam* p = params.CreateParam(ftUnknown, "p", ptInput);
  struct Case {
    std::function<void(TParam*)> set;
    TFieldType type;
  };
  const Case cases[] = {
      {[](TParam* x) { x->SetAsString("a"); }, ftString},
      {[](TParam* x) { x->SetAsInteger(1); }, ftInteger},
      {[](TParam* x) { x->SetAsSmallInt(1); }, ftSmallint},
      {[](TParam* x) { x->SetAsFloat(1.5); }, ftFloat},
      {[](TParam* x) { x->SetAsCurrency(Currency::FromInt(2)); }, ftCurrency},
      {[](TParam* x) { x->SetAsBCD(Currency::FromInt(2)); }, ftBCD},
      {[](TParam* x) { x->SetAsBoolean(true); }, ftBoolean},
      {[](TParam* x) { x->SetAsDateTime(1); }, ftDateTime},
      {[](TParam* x) { x->SetAsDate(1); }, ftDate},
      {[](TParam* x) { x->SetAsMemo("m"); }, ftMemo},
      {[](TParam* x) { x->SetAsLargeInt(1); }, ftLargeint},
  };
  for (const Case& c : cases) {
    c.set(p);
    EXPECT_EQ(p->DataType(), c.type) << FieldTypeName(c.type);
    EXPECT_TRUE(p->Bound());
  }
  struct Inferred {
    Variant value;
    TFieldType type;
  };
  const Inferred inferred[] = {{Variant(true), ftBoolean},      {Variant(short(1)), ftSmallint},
                               {Variant(1), ftInteger},         {Variant(1.5), ftFloat},
                               {Variant(Currency()), ftBCD},     {VarFromDateTime(1), ftDateTime},
                               {Variant("s"), ftString},        {Variant(static_cast<long long>(1)), ftLargeint}};
  for (const Inferred& c : inferred) {
    TParam* q = params.CreateParam(ftUnknown, "q", ptInput);
    q->SetValue(c.value);
    EXPECT_EQ(q->DataType(), c.type) << VarTypeAsText(c.value.VType());
    q->Free();
  }
}

TEST(Params, ParamValuesReadAndWriteSeveralParameters) {
  TParams params;
  params.CreateParam(ftUnknown, "a", ptInput);
  params.CreateParam(ftUnknown, "b", ptInput);
  params.SetParamValues("a;b", VarArrayOf({1, "x"}));
  Variant v = params.ParamValues("b;a");
  ASSERT_TRUE(v.IsArray());
  EXPECT_EQ(v[0].AsString(), "x");
  EXPECT_EQ(v[1].AsInteger(), 1);
  TParams copy;
  copy.Assign(&params);
  EXPECT_TRUE(copy.IsEqual(&params));
  copy[0]->SetValue(2);
  EXPECT_FALSE(copy.IsEqual(&params));
}

TEST(Params, AParameterTakesAFieldsNameTypeAndValue) {
  FormatGuard formats;
  TTestDataSet ds;
  FillPeople(ds);
  ds.Open();
  TParams params;
  TParam* p = params.CreateParam(ftUnknown, "", ptInput);
  p->AssignField(ds.FieldByName("Salary"));
  EXPECT_EQ(p->Name(), "Salary");
  EXPECT_EQ(p->DataType(), ftFloat);
  EXPECT_EQ(p->AsFloat(), 1500.5);
  p->Clear();
  EXPECT_TRUE(p->IsNull());
}
