// The screensaver program: one executable that carries its own pictures,
// music and settings appended to its end.

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>

#include "config/config_dialog.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "preview/preview_form.h"
#include "preview/still_preview_form.h"
#include "show/fullscreen_form.h"
#include "show/password.h"
#include "startup/engine.h"
#include "startup/folder_mode.h"

using namespace vantor;

namespace {

// With VANTOR_DRY_RUN set the program stops at the dispatch point and prints
// what it chose; tests and the authoring tools use this to see the choice.
void reportDispatch(const Engine &e, Dispatch d) {
  std::printf("dispatch=%s runmode=%d window=%d package=%d settings=%s pictures=%zu\n",
              DispatchName(d), int(e.commandLine.runMode), int(e.commandLine.parentWindow),
              e.packagePresent() ? 1 : 0, e.location.settingsPath.c_str(),
              e.settings.PictureList.size());
}

int runFullScreen(Engine &engine, int argc, char **argv) {
  QApplication app(argc, argv);
  WatchCursorCount();
  {
    TFullscreenForm form(engine);
    form.Start();
    app.exec();
  }
  // Windows whose deletion waited for the end of an event's delivery.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // The window that was in front before the saver is not brought back by us:
  // Qt can neither name nor activate another program's window, and the
  // window manager gives the focus back when the show's window goes.
  return 0;
}

// The miniature in the desktop's window: no cursor watch, no input filter.
// The form quits the loop itself once that window is gone.
template <class Form>
int runPreview(const Engine &engine, int argc, char **argv) {
  QApplication app(argc, argv);
  Form form(engine);
  form.Start();
  app.exec();
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  Engine engine;
  engine.programPath = programPath();
  std::string folderError;
  engine.folders = SetUpWorkFolders(&folderError);
  if (!folderError.empty()) std::fprintf(stderr, "vantor-saver: %s\n", folderError.c_str());
  InstallExitCleanup(engine.folders);

  // One saver at a time, whatever its file name; a second start leaves at
  // once, and its exit still empties the shared work folder.
  InstanceLock lock(engine.folders.temp, "orlentascreensaverimage");
  if (lock.alreadyExists()) return 0;
  // Holding the lock, this is the only run: whatever the work folder still
  // holds was left by a run that crashed, and must not stand in for an item
  // of this package.
  CleanUpWorkFolders(engine.folders);

  engine.registry = std::make_unique<RegistryStore>(RegistryStore::forCurrentUser());
  std::vector<std::string> args(argv + 1, argv + argc);
  const Dispatch dispatch = RunStartup(engine, args);
  if (const char *dry = std::getenv("VANTOR_DRY_RUN")) {
    reportDispatch(engine, dispatch);
    std::fflush(stdout);
    // "hold" keeps the process alive until a signal ends it.
    if (std::string(dry) == "hold")
      for (;;) pause();
    return 0;
  }
  if (dispatch == Dispatch::ConfigDialog) {
    QApplication app(argc, argv);
    // Folder mode has no settings file to keep choices in: they go to the
    // user's overrides under its own name, as a package's do under its file's.
    const bool folderMode = !engine.commandLine.folders.empty();
    TDistributeConfigForm form(
        ConfigContext{engine.settings, *engine.ini, engine.resolver.get(), engine.registry.get(),
                      folderMode ? kFolderModeName : engine.programFileName(),
                      engine.packagePresent() || folderMode, engine.location.supportFolder});
    form.exec();  // OK or Cancel ends the program
    return 0;
  }
  if (dispatch == Dispatch::PasswordChange) {
    // The platform's own dialog; no window of ours, no message loop.
    ChangePassword(engine.commandLine.parentWindow, engine.folders.system);
    return 0;
  }
  if (dispatch == Dispatch::FullScreen) return runFullScreen(engine, argc, argv);
  // A miniature needs a window to live in; without one ("/p 0", "/p abc", a
  // number out of range) it ends at once instead of opening on its own.
  if ((dispatch == Dispatch::Preview || dispatch == Dispatch::StaticPreview) &&
      engine.commandLine.parentWindow == 0)
    return 0;
  if (dispatch == Dispatch::Preview) return runPreview<TPreviewForm>(engine, argc, argv);
  if (dispatch == Dispatch::StaticPreview)
    return runPreview<TCommercePreviewForm>(engine, argc, argv);
  return 0;
}
