#include "cx/foundation/cxFormats.h"

#include <algorithm>
#include <cstring>

#include "cx/foundation/cxDataUtils.h"
#include "cx/foundation/cxDateUtils.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

RTL_IMPLEMENT_CLASS(TcxFormatController)

namespace {

TcxFormatController* processController = nullptr;

// The setting-change broadcast names the changed section in lParam; the regional settings
// are the section "intl" (compared exactly, as the system sends it).
bool isLocaleChange(const TMessage& Message) {
  return Message.Msg == WM_WININICHANGE && Message.WParam == 0 && Message.LParam != 0 &&
         std::strcmp(reinterpret_cast<const char*>(Message.LParam), "intl") == 0;
}

// Whether the application lets format settings follow the locale (on when there is no
// application object, as the switch starts on).
bool formatSettingsFollowLocale() { return !Application || Application->UpdateFormatSettings(); }

bool isDateElementLetter(char c) { return c == 'M' || c == 'd' || c == 'e' || c == 'y'; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Composers.

std::string cxComposePositiveCurrency(Byte AFormat, const std::string& ASymbol, const std::string& ANumber) {
  // The locale gives only 0..3.
  if (ASymbol.empty() || AFormat > 3) return ANumber;
  return PlaceCurrencySymbol(ANumber, ASymbol, AFormat, false);
}

std::string cxComposeNegativeCurrency(Byte AFormat, const std::string& ASymbol, const std::string& ANumber) {
  if (AFormat > 15) return "";
  return PlaceCurrencySymbol(ANumber, ASymbol, AFormat, true);
}

std::string cxShortenMonthRuns(const std::string& AFormat) {
  std::string result = AFormat;
  size_t first = result.find('M');
  if (first == std::string::npos) return result;
  size_t end = first;
  while (end < result.size() && result[end] == 'M') ++end;
  if (end - first > 3) result.erase(first + 3, end - first - 3);
  return result;
}

// ---------------------------------------------------------------------------------------
// TcxFormatController.

TcxFormatController::TcxFormatController() {
  ReadLocaleSettings();
  if (!processController) processController = this;
}

TcxFormatController::~TcxFormatController() {
  if (FWindow) DeallocateHWnd(FWindow);
  FWindow = nullptr;
  // A freed process-wide controller must not be handed out again.
  if (processController == this) processController = nullptr;
}

void TcxFormatController::HandleMessage(TMessage& Message) {
  if (isLocaleChange(Message) && formatSettingsFollowLocale()) {
    GetFormatSettings();
    ReadLocaleSettings();
    NotifyListeners();
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

void TcxFormatController::SafeWindowProc(TMessage& Message) {
  try {
    HandleMessage(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
    else handleCallbackException();
  }
}

void TcxFormatController::AddListener(IcxFormatChangeListener* AListener) {
  if (std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end()) return;
  if (FListeners.empty() && !FWindow) FWindow = AllocateHWnd(TWndMethod(this, &TcxFormatController::SafeWindowProc));
  FListeners.push_back(AListener);
}

void TcxFormatController::RemoveListener(IcxFormatChangeListener* AListener) {
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AListener), FListeners.end());
  if (FListeners.empty() && FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
}

void TcxFormatController::ReadLocaleSettings() {
  FCurrencyFormatText = BuildCurrencyFormat();
  FWeekStartDay = ReadFirstWeekDay();
  FStdDateMask = BuildDateEditMask();
  FLocaleDateFormat = BuildDateFormat(false);
  FMaskedDateFormat = BuildDateFormat(true);
  FRegExDateMask = cxBuildRegExprDateMask(FLocaleDateFormat, true);
}

void TcxFormatController::NotifyListeners() {
  // A listener may unregister itself or others while being told (an editor freed by a
  // reformat); walk a copy and skip whoever left meanwhile. Listeners added during the walk
  // are not told this time.
  const std::vector<IcxFormatChangeListener*> listeners = FListeners;
  for (IcxFormatChangeListener* listener : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), listener) != FListeners.end()) listener->FormatChanged();
}

std::string TcxFormatController::BuildCurrencyFormat() const {
  const std::string number = ",0." + std::string(CurrencyDecimals, '0');
  // Separator characters in the symbol would be read as format characters: quote them.
  std::string symbol;
  for (char c : CurrencyString) {
    if (c == ',' || c == '.') symbol += std::string("'") + c + "'";
    else symbol += c;
  }
  return cxComposePositiveCurrency(CurrencyFormat, symbol, number) + ";" +
         cxComposeNegativeCurrency(NegCurrFormat, symbol, number);
}

std::string TcxFormatController::BuildDateFormat(bool AForMasks) const {
  const std::string& format = ShortDateFormat;
  std::string result;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == 'd' || c == 'M') {
      const bool alone = (i == 0 || format[i - 1] != c) && (i + 1 == format.size() || format[i + 1] != c);
      if (alone) result += c;
    }
    result += c;
  }
  return AForMasks ? cxShortenMonthRuns(result) : result;
}

Byte TcxFormatController::ReadFirstWeekDay() const { return static_cast<Byte>(cxFirstWeekDay()); }

std::string TcxFormatController::BuildDateEditMask() const {
  const std::string& format = ShortDateFormat;
  if (format.find('g') != std::string::npos) return "";
  std::string mask = "!";
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (!isDateElementLetter(c)) {
      mask += c;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < format.size() && format[end] == c) ++end;
    if (end - i < 3 || c == 'e') mask += "99";
    else if (c == 'y') mask += "9999";
    else mask += "lll";  // month or day names
    i = end;
  }
  // Literals stay in the value; a blank marks the places still to fill.
  return mask + ";1; ";
}

TcxFormatController* cxGetFormatController() {
  if (!processController) New<TcxFormatController>();
  return processController;
}

namespace cxFormatsUnit {
void Initialize() {}
void Finalize() {
  TcxFormatController* controller = processController;
  processController = nullptr;
  FreeObject(controller);
}
}  // namespace cxFormatsUnit
