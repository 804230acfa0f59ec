#pragma once
// The base of a data-aware control's link to its data, and small data utilities shared by
// the data controller, its filters and the editors: the default currency display format,
// the date and time parts of a date-time, the first day of the week and the start of a
// week, and a case-insensitive equality or prefix test.

#include <string>

#include "platform/rtl/Classes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variants.h"

class TBasicAction;

// The link between a control and its data. Every operation is a hook with a neutral answer
// here, so a control holding this class itself behaves as an unbound control; bound
// descendants override the hooks. The control sets the three events to its own handlers.
class TcxCustomDataBinding : public TPersistent {
  RTL_DECLARE_CLASS(TcxCustomDataBinding, TPersistent)
public:
  // The arguments of the virtual constructor (a class reference of a descendant builds one
  // with CreateInstance(&args), or with CreateOfClass).
  struct TCreateArgs {
    TPersistent* Owner;
    TComponent* Control;
  };
  using TConstructorArg = const TCreateArgs*;

  TcxCustomDataBinding(TPersistent* AOwner, TComponent* AControl);
  explicit TcxCustomDataBinding(const TCreateArgs* Args);

  // A new binding of the class AClass (this class or a descendant) for the owner and the
  // control.
  static TcxCustomDataBinding* CreateOfClass(TClass AClass, TPersistent* AOwner, TComponent* AControl);

  // The component whose data link this is.
  TComponent* Control() const { return FControl; }

  const TEvent<void()>& OnValueChanged() const { return FOnValueChanged; }
  void SetOnValueChanged(const TEvent<void()>& Value) { FOnValueChanged = Value; }
  const TEvent<void()>& OnSourceChanged() const { return FOnSourceChanged; }
  void SetOnSourceChanged(const TEvent<void()>& Value) { FOnSourceChanged = Value; }
  const TEvent<void()>& OnStoreRequest() const { return FOnStoreRequest; }
  void SetOnStoreRequest(const TEvent<void()>& Value) { FOnStoreRequest = Value; }

  // Raise the matching event when it is assigned.
  virtual void NotifyValueChanged();
  virtual void NotifySourceChanged();
  // The control's action handling asks these when it declines an action itself: false.
  virtual bool ExecuteDataAction(TBasicAction* Action);
  virtual bool UpdateDataAction(TBasicAction* Action);
  virtual void NotifyStoreRequest();
  // The value the control shows (the control asks for selector 1): Null.
  virtual Variant GetDataValue(Integer AValueSelector, bool AFocused);
  // Whether GetDataValue has a value to show: true.
  virtual bool HasDataValue();
  // Esc in the control: nothing.
  virtual void Reset();
  // While false the control refuses navigation keys and typed characters: true.
  virtual bool CanModify();
  // The control stores its value (selector 1): nothing.
  virtual void SetDataValue(Integer AValueSelector, const Variant& AValue);
  // The control lost the focus: nothing.
  virtual void PostValue();

  // The owner given to the constructor.
  TPersistent* GetOwner() override { return FOwner; }

private:
  TComponent* FControl;
  TPersistent* FOwner;
  TEvent<void()> FOnValueChanged;
  TEvent<void()> FOnSourceChanged;
  TEvent<void()> FOnStoreRequest;
};

// The default display format of currency values, without a negative section: the number
// pattern ",0." followed by one "0" per currency decimal, with the currency symbol (its ','
// and '.' quoted) placed as the positive currency format says. The global format settings
// are read on each call.
std::string cxMakeCurrencyDisplayFormat();

// The whole days of a date-time (truncated toward zero), and its fraction.
TDateTime cxDatePart(TDateTime ADate);
TDateTime cxTimePart(TDateTime ADate);

// The thread locale's first day of the week, 0 Sunday .. 6 Saturday, read on each call.
// A locale value that is not a number raises EConvertError.
Integer cxFirstWeekDay();
// The first day (at midnight) of the week that contains the date: never after the date's
// day and at most 6 days before it.
TDateTime cxStartOfWeek(TDateTime ADate);

// Both texts upper-cased by the locale: with APartial and a non-empty pattern, whether the
// text begins with the pattern; otherwise whether the two are equal (so an empty pattern
// matches only an empty text).
bool cxTextEqualsOrStartsWith(const std::string& AText, const std::string& APattern, bool APartial);
