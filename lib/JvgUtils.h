#pragma once
// JvgUtils: the drawing routines of the gradient library: the bevelled box, two text
// painters with 3-D text styles, the bitmap painter that stretches, tiles and draws
// transparently, and the rotated-font maker.
//
// Everything draws through GDI on a device context the caller gives. Every pen, brush and
// font a routine makes is deleted before it returns, and the objects the device context
// held are selected back.
#include <windows.h>

#include <optional>
#include <string>

#include "lib/JvgCommClasses.h"

// Draws the Sides of a bevelled box on R: the outer bevel on R, the inner one on the
// rectangle the outer bevel leaves. The right and bottom lines lie on R.right and R.bottom.
// Highlight, shadow and dark lines use the system's 3-D colours with the style and width
// of the pen selected in DC. Unless Transparent, the inside is filled with BackgrColor.
// Inner receives the rectangle inside the lines (right and bottom inclusive, as R).
void DrawBevelBox(HDC DC, const TRect& R, TglSides Sides, TRect& Inner, bool Transparent, TColor BackgrColor, bool Bold,
                  TBevelCut BevelOuter, TBevelCut BevelInner);

// Text in a rectangle (DrawText) with the alignments, a 3-D text style and Font (its colour
// for the text itself). Flags 0 stands for one centred line.
void StyledDrawText(HDC DC, const TRect& R, const std::string& Text, TglHorAlign HAlign, TglVertAlign VAlign,
                    TglTextStyle Style, TFont* Font, UINT Flags);

// Text at (X, Y), clipped to Clip, in Font (turned fonts included) with a 3-D text style.
// ShadowDepth is the depth of the shadow and volumetric styles (2 when not given). No3D
// draws the text alone in FontColor; Outlined strokes the text's outline in OutlineColor
// over it; an active Gradient fills the text with its bands instead of FontColor.
void StyledTextOut(HDC DC, Integer X, Integer Y, const TRect& Clip, const std::string& Text, TglTextStyle Style,
                   bool Outlined, bool No3D, TColor FontColor, TColor OutlineColor, TColor HighlightColor,
                   TColor ShadowColor, std::optional<Integer> ShadowDepth, TJvgCustomGradient* Gradient, TFont* Font);

// Draws Bitmap into R at (R.left + DX, R.top + DY): once, stretched to R, scaled
// proportionally into R, or tiled over R (Option). Whatever passes R's right or bottom
// edge is cut off. The bitmap is first drawn on a copy filled with BackgrColor; with
// Transparent, the pixels of the bitmap's transparent colour leave DC as it was.
void PaintBitmapMode(HDC DC, TBitmap* Bitmap, const TRect& R, TColor BackgrColor, bool Transparent,
                     TglWallpaperOption Option, Integer DY, Integer DX);

// A new GDI font like Font, turned by Escapement (tenths of a degree, counter-clockwise).
// The caller owns it.
HFONT MakeRotatedFont(TFont* Font, Integer Escapement);

// Whether Bitmap exists and has a width and a height.
bool BitmapHasContent(TBitmap* Bitmap);
