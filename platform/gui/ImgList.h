#pragma once
// ImgList: lists of same-sized images kept in a comctl32 image list (HIMAGELIST), drawn
// by index, with change links that tell the controls using a list when its images change.
//
// Sections, in order:
//   types              TImageIndex, TDrawingStyle, TImageType, TResType, TLoadResources
//   change links       TChangeLink
//   image lists        TCustomImageList, TImageList
//
// The comctl32 list is made on first need (Handle(), or any call that adds images) with
// the list's Width, Height, AllocBy and Masked. A form description stores the images as
// the binary property "Bitmap": the bytes ImageList_Write gives (the "IL" header followed
// by the image and mask bitmaps), read back with ImageList_Read.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/gui/Graphics.h"
#include "platform/rtl/Classes.h"

class TCustomImageList;

// =======================================================================================
// Types
// =======================================================================================

// The index of an image in an image list; -1 means "no image".
using TImageIndex = Integer;

// How Draw combines the image with what is under it (ILD_FOCUS, ILD_SELECTED, ILD_NORMAL,
// ILD_TRANSPARENT).
RTL_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)
// Whether Draw paints the image or its mask.
RTL_ENUM(TImageType, itImage, itMask)
// The kind of resource GetResource and its relatives load.
RTL_ENUM(TResType, rtBitmap, rtCursor, rtIcon)
// LoadImage options of the resource loaders (LR_DEFAULTCOLOR, LR_DEFAULTSIZE,
// LR_LOADFROMFILE, LR_LOADMAP3DCOLORS, LR_LOADTRANSPARENT, LR_MONOCHROME).
RTL_ENUM(TLoadResource, lrDefaultColor, lrDefaultSize, lrFromFile, lrMap3DColors, lrTransparent, lrMonoChrome)
using TLoadResources = Set<TLoadResource>;
// An overlay slot, 0..3 (comctl32 knows overlay images 1..4; slot n is overlay n + 1).
using TOverlay = Integer;

// =======================================================================================
// Change links
// =======================================================================================

// A client's link to an image list: the list calls Change on every link registered with
// it (RegisterChanges) after its images, size or colours change. Freeing a link
// unregisters it; freeing the list unregisters every link (Sender becomes null).
class TChangeLink : public TObject {
  RTL_DECLARE_CLASS(TChangeLink, TObject)
public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  // Fires OnChange with Sender as its argument.
  virtual void Change();

  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* Value) { sender_ = Value; }
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

private:
  TCustomImageList* sender_ = nullptr;
  TNotifyEvent onChange_;
};

// =======================================================================================
// Image lists
// =======================================================================================

// The image list. Indexes are 0-based; an index outside 0..Count-1 raises
// EInvalidOperation "Invalid ImageList Index" where an operation needs an existing image.
// Bitmaps narrower or lower than the list raise EInvalidOperation "Invalid image size"; a
// wider bitmap adds (or inserts) one image per Width pixels. Every change fires the change
// links and OnChange, once at the end of a BeginUpdate/EndUpdate bracket.
class TCustomImageList : public TComponent {
  RTL_DECLARE_CLASS(TCustomImageList, TComponent)
public:
  explicit TCustomImageList(TComponent* AOwner);
  // An unowned list of the given image size.
  TCustomImageList(Integer AWidth, Integer AHeight);
  ~TCustomImageList() override;

  // From another image list: its size, Masked, ImageType, DrawingStyle, ShareImages,
  // colours and a copy of every image. Null empties this list.
  void Assign(TPersistent* Source) override;

  // --- Adding images. Each returns the index of the (first) image added, -1 when Image is
  // null or the system refused it.
  // Image's pixels with Mask's (monochrome: white is transparent; null: none).
  Integer Add(TBitmap* Image, TBitmap* Mask);
  // Image with every pixel of MaskColor transparent (clDefault: the bitmap's
  // TransparentColor; clNone, or a list that is not Masked: no transparency). Image itself
  // is not changed.
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  Integer AddIcon(TIcon* Image);
  // A copy of image Index of Value (stretched when the sizes differ); -1 for a null list or
  // an index outside it.
  Integer AddImage(TCustomImageList* Value, Integer Index);
  // Copies of every image of Value, appended in order.
  void AddImages(TCustomImageList* Value);

  // --- Inserting, replacing, removing. Insert accepts 0..Count.
  void Insert(Integer Index, TBitmap* Image, TBitmap* Mask);
  void InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor);
  void InsertIcon(Integer Index, TIcon* Image);
  // EInvalidOperation "Unable to Replace Image" when the system refuses.
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor);
  void ReplaceIcon(Integer Index, TIcon* Image);
  void Delete(Integer Index);
  void Clear();
  // Moves image CurIndex so that it ends at NewIndex (the others keep their order).
  void Move(Integer CurIndex, Integer NewIndex);

  // --- Drawing. Nothing is drawn when the list has no handle. A disabled image is drawn
  // embossed: every pixel of the image that is not transparent (and not white) becomes
  // clBtnShadow, with a clBtnHighlight copy one pixel down and right; transparent pixels
  // leave the canvas as it was.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
            bool Enabled = true);
  // Draws the image with overlay image Overlay (set by this list's Overlay) on top.
  void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay, bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                   TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled = true);
  // Makes image ImageIndex the overlay image of slot Overlay (0..3).
  bool Overlay(Integer ImageIndex, TOverlay Overlay);

  // --- Reading images back.
  // Sizes Image to the list's size and draws image Index on it (its masked pixels keep
  // what the bitmap held: white for a new bitmap). False when Image is null or the list has
  // no handle.
  bool GetBitmap(Integer Index, TBitmap* Image);
  // Image becomes an icon of image Index.
  void GetIcon(Integer Index, TIcon* Image);
  void GetIcon(Integer Index, TIcon* Image, TDrawingStyle ADrawingStyle, TImageType AImageType);
  // The list's own bitmaps holding every image side by side (and their masks); the list
  // keeps them: do not delete or select them.
  HBITMAP GetImageBitmap();
  HBITMAP GetMaskBitmap();
  virtual TPoint GetHotSpot();

  // --- Loading a whole list from a resource or file (replaces the list; the image width is
  // Width unless lrDefaultSize). False when nothing could be loaded.
  bool GetResource(TResType ResType, const std::string& Name, Integer Width, TLoadResources LoadFlags,
                   TColor MaskColor);
  bool GetInstRes(HINSTANCE Instance, TResType ResType, const std::string& Name, Integer Width,
                  TLoadResources LoadFlags, TColor MaskColor);
  bool GetInstRes(HINSTANCE Instance, TResType ResType, DWORD ResID, Integer Width, TLoadResources LoadFlags,
                  TColor MaskColor);
  // The same at the list's own Width with default flags.
  bool ResourceLoad(TResType ResType, const std::string& Name, TColor MaskColor);
  bool ResInstLoad(HINSTANCE Instance, TResType ResType, const std::string& Name, TColor MaskColor);
  bool FileLoad(TResType ResType, const std::string& Name, TColor MaskColor);

  // --- Change notification.
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  void BeginUpdate();
  void EndUpdate();

  // Whether IL holds the same images (compared through their stored form).
  bool Equal(TCustomImageList* IL);

  // --- The images as the form description stores them ("Bitmap"): ImageList_Write's
  // bytes. ReadData replaces the list (and its size) with the stream's; EReadError
  // "Failed to read ImageList data from stream" when the bytes are not an image list.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  // --- Properties.
  Integer Count() const;
  // The comctl32 list, made when first read.
  HIMAGELIST Handle();
  // Adopts Value (the list then owns it unless ShareImages); Width and Height are read from
  // it.
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  Integer Width() const { return width_; }
  // Changing the size removes every image.
  void SetWidth(Integer Value);
  Integer Height() const { return height_; }
  void SetHeight(Integer Value);
  // Growth step of the comctl32 list.
  Integer AllocBy() const { return allocBy_; }
  void SetAllocBy(Integer Value) { allocBy_ = Value; }
  // Whether the list keeps a mask with each image (changing it keeps the images).
  bool Masked() const { return masked_; }
  void SetMasked(bool Value);
  // Background drawn under masked images: clNone draws them transparent.
  TColor BkColor() const;
  void SetBkColor(TColor Value);
  // The colour ILD_FOCUS and ILD_SELECTED blend the image with (clNone: none, clDefault:
  // the highlight colour).
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor Value);
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType Value);
  // When true the list does not destroy its handle (someone else owns it).
  bool ShareImages() const { return shareImages_; }
  void SetShareImages(bool Value) { shareImages_ = Value; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& Value) { onChange_ = Value; }

protected:
  // Tells the change links and OnChange (or remembers it while an update is open).
  virtual void Change();
  // Stores the images as the binary property "Bitmap" when there are any.
  void DefineProperties(TFiler* Filer) override;
  // Draws image Index with the ILD_ style flags.
  virtual void DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, UINT Style, bool Enabled = true);
  // Makes the comctl32 list if there is none.
  void HandleNeeded();

private:
  void createImageList();
  void freeHandle();
  void checkIndex(Integer Index, bool allowEnd = false) const;
  void checkImage(TGraphic* Image) const;
  Integer appendBlank();
  void moveImage(Integer From, Integer To);
  void moveAddedTo(Integer Added, Integer Index);
  bool loadImage(HINSTANCE instance, const char* name, TResType resType, Integer width, TLoadResources flags,
                 TColor maskColor);
  void recreateKeepingImages();

  HIMAGELIST handle_ = nullptr;
  Integer width_ = 16;
  Integer height_ = 16;
  Integer allocBy_ = 4;
  bool masked_ = true;
  bool shareImages_ = false;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  TDrawingStyle drawingStyle_ = dsNormal;
  TImageType imageType_ = itImage;
  std::vector<TChangeLink*> clients_;
  TBitmap* monoBitmap_ = nullptr;  // scratch for disabled drawing
  Integer updateCount_ = 0;
  bool changed_ = false;
  TNotifyEvent onChange_;
};

// The image list a form description names; publishes the list's properties.
class TImageList : public TCustomImageList {
  RTL_DECLARE_CLASS(TImageList, TCustomImageList)
public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  TImageList(Integer AWidth, Integer AHeight) : TCustomImageList(AWidth, AHeight) {}
  // An unowned list of the given image size (the caller frees it).
  static TImageList* CreateSize(Integer AWidth, Integer AHeight) { return new TImageList(AWidth, AHeight); }
};

namespace ImgListUnit {
void Initialize();
void Finalize();
}  // namespace ImgListUnit
