// The main window's category check box: the component set's check box read from the
// stored form, its caption and state, and a real click that turns the category count on
// and off. The window goes to a PNG for a person to look at.
#include "app/UPrincipal.h"
#include "platform/gui/GuiTestSupport.h"

using guitest::GuiTest;

namespace {

class MainWindowCheckBoxTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    DeleteFile(ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini");
    form = own(New<TFrmPrincipal>(nullptr));
    guitest::showAndActivate(form);
    guitest::pumpFor(100);
  }
  TFrmPrincipal* form = nullptr;
};

TEST_F(MainWindowCheckBoxTest, TheCategoryBoxIsTheEditorFromTheStoredFormAndAClickTogglesTheCount) {
  TcxCheckBox* box = form->ckCategoria;
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->ClassName(), "TcxCheckBox");
  EXPECT_EQ(box->Properties()->Caption(), "Separar em categorias");
  EXPECT_TRUE(box->Properties()->IsCaptionAssigned());
  EXPECT_EQ(box->Width(), 170);
  EXPECT_FALSE(box->Checked());
  form->JvgPageControl2->SetActivePage(form->TabValoresContinuos);
  guitest::pumpFor(60);
  ASSERT_TRUE(box->HandleAllocated() && IsWindowVisible(box->Handle()));
  bool enabledBefore = form->cxCatValoresContinuos->Enabled();
  const TRect& glyph = box->GetCheckViewInfo()->CheckBoxRect;
  guitest::clickAt(box, TPoint{(glyph.left + glyph.right) / 2, (glyph.top + glyph.bottom) / 2});
  guitest::pumpFor(60);
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(form->cxCatValoresContinuos->Enabled()) << "OnClick reached the form (enabled before: " << enabledBefore << ")";
  TBitmap window;
  guitest::captureWindow(form->Handle(), window);
  EXPECT_FALSE(guitest::savePng(window, "main-window-check-box").empty());
  guitest::clickAt(box, TPoint{(glyph.left + glyph.right) / 2, (glyph.top + glyph.bottom) / 2});
  guitest::pumpFor(60);
  EXPECT_FALSE(box->Checked());
  EXPECT_FALSE(form->cxCatValoresContinuos->Enabled());
}

}  // namespace
