#pragma once
// The editors' shared geometry and painting routines. Every editor (and a grid cell that
// only borrows an editor's view info) paints through these, so both look alike. Each
// routine chooses between the themed rendering (when the look-and-feel asks for native
// painting and the theme class opens), the classic frames of the border styles, and the
// look-and-feel painters.
//
// The unit keeps the classic check-box glyph size and the check-mark mask taken from the
// system's check-box bitmap, made at start-up and freed at the end. GUI thread only.
#include <string>

#include "cx/editors/cxEdit.h"

// Container border width by style: none 0, single 1, thick 2, flat 2, 3D 2, ultra-flat 1.
Integer cxGetBorderWidth(TcxContainerBorderStyle AStyle);
// The frame width of an embedded button by drawing style; themed: what a 100-pixel push
// button loses to its content margins.
Integer cxGetEditButtonFrameWidth(TcxEditButtonStyle AStyle, bool ANativeStyle);
// The extra height a glyph button needs by the first button's drawing style; themed: the
// push button's top and bottom content margins.
Integer cxGetGlyphButtonHeightExtra(TcxEditButtonStyle AStyle, bool ANativeStyle);
bool cxIsNativeThemeUsable(bool ANativeStyle, TdxThemeClassIndex AThemeClass);
// The arrow of a button rectangle: width (s - 1) div 2 made odd, height width div 2 + 1 for
// s = min(width, height); swapped for left (2) and right (3).
TSize cxCalculateArrowSize(const TRect& R, Integer ADirection);
// The width an embedded button takes.
Integer cxGetEditButtonWidth(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButtonViewInfo);
// The area in which the mouse makes the editor hot.
TRect cxGetEditHotTrackArea(TcxCustomEditViewInfo* AViewInfo, const TRect& ABounds);
// The themed edit border state: 4 disabled, 6 read-only, 5 focused, 2 hot, 1 normal.
Integer cxGetEditNativeBorderState(TcxCustomEditViewData* AViewData, TcxCustomEditViewInfo* AViewInfo);
// The common border part of every editor calculation: native state, border and client
// rectangles, border colour, text and background colours.
void cxCalculateEditViewInfo(TcxCustomEditViewData* AViewData, TcxCustomEditViewInfo* AViewInfo);
// A doubled ampersand becomes one, an ampersand before another character is dropped and a
// final one becomes "_".
std::string cxRemoveAccelChars(const std::string& AText);
// Horizontal and vertical text padding of an editor.
TSize cxGetEditTextPadding(TcxCustomEditViewData* AViewData);
// The size of AText as an editor shows it (the style font, the padding when asked).
void cxCalculateEditTextSize(TcxCanvas* ACanvas, TcxCustomEditViewData* AViewData, const std::string& AText,
                             TSize& ASize, bool AAddPadding, const TcxEditSizeProperties& AEditSizeProperties,
                             Integer ATextFlags);

// The painter of a look-and-feel: the native one when asked for and themes are usable,
// else the painter of its kind.
TcxCustomLookAndFeelPainterClass cxSelectPainterClass(TcxLookAndFeel* ALookAndFeel);
// The system hot-light colour where the system has one (98/ME, NT 5.x), else blue.
TColor cxGetLinkColor();
// Popup border width by popup border style (default 0, single 1, frame 3D 4, flat 2; 1
// when native) and the client edge inside it (0, 2, 2, 1; 2 when native; 0 without edge).
Integer cxGetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle AStyle, bool ANativeStyle);
Integer cxGetPopupClientEdgeWidth(TcxEditPopupBorderStyle AStyle, bool ANativeStyle, bool AClientEdge);
// Text margins (left, top, right, bottom) of the memo and of the text editor, standalone and
// in place, by horizontal alignment.
TRect cxGetMemoTextMargins(TAlignment AAlignment);
TRect cxLookupTextMargins(TAlignment AAlignment, bool AIsInplace);
// The component set's text flags and the text-layout flags, both ways (centre, right,
// vertical centre, bottom, single line).
Integer cxTextFlagsToCanvasFlags(Integer ATextLayoutFlags);
Integer cxCanvasFlagsToTextFlags(Integer ACanvasFlags);

// --- Painting.
// One arrow (two stacked for a fast-spin button) of ASize one-pixel lines growing from the
// tip, centred in R and moved one pixel right and down when pressed; direction 0 up,
// 1 down, 2 left, 3 right.
void cxDrawSpinArrow(TcxCanvas* ACanvas, Integer ASize, const TRect& R, TColor AColor, bool APressed, bool ADouble,
                     Integer ADirection);
// Horizontal and vertical segments between consecutive points, each filled as a one-pixel
// rectangle including both ends.
void cxDrawPolyLine(TcxCanvas* ACanvas, const TPoint* APoints, Integer ACount, TColor AColor);
void cxDrawEdit(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, bool ADrawBackground);
void cxDrawEditBackgroundAndBorder(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, bool ADrawBackground);
// The frame of a button in its drawing style; R shrinks to the face, AFaceColor is the face
// colour the content is drawn on.
void cxDrawEditButtonFrame(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TRect& R, TcxEditButtonStyle AStyle,
                           TColor& AFaceColor);
void cxDrawEditButtonContent(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, const TRect& R, TColor AFaceColor,
                             TColor AGlyphColor);
// Three square dots (2 pixels wide when R is wider than 11, else 1) with 2-pixel gaps,
// centred; embossed when disabled.
void cxDrawEllipsisDots(TcxCanvas* ACanvas, const TRect& R, bool APressed, bool ADisabled, TColor AColor);
// The editor window's shape: bounds with the border and shadow; none when native.
void cxSetEditWindowRegion(TcxCustomEditViewInfo* AViewInfo, TWinControl* AWindow);

// --- Text editors.
class TcxCustomTextEditViewData;
class TcxCustomTextEditViewInfo;
// The text editor's margins: the lookup margins, plus, standalone with an input style that
// takes no free typing (fixed list or no edit), one pixel on the left and, top-aligned, one
// pixel at top and bottom.
TRect cxGetTextEditTextMargins(TcxCustomTextEditViewData* AViewData, TcxCustomEditViewInfo* AViewInfo);
// The text rectangle: the content rectangle less the text editor's margins.
void cxCalculateTextRect(TcxCustomTextEditViewData* AViewData, TcxCustomTextEditViewInfo* AViewInfo);
// With wrapping allowed: lays the text out in the text width; more than one row drops the
// single-line flag for word breaks, rows that do not fit drop the vertical alignment.
void cxAdjustTextEditDrawFlags(TcxCanvas* ACanvas, TcxCustomTextEditViewData* AViewData,
                               TcxCustomTextEditViewInfo* AViewInfo);
// Background, buttons, the standalone inner frame, the selected fill, the text unless an
// inner control shows it, the focus rectangle of an editor without inner control.
void cxDrawTextEdit(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo);
// The text alone, in the view info's font and colour (highlight text when selected).
void cxDrawTextEditText(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo);
// A memo's text: the font and colour (clHighlightText when selected) and the laid-out rows,
// without a lookup selection.
void cxDrawMemoText(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo);

// --- The classic check box glyph.
// One cell of the system's check-box bitmap (4 columns, 3 rows).
TSize cxGetSystemCheckBoxCellSize();
// One cell, black exactly where the checked and the unchecked cell differ (the check mark).
HBITMAP cxGetCheckMarkMask();

namespace cxEditUtilsUnit {
void Initialize();
void Finalize();
}  // namespace cxEditUtilsUnit
