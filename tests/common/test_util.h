#pragma once
// Small helpers shared by the tests: private temporary folders, whole-file
// reads and writes, and running a program with a prepared environment.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vantor::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantor-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    path_ += "/";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  std::string operator/(const std::string &name) const { return path_ + name; }

 private:
  std::string path_;
};

inline void writeFile(const std::string &path, const std::string &bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline bool exists(const std::string &path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// Runs a shell command; returns its exit status and its standard output.
inline int run(const std::string &command, std::string *output = nullptr) {
  FILE *p = popen(command.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (output) *output = out;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

inline std::string binDir() {
  const char *bin = std::getenv("VANTOR_BIN");
  return bin ? std::string(bin) + "/" : std::string(VANTOR_BINARY_DIR) + "/bin/";
}

// A real photograph from Debian's wallpapers, or "" when none is installed.
inline std::string realJpeg() {
  std::error_code ec;
  for (auto &e : std::filesystem::recursive_directory_iterator("/usr/share/wallpapers", ec))
    if (e.path().extension() == ".jpg") return e.path().string();
  return {};
}

}  // namespace vantor::test
