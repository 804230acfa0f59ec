#include "lib/JvButtonGlyph.h"

#include <algorithm>

#include "lib/JvUtils.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/Scoped.h"

namespace {

// DSPDxax: the brush where a monochrome source is black (after the text colour turned its
// 0 bits into ones), the destination where it is white.
constexpr DWORD kRopDSPDxax = 0x00E20746;
constexpr Integer kMaxCaption = 255;
// Room the drop-down mark takes beside a caption, and beside a glyph.
constexpr Integer kMarkBesideText = 9;
constexpr Integer kMarkBesideGlyph = 6;

COLORREF rgbOf(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

[[noreturn]] void outOfResources() { throw EOutOfResources("Out of system resources"); }

// A memory device context with a bitmap selected (both owned), optionally with a palette
// realised in it; everything is put back and freed when it goes.
class MemoryContext {
public:
  MemoryContext(HDC Reference, HBITMAP Bitmap) : bitmap_(Bitmap) {
    if (!bitmap_) outOfResources();
    dc_ = CreateCompatibleDC(Reference);
    if (!dc_) {
      DeleteObject(bitmap_);
      outOfResources();
    }
    oldBitmap_ = SelectObject(dc_, bitmap_);
  }
  ~MemoryContext() {
    if (oldPalette_) SelectPalette(dc_, oldPalette_, TRUE);
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  MemoryContext(const MemoryContext&) = delete;
  MemoryContext& operator=(const MemoryContext&) = delete;

  HDC Dc() const { return dc_; }
  void UsePalette(HPALETTE Palette) {
    oldPalette_ = SelectPalette(dc_, Palette, TRUE);
    RealizePalette(dc_);
  }

private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
  HPALETTE oldPalette_ = nullptr;
};

HBITMAP monochromeBitmap(Integer Width, Integer Height) { return CreateBitmap(Width, Height, 1, 1, nullptr); }

// Paints the brush of Canvas through a monochrome Mask at (X, Y) with DSPDxax: where the
// mask's ink is (its 0 bits, or its 1 bits when InkIsSet) the brush, elsewhere the canvas
// stays. The text and background colours decide which bits become ones; they are put back.
void paintThroughMask(TCanvas* Canvas, HDC Mask, Integer X, Integer Y, Integer Width, Integer Height, TColor Brush,
                      bool InkIsSet = false) {
  Canvas->Brush()->SetColor(Brush);
  Canvas->RequiredState({csHandleValid, csBrushValid});
  HDC dc = Canvas->Handle();
  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  const COLORREF oldText = SetTextColor(dc, InkIsSet ? black : white);
  const COLORREF oldBack = SetBkColor(dc, InkIsSet ? white : black);
  BitBlt(dc, X, Y, Width, Height, Mask, 0, 0, kRopDSPDxax);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

// A new screen-compatible bitmap of the size, filled with Color.
TBitmap* filledBitmap(Integer Width, Integer Height, TColor Color) {
  TObjectPtr<TBitmap> result(new TBitmap());
  result->SetSize(Width, Height);
  result->Canvas()->Brush()->SetColor(Color);
  result->Canvas()->FillRect(Rect(0, 0, Width, Height));
  return result.release();
}

// The gray the inactive look gives a pixel; the key colour and the button face stay.
COLORREF grayPixel(COLORREF Pixel, COLORREF Key, COLORREF Face) {
  if (Pixel == Key || Pixel == Face) return Pixel;
  const unsigned gray = (77u * GetRValue(Pixel) + 150u * GetGValue(Pixel) + 29u * GetBValue(Pixel)) >> 8;
  return RGB(gray, gray, gray);
}

// Passes every pixel of a 24-bit bitmap through grayPixel.
void grayBitmap(TBitmap* Bitmap, COLORREF Key, COLORREF Face) {
  for (Integer y = 0; y < Bitmap->Height(); ++y) {
    auto* row = static_cast<uint8_t*>(Bitmap->ScanLine(y));
    for (Integer x = 0; x < Bitmap->Width(); ++x) {
      uint8_t* p = row + 3 * x;
      const COLORREF gray = grayPixel(RGB(p[2], p[1], p[0]), Key, Face);
      p[0] = GetBValue(gray);
      p[1] = GetGValue(gray);
      p[2] = GetRValue(gray);
    }
  }
}

// A monochrome bitmap holding the mask of image Index: black where the image is opaque,
// white where it is transparent.
TBitmap* listMask(TCustomImageList* Images, Integer Index) {
  TObjectPtr<TBitmap> mask(new TBitmap());
  mask->SetMonochrome(true);
  mask->SetSize(Images->Width(), Images->Height());
  mask->Canvas()->Brush()->SetColor(clWhite);
  mask->Canvas()->FillRect(Rect(0, 0, Images->Width(), Images->Height()));
  Images->Draw(mask->Canvas(), 0, 0, Index, dsNormal, itMask);
  return mask.release();
}

bool listUsable(TCustomImageList* Images, Integer Index) {
  return Images && Images->Width() > 0 && Index >= 0 && Index < Images->Count();
}

TJvGlyphCache* glyphCache = nullptr;

TJvGlyphCache* glyphCacheNeeded() {
  if (!glyphCache) glyphCache = new TJvGlyphCache();
  return glyphCache;
}

}  // namespace

// =======================================================================================
// Bitmap routines
// =======================================================================================

void JvMaskedStretchBlt(HDC DstDC, Integer DstX, Integer DstY, Integer DstW, Integer DstH, HDC SrcDC, Integer SrcX,
                        Integer SrcY, Integer SrcW, Integer SrcH, HPALETTE Palette, TColor KeyColor) {
  if (DstW <= 0 || DstH <= 0 || SrcW <= 0 || SrcH <= 0) return;
  HPALETTE oldDstPalette = nullptr;
  if (Palette) {
    oldDstPalette = SelectPalette(DstDC, Palette, TRUE);
    RealizePalette(DstDC);
  }
  try {
    MemoryContext mask(DstDC, monochromeBitmap(SrcW, SrcH));
    MemoryContext inverse(DstDC, monochromeBitmap(SrcW, SrcH));
    MemoryContext work(DstDC, CreateCompatibleBitmap(DstDC, DstW, DstH));
    MemoryContext source(DstDC, CreateCompatibleBitmap(DstDC, SrcW, SrcH));
    const int mapMode = GetMapMode(DstDC);
    for (const MemoryContext* m : {&mask, &inverse, &work, &source}) SetMapMode(m->Dc(), mapMode);
    if (Palette) {
      work.UsePalette(Palette);
      source.UsePalette(Palette);
    }
    JvBitBltForward(source.Dc(), 0, 0, SrcW, SrcH, SrcDC, SrcX, SrcY, SRCCOPY);
    // Key pixels become 1 in the mask, every other pixel 0.
    SetBkColor(source.Dc(), static_cast<COLORREF>(JvPaletteRelativeColor(KeyColor)));
    JvBitBltForward(mask.Dc(), 0, 0, SrcW, SrcH, source.Dc(), 0, 0, SRCCOPY);
    JvBitBltForward(inverse.Dc(), 0, 0, SrcW, SrcH, mask.Dc(), 0, 0, NOTSRCCOPY);
    // Monochrome into colour maps 1 to the background colour and 0 to the text colour.
    for (HDC dc : {work.Dc(), source.Dc()}) {
      SetBkColor(dc, RGB(255, 255, 255));
      SetTextColor(dc, RGB(0, 0, 0));
    }
    // The destination stays where the key was; the source's key pixels become black and
    // its other pixels are ORed into the holes.
    JvBitBltForward(work.Dc(), 0, 0, DstW, DstH, DstDC, DstX, DstY, SRCCOPY);
    StretchBlt(work.Dc(), 0, 0, DstW, DstH, mask.Dc(), 0, 0, SrcW, SrcH, SRCAND);
    JvBitBltForward(source.Dc(), 0, 0, SrcW, SrcH, inverse.Dc(), 0, 0, SRCAND);
    StretchBlt(work.Dc(), 0, 0, DstW, DstH, source.Dc(), 0, 0, SrcW, SrcH, SRCPAINT);
    JvBitBltForward(DstDC, DstX, DstY, DstW, DstH, work.Dc(), 0, 0, SRCCOPY);
  } catch (...) {
    if (Palette) SelectPalette(DstDC, oldDstPalette, TRUE);
    throw;
  }
  if (Palette) SelectPalette(DstDC, oldDstPalette, TRUE);
}

void JvStretchBitmapMasked(TCanvas* Canvas, TBitmap* Bitmap, TColor KeyColor, Integer DstX, Integer DstY,
                           Integer DstW, Integer DstH, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  if (DstW < 1 || DstH < 1) {
    DstW = Bitmap->Width();
    DstH = Bitmap->Height();
  }
  if (SrcW < 1 || SrcH < 1) {
    SrcX = 0;
    SrcY = 0;
    SrcW = Bitmap->Width();
    SrcH = Bitmap->Height();
  }
  TCanvas* source = Bitmap->Canvas();
  source->Lock();
  const TNotifyEvent changing = source->OnChanging();
  source->SetOnChanging(TNotifyEvent());
  auto restore = [&] {
    source->SetOnChanging(changing);
    source->Unlock();
  };
  {
    ScopeExit atEnd([&] { restore(); });
    const bool mono = Bitmap->Monochrome();
    if (KeyColor == clDefault) KeyColor = source->Pixels(0, Bitmap->Height() - 1);
    const TColor key = mono ? clWhite : TColor(rgbOf(KeyColor));
    HDC srcDC = source->Handle();
    Canvas->Changing();
    HDC dstDC = Canvas->Handle();
    if (!mono) SetStretchBltMode(dstDC, COLORONCOLOR);
    if (KeyColor == clNone)
      StretchBlt(dstDC, DstX, DstY, DstW, DstH, srcDC, SrcX, SrcY, SrcW, SrcH, static_cast<DWORD>(Canvas->CopyMode()));
    else
      JvMaskedStretchBlt(dstDC, DstX, DstY, DstW, DstH, srcDC, SrcX, SrcY, SrcW, SrcH, Bitmap->Palette(), key);
    Canvas->Changed();
  }
}

void JvDrawBitmapMasked(TCanvas* Canvas, Integer X, Integer Y, TBitmap* Bitmap, TColor KeyColor) {
  if (!Bitmap) return;
  JvStretchBitmapMasked(Canvas, Bitmap, KeyColor, X, Y, Bitmap->Width(), Bitmap->Height(), 0, 0, Bitmap->Width(),
                        Bitmap->Height());
}

TBitmap* JvCreateEmbossedGlyph(TBitmap* Bitmap, TColor BackColor) {
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  TObjectPtr<TBitmap> result(filledBitmap(w, h, BackColor));
  // The glyph on white without its background, then black wherever it is not white.
  TObjectPtr<TBitmap> mask(filledBitmap(w, h, clWhite));
  JvDrawBitmapMasked(mask->Canvas(), 0, 0, Bitmap, BackColor);
  mask->SetMonochrome(true);
  HDC maskDC = mask->Canvas()->Handle();
  paintThroughMask(result->Canvas(), maskDC, 1, 1, w, h, clBtnHighlight);
  paintThroughMask(result->Canvas(), maskDC, 0, 0, w, h, clBtnShadow);
  result->Canvas()->Changed();
  return result.release();
}

TBitmap* JvCreateShadedGlyph(TBitmap* Bitmap, TColor OutlineColor, TColor BackColor, TColor HighlightColor,
                             TColor ShadowColor, bool DrawHighlight) {
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  // A colour copy of the glyph (a monochrome glyph keeps its black and white), then a
  // monochrome one that is white exactly where the glyph has OutlineColor.
  TObjectPtr<TBitmap> colour(filledBitmap(w, h, clWhite));
  HDC colourDC = colour->Canvas()->Handle();
  const COLORREF oldText = SetTextColor(colourDC, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(colourDC, RGB(255, 255, 255));
  JvBitBltForward(colourDC, 0, 0, w, h, Bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
  MemoryContext mono(colourDC, monochromeBitmap(w, h));
  SetBkColor(colourDC, rgbOf(OutlineColor));
  JvBitBltForward(mono.Dc(), 0, 0, w, h, colourDC, 0, 0, SRCCOPY);
  SetTextColor(colourDC, oldText);
  SetBkColor(colourDC, oldBack);

  TObjectPtr<TBitmap> result(filledBitmap(w, h, BackColor));
  if (DrawHighlight) paintThroughMask(result->Canvas(), mono.Dc(), 1, 1, w, h, HighlightColor, true);
  paintThroughMask(result->Canvas(), mono.Dc(), 0, 0, w, h, ShadowColor, true);
  result->Canvas()->Changed();
  return result.release();
}

TBitmap* JvCreateShadedGlyph(TBitmap* Bitmap, TColor OutlineColor) {
  return JvCreateShadedGlyph(Bitmap, OutlineColor, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

void JvDrawImageShaded(TCustomImageList* Images, TCanvas* Canvas, Integer X, Integer Y, Integer Index,
                       TColor HighlightColor, TColor ShadowColor, bool DrawHighlight) {
  if (!listUsable(Images, Index) || !Canvas) return;
  TObjectPtr<TBitmap> mask(listMask(Images, Index));
  const TColor oldBrush = Canvas->Brush()->Color();
  HDC maskDC = mask->Canvas()->Handle();
  Canvas->Changing();
  if (DrawHighlight) paintThroughMask(Canvas, maskDC, X + 1, Y + 1, Images->Width(), Images->Height(), HighlightColor);
  paintThroughMask(Canvas, maskDC, X, Y, Images->Width(), Images->Height(), ShadowColor);
  Canvas->Brush()->SetColor(oldBrush);
  Canvas->Changed();
}

TBitmap* JvCreateCheckerPattern(TColor Color1, TColor Color2) {
  TObjectPtr<TBitmap> result(filledBitmap(8, 8, Color1));
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = y % 2; x < 8; x += 2) result->Canvas()->SetPixels(x, y, Color2);
  return result.release();
}

TColor JvPaletteRelativeColor(TColor Color) { return TColor(ColorToRGB(Color) | 0x02000000); }

// =======================================================================================
// Glyph lists and the cache
// =======================================================================================

TJvGlyphList::TJvGlyphList(Integer AWidth, Integer AHeight) : TImageList(AWidth, AHeight) {}

Integer TJvGlyphList::AllocateSlot() {
  auto it = std::find(used_.begin(), used_.end(), false);
  Integer index;
  if (it != used_.end()) {
    index = static_cast<Integer>(it - used_.begin());
  } else {
    TObjectPtr<TBitmap> blank(filledBitmap(Width(), Height(), clWhite));
    index = Add(blank.get(), nullptr);
    if (index < 0) outOfResources();
    used_.resize(static_cast<size_t>(index) + 1, false);
  }
  used_[static_cast<size_t>(index)] = true;
  return index;
}

Integer TJvGlyphList::AddWithMask(TBitmap* Image, TBitmap* Mask) {
  return fillSlot([&](Integer Index) { Replace(Index, Image, Mask); });
}

Integer TJvGlyphList::AddMaskedColor(TBitmap* Image, TColor MaskColor) {
  return fillSlot([&](Integer Index) { ReplaceMasked(Index, Image, MaskColor); });
}

Integer TJvGlyphList::fillSlot(const std::function<void(Integer)>& Fill) {
  const Integer index = AllocateSlot();
  try {
    Fill(index);
  } catch (...) {
    // A slot that holds no image is given back.
    used_[static_cast<size_t>(index)] = false;
    throw;
  }
  ++usedCount_;
  return index;
}

void TJvGlyphList::FreeSlot(Integer Index) {
  if (!SlotUsed(Index)) return;
  used_[static_cast<size_t>(Index)] = false;
  if (usedCount_ > 0) --usedCount_;
}

bool TJvGlyphList::SlotUsed(Integer Index) const {
  return Index >= 0 && static_cast<size_t>(Index) < used_.size() && used_[static_cast<size_t>(Index)];
}

TJvGlyphCache::~TJvGlyphCache() {
  for (TJvGlyphList* list : lists_) list->Free();
}

TJvGlyphList* TJvGlyphCache::AcquireList(Integer AWidth, Integer AHeight) {
  for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
    if ((*it)->Width() == AWidth && (*it)->Height() == AHeight) return *it;
  TJvGlyphList* list = new TJvGlyphList(AWidth, AHeight);
  lists_.push_back(list);
  return list;
}

void TJvGlyphCache::ReleaseList(TJvGlyphList* List) {
  if (!List || List->UsedCount() > 0) return;
  auto it = std::find(lists_.begin(), lists_.end(), List);
  if (it == lists_.end()) return;
  lists_.erase(it);
  List->Free();
}

TJvGlyphCache* currentGlyphCache() { return glyphCache; }

// =======================================================================================
// TJvxButtonGlyph
// =======================================================================================

TJvxButtonGlyph::TJvxButtonGlyph() {
  glyphCacheNeeded();
  sourceBitmap_ = new TBitmap();
  sourceBitmap_->SetOnChange(TNotifyEvent(this, &TJvxButtonGlyph::HandleSourceChange));
}

TJvxButtonGlyph::~TJvxButtonGlyph() {
  sourceBitmap_->SetOnChange(TNotifyEvent());
  ReleaseCachedGlyphs();
  delete sourceBitmap_;
  if (glyphCache && glyphCache->Empty()) {
    delete glyphCache;
    glyphCache = nullptr;
  }
}

void TJvxButtonGlyph::SetGlyph(TBitmap* Value) {
  ReleaseCachedGlyphs();
  sourceBitmap_->Assign(Value);
}

void TJvxButtonGlyph::SetNumGlyphs(Byte Value) {
  if (Value == 0 || Value == numGlyphs_) return;
  ReleaseCachedGlyphs();
  numGlyphs_ = Value;
}

void TJvxButtonGlyph::SetGrayNewStyle(bool Value) {
  if (Value == grayNewStyle_) return;
  ReleaseCachedGlyphs();
  grayNewStyle_ = Value;
}

void TJvxButtonGlyph::HandleSourceChange(TObject*) {
  ReleaseCachedGlyphs();
  const Integer w = sourceBitmap_->Width(), h = sourceBitmap_->Height();
  if (h > 0 && w > 0) {
    keyColor_ = TColor(sourceBitmap_->TransparentColor() & 0xFDFFFFFF);
    // A strip as wide as a whole number of squares holds that many cells; more than five
    // cannot be states, so such a bitmap is one picture.
    if (w % h == 0) numGlyphs_ = static_cast<Byte>(w / h > 5 ? 1 : w / h);
  }
  if (onChange_) onChange_(this);
}

TPoint TJvxButtonGlyph::cellSize() const {
  if (sourceBitmap_->Empty()) return Point(0, 0);
  return Point(sourceBitmap_->Width() / numGlyphs_, sourceBitmap_->Height());
}

void TJvxButtonGlyph::ReleaseCachedGlyphs() {
  if (cacheList_) {
    for (Integer& index : stateIndexes_)
      if (index != -1) cacheList_->FreeSlot(index);
    TJvGlyphList* list = cacheList_;
    cacheList_ = nullptr;
    if (glyphCache) glyphCache->ReleaseList(list);
  }
  for (Integer& index : stateIndexes_) index = -1;
  cachedImages_ = nullptr;
  cachedImageIndex_ = -1;
}

void TJvxButtonGlyph::useSource(TCustomImageList* Images, Integer Index) {
  if (Images == cachedImages_ && Index == cachedImageIndex_) return;
  ReleaseCachedGlyphs();
  cachedImages_ = Images;
  cachedImageIndex_ = Index;
}

std::string TJvxButtonGlyph::FitCaption(TCanvas* Canvas, const std::string& Caption, Integer MaxWidth) {
  std::string result;
  if (wordWrap_) {
    result = Caption;
  } else {
    size_t start = 0;
    bool first = true;
    while (start <= Caption.size()) {
      size_t end = Caption.find_first_of("\r\n", start);
      const std::string line = Caption.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!first) result += "\r\n";
      result += JvShortenTextToWidth(line, Canvas, MaxWidth);
      first = false;
      if (end == std::string::npos) break;
      // CR LF, LF CR, a lone CR and a lone LF each end one line.
      start = end + 1;
      if (start < Caption.size() && (Caption[start] == '\r' || Caption[start] == '\n') && Caption[start] != Caption[end])
        ++start;
    }
    while (!result.empty() && static_cast<unsigned char>(result.back()) <= ' ') result.pop_back();
  }
  if (result.size() > kMaxCaption) result.resize(kMaxCaption);
  return result;
}

void TJvxButtonGlyph::ComputeLayout(TCanvas* Canvas, const TRect& Client, TCustomImageList* Images,
                                    Integer ImageIndex, Integer TextFlags, bool PopupMark, Integer Spacing,
                                    Integer Margin, TButtonLayout Layout, std::string& Caption, const TPoint& Offset,
                                    TRect& TextBounds, TPoint& GlyphPos) {
  const TPoint clientSize = Point(JvRectWidth(Client), JvRectHeight(Client));
  TPoint glyphSize = listUsable(Images, ImageIndex) ? Point(Images->Width(), Images->Height()) : cellSize();

  // The room the caption may take.
  const bool vertical = Layout == blGlyphTop || Layout == blGlyphBottom;
  Integer maxX, maxY;
  if (vertical) {
    maxX = clientSize.x;
    maxY = clientSize.y - glyphSize.y;
    if (Margin != -1) maxY -= Margin;
    if (Spacing != -1) maxY -= Spacing;
  } else {
    maxX = clientSize.x - glyphSize.x;
    if (Margin != -1) maxX -= Margin;
    if (Spacing != -1) maxX -= Spacing;
    if (PopupMark) maxX -= kMarkBesideText;
    maxY = clientSize.y;
  }
  maxX = std::max(maxX, 0);
  maxY = std::max(maxY, 0);

  Caption = FitCaption(Canvas, Caption, maxX);
  // The caption's own size; textSize grows by the mark's room below, the caption's
  // rectangle does not.
  TPoint captionSize{0, 0};
  if (!Caption.empty()) {
    TRect measured = Rect(0, 0, maxX, 0);
    Canvas->RequiredState({csHandleValid, csFontValid});
    JvCanvasDrawTextP(Canvas, Caption.c_str(), -1,
                      (wordWrap_ ? DT_WORDBREAK : 0) | DT_CALCRECT | DT_VCENTER | DT_CENTER |
                          static_cast<UINT>(TextFlags),
                      measured);
    captionSize.x = std::clamp(JvRectWidth(measured), 0, maxX);
    captionSize.y = std::clamp(JvRectHeight(measured), 0, maxY);
  }
  TPoint textSize = captionSize;

  // The mark goes after the caption when the glyph is missing or on its left, else beside
  // the glyph.
  if (PopupMark) {
    if (glyphSize.x == 0 || glyphSize.y == 0 || Layout == blGlyphLeft) textSize.x += kMarkBesideText;
    else glyphSize.x += kMarkBesideGlyph;
  }

  // Both centred across the layout direction.
  TPoint textPos{0, 0};
  if (vertical) {
    GlyphPos.x = clientSize.x / 2 - glyphSize.x / 2;
    textPos.x = clientSize.x / 2 - textSize.x / 2;
  } else {
    GlyphPos.y = clientSize.y / 2 - glyphSize.y / 2;
    textPos.y = clientSize.y / 2 - textSize.y / 2;
  }

  // Along it: Margin -1 centres glyph, spacing and caption together; Spacing -1 spreads
  // them evenly.
  const Integer room = vertical ? clientSize.y : clientSize.x;
  const Integer glyphExtent = vertical ? glyphSize.y : glyphSize.x;
  const Integer textExtent = vertical ? textSize.y : textSize.x;
  if (textSize.x == 0 || glyphSize.x == 0) Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      Spacing = (room - (glyphExtent + textExtent)) / 3;
      Margin = Spacing;
    } else {
      Margin = room / 2 - (glyphExtent + Spacing + textExtent) / 2;
    }
  } else if (Spacing == -1) {
    const Integer free = room - (Margin + glyphExtent);
    Spacing = free / 2 - textExtent / 2;
  }

  switch (Layout) {
    case blGlyphLeft:
      GlyphPos.x = Margin;
      textPos.x = Margin + glyphSize.x + Spacing;
      break;
    case blGlyphRight:
      GlyphPos.x = clientSize.x - Margin - glyphSize.x;
      textPos.x = GlyphPos.x - Spacing - textSize.x;
      break;
    case blGlyphTop:
      GlyphPos.y = Margin;
      textPos.y = Margin + glyphSize.y + Spacing;
      break;
    case blGlyphBottom:
      GlyphPos.y = clientSize.y - Margin - glyphSize.y;
      textPos.y = GlyphPos.y - Spacing - textSize.y;
      break;
  }

  GlyphPos.x += Client.left + Offset.x;
  GlyphPos.y += Client.top + Offset.y;
  // A themed button shows its pressed state itself; only the glyph moves then.
  TPoint textOrigin = Point(Client.left + textPos.x, Client.top + textPos.y);
  if (!ThemeServices()->ThemesEnabled()) {
    textOrigin.x += Offset.x;
    textOrigin.y += Offset.y;
  }
  TextBounds = Bounds(textOrigin.x, textOrigin.y, captionSize.x, captionSize.y);
}

Integer TJvxButtonGlyph::GlyphIndexForState(TSpeedButtonDrawState State) {
  if (State == sdsDown && numGlyphs_ < 3) State = sdsUp;
  useSource(nullptr, -1);
  if (stateIndexes_[State] != -1) return stateIndexes_[State];
  const TPoint cell = cellSize();
  if (cell.x <= 0 || cell.y <= 0) return -1;
  if (!cacheList_) cacheList_ = glyphCacheNeeded()->AcquireList(cell.x, cell.y);
  const Integer frame = State < numGlyphs_ ? static_cast<Integer>(State) : 0;
  Integer index;
  if (State == sdsDisabled && numGlyphs_ < 2) {
    if (grayNewStyle_) {
      TObjectPtr<TBitmap> image(JvCreateEmbossedGlyph(sourceBitmap_, keyColor_));
      index = cacheList_->AddMaskedColor(image.get(), keyColor_);
    } else {
      TObjectPtr<TBitmap> image(JvCreateShadedGlyph(sourceBitmap_, clBlack));
      index = cacheList_->AddMaskedColor(image.get(), TColor(rgbOf(clBtnFace)));
    }
  } else {
    const bool gray = State == sdsInactive && numGlyphs_ < 5;
    TObjectPtr<TBitmap> image(new TBitmap());
    image->SetPixelFormat(pf24bit);
    image->SetSize(cell.x, cell.y);
    JvBitBltForward(image->Canvas()->Handle(), 0, 0, cell.x, cell.y, sourceBitmap_->Canvas()->Handle(),
                    gray ? 0 : frame * cell.x, 0, SRCCOPY);
    if (gray) grayBitmap(image.get(), rgbOf(keyColor_), rgbOf(clBtnFace));
    index = cacheList_->AddMaskedColor(image.get(), keyColor_);
  }
  stateIndexes_[State] = index;
  sourceBitmap_->Dormant();
  return index;
}

Integer TJvxButtonGlyph::ImageGlyphIndexForState(TSpeedButtonDrawState State, TCustomImageList* Images,
                                                 Integer Index) {
  if (State == sdsDown) State = sdsUp;
  if (!Images || Images->Width() <= 0 || Images->Height() <= 0 || Images->Count() <= 0) return -1;
  if (Index < 0 || Index >= Images->Count()) return -1;
  useSource(Images, Index);
  if (stateIndexes_[State] != -1) return stateIndexes_[State];
  const Integer w = Images->Width(), h = Images->Height();
  if (!cacheList_) cacheList_ = glyphCacheNeeded()->AcquireList(w, h);
  Integer index;
  switch (State) {
    case sdsDisabled: {
      TObjectPtr<TBitmap> image(filledBitmap(w, h, clBtnFace));
      JvDrawImageShaded(Images, image->Canvas(), 0, 0, Index, clBtnHighlight, clBtnShadow, true);
      index = cacheList_->AddMaskedColor(image.get(), clBtnFace);
      break;
    }
    case sdsInactive: {
      TObjectPtr<TBitmap> image(new TBitmap());
      image->SetPixelFormat(pf24bit);
      image->SetSize(w, h);
      image->Canvas()->Brush()->SetColor(clBtnFace);
      image->Canvas()->FillRect(Rect(0, 0, w, h));
      Images->Draw(image->Canvas(), 0, 0, Index);
      grayBitmap(image.get(), rgbOf(keyColor_), rgbOf(clBtnFace));
      index = cacheList_->AddMaskedColor(image.get(), clBtnFace);
      break;
    }
    default: {
      TObjectPtr<TBitmap> image(filledBitmap(w, h, clWhite));
      Images->Draw(image->Canvas(), 0, 0, Index);
      TObjectPtr<TBitmap> mask(listMask(Images, Index));
      index = cacheList_->AddWithMask(image.get(), mask.get());
      break;
    }
  }
  stateIndexes_[State] = index;
  return index;
}

TPoint TJvxButtonGlyph::DrawBitmapGlyph(TCanvas* Canvas, Integer X, Integer Y, TSpeedButtonDrawState State) {
  const TPoint cell = cellSize();
  if (cell.x <= 0 || cell.y <= 0) return Point(0, 0);
  const Integer index = GlyphIndexForState(State);
  if (index >= 0) cacheList_->Draw(Canvas, X, Y, index);
  return cell;
}

TPoint TJvxButtonGlyph::DrawListGlyph(TCanvas* Canvas, Integer X, Integer Y, TCustomImageList* Images,
                                      Integer Index, TSpeedButtonDrawState State) {
  if (!listUsable(Images, Index)) return Point(0, 0);
  switch (State) {
    case sdsDisabled:
      if (grayNewStyle_) Images->Draw(Canvas, X, Y, Index, false);
      else JvDrawImageShaded(Images, Canvas, X, Y, Index, clBtnHighlight, clBtnShadow, true);
      break;
    case sdsInactive: {
      const Integer index = ImageGlyphIndexForState(sdsInactive, Images, Index);
      if (index >= 0) cacheList_->Draw(Canvas, X, Y, index);
      break;
    }
    default:
      Images->Draw(Canvas, X, Y, Index);
      break;
  }
  return Point(Images->Width(), Images->Height());
}

void TJvxButtonGlyph::DrawCaption(TCanvas* Canvas, const std::string& Caption, const TRect& TextBounds,
                                  TSpeedButtonDrawState State, Integer TextFlags) {
  if (Caption.empty()) return;
  const std::string text = Caption.substr(0, kMaxCaption);
  const UINT flags = (wordWrap_ ? DT_WORDBREAK : 0) | DT_VCENTER | static_cast<UINT>(TextFlags);
  Canvas->Brush()->SetStyle(bsClear);
  auto draw = [&](TRect r) {
    Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
    JvCanvasDrawTextP(Canvas, text.c_str(), static_cast<Integer>(text.size()), flags, r);
  };
  Canvas->Changing();
  if (State == sdsDisabled) {
    const TColor old = Canvas->Font()->Color();
    Canvas->Font()->SetColor(clBtnHighlight);
    TRect moved = TextBounds;
    OffsetRect(moved, 1, 1);
    draw(moved);
    Canvas->Font()->SetColor(clBtnShadow);
    draw(TextBounds);
    Canvas->Font()->SetColor(old);
  } else {
    draw(TextBounds);
  }
  Canvas->Changed();
}

void TJvxButtonGlyph::DrawDropDownMark(TCanvas* Canvas, Integer X, Integer Y, TSpeedButtonDrawState State) {
  auto triangle = [&](Integer dx, TColor color) {
    const Integer x = X + dx, y = Y + dx;
    for (Integer i = 0; i <= 6; ++i) Canvas->SetPixels(x + i, y - 1, color);
    for (Integer i = 1; i <= 5; ++i) Canvas->SetPixels(x + i, y, color);
    for (Integer i = 2; i <= 4; ++i) Canvas->SetPixels(x + i, y + 1, color);
    Canvas->SetPixels(x + 3, y + 2, color);
  };
  if (State == sdsDisabled) {
    triangle(1, clBtnHighlight);
    triangle(0, clBtnShadow);
  } else {
    triangle(0, clBtnText);
  }
}

TRect TJvxButtonGlyph::DrawAll(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                               TButtonLayout Layout, Integer Margin, Integer Spacing, bool PopupMark,
                               TSpeedButtonDrawState State, Integer TextFlags) {
  return DrawAll(Canvas, Client, Offset, Caption, Layout, Margin, Spacing, PopupMark, nullptr, -1, State, TextFlags);
}

TRect TJvxButtonGlyph::DrawAll(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const std::string& Caption,
                               TButtonLayout Layout, Integer Margin, Integer Spacing, bool PopupMark,
                               TCustomImageList* Images, Integer ImageIndex, TSpeedButtonDrawState State,
                               Integer TextFlags) {
  std::string caption = Caption;
  TRect textBounds{0, 0, 0, 0};
  TPoint glyphPos{0, 0};
  ComputeLayout(Canvas, Client, Images, ImageIndex, TextFlags, PopupMark, Spacing, Margin, Layout, caption, Offset,
                textBounds, glyphPos);
  const bool listUsed = listUsable(Images, ImageIndex);
  const TPoint glyphSize = listUsed ? DrawListGlyph(Canvas, glyphPos.x, glyphPos.y, Images, ImageIndex, State)
                                    : DrawBitmapGlyph(Canvas, glyphPos.x, glyphPos.y, State);
  DrawCaption(Canvas, caption, textBounds, State, TextFlags);
  if (PopupMark) {
    if (Layout != blGlyphLeft && (sourceBitmap_->Width() > 0 || listUsed)) {
      DrawDropDownMark(Canvas, glyphPos.x + glyphSize.x + 1, glyphPos.y + glyphSize.y / 2, State);
    } else {
      const Integer x = !caption.empty() ? textBounds.right + 3 : (Client.left + Client.right - 7) / 2;
      DrawDropDownMark(Canvas, x, textBounds.top + JvRectHeight(textBounds) / 2, State);
    }
  }
  return textBounds;
}

RTL_IMPLEMENT_CLASS(TJvGlyphList)
RTL_IMPLEMENT_CLASS(TJvGlyphCache)
RTL_IMPLEMENT_CLASS(TJvxButtonGlyph)
