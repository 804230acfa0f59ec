#include "dx/bars/dxBar.h"

#include <algorithm>

#include "cx/foundation/cxClasses.h"
#include "cx/foundation/dxOffice11.h"
#include "cx/foundation/dxThemeManager.h"
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
  lookAndFeel_ = std::make_unique<TcxLookAndFeel>(this);
  lookAndFeel_->SetOnChanged(TcxLookAndFeelChangedEvent(this, &TdxBarManager::lookAndFeelChanged));
  CalcRecentUseThreshold();
  StyleChanged();
  SetUseSystemFont(true);
  createPaintObjects();
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
  destroyPaintObjects();
  if (fontHandle_) DeleteObject(fontHandle_);
  if (rotatedFontHandle_) DeleteObject(rotatedFontHandle_);
  if (managerList) eraseFrom(managerList->managers_, this);
}

void TdxBarManager::SetBars(TdxBars* Value) { bars_->Assign(Value); }

void TdxBarManager::SetAutoDockColor(bool Value) {
  if (autoDockColor_ == Value) return;
  autoDockColor_ = Value;
  RefreshDockControlsAndBars();
}

TColor TdxBarManager::DockColor() const {
  if (autoDockColor_) return ownerForm_ ? ownerForm_->Color() : clBtnFace;
  return dockColor_;
}

void TdxBarManager::SetDockColor(TColor Value) {
  autoDockColor_ = false;
  if (dockColor_ == Value) return;
  dockColor_ = Value;
  RefreshDockControlsAndBars();
}

void TdxBarManager::SetMakeDisabledImagesFaded(bool Value) {
  if (makeDisabledImagesFaded_ == Value) return;
  makeDisabledImagesFaded_ = Value;
  rebuildBarWindows();
}

// The shared brushes, each colour taken to the nearest the screen shows: the flat frame
// (button shadow at 80 %), the flat bar (button face 16 % nearer white) and three mixes of
// face, highlight and window for down, down-and-selected and selected faces.
void TdxBarManager::createPaintObjects() {
  destroyPaintObjects();
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), face = GetSysColor(COLOR_BTNFACE);
  auto scaled = [](COLORREF c) { return RGB(MulDiv(GetRValue(c), 8, 10), MulDiv(GetGValue(c), 8, 10), MulDiv(GetBValue(c), 8, 10)); };
  auto lighter = [](COLORREF c) {
    auto ch = [](Integer v) { return v + MulDiv(255 - v, 16, 100); };
    return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
  };
  const COLORREF colors[pbCount] = {
      scaled(shadow),
      lighter(face),
      static_cast<COLORREF>(ColorToRGB(dxMixSystemColors(11, 9, 73))),
      static_cast<COLORREF>(ColorToRGB(dxMixSystemColors(14, 44, 40))),
      static_cast<COLORREF>(ColorToRGB(dxMixSystemColors(-2, 30, 72))),
  };
  HDC screen = GetDC(nullptr);
  for (Integer i = 0; i < pbCount; ++i) brushes_[i] = CreateSolidBrush(GetNearestColor(screen, colors[i]));
  ReleaseDC(nullptr, screen);
  RefreshDockControlsAndBars();
}

void TdxBarManager::destroyPaintObjects() {
  for (HBRUSH& brush : brushes_) {
    if (brush) DeleteObject(brush);
    brush = nullptr;
  }
}

void TdxBarManager::RefreshPaintObjects() {
  dxBarPaintObjects::Create();
  createPaintObjects();
}

void TdxBarManager::RefreshDockControlsAndBars() {
  if (!bars_ || IsDestroying()) return;
  static const TdxBarDockingStyle edges[] = {dsLeft, dsTop, dsRight, dsBottom};
  for (TdxBarDockingStyle style : edges)
    if (TdxDockControl* dock = BuiltInDockControl(style)) dock->Invalidate();
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (TdxBarControl* control = bars_->Items(i)->Control()) control->RefreshStyle();
}

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

// The look-and-feel's native style gives the themed look when themes serve it; otherwise
// its kind maps flat to Enhanced, standard to Standard and ultra-flat to Flat.
TdxBarManagerStyle TdxBarManager::GetEffectiveStyle() const {
  if (style_ != bmsUseLookAndFeel) return style_;
  if (lookAndFeel_ && lookAndFeel_->NativeStyle() && themesUsable_) return bmsXP;
  switch (lookAndFeel_ ? lookAndFeel_->Kind() : lfFlat) {
    case lfStandard: return bmsStandard;
    case lfUltraFlat: return bmsFlat;
    default: return bmsEnhanced;
  }
}

void TdxBarManager::lookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  if (!IsDestroying()) StyleChanged();
}

void TdxBarManager::StyleChanged() {
  themesUsable_ = dxCanUseThemes(TdxThemeClasses{totComboBox, totEdit, totProgress, totRebar, totScrollBar, totSpin,
                                                 totStatus, totToolBar, totWindow});
  painter_ = dxBarPainterOf(GetEffectiveStyle());
  dragMarkOffset_ = painter_->GetDragMarkOffset();
  dragMarkSize_ = painter_->GetDragMarkSize();
  CalcImageMetrics();
  RefreshDockControlsAndBars();
}

void TdxBarManager::CalcImageMetrics() {
  imageSize_ = largeIcons_ ? 32 : 16;
  buttonGlyphWidth_ = imageSize_ + painter_->GetButtonExtraWidth();
  buttonGlyphHeight_ = imageSize_ + painter_->GetButtonExtraHeight();
  arrowWidth_ = painter_->GetButtonArrowWidth(this);
}

void TdxBarManager::SetUseSystemFont(bool Value) {
  useSystemFont_ = Value;
  if (Value) UpdateFontFromSystem();
}

void TdxBarManager::SetScaled(bool Value) {
  if (scaled_ == Value) return;
  scaled_ = Value;
  if (Value && !useSystemFont_) UpdateFontFromSystem();
  else {
    rebuildFontHandle();
    rebuildBarWindows();
  }
}

// The system's menu font: taken whole while UseSystemFont, else only its height when
// Scaled.
void TdxBarManager::UpdateFontFromSystem() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return;
  ScopedRestore<bool> restoreGuard(fontGuard_);
  fontGuard_ = true;
  if (useSystemFont_) font_->SetHandle(CreateFontIndirectA(&metrics.lfMenuFont));
  else if (scaled_) font_->SetHeight(metrics.lfMenuFont.lfHeight);
}

// A font set by hand ends the use of the system font; with Scaled its height still
// follows the system's.
void TdxBarManager::fontChanged(TObject*) {
  if (!fontGuard_) {
    useSystemFont_ = false;
    if (scaled_) UpdateFontFromSystem();
  }
  rebuildFontHandle();
  rebuildBarWindows();
}

// With Scaled, the handle has the font's face at the system icon-title height (never
// smaller than 11 pixels); otherwise it is a copy of the font.
void TdxBarManager::rebuildFontHandle() {
  LOGFONTA lf{};
  GetObjectA(font_->Handle(), sizeof(lf), &lf);
  if (scaled_) {
    LOGFONTA title{};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(title), &title, 0))
      lf.lfHeight = title.lfHeight >= -10 ? -11 : title.lfHeight;
  }
  HFONT handle = CreateFontIndirectA(&lf);
  if (fontHandle_) DeleteObject(fontHandle_);
  fontHandle_ = handle;
  // Turned by -90 degrees; only outline fonts turn.
  lf.lfEscapement = lf.lfOrientation = -900;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  HFONT rotated = CreateFontIndirectA(&lf);
  if (rotatedFontHandle_) DeleteObject(rotatedFontHandle_);
  rotatedFontHandle_ = rotated;
}

// A list that changes or goes may change which views show an image, and so the bars' sizes.
void TdxBarManager::setImageList(ImageListSlot Slot, TCustomImageList* Value) {
  ImageListRef& ref = imageLists_[Slot];
  if (ref.list == Value) return;
  if (ref.list) {
    if (ref.link && ref.link->Sender() == ref.list) ref.list->UnRegisterChanges(ref.link.get());
    // Another slot may still hold the same list and need its free notification.
    bool stillHeld = false;
    for (Integer i = 0; i < ilCount; ++i)
      if (i != Slot && imageLists_[i].list == ref.list) stillHeld = true;
    if (!stillHeld) ref.list->RemoveFreeNotification(this);
  }
  ref.list = Value;
  if (Value) {
    if (!ref.link) {
      ref.link = std::make_unique<TChangeLink>();
      ref.link->SetOnChange(TNotifyEvent(this, &TdxBarManager::imageListChanged));
    }
    Value->RegisterChanges(ref.link.get());
    Value->FreeNotification(this);
  }
  imageListChanged(Value);
}

void TdxBarManager::imageListChanged(TObject*) { rebuildBarWindows(); }

void TdxBarManager::SetImageListBkColor(TColor Value) {
  if (imageListBkColor_ == Value) return;
  imageListBkColor_ = Value;
  rebuildBarWindows();
}

void TdxBarManager::SetUseLargeImagesForLargeIcons(bool Value) {
  if (useLargeImagesForLargeIcons_ == Value) return;
  useLargeImagesForLargeIcons_ = Value;
  CalcImageMetrics();
  rebuildBarWindows();
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
  if (Operation != opRemove) return;
  bool listGone = false;
  for (ImageListRef& ref : imageLists_)
    if (ref.list && ref.list == AComponent) {
      // A list being freed has already let go of its change links.
      if (ref.link && ref.link->Sender() == ref.list) ref.list->UnRegisterChanges(ref.link.get());
      ref.list = nullptr;
      listGone = true;
    }
  if (listGone) rebuildBarWindows();
  if (!bars_) return;
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

void TdxBarItem::Loaded() {
  TComponent::Loaded();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}

void TdxBarItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || !actionLink_) return;
  // The action detaches its links before its free notifications go out: a link left
  // without an action means the action is gone.
  if (!actionLink_->Action() || AComponent == actionLink_->Action()) actionLink_.reset();
}

// --- Image, shortcut and action.

TCustomImageList* TdxBarItem::GetImages() const { return barManager_ ? barManager_->Images() : nullptr; }

bool TdxBarItem::HasValidImage() const {
  TCustomImageList* images = GetImages();
  return images && GetImageIndex() >= 0 && GetImageIndex() < images->Count();
}

void TdxBarItem::StoreImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  if (!ComponentState().Contains(csLoading)) GlyphChanged();
}

void TdxBarItem::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  shortCut_ = Value;
  if (!ComponentState().Contains(csLoading)) ShortCutChanged();
}

void TdxBarItem::ShortCutChanged() {
  for (TdxBarItemLink* link : links_)
    if (link->Control()) link->Control()->ShortCutChanged();
}

TBasicAction* TdxBarItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TdxBarItem::SetAction(TBasicAction* Value) {
  if (Value == Action()) return;
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TdxBarItemActionLink>(this);
  actionLink_->SetAction(Value);
  actionLink_->SetOnChange(TNotifyEvent(this, &TdxBarItem::doActionChange));
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TdxBarItem::doActionChange(TObject* Sender) {
  if (Sender == Action()) ActionChange(Sender, false);
}

void TdxBarItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  auto* button = dynamic_cast<TdxBarButton*>(this);
  if (!CheckDefaults || caption_.empty()) SetCaption(action->Caption());
  if (button && (!CheckDefaults || !button->Down())) button->SetDown(action->Checked());
  if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!CheckDefaults || helpContext_ == 0) helpContext_ = action->HelpContext();
  if (!CheckDefaults || hint_.empty()) hint_ = action->Hint();
  if (!CheckDefaults || GetImageIndex() == -1) SetImageIndexVirtual(action->ImageIndex());
  if (!CheckDefaults || shortCut_ == 0) SetShortCut(action->ShortCut());
  if (!CheckDefaults || visible_ == ivAlways) SetVisible(action->Visible() ? ivAlways : ivNever);
  if (!CheckDefaults || !onClick_) onClick_ = action->OnExecute();
}

void TdxBarItem::AssignTo(TPersistent* Dest) {
  auto* action = dynamic_cast<TCustomAction*>(Dest);
  if (!action) {
    TComponent::AssignTo(Dest);
    return;
  }
  action->SetCaption(caption_);
  if (auto* button = dynamic_cast<TdxBarButton*>(this)) action->SetChecked(button->Down());
  action->SetEnabled(Enabled());
  action->SetHelpContext(helpContext_);
  action->SetHint(hint_);
  action->SetImageIndex(GetImageIndex());
  action->SetShortCut(shortCut_);
  if (visible_ != ivInCustomizing) action->SetVisible(visible_ == ivAlways);
  action->SetOnExecute(onClick_);
}

bool TdxBarItem::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TdxBarItem::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TdxBarItem::IsHelpContextStored() const { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TdxBarItem::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TdxBarItem::IsImageIndexStored() const { return !actionLink_ || !actionLink_->IsImageIndexLinked(); }
bool TdxBarItem::IsShortCutStored() const { return !actionLink_ || !actionLink_->IsShortCutLinked(); }
bool TdxBarItem::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TdxBarItem::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }
bool TdxBarButton::IsDownStored() const { return !ActionLink() || !ActionLink()->IsCheckedLinked(); }

// --- Action link.

RTL_IMPLEMENT_CLASS(TdxBarItemActionLink)

TdxBarItemActionLink::TdxBarItemActionLink(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }

void TdxBarItemActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TdxBarItem*>(AClient); }

static TdxBarItemVisible visibleOf(bool Visible) { return Visible ? ivAlways : ivNever; }

bool TdxBarItemActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TdxBarItemActionLink::IsCheckedLinked() {
  auto* button = dynamic_cast<TdxBarButton*>(FClient);
  return TActionLink::IsCheckedLinked() && button && button->Down() == CustomAction()->Checked();
}
bool TdxBarItemActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TdxBarItemActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TdxBarItemActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TdxBarItemActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && FClient->GetImageIndex() == CustomAction()->ImageIndex();
}
bool TdxBarItemActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == CustomAction()->ShortCut();
}
bool TdxBarItemActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == visibleOf(CustomAction()->Visible());
}
// Handlers are compared by their code only, as the item and the action may name them on
// different objects.
bool TdxBarItemActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() &&
         FClient->OnClick().AsMethod().Code == Action()->OnExecute().AsMethod().Code;
}

void TdxBarItemActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TdxBarItemActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) static_cast<TdxBarButton*>(FClient)->SetDown(Value);
}
void TdxBarItemActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TdxBarItemActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpContextLinked()) FClient->helpContext_ = Value;
}
void TdxBarItemActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->hint_ = Value;
}
void TdxBarItemActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndexVirtual(Value);
}
void TdxBarItemActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TdxBarItemActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(visibleOf(Value));
}
void TdxBarItemActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->onClick_ = Value;
}

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

// OnClick runs unless it is the action's own handler: then the action runs, through its
// list and its own checks.
void TdxBarItem::DoClick() {
  TBasicAction* action = Action();
  if (onClick_ && (!action || onClick_.AsMethod().Code != action->OnExecute().AsMethod().Code)) onClick_(this);
  else if (actionLink_ && !ComponentState().Contains(csDesigning)) actionLink_->Execute(this);
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

TdxBar::TdxBar(TCollection* Collection)
    : TCollectionItem(Collection), backgroundBitmap_(std::make_unique<TBitmap>()) {
  backgroundBitmap_->SetOnChange(TNotifyEvent(this, &TdxBar::backgroundChanged));
}

void TdxBar::backgroundChanged(TObject*) {
  if (Control()) Control()->RepaintBar();
}

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
  if (Control()) Control()->RefreshStyle();
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
  if (Control()) Control()->UpdateCaption();
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
  if (multiLine_ == Value) return;
  multiLine_ = Value;
  if (Control()) Control()->Rebuild();
}

void TdxBar::SetRotateWhenVertical(bool Value) {
  if (rotateWhenVertical_ == Value) return;
  rotateWhenVertical_ = Value;
  if (Control()) Control()->Rebuild();
}

void TdxBar::SetShowMark(bool Value) {
  if (showMark_ == Value) return;
  showMark_ = Value;
  if (Control()) Control()->Rebuild();
}

void TdxBar::SetAllowQuickCustomizing(bool Value) {
  if (allowQuickCustomizing_ == Value) return;
  allowQuickCustomizing_ = Value;
  if (Control()) Control()->Rebuild();
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
    TdxBarControl* window = bar->Control();
    along = std::max(along, vertical ? bar->DockedTop() : bar->DockedLeft());
    TSize size = window->CalcFullSize();
    Integer length = vertical ? size.cy : size.cx, thickness = vertical ? size.cx : size.cy;
    // A whole-row bar takes the site's length. A bar that does not fit in the room left
    // gets that room: a multi-line bar wraps its links into more lines, another shows the
    // links that fit (and its mark).
    Integer room = bar->WholeRow() ? siteLength : siteLength - along;
    if (bar->WholeRow()) length = std::max(length, siteLength);
    if (room > 0 && length > room) {
      length = room;
      thickness = window->CalcThicknessForLength(length);
    }
    if (vertical) window->SetBounds(across, along, thickness, length);
    else window->SetBounds(along, across, length, thickness);
    along += length;
    rowThickness = std::max(rowThickness, thickness);
  }
  across += rowThickness;
  if (vertical) SetWidth(across);
  else SetHeight(across);
}

void TdxDockControl::Paint() {
  TRect r = ClientRect();
  HBRUSH brush = CreateSolidBrush(ColorToRGB(manager_->DockColor()));
  FillRect(Canvas()->Handle(), &r, brush);
  DeleteObject(brush);
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
  // A double click on the selected view that wants it goes to the view; one that does not
  // want it sees a second press.
  if (Shift.Contains(ssDouble) && control->WantsDblClick()) {
    SelectControl(control, true);
    if (!manager_->IsDesigning()) control->DblClick();
    return;
  }
  SelectControl(control, true);
  pressed_ = control;
  pressedHot_ = true;
  if (control->CapturesMouse()) SetCapture(Handle());
  control->ControlActivate(true);
  InvalidateItem(control);
}

bool TCustomdxBarControl::PassKeyToSelected(Word Key) {
  if (!selected_ || !selected_->GetEnabled() || !selected_->WantsKey(Key)) return false;
  selected_->KeyDown(Key);
  return true;
}

void TCustomdxBarControl::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0 || locked_) return;
  if (PassKeyToSelected(Key)) {
    Key = 0;
    return;
  }
  switch (Key) {
    case VK_RETURN:
      if (TdxBarItemControl* control = selected_) {
        Key = 0;
        // The click may free this window and the control: nothing of either is touched after.
        control->Execute(false);
      }
      break;
    case VK_ESCAPE:
      Key = 0;
      HideAll();
      break;
  }
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

void TCustomdxBarControl::DrawBackground(HDC DC, const TRect& R, HBRUSH Brush) const {
  if (!isEmpty(R)) FillRect(DC, &R, Brush);
}

void TCustomdxBarControl::drawItems(HDC DC, TdxBarPaintType Type) {
  if (!links_) return;
  HBRUSH brush = BackgroundBrush();
  for (TdxBarItemLink* link : links_->ShownLinks()) {
    TdxBarItemControl* control = link->Control();
    const TRect& r = link->ItemRect();
    if (!control || isEmpty(r)) continue;
    if (!isEmpty(control->SeparatorRect()))
      Painter()->DrawSeparator(this, DC, control->SeparatorIsHorizontal(), brush, control->SeparatorRect());
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

// The bar's bitmap tiled over its client area, else its own colour, else the dock site's
// colour running on under the bar.
void TdxBarControl::DrawBackground(HDC DC, const TRect& R, HBRUSH Brush) const {
  if (isEmpty(R)) return;
  if (!bar_->BackgroundBitmap()->Empty()) {
    RECT client;
    ::GetClientRect(const_cast<TdxBarControl*>(this)->Handle(), &client);
    TileBitmap(DC, R, client, bar_->BackgroundBitmap());
    return;
  }
  TColor color = bar_->Color() != clDefault ? bar_->Color() : manager_->DockColor();
  HBRUSH own = CreateSolidBrush(ColorToRGB(color));
  FillRect(DC, &R, own ? own : Brush);
  if (own) DeleteObject(own);
}

bool TdxBarControl::NeedsDoubleBuffering() const {
  if (!bar_->BackgroundBitmap()->Empty()) return true;
  TColor color = bar_->Color() != clDefault ? bar_->Color() : manager_->DockColor();
  return static_cast<COLORREF>(ColorToRGB(color)) != GetSysColor(COLOR_BTNFACE);
}

TRect TdxBarControl::NonClientExtent() const {
  if (bar_->BorderStyle() != bbsSingle || DockingStyle() == dsNone) return Rect(0, 0, 0, 0);
  TRect r = Painter()->GetBarBorderRect(bar_, DockingStyle());
  if (IsVertical()) r.top += manager_->DragMarkSize();
  else r.left += manager_->DragMarkSize();
  return r;
}

bool TdxBarControl::markWanted(bool Hidden) const {
  return bar_->ShowMark() && (Hidden || (Painter()->SupportsMark() && bar_->AllowQuickCustomizing()));
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
      if (!first && link->BeginGroup()) length += BeginGroupSize();
      first = false;
      length += vertical ? control->RealHeight() : control->RealWidth();
      thickness = std::max(thickness, vertical ? control->RealWidth() : control->RealHeight());
    }
  if (first) {
    length = vertical ? manager_->ButtonGlyphHeight() : manager_->ButtonGlyphWidth();
    thickness = vertical ? manager_->ButtonGlyphWidth() : manager_->ButtonGlyphHeight();
  }
  if (markWanted(false)) length += MarkSize;
  TRect nc = NonClientExtent();
  Integer w = vertical ? thickness : length, h = vertical ? length : thickness;
  return TSize{w + nc.left + nc.right, h + nc.top + nc.bottom};
}

Integer TdxBarControl::CalcThicknessForLength(Integer Length) {
  CalcDrawingConsts();
  CreateControls();
  TRect nc = NonClientExtent();
  bool vertical = IsVertical();
  Integer clientLength = Length - (vertical ? nc.top + nc.bottom : nc.left + nc.right);
  // The lines' thickness does not depend on the room across, so any will do.
  TRect client = vertical ? Rect(0, 0, 1000, clientLength) : Rect(0, 0, clientLength, 1000);
  Integer across = CalcLayoutIn(client);
  if (across <= 0) across = vertical ? manager_->ButtonGlyphWidth() : manager_->ButtonGlyphHeight();
  Integer result = across + (vertical ? nc.left + nc.right : nc.top + nc.bottom);
  // The window keeps its real layout for painting.
  if (HandleAllocated()) CalcLayout();
  return result;
}

void TdxBarControl::CalcLayout() { CalcLayoutIn(ClientRect()); }

// A look with its own mark reserves room for it; otherwise the mark appears (and takes
// its room) only when links were left out.
Integer TdxBarControl::CalcLayoutIn(const TRect& Client) {
  if (!links_) return 0;
  CreateControls();
  bool mark = markWanted(false);
  Integer across = layoutLinks(Client, mark);
  if (!mark && linksHidden_ && markWanted(true)) {
    mark = true;
    across = layoutLinks(Client, mark);
  }
  hasMark_ = mark;
  return across;
}

// The links in lines along the bar. A line break is due when an item does not fit in the
// rest of the line; a bar that does not wrap then stops, leaving the other links out. Each
// finished line is centred across its thickness; in a vertical bar the lines run from
// right to left. A link that begins a group gets a separator in front of it, or above its
// line when it starts a new one.
Integer TdxBarControl::layoutLinks(const TRect& Client, bool Mark) {
  linksHidden_ = false;
  for (Integer i = 0; i < links_->Count(); ++i) {
    links_->Items(i)->SetItemRect(Rect(0, 0, 0, 0));
    if (TdxBarItemControl* control = links_->Items(i)->Control()) control->SetSeparatorRect(Rect(0, 0, 0, 0), false);
  }
  bool vertical = IsVertical(), wrapping = IsWrapping();
  Integer clientLength = vertical ? Client.bottom - Client.top : Client.right - Client.left;
  Integer clientThickness = vertical ? Client.right - Client.left : Client.bottom - Client.top;
  Integer lineLength = clientLength - (Mark ? MarkSize : 0);
  struct Placed {
    TdxBarItemLink* link;
    Integer thickness;
  };
  std::vector<Placed> line;
  Integer lineOffset = 0, lineThickness = 0, pos = 0;
  bool firstLine = true;
  // Moves each link of the finished line to the middle of the line's thickness.
  auto centreLine = [&]() {
    for (const Placed& p : line) {
      Integer shift = (lineThickness - p.thickness) / 2;
      TRect r = p.link->ItemRect();
      if (vertical) OffsetRect(&r, -shift, 0);
      else OffsetRect(&r, 0, shift);
      p.link->SetItemRect(r);
    }
  };
  TdxBarItemControl* previous = nullptr;
  for (TdxBarItemLink* link : links_->ShownLinks()) {
    TdxBarItemControl* control = link->Control();
    if (!control) continue;
    control->SetLastInRow(false);
    Integer length = vertical ? control->RealHeight() : control->RealWidth();
    Integer thickness = vertical ? control->RealWidth() : control->RealHeight();
    Integer sep = !line.empty() && link->BeginGroup() ? BeginGroupSize() : 0;
    bool startsLine = false;
    if (!line.empty() && pos + sep + length > lineLength) {
      if (!wrapping) {
        linksHidden_ = true;
        break;
      }
      if (previous) previous->SetLastInRow(true);
      centreLine();
      lineOffset += lineThickness + sep;
      if (sep > 0) {
        Integer markRoom = Mark ? MarkSize : 0;
        TRect band = vertical ? Rect(Client.right - lineOffset, Client.top, Client.right - lineOffset + sep,
                                     Client.bottom - markRoom)
                              : Rect(Client.left, Client.top + lineOffset - sep, Client.right - markRoom,
                                     Client.top + lineOffset);
        control->SetSeparatorRect(band, !vertical);
      }
      line.clear();
      pos = 0;
      sep = 0;
      lineThickness = 0;
      startsLine = true;
      firstLine = false;
    }
    Integer at = pos + sep;
    bool last = control->EffectiveAlign() != iaLeft;
    switch (control->EffectiveAlign()) {
      case iaCenter: at = std::max(at, at + (lineLength - at - length) / 2); break;
      case iaRight: at = std::max(at, lineLength - length); break;
      case iaClient: length = std::max(length, lineLength - at); break;
      default: break;
    }
    TRect r;
    if (wrapping)
      r = vertical ? Bounds(Client.right - lineOffset - thickness, Client.top + at, thickness, length)
                   : Bounds(Client.left + at, Client.top + lineOffset, length, thickness);
    else {
      Integer acrossAt = (clientThickness - thickness) / 2;
      r = vertical ? Bounds(Client.left + acrossAt, Client.top + at, thickness, length)
                   : Bounds(Client.left + at, Client.top + acrossAt, length, thickness);
    }
    link->SetItemRect(r);
    if (sep > 0 && !startsLine)
      control->SetSeparatorRect(vertical ? Rect(r.left, r.top - sep, r.right, r.top) : Rect(r.left - sep, r.top, r.left, r.bottom),
                                vertical);
    line.push_back({link, thickness});
    lineThickness = std::max(lineThickness, thickness);
    pos = last ? lineLength : at + length;
    previous = control;
  }
  (void)firstLine;
  if (previous) previous->SetLastInRow(true);
  if (wrapping) centreLine();
  return line.empty() && lineOffset == 0 ? 0 : lineOffset + lineThickness;
}

void TdxBarControl::Rebuild() {
  if (!links_) return;
  CalcDrawingConsts();
  CreateControls();
  if (auto* dock = dynamic_cast<TdxDockControl*>(Parent())) dock->ArrangeBars();
  CalcLayout();
  RepaintBar();
}

void TdxBarControl::RefreshStyle() {
  CalcDrawingConsts();
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Rebuild();
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TdxBarControl::UpdateCaption() {
  if (!HandleAllocated()) return;
  SetWindowTextA(Handle(), bar_->Caption().c_str());
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_DRAWFRAME);
}

void TdxBarControl::CreateWnd() {
  TCustomdxBarControl::CreateWnd();
  SetWindowTextA(Handle(), bar_->Caption().c_str());
  // The frame was measured before the bar knew its look: measure it again.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TdxBarControl::WMNCCalcSize(TWMNCCalcSize& Message) {
  INHERITED_MESSAGE(Message);
  auto* r = reinterpret_cast<RECT*>(Message.CalcSize_Params);
  if (!r) return;
  TRect nc = NonClientExtent();
  r->left += nc.left;
  r->top += nc.top;
  r->right = std::max(r->left, r->right - nc.right);
  r->bottom = std::max(r->top, r->bottom - nc.bottom);
}

// The frame and the grip: the ring around the client area gets the bar's background,
// then the look draws its edge and grip over it.
void TdxBarControl::WMNCPaint(TMessage&) {
  TRect nc = NonClientExtent();
  if (nc.left == 0 && nc.top == 0 && nc.right == 0 && nc.bottom == 0) return;
  HDC dc = GetWindowDC(Handle());
  if (!dc) return;
  RECT window;
  GetWindowRect(Handle(), &window);
  TRect whole = Rect(0, 0, window.right - window.left, window.bottom - window.top);
  ExcludeClipRect(dc, nc.left, nc.top, whole.right - nc.right, whole.bottom - nc.bottom);
  HBRUSH brush = BackgroundBrush();
  DrawBackground(dc, whole, brush);
  Painter()->DrawDragMark(this, dc, brush, whole);
  ReleaseDC(Handle(), dc);
}

// A docked bar is all client to the mouse: the frame and grip are its drag area.
void TdxBarControl::WMNCHitTest(TWMNCHitTest& Message) { Message.Result = HTCLIENT; }

bool TdxBarControl::IsFormActive() const {
  TCustomForm* form = manager_->OwnerForm();
  return form && form->HandleAllocated() && GetActiveWindow() == form->Handle();
}

void TdxBarControl::SetMarkState(Integer Value) {
  if (markState_ == Value) return;
  markState_ = Value;
  if (HandleAllocated() && hasMark_) {
    TRect r = MarkRect();
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TdxBarControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomdxBarControl::MouseMove(Shift, X, Y);
  if (!TCustomdxBarControl::IsBarControlAlive(this)) return;
  TRect mark = MarkRect();
  TPoint p = Point(X, Y);
  SetMarkState(hasMark_ && !PressedControl() && PtInRect(&mark, p) ? 1 : 0);
}

void TdxBarControl::WMMouseLeave(TMessage& Message) {
  SetMarkState(0);
  INHERITED_MESSAGE(Message);
}

void TdxBarControl::Paint() {
  if (!links_ || locked_) return;
  CalcLayout();
  TRect client = ClientRect();
  if (isEmpty(client)) return;
  // Drawn off screen and copied in one go, so hot-tracking does not flicker.
  HDC target = Canvas()->Handle();
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH brush = BackgroundBrush();
  DrawBackground(dc, client, brush);
  drawItems(dc, IsVertical() ? ptVert : ptHorz);
  if (hasMark_) Painter()->DrawMark(this, dc, brush, MarkRect());
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

bool TdxBarItemControl::HasImage() const { return !bitmapIsEmpty(GetGlyph()) || HasValidImage(); }

Integer TdxBarItemControl::GetImageIndex() const { return Item() ? Item()->GetImageIndex() : -1; }

TCustomImageList* TdxBarItemControl::GetImages(bool Large) const {
  TdxBarManager* manager = BarManager();
  if (!manager) return nullptr;
  bool large = Large && manager->UsesLargeImages();
  bool disabled = !GetEnabled();
  if (large) return manager->LargeImages();
  if (disabled && manager->DisabledImages()) return manager->DisabledImages();
  return manager->Images();
}

TCustomImageList* TdxBarItemControl::GetHotImages() const {
  return BarManager() ? BarManager()->HotImages() : nullptr;
}

bool TdxBarItemControl::HasStateImages() const {
  return (BarManager() && BarManager()->DisabledImages()) || GetEnabled();
}

bool TdxBarItemControl::HasValidImage() const {
  TCustomImageList* images = GetImages(false);
  return images && GetImageIndex() >= 0 && GetImageIndex() < images->Count();
}

TShortCut TdxBarItemControl::GetShortCut() const { return Item() ? Item()->ShortCut() : 0; }

// Menus show shortcut texts; toolbars show none, so only a menu lays itself out again.
void TdxBarItemControl::ShortCutChanged() {
  if (parent_ && parent_->IsMenu()) parent_->CalcLayout();
}

bool TdxBarItemControl::WantsDblClick() const {
  return (BarManager() && BarManager()->IsDesigning()) || HandlesDblClick();
}

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
  bool rotated = parent_->IsRotated();
  Integer h = manager->ButtonGlyphHeight();
  if (style == psCaption || style == psCaptionGlyph)
    h = std::max(rotated ? manager->ButtonGlyphWidth() : h, parent_->TextSize());
  if (Lowered()) h += 2 * Painter()->GetLoweredExtra();
  return h;
}

Integer TdxBarButtonControl::GetButtonWidth() const {
  TdxBarManager* manager = BarManager();
  Integer caption = measureText(manager->FontHandle(), RemoveAmpersands(GetCaption())).cx;
  Integer w;
  switch (EffectivePaintStyle()) {
    case psCaption: w = caption + parent_->PointSize(); break;
    case psCaptionGlyph:
      w = caption + (parent_->IsRotated() ? manager->ButtonGlyphHeight() : manager->ButtonGlyphWidth()) + 4;
      break;
    default: w = manager->ButtonGlyphWidth(); break;
  }
  if (Lowered()) w += 2 * Painter()->GetLoweredExtra();
  return w;
}

// On a vertical bar that rotates its captions a captioned button lies along the bar.
bool TdxBarButtonControl::liesAlong() const {
  TdxBarPaintStyle style = EffectivePaintStyle();
  return parent_ && parent_->IsRotated() && (style == psCaption || style == psCaptionGlyph);
}

Integer TdxBarButtonControl::GetWidth() const {
  Integer w = liesAlong() ? GetButtonHeight() : GetButtonWidth();
  if (ButtonStyle() == bsDropDown && parent_ && !parent_->IsMenu()) w += BarManager()->ArrowWidth();
  return w;
}

Integer TdxBarButtonControl::GetHeight() const { return liesAlong() ? GetButtonWidth() : GetButtonHeight(); }

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

// A lowered border first; then the face with its glyph (or without, for a caption-only
// button), the caption after the glyph square or half the font's point size in, and the
// arrow part of a drop-down button.
void TdxBarButtonControl::Paint(HDC DC, const TRect& Rect, TdxBarPaintType PaintType) {
  if (isEmpty(Rect)) return;
  const TdxBarItemControlPainter* painter = Painter();
  TRect r = Rect;
  if (Lowered()) painter->DrawLoweredBorder(this, DC, r);
  bool selected = IsDrawnSelected();
  TdxBarPaintStyle style = EffectivePaintStyle();
  bool pressedLook = (selected && IsPressedByMouse()) || (Pressed() && ButtonStyle() != bsChecked);
  bool downLook = DownState();
  bool dropDown = ButtonStyle() == bsDropDown;
  TRect arrow = r;
  if (dropDown) {
    r.right -= BarManager()->ArrowWidth();
    arrow.left = r.right;
  }
  painter->DrawItemGlyph(this, DC, r, dropDown, pressedLook, downLook, selected && GetEnabled(), style == psCaption,
                         PaintType);
  if (style == psCaption || style == psCaptionGlyph) {
    TRect text = r;
    bool vertical = PaintType == ptVert && parent_->IsRotated();
    Integer skip = style == psCaption ? parent_->PointSize() / 2
                   : vertical        ? BarManager()->ButtonGlyphHeight()
                                     : BarManager()->ButtonGlyphWidth();
    if (vertical) text.top += skip;
    else text.left += skip;
    painter->OffsetPressedButtonGlyph(downLook, pressedLook, text);
    bool highlighted = painter->HasSplitDropDown() &&
                       (((pressedLook || (downLook && selected)) && painter->HasDropDownHotPart()) ||
                        (dxIsButtonFaceWhite() && (pressedLook || downLook || selected)));
    painter->DrawCaption(this, DC, false, false, vertical, highlighted, GetEnabled(), 0, text, GetCaption());
  }
  if (dropDown) {
    COLORREF color;
    HBRUSH brush;
    painter->GetItemTextColorAndBrush(this, PaintType, pressedLook, selected, GetEnabled(), color, brush);
    painter->DrawDropDownPart(this, DC, PaintType, true, false, pressedLook, selected && GetEnabled(), brush, arrow);
  }
}

// --- Sub-item view.

void TdxBarSubItemControl::Paint(HDC DC, const TRect& R, TdxBarPaintType PaintType) {
  if (isEmpty(R)) return;
  Painter()->DrawSubItem(this, DC, PaintType, false, IsDrawnSelected(), R);
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
  PUBLISH(AutoDockColor).Default(true);
  PUBLISH(CanCustomize).Default(true);
  PUBLISH(Categories);
  PUBLISH(DockColor).Stored(&T::IsDockColorStored);
  PUBLISH(LargeIcons).Default(false);
  PUBLISH(LookAndFeel);
  PUBLISH(DisabledImages);
  PUBLISH(HotImages);
  PUBLISH(Images);
  PUBLISH(ImageListBkColor).Default(clFuchsia);
  PUBLISH(LargeImages);
  PUBLISH(MakeDisabledImagesFaded).Default(false);
  PUBLISH(MostRecentItemsPercents).Default(95);
  PUBLISH(Scaled).Default(true);
  PUBLISH(ShowHint).Default(true);
  PUBLISH(Style).Default(bmsEnhanced);
  PUBLISH(UseLargeImagesForLargeIcons).Default(false);
  PUBLISH(UseSystemFont);
  PUBLISH(OnBarVisibleChange);
  PUBLISH(OnClickItem);
  PUBLISH(OnItemLinkAdd);
  PUBLISH(OnItemLinkDelete);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarItem)
  using T = TdxBarItem;
  PUBLISH(Action);
  PUBLISH(Align).Default(iaLeft);
  PUBLISH(Caption).Stored(&T::IsCaptionStored);
  PUBLISH(Category);
  PUBLISH(Description);
  PUBLISH(Enabled).Default(true).Stored(&T::IsEnabledStored);
  PUBLISH(HelpContext).Default(0).Stored(&T::IsHelpContextStored);
  PUBLISH(Hint).Stored(&T::IsHintStored);
  PUBLISH(Visible).Stored(&T::IsVisibleStored);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarButton)
  using T = TdxBarButton;
  PUBLISH(AllowAllUp).Default(false);
  PUBLISH(ButtonStyle).Default(bsDefault);
  PUBLISH(CloseSubMenuOnClick).Default(true);
  PUBLISH(GroupIndex).Default(0);
  PUBLISH(Down).Default(false).Stored(&T::IsDownStored);
  PUBLISH(Glyph);
  PUBLISH(ImageIndex).Default(-1).Stored(&T::IsImageIndexStored);
  PUBLISH(Lowered).Default(false);
  PUBLISH(PaintStyle).Default(psStandard);
  PUBLISH(ShortCut).Default(0).Stored(&T::IsShortCutStored);
  PUBLISH(UnclickAfterDoing).Default(true);
  PUBLISH(OnClick).Stored(&T::IsOnClickStored);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarSubItem)
  using T = TdxBarSubItem;
  PUBLISH(Glyph);
  PUBLISH(ImageIndex).Default(-1).Stored(&T::IsImageIndexStored);
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
  PUBLISH(BackgroundBitmap);
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
  b.Message(WM_GETDLGCODE, &TCustomdxBarControl::WMGetDlgCode);
RTL_END_CLASS

RTL_BEGIN_CLASS(TdxBarControl)
  b.Message(WM_NCCALCSIZE, &TdxBarControl::WMNCCalcSize);
  b.Message(WM_NCPAINT, &TdxBarControl::WMNCPaint);
  b.Message(WM_NCHITTEST, &TdxBarControl::WMNCHitTest);
  b.Message(WM_MOUSELEAVE, &TdxBarControl::WMMouseLeave);
RTL_END_CLASS
RTL_IMPLEMENT_CLASS(TdxBarItemControl)
RTL_IMPLEMENT_CLASS(TdxBarButtonControl)
RTL_IMPLEMENT_CLASS(TdxBarSubItemControl)

// =======================================================================================
// Unit start and end
// =======================================================================================

namespace dxBarUnit {

void Initialize() {
  dxBarPaintObjects::Create();
  managerList = new TdxBarManagerList;
  registrations = new std::vector<ItemRegistration>;
  dxBarRegisterItem(TdxBarButton::StaticClass(),
                    [](TdxBarItemLink* link) -> TdxBarItemControl* { return new TdxBarButtonControl(link); });
  dxBarRegisterItem(TdxBarSubItem::StaticClass(),
                    [](TdxBarItemLink* link) -> TdxBarItemControl* { return new TdxBarSubItemControl(link); });
  RegisterClasses({TdxBarManager::StaticClass(), TdxBarButton::StaticClass(), TdxBarSubItem::StaticClass()});
}

void Finalize() {
  delete managerList;
  managerList = nullptr;
  delete registrations;
  registrations = nullptr;
  dxBarPaintObjects::Destroy();
}

}  // namespace dxBarUnit
