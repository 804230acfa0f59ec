#pragma once
// ExtCtrls: extra controls and components of the user interface.
//
// Sections, in order:
//   timer              TTimer
//   Frame3D            the 3D frame routine
//   panel              TCustomPanel, TPanel
//   bevel              TBevel
//   image              TImage
//   shape              TShape
//   paint box          TPaintBox
//   radio group        TCustomRadioGroup, TRadioGroup

#include <windows.h>

#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"
#include "platform/rtl/Classes.h"

// =======================================================================================
// Timer
// =======================================================================================

// Fires OnTimer every Interval milliseconds while Enabled, from the message loop of the
// thread that made it: a hidden window (AllocateHWnd) receives the WM_TIMER of a Win32
// timer. The timer runs only while it is enabled, has a non-zero interval and has an
// OnTimer handler; changing any of the three restarts it. An exception raised by OnTimer
// goes to the application's handler (ApplicationHandleExceptionHook) and the timer keeps
// running.
class TTimer : public TComponent {
  RTL_DECLARE_CLASS(TTimer, TComponent)
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return interval_; }
  void SetInterval(Cardinal Value);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(const TNotifyEvent& Value);

protected:
  // Fires OnTimer.
  virtual void Timer();

private:
  void updateTimer();
  void wndProc(TMessage& Message);

  HWND window_ = nullptr;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
  TNotifyEvent onTimer_;
};

// =======================================================================================
// Frame3D
// =======================================================================================

// Draws Width nested one-pixel frames inside Rect: the top and left edges in TopColor, the
// bottom and right ones in BottomColor; Rect comes back as the area inside them.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

// =======================================================================================
// Panel
// =======================================================================================

using TPanelBevel = TBevelCut;

// A container with an outer and an inner bevel (BevelOuter, BevelInner, each BevelWidth
// wide; BorderWidth of the panel's colour lies between them, outside the client area) and
// a caption drawn in its middle.
class TCustomPanel : public TCustomControl {
  RTL_DECLARE_CLASS(TCustomPanel, TCustomControl)
public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool Value) { fullRepaint_ = Value; }
  bool Locked() const { return locked_; }
  void SetLocked(bool Value) { locked_ = Value; }
  TAlignment GetControlsAlignment() override { return alignment_; }

  void CMTextChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMBorderChanged(TMessage& Message);

protected:
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

private:
  TAlignment alignment_ = taCenter;
  TBorderStyle borderStyle_ = bsNone;
  bool fullRepaint_ = true;
  bool locked_ = false;
};

class TPanel : public TCustomPanel {
  RTL_DECLARE_CLASS(TPanel, TCustomPanel)
public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// =======================================================================================
// Bevel
// =======================================================================================

RTL_ENUM(TBevelStyle, bsLowered, bsRaised)
RTL_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)

// A sunken or raised box, frame or line drawn on the parent.
class TBevel : public TGraphicControl {
  RTL_DECLARE_CLASS(TBevel, TGraphicControl)
public:
  explicit TBevel(TComponent* AOwner);

  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle Value);

protected:
  void Paint() override;

private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// =======================================================================================
// Image
// =======================================================================================

// Shows a picture: at its size from the top-left corner, centred (Center), stretched to
// the control (Stretch) or shrunk keeping its proportions (Proportional). Canvas draws on
// the picture's bitmap (made at the control's size when the picture is empty).
class TImage : public TGraphicControl {
  RTL_DECLARE_CLASS(TImage, TGraphicControl)
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  // EInvalidOperation "Can only modify an image if it contains a bitmap" when the picture
  // holds another kind of graphic.
  TCanvas* Canvas();
  TPicture* Picture() const { return picture_; }
  void SetPicture(TPicture* Value) { picture_->Assign(Value); }
  bool Center() const { return center_; }
  void SetCenter(bool Value);
  bool IncrementalDisplay() const { return incrementalDisplay_; }
  void SetIncrementalDisplay(bool Value) { incrementalDisplay_ = Value; }
  bool Proportional() const { return proportional_; }
  void SetProportional(bool Value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // Where the picture goes in the client area.
  TRect DestRect();

  const TProgressEvent& OnProgress() const { return onProgress_; }
  void SetOnProgress(const TProgressEvent& Value) { onProgress_ = Value; }

protected:
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  void Paint() override;
  virtual void PictureChanged(TObject* Sender);
  void progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                const std::string& Msg);

private:
  TPicture* picture_;
  bool center_ = false;
  bool incrementalDisplay_ = false;
  bool proportional_ = false;
  bool stretch_ = false;
  bool transparent_ = false;
  bool drawing_ = false;
  TProgressEvent onProgress_;
};

// =======================================================================================
// Shape
// =======================================================================================

RTL_ENUM(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle)

// A rectangle, square, rounded rectangle or square, ellipse or circle drawn with Pen and
// filled with Brush.
class TShape : public TGraphicControl {
  RTL_DECLARE_CLASS(TShape, TGraphicControl)
public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;

  TBrush* Brush() const { return brush_; }
  void SetBrush(TBrush* Value) { brush_->Assign(Value); }
  TPen* Pen() const { return pen_; }
  void SetPen(TPen* Value) { pen_->Assign(Value); }
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType Value);
  // Repaints after a change of the pen or brush.
  void StyleChanged(TObject* Sender);

protected:
  void Paint() override;

private:
  TBrush* brush_;
  TPen* pen_;
  TShapeType shape_ = stRectangle;
};

// =======================================================================================
// Paint box
// =======================================================================================

// An area the program paints itself in OnPaint, on Canvas.
class TPaintBox : public TGraphicControl {
  RTL_DECLARE_CLASS(TPaintBox, TGraphicControl)
public:
  explicit TPaintBox(TComponent* AOwner);

  const TNotifyEvent& OnPaint() const { return onPaint_; }
  void SetOnPaint(const TNotifyEvent& Value) { onPaint_ = Value; }

protected:
  void Paint() override;

private:
  TNotifyEvent onPaint_;
};

// =======================================================================================
// Radio group
// =======================================================================================

class TGroupButton;

// A group box holding one radio button per line of Items, arranged in Columns; ItemIndex
// is the checked one (-1: none). CanModify decides whether the user may change it; code
// may always.
class TCustomRadioGroup : public TCustomGroupBox {
  RTL_DECLARE_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  TStrings* Items() const { return items_; }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  Integer ItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer Value);
  Integer Columns() const { return columns_; }
  void SetColumns(Integer Value);
  // The radio buttons, one per item.
  Integer ButtonCount() const { return static_cast<Integer>(buttons_.size()); }
  TRadioButton* Buttons(Integer Index) const;
  void FlipChildren(bool AllLevels) override {}
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {}

  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void WMSize(TWMSize& Message);

protected:
  // Whether the user may change the checked button (a data-aware group says no while its
  // data cannot be edited).
  virtual bool CanModify() { return true; }
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  // Places the buttons in columns inside the frame.
  void ArrangeButtons();

private:
  friend class TGroupButton;
  void buttonClick(TObject* Sender);
  void itemsChange(TObject* Sender);
  void setButtonCount(Integer Value);
  void updateButtons();

  TStringList* items_;
  std::vector<TGroupButton*> buttons_;
  Integer itemIndex_ = -1;
  Integer columns_ = 1;
  bool reading_ = false;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
  RTL_DECLARE_CLASS(TRadioGroup, TCustomRadioGroup)
public:
  explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};

namespace ExtCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace ExtCtrlsUnit
