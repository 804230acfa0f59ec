#include "platform/gui/ExtCtrls.h"

#include <algorithm>

#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"

// =======================================================================================
// Timer
// =======================================================================================

RTL_BEGIN_CLASS(TTimer)
  b.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  b.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
  b.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
RTL_END_CLASS

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = AllocateHWnd(TWndMethod(this, &TTimer::wndProc));
}

TTimer::~TTimer() {
  enabled_ = false;
  if (window_) {
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
  }
  window_ = nullptr;
}

void TTimer::updateTimer() {
  KillTimer(window_, 1);
  if (interval_ != 0 && enabled_ && onTimer_ && window_)
    if (SetTimer(window_, 1, interval_, nullptr) == 0) throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  updateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == interval_) return;
  interval_ = Value;
  updateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value) {
  onTimer_ = Value;
  updateTimer();
}

void TTimer::Timer() {
  if (onTimer_) onTimer_(this);
}

void TTimer::wndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      handleCallbackException();
    }
    Message.Result = 0;
    return;
  }
  Message.Result = DefWindowProcA(window_, Message.Msg, Message.WParam, Message.LParam);
}

// =======================================================================================
// Frame3D
// =======================================================================================

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  Canvas->Pen()->SetWidth(1);
  --Rect.bottom;
  --Rect.right;
  while (Width-- > 0) {
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline({Point(Rect.left, Rect.bottom), Point(Rect.left, Rect.top), Point(Rect.right, Rect.top)});
    Canvas->Pen()->SetColor(BottomColor);
    // One pixel further left, so that the bottom line reaches the left edge's last pixel.
    Canvas->Polyline({Point(Rect.right, Rect.top), Point(Rect.right, Rect.bottom), Point(Rect.left - 1, Rect.bottom)});
    InflateRect(Rect, -1, -1);
  }
  ++Rect.bottom;
  ++Rect.right;
}

// =======================================================================================
// Panel
// =======================================================================================

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable};
  width_ = 185;
  height_ = 41;
  SetBevelInner(bvNone);
  SetBevelOuter(bvRaised);
  SetBevelWidth(1);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Integer bevel = 0;
  if (BevelOuter() != bvNone) bevel += BevelWidth();
  if (BevelInner() != bvNone) bevel += BevelWidth();
  InflateRect(Rect, -bevel, -bevel);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect rect = ClientRect();
  auto colors = [](TBevelCut cut, TColor& top, TColor& bottom) {
    top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
  };
  TColor top, bottom;
  if (BevelOuter() != bvNone) {
    colors(BevelOuter(), top, bottom);
    Frame3D(canvas, rect, top, bottom, BevelWidth());
  }
  if (BevelInner() != bvNone) {
    colors(BevelInner(), top, bottom);
    Frame3D(canvas, rect, top, bottom, BevelWidth());
  }
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(rect);
  std::string text = Caption();
  if (text.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetFont(Font());
  Integer h = canvas->TextHeight("W");
  rect.top = (rect.bottom + rect.top - h) / 2;
  rect.bottom = rect.top + h;
  UINT flags = DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE |
               (alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER);
  flags = DrawTextBiDiModeFlags(flags);
  canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  if (!Enabled()) SetTextColor(canvas->Handle(), ColorToRGB(clGrayText));
  DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TCustomPanel::CMCtl3DChanged(TMessage& Message) {
  if (NewStyleControls && borderStyle_ == bsSingle) RecreateWnd();
  INHERITED_MESSAGE(Message);
}

void TCustomPanel::CMBorderChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

// =======================================================================================
// Bevel
// =======================================================================================

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ += TControlStyle{csReplicatable};
  width_ = 50;
  height_ = 50;
}

void TBevel::SetShape(TBevelShape Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetStyle(psSolid);
  TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  Integer w = Width(), h = Height();
  auto bevelRect = [&](const TRect& r, TColor topLeft, TColor bottomRight) {
    canvas->Pen()->SetColor(topLeft);
    canvas->Polyline({Point(r.left, r.bottom), Point(r.left, r.top), Point(r.right, r.top)});
    canvas->Pen()->SetColor(bottomRight);
    canvas->Polyline({Point(r.right, r.top), Point(r.right, r.bottom), Point(r.left, r.bottom)});
  };
  auto line = [&](TColor c, Integer x1, Integer y1, Integer x2, Integer y2) {
    canvas->Pen()->SetColor(c);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
  };
  switch (shape_) {
    case bsBox: bevelRect(Rect(0, 0, w - 1, h - 1), first, second); break;
    case bsFrame:
      // Two boxes, the inner one with the colours swapped: an etched (or bumped) frame.
      bevelRect(Rect(1, 1, w - 1, h - 1), second, second);
      bevelRect(Rect(0, 0, w - 2, h - 2), first, first);
      break;
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer: break;
  }
}

// =======================================================================================
// Image
// =======================================================================================

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ += TControlStyle{csReplicatable};
  picture_ = new TPicture();
  picture_->SetOnChange(TNotifyEvent(this, &TImage::PictureChanged));
  picture_->SetOnProgress(TProgressEvent(this, &TImage::progress));
  width_ = 105;
  height_ = 105;
}

TImage::~TImage() { delete picture_; }

TCanvas* TImage::Canvas() {
  if (drawing_) return TGraphicControl::Canvas();
  if (!picture_->Graphic()) {
    TObjectPtr<TBitmap> bitmap(new TBitmap());
    bitmap->SetSize(Width(), Height());
    picture_->SetGraphic(bitmap.get());
  }
  if (!dynamic_cast<TBitmap*>(picture_->Graphic()))
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return picture_->Bitmap()->Canvas();
}

TRect TImage::DestRect() {
  Integer w = picture_->Width(), h = picture_->Height();
  Integer cw = ClientWidth(), ch = ClientHeight();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<Integer>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<Integer>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<Integer>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<Integer>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r = Rect(0, 0, w, h);
  if (center_) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TCanvas* canvas = TGraphicControl::Canvas();
  if (ComponentState().Contains(csDesigning)) {
    canvas->Pen()->SetStyle(psDash);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, Width(), Height());
  }
  bool saved = drawing_;
  drawing_ = true;
  {
    ScopeExit atEnd([&] { drawing_ = saved; });
    if (picture_->Graphic()) canvas->StretchDraw(DestRect(), picture_->Graphic());
  }
}

bool TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  if (picture_->Width() > 0 && picture_->Height() > 0) {
    NewWidth = picture_->Width();
    NewHeight = picture_->Height();
  }
  return true;
}

void TImage::PictureChanged(TObject*) {
  if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  if (TGraphic* g = picture_->Graphic()) {
    if (!dynamic_cast<TMetafile*>(g) && !dynamic_cast<TIcon*>(g) && g->Transparent() != transparent_)
      g->SetTransparent(transparent_);
    bool covers = !g->Transparent() && (stretch_ || (picture_->Width() >= Width() && picture_->Height() >= Height()));
    if (covers) controlStyle_.Include(csOpaque);
    else controlStyle_.Exclude(csOpaque);
  }
  if (drawing_) Update();
  else Invalidate();
}

void TImage::progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                      const std::string& Msg) {
  if (incrementalDisplay_ && RedrawNow) Repaint();
  if (onProgress_) onProgress_(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TImage::SetCenter(bool Value) {
  if (center_ == Value) return;
  center_ = Value;
  PictureChanged(this);
}

void TImage::SetProportional(bool Value) {
  if (proportional_ == Value) return;
  proportional_ = Value;
  PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
  if (stretch_ == Value) return;
  stretch_ = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  PictureChanged(this);
}

// =======================================================================================
// Shape
// =======================================================================================

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ += TControlStyle{csReplicatable};
  width_ = 65;
  height_ = 65;
  pen_ = new TPen();
  pen_->SetOnChange(TNotifyEvent(this, &TShape::StyleChanged));
  brush_ = new TBrush();
  brush_->SetOnChange(TNotifyEvent(this, &TShape::StyleChanged));
}

TShape::~TShape() {
  delete pen_;
  delete brush_;
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::SetShape(TShapeType Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetPen(pen_);
  canvas->SetBrush(brush_);
  Integer x = pen_->Width() / 2;
  Integer y = x;
  Integer w = Width() - pen_->Width() + 1;
  Integer h = Height() - pen_->Width() + 1;
  if (pen_->Width() == 0) {
    --w;
    --h;
  }
  Integer s = std::min(w, h);
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = s;
    h = s;
  }
  switch (shape_) {
    case stRectangle:
    case stSquare: canvas->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: canvas->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse:
    case stCircle: canvas->Ellipse(x, y, x + w, y + h); break;
  }
}

// =======================================================================================
// Paint box
// =======================================================================================

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ += TControlStyle{csReplicatable};
  width_ = 105;
  height_ = 105;
}

void TPaintBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  canvas->Brush()->SetColor(Color());
  if (ComponentState().Contains(csDesigning)) {
    canvas->Pen()->SetStyle(psDash);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, Width(), Height());
  }
  if (onPaint_) onPaint_(this);
}

// =======================================================================================
// Radio group
// =======================================================================================

// A radio button of a radio group: it exists for one line of the group's items, reports
// its click to the group and obeys the group's CanModify.
class TGroupButton : public TRadioButton {
  RTL_DECLARE_CLASS(TGroupButton, TRadioButton)
public:
  explicit TGroupButton(TCustomRadioGroup* Group) : TRadioButton(Group) {
    SetVisible(false);
    SetEnabled(Group->Enabled());
    SetParentShowHint(false);
    SetOnClick(TNotifyEvent(Group, &TCustomRadioGroup::buttonClick));
    SetParent(Group);
  }

  void CNCommand(TWMCommand& Message) {
    if (inClick_) return;
    inClick_ = true;
    {
      ScopeExit atEnd([&] { inClick_ = false; });
      auto* group = dynamic_cast<TCustomRadioGroup*>(Parent());
      if ((Message.NotifyCode == BN_CLICKED || Message.NotifyCode == BN_DOUBLECLICKED) && group && group->CanModify())
        INHERITED_MESSAGE(Message);
    }
  }

protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    TRadioButton::KeyDown(Key, Shift);
    if (auto* group = dynamic_cast<TCustomRadioGroup*>(Parent())) group->KeyDown(Key, Shift);
  }

  void KeyPress(char& Key) override {
    TRadioButton::KeyPress(Key);
    auto* group = dynamic_cast<TCustomRadioGroup*>(Parent());
    if (!group) return;
    group->KeyPress(Key);
    if ((Key == VK_BACK || Key == ' ') && !group->CanModify()) Key = '\0';
  }

private:
  bool inClick_ = false;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner) : TCustomGroupBox(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csParentBackground};
  items_ = new TStringList();
  items_->SetOnChange(TNotifyEvent(this, &TCustomRadioGroup::itemsChange));
}

TCustomRadioGroup::~TCustomRadioGroup() {
  // The buttons go with the group (as its owned components); forget them first.
  buttons_.clear();
  items_->SetOnChange(TNotifyEvent());
  delete items_;
}

TRadioButton* TCustomRadioGroup::Buttons(Integer Index) const {
  if (Index < 0 || Index >= ButtonCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return buttons_[static_cast<size_t>(Index)];
}

void TCustomRadioGroup::buttonClick(TObject* Sender) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), Sender);
  itemIndex_ = it == buttons_.end() ? -1 : static_cast<Integer>(it - buttons_.begin());
  TControl::Changed();
  Click();
}

void TCustomRadioGroup::itemsChange(TObject*) {
  if (reading_) return;
  if (itemIndex_ >= items_->Count()) itemIndex_ = items_->Count() - 1;
  updateButtons();
}

void TCustomRadioGroup::setButtonCount(Integer Value) {
  while (ButtonCount() < Value) buttons_.push_back(new TGroupButton(this));
  while (ButtonCount() > Value) {
    TGroupButton* last = buttons_.back();
    buttons_.pop_back();
    last->Free();
  }
}

void TCustomRadioGroup::updateButtons() {
  setButtonCount(items_->Count());
  for (Integer i = 0; i < ButtonCount(); ++i) buttons_[static_cast<size_t>(i)]->SetCaption(items_->Strings(i));
  if (itemIndex_ >= 0) {
    updating_ = true;
    buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(true);
    updating_ = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (buttons_.empty() || reading_) return;
  Integer lineHeight = 13;
  {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    lineHeight = tm.tmHeight;
  }
  Integer columns = std::max(1, columns_);
  Integer perColumn = (ButtonCount() + columns - 1) / columns;
  Integer buttonWidth = (Width() - 10) / columns;
  Integer room = Height() - lineHeight - 5;
  Integer buttonHeight = room / perColumn;
  Integer topMargin = lineHeight + 1 + (room % perColumn) / 2;
  for (Integer i = 0; i < ButtonCount(); ++i) {
    TGroupButton* button = buttons_[static_cast<size_t>(i)];
    button->SetBiDiMode(BiDiMode());
    Integer left = (i / perColumn) * buttonWidth + 8;
    if (UseRightToLeftAlignment()) left = ClientWidth() - left - buttonWidth;
    button->SetBounds(left, (i % perColumn) * buttonHeight + topMargin, buttonWidth, buttonHeight);
    button->SetVisible(true);
  }
}

void TCustomRadioGroup::SetItemIndex(Integer Value) {
  if (reading_) {
    itemIndex_ = Value;
    return;
  }
  Value = std::clamp(Value, -1, ButtonCount() - 1);
  if (itemIndex_ == Value) return;
  if (itemIndex_ >= 0) buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(false);
  itemIndex_ = Value;
  if (itemIndex_ >= 0) buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(Integer Value) {
  Value = std::clamp(Value, 1, 16);
  if (columns_ == Value) return;
  columns_ = Value;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::ReadState(TReader* Reader) {
  reading_ = true;
  {
    ScopeExit atEnd([&] { reading_ = false; });
    TCustomGroupBox::ReadState(Reader);
  }
  updateButtons();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  ArrangeButtons();
}

void TCustomRadioGroup::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  for (TGroupButton* button : buttons_) button->SetEnabled(Enabled());
}

void TCustomRadioGroup::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  ArrangeButtons();
}

void TCustomRadioGroup::WMSize(TWMSize& Message) {
  INHERITED_MESSAGE(Message);
  ArrangeButtons();
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TCustomPanel)
  b.Message(CM_TEXTCHANGED, &TCustomPanel::CMTextChanged);
  b.Message(CM_CTL3DCHANGED, &TCustomPanel::CMCtl3DChanged);
  b.Message(CM_BORDERCHANGED, &TCustomPanel::CMBorderChanged);
RTL_END_CLASS

RTL_BEGIN_CLASS(TPanel)
  using T = TPanel;
  publishPlacement(b);
  PUBLISH(Alignment).Default(taCenter);
  PUBLISH(AutoSize).Default(false);
  PUBLISH(BevelInner).Default(bvNone);
  PUBLISH(BevelOuter).Default(bvRaised);
  PUBLISH(BevelWidth).Default(1);
  PUBLISH(BorderWidth).Default(0);
  PUBLISH(BorderStyle).Default(bsNone);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(FullRepaint).Default(true);
  PUBLISH(Locked).Default(false);
  PUBLISH(ParentBackground).Default(false);
  PUBLISH(ParentColor).Default(false);
  publishParentFlags(b);
  publishWindowFlags(b, false);
  PUBLISH(OnCanResize);
  PUBLISH(OnClick);
  PUBLISH(OnConstrainedResize);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishFocusEvents(b);
  publishMouseEvents(b);
  PUBLISH(OnResize);
RTL_END_CLASS

RTL_BEGIN_CLASS(TBevel)
  using T = TBevel;
  publishPlacement(b);
  PUBLISH(Constraints);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(Shape).Default(bsBox);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Style).Default(bsLowered);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
RTL_END_CLASS

RTL_BEGIN_CLASS(TImage)
  using T = TImage;
  publishPlacement(b);
  PUBLISH(AutoSize).Default(false);
  PUBLISH(Center).Default(false);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(IncrementalDisplay).Default(false);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(Picture);
  PUBLISH(PopupMenu);
  PUBLISH(Proportional).Default(false);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Stretch).Default(false);
  PUBLISH(Transparent).Default(false);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishMouseEvents(b);
  PUBLISH(OnProgress);
RTL_END_CLASS

RTL_BEGIN_CLASS(TShape)
  using T = TShape;
  publishPlacement(b);
  PUBLISH(Brush);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Constraints);
  PUBLISH(ParentShowHint).Default(true);
  PUBLISH(Pen);
  PUBLISH(Shape).Default(stRectangle);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_BEGIN_CLASS(TPaintBox)
  using T = TPaintBox;
  publishPlacement(b);
  publishLook(b, clBtnFace);
  publishDragProperties(b);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishMouseEvents(b);
  PUBLISH(OnPaint);
RTL_END_CLASS

RTL_BEGIN_CLASS(TGroupButton)
  b.Message(CN_COMMAND, &TGroupButton::CNCommand);
RTL_END_CLASS

RTL_BEGIN_CLASS(TCustomRadioGroup)
  b.Message(CM_ENABLEDCHANGED, &TCustomRadioGroup::CMEnabledChanged);
  b.Message(CM_FONTCHANGED, &TCustomRadioGroup::CMFontChanged);
  b.Message(WM_SIZE, &TCustomRadioGroup::WMSize);
RTL_END_CLASS

RTL_BEGIN_CLASS(TRadioGroup)
  using T = TRadioGroup;
  publishPlacement(b);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  publishLook(b, clBtnFace);
  PUBLISH(Columns).Default(1);
  publishDragProperties(b);
  PUBLISH(Items);
  PUBLISH(ItemIndex).Default(-1);
  PUBLISH(ParentBackground).Default(true);
  PUBLISH(ParentColor).Default(true);
  publishParentFlags(b);
  publishWindowFlags(b, false);
  PUBLISH(OnClick);
  PUBLISH(OnContextPopup);
  publishDragEvents(b);
  publishFocusEvents(b);
RTL_END_CLASS

namespace ExtCtrlsUnit {

namespace {
std::vector<TClass> unitClasses() {
  return {TTimer::StaticClass(), TPanel::StaticClass(),    TBevel::StaticClass(),     TImage::StaticClass(),
          TShape::StaticClass(), TPaintBox::StaticClass(), TRadioGroup::StaticClass()};
}
}  // namespace

void Initialize() {
  RegisterClasses(unitClasses());
}

void Finalize() {
  UnRegisterClasses(unitClasses());
}

}  // namespace ExtCtrlsUnit
