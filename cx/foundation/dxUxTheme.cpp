#include "cx/foundation/dxUxTheme.h"

#include <commctrl.h>

#include <cstring>

namespace {

// The entry points in binding order. The table below keeps one untyped cell per name;
// each wrapper casts its cell back to the library's signature.
const char* const kThemeFunctionNames[] = {
    "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "DrawThemeParentBackground",
    "DrawThemeText", "EnableThemeDialogTexture", "GetCurrentThemeName", "GetThemeAppProperties",
    "GetThemeBackgroundContentRect", "GetThemeBackgroundRegion", "GetThemeBackgroundExtent", "GetThemeBool",
    "GetThemeColor", "GetThemeDocumentationProperty", "GetThemeEnumValue", "GetThemeFilename", "GetThemeFont",
    "GetThemeInt", "GetThemeIntList", "GetThemeMargins", "GetThemeMetric", "GetThemePartSize",
    "GetThemePosition", "GetThemePropertyOrigin", "GetThemeRect", "GetThemeString", "GetThemeSysBool",
    "GetThemeSysColor", "GetThemeSysColorBrush", "GetThemeSysFont", "GetThemeSysInt", "GetThemeSysSize",
    "GetThemeSysString", "GetThemeTextExtent", "GetThemeTextMetrics", "GetWindowTheme",
    "HitTestThemeBackground", "IsAppThemed", "IsThemeActive", "IsThemePartDefined",
    "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled", "OpenThemeData",
    "SetThemeAppProperties", "SetWindowTheme",
};
constexpr int kThemeFunctionCount = sizeof(kThemeFunctionNames) / sizeof(kThemeFunctionNames[0]);
static_assert(kThemeFunctionCount == 46);

FARPROC boundFunctions[kThemeFunctionCount] = {};
HMODULE themeLibrary = nullptr;
bool themeCapableWindows = false;

int functionIndex(const char* name) {
  for (int i = 0; i < kThemeFunctionCount; ++i)
    if (std::strcmp(kThemeFunctionNames[i], name) == 0) return i;
  return -1;
}

// The cell of a bound entry point (null when unbound).
FARPROC slot(const char* name) {
  int i = functionIndex(name);
  return i < 0 ? nullptr : boundFunctions[i];
}

// The bound entry point cast to the library's own pointer type, which carries its calling
// convention (a template argument would drop it).
#define DX_BOUND(Name) reinterpret_cast<decltype(&::Name)>(reinterpret_cast<void*>(slot(#Name)))

// True for Windows 5.1 or later: a major version above 5, or 5 with a minor version other
// than 0.
bool dxCheckOSVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148, the ANSI structure's size
  if (!GetVersionExA(&info)) return false;
  return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion != 0);
}

void dxBindThemeFunctions() {
  for (int i = 0; i < kThemeFunctionCount; ++i) boundFunctions[i] = GetProcAddress(themeLibrary, kThemeFunctionNames[i]);
}

}  // namespace

bool dxIsThemeLibraryLoaded() { return themeLibrary != nullptr; }
bool dxIsThemeCapableWindows() { return themeCapableWindows; }

bool isThemeFunctionBound(const char* name) {
  int i = functionIndex(name);
  return i >= 0 && boundFunctions[i] != nullptr;
}

const char* const* themeFunctionNames(int& count) {
  count = kThemeFunctionCount;
  return kThemeFunctionNames;
}

TdxTheme dxOpenThemeData(HWND hwnd, LPCWSTR pszClassList) {
  auto f = DX_BOUND(OpenThemeData);
  return f ? f(hwnd, pszClassList) : nullptr;
}

HRESULT dxCloseThemeData(TdxTheme hTheme) {
  auto f = DX_BOUND(CloseThemeData);
  return f ? f(hTheme) : E_NOTIMPL;
}

HRESULT dxDrawThemeBackground(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                              const RECT* pClipRect) {
  auto f = DX_BOUND(DrawThemeBackground);
  return f ? f(hTheme, hdc, iPartId, iStateId, pRect, pClipRect) : E_NOTIMPL;
}

HRESULT dxDrawThemeText(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int iCharCount,
                        DWORD dwTextFlags, DWORD dwTextFlags2, const RECT* pRect) {
  auto f = DX_BOUND(DrawThemeText);
  return f ? f(hTheme, hdc, iPartId, iStateId, pszText, iCharCount, dwTextFlags, dwTextFlags2, pRect) : E_NOTIMPL;
}

HRESULT dxGetThemeBackgroundContentRect(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId,
                                        const RECT* pBoundingRect, RECT* pContentRect) {
  auto f = DX_BOUND(GetThemeBackgroundContentRect);
  return f ? f(hTheme, hdc, iPartId, iStateId, pBoundingRect, pContentRect) : E_NOTIMPL;
}

HRESULT dxGetThemePartSize(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, RECT* prc, THEMESIZE eSize,
                           SIZE* psz) {
  auto f = DX_BOUND(GetThemePartSize);
  return f ? f(hTheme, hdc, iPartId, iStateId, prc, eSize, psz) : E_NOTIMPL;
}

HRESULT dxGetThemeBackgroundRegion(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                   HRGN* pRegion) {
  auto f = DX_BOUND(GetThemeBackgroundRegion);
  return f ? f(hTheme, hdc, iPartId, iStateId, pRect, pRegion) : E_NOTIMPL;
}

HRESULT dxDrawThemeEdge(TdxTheme hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pDestRect, UINT uEdge,
                        UINT uFlags, RECT* pContentRect) {
  auto f = DX_BOUND(DrawThemeEdge);
  return f ? f(hTheme, hdc, iPartId, iStateId, pDestRect, uEdge, uFlags, pContentRect) : E_NOTIMPL;
}

BOOL dxIsThemeBackgroundPartiallyTransparent(TdxTheme hTheme, int iPartId, int iStateId) {
  auto f = DX_BOUND(IsThemeBackgroundPartiallyTransparent);
  return f ? f(hTheme, iPartId, iStateId) : FALSE;
}

HRESULT dxDrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* prc) {
  auto f = DX_BOUND(DrawThemeParentBackground);
  return f ? f(hwnd, hdc, const_cast<RECT*>(prc)) : E_NOTIMPL;
}

HRESULT dxGetThemeColor(TdxTheme hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor) {
  auto f = DX_BOUND(GetThemeColor);
  return f ? f(hTheme, iPartId, iStateId, iPropId, pColor) : E_NOTIMPL;
}

BOOL dxIsThemeActive() {
  auto f = DX_BOUND(IsThemeActive);
  return f ? f() : FALSE;
}

HRESULT dxGetCurrentThemeName(LPWSTR pszThemeFileName, int dwMaxNameChars, LPWSTR pszColorBuff,
                              int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars) {
  auto f = DX_BOUND(GetCurrentThemeName);
  return f ? f(pszThemeFileName, dwMaxNameChars, pszColorBuff, cchMaxColorChars, pszSizeBuff, cchMaxSizeChars)
           : E_NOTIMPL;
}

void dxUxThemeInitialize() {
  themeCapableWindows = dxCheckOSVersion();
  InitCommonControls();
  if (!themeCapableWindows || themeLibrary != nullptr) return;
  themeLibrary = LoadLibraryA("UxTheme.dll");
  if (themeLibrary) dxBindThemeFunctions();
}

void dxUxThemeFinalize() {
  for (FARPROC& f : boundFunctions) f = nullptr;
  if (themeLibrary) {
    FreeLibrary(themeLibrary);
    themeLibrary = nullptr;
  }
}

namespace dxUxThemeUnit {
void Initialize() { dxUxThemeInitialize(); }
void Finalize() { dxUxThemeFinalize(); }
}  // namespace dxUxThemeUnit
