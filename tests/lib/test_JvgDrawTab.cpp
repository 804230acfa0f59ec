// The tab style and the wallpaper with their notifications, and the tab painter: where the
// tab's box goes for each side and state, the gradient, the wallpaper in its three
// places, the glyph with its transparent colour, and the caption in four directions.
#include <optional>
#include <string>
#include <vector>

#include "JvgTestHelpers.h"
#include "lib/JvgDrawTab.h"
#include "lib/JvgUtils.h"
#include "platform/gui/ExtCtrls.h"

using jvgtest::boxText;
using jvgtest::colorBox;
using jvgtest::fillBitmap;
using jvgtest::hasColor;
using jvgtest::sysRgb;

namespace {

class Notes : public TObject {
public:
  int Changes = 0;
  int FontChanges = 0;
  void Changed(TObject*) { ++Changes; }
  void FontChanged(TObject*) { ++FontChanges; }
};

// ---------------------------------------------------------------------------------------
// Tab style.

TEST(JvgTabStyle, StartsWithAllSidesNoBevelsButtonFaceAndTheControlsFont) {
  TObjectPtr<TPanel> panel(New<TPanel>(nullptr));
  panel->Font()->SetName("Tahoma");
  panel->Font()->SetSize(10);
  TJvgTabStyle style(panel.get());
  EXPECT_EQ(AllGlSides(), style.Borders());
  EXPECT_EQ(bvNone, style.BevelInner());
  EXPECT_EQ(bvNone, style.BevelOuter());
  EXPECT_FALSE(style.Bold());
  EXPECT_EQ(clBtnFace, style.BackgrColor());
  EXPECT_EQ("Tahoma", style.Font()->Name());
  EXPECT_EQ(10, style.Font()->Size());
  EXPECT_EQ(fstNone, style.TextStyle());
  EXPECT_EQ(fhaLeft, style.CaptionHAlign());
  EXPECT_EQ(fvaCenter, style.CaptionVAlign());
  EXPECT_EQ(fhaLeft, style.GlyphHAlign());
  EXPECT_EQ(fvaCenter, style.GlyphVAlign());
  EXPECT_FALSE(style.Gradient()->Active());
}

TEST(JvgTabStyle, ChangesRaiseTheChangeNotificationAndFontChangesTheFontNotification) {
  TJvgTabStyle style(nullptr);
  Notes notes;
  style.SetOnChanged(TNotifyEvent(&notes, &Notes::Changed));
  style.SetOnFontChanged(TNotifyEvent(&notes, &Notes::FontChanged));
  // The same values again: nothing.
  style.SetBorders(AllGlSides());
  style.SetBevelOuter(bvNone);
  style.SetBackgrColor(clBtnFace);
  style.SetCaptionHAlign(fhaLeft);
  EXPECT_EQ(0, notes.Changes);
  style.SetBorders(TglSides{fsdLeft});
  style.SetBevelInner(bvRaised);
  style.SetBevelOuter(bvLowered);
  style.SetBold(true);
  style.SetBackgrColor(clRed);
  style.SetTextStyle(fstShadow);
  style.SetCaptionHAlign(fhaRight);
  style.SetCaptionVAlign(fvaBottom);
  style.SetGlyphHAlign(fhaCenter);
  style.SetGlyphVAlign(fvaTop);
  EXPECT_EQ(10, notes.Changes);
  style.Gradient()->SetActive(true);
  EXPECT_EQ(11, notes.Changes) << "the gradient's changes are the style's";
  EXPECT_EQ(0, notes.FontChanges);
  style.Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(1, notes.FontChanges);
  EXPECT_EQ(11, notes.Changes);
}

TEST(JvgTabStyle, SettingTheFontGrowsTheControlsFontButNeverShrinksIt) {
  TObjectPtr<TPanel> panel(New<TPanel>(nullptr));
  panel->Font()->SetName("Tahoma");
  panel->Font()->SetSize(8);
  TJvgTabStyle style(panel.get());
  TFont big;
  big.SetName("Arial");
  big.SetSize(14);
  style.SetFont(&big);
  EXPECT_EQ("Arial", style.Font()->Name());
  EXPECT_EQ(14, panel->Font()->Size()) << "the control's font was smaller";
  EXPECT_EQ("Arial", panel->Font()->Name());
  TFont little;
  little.SetName("Courier New");
  little.SetSize(9);
  style.SetFont(&little);
  EXPECT_EQ("Courier New", style.Font()->Name());
  EXPECT_EQ(14, panel->Font()->Size()) << "a larger control font stays";
  EXPECT_EQ("Arial", panel->Font()->Name());
}

TEST(JvgTabStyle, AssignCopiesEveryValueFontAndGradientIncluded) {
  TJvgTabStyle source(nullptr), target(nullptr);
  source.SetBorders(TglSides{fsdTop, fsdRight});
  source.SetBevelInner(bvLowered);
  source.SetBevelOuter(bvSpace);
  source.SetBold(true);
  source.SetBackgrColor(clTeal);
  source.Font()->SetName("Courier New");
  source.SetTextStyle(fstRecessed);
  source.SetCaptionHAlign(fhaCenter);
  source.SetCaptionVAlign(fvaTop);
  source.SetGlyphHAlign(fhaRight);
  source.SetGlyphVAlign(fvaBottom);
  source.Gradient()->SetOrientation(fgdRectangle);
  target.Assign(&source);
  EXPECT_EQ((TglSides{fsdTop, fsdRight}), target.Borders());
  EXPECT_EQ(bvLowered, target.BevelInner());
  EXPECT_EQ(bvSpace, target.BevelOuter());
  EXPECT_TRUE(target.Bold());
  EXPECT_EQ(clTeal, target.BackgrColor());
  EXPECT_EQ("Courier New", target.Font()->Name());
  EXPECT_EQ(fstRecessed, target.TextStyle());
  EXPECT_EQ(fhaCenter, target.CaptionHAlign());
  EXPECT_EQ(fvaTop, target.CaptionVAlign());
  EXPECT_EQ(fhaRight, target.GlyphHAlign());
  EXPECT_EQ(fvaBottom, target.GlyphVAlign());
  EXPECT_EQ(fgdRectangle, target.Gradient()->Orientation());
}

// ---------------------------------------------------------------------------------------
// Wallpaper.

TEST(JvgTabsWallpaper, ThePictureInEffectIsTheOwnBitmapOrTheImagesBitmap) {
  TJvgTabsWallpaper wallpaper;
  Notes notes;
  wallpaper.SetOnChanged(TNotifyEvent(&notes, &Notes::Changed));
  EXPECT_TRUE(wallpaper.FillCaptions());
  EXPECT_FALSE(wallpaper.FillCaptionBakgr());
  EXPECT_FALSE(wallpaper.FillClient());
  EXPECT_TRUE(wallpaper.Tile());
  EXPECT_TRUE(wallpaper.IncludeBevels());
  EXPECT_EQ(wallpaper.Bitmap(), wallpaper.ActiveBitmap());
  EXPECT_FALSE(wallpaper.HasPicture());

  TObjectPtr<TImage> image(New<TImage>(nullptr));
  wallpaper.SetImage(image.get());
  EXPECT_EQ(1, notes.Changes);
  EXPECT_EQ(wallpaper.Bitmap(), wallpaper.ActiveBitmap()) << "an image without a bitmap leaves the own one";

  TBitmap picture;
  fillBitmap(picture, 8, 6, 0x00FFFF);
  image->Picture()->SetBitmap(&picture);
  wallpaper.SetImage(image.get());
  EXPECT_EQ(image->Picture()->Graphic(), wallpaper.ActiveBitmap());
  EXPECT_TRUE(wallpaper.HasPicture());
  // The image takes another picture: the wallpaper draws the new one.
  TBitmap other;
  fillBitmap(other, 3, 3, 0xFF0000);
  image->Picture()->SetBitmap(&other);
  ASSERT_NE(nullptr, wallpaper.ActiveBitmap());
  EXPECT_EQ(3, wallpaper.ActiveBitmap()->Width());

  TBitmap own;
  fillBitmap(own, 5, 5, 0x0000FF);
  wallpaper.SetBitmap(&own);
  EXPECT_EQ(wallpaper.Bitmap(), wallpaper.ActiveBitmap());
  EXPECT_NE(&own, wallpaper.Bitmap()) << "a copy";
  EXPECT_EQ(5, wallpaper.Bitmap()->Width());

  wallpaper.SetImage(image.get());
  EXPECT_EQ(image->Picture()->Graphic(), wallpaper.ActiveBitmap());
  wallpaper.PreferOwnBitmap();
  EXPECT_EQ(wallpaper.Bitmap(), wallpaper.ActiveBitmap()) << "a loaded own bitmap wins";

  notes.Changes = 0;
  wallpaper.SetTile(true);
  wallpaper.SetFillCaptions(true);
  EXPECT_EQ(0, notes.Changes);
  wallpaper.SetTile(false);
  wallpaper.SetFillCaptions(false);
  wallpaper.SetFillCaptionBakgr(true);
  wallpaper.SetFillClient(true);
  wallpaper.SetIncludeBevels(false);
  EXPECT_EQ(5, notes.Changes);
}

// ---------------------------------------------------------------------------------------
// The tab painter. The tab (10,10)-(70,30) of two, on a white bitmap; the style draws a
// raised outer bevel on all sides over red, so the box's lines show where it went: left
// and top in the highlight colour, right and bottom in the shadow colour.

constexpr uint32_t kWhite = 0xFFFFFF, kRed = RGB(255, 0, 0), kYellow = RGB(255, 255, 0), kBlue = RGB(0, 0, 255);

class JvgPaintTabTest : public ::testing::Test {
protected:
  void SetUp() override {
    fillBitmap(bmp, 130, 110, kWhite);
    style.SetBackgrColor(clRed);
    style.SetBevelOuter(bvRaised);
    font.SetName("Arial");
    font.SetHeight(-14);
    font.SetStyle(TFontStyles{fsBold});
    font.SetColor(clBlue);
    info.DrawItem.CtlType = ODT_TAB;
    info.DrawItem.itemID = 0;
    info.DrawItem.rcItem = Rect(10, 10, 70, 30);
    info.ClientR = Rect(0, 0, 120, 60);
    info.TabsCount = 2;
    info.Wallpaper = &wallpaper;
    info.Style = &style;
    info.Font = &font;
    info.BackgrColor = clRed;
  }
  void paint() {
    info.DrawItem.hDC = bmp.Canvas()->Handle();
    PaintTab(info);
  }
  void setSelected(bool Selected) { info.DrawItem.itemState = Selected ? ODS_SELECTED : 0; }
  // The yellow 8 x 8 wallpaper.
  void giveWallpaper() {
    TBitmap yellow;
    fillBitmap(yellow, 8, 8, kYellow);
    wallpaper.SetBitmap(&yellow);
  }
  ::testing::AssertionResult at(int X, int Y, uint32_t Color) { return PixelIs(bmp, X, Y, Color); }
  // The raised box (L, T, R, B): its four lines and the red inside.
  void expectBox(const TRect& B, const std::string& Label) {
    const int mx = (B.left + B.right) / 2, my = (B.top + B.bottom) / 2;
    EXPECT_TRUE(at(B.left, my, sysRgb(COLOR_BTNHIGHLIGHT))) << Label << " left line";
    EXPECT_TRUE(at(mx, B.top, sysRgb(COLOR_BTNHIGHLIGHT))) << Label << " top line";
    EXPECT_TRUE(at(B.right, my, sysRgb(COLOR_BTNSHADOW))) << Label << " right line";
    EXPECT_TRUE(at(mx, B.bottom, sysRgb(COLOR_BTNSHADOW))) << Label << " bottom line";
    EXPECT_TRUE(at(B.left + 1, B.top + 1, kRed)) << Label << " inside";
    EXPECT_TRUE(at(B.right - 1, B.bottom - 1, kRed)) << Label << " inside";
    EXPECT_TRUE(at(B.left - 1, my, kWhite) || at(B.left - 1, my, sysRgb(COLOR_BTNFACE))) << Label << " outside left";
    EXPECT_TRUE(at(mx, B.bottom + 1, kWhite)) << Label << " outside below";
  }
  TBitmap bmp;
  TJvgTabStyle style{nullptr};
  TJvgTabsWallpaper wallpaper;
  TFont font;
  TDRAWTABSTRUCT info;
};

TEST_F(JvgPaintTabTest, TheBoxFitsTheTabForEachSideStateAndLook) {
  struct Case {
    TglSide Side;
    bool Selected;
    bool Buttons;
    TRect Box;
  };
  const std::vector<Case> cases = {
      {fsdTop, false, false, Rect(11, 12, 68, 30)},    {fsdTop, true, false, Rect(13, 12, 66, 28)},
      {fsdLeft, false, false, Rect(12, 10, 70, 28)},   {fsdLeft, true, false, Rect(12, 12, 68, 26)},
      {fsdRight, false, false, Rect(10, 10, 66, 28)},  {fsdRight, true, false, Rect(10, 12, 66, 26)},
      {fsdBottom, false, false, Rect(11, 9, 68, 27)},  {fsdBottom, true, false, Rect(13, 10, 66, 27)},
      {fsdTop, false, true, Rect(9, 9, 69, 29)},       {fsdTop, true, true, Rect(10, 10, 70, 30)},
      {fsdLeft, false, true, Rect(9, 9, 69, 29)},
  };
  for (const Case& c : cases) {
    fillBitmap(bmp, 130, 110, kWhite);
    info.Position = c.Side;
    info.ButtonLook = c.Buttons;
    setSelected(c.Selected);
    paint();
    expectBox(c.Box, GetEnumName(TypeInfo<TglSide>(), c.Side) + (c.Selected ? " selected" : "") +
                         (c.Buttons ? " button" : ""));
  }
  // The selected tab on the right and at the bottom covers the frame it shares with the
  // page with two lines of the button face.
  const uint32_t face = sysRgb(COLOR_BTNFACE);
  fillBitmap(bmp, 130, 110, kWhite);
  info.Position = fsdRight;
  info.ButtonLook = false;
  setSelected(true);
  paint();
  EXPECT_TRUE(at(10, 10, face));
  EXPECT_TRUE(at(11, 11, face));
  EXPECT_TRUE(at(10, 27, face));
  EXPECT_TRUE(at(10, 28, kWhite)) << "the lines end two pixels above the bottom";
  fillBitmap(bmp, 130, 110, kWhite);
  info.Position = fsdBottom;
  paint();
  EXPECT_TRUE(at(10, 10, face));
  EXPECT_TRUE(at(12, 11, face));
  EXPECT_TRUE(at(67, 10, face));
  EXPECT_TRUE(at(68, 10, kWhite));
}

TEST_F(JvgPaintTabTest, FlatButtonsDrawTheBoxThreePixelsOutside) {
  info.FlatButtons = true;
  info.ButtonLook = true;
  paint();
  // The button box (9, 9, 69, 29) grown by 3.
  expectBox(Rect(6, 6, 72, 32), "flat button");
}

TEST_F(JvgPaintTabTest, AnActiveGradientFillsTheBoxAndTheBevelLeavesIt) {
  TJvgGradient lime;
  lime.SetActive(true);
  lime.SetFromColor(clLime);
  lime.SetToColor(clLime);
  info.Gradient = &lime;
  paint();
  EXPECT_TRUE(at(40, 20, RGB(0, 255, 0))) << "inside the box";
  EXPECT_TRUE(at(11, 20, sysRgb(COLOR_BTNHIGHLIGHT))) << "the bevel still drawn";
  EXPECT_FALSE(hasColor(bmp, kRed)) << "no background fill";
  EXPECT_TRUE(at(40, 31, kWhite));
}

TEST_F(JvgPaintTabTest, WallpaperUnderTheTabTheRowAndThePage) {
  // Under the tab (its bottom edge left for the row's frame), and inside the box, which
  // is then not filled.
  giveWallpaper();
  paint();
  EXPECT_TRUE(at(10, 20, kYellow));
  EXPECT_TRUE(at(40, 20, kYellow));
  EXPECT_TRUE(at(11, 20, sysRgb(COLOR_BTNHIGHLIGHT)));
  EXPECT_TRUE(at(69, 28, kYellow));
  EXPECT_TRUE(at(40, 31, kWhite));
  EXPECT_FALSE(hasColor(bmp, kRed));
  EXPECT_TRUE(at(100, 5, kWhite)) << "not the last tab: the row is left alone";

  // The last tab with FillCaptionBakgr: the rest of the row, from the top to two below the
  // tab.
  fillBitmap(bmp, 130, 110, kWhite);
  wallpaper.SetFillCaptionBakgr(true);
  info.DrawItem.itemID = 1;
  paint();
  EXPECT_TRUE(at(70, 0, kYellow));
  EXPECT_TRUE(at(119, 31, kYellow));
  EXPECT_TRUE(at(100, 32, kWhite));
  EXPECT_TRUE(at(120, 5, kWhite)) << "only to the client's right";

  // The page: the client rectangle less the tab's height and 5 at the top, one elsewhere.
  fillBitmap(bmp, 130, 110, kWhite);
  wallpaper.SetFillCaptionBakgr(false);
  wallpaper.SetFillCaptions(false);
  wallpaper.SetFillClient(true);
  paint();
  EXPECT_TRUE(at(100, 25, kYellow));
  EXPECT_TRUE(at(100, 24, kWhite));
  EXPECT_TRUE(at(1, 58, kYellow));
  EXPECT_TRUE(at(0, 40, kWhite));
  EXPECT_TRUE(at(119, 40, kWhite));
  EXPECT_TRUE(at(60, 59, kWhite));
  EXPECT_TRUE(at(40, 20, kRed)) << "the tab itself is filled as usual";
}

TEST_F(JvgPaintTabTest, WallpaperInsideTheBevelsOnlyAndNoPictureMeansAPlainTab) {
  wallpaper.SetIncludeBevels(false);
  paint();
  EXPECT_FALSE(hasColor(bmp, kYellow));
  EXPECT_TRUE(at(40, 20, kRed)) << "no picture: the tab is drawn with its background";
  EXPECT_TRUE(at(11, 20, sysRgb(COLOR_BTNHIGHLIGHT)));

  giveWallpaper();
  fillBitmap(bmp, 130, 110, kWhite);
  paint();
  EXPECT_TRUE(at(10, 20, kWhite)) << "not under the bevel";
  EXPECT_TRUE(at(11, 20, sysRgb(COLOR_BTNHIGHLIGHT)));
  EXPECT_TRUE(at(12, 20, kYellow));
  EXPECT_TRUE(at(66, 28, kYellow));
}

TEST_F(JvgPaintTabTest, TheGlyphsBottomLeftColourIsTransparentAndTheCaptionKeepsOutOfItsWay) {
  constexpr uint32_t kMagenta = RGB(255, 0, 255);
  TBitmap glyph;
  fillBitmap(glyph, 16, 16, kMagenta);
  glyph.Canvas()->Brush()->SetColor(clLime);
  glyph.Canvas()->FillRect(Rect(5, 5, 11, 11));
  info.Glyph = &glyph;
  info.Options = TglTabOptions{ftoExcludeGlyphs};
  info.Caption = "Dados";
  style.SetCaptionHAlign(fhaLeft);
  paint();
  // Inside the box (12, 13)-(67, 29): the glyph at one pixel from the left, rows 13 .. 28.
  EXPECT_FALSE(hasColor(bmp, kMagenta));
  EXPECT_TRUE(at(13, 13, kRed));
  EXPECT_TRUE(at(13, 28, kRed));
  EXPECT_TRUE(at(18, 18, RGB(0, 255, 0)));
  EXPECT_TRUE(at(23, 23, RGB(0, 255, 0)));
  // The text starts right of the glyph (its width and one), and one more.
  const TRect excluded = colorBox(bmp, kBlue);
  ASSERT_GE(excluded.right, 0);
  EXPECT_GE(excluded.left, 12 + 16 + 1 + 1);

  info.Options = TglTabOptions{};
  fillBitmap(bmp, 130, 110, kWhite);
  paint();
  EXPECT_LT(colorBox(bmp, kBlue).left, 12 + 16) << "without ftoExcludeGlyphs the caption uses the whole box";

  info.Options = TglTabOptions{ftoExcludeGlyphs, ftoHideGlyphs};
  fillBitmap(bmp, 130, 110, kWhite);
  paint();
  EXPECT_FALSE(hasColor(bmp, RGB(0, 255, 0))) << "hidden glyphs";
}

TEST_F(JvgPaintTabTest, TurnedCaptionsStartWhereTheirDirectionAndAlignmentPutThem) {
  // A tall tab on the left: the box (12, 10)-(40, 98), its inside (13, 11)-(39, 97); the
  // text rectangle is one pixel taller: (13, 11)-(39, 98).
  info.Position = fsdLeft;
  info.DrawItem.rcItem = Rect(10, 10, 40, 100);
  info.Caption = "Dados";
  TFont measure;
  measure.Assign(&font);
  HDC dc = bmp.Canvas()->Handle();
  HGDIOBJ old = SelectObject(dc, measure.Handle());
  SIZE extent{};
  GetTextExtentPoint32A(dc, "Dados", 5, &extent);
  SelectObject(dc, old);

  TFont turned;
  turned.SetColor(clBlue);
  auto paintTurned = [&](TglLabelDir Direction, Integer Escapement, TglHorAlign HA, TglVertAlign VA) {
    fillBitmap(bmp, 130, 110, kWhite);
    turned.SetHandle(MakeRotatedFont(&font, Escapement));
    turned.SetColor(clBlue);
    info.Font = &turned;
    info.FontDirection = Direction;
    style.SetCaptionHAlign(HA);
    style.SetCaptionVAlign(VA);
    paint();
    return colorBox(bmp, kBlue);
  };

  // Bottom up, left-aligned: from (L + (R - L - cy) / 2, B - 4) upwards.
  TRect box = paintTurned(fldDownUp, 900, fhaLeft, fvaCenter);
  ASSERT_GE(box.right, 0);
  EXPECT_GT(RectHeight(box), RectWidth(box)) << boxText(box);
  EXPECT_LE(box.bottom, 98 - 4);
  EXPECT_GE(box.bottom, 98 - 4 - 3);
  EXPECT_GE(box.left, 13 + (26 - extent.cy) / 2 - 1);

  // Top down, right-aligned: the text ends 3 above the bottom.
  box = paintTurned(fldUpDown, -900, fhaRight, fvaTop);
  ASSERT_GE(box.right, 0);
  EXPECT_GT(RectHeight(box), RectWidth(box)) << boxText(box);
  EXPECT_LE(box.bottom, 98 - 3);
  EXPECT_GE(box.top, 98 - 3 - extent.cx - 1);
  EXPECT_LE(box.right, 39);

  // Upside down, right-aligned: it starts at the left plus the text width and runs left.
  info.Position = fsdTop;
  info.DrawItem.rcItem = Rect(10, 10, 110, 40);  // box (11, 12)-(108, 40), text (12, 13)-(107, 40)
  box = paintTurned(fldRightLeft, -1800, fhaRight, fvaCenter);
  ASSERT_GE(box.right, 0);
  EXPECT_GT(RectWidth(box), RectHeight(box)) << boxText(box);
  EXPECT_LE(box.right, 12 + extent.cx);
  EXPECT_GE(box.left, 12 - 1);
  EXPECT_LE(box.left, 12 + 3);
}

TEST_F(JvgPaintTabTest, HorizontalCaptionsAreCentredAndWrapWhenAsked) {
  info.DrawItem.rcItem = Rect(10, 10, 70, 50);
  info.Caption = "Valores Cont\xEDnuos";
  style.SetCaptionHAlign(fhaCenter);
  paint();
  TRect oneLine = colorBox(bmp, kBlue);
  ASSERT_GE(oneLine.right, 0);
  EXPECT_GE(oneLine.left, 12) << "cut to the box, not wrapped";
  const Integer lineHeight = RectHeight(oneLine);

  info.Options = TglTabOptions{ftoWordWrap};
  fillBitmap(bmp, 130, 110, kWhite);
  paint();
  const TRect wrapped = colorBox(bmp, kBlue);
  EXPECT_GT(RectHeight(wrapped), lineHeight + 5) << "two lines: " << boxText(wrapped);
  EXPECT_NEAR(40, (wrapped.left + wrapped.right) / 2, 3) << "centred";
}

}  // namespace
