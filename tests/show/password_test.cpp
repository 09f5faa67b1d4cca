// The password hooks over a user store and a system folder of our own, with
// small libraries of ours standing in for the platform's.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "../common/test_util.h"
#include "platform/cursor_count.h"
#include "platform/dynamic_library.h"
#include "platform/registry.h"
#include "show/password.h"

namespace vantor::test {
namespace {

const std::string kLibraries = std::string(VANTOR_BINARY_DIR) + "/tests/show/libraries/";

class PasswordTest : public ::testing::Test {
 protected:
  TempDir dir;
  RegistryStore store{dir / "user.reg"};
  std::string system = dir / "system";  // without a final "/"
  std::string log = dir / "calls.log";

  PasswordTest() {
    std::filesystem::create_directories(system);
    setenv("VANTOR_TEST_PASSWORD_LOG", log.c_str(), 1);
    setenv("VANTOR_TEST_PASSWORD_ANSWERS", "0", 1);
    ResetCursorCount();
  }
  ~PasswordTest() override {
    unsetenv("VANTOR_TEST_PASSWORD_LOG");
    unsetenv("VANTOR_TEST_PASSWORD_ANSWERS");
  }
  void asksPassword(RegistryValue value) {
    ASSERT_TRUE(
        store.updateKey(kPasswordKey, [&](RegistryKey &k) { k.set(kPasswordValue, value); }));
  }
  void install(const std::string &library, const std::string &as) {
    std::filesystem::copy_file(kLibraries + library, system + "/" + as);
  }
};

// The saver closes without asking the platform, and leaves the cursor count
// as it was, when no password is set or nothing can ask for one.
TEST_F(PasswordTest, SaverClosesUnaskedWithoutPasswordOrCheck) {
  const struct {
    const char *name;
    std::optional<RegistryValue> value;  // none: no key at all
    const char *library;                 // installed as the password library
  } cases[] = {
      {"NoKey", std::nullopt, "libtest_verify.so"},
      {"ValueZero", uint32_t(0), "libtest_verify.so"},
      {"ValueAsText", std::string("1"), "libtest_verify.so"},
      {"NoLibrary", uint32_t(1), ""},
      {"LibraryWithoutTheFunction", uint32_t(1), "libtest_change.so"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(system + "/libpassword.so");
    std::filesystem::remove(dir / "user.reg");
    if (c.value) asksPassword(*c.value);
    if (*c.library) install(c.library, "libpassword.so");
    EXPECT_TRUE(VerifyPassword(42, true, store, system));
    EXPECT_FALSE(exists(log));
    EXPECT_EQ(CursorCount(), 0);
  }
}

TEST_F(PasswordTest, RefusalKeepsTheSaverAndRestoresTheCursorCount) {
  asksPassword(uint32_t(1));
  install("libtest_verify.so", "libpassword.so");
  ShowCursor(false);  // the show hides the cursor
  int countDuringCheck = 99;
  SetCursorWatcher([&](bool visible) {
    if (visible) countDuringCheck = CursorCount();
  });
  EXPECT_FALSE(VerifyPassword(4242, true, store, system));
  SetCursorWatcher({});
  EXPECT_EQ(countDuringCheck, 0);  // shown while the platform asked
  EXPECT_EQ(CursorCount(), -1);
  EXPECT_EQ(readFile(log), "verify 4242\n");
}

TEST_F(PasswordTest, OnlyTheLowByteOfTheAnswerCounts) {
  asksPassword(uint32_t(1));
  install("libtest_verify.so", "libpassword.so");
  setenv("VANTOR_TEST_PASSWORD_ANSWERS", "256,1", 1);
  EXPECT_FALSE(VerifyPassword(1, false, store, system));
  EXPECT_TRUE(VerifyPassword(1, false, store, system));
  EXPECT_EQ(CursorCount(), 0);
}

TEST_F(PasswordTest, ChangePasswordCallsThePlatformWithItsFourArguments) {
  install("libtest_change.so", "libmpr.so");
  ChangePassword(1234, system + "/");
  EXPECT_EQ(readFile(log), "change SCRSAVE 1234 0 null\n");
}

TEST_F(PasswordTest, ChangePasswordWithoutLibraryOrFunctionDoesNothing) {
  ChangePassword(1234, system);
  install("libtest_verify.so", "libmpr.so");  // no such function in it
  ChangePassword(1234, system);
  EXPECT_FALSE(exists(log));
}

TEST(LibraryNames, WindowsNamesMapToSharedObjects) {
  EXPECT_EQ(sharedLibraryName("PASSWORD.CPL"), "libpassword.so");
  EXPECT_EQ(sharedLibraryName("mpegdll.dll"), "libmpegdll.so");
  EXPECT_EQ(sharedLibraryName("libz.so.1"), "libz.so.1");
  EXPECT_EQ(SystemLibraryPath("/s", "MPR.DLL"), "/s/libmpr.so");
  EXPECT_EQ(SystemLibraryPath("/s/", "MPR.DLL"), "/s/libmpr.so");
}

TEST(CursorCount, ShowHideFollowsThePlatformCounter) {
  ResetCursorCount();
  std::vector<bool> seen;
  SetCursorWatcher([&](bool v) { seen.push_back(v); });
  EXPECT_EQ(ShowCursor(false), -1);
  EXPECT_EQ(ShowCursor(false), -2);
  EXPECT_EQ(ShowCursor(true), -1);
  EXPECT_FALSE(CursorVisible());
  EXPECT_EQ(ShowCursor(true), 0);
  EXPECT_EQ(ShowCursor(true), 1);
  SetCursorWatcher({});
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
  ResetCursorCount();
}

}  // namespace
}  // namespace vantor::test
