#pragma once
// The number and date formats the editors derive from the user's locale, kept in one
// process-wide controller: the currency display format, the first day of the week, the
// date formats used to show and to edit dates and the two edit masks for typing a date
// (standard mask language and regular-expression language).
//
// When the user changes the regional settings, the controller re-reads them and tells its
// listeners (text editors and their properties), so that open editors reformat their
// values. While at least one listener is registered the controller keeps a hidden window
// that hears the setting-change broadcast.
//
// Everything here runs on the GUI thread; nothing is guarded.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"

// Told after the controller re-read the locale's formats.
struct IcxFormatChangeListener : public IInterface {
  RTL_INTERFACE_ID(0x5E2C1B07, 0x9D4A, 0x4C61, 0xA3, 0x0F, 0x7B, 0x12, 0xE8, 0x46, 0xD5, 0x9C)
  virtual void FormatChanged() = 0;

protected:
  ~IcxFormatChangeListener() = default;
};

class TcxFormatController : public TObject {
  RTL_DECLARE_CLASS(TcxFormatController, TObject)
public:
  // Reads the locale's formats. The first controller built becomes the process-wide one
  // (cxGetFormatController) when there is none yet.
  TcxFormatController();
  ~TcxFormatController() override;
  TcxFormatController(const TcxFormatController&) = delete;
  TcxFormatController& operator=(const TcxFormatController&) = delete;

  // The hidden window's message handler: a setting change of the section "intl" (and
  // wParam 0) re-reads the platform's format settings and this controller's formats and
  // tells the listeners, when the application lets format settings follow the locale.
  // Everything else goes to the default window procedure.
  virtual void HandleMessage(TMessage& Message);
  // Adds a listener once (a second registration is ignored). The first listener brings the
  // hidden window. The listener is held without a reference.
  virtual void AddListener(IcxFormatChangeListener* AListener);
  // Removes the listener; the last one takes the hidden window with it.
  virtual void RemoveListener(IcxFormatChangeListener* AListener);

  // Rebuilds every format from the platform's current format settings.
  void ReadLocaleSettings();
  // Calls FormatChanged of the listeners registered when the call starts, in list order.
  // A listener removed by an earlier one's FormatChanged is skipped.
  void NotifyListeners();

  // The builders behind ReadLocaleSettings; each reads the platform's format settings.
  std::string BuildCurrencyFormat() const;
  // The short date format with each lone 'd' and lone 'M' doubled; for masks, its first
  // run of 'M' cut to three letters.
  std::string BuildDateFormat(bool AForMasks) const;
  // The thread locale's first day of the week, 0 Sunday .. 6 Saturday. Raises
  // EConvertError when the locale's value is not a number.
  Byte ReadFirstWeekDay() const;
  // The standard edit mask for the short date format ("" when it has an era).
  std::string BuildDateEditMask() const;

  // The currency display format: positive section ';' negative section.
  const std::string& CurrencyFormatText() const { return FCurrencyFormatText; }
  // The short date format with lone 'd' and 'M' doubled.
  const std::string& LocaleDateFormat() const { return FLocaleDateFormat; }
  // LocaleDateFormat with its first month run at most three letters: dates being edited
  // are shown in it.
  const std::string& MaskedDateFormat() const { return FMaskedDateFormat; }
  const std::string& StdDateMask() const { return FStdDateMask; }
  // The regular-expression mask for dates, smart words included.
  const std::string& RegExDateMask() const { return FRegExDateMask; }
  // 0 Sunday, 1 Monday .. 6 Saturday.
  Byte WeekStartDay() const { return FWeekStartDay; }

  // The hidden window; 0 while no listener is registered.
  HWND WindowHandle() const { return FWindow; }
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }

protected:
  // The hidden window's procedure: HandleMessage, with any exception handed to the
  // application's exception handler so that nothing escapes into the system.
  void SafeWindowProc(TMessage& Message);

private:
  std::string FCurrencyFormatText;
  std::string FLocaleDateFormat;
  std::string FMaskedDateFormat;
  std::string FStdDateMask;
  std::string FRegExDateMask;
  Byte FWeekStartDay = 0;
  std::vector<IcxFormatChangeListener*> FListeners;
  HWND FWindow = nullptr;
};

// The process-wide controller, built on the first call; freed when the unit ends.
TcxFormatController* cxGetFormatController();

// The positive section of a currency format for the locale's positive currency format
// code (0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"): the number pattern alone when the symbol is
// empty.
std::string cxComposePositiveCurrency(Byte AFormat, const std::string& ASymbol, const std::string& ANumber);
// The negative section for the locale's negative currency format code 0..15; "" for any
// other code.
std::string cxComposeNegativeCurrency(Byte AFormat, const std::string& ASymbol, const std::string& ANumber);
// The format with its first run of 'M' cut to three letters when it is longer.
std::string cxShortenMonthRuns(const std::string& AFormat);

namespace cxFormatsUnit {
void Initialize();
void Finalize();
}  // namespace cxFormatsUnit
