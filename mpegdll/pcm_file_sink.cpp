// Device 2: raw signed 16-bit little-endian PCM written to a file.
#include <cstdio>
#include <vector>

#include "audio_sink.h"

namespace mpegdll {
namespace {

class PcmFileSink : public AudioSink {
 public:
  PcmFileSink(FILE *file, int channels) : file_(file), frameBytes_(channels * 2) {}
  ~PcmFileSink() override { std::fclose(file_); }

  bool write(const uint8_t *pcm, size_t bytes, const std::atomic<bool> &) override {
    if (std::fwrite(toLittleEndian(pcm, bytes), 1, bytes, file_) != bytes) return false;
    frames_.fetch_add(static_cast<int64_t>(bytes / frameBytes_));
    return true;
  }
  bool drain(const std::atomic<bool> &) override { return std::fflush(file_) == 0; }
  void setPaused(bool) override {}
  void discard() override { frames_.store(0); }
  int64_t framesPlayed() const override { return frames_.load(); }

 private:
  const uint8_t *toLittleEndian(const uint8_t *pcm, size_t bytes) {
    if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) return pcm;
    swapped_.assign(pcm, pcm + bytes);
    for (size_t i = 0; i + 1 < bytes; i += 2) std::swap(swapped_[i], swapped_[i + 1]);
    return swapped_.data();
  }

  FILE *file_;
  size_t frameBytes_;
  std::atomic<int64_t> frames_{0};
  std::vector<uint8_t> swapped_;
};

}  // namespace

std::unique_ptr<AudioSink> openSdlSink(long rate, int channels);

std::unique_ptr<AudioSink> openSink(int32_t device, const std::string &fileName, long rate,
                                    int channels) {
  if (device == static_cast<int32_t>(Device::Default)) return openSdlSink(rate, channels);
  if (device != static_cast<int32_t>(Device::PcmFile) || fileName.empty()) return nullptr;
  FILE *f = std::fopen(fileName.c_str(), "wbe");
  if (!f) return nullptr;
  return std::make_unique<PcmFileSink>(f, channels);
}

}  // namespace mpegdll
