#include "platform/gui/Graphics.h"

#include <windows.h>

#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "GuiTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

namespace {

// Counts the events it is wired to.
class EventCounter : public TObject {
public:
  int changes = 0;
  int changings = 0;
  void Change(TObject*) { ++changes; }
  void Changing(TObject*) { ++changings; }
  TNotifyEvent onChange() { return TNotifyEvent(this, &EventCounter::Change); }
  TNotifyEvent onChanging() { return TNotifyEvent(this, &EventCounter::Changing); }
};

LOGFONTA logFontOf(HFONT h) {
  LOGFONTA lf{};
  GetObjectA(h, sizeof lf, &lf);
  return lf;
}

// Bytes of a memory stream.
std::vector<uint8_t> bytesOf(TMemoryStream& s) {
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

}  // namespace

// =======================================================================================
// Colours
// =======================================================================================

TEST(GraphicsColors, ColorToRGBResolvesSystemColorsAndKeepsOtherValues) {
  struct Case {
    TColor color;
    uint32_t expected;
  } cases[] = {
      {clBtnFace, GetSysColor(COLOR_BTNFACE)},   {clWindowText, GetSysColor(COLOR_WINDOWTEXT)},
      {clHighlight, GetSysColor(COLOR_HIGHLIGHT)}, {clInfoBk, GetSysColor(COLOR_INFOBK)},
      {clMenuBar, GetSysColor(COLOR_MENUBAR)},   {clRed, 0x0000FF},
      {clNone, 0x1FFFFFFF},                      {clDefault, 0x20000000},
      {TColor(0x020000FF), 0x020000FF},
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<uint32_t>(ColorToRGB(c.color)), c.expected) << ColorToString(c.color);
  // The system colours are distinct values here, so a wrong index would show.
  EXPECT_NE(ColorToRGB(clBtnFace), ColorToRGB(clWindowText));
}

TEST(GraphicsColors, MarkerAndSystemColorValuesAreTheStoredOnes) {
  EXPECT_EQ(static_cast<uint32_t>(clNone), 0x1FFFFFFFu);
  EXPECT_EQ(static_cast<uint32_t>(clDefault), 0x20000000u);
  EXPECT_EQ(static_cast<uint32_t>(clScrollBar), 0x80000000u);
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<uint32_t>(clInfoBk), 0x80000018u);
  EXPECT_EQ(static_cast<uint32_t>(clMenuBar), 0x8000001Eu);
  EXPECT_EQ(static_cast<uint32_t>(clMoneyGreen), 0xC0DCC0u);
}

TEST(GraphicsColors, ColorToStringNamesKnownColorsAndWritesHexOtherwise) {
  struct Case {
    TColor color;
    const char* text;
  } cases[] = {{clBtnFace, "clBtnFace"},   {clRed, "clRed"},         {clSilver, "clSilver"},
               {clNone, "clNone"},         {clDefault, "clDefault"}, {TColor(0x123456), "$00123456"},
               {TColor(-2), "$FFFFFFFE"}};
  for (const Case& c : cases) EXPECT_EQ(ColorToString(c.color), c.text);
}

TEST(GraphicsColors, StringToColorAcceptsNamesHexAndDecimal) {
  EXPECT_EQ(StringToColor("clWindow"), clWindow);
  EXPECT_EQ(StringToColor("CLWINDOW"), clWindow) << "names match without regard to case";
  EXPECT_EQ(StringToColor("$00FF0000"), clBlue);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_THROW(StringToColor("clNotAColour"), EConvertError);
}

TEST(GraphicsColors, ColorNamesRoundTripAndAreListedOnce) {
  std::vector<std::string> names;
  GetColorValues([&](const std::string& n) { names.push_back(n); });
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "clBlack");
  std::set<std::string> seen;
  for (const std::string& name : names) {
    EXPECT_TRUE(seen.insert(name).second) << name << " listed twice";
    Integer value = 0;
    ASSERT_TRUE(IdentToColor(name, value)) << name;
    std::string back;
    ASSERT_TRUE(ColorToIdent(value, back)) << name;
    EXPECT_EQ(back, name) << "value " << value << " names another colour";
  }
  std::string ident;
  EXPECT_FALSE(ColorToIdent(0x123456, ident));
}

TEST(GraphicsColors, CharsetNamesRoundTrip) {
  std::vector<std::string> names;
  GetCharsetValues([&](const std::string& n) { names.push_back(n); });
  for (const std::string& name : names) {
    Integer value = -1;
    ASSERT_TRUE(IdentToCharset(name, value)) << name;
    std::string back;
    ASSERT_TRUE(CharsetToIdent(value, back)) << name;
    EXPECT_EQ(back, name);
  }
  Integer value = -1;
  EXPECT_TRUE(IdentToCharset("DEFAULT_CHARSET", value));
  EXPECT_EQ(value, DEFAULT_CHARSET);
}

TEST(GraphicsColors, ColourAndCharsetNamesAreRegisteredForStoredForms) {
  TIdentToInt toColor = FindIdentToInt(TypeInfo<TColor>());
  ASSERT_TRUE(toColor);
  Integer value = 0;
  EXPECT_TRUE(toColor("clBtnFace", value));
  EXPECT_EQ(value, clBtnFace);
  TIntToIdent toCharset = FindIntToIdent(TypeInfo<TFontCharset>());
  ASSERT_TRUE(toCharset);
  std::string name;
  EXPECT_TRUE(toCharset(DEFAULT_CHARSET, name));
  EXPECT_EQ(name, "DEFAULT_CHARSET");
}

// =======================================================================================
// Fonts, pens and brushes
// =======================================================================================

TEST(GraphicsFont, DefaultsToMsSansSerifEightPoint) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.PixelsPerInch(), 96);
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Charset(), TFontCharset(DEFAULT_CHARSET));
  EXPECT_EQ(font.Color(), clWindowText);
  EXPECT_TRUE(font.Style().Empty());
  EXPECT_EQ(font.Pitch(), fpDefault);
}

TEST(GraphicsFont, NewFontsTakeTheScreensResolution) {
  // The resolution is read from the screen once; every font made afterwards still agrees
  // with a fresh reading.
  HDC dc = GetDC(nullptr);
  const Integer screenY = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  for (int i = 0; i < 3; ++i) {
    TFont font;
    EXPECT_EQ(font.PixelsPerInch(), screenY) << "font " << i;
    EXPECT_EQ(font.Height(), -MulDiv(8, screenY, 72)) << "font " << i;
  }
}

TEST(GraphicsFont, SizeAndHeightConvertAtPixelsPerInch) {
  struct Case {
    Integer ppi, size, height;
  } cases[] = {{96, 8, -11}, {96, 10, -13}, {96, 12, -16}, {96, 20, -27}, {120, 10, -17}, {72, 9, -9}};
  for (const Case& c : cases) {
    TFont font;
    font.SetPixelsPerInch(c.ppi);
    font.SetSize(c.size);
    EXPECT_EQ(font.Height(), c.height) << "size " << c.size << " at " << c.ppi << " ppi";
    font.SetHeight(c.height);
    EXPECT_EQ(font.Size(), c.size) << "height " << c.height << " at " << c.ppi << " ppi";
  }
}

TEST(GraphicsFont, HandleIsMadeOnceAndSharedByEqualFonts) {
  // An unusual height, so that no font alive elsewhere in the program (the screen's, a
  // form's) already shares the handle these two will get.
  TFont a, b;
  a.SetHeight(-37);
  b.SetHeight(-37);
  EXPECT_FALSE(a.HandleAllocated());
  HFONT h = a.Handle();
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(a.HandleAllocated());
  EXPECT_EQ(a.Handle(), h) << "the handle is cached";
  EXPECT_EQ(b.Handle(), h) << "equal fonts share one GDI font";

  a.SetStyle({fsBold});
  HFONT bold = a.Handle();
  EXPECT_NE(bold, h);
  EXPECT_EQ(logFontOf(bold).lfWeight, FW_BOLD);
  EXPECT_EQ(b.Handle(), h) << "the other font keeps its handle";
  EXPECT_EQ(logFontOf(h).lfWeight, FW_NORMAL) << "the shared handle is still alive";
}

TEST(GraphicsFont, HandleCarriesEveryAttribute) {
  TFont font;
  font.SetName("Arial");
  font.SetHeight(-20);
  font.SetStyle({fsItalic, fsUnderline, fsStrikeOut});
  font.SetCharset(TFontCharset(ANSI_CHARSET));
  font.SetPitch(fpVariable);
  font.SetOrientation(900);
  LOGFONTA lf = logFontOf(font.Handle());
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_TRUE(lf.lfStrikeOut);
  EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(lf.lfPitchAndFamily & 0x0F, VARIABLE_PITCH);
  EXPECT_EQ(lf.lfEscapement, 900);
}

TEST(GraphicsFont, ChangesNotifyOnlyWhenSomethingChanges) {
  TFont font;
  EventCounter counter;
  font.SetOnChange(counter.onChange());
  font.SetOnChanging(counter.onChanging());
  font.SetName("Arial");
  font.SetColor(clRed);
  font.SetSize(12);
  EXPECT_EQ(counter.changes, 3);
  EXPECT_EQ(counter.changings, 3);
  font.SetName("Arial");
  font.SetColor(clRed);
  font.SetSize(12);
  EXPECT_EQ(counter.changes, 3) << "setting the current value is no change";
}

TEST(GraphicsFont, SetHandleAdoptsTheFontAndReadsItsAttributes) {
  LOGFONTA lf{};
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = TRUE;
  lf.lfCharSet = ANSI_CHARSET;
  lstrcpyA(lf.lfFaceName, "Arial");
  HFONT h = CreateFontIndirectA(&lf);
  TFont font;
  font.SetHandle(h);
  EXPECT_EQ(font.Handle(), h);
  EXPECT_EQ(font.Name(), "Arial");
  EXPECT_EQ(font.Height(), -20);
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(font.Charset(), TFontCharset(ANSI_CHARSET));
  font.SetSize(30);
  EXPECT_NE(font.Handle(), h) << "a change makes a new font";
}

TEST(GraphicsFont, AssignCopiesAttributesAndKeepsPointSizeAcrossResolutions) {
  TFont source;
  source.SetName("Arial");
  source.SetSize(12);
  source.SetColor(clGreen);
  source.SetStyle({fsBold});
  TFont same;
  same.Assign(&source);
  EXPECT_EQ(same.Name(), "Arial");
  EXPECT_EQ(same.Height(), source.Height());
  EXPECT_EQ(same.Color(), clGreen);
  EXPECT_EQ(same.Style(), TFontStyles{fsBold});
  EXPECT_EQ(same.Handle(), source.Handle());

  TFont printer;
  printer.SetPixelsPerInch(300);
  printer.Assign(&source);
  EXPECT_EQ(printer.Size(), 12);
  EXPECT_EQ(printer.Height(), -50);

  TPen pen;
  EXPECT_THROW(same.Assign(&pen), EConvertError);
}

TEST(GraphicsFont, PublishedPropertiesHaveTheirStoredTypes) {
  TFont font;
  PPropInfo color = GetPropInfo(&font, "Color");
  ASSERT_NE(color, nullptr);
  EXPECT_EQ(color->PropType->Name, "TColor");
  PPropInfo charset = GetPropInfo(&font, "Charset");
  ASSERT_NE(charset, nullptr);
  EXPECT_EQ(charset->PropType->Name, "TFontCharset");
  SetOrdProp(&font, "Color", clBtnFace);
  EXPECT_EQ(font.Color(), clBtnFace);
  SetSetProp(&font, "Style", "fsBold,fsItalic");
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_FALSE(IsStoredProp(&font, "Size")) << "Height is stored, Size is derived";

  TPen pen;
  EXPECT_TRUE(IsDefaultPropValue(&pen, GetPropInfo(&pen, "Width")));
  pen.SetWidth(3);
  EXPECT_FALSE(IsDefaultPropValue(&pen, GetPropInfo(&pen, "Width")));
}

TEST(GraphicsPen, HandleFollowsColorWidthAndStyle) {
  TPen pen;
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(pen.Style(), psSolid);
  EXPECT_EQ(pen.Mode(), pmCopy);
  pen.SetColor(clBtnShadow);
  pen.SetWidth(3);
  pen.SetStyle(psInsideFrame);
  LOGPEN lp{};
  ASSERT_EQ(GetObjectA(pen.Handle(), sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnColor, GetSysColor(COLOR_BTNSHADOW)) << "system colours are resolved";
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_INSIDEFRAME));
  pen.SetStyle(psClear);
  GetObjectA(pen.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_NULL));
}

TEST(GraphicsBrush, HandleFollowsStyleAndColor) {
  TBrush brush;
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(brush.Style(), bsSolid);
  struct Case {
    TBrushStyle style;
    UINT lbStyle;
    ULONG_PTR hatch;
  } cases[] = {{bsSolid, BS_SOLID, 0},
               {bsClear, BS_NULL, 0},
               {bsHorizontal, BS_HATCHED, HS_HORIZONTAL},
               {bsBDiagonal, BS_HATCHED, HS_BDIAGONAL},
               {bsDiagCross, BS_HATCHED, HS_DIAGCROSS}};
  for (const Case& c : cases) {
    brush.SetStyle(c.style);
    brush.SetColor(clRed);
    brush.SetStyle(c.style);
    LOGBRUSH lb{};
    ASSERT_NE(GetObjectA(brush.Handle(), sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbStyle, c.lbStyle) << "style " << c.style;
    if (c.lbStyle == BS_HATCHED) {
      EXPECT_EQ(lb.lbHatch, c.hatch) << "style " << c.style;
      EXPECT_EQ(lb.lbColor, 0x0000FFu) << "style " << c.style;
    }
  }
}

TEST(GraphicsBrush, SettingColorOfClearBrushMakesItSolid) {
  TBrush brush;
  brush.SetStyle(bsClear);
  brush.SetColor(clYellow);
  EXPECT_EQ(brush.Style(), bsSolid);
  brush.SetStyle(bsCross);
  brush.SetColor(clRed);
  EXPECT_EQ(brush.Style(), bsCross) << "only a clear brush turns solid";
}

// =======================================================================================
// Canvas on a bitmap
// =======================================================================================

class CanvasOnBitmap : public ::testing::Test {
protected:
  void SetUp() override { makeWhite(bmp, 100, 60); }
  TCanvas* canvas() { return bmp.Canvas(); }
  // Pixels inside r that are not white, and whether any non-white pixel lies outside r.
  int inkInside(const TRect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += pixelOf(bmp, x, y) != 0xFFFFFF;
    return n;
  }
  int inkOutside(const TRect& r) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if (!(x >= r.left && x < r.right && y >= r.top && y < r.bottom)) n += pixelOf(bmp, x, y) != 0xFFFFFF;
    return n;
  }
  TBitmap bmp;
};

TEST_F(CanvasOnBitmap, FillRectPaintsTheBrushColourInsideTheRectOnly) {
  canvas()->Brush()->SetColor(clRed);
  canvas()->FillRect(Rect(10, 10, 30, 20));
  EXPECT_TRUE(PixelIs(bmp, 10, 10, 0x0000FF));
  EXPECT_TRUE(PixelIs(bmp, 29, 19, 0x0000FF));
  EXPECT_TRUE(PixelIs(bmp, 30, 19, 0xFFFFFF)) << "the right edge is outside";
  EXPECT_TRUE(PixelIs(bmp, 29, 20, 0xFFFFFF)) << "the bottom edge is outside";
  EXPECT_EQ(inkOutside(Rect(10, 10, 30, 20)), 0);

  canvas()->Brush()->SetColor(clBtnFace);
  canvas()->FillRect(Rect(0, 0, 5, 5));
  EXPECT_TRUE(PixelIs(bmp, 2, 2, GetSysColor(COLOR_BTNFACE)));

  canvas()->Brush()->SetStyle(bsClear);
  canvas()->FillRect(Rect(50, 40, 60, 50));
  EXPECT_TRUE(PixelIs(bmp, 55, 45, 0xFFFFFF)) << "a clear brush paints nothing";
}

TEST_F(CanvasOnBitmap, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  canvas()->Pen()->SetColor(clBlue);
  canvas()->Brush()->SetColor(clYellow);
  canvas()->Rectangle(10, 10, 40, 30);
  EXPECT_TRUE(PixelIs(bmp, 10, 10, 0xFF0000));
  EXPECT_TRUE(PixelIs(bmp, 39, 29, 0xFF0000));
  EXPECT_TRUE(PixelIs(bmp, 25, 10, 0xFF0000));
  EXPECT_TRUE(PixelIs(bmp, 20, 20, 0x00FFFF));
  EXPECT_TRUE(PixelIs(bmp, 40, 30, 0xFFFFFF));

  canvas()->Pen()->SetWidth(3);
  canvas()->Brush()->SetStyle(bsClear);
  canvas()->Rectangle(Rect(50, 10, 80, 40));
  EXPECT_TRUE(PixelIs(bmp, 51, 25, 0xFF0000)) << "a wider pen draws a thicker edge";
  EXPECT_TRUE(PixelIs(bmp, 65, 25, 0xFFFFFF)) << "a clear brush leaves the inside";
}

TEST_F(CanvasOnBitmap, LineToDrawsFromThePenPositionAndMovesIt) {
  canvas()->Pen()->SetColor(clRed);
  canvas()->MoveTo(0, 5);
  canvas()->LineTo(50, 5);
  for (int x = 0; x < 50; ++x) ASSERT_TRUE(PixelIs(bmp, x, 5, 0x0000FF));
  EXPECT_TRUE(PixelIs(bmp, 50, 5, 0xFFFFFF)) << "the end point is not drawn";
  TPoint p = canvas()->PenPos();
  EXPECT_EQ(p.x, 50);
  EXPECT_EQ(p.y, 5);
  canvas()->LineTo(50, 30);
  EXPECT_TRUE(PixelIs(bmp, 50, 20, 0x0000FF)) << "the next line starts where the last ended";
  canvas()->Polyline({Point(60, 50), Point(90, 50), Point(90, 55)});
  EXPECT_TRUE(PixelIs(bmp, 75, 50, 0x0000FF));
  EXPECT_TRUE(PixelIs(bmp, 90, 52, 0x0000FF));
}

TEST_F(CanvasOnBitmap, PenModesCombineWithTheBackground) {
  canvas()->Brush()->SetColor(clRed);
  canvas()->FillRect(Rect(0, 0, 100, 10));
  canvas()->Pen()->SetMode(pmNot);
  canvas()->MoveTo(0, 5);
  canvas()->LineTo(100, 5);
  EXPECT_TRUE(PixelIs(bmp, 10, 5, 0xFFFF00)) << "pmNot inverts red to aqua";
  canvas()->Pen()->SetMode(pmXor);
  canvas()->Pen()->SetColor(clWhite);
  canvas()->MoveTo(0, 2);
  canvas()->LineTo(100, 2);
  canvas()->MoveTo(0, 2);
  canvas()->LineTo(100, 2);
  EXPECT_TRUE(PixelIs(bmp, 10, 2, 0x0000FF)) << "xor twice restores";
}

TEST_F(CanvasOnBitmap, ShapesFillTheirInside) {
  canvas()->Pen()->SetColor(clBlack);
  canvas()->Brush()->SetColor(clLime);
  canvas()->Polygon({Point(10, 10), Point(40, 10), Point(10, 40)});
  EXPECT_TRUE(PixelIs(bmp, 15, 15, 0x00FF00));
  EXPECT_TRUE(PixelIs(bmp, 35, 35, 0xFFFFFF)) << "outside the triangle";
  canvas()->Ellipse(50, 10, 90, 50);
  EXPECT_TRUE(PixelIs(bmp, 70, 30, 0x00FF00));
  EXPECT_TRUE(PixelIs(bmp, 51, 11, 0xFFFFFF)) << "the ellipse's corner is outside it";
}

TEST_F(CanvasOnBitmap, FloodFillFillsSurfaceOrUpToBorder) {
  canvas()->Pen()->SetColor(clRed);
  canvas()->Brush()->SetStyle(bsClear);
  canvas()->Rectangle(10, 10, 30, 30);
  canvas()->Brush()->SetColor(clBlue);
  canvas()->FloodFill(20, 20, clRed, fsBorder);
  EXPECT_TRUE(PixelIs(bmp, 20, 20, 0xFF0000));
  EXPECT_TRUE(PixelIs(bmp, 10, 20, 0x0000FF)) << "the border stays";
  EXPECT_TRUE(PixelIs(bmp, 5, 5, 0xFFFFFF)) << "outside the border stays";
  canvas()->Brush()->SetColor(clYellow);
  canvas()->FloodFill(5, 5, clWhite, fsSurface);
  EXPECT_TRUE(PixelIs(bmp, 5, 5, 0x00FFFF));
  EXPECT_TRUE(PixelIs(bmp, 20, 20, 0xFF0000)) << "a surface fill stops at other colours";
}

TEST_F(CanvasOnBitmap, PixelsReadWhatWasWritten) {
  canvas()->SetPixels(3, 4, clFuchsia);
  canvas()->SetPixels(5, 4, clBtnShadow);
  EXPECT_EQ(static_cast<uint32_t>(canvas()->Pixels(3, 4)), 0xFF00FFu);
  EXPECT_EQ(static_cast<uint32_t>(canvas()->Pixels(5, 4)), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(static_cast<uint32_t>(canvas()->Pixels(4, 4)), 0xFFFFFFu);
}

TEST_F(CanvasOnBitmap, TextOutDrawsInTheFontColourWithinItsExtent) {
  canvas()->Font()->SetColor(clBlack);
  canvas()->Brush()->SetStyle(bsClear);
  TSize extent = canvas()->TextExtent("Hello");
  canvas()->TextOut(5, 5, "Hello");
  TRect box = Rect(5, 5, 5 + extent.cx, 5 + extent.cy);
  EXPECT_GT(inkInside(box), 15) << "glyphs are drawn";
  EXPECT_EQ(inkOutside(box), 0) << "nothing is drawn outside the text's extent";
  EXPECT_TRUE(PixelIs(bmp, box.right - 1, box.top, 0xFFFFFF)) << "a clear brush leaves the background";
  TPoint p = canvas()->PenPos();
  EXPECT_EQ(p.x, 5 + extent.cx) << "the pen ends after the text";

  canvas()->Brush()->SetColor(clYellow);
  canvas()->TextOut(5, 30, "Hi");
  TSize hi = canvas()->TextExtent("Hi");
  EXPECT_TRUE(PixelIs(bmp, 5 + hi.cx - 1, 30, 0x00FFFF)) << "a solid brush paints the text background";
}

TEST_F(CanvasOnBitmap, TextRectClipsToTheRect) {
  canvas()->Font()->SetColor(clBlack);
  canvas()->Brush()->SetColor(clAqua);
  canvas()->TextRect(Rect(10, 10, 30, 30), 10, 10, "WWWWWWWWWW");
  EXPECT_EQ(inkOutside(Rect(10, 10, 30, 30)), 0) << "the text is clipped";
  EXPECT_TRUE(PixelIs(bmp, 29, 29, 0xFFFF00)) << "the rect is filled with the brush";
  int black = 0;
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 30; ++x) black += pixelOf(bmp, x, y) == 0;
  EXPECT_GT(black, 10);
}

TEST(GraphicsCanvasText, TextExtentIsSaneForBitmapAndOutlineFonts) {
  TBitmap bmp;  // an empty bitmap's canvas still measures
  TCanvas* c = bmp.Canvas();
  for (const char* face : {"MS Sans Serif", "Arial"}) {
    c->Font()->SetName(face);
    c->Font()->SetSize(8);
    TSize narrow = c->TextExtent("Hello World");
    EXPECT_GE(narrow.cy, 10) << face;
    EXPECT_LE(narrow.cy, 18) << face;
    EXPECT_GE(narrow.cx, 40) << face;
    EXPECT_LE(narrow.cx, 90) << face;
    EXPECT_GT(c->TextWidth("WWWW"), c->TextWidth("iiii")) << face << " is proportional";
    EXPECT_EQ(c->TextWidth(""), 0) << face;
    c->Font()->SetSize(20);
    TSize large = c->TextExtent("Hello World");
    EXPECT_GE(large.cy, 24) << face;
    EXPECT_LE(large.cy, 40) << face;
    EXPECT_GT(large.cx, narrow.cx * 3 / 2) << face;
    EXPECT_EQ(c->TextHeight("Hello World"), large.cy) << face;
  }
}

TEST_F(CanvasOnBitmap, CopyRectCopiesAndStretches) {
  TBitmap source;
  makeWhite(source, 10, 10);
  source.Canvas()->Brush()->SetColor(clRed);
  source.Canvas()->FillRect(Rect(0, 0, 5, 10));
  canvas()->CopyRect(Rect(0, 0, 20, 20), source.Canvas(), Rect(0, 0, 10, 10));
  EXPECT_TRUE(PixelIs(bmp, 9, 19, 0x0000FF)) << "left half red, doubled";
  EXPECT_TRUE(PixelIs(bmp, 10, 0, 0xFFFFFF));
  EXPECT_TRUE(PixelIs(bmp, 19, 19, 0xFFFFFF));
  canvas()->SetCopyMode(cmNotSrcCopy);
  canvas()->CopyRect(Rect(30, 0, 40, 10), source.Canvas(), Rect(0, 0, 10, 10));
  EXPECT_TRUE(PixelIs(bmp, 31, 1, 0xFFFF00)) << "the copy mode applies";
}

TEST_F(CanvasOnBitmap, BrushCopyPaintsTheBrushWhereTheBitmapHasTheColour) {
  TBitmap source;
  makeWhite(source, 10, 10);
  source.Canvas()->Brush()->SetColor(clRed);
  source.Canvas()->FillRect(Rect(0, 0, 5, 10));
  canvas()->Brush()->SetColor(clGreen);
  canvas()->BrushCopy(Rect(0, 0, 10, 10), &source, Rect(0, 0, 10, 10), clWhite);
  EXPECT_TRUE(PixelIs(bmp, 2, 2, 0x0000FF)) << "other colours are copied";
  EXPECT_TRUE(PixelIs(bmp, 7, 7, 0x008000)) << "the colour is replaced by the brush";
}

TEST_F(CanvasOnBitmap, DrawingFiresCanvasAndBitmapEvents) {
  EventCounter canvasEvents, bitmapEvents;
  canvas()->SetOnChange(canvasEvents.onChange());
  canvas()->SetOnChanging(canvasEvents.onChanging());
  TCanvas* c = canvas();
  c->FillRect(Rect(0, 0, 5, 5));
  c->TextOut(0, 0, "x");
  EXPECT_EQ(canvasEvents.changings, 2);
  EXPECT_EQ(canvasEvents.changes, 2);
  // The bitmap's own canvas reports to the bitmap (a fresh one, whose wiring is untouched).
  TBitmap other;
  makeWhite(other, 10, 10);
  other.SetOnChange(bitmapEvents.onChange());
  other.Canvas()->LineTo(5, 5);
  EXPECT_EQ(bitmapEvents.changes, 1);
  EXPECT_TRUE(other.Modified());
}

TEST(GraphicsCanvas, CanvasWithoutDeviceContextRefusesToDraw) {
  TCanvas canvas;
  try {
    canvas.FillRect(Rect(0, 0, 1, 1));
    FAIL() << "expected EInvalidOperation";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
  }
}

TEST(GraphicsCanvas, SelectsObjectsOnDemandAndGivesThemBackWhenTheyChangeOrTheDCGoes) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateCompatibleBitmap(GetDC(nullptr), 20, 20);
  HGDIOBJ oldBitmap = SelectObject(dc, target);
  HGDIOBJ stockFont = GetCurrentObject(dc, OBJ_FONT);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    EXPECT_EQ(canvas.State(), TCanvasStates{csHandleValid}) << "nothing is selected before it is needed";
    canvas.TextOut(0, 0, "x");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font()->Handle());
    EXPECT_TRUE(canvas.State().Contains(csFontValid));

    HFONT before = canvas.Font()->Handle();
    canvas.Font()->SetSize(20);
    EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), before) << "a changing font is deselected first";
    EXPECT_FALSE(canvas.State().Contains(csFontValid));
    canvas.TextOut(0, 0, "x");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), canvas.Font()->Handle());

    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush()->Handle());

    canvas.SetHandle(nullptr);
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), stockFont) << "the DC gets its stock font back";
    EXPECT_NE(GetCurrentObject(dc, OBJ_BRUSH), canvas.Brush()->Handle());
  }
  SelectObject(dc, oldBitmap);
  DeleteObject(target);
  DeleteDC(dc);
}

namespace {
DWORD WINAPI tryLockFromOtherThread(LPVOID param) {
  auto* canvas = static_cast<TCanvas*>(param);
  if (!canvas->TryLock()) return 0;
  canvas->Unlock();
  return 1;
}
}  // namespace

TEST(GraphicsCanvas, LockExcludesOtherThreadsAndCountsNesting) {
  TCanvas canvas;
  canvas.Lock();
  canvas.Lock();
  EXPECT_EQ(canvas.LockCount(), 2);
  HANDLE thread = CreateThread(nullptr, 0, tryLockFromOtherThread, &canvas, 0, nullptr);
  WaitForSingleObject(thread, 5000);
  DWORD locked = 2;
  GetExitCodeThread(thread, &locked);
  CloseHandle(thread);
  EXPECT_EQ(locked, 0u) << "another thread cannot take a locked canvas";
  canvas.Unlock();
  canvas.Unlock();
  EXPECT_EQ(canvas.LockCount(), 0);
  thread = CreateThread(nullptr, 0, tryLockFromOtherThread, &canvas, 0, nullptr);
  WaitForSingleObject(thread, 5000);
  GetExitCodeThread(thread, &locked);
  CloseHandle(thread);
  EXPECT_EQ(locked, 1u) << "an unlocked canvas can be taken";
}

// =======================================================================================
// Bitmaps
// =======================================================================================

TEST(GraphicsBitmap, NewAreasAreWhiteAndResizingKeepsTheTopLeft) {
  for (TPixelFormat format : {pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap bmp;
    bmp.SetPixelFormat(format);
    bmp.SetSize(10, 10);
    EXPECT_TRUE(PixelIs(bmp, 5, 5, 0xFFFFFF)) << "format " << format;
    bmp.Canvas()->Brush()->SetColor(clBlack);
    bmp.Canvas()->FillRect(Rect(0, 0, 10, 10));
    bmp.SetSize(20, 15);
    EXPECT_EQ(bmp.PixelFormat(), format);
    EXPECT_TRUE(PixelIs(bmp, 9, 9, 0x000000)) << "format " << format;
    EXPECT_TRUE(PixelIs(bmp, 15, 12, 0xFFFFFF)) << "format " << format;
  }
}

TEST(GraphicsBitmap, PixelFormatConversionKeepsColoursTheFormatCanHold) {
  struct Case {
    TPixelFormat format;
    TBitmapHandleType type;
    uint32_t red;  // what pure red becomes
  } cases[] = {{pfDevice, bmDDB, 0x0000FF}, {pf4bit, bmDIB, 0x0000FF},  {pf8bit, bmDIB, 0x0000FF},
               {pf15bit, bmDIB, 0x0000FF},  {pf16bit, bmDIB, 0x0000FF}, {pf24bit, bmDIB, 0x0000FF},
               {pf32bit, bmDIB, 0x0000FF},  {pf1bit, bmDIB, 0x000000}};
  for (const Case& c : cases) {
    TBitmap bmp;
    makeWhite(bmp, 8, 8);
    bmp.Canvas()->SetPixels(2, 2, clRed);
    bmp.SetPixelFormat(c.format);
    EXPECT_EQ(bmp.PixelFormat(), c.format);
    EXPECT_EQ(bmp.HandleType(), c.type) << "format " << c.format;
    EXPECT_TRUE(PixelIs(bmp, 2, 2, c.red)) << "format " << c.format;
    EXPECT_TRUE(PixelIs(bmp, 5, 5, 0xFFFFFF)) << "format " << c.format;
  }
}

TEST(GraphicsBitmap, MonochromeTurnsTheImageBlackAndWhite) {
  TBitmap bmp;
  makeWhite(bmp, 8, 8);
  bmp.Canvas()->SetPixels(1, 1, clRed);
  bmp.SetMonochrome(true);
  EXPECT_TRUE(bmp.Monochrome());
  EXPECT_EQ(bmp.HandleType(), bmDDB);
  EXPECT_TRUE(PixelIs(bmp, 1, 1, 0x000000));
  EXPECT_TRUE(PixelIs(bmp, 4, 4, 0xFFFFFF));
  BITMAP info{};
  GetObjectA(bmp.Handle(), sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
}

TEST(GraphicsBitmap, ScanLineWritesShowInPixelsAndRowsRunBottomUp) {
  TBitmap bmp;
  makeWhite(bmp, 16, 8, pf24bit);
  auto* row3 = static_cast<uint8_t*>(bmp.ScanLine(3));
  row3[5 * 3] = 0x11;      // blue
  row3[5 * 3 + 1] = 0x22;  // green
  row3[5 * 3 + 2] = 0x33;  // red
  EXPECT_TRUE(PixelIs(bmp, 5, 3, 0x112233));
  auto* row0 = static_cast<uint8_t*>(bmp.ScanLine(0));
  auto* row1 = static_cast<uint8_t*>(bmp.ScanLine(1));
  EXPECT_EQ(row0 - row1, 48) << "rows are bottom-up, 48 bytes apart";

  TBitmap wide;
  makeWhite(wide, 4, 4, pf32bit);
  static_cast<uint32_t*>(wide.ScanLine(2))[1] = 0x00804020;  // 0x00RRGGBB
  EXPECT_TRUE(PixelIs(wide, 1, 2, 0x204080));

  EXPECT_THROW(bmp.ScanLine(8), EInvalidGraphicOperation);
  EXPECT_THROW(bmp.ScanLine(-1), EInvalidGraphicOperation);

  TBitmap device;
  makeWhite(device, 4, 4, pfDevice);
  ASSERT_NE(device.ScanLine(0), nullptr);
  EXPECT_EQ(device.HandleType(), bmDIB) << "scan lines need a DIB";
}

TEST(GraphicsBitmap, SavedBmpLoadsBackWithSamePixelsAndFormat) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice}) {
    TBitmap bmp;
    makeWhite(bmp, 13, 7, pf24bit);
    bmp.Canvas()->Brush()->SetColor(clBlack);
    bmp.Canvas()->FillRect(Rect(0, 0, 6, 3));
    bmp.Canvas()->SetPixels(12, 6, clBlack);
    if (format != pf1bit) bmp.Canvas()->SetPixels(8, 4, clRed);
    bmp.SetPixelFormat(format);
    TMemoryStream stream;
    bmp.SaveToStream(&stream);
    std::vector<uint8_t> bytes = bytesOf(stream);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    uint32_t fileSize = bytes[2] | bytes[3] << 8 | bytes[4] << 16 | bytes[5] << 24;
    EXPECT_EQ(fileSize, bytes.size()) << "format " << format;

    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(stream.Position(), stream.Size()) << "the whole bitmap is read";
    EXPECT_EQ(loaded.Width(), 13);
    EXPECT_EQ(loaded.Height(), 7);
    EXPECT_EQ(loaded.PixelFormat(), format == pfDevice ? pf24bit : format) << "format " << format;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(pixelOf(loaded, x, y), pixelOf(bmp, x, y)) << format << " at " << x << "," << y;
  }
}

TEST(GraphicsBitmap, LoadsBitmapsOfOtherWriters) {
  // 8-bit, run-length encoded, written by another program: red left half, blue right half.
  TBitmap rle;
  rle.LoadFromFile(FixturePath("gui/rle8.bmp"));
  EXPECT_EQ(rle.Width(), 24);
  EXPECT_EQ(rle.Height(), 12);
  EXPECT_EQ(rle.PixelFormat(), pf8bit);
  EXPECT_TRUE(PixelIs(rle, 3, 3, 0x0000FF));
  EXPECT_TRUE(PixelIs(rle, 20, 10, 0xFF0000));

  // A top-down 24-bit bitmap made by hand: 2 x 2, top row red/green, bottom row blue/white.
  std::vector<uint8_t> file = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                               40, 0, 0, 0, 2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,  // width 2, height -2
                               1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0, 0, 255, 0, 255, 0, 0, 0,          // top row: red, green, padding
                               255, 0, 0, 255, 255, 255, 0, 0};     // bottom row: blue, white, padding
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<Integer>(file.size()));
  stream.SetPosition(0);
  TBitmap topDown;
  topDown.LoadFromStream(&stream);
  EXPECT_TRUE(PixelIs(topDown, 0, 0, 0x0000FF));
  EXPECT_TRUE(PixelIs(topDown, 1, 0, 0x00FF00));
  EXPECT_TRUE(PixelIs(topDown, 0, 1, 0xFF0000));
  EXPECT_TRUE(PixelIs(topDown, 1, 1, 0xFFFFFF));
  EXPECT_EQ(static_cast<uint8_t*>(topDown.ScanLine(0))[2], 255) << "rows are stored bottom-up after loading";
}

TEST(GraphicsBitmap, CorruptBmpStreamsRaiseEInvalidGraphic) {
  TBitmap good;
  makeWhite(good, 5, 5);
  TMemoryStream original;
  good.SaveToStream(&original);
  std::vector<uint8_t> bytes = bytesOf(original);

  auto withByte = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> b = bytes;
    b[at] = value;
    return b;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  } cases[] = {
      {"wrong signature", withByte(0, 'X')},
      {"file header only", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 14)},
      {"pixels cut short", std::vector<uint8_t>(bytes.begin(), bytes.end() - 10)},
      {"unknown header size", withByte(14, 41)},
      {"zero width", withByte(18, 0)},
      {"7 bits per pixel", withByte(28, 7)},
      {"unknown compression", withByte(30, 9)},
      {"pixel offset past the end", withByte(13, 0x40)},
      {"text", {'n', 'o', 't', ' ', 'a', ' ', 'b', 'i', 't', 'm', 'a', 'p', '!', '!', '!', '!', '!', '!'}},
  };
  for (const Case& c : cases) {
    TMemoryStream stream;
    stream.WriteBuffer(c.data.data(), static_cast<Integer>(c.data.size()));
    stream.SetPosition(0);
    TBitmap bmp;
    try {
      bmp.LoadFromStream(&stream);
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "Bitmap image is not valid") << c.what;
    }
  }
}

TEST(GraphicsBitmap, EmptyStreamGivesEmptyBitmapAndEmptyBitmapWritesNothing) {
  TBitmap bmp;
  makeWhite(bmp, 4, 4);
  TMemoryStream empty;
  bmp.LoadFromStream(&empty);
  EXPECT_TRUE(bmp.Empty());
  TMemoryStream out;
  bmp.SaveToStream(&out);
  EXPECT_EQ(out.Size(), 0);
}

TEST(GraphicsBitmap, LoadingStopsAtTheEndOfTheBitmap) {
  TBitmap red, blue;
  makeWhite(red, 3, 3);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 3, 3));
  makeWhite(blue, 5, 2, pf8bit);
  blue.Canvas()->Brush()->SetColor(clBlue);
  blue.Canvas()->FillRect(Rect(0, 0, 5, 2));
  TMemoryStream stream;
  red.SaveToStream(&stream);
  blue.SaveToStream(&stream);
  stream.SetPosition(0);
  TBitmap first, second;
  first.LoadFromStream(&stream);
  second.LoadFromStream(&stream);
  EXPECT_EQ(first.Width(), 3);
  EXPECT_TRUE(PixelIs(first, 1, 1, 0x0000FF));
  EXPECT_EQ(second.Width(), 5);
  EXPECT_TRUE(PixelIs(second, 4, 1, 0xFF0000));
}

TEST(GraphicsBitmap, DataWithSizePrefixRoundTrips) {
  TBitmap bmp;
  makeWhite(bmp, 6, 6);
  bmp.Canvas()->SetPixels(2, 3, clTeal);
  TMemoryStream stream;
  bmp.WriteData(&stream);
  Integer marker = 0x7A7A7A7A;
  stream.WriteBuffer(&marker, 4);
  stream.SetPosition(0);
  TBitmap copy;
  copy.ReadData(&stream);
  Integer after = 0;
  stream.ReadBuffer(&after, 4);
  EXPECT_EQ(after, marker) << "ReadData consumes exactly the data written";
  EXPECT_TRUE(PixelIs(copy, 2, 3, 0x808000));
}

class TransparentDraw : public ::testing::Test {
protected:
  // A 10 x 10 sprite: fuchsia background, blue square at (3,3)-(7,7).
  void SetUp() override {
    makeWhite(sprite, 10, 10);
    sprite.Canvas()->Brush()->SetColor(clFuchsia);
    sprite.Canvas()->FillRect(Rect(0, 0, 10, 10));
    sprite.Canvas()->Brush()->SetColor(clBlue);
    sprite.Canvas()->FillRect(Rect(3, 3, 7, 7));
    makeWhite(scene, 30, 30);
    scene.Canvas()->Brush()->SetColor(clGreen);
    scene.Canvas()->FillRect(Rect(0, 0, 30, 30));
  }
  TBitmap sprite, scene;
};

TEST_F(TransparentDraw, AutoTransparentColourIsTheBottomLeftPixel) {
  EXPECT_EQ(sprite.TransparentMode(), tmAuto);
  EXPECT_EQ(static_cast<uint32_t>(sprite.TransparentColor()), 0x02FF00FFu);
  sprite.SetTransparentColor(clBlue);
  EXPECT_EQ(sprite.TransparentMode(), tmFixed);
  EXPECT_EQ(static_cast<uint32_t>(sprite.TransparentColor()), 0x02FF0000u);
  sprite.SetTransparentMode(tmAuto);
  EXPECT_EQ(static_cast<uint32_t>(sprite.TransparentColor()), 0x02FF00FFu);
}

TEST_F(TransparentDraw, TransparentDrawLeavesTheBackgroundWhereTheColourWas) {
  sprite.SetTransparent(true);
  scene.Canvas()->Draw(10, 10, &sprite);
  EXPECT_TRUE(PixelIs(scene, 11, 11, 0x008000)) << "the transparent colour shows the scene";
  EXPECT_TRUE(PixelIs(scene, 15, 15, 0xFF0000)) << "the rest of the sprite is drawn";
  EXPECT_TRUE(PixelIs(scene, 25, 25, 0x008000));

  sprite.SetTransparentColor(clBlue);
  scene.Canvas()->Draw(0, 0, &sprite);
  EXPECT_TRUE(PixelIs(scene, 5, 5, 0x008000)) << "with a fixed colour the square is left out";
  EXPECT_TRUE(PixelIs(scene, 1, 1, 0xFF00FF));
}

TEST_F(TransparentDraw, OpaqueAndStretchedDrawsCoverTheirRect) {
  scene.Canvas()->Draw(0, 0, &sprite);
  EXPECT_TRUE(PixelIs(scene, 1, 1, 0xFF00FF)) << "an opaque draw copies every pixel";
  sprite.SetTransparent(true);
  scene.Canvas()->StretchDraw(Rect(10, 10, 30, 30), &sprite);
  EXPECT_TRUE(PixelIs(scene, 11, 11, 0x008000));
  EXPECT_TRUE(PixelIs(scene, 19, 19, 0xFF0000)) << "the square doubled: (16,16)-(24,24)";
  EXPECT_TRUE(PixelIs(scene, 25, 25, 0x008000));
}

TEST_F(TransparentDraw, MaskIsWhiteWhereTheTransparentColourIs) {
  HBITMAP mask = sprite.MaskHandle();
  ASSERT_NE(mask, nullptr);
  BITMAP info{};
  GetObjectA(mask, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 1);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mask);
  EXPECT_EQ(GetPixel(dc, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(dc, 5, 5), 0x000000u);
  SelectObject(dc, old);
  DeleteDC(dc);

  sprite.Mask(clBlue);
  EXPECT_TRUE(sprite.Monochrome());
  EXPECT_TRUE(PixelIs(sprite, 5, 5, 0xFFFFFF)) << "the masked colour becomes white";
  EXPECT_TRUE(PixelIs(sprite, 0, 0, 0x000000));
}

TEST(GraphicsBitmap, AssignMakesAnIndependentCopy) {
  TBitmap original;
  makeWhite(original, 8, 8, pf8bit);
  original.Canvas()->SetPixels(1, 1, clRed);
  original.SetTransparentColor(clRed);
  TBitmap copy;
  copy.Assign(&original);
  EXPECT_EQ(copy.PixelFormat(), pf8bit);
  EXPECT_EQ(copy.TransparentMode(), tmFixed);
  EXPECT_TRUE(PixelIs(copy, 1, 1, 0x0000FF));
  copy.Canvas()->SetPixels(1, 1, clBlue);
  EXPECT_TRUE(PixelIs(original, 1, 1, 0x0000FF)) << "the original is untouched";
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  TFont font;
  EXPECT_THROW(copy.Assign(&font), EConvertError);
}

TEST(GraphicsBitmap, DormantAndReleasedHandlesKeepOrHandOverTheImage) {
  TBitmap bmp;
  makeWhite(bmp, 8, 8);
  bmp.Canvas()->SetPixels(3, 3, clRed);
  bmp.Dormant();
  EXPECT_FALSE(bmp.HandleAllocated());
  EXPECT_TRUE(PixelIs(bmp, 3, 3, 0x0000FF)) << "a dormant bitmap comes back with its image";
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);

  TBitmap device;
  makeWhite(device, 8, 8, pfDevice);
  device.Canvas()->SetPixels(4, 4, clGreen);
  device.Dormant();
  EXPECT_TRUE(PixelIs(device, 4, 4, 0x008000));
  EXPECT_EQ(device.HandleType(), bmDDB) << "a device bitmap comes back as one";

  HBITMAP released = bmp.ReleaseHandle();
  ASSERT_NE(released, nullptr);
  EXPECT_FALSE(bmp.HandleAllocated());
  EXPECT_EQ(bmp.Width(), 8);
  BITMAP info{};
  EXPECT_EQ(GetObjectA(released, sizeof info, &info), static_cast<int>(sizeof(BITMAP))) << "the handle is still valid";
  DeleteObject(released);
  EXPECT_TRUE(PixelIs(bmp, 3, 3, 0xFFFFFF)) << "a new white image replaces the released one";
}

TEST(GraphicsBitmap, SetHandleAdoptsABitmap) {
  HDC screen = GetDC(nullptr);
  HBITMAP h = CreateCompatibleBitmap(screen, 12, 9);
  ReleaseDC(nullptr, screen);
  TBitmap bmp;
  bmp.SetHandle(h);
  EXPECT_EQ(bmp.Width(), 12);
  EXPECT_EQ(bmp.Height(), 9);
  EXPECT_EQ(bmp.HandleType(), bmDDB);
  EXPECT_EQ(bmp.Handle(), h);
}

TEST(GraphicsBitmap, LoadsBitmapResourcesAndReportsMissingOnes) {
  TBitmap bmp;
  HINSTANCE user32 = GetModuleHandleA("user32.dll");
  bmp.LoadFromResourceID(user32, 32759);  // the check box images
  EXPECT_GT(bmp.Width(), 0);
  EXPECT_GT(bmp.Height(), 0);
  try {
    bmp.LoadFromResourceName(GetModuleHandleA(nullptr), "NO_SUCH_BITMAP");
    FAIL() << "expected EResNotFound";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource NO_SUCH_BITMAP not found");
  }
}

TEST(GraphicsBitmap, ClipboardFormatRoundTripCopiesTheImage) {
  TBitmap bmp;
  makeWhite(bmp, 6, 6);
  bmp.Canvas()->SetPixels(2, 2, clMaroon);
  Word format = 0;
  THandle data = 0;
  HPALETTE palette = nullptr;
  bmp.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  TBitmap pasted;
  pasted.LoadFromClipboardFormat(format, data, palette);
  DeleteObject(reinterpret_cast<HBITMAP>(data));
  EXPECT_TRUE(PixelIs(pasted, 2, 2, 0x000080));
  EXPECT_THROW(pasted.LoadFromClipboardFormat(CF_TEXT, 0, nullptr), EInvalidGraphic);
}

TEST(GraphicsBitmap, BrushPatternPaintsTheBitmap) {
  TBitmap pattern;
  makeWhite(pattern, 8, 8);
  pattern.Canvas()->Brush()->SetColor(clRed);
  pattern.Canvas()->FillRect(Rect(0, 0, 4, 8));
  TBitmap bmp;
  makeWhite(bmp, 16, 8);
  bmp.Canvas()->Brush()->SetBitmap(&pattern);
  bmp.Canvas()->FillRect(Rect(0, 0, 16, 8));
  EXPECT_TRUE(PixelIs(bmp, 1, 1, 0x0000FF));
  EXPECT_TRUE(PixelIs(bmp, 5, 1, 0xFFFFFF));
  EXPECT_TRUE(PixelIs(bmp, 9, 1, 0x0000FF)) << "the pattern repeats";
  bmp.Canvas()->Brush()->SetBitmap(nullptr);
}

TEST(GraphicsHelpers, PatternBitmapIsASharedCheckerboard) {
  TBitmap* p = AllocPatternBitmap(clWhite, clBlack);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Width(), 8);
  EXPECT_EQ(p->Height(), 8);
  EXPECT_TRUE(PixelIs(*p, 0, 0, 0x000000));
  EXPECT_TRUE(PixelIs(*p, 1, 0, 0xFFFFFF));
  EXPECT_TRUE(PixelIs(*p, 1, 1, 0x000000));
  EXPECT_EQ(AllocPatternBitmap(clWhite, clBlack), p) << "the same colours share one bitmap";
  EXPECT_NE(AllocPatternBitmap(clBtnFace, clBtnHighlight), p);
}

TEST(GraphicsHelpers, CopyPaletteCopiesEntries) {
  EXPECT_EQ(CopyPalette(nullptr), nullptr);
  TBitmap bmp;
  makeWhite(bmp, 2, 2, pf8bit);
  HPALETTE copy = CopyPalette(bmp.Palette());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, bmp.Palette());
  PALETTEENTRY a[256], b[256];
  UINT n = GetPaletteEntries(bmp.Palette(), 0, 256, a);
  EXPECT_EQ(GetPaletteEntries(copy, 0, 256, b), n);
  EXPECT_EQ(std::memcmp(a, b, n * sizeof(PALETTEENTRY)), 0);
  DeleteObject(copy);
}

// =======================================================================================
// Icons
// =======================================================================================

TEST(GraphicsIcon, IconMadeFromATransparentBitmapKeepsItsTransparencyThroughAFile) {
  TBitmap sprite;
  makeWhite(sprite, 32, 32);
  sprite.Canvas()->Brush()->SetColor(clFuchsia);
  sprite.Canvas()->FillRect(Rect(0, 0, 32, 32));
  sprite.Canvas()->Brush()->SetColor(clBlue);
  sprite.Canvas()->FillRect(Rect(8, 8, 24, 24));
  sprite.SetTransparent(true);
  TIcon icon;
  icon.Assign(&sprite);
  EXPECT_EQ(icon.Width(), 32);
  TMemoryStream stream;
  icon.SaveToStream(&stream);
  stream.SetPosition(0);
  TIcon loaded;
  loaded.LoadFromStream(&stream);
  EXPECT_EQ(loaded.Width(), 32);
  EXPECT_EQ(loaded.Height(), 32);
  TBitmap scene;
  makeWhite(scene, 40, 40);
  scene.Canvas()->Brush()->SetColor(clGreen);
  scene.Canvas()->FillRect(Rect(0, 0, 40, 40));
  scene.Canvas()->Draw(4, 4, &loaded);
  EXPECT_TRUE(PixelIs(scene, 6, 6, 0x008000)) << "the transparent colour shows the scene";
  EXPECT_TRUE(PixelIs(scene, 20, 20, 0xFF0000)) << "the rest is drawn";
  EXPECT_TRUE(loaded.Transparent());
}

TEST(GraphicsIcon, LoadsAMultiImageFileAtTheSystemSizeAndWritesItBackUnchanged) {
  TMemoryStream file;
  file.LoadFromFile(FixturePath("gui/sample.ico"));
  TIcon icon;
  icon.LoadFromStream(&file);
  EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(icon.Height(), GetSystemMetrics(SM_CYICON));
  TBitmap scene;
  makeWhite(scene, 32, 32);
  scene.Canvas()->Draw(0, 0, &icon);
  EXPECT_TRUE(PixelIs(scene, 4, 16, 0xFF0000)) << "left half blue";
  EXPECT_TRUE(PixelIs(scene, 28, 16, 0x00FF00)) << "right half lime";
  TMemoryStream saved;
  icon.SaveToStream(&saved);
  EXPECT_EQ(bytesOf(saved), bytesOf(file));
}

TEST(GraphicsIcon, SizeCannotChangeAndCorruptFilesRaise) {
  TIcon icon;
  EXPECT_THROW(icon.SetWidth(10), EInvalidGraphicOperation);
  std::vector<uint8_t> bad = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0, 0, 22, 0, 0, 0};
  TMemoryStream stream;
  stream.WriteBuffer(bad.data(), static_cast<Integer>(bad.size()));
  stream.SetPosition(0);
  try {
    icon.LoadFromStream(&stream);
    FAIL() << "expected EInvalidGraphic";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Icon image is not valid");
  }
  EXPECT_TRUE(icon.Empty());
}

// =======================================================================================
// Metafiles
// =======================================================================================

namespace {
// A 40 x 30 pixel metafile: red left half, blue right half.
void recordHalves(TMetafile& m) {
  m.SetWidth(40);
  m.SetHeight(30);
  TMetafileCanvas canvas(&m, nullptr, "Gerador", "halves");
  canvas.Brush()->SetColor(clRed);
  canvas.FillRect(Rect(0, 0, 20, 30));
  canvas.Brush()->SetColor(clBlue);
  canvas.FillRect(Rect(20, 0, 40, 30));
}
}  // namespace

TEST(GraphicsMetafile, RecordedMetafilePlaysBackIntoAnyRect) {
  TMetafile m;
  recordHalves(m);
  ASSERT_FALSE(m.Empty());
  EXPECT_NEAR(m.Width(), 40, 1);
  EXPECT_NEAR(m.Height(), 30, 1);
  EXPECT_EQ(m.CreatedBy(), "Gerador");
  EXPECT_EQ(m.Description(), "halves");
  TBitmap scene;
  makeWhite(scene, 100, 60);
  scene.Canvas()->StretchDraw(Rect(0, 0, 80, 60), &m);
  EXPECT_TRUE(PixelIs(scene, 10, 30, 0x0000FF));
  EXPECT_TRUE(PixelIs(scene, 70, 30, 0xFF0000));
  EXPECT_TRUE(PixelIs(scene, 95, 30, 0xFFFFFF)) << "nothing outside the rect";
}

TEST(GraphicsMetafile, SavesAndLoadsEnhancedAndPlaceableFormats) {
  TMetafile m;
  recordHalves(m);
  for (bool enhanced : {true, false}) {
    m.SetEnhanced(enhanced);
    TMemoryStream stream;
    m.SaveToStream(&stream);
    std::vector<uint8_t> bytes = bytesOf(stream);
    ASSERT_GT(bytes.size(), 40u);
    uint32_t first = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
    EXPECT_EQ(first, enhanced ? 1u : 0x9AC6CDD7u) << "enhanced " << enhanced;
    stream.SetPosition(0);
    TMetafile loaded;
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.Enhanced(), enhanced);
    EXPECT_NEAR(loaded.Width(), 40, 1) << "enhanced " << enhanced;
    EXPECT_NEAR(loaded.Height(), 30, 1) << "enhanced " << enhanced;
    TBitmap scene;
    makeWhite(scene, 40, 30);
    scene.Canvas()->Draw(0, 0, &loaded);
    EXPECT_TRUE(PixelIs(scene, 5, 15, 0x0000FF)) << "enhanced " << enhanced;
    EXPECT_TRUE(PixelIs(scene, 35, 15, 0xFF0000)) << "enhanced " << enhanced;
  }
}

TEST(GraphicsMetafile, CorruptStreamsRaise) {
  std::vector<uint8_t> junk(64, 0x55);
  TMemoryStream stream;
  stream.WriteBuffer(junk.data(), 64);
  stream.SetPosition(0);
  TMetafile m;
  try {
    m.LoadFromStream(&stream);
    FAIL() << "expected EInvalidGraphic";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Metafile is not valid");
  }
  // A placeable header whose checksum is wrong.
  std::vector<uint8_t> placeable = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 40, 0, 30, 0, 96, 0, 0, 0, 0, 0, 0x12, 0x34};
  TMemoryStream bad;
  bad.WriteBuffer(placeable.data(), static_cast<Integer>(placeable.size()));
  bad.SetPosition(0);
  EXPECT_THROW(m.LoadFromStream(&bad), EInvalidGraphic);
}

TEST(GraphicsMetafile, AssignRecordsOtherGraphics) {
  TBitmap bmp;
  makeWhite(bmp, 20, 10);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(Rect(0, 0, 10, 10));
  TMetafile m;
  m.Assign(&bmp);
  ASSERT_FALSE(m.Empty());
  TBitmap scene;
  makeWhite(scene, 20, 10);
  scene.Canvas()->Brush()->SetColor(clGreen);
  scene.Canvas()->FillRect(Rect(0, 0, 20, 10));
  scene.Canvas()->Draw(0, 0, &m);
  EXPECT_TRUE(PixelIs(scene, 4, 5, 0x0000FF));
  EXPECT_TRUE(PixelIs(scene, 15, 5, 0xFFFFFF));
}

// =======================================================================================
// Pictures
// =======================================================================================

TEST(GraphicsPicture, LoadsFilesByExtensionWithTheRegisteredClass) {
  TBitmap bmp;
  makeWhite(bmp, 7, 5);
  bmp.Canvas()->SetPixels(1, 1, clNavy);
  std::string path = tempFile("picture.BMP");
  bmp.SaveToFile(path);
  TPicture picture;
  picture.LoadFromFile(path);
  DeleteFileA(path.c_str());
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 5);
  EXPECT_TRUE(PixelIs(*picture.Bitmap(), 1, 1, 0x800000));

  std::string icoPath = FixturePath("gui/sample.ico");
  picture.LoadFromFile(icoPath);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TIcon");

  try {
    picture.LoadFromFile("picture.xyz");
    FAIL() << "expected EInvalidGraphic";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_EQ(picture.Graphic()->ClassName(), "TIcon") << "a failed load leaves the picture as it was";
}

TEST(GraphicsPicture, BitmapAccessorConvertsTheGraphic) {
  TPicture picture;
  TBitmap* empty = picture.Bitmap();
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->Empty());
  picture.LoadFromFile(FixturePath("gui/sample.ico"));
  TBitmap* converted = picture.Bitmap();
  EXPECT_EQ(picture.Graphic(), converted);
  EXPECT_EQ(converted->Width(), 32);
  EXPECT_TRUE(PixelIs(*converted, 4, 16, 0xFF0000)) << "the icon's image is kept";
  TMetafile* m = picture.Metafile();
  EXPECT_EQ(picture.Graphic()->ClassName(), "TMetafile");
  EXPECT_NEAR(m->Width(), 32, 1);
}

TEST(GraphicsPicture, KeepsACopyAndReportsChanges) {
  TPicture picture;
  EventCounter counter;
  picture.SetOnChange(counter.onChange());
  TBitmap bmp;
  makeWhite(bmp, 4, 4);
  picture.SetGraphic(&bmp);
  EXPECT_EQ(counter.changes, 1);
  EXPECT_NE(picture.Graphic(), &bmp) << "the picture holds its own copy";
  picture.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(counter.changes, 2) << "drawing on the picture's bitmap is a change";
  EXPECT_TRUE(PixelIs(bmp, 0, 0, 0xFFFFFF));

  TPicture other;
  other.Assign(&picture);
  EXPECT_TRUE(PixelIs(*other.Bitmap(), 0, 0, 0x0000FF));
  TBitmap target;
  target.Assign(&picture);
  EXPECT_TRUE(PixelIs(target, 0, 0, 0x0000FF)) << "a bitmap takes the picture's bitmap";
  picture.Assign(nullptr);
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
}

TEST(GraphicsPicture, DataNamesTheClassAndRoundTrips) {
  TPicture picture;
  makeWhite(*picture.Bitmap(), 3, 3);
  picture.Bitmap()->Canvas()->SetPixels(1, 1, clOlive);
  TMemoryStream stream;
  picture.WriteData(&stream);
  std::vector<uint8_t> bytes = bytesOf(stream);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 8), "TBitmap");
  stream.SetPosition(0);
  TPicture copy;
  copy.ReadData(&stream);
  EXPECT_TRUE(PixelIs(*copy.Bitmap(), 1, 1, 0x008080));

  TMemoryStream none;
  TPicture empty;
  empty.WriteData(&none);
  EXPECT_EQ(none.Size(), 1);
  none.SetPosition(0);
  copy.ReadData(&none);
  EXPECT_EQ(copy.Graphic(), nullptr);
}

namespace {
// A filer that only records what an object defines, so a test can call the procedures
// the way the form reader and writer would.
struct Defined {
  std::string name;
  TStreamProc read, write;
  bool hasData = false;
};
class RecordingFiler : public TFiler {
public:
  explicit RecordingFiler(TStream* stream) : TFiler(stream) {}
  void DefineProperty(const std::string&, TReaderProc, TWriterProc, bool) override {}
  void DefineBinaryProperty(const std::string& Name, TStreamProc Read, TStreamProc Write, bool HasData) override {
    defined = {Name, Read, Write, HasData};
  }
  Defined defined;
};

// A picture and a bitmap whose DefineProperties the tests may call, as the filers do.
class TestPicture : public TPicture {
public:
  using TPicture::DefineProperties;
};
class TestBitmap : public TBitmap {
public:
  using TBitmap::DefineProperties;
};

// What DefineProperties of obj defines, against an optional ancestor.
template <class T> Defined definedBy(T& obj, TPersistent* ancestor = nullptr) {
  TMemoryStream unused;
  RecordingFiler filer(&unused);
  filer.SetAncestor(ancestor);
  obj.DefineProperties(&filer);
  return filer.defined;
}
}  // namespace

TEST(GraphicsPicture, StoresItsDataInFormsOnlyWhenThereIsSomethingToStore) {
  TestPicture empty;
  EXPECT_FALSE(definedBy(empty).hasData);

  TestPicture picture;
  makeWhite(*picture.Bitmap(), 4, 3);
  picture.Bitmap()->Canvas()->SetPixels(2, 1, clPurple);
  Defined filer = definedBy(picture);
  EXPECT_EQ(filer.name, "Data");
  ASSERT_TRUE(filer.hasData);
  TMemoryStream data;
  filer.write(&data);
  data.SetPosition(0);
  TestPicture restored;
  definedBy(restored).read(&data);
  EXPECT_TRUE(PixelIs(*restored.Bitmap(), 2, 1, 0x800080));

  TestPicture same;
  same.Assign(&picture);
  EXPECT_FALSE(definedBy(same, &picture).hasData) << "equal to the ancestor: nothing to store";
  same.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_TRUE(definedBy(same, &picture).hasData);

  TestBitmap glyph;
  EXPECT_FALSE(definedBy(glyph).hasData) << "an empty graphic stores nothing";
  makeWhite(glyph, 2, 2);
  EXPECT_TRUE(definedBy(glyph).hasData);
}

TEST(GraphicsPicture, FiltersAndExtensionsListTheRegisteredFormats) {
  EXPECT_EQ(GraphicExtension(TBitmap::StaticClass()), "bmp");
  EXPECT_EQ(GraphicExtension(TMetafile::StaticClass()), "emf");
  EXPECT_EQ(GraphicFileMask(TMetafile::StaticClass()), "*.emf;*.wmf");
  EXPECT_EQ(GraphicFilter(TIcon::StaticClass()), "All (*.ico)|*.ico|Icons (*.ico)|*.ico");
  std::string all = GraphicFilter(TGraphic::StaticClass());
  EXPECT_EQ(all.rfind("All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|", 0), 0u) << all;
  EXPECT_NE(all.find("|Bitmaps (*.bmp)|*.bmp"), std::string::npos) << all;
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_BITMAP));
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_ENHMETAFILE));
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(CF_TEXT));
}

namespace {
// A graphic class of the tests' own, registered and unregistered without touching the
// formats the unit registers.
class TTestGraphic : public TBitmap {
  RTL_DECLARE_CLASS(TTestGraphic, TBitmap)
};
}  // namespace
RTL_IMPLEMENT_CLASS(TTestGraphic)

TEST(GraphicsPicture, RegisteredClassLoadsItsExtensionUntilUnregistered) {
  TBitmap bmp;
  makeWhite(bmp, 3, 2);
  std::string path = tempFile("picture.tstg");
  bmp.SaveToFile(path);
  TPicture::RegisterFileFormat(".tstg", "Test graphics", TTestGraphic::StaticClass());
  EXPECT_EQ(TPicture::FileFormatClass("TSTG"), TTestGraphic::StaticClass());
  TPicture picture;
  picture.LoadFromFile(path);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TTestGraphic");
  EXPECT_EQ(GraphicExtension(TTestGraphic::StaticClass()), "tstg");
  TPicture::UnregisterGraphicClass(TTestGraphic::StaticClass());
  EXPECT_EQ(TPicture::FileFormatClass("tstg"), nullptr);
  EXPECT_THROW(picture.LoadFromFile(path), EInvalidGraphic);
  EXPECT_EQ(GraphicExtension(TBitmap::StaticClass()), "bmp") << "other classes stay registered";
  DeleteFileA(path.c_str());
}

// =======================================================================================
// Stored forms
// =======================================================================================

namespace {
// A component with the kinds of graphic properties controls publish.
class TGraphicHolder : public TComponent {
  RTL_DECLARE_CLASS(TGraphicHolder, TComponent)
public:
  explicit TGraphicHolder(TComponent* AOwner) : TComponent(AOwner) {}
  ~TGraphicHolder() override {
    delete font_;
    delete picture_;
  }
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  TFont* Font() const { return font_; }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  TPicture* Picture() const { return picture_; }
  void SetPicture(TPicture* Value) { picture_->Assign(Value); }

private:
  TColor color_ = clWindow;
  TFont* font_ = new TFont();
  TPicture* picture_ = new TPicture();
};
}  // namespace

RTL_BEGIN_CLASS(TGraphicHolder)
b.Property("Color", &TGraphicHolder::Color, &TGraphicHolder::SetColor).Default(clWindow);
b.Property("Font", &TGraphicHolder::Font, &TGraphicHolder::SetFont);
b.Property("Picture", &TGraphicHolder::Picture, &TGraphicHolder::SetPicture);
RTL_END_CLASS

TEST(GraphicsStoredForm, ColoursFontsAndPicturesSurviveAStoredForm) {
  TGraphicHolder holder(nullptr);
  holder.SetName("Holder");
  holder.SetColor(clBtnFace);
  holder.Font()->SetName("Arial");
  holder.Font()->SetColor(clHighlight);
  holder.Font()->SetStyle({fsBold});
  makeWhite(*holder.Picture()->Bitmap(), 5, 4);
  holder.Picture()->Bitmap()->Canvas()->SetPixels(3, 2, clTeal);

  TMemoryStream binary;
  binary.WriteComponent(&holder);
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(&binary, &text);
  std::string form(static_cast<const char*>(text.Memory()), static_cast<size_t>(text.Size()));
  for (const char* line : {"Color = clBtnFace", "Font.Charset = DEFAULT_CHARSET", "Font.Color = clHighlight",
                           "Font.Name = 'Arial'", "Font.Style = [fsBold]", "Picture.Data = {"})
    EXPECT_NE(form.find(line), std::string::npos) << "missing \"" << line << "\" in:\n" << form;
  EXPECT_EQ(form.find("Font.Size"), std::string::npos) << "Size is not stored:\n" << form;

  binary.SetPosition(0);
  TGraphicHolder copy(nullptr);
  binary.ReadComponent(&copy);
  EXPECT_EQ(copy.Color(), clBtnFace);
  EXPECT_EQ(copy.Font()->Name(), "Arial");
  EXPECT_EQ(copy.Font()->Color(), clHighlight);
  EXPECT_EQ(copy.Font()->Style(), TFontStyles{fsBold});
  ASSERT_NE(copy.Picture()->Graphic(), nullptr);
  EXPECT_TRUE(PixelIs(*copy.Picture()->Bitmap(), 3, 2, 0x808000));
}

// =======================================================================================
// A sample sheet of canvas operations, written beside the test program for looking at
// (canvas-sample.bmp in the build tree). Each operation draws in its own cell; the test checks that each
// drew something and stayed inside its cell.
// =======================================================================================

TEST(GraphicsSample, EveryOperationDrawsInsideItsOwnCell) {
  const int cellW = 90, cellH = 70, cols = 5, rows = 4, margin = 4;
  TBitmap sheet;
  makeWhite(sheet, cellW * cols, cellH * rows);
  TCanvas* c = sheet.Canvas();

  TBitmap sprite;
  makeWhite(sprite, 20, 20);
  sprite.Canvas()->Brush()->SetColor(clFuchsia);
  sprite.Canvas()->FillRect(Rect(0, 0, 20, 20));
  sprite.Canvas()->Brush()->SetColor(clNavy);
  sprite.Canvas()->Ellipse(2, 2, 18, 18);
  sprite.SetTransparent(true);
  TMetafile meta;
  meta.SetWidth(40);
  meta.SetHeight(30);
  {
    TMetafileCanvas mc(&meta, nullptr);
    mc.Brush()->SetColor(clTeal);
    mc.Ellipse(0, 0, 40, 30);
  }
  TIcon icon;
  icon.Assign(&sprite);

  using Op = std::function<void(const TRect&)>;
  auto reset = [c] {
    c->Pen()->SetColor(clBlack);
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmCopy);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWhite);
    c->Font()->SetName("MS Sans Serif");
    c->Font()->SetSize(8);
    c->Font()->SetStyle({});
    c->Font()->SetColor(clBlack);
  };
  std::vector<std::pair<const char*, Op>> ops = {
      {"FillRect", [c](const TRect& r) { c->Brush()->SetColor(clRed); c->FillRect(r); }},
      {"Rectangle", [c](const TRect& r) { c->Pen()->SetColor(clBlue); c->Brush()->SetColor(clYellow); c->Rectangle(r); }},
      {"RoundRect", [c](const TRect& r) { c->Brush()->SetColor(clLime); c->RoundRect(r.left, r.top, r.right, r.bottom, 20, 20); }},
      {"Ellipse", [c](const TRect& r) { c->Pen()->SetWidth(3); c->Pen()->SetStyle(psInsideFrame); c->Brush()->SetColor(clAqua); c->Ellipse(r); }},
      {"Arc", [c](const TRect& r) { c->Pen()->SetColor(clMaroon); c->Arc(r.left, r.top, r.right, r.bottom, r.right, r.top, r.left, r.top); }},
      {"Chord", [c](const TRect& r) { c->Brush()->SetColor(clSilver); c->Chord(r.left, r.top, r.right, r.bottom, r.right, r.top, r.left, r.bottom); }},
      {"Pie", [c](const TRect& r) { c->Brush()->SetColor(clOlive); c->Pie(r.left, r.top, r.right, r.bottom, r.right, r.top, r.left, r.top); }},
      {"Polygon", [c](const TRect& r) { c->Brush()->SetColor(clPurple); c->Polygon({Point(r.left, r.bottom - 1), Point((r.left + r.right) / 2, r.top), Point(r.right - 1, r.bottom - 1)}); }},
      {"Polyline", [c](const TRect& r) { c->Pen()->SetColor(clGreen); c->Polyline({Point(r.left, r.top), Point(r.right - 1, r.top), Point(r.left, r.bottom - 1), Point(r.right - 1, r.bottom - 1)}); }},
      {"PolyBezier", [c](const TRect& r) { c->Pen()->SetColor(clRed); c->PolyBezier({Point(r.left, r.bottom - 1), Point(r.left, r.top), Point(r.right - 1, r.top), Point(r.right - 1, r.bottom - 1)}); }},
      {"DashPen", [c](const TRect& r) { c->Pen()->SetStyle(psDash); c->Brush()->SetStyle(bsClear); c->Rectangle(r); }},
      {"Hatches", [c](const TRect& r) { c->Brush()->SetColor(clBlue); c->Brush()->SetStyle(bsDiagCross); c->FillRect(r); }},
      {"TextOut", [c](const TRect& r) { c->TextOut(r.left, r.top, "Canvas ação"); }},
      {"Arial", [c](const TRect& r) { c->Font()->SetName("Arial"); c->Font()->SetSize(14); c->Font()->SetStyle({fsBold, fsItalic}); c->Font()->SetColor(clNavy); c->Brush()->SetStyle(bsClear); c->TextOut(r.left + 4, r.top, "Arial"); }},
      {"TextRect", [c](const TRect& r) { c->Brush()->SetColor(clInfoBk); c->TextRect(Rect(r.left, r.top, r.right, r.top + 20), r.left + 2, r.top + 2, "Clipped text that is too long"); }},
      {"FrameFocus", [c](const TRect& r) { c->Brush()->SetColor(clBlack); c->FrameRect(r); c->DrawFocusRect(Rect(r.left + 5, r.top + 5, r.right - 5, r.bottom - 5)); }},
      {"Transparent", [c, &sprite](const TRect& r) { c->Brush()->SetColor(clYellow); c->FillRect(r); c->Draw(r.left + 5, r.top + 5, &sprite); c->StretchDraw(Rect(r.left + 30, r.top + 5, r.left + 70, r.top + 45), &sprite); }},
      // A stretched pen grows with the picture: keep a pixel or two of room.
      {"Metafile", [c, &meta](const TRect& r) { c->StretchDraw(Rect(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2), &meta); }},
      {"Icon", [c, &icon](const TRect& r) { c->Draw(r.left + 10, r.top + 10, &icon); }},
      {"FloodFill", [c](const TRect& r) { c->Pen()->SetColor(clRed); c->Brush()->SetStyle(bsClear); c->Ellipse(r); c->Brush()->SetColor(clSkyBlue); c->FloodFill((r.left + r.right) / 2, (r.top + r.bottom) / 2, clRed, fsBorder); }},
  };
  ASSERT_LE(ops.size(), size_t(cols * rows));
  std::vector<TRect> cells;
  for (size_t i = 0; i < ops.size(); ++i) {
    int x = static_cast<int>(i % cols) * cellW, y = static_cast<int>(i / cols) * cellH;
    TRect r = Rect(x + margin, y + margin, x + cellW - margin, y + cellH - margin);
    cells.push_back(r);
    reset();
    ops[i].second(r);
  }
  // Beside the test program, in the build tree.
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string dir = ExtractFilePath(module);
  if (!dir.empty()) sheet.SaveToFile(dir + "canvas-sample.bmp");

  for (size_t i = 0; i < ops.size(); ++i) {
    const TRect& r = cells[i];
    int ink = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) ink += pixelOf(sheet, x, y) != 0xFFFFFF;
    EXPECT_GT(ink, 20) << ops[i].first << " drew (almost) nothing";
    int x0 = static_cast<int>(i % cols) * cellW, y0 = static_cast<int>(i / cols) * cellH;
    for (int y = y0; y < y0 + cellH; ++y)
      for (int x = x0; x < x0 + cellW; ++x) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) continue;
        ASSERT_EQ(pixelOf(sheet, x, y), 0xFFFFFFu) << ops[i].first << " drew outside its cell at " << x << "," << y;
      }
  }
}
