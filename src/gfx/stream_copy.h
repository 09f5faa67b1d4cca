#pragma once
// Byte copies for whole frames. A copy of many megabytes is faster with
// stores that bypass the cache (the destination is not read back soon, and
// the cache would first have to load every line it writes); glibc does this
// for one large memcpy, but not for the many row-sized pieces a clipped or
// region copy is made of.

#include <cstddef>
#include <cstdint>

namespace gfx::detail {

// Total bytes above which a copy made of pieces should stream.
constexpr size_t kStreamingBytes = size_t(4) << 20;

// Copies n bytes (the ranges must not overlap). With `streaming`, long
// pieces bypass the cache; call streamFence() after the last such copy.
void copyBytes(uint8_t *d, const uint8_t *s, size_t n, bool streaming);
void streamFence();

}  // namespace gfx::detail
