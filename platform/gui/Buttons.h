#pragma once
// Buttons: buttons with a glyph (a small picture) beside their caption, and the routine
// that draws a button's face.
//
// A glyph bitmap holds NumGlyphs images side by side, for the button up, disabled, down
// and (speed buttons of a group) stuck down; a missing disabled image is made from the up
// image (grey, embossed). The bitmap's bottom-left pixel is its transparent colour.

#include <windows.h>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

RTL_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
RTL_ENUM(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)
RTL_ENUM(TButtonStyle, bsAutoDetect, bsWin31, bsNew)
RTL_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll)
using TNumGlyphs = Integer;  // 1 .. 4

// Draws a push button's face into Client: a dark frame, the face colour and a 3D bevel of
// BevelWidth (sunken when IsDown); bsWin31 buttons may have their corners rounded. Returns
// the face's inner rectangle, moved one pixel right and down when the button is down.
TRect DrawButtonFace(TCanvas* Canvas, const TRect& Client, Integer BevelWidth, TButtonStyle Style, bool IsRounded,
                     bool IsDown, bool IsFocused);

class TButtonGlyph;

// A button drawn by the program (owner-drawn BUTTON window) with a glyph and a caption.
// Kind gives a standard button its caption, glyph, ModalResult and Default / Cancel
// (bkClose closes the form; bkHelp shows the help of HelpContext).
class TBitBtn : public TButton {
  RTL_DECLARE_CLASS(TBitBtn, TButton)
public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;

  void Click() override;

  TBitmap* Glyph() const;
  void SetGlyph(TBitmap* Value);
  TBitBtnKind Kind();
  void SetKind(TBitBtnKind Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  TNumGlyphs NumGlyphs() const;
  void SetNumGlyphs(TNumGlyphs Value);
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer Value);
  TButtonStyle Style() const { return style_; }
  void SetStyle(TButtonStyle Value);

  bool IsCustom();
  bool IsCustomCaption();

  void CNDrawItem(TWMDrawItem& Message);
  void CNMeasureItem(TWMMeasureItem& Message);
  void WMLButtonDblClk(TWMMouse& Message);
  void CMFontChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMSysColorChange(TMessage& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void SetButtonStyle(bool ADefault) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

private:
  void glyphChanged(TObject* Sender);

  TButtonGlyph* glyph_;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1;
  Integer spacing_ = 4;
  TButtonStyle style_ = bsAutoDetect;
  bool isFocused_ = false;
  bool modifiedGlyph_ = false;
  TOwnedControlCanvas canvas_;
};

// A tool button drawn on its parent (no window, so it never takes the focus). Buttons of
// the same GroupIndex (non-zero) beside each other work as a group: pressing one makes it
// Down and raises the others; AllowAllUp lets the down one be raised too. Flat buttons show
// their border only while the mouse is over them.
class TSpeedButton : public TGraphicControl {
  RTL_DECLARE_CLASS(TSpeedButton, TGraphicControl)
public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  void Click() override;

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const;
  void SetGlyph(TBitmap* Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  TNumGlyphs NumGlyphs() const;
  void SetNumGlyphs(TNumGlyphs Value);
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // The state the button shows now.
  TButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }

  void CMButtonPressed(TMessage& Message);
  void CMDialogChar(TCMDialogChar& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMSysColorChange(TMessage& Message);

protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;

private:
  void glyphChanged(TObject* Sender);
  void updateExclusive();

  TButtonGlyph* glyph_;
  TButtonState state_ = bsUp;
  bool allowAllUp_ = false;
  bool down_ = false;
  bool dragging_ = false;
  bool flat_ = false;
  bool mouseInControl_ = false;
  bool transparent_ = true;
  Integer groupIndex_ = 0;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1;
  Integer spacing_ = 4;
};

namespace ButtonsUnit {
void Initialize();
void Finalize();
}  // namespace ButtonsUnit
