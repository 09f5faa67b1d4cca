// The screensaver program: one executable that carries its own pictures,
// music and settings appended to its end.

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>

#include "config/config_dialog.h"
#include "platform/debug_log.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "preview/display_check.h"
#include "preview/hack_form.h"
#include "preview/preview_form.h"
#include "preview/still_preview_form.h"
#include "show/fullscreen_form.h"
#include "show/password.h"
#include "startup/engine.h"
#include "startup/folder_mode.h"
#include "startup/options.h"

using namespace vantor;

namespace {

// With VANTOR_DRY_RUN set the program stops at the dispatch point and prints
// what it chose; tests and the authoring tools use this to see the choice.
void reportDispatch(const Engine &e, Dispatch d) {
  const TSaverSetting &s = e.settings;
  std::printf("dispatch=%s runmode=%d window=%d package=%d settings=%s pictures=%zu\n",
              DispatchName(d), int(e.commandLine.runMode), int(e.commandLine.parentWindow),
              e.packagePresent() ? 1 : 0, e.location.settingsPath.c_str(), s.PictureList.size());
  // What the options of this run changed, for the installed settings panel's
  // check.
  std::printf("interval=%d speed=%d order=%d fit=%d caption=%d music=%d exif=%d folders=%zu\n",
              s.ImageInterval, s.EffectSpeed2, int(s.ImageSequence), int(s.ImageSize),
              s.ForceHide ? 0 : 1, s.PlayMusic ? 1 : 0, s.ExifOrientation ? 1 : 0,
              e.pictureFolders.size());
}

// The runner's view of the start-up state, shared by the show and the live
// preview.
ShowContext showContext(Engine &e) {
  return {e.settings,        *e.ini,   e.resolver.get(), e.packagePresent(),
          e.folders.workTmp, e.random, e.pictureFolders};
}

MusicContext musicContext(Engine &e) {
  return {e.settings, e.package, e.ini.get(), e.resolver.get(), e.random};
}

int runFullScreen(Engine &engine, int argc, char **argv) {
  QApplication app(argc, argv);
  WatchCursorCount();
  {
    // Started by hand: the desktop's own saver must not come over the show.
    // Started by the desktop as its saver (/s): nothing may block its locking.
    const bool handStarted =
        engine.forceFullScreen() && engine.commandLine.runMode != RunMode::Saver;
    TFullscreenForm form(FullscreenContext{showContext(engine), musicContext(engine),
                                           engine.commandLine.parentWindow != 0, handStarted,
                                           *engine.registry, engine.folders.system});
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
template <class Form, class Context>
int runPreview(Context context, int argc, char **argv) {
  QApplication app(argc, argv);
  Form form(std::move(context));
  form.Start();
  app.exec();
  return 0;
}

// The show inside XScreenSaver's window (or on the root window).
int runHack(Engine &engine, int argc, char **argv) {
  QApplication app(argc, argv);
  {
    THackForm form(HackContext{showContext(engine), musicContext(engine)},
                   engine.options.hackWindow, engine.options.windowIdGiven);
    form.Start();
    app.exec();
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return 0;
}

// Help, version and wrong options are answered before anything is touched.
// Returns the exit code when the program ends here.
std::optional<int> answerOptions(const Options &options, const char *argv0) {
  const std::string name(fileNameOf(argv0 ? argv0 : "vantor-saver"));
  switch (options.action) {
    case Options::Action::Run:
      return std::nullopt;
    case Options::Action::Help:
      std::fputs(UsageText(name).c_str(), stdout);
      return 0;
    case Options::Action::Version:
      std::fputs(VersionText(name).c_str(), stdout);
      return 0;
    case Options::Action::UsageError:
      std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", name.c_str(),
                   options.error.c_str(), name.c_str());
      return 2;
  }
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  Engine engine;
  engine.options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc),
                                std::getenv("XSCREENSAVER_WINDOW"));
  if (const std::optional<int> code = answerOptions(engine.options, argv[0])) return *code;
  const bool hack = engine.options.hack;
  engine.programPath = programPath();
  engine.packagePath = engine.options.package;
  // Hacks run side by side (one per monitor, and the settings app's next
  // preview before the last has gone): each unpacks into a work folder of
  // its own, which no other run empties.
  engine.folders = SetUpWorkFolders(hack ? "hack-" + std::to_string(getpid()) : "");
  if (!engine.folders.status)
    std::fprintf(stderr, "vantor-saver: %s\n", engine.folders.status.message().c_str());
  InstallExitCleanup(engine.folders);

  // One saver at a time, whatever its file name; a second start leaves at
  // once, and its exit still empties the shared work folder. Hacks are the
  // exception: they neither wait for nor turn away one another.
  std::optional<InstanceLock> lock;
  if (!hack) {
    lock.emplace(engine.folders.temp, "orlentascreensaverimage");
    if (lock->alreadyExists()) return 0;
    if (!lock->status()) debugLog(lock->status().message());
    // Holding the lock, this is the only run: whatever the work folder still
    // holds was left by a run that crashed, and must not stand in for an
    // item of this package.
    CleanUpWorkFolders(engine.folders);
  }

  engine.registry = std::make_unique<RegistryStore>(RegistryStore::forCurrentUser());
  const Dispatch dispatch = RunStartup(engine, ClassicArguments(engine.options));
  if (!engine.options.package.empty() && !engine.packagePresent()) {
    std::fprintf(stderr, "vantor-saver: %s carries no content package\n",
                 engine.options.package.c_str());
    return 1;
  }
  if (const char *dry = std::getenv("VANTOR_DRY_RUN")) {
    reportDispatch(engine, dispatch);
    std::fflush(stdout);
    // "hold" keeps the process alive until a signal ends it.
    if (std::string(dry) == "hold")
      for (;;) pause();
    return 0;
  }
  const bool preview = dispatch == Dispatch::Preview || dispatch == Dispatch::StaticPreview;
  // A miniature needs a window to live in; without one ("/p 0", "/p abc", a
  // number out of range) it ends at once instead of opening on its own.
  if (preview && engine.commandLine.parentWindow == 0) return 0;
  if (dispatch != Dispatch::PasswordChange && dispatch != Dispatch::None) {
    const bool inForeignWindow = preview || dispatch == Dispatch::Hack;
    const std::string problem = PrepareDisplay(inForeignWindow);
    if (!problem.empty()) {
      std::fprintf(stderr, "vantor-saver: %s\n", problem.c_str());
      return 1;
    }
  }
  if (dispatch == Dispatch::Hack) return runHack(engine, argc, argv);
  if (dispatch == Dispatch::ConfigDialog) {
    QApplication app(argc, argv);
    // Folder mode has no settings file to keep choices in: they go to the
    // user's overrides under its own name, as a package's do under its file's.
    const bool folderMode = DialogEditsFolderMode(engine);
    TDistributeConfigForm form(ConfigContext{
        engine.settings, *engine.ini, engine.resolver.get(), engine.registry.get(),
        folderMode ? kFolderModeName : engine.programFileName(),
        engine.packagePresent() || folderMode, engine.location.supportFolder, folderMode});
    form.exec();  // OK or Cancel ends the program
    return 0;
  }
  if (dispatch == Dispatch::PasswordChange) {
    // The platform's own dialog; no window of ours, no message loop.
    ChangePassword(engine.commandLine.parentWindow, engine.folders.system);
    return 0;
  }
  if (dispatch == Dispatch::FullScreen) return runFullScreen(engine, argc, argv);
  if (dispatch == Dispatch::Preview)
    return runPreview<TPreviewForm>(
        PreviewContext{showContext(engine), engine.commandLine.parentWindow}, argc, argv);
  if (dispatch == Dispatch::StaticPreview)
    return runPreview<TCommercePreviewForm>(
        StillPreviewContext{engine.settings.ScrName, engine.commandLine.parentWindow,
                            engine.staticImagePath},
        argc, argv);
  return 0;
}
