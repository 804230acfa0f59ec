// Glyph buttons and the button face.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"

using namespace guitest;

namespace {
uint32_t rgbOf(TColor c) { return static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFF; }
}  // namespace

class ButtonsTest : public GuiTest {};

TEST_F(ButtonsTest, ButtonFaceIsFramedRaisedWhenUpAndShadowedWhenDown) {
  TBitmap bmp;
  makeWhite(bmp, 40, 20);
  TRect face = DrawButtonFace(bmp.Canvas(), Rect(0, 0, 40, 20), 1, bsNew, false, false, false);
  EXPECT_EQ(face.left, 1);
  EXPECT_EQ(face.top, 1);
  EXPECT_EQ(face.right, 38);
  EXPECT_EQ(face.bottom, 18);
  EXPECT_TRUE(PixelIs(bmp, 0, 0, rgbOf(clWindowFrame))) << "dark frame";
  EXPECT_TRUE(PixelIs(bmp, 1, 1, rgbOf(clBtnHighlight))) << "light bevel top-left";
  EXPECT_TRUE(PixelIs(bmp, 38, 18, rgbOf(clBtnShadow))) << "shadow bottom-right";
  EXPECT_TRUE(PixelIs(bmp, 20, 10, rgbOf(clBtnFace)));
  makeWhite(bmp, 40, 20);
  TRect down = DrawButtonFace(bmp.Canvas(), Rect(0, 0, 40, 20), 1, bsNew, false, true, false);
  EXPECT_EQ(down.left, 2) << "a pressed face moves right and down";
  EXPECT_EQ(down.top, 2);
  EXPECT_TRUE(PixelIs(bmp, 1, 1, rgbOf(clBtnShadow))) << "pressed: shadow top-left";
  EXPECT_TRUE(PixelIs(bmp, 38, 18, rgbOf(clBtnFace))) << "pressed: no bevel bottom-right";
  makeWhite(bmp, 40, 20);
  DrawButtonFace(bmp.Canvas(), Rect(0, 0, 40, 20), 1, bsWin31, true, false, false);
  EXPECT_TRUE(PixelIs(bmp, 0, 0, rgbOf(clBtnFace))) << "a rounded old-style button has no corner pixel";
}

TEST_F(ButtonsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  TForm* form = own(newForm(300, 100));
  TObjectPtr<TEventLog> log(new TEventLog());
  std::vector<TSpeedButton*> buttons;
  for (int i = 0; i < 3; ++i) {
    TSpeedButton* b = New<TSpeedButton>(form);
    b->SetName("b" + std::to_string(i));
    b->SetParent(form);
    b->SetBounds(10 + i * 30, 10, 25, 25);
    b->SetGroupIndex(1);
    b->SetOnClick(TNotifyEvent(log.get(), &TEventLog::Click));
    buttons.push_back(b);
  }
  TSpeedButton* plain = New<TSpeedButton>(form);
  plain->SetParent(form);
  plain->SetBounds(120, 10, 25, 25);
  showAndActivate(form);
  auto click = [&](TSpeedButton* b) { clickAt(b, Point(12, 12)); };
  click(buttons[1]);
  EXPECT_TRUE(buttons[1]->Down());
  click(buttons[2]);
  EXPECT_TRUE(buttons[2]->Down());
  EXPECT_FALSE(buttons[1]->Down()) << "the group keeps one button down";
  click(buttons[2]);
  EXPECT_TRUE(buttons[2]->Down()) << "without AllowAllUp the down button stays down";
  buttons[0]->SetAllowAllUp(true);
  click(buttons[2]);
  EXPECT_FALSE(buttons[2]->Down()) << "AllowAllUp (shared by the group) lets it up";
  click(plain);
  EXPECT_FALSE(plain->Down()) << "a button of no group never stays down";
  EXPECT_EQ(log->Events, (std::vector<std::string>{"Click b1", "Click b2", "Click b2", "Click b2"}));
}

TEST_F(ButtonsTest, BitBtnKindGivesCaptionResultDefaultAndAGlyph) {
  TForm* form = own(newForm(300, 100));
  TBitBtn* ok = New<TBitBtn>(form);
  ok->SetParent(form);
  ok->SetBounds(10, 10, 90, 30);
  ok->SetKind(bkOK);
  EXPECT_EQ(ok->Caption(), "OK");
  EXPECT_EQ(ok->ModalResult(), mrOk);
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(ok->NumGlyphs(), 2);
  EXPECT_FALSE(ok->Glyph()->Empty());
  EXPECT_EQ(ok->Kind(), bkOK);
  ok->SetModalResult(mrNone);
  EXPECT_EQ(ok->Kind(), bkCustom) << "a standard button changed by hand is a custom one";
  TBitBtn* cancel = New<TBitBtn>(form);
  cancel->SetParent(form);
  cancel->SetBounds(110, 10, 90, 30);
  cancel->SetKind(bkCancel);
  EXPECT_TRUE(cancel->Cancel());
  showAndActivate(form);
  pressKey(VK_ESCAPE);
  EXPECT_EQ(form->ModalResult(), mrCancel);
  TBitmap shot;
  captureClient(cancel, shot);
  Integer red = 0;
  for (Integer y = 0; y < shot.Height(); ++y)
    for (Integer x = 0; x < shot.Width(); ++x) red += pixelAt(shot, x, y) == 0x0000FF;
  EXPECT_GT(red, 10) << "the cancel glyph's red cross shows";
}

TEST_F(ButtonsTest, CloseBitBtnClosesItsForm) {
  TForm* form = own(newForm(300, 100));
  TBitBtn* close = New<TBitBtn>(form);
  close->SetParent(form);
  close->SetKind(bkClose);
  EXPECT_EQ(close->Caption(), "&Close");
  showAndActivate(form);
  clickAt(close, Point(10, 10));
  EXPECT_FALSE(form->Visible()) << "closing hides the form";
}
