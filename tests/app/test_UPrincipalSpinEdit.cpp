// The main window's number editors: the spin editors read from the stored form with their
// values, stepped by real keys, buttons and the wheel, and refusing letters, so that no
// letter can reach the queries a run builds from them. The options page goes to a PNG.
#include "app/UPrincipal.h"
#include "platform/gui/GuiTestSupport.h"

using guitest::GuiTest;

namespace {

class MainWindowSpinEditTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    DeleteFile(ExtractFilePath(ParamStr(0)) + "Prj_Movandi.ini");
    form = own(New<TFrmPrincipal>(nullptr));
    guitest::showAndActivate(form);
    guitest::pumpFor(100);
  }
  void focusAndWait(TcxSpinEdit* Edit) {
    Edit->SetFocus();
    ASSERT_TRUE(guitest::pumpUntil([&] { return GetFocus() == Edit->InnerEdit()->WindowHandle(); }));
    guitest::pumpFor(20);
  }
  TPoint upButton(TcxSpinEdit* Edit) {
    TcxCustomEditViewInfo* vi = Edit->GetViewInfo();
    for (Integer i = 0; i < vi->ButtonCount(); ++i)
      if (vi->Button(i)->ButtonIndex == skUp) {
        const TRect r = vi->Button(i)->Bounds;
        return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      }
    ADD_FAILURE() << "no up button";
    return TPoint{0, 0};
  }
  TFrmPrincipal* form = nullptr;
};

TEST_F(MainWindowSpinEditTest, TheStoredEditorsAreRealSpinEditorsWithTheirValues) {
  struct Case {
    TcxSpinEdit* Edit;
    long long Value;
  };
  // The category count's stored 200 is replaced at start by the settings' own default, 20.
  const Case cases[] = {{form->cxCatValoresContinuos, 20}, {form->cxQtdeMinCasos, 0},
                        {form->cxNiveis, 6}, {form->cxGanho, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Edit->Name());
    EXPECT_EQ(c.Edit->Properties()->ValueType(), vtInt);
    EXPECT_EQ(c.Edit->Properties()->Buttons()->Count(), 2) << "two spin buttons";
    EXPECT_EQ(c.Edit->Value().AsInteger(), c.Value);
  }
}

TEST_F(MainWindowSpinEditTest, TheMinimumCasesStepByKeysButtonAndWheelAndRefuseLetters) {
  form->JvgPageControl2->SetActivePage(form->TabTipoAmostragem);
  guitest::pumpFor(60);
  TcxSpinEdit* edit = form->cxQtdeMinCasos;
  ASSERT_TRUE(edit->HandleAllocated() && IsWindowVisible(edit->Handle()));
  focusAndWait(edit);
  guitest::pressKey(VK_END);
  guitest::pressKey(VK_BACK);
  guitest::typeText("5ab");
  EXPECT_EQ(edit->GetDisplayText(), "5") << "letters are refused";
  guitest::pressKey(VK_UP);
  guitest::pumpFor(30);
  EXPECT_EQ(edit->Value().AsInteger(), 6);
  guitest::pressKey(VK_PRIOR);
  guitest::pumpFor(30);
  EXPECT_EQ(edit->Value().AsInteger(), 16);
  guitest::clickAt(edit, upButton(edit));
  guitest::pumpFor(40);
  EXPECT_EQ(edit->Value().AsInteger(), 17);
  guitest::moveMouseTo(edit->ClientToScreen(TPoint{10, 10}));
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA), 0);
  guitest::pumpFor(40);
  EXPECT_EQ(edit->Value().AsInteger(), 16);
  TBitmap window;
  guitest::captureWindow(form->Handle(), window);
  EXPECT_FALSE(guitest::savePng(window, "main-window-spin-edit").empty());
}

}  // namespace
