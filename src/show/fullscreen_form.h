#pragma once
// The window of the running screen saver: borderless, black and topmost over
// the screen (or over all monitors side by side), with the cursor hidden. It
// plays the slideshow, watches every input event of the program for the exit
// rules, and asks the platform's password before it closes. Closing it ends
// the program.

#include <memory>
#include <string>

#include <QTimer>
#include <QWidget>

#include "music/music_set.h"
#include "platform/screensaver_inhibit.h"
#include "show/exit_rules.h"
#include "show/run_vantorscreen.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {

class RegistryStore;

// What the full-screen window reads of the start-up state. Everything
// referred to outlives the window.
struct FullscreenContext {
  ShowContext show;
  MusicContext music;
  // The command line named a window (the desktop's, for its settings).
  bool hasParentWindow = false;
  // Started by hand rather than by the desktop as its saver: the desktop's
  // own saver must then be kept from coming over the show.
  bool handStarted = false;
  // Where the password check finds its setting and its library; an empty
  // folder is the platform's.
  const RegistryStore &registry;
  std::string systemFolder;
};

class TFullscreenForm : public QWidget, private FullscreenPlatform {
 public:
  explicit TFullscreenForm(FullscreenContext context);
  ~TFullscreenForm() override;

  // Places the window and shows it; the show handler does the rest.
  void Start();

  TRunVantorscreen *Runner() { return runner_.get(); }
  const FullscreenRules &Rules() const { return rules_; }

 protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  // The program-wide message filter (installed on the application).
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void CreateRunner();
  void MouseTimerTimer() { rules_.MouseTimerTimer(); }
  bool SpansMonitors() const;
  QRect Placement() const;

  // FullscreenPlatform
  void SetTopmost(bool on) override;
  void ShowCursor(bool show) override;
  bool VerifyPassword() override;
  void CloseWindow() override;
  void SetSaverFlag(bool running) override;

  FullscreenContext context_;
  FullscreenRules rules_;
  QTimer mouseTimer_;
  std::unique_ptr<MusicSet> music_;
  std::unique_ptr<TRunVantorscreen> runner_;
  ScreenSaverInhibitor inhibitor_;
  bool handStarted_ = false;
  bool closed_ = false;
  bool shownBefore_ = false;
};

// Makes the platform's cursor display count drive the pointer of every
// window of the program: a blank pointer while the count is below 0.
void WatchCursorCount();

}  // namespace vantor
