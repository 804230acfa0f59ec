#pragma once
// cxGridDetailsSite: the framed area in which a level shows the view of one of its child
// levels, with an optional row of tabs (one per child level, on the left or at the top)
// that switches between them.
//
// The site layout is abstract: the grid's top site and the detail sites of master rows
// derive from it and say how big the site may be, where it paints, which view and level
// are active and how a level is activated. The tab row and its tabs are built once, when
// the site is made, from the level's visible child levels; a site is thrown away and made
// anew whenever its owner lays out again.
#include <memory>
#include <string>
#include <vector>

#include "cx/foundation/cxClasses.h"
#include "cx/grid/cxGridCustomView.h"
#include "cx/grid/cxGridLevel.h"

class TcxCustomGridDetailsSiteViewInfo;
class TcxCustomGridDetailsSiteTabsViewInfo;

// The argument of a tab's constructor.
struct TcxGridDetailsSiteTabArgs {
  TcxCustomGridDetailsSiteTabsViewInfo* TabsViewInfo;
  TcxGridLevel* Level;
};

// ---------------------------------------------------------------------------------------
// Tabs.

// One tab: the caption of a child level. Active (its level is the site's active level) it
// shows pressed and has no border toward the content; its neighbours drop the border that
// faces it.
class TcxCustomGridDetailsSiteTabViewInfo : public TcxCustomGridCellViewInfo {
  RTL_DECLARE_CLASS(TcxCustomGridDetailsSiteTabViewInfo, TcxCustomGridCellViewInfo)
public:
  using TConstructorArg = const TcxGridDetailsSiteTabArgs*;
  explicit TcxCustomGridDetailsSiteTabViewInfo(const TcxGridDetailsSiteTabArgs* AArgs);

  TcxCustomGridDetailsSiteTabsViewInfo* TabsViewInfo() const { return FTabsViewInfo; }
  TcxCustomGridDetailsSiteViewInfo* SiteViewInfo() const;
  TcxGridLevel* Level() const { return FLevel; }
  // The level's position among the tabs.
  Integer Index() const { return FIndex; }
  bool IsActive();
  bool IsVertical();
  TcxCustomGridDetailsSiteTabViewInfo* PrevTab();
  TcxCustomGridDetailsSiteTabViewInfo* NextTab();
  TcxCustomLookAndFeelPainterClass LookAndFeelPainter();

  // Pressed when active, else the hot-tracking state.
  virtual TcxGridCellState GetState();
  TcxButtonState ButtonState() { return cxGridCellStateToButtonState(GetState()); }

  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TColor GetBorderColor(TcxBorder) override { return clBtnShadow; }
  Integer GetBorderWidth(TcxBorder ASide) override;
  TcxCanvas* GetCanvas() override;
  TcxControl* GetControl() override;
  TClass GetHitTestClass() override { return TcxGridDetailsSiteTabHitTest::StaticClass(); }
  TClass GetPainterClass() override;
  std::string GetText() override;
  void GetTextAreaBounds(TRect& R) override;
  void GetViewParams(TcxViewParams& AParams) override;
  bool IsMouseSensitive() override;
  void InitHitTest(TcxCustomGridHitTest* AHitTest) override;
  // The base handling, then the site activates the tab's level. The site may be laid out
  // again (and this tab freed) by the activation, so nothing follows it.
  bool MouseDown(TcxCustomGridHitTest* AHitTest, TMouseButton AButton, TShiftState AShift) override;

protected:
  // Text height plus the text margins; text width plus the margins and 5 pixels a side.
  Integer BaseHeight();
  Integer BaseWidth();

private:
  TcxCustomGridDetailsSiteTabsViewInfo* FTabsViewInfo;
  TcxGridLevel* FLevel;
  Integer FIndex;
};

class TcxGridDetailsSiteLeftTabViewInfo : public TcxCustomGridDetailsSiteTabViewInfo {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteLeftTabViewInfo, TcxCustomGridDetailsSiteTabViewInfo)
public:
  using TcxCustomGridDetailsSiteTabViewInfo::TcxCustomGridDetailsSiteTabViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TcxAlignmentVert GetAlignmentVert() override { return vaCenter; }
  TcxGridBorders GetBorders() override;
  // An inactive tab stands back from the content by the row's active tab offset.
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
};

class TcxGridDetailsSiteTopTabViewInfo : public TcxCustomGridDetailsSiteTabViewInfo {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteTopTabViewInfo, TcxCustomGridDetailsSiteTabViewInfo)
public:
  using TcxCustomGridDetailsSiteTabViewInfo::TcxCustomGridDetailsSiteTabViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  TcxGridBorders GetBorders() override;
  void Calculate(Integer ALeft, Integer ATop, Integer AWidth = -1, Integer AHeight = -1) override;
};

// Paints a tab: its border sides as tab frame parts, and its face through the look and
// feel when that draws whole tabs, else as a plain cell.
class TcxGridDetailsSiteTabPainter : public TcxCustomGridCellPainter {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteTabPainter, TcxCustomGridCellPainter)
public:
  using TcxCustomGridCellPainter::TcxCustomGridCellPainter;
  TcxCustomGridDetailsSiteTabViewInfo* TabViewInfo() const {
    return static_cast<TcxCustomGridDetailsSiteTabViewInfo*>(ViewInfo());
  }

protected:
  void DrawBorder(TcxBorder ASide) override;
  void DrawContent() override;
};

// ---------------------------------------------------------------------------------------
// Tab rows.

// The row of tabs of a site. Its size is measured once, on first request, and kept.
class TcxCustomGridDetailsSiteTabsViewInfo : public TObject {
  RTL_DECLARE_CLASS(TcxCustomGridDetailsSiteTabsViewInfo, TObject)
public:
  using TConstructorArg = TcxCustomGridDetailsSiteViewInfo*;
  explicit TcxCustomGridDetailsSiteTabsViewInfo(TcxCustomGridDetailsSiteViewInfo* ASiteViewInfo)
      : FSiteViewInfo(ASiteViewInfo) {}
  TcxCustomGridDetailsSiteTabsViewInfo(const TcxCustomGridDetailsSiteTabsViewInfo&) = delete;
  TcxCustomGridDetailsSiteTabsViewInfo& operator=(const TcxCustomGridDetailsSiteTabsViewInfo&) = delete;
  // The tabs are made once the row is complete (their class is a virtual choice).
  void AfterConstruction() override;

  TcxCustomGridDetailsSiteViewInfo* SiteViewInfo() const { return FSiteViewInfo; }
  TcxGridLevel* Level() const;
  Integer Count() const { return static_cast<Integer>(FTabs.size()); }
  TcxCustomGridDetailsSiteTabViewInfo* Items(Integer Index) const { return FTabs.at(static_cast<size_t>(Index)).get(); }
  Integer Height();
  Integer Width();
  TRect Bounds{0, 0, 0, 0};

  virtual Integer CalculateHeight() = 0;
  virtual Integer CalculateWidth() = 0;
  // The site is at least as tall (left row) or as wide (top row) as the row.
  virtual void AdjustSiteHeight(Integer& AHeight) {}
  virtual void AdjustSiteWidth(Integer& AWidth) {}
  // How far an inactive tab stands back from the content.
  virtual Integer GetActiveTabOffset() = 0;
  virtual TColor GetBackgroundColor();
  virtual bool IsVertical() = 0;
  virtual TClass GetTabClass() = 0;
  virtual Integer GetTabHeight(TcxCustomGridDetailsSiteTabViewInfo* ATab) { return ATab->CalculateHeight(); }
  virtual Integer GetTabWidth(TcxCustomGridDetailsSiteTabViewInfo* ATab) { return ATab->CalculateWidth(); }
  virtual TClass GetPainterClass();
  // The sides of the root band that the look and feel draws (left 1, top 2, right 4,
  // bottom 8).
  virtual TcxBorders GetRootSides() = 0;
  // The band along the content side where the tabs stand.
  virtual void GetRootBounds(TRect& R) = 0;
  // Places the tabs inside ABounds and sets the row's far edge.
  virtual void Calculate(const TRect& ABounds);
  // Moves the site's client edge past the row.
  virtual void AdjustClientBounds(TRect& R) = 0;
  // The hit test of the tab under P; null when none.
  virtual TcxCustomGridHitTest* GetHitTest(const TPoint& P);

protected:
  // Sets the row's far edge after the tabs are placed.
  virtual void SetFarEdge() = 0;
  Integer MaxTabHeight();
  Integer MaxTabWidth();
  Integer SumOfTabHeights();
  Integer SumOfTabWidths();

private:
  TcxCustomGridDetailsSiteViewInfo* FSiteViewInfo;
  std::vector<TObjectPtr<TcxCustomGridDetailsSiteTabViewInfo>> FTabs;
  Integer FHeight = -1;
  Integer FWidth = -1;
};

class TcxGridDetailsSiteLeftTabsViewInfo : public TcxCustomGridDetailsSiteTabsViewInfo {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteLeftTabsViewInfo, TcxCustomGridDetailsSiteTabsViewInfo)
public:
  using TcxCustomGridDetailsSiteTabsViewInfo::TcxCustomGridDetailsSiteTabsViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  void AdjustSiteHeight(Integer& AHeight) override;
  Integer GetActiveTabOffset() override { return 3; }
  bool IsVertical() override { return true; }
  TClass GetTabClass() override { return TcxGridDetailsSiteLeftTabViewInfo::StaticClass(); }
  TcxBorders GetRootSides() override { return TcxBorders{bLeft, bTop, bBottom}; }
  void GetRootBounds(TRect& R) override;
  void AdjustClientBounds(TRect& R) override;

protected:
  void SetFarEdge() override;
};

class TcxGridDetailsSiteTopTabsViewInfo : public TcxCustomGridDetailsSiteTabsViewInfo {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteTopTabsViewInfo, TcxCustomGridDetailsSiteTabsViewInfo)
public:
  using TcxCustomGridDetailsSiteTabsViewInfo::TcxCustomGridDetailsSiteTabsViewInfo;
  Integer CalculateHeight() override;
  Integer CalculateWidth() override;
  void AdjustSiteWidth(Integer& AWidth) override;
  Integer GetActiveTabOffset() override { return 2; }
  bool IsVertical() override { return false; }
  TClass GetTabClass() override { return TcxGridDetailsSiteTopTabViewInfo::StaticClass(); }
  TcxBorders GetRootSides() override { return TcxBorders{bLeft, bTop, bRight}; }
  void GetRootBounds(TRect& R) override;
  void AdjustClientBounds(TRect& R) override;

protected:
  void SetFarEdge() override;
};

// The argument of a tab row painter's constructor.
struct TcxGridDetailsSiteTabsPainterArgs {
  TcxCanvas* Canvas;
  TcxCustomGridDetailsSiteTabsViewInfo* ViewInfo;
};

// Paints a tab row inside its bounds: background, root band, tabs.
class TcxGridDetailsSiteTabsPainter : public TObject {
  RTL_DECLARE_CLASS(TcxGridDetailsSiteTabsPainter, TObject)
public:
  using TConstructorArg = const TcxGridDetailsSiteTabsPainterArgs*;
  explicit TcxGridDetailsSiteTabsPainter(const TcxGridDetailsSiteTabsPainterArgs* AArgs)
      : FCanvas(AArgs->Canvas), FViewInfo(AArgs->ViewInfo) {}
  TcxGridDetailsSiteTabsPainter(const TcxGridDetailsSiteTabsPainter&) = delete;
  TcxGridDetailsSiteTabsPainter& operator=(const TcxGridDetailsSiteTabsPainter&) = delete;
  TcxCanvas* Canvas() const { return FCanvas; }
  TcxCustomGridDetailsSiteTabsViewInfo* ViewInfo() const { return FViewInfo; }
  // The row's clipping is limited to its bounds while it paints, and restored after.
  virtual void Paint();

protected:
  virtual void DrawBackground();
  virtual void DrawRoot();
  virtual void DrawTabs();

private:
  TcxCanvas* FCanvas;
  TcxCustomGridDetailsSiteTabsViewInfo* FViewInfo;
};

// ---------------------------------------------------------------------------------------
// The site.

// A details site: its bounds, its tab row (none for dtpNone), and the active view placed
// in its client area (the bounds past the tab row, inside the frame).
class TcxCustomGridDetailsSiteViewInfo : public TcxComponent {
  RTL_DECLARE_CLASS(TcxCustomGridDetailsSiteViewInfo, TcxComponent)
public:
  using TConstructorArg = TcxGridLevel*;
  explicit TcxCustomGridDetailsSiteViewInfo(TcxGridLevel* ALevel) : TcxComponent(nullptr), FLevel(ALevel) {}
  // The tab row is made once the site is complete (its class is a virtual choice).
  void AfterConstruction() override;
  // The active view hears first that it is no longer shown.
  void BeforeDestruction() override;
  ~TcxCustomGridDetailsSiteViewInfo() override;

  TcxGridLevel* Level() const { return FLevel; }
  TcxCustomGridDetailsSiteTabsViewInfo* TabsViewInfo() const { return FTabsViewInfo.get(); }
  TRect Bounds{0, 0, 0, 0};
  bool FullyVisible = false;
  Integer NormalHeight = 0;
  TRect ClientBounds() {
    TRect r;
    GetClientBounds(r);
    return r;
  }

  virtual Integer CalculateHeight();
  virtual Integer CalculateWidth();
  virtual TColor GetBackgroundColor();
  virtual TcxCanvas* GetCanvas() = 0;
  virtual void GetClientBounds(TRect& R);
  virtual Integer GetEmptyClientHeight() { return 100; }
  virtual Integer GetEmptyClientWidth() { return 200; }
  virtual TColor GetFrameColor();
  virtual Integer GetFrameWidth();
  virtual Integer GetHeight() { return CalculateHeight(); }
  virtual TcxCustomLookAndFeelPainterClass GetLookAndFeelPainter() = 0;
  virtual Integer GetMaxHeight() = 0;
  virtual Integer GetMaxNormalHeight() { return 2147483647; }
  virtual Integer GetMaxWidth() = 0;
  virtual Integer GetMinWidth() { return GetMaxWidth(); }
  virtual Integer GetNormalHeight();
  virtual Integer GetWidth() { return CalculateWidth(); }
  virtual TClass GetPainterClass();
  virtual TClass GetTabsViewInfoClass();
  virtual TcxCustomGridView* FindActiveView() = 0;
  bool HasActiveView() { return GetActiveView() != nullptr; }
  // The view FindActiveView gave (asked once); null once it is freed or while it is being
  // destroyed.
  TcxCustomGridView* GetActiveView();
  virtual TcxGridLevel* GetActiveLevel() = 0;
  virtual bool GetVisible() { return true; }
  // The window the tabs repaint and track the mouse in; none here.
  virtual TcxControl* GetControl() { return nullptr; }
  // Fills in what a tab hit test carries besides the level (its owner).
  virtual void InitTabHitTest(TcxGridDetailsSiteTabHitTest* AHitTest) = 0;
  // Bounds at (ALeft, ATop) with the site's size; places the tabs, then lays the active
  // view out in the client bounds.
  virtual void Calculate(Integer ALeft, Integer ATop);
  virtual void ActivateLevel(TcxGridLevel* ALevel) = 0;
  // A tab first, then the active view at the point moved into its site; null outside the
  // site.
  virtual TcxCustomGridHitTest* GetHitTest(const TPoint& P);
  // Shows or hides the active view's site.
  virtual void VisibilityChanged(bool AVisible);

  // Paints the site on ACanvas.
  void Paint(TcxCanvas* ACanvas);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Twice the frame width plus the left tab row.
  Integer NonClientWidth();
  // Twice the frame width plus the top tab row.
  Integer NonClientHeight();

private:
  TcxGridLevel* FLevel;
  TObjectPtr<TcxCustomGridDetailsSiteTabsViewInfo> FTabsViewInfo;
  TcxCustomGridView* FActiveView = nullptr;
  bool FActiveViewAssigned = false;
};

// The argument of a site painter's constructor.
struct TcxGridDetailsSitePainterArgs {
  TcxCanvas* Canvas;
  TcxCustomGridDetailsSiteViewInfo* ViewInfo;
};

// Paints a site: frame, tab row, the client area's background; then takes the site out of
// the canvas's clipping.
class TcxGridDetailsSitePainter : public TObject {
  RTL_DECLARE_CLASS(TcxGridDetailsSitePainter, TObject)
public:
  using TConstructorArg = const TcxGridDetailsSitePainterArgs*;
  explicit TcxGridDetailsSitePainter(const TcxGridDetailsSitePainterArgs* AArgs)
      : FCanvas(AArgs->Canvas), FViewInfo(AArgs->ViewInfo) {}
  TcxGridDetailsSitePainter(const TcxGridDetailsSitePainter&) = delete;
  TcxGridDetailsSitePainter& operator=(const TcxGridDetailsSitePainter&) = delete;
  TcxCanvas* Canvas() const { return FCanvas; }
  TcxCustomGridDetailsSiteViewInfo* ViewInfo() const { return FViewInfo; }
  virtual void Paint();

protected:
  virtual void DrawFrame();
  virtual void DrawTabs();
  virtual void DrawBackground();

private:
  TcxCanvas* FCanvas;
  TcxCustomGridDetailsSiteViewInfo* FViewInfo;
};
