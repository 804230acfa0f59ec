#pragma once
// The library's speed button: a push button without a window of its own, for toolbars and
// for the buttons embedded in edits. It is flat or framed, can track the mouse (a hot font,
// a hot frame, a hot image), opens a drop-down menu, latches down in a group (one down
// button per group and parent), and repeats its click while held. Its glyph comes from a
// bitmap strip or an image list and is laid out with the caption by TJvxButtonGlyph.
//
// TJvCustomSpeedButton paints the face and leaves the content to PaintContent;
// TJvImageSpeedButton draws the glyph (or image list entry) and the caption.

#include <windows.h>

#include <string>

#include "lib/JvButtonGlyph.h"
#include "lib/JvComponent.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Menus.h"

// This unit's private message numbers are in platform/gui/MessageIds.h.

// Where the drop-down menu opens: below the button or to its right.
RTL_ENUM(TJvDropDownMenuPos, dmpBottom, dmpRight)

// How a hot-track font follows the control's font: hoFollowFont copies its attributes,
// except those a hoPreserve option keeps.
RTL_ENUM(TJvTrackFontOption, hoFollowFont, hoPreserveCharSet, hoPreserveColor, hoPreserveHeight, hoPreserveName,
         hoPreservePitch, hoPreserveStyle)
using TJvTrackFontOptions = Set<TJvTrackFontOption>;

// Copies Font's charset, colour, height, name, pitch and style into TrackFont (only with
// hoFollowFont, and not those Options preserve).
void JvApplyTrackFont(TFont* TrackFont, TFont* Font, TJvTrackFontOptions Options);
// Paints what lies under Control (its parent's window and the non-windowed siblings
// below it) onto Canvas, at the control's own coordinates.
void JvPaintParentImage(TControl* Control, TCanvas* Canvas);
// Whether the active window is one of the calling thread's windows.
bool JvIsForegroundThread();
// The colour with 64 added to (taken from) each RGB channel, within 0..255; system
// colours are resolved first.
TColor JvLightenColor(TColor Color);
TColor JvDarkenColor(TColor Color);
// Draws the frame of a speed button over Client (raised, or sunken when Down; thinner
// when Flat; Style bsNew or bsAutoDetect: the newer two-colour look, bsWin31: the older
// dark outline) and returns the rectangle left inside it.
TRect JvDrawSpeedButtonFrame(TCanvas* Canvas, const TRect& Client, bool Down, bool Flat, TButtonStyle Style,
                             TColor Color);

// The hot frame of a button the mouse is over: when Enabled, the button is filled with
// Color (a checkerboard of Color and clWindow while it is down) and outlined in FrameColor.
class TJvSpeedButtonHotTrackOptions : public TPersistent {
  RTL_DECLARE_CLASS(TJvSpeedButtonHotTrackOptions, TPersistent)
public:
  TJvSpeedButtonHotTrackOptions() = default;

  // From another hot-track options object: its three values.
  void Assign(TPersistent* Source) override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  TColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TColor Value) { frameColor_ = Value; }

private:
  bool enabled_ = false;
  TColor color_ = TColor(0xD2BDB6);
  TColor frameColor_ = TColor(0x6A240A);
};

class TJvCustomSpeedButton : public TJvGraphicControl {
  RTL_DECLARE_CLASS(TJvCustomSpeedButton, TJvGraphicControl)
public:
  explicit TJvCustomSpeedButton(TComponent* AOwner);
  ~TJvCustomSpeedButton() override;

  // Gives the parent form the button's ModalResult (when there is a parent form), then
  // runs the click (OnClick or the action).
  void Click() override;
  void Loaded() override;

  // --- Group latching. A button of a group (GroupIndex not 0) stays Down when clicked and
  // raises the other down button of its group on the same parent; AllowAllUp lets the down
  // button come up again (the group shares the setting).
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);

  // --- Auto-repeat: with AllowTimer a held button clicks after InitPause ms, then every
  // RepeatInterval ms while the mouse stays on it.
  bool AllowTimer() const { return allowTimer_; }
  void SetAllowTimer(bool Value);
  Word InitPause() const { return initPause_; }
  void SetInitPause(Word Value) { initPause_ = Value; }
  Word RepeatInterval() const { return repeatInterval_; }
  void SetRepeatInterval(Word Value) { repeatInterval_ = Value; }
  // Made on the first press with AllowTimer (owned by the button); null before.
  TTimer* AutoRepeatTimer() const { return autoRepeatTimer_; }

  // --- Drop-down menu: pressing the button shows it (when its AutoPopup is set); the
  // menu's Alignment and MenuPosition place it. MarkDropDown draws a small arrow.
  TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(TPopupMenu* Value);
  TJvDropDownMenuPos MenuPosition() const { return menuPosition_; }
  void SetMenuPosition(TJvDropDownMenuPos Value) { menuPosition_ = Value; }
  bool MarkDropDown() const { return markDropDown_; }
  void SetMarkDropDown(bool Value);

  // --- Look.
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  TButtonStyle Style() const { return style_; }
  void SetStyle(TButtonStyle Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  // -1 centres glyph and caption; values below -1 are not taken.
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  // -1 spreads glyph and caption evenly.
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer Value);
  TAlignment Alignment() const { return glyph_->Alignment(); }
  void SetAlignment(TAlignment Value);
  bool WordWrap() const { return glyph_->WordWrap(); }
  void SetWordWrap(bool Value);
  bool GrayNewStyle() const { return glyph_->GrayNewStyle(); }
  void SetGrayNewStyle(bool Value);
  // A flat button the mouse is not over shows its glyph grayed.
  bool GrayedInactive() const { return grayedInactive_; }
  void SetGrayedInactive(bool Value);
  // The glyph strip and its number of cells (not stored; the glyph object holds them).
  TBitmap* Glyph() const { return glyph_->Glyph(); }
  void SetGlyph(TBitmap* Value);
  Byte NumGlyphs() const { return glyph_->NumGlyphs(); }
  virtual void SetNumGlyphs(Byte Value);
  // Painting goes through a memory bitmap first (no flicker).
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool Value) { doubleBuffered_ = Value; }

  // --- Hot tracking.
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value) { hotTrack_ = Value; }
  TFont* HotTrackFont() const { return hotTrackFont_; }
  void SetHotTrackFont(TFont* Value) { hotTrackFont_->Assign(Value); }
  TJvTrackFontOptions HotTrackFontOptions() const { return hotTrackFontOptions_; }
  void SetHotTrackFontOptions(TJvTrackFontOptions Value);
  TJvSpeedButtonHotTrackOptions* HotFrameOptions() const { return hotFrameOptions_; }
  void SetHotFrameOptions(TJvSpeedButtonHotTrackOptions* Value) { hotFrameOptions_->Assign(Value); }

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }

  // --- State (not stored).
  TSpeedButtonDrawState DrawState() const { return drawState_; }
  // From a left press to its release.
  bool Pressing() const { return pressing_; }
  // While the drop-down menu shows.
  bool MenuOpen() const { return menuOpen_; }
  TJvxButtonGlyph* ButtonGlyph() const { return glyph_; }

  // Where the drop-down menu's corner goes, in client coordinates, for MenuPosition and
  // the menu's Alignment; (0, 0) without a menu.
  TPoint DropDownMenuOrigin();
  // Shows the drop-down menu at Point (client coordinates) and returns when it closed;
  // true when it was shown. Without Manual the menu's AutoPopup must be set.
  bool OpenDropDownMenu(const TPoint& Point, bool Manual);
  // Tells the button (mouse enter or leave) when whether the mouse is over it changed.
  void UpdateMouseTracking();

  // --- Operations of the extended base.
  bool AcceptsDialogChar(Word Key, TShiftState Shift, const std::string& Text) override;
  void NotifyEnabledChanged() override;
  void NotifyFontChanged() override;
  void NotifyTextChanged() override;
  void NotifyVisibleChanged() override;
  void HandleMouseEnter(TControl* Control) override;
  void HandleMouseLeave(TControl* Control) override;

  // Message handlers (public for the message map).
  void WMPaint(TWMPaint& Message);
  void WMLButtonDblClk(TWMMouse& Message);
  void CMSysColorChange(TMessage& Message);
  // CM_JVBUTTONPRESSED: another button of the group went down.
  void HandleGroupPressed(TMessage& Message);

protected:
  // Draws glyph and caption into Rect (the face inside the frame), moved by Offset.
  virtual void PaintContent(TCanvas* Canvas, const TRect& Rect, bool PopupMark, TSpeedButtonDrawState State,
                            const TPoint& Offset) = 0;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The end of a left press at (X, Y): the state, the group and the click.
  void FinishPress(TMouseButton Button, Integer X, Integer Y);
  // Tells the parent's other buttons that this one went down.
  void NotifyGroupPressed();
  void RepeatTimerFired(TObject* Sender);
  bool insideClient(Integer X, Integer Y);

private:
  void glyphChanged(TObject* Sender);
  // The glyph image of the state the button now rests in, made ahead of painting.
  void prepareGlyphForState();
  void setStoredAndInvalidate(bool& Field, bool Value);

  TJvxButtonGlyph* glyph_;
  TFont* hotTrackFont_;
  TJvSpeedButtonHotTrackOptions* hotFrameOptions_;
  TTimer* autoRepeatTimer_ = nullptr;
  TPopupMenu* dropDownMenu_ = nullptr;
  TSpeedButtonDrawState drawState_ = sdsUp;
  bool allowAllUp_ = false;
  Integer groupIndex_ = 0;
  bool down_ = false;
  bool allowTimer_ = false;
  Word initPause_ = 500;
  Word repeatInterval_ = 100;
  TJvDropDownMenuPos menuPosition_ = dmpBottom;
  bool markDropDown_ = true;
  bool flat_ = false;
  bool transparent_ = false;
  TButtonStyle style_ = bsAutoDetect;
  TButtonLayout layout_ = blGlyphTop;
  Integer margin_ = -1;
  Integer spacing_ = 1;
  bool grayedInactive_ = true;
  bool hotTrack_ = false;
  TJvTrackFontOptions hotTrackFontOptions_{hoFollowFont, hoPreserveColor, hoPreserveStyle};
  TModalResult modalResult_ = mrNone;
  bool pressing_ = false;
  bool menuOpen_ = false;
  bool doubleBuffered_ = true;
};

// The action link of the image speed button: the action's Checked drives Down while the
// button is in a group with AllowAllUp and shows the same state; GroupIndex and ImageIndex
// follow the action's while they equal them.
class TJvImageSpeedButtonActionLink : public TControlActionLink {
  RTL_DECLARE_CLASS(TJvImageSpeedButtonActionLink, TControlActionLink)
public:
  using TControlActionLink::TControlActionLink;

  bool IsCheckedLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool Value) override;
  void SetGroupIndex(Integer Value) override;
  void SetImageIndex(Integer Value) override;
};

// The speed button of the library: glyph strip or image list entry, and caption.
class TJvImageSpeedButton : public TJvCustomSpeedButton {
  RTL_DECLARE_CLASS(TJvImageSpeedButton, TJvCustomSpeedButton)
public:
  explicit TJvImageSpeedButton(TComponent* AOwner);
  ~TJvImageSpeedButton() override;

  // The list the glyph comes from (ImageIndex; HotTrackImageIndex while hot tracking
  // shows the mouse over the button). Without a list ImageIndex is -1 and the glyph strip
  // is drawn.
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TImageIndex ImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex Value);
  TImageIndex HotTrackImageIndex() const { return hotTrackImageIndex_; }
  void SetHotTrackImageIndex(TImageIndex Value);

  bool IsImageIndexStored();

protected:
  void PaintContent(TCanvas* Canvas, const TRect& Rect, bool PopupMark, TSpeedButtonDrawState State,
                    const TPoint& Offset) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TClass GetActionLinkClass() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void imageListChange(TObject* Sender);
  // Whether the hot-track image is the one shown now.
  bool hotTrackImageShown();

  TCustomImageList* images_ = nullptr;
  TImageIndex imageIndex_ = -1;
  TImageIndex hotTrackImageIndex_ = -1;
  TChangeLink* imageChangeLink_;
};

namespace JvSpeedButtonUnit {
void Initialize();
void Finalize();
}  // namespace JvSpeedButtonUnit
