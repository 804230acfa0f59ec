// OLE automation dates and Jet's #date# literals.
#include "platform/native/OleDate.h"

#include <gtest/gtest.h>

using namespace native::oledate;

TEST(OleDate, KnownDatesBothWays) {
  struct Case {
    DateParts parts;
    double ole;
  } cases[] = {
      {{1899, 12, 30, 0, 0, 0}, 0.0},
      {{1899, 12, 31, 0, 0, 0}, 1.0},
      {{1900, 1, 1, 18, 0, 0}, 2.75},
      {{1994, 8, 4, 0, 0, 0}, 34550.0},   // nwind's first order date
      {{2021, 12, 2, 0, 0, 0}, 44532.0},
      {{1899, 12, 29, 6, 0, 0}, -1.25},  // before the epoch the time still counts forward
      {{1898, 1, 1, 0, 0, 0}, -728.0},
      {{9999, 12, 31, 0, 0, 0}, 2958465.0},
      {{2000, 2, 29, 12, 30, 0}, 36585.5208333333},
  };
  for (const Case& c : cases) {
    double ole = 0;
    ASSERT_TRUE(fromParts(c.parts, ole)) << c.ole;
    EXPECT_NEAR(ole, c.ole, 1e-9);
    DateParts back = toParts(c.ole);
    EXPECT_EQ(back.year, c.parts.year) << c.ole;
    EXPECT_EQ(back.month, c.parts.month) << c.ole;
    EXPECT_EQ(back.day, c.parts.day) << c.ole;
    EXPECT_EQ(back.hour, c.parts.hour) << c.ole;
    EXPECT_EQ(back.minute, c.parts.minute) << c.ole;
  }
}

TEST(OleDate, RejectsImpossibleDates) {
  double ole;
  EXPECT_FALSE(fromParts({2023, 2, 29, 0, 0, 0}, ole));
  EXPECT_FALSE(fromParts({2023, 13, 1, 0, 0, 0}, ole));
  EXPECT_FALSE(fromParts({2023, 4, 31, 0, 0, 0}, ole));
  EXPECT_FALSE(fromParts({2023, 1, 1, 24, 0, 0}, ole));
}

TEST(OleDate, JetLiteralForms) {
  struct Case {
    const char* body;
    double ole;
  } cases[] = {
      {"8/4/1994", 34550.0},           {"08/04/94", 34550.0},  {"1994-08-04", 34550.0},
      {"1/1/29", 47119.0},             // two-digit years below 30 are 20xx
      {"1/1/30", 10959.0},             // ... and from 30 on, 19xx
      {"8/4/1994 18:00", 34550.75},    {"8/4/1994 6:00 PM", 34550.75}, {"8/4/1994 12:00 AM", 34550.0},
      {"8/4/1994 06:00:30", 34550.0 + (6 * 3600 + 30) / 86400.0},     {" 12:00 ", 0.5},
  };
  for (const Case& c : cases) {
    double ole = -99999;
    EXPECT_TRUE(parseJetLiteral(c.body, ole)) << c.body;
    EXPECT_NEAR(ole, c.ole, 1e-9) << c.body;
  }
  for (const char* bad : {"", "4 de agosto", "13/1/2020", "2/30/2020", "8/4/1994 25:00", "8/4/1994 x", "1994/08/04"}) {
    double ole;
    EXPECT_FALSE(parseJetLiteral(bad, ole)) << bad;
  }
}

TEST(OleDate, IsoTextAsSqliteProgramsStoreIt) {
  double ole = 0;
  EXPECT_TRUE(parseIso("1994-08-04", ole));
  EXPECT_DOUBLE_EQ(ole, 34550.0);
  EXPECT_TRUE(parseIso("1994-08-04 18:00:00", ole));
  EXPECT_DOUBLE_EQ(ole, 34550.75);
  EXPECT_TRUE(parseIso("1994-08-04T06:00:00.500", ole));
  EXPECT_NEAR(ole, 34550.25 + 0.5 / 86400, 1e-10);
  EXPECT_FALSE(parseIso("04/08/1994", ole));
  EXPECT_FALSE(parseIso("1994-08-04 junk", ole));
}
