#include "platform/gui/ImgList.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "GuiTestHelpers.h"
#include "MenusTestSupport.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kFuchsia = 0xFF00FF;

// A W x H bitmap filled with Back and, when Square is set, a square of Square from
// (4,4) to (12,12) in cell 0.
std::unique_ptr<TBitmap> cell(uint32_t back, uint32_t square = 0xFFFFFFFF, int w = 16, int h = 16) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  bmp->Canvas()->Brush()->SetColor(static_cast<TColor>(back));
  bmp->Canvas()->FillRect(Rect(0, 0, w, h));
  if (square != 0xFFFFFFFF) {
    bmp->Canvas()->Brush()->SetColor(static_cast<TColor>(square));
    bmp->Canvas()->FillRect(Rect(4, 4, 12, 12));
  }
  return bmp;
}

// A 16 x 16 bitmap with four quadrants: red, green / blue, yellow.
std::unique_ptr<TBitmap> quadrants() {
  auto bmp = cell(kRed);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(static_cast<TColor>(kGreen));
  c->FillRect(Rect(8, 0, 16, 8));
  c->Brush()->SetColor(static_cast<TColor>(kBlue));
  c->FillRect(Rect(0, 8, 8, 16));
  c->Brush()->SetColor(static_cast<TColor>(kYellow));
  c->FillRect(Rect(8, 8, 16, 16));
  return bmp;
}

// The colour at the middle of each quadrant of image Index, as GetBitmap gives it.
std::vector<uint32_t> quadrantColors(TCustomImageList& list, int index) {
  TBitmap out;
  makeWhite(out, list.Width(), list.Height());
  list.GetBitmap(index, &out);
  return {pixelOf(out, 4, 4), pixelOf(out, 12, 4), pixelOf(out, 4, 12), pixelOf(out, 12, 12)};
}

uint32_t centerColor(TCustomImageList& list, int index) {
  TBitmap out;
  makeWhite(out, list.Width(), list.Height());
  list.GetBitmap(index, &out);
  return pixelOf(out, list.Width() / 2, list.Height() / 2);
}

class ChangeCounter : public TObject {
public:
  std::vector<TObject*> senders;
  void Changed(TObject* Sender) { senders.push_back(Sender); }
  TNotifyEvent onChange() { return TNotifyEvent(this, &ChangeCounter::Changed); }
};

}  // namespace

// =======================================================================================
// Adding, replacing and removing
// =======================================================================================

TEST(ImageListContents, AddInsertReplaceDeleteKeepCountAndOrder) {
  TImageList list(16, 16);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Add(cell(kRed).get(), nullptr), 0);
  EXPECT_EQ(list.AddMasked(cell(kFuchsia, kGreen).get(), clFuchsia), 1);
  // A strip three cells wide adds three images.
  auto strip = cell(kBlue, 0xFFFFFFFF, 48, 16);
  EXPECT_EQ(list.Add(strip.get(), nullptr), 2);
  ASSERT_EQ(list.Count(), 5);

  list.Insert(0, cell(kYellow).get(), nullptr);
  ASSERT_EQ(list.Count(), 6);
  EXPECT_EQ(centerColor(list, 0), kYellow);
  EXPECT_EQ(centerColor(list, 1), kRed) << "the images after the insertion move up";
  EXPECT_EQ(centerColor(list, 2), kGreen);

  list.Replace(1, cell(kWhite, kBlue).get(), nullptr);
  EXPECT_EQ(centerColor(list, 1), kBlue);
  list.ReplaceMasked(3, cell(kFuchsia, kRed).get(), clFuchsia);
  EXPECT_EQ(list.Count(), 6) << "ReplaceMasked leaves no temporary image behind";
  EXPECT_EQ(centerColor(list, 3), kRed);

  // A strip inserted keeps its images in order at the place asked.
  auto pair = cell(kYellow, 0xFFFFFFFF, 32, 16);
  pair->Canvas()->Brush()->SetColor(static_cast<TColor>(kGreen));
  pair->Canvas()->FillRect(Rect(16, 0, 32, 16));
  list.Insert(1, pair.get(), nullptr);
  ASSERT_EQ(list.Count(), 8);
  EXPECT_EQ(centerColor(list, 1), kYellow);
  EXPECT_EQ(centerColor(list, 2), kGreen);
  EXPECT_EQ(centerColor(list, 3), kBlue);
  list.Delete(1);
  list.Delete(1);

  list.Delete(0);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(centerColor(list, 0), kBlue);
  list.Move(0, 2);
  EXPECT_EQ(centerColor(list, 2), kBlue);
  EXPECT_EQ(centerColor(list, 0), kGreen);

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(ImageListContents, BadIndexesAndSizesRaise) {
  TImageList list(16, 16);
  list.Add(cell(kRed).get(), nullptr);
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { list.Delete(1); }), "Invalid ImageList Index");
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { list.Delete(-1); }), "Invalid ImageList Index");
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { list.Replace(2, cell(kRed).get(), nullptr); }),
            "Invalid ImageList Index");
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { list.Insert(3, cell(kRed).get(), nullptr); }),
            "Invalid ImageList Index");
  EXPECT_EQ(RaisedMessage<EInvalidOperation>([&] { list.Add(cell(kRed, 0xFFFFFFFF, 8, 16).get(), nullptr); }),
            "Invalid image size");
  EXPECT_EQ(list.Add(nullptr, nullptr), -1);
  EXPECT_EQ(list.Count(), 1);
}

TEST(ImageListContents, ChangingTheSizeEmptiesTheList) {
  TImageList list(16, 16);
  list.Add(cell(kRed).get(), nullptr);
  list.SetWidth(24);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Width(), 24);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list.Handle(), &cx, &cy);
  EXPECT_EQ(cx, 24);
  EXPECT_EQ(cy, 16);
}

TEST(ImageListContents, FileLoadCutsABitmapIntoImagesOfTheListWidth) {
  auto strip = cell(kBlue, 0xFFFFFFFF, 48, 16);
  strip->Canvas()->Brush()->SetColor(static_cast<TColor>(kRed));
  strip->Canvas()->FillRect(Rect(16, 0, 32, 16));
  std::string path = tempFile("strip.bmp");
  strip->SaveToFile(path);
  TImageList list(16, 16);
  list.Add(cell(kGreen).get(), nullptr);
  EXPECT_TRUE(list.FileLoad(rtBitmap, path, clNone));
  DeleteFileA(path.c_str());
  EXPECT_EQ(list.Count(), 3) << "the file replaces the list's images";
  EXPECT_EQ(centerColor(list, 0), kBlue);
  EXPECT_EQ(centerColor(list, 1), kRed);
  EXPECT_FALSE(list.FileLoad(rtBitmap, path, clNone)) << "a missing file loads nothing";
  EXPECT_EQ(list.Count(), 3);
}

// =======================================================================================
// Reading images back and drawing
// =======================================================================================

TEST(ImageListPixels, GetBitmapReturnsThePixelsThatWereAdded) {
  TImageList list(16, 16);
  list.Add(cell(kWhite).get(), nullptr);
  list.Add(quadrants().get(), nullptr);
  EXPECT_EQ(quadrantColors(list, 1), (std::vector<uint32_t>{kRed, kGreen, kBlue, kYellow}));

  TIcon icon;
  list.GetIcon(1, &icon);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_FALSE(icon.Empty());
  EXPECT_EQ(list.AddIcon(&icon), 2);
  EXPECT_EQ(quadrantColors(list, 2), (std::vector<uint32_t>{kRed, kGreen, kBlue, kYellow}));
}

TEST(ImageListPixels, MaskedColourStaysBackgroundAndTheSourceIsUntouched) {
  TImageList list(16, 16);
  auto source = cell(kFuchsia, kBlue);
  list.AddMasked(source.get(), clFuchsia);
  EXPECT_TRUE(PixelIs(*source, 1, 1, kFuchsia)) << "the caller's bitmap keeps its mask colour";

  TBitmap canvas;
  makeWhite(canvas, 40, 40);
  list.Draw(canvas.Canvas(), 10, 10, 0);
  EXPECT_TRUE(PixelIs(canvas, 11, 11, kWhite)) << "masked pixels leave the canvas as it was";
  EXPECT_TRUE(PixelIs(canvas, 18, 18, kBlue));

  // clNone adds the image without a mask: drawn whole.
  list.AddMasked(source.get(), clNone);
  makeWhite(canvas, 40, 40);
  list.Draw(canvas.Canvas(), 10, 10, 1);
  EXPECT_TRUE(PixelIs(canvas, 11, 11, kFuchsia));
}

TEST(ImageListPixels, DisabledDrawingIsEmbossedAndKeepsTheBackground) {
  TImageList list(16, 16);
  list.AddMasked(cell(kFuchsia, kBlue).get(), clFuchsia);

  // A teal canvas, so that neither the shadow nor the highlight colour is already there.
  constexpr uint32_t kTeal = 0x808000;
  auto enabled = cell(kTeal, 0xFFFFFFFF, 40, 40);
  auto disabled = cell(kTeal, 0xFFFFFFFF, 40, 40);
  list.Draw(enabled->Canvas(), 10, 10, 0, true);
  list.Draw(disabled->Canvas(), 10, 10, 0, false);
  EXPECT_TRUE(PixelIs(*enabled, 18, 18, kBlue));
  EXPECT_TRUE(PixelIs(*disabled, 18, 18, static_cast<uint32_t>(ColorToRGB(clBtnShadow))))
      << "the ink of a disabled image is the shadow colour";
  EXPECT_TRUE(PixelIs(*disabled, 11, 11, kTeal)) << "transparent pixels stay background";
  // The square covers 14..21 on the canvas; the highlight copy lies one pixel down and right.
  EXPECT_TRUE(PixelIs(*disabled, 22, 22, static_cast<uint32_t>(ColorToRGB(clBtnHighlight))));
  EXPECT_TRUE(PixelIs(*disabled, 13, 13, kTeal));
}

TEST(ImageListPixels, BackgroundColourFillsTheMaskedPixels) {
  TImageList list(16, 16);
  list.AddMasked(cell(kFuchsia, kBlue).get(), clFuchsia);
  list.SetBkColor(clYellow);
  EXPECT_EQ(list.BkColor(), clYellow);
  TBitmap canvas;
  makeWhite(canvas, 40, 40);
  list.Draw(canvas.Canvas(), 0, 0, 0);
  EXPECT_TRUE(PixelIs(canvas, 1, 1, kYellow));
  list.SetBkColor(clNone);
  EXPECT_EQ(list.BkColor(), clNone);
}

// =======================================================================================
// Change notification
// =======================================================================================

TEST(ImageListChanges, LinksAndOnChangeHearEveryChangeOnceAfterAnUpdate) {
  ChangeCounter first, second, own;
  auto list = std::make_unique<TImageList>(16, 16);
  list->SetOnChange(own.onChange());
  auto link1 = std::make_unique<TChangeLink>();
  auto link2 = std::make_unique<TChangeLink>();
  link1->SetOnChange(first.onChange());
  link2->SetOnChange(second.onChange());
  list->RegisterChanges(link1.get());
  list->RegisterChanges(link2.get());
  EXPECT_EQ(link1->Sender(), list.get());

  list->Add(cell(kRed).get(), nullptr);
  ASSERT_EQ(first.senders.size(), 1u);
  EXPECT_EQ(first.senders[0], list.get());
  EXPECT_EQ(second.senders.size(), 1u);
  EXPECT_EQ(own.senders.size(), 1u);

  list->BeginUpdate();
  list->Add(cell(kRed).get(), nullptr);
  list->Delete(0);
  list->SetBkColor(clRed);
  EXPECT_EQ(first.senders.size(), 1u) << "nothing while the update is open";
  list->EndUpdate();
  EXPECT_EQ(first.senders.size(), 2u) << "one notice at its end";

  list->UnRegisterChanges(link2.get());
  EXPECT_EQ(link2->Sender(), nullptr);
  link1.reset();  // freeing a link unregisters it
  list->Clear();
  EXPECT_EQ(first.senders.size(), 2u);
  EXPECT_EQ(second.senders.size(), 2u);
  EXPECT_EQ(own.senders.size(), 3u);

  list->RegisterChanges(link2.get());
  list.reset();
  EXPECT_EQ(link2->Sender(), nullptr) << "a freed list lets go of its links";
}

// =======================================================================================
// Copying and storing
// =======================================================================================

TEST(ImageListStorage, ImagesRoundTripThroughTheirStoredBytes) {
  TImageList list(16, 16);
  list.Add(quadrants().get(), nullptr);
  list.AddMasked(cell(kFuchsia, kBlue).get(), clFuchsia);
  TMemoryStream bytes;
  list.WriteData(&bytes);
  ASSERT_GT(bytes.Size(), 4);
  EXPECT_EQ(std::string(static_cast<const char*>(bytes.Memory()), 2), "IL");

  TImageList copy(32, 32);
  bytes.SetPosition(0);
  copy.ReadData(&bytes);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Width(), 16);
  EXPECT_EQ(quadrantColors(copy, 0), (std::vector<uint32_t>{kRed, kGreen, kBlue, kYellow}));
  TBitmap canvas;
  makeWhite(canvas, 16, 16);
  copy.Draw(canvas.Canvas(), 0, 0, 1);
  EXPECT_TRUE(PixelIs(canvas, 1, 1, kWhite)) << "the mask came along";
  EXPECT_TRUE(PixelIs(canvas, 8, 8, kBlue));
  EXPECT_TRUE(copy.Equal(&list));

  TMemoryStream junk;
  junk.Write("not an image list", 17);
  junk.SetPosition(0);
  EXPECT_EQ(RaisedMessage<EReadError>([&] { copy.ReadData(&junk); }), "Failed to read ImageList data from stream");
}

TEST(ImageListStorage, StoredFormCarriesPropertiesAndImages) {
  auto* source = new StreamRoot(nullptr);
  auto* list = new TImageList(source);
  list->SetName("ImageList1");
  list->SetWidth(12);
  list->SetHeight(11);
  list->SetBkColor(clSilver);
  auto image = cell(kGreen, 0xFFFFFFFF, 12, 11);
  list->Add(image.get(), nullptr);
  std::string text = textFormOf(source);
  EXPECT_NE(text.find("Bitmap = {"), std::string::npos) << text;
  EXPECT_NE(text.find("Width = 12"), std::string::npos) << text;
  EXPECT_EQ(text.find("Masked"), std::string::npos) << "defaults are not written:\n" << text;

  auto* target = new StreamRoot(nullptr);
  copyThroughStream(source, target);
  auto* copy = dynamic_cast<TImageList*>(target->FindComponent("ImageList1"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Count(), 1);
  EXPECT_EQ(copy->Width(), 12);
  EXPECT_EQ(copy->Height(), 11);
  EXPECT_EQ(copy->BkColor(), clSilver);
  EXPECT_EQ(centerColor(*copy, 0), kGreen);
  source->Free();
  target->Free();
}

TEST(ImageListStorage, AssignCopiesImagesAndSettings) {
  TImageList source(20, 10);
  source.SetDrawingStyle(dsTransparent);
  source.SetBlendColor(clRed);
  source.Add(cell(kYellow, 0xFFFFFFFF, 20, 10).get(), nullptr);
  TImageList copy(16, 16);
  copy.Assign(&source);
  EXPECT_EQ(copy.Width(), 20);
  EXPECT_EQ(copy.Height(), 10);
  EXPECT_EQ(copy.DrawingStyle(), dsTransparent);
  EXPECT_EQ(copy.BlendColor(), clRed);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(centerColor(copy, 0), kYellow);
  source.Clear();
  EXPECT_EQ(copy.Count(), 1) << "the copy has images of its own";
}
