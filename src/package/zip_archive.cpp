#include "package/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "platform/cancel.h"
#include "platform/cp1252.h"

namespace vantor {

namespace {

constexpr size_t kChunk = size_t(1) << 16;
// The smallest local header: its fixed part; the name follows it.
constexpr uint64_t kLocalHeaderBytes = 30;

// libzip's error codes stay inside this file: callers see only the result.
struct ZipCloser {
  void operator()(zip_t *z) const { zip_discard(z); }
};
struct EntryCloser {
  void operator()(zip_file_t *f) const { zip_fclose(f); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;
using EntryHandle = std::unique_ptr<zip_file_t, EntryCloser>;

// A file descriptor closed when it goes.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// A temporary file in a folder that is removed unless it was renamed into
// place, also when extraction is cancelled by an exception.
class PartFile {
 public:
  explicit PartFile(int folderFd) : folder_(folderFd) {
    for (int attempt = 0; attempt < 8 && fd_ < 0; ++attempt) {
      name_ = UniqueTemporaryName();
      fd_ = openat(folder_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   0644);
    }
  }
  ~PartFile() {
    if (fd_ >= 0) close(fd_);
    if (!renamed_) unlinkat(folder_, name_.c_str(), 0);
  }
  PartFile(const PartFile &) = delete;
  PartFile &operator=(const PartFile &) = delete;
  int fd() const { return fd_; }
  // Closes the file and gives it its name, replacing a file or link there.
  [[nodiscard]] bool commit(const std::string &name) {
    const bool closed = close(std::exchange(fd_, -1)) == 0;
    renamed_ = closed && renameat(folder_, name_.c_str(), folder_, name.c_str()) == 0;
    return renamed_;
  }

 private:
  int folder_;
  int fd_ = -1;
  std::string name_;
  bool renamed_ = false;
};

bool isLinkEntry(zip_t *z, zip_uint64_t index) {
  zip_uint8_t opsys = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(z, index, 0, &opsys, &attributes) != 0) return false;
  if (opsys != ZIP_OPSYS_UNIX) return false;
  return ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// Why an entry must be skipped, or nullptr when it may be extracted.
const char *refusal(zip_t *z, zip_uint64_t index, const zip_stat_t &st) {
  if (!(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_COMP_SIZE)) return "no size";
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
    return "encrypted";
  if ((st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method != ZIP_CM_STORE &&
      st.comp_method != ZIP_CM_DEFLATE)
    return "unsupported compression";
  if (isLinkEntry(z, index)) return "symbolic link";
  if (st.size > (1u << 20) && st.size / std::max<zip_uint64_t>(st.comp_size, 1) > kMaxInflateRatio)
    return "implausible compression ratio";
  return nullptr;
}

bool writeAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

// Streams one entry into a temporary file in the folder and renames it into
// place when it has been read whole.
bool extractEntry(zip_t *z, zip_uint64_t index, zip_uint64_t size, int folderFd,
                  const std::string &name) {
  EntryHandle entry(zip_fopen_index(z, index, 0));
  if (!entry) return false;
  PartFile part(folderFd);
  if (part.fd() < 0) return false;
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  zip_uint64_t total = 0;
  for (;;) {
    ThrowIfCancelled();
    zip_int64_t n = zip_fread(entry.get(), buffer.get(), kChunk);
    if (n < 0) return false;  // a read or checksum error
    if (n == 0) break;
    total += zip_uint64_t(n);
    // The header's size bounds what is written, whatever the data claims.
    if (total > size || !writeAll(part.fd(), buffer.get(), size_t(n))) return false;
  }
  return total == size && part.commit(name);
}

uint64_t littleEndian(const unsigned char *p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// The number of entries that the archive's end record announces, read
// before libzip parses the central directory (which takes about 4 us per
// entry), or nothing when no end record is found; libzip then judges the
// file itself.
std::optional<uint64_t> announcedEntries(int fd, uint64_t fileSize) {
  constexpr uint64_t kEndRecord = 22, kMaxComment = 65535, kLocator = 20;
  const uint64_t window = std::min(fileSize, kEndRecord + kMaxComment + kLocator);
  std::vector<unsigned char> tail(window);
  if (window < kEndRecord ||
      pread(fd, tail.data(), window, off_t(fileSize - window)) != ssize_t(window))
    return std::nullopt;
  for (uint64_t at = window - kEndRecord + 1; at-- > 0;) {
    const unsigned char *end = tail.data() + at;
    if (littleEndian(end, 4) != 0x06054b50) continue;
    const uint64_t entries = littleEndian(end + 10, 2);
    if (entries != 0xFFFF) return entries;
    // A ZIP64 archive: the locator before the end record gives the place of
    // the ZIP64 end record, which holds the true count.
    if (at < kLocator || littleEndian(end - kLocator, 4) != 0x07064b50) return std::nullopt;
    const uint64_t place = littleEndian(end - kLocator + 8, 8);
    unsigned char record[40];
    if (place > fileSize - sizeof record ||
        pread(fd, record, sizeof record, off_t(place)) != ssize_t(sizeof record) ||
        littleEndian(record, 4) != 0x06064b50)
      return std::nullopt;
    return littleEndian(record + 32, 8);
  }
  return std::nullopt;
}

struct Planned {
  zip_uint64_t index;
  zip_uint64_t size;
  std::string name;
};

}  // namespace

uint64_t ArchiveOutputCap(uint64_t archiveBytes) {
  const uint64_t scaled = archiveBytes > kMaxArchiveOutputBytes / kArchiveOutputFactor
                              ? kMaxArchiveOutputBytes
                              : archiveBytes * kArchiveOutputFactor;
  return std::min(std::max(scaled, kMinArchiveOutputBytes), kMaxArchiveOutputBytes);
}

std::string UniqueTemporaryName() {
  static std::atomic<uint64_t> counter{0};
  return ".part-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

std::string safeEntryFileName(const std::string &storedName) {
  std::string name = isValidUtf8(storedName) ? storedName : cp1252ToUtf8(storedName);
  size_t cut = name.find_last_of("\\/:");
  if (cut != std::string::npos) name = name.substr(cut + 1);
  if (name == "." || name == "..") return {};
  for (char c : name)
    if (c == '\0') return {};
  return name;
}

namespace {

UnzipResult unzipOpenArchive(Fd &file, int folderFd) {
  UnzipResult result;
  ThrowIfCancelled();
  struct stat fileStat {};
  if (file.get() < 0 || fstat(file.get(), &fileStat) != 0 || !S_ISREG(fileStat.st_mode))
    return result;
  const uint64_t archiveBytes = uint64_t(fileStat.st_size);
  if (auto announced = announcedEntries(file.get(), archiveBytes);
      announced && *announced > kMaxArchiveEntries) {
    result.opened = true;
    result.refused = "too many entries";
    return result;
  }
  int error = 0;
  // The consistency check compares each local header with the central
  // directory and keeps every entry inside the file.
  ZipHandle z(zip_fdopen(file.get(), ZIP_CHECKCONS, &error));
  if (!z) {
    if (error == ZIP_ER_INCONS) {
      result.opened = true;
      result.refused = "inconsistent archive";
    }
    return result;
  }
  file.release();  // the archive owns the descriptor now
  result.opened = true;
  const zip_int64_t count = zip_get_num_entries(z.get(), 0);
  if (count < 0 || uint64_t(count) > kMaxArchiveEntries) {
    result.refused = "too many entries";
    return result;
  }
  // First every entry is looked at; nothing is written unless the archive as
  // a whole is sound.
  std::vector<Planned> plan;
  uint64_t footprint = 0, output = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const zip_uint64_t index = zip_uint64_t(i);
    const char *raw = zip_get_name(z.get(), index, ZIP_FL_ENC_RAW);
    if (!raw) continue;
    std::string stored(raw);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z.get(), index, ZIP_FL_ENC_RAW, &st) != 0) continue;
    if (st.valid & ZIP_STAT_COMP_SIZE)
      footprint += kLocalHeaderBytes + stored.size() + st.comp_size;
    std::string name = safeEntryFileName(stored);
    if (name.empty()) {  // folder entries and names with nothing left
      if (!stored.empty() && stored.back() != '/' && stored.back() != '\\')
        result.skipped.push_back(stored + ": no usable file name");
      continue;
    }
    if (const char *why = refusal(z.get(), index, st)) {
      result.skipped.push_back(stored + ": " + why);
      continue;
    }
    output += st.size;
    plan.push_back({index, st.size, std::move(name)});
  }
  // Entries that each hold their own bytes fit in the file; entries whose
  // data overlap claim more than it holds, and inflate the same bytes again
  // and again.
  if (footprint > archiveBytes) {
    result.refused = "entries overlap";
  } else if (output > ArchiveOutputCap(archiveBytes)) {
    result.refused = "too much to unpack";
  }
  if (!result.refused.empty()) {
    result.skipped.clear();
    return result;
  }
  for (const Planned &p : plan) {
    ThrowIfCancelled();
    if (extractEntry(z.get(), p.index, p.size, folderFd, p.name))
      result.extracted.push_back(p.name);
    else
      result.skipped.push_back(p.name + ": damaged");
  }
  return result;
}

}  // namespace

UnzipResult UnzipArchiveAt(int folderFd, const std::string &archiveName) {
  Fd file(openat(folderFd, archiveName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  return unzipOpenArchive(file, folderFd);
}

UnzipResult UnzipArchive(const std::string &archivePath, const std::string &destFolder) {
  std::string folder = destFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  Fd dest(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (dest.get() < 0) return {};
  Fd archive(open(archivePath.c_str(), O_RDONLY | O_CLOEXEC));
  return unzipOpenArchive(archive, dest.get());
}

}  // namespace vantor
