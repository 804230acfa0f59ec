// The grid control: its update queue (duplicates and superseded requests dropped, the rest
// run in order at the last unlock), the view changes as they reach views, focus and active
// level, levels with child levels, renaming, and the grid site passing real input on.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "cx/grid/cxGridDBTableView.h"
#include "platform/gui/GuiTestSupport.h"

using namespace gridtest;
using namespace guitest;

namespace {

// A change that writes its name to a shared log when it runs and when it is freed.
struct ChangeLog {
  std::vector<std::string> Run;
  Integer Freed = 0;
  std::string RunText() const {
    std::string s;
    for (const auto& e : Run) s += (s.empty() ? "" : " ") + e;
    return s;
  }
};

class TRecordingChange : public TcxCustomGridChange {
public:
  TRecordingChange(ChangeLog& ALog, std::string AName) : Log(ALog), Name(std::move(AName)) {}
  ~TRecordingChange() override { ++Log.Freed; }
  void Execute() override {
    Log.Run.push_back(Name);
    if (Throws) throw Exception("change failed");
  }
  bool CanDropDuplicate() override { return Droppable; }
  bool CanQueue() override { return Queueable; }
  // Equal when both carry the same key; a change is covered by a later one whose key is
  // its Covers.
  bool IsEqual(TcxCustomGridChange* AChange) override {
    auto* other = dynamic_cast<TRecordingChange*>(AChange);
    return other && other->Key == Key;
  }
  bool IsCompatibleWith(TcxCustomGridChange* ALaterChange) override {
    auto* later = dynamic_cast<TRecordingChange*>(ALaterChange);
    return later && !Covers.empty() && Covers == later->Key;
  }
  ChangeLog& Log;
  std::string Name;
  std::string Key;
  std::string Covers;
  bool Droppable = true;
  bool Queueable = true;
  bool Throws = false;
};

struct QueuedChange {
  std::string Name, Key, Covers;
  bool Droppable = true;
  bool Queueable = true;
};

class GridTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 400, 300);
    grid = New<TcxGrid>(form);
    grid->SetName("Grade");
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    grid->OnLayoutChanged = TcxGridLayoutChangedEvent(&layouts, &LayoutLog::LayoutChanged);
  }
  TRecordingChange* change(const QueuedChange& c) {
    auto* result = new TRecordingChange(log, c.Name);
    result->Key = c.Key.empty() ? c.Name : c.Key;
    result->Covers = c.Covers;
    result->Droppable = c.Droppable;
    result->Queueable = c.Queueable;
    return result;
  }
  TForm* form = nullptr;
  TcxGrid* grid = nullptr;
  LayoutLog layouts;
  ChangeLog log;
};

// ---------------------------------------------------------------------------------------
// The queue.

TEST_F(GridTest, QueueDropsDuplicatesAndCoveredChangesAndRunsTheRestInOrderAtTheLastUnlock) {
  struct Case {
    const char* What;
    std::vector<QueuedChange> Changes;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {"distinct changes run in submission order", {{"a"}, {"b"}, {"c"}}, "a b c"},
      {"an equal later change is dropped, the first kept", {{"a1", "a"}, {"b"}, {"a2", "a"}}, "a1 b"},
      {"a change that may not be dropped runs twice", {{"r1", "r", "", false}, {"r2", "r", "", false}}, "r1 r2"},
      {"a change covered by a later one goes", {{"small", "", "big"}, {"x"}, {"big"}}, "x big"},
      {"two changes covered in a row both go", {{"s1", "", "big"}, {"s2", "", "big"}, {"big"}}, "big"},
      {"a later change does not cover an earlier one backwards", {{"big"}, {"small", "", "big"}}, "big small"},
      {"duplicates go before covering is judged",
       {{"a1", "a", "c"}, {"c1", "c"}, {"a2", "a"}, {"c2", "c"}, {"d"}},
       "c1 d"},
  };
  for (const Case& c : cases) {
    log = ChangeLog();
    grid->BeginUpdate();
    grid->BeginUpdate();
    for (const QueuedChange& q : c.Changes) grid->AddChange(change(q));
    grid->EndUpdate();
    EXPECT_TRUE(log.Run.empty()) << c.What << ": nothing runs before the last unlock";
    grid->EndUpdate();
    EXPECT_EQ(log.RunText(), c.Expected) << c.What;
    EXPECT_EQ(log.Freed, static_cast<Integer>(c.Changes.size())) << c.What << ": every change is freed";
    EXPECT_EQ(grid->ChangeCount(), 0) << c.What;
  }
}

TEST_F(GridTest, AChangeThatMayNotWaitRunsAtOnceWhileTheGridIsLocked) {
  grid->BeginUpdate();
  grid->AddChange(change({"queued"}));
  grid->AddChange(change({"now", "", "", true, false}));
  EXPECT_EQ(log.RunText(), "now");
  grid->EndUpdate();
  EXPECT_EQ(log.RunText(), "now queued");
}

TEST_F(GridTest, UnbalancedUnlocksDoNothingAndCancelDiscardsTheQueue) {
  grid->EndUpdate();
  grid->CancelUpdate();
  EXPECT_EQ(grid->UpdateLockCount(), 0) << "the lock count never goes below 0";
  grid->BeginUpdate();
  grid->BeginUpdate();
  grid->AddChange(change({"a"}));
  grid->CancelUpdate();
  EXPECT_EQ(grid->ChangeCount(), 1) << "an inner cancel keeps the queue";
  grid->CancelUpdate();
  EXPECT_TRUE(log.Run.empty()) << "cancelling at the outermost level runs nothing";
  EXPECT_EQ(log.Freed, 1);
  EXPECT_EQ(grid->ChangeCount(), 0);
}

// A change that raises ends the processing: the later ones are freed without running and
// are not left for the next unlock.
TEST_F(GridTest, AChangeThatRaisesEndsTheProcessingAndTheRestAreFreedUnrun) {
  grid->BeginUpdate();
  grid->AddChange(change({"a"}));
  auto* failing = change({"fails"});
  failing->Throws = true;
  grid->AddChange(failing);
  grid->AddChange(change({"c"}));
  EXPECT_THROW(grid->EndUpdate(), Exception);
  EXPECT_EQ(log.RunText(), "a fails");
  EXPECT_EQ(log.Freed, 3) << "no change is lost in memory";
  grid->BeginUpdate();
  grid->EndUpdate();
  EXPECT_EQ(log.RunText(), "a fails") << "nothing of the failed burst runs later";
}

TEST_F(GridTest, TenLayoutRequestsOfAViewInOneBracketEndInOneLayout) {
  TTestView* view = addViewOnLevel(grid, form);
  view->SetName("Vista");
  form->Show();
  grid->LayoutChanged();
  const Integer before = view->TestViewInfo()->Calculations;
  layouts.Entries.clear();
  view->BeginUpdate();
  for (int i = 0; i < 10; ++i) view->LayoutChanged(true);
  view->EndUpdate();
  EXPECT_EQ(view->TestViewInfo()->Calculations - before, 1);
  EXPECT_EQ(layouts.Text(), "Vista");
}

TEST_F(GridTest, AViewLayoutFollowedByAGridSizeChangeEndsInOneGridWideLayout) {
  TTestView* view = addViewOnLevel(grid, form);
  view->SetName("Vista");
  form->Show();
  grid->LayoutChanged();
  layouts.Entries.clear();
  grid->BeginUpdate();
  view->LayoutChanged(true);
  grid->SizeChanged();
  grid->EndUpdate();
  // The size change runs: the view's size request climbs to the grid, which lays out once.
  EXPECT_EQ(layouts.Text(), "grid");
}

// Of two size requests of one view, a later one that must re-lay the master out is not
// swallowed by an earlier one that keeps the master unchanged.
TEST_F(GridTest, ASizeRequestThatReachesTheMasterIsNotDroppedForAnEarlierViewOnlyOne) {
  TTestView* view = addViewOnLevel(grid, form);
  view->SetName("Vista");
  form->Show();
  grid->LayoutChanged();
  layouts.Entries.clear();
  grid->BeginUpdate();
  view->SizeChanged(true, true);
  view->SizeChanged(true, false);
  grid->EndUpdate();
  EXPECT_EQ(layouts.Text(), "Vista grid");

  layouts.Entries.clear();
  grid->BeginUpdate();
  view->SizeChanged(true, false);
  view->SizeChanged(true, true);
  grid->EndUpdate();
  EXPECT_EQ(layouts.Text(), "grid") << "the broader request kept first stands for the narrower later one";
}

TEST_F(GridTest, ChangesOfALoadingViewAreDroppedAndAViewWithoutAGridRunsItsOwnAtOnce) {
  TTestView* view = addViewOnLevel(grid, form);
  form->Show();
  grid->LayoutChanged();
  const Integer before = view->TestViewInfo()->Calculations;
  view->SetLoading(true);
  EXPECT_FALSE(view->LayoutChanged(true));
  view->SetLoading(false);
  EXPECT_EQ(view->TestViewInfo()->Calculations, before);

  auto* loose = New<TTestView>(form);
  ChangeLog own;
  auto* c = new TRecordingChange(own, "loose");
  EXPECT_TRUE(loose->Changed(c));
  EXPECT_EQ(own.RunText(), "loose");
  EXPECT_EQ(own.Freed, 1);
  EXPECT_TRUE(loose->ViewChanged(TRect{0, 0, 0, 0})) << "an empty repaint is accepted and submits nothing";
}

TEST_F(GridTest, AViewLeavingTheGridTakesItsQueuedChangesWithIt) {
  // A view of the grid that no level shows: leaving submits nothing of its own.
  auto* view = New<TTestView>(form);
  view->SetControl(grid);
  grid->BeginUpdate();
  view->LayoutChanged(true);
  view->ViewChanged();
  grid->AddChange(change({"other"}));
  EXPECT_EQ(grid->ChangeCount(), 3);
  view->Free();
  EXPECT_EQ(grid->ChangeCount(), 1);
  grid->EndUpdate();
  EXPECT_EQ(log.RunText(), "other");
}

TEST_F(GridTest, LoadedRunsOneGridWideLayout) {
  grid->SetLoading(true);
  grid->LayoutChanged();
  grid->SizeChanged();
  EXPECT_TRUE(layouts.Entries.empty()) << "no requests while loading";
  grid->Loaded();
  EXPECT_EQ(layouts.Text(), "grid");
}

// ---------------------------------------------------------------------------------------
// Views, focus and levels.

TEST_F(GridTest, AViewCreatesItsCompanionsThroughItsClassOperations) {
  TTestView* view = addViewOnLevel(grid, form);
  EXPECT_TRUE(Is<TTestController>(view->Controller()));
  EXPECT_TRUE(Is<TTestDataController>(view->DataController()));
  EXPECT_TRUE(Is<TTestPainter>(view->Painter()));
  EXPECT_TRUE(Is<TTestViewData>(view->ViewData()));
  EXPECT_TRUE(Is<TTestViewInfo>(view->ViewInfo()));
  EXPECT_EQ(view->ViewInfoCache()->ClassType(), TcxCustomGridViewInfoCache::StaticClass());
  ASSERT_NE(view->Site(), nullptr);
  EXPECT_EQ(view->Site()->ViewInfo(), view->ViewInfo());
  EXPECT_EQ(view->DataController()->Owner(), view);
  EXPECT_EQ(view->Controller()->GridView(), view);
  EXPECT_EQ(view->OptionsCount(), 3) << "background bitmaps, selection and view options are registered";
  EXPECT_TRUE(Is<TcxCustomGridViewStyles>(view->Styles()));
  EXPECT_EQ(grid->GetViewCount(), 1);
  EXPECT_EQ(grid->GetView(0), view);
  EXPECT_EQ(view->GetParentComponent(), grid) << "the grid is the view's parent in stored forms";
}

TEST_F(GridTest, TheFirstLevelWithAViewBecomesActiveAndItsViewFocused) {
  EXPECT_EQ(grid->ActiveLevel(), nullptr);
  EXPECT_EQ(grid->FocusedView(), nullptr);
  TcxGridLevel* level = nullptr;
  TTestView* view = addViewOnLevel(grid, form, &level);
  EXPECT_EQ(grid->ActiveLevel(), level);
  EXPECT_EQ(grid->ActiveView(), view);
  EXPECT_EQ(grid->FocusedView(), view);
  EXPECT_TRUE(level->IsTop());
  EXPECT_TRUE(grid->RootLevel()->IsRoot());
  EXPECT_EQ(level->GetParentComponent(), grid);
}

TEST_F(GridTest, HidingTheActiveTopLevelActivatesTheNextAndHidingTheLastLeavesNone) {
  TcxGridLevel* first = nullptr;
  TcxGridLevel* second = nullptr;
  TTestView* view1 = addViewOnLevel(grid, form, &first);
  TTestView* view2 = addViewOnLevel(grid, form, &second);
  EXPECT_EQ(grid->ActiveLevel(), first);
  EXPECT_EQ(grid->FocusedView(), view1);

  first->SetVisible(false);
  EXPECT_EQ(grid->ActiveLevel(), second);
  EXPECT_EQ(grid->FocusedView(), view2);
  EXPECT_FALSE(view1->CanFocus());
  view1->SetFocused(true);
  EXPECT_EQ(grid->FocusedView(), view2) << "a view of a hidden level cannot take the focus";

  second->SetVisible(false);
  EXPECT_EQ(grid->ActiveLevel(), nullptr);
  EXPECT_EQ(grid->FocusedView(), nullptr);

  first->SetVisible(true);
  EXPECT_EQ(grid->ActiveLevel(), first) << "showing a level of a grid without active level activates it";
}

TEST_F(GridTest, ChildLevelsFormATreeWithVisibleItemsInChildOrder) {
  TcxGridLevel* top = nullptr;
  addViewOnLevel(grid, form, &top);
  auto* a = New<TcxGridLevel>(form);
  auto* b = New<TcxGridLevel>(form);
  auto* c = New<TcxGridLevel>(form);
  for (TcxGridLevel* child : {a, b, c}) child->SetParentComponent(top);
  auto* grandChild = New<TcxGridLevel>(form);
  grandChild->SetParentComponent(b);

  EXPECT_EQ(top->Count(), 3);
  EXPECT_EQ(c->Index(), 2);
  EXPECT_EQ(a->Parent(), top);
  EXPECT_EQ(grandChild->Control(), grid) << "a level added to the tree takes the grid";
  EXPECT_FALSE(a->IsTop());
  EXPECT_EQ(b->GetParentComponent(), top);
  EXPECT_TRUE(grandChild->IsVisibleInTree());

  b->SetVisible(false);
  EXPECT_EQ(top->VisibleCount(), 2);
  EXPECT_EQ(top->VisibleItems(1), c);
  EXPECT_EQ(b->VisibleIndex(), -1);
  EXPECT_FALSE(grandChild->IsVisibleInTree()) << "a level under a hidden one is not visible";
  EXPECT_FALSE(grandChild->IsVisibleChain());

  b->Free();
  EXPECT_EQ(top->Count(), 2) << "a freed level leaves its parent";
  EXPECT_EQ(top->Items(1), c);

  std::vector<TComponent*> streamed;
  grid->GetChildren([&](TComponent* child) { streamed.push_back(child); }, form);
  ASSERT_EQ(streamed.size(), 2u) << "the view, then the top level (levels stream their own children)";
  EXPECT_TRUE(Is<TTestView>(streamed[0]));
  EXPECT_EQ(streamed[1], top);
}

TEST_F(GridTest, AViewGivenToASecondLevelLeavesTheFirst) {
  TcxGridLevel* first = nullptr;
  TTestView* view = addViewOnLevel(grid, form, &first);
  auto* second = New<TcxGridLevel>(form);
  second->SetParentComponent(grid);
  second->SetGridView(view);
  EXPECT_EQ(first->GridView(), nullptr);
  EXPECT_EQ(second->GridView(), view);
  EXPECT_EQ(view->Level(), second);
}

TEST_F(GridTest, LevelHeightLimitsAndStoredFrameWidths) {
  auto* level = New<TcxGridLevel>(form);
  level->SetParentComponent(grid);
  level->SetMaxDetailHeight(100);
  struct Case {
    Integer In, Out;
  };
  for (const Case& c : {Case{150, 100}, Case{-5, 0}, Case{80, 80}, Case{100, 100}}) {
    Integer h = c.In;
    level->CheckHeight(h);
    EXPECT_EQ(h, c.Out) << "height " << c.In;
  }
  level->SetMaxDetailHeight(-3);
  EXPECT_EQ(level->MaxDetailHeight(), 0);

  EXPECT_EQ(level->Options()->DetailFrameWidth(), 1);
  EXPECT_FALSE(level->Options()->IsDetailFrameWidthStored());
  EXPECT_EQ(grid->RootLevel()->Options()->DetailFrameWidth(), 0);
  EXPECT_FALSE(grid->RootLevel()->Options()->IsDetailFrameWidthStored());
  level->Options()->SetDetailFrameWidth(0);
  EXPECT_TRUE(level->Options()->IsDetailFrameWidthStored());
  level->Options()->SetDetailFrameWidth(-4);
  EXPECT_EQ(level->Options()->DetailFrameWidth(), 0);
  EXPECT_EQ(level->Options()->GetDetailFrameColor(), clBtnText);
}

TEST_F(GridTest, DestroyingTheFocusedViewMovesTheFocusAndClearsGuards) {
  TTestView* view1 = addViewOnLevel(grid, form);
  TTestView* view2 = addViewOnLevel(grid, form);
  view1->SetFocused(true);
  ASSERT_EQ(grid->FocusedView(), view1);
  TcxCustomGridView* guard1 = view1;
  TcxCustomGridView* guard2 = view1;
  view1->AddDestroyGuard(&guard1);
  view1->AddDestroyGuard(&guard2);
  view1->Free();
  EXPECT_EQ(guard1, nullptr);
  EXPECT_EQ(guard2, nullptr);
  EXPECT_EQ(grid->FocusedView(), view2);
  EXPECT_EQ(grid->GetViewCount(), 1);
}

TEST_F(GridTest, RenamingTheGridRenamesItsViewsAndLevelsByPrefix) {
  TcxGridLevel* level = nullptr;
  TTestView* view = addViewOnLevel(grid, form, &level);
  view->SetName("GradeVista");
  level->SetName("GradeNivel");
  TTestView* other = addViewOnLevel(grid, form);
  other->SetName("Outra");
  grid->SetName("Tabela");
  EXPECT_EQ(view->Name(), "TabelaVista");
  EXPECT_EQ(level->Name(), "TabelaNivel");
  EXPECT_EQ(other->Name(), "Outra");
}

TEST(GridRename, ChildrenWhoseNameBeginsWithTheOldPrefixGetTheNewOne) {
  std::unique_ptr<TComponent, TObjectDeleter> owner(New<TComponent>(nullptr));
  auto* taken = New<TComponent>(owner.get());
  taken->SetName("Xbe");
  struct Case {
    const char* Name;
    const char* Expected;
    const char* Why;
  };
  const std::vector<Case> cases = {
      {"Abc", "Xbc", "the prefix is replaced"},
      {"abd", "Xbd", "the prefix is compared without case"},
      {"A", "A", "a name not longer than the prefix stays"},
      {"Bcd", "Bcd", "another prefix stays"},
      {"abe", "abe", "a rename the component rules refuse is skipped"},
  };
  std::vector<TComponent*> children;
  for (const Case& c : cases) {
    auto* child = New<TComponent>(owner.get());
    child->SetName(c.Name);
    children.push_back(child);
  }
  std::unique_ptr<TComponent, TObjectDeleter> stranger(New<TComponent>(nullptr));
  stranger->SetName("Azz");
  children.push_back(stranger.get());
  cxGridRenameChildComponents(nullptr, owner.get(), "X", [&](Integer i) { return children[static_cast<size_t>(i)]; },
                              static_cast<Integer>(children.size()), "A");
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(children[i]->Name(), cases[i].Expected) << cases[i].Why;
  EXPECT_EQ(stranger->Name(), "Azz") << "another owner's child keeps its name";
}

TEST(GridCommon, CellStatesMapToButtonStatesAndTextMarginsAddFour) {
  EXPECT_EQ(cxGridCellStateToButtonState(gcsNormal), cxbsNormal);
  EXPECT_EQ(cxGridCellStateToButtonState(gcsHot), cxbsHot);
  EXPECT_EQ(cxGridCellStateToButtonState(gcsPressed), cxbsPressed);
  Integer extent = 13;
  cxGridAddTextOffsets(extent);
  EXPECT_EQ(extent, 17);
  EXPECT_EQ(cxGridHorzSizeCursor, static_cast<TCursor>(2110));
  EXPECT_EQ(cxGridVertSizeCursor, static_cast<TCursor>(2109));
  EXPECT_EQ(cxGridRemoveCursor, static_cast<TCursor>(2108));
  EXPECT_EQ(cxGridNoDropCursor, static_cast<TCursor>(2112));
  EXPECT_EQ(cxGridDragCursor, static_cast<TCursor>(2113));
  EXPECT_EQ(cxGridMultiDragCursor, static_cast<TCursor>(2111));
}

TEST(GridViews, TheDataSetTableViewIsRegisteredAsDBTable) {
  TcxRegisteredClasses* views = cxGridRegisteredViews();
  EXPECT_EQ(views->FindByClassName("TcxGridDBTableView"), TcxGridDBTableView::StaticClass());
  EXPECT_EQ(views->GetDescriptionByClass(TcxGridDBTableView::StaticClass()), "DB Table");
  EXPECT_NE(FindClass("TcxGridLevel"), nullptr) << "levels can be created from stored forms";
}

// ---------------------------------------------------------------------------------------
// The site with real input.

class GridSiteTest : public GridTest {
protected:
  void SetUp() override {
    GridTest::SetUp();
    view = addViewOnLevel(grid, form);
    view->SetName("Vista");
    showAndActivate(form);
    pumpUntil([&] { return view->Site()->HandleAllocated() && view->Site()->Width() > 0; });
    view->TestController()->Log.clear();
  }
  TTestView* view = nullptr;
};

TEST_F(GridSiteTest, TheViewsSiteCoversTheGridAndAClickFocusesTheView) {
  TcxGridSite* site = view->Site();
  EXPECT_EQ(site->Parent(), grid);
  const TRect siteBounds = site->BoundsRect();
  const TRect client = grid->GetClientBounds();
  EXPECT_TRUE(EqualRect(&siteBounds, &client)) << "the site takes the grid's client bounds";
  clickAt(site, TPoint{100, 100});
  pumpUntil([&] { return site->Focused(); });
  EXPECT_TRUE(site->Focused());
  EXPECT_TRUE(grid->IsFocused()) << "the grid counts as focused while its site is";
  EXPECT_EQ(grid->FocusedView(), view);
  const auto& logged = view->TestController()->Log;
  EXPECT_NE(std::find(logged.begin(), logged.end(), "down 100,100"), logged.end());
  EXPECT_NE(std::find(logged.begin(), logged.end(), "up 100,100"), logged.end());
}

TEST_F(GridSiteTest, KeysReachTheControllerOfTheFocusedView) {
  clickAt(view->Site(), TPoint{100, 100});
  pumpUntil([&] { return view->Site()->Focused(); });
  view->TestController()->Log.clear();
  pressKey(VK_DOWN);
  pressKey('A');
  pumpFor(50);
  const auto& logged = view->TestController()->Log;
  EXPECT_NE(std::find(logged.begin(), logged.end(), "key " + std::to_string(VK_DOWN)), logged.end())
      << "arrow keys are the site's (it wants them)";
  EXPECT_NE(std::find(logged.begin(), logged.end(), "char a"), logged.end());
}

TEST_F(GridSiteTest, ACellFollowsTheMouseThroughHotAndPressedAndClicksOnlyWhenReleasedOnIt) {
  TTestCell* cell = view->TestViewInfo()->Cell;
  TcxGridSite* site = view->Site();
  moveMouseTo(site->ClientToScreen(TPoint{30, 28}));
  pumpUntil([&] { return cell->State() == gcsHot; });
  EXPECT_EQ(cell->State(), gcsHot);
  // Leaving the cell inside the site: normal again.
  moveMouseTo(site->ClientToScreen(TPoint{150, 120}));
  pumpUntil([&] { return cell->State() == gcsNormal; });
  EXPECT_EQ(cell->State(), gcsNormal);

  clickAt(site, TPoint{30, 28});
  pumpFor(30);
  EXPECT_EQ(cell->Clicks, 1);
  EXPECT_EQ(cell->State(), gcsHot) << "after the release the mouse still rests on the cell";

  // Leaving the whole control: the hot cell turns normal within a tick.
  moveMouseTo(form->ClientToScreen(TPoint{350, 250}));
  pumpUntil([&] { return cell->State() == gcsNormal; }, 500);
  EXPECT_EQ(cell->State(), gcsNormal);
}

TEST_F(GridSiteTest, TheViewsMouseEventIsTheSitesAndAssignCopiesIt) {
  struct Sink : TObject {
    Integer Downs = 0;
    void MouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) { ++Downs; }
  } sink;
  view->SetOnMouseDown(TMouseEvent(&sink, &Sink::MouseDown));
  auto* copy = New<TTestView>(form);
  copy->Assign(view);
  EXPECT_TRUE(copy->OnMouseDown() == view->OnMouseDown());
  // Show the copy in place of the original and click it for real.
  grid->ActiveLevel()->SetGridView(copy);
  grid->LayoutChanged();
  pumpUntil([&] { return copy->Site()->Parent() == grid && copy->Site()->Width() > 0; });
  clickAt(copy->Site(), TPoint{120, 120});
  pumpUntil([&] { return sink.Downs > 0; });
  EXPECT_EQ(sink.Downs, 1);
}

TEST_F(GridSiteTest, ResizingTheGridLaysTheViewOutAgainAtTheNewSize) {
  const Integer before = view->TestViewInfo()->Calculations;
  grid->SetBounds(0, 0, 250, 150);
  pumpFor(30);
  EXPECT_GT(view->TestViewInfo()->Calculations, before);
  const TRect client = grid->GetClientBounds();
  EXPECT_EQ(view->Site()->Width(), client.right - client.left);
  EXPECT_EQ(view->Site()->LastClientWidth(), view->Site()->GetClientBounds().right);
}

TEST_F(GridSiteTest, SeveralDeferredSizeNoticesEndInOneRequest) {
  LayoutLog local;
  grid->OnLayoutChanged = TcxGridLayoutChangedEvent(&local, &LayoutLog::LayoutChanged);
  HWND h = view->Site()->Handle();
  for (int i = 0; i < 3; ++i) PostMessage(h, WM_CXGRIDSITESIZECHANGED, 0, 0);
  pumpFor(50);
  EXPECT_EQ(local.Text(), "Vista") << "one view-only layout for the three notices";
}

TEST_F(GridSiteTest, HidingTheFocusedViewParksItsSiteAndShowingItBringsItBack) {
  clickAt(view->Site(), TPoint{100, 100});
  pumpUntil([&] { return view->Site()->Focused(); });
  view->ViewInfo()->SetSiteVisible(false);
  EXPECT_EQ(view->Site()->Left(), cxGridParkedSiteLeft) << "the site keeps its parent and the focus";
  EXPECT_EQ(view->Site()->Parent(), grid);
  grid->LayoutChanged();
  EXPECT_EQ(view->Site()->Left(), grid->GetClientBounds().left);
}

// ---------------------------------------------------------------------------------------
// Drag-opening of level tabs.

// A request whose opening fails.
class TFailingOpenInfo : public TcxGridDragOpenInfoTab {
public:
  using TcxGridDragOpenInfoTab::TcxGridDragOpenInfoTab;
  void Run() override { throw Exception("não abriu"); }
};

// A controller whose tab requests fail when asked to.
class TFailingOpenController : public TcxGridController {
  RTL_DECLARE_CLASS(TFailingOpenController, TcxGridController)
public:
  using TcxGridController::TcxGridController;
  TcxCustomGridDragOpenInfo* GetDragOpenInfo(TcxCustomGridHitTest* AHitTest) override {
    if (!Fail || AHitTest->HitTestCode() != 50) return TcxGridController::GetDragOpenInfo(AHitTest);
    return new TFailingOpenInfo(static_cast<TcxGridDetailsSiteTabHitTest*>(AHitTest)->Level);
  }
  static inline bool Fail = false;
};

class TFailingOpenGrid : public TcxGrid {
  RTL_DECLARE_CLASS(TFailingOpenGrid, TcxGrid)
public:
  using TcxGrid::TcxGrid;
  TClass GetControllerClass() override { return TFailingOpenController::StaticClass(); }
};

class DragOpeningTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    form = own(TForm::CreateNew(nullptr));
    form->SetBounds(100, 100, 420, 320);
    grid = New<TFailingOpenGrid>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 360, 240);
    for (const char* caption : {"Um", "Dois", "Três"}) {
      TcxGridLevel* level = nullptr;
      addViewOnLevel(grid, form, &level);
      level->SetCaption(caption);
      levels.push_back(level);
    }
    grid->SetActiveLevel(levels[0]);
    grid->RootLevelOptions()->SetDetailTabsPosition(dtpTop);
    showAndActivate(form);
    pumpFor(30);
  }
  void TearDown() override {
    TFailingOpenController::Fail = false;
    GuiTest::TearDown();
  }
  // The centre of the tab of level AIndex, in grid client coordinates.
  TPoint tabCentre(Integer AIndex) {
    const TRect r = grid->ViewInfo()->DetailsSiteViewInfo()->TabsViewInfo()->Items(AIndex)->Bounds;
    return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void dragOver(const TPoint& P, TDragState AState = dsDragMove) {
    bool accept = false;
    grid->Controller()->DragOver(nullptr, P.x, P.y, AState, accept);
  }
  TcxGridLevel* pendingLevel() {
    auto* info = dynamic_cast<TcxGridDragOpenInfoTab*>(grid->Controller()->DragOpenInfo());
    return info ? info->Level() : nullptr;
  }
  TForm* form = nullptr;
  TFailingOpenGrid* grid = nullptr;
  std::vector<TcxGridLevel*> levels;
};

TEST_F(DragOpeningTest, RestingOverOneTabKeepsOneRequestAndOneTimerUntilTheLevelOpens) {
  grid->SetDragOpeningWaitTime(150);
  dragOver(tabCentre(1));
  TcxCustomGridDragOpenInfo* info = grid->Controller()->DragOpenInfo();
  TTimer* timer = grid->Controller()->DragOpenTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(pendingLevel(), levels[1]);
  EXPECT_EQ(timer->Interval(), 150u) << "the grid's wait time";
  dragOver(TPoint{tabCentre(1).x + 2, tabCentre(1).y});
  EXPECT_EQ(grid->Controller()->DragOpenInfo(), info) << "the same request goes on waiting";
  EXPECT_EQ(grid->Controller()->DragOpenTimer(), timer);
  EXPECT_EQ(grid->ActiveLevel(), levels[0]) << "nothing opens before the wait";
  EXPECT_TRUE(pumpUntil([&] { return grid->ActiveLevel() == levels[1]; }, 2000));
  EXPECT_EQ(grid->Controller()->DragOpenInfo(), nullptr) << "the request is freed once opened";
  EXPECT_EQ(grid->Controller()->DragOpenTimer(), nullptr);
}

TEST_F(DragOpeningTest, MovingToAnotherTabRestartsTheFullWaitForThatTab) {
  grid->SetDragOpeningWaitTime(600);
  dragOver(tabCentre(1));
  TTimer* timer = grid->Controller()->DragOpenTimer();
  pumpFor(350);
  dragOver(tabCentre(2));
  EXPECT_EQ(pendingLevel(), levels[2]);
  EXPECT_EQ(grid->Controller()->DragOpenTimer(), timer) << "the running timer is restarted, not replaced";
  pumpFor(350);
  EXPECT_EQ(grid->ActiveLevel(), levels[0]) << "700 ms after the first tab, 350 after the second: still waiting";
  EXPECT_TRUE(pumpUntil([&] { return grid->ActiveLevel() == levels[2]; }, 2000)) << "the second tab opens";
}

TEST_F(DragOpeningTest, LeavingTheTabsEndingTheDragOrTurningTheOptionOffOpensNothing) {
  grid->SetDragOpeningWaitTime(100);
  const TRect client = grid->GetClientBounds();
  struct Case {
    const char* What;
    std::function<void()> Then;
  };
  const std::vector<Case> cases = {
      {"moved onto the view", [&] { dragOver(TPoint{client.left + 50, client.bottom - 20}); }},
      {"the drag left the grid", [&] { dragOver(tabCentre(1), dsDragLeave); }},
      {"the drag ended", [&] { grid->Controller()->EndDrag(nullptr, 0, 0); }},
  };
  for (const Case& c : cases) {
    dragOver(tabCentre(1));
    ASSERT_NE(grid->Controller()->DragOpenTimer(), nullptr) << c.What;
    c.Then();
    EXPECT_EQ(grid->Controller()->DragOpenInfo(), nullptr) << c.What;
    EXPECT_EQ(grid->Controller()->DragOpenTimer(), nullptr) << c.What;
    pumpFor(250);
    EXPECT_EQ(grid->ActiveLevel(), levels[0]) << c.What;
  }

  grid->SetDragOpening(false);
  dragOver(tabCentre(2));
  EXPECT_EQ(grid->Controller()->DragOpenInfo(), nullptr) << "DragOpening off";
  EXPECT_EQ(grid->Controller()->DragOpenTimer(), nullptr) << "DragOpening off";
  pumpFor(250);
  EXPECT_EQ(grid->ActiveLevel(), levels[0]);
}

TEST_F(DragOpeningTest, AFailedOpeningStillFreesTheRequestAndTheTimer) {
  grid->SetDragOpeningWaitTime(50);
  TFailingOpenController::Fail = true;
  dragOver(tabCentre(1));
  ASSERT_NE(grid->Controller()->DragOpenTimer(), nullptr);
  EXPECT_TRUE(pumpUntil([&] { return !boxes().Calls().empty(); }, 2000)) << "the failure is reported";
  ASSERT_EQ(boxes().Calls().size(), 1u);
  EXPECT_NE(boxes().Calls()[0].Text.find("não abriu"), std::string::npos);
  expectBoxes();
  EXPECT_EQ(grid->Controller()->DragOpenInfo(), nullptr);
  EXPECT_EQ(grid->Controller()->DragOpenTimer(), nullptr);
  pumpFor(150);
  EXPECT_TRUE(boxes().Calls().empty()) << "the timer does not fire again";
}

TEST_F(DragOpeningTest, ARealDragOverATabOpensItsLevel) {
  grid->SetDragOpeningWaitTime(100);
  auto* source = New<TPanel>(form);
  source->SetParent(form);
  source->SetBounds(370, 10, 40, 40);
  pumpFor(30);
  moveMouseTo(source->ClientToScreen(TPoint{20, 20}));
  source->BeginDrag(true);
  moveMouseTo(grid->ClientToScreen(tabCentre(2)));
  EXPECT_TRUE(pumpUntil([&] { return grid->ActiveLevel() == levels[2]; }, 2000)) << "the tab under the drag opens";
  pressKey(VK_ESCAPE);
  pumpFor(30);
  EXPECT_EQ(grid->Controller()->DragOpenTimer(), nullptr);
}

RTL_IMPLEMENT_CLASS(TFailingOpenController)
RTL_IMPLEMENT_CLASS(TFailingOpenGrid)

}  // namespace
