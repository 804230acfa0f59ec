#pragma once
// The generated radio-button glyphs of the classic painters. The system's radio-button
// glyph is measured once and every pixel of its circle classified (outer ring halves,
// inner ring halves, inside, dot); from those classes 96 glyphs are painted in the
// current system colours, one for every combination of focus, design mode, painter kind
// (0 flat, 1 standard, 2 ultra-flat), checked state and button state, so that each kind
// gets its own ring colours and the ultra-flat kind its highlight blends.
//
// The list is filled on the first draw and emptied when the system colours change, so the
// next draw uses the new colours; the measurements stay.

#include <memory>
#include <vector>

#include "cx/foundation/cxGraphics.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"

// The pixel classes of the glyph cell.
enum TcxRadioPixelClass : Cardinal {
  rpcOutside = 0,        // transparent through the mask
  rpcOuterUpperLeft = 1,
  rpcOuterLowerRight = 2,
  rpcInnerUpperLeft = 3,
  rpcInnerLowerRight = 4,
  rpcInside = 5,
  rpcDot = 6,
};

// The image index of a glyph: kind x 8 + focused x 48 + designing x 24 + checked x 4 +
// (state - 1, 0 for cxbsDefault).
Integer radioButtonImageIndex(Integer APainterKind, TcxButtonState AState, bool AChecked, bool AFocused,
                              bool AIsDesigning);

class TcxRadioButtonImageList : public TObject {
  RTL_DECLARE_CLASS(TcxRadioButtonImageList, TObject)
public:
  // Measures the glyph (once per process) and builds the cell pattern and the mask.
  TcxRadioButtonImageList();
  ~TcxRadioButtonImageList() override;
  TcxRadioButtonImageList(const TcxRadioButtonImageList&) = delete;
  TcxRadioButtonImageList& operator=(const TcxRadioButtonImageList&) = delete;

  // Generates the 96 glyphs when the list is empty; nothing otherwise.
  void Fill();
  // With clDefault the glyph is drawn masked (the canvas shows outside the circle);
  // otherwise the whole glyph cell is painted, the outside in ABkColor.
  void Draw(TCanvas* ACanvas, Integer X, Integer Y, Integer AImageIndex, TColor ABkColor = clDefault);
  // Empties the list (the measurements and the cell pattern stay).
  void Clear();

  Integer Count() const;
  // The glyph size (the circle's size within the system's glyph cell).
  Integer GlyphWidth() const;
  Integer GlyphHeight() const;
  // The dot within the glyph.
  TRect DotRect() const;
  // The class of pixel (X, Y) of the glyph.
  TcxRadioPixelClass PixelClass(Integer X, Integer Y) const;
  // The colour a class is painted in for a glyph.
  static TColor ClassColor(TcxRadioPixelClass AClass, Integer APainterKind, TcxButtonState AState, bool AChecked,
                           bool AFocused, bool AIsDesigning);

private:
  void buildPattern();
  TImageList* FImageList = nullptr;
  TBitmap* FButtonMask = nullptr;
};

// The shared image list, made on first use (freed at the unit's end).
TcxRadioButtonImageList* cxGetRadioButtonImageList();

namespace cxRadioButtonImageListUnit {
void Initialize();
void Finalize();
}  // namespace cxRadioButtonImageListUnit
