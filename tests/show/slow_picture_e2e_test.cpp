// The packaged program while a picture takes long to make: a progressive
// JPEG of a thousand scans (each a pass over every block) and an item whose
// archive holds a hundred thousand entries. A key pressed while it is being
// decoded or unpacked closes the show at once, and the program then ends
// with exit code 0 and an empty work folder within two seconds.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The longest a key may wait while the window thread is free, and the time
// the program has to end after it; decoding and unpacking give up as soon
// as the show closes.
constexpr auto kWindowGone = 1s;
constexpr auto kExited = 2s;

// Appends each value as little-endian bytes, each with its width in bytes;
// bytes beyond the eighth are zero.
void put(std::string &s, std::initializer_list<std::pair<uint64_t, int>> fields) {
  for (const auto &[value, width] : fields)
    for (int i = 0; i < width; ++i) s += char(i < 8 ? (value >> (8 * i)) & 0xff : 0);
}

uint32_t crc32Of(const std::string &data) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A ZIP64 archive of `fillers` empty entries followed by `name` holding
// `data`, all stored without compression.
std::string manyEntryZip(int fillers, const std::string &name, const std::string &data) {
  std::string out, central;
  uint64_t count = 0;
  auto add = [&](const std::string &entry, const std::string &bytes) {
    const uint64_t offset = out.size(), crc = crc32Of(bytes), size = bytes.size();
    const uint64_t length = entry.size();
    // Version 2.0, no flags, stored, dated 1980-01-01.
    put(out, {{0x04034b50, 4}, {20, 2}, {0, 6}, {0x21, 2}, {crc, 4}, {size, 4}, {size, 4}});
    put(out, {{length, 2}, {0, 2}});
    out += entry + bytes;
    put(central, {{0x02014b50, 4}, {20, 2}, {20, 2}, {0, 6}, {0x21, 2}, {crc, 4}, {size, 4}});
    put(central, {{size, 4}, {length, 2}, {0, 12}, {offset, 4}});
    central += entry;
    ++count;
  };
  for (int i = 0; i < fillers; ++i) add("f" + std::to_string(i), "");
  add(name, data);
  const uint64_t centralAt = out.size(), zip64At = centralAt + central.size();
  out += central;
  put(out, {{0x06064b50, 4}, {44, 8}, {45, 2}, {45, 2}, {0, 8}, {count, 8}, {count, 8}});
  put(out, {{central.size(), 8}, {centralAt, 8}});
  put(out, {{0x07064b50, 4}, {0, 4}, {zip64At, 8}, {1, 4}});
  put(out, {{0x06054b50, 4},
            {0, 4},
            {0xffff, 2},
            {0xffff, 2},
            {0xffffffff, 4},
            {0xffffffff, 4},
            {0, 2}});
  return out;
}

// The JPEG with its last scan repeated until it has `scans` scans. libjpeg
// takes each repeat as one more refinement pass over every block.
std::string withScans(const std::string &jpeg, int scans) {
  auto byte = [&](size_t i) { return uint8_t(jpeg[i]); };
  std::vector<size_t> starts;
  size_t i = 2, end = 0;
  while (i + 2 <= jpeg.size() && byte(i) == 0xff) {
    const uint8_t marker = byte(i + 1);
    if (marker == 0xd9) {
      end = i;
      break;
    }
    if (i + 4 > jpeg.size()) break;
    size_t next = i + 2 + (size_t(byte(i + 2)) << 8 | byte(i + 3));
    if (marker == 0xda) {
      starts.push_back(i);
      // The scan's data runs to the next marker that is neither a stuffed
      // byte nor a restart.
      while (next + 1 < jpeg.size() && !(byte(next) == 0xff && byte(next + 1) != 0 &&
                                         (byte(next + 1) < 0xd0 || byte(next + 1) > 0xd7)))
        ++next;
    }
    i = next;
  }
  if (starts.empty() || end == 0) return {};
  const std::string last = jpeg.substr(starts.back(), end - starts.back());
  std::string out = jpeg.substr(0, end);
  for (int n = int(starts.size()); n < scans; ++n) out += last;
  return out + jpeg.substr(end);
}

struct SlowCase {
  const char *name;
  bool manyEntries;  // else the many-scan JPEG
};
// Case names, not bytes, in the test lists.
void PrintTo(const SlowCase &c, std::ostream *os) {
  *os << c.name;
}

class SlowPicture : public ::testing::TestWithParam<SlowCase> {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(dir / "xvfb.log", "640x480x24", 90);
  PackagedSaver saver{dir, x->display()};

  void SetUp() override { ASSERT_FALSE(x->display().empty()) << "Xvfb did not start"; }

  // True once the work folder holds `name`, wherever the program made it.
  bool inWorkFolder(const std::string &name) const {
    std::error_code ec;
    for (auto &e : std::filesystem::recursive_directory_iterator(saver.runFolder(), ec))
      if (e.path().filename() == name) return true;
    return false;
  }
};

TEST_P(SlowPicture, KeyWhileThePictureIsMadeEndsTheShowAtOnce) {
  const SlowCase &c = GetParam();
  const std::string set =
      "[Set]\r\nImageInterval=1\r\nImageSequence=0\r\nuseeffects=0,\r\nPlayMusic=0\r\n";
  std::string started;  // a file that the program makes once the slow part runs
  if (c.manyEntries) {
    // The archive is stored as it is under another key, and the picture's
    // own key points at it, so that the picture is unpacked from it.
    writeFile(dir / "blob.bin", manyEntryZip(100000, "big.bmp", solidBmp(64, 48, {200, 30, 40})));
    const uint64_t at = std::filesystem::file_size(binDir() + "vantor-saver");
    const uint64_t size = std::filesystem::file_size(dir / "blob.bin");
    ASSERT_TRUE(
        saver.pack(set + "[Pictures]\r\nbig.bmp=1\r\n[zippos]\r\nbig.bmp_1=" + std::to_string(at) +
                       "\r\nbig.bmp_2=" + std::to_string(at + size) + "\r\n",
                   {"--raw", dir / "blob.bin"}));
    // The unpacker refuses an archive of that many entries from its end
    // record, before anything is written, so there is no slow part to wait
    // for: the show goes on with nothing to show and must still end at once.
  } else {
    ASSERT_EQ(run("convert -size 6000x4000 xc:gray50 -interlace Plane " + dir / "plain.jpg"), 0);
    const std::string slow = withScans(readFile(dir / "plain.jpg"), 999);
    ASSERT_FALSE(slow.empty());
    writeFile(dir / "big.jpg", slow);
    ASSERT_TRUE(saver.pack(set + "[Pictures]\r\nbig.jpg=1\r\n", {dir / "big.jpg"}));
    started = "big.jpg";
  }
  saver.start({"/s"});
  if (!started.empty()) {
    ASSERT_TRUE(waitUntil([&] { return inWorkFolder(started) || saver.finished(); }, 20s))
        << "the picture was never taken out of the package";
  }
  ASSERT_FALSE(saver.finished());
  // A sanitizer build on a busy machine can take seconds to map its window.
  ASSERT_TRUE(waitUntil([&] { return !saver.visibleWindows().empty() || saver.finished(); }, 30s));
  ASSERT_FALSE(saver.finished()) << "the program ended before its window showed";
  ASSERT_EQ(run("DISPLAY=" + x->display() + " xdotool key a"), 0);
  const auto pressed = Clock::now();
  auto since = [&] {
    return (long long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - pressed)
        .count();
  };
  EXPECT_TRUE(waitUntil([&] { return saver.visibleWindows().empty(); }, kWindowGone))
      << "the show stayed on the screen";
  std::printf("window gone %lld ms after the key\n", since());
  const int status = saver.waitForExit(
      std::chrono::duration_cast<std::chrono::milliseconds>(kExited - (Clock::now() - pressed)));
  EXPECT_EQ(status, 0) << "the program had not ended " << kExited.count() << " s after the key";
  if (status == -1) saver.waitForExit(120s);  // the figure for the record
  std::printf("program ended %lld ms after the key\n", since());
  EXPECT_TRUE(saver.workFolderEmpty());
}

INSTANTIATE_TEST_SUITE_P(Inputs, SlowPicture,
                         ::testing::Values(SlowCase{"ThousandScanJpeg", false},
                                           SlowCase{"HundredThousandEntryItem", true}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor::test
