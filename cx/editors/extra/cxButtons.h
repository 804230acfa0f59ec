#pragma once
// cxButtons: the component set's push button. A platform push button that draws itself
// through the look-and-feel painters (unless it qualifies for plain system drawing), with a
// bitmap glyph and its layout, per-state face colours, a hook to change colours and font of
// each paint, hot tracking, a context menu that may be any popup-menu object, and two
// drop-down kinds that open a popup menu under the button.
#include <memory>
#include <string>
#include <vector>

#include "cx/foundation/cxControls.h"
#include "cx/foundation/cxGraphics.h"
#include "cx/foundation/cxLookAndFeelPainters.h"
#include "cx/foundation/cxLookAndFeels.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TcxCustomButton;

RTL_ENUM(TcxButtonKind, cxbkStandard, cxbkDropDown, cxbkDropDownButton)
using TcxButtonAssignedColors = Set<TcxButtonState>;
using TcxButtonGetDrawParamsEvent =
    TEvent<void(TcxCustomButton* Sender, TcxButtonState AState, TColor& AColor, TFont* AFont)>;

// The messages a drop-down request posts to the button: open the menu, menu closed.
constexpr UINT CM_DROPDOWNPOPUPMENU = WM_APP + 0x12C;
constexpr UINT CM_CLOSEUPPOPUPMENU = WM_APP + 0x12D;
// Width of the drop-down part of a cxbkDropDownButton (rightmost pixels of the client).
constexpr Integer cxDropDownButtonPartWidth = 15;

// The five face colours of a button, one per state (clDefault: the painter's).
class TcxButtonColors : public TPersistent {
  RTL_DECLARE_CLASS(TcxButtonColors, TPersistent)
public:
  explicit TcxButtonColors(TcxCustomButton* AOwner) : FOwner(AOwner) {
    for (TColor& c : FColors) c = clDefault;
  }
  void Assign(TPersistent* Source) override;

  TColor GetColor(TcxButtonState AState) const { return FColors[static_cast<Integer>(AState)]; }
  // clNone or clDefault resets the state's colour and drops it from AssignedColors.
  void SetColor(TcxButtonState AState, TColor Value);
  TcxButtonAssignedColors AssignedColors() const { return FAssignedColors; }
  // Acts only while the owner is designed; at run time the set follows the colours written.
  void SetAssignedColors(TcxButtonAssignedColors Value);

  TColor Default() const { return GetColor(cxbsDefault); }
  void SetDefault(TColor V) { SetColor(cxbsDefault, V); }
  TColor Normal() const { return GetColor(cxbsNormal); }
  void SetNormal(TColor V) { SetColor(cxbsNormal, V); }
  TColor Hot() const { return GetColor(cxbsHot); }
  void SetHot(TColor V) { SetColor(cxbsHot, V); }
  TColor Pressed() const { return GetColor(cxbsPressed); }
  void SetPressed(TColor V) { SetColor(cxbsPressed, V); }
  TColor Disabled() const { return GetColor(cxbsDisabled); }
  void SetDisabled(TColor V) { SetColor(cxbsDisabled, V); }
  bool IsDefaultStored() const { return FAssignedColors.Contains(cxbsDefault); }
  bool IsNormalStored() const { return FAssignedColors.Contains(cxbsNormal); }
  bool IsHotStored() const { return FAssignedColors.Contains(cxbsHot); }
  bool IsPressedStored() const { return FAssignedColors.Contains(cxbsPressed); }
  bool IsDisabledStored() const { return FAssignedColors.Contains(cxbsDisabled); }

private:
  void ownerChanged();
  TcxCustomButton* FOwner;
  TColor FColors[5];
  TcxButtonAssignedColors FAssignedColors;
};

// An image list of one image size whose slots are handed out and given back.
class TcxGlyphList : public TImageList {
  RTL_DECLARE_CLASS(TcxGlyphList, TImageList)
public:
  TcxGlyphList(Integer AWidth, Integer AHeight) : TImageList(AWidth, AHeight) {}
  // Takes the first free slot (or a new one) for the image masked by AMaskColor.
  Integer AddMaskedSlot(TBitmap* AImage, TColor AMaskColor);
  void ReleaseSlot(Integer AIndex);
  Integer UsedCount() const { return FUsedCount; }

private:
  std::vector<bool> FUsed;
  Integer FUsedCount = 0;
};

// The process-wide lists of built glyph images, at most one per image size.
class TcxGlyphCache : public TObject {
  RTL_DECLARE_CLASS(TcxGlyphCache, TObject)
public:
  TcxGlyphCache() = default;
  ~TcxGlyphCache() override;
  TcxGlyphList* GetList(Integer AWidth, Integer AHeight);
  // Frees the list when no slot of it is in use.
  void ReturnList(TcxGlyphList* AList);
  bool Empty() const { return FLists.empty(); }
  Integer ListCount() const { return static_cast<Integer>(FLists.size()); }

private:
  std::vector<TcxGlyphList*> FLists;
};

// The cache while one exists (null otherwise).
TcxGlyphCache* cxGlyphCache();

// The button's glyph: a strip of 1-4 images (up, disabled, down, exclusive) cut from one
// bitmap, built on demand into the shared cache and drawn with the caption.
class TcxButtonGlyph : public TObject {
  RTL_DECLARE_CLASS(TcxButtonGlyph, TObject)
public:
  TcxButtonGlyph();
  ~TcxButtonGlyph() override;

  TBitmap* Source() const { return FSource.get(); }
  // Copies the bitmap (null empties it); a width that is a whole multiple of the height
  // sets the image count (1 when more than 4).
  void SetSource(TBitmap* Value);
  Integer ImageCount() const { return FImageCount; }
  void SetImageCount(Integer Value);
  // The image-list index of the state's image (built now when needed), -1 without a source.
  Integer PrepareStateImage(TcxButtonState AState);
  // Where glyph and caption go inside AClient; AGlyphPos and ATextRect come back.
  void ComputeLayout(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset, const std::string& ACaption,
                     TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TPoint& AGlyphPos, TRect& ATextRect,
                     Integer ABiDiFlags);
  void Paint(TCanvas* ACanvas, const TRect& AClient, const TPoint& AOffset, const std::string& ACaption,
             TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TcxButtonState AState, Integer ABiDiFlags);
  TcxGlyphList* GlyphList() const { return FGlyphList; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

private:
  void sourceChanged(TObject* Sender);
  void invalidate();
  std::unique_ptr<TBitmap> FSource;
  TColor FTransparentColor = clOlive;
  Integer FImageCount = 1;
  Integer FIndexes[4] = {-1, -1, -1, -1};
  TcxGlyphList* FGlyphList = nullptr;
  TNotifyEvent FOnChange;
};

class TcxCustomButton : public TButton, public IcxMouseTrackingCaller {
  RTL_DECLARE_CLASS(TcxCustomButton, TButton)
public:
  explicit TcxCustomButton(TComponent* AOwner);
  ~TcxCustomButton() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(const ::IID& riid, void** obj) override;
  ULONG STDMETHODCALLTYPE _AddRef() override { return static_cast<ULONG>(-1); }
  ULONG STDMETHODCALLTYPE _Release() override { return static_cast<ULONG>(-1); }
  // IcxMouseTrackingCaller: the tracked mouse left the button.
  void MouseLeave() override;

  void Click() override;

  // --- Virtual operations of the button.
  // The painter the button draws with.
  virtual TcxCustomLookAndFeelPainter* GetPainterClass();
  // Whether the platform draws the button (no owner drawing).
  virtual bool IsSystemDrawn();
  bool IsHotTrack();

  // --- Properties.
  TcxButtonColors* Colors() const { return FColors.get(); }
  void SetColors(TcxButtonColors* Value) { FColors->Assign(Value); }
  bool IsColorsStored() const { return !FColors->AssignedColors().Empty(); }
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* Value);
  TBitmap* Glyph() const { return FGlyph->Source(); }
  void SetGlyph(TBitmap* Value);
  bool IsGlyphStored() const { return !FGlyph->Source()->Empty(); }
  TcxButtonKind Kind() const { return FKind; }
  void SetKind(TcxButtonKind Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  TNumGlyphs NumGlyphs() const { return static_cast<TNumGlyphs>(FGlyph->ImageCount()); }
  void SetNumGlyphs(TNumGlyphs Value);
  TComponent* PopupMenu() const { return FPopupMenu; }
  // Null, a TPopupMenu or a component with the popup-menu interface; anything else is null.
  void SetPopupMenu(TComponent* Value);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  bool UseSystemPaint() const { return FUseSystemPaint; }
  void SetUseSystemPaint(bool Value);
  const TcxButtonGetDrawParamsEvent& OnGetDrawParams() const { return FOnGetDrawParams; }
  void SetOnGetDrawParams(const TcxButtonGetDrawParamsEvent& Value) { FOnGetDrawParams = Value; }

  TcxButtonGlyph* GlyphObject() const { return FGlyph.get(); }
  // State read by tests and hosts.
  bool IsHot() const { return FIsHot; }
  bool IsMenuVisible() const { return FMenuVisible; }
  bool IsDropDownPartPressed() const { return FDropDownPartPressed; }
  // The state the face was last painted in.
  TcxButtonState LastPaintedState() const { return FLastPaintedState; }
  // The drop-down part of a cxbkDropDownButton (client coordinates).
  TRect DropDownPartRect() const;

  // --- Message handlers (public for the message map).
  void CNDrawItem(TWMDrawItem& Message);
  void CNMeasureItem(TWMMeasureItem& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMLButtonDown(TWMMouse& Message);
  void WMLButtonUp(TWMMouse& Message);
  void WMLButtonDblClk(TWMMouse& Message);
  void WMCaptureChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMDropDownPopupMenu(TMessage& Message);
  void CMCloseupPopupMenu(TMessage& Message);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void SetButtonStyle(bool ADefault) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

private:
  void lookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void glyphChanged(TObject* Sender) { Invalidate(); }
  void dropDownRequest();
  bool isNativePainter();
  bool underCursor();
  bool designing() const { return ComponentState().Contains(csDesigning); }

  std::unique_ptr<TcxButtonGlyph> FGlyph;
  std::unique_ptr<TcxButtonColors> FColors;
  TOwnedControlCanvas FCanvas;
  std::unique_ptr<TcxCanvas> FcxCanvas;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TcxButtonKind FKind = cxbkStandard;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1;
  Integer FSpacing = 4;
  bool FUseSystemPaint = true;
  TPopupMenu* FDropDownMenu = nullptr;
  TComponent* FPopupMenu = nullptr;
  TcxButtonGetDrawParamsEvent FOnGetDrawParams;
  bool FIsPressed = false;
  bool FIsFocused = false;
  bool FDefaultActive = false;
  bool FMenuVisible = false;
  bool FIsHot = false;
  bool FDropDownPartPressed = false;
  bool FSuppressClick = false;
  TcxButtonState FLastPaintedState = cxbsNormal;
};

// The published push button.
class TcxButton : public TcxCustomButton {
  RTL_DECLARE_CLASS(TcxButton, TcxCustomButton)
public:
  explicit TcxButton(TComponent* AOwner) : TcxCustomButton(AOwner) {}
};
