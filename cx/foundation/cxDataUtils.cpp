#include "cx/foundation/cxDataUtils.h"

#include <windows.h>

#include "platform/rtl/SysUtils.h"

// ---------------------------------------------------------------------------------------
// TcxCustomDataBinding

RTL_IMPLEMENT_CLASS(TcxCustomDataBinding)

TcxCustomDataBinding::TcxCustomDataBinding(TPersistent* AOwner, TComponent* AControl)
    : FControl(AControl), FOwner(AOwner) {}

TcxCustomDataBinding::TcxCustomDataBinding(const TCreateArgs* Args)
    : TcxCustomDataBinding(Args ? Args->Owner : nullptr, Args ? Args->Control : nullptr) {}

TcxCustomDataBinding* TcxCustomDataBinding::CreateOfClass(TClass AClass, TPersistent* AOwner, TComponent* AControl) {
  if (AClass == nullptr || !AClass->InheritsFrom(StaticClass()))
    throw EInvalidCast("Invalid class typecast");
  TCreateArgs args{AOwner, AControl};
  return static_cast<TcxCustomDataBinding*>(AClass->CreateInstance(&args));
}

void TcxCustomDataBinding::NotifyValueChanged() {
  if (FOnValueChanged) FOnValueChanged();
}

void TcxCustomDataBinding::NotifySourceChanged() {
  if (FOnSourceChanged) FOnSourceChanged();
}

bool TcxCustomDataBinding::ExecuteDataAction(TBasicAction*) { return false; }

bool TcxCustomDataBinding::UpdateDataAction(TBasicAction*) { return false; }

void TcxCustomDataBinding::NotifyStoreRequest() {
  if (FOnStoreRequest) FOnStoreRequest();
}

Variant TcxCustomDataBinding::GetDataValue(Integer, bool) { return Null(); }

bool TcxCustomDataBinding::HasDataValue() { return true; }

void TcxCustomDataBinding::Reset() {}

bool TcxCustomDataBinding::CanModify() { return true; }

void TcxCustomDataBinding::SetDataValue(Integer, const Variant&) {}

void TcxCustomDataBinding::PostValue() {}

// ---------------------------------------------------------------------------------------
// Data utilities

std::string cxMakeCurrencyDisplayFormat() {
  std::string number = ",0." + std::string(CurrencyDecimals, '0');
  // The symbol's separators would otherwise be read as format characters.
  std::string symbol;
  for (char c : CurrencyString) {
    if (c == ',' || c == '.')
      symbol += std::string("'") + c + "'";
    else
      symbol += c;
  }
  if (symbol.empty()) return number;
  return PlaceCurrencySymbol(number, symbol, CurrencyFormat, false);
}

TDateTime cxDatePart(TDateTime ADate) { return static_cast<TDateTime>(Trunc(ADate)); }

TDateTime cxTimePart(TDateTime ADate) { return static_cast<TDateTime>(Frac(ADate)); }

Integer cxFirstWeekDay() {
  // The locale counts 0 Monday .. 6 Sunday.
  char buffer[8] = {};
  std::string value = "0";
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IFIRSTDAYOFWEEK, buffer, sizeof buffer) > 0) value = buffer;
  Integer day = StrToInt(value) + 1;
  return day == 7 ? 0 : day;
}

TDateTime cxStartOfWeek(TDateTime ADate) {
  Integer first = cxFirstWeekDay();
  Integer weekDay = DayOfWeek(ADate) - 1;
  if (weekDay >= first) return cxDatePart(ADate) - (weekDay - first);
  return cxDatePart(ADate) - 7 + (first - weekDay);
}

bool cxTextEqualsOrStartsWith(const std::string& AText, const std::string& APattern, bool APartial) {
  std::string text = AnsiUpperCase(AText);
  std::string pattern = AnsiUpperCase(APattern);
  if (pattern.empty() || !APartial) return text == pattern;
  return text.size() >= pattern.size() && text.compare(0, pattern.size(), pattern) == 0;
}
