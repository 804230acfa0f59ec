#pragma once
// JPEG encoding and decoding over libjpeg, for the picture classes of the GUI library.
//
// This header is shared by host-compiled and Winelib code, so it includes neither the
// Win32 headers nor jpeglib.h and passes no long or wchar_t. Images cross it as 24-bit RGB
// rows, top row first, each row 3 * Width bytes with no padding.
//
// Every failure (corrupt or truncated data, a bad argument, no memory) is reported as a
// native::JpegError carrying the codec's message; the codec never ends the process.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace native {

class JpegError : public std::runtime_error {
public:
  explicit JpegError(const std::string& message) : std::runtime_error(message) {}
};

// What the header of a JPEG stream says, before any pixel is decoded.
struct JpegInfo {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Components = 0;    // 1 grayscale, 3 colour, 4 CMYK/YCCK
  bool Progressive = false;  // a progressive (multi-scan) stream
};

// A decoded image: Width * Height pixels of R, G, B bytes, rows top-down.
struct JpegImage {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgb;
  // Recoverable damage the decoder skipped over (for example stray bytes before a marker):
  // the count and the last message. The image is still complete.
  int32_t WarningCount = 0;
  std::string LastWarning;
};

struct JpegDecodeOptions {
  // Output size as 1/ScaleDenominator of the full size: 1, 2, 4 or 8.
  int32_t ScaleDenominator = 1;
  // Decode the luminance only (the RGB output then holds equal channels).
  bool Grayscale = false;
  // Trade quality for speed: fast integer DCT and no fancy upsampling.
  bool FastDecode = false;
  // For progressive streams: called after each completed output pass with the image as
  // refined so far and the pass number (1-based). Returning false stops decoding early and
  // keeps the image as it stands. Ignored for baseline streams.
  std::function<bool(const JpegImage& partial, int32_t pass)> OnPass;
};

struct JpegEncodeOptions {
  int32_t Quality = 90;      // 1..100 (clamped)
  bool Progressive = false;  // write a progressive stream
  bool Grayscale = false;    // store the luminance only
  bool Optimize = false;     // optimise the Huffman tables (smaller, slower)
};

// Reads the header only. Raises JpegError when the data is not a JPEG stream.
JpegInfo ReadJpegInfo(const uint8_t* data, uint32_t size);

// Decodes a whole stream. Raises JpegError for corrupt or truncated data.
JpegImage DecodeJpeg(const uint8_t* data, uint32_t size, const JpegDecodeOptions& options = {});

// Encodes Width * Height RGB pixels (rows top-down, Stride bytes apart; 0 means 3 * Width).
// Raises JpegError for a bad size or a codec failure.
std::vector<uint8_t> EncodeJpeg(const uint8_t* rgb, int32_t width, int32_t height, int32_t stride,
                                const JpegEncodeOptions& options = {});

}  // namespace native
