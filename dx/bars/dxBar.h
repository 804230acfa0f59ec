#pragma once
// dxBar: the bar manager of a form, its bars, items and item links, the toolbar window that
// shows a docked bar, the item controls (the run-time views of the links) and the painters
// that draw them in the Standard and Enhanced looks.
//
// Model: the manager owns the bars (TdxBars) and lists the items whose manager it is; a bar
// holds item links (TdxBarItemLinks), each placing one item, with its own caption, width,
// group separator, visibility and use count for the recent-use ranking. View: a visible
// docked bar has one toolbar window (TdxBarControl) on the dock site of its edge; each
// shown link has one item control there, made by the class registered for the item's class.
// A mouse press and release on an enabled control runs the click path that ends in the
// item's OnClick.
#include <memory>
#include <vector>

#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"

class TdxBarManager;
class TdxBar;
class TdxBars;
class TdxBarItem;
class TdxBarItemLink;
class TdxBarItemLinks;
class TdxBarItemControl;
class TCustomdxBarControl;
class TdxBarControl;
class TdxDockControl;
class TdxBarItemControlPainter;

RTL_ENUM(TdxBarManagerStyle, bmsStandard, bmsEnhanced, bmsFlat, bmsXP, bmsOffice11, bmsUseLookAndFeel)
RTL_ENUM(TdxBarDockingStyle, dsNone, dsLeft, dsTop, dsRight, dsBottom)
RTL_ENUM(TdxBarItemVisible, ivNever, ivInCustomizing, ivAlways)
RTL_ENUM(TdxBarItemAlign, iaLeft, iaCenter, iaRight, iaClient)
RTL_ENUM(TdxBarButtonStyle, bsDefault, bsChecked, bsDropDown)
RTL_ENUM(TdxBarPaintStyle, psStandard, psCaption, psCaptionInMenu, psCaptionGlyph)
RTL_ENUM(TdxBarBorderStyle, bbsNone, bbsSingle)
RTL_ENUM(TdxBarPaintType, ptHorz, ptMenu, ptVert)
RTL_ENUM(TdxBarUserDefine, udCaption, udGlyph, udPaintStyle, udWidth)
using TdxBarUserDefines = Set<TdxBarUserDefine>;

using TdxBarClickItemEvent = TEvent<void(TObject* Sender, TdxBarItem* ClickedItem)>;
using TdxBarEvent = TEvent<void(TObject* Sender, TdxBar* ABar)>;
using TdxBarItemLinkEvent = TEvent<void(TObject* Sender, TdxBarItemLink* AItemLink)>;

// =======================================================================================
// Painters: one stateless instance per look; every operation gets what it draws on.
// Brushes given to the painters are borrowed (system, dither or manager brushes).
// =======================================================================================

class TdxBarItemControlPainter {
public:
  virtual ~TdxBarItemControlPainter() = default;
  virtual const char* Name() const { return "Base"; }

  // Metrics.
  virtual Integer GetDragMarkOffset() const { return 0; }
  virtual Integer GetDragMarkWidth() const { return 3; }
  virtual Integer GetDragMarkSize() const { return 0; }
  virtual Integer GetButtonExtraWidth() const { return 7; }
  virtual Integer GetButtonExtraHeight() const { return 6; }
  virtual Integer GetSeparatorSize() const { return 6; }
  virtual Integer GetSeparatorIndent(const TCustomdxBarControl* Bar, bool Vertical) const {
    return (GetSeparatorSize() - 2) / 2;
  }
  virtual Integer GetMenuSeparatorIndent() const { return 0; }
  // Always odd: the arrow centres on a middle column.
  virtual Integer GetButtonArrowWidth(const TdxBarManager* Manager) const;
  virtual TRect GetBarBorderRect(const TdxBar* Bar, TdxBarDockingStyle Style) const { return Rect(2, 2, 2, 2); }
  virtual Integer GetDockedBorderWidth() const { return 1; }
  virtual Integer GetPressedGlyphOffset() const { return 0; }
  virtual Integer GetDownGlyphOffset(bool Pressed) const { return 0; }
  virtual Integer GetLoweredExtra() const { return 0; }

  // What the look does.
  virtual bool KeepsFaceOnHighlight() const { return false; }
  virtual bool SupportsMark() const { return false; }
  virtual bool PaintsFaceFirst() const { return false; }
  virtual bool HasSplitDropDown() const { return false; }
  virtual bool HasDropDownHotPart() const { return true; }
  virtual bool IsFlatPainting() const { return false; }

  // Brushes (borrowed) and colours.
  virtual HBRUSH GetBarBrush(const TCustomdxBarControl* Bar) const;
  virtual HBRUSH GetToolbarBrush(const TCustomdxBarControl* Bar) const { return GetBarBrush(Bar); }
  virtual HBRUSH GetDownBrush(const TCustomdxBarControl* Bar) const;
  virtual HBRUSH GetDownSelectedBrush(const TCustomdxBarControl* Bar) const;
  virtual HBRUSH GetSelectedBrush(const TCustomdxBarControl* Bar) const;
  // The colour disabled glyphs are tinted towards; clNone embosses them instead.
  virtual TColor GetDisabledFadeColor(const TCustomdxBarControl* Bar) const;
  // Caption colours: the offset colour, when it differs, is drawn one pixel right and down
  // under the main colour (the embossed look of disabled text).
  virtual void GetTextColors(const TdxBarItemControl* Control, bool Enabled, bool Selected, bool FlatPlain,
                             COLORREF& Main, COLORREF& Offset) const;
  virtual void GetItemTextColorAndBrush(const TdxBarItemControl* Control, TdxBarPaintType PaintType, bool Pressed,
                                        bool Selected, bool Enabled, COLORREF& TextColor, HBRUSH& Brush) const;
  virtual HBRUSH GetGlyphBrush(const TdxBarItemControl* Control, TdxBarPaintType Kind, bool DropDown, bool Pressed,
                               bool Down, bool Hot, bool NoGlyph) const;

  // Faces of item controls.
  virtual void FillFace(const TdxBarItemControl* Control, HDC DC, bool Selected, HBRUSH Brush, const TRect& R) const;
  virtual void FrameFace(const TdxBarItemControl* Control, HDC DC, bool Selected, HBRUSH Brush,
                         const TRect& R) const;
  virtual void DrawEtchedLine(HDC DC, const TRect& R) const;
  virtual void DrawButtonFrame(const TdxBarItemControl* Control, HDC DC, bool DropDown, bool Pressed, bool Down,
                               bool Hot, bool NoGlyph, TdxBarPaintType Kind, const TRect& R, bool Fits,
                               HBRUSH Brush) const {}
  virtual void DrawCheckedFace(const TdxBarItemControl* Control, HDC DC, bool Pressed, bool Down, bool Hot,
                               TdxBarPaintType Kind, bool Fits, HBRUSH Brush, const TRect& R) const;
  virtual void DrawGlyph(const TdxBarItemControl* Control, HDC DC, TdxBarPaintType Kind, bool Pressed, bool Down,
                         bool Hot, Integer ImageIndex, TCustomImageList* Images, TBitmap* Glyph,
                         const TRect& GlyphRect, const TRect& Face, bool Fits,
                         HBRUSH Brush) const;
  // Lays the glyph out in the face and draws face, glyph (or the check face) and frame.
  void DrawItemGlyph(const TdxBarItemControl* Control, HDC DC, const TRect& Face, bool DropDown, bool Pressed,
                     bool Down, bool Hot, bool NoGlyph, TdxBarPaintType Kind) const;
  void DrawGlyphFace(const TdxBarItemControl* Control, HDC DC, const TRect& Face, bool DropDown, bool Pressed,
                     bool Down, bool Hot, bool NoGlyph, Integer ImageIndex, TCustomImageList* Images,
                     TBitmap* Glyph, TdxBarPaintType Kind, const TRect& GlyphRect) const;
  // The caption with its mnemonic underlined (a doubled "&" shows one "&"); Alignment 0
  // left, 1 centre, 2 right.
  virtual void DrawCaption(const TdxBarItemControl* Control, HDC DC, bool Plain, bool Clip, bool Vertical,
                           bool Selected, bool Enabled, Integer Alignment, const TRect& R,
                           const std::string& Text) const;
  virtual void DrawLoweredBorder(const TdxBarItemControl* Control, HDC DC, TRect& R) const {}
  virtual void DrawDropDownPart(const TdxBarItemControl* Control, HDC DC, TdxBarPaintType PaintType,
                                bool DropDownEnabled, bool DroppedDown, bool PressedLook, bool Selected,
                                HBRUSH Brush, const TRect& R) const {}
  virtual void DrawItemArrow(HDC DC, const TRect& R, bool Flat, bool Selected, bool Enabled, bool PointsDown) const;
  virtual void DrawItemArrowSized(HDC DC, const TRect& R, bool Flat, bool Enabled, bool Selected, Integer Size,
                                  bool PointsDown) const;
  // Sub-item controls: their arrow, their size and their drawing.
  virtual Integer GetSubItemArrowSize(const TdxBarItemControl* Control) const;
  virtual Integer GetSubItemHeight(const TdxBarItemControl* Control) const;
  virtual Integer GetSubItemWidth(const TdxBarItemControl* Control) const;
  virtual void DrawSubItem(const TdxBarItemControl* Control, HDC DC, TdxBarPaintType Kind, bool Down, bool Selected,
                           const TRect& R) const;
  virtual void OffsetPressedButtonGlyph(bool Down, bool Pressed, TRect& R) const {}

  // Bars.
  virtual void DrawSeparator(const TCustomdxBarControl* Bar, HDC DC, bool HorizontalLine, HBRUSH Brush,
                             const TRect& R) const;
  // The frame and grip of a docked bar, in window coordinates of its non-client area.
  virtual void DrawDragMark(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const {}
  // The mark of a docked bar, in client coordinates; empty when the look has none.
  virtual TRect GetMarkRect(const TdxBarControl* Bar) const { return Rect(0, 0, 0, 0); }
  void DrawMark(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const;
  virtual void DrawMarkFace(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const {}
  virtual void DrawMarkGlyphs(const TdxBarControl* Bar, HDC DC, const TRect& R) const;
  virtual void DrawMarkChevron(const TdxBarControl* Bar, HDC DC, Integer Position) const {}
  virtual Integer GetMarkArrowColorIndex(const TdxBarControl* Bar) const { return COLOR_BTNTEXT; }

  // The caption of a floating bar: its band (the system's small caption height), the
  // border around it, the close button at its right end and the mark at its left.
  virtual bool UsesSystemFrame() const { return false; }
  virtual bool UsesSystemCloseHit() const { return false; }
  virtual bool DrawsCaptionBackground() const { return false; }
  virtual Integer GetFloatingFrameWidth() const { return GetSystemMetrics(SM_CXFRAME); }
  virtual Integer GetFloatingFrameHeight() const { return GetSystemMetrics(SM_CYFRAME); }
  virtual Integer GetFloatingExtraBorder() const { return 0; }
  virtual Integer GetCaptionExtraTop() const { return 0; }
  virtual Integer GetCaptionExtraBottom() const { return 0; }
  virtual Integer GetCaptionHeight() const;
  Integer GetFloatingCaptionHeight() const { return GetCaptionHeight() + 1; }
  virtual TSize GetCloseButtonSize() const { return TSize{GetCaptionHeight(), GetCaptionHeight()}; }
  virtual COLORREF GetCaptionColor(const TdxBarControl* Bar, bool Active) const;
  virtual COLORREF GetCaptionTextColor(const TdxBarControl* Bar) const { return GetSysColor(COLOR_CAPTIONTEXT); }
  virtual COLORREF GetCaptionButtonColor(const TdxBarControl* Bar, Integer State) const {
    return GetSysColor(COLOR_CAPTIONTEXT);
  }
  // The caption's mark: the leftmost 13 pixels of the band.
  static constexpr Integer CaptionMarkWidth = 13;
  virtual void GetCaptionTextStart(const TdxBarControl* Bar, Integer& Left, const TRect& R) const;
  virtual void DrawCaptionBackground(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const {
    FillRect(DC, &R, Brush);
  }
  virtual void DrawFloatingCaption(const TdxBarControl* Bar, HDC DC, HBRUSH LineBrush, HBRUSH Brush,
                                   const TRect& R) const;
  virtual void DrawFloatingBorder(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const {}
  virtual void DrawCloseButton(const TdxBarControl* Bar, HDC DC, const TRect& R) const {}
  virtual void DrawCloseButtonFace(const TdxBarControl* Bar, HDC DC, Integer State, const TRect& R) const;
  virtual void DrawCaptionMark(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
    DrawCaptionMarkArrow(Bar, DC, R);
  }
  virtual void DrawCaptionMarkArrow(const TdxBarControl* Bar, HDC DC, const TRect& R) const;

protected:
  void drawVerticalCaption(const TdxBarItemControl* Control, HDC DC, bool Plain, bool Clip, bool Selected,
                           bool Enabled, Integer Alignment, const TRect& R, const std::string& Text) const;
};

class TdxBarItemControlStandardPainter : public TdxBarItemControlPainter {
public:
  const char* Name() const override { return "Standard"; }
  Integer GetDragMarkOffset() const override { return 2; }
  // Two grip bars after the offset, and one pixel.
  Integer GetDragMarkSize() const override { return GetDragMarkOffset() + 2 * GetDragMarkWidth() + 1; }
  Integer GetMenuSeparatorIndent() const override { return 2; }
  Integer GetPressedGlyphOffset() const override { return 1; }
  Integer GetDownGlyphOffset(bool) const override { return 1; }
  Integer GetLoweredExtra() const override { return 1; }
  bool KeepsFaceOnHighlight() const override { return true; }
  HBRUSH GetGlyphBrush(const TdxBarItemControl* Control, TdxBarPaintType Kind, bool DropDown, bool Pressed,
                       bool Down, bool Hot, bool NoGlyph) const override;
  void DrawEtchedLine(HDC DC, const TRect& R) const override;
  void DrawButtonFrame(const TdxBarItemControl* Control, HDC DC, bool DropDown, bool Pressed, bool Down, bool Hot,
                       bool NoGlyph, TdxBarPaintType Kind, const TRect& R, bool Fits, HBRUSH Brush) const override;
  void DrawLoweredBorder(const TdxBarItemControl* Control, HDC DC, TRect& R) const override;
  void DrawDropDownPart(const TdxBarItemControl* Control, HDC DC, TdxBarPaintType PaintType, bool DropDownEnabled,
                        bool DroppedDown, bool PressedLook, bool Selected, HBRUSH Brush,
                        const TRect& R) const override;
  void OffsetPressedButtonGlyph(bool Down, bool Pressed, TRect& R) const override;
  void DrawDragMark(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const override;
  TRect GetMarkRect(const TdxBarControl* Bar) const override;
  void DrawMarkFace(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const override;
  void DrawMarkChevron(const TdxBarControl* Bar, HDC DC, Integer Position) const override;
  bool UsesSystemFrame() const override { return true; }
  bool UsesSystemCloseHit() const override { return true; }
  Integer GetFloatingExtraBorder() const override { return 4; }
  Integer GetCaptionExtraTop() const override { return 2; }
  Integer GetCaptionExtraBottom() const override { return 1; }
  void DrawFloatingBorder(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const override;
  void DrawCloseButton(const TdxBarControl* Bar, HDC DC, const TRect& R) const override;

protected:
  // One grip bar: a raised edge, its corner pixel lit, its inside in the face colour.
  void drawGripBar(HDC DC, const TRect& R, bool Vertical) const;
};

class TdxBarItemControlEnhancedPainter : public TdxBarItemControlStandardPainter {
public:
  const char* Name() const override { return "Enhanced"; }
  Integer GetDragMarkOffset() const override { return 1; }
  // One grip bar after the offset, and two.
  Integer GetDragMarkSize() const override { return GetDragMarkOffset() + GetDragMarkWidth() + 2; }
  Integer GetMenuSeparatorIndent() const override { return 12; }
  bool SupportsMark() const override { return true; }
  void DrawDragMark(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const override;
  TRect GetMarkRect(const TdxBarControl* Bar) const override;
  void DrawMarkFace(const TdxBarControl* Bar, HDC DC, HBRUSH Brush, const TRect& R) const override;
  void DrawMarkGlyphs(const TdxBarControl* Bar, HDC DC, const TRect& R) const override;
  void DrawMarkChevron(const TdxBarControl* Bar, HDC DC, Integer Position) const override;
};

// The painter of each look; a look this unit does not draw uses the Enhanced one.
const TdxBarItemControlPainter* dxBarPainterOf(TdxBarManagerStyle Style);

// Shared bar routines.
// Draws Glyph into GlyphRect inside R, on BackgroundBrush (or on what DC already shows
// under R when CopyBackground); without a glyph bitmap, image ImageIndex of Images drawn on
// ImageListBkColor stands in. The bottom-left pixel of the image is its transparent
// colour. Enabled glyphs are drawn as they are (lightened in the flat look unless hot or
// down, shadowed when hot in the flat shadow look; grey when Grey); disabled ones are
// tinted towards FadeColor, or embossed in the shadow colour when FadeColor is clNone.
void dxBarDrawGlyph(HDC DC, HBRUSH BackgroundBrush, const TRect& R, TColor ImageListBkColor, TColor FadeColor,
                    bool CopyBackground, bool ShadowStyle, bool Pressed, bool Down, bool Hot, bool Flat, bool Grey,
                    bool Enabled, Integer ImageIndex, TCustomImageList* Images, TBitmap* Glyph,
                    const TRect& GlyphRect);
inline void dxBarDrawGlyph(HDC DC, HBRUSH BackgroundBrush, const TRect& R, TColor FadeColor, bool CopyBackground,
                           bool ShadowStyle, bool Pressed, bool Down, bool Hot, bool Flat, bool Grey, bool Enabled,
                           TBitmap* Glyph, const TRect& GlyphRect) {
  dxBarDrawGlyph(DC, BackgroundBrush, R, clFuchsia, FadeColor, CopyBackground, ShadowStyle, Pressed, Down, Hot, Flat,
                 Grey, Enabled, -1, nullptr, Glyph, GlyphRect);
}
// Fills R with Bitmap tiled from OriginRect's top-left (so that neighbouring pieces of one
// surface show one pattern), or, without a bitmap, with Brush (a solid Color when no brush).
void FillBackground(HDC DC, const TRect& R, const TRect& OriginRect, TBitmap* Bitmap, TColor Color, HBRUSH Brush);
void TileBitmap(HDC DC, const TRect& R, const TRect& OriginRect, TBitmap* Bitmap);
// A filled triangle pointing down or right, sized from the rectangle (or of the size given).
void DrawArrow(HDC DC, const TRect& R, bool PointsDown, bool NoHighlight, bool Selected, bool Enabled);
void DrawArrowSized(HDC DC, const TRect& R, Integer Size, bool PointsDown, bool NoHighlight, bool Selected,
                    bool Enabled);
// The 8 x 8 checkerboard of button highlight and button face (null outside the unit's start and end).
HBRUSH dxBarDitherBrush();
namespace dxBarPaintObjects {
// The unit-wide brushes, made at the unit's start (and again when the system colours
// change) and freed at its end.
void Create();
void Destroy();
}  // namespace dxBarPaintObjects

// =======================================================================================
// Manager
// =======================================================================================

// Every live bar manager of the process, in creation order.
class TdxBarManagerList : public TObject {
  RTL_DECLARE_CLASS(TdxBarManagerList, TObject)
public:
  ~TdxBarManagerList() override;
  Integer Count() const { return static_cast<Integer>(managers_.size()); }
  // Null outside 0..Count-1.
  TdxBarManager* Items(Integer Index) const;
  TdxBarManager* ManagerOf(TComponent* Form) const;

private:
  friend class TdxBarManager;
  std::vector<TdxBarManager*> managers_;
};

// The process's manager list (null outside the unit's start and end).
TdxBarManagerList* dxBarManagerList();

// The category names of a manager; every item refers to its category by index, so
// inserting, deleting, exchanging and moving names renumbers the items.
class TdxBarManagerCategories : public TStringList {
  RTL_DECLARE_CLASS(TdxBarManagerCategories, TStringList)
public:
  explicit TdxBarManagerCategories(TdxBarManager* Manager = nullptr);
  void Delete(Integer Index) override;
  void Insert(Integer Index, const std::string& S) override;
  void Exchange(Integer Index1, Integer Index2) override;
  void Move(Integer CurIndex, Integer NewIndex) override;
  void ReassignCategory(Integer From, Integer To);
  void Clear() override;
  ~TdxBarManagerCategories() override;
  // Per category: which of its items are visible, and whether the category is listed.
  void DefineProperties(TFiler* Filer) override;

protected:
  void Changed() override;

private:
  TdxBarManager* manager_;
  bool moving_ = false;
};

class TdxBarManager : public TComponent {
  RTL_DECLARE_CLASS(TdxBarManager, TComponent)
public:
  explicit TdxBarManager(TComponent* AOwner);
  ~TdxBarManager() override;
  void BeforeDestruction() override;

  // Published.
  TdxBars* Bars() const { return bars_.get(); }
  void SetBars(TdxBars* Value);
  TStrings* Categories() const { return categories_.get(); }
  void SetCategories(TStrings* Value) { categories_->Assign(Value); }
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  TdxBarManagerStyle Style() const { return style_; }
  void SetStyle(TdxBarManagerStyle Value);
  // Decides the look while Style is bmsUseLookAndFeel.
  TcxLookAndFeel* LookAndFeel() const { return lookAndFeel_.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { lookAndFeel_->Assign(Value); }
  // The theme library serves every class the themed look draws with.
  bool ThemesUsable() const { return themesUsable_; }
  Byte MostRecentItemsPercents() const { return mostRecentItemsPercents_; }
  void SetMostRecentItemsPercents(Byte Value);
  Integer ButtonArrowWidth() const { return buttonArrowWidth_; }
  void SetButtonArrowWidth(Integer Value);
  bool LargeIcons() const { return largeIcons_; }
  void SetLargeIcons(bool Value);
  bool UseSystemFont() const { return useSystemFont_; }
  void SetUseSystemFont(bool Value);
  bool Scaled() const { return scaled_; }
  void SetScaled(bool Value);
  // After a change of the system's non-client metrics.
  void UpdateFontFromSystem();
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value) { showHint_ = Value; }
  bool CanCustomize() const { return canCustomize_; }
  void SetCanCustomize(bool Value) { canCustomize_ = Value; }
  // The dock sites' colour: the owner form's Color while AutoDockColor is set.
  bool AutoDockColor() const { return autoDockColor_; }
  void SetAutoDockColor(bool Value);
  TColor DockColor() const;
  void SetDockColor(TColor Value);
  bool IsDockColorStored() const { return !autoDockColor_; }
  bool MakeDisabledImagesFaded() const { return makeDisabledImagesFaded_; }
  void SetMakeDisabledImagesFaded(bool Value);
  // The image lists the items' ImageIndex refers to. A list that is freed is dropped; a
  // change of a list's images or size refreshes the bar windows.
  TCustomImageList* Images() const { return imageLists_[ilImages].list; }
  void SetImages(TCustomImageList* Value) { setImageList(ilImages, Value); }
  TCustomImageList* HotImages() const { return imageLists_[ilHot].list; }
  void SetHotImages(TCustomImageList* Value) { setImageList(ilHot, Value); }
  TCustomImageList* DisabledImages() const { return imageLists_[ilDisabled].list; }
  void SetDisabledImages(TCustomImageList* Value) { setImageList(ilDisabled, Value); }
  TCustomImageList* LargeImages() const { return imageLists_[ilLarge].list; }
  void SetLargeImages(TCustomImageList* Value) { setImageList(ilLarge, Value); }
  // The colour image-list images are drawn on before their bottom-left pixel's colour is
  // taken as transparent.
  TColor ImageListBkColor() const { return imageListBkColor_; }
  void SetImageListBkColor(TColor Value);
  // With LargeIcons, toolbars take LargeImages (when assigned) instead of doubling Images.
  bool UseLargeImagesForLargeIcons() const { return useLargeImagesForLargeIcons_; }
  void SetUseLargeImagesForLargeIcons(bool Value);
  bool UsesLargeImages() const { return largeIcons_ && useLargeImagesForLargeIcons_ && LargeImages(); }
  const TdxBarClickItemEvent& OnClickItem() const { return onClickItem_; }
  void SetOnClickItem(const TdxBarClickItemEvent& Value) { onClickItem_ = Value; }
  const TdxBarEvent& OnBarVisibleChange() const { return onBarVisibleChange_; }
  void SetOnBarVisibleChange(const TdxBarEvent& Value) { onBarVisibleChange_ = Value; }
  const TdxBarItemLinkEvent& OnItemLinkAdd() const { return onItemLinkAdd_; }
  void SetOnItemLinkAdd(const TdxBarItemLinkEvent& Value) { onItemLinkAdd_ = Value; }
  const TdxBarItemLinkEvent& OnItemLinkDelete() const { return onItemLinkDelete_; }
  void SetOnItemLinkDelete(const TdxBarItemLinkEvent& Value) { onItemLinkDelete_ = Value; }

  // Items.
  Integer ItemCount() const { return static_cast<Integer>(items_.size()); }
  TdxBarItem* Items(Integer Index) const;
  TdxBarItem* ItemByName(const std::string& Name) const;
  void MoveItem(Integer CurIndex, Integer NewIndex);
  Integer GetItemsByCategory(Integer Category, TList* List) const;
  void DestroyItems();

  // Categories: a category without a record reads as ivAlways and visible.
  TdxBarItemVisible GetCategoryItemsVisible(Integer Index) const;
  void SetCategoryItemsVisible(Integer Index, TdxBarItemVisible Value);
  bool GetCategoryVisible(Integer Index) const;
  void SetCategoryVisible(Integer Index, bool Value);
  // The index of the N-th (from 0) visible category, -1 when there is none.
  Integer GetVisibleCategoryIndex(Integer N) const;

  TdxBar* BarByCaption(const std::string& Caption) const;
  TdxBar* BarByName(const std::string& Name) const;
  TCustomForm* OwnerForm() const { return ownerForm_; }
  TdxDockControl* BuiltInDockControl(TdxBarDockingStyle Style) const;

  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }
  // No run-time customization here: only design mode counts.
  bool IsCustomizing() const { return IsDesigning(); }

  // Recent use: new links and links marked most recently used start with this count.
  Integer RecentUseThreshold() const { return recentUseThreshold_; }
  void CalcRecentUseThreshold();

  // Look.
  TdxBarManagerStyle GetEffectiveStyle() const;
  bool IsRecentItemsStyle() const { return GetEffectiveStyle() != bmsStandard; }
  const TdxBarItemControlPainter* PainterClass() const { return painter_; }
  void StyleChanged();
  void CalcImageMetrics();
  Integer ImageSize() const { return imageSize_; }
  Integer ButtonGlyphWidth() const { return buttonGlyphWidth_; }
  Integer ButtonGlyphHeight() const { return buttonGlyphHeight_; }
  Integer ArrowWidth() const { return arrowWidth_; }
  Integer DragMarkOffset() const { return dragMarkOffset_; }
  Integer DragMarkSize() const { return dragMarkSize_; }
  HFONT FontHandle() const { return fontHandle_; }
  // The same font turned to read downwards, for vertical bars that rotate their captions.
  HFONT RotatedFontHandle() const { return rotatedFontHandle_; }
  // The paint objects the looks share, rebuilt from the system colours.
  enum PaintBrush { pbFlatFrame, pbFlatBar, pbFlatDown, pbFlatDownSelected, pbFlatSelected, pbCount };
  HBRUSH Brush(PaintBrush Which) const { return brushes_[Which]; }
  void RefreshPaintObjects();
  // Every dock site and bar window takes new colours and frames and repaints.
  void RefreshDockControlsAndBars();

  virtual void DoClickItem(TdxBarItem* Item);
  // Closes every open bar window of the chain; a toolbar leaves its selection.
  void HideAll();
  TdxBarItemControl* SelectedItemControl() const { return selectedItemControl_; }
  void SetSelectedItemControl(TdxBarItemControl* Control) { selectedItemControl_ = Control; }

  // The dock sites' initial sizes: left width, right width, top height, bottom height.
  void DefineProperties(TFiler* Filer) override;

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TdxBarItem;
  friend class TdxBarManagerCategories;
  friend class TdxBar;
  void fontChanged(TObject* Sender);
  void rebuildFontHandle();
  void createPaintObjects();
  void lookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues Changed);
  void destroyPaintObjects();
  void rebuildBarWindows();
  enum ImageListSlot { ilImages, ilHot, ilDisabled, ilLarge, ilCount };
  void setImageList(ImageListSlot Slot, TCustomImageList* Value);
  void imageListChanged(TObject* Sender);
  void checkLinksResolved();
  void readDockControlHeights(TReader* Reader);
  void writeDockControlHeights(TWriter* Writer);
  static TComponent* ownerFor(TComponent* AOwner);

  bool constructing_ = true;
  TCustomForm* ownerForm_ = nullptr;
  std::unique_ptr<TdxBarManagerCategories> categories_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TdxBars> bars_;
  std::unique_ptr<TcxLookAndFeel> lookAndFeel_;
  bool themesUsable_ = false;
  std::vector<TdxBarItem*> items_;
  TdxBarManagerStyle style_ = bmsEnhanced;
  const TdxBarItemControlPainter* painter_ = nullptr;
  Byte mostRecentItemsPercents_ = 95;
  Integer recentUseThreshold_ = 0;
  Integer buttonArrowWidth_ = 11;
  bool largeIcons_ = false;
  bool useSystemFont_ = false;
  bool scaled_ = true;
  bool fontGuard_ = false;
  bool showHint_ = true;
  bool canCustomize_ = true;
  bool autoDockColor_ = true;
  TColor dockColor_ = clBtnFace;
  bool makeDisabledImagesFaded_ = false;
  struct ImageListRef {
    TCustomImageList* list = nullptr;
    std::unique_ptr<TChangeLink> link;
  };
  ImageListRef imageLists_[ilCount];
  TColor imageListBkColor_ = clFuchsia;
  bool useLargeImagesForLargeIcons_ = false;
  HBRUSH brushes_[pbCount] = {};
  Integer imageSize_ = 16, buttonGlyphWidth_ = 23, buttonGlyphHeight_ = 22, arrowWidth_ = 11;
  Integer dragMarkOffset_ = 0, dragMarkSize_ = 0;
  HFONT fontHandle_ = nullptr;
  HFONT rotatedFontHandle_ = nullptr;
  TdxBarItemControl* selectedItemControl_ = nullptr;
  TdxBarClickItemEvent onClickItem_;
  TdxBarEvent onBarVisibleChange_;
  TdxBarItemLinkEvent onItemLinkAdd_, onItemLinkDelete_;
};

// =======================================================================================
// Items
// =======================================================================================

class TdxBarItem : public TComponent {
  RTL_DECLARE_CLASS(TdxBarItem, TComponent)
public:
  explicit TdxBarItem(TComponent* AOwner);
  ~TdxBarItem() override;
  void BeforeDestruction() override;

  TdxBarManager* BarManager() const { return barManager_; }
  TdxBarItemAlign Align() const { return align_; }
  void SetAlign(TdxBarItemAlign Value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  Integer Category() const { return category_; }
  void SetCategory(Integer Value);
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& Value) { description_ = Value; }
  // The effective state: what clicks and views obey.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value) { helpContext_ = Value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  TdxBarItemVisible Visible() const { return visible_; }
  void SetVisible(TdxBarItemVisible Value);
  TdxBarItemVisible LoadedVisible() const { return loadedVisible_; }
  // An index into the manager's Images; -1 for none.
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value) { SetImageIndexVirtual(Value); }
  // Stored and shown; running an item by its shortcut is the keyboard hook's business.
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  // The item shows the action's caption, enabled state, help context, hint, image,
  // shortcut and visibility, and its click runs the action unless OnClick is a handler of
  // its own. Freeing the action unlinks it.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TActionLink* ActionLink() const { return actionLink_.get(); }
  // Whether the manager's Images has an image at ImageIndex.
  bool HasValidImage() const;
  TCustomImageList* GetImages() const;
  virtual Integer GetImageIndex() const { return imageIndex_; }
  virtual void SetImageIndexVirtual(Integer Value) { StoreImageIndex(Value); }
  // Copies the item's state into an action (Dest must be a TCustomAction).
  void AssignTo(TPersistent* Dest) override;
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& Value) { onClick_ = Value; }
  TdxBarItemLink* ClickItemLink() const { return clickItemLink_; }

  Integer LinkCount() const { return static_cast<Integer>(links_.size()); }
  TdxBarItemLink* Links(Integer Index) const;
  // Caption without its first "&" and its first "...".
  std::string CleanCaption() const;
  bool IsVisibleInMode() const;
  virtual bool HasContent() const { return true; }
  virtual bool CanClickByShortCut() const { return true; }

  // The single entry for running the command: the manager hears of it, then OnClick runs;
  // an exception from either goes to the application's handler.
  virtual void Click();
  virtual void DirectClick();
  // Whether Item is still alive (not freed by a handler it ran).
  static bool IsAlive(const TdxBarItem* Item);

protected:
  virtual void DoClick();
  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged();
  virtual void VisibleChanged();
  virtual void ShortCutChanged();
  virtual void StoreImageIndex(Integer Value);
  // Takes the action's state; with CheckDefaults only into properties still at their defaults.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  void ReadState(TReader* Reader) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

public:
  // What is not stored while it follows the action.
  bool IsCaptionStored() const;
  bool IsEnabledStored() const;
  bool IsHelpContextStored() const;
  bool IsHintStored() const;
  bool IsImageIndexStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;
  bool IsOnClickStored() const;

private:
  friend class TdxBarItemLink;
  friend class TdxBarItemControl;
  friend class TdxBarManager;
  friend class TdxBarManagerCategories;
  friend class TdxBarItemActionLink;
  void glyphChanged(TObject* Sender) { GlyphChanged(); }
  void doActionChange(TObject* Sender);
  TdxBarManager* barManager_ = nullptr;
  TdxBarItemAlign align_ = iaLeft;
  std::string caption_, description_, hint_;
  Integer category_ = -1;
  bool enabled_ = true;
  std::unique_ptr<TBitmap> glyph_;
  Integer helpContext_ = 0;
  TdxBarItemVisible visible_ = ivAlways, loadedVisible_ = ivAlways;
  TNotifyEvent onClick_;
  Integer imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  std::unique_ptr<TActionLink> actionLink_;
  TdxBarItemLink* clickItemLink_ = nullptr;
  std::vector<TdxBarItemLink*> links_;
};

// The link between an item and its action: a property follows the action while the item
// still shows the action's value.
class TdxBarItemActionLink : public TActionLink {
  RTL_DECLARE_CLASS(TdxBarItemActionLink, TActionLink)
public:
  explicit TdxBarItemActionLink(TObject* AClient);
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const std::string& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

protected:
  void AssignClient(TObject* AClient) override;
  TdxBarItem* FClient = nullptr;
};

class TdxBarButton : public TdxBarItem {
  RTL_DECLARE_CLASS(TdxBarButton, TdxBarItem)
public:
  explicit TdxBarButton(TComponent* AOwner) : TdxBarItem(AOwner) {}
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  TdxBarButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TdxBarButtonStyle Value);
  bool CloseSubMenuOnClick() const { return closeSubMenuOnClick_; }
  void SetCloseSubMenuOnClick(bool Value) { closeSubMenuOnClick_ = Value; }
  bool Down() const { return down_; }
  void SetDown(bool Value);
  bool IsDownStored() const;
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  bool Lowered() const { return lowered_; }
  void SetLowered(bool Value);
  TdxBarPaintStyle PaintStyle() const { return paintStyle_; }
  void SetPaintStyle(TdxBarPaintStyle Value);
  bool UnclickAfterDoing() const { return unclickAfterDoing_; }
  void SetUnclickAfterDoing(bool Value) { unclickAfterDoing_ = Value; }
  void DirectClick() override;

private:
  void relayoutViews();
  void repaintViews();
  bool allowAllUp_ = false;
  TdxBarButtonStyle buttonStyle_ = bsDefault;
  bool closeSubMenuOnClick_ = true;
  bool down_ = false;
  Integer groupIndex_ = 0;
  bool lowered_ = false;
  TdxBarPaintStyle paintStyle_ = psStandard;
  bool unclickAfterDoing_ = true;
};

// An item that holds links of its own (a menu); it is not clicked by shortcut. Its menu
// window is not built here: on a toolbar it shows as a button.
class TdxBarSubItem : public TdxBarItem {
  RTL_DECLARE_CLASS(TdxBarSubItem, TdxBarItem)
public:
  explicit TdxBarSubItem(TComponent* AOwner);
  ~TdxBarSubItem() override;
  TdxBarItemLinks* ItemLinks() const { return itemLinks_.get(); }
  void SetItemLinks(TdxBarItemLinks* Value);
  bool CanClickByShortCut() const override { return false; }

private:
  std::unique_ptr<TdxBarItemLinks> itemLinks_;
};

// =======================================================================================
// Item links
// =======================================================================================

class TdxBarItemLink : public TCollectionItem {
  RTL_DECLARE_CLASS(TdxBarItemLink, TCollectionItem)
public:
  explicit TdxBarItemLink(TCollection* Collection);
  ~TdxBarItemLink() override;
  void Assign(TPersistent* Source) override;

  // Published.
  bool BeginGroup() const;  // derived: see the .cpp
  void SetBeginGroup(bool Value);
  TdxBarItem* Item() const { return item_; }
  void SetItem(TdxBarItem* Value);
  bool MostRecentlyUsed() const { return mostRecentlyUsed_; }
  void SetMostRecentlyUsed(bool Value);
  const std::string& UserCaption() const { return userCaption_; }
  void SetUserCaption(const std::string& Value);
  TdxBarUserDefines UserDefine() const { return userDefine_; }
  void SetUserDefine(TdxBarUserDefines Value);
  TBitmap* UserGlyph() const { return userGlyph_.get(); }
  void SetUserGlyph(TBitmap* Value);
  TdxBarPaintStyle UserPaintStyle() const { return userPaintStyle_; }
  void SetUserPaintStyle(TdxBarPaintStyle Value);
  Integer UserWidth() const { return userWidth_; }
  void SetUserWidth(Integer Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  // Derived.
  std::string Caption() const;
  TBitmap* Glyph() const;
  TdxBarPaintStyle PaintStyle() const;
  Integer Width() const;
  TdxBarItemLinks* Links() const;
  TdxBarManager* BarManager() const;
  TCustomdxBarControl* BarControl() const;
  TdxBarItemControl* Control() const { return control_.get(); }
  const TRect& ItemRect() const { return itemRect_; }
  void SetItemRect(const TRect& R) { itemRect_ = R; }
  bool BeginGroupFlag() const { return beginGroup_; }
  Integer UseCount() const { return useCount_; }
  void SetUseCount(Integer Value) { useCount_ = Value; }
  Integer RecentIndex() const;
  Integer AvailablePosition() const;
  Integer CanShowPosition() const;
  Integer ShownPosition() const;

  // Recent use.
  void ApplyMostRecentlyUsed();
  // Marks the link as used (Count 1: a command run through it; 0: only moved to the head).
  void UseLink(Integer Count);
  void MoveToRecentEnd();
  void MoveInRecency(Integer Position);

  void CreateControl();
  void DestroyControl();

protected:
  void Changed();

private:
  friend class TdxBarItemLinks;
  friend class TdxBarItem;
  TdxBarItem* item_ = nullptr;
  std::unique_ptr<TdxBarItemControl> control_;
  TRect itemRect_{0, 0, 0, 0};
  bool beginGroup_ = false;
  bool mostRecentlyUsed_ = true;
  bool visible_ = true;
  bool recordedVisible_ = true;
  Integer useCount_ = 0;
  std::string userCaption_;
  TdxBarUserDefines userDefine_;
  std::unique_ptr<TBitmap> userGlyph_;
  TdxBarPaintStyle userPaintStyle_ = psStandard;
  Integer userWidth_ = 0;
};

class TdxBarItemLinks : public TCollection {
  RTL_DECLARE_CLASS(TdxBarItemLinks, TCollection)
public:
  TdxBarItemLinks(TdxBarManager* Manager, TPersistent* Owner);
  ~TdxBarItemLinks() override;
  TPersistent* GetOwner() override { return owner_; }
  void Assign(TPersistent* Source) override;

  TdxBarItemLink* Items(Integer Index) const { return static_cast<TdxBarItemLink*>(TCollection::Items(Index)); }
  TdxBarItemLink* Add() { return static_cast<TdxBarItemLink*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return manager_; }
  void SetBarManager(TdxBarManager* Value) { manager_ = Value; }
  TPersistent* Owner() const { return owner_; }
  TCustomdxBarControl* BarControl() const { return barControl_; }

  const std::vector<TdxBarItemLink*>& AvailableLinks() const { return available_; }
  const std::vector<TdxBarItemLink*>& CanShowLinks() const { return canShow_; }
  const std::vector<TdxBarItemLink*>& ShownLinks() const { return shown_; }
  const std::vector<TdxBarItemLink*>& RecencyList() const { return recency_; }
  Integer AvailableCount() const { return static_cast<Integer>(available_.size()); }
  Integer RecentCount() const { return recentCount_; }
  void RebuildShownLists();
  void SetRecentCount(Integer Count);
  void RestoreRecentCount();
  Integer CalcRecentCount() const;
  bool IsRecentMode() const;
  bool UseRecentItems() const { return useRecentItems_; }
  void SetUseRecentItems(bool Value) { useRecentItems_ = Value; }
  void ApplyRecentData(bool ApplyVisible);
  void PackRecencyList();
  bool ContainsItem(const TdxBarItem* Item) const;

  // The window of a bar's links; freeing it frees the item controls.
  TdxBarControl* CreateBarWindow();
  void FreeBarWindow();
  bool IsAssigning() const { return assigning_; }

protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  friend class TdxBarItemLink;
  friend class TCustomdxBarControl;
  TdxBarManager* manager_;
  TPersistent* owner_;
  // Owned: freed by FreeBarWindow; a window freed by its parent first tells the links.
  TCustomdxBarControl* barControl_ = nullptr;
  std::vector<TdxBarItemLink*> available_, canShow_, shown_, recency_;
  Integer recentCount_ = -1, savedRecentCount_ = -1;
  bool useRecentItems_ = true;
  bool assigning_ = false;
};

// =======================================================================================
// Bars
// =======================================================================================

class TdxBar : public TCollectionItem {
  RTL_DECLARE_CLASS(TdxBar, TCollectionItem)
public:
  explicit TdxBar(TCollection* Collection);
  ~TdxBar() override;
  void Assign(TPersistent* Source) override;

  bool AllowClose() const { return allowClose_; }
  void SetAllowClose(bool Value) { allowClose_ = Value; }
  bool AllowCustomizing() const { return allowCustomizing_; }
  void SetAllowCustomizing(bool Value) { allowCustomizing_ = Value; }
  bool AllowQuickCustomizing() const { return allowQuickCustomizing_; }
  void SetAllowQuickCustomizing(bool Value);
  bool AllowReset() const { return allowReset_; }
  void SetAllowReset(bool Value) { allowReset_ = Value; }
  // Tiled under the bar's links when not empty.
  TBitmap* BackgroundBitmap() const { return backgroundBitmap_.get(); }
  void SetBackgroundBitmap(TBitmap* Value) { backgroundBitmap_->Assign(Value); }
  TdxBarBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TdxBarBorderStyle Value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TdxBarDockingStyle DockedDockingStyle() const { return dockedDockingStyle_; }
  void SetDockedDockingStyle(TdxBarDockingStyle Value) { dockedDockingStyle_ = Value; }
  Integer DockedLeft() const { return dockedLeft_; }
  void SetDockedLeft(Integer Value) { dockedLeft_ = Value < 0 ? 0 : Value; }
  Integer DockedTop() const { return dockedTop_; }
  void SetDockedTop(Integer Value) { dockedTop_ = Value < 0 ? 0 : Value; }
  TdxBarDockingStyle DockingStyle() const { return dockingStyle_; }
  void SetDockingStyle(TdxBarDockingStyle Value);
  Integer FloatLeft() const { return floatLeft_; }
  void SetFloatLeft(Integer Value) { floatLeft_ = Value; }
  Integer FloatTop() const { return floatTop_; }
  void SetFloatTop(Integer Value) { floatTop_ = Value; }
  Integer FloatClientWidth() const { return floatClientWidth_; }
  void SetFloatClientWidth(Integer Value) { floatClientWidth_ = Value; }
  Integer FloatClientHeight() const { return floatClientHeight_; }
  void SetFloatClientHeight(Integer Value) { floatClientHeight_ = Value; }
  bool Hidden() const { return hidden_; }
  void SetHidden(bool Value) { hidden_ = Value; }
  bool IsMainMenu() const { return isMainMenu_; }
  void SetIsMainMenu(bool Value);
  TdxBarItemLinks* ItemLinks() const { return itemLinks_.get(); }
  void SetItemLinks(TdxBarItemLinks* Value) { itemLinks_->Assign(Value); }
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool Value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value) { name_ = Value; }
  bool OneOnRow() const { return oneOnRow_; }
  void SetOneOnRow(bool Value) { oneOnRow_ = Value; }
  bool RotateWhenVertical() const { return rotateWhenVertical_; }
  void SetRotateWhenVertical(bool Value);
  Integer Row() const { return row_; }
  void SetRow(Integer Value);
  bool ShowMark() const { return showMark_; }
  void SetShowMark(bool Value);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool Value) { sizeGrip_ = Value; }
  bool UseOwnFont() const { return useOwnFont_; }
  void SetUseOwnFont(bool Value) { useOwnFont_ = Value; }
  bool UseRecentItems() const { return useRecentItems_; }
  void SetUseRecentItems(bool Value);
  bool UseRestSpace() const { return useRestSpace_; }
  void SetUseRestSpace(bool Value) { useRestSpace_ = Value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool WholeRow() const { return wholeRow_; }
  void SetWholeRow(bool Value) { wholeRow_ = Value; }

  TdxBars* Bars() const;
  TdxBarManager* BarManager() const;
  // The toolbar window while the bar is shown, else null.
  TdxBarControl* Control() const;
  TdxDockControl* RealDockControl() const;
  // What the bar recorded while its manager was being read, applied by the manager.
  void ApplyLoadedState();

private:
  friend class TdxBars;
  void showWindow();
  void hideWindow();
  bool allowClose_ = true, allowCustomizing_ = true, allowQuickCustomizing_ = true, allowReset_ = true;
  TdxBarBorderStyle borderStyle_ = bbsSingle;
  std::string caption_, name_;
  TColor color_ = clDefault;
  TdxBarDockingStyle dockedDockingStyle_ = dsTop, dockingStyle_ = dsNone;
  Integer dockedLeft_ = 0, dockedTop_ = 0;
  Integer floatLeft_ = 0, floatTop_ = 0, floatClientWidth_ = 0, floatClientHeight_ = 0;
  bool hidden_ = false, isMainMenu_ = false, multiLine_ = false, oneOnRow_ = false;
  bool rotateWhenVertical_ = true, showMark_ = true, sizeGrip_ = true, useOwnFont_ = false;
  bool useRecentItems_ = true, useRestSpace_ = false, visible_ = false, wholeRow_ = false;
  Integer row_ = 0;
  bool loadedVisible_ = false;
  std::unique_ptr<TdxBarItemLinks> itemLinks_;
  std::unique_ptr<TBitmap> backgroundBitmap_;
  void backgroundChanged(TObject* Sender);
};

class TdxBars : public TOwnedCollection {
  RTL_DECLARE_CLASS(TdxBars, TOwnedCollection)
public:
  explicit TdxBars(TdxBarManager* Manager);
  ~TdxBars() override;
  TdxBar* Items(Integer Index) const { return static_cast<TdxBar*>(TCollection::Items(Index)); }
  TdxBar* Add() { return static_cast<TdxBar*>(TCollection::Add()); }
  TdxBarManager* BarManager() const { return manager_; }
  TdxDockControl* DockControls(TdxBarDockingStyle Style) const;

protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

private:
  friend class TdxBarManager;
  TdxBarManager* manager_;
  TdxDockControl* docks_[5] = {};  // by docking style; dsNone has none
};

// =======================================================================================
// Dock sites
// =======================================================================================

// A strip along one edge of the form that holds the docked bars' windows in rows.
class TdxDockControl : public TCustomControl {
  RTL_DECLARE_CLASS(TdxDockControl, TCustomControl)
public:
  TdxDockControl(TdxBarManager* Manager, TdxBarDockingStyle Style);
  TdxBarDockingStyle DockingStyle() const { return dockingStyle_; }
  TdxBarManager* BarManager() const { return manager_; }
  bool IsVertical() const { return dockingStyle_ == dsLeft || dockingStyle_ == dsRight; }
  // Places the bar windows of this site in their rows and sizes the site to hold them.
  void ArrangeBars();

protected:
  void Paint() override;
  // Whole-row bars follow the site's length.
  void Resize() override;

private:
  TdxBarManager* manager_;
  TdxBarDockingStyle dockingStyle_;
  void arrangeRows();
  bool arranging_ = false;
};

// =======================================================================================
// Bar windows
// =======================================================================================

// The window common to every surface that shows item links: hot-tracking, the pressed
// control with the mouse held, and the click that follows the release.
class TCustomdxBarControl : public TCustomControl {
  RTL_DECLARE_CLASS(TCustomdxBarControl, TCustomControl)
public:
  TCustomdxBarControl(TdxBarManager* Manager, TdxBarItemLinks* Links);
  ~TCustomdxBarControl() override;

  TdxBarManager* BarManager() const { return manager_; }
  TdxBarItemLinks* ItemLinks() const { return links_; }
  const TdxBarItemControlPainter* Painter() const { return manager_->PainterClass(); }
  TdxBarItemControl* SelectedControl() const { return selected_; }
  TdxBarItemControl* PressedControl() const { return pressed_; }
  bool IsPaintLocked() const { return locked_; }
  // Height of "0" in the window's font plus 6.
  Integer TextSize() const { return textSize_; }
  // A fifth of the text size, at least 4: the size of small arrows.
  Integer SeparatorBase() const { return std::max<Integer>(textSize_ / 5, 4); }
  Integer PointSize() const;
  virtual bool IsVertical() const { return false; }
  // A vertical bar whose captions read downwards.
  virtual bool IsRotated() const { return false; }
  virtual bool IsMenu() const { return false; }
  virtual bool IsLastControl(const TdxBarItemControl* Control) const { return false; }

  void SelectControl(TdxBarItemControl* Control, bool ByMouse);
  void SelectControlByMouse(TdxBarItemControl* Control) { SelectControl(Control, true); }
  void HideAll();
  TdxBarItemControl* ControlAt(const TPoint& ClientPoint) const;
  void CreateControls();
  void DestroyControls();
  virtual void CalcLayout() = 0;
  void RepaintBar();
  void InvalidateItem(const TdxBarItemControl* Control);
  // Whether Control is alive in one of the process's bar windows (a handler may free it).
  static bool IsBarControlAlive(const TCustomdxBarControl* Control);

  // Whether Control is the view of one of this window's shown links.
  bool HoldsControl(const TdxBarItemControl* Control) const;
  // The brush the window paints with, and its own background painted into R (a brush
  // stands in when the window has nothing else to show).
  HBRUSH BackgroundBrush() const { return Painter()->GetBarBrush(this); }
  virtual void DrawBackground(HDC DC, const TRect& R, HBRUSH Brush) const;
  virtual Integer BeginGroupSize() const { return Painter()->GetSeparatorSize(); }
  // The window's own background differs from its brush, so faces are painted over it.
  virtual bool NeedsDoubleBuffering() const { return false; }

  void WMMouseLeave(TMessage& Message);
  void CMRelease(TMessage& Message);
  // The navigation keys, Enter and Esc are the window's own, not the form's dialog keys.
  void WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS; }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // Keys that reach the window: the selected view has the first word on the keys it wants;
  // Enter clicks the selected view, Esc closes the chain.
  void KeyDown(Word& Key, TShiftState Shift) override;
  // Whether the selected, enabled view wanted Key and took it.
  bool PassKeyToSelected(Word Key);
  void CalcDrawingConsts();
  void CreateParams(TCreateParams& Params) override;
  void drawItems(HDC DC, TdxBarPaintType Type);

  TdxBarManager* manager_;
  TdxBarItemLinks* links_;
  bool locked_ = false;

private:
  friend class TdxBarItemLinks;
  friend class TdxBarItemControl;
  void trackLeave();
  void releaseLinks();
  void forgetControl(const TdxBarItemControl* Control) {
    if (selected_ == Control) selected_ = nullptr;
    if (pressed_ == Control) pressed_ = nullptr;
  }
  TdxBarItemControl* selected_ = nullptr;
  TdxBarItemControl* pressed_ = nullptr;
  bool pressedHot_ = false;
  Integer inHandler_ = 0;
  bool tracking_ = false;
  Integer textSize_ = 19;
};

// The window of one docked bar. Its frame and grip lie in the non-client area; the client
// area holds the links, in one line or, for a multi-line bar, in as many lines as its
// length needs, and the mark at its end.
class TdxBarControl : public TCustomdxBarControl {
  RTL_DECLARE_CLASS(TdxBarControl, TCustomdxBarControl)
public:
  // The room a docked bar reserves for its mark along the bar.
  static constexpr Integer MarkSize = 11;

  TdxBarControl(TdxBarManager* Manager, TdxBar* Bar);
  TdxBar* Bar() const { return bar_; }
  TdxBarDockingStyle DockingStyle() const { return bar_->DockingStyle(); }
  bool IsVertical() const override { return DockingStyle() == dsLeft || DockingStyle() == dsRight; }
  bool IsWrapping() const { return bar_->MultiLine(); }
  bool IsRotated() const override { return IsVertical() && bar_->RotateWhenVertical(); }
  bool IsLastControl(const TdxBarItemControl* Control) const override;
  void DrawBackground(HDC DC, const TRect& R, HBRUSH Brush) const override;
  bool NeedsDoubleBuffering() const override;
  // The widths of the non-client frame on each side (left, top, right, bottom).
  TRect NonClientExtent() const;
  // The window's size that shows every shown link in one line.
  TSize CalcFullSize();
  // The window's size across the bar when it is Length long along it, its links wrapped
  // into lines (or cut, for a bar that does not wrap).
  Integer CalcThicknessForLength(Integer Length);
  // The last layout left links out for want of room.
  bool LinksHidden() const { return linksHidden_; }
  // The mark shows (and takes its room) when the bar allows it and either links are
  // hidden or the look draws a mark of its own.
  bool HasMark() const { return hasMark_; }
  TRect MarkRect() const { return Painter()->GetMarkRect(this); }
  // 0 normal, 1 hot, 2 pressed.
  Integer MarkState() const { return markState_; }
  Integer CloseButtonState() const { return closeButtonState_; }
  // Whether the owner form is the active window (active or inactive caption colours).
  bool IsFormActive() const;
  void SetMarkState(Integer Value);
  void CalcLayout() override;
  // Lays the links out in a client area of Client's size; answers the links' extent
  // across the bar (the sum of the lines' thicknesses).
  Integer CalcLayoutIn(const TRect& Client);
  void Rebuild();
  // After a look change: the frame is measured and painted again.
  void RefreshStyle();
  // The window's text is the bar's caption.
  void UpdateCaption();

  void WMNCCalcSize(TWMNCCalcSize& Message);
  void WMNCPaint(TMessage& Message);
  void WMNCHitTest(TWMNCHitTest& Message);
  void WMMouseLeave(TMessage& Message);

protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void CreateWnd() override;

private:
  bool markWanted(bool Hidden) const;
  Integer layoutLinks(const TRect& Client, bool Mark);
  TdxBar* bar_;
  bool linksHidden_ = false;
  bool hasMark_ = false;
  Integer markState_ = 0;
  Integer closeButtonState_ = 0;
};

// =======================================================================================
// Item controls
// =======================================================================================

class TdxBarItemControl : public TObject {
  RTL_DECLARE_CLASS(TdxBarItemControl, TObject)
public:
  explicit TdxBarItemControl(TdxBarItemLink* Link);
  ~TdxBarItemControl() override;

  TdxBarItemLink* ItemLink() const { return link_; }
  TdxBarItem* Item() const { return link_ ? link_->Item() : nullptr; }
  TCustomdxBarControl* Parent() const { return parent_; }
  TdxBarManager* BarManager() const;
  const TdxBarItemControlPainter* Painter() const;
  bool Pressed() const { return pressed_; }
  void SetPressed(bool Value);
  bool HotSelected() const { return hotSelected_; }
  void SetHotSelected(bool Value) { hotSelected_ = Value; }
  bool LastInRow() const { return lastInRow_; }
  void SetLastInRow(bool Value) { lastInRow_ = Value; }
  // The group separator in front of the control (empty when none), set by the layout.
  const TRect& SeparatorRect() const { return separatorRect_; }
  // A horizontal line: across a vertical bar, or above a line started below another.
  bool SeparatorIsHorizontal() const { return separatorHorizontal_; }
  void SetSeparatorRect(const TRect& R, bool HorizontalLine) {
    separatorRect_ = R;
    separatorHorizontal_ = HorizontalLine;
  }

  virtual void CaptionChanged();
  virtual void EnabledChanged();
  virtual void GlyphChanged() { Repaint(); }
  virtual void PressedChanged();
  virtual void VisibleChanged();
  virtual bool CanClick() const { return true; }
  virtual bool CanSelect() const { return true; }
  virtual void Execute(bool ByMouse);
  virtual void ControlActivate(bool ByMouse) {}
  virtual void ControlClick(bool ByMouse);
  virtual bool ClosesMenusOnClick() const { return true; }
  virtual bool CapturesMouse() const { return false; }
  virtual bool IsDrawnSelected() const { return IsSelected(); }
  virtual std::string GetCaption() const;
  virtual bool GetEnabled() const;
  virtual TBitmap* GetGlyph() const;
  virtual std::string GetHint() const;
  virtual Integer GetImageIndex() const;
  // The list the view's image comes from: a disabled view takes the disabled list when
  // there is one; Large (toolbars with large icons) takes LargeImages when the manager
  // uses it.
  TCustomImageList* GetImages(bool Large) const;
  TCustomImageList* GetHotImages() const;
  // Whether the glyph routine draws the image as it is: the manager has disabled images to
  // show, or the view is enabled.
  bool HasStateImages() const;
  bool HasValidImage() const;
  virtual TShortCut GetShortCut() const;
  virtual void ShortCutChanged();
  // A double click on the view: asked first whether it wants it.
  virtual bool HandlesDblClick() const { return false; }
  bool WantsDblClick() const;
  virtual void DblClick() {}
  // A navigation key offered to the selected view; it takes it only when it wants it.
  virtual bool WantsKey(Word Key) const { return false; }
  virtual void KeyDown(Word Key) {}
  virtual Integer GetWidth() const { return 0; }
  virtual Integer GetHeight() const { return 0; }
  virtual Integer GetMinWidth() const { return 1; }
  virtual Integer GetMinHeight() const { return 1; }
  virtual void Paint(HDC DC, const TRect& R, TdxBarPaintType PaintType) {}

  TdxBarItemAlign EffectiveAlign() const;
  Integer RealWidth() const;
  Integer RealHeight() const;
  bool IsSelected() const;
  bool IsPressedByMouse() const;
  bool HasImage() const;
  bool UnclickAfterDoing() const;
  bool AcceptsMouse() const { return CanSelect() || CanClick(); }
  void Repaint();

protected:
  TdxBarItemLink* link_;
  TCustomdxBarControl* parent_;

private:
  bool pressed_ = false;
  bool hotSelected_ = false;
  bool lastInRow_ = false;
  TRect separatorRect_{0, 0, 0, 0};
  bool separatorHorizontal_ = false;
};

class TdxBarButtonControl : public TdxBarItemControl {
  RTL_DECLARE_CLASS(TdxBarButtonControl, TdxBarItemControl)
public:
  explicit TdxBarButtonControl(TdxBarItemLink* Link) : TdxBarItemControl(Link) {}
  TdxBarButtonStyle ButtonStyle() const;
  bool DownState() const;
  bool Lowered() const;
  // The link's paint style; on a toolbar a button without an image shows its caption.
  TdxBarPaintStyle EffectivePaintStyle() const;
  Integer GetButtonWidth() const;
  Integer GetButtonHeight() const;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  void GlyphChanged() override;
  void ControlActivate(bool ByMouse) override;
  void ControlClick(bool ByMouse) override;
  bool CapturesMouse() const override { return true; }
  bool ClosesMenusOnClick() const override;
  bool IsDrawnSelected() const override { return IsSelected() || Pressed(); }
  void Paint(HDC DC, const TRect& R, TdxBarPaintType PaintType) override;

private:
  bool liesAlong() const;
};

// The view of a sub-item on a toolbar: its caption (and glyph) with an arrow. Its menu is
// not opened here.
class TdxBarSubItemControl : public TdxBarItemControl {
  RTL_DECLARE_CLASS(TdxBarSubItemControl, TdxBarItemControl)
public:
  explicit TdxBarSubItemControl(TdxBarItemLink* Link) : TdxBarItemControl(Link) {}
  Integer GetWidth() const override { return Painter()->GetSubItemWidth(this); }
  Integer GetHeight() const override { return Painter()->GetSubItemHeight(this); }
  void Paint(HDC DC, const TRect& R, TdxBarPaintType PaintType) override;
};

// The item-control class registered for an item class (exact class match); null when none.
using TdxBarItemControlFactory = TdxBarItemControl* (*)(TdxBarItemLink* Link);
void dxBarRegisterItem(TClass ItemClass, TdxBarItemControlFactory Factory);
void dxBarUnregisterItem(TClass ItemClass);
TdxBarItemControlFactory dxBarItemControlFactory(TClass ItemClass);

// Removes accelerator markers: a single "&" goes, "&&" leaves one "&".
std::string RemoveAmpersands(const std::string& S);

namespace dxBarUnit {
void Initialize();
void Finalize();
}  // namespace dxBarUnit
