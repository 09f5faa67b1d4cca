// The file mapping the newer formats are decoded from.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "picture/decode_formats.h"

namespace vantor {

namespace {

// Larger files are declined before they are mapped, as for the other
// formats: no accepted picture needs more.
constexpr uint64_t kMaxFileBytes = uint64_t(1) << 30;

class MappedFile {
 public:
  explicit MappedFile(const std::string &fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw DecodeError("cannot open " + fileName);
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && uint64_t(st.st_size) <= kMaxFileBytes && st.st_size > 0) {
      size_ = size_t(st.st_size);
      void *p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) data_ = static_cast<const uint8_t *>(p);
    }
    ::close(fd);  // the mapping keeps the file's pages reachable
    if (!ok) throw DecodeError("cannot read " + fileName);
    if (st.st_size == 0) throw DecodeError("empty file: " + fileName);
    if (uint64_t(st.st_size) > kMaxFileBytes) throw DecodeError("file too large: " + fileName);
    if (!data_) throw DecodeError("cannot map " + fileName);
  }
  ~MappedFile() { ::munmap(const_cast<uint8_t *>(data_), size_); }
  MappedFile(const MappedFile &) = delete;
  MappedFile &operator=(const MappedFile &) = delete;

  std::span<const uint8_t> bytes() const { return {data_, size_}; }

 private:
  const uint8_t *data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace

bool isMappedFormat(PictureFormat format) {
  return format == PictureFormat::Webp || format == PictureFormat::Heif ||
         format == PictureFormat::Jxl;
}

Decoded decodeMappedFile(PictureFormat format, const std::string &fileName,
                         const DecodeOptions &options) {
  const MappedFile file(fileName);
  switch (format) {
    case PictureFormat::Webp:
      return decodeWebp(file.bytes(), options);
    case PictureFormat::Heif:
      return decodeHeif(file.bytes(), options);
    case PictureFormat::Jxl:
      return decodeJxl(file.bytes(), options);
    default:
      break;
  }
  throw DecodeError("no reader for this format");
}

}  // namespace vantor
