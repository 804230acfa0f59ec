#pragma once
// JvgCommClasses: the enumerations of the gradient drawing library, the colour pair and the
// gradient description with its band painter.
//
// A gradient runs from FromColor to ToColor in at most Steps bands. Both colours are kept
// as given (system colours included) and as the RGB values they had when they were set;
// the bands are computed from the RGB values.
#include <windows.h>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

RTL_ENUM(TglGradientDir, fgdHorizontal, fgdVertical, fgdLeftBias, fgdRightBias, fgdRectangle, fgdHorzConvergent,
         fgdVertConvergent)
RTL_ENUM(TglTextStyle, fstNone, fstRaised, fstRecessed, fstPushed, fstShadow, fstVolumetric)
RTL_ENUM(TglHorAlign, fhaLeft, fhaCenter, fhaRight)
RTL_ENUM(TglVertAlign, fvaTop, fvaCenter, fvaBottom)
RTL_ENUM(TglWallpaperOption, fwoNone, fwoStretch, fwoPropStretch, fwoTile)
RTL_ENUM(TglSide, fsdLeft, fsdTop, fsdRight, fsdBottom)
using TglSides = Set<TglSide>;
RTL_ENUM(TglLabelDir, fldLeftRight, fldRightLeft, fldUpDown, fldDownUp)
// A percentage, 0 .. 100.
using TPercentRange = Byte;

// Every side of a box.
inline TglSides AllGlSides() { return TglSides{fsdLeft, fsdTop, fsdRight, fsdBottom}; }

// Two colours with a change notification.
class TJvgTwainColors : public TPersistent {
  RTL_DECLARE_CLASS(TJvgTwainColors, TPersistent)
public:
  TJvgTwainColors();

  // From another colour pair: both colours, through the setters.
  void Assign(TPersistent* Source) override;

  TColor FromColor() const { return fromColor_; }
  void SetFromColor(TColor Value);
  TColor ToColor() const { return toColor_; }
  void SetToColor(TColor Value);
  // The colours as 0x00BBGGRR, resolved when they were set.
  COLORREF RGBFromColor() const { return rgbFrom_; }
  COLORREF RGBToColor() const { return rgbTo_; }

  // Raised with this object after every change.
  const TNotifyEvent& OnChanged() const { return onChanged_; }
  void SetOnChanged(const TNotifyEvent& Value) { onChanged_ = Value; }

protected:
  virtual void Changed();

  TColor fromColor_ = TColor(0x808080);
  TColor toColor_ = clBlack;
  COLORREF rgbFrom_ = 0x808080;
  COLORREF rgbTo_ = 0;

private:
  TNotifyEvent onChanged_;
};

// A colour gradient and the painter of its bands.
class TJvgCustomGradient : public TJvgTwainColors {
  RTL_DECLARE_CLASS(TJvgCustomGradient, TJvgTwainColors)
public:
  TJvgCustomGradient() = default;

  // From another gradient: every value, with one change notification; from a plain colour
  // pair: its colours.
  void Assign(TPersistent* Source) override;

  // Fills R with the bands of the gradient (lines of the given pen for the bias kinds).
  // Draws nothing when the gradient is not Active, has one step, or the device shows
  // fewer than 16 bits per pixel.
  void FillRectBands(HDC DC, const TRect& R, Integer PenWidth, TPenStyle PenStyle);

  bool Active() const { return active_; }
  void SetActive(bool Value);
  // The bands are drawn off-screen first and copied in one piece.
  bool BufferedDraw() const { return bufferedDraw_; }
  void SetBufferedDraw(bool Value);
  TglGradientDir Orientation() const { return orientation_; }
  void SetOrientation(TglGradientDir Value);
  // 1 .. 255; other values are brought into that range.
  Integer Steps() const { return steps_; }
  void SetSteps(Integer Value);
  // How much of the gradient is drawn, in percent of its bands.
  TPercentRange PercentFilling() const { return percentFilling_; }
  void SetPercentFilling(TPercentRange Value);
  // Solid, a hatch of the band colour, or bsClear (the bands leave the area as it is).
  TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TBrushStyle Value);

private:
  void drawBands(HDC DC, const TRect& R, TglGradientDir Direction, COLORREF From, COLORREF To, Integer PenWidth,
                 TPenStyle PenStyle);
  void drawConverging(HDC DC, const TRect& R, Integer PenWidth, TPenStyle PenStyle);

  bool active_ = false;
  bool bufferedDraw_ = false;
  TglGradientDir orientation_ = fgdHorizontal;
  Integer steps_ = 255;
  TPercentRange percentFilling_ = 100;
  TBrushStyle brushStyle_ = bsSolid;
};

// The gradient with every value published.
class TJvgGradient : public TJvgCustomGradient {
  RTL_DECLARE_CLASS(TJvgGradient, TJvgCustomGradient)
public:
  TJvgGradient() = default;
};
