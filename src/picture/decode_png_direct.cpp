// 8-bit RGB and RGBA PNGs without interlacing, which cameras, editors and
// screen grabs write, read with zlib and unfiltered here a whole pixel at a
// time: libpng unfilters byte by byte, and on a 24-megapixel photograph that
// is more than half of its time. Only the pixels that the reduction to the
// screen keeps are converted. Other PNGs go to libpng (decode_png.cpp).
// zlib reports errors by return codes, which end here as DecodeError.

#include "picture/decode_png_direct.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/cancel.h"

namespace vantor {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kIHDR = 0x49484452, kIDAT = 0x49444154, kTRNS = 0x74524E53;
// libpng's own limits: wider or taller pictures, and longer chunks before
// the image data (the show allows 8 MB), are left to libpng to refuse.
constexpr uint32_t kMaxSide = 1000000;
constexpr uint32_t kMaxChunk = 8u << 20;
constexpr size_t kInputBytes = 64 * 1024;
// Row buffers reach this far past their end: a 3-byte pixel is loaded as 4.
constexpr size_t kRowSlack = 16;

uint32_t be32(const uint8_t *p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool isLetter(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[noreturn]] void fail(const std::string &what) {
  decodeFailed("PNG: " + what);
}

// --- Unfiltering, in place: `row` holds the filtered bytes, `up` the row
// above as reconstructed (zeros above the first row). bpp is 3 or 4.

void unfilterUp(uint8_t *row, const uint8_t *up, size_t n) {
  for (size_t i = 0; i < n; ++i) row[i] = uint8_t(row[i] + up[i]);
}

#if defined(__SSE2__)

__m128i loadPixel(const uint8_t *p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtsi32_si128(int(v));
}

// Stores bpp bytes only: the byte after a 3-byte pixel is the next pixel's
// still filtered value.
void storePixel(uint8_t *p, __m128i v, int bpp) {
  const uint32_t x = uint32_t(_mm_cvtsi128_si32(v));
  std::memcpy(p, &x, size_t(bpp));
}

void unfilterSub(uint8_t *row, size_t n, int bpp) {
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += size_t(bpp)) {
    a = _mm_add_epi8(a, loadPixel(row + i));
    storePixel(row + i, a, bpp);
  }
}

void unfilterAverage(uint8_t *row, const uint8_t *up, size_t n, int bpp) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i < n; i += size_t(bpp)) {
    const __m128i b = loadPixel(up + i);
    // _mm_avg_epu8 rounds up; the filter rounds down.
    const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    a = _mm_add_epi8(loadPixel(row + i), avg);
    storePixel(row + i, a, bpp);
  }
}

__m128i absolute16(__m128i v) {
  return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

__m128i select(__m128i mask, __m128i ifSet, __m128i otherwise) {
  return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, otherwise));
}

// In 16-bit lanes: with p = a + b - c, the predictor is the one of a, b, c
// nearest to p, ties going to a, then b.
void unfilterPaeth(uint8_t *row, const uint8_t *up, size_t n, int bpp) {
  const __m128i zero = _mm_setzero_si128(), low = _mm_set1_epi16(0xFF);
  __m128i a = zero, c = zero;
  for (size_t i = 0; i < n; i += size_t(bpp)) {
    const __m128i b = _mm_unpacklo_epi8(loadPixel(up + i), zero);
    const __m128i x = _mm_unpacklo_epi8(loadPixel(row + i), zero);
    const __m128i dA = _mm_sub_epi16(b, c), dB = _mm_sub_epi16(a, c);
    const __m128i pa = absolute16(dA), pb = absolute16(dB);
    const __m128i pc = absolute16(_mm_add_epi16(dA, dB));
    const __m128i bOrC = select(_mm_cmpgt_epi16(pb, pc), c, b);
    const __m128i nearest = select(_mm_cmpgt_epi16(pa, _mm_min_epi16(pb, pc)), bOrC, a);
    a = _mm_and_si128(_mm_add_epi16(x, nearest), low);
    storePixel(row + i, _mm_packus_epi16(a, zero), bpp);
    c = b;
  }
}

#else

void unfilterSub(uint8_t *row, size_t n, int bpp) {
  for (size_t i = size_t(bpp); i < n; ++i) row[i] = uint8_t(row[i] + row[i - size_t(bpp)]);
}

void unfilterAverage(uint8_t *row, const uint8_t *up, size_t n, int bpp) {
  for (size_t i = 0; i < n; ++i) {
    const int left = i >= size_t(bpp) ? row[i - size_t(bpp)] : 0;
    row[i] = uint8_t(row[i] + ((left + up[i]) >> 1));
  }
}

void unfilterPaeth(uint8_t *row, const uint8_t *up, size_t n, int bpp) {
  for (size_t i = 0; i < n; ++i) {
    const int a = i >= size_t(bpp) ? row[i - size_t(bpp)] : 0;
    const int c = i >= size_t(bpp) ? up[i - size_t(bpp)] : 0;
    const int b = up[i];
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    const int nearest = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    row[i] = uint8_t(row[i] + nearest);
  }
}

#endif

void unfilter(uint8_t filter, uint8_t *row, const uint8_t *up, size_t n, int bpp) {
  switch (filter) {
    case 0:
      return;
    case 1:
      return unfilterSub(row, n, bpp);
    case 2:
      return unfilterUp(row, up, n);
    case 3:
      return unfilterAverage(row, up, n, bpp);
    case 4:
      return unfilterPaeth(row, up, n, bpp);
    default:
      fail("bad adaptive filter value");
  }
}

// Writes the sampled pixels of one RGB or RGBA row, in bitmap order, to the
// output rows that read it.
void emitRow(const uint8_t *in, int bpp, int y, const RowFit &fit, gfx::Bitmap &out,
             const DecodeOptions &options) {
  const int first = fit.firstRowOf(y);
  if (first < 0) return;
  uint8_t *d = out.row(first);
  const std::vector<int> &columns = fit.columns();
  const size_t width = columns.size();
  if (bpp == 3) {
    for (size_t i = 0; i < width; ++i, d += 3) {
      const uint8_t *s = in + 3 * size_t(columns[i]);
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
    }
  } else {
    const auto bg = bgrOf(options.background);
    for (size_t i = 0; i < width; ++i, d += 3) {
      const uint8_t *s = in + 4 * size_t(columns[i]);
      for (int k = 0; k < 3; ++k)
        d[k] = options.flatten ? blendOver(s[2 - k], s[3], bg[size_t(k)]) : s[2 - k];
    }
  }
  const int count = fit.rowCountOf(y);
  for (int n = 1; n < count; ++n) std::memcpy(out.row(first + n), out.row(first), width * 3);
}

// The image data: the contents of consecutive IDAT chunks, each checked
// against its CRC as libpng does, fed to zlib a buffer at a time.
class ImageData {
 public:
  ImageData(PictureSource &source, uint32_t firstLength)
      : source_(source), remaining_(firstLength), input_(kInputBytes) {
    crc_ = crc32(0, reinterpret_cast<const Bytef *>("IDAT"), 4);
    // The window is the one the stream's header declares, as in libpng.
    if (inflateInit2(&z_, 0) != Z_OK) throw DecodeError("PNG: out of memory");
    // The Adler-32 sum at the stream's end is never reached before the
    // last row; libpng does not check it either.
    inflateValidate(&z_, 0);
  }
  ~ImageData() { inflateEnd(&z_); }
  ImageData(const ImageData &) = delete;
  ImageData &operator=(const ImageData &) = delete;

  // Fills out[0, n) with the next inflated bytes.
  void read(uint8_t *out, size_t n) {
    z_.next_out = out;
    z_.avail_out = uInt(n);
    while (z_.avail_out > 0) {
      if (z_.avail_in == 0) refill();
      const int r = inflate(&z_, Z_NO_FLUSH);
      if (r == Z_STREAM_END) {
        if (z_.avail_out > 0) fail("not enough image data");
        break;
      }
      if (r == Z_BUF_ERROR && z_.avail_in == 0) continue;
      if (r != Z_OK) fail(z_.msg ? z_.msg : "damaged image data");
    }
  }

 private:
  void refill() {
    while (remaining_ == 0) {
      uint8_t next[12];
      if (source_.read(next, 4) != 4) fail("unexpected end of data");
      if (be32(next) != crc_) fail("IDAT: CRC error");
      if (source_.read(next + 4, 8) != 8) fail("unexpected end of data");
      if (be32(next + 8) != kIDAT) fail("not enough image data");
      remaining_ = be32(next + 4);
      if (remaining_ > 0x7FFFFFFFu) fail("IDAT: bad length");
      crc_ = crc32(0, next + 8, 4);
    }
    const size_t n = std::min<size_t>(remaining_, input_.size());
    if (source_.read(input_.data(), n) != n) fail("unexpected end of data");
    crc_ = crc32(crc_, input_.data(), uInt(n));
    remaining_ -= uint32_t(n);
    z_.next_in = input_.data();
    z_.avail_in = uInt(n);
  }

  PictureSource &source_;
  uint32_t remaining_;
  uLong crc_ = 0;
  std::vector<uint8_t> input_;
  z_stream z_{};
};

}  // namespace

std::optional<Decoded> decodePngDirect(PictureSource &source, const DecodeOptions &options) {
  // Signature, IHDR chunk (length, type, 13 bytes, CRC).
  uint8_t head[8 + 8 + 13 + 4];
  if (source.read(head, sizeof head) != sizeof head) return std::nullopt;
  if (std::memcmp(head, kSignature, 8) != 0 || be32(head + 8) != 13 || be32(head + 12) != kIHDR)
    return std::nullopt;
  if (crc32(0, head + 12, 17) != be32(head + 29)) return std::nullopt;
  const uint32_t width = be32(head + 16), height = be32(head + 20);
  const uint8_t depth = head[24], colourType = head[25];
  if (depth != 8 || (colourType != 2 && colourType != 6) || head[26] != 0 || head[27] != 0 ||
      head[28] != 0)
    return std::nullopt;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  // Ancillary chunks before the image data (profiles, text, times) change
  // nothing that is shown. A colour key, a suggested palette or any other
  // critical chunk is libpng's to judge.
  uint32_t length = 0;
  for (;;) {
    uint8_t chunk[8];
    if (source.read(chunk, 8) != 8) return std::nullopt;
    length = be32(chunk);
    const uint32_t type = be32(chunk + 4);
    if (length > 0x7FFFFFFFu || !std::all_of(chunk + 4, chunk + 8, isLetter)) return std::nullopt;
    if (type == kIDAT) break;
    const bool critical = (chunk[4] & 0x20) == 0;
    if (critical || type == kTRNS || length > kMaxChunk) return std::nullopt;
    if (source.offset() + length + 4 >= source.size()) return std::nullopt;
    source.seek(source.offset() + length + 4);
  }

  checkPictureSize(width, height);
  const gfx::Size full{int(width), int(height)};
  const RowFit fit(full, options.targetSize ? options.targetSize(full) : gfx::Size{});
  const int bpp = colourType == 6 ? 4 : 3;
  const size_t rowBytes = size_t(width) * size_t(bpp);
  Decoded result;
  result.fullSize = full;
  result.bitmap = gfx::Bitmap(fit.size().width, fit.size().height);
  // Each row is its filter byte and then its samples.
  std::vector<uint8_t> buffers(2 * (rowBytes + 1 + kRowSlack), 0);
  uint8_t *row = buffers.data(), *up = buffers.data() + rowBytes + 1 + kRowSlack;
  ImageData data(source, length);
  for (uint32_t y = 0; y < height; ++y) {
    if (CancelRequested()) fail("cancelled");
    data.read(row, rowBytes + 1);
    unfilter(row[0], row + 1, up + 1, rowBytes, bpp);
    emitRow(row + 1, bpp, int(y), fit, result.bitmap, options);
    std::swap(row, up);
  }
  return result;
}

}  // namespace vantor
