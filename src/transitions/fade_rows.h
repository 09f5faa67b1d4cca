#pragma once
// The cross-fade's inner loops, one per vector width. Each blends the first
// bytes of d with s in place, as many as fill whole vectors of its width, and
// returns how many it did; the caller blends the rest one by one.

#include <cstddef>
#include <cstdint>

namespace transitions::fade_rows {

size_t blend16(uint8_t *d, const uint8_t *s, size_t n, int keep, int take);
// Only where the processor has AVX2.
size_t blend32(uint8_t *d, const uint8_t *s, size_t n, int keep, int take);
bool has32();

}  // namespace transitions::fade_rows
