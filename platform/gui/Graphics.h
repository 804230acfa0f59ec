#pragma once
// Graphics: colours, fonts, pens and brushes, the canvas that draws with them on a device
// context, and the graphic classes (bitmap, icon, metafile) with the picture that holds
// any of them and picks the class by file extension.
//
// Sections, in order:
//   colours              TColor and its constants, ColorToRGB, colour and charset names
//   graphics objects     TGraphicsObject, TFont, TPen, TBrush
//   canvas               TCanvas
//   graphics             TGraphic, TBitmap, TIcon, TMetafile, TMetafileCanvas
//   picture              TPicture, file formats, GraphicFilter / GraphicExtension
//   helpers              AllocPatternBitmap, CopyPalette
//
// Fonts, pens and brushes with equal attributes share one GDI object: the handle is made
// the first time Handle() is read and deleted when the last object using it changes or is
// freed. A caller must not delete a handle it got from Handle().

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <span>
#include <string>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

class TCanvas;
class TBitmap;
class TGraphic;
class TPicture;

// =======================================================================================
// Colours
// =======================================================================================

// A colour: 0x00BBGGRR for an RGB value; 0x80000000 | COLOR_x for a system colour
// (resolved by ColorToRGB when used); clNone and clDefault are markers, not colours.
// 0x02000000 marks a palette-relative RGB (as PALETTERGB), which ColorToRGB keeps.
constexpr int32_t systemColorValue(int index) { return static_cast<int32_t>(0x80000000u | unsigned(index)); }

enum TColor : int32_t {
  clSystemColor = static_cast<int32_t>(0xFF000000u),

  clScrollBar = systemColorValue(COLOR_SCROLLBAR),
  clBackground = systemColorValue(COLOR_BACKGROUND),
  clActiveCaption = systemColorValue(COLOR_ACTIVECAPTION),
  clInactiveCaption = systemColorValue(COLOR_INACTIVECAPTION),
  clMenu = systemColorValue(COLOR_MENU),
  clWindow = systemColorValue(COLOR_WINDOW),
  clWindowFrame = systemColorValue(COLOR_WINDOWFRAME),
  clMenuText = systemColorValue(COLOR_MENUTEXT),
  clWindowText = systemColorValue(COLOR_WINDOWTEXT),
  clCaptionText = systemColorValue(COLOR_CAPTIONTEXT),
  clActiveBorder = systemColorValue(COLOR_ACTIVEBORDER),
  clInactiveBorder = systemColorValue(COLOR_INACTIVEBORDER),
  clAppWorkSpace = systemColorValue(COLOR_APPWORKSPACE),
  clHighlight = systemColorValue(COLOR_HIGHLIGHT),
  clHighlightText = systemColorValue(COLOR_HIGHLIGHTTEXT),
  clBtnFace = systemColorValue(COLOR_BTNFACE),
  clBtnShadow = systemColorValue(COLOR_BTNSHADOW),
  clGrayText = systemColorValue(COLOR_GRAYTEXT),
  clBtnText = systemColorValue(COLOR_BTNTEXT),
  clInactiveCaptionText = systemColorValue(COLOR_INACTIVECAPTIONTEXT),
  clBtnHighlight = systemColorValue(COLOR_BTNHIGHLIGHT),
  cl3DDkShadow = systemColorValue(COLOR_3DDKSHADOW),
  cl3DLight = systemColorValue(COLOR_3DLIGHT),
  clInfoText = systemColorValue(COLOR_INFOTEXT),
  clInfoBk = systemColorValue(COLOR_INFOBK),
  clHotLight = systemColorValue(COLOR_HOTLIGHT),
  clGradientActiveCaption = systemColorValue(COLOR_GRADIENTACTIVECAPTION),
  clGradientInactiveCaption = systemColorValue(COLOR_GRADIENTINACTIVECAPTION),
  clMenuHighlight = systemColorValue(COLOR_MENUHILIGHT),
  clMenuBar = systemColorValue(COLOR_MENUBAR),

  clBlack = 0x000000,
  clMaroon = 0x000080,
  clGreen = 0x008000,
  clOlive = 0x008080,
  clNavy = 0x800000,
  clPurple = 0x800080,
  clTeal = 0x808000,
  clGray = 0x808080,
  clSilver = 0xC0C0C0,
  clRed = 0x0000FF,
  clLime = 0x00FF00,
  clYellow = 0x00FFFF,
  clBlue = 0xFF0000,
  clFuchsia = 0xFF00FF,
  clAqua = 0xFFFF00,
  clLtGray = 0xC0C0C0,
  clDkGray = 0x808080,
  clWhite = 0xFFFFFF,
  clMoneyGreen = 0xC0DCC0,
  clSkyBlue = 0xF0CAA6,
  clCream = 0xF0FBFF,
  clMedGray = 0xA4A0A0,

  clNone = 0x1FFFFFFF,
  clDefault = 0x20000000,
};

// TColor is its own type to the type information ("TColor", an integer kind), so stored
// form descriptions can write colours by name.
PTypeInfo TypeInfoOf(TColor*);

// The RGB value of a colour: system colours through GetSysColor, every other value as it
// is (clNone, clDefault and palette-relative values included).
Integer ColorToRGB(TColor Color);

// Colour names: the identifier of a named colour ("clBtnFace"), else "$" and eight hex
// digits. StringToColor accepts either, and decimal; EConvertError otherwise.
std::string ColorToString(TColor Color);
TColor StringToColor(const std::string& S);
// The name map alone: false when the value (or name, without regard to case) is not in it.
bool ColorToIdent(Integer Color, std::string& Ident);
bool IdentToColor(const std::string& Ident, Integer& Color);
// Calls Proc with every colour name of the map, in the map's order.
void GetColorValues(const std::function<void(const std::string&)>& Proc);

// =======================================================================================
// Fonts, pens and brushes
// =======================================================================================

RTL_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = Set<TFontStyle>;
RTL_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
using TFontName = std::string;

// A font's character set (the Win32 *_CHARSET values, 0..255), its own type to the type
// information so forms can store it by name ("DEFAULT_CHARSET").
enum TFontCharset : uint8_t {};
PTypeInfo TypeInfoOf(TFontCharset*);
bool CharsetToIdent(Integer Charset, std::string& Ident);
bool IdentToCharset(const std::string& Ident, Integer& Charset);
void GetCharsetValues(const std::function<void(const std::string&)>& Proc);

RTL_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
// Raster operations of the pen (SetROP2), in R2_ order of meaning: pmCopy is R2_COPYPEN.
RTL_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
         pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
RTL_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross)

namespace graphics_detail {
struct SharedResource;  // a GDI object shared by equal fonts, pens or brushes
class ResourceCache;
}  // namespace graphics_detail

// The base of fonts, pens and brushes: change notification (OnChanging before a change,
// OnChange after it), a lock for use from several threads, and the shared GDI object of
// the current attributes.
class TGraphicsObject : public TPersistent {
  RTL_DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
  TGraphicsObject();
  ~TGraphicsObject() override;
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TNotifyEvent& Value) { onChanging_ = Value; }

  void Lock();
  void Unlock();
  // Whether the GDI object has been made (Handle() read since the last change).
  bool HandleAllocated() const;

protected:
  virtual void Changed();
  virtual void Changing();
  // Takes the shared entry of the first attributes (from the constructor).
  template <class D> void bindResource(graphics_detail::ResourceCache& cache, const D& data);
  // Moves to the shared entry of new attributes, between Changing and Changed; nothing when
  // they are the current ones.
  template <class D> void setResource(const D& data);

  graphics_detail::SharedResource* resource_ = nullptr;
  graphics_detail::ResourceCache* cache_ = nullptr;

private:
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
  CRITICAL_SECTION lock_;
};

class TFont : public TGraphicsObject {
  RTL_DECLARE_CLASS(TFont, TGraphicsObject)
public:
  // "MS Sans Serif", 8 points, clWindowText, DEFAULT_CHARSET, no style.
  TFont();

  // From another TFont: every attribute and the colour. When the two fonts have different
  // PixelsPerInch the point size is kept, else the pixel height.
  void Assign(TPersistent* Source) override;
  // The GDI font (CreateFontIndirectA, made on first use and shared by equal fonts).
  HFONT Handle();
  // Adopts Value: its attributes are read back (GetObject) and the font now owns it.
  void SetHandle(HFONT Value);

  // Resolution Size converts with (the screen's LOGPIXELSY, 96 here).
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer Value) { pixelsPerInch_ = Value; }

  TFontCharset Charset() const;
  void SetCharset(TFontCharset Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  // Negative: character height in pixels; positive: cell height (as LOGFONT's lfHeight).
  Integer Height() const;
  void SetHeight(Integer Value);
  TFontName Name() const;
  void SetName(const TFontName& Value);
  TFontPitch Pitch() const;
  void SetPitch(TFontPitch Value);
  // Point size: -Height * 72 / PixelsPerInch, rounded.
  Integer Size() const;
  void SetSize(Integer Value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles Value);
  // Angle of the baseline in tenths of a degree.
  Integer Orientation() const;
  void SetOrientation(Integer Value);

private:
  struct Data;
  template <class V> void setField(V Data::*field, const V& value);
  const Data& data() const;

  TColor color_ = clWindowText;
  Integer pixelsPerInch_;
};

class TPen : public TGraphicsObject {
  RTL_DECLARE_CLASS(TPen, TGraphicsObject)
public:
  // Black, solid, one pixel wide, pmCopy.
  TPen();

  void Assign(TPersistent* Source) override;

  HPEN Handle();
  // Adopts Value (its LOGPEN is read back; the pen now owns it).
  void SetHandle(HPEN Value);

  TColor Color() const;
  void SetColor(TColor Value);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value);
  TPenStyle Style() const;
  void SetStyle(TPenStyle Value);
  Integer Width() const;
  void SetWidth(Integer Value);

private:
  struct Data;
  template <class V> void setField(V Data::*field, const V& value);
  const Data& data() const;

  TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
  RTL_DECLARE_CLASS(TBrush, TGraphicsObject)
public:
  // White, solid.
  TBrush();

  void Assign(TPersistent* Source) override;

  HBRUSH Handle();
  // Adopts Value (its LOGBRUSH is read back; the brush now owns it).
  void SetHandle(HBRUSH Value);

  // A pattern: while set, the brush paints with the bitmap (CreatePatternBrush) and Style
  // is not used. The brush does not own the bitmap; the caller keeps it alive.
  TBitmap* Bitmap() const;
  void SetBitmap(TBitmap* Value);
  // Setting a colour while the style is bsClear makes the brush solid.
  TColor Color() const;
  void SetColor(TColor Value);
  TBrushStyle Style() const;
  void SetStyle(TBrushStyle Value);

private:
  struct Data;
  template <class V> void setField(V Data::*field, const V& value);
  const Data& data() const;
};

// =======================================================================================
// Canvas
// =======================================================================================

RTL_ENUM(TFillStyle, fsSurface, fsBorder)
RTL_ENUM(TFillMode, fmAlternate, fmWinding)
RTL_ENUM(TCanvasState, csHandleValid, csFontValid, csPenValid, csBrushValid)
using TCanvasStates = Set<TCanvasState>;
RTL_ENUM(TCanvasOrientation, coLeftToRight, coRightToLeft)

// Raster operations for CopyRect and bitmap drawing (BitBlt's dwRop).
using TCopyMode = Integer;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// Drawing on a device context with a font, a pen and a brush.
//
// The canvas selects its font, pen and brush into the DC only when an operation needs them
// (RequiredState), and selects the stock objects back before the DC is detached or one of
// them changes, so the DC never holds a GDI object that is about to be deleted. Handle()
// on a canvas without a DC calls CreateHandle, which subclasses override to make one (a
// bitmap's memory DC, a control's window DC); the base raises EInvalidOperation "Canvas
// does not allow drawing".
//
// Every drawing operation fires OnChanging before and OnChange after it.
class TCanvas : public TPersistent {
  RTL_DECLARE_CLASS(TCanvas, TPersistent)
public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // --- Shapes. Coordinates as the Win32 functions of the same names take them.
  void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Ellipse(const TRect& Rect);
  void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Rectangle(const TRect& Rect);
  void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
  void Polygon(std::span<const TPoint> Points);
  void Polygon(std::initializer_list<TPoint> Points) { Polygon(std::span<const TPoint>(Points.begin(), Points.size())); }
  void Polyline(std::span<const TPoint> Points);
  void Polyline(std::initializer_list<TPoint> Points) { Polyline(std::span<const TPoint>(Points.begin(), Points.size())); }
  void PolyBezier(std::span<const TPoint> Points);
  void PolyBezier(std::initializer_list<TPoint> Points) {
    PolyBezier(std::span<const TPoint>(Points.begin(), Points.size()));
  }
  void PolyBezierTo(std::span<const TPoint> Points);
  // Counts[i] points of Points form the i-th line.
  void PolyPolyline(std::span<const TPoint> Points, std::span<const DWORD> Counts);

  // --- Lines and pixels.
  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  TPoint PenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.x, Value.y); }
  TColor Pixels(Integer X, Integer Y);
  void SetPixels(Integer X, Integer Y, TColor Value);

  // --- Areas.
  void FillRect(const TRect& Rect);   // with the brush, no outline
  void FrameRect(const TRect& Rect);  // one-pixel border with the brush
  void DrawFocusRect(const TRect& Rect);
  // Fills from (X, Y) with the brush: fsSurface fills the area of colour Color, fsBorder
  // fills up to a border of colour Color.
  void FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle);

  // --- Text. The brush paints the text's background unless its style is bsClear.
  // TextOut leaves the pen position after the text.
  void TextOut(Integer X, Integer Y, const std::string& Text);
  // Text at (X, Y) clipped to Rect (which is filled with the brush unless bsClear).
  void TextRect(const TRect& Rect, Integer X, Integer Y, const std::string& Text);
  TSize TextExtent(const std::string& Text);
  Integer TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
  // ExtTextOut options added to every TextOut / TextRect (ETO_RTLREADING ...).
  Integer TextFlags() const { return textFlags_; }
  void SetTextFlags(Integer Value) { textFlags_ = Value; }
  TCanvasOrientation CanvasOrientation();

  // --- Graphics and copies.
  // Draws Graphic at its own size with its top-left corner at (X, Y); nothing when
  // Graphic is null or empty.
  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  // Draws Graphic stretched to Rect.
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  // Copies Source of Canvas onto Dest of this canvas (stretched) with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Copies Source of Bitmap onto Dest, painting the brush where the bitmap has Color.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

  // --- State.
  HDC Handle();
  // Attaches a DC (or detaches with null); the canvas does not own it. The old DC gets its
  // stock objects back and keeps nothing of the canvas.
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Deselects font, pen and brush (they are selected again when next needed).
  void Refresh();
  // The clip box of the DC.
  TRect ClipRect();

  TFont* Font() const { return font_; }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  TPen* Pen() const { return pen_; }
  void SetPen(TPen* Value) { pen_->Assign(Value); }
  TBrush* Brush() const { return brush_; }
  void SetBrush(TBrush* Value) { brush_->Assign(Value); }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode Value) { copyMode_ = Value; }

  // Serializes drawing from several threads; LockCount counts the nesting.
  void Lock();
  void Unlock();
  bool TryLock();
  Integer LockCount() const { return lockCount_; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TNotifyEvent& Value) { onChanging_ = Value; }

  // Makes sure the DC exists and the named objects are selected into it. Raises
  // EInvalidOperation when csHandleValid is asked and no DC can be made.
  void RequiredState(TCanvasStates ReqState);
  TCanvasStates State() const { return state_; }

  virtual void Changed();
  virtual void Changing();

protected:
  // Makes a DC and attaches it with SetHandle; nothing here.
  virtual void CreateHandle() {}
  // Detaches (and, in subclasses that made it, releases) the DC.
  virtual void FreeHandle() { SetHandle(nullptr); }

private:
  void deselectHandles();
  void selectFont();
  void selectPen();
  void selectBrush();
  void fontChanging(TObject* Sender);
  void penChanging(TObject* Sender);
  void brushChanging(TObject* Sender);

  HDC handle_ = nullptr;
  TCanvasStates state_;
  TFont* font_;
  TPen* pen_;
  TBrush* brush_;
  TPoint penPos_{0, 0};
  TCopyMode copyMode_ = cmSrcCopy;
  Integer textFlags_ = 0;
  Integer lockCount_ = 0;
  CRITICAL_SECTION lock_;
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
};

// =======================================================================================
// Graphics
// =======================================================================================

RTL_ENUM(TProgressStage, psStarting, psRunning, psEnding)
using TProgressEvent = TEvent<void(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                                   const TRect& R, const std::string& Msg)>;

// A class reference to a TGraphic descendant (TBitmap::StaticClass() ...).
using TGraphicClass = TClass;

// The abstract image: something with a size that can draw itself on a canvas and be read
// from and written to a stream in its file format.
class TGraphic : public TPersistent {
  RTL_DECLARE_CLASS(TGraphic, TPersistent)
public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual void SetWidth(Integer Value) = 0;
  virtual Integer Height() const = 0;
  virtual void SetHeight(Integer Value) = 0;
  // Whether Draw leaves the canvas showing through some of the image.
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);
  // Set by every change; cleared by the owner when it has saved the graphic.
  bool Modified() const { return modified_; }
  void SetModified(bool Value);
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  bool PaletteModified() const { return paletteModified_; }
  void SetPaletteModified(bool Value) { paletteModified_ = Value; }

  // The file format of the class. LoadFromStream reads from the stream's position and
  // leaves it after the image; a stream that does not hold a valid image raises
  // EInvalidGraphic.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  // Clipboard exchange (the clipboard unit calls these): AData is the clipboard handle of
  // AFormat. Formats a class does not support raise EInvalidGraphic.
  virtual void LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette);
  virtual void SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette);

  // Same class and the same saved bytes.
  virtual bool Equals(TGraphic* Graphic);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TProgressEvent& OnProgress() const { return onProgress_; }
  void SetOnProgress(const TProgressEvent& Value) { onProgress_ = Value; }

  // The graphic's data as a picture stores it in a form description ("Data"): the
  // stream format, with the size first for the classes that need it.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);

  // Sets Modified and fires OnChange. Public so that a canvas or a picture can be wired
  // to it as an event.
  virtual void Changed(TObject* Sender);

protected:
  // Draws the graphic into Rect of ACanvas (TCanvas::Draw and StretchDraw call it).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  // Stores the image in form descriptions as the binary property "Data" (WriteData),
  // when there is an image (or it differs from the ancestor's).
  void DefineProperties(TFiler* Filer) override;
  virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg);

  friend class TCanvas;

private:
  bool transparent_ = false;
  bool modified_ = false;
  bool paletteModified_ = false;
  TNotifyEvent onChange_;
  TProgressEvent onProgress_;
};

RTL_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)
RTL_ENUM(TBitmapHandleType, bmDIB, bmDDB)
RTL_ENUM(TTransparentMode, tmAuto, tmFixed)

// A raster image held by a GDI bitmap: a device-dependent bitmap (pfDevice, bmDDB, also
// the monochrome kind) or a DIB section of a fixed pixel format (bmDIB). New and enlarged
// areas are white. The stream format is a BMP file.
class TBitmap : public TGraphic {
  RTL_DECLARE_CLASS(TBitmap, TGraphic)
public:
  TBitmap();
  ~TBitmap() override;

  // From a TBitmap: a copy of the image, pixel format, palette and transparency. From any
  // other graphic: a bitmap of its size, white, with the graphic drawn on it. Null empties.
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return width_ == 0 || height_ == 0; }
  Integer Width() const override { return width_; }
  void SetWidth(Integer Value) override { SetSize(Value, height_); }
  Integer Height() const override { return height_; }
  void SetHeight(Integer Value) override { SetSize(width_, Value); }
  // Resizes keeping the top-left part of the image.
  void SetSize(Integer AWidth, Integer AHeight);

  // A canvas drawing on the bitmap (owned by it); drawing fires the bitmap's OnChange.
  TCanvas* Canvas();

  // The GDI bitmap, made if needed. Reading it detaches the bitmap from its canvas's DC
  // (the caller may select it elsewhere); the bitmap still owns it.
  HBITMAP Handle();
  // Adopts Value (null empties the bitmap); size and format are read from it.
  void SetHandle(HBITMAP Value);
  // Hands the GDI bitmap to the caller, who then owns it; the bitmap keeps its size and
  // makes a new white image when next used.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  TBitmapHandleType HandleType() const;
  void SetHandleType(TBitmapHandleType Value);
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const;
  void SetMonochrome(bool Value);

  // A monochrome mask of the image: white where the pixel is the transparent colour.
  HBITMAP MaskHandle();
  void SetMaskHandle(HBITMAP Value);
  HBITMAP ReleaseMaskHandle();
  // Turns the image itself into a monochrome mask of TransparentColor (white there,
  // black elsewhere).
  void Mask(TColor TransparentColor);

  HPALETTE Palette() override { return palette_; }
  void SetPalette(HPALETTE Value) override;
  HPALETTE ReleasePalette();

  // The colour Draw leaves out when Transparent. With tmAuto: the bottom-left pixel (white
  // for a monochrome bitmap); with tmFixed: the colour set. Both carry the palette-relative
  // bit 0x02000000. Setting clDefault returns to tmAuto, any other colour sets tmFixed.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode Value);

  // The pixels of row Row (0 = top) of the DIB section, in the pixel format's layout
  // (pf24bit: B, G, R per pixel). A device bitmap is converted to a DIB first. Rows are
  // stored bottom-up, so ScanLine(1) is below ScanLine(0) in memory by one negative
  // stride. EInvalidGraphicOperation "Scan line index out of range" outside the image.
  void* ScanLine(Integer Row);

  // Keeps the image in memory and frees the GDI bitmap (made again when needed).
  void Dormant();
  // Drops the memory copy that Dormant or a load may keep beside the GDI bitmap.
  void FreeImage();

  // BMP files, with the BITMAPFILEHEADER. A stream that does not hold a valid bitmap raises
  // EInvalidGraphic "Bitmap image is not valid"; an empty stream gives an empty bitmap, and
  // an empty bitmap writes nothing.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A bitmap resource (RT_BITMAP) of Instance. EResNotFound when there is none.
  void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
  void LoadFromResourceID(HINSTANCE Instance, Integer ResID);
  // CF_BITMAP (a DDB handle, with APalette) and CF_DIB (a global block holding a DIB).
  void LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) override;
  // Gives CF_BITMAP: a copy of the bitmap the clipboard may own.
  void SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) override;

  void ReadData(TStream* Stream) override;   // a 32-bit size, then the BMP
  void WriteData(TStream* Stream) override;

  void Changed(TObject* Sender) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  friend class TBitmapCanvas;
  friend class TCanvas;
  friend class TIcon;
  void handleNeeded();
  void paletteNeeded();
  void freeContext();
  void freeMask();
  void replaceHandle(HBITMAP newHandle);
  void adoptHandle(HBITMAP value);
  void loadPackedDib(const uint8_t* dib, size_t size);
  void convertTo(TPixelFormat format, bool monochrome);
  HBITMAP buildMask(TColor color);
  void canvasChanging(TObject* Sender);

  HBITMAP handle_ = nullptr;
  TPixelFormat format_ = pfDevice;  // pfDevice: a DDB
  bool monochrome_ = false;         // a monochrome DDB
  Integer width_ = 0;
  Integer height_ = 0;
  std::vector<uint8_t> dormant_;    // the image as a packed DIB while it has no handle
  HPALETTE palette_ = nullptr;
  HBITMAP mask_ = nullptr;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
  TCanvas* canvas_ = nullptr;
};

// An icon (HICON). The stream format is an .ico file; a loaded file is written back as it
// was read. Icons always draw transparent; their size cannot be changed.
class TIcon : public TGraphic {
  RTL_DECLARE_CLASS(TIcon, TGraphic)
public:
  TIcon();
  ~TIcon() override;

  // From a TIcon: a copy. From any other graphic: an icon of its image, with the
  // graphic's transparent colour (when it has one) left out through the mask.
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return handle_ == nullptr && data_.empty(); }
  Integer Width() const override { return width_; }
  Integer Height() const override { return height_; }
  // EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  bool Transparent() const override { return true; }

  HICON Handle();
  // Adopts Value (null empties the icon).
  void SetHandle(HICON Value);
  HICON ReleaseHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  // An .ico file; the image nearest the system icon size (the largest colour depth among
  // equals) becomes the handle. EInvalidGraphic "Icon image is not valid" otherwise.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Icons do not go through the clipboard: EInvalidGraphic.
  void LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  void clear();

  HICON handle_ = nullptr;
  std::vector<uint8_t> data_;  // the .ico bytes as loaded
  Integer width_ = 0;
  Integer height_ = 0;
};

// A vector image: an enhanced metafile (HENHMETAFILE) that can also be read and written as
// a placeable Windows metafile. Enhanced decides the format SaveToStream writes.
// Sizes: MMWidth/MMHeight in 0.01 mm; Width/Height in screen pixels.
class TMetafile : public TGraphic {
  RTL_DECLARE_CLASS(TMetafile, TGraphic)
public:
  TMetafile();
  ~TMetafile() override;

  // From a TMetafile: a copy. From any other graphic: a recording of it drawn at its size.
  void Assign(TPersistent* Source) override;
  void Clear();

  bool Empty() const override { return handle_ == nullptr; }
  Integer Width() const override;
  void SetWidth(Integer Value) override;
  Integer Height() const override;
  void SetHeight(Integer Value) override;
  bool Transparent() const override { return true; }
  Integer MMWidth() const { return mmWidth_; }
  void SetMMWidth(Integer Value);
  Integer MMHeight() const { return mmHeight_; }
  void SetMMHeight(Integer Value);
  // Units per inch of a placeable metafile (0 when the metafile came from elsewhere).
  Word Inch() const { return inch_; }
  void SetInch(Word Value);
  bool Enhanced() const { return enhanced_; }
  void SetEnhanced(bool Value);
  // The description strings of an enhanced metafile.
  std::string CreatedBy() const;
  std::string Description() const;

  HENHMETAFILE Handle() const { return handle_; }
  // Adopts Value; the frame of its header gives MMWidth/MMHeight.
  void SetHandle(HENHMETAFILE Value);
  HENHMETAFILE ReleaseHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Reads an enhanced metafile, a placeable metafile or a plain Windows metafile;
  // EInvalidGraphic "Metafile is not valid" otherwise.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // CF_ENHMETAFILE and CF_METAFILEPICT; saves CF_ENHMETAFILE.
  void LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) override;

protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  friend class TMetafileCanvas;
  void adopt(HENHMETAFILE value, bool readSize);

  HENHMETAFILE handle_ = nullptr;
  Integer mmWidth_ = 0;
  Integer mmHeight_ = 0;
  Word inch_ = 0;
  bool enhanced_ = true;
};

// A canvas that records into a metafile: drawing goes to an enhanced-metafile DC made on
// ReferenceDevice (the screen when null); freeing the canvas closes the recording and hands
// it to the metafile. The frame is the metafile's MMWidth/MMHeight (or Width/Height), the
// whole reference device when neither is set.
class TMetafileCanvas : public TCanvas {
  RTL_DECLARE_CLASS(TMetafileCanvas, TCanvas)
public:
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const std::string& CreatedBy,
                  const std::string& Description);
  ~TMetafileCanvas() override;

private:
  void start(HDC referenceDevice, const std::string& createdBy, const std::string& description);
  TMetafile* metafile_;
};

// =======================================================================================
// Picture
// =======================================================================================

// Holds one graphic of any registered class (owning it) and loads files by extension.
class TPicture : public TPersistent {
  RTL_DECLARE_CLASS(TPicture, TPersistent)
public:
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // From a TPicture or a TGraphic: a copy of the graphic; null clears.
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return graphic_; }
  // Holds a copy of Value (a new object of the same class, assigned); null clears.
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap, icon or metafile: when it is of another class it is replaced
  // by one of the asked class converted from it (an empty one when there was none).
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  TMetafile* Metafile();
  void SetMetafile(TMetafile* Value) { SetGraphic(Value); }

  Integer Width() const;
  Integer Height() const;

  // Loads with the class registered for the file's extension; EInvalidGraphic "Unknown
  // picture file extension (.ext)" when there is none. On failure the picture is unchanged.
  void LoadFromFile(const std::string& Filename);
  // Saves the graphic in its own format (nothing when there is none).
  void SaveToFile(const std::string& Filename);
  void LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette);
  void SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette);
  static bool SupportsClipboardFormat(Word AFormat);

  // The graphic classes by file extension (without the dot, any case) and by clipboard
  // format. A class registered later comes first in GraphicFilter.
  static void RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                 TGraphicClass AGraphicClass);
  static void RegisterClipboardFormat(Word AFormat, TGraphicClass AGraphicClass);
  static void UnregisterGraphicClass(TGraphicClass AClass);
  // The class registered for the extension (with or without the dot), null when none.
  static TGraphicClass FileFormatClass(const std::string& AExtension);

  // The picture as a form description stores it ("Data"): the class name as a short
  // string, then the graphic's data. An empty class name stands for no graphic.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }
  const TProgressEvent& OnProgress() const { return onProgress_; }
  void SetOnProgress(const TProgressEvent& Value) { onProgress_ = Value; }

  void Changed(TObject* Sender);

protected:
  void AssignTo(TPersistent* Dest) override;
  // Stores the picture as the binary property "Data" (WriteData) when it holds a graphic
  // (or differs from the ancestor's).
  void DefineProperties(TFiler* Filer) override;
  void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                const std::string& Msg);

private:
  template <class G> G* forceType();
  void setOwnedGraphic(TGraphic* Value);

  TGraphic* graphic_ = nullptr;
  TNotifyEvent onChange_;
  TProgressEvent onProgress_;
};

// The open-dialog filter of the registered formats of GraphicClass (TGraphic's class for
// all): "All (*.a;*.b)|*.a;*.b|Description (*.a)|*.a|...".
std::string GraphicFilter(TGraphicClass GraphicClass);
// The first registered extension of the class (without the dot), "" when none.
std::string GraphicExtension(TGraphicClass GraphicClass);
// "*.a;*.b" for the class's registered extensions.
std::string GraphicFileMask(TGraphicClass GraphicClass);

// =======================================================================================
// Helpers
// =======================================================================================

// An 8 x 8 checkerboard of the two colours, for dithered brushes. The bitmap is shared and
// owned by this unit (freed at its end); the caller must not free it.
TBitmap* AllocPatternBitmap(TColor BkColor, TColor FgColor);
// A new palette with the entries of Palette (null for null).
HPALETTE CopyPalette(HPALETTE Palette);

namespace GraphicsUnit {
void Initialize();
void Finalize();
}  // namespace GraphicsUnit
