#pragma once
// Small helpers shared by the runtime library's tests.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "platform/rtl/SysUtils.h"

// Runs action and returns the Message() of the exception E it raises; "" when it raises
// nothing, so that comparing with the expected text fails and shows both.
template <class E> std::string messageOf(const std::function<void()>& action) { return RaisedMessage<E>(action); }

// One operation of an error table: what it is, the action, and the message it must raise.
struct RaiseCase {
  const char* what;
  std::function<void()> action;
  const char* message;
};

// Checks that every action raises E with its message.
template <class E> void expectMessages(const std::vector<RaiseCase>& cases) {
  for (const RaiseCase& c : cases) EXPECT_EQ(messageOf<E>(c.action), c.message) << c.what;
}

// An interface object that only counts its references; it starts with the test's own one.
class CountingInterface : public IInterface {
public:
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override {
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *obj = this;
      _AddRef();
      return S_OK;
    }
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE _AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE _Release() override { return --refs; }
};

// Runs each test with known format settings ('.' decimals, dd/mm/yyyy dates) and puts
// the process's settings back afterwards.
class KnownFormatSettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = FormatSettings;
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    DateSeparator = '/';
    TimeSeparator = ':';
    ShortDateFormat = "dd/mm/yyyy";
    LongTimeFormat = "hh:nn:ss";
  }
  void TearDown() override { FormatSettings = saved_; }

private:
  TFormatSettings saved_;
};
