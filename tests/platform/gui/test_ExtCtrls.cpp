// ExtCtrls under real windows: Frame3D, panels, bevels, shapes, images and radio groups.
#include <string>
#include <vector>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

using namespace guitest;

class ExtCtrlsTest : public GuiTest {};

namespace {
uint32_t rgbOf(TColor c) { return static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFF; }
std::string rectText(const TRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}
}  // namespace

TEST_F(ExtCtrlsTest, Frame3DDrawsTopLeftAndBottomRightFramesAndShrinksTheRect) {
  TBitmap bmp;
  makeWhite(bmp, 10, 10);
  TRect r = Rect(0, 0, 10, 10);
  Frame3D(bmp.Canvas(), r, clRed, clBlue, 2);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right, 8);
  EXPECT_EQ(r.bottom, 8);
  EXPECT_TRUE(PixelIs(bmp, 0, 0, 0x0000FF)) << "outer top-left corner";
  EXPECT_TRUE(PixelIs(bmp, 0, 8, 0x0000FF)) << "the left edge runs down to the bottom edge";
  EXPECT_TRUE(PixelIs(bmp, 0, 9, 0xFF0000)) << "the bottom edge takes the bottom-left corner";
  EXPECT_TRUE(PixelIs(bmp, 9, 0, 0xFF0000)) << "the right edge starts at the top";
  EXPECT_TRUE(PixelIs(bmp, 5, 9, 0xFF0000));
  EXPECT_TRUE(PixelIs(bmp, 1, 5, 0x0000FF)) << "second frame";
  EXPECT_TRUE(PixelIs(bmp, 8, 5, 0xFF0000));
  EXPECT_TRUE(PixelIs(bmp, 2, 2, 0xFFFFFF)) << "the inside is left alone";
}

TEST_F(ExtCtrlsTest, PanelChildrenFillTheInsideOfItsBevelsAndBorder) {
  TForm* form = own(newForm(300, 200));
  TPanel* panel = New<TPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 200, 120);
  panel->SetBevelOuter(bvRaised);
  panel->SetBevelInner(bvLowered);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(3);
  TTestPad* pad = New<TTestPad>(form);
  pad->SetParent(panel);
  pad->SetAlign(alClient);
  showAndActivate(form);
  TRect client = panel->ClientRect();
  EXPECT_EQ(client.right, 200 - 2 * 3) << "BorderWidth lies outside the client area";
  EXPECT_EQ(rectText(pad->BoundsRect()), rectText(Rect(4, 4, client.right - 4, client.bottom - 4)))
      << "both bevels (2 + 2) are inside";
  pad->SetVisible(false);
  TBitmap shot;
  captureClient(panel, shot);
  EXPECT_TRUE(PixelIs(shot, 0, 0, rgbOf(clBtnHighlight))) << "raised outer bevel: light top-left";
  EXPECT_TRUE(PixelIs(shot, client.right - 1, client.bottom - 1, rgbOf(clBtnShadow)));
  EXPECT_TRUE(PixelIs(shot, 2, 2, rgbOf(clBtnShadow))) << "lowered inner bevel: dark top-left";
  EXPECT_TRUE(PixelIs(shot, 10, 10, rgbOf(clBtnFace)));
}

TEST_F(ExtCtrlsTest, PanelCaptionIsDrawnInTheMiddle) {
  TForm* form = own(newForm(300, 200));
  form->SetColor(clWhite);
  TPanel* panel = New<TPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 200, 60);
  panel->SetColor(clWhite);
  panel->SetBevelOuter(bvNone);
  panel->SetCaption("MMMMMMMM");
  panel->Font()->SetColor(clBlack);
  showAndActivate(form);
  TBitmap shot;
  captureClient(panel, shot);
  auto darkInColumns = [&](Integer x0, Integer x1) {
    Integer n = 0;
    for (Integer x = x0; x < x1; ++x)
      for (Integer y = 0; y < 60; ++y) n += pixelAt(shot, x, y) == 0 ? 1 : 0;
    return n;
  };
  EXPECT_GT(darkInColumns(80, 120), 20) << "text in the middle";
  EXPECT_EQ(darkInColumns(0, 30), 0) << "nothing at the left edge";
  panel->SetAlignment(taLeftJustify);
  captureClient(panel, shot);
  EXPECT_GT(darkInColumns(0, 30), 20) << "left-justified text starts at the left";
}

TEST_F(ExtCtrlsTest, BevelAndShapePaintTheirShapes) {
  TForm* form = own(newForm(300, 200));
  form->SetColor(clWhite);
  TBevel* line = New<TBevel>(form);
  line->SetParent(form);
  line->SetBounds(10, 10, 100, 10);
  line->SetShape(bsTopLine);
  TShape* circle = New<TShape>(form);
  circle->SetParent(form);
  circle->SetBounds(150, 10, 60, 40);
  circle->SetShape(stCircle);
  circle->Brush()->SetColor(clRed);
  circle->Pen()->SetColor(clBlue);
  showAndActivate(form);
  TBitmap shot;
  captureClient(form, shot);
  EXPECT_TRUE(PixelIs(shot, 50, 10, rgbOf(clBtnShadow))) << "a lowered top line: shadow first";
  EXPECT_TRUE(PixelIs(shot, 50, 11, rgbOf(clBtnHighlight)));
  EXPECT_TRUE(PixelIs(shot, 50, 15, 0xFFFFFF)) << "nothing below the line";
  EXPECT_TRUE(PixelIs(shot, 180, 30, 0x0000FF)) << "the circle's middle";
  EXPECT_TRUE(PixelIs(shot, 151, 11, 0xFFFFFF)) << "a circle leaves the corners";
  EXPECT_TRUE(PixelIs(shot, 155, 30, 0xFFFFFF)) << "a circle is as wide as the shape is high";
}

TEST_F(ExtCtrlsTest, ImageDestRectCentresStretchesOrShrinksKeepingProportions) {
  TObjectPtr<TImage> image(New<TImage>(nullptr));
  image->SetBounds(0, 0, 100, 50);
  TObjectPtr<TBitmap> bmp(new TBitmap());
  bmp->SetSize(40, 20);
  image->Picture()->SetBitmap(bmp.get());
  struct Case {
    bool stretch, center, proportional;
    TRect expected;
  };
  const Case cases[] = {
      {false, false, false, Rect(0, 0, 40, 20)},
      {false, true, false, Rect(30, 15, 70, 35)},
      {true, false, false, Rect(0, 0, 100, 50)},
      {true, false, true, Rect(0, 0, 100, 50)},
  };
  for (const Case& c : cases) {
    image->SetStretch(c.stretch);
    image->SetCenter(c.center);
    image->SetProportional(c.proportional);
    EXPECT_EQ(rectText(image->DestRect()), rectText(c.expected))
        << "stretch " << c.stretch << " center " << c.center << " proportional " << c.proportional;
  }
  bmp->SetSize(200, 50);
  image->Picture()->SetBitmap(bmp.get());
  image->SetStretch(false);
  image->SetProportional(true);
  image->SetCenter(true);
  EXPECT_EQ(rectText(image->DestRect()), rectText(Rect(0, 12, 100, 37))) << "too wide: shrunk to the width, centred";
}

TEST_F(ExtCtrlsTest, ImageCanvasDrawsOnItsBitmapAndRefusesOtherGraphics) {
  TObjectPtr<TImage> image(New<TImage>(nullptr));
  image->SetBounds(0, 0, 30, 20);
  image->Canvas()->Brush()->SetColor(clRed);
  image->Canvas()->FillRect(Rect(0, 0, 30, 20));
  ASSERT_NE(dynamic_cast<TBitmap*>(image->Picture()->Graphic()), nullptr) << "an empty image makes a bitmap";
  EXPECT_EQ(image->Picture()->Width(), 30);
  EXPECT_TRUE(PixelIs(*image->Picture()->Bitmap(), 5, 5, 0x0000FF));
  TObjectPtr<TIcon> icon(new TIcon());
  icon->SetHandle(LoadIconA(nullptr, IDI_APPLICATION));
  image->Picture()->SetIcon(icon.get());
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { image->Canvas(); }),
            "Can only modify an image if it contains a bitmap");
}

namespace {

// A radio group whose user may not change the choice.
class TLockedRadioGroup : public TRadioGroup {
  RTL_DECLARE_CLASS(TLockedRadioGroup, TRadioGroup)
public:
  using TRadioGroup::TRadioGroup;
  bool Locked = false;

protected:
  bool CanModify() override { return !Locked; }
};

}  // namespace

RTL_IMPLEMENT_CLASS(TLockedRadioGroup)

TEST_F(ExtCtrlsTest, RadioGroupHasAButtonPerItemAndItemIndexFollowsTheClickedOne) {
  TForm* form = own(newForm(300, 200));
  TObjectPtr<TEventLog> log(new TEventLog());
  auto* group = New<TLockedRadioGroup>(form);
  group->SetName("group");
  group->SetParent(form);
  group->SetBounds(10, 10, 200, 120);
  group->SetCaption("Alocação");
  group->Items()->Add("Uniforme");
  group->Items()->Add("Proporcional");
  group->Items()->Add("Ótima");
  group->SetItemIndex(1);
  group->SetOnClick(TNotifyEvent(log.get(), &TEventLog::Click));
  showAndActivate(form);
  ASSERT_EQ(group->ButtonCount(), 3);
  EXPECT_EQ(group->Buttons(2)->Caption(), "Ótima");
  EXPECT_TRUE(group->Buttons(1)->Checked());
  EXPECT_GT(group->Buttons(1)->Top(), group->Buttons(0)->Top()) << "one column: the buttons stack";
  clickAt(group->Buttons(2), Point(6, group->Buttons(2)->Height() / 2));
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_FALSE(group->Buttons(1)->Checked());
  EXPECT_EQ(log->Events, std::vector<std::string>{"Click group"});
  group->Locked = true;
  clickAt(group->Buttons(0), Point(6, group->Buttons(0)->Height() / 2));
  EXPECT_EQ(group->ItemIndex(), 2) << "CanModify false keeps the choice";
  EXPECT_FALSE(group->Buttons(0)->Checked());
  group->SetItemIndex(0);
  EXPECT_TRUE(group->Buttons(0)->Checked()) << "code may still change it";
  group->SetColumns(3);
  EXPECT_EQ(group->Buttons(1)->Top(), group->Buttons(0)->Top()) << "three columns: one row";
  group->Items()->Delete(0);
  EXPECT_EQ(group->ButtonCount(), 2);
  EXPECT_EQ(RaisedMessage<EListError>([&] { group->Buttons(2); }), "List index out of bounds (2)");
}
