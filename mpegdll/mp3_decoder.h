// The one place that talks to libmpg123: opens an MP3 from a file or from
// memory, decodes it to signed 16-bit native-endian PCM at the stream's own
// rate and channel count, seeks by sample frame, and reports the stream's
// facts. Every libmpg123 error code ends here as a false or Failed result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct mpg123_handle_struct;

namespace mpegdll {

struct StreamInfo {
  long rate = 0;        // samples per second
  int channels = 0;     // 1 or 2
  int64_t frames = 0;   // sample frames in the whole stream
  int bitrateKbps = 0;  // the nominal or, for variable rates, the average bit rate
  int layer = 0;        // 1, 2 or 3
  int64_t lengthMs() const { return rate > 0 ? frames * 1000 / rate : 0; }
};

enum class DecodeStatus { Ok, Done, Failed };

// Where the compressed bytes come from; libmpg123 reads through it.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual long read(void *buffer, size_t count) = 0;     // bytes read, 0 at end, -1 on error
  virtual int64_t seek(int64_t offset, int whence) = 0;  // new offset or -1
  virtual int64_t size() const = 0;
};

class Mp3Decoder {
 public:
  Mp3Decoder();
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder &) = delete;
  Mp3Decoder &operator=(const Mp3Decoder &) = delete;

  // False when libmpg123 could not set up a decoder at all.
  bool usable() const { return handle_ != nullptr; }

  // Each returns false when the bytes are not a decodable MPEG audio stream.
  bool openFile(const std::string &path);
  bool openMemory(const uint8_t *data, size_t size);

  const StreamInfo &info() const { return info_; }

  // Decodes into `buffer` (whole sample frames only); `produced` bytes are
  // valid even when the status is Done or Failed.
  DecodeStatus read(uint8_t *buffer, size_t capacity, size_t &produced);
  bool seekFrame(int64_t frame);

  size_t bytesPerFrame() const { return static_cast<size_t>(info_.channels) * 2; }

 private:
  bool openSource(std::unique_ptr<ByteSource> source);
  bool readFormat();
  void close();

  mpg123_handle_struct *handle_ = nullptr;
  std::unique_ptr<ByteSource> source_;
  StreamInfo info_;
};

}  // namespace mpegdll
