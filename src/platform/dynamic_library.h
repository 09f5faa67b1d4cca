#pragma once
// Libraries loaded at run time by their Windows name. "X.DLL" and "X.CPL"
// (a control panel applet is a library too) become "libx.so": names on the
// Windows side compare without regard to case, so the file name is lower case.

#include <string>

namespace vantor {

std::string sharedLibraryName(const std::string &windowsName);

// A loaded library, released when the object goes. Loading never throws: a
// missing or unloadable file gives an object that is not loaded.
class DynamicLibrary {
 public:
  explicit DynamicLibrary(const std::string &path);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary &) = delete;
  DynamicLibrary &operator=(const DynamicLibrary &) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // The exported symbol, or null when it is missing or nothing is loaded.
  void *symbol(const char *name) const;

 private:
  void *handle_ = nullptr;
};

}  // namespace vantor
