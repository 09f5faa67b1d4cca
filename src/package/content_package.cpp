#include "package/content_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "package/zip_archive.h"
#include "platform/atomic_file.h"
#include "platform/dynamic_library.h"
#include "platform/paths.h"
#include "settings/ini_file.h"

namespace vantor {

namespace {

constexpr std::string_view kMarker = "#vantor#";

// Reads a position of the item table: a non-negative decimal number of up to
// 18 digits, or 0 when it is missing or not a number.
uint64_t readPosition(const IniFile &ini, const std::string &key) {
  auto text = ini.value("zippos", key);
  if (!text) return 0;
  std::string s = *text;
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  if (s.empty() || s.size() > 18) return 0;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + uint64_t(c - '0');
  }
  return v;
}

// Copies `length` bytes at `offset` of `fd` into a new file at `path`,
// replacing it only when the copy is complete.
bool copyRange(int fd, uint64_t offset, uint64_t length, const std::string &path) {
  std::string temp = path + ".part-XXXXXX";
  int out = mkstemp(temp.data());
  if (out < 0) return false;
  std::unique_ptr<char[]> buffer(new char[1 << 16]);
  bool ok = true;
  while (ok && length > 0) {
    size_t chunk = size_t(std::min<uint64_t>(length, 1 << 16));
    ssize_t n = pread(fd, buffer.get(), chunk, off_t(offset));
    ok = n > 0 && write(out, buffer.get(), size_t(n)) == n;
    if (ok) offset += uint64_t(n), length -= uint64_t(n);
  }
  ok = (close(out) == 0) && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

bool copyFile(const std::string &from, const std::string &to) {
  int fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0 && copyRange(fd, 0, uint64_t(st.st_size), to);
  close(fd);
  return ok;
}

}  // namespace

Trailer ParseTrailer(const std::string &tail) {
  Trailer t;
  size_t marker = tail.find(kMarker);
  if (marker == std::string::npos) return t;
  size_t nameStart = marker + kMarker.size();
  size_t stars = tail.find("**", nameStart);
  if (stars == std::string::npos) return t;  // cut off before the archive
  t.settingsName = safeEntryFileName(tail.substr(nameStart, stars - nameStart));
  if (t.settingsName.empty()) return t;
  t.archive = tail.substr(stars + 2);
  t.found = true;
  return t;
}

ContentPackage::~ContentPackage() {
  if (fd_ >= 0) close(fd_);
}

ContentPackage::ContentPackage(ContentPackage &&other) noexcept {
  *this = std::move(other);
}

ContentPackage &ContentPackage::operator=(ContentPackage &&other) noexcept {
  if (this == &other) return *this;
  if (fd_ >= 0) close(fd_);
  fd_ = other.fd_;
  fileSize_ = other.fileSize_;
  forceFullScreen_ = other.forceFullScreen_;
  workFolder_ = std::move(other.workFolder_);
  settingsPath_ = std::move(other.settingsPath_);
  other.fd_ = -1;
  return *this;
}

ContentPackage ContentPackage::Scan(const std::string &programPath, const std::string &workFolder) {
  ContentPackage p;
  int fd = open(programPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return p;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return p;
  }
  const uint64_t size = uint64_t(st.st_size);
  const uint64_t window = std::min(size, kTrailerWindow);
  std::string tail(size_t(window), '\0');
  Trailer t;
  if (pread(fd, tail.data(), tail.size(), off_t(size - window)) == ssize_t(window))
    t = ParseTrailer(tail);
  if (!t.found || workFolder.empty()) {
    close(fd);
    return p;
  }
  p.fd_ = fd;
  p.fileSize_ = size;
  p.workFolder_ = workFolder;
  p.forceFullScreen_ = upperAscii(extensionOf(programPath)) == ".EXE";
  const std::string archive = workFolder + t.settingsName + "~";
  if (writeFileAtomically(archive, t.archive)) UnzipArchive(archive, workFolder);
  p.settingsPath_ = workFolder + t.settingsName;
  return p;
}

void ContentPackage::ExtractItem(const IniFile &ini, const std::string &key,
                                 const std::string &targetPath,
                                 const std::string &destFolder) const {
  if (!present()) return;
  const uint64_t start = readPosition(ini, key + "_1");
  const uint64_t end = readPosition(ini, key + "_2");
  if (start == 0 || end == 0) return;
  if (end <= start || end > fileSize_) return;  // nothing is read by such numbers
  const std::string copy = targetPath + "~";
  if (!copyRange(fd_, start, end - start, copy)) return;
  if (ini.readBool("notzip", key, false))
    copyFile(copy, targetPath);
  else
    UnzipArchive(copy, destFolder.empty() ? workFolder_ : destFolder);
}

void ContentPackage::EnsureMpegLibrary(const IniFile &ini, const std::string &systemFolder) const {
  if (!present()) return;
  // The library file as the loader looks for it on this platform.
  if (fileExists(systemFolder + sharedLibraryName("MPEGDLL.DLL"))) return;
  std::error_code ec;
  std::filesystem::create_directories(systemFolder, ec);
  ExtractItem(ini, "MPEGDLL.DLL", workFolder_ + "MPEGDLL.DLL", systemFolder);
}

}  // namespace vantor
