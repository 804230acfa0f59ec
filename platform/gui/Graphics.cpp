#include "platform/gui/Graphics.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <unordered_map>
#include "platform/rtl/Scoped.h"

// =======================================================================================
// Small GDI helpers
// =======================================================================================

namespace {

// The screen's DC for the length of a scope.
struct ScreenDC {
  HDC dc;
  ScreenDC() : dc(GetDC(nullptr)) {}
  ~ScreenDC() { ReleaseDC(nullptr, dc); }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
};

// A memory DC with one bitmap selected for the length of a scope.
struct MemoryDC {
  HDC dc;
  HGDIOBJ old = nullptr;
  explicit MemoryDC(HBITMAP bitmap) : dc(CreateCompatibleDC(nullptr)) {
    if (bitmap) old = SelectObject(dc, bitmap);
  }
  ~MemoryDC() {
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
};

// The screen's logical resolution is the system's, fixed for the life of the process (the
// screen object reads it once at start-up too). Read once: every new font asks for it, and
// each reading takes a DC of the screen from the window server, which a long task that paints
// as it goes would pay hundreds of times.
int screenLogPixelsX() {
  static const int value = [] {
    ScreenDC s;
    return GetDeviceCaps(s.dc, LOGPIXELSX);
  }();
  return value;
}

int screenLogPixelsY() {
  static const int value = [] {
    ScreenDC s;
    return GetDeviceCaps(s.dc, LOGPIXELSY);
  }();
  return value;
}

int screenBitsPerPixel() {
  ScreenDC s;
  return GetDeviceCaps(s.dc, BITSPIXEL) * GetDeviceCaps(s.dc, PLANES);
}

[[noreturn]] void outOfResources() { throw EOutOfResources("Out of system resources"); }

[[noreturn]] void invalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

// COLORREF (0x00BBGGRR) to the 0x00RRGGBB layout of a 32-bit DIB pixel, and back.
uint32_t colorRefToPixel(uint32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

// =======================================================================================
// Colours
// =======================================================================================

namespace {

const TIdentMapEntry kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

const TIdentMapEntry kCharsetNames[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

TTypeInfo integerTypeInfo(const char* name, TOrdType ordType, Int64 minValue, Int64 maxValue) {
  TTypeInfo t;
  t.Kind = tkInteger;
  t.Name = name;
  t.OrdType = ordType;
  t.MinValue = minValue;
  t.MaxValue = maxValue;
  return t;
}

}  // namespace

PTypeInfo TypeInfoOf(TColor*) {
  static const TTypeInfo ti = integerTypeInfo("TColor", otSLong, INT32_MIN, INT32_MAX);
  return &ti;
}

PTypeInfo TypeInfoOf(TFontCharset*) {
  static const TTypeInfo ti = integerTypeInfo("TFontCharset", otUByte, 0, 255);
  return &ti;
}

Integer ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<Integer>(GetSysColor(Color & 0xFF));
  return Color;
}

bool ColorToIdent(Integer Color, std::string& Ident) { return IntToIdent(Color, Ident, kColorNames); }

bool IdentToColor(const std::string& Ident, Integer& Color) { return IdentToInt(Ident, Color, kColorNames); }

std::string ColorToString(TColor Color) {
  std::string ident;
  if (ColorToIdent(Color, ident)) return ident;
  return "$" + IntToHex(static_cast<Integer>(Color), 8);
}

TColor StringToColor(const std::string& S) {
  Integer value = 0;
  if (IdentToColor(S, value)) return TColor(value);
  return TColor(StrToInt(S));
}

void GetColorValues(const std::function<void(const std::string&)>& Proc) {
  for (const TIdentMapEntry& e : kColorNames) Proc(e.Name);
}

bool CharsetToIdent(Integer Charset, std::string& Ident) { return IntToIdent(Charset, Ident, kCharsetNames); }

bool IdentToCharset(const std::string& Ident, Integer& Charset) {
  return IdentToInt(Ident, Charset, kCharsetNames);
}

void GetCharsetValues(const std::function<void(const std::string&)>& Proc) {
  for (const TIdentMapEntry& e : kCharsetNames) Proc(e.Name);
}

// =======================================================================================
// Shared GDI objects of fonts, pens and brushes
// =======================================================================================
//
// Each kind keeps a cache from attribute bytes to one shared entry. An object holds a
// counted reference to the entry of its current attributes; the GDI object is made the
// first time a holder asks for the handle and is deleted with the entry when the last
// holder lets go. An adopted handle is part of the attributes, so it gets an entry of its
// own and is deleted the same way.

namespace graphics_detail {

struct SharedResource {
  std::string Key;
  HGDIOBJ Handle = nullptr;
  Integer Refs = 0;
  bool Stock = false;  // a stock object: never deleted
  virtual ~SharedResource() = default;
};

template <class D> struct ResourceOf : SharedResource {
  D Data;
};

class ResourceCache {
public:
  ResourceCache() { InitializeCriticalSection(&lock_); }
  ~ResourceCache() { DeleteCriticalSection(&lock_); }

  template <class D> SharedResource* Acquire(const D& data) {
    std::string key = data.Key();
    EnterCriticalSection(&lock_);
    auto it = entries_.find(key);
    SharedResource* r;
    if (it != entries_.end()) {
      r = it->second;
    } else {
      auto* fresh = new ResourceOf<D>();
      fresh->Key = key;
      fresh->Data = data;
      fresh->Handle = data.Adopted;
      r = fresh;
      entries_.emplace(key, r);
    }
    r->Refs++;
    LeaveCriticalSection(&lock_);
    return r;
  }

  void Release(SharedResource* r) {
    if (!r) return;
    EnterCriticalSection(&lock_);
    if (--r->Refs == 0) {
      entries_.erase(r->Key);
      if (r->Handle && !r->Stock) DeleteObject(r->Handle);
      delete r;
    }
    LeaveCriticalSection(&lock_);
  }

  // The entry's GDI object, made by create (returning the handle and whether it is stock)
  // on first use.
  template <class F> HGDIOBJ HandleOf(SharedResource* r, F create) {
    EnterCriticalSection(&lock_);
    if (!r->Handle) {
      bool stock = false;
      r->Handle = create(stock);
      r->Stock = stock;
    }
    HGDIOBJ h = r->Handle;
    LeaveCriticalSection(&lock_);
    if (!h) outOfResources();
    return h;
  }

private:
  CRITICAL_SECTION lock_;
  std::unordered_map<std::string, SharedResource*> entries_;
};

ResourceCache& fontCache() {
  static ResourceCache cache;
  return cache;
}
ResourceCache& penCache() {
  static ResourceCache cache;
  return cache;
}
ResourceCache& brushCache() {
  static ResourceCache cache;
  return cache;
}

// Points slot at the cache entry of value; false when it already holds that one.
template <class D> bool rebind(ResourceCache& cache, SharedResource*& slot, const D& value) {
  if (value.Key() == slot->Key) return false;
  SharedResource* old = slot;
  slot = cache.Acquire(value);
  cache.Release(old);
  return true;
}

// Appends the bytes of a field to a cache key.
template <class T> void appendKey(std::string& key, const T& field) {
  key.append(reinterpret_cast<const char*>(&field), sizeof field);
}

}  // namespace graphics_detail

using graphics_detail::appendKey;
using graphics_detail::ResourceOf;

// =======================================================================================
// TGraphicsObject
// =======================================================================================

RTL_IMPLEMENT_CLASS(TGraphicsObject)

TGraphicsObject::TGraphicsObject() { InitializeCriticalSection(&lock_); }

TGraphicsObject::~TGraphicsObject() {
  if (cache_) cache_->Release(resource_);
  DeleteCriticalSection(&lock_);
}

bool TGraphicsObject::HandleAllocated() const { return resource_ && resource_->Handle != nullptr; }

template <class D> void TGraphicsObject::bindResource(graphics_detail::ResourceCache& cache, const D& data) {
  cache_ = &cache;
  resource_ = cache.Acquire(data);
}

template <class D> void TGraphicsObject::setResource(const D& data) {
  if (data.Key() == resource_->Key) return;
  Changing();
  graphics_detail::rebind(*cache_, resource_, data);
  Changed();
}

void TGraphicsObject::Lock() { EnterCriticalSection(&lock_); }

void TGraphicsObject::Unlock() { LeaveCriticalSection(&lock_); }

void TGraphicsObject::Changed() {
  if (onChange_) onChange_(this);
}

void TGraphicsObject::Changing() {
  if (onChanging_) onChanging_(this);
}

// =======================================================================================
// TFont
// =======================================================================================

struct TFont::Data {
  HGDIOBJ Adopted = nullptr;
  Integer Height = 0;
  Integer Orientation = 0;
  TFontPitch Pitch = fpDefault;
  TFontCharset Charset = TFontCharset(DEFAULT_CHARSET);
  TFontStyles Style;
  std::string Name;

  std::string Key() const {
    std::string key;
    appendKey(key, Adopted);
    appendKey(key, Height);
    appendKey(key, Orientation);
    appendKey(key, Pitch);
    appendKey(key, Charset);
    uint64_t bits = Style.ToBits();
    appendKey(key, bits);
    key += Name;
    return key;
  }
};

RTL_BEGIN_CLASS(TFont)
b.Property("Charset", &TFont::Charset, &TFont::SetCharset);
b.Property("Color", &TFont::Color, &TFont::SetColor);
b.Property("Height", &TFont::Height, &TFont::SetHeight);
b.Property("Name", &TFont::Name, &TFont::SetName);
b.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
b.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
b.Property("Style", &TFont::Style, &TFont::SetStyle);
RTL_END_CLASS

TFont::TFont() : pixelsPerInch_(screenLogPixelsY()) {
  Data d;
  d.Name = "MS Sans Serif";
  d.Height = -MulDiv(8, pixelsPerInch_, 72);
  bindResource(graphics_detail::fontCache(), d);
}

const TFont::Data& TFont::data() const { return static_cast<ResourceOf<Data>*>(resource_)->Data; }

// Changes one attribute; an adopted handle no longer matches and is let go.
template <class V> void TFont::setField(V Data::*field, const V& value) {
  Data d = data();
  d.Adopted = nullptr;
  d.*field = value;
  setResource(d);
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    if (f == this) return;
    Lock();
    {
      ScopeExit atEnd([&] { Unlock(); });
      Data d = f->data();
      bool sameResolution = f->pixelsPerInch_ == pixelsPerInch_;
      if (!sameResolution) {
        d.Adopted = nullptr;
        d.Height = -MulDiv(f->Size(), pixelsPerInch_, 72);
      }
      if (d.Key() != resource_->Key || color_ != f->color_) {
        Changing();
        graphics_detail::rebind(graphics_detail::fontCache(), resource_, d);
        color_ = f->color_;
        Changed();
      }
    }
    return;
  }
  TGraphicsObject::Assign(Source);
}

HFONT TFont::Handle() {
  const Data& d = data();
  return static_cast<HFONT>(graphics_detail::fontCache().HandleOf(resource_, [&d](bool&) -> HGDIOBJ {
    LOGFONTA lf{};
    lf.lfHeight = d.Height;
    lf.lfEscapement = d.Orientation;
    lf.lfOrientation = d.Orientation;
    lf.lfWeight = d.Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = d.Style.Contains(fsItalic);
    lf.lfUnderline = d.Style.Contains(fsUnderline);
    lf.lfStrikeOut = d.Style.Contains(fsStrikeOut);
    lf.lfCharSet = static_cast<BYTE>(d.Charset);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = d.Pitch == fpVariable ? VARIABLE_PITCH : d.Pitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    // "Default" names the default user-interface face.
    std::string face = SameText(d.Name, "Default") ? std::string("MS Sans Serif") : d.Name;
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&lf);
  }));
}

void TFont::SetHandle(HFONT Value) {
  Data d = data();
  d.Adopted = Value;
  LOGFONTA lf{};
  if (Value && GetObjectA(Value, sizeof lf, &lf) == sizeof lf) {
    d.Height = lf.lfHeight;
    d.Orientation = lf.lfEscapement;
    d.Charset = TFontCharset(lf.lfCharSet);
    d.Name = lf.lfFaceName;
    int pitch = lf.lfPitchAndFamily & 0x0F;
    d.Pitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    TFontStyles style;
    if (lf.lfWeight >= FW_BOLD) style << fsBold;
    if (lf.lfItalic) style << fsItalic;
    if (lf.lfUnderline) style << fsUnderline;
    if (lf.lfStrikeOut) style << fsStrikeOut;
    d.Style = style;
  }
  setResource(d);
}

TFontCharset TFont::Charset() const { return data().Charset; }

void TFont::SetCharset(TFontCharset Value) {
  setField(&Data::Charset, Value);
}

void TFont::SetColor(TColor Value) {
  if (Value == color_) return;
  Changing();
  color_ = Value;
  Changed();
}

Integer TFont::Height() const { return data().Height; }

void TFont::SetHeight(Integer Value) {
  setField(&Data::Height, Value);
}

TFontName TFont::Name() const { return data().Name; }

void TFont::SetName(const TFontName& Value) {
  if (Value.empty()) return;
  setField(&Data::Name, TFontName(Value.substr(0, LF_FACESIZE - 1)));
}

TFontPitch TFont::Pitch() const { return data().Pitch; }

void TFont::SetPitch(TFontPitch Value) {
  setField(&Data::Pitch, Value);
}

Integer TFont::Size() const { return -MulDiv(data().Height, 72, pixelsPerInch_); }

void TFont::SetSize(Integer Value) { SetHeight(-MulDiv(Value, pixelsPerInch_, 72)); }

TFontStyles TFont::Style() const { return data().Style; }

void TFont::SetStyle(TFontStyles Value) {
  setField(&Data::Style, Value);
}

Integer TFont::Orientation() const { return data().Orientation; }

void TFont::SetOrientation(Integer Value) {
  setField(&Data::Orientation, Value);
}

// =======================================================================================
// TPen
// =======================================================================================

struct TPen::Data {
  HGDIOBJ Adopted = nullptr;
  TColor Color = clBlack;
  Integer Width = 1;
  TPenStyle Style = psSolid;

  std::string Key() const {
    std::string key;
    appendKey(key, Adopted);
    appendKey(key, Color);
    appendKey(key, Width);
    appendKey(key, Style);
    return key;
  }
};

RTL_BEGIN_CLASS(TPen)
b.Property("Color", &TPen::Color, &TPen::SetColor).Default(clBlack);
b.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
b.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
b.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
RTL_END_CLASS

TPen::TPen() { bindResource(graphics_detail::penCache(), Data()); }

const TPen::Data& TPen::data() const { return static_cast<ResourceOf<Data>*>(resource_)->Data; }

// Changes one attribute; an adopted handle no longer matches and is let go.
template <class V> void TPen::setField(V Data::*field, const V& value) {
  Data d = data();
  d.Adopted = nullptr;
  d.*field = value;
  setResource(d);
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    if (p == this) return;
    if (p->data().Key() == resource_->Key && p->mode_ == mode_) return;
    Changing();
    graphics_detail::rebind(graphics_detail::penCache(), resource_, p->data());
    mode_ = p->mode_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HPEN TPen::Handle() {
  const Data& d = data();
  return static_cast<HPEN>(graphics_detail::penCache().HandleOf(resource_, [&d](bool&) -> HGDIOBJ {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    return CreatePen(styles[d.Style], d.Width, static_cast<COLORREF>(ColorToRGB(d.Color)));
  }));
}

void TPen::SetHandle(HPEN Value) {
  Data d = data();
  d.Adopted = Value;
  LOGPEN lp{};
  if (Value && GetObjectA(Value, sizeof lp, &lp) == sizeof lp) {
    d.Color = TColor(lp.lopnColor);
    d.Width = lp.lopnWidth.x;
    switch (lp.lopnStyle) {
      case PS_DASH: d.Style = psDash; break;
      case PS_DOT: d.Style = psDot; break;
      case PS_DASHDOT: d.Style = psDashDot; break;
      case PS_DASHDOTDOT: d.Style = psDashDotDot; break;
      case PS_NULL: d.Style = psClear; break;
      case PS_INSIDEFRAME: d.Style = psInsideFrame; break;
      default: d.Style = psSolid; break;
    }
  }
  setResource(d);
}

TColor TPen::Color() const { return data().Color; }

void TPen::SetColor(TColor Value) {
  setField(&Data::Color, Value);
}

void TPen::SetMode(TPenMode Value) {
  if (Value == mode_) return;
  Changing();
  mode_ = Value;
  Changed();
}

TPenStyle TPen::Style() const { return data().Style; }

void TPen::SetStyle(TPenStyle Value) {
  setField(&Data::Style, Value);
}

Integer TPen::Width() const { return data().Width; }

void TPen::SetWidth(Integer Value) {
  if (Value < 0) return;
  setField(&Data::Width, Value);
}

// =======================================================================================
// TBrush
// =======================================================================================

struct TBrush::Data {
  HGDIOBJ Adopted = nullptr;
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  TBitmap* Bitmap = nullptr;

  std::string Key() const {
    std::string key;
    appendKey(key, Adopted);
    appendKey(key, Color);
    appendKey(key, Style);
    appendKey(key, Bitmap);
    return key;
  }
};

RTL_BEGIN_CLASS(TBrush)
b.Property("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite);
b.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
RTL_END_CLASS

TBrush::TBrush() { bindResource(graphics_detail::brushCache(), Data()); }

const TBrush::Data& TBrush::data() const { return static_cast<ResourceOf<Data>*>(resource_)->Data; }

// Changes one attribute; an adopted handle no longer matches and is let go.
template <class V> void TBrush::setField(V Data::*field, const V& value) {
  Data d = data();
  d.Adopted = nullptr;
  d.*field = value;
  setResource(d);
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    if (b != this) setResource(b->data());
    return;
  }
  TGraphicsObject::Assign(Source);
}

HBRUSH TBrush::Handle() {
  const Data& d = data();
  return static_cast<HBRUSH>(graphics_detail::brushCache().HandleOf(resource_, [&d](bool& stock) -> HGDIOBJ {
    COLORREF rgb = static_cast<COLORREF>(ColorToRGB(d.Color));
    if (d.Bitmap && !d.Bitmap->Empty()) return CreatePatternBrush(d.Bitmap->Handle());
    switch (d.Style) {
      case bsSolid: return CreateSolidBrush(rgb);
      case bsClear:
        stock = true;
        return GetStockObject(NULL_BRUSH);
      default: return CreateHatchBrush(static_cast<int>(d.Style) - static_cast<int>(bsHorizontal), rgb);
    }
  }));
}

void TBrush::SetHandle(HBRUSH Value) {
  Data d = data();
  d.Adopted = Value;
  d.Bitmap = nullptr;
  LOGBRUSH lb{};
  if (Value && GetObjectA(Value, sizeof lb, &lb) == sizeof lb) {
    d.Color = TColor(lb.lbColor);
    if (lb.lbStyle == BS_NULL)
      d.Style = bsClear;
    else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
      d.Style = TBrushStyle(bsHorizontal + static_cast<int>(lb.lbHatch));
    else
      d.Style = bsSolid;
  }
  setResource(d);
}

TBitmap* TBrush::Bitmap() const { return data().Bitmap; }

void TBrush::SetBitmap(TBitmap* Value) {
  setField(&Data::Bitmap, Value);
}

TColor TBrush::Color() const { return data().Color; }

void TBrush::SetColor(TColor Value) {
  Data d = data();
  d.Adopted = nullptr;
  d.Color = Value;
  if (d.Style == bsClear) d.Style = bsSolid;
  setResource(d);
}

TBrushStyle TBrush::Style() const { return data().Style; }

void TBrush::SetStyle(TBrushStyle Value) {
  setField(&Data::Style, Value);
}

// =======================================================================================
// TCanvas
// =======================================================================================

RTL_IMPLEMENT_CLASS(TCanvas)

namespace {
const int kPenModes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,       R2_NOT,         R2_COPYPEN,   R2_NOTCOPYPEN,
                         R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,  R2_NOTMERGEPEN,
                         R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,    R2_NOTXORPEN};

// Brackets a drawing operation with the canvas's OnChanging and OnChange.
struct ChangeScope {
  TCanvas* canvas;
  explicit ChangeScope(TCanvas* c) : canvas(c) { canvas->Changing(); }
  ~ChangeScope() noexcept(false) {
    if (std::uncaught_exceptions() == 0) canvas->Changed();
  }
};
}  // namespace

TCanvas::TCanvas() {
  InitializeCriticalSection(&lock_);
  font_ = new TFont();
  font_->SetOnChanging(TNotifyEvent(this, &TCanvas::fontChanging));
  pen_ = new TPen();
  pen_->SetOnChanging(TNotifyEvent(this, &TCanvas::penChanging));
  brush_ = new TBrush();
  brush_->SetOnChanging(TNotifyEvent(this, &TCanvas::brushChanging));
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  delete font_;
  delete pen_;
  delete brush_;
  DeleteCriticalSection(&lock_);
}

// --- State -------------------------------------------------------------------------------

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return handle_;
}

void TCanvas::SetHandle(HDC Value) {
  if (handle_ == Value) return;
  if (handle_) {
    deselectHandles();
    POINT p;
    if (GetCurrentPositionEx(handle_, &p)) penPos_ = p;
    handle_ = nullptr;
    state_.Exclude(csHandleValid);
  }
  if (Value) {
    handle_ = Value;
    state_.Include(csHandleValid);
    MoveToEx(handle_, penPos_.x, penPos_.y, nullptr);
  }
}

void TCanvas::RequiredState(TCanvasStates ReqState) {
  TCanvasStates needed = ReqState - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!handle_) throw EInvalidOperation("Canvas does not allow drawing");
  }
  if (!handle_) throw EInvalidOperation("Canvas does not allow drawing");
  if (needed.Contains(csFontValid)) selectFont();
  if (needed.Contains(csPenValid)) selectPen();
  if (needed.Contains(csBrushValid)) selectBrush();
  state_ += needed;
}

void TCanvas::selectFont() {
  SelectObject(handle_, font_->Handle());
  SetTextColor(handle_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
}

void TCanvas::selectPen() {
  SelectObject(handle_, pen_->Handle());
  SetROP2(handle_, kPenModes[pen_->Mode()]);
}

// A solid brush paints text and hatch backgrounds in its colour; any other style leaves
// them transparent.
void TCanvas::selectBrush() {
  HBRUSH b = brush_->Handle();
  UnrealizeObject(b);
  SelectObject(handle_, b);
  COLORREF rgb = static_cast<COLORREF>(ColorToRGB(brush_->Color()));
  if (brush_->Style() == bsSolid) {
    SetBkColor(handle_, rgb);
    SetBkMode(handle_, OPAQUE);
  } else {
    SetBkColor(handle_, ~rgb & 0xFFFFFF);
    SetBkMode(handle_, TRANSPARENT);
  }
}

void TCanvas::deselectHandles() {
  if (!handle_) return;
  TCanvasStates selected = state_ * TCanvasStates{csFontValid, csPenValid, csBrushValid};
  if (selected.Empty()) return;
  SelectObject(handle_, GetStockObject(BLACK_PEN));
  SelectObject(handle_, GetStockObject(HOLLOW_BRUSH));
  SelectObject(handle_, GetStockObject(SYSTEM_FONT));
  state_ -= selected;
}

// A font, pen or brush about to change lets go of its GDI object: the DC gets the stock
// object back first, and the new one is selected when next needed.
void TCanvas::fontChanging(TObject*) {
  if (state_.Contains(csFontValid)) {
    SelectObject(handle_, GetStockObject(SYSTEM_FONT));
    state_.Exclude(csFontValid);
  }
}

void TCanvas::penChanging(TObject*) {
  if (state_.Contains(csPenValid)) {
    SelectObject(handle_, GetStockObject(BLACK_PEN));
    state_.Exclude(csPenValid);
  }
}

void TCanvas::brushChanging(TObject*) {
  if (state_.Contains(csBrushValid)) {
    SelectObject(handle_, GetStockObject(HOLLOW_BRUSH));
    state_.Exclude(csBrushValid);
  }
}

void TCanvas::Refresh() { deselectHandles(); }

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect r{};
  GetClipBox(handle_, &r);
  return r;
}

TCanvasOrientation TCanvas::CanvasOrientation() {
  if (handle_ && (GetLayout(handle_) & LAYOUT_RTL)) return coRightToLeft;
  return coLeftToRight;
}

void TCanvas::Lock() {
  EnterCriticalSection(&lock_);
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  LeaveCriticalSection(&lock_);
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&lock_)) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Changed() {
  if (onChange_) onChange_(this);
}

void TCanvas::Changing() {
  if (onChanging_) onChanging_(this);
}

// --- Shapes ------------------------------------------------------------------------------

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(handle_, X1, Y1, X2, Y2);
}

void TCanvas::Ellipse(const TRect& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(handle_, X1, Y1, X2, Y2);
}

void TCanvas::Rectangle(const TRect& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(handle_, X1, Y1, X2, Y2, X3, Y3);
}

void TCanvas::Polygon(std::span<const TPoint> Points) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(handle_, Points.data(), static_cast<int>(Points.size()));
}

void TCanvas::Polyline(std::span<const TPoint> Points) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(handle_, Points.data(), static_cast<int>(Points.size()));
}

void TCanvas::PolyBezier(std::span<const TPoint> Points) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::PolyBezier(handle_, Points.data(), static_cast<DWORD>(Points.size()));
}

void TCanvas::PolyBezierTo(std::span<const TPoint> Points) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::PolyBezierTo(handle_, Points.data(), static_cast<DWORD>(Points.size()));
}

void TCanvas::PolyPolyline(std::span<const TPoint> Points, std::span<const DWORD> Counts) {
  DWORD total = 0;
  for (DWORD c : Counts) total += c;
  if (total > Points.size()) throw EInvalidOperation("PolyPolyline counts exceed the points given");
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::PolyPolyline(handle_, Points.data(), Counts.data(), static_cast<DWORD>(Counts.size()));
}

// --- Lines and pixels --------------------------------------------------------------------

void TCanvas::MoveTo(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  MoveToEx(handle_, X, Y, nullptr);
}

void TCanvas::LineTo(Integer X, Integer Y) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(handle_, X, Y);
}

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  GetCurrentPositionEx(handle_, &p);
  return p;
}

TColor TCanvas::Pixels(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  return TColor(static_cast<int32_t>(GetPixel(handle_, X, Y)));
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csPenValid});
  SetPixel(handle_, X, Y, static_cast<COLORREF>(ColorToRGB(Value)));
}

// --- Areas -------------------------------------------------------------------------------

void TCanvas::FillRect(const TRect& Rect) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(handle_, &Rect, brush_->Handle());
}

void TCanvas::FrameRect(const TRect& Rect) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(handle_, &Rect, brush_->Handle());
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(handle_, &Rect);
}

void TCanvas::FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csBrushValid});
  ExtFloodFill(handle_, X, Y, static_cast<COLORREF>(ColorToRGB(Color)),
               FillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
}

// --- Text --------------------------------------------------------------------------------

void TCanvas::TextOut(Integer X, Integer Y, const std::string& Text) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Integer width = TextWidth(Text);
  if (CanvasOrientation() == coRightToLeft) X += width + 1;
  ExtTextOutA(handle_, X, Y, static_cast<UINT>(textFlags_), nullptr, Text.data(), static_cast<UINT>(Text.size()),
              nullptr);
  MoveTo(X + width, Y);
}

void TCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const std::string& Text) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | static_cast<UINT>(textFlags_);
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  if (CanvasOrientation() == coRightToLeft) X += TextWidth(Text) + 1;
  ExtTextOutA(handle_, X, Y, options, &Rect, Text.data(), static_cast<UINT>(Text.size()), nullptr);
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE size{0, 0};
  GetTextExtentPoint32A(handle_, Text.data(), static_cast<int>(Text.size()), &size);
  return size;
}

// --- Graphics and copies -----------------------------------------------------------------

// A mono image drawn on colour paints its 0 bits in the font colour and its 1 bits in the
// brush colour; the DC's colours are put back afterwards, since the selected font and
// brush still count as valid.
void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Rect(X, Y, X + Graphic->Width(), Y + Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  ChangeScope scope(this);
  RequiredState({csHandleValid});
  COLORREF oldBk = SetBkColor(handle_, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
  COLORREF oldText = SetTextColor(handle_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  {
    ScopeExit atEnd([&] { SetBkColor(handle_, oldBk); SetTextColor(handle_, oldText); });
    Graphic->Draw(this, Rect);
  }
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  ChangeScope scope(this);
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(handle_, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top, Canvas->handle_,
             Source.left, Source.top, Source.right - Source.left, Source.bottom - Source.top,
             static_cast<DWORD>(copyMode_));
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty()) return;
  ChangeScope scope(this);
  RequiredState({csHandleValid, csBrushValid});
  Integer dw = Dest.right - Dest.left, dh = Dest.bottom - Dest.top;
  Integer sw = Source.right - Source.left, sh = Source.bottom - Source.top;
  // The image first, then the brush through a mask that is white where the image has
  // Color: raster operation DSPDxax keeps the destination where the mask is black and
  // takes the brush where it is white.
  HBITMAP mask = Bitmap->buildMask(Color);
  HDC src = Bitmap->Canvas()->Handle();
  StretchBlt(handle_, Dest.left, Dest.top, dw, dh, src, Source.left, Source.top, sw, sh, SRCCOPY);
  {
    MemoryDC maskDC(mask);
    COLORREF oldText = SetTextColor(handle_, 0x000000);
    COLORREF oldBk = SetBkColor(handle_, 0xFFFFFF);
    StretchBlt(handle_, Dest.left, Dest.top, dw, dh, maskDC.dc, Source.left, Source.top, sw, sh, 0x00E20746);
    SetTextColor(handle_, oldText);
    SetBkColor(handle_, oldBk);
  }
  DeleteObject(mask);
}

// =======================================================================================
// TGraphic
// =======================================================================================

RTL_IMPLEMENT_CLASS(TGraphic)

void TGraphic::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed(this);
  else
    modified_ = false;
}

void TGraphic::Changed(TObject*) {
  modified_ = true;
  if (onChange_) onChange_(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg) {
  if (onProgress_) onProgress_(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  SaveFileWhole(FileName, [this](TStream* stream) { SaveToStream(stream); });
}

void TGraphic::LoadFromClipboardFormat(Word, THandle, HPALETTE) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(Word&, THandle&, HPALETTE&) {
  throw EInvalidGraphic("Unsupported clipboard format");
}

bool TGraphic::Equals(TGraphic* Graphic) {
  if (!Graphic || Graphic->ClassType() != ClassType()) return false;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  TMemoryStream mine, theirs;
  SaveToStream(&mine);
  Graphic->SaveToStream(&theirs);
  return mine.Size() == theirs.Size() &&
         std::memcmp(mine.Memory(), theirs.Memory(), static_cast<size_t>(mine.Size())) == 0;
}

void TGraphic::DefineProperties(TFiler* Filer) {
  auto* ancestor = dynamic_cast<TGraphic*>(Filer->Ancestor());
  bool hasData = ancestor ? !Equals(ancestor) : !Empty();
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, hasData);
}

void TGraphic::ReadData(TStream* Stream) { LoadFromStream(Stream); }

void TGraphic::WriteData(TStream* Stream) { SaveToStream(Stream); }

// =======================================================================================
// Device-independent bitmaps
// =======================================================================================
//
// A "packed DIB" is what a BMP file holds after its file header, and what bitmap resources,
// CF_DIB and dormant bitmaps hold: a BITMAPINFOHEADER (or an older/longer header), the colour
// table or bit-field masks, then the pixel rows.

namespace {

static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER must be packed");

int bitsPerPixel(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

size_t rowStride(int width, int bpp) { return ((static_cast<size_t>(width) * bpp + 31) / 32) * 4; }

RGBQUAD rgbQuad(int r, int g, int b) {
  RGBQUAD q;
  q.rgbRed = static_cast<BYTE>(r);
  q.rgbGreen = static_cast<BYTE>(g);
  q.rgbBlue = static_cast<BYTE>(b);
  q.rgbReserved = 0;
  return q;
}

// The colour tables new palette bitmaps start with. Every one ends with white, so that
// WHITENESS (all bits set) paints white.
std::vector<RGBQUAD> defaultColorTable(int bpp) {
  static const int vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                 {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                 {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                 {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  std::vector<RGBQUAD> t;
  if (bpp == 1) {
    t = {rgbQuad(0, 0, 0), rgbQuad(255, 255, 255)};
  } else if (bpp == 4) {
    for (auto& c : vga) t.push_back(rgbQuad(c[0], c[1], c[2]));
  } else if (bpp == 8) {
    // The twenty static system colours at both ends, a 6x6x6 colour cube and a grey ramp.
    static const int first[10][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
                                     {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    static const int last[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                                    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (auto& c : first) t.push_back(rgbQuad(c[0], c[1], c[2]));
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) t.push_back(rgbQuad(r * 51, g * 51, b * 51));
    for (int i = 1; i <= 20; ++i) t.push_back(rgbQuad(i * 12, i * 12, i * 12));
    for (auto& c : last) t.push_back(rgbQuad(c[0], c[1], c[2]));
  }
  return t;
}

// BITMAPINFO with room for a full colour table or three masks.
struct DibInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];
};

void initDibInfo(DibInfo& info, int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& colors) {
  std::memset(&info, 0, sizeof info);
  int bpp = bitsPerPixel(format);
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(bpp);
  info.Header.biCompression = BI_RGB;
  info.Header.biSizeImage = static_cast<DWORD>(rowStride(width, bpp) * static_cast<size_t>(std::abs(height)));
  if (format == pf16bit) {
    info.Header.biCompression = BI_BITFIELDS;
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Colors, masks, sizeof masks);
  } else if (bpp <= 8) {
    std::vector<RGBQUAD> table = colors.empty() ? defaultColorTable(bpp) : colors;
    size_t n = std::min<size_t>(table.size(), size_t(1) << bpp);
    info.Header.biClrUsed = static_cast<DWORD>(n);
    std::memcpy(info.Colors, table.data(), n * sizeof(RGBQUAD));
  }
}

// A bottom-up DIB section of the format, its pixels zero.
HBITMAP createDibSection(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& colors) {
  DibInfo info;
  initDibInfo(info, width, height, format, colors);
  void* bits = nullptr;
  ScreenDC screen;
  HBITMAP h = CreateDIBSection(screen.dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h) outOfResources();
  return h;
}

// A white bitmap: a device bitmap (monochrome or of the screen's depth) for pfDevice, a DIB
// section otherwise.
HBITMAP createBlankBitmap(int width, int height, TPixelFormat format, bool monochrome,
                          const std::vector<RGBQUAD>& colors = {}) {
  HBITMAP h;
  if (format == pfDevice) {
    if (monochrome) {
      h = CreateBitmap(width, height, 1, 1, nullptr);
    } else {
      ScreenDC screen;
      h = CreateCompatibleBitmap(screen.dc, width, height);
    }
    if (!h) outOfResources();
  } else {
    h = createDibSection(width, height, format, colors);
  }
  MemoryDC dc(h);
  PatBlt(dc.dc, 0, 0, width, height, WHITENESS);
  return h;
}

std::vector<RGBQUAD> colorTableOf(HBITMAP h) {
  std::vector<RGBQUAD> table(256);
  MemoryDC dc(h);
  UINT n = GetDIBColorTable(dc.dc, 0, 256, table.data());
  table.resize(n);
  return table;
}

// What GetObject tells about a bitmap handle.
struct BitmapFacts {
  bool Dib = false;
  int Width = 0;
  int Height = 0;
  bool TopDown = false;
  TPixelFormat Format = pfDevice;
  bool Monochrome = false;  // a 1-bit device bitmap
};

BitmapFacts factsOf(HBITMAP h) {
  BitmapFacts f;
  DIBSECTION ds{};
  int n = GetObjectA(h, sizeof ds, &ds);
  if (n == sizeof(DIBSECTION)) {
    f.Dib = true;
    f.Width = ds.dsBm.bmWidth;
    f.Height = std::abs(ds.dsBmih.biHeight);
    f.TopDown = ds.dsBmih.biHeight < 0;
    switch (ds.dsBmih.biBitCount) {
      case 1: f.Format = pf1bit; break;
      case 4: f.Format = pf4bit; break;
      case 8: f.Format = pf8bit; break;
      case 16:
        f.Format = ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit;
        break;
      case 24: f.Format = pf24bit; break;
      default: f.Format = pf32bit; break;
    }
  } else if (n >= static_cast<int>(sizeof(BITMAP))) {
    f.Width = ds.dsBm.bmWidth;
    f.Height = ds.dsBm.bmHeight;
    f.Monochrome = ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes == 1;
  }
  return f;
}

// The bitmap as a packed DIB in its own format (a device bitmap as 24-bit, or 1-bit when
// monochrome), rows bottom-up. The bitmap must not be selected into a DC.
std::vector<uint8_t> packDib(HBITMAP h) {
  BitmapFacts facts = factsOf(h);
  TPixelFormat format = facts.Dib ? facts.Format : facts.Monochrome ? pf1bit : pf24bit;
  std::vector<RGBQUAD> colors;
  if (facts.Dib && bitsPerPixel(format) <= 8) colors = colorTableOf(h);
  DibInfo info;
  initDibInfo(info, facts.Width, facts.Height, format, colors);
  size_t tableBytes = format == pf16bit ? 3 * sizeof(DWORD) : info.Header.biClrUsed * sizeof(RGBQUAD);
  size_t bitsBytes = info.Header.biSizeImage;
  std::vector<uint8_t> out(sizeof(BITMAPINFOHEADER) + tableBytes + bitsBytes);
  uint8_t* bits = out.data() + sizeof(BITMAPINFOHEADER) + tableBytes;
  GdiFlush();
  ScreenDC screen;
  if (!GetDIBits(screen.dc, h, 0, static_cast<UINT>(facts.Height), bits, reinterpret_cast<BITMAPINFO*>(&info),
                 DIB_RGB_COLORS))
    outOfResources();
  // GetDIBits may rewrite the header (biClrUsed 0 for a full table); keep ours.
  initDibInfo(info, facts.Width, facts.Height, format, colors);
  std::memcpy(out.data(), &info.Header, sizeof(BITMAPINFOHEADER));
  std::memcpy(out.data() + sizeof(BITMAPINFOHEADER), info.Colors, tableBytes);
  return out;
}

// A packed DIB read and checked: the header normalized to BITMAPINFOHEADER, the colour
// table (or masks) as RGBQUADs, and where the pixel rows are.
struct ParsedDib {
  BITMAPINFOHEADER Header{};
  std::vector<RGBQUAD> Colors;  // palette formats
  DWORD Masks[3] = {0, 0, 0};   // BI_BITFIELDS
  size_t TableEnd = 0;          // bytes of header and table
  size_t BitsSize = 0;
};

constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t readU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Parses the header and table of a packed DIB of which the first 'available' bytes are at
// p. Returns false when they do not describe a bitmap we can read.
bool parseDibHeader(const uint8_t* p, size_t available, ParsedDib& out) {
  if (available < 4) return false;
  uint32_t headerSize = readU32(p);
  bool core = headerSize == 12;
  if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 && headerSize != 108 &&
      headerSize != 124)
    return false;
  if (available < headerSize) return false;
  BITMAPINFOHEADER& h = out.Header;
  std::memset(&h, 0, sizeof h);
  h.biSize = sizeof(BITMAPINFOHEADER);
  if (core) {
    h.biWidth = readU16(p + 4);
    h.biHeight = readU16(p + 6);
    h.biPlanes = readU16(p + 8);
    h.biBitCount = readU16(p + 10);
    h.biCompression = BI_RGB;
  } else {
    std::memcpy(&h, p, sizeof(BITMAPINFOHEADER));
    h.biSize = sizeof(BITMAPINFOHEADER);
  }
  int bpp = h.biBitCount;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  int64_t pixels = int64_t(h.biWidth) * std::abs(int64_t(h.biHeight));
  if (pixels > kMaxBitmapPixels) return false;
  bool rle = false;
  switch (h.biCompression) {
    case BI_RGB: break;
    case BI_RLE8: rle = bpp == 8; if (!rle) return false; break;
    case BI_RLE4: rle = bpp == 4; if (!rle) return false; break;
    case BI_BITFIELDS: if (bpp != 16 && bpp != 32) return false; break;
    default: return false;
  }
  if (rle && h.biHeight < 0) return false;  // compressed bitmaps are always bottom-up
  size_t pos = headerSize;
  if (h.biCompression == BI_BITFIELDS) {
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) out.Masks[i] = readU32(p + 40 + 4 * i);
    } else {
      if (available < pos + 12) return false;
      for (int i = 0; i < 3; ++i) out.Masks[i] = readU32(p + pos + 4 * i);
      pos += 12;
    }
    if (!out.Masks[0] || !out.Masks[1] || !out.Masks[2]) return false;
  }
  size_t colors = 0;
  if (bpp <= 8) {
    colors = h.biClrUsed == 0 || core ? size_t(1) << bpp : h.biClrUsed;
    if (colors > (size_t(1) << bpp)) return false;
  } else if (!core) {
    colors = h.biClrUsed;  // an optional palette hint: skipped
    if (colors > 256) return false;
  }
  size_t entry = core ? 3 : 4;
  if (available < pos + colors * entry) return false;
  if (bpp <= 8) {
    out.Colors.resize(colors);
    for (size_t i = 0; i < colors; ++i) {
      const uint8_t* c = p + pos + i * entry;
      out.Colors[i] = rgbQuad(c[2], c[1], c[0]);
    }
    h.biClrUsed = static_cast<DWORD>(colors);
  } else {
    h.biClrUsed = 0;
  }
  pos += colors * entry;
  out.TableEnd = pos;
  out.BitsSize = rle ? h.biSizeImage : rowStride(h.biWidth, bpp) * static_cast<size_t>(std::abs(h.biHeight));
  if (rle && out.BitsSize == 0) return false;
  return true;
}

// The pixel format a parsed DIB becomes in memory.
TPixelFormat targetFormat(const ParsedDib& d) {
  switch (d.Header.biBitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      if (d.Header.biCompression == BI_BITFIELDS)
        return d.Masks[0] == 0xF800 && d.Masks[1] == 0x07E0 && d.Masks[2] == 0x001F ? pf16bit
               : d.Masks[0] == 0x7C00 && d.Masks[1] == 0x03E0 && d.Masks[2] == 0x001F ? pf15bit
                                                                                      : pf24bit;
      return pf15bit;
    case 24: return pf24bit;
    default:
      if (d.Header.biCompression == BI_BITFIELDS &&
          !(d.Masks[0] == 0xFF0000 && d.Masks[1] == 0xFF00 && d.Masks[2] == 0xFF))
        return pf24bit;
      return pf32bit;
  }
}

// A DIB section holding the parsed DIB whose pixel rows are at bits (GDI converts RLE,
// top-down rows and unusual masks).
HBITMAP createFromParsed(const ParsedDib& d, const uint8_t* bits) {
  TPixelFormat format = targetFormat(d);
  HBITMAP h = createDibSection(d.Header.biWidth, std::abs(d.Header.biHeight), format, d.Colors);
  DibInfo source;
  std::memset(&source, 0, sizeof source);
  source.Header = d.Header;
  if (d.Header.biCompression == BI_BITFIELDS)
    std::memcpy(source.Colors, d.Masks, sizeof d.Masks);
  else
    std::memcpy(source.Colors, d.Colors.data(), d.Colors.size() * sizeof(RGBQUAD));
  ScreenDC screen;
  int lines = SetDIBits(screen.dc, h, 0, static_cast<UINT>(std::abs(d.Header.biHeight)), bits,
                        reinterpret_cast<BITMAPINFO*>(&source), DIB_RGB_COLORS);
  if (lines == 0) {
    DeleteObject(h);
    invalidBitmap();
  }
  return h;
}

HPALETTE paletteFromColors(const std::vector<RGBQUAD>& colors) {
  if (colors.empty()) return nullptr;
  std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(colors.size());
  for (size_t i = 0; i < colors.size(); ++i) {
    lp->palPalEntry[i].peRed = colors[i].rgbRed;
    lp->palPalEntry[i].peGreen = colors[i].rgbGreen;
    lp->palPalEntry[i].peBlue = colors[i].rgbBlue;
    lp->palPalEntry[i].peFlags = 0;
  }
  return CreatePalette(lp);
}

// The pixels of a part of the image selected into dc as 0x00RRGGBB values, rows top-down.
std::vector<uint32_t> readPixels(HDC dc, int left, int top, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP tmp = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!tmp) outOfResources();
  {
    MemoryDC tmpDC(tmp);
    SetTextColor(tmpDC.dc, 0x000000);
    SetBkColor(tmpDC.dc, 0xFFFFFF);
    BitBlt(tmpDC.dc, 0, 0, width, height, dc, left, top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = p[i] & 0xFFFFFF;
  }
  DeleteObject(tmp);
  return pixels;
}

}  // namespace

// =======================================================================================
// TBitmap
// =======================================================================================

// The canvas of a bitmap: a memory DC with the bitmap (and its palette) selected, made when
// first needed and freed whenever the bitmap's handle is about to change or be handed out.
class TBitmapCanvas : public TCanvas {
  RTL_DECLARE_CLASS(TBitmapCanvas, TCanvas)
public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!dc_) return;
    SetHandle(nullptr);
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (oldPalette_) SelectPalette(dc_, oldPalette_, TRUE);
    DeleteDC(dc_);
    dc_ = nullptr;
    oldBitmap_ = nullptr;
    oldPalette_ = nullptr;
  }

protected:
  // An empty bitmap still gets a DC (with no bitmap in it), so text can be measured.
  void CreateHandle() override {
    bitmap_->handleNeeded();
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) outOfResources();
    if (bitmap_->handle_) oldBitmap_ = SelectObject(dc, bitmap_->handle_);
    if (bitmap_->palette_) {
      oldPalette_ = SelectPalette(dc, bitmap_->palette_, TRUE);
      RealizePalette(dc);
    }
    dc_ = dc;
    SetHandle(dc);
  }
  void FreeHandle() override { FreeContext(); }

private:
  TBitmap* bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HPALETTE oldPalette_ = nullptr;
};

RTL_IMPLEMENT_CLASS(TBitmapCanvas)
RTL_IMPLEMENT_CLASS(TBitmap)

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  delete canvas_;
  if (handle_) DeleteObject(handle_);
  if (mask_) DeleteObject(mask_);
  if (palette_) DeleteObject(palette_);
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    auto* c = new TBitmapCanvas(this);
    c->SetOnChanging(TNotifyEvent(this, &TBitmap::canvasChanging));
    c->SetOnChange(TNotifyEvent(this, &TBitmap::Changed));
    canvas_ = c;
  }
  return canvas_;
}

void TBitmap::freeContext() {
  if (canvas_) static_cast<TBitmapCanvas*>(canvas_)->FreeContext();
}

void TBitmap::freeMask() {
  if (mask_) DeleteObject(mask_);
  mask_ = nullptr;
}

// Drawing is about to change the image: a memory copy or a mask would go stale.
void TBitmap::canvasChanging(TObject*) {
  dormant_.clear();
  freeMask();
}

void TBitmap::Changed(TObject* Sender) {
  freeMask();
  TGraphic::Changed(Sender);
}

void TBitmap::replaceHandle(HBITMAP newHandle) {
  freeContext();
  freeMask();
  if (handle_ && handle_ != newHandle) DeleteObject(handle_);
  handle_ = newHandle;
  dormant_.clear();
}

// Makes the GDI bitmap from the memory copy or, when there is none, a white one of the
// current size and format.
void TBitmap::handleNeeded() {
  if (handle_ || Empty()) return;
  if (!dormant_.empty()) {
    std::vector<uint8_t> dib = std::move(dormant_);
    dormant_.clear();
    ParsedDib parsed;
    if (!parseDibHeader(dib.data(), dib.size(), parsed)) invalidBitmap();
    handle_ = createFromParsed(parsed, dib.data() + parsed.TableEnd);
    if (format_ == pfDevice) {
      // It was a device bitmap: make one again from the DIB.
      HBITMAP dib32 = handle_;
      handle_ = createBlankBitmap(width_, height_, pfDevice, monochrome_);
      MemoryDC from(dib32), to(handle_);
      BitBlt(to.dc, 0, 0, width_, height_, from.dc, 0, 0, SRCCOPY);
      DeleteObject(dib32);
    }
    return;
  }
  handle_ = createBlankBitmap(width_, height_, format_, monochrome_);
  paletteNeeded();
}

// A palette bitmap gets a palette of its colour table when it has none.
void TBitmap::paletteNeeded() {
  int bpp = bitsPerPixel(format_);
  if (palette_ || !handle_ || bpp == 0 || bpp > 8) return;
  palette_ = paletteFromColors(colorTableOf(handle_));
}

void TBitmap::adoptHandle(HBITMAP value) {
  freeContext();
  freeMask();
  if (handle_ && handle_ != value) DeleteObject(handle_);
  handle_ = value;
  dormant_.clear();
  if (!value) {
    width_ = height_ = 0;
    return;
  }
  BitmapFacts f = factsOf(value);
  width_ = f.Width;
  height_ = f.Height;
  format_ = f.Dib ? f.Format : pfDevice;
  monochrome_ = !f.Dib && f.Monochrome;
  if (f.Dib && bitsPerPixel(format_) <= 8 && !palette_) palette_ = paletteFromColors(colorTableOf(value));
  // ScanLine counts on bottom-up rows.
  if (f.TopDown) convertTo(format_, false);
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == handle_) return;
  adoptHandle(Value);
  Changed(this);
}

HBITMAP TBitmap::Handle() {
  handleNeeded();
  freeContext();
  return handle_;
}

HBITMAP TBitmap::ReleaseHandle() {
  handleNeeded();
  freeContext();
  freeMask();
  HBITMAP h = handle_;
  handle_ = nullptr;
  return h;
}

TBitmapHandleType TBitmap::HandleType() const { return format_ == pfDevice ? bmDDB : bmDIB; }

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == HandleType()) return;
  if (Value == bmDIB) {
    TPixelFormat f;
    if (monochrome_) {
      f = pf1bit;
    } else {
      switch (screenBitsPerPixel()) {
        case 1: f = pf1bit; break;
        case 4: f = pf4bit; break;
        case 8: f = pf8bit; break;
        case 15: f = pf15bit; break;
        case 16: f = pf16bit; break;
        case 24: f = pf24bit; break;
        default: f = pf32bit; break;
      }
    }
    convertTo(f, false);
  } else {
    convertTo(pfDevice, format_ == pf1bit);
  }
}

TPixelFormat TBitmap::PixelFormat() const { return format_; }

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfCustom) throw EInvalidGraphicOperation("Invalid pixel format");
  if (Value == format_) return;
  convertTo(Value, false);
}

bool TBitmap::Monochrome() const { return format_ == pf1bit || (format_ == pfDevice && monochrome_); }

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  convertTo(pfDevice, Value);
}

// Changes the pixel format (and kind of bitmap), converting the image through BitBlt.
void TBitmap::convertTo(TPixelFormat format, bool monochrome) {
  bool topDownHandle = handle_ && factsOf(handle_).TopDown;
  if (format == format_ && monochrome == monochrome_ && !topDownHandle) return;
  if (Empty()) {
    format_ = format;
    monochrome_ = monochrome;
    Changed(this);
    return;
  }
  handleNeeded();
  freeContext();
  std::vector<RGBQUAD> colors;
  if (format == format_ && bitsPerPixel(format) <= 8) colors = colorTableOf(handle_);
  HBITMAP converted = createBlankBitmap(width_, height_, format, monochrome, colors);
  {
    MemoryDC from(handle_), to(converted);
    BitBlt(to.dc, 0, 0, width_, height_, from.dc, 0, 0, SRCCOPY);
  }
  replaceHandle(converted);
  format_ = format;
  monochrome_ = monochrome;
  if (palette_ && !(bitsPerPixel(format) > 0 && bitsPerPixel(format) <= 8)) {
    DeleteObject(palette_);
    palette_ = nullptr;
  } else if (bitsPerPixel(format) > 0 && bitsPerPixel(format) <= 8) {
    if (palette_) DeleteObject(palette_);
    palette_ = paletteFromColors(colorTableOf(handle_));
  }
  Changed(this);
}

void TBitmap::SetSize(Integer AWidth, Integer AHeight) {
  AWidth = std::max<Integer>(AWidth, 0);
  AHeight = std::max<Integer>(AHeight, 0);
  if (AWidth == width_ && AHeight == height_) return;
  handleNeeded();
  freeContext();
  HBITMAP resized = nullptr;
  if (AWidth > 0 && AHeight > 0) {
    std::vector<RGBQUAD> colors;
    if (handle_ && bitsPerPixel(format_) > 0 && bitsPerPixel(format_) <= 8) colors = colorTableOf(handle_);
    resized = createBlankBitmap(AWidth, AHeight, format_, monochrome_, colors);
    if (handle_) {
      MemoryDC from(handle_), to(resized);
      BitBlt(to.dc, 0, 0, std::min(AWidth, width_), std::min(AHeight, height_), from.dc, 0, 0, SRCCOPY);
    }
  }
  replaceHandle(resized);
  width_ = AWidth;
  height_ = AHeight;
  paletteNeeded();
  Changed(this);
}

void TBitmap::SetPalette(HPALETTE Value) {
  if (Value == palette_) return;
  freeContext();
  if (palette_) DeleteObject(palette_);
  palette_ = Value;
  // A palette bitmap takes the palette's colours as its colour table.
  if (Value && handle_ && bitsPerPixel(format_) > 0 && bitsPerPixel(format_) <= 8) {
    PALETTEENTRY entries[256];
    UINT n = GetPaletteEntries(Value, 0, 256, entries);
    std::vector<RGBQUAD> colors;
    for (UINT i = 0; i < n; ++i) colors.push_back(rgbQuad(entries[i].peRed, entries[i].peGreen, entries[i].peBlue));
    MemoryDC dc(handle_);
    SetDIBColorTable(dc.dc, 0, static_cast<UINT>(colors.size()), colors.data());
  }
  SetPaletteModified(true);
  Changed(this);
}

HPALETTE TBitmap::ReleasePalette() {
  freeContext();
  HPALETTE p = palette_;
  palette_ = nullptr;
  return p;
}

// --- Transparency ------------------------------------------------------------------------

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault)
    return TColor(ColorToRGB(transparentColor_) | 0x02000000);
  if (Empty()) return clDefault;
  if (Monochrome()) return TColor(clWhite | 0x02000000);
  HDC dc = Canvas()->Handle();
  uint32_t p = readPixels(dc, 0, height_ - 1, 1, 1)[0];
  return TColor(static_cast<int32_t>(colorRefToPixel(p)) | 0x02000000);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == transparentColor_ && transparentMode_ == (Value == clDefault ? tmAuto : tmFixed)) return;
  transparentColor_ = Value;
  transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == transparentMode_) return;
  if (Value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

// A monochrome device bitmap, white (1) exactly where the image has the colour (compared
// as RGB, the palette-relative bit ignored).
HBITMAP TBitmap::buildMask(TColor color) {
  handleNeeded();
  if (Empty()) return nullptr;
  uint32_t wanted = colorRefToPixel(static_cast<uint32_t>(ColorToRGB(color)) & 0xFFFFFF);
  std::vector<uint32_t> pixels = readPixels(Canvas()->Handle(), 0, 0, width_, height_);
  size_t rowBytes = ((static_cast<size_t>(width_) + 15) / 16) * 2;  // device bitmap rows are WORD-aligned
  std::vector<uint8_t> bits(rowBytes * height_, 0);
  for (Integer y = 0; y < height_; ++y)
    for (Integer x = 0; x < width_; ++x)
      if (pixels[static_cast<size_t>(y) * width_ + x] == wanted) bits[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
  HBITMAP mask = CreateBitmap(width_, height_, 1, 1, bits.data());
  if (!mask) outOfResources();
  return mask;
}

HBITMAP TBitmap::MaskHandle() {
  if (!mask_) mask_ = buildMask(TransparentColor());
  return mask_;
}

void TBitmap::SetMaskHandle(HBITMAP Value) {
  if (Value == mask_) return;
  freeMask();
  mask_ = Value;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
  HBITMAP m = MaskHandle();
  mask_ = nullptr;
  return m;
}

void TBitmap::Mask(TColor TransparentColor) {
  HBITMAP mask = buildMask(TransparentColor);
  if (!mask) return;
  if (palette_) {
    DeleteObject(palette_);
    palette_ = nullptr;
  }
  adoptHandle(mask);
  Changed(this);
}

// --- Pixels ------------------------------------------------------------------------------

void* TBitmap::ScanLine(Integer Row) {
  if (Row < 0 || Row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  handleNeeded();
  if (format_ == pfDevice) SetHandleType(bmDIB);
  freeMask();
  GdiFlush();
  DIBSECTION ds{};
  if (GetObjectA(handle_, sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits)
    throw EInvalidGraphicOperation("Scan line index out of range");
  return static_cast<uint8_t*>(ds.dsBm.bmBits) + static_cast<size_t>(height_ - 1 - Row) * ds.dsBm.bmWidthBytes;
}

void TBitmap::Dormant() {
  if (!handle_) return;
  freeContext();
  std::vector<uint8_t> dib = packDib(handle_);
  DeleteObject(handle_);
  handle_ = nullptr;
  freeMask();
  dormant_ = std::move(dib);
}

void TBitmap::FreeImage() {
  if (!handle_ && !dormant_.empty()) handleNeeded();
  dormant_.clear();
}

// --- Copies ------------------------------------------------------------------------------

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    adoptHandle(nullptr);
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    HBITMAP copy = nullptr;
    if (!b->Empty()) {
      b->handleNeeded();
      b->freeContext();
      std::vector<RGBQUAD> colors;
      if (bitsPerPixel(b->format_) > 0 && bitsPerPixel(b->format_) <= 8) colors = colorTableOf(b->handle_);
      copy = createBlankBitmap(b->width_, b->height_, b->format_, b->monochrome_, colors);
      MemoryDC from(b->handle_), to(copy);
      BitBlt(to.dc, 0, 0, b->width_, b->height_, from.dc, 0, 0, SRCCOPY);
    }
    replaceHandle(copy);
    width_ = b->width_;
    height_ = b->height_;
    format_ = b->format_;
    monochrome_ = b->monochrome_;
    if (palette_) DeleteObject(palette_);
    palette_ = CopyPalette(b->palette_);
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    bool wasTransparent = Transparent();
    TGraphic::SetTransparent(b->Transparent());
    if (wasTransparent == b->Transparent()) Changed(this);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    if (g->Empty()) {
      adoptHandle(nullptr);
      Changed(this);
      return;
    }
    replaceHandle(nullptr);
    width_ = height_ = 0;
    SetSize(g->Width(), g->Height());
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, width_, height_));
    c->Draw(0, 0, g);
    return;
  }
  TGraphic::Assign(Source);
}

// --- Drawing -----------------------------------------------------------------------------

void TBitmap::Draw(TCanvas* ACanvas, const TRect& R) {
  if (Empty()) return;
  HDC src = Canvas()->Handle();
  HDC dst = ACanvas->Handle();
  int dw = R.right - R.left, dh = R.bottom - R.top;
  HPALETTE oldPalette = nullptr;
  if (palette_) {
    oldPalette = SelectPalette(dst, palette_, TRUE);
    RealizePalette(dst);
  }
  bool stretched = dw != width_ || dh != height_;
  int oldMode = stretched ? SetStretchBltMode(dst, COLORONCOLOR) : 0;
  if (Transparent()) {
    // Destination AND mask (white where transparent), then the image with its
    // transparent pixels made black OR'ed on top.
    HBITMAP mask = MaskHandle();
    MemoryDC maskDC(mask);
    COLORREF oldText = SetTextColor(dst, 0x000000);
    COLORREF oldBk = SetBkColor(dst, 0xFFFFFF);
    StretchBlt(dst, R.left, R.top, dw, dh, maskDC.dc, 0, 0, width_, height_, SRCAND);
    SetTextColor(dst, oldText);
    SetBkColor(dst, oldBk);

    ScreenDC screen;
    HBITMAP image = CreateCompatibleBitmap(screen.dc, width_, height_);
    if (!image) outOfResources();
    {
      MemoryDC imageDC(image);
      BitBlt(imageDC.dc, 0, 0, width_, height_, src, 0, 0, SRCCOPY);
      SetTextColor(imageDC.dc, 0xFFFFFF);
      SetBkColor(imageDC.dc, 0x000000);
      BitBlt(imageDC.dc, 0, 0, width_, height_, maskDC.dc, 0, 0, SRCAND);
      StretchBlt(dst, R.left, R.top, dw, dh, imageDC.dc, 0, 0, width_, height_, SRCPAINT);
    }
    DeleteObject(image);
  } else {
    StretchBlt(dst, R.left, R.top, dw, dh, src, 0, 0, width_, height_, static_cast<DWORD>(ACanvas->CopyMode()));
  }
  if (stretched) SetStretchBltMode(dst, oldMode);
  if (palette_) SelectPalette(dst, oldPalette, TRUE);
}

// --- Streams and resources ---------------------------------------------------------------

// Replaces the image by a packed DIB; bitsOffset is where its pixel rows start (0: right
// after the colour table).
void TBitmap::loadPackedDib(const uint8_t* dib, size_t size) {
  ParsedDib parsed;
  if (!parseDibHeader(dib, size, parsed) || size < parsed.TableEnd + parsed.BitsSize) invalidBitmap();
  HBITMAP h = createFromParsed(parsed, dib + parsed.TableEnd);
  if (palette_) DeleteObject(palette_);
  palette_ = bitsPerPixel(targetFormat(parsed)) <= 8 ? paletteFromColors(parsed.Colors) : nullptr;
  adoptHandle(h);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  Int64 available = Stream->Size() - Stream->Position();
  if (available <= 0) {
    adoptHandle(nullptr);
    Changed(this);
    return;
  }
  try {
    BITMAPFILEHEADER fh;
    if (available < static_cast<Int64>(sizeof fh) + 4) invalidBitmap();
    Stream->ReadBuffer(&fh, sizeof fh);
    if (fh.bfType != 0x4D42) invalidBitmap();
    available -= sizeof fh;
    // The info header first, to learn how much follows.
    uint8_t sizeBytes[4];
    Stream->ReadBuffer(sizeBytes, 4);
    uint32_t headerSize = readU32(sizeBytes);
    if (headerSize < 12 || headerSize > 124 || headerSize > available) invalidBitmap();
    std::vector<uint8_t> dib(headerSize);
    std::memcpy(dib.data(), sizeBytes, 4);
    Stream->ReadBuffer(dib.data() + 4, static_cast<Integer>(headerSize - 4));
    // Header and table: read what the header says the table takes, then parse them.
    ParsedDib parsed;
    size_t tableGuess = headerSize + 12 + 256 * 4;
    size_t canRead = static_cast<size_t>(std::min<Int64>(available, static_cast<Int64>(tableGuess)));
    dib.resize(canRead);
    Stream->ReadBuffer(dib.data() + headerSize, static_cast<Integer>(canRead - headerSize));
    if (!parseDibHeader(dib.data(), dib.size(), parsed)) invalidBitmap();
    // The pixel rows start at bfOffBits (when it makes sense) or right after the table.
    size_t bitsAt = parsed.TableEnd;
    if (fh.bfOffBits >= sizeof fh + parsed.TableEnd) bitsAt = fh.bfOffBits - sizeof fh;
    Int64 total = static_cast<Int64>(bitsAt + parsed.BitsSize);
    if (total > available) invalidBitmap();
    // Whatever of the guess went past the end of the bitmap belongs to the stream's
    // next content: step back over it.
    if (static_cast<Int64>(canRead) > total) {
      Stream->Seek(total - static_cast<Int64>(canRead), soCurrent);
      dib.resize(static_cast<size_t>(total));
    } else {
      size_t had = dib.size();
      dib.resize(static_cast<size_t>(total));
      Stream->ReadBuffer(dib.data() + had, static_cast<Integer>(total - static_cast<Int64>(had)));
    }
    // Close the gap between table and rows so the DIB is packed.
    if (bitsAt != parsed.TableEnd) dib.erase(dib.begin() + parsed.TableEnd, dib.begin() + bitsAt);
    loadPackedDib(dib.data(), dib.size());
  } catch (const EStreamError&) {
    invalidBitmap();
  }
  Changed(this);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  handleNeeded();
  freeContext();
  std::vector<uint8_t> dib = packDib(handle_);
  ParsedDib parsed;
  parseDibHeader(dib.data(), dib.size(), parsed);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfSize = static_cast<DWORD>(sizeof fh + dib.size());
  fh.bfOffBits = static_cast<DWORD>(sizeof fh + parsed.TableEnd);
  Stream->WriteBuffer(&fh, sizeof fh);
  Stream->WriteBuffer(dib.data(), static_cast<Integer>(dib.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
  HRSRC res = FindResourceA(Instance, ResName.c_str(), reinterpret_cast<LPCSTR>(RT_BITMAP));
  if (!res) throw EResNotFound("Resource " + ResName + " not found");
  HGLOBAL global = LoadResource(Instance, res);
  const auto* data = static_cast<const uint8_t*>(LockResource(global));
  if (!data) throw EResNotFound("Resource " + ResName + " not found");
  loadPackedDib(data, SizeofResource(Instance, res));
  Changed(this);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, Integer ResID) {
  HRSRC res = FindResourceA(Instance, MAKEINTRESOURCEA(ResID), reinterpret_cast<LPCSTR>(RT_BITMAP));
  if (!res) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  HGLOBAL global = LoadResource(Instance, res);
  const auto* data = static_cast<const uint8_t*>(LockResource(global));
  if (!data) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  loadPackedDib(data, SizeofResource(Instance, res));
  Changed(this);
}

void TBitmap::LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) {
  if (AFormat == CF_DIB) {
    HGLOBAL global = reinterpret_cast<HGLOBAL>(AData);
    const auto* data = static_cast<const uint8_t*>(GlobalLock(global));
    if (!data) invalidBitmap();
    {
      ScopeExit atEnd([&] { GlobalUnlock(global); });
      loadPackedDib(data, GlobalSize(global));
    }
  } else if (AFormat == CF_BITMAP) {
    // The clipboard keeps its bitmap: copy it.
    HBITMAP source = reinterpret_cast<HBITMAP>(AData);
    BitmapFacts f = factsOf(source);
    if (f.Width <= 0 || f.Height <= 0) invalidBitmap();
    HBITMAP copy = createBlankBitmap(f.Width, f.Height, pfDevice, f.Monochrome);
    {
      MemoryDC from(source), to(copy);
      BitBlt(to.dc, 0, 0, f.Width, f.Height, from.dc, 0, 0, SRCCOPY);
    }
    if (palette_) DeleteObject(palette_);
    palette_ = CopyPalette(APalette);
    adoptHandle(copy);
  } else {
    TGraphic::LoadFromClipboardFormat(AFormat, AData, APalette);
  }
  Changed(this);
}

void TBitmap::SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) {
  if (Empty()) throw EInvalidGraphic("Bitmap image is not valid");
  handleNeeded();
  freeContext();
  HBITMAP copy = createBlankBitmap(width_, height_, pfDevice, Monochrome());
  {
    MemoryDC from(handle_), to(copy);
    BitBlt(to.dc, 0, 0, width_, height_, from.dc, 0, 0, SRCCOPY);
  }
  AFormat = CF_BITMAP;
  AData = reinterpret_cast<THandle>(copy);
  APalette = CopyPalette(palette_);
}

void TBitmap::ReadData(TStream* Stream) {
  Integer size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  if (size < 0) invalidBitmap();
  TMemoryStream data;
  if (size > 0) data.CopyFrom(Stream, size);
  data.SetPosition(0);
  LoadFromStream(&data);
}

void TBitmap::WriteData(TStream* Stream) {
  TMemoryStream data;
  SaveToStream(&data);
  Integer size = static_cast<Integer>(data.Size());
  Stream->WriteBuffer(&size, sizeof size);
  if (size > 0) Stream->WriteBuffer(data.Memory(), size);
}

// =======================================================================================
// TIcon
// =======================================================================================

namespace {

#pragma pack(push, 2)
struct IconDir {
  WORD Reserved;
  WORD Type;  // 1 = icon
  WORD Count;
};
struct IconDirEntry {
  BYTE Width;  // 0 = 256
  BYTE Height;
  BYTE ColorCount;
  BYTE Reserved;
  WORD Planes;
  WORD BitCount;
  DWORD BytesInRes;
  DWORD ImageOffset;
};
#pragma pack(pop)
static_assert(sizeof(IconDir) == 6 && sizeof(IconDirEntry) == 16, "icon directory layout");

[[noreturn]] void invalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

int entryBits(const IconDirEntry& e) {
  if (e.BitCount) return e.BitCount * std::max<int>(e.Planes, 1);
  if (e.ColorCount == 0) return 8;
  int bits = 1;
  while ((1 << bits) < e.ColorCount) ++bits;
  return bits;
}

// The 32-bit pixels (rows bottom-up, as an icon stores them) of a bitmap, and its 1-bit
// rows (DWORD-aligned, bottom-up).
std::vector<uint8_t> dibRows(HBITMAP h, int width, int height, int bpp) {
  std::vector<uint8_t> rows(rowStride(width, bpp) * height);
  DibInfo info;
  std::memset(&info, 0, sizeof info);
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = width;
  info.Header.biHeight = height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(bpp);
  info.Header.biCompression = BI_RGB;
  ScreenDC screen;
  GetDIBits(screen.dc, h, 0, static_cast<UINT>(height), rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  return rows;
}

}  // namespace

RTL_IMPLEMENT_CLASS(TIcon)

TIcon::TIcon() = default;

TIcon::~TIcon() { clear(); }

void TIcon::clear() {
  if (handle_) DestroyIcon(handle_);
  handle_ = nullptr;
  data_.clear();
  width_ = height_ = 0;
}

void TIcon::SetWidth(Integer) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::SetHeight(Integer) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

HICON TIcon::Handle() { return handle_; }

void TIcon::SetHandle(HICON Value) {
  if (Value == handle_) return;
  clear();
  handle_ = Value;
  if (Value) {
    ICONINFO ii{};
    if (GetIconInfo(Value, &ii)) {
      BITMAP bm{};
      GetObjectA(ii.hbmMask, sizeof bm, &bm);
      width_ = bm.bmWidth;
      height_ = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      DeleteObject(ii.hbmMask);
    }
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  handle_ = nullptr;
  data_.clear();
  return h;
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    clear();
    Changed(this);
    return;
  }
  if (auto* icon = dynamic_cast<TIcon*>(Source)) {
    if (icon == this) return;
    clear();
    if (icon->handle_) handle_ = CopyIcon(icon->handle_);
    data_ = icon->data_;
    width_ = icon->width_;
    height_ = icon->height_;
    Changed(this);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    if (g->Empty()) {
      clear();
      Changed(this);
      return;
    }
    // Render the graphic into a bitmap; its transparent colour (if any) goes to the mask.
    TBitmap image;
    image.Assign(g);
    auto* sourceBitmap = dynamic_cast<TBitmap*>(g);
    HBITMAP mask;
    if (g->Transparent() && sourceBitmap) {
      mask = image.buildMask(sourceBitmap->TransparentColor());
    } else {
      std::vector<uint8_t> zeros(((static_cast<size_t>(image.Width()) + 15) / 16) * 2 * image.Height(), 0);
      mask = CreateBitmap(image.Width(), image.Height(), 1, 1, zeros.data());
    }
    HBITMAP color = image.Handle();
    if (sourceBitmap && g->Transparent()) {
      // Transparent pixels must be black in the colour image for the mask to show through.
      MemoryDC imageDC(color), maskDC(mask);
      SetTextColor(imageDC.dc, 0xFFFFFF);
      SetBkColor(imageDC.dc, 0x000000);
      BitBlt(imageDC.dc, 0, 0, image.Width(), image.Height(), maskDC.dc, 0, 0, SRCAND);
    }
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmMask = mask;
    ii.hbmColor = color;
    HICON h = CreateIconIndirect(&ii);
    DeleteObject(mask);
    if (!h) outOfResources();
    clear();
    handle_ = h;
    width_ = image.Width();
    height_ = image.Height();
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!handle_) return;
  DrawIconEx(ACanvas->Handle(), Rect.left, Rect.top, handle_, Rect.right - Rect.left, Rect.bottom - Rect.top, 0,
             nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* Stream) {
  std::vector<uint8_t> data;
  HICON h = nullptr;
  int width = 0, height = 0;
  try {
    Int64 available = Stream->Size() - Stream->Position();
    IconDir dir;
    if (available < static_cast<Int64>(sizeof dir)) invalidIcon();
    Stream->ReadBuffer(&dir, sizeof dir);
    if (dir.Reserved != 0 || dir.Type != 1 || dir.Count == 0) invalidIcon();
    size_t dirBytes = sizeof dir + dir.Count * sizeof(IconDirEntry);
    if (static_cast<Int64>(dirBytes) > available) invalidIcon();
    data.resize(dirBytes);
    std::memcpy(data.data(), &dir, sizeof dir);
    Stream->ReadBuffer(data.data() + sizeof dir, static_cast<Integer>(dirBytes - sizeof dir));
    const auto* entries = reinterpret_cast<const IconDirEntry*>(data.data() + sizeof dir);
    size_t end = dirBytes;
    for (WORD i = 0; i < dir.Count; ++i) {
      const IconDirEntry& e = entries[i];
      if (e.ImageOffset < dirBytes || e.BytesInRes < 40) invalidIcon();
      end = std::max<size_t>(end, size_t(e.ImageOffset) + e.BytesInRes);
    }
    if (static_cast<Int64>(end) > available) invalidIcon();
    data.resize(end);
    entries = reinterpret_cast<const IconDirEntry*>(data.data() + sizeof dir);
    Stream->ReadBuffer(data.data() + dirBytes, static_cast<Integer>(end - dirBytes));
    // The image nearest the system icon size, the deepest colour among equals.
    int target = GetSystemMetrics(SM_CXICON);
    int best = 0;
    auto sizeOf = [](BYTE v) { return v == 0 ? 256 : int(v); };
    for (WORD i = 1; i < dir.Count; ++i) {
      int di = std::abs(sizeOf(entries[i].Width) - target), db = std::abs(sizeOf(entries[best].Width) - target);
      if (di < db || (di == db && entryBits(entries[i]) > entryBits(entries[best]))) best = i;
    }
    const IconDirEntry& e = entries[best];
    width = sizeOf(e.Width);
    height = sizeOf(e.Height);
    h = CreateIconFromResourceEx(data.data() + e.ImageOffset, e.BytesInRes, TRUE, 0x00030000, width, height,
                                 LR_DEFAULTCOLOR);
    if (!h) invalidIcon();
  } catch (const EStreamError&) {
    invalidIcon();
  }
  clear();
  handle_ = h;
  data_ = std::move(data);
  width_ = width;
  height_ = height;
  Changed(this);
}

// A loaded file is written back unchanged; an icon made from a handle is written as one
// 32-bit image with its mask.
void TIcon::SaveToStream(TStream* Stream) {
  if (!data_.empty()) {
    Stream->WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
    return;
  }
  if (!handle_) return;
  ICONINFO ii{};
  if (!GetIconInfo(handle_, &ii)) outOfResources();
  int w = width_, h = height_;
  std::vector<uint8_t> color(rowStride(w, 32) * h);
  std::vector<uint8_t> mask;
  if (ii.hbmColor) {
    color = dibRows(ii.hbmColor, w, h, 32);
    mask = dibRows(ii.hbmMask, w, h, 1);
  } else {
    // A monochrome icon: the mask bitmap holds the AND mask over the XOR image.
    std::vector<uint8_t> both = dibRows(ii.hbmMask, w, 2 * h, 1);
    size_t stride1 = rowStride(w, 1);
    // Bottom-up rows: the XOR image (the lower half) comes first.
    mask.assign(both.begin() + static_cast<std::ptrdiff_t>(stride1 * h), both.end());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool on = both[y * stride1 + x / 8] & (0x80 >> (x % 8));
        uint8_t* px = &color[(static_cast<size_t>(y) * w + x) * 4];
        px[0] = px[1] = px[2] = on ? 255 : 0;
      }
  }
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);

  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof bih;
  bih.biWidth = w;
  bih.biHeight = 2 * h;
  bih.biPlanes = 1;
  bih.biBitCount = 32;
  bih.biCompression = BI_RGB;
  bih.biSizeImage = static_cast<DWORD>(color.size() + mask.size());
  IconDir dir{0, 1, 1};
  IconDirEntry entry{};
  entry.Width = static_cast<BYTE>(w >= 256 ? 0 : w);
  entry.Height = static_cast<BYTE>(h >= 256 ? 0 : h);
  entry.Planes = 1;
  entry.BitCount = 32;
  entry.BytesInRes = static_cast<DWORD>(sizeof bih + color.size() + mask.size());
  entry.ImageOffset = sizeof dir + sizeof entry;
  Stream->WriteBuffer(&dir, sizeof dir);
  Stream->WriteBuffer(&entry, sizeof entry);
  Stream->WriteBuffer(&bih, sizeof bih);
  Stream->WriteBuffer(color.data(), static_cast<Integer>(color.size()));
  Stream->WriteBuffer(mask.data(), static_cast<Integer>(mask.size()));
}

void TIcon::LoadFromClipboardFormat(Word, THandle, HPALETTE) {
  throw EInvalidGraphic("Icons cannot be exchanged through the clipboard");
}

void TIcon::SaveToClipboardFormat(Word&, THandle&, HPALETTE&) {
  throw EInvalidGraphic("Icons cannot be exchanged through the clipboard");
}

// =======================================================================================
// TMetafile
// =======================================================================================

namespace {

constexpr DWORD kPlaceableKey = 0x9AC6CDD7;

#pragma pack(push, 2)
// The header that makes a Windows metafile "placeable": its size and resolution.
struct PlaceableHeader {
  DWORD Key;
  WORD Handle;
  SHORT Left, Top, Right, Bottom;
  WORD Inch;
  DWORD Reserved;
  WORD Checksum;
};
#pragma pack(pop)
static_assert(sizeof(PlaceableHeader) == 22, "placeable metafile header layout");

WORD placeableChecksum(const PlaceableHeader& h) {
  const auto* words = reinterpret_cast<const WORD*>(&h);
  WORD sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= words[i];
  return sum;
}

[[noreturn]] void invalidMetafile() { throw EInvalidGraphic("Metafile is not valid"); }

// Reads a Windows metafile (METAHEADER and records) from the stream; its size is in the
// header, in words.
std::vector<uint8_t> readWindowsMetafile(TStream* stream, Int64 available) {
  METAHEADER mh;
  if (available < static_cast<Int64>(sizeof mh)) invalidMetafile();
  stream->ReadBuffer(&mh, sizeof mh);
  if ((mh.mtType != 1 && mh.mtType != 2) || mh.mtHeaderSize != sizeof(METAHEADER) / 2) invalidMetafile();
  Int64 bytes = static_cast<Int64>(mh.mtSize) * 2;
  if (bytes < static_cast<Int64>(sizeof mh) || bytes > available) invalidMetafile();
  std::vector<uint8_t> data(static_cast<size_t>(bytes));
  std::memcpy(data.data(), &mh, sizeof mh);
  stream->ReadBuffer(data.data() + sizeof mh, static_cast<Integer>(bytes - static_cast<Int64>(sizeof mh)));
  return data;
}

}  // namespace

RTL_IMPLEMENT_CLASS(TMetafile)

TMetafile::TMetafile() = default;

TMetafile::~TMetafile() {
  if (handle_) DeleteEnhMetaFile(handle_);
}

void TMetafile::Clear() {
  if (handle_) DeleteEnhMetaFile(handle_);
  handle_ = nullptr;
  mmWidth_ = mmHeight_ = 0;
  inch_ = 0;
  Changed(this);
}

// Adopts an enhanced metafile; readSize takes MMWidth/MMHeight from its frame.
void TMetafile::adopt(HENHMETAFILE value, bool readSize) {
  if (handle_ && handle_ != value) DeleteEnhMetaFile(handle_);
  handle_ = value;
  if (value && readSize) {
    ENHMETAHEADER header{};
    if (GetEnhMetaFileHeader(value, sizeof header, &header)) {
      mmWidth_ = header.rclFrame.right - header.rclFrame.left;
      mmHeight_ = header.rclFrame.bottom - header.rclFrame.top;
    }
  }
}

void TMetafile::SetHandle(HENHMETAFILE Value) {
  if (Value == handle_) return;
  adopt(Value, true);
  inch_ = 0;
  Changed(this);
}

HENHMETAFILE TMetafile::ReleaseHandle() {
  HENHMETAFILE h = handle_;
  handle_ = nullptr;
  return h;
}

Integer TMetafile::Width() const { return MulDiv(mmWidth_, screenLogPixelsX(), 2540); }

Integer TMetafile::Height() const { return MulDiv(mmHeight_, screenLogPixelsY(), 2540); }

void TMetafile::SetWidth(Integer Value) { SetMMWidth(MulDiv(Value, 2540, screenLogPixelsX())); }

void TMetafile::SetHeight(Integer Value) { SetMMHeight(MulDiv(Value, 2540, screenLogPixelsY())); }

void TMetafile::SetMMWidth(Integer Value) {
  if (Value == mmWidth_) return;
  mmWidth_ = Value;
  Changed(this);
}

void TMetafile::SetMMHeight(Integer Value) {
  if (Value == mmHeight_) return;
  mmHeight_ = Value;
  Changed(this);
}

void TMetafile::SetInch(Word Value) {
  if (Value == inch_) return;
  inch_ = Value;
  Changed(this);
}

void TMetafile::SetEnhanced(bool Value) {
  if (Value == enhanced_) return;
  enhanced_ = Value;
  Changed(this);
}

namespace {
// The two strings of an enhanced metafile's description ("created by\0description\0\0").
std::string descriptionPart(HENHMETAFILE h, int part) {
  if (!h) return "";
  UINT n = GetEnhMetaFileDescriptionA(h, 0, nullptr);
  if (n == 0 || n == GDI_ERROR) return "";
  std::vector<char> text(n + 2, '\0');
  GetEnhMetaFileDescriptionA(h, n, text.data());
  const char* p = text.data();
  if (part == 1) p += std::strlen(p) + 1;
  return p < text.data() + n ? std::string(p) : std::string();
}
}  // namespace

std::string TMetafile::CreatedBy() const { return descriptionPart(handle_, 0); }

std::string TMetafile::Description() const { return descriptionPart(handle_, 1); }

void TMetafile::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  if (auto* m = dynamic_cast<TMetafile*>(Source)) {
    if (m == this) return;
    HENHMETAFILE copy = m->handle_ ? CopyEnhMetaFileA(m->handle_, nullptr) : nullptr;
    adopt(copy, false);
    mmWidth_ = m->mmWidth_;
    mmHeight_ = m->mmHeight_;
    inch_ = m->inch_;
    enhanced_ = m->enhanced_;
    Changed(this);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    if (g->Empty()) {
      Clear();
      return;
    }
    adopt(nullptr, false);
    mmWidth_ = MulDiv(g->Width(), 2540, screenLogPixelsX());
    mmHeight_ = MulDiv(g->Height(), 2540, screenLogPixelsY());
    {
      TMetafileCanvas canvas(this, nullptr);
      canvas.Draw(0, 0, g);
    }
    return;
  }
  TGraphic::Assign(Source);
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!handle_) return;
  PlayEnhMetaFile(ACanvas->Handle(), handle_, &Rect);
}

void TMetafile::LoadFromStream(TStream* Stream) {
  HENHMETAFILE h = nullptr;
  Integer mmWidth = 0, mmHeight = 0;
  Word inch = 0;
  bool enhanced = true;
  try {
    Int64 start = Stream->Position();
    Int64 available = Stream->Size() - start;
    if (available < 4) invalidMetafile();
    uint8_t first[4];
    Stream->ReadBuffer(first, 4);
    Stream->SetPosition(start);
    DWORD key = readU32(first);
    if (key == kPlaceableKey) {
      PlaceableHeader ph;
      if (available < static_cast<Int64>(sizeof ph)) invalidMetafile();
      Stream->ReadBuffer(&ph, sizeof ph);
      if (ph.Checksum != placeableChecksum(ph) || ph.Inch == 0) invalidMetafile();
      std::vector<uint8_t> wmf = readWindowsMetafile(Stream, available - static_cast<Int64>(sizeof ph));
      inch = ph.Inch;
      mmWidth = MulDiv(ph.Right - ph.Left, 2540, inch);
      mmHeight = MulDiv(ph.Bottom - ph.Top, 2540, inch);
      METAFILEPICT mfp{MM_ANISOTROPIC, mmWidth, mmHeight, nullptr};
      ScreenDC screen;
      h = SetWinMetaFileBits(static_cast<UINT>(wmf.size()), wmf.data(), screen.dc, &mfp);
      enhanced = false;
    } else if (key == EMR_HEADER) {
      ENHMETAHEADER header;
      if (available < static_cast<Int64>(sizeof header)) invalidMetafile();
      Stream->ReadBuffer(&header, sizeof header);
      if (header.dSignature != ENHMETA_SIGNATURE || header.nBytes < sizeof header || header.nBytes > available)
        invalidMetafile();
      std::vector<uint8_t> emf(header.nBytes);
      std::memcpy(emf.data(), &header, sizeof header);
      Stream->ReadBuffer(emf.data() + sizeof header, static_cast<Integer>(header.nBytes - sizeof header));
      h = SetEnhMetaFileBits(header.nBytes, emf.data());
      mmWidth = header.rclFrame.right - header.rclFrame.left;
      mmHeight = header.rclFrame.bottom - header.rclFrame.top;
    } else {
      std::vector<uint8_t> wmf = readWindowsMetafile(Stream, available);
      ScreenDC screen;
      h = SetWinMetaFileBits(static_cast<UINT>(wmf.size()), wmf.data(), screen.dc, nullptr);
      enhanced = false;
      ENHMETAHEADER header{};
      if (h && GetEnhMetaFileHeader(h, sizeof header, &header)) {
        mmWidth = header.rclFrame.right - header.rclFrame.left;
        mmHeight = header.rclFrame.bottom - header.rclFrame.top;
      }
    }
    if (!h) invalidMetafile();
  } catch (const EStreamError&) {
    invalidMetafile();
  }
  adopt(h, false);
  mmWidth_ = mmWidth;
  mmHeight_ = mmHeight;
  inch_ = inch;
  enhanced_ = enhanced;
  Changed(this);
}

void TMetafile::SaveToStream(TStream* Stream) {
  if (!handle_) return;
  if (enhanced_) {
    UINT size = GetEnhMetaFileBits(handle_, 0, nullptr);
    std::vector<uint8_t> emf(size);
    GetEnhMetaFileBits(handle_, size, emf.data());
    Stream->WriteBuffer(emf.data(), static_cast<Integer>(size));
    return;
  }
  ScreenDC screen;
  UINT size = GetWinMetaFileBits(handle_, 0, nullptr, MM_ANISOTROPIC, screen.dc);
  if (size == 0) outOfResources();
  std::vector<uint8_t> wmf(size);
  GetWinMetaFileBits(handle_, size, wmf.data(), MM_ANISOTROPIC, screen.dc);
  PlaceableHeader ph{};
  ph.Key = kPlaceableKey;
  ph.Inch = inch_ ? inch_ : static_cast<Word>(screenLogPixelsX());
  ph.Right = static_cast<SHORT>(MulDiv(mmWidth_, ph.Inch, 2540));
  ph.Bottom = static_cast<SHORT>(MulDiv(mmHeight_, ph.Inch, 2540));
  ph.Checksum = placeableChecksum(ph);
  Stream->WriteBuffer(&ph, sizeof ph);
  Stream->WriteBuffer(wmf.data(), static_cast<Integer>(size));
}

void TMetafile::LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) {
  if (AFormat == CF_ENHMETAFILE) {
    HENHMETAFILE copy = CopyEnhMetaFileA(reinterpret_cast<HENHMETAFILE>(AData), nullptr);
    if (!copy) invalidMetafile();
    adopt(copy, true);
    enhanced_ = true;
  } else if (AFormat == CF_METAFILEPICT) {
    HGLOBAL global = reinterpret_cast<HGLOBAL>(AData);
    auto* mfp = static_cast<METAFILEPICT*>(GlobalLock(global));
    if (!mfp) invalidMetafile();
    UINT size = GetMetaFileBitsEx(mfp->hMF, 0, nullptr);
    std::vector<uint8_t> wmf(size);
    GetMetaFileBitsEx(mfp->hMF, size, wmf.data());
    METAFILEPICT pict = *mfp;
    GlobalUnlock(global);
    ScreenDC screen;
    HENHMETAFILE h = SetWinMetaFileBits(size, wmf.data(), screen.dc, &pict);
    if (!h) invalidMetafile();
    adopt(h, true);
    enhanced_ = false;
  } else {
    TGraphic::LoadFromClipboardFormat(AFormat, AData, APalette);
  }
  inch_ = 0;
  Changed(this);
}

void TMetafile::SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) {
  if (!handle_) invalidMetafile();
  AFormat = CF_ENHMETAFILE;
  AData = reinterpret_cast<THandle>(CopyEnhMetaFileA(handle_, nullptr));
  APalette = nullptr;
}

// =======================================================================================
// TMetafileCanvas
// =======================================================================================

RTL_IMPLEMENT_CLASS(TMetafileCanvas)

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice) : metafile_(AMetafile) {
  start(ReferenceDevice, "", "");
}

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const std::string& CreatedBy,
                                 const std::string& Description)
    : metafile_(AMetafile) {
  start(ReferenceDevice, CreatedBy, Description);
}

void TMetafileCanvas::start(HDC referenceDevice, const std::string& createdBy, const std::string& description) {
  ScreenDC screen;
  HDC ref = referenceDevice ? referenceDevice : screen.dc;
  RECT frame{0, 0, metafile_->mmWidth_, metafile_->mmHeight_};
  if (frame.right <= 0 || frame.bottom <= 0) {
    frame.right = GetDeviceCaps(ref, HORZSIZE) * 100;
    frame.bottom = GetDeviceCaps(ref, VERTSIZE) * 100;
  }
  std::string text;
  if (!createdBy.empty() || !description.empty()) {
    text = createdBy;
    text += '\0';
    text += description;
    text += '\0';
    text += '\0';
  }
  HDC dc = CreateEnhMetaFileA(ref, nullptr, &frame, text.empty() ? nullptr : text.data());
  if (!dc) outOfResources();
  SetHandle(dc);
}

TMetafileCanvas::~TMetafileCanvas() {
  HDC dc = HandleAllocated() ? Handle() : nullptr;
  SetHandle(nullptr);
  if (!dc) return;
  HENHMETAFILE h = CloseEnhMetaFile(dc);
  metafile_->adopt(h, true);
  metafile_->inch_ = 0;
  metafile_->Changed(metafile_);
}

// =======================================================================================
// TPicture and the registered formats
// =======================================================================================

namespace {

struct FileFormat {
  std::string Extension;  // without the dot
  std::string Description;
  TGraphicClass Class;
};

// Newest registration first.
std::vector<FileFormat>& fileFormats() {
  static std::vector<FileFormat> formats;
  return formats;
}

std::vector<std::pair<Word, TGraphicClass>>& clipboardFormats() {
  static std::vector<std::pair<Word, TGraphicClass>> formats;
  return formats;
}

std::string withoutDot(const std::string& ext) { return !ext.empty() && ext[0] == '.' ? ext.substr(1) : ext; }

TGraphic* newGraphic(TGraphicClass cls) {
  if (!cls || !cls->InheritsFrom(TGraphic::StaticClass())) throw EInvalidGraphic("Not a graphic class");
  TObject* obj = cls->CreateInstance();
  return static_cast<TGraphic*>(obj);
}

}  // namespace

RTL_IMPLEMENT_CLASS(TPicture)

TPicture::TPicture() = default;

TPicture::~TPicture() {
  if (graphic_) graphic_->Free();
}

void TPicture::setOwnedGraphic(TGraphic* Value) {
  if (graphic_ && graphic_ != Value) graphic_->Free();
  graphic_ = Value;
  if (graphic_) {
    graphic_->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
    graphic_->SetOnProgress(TProgressEvent(this, &TPicture::Progress));
  }
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == graphic_) return;
  TGraphic* copy = nullptr;
  if (Value) {
    copy = newGraphic(Value->ClassType());
    try {
      copy->Assign(Value);
    } catch (...) {
      copy->Free();
      throw;
    }
  }
  setOwnedGraphic(copy);
  Changed(this);
}

template <class G> G* TPicture::forceType() {
  if (auto* g = dynamic_cast<G*>(graphic_)) return g;
  G* converted = new G();
  if (graphic_ && !graphic_->Empty()) {
    try {
      converted->Assign(graphic_);
    } catch (...) {
      delete converted;
      throw;
    }
  }
  setOwnedGraphic(converted);
  Changed(this);
  return converted;
}

TBitmap* TPicture::Bitmap() { return forceType<TBitmap>(); }

TIcon* TPicture::Icon() { return forceType<TIcon>(); }

TMetafile* TPicture::Metafile() { return forceType<TMetafile>(); }

Integer TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }

Integer TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (graphic_ && graphic_->InheritsFrom(Dest->ClassType()))
    Dest->Assign(graphic_);
  else
    TPersistent::AssignTo(Dest);
}

void TPicture::DefineProperties(TFiler* Filer) {
  bool hasData = graphic_ != nullptr;
  if (auto* ancestor = dynamic_cast<TPicture*>(Filer->Ancestor())) {
    TGraphic* theirs = ancestor->graphic_;
    hasData = theirs ? !(graphic_ && graphic_->Equals(theirs)) : graphic_ != nullptr;
  }
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, hasData);
}

void TPicture::Changed(TObject*) {
  if (onChange_) onChange_(this);
}

void TPicture::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg) {
  if (onProgress_) onProgress_(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TPicture::LoadFromFile(const std::string& Filename) {
  std::string ext = withoutDot(ExtractFileExt(Filename));
  TGraphicClass cls = FileFormatClass(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  TGraphic* g = newGraphic(cls);
  try {
    g->SetOnProgress(TProgressEvent(this, &TPicture::Progress));
    g->LoadFromFile(Filename);
  } catch (...) {
    g->Free();
    throw;
  }
  setOwnedGraphic(g);
  Changed(this);
}

void TPicture::SaveToFile(const std::string& Filename) {
  if (graphic_) graphic_->SaveToFile(Filename);
}

void TPicture::LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) {
  TGraphicClass cls = nullptr;
  for (const auto& f : clipboardFormats())
    if (f.first == AFormat) {
      cls = f.second;
      break;
    }
  if (!cls) throw EInvalidGraphic("Unsupported clipboard format");
  TGraphic* g = newGraphic(cls);
  try {
    g->LoadFromClipboardFormat(AFormat, AData, APalette);
  } catch (...) {
    g->Free();
    throw;
  }
  setOwnedGraphic(g);
  Changed(this);
}

void TPicture::SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) {
  if (graphic_) graphic_->SaveToClipboardFormat(AFormat, AData, APalette);
}

bool TPicture::SupportsClipboardFormat(Word AFormat) {
  for (const auto& f : clipboardFormats())
    if (f.first == AFormat) return true;
  return false;
}

void TPicture::RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                  TGraphicClass AGraphicClass) {
  fileFormats().insert(fileFormats().begin(), FileFormat{withoutDot(AExtension), ADescription, AGraphicClass});
}

void TPicture::RegisterClipboardFormat(Word AFormat, TGraphicClass AGraphicClass) {
  clipboardFormats().insert(clipboardFormats().begin(), {AFormat, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AClass) {
  auto& files = fileFormats();
  files.erase(std::remove_if(files.begin(), files.end(),
                             [AClass](const FileFormat& f) { return f.Class->InheritsFrom(AClass); }),
              files.end());
  auto& clips = clipboardFormats();
  clips.erase(std::remove_if(clips.begin(), clips.end(), [AClass](const auto& f) { return f.second->InheritsFrom(AClass); }),
              clips.end());
}

TGraphicClass TPicture::FileFormatClass(const std::string& AExtension) {
  std::string ext = withoutDot(AExtension);
  for (const FileFormat& f : fileFormats())
    if (SameText(f.Extension, ext)) return f.Class;
  return nullptr;
}

void TPicture::ReadData(TStream* Stream) {
  Byte length = 0;
  Stream->ReadBuffer(&length, 1);
  std::string name(length, '\0');
  if (length) Stream->ReadBuffer(name.data(), length);
  if (name.empty()) {
    SetGraphic(nullptr);
    return;
  }
  TGraphicClass cls = nullptr;
  for (const FileFormat& f : fileFormats())
    if (SameText(f.Class->ClassName(), name)) {
      cls = f.Class;
      break;
    }
  if (!cls) cls = GetClass(name);
  if (!cls || !cls->InheritsFrom(TGraphic::StaticClass())) throw EClassNotFound("Class " + name + " not found");
  TGraphic* g = newGraphic(cls);
  try {
    g->ReadData(Stream);
  } catch (...) {
    g->Free();
    throw;
  }
  setOwnedGraphic(g);
  Changed(this);
}

void TPicture::WriteData(TStream* Stream) {
  std::string name = graphic_ ? graphic_->ClassName() : std::string();
  Byte length = static_cast<Byte>(std::min<size_t>(name.size(), 255));
  Stream->WriteBuffer(&length, 1);
  if (length) Stream->WriteBuffer(name.data(), length);
  if (graphic_) graphic_->WriteData(Stream);
}

std::string GraphicFilter(TGraphicClass GraphicClass) {
  std::string all, parts;
  for (const FileFormat& f : fileFormats()) {
    if (!f.Class->InheritsFrom(GraphicClass)) continue;
    if (!all.empty()) all += ';';
    all += "*." + f.Extension;
    parts += "|" + f.Description + " (*." + f.Extension + ")|*." + f.Extension;
  }
  return "All (" + all + ")|" + all + parts;
}

std::string GraphicExtension(TGraphicClass GraphicClass) {
  for (const FileFormat& f : fileFormats())
    if (f.Class == GraphicClass) return f.Extension;
  return "";
}

std::string GraphicFileMask(TGraphicClass GraphicClass) {
  std::string mask;
  for (const FileFormat& f : fileFormats()) {
    if (!f.Class->InheritsFrom(GraphicClass)) continue;
    if (!mask.empty()) mask += ';';
    mask += "*." + f.Extension;
  }
  return mask;
}

// =======================================================================================
// Helpers
// =======================================================================================

namespace {
struct PatternBitmap {
  TColor Bk;
  TColor Fg;
  TBitmap* Bitmap;
};
std::vector<PatternBitmap>& patternBitmaps() {
  static std::vector<PatternBitmap> patterns;
  return patterns;
}
}  // namespace

TBitmap* AllocPatternBitmap(TColor BkColor, TColor FgColor) {
  for (const PatternBitmap& p : patternBitmaps())
    if (p.Bk == BkColor && p.Fg == FgColor) return p.Bitmap;
  auto* b = new TBitmap();
  b->SetSize(8, 8);
  TCanvas* c = b->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(BkColor);
  c->FillRect(Rect(0, 0, 8, 8));
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      if ((x + y) % 2 == 0) c->SetPixels(x, y, FgColor);
  patternBitmaps().push_back({BkColor, FgColor, b});
  return b;
}

HPALETTE CopyPalette(HPALETTE Palette) {
  if (!Palette) return nullptr;
  UINT count = GetPaletteEntries(Palette, 0, 0, nullptr);
  if (count == 0) return nullptr;
  std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(count);
  GetPaletteEntries(Palette, 0, count, lp->palPalEntry);
  return CreatePalette(lp);
}

// =======================================================================================
// Unit start and end
// =======================================================================================

namespace GraphicsUnit {

void Initialize() {
  // Stored forms write colours and charsets by name.
  RegisterIntegerConsts(TypeInfo<TColor>(), IdentToColor, ColorToIdent);
  RegisterIntegerConsts(TypeInfo<TFontCharset>(), IdentToCharset, CharsetToIdent);
  // Registered oldest first, so the list (newest first) reads bmp, ico, emf, wmf.
  TPicture::RegisterFileFormat("wmf", "Metafiles", TMetafile::StaticClass());
  TPicture::RegisterFileFormat("emf", "Enhanced Metafiles", TMetafile::StaticClass());
  TPicture::RegisterFileFormat("ico", "Icons", TIcon::StaticClass());
  TPicture::RegisterFileFormat("bmp", "Bitmaps", TBitmap::StaticClass());
  TPicture::RegisterClipboardFormat(CF_METAFILEPICT, TMetafile::StaticClass());
  TPicture::RegisterClipboardFormat(CF_ENHMETAFILE, TMetafile::StaticClass());
  TPicture::RegisterClipboardFormat(CF_DIB, TBitmap::StaticClass());
  TPicture::RegisterClipboardFormat(CF_BITMAP, TBitmap::StaticClass());
}

void Finalize() {
  for (PatternBitmap& p : patternBitmaps()) delete p.Bitmap;
  patternBitmaps().clear();
  fileFormats().clear();
  clipboardFormats().clear();
}

}  // namespace GraphicsUnit
