#pragma once
// cxGridLevel: the levels of a grid. The grid owns a root level; the root's children are
// the top levels (the grid's tabs, one active at a time); each level shows one view and
// may have child levels, which describe detail views of its view's records. Levels also
// carry the look of the detail area and of the tabs.
#include <vector>

#include "cx/foundation/cxStyles.h"
#include "platform/rtl/Classes.h"

class TcxCustomGrid;
class TcxCustomGridView;
class TcxGridLevel;

RTL_ENUM(TcxGridDetailTabsPosition, dtpNone, dtpLeft, dtpTop)

class TcxGridLevelOptions : public TPersistent {
  RTL_DECLARE_CLASS(TcxGridLevelOptions, TPersistent)
public:
  using TConstructorArg = TcxGridLevel*;
  explicit TcxGridLevelOptions(TcxGridLevel* ALevel) : FLevel(ALevel) {}
  TcxGridLevel* Level() const { return FLevel; }
  TPersistent* GetOwner() override;
  void Assign(TPersistent* Source) override;

  TColor DetailFrameColor() const { return FDetailFrameColor; }
  void SetDetailFrameColor(TColor Value);
  // DetailFrameColor, or the painter's detail frame colour for clDefault.
  TColor GetDetailFrameColor() const;
  Integer DetailFrameWidth() const { return FDetailFrameWidth; }
  // Negative values are stored as 0.
  void SetDetailFrameWidth(Integer Value);
  // Stored when it differs from 0 for the root level and from 1 for other levels.
  bool IsDetailFrameWidthStored() const;
  TcxGridDetailTabsPosition DetailTabsPosition() const { return FDetailTabsPosition; }
  void SetDetailTabsPosition(TcxGridDetailTabsPosition Value);

private:
  TcxGridLevel* FLevel;
  TColor FDetailFrameColor = clDefault;
  Integer FDetailFrameWidth = 1;
  TcxGridDetailTabsPosition FDetailTabsPosition = dtpNone;
};

constexpr Integer lsTab = 0;
constexpr Integer lsTabsBackground = 1;

using TcxGridLevelGetTabStyleEvent =
    TEvent<void(TcxGridLevel* Sender, TcxGridLevel* ATabLevel, TcxStyle*& AStyle)>;

class TcxGridLevelStyles : public TcxStyles {
  RTL_DECLARE_CLASS(TcxGridLevelStyles, TcxStyles)
public:
  using TConstructorArg = TcxGridLevel*;
  explicit TcxGridLevelStyles(TcxGridLevel* ALevel);
  TcxGridLevel* Level() const;
  void Changed(Integer AIndex) override;
  void GetDefaultVisualParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override;
  // The Tab parameters of ATabLevel: the style OnGetTabStyle gives first, then Tab, then
  // the defaults.
  virtual void GetTabParams(TcxGridLevel* ATabLevel, TcxViewParams& AParams);
  void Assign(TPersistent* Source) override;

  TcxCustomStyle* Tab() const { return GetIndexedStyle(lsTab); }
  void SetTab(TcxCustomStyle* Value) { SetIndexedStyle(lsTab, Value); }
  TcxCustomStyle* TabsBackground() const { return GetIndexedStyle(lsTabsBackground); }
  void SetTabsBackground(TcxCustomStyle* Value) { SetIndexedStyle(lsTabsBackground, Value); }
  TcxGridLevelGetTabStyleEvent OnGetTabStyle;
};

class TcxGridLevel : public TComponent {
  RTL_DECLARE_CLASS(TcxGridLevel, TComponent)
public:
  explicit TcxGridLevel(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxGridLevel() override;

  // --- The tree.
  TcxCustomGrid* Control() const { return FControl; }
  TcxGridLevel* Parent() const { return FParent; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxGridLevel* Items(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }
  Integer Index() const;
  Integer VisibleCount() const { return static_cast<Integer>(FVisibleItems.size()); }
  TcxGridLevel* VisibleItems(Integer Index) const { return FVisibleItems.at(static_cast<size_t>(Index)); }
  Integer VisibleIndex() const;
  bool HasVisibleItems() const { return !FVisibleItems.empty(); }
  bool IsRoot() const;
  bool IsTop() const;
  bool IsActive() const;
  // Visible, for a top level also active, and every ancestor visible in the tree.
  bool IsVisibleInTree() const;
  // Visible and every ancestor visible, regardless of the active tab.
  bool IsVisibleChain() const;
  void AddItem(TcxGridLevel* ALevel);
  void RemoveItem(TcxGridLevel* ALevel);
  void SetActive(bool AValue);

  // --- Published values.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TcxCustomGridView* GridView() const { return FGridView; }
  void SetGridView(TcxCustomGridView* Value);
  Integer MaxDetailHeight() const { return FMaxDetailHeight; }
  // Negative values are stored as 0.
  void SetMaxDetailHeight(Integer Value);
  TcxGridLevelOptions* Options() const { return FOptions.get(); }
  void SetOptions(TcxGridLevelOptions* Value) { FOptions->Assign(Value); }
  TcxGridLevelStyles* Styles() const { return FStyles.get(); }
  void SetStyles(TcxGridLevelStyles* Value) { FStyles->Assign(Value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TNotifyEvent StylesEvents() const { return FStylesEvents; }
  void SetStylesEvents(TNotifyEvent Value) { FStylesEvents = Value; }

  virtual void Changed(bool ASizeChanged);
  // Negative becomes 0; above a MaxDetailHeight other than 0 becomes MaxDetailHeight.
  virtual void CheckHeight(Integer& AHeight);
  virtual TClass GetLevelClass() { return TcxGridLevel::StaticClass(); }
  virtual TClass GetStylesClass() { return TcxGridLevelStyles::StaticClass(); }
  virtual void VisibleChanged(TcxGridLevel* ALevel);

  // --- Streaming.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A level read from a stored form joins the grid or level it is stored in.
  void ReadState(TReader* Reader) override;

private:
  friend class TcxCustomGrid;
  void rebuildVisibleItems();
  void setControl(TcxCustomGrid* AControl);

  std::string FCaption;
  TcxCustomGrid* FControl = nullptr;
  TcxCustomGridView* FGridView = nullptr;
  std::vector<TcxGridLevel*> FItems;
  Integer FMaxDetailHeight = 0;
  TObjectPtr<TcxGridLevelOptions> FOptions;
  TcxGridLevel* FParent = nullptr;
  TObjectPtr<TcxGridLevelStyles> FStyles;
  bool FVisible = true;
  std::vector<TcxGridLevel*> FVisibleItems;
  TNotifyEvent FStylesEvents;
};

namespace cxGridLevelUnit {
void Initialize();
void Finalize();
}  // namespace cxGridLevelUnit
