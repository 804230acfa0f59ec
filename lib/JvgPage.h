#pragma once
// JvgPage: the gradient page control, a page control that draws its own tabs. Each tab is
// drawn in the style of normal or of selected tabs (background, gradient, bevelled sides,
// 3-D caption text and alignment), with an optional glyph from Glyphs, an optional
// wallpaper picture, and a caption that can run in four directions.
#include "lib/JvgDrawTab.h"
#include "platform/gui/ComCtrls.h"

using TglOnGetItemColorEvent = TEvent<void(TObject* Sender, Integer Index, TColor& Color)>;
// Index is the tab about to be drawn; Gradient comes holding the style's gradient and is
// the one drawn behind the tab (the handler may change it or hand another).
using TglOnGetGradientColors = TEvent<void(TObject* Sender, Integer Index, TJvgGradient*& Gradient)>;

class TJvgPageControl : public TPageControl {
  RTL_DECLARE_CLASS(TJvgPageControl, TPageControl)
public:
  explicit TJvgPageControl(TComponent* AOwner);
  ~TJvgPageControl() override;

  // Images for the tabs: tab i shows image i (image 0 with SingleGlyph).
  TCustomImageList* Glyphs() const { return glyphs_; }
  void SetGlyphs(TCustomImageList* Value);
  bool SingleGlyph() const { return singleGlyph_; }
  void SetSingleGlyph(bool Value);
  TJvgTabStyle* TabStyle() const { return tabStyle_; }
  void SetTabStyle(TJvgTabStyle* Value);
  TJvgTabStyle* TabSelectedStyle() const { return tabSelectedStyle_; }
  void SetTabSelectedStyle(TJvgTabStyle* Value);
  TJvgTabsWallpaper* Wallpaper() const { return wallpaper_; }
  void SetWallpaper(TJvgTabsWallpaper* Value);
  TglWallpaperOption DrawGlyphsOption() const { return drawGlyphsOption_; }
  void SetDrawGlyphsOption(TglWallpaperOption Value);
  bool LookLikeButtons() const { return lookLikeButtons_; }
  void SetLookLikeButtons(bool Value);
  TglSide TabsPosition() const { return tabsPosition_; }
  void SetTabsPosition(TglSide Value);
  TglTabOptions Options() const { return options_; }
  void SetOptions(TglTabOptions Value);
  TglLabelDir FontDirection() const { return fontDirection_; }
  void SetFontDirection(TglLabelDir Value);
  // The control's font; with ftoInheriteTabFonts both tab styles take it too.
  void SetFont(TFont* Value);

  const TglOnGetItemColorEvent& OnGetItemColor() const { return onGetItemColor_; }
  void SetOnGetItemColor(const TglOnGetItemColorEvent& Value) { onGetItemColor_ = Value; }
  const TglOnGetItemColorEvent& OnGetItemFontColor() const { return onGetItemFontColor_; }
  void SetOnGetItemFontColor(const TglOnGetItemColorEvent& Value) { onGetItemFontColor_ = Value; }
  const TglOnGetGradientColors& OnGetGradientColors() const { return onGetGradientColors_; }
  void SetOnGetGradientColors(const TglOnGetGradientColors& Value) { onGetGradientColors_ = Value; }

  // Draws the tab of an owner-draw request.
  void DrawTab(const DRAWITEMSTRUCT& DrawItem);
  // Hands the glyph list to the tab control (when the window exists).
  void ImageListChanged(TObject* Sender);
  // Sets the image of tab TabIndex in the tab control and repaints that tab.
  void SetTabImage(Integer TabIndex, Integer ImageIndex);
  // The image of tab TabIndex; -1 without Glyphs (or without a window).
  Integer GetTabImage(Integer TabIndex);
  // Makes the turned fonts of both styles for FontDirection (not while being read).
  void RebuildTabFonts();

  // The turned fonts the normal and the selected tabs are drawn with.
  TFont* NormalTabFont() const { return normalFont_; }
  TFont* SelectedTabFont() const { return selectedFont_; }

  // Message handlers (public for the message map).
  void CNDrawItem(TWMDrawItem& Message);
  void TCMInsertItem(TMessage& Message);
  void CMFontChanged(TMessage& Message);

protected:
  using TPageControl::DrawTab;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void styleChanged(TObject* Sender);
  void styleFontChanged(TObject* Sender);
  void wallpaperChanged(TObject* Sender);
  void assignGlyphsToTabs();
  void inheritTabFonts();
  TglLabelDir directionFor(TglSide Side) const;

  TCustomImageList* glyphs_ = nullptr;
  bool singleGlyph_ = false;
  TJvgTabStyle* tabStyle_ = nullptr;
  TJvgTabStyle* tabSelectedStyle_ = nullptr;
  TJvgTabsWallpaper* wallpaper_ = nullptr;
  TglWallpaperOption drawGlyphsOption_ = fwoNone;
  bool lookLikeButtons_ = false;
  TglSide tabsPosition_ = fsdTop;
  TglTabOptions options_{ftoAutoFontDirection, ftoExcludeGlyphs};
  TglLabelDir fontDirection_ = fldLeftRight;
  TglOnGetItemColorEvent onGetItemColor_;
  TglOnGetItemColorEvent onGetItemFontColor_;
  TglOnGetGradientColors onGetGradientColors_;

  TFont* normalFont_ = nullptr;    // turned from TabStyle's font
  TFont* selectedFont_ = nullptr;  // turned from TabSelectedStyle's font
  TFont* drawFont_ = nullptr;      // the font of the tab being drawn
  TBitmap* glyph_ = nullptr;       // the glyph of the tab being drawn
  TChangeLink* glyphsChangeLink_ = nullptr;
  TJvgGradient* spareGradient_ = nullptr;  // handed to OnGetGradientColors
  TDRAWTABSTRUCT drawInfo_;
};

namespace JvgPageUnit {
void Initialize();
void Finalize();
}  // namespace JvgPageUnit
