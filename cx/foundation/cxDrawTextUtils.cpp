#include "cx/foundation/cxDrawTextUtils.h"

#include <algorithm>

namespace {

const char kEllipsis[] = "...";
Integer ellipsisLength = 3;  // computed at the unit's start
constexpr Integer kRowCapacityStep = 4;
constexpr char kTab = 9, kLineFeed = 10, kCarriageReturn = 13;

bool multiByteSystem() { return GetSystemMetrics(SM_DBCSENABLED) != 0; }

// The extent of a run: tabbed with the default tab stops when tabs are expanded.
TSize runExtent(HDC dc, const char* text, Integer length, bool expandTabs) {
  TSize size{0, 0};
  if (length <= 0) return size;
  if (expandTabs) {
    DWORD e = GetTabbedTextExtentA(dc, text, length, 0, nullptr);
    size.cx = LOWORD(e);
    size.cy = HIWORD(e);
  } else {
    GetTextExtentPoint32A(dc, text, length, &size);
  }
  return size;
}

void measureRow(HDC dc, TcxTextRow& row, const TcxTextParams& p) {
  TSize size = runExtent(dc, row.Text, row.TextLength, p.ExpandTabs);
  row.TextWidth = size.cx;
  row.TextHeight = row.TextLength > 0 ? size.cy : p.TextHeight;
}

void outputRun(HDC dc, Integer x, Integer y, const char* text, Integer length, bool expandTabs) {
  if (length <= 0) return;
  if (expandTabs)
    TabbedTextOutA(dc, x, y, text, length, 0, nullptr, x);
  else
    TextOutA(dc, x, y, text, length);
}

// The byte length of the character at text[i] (a lead byte and its trail byte together
// in a multi-byte character set).
Integer charLength(const char* text, Integer i, Integer remaining) {
  return IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < remaining ? 2 : 1;
}

bool isJustify(const TcxTextParams& p) { return p.HorzAlignment == 3 || p.HorzAlignment == 4; }
bool isBreak(char c, const TcxTextParams& p) { return c == p.BreakChar || c == kTab; }

// Narrows the clipping area to R while keeping the previous clipping region; restoreClip
// puts it back.
struct SavedClip {
  HRGN region = nullptr;
  bool had = false;
};
SavedClip intersectClip(HDC dc, const TRect& r) {
  SavedClip saved;
  saved.region = CreateRectRgn(0, 0, 0, 0);
  saved.had = GetClipRgn(dc, saved.region) == 1;
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  return saved;
}
void restoreClip(HDC dc, SavedClip& saved) {
  SelectClipRgn(dc, saved.had ? saved.region : nullptr);
  DeleteObject(saved.region);
  saved.region = nullptr;
}

bool usableRect(const TRect& r, bool calcRect) {
  return calcRect ? r.right - r.left > 0 : (r.right > r.left && r.bottom > r.top);
}

}  // namespace

TRect cxInsetRectHorizontally(const TRect& R, Integer ALeft, Integer ARight) {
  return TRect{R.left + ALeft, R.top, R.right - ARight, R.bottom};
}

TRect cxExpandRectHorizontally(const TRect& R, Integer ALeft, Integer ARight) {
  return TRect{R.left - ALeft, R.top, R.right + ARight, R.bottom};
}

void cxInitTextLayoutForDC(HDC DC, TcxTextLayoutFlags AFlags, TcxTextParams& AParams) {
  AParams = TcxTextParams();
  TEXTMETRICA tm{};
  GetTextMetricsA(DC, &tm);
  AParams.ExternalLeadingUsed = AFlags & tlfExternalLeading;
  AParams.TextHeight = tm.tmHeight;
  AParams.ExternalLeading = AParams.ExternalLeadingUsed ? tm.tmExternalLeading : 0;
  AParams.RowHeight = AParams.TextHeight + AParams.ExternalLeading;
  AParams.EndEllipsis = AFlags & tlfEndEllipsis;
  AParams.EllipsisWidth = AParams.EndEllipsis ? runExtent(DC, kEllipsis, ellipsisLength, false).cx : 0;
  // Word breaks fall on blanks. The metrics of some fonts here report a printing character
  // as their break character; a break character that is not a blank is not trusted.
  TEXTMETRICW tmw{};
  GetTextMetricsW(DC, &tmw);
  AParams.BreakChar = tmw.tmBreakChar > 0 && tmw.tmBreakChar <= ' ' ? static_cast<char>(tmw.tmBreakChar) : ' ';
  AParams.HorzAlignment = static_cast<Integer>(AFlags & 7);
  AParams.VertAlignment = static_cast<Integer>((AFlags >> 4) & 3);
  AParams.WordBreak = AFlags & tlfWordBreak;
  AParams.SingleLine = AFlags & tlfSingleLine;
  AParams.ExpandTabs = AFlags & tlfExpandTabs;
  AParams.WholeRowsOnly = AFlags & tlfWholeRowsOnly;
  AParams.NoClip = AFlags & tlfNoClip;
  AParams.PreventLeftExceed = AFlags & tlfPreventLeftExceed;
  AParams.PreventTopExceed = AFlags & tlfPreventTopExceed;
  AParams.CharBreak = (AFlags & tlfCharBreak) || multiByteSystem();
  AParams.ReturnRowCount = AFlags & tlfReturnRowCount;
  AParams.CalcRect = AFlags & tlfCalcRect;
}

void cxInitTextLayout(TCanvas* ACanvas, TcxTextLayoutFlags AFlags, TcxTextParams& AParams) {
  ACanvas->RequiredState({csHandleValid, csFontValid});
  cxInitTextLayoutForDC(ACanvas->Handle(), AFlags, AParams);
}

void cxBreakTextRow(HDC DC, const char*& ACursor, Integer& ARemaining, TcxTextRow& ARow, const TcxTextParams& AParams,
                    bool AIsLastRow, Integer AWidth) {
  ARow = TcxTextRow();
  if (ARemaining <= 0) return;
  const TcxTextParams& p = AParams;
  const bool justify = isJustify(p);
  const bool canBreak = !p.SingleLine && (p.WordBreak || justify);
  const bool breakWords = canBreak && p.CharBreak;
  const bool cutAtWidth = p.EndEllipsis && AIsLastRow && !p.WholeRowsOnly && !p.NoClip && !justify;
  const bool measuring = canBreak || cutAtWidth || p.SingleLine;
  const char* text = ACursor;
  ARow.Text = text;

  Integer length = 0;       // the row so far
  Integer lastBreak = -1;   // row length just after the last break character
  Integer breaksAtLast = 0; // the break count at that point
  Integer width = 0;
  Integer i = 0;
  while (i < ARemaining) {
    const char c = text[i];
    const Integer n = charLength(text, i, ARemaining);
    if ((c == kCarriageReturn || c == kLineFeed) && !cutAtWidth && !p.SingleLine) {
      if (p.HorzAlignment == 3) ARow.BreakCount = 0;
      break;
    }
    if (isBreak(c, p)) {
      ++ARow.BreakCount;
      lastBreak = i + n;
      breaksAtLast = ARow.BreakCount;
    }
    if (measuring) {
      if (p.ExpandTabs)
        width = runExtent(DC, text, i + n, true).cx;
      else
        width += runExtent(DC, text + i, n, false).cx;
      if (width > AWidth) {
        if (cutAtWidth || p.SingleLine) {
          length = i + n;
          break;
        }
        if (lastBreak < 0) {
          if (breakWords) {
            length = std::max<Integer>(i, n);  // the row keeps at least one character
            break;
          }
        } else {
          length = lastBreak;
          ARow.BreakCount = breaksAtLast;
          break;
        }
      }
    }
    i += n;
    length = i;
  }

  ARow.TextLength = length;
  if (justify)
    while (ARow.TextLength > 0 && isBreak(text[ARow.TextLength - 1], p)) {
      --ARow.TextLength;
      if (ARow.BreakCount > 0) --ARow.BreakCount;
    }
  measureRow(DC, ARow, p);

  // Past the row, then past the separators that end it: leading break characters of the
  // next row, one tab, a carriage return and a line feed.
  Integer consumed = length;
  while (consumed < ARemaining && text[consumed] == p.BreakChar) ++consumed;
  if (consumed < ARemaining && text[consumed] == kTab) ++consumed;
  bool hardBreak = false;
  if (consumed < ARemaining && text[consumed] == kCarriageReturn) {
    ++consumed;
    hardBreak = true;
  }
  if (consumed < ARemaining && text[consumed] == kLineFeed) ++consumed;
  ACursor = text + consumed;
  ARemaining -= consumed;
  if ((hardBreak || ARemaining == 0) && p.HorzAlignment == 3) ARow.BreakCount = 0;
}

bool cxSplitTextIntoRowsForDC(HDC DC, const std::string& AText, const TRect& R, Integer ARowLimit,
                              Integer& ARowCount, TcxTextRows& ARows, TcxTextParams& AParams) {
  ARowCount = 0;
  ARows.clear();
  if (AText.empty()) return true;
  const TcxTextParams& p = AParams;
  if (p.CalcRect && p.SingleLine) {
    TcxTextRow row;
    row.Text = AText.data();
    row.TextLength = static_cast<Integer>(AText.size());
    measureRow(DC, row, p);
    ARows.push_back(row);
    ARowCount = 1;
    return true;
  }
  const Integer width = R.right - R.left, height = R.bottom - R.top;
  const char* cursor = AText.data();
  Integer remaining = static_cast<Integer>(AText.size());
  Integer total = 0;
  bool stop = false;
  while (remaining > 0 && !stop) {
    ++ARowCount;
    if (static_cast<Integer>(ARows.capacity()) < ARowCount) ARows.reserve(ARows.capacity() + kRowCapacityStep);
    ARows.emplace_back();
    total += p.RowHeight;
    if (p.SingleLine)
      stop = true;
    else if (p.VertAlignment != 0 || p.CalcRect)
      stop = ARowLimit > 0 && ARowCount == ARowLimit;
    else if (!p.WholeRowsOnly || p.NoClip)
      stop = total > height;
    else
      stop = total + p.RowHeight > height;
    const char* start = cursor;
    cxBreakTextRow(DC, cursor, remaining, ARows.back(), p, stop, width);
    ARows.back().StartOffset = static_cast<Integer>(start - AText.data());
    if (!stop) stop = remaining == 0;
  }
  ARows.shrink_to_fit();
  return !(!p.SingleLine && !p.CalcRect && ARowLimit >= 1 && ARowCount == ARowLimit && remaining > 0);
}

bool cxSplitTextIntoRows(TCanvas* ACanvas, const std::string& AText, const TRect& R, Integer ARowLimit,
                         Integer& ARowCount, TcxTextRows& ARows, TcxTextParams& AParams) {
  ACanvas->RequiredState({csHandleValid, csFontValid});
  return cxSplitTextIntoRowsForDC(ACanvas->Handle(), AText, R, ARowLimit, ARowCount, ARows, AParams);
}

void cxPlaceTextRows(HDC, const TRect& R, TcxTextParams& AParams, Integer ARowCount, TcxTextRows& ARows) {
  const Integer n = std::min<Integer>(ARowCount, static_cast<Integer>(ARows.size()));
  Integer spread = 0;
  if (AParams.VertAlignment == 3 && n > 1) {
    const Integer gap = R.bottom - R.top - AParams.TextHeight;
    if (AParams.TextHeight < static_cast<double>(gap) / (n - 1)) {
      AParams.RowHeight = gap / (n - 1);
      spread = gap % (n - 1);
    }
  }
  Integer y;
  if (AParams.VertAlignment == 1)
    y = R.top + (R.bottom - R.top - n * AParams.RowHeight) / 2;
  else if (AParams.VertAlignment == 2)
    y = R.bottom - n * AParams.RowHeight + AParams.ExternalLeading;
  else
    y = R.top;
  if (AParams.PreventTopExceed) y = std::max(y, static_cast<Integer>(R.top));
  for (Integer i = 0; i < n; ++i) {
    TcxTextRow& row = ARows[static_cast<size_t>(i)];
    Integer x;
    if (AParams.HorzAlignment == 1)
      x = R.left + (R.right - R.left - row.TextWidth) / 2;
    else if (AParams.HorzAlignment == 2)
      x = R.right - row.TextWidth;
    else
      x = R.left;
    if (AParams.PreventLeftExceed) x = std::max(x, static_cast<Integer>(R.left));
    row.TextOriginX = x;
    row.TextOriginY = y;
    y += AParams.RowHeight;
    if (spread > 0) {
      ++y;
      --spread;
    }
  }
}

void cxDrawPlacedRows(HDC DC, const TRect& R, const TcxTextParams& AParams, bool AEllipsisOnLastRow,
                      TColor ASelTextColor, TColor ASelBkColor, Integer ASelLength, Integer ASelStart,
                      Integer ARowCount, TcxTextRows& ARows) {
  const TcxTextParams& p = AParams;
  const Integer n = std::min<Integer>(ARowCount, static_cast<Integer>(ARows.size()));
  const Integer rectWidth = R.right - R.left;
  const int oldBkMode = SetBkMode(DC, TRANSPARENT);
  HBRUSH selBrush = ASelLength > 0 ? CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(ASelBkColor))) : nullptr;

  for (Integer i = 0; i < n; ++i) {
    TcxTextRow& row = ARows[static_cast<size_t>(i)];
    const bool last = i == n - 1;
    const Integer x = row.TextOriginX, y = row.TextOriginY;
    if (row.TextLength == 0) {
      if (last && p.EndEllipsis && AEllipsisOnLastRow) outputRun(DC, x, y, kEllipsis, ellipsisLength, false);
      continue;
    }
    const TRect band{R.left, y, R.right, y + p.RowHeight};
    const bool ellipsisHere = p.EndEllipsis && last && (AEllipsisOnLastRow || rectWidth < row.TextWidth);

    bool justified = false;
    if (isJustify(p) && !ellipsisHere) {
      const Integer extra = rectWidth - row.TextWidth;
      if (extra > 0 && row.BreakCount > 0) {
        SetTextJustification(DC, extra, row.BreakCount);
        justified = true;
      }
    }

    const bool fits = row.TextWidth <= rectWidth && band.top >= R.top && band.bottom <= R.bottom;
    const bool clipping = !p.NoClip && !fits;
    SavedClip clip;
    if (clipping)
      clip = intersectClip(DC, TRect{R.left, std::max(band.top, R.top), R.right, std::min(band.bottom, R.bottom)});

    if (ellipsisHere) {
      const Integer available = std::max<Integer>(rectWidth - p.EllipsisWidth, 0);
      Integer keep = 1;
      for (Integer k = row.TextLength; k >= 1; --k)
        if (runExtent(DC, row.Text, k, p.ExpandTabs).cx <= available) {
          keep = k;
          break;
        }
      row.TextLength = keep;
      measureRow(DC, row, p);
    }

    outputRun(DC, x, y, row.Text, row.TextLength, p.ExpandTabs);

    // The selection's part of this row, drawn again in the selection colours.
    const Integer selFrom = std::max(ASelStart, row.StartOffset);
    const Integer selTo = std::min(ASelStart + ASelLength, row.StartOffset + row.TextLength);
    if (ASelLength > 0 && selFrom < selTo) {
      const Integer left = x + runExtent(DC, row.Text, selFrom - row.StartOffset, p.ExpandTabs).cx;
      const Integer right = x + runExtent(DC, row.Text, selTo - row.StartOffset, p.ExpandTabs).cx;
      const TRect selRect{left, band.top, right, band.bottom};
      FillRect(DC, &selRect, selBrush);
      const COLORREF oldColor = SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(ASelTextColor)));
      SavedClip selClip = intersectClip(DC, selRect);
      outputRun(DC, x, y, row.Text, row.TextLength, p.ExpandTabs);
      restoreClip(DC, selClip);
      SetTextColor(DC, oldColor);
    }

    if (ellipsisHere) {
      const Integer ex = x + row.TextWidth;
      if (ex < R.right) {
        SavedClip ellipsisClip;
        const bool clipEllipsis = !p.NoClip && ex + p.EllipsisWidth > R.right;
        if (clipEllipsis) ellipsisClip = intersectClip(DC, R);
        outputRun(DC, ex, y, kEllipsis, ellipsisLength, false);
        if (clipEllipsis) restoreClip(DC, ellipsisClip);
      }
    }

    if (clipping) restoreClip(DC, clip);
    if (justified) SetTextJustification(DC, 0, 0);
  }
  if (selBrush) DeleteObject(selBrush);
  SetBkMode(DC, oldBkMode);
}

Integer cxGetMaxRowWidth(const TcxTextRows& ARows, Integer ACount) {
  const Integer n = std::min<Integer>(ACount, static_cast<Integer>(ARows.size()));
  Integer result = 0;
  for (Integer i = 0; i < n; ++i) result = std::max(result, ARows[static_cast<size_t>(i)].TextWidth);
  return result;
}

Integer cxDrawTextForDC(HDC DC, const std::string& AText, TRect& R, TcxTextLayoutFlags AFlags, Integer ASelStart,
                        Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor, Integer ARowLimit,
                        Integer ALeftIndent, Integer ARightIndent) {
  const Integer length = static_cast<Integer>(AText.size());
  if (length == 0) return 0;
  TcxTextParams params;
  cxInitTextLayoutForDC(DC, AFlags, params);
  TRect work = cxInsetRectHorizontally(R, ALeftIndent, ARightIndent);
  if (!usableRect(work, params.CalcRect)) return 0;

  Integer count = 0;
  TcxTextRows rows;
  const bool fitted = cxSplitTextIntoRowsForDC(DC, AText, work, ARowLimit, count, rows, params);
  if (count == 0) return 0;

  if (params.CalcRect) {
    if (ARowLimit > 0 && ARowLimit < count) count = ARowLimit;
    work.right = work.left + cxGetMaxRowWidth(rows, count);
    if (!params.SingleLine) {
      cxSplitTextIntoRowsForDC(DC, AText, work, ARowLimit, count, rows, params);
      if (ARowLimit > 0 && ARowLimit < count) count = ARowLimit;
    }
    cxPlaceTextRows(DC, work, params, count, rows);
    work.bottom = rows[static_cast<size_t>(count - 1)].TextOriginY + params.TextHeight;
    R = cxExpandRectHorizontally(work, ALeftIndent, ARightIndent);
  } else {
    bool ellipsisOnLastRow = false;
    if (ARowLimit > 0 && count >= ARowLimit) {
      count = ARowLimit;
      ellipsisOnLastRow = !fitted && params.EndEllipsis && params.WholeRowsOnly && !params.SingleLine;
    }
    cxPlaceTextRows(DC, work, params, count, rows);
    if (ASelStart < 0 || ASelStart >= length)
      ASelLength = 0;
    else if (ASelStart + ASelLength > length)
      ASelLength = length - ASelStart;
    cxDrawPlacedRows(DC, work, params, ellipsisOnLastRow, ASelTextColor, ASelBkColor, ASelLength, ASelStart, count,
                     rows);
  }
  const Integer height = rows[static_cast<size_t>(count - 1)].TextOriginY + params.TextHeight - work.top;
  return params.ReturnRowCount || height == 0 ? count : height;
}

Integer cxDrawTextOnCanvas(TCanvas* ACanvas, const std::string& AText, TRect& R, TcxTextLayoutFlags AFlags,
                           Integer ASelStart, Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor,
                           Integer ARowLimit, Integer ALeftIndent, Integer ARightIndent) {
  ACanvas->RequiredState({csHandleValid, csFontValid});
  return cxDrawTextForDC(ACanvas->Handle(), AText, R, AFlags, ASelStart, ASelLength, ASelBkColor, ASelTextColor,
                         ARowLimit, ALeftIndent, ARightIndent);
}

Integer cxDrawTextInRect(TCanvas* ACanvas, const std::string& AText, TRect& R, TcxTextLayoutFlags AFlags,
                         Integer ARowLimit, Integer ALeftIndent, Integer ARightIndent) {
  return cxDrawTextOnCanvas(ACanvas, AText, R, AFlags, -1, 0, clNone, clNone, ARowLimit, ALeftIndent, ARightIndent);
}

namespace cxDrawTextUtilsUnit {
void Initialize() { ellipsisLength = static_cast<Integer>(sizeof(kEllipsis) - 1); }
void Finalize() {}
}  // namespace cxDrawTextUtilsUnit
