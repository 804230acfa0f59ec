#include "lib/JvSpeedButton.h"

#include <algorithm>

#include "lib/JvThemes.h"
#include "lib/JvUtils.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Themes.h"
#include "platform/rtl/Scoped.h"

namespace {

// Reaches a parent's own window painting (without its non-windowed children), which the
// class library keeps protected.
struct WindowPainter : TWinControl {
  static void paint(TWinControl* Control, HDC DC) { (Control->*(&WindowPainter::PaintWindow))(DC); }
};

BOOL CALLBACK matchActiveWindow(HWND Window, LPARAM Param) {
  auto* found = reinterpret_cast<std::pair<HWND, bool>*>(Param);
  if (Window != found->first) return TRUE;
  found->second = true;
  return FALSE;
}

TColor shiftChannels(TColor Color, Integer Delta) {
  const COLORREF rgb = static_cast<COLORREF>(ColorToRGB(Color));
  auto channel = [Delta](Integer v) { return static_cast<BYTE>(std::clamp(v + Delta, 0, 255)); };
  return TColor(RGB(channel(GetRValue(rgb)), channel(GetGValue(rgb)), channel(GetBValue(rgb))));
}

}  // namespace

// =======================================================================================
// Routines
// =======================================================================================

void JvApplyTrackFont(TFont* TrackFont, TFont* Font, TJvTrackFontOptions Options) {
  if (!TrackFont || !Font || !Options.Contains(hoFollowFont)) return;
  if (!Options.Contains(hoPreserveCharSet)) TrackFont->SetCharset(Font->Charset());
  if (!Options.Contains(hoPreserveColor)) TrackFont->SetColor(Font->Color());
  if (!Options.Contains(hoPreserveHeight)) TrackFont->SetHeight(Font->Height());
  if (!Options.Contains(hoPreserveName)) TrackFont->SetName(Font->Name());
  if (!Options.Contains(hoPreservePitch)) TrackFont->SetPitch(Font->Pitch());
  if (!Options.Contains(hoPreserveStyle)) TrackFont->SetStyle(Font->Style());
}

void JvPaintParentImage(TControl* Control, TCanvas* Canvas) {
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  HDC dc = Canvas->Handle();
  parent->SetControlState(parent->ControlState() + TControlState{csPaintCopy});
  try {
    // The parent's background and window, at the control's coordinates.
    const int saved = SaveDC(dc);
    {
      ScopeExit atEnd([&] { RestoreDC(dc, saved); });
      OffsetViewportOrgEx(dc, -Control->Left(), -Control->Top(), nullptr);
      IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
      parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
      WindowPainter::paint(parent, dc);
    }
    // The non-windowed siblings below the control that overlap it.
    const TRect self = Control->BoundsRect();
    for (Integer i = 0; i < parent->ControlCount(); ++i) {
      TControl* sibling = parent->Controls(i);
      if (sibling == Control) break;
      if (dynamic_cast<TWinControl*>(sibling) || !sibling->Visible()) continue;
      TRect both;
      const TRect other = sibling->BoundsRect();
      if (!IntersectRect(&both, &self, &other)) continue;
      sibling->SetControlState(sibling->ControlState() + TControlState{csPaintCopy});
      const int siblingSaved = SaveDC(dc);
      {
        ScopeExit atEnd([&] { RestoreDC(dc, siblingSaved); sibling->SetControlState(sibling->ControlState() - TControlState{csPaintCopy}); });
        OffsetViewportOrgEx(dc, sibling->Left() - Control->Left(), sibling->Top() - Control->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, sibling->Width(), sibling->Height());
        sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
      }
    }
  } catch (...) {
    parent->SetControlState(parent->ControlState() - TControlState{csPaintCopy});
    throw;
  }
  parent->SetControlState(parent->ControlState() - TControlState{csPaintCopy});
}

bool JvIsForegroundThread() {
  std::pair<HWND, bool> found{GetActiveWindow(), false};
  if (!found.first) return false;
  EnumThreadWindows(GetCurrentThreadId(), matchActiveWindow, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

TColor JvLightenColor(TColor Color) { return shiftChannels(Color, 64); }

TColor JvDarkenColor(TColor Color) { return shiftChannels(Color, -64); }

TRect JvDrawSpeedButtonFrame(TCanvas* Canvas, const TRect& Client, bool Down, bool Flat, TButtonStyle Style,
                             TColor Color) {
  const bool newStyle = Style == bsNew || (Style == bsAutoDetect && NewStyleControls);
  const TColor light = JvLightenColor(Color), dark = JvDarkenColor(Color);
  TRect r = Client;
  auto frame = [&](TColor topLeft, TColor bottomRight) { Frame3D(Canvas, r, topLeft, bottomRight, 1); };
  if (Down) {
    if (newStyle && !Flat) {
      frame(clWindowFrame, light);
      frame(dark, Color);
    } else if (newStyle) {
      frame(dark, light);
    } else if (Flat) {
      frame(clWindowFrame, light);
    } else {
      frame(clWindowFrame, clWindowFrame);
      Canvas->Pen()->SetColor(clBtnShadow);
      Canvas->Polyline({Point(r.left, r.bottom - 1), Point(r.left, r.top), Point(r.right, r.top)});
    }
  } else {
    if (newStyle && !Flat) {
      frame(light, clWindowFrame);
      frame(Color, dark);
    } else if (newStyle) {
      frame(light, dark);
    } else if (Flat) {
      frame(light, clWindowFrame);
    } else {
      frame(clWindowFrame, clWindowFrame);
      frame(light, dark);
    }
  }
  InflateRect(&r, -1, -1);
  return r;
}

// =======================================================================================
// TJvSpeedButtonHotTrackOptions
// =======================================================================================

void TJvSpeedButtonHotTrackOptions::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TJvSpeedButtonHotTrackOptions*>(Source)) {
    enabled_ = other->enabled_;
    color_ = other->color_;
    frameColor_ = other->frameColor_;
    return;
  }
  TPersistent::Assign(Source);
}

// =======================================================================================
// TJvCustomSpeedButton
// =======================================================================================

TJvCustomSpeedButton::TJvCustomSpeedButton(TComponent* AOwner)
    : TJvGraphicControl(AOwner),
      glyph_(new TJvxButtonGlyph()),
      hotTrackFont_(new TFont()),
      hotFrameOptions_(new TJvSpeedButtonHotTrackOptions()) {
  glyph_->SetGrayNewStyle(true);
  glyph_->SetOnChange(TNotifyEvent(this, &TJvCustomSpeedButton::glyphChanged));
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 25, 25);
  SetColor(clBtnFace);
  SetParentColor(false);
  SetShowHint(true);
  SetParentShowHint(false);
}

TJvCustomSpeedButton::~TJvCustomSpeedButton() {
  FreeAndNil(autoRepeatTimer_);
  delete hotFrameOptions_;
  delete hotTrackFont_;
  delete glyph_;
}

void TJvCustomSpeedButton::glyphChanged(TObject*) { Invalidate(); }

void TJvCustomSpeedButton::setStoredAndInvalidate(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  Invalidate();
}

void TJvCustomSpeedButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TJvGraphicControl::Click();
}

void TJvCustomSpeedButton::prepareGlyphForState() {
  glyph_->GlyphIndexForState(!Enabled() ? sdsDisabled : flat_ ? sdsInactive : sdsUp);
}

void TJvCustomSpeedButton::Loaded() {
  TJvGraphicControl::Loaded();
  prepareGlyphForState();
}

// --- Setters -------------------------------------------------------------------------

void TJvCustomSpeedButton::SetAllowAllUp(bool Value) {
  allowAllUp_ = Value;
  NotifyGroupPressed();
}

void TJvCustomSpeedButton::SetGroupIndex(Integer Value) {
  groupIndex_ = Value;
  NotifyGroupPressed();
}

void TJvCustomSpeedButton::SetDown(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (Value == down_ || (down_ && !allowAllUp_)) return;
  down_ = Value;
  if (Value) {
    if (drawState_ == sdsUp) Invalidate();
    drawState_ = sdsExclusive;
  } else {
    drawState_ = sdsUp;
  }
  Repaint();
  if (Value) NotifyGroupPressed();
  Invalidate();
}

void TJvCustomSpeedButton::SetAllowTimer(bool Value) {
  allowTimer_ = Value;
  if (!Value) FreeAndNil(autoRepeatTimer_);
}

void TJvCustomSpeedButton::SetDropDownMenu(TPopupMenu* Value) {
  dropDownMenu_ = Value;
  if (Value) Value->FreeNotification(this);
  if (markDropDown_) Invalidate();
}

void TJvCustomSpeedButton::SetMarkDropDown(bool Value) { setStoredAndInvalidate(markDropDown_, Value); }

void TJvCustomSpeedButton::SetFlat(bool Value) { setStoredAndInvalidate(flat_, Value); }

void TJvCustomSpeedButton::SetTransparent(bool Value) { setStoredAndInvalidate(transparent_, Value); }

void TJvCustomSpeedButton::SetGrayedInactive(bool Value) { setStoredAndInvalidate(grayedInactive_, Value); }

void TJvCustomSpeedButton::SetStyle(TButtonStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TJvCustomSpeedButton::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TJvCustomSpeedButton::SetMargin(Integer Value) {
  if (Value == margin_ || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TJvCustomSpeedButton::SetSpacing(Integer Value) {
  if (Value == spacing_) return;
  spacing_ = Value;
  Invalidate();
}

void TJvCustomSpeedButton::SetAlignment(TAlignment Value) {
  if (Value == glyph_->Alignment()) return;
  glyph_->SetAlignment(Value);
  Invalidate();
}

void TJvCustomSpeedButton::SetWordWrap(bool Value) {
  if (Value == glyph_->WordWrap()) return;
  glyph_->SetWordWrap(Value);
  Invalidate();
}

void TJvCustomSpeedButton::SetGrayNewStyle(bool Value) {
  if (Value == glyph_->GrayNewStyle()) return;
  glyph_->SetGrayNewStyle(Value);
  Invalidate();
}

void TJvCustomSpeedButton::SetGlyph(TBitmap* Value) {
  glyph_->SetGlyph(Value);
  Invalidate();
}

void TJvCustomSpeedButton::SetNumGlyphs(Byte Value) {
  glyph_->SetNumGlyphs(Value);
  Invalidate();
}

void TJvCustomSpeedButton::SetHotTrackFontOptions(TJvTrackFontOptions Value) {
  if (Value == hotTrackFontOptions_) return;
  hotTrackFontOptions_ = Value;
  JvApplyTrackFont(hotTrackFont_, Font(), hotTrackFontOptions_);
}

// --- Notifications -------------------------------------------------------------------

bool TJvCustomSpeedButton::AcceptsDialogChar(Word Key, TShiftState Shift, const std::string& Text) {
  if (IsAccel(Key, Caption()) && Shift.Contains(ssAlt) && Enabled()) {
    Click();
    return true;
  }
  TJvGraphicControl::AcceptsDialogChar(Key, Shift, Text);
  return false;
}

void TJvCustomSpeedButton::NotifyEnabledChanged() {
  TJvGraphicControl::NotifyEnabledChanged();
  prepareGlyphForState();
  UpdateMouseTracking();
  Repaint();
}

void TJvCustomSpeedButton::NotifyFontChanged() {
  JvApplyTrackFont(hotTrackFont_, Font(), hotTrackFontOptions_);
  Invalidate();
}

void TJvCustomSpeedButton::NotifyTextChanged() { Invalidate(); }

void TJvCustomSpeedButton::NotifyVisibleChanged() {
  TJvGraphicControl::NotifyVisibleChanged();
  if (Visible()) UpdateMouseTracking();
}

void TJvCustomSpeedButton::HandleMouseEnter(TControl* Control) {
  if (ComponentState().Contains(csDesigning) || MouseInside() || !Enabled()) return;
  const bool repaint = ThemeServices()->ThemesEnabled() || hotTrack_ ||
                       (flat_ && Enabled() && DragMode() != dmAutomatic && GetCapture() == nullptr);
  TJvGraphicControl::HandleMouseEnter(Control);
  if (repaint) Repaint();
}

void TJvCustomSpeedButton::HandleMouseLeave(TControl* Control) {
  if (!MouseInside() || !Enabled()) return;
  const bool repaint = ThemeServices()->ThemesEnabled() || hotTrack_ || (flat_ && Enabled() && !pressing_);
  TJvGraphicControl::HandleMouseLeave(Control);
  if (repaint) Repaint();
}

void TJvCustomSpeedButton::CMSysColorChange(TMessage&) {
  glyph_->ReleaseCachedGlyphs();
  Invalidate();
}

void TJvCustomSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TJvGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

void TJvCustomSpeedButton::UpdateMouseTracking() {
  POINT p;
  GetCursorPos(&p);
  const bool over = Enabled() && FindDragTarget(p, true) == this && JvIsForegroundThread();
  if (over != MouseInside()) Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

// --- Groups --------------------------------------------------------------------------

void TJvCustomSpeedButton::NotifyGroupPressed() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage message;
  message.Msg = CM_JVBUTTONPRESSED;
  message.WParam = static_cast<WPARAM>(groupIndex_);
  message.LParam = reinterpret_cast<LPARAM>(static_cast<TObject*>(this));
  message.Result = 0;
  Parent()->Broadcast(message);
}

void TJvCustomSpeedButton::HandleGroupPressed(TMessage& Message) {
  if (static_cast<Integer>(Message.WParam) != groupIndex_ || !Parent() || !Parent()->HandleAllocated()) return;
  auto* sender = dynamic_cast<TJvCustomSpeedButton*>(reinterpret_cast<TObject*>(Message.LParam));
  if (!sender || sender == this) return;
  if (sender->Down() && down_) {
    down_ = false;
    drawState_ = sdsUp;
    Repaint();
  }
  allowAllUp_ = sender->AllowAllUp();
}

// --- Mouse ---------------------------------------------------------------------------

bool TJvCustomSpeedButton::insideClient(Integer X, Integer Y) {
  return X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
}

void TJvCustomSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (menuOpen_) return;
  TJvGraphicControl::MouseDown(Button, Shift, X, Y);
  if (!MouseInside() && Enabled()) {
    SetMouseInside(true);
    Invalidate();
  }
  if (Button == mbRight) UpdateMouseTracking();
  if (Button != mbLeft || !Enabled()) return;
  if (!down_) {
    drawState_ = sdsDown;
    Invalidate();
  }
  pressing_ = true;
  menuOpen_ = true;
  {
    ScopeExit atEnd([&] { menuOpen_ = false; });
    if (OpenDropDownMenu(DropDownMenuOrigin(), false)) {
      FinishPress(Button, X, Y);
      // The click that closed the menu over the button must not press it again.
      MSG next;
      if (PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE) &&
          (next.message == WM_LBUTTONDOWN || next.message == WM_LBUTTONDBLCLK)) {
        const TPoint at = ScreenToClient(Point(next.pt.x, next.pt.y));
        if (insideClient(at.x, at.y)) JvDiscardMessage(next.hwnd, next.message);
      }
    }
  }
  if (allowTimer_) {
    if (!autoRepeatTimer_) {
      autoRepeatTimer_ = New<TTimer>(this);
      autoRepeatTimer_->SetEnabled(false);
      autoRepeatTimer_->SetOnTimer(TNotifyEvent(this, &TJvCustomSpeedButton::RepeatTimerFired));
    }
    autoRepeatTimer_->SetInterval(initPause_);
    autoRepeatTimer_->SetEnabled(true);
  }
}

void TJvCustomSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TJvGraphicControl::MouseMove(Shift, X, Y);
  if (!pressing_) return;
  TSpeedButtonDrawState state = down_ ? sdsExclusive : sdsUp;
  if (insideClient(X, Y)) state = down_ ? sdsExclusive : sdsDown;
  if (state != drawState_) {
    drawState_ = state;
    Repaint();
  }
}

void TJvCustomSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TJvGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbRight) {
    UpdateMouseTracking();
    return;
  }
  FinishPress(Button, X, Y);
  if (autoRepeatTimer_) autoRepeatTimer_->SetEnabled(false);
}

void TJvCustomSpeedButton::FinishPress(TMouseButton Button, Integer X, Integer Y) {
  if (pressing_ && Button == mbLeft) {
    pressing_ = false;
    const bool inside = insideClient(X, Y);
    if (groupIndex_ == 0) {
      drawState_ = sdsUp;
      Perform(CM_MOUSELEAVE, 0, 0);
      Invalidate();
    } else if (inside) {
      SetDown(!down_);
      if (down_) Repaint();
    } else {
      if (down_) drawState_ = sdsExclusive;
      Repaint();
    }
    if (inside && !menuOpen_) Click();
  }
  UpdateMouseTracking();
}

void TJvCustomSpeedButton::WMLButtonDblClk(TWMMouse& Message) {
  if (menuOpen_) return;
  INHERITED_MESSAGE(Message);
  if (down_) DblClick();
}

void TJvCustomSpeedButton::RepeatTimerFired(TObject*) {
  autoRepeatTimer_->SetInterval(repeatInterval_);
  if (drawState_ != sdsDown || GetCaptureControl() != this) return;
  try {
    Click();
  } catch (...) {
    // A failing click must not keep repeating.
    if (autoRepeatTimer_) autoRepeatTimer_->SetEnabled(false);
    throw;
  }
}

// --- Drop-down menu ------------------------------------------------------------------

TPoint TJvCustomSpeedButton::DropDownMenuOrigin() {
  if (!dropDownMenu_) return Point(0, 0);
  const Integer w = Width(), h = Height();
  switch (dropDownMenu_->Alignment()) {
    case paLeft: return menuPosition_ == dmpBottom ? Point(-1, h) : Point(w, -1);
    case paRight: return menuPosition_ == dmpBottom ? Point(w + 1, h) : Point(-1, -1);
    case paCenter: return Point(w / 2, h);
  }
  return Point(0, 0);
}

bool TJvCustomSpeedButton::OpenDropDownMenu(const TPoint& Point, bool Manual) {
  if (ComponentState().Contains(csDesigning) || !dropDownMenu_) return false;
  if (!Manual && !dropDownMenu_->AutoPopup()) return false;
  if (TCustomForm* form = GetParentForm(this)) form->SendCancelMode(nullptr);
  dropDownMenu_->SetPopupComponent(this);
  const TPoint screen = ClientToScreen(Point);
  dropDownMenu_->Popup(screen.x, screen.y);
  return true;
}

// --- Painting ------------------------------------------------------------------------

void TJvCustomSpeedButton::WMPaint(TWMPaint& Message) {
  if (!doubleBuffered_) {
    INHERITED_MESSAGE(Message);
    return;
  }
  if (!Message.DC || Width() <= 0 || Height() <= 0) return;
  HDC real = Message.DC;
  HBITMAP bitmap = CreateCompatibleBitmap(real, Width(), Height());
  HDC memory = CreateCompatibleDC(real);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  const int saved = SaveDC(real);
  auto release = [&] {
    Message.DC = real;
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    DeleteObject(bitmap);
  };
  try {
    Message.DC = memory;
    INHERITED_MESSAGE(Message);
    RestoreDC(real, saved);
    JvBitBltForward(real, 0, 0, Width(), Height(), memory, 0, 0, SRCCOPY);
  } catch (...) {
    RestoreDC(real, saved);
    release();
    throw;
  }
  release();
}

void TJvCustomSpeedButton::Paint() {
  if (!Enabled()) {
    drawState_ = sdsDisabled;
    pressing_ = false;
  } else if (drawState_ == sdsDisabled) {
    drawState_ = down_ && groupIndex_ != 0 ? sdsExclusive : sdsUp;
  }
  const bool designing = ComponentState().Contains(csDesigning);
  const TSpeedButtonDrawState paintState = flat_ && !MouseInside() && !designing ? sdsInactive : drawState_;
  const TSpeedButtonDrawState glyphState =
      drawState_ == sdsDisabled || !grayedInactive_ ? drawState_ : paintState;
  const bool pressed = drawState_ == sdsDown || drawState_ == sdsExclusive;
  const bool hot = MouseInside() || pressing_;
  TCanvas* canvas = Canvas();
  const TRect client = Rect(0, 0, Width(), Height());
  TRect r = client;
  TPoint offset{0, 0};

  if (ThemeServices()->ThemesEnabled()) {
    if (transparent_) JvPaintParentImage(this, canvas);
    else JvEraseWithParent(this, canvas->Handle());
    canvas->SetFont(hotTrack_ && hot ? hotTrackFont_ : Font());
    TThemeServices* themes = ThemeServices();
    TThemedElementDetails details;
    if (flat_) {
      details = themes->GetElementDetails(!Enabled() ? ttbButtonDisabled
                                          : pressed  ? ttbButtonPressed
                                          : hot      ? ttbButtonHot
                                                     : ttbButtonNormal);
    } else {
      details = themes->GetElementDetails(!Enabled() ? tbPushButtonDisabled
                                          : pressed  ? tbPushButtonPressed
                                          : hot      ? tbPushButtonHot
                                                     : tbPushButtonNormal);
    }
    themes->DrawElement(canvas->Handle(), details, client);
    r = themes->ContentRect(canvas->Handle(), details, client);
    if (pressed) offset = Point(1, 0);
  } else {
    if (transparent_) {
      JvPaintParentImage(this, canvas);
    } else {
      canvas->Brush()->SetColor(Color());
      canvas->FillRect(client);
    }
    if (paintState != sdsInactive || drawState_ == sdsExclusive)
      r = JvDrawSpeedButtonFrame(canvas, client, pressed, flat_, style_, Color());
    else if (flat_)
      InflateRect(&r, -2, -2);
    if (drawState_ == sdsExclusive && !transparent_ && (!flat_ || paintState == sdsInactive)) {
      // A latched button shows a dithered face.
      TRect face = r;
      InflateRect(&face, 1, 1);
      canvas->Brush()->SetBitmap(AllocPatternBitmap(clBtnFace, clBtnHighlight));
      canvas->FillRect(face);
      canvas->Brush()->SetBitmap(nullptr);
    }
    if (pressed) offset = Point(1, 1);
    if (hotTrack_ && (hot || (hotFrameOptions_->Enabled() && down_))) {
      canvas->SetFont(hotTrackFont_);
      if (hotFrameOptions_->Enabled()) {
        TObjectPtr<TBitmap> checker;
        if (down_) {
          checker.reset(JvCreateCheckerPattern(hotFrameOptions_->Color(), clWindow));
          canvas->Brush()->SetBitmap(checker.get());
        } else {
          canvas->Brush()->SetColor(hotFrameOptions_->Color());
          canvas->Brush()->SetStyle(bsSolid);
        }
        canvas->Pen()->SetColor(hotFrameOptions_->FrameColor());
        canvas->Rectangle(client);
        canvas->Brush()->SetBitmap(nullptr);
      }
    } else {
      canvas->SetFont(Font());
    }
  }
  PaintContent(canvas, r, markDropDown_ && dropDownMenu_, glyphState, offset);
}

// =======================================================================================
// TJvImageSpeedButtonActionLink
// =======================================================================================

namespace {
TCustomAction* customActionOf(TBasicAction* Action) { return dynamic_cast<TCustomAction*>(Action); }
}  // namespace

bool TJvImageSpeedButtonActionLink::IsCheckedLinked() {
  auto* button = dynamic_cast<TJvCustomSpeedButton*>(client_);
  TCustomAction* action = customActionOf(Action());
  return TControlActionLink::IsCheckedLinked() && button && action && button->GroupIndex() != 0 &&
         button->AllowAllUp() && button->Down() == action->Checked();
}

bool TJvImageSpeedButtonActionLink::IsGroupIndexLinked() {
  auto* button = dynamic_cast<TJvCustomSpeedButton*>(client_);
  TCustomAction* action = customActionOf(Action());
  return TControlActionLink::IsGroupIndexLinked() && button && action &&
         button->GroupIndex() == action->GroupIndex();
}

bool TJvImageSpeedButtonActionLink::IsImageIndexLinked() {
  auto* button = dynamic_cast<TJvImageSpeedButton*>(client_);
  TCustomAction* action = customActionOf(Action());
  return TControlActionLink::IsImageIndexLinked() && button && action &&
         button->ImageIndex() == action->ImageIndex();
}

void TJvImageSpeedButtonActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) static_cast<TJvCustomSpeedButton*>(client_)->SetDown(Value);
}

void TJvImageSpeedButtonActionLink::SetGroupIndex(Integer Value) {
  if (IsGroupIndexLinked()) static_cast<TJvCustomSpeedButton*>(client_)->SetGroupIndex(Value);
}

void TJvImageSpeedButtonActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) static_cast<TJvImageSpeedButton*>(client_)->SetImageIndex(Value);
}

// =======================================================================================
// TJvImageSpeedButton
// =======================================================================================

TJvImageSpeedButton::TJvImageSpeedButton(TComponent* AOwner)
    : TJvCustomSpeedButton(AOwner), imageChangeLink_(new TChangeLink()) {
  imageChangeLink_->SetOnChange(TNotifyEvent(this, &TJvImageSpeedButton::imageListChange));
}

TJvImageSpeedButton::~TJvImageSpeedButton() {
  if (images_ && imageChangeLink_->Sender() == images_) images_->UnRegisterChanges(imageChangeLink_);
  delete imageChangeLink_;
}

void TJvImageSpeedButton::imageListChange(TObject*) {
  // The cached disabled and grayed images were made from the old pictures.
  ButtonGlyph()->ReleaseCachedGlyphs();
  Invalidate();
}

bool TJvImageSpeedButton::hotTrackImageShown() {
  return HotTrack() && (MouseInside() || Pressing()) && hotTrackImageIndex_ != -1;
}

void TJvImageSpeedButton::SetImages(TCustomImageList* Value) {
  if (images_ && imageChangeLink_->Sender() == images_) images_->UnRegisterChanges(imageChangeLink_);
  images_ = Value;
  ButtonGlyph()->ReleaseCachedGlyphs();
  if (images_) {
    images_->RegisterChanges(imageChangeLink_);
    images_->FreeNotification(this);
  } else {
    SetImageIndex(-1);
  }
  Invalidate();
}

void TJvImageSpeedButton::SetImageIndex(TImageIndex Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  if (!hotTrackImageShown()) Invalidate();
}

void TJvImageSpeedButton::SetHotTrackImageIndex(TImageIndex Value) {
  if (Value == hotTrackImageIndex_) return;
  hotTrackImageIndex_ = Value;
  if (hotTrackImageShown()) Invalidate();
}

bool TJvImageSpeedButton::IsImageIndexStored() {
  return !ActionLink() || !ActionLink()->IsImageIndexLinked();
}

void TJvImageSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TJvCustomSpeedButton::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != images_) return;
  // The list is going and has already let go of its change links: only forget it.
  images_ = nullptr;
  ButtonGlyph()->ReleaseCachedGlyphs();
  SetImageIndex(-1);
  Invalidate();
}

TClass TJvImageSpeedButton::GetActionLinkClass() { return TJvImageSpeedButtonActionLink::StaticClass(); }

void TJvImageSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TJvCustomSpeedButton::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (action->ActionList() && (!CheckDefaults || !images_)) SetImages(action->ActionList()->Images());
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
}

void TJvImageSpeedButton::PaintContent(TCanvas* Canvas, const TRect& Rect, bool PopupMark,
                                       TSpeedButtonDrawState State, const TPoint& Offset) {
  const TImageIndex index = hotTrackImageShown() ? hotTrackImageIndex_ : imageIndex_;
  static const Integer alignmentFlags[] = {0, DT_RIGHT, DT_CENTER};
  const Integer flags = DrawTextBiDiModeFlags(alignmentFlags[Alignment()]);
  ButtonGlyph()->DrawAll(Canvas, Rect, Offset, Caption(), Layout(), Margin(), Spacing(), PopupMark, images_, index,
                         State, flags);
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TJvSpeedButtonHotTrackOptions)
  using T = TJvSpeedButtonHotTrackOptions;
  PUBLISH(Enabled).Default(false);
  PUBLISH(Color).Default(TColor(0xD2BDB6));
  PUBLISH(FrameColor).Default(TColor(0x6A240A));
RTL_END_CLASS

RTL_BEGIN_CLASS(TJvCustomSpeedButton)
  b.Message(WM_PAINT, &TJvCustomSpeedButton::WMPaint);
  b.Message(WM_LBUTTONDBLCLK, &TJvCustomSpeedButton::WMLButtonDblClk);
  b.Message(CM_SYSCOLORCHANGE, &TJvCustomSpeedButton::CMSysColorChange);
  b.Message(CM_JVBUTTONPRESSED, &TJvCustomSpeedButton::HandleGroupPressed);
  using T = TJvCustomSpeedButton;
  PUBLISH(AllowAllUp).Default(false);
  PUBLISH(GroupIndex).Default(0);
  PUBLISH(Down).Default(false);
  PUBLISH(AllowTimer).Default(false);
  PUBLISH(InitPause).Default(500);
  PUBLISH(RepeatInterval).Default(100);
  PUBLISH(DropDownMenu);
  PUBLISH(MenuPosition).Default(dmpBottom);
  PUBLISH(MarkDropDown).Default(true);
  PUBLISH(Flat).Default(false);
  PUBLISH(Transparent).Default(false);
  PUBLISH(Style).Default(bsAutoDetect);
  PUBLISH(Layout).Default(blGlyphTop);
  PUBLISH(Margin).Default(-1);
  PUBLISH(Spacing).Default(1);
  PUBLISH(Alignment).Default(taCenter);
  PUBLISH(WordWrap).Default(false);
  PUBLISH(GrayNewStyle).Default(true);
  PUBLISH(GrayedInactive).Default(true);
  PUBLISH(HotTrack).Default(false);
  PUBLISH(HotTrackFont);
  PUBLISH(HotTrackFontOptions).Default(TJvTrackFontOptions{hoFollowFont, hoPreserveColor, hoPreserveStyle});
  PUBLISH(HotFrameOptions);
  PUBLISH(ModalResult).Default(0);
  PUBLISH(HintColor).Default(clDefault);
  PUBLISH(OnMouseEnter);
  PUBLISH(OnMouseLeave);
  PUBLISH(OnParentColorChange);
  // What every control of the library publishes.
  PUBLISH(Action);
  publishPlacement(b);
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(Color).Default(clBtnFace).Stored(&T::IsColorStored);
  PUBLISH(Constraints);
  publishDragProperties(b);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(ParentBiDiMode).Default(true);
  PUBLISH(ParentColor).Default(false);
  PUBLISH(ParentFont).Default(true);
  PUBLISH(ParentShowHint).Default(false);
  PUBLISH(PopupMenu);
  PUBLISH(ShowHint).Default(true);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
  PUBLISH(OnDblClick);
  publishDragEvents(b);
  publishMouseEvents(b);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TJvImageSpeedButtonActionLink)

RTL_BEGIN_CLASS(TJvImageSpeedButton)
  using T = TJvImageSpeedButton;
  PUBLISH(Images);
  PUBLISH(ImageIndex).Default(-1).Stored(&T::IsImageIndexStored);
  PUBLISH(HotTrackImageIndex).Default(-1);
RTL_END_CLASS

namespace JvSpeedButtonUnit {

namespace {
std::vector<TClass> unitClasses() { return {TJvImageSpeedButton::StaticClass()}; }
}  // namespace

void Initialize() { RegisterClasses(unitClasses()); }

void Finalize() { UnRegisterClasses(unitClasses()); }

}  // namespace JvSpeedButtonUnit
