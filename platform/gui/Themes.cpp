// Themes: the visual-style services over uxtheme.
#include "platform/gui/Themes.h"

#include <tmschema.h>

#include <vector>

#include "platform/gui/Controls.h"

namespace {

TThemeServices* services = nullptr;

// The theme class names, by TThemedElement.
const WCHAR* themeClassName(TThemedElement Element) {
  static const WCHAR* const names[] = {
      L"BUTTON",     L"CLOCK",    L"COMBOBOX",   L"EDIT",     L"EXPLORERBAR", L"HEADER",   L"LISTVIEW", L"MENU",
      L"PAGE",       L"PROGRESS", L"REBAR",      L"SCROLLBAR", L"SPIN",       L"STARTPANEL", L"STATUS", L"TAB",
      L"TASKBAND",   L"TASKBAR",  L"TOOLBAR",    L"TOOLTIP",  L"TRACKBAR",    L"TRAYNOTIFY", L"TREEVIEW", L"WINDOW"};
  return names[Element];
}

// One part of a class and how many states it has, in the order the TThemed... enumeration
// lists them after its DontCare and Root values.
struct PartStates {
  Integer Part;
  Integer States;
};

// Details of the Ordinal-th value of an enumeration laid out as Parts says.
TThemedElementDetails detailsOf(TThemedElement Element, Integer Ordinal, std::initializer_list<PartStates> Parts) {
  TThemedElementDetails d;
  d.Element = Element;
  if (Ordinal < 2) return d;  // DontCare and Root: the class as a whole
  Integer rest = Ordinal - 2;
  for (const PartStates& p : Parts) {
    if (rest < p.States) {
      d.Part = p.Part;
      d.State = p.States == 1 ? 0 : rest + 1;
      return d;
    }
    rest -= p.States;
  }
  return d;
}

// cp1252 text as the wide characters uxtheme takes.
std::vector<WCHAR> toWide(const std::string& S) {
  int n = MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  std::vector<WCHAR> w(static_cast<size_t>(n) + 1, 0);
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

}  // namespace

TThemeServices::TThemeServices() {
  available_ = GetModuleHandleA("uxtheme.dll") != nullptr || LoadLibraryA("uxtheme.dll") != nullptr;
  window_ = AllocateHWnd(TWndMethod(this, &TThemeServices::wndProc));
  UpdateThemes();
}

TThemeServices::~TThemeServices() {
  closeThemes();
  if (window_) DeallocateHWnd(window_);
}

void TThemeServices::wndProc(TMessage& Message) {
  if (Message.Msg == WM_THEMECHANGED) {
    ApplyThemeChange();
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
}

void TThemeServices::closeThemes() {
  for (HTHEME& theme : themes_) {
    if (theme) CloseThemeData(theme);
    theme = nullptr;
  }
}

void TThemeServices::UpdateThemes() {
  closeThemes();
  useThemes_ = available_ && IsThemeActive() && IsAppThemed();
}

bool TThemeServices::ThemesEnabled() { return useThemes_; }

HTHEME TThemeServices::Theme(TThemedElement Element) {
  if (!useThemes_) return nullptr;
  if (!themes_[Element]) themes_[Element] = OpenThemeData(nullptr, themeClassName(Element));
  return themes_[Element];
}

void TThemeServices::ApplyThemeChange() {
  UpdateThemes();
  DoOnThemeChange();
}

void TThemeServices::DoOnThemeChange() {
  if (onThemeChange_) onThemeChange_(this);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedButton Detail) {
  if (Detail == tbUserButton) return {teButton, BP_USERBUTTON, 0};
  return detailsOf(teButton, Detail,
                   {{BP_PUSHBUTTON, 5}, {BP_RADIOBUTTON, 8}, {BP_CHECKBOX, 12}, {BP_GROUPBOX, 2}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedComboBox Detail) {
  return detailsOf(teComboBox, Detail, {{CP_DROPDOWNBUTTON, 4}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedEdit Detail) {
  return detailsOf(teEdit, Detail, {{EP_EDITTEXT, 7}, {EP_CARET, 1}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedHeader Detail) {
  return detailsOf(teHeader, Detail,
                   {{HP_HEADERITEM, 3}, {HP_HEADERITEMLEFT, 3}, {HP_HEADERITEMRIGHT, 3}, {HP_HEADERSORTARROW, 2}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedProgress Detail) {
  return detailsOf(teProgress, Detail, {{PP_BAR, 1}, {PP_BARVERT, 1}, {PP_CHUNK, 1}, {PP_CHUNKVERT, 1}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedScrollBar Detail) {
  return detailsOf(teScrollBar, Detail,
                   {{SBP_ARROWBTN, 16},
                    {SBP_THUMBBTNHORZ, 4},
                    {SBP_THUMBBTNVERT, 4},
                    {SBP_LOWERTRACKHORZ, 4},
                    {SBP_UPPERTRACKHORZ, 4},
                    {SBP_LOWERTRACKVERT, 4},
                    {SBP_UPPERTRACKVERT, 4},
                    {SBP_GRIPPERHORZ, 4},
                    {SBP_GRIPPERVERT, 4},
                    {SBP_SIZEBOX, 2}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedSpin Detail) {
  return detailsOf(teSpin, Detail, {{SPNP_UP, 4}, {SPNP_DOWN, 4}, {SPNP_UPHORZ, 4}, {SPNP_DOWNHORZ, 4}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTab Detail) {
  return detailsOf(teTab, Detail,
                   {{TABP_TABITEM, 5},
                    {TABP_TABITEMLEFTEDGE, 5},
                    {TABP_TABITEMRIGHTEDGE, 5},
                    {TABP_TABITEMBOTHEDGE, 5},
                    {TABP_TOPTABITEM, 5},
                    {TABP_TOPTABITEMLEFTEDGE, 5},
                    {TABP_TOPTABITEMRIGHTEDGE, 5},
                    {TABP_TOPTABITEMBOTHEDGE, 5},
                    {TABP_PANE, 1},
                    {TABP_BODY, 1}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedToolBar Detail) {
  return detailsOf(teToolBar, Detail,
                   {{TP_BUTTON, 6},
                    {TP_DROPDOWNBUTTON, 6},
                    {TP_SPLITBUTTON, 6},
                    {TP_SPLITBUTTONDROPDOWN, 6},
                    {TP_SEPARATOR, 6},
                    {TP_SEPARATORVERT, 6}});
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTreeview Detail) {
  return detailsOf(teTreeview, Detail, {{TVP_TREEITEM, 5}, {TVP_GLYPH, 2}, {TVP_BRANCH, 1}});
}

void TThemeServices::DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R,
                                 const TRect* ClipRect) {
  if (HTHEME theme = Theme(Details.Element)) DrawThemeBackground(theme, DC, Details.Part, Details.State, &R, ClipRect);
}

void TThemeServices::DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags,
                              TRect* ContentRect) {
  if (HTHEME theme = Theme(Details.Element))
    DrawThemeEdge(theme, DC, Details.Part, Details.State, &R, Edge, Flags, ContentRect);
}

void TThemeServices::DrawIcon(HDC DC, const TThemedElementDetails& Details, const TRect& R, HIMAGELIST Images,
                              Integer Index) {
  if (HTHEME theme = Theme(Details.Element)) DrawThemeIcon(theme, DC, Details.Part, Details.State, &R, Images, Index);
}

void TThemeServices::DrawText(HDC DC, const TThemedElementDetails& Details, const std::string& S, TRect R,
                              UINT Flags, UINT Flags2) {
  HTHEME theme = Theme(Details.Element);
  if (!theme) return;
  std::vector<WCHAR> text = toWide(S);
  DrawThemeText(theme, DC, Details.Part, Details.State, text.data(), static_cast<int>(text.size()) - 1, Flags, Flags2,
                &R);
}

TRect TThemeServices::ContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect) {
  TRect r = BoundingRect;
  if (HTHEME theme = Theme(Details.Element))
    GetThemeBackgroundContentRect(theme, DC, Details.Part, Details.State, &BoundingRect, &r);
  return r;
}

bool TThemeServices::HasTransparentParts(const TThemedElementDetails& Details) {
  HTHEME theme = Theme(Details.Element);
  return theme && IsThemeBackgroundPartiallyTransparent(theme, Details.Part, Details.State);
}

void TThemeServices::DrawParentBackground(HWND Window, HDC Target, const TThemedElementDetails* Details,
                                          bool OnlyIfTransparent, const TRect* Bounds) {
  if (!useThemes_) return;
  if (OnlyIfTransparent && Details && !HasTransparentParts(*Details)) return;
  TRect r{};
  if (Bounds) r = *Bounds;
  DrawThemeParentBackground(Window, Target, Bounds ? &r : nullptr);
}

void TThemeServices::PaintBorder(TWinControl* Control, bool EraseLRCorner) {
  if (!useThemes_ || !Control || !Control->HandleAllocated()) return;
  HWND h = Control->WindowHandle();
  if (!(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return;
  HDC dc = GetWindowDC(h);
  TRect window;
  GetWindowRect(h, &window);
  OffsetRect(window, -window.left, -window.top);
  TRect inner = window;
  InflateRect(inner, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  DrawElement(dc, GetElementDetails(teEditTextNormal), window);
  if (EraseLRCorner && (GetWindowLongA(h, GWL_STYLE) & WS_HSCROLL) && (GetWindowLongA(h, GWL_STYLE) & WS_VSCROLL)) {
    TRect corner = Rect(inner.right - GetSystemMetrics(SM_CXVSCROLL), inner.bottom - GetSystemMetrics(SM_CYHSCROLL),
                        inner.right, inner.bottom);
    FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
  }
  ReleaseDC(h, dc);
}

TThemeServices* ThemeServices() {
  if (!services) services = new TThemeServices();
  return services;
}

namespace {

// uxtheme's own entries for theme files, exported by ordinal only.
using OpenThemeFileProc = HRESULT(WINAPI*)(const WCHAR* FileName, const WCHAR* Color, const WCHAR* Size,
                                           HANDLE* ThemeFile, DWORD Unknown);
using CloseThemeFileProc = HRESULT(WINAPI*)(HANDLE ThemeFile);
using ApplyThemeProc = HRESULT(WINAPI*)(HANDLE ThemeFile, char* Unknown, HWND Window);

}  // namespace

bool SwitchTestVisualStyle(bool On) {
  HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
  if (!uxtheme) uxtheme = LoadLibraryA("uxtheme.dll");
  if (!uxtheme) return false;
  auto openFile = reinterpret_cast<OpenThemeFileProc>(reinterpret_cast<void*>(GetProcAddress(uxtheme, MAKEINTRESOURCEA(2))));
  auto closeFile = reinterpret_cast<CloseThemeFileProc>(reinterpret_cast<void*>(GetProcAddress(uxtheme, MAKEINTRESOURCEA(3))));
  auto apply = reinterpret_cast<ApplyThemeProc>(reinterpret_cast<void*>(GetProcAddress(uxtheme, MAKEINTRESOURCEA(4))));
  if (!openFile || !closeFile || !apply) return false;
  HRESULT hr;
  if (On) {
    HANDLE file = nullptr;
    hr = openFile(L"C:\\windows\\resources\\themes\\light\\light.msstyles", nullptr, nullptr, &file, 0);
    if (FAILED(hr) || !file) return false;
    hr = apply(file, nullptr, nullptr);
    closeFile(file);
  } else {
    hr = apply(nullptr, nullptr, nullptr);
  }
  ThemeServices()->ApplyThemeChange();
  return SUCCEEDED(hr) && ThemeServices()->ThemesEnabled() == On;
}

namespace ThemesUnit {

void Initialize() {}

void Finalize() {
  delete services;
  services = nullptr;
}

}  // namespace ThemesUnit

RTL_IMPLEMENT_CLASS(TThemeServices)
