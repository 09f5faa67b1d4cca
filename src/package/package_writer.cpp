#include "package/package_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include "package/content_package.h"
#include "platform/cancel.h"
#include "platform/cp1252.h"
#include "platform/paths.h"
#include "settings/ini_file.h"

namespace vantor {

namespace {

constexpr size_t kChunk = size_t(1) << 20;
constexpr std::string_view kMarker = "#vantor#";

std::string systemError() {
  return std::strerror(errno);
}

// The package while it is written: a temporary file beside the output, so
// that a failed or interrupted pack never leaves a partial file under the
// output's name. It is renamed over the output only when complete.
class PartFile {
 public:
  explicit PartFile(const std::string &output) {
    const std::string folder(folderOf(output));
    temp_ = folder + "." + std::string(fileNameOf(output)) + ".part-XXXXXX";
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0) temp_.clear();
  }
  ~PartFile() {
    if (fd_ >= 0) close(fd_);
    if (!temp_.empty()) unlink(temp_.c_str());
    unlink(scratchPath().c_str());
  }
  PartFile(const PartFile &) = delete;
  PartFile &operator=(const PartFile &) = delete;

  bool isOpen() const { return fd_ >= 0; }
  uint64_t size() const { return size_; }
  // A file beside the package for one item's archive at a time.
  std::string scratchPath() const { return temp_.empty() ? std::string() : temp_ + ".item"; }

  [[nodiscard]] bool write(const char *data, size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= size_t(n);
      size_ += uint64_t(n);
    }
    return true;
  }

  // Appends the whole file at `path`, a chunk at a time. A failure tells
  // which side failed.
  Status append(const std::string &path) {
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Status::failure("cannot read " + path + ": " + systemError());
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    Status done;
    for (;;) {
      if (CancelRequested()) {
        done = Status::failure("cancelled");
        break;
      }
      const ssize_t n = read(in, buffer.get(), kChunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0)
        done = Status::failure("cannot read " + path + ": " + systemError());
      else if (n > 0 && !write(buffer.get(), size_t(n)))
        done = Status::failure("cannot write the package: " + systemError());
      if (!done || n == 0) break;
    }
    close(in);
    return done;
  }

  // The last `count` bytes written (fewer when the file is shorter).
  [[nodiscard]] bool readTail(size_t count, std::string &out) const {
    const uint64_t n = std::min<uint64_t>(count, size_);
    out.assign(size_t(n), '\0');
    return pread(fd_, out.data(), out.size(), off_t(size_ - n)) == ssize_t(n);
  }

  // Makes the file executable (as far as the umask allows, like a program
  // the linker writes), puts it on the disk and renames it over `output`.
  [[nodiscard]] bool commit(const std::string &output) {
    const mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd_, 0777 & ~mask) == 0 && fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && rename(temp_.c_str(), output.c_str()) == 0;
    if (!ok) return false;
    temp_.clear();
    const std::string folder(folderOf(output));
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
    return true;
  }

 private:
  std::string temp_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Writes a ZIP archive with the file `source` as its one deflated entry
// `entryName` to `archive`. libzip streams the file through the compressor.
Status zipFileTo(const std::string &archive, const std::string &entryName,
                 const std::string &source) {
  int code = 0;
  zip_t *z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!z) return Status::failure("cannot write the package: " + systemError());
  zip_register_cancel_callback_with_state(
      z, [](zip_t *, void *) { return CancelRequested() ? 1 : 0; }, nullptr, nullptr);
  zip_source_t *file = zip_source_file(z, source.c_str(), 0, -1);
  if (!file || zip_file_add(z, entryName.c_str(), file, ZIP_FL_ENC_GUESS) < 0) {
    Status failed = Status::failure("cannot read " + source + ": " + zip_strerror(z));
    if (file) zip_source_free(file);
    zip_discard(z);
    return failed;
  }
  if (zip_close(z) != 0) {
    Status failed = Status::failure(
        CancelRequested() ? "cancelled" : "cannot compress " + source + ": " + zip_strerror(z));
    zip_discard(z);
    return failed;
  }
  return {};
}

uint64_t fileSize(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

}  // namespace

std::string MakeZip(const std::string &entryName, const std::string &data) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t *z = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  if (!z) {
    if (buffer) zip_source_free(buffer);
    return {};
  }
  zip_source_keep(buffer);  // read the bytes back after closing the archive
  zip_source_t *entry = zip_source_buffer(z, data.data(), data.size(), 0);
  if (!entry || zip_file_add(z, entryName.c_str(), entry, ZIP_FL_ENC_GUESS) < 0) {
    if (entry) zip_source_free(entry);
    zip_discard(z);
    zip_source_free(buffer);
    return {};
  }
  std::string out;
  if (zip_close(z) == 0 && zip_source_open(buffer) == 0) {
    char chunk[65536];
    zip_int64_t n;
    while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0) out.append(chunk, size_t(n));
    zip_source_close(buffer);
  } else {
    zip_discard(z);
  }
  zip_source_free(buffer);
  return out;
}

Status WritePackage(const std::string &program, const std::string &output,
                    const std::string &settingsText, const std::string &settingsName,
                    const std::vector<PackItem> &items, const PackProgressFn &progress) {
  const auto fail = [](const std::string &why) { return Status::failure(why); };
  PartFile part(output);
  if (!part.isOpen()) return fail("cannot write " + output + ": " + systemError());
  PackProgress done;
  done.itemsTotal = items.size();
  done.bytesTotal = fileSize(program);
  for (const PackItem &item : items) done.bytesTotal += fileSize(item.path);
  auto report = [&](const std::string &path) {
    done.bytesDone += fileSize(path);
    if (progress) progress(done);
  };

  if (Status appended = part.append(program); !appended) return appended;
  report(program);
  IniFile ini;
  ini.loadFromText(utf8ToCp1252(settingsText));
  const std::string scratch = part.scratchPath();
  for (const PackItem &item : items) {
    ini.writeString("zippos", item.key + "_1", std::to_string(part.size()));
    if (item.raw || item.zipped) {
      if (Status appended = part.append(item.path); !appended) return appended;
    } else {
      if (Status zipped = zipFileTo(scratch, item.entry.empty() ? item.key : item.entry, item.path);
          !zipped)
        return zipped;
      if (Status appended = part.append(scratch); !appended) return appended;
      unlink(scratch.c_str());
    }
    ini.writeString("zippos", item.key + "_2", std::to_string(part.size()));
    if (item.raw) ini.writeInteger("notzip", item.key, 1);
    ++done.itemsDone;
    report(item.path);
  }

  const std::string archive = MakeZip(settingsName, ini.toText());
  if (archive.empty()) return fail("cannot compress the settings");
  const std::string trailer = std::string(kMarker) + utf8ToCp1252(settingsName) + "**" + archive;
  if (trailer.size() > kTrailerWindow)
    return fail("the settings with the table of " + std::to_string(items.size()) + " items take " +
                std::to_string(trailer.size()) + " bytes packed, more than " +
                std::to_string(kTrailerWindow) + " can hold; pack fewer files");
  // The program takes the first marker in its last bytes. When the bytes
  // before the trailer hold one there (an item's data, or the program's own
  // in a small package), filler pushes them out of that window.
  const size_t before = size_t(kTrailerWindow) - trailer.size();
  std::string tail;
  if (!part.readTail(before, tail)) return fail("cannot read back the package: " + systemError());
  tail.append(trailer, 0, kMarker.size() - 1);
  if (tail.find(kMarker) != std::string::npos) {
    const std::string filler(before, '\0');
    if (!part.write(filler.data(), filler.size()))
      return fail("cannot write " + output + ": " + systemError());
  }
  if (!part.write(trailer.data(), trailer.size()) || !part.commit(output))
    return fail("cannot write " + output + ": " + systemError());
  return {};
}

}  // namespace vantor
