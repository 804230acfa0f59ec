// SqlTimSt: SQL time stamps, their conversions, and the variant kind.
#include "DataTestSupport.h"

using namespace datatest;

TEST(SqlTimSt, DateTimeRoundTripsThroughTheStampFields) {
  TDateTime d = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 125);
  TSQLTimeStamp ts = DateTimeToSQLTimeStamp(d);
  EXPECT_EQ(ts.Year, 1999);
  EXPECT_EQ(ts.Month, 12);
  EXPECT_EQ(ts.Day, 31);
  EXPECT_EQ(ts.Hour, 23);
  EXPECT_EQ(ts.Minute, 59);
  EXPECT_EQ(ts.Second, 58);
  EXPECT_EQ(ts.Fractions, 125u) << "fractions are milliseconds";
  EXPECT_NEAR(SQLTimeStampToDateTime(ts), d, 1e-9);
  // Before 1899-12-30 the day counts back while the time still counts forward.
  TDateTime old = EncodeDate(1899, 12, 29);
  TDateTime oldAtSix = old - 0.25;
  EXPECT_NEAR(SQLTimeStampToDateTime(DateTimeToSQLTimeStamp(oldAtSix)), oldAtSix, 1e-9);
  EXPECT_EQ(DateTimeToSQLTimeStamp(oldAtSix).Hour, 6);
}

TEST(SqlTimSt, TheNullStampIsDayZeroAndBadStampsRaise) {
  EXPECT_EQ(SQLTimeStampToDateTime(NullSQLTimeStamp), 0.0);
  TSQLTimeStamp bad{2021, 13, 1, 0, 0, 0, 0};
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { SQLTimeStampToDateTime(bad); }), "Invalid argument to date encode");
  TSQLTimeStamp badTime{2021, 1, 1, 24, 0, 0, 0};
  EXPECT_EQ(RaisedMessage<EConvertError>([&] { CheckSqlTimeStamp(badTime); }), "Invalid argument to time encode");
  TSQLTimeStamp badFraction{2021, 1, 1, 0, 0, 0, 1000};
  EXPECT_THROW(CheckSqlTimeStamp(badFraction), EConvertError);
}

TEST(SqlTimSt, TextGoesThroughTheDateTimeFormats) {
  FormatGuard formats;
  TSQLTimeStamp ts = StrToSQLTimeStamp("02/03/2004 05:06:07");
  EXPECT_EQ(ts.Day, 2);
  EXPECT_EQ(ts.Month, 3);
  EXPECT_EQ(ts.Second, 7);
  EXPECT_EQ(SQLTimeStampToStr("yyyy-mm-dd hh:nn", ts), "2004-03-02 05:06");
  EXPECT_EQ(SQLTimeStampToStr("", ts), "02/03/2004 05:06:07");
  TSQLTimeStamp out;
  EXPECT_FALSE(TryStrToSQLTimeStamp("not a date", out));
  EXPECT_THROW(StrToSQLTimeStamp("32/01/2004"), EConvertError);
}

TEST(SqlTimStVariant, TheVariantKindConvertsAndCompares) {
  FormatGuard formats;
  TDateTime d = EncodeDate(2010, 6, 15) + EncodeTime(12, 0, 0, 0);
  Variant v = VarSQLTimeStampCreate(d);
  EXPECT_TRUE(VarIsSQLTimeStamp(v));
  EXPECT_EQ(VarType(v), VarSQLTimeStamp());
  EXPECT_NE(VarSQLTimeStamp(), VarFMTBcd());
  EXPECT_EQ(VarToStr(v), "15/06/2010 12:00:00");
  EXPECT_EQ(VarToDateTime(v), d);
  EXPECT_EQ(VarType(VarAsType(v, varDate)), varDate);
  EXPECT_TRUE(v == VarFromDateTime(d));
  EXPECT_TRUE(v < VarSQLTimeStampCreate(d + 1.0 / 86400));
  EXPECT_TRUE(v > Variant("14/06/2010"));
  Variant next = v + Variant(1);
  EXPECT_EQ(VarToDateTime(next), d + 1) << "moving a stamp by days";
  EXPECT_EQ((VarSQLTimeStampCreate(d + 2) - v).AsDouble(), 2.0) << "two stamps differ by days";
  EXPECT_EQ(VarToSQLTimeStamp(Variant("15/06/2010 12:00")).Hour, 12);
  EXPECT_THROW(VarToSQLTimeStamp(Variant("nonsense")), EVariantTypeCastError);
  EXPECT_THROW(VarToSQLTimeStamp(Null()), EVariantTypeCastError);
}
