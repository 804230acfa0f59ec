// The side bar's buttons: one per item, and a button freed by any hand leaves the bar's
// list at once, so the bar never holds a freed button.
#include <memory>
#include <string>
#include <vector>

#include "TestFramework.h"
#include "dx/bars/dxsbar.h"
#include "platform/gui/Forms.h"

namespace {

// Opens the bar's loading step, where it builds its buttons.
class TTestSideBar : public TdxSideBar {
public:
  using TdxSideBar::TdxSideBar;
  void BuildButtons() { Loaded(); }
};

std::vector<std::string> captionsOf(const TdxSideBar& bar) {
  std::vector<std::string> captions;
  for (Integer i = 0; i < bar.ButtonCount(); ++i) captions.push_back(bar.Buttons(i)->Caption());
  return captions;
}

class SideBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    form.reset(New<TForm>(nullptr));
    bar = new TTestSideBar(form.get());
    bar->SetParent(form.get());
    bar->Items()->SetText("Um\nDois\nTrês\n");
    bar->BuildButtons();
  }
  std::unique_ptr<TForm> form;
  TTestSideBar* bar = nullptr;
};

TEST_F(SideBarTest, AFreedButtonLeavesTheBarsListWhicheverWayItGoes) {
  ASSERT_EQ(captionsOf(*bar), (std::vector<std::string>{"Um", "Dois", "Três"}));
  delete bar->Buttons(1);
  EXPECT_EQ(captionsOf(*bar), (std::vector<std::string>{"Um", "Três"})) << "after delete";
  bar->Buttons(0)->Free();
  EXPECT_EQ(captionsOf(*bar), std::vector<std::string>{"Três"}) << "after Free";
  std::unique_ptr<TButton> last(bar->Buttons(0));
  last.reset();
  EXPECT_EQ(bar->ButtonCount(), 0) << "after a unique_ptr let go";
}

TEST_F(SideBarTest, BuildingAgainReplacesTheButtons) {
  bar->Items()->SetText("A\nB\n");
  bar->BuildButtons();
  EXPECT_EQ(captionsOf(*bar), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(bar->ComponentCount(), 2) << "the old buttons must be freed, not kept";
}

}  // namespace
