#pragma once
// Theme handles and theme-change notification. One theme handle per theme class is kept
// open in a process-wide cache; the system's theme-change message, received by a hidden
// window, closes them all, re-reads whether themes are on and tells every notificator.
//
// Painters ask dxCanUseThemes (or dxGetThemeHandle) first and draw their own way when the
// answer is no: no theme library, themes off, or a class the current theme cannot open.

#include <vector>

#include "cx/foundation/dxUxTheme.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

// The theme classes, each with its default class name ("Button" ... "Window").
RTL_ENUM(TdxThemeClassIndex, totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader, totListView,
         totMenu, totPage, totProgress, totRebar, totScrollBar, totSpin, totStartPanel, totStatus, totTab,
         totTaskBand, totTaskBar, totToolBar, totToolTip, totTrackBar, totTrayNotify, totTreeView, totWindow)
constexpr int dxThemeClassCount = 24;
// A set of theme classes (bit i for class i, as callers pass it as a 32-bit mask).
using TdxThemeClasses = Set<TdxThemeClassIndex>;

// Themes are on: set at start from IsThemeActive and after every theme change.
extern bool dxThemesActive;

// True when themes are on and the library is loaded; with classes given, also only when
// each of them (in index order) can be opened.
bool dxCanUseThemes(TdxThemeClasses AClasses = TdxThemeClasses());
// The cached theme handle of a class, opened on first use; 0 when themes cannot be used
// or the class cannot be opened. AClassList (null for the default name, or the list the
// class was last opened with) names the classes to open; asking with another list than
// the cached handle's (compared without regard to case) reopens the handle.
TdxTheme dxGetThemeHandle(TdxThemeClassIndex AClass, LPCWSTR AClassList = nullptr);
// Closes the class's cached handle: the close result, S_OK (0) when nothing was open,
// S_FALSE (1) when themes cannot be used.
HRESULT dxCloseThemeHandle(TdxThemeClassIndex AClass);
// Closes every cached handle (the class lists are kept, so a class opened with its own
// list is reopened with it).
void dxCloseAllThemeHandles();
// The default class name of a theme class ("ScrollBar" for totScrollBar).
const WCHAR* dxThemeClassName(TdxThemeClassIndex AClass);

// Tells its owner after each theme change. Every notificator made while the theme
// library is loaded is in one list, in creation order; without the library its event
// never fires.
class TdxThemeChangedNotificator : public TObject {
  RTL_DECLARE_CLASS(TdxThemeChangedNotificator, TObject)
public:
  TdxThemeChangedNotificator();
  ~TdxThemeChangedNotificator() override;
  TdxThemeChangedNotificator(const TdxThemeChangedNotificator&) = delete;
  TdxThemeChangedNotificator& operator=(const TdxThemeChangedNotificator&) = delete;

  const TEvent<void()>& OnThemeChanged() const { return FOnThemeChanged; }
  void SetOnThemeChanged(const TEvent<void()>& Value) { FOnThemeChanged = Value; }

private:
  TEvent<void()> FOnThemeChanged;
};

// The owner of the hidden window that receives WM_THEMECHANGED. One per process, made at
// the unit's start when the theme library is loaded.
class TdxThemeChangedEventReceiver : public TObject {
  RTL_DECLARE_CLASS(TdxThemeChangedEventReceiver, TObject)
public:
  TdxThemeChangedEventReceiver();
  ~TdxThemeChangedEventReceiver() override;
  TdxThemeChangedEventReceiver(const TdxThemeChangedEventReceiver&) = delete;
  TdxThemeChangedEventReceiver& operator=(const TdxThemeChangedEventReceiver&) = delete;

  HWND Handle() const { return FWindowHandle; }
  // The window procedure: WM_THEMECHANGED runs the theme-change steps and answers 0;
  // every other message goes to the default window procedure.
  void WndProc(TMessage& Message);
  // The same steps as a message-map handler (the window procedure does not use it).
  void HandleThemeChanged(TMessage& Message);

private:
  HWND FWindowHandle = nullptr;
};

// The receiver of this process, null when the theme library is not loaded.
TdxThemeChangedEventReceiver* themeChangedEventReceiver();

// Unit start and end (after and before dxUxTheme's).
void dxThemeManagerInitialize();
void dxThemeManagerFinalize();

namespace dxThemeManagerUnit {
void Initialize();
void Finalize();
}  // namespace dxThemeManagerUnit
