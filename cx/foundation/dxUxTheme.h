#pragma once
// Access to the platform's visual-style library, bound by name at start-up so that the
// program neither links to it nor fails without it. Every entry point the component set
// may call is looked up by name; one that is missing stays unbound, and its wrapper then
// answers the failure value of the call (0, FALSE or E_NOTIMPL) instead of calling
// through a null pointer.
//
// Callers ask dxCanUseThemes or dxGetThemeHandle (dxThemeManager) before drawing themed.

#include <windows.h>
#include <uxtheme.h>

#include "platform/rtl/System.h"

using TdxTheme = HTHEME;

// The library was loaded (it may still lack some entry points).
bool dxIsThemeLibraryLoaded();
// Windows 5.1 or later (the version on which the library is looked for at all).
bool dxIsThemeCapableWindows();
// Whether the entry point of that name is bound (names as the library exports them,
// "OpenThemeData" ...). For diagnostics and tests.
bool isThemeFunctionBound(const char* name);
// The names of the entry points looked for, in binding order.
const char* const* themeFunctionNames(int& count);

// Wrappers with the library's signatures.
TdxTheme dxOpenThemeData(HWND hwnd, LPCWSTR pszClassList);
HRESULT dxCloseThemeData(TdxTheme hTheme);
HRESULT dxDrawThemeBackground(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                              const RECT* pClipRect);
HRESULT dxDrawThemeText(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int iCharCount,
                        DWORD dwTextFlags, DWORD dwTextFlags2, const RECT* pRect);
HRESULT dxGetThemeBackgroundContentRect(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId,
                                        const RECT* pBoundingRect, RECT* pContentRect);
HRESULT dxGetThemePartSize(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, RECT* prc, THEMESIZE eSize,
                           SIZE* psz);
HRESULT dxGetThemeBackgroundRegion(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                   HRGN* pRegion);
HRESULT dxDrawThemeEdge(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pDestRect, UINT uEdge,
                        UINT uFlags, RECT* pContentRect);
BOOL dxIsThemeBackgroundPartiallyTransparent(TdxTheme hTheme, int iPartId, int iStateId);
HRESULT dxDrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* prc);
HRESULT dxGetThemeColor(TdxTheme hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor);
BOOL dxIsThemeActive();
HRESULT dxGetCurrentThemeName(LPWSTR pszThemeFileName, int dwMaxNameChars, LPWSTR pszColorBuff,
                              int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars);

// Unit start and end: reads the Windows version, initialises the common controls and,
// on 5.1 or later, loads the library and binds its entry points; the end frees it.
void dxUxThemeInitialize();
void dxUxThemeFinalize();

namespace dxUxThemeUnit {
void Initialize();
void Finalize();
}  // namespace dxUxThemeUnit
