#include "package/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <memory>

#include "platform/cp1252.h"

namespace vantor {

namespace {

// libzip's error codes stay inside this file: callers see only the result.
struct ZipCloser {
  void operator()(zip_t *z) const { zip_discard(z); }
};
struct EntryCloser {
  void operator()(zip_file_t *f) const { zip_fclose(f); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;
using EntryHandle = std::unique_ptr<zip_file_t, EntryCloser>;

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
  if (st.size > kMaxEntryBytes) return "too large";
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

// Streams one entry into a temporary file in the destination and renames it
// into place when it has been read whole.
bool extractEntry(zip_t *z, zip_uint64_t index, zip_uint64_t size, const std::string &target) {
  EntryHandle entry(zip_fopen_index(z, index, 0));
  if (!entry) return false;
  std::string temp = target + ".part-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  std::unique_ptr<char[]> buffer(new char[1 << 16]);
  zip_uint64_t total = 0;
  bool ok = true;
  for (;;) {
    zip_int64_t n = zip_fread(entry.get(), buffer.get(), 1 << 16);
    if (n < 0) ok = false;  // a read or checksum error
    if (n <= 0) break;
    total += zip_uint64_t(n);
    // The header's size bounds what is written, whatever the data claims.
    if (total > size || !writeAll(fd, buffer.get(), size_t(n))) {
      ok = false;
      break;
    }
  }
  ok = (close(fd) == 0) && ok && total == size;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace

std::string safeEntryFileName(const std::string &storedName) {
  std::string name = isValidUtf8(storedName) ? storedName : cp1252ToUtf8(storedName);
  size_t cut = name.find_last_of("\\/:");
  if (cut != std::string::npos) name = name.substr(cut + 1);
  if (name == "." || name == "..") return {};
  for (char c : name)
    if (c == '\0') return {};
  return name;
}

UnzipResult UnzipArchive(const std::string &archivePath, const std::string &destFolder) {
  UnzipResult result;
  int error = 0;
  ZipHandle z(zip_open(archivePath.c_str(), ZIP_RDONLY, &error));
  if (!z) return result;
  result.opened = true;
  zip_int64_t count = zip_get_num_entries(z.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char *raw = zip_get_name(z.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
    if (!raw) continue;
    std::string stored(raw);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(z.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW, &st) != 0) continue;
    std::string name = safeEntryFileName(stored);
    if (name.empty()) {  // folder entries and names with nothing left
      if (!stored.empty() && stored.back() != '/' && stored.back() != '\\')
        result.skipped.push_back(stored + ": no usable file name");
      continue;
    }
    if (const char *why = refusal(z.get(), zip_uint64_t(i), st)) {
      result.skipped.push_back(stored + ": " + why);
      continue;
    }
    if (extractEntry(z.get(), zip_uint64_t(i), st.size, destFolder + name))
      result.extracted.push_back(name);
    else
      result.skipped.push_back(stored + ": damaged");
  }
  return result;
}

}  // namespace vantor
