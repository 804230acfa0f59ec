// The details site of the grid's root level: tab rows on the left and at the top (tab
// bounds worked out from the text measures), the client area left to the active view,
// hit tests, real clicks on tabs, and the tabs' pixels in the standard and flat looks.
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using namespace gridtest;
using namespace guitest;

namespace {

// Records the levels OnActiveTabChanged names.
class TabLog : public TObject {
public:
  void Changed(TcxCustomGrid*, TcxGridLevel* ALevel) { Levels.push_back(ALevel); }
  std::vector<TcxGridLevel*> Levels;
};

class DetailsSiteTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 320);
    grid = New<TcxGrid>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 360, 240);
    grid->LookAndFeel()->SetNativeStyle(false);
    grid->LookAndFeel()->SetKind(lfStandard);
    view1 = addViewOnLevel(grid, form, &level1);
    view2 = addViewOnLevel(grid, form, &level2);
    view1->SetName("Vista1");
    view2->SetName("Vista2");
    level1->SetCaption("Primeiro");
    level2->SetCaption("Segundo nível");
    grid->SetActiveLevel(level1);
    grid->OnActiveTabChanged = TcxGridActiveTabChangedEvent(&changedTabs, &TabLog::Changed);
  }

  // Shows the tabs at APosition and lets the grid lay out and paint.
  void showTabs(TcxGridDetailTabsPosition APosition) {
    grid->RootLevelOptions()->SetDetailTabsPosition(APosition);
    showAndActivate(form);
    pumpUntil([&] { return view1->Site()->Parent() == grid && view1->Site()->Width() > 0; });
  }

  TcxGridTopDetailsSiteViewInfo* site() { return grid->ViewInfo()->DetailsSiteViewInfo(); }
  TcxCustomGridDetailsSiteTabViewInfo* tab(Integer AIndex) { return site()->TabsViewInfo()->Items(AIndex); }
  Integer fontHeight() { return grid->GetCanvas()->GetFontHeight(grid->Font()); }
  Integer textWidth(const std::string& AText) {
    grid->GetCanvas()->SetFont(grid->Font());
    return grid->GetCanvas()->TextWidth(AText);
  }
  TPoint centre(const TRect& R) { return TPoint{(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }

  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  TcxGridLevel* level1 = nullptr;
  TcxGridLevel* level2 = nullptr;
  TTestView* view1 = nullptr;
  TTestView* view2 = nullptr;
  TabLog changedTabs;
};

// ---------------------------------------------------------------------------------------
// Layout.

TEST_F(DetailsSiteTest, TopTabsStandInARowAboveTheActiveViewsSite) {
  showTabs(dtpTop);
  const TRect client = grid->GetClientBounds();
  const Integer fh = fontHeight();
  const Integer w1 = textWidth("Primeiro");
  const Integer w2 = textWidth("Segundo nível");
  // The active first tab: borders left, top, right, and it reaches one border width back
  // over the row's margin. The second tab drops its left border (it faces the active one)
  // and stands 2 pixels lower.
  const TRect tab1{client.left + 1, client.top + 2, client.left + 1 + w1 + 14 + 2, client.top + 2 + fh + 8};
  const TRect tab2{tab1.right, client.top + 4, tab1.right + w2 + 14 + 1, client.top + 4 + fh + 6};
  EXPECT_EQ(txt(tab(0)->Bounds), txt(tab1));
  EXPECT_EQ(txt(tab(1)->Bounds), txt(tab2));
  EXPECT_TRUE(tab(0)->Borders == (TcxBorders{bLeft, bTop, bRight})) << "active tab: no border toward the content";
  EXPECT_TRUE(tab(1)->Borders == (TcxBorders{bTop, bRight, bBottom})) << "neighbour drops the side facing it";
  // The row: largest tab height + 5, + 2 for two tabs; the view's site below it.
  const Integer rowHeight = fh + 6 + 5 + 2;
  EXPECT_EQ(txt(site()->TabsViewInfo()->Bounds), txt(TRect{client.left, client.top, client.right, client.top + rowHeight}));
  EXPECT_EQ(txt(view1->Site()->BoundsRect()), txt(TRect{client.left, client.top + rowHeight, client.right, client.bottom}));
}

TEST_F(DetailsSiteTest, LeftTabsStandInAColumnBesideTheActiveViewsSite) {
  showTabs(dtpLeft);
  const TRect client = grid->GetClientBounds();
  const Integer fh = fontHeight();
  const Integer widest = std::max(textWidth("Primeiro"), textWidth("Segundo nível")) + 14 + 2;
  // One tab would make the row 5 wider than the widest tab; two or more add 3 more.
  const Integer rowWidth = widest + 5 + 3;
  const TRect tab1{client.left + 2, client.top + 1, client.left + 2 + rowWidth - 5, client.top + 1 + fh + 6};
  const TRect tab2{client.left + 2 + 3, tab1.bottom, client.left + 2 + rowWidth - 5, tab1.bottom + fh + 5};
  EXPECT_EQ(txt(tab(0)->Bounds), txt(tab1));
  EXPECT_EQ(txt(tab(1)->Bounds), txt(tab2));
  EXPECT_TRUE(tab(0)->Borders == (TcxBorders{bLeft, bTop, bBottom}));
  EXPECT_TRUE(tab(1)->Borders == (TcxBorders{bLeft, bRight, bBottom}));
  EXPECT_EQ(txt(site()->TabsViewInfo()->Bounds), txt(TRect{client.left, client.top, client.left + rowWidth, client.bottom}));
  EXPECT_EQ(txt(view1->Site()->BoundsRect()), txt(TRect{client.left + rowWidth, client.top, client.right, client.bottom}));
}

TEST_F(DetailsSiteTest, ALeftRowOfOneTabIsFivePixelsWiderThanItsTab) {
  level2->SetVisible(false);
  showTabs(dtpLeft);
  ASSERT_EQ(site()->TabsViewInfo()->Count(), 1) << "a hidden level has no tab";
  const Integer tabWidth = textWidth("Primeiro") + 14 + 2;
  EXPECT_EQ(site()->TabsViewInfo()->Width(), tabWidth + 5);
  EXPECT_EQ(tab(0)->Bounds.right - tab(0)->Bounds.left, tabWidth);
}

TEST_F(DetailsSiteTest, WithoutTabsTheFrameAloneNarrowsTheViewsArea) {
  struct Case {
    Integer FrameWidth;
  };
  for (const Case c : {Case{0}, Case{3}}) {
    grid->RootLevelOptions()->SetDetailFrameWidth(c.FrameWidth);
    showTabs(dtpNone);
    pumpFor(50);
    TRect expected = grid->GetClientBounds();
    InflateRect(expected, -c.FrameWidth, -c.FrameWidth);
    EXPECT_EQ(site()->TabsViewInfo(), nullptr);
    EXPECT_EQ(txt(site()->ClientBounds()), txt(expected)) << "frame " << c.FrameWidth;
    EXPECT_EQ(txt(view1->Site()->BoundsRect()), txt(expected)) << "frame " << c.FrameWidth;
  }
}

// A site whose size is its own: no active view, limits set by the test.
class TFreeSite : public TcxCustomGridDetailsSiteViewInfo {
public:
  TFreeSite(TcxGridLevel* ALevel, TcxCustomGrid* AGrid) : TcxCustomGridDetailsSiteViewInfo(ALevel), Grid(AGrid) {}
  TcxCanvas* GetCanvas() override { return Grid->GetCanvas(); }
  TcxCustomLookAndFeelPainterClass GetLookAndFeelPainter() override { return Grid->LookAndFeelPainter(); }
  Integer GetMaxHeight() override { return MaxHeight; }
  Integer GetMaxWidth() override { return MaxWidth; }
  TcxCustomGridView* FindActiveView() override { return nullptr; }
  TcxGridLevel* GetActiveLevel() override { return Level()->Items(0); }
  void InitTabHitTest(TcxGridDetailsSiteTabHitTest*) override {}
  void ActivateLevel(TcxGridLevel*) override {}
  TcxCustomGrid* Grid;
  Integer MaxHeight = 1000;
  Integer MaxWidth = 1000;
};

TEST_F(DetailsSiteTest, ASiteWithoutAnActiveViewTakesTheEmptySizePlusFrameAndTabs) {
  showTabs(dtpNone);
  TcxGridLevel* root = grid->RootLevel();
  root->Options()->SetDetailFrameWidth(2);
  struct Case {
    const char* What;
    TcxGridDetailTabsPosition Position;
    Integer MaxWidth, MaxHeight;
    Integer ExpectedWidth, ExpectedHeight;
  };
  const Integer topRow = fontHeight() + 6 + 5 + 2;
  const Integer leftRow = std::max(textWidth("Primeiro"), textWidth("Segundo nível")) + 16 + 5 + 3;
  const std::vector<Case> cases = {
      // The width always becomes the maximum width (the minimum width is the maximum).
      {"no tabs", dtpNone, 500, 1000, 500, 100 + 4},
      {"no tabs, little room", dtpNone, 150, 80, 150, 80},
      {"top tabs", dtpTop, 500, 1000, 500, 100 + 4 + topRow},
      {"left tabs", dtpLeft, 500, 1000, 500, 100 + 4},
  };
  for (const Case& c : cases) {
    root->Options()->SetDetailTabsPosition(c.Position);
    TObjectPtr<TFreeSite> free(New<TFreeSite>(root, grid));
    free->MaxWidth = c.MaxWidth;
    free->MaxHeight = c.MaxHeight;
    free->Calculate(10, 20);
    EXPECT_EQ(txt(free->Bounds), txt(TRect{10, 20, 10 + c.ExpectedWidth, 20 + c.ExpectedHeight})) << c.What;
    EXPECT_TRUE(free->FullyVisible) << c.What;
    TRect client = free->Bounds;
    if (c.Position == dtpTop) client.top += topRow;
    if (c.Position == dtpLeft) client.left += leftRow;
    InflateRect(client, -2, -2);
    EXPECT_EQ(txt(free->ClientBounds()), txt(client)) << c.What;
  }
}

TEST_F(DetailsSiteTest, GridWideLayoutsKeepTheActiveViewsWindow) {
  // Every grid-wide layout makes the site anew; the site it replaces must not take the
  // view both show out of the grid (that would destroy the view's window and its state).
  auto* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 250, 100, 21);
  showTabs(dtpTop);
  edit->SetFocus();
  pumpUntil([&] { return edit->Focused(); }, 1000);
  const HWND before = view1->Site()->Handle();
  grid->LayoutChanged();
  grid->SetBounds(0, 0, 340, 230);
  pumpFor(50);
  EXPECT_EQ(view1->Site()->Parent(), grid);
  EXPECT_TRUE(view1->Site()->Handle() == before) << "the view's window was made again";
  EXPECT_EQ(txt(view1->Site()->BoundsRect()), txt(site()->ClientBounds()));
}

// ---------------------------------------------------------------------------------------
// Hit tests and clicks.

TEST_F(DetailsSiteTest, HitTestsNameTheTabsLevelAndGiveCodeZeroAwayFromTabsAndViews) {
  showTabs(dtpTop);
  TcxCustomGridHitTest* hitTest = grid->ViewInfo()->GetHitTest(centre(tab(1)->Bounds).x, centre(tab(1)->Bounds).y);
  ASSERT_EQ(hitTest->HitTestCode(), 50);
  EXPECT_EQ(static_cast<TcxGridDetailsSiteTabHitTest*>(hitTest)->Level, level2);
  EXPECT_EQ(static_cast<TcxGridDetailsSiteTabHitTest*>(hitTest)->Owner, grid);
  EXPECT_EQ(hitTest->ViewInfo, tab(1));

  // In the tab row beside the last tab the active view answers: nothing there.
  const TRect row = site()->TabsViewInfo()->Bounds;
  hitTest = grid->ViewInfo()->GetHitTest(row.right - 3, row.top + 3);
  EXPECT_EQ(hitTest->HitTestCode(), 0);
  EXPECT_EQ(hitTest->ViewInfo, nullptr);

  // Outside the site: the grid's own none hit test.
  const TRect client = grid->GetClientBounds();
  hitTest = grid->ViewInfo()->GetHitTest(client.right + 5, client.top + 5);
  EXPECT_EQ(hitTest->ClassType(), TcxGridNoneHitTest::StaticClass());
  EXPECT_EQ(hitTest->HitTestCode(), 0);
}

TEST_F(DetailsSiteTest, ClickingATabActivatesItsLevelAndShowsItsView) {
  for (TcxGridDetailTabsPosition position : {dtpTop, dtpLeft}) {
    changedTabs.Levels.clear();
    grid->SetActiveLevel(level1);
    showTabs(position);
    pumpFor(50);
    changedTabs.Levels.clear();
    clickAt(grid, centre(tab(1)->Bounds));
    ASSERT_TRUE(pumpUntil([&] { return grid->ActiveLevel() == level2; }, 1000)) << "position " << position;
    EXPECT_EQ(changedTabs.Levels, std::vector<TcxGridLevel*>{level2}) << "OnActiveTabChanged once, with the new level";
    pumpUntil([&] { return view2->Site()->Parent() == grid; }, 1000);
    EXPECT_EQ(txt(view2->Site()->BoundsRect()), txt(site()->ClientBounds())) << "position " << position;
    EXPECT_TRUE(view1->Site()->Parent() != grid || view1->Site()->Left() == cxGridParkedSiteLeft)
        << "the view of the tab left behind is no longer shown";
    EXPECT_TRUE(tab(1)->IsActive());
    EXPECT_EQ(tab(1)->GetState(), gcsPressed);
    EXPECT_EQ(tab(0)->GetState(), gcsNormal);

    // Clicking the active tab activates it again: nothing changes.
    changedTabs.Levels.clear();
    clickAt(grid, centre(tab(1)->Bounds));
    pumpFor(50);
    EXPECT_EQ(grid->ActiveLevel(), level2);
    EXPECT_TRUE(changedTabs.Levels.empty());
  }
}

// ---------------------------------------------------------------------------------------
// Painting.

TEST_F(DetailsSiteTest, TabsPaintRaisedFramesOnTheTabFaceInTheStandardAndFlatLooks) {
  const uint32_t highlight = ColorToRGB(clBtnHighlight);
  const uint32_t shadow = ColorToRGB(clBtnShadow);
  struct Probe {
    const char* What;
    TPoint At;
    uint32_t Expected;
  };
  for (TcxLookAndFeelKind kind : {lfStandard, lfFlat}) {
    for (TcxGridDetailTabsPosition position : {dtpTop, dtpLeft}) {
      grid->LookAndFeel()->SetKind(kind);
      showTabs(position);
      pumpFor(100);
      TBitmap shot;
      captureClient(grid, shot);
      const std::string name = std::string("grid_tabs_") + (position == dtpTop ? "top_" : "left_") +
                               (kind == lfFlat ? "flat" : "standard");
      savePng(shot, name);
      const TRect active = tab(0)->Bounds;
      const TRect other = tab(1)->Bounds;
      const uint32_t face = ColorToRGB(grid->LookAndFeelPainter()->GetTabColor());
      std::vector<Probe> probes = {
          {"active tab's top edge", {active.left + 6, active.top}, highlight},
          {"active tab's left edge", {active.left, active.top + 6}, highlight},
          {"active tab's face", {active.left + 3, active.bottom - 3}, face},
      };
      if (position == dtpTop) {
        probes.push_back({"second tab's top edge", {other.left + 6, other.top}, highlight});
        probes.push_back({"active tab's right edge", {active.right - 1, active.top + 6}, shadow});
        probes.push_back({"second tab's right edge", {other.right - 1, other.top + 6}, shadow});
        probes.push_back({"row background above the lower second tab", {other.left + 6, other.top - 1}, ColorToRGB(clBtnFace)});
      } else {
        // The second tab has no top border: it faces the active tab above it.
        probes.push_back({"second tab's left edge", {other.left, other.top + 6}, highlight});
        probes.push_back({"active tab's bottom edge", {active.left + 6, active.bottom - 1}, shadow});
        probes.push_back({"second tab's bottom edge", {other.left + 6, other.bottom - 1}, shadow});
        probes.push_back({"row background left of the narrower second tab", {other.left - 1, other.top + 6}, ColorToRGB(clBtnFace)});
      }
      for (const Probe& p : probes)
        EXPECT_EQ(hexOf(pixelAt(shot, p.At.x, p.At.y)), hexOf(p.Expected)) << name << ": " << p.What;
      // Some caption pixels in the text colour inside the active tab.
      bool textSeen = false;
      const uint32_t textColor = ColorToRGB(grid->LookAndFeelPainter()->GetTabTextColor());
      for (Integer y = active.top + 2; y < active.bottom - 2 && !textSeen; ++y)
        for (Integer x = active.left + 6; x < active.right - 6 && !textSeen; ++x)
          textSeen = pixelAt(shot, x, y) == textColor;
      EXPECT_TRUE(textSeen) << name << ": caption drawn";
    }
  }
}

}  // namespace
