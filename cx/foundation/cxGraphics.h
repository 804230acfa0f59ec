#pragma once
// The canvas wrapper through which all painting of the component set goes, clipping
// regions, a screen canvas for measuring without a window, colour mixing, and the
// process-wide cache of solid brushes.
//
// GUI thread only. A brush handed out by the cache belongs to the cache: use it for the
// current paint only (a palette change or an eviction deletes it) and never delete it.

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

// ---------------------------------------------------------------------------------------
// Shared types.

// Sides of a rectangle: FrameSides, Draw3DEdge and DrawFrame paint the sides in the set.
RTL_ENUM(TcxBorder, bLeft, bTop, bRight, bBottom)
using TcxBorders = Set<TcxBorder>;
inline const TcxBorders cxBordersAll{bLeft, bTop, bRight, bBottom};

// The state in which painters draw a button-like element (cxbsDefault draws as normal).
RTL_ENUM(TcxButtonState, cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled)

// Which grid lines a grid view draws.
RTL_ENUM(TcxGridLines, glBoth, glNone, glVertical, glHorizontal)

// The text flags of the component set (a 16-bit set every text-drawing caller passes).
constexpr Integer cxAlignLeft = 1;
constexpr Integer cxAlignRight = 2;
constexpr Integer cxAlignHCenter = 4;
constexpr Integer cxAlignTop = 8;
constexpr Integer cxAlignBottom = 16;
constexpr Integer cxAlignVCenter = 32;
constexpr Integer cxAlignCenter = cxAlignHCenter | cxAlignVCenter;
constexpr Integer cxSingleLine = 64;
constexpr Integer cxDontClip = 128;
constexpr Integer cxExpandTabs = 256;
constexpr Integer cxShowPrefix = 512;
constexpr Integer cxWordBreak = 1024;
constexpr Integer cxShowEndEllipsis = 2048;
constexpr Integer cxDontPrint = 4096;  // measure only
constexpr Integer cxShowPathEllipsis = 8192;

// The system text-drawing flags (DT_*) for a set of text flags. Prefixes are shown only
// when cxShowPrefix is given.
UINT cxTextFlagsToDrawTextFlags(Integer AFlags);

// ---------------------------------------------------------------------------------------
// Regions.

// How TcxRegion::Combine and TcxCanvas::SetClipRegion join two regions: roSet copies the
// other region, roAdd unites, roSubtract takes this minus the other, roIntersect
// intersects.
RTL_ENUM(TcxRegionOperation, roSet, roAdd, roSubtract, roIntersect)

// Owns one GDI region, deleted with the object.
class TcxRegion : public TObject {
  RTL_DECLARE_CLASS(TcxRegion, TObject)
public:
  // Takes ownership of an existing region.
  explicit TcxRegion(HRGN AHandle) : FRegionHandle(AHandle) {}
  explicit TcxRegion(const TRect& ABounds);
  TcxRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
  // The empty rectangle 0,0,0,0.
  TcxRegion();
  ~TcxRegion() override;
  TcxRegion(const TcxRegion&) = delete;
  TcxRegion& operator=(const TcxRegion&) = delete;

  static TcxRegion* CreateFromHandle(HRGN AHandle) { return new TcxRegion(AHandle); }
  static TcxRegion* CreateFromRect(const TRect& ABounds) { return new TcxRegion(ABounds); }
  static TcxRegion* CreateFromCoords(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
    return new TcxRegion(ALeft, ATop, ARight, ABottom);
  }
  static TcxRegion* CreateEmpty() { return new TcxRegion(); }

  HRGN RegionHandle() const { return FRegionHandle; }
  // roSet copies ARegion into this region; the others combine this with ARegion into this.
  // With ADestroyRegion the other region object is freed afterwards.
  void Combine(TcxRegion* ARegion, TcxRegionOperation AOperation, bool ADestroyRegion = true);
  void Offset(Integer DX, Integer DY);
  bool IsEmptyRegion() const;
  TRect BoundsRect() const;

private:
  HRGN FRegionHandle;
};

// ---------------------------------------------------------------------------------------
// Canvas wrapper.

// Adds to the class library's canvas the operations the painters need. The wrapped
// canvas is not owned (the control or bitmap that owns it frees it).
class TcxCanvas : public TObject {
  RTL_DECLARE_CLASS(TcxCanvas, TObject)
public:
  explicit TcxCanvas(TCanvas* ACanvas) : FCanvas(ACanvas) {}
  TcxCanvas(const TcxCanvas&) = delete;
  TcxCanvas& operator=(const TcxCanvas&) = delete;

  TCanvas* Canvas() const { return FCanvas; }
  TCanvas* WrappedCanvas() const { return FCanvas; }

  // Pass-throughs.
  TBrush* Brush() const { return FCanvas->Brush(); }
  TBrush* GetBrush() const { return FCanvas->Brush(); }
  TFont* Font() const { return FCanvas->Font(); }
  TFont* GetFont() const { return FCanvas->Font(); }
  void SetFont(TFont* Value) { FCanvas->SetFont(Value); }
  TPen* Pen() const { return FCanvas->Pen(); }
  TPen* GetPen() const { return FCanvas->Pen(); }
  HDC Handle() const { return FCanvas->Handle(); }
  HDC GetHandle() const { return FCanvas->Handle(); }
  TPoint GetWindowOrg() const;

  // Assigns the brush colour only when it differs (so the brush is not made again).
  void SetBrushColor(TColor Value);
  // Without a bitmap (or with an empty one) fills with the brush; with one, tiles it on a
  // grid anchored at the canvas origin, so neighbouring fills line up.
  void FillRectangle(const TRect& R, TBitmap* ABitmap = nullptr);
  // Strips of AWidth along the sides in ASides, in the order left, top, right, bottom:
  // left and top in ALeftTopColor, right and bottom in ARightBottomColor. The later side
  // wins the corners, so the top-right and bottom-left corners show ARightBottomColor.
  void FrameSides(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor, Integer AWidth = 1,
                  TcxBorders ASides = cxBordersAll);
  // A one-pixel FrameSides in the button edge colours (see the table in the .cpp).
  void Draw3DEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ASides = cxBordersAll);
  // Strips of AWidth in the order left, right, top, bottom; clDefault keeps the brush
  // colour already set.
  void DrawFrame(const TRect& R, TColor AColor, TcxBorders ASides = cxBordersAll, Integer AWidth = 1);
  // The system focus rectangle (an XOR frame: drawing it twice removes it).
  void DrawFocusFrame(const TRect& R);
  void InvertArea(const TRect& R);
  // Enabled: the bitmap with its transparent colour see-through, on a clear brush when
  // ABackgroundColor is clNone, else on that colour. Disabled: the greyed image, straight
  // onto the canvas (clNone) or onto a bitmap filled with ABackgroundColor.
  void DrawGlyph(Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled = true, TColor ABackgroundColor = clNone);
  // Draws a text with the text flags; nothing for an empty text. Disabled text is drawn
  // embossed: in the button highlight colour one pixel right and down, then in the button
  // shadow colour in place. Brush style and font colour are restored afterwards.
  void DrawFormattedText(const std::string& AText, const TRect& R, Integer AFlags, bool AEnabled = true);
  // Shrinks R to the text's extent and moves it inside the old R as the flags align it.
  void CalculateTextRect(const std::string& AText, TRect& R, Integer AFlags);
  // The width and height of the text in one line.
  TSize GetTextExtent(const std::string& AText);
  Integer TextWidth(const std::string& AText) { return GetTextExtent(AText).cx; }
  Integer TextHeight(const std::string& AText) { return GetTextExtent(AText).cy; }
  // Assigns the font and answers the height of "Qq".
  Integer GetFontHeight(TFont* AFont);

  // Clipping.
  void ExcludeFromClip(const TRect& R);
  void IntersectClip(const TRect& R);
  bool IsRectVisible(const TRect& R);
  // A new region (the caller's) holding the clipping region; the rectangle
  // 0,0,107374182,107374182 when the context has none, an empty region when the query
  // fails.
  TcxRegion* GetClipRegion();
  // roSet selects ARegion unchanged. The others move ARegion by minus the window origin,
  // combine it into the current clip and select the result. ADestroyRegion frees ARegion
  // at the end. Painters save the clip with GetClipRegion, narrow it, paint, and restore
  // it with roSet.
  void SetClipRegion(TcxRegion* ARegion, TcxRegionOperation AOperation, bool ADestroyRegion = true);

  // Plain pass-throughs.
  void SetPixel(Integer X, Integer Y, TColor AColor);
  void CopyRectFrom(const TRect& ADest, TCanvas* ACanvas, const TRect& ASource);
  void DrawGraphic(Integer X, Integer Y, TGraphic* AGraphic);
  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  void Polygon(std::span<const TPoint> APoints);
  void Polygon(std::initializer_list<TPoint> APoints) { Polygon(std::span<const TPoint>(APoints.begin(), APoints.size())); }
  void Polyline(std::span<const TPoint> APoints);
  void Polyline(std::initializer_list<TPoint> APoints) {
    Polyline(std::span<const TPoint>(APoints.begin(), APoints.size()));
  }

private:
  TCanvas* FCanvas;
};

// A canvas on the screen's device context: taken when first used, released when freed.
class TScreenCanvas : public TCanvas {
  RTL_DECLARE_CLASS(TScreenCanvas, TCanvas)
public:
  TScreenCanvas() = default;
  ~TScreenCanvas() override;

protected:
  void CreateHandle() override;
  void FreeHandle() override;

private:
  HDC FScreenDC = nullptr;
};

// A TcxCanvas over a screen canvas it owns: for measuring when a control has no window.
class TcxScreenCanvas : public TcxCanvas {
  RTL_DECLARE_CLASS(TcxScreenCanvas, TcxCanvas)
public:
  TcxScreenCanvas();
  ~TcxScreenCanvas() override;
};

// ---------------------------------------------------------------------------------------
// Colours.

// The nearest colour the screen device can show.
TColor cxGetNearestScreenColor(TColor AColor);
// The per-channel mix of the button face, highlight and window colours in the given
// signed percentages, clamped to 0..255; the highlight colour when the button face is
// pure black or pure white.
TColor cxMixSystemColors(Integer AFacePercent, Integer AHighlightPercent, Integer AWindowPercent);
TColor cxGetHighlightHotColor();      // nearest screen colour of the mix -2, 30, 72
TColor cxGetHighlightPressedColor();  // nearest screen colour of the mix 14, 44, 40

// Whether a colour is a system colour (either encoding: 0xFF000000 or 0x80000000 plus the
// index), and its index.
bool isSystemColor(TColor AColor, int& AIndex);

// ---------------------------------------------------------------------------------------
// Solid-brush cache.

// Solid brushes kept sorted by colour (unsigned order) and found by binary search. When
// full, a new colour evicts the least used brush (on equal counts the lowest colour); a
// new brush starts with use count 0, so a colour asked for once is the first candidate.
// System colours 0..30 are answered with the system's own brushes and never cached.
class TcxSolidBrushCache : public TObject {
  RTL_DECLARE_CLASS(TcxSolidBrushCache, TObject)
public:
  TcxSolidBrushCache() : TcxSolidBrushCache(128) {}
  explicit TcxSolidBrushCache(Integer ACapacity);
  ~TcxSolidBrushCache() override;
  TcxSolidBrushCache(const TcxSolidBrushCache&) = delete;
  TcxSolidBrushCache& operator=(const TcxSolidBrushCache&) = delete;

  static TcxSolidBrushCache* Create() { return new TcxSolidBrushCache(128); }
  static TcxSolidBrushCache* CreateWithCapacity(Integer ACapacity) { return new TcxSolidBrushCache(ACapacity); }

  // Empties the cache, deleting every cached brush (the palette-change listener calls it).
  virtual void SystemPaletteChanged();

  HBRUSH GetBrush(TColor AColor);

  Integer Depth() const { return FDepth; }
  Integer MaxDepth() const { return FMaxDepth; }
  TColor ColorAt(Integer Index) const { return FColors[static_cast<size_t>(Index)]; }
  Cardinal UseCountAt(Integer Index) const { return FUsage[static_cast<size_t>(Index)]; }
  HBRUSH BrushAt(Integer Index) const { return FBrushes[static_cast<size_t>(Index)]; }

protected:
  // Binary search: true with the colour's position, or false with the insertion point.
  bool FindColor(TColor AColor, Integer& AIndex) const;
  HBRUSH AddBrush(TColor AColor, Integer AIndex);
  Integer LeastUsedIndex() const;
  void Delete(Integer AIndex);

private:
  Integer FDepth = 0;
  Integer FMaxDepth;
  std::vector<TColor> FColors;
  std::vector<HBRUSH> FBrushes;
  std::vector<Cardinal> FUsage;
};

// The brush of the colour from the global cache; the canvas arguments are not used.
HBRUSH cxGetSolidBrush(TColor AColor);
HBRUSH cxGetSolidBrushForCanvas(TCanvas* ACanvas, TColor AColor);
HBRUSH cxGetSolidBrushForCxCanvas(TcxCanvas* ACanvas, TColor AColor);
// The global cache (made at the unit's start; null before and after).
TcxSolidBrushCache* cxSolidBrushCache();

// Unit start: the system-colour brushes, then the global cache of 128 brushes; the end
// frees the cache.
void cxInitSystemColorBrushes();

namespace cxGraphicsUnit {
void Initialize();
void Finalize();
}  // namespace cxGraphicsUnit
