#include "mpegplay/mpeg_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <utility>

#include "platform/paths.h"

namespace mpegplay {
namespace {

template <class F>
bool bind(void *handle, F &slot, const char *name) {
  slot = reinterpret_cast<F>(dlsym(handle, name));
  return slot != nullptr;
}

bool bindAll(void *h, MpegFunctions &f) {
  return bind(h, f.init, "init") & bind(h, f.deinit, "deinit") & bind(h, f.Open, "Open") &
         bind(h, f.SetPriority, "SetPriority") & bind(h, f.SetOutputDevice, "SetOutputDevice") &
         bind(h, f.Play, "Play") & bind(h, f.Restart, "Restart") & bind(h, f.Stop, "Stop") &
         bind(h, f.Close, "Close") & bind(h, f.Pause, "Pause") &
         bind(h, f.GetPlayerMode, "GetPlayerMode") & bind(h, f.GetCurrentPos, "GetCurrentPos") &
         bind(h, f.GetLength, "GetLength") & bind(h, f.LastError, "LastError") &
         bind(h, f.GetFrequency, "GetFrequency") & bind(h, f.GetBitrate, "GetBitrate") &
         bind(h, f.GetLayer, "GetLayer") & bind(h, f.ResetPlayerMode, "ResetPlayerMode") &
         bind(h, f.Seek, "Seek");
}

bool endsWithDll(const std::string &name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == ".dll";
}

}  // namespace

std::string platformLibraryName(const std::string &windowsName) {
  if (!endsWithDll(windowsName)) return windowsName;
  return "lib" + windowsName.substr(0, windowsName.size() - 4) + ".so";
}

std::string mpegLibraryPath(const std::string &pathToDll) {
  std::string folder = pathToDll;
  std::replace(folder.begin(), folder.end(), '\\', '/');
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + platformLibraryName("mpegdll.dll");
}

namespace {
std::mutex packagedMutex;
std::string packagedLibrary;  // guarded by packagedMutex
}  // namespace

void SetPackagedLibrary(const std::string &path) {
  std::lock_guard<std::mutex> lock(packagedMutex);
  packagedLibrary = path;
}

std::vector<std::string> libraryCandidates(const std::string &path) {
  if (path.find('/') != std::string::npos) return {path};
  std::vector<std::string> candidates;
  for (const std::string &folder : vantor::installedLibraryFolders())
    candidates.push_back(folder + path);
  candidates.push_back(path);
  std::lock_guard<std::mutex> lock(packagedMutex);
  if (!packagedLibrary.empty() && path == platformLibraryName("mpegdll.dll"))
    candidates.push_back(packagedLibrary);
  return candidates;
}

LoadResult MpegLibraryHandle::load(const std::string &path) {
  unload();
  void *h = nullptr;
  for (const std::string &candidate : libraryCandidates(path))
    if ((h = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
  if (!h) return LoadResult::NotFound;
  MpegFunctions f{};
  if (!bindAll(h, f)) {
    dlclose(h);
    return LoadResult::Incomplete;
  }
  handle_ = h;
  fn_ = f;
  return LoadResult::Loaded;
}

// Only for a library that never started playing: its decoding thread would
// otherwise run on in unmapped code.
void MpegLibraryHandle::unload() {
  if (handle_) dlclose(std::exchange(handle_, nullptr));
  fn_ = {};
}

}  // namespace mpegplay
