#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "settings/ini_file.h"
#include "show/run_vantorscreen_qt.h"
#include "startup/engine.h"

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
  Engine engine;
  engine.ini = std::make_unique<IniFile>();
  const auto runner = CreateRunVantorscreen(&host, false, engine, {});
  ASSERT_FALSE(host.isVisible());
  const PictureLook look = runner->FScreen().Look();
  EXPECT_EQ(look.width, 640);
  EXPECT_EQ(look.height, 360);
}

}  // namespace
}  // namespace vantor
