// Buttons: glyph buttons and the button face.
#include "platform/gui/Buttons.h"

#include <algorithm>

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"
#include "platform/gui/Themes.h"

// =======================================================================================
// Button face
// =======================================================================================

TRect DrawButtonFace(TCanvas* Canvas, const TRect& Client, Integer BevelWidth, TButtonStyle Style, bool IsRounded,
                     bool IsDown, bool IsFocused) {
  TRect r = Client;
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetColor(clWindowFrame);
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Rectangle(r);
  if (Style == bsWin31) {
    if (IsRounded) {
      Canvas->SetPixels(r.left, r.top, clBtnFace);
      Canvas->SetPixels(r.left, r.bottom - 1, clBtnFace);
      Canvas->SetPixels(r.right - 1, r.top, clBtnFace);
      Canvas->SetPixels(r.right - 1, r.bottom - 1, clBtnFace);
    }
    if (IsFocused) {
      InflateRect(r, -1, -1);
      Canvas->Brush()->SetStyle(bsClear);
      Canvas->Rectangle(r);
    }
    InflateRect(r, -1, -1);
    if (!IsDown) {
      Frame3D(Canvas, r, clBtnHighlight, clBtnShadow, BevelWidth);
    } else {
      Canvas->Pen()->SetColor(clBtnShadow);
      Canvas->Polyline({Point(r.left, r.bottom - 1), Point(r.left, r.top), Point(r.right, r.top)});
    }
  } else {
    InflateRect(r, -1, -1);
    if (IsDown) {
      Canvas->Pen()->SetColor(clBtnShadow);
      Canvas->Polyline({Point(r.left, r.bottom - 1), Point(r.left, r.top), Point(r.right, r.top)});
    } else {
      // The raised look of the newer buttons: light top-left, a shadow inside the dark
      // bottom-right edge.
      Frame3D(Canvas, r, clBtnHighlight, clBtnShadow, BevelWidth);
    }
  }
  TRect face = Rect(Client.left + 1, Client.top + 1, Client.right - 2, Client.bottom - 2);
  if (IsDown) OffsetRect(face, 1, 1);
  return face;
}

// =======================================================================================
// Glyphs
// =======================================================================================

// The glyph of a button: the bitmap with its NumGlyphs images, and the drawing of the
// image of a state with the caption beside it.
class TButtonGlyph {
public:
  TButtonGlyph() {
    original_ = new TBitmap();
    original_->SetOnChange(TNotifyEvent(&sink_, &Sink::changed));
  }
  ~TButtonGlyph() { delete original_; }
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  TBitmap* Glyph() const { return original_; }
  void SetGlyph(TBitmap* Value) {
    original_->Assign(Value);
    // A bitmap as wide as a whole number of squares holds that many images (up to four).
    if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
      Integer glyphs = Value->Width() / Value->Height();
      numGlyphs_ = glyphs > 4 ? 1 : std::max(1, glyphs);
    }
    changed();
  }
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs Value) {
    Value = std::clamp(Value, 1, 4);
    if (numGlyphs_ == Value) return;
    numGlyphs_ = Value;
    changed();
  }
  void SetOnChange(const std::function<void()>& Value) { sink_.onChange = Value; }

  // Draws the caption and the image of State in Client (moved by Offset); returns the
  // caption's rectangle.
  TRect Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption, TButtonLayout Layout,
             Integer Margin, Integer Spacing, TButtonState State, bool Transparent, Integer BiDiFlags) {
    TPoint glyphPos{0, 0};
    TRect textBounds{0, 0, 0, 0};
    calcLayout(Canvas, Client, Offset, Caption, Layout, Margin, Spacing, glyphPos, textBounds, BiDiFlags);
    drawImage(Canvas, glyphPos, State);
    drawCaption(Canvas, Caption, textBounds, State, BiDiFlags);
    return textBounds;
  }

private:
  struct Sink : public TObject {
    std::function<void()> onChange;
    void changed(TObject*) {
      if (onChange) onChange();
    }
  };

  void changed() {
    if (sink_.onChange) sink_.onChange();
  }

  TSize glyphSize() const {
    if (original_->Empty()) return TSize{0, 0};
    return TSize{original_->Width() / numGlyphs_, original_->Height()};
  }

  void calcLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset, const std::string& Caption,
                  TButtonLayout Layout, Integer Margin, Integer Spacing, TPoint& GlyphPos, TRect& TextBounds,
                  Integer BiDiFlags) {
    TPoint clientSize{Client.right - Client.left, Client.bottom - Client.top};
    TSize glyph = glyphSize();
    TPoint textSize{0, 0};
    if (!Caption.empty()) {
      TextBounds = Rect(0, 0, clientSize.x, 0);
      Canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid});
      DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &TextBounds,
                DT_CALCRECT | BiDiFlags);
      textSize = Point(TextBounds.right - TextBounds.left, TextBounds.bottom - TextBounds.top);
    } else {
      TextBounds = Rect(0, 0, 0, 0);
    }
    TPoint textPos{0, 0};
    bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    // Glyph and text are centred across the direction they are laid out in.
    if (horizontal) {
      GlyphPos.y = (clientSize.y - glyph.cy + 1) / 2;
      textPos.y = (clientSize.y - textSize.y + 1) / 2;
    } else {
      GlyphPos.x = (clientSize.x - glyph.cx + 1) / 2;
      textPos.x = (clientSize.x - textSize.x + 1) / 2;
    }
    if (textSize.x == 0 || glyph.cx == 0) Spacing = 0;
    Integer total = horizontal ? glyph.cx + textSize.x : glyph.cy + textSize.y;
    Integer room = horizontal ? clientSize.x : clientSize.y;
    if (Margin == -1) {
      if (Spacing == -1) {
        // Margin, glyph, spacing, text and margin share the room evenly.
        Margin = (room - total) / 3;
        Spacing = Margin;
      } else {
        Margin = (room - (total + Spacing) + 1) / 2;
      }
    } else if (Spacing == -1) {
      Integer glyphExtent = horizontal ? glyph.cx : glyph.cy;
      Integer textExtent = horizontal ? textSize.x : textSize.y;
      Spacing = (room - (Margin + glyphExtent) - textExtent) / 2;
    }
    switch (Layout) {
      case blGlyphLeft:
        GlyphPos.x = Margin;
        textPos.x = GlyphPos.x + glyph.cx + Spacing;
        break;
      case blGlyphRight:
        GlyphPos.x = clientSize.x - Margin - glyph.cx;
        textPos.x = GlyphPos.x - Spacing - textSize.x;
        break;
      case blGlyphTop:
        GlyphPos.y = Margin;
        textPos.y = GlyphPos.y + glyph.cy + Spacing;
        break;
      case blGlyphBottom:
        GlyphPos.y = clientSize.y - Margin - glyph.cy;
        textPos.y = GlyphPos.y - Spacing - textSize.y;
        break;
    }
    GlyphPos.x += Client.left + Offset.x;
    GlyphPos.y += Client.top + Offset.y;
    OffsetRect(TextBounds, textPos.x + Client.left + Offset.x, textPos.y + Client.top + Offset.y);
  }

  void drawImage(TCanvas* Canvas, TPoint Pos, TButtonState State) {
    TSize size = glyphSize();
    if (size.cx == 0 || size.cy == 0) return;
    Integer index = static_cast<Integer>(State);
    bool makeDisabled = State == bsDisabled && numGlyphs_ < 2;
    if (index >= numGlyphs_) index = 0;
    TObjectPtr<TBitmap> image(new TBitmap());
    image->SetPixelFormat(pf24bit);
    image->SetSize(size.cx, size.cy);
    image->Canvas()->CopyRect(Rect(0, 0, size.cx, size.cy), original_->Canvas(),
                              Bounds(index * size.cx, 0, size.cx, size.cy));
    auto transparent = static_cast<COLORREF>(ColorToRGB(static_cast<TColor>(original_->TransparentColor() & 0xFFFFFF)));
    HDC dc = Canvas->Handle();
    if (makeDisabled) {
      // The dark pixels of the image, embossed: a light copy below right, a shadow above.
      COLORREF light = static_cast<COLORREF>(ColorToRGB(clBtnHighlight));
      COLORREF shadow = static_cast<COLORREF>(ColorToRGB(clBtnShadow));
      HDC src = image->Canvas()->Handle();
      for (int pass = 0; pass < 2; ++pass)
        for (Integer y = 0; y < size.cy; ++y)
          for (Integer x = 0; x < size.cx; ++x) {
            COLORREF c = GetPixel(src, x, y);
            if (c == transparent) continue;
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) >= 3 * 0xC0) continue;
            if (pass == 0) SetPixel(dc, Pos.x + x + 1, Pos.y + y + 1, light);
            else SetPixel(dc, Pos.x + x, Pos.y + y, shadow);
          }
      return;
    }
    TransparentBlt(dc, Pos.x, Pos.y, size.cx, size.cy, image->Canvas()->Handle(), 0, 0, size.cx, size.cy,
                   transparent);
  }

  void drawCaption(TCanvas* Canvas, const std::string& Caption, TRect TextBounds, TButtonState State,
                   Integer BiDiFlags) {
    if (Caption.empty()) return;
    Canvas->Brush()->SetStyle(bsClear);
    UINT flags = DT_CENTER | DT_VCENTER | static_cast<UINT>(BiDiFlags);
    auto draw = [&](TColor color) {
      Canvas->Font()->SetColor(color);
      Canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
      DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &TextBounds, flags);
    };
    if (State == bsDisabled) {
      OffsetRect(TextBounds, 1, 1);
      draw(clBtnHighlight);
      OffsetRect(TextBounds, -1, -1);
      draw(clBtnShadow);
    } else {
      Canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
      DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &TextBounds, flags);
    }
  }

  TBitmap* original_;
  TNumGlyphs numGlyphs_ = 1;
  Sink sink_;
};

namespace {

const char* kindCaption(TBitBtnKind Kind) {
  static const char* const captions[] = {"",     "OK",      "Cancel", "&Help",   "&Yes", "&No",
                                         "&Close", "Abort", "&Retry", "&Ignore", "&All"};
  return captions[Kind];
}

TModalResult kindModalResult(TBitBtnKind Kind) {
  static const TModalResult results[] = {mrNone, mrOk,    mrCancel, mrNone,   mrYes, mrNo,
                                         mrNone, mrAbort, mrRetry,  mrIgnore, mrAll};
  return results[Kind];
}

// The glyph of a standard kind, drawn here: a check for OK and Yes, a cross for Cancel,
// No and Abort, a question mark for Help ... on an olive background (the transparent
// colour). Two images: enabled, and disabled (grey).
void drawKindGlyph(TBitBtnKind Kind, TBitmap* Bitmap) {
  const Integer size = 16;
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(size * 2, size);
  TCanvas* c = Bitmap->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(Rect(0, 0, size * 2, size));
  for (Integer image = 0; image < 2; ++image) {
    Integer x = image * size;
    bool grey = image == 1;
    auto pen = [&](TColor color, Integer width) {
      c->Pen()->SetColor(grey ? clGray : color);
      c->Pen()->SetWidth(width);
    };
    switch (Kind) {
      case bkOK:
      case bkYes:
        pen(clGreen, 3);
        c->Polyline({Point(x + 3, 8), Point(x + 6, 11), Point(x + 12, 4)});
        break;
      case bkAll:
        pen(clGreen, 2);
        c->Polyline({Point(x + 1, 8), Point(x + 4, 11), Point(x + 9, 4)});
        c->Polyline({Point(x + 6, 8), Point(x + 9, 11), Point(x + 14, 4)});
        break;
      case bkCancel:
      case bkNo:
      case bkAbort:
        pen(clRed, 3);
        c->MoveTo(x + 4, 4);
        c->LineTo(x + 12, 12);
        c->MoveTo(x + 12, 4);
        c->LineTo(x + 4, 12);
        break;
      case bkHelp:
        c->Font()->SetColor(grey ? clGray : clNavy);
        c->Font()->SetStyle(TFontStyles{fsBold});
        c->Font()->SetHeight(-13);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(x + 4, 1, "?");
        c->Brush()->SetStyle(bsSolid);
        break;
      case bkClose:
        pen(clNavy, 1);
        c->Brush()->SetColor(grey ? clSilver : clTeal);
        c->Rectangle(x + 3, 2, x + 11, 14);
        pen(clBlack, 2);
        c->MoveTo(x + 8, 8);
        c->LineTo(x + 15, 8);
        break;
      case bkRetry:
        pen(clGreen, 2);
        c->Brush()->SetStyle(bsClear);
        c->Arc(x + 3, 3, x + 13, 13, x + 13, 8, x + 8, 3);
        c->Brush()->SetStyle(bsSolid);
        c->Polyline({Point(x + 11, 2), Point(x + 8, 3), Point(x + 10, 6)});
        break;
      case bkIgnore:
        pen(clNavy, 2);
        c->MoveTo(x + 3, 8);
        c->LineTo(x + 13, 8);
        break;
      case bkCustom:
        break;
    }
  }
}

}  // namespace

// =======================================================================================
// TBitBtn
// =======================================================================================

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {
  glyph_ = new TButtonGlyph();
  glyph_->SetOnChange([this] { glyphChanged(this); });
  canvas_ = MakeControlCanvas(this);
  controlStyle_ += TControlStyle{csReflector};
}

TBitBtn::~TBitBtn() {
  delete glyph_;
}

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  // The button type bits give way to owner drawing (a default look is drawn here).
  Params.Style = (Params.Style & ~0x0Fu) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool ADefault) {
  if (ADefault == isFocused_) return;
  isFocused_ = ADefault;
  Refresh();
}

void TBitBtn::CNMeasureItem(TWMMeasureItem& Message) {
  Message.MeasureItemStruct->itemWidth = static_cast<UINT>(Width());
  Message.MeasureItemStruct->itemHeight = static_cast<UINT>(Height());
  Message.Result = 1;
}

void TBitBtn::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  TRect r = ClientRect();
  bool isDown = (dis.itemState & ODS_SELECTED) != 0;
  bool isDefault = isFocused_;
  bool hasFocus = (dis.itemState & ODS_FOCUS) != 0;
  TButtonState state = !Enabled() ? bsDisabled : isDown ? bsDown : bsUp;
  canvas_->SetHandle(dis.hDC);
  TThemeServices* themes = ThemeServices();
  if (themes->ThemesEnabled()) {
    TThemedButton element = !Enabled() ? tbPushButtonDisabled : isDown ? tbPushButtonPressed
                            : isDefault ? tbPushButtonDefaulted : tbPushButtonNormal;
    TThemedElementDetails details = themes->GetElementDetails(element);
    themes->DrawParentBackground(WindowHandle(), dis.hDC, &details, true);
    themes->DrawElement(dis.hDC, details, r);
    r = themes->ContentRect(dis.hDC, details, r);
  } else if (style_ == bsWin31 || style_ == bsNew) {
    r = DrawButtonFace(canvas_.get(), r, 1, style_, true, isDown, isDefault || hasFocus);
  } else {
    UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (isDown) flags |= DFCS_PUSHED;
    if (dis.itemState & ODS_DISABLED) flags |= DFCS_INACTIVE;
    // The default button has a dark outline the frame control does not draw.
    if (hasFocus || isDefault) {
      canvas_->Pen()->SetColor(clWindowFrame);
      canvas_->Pen()->SetWidth(1);
      canvas_->Brush()->SetStyle(bsClear);
      canvas_->Rectangle(r);
      InflateRect(r, -1, -1);
    }
    if (isDown) {
      canvas_->Pen()->SetColor(clBtnShadow);
      canvas_->Brush()->SetStyle(bsSolid);
      canvas_->Brush()->SetColor(clBtnFace);
      canvas_->Rectangle(r);
      InflateRect(r, -1, -1);
    } else {
      DrawFrameControl(dis.hDC, &r, DFC_BUTTON, flags);
    }
  }
  if (isDown && !themes->ThemesEnabled()) OffsetRect(r, 1, 1);
  canvas_->SetFont(Font());
  glyph_->Draw(canvas_.get(), r, Point(0, 0), Caption(), layout_, margin_, spacing_, state, false, DrawTextBiDiModeFlags(0));
  if (hasFocus) {
    TRect focus = ClientRect();
    InflateRect(focus, -4, -4);
    canvas_->Pen()->SetColor(clWindowFrame);
    canvas_->Brush()->SetColor(clBtnFace);
    DrawFocusRect(dis.hDC, &focus);
  }
  canvas_->SetHandle(nullptr);
  Message.Result = 1;
}

void TBitBtn::WMLButtonDblClk(TWMMouse& Message) {
  // A quick second click is one more click of the button.
  Perform(WM_LBUTTONDOWN, Message.Keys, PointToLParam(Point(Message.XPos, Message.YPos)));
}

void TBitBtn::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TBitBtn::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TBitBtn::CMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TBitBtn::Click() {
  switch (kind_) {
    case bkClose:
      if (TCustomForm* form = GetParentForm(this)) {
        form->Close();
        return;
      }
      break;
    case bkHelp: {
      TControl* control = this;
      while (control && control->HelpContext() == 0) control = control->Parent();
      if (control && Application) {
        Application->HelpContext(control->HelpContext());
        return;
      }
      break;
    }
    default:
      break;
  }
  TButton::Click();
}

TBitmap* TBitBtn::Glyph() const { return glyph_->Glyph(); }

void TBitBtn::SetGlyph(TBitmap* Value) {
  glyph_->SetGlyph(Value);
  modifiedGlyph_ = true;
  Invalidate();
}

void TBitBtn::glyphChanged(TObject*) { Invalidate(); }

TNumGlyphs TBitBtn::NumGlyphs() const { return glyph_->NumGlyphs(); }

void TBitBtn::SetNumGlyphs(TNumGlyphs Value) {
  glyph_->SetNumGlyphs(Value);
  Invalidate();
}

TBitBtnKind TBitBtn::Kind() {
  // A standard button changed by hand (default, cancel, result or glyph) is a custom one.
  if (kind_ != bkCustom) {
    bool wantsDefault = kind_ == bkOK || kind_ == bkYes;
    bool wantsCancel = kind_ == bkCancel || kind_ == bkNo;
    if (wantsDefault != Default() || wantsCancel != Cancel() || ModalResult() != kindModalResult(kind_) ||
        modifiedGlyph_)
      kind_ = bkCustom;
  }
  return kind_;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (Value == kind_) return;
  if (Value != bkCustom) {
    SetDefault(Value == bkOK || Value == bkYes);
    SetCancel(Value == bkCancel || Value == bkNo);
    if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(kindCaption(Value));
    SetModalResult(kindModalResult(Value));
    TObjectPtr<TBitmap> glyph(new TBitmap());
    drawKindGlyph(Value, glyph.get());
    glyph_->SetGlyph(glyph.get());
    glyph_->SetNumGlyphs(2);
    modifiedGlyph_ = false;
  }
  kind_ = Value;
  Invalidate();
}

bool TBitBtn::IsCustom() { return Kind() == bkCustom; }

bool TBitBtn::IsCustomCaption() { return Caption() != kindCaption(kind_); }

void TBitBtn::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TBitBtn::SetMargin(Integer Value) {
  if (margin_ == Value || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TBitBtn::SetSpacing(Integer Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}

void TBitBtn::SetStyle(TButtonStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TBitBtn::ActionChange(TObject* Sender, bool CheckDefaults) {
  TButton::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || !action->ActionList() || !action->ActionList()->Images() || action->ImageIndex() < 0) return;
  if (CheckDefaults && !Glyph()->Empty()) return;
  TCustomImageList* images = action->ActionList()->Images();
  if (action->ImageIndex() >= images->Count()) return;
  TObjectPtr<TBitmap> bitmap(new TBitmap());
  images->GetBitmap(action->ImageIndex(), bitmap.get());
  SetGlyph(bitmap.get());
  SetNumGlyphs(1);
}

// =======================================================================================
// TSpeedButton
// =======================================================================================

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
  width_ = 23;
  height_ = 22;
  SetColor(clBtnFace);
  SetParentColor(true);
  glyph_ = new TButtonGlyph();
  glyph_->SetOnChange([this] { glyphChanged(this); });
}

TSpeedButton::~TSpeedButton() { delete glyph_; }

TBitmap* TSpeedButton::Glyph() const { return glyph_->Glyph(); }

void TSpeedButton::SetGlyph(TBitmap* Value) {
  glyph_->SetGlyph(Value);
  Invalidate();
}

void TSpeedButton::glyphChanged(TObject*) { Invalidate(); }

TNumGlyphs TSpeedButton::NumGlyphs() const { return glyph_->NumGlyphs(); }

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
  glyph_->SetNumGlyphs(Value);
  Invalidate();
}

void TSpeedButton::Paint() {
  if (!Enabled()) {
    state_ = bsDisabled;
    dragging_ = false;
  } else if (state_ == bsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
  }
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  TRect paintRect = Rect(0, 0, Width(), Height());
  bool pressed = state_ == bsDown || state_ == bsExclusive;
  TThemeServices* themes = ThemeServices();
  if (themes->ThemesEnabled()) {
    TThemedToolBar element = !Enabled() ? ttbButtonDisabled
                             : pressed ? ttbButtonPressed
                             : mouseInControl_ ? ttbButtonHot
                                               : ttbButtonNormal;
    TThemedElementDetails details;
    if (flat_) {
      details = themes->GetElementDetails(element);
    } else {
      TThemedButton button = !Enabled() ? tbPushButtonDisabled : pressed ? tbPushButtonPressed
                             : mouseInControl_ ? tbPushButtonHot : tbPushButtonNormal;
      details = themes->GetElementDetails(button);
    }
    if (!transparent_ || !flat_) {
      canvas->Brush()->SetColor(Color());
      canvas->FillRect(paintRect);
    }
    themes->DrawElement(canvas->Handle(), details, paintRect);
    paintRect = themes->ContentRect(canvas->Handle(), details, paintRect);
  } else if (!flat_) {
    UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (pressed) flags |= DFCS_PUSHED;
    DrawFrameControl(canvas->Handle(), &paintRect, DFC_BUTTON, flags);
  } else {
    if (pressed || (mouseInControl_ && state_ != bsDisabled) || ComponentState().Contains(csDesigning)) {
      DrawEdge(canvas->Handle(), &paintRect, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
               (transparent_ ? 0u : static_cast<UINT>(BF_MIDDLE)) | BF_RECT);
    } else if (!transparent_) {
      canvas->Brush()->SetColor(Color());
      canvas->FillRect(paintRect);
    }
    InflateRect(paintRect, -1, -1);
  }
  TPoint offset{0, 0};
  if (pressed) {
    // A button stuck down (of a group) shows a dithered face while the mouse is elsewhere.
    if (state_ == bsExclusive && (!flat_ || !mouseInControl_) && !themes->ThemesEnabled()) {
      canvas->Brush()->SetBitmap(AllocPatternBitmap(clBtnFace, clBtnHighlight));
      canvas->FillRect(paintRect);
      canvas->Brush()->SetBitmap(nullptr);
    }
    offset = Point(1, 1);
  }
  glyph_->Draw(canvas, paintRect, offset, Caption(), layout_, margin_, spacing_, state_, transparent_,
               DrawTextBiDiModeFlags(0));
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
  TButtonState newState = inside ? (down_ ? bsExclusive : bsDown) : (down_ ? bsExclusive : bsUp);
  if (newState != state_) {
    state_ = newState;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_) return;
  dragging_ = false;
  bool doClick = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
  if (groupIndex_ == 0) {
    state_ = bsUp;
    Invalidate();
  } else if (doClick) {
    SetDown(!down_);
    if (down_) Repaint();
  } else {
    if (down_) state_ = bsExclusive;
    Repaint();
  }
  if (doClick) Click();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::updateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage message;
  message.Msg = CM_BUTTONPRESSED;
  message.WParam = static_cast<WPARAM>(groupIndex_);
  message.LParam = reinterpret_cast<LPARAM>(this);
  message.Result = 0;
  Parent()->Broadcast(message);
}

void TSpeedButton::SetDown(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (Value == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = Value;
  if (Value) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
    updateExclusive();
  } else {
    state_ = bsUp;
    Repaint();
  }
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (allowAllUp_ == Value) return;
  allowAllUp_ = Value;
  updateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(Integer Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  updateExclusive();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(Integer Value) {
  if (margin_ == Value || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(Integer Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  if (Value) controlStyle_.Exclude(csOpaque);
  else controlStyle_.Include(csOpaque);
  Invalidate();
}

void TSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  if (down_) updateExclusive();
}

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TGraphicControl::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (!CheckDefaults || groupIndex_ == 0) SetGroupIndex(action->GroupIndex());
  if (!CheckDefaults || !down_) SetDown(action->Checked());
}

void TSpeedButton::CMButtonPressed(TMessage& Message) {
  if (static_cast<Integer>(Message.WParam) != groupIndex_) return;
  auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
  if (sender == this) return;
  if (sender->Down() && down_) {
    down_ = false;
    state_ = bsUp;
    if (auto* action = dynamic_cast<TCustomAction*>(Action())) action->SetChecked(false);
    Invalidate();
  }
  allowAllUp_ = sender->AllowAllUp();
}

void TSpeedButton::CMDialogChar(TCMDialogChar& Message) {
  if (IsAccel(Message.CharCode, Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
    Click();
    Message.Result = 1;
  }
}

void TSpeedButton::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TSpeedButton::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

void TSpeedButton::CMTextChanged(TMessage&) { Invalidate(); }

void TSpeedButton::CMMouseEnter(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!mouseInControl_ && Enabled()) {
    mouseInControl_ = true;
    if (flat_ || ThemeServices()->ThemesEnabled()) Repaint();
  }
}

void TSpeedButton::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (mouseInControl_) {
    mouseInControl_ = false;
    if (flat_ || ThemeServices()->ThemesEnabled()) Invalidate();
  }
}

void TSpeedButton::CMSysColorChange(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

// =======================================================================================
// Class descriptors
// =======================================================================================

RTL_BEGIN_CLASS(TBitBtn)
  b.Message(CN_DRAWITEM, &TBitBtn::CNDrawItem);
  b.Message(CN_MEASUREITEM, &TBitBtn::CNMeasureItem);
  b.Message(WM_LBUTTONDBLCLK, &TBitBtn::WMLButtonDblClk);
  b.Message(CM_FONTCHANGED, &TBitBtn::CMFontChanged);
  b.Message(CM_ENABLEDCHANGED, &TBitBtn::CMEnabledChanged);
  b.Message(CM_SYSCOLORCHANGE, &TBitBtn::CMSysColorChange);
  using T = TBitBtn;
  PUBLISH(Glyph).Stored(&T::IsCustom);
  PUBLISH(Kind).Default(bkCustom);
  PUBLISH(Layout).Default(blGlyphLeft);
  PUBLISH(Margin).Default(-1);
  PUBLISH(NumGlyphs).Default(1).Stored(&T::IsCustom);
  PUBLISH(Style).Default(bsAutoDetect);
  PUBLISH(Spacing).Default(4);
RTL_END_CLASS

RTL_BEGIN_CLASS(TSpeedButton)
  b.Message(CM_BUTTONPRESSED, &TSpeedButton::CMButtonPressed);
  b.Message(CM_DIALOGCHAR, &TSpeedButton::CMDialogChar);
  b.Message(CM_ENABLEDCHANGED, &TSpeedButton::CMEnabledChanged);
  b.Message(CM_FONTCHANGED, &TSpeedButton::CMFontChanged);
  b.Message(CM_TEXTCHANGED, &TSpeedButton::CMTextChanged);
  b.Message(CM_MOUSEENTER, &TSpeedButton::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TSpeedButton::CMMouseLeave);
  b.Message(CM_SYSCOLORCHANGE, &TSpeedButton::CMSysColorChange);
  using T = TSpeedButton;
  PUBLISH(Action);
  PUBLISH(AllowAllUp).Default(false);
  publishPlacement(b);
  PUBLISH(BiDiMode).Stored(&T::IsBiDiModeStored);
  PUBLISH(Constraints);
  PUBLISH(GroupIndex).Default(0);
  PUBLISH(Down).Default(false);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(Flat).Default(false);
  PUBLISH(Font).Stored(&T::IsFontStored);
  PUBLISH(Glyph);
  PUBLISH(Layout).Default(blGlyphLeft);
  PUBLISH(Margin).Default(-1);
  PUBLISH(NumGlyphs).Default(1);
  publishParentFlags(b);
  PUBLISH(PopupMenu);
  PUBLISH(ShowHint).Stored(&T::IsShowHintStored);
  PUBLISH(Spacing).Default(4);
  PUBLISH(Transparent).Default(true);
  PUBLISH(Visible).Default(true).Stored(&T::IsVisibleStored);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
  PUBLISH(OnDblClick);
  publishMouseEvents(b);
RTL_END_CLASS

namespace ButtonsUnit {

void Initialize() {
  RegisterClass(TBitBtn::StaticClass());
  RegisterClass(TSpeedButton::StaticClass());
}

void Finalize() {
  UnRegisterClass(TBitBtn::StaticClass());
  UnRegisterClass(TSpeedButton::StaticClass());
}

}  // namespace ButtonsUnit
