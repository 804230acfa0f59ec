#pragma once
// A fixture for tests that change the locale: the thread locale and the class library's
// format settings are saved before each test and put back after it, and the process-wide
// format controller re-reads them, so no test leaks its locale into the next.
#include <windows.h>

#include "TestFramework.h"
#include "cx/foundation/cxFormats.h"
#include "platform/rtl/SysUtils.h"

// Locales whose data the tests rely on (as Windows and Wine ship them).
constexpr LCID kLocaleEnUS = 0x0409;  // M/d/yyyy, '/', "$", week from Sunday
constexpr LCID kLocalePtBR = 0x0416;  // dd/MM/yyyy, '/', "R$" 2 decimals, formats 2 and 9, week from Sunday
constexpr LCID kLocaleDeDE = 0x0407;  // d.M.yyyy, '.', week from Monday

class LocaleTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedLocale_ = GetThreadLocale();
    savedSettings_ = FormatSettings;
    cxGetFormatController();
  }
  void TearDown() override {
    SetThreadLocale(savedLocale_);
    FormatSettings = savedSettings_;
    cxGetFormatController()->ReadLocaleSettings();
  }
  // Makes the locale the thread's and reads the class library's format settings from it.
  static void useLocale(LCID Locale) {
    SetThreadLocale(Locale);
    GetFormatSettings();
  }

private:
  LCID savedLocale_ = 0;
  TFormatSettings savedSettings_;
};
