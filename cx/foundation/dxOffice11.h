#pragma once
// The process-wide colour scheme of the bar painters' office style: 62 colour slots, the
// brushes and bitmaps made from them, and the gradient, frame, grip and arrow drawing
// the painters share. With the visual style "LUNA.MSSTYLES" in one of its three colour
// variants the colours come from a fixed table per variant; otherwise they are derived
// from the system colours.
//
// The colours are computed when the first user arrives (dxOffice11ColorsAddRef) and when
// a user reports a system-colour change (dxOffice11ColorsRecalculate); the brushes and
// bitmaps live exactly as long as there is at least one user. GUI thread only.

#include <windows.h>

#include "platform/gui/Graphics.h"

constexpr int dxOffice11ColorCount = 62;
constexpr int dxOffice11BrushCount = 16;

// The colour slots, each an RGB value (never a system colour). The painters read them by
// number; the table in the .cpp gives each slot's value.
extern TColor dxOffice11Colors[dxOffice11ColorCount];
// How far the middle colour of a double gradient leans from the first colour toward the
// second: 41 (blue), 125 (olive), 40 (silver), 75 without a scheme.
extern Integer dxOffice11DoubleGradientPercent;
// Solid brushes made from colour slots while the colours are in use; positions 11, 13 and
// 14 hold the same brushes as 4, 6 and 10.
extern HBRUSH dxOffice11Brushes[dxOffice11BrushCount];
// The sub-menu expand glyph recoloured to the scheme, and the minus and plus expand
// buttons; they exist while the colours are in use.
extern TBitmap* dxOffice11SubMenuExpandBitmap;
extern TBitmap* dxOffice11ExpandButtonMinusBitmap;
extern TBitmap* dxOffice11ExpandButtonPlusBitmap;

// Names under which the bar painters read some of the slots.
inline TColor& Office11DockColor1 = dxOffice11Colors[0];
inline TColor& Office11DockColor2 = dxOffice11Colors[1];
inline TColor& Office11BarColor1 = dxOffice11Colors[2];
inline TColor& Office11BarColor2 = dxOffice11Colors[3];
inline TColor& Office11BarShadowColor = dxOffice11Colors[10];
inline TColor& Office11BarEdgeColor = dxOffice11Colors[11];
inline TColor& Office11MarkArrowColor = dxOffice11Colors[22];
inline TColor& Office11MarkArrowLightColor = dxOffice11Colors[23];
inline TColor& Office11FloatBorderColor = dxOffice11Colors[24];
inline TColor& Office11FloatBorderInnerColor = dxOffice11Colors[25];
inline TColor& Office11RarelyUsedColumnColor1 = dxOffice11Colors[36];
inline TColor& Office11RarelyUsedColumnColor2 = dxOffice11Colors[37];
inline TColor& Office11DownColor = dxOffice11Colors[47];
inline TColor& Office11TextColor = dxOffice11Colors[51];
inline TColor& Office11DisabledTextColor = dxOffice11Colors[52];

// --- Colour management.
void dxOffice11ColorsAddRef();
void dxOffice11ColorsRelease();
void dxOffice11ColorsRecalculate();
// The number of users (dxOffice11ColorsAddRef minus dxOffice11ColorsRelease).
Integer dxOffice11ColorsRefCount();
// Whether the current colours come from the scheme table.
bool dxIsOffice11ThemeScheme();
// 0 none, 1 blue ("NORMALCOLOR"), 2 olive ("HOMESTEAD"), 3 silver ("METALLIC").
Integer dxGetOffice11Scheme();
void dxCreateOffice11Brushes();
void dxDestroyOffice11Brushes();
void dxOffice11CalculateColors();
// Fills the slots and the double-gradient percentage for a scheme number (0: from the
// system colours); dxOffice11CalculateColors does this for the detected scheme.
void calculateOffice11ColorsForScheme(Integer AScheme);
// Recolours the non-background, non-black pixels of the bitmap along slot 2 .. slot 3 by
// their red value (the lightest grey becomes slot 2, the darkest slot 3). A bitmap with a
// single grey shade (nothing to spread) is left unchanged.
void dxRecolorSubMenuExpandBitmap(TBitmap* ABitmap);

// --- Colour arithmetic.
// P per cent of A and the rest of B, channel by channel, mapped to the nearest screen
// colour.
TColor dxBlendColors(TColor AColor1, TColor AColor2, Integer APercent);
TColor dxMixSystemColors(Integer AFacePercent, Integer AHighlightPercent, Integer AWindowPercent);
TColor dxGetNearestColor(TColor AColor);
bool dxIsButtonFaceBlack();
bool dxIsButtonFaceWhite();
bool dxIsBlackFaceWithDarkText();

// --- Drawing. Colours may be system colours (resolved with ColorToRGB). Horizontal means
// the colour changes from left to right.
void dxFillRectColor(HDC DC, const TRect& R, TColor AColor);
void dxFrameRectColor(HDC DC, const TRect& R, TColor AColor);
void dxFrameOffice11Rect(HDC DC, const TRect& R);
// At most 256 bands whatever the size; one solid fill when the colours are equal.
void dxFillGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2);
// From the first colour through a middle colour at the halfway band to the second.
void dxFillDoubleGradientRect(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2);
// The colour dxFillGradientRect paints at the coordinate.
TColor dxGetGradientColorAt(const TRect& R, Integer ACoord, TColor AColor1, bool AHorizontal, TColor AColor2);
void dxDrawOffice11GripDots(HDC DC, const TRect& R, bool AVertical);
void dxDrawOffice11SizeGrip(HDC DC, const TRect& R);
void dxDrawOffice11Arrow(HDC DC, const TRect& R, bool ADown, bool AEnabled, bool AHighlighted);
void dxDrawOffice11ArrowSized(HDC DC, const TRect& R, bool ADown, Integer ASize, bool AHighlighted, bool AEnabled);

namespace dxOffice11Unit {
void Initialize();
void Finalize();
}  // namespace dxOffice11Unit
