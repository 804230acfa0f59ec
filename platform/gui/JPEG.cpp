#include "platform/gui/JPEG.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/native/JpegCodec.h"
#include "platform/rtl/Scoped.h"

RTL_IMPLEMENT_CLASS(EJPEG)
RTL_IMPLEMENT_CLASS(TJPEGImage)

namespace {

// Copies top-down RGB rows into a 24-bit bitmap of the same size.
void copyRgbIntoBitmap(const native::JpegImage& image, TBitmap* bitmap) {
  if (bitmap->Width() != image.Width || bitmap->Height() != image.Height || bitmap->PixelFormat() != pf24bit) {
    bitmap->Assign(nullptr);
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(image.Width, image.Height);
  }
  size_t rowBytes = static_cast<size_t>(image.Width) * 3;
  for (Integer y = 0; y < image.Height; ++y) {
    auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
    const uint8_t* rgb = image.Rgb.data() + y * rowBytes;
    for (Integer x = 0; x < image.Width; ++x) {
      row[3 * x] = rgb[3 * x + 2];
      row[3 * x + 1] = rgb[3 * x + 1];
      row[3 * x + 2] = rgb[3 * x];
    }
  }
}

[[noreturn]] void codecFailed(const native::JpegError& e) { throw EJPEG(e.what()); }

}  // namespace

TJPEGImage::TJPEGImage() = default;

TJPEGImage::~TJPEGImage() { delete bitmap_; }

// --- Size and state ----------------------------------------------------------------------

Integer TJPEGImage::scaleDenominator() const { return 1 << static_cast<int>(scale_); }

bool TJPEGImage::Empty() const { return data_.empty() && (!bitmap_ || bitmap_->Empty()); }

Integer TJPEGImage::Width() const {
  if (bitmap_ && bitmapIsSource_) return bitmap_->Width();
  if (!data_.empty()) return (streamWidth_ + scaleDenominator() - 1) / scaleDenominator();
  return bitmap_ ? bitmap_->Width() : 0;
}

Integer TJPEGImage::Height() const {
  if (bitmap_ && bitmapIsSource_) return bitmap_->Height();
  if (!data_.empty()) return (streamHeight_ + scaleDenominator() - 1) / scaleDenominator();
  return bitmap_ ? bitmap_->Height() : 0;
}

void TJPEGImage::SetWidth(Integer) { throw EJPEG("Cannot change the size of a JPEG image"); }

void TJPEGImage::SetHeight(Integer) { throw EJPEG("Cannot change the size of a JPEG image"); }

HPALETTE TJPEGImage::Palette() {
  if (pixelFormat_ != jf8Bit || Empty()) return nullptr;
  DIBNeeded();
  return bitmap_->Palette();
}

bool TJPEGImage::ProgressiveStream() const { return !data_.empty() && streamProgressive_; }

void TJPEGImage::clearBitmap() {
  delete bitmap_;
  bitmap_ = nullptr;
}

// The stream was made from the bitmap with the old settings: make it again when needed.
void TJPEGImage::dropCompressedCopy() {
  if (bitmapIsSource_) data_.clear();
}

// --- Settings ----------------------------------------------------------------------------

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange Value) {
  Value = std::clamp<Integer>(Value, 1, 100);
  if (Value == quality_) return;
  quality_ = Value;
  dropCompressedCopy();
}

void TJPEGImage::SetProgressiveEncoding(bool Value) {
  if (Value == progressiveEncoding_) return;
  progressiveEncoding_ = Value;
  dropCompressedCopy();
}

// Grayscale applies both ways: to decoding a stream and to compressing a bitmap.
void TJPEGImage::SetGrayscale(bool Value) {
  if (Value == grayscale_) return;
  grayscale_ = Value;
  dropCompressedCopy();
  decodingChanged();
}

// A decoded bitmap no longer matches the decoding settings: decode again when needed.
void TJPEGImage::decodingChanged() {
  if (!bitmapIsSource_ && !data_.empty()) clearBitmap();
  Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale Value) {
  if (Value == scale_) return;
  scale_ = Value;
  decodingChanged();
}

void TJPEGImage::SetPerformance(TJPEGPerformance Value) {
  if (Value == performance_) return;
  performance_ = Value;
  decodingChanged();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value) {
  if (Value == pixelFormat_) return;
  pixelFormat_ = Value;
  decodingChanged();
}

// --- Decoding and encoding ---------------------------------------------------------------

void TJPEGImage::decode() {
  native::JpegDecodeOptions options;
  options.ScaleDenominator = scaleDenominator();
  options.Grayscale = grayscale_;
  options.FastDecode = performance_ == jpBestSpeed;
  auto* bitmap = new TBitmap();
  TRect whole = Rect(0, 0, Width(), Height());
  try {
    Progress(this, psStarting, 0, false, whole, "");
    if (progressiveDisplay_ && streamProgressive_) {
      // Each refined pass goes to the bitmap and is offered for display.
      options.OnPass = [this, bitmap, &whole](const native::JpegImage& partial, int32_t pass) {
        copyRgbIntoBitmap(partial, bitmap);
        TBitmap* shown = bitmap_;
        bitmap_ = bitmap;
        {
          ScopeExit atEnd([&] { bitmap_ = shown; });
          Progress(this, psRunning, static_cast<Byte>(std::min(99, pass * 10)), true, whole, "");
        }
        return true;
      };
    }
    native::JpegImage image;
    try {
      image = native::DecodeJpeg(data_.data(), static_cast<uint32_t>(data_.size()), options);
    } catch (const native::JpegError& e) {
      codecFailed(e);
    }
    copyRgbIntoBitmap(image, bitmap);
    if (pixelFormat_ == jf8Bit) bitmap->SetPixelFormat(pf8bit);
  } catch (...) {
    delete bitmap;
    throw;
  }
  clearBitmap();
  bitmap_ = bitmap;
  Progress(this, psEnding, 100, true, whole, "");
}

void TJPEGImage::DIBNeeded() {
  if (bitmap_ || data_.empty()) return;
  decode();
}

void TJPEGImage::Compress() {
  if (!bitmap_ || bitmap_->Empty()) {
    if (bitmapIsSource_) data_.clear();
    return;
  }
  // The codec takes top-down RGB rows: read them from a 24-bit copy.
  TBitmap rows;
  rows.Assign(bitmap_);
  rows.SetPixelFormat(pf24bit);
  Integer w = rows.Width(), h = rows.Height();
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (Integer y = 0; y < h; ++y) {
    const auto* row = static_cast<const uint8_t*>(rows.ScanLine(y));
    uint8_t* out = rgb.data() + static_cast<size_t>(y) * w * 3;
    for (Integer x = 0; x < w; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  native::JpegEncodeOptions options;
  options.Quality = quality_;
  options.Progressive = progressiveEncoding_;
  options.Grayscale = grayscale_;
  try {
    data_ = native::EncodeJpeg(rgb.data(), w, h, 0, options);
  } catch (const native::JpegError& e) {
    codecFailed(e);
  }
  streamWidth_ = w;
  streamHeight_ = h;
  streamProgressive_ = progressiveEncoding_;
  bitmapIsSource_ = true;
}

void TJPEGImage::JPEGNeeded() {
  if (data_.empty()) Compress();
}

// --- Copies ------------------------------------------------------------------------------

void TJPEGImage::takeBitmap(TGraphic* source) {
  auto* bitmap = new TBitmap();
  try {
    bitmap->Assign(source);
  } catch (...) {
    delete bitmap;
    throw;
  }
  clearBitmap();
  bitmap_ = bitmap;
  data_.clear();
  bitmapIsSource_ = true;
  streamProgressive_ = false;
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (!Source) {
    clearBitmap();
    data_.clear();
    bitmapIsSource_ = false;
    Changed(this);
    return;
  }
  if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
    if (j == this) return;
    data_ = j->data_;
    clearBitmap();
    if (j->bitmap_) {
      bitmap_ = new TBitmap();
      bitmap_->Assign(j->bitmap_);
    }
    bitmapIsSource_ = j->bitmapIsSource_;
    streamWidth_ = j->streamWidth_;
    streamHeight_ = j->streamHeight_;
    streamProgressive_ = j->streamProgressive_;
    quality_ = j->quality_;
    progressiveEncoding_ = j->progressiveEncoding_;
    grayscale_ = j->grayscale_;
    scale_ = j->scale_;
    performance_ = j->performance_;
    pixelFormat_ = j->pixelFormat_;
    progressiveDisplay_ = j->progressiveDisplay_;
    smoothing_ = j->smoothing_;
    Changed(this);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    takeBitmap(g);
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    DIBNeeded();
    b->Assign(bitmap_);
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  DIBNeeded();
  ACanvas->StretchDraw(Rect, bitmap_);
}

// --- Streams -----------------------------------------------------------------------------

void TJPEGImage::LoadFromStream(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  std::vector<uint8_t> data;
  if (size > 0) {
    if (size > 0x7FFFFFFF) throw EJPEG("JPEG stream too large");
    data.resize(static_cast<size_t>(size));
    Stream->ReadBuffer(data.data(), static_cast<Integer>(size));
  }
  native::JpegInfo info;
  if (!data.empty()) {
    try {
      info = native::ReadJpegInfo(data.data(), static_cast<uint32_t>(data.size()));
    } catch (const native::JpegError& e) {
      codecFailed(e);
    }
  }
  // Keep the previous image until the new one has decoded.
  std::vector<uint8_t> oldData = std::move(data_);
  TBitmap* oldBitmap = bitmap_;
  Integer oldW = streamWidth_, oldH = streamHeight_;
  bool oldSource = bitmapIsSource_, oldProgressive = streamProgressive_;
  data_ = std::move(data);
  bitmap_ = nullptr;
  streamWidth_ = info.Width;
  streamHeight_ = info.Height;
  streamProgressive_ = info.Progressive;
  bitmapIsSource_ = false;
  try {
    if (!data_.empty()) decode();
  } catch (...) {
    delete bitmap_;
    data_ = std::move(oldData);
    bitmap_ = oldBitmap;
    streamWidth_ = oldW;
    streamHeight_ = oldH;
    bitmapIsSource_ = oldSource;
    streamProgressive_ = oldProgressive;
    throw;
  }
  delete oldBitmap;
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  JPEGNeeded();
  if (!data_.empty()) Stream->WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
}

void TJPEGImage::ReadData(TStream* Stream) {
  Integer size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  if (size < 0) throw EJPEG("JPEG stream too large");
  TMemoryStream data;
  if (size > 0) data.CopyFrom(Stream, size);
  data.SetPosition(0);
  LoadFromStream(&data);
}

void TJPEGImage::WriteData(TStream* Stream) {
  JPEGNeeded();
  Integer size = static_cast<Integer>(data_.size());
  Stream->WriteBuffer(&size, sizeof size);
  if (size > 0) Stream->WriteBuffer(data_.data(), size);
}

void TJPEGImage::LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) {
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(AFormat, AData, APalette);
  takeBitmap(&bitmap);
  Changed(this);
}

void TJPEGImage::SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) {
  DIBNeeded();
  if (!bitmap_) throw EInvalidGraphic("Bitmap image is not valid");
  bitmap_->SaveToClipboardFormat(AFormat, AData, APalette);
}

// --- Unit --------------------------------------------------------------------------------

namespace JPEGUnit {

void Initialize() {
  TPicture::RegisterFileFormat("jpeg", "JPEG Image File", TJPEGImage::StaticClass());
  TPicture::RegisterFileFormat("jpg", "JPEG Image File", TJPEGImage::StaticClass());
}

void Finalize() { TPicture::UnregisterGraphicClass(TJPEGImage::StaticClass()); }

}  // namespace JPEGUnit
