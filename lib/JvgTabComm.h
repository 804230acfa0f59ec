#pragma once
// JvgTabComm: the look of one kind of tab (TJvgTabStyle) and the picture behind the tabs
// (TJvgTabsWallpaper), as the gradient page control publishes them. Both tell their
// control of every change through notifications it sets.
#include "lib/JvgCommClasses.h"
#include "platform/gui/ExtCtrls.h"

// Background, sides and bevels, caption and glyph placement, 3-D text style, font and
// gradient of a tab.
class TJvgTabStyle : public TPersistent {
  RTL_DECLARE_CLASS(TJvgTabStyle, TPersistent)
public:
  // A style for the tabs of Control; its font starts as a copy of the control's.
  explicit TJvgTabStyle(TControl* Control);
  ~TJvgTabStyle() override;

  // From another style: every value, font and gradient included.
  void Assign(TPersistent* Source) override;

  TglSides Borders() const { return borders_; }
  void SetBorders(TglSides Value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut Value);
  bool Bold() const { return bold_; }
  void SetBold(bool Value);
  TColor BackgrColor() const { return backgrColor_; }
  void SetBackgrColor(TColor Value);
  // Setting copies Value; when the control's font is smaller (in points) it gets a copy
  // too, so that the tabs are big enough for the caption.
  TFont* Font() const { return font_; }
  void SetFont(TFont* Value);
  TglTextStyle TextStyle() const { return textStyle_; }
  void SetTextStyle(TglTextStyle Value);
  TglHorAlign CaptionHAlign() const { return captionHAlign_; }
  void SetCaptionHAlign(TglHorAlign Value);
  TglVertAlign CaptionVAlign() const { return captionVAlign_; }
  void SetCaptionVAlign(TglVertAlign Value);
  TglHorAlign GlyphHAlign() const { return glyphHAlign_; }
  void SetGlyphHAlign(TglHorAlign Value);
  TglVertAlign GlyphVAlign() const { return glyphVAlign_; }
  void SetGlyphVAlign(TglVertAlign Value);
  TJvgGradient* Gradient() const { return gradient_; }
  void SetGradient(TJvgGradient* Value) {
    if (Value) gradient_->Assign(Value);
  }

  // Raised by every change of a value and of the gradient.
  const TNotifyEvent& OnChanged() const { return onChanged_; }
  void SetOnChanged(const TNotifyEvent& Value);
  // Raised when the font changes.
  const TNotifyEvent& OnFontChanged() const { return onFontChanged_; }
  void SetOnFontChanged(const TNotifyEvent& Value) { onFontChanged_ = Value; }

private:
  void changed();
  void fontChanged(TObject* Sender);
  template <class V> void setValue(V& Field, V Value) {
    if (Field == Value) return;
    Field = Value;
    changed();
  }

  TControl* control_;
  TglSides borders_ = AllGlSides();
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvNone;
  bool bold_ = false;
  TColor backgrColor_ = clBtnFace;
  TFont* font_;
  TglTextStyle textStyle_ = fstNone;
  TglHorAlign captionHAlign_ = fhaLeft;
  TglVertAlign captionVAlign_ = fvaCenter;
  TglHorAlign glyphHAlign_ = fhaLeft;
  TglVertAlign glyphVAlign_ = fvaCenter;
  TJvgGradient* gradient_;
  TNotifyEvent onChanged_;
  TNotifyEvent onFontChanged_;
};

// A picture drawn behind the tab captions, the empty part of the tab row and the page
// area. The picture in effect is the wallpaper's own Bitmap, or the bitmap of the Image
// component it refers to.
class TJvgTabsWallpaper : public TPersistent {
  RTL_DECLARE_CLASS(TJvgTabsWallpaper, TPersistent)
public:
  TJvgTabsWallpaper();
  ~TJvgTabsWallpaper() override;

  // From another wallpaper: its own bitmap, its image reference and its options.
  void Assign(TPersistent* Source) override;

  // Setting copies Value and makes the own bitmap the picture in effect.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* Value);
  // Setting makes the image's bitmap the picture in effect (the own bitmap when the image
  // holds none). The control clears it when the image goes away.
  TImage* Image() const { return image_; }
  void SetImage(TImage* Value);
  bool FillCaptions() const { return fillCaptions_; }
  void SetFillCaptions(bool Value);
  bool FillCaptionBakgr() const { return fillCaptionBakgr_; }
  void SetFillCaptionBakgr(bool Value);
  bool FillClient() const { return fillClient_; }
  void SetFillClient(bool Value);
  bool Tile() const { return tile_; }
  void SetTile(bool Value);
  bool IncludeBevels() const { return includeBevels_; }
  void SetIncludeBevels(bool Value);

  // The picture in effect, read from the image each time (so a picture the image loads
  // later is the one drawn); null when there is none.
  TBitmap* ActiveBitmap() const;
  // Whether the picture in effect has a width and a height.
  bool HasPicture() const;
  // After loading: a non-empty own bitmap is the picture in effect.
  void PreferOwnBitmap();

  const TNotifyEvent& OnChanged() const { return onChanged_; }
  void SetOnChanged(const TNotifyEvent& Value) { onChanged_ = Value; }

private:
  void changed();
  void setFlag(bool& Field, bool Value);
  TBitmap* imageBitmap() const;

  TBitmap* bitmap_;
  TImage* image_ = nullptr;
  bool imageInEffect_ = false;
  bool fillCaptions_ = true;
  bool fillCaptionBakgr_ = false;
  bool fillClient_ = false;
  bool tile_ = true;
  bool includeBevels_ = true;
  TNotifyEvent onChanged_;
};
