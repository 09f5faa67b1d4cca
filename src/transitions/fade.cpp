// Style 118: the cross-fade. Every byte of the frame is blended in every
// frame, so the rows go through 16 or 32 bytes at a time; the wider form is
// chosen once, at run time, where the processor has it.

#include <immintrin.h>

#include <algorithm>
#include <cstdint>

#include "transitions/fade_rows.h"
#include "transitions/region_styles.h"

namespace transitions {

namespace {

// v div 100 for 0 <= v <= 25500 is (v * 5243) >> 19: the multiplier exceeds
// 2^19 / 100 by so little that the error stays below 1 / 100 over the range.
constexpr int kDiv100Mul = 5243;
constexpr int kDiv100Shift = 3;  // after taking the high 16 bits of the product

inline uint8_t blendByte(int d, int s, int keep, int take) {
  return uint8_t((d * keep) / 100 + (s * take) / 100);
}

inline __m128i weigh16(__m128i v, __m128i w, __m128i k) {
  return _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(v, w), k), kDiv100Shift);
}

__attribute__((target("avx2"))) inline __m256i weigh16x2(__m256i v, __m256i w, __m256i k) {
  return _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_mullo_epi16(v, w), k), kDiv100Shift);
}

}  // namespace

namespace fade_rows {

size_t blend16(uint8_t *d, const uint8_t *s, size_t n, int keep, int take) {
  const __m128i zero = _mm_setzero_si128(), k = _mm_set1_epi16(kDiv100Mul);
  const __m128i wd = _mm_set1_epi16(int16_t(keep)), ws = _mm_set1_epi16(int16_t(take));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    const __m128i lo = _mm_add_epi16(weigh16(_mm_unpacklo_epi8(a, zero), wd, k),
                                     weigh16(_mm_unpacklo_epi8(b, zero), ws, k));
    const __m128i hi = _mm_add_epi16(weigh16(_mm_unpackhi_epi8(a, zero), wd, k),
                                     weigh16(_mm_unpackhi_epi8(b, zero), ws, k));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), _mm_packus_epi16(lo, hi));
  }
  return i;
}

// Unpacking and packing both work within each 16-byte lane, so the bytes
// come back in their places.
__attribute__((target("avx2"))) size_t blend32(uint8_t *d, const uint8_t *s, size_t n, int keep,
                                               int take) {
  const __m256i zero = _mm256_setzero_si256(), k = _mm256_set1_epi16(kDiv100Mul);
  const __m256i wd = _mm256_set1_epi16(int16_t(keep)), ws = _mm256_set1_epi16(int16_t(take));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(d + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i));
    const __m256i lo = _mm256_add_epi16(weigh16x2(_mm256_unpacklo_epi8(a, zero), wd, k),
                                        weigh16x2(_mm256_unpacklo_epi8(b, zero), ws, k));
    const __m256i hi = _mm256_add_epi16(weigh16x2(_mm256_unpackhi_epi8(a, zero), wd, k),
                                        weigh16x2(_mm256_unpackhi_epi8(b, zero), ws, k));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(d + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}

bool has32() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

}  // namespace fade_rows

namespace {

using BlendRun = size_t (*)(uint8_t *, const uint8_t *, size_t, int, int);

BlendRun widestBlend() {
  return fade_rows::has32() ? fade_rows::blend32 : fade_rows::blend16;
}

}  // namespace

void BlendBitmaps(gfx::Bitmap &display, const gfx::Bitmap &newPicture, int progress) {
  const int take = progress < 0 ? 0 : progress > 100 ? 100 : progress, keep = 100 - take;
  const int w = std::min(display.width(), newPicture.width());
  const int h = std::min(display.height(), newPicture.height());
  if (w <= 0 || h <= 0) return;
  const size_t n = size_t(w) * 3;  // the row's pixels; padding is left alone
  const BlendRun run = widestBlend();
  for (int y = 0; y < h; ++y) {
    uint8_t *d = display.row(y);
    const uint8_t *s = newPicture.row(y);
    for (size_t i = run(d, s, n, keep, take); i < n; ++i) d[i] = blendByte(d[i], s[i], keep, take);
  }
}

void fadeStyle(gfx::Bitmap &display, const gfx::Bitmap &newPicture, const gfx::Rect &, int,
               int progress, DrawnRects *, vantor::RandomSource &) {
  BlendBitmaps(display, newPicture, progress);
}

}  // namespace transitions
