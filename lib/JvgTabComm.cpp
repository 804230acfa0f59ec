#include "lib/JvgTabComm.h"

#include "lib/JvgUtils.h"
#include "platform/gui/GuiPublish.h"

// =======================================================================================
// TJvgTabStyle
// =======================================================================================

TJvgTabStyle::TJvgTabStyle(TControl* Control) : control_(Control) {
  font_ = new TFont();
  if (control_) font_->Assign(control_->Font());
  font_->SetOnChange(TNotifyEvent(this, &TJvgTabStyle::fontChanged));
  gradient_ = new TJvgGradient();
}

TJvgTabStyle::~TJvgTabStyle() {
  delete gradient_;
  delete font_;
}

void TJvgTabStyle::Assign(TPersistent* Source) {
  if (auto* style = dynamic_cast<TJvgTabStyle*>(Source)) {
    if (style == this) return;
    SetBorders(style->Borders());
    SetBevelInner(style->BevelInner());
    SetBevelOuter(style->BevelOuter());
    SetBold(style->Bold());
    SetBackgrColor(style->BackgrColor());
    SetFont(style->Font());
    SetTextStyle(style->TextStyle());
    SetCaptionHAlign(style->CaptionHAlign());
    SetCaptionVAlign(style->CaptionVAlign());
    SetGlyphHAlign(style->GlyphHAlign());
    SetGlyphVAlign(style->GlyphVAlign());
    SetGradient(style->Gradient());
    return;
  }
  TPersistent::Assign(Source);
}

void TJvgTabStyle::SetOnChanged(const TNotifyEvent& Value) {
  onChanged_ = Value;
  gradient_->SetOnChanged(Value);
}

void TJvgTabStyle::changed() {
  if (onChanged_) onChanged_(this);
}

void TJvgTabStyle::fontChanged(TObject*) {
  if (onFontChanged_) onFontChanged_(this);
}

void TJvgTabStyle::SetBorders(TglSides Value) { setValue(borders_, Value); }
void TJvgTabStyle::SetBevelInner(TBevelCut Value) { setValue(bevelInner_, Value); }
void TJvgTabStyle::SetBevelOuter(TBevelCut Value) { setValue(bevelOuter_, Value); }
void TJvgTabStyle::SetBold(bool Value) { setValue(bold_, Value); }
void TJvgTabStyle::SetBackgrColor(TColor Value) { setValue(backgrColor_, Value); }
void TJvgTabStyle::SetTextStyle(TglTextStyle Value) { setValue(textStyle_, Value); }
void TJvgTabStyle::SetCaptionHAlign(TglHorAlign Value) { setValue(captionHAlign_, Value); }
void TJvgTabStyle::SetCaptionVAlign(TglVertAlign Value) { setValue(captionVAlign_, Value); }
void TJvgTabStyle::SetGlyphHAlign(TglHorAlign Value) { setValue(glyphHAlign_, Value); }
void TJvgTabStyle::SetGlyphVAlign(TglVertAlign Value) { setValue(glyphVAlign_, Value); }

void TJvgTabStyle::SetFont(TFont* Value) {
  if (!Value) return;
  // The font's own change raises the font notification.
  font_->Assign(Value);
  if (control_ && control_->Font()->Size() < Value->Size()) control_->Font()->Assign(Value);
}

// =======================================================================================
// TJvgTabsWallpaper
// =======================================================================================

TJvgTabsWallpaper::TJvgTabsWallpaper() : bitmap_(new TBitmap()) {}

TJvgTabsWallpaper::~TJvgTabsWallpaper() { delete bitmap_; }

void TJvgTabsWallpaper::Assign(TPersistent* Source) {
  if (auto* wallpaper = dynamic_cast<TJvgTabsWallpaper*>(Source)) {
    if (wallpaper == this) return;
    bitmap_->Assign(wallpaper->bitmap_);
    image_ = wallpaper->image_;
    imageInEffect_ = wallpaper->imageInEffect_;
    fillCaptions_ = wallpaper->fillCaptions_;
    fillCaptionBakgr_ = wallpaper->fillCaptionBakgr_;
    fillClient_ = wallpaper->fillClient_;
    tile_ = wallpaper->tile_;
    includeBevels_ = wallpaper->includeBevels_;
    changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TJvgTabsWallpaper::changed() {
  if (onChanged_) onChanged_(this);
}

void TJvgTabsWallpaper::setFlag(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  changed();
}

void TJvgTabsWallpaper::SetBitmap(TBitmap* Value) {
  bitmap_->Assign(Value);
  imageInEffect_ = false;
  changed();
}

void TJvgTabsWallpaper::SetImage(TImage* Value) {
  image_ = Value;
  imageInEffect_ = imageBitmap() != nullptr;
  changed();
}

void TJvgTabsWallpaper::SetFillCaptions(bool Value) { setFlag(fillCaptions_, Value); }
void TJvgTabsWallpaper::SetFillCaptionBakgr(bool Value) { setFlag(fillCaptionBakgr_, Value); }
void TJvgTabsWallpaper::SetFillClient(bool Value) { setFlag(fillClient_, Value); }
void TJvgTabsWallpaper::SetTile(bool Value) { setFlag(tile_, Value); }
void TJvgTabsWallpaper::SetIncludeBevels(bool Value) { setFlag(includeBevels_, Value); }

TBitmap* TJvgTabsWallpaper::imageBitmap() const {
  // Only a picture that already is a bitmap: asking the picture for one would convert
  // (and so change) the image's picture.
  if (!image_) return nullptr;
  auto* bitmap = dynamic_cast<TBitmap*>(image_->Picture()->Graphic());
  return BitmapHasContent(bitmap) ? bitmap : nullptr;
}

TBitmap* TJvgTabsWallpaper::ActiveBitmap() const {
  if (imageInEffect_)
    if (TBitmap* bitmap = imageBitmap()) return bitmap;
  return bitmap_;
}

bool TJvgTabsWallpaper::HasPicture() const { return BitmapHasContent(ActiveBitmap()); }

void TJvgTabsWallpaper::PreferOwnBitmap() {
  if (!bitmap_->Empty()) imageInEffect_ = false;
}

// =======================================================================================
// Registration
// =======================================================================================

RTL_BEGIN_CLASS(TJvgTabStyle)
  using T = TJvgTabStyle;
  PUBLISH(Borders).Default(AllGlSides());
  PUBLISH(BevelInner).Default(bvNone);
  PUBLISH(BevelOuter).Default(bvNone);
  PUBLISH(Bold).Default(false);
  PUBLISH(BackgrColor).Default(clBtnFace);
  PUBLISH(Font);
  PUBLISH(TextStyle).Default(fstNone);
  PUBLISH(CaptionHAlign).Default(fhaLeft);
  PUBLISH(CaptionVAlign).Default(fvaCenter);
  PUBLISH(GlyphHAlign).Default(fhaLeft);
  PUBLISH(GlyphVAlign).Default(fvaCenter);
  PUBLISH(Gradient);
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvgTabsWallpaper)
  using T = TJvgTabsWallpaper;
  PUBLISH(Bitmap);
  PUBLISH(Image);
  PUBLISH(FillCaptions).Default(true);
  PUBLISH(FillCaptionBakgr).Default(false);
  PUBLISH(FillClient).Default(false);
  PUBLISH(Tile).Default(true);
  PUBLISH(IncludeBevels).Default(true);
RTL_END_CLASS
