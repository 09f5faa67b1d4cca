#pragma once
// The content package appended to the program's own file: item data, then a
// trailer "#vantor#" + settings file name + "**" + ZIP archive of the
// settings file, which must begin within the last 150000 bytes.

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace vantor {

class IniFile;

constexpr uint64_t kTrailerWindow = 150000;

class ContentPackage {
 public:
  ContentPackage() = default;
  ~ContentPackage();
  ContentPackage(ContentPackage &&other) noexcept;
  ContentPackage &operator=(ContentPackage &&other) noexcept;
  ContentPackage(const ContentPackage &) = delete;
  ContentPackage &operator=(const ContentPackage &) = delete;

  // Looks for the trailer in `programPath`; when found, unpacks the settings
  // file into the work folder and keeps the program file open for
  // extraction. The work folder is the open folder `workFolderFd` (its own
  // descriptor is kept), or, when that is -1, `workFolder` opened as a
  // private folder. Every file is made through that descriptor. A package
  // whose work folder cannot be opened is not present; scanStatus() says why,
  // and why the settings could not be unpacked.
  static ContentPackage Scan(const std::string &programPath, const std::string &workFolder,
                             int workFolderFd = -1);

  bool present() const { return fd_ >= 0; }
  // The program's file name ends in ".exe" (any case) and carries a package.
  bool forceFullScreen() const { return forceFullScreen_; }
  // The settings file in the work folder, named through the folder opened
  // at the scan ("/proc/self/fd/N/" + name, valid while this object lives);
  // empty without a package.
  const std::string &settingsPath() const { return settingsPath_; }
  uint64_t fileSize() const { return fileSize_; }
  const Status &scanStatus() const { return scanStatus_; }

  // Cuts the item `key` out of the program file into the work folder as
  // fileName + "~"; then a raw item is copied to fileName, and a ZIP item is
  // unpacked into the work folder. Items whose positions are missing, out of
  // order or past the end of the file are not extracted. A failure says why
  // nothing was written; after a success the caller still tests whether the
  // file it wants exists (HasFile), as an archive names its own entries.
  // Safe to call from several threads; throws Cancelled when the calling
  // thread's cancel flag is set.
  Status ExtractItem(const IniFile &ini, const std::string &key, const std::string &fileName) const;

  // Whether the work folder holds a regular file `fileName`; a link there
  // counts as missing.
  bool HasFile(const std::string &fileName) const;

  // The item `key` as the regular file `fileName` in the work folder,
  // extracted when it is missing (a link in its place is replaced) and made
  // readable as a plain file (mode 0644, never through a link). Success when
  // the file is there.
  Status ProvideFile(const IniFile &ini, const std::string &key, const std::string &fileName) const;

  // The work folder's path as the loader should use it: bound to the folder
  // that was opened, whatever happens to its name ("/proc/self/fd/N/").
  std::string pinnedWorkFolder() const;

  // The MPEG library of the item "MPEGDLL.DLL", for this run only: when no
  // installed library is found (installedLibraryFolders()), the item is
  // extracted into the work folder (a raw item as "MPEGDLL.DLL", a ZIP item
  // under its entry's name, "libmpegdll.so") and the pinned path of the
  // library file is returned; otherwise "", also when the item is no Linux
  // library (a package built for Windows), or a failure that says why the
  // item could not be extracted. Nothing is ever written where a later run
  // looks for code.
  Result<std::string> EnsureMpegLibrary(const IniFile &ini) const;

 private:
  int fd_ = -1;
  int workFd_ = -1;
  uint64_t fileSize_ = 0;
  bool forceFullScreen_ = false;
  std::string workFolder_;
  std::string settingsPath_;
  Status scanStatus_;
};

// Finds the trailer in the last bytes of a file. Exposed for tests and fuzzing.
struct Trailer {
  bool found = false;
  std::string settingsName;  // UTF-8, a bare file name
  std::string archive;       // the settings archive's bytes
};
Trailer ParseTrailer(const std::string &tail);

}  // namespace vantor
