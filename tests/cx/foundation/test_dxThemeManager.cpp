// Theme access. The test prefix runs with Wine's "light" visual style switched on (the
// ThemeManager registry values ThemeActive, DllName, ColorName, SizeName); the themed
// checks are skipped with a message when it is not. The unthemed state is reached by
// switching theming off through the theme library's own EnableTheming, which broadcasts
// the theme-change message as a real switch does, and switching it back on afterwards.
#include <string>
#include <vector>

#include "TestFramework.h"
#include "cx/foundation/dxThemeManager.h"
#include "cx/foundation/dxUxTheme.h"
#include "platform/gui/Themes.h"

namespace {

class Listener : public TObject {
public:
  std::vector<int>* log = nullptr;
  int id = 0;
  void Changed() { log->push_back(id); }
};

void sendThemeChange() {
  TdxThemeChangedEventReceiver* receiver = themeChangedEventReceiver();
  ASSERT_NE(receiver, nullptr) << "the theme library is loaded, so a receiver must exist";
  SendMessageA(receiver->Handle(), WM_THEMECHANGED, 0, 0);
}

void pumpMessages() {
  MSG msg;
  for (int i = 0; i < 50; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(2);
  }
}

// Switches the light visual style on for one test and puts the previous state back after it.
class ThemesOn {
public:
  ThemesOn() : wasOn_(dxIsThemeActive()) {
    if (!wasOn_) switched_ = SwitchTestVisualStyle(true);
    pumpMessages();
  }
  ~ThemesOn() {
    if (switched_) SwitchTestVisualStyle(false);
    pumpMessages();
  }

private:
  bool wasOn_;
  bool switched_ = false;
};

#define REQUIRE_THEMES_ON()    \
  ThemesOn themesOn_;          \
  ASSERT_TRUE(dxIsThemeActive()) << "the light visual style could not be switched on"

}  // namespace

TEST(dxUxTheme, EveryEntryPointIsLookedUpByName) {
  ASSERT_TRUE(dxIsThemeCapableWindows());
  ASSERT_TRUE(dxIsThemeLibraryLoaded());
  int count = 0;
  const char* const* names = themeFunctionNames(count);
  EXPECT_EQ(count, 46);
  for (int i = 0; i < count; ++i) EXPECT_TRUE(isThemeFunctionBound(names[i])) << names[i] << " is not bound";
  EXPECT_FALSE(isThemeFunctionBound("NoSuchThemeFunction"));
}

TEST(dxThemeManager, UnboundLibraryAnswersFailureInsteadOfCallingNull) {
  dxThemeManagerFinalize();
  dxUxThemeFinalize();
  EXPECT_FALSE(dxIsThemeLibraryLoaded());
  EXPECT_FALSE(isThemeFunctionBound("OpenThemeData"));
  // Every wrapper must survive being called with nothing bound.
  RECT r{0, 0, 10, 10};
  COLORREF color = 0;
  SIZE size{};
  HRGN region = nullptr;
  WCHAR a[8], b[8], c[8];
  EXPECT_EQ(dxOpenThemeData(nullptr, L"Button"), nullptr);
  EXPECT_TRUE(FAILED(dxCloseThemeData(nullptr)));
  EXPECT_TRUE(FAILED(dxDrawThemeBackground(nullptr, nullptr, 1, 1, &r, nullptr)));
  EXPECT_TRUE(FAILED(dxDrawThemeText(nullptr, nullptr, 1, 1, L"x", 1, 0, 0, &r)));
  EXPECT_TRUE(FAILED(dxGetThemeBackgroundContentRect(nullptr, nullptr, 1, 1, &r, &r)));
  EXPECT_TRUE(FAILED(dxGetThemePartSize(nullptr, nullptr, 1, 1, &r, TS_TRUE, &size)));
  EXPECT_TRUE(FAILED(dxGetThemeBackgroundRegion(nullptr, nullptr, 1, 1, &r, &region)));
  EXPECT_TRUE(FAILED(dxDrawThemeEdge(nullptr, nullptr, 1, 1, &r, 0, 0, &r)));
  EXPECT_FALSE(dxIsThemeBackgroundPartiallyTransparent(nullptr, 1, 1));
  EXPECT_TRUE(FAILED(dxDrawThemeParentBackground(nullptr, nullptr, &r)));
  EXPECT_TRUE(FAILED(dxGetThemeColor(nullptr, 1, 1, 3802, &color)));
  EXPECT_FALSE(dxIsThemeActive());
  EXPECT_TRUE(FAILED(dxGetCurrentThemeName(a, 8, b, 8, c, 8)));

  std::vector<int> log;
  Listener l;
  l.log = &log;
  {
    TdxThemeChangedNotificator orphan;
    orphan.SetOnThemeChanged(TEvent<void()>(&l, &Listener::Changed));
    EXPECT_EQ(themeChangedEventReceiver(), nullptr) << "no receiver without the library";
  }  // destroying a notificator that joined no list is harmless
  EXPECT_TRUE(log.empty());

  dxUxThemeInitialize();
  dxThemeManagerInitialize();
  EXPECT_TRUE(dxIsThemeLibraryLoaded()) << "the binding comes back";
}

TEST(dxThemeManager, ThemeChangeTellsEveryNotificatorOnceInCreationOrder) {
  std::vector<int> log;
  Listener a, b, c;
  a.log = b.log = c.log = &log;
  a.id = 1, b.id = 2, c.id = 3;
  auto* first = new TdxThemeChangedNotificator;
  auto* silent = new TdxThemeChangedNotificator;  // no handler assigned
  auto* second = new TdxThemeChangedNotificator;
  auto* gone = new TdxThemeChangedNotificator;
  first->SetOnThemeChanged(TEvent<void()>(&a, &Listener::Changed));
  second->SetOnThemeChanged(TEvent<void()>(&b, &Listener::Changed));
  gone->SetOnThemeChanged(TEvent<void()>(&c, &Listener::Changed));
  delete gone;
  sendThemeChange();
  EXPECT_EQ(log, (std::vector<int>{1, 2}));
  delete first;
  delete silent;
  delete second;
}

// ---------------------------------------------------------------------------------------
// Themed

TEST(dxThemeManager, HandlesAreCachedReopenedAndClosedOnThemeChange) {
  REQUIRE_THEMES_ON();
  EXPECT_TRUE(dxThemesActive);
  EXPECT_TRUE(dxCanUseThemes());
  EXPECT_TRUE(dxCanUseThemes(TdxThemeClasses{totButton, totEdit}));

  TdxTheme scroll = dxGetThemeHandle(totScrollBar);
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(dxGetThemeHandle(totScrollBar), scroll) << "a second request answers the cached handle";
  EXPECT_EQ(dxGetThemeHandle(totScrollBar, L"SCROLLBAR"), scroll) << "the same list in other case reuses it";
  TdxTheme reopened = dxGetThemeHandle(totScrollBar, L"Button");
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(dxGetThemeHandle(totScrollBar), reopened) << "the new list is remembered";

  std::vector<int> log;
  Listener l;
  l.log = &log;
  l.id = 7;
  TdxThemeChangedNotificator n;
  n.SetOnThemeChanged(TEvent<void()>(&l, &Listener::Changed));
  sendThemeChange();
  EXPECT_EQ(log, (std::vector<int>{7}));
  EXPECT_TRUE(dxThemesActive) << "re-read from the library after the change";
  EXPECT_EQ(dxCloseThemeHandle(totScrollBar), S_OK) << "the change closed the cached handle already";
  EXPECT_NE(dxGetThemeHandle(totScrollBar), nullptr) << "the next request reopens it";
  dxCloseThemeHandle(totScrollBar);
}

TEST(dxThemeManager, AClassTheStyleDoesNotDefineMakesCanUseThemesFalse) {
  REQUIRE_THEMES_ON();
  int missing = -1;
  for (int i = 0; i < dxThemeClassCount && missing < 0; ++i) {
    TdxTheme probe = dxOpenThemeData(nullptr, dxThemeClassName(TdxThemeClassIndex(i)));
    if (probe)
      dxCloseThemeData(probe);
    else
      missing = i;
  }
  if (missing < 0) GTEST_SKIP() << "the light style defines all 24 classes";
  EXPECT_FALSE(dxCanUseThemes(TdxThemeClasses{totButton, TdxThemeClassIndex(missing)}))
      << "class " << missing << " cannot be opened";
  EXPECT_TRUE(dxCanUseThemes(TdxThemeClasses{totButton}));
}

TEST(dxThemeManager, SwitchingThemingOffIsSeenThroughTheThemeChangeMessage) {
  REQUIRE_THEMES_ON();
  using EnableThemingProc = HRESULT(WINAPI*)(BOOL);
  auto enableTheming = reinterpret_cast<EnableThemingProc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("uxtheme.dll"), "EnableTheming")));
  if (enableTheming == nullptr) GTEST_SKIP() << "the theme library has no EnableTheming";
  ASSERT_NE(dxGetThemeHandle(totButton), nullptr);
  std::vector<int> log;
  Listener l;
  l.log = &log;
  l.id = 1;
  TdxThemeChangedNotificator n;
  n.SetOnThemeChanged(TEvent<void()>(&l, &Listener::Changed));

  // The library records the switch in the registry: keep the value to put it back.
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", 0, KEY_ALL_ACCESS,
                &key);
  char saved[16] = "1";
  DWORD size = sizeof saved;
  RegQueryValueExA(key, "ThemeActive", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size);

  enableTheming(FALSE);
  pumpMessages();
  const bool activeWhileOff = dxThemesActive;
  const bool usableWhileOff = dxCanUseThemes();
  TdxTheme handleWhileOff = dxGetThemeHandle(totScrollBar);
  HRESULT closeWhileOff = dxCloseThemeHandle(totScrollBar);
  const size_t notifiedOff = log.size();
  enableTheming(TRUE);
  pumpMessages();
  RegSetValueExA(key, "ThemeActive", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                 static_cast<DWORD>(strlen(saved) + 1));
  RegCloseKey(key);

  EXPECT_GE(notifiedOff, 1u) << "the switch reached the notificator";
  EXPECT_FALSE(activeWhileOff);
  EXPECT_FALSE(usableWhileOff);
  EXPECT_EQ(handleWhileOff, nullptr) << "no handle while themes are off";
  EXPECT_EQ(closeWhileOff, S_FALSE) << "1 when themes cannot be used";
  // Switching back on is the library's business: this one does not reload the style in
  // a running process, so nothing is asserted about the state afterwards.
}
