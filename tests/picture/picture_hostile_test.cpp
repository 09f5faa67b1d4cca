// Pictures made to cost time or memory: each is shown within the decoding
// budget or refused, and a decode can be abandoned while it runs.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "../common/hostile_jpeg.h"
#include "picture/decode.h"
#include "picture/picture_composer.h"
#include "picture/picture_loader.h"
#include "picture_test_util.h"
#include "platform/cancel.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vantor {
namespace {

using test::Bytes;
using test::progressiveGreyJpeg;

using test::made;

// The colours of the four quarters of the big photograph.
const gfx::Color kQuarters[2][2] = {{gfx::makeColor(220, 30, 30), gfx::makeColor(30, 200, 40)},
                                    {gfx::makeColor(40, 40, 210), gfx::makeColor(240, 240, 240)}};

// A baseline JPEG of `side` x `side` pixels in four coloured quarters,
// written a row at a time.
void writeQuartersJpeg(const std::string &file, int side) {
  FILE *out = std::fopen(file.c_str(), "wb");
  ASSERT_TRUE(out);
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = JDIMENSION(side);
  c.image_height = JDIMENSION(side);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 80, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(size_t(side) * 3);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const gfx::Color q = kQuarters[y >= side / 2][x >= side / 2];
      row[size_t(x) * 3] = gfx::redOf(q);
      row[size_t(x) * 3 + 1] = gfx::greenOf(q);
      row[size_t(x) * 3 + 2] = gfx::blueOf(q);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(out);
}

PictureComposer screenComposer() {
  PictureComposer c;
  c.width = 1024;
  c.height = 768;
  c.picture = gfx::Bitmap(30, 20, 0x00ABCDEF);
  return c;
}

struct Outcome {
  int loaded = -1;
  int width = 0, height = 0;
  gfx::Color quarters[2][2] = {};  // the middles of the picture's four quarters
  long maxRssKb = 0;
};

// Loads the file in a child process as the show would and reports what the
// child ended with and its peak resident memory. Fails the test, killing the
// child, when it gives no answer within the deadline.
Outcome loadInChild(const std::string &file) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    PictureComposer c = screenComposer();
    Outcome o;
    o.loaded = c.loadFromFile(file);
    o.width = c.picture.width(), o.height = c.picture.height();
    for (int qy = 0; qy < 2; ++qy)
      for (int qx = 0; qx < 2; ++qx)
        o.quarters[qy][qx] =
            c.picture.pixel(o.width / 4 + qx * o.width / 2, o.height / 4 + qy * o.height / 2);
    const ssize_t n = write(fds[1], &o, sizeof o);
    _exit(n == sizeof o ? 0 : 1);
  }
  close(fds[1]);
  Outcome o;
  pollfd p{fds[0], POLLIN, 0};
  if (poll(&p, 1, 120'000) != 1 || read(fds[0], &o, sizeof o) != ssize_t(sizeof o)) {
    ADD_FAILURE() << "no answer from the child loading " << file;
    kill(pid, SIGKILL);
  }
  close(fds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  o.maxRssKb = usage.ru_maxrss;
  return o;
}

struct HostileCase {
  const char *name;
  void (*make)(const std::string &file);
  int side;   // of the square picture when it is shown; 0: refused
  bool grey;  // shown mid-grey rather than in kQuarters
};
// Case names, not bytes, in the test lists.
void PrintTo(const HostileCase &c, std::ostream *os) {
  *os << c.name;
}

const HostileCase kHostile[] = {
    // A photograph of 105 million pixels is more than the budget allows
    // decoded whole, but shrunk to the screen it is decoded at 1/8 and shows.
    {"big.jpg", [](const std::string &f) { writeQuartersJpeg(f, 10240); }, 10240, false},
    // A thousand scans over 100 million pixels: seconds of work for 336 KB.
    {"scans.jpg",
     [](const std::string &f) { test::writeBytes(f, progressiveGreyJpeg(10000, 998)); }, 0, true},
    // 200 MB of coefficients followed by zeros up to 1 GiB (a sparse file).
    {"padded.jpg",
     [](const std::string &f) {
       test::writeBytes(f, progressiveGreyJpeg(10000, 1));
       std::filesystem::resize_file(f, uintmax_t(1) << 30);
     },
     10000, true},
    // 288 MB of coefficients: more than the budget.
    {"coefficients.jpg",
     [](const std::string &f) { test::writeBytes(f, progressiveGreyJpeg(12000, 1)); }, 0, true},
};

class PictureHostile : public testing::TestWithParam<HostileCase> {};

TEST_P(PictureHostile, ShowsWithinTheBudgetOrIsRefused) {
  const HostileCase &h = GetParam();
  const std::string file = made(h.name);
  h.make(file);
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  const Outcome o = loadInChild(file);
  std::printf("%s: loaded %d, peak %ld MB\n", h.name, o.loaded, o.maxRssKb / 1024);
  EXPECT_EQ(o.loaded, h.side ? 1 : 0);
  if (h.side) {
    EXPECT_EQ((gfx::Size{o.width, o.height}), fittedSize({h.side, h.side}, {1024, 768}));
    for (int qy = 0; qy < 2; ++qy)
      for (int qx = 0; qx < 2; ++qx)
        EXPECT_TRUE(test::near(o.quarters[qy][qx],
                               h.grey ? gfx::makeColor(128, 128, 128) : kQuarters[qy][qx],
                               h.grey ? 1 : 6))
            << "quarter " << qx << "," << qy;
  } else {
    EXPECT_EQ((gfx::Size{o.width, o.height}), (gfx::Size{30, 20}));  // the previous picture
  }
  // The child starts with the pages it shares with this process.
  EXPECT_LE(o.maxRssKb - self.ru_maxrss, (kMaxDecodeBytes >> 10) + 32 * 1024);
}

INSTANTIATE_TEST_SUITE_P(Files, PictureHostile, testing::ValuesIn(kHostile),
                         [](const testing::TestParamInfo<HostileCase> &i) {
                           const std::string n = i.param.name;
                           return n.substr(0, n.find('.'));
                         });

// Runs `job` on a thread of its own and returns what it threw; fails the
// test run when it has not ended within the deadline.
std::exception_ptr runWithDeadline(std::function<void()> job) {
  std::packaged_task<void()> task(std::move(job));
  std::future<void> done = task.get_future();
  std::thread(std::move(task)).detach();
  if (done.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    std::fprintf(stderr, "the decode did not end\n");
    std::abort();
  }
  try {
    done.get();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

bool isCancelled(std::exception_ptr e) {
  try {
    if (e) std::rethrow_exception(e);
  } catch (const Cancelled &) {
    return true;
  } catch (...) {
  }
  return false;
}

// The flag set by another thread while the decoder is in the middle of a
// file: the thousand-scan picture, which would otherwise take a second or
// more before its scans are refused, ends with Cancelled instead.
TEST(PictureCancel, FlagSetByAnotherThreadStopsTheDecoder) {
  const std::string file = made("slow.jpg");
  test::writeBytes(file, progressiveGreyJpeg(10000, 998));
  std::atomic<bool> flag{false};
  std::promise<void> headerRead, flagSet;
  std::thread setter([&] {
    headerRead.get_future().wait();
    flag = true;
    flagSet.set_value();
  });
  gfx::Bitmap picture(3, 2, 0x00123456);
  const std::exception_ptr e = runWithDeadline([&] {
    CancelScope scope(flag);
    // Asked once the header is read, before any scan is decoded.
    LoadGraphicFile(picture, file, 0, [&](gfx::Size) {
      headerRead.set_value();
      flagSet.get_future().wait();
      return gfx::Size{1000, 1000};
    });
  });
  setter.join();
  EXPECT_TRUE(isCancelled(e));
  EXPECT_EQ(picture.size(), (gfx::Size{3, 2}));
}

}  // namespace
}  // namespace vantor
