// HEIC and AVIF through libheif, whose decoders for HEVC (libde265) and AV1
// (dav1d, aom) are built into Debian's libheif. libheif reports errors as
// heif_error values; its objects are held by the owners below so that a
// throw releases them. libheif decodes in one call, so a cancel is seen
// before and after it and while the pixels are copied. The file's rotation
// and mirroring (irot, imir) and its crop are applied by libheif, as it does
// unless told to ignore them.

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <string>

#include "Vantorscreen/decode_formats.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

constexpr int kBytesPerPixel = 8;

void check(const heif_error &e) {
  if (e.code != heif_error_Ok)
    throw DecodeError(std::string("HEIF: ") + (e.message ? e.message : "error"));
}

struct ContextFree {
  void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HandleRelease {
  void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
  void operator()(heif_image *i) const { heif_image_release(i); }
};
struct OptionsFree {
  void operator()(heif_decoding_options *o) const { heif_decoding_options_free(o); }
};

// heif_init() is counted; the one call made here is never matched, so the
// library stays ready for the life of the program.
void initOnce() {
  static const bool ready = [] {
    heif_init(nullptr);
    return true;
  }();
  (void)ready;
}

}  // namespace

Decoded decodeHeif(std::span<const uint8_t> data, const DecodeOptions &options) {
  initOnce();
  if (data.size() < 12) throw DecodeError("HEIF: file is truncated");
  if (heif_check_filetype(data.data(), int(std::min<size_t>(data.size(), 64))) == heif_filetype_no)
    throw DecodeError("HEIF: not a HEIF file");
  std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
  if (!context) throw DecodeError("HEIF: out of memory");
  // The whole file stays mapped for the life of the context.
  check(
      heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(), nullptr));
  heif_image_handle *rawHandle = nullptr;
  check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
  std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
  // The size after the file's own rotation and crop; declined before the
  // decoder allocates anything for the pixels. A pixel costs the bitmap,
  // libheif's RGB(A) image and, while that is made, its YCbCr planes and
  // the video decoder's own picture: 8 bytes measured for a 4:2:0 photo.
  checkPictureSize(heif_image_handle_get_width(handle.get()),
                   heif_image_handle_get_height(handle.get()), kBytesPerPixel);
  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;

  std::unique_ptr<heif_decoding_options, OptionsFree> decoding(heif_decoding_options_alloc());
  if (!decoding) throw DecodeError("HEIF: out of memory");
  decoding->ignore_transformations = 0;
  decoding->convert_hdr_to_8bit = 1;
  ThrowIfCancelled();
  heif_image *rawImage = nullptr;
  check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          decoding.get()));
  std::unique_ptr<heif_image, ImageRelease> image(rawImage);
  ThrowIfCancelled();

  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  checkPictureSize(width, height, kBytesPerPixel);
  int stride = 0;
  const uint8_t *pixels =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (!pixels || stride < width * (alpha ? 4 : 3)) throw DecodeError("HEIF: no pixels decoded");

  Decoded result;
  result.fullSize = {width, height};
  result.bitmap = gfx::Bitmap(width, height);
  const auto bg = bgrOf(options.background);
  for (int y = 0; y < height; ++y) {
    if ((y & 63) == 0) ThrowIfCancelled();
    const uint8_t *in = pixels + size_t(stride) * size_t(y);
    uint8_t *out = result.bitmap.row(y);
    if (!alpha) {
      for (int x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
      continue;
    }
    for (int x = 0; x < width; ++x, in += 4, out += 3)
      for (int k = 0; k < 3; ++k) {
        const uint8_t c = in[2 - k];
        out[k] = options.flatten ? blendOver(c, in[3], bg[k]) : c;
      }
  }
  return result;
}

}  // namespace vantor
