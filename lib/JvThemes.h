#pragma once
// Theme-aware background painting of the library's controls, and the print-client
// hygiene of windowed controls: while this unit runs, every windowed control gives back a
// device context it was asked to print its client area into in the state it received it
// (origin, clip region, selected objects).

#include <windows.h>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

// The style bits that matter for parent backgrounds: csNeedsBorderPaint and
// csParentBackground of the control's style.
TControlStyle JvGetControlStyle(TControl* Control);

// Fills Rect of Canvas with Color, or, when the control shows its parent's themed
// background there (visual styles on, same colour as the parent, ...), draws that
// background instead. The second form takes the canvas brush's colour.
void JvFillThemedBackground(TControl* Control, TCanvas* Canvas, const TRect& Rect, TColor Color,
                            bool NeedsParentBackground = false);
void JvFillThemedBackground(TControl* Control, TCanvas* Canvas, const TRect& Rect,
                            bool NeedsParentBackground = false);
void JvFillThemedBackgroundDC(TControl* Control, HDC DC, const TRect& Rect, HBRUSH Brush,
                              bool NeedsParentBackground = false);

// Lets Control's parent erase into DC (WM_ERASEBKGND), with the DC's origin moved by
// Offset and, when Rect is given, clipped to Rect; the DC's origin and clip region come
// back as they were. Nothing when the control has no parent. The second form moves the
// origin by the control's Left and Top.
void JvEraseWithParent(TControl* Control, HDC DC, const TPoint& Offset, const TRect* Rect = nullptr);
void JvEraseWithParent(TControl* Control, HDC DC, const TRect* Rect = nullptr);

// Whether the visual-style library is loaded and a style is on for this program.
bool JvThemesActive();

namespace JvThemesUnit {
// Installs the print-client wrapper; Finalize puts the previous handling back.
void Initialize();
void Finalize();
}  // namespace JvThemesUnit
