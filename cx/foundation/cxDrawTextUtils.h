#pragma once
// The editors' own text layout: breaks a text into rows for a width (word wrap, character
// breaks, tabs, hard line breaks), places the rows (left, centred, right, justified;
// top, centred, bottom, spread), and draws them clipped, with an end ellipsis on the last
// visible row and a selection range in its own colours. The same engine measures a text
// (its extent, or its row count) so editors can size themselves.
//
// Rows point into the caller's text instead of copying it: the text must outlive them.

#include <windows.h>

#include <string>
#include <vector>

#include "cx/foundation/cxGraphics.h"
#include "platform/gui/Graphics.h"

// Layout flags (a 32-bit set; bits not listed are ignored).
using TcxTextLayoutFlags = Cardinal;
// Horizontal code (bits 0-2).
constexpr TcxTextLayoutFlags tlfAlignLeft = 0;
constexpr TcxTextLayoutFlags tlfAlignCenter = 1;
constexpr TcxTextLayoutFlags tlfAlignRight = 2;
constexpr TcxTextLayoutFlags tlfJustify = 3;     // justified rows except each paragraph's last
constexpr TcxTextLayoutFlags tlfDistribute = 4;  // every row justified
// Vertical code (bits 4-5).
constexpr TcxTextLayoutFlags tlfAlignTop = 0;
constexpr TcxTextLayoutFlags tlfAlignVCenter = 0x10;
constexpr TcxTextLayoutFlags tlfAlignBottom = 0x20;
constexpr TcxTextLayoutFlags tlfJustifyVert = 0x30;  // rows spread over the height
constexpr TcxTextLayoutFlags tlfPreventLeftExceed = 0x40;
constexpr TcxTextLayoutFlags tlfPreventTopExceed = 0x80;
constexpr TcxTextLayoutFlags tlfWordBreak = 0x100;
constexpr TcxTextLayoutFlags tlfSingleLine = 0x200;
constexpr TcxTextLayoutFlags tlfExpandTabs = 0x400;
constexpr TcxTextLayoutFlags tlfEndEllipsis = 0x800;
constexpr TcxTextLayoutFlags tlfExternalLeading = 0x2000;
constexpr TcxTextLayoutFlags tlfWholeRowsOnly = 0x4000;
constexpr TcxTextLayoutFlags tlfNoClip = 0x8000;
constexpr TcxTextLayoutFlags tlfCharBreak = 0x20000;
constexpr TcxTextLayoutFlags tlfCalcRect = 0x100000;
constexpr TcxTextLayoutFlags tlfReturnRowCount = 0x200000;

// The layout settings derived from a device context's font and the flags.
struct TcxTextParams {
  Integer TextHeight = 0;
  Integer ExternalLeading = 0;  // 0 unless tlfExternalLeading
  Integer RowHeight = 0;        // text height + leading (spreading rows may raise it)
  Integer EllipsisWidth = 0;    // width of "..." with tlfEndEllipsis, else 0
  char BreakChar = ' ';
  Integer HorzAlignment = 0;  // horizontal code 0..4
  Integer VertAlignment = 0;  // vertical code 0..3 (the flag value shifted down)
  bool WordBreak = false;
  bool SingleLine = false;
  bool ExpandTabs = false;
  bool EndEllipsis = false;
  bool ExternalLeadingUsed = false;
  bool WholeRowsOnly = false;
  bool NoClip = false;
  bool PreventLeftExceed = false;
  bool PreventTopExceed = false;
  bool CharBreak = false;
  bool ReturnRowCount = false;
  bool CalcRect = false;
};

// One row: where it starts in the caller's text, its measured size, the break characters
// and tabs inside it (for justification), its placed position and its offset in the
// whole text.
struct TcxTextRow {
  const char* Text = nullptr;
  Integer TextLength = 0;
  Integer TextWidth = 0;
  Integer TextHeight = 0;
  Integer BreakCount = 0;
  Integer TextOriginX = 0;
  Integer TextOriginY = 0;
  Integer StartOffset = 0;
};
using TcxTextRows = std::vector<TcxTextRow>;

void cxInitTextLayoutForDC(HDC DC, TcxTextLayoutFlags AFlags, TcxTextParams& AParams);
void cxInitTextLayout(TCanvas* ACanvas, TcxTextLayoutFlags AFlags, TcxTextParams& AParams);

// Takes the next row off the text: ACursor and ARemaining move past the row and the
// separators after it.
void cxBreakTextRow(HDC DC, const char*& ACursor, Integer& ARemaining, TcxTextRow& ARow,
                    const TcxTextParams& AParams, bool AIsLastRow, Integer AWidth);
// All rows of a text for the rectangle; false only when a row limit cut the text short.
bool cxSplitTextIntoRowsForDC(HDC DC, const std::string& AText, const TRect& R, Integer ARowLimit,
                              Integer& ARowCount, TcxTextRows& ARows, TcxTextParams& AParams);
bool cxSplitTextIntoRows(TCanvas* ACanvas, const std::string& AText, const TRect& R, Integer ARowLimit,
                         Integer& ARowCount, TcxTextRows& ARows, TcxTextParams& AParams);
// Sets every row's position.
void cxPlaceTextRows(HDC DC, const TRect& R, TcxTextParams& AParams, Integer ARowCount, TcxTextRows& ARows);
// Draws placed rows, the selection [ASelStart, ASelStart + ASelLength) in its colours.
void cxDrawPlacedRows(HDC DC, const TRect& R, const TcxTextParams& AParams, bool AEllipsisOnLastRow,
                      TColor ASelTextColor, TColor ASelBkColor, Integer ASelLength, Integer ASelStart,
                      Integer ARowCount, TcxTextRows& ARows);
// The widest of the first ACount rows (0 for none).
Integer cxGetMaxRowWidth(const TcxTextRows& ARows, Integer ACount);

// The whole pipeline: lays the text out in R less the indents and draws it, or with
// tlfCalcRect measures it (R becomes the text's extent, widened again by the indents).
// Answers the height of the rows, or their count with tlfReturnRowCount (or when the
// height is 0); 0 for an empty text or an unusable rectangle.
Integer cxDrawTextForDC(HDC DC, const std::string& AText, TRect& R, TcxTextLayoutFlags AFlags, Integer ASelStart,
                        Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor, Integer ARowLimit = 0,
                        Integer ALeftIndent = 0, Integer ARightIndent = 0);
Integer cxDrawTextOnCanvas(TCanvas* ACanvas, const std::string& AText, TRect& R, TcxTextLayoutFlags AFlags,
                           Integer ASelStart, Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor,
                           Integer ARowLimit = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0);
// Without a selection.
Integer cxDrawTextInRect(TCanvas* ACanvas, const std::string& AText, TRect& R, TcxTextLayoutFlags AFlags,
                         Integer ARowLimit = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0);

// R with its left moved right by ALeft and its right moved left by ARight, and back.
TRect cxInsetRectHorizontally(const TRect& R, Integer ALeft, Integer ARight);
TRect cxExpandRectHorizontally(const TRect& R, Integer ALeft, Integer ARight);

namespace cxDrawTextUtilsUnit {
void Initialize();
void Finalize();
}  // namespace cxDrawTextUtilsUnit
