// Untrusted bytes through the MPEG library's decoding path: open, scan for
// the length, decode, seek and decode again. Output is bounded so that a
// long valid stream does not stall the fuzzer.
#include <cstdint>
#include <vector>

#include "mp3_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  mpegdll::Mp3Decoder decoder;
  if (!decoder.openMemory(data, size)) return 0;
  const mpegdll::StreamInfo &info = decoder.info();
  if (info.rate <= 0 || info.channels < 1 || info.channels > 2) __builtin_trap();
  std::vector<uint8_t> pcm(8192);
  for (int round = 0; round < 64; ++round) {
    size_t produced = 0;
    mpegdll::DecodeStatus status = decoder.read(pcm.data(), pcm.size(), produced);
    if (produced > pcm.size() || produced % decoder.bytesPerFrame() != 0) __builtin_trap();
    if (status != mpegdll::DecodeStatus::Ok) break;
    if (round == 8 && decoder.seekFrame(info.frames / 2)) continue;
  }
  return 0;
}
