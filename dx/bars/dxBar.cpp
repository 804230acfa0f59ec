#include "dx/bars/dxBar.h"

#include <algorithm>

#include "cx/foundation/cxClasses.h"
#include "dx/bars/dxBarStrs.h"
#include "platform/gui/GuiPublish.h"
#include "platform/rtl/Scoped.h"

// Our own message for a stored description whose link names no item of the form.
const char* const dxBarMissingLinkItemMessage = "The bar or menu '%s' links to the item '%s', which does not exist";

namespace {

TdxBarManagerList* managerList = nullptr;

struct ItemRegistration {
  TClass ItemClass;
  TdxBarItemControlFactory Factory;
};
std::vector<ItemRegistration>* registrations = nullptr;

// Every live bar window; a handler may free one, so callers check before touching it again.
std::vector<const TCustomdxBarControl*>& liveBarControls() {
  static std::vector<const TCustomdxBarControl*> list;
  return list;
}

// Every live item: a click handler may free the item it was called for.
std::vector<const TdxBarItem*>& liveItems() {
  static std::vector<const TdxBarItem*> list;
  return list;
}

template <class T, class U> Integer indexIn(const std::vector<T*>& list, const U* value) {
  auto it = std::find(list.begin(), list.end(), value);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

template <class T, class U> void eraseFrom(std::vector<T*>& list, const U* value) {
  list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

bool isEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

void fillSolid(HDC DC, const TRect& R, COLORREF Color) {
  HBRUSH brush = CreateSolidBrush(Color);
  FillRect(DC, &R, brush);
  DeleteObject(brush);
}

TSize measureText(HFONT Font, const std::string& Text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, Text.c_str(), static_cast<int>(Text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

bool bitmapIsEmpty(TBitmap* Bitmap) { return !Bitmap || Bitmap->Empty(); }

// Sets a window's capture state and restores it when it goes out of scope.
class MouseHandlerScope {
public:
  explicit MouseHandlerScope(Integer& Depth) : depth_(Depth) { ++depth_; }
  ~MouseHandlerScope() { --depth_; }
  MouseHandlerScope(const MouseHandlerScope&) = delete;
  MouseHandlerScope& operator=(const MouseHandlerScope&) = delete;

private:
  Integer& depth_;
};

}  // namespace

TdxBarManagerList* dxBarManagerList() { return managerList; }

void dxBarRegisterItem(TClass ItemClass, TdxBarItemControlFactory Factory) {
  if (!registrations) return;
  dxBarUnregisterItem(ItemClass);
  registrations->push_back({ItemClass, Factory});
}

void dxBarUnregisterItem(TClass ItemClass) {
  if (!registrations) return;
  std::erase_if(*registrations, [&](const ItemRegistration& r) { return r.ItemClass == ItemClass; });
}

TdxBarItemControlFactory dxBarItemControlFactory(TClass ItemClass) {
  if (!registrations) return nullptr;
  for (const ItemRegistration& r : *registrations)
    if (r.ItemClass == ItemClass) return r.Factory;
  return nullptr;
}

std::string RemoveAmpersands(const std::string& S) {
  std::string result;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '&') {
      if (i + 1 < S.size() && S[i + 1] == '&') {
        result += '&';
        ++i;
      }
      continue;
    }
    result += S[i];
  }
  return result;
}

// =======================================================================================
// Painters
// =======================================================================================

namespace {
const TdxBarItemControlStandardPainter standardPainter;
const TdxBarItemControlEnhancedPainter enhancedPainter;
}  // namespace

const TdxBarItemControlPainter* dxBarPainterOf(TdxBarManagerStyle Style) {
  return Style == bmsStandard ? static_cast<const TdxBarItemControlPainter*>(&standardPainter) : &enhancedPainter;
}

Integer TdxBarItemControlPainter::GetButtonArrowWidth(const TdxBarManager* Manager) const {
  Integer width = Manager->ButtonArrowWidth();
  if (Manager->LargeIcons()) width *= 2;
  if (width % 2 == 0) ++width;
  return width;
}

COLORREF TdxBarItemControlPainter::GetBarColor(const TCustomdxBarControl*) const {
  return GetSysColor(COLOR_BTNFACE);
}

void TdxBarItemControlPainter::GetItemTextColorAndBrush(const TdxBarItemControl* Control, bool, bool,
                                                        COLORREF& TextColor, COLORREF& Brush) const {
  TextColor = GetSysColor(COLOR_BTNTEXT);
  Brush = GetBarColor(Control->Parent());
}

void TdxBarItemControlPainter::DrawBarBackground(const TCustomdxBarControl* Bar, HDC DC, const TRect& R) const {
  fillSolid(DC, R, GetBarColor(Bar));
}

void TdxBarItemControlPainter::DrawSeparator(const TCustomdxBarControl*, HDC DC, bool Vertical,
                                             const TRect& R) const {
  // An etched line across the middle of the separator's room.
  TRect line = R;
  if (Vertical) {
    line.top = R.top + (R.bottom - R.top) / 2 - 1;
    line.bottom = line.top + 2;
    DrawEdge(DC, &line, EDGE_ETCHED, BF_TOP);
  } else {
    line.left = R.left + (R.right - R.left) / 2 - 1;
    line.right = line.left + 2;
    DrawEdge(DC, &line, EDGE_ETCHED, BF_LEFT);
  }
}

// The face of an item with its glyph: the face colour (a down button gets a light dither),
// the frame of the look, then the glyph centred in the glyph square, moved when pressed.
void TdxBarItemControlPainter::DrawItemGlyph(const TdxBarItemControl* Control, HDC DC, const TRect& Face,
                                             bool Pressed, bool Down, bool Hot, bool NoGlyph,
                                             TdxBarPaintType Kind) const {
  TRect r = Face;
  if (Down && Control->GetEnabled()) {
    COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF mix = RGB((GetRValue(face) + GetRValue(light)) / 2, (GetGValue(face) + GetGValue(light)) / 2,
                       (GetBValue(face) + GetBValue(light)) / 2);
    fillSolid(DC, r, Hot ? face : mix);
  } else {
    fillSolid(DC, r, GetBarColor(Control->Parent()));
  }
  DrawButtonFrame(Control, DC, Pressed, Down, Hot, r);
  if (NoGlyph) return;
  TBitmap* glyph = Control->GetGlyph();
  if (bitmapIsEmpty(glyph)) return;
  TdxBarManager* manager = Control->BarManager();
  Integer squareW = manager->ButtonGlyphWidth(), squareH = manager->ButtonGlyphHeight();
  Integer w = glyph->Width(), h = glyph->Height();
  Integer x = Face.left + (std::min<Integer>(squareW, Face.right - Face.left) - w) / 2;
  Integer y = Face.top + (std::min<Integer>(squareH, Face.bottom - Face.top) - h) / 2;
  if (Kind == ptHorz && Face.right - Face.left > squareW) y = Face.top + (Face.bottom - Face.top - h) / 2;
  if (Pressed || Down) {
    x += GetPressedGlyphOffset();
    y += GetPressedGlyphOffset();
  }
  // The bottom-left pixel is the glyph's transparent colour.
  HDC src = glyph->Canvas()->Handle();
  COLORREF transparent = GetPixel(src, 0, h - 1);
  bool enabled = Control->GetEnabled();
  COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  for (int pass = enabled ? 1 : 0; pass < 2; ++pass)
    for (Integer py = 0; py < h; ++py)
      for (Integer px = 0; px < w; ++px) {
        COLORREF c = GetPixel(src, px, py);
        if (c == transparent) continue;
        if (enabled) SetPixel(DC, x + px, y + py, c);
        else if (pass == 0) SetPixel(DC, x + px + 1, y + py + 1, highlight);
        else SetPixel(DC, x + px, y + py, shadow);
      }
}

void TdxBarItemControlPainter::DrawCaption(const TdxBarItemControl* Control, HDC DC, bool, bool Enabled,
                                           const TRect& R, const std::string& Text) const {
  TdxBarManager* manager = Control->BarManager();
  HGDIOBJ oldFont = SelectObject(DC, manager->FontHandle());
  int oldMode = SetBkMode(DC, TRANSPARENT);
  COLORREF text, brush;
  GetItemTextColorAndBrush(Control, Control->IsDrawnSelected(), Enabled, text, brush);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  TRect r = R;
  if (!Enabled) {
    // Embossed: a highlight copy one pixel down and right under the shadow copy.
    TRect lit = r;
    OffsetRect(&lit, 1, 1);
    SetTextColor(DC, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &lit, format);
    text = GetSysColor(COLOR_BTNSHADOW);
  }
  SetTextColor(DC, text);
  DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &r, format);
  SetBkMode(DC, oldMode);
  SelectObject(DC, oldFont);
}

void TdxBarItemControlStandardPainter::DrawButtonFrame(const TdxBarItemControl*, HDC DC, bool Pressed, bool Down,
                                                       bool Hot, TRect& R) const {
  if (!Down && !Hot) return;
  DrawEdge(DC, &R, Pressed || Down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  InflateRect(&R, -1, -1);
}

void TdxBarItemControlStandardPainter::OffsetPressedButtonGlyph(bool Down, bool Pressed, TRect& R) const {
  Integer offset = (Down ? 1 : 0) + (Pressed ? 1 : 0);
  OffsetRect(&R, offset, offset);
}

void TdxBarItemControlStandardPainter::drawGripBar(HDC DC, const TRect& R, bool Vertical) const {
  TRect bar = R;
  DrawEdge(DC, &bar, BDR_RAISEDINNER, BF_RECT);
  if (Vertical) SetPixel(DC, R.right - 1, R.top, GetSysColor(COLOR_BTNHIGHLIGHT));
  else SetPixel(DC, R.left, R.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  InflateRect(&bar, -1, -1);
  fillSolid(DC, bar, GetSysColor(COLOR_BTNFACE));
}

// A raised edge around the bar, then two grip bars of 3 pixels across the bar's inside.
void TdxBarItemControlStandardPainter::DrawDragMark(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
  TRect r = R;
  DrawEdge(DC, &r, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&r, -2, -2);
  bool vertical = Bar->IsVertical();
  for (int i = 0; i < 2; ++i) {
    Integer start = GetDragMarkOffset() + i * 3;
    TRect grip = vertical ? Rect(r.left, r.top + start, r.right, r.top + start + 3)
                          : Rect(r.left + start, r.top, r.left + start + 3, r.bottom);
    drawGripBar(DC, grip, vertical);
  }
}

// One grip bar, a pixel shorter at each end than the bar's inside.
void TdxBarItemControlEnhancedPainter::DrawDragMark(const TdxBarControl* Bar, HDC DC, const TRect& R) const {
  TRect r = R;
  DrawEdge(DC, &r, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&r, -2, -2);
  Integer start = GetDragMarkOffset();
  TRect grip = Bar->IsVertical() ? Rect(r.left + 1, r.top + start, r.right - 1, r.top + start + 3)
                                 : Rect(r.left + start, r.top + 1, r.left + start + 3, r.bottom - 1);
  TRect edge = grip;
  DrawEdge(DC, &edge, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&grip, -1, -1);
  fillSolid(DC, grip, GetSysColor(COLOR_BTNFACE));
}

// =======================================================================================
// Manager list
// =======================================================================================

RTL_IMPLEMENT_CLASS(TdxBarManagerList)

TdxBarManagerList::~TdxBarManagerList() {
  while (!managers_.empty()) delete managers_.front();
}

TdxBarManager* TdxBarManagerList::Items(Integer Index) const {
  return Index >= 0 && Index < Count() ? managers_[Index] : nullptr;
}

TdxBarManager* TdxBarManagerList::ManagerOf(TComponent* Form) const {
  for (TdxBarManager* m : managers_)
    if (m->OwnerForm() == Form) return m;
  return nullptr;
}

// =======================================================================================
// Categories
// =======================================================================================

namespace {
// What the manager keeps per category, in the category's object slot (owned by the list).
class CategoryRecord : public TObject {
public:
  TdxBarItemVisible ItemsVisible = ivAlways;
  TdxBarItemVisible LoadedItemsVisible = ivAlways;
  bool Visible = true;
};

CategoryRecord* recordOf(const TStrings* List, Integer Index) {
  return dynamic_cast<CategoryRecord*>(List->Objects(Index));
}

CategoryRecord* ensureRecord(TStrings* List, Integer Index) {
  CategoryRecord* record = recordOf(List, Index);
  if (!record) {
    record = new CategoryRecord;
    List->SetObjects(Index, record);
  }
  return record;
}
}  // namespace

TdxBarManagerCategories::~TdxBarManagerCategories() {
  for (Integer i = 0; i < Count(); ++i) delete recordOf(this, i);
}

void TdxBarManagerCategories::Clear() {
  for (Integer i = 0; i < Count(); ++i) delete recordOf(this, i);
  TStringList::Clear();
}

void TdxBarManagerCategories::DefineProperties(TFiler* Filer) {
  TStringList::DefineProperties(Filer);
  Filer->DefineProperty(
      "ItemsVisibles",
      [this](TReader* r) {
        r->ReadListBegin();
        for (Integer i = 0; !r->EndOfList(); ++i) {
          Integer v = r->ReadInteger();
          if (manager_ && i < Count() && v >= ivNever && v <= ivAlways)
            manager_->SetCategoryItemsVisible(i, static_cast<TdxBarItemVisible>(v));
        }
        r->ReadListEnd();
      },
      [this](TWriter* w) {
        w->WriteListBegin();
        for (Integer i = 0; i < Count(); ++i) w->WriteInteger(manager_ ? manager_->GetCategoryItemsVisible(i) : ivAlways);
        w->WriteListEnd();
      },
      true);
  Filer->DefineProperty(
      "Visibles",
      [this](TReader* r) {
        r->ReadListBegin();
        for (Integer i = 0; !r->EndOfList(); ++i) {
          bool v = r->ReadBoolean();
          if (manager_ && i < Count()) manager_->SetCategoryVisible(i, v);
        }
        r->ReadListEnd();
      },
      [this](TWriter* w) {
        w->WriteListBegin();
        for (Integer i = 0; i < Count(); ++i) w->WriteBoolean(manager_ ? manager_->GetCategoryVisible(i) : true);
        w->WriteListEnd();
      },
      true);
}

TdxBarManagerCategories::TdxBarManagerCategories(TdxBarManager* Manager) : manager_(Manager) {
  if (manager_ && !manager_->IsLoading()) Add(cxGetResourceString(&dxSBAR_DEFAULTCATEGORYNAME));
}

void TdxBarManagerCategories::ReassignCategory(Integer From, Integer To) {
  if (!manager_ || From < 0 || From >= Count() || To < 0) return;
  for (TdxBarItem* item : manager_->items_)
    if (item->category_ == From) item->category_ = To;
}

void TdxBarManagerCategories::Delete(Integer Index) {
  if (moving_ || !manager_) {
    TStringList::Delete(Index);
    return;
  }
  if (Index < 0 || Index >= Count()) return;
  // The category's items go with it; the later categories' items move down by one.
  std::vector<TdxBarItem*> doomed;
  for (TdxBarItem* item : manager_->items_)
    if (item->category_ == Index) doomed.push_back(item);
  for (TdxBarItem* item : doomed) delete item;
  for (Integer i = Index + 1; i < Count(); ++i) ReassignCategory(i, i - 1);
  delete recordOf(this, Index);
  TStringList::Delete(Index);
  if (Count() == 0) Add(cxGetResourceString(&dxSBAR_DEFAULTCATEGORYNAME));
}

void TdxBarManagerCategories::Insert(Integer Index, const std::string& S) {
  if (!moving_ && manager_ && Index >= 0 && Index < Count())
    for (Integer i = Count() - 1; i >= Index; --i) ReassignCategory(i, i + 1);
  TStringList::Insert(Index, S);
}

void TdxBarManagerCategories::Exchange(Integer Index1, Integer Index2) {
  if (manager_ && Index1 >= 0 && Index1 < Count() && Index2 >= 0 && Index2 < Count() && Index1 != Index2) {
    for (TdxBarItem* item : manager_->items_) {
      if (item->category_ == Index1) item->category_ = Index2;
      else if (item->category_ == Index2) item->category_ = Index1;
    }
  }
  TStringList::Exchange(Index1, Index2);
}

void TdxBarManagerCategories::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex || CurIndex < 0 || CurIndex >= Count() || NewIndex < 0 || NewIndex >= Count()) return;
  if (manager_) {
    constexpr Integer parked = -1000;
    // Park the moving category's items, shift the ones between, then land them.
    std::vector<TdxBarItem*> movingItems;
    for (TdxBarItem* item : manager_->items_)
      if (item->category_ == CurIndex) movingItems.push_back(item);
    for (TdxBarItem* item : movingItems) item->category_ = parked;
    if (CurIndex < NewIndex)
      for (Integer i = CurIndex + 1; i <= NewIndex; ++i) ReassignCategory(i, i - 1);
    else
      for (Integer i = CurIndex - 1; i >= NewIndex; --i) ReassignCategory(i, i + 1);
    for (TdxBarItem* item : movingItems) item->category_ = NewIndex;
  }
  ScopedRestore<bool> restoreMoving(moving_);
  moving_ = true;
  TStringList::Move(CurIndex, NewIndex);
}

void TdxBarManagerCategories::Changed() { TStringList::Changed(); }

// =======================================================================================
// Manager
// =======================================================================================

TComponent* TdxBarManager::ownerFor(TComponent* AOwner) {
  if (!AOwner && Application) return Application->MainForm();
  return AOwner;
}

TdxBarManager::TdxBarManager(TComponent* AOwner) : TComponent(ownerFor(AOwner)) {
  ownerForm_ = dynamic_cast<TCustomForm*>(Owner());
  if (!ownerForm_) throw Exception(cxGetResourceString(&dxSBAR_BARMANAGERBADOWNER));
  if (!managerList) throw Exception("The bar unit is not started");
  if (managerList->ManagerOf(ownerForm_)) throw Exception(cxGetResourceString(&dxSBAR_BARMANAGERMORETHANONE));
  constructing_ = false;
  managerList->managers_.push_back(this);
  categories_ = std::make_unique<TdxBarManagerCategories>(this);
  font_ = std::make_unique<TFont>();
  font_->SetOnChange(TNotifyEvent(this, &TdxBarManager::fontChanged));
  bars_ = std::make_unique<TdxBars>(this);
  CalcRecentUseThreshold();
  StyleChanged();
  SetUseSystemFont(true);
}

void TdxBarManager::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (constructing_) return;
  // The windows go first, then the bars and links, then the items.
  if (bars_) bars_->Clear();
  DestroyItems();
}

TdxBarManager::~TdxBarManager() {
  if (constructing_) return;
  bars_.reset();
  if (fontHandle_) DeleteObject(fontHandle_);
  if (managerList) eraseFrom(managerList->managers_, this);
}

void TdxBarManager::SetBars(TdxBars* Value) { bars_->Assign(Value); }

void TdxBarManager::SetStyle(TdxBarManagerStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  StyleChanged();
}

void TdxBarManager::SetMostRecentItemsPercents(Byte Value) {
  mostRecentItemsPercents_ = std::min<Byte>(Value, 100);
  CalcRecentUseThreshold();
}

void TdxBarManager::CalcRecentUseThreshold() {
  Integer p = mostRecentItemsPercents_;
  if (p == 100) {
    recentUseThreshold_ = 0;
    return;
  }
  Integer n = 1;
  while (n * (100 - p) / 100 <= 0) ++n;
  recentUseThreshold_ = n;
}

void TdxBarManager::SetButtonArrowWidth(Integer Value) {
  if (Value < 2 || Value == buttonArrowWidth_) return;
  buttonArrowWidth_ = Value;
  CalcImageMetrics();
  rebuildBarWindows();
}

void TdxBarManager::SetLargeIcons(bool Value) {
  if (largeIcons_ == Value) return;
  largeIcons_ = Value;
  CalcImageMetrics();
  rebuildBarWindows();
}

TdxBarManagerStyle TdxBarManager::GetEffectiveStyle() const {
  // Without a look-and-feel object here, "use look and feel" follows the default look.
  return style_ == bmsUseLookAndFeel ? bmsEnhanced : style_;
}

void TdxBarManager::StyleChanged() {
  painter_ = dxBarPainterOf(GetEffectiveStyle());
  dragMarkOffset_ = painter_->GetDragMarkOffset();
  dragMarkSize_ = painter_->GetDragMarkSize();
  CalcImageMetrics();
  rebuildBarWindows();
}

void TdxBarManager::CalcImageMetrics() {
  imageSize_ = largeIcons_ ? 32 : 16;
  buttonGlyphWidth_ = imageSize_ + painter_->GetButtonExtraWidth();
  buttonGlyphHeight_ = imageSize_ + painter_->GetButtonExtraHeight();
  arrowWidth_ = painter_->GetButtonArrowWidth(this);
}

void TdxBarManager::SetUseSystemFont(bool Value) {
  useSystemFont_ = Value;
  if (!Value) return;
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return;
  HFONT menuFont = CreateFontIndirectA(&metrics.lfMenuFont);
  ScopedRestore<bool> restoreGuard(fontGuard_);
  fontGuard_ = true;
  font_->SetHandle(menuFont);
}

void TdxBarManager::fontChanged(TObject*) {
  if (!fontGuard_) useSystemFont_ = false;
  rebuildFontHandle();
  rebuildBarWindows();
}

void TdxBarManager::rebuildFontHandle() {
  LOGFONTA lf{};
  GetObjectA(font_->Handle(), sizeof(lf), &lf);
  HFONT handle = CreateFontIndirectA(&lf);
  if (fontHandle_) DeleteObject(fontHandle_);
  fontHandle_ = handle;
}

void TdxBarManager::rebuildBarWindows() {
  if (!bars_ || IsLoading() || IsDestroying()) return;
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (TdxBarControl* control = bars_->Items(i)->Control()) control->Rebuild();
}

TdxBarItem* TdxBarManager::Items(Integer Index) const {
  return Index >= 0 && Index < ItemCount() ? items_[Index] : nullptr;
}

TdxBarItem* TdxBarManager::ItemByName(const std::string& Name) const {
  for (TdxBarItem* item : items_)
    if (SameText(item->Name(), Name)) return item;
  return nullptr;
}

void TdxBarManager::MoveItem(Integer CurIndex, Integer NewIndex) {
  if (CurIndex < 0 || CurIndex >= ItemCount() || NewIndex < 0 || NewIndex >= ItemCount()) return;
  TdxBarItem* item = items_[CurIndex];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}

Integer TdxBarManager::GetItemsByCategory(Integer Category, TList* List) const {
  List->Clear();
  if (Category < 0 || Category >= categories_->Count()) return 0;
  for (TdxBarItem* item : items_)
    if (item->Category() == Category) List->Add(item);
  return List->Count();
}

void TdxBarManager::DestroyItems() {
  while (!items_.empty()) delete items_.back();
}

TdxBarItemVisible TdxBarManager::GetCategoryItemsVisible(Integer Index) const {
  if (Index < 0 || Index >= categories_->Count()) return ivAlways;
  CategoryRecord* record = recordOf(categories_.get(), Index);
  return record ? record->ItemsVisible : ivAlways;
}

// The category's items that share its old state take the new one; an item set apart
// keeps its own state.
void TdxBarManager::SetCategoryItemsVisible(Integer Index, TdxBarItemVisible Value) {
  if (Index < 0 || Index >= categories_->Count()) return;
  CategoryRecord* record = ensureRecord(categories_.get(), Index);
  if (IsLoading()) {
    record->LoadedItemsVisible = Value;
    return;
  }
  TdxBarItemVisible old = record->ItemsVisible;
  record->ItemsVisible = Value;
  std::vector<TdxBarItem*> items;
  for (TdxBarItem* item : items_)
    if (item->Category() == Index && item->Visible() == old) items.push_back(item);
  if (Value == ivAlways) std::reverse(items.begin(), items.end());
  for (TdxBarItem* item : items) item->SetVisible(Value);
}

bool TdxBarManager::GetCategoryVisible(Integer Index) const {
  if (Index < 0 || Index >= categories_->Count()) return true;
  CategoryRecord* record = recordOf(categories_.get(), Index);
  return record ? record->Visible : true;
}

void TdxBarManager::SetCategoryVisible(Integer Index, bool Value) {
  if (Index < 0 || Index >= categories_->Count()) return;
  ensureRecord(categories_.get(), Index)->Visible = Value;
}

Integer TdxBarManager::GetVisibleCategoryIndex(Integer N) const {
  if (IsDesigning()) return N;
  for (Integer i = 0; i < categories_->Count(); ++i)
    if (GetCategoryVisible(i) && N-- == 0) return i;
  return -1;
}

TdxBar* TdxBarManager::BarByCaption(const std::string& Caption) const {
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (bars_->Items(i)->Caption() == Caption) return bars_->Items(i);
  return nullptr;
}

TdxBar* TdxBarManager::BarByName(const std::string& Name) const {
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (bars_->Items(i)->Name() == Name) return bars_->Items(i);
  return nullptr;
}

TdxDockControl* TdxBarManager::BuiltInDockControl(TdxBarDockingStyle Style) const {
  return bars_ ? bars_->DockControls(Style) : nullptr;
}

void TdxBarManager::DoClickItem(TdxBarItem* Item) {
  if (onClickItem_) onClickItem_(this, Item);
}

void TdxBarManager::HideAll() {
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (TdxBarControl* control = bars_->Items(i)->Control())
      if (!control->PressedControl()) control->SelectControl(nullptr, false);
}

void TdxBarManager::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "DockControlHeights", [this](TReader* r) { readDockControlHeights(r); },
      [this](TWriter* w) { writeDockControlHeights(w); }, true);
}

void TdxBarManager::readDockControlHeights(TReader* Reader) {
  static const TdxBarDockingStyle order[] = {dsLeft, dsRight, dsTop, dsBottom};
  Reader->ReadListBegin();
  for (TdxBarDockingStyle style : order) {
    if (Reader->EndOfList()) break;
    Integer value = Reader->ReadInteger();
    if (TdxDockControl* dock = BuiltInDockControl(style)) {
      if (dock->IsVertical()) dock->SetWidth(value);
      else dock->SetHeight(value);
    }
  }
  while (!Reader->EndOfList()) Reader->ReadInteger();
  Reader->ReadListEnd();
}

void TdxBarManager::writeDockControlHeights(TWriter* Writer) {
  static const TdxBarDockingStyle order[] = {dsLeft, dsRight, dsTop, dsBottom};
  Writer->WriteListBegin();
  for (TdxBarDockingStyle style : order) {
    TdxDockControl* dock = BuiltInDockControl(style);
    Writer->WriteInteger(!dock ? 0 : dock->IsVertical() ? dock->Width() : dock->Height());
  }
  Writer->WriteListEnd();
}

// A link whose item was named but not found must not stay as an empty link: the stored
// description is refused, naming what is missing.
void TdxBarManager::checkLinksResolved() {
  auto check = [this](TdxBarItemLinks* links, const std::string& ownerName) {
    for (Integer i = 0; i < links->Count(); ++i) {
      if (links->Items(i)->Item()) continue;
      std::unique_ptr<TStringList> names(new TStringList);
      GetFixupReferenceNames(ownerForm_, names.get());
      std::string missing = names->Count() > 0 ? names->Strings(0) : Format("#%d", i);
      for (Integer n = 0; n < names->Count(); ++n) RemoveFixupReferences(ownerForm_, names->Strings(n));
      throw EReadError(Format(dxBarMissingLinkItemMessage, ownerName, missing));
    }
  };
  for (Integer i = 0; i < bars_->Count(); ++i) check(bars_->Items(i)->ItemLinks(), bars_->Items(i)->Caption());
  for (TdxBarItem* item : items_)
    if (auto* sub = dynamic_cast<TdxBarSubItem*>(item)) check(sub->ItemLinks(), sub->Name());
}

void TdxBarManager::Loaded() {
  TComponent::Loaded();
  checkLinksResolved();
  // The categories' stored states reach their items before the items take their states
  // (the items are still being read, so their setters would only record).
  for (Integer i = 0; i < categories_->Count(); ++i) {
    CategoryRecord* record = recordOf(categories_.get(), i);
    if (!record || record->LoadedItemsVisible == record->ItemsVisible) continue;
    for (TdxBarItem* item : items_)
      if (item->category_ == i && item->loadedVisible_ == record->ItemsVisible)
        item->loadedVisible_ = record->LoadedItemsVisible;
    record->ItemsVisible = record->LoadedItemsVisible;
  }
  for (TdxBarItem* item : items_) item->visible_ = item->loadedVisible_;
  for (TdxBarItem* item : items_)
    if (auto* sub = dynamic_cast<TdxBarSubItem*>(item)) sub->ItemLinks()->ApplyRecentData(true);
  rebuildFontHandle();
  for (Integer i = 0; i < bars_->Count(); ++i) {
    bars_->Items(i)->ItemLinks()->ApplyRecentData(true);
    bars_->Items(i)->ApplyLoadedState();
  }
}

void TdxBarManager::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || !bars_) return;
  for (auto& dock : bars_->docks_)
    if (dock == AComponent) dock = nullptr;
}

// =======================================================================================
// Items
// =======================================================================================

TdxBarItem::TdxBarItem(TComponent* AOwner) : TComponent(AOwner), glyph_(std::make_unique<TBitmap>()) {
  if (managerList) {
    barManager_ = managerList->ManagerOf(AOwner);
    if (!barManager_ && managerList->Count() > 0) barManager_ = managerList->Items(0);
  }
  if (barManager_) barManager_->items_.push_back(this);
  liveItems().push_back(this);
  glyph_->SetOnChange(TNotifyEvent(this, &TdxBarItem::glyphChanged));
}

void TdxBarItem::BeforeDestruction() {
  TComponent::BeforeDestruction();
  eraseFrom(liveItems(), this);
  // The links placing this item go with it.
  while (!links_.empty()) {
    TdxBarItemLink* link = links_.back();
    links_.pop_back();
    link->item_ = nullptr;
    delete link;
  }
  if (barManager_) eraseFrom(barManager_->items_, this);
  barManager_ = nullptr;
}

TdxBarItem::~TdxBarItem() { eraseFrom(liveItems(), this); }

bool TdxBarItem::IsAlive(const TdxBarItem* Item) { return Item && indexIn(liveItems(), Item) >= 0; }

void TdxBarItem::ReadState(TReader* Reader) {
  TComponent::ReadState(Reader);
  if (auto* manager = dynamic_cast<TdxBarManager*>(Reader->Parent())) {
    if (barManager_ && barManager_ != manager) eraseFrom(barManager_->items_, this);
    if (barManager_ != manager) manager->items_.push_back(this);
    barManager_ = manager;
  }
}

void TdxBarItem::Loaded() { TComponent::Loaded(); }

TdxBarItemLink* TdxBarItem::Links(Integer Index) const {
  return Index >= 0 && Index < LinkCount() ? links_[Index] : nullptr;
}

std::string TdxBarItem::CleanCaption() const {
  std::string s = caption_;
  size_t amp = s.find('&');
  if (amp != std::string::npos) s.erase(amp, 1);
  size_t dots = s.find("...");
  if (dots != std::string::npos) s.erase(dots, 3);
  return s;
}

bool TdxBarItem::IsVisibleInMode() const {
  bool customizing = barManager_ && barManager_->IsCustomizing();
  return (visible_ == ivAlways && (HasContent() || customizing)) || (visible_ == ivInCustomizing && customizing);
}

void TdxBarItem::SetAlign(TdxBarItemAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  for (TdxBarItemLink* link : links_)
    if (link->Control()) link->Control()->VisibleChanged();
}

// The hint follows the caption while it is empty or still shows the old caption.
void TdxBarItem::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  std::string shortHint = hint_.substr(0, hint_.find('|'));
  bool hintFollows = !dynamic_cast<TdxBarSubItem*>(this) && (hint_.empty() || shortHint == CleanCaption());
  caption_ = Value;
  if (ComponentState().Contains(csLoading)) return;
  if (hintFollows) {
    size_t bar = hint_.find('|');
    hint_ = bar == std::string::npos ? CleanCaption() : CleanCaption() + "|" + hint_.substr(bar + 1);
  }
  CaptionChanged();
}

void TdxBarItem::SetCategory(Integer Value) {
  if (category_ == Value) return;
  if (ComponentState().Contains(csLoading)) {
    category_ = Value;
    return;
  }
  if (!barManager_ || Value < 0 || Value >= barManager_->Categories()->Count()) return;
  category_ = Value;
}

void TdxBarItem::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  if (!ComponentState().Contains(csLoading)) EnabledChanged();
}

void TdxBarItem::SetVisible(TdxBarItemVisible Value) {
  if (ComponentState().Contains(csLoading)) {
    loadedVisible_ = Value;
    return;
  }
  if (visible_ == Value) return;
  visible_ = Value;
  VisibleChanged();
}

void TdxBarItem::CaptionChanged() {
  for (TdxBarItemLink* link : links_)
    if (link->Control() && !link->UserDefine().Contains(udCaption)) link->Control()->CaptionChanged();
}

void TdxBarItem::EnabledChanged() {
  for (TdxBarItemLink* link : links_)
    if (link->Control()) link->Control()->EnabledChanged();
}

void TdxBarItem::GlyphChanged() {
  for (TdxBarItemLink* link : links_)
    if (link->Control() && !link->UserDefine().Contains(udGlyph)) link->Control()->GlyphChanged();
}

// Each link's collection decides again what it shows; its window makes or frees the view.
void TdxBarItem::VisibleChanged() {
  if (barManager_ && barManager_->IsDesigning()) return;
  std::vector<TdxBarItemLink*> links = links_;
  for (TdxBarItemLink* link : links) {
    TdxBarItemLinks* collection = link->Links();
    if (!collection) continue;
    collection->RebuildShownLists();
    if (IsVisibleInMode()) link->UseLink(0);
    else link->MoveToRecentEnd();
    if (TdxBarControl* bar = dynamic_cast<TdxBarControl*>(collection->BarControl())) bar->Rebuild();
  }
}

void TdxBarItem::Click() {
  if (!Enabled()) return;
  try {
    if (barManager_) barManager_->DoClickItem(this);
    DoClick();
  } catch (Exception&) {
    Application->HandleException(this);
  }
}

void TdxBarItem::DoClick() {
  if (onClick_) onClick_(this);
}

void TdxBarItem::DirectClick() {
  if (CanClickByShortCut()) Click();
}

// --- Button item.

void TdxBarButton::relayoutViews() {
  for (Integer i = 0; i < LinkCount(); ++i)
    if (TdxBarItemControl* view = Links(i)->Control()) view->VisibleChanged();
}

void TdxBarButton::repaintViews() {
  for (Integer i = 0; i < LinkCount(); ++i)
    if (TdxBarItemControl* view = Links(i)->Control()) view->Repaint();
}

void TdxBarButton::SetAllowAllUp(bool Value) {
  if (allowAllUp_ == Value) return;
  allowAllUp_ = Value;
  if (groupIndex_ == 0 || !BarManager()) return;
  for (Integer i = 0; i < BarManager()->ItemCount(); ++i)
    if (auto* other = dynamic_cast<TdxBarButton*>(BarManager()->Items(i)))
      if (other->groupIndex_ == groupIndex_) other->allowAllUp_ = Value;
}

void TdxBarButton::SetButtonStyle(TdxBarButtonStyle Value) {
  if (buttonStyle_ == Value) return;
  buttonStyle_ = Value;
  SetDown(false);
  if (buttonStyle_ != bsChecked) groupIndex_ = 0;
  if (!ComponentState().Contains(csLoading)) relayoutViews();
}

void TdxBarButton::SetDown(bool Value) {
  if (Value == down_ || (Value && buttonStyle_ != bsChecked)) return;
  bool loading = ComponentState().Contains(csLoading);
  TdxBarButton* toRelease = nullptr;
  if (!loading && buttonStyle_ == bsChecked && groupIndex_ != 0 && BarManager()) {
    if (Value) {
      for (Integer i = 0; i < BarManager()->ItemCount() && !toRelease; ++i)
        if (auto* other = dynamic_cast<TdxBarButton*>(BarManager()->Items(i)))
          if (other != this && other->buttonStyle_ == bsChecked && other->groupIndex_ == groupIndex_ && other->down_)
            toRelease = other;
    } else {
      bool anotherDown = false;
      for (Integer i = 0; i < BarManager()->ItemCount(); ++i)
        if (auto* other = dynamic_cast<TdxBarButton*>(BarManager()->Items(i)))
          if (other != this && other->groupIndex_ == groupIndex_ && other->down_) anotherDown = true;
      if (!allowAllUp_ && !anotherDown) return;
    }
  }
  down_ = Value;
  if (loading) return;
  repaintViews();
  if (toRelease) {
    toRelease->down_ = false;
    toRelease->repaintViews();
  }
}

void TdxBarButton::SetGroupIndex(Integer Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = buttonStyle_ == bsChecked ? Value : 0;
  SetDown(false);
}

void TdxBarButton::SetLowered(bool Value) {
  if (lowered_ == Value) return;
  lowered_ = Value;
  if (!ComponentState().Contains(csLoading)) relayoutViews();
}

void TdxBarButton::SetPaintStyle(TdxBarPaintStyle Value) {
  if (paintStyle_ == Value) return;
  paintStyle_ = Value;
  if (ComponentState().Contains(csLoading)) return;
  for (Integer i = 0; i < LinkCount(); ++i)
    if (TdxBarItemControl* view = Links(i)->Control())
      if (!Links(i)->UserDefine().Contains(udPaintStyle)) view->VisibleChanged();
}

void TdxBarButton::DirectClick() {
  if (Enabled() && buttonStyle_ == bsChecked) SetDown(!down_);
  TdxBarItem::DirectClick();
}

// --- Sub-item.

TdxBarSubItem::TdxBarSubItem(TComponent* AOwner) : TdxBarItem(AOwner) {
  itemLinks_ = std::make_unique<TdxBarItemLinks>(BarManager(), this);
}

TdxBarSubItem::~TdxBarSubItem() = default;

void TdxBarSubItem::SetItemLinks(TdxBarItemLinks* Value) { itemLinks_->Assign(Value); }

// =======================================================================================
// Item links
// =======================================================================================

TdxBarItemLink::TdxBarItemLink(TCollection* Collection)
    : TCollectionItem(Collection), userGlyph_(std::make_unique<TBitmap>()) {}

TdxBarItemLink::~TdxBarItemLink() {
  DestroyControl();
  if (item_) eraseFrom(item_->links_, this);
  item_ = nullptr;
  if (TdxBarItemLinks* links = Links()) {
    eraseFrom(links->recency_, this);
    eraseFrom(links->available_, this);
    eraseFrom(links->canShow_, this);
    eraseFrom(links->shown_, this);
  }
}

TdxBarItemLinks* TdxBarItemLink::Links() const { return static_cast<TdxBarItemLinks*>(Collection()); }

TdxBarManager* TdxBarItemLink::BarManager() const { return Links() ? Links()->BarManager() : nullptr; }

TCustomdxBarControl* TdxBarItemLink::BarControl() const { return Links() ? Links()->BarControl() : nullptr; }

void TdxBarItemLink::Changed() { TCollectionItem::Changed(false); }

// A separator of a hidden link moves to the next shown link; the first shown link never
// begins a group.
bool TdxBarItemLink::BeginGroup() const {
  TdxBarItemLinks* links = Links();
  if (!links) return beginGroup_;
  Integer shown = ShownPosition();
  if (shown < 0) return beginGroup_;
  if (shown == 0) return false;
  if (beginGroup_) return true;
  const TdxBarItemLink* previous = links->shown_[shown - 1];
  Integer from = indexIn(links->available_, previous), to = AvailablePosition();
  for (Integer i = from + 1; i >= 0 && i < to; ++i)
    if (links->available_[i]->beginGroup_) return true;
  return false;
}

void TdxBarItemLink::SetBeginGroup(bool Value) {
  if (beginGroup_ == Value) return;
  beginGroup_ = Value;
  Changed();
}

static bool subItemCannotHold(TdxBarSubItem* sub, TdxBarItem* value) {
  if (value == sub) return true;
  if (auto* valueSub = dynamic_cast<TdxBarSubItem*>(value)) return valueSub->ItemLinks()->ContainsItem(sub);
  return false;
}

void TdxBarItemLink::SetItem(TdxBarItem* Value) {
  if (item_ == Value) return;
  if (item_) eraseFrom(item_->links_, this);
  item_ = nullptr;
  if (!Value) {
    Free();
    return;
  }
  TdxBarItemLinks* links = Links();
  if (links)
    if (auto* sub = dynamic_cast<TdxBarSubItem*>(links->Owner()))
      if (subItemCannotHold(sub, Value)) {
        Changed();
        throw Exception(cxGetResourceString(&dxSBAR_RECURSIVESUBITEMS));
      }
  item_ = Value;
  Value->links_.push_back(this);
  if (links) {
    links->RebuildShownLists();
    auto* ownerComponent = dynamic_cast<TComponent*>(links->Owner());
    bool loading = ownerComponent ? ownerComponent->ComponentState().Contains(csLoading)
                                  : (BarManager() && BarManager()->IsLoading());
    if (!loading) ApplyMostRecentlyUsed();
  }
  Changed();
}

void TdxBarItemLink::SetMostRecentlyUsed(bool Value) {
  mostRecentlyUsed_ = Value;
  ApplyMostRecentlyUsed();
  Changed();
}

void TdxBarItemLink::SetUserCaption(const std::string& Value) {
  userCaption_ = Value;
  userDefine_.Include(udCaption);
  if (control_) control_->CaptionChanged();
  Changed();
}

void TdxBarItemLink::SetUserDefine(TdxBarUserDefines Value) {
  if (!Value.Contains(udCaption)) userCaption_.clear();
  if (!Value.Contains(udGlyph)) userGlyph_->Assign(nullptr);
  if (!Value.Contains(udPaintStyle)) userPaintStyle_ = psStandard;
  if (!Value.Contains(udWidth)) userWidth_ = 0;
  userDefine_ = Value;
  if (control_) {
    control_->CaptionChanged();
    control_->GlyphChanged();
  }
  Changed();
}

void TdxBarItemLink::SetUserGlyph(TBitmap* Value) {
  userGlyph_->Assign(Value);
  userDefine_.Include(udGlyph);
  if (control_) control_->GlyphChanged();
  Changed();
}

void TdxBarItemLink::SetUserPaintStyle(TdxBarPaintStyle Value) {
  if (Value == PaintStyle()) return;
  userPaintStyle_ = Value;
  userDefine_.Include(udPaintStyle);
  if (control_) control_->VisibleChanged();
  Changed();
}

void TdxBarItemLink::SetUserWidth(Integer Value) {
  if (Value < 20) Value = 20;
  if (Value == Width()) return;
  userWidth_ = Value;
  userDefine_.Include(udWidth);
  Changed();
}

void TdxBarItemLink::SetVisible(bool Value) {
  TdxBarItemLinks* links = Links();
  bool loading = BarManager() && BarManager()->IsLoading();
  if (loading || (links && links->assigning_)) {
    recordedVisible_ = Value;
    visible_ = Value;
    return;
  }
  if (visible_ == Value) return;
  visible_ = Value;
  recordedVisible_ = Value;
  if (links && !(BarManager() && BarManager()->IsDesigning())) {
    links->RebuildShownLists();
    if (Value) UseLink(0);
    else MoveToRecentEnd();
  }
  Changed();
}

std::string TdxBarItemLink::Caption() const {
  return userDefine_.Contains(udCaption) || !item_ ? userCaption_ : item_->Caption();
}

TBitmap* TdxBarItemLink::Glyph() const {
  return userDefine_.Contains(udGlyph) || !item_ ? userGlyph_.get() : item_->Glyph();
}

TdxBarPaintStyle TdxBarItemLink::PaintStyle() const {
  if (userDefine_.Contains(udPaintStyle) || !item_) return userPaintStyle_;
  if (auto* button = dynamic_cast<TdxBarButton*>(item_)) return button->PaintStyle();
  return psStandard;
}

Integer TdxBarItemLink::Width() const { return userDefine_.Contains(udWidth) ? userWidth_ : 0; }

Integer TdxBarItemLink::RecentIndex() const { return Links() ? indexIn(Links()->recency_, this) : -1; }
Integer TdxBarItemLink::AvailablePosition() const { return Links() ? indexIn(Links()->available_, this) : -1; }
Integer TdxBarItemLink::CanShowPosition() const { return Links() ? indexIn(Links()->canShow_, this) : -1; }
Integer TdxBarItemLink::ShownPosition() const { return Links() ? indexIn(Links()->shown_, this) : -1; }

void TdxBarItemLink::ApplyMostRecentlyUsed() {
  if (mostRecentlyUsed_) {
    useCount_ = BarManager() ? BarManager()->RecentUseThreshold() : 0;
    UseLink(0);
  } else {
    useCount_ = 0;
    MoveToRecentEnd();
  }
}

void TdxBarItemLink::UseLink(Integer Count) {
  TdxBarItemLinks* links = Links();
  if (!links || !item_ || !item_->IsVisibleInMode() || !visible_) return;
  eraseFrom(links->recency_, this);
  links->recency_.insert(links->recency_.begin(), this);
  if (Count == 1) ++useCount_;
}

void TdxBarItemLink::MoveToRecentEnd() {
  TdxBarItemLinks* links = Links();
  if (!links) return;
  eraseFrom(links->recency_, this);
  links->recency_.push_back(this);
}

void TdxBarItemLink::MoveInRecency(Integer Position) {
  TdxBarItemLinks* links = Links();
  if (!links) return;
  eraseFrom(links->recency_, this);
  Integer at = std::clamp<Integer>(Position, 0, static_cast<Integer>(links->recency_.size()));
  links->recency_.insert(links->recency_.begin() + at, this);
  links->RebuildShownLists();
}

void TdxBarItemLink::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TdxBarItemLink*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  userCaption_ = src->userCaption_;
  userGlyph_->Assign(src->userGlyph_.get());
  userPaintStyle_ = src->userPaintStyle_;
  userWidth_ = src->userWidth_;
  SetItem(src->item_);
  userDefine_ = src->userDefine_;
  beginGroup_ = src->BeginGroup();
  SetVisible(src->visible_);
}

void TdxBarItemLink::CreateControl() {
  if (control_ || !item_ || !BarControl()) return;
  if (TdxBarItemControlFactory factory = dxBarItemControlFactory(item_->ClassType())) control_.reset(factory(this));
}

void TdxBarItemLink::DestroyControl() { control_.reset(); }

// --- The collection.

TdxBarItemLinks::TdxBarItemLinks(TdxBarManager* Manager, TPersistent* Owner)
    : TCollection(TdxBarItemLink::StaticClass()), manager_(Manager), owner_(Owner) {}

TdxBarItemLinks::~TdxBarItemLinks() {
  FreeBarWindow();
  BeginUpdate();
  Clear();
}

void TdxBarItemLinks::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  auto* link = static_cast<TdxBarItemLink*>(Item);
  if (Action == cnAdded) {
    link->useCount_ = manager_ ? manager_->RecentUseThreshold() : 0;
    recency_.push_back(link);
    if (manager_ && !manager_->IsLoading() && manager_->OnItemLinkAdd()) manager_->OnItemLinkAdd()(manager_, link);
  } else if (Action == cnExtracting) {
    if (manager_ && !manager_->IsDestroying() && manager_->OnItemLinkDelete())
      manager_->OnItemLinkDelete()(manager_, link);
    link->DestroyControl();
    eraseFrom(recency_, link);
    eraseFrom(available_, link);
    eraseFrom(canShow_, link);
    eraseFrom(shown_, link);
  }
}

void TdxBarItemLinks::Update(TCollectionItem*) {
  if (auto* owner = dynamic_cast<TComponent*>(owner_))
    if (owner->ComponentState().Contains(csDestroying)) return;
  RebuildShownLists();
  if (auto* bar = dynamic_cast<TdxBarControl*>(barControl_)) bar->Rebuild();
}

void TdxBarItemLinks::Assign(TPersistent* Source) {
  {
    ScopedRestore<bool> restoreAssigning(assigning_);
    assigning_ = true;
    TCollection::Assign(Source);
  }
  for (Integer i = 0; i < Count(); ++i) {
    TdxBarItemLink* link = Items(i);
    link->visible_ = !link->recordedVisible_;  // force the change through
    link->SetVisible(link->recordedVisible_);
  }
}

bool TdxBarItemLinks::IsRecentMode() const {
  if (!manager_ || manager_->GetEffectiveStyle() == bmsStandard) return false;
  return useRecentItems_;
}

void TdxBarItemLinks::RebuildShownLists() {
  available_.clear();
  canShow_.clear();
  shown_.clear();
  bool designing = manager_ && manager_->IsDesigning();
  for (Integer i = 0; i < Count(); ++i) {
    TdxBarItemLink* link = Items(i);
    if (!link->item_ || !(designing || link->item_->IsVisibleInMode())) continue;
    available_.push_back(link);
    if (!(designing || link->visible_)) continue;
    canShow_.push_back(link);
    if (designing || recentCount_ == -1) shown_.push_back(link);
  }
  if (designing || recentCount_ <= 0) return;
  for (TdxBarItemLink* link : recency_) {
    if (static_cast<Integer>(shown_.size()) >= recentCount_) break;
    if (indexIn(canShow_, link) >= 0) shown_.push_back(link);
  }
  std::sort(shown_.begin(), shown_.end(), [this](const TdxBarItemLink* a, const TdxBarItemLink* b) {
    return indexIn(canShow_, a) < indexIn(canShow_, b);
  });
}

void TdxBarItemLinks::SetRecentCount(Integer Count) {
  savedRecentCount_ = recentCount_;
  recentCount_ = IsRecentMode() ? Count : -1;
  RebuildShownLists();
}

void TdxBarItemLinks::RestoreRecentCount() {
  recentCount_ = savedRecentCount_;
  RebuildShownLists();
}

Integer TdxBarItemLinks::CalcRecentCount() const {
  if (!IsRecentMode() || canShow_.empty()) return -1;
  Integer n = static_cast<Integer>(canShow_.size());
  Integer lo = canShow_.front()->useCount_, hi = lo;
  for (const TdxBarItemLink* link : canShow_) {
    lo = std::min(lo, link->useCount_);
    hi = std::max(hi, link->useCount_);
  }
  Integer limit = lo + MulDiv(hi - lo, 100 - manager_->MostRecentItemsPercents(), 100);
  Integer result = 0;
  for (Integer pos = std::min<Integer>(n, static_cast<Integer>(recency_.size())) - 1; pos >= 0; --pos)
    if (recency_[pos]->useCount_ >= limit && recency_[pos]->Collection() == this) {
      result = pos + 1;
      break;
    }
  return result == n ? -1 : result;
}

void TdxBarItemLinks::ApplyRecentData(bool ApplyVisible) {
  for (Integer i = Count() - 1; i >= 0; --i)
    if (Items(i)->item_) Items(i)->ApplyMostRecentlyUsed();
  if (ApplyVisible)
    for (Integer i = Count() - 1; i >= 0; --i) Items(i)->visible_ = Items(i)->recordedVisible_;
  RebuildShownLists();
}

void TdxBarItemLinks::PackRecencyList() {
  std::stable_partition(recency_.begin(), recency_.end(),
                        [this](const TdxBarItemLink* link) { return indexIn(canShow_, link) >= 0; });
}

bool TdxBarItemLinks::ContainsItem(const TdxBarItem* Item) const {
  for (Integer i = 0; i < Count(); ++i) {
    TdxBarItem* item = Items(i)->item_;
    if (item == Item) return true;
    if (auto* sub = dynamic_cast<TdxBarSubItem*>(item))
      if (sub->ItemLinks() != this && sub->ItemLinks()->ContainsItem(Item)) return true;
  }
  return false;
}

TdxBarControl* TdxBarItemLinks::CreateBarWindow() {
  if (barControl_) return dynamic_cast<TdxBarControl*>(barControl_);
  auto* bar = dynamic_cast<TdxBar*>(owner_);
  if (!bar || !manager_) return nullptr;
  auto* window = new TdxBarControl(manager_, bar);
  barControl_ = window;
  return window;
}

void TdxBarItemLinks::FreeBarWindow() {
  TCustomdxBarControl* window = barControl_;
  if (!window) return;
  barControl_ = nullptr;
  window->DestroyControls();
  window->releaseLinks();
}

// =======================================================================================
// Bars
// =======================================================================================

TdxBar::TdxBar(TCollection* Collection) : TCollectionItem(Collection) {}

TdxBar::~TdxBar() {
  if (itemLinks_) itemLinks_->FreeBarWindow();
  itemLinks_.reset();
}

TdxBars* TdxBar::Bars() const { return static_cast<TdxBars*>(Collection()); }

TdxBarManager* TdxBar::BarManager() const { return Bars() ? Bars()->BarManager() : nullptr; }

TdxBarControl* TdxBar::Control() const {
  return itemLinks_ ? dynamic_cast<TdxBarControl*>(itemLinks_->BarControl()) : nullptr;
}

TdxDockControl* TdxBar::RealDockControl() const { return Bars() ? Bars()->DockControls(dockingStyle_) : nullptr; }

void TdxBar::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TdxBar*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  allowClose_ = src->allowClose_;
  allowCustomizing_ = src->allowCustomizing_;
  allowQuickCustomizing_ = src->allowQuickCustomizing_;
  allowReset_ = src->allowReset_;
  SetCaption(src->caption_);
  dockedDockingStyle_ = src->dockedDockingStyle_;
  dockedLeft_ = src->dockedLeft_;
  dockedTop_ = src->dockedTop_;
  floatLeft_ = src->floatLeft_;
  floatTop_ = src->floatTop_;
  floatClientWidth_ = src->floatClientWidth_;
  floatClientHeight_ = src->floatClientHeight_;
  hidden_ = src->hidden_;
  SetIsMainMenu(src->isMainMenu_);
  itemLinks_->Assign(src->itemLinks_.get());
  oneOnRow_ = src->oneOnRow_;
  rotateWhenVertical_ = src->rotateWhenVertical_;
  row_ = src->row_;
  wholeRow_ = src->wholeRow_;
  SetDockingStyle(src->dockingStyle_);
  SetUseRecentItems(src->useRecentItems_);
  useRestSpace_ = src->useRestSpace_;
  SetColor(src->color_);
  useOwnFont_ = src->useOwnFont_;
  SetVisible(src->visible_);
}

void TdxBar::SetBorderStyle(TdxBarBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (Control()) Control()->Rebuild();
}

void TdxBar::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  TdxBarManager* manager = BarManager();
  if (manager && manager->BarByCaption(Value)) return;
  caption_ = Value;
  if (name_.empty() && manager && !manager->IsLoading()) {
    if (!manager->BarByName(Value)) name_ = Value;
    else
      for (Integer n = 1;; ++n) {
        std::string candidate = Value + IntToStr(n);
        if (!manager->BarByName(candidate)) {
          name_ = candidate;
          break;
        }
      }
  }
}

void TdxBar::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  if (Control()) Control()->Invalidate();
}

void TdxBar::SetIsMainMenu(bool Value) {
  if (isMainMenu_ == Value) return;
  if (Value && Bars())
    for (Integer i = 0; i < Bars()->Count(); ++i) Bars()->Items(i)->isMainMenu_ = false;
  isMainMenu_ = Value;
  wholeRow_ = Value;
  multiLine_ = Value;
}

void TdxBar::SetMultiLine(bool Value) {
  if (!Value && isMainMenu_) return;
  multiLine_ = Value;
}

void TdxBar::SetRow(Integer Value) {
  row_ = Value < 0 ? 0 : Value;
  if (TdxDockControl* dock = RealDockControl())
    if (Control()) dock->ArrangeBars();
}

void TdxBar::SetUseRecentItems(bool Value) {
  useRecentItems_ = Value;
  if (itemLinks_) itemLinks_->SetUseRecentItems(Value);
}

void TdxBar::SetDockingStyle(TdxBarDockingStyle Value) {
  if (dockingStyle_ == Value) return;
  TdxBarManager* manager = BarManager();
  if (manager && manager->IsLoading()) {
    dockingStyle_ = Value;
    return;
  }
  bool reshow = Control() != nullptr;
  if (reshow) hideWindow();
  dockingStyle_ = Value;
  if (Value != dsNone) dockedDockingStyle_ = Value;
  if (itemLinks_) itemLinks_->SetRecentCount(-1);
  if (reshow) showWindow();
}

void TdxBar::SetVisible(bool Value) {
  TdxBarManager* manager = BarManager();
  if (visible_ == Value) return;
  if (Value && manager && manager->IsDestroying()) return;
  if (manager && manager->IsLoading()) {
    loadedVisible_ = Value;
    visible_ = Value;
    return;
  }
  visible_ = Value;
  if (Value) showWindow();
  else hideWindow();
  if (manager && !manager->IsDestroying() && manager->OnBarVisibleChange())
    manager->OnBarVisibleChange()(manager, this);
}

void TdxBar::ApplyLoadedState() {
  visible_ = false;
  SetVisible(loadedVisible_);
}

// Docked: the window goes on the dock site of the docking style, in its row. A floating
// bar has no window of its own here; it stays recorded as visible.
void TdxBar::showWindow() {
  TdxDockControl* dock = RealDockControl();
  if (!dock || !itemLinks_) return;
  TdxBarControl* window = itemLinks_->CreateBarWindow();
  if (!window) return;
  window->SetParent(dock);
  window->Rebuild();
  window->SetVisible(true);
  dock->ArrangeBars();
}

void TdxBar::hideWindow() {
  TdxDockControl* dock = Control() ? dynamic_cast<TdxDockControl*>(Control()->Parent()) : nullptr;
  if (itemLinks_) itemLinks_->FreeBarWindow();
  if (dock) dock->ArrangeBars();
}

// --- The collection.

TdxBars::TdxBars(TdxBarManager* Manager) : TOwnedCollection(Manager, TdxBar::StaticClass()), manager_(Manager) {
  static const TdxBarDockingStyle edges[] = {dsLeft, dsTop, dsRight, dsBottom};
  for (TdxBarDockingStyle style : edges) {
    auto* dock = new TdxDockControl(Manager, style);
    dock->FreeNotification(Manager);
    docks_[style] = dock;
  }
}

TdxBars::~TdxBars() {
  BeginUpdate();
  Clear();
}

TdxDockControl* TdxBars::DockControls(TdxBarDockingStyle Style) const {
  return Style > dsNone && Style <= dsBottom ? docks_[Style] : nullptr;
}

void TdxBars::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  if (Action != cnAdded) return;
  auto* bar = static_cast<TdxBar*>(Item);
  bar->itemLinks_ = std::make_unique<TdxBarItemLinks>(manager_, bar);
}

// =======================================================================================
// Dock sites
// =======================================================================================

TdxDockControl::TdxDockControl(TdxBarManager* Manager, TdxBarDockingStyle Style)
    : TCustomControl(Manager), manager_(Manager), dockingStyle_(Style) {
  static const TAlign aligns[] = {alNone, alLeft, alTop, alRight, alBottom};
  SetAlign(aligns[Style]);
  if (IsVertical()) SetWidth(0);
  else SetHeight(0);
  SetParent(Manager->OwnerForm());
}

// Rows of bars (columns on the left and right): the bars of one row side by side in the
// order of their docked offsets; the site is as thick as its rows.
void TdxDockControl::ArrangeBars() {
  if (!manager_->Bars() || arranging_) return;
  ScopedRestore<bool> restoreArranging(arranging_);
  arranging_ = true;
  arrangeRows();
}

void TdxDockControl::Resize() {
  TCustomControl::Resize();
  ArrangeBars();
}

void TdxDockControl::arrangeRows() {
  std::vector<TdxBar*> bars;
  for (Integer i = 0; i < manager_->Bars()->Count(); ++i) {
    TdxBar* bar = manager_->Bars()->Items(i);
    if (bar->Control() && bar->Control()->Parent() == this) bars.push_back(bar);
  }
  std::stable_sort(bars.begin(), bars.end(), [](const TdxBar* a, const TdxBar* b) {
    return a->Row() != b->Row() ? a->Row() < b->Row() : a->DockedLeft() < b->DockedLeft();
  });
  bool vertical = IsVertical();
  Integer across = 0, along = 0, rowThickness = 0, row = bars.empty() ? 0 : bars.front()->Row();
  Integer siteLength = vertical ? ClientHeight() : ClientWidth();
  for (TdxBar* bar : bars) {
    if (bar->Row() != row) {
      across += rowThickness;
      along = 0;
      rowThickness = 0;
      row = bar->Row();
    }
    TSize size = bar->Control()->CalcFullSize();
    Integer length = vertical ? size.cy : size.cx, thickness = vertical ? size.cx : size.cy;
    if (bar->WholeRow()) length = std::max(length, siteLength);
    along = std::max(along, vertical ? bar->DockedTop() : bar->DockedLeft());
    if (vertical) bar->Control()->SetBounds(across, along, thickness, length);
    else bar->Control()->SetBounds(along, across, length, thickness);
    along += length;
    rowThickness = std::max(rowThickness, thickness);
  }
  across += rowThickness;
  if (vertical) SetWidth(across);
  else SetHeight(across);
}

void TdxDockControl::Paint() {
  TRect r = ClientRect();
  fillSolid(Canvas()->Handle(), r, ColorToRGB(manager_->OwnerForm() ? manager_->OwnerForm()->Color() : clBtnFace));
}

// =======================================================================================
// Bar windows
// =======================================================================================

TCustomdxBarControl::TCustomdxBarControl(TdxBarManager* Manager, TdxBarItemLinks* Links)
    : TCustomControl(Manager), manager_(Manager), links_(Links) {
  liveBarControls().push_back(this);
  CalcDrawingConsts();
}

TCustomdxBarControl::~TCustomdxBarControl() {
  eraseFrom(liveBarControls(), this);
  DestroyControls();
  if (links_ && links_->barControl_ == this) links_->barControl_ = nullptr;
}

bool TCustomdxBarControl::IsBarControlAlive(const TCustomdxBarControl* Control) {
  return Control && indexIn(liveBarControls(), Control) >= 0;
}

// The links let the window go. Inside one of its own mouse handlers the window only
// hides and frees itself once the handler has returned.
void TCustomdxBarControl::releaseLinks() {
  links_ = nullptr;
  eraseFrom(liveBarControls(), this);
  if (inHandler_ > 0) {
    SetVisible(false);
    if (HandleAllocated()) {
      PostMessageA(Handle(), CM_RELEASE, 0, 0);
      return;
    }
  }
  delete this;
}

void TCustomdxBarControl::CMRelease(TMessage&) { delete this; }

void TCustomdxBarControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  Params.WindowClass.style |= CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
}

void TCustomdxBarControl::CalcDrawingConsts() {
  textSize_ = measureText(manager_->FontHandle(), "0").cy + 6;
}

Integer TCustomdxBarControl::PointSize() const { return manager_->Font()->Size(); }

void TCustomdxBarControl::CreateControls() {
  if (!links_) return;
  for (Integer i = 0; i < links_->Count(); ++i) {
    TdxBarItemLink* link = links_->Items(i);
    bool shown = link->ShownPosition() >= 0;
    if (shown && !link->Control()) link->CreateControl();
    else if (!shown && link->Control()) link->DestroyControl();
  }
}

void TCustomdxBarControl::DestroyControls() {
  locked_ = true;
  selected_ = nullptr;
  pressed_ = nullptr;
  if (links_)
    for (Integer i = 0; i < links_->Count(); ++i) links_->Items(i)->DestroyControl();
  locked_ = false;
}

bool TCustomdxBarControl::HoldsControl(const TdxBarItemControl* Control) const {
  if (!links_) return false;
  for (const TdxBarItemLink* link : links_->ShownLinks())
    if (link->Control() == Control) return true;
  return false;
}

TdxBarItemControl* TCustomdxBarControl::ControlAt(const TPoint& P) const {
  if (!links_) return nullptr;
  for (TdxBarItemLink* link : links_->ShownLinks())
    if (link->Control() && PtInRect(&link->ItemRect(), P)) return link->Control();
  return nullptr;
}

void TCustomdxBarControl::InvalidateItem(const TdxBarItemControl* Control) {
  if (!HandleAllocated() || !Control || !Control->ItemLink()) return;
  TRect r = Control->ItemLink()->ItemRect();
  InvalidateRect(Handle(), &r, FALSE);
}

void TCustomdxBarControl::RepaintBar() {
  if (HandleAllocated()) Invalidate();
}

void TCustomdxBarControl::SelectControl(TdxBarItemControl* Control, bool ByMouse) {
  if (selected_ == Control) {
    if (Control) Control->SetHotSelected(ByMouse);
    return;
  }
  TdxBarItemControl* previous = selected_;
  selected_ = Control;
  if (Control) Control->SetHotSelected(ByMouse);
  if (previous) InvalidateItem(previous);
  if (Control) InvalidateItem(Control);
  manager_->SetSelectedItemControl(Control);
}

void TCustomdxBarControl::HideAll() { manager_->HideAll(); }

void TCustomdxBarControl::trackLeave() {
  if (tracking_ || !HandleAllocated()) return;
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = Handle();
  tracking_ = TrackMouseEvent(&track) != FALSE;
}

void TCustomdxBarControl::WMMouseLeave(TMessage& Message) {
  tracking_ = false;
  if (!pressed_) SelectControl(nullptr, true);
  INHERITED_MESSAGE(Message);
}

void TCustomdxBarControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  MouseHandlerScope scope(inHandler_);
  TCustomControl::MouseMove(Shift, X, Y);
  if (locked_) return;
  trackLeave();
  TdxBarItemControl* control = ControlAt(Point(X, Y));
  if (pressed_) {
    // The pressed look follows the cursor in and out of the pressed control.
    bool hot = control == pressed_;
    if (hot != pressedHot_) {
      pressedHot_ = hot;
      InvalidateItem(pressed_);
    }
    return;
  }
  if (control && !control->CanSelect()) control = nullptr;
  SelectControl(control, true);
}

void TCustomdxBarControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  MouseHandlerScope scope(inHandler_);
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || locked_) return;
  TdxBarItemControl* control = ControlAt(Point(X, Y));
  if (!control || !control->GetEnabled() || !control->AcceptsMouse()) return;
  SelectControl(control, true);
  pressed_ = control;
  pressedHot_ = true;
  if (control->CapturesMouse()) SetCapture(Handle());
  control->ControlActivate(true);
  InvalidateItem(control);
}

void TCustomdxBarControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  MouseHandlerScope scope(inHandler_);
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TdxBarItemControl* control = pressed_;
  pressed_ = nullptr;
  if (GetCapture() == Handle()) ReleaseCapture();
  if (!control) return;
  InvalidateItem(control);
  if (ControlAt(Point(X, Y)) != control || !control->GetEnabled()) {
    if (ControlAt(Point(X, Y)) != control) SelectControl(nullptr, true);
    return;
  }
  // The click may free this window and the control: nothing of either is touched after.
  control->ControlClick(true);
}

void TCustomdxBarControl::drawItems(HDC DC, TdxBarPaintType Type) {
  if (!links_) return;
  bool first = true;
  for (TdxBarItemLink* link : links_->ShownLinks()) {
    TdxBarItemControl* control = link->Control();
    const TRect& r = link->ItemRect();
    if (!control || isEmpty(r)) continue;
    if (!first && link->BeginGroup()) {
      Integer size = Painter()->GetSeparatorSize();
      TRect sep = IsVertical() ? Rect(r.left, r.top - size, r.right, r.top) : Rect(r.left - size, r.top, r.left, r.bottom);
      Painter()->DrawSeparator(this, DC, IsVertical(), sep);
    }
    first = false;
    int saved = SaveDC(DC);
    IntersectClipRect(DC, r.left, r.top, r.right, r.bottom);
    control->Paint(DC, r, Type);
    RestoreDC(DC, saved);
  }
}

// --- Toolbar window.

TdxBarControl::TdxBarControl(TdxBarManager* Manager, TdxBar* Bar)
    : TCustomdxBarControl(Manager, Bar->ItemLinks()), bar_(Bar) {}

bool TdxBarControl::IsLastControl(const TdxBarItemControl* Control) const {
  if (!links_ || links_->ShownLinks().empty()) return false;
  return links_->ShownLinks().back()->Control() == Control;
}

TRect TdxBarControl::ItemsArea() {
  TRect r = ClientRect();
  if (bar_->BorderStyle() == bbsSingle) {
    TRect border = Painter()->GetBarBorderRect(bar_, bar_->DockingStyle());
    r.left += border.left;
    r.top += border.top;
    r.right -= border.right;
    r.bottom -= border.bottom;
    if (IsVertical()) r.top += manager_->DragMarkSize();
    else r.left += manager_->DragMarkSize();
  }
  return r;
}

TSize TdxBarControl::CalcFullSize() {
  CalcDrawingConsts();
  CreateControls();
  bool vertical = IsVertical();
  Integer length = 0, thickness = 0;
  bool first = true;
  if (links_)
    for (TdxBarItemLink* link : links_->ShownLinks()) {
      TdxBarItemControl* control = link->Control();
      if (!control) continue;
      if (!first && link->BeginGroup()) length += Painter()->GetSeparatorSize();
      first = false;
      length += vertical ? control->RealHeight() : control->RealWidth();
      thickness = std::max(thickness, vertical ? control->RealWidth() : control->RealHeight());
    }
  if (first) {
    length = vertical ? manager_->ButtonGlyphHeight() : manager_->ButtonGlyphWidth();
    thickness = vertical ? manager_->ButtonGlyphWidth() : manager_->ButtonGlyphHeight();
  }
  Integer w = vertical ? thickness : length, h = vertical ? length : thickness;
  if (bar_->BorderStyle() == bbsSingle) {
    TRect border = Painter()->GetBarBorderRect(bar_, bar_->DockingStyle());
    w += border.left + border.right;
    h += border.top + border.bottom;
    if (vertical) h += manager_->DragMarkSize();
    else w += manager_->DragMarkSize();
  }
  return TSize{w, h};
}

// One line of links along the bar; a link that does not fit ends the line, and only the
// last link may take its alignment.
void TdxBarControl::CalcLayout() {
  linksHidden_ = false;
  if (!links_) return;
  for (Integer i = 0; i < links_->Count(); ++i) links_->Items(i)->SetItemRect(Rect(0, 0, 0, 0));
  CreateControls();
  bool vertical = IsVertical();
  TRect area = ItemsArea();
  Integer start = vertical ? area.top : area.left, end = vertical ? area.bottom : area.right;
  Integer crossStart = vertical ? area.left : area.top, cross = vertical ? area.right - area.left : area.bottom - area.top;
  Integer pos = start;
  TdxBarItemControl* last = nullptr;
  for (TdxBarItemLink* link : links_->ShownLinks()) {
    TdxBarItemControl* control = link->Control();
    if (!control) continue;
    control->SetLastInRow(false);
    Integer length = vertical ? control->RealHeight() : control->RealWidth();
    Integer thickness = vertical ? control->RealWidth() : control->RealHeight();
    Integer sep = pos > start && link->BeginGroup() ? Painter()->GetSeparatorSize() : 0;
    if (pos > start && pos + sep + length > end) {
      linksHidden_ = true;
      break;
    }
    Integer at = pos + sep;
    switch (control->EffectiveAlign()) {
      case iaCenter: at = std::max(at, at + (end - at - length) / 2); break;
      case iaRight: at = std::max(at, end - length); break;
      case iaClient: length = std::max(length, end - at); break;
      default: break;
    }
    Integer across = crossStart + (cross - thickness) / 2;
    link->SetItemRect(vertical ? Bounds(across, at, thickness, length) : Bounds(at, across, length, thickness));
    pos = at + length;
    last = control;
  }
  if (last) last->SetLastInRow(true);
}

void TdxBarControl::Rebuild() {
  if (!links_) return;
  CalcDrawingConsts();
  CreateControls();
  if (auto* dock = dynamic_cast<TdxDockControl*>(Parent())) dock->ArrangeBars();
  CalcLayout();
  RepaintBar();
}

void TdxBarControl::Paint() {
  if (!links_ || locked_) return;
  CalcLayout();
  TRect client = ClientRect();
  // Drawn off screen and copied in one go, so hot-tracking does not flicker.
  HDC target = Canvas()->Handle();
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  HGDIOBJ old = SelectObject(dc, bitmap);
  Painter()->DrawBarBackground(this, dc, client);
  if (bar_->BorderStyle() == bbsSingle) Painter()->DrawDragMark(this, dc, client);
  drawItems(dc, IsVertical() ? ptVert : ptHorz);
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// =======================================================================================
// Item controls
// =======================================================================================

TdxBarItemControl::TdxBarItemControl(TdxBarItemLink* Link) : link_(Link), parent_(Link->BarControl()) {}

TdxBarItemControl::~TdxBarItemControl() {
  if (parent_) parent_->forgetControl(this);
  TdxBarManager* manager = BarManager();
  if (manager && manager->SelectedItemControl() == this) manager->SetSelectedItemControl(nullptr);
}

TdxBarManager* TdxBarItemControl::BarManager() const { return parent_ ? parent_->BarManager() : nullptr; }

const TdxBarItemControlPainter* TdxBarItemControl::Painter() const {
  return BarManager() ? BarManager()->PainterClass() : dxBarPainterOf(bmsEnhanced);
}

void TdxBarItemControl::SetPressed(bool Value) {
  if (pressed_ == Value) return;
  pressed_ = Value;
  PressedChanged();
}

void TdxBarItemControl::PressedChanged() {
  Repaint();
  // The pressed look must be on screen while the handler runs.
  if (pressed_ && parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->Handle());
}

void TdxBarItemControl::CaptionChanged() {
  if (EffectiveAlign() == iaClient) Repaint();
  else VisibleChanged();
}

void TdxBarItemControl::EnabledChanged() {
  if (!GetEnabled() && parent_ && parent_->SelectedControl() == this) parent_->SelectControl(nullptr, false);
  Repaint();
}

void TdxBarItemControl::VisibleChanged() {
  if (auto* bar = dynamic_cast<TdxBarControl*>(parent_)) bar->Rebuild();
}

void TdxBarItemControl::Execute(bool ByMouse) {
  if (!GetEnabled()) return;
  TCustomdxBarControl* bar = parent_;
  ControlActivate(ByMouse);
  if (TCustomdxBarControl::IsBarControlAlive(bar) && bar->HoldsControl(this)) ControlClick(ByMouse);
}

// The click path: the link's use is counted, the open bar windows close, the pressed look
// shows while the item's click runs, and it goes again unless the handler freed the window.
void TdxBarItemControl::ControlClick(bool) {
  TdxBarItemLink* link = link_;
  TdxBarItem* item = Item();
  TCustomdxBarControl* bar = parent_;
  bool fire = CanClick();
  bool close = ClosesMenusOnClick();
  if (close) {
    try {
      link->UseLink(1);
    } catch (...) {
    }
  }
  bool wantPressed = UnclickAfterDoing() && (!close || !bar->IsMenu());
  if (wantPressed) SetPressed(true);
  // The pressed look goes afterwards, also after an exception, unless the handler freed
  // the window or this view.
  ScopeExit unpress([this, bar, wantPressed] {
    if (!wantPressed || !TCustomdxBarControl::IsBarControlAlive(bar) || !bar->HoldsControl(this)) return;
    try {
      SetPressed(false);
    } catch (...) {
    }
  });
  if (close) bar->HideAll();
  if (fire && item) {
    ScopeExit clearClickLink([item] {
      if (TdxBarItem::IsAlive(item)) item->clickItemLink_ = nullptr;
    });
    item->clickItemLink_ = link;
    item->Click();
  }
}

std::string TdxBarItemControl::GetCaption() const { return link_ ? link_->Caption() : std::string(); }

bool TdxBarItemControl::GetEnabled() const { return link_ && link_->Item() && link_->Item()->Enabled(); }

TBitmap* TdxBarItemControl::GetGlyph() const { return link_ ? link_->Glyph() : nullptr; }

std::string TdxBarItemControl::GetHint() const {
  return link_ && link_->Item() ? link_->Item()->Hint() : std::string();
}

TdxBarItemAlign TdxBarItemControl::EffectiveAlign() const {
  if (!Item() || !parent_ || !parent_->IsLastControl(this)) return iaLeft;
  return Item()->Align();
}

Integer TdxBarItemControl::RealWidth() const {
  if (EffectiveAlign() == iaClient && parent_ && !parent_->IsVertical()) return GetMinWidth();
  return GetWidth();
}

Integer TdxBarItemControl::RealHeight() const {
  if (EffectiveAlign() == iaClient && parent_ && parent_->IsVertical()) return GetMinHeight();
  return GetHeight();
}

bool TdxBarItemControl::IsSelected() const {
  return parent_ && parent_->SelectedControl() == this && (GetEnabled() || !hotSelected_);
}

bool TdxBarItemControl::IsPressedByMouse() const {
  if (!GetEnabled() || !parent_ || !parent_->HandleAllocated() || !link_) return false;
  if (parent_->PressedControl() != this) return false;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(parent_->Handle(), &p);
  return PtInRect(&link_->ItemRect(), p) && (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
}

bool TdxBarItemControl::HasImage() const { return !bitmapIsEmpty(GetGlyph()); }

bool TdxBarItemControl::UnclickAfterDoing() const {
  if (auto* button = dynamic_cast<TdxBarButton*>(Item())) return button->UnclickAfterDoing();
  return true;
}

void TdxBarItemControl::Repaint() {
  if (parent_ && !parent_->IsPaintLocked()) parent_->InvalidateItem(this);
}

// --- Button view.

TdxBarButtonStyle TdxBarButtonControl::ButtonStyle() const {
  auto* button = dynamic_cast<TdxBarButton*>(Item());
  return button ? button->ButtonStyle() : bsDefault;
}

bool TdxBarButtonControl::DownState() const {
  auto* button = dynamic_cast<TdxBarButton*>(Item());
  return button && button->Down();
}

bool TdxBarButtonControl::Lowered() const {
  auto* button = dynamic_cast<TdxBarButton*>(Item());
  return button && button->Lowered();
}

TdxBarPaintStyle TdxBarButtonControl::EffectivePaintStyle() const {
  TdxBarPaintStyle style = link_ ? link_->PaintStyle() : psStandard;
  if (style == psStandard && parent_ && !parent_->IsMenu() && !HasImage()) style = psCaption;
  return style;
}

Integer TdxBarButtonControl::GetButtonHeight() const {
  TdxBarManager* manager = BarManager();
  TdxBarPaintStyle style = EffectivePaintStyle();
  Integer h = manager->ButtonGlyphHeight();
  if (style == psCaption || style == psCaptionGlyph) h = std::max(h, parent_->TextSize());
  if (Lowered()) h += 2;
  return h;
}

Integer TdxBarButtonControl::GetButtonWidth() const {
  TdxBarManager* manager = BarManager();
  Integer caption = measureText(manager->FontHandle(), RemoveAmpersands(GetCaption())).cx;
  Integer w;
  switch (EffectivePaintStyle()) {
    case psCaption: w = caption + parent_->PointSize(); break;
    case psCaptionGlyph: w = caption + manager->ButtonGlyphWidth() + 4; break;
    default: w = manager->ButtonGlyphWidth(); break;
  }
  if (Lowered()) w += 2;
  return w;
}

Integer TdxBarButtonControl::GetWidth() const {
  Integer w = GetButtonWidth();
  if (ButtonStyle() == bsDropDown) w += BarManager()->ArrowWidth();
  return w;
}

Integer TdxBarButtonControl::GetHeight() const { return GetButtonHeight(); }

void TdxBarButtonControl::GlyphChanged() {
  if (link_ && link_->PaintStyle() == psStandard) VisibleChanged();
  else Repaint();
}

void TdxBarButtonControl::ControlActivate(bool) { Repaint(); }

void TdxBarButtonControl::ControlClick(bool ByMouse) {
  if (ButtonStyle() == bsChecked)
    if (auto* button = dynamic_cast<TdxBarButton*>(Item())) button->SetDown(!button->Down());
  TdxBarItemControl::ControlClick(ByMouse);
}

bool TdxBarButtonControl::ClosesMenusOnClick() const {
  if (!parent_ || !parent_->IsMenu()) return true;
  auto* button = dynamic_cast<TdxBarButton*>(Item());
  return !button || button->CloseSubMenuOnClick();
}

void TdxBarButtonControl::Paint(HDC DC, const TRect& Rect, TdxBarPaintType PaintType) {
  if (isEmpty(Rect)) return;
  TRect r = Rect;
  if (Lowered()) {
    DrawEdge(DC, &r, BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&r, -1, -1);
  }
  bool selected = IsDrawnSelected();
  TdxBarPaintStyle style = EffectivePaintStyle();
  bool pressedLook = (selected && IsPressedByMouse()) || (Pressed() && ButtonStyle() != bsChecked);
  bool downLook = DownState();
  if (ButtonStyle() == bsDropDown) r.right -= BarManager()->ArrowWidth();
  Painter()->DrawItemGlyph(this, DC, r, pressedLook, downLook, selected && GetEnabled(), style == psCaption,
                           PaintType);
  if (style == psCaption || style == psCaptionGlyph) {
    TRect text = r;
    text.left += style == psCaption ? parent_->PointSize() / 2 : BarManager()->ButtonGlyphWidth();
    Painter()->OffsetPressedButtonGlyph(downLook, pressedLook, text);
    Painter()->DrawCaption(this, DC, selected, GetEnabled(), text, RemoveAmpersands(GetCaption()));
  }
}

// =======================================================================================
// Published properties
// =======================================================================================

RTL_BEGIN_CLASS(TdxBarManagerCategories)
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarManager)
  using T = TdxBarManager;
  PUBLISH(Font);
  PUBLISH(Bars);
  PUBLISH(ButtonArrowWidth).Default(11);
  PUBLISH(CanCustomize).Default(true);
  PUBLISH(Categories);
  PUBLISH(LargeIcons).Default(false);
  PUBLISH(MostRecentItemsPercents).Default(95);
  PUBLISH(ShowHint).Default(true);
  PUBLISH(Style).Default(bmsEnhanced);
  PUBLISH(UseSystemFont);
  PUBLISH(OnBarVisibleChange);
  PUBLISH(OnClickItem);
  PUBLISH(OnItemLinkAdd);
  PUBLISH(OnItemLinkDelete);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarItem)
  using T = TdxBarItem;
  PUBLISH(Align).Default(iaLeft);
  PUBLISH(Caption);
  PUBLISH(Category);
  PUBLISH(Description);
  PUBLISH(Enabled).Default(true);
  PUBLISH(HelpContext).Default(0);
  PUBLISH(Hint);
  PUBLISH(Visible);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarButton)
  using T = TdxBarButton;
  PUBLISH(AllowAllUp).Default(false);
  PUBLISH(ButtonStyle).Default(bsDefault);
  PUBLISH(CloseSubMenuOnClick).Default(true);
  PUBLISH(GroupIndex).Default(0);
  PUBLISH(Down).Default(false);
  PUBLISH(Glyph);
  PUBLISH(Lowered).Default(false);
  PUBLISH(PaintStyle).Default(psStandard);
  PUBLISH(UnclickAfterDoing).Default(true);
  PUBLISH(OnClick);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarSubItem)
  using T = TdxBarSubItem;
  PUBLISH(Glyph);
  PUBLISH(ItemLinks);
  PUBLISH(OnClick);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarItemLink)
  using T = TdxBarItemLink;
  PUBLISH(BeginGroup).Default(false);
  PUBLISH(Item);
  PUBLISH(MostRecentlyUsed).Default(true);
  PUBLISH(UserCaption);
  PUBLISH(UserDefine).Default(TdxBarUserDefines{});
  PUBLISH(UserGlyph);
  PUBLISH(UserPaintStyle).Default(psStandard);
  PUBLISH(UserWidth).Default(0);
  PUBLISH(Visible);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TdxBarItemLinks)

RTL_BEGIN_CLASS(TdxBar)
  using T = TdxBar;
  PUBLISH(AllowClose).Default(true);
  PUBLISH(AllowCustomizing).Default(true);
  PUBLISH(AllowQuickCustomizing).Default(true);
  PUBLISH(AllowReset).Default(true);
  PUBLISH(BorderStyle).Default(bbsSingle);
  PUBLISH(Caption);
  PUBLISH(Color).Default(clDefault);
  PUBLISH(DockedDockingStyle);
  PUBLISH(DockedLeft);
  PUBLISH(DockedTop);
  PUBLISH(DockingStyle);
  PUBLISH(FloatLeft);
  PUBLISH(FloatTop);
  PUBLISH(FloatClientWidth);
  PUBLISH(FloatClientHeight);
  PUBLISH(Hidden).Default(false);
  PUBLISH(IsMainMenu).Default(false);
  PUBLISH(ItemLinks);
  PUBLISH(MultiLine).Default(false);
  PUBLISH(Name);
  PUBLISH(OneOnRow);
  PUBLISH(RotateWhenVertical).Default(true);
  PUBLISH(Row);
  PUBLISH(ShowMark).Default(true);
  PUBLISH(SizeGrip).Default(true);
  PUBLISH(UseOwnFont);
  PUBLISH(UseRecentItems).Default(true);
  PUBLISH(UseRestSpace).Default(false);
  PUBLISH(Visible);
  PUBLISH(WholeRow);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TdxBars)
RTL_IMPLEMENT_CLASS(TdxDockControl)

RTL_BEGIN_CLASS(TCustomdxBarControl)
  b.Message(WM_MOUSELEAVE, &TCustomdxBarControl::WMMouseLeave);
  b.Message(CM_RELEASE, &TCustomdxBarControl::CMRelease);
RTL_END_CLASS

RTL_IMPLEMENT_CLASS(TdxBarControl)
RTL_IMPLEMENT_CLASS(TdxBarItemControl)
RTL_IMPLEMENT_CLASS(TdxBarButtonControl)

// =======================================================================================
// Unit start and end
// =======================================================================================

namespace dxBarUnit {

void Initialize() {
  managerList = new TdxBarManagerList;
  registrations = new std::vector<ItemRegistration>;
  dxBarRegisterItem(TdxBarButton::StaticClass(),
                    [](TdxBarItemLink* link) -> TdxBarItemControl* { return new TdxBarButtonControl(link); });
  // Until menus exist a sub-item placed on a toolbar shows as a button.
  dxBarRegisterItem(TdxBarSubItem::StaticClass(),
                    [](TdxBarItemLink* link) -> TdxBarItemControl* { return new TdxBarButtonControl(link); });
  RegisterClasses({TdxBarManager::StaticClass(), TdxBarButton::StaticClass(), TdxBarSubItem::StaticClass()});
}

void Finalize() {
  delete managerList;
  managerList = nullptr;
  delete registrations;
  registrations = nullptr;
}

}  // namespace dxBarUnit
