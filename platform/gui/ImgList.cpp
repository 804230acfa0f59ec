#include "platform/gui/ImgList.h"

#include <algorithm>
#include <cstring>
#include "platform/rtl/Scoped.h"

namespace {

const char* const SInvalidImageSize = "Invalid image size";
const char* const SImageIndexError = "Invalid ImageList Index";
const char* const SReplaceImage = "Unable to Replace Image";
const char* const SImageReadFail = "Failed to read ImageList data from stream";
const char* const SImageWriteFail = "Failed to write ImageList data to stream";

// A colour as comctl32 takes it: clNone and clDefault become CLR_NONE and CLR_DEFAULT.
COLORREF imageListColor(TColor value) {
  if (value == clNone) return CLR_NONE;
  if (value == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(value));
}

TColor colorFromImageList(COLORREF value) {
  if (value == CLR_NONE) return clNone;
  if (value == CLR_DEFAULT) return clDefault;
  return static_cast<TColor>(value);
}

UINT drawingStyleFlags(TDrawingStyle style) {
  switch (style) {
    case dsFocus: return ILD_FOCUS;
    case dsSelected: return ILD_SELECTED;
    case dsTransparent: return ILD_TRANSPARENT;
    case dsNormal: break;
  }
  return ILD_NORMAL;
}

UINT imageTypeFlags(TImageType type) { return type == itMask ? ILD_MASK : 0; }

// A DC of the screen for the length of a scope.
struct ScreenDC {
  HDC dc = GetDC(nullptr);
  ~ScreenDC() { ReleaseDC(nullptr, dc); }
};

// A memory DC with a bitmap selected for the length of a scope.
struct SelectedBitmap {
  HDC dc;
  HGDIOBJ old;
  explicit SelectedBitmap(HBITMAP bitmap) : dc(CreateCompatibleDC(nullptr)), old(SelectObject(dc, bitmap)) {}
  ~SelectedBitmap() {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
};

// A screen-compatible copy of Image's pixels. ImageList_AddMasked blackens the masked
// pixels of the bitmap it is given, and the caller's bitmap must not change.
HBITMAP screenCopyOf(TBitmap* image) {
  ScreenDC screen;
  HBITMAP copy = CreateCompatibleBitmap(screen.dc, image->Width(), image->Height());
  if (!copy) throw EOutOfResources("Out of system resources");
  SelectedBitmap dst(copy);
  SelectedBitmap src(image->Handle());
  BitBlt(dst.dc, 0, 0, image->Width(), image->Height(), src.dc, 0, 0, SRCCOPY);
  return copy;
}

// An IStream over a TStream, for ImageList_Read and ImageList_Write. It does not own the
// stream and lives on the caller's stack (reference counting is not used).
class StreamAdapter final : public IStream {
public:
  explicit StreamAdapter(TStream* stream) : stream_(stream) {}
  virtual ~StreamAdapter() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** obj) override {
    if (!obj) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISequentialStream) ||
        IsEqualGUID(riid, IID_IStream)) {
      *obj = static_cast<IStream*>(this);
      return S_OK;
    }
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    try {
      Integer n = stream_->Read(pv, static_cast<Integer>(cb));
      if (pcbRead) *pcbRead = static_cast<ULONG>(n);
      return static_cast<ULONG>(n) == cb ? S_OK : S_FALSE;
    } catch (...) {
      return STG_E_READFAULT;
    }
  }
  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    try {
      Integer n = stream_->Write(pv, static_cast<Integer>(cb));
      if (pcbWritten) *pcbWritten = static_cast<ULONG>(n);
      return static_cast<ULONG>(n) == cb ? S_OK : STG_E_WRITEFAULT;
    } catch (...) {
      return STG_E_WRITEFAULT;
    }
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    TSeekOrigin o = origin == STREAM_SEEK_SET ? soBeginning : origin == STREAM_SEEK_CUR ? soCurrent : soEnd;
    try {
      Int64 pos = stream_->Seek(move.QuadPart, o);
      if (newPos) newPos->QuadPart = static_cast<ULONGLONG>(pos);
      return S_OK;
    } catch (...) {
      return STG_E_SEEKERROR;
    }
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
    try {
      stream_->SetSize(static_cast<Int64>(size.QuadPart));
      return S_OK;
    } catch (...) {
      return STG_E_MEDIUMFULL;
    }
  }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return STG_E_REVERTED; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    ZeroMemory(stat, sizeof(*stat));
    stat->type = STGTY_STREAM;
    try {
      stat->cbSize.QuadPart = static_cast<ULONGLONG>(stream_->Size());
    } catch (...) {
      return STG_E_ACCESSDENIED;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

private:
  TStream* stream_;
};

UINT loadFlags(TLoadResources flags) {
  UINT r = 0;
  if (flags.Contains(lrDefaultColor)) r |= LR_DEFAULTCOLOR;
  if (flags.Contains(lrDefaultSize)) r |= LR_DEFAULTSIZE;
  if (flags.Contains(lrFromFile)) r |= LR_LOADFROMFILE;
  if (flags.Contains(lrMap3DColors)) r |= LR_LOADMAP3DCOLORS;
  if (flags.Contains(lrTransparent)) r |= LR_LOADTRANSPARENT;
  if (flags.Contains(lrMonoChrome)) r |= LR_MONOCHROME;
  return r;
}

UINT resourceType(TResType type) {
  switch (type) {
    case rtCursor: return IMAGE_CURSOR;
    case rtIcon: return IMAGE_ICON;
    case rtBitmap: break;
  }
  return IMAGE_BITMAP;
}

}  // namespace

// =======================================================================================
// TChangeLink
// =======================================================================================

RTL_IMPLEMENT_CLASS(TChangeLink)

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (onChange_) onChange_(sender_);
}

// =======================================================================================
// TCustomImageList
// =======================================================================================

RTL_IMPLEMENT_CLASS(TCustomImageList)

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(Integer AWidth, Integer AHeight) : TComponent(nullptr) {
  width_ = AWidth;
  height_ = AHeight;
}

TCustomImageList::~TCustomImageList() {
  while (!clients_.empty()) UnRegisterChanges(clients_.back());
  delete monoBitmap_;
  freeHandle();
}

void TCustomImageList::freeHandle() {
  if (handle_ && !shareImages_) ImageList_Destroy(handle_);
  handle_ = nullptr;
}

void TCustomImageList::createImageList() {
  UINT flags = ILC_COLORDDB | (masked_ ? ILC_MASK : 0);
  handle_ = ImageList_Create(width_, height_, flags, allocBy_, allocBy_);
  if (!handle_) throw EInvalidOperation("Invalid ImageList");
  ImageList_SetBkColor(handle_, imageListColor(bkColor_));
}

void TCustomImageList::HandleNeeded() {
  if (!handle_) createImageList();
}

HIMAGELIST TCustomImageList::Handle() {
  HandleNeeded();
  return handle_;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == handle_) return;
  freeHandle();
  handle_ = Value;
  if (handle_) {
    int cx = 0, cy = 0;
    if (ImageList_GetIconSize(handle_, &cx, &cy)) {
      width_ = cx;
      height_ = cy;
    }
    bkColor_ = colorFromImageList(ImageList_GetBkColor(handle_));
  }
  delete monoBitmap_;
  monoBitmap_ = nullptr;
  Change();
}

Integer TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

void TCustomImageList::checkIndex(Integer Index, bool allowEnd) const {
  Integer limit = allowEnd ? Count() + 1 : Count();
  if (Index < 0 || Index >= limit) throw EInvalidOperation(SImageIndexError);
}

void TCustomImageList::checkImage(TGraphic* Image) const {
  if (Image && (Image->Width() < width_ || Image->Height() < height_)) throw EInvalidOperation(SInvalidImageSize);
}

void TCustomImageList::Change() {
  if (updateCount_ > 0) {
    changed_ = true;
    return;
  }
  changed_ = false;
  // A link's handler may unregister links; walk a copy and skip those that left.
  std::vector<TChangeLink*> links = clients_;
  for (TChangeLink* link : links)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
  if (onChange_) onChange_(this);
}

void TCustomImageList::BeginUpdate() { ++updateCount_; }

void TCustomImageList::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0 && changed_) Change();
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value) return;
  Value->SetSender(this);
  if (std::find(clients_.begin(), clients_.end(), Value) == clients_.end()) clients_.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(clients_.begin(), clients_.end(), Value);
  if (it == clients_.end()) return;
  clients_.erase(it);
  Value->SetSender(nullptr);
}

// --- Adding --------------------------------------------------------------------------

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  HandleNeeded();
  if (!Image) return -1;
  checkImage(Image);
  checkImage(Mask);
  Integer r = ImageList_Add(handle_, Image->Handle(), Mask ? Mask->Handle() : nullptr);
  Change();
  return r;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  HandleNeeded();
  if (!Image) return -1;
  checkImage(Image);
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  Integer r;
  if (masked_ && MaskColor != clNone) {
    HBITMAP copy = screenCopyOf(Image);
    // The palette-relative flag TransparentColor carries is not part of the RGB value.
    COLORREF rgb = static_cast<COLORREF>(ColorToRGB(MaskColor)) & 0x00FFFFFF;
    r = ImageList_AddMasked(handle_, copy, rgb);
    DeleteObject(copy);
  } else {
    r = ImageList_Add(handle_, Image->Handle(), nullptr);
  }
  Change();
  return r;
}

Integer TCustomImageList::AddIcon(TIcon* Image) {
  HandleNeeded();
  if (!Image || Image->Empty()) return -1;
  checkImage(Image);
  Integer r = ImageList_AddIcon(handle_, Image->Handle());
  Change();
  return r;
}

// Appends an empty (black, opaque) image and returns its index. Images are copied into
// such a cell with ImageList_Copy: the lists keep their bitmaps selected into their own
// DCs, so a cell cannot be read by selecting the list's bitmap elsewhere.
Integer TCustomImageList::appendBlank() {
  ScreenDC screen;
  HBITMAP image = CreateCompatibleBitmap(screen.dc, width_, height_);
  HBITMAP mask = CreateBitmap(width_, height_, 1, 1, nullptr);
  {
    SelectedBitmap m(mask);
    PatBlt(m.dc, 0, 0, width_, height_, BLACKNESS);
  }
  Integer index = ImageList_Add(handle_, image, mask);
  DeleteObject(image);
  DeleteObject(mask);
  return index;
}

Integer TCustomImageList::AddImage(TCustomImageList* Value, Integer Index) {
  if (!Value || !Value->HandleAllocated() || Index < 0 || Index >= Value->Count()) return -1;
  HandleNeeded();
  Integer result = appendBlank();
  if (result < 0) return -1;
  // Copies image and mask, stretched when the sizes differ.
  ImageList_Copy(handle_, result, Value->handle_, Index, ILCF_MOVE);
  Change();
  return result;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value || Value == this) return;
  {
    UpdateLock lock(this);
    for (Integer i = 0, n = Value->Count(); i < n; ++i) AddImage(Value, i);
  }
}

// --- Inserting, replacing, removing ---------------------------------------------------

// Moves image From to To, shifting the images between by one. The moving image waits in a
// temporary last cell (comctl32's swap of two cells is not used: it loses colours here).
void TCustomImageList::moveImage(Integer From, Integer To) {
  if (From == To) return;
  Integer temp = appendBlank();
  if (temp < 0) throw EInvalidOperation(SImageIndexError);
  ImageList_Copy(handle_, temp, handle_, From, ILCF_MOVE);
  if (From < To) {
    for (Integer i = From; i < To; ++i) ImageList_Copy(handle_, i, handle_, i + 1, ILCF_MOVE);
  } else {
    for (Integer i = From; i > To; --i) ImageList_Copy(handle_, i, handle_, i - 1, ILCF_MOVE);
  }
  ImageList_Copy(handle_, To, handle_, temp, ILCF_MOVE);
  ImageList_Remove(handle_, temp);
}

// Moves the images appended from Added on (a strip may add several) to Index, in order.
void TCustomImageList::moveAddedTo(Integer Added, Integer Index) {
  for (Integer i = 0, n = Count() - Added; i < n; ++i) moveImage(Added + i, Index + i);
}

void TCustomImageList::Insert(Integer Index, TBitmap* Image, TBitmap* Mask) {
  checkIndex(Index, true);
  {
    UpdateLock lock(this);
    Integer added = Add(Image, Mask);
    if (added >= 0) moveAddedTo(added, Index);
  }
}

void TCustomImageList::InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor) {
  checkIndex(Index, true);
  {
    UpdateLock lock(this);
    Integer added = AddMasked(Image, MaskColor);
    if (added >= 0) moveAddedTo(added, Index);
  }
}

void TCustomImageList::InsertIcon(Integer Index, TIcon* Image) {
  checkIndex(Index, true);
  {
    UpdateLock lock(this);
    Integer added = AddIcon(Image);
    if (added >= 0) moveAddedTo(added, Index);
  }
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
  checkIndex(Index);
  checkImage(Image);
  checkImage(Mask);
  if (!Image || !ImageList_Replace(handle_, Index, Image->Handle(), Mask ? Mask->Handle() : nullptr))
    throw EInvalidOperation(SReplaceImage);
  Change();
}

void TCustomImageList::ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor) {
  checkIndex(Index);
  if (!NewImage) throw EInvalidOperation(SReplaceImage);
  {
    UpdateLock lock(this);
    // Let comctl32 build the mask on a temporary last image, then copy image and mask over
    // the one replaced.
    Integer temp = AddMasked(NewImage, MaskColor);
    if (temp < 0) throw EInvalidOperation(SReplaceImage);
    bool copied = ImageList_Copy(handle_, Index, handle_, temp, ILCF_MOVE);
    ImageList_Remove(handle_, temp);
    if (!copied) throw EInvalidOperation(SReplaceImage);
    Change();
  }
}

void TCustomImageList::ReplaceIcon(Integer Index, TIcon* Image) {
  checkIndex(Index);
  if (!Image || Image->Empty() || ImageList_ReplaceIcon(handle_, Index, Image->Handle()) < 0)
    throw EInvalidOperation(SReplaceImage);
  Change();
}

void TCustomImageList::Delete(Integer Index) {
  checkIndex(Index);
  ImageList_Remove(handle_, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
  Change();
}

void TCustomImageList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  checkIndex(CurIndex);
  checkIndex(NewIndex);
  moveImage(CurIndex, NewIndex);
  Change();
}

// --- Drawing -------------------------------------------------------------------------

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, drawingStyle_, imageType_, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  if (handle_) DoDraw(Index, Canvas, X, Y, drawingStyleFlags(ADrawingStyle) | imageTypeFlags(AImageType), Enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                                   bool Enabled) {
  DrawOverlay(Canvas, X, Y, ImageIndex, Overlay, dsNormal, itImage, Enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                                   TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled) {
  if (!handle_) return;
  UINT index = static_cast<UINT>(std::clamp(Overlay, 0, 3) + 1);
  DoDraw(ImageIndex, Canvas, X, Y,
         drawingStyleFlags(ADrawingStyle) | imageTypeFlags(AImageType) | INDEXTOOVERLAYMASK(index), Enabled);
}

bool TCustomImageList::Overlay(Integer ImageIndex, TOverlay Overlay) {
  if (!handle_ || Overlay < 0 || Overlay > 3) return false;
  return ImageList_SetOverlayImage(handle_, ImageIndex, Overlay + 1) != FALSE;
}

void TCustomImageList::DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, UINT Style, bool Enabled) {
  if (!handle_ || !Canvas) return;
  if (Enabled) {
    ImageList_DrawEx(handle_, Index, Canvas->Handle(), X, Y, 0, 0, imageListColor(bkColor_),
                     imageListColor(blendColor_), Style);
    return;
  }
  // The disabled look: the image drawn on a white monochrome bitmap gives black where it
  // has ink; ROP 0xE20746 (DSPDxax) paints the brush where the source is black and keeps
  // the destination where it is white. Highlight first, one pixel off, then the shadow.
  if (!monoBitmap_) {
    monoBitmap_ = new TBitmap();
    monoBitmap_->SetMonochrome(true);
    monoBitmap_->SetSize(width_, height_);
  }
  TCanvas* mono = monoBitmap_->Canvas();
  mono->Brush()->SetColor(clWhite);
  mono->FillRect(Rect(0, 0, width_, height_));
  ImageList_DrawEx(handle_, Index, mono->Handle(), 0, 0, 0, 0, CLR_DEFAULT, 0, ILD_NORMAL);
  const DWORD ropDSPDxax = 0x00E20746;
  HDC src = mono->Handle();
  TColor oldBrush = Canvas->Brush()->Color();
  TBrushStyle oldStyle = Canvas->Brush()->Style();
  auto emboss = [&](TColor color, Integer dx) {
    Canvas->Brush()->SetColor(color);
    Canvas->RequiredState({csHandleValid, csBrushValid});
    HDC dst = Canvas->Handle();
    COLORREF oldText = ::SetTextColor(dst, RGB(255, 255, 255));
    COLORREF oldBk = ::SetBkColor(dst, RGB(0, 0, 0));
    BitBlt(dst, X + dx, Y + dx, width_, height_, src, 0, 0, ropDSPDxax);
    ::SetTextColor(dst, oldText);
    ::SetBkColor(dst, oldBk);
  };
  emboss(clBtnHighlight, 1);
  emboss(clBtnShadow, 0);
  Canvas->Brush()->SetColor(oldBrush);
  Canvas->Brush()->SetStyle(oldStyle);
}

// --- Reading images back --------------------------------------------------------------

bool TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
  if (!Image || !handle_) return false;
  Image->SetSize(width_, height_);
  Draw(Image->Canvas(), 0, 0, Index);
  return true;
}

void TCustomImageList::GetIcon(Integer Index, TIcon* Image) { GetIcon(Index, Image, drawingStyle_, imageType_); }

void TCustomImageList::GetIcon(Integer Index, TIcon* Image, TDrawingStyle ADrawingStyle, TImageType AImageType) {
  if (!Image || !handle_) return;
  HICON icon = ImageList_GetIcon(handle_, Index, drawingStyleFlags(ADrawingStyle) | imageTypeFlags(AImageType));
  Image->SetHandle(icon);
}

HBITMAP TCustomImageList::GetImageBitmap() {
  IMAGEINFO info{};
  if (!handle_ || Count() == 0 || !ImageList_GetImageInfo(handle_, 0, &info)) return nullptr;
  return info.hbmImage;
}

HBITMAP TCustomImageList::GetMaskBitmap() {
  IMAGEINFO info{};
  if (!handle_ || Count() == 0 || !ImageList_GetImageInfo(handle_, 0, &info)) return nullptr;
  return info.hbmMask;
}

TPoint TCustomImageList::GetHotSpot() { return Point(0, 0); }

// --- Loading from resources and files --------------------------------------------------

bool TCustomImageList::loadImage(HINSTANCE instance, const char* name, TResType resType, Integer width,
                                 TLoadResources flags, TColor maskColor) {
  HIMAGELIST loaded = ImageList_LoadImageA(instance, name, width, allocBy_, imageListColor(maskColor),
                                           resourceType(resType), loadFlags(flags));
  if (!loaded) return false;
  SetHandle(loaded);
  return true;
}

bool TCustomImageList::GetResource(TResType ResType, const std::string& Name, Integer Width,
                                   TLoadResources LoadFlags, TColor MaskColor) {
  return GetInstRes(GetModuleHandleA(nullptr), ResType, Name, Width, LoadFlags, MaskColor);
}

bool TCustomImageList::GetInstRes(HINSTANCE Instance, TResType ResType, const std::string& Name, Integer Width,
                                  TLoadResources LoadFlags, TColor MaskColor) {
  return loadImage(Instance, Name.c_str(), ResType, Width, LoadFlags, MaskColor);
}

bool TCustomImageList::GetInstRes(HINSTANCE Instance, TResType ResType, DWORD ResID, Integer Width,
                                  TLoadResources LoadFlags, TColor MaskColor) {
  return loadImage(Instance, MAKEINTRESOURCEA(ResID), ResType, Width, LoadFlags, MaskColor);
}

bool TCustomImageList::ResourceLoad(TResType ResType, const std::string& Name, TColor MaskColor) {
  return ResInstLoad(GetModuleHandleA(nullptr), ResType, Name, MaskColor);
}

bool TCustomImageList::ResInstLoad(HINSTANCE Instance, TResType ResType, const std::string& Name, TColor MaskColor) {
  return GetInstRes(Instance, ResType, Name, width_, TLoadResources(), MaskColor);
}

bool TCustomImageList::FileLoad(TResType ResType, const std::string& Name, TColor MaskColor) {
  return GetInstRes(nullptr, ResType, Name, width_, TLoadResources{lrFromFile}, MaskColor);
}

// --- Properties ------------------------------------------------------------------------

void TCustomImageList::SetWidth(Integer Value) {
  if (Value == width_) return;
  width_ = Value;
  if (handle_) ImageList_SetIconSize(handle_, width_, height_);  // removes every image
  delete monoBitmap_;
  monoBitmap_ = nullptr;
  Change();
}

void TCustomImageList::SetHeight(Integer Value) {
  if (Value == height_) return;
  height_ = Value;
  if (handle_) ImageList_SetIconSize(handle_, width_, height_);
  delete monoBitmap_;
  monoBitmap_ = nullptr;
  Change();
}

// Remakes the comctl32 list with the current flags, copying the images across.
void TCustomImageList::recreateKeepingImages() {
  HIMAGELIST old = handle_;
  bool oldShared = shareImages_;
  handle_ = nullptr;
  createImageList();
  if (old) {
    TCustomImageList source(width_, height_);
    source.handle_ = old;
    source.shareImages_ = oldShared;
    for (Integer i = 0, n = source.Count(); i < n; ++i) AddImage(&source, i);
  }
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == masked_) return;
  masked_ = Value;
  if (handle_) {
    {
      UpdateLock lock(this);
      recreateKeepingImages();
      Change();
    }
  }
}

TColor TCustomImageList::BkColor() const {
  return handle_ ? colorFromImageList(ImageList_GetBkColor(handle_)) : bkColor_;
}

void TCustomImageList::SetBkColor(TColor Value) {
  bkColor_ = Value;
  if (handle_) ImageList_SetBkColor(handle_, imageListColor(Value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == blendColor_) return;
  blendColor_ = Value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == drawingStyle_) return;
  drawingStyle_ = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == imageType_) return;
  imageType_ = Value;
  Change();
}

// --- Copying and storing ---------------------------------------------------------------

void TCustomImageList::Assign(TPersistent* Source) {
  if (!Source) {
    BeginUpdate();
    freeHandle();
    Change();
    EndUpdate();
    return;
  }
  auto* list = dynamic_cast<TCustomImageList*>(Source);
  if (!list) {
    TComponent::Assign(Source);
    return;
  }
  if (list == this) return;
  {
    UpdateLock lock(this);
    freeHandle();
    masked_ = list->masked_;
    imageType_ = list->imageType_;
    drawingStyle_ = list->drawingStyle_;
    shareImages_ = false;
    width_ = list->width_;
    height_ = list->height_;
    allocBy_ = list->allocBy_;
    bkColor_ = list->BkColor();
    blendColor_ = list->blendColor_;
    delete monoBitmap_;
    monoBitmap_ = nullptr;
    createImageList();
    AddImages(list);
    Change();
  }
}

void TCustomImageList::WriteData(TStream* Stream) {
  HandleNeeded();
  StreamAdapter adapter(Stream);
  if (!ImageList_Write(handle_, &adapter)) throw EWriteError(SImageWriteFail);
}

void TCustomImageList::ReadData(TStream* Stream) {
  StreamAdapter adapter(Stream);
  HIMAGELIST loaded = ImageList_Read(&adapter);
  if (!loaded) throw EReadError(SImageReadFail);
  bool shared = shareImages_;
  shareImages_ = false;  // the list read is ours
  SetHandle(loaded);
  shareImages_ = shared;
}

bool TCustomImageList::Equal(TCustomImageList* IL) {
  if (!IL) return Count() == 0;
  if (IL == this) return true;
  if (Count() != IL->Count()) return false;
  if (Count() == 0) return true;
  TMemoryStream mine, theirs;
  WriteData(&mine);
  IL->WriteData(&theirs);
  return mine.Size() == theirs.Size() && std::memcmp(mine.Memory(), theirs.Memory(), mine.Size()) == 0;
}

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  // Against an ancestor (an inherited form) only images that differ are stored.
  bool hasData;
  if (Filer->Ancestor()) {
    auto* ancestor = dynamic_cast<TCustomImageList*>(Filer->Ancestor());
    hasData = !ancestor || !Equal(ancestor);
  } else {
    hasData = Count() > 0;
  }
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, hasData);
}

RTL_BEGIN_CLASS(TImageList)
  b.Property("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor).Default(clNone);
  b.Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Default(clNone);
  b.Property("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy).Default(4);
  b.Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal);
  b.Property("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
  b.Property("ImageType", &TImageList::ImageType, &TImageList::SetImageType).Default(itImage);
  b.Property("Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true);
  b.Property("OnChange", &TImageList::OnChange, &TImageList::SetOnChange);
  b.Property("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages).Default(false);
  b.Property("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
RTL_END_CLASS

namespace ImgListUnit {

void Initialize() {
  InitCommonControls();
  RegisterClasses({TImageList::StaticClass()});
}

void Finalize() { UnRegisterClass(TImageList::StaticClass()); }

}  // namespace ImgListUnit
