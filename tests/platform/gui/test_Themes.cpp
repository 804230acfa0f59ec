// Theme services: element details, and drawing with the platform's light visual style
// switched on for the test (and off again after it).
#include <string>

#include "ControlsTestTypes.h"
#include "GuiTestHelpers.h"
#include "GuiTestSupport.h"
#include "TestFramework.h"
#include "platform/gui/Themes.h"

using namespace guitest;

namespace {

// The number of distinct colours of a bitmap.
size_t colourCount(TBitmap& bmp) {
  std::vector<uint32_t> seen;
  for (Integer y = 0; y < bmp.Height(); ++y)
    for (Integer x = 0; x < bmp.Width(); ++x) {
      uint32_t c = pixelOf(bmp, x, y);
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  return seen.size();
}

}  // namespace

class ThemesTest : public GuiTest {
protected:
  void TearDown() override {
    if (ThemeServices()->ThemesEnabled()) SwitchTestVisualStyle(false);
    GuiTest::TearDown();
  }
};

TEST_F(ThemesTest, ElementDetailsGiveTheClassPartAndState) {
  struct Case {
    TThemedElementDetails details;
    TThemedElement element;
    Integer part, state;
  };
  TThemeServices* t = ThemeServices();
  const Case cases[] = {
      {t->GetElementDetails(tbPushButtonNormal), teButton, 1, 1},
      {t->GetElementDetails(tbPushButtonDefaulted), teButton, 1, 5},
      {t->GetElementDetails(tbRadioButtonCheckedHot), teButton, 2, 6},
      {t->GetElementDetails(tbCheckBoxMixedDisabled), teButton, 3, 12},
      {t->GetElementDetails(tbGroupBoxDisabled), teButton, 4, 2},
      {t->GetElementDetails(tcDropDownButtonPressed), teComboBox, 1, 3},
      {t->GetElementDetails(teEditTextReadOnly), teEdit, 1, 6},
      {t->GetElementDetails(ttbSeparatorVertNormal), teToolBar, 6, 1},
      {t->GetElementDetails(ttbButtonCheckedHot), teToolBar, 1, 6},
      {t->GetElementDetails(ttBody), teTab, 10, 0},
      {t->GetElementDetails(tpChunk), teProgress, 3, 0},
      {t->GetElementDetails(tsUpHorzDisabled), teSpin, 3, 4},
      {t->GetElementDetails(tbButtonRoot), teButton, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.details.Element, c.element);
    EXPECT_EQ(c.details.Part, c.part);
    EXPECT_EQ(c.details.State, c.state) << "part " << c.part;
  }
}

TEST_F(ThemesTest, WithoutAVisualStyleNothingIsDrawn) {
  ASSERT_FALSE(ThemeServices()->ThemesEnabled()) << "the prefix runs without a visual style";
  TBitmap bmp;
  makeWhite(bmp, 60, 24);
  TThemeServices* t = ThemeServices();
  t->DrawElement(bmp.Canvas()->Handle(), t->GetElementDetails(tbPushButtonNormal), Rect(0, 0, 60, 24));
  EXPECT_EQ(colourCount(bmp), 1u);
  TRect r = Rect(0, 0, 60, 24);
  TRect content = t->ContentRect(bmp.Canvas()->Handle(), t->GetElementDetails(tbPushButtonNormal), r);
  EXPECT_TRUE(EqualRect(&content, &r)) << "no style: the content is the whole rectangle";
}

TEST_F(ThemesTest, TestVisualStyleSwitchesOnDrawsElementsAndSwitchesOff) {
  ASSERT_TRUE(SwitchTestVisualStyle(true)) << "the light style could not be switched on";
  TThemeServices* t = ThemeServices();
  EXPECT_TRUE(t->ThemesEnabled());
  EXPECT_NE(t->Theme(teButton), nullptr);
  TBitmap bmp;
  makeWhite(bmp, 60, 24);
  TThemedElementDetails button = t->GetElementDetails(tbPushButtonNormal);
  t->DrawElement(bmp.Canvas()->Handle(), button, Rect(0, 0, 60, 24));
  EXPECT_GT(colourCount(bmp), 2u) << "a themed push button has a border and a face";
  TRect r = Rect(0, 0, 60, 24);
  TRect content = t->ContentRect(bmp.Canvas()->Handle(), button, r);
  EXPECT_GT(content.left, r.left);
  EXPECT_LT(content.right, r.right);
  ASSERT_TRUE(SwitchTestVisualStyle(false));
  EXPECT_FALSE(t->ThemesEnabled());
  EXPECT_EQ(t->Theme(teButton), nullptr);
}
