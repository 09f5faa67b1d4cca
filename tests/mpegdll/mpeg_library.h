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
    bind(init, "init");
    bind(deinit, "deinit");
    bind(Open, "Open");
    bind(SetPriority, "SetPriority");
    bind(SetOutputDevice, "SetOutputDevice");
    bind(Play, "Play");
    bind(Restart, "Restart");
    bind(Stop, "Stop");
    bind(Close, "Close");
    bind(Pause, "Pause");
    bind(GetPlayerMode, "GetPlayerMode");
    bind(GetCurrentPos, "GetCurrentPos");
    bind(GetLength, "GetLength");
    bind(LastError, "LastError");
    bind(GetFrequency, "GetFrequency");
    bind(GetBitrate, "GetBitrate");
    bind(GetLayer, "GetLayer");
    bind(ResetPlayerMode, "ResetPlayerMode");
    bind(Seek, "Seek");
  }

  bool loaded() const { return handle && missing == 0; }

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
