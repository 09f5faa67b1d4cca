// TIFF through libtiff: the first page through libtiff's RGBA reader, which
// covers every photometric interpretation it knows, a band of rows at a time. libtiff reports
// errors by return codes and a handler; both end in DecodeError here.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "picture/decode.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

// libtiff's largest single buffer (a strip as stored, a strip decoded): two
// of them may be held at once besides the pixels.
constexpr tmsize_t kMaxTiffBuffer = kMaxDecodeBytes / 8;

struct Source {
  PictureSource &in;
  char message[256];
};

Source *sourceOf(thandle_t h) {
  return static_cast<Source *>(h);
}

tmsize_t readProc(thandle_t h, void *out, tmsize_t length) {
  return length <= 0 ? 0 : tmsize_t(sourceOf(h)->in.read(out, size_t(length)));
}
tmsize_t writeProc(thandle_t, void *, tmsize_t) {
  return -1;
}
toff_t seekProc(thandle_t h, toff_t offset, int whence) {
  PictureSource &in = sourceOf(h)->in;
  const uint64_t base = whence == SEEK_CUR ? in.offset() : whence == SEEK_END ? in.size() : 0;
  in.seek(base + offset);  // past the end, reads then return no bytes
  return in.offset();
}
int closeProc(thandle_t) {
  return 0;
}
toff_t sizeProc(thandle_t h) {
  return sourceOf(h)->in.size();
}

int onError(TIFF *, void *user, const char *module, const char *format, va_list ap) {
  auto *s = static_cast<Source *>(user);
  int n = std::snprintf(s->message, sizeof s->message, "%s: ", module ? module : "TIFF");
  if (n >= 0 && size_t(n) < sizeof s->message)
    std::vsnprintf(s->message + n, sizeof s->message - size_t(n), format, ap);
  return 1;
}
int onWarning(TIFF *, void *, const char *, const char *, va_list) {
  return 1;
}

struct TiffFile {
  TIFF *tif = nullptr;
  explicit TiffFile(Source &source) {
    TIFFOpenOptions *opts = TIFFOpenOptionsAlloc();
    if (!opts) throw DecodeError("TIFF: out of memory");
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxTiffBuffer);
    TIFFOpenOptionsSetErrorHandlerExtR(opts, onError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, onWarning, &source);
    tif = TIFFClientOpenExt("picture", "rm", &source, readProc, writeProc, seekProc, closeProc,
                            sizeProc, nullptr, nullptr, opts);
    TIFFOpenOptionsFree(opts);
    if (!tif) decodeFailed(std::string("TIFF: ") + source.message);
  }
  ~TiffFile() { TIFFClose(tif); }
  TiffFile(const TiffFile &) = delete;
  TiffFile &operator=(const TiffFile &) = delete;
};

// libtiff's RGBA reader over one image; it reads any band of rows.
struct RgbaReader {
  TIFFRGBAImage img{};
  bool begun = false;
  explicit RgbaReader(TIFF *tif) {
    char why[1024] = "";
    if (!TIFFRGBAImageOK(tif, why) || !TIFFRGBAImageBegin(&img, tif, 1, why))
      decodeFailed(std::string("TIFF: ") + why);
    begun = true;
    img.req_orientation = ORIENTATION_TOPLEFT;
  }
  ~RgbaReader() {
    if (begun) TIFFRGBAImageEnd(&img);
  }
  RgbaReader(const RgbaReader &) = delete;
  RgbaReader &operator=(const RgbaReader &) = delete;

  // Files stored bottom row first come out of a band bottom-up.
  bool bottomUp() const {
    const int o = img.orientation;
    return o == ORIENTATION_BOTLEFT || o == ORIENTATION_BOTRIGHT || o == ORIENTATION_LEFTBOT ||
           o == ORIENTATION_RIGHTBOT;
  }
};

// Rows read at once: whole strips or rows of tiles, so that none is decoded
// twice, and at least 64 rows.
uint32_t bandRows(TIFF *tif, uint32_t height) {
  uint32_t unit = 0;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  if (unit == 0 || unit >= height) return height;
  const uint64_t rows = uint64_t(unit) * ((64 + unit - 1) / unit);
  return uint32_t(std::min<uint64_t>(rows, height));
}

// libtiff's RGBA pixels carry premultiplied colour.
void rasterToBitmap(const uint32_t *raster, int rows, gfx::Bitmap &bmp, int top,
                    gfx::Color background) {
  const auto bg = bgrOf(background);
  for (int y = 0; y < rows; ++y) {
    const uint32_t *in = raster + size_t(y) * size_t(bmp.width());
    uint8_t *out = bmp.row(top + y);
    for (int x = 0; x < bmp.width(); ++x, out += 3) {
      const uint32_t p = in[x];
      const int a = int(TIFFGetA(p)), rest = 255 - a;
      const int c[3] = {int(TIFFGetB(p)), int(TIFFGetG(p)), int(TIFFGetR(p))};
      for (int k = 0; k < 3; ++k)
        out[k] = uint8_t(std::min(255, c[k] + (bg[k] * rest + 127) / 255));
    }
  }
}

}  // namespace

Decoded decodeTiff(PictureSource &in, const DecodeOptions &options) {
  Source source{in, "cannot open"};
  TiffFile f(source);
  uint32_t width = 0, height = 0;
  TIFFGetField(f.tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(f.tif, TIFFTAG_IMAGELENGTH, &height);
  checkPictureSize(width, height);
  // The bitmap, one band of libtiff's 32-bit pixels and libtiff's strip
  // buffers are held together.
  const uint32_t band = bandRows(f.tif, height);
  checkPictureSize(width, height, 3, int64_t(width) * band * 4 + 2 * int64_t(kMaxTiffBuffer));
  RgbaReader reader(f.tif);
  std::unique_ptr<uint32_t[]> raster(new uint32_t[size_t(width) * band]);
  Decoded result;
  result.fullSize = {int(width), int(height)};
  result.bitmap = gfx::Bitmap(int(width), int(height));
  std::strcpy(source.message, "cannot read the pixels");
  for (uint32_t first = 0; first < height; first += band) {
    ThrowIfCancelled();
    const uint32_t rows = std::min(band, height - first);
    reader.img.row_offset = int(first);
    if (!TIFFRGBAImageGet(&reader.img, raster.get(), width, rows))
      decodeFailed(std::string("TIFF: ") + source.message);
    const uint32_t top = reader.bottomUp() ? height - first - rows : first;
    rasterToBitmap(raster.get(), int(rows), result.bitmap, int(top), options.background);
  }
  return result;
}

}  // namespace vantor
