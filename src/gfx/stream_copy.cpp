#include "gfx/stream_copy.h"

#include <cstring>
#if defined(__x86_64__) || defined(__SSE2__)
#include <emmintrin.h>
#define VANTOR_STREAM_STORES 1
#endif

namespace gfx::detail {

void copyBytes(uint8_t *d, const uint8_t *s, size_t n, bool streaming) {
#ifdef VANTOR_STREAM_STORES
  if (streaming && n >= 256) {
    const size_t head = (16 - (reinterpret_cast<uintptr_t>(d) & 15)) & 15;
    std::memcpy(d, s, head);
    d += head, s += head, n -= head;
    for (; n >= 64; d += 64, s += 64, n -= 64) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 32));
      const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 48));
      _mm_stream_si128(reinterpret_cast<__m128i *>(d), a);
      _mm_stream_si128(reinterpret_cast<__m128i *>(d + 16), b);
      _mm_stream_si128(reinterpret_cast<__m128i *>(d + 32), c);
      _mm_stream_si128(reinterpret_cast<__m128i *>(d + 48), e);
    }
  }
#else
  (void)streaming;
#endif
  std::memcpy(d, s, n);
}

void streamFence() {
#ifdef VANTOR_STREAM_STORES
  _mm_sfence();
#endif
}

}  // namespace gfx::detail
