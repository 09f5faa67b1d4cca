// PNG through libpng, for every kind that decode_png_direct.cpp leaves to
// it. libpng reports errors by longjmp to the setjmp in guarded(); only
// plain C data lives in the frames that it can skip.

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "picture/decode.h"
#include "picture/decode_png_direct.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

struct Session {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PictureSource *source = nullptr;
  char message[200] = "";

  Session() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, onError, onWarning);
    if (png) info = png_create_info_struct(png);
    if (!png || !info) throw DecodeError("PNG: out of memory");
  }
  ~Session() { png_destroy_read_struct(&png, &info, nullptr); }
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  static void onError(png_structp png, png_const_charp text) {
    auto *s = static_cast<Session *>(png_get_error_ptr(png));
    std::strncpy(s->message, text, sizeof s->message - 1);
    png_longjmp(png, 1);
  }
  static void onWarning(png_structp, png_const_charp) {}
};

void readData(png_structp png, png_bytep out, size_t length) {
  auto *src = static_cast<PictureSource *>(png_get_io_ptr(png));
  if (src->read(out, length) != length) png_error(png, "unexpected end of data");
}

// Called after every row of every pass.
void onRow(png_structp png, png_uint_32, int) {
  if (CancelRequested()) png_error(png, "cancelled");
}

template <class F>
bool guarded(Session &s, F &&step) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  step();
  return true;
}

[[noreturn]] void fail(const Session &s) {
  decodeFailed(std::string("PNG: ") + s.message);
}

// Transformations that leave 8-bit BGR or BGRA samples; returns the number
// of passes.
int setTransforms(png_structp png, png_infop info) {
  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return passes;
}

// Every pixel is in; a damaged tail (chunks after the image data, a missing
// end chunk) does not spoil the picture.
void readEnd(Session &s) {
  guarded(s, [&s] { png_read_end(s.png, nullptr); });
}

void readAll(Session &s, std::vector<png_bytep> &rows) {
  if (!guarded(s, [&s, &rows] { png_read_image(s.png, rows.data()); })) fail(s);
  readEnd(s);
}

// Writes the sampled pixels of one BGR or BGRA row to the output rows that
// read it; transparent pixels are blended over the background.
void emitRow(const uint8_t *in, int channels, int y, const RowFit &fit, gfx::Bitmap &out,
             const DecodeOptions &options) {
  if (channels == 3) return fit.put(in, y, out);
  const int first = fit.firstRowOf(y);
  if (first < 0) return;
  uint8_t *d = out.row(first);
  const std::vector<int> &columns = fit.columns();
  const size_t width = columns.size();
  const auto bg = bgrOf(options.background);
  for (size_t i = 0; i < width; ++i, d += 3) {
    const uint8_t *s = in + 4 * size_t(columns[i]);
    for (int k = 0; k < 3; ++k)
      d[k] = options.flatten ? blendOver(s[k], s[3], bg[size_t(k)]) : s[k];
  }
  const int count = fit.rowCountOf(y);
  for (int n = 1; n < count; ++n) std::memcpy(out.row(first + n), out.row(first), width * 3);
}

}  // namespace

Decoded decodePng(PictureSource &source, const DecodeOptions &options) {
  if (std::optional<Decoded> direct = decodePngDirect(source, options)) return std::move(*direct);
  source.seek(0);
  uint8_t signature[8];
  if (source.read(signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0)
    decodeFailed("PNG: no signature");
  Session s;
  s.source = &source;
  png_uint_32 width = 0, height = 0;
  if (!guarded(s, [&s, &width, &height] {
        png_set_read_fn(s.png, s.source, readData);
        png_set_sig_bytes(s.png, 8);
        png_set_read_status_fn(s.png, onRow);
        // Text and profile chunks are not shown; a hostile one must not
        // inflate to gigabytes.
        png_set_chunk_malloc_max(s.png, 8u << 20);
        // The sum is at the end of the image data, which is read only
        // after the last row, where a failure is passed over anyway.
        png_set_option(s.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
        png_read_info(s.png, s.info);
        width = png_get_image_width(s.png, s.info);
        height = png_get_image_height(s.png, s.info);
      }))
    fail(s);
  checkPictureSize(width, height);
  int passes = 1;
  if (!guarded(s, [&s, &passes] { passes = setTransforms(s.png, s.info); })) fail(s);
  const int channels = png_get_channels(s.png, s.info);
  if (channels != 3 && channels != 4) throw DecodeError("PNG: unexpected channel count");
  // An interlaced image is read whole, as every pass adds to the rows of
  // the one before; the others a row at a time, reduced as they come.
  const bool whole = passes > 1;
  checkPictureSize(width, height, whole && channels == 4 ? 7 : 3);
  const gfx::Size full{int(width), int(height)};
  const RowFit fit(full, !whole && options.targetSize ? options.targetSize(full) : gfx::Size{});

  Decoded result;
  result.fullSize = full;
  result.bitmap = gfx::Bitmap(fit.size().width, fit.size().height);
  gfx::Bitmap &bmp = result.bitmap;
  const size_t rowBytes = size_t(width) * size_t(channels);
  if (!whole) {
    std::vector<uint8_t> scratch(rowBytes);
    png_uint_32 y = 0;
    // Rows that need no change go straight to the bitmap.
    const bool direct = channels == 3 && !fit.reduces();
    if (!guarded(s, [&] {
          for (; y < height; ++y) {
            png_bytep in = direct ? bmp.row(int(y)) : scratch.data();
            png_read_row(s.png, in, nullptr);
            if (!direct) emitRow(in, channels, int(y), fit, bmp, options);
          }
        }))
      fail(s);
    readEnd(s);
    return result;
  }
  std::vector<png_bytep> rows(height);
  if (channels == 3) {
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = bmp.row(int(y));
    readAll(s, rows);
    return result;
  }
  std::unique_ptr<uint8_t[]> bgra(new uint8_t[rowBytes * height]);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = bgra.get() + rowBytes * y;
  readAll(s, rows);
  for (png_uint_32 y = 0; y < height; ++y) emitRow(rows[y], channels, int(y), fit, bmp, options);
  return result;
}

}  // namespace vantor
