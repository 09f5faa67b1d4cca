#pragma once
// A progressive JPEG made to cost time and memory while it stays small: the
// picture tests and the load benchmark decode the same bytes.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vantor::test {

using Bytes = std::vector<uint8_t>;

// Entropy-coded bits, with the zero byte that must follow every 0xFF.
class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      acc_ = uint8_t(acc_ << 1 | ((value >> i) & 1));
      if (++count_ == 8) {
        out_.push_back(acc_);
        if (acc_ == 0xFF) out_.push_back(0);
        acc_ = 0;
        count_ = 0;
      }
    }
  }
  // Pads the last byte with one bits.
  Bytes finish() {
    if (count_) put((1u << (8 - count_)) - 1, 8 - count_);
    return out_;
  }

 private:
  Bytes out_;
  uint8_t acc_ = 0;
  int count_ = 0;
};

inline void segment(Bytes &b, uint8_t marker, const Bytes &body) {
  b.insert(b.end(), {0xFF, marker, uint8_t((body.size() + 2) >> 8), uint8_t(body.size() + 2)});
  b.insert(b.end(), body.begin(), body.end());
}

// A mid-grey progressive JPEG `side` pixels square: one DC scan, then the
// same AC scan `acScans` times (libjpeg warns about the repeats and decodes
// each one again). Every block codes a DC difference of 0 in one bit and
// the AC scans code end-of-band runs of up to 32767 blocks, so the file
// stays small however large the picture. side must be at least 1024.
inline Bytes progressiveGreyJpeg(int side, int acScans) {
  const int64_t blocks = int64_t((side + 7) / 8) * ((side + 7) / 8);
  Bytes b = {0xFF, 0xD8};
  Bytes dqt(65, 1);
  dqt[0] = 0;
  segment(b, 0xDB, dqt);
  segment(b, 0xC2,
          {8, uint8_t(side >> 8), uint8_t(side), uint8_t(side >> 8), uint8_t(side), 1, 1, 0x11, 0});
  // One code of one bit in each table: DC category 0, and the run symbol
  // 0xE0 (a run of 2^14 blocks plus 14 more bits).
  Bytes dht = {0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00};
  segment(b, 0xC4, dht);
  dht[0] = 0x10, dht[17] = 0xE0;
  segment(b, 0xC4, dht);
  BitWriter dc;
  for (int64_t i = 0; i < blocks; ++i) dc.put(0, 1);
  segment(b, 0xDA, {1, 1, 0x00, 0, 0, 0});
  const Bytes dcBits = dc.finish();
  b.insert(b.end(), dcBits.begin(), dcBits.end());
  BitWriter ac;
  for (int64_t left = blocks; left > 0;) {
    const int64_t run = std::min<int64_t>(left, 32767);
    ac.put(0, 1);
    ac.put(uint32_t(run - 16384), 14);
    left -= run;
  }
  Bytes scan;
  segment(scan, 0xDA, {1, 1, 0x00, 1, 63, 0});
  const Bytes acBits = ac.finish();
  scan.insert(scan.end(), acBits.begin(), acBits.end());
  for (int i = 0; i < acScans; ++i) b.insert(b.end(), scan.begin(), scan.end());
  b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

}  // namespace vantor::test
