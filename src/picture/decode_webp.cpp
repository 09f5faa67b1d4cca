// WebP through libwebp. libwebp reports errors by status codes only. The
// incremental decoder is fed the mapped file a slice at a time, so that a
// cancelled load stops between slices; it writes straight into the bitmap
// (or, with alpha, into a BGRA image blended afterwards), scaled down while
// decoding when the picture will be shown smaller.

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <memory>
#include <string>

#include "gfx/orient.h"
#include "picture/decode_formats.h"
#include "picture/exif_orientation.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

// Slices small enough that a cancel is seen within milliseconds.
constexpr size_t kSliceBytes = 256 << 10;

std::string statusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
      return "out of memory";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      return "unsupported feature";
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_NOT_ENOUGH_DATA:
      return "file is truncated";
    default:
      return "corrupt data";
  }
}

struct IncrementalDecoder {
  WebPIDecoder *idec = nullptr;
  ~IncrementalDecoder() {
    if (idec) WebPIDelete(idec);
  }
};

// Decodes one WebP bitstream (a still file, or one frame of an animation)
// into `pixels`, rows of `stride` bytes in `mode`, at `config`'s options.
void decodeInto(std::span<const uint8_t> data, WebPDecoderConfig &config, WEBP_CSP_MODE mode,
                uint8_t *pixels, size_t stride, int height) {
  config.output.colorspace = mode;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = pixels;
  config.output.u.RGBA.stride = int(stride);
  config.output.u.RGBA.size = stride * size_t(height);
  IncrementalDecoder d;
  d.idec = WebPIDecode(nullptr, 0, &config);
  if (!d.idec) throw DecodeError("WebP: out of memory");
  VP8StatusCode status = VP8_STATUS_SUSPENDED;
  size_t fed = 0;
  while (status == VP8_STATUS_SUSPENDED && fed < data.size()) {
    ThrowIfCancelled();
    fed = std::min(data.size(), fed + kSliceBytes);
    // The whole file stays mapped, so the decoder may keep pointing into it.
    status = WebPIUpdate(d.idec, data.data(), fed);
  }
  if (status != VP8_STATUS_OK) throw DecodeError("WebP: " + statusText(status));
}

// The size the picture is decoded at: the target when it is smaller. The
// target is asked for the upright picture and turned back to the stored
// sides.
gfx::Size decodeSize(gfx::Size full, const DecodeOptions &options, int orientation) {
  if (!options.targetSize) return full;
  const gfx::Size t =
      gfx::orientedSize(options.targetSize(gfx::orientedSize(full, orientation)), orientation);
  if (t.empty() || t.width > full.width || t.height > full.height) return full;
  return t;
}

// Decodes `data` (width x height, alpha or not) onto `canvas` at (left, top)
// at the canvas's scale, transparent pixels over the background.
void decodeOnto(std::span<const uint8_t> data, WebPDecoderConfig &config, bool alpha,
                gfx::Bitmap &canvas, int left, int top, gfx::Size size,
                const DecodeOptions &options) {
  if (!alpha) {
    if (left == 0 && top == 0 && size == canvas.size()) {
      decodeInto(data, config, MODE_BGR, canvas.row(0), canvas.stride(), size.height);
      return;
    }
    gfx::Bitmap frame(size.width, size.height);
    decodeInto(data, config, MODE_BGR, frame.row(0), frame.stride(), size.height);
    for (int y = 0; y < size.height; ++y)
      std::copy_n(frame.row(y), size_t(size.width) * 3, canvas.row(top + y) + size_t(left) * 3);
    return;
  }
  const size_t stride = size_t(size.width) * 4;
  std::unique_ptr<uint8_t[]> bgra(new uint8_t[stride * size_t(size.height)]);
  decodeInto(data, config, MODE_BGRA, bgra.get(), stride, size.height);
  const auto bg = bgrOf(options.background);
  for (int y = 0; y < size.height; ++y) {
    const uint8_t *in = bgra.get() + stride * size_t(y);
    uint8_t *out = canvas.row(top + y) + size_t(left) * 3;
    for (int x = 0; x < size.width; ++x, in += 4, out += 3)
      for (int k = 0; k < 3; ++k) out[k] = options.flatten ? blendOver(in[k], in[3], bg[k]) : in[k];
  }
}

struct Demuxer {
  WebPDemuxer *demux = nullptr;
  WebPIterator frame{};
  WebPChunkIterator chunk{};
  ~Demuxer() {
    WebPDemuxReleaseChunkIterator(&chunk);
    WebPDemuxReleaseIterator(&frame);
    if (demux) WebPDemuxDelete(demux);
  }
};

// The orientation in the file's EXIF chunk, 1 when it has none. The demuxer
// only walks the chunk headers, so asking costs next to nothing.
int orientationOf(std::span<const uint8_t> data, const DecodeOptions &options) {
  if (!options.exifOrientation) return 1;
  const WebPData whole{data.data(), data.size()};
  Demuxer d;
  d.demux = WebPDemux(&whole);
  if (!d.demux || !(WebPDemuxGetI(d.demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG)) return 1;
  if (!WebPDemuxGetChunk(d.demux, "EXIF", 1, &d.chunk)) return 1;
  return exifOrientation({d.chunk.chunk.bytes, d.chunk.chunk.size});
}

// Turns a decoded picture upright.
Decoded turned(Decoded decoded, int orientation) {
  if (orientation == 1) return decoded;
  decoded.bitmap = gfx::oriented(decoded.bitmap, orientation);
  decoded.fullSize = gfx::orientedSize(decoded.fullSize, orientation);
  return decoded;
}

// An animation's first frame on its canvas; what the frame leaves uncovered
// shows the background colour.
Decoded decodeFirstFrame(std::span<const uint8_t> data, const DecodeOptions &options,
                         int orientation) {
  const WebPData whole{data.data(), data.size()};
  Demuxer d;
  d.demux = WebPDemux(&whole);
  if (!d.demux || !WebPDemuxGetFrame(d.demux, 1, &d.frame))
    throw DecodeError("WebP: corrupt animation");
  const int width = int(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_WIDTH));
  const int height = int(WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_HEIGHT));
  const gfx::Size frameSize{d.frame.width, d.frame.height};
  // The canvas (twice when turned), and for the frame a BGRA image and
  // libwebp's ARGB image.
  checkPictureSize(width, height, orientation == 1 ? 3 : 6,
                   int64_t(frameSize.width) * frameSize.height * 8);
  if (d.frame.x_offset < 0 || d.frame.y_offset < 0 || frameSize.empty() ||
      d.frame.x_offset + frameSize.width > width || d.frame.y_offset + frameSize.height > height)
    throw DecodeError("WebP: frame outside the canvas");
  const std::span<const uint8_t> bits(d.frame.fragment.bytes, d.frame.fragment.size);
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) throw DecodeError("WebP: library mismatch");
  if (WebPGetFeatures(bits.data(), bits.size(), &config.input) != VP8_STATUS_OK ||
      config.input.width != frameSize.width || config.input.height != frameSize.height)
    throw DecodeError("WebP: corrupt animation frame");
  Decoded result;
  result.fullSize = {width, height};
  result.bitmap = gfx::Bitmap(width, height, options.background);
  decodeOnto(bits, config, config.input.has_alpha, result.bitmap, d.frame.x_offset,
             d.frame.y_offset, frameSize, options);
  return result;
}

}  // namespace

Decoded decodeWebp(std::span<const uint8_t> data, const DecodeOptions &options) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) throw DecodeError("WebP: library mismatch");
  const VP8StatusCode header = WebPGetFeatures(data.data(), data.size(), &config.input);
  if (header != VP8_STATUS_OK) throw DecodeError("WebP: " + statusText(header));
  const int orientation = orientationOf(data, options);
  if (config.input.has_animation)
    return turned(decodeFirstFrame(data, options, orientation), orientation);
  const gfx::Size full{config.input.width, config.input.height};
  const gfx::Size size = decodeSize(full, options, orientation);
  if (size != full) {
    config.options.use_scaling = 1;
    config.options.scaled_width = size.width;
    config.options.scaled_height = size.height;
  }
  // The bitmap (twice when turned), a BGRA image with alpha, and for a
  // lossless picture libwebp's own full-size ARGB image, which it decodes
  // before scaling.
  const bool lossless = config.input.format != 1;
  checkPictureSize(size.width, size.height,
                   (config.input.has_alpha ? 7 : 3) + (orientation == 1 ? 0 : 3),
                   lossless ? int64_t(full.width) * full.height * 4 : 0);
  Decoded result;
  result.fullSize = full;
  result.bitmap = gfx::Bitmap(size.width, size.height);
  decodeOnto(data, config, config.input.has_alpha, result.bitmap, 0, 0, size, options);
  return turned(std::move(result), orientation);
}

}  // namespace vantor
