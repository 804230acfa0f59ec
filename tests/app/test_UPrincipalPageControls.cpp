// The main window's two gradient page controls: read from the stored form, drawing their
// own tabs in the normal and selected styles, and changing pages when a tab is clicked.
// The whole window goes to a PNG for a person to look at.
#include "app/UPrincipal.h"
#include "platform/gui/GuiTestSupport.h"

using guitest::GuiTest;

namespace {

class MainWindowPageControlsTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    // A first start: no settings left by an earlier window.
    DeleteFile(ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini");
    form = own(New<TFrmPrincipal>(nullptr));
    guitest::showAndActivate(form);
    guitest::pumpFor(100);
  }
  // How many pixels of tab Index of Pages have Color, as the control shows now.
  int inTab(TJvgPageControl* Pages, Integer Index, uint32_t Color) {
    TBitmap shot;
    guitest::captureClient(Pages, shot);
    const TRect r = Pages->TabRect(Index);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (guitest::pixelAt(shot, x, y) == Color) ++n;
    return n;
  }
  TFrmPrincipal* form = nullptr;
};

uint32_t sysRgb(int Index) { return GetSysColor(Index) & 0xFFFFFF; }

TEST_F(MainWindowPageControlsTest, BothPageControlsDrawTheirTabsInTheirStyles) {
  TBitmap window;
  guitest::captureWindow(form->Handle(), window);
  EXPECT_FALSE(guitest::savePng(window, "main-window-page-controls").empty());

  for (TJvgPageControl* pages : {form->JvgPageControl1, form->JvgPageControl2}) {
    ASSERT_TRUE(pages->HandleAllocated()) << pages->Name();
    EXPECT_TRUE(GetWindowLongA(pages->Handle(), GWL_STYLE) & TCS_OWNERDRAWFIXED) << pages->Name();
    EXPECT_GT(inTab(pages, 0, sysRgb(COLOR_BTNFACE)), 30) << pages->Name() << ": the selected tab";
  }
  EXPECT_EQ(form->TabConfiguracao, form->JvgPageControl1->ActivePage());
  EXPECT_EQ(form->TabValoresContinuos, form->JvgPageControl2->ActivePage());
  for (Integer i : {1, 2}) {
    EXPECT_GT(inTab(form->JvgPageControl2, i, sysRgb(COLOR_BTNSHADOW)), 30) << "tab " << i << " in the normal style";
    EXPECT_GT(inTab(form->JvgPageControl2, i, sysRgb(COLOR_BTNHIGHLIGHT)), 5) << "tab " << i << " caption";
  }
  EXPECT_TRUE(boxes().Calls().empty());
}

TEST_F(MainWindowPageControlsTest, ClickingATabOfTheInnerControlShowsItsPage) {
  TJvgPageControl* pages = form->JvgPageControl2;
  const TRect r = pages->TabRect(1);
  guitest::clickAt(pages, Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_EQ(form->TabTipoAmostragem, pages->ActivePage());
  EXPECT_TRUE(IsWindowVisible(form->GrTipo->Handle())) << "the page's radio group shows";
  EXPECT_GT(inTab(pages, 1, sysRgb(COLOR_BTNFACE)), 30) << "the clicked tab is drawn selected";
  EXPECT_GT(inTab(pages, 0, sysRgb(COLOR_BTNSHADOW)), 30) << "the first tab is drawn normal";
  TBitmap window;
  guitest::captureWindow(form->Handle(), window);
  guitest::savePng(window, "main-window-tipo-amostragem");
  EXPECT_TRUE(boxes().Calls().empty());
}

}  // namespace
