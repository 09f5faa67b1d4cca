#include "package/content_package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "package/work_folder.h"
#include "package/zip_archive.h"
#include "platform/cancel.h"
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

Status systemFailure(const std::string &what, int error) {
  return Status::failure(what + ": " + std::strerror(error));
}

// Writes `length` bytes at `offset` of `fd` into a new file `name` of the
// folder `folderFd`, replacing it (or a link in its place) only when the copy
// is complete.
Status copyRange(int fd, uint64_t offset, uint64_t length, int folderFd, const std::string &name) {
  const std::string temp = UniqueTemporaryName();
  int out =
      openat(folderFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (out < 0) return systemFailure("cannot write " + name, errno);
  std::unique_ptr<char[]> buffer(new char[1 << 16]);
  int error = 0;
  try {
    while (error == 0 && length > 0) {
      ThrowIfCancelled();
      size_t chunk = size_t(std::min<uint64_t>(length, 1 << 16));
      const ssize_t n = pread(fd, buffer.get(), chunk, off_t(offset));
      if (n <= 0) {
        error = n < 0 ? errno : EIO;  // the program file ended early
        break;
      }
      errno = 0;
      if (write(out, buffer.get(), size_t(n)) != n) {
        error = errno != 0 ? errno : ENOSPC;  // a short write: the disk is full
        break;
      }
      offset += uint64_t(n), length -= uint64_t(n);
    }
  } catch (...) {
    close(out);
    unlinkat(folderFd, temp.c_str(), 0);
    throw;
  }
  if (close(out) != 0 && error == 0) error = errno;
  if (error == 0 && renameat(folderFd, temp.c_str(), folderFd, name.c_str()) != 0) error = errno;
  if (error == 0) return {};
  unlinkat(folderFd, temp.c_str(), 0);
  return systemFailure("cannot write " + name, error);
}

// Writes `bytes` as the file `name` of the folder `folderFd`.
Status writeAt(int folderFd, const std::string &name, const std::string &bytes) {
  const std::string temp = UniqueTemporaryName();
  int out =
      openat(folderFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (out < 0) return systemFailure("cannot write " + name, errno);
  int error = 0;
  for (size_t done = 0; error == 0 && done < bytes.size();) {
    ssize_t n = write(out, bytes.data() + done, bytes.size() - done);
    if (n > 0)
      done += size_t(n);
    else
      error = n < 0 ? errno : ENOSPC;
  }
  if (close(out) != 0 && error == 0) error = errno;
  if (error == 0 && renameat(folderFd, temp.c_str(), folderFd, name.c_str()) != 0) error = errno;
  if (error == 0) return {};
  unlinkat(folderFd, temp.c_str(), 0);
  return systemFailure("cannot write " + name, error);
}

Status copyFileAt(int folderFd, const std::string &from, const std::string &to) {
  int fd = openat(folderFd, from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return systemFailure("cannot read " + from, errno);
  struct stat st {};
  Status done;
  try {
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
      done = Status::failure("cannot read " + from + ": not a plain file");
    else
      done = copyRange(fd, 0, uint64_t(st.st_size), folderFd, to);
  } catch (...) {
    close(fd);
    throw;
  }
  close(fd);
  return done;
}

// An archive unpacked: a failure when it was no archive, was refused as a
// whole, or gave no file.
Status unpacked(const UnzipResult &r, const std::string &archive) {
  if (!r.opened) return Status::failure(archive + " is not a readable ZIP archive");
  if (!r.refused.empty()) return Status::failure(archive + " refused: " + r.refused);
  if (!r.extracted.empty()) return {};
  std::string why = archive + " gave no file";
  for (const std::string &skipped : r.skipped) why += "; " + skipped;
  return Status::failure(why);
}

// A package built for Windows carries a Windows library under the same item
// name; only an ELF file can be loaded here.
bool isElfAt(int folderFd, const std::string &name) {
  int fd = openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[4] = {};
  const bool elf = read(fd, magic, 4) == 4 && magic[0] == 0x7F && magic[1] == 'E' &&
                   magic[2] == 'L' && magic[3] == 'F';
  close(fd);
  return elf;
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
  if (workFd_ >= 0) close(workFd_);
}

ContentPackage::ContentPackage(ContentPackage &&other) noexcept {
  *this = std::move(other);
}

ContentPackage &ContentPackage::operator=(ContentPackage &&other) noexcept {
  if (this == &other) return *this;
  if (fd_ >= 0) close(fd_);
  if (workFd_ >= 0) close(workFd_);
  fd_ = other.fd_;
  workFd_ = other.workFd_;
  fileSize_ = other.fileSize_;
  forceFullScreen_ = other.forceFullScreen_;
  workFolder_ = std::move(other.workFolder_);
  settingsPath_ = std::move(other.settingsPath_);
  scanStatus_ = std::move(other.scanStatus_);
  other.fd_ = -1;
  other.workFd_ = -1;
  return *this;
}

ContentPackage ContentPackage::Scan(const std::string &programPath, const std::string &workFolder,
                                    int workFolderFd) {
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
  Result<int> work = workFolderFd >= 0 ? Result<int>(fcntl(workFolderFd, F_DUPFD_CLOEXEC, 0))
                                       : OpenPrivateFolder(workFolder);
  if (work && *work < 0) work = systemFailure("cannot open the work folder", errno);
  if (!work) {
    p.scanStatus_ = work.status();
    close(fd);
    return p;
  }
  p.workFd_ = *work;
  p.fd_ = fd;
  p.fileSize_ = size;
  p.workFolder_ = workFolder;
  p.forceFullScreen_ = upperAscii(extensionOf(programPath)) == ".EXE";
  const std::string archive = t.settingsName + "~";
  p.scanStatus_ = writeAt(p.workFd_, archive, t.archive);
  if (p.scanStatus_) p.scanStatus_ = unpacked(UnzipArchiveAt(p.workFd_, archive), archive);
  // Read and saved through the folder that was opened, whatever happens to
  // the folder's name meanwhile.
  p.settingsPath_ = p.pinnedWorkFolder() + t.settingsName;
  return p;
}

Status ContentPackage::ExtractItem(const IniFile &ini, const std::string &key,
                                   const std::string &fileName) const {
  if (!present() || fileName.empty()) return Status::failure("no package to extract from");
  const uint64_t start = readPosition(ini, key + "_1");
  const uint64_t end = readPosition(ini, key + "_2");
  if (start == 0 || end == 0) return Status::failure("the package has no item " + key);
  // Nothing is read by such numbers.
  if (end <= start || end > fileSize_)
    return Status::failure("the item " + key + " lies outside the package");
  const std::string copy = fileName + "~";
  if (Status copied = copyRange(fd_, start, end - start, workFd_, copy); !copied) return copied;
  if (ini.readBool("notzip", key, false)) return copyFileAt(workFd_, copy, fileName);
  return unpacked(UnzipArchiveAt(workFd_, copy), copy);
}

bool ContentPackage::HasFile(const std::string &fileName) const {
  struct stat st {};
  return workFd_ >= 0 && !fileName.empty() &&
         fstatat(workFd_, fileName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

Status ContentPackage::ProvideFile(const IniFile &ini, const std::string &key,
                                   const std::string &fileName) const {
  if (!present() || fileName.empty()) return Status::failure("no package to extract from");
  Status extracted;
  if (!HasFile(fileName)) extracted = ExtractItem(ini, key, fileName);
  // Opened without following a link, so the mode change reaches only our
  // own file.
  int fd = openat(workFd_, fileName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return extracted ? systemFailure("cannot open " + fileName, errno) : extracted;
  struct stat st {};
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (regular && (st.st_mode & 07777) != 0644) fchmod(fd, 0644);  // a plain file
  close(fd);
  return regular ? Status() : Status::failure(fileName + " is not a plain file");
}

std::string ContentPackage::pinnedWorkFolder() const {
  return PinnedFolderPath(workFd_);
}

Result<std::string> ContentPackage::EnsureMpegLibrary(const IniFile &ini) const {
  if (!present()) return std::string();
  // The library file as the loader looks for it on this platform.
  const std::string library = sharedLibraryName("MPEGDLL.DLL");
  for (const std::string &folder : installedLibraryFolders())
    if (fileExists(folder + library)) return std::string();
  const Status extracted = ExtractItem(ini, "MPEGDLL.DLL", "MPEGDLL.DLL");
  for (const std::string &name : {library, std::string("MPEGDLL.DLL")})
    if (HasFile(name) && isElfAt(workFd_, name)) return pinnedWorkFolder() + name;
  if (!extracted) return extracted;
  // Not one for this system (a package built for Windows): the installed
  // library plays instead.
  return std::string();
}

}  // namespace vantor
