#include "lib/JvgPage.h"

#include <algorithm>
#include <vector>

#include "lib/JvgUtils.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"

namespace {

// The turn of the captions, in tenths of a degree counter-clockwise.
Integer escapementFor(TglLabelDir Direction) {
  switch (Direction) {
    case fldRightLeft: return -1800;
    case fldUpDown: return -900;
    case fldDownUp: return 900;
    default: return 0;
  }
}

}  // namespace

TJvgPageControl::TJvgPageControl(TComponent* AOwner) : TPageControl(AOwner) {
  SetTabStop(false);
  tabStyle_ = new TJvgTabStyle(this);
  tabSelectedStyle_ = new TJvgTabStyle(this);
  wallpaper_ = new TJvgTabsWallpaper();
  normalFont_ = new TFont();
  selectedFont_ = new TFont();
  drawFont_ = new TFont();
  glyph_ = new TBitmap();
  glyphsChangeLink_ = new TChangeLink();
  glyphsChangeLink_->SetOnChange(TNotifyEvent(this, &TJvgPageControl::ImageListChanged));
  spareGradient_ = new TJvgGradient();

  // Normal tabs: light text on the shadow colour; the selected tab like a button face.
  tabStyle_->SetBackgrColor(clBtnShadow);
  tabStyle_->Font()->SetColor(clBtnHighlight);
  tabStyle_->Font()->SetName("Arial");
  tabStyle_->SetCaptionHAlign(fhaCenter);
  tabSelectedStyle_->SetBackgrColor(clBtnFace);
  tabSelectedStyle_->Font()->SetColor(clBtnText);
  tabSelectedStyle_->Font()->SetName("Arial");
  tabSelectedStyle_->SetCaptionHAlign(fhaCenter);

  for (TJvgTabStyle* style : {tabStyle_, tabSelectedStyle_}) {
    style->SetOnChanged(TNotifyEvent(this, &TJvgPageControl::styleChanged));
    style->SetOnFontChanged(TNotifyEvent(this, &TJvgPageControl::styleFontChanged));
  }
  wallpaper_->SetOnChanged(TNotifyEvent(this, &TJvgPageControl::wallpaperChanged));
  // A control made in code is never loaded: its turned fonts are made here.
  RebuildTabFonts();
}

TJvgPageControl::~TJvgPageControl() {
  delete glyphsChangeLink_;  // unregisters from Glyphs
  glyphs_ = nullptr;
  delete spareGradient_;
  delete glyph_;
  delete drawFont_;
  delete selectedFont_;
  delete normalFont_;
  delete wallpaper_;
  delete tabSelectedStyle_;
  delete tabStyle_;
}

// ---------------------------------------------------------------------------------------
// Window

void TJvgPageControl::CreateParams(TCreateParams& Params) {
  TPageControl::CreateParams(Params);
  Params.Style |= TCS_OWNERDRAWFIXED;
  if (lookLikeButtons_) Params.Style |= TCS_BUTTONS;
  switch (tabsPosition_) {
    case fsdLeft: Params.Style |= TCS_VERTICAL; break;
    case fsdRight: Params.Style |= TCS_VERTICAL | TCS_RIGHT; break;
    case fsdBottom: Params.Style |= TCS_BOTTOM; break;
    default: break;
  }
}

void TJvgPageControl::CreateWnd() {
  TPageControl::CreateWnd();
  // A new window (after a change of look) gets the glyph list again; its tabs got their
  // images as they were inserted.
  ImageListChanged(this);
}

void TJvgPageControl::Loaded() {
  TPageControl::Loaded();
  RebuildTabFonts();
  wallpaper_->PreferOwnBitmap();
}

void TJvgPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TPageControl::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  if (wallpaper_ && AComponent == wallpaper_->Image()) wallpaper_->SetImage(nullptr);
  if (AComponent == glyphs_) SetGlyphs(nullptr);
}

void TJvgPageControl::TCMInsertItem(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  const Integer index = static_cast<Integer>(Message.Result);
  // A refused insert (-1) stays a failure for the caller.
  if (index < 0) return;
  Message.Result = 0;
  if (!glyphs_) return;
  if (singleGlyph_) SetTabImage(index, 0);
  else SetTabImage(index, index < glyphs_->Count() ? index : -1);
}

void TJvgPageControl::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& drawItem = *Message.DrawItemStruct;
  if (drawItem.CtlType != ODT_TAB) {
    INHERITED_MESSAGE(Message);
    return;
  }
  const int saved = SaveDC(drawItem.hDC);
  {
    ScopeExit atEnd([&] { RestoreDC(drawItem.hDC, saved); });
    DrawTab(drawItem);
  }
  Message.Result = 1;
}

void TJvgPageControl::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!tabStyle_) return;  // still being made
  if (options_.Contains(ftoInheriteTabFonts)) inheritTabFonts();
  RebuildTabFonts();
}

// ---------------------------------------------------------------------------------------
// Drawing

void TJvgPageControl::DrawTab(const DRAWITEMSTRUCT& DrawItem) {
  const Integer index = static_cast<Integer>(DrawItem.itemID);
  TDRAWTABSTRUCT& info = drawInfo_;
  info.DrawItem = DrawItem;
  info.Caption = index >= 0 && index < Tabs()->Count() ? Tabs()->Strings(index) : std::string();

  info.Glyph = nullptr;
  const Integer image = GetTabImage(index);
  // An index the list does not have (SetTabImage takes any) shows no glyph.
  if (glyphs_ && image >= 0 && image < glyphs_->Count()) {
    // A fresh bitmap, so that nothing of the last tab's glyph shows through masked pixels.
    glyph_->SetSize(0, 0);
    if (glyphs_->GetBitmap(image, glyph_)) info.Glyph = glyph_;
  }

  // A disabled tab is drawn as a normal one, even when selected.
  TJvgTabStyle* style = tabStyle_;
  TFont* turned = normalFont_;
  if (!(DrawItem.itemState & ODS_DISABLED) && (DrawItem.itemState & ODS_SELECTED)) {
    style = tabSelectedStyle_;
    turned = selectedFont_;
  }
  drawFont_->Assign(turned);
  if (onGetItemFontColor_) {
    TColor color = drawFont_->Color();
    onGetItemFontColor_(this, index, color);
    drawFont_->SetColor(color);
  }
  info.Style = style;
  info.Font = drawFont_;

  info.GlyphOption = drawGlyphsOption_;
  info.Wallpaper = wallpaper_;
  info.ClientR = ClientRect();
  info.TabsCount = Tabs()->Count();
  info.ButtonLook = lookLikeButtons_;
  info.Position = tabsPosition_;
  info.Options = options_;
  info.FontDirection = fontDirection_;

  // The handler gets a copy of the style's gradient; what it leaves there is drawn.
  info.Gradient = style->Gradient();
  if (onGetGradientColors_) {
    spareGradient_->Assign(style->Gradient());
    TJvgGradient* gradient = spareGradient_;
    onGetGradientColors_(this, index, gradient);
    if (gradient) info.Gradient = gradient;
  }

  TColor background = style->BackgrColor();
  if (onGetItemColor_) onGetItemColor_(this, index, background);
  info.BackgrColor = background;
  info.FlatButtons = Style() == tsFlatButtons;
  PaintTab(info);
}

void TJvgPageControl::RebuildTabFonts() {
  // Nothing to do while the control is still being made or read.
  if (!normalFont_ || ComponentState().Contains(csReading)) return;
  const Integer escapement = escapementFor(fontDirection_);
  normalFont_->SetHandle(MakeRotatedFont(tabStyle_->Font(), escapement));
  normalFont_->SetColor(tabStyle_->Font()->Color());
  selectedFont_->SetHandle(MakeRotatedFont(tabSelectedStyle_->Font(), escapement));
  selectedFont_->SetColor(tabSelectedStyle_->Font()->Color());
}

void TJvgPageControl::styleChanged(TObject*) { Invalidate(); }

void TJvgPageControl::styleFontChanged(TObject*) {
  RebuildTabFonts();
  Invalidate();
}

void TJvgPageControl::wallpaperChanged(TObject*) {
  // The image may live on another form: its going must reach this control too.
  if (TImage* image = wallpaper_->Image()) image->FreeNotification(this);
  Invalidate();
}

// ---------------------------------------------------------------------------------------
// Glyphs

void TJvgPageControl::ImageListChanged(TObject*) {
  if (HWND h = WindowHandle())
    SendMessageA(h, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(glyphs_ ? glyphs_->Handle() : nullptr));
}

void TJvgPageControl::SetTabImage(Integer TabIndex, Integer ImageIndex) {
  HWND h = WindowHandle();
  if (!h) return;
  TCITEMA item{};
  item.mask = TCIF_IMAGE;
  item.iImage = ImageIndex;
  SendMessageA(h, TCM_SETITEMA, static_cast<WPARAM>(TabIndex), reinterpret_cast<LPARAM>(&item));
  TRect r{};
  if (SendMessageA(h, TCM_GETITEMRECT, static_cast<WPARAM>(TabIndex), reinterpret_cast<LPARAM>(&r)))
    InvalidateRect(h, &r, TRUE);
}

Integer TJvgPageControl::GetTabImage(Integer TabIndex) {
  HWND h = WindowHandle();
  if (!glyphs_ || !h) return -1;
  TCITEMA item{};
  item.mask = TCIF_IMAGE;
  if (!SendMessageA(h, TCM_GETITEMA, static_cast<WPARAM>(TabIndex), reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

void TJvgPageControl::assignGlyphsToTabs() {
  if (!glyphs_) return;
  const Integer tabs = Tabs()->Count();
  for (Integer i = 0; i < tabs; ++i) {
    if (singleGlyph_) SetTabImage(i, 0);
    else if (i < glyphs_->Count()) SetTabImage(i, i);
  }
}

void TJvgPageControl::SetGlyphs(TCustomImageList* Value) {
  if (glyphs_ == Value) return;
  if (glyphs_) {
    // A list that is going has already let its links go.
    if (glyphsChangeLink_->Sender() == glyphs_) glyphs_->UnRegisterChanges(glyphsChangeLink_);
    glyphs_->RemoveFreeNotification(this);
  }
  glyphs_ = Value;
  if (glyphs_) {
    glyphs_->RegisterChanges(glyphsChangeLink_);
    glyphs_->FreeNotification(this);
  }
  ImageListChanged(this);
  if (glyphs_) {
    const Integer first = std::min(Tabs()->Count(), glyphs_->Count());
    bool anyImage = false;
    for (Integer i = 0; i < first && !anyImage; ++i) anyImage = GetTabImage(i) != -1;
    if (!anyImage) assignGlyphsToTabs();
  }
  Invalidate();
}

void TJvgPageControl::SetSingleGlyph(bool Value) {
  singleGlyph_ = Value;
  assignGlyphsToTabs();
}

// ---------------------------------------------------------------------------------------
// Styles, fonts and look

void TJvgPageControl::SetTabStyle(TJvgTabStyle* Value) {
  if (!Value) return;
  tabStyle_->Assign(Value);
  RebuildTabFonts();
}

void TJvgPageControl::SetTabSelectedStyle(TJvgTabStyle* Value) {
  if (!Value) return;
  tabSelectedStyle_->Assign(Value);
  RebuildTabFonts();
}

void TJvgPageControl::SetWallpaper(TJvgTabsWallpaper* Value) {
  if (Value) wallpaper_->Assign(Value);
}

void TJvgPageControl::SetDrawGlyphsOption(TglWallpaperOption Value) {
  if (drawGlyphsOption_ == Value) return;
  drawGlyphsOption_ = Value;
  Invalidate();
}

void TJvgPageControl::SetLookLikeButtons(bool Value) {
  if (lookLikeButtons_ == Value) return;
  lookLikeButtons_ = Value;
  RecreateWnd();
}

TglLabelDir TJvgPageControl::directionFor(TglSide Side) const {
  switch (Side) {
    case fsdLeft: return fldDownUp;
    case fsdRight: return fldUpDown;
    default: return fldLeftRight;
  }
}

void TJvgPageControl::SetTabsPosition(TglSide Value) {
  if (tabsPosition_ == Value) return;
  tabsPosition_ = Value;
  if (options_.Contains(ftoAutoFontDirection) && !ComponentState().Contains(csLoading))
    SetFontDirection(directionFor(Value));
  RecreateWnd();
}

void TJvgPageControl::SetOptions(TglTabOptions Value) {
  options_ = Value;
  if (options_.Contains(ftoAutoFontDirection)) SetFontDirection(directionFor(tabsPosition_));
  Invalidate();
}

void TJvgPageControl::SetFontDirection(TglLabelDir Value) {
  if (fontDirection_ == Value) return;
  fontDirection_ = Value;
  RebuildTabFonts();
  Invalidate();
}

void TJvgPageControl::SetFont(TFont* Value) {
  TPageControl::SetFont(Value);
  if (options_.Contains(ftoInheriteTabFonts)) inheritTabFonts();
}

void TJvgPageControl::inheritTabFonts() {
  tabStyle_->Font()->Assign(Font());
  tabSelectedStyle_->Font()->Assign(Font());
}

// ---------------------------------------------------------------------------------------
// Registration

RTL_BEGIN_CLASS(TJvgPageControl)
  b.Message(CN_DRAWITEM, &TJvgPageControl::CNDrawItem);
  b.Message(TCM_INSERTITEMA, &TJvgPageControl::TCMInsertItem);
  b.Message(TCM_INSERTITEMW, &TJvgPageControl::TCMInsertItem);
  b.Message(CM_FONTCHANGED, &TJvgPageControl::CMFontChanged);
  using T = TJvgPageControl;
  PUBLISH(Glyphs);
  PUBLISH(SingleGlyph).Default(false);
  PUBLISH(TabStyle);
  PUBLISH(TabSelectedStyle);
  PUBLISH(Wallpaper);
  PUBLISH(DrawGlyphsOption).Default(fwoNone);
  PUBLISH(LookLikeButtons).Default(false);
  PUBLISH(TabsPosition).Default(fsdTop);
  PUBLISH(Options).Default(TglTabOptions{ftoAutoFontDirection, ftoExcludeGlyphs});
  PUBLISH(FontDirection).Default(fldLeftRight);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(TabStop).Default(false);
  PUBLISH(OnGetItemColor);
  PUBLISH(OnGetItemFontColor);
  PUBLISH(OnGetGradientColors);
RTL_END_CLASS

namespace JvgPageUnit {

namespace {
std::vector<TClass> unitClasses() { return {TJvgPageControl::StaticClass()}; }
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() { UnRegisterClasses(unitClasses()); }

}  // namespace JvgPageUnit
