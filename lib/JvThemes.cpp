#include "lib/JvThemes.h"

#include <uxtheme.h>
#include "platform/rtl/Scoped.h"

namespace {

TPrintClientWrapper previousWrapper = nullptr;

// Saves the DC around the print-client handling, also when it raises.
void printClientWithSavedDC(TWinControl* Control, TWMPrintClient& Message,
                            void (*Handle)(TWinControl*, TWMPrintClient&)) {
  const int saved = SaveDC(Message.DC);
  {
    ScopeExit atEnd([&] { RestoreDC(Message.DC, saved); });
    Handle(Control, Message);
  }
}

// The visual-style entry points, looked up by name so the program runs without them.
struct ThemeApi {
  BOOL(WINAPI* IsThemeActive)() = nullptr;
  BOOL(WINAPI* IsAppThemed)() = nullptr;
  HRESULT(WINAPI* DrawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
  ThemeApi() {
    HMODULE lib = LoadLibraryA("uxtheme.dll");
    if (!lib) return;
    IsThemeActive = reinterpret_cast<decltype(IsThemeActive)>(GetProcAddress(lib, "IsThemeActive"));
    IsAppThemed = reinterpret_cast<decltype(IsAppThemed)>(GetProcAddress(lib, "IsAppThemed"));
    DrawThemeParentBackground =
        reinterpret_cast<decltype(DrawThemeParentBackground)>(GetProcAddress(lib, "DrawThemeParentBackground"));
  }
};

const ThemeApi& themeApi() {
  static const ThemeApi api;
  return api;
}

bool parentBackgroundWanted(TControl* Control, bool NeedsParentBackground) {
  return !NeedsParentBackground || JvGetControlStyle(Control).Contains(csParentBackground);
}

bool isDoubleBufferedWin(TControl* Control) {
  auto* w = dynamic_cast<TWinControl*>(Control);
  return w && w->DoubleBuffered();
}

}  // namespace

bool JvThemesActive() {
  const ThemeApi& api = themeApi();
  return api.IsThemeActive && api.IsAppThemed && api.DrawThemeParentBackground && api.IsThemeActive() &&
         api.IsAppThemed();
}

TControlStyle JvGetControlStyle(TControl* Control) {
  TControlStyle style;
  if (Control->ControlStyle().Contains(csNeedsBorderPaint)) style.Include(csNeedsBorderPaint);
  if (Control->ControlStyle().Contains(csParentBackground)) style.Include(csParentBackground);
  return style;
}

void JvFillThemedBackground(TControl* Control, TCanvas* Canvas, const TRect& Rect, TColor Color,
                            bool NeedsParentBackground) {
  TWinControl* parent = Control->Parent();
  const bool plainFill = Control->ComponentState().Contains(csDesigning) || !parent ||
                         (Color != parent->Color() && ColorToRGB(Color) != ColorToRGB(parent->Color())) ||
                         !JvThemesActive() || !parentBackgroundWanted(Control, NeedsParentBackground);
  if (plainFill) {
    const TColor old = Canvas->Brush()->Color();
    if (old != Color) Canvas->Brush()->SetColor(Color);
    TRect r = Rect;
    Canvas->FillRect(r);
    if (old != Color) Canvas->Brush()->SetColor(old);
    return;
  }
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (win && !win->DoubleBuffered()) {
    RECT r = Rect;
    themeApi().DrawThemeParentBackground(win->Handle(), Canvas->Handle(), &r);
  } else {
    JvEraseWithParent(Control, Canvas->Handle(), &Rect);
  }
}

void JvFillThemedBackground(TControl* Control, TCanvas* Canvas, const TRect& Rect, bool NeedsParentBackground) {
  JvFillThemedBackground(Control, Canvas, Rect, Canvas->Brush()->Color(), NeedsParentBackground);
}

void JvFillThemedBackgroundDC(TControl* Control, HDC DC, const TRect& Rect, HBRUSH Brush,
                              bool NeedsParentBackground) {
  LOGBRUSH lb{};
  GetObjectA(Brush, sizeof lb, &lb);
  TWinControl* parent = Control->Parent();
  const bool themed = !Control->ComponentState().Contains(csDesigning) && parent &&
                      static_cast<COLORREF>(ColorToRGB(parent->Color())) == lb.lbColor && JvThemesActive() &&
                      parentBackgroundWanted(Control, NeedsParentBackground);
  if (!themed) {
    RECT r = Rect;
    FillRect(DC, &r, Brush);
    return;
  }
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (win && !isDoubleBufferedWin(Control)) {
    RECT r = Rect;
    themeApi().DrawThemeParentBackground(win->Handle(), DC, &r);
  } else {
    JvEraseWithParent(Control, DC, &Rect);
  }
}

void JvEraseWithParent(TControl* Control, HDC DC, const TPoint& Offset, const TRect* Rect) {
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  POINT oldOrigin{};
  const bool moved = Offset.x != 0 || Offset.y != 0;
  HRGN previousClip = nullptr;
  bool clipped = false;
  if (moved) {
    GetWindowOrgEx(DC, &oldOrigin);
    SetWindowOrgEx(DC, oldOrigin.x + Offset.x, oldOrigin.y + Offset.y, nullptr);
  }
  auto restore = [&] {
    if (moved) SetWindowOrgEx(DC, oldOrigin.x, oldOrigin.y, nullptr);
    if (clipped) {
      // No clip region before: select none again.
      SelectClipRgn(DC, previousClip);
      if (previousClip) DeleteObject(previousClip);
    }
  };
  {
    ScopeExit atEnd([&] { restore(); });
    if (Rect) {
      previousClip = CreateRectRgn(0, 0, 0, 0);
      if (GetClipRgn(DC, previousClip) != 1) {
        DeleteObject(previousClip);
        previousClip = nullptr;
      }
      clipped = true;
      HRGN clip = CreateRectRgn(Rect->left, Rect->top, Rect->right, Rect->bottom);
      SelectClipRgn(DC, clip);
      DeleteObject(clip);
    }
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  }
}

void JvEraseWithParent(TControl* Control, HDC DC, const TRect* Rect) {
  JvEraseWithParent(Control, DC, Point(Control->Left(), Control->Top()), Rect);
}

namespace JvThemesUnit {
void Initialize() {
  previousWrapper = PrintClientWrapper;
  PrintClientWrapper = &printClientWithSavedDC;
}
void Finalize() {
  if (PrintClientWrapper == &printClientWithSavedDC) PrintClientWrapper = previousWrapper;
}
}  // namespace JvThemesUnit
