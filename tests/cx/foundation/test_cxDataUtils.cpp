#include <windows.h>

#include <string>

#include "TestFramework.h"
#include "cx/foundation/cxDataUtils.h"

namespace {

// ---------------------------------------------------------------------------------------
// Data binding.

// Counts the events a binding raises.
class TBindingListener : public TObject {
  RTL_DECLARE_CLASS(TBindingListener, TObject)
public:
  int valueChanged = 0, sourceChanged = 0, storeRequests = 0;
  void ValueChanged() { ++valueChanged; }
  void SourceChanged() { ++sourceChanged; }
  void StoreRequest() { ++storeRequests; }
};
RTL_IMPLEMENT_CLASS(TBindingListener)

// A bound descendant, to be built through the virtual constructor.
class TFixedValueBinding : public TcxCustomDataBinding {
  RTL_DECLARE_CLASS(TFixedValueBinding, TcxCustomDataBinding)
public:
  using TcxCustomDataBinding::TcxCustomDataBinding;
  Variant GetDataValue(Integer AValueSelector, bool) override { return AValueSelector * 10; }
  bool CanModify() override { return false; }
};
RTL_IMPLEMENT_CLASS(TFixedValueBinding)

}  // namespace

TEST(TcxCustomDataBinding, DefaultsBehaveAsAnUnboundControl) {
  TObjectPtr<TComponent> control{New<TComponent>(nullptr)};
  TObjectPtr<TPersistent> owner{New<TPersistent>()};
  TObjectPtr<TcxCustomDataBinding> binding{New<TcxCustomDataBinding>(owner.get(), control.get())};

  EXPECT_EQ(binding->GetOwner(), owner.get());
  EXPECT_EQ(binding->Control(), control.get());
  EXPECT_TRUE(VarIsNull(binding->GetDataValue(1, true))) << "no data value: Null";
  EXPECT_TRUE(binding->HasDataValue());
  EXPECT_TRUE(binding->CanModify());
  EXPECT_FALSE(binding->ExecuteDataAction(nullptr));
  EXPECT_FALSE(binding->UpdateDataAction(nullptr));

  // Unassigned events: the notifications do nothing (and must not fail).
  binding->NotifyValueChanged();
  binding->NotifySourceChanged();
  binding->NotifyStoreRequest();
  binding->Reset();
  binding->PostValue();
  binding->SetDataValue(1, 5);
  EXPECT_TRUE(VarIsNull(binding->GetDataValue(1, false))) << "storing a value changes nothing here";
}

TEST(TcxCustomDataBinding, EachNotificationRaisesItsOwnEvent) {
  TObjectPtr<TBindingListener> listener{New<TBindingListener>()};
  TObjectPtr<TcxCustomDataBinding> binding{New<TcxCustomDataBinding>(nullptr, nullptr)};
  binding->SetOnValueChanged(TEvent<void()>(listener.get(), &TBindingListener::ValueChanged));
  binding->SetOnSourceChanged(TEvent<void()>(listener.get(), &TBindingListener::SourceChanged));
  binding->SetOnStoreRequest(TEvent<void()>(listener.get(), &TBindingListener::StoreRequest));

  binding->NotifyValueChanged();
  EXPECT_EQ(listener->valueChanged, 1);
  EXPECT_EQ(listener->sourceChanged + listener->storeRequests, 0);
  binding->NotifySourceChanged();
  binding->NotifySourceChanged();
  EXPECT_EQ(listener->sourceChanged, 2);
  binding->NotifyStoreRequest();
  EXPECT_EQ(listener->storeRequests, 1);
  EXPECT_EQ(listener->valueChanged, 1);
}

TEST(TcxCustomDataBinding, VirtualConstructorBuildsTheDescendant) {
  TObjectPtr<TComponent> control{New<TComponent>(nullptr)};
  TObjectPtr<TPersistent> owner{New<TPersistent>()};
  TObjectPtr<TcxCustomDataBinding> binding{
      TcxCustomDataBinding::CreateOfClass(TFixedValueBinding::StaticClass(), owner.get(), control.get())};
  ASSERT_EQ(binding->ClassType(), TFixedValueBinding::StaticClass());
  EXPECT_EQ(binding->GetOwner(), owner.get());
  EXPECT_EQ(binding->Control(), control.get());
  EXPECT_EQ(binding->GetDataValue(1, false).AsInteger(), 10);
  EXPECT_FALSE(binding->CanModify());

  TObjectPtr<TcxCustomDataBinding> base{
      TcxCustomDataBinding::CreateOfClass(TcxCustomDataBinding::StaticClass(), owner.get(), control.get())};
  EXPECT_EQ(base->ClassType(), TcxCustomDataBinding::StaticClass());
  EXPECT_THROW(TcxCustomDataBinding::CreateOfClass(TPersistent::StaticClass(), nullptr, nullptr), EInvalidCast)
      << "a class outside the family is refused";
}

// ---------------------------------------------------------------------------------------
// Currency display format.

TEST(cxMakeCurrencyDisplayFormat, FollowsSymbolDecimalsAndPositiveFormat) {
  const std::string savedSymbol = CurrencyString;
  const Byte savedDecimals = CurrencyDecimals, savedFormat = CurrencyFormat;
  struct Case {
    const char* symbol;
    Byte decimals, format;
    const char* expected;
  };
  const Case cases[] = {
      {"R$", 2, 0, "R$,0.00"},
      {"", 2, 0, ",0.00"},
      {"", 3, 3, ",0.000"},
      {"R$", 2, 1, ",0.00R$"},
      {"R$", 2, 2, "R$ ,0.00"},
      {"R$", 2, 3, ",0.00 R$"},
      {"R$", 0, 0, "R$,0."},
      {"p.t.", 1, 3, ",0.0 p'.'t'.'"},
      {"a,b", 2, 0, "a','b,0.00"},
  };
  for (const Case& c : cases) {
    CurrencyString = c.symbol;
    CurrencyDecimals = c.decimals;
    CurrencyFormat = c.format;
    EXPECT_EQ(cxMakeCurrencyDisplayFormat(), c.expected)
        << "symbol \"" << c.symbol << "\", " << int(c.decimals) << " decimals, format " << int(c.format);
  }
  CurrencyString = savedSymbol;
  CurrencyDecimals = savedDecimals;
  CurrencyFormat = savedFormat;
}

// ---------------------------------------------------------------------------------------
// Date parts and weeks.

TEST(cxDateParts, WholeDaysTruncateTowardZeroAndTheFractionRemains) {
  EXPECT_EQ(cxDatePart(-1.25), -1.0);
  EXPECT_EQ(cxDatePart(2.75), 2.0);
  EXPECT_EQ(cxDatePart(45361.0), 45361.0);
  EXPECT_EQ(cxTimePart(2.75), 0.75);
  EXPECT_EQ(cxTimePart(45361.0), 0.0);
}

namespace {

// Runs the body with the thread locale set to lcid, then restores the previous one.
template <class F> void withThreadLocale(LCID lcid, F body) {
  LCID saved = GetThreadLocale();
  ASSERT_TRUE(SetThreadLocale(lcid));
  body();
  SetThreadLocale(saved);
}

const LCID kGerman = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);            // weeks from Monday
const LCID kEnglishUS = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);  // from Sunday

}  // namespace

TEST(cxStartOfWeek, FirstWeekDayComesFromTheThreadLocale) {
  withThreadLocale(kGerman, [] { EXPECT_EQ(cxFirstWeekDay(), 1) << "Monday"; });
  withThreadLocale(kEnglishUS, [] { EXPECT_EQ(cxFirstWeekDay(), 0) << "Sunday"; });
}

TEST(cxStartOfWeek, MondayFirst) {
  // 10 March 2024 is a Sunday, 11 March a Monday.
  const TDateTime sunday = EncodeDate(2024, 3, 10) + EncodeTime(14, 30, 0, 0);
  const TDateTime monday = EncodeDate(2024, 3, 11) + EncodeTime(9, 0, 0, 0);
  withThreadLocale(kGerman, [&] {
    EXPECT_EQ(cxStartOfWeek(sunday), EncodeDate(2024, 3, 4)) << "a Sunday belongs to the week of the Monday before";
    EXPECT_EQ(cxStartOfWeek(monday), EncodeDate(2024, 3, 11)) << "a Monday starts its own week, at midnight";
    EXPECT_EQ(cxStartOfWeek(EncodeDate(2024, 3, 13)), EncodeDate(2024, 3, 11)) << "a Wednesday";
  });
  withThreadLocale(kEnglishUS, [&] {
    EXPECT_EQ(cxStartOfWeek(sunday), EncodeDate(2024, 3, 10)) << "with Sunday first, a Sunday starts its week";
    EXPECT_EQ(cxStartOfWeek(EncodeDate(2024, 3, 16) + 0.99), EncodeDate(2024, 3, 10)) << "a Saturday";
  });
}

TEST(cxStartOfWeek, NeverAfterTheDateAndAtMostSixDaysBefore) {
  for (LCID lcid : {kGerman, kEnglishUS}) {
    withThreadLocale(lcid, [&] {
      Integer first = cxFirstWeekDay();
      for (int day = 0; day < 14; ++day) {
        TDateTime date = EncodeDate(2023, 12, 25) + day + 0.5;
        TDateTime start = cxStartOfWeek(date);
        EXPECT_LE(start, date);
        EXPECT_LT(date - start, 7.0);
        EXPECT_EQ(start, static_cast<double>(static_cast<Int64>(start))) << "midnight";
        EXPECT_EQ(DayOfWeek(start) - 1, first) << "the week starts on the locale's first day";
      }
    });
  }
}

// ---------------------------------------------------------------------------------------
// Text matching.

TEST(cxTextEqualsOrStartsWith, CaseInsensitiveEqualityOrPrefix) {
  struct Case {
    const char* text;
    const char* pattern;
    bool partial, expected;
  };
  const Case cases[] = {
      {"Abcd", "aB", true, true},
      {"Abcd", "aB", false, false},
      {"abcd", "ABCD", false, true},
      {"", "", true, true},
      {"", "", false, true},
      {"x", "", true, false},
      {"x", "", false, false},
      {"ab", "abc", true, false},
      {"a\xE7\xE3o", "A\xC7", true, true},   // "ação" begins with "AÇ": accented letters fold too
      {"\xC1rvore", "\xE1rvore", false, true},  // "Árvore" equals "árvore"
      {"abc", "abd", true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxTextEqualsOrStartsWith(c.text, c.pattern, c.partial), c.expected)
        << "text \"" << c.text << "\", pattern \"" << c.pattern << "\", partial " << c.partial;
}
