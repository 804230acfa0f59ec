#include <cmath>
#include <iterator>
#include <string>

#include "LocaleTestSupport.h"
#include "TestFramework.h"
#include "cx/foundation/cxClasses.h"
#include "cx/foundation/cxDateUtils.h"
#include "cx/foundation/cxEditConsts.h"
#include "cx/foundation/cxFormats.h"
#include "platform/rtl/SysUtils.h"

// Expected dates are written as calendar dates (the class library's EncodeDate), worked out
// by hand from the fixed clock of each test; a few serial numbers are checked against the
// calendar in comments.

namespace {

TDateTime fixedNow = 0;
TDateTime fixedClock() { return fixedNow; }

TDateTime D(Word Year, Word Month, Word Day) { return EncodeDate(Year, Month, Day); }
TDateTime T(Word Hour, Word Minute, Word Second = 0, Word MSec = 0) { return EncodeTime(Hour, Minute, Second, MSec); }

std::string dateText(TDateTime Value) { return FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", Value); }

// Brazilian settings (dd/MM/yyyy, '/') and a clock that stands still.
class DateUtilsTest : public LocaleTest {
protected:
  void SetUp() override {
    LocaleTest::SetUp();
    useLocale(kLocalePtBR);
    cxGetFormatController()->ReadLocaleSettings();
    setSmartDateClock(&fixedClock);
  }
  void TearDown() override {
    setSmartDateClock(nullptr);
    LocaleTest::TearDown();
  }
  static void setNow(TDateTime Value) { fixedNow = Value; }
};

struct SmartCase {
  const char* Text;
  TDateTime Expected;
};

void expectSmartDates(const SmartCase* Cases, size_t Count, const char* Day) {
  for (size_t i = 0; i < Count; ++i) {
    TDateTime date = -1;
    EXPECT_TRUE(cxParseSmartDate(Cases[i].Text, date)) << "\"" << Cases[i].Text << "\" on " << Day;
    EXPECT_EQ(dateText(date), dateText(Cases[i].Expected)) << "\"" << Cases[i].Text << "\" on " << Day;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Smart words.

TEST_F(DateUtilsTest, SmartWordsOnAWednesday) {
  // Wednesday 14 February 2024, 15:30 (1 January 2024 was a Monday; 14 Feb is 44 days on).
  const TDateTime now = D(2024, 2, 14) + T(15, 30);
  setNow(now);
  const SmartCase cases[] = {
      {"ontem", D(2024, 2, 13)},
      {"  ONTEM  ", D(2024, 2, 13)},
      {"ontem-2", D(2024, 2, 11)},
      {"ontem - 2", D(2024, 2, 11)},
      {"ontem+", D(2024, 2, 13)},      // a sign alone is no offset
      {"ontem+x", D(2024, 2, 13)},     // nor is a sign before something else
      {"amanhã", D(2024, 2, 15)},
      {"AMANHÃ+10", D(2024, 2, 25)},   // accented capitals match too; eleven days on, at midnight
      {"hoje", now},                   // the date-and-time word wins over the date word
      {"hoje-1", now - 1},
      {"Domingo", D(2024, 2, 18)},     // the coming Sunday, four days on
      {"Segunda", D(2024, 2, 19)},
      {"Terça", D(2024, 2, 20)},
      {"primeiro", D(2024, 2, 11)},    // the Sunday of this week, three days back
      {"segundo", D(2024, 2, 12)},
      {"terceiro", D(2024, 2, 13)},
      {"sétimo", D(2024, 2, 17)},      // the Saturday of this week
      {"bom", D(2024, 2, 1)},
      {"eom", D(2024, 2, 29)},         // a leap February
      {"amanhã+10 dias", D(2024, 2, 15)},  // an offset that does not convert is dropped
  };
  expectSmartDates(cases, std::size(cases), "Wednesday");
}

TEST_F(DateUtilsTest, WeekdayWordsSharedWithTheCurrentWeekGiveTheCurrentWeeksDay) {
  // Saturday 17 February 2024: "quarta", "quinta", "sexta" name this week's Wednesday,
  // Thursday and Friday (already past), whatever their case.
  setNow(D(2024, 2, 17) + T(9, 0));
  const SmartCase cases[] = {
      {"quarta", D(2024, 2, 14)}, {"Quarta", D(2024, 2, 14)}, {"QUINTA", D(2024, 2, 15)},
      {"Sexta", D(2024, 2, 16)},  {"Sábado", D(2024, 2, 17)},  // the next Saturday is today
      {"Domingo", D(2024, 2, 18)},
  };
  expectSmartDates(cases, std::size(cases), "Saturday");
}

TEST_F(DateUtilsTest, SmartWordsOnASundayAndAtTheEndsOfMonths) {
  setNow(D(2024, 2, 18) + T(0, 0, 1));  // Sunday 18 February 2024
  const SmartCase sunday[] = {
      {"Domingo", D(2024, 2, 18)}, {"primeiro", D(2024, 2, 18)}, {"sétimo", D(2024, 2, 24)}, {"Segunda", D(2024, 2, 19)}};
  expectSmartDates(sunday, std::size(sunday), "Sunday");

  setNow(D(2023, 2, 10) + T(12, 0));  // February of a common year
  const SmartCase common[] = {{"eom", D(2023, 2, 28)}, {"bom+1", D(2023, 2, 2)}};
  expectSmartDates(common, std::size(common), "10 February 2023");

  setNow(D(2024, 12, 31) + T(23, 59));
  const SmartCase yearEnd[] = {{"amanhã", D(2025, 1, 1)}, {"eom", D(2024, 12, 31)}, {"bom", D(2024, 12, 1)}};
  expectSmartDates(yearEnd, std::size(yearEnd), "31 December 2024");
}

TEST_F(DateUtilsTest, TextsThatDoNotBeginWithASmartWordAreNoSmartDate) {
  setNow(D(2024, 2, 14));
  for (const char* text : {"31/12/2024", "xhoje", "", "   ", "onte"}) {
    TDateTime date = 123;
    EXPECT_FALSE(cxParseSmartDate(text, date)) << "\"" << text << "\"";
    EXPECT_EQ(date, 123) << "the date stays untouched for \"" << text << "\"";
  }
}

TEST_F(DateUtilsTest, FindSmartWordPrefersLongerWordsThenLaterTextsThenHigherIndexes) {
  struct Case {
    const char* Text;
    Integer Index;
  };
  const Case cases[] = {
      {"hoje", 19}, {"HOJE+1", 19}, {"quarta", 13}, {"Quarta-feira", 13}, {"Segunda", 4},
      {"segundo", 11}, {"sexta", 15}, {"Sábado", 9}, {"terceiro", 12}, {"amanhã", 2},
  };
  for (const Case& c : cases) {
    Integer index = -1;
    EXPECT_TRUE(cxFindSmartDateWord(c.Text, index)) << c.Text;
    EXPECT_EQ(index, c.Index) << c.Text;
  }
  Integer index = -1;
  EXPECT_FALSE(cxFindSmartDateWord("sex", index)) << "a part of a word is no word";
  EXPECT_FALSE(cxFindSmartDateWord("", index));
}

TEST_F(DateUtilsTest, OverriddenWordsTakeEffectAtOnce) {
  setNow(D(2024, 2, 14) + T(8, 0));
  TDateTime date = 0;
  cxSetResourceString(&scxEditDateWordYesterday, "anteontem");
  EXPECT_TRUE(cxParseSmartDate("anteontem", date));
  EXPECT_EQ(dateText(date), dateText(D(2024, 2, 13)));
  Integer index = -1;
  EXPECT_FALSE(cxFindSmartDateWord("ontem", index)) << "the old text is gone";
  cxSetResourceString(&scxEditDateWordYesterday, "ontem");
  EXPECT_TRUE(cxFindSmartDateWord("ontem", index));
  EXPECT_EQ(index, 1);
}

TEST_F(DateUtilsTest, AWordOverriddenToNothingMatchesNoText) {
  // An empty word would otherwise begin every text and turn every typed date into the
  // first of the month.
  setNow(D(2024, 2, 14) + T(8, 0));
  cxSetResourceString(&scxEditDateWordMonthStart, "");
  Integer index = -1;
  const bool found = cxFindSmartDateWord("qualquer", index);
  TDateTime date = 0;
  const bool converted = cxTextToDate("31/12/2024", date);
  TDateTime yesterday = 0;
  const bool stillWorks = cxParseSmartDate("ontem", yesterday);
  cxSetResourceString(&scxEditDateWordMonthStart, "bom");
  EXPECT_FALSE(found);
  EXPECT_TRUE(converted);
  EXPECT_EQ(dateText(date), dateText(D(2024, 12, 31)));
  EXPECT_TRUE(stillWorks);
  EXPECT_EQ(dateText(yesterday), dateText(D(2024, 2, 13)));
}

// ---------------------------------------------------------------------------------------
// Typed text to dates.

TEST_F(DateUtilsTest, TypedTextsConvertInTheLocalesOrder) {
  setNow(D(2024, 2, 14) + T(15, 30));
  const SmartCase cases[] = {
      {"31/12/2024", D(2024, 12, 31)},  // serial 45657: 1 Jan 2024 is 45292, plus 365 days
      {" 01/02/2007 ", D(2007, 2, 1)},  // day first in Brazil
      {"01/02/07", D(2007, 2, 1)},      // two-digit years: 07 in this century,
      {"15/06/98", D(1998, 6, 15)},     // 98 in the last one
      {"31/12/2024 13:45", D(2024, 12, 31) + T(13, 45)},
      {"ontem", D(2024, 2, 13)},
      {"hoje+2", D(2024, 2, 16) + T(15, 30)},
  };
  for (const SmartCase& c : cases) {
    TDateTime date = 0;
    EXPECT_TRUE(cxTextToDate(c.Text, date)) << c.Text;
    EXPECT_EQ(dateText(date), dateText(c.Expected)) << c.Text;
  }
}

TEST_F(DateUtilsTest, InvalidTextsGiveNoDate) {
  for (const char* text : {"abc", "31/02/2024", "0/1/2024", "1/2/10000", "12/13/14/15"}) {
    TDateTime date = 5;
    EXPECT_FALSE(cxTextToDate(text, date)) << text;
    EXPECT_EQ(date, cxNoDate) << text;
  }
  TDateTime date = 5;
  EXPECT_FALSE(cxTextToDate("   ", date));
  EXPECT_EQ(date, 5) << "an empty text leaves the date untouched";
}

TEST_F(DateUtilsTest, DatesOutsideTheYearsOneTo9999AreRejected) {
  setNow(D(2024, 2, 14));
  // 31 December 9999 is serial 2958465; three million days on is far beyond it, and
  // 800000 days back lies before 1 January of year 1 (serial -693593).
  TDateTime date = 0;
  EXPECT_FALSE(cxTextToDate("hoje+3000000", date));
  EXPECT_EQ(date, D(2024, 2, 14) + 3000000) << "the converted value is kept";
  EXPECT_FALSE(cxTextToDate("hoje-800000", date));
  EXPECT_FALSE(cxTextToDate("hoje+2147483647", date));
  // The last and the first day that pass.
  EXPECT_TRUE(cxTextToDate("31/12/9999", date));
  EXPECT_EQ(date, 2958465);
  EXPECT_TRUE(cxTextToDate("hoje-" + std::to_string(static_cast<Int64>(D(2024, 2, 14) - D(1, 1, 1))), date));
  EXPECT_EQ(date, D(1, 1, 1));
}

TEST_F(DateUtilsTest, PointSeparatedDatesReadWhenThePointIsTheDateSeparator) {
  // The system's own conversion reads "31.12.2024" as nothing in American settings; with the
  // point as the date separator the parts are separated by blanks first.
  useLocale(kLocaleEnUS);
  DateSeparator = '.';
  TDateTime date = 0;
  EXPECT_TRUE(cxTextToDate("31.12.2024", date));
  EXPECT_EQ(dateText(date), dateText(D(2024, 12, 31)));
  DateSeparator = '/';
  EXPECT_FALSE(cxTextToDate("31.12.2024", date)) << "with '/' the points stay";

  useLocale(kLocaleDeDE);  // German settings use the point themselves
  EXPECT_TRUE(cxTextToDate("5.3.2024", date));
  EXPECT_EQ(dateText(date), dateText(D(2024, 3, 5)));
}

TEST_F(DateUtilsTest, TryTextToDateTimeReportsFailureAsFalseAndNoDate) {
  TDateTime date = 0;
  EXPECT_TRUE(cxTryTextToDateTime("31/12/2024 10:15", true, date));
  EXPECT_EQ(dateText(date), dateText(D(2024, 12, 31) + T(10, 15)));
  EXPECT_FALSE(cxTryTextToDateTime("amanhã", true, date)) << "no smart words here";
  EXPECT_EQ(date, cxNoDate);

  // The class library's conversion follows its own format settings.
  EXPECT_TRUE(cxTryTextToDateTime("05/03/2024 08:00", false, date));
  EXPECT_EQ(dateText(date), dateText(D(2024, 3, 5) + T(8, 0)));
  date = 1;
  EXPECT_FALSE(cxTryTextToDateTime("05-03-2024", false, date));
  EXPECT_EQ(date, cxNoDate);
}

// ---------------------------------------------------------------------------------------
// Dates to text.

TEST_F(DateUtilsTest, LocaleTextShowsTheTimeOnlyWhenThereIsOne) {
  EXPECT_EQ(cxDateTimeToLocaleText(D(2024, 12, 31)), "31/12/2024") << "midnight shows no time";
  EXPECT_EQ(cxDateTimeToLocaleText(D(2024, 12, 31) + T(13, 45, 30)), "31/12/2024 13:45:30");
  EXPECT_EQ(cxDateTimeToLocaleText(cxNoDate), "");
  // The system formats no date before 1601: the class library's text of the date instead.
  EXPECT_EQ(cxDateTimeToLocaleText(D(1500, 1, 2)), "02/01/1500");

  useLocale(kLocaleEnUS);
  EXPECT_EQ(cxDateTimeToLocaleText(D(2024, 3, 5) + T(13, 45, 30)), "3/5/2024 1:45:30 PM");
}

TEST_F(DateUtilsTest, TextForEditingUsesTheMaskedDateFormat) {
  EXPECT_EQ(cxDateTimeToText(true, D(2024, 3, 5) + T(10, 0)), "05/03/2024") << "dd/MM/yyyy";
  EXPECT_EQ(cxDateTimeToText(false, D(2024, 3, 5) + T(10, 0)), "05/03/2024 10:00:00");
  EXPECT_EQ(cxDateTimeToText(true, cxNoDate), "");
  EXPECT_EQ(cxDateTimeToText(false, cxNoDate), "");

  // A long month name in the short date format is edited as its short name.
  ShortDateFormat = "d MMMM yyyy";
  const char* names[12] = {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11", "m12"};
  for (int i = 0; i < 12; ++i) ShortMonthNames[i] = names[i];
  cxGetFormatController()->ReadLocaleSettings();
  EXPECT_EQ(cxDateTimeToText(true, D(2024, 3, 5)), "05 m3 2024");
}

// ---------------------------------------------------------------------------------------
// The regular-expression date mask.

namespace {
const char kDay[] = "([012]?[1-9]|[123]0|31)";
const char kShortMonths[] =
    "((0?[1-9]|1[012])|('Jan'|'Feb'|'Mar'|'Apr'|'May'|'Jun'|'Jul'|'Aug'|'Sep'|'Oct'|'Nov'|'Dec'))";
const char kLongMonths[] =
    "((0?[1-9]|1[012])|('January'|'February'|'March'|'April'|'May'|'June'|'July'|'August'|'September'|"
    "'October'|'November'|'December'))";
const char kSmartWords[] =
    "'hoje'|'ontem'|'amanhã'|'Domingo'|'Segunda'|'Terça'|'Quarta'|'Quinta'|'Sexta'|'Sábado'|'primeiro'|"
    "'segundo'|'terceiro'|'quarta'|'quinta'|'sexta'|'sétimo'|'bom'|'eom'|'hoje'";
const char kOffset[] = "((\\+|-)\\d(\\d(\\d(\\d?)?)?)?)";

const std::string kEnglishShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::string kEnglishLong[12] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
}  // namespace

TEST_F(DateUtilsTest, RegularExpressionMaskFollowsTheOrderAndTheSeparator) {
  for (int i = 0; i < 12; ++i) {
    ShortMonthNames[i] = kEnglishShort[i];
    LongMonthNames[i] = kEnglishLong[i];
  }
  ShortDateFormat = "dd/MM/yyyy";
  const std::string sep = "'/'";
  struct Case {
    const char* Format;
    std::string Expected;
  };
  const Case cases[] = {
      {"dd/MM/yyyy", std::string(kDay) + sep + kShortMonths + sep + "\\d\\d\\d\\d"},
      {"MM/dd/yy", std::string(kShortMonths) + sep + kDay + sep + "\\d\\d"},
      // The format's own separators give way to the locale's.
      {"MMMM dd, yyyy", std::string(kLongMonths) + sep + kDay + sep + "\\d\\d\\d\\d"},
      {"yyyy-MM-dd", std::string("\\d\\d\\d\\d") + sep + kShortMonths + sep + kDay},
      {"e/MM/dd", std::string("([1-9]?\\d)") + sep + kShortMonths + sep + kDay},
      {"/dd/MM", ""},        // a leading separator ends the walk at once
      {"gg yyyy/MM/dd", ""},  // an era
  };
  for (const Case& c : cases) EXPECT_EQ(cxBuildRegExprDateMask(c.Format, false), c.Expected) << c.Format;

  DateSeparator = '.';
  EXPECT_EQ(cxBuildRegExprDateMask("dd.MM.yy", false), std::string(kDay) + "'.'" + kShortMonths + "'.'\\d\\d");
  ShortDateFormat = "ee/MM/dd";
  EXPECT_EQ(cxBuildRegExprDateMask("ee/MM/dd", false).substr(0, 6), "\\d\\d'.") << "two-digit era years";
}

TEST_F(DateUtilsTest, SmartWordsJoinTheMaskAsASecondAlternative) {
  for (int i = 0; i < 12; ++i) ShortMonthNames[i] = kEnglishShort[i];
  const std::string date = std::string(kDay) + "'/'" + kShortMonths + "'/'\\d\\d\\d\\d";
  EXPECT_EQ(cxBuildRegExprDateMask("dd/MM/yyyy", true),
            "(" + date + ")|((" + std::string(kSmartWords) + ")" + kOffset + ")");
  EXPECT_EQ(cxBuildRegExprDateMask("gg yyyy", true), "") << "an era gives no mask, words or not";
}

TEST_F(DateUtilsTest, QuotesInWordsAndMonthNamesAreDoubledInTheMask) {
  // A lone quote would close the literal early and break the mask for every date typed.
  for (int i = 0; i < 12; ++i) ShortMonthNames[i] = kEnglishShort[i];
  ShortMonthNames[0] = "J'n";
  cxSetResourceString(&scxEditDateWordMonthEnd, "fim d'mês");
  const std::string mask = cxBuildRegExprDateMask("dd/MM/yyyy", true);
  cxSetResourceString(&scxEditDateWordMonthEnd, "eom");
  EXPECT_NE(mask.find("|('J''n'|'Feb'"), std::string::npos) << mask;
  EXPECT_NE(mask.find("|'fim d''mês'|"), std::string::npos) << mask;
}

TEST(cxNextDateFormatElement, ReturnsTheLeadingCharacterAndSkipsToTheNextOtherElement) {
  struct Case {
    const char* Format;
    char Element;
    const char* Rest;
  };
  const Case cases[] = {
      {"dd/mm/yyyy", 'd', "mm/yyyy"}, {"mm/yyyy", 'm', "yyyy"}, {"yyyy", 'y', ""},
      {"", '\0', ""},                 {"/dd", '/', "dd"},        {"dmy", 'd', "my"},
      {"d, d m", 'd', "m"},  // the same letter again is skipped with the separators
  };
  for (const Case& c : cases) {
    std::string format = c.Format;
    EXPECT_EQ(cxNextDateFormatElement(format), c.Element) << c.Format;
    EXPECT_EQ(format, c.Rest) << c.Format;
  }
}

// ---------------------------------------------------------------------------------------
// Months and days.

TEST(cxMonthArithmetic, AddingMonthsCrossesYearsBothWays) {
  struct Case {
    Word Year, Month;
    Integer Delta;
    Word ExpectedYear, ExpectedMonth;
  };
  const Case cases[] = {
      {2024, 1, -1, 2023, 12}, {2024, 1, -13, 2022, 12}, {2024, 1, 14, 2025, 3},  {2024, 12, 1, 2025, 1},
      {2024, 6, 0, 2024, 6},   {2024, 12, -24, 2022, 12}, {2024, 1, -12, 2023, 1}, {2024, 7, 30, 2027, 1},
  };
  for (const Case& c : cases) {
    Word year = c.Year, month = c.Month;
    cxAddMonths(year, month, c.Delta);
    EXPECT_EQ(year * 100 + month, c.ExpectedYear * 100 + c.ExpectedMonth)
        << c.Year << "-" << c.Month << " by " << c.Delta;
  }
  Word year = 2024, month = 1;
  cxPreviousMonth(year, month);
  EXPECT_EQ(year * 100 + month, 202312);
  cxNextMonth(year, month);
  EXPECT_EQ(year * 100 + month, 202401);
  month = 5;
  cxPreviousMonth(year, month);
  EXPECT_EQ(year * 100 + month, 202404);
}

TEST(cxMonthArithmetic, MonthLengthsLeapYearsAndClampedDays) {
  EXPECT_TRUE(cxIsLeapYear(2024));
  EXPECT_TRUE(cxIsLeapYear(2000));
  EXPECT_FALSE(cxIsLeapYear(1900));
  EXPECT_FALSE(cxIsLeapYear(2023));
  EXPECT_EQ(cxMonthDayCount(2024, 2), 29);
  EXPECT_EQ(cxMonthDayCount(1900, 2), 28);
  EXPECT_EQ(cxMonthDayCount(2024, 4), 30);
  EXPECT_EQ(cxMonthDayCount(2024, 12), 31);
  EXPECT_EQ(cxClampDay(2023, 2, 31), 28);
  EXPECT_EQ(cxClampDay(2024, 2, 30), 29);
  EXPECT_EQ(cxClampDay(2024, 2, 0), 1);
  EXPECT_EQ(cxClampDay(2024, 2, -5), 1);
  EXPECT_EQ(cxClampDay(2024, 2, 15), 15);
}

TEST(cxDateElements, ElementsTruncationAndTimeOfDay) {
  const TDateTime date = EncodeDate(2024, 3, 9) + EncodeTime(13, 45, 30, 500);
  EXPECT_EQ(cxGetDateElement(0, date), 2024);
  EXPECT_EQ(cxGetDateElement(1, date), 3);
  EXPECT_EQ(cxGetDateElement(2, date), 9);
  EXPECT_EQ(cxGetDateElement(7, date), 9) << "any other selector gives the day";

  EXPECT_EQ(cxTruncDateTime(std::nextafter(45657.0, 0.0)), 45657) << "a hair below a day counts as that day";
  EXPECT_EQ(cxTruncDateTime(45657.9999), 45657);
  EXPECT_EQ(cxTruncDateTime(-1.5), -1);
  EXPECT_EQ(cxTruncDateTime(-2 + 1e-12), -2);

  // 13:45:30.500 is 49530.5 seconds, 0.573269675... of a day.
  EXPECT_NEAR(cxGetTimePart(date), 49530.5 / 86400, 1e-9);
  EXPECT_NEAR(cxGetTimePart(-1.25), 0.25, 1e-9);
  EXPECT_EQ(cxGetTimePart(45657.0), 0);
}
