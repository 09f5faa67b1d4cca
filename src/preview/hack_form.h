#pragma once
// The show as an XScreenSaver hack: it draws into the window the daemon (or
// its settings app) gives, filling it, or on the root window. The daemon
// watches the input, asks for the password and decides when the show ends
// (SIGTERM), so this window takes no input, keeps the pointer as the daemon
// set it, inhibits nothing and opens no mirrors: the daemon starts one
// process per monitor.

#include <cstdint>
#include <memory>
#include <optional>

#include <QTimer>
#include <QWidget>

#include "gfx/geometry.h"
#include "music/music_set.h"
#include "show/run_vantorscreen.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {

// What a hack needs of the start-up state: the show, and its music.
struct HackContext {
  ShowContext show;
  MusicContext music;
};

class THackForm : public QWidget {
 public:
  // `window` 0 is the root window.
  THackForm(HackContext context, uint32_t window, bool settingsPreview);
  ~THackForm() override;

  // Shows the form unless its window is already gone.
  void Start();

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  // Follows the host window's size; ends the program when it is gone.
  void Poll();

  HackContext context_;
  uint32_t window_;
  bool showable_ = false;
  bool playsMusic_ = false;
  std::optional<gfx::Size> size_;
  QTimer watch_;
  std::unique_ptr<MusicSet> music_;
  std::unique_ptr<TRunVantorscreen> runner_;
};

}  // namespace vantor
