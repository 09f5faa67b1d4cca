// The full-screen show's exit rules as one table over (message, settings),
// the mouse-move allowance, and what an exit request does.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "show/exit_rules.h"

namespace vantor {
namespace {

// Settings: M mouse move, P mouse press, K keyboard press, C show cursor,
// E only Esc; a letter present means the switch is on.
ExitSettings settingsFrom(const std::string &flags) {
  auto has = [&](char c) { return flags.find(c) != std::string::npos; };
  return {has('M'), has('P'), has('K'), has('C'), has('E')};
}

struct Row {
  const char *name;
  WinMessage message;
  const char *settings;
  bool exit;
  bool handled;
};
// Case names, not bytes, in the test lists.
void PrintTo(const Row &c, std::ostream *os) {
  *os << c.name;
}

constexpr WinMessage kKeyA{WM_KEYDOWN, 'A'};
constexpr WinMessage kEsc{WM_KEYDOWN, VK_ESCAPE};
constexpr WinMessage kSysKey{WM_SYSKEYDOWN, 0x73};
constexpr WinMessage kSysEsc{WM_SYSKEYDOWN, VK_ESCAPE};
constexpr WinMessage kMove{WM_MOUSEMOVE, 0};
constexpr WinMessage kLeft{WM_LBUTTONDOWN, 0};
constexpr WinMessage kRight{WM_RBUTTONDOWN, 0};
constexpr WinMessage kMiddle{WM_MBUTTONDOWN, 0};
constexpr WinMessage kScreenSave{WM_SYSCOMMAND, SC_SCREENSAVE};
constexpr WinMessage kOtherCommand{WM_SYSCOMMAND, 61536};

const Row kTable[] = {
    // Keys.
    {"KeyWithKeyboardPress", kKeyA, "PK", true, false},
    {"SysKeyWithKeyboardPress", kSysKey, "K", true, false},
    {"KeyWithoutKeyboardPressButMousePress", kKeyA, "P", false, false},
    {"KeyWithoutKeyboardPressButMouseMove", kKeyA, "M", false, false},
    {"KeyWithShowCursor", kKeyA, "PC", true, false},
    {"KeyWithAllThreeSwitchesOff", kKeyA, "", true, false},
    {"EscWithAllThreeSwitchesOff", kEsc, "", true, false},
    {"OnlyEscIgnoresOtherKeys", kKeyA, "MPKE", false, false},
    {"OnlyEscTakesEsc", kEsc, "E", true, false},
    {"OnlyEscTakesSysEsc", kSysEsc, "E", true, false},
    {"OnlyEscWithShowCursorTakesEsc", kEsc, "CE", true, false},
    {"OnlyEscWithShowCursorIgnoresA", kKeyA, "CE", false, false},
    // Clicks.
    {"LeftClickWithMousePress", kLeft, "P", true, true},
    {"RightClickWithMousePress", kRight, "PK", true, true},
    {"MiddleClickIsNotWatched", kMiddle, "MPK", false, false},
    {"ClickWithoutMousePress", kLeft, "MK", false, false},
    {"ClickWithShowCursor", kLeft, "PKC", false, false},
    {"ClickWithOnlyEsc", kRight, "PE", false, false},
    {"ClickWithAllThreeSwitchesOff", kLeft, "", false, false},
    // Mouse moves with the allowance still full.
    {"MoveWithinTheAllowance", kMove, "M", false, false},
    {"MoveWithoutMouseMove", kMove, "PK", false, false},
    // System commands.
    {"ScreenSaveCommandIsSwallowed", kScreenSave, "PK", false, true},
    {"OtherSystemCommandPasses", kOtherCommand, "PK", false, false},
    {"UnknownMessage", WinMessage{0x0100 + 2, 'A'}, "MPK", false, false},
};

class ExitTable : public ::testing::TestWithParam<Row> {};

TEST_P(ExitTable, Verdict) {
  const Row &r = GetParam();
  int allowance = kMouseMoveAllowance;
  const FilterVerdict v = FilterMessage(r.message, settingsFrom(r.settings), allowance);
  EXPECT_EQ(v.exitRequest, r.exit);
  EXPECT_EQ(v.handled, r.handled);
}

INSTANTIATE_TEST_SUITE_P(Messages, ExitTable, ::testing::ValuesIn(kTable),
                         [](const auto &info) { return std::string(info.param.name); });

struct MoveCase {
  const char *name;
  const char *settings;
  int exitsOnMove;  // 0: never within 100 moves
};
void PrintTo(const MoveCase &c, std::ostream *os) {
  *os << c.name;
}

class MoveAllowance : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveAllowance, MoveThatEndsTheShow) {
  const ExitSettings s = settingsFrom(GetParam().settings);
  int allowance = kMouseMoveAllowance;
  int exitOn = 0;
  for (int move = 1; move <= 100 && !exitOn; ++move)
    if (FilterMessage(kMove, s, allowance).exitRequest) exitOn = move;
  EXPECT_EQ(exitOn, GetParam().exitsOnMove);
}

INSTANTIATE_TEST_SUITE_P(Settings, MoveAllowance,
                         ::testing::Values(MoveCase{"MouseMove", "M", 21},
                                           MoveCase{"MouseMoveWithShowCursor", "MC", 0},
                                           MoveCase{"MouseMoveWithOnlyEsc", "ME", 0},
                                           MoveCase{"MouseMoveOff", "PK", 0}),
                         [](const auto &info) { return std::string(info.param.name); });

// Records the platform calls as one line, each call's word after a space.
class FakePlatform : public FullscreenPlatform {
 public:
  std::string calls;
  bool allow = true;
  void SetTopmost(bool on) override { calls += on ? " topmost" : " notopmost"; }
  void ShowCursor(bool show) override { calls += show ? " cursor+" : " cursor-"; }
  bool VerifyPassword() override {
    calls += " verify";
    return allow;
  }
  void CloseWindow() override { calls += " close"; }
  void SetSaverFlag(bool running) override { calls += running ? " flag1" : " flag0"; }
};

TEST(FullscreenRules, TwentyMovesPerTimerPeriodAreAllowed) {
  FakePlatform p;
  FullscreenRules rules(settingsFrom("M"), p, false);
  for (int period = 0; period < 3; ++period) {
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(rules.Message(kMove, true).exitRequest);
    rules.MouseTimerTimer();
  }
  EXPECT_EQ(p.calls, "");
  for (int i = 0; i < 20; ++i) rules.Message(kMove, true);
  EXPECT_TRUE(rules.Message(kMove, true).exitRequest);
  EXPECT_EQ(rules.allowance(), kMouseMoveAllowance);  // refilled by the exit request
}

// What one message does to the window and the cursor: an exit request asks
// for the password with the show below other windows and the cursor shown.
struct ExitCase {
  const char *name;
  const char *settings;
  WinMessage message;
  bool visible, allow;
  const char *calls;
};
void PrintTo(const ExitCase &c, std::ostream *os) {
  *os << c.name;
}

class ExitRequest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitRequest, PlatformCalls) {
  const ExitCase &c = GetParam();
  FakePlatform p;
  p.allow = c.allow;
  FullscreenRules rules(settingsFrom(c.settings), p, false);
  const FilterVerdict v = rules.Message(c.message, c.visible);
  if (!c.visible) {
    EXPECT_EQ(v, FilterVerdict{});
  }
  EXPECT_EQ(p.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitRequest,
    ::testing::Values(ExitCase{"NothingWhileTheWindowIsHidden", "PK", kLeft, false, true, ""},
                      ExitCase{"AllowedExitClosesTheWindow", "PK", kKeyA, true, true,
                               " notopmost cursor+ verify close cursor-"},
                      ExitCase{"RefusalKeepsTheShowTopmostWithTheCursorHiddenAgain", "PK", kLeft,
                               true, false, " notopmost cursor+ verify topmost cursor-"},
                      ExitCase{"ShowCursorLeavesTheCursorShownAfterARefusal", "KC", kKeyA, true,
                               false, " notopmost cursor+ verify topmost"}),
    [](const auto &info) { return std::string(info.param.name); });

struct SaverStateCase {
  const char *name;
  bool ending, touchCursor, parentWindow;
  const char *calls;
};
void PrintTo(const SaverStateCase &c, std::ostream *os) {
  *os << c.name;
}

class SaverState : public ::testing::TestWithParam<SaverStateCase> {};

TEST_P(SaverState, FlagAndCursor) {
  const SaverStateCase &c = GetParam();
  FakePlatform p;
  FullscreenRules rules(settingsFrom("PK"), p, c.parentWindow);
  rules.SetSaverRunning(c.ending, c.touchCursor);
  EXPECT_EQ(p.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaverState,
    ::testing::Values(SaverStateCase{"Start", false, true, false, " flag1 cursor-"},
                      SaverStateCase{"StartShowingCursor", false, false, false, " flag1"},
                      SaverStateCase{"End", true, true, false, " flag0 cursor+"},
                      SaverStateCase{"StartWithParentWindow", false, true, true,
                                     " flag1 cursor- flag0 cursor+"}),
    [](const auto &info) { return std::string(info.param.name); });

using gfx::Rect;

// Primary first, as the platform lists the monitors.
TEST(ShowWindowRect, MonitorsAreSpannedWholeOrThePrimaryAlone) {
  struct Case {
    const char *name;
    std::vector<Rect> monitors;
    Rect spanned;
  };
  const Case cases[] = {
      {"none", {}, Rect{}},
      {"one", {Rect::fromXYWH(0, 0, 1920, 1080)}, Rect::fromXYWH(0, 0, 1920, 1080)},
      {"primary left",
       {Rect::fromXYWH(0, 0, 1920, 1080), Rect::fromXYWH(1920, 0, 1280, 1024)},
       Rect::fromXYWH(0, 0, 3200, 1080)},
      {"primary right",
       {Rect::fromXYWH(1920, 0, 1920, 1080), Rect::fromXYWH(0, 0, 1920, 1080)},
       Rect::fromXYWH(0, 0, 3840, 1080)},
      {"stacked",
       {Rect::fromXYWH(0, 1080, 1920, 1080), Rect::fromXYWH(0, 0, 1920, 1080)},
       Rect::fromXYWH(0, 0, 1920, 2160)},
      {"taller second beside",
       {Rect::fromXYWH(0, 200, 1920, 1080), Rect::fromXYWH(1920, 0, 1080, 1920)},
       Rect::fromXYWH(0, 0, 3000, 1920)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ShowWindowRect(c.monitors, false), c.spanned);
    EXPECT_EQ(ShowWindowRect(c.monitors, true), c.monitors.empty() ? Rect{} : c.monitors.front());
  }
}

}  // namespace
}  // namespace vantor
