// The gradient page control: its defaults and window styles, the caption direction that
// follows the side of the tabs, glyphs per tab, the turned fonts, reading and writing its
// stored description, and its tabs as they show in a real window (styles, gradient,
// glyphs, wallpaper, colour events), with the tab change still asking OnChanging.
#include <string>
#include <vector>

#include "JvgTestHelpers.h"
#include "lib/JvgPage.h"
#include "lib/JvgUtils.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/MenusTestSupport.h"

using jvgtest::fillBitmap;
using jvgtest::sysRgb;

namespace {

class JvgPageTest : public guitest::GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 300);
    pages = New<TJvgPageControl>(form);
    pages->SetName("Pages");
    pages->SetParent(form);
    pages->SetBounds(10, 10, 380, 230);
    for (const char* caption : {"Dados", "Estrato", "\xC1rvore"}) addPage(caption);
  }
  TTabSheet* addPage(const std::string& Caption) {
    auto* sheet = New<TTabSheet>(form);
    sheet->SetCaption(Caption);
    sheet->SetPageControl(pages);
    return sheet;
  }
  // An image list of 16 x 16 images: a square of each colour on magenta, the colour the
  // tabs leave out.
  TImageList* makeGlyphs(std::initializer_list<uint32_t> Colors) {
    auto* list = New<TImageList>(form);
    list->SetWidth(16);
    list->SetHeight(16);
    for (uint32_t c : Colors) {
      TBitmap b;
      fillBitmap(b, 16, 16, 0xFF00FF);
      b.Canvas()->Brush()->SetColor(static_cast<TColor>(c));
      b.Canvas()->FillRect(Rect(4, 4, 12, 12));
      list->Add(&b, nullptr);
    }
    return list;
  }
  LONG windowStyle() { return GetWindowLongA(pages->Handle(), GWL_STYLE); }
  std::vector<Integer> tabImages() {
    std::vector<Integer> images;
    for (Integer i = 0; i < pages->Tabs()->Count(); ++i) images.push_back(pages->GetTabImage(i));
    return images;
  }
  // The control as it shows now; the whole form also goes to a PNG for a person to see.
  void capture(const std::string& Name) {
    pages->Invalidate();
    guitest::pumpFor(60);
    guitest::captureClient(pages, shot);
    guitest::savePng(shot, Name);
  }
  // How many pixels of tab Index (as the tab control places it) have Color.
  int inTab(Integer Index, uint32_t Color) {
    const TRect r = pages->TabRect(Index);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (guitest::pixelAt(shot, x, y) == Color) ++n;
    return n;
  }
  TForm* form = nullptr;
  TJvgPageControl* pages = nullptr;
  TBitmap shot;
};

// Reads a form description in the text form into Root.
void readDescription(TComponent* Root, const std::string& Text) {
  TStringStream in(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(Root);
}

class Recorder : public TObject {
public:
  std::vector<std::string> Log;
  bool Allow = true;
  TPageControl* Pages = nullptr;
  void Changing(TObject*, bool& AllowChange) {
    Log.push_back("changing from " + Pages->ActivePage()->Caption());
    AllowChange = Allow;
  }
  void ItemColor(TObject*, Integer Index, TColor& Color) {
    if (Index == 2) Color = clYellow;
  }
  void FontColor(TObject*, Integer Index, TColor& Color) {
    if (Index == 1) Color = clRed;
  }
  std::vector<Integer> GradientIndexes;
  TColor SeenFrom = clNone;
  void Gradient(TObject*, Integer Index, TJvgGradient*& G) {
    GradientIndexes.push_back(Index);
    SeenFrom = G->FromColor();
    G->SetActive(true);
    G->SetFromColor(clLime);
    G->SetToColor(clLime);
  }
};

// ---------------------------------------------------------------------------------------
// Defaults, window styles, caption direction.

TEST_F(JvgPageTest, StartsWithItsTwoTabStylesNoTabStopAndOwnerDrawnTabs) {
  EXPECT_FALSE(pages->TabStop());
  EXPECT_EQ(clBtnShadow, pages->TabStyle()->BackgrColor());
  EXPECT_EQ(clBtnHighlight, pages->TabStyle()->Font()->Color());
  EXPECT_EQ(fhaCenter, pages->TabStyle()->CaptionHAlign());
  EXPECT_EQ("Arial", pages->TabStyle()->Font()->Name());
  EXPECT_EQ(clBtnFace, pages->TabSelectedStyle()->BackgrColor());
  EXPECT_EQ(clBtnText, pages->TabSelectedStyle()->Font()->Color());
  EXPECT_EQ(fhaCenter, pages->TabSelectedStyle()->CaptionHAlign());
  EXPECT_EQ("Arial", pages->TabSelectedStyle()->Font()->Name());
  EXPECT_EQ(fvaCenter, pages->TabStyle()->CaptionVAlign()) << "the rest as a new style has it";
  EXPECT_EQ((TglTabOptions{ftoAutoFontDirection, ftoExcludeGlyphs}), pages->Options());
  EXPECT_EQ(fldLeftRight, pages->FontDirection());
  EXPECT_EQ(fsdTop, pages->TabsPosition());
  EXPECT_EQ(fwoNone, pages->DrawGlyphsOption());
  EXPECT_EQ(nullptr, pages->Glyphs());
  EXPECT_TRUE(windowStyle() & TCS_OWNERDRAWFIXED);
  EXPECT_FALSE(windowStyle() & TCS_BUTTONS);
}

TEST_F(JvgPageTest, ButtonLookAndTabSidesRecreateTheWindowWithTheirStyles) {
  struct Case {
    TglSide Side;
    bool Buttons;
    LONG Wanted, Unwanted;
  };
  for (const Case& c : {Case{fsdLeft, false, TCS_VERTICAL, TCS_RIGHT | TCS_BUTTONS},
                        Case{fsdRight, true, TCS_VERTICAL | TCS_RIGHT | TCS_BUTTONS, 0},
                        Case{fsdBottom, false, TCS_BOTTOM, TCS_VERTICAL | TCS_BUTTONS},
                        Case{fsdTop, true, TCS_BUTTONS, TCS_VERTICAL | TCS_BOTTOM}}) {
    const HWND before = pages->Handle();
    pages->SetTabsPosition(c.Side);
    pages->SetLookLikeButtons(c.Buttons);
    const std::string label = GetEnumName(TypeInfo<TglSide>(), c.Side) + (c.Buttons ? " buttons" : "");
    EXPECT_NE(before, pages->Handle()) << label << ": a new window";
    EXPECT_EQ(c.Wanted | TCS_OWNERDRAWFIXED, windowStyle() & (c.Wanted | TCS_OWNERDRAWFIXED)) << label;
    EXPECT_EQ(0, windowStyle() & c.Unwanted) << label;
    EXPECT_EQ(3, SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0)) << label << ": the tabs come back";
  }
}

TEST_F(JvgPageTest, CaptionDirectionFollowsTheTabsSideUntilTheOptionIsOff) {
  struct Case {
    TglSide Side;
    TglLabelDir Direction;
    Integer Escapement;
  };
  for (const Case& c : {Case{fsdLeft, fldDownUp, 900}, Case{fsdRight, fldUpDown, -900}, Case{fsdBottom, fldLeftRight, 0},
                        Case{fsdTop, fldLeftRight, 0}}) {
    pages->SetTabsPosition(c.Side);
    EXPECT_EQ(c.Direction, pages->FontDirection()) << GetEnumName(TypeInfo<TglSide>(), c.Side);
    EXPECT_EQ(c.Escapement, pages->NormalTabFont()->Orientation()) << "the turned fonts follow";
    EXPECT_EQ(c.Escapement, pages->SelectedTabFont()->Orientation());
  }
  pages->SetTabsPosition(fsdLeft);
  pages->SetOptions(TglTabOptions{ftoExcludeGlyphs});
  EXPECT_EQ(fldDownUp, pages->FontDirection()) << "switching the option off keeps the direction";
  pages->SetTabsPosition(fsdTop);
  EXPECT_EQ(fldDownUp, pages->FontDirection());
  pages->SetFontDirection(fldRightLeft);
  EXPECT_EQ(-1800, pages->NormalTabFont()->Orientation());
  pages->SetOptions(TglTabOptions{ftoAutoFontDirection});
  EXPECT_EQ(fldLeftRight, pages->FontDirection()) << "switching it on takes the side's direction";
}

TEST_F(JvgPageTest, RebuildingTheTurnedFontsOverAndOverLeavesEveryFontUsable) {
  for (int i = 0; i < 40; ++i) pages->SetFontDirection(i % 2 ? fldUpDown : fldDownUp);
  for (TFont* f : {pages->TabStyle()->Font(), pages->TabSelectedStyle()->Font(), pages->NormalTabFont(),
                   pages->SelectedTabFont()}) {
    LOGFONTA lf{};
    ASSERT_EQ(static_cast<int>(sizeof lf), GetObjectA(f->Handle(), sizeof lf, &lf));
    EXPECT_STREQ("Arial", lf.lfFaceName);
  }
  EXPECT_EQ(0, pages->TabStyle()->Font()->Orientation()) << "the style fonts are not turned";
  EXPECT_EQ(-900, pages->NormalTabFont()->Orientation()) << "the last direction, top down";
  EXPECT_EQ(clBtnHighlight, pages->NormalTabFont()->Color());
  EXPECT_EQ(clBtnText, pages->SelectedTabFont()->Color());
  // A change of a style's font makes its turned font again.
  pages->TabStyle()->Font()->SetName("Courier New");
  EXPECT_EQ("Courier New", pages->NormalTabFont()->Name());
  EXPECT_EQ(-900, pages->NormalTabFont()->Orientation());
}

TEST_F(JvgPageTest, TheControlsFontReachesBothStylesOnlyWithInheritedTabFonts) {
  TFont courier;
  courier.SetName("Courier New");
  courier.SetSize(9);
  pages->SetFont(&courier);
  EXPECT_EQ("Arial", pages->TabStyle()->Font()->Name());
  pages->SetOptions(TglTabOptions{ftoInheriteTabFonts});
  TFont tahoma;
  tahoma.SetName("Tahoma");
  tahoma.SetSize(10);
  pages->SetFont(&tahoma);
  EXPECT_EQ("Tahoma", pages->TabStyle()->Font()->Name());
  EXPECT_EQ("Tahoma", pages->TabSelectedStyle()->Font()->Name());
  EXPECT_EQ("Tahoma", pages->NormalTabFont()->Name());
  // A change of the control's font itself does the same.
  pages->Font()->SetName("Times New Roman");
  EXPECT_EQ("Times New Roman", pages->TabSelectedStyle()->Font()->Name());
  EXPECT_EQ("Times New Roman", pages->SelectedTabFont()->Name());
}

// ---------------------------------------------------------------------------------------
// Glyphs.

TEST_F(JvgPageTest, GlyphsGoToTheTabsByIndexOrAllShowTheFirst) {
  pages->HandleNeeded();
  addPage("Relat\xF3rio");
  addPage("Mem\xF3ria");
  EXPECT_EQ((std::vector<Integer>{-1, -1, -1, -1, -1}), tabImages()) << "without Glyphs";
  pages->SetTabImage(3, 7);
  pages->SetTabImage(4, -1);
  TImageList* list = makeGlyphs({0x0000FF, 0x00FF00, 0xFF0000});
  pages->SetGlyphs(list);
  EXPECT_EQ((std::vector<Integer>{0, 1, 2, 7, -1}), tabImages()) << "tabs past the images keep theirs";
  {
    // A tab whose image the list does not have is drawn without a glyph.
    TBitmap bmp;
    fillBitmap(bmp, 100, 50, 0xFFFFFF);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_TAB;
    dis.itemID = 3;
    dis.hDC = bmp.Canvas()->Handle();
    dis.rcItem = Rect(10, 10, 70, 30);
    EXPECT_NO_THROW(pages->DrawTab(dis));
    EXPECT_EQ(hexColor(sysRgb(COLOR_BTNSHADOW)), hexColor(pixelOf(bmp, 13, 14))) << "the tab is drawn";
  }
  EXPECT_EQ(reinterpret_cast<LRESULT>(list->Handle()), SendMessageA(pages->Handle(), TCM_GETIMAGELIST, 0, 0));
  pages->SetTabImage(4, 1);
  pages->SetSingleGlyph(true);
  EXPECT_EQ((std::vector<Integer>{0, 0, 0, 0, 0}), tabImages());
  pages->SetTabImage(3, 2);
  pages->SetTabImage(4, 1);
  pages->SetSingleGlyph(false);
  EXPECT_EQ((std::vector<Integer>{0, 1, 2, 2, 1}), tabImages()) << "tabs past the images keep theirs";

  // New tabs: their own index while the list has it, else none; the first with SingleGlyph.
  pages->SetTabImage(3, -1);
  addPage("Nova");
  EXPECT_EQ(-1, pages->GetTabImage(5));
  pages->SetSingleGlyph(true);
  addPage("Outra");
  EXPECT_EQ(0, pages->GetTabImage(6));

  pages->SetGlyphs(nullptr);
  EXPECT_EQ(-1, pages->GetTabImage(0));
  EXPECT_EQ(0, SendMessageA(pages->Handle(), TCM_GETIMAGELIST, 0, 0));
}

TEST_F(JvgPageTest, GlyphsKeepTheImagesTabsAlreadyHave) {
  pages->HandleNeeded();
  pages->Pages(0)->SetImageIndex(2);
  pages->SetGlyphs(makeGlyphs({0x0000FF, 0x00FF00, 0xFF0000}));
  EXPECT_EQ((std::vector<Integer>{2, -1, -1}), tabImages());
}

TEST_F(JvgPageTest, InsertingATabAnswersZeroAndARefusedInsertStaysAFailure) {
  auto* bare = New<TJvgPageControl>(form);
  bare->SetParent(form);
  bare->HandleNeeded();
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  char text[] = "x";
  item.pszText = text;
  EXPECT_EQ(0, bare->Perform(TCM_INSERTITEMA, 0, &item));
  EXPECT_EQ(0, bare->Perform(TCM_INSERTITEMA, 5, &item)) << "appended as the second tab";
  EXPECT_EQ(2, SendMessageA(bare->Handle(), TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(-1, bare->Perform(TCM_INSERTITEMA, static_cast<WPARAM>(-1), &item));
  EXPECT_EQ(2, SendMessageA(bare->Handle(), TCM_GETITEMCOUNT, 0, 0));
  SendMessageA(bare->Handle(), TCM_DELETEALLITEMS, 0, 0);
}

TEST_F(JvgPageTest, AGlyphListOrWallpaperImageThatGoesIsLetGo) {
  TImageList* list = makeGlyphs({0x0000FF});
  pages->SetGlyphs(list);
  auto* image = New<TImage>(form);
  TBitmap picture;
  fillBitmap(picture, 8, 8, 0x00FFFF);
  image->Picture()->SetBitmap(&picture);
  pages->Wallpaper()->SetImage(image);
  ASSERT_EQ(image->Picture()->Graphic(), pages->Wallpaper()->ActiveBitmap());
  list->Free();
  image->Free();
  EXPECT_EQ(nullptr, pages->Glyphs());
  EXPECT_EQ(nullptr, pages->Wallpaper()->Image());
  EXPECT_EQ(pages->Wallpaper()->Bitmap(), pages->Wallpaper()->ActiveBitmap());
  EXPECT_EQ(-1, pages->GetTabImage(0));
  form->Show();
  guitest::pumpFor(50);  // the tabs still paint
  EXPECT_TRUE(boxes().Calls().empty());
}

// ---------------------------------------------------------------------------------------
// Stored description.

TEST_F(JvgPageTest, StoredDescriptionSetsEveryPropertyAndDefaultsAreNotWritten) {
  const std::string defaults = textFormOf(form);
  for (const char* name : {"SingleGlyph", "LookLikeButtons", "TabsPosition", "Options", "FontDirection",
                           "DrawGlyphsOption", "TabStop", "Wallpaper.Tile", "Gradient.Active", "TabStyle.Borders"})
    EXPECT_EQ(std::string::npos, defaults.find(name)) << "default " << name << " stored in:\n" << defaults;

  TForm* read = own(TForm::CreateNew(nullptr));
  const std::string text =
      "object Form1: TForm\n"
      "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
      "  object Img: TImage\n    Left = 0\n    Top = 0\n    Width = 10\n    Height = 10\n  end\n"
      "  object JvgPageControl1: TJvgPageControl\n    Left = 4\n    Top = 4\n    Width = 200\n    Height = 150\n"
      "    Style = tsFlatButtons\n"
      "    SingleGlyph = True\n"
      "    TabStyle.BackgrColor = clTeal\n"
      "    TabStyle.Bold = True\n"
      "    TabStyle.BevelOuter = bvRaised\n"
      "    TabStyle.Font.Style = [fsBold]\n"
      "    TabStyle.Gradient.Active = True\n"
      "    TabStyle.Gradient.Orientation = fgdHorzConvergent\n"
      "    TabStyle.Gradient.FromColor = clBlue\n"
      "    TabSelectedStyle.TextStyle = fstShadow\n"
      "    Wallpaper.Image = Img\n"
      "    Wallpaper.FillClient = True\n"
      "    DrawGlyphsOption = fwoTile\n"
      "    LookLikeButtons = True\n"
      "    TabsPosition = fsdLeft\n"
      "    Options = [ftoExcludeGlyphs, ftoWordWrap]\n"
      "    FontDirection = fldUpDown\n"
      "  end\n"
      "end\n";
  readDescription(read, text);
  auto* p = dynamic_cast<TJvgPageControl*>(read->FindComponent("JvgPageControl1"));
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(tsFlatButtons, p->Style());
  EXPECT_TRUE(p->SingleGlyph());
  EXPECT_EQ(clTeal, p->TabStyle()->BackgrColor());
  EXPECT_TRUE(p->TabStyle()->Bold());
  EXPECT_EQ(bvRaised, p->TabStyle()->BevelOuter());
  EXPECT_EQ((TFontStyles{fsBold}), p->TabStyle()->Font()->Style());
  EXPECT_TRUE(p->TabStyle()->Gradient()->Active());
  EXPECT_EQ(fgdHorzConvergent, p->TabStyle()->Gradient()->Orientation());
  EXPECT_EQ(0xFF0000u, p->TabStyle()->Gradient()->RGBFromColor());
  EXPECT_EQ(fstShadow, p->TabSelectedStyle()->TextStyle());
  EXPECT_EQ(read->FindComponent("Img"), p->Wallpaper()->Image());
  EXPECT_TRUE(p->Wallpaper()->FillClient());
  EXPECT_EQ(fwoTile, p->DrawGlyphsOption());
  EXPECT_TRUE(p->LookLikeButtons());
  EXPECT_EQ(fsdLeft, p->TabsPosition());
  EXPECT_EQ((TglTabOptions{ftoExcludeGlyphs, ftoWordWrap}), p->Options());
  EXPECT_EQ(fldUpDown, p->FontDirection());
  EXPECT_EQ(-900, p->NormalTabFont()->Orientation()) << "the turned fonts are made once loaded";
  EXPECT_EQ((TFontStyles{fsBold}), p->NormalTabFont()->Style());

  const std::string written = textFormOf(read);
  for (const char* line : {"TabStyle.BackgrColor = clTeal", "TabStyle.Gradient.Orientation = fgdHorzConvergent",
                           "Wallpaper.Image = Img", "TabsPosition = fsdLeft", "Options = [ftoExcludeGlyphs, ftoWordWrap]",
                           "FontDirection = fldUpDown", "LookLikeButtons = True", "SingleGlyph = True"})
    EXPECT_NE(std::string::npos, written.find(line)) << "missing \"" << line << "\" in:\n" << written;
}

TEST_F(JvgPageTest, ATabSideReadFromADescriptionLeavesTheStoredDirection) {
  TForm* read = own(TForm::CreateNew(nullptr));
  const std::string text =
      "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
      "  object P: TJvgPageControl\n    Left = 4\n    Top = 4\n    Width = 200\n    Height = 150\n"
      "    TabsPosition = fsdRight\n  end\nend\n";
  readDescription(read, text);
  auto* p = dynamic_cast<TJvgPageControl*>(read->FindComponent("P"));
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(fsdRight, p->TabsPosition());
  EXPECT_EQ(fldLeftRight, p->FontDirection()) << "a description stores the direction itself";
}

// ---------------------------------------------------------------------------------------
// Drawing in a real window.

TEST_F(JvgPageTest, TabsShowTheirStylesColoursGlyphsAndWallpaper) {
  guitest::showAndActivate(form);
  capture("jvgpage-default");
  const uint32_t face = sysRgb(COLOR_BTNFACE), shadow = sysRgb(COLOR_BTNSHADOW), white = sysRgb(COLOR_BTNHIGHLIGHT);
  EXPECT_GT(inTab(0, face), 50) << "the selected tab in the button face";
  EXPECT_GT(inTab(1, shadow), 50) << "a normal tab in the shadow colour";
  EXPECT_GT(inTab(1, white), 5) << "with its caption in the highlight colour";

  // The colour events.
  TObjectPtr<Recorder> rec(new Recorder());
  pages->SetOnGetItemColor(TglOnGetItemColorEvent(rec.get(), &Recorder::ItemColor));
  pages->SetOnGetItemFontColor(TglOnGetItemColorEvent(rec.get(), &Recorder::FontColor));
  capture("jvgpage-item-colours");
  EXPECT_GT(inTab(2, 0x00FFFF), 50) << "OnGetItemColor's yellow";
  EXPECT_LT(inTab(2, shadow), 40) << "only the frame the tab control draws";
  EXPECT_GT(inTab(1, 0x0000FF), 5) << "OnGetItemFontColor's red caption";
  pages->SetOnGetItemColor({});
  pages->SetOnGetItemFontColor({});

  // A gradient with bevels on buttons.
  pages->SetLookLikeButtons(true);
  pages->TabStyle()->SetBevelOuter(bvRaised);
  pages->TabStyle()->SetBold(true);
  pages->TabStyle()->SetBevelInner(bvRaised);
  TJvgGradient* g = pages->TabStyle()->Gradient();
  g->SetFromColor(clRed);
  g->SetToColor(clNavy);
  g->SetOrientation(fgdHorzConvergent);
  g->SetActive(true);
  pages->TabSelectedStyle()->SetTextStyle(fstShadow);
  pages->TabStyle()->SetTextStyle(fstRaised);
  capture("jvgpage-gradient-buttons");
  // Between red and navy every band has no green.
  auto gradientPixels = [&](Integer Index) {
    const TRect r = pages->TabRect(Index);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const uint32_t c = guitest::pixelAt(shot, x, y);
        if ((c & 0x00FF00) == 0 && (c & 0xFF00FF) != 0) ++n;
      }
    return n;
  };
  EXPECT_GT(gradientPixels(1), 100) << "the gradient fills the normal tab";
  EXPECT_EQ(0, gradientPixels(0)) << "not the selected one";
  EXPECT_GT(inTab(0, face), 50) << "the selected tab keeps its style";

  // Glyphs and a wallpaper right of the last tab.
  pages->SetGlyphs(makeGlyphs({0x00FF00, 0xFF0000}));
  TBitmap tile;
  fillBitmap(tile, 8, 8, 0x00FFFF);
  tile.Canvas()->Brush()->SetColor(clOlive);
  tile.Canvas()->FillRect(Rect(0, 0, 4, 4));
  pages->Wallpaper()->SetBitmap(&tile);
  pages->Wallpaper()->SetFillCaptionBakgr(true);
  capture("jvgpage-glyphs-wallpaper");
  EXPECT_GT(inTab(0, 0x00FF00), 20) << "tab 0 shows image 0";
  EXPECT_GT(inTab(1, 0xFF0000), 20) << "tab 1 shows image 1";
  EXPECT_EQ(0, inTab(2, 0x00FF00) + inTab(2, 0xFF0000)) << "tab 2 has no image";
  EXPECT_EQ(0, inTab(0, 0xFF00FF) + inTab(1, 0xFF00FF)) << "the glyphs' magenta is left out";
  const TRect last = pages->TabRect(2);
  EXPECT_EQ(guitest::hexOf(0x00FFFF), guitest::hexOf(guitest::pixelAt(shot, last.right + 20, last.top + 6)))
      << "the rest of the tab row shows the wallpaper";
}

TEST_F(JvgPageTest, FlatButtonsWithABoldFontAndAConvergingGradient) {
  pages->SetStyle(tsFlatButtons);
  pages->TabStyle()->Font()->SetStyle(TFontStyles{fsBold});
  TJvgGradient* g = pages->TabStyle()->Gradient();
  g->SetFromColor(clBtnShadow);
  g->SetToColor(clNavy);
  g->SetOrientation(fgdHorzConvergent);
  g->SetActive(true);
  guitest::showAndActivate(form);
  capture("jvgpage-flat-buttons");
  EXPECT_TRUE(windowStyle() & TCS_FLATBUTTONS);
  EXPECT_EQ((TFontStyles{fsBold}), pages->NormalTabFont()->Style());
  // The middle row of a normal tab carries the navy end of the gradient.
  const TRect r = pages->TabRect(1);
  int navy = 0;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y)
      if (guitest::pixelAt(shot, x, y) == 0x800000) ++navy;
  EXPECT_GT(navy, 10);
  EXPECT_GT(inTab(0, sysRgb(COLOR_BTNFACE)), 50) << "the selected tab without a gradient";
}

TEST_F(JvgPageTest, TabsOnTheLeftAndAtTheBottomWithTurnedCaptions) {
  pages->SetTabsPosition(fsdLeft);
  pages->TabStyle()->SetBevelOuter(bvRaised);
  guitest::showAndActivate(form);
  capture("jvgpage-left");
  const TRect tab1 = pages->TabRect(1);
  EXPECT_GT(RectHeight(tab1), RectWidth(tab1)) << "tall tabs on the left";
  EXPECT_GT(inTab(1, sysRgb(COLOR_BTNSHADOW)), 50);
  // The caption runs upwards: its highlight-coloured ink is taller than wide.
  TRect ink = Rect(10000, 10000, -1, -1);
  for (int y = tab1.top + 3; y < tab1.bottom - 3; ++y)
    for (int x = tab1.left + 4; x < tab1.right - 3; ++x)
      if (guitest::pixelAt(shot, x, y) == sysRgb(COLOR_BTNHIGHLIGHT)) {
        ink.left = std::min<LONG>(ink.left, x);
        ink.right = std::max<LONG>(ink.right, x);
        ink.top = std::min<LONG>(ink.top, y);
        ink.bottom = std::max<LONG>(ink.bottom, y);
      }
  ASSERT_GE(ink.right, 0) << "the caption shows";
  EXPECT_GT(RectHeight(ink), RectWidth(ink)) << jvgtest::boxText(ink);

  pages->SetTabsPosition(fsdBottom);
  capture("jvgpage-bottom");
  const TRect bottomTab = pages->TabRect(1);
  EXPECT_GT(bottomTab.top, pages->Height() / 2) << "the tabs are at the bottom";
  EXPECT_GT(inTab(1, sysRgb(COLOR_BTNSHADOW)), 50);
}

TEST_F(JvgPageTest, ADisabledSelectedTabIsDrawnAsANormalOne) {
  pages->HandleNeeded();
  TBitmap bmp;
  fillBitmap(bmp, 100, 50, 0xFFFFFF);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_TAB;
  dis.itemID = 0;
  dis.hDC = bmp.Canvas()->Handle();
  dis.rcItem = Rect(10, 10, 70, 30);
  dis.itemState = ODS_SELECTED | ODS_DISABLED;
  pages->DrawTab(dis);
  EXPECT_EQ(hexColor(sysRgb(COLOR_BTNSHADOW)), hexColor(pixelOf(bmp, 20, 20)));
  dis.itemState = ODS_SELECTED;
  pages->DrawTab(dis);
  EXPECT_EQ(hexColor(sysRgb(COLOR_BTNFACE)), hexColor(pixelOf(bmp, 20, 20)));
}

TEST_F(JvgPageTest, TheGradientOnGetGradientColorsLeavesIsTheOneDrawn) {
  pages->HandleNeeded();
  pages->TabStyle()->Gradient()->SetFromColor(clMaroon);
  TObjectPtr<Recorder> rec(new Recorder());
  pages->SetOnGetGradientColors(TglOnGetGradientColors(rec.get(), &Recorder::Gradient));
  TBitmap bmp;
  fillBitmap(bmp, 100, 50, 0xFFFFFF);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_TAB;
  dis.itemID = 1;
  dis.hDC = bmp.Canvas()->Handle();
  dis.rcItem = Rect(10, 10, 70, 30);
  pages->DrawTab(dis);
  EXPECT_EQ(std::vector<Integer>{1}, rec->GradientIndexes);
  EXPECT_EQ(clMaroon, rec->SeenFrom) << "the handler starts from the style's gradient";
  EXPECT_EQ(hexColor(0x00FF00), hexColor(pixelOf(bmp, 30, 20))) << "its gradient is drawn";
  EXPECT_FALSE(pages->TabStyle()->Gradient()->Active()) << "the style's own gradient is untouched";
  EXPECT_EQ(clMaroon, pages->TabStyle()->Gradient()->FromColor());
}

TEST_F(JvgPageTest, ClickingATabStillAsksOnChanging) {
  TObjectPtr<Recorder> rec(new Recorder());
  rec->Pages = pages;
  pages->SetOnChanging(TTabChangingEvent(rec.get(), &Recorder::Changing));
  guitest::showAndActivate(form);
  auto clickTab = [&](Integer i) {
    const TRect r = pages->TabRect(i);
    guitest::clickAt(pages, Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  };
  rec->Allow = false;
  clickTab(1);
  EXPECT_EQ(pages->Pages(0), pages->ActivePage());
  EXPECT_EQ(std::vector<std::string>{"changing from Dados"}, rec->Log);
  rec->Allow = true;
  rec->Log.clear();
  clickTab(1);
  EXPECT_EQ(pages->Pages(1), pages->ActivePage());
  EXPECT_EQ(std::vector<std::string>{"changing from Dados"}, rec->Log);
  capture("jvgpage-second-selected");
  EXPECT_GT(inTab(1, sysRgb(COLOR_BTNFACE)), 50) << "the newly selected tab takes the selected style";
  EXPECT_GT(inTab(0, sysRgb(COLOR_BTNSHADOW)), 50);
}

}  // namespace
