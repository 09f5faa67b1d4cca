// Where decoded PCM goes. A sink is opened on the caller's thread (so that a
// failure is answered at once) and written by the decoding thread; `cancel`
// is the decoding thread's stop request, checked wherever a sink waits.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mpegdll {

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Blocks while the output is full; false when the output failed.
  virtual bool write(const uint8_t *pcm, size_t bytes, const std::atomic<bool> &cancel) = 0;
  // Returns once everything written has been heard or stored.
  virtual bool drain(const std::atomic<bool> &cancel) = 0;
  virtual void setPaused(bool paused) = 0;
  // Drops what is buffered but not yet heard (after a seek).
  virtual void discard() = 0;
  // Sample frames heard or stored since the sink was opened or last discarded.
  virtual int64_t framesPlayed() const = 0;
};

enum class Device : int32_t { Default = 0, PcmFile = 2 };

// Null when the device cannot be opened; `device` is the caller's raw code.
std::unique_ptr<AudioSink> openSink(int32_t device, const std::string &fileName, long rate,
                                    int channels);

}  // namespace mpegdll
