#pragma once
// The content package appended to the program's own file: item data, then a
// trailer "#vantor#" + settings file name + "**" + ZIP archive of the
// settings file, which must begin within the last 150000 bytes.

#include <cstdint>
#include <string>

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
  // file into `workFolder` and keeps the program file open for extraction.
  static ContentPackage Scan(const std::string &programPath, const std::string &workFolder);

  bool present() const { return fd_ >= 0; }
  // The program's file name ends in ".exe" (any case) and carries a package.
  bool forceFullScreen() const { return forceFullScreen_; }
  // Work folder + settings file name; empty without a package.
  const std::string &settingsPath() const { return settingsPath_; }
  uint64_t fileSize() const { return fileSize_; }

  // Cuts the item `key` out of the program file into targetPath + "~"; then
  // a raw item is copied to targetPath, and a ZIP item is unpacked into
  // destFolder (the work folder when empty). Items whose positions are
  // missing, out of order or past the end of the file are not extracted.
  // The caller tests whether targetPath exists afterwards.
  void ExtractItem(const IniFile &ini, const std::string &key, const std::string &targetPath,
                   const std::string &destFolder) const;

  // Makes the MPEG library of the item "MPEGDLL.DLL" available: nothing when
  // the system folder already has the library ("libmpegdll.so"), else the
  // item is extracted (a raw item into the work folder, a ZIP item into the
  // system folder).
  void EnsureMpegLibrary(const IniFile &ini, const std::string &systemFolder) const;

 private:
  int fd_ = -1;
  uint64_t fileSize_ = 0;
  bool forceFullScreen_ = false;
  std::string workFolder_;
  std::string settingsPath_;
};

// Finds the trailer in the last bytes of a file. Exposed for tests and fuzzing.
struct Trailer {
  bool found = false;
  std::string settingsName;  // UTF-8, a bare file name
  std::string archive;       // the settings archive's bytes
};
Trailer ParseTrailer(const std::string &tail);

}  // namespace vantor
