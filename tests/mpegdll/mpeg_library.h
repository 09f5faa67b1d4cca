// The MPEG audio library bound through dlopen with its C signatures, as an
// outside program binds it.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>

struct MpegLibrary {
  using Callback = void *;
  uint8_t (*init)() = nullptr;
  void (*deinit)() = nullptr;
  void (*Open)(const char *, int32_t, Callback, Callback, Callback, Callback, Callback, Callback,
               void *) = nullptr;
  void (*SetPriority)(int32_t) = nullptr;
  void (*SetOutputDevice)(int32_t, const char *) = nullptr;
  int32_t (*Play)(int32_t, int32_t, volatile uint8_t *) = nullptr;
  void (*Restart)() = nullptr;
  void (*Stop)() = nullptr;
  void (*Close)() = nullptr;
  void (*Pause)() = nullptr;
  int32_t (*GetPlayerMode)() = nullptr;
  int32_t (*GetCurrentPos)() = nullptr;
  int32_t (*GetLength)() = nullptr;
  int32_t (*LastError)() = nullptr;
  int32_t (*GetFrequency)() = nullptr;
  int32_t (*GetBitrate)() = nullptr;
  int32_t (*GetLayer)() = nullptr;
  void (*ResetPlayerMode)() = nullptr;
  void (*Seek)(int32_t) = nullptr;

  int missing = 0;
  void *handle = nullptr;

  explicit MpegLibrary(const std::string &path) {
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
#define VANTOR_BIND(fn) bind(fn, #fn)
    VANTOR_BIND(init), VANTOR_BIND(deinit), VANTOR_BIND(Open), VANTOR_BIND(SetPriority);
    VANTOR_BIND(SetOutputDevice), VANTOR_BIND(Play), VANTOR_BIND(Restart), VANTOR_BIND(Stop);
    VANTOR_BIND(Close), VANTOR_BIND(Pause), VANTOR_BIND(GetPlayerMode), VANTOR_BIND(GetCurrentPos);
    VANTOR_BIND(GetLength), VANTOR_BIND(LastError), VANTOR_BIND(GetFrequency);
    VANTOR_BIND(GetBitrate), VANTOR_BIND(GetLayer), VANTOR_BIND(ResetPlayerMode), VANTOR_BIND(Seek);
#undef VANTOR_BIND
  }

  bool loaded() const {
    return handle && missing == 0;
  }

  void openFile(const std::string &name, int32_t fromStream = 0) {
    Open(name.c_str(), fromStream, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }

 private:
  template <class F>
  void bind(F &fn, const char *name) {
    fn = reinterpret_cast<F>(dlsym(handle, name));
    if (!fn) ++missing;
  }
};

inline std::string builtMpegLibrary() {
  return VANTOR_BINARY_DIR "/bin/libmpegdll.so";
}
