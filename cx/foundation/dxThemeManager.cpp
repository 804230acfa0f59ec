#include "cx/foundation/dxThemeManager.h"

#include <string>

#include "platform/rtl/SysUtils.h"

bool dxThemesActive = false;

namespace {

const WCHAR* const kDefaultClassNames[dxThemeClassCount] = {
    L"Button", L"Clock", L"ComboBox", L"Edit", L"ExplorerBar", L"Header", L"ListView", L"Menu",
    L"Page", L"Progress", L"Rebar", L"ScrollBar", L"Spin", L"StartPanel", L"Status", L"Tab",
    L"TaskBand", L"TaskBar", L"ToolBar", L"ToolTip", L"TrackBar", L"TrayNotify", L"TreeView", L"Window",
};

// A class list kept as 16-bit characters with its terminating zero (empty: no list).
using WideText = std::vector<WCHAR>;

struct TdxThemeData {
  TdxTheme Handle = nullptr;
  WideText ClassList;
};

TdxThemeData themeData[dxThemeClassCount];
std::vector<TdxThemeChangedNotificator*>* notificators = nullptr;
TdxThemeChangedEventReceiver* receiver = nullptr;

WideText toWideText(LPCWSTR text) {
  WideText result;
  if (text == nullptr) return result;
  for (const WCHAR* p = text; *p; ++p) result.push_back(*p);
  result.push_back(0);
  return result;
}

// The text as upper-case ANSI, the form in which two class lists are compared.
std::string upperAnsi(LPCWSTR text) {
  if (text == nullptr || *text == 0) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, s.data(), n, nullptr, nullptr);
  s.resize(static_cast<size_t>(n - 1));
  CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

LPCWSTR textOf(const WideText& w) { return w.empty() ? nullptr : w.data(); }

// The theme-change steps shared by the window procedure and the message-map handler.
void themeChanged(HWND window, TMessage& message) {
  dxCloseAllThemeHandles();
  DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
  dxThemesActive = dxIsThemeActive() != FALSE;
  message.Result = 0;
  // By index: a handler may create or free notificators while the list is walked.
  for (size_t i = 0; notificators != nullptr && i < notificators->size(); ++i) {
    TdxThemeChangedNotificator* n = (*notificators)[i];
    if (n->OnThemeChanged().Assigned()) n->OnThemeChanged()();
  }
}

const char kReceiverWindowClass[] = "TdxThemeChangedEventReceiverWindow";

LRESULT CALLBACK receiverWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* owner = reinterpret_cast<TdxThemeChangedEventReceiver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (owner == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
  TMessage message;
  message.Msg = msg;
  message.WParam = wParam;
  message.LParam = lParam;
  owner->WndProc(message);
  return message.Result;
}

void registerReceiverWindowClass() {
  WNDCLASSA wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), kReceiverWindowClass, &wc)) return;
  wc.lpfnWndProc = receiverWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kReceiverWindowClass;
  RegisterClassA(&wc);
}

}  // namespace

const WCHAR* dxThemeClassName(TdxThemeClassIndex AClass) { return kDefaultClassNames[AClass]; }

bool dxCanUseThemes(TdxThemeClasses AClasses) {
  if (!dxThemesActive || !dxIsThemeLibraryLoaded()) return false;
  for (int i = 0; i < dxThemeClassCount; ++i)
    if (AClasses.Contains(TdxThemeClassIndex(i)) && dxGetThemeHandle(TdxThemeClassIndex(i)) == nullptr)
      return false;
  return true;
}

TdxTheme dxGetThemeHandle(TdxThemeClassIndex AClass, LPCWSTR AClassList) {
  if (!dxCanUseThemes()) return nullptr;
  TdxThemeData& data = themeData[AClass];
  if (data.Handle != nullptr) {
    if (AClassList == nullptr) return data.Handle;
    if (upperAnsi(AClassList) == upperAnsi(textOf(data.ClassList))) return data.Handle;
    dxCloseThemeHandle(AClass);
  }
  WideText list;
  if (AClassList != nullptr)
    list = toWideText(AClassList);
  else if (!data.ClassList.empty())
    list = data.ClassList;
  else
    list = toWideText(kDefaultClassNames[AClass]);
  TdxTheme handle = dxOpenThemeData(nullptr, textOf(list));
  if (handle != nullptr) {
    data.Handle = handle;
    data.ClassList = std::move(list);
  } else {
    data.ClassList.clear();
  }
  return handle;
}

HRESULT dxCloseThemeHandle(TdxThemeClassIndex AClass) {
  if (!dxCanUseThemes()) return S_FALSE;
  TdxThemeData& data = themeData[AClass];
  if (data.Handle == nullptr) return S_OK;
  HRESULT result = dxCloseThemeData(data.Handle);
  data.Handle = nullptr;
  data.ClassList.clear();
  return result;
}

void dxCloseAllThemeHandles() {
  for (TdxThemeData& data : themeData)
    if (data.Handle != nullptr) {
      dxCloseThemeData(data.Handle);
      data.Handle = nullptr;
    }
}

// ---------------------------------------------------------------------------------------
// TdxThemeChangedNotificator

RTL_IMPLEMENT_CLASS(TdxThemeChangedNotificator)

TdxThemeChangedNotificator::TdxThemeChangedNotificator() {
  if (dxIsThemeLibraryLoaded() && notificators != nullptr) notificators->push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator() {
  if (notificators == nullptr) return;
  for (auto it = notificators->begin(); it != notificators->end(); ++it)
    if (*it == this) {
      notificators->erase(it);
      break;
    }
}

// ---------------------------------------------------------------------------------------
// TdxThemeChangedEventReceiver

RTL_BEGIN_CLASS(TdxThemeChangedEventReceiver)
  b.Message(WM_THEMECHANGED, &TdxThemeChangedEventReceiver::HandleThemeChanged);
RTL_END_CLASS

TdxThemeChangedEventReceiver::TdxThemeChangedEventReceiver() {
  registerReceiverWindowClass();
  FWindowHandle = CreateWindowExA(WS_EX_TOOLWINDOW, kReceiverWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  if (FWindowHandle) SetWindowLongPtrA(FWindowHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TdxThemeChangedEventReceiver::~TdxThemeChangedEventReceiver() {
  dxThemesActive = false;
  if (FWindowHandle) {
    SetWindowLongPtrA(FWindowHandle, GWLP_USERDATA, 0);
    DestroyWindow(FWindowHandle);
  }
}

void TdxThemeChangedEventReceiver::WndProc(TMessage& Message) {
  if (Message.Msg != WM_THEMECHANGED) {
    Message.Result = DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  // No exception may leave a window procedure: report it the way the application's
  // handler does, with a message box, and return normally.
  try {
    themeChanged(FWindowHandle, Message);
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    MessageBoxA(nullptr, e.Message().c_str(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
}

void TdxThemeChangedEventReceiver::HandleThemeChanged(TMessage& Message) { themeChanged(FWindowHandle, Message); }

TdxThemeChangedEventReceiver* themeChangedEventReceiver() { return receiver; }

// ---------------------------------------------------------------------------------------
// Unit start and end

void dxThemeManagerInitialize() {
  if (!dxIsThemeLibraryLoaded()) return;
  dxThemesActive = dxIsThemeActive() != FALSE;
  if (receiver == nullptr) receiver = new TdxThemeChangedEventReceiver;
  if (notificators == nullptr) notificators = new std::vector<TdxThemeChangedNotificator*>;
}

void dxThemeManagerFinalize() {
  if (dxIsThemeLibraryLoaded()) {
    delete receiver;
    receiver = nullptr;
    dxCloseAllThemeHandles();
    delete notificators;
    notificators = nullptr;
  }
  for (TdxThemeData& data : themeData) data = TdxThemeData();
  dxThemesActive = false;
}

namespace dxThemeManagerUnit {
void Initialize() { dxThemeManagerInitialize(); }
void Finalize() { dxThemeManagerFinalize(); }
}  // namespace dxThemeManagerUnit
