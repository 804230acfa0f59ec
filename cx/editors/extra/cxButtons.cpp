#include "cx/editors/extra/cxButtons.h"

#include <algorithm>

#include "cx/foundation/dxThemeManager.h"
#include "cx/foundation/dxUxTheme.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPublish.h"

namespace {

// The raster operation that paints the brush where the source is black (text colour
// black, background white): D = (D xor P) and S xor P.
constexpr DWORD ropDSPDxax = 0x00E20746;

std::unique_ptr<TcxGlyphCache>& glyphCacheSlot() {
  static std::unique_ptr<TcxGlyphCache> cache;
  return cache;
}

// Image roles of the strip.
constexpr Integer roleUp = 0;
constexpr Integer roleDisabled = 1;
constexpr Integer roleDown = 2;

}  // namespace

TcxGlyphCache* cxGlyphCache() { return glyphCacheSlot().get(); }

// ---------------------------------------------------------------------------------------
// Colours.

void TcxButtonColors::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxButtonColors*>(Source)) {
    for (Integer i = 0; i < 5; ++i) FColors[i] = src->FColors[i];
    FAssignedColors = src->FAssignedColors;
    ownerChanged();
    return;
  }
  TPersistent::Assign(Source);
}

void TcxButtonColors::SetColor(TcxButtonState AState, TColor Value) {
  Integer i = static_cast<Integer>(AState);
  if (Value == clNone || Value == clDefault) {
    FColors[i] = clDefault;
    FAssignedColors.Exclude(AState);
    ownerChanged();
  } else if (FColors[i] != Value) {
    FColors[i] = Value;
    FAssignedColors.Include(AState);
    ownerChanged();
  }
}

void TcxButtonColors::SetAssignedColors(TcxButtonAssignedColors Value) {
  if (!FOwner || !FOwner->ComponentState().Contains(csDesigning) || Value == FAssignedColors) return;
  for (Integer i = 0; i < 5; ++i) {
    auto state = static_cast<TcxButtonState>(i);
    if (!Value.Contains(state)) FColors[i] = clDefault;
    else if (FColors[i] == clDefault) Value.Exclude(state);
  }
  FAssignedColors = Value;
  ownerChanged();
}

void TcxButtonColors::ownerChanged() {
  if (FOwner) FOwner->Invalidate();
}

// ---------------------------------------------------------------------------------------
// Glyph lists and cache.

Integer TcxGlyphList::AddMaskedSlot(TBitmap* AImage, TColor AMaskColor) {
  auto it = std::find(FUsed.begin(), FUsed.end(), false);
  Integer index;
  if (it == FUsed.end()) {
    index = AddMasked(AImage, AMaskColor);
    FUsed.resize(static_cast<size_t>(index) + 1, false);
  } else {
    index = static_cast<Integer>(it - FUsed.begin());
    ReplaceMasked(index, AImage, AMaskColor);
  }
  FUsed[static_cast<size_t>(index)] = true;
  ++FUsedCount;
  return index;
}

void TcxGlyphList::ReleaseSlot(Integer AIndex) {
  if (AIndex < 0 || AIndex >= static_cast<Integer>(FUsed.size()) || !FUsed[static_cast<size_t>(AIndex)]) return;
  FUsed[static_cast<size_t>(AIndex)] = false;
  --FUsedCount;
}

TcxGlyphCache::~TcxGlyphCache() {
  for (TcxGlyphList* list : FLists) delete list;
}

TcxGlyphList* TcxGlyphCache::GetList(Integer AWidth, Integer AHeight) {
  for (TcxGlyphList* list : FLists)
    if (list->Width() == AWidth && list->Height() == AHeight) return list;
  auto* list = new TcxGlyphList(AWidth, AHeight);
  FLists.push_back(list);
  return list;
}

void TcxGlyphCache::ReturnList(TcxGlyphList* AList) {
  if (!AList || AList->UsedCount() != 0) return;
  auto it = std::find(FLists.begin(), FLists.end(), AList);
  if (it == FLists.end()) return;
  FLists.erase(it);
  delete AList;
}

// ---------------------------------------------------------------------------------------
// Glyph.

TcxButtonGlyph::TcxButtonGlyph() : FSource(std::make_unique<TBitmap>()) {
  if (!glyphCacheSlot()) glyphCacheSlot() = std::make_unique<TcxGlyphCache>();
  FSource->SetOnChange(TNotifyEvent(this, &TcxButtonGlyph::sourceChanged));
}

TcxButtonGlyph::~TcxButtonGlyph() {
  FSource->SetOnChange(TNotifyEvent());
  invalidate();
  if (glyphCacheSlot() && glyphCacheSlot()->Empty()) glyphCacheSlot().reset();
}

void TcxButtonGlyph::invalidate() {
  for (Integer& index : FIndexes) {
    if (index >= 0 && FGlyphList) FGlyphList->ReleaseSlot(index);
    index = -1;
  }
  if (FGlyphList && glyphCacheSlot()) glyphCacheSlot()->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TcxButtonGlyph::sourceChanged(TObject*) {
  invalidate();
  if (FOnChange) FOnChange(this);
}

void TcxButtonGlyph::SetSource(TBitmap* Value) {
  invalidate();
  if (Value) FSource->Assign(Value);
  else FSource->SetSize(0, 0);
  if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
    Integer count = Value->Width() / Value->Height();
    FImageCount = count > 4 ? 1 : std::max<Integer>(count, 1);
  }
  sourceChanged(FSource.get());
}

void TcxButtonGlyph::SetImageCount(Integer Value) {
  if (Value == FImageCount || Value == 0) return;
  invalidate();
  FImageCount = Value;
}

Integer TcxButtonGlyph::PrepareStateImage(TcxButtonState AState) {
  Integer role = roleUp;
  if (AState == cxbsDisabled) role = roleDisabled;
  else if (AState == cxbsPressed && FImageCount >= 3) role = roleDown;
  if (FIndexes[role] >= 0) return FIndexes[role];
  if (FSource->Empty()) return -1;

  const Integer w = FSource->Width() / FImageCount, h = FSource->Height();
  if (w <= 0 || h <= 0) return -1;
  if (!glyphCacheSlot()) glyphCacheSlot() = std::make_unique<TcxGlyphCache>();
  if (!FGlyphList) FGlyphList = glyphCacheSlot()->GetList(w, h);

  TBitmap work;
  work.SetSize(w, h);
  work.Canvas()->Brush()->SetColor(clBtnFace);
  work.Canvas()->FillRect(TRect{0, 0, w, h});
  const Integer cell = role < FImageCount ? role : 0;
  const TRect dest{0, 0, w, h};
  const TRect src{cell * w, 0, cell * w + w, h};

  if (role != roleDisabled) {
    work.Canvas()->CopyRect(dest, FSource->Canvas(), src);
    TColor mask = FSource->TransparentMode() == tmFixed ? FTransparentColor : clDefault;
    FIndexes[role] = FGlyphList->AddMaskedSlot(&work, mask);
    return FIndexes[role];
  }

  HDC dc = work.Canvas()->Handle();
  if (FImageCount >= 2) {
    // A disabled cell of the strip: recoloured to the system's 3D colours.
    work.Canvas()->CopyRect(dest, FSource->Canvas(), src);
    struct Recolour {
      TColor From, To;
    } const recolours[] = {{clWhite, clBtnHighlight}, {clGray, clBtnShadow}, {FTransparentColor, clBtnFace}};
    for (const Recolour& r : recolours) {
      TBitmap mono;
      mono.Assign(&work);
      mono.Mask(r.From);  // white where the pixel is r.From
      // Invert so that the wanted pixels are black for the brush operation.
      HDC monoDc = mono.Canvas()->Handle();
      BitBlt(monoDc, 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
      work.Canvas()->Brush()->SetColor(r.To);
      dc = work.Canvas()->Handle();
      COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
      COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
      HGDIOBJ oldBrush = SelectObject(dc, work.Canvas()->Brush()->Handle());
      BitBlt(dc, 0, 0, w, h, mono.Canvas()->Handle(), 0, 0, ropDSPDxax);
      SelectObject(dc, oldBrush);
      SetBkColor(dc, oldBk);
      SetTextColor(dc, oldText);
    }
  } else {
    // No disabled cell: the first cell embossed (its black pixels, highlight then shadow).
    TBitmap mono;
    mono.SetSize(w, h);
    mono.Canvas()->CopyRect(dest, FSource->Canvas(), src);
    mono.Mask(clBlack);  // white where black: invert so black pixels are the set ones
    BitBlt(mono.Canvas()->Handle(), 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
    struct Pass {
      TColor Colour;
      Integer Offset;
    } const passes[] = {{clBtnHighlight, 1}, {clBtnShadow, 0}};
    for (const Pass& p : passes) {
      work.Canvas()->Brush()->SetColor(p.Colour);
      dc = work.Canvas()->Handle();
      COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
      COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
      HGDIOBJ oldBrush = SelectObject(dc, work.Canvas()->Brush()->Handle());
      BitBlt(dc, p.Offset, p.Offset, w, h, mono.Canvas()->Handle(), 0, 0, ropDSPDxax);
      SelectObject(dc, oldBrush);
      SetBkColor(dc, oldBk);
      SetTextColor(dc, oldText);
    }
  }
  FIndexes[role] = FGlyphList->AddMaskedSlot(&work, clDefault);
  return FIndexes[role];
}

void TcxButtonGlyph::ComputeLayout(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset,
                                   const std::string& ACaption, TButtonLayout ALayout, Integer AMargin,
                                   Integer ASpacing, TPoint& AGlyphPos, TRect& ATextRect, Integer ABiDiFlags) {
  if (ABiDiFlags & DT_RIGHT) {
    if (ALayout == blGlyphLeft) ALayout = blGlyphRight;
    else if (ALayout == blGlyphRight) ALayout = blGlyphLeft;
  }
  const TPoint client{AClient.right - AClient.left, AClient.bottom - AClient.top};
  TPoint glyph{0, 0};
  if (!FSource->Empty()) glyph = TPoint{FSource->Width() / FImageCount, FSource->Height()};
  TRect text{0, 0, client.x, 0};
  if (!ACaption.empty()) {
    HDC dc = ACanvas->Handle();
    HGDIOBJ old = SelectObject(dc, ACanvas->Font()->Handle());
    DrawTextA(dc, ACaption.c_str(), static_cast<int>(ACaption.size()), &text, DT_CALCRECT | ABiDiFlags);
    SelectObject(dc, old);
  }
  TPoint textSize{text.right - text.left, text.bottom - text.top};
  if (ACaption.empty()) textSize = TPoint{0, 0};

  const bool horizontal = ALayout == blGlyphLeft || ALayout == blGlyphRight;
  TPoint glyphPos, textPos;
  if (horizontal) {
    glyphPos.y = (client.y - glyph.y + 1) / 2;
    textPos.y = (client.y - textSize.y + 1) / 2;
  } else {
    glyphPos.x = (client.x - glyph.x + 1) / 2;
    textPos.x = (client.x - textSize.x + 1) / 2;
  }
  // Along the layout's axis.
  const Integer clientExt = horizontal ? client.x : client.y;
  const Integer glyphExt = horizontal ? glyph.x : glyph.y;
  const Integer textExt = horizontal ? textSize.x : textSize.y;
  Integer margin = AMargin, spacing = ASpacing;
  if (textExt == 0 || glyphExt == 0) spacing = 0;
  if (margin == -1 && spacing == -1) {
    margin = (clientExt - glyphExt - textExt) / 3;
    spacing = margin;
  } else if (margin == -1) {
    margin = (clientExt - (glyphExt + spacing + textExt) + 1) / 2;
  } else if (spacing == -1) {
    spacing = (clientExt - margin - glyphExt - textExt) / 2;
  }
  Integer g, t;
  if (ALayout == blGlyphLeft || ALayout == blGlyphTop) {
    g = margin;
    t = g + glyphExt + spacing;
  } else {
    g = clientExt - margin - glyphExt;
    t = g - spacing - textExt;
  }
  if (horizontal) {
    glyphPos.x = g;
    textPos.x = t;
  } else {
    glyphPos.y = g;
    textPos.y = t;
  }
  AGlyphPos = TPoint{glyphPos.x + AClient.left + AOffset.x, glyphPos.y + AClient.top + AOffset.y};
  ATextRect = TRect{textPos.x + AClient.left + AOffset.x, textPos.y + AClient.top + AOffset.y,
                    textPos.x + AClient.left + AOffset.x + textSize.x,
                    textPos.y + AClient.top + AOffset.y + textSize.y};
}

void TcxButtonGlyph::Paint(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset, const std::string& ACaption,
                           TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TcxButtonState AState,
                           Integer ABiDiFlags) {
  TPoint glyphPos;
  TRect textRect;
  ComputeLayout(ACanvas, AClient, AOffset, ACaption, ALayout, AMargin, ASpacing, glyphPos, textRect, ABiDiFlags);
  if (!FSource->Empty()) {
    Integer index = PrepareStateImage(AState);
    if (index >= 0) FGlyphList->Draw(ACanvas, glyphPos.x, glyphPos.y, index, dsTransparent, itImage, true);
  }
  if (ACaption.empty()) return;
  // Text is drawn with a clear background in the canvas font and its colour.
  const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | static_cast<UINT>(ABiDiFlags);
  HDC dc = ACanvas->Handle();
  HGDIOBJ oldFont = SelectObject(dc, ACanvas->Font()->Handle());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  if (AState == cxbsDisabled) {
    TRect r = textRect;
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, ACaption.c_str(), static_cast<int>(ACaption.size()), &r, flags);
  }
  SetTextColor(dc, ColorToRGB(ACanvas->Font()->Color()));
  DrawTextA(dc, ACaption.c_str(), static_cast<int>(ACaption.size()), &textRect, flags);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------------------------------
// The button.

TcxCustomButton::TcxCustomButton(TComponent* AOwner)
    : TButton(AOwner),
      FGlyph(std::make_unique<TcxButtonGlyph>()),
      FColors(std::make_unique<TcxButtonColors>(this)),
      FCanvas(MakeControlCanvas(this)),
      FcxCanvas(std::make_unique<TcxCanvas>(FCanvas.get())),
      FLookAndFeel(std::make_unique<TcxLookAndFeel>(this)) {
  FLookAndFeel->AfterConstruction();
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TcxCustomButton::lookAndFeelChanged));
  FGlyph->SetOnChange(TNotifyEvent(this, &TcxCustomButton::glyphChanged));
  SetDoubleBuffered(true);
  TControlStyle style = ControlStyle();
  style.Include(csOpaque);
  style.Include(csReflector);
  SetControlStyle(style);
}

TcxCustomButton::~TcxCustomButton() {
  cxEndMouseTracking(this);
  FLookAndFeel->SetOnChanged(TcxLookAndFeelChangedEvent());
  FLookAndFeel.reset();
  FColors.reset();
  DestroyHandle();
  FGlyph.reset();
}

HRESULT STDMETHODCALLTYPE TcxCustomButton::QueryInterface(const ::IID& riid, void** obj) {
  if (IsEqualGUID(riid, IcxMouseTrackingCaller::IID())) {
    *obj = static_cast<IcxMouseTrackingCaller*>(this);
    return S_OK;
  }
  *obj = nullptr;
  return E_NOINTERFACE;
}

void TcxCustomButton::lookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { RecreateWnd(); }

bool TcxCustomButton::isNativePainter() {
  return GetPainterClass() == TcxWinXPLookAndFeelPainter::Instance();
}

TcxCustomLookAndFeelPainter* TcxCustomButton::GetPainterClass() {
  if (dxCanUseThemes() &&
      (FLookAndFeel->NativeStyle() || (FUseSystemPaint && FLookAndFeel->Kind() == lfStandard)))
    return TcxWinXPLookAndFeelPainter::Instance();
  switch (FLookAndFeel->Kind()) {
    case lfFlat: return TcxFlatLookAndFeelPainter::Instance();
    case lfUltraFlat: return TcxUltraFlatLookAndFeelPainter::Instance();
    default: return FLookAndFeel->GetPainterClass();
  }
}

bool TcxCustomButton::IsSystemDrawn() {
  return FKind == cxbkStandard && FUseSystemPaint && FGlyph->Source()->Empty() &&
         ((FLookAndFeel->NativeStyle() && dxCanUseThemes()) || FLookAndFeel->Kind() == lfStandard);
}

bool TcxCustomButton::IsHotTrack() {
  return !IsSystemDrawn() && GetPainterClass()->HasHotTrackButtons() && Enabled();
}

void TcxCustomButton::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  if (!IsSystemDrawn()) Params.Style = (Params.Style & ~0x0Fu) | BS_OWNERDRAW;
}

void TcxCustomButton::CreateWnd() {
  TButton::CreateWnd();
  FGlyph->PrepareStateImage(Enabled() ? cxbsNormal : cxbsDisabled);
}

void TcxCustomButton::SetButtonStyle(bool ADefault) {
  if (IsSystemDrawn()) {
    TButton::SetButtonStyle(ADefault);
    return;
  }
  if (ADefault == FDefaultActive) return;
  FDefaultActive = ADefault;
  Refresh();
}

TRect TcxCustomButton::DropDownPartRect() const {
  TRect r = const_cast<TcxCustomButton*>(this)->ClientRect();
  r.left = r.right - cxDropDownButtonPartWidth;
  return r;
}

void TcxCustomButton::CNMeasureItem(TWMMeasureItem& Message) {
  Message.MeasureItemStruct->itemWidth = static_cast<UINT>(Width());
  Message.MeasureItemStruct->itemHeight = static_cast<UINT>(Height());
  Message.Result = 1;
}

void TcxCustomButton::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  if (IsSystemDrawn() || isNativePainter()) {
    INHERITED_MESSAGE(Message);
    return;
  }
  Message.Result = 1;
}

void TcxCustomButton::CNDrawItem(TWMDrawItem& Message) {
  DRAWITEMSTRUCT& dis = *Message.DrawItemStruct;
  FCanvas->SetHandle(dis.hDC);
  FIsPressed = (dis.itemState & ODS_SELECTED) != 0 && !FDropDownPartPressed;
  FIsFocused = (dis.itemState & ODS_FOCUS) != 0 || (Default() && designing());
  TcxCustomLookAndFeelPainter* painter = GetPainterClass();
  TRect client = ClientRect();

  if (painter == TcxWinXPLookAndFeelPainter::Instance() &&
      dxIsThemeBackgroundPartiallyTransparent(dxGetThemeHandle(totButton), 1, 1))
    dxDrawThemeParentBackground(WindowHandle(), dis.hDC, &client);

  TRect face = client;
  TRect dropDownPart = DropDownPartRect();
  bool pressed = FIsPressed;
  if (FKind == cxbkDropDown) pressed = FMenuVisible;
  else if (FKind == cxbkDropDownButton) {
    face.right = dropDownPart.left + 2;
    if (FDropDownPartPressed) pressed = false;
  }

  TcxButtonState state;
  if (!Enabled()) state = cxbsDisabled;
  else if (pressed || FMenuVisible) state = cxbsPressed;
  else if (FIsHot) state = cxbsHot;
  else if (FIsFocused || FDefaultActive) state = cxbsDefault;
  else state = cxbsNormal;
  FLastPaintedState = state;

  TFont font;
  font.Assign(Font());
  TColor faceColor = FColors->GetColor(state);
  font.SetColor(painter->GetButtonGlyphColor(state));
  if (FOnGetDrawParams) FOnGetDrawParams(this, state, faceColor, &font);

  painter->DrawCaptionButton(FcxCanvas.get(), face, "", state, true, faceColor, font.Color());
  TPoint offset{0, 0};
  if (state == cxbsPressed && painter->GetPressedTextShift() != 0)
    offset = TPoint{painter->GetPressedTextShift(), painter->GetPressedTextShift()};
  FCanvas->Font()->Assign(&font);
  FGlyph->Paint(FCanvas.get(), face, offset, Caption(), FLayout, FMargin, FSpacing, state,
                DrawTextBiDiModeFlags(0));

  if (FKind == cxbkDropDownButton) {
    TcxButtonState partState = state;
    if (FDropDownPartPressed || FMenuVisible) partState = Enabled() ? cxbsPressed : cxbsDisabled;
    painter->DrawCaptionButton(FcxCanvas.get(), dropDownPart, "", partState, true, faceColor, font.Color());
    painter->DrawButtonArrow(FcxCanvas.get(), dropDownPart, partState, adDown);
  }
  if (Focused() && !FMenuVisible) FcxCanvas->DrawFocusFrame(painter->GetButtonFocusBounds(FcxCanvas.get(), face));
  FCanvas->SetHandle(nullptr);
  Message.Result = 1;
}

// --- Hot tracking.

bool TcxCustomButton::underCursor() {
  POINT p;
  GetCursorPos(&p);
  return WindowHandle() && WindowFromPoint(p) == WindowHandle();
}

void TcxCustomButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TButton::MouseMove(Shift, X, Y);
  if (IsHotTrack() && !FIsHot && GetCapture() == nullptr && PtInRect(ClientRect(), TPoint{X, Y}))
    Perform(CM_MOUSEENTER, 0, 0);
}

void TcxCustomButton::CMMouseEnter(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (designing() || FIsHot || !IsHotTrack() || GetCapture() != nullptr) return;
  TRect screen = cxMapWindowRect(WindowHandle(), nullptr, ClientRect());
  cxBeginMouseTracking(nullptr, screen, this);
  FIsHot = true;
  Repaint();
}

void TcxCustomButton::CMMouseLeave(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  MouseLeave();
}

void TcxCustomButton::MouseLeave() {
  if (designing()) return;
  cxEndMouseTracking(this);
  if (FIsHot && IsHotTrack()) {
    FIsHot = false;
    Invalidate();
  }
}

void TcxCustomButton::WMCaptureChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!designing()) FIsHot = IsHotTrack() && underCursor();
}

void TcxCustomButton::CMEnabledChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  if (!Enabled()) FIsHot = false;
  Invalidate();
}

void TcxCustomButton::CMFontChanged(TMessage& Message) {
  INHERITED_MESSAGE(Message);
  Invalidate();
}

// --- Drop-down menu.

void TcxCustomButton::dropDownRequest() {
  FDropDownPartPressed = true;
  if (WindowHandle()) PostMessageA(WindowHandle(), CM_DROPDOWNPOPUPMENU, 0, 0);
}

void TcxCustomButton::CMDropDownPopupMenu(TMessage&) {
  if (FKind == cxbkStandard || !FDropDownMenu) {
    FDropDownPartPressed = false;
    return;
  }
  FMenuVisible = true;
  Repaint();
  POINT p{0, Height()};
  ::ClientToScreen(WindowHandle(), &p);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  Integer h = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)
                  ? 2 * metrics.iBorderWidth
                  : 2;
  // Every item counts, visible or not: a safe over-estimate of the menu's height.
  TMenuItem* items = FDropDownMenu->Items();
  for (Integer i = 0; i < items->Count(); ++i) h += GetSystemMetrics(SM_CYMENU);
  if (GetSystemMetrics(SM_CYSCREEN) < p.y + h) p.y -= h + Height() + 2;
  FDropDownMenu->Popup(p.x, p.y);
  if (WindowHandle()) PostMessageA(WindowHandle(), CM_CLOSEUPPOPUPMENU, 0, 0);
}

void TcxCustomButton::CMCloseupPopupMenu(TMessage&) {
  FIsHot = IsHotTrack() && underCursor();
  FMenuVisible = false;
  Repaint();
  FDropDownPartPressed = false;
}

void TcxCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TButton::MouseDown(Button, Shift, X, Y);
}

void TcxCustomButton::WMLButtonDown(TWMMouse& Message) {
  if (FKind != cxbkStandard) {
    const TPoint p{Message.XPos, Message.YPos};
    if (FMenuVisible) {
      FSuppressClick = true;
      FMenuVisible = false;
      FIsPressed = false;
      Repaint();
    } else if (FKind == cxbkDropDown || PtInRect(DropDownPartRect(), p)) {
      dropDownRequest();
    }
  }
  if (FKind == cxbkDropDownButton && PtInRect(DropDownPartRect(), TPoint{Message.XPos, Message.YPos}))
    FDropDownPartPressed = true;
  INHERITED_MESSAGE(Message);
}

void TcxCustomButton::WMLButtonUp(TWMMouse& Message) {
  if (FKind == cxbkDropDownButton && !FMenuVisible) FDropDownPartPressed = false;
  INHERITED_MESSAGE(Message);
}

void TcxCustomButton::WMLButtonDblClk(TWMMouse& Message) {
  // A quick second click is one more press of the button.
  Perform(WM_LBUTTONDOWN, Message.Keys, PointToLParam(Point(Message.XPos, Message.YPos)));
}

void TcxCustomButton::KeyDown(Word& Key, TShiftState Shift) {
  if (FKind == cxbkDropDownButton && (Key == VK_UP || Key == VK_DOWN) &&
      (Shift.Contains(ssAlt) || Shift.Contains(ssShift))) {
    if (!FMenuVisible) dropDownRequest();
    Key = 0;
    return;
  }
  TButton::KeyDown(Key, Shift);
}

void TcxCustomButton::Click() {
  if (FKind == cxbkDropDown && !FMenuVisible) {
    if (!FSuppressClick) dropDownRequest();
    FSuppressClick = false;
    return;
  }
  if (FSuppressClick) {
    FSuppressClick = false;
    return;
  }
  if (FKind == cxbkDropDown) return;
  TButton::Click();
}

// --- Properties.

void TcxCustomButton::SetKind(TcxButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  RecreateWnd();
}

void TcxCustomButton::SetUseSystemPaint(bool Value) {
  if (FUseSystemPaint == Value) return;
  FUseSystemPaint = Value;
  RecreateWnd();
}

void TcxCustomButton::SetGlyph(TBitmap* Value) {
  FGlyph->SetSource(Value);
  if (Value) FUseSystemPaint = false;
  Invalidate();
}

void TcxCustomButton::SetNumGlyphs(TNumGlyphs Value) {
  if (Value > 4) Value = 4;
  if (Value == FGlyph->ImageCount()) return;
  FGlyph->SetImageCount(Value);
  Invalidate();
}

void TcxCustomButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TcxCustomButton::SetSpacing(Integer Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TcxCustomButton::SetMargin(Integer Value) {
  if (Value < -1 || FMargin == Value) return;
  FMargin = Value;
  Invalidate();
}

void TcxCustomButton::SetDropDownMenu(TPopupMenu* Value) {
  if (FDropDownMenu == Value) return;
  if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = Value;
  if (FDropDownMenu) FDropDownMenu->FreeNotification(this);
}

void TcxCustomButton::SetPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value)) {
    void* intf = nullptr;
    auto* unknown = dynamic_cast<IInterface*>(Value);
    if (!unknown || unknown->QueryInterface(IcxPopupMenu::IID(), &intf) != S_OK || !intf) Value = nullptr;
  }
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TcxCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  TButton::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDropDownMenu) FDropDownMenu = nullptr;
  if (AComponent == FPopupMenu) SetPopupMenu(nullptr);
}

void TcxCustomButton::DoContextPopup(TPoint MousePos, bool& Handled) {
  TButton::DoContextPopup(MousePos, Handled);
  if (Handled || !FPopupMenu) return;
  TPoint p = (MousePos.x == -1 && MousePos.y == -1) ? TPoint{0, 0} : MousePos;
  POINT sp{p.x, p.y};
  if (WindowHandle()) ::ClientToScreen(WindowHandle(), &sp);
  Handled = cxShowPopupMenu(this, FPopupMenu, sp.x, sp.y);
}

void TcxCustomButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TButton::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || !action->ActionList() || !FGlyph->Source()->Empty()) return;
  TCustomImageList* images = action->ActionList()->Images();
  if (!images || action->ImageIndex() < 0 || action->ImageIndex() >= images->Count()) return;
  TBitmap bitmap;
  bitmap.SetSize(images->Width(), images->Height());
  bitmap.Canvas()->Brush()->SetColor(clFuchsia);
  bitmap.Canvas()->FillRect(TRect{0, 0, images->Width(), images->Height()});
  images->Draw(bitmap.Canvas(), 0, 0, action->ImageIndex(), true);
  FGlyph->SetSource(&bitmap);
  Invalidate();
}

// ---------------------------------------------------------------------------------------

RTL_IMPLEMENT_CLASS(TcxGlyphList)
RTL_IMPLEMENT_CLASS(TcxGlyphCache)
RTL_IMPLEMENT_CLASS(TcxButtonGlyph)

RTL_BEGIN_CLASS(TcxButtonColors)
  using T = TcxButtonColors;
  PUBLISH(Default).Stored(&T::IsDefaultStored);
  PUBLISH(Normal).Stored(&T::IsNormalStored);
  PUBLISH(Hot).Stored(&T::IsHotStored);
  PUBLISH(Pressed).Stored(&T::IsPressedStored);
  PUBLISH(Disabled).Stored(&T::IsDisabledStored);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxCustomButton)
  b.Message(CN_DRAWITEM, &TcxCustomButton::CNDrawItem);
  b.Message(CN_MEASUREITEM, &TcxCustomButton::CNMeasureItem);
  b.Message(WM_ERASEBKGND, &TcxCustomButton::WMEraseBkgnd);
  b.Message(WM_LBUTTONDOWN, &TcxCustomButton::WMLButtonDown);
  b.Message(WM_LBUTTONUP, &TcxCustomButton::WMLButtonUp);
  b.Message(WM_LBUTTONDBLCLK, &TcxCustomButton::WMLButtonDblClk);
  b.Message(WM_CAPTURECHANGED, &TcxCustomButton::WMCaptureChanged);
  b.Message(CM_MOUSEENTER, &TcxCustomButton::CMMouseEnter);
  b.Message(CM_MOUSELEAVE, &TcxCustomButton::CMMouseLeave);
  b.Message(CM_ENABLEDCHANGED, &TcxCustomButton::CMEnabledChanged);
  b.Message(CM_FONTCHANGED, &TcxCustomButton::CMFontChanged);
  b.Message(CM_DROPDOWNPOPUPMENU, &TcxCustomButton::CMDropDownPopupMenu);
  b.Message(CM_CLOSEUPPOPUPMENU, &TcxCustomButton::CMCloseupPopupMenu);
RTL_END_CLASS

RTL_BEGIN_CLASS(TcxButton)
  using T = TcxButton;
  PUBLISH(Colors).Stored(&T::IsColorsStored);
  PUBLISH(DropDownMenu);
  PUBLISH(Glyph).Stored(&T::IsGlyphStored);
  PUBLISH(Kind).Default(cxbkStandard);
  PUBLISH(Layout).Default(blGlyphLeft);
  PUBLISH(LookAndFeel);
  PUBLISH(Margin).Default(-1);
  PUBLISH(NumGlyphs).Default(1);
  PUBLISH(PopupMenu);
  PUBLISH(Spacing).Default(4);
  PUBLISH(UseSystemPaint).Default(true);
  PUBLISH(OnGetDrawParams);
RTL_END_CLASS
