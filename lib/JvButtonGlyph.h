#pragma once
// The glyph object of the library's speed buttons and the bitmap routines it and the
// buttons draw with.
//
// TJvxButtonGlyph holds a glyph strip (NumGlyphs equal cells side by side: up, disabled,
// down, exclusive, inactive), places glyph, caption and drop-down mark inside a button,
// and makes the image of each drawing state once: a missing disabled cell becomes an
// embossed (or shaded) copy of the up cell, a missing inactive cell a gray copy. Those
// images live in image lists of one cell size each, shared by every glyph object through
// one process-wide cache; a list stays in the cache while any of its slots is used.
//
// The glyph can also come from an image list entry (Images, ImageIndex); its disabled and
// inactive images are made the same way and cached beside it.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Buttons.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/rtl/Classes.h"

// The state a button draws in. sdsInactive is a look only: a flat button the mouse is
// not over.
RTL_ENUM(TSpeedButtonDrawState, sdsUp, sdsDisabled, sdsDown, sdsExclusive, sdsInactive)

// --- Bitmap routines.

// Draws SrcW x SrcH of SrcDC stretched to DstW x DstH of DstDC, leaving out the pixels of
// KeyColor (an RGB value). With a palette, it is realised in the destination (as a
// background palette) and in the work contexts. The destination's map mode is used.
void JvMaskedStretchBlt(HDC DstDC, Integer DstX, Integer DstY, Integer DstW, Integer DstH, HDC SrcDC, Integer SrcX,
                        Integer SrcY, Integer SrcW, Integer SrcH, HPALETTE Palette, TColor KeyColor);
// Draws part of Bitmap on Canvas with the pixels of KeyColor left out. DstW or DstH below 1
// take the bitmap's size; SrcW or SrcH below 1 take the whole bitmap. KeyColor clNone
// draws without transparency (the canvas's copy mode), clDefault takes the bitmap's
// bottom-left pixel; a monochrome bitmap always leaves out its white pixels.
void JvStretchBitmapMasked(TCanvas* Canvas, TBitmap* Bitmap, TColor KeyColor, Integer DstX, Integer DstY,
                           Integer DstW, Integer DstH, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH);
// The whole bitmap at its own size at (X, Y).
void JvDrawBitmapMasked(TCanvas* Canvas, Integer X, Integer Y, TBitmap* Bitmap, TColor KeyColor);
// A new bitmap (the caller owns it) of Bitmap's size on BackColor: every pixel of Bitmap
// that is neither BackColor nor white, embossed (clBtnHighlight one pixel down and right,
// clBtnShadow in place).
TBitmap* JvCreateEmbossedGlyph(TBitmap* Bitmap, TColor BackColor);
// A new bitmap (the caller owns it) of Bitmap's size on BackColor: the pixels of
// OutlineColor in ShadowColor, with a HighlightColor copy one pixel down and right when
// DrawHighlight. The short form uses clBtnFace, clBtnHighlight and clBtnShadow.
TBitmap* JvCreateShadedGlyph(TBitmap* Bitmap, TColor OutlineColor, TColor BackColor, TColor HighlightColor,
                             TColor ShadowColor, bool DrawHighlight);
TBitmap* JvCreateShadedGlyph(TBitmap* Bitmap, TColor OutlineColor);
// Every opaque pixel of image Index of Images, as a silhouette in ShadowColor at (X, Y),
// with a HighlightColor copy at (X + 1, Y + 1) under it when DrawHighlight.
void JvDrawImageShaded(TCustomImageList* Images, TCanvas* Canvas, Integer X, Integer Y, Integer Index,
                       TColor HighlightColor, TColor ShadowColor, bool DrawHighlight);
// A new 8 x 8 bitmap (the caller owns it) of Color1 with every pixel whose column and row
// are both even or both odd in Color2 ((0, 0) is Color2).
TBitmap* JvCreateCheckerPattern(TColor Color1, TColor Color2);
// The colour's RGB value marked palette-relative (0x02000000).
TColor JvPaletteRelativeColor(TColor Color);

// --- The shared images.

// An image list whose slots are handed out and given back one at a time; a freed slot is
// reused before the list grows, and the list never shrinks.
class TJvGlyphList : public TImageList {
  RTL_DECLARE_CLASS(TJvGlyphList, TImageList)
public:
  TJvGlyphList(Integer AWidth, Integer AHeight);

  // The first free slot (a new empty image when none is free), marked used.
  Integer AllocateSlot();
  // A slot holding Image with Mask (monochrome, white is transparent) / with the pixels of
  // MaskColor transparent. Each counts one more use of the list.
  Integer AddWithMask(TBitmap* Image, TBitmap* Mask);
  Integer AddMaskedColor(TBitmap* Image, TColor MaskColor);
  // Gives a used slot back (nothing for a slot that is not used).
  void FreeSlot(Integer Index);

  Integer UsedCount() const { return usedCount_; }
  bool SlotUsed(Integer Index) const;

private:
  // A new slot holding what Fill puts at its index.
  Integer fillSlot(const std::function<void(Integer)>& Fill);

  std::vector<bool> used_;
  Integer usedCount_ = 0;
};

// The glyph lists of the process, one or more per cell size.
class TJvGlyphCache : public TObject {
  RTL_DECLARE_CLASS(TJvGlyphCache, TObject)
public:
  TJvGlyphCache() = default;
  ~TJvGlyphCache() override;
  TJvGlyphCache(const TJvGlyphCache&) = delete;
  TJvGlyphCache& operator=(const TJvGlyphCache&) = delete;

  // The newest list of that cell size, made when there is none.
  TJvGlyphList* AcquireList(Integer AWidth, Integer AHeight);
  // Frees List when none of its slots is used any more.
  void ReleaseList(TJvGlyphList* List);
  bool Empty() const { return lists_.empty(); }

private:
  std::vector<TJvGlyphList*> lists_;
};

// The process's glyph cache, null while there is none (it is made when a glyph object is
// made or needs an image, and freed with the last glyph object once it is empty).
TJvGlyphCache* currentGlyphCache();

// --- The glyph object.

class TJvxButtonGlyph : public TObject {
  RTL_DECLARE_CLASS(TJvxButtonGlyph, TObject)
public:
  TJvxButtonGlyph();
  ~TJvxButtonGlyph() override;
  TJvxButtonGlyph(const TJvxButtonGlyph&) = delete;
  TJvxButtonGlyph& operator=(const TJvxButtonGlyph&) = delete;

  // The glyph strip (owned). Setting copies Value into it; any change of the strip drops
  // the cached images, takes the key colour from the strip and, when the strip is a whole
  // number of squares wide (at most five), that number as NumGlyphs; then OnChange fires.
  TBitmap* Glyph() const { return sourceBitmap_; }
  void SetGlyph(TBitmap* Value);
  Byte NumGlyphs() const { return numGlyphs_; }
  // 0 is ignored; a change drops the cached images.
  void SetNumGlyphs(Byte Value);
  // Disabled images from a one-cell strip: embossed (true) or shaded (false). A change
  // drops the cached images.
  bool GrayNewStyle() const { return grayNewStyle_; }
  void SetGrayNewStyle(bool Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value) { alignment_ = Value; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value) { wordWrap_ = Value; }
  // The transparent colour of the strip (RGB, no palette bit).
  TColor KeyColor() const { return keyColor_; }
  // The shared list holding this glyph's images (null while it holds none).
  TJvGlyphList* CacheList() const { return cacheList_; }
  // The slot of a state's image in CacheList, -1 while it is not made.
  Integer StateIndex(TSpeedButtonDrawState State) const { return stateIndexes_[State]; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

  // Where the glyph and the caption go in Client. The glyph is image ImageIndex of Images
  // when that exists, else a cell of the strip. Margin -1 centres the pair, Spacing -1
  // spreads it; PopupMark leaves room for the drop-down mark. Caption comes back fitted to
  // the room; TextBounds is its rectangle (moved by Offset only without visual styles, so a
  // themed pressed button keeps its caption in place), GlyphPos the glyph's top left.
  void ComputeLayout(TCanvas* Canvas, const TRect& Client, TCustomImageList* Images, Integer ImageIndex,
                     Integer TextFlags, bool PopupMark, Integer Spacing, Integer Margin, TButtonLayout Layout,
                     std::string& Caption, const TPoint& Offset, TRect& TextBounds, TPoint& GlyphPos);
  // The slot of the image of State from the strip / from an image list entry, made on
  // first need; -1 when there is nothing to make it from.
  Integer GlyphIndexForState(TSpeedButtonDrawState State);
  Integer ImageGlyphIndexForState(TSpeedButtonDrawState State, TCustomImageList* Images, Integer Index);
  // Lays out and draws glyph, caption and (with PopupMark) the drop-down mark; returns the
  // caption's rectangle. TextFlags are DrawText flags (alignment, reading order).
  TRect DrawAll(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                TButtonLayout Layout, Integer Margin, Integer Spacing, bool PopupMark,
                TSpeedButtonDrawState State, Integer TextFlags);
  TRect DrawAll(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                TButtonLayout Layout, Integer Margin, Integer Spacing, bool PopupMark, TCustomImageList* Images,
                Integer ImageIndex, TSpeedButtonDrawState State, Integer TextFlags);
  // Draws the image of State at (X, Y) and returns its size ((0, 0) when there is none).
  TPoint DrawBitmapGlyph(TCanvas* Canvas, Integer X, Integer Y, TSpeedButtonDrawState State);
  TPoint DrawListGlyph(TCanvas* Canvas, Integer X, Integer Y, TCustomImageList* Images, Integer Index,
                       TSpeedButtonDrawState State);
  // The caption in TextBounds without background: embossed when disabled, else in the
  // canvas font's colour.
  void DrawCaption(TCanvas* Canvas, const std::string& Caption, const TRect& TextBounds,
                   TSpeedButtonDrawState State, Integer TextFlags);
  // The small downward triangle (7 pixels wide) whose top row is Y - 1, from X.
  void DrawDropDownMark(TCanvas* Canvas, Integer X, Integer Y, TSpeedButtonDrawState State);
  // Gives the state images back to the cache.
  void ReleaseCachedGlyphs();
  // Caption with each line shortened ("...") to MaxWidth on Canvas (not when WordWrap), at
  // most 255 characters.
  std::string FitCaption(TCanvas* Canvas, const std::string& Caption, Integer MaxWidth);

private:
  void HandleSourceChange(TObject* Sender);
  // The cached images are of one source: the strip (Images null) or one list entry;
  // asking for another source drops them first.
  void useSource(TCustomImageList* Images, Integer Index);
  TPoint cellSize() const;

  TBitmap* sourceBitmap_;
  TJvGlyphList* cacheList_ = nullptr;
  Integer stateIndexes_[sdsInactive + 1] = {-1, -1, -1, -1, -1};
  TCustomImageList* cachedImages_ = nullptr;
  Integer cachedImageIndex_ = -1;
  TColor keyColor_ = TColor(0xFF00FF);
  Byte numGlyphs_ = 1;
  TAlignment alignment_ = taCenter;
  bool wordWrap_ = false;
  bool grayNewStyle_ = false;
  TNotifyEvent onChange_;
};
