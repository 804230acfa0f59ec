#include "platform/native/JpegCodec.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which by default prints and ends the
// process. Here error_exit formats the message and longjmps back to the function that set
// the jump; that function is plain C-style code (pointers and PODs only, no live C++ objects
// between setjmp and the libjpeg calls), so jumping over its frames skips no destructor.
// Anything that may throw (vector growth, the caller's progress callback) runs in small
// helpers that catch everything and report failure by a return value.

namespace native {
namespace {

constexpr uint64_t kMaxImageBytes = uint64_t(1) << 31;  // refuse absurd dimensions

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int warnings;
  char lastWarning[JMSG_LENGTH_MAX];
};

extern "C" void errorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  longjmp(err->jump, 1);
}

// Warnings (level -1) are counted and remembered; trace messages are dropped. Nothing is
// ever printed.
extern "C" void emitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  err->warnings++;
  (*cinfo->err->format_message)(cinfo, err->lastWarning);
}

extern "C" void outputMessage(j_common_ptr) {}

void initErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = errorExit;
  err.pub.emit_message = emitMessage;
  err.pub.output_message = outputMessage;
  err.message[0] = '\0';
  err.warnings = 0;
  err.lastWarning[0] = '\0';
}

// --- Memory source. The whole stream is one buffer; running past its end is an error
// (libjpeg's own sources would pad with a fake end marker and decode a grey remainder).

extern "C" void sourceInit(j_decompress_ptr) {}
extern "C" boolean sourceFill(j_decompress_ptr cinfo) {
  ERREXIT(cinfo, JERR_INPUT_EOF);
  return FALSE;
}
extern "C" void sourceSkip(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  if (static_cast<size_t>(count) > src->bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}
extern "C" void sourceTerm(j_decompress_ptr) {}

void setMemorySource(j_decompress_ptr cinfo, jpeg_source_mgr& src, const uint8_t* data, uint32_t size) {
  src.init_source = sourceInit;
  src.fill_input_buffer = sourceFill;
  src.skip_input_data = sourceSkip;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = sourceTerm;
  src.next_input_byte = data;
  src.bytes_in_buffer = size;
  cinfo->src = &src;
}

// --- Memory destination: a malloc'd block that doubles as it fills.

struct Destination {
  jpeg_destination_mgr pub;
  unsigned char* buffer;
  size_t capacity;
  size_t used;  // bytes finished (set by term)
};

extern "C" void destInit(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->capacity = 64 * 1024;
  dest->buffer = static_cast<unsigned char*>(std::malloc(dest->capacity));
  if (!dest->buffer) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = dest->capacity;
}
extern "C" boolean destEmpty(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  size_t old = dest->capacity;
  auto* grown = static_cast<unsigned char*>(std::realloc(dest->buffer, old * 2));
  if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 11);
  dest->buffer = grown;
  dest->capacity = old * 2;
  dest->pub.next_output_byte = dest->buffer + old;
  dest->pub.free_in_buffer = dest->capacity - old;
  return TRUE;
}
extern "C" void destTerm(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->used = dest->capacity - dest->pub.free_in_buffer;
}

// --- Decoding.

struct DecodeState {
  const uint8_t* data;
  uint32_t size;
  const JpegDecodeOptions* options;
  JpegImage* image;
  bool headerOnly;
  JpegInfo info;
  std::exception_ptr callbackError;  // an exception thrown by OnPass, rethrown later
  bool stopped;                      // OnPass asked to stop
};

// Sizes the output image; false when memory runs out.
bool allocateImage(DecodeState* st, JDIMENSION width, JDIMENSION height) {
  try {
    st->image->Width = static_cast<int32_t>(width);
    st->image->Height = static_cast<int32_t>(height);
    st->image->Rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    return true;
  } catch (...) {
    return false;
  }
}

// Runs the caller's pass callback; false when decoding should stop (the callback said so
// or threw, in which case the exception is kept for the caller).
bool reportPass(DecodeState* st, int32_t pass) {
  try {
    if (!st->options->OnPass(*st->image, pass)) {
      st->stopped = true;
      return false;
    }
    return true;
  } catch (...) {
    st->callbackError = std::current_exception();
    return false;
  }
}

// Converts one decoded row in the output colour space to RGB.
void convertRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* in, uint8_t* out, bool adobeInverted) {
  JDIMENSION w = cinfo.output_width;
  switch (cinfo.out_color_space) {
    case JCS_RGB:
      std::memcpy(out, in, static_cast<size_t>(w) * 3);
      break;
    case JCS_GRAYSCALE:
      for (JDIMENSION x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
      break;
    case JCS_CMYK:
      // Adobe writes CMYK inverted (255 = no ink); plain CMYK is not.
      for (JDIMENSION x = 0; x < w; ++x) {
        int c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
        if (!adobeInverted) {
          c = 255 - c;
          m = 255 - m;
          y = 255 - y;
          k = 255 - k;
        }
        out[3 * x] = static_cast<uint8_t>(c * k / 255);
        out[3 * x + 1] = static_cast<uint8_t>(m * k / 255);
        out[3 * x + 2] = static_cast<uint8_t>(y * k / 255);
      }
      break;
    default:
      break;
  }
}

// Reads every scanline of the current output pass into the image.
void readPass(jpeg_decompress_struct& cinfo, DecodeState* st, JSAMPARRAY row, bool adobeInverted) {
  uint8_t* pixels = st->image->Rgb.data();
  size_t stride = static_cast<size_t>(cinfo.output_width) * 3;
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
    convertRow(cinfo, row[0], pixels + y * stride, adobeInverted);
  }
}

// The libjpeg part of decoding. Returns 0 on success, 1 after a codec error (message in
// err.message), 2 when memory for the image ran out, 3 when a callback stopped or threw.
int runDecode(DecodeState* st, ErrorManager* err) {
  jpeg_decompress_struct cinfo;
  jpeg_source_mgr src;
  cinfo.err = &err->pub;
  if (setjmp(err->jump)) {
    jpeg_destroy_decompress(&cinfo);
    return 1;
  }
  jpeg_create_decompress(&cinfo);
  setMemorySource(&cinfo, src, st->data, st->size);
  jpeg_read_header(&cinfo, TRUE);

  st->info.Width = static_cast<int32_t>(cinfo.image_width);
  st->info.Height = static_cast<int32_t>(cinfo.image_height);
  st->info.Components = cinfo.num_components;
  st->info.Progressive = jpeg_has_multiple_scans(&cinfo) != FALSE;
  if (st->headerOnly) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }

  const JpegDecodeOptions& opt = *st->options;
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned int>(opt.ScaleDenominator);
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  bool adobeInverted = cinfo.saw_Adobe_marker != FALSE;
  if (opt.Grayscale || cinfo.jpeg_color_space == JCS_GRAYSCALE)
    cinfo.out_color_space = JCS_GRAYSCALE;
  else if (cmyk)
    cinfo.out_color_space = JCS_CMYK;
  else
    cinfo.out_color_space = JCS_RGB;
  if (opt.FastDecode) {
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
  }
  bool passes = st->info.Progressive && static_cast<bool>(opt.OnPass);
  cinfo.buffered_image = passes ? TRUE : FALSE;

  jpeg_calc_output_dimensions(&cinfo);
  uint64_t bytes = uint64_t(cinfo.output_width) * cinfo.output_height * 3;
  if (cinfo.output_width == 0 || cinfo.output_height == 0 || bytes > kMaxImageBytes) {
    jpeg_destroy_decompress(&cinfo);
    return 2;
  }
  if (!allocateImage(st, cinfo.output_width, cinfo.output_height)) {
    jpeg_destroy_decompress(&cinfo);
    return 2;
  }

  jpeg_start_decompress(&cinfo);
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * cinfo.output_components, 1);
  if (!passes) {
    readPass(cinfo, st, row, adobeInverted);
    jpeg_finish_decompress(&cinfo);
  } else {
    // Buffered-image mode: one output pass per scan received, refined each time, until the
    // final scan has been shown.
    int32_t pass = 0;
    for (;;) {
      jpeg_start_output(&cinfo, cinfo.input_scan_number);
      readPass(cinfo, st, row, adobeInverted);
      jpeg_finish_output(&cinfo);
      if (!reportPass(st, ++pass)) break;
      if (jpeg_input_complete(&cinfo) && cinfo.output_scan_number == cinfo.input_scan_number) break;
    }
    if (st->stopped || st->callbackError) {
      jpeg_destroy_decompress(&cinfo);
      return 3;
    }
    jpeg_finish_decompress(&cinfo);
  }
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

void decode(DecodeState& st) {
  if (st.data == nullptr || st.size == 0) throw JpegError("Empty input file");
  ErrorManager err;
  initErrorManager(err);
  int rc = runDecode(&st, &err);
  if (rc == 1) throw JpegError(err.message);
  if (rc == 2) throw JpegError("Insufficient memory for the decoded image");
  if (rc == 3 && st.callbackError) std::rethrow_exception(st.callbackError);
  if (st.image) {
    st.image->WarningCount = err.warnings;
    st.image->LastWarning = err.lastWarning;
  }
}

// --- Encoding.

struct EncodeState {
  const uint8_t* rgb;
  int32_t width;
  int32_t height;
  int32_t stride;
  const JpegEncodeOptions* options;
  unsigned char* output;  // malloc'd, handed to the caller
  size_t outputSize;
};

int runEncode(EncodeState* st, ErrorManager* err) {
  jpeg_compress_struct cinfo;
  Destination dest;
  std::memset(&dest, 0, sizeof dest);
  cinfo.err = &err->pub;
  if (setjmp(err->jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(dest.buffer);
    return 1;
  }
  jpeg_create_compress(&cinfo);
  dest.pub.init_destination = destInit;
  dest.pub.empty_output_buffer = destEmpty;
  dest.pub.term_destination = destTerm;
  cinfo.dest = &dest.pub;

  const JpegEncodeOptions& opt = *st->options;
  cinfo.image_width = static_cast<JDIMENSION>(st->width);
  cinfo.image_height = static_cast<JDIMENSION>(st->height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (opt.Grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  int quality = opt.Quality < 1 ? 1 : opt.Quality > 100 ? 100 : opt.Quality;
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (opt.Optimize) cinfo.optimize_coding = TRUE;
  if (opt.Progressive) jpeg_simple_progression(&cinfo);

  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(st->rgb + static_cast<size_t>(cinfo.next_scanline) * st->stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  st->output = dest.buffer;
  st->outputSize = dest.used;
  return 0;
}

}  // namespace

JpegInfo ReadJpegInfo(const uint8_t* data, uint32_t size) {
  DecodeState st{data, size, nullptr, nullptr, true, {}, nullptr, false};
  decode(st);
  return st.info;
}

JpegImage DecodeJpeg(const uint8_t* data, uint32_t size, const JpegDecodeOptions& options) {
  int32_t denom = options.ScaleDenominator;
  if (denom != 1 && denom != 2 && denom != 4 && denom != 8)
    throw JpegError("Unsupported scale: 1/" + std::to_string(denom));
  JpegImage image;
  DecodeState st{data, size, &options, &image, false, {}, nullptr, false};
  decode(st);
  return image;
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* rgb, int32_t width, int32_t height, int32_t stride,
                                const JpegEncodeOptions& options) {
  if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
    throw JpegError("Invalid image size " + std::to_string(width) + "x" + std::to_string(height));
  if (rgb == nullptr) throw JpegError("No pixels to encode");
  if (stride == 0) stride = width * 3;
  if (stride < width * 3) throw JpegError("Row stride smaller than the row");
  EncodeState st{rgb, width, height, stride, &options, nullptr, 0};
  ErrorManager err;
  initErrorManager(err);
  if (runEncode(&st, &err) != 0) throw JpegError(err.message);
  std::vector<uint8_t> out;
  try {
    out.assign(st.output, st.output + st.outputSize);
  } catch (...) {
    std::free(st.output);
    throw;
  }
  std::free(st.output);
  return out;
}

}  // namespace native
