// The program with --folder under a virtual X server of its own: it shows a
// picture found in a subfolder, full screen, and ends on a key.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640, kHeight = 480;
constexpr Rgb kShown{30, 160, 70};
constexpr Rgb kHidden{250, 0, 250};

TEST(FolderE2E, ShowsThePictureOfTheFolderAndEndsOnAKey) {
  TempDir dir;
  XServer x(dir / "xvfb.log", std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24", 93);
  ASSERT_FALSE(x.display().empty()) << "Xvfb did not start";
  writeFile(dir / "photos/trip/day1.BMP", solidBmp(800, 600, kShown));
  writeFile(dir / "photos/.cache/thumb.bmp", solidBmp(800, 600, kHidden));
  writeFile(dir / "photos/notes.txt", "not a picture");
  // The packaged-saver helper gives the private folders; the program runs
  // as built, without a package.
  PackagedSaver saver(dir, x.display());
  std::filesystem::create_directories(saver.runFolder());
  chmod(saver.runFolder().c_str(), 0700);
  const pid_t pid = spawn({binDir() + "vantor-saver", "--folder", dir / "photos"},
                          saver.env({"HOME=" + dir.path()}));
  ASSERT_GT(pid, 0);
  bool shown = false;
  waitUntil(
      [&] {
        shown = allOf(grabRgb(x.display()), size_t(kWidth) * kHeight, kShown);
        return shown;
      },
      20s);
  EXPECT_TRUE(shown) << "the folder's picture never covered the screen";
  ASSERT_EQ(run("DISPLAY=" + x.display() + " xdotool key a"), 0);
  int status = -1;
  waitUntil(
      [&] {
        int st = 0;
        if (waitpid(pid, &st, WNOHANG) != pid) return false;
        status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return true;
      },
      20s);
  if (status < 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vantor::test
