// Time and peak memory of loading pictures made to cost time or memory, as
// the show loads them (1024 x 768, shrunk to fit), each in a child process
// of its own so that its peak resident memory is its alone; then how soon a
// load ends after its thread's cancel flag is set.
//
//   vantor_bench_picture_load [FILE...]
//
// Without files it makes its own in a temporary folder: a progressive
// 10000 x 10000 JPEG with 999 scans (336 KB), the same picture with one AC
// scan padded with zeros to 1 GiB (a sparse file), and a 10240 x 10240
// baseline JPEG.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../../tests/common/hostile_jpeg.h"
#include "picture/picture_composer.h"
#include "picture/picture_loader.h"
#include "platform/cancel.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace fs = std::filesystem;
using vantor::test::Bytes;
using vantor::test::progressiveGreyJpeg;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void write(const fs::path &file, const Bytes &b) {
  FILE *out = std::fopen(file.c_str(), "wb");
  if (!out) return;
  std::fwrite(b.data(), 1, b.size(), out);
  std::fclose(out);
}

void writeBaselineJpeg(const fs::path &file, int side) {
  FILE *out = std::fopen(file.c_str(), "wb");
  if (!out) return;
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = c.image_height = JDIMENSION(side);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(size_t(side) * 3);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      row[size_t(x) * 3] = uint8_t(x * 7 + y);
      row[size_t(x) * 3 + 1] = uint8_t(y * 3);
      row[size_t(x) * 3 + 2] = uint8_t(x ^ y);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(out);
}

void loadInChild(const std::string &file) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    vantor::PictureComposer c;
    c.width = 1024;
    c.height = 768;
    const Clock::time_point start = Clock::now();
    const bool ok = c.loadFromFile(file);
    std::printf("%-16s %-8s %5d x %-5d %9.0f ms", fs::path(file).filename().c_str(),
                ok ? "shown" : "refused", c.picture.width(), c.picture.height(), msSince(start));
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  std::printf("  peak %5ld MB\n", usage.ru_maxrss / 1024);
}

void cancelAfter(const std::string &file, int ms) {
  std::atomic<bool> flag{false};
  Clock::time_point ended;
  std::string outcome = "shown";
  std::thread worker([&] {
    vantor::CancelScope scope(flag);
    gfx::Bitmap b;
    try {
      vantor::LoadGraphicFile(b, file, 0, [](gfx::Size) { return gfx::Size{1024, 768}; });
    } catch (const std::exception &e) {
      outcome = e.what();
    }
    ended = Clock::now();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  const Clock::time_point set = Clock::now();
  flag = true;
  worker.join();
  std::printf("%-16s flag set at %d ms: %s, %.1f ms later\n", fs::path(file).filename().c_str(), ms,
              outcome.c_str(), std::chrono::duration<double, std::milli>(ended - set).count());
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> files(argv + 1, argv + argc);
  fs::path dir;
  if (files.empty()) {
    dir = fs::temp_directory_path() / ("vantor-load-" + std::to_string(getpid()));
    fs::create_directories(dir);
    write(dir / "scans.jpg", progressiveGreyJpeg(10000, 998));
    write(dir / "padded.jpg", progressiveGreyJpeg(10000, 1));
    fs::resize_file(dir / "padded.jpg", uintmax_t(1) << 30);
    writeBaselineJpeg(dir / "big.jpg", 10240);
    for (const char *name : {"scans.jpg", "padded.jpg", "big.jpg"})
      files.push_back((dir / name).string());
  }
  for (const std::string &f : files) loadInChild(f);
  for (const std::string &f : files) cancelAfter(f, 100);
  if (!dir.empty()) fs::remove_all(dir);
}
