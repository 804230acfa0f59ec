#include "platform/gui/JPEG.h"

#include <windows.h>

#include <vector>

#include "GuiTestHelpers.h"
#include "TestFramework.h"
#include "platform/rtl/Classes.h"

namespace {

// A smooth gradient (red grows to the right, green downwards) with a solid blue block:
// JPEG keeps both well.
void paintPattern(TBitmap& bmp, int w, int h) {
  makeWhite(bmp, w, h, pf24bit);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(bmp.ScanLine(y));
    for (int x = 0; x < w; ++x) {
      row[3 * x] = 64;
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / (h - 1));
      row[3 * x + 2] = static_cast<uint8_t>(x * 255 / (w - 1));
    }
  }
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect(Rect(w / 4, h / 4, w / 2, h / 2));
}

// The largest channel difference between two bitmaps of the same size, away from the edges
// of the pattern's blue block (JPEG stores colour at half resolution, so a sharp colour edge
// blurs over a pixel or two there).
int maxDifference(TBitmap& a, TBitmap& b) {
  int w = a.Width(), h = a.Height();
  auto nearEdge = [&](int x, int y) {
    auto within2 = [](int v, int edge) { return std::abs(v - edge) <= 2; };
    bool inX = x >= w / 4 - 2 && x < w / 2 + 2, inY = y >= h / 4 - 2 && y < h / 2 + 2;
    return (inY && (within2(x, w / 4) || within2(x, w / 2))) || (inX && (within2(y, h / 4) || within2(y, h / 2)));
  };
  int worst = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (nearEdge(x, y)) continue;
      uint32_t p = pixelOf(a, x, y), q = pixelOf(b, x, y);
      for (int s = 0; s < 24; s += 8) worst = std::max(worst, std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF)));
    }
  return worst;
}

std::vector<uint8_t> bytesOf(TMemoryStream& s) {
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

void loadBytes(TJPEGImage& jpeg, const std::vector<uint8_t>& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  stream.SetPosition(0);
  jpeg.LoadFromStream(&stream);
}

std::vector<uint8_t> encodedPattern(int w, int h, int quality, bool progressive = false) {
  TBitmap bmp;
  paintPattern(bmp, w, h);
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  jpeg.SetCompressionQuality(quality);
  jpeg.SetProgressiveEncoding(progressive);
  TMemoryStream stream;
  jpeg.SaveToStream(&stream);
  return bytesOf(stream);
}

class ProgressLog : public TObject {
public:
  std::vector<TProgressStage> stages;
  void Progress(TObject*, TProgressStage Stage, Byte, bool, const TRect&, const std::string&) { stages.push_back(Stage); }
};

}  // namespace

TEST(JPEGImage, EncodedBitmapDecodesBackClose) {
  TBitmap original;
  paintPattern(original, 64, 48);
  TJPEGImage jpeg;
  jpeg.Assign(&original);
  EXPECT_EQ(jpeg.Width(), 64);
  EXPECT_EQ(jpeg.Height(), 48);
  EXPECT_EQ(jpeg.CompressionQuality(), 90);
  TMemoryStream stream;
  jpeg.SaveToStream(&stream);
  std::vector<uint8_t> bytes = bytesOf(stream);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);

  TJPEGImage loaded;
  stream.SetPosition(0);
  loaded.LoadFromStream(&stream);
  EXPECT_EQ(loaded.Width(), 64);
  EXPECT_EQ(loaded.Height(), 48);
  TBitmap decoded;
  decoded.Assign(&loaded);
  ASSERT_EQ(decoded.Width(), 64);
  EXPECT_LE(maxDifference(decoded, original), 40) << "decoded pixels stray too far";
  EXPECT_TRUE(PixelNear(decoded, 20, 15, 0xFF0000, 12)) << "inside the blue block";
}

TEST(JPEGImage, ReencodingADecodedImageStaysClose) {
  TJPEGImage first;
  loadBytes(first, encodedPattern(48, 32, 95));
  first.SetCompressionQuality(80);
  first.Compress();
  TMemoryStream again;
  first.SaveToStream(&again);
  TJPEGImage second;
  again.SetPosition(0);
  second.LoadFromStream(&again);
  TBitmap a, b;
  a.Assign(&first);
  b.Assign(&second);
  EXPECT_LE(maxDifference(a, b), 32);
  TBitmap original;
  paintPattern(original, 48, 32);
  EXPECT_LE(maxDifference(b, original), 48);
}

TEST(JPEGImage, QualitySettingChangesTheStreamSize) {
  TBitmap bmp;
  paintPattern(bmp, 96, 96);
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  std::vector<size_t> sizes;
  for (int quality : {10, 50, 95}) {
    jpeg.SetCompressionQuality(quality);
    TMemoryStream stream;
    jpeg.SaveToStream(&stream);
    sizes.push_back(static_cast<size_t>(stream.Size()));
  }
  EXPECT_LT(sizes[0], sizes[1]);
  EXPECT_LT(sizes[1], sizes[2]) << "quality 10: " << sizes[0] << ", 50: " << sizes[1] << ", 95: " << sizes[2];
}

TEST(JPEGImage, LoadedStreamIsSavedUnchanged) {
  std::vector<uint8_t> bytes = encodedPattern(32, 32, 70);
  TJPEGImage jpeg;
  loadBytes(jpeg, bytes);
  jpeg.SetCompressionQuality(20);  // applies only when compressing a bitmap
  TMemoryStream out;
  jpeg.SaveToStream(&out);
  EXPECT_EQ(bytesOf(out), bytes);
}

TEST(JPEGImage, CorruptOrTruncatedStreamsRaiseEJPEGWithTheCodecsMessage) {
  std::vector<uint8_t> good = encodedPattern(64, 64, 90);
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
    const char* messagePart;
  } cases[] = {
      {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, "Not a JPEG file"},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 20), "Premature end"},
      {"cut in half", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), "Premature end"},
      {"last bytes missing", std::vector<uint8_t>(good.begin(), good.end() - 2), "Premature end"},
  };
  for (const Case& c : cases) {
    TJPEGImage jpeg;
    try {
      loadBytes(jpeg, c.data);
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const EJPEG& e) {
      EXPECT_NE(e.Message().find(c.messagePart), std::string::npos) << c.what << ": " << e.Message();
    }
  }
  // EJPEG is an EInvalidGraphic, and a failed load keeps the image there was.
  TJPEGImage kept;
  loadBytes(kept, good);
  try {
    loadBytes(kept, cases[2].data);
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_TRUE(e.InheritsFrom(EJPEG::StaticClass()));
  }
  EXPECT_EQ(kept.Width(), 64);
  TMemoryStream out;
  kept.SaveToStream(&out);
  EXPECT_EQ(bytesOf(out), good);
}

TEST(JPEGImage, ScaleGrayscaleAndPerformanceShapeTheDecodedImage) {
  TJPEGImage jpeg;
  loadBytes(jpeg, encodedPattern(100, 60, 90));
  struct Case {
    TJPEGScale scale;
    Integer w, h;
  } cases[] = {{jsFullSize, 100, 60}, {jsHalf, 50, 30}, {jsQuarter, 25, 15}, {jsEighth, 13, 8}};
  for (const Case& c : cases) {
    jpeg.SetScale(c.scale);
    EXPECT_EQ(jpeg.Width(), c.w) << "scale " << c.scale;
    EXPECT_EQ(jpeg.Height(), c.h) << "scale " << c.scale;
    TBitmap bmp;
    bmp.Assign(&jpeg);
    EXPECT_EQ(bmp.Width(), c.w) << "scale " << c.scale;
  }
  jpeg.SetScale(jsFullSize);
  jpeg.SetGrayscale(true);
  jpeg.SetPerformance(jpBestSpeed);
  TBitmap gray;
  gray.Assign(&jpeg);
  for (int x : {5, 50, 95}) {
    uint32_t p = pixelOf(gray, x, 30);
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF) << "pixel " << x;
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF) << "pixel " << x;
  }
}

TEST(JPEGImage, ProgressiveStreamReportsEachPassWhenDisplayedProgressively) {
  std::vector<uint8_t> bytes = encodedPattern(64, 64, 90, true);
  ProgressLog log;
  TJPEGImage jpeg;
  jpeg.SetProgressiveDisplay(true);
  jpeg.SetOnProgress(TProgressEvent(&log, &ProgressLog::Progress));
  loadBytes(jpeg, bytes);
  EXPECT_TRUE(jpeg.ProgressiveStream());
  ASSERT_GE(log.stages.size(), 4u);
  EXPECT_EQ(log.stages.front(), psStarting);
  EXPECT_EQ(log.stages.back(), psEnding);
  EXPECT_EQ(log.stages[1], psRunning) << "passes are reported while decoding";

  ProgressLog quiet;
  TJPEGImage plain;
  plain.SetOnProgress(TProgressEvent(&quiet, &ProgressLog::Progress));
  loadBytes(plain, bytes);
  EXPECT_EQ(quiet.stages, (std::vector<TProgressStage>{psStarting, psEnding}));
  TBitmap a, b;
  a.Assign(&jpeg);
  b.Assign(&plain);
  EXPECT_LE(maxDifference(a, b), 1) << "progressive display ends with the full image";
}

TEST(JPEGImage, AssignAndBitmapConversionsKeepTheImage) {
  TJPEGImage jpeg;
  EXPECT_TRUE(jpeg.Empty());
  TBitmap source;
  paintPattern(source, 40, 20);
  jpeg.Assign(&source);
  EXPECT_FALSE(jpeg.Empty());
  EXPECT_TRUE(jpeg.Data().empty()) << "compression waits until the stream is needed";
  jpeg.JPEGNeeded();
  EXPECT_FALSE(jpeg.Data().empty());

  TJPEGImage copy;
  copy.Assign(&jpeg);
  EXPECT_EQ(copy.Data(), jpeg.Data());
  TBitmap decoded;
  decoded.Assign(&copy);
  EXPECT_TRUE(PixelNear(decoded, 15, 7, 0xFF0000, 16)) << "inside the blue block";
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());

  EXPECT_THROW(jpeg.SetWidth(10), EJPEG);
  TFont font;
  EXPECT_THROW(jpeg.Assign(&font), EConvertError);
}

TEST(JPEGImage, DataWithSizePrefixRoundTrips) {
  TJPEGImage jpeg;
  loadBytes(jpeg, encodedPattern(16, 16, 90));
  TMemoryStream stream;
  jpeg.WriteData(&stream);
  Integer marker = 0x55AA55AA;
  stream.WriteBuffer(&marker, 4);
  stream.SetPosition(0);
  TJPEGImage copy;
  copy.ReadData(&stream);
  Integer after = 0;
  stream.ReadBuffer(&after, 4);
  EXPECT_EQ(after, marker);
  EXPECT_EQ(copy.Data(), jpeg.Data());
}

TEST(JPEGImage, PictureLoadsJpegFilesByExtension) {
  TPicture picture;
  picture.LoadFromFile(FixturePath("gui/sample.jpg"));
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(picture.Width(), 32);
  EXPECT_EQ(picture.Height(), 16);
  TBitmap* bmp = picture.Bitmap();
  EXPECT_TRUE(PixelNear(*bmp, 4, 8, 0x0000FF, 16)) << "left half red";
  EXPECT_TRUE(PixelNear(*bmp, 28, 8, 0xFF0000, 16)) << "right half blue";

  TBitmap other;
  paintPattern(other, 20, 20);
  TJPEGImage jpeg;
  jpeg.Assign(&other);
  std::string path = tempFile("picture.JPEG");
  jpeg.SaveToFile(path);
  picture.LoadFromFile(path);
  DeleteFileA(path.c_str());
  EXPECT_EQ(picture.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(picture.Width(), 20);
  EXPECT_EQ(TPicture::FileFormatClass("jpg"), TJPEGImage::StaticClass());
}
