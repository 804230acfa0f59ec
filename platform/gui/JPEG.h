#pragma once
// JPEG: the JPEG image, a graphic registered for the "jpeg" and "jpg" extensions.
//
// A TJPEGImage holds the compressed stream and a bitmap decoded from it. Loading decodes at
// once (so a corrupt or truncated file raises there); saving writes the stream as it was
// read, or compresses the bitmap when the image was made from one (Assign of a bitmap),
// with CompressionQuality. Codec failures raise EJPEG with the codec's message.

#include <string>
#include <vector>

#include "platform/gui/Graphics.h"

RTL_EXCEPTION(EJPEG, EInvalidGraphic)

RTL_ENUM(TJPEGScale, jsFullSize, jsHalf, jsQuarter, jsEighth)
RTL_ENUM(TJPEGPerformance, jpBestQuality, jpBestSpeed)
RTL_ENUM(TJPEGPixelFormat, jf24Bit, jf8Bit)
// 1 (smallest stream) .. 100 (best image).
using TJPEGQualityRange = Integer;

class TJPEGImage : public TGraphic {
  RTL_DECLARE_CLASS(TJPEGImage, TGraphic)
public:
  TJPEGImage();
  ~TJPEGImage() override;

  // From a TJPEGImage: its stream, image and settings. From a TBitmap (or any other
  // graphic, drawn into a bitmap): that image, compressed when the stream is next needed.
  // Null empties.
  void Assign(TPersistent* Source) override;

  bool Empty() const override;
  // The size of the decoded image (the stream's size divided by Scale).
  Integer Width() const override;
  Integer Height() const override;
  // EJPEG "Cannot change the size of a JPEG image".
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  HPALETTE Palette() override;

  // Decodes the stream into the bitmap if that has not been done.
  void DIBNeeded();
  // Compresses the bitmap into the stream if there is no stream.
  void JPEGNeeded();
  // Compresses the bitmap again with the current settings.
  void Compress();

  // Reads the rest of the stream as one JPEG stream and decodes it.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Through the bitmap: CF_BITMAP and CF_DIB.
  void LoadFromClipboardFormat(Word AFormat, THandle AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, THandle& AData, HPALETTE& APalette) override;
  void ReadData(TStream* Stream) override;  // a 32-bit size, then the stream
  void WriteData(TStream* Stream) override;

  // Compression settings (used when the bitmap is compressed). Changing one drops a stream
  // that was compressed from the bitmap, so the next save uses it.
  TJPEGQualityRange CompressionQuality() const { return quality_; }
  void SetCompressionQuality(TJPEGQualityRange Value);
  bool ProgressiveEncoding() const { return progressiveEncoding_; }
  void SetProgressiveEncoding(bool Value);
  // Decoding settings: a change decodes again when the image is next needed.
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool Value);
  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale Value);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance Value);
  TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TJPEGPixelFormat Value);
  // Whether OnProgress sees each pass of a progressive stream as it is decoded.
  bool ProgressiveDisplay() const { return progressiveDisplay_; }
  void SetProgressiveDisplay(bool Value) { progressiveDisplay_ = Value; }
  // Kept for callers that set it; the decoder always smooths.
  bool Smoothing() const { return smoothing_; }
  void SetSmoothing(bool Value) { smoothing_ = Value; }

  // Whether the stored stream is progressive (false when there is none).
  bool ProgressiveStream() const;
  // The compressed stream, empty when there is none yet.
  const std::vector<uint8_t>& Data() const { return data_; }

protected:
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
  void decode();
  void clearBitmap();
  void dropCompressedCopy();
  void decodingChanged();
  Integer scaleDenominator() const;
  void takeBitmap(TGraphic* source);

  std::vector<uint8_t> data_;  // the JPEG stream
  TBitmap* bitmap_ = nullptr;  // the decoded (or assigned) image, null until needed
  bool bitmapIsSource_ = false;  // the stream, if any, was compressed from bitmap_
  Integer streamWidth_ = 0;    // full size from the stream's header
  Integer streamHeight_ = 0;
  bool streamProgressive_ = false;
  TJPEGQualityRange quality_ = 90;
  bool progressiveEncoding_ = false;
  bool grayscale_ = false;
  TJPEGScale scale_ = jsFullSize;
  TJPEGPerformance performance_ = jpBestQuality;
  TJPEGPixelFormat pixelFormat_ = jf24Bit;
  bool progressiveDisplay_ = false;
  bool smoothing_ = true;
};

namespace JPEGUnit {
void Initialize();
void Finalize();
}  // namespace JPEGUnit
