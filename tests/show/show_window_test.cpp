#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "platform/random.h"
#include "settings/ini_file.h"
#include "settings/saver_setting.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {
namespace {

// The show's window makes its runner before it shows, so that the first
// picture is decoded while the window system maps the window. That picture
// is made for the control's size, which must then already be the window's:
// a hidden window sends its widgets no resize.
TEST(ShowWindow, RunnerMadeWhileTheWindowIsHiddenHasTheWindowsSize) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "show_window_test";
  static char *argv[] = {name, nullptr};
  // Kept to the end of the process: tearing Qt down at exit runs after its
  // plugins are gone.
  if (!QApplication::instance()) new QApplication(argc, argv);
  QWidget host;
  host.setGeometry(0, 0, 640, 360);
  TSaverSetting settings;
  IniFile ini;
  RandomSource random;
  const auto runner =
      CreateRunVantorscreen(&host, false, ShowContext{settings, ini, nullptr, false, "", random});
  ASSERT_FALSE(host.isVisible());
  const PictureLook look = runner->FScreen().Look();
  EXPECT_EQ(look.width, 640);
  EXPECT_EQ(look.height, 360);
}

}  // namespace
}  // namespace vantor
