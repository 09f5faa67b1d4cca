// The MPEG audio library's function table, bound at run time. This is the
// only place that touches the dynamic loader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mpegplay {

struct MpegFunctions {
  uint8_t (*init)();
  void (*deinit)();
  void (*Open)(const char *name, int32_t fromStream, void *onOpen, void *onClose, void *onRestart,
               void *onGetSize, void *onSeek, void *onRead, void *context);
  void (*SetPriority)(int32_t priority);
  void (*SetOutputDevice)(int32_t device, const char *outFileName);
  int32_t (*Play)(int32_t startPos, int32_t endPos, volatile uint8_t *endFlag);
  void (*Restart)();
  void (*Stop)();
  void (*Close)();
  void (*Pause)();
  int32_t (*GetPlayerMode)();
  int32_t (*GetCurrentPos)();
  int32_t (*GetLength)();
  int32_t (*LastError)();
  int32_t (*GetFrequency)();
  int32_t (*GetBitrate)();
  int32_t (*GetLayer)();
  void (*ResetPlayerMode)();
  void (*Seek)(int32_t positionMs);
};

// "x.dll" becomes "libx.so"; other names are kept.
std::string platformLibraryName(const std::string &windowsName);

// The file that a PathToDLL names: the folder (with "\" read as "/") and the
// library's platform name; an empty folder leaves the search to the loader.
std::string mpegLibraryPath(const std::string &pathToDll);

// The MPEG library that the running package carries, unpacked into the
// private work folder for this run only; "" for none. Safe to call from any
// thread.
void SetPackagedLibrary(const std::string &path);

// Where to look, in order. A bare name is tried among the installed
// libraries: in the program's own folder first, as the Windows loader does,
// then in the system folder under the install prefix, and then by the
// loader's search (the loader's own run path lookup depends on which object
// calls dlopen, which wrappers such as sanitizers change). Only when none of
// them loads is the MPEG library of the running package tried.
std::vector<std::string> libraryCandidates(const std::string &path);

enum class LoadResult { Loaded, NotFound, Incomplete };

// Loads the library and binds all of its exports, or nothing.
class MpegLibraryHandle {
 public:
  LoadResult load(const std::string &path);
  void unload();
  bool loaded() const { return handle_ != nullptr; }
  const MpegFunctions &fn() const { return fn_; }

 private:
  void *handle_ = nullptr;
  MpegFunctions fn_{};
};

}  // namespace mpegplay
