#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#ifndef VANTOR_INSTALL_PREFIX
#define VANTOR_INSTALL_PREFIX "/usr/local"
#endif

namespace vantor {

namespace {

std::string withSlash(std::string p) {
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

std::string envOr(const char *name, const std::string &fallback) {
  const char *v = std::getenv(name);
  return (v && *v) ? std::string(v) : fallback;
}

std::string homeFolder() {
  return envOr("HOME", "/tmp");
}

bool isPrivateOwnedFolder(const std::string &path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string programPath() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

Status ensurePrivateFolder(const std::string &path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  struct stat st {};
  if (lstat(p.c_str(), &st) != 0) {
    if ((errno != ENOENT || mkdir(p.c_str(), 0700) != 0) || lstat(p.c_str(), &st) != 0)
      return Status::failure("cannot create folder " + p + ": " + std::strerror(errno));
  }
  if (S_ISLNK(st.st_mode))
    return Status::failure("refusing folder " + p + ": it is a symbolic link");
  if (!S_ISDIR(st.st_mode)) return Status::failure("refusing folder " + p + ": not a folder");
  if (st.st_uid != getuid())
    return Status::failure("refusing folder " + p + ": it belongs to another user");
  if ((st.st_mode & 077) != 0 && chmod(p.c_str(), 0700) != 0)
    return Status::failure("refusing folder " + p + ": others may write to it");
  return {};
}

Result<std::string> temporaryFolder() {
  // A relative path is not a runtime folder: the XDG rules say to ignore it.
  if (const char *run = std::getenv("XDG_RUNTIME_DIR");
      run && run[0] == '/' && isPrivateOwnedFolder(run))
    return withSlash(run);
  std::string base = withSlash(envOr("TMPDIR", "/tmp"));
  std::string own = base + "vantor-" + std::to_string(getuid());
  if (Status made = ensurePrivateFolder(own); !made) return made;
  return own + "/";
}

std::string systemFolder() {
  return std::string(VANTOR_INSTALL_PREFIX) + "/lib/vantor/";
}

std::vector<std::string> installedLibraryFolders() {
  std::vector<std::string> folders;
  const std::string self = programPath();
  if (!self.empty()) folders.emplace_back(folderOf(self));
  folders.push_back(systemFolder());
  return folders;
}

std::string configFolder() {
  // As for the runtime folder, a relative path is to be ignored.
  std::string base = envOr("XDG_CONFIG_HOME", "");
  if (base.empty() || base[0] != '/') base = homeFolder() + "/.config";
  return withSlash(base) + "vantor/";
}

std::string installShareFolder() {
  return std::string(VANTOR_INSTALL_PREFIX) + "/share/vantor/";
}

std::string_view fileNameOf(std::string_view path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view folderOf(std::string_view path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

std::string_view extensionOf(std::string_view path) {
  std::string_view name = fileNameOf(path);
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upperAscii(a) == upperAscii(b);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool fileExists(const std::string &path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string &path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace vantor
