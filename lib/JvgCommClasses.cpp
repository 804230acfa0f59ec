#include "lib/JvgCommClasses.h"

#include <algorithm>

#include "platform/gui/GuiPublish.h"

namespace {

COLORREF rgbOf(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

// The colour of band N of Count: each channel moves from From to To, the first band
// having From and the last To.
COLORREF bandColor(COLORREF From, COLORREF To, Integer N, Integer Count) {
  auto channel = [&](int Shift) {
    const int from = static_cast<int>((From >> Shift) & 0xFF);
    const int to = static_cast<int>((To >> Shift) & 0xFF);
    // A single band spans no interval: it keeps the first colour (MulDiv by zero would
    // give -1 and a wrong colour).
    return Count > 1 ? from + MulDiv(N, to - from, Count - 1) : from;
  };
  return RGB(channel(0), channel(8), channel(16));
}

// A brush of the band colour in the gradient's brush style; null for bsClear.
HBRUSH bandBrush(TBrushStyle Style, COLORREF Color) {
  switch (Style) {
    case bsSolid: return CreateSolidBrush(Color);
    case bsClear: return nullptr;
    // The hatch styles follow the Win32 HS_ order from bsHorizontal on.
    default: return CreateHatchBrush(static_cast<int>(Style) - static_cast<int>(bsHorizontal), Color);
  }
}

void fillBand(HDC DC, const TRect& Band, TBrushStyle Style, COLORREF Color) {
  if (Band.right <= Band.left || Band.bottom <= Band.top) return;
  if (HBRUSH brush = bandBrush(Style, Color)) {
    FillRect(DC, &Band, brush);
    DeleteObject(brush);
  }
}

// The two ends of the lines of a bias gradient, walking the rectangle's edges. Both start
// at the same corner and stay on one diagonal; Distance is how far each has walked.
struct BiasWalk {
  TRect R;            // the rectangle, right and bottom exclusive
  bool FromLeft;      // left bias: from the top-left corner; right bias: from the top-right

  Integer lastX() const { return R.right - 1; }
  Integer lastY() const { return R.bottom - 1; }
  Integer down() const { return lastY() - R.top; }
  Integer across() const { return lastX() - R.left; }
  Integer clamp(Integer Distance) const { return std::min(Distance, down() + across()); }

  // Left bias: down the left edge, then right along the bottom. Right bias: left along the
  // top, then down the left edge.
  POINT first(Integer Distance) const {
    const Integer d = clamp(Distance);
    if (FromLeft) return d <= down() ? POINT{R.left, R.top + d} : POINT{R.left + d - down(), lastY()};
    return d <= across() ? POINT{lastX() - d, R.top} : POINT{R.left, R.top + d - across()};
  }
  // Left bias: right along the top, then down the right edge. Right bias: down the right
  // edge, then left along the bottom.
  POINT second(Integer Distance) const {
    const Integer d = clamp(Distance);
    if (FromLeft) return d <= across() ? POINT{R.left + d, R.top} : POINT{lastX(), R.top + d - across()};
    return d <= down() ? POINT{lastX(), R.top + d} : POINT{lastX() - (d - down()), lastY()};
  }
};

}  // namespace

// =======================================================================================
// TJvgTwainColors
// =======================================================================================

TJvgTwainColors::TJvgTwainColors() = default;

void TJvgTwainColors::Assign(TPersistent* Source) {
  if (auto* colors = dynamic_cast<TJvgTwainColors*>(Source)) {
    SetFromColor(colors->FromColor());
    SetToColor(colors->ToColor());
    return;
  }
  TPersistent::Assign(Source);
}

void TJvgTwainColors::SetFromColor(TColor Value) {
  if (fromColor_ == Value) return;
  fromColor_ = Value;
  rgbFrom_ = rgbOf(Value);
  Changed();
}

void TJvgTwainColors::SetToColor(TColor Value) {
  if (toColor_ == Value) return;
  toColor_ = Value;
  rgbTo_ = rgbOf(Value);
  Changed();
}

void TJvgTwainColors::Changed() {
  if (onChanged_) onChanged_(this);
}

// =======================================================================================
// TJvgCustomGradient
// =======================================================================================

void TJvgCustomGradient::Assign(TPersistent* Source) {
  if (auto* g = dynamic_cast<TJvgCustomGradient*>(Source)) {
    fromColor_ = g->fromColor_;
    toColor_ = g->toColor_;
    rgbFrom_ = g->rgbFrom_;
    rgbTo_ = g->rgbTo_;
    active_ = g->active_;
    bufferedDraw_ = g->bufferedDraw_;
    orientation_ = g->orientation_;
    steps_ = g->steps_;
    percentFilling_ = g->percentFilling_;
    brushStyle_ = g->brushStyle_;
    Changed();
    return;
  }
  TJvgTwainColors::Assign(Source);
}

void TJvgCustomGradient::SetActive(bool Value) {
  if (active_ == Value) return;
  active_ = Value;
  Changed();
}

void TJvgCustomGradient::SetBufferedDraw(bool Value) {
  if (bufferedDraw_ == Value) return;
  bufferedDraw_ = Value;
  Changed();
}

void TJvgCustomGradient::SetOrientation(TglGradientDir Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  Changed();
}

void TJvgCustomGradient::SetSteps(Integer Value) {
  Value = std::clamp(Value, 1, 255);
  if (steps_ == Value) return;
  steps_ = Value;
  Changed();
}

void TJvgCustomGradient::SetPercentFilling(TPercentRange Value) {
  Value = std::min<TPercentRange>(Value, 100);
  if (percentFilling_ == Value) return;
  percentFilling_ = Value;
  Changed();
}

void TJvgCustomGradient::SetBrushStyle(TBrushStyle Value) {
  if (brushStyle_ == Value) return;
  brushStyle_ = Value;
  Changed();
}

void TJvgCustomGradient::FillRectBands(HDC DC, const TRect& R, Integer PenWidth, TPenStyle PenStyle) {
  if (!active_ || steps_ == 1 || GetDeviceCaps(DC, BITSPIXEL) < 16) return;
  const Integer w = RectWidth(R), h = RectHeight(R);
  if (w <= 0 || h <= 0) return;
  if (!bufferedDraw_) {
    drawConverging(DC, R, PenWidth, PenStyle);
    return;
  }
  // Off-screen: the area as it is (so a partial filling keeps what was there), the bands
  // over it, then the whole back in one copy. The hatch keeps its alignment to the target.
  HDC memory = CreateCompatibleDC(DC);
  HBITMAP buffer = CreateCompatibleBitmap(DC, w, h);
  HGDIOBJ oldBitmap = SelectObject(memory, buffer);
  POINT origin{};
  GetBrushOrgEx(DC, &origin);
  SetBrushOrgEx(memory, origin.x - R.left, origin.y - R.top, nullptr);
  BitBlt(memory, 0, 0, w, h, DC, R.left, R.top, SRCCOPY);
  drawConverging(memory, Rect(0, 0, w, h), PenWidth, PenStyle);
  BitBlt(DC, R.left, R.top, w, h, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(buffer);
  DeleteDC(memory);
}

void TJvgCustomGradient::drawConverging(HDC DC, const TRect& R, Integer PenWidth, TPenStyle PenStyle) {
  // The converging kinds are two plain gradients meeting in the middle in ToColor, each
  // running from FromColor at its outer edge.
  switch (orientation_) {
    case fgdHorzConvergent: {
      const Integer half = RectHeight(R) / 2;
      drawBands(DC, Rect(R.left, R.top, R.right, R.bottom - half), fgdHorizontal, rgbFrom_, rgbTo_, PenWidth, PenStyle);
      drawBands(DC, Rect(R.left, R.top + half, R.right, R.bottom), fgdHorizontal, rgbTo_, rgbFrom_, PenWidth, PenStyle);
      break;
    }
    case fgdVertConvergent: {
      const Integer half = RectWidth(R) / 2;
      drawBands(DC, Rect(R.left, R.top, R.right - half, R.bottom), fgdVertical, rgbFrom_, rgbTo_, PenWidth, PenStyle);
      drawBands(DC, Rect(R.left + half, R.top, R.right, R.bottom), fgdVertical, rgbTo_, rgbFrom_, PenWidth, PenStyle);
      break;
    }
    default:
      drawBands(DC, R, orientation_, rgbFrom_, rgbTo_, PenWidth, PenStyle);
      break;
  }
}

void TJvgCustomGradient::drawBands(HDC DC, const TRect& R, TglGradientDir Direction, COLORREF From, COLORREF To,
                                   Integer PenWidth, TPenStyle PenStyle) {
  const Integer w = RectWidth(R), h = RectHeight(R);
  if (w <= 0 || h <= 0) return;
  const bool bias = Direction == fgdLeftBias || Direction == fgdRightBias;
  Integer extent = 0;
  switch (Direction) {
    case fgdHorizontal: extent = h; break;
    case fgdVertical: extent = w; break;
    case fgdLeftBias:
    case fgdRightBias: extent = w + h; break;
    default: extent = std::min(w / 2, h / 2); break;  // fgdRectangle
  }
  const Integer count = std::min(steps_, extent);
  if (count <= 0) return;

  // The bias lines are cut to the rectangle: a wide pen or a line's last pixel must not
  // reach outside it.
  const int saved = bias ? SaveDC(DC) : 0;
  if (bias) IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
  const Integer penWidth = std::max<Integer>(PenWidth, 1);
  const BiasWalk walk{R, Direction == fgdLeftBias};
  Integer walked = 0;

  for (Integer n = 0; n < count; ++n) {
    const COLORREF color = bandColor(From, To, n, count);
    switch (Direction) {
      case fgdHorizontal:
        fillBand(DC, Rect(R.left, R.top + MulDiv(n, h, count), R.right, R.top + MulDiv(n + 1, h, count)), brushStyle_,
                 color);
        break;
      case fgdVertical:
        fillBand(DC, Rect(R.left + MulDiv(n, w, count), R.top, R.left + MulDiv(n + 1, w, count), R.bottom), brushStyle_,
                 color);
        break;
      case fgdLeftBias:
      case fgdRightBias: {
        HPEN pen = CreatePen(static_cast<int>(PenStyle), penWidth, color);
        HGDIOBJ oldPen = SelectObject(DC, pen);
        const Integer lines = MulDiv(n + 1, w + h, count) - MulDiv(n, w + h, count);
        for (Integer i = 0; i < lines; ++i) {
          walked += penWidth;
          const POINT a = walk.first(walked), b = walk.second(walked);
          MoveToEx(DC, a.x, a.y, nullptr);
          // One step past the far end, so that the end pixel is drawn too.
          LineTo(DC, b.x + 1, walk.FromLeft ? b.y - 1 : b.y + 1);
        }
        SelectObject(DC, oldPen);
        DeleteObject(pen);
        break;
      }
      default: {  // fgdRectangle: concentric frames, outside in
        TRect band = R;
        InflateRect(&band, -MulDiv(n, w / 2, count), -MulDiv(n, h / 2, count));
        fillBand(DC, band, brushStyle_, color);
        break;
      }
    }
    // Filling stops once the bands drawn pass the percentage asked for.
    if (n * 100 > static_cast<Integer>(percentFilling_) * count) break;
  }
  if (bias) RestoreDC(DC, saved);
}

// =======================================================================================
// Registration
// =======================================================================================

RTL_BEGIN_CLASS(TJvgTwainColors)
  using T = TJvgTwainColors;
  PUBLISH(FromColor).Default(0x808080);
  PUBLISH(ToColor).Default(0);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TJvgCustomGradient)

RTL_BEGIN_CLASS(TJvgGradient)
  using T = TJvgGradient;
  PUBLISH(Active).Default(false);
  PUBLISH(BufferedDraw).Default(false);
  PUBLISH(Orientation).Default(fgdHorizontal);
  PUBLISH(Steps).Default(255);
  PUBLISH(PercentFilling).Default(100);
  PUBLISH(BrushStyle).Default(bsSolid);
RTL_END_CLASS
