#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include "platform/paths.h"

namespace vantor {

std::string sharedLibraryName(const std::string &windowsName) {
  const std::string ext = upperAscii(extensionOf(windowsName));
  if (ext != ".DLL" && ext != ".CPL") return windowsName;
  const std::string stem = windowsName.substr(0, windowsName.size() - ext.size());
  return "lib" + lowerAscii(stem) + ".so";
}

DynamicLibrary::DynamicLibrary(const std::string &path) {
  // RTLD_LOCAL keeps the library's symbols from resolving anyone else's.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

DynamicLibrary::~DynamicLibrary() {
  if (handle_) dlclose(handle_);
}

void *DynamicLibrary::symbol(const char *name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace vantor
