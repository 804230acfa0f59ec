// The push button: system or owner drawing by look-and-feel, clicks by real input, the
// glyph strip's image count, the layout of glyph and caption, hot tracking, face colours by
// pixels in two look-and-feel kinds (saved as PNG for a person to look at), and the
// drop-down kind that opens its menu instead of clicking.
#include <string>

#include "../foundation/CxTestHelpers.h"
#include "cx/editors/extra/cxButtons.h"
#include "platform/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

class Clicks : public TObject {
public:
  int Count = 0;
  void Click(TObject*) { ++Count; }
};

class ButtonTest : public GuiTest {
protected:
  TForm* newForm(Integer W = 420, Integer H = 160) {
    TForm* form = own(New<TForm>(nullptr, 0));
    form->SetBounds(60, 60, W, H);
    form->SetColor(clBtnFace);
    return form;
  }
  TcxButton* newButton(TForm* Form, Integer X, Integer Y, const std::string& ACaption = "Gerar Estrato") {
    auto* b = New<TcxButton>(Form);
    b->SetParent(Form);
    b->SetBounds(X, Y, 100, 25);
    b->SetCaption(ACaption);
    return b;
  }
  static bool ownerDrawn(TcxButton* B) {
    return (GetWindowLongA(B->WindowHandle(), GWL_STYLE) & 0x0F) == BS_OWNERDRAW;
  }
  static TBitmap* strip(Integer W, Integer H) {
    auto* bmp = new TBitmap();
    bmp->SetSize(W, H);
    return bmp;
  }
};

}  // namespace

TEST_F(ButtonTest, DefaultButtonIsOwnerDrawnAndAStandardLookMakesItASystemButton) {
  TForm* form = newForm();
  TcxButton* owner = newButton(form, 10, 10);
  TcxButton* system = newButton(form, 10, 50);
  system->LookAndFeel()->SetKind(lfStandard);
  showAndActivate(form);
  EXPECT_FALSE(owner->IsSystemDrawn());
  EXPECT_TRUE(ownerDrawn(owner)) << "the root look-and-feel (ultra-flat) draws the button itself";
  EXPECT_TRUE(system->IsSystemDrawn());
  EXPECT_FALSE(ownerDrawn(system)) << "a standard look leaves the button to the system";
  // Changing the kind re-creates the window with the other style.
  system->LookAndFeel()->SetKind(lfFlat);
  pumpFor(20);
  EXPECT_TRUE(ownerDrawn(system));
}

TEST_F(ButtonTest, RealClicksAndSpaceRunOnClickOnceAndADisabledButtonNever) {
  TForm* form = newForm();
  TcxButton* button = newButton(form, 10, 10);
  Clicks clicks;
  button->SetOnClick(TNotifyEvent(&clicks, &Clicks::Click));
  showAndActivate(form);
  clickAt(button, TPoint{50, 12});
  pumpFor(30);
  EXPECT_EQ(clicks.Count, 1);
  doubleClickAt(button, TPoint{50, 12});
  pumpFor(30);
  EXPECT_EQ(clicks.Count, 3) << "a double click is two presses of the button";
  button->SetFocus();
  pressKey(VK_SPACE);
  pumpFor(30);
  EXPECT_EQ(clicks.Count, 4);
  button->SetEnabled(false);
  clickAt(button, TPoint{50, 12});
  pumpFor(30);
  EXPECT_EQ(clicks.Count, 4);
}

TEST_F(ButtonTest, TheFocusedLookGoesWhenTheFocusMovesToAnotherControl) {
  TForm* form = newForm();
  TcxButton* button = newButton(form, 10, 10);
  auto* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 60, 100, 22);
  showAndActivate(form);
  clickAt(button, TPoint{50, 12});
  pumpFor(30);
  EXPECT_TRUE(button->Focused());
  edit->SetFocus();
  moveMouseTo(form->ClientToScreen(TPoint{300, 120}));
  pumpFor(60);
  button->Repaint();
  pumpFor(20);
  EXPECT_EQ(button->LastPaintedState(), cxbsNormal);
}

TEST_F(ButtonTest, GlyphStripSetsTheImageCountAndTurnsSystemPaintOff) {
  TForm* form = newForm();
  TcxButton* button = newButton(form, 10, 10);
  struct Case {
    Integer W, H, Count;
  } const cases[] = {{64, 16, 4}, {80, 16, 1}, {32, 16, 2}, {50, 16, 2} /* not a multiple: kept */};
  for (const Case& c : cases) {
    std::unique_ptr<TBitmap> bmp(strip(c.W, c.H));
    button->SetGlyph(bmp.get());
    EXPECT_EQ(button->NumGlyphs(), c.Count) << c.W << "x" << c.H;
  }
  EXPECT_FALSE(button->UseSystemPaint());
  button->SetGlyph(nullptr);
  EXPECT_FALSE(button->UseSystemPaint()) << "clearing the glyph does not turn system paint back on";
  button->SetNumGlyphs(9);
  EXPECT_EQ(button->NumGlyphs(), 4);
  button->SetMargin(-5);
  EXPECT_EQ(button->Margin(), -1) << "a margin below -1 is ignored";
}

TEST_F(ButtonTest, GlyphImagesShareOneCacheListPerSizeAndFreeIt) {
  std::unique_ptr<TBitmap> bmp(strip(32, 16));
  bmp->Canvas()->Brush()->SetColor(clBlack);
  bmp->Canvas()->FillRect(TRect{2, 2, 14, 14});
  {
    TcxButtonGlyph a, b;
    a.SetSource(bmp.get());
    b.SetSource(bmp.get());
    Integer up = a.PrepareStateImage(cxbsNormal);
    Integer disabled = a.PrepareStateImage(cxbsDisabled);
    EXPECT_GE(up, 0);
    EXPECT_NE(up, disabled);
    EXPECT_EQ(a.PrepareStateImage(cxbsHot), up) << "hot uses the up image";
    EXPECT_EQ(a.PrepareStateImage(cxbsPressed), up) << "fewer than 3 images: pressed shows the up image";
    b.PrepareStateImage(cxbsNormal);
    ASSERT_NE(cxGlyphCache(), nullptr);
    EXPECT_EQ(a.GlyphList(), b.GlyphList());
    EXPECT_EQ(cxGlyphCache()->ListCount(), 1);
    EXPECT_EQ(a.GlyphList()->UsedCount(), 3);
  }
  EXPECT_EQ(cxGlyphCache(), nullptr) << "the last glyph frees the empty cache";
}

TEST_F(ButtonTest, MarginAndSpacingMinusOneSplitTheFreeSpaceInThree) {
  TForm* form = newForm();
  TcxButton* button = newButton(form, 10, 10, "Abrir");
  showAndActivate(form);
  std::unique_ptr<TBitmap> bmp(strip(16, 16));
  TcxButtonGlyph glyph;
  glyph.SetSource(bmp.get());
  TBitmap canvasHost;
  canvasHost.SetSize(10, 10);
  canvasHost.Canvas()->Font()->Assign(button->Font());
  SIZE text{};
  HDC dc = canvasHost.Canvas()->Handle();
  HGDIOBJ old = SelectObject(dc, button->Font()->Handle());
  GetTextExtentPoint32A(dc, "Abrir", 5, &text);
  SelectObject(dc, old);
  const TRect client{0, 0, 121, 25};
  TPoint glyphPos;
  TRect textRect;
  glyph.ComputeLayout(canvasHost.Canvas(), client, TPoint{0, 0}, "Abrir", blGlyphLeft, -1, -1, glyphPos, textRect, 0);
  const Integer third = (121 - 16 - text.cx) / 3;
  EXPECT_EQ(glyphPos.x, third);
  EXPECT_EQ(textRect.left, third + 16 + third);
  EXPECT_EQ(glyphPos.y, (25 - 16 + 1) / 2);
  glyph.ComputeLayout(canvasHost.Canvas(), client, TPoint{1, 1}, "Abrir", blGlyphRight, 4, 2, glyphPos, textRect, 0);
  EXPECT_EQ(glyphPos.x, 121 - 4 - 16 + 1) << "glyph right: margin from the right edge, moved by the offset";
  EXPECT_EQ(textRect.right, glyphPos.x - 2);
}

TEST_F(ButtonTest, HoverMakesTheButtonHotAndLeavingClearsIt) {
  TForm* form = newForm();
  TcxButton* button = newButton(form, 10, 10);
  showAndActivate(form);
  moveMouseTo(form->ClientToScreen(TPoint{300, 120}));
  pumpFor(30);
  EXPECT_FALSE(button->IsHot());
  moveMouseTo(button->ClientToScreen(TPoint{40, 12}));
  EXPECT_TRUE(pumpUntil([&] { return button->IsHot(); }, 1000));
  pumpFor(30);
  EXPECT_EQ(button->LastPaintedState(), cxbsHot);
  moveMouseTo(form->ClientToScreen(TPoint{300, 120}));
  EXPECT_TRUE(pumpUntil([&] { return !button->IsHot(); }, 1000)) << "the tracking timer reports the leave";
}

TEST_F(ButtonTest, FaceColoursPaintPerStateInFlatAndUltraFlatKinds) {
  TForm* form = newForm(360, 120);
  TcxButton* flat = newButton(form, 10, 10, "Plano");
  TcxButton* ultra = newButton(form, 130, 10, "Ultra");
  TcxButton* coloured = newButton(form, 250, 10, "Cor");
  TcxButton* disabled = newButton(form, 10, 60, "Desligado");
  flat->LookAndFeel()->SetKind(lfFlat);
  ultra->LookAndFeel()->SetKind(lfUltraFlat);
  coloured->LookAndFeel()->SetKind(lfFlat);
  coloured->Colors()->SetNormal(static_cast<TColor>(0x00C0FF));
  coloured->Colors()->SetHot(static_cast<TColor>(0xFF8000));
  disabled->SetEnabled(false);
  showAndActivate(form);
  moveMouseTo(form->ClientToScreen(TPoint{340, 110}));
  pumpFor(60);
  TBitmap shot;
  captureClient(form, shot);
  EXPECT_FALSE(savePng(shot, "cx-buttons-kinds").empty());

  TBitmap f, u, c;
  captureClient(flat, f);
  captureClient(ultra, u);
  captureClient(coloured, c);
  EXPECT_TRUE(PixelIs(c, 5, 20, rgbOfColor(static_cast<TColor>(0x00C0FF)))) << "the normal colour fills the face";
  EXPECT_GT(pixelDifferences(f, u), 0) << "flat and ultra-flat frames differ";
  // Flat: a raised edge (highlight top-left); ultra-flat: a one-colour frame.
  EXPECT_TRUE(PixelIs(f, 1, 1, rgbOfColor(clBtnHighlight)));
  EXPECT_EQ(pixelOf(u, 0, 0), pixelOf(u, 99, 24)) << "ultra-flat frame is one colour";
  EXPECT_GT(countNot(f, TRect{10, 4, 90, 21}, rgbOfColor(clBtnFace)), 10) << "the caption is drawn";
  // A disabled caption: in the painter's disabled colour, never in the normal text colour.
  TBitmap d;
  captureClient(disabled, d);
  int shadow = 0, text = 0;
  for (int y = 3; y < 22; ++y)
    for (int x = 3; x < 97; ++x) {
      if (pixelOf(d, x, y) == rgbOfColor(clBtnShadow)) ++shadow;
      if (pixelOf(d, x, y) == rgbOfColor(clBtnText)) ++text;
    }
  EXPECT_GT(shadow, 10);
  EXPECT_EQ(text, 0);
  coloured->Colors()->SetNormal(clDefault);
  EXPECT_TRUE(coloured->Colors()->AssignedColors() == TcxButtonAssignedColors{cxbsHot});
  coloured->Colors()->SetAssignedColors(TcxButtonAssignedColors());
  EXPECT_EQ(coloured->Colors()->Hot(), static_cast<TColor>(0xFF8000)) << "at run time the set follows the colours";
}

namespace {
class MenuLog : public TObject {
public:
  TcxButton* Button = nullptr;
  int Popups = 0;
  bool VisibleDuringPopup = false;
  void Popup(TObject*) {
    ++Popups;
    VisibleDuringPopup = Button->IsMenuVisible();
    // Closes the menu as soon as its loop runs.
    PostMessageA(Button->WindowHandle(), WM_CANCELMODE, 0, 0);
    EndMenu();
  }
};
}  // namespace

TEST_F(ButtonTest, DropDownKindOpensItsMenuInsteadOfClicking) {
  TForm* form = newForm();
  TcxButton* button = newButton(form, 10, 10, "Menu");
  auto* menu = New<TPopupMenu>(form);
  auto* item = New<TMenuItem>(menu);
  item->SetCaption("Um");
  menu->Items()->Add(item);
  MenuLog log;
  log.Button = button;
  menu->SetOnPopup(TNotifyEvent(&log, &MenuLog::Popup));
  Clicks clicks;
  button->SetOnClick(TNotifyEvent(&clicks, &Clicks::Click));
  button->SetKind(cxbkDropDown);
  button->SetDropDownMenu(menu);
  showAndActivate(form);
  clickAt(button, TPoint{50, 12});
  EXPECT_TRUE(pumpUntil([&] { return log.Popups >= 1 && !button->IsMenuVisible(); }, 2000));
  EXPECT_TRUE(log.VisibleDuringPopup);
  EXPECT_EQ(clicks.Count, 0) << "a drop-down button runs no OnClick";
  EXPECT_FALSE(button->IsDropDownPartPressed());

  // The split kind: the face clicks, the rightmost part opens the menu.
  button->SetKind(cxbkDropDownButton);
  pumpFor(20);
  const int before = log.Popups;
  clickAt(button, TPoint{30, 12});
  pumpFor(60);
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_EQ(log.Popups, before);
  clickAt(button, TPoint{button->Width() - 5, 12});
  EXPECT_TRUE(pumpUntil([&] { return log.Popups == before + 1 && !button->IsMenuVisible(); }, 2000));
  EXPECT_EQ(clicks.Count, 1);
  // Removing the menu component clears the reference.
  delete menu;
  EXPECT_EQ(button->DropDownMenu(), nullptr);
}
