#include "platform/native/JpegCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using native::DecodeJpeg;
using native::EncodeJpeg;
using native::JpegDecodeOptions;
using native::JpegEncodeOptions;
using native::JpegError;
using native::JpegImage;
using native::ReadJpegInfo;

namespace {

// A smooth pattern (JPEG keeps smooth areas well): red grows to the right, green down,
// blue is constant.
std::vector<uint8_t> gradient(int w, int h) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
      p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
      p[2] = 96;
    }
  return rgb;
}

int maxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

std::vector<uint8_t> encodeGradient(int w, int h, JpegEncodeOptions options = {}) {
  std::vector<uint8_t> rgb = gradient(w, h);
  return EncodeJpeg(rgb.data(), w, h, 0, options);
}

std::string decodeError(const std::vector<uint8_t>& data) {
  try {
    DecodeJpeg(data.data(), static_cast<uint32_t>(data.size()));
  } catch (const JpegError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

TEST(JpegCodec, EncodeThenDecodeKeepsSizeAndPixelsClose) {
  std::vector<uint8_t> rgb = gradient(64, 48);
  JpegEncodeOptions options;
  options.Quality = 95;
  std::vector<uint8_t> jpeg = EncodeJpeg(rgb.data(), 64, 48, 0, options);
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8) << "a JPEG stream starts with the SOI marker";

  JpegImage image = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  EXPECT_EQ(image.Width, 64);
  EXPECT_EQ(image.Height, 48);
  ASSERT_EQ(image.Rgb.size(), rgb.size());
  EXPECT_LE(maxDifference(image.Rgb, rgb), 12) << "decoded pixels stray too far from the encoded ones";
  EXPECT_EQ(image.WarningCount, 0) << image.LastWarning;
}

TEST(JpegCodec, EncodeHonoursRowStride) {
  // Rows 4 bytes longer than the pixels: the padding must not leak into the image.
  const int w = 16, h = 16, stride = w * 3 + 4;
  std::vector<uint8_t> padded(static_cast<size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; x += 3) {
      padded[y * stride + x] = 200;
      padded[y * stride + x + 1] = 40;
      padded[y * stride + x + 2] = 40;
    }
  std::vector<uint8_t> jpeg = EncodeJpeg(padded.data(), w, h, stride);
  JpegImage image = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()));
  for (size_t i = 0; i < image.Rgb.size(); i += 3) {
    ASSERT_NEAR(image.Rgb[i], 200, 8) << "pixel " << i / 3;
    ASSERT_NEAR(image.Rgb[i + 1], 40, 8) << "pixel " << i / 3;
  }
}

TEST(JpegCodec, LowerQualityGivesSmallerStream) {
  JpegEncodeOptions low, high;
  low.Quality = 10;
  high.Quality = 100;
  size_t lowSize = encodeGradient(128, 128, low).size();
  size_t highSize = encodeGradient(128, 128, high).size();
  EXPECT_LT(lowSize, highSize) << "quality 10 gave " << lowSize << " bytes, quality 100 gave " << highSize;
}

TEST(JpegCodec, HeaderInfoDescribesStream) {
  JpegEncodeOptions gray;
  gray.Grayscale = true;
  std::vector<uint8_t> g = encodeGradient(40, 30, gray);
  auto info = ReadJpegInfo(g.data(), static_cast<uint32_t>(g.size()));
  EXPECT_EQ(info.Width, 40);
  EXPECT_EQ(info.Height, 30);
  EXPECT_EQ(info.Components, 1);
  EXPECT_FALSE(info.Progressive);

  JpegEncodeOptions progressive;
  progressive.Progressive = true;
  std::vector<uint8_t> p = encodeGradient(40, 30, progressive);
  info = ReadJpegInfo(p.data(), static_cast<uint32_t>(p.size()));
  EXPECT_EQ(info.Components, 3);
  EXPECT_TRUE(info.Progressive);
}

TEST(JpegCodec, GrayscaleDecodeExpandsLuminanceToEqualChannels) {
  std::vector<uint8_t> jpeg = encodeGradient(32, 32);
  JpegDecodeOptions options;
  options.Grayscale = true;
  JpegImage image = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), options);
  ASSERT_EQ(image.Rgb.size(), 32u * 32u * 3u);
  bool someNonBlack = false;
  for (size_t i = 0; i < image.Rgb.size(); i += 3) {
    ASSERT_EQ(image.Rgb[i], image.Rgb[i + 1]) << "pixel " << i / 3;
    ASSERT_EQ(image.Rgb[i], image.Rgb[i + 2]) << "pixel " << i / 3;
    someNonBlack = someNonBlack || image.Rgb[i] > 0;
  }
  EXPECT_TRUE(someNonBlack);
}

TEST(JpegCodec, ScaledDecodeDividesDimensions) {
  std::vector<uint8_t> jpeg = encodeGradient(100, 60);
  struct Case {
    int denominator, width, height;
  } cases[] = {{1, 100, 60}, {2, 50, 30}, {4, 25, 15}, {8, 13, 8}};
  for (const Case& c : cases) {
    JpegDecodeOptions options;
    options.ScaleDenominator = c.denominator;
    JpegImage image = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), options);
    EXPECT_EQ(image.Width, c.width) << "scale 1/" << c.denominator;
    EXPECT_EQ(image.Height, c.height) << "scale 1/" << c.denominator;
    EXPECT_EQ(image.Rgb.size(), size_t(c.width) * c.height * 3) << "scale 1/" << c.denominator;
  }
  JpegDecodeOptions bad;
  bad.ScaleDenominator = 3;
  EXPECT_THROW(DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), bad), JpegError);
}

TEST(JpegCodec, ProgressiveDecodeReportsPassesAndEndsAtTheFullImage) {
  JpegEncodeOptions progressive;
  progressive.Progressive = true;
  progressive.Quality = 90;
  std::vector<uint8_t> jpeg = encodeGradient(64, 64, progressive);
  JpegImage plain = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()));

  std::vector<int32_t> passes;
  JpegDecodeOptions options;
  options.OnPass = [&](const JpegImage& partial, int32_t pass) {
    EXPECT_EQ(partial.Width, 64);
    passes.push_back(pass);
    return true;
  };
  JpegImage refined = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), options);
  ASSERT_GE(passes.size(), 2u) << "a progressive stream refines over several passes";
  for (size_t i = 0; i < passes.size(); ++i) EXPECT_EQ(passes[i], int32_t(i + 1));
  EXPECT_LE(maxDifference(refined.Rgb, plain.Rgb), 1) << "the last pass must show the complete image";
  EXPECT_LE(maxDifference(refined.Rgb, gradient(64, 64)), 12);
}

TEST(JpegCodec, ProgressiveDecodeStopsWhenCallbackDeclines) {
  JpegEncodeOptions progressive;
  progressive.Progressive = true;
  std::vector<uint8_t> jpeg = encodeGradient(64, 64, progressive);
  int calls = 0;
  JpegDecodeOptions options;
  options.OnPass = [&](const JpegImage&, int32_t) {
    ++calls;
    return false;
  };
  JpegImage first = DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), options);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(first.Width, 64);
  EXPECT_EQ(first.Rgb.size(), 64u * 64u * 3u);
}

TEST(JpegCodec, ExceptionFromPassCallbackReachesCaller) {
  JpegEncodeOptions progressive;
  progressive.Progressive = true;
  std::vector<uint8_t> jpeg = encodeGradient(32, 32, progressive);
  JpegDecodeOptions options;
  options.OnPass = [](const JpegImage&, int32_t) -> bool { throw std::logic_error("stop here"); };
  try {
    DecodeJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), options);
    FAIL() << "expected the callback's exception";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "stop here");
  }
}

TEST(JpegCodec, TruncatedStreamRaisesWithCodecMessage) {
  std::vector<uint8_t> jpeg = encodeGradient(64, 64);
  for (size_t keep : {size_t(2), size_t(20), jpeg.size() / 2, jpeg.size() - 2}) {
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(keep));
    std::string message = decodeError(cut);
    EXPECT_NE(message.find("Premature end"), std::string::npos) << "kept " << keep << " bytes; got: " << message;
  }
}

TEST(JpegCodec, MalformedStreamsRaise) {
  std::vector<uint8_t> jpeg = encodeGradient(16, 16);
  EXPECT_NE(decodeError({'h', 'e', 'l', 'l', 'o', 0, 0, 0}).find("Not a JPEG file"), std::string::npos);

  // Zero height in the frame header.
  std::vector<uint8_t> zeroHeight = jpeg;
  for (size_t i = 2; i + 8 < zeroHeight.size(); ++i)
    if (zeroHeight[i] == 0xFF && zeroHeight[i + 1] == 0xC0) {
      zeroHeight[i + 5] = 0;
      zeroHeight[i + 6] = 0;
      break;
    }
  EXPECT_NE(decodeError(zeroHeight), "(no error)");

  EXPECT_THROW(DecodeJpeg(nullptr, 0), JpegError);
}

TEST(JpegCodec, EncodeRejectsBadArguments) {
  std::vector<uint8_t> rgb = gradient(4, 4);
  EXPECT_THROW(EncodeJpeg(rgb.data(), 0, 4, 0), JpegError);
  EXPECT_THROW(EncodeJpeg(rgb.data(), 4, -1, 0), JpegError);
  EXPECT_THROW(EncodeJpeg(nullptr, 4, 4, 0), JpegError);
  EXPECT_THROW(EncodeJpeg(rgb.data(), 4, 4, 5), JpegError) << "stride shorter than a row";
}
