#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LocaleTestSupport.h"
#include "TestFramework.h"
#include "cx/foundation/cxDateUtils.h"
#include "cx/foundation/cxFormats.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

namespace {

// A listener that counts its calls and runs an optional action inside FormatChanged.
struct TestListener : IcxFormatChangeListener {
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID&, void** obj) override {
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE _Release() override { return 1; }
  void FormatChanged() override {
    ++Calls;
    if (Action) Action();
  }
  int Calls = 0;
  std::function<void()> Action;
};

using ControllerPtr = std::unique_ptr<TcxFormatController>;
ControllerPtr newController() { return ControllerPtr(New<TcxFormatController>()); }

LRESULT sendSettingChange(TcxFormatController& Controller, WPARAM WParam, const char* Section) {
  return SendMessageA(Controller.WindowHandle(), WM_WININICHANGE, WParam, reinterpret_cast<LPARAM>(Section));
}

class FormatControllerTest : public LocaleTest {};

}  // namespace

// ---------------------------------------------------------------------------------------
// Currency format.

TEST_F(FormatControllerTest, CurrencyFormatFollowsSymbolDecimalsAndBothPlacements) {
  struct Case {
    const char* Symbol;
    Byte Decimals;
    Byte Positive;
    Byte Negative;
    const char* Expected;
  };
  const Case cases[] = {
      {"R$", 2, 2, 9, "R$ ,0.00;-R$ ,0.00"},            // a blank after each R$
      {"$", 0, 0, 0, "$,0.;($,0.)"},                    // no decimals: the pattern ends in the point
      {"Fr.", 2, 3, 8, ",0.00 Fr'.';-,0.00 Fr'.'"},     // the point of the symbol quoted
      {"1,2", 1, 1, 5, ",0.01','2;-,0.01','2"},         // and a comma too
      {"", 2, 3, 15, ",0.00;(,0.00 )"},                 // no symbol: the number alone when positive
      {"\x80", 3, 0, 16, "\x80,0.000;"},                // an unknown negative code: empty section
  };
  for (const Case& c : cases) {
    CurrencyString = c.Symbol;
    CurrencyDecimals = c.Decimals;
    CurrencyFormat = c.Positive;
    NegCurrFormat = c.Negative;
    ControllerPtr controller = newController();
    EXPECT_EQ(controller->CurrencyFormatText(), c.Expected) << "symbol " << c.Symbol << ", decimals "
                                                            << int(c.Decimals) << ", formats " << int(c.Positive)
                                                            << "/" << int(c.Negative);
  }
}

TEST(cxCurrencyComposers, EverySectionCodePlacesSignSymbolAndBlank) {
  const char* positive[] = {"SN", "NS", "S N", "N S"};
  for (Byte code = 0; code < 4; ++code)
    EXPECT_EQ(cxComposePositiveCurrency(code, "S", "N"), positive[code]) << "positive code " << int(code);
  const char* negative[] = {"(SN)", "-SN",  "S-N",   "SN-",   "(NS)",  "-NS",  "N-S",   "NS-",
                            "-N S", "-S N", "N S-", "S N-", "S -N", "N- S", "(S N)", "(N S)"};
  for (Byte code = 0; code < 16; ++code)
    EXPECT_EQ(cxComposeNegativeCurrency(code, "S", "N"), negative[code]) << "negative code " << int(code);
  EXPECT_EQ(cxComposeNegativeCurrency(16, "S", "N"), "");
  EXPECT_EQ(cxComposePositiveCurrency(2, "", "N"), "N") << "an empty symbol leaves the number alone";
}

// ---------------------------------------------------------------------------------------
// Date formats and the standard date mask.

TEST_F(FormatControllerTest, DateFormatsAndStandardMaskFollowTheShortDateFormat) {
  struct Case {
    const char* ShortDate;
    const char* Locale;
    const char* Masked;
    const char* StdMask;
  };
  const Case cases[] = {
      {"d/M/yyyy", "dd/MM/yyyy", "dd/MM/yyyy", "!99/99/9999;1; "},
      {"M/d/yyyy", "MM/dd/yyyy", "MM/dd/yyyy", "!99/99/9999;1; "},
      {"dd MMMM yyyy", "dd MMMM yyyy", "dd MMM yyyy", "!99 lll 9999;1; "},
      {"d-MMM-yy", "dd-MMM-yy", "dd-MMM-yy", "!99-lll-99;1; "},
      {"yyyy.MM.dd", "yyyy.MM.dd", "yyyy.MM.dd", "!9999.99.99;1; "},
      // Only the first month run is cut; a day-name run is no lone 'd'.
      {"dddd, d MMMM yyyy MMMM", "dddd, dd MMMM yyyy MMMM", "dddd, dd MMM yyyy MMMM",
       "!lll, 99 lll 9999 lll;1; "},
      {"ee/M/d", "ee/MM/dd", "ee/MM/dd", "!99/99/99;1; "},
      {"eeee/M/d", "eeee/MM/dd", "eeee/MM/dd", "!99/99/99;1; "},
  };
  for (const Case& c : cases) {
    ShortDateFormat = c.ShortDate;
    ControllerPtr controller = newController();
    EXPECT_EQ(controller->LocaleDateFormat(), c.Locale) << c.ShortDate;
    EXPECT_EQ(controller->MaskedDateFormat(), c.Masked) << c.ShortDate;
    EXPECT_EQ(controller->StdDateMask(), c.StdMask) << c.ShortDate;
  }
}

TEST_F(FormatControllerTest, AnEraInTheShortDateFormatGivesNoMasks) {
  ShortDateFormat = "gg yyyy/M/d";
  ControllerPtr controller = newController();
  EXPECT_EQ(controller->StdDateMask(), "");
  EXPECT_EQ(controller->RegExDateMask(), "");
  EXPECT_EQ(controller->LocaleDateFormat(), "gg yyyy/MM/dd") << "the display format keeps the era";
}

TEST_F(FormatControllerTest, RegularExpressionMaskIsBuiltFromTheLocaleDateFormat) {
  ShortDateFormat = "d/M/yyyy";
  ControllerPtr controller = newController();
  EXPECT_EQ(controller->RegExDateMask(), cxBuildRegExprDateMask("dd/MM/yyyy", true));
  EXPECT_NE(controller->RegExDateMask(), "");
}

TEST(cxShortenMonthRuns, CutsOnlyTheFirstRunAndOnlyWhenLonger) {
  EXPECT_EQ(cxShortenMonthRuns("dd MMMM yyyy"), "dd MMM yyyy");
  EXPECT_EQ(cxShortenMonthRuns("MMMMM"), "MMM");
  EXPECT_EQ(cxShortenMonthRuns("dd/MM/yyyy"), "dd/MM/yyyy");
  EXPECT_EQ(cxShortenMonthRuns("MMM MMMM"), "MMM MMMM") << "the first run is already short";
  EXPECT_EQ(cxShortenMonthRuns("dd/yy"), "dd/yy");
}

// ---------------------------------------------------------------------------------------
// Week start.

TEST_F(FormatControllerTest, WeekStartsOnTheLocalesFirstDayCountedFromSunday) {
  // Brazil's weeks begin on Sunday (the locale's 6), Germany's on Monday (the locale's 0).
  useLocale(kLocalePtBR);
  ControllerPtr brazil = newController();
  EXPECT_EQ(brazil->WeekStartDay(), 0);
  EXPECT_EQ(brazil->ReadFirstWeekDay(), 0);
  useLocale(kLocaleDeDE);
  ControllerPtr germany = newController();
  EXPECT_EQ(germany->WeekStartDay(), 1);
}

// ---------------------------------------------------------------------------------------
// Locale change notification.

TEST_F(FormatControllerTest, RegionalSettingsChangeRereadsFormatsAndTellsListeners) {
  useLocale(kLocaleEnUS);
  ControllerPtr controller = newController();
  TestListener listener;
  controller->AddListener(&listener);
  ASSERT_NE(controller->WindowHandle(), nullptr);
  EXPECT_EQ(controller->LocaleDateFormat(), "MM/dd/yyyy");

  // The user switches to Brazilian settings; the broadcast names the section "intl".
  SetThreadLocale(kLocalePtBR);
  EXPECT_EQ(sendSettingChange(*controller, 0, "intl"), 0);
  EXPECT_EQ(listener.Calls, 1);
  EXPECT_EQ(CurrencyString, "R$") << "the class library's settings are read again first";
  EXPECT_EQ(controller->CurrencyFormatText(), "R$ ,0.00;-R$ ,0.00");
  EXPECT_EQ(controller->LocaleDateFormat(), "dd/MM/yyyy");
  EXPECT_EQ(controller->MaskedDateFormat(), "dd/MM/yyyy");
  EXPECT_EQ(controller->StdDateMask(), "!99/99/9999;1; ");
  EXPECT_EQ(controller->WeekStartDay(), 0);

  controller->RemoveListener(&listener);
}

TEST_F(FormatControllerTest, OtherSettingChangesAndTheApplicationSwitchLeaveFormatsAlone) {
  useLocale(kLocalePtBR);
  ControllerPtr controller = newController();
  TestListener listener;
  controller->AddListener(&listener);
  SetThreadLocale(kLocaleDeDE);  // a re-read would bring German formats
  struct Case {
    WPARAM WParam;
    const char* Section;
    bool SwitchOn;
  };
  const Case cases[] = {{0, "Intl", true},  {0, "windows", true}, {0, "intl2", true},
                        {SPI_SETDESKWALLPAPER, "intl", true}, {0, nullptr, true}, {0, "intl", false}};
  for (const Case& c : cases) {
    Application->SetUpdateFormatSettings(c.SwitchOn);
    sendSettingChange(*controller, c.WParam, c.Section);
    Application->SetUpdateFormatSettings(true);
    const std::string what = std::string("section ") + (c.Section ? c.Section : "(none)") + ", wParam " +
                             std::to_string(c.WParam) + (c.SwitchOn ? "" : ", switch off");
    EXPECT_EQ(listener.Calls, 0) << what;
    EXPECT_EQ(controller->LocaleDateFormat(), "dd/MM/yyyy") << what;
    EXPECT_EQ(DateSeparator, '/') << what;
  }
  controller->RemoveListener(&listener);
}

TEST_F(FormatControllerTest, HiddenWindowLivesExactlyWhileListenersAreRegistered) {
  ControllerPtr controller = newController();
  EXPECT_EQ(controller->WindowHandle(), nullptr) << "no listener, no window";
  TestListener a, b;
  controller->AddListener(&a);
  HWND first = controller->WindowHandle();
  ASSERT_TRUE(IsWindow(first));
  controller->AddListener(&a);
  EXPECT_EQ(controller->ListenerCount(), 1) << "a second registration keeps one entry";
  controller->AddListener(&b);
  controller->RemoveListener(&a);
  EXPECT_EQ(controller->WindowHandle(), first) << "one listener is left";
  controller->RemoveListener(&b);
  EXPECT_EQ(controller->WindowHandle(), nullptr);
  EXPECT_FALSE(IsWindow(first)) << "the last removal destroys the window";
  controller->AddListener(&b);
  EXPECT_TRUE(IsWindow(controller->WindowHandle())) << "the next registration makes a new one";
  controller->RemoveListener(&b);
}

TEST_F(FormatControllerTest, ListenersLeavingDuringNotificationAreSkipped) {
  ControllerPtr controller = newController();
  TestListener first, second, third, latecomer;
  // The first listener's reformat frees the second (and itself) and brings a new one.
  first.Action = [&] {
    controller->RemoveListener(&first);
    controller->RemoveListener(&second);
    controller->AddListener(&latecomer);
  };
  controller->AddListener(&first);
  controller->AddListener(&second);
  controller->AddListener(&third);
  controller->NotifyListeners();
  EXPECT_EQ(first.Calls, 1);
  EXPECT_EQ(second.Calls, 0) << "a listener removed meanwhile is not called";
  EXPECT_EQ(third.Calls, 1);
  EXPECT_EQ(latecomer.Calls, 0) << "only the listeners present at the start are told";
  controller->RemoveListener(&third);
  controller->RemoveListener(&latecomer);
}

TEST_F(FormatControllerTest, ListenerFailureGoesToTheApplicationAndTheWindowKeepsWorking) {
  struct Handler : TObject {
    std::vector<std::string> Seen;
    void OnException(TObject* Sender, const Exception& E) { Seen.push_back(E.Message()); }
  };
  std::unique_ptr<Handler> handler(new Handler());
  Application->SetOnException(TExceptionEvent(handler.get(), &Handler::OnException));
  ControllerPtr controller = newController();
  TestListener listener;
  bool fail = true;
  listener.Action = [&] {
    if (fail) throw Exception("formato recusado");
  };
  controller->AddListener(&listener);
  sendSettingChange(*controller, 0, "intl");
  fail = false;
  sendSettingChange(*controller, 0, "intl");
  Application->SetOnException(TExceptionEvent());
  ASSERT_EQ(handler->Seen.size(), 1u);
  EXPECT_EQ(handler->Seen[0], "formato recusado");
  EXPECT_EQ(listener.Calls, 2) << "the second change is handled as usual";
  controller->RemoveListener(&listener);
}

// ---------------------------------------------------------------------------------------
// The process-wide controller.

TEST_F(FormatControllerTest, ProcessControllerIsSharedAndRebuiltAfterBeingFreed) {
  TcxFormatController* shared = cxGetFormatController();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(cxGetFormatController(), shared);
  ControllerPtr other = newController();
  EXPECT_EQ(cxGetFormatController(), shared) << "a later controller does not take its place";

  // Freeing the shared controller must not leave it handed out: the next call builds a
  // new one that reads the settings of that moment.
  useLocale(kLocaleDeDE);
  shared->ReadLocaleSettings();
  ASSERT_EQ(shared->LocaleDateFormat(), "dd.MM.yyyy");
  shared->Free();
  useLocale(kLocalePtBR);
  TcxFormatController* rebuilt = cxGetFormatController();
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_EQ(rebuilt->LocaleDateFormat(), "dd/MM/yyyy");
  EXPECT_EQ(rebuilt->WeekStartDay(), 0);
}
