// JPEG XL through libjxl, which reports errors as status codes. The mapped
// file is given to the decoder a slice at a time and the decoder runs on
// the calling thread, so a cancel is seen between slices. Pixels arrive by
// rows through a callback and go straight into the bitmap; libjxl turns the
// picture as its orientation says.

#include <jxl/decode.h>

#include <algorithm>
#include <array>
#include <string>

#include "picture/decode_formats.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

constexpr size_t kSliceBytes = 256 << 10;

// What one pixel costs while libjxl decodes: its planes of floats, its
// group caches and the bitmap; 17.7 bytes measured for a 24-megapixel lossy
// photograph. libjxl allocates most of these itself, past any memory
// manager, so the budget is kept by declining large pictures up front.
constexpr int kBytesPerPixel = 18;

struct Decoder {
  JxlDecoder *dec = JxlDecoderCreate(nullptr);
  ~Decoder() {
    if (dec) JxlDecoderDestroy(dec);
  }
  Decoder() = default;
  Decoder(const Decoder &) = delete;
  Decoder &operator=(const Decoder &) = delete;
};

struct Output {
  gfx::Bitmap *bitmap = nullptr;
  bool alpha = false;
  bool flatten = true;
  std::array<uint8_t, 3> bg{};
};

// Called by libjxl with num_pixels of one row, RGB or RGBA, 8 bits each.
void takeRow(void *opaque, size_t x, size_t y, size_t numPixels, const void *pixels) {
  const auto *o = static_cast<const Output *>(opaque);
  gfx::Bitmap &bmp = *o->bitmap;
  if (y >= size_t(bmp.height()) || x >= size_t(bmp.width())) return;
  numPixels = std::min(numPixels, size_t(bmp.width()) - x);
  const auto *in = static_cast<const uint8_t *>(pixels);
  uint8_t *out = bmp.row(int(y)) + x * 3;
  const size_t step = o->alpha ? 4 : 3;
  for (size_t i = 0; i < numPixels; ++i, in += step, out += 3)
    for (int k = 0; k < 3; ++k) {
      const uint8_t c = in[2 - k];
      out[k] = o->alpha && o->flatten ? blendOver(c, in[3], o->bg[k]) : c;
    }
}

[[noreturn]] void fail(const char *what) {
  throw DecodeError(std::string("JPEG XL: ") + what);
}

}  // namespace

Decoded decodeJxl(std::span<const uint8_t> data, const DecodeOptions &options) {
  const JxlSignature signature = JxlSignatureCheck(data.data(), data.size());
  if (signature != JXL_SIG_CODESTREAM && signature != JXL_SIG_CONTAINER) fail("not a JPEG XL file");
  Decoder d;
  if (!d.dec) fail("out of memory");
  if (JxlDecoderSubscribeEvents(d.dec, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) !=
          JXL_DEC_SUCCESS ||
      JxlDecoderSetUnpremultiplyAlpha(d.dec, JXL_TRUE) != JXL_DEC_SUCCESS)
    fail("decoder setup failed");

  size_t fed = std::min(data.size(), kSliceBytes);
  if (JxlDecoderSetInput(d.dec, data.data(), fed) != JXL_DEC_SUCCESS) fail("decoder setup failed");
  if (fed == data.size()) JxlDecoderCloseInput(d.dec);

  Decoded result;
  Output out;
  out.flatten = options.flatten;
  out.bg = bgrOf(options.background);
  JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  for (;;) {
    ThrowIfCancelled();
    const JxlDecoderStatus status = JxlDecoderProcessInput(d.dec);
    switch (status) {
      case JXL_DEC_ERROR:
        fail("corrupt data");
      case JXL_DEC_NEED_MORE_INPUT: {
        if (fed == data.size()) fail("file is truncated");
        const size_t kept = JxlDecoderReleaseInput(d.dec);
        const size_t from = fed - kept;
        fed = std::min(data.size(), fed + kSliceBytes);
        if (JxlDecoderSetInput(d.dec, data.data() + from, fed - from) != JXL_DEC_SUCCESS)
          fail("corrupt data");
        if (fed == data.size()) JxlDecoderCloseInput(d.dec);
        break;
      }
      case JXL_DEC_BASIC_INFO: {
        JxlBasicInfo info;
        if (JxlDecoderGetBasicInfo(d.dec, &info) != JXL_DEC_SUCCESS) fail("corrupt header");
        // Orientations 5 to 8 swap the sides; the bitmap is the turned picture.
        const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
        const int64_t width = turned ? info.ysize : info.xsize;
        const int64_t height = turned ? info.xsize : info.ysize;
        checkPictureSize(width, height, kBytesPerPixel);
        out.alpha = info.alpha_bits > 0;
        format.num_channels = out.alpha ? 4 : 3;
        result.fullSize = {int(width), int(height)};
        result.bitmap = gfx::Bitmap(int(width), int(height));
        out.bitmap = &result.bitmap;
        break;
      }
      case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
        if (!out.bitmap ||
            JxlDecoderSetImageOutCallback(d.dec, &format, takeRow, &out) != JXL_DEC_SUCCESS)
          fail("cannot deliver pixels");
        break;
      case JXL_DEC_FULL_IMAGE:
        // The first frame is complete; later frames of an animation are not shown.
        if (!out.bitmap) fail("no picture");
        return result;
      default:
        fail("unexpected decoder state");
    }
  }
}

}  // namespace vantor
