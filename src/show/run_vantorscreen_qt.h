#pragma once
// The slideshow runner on a Qt window: the display control as a child widget
// filling the host, and a Qt timer.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "show/run_vantorscreen.h"

class QWidget;

namespace vantor {

class ItemResolver;
class RandomSource;

// What a slideshow window reads of the start-up state. Everything referred
// to outlives the window.
struct ShowContext {
  const TSaverSetting &settings;  // picture list already shuffled for order 2
  const IniFile &ini;             // sections captions, effects, intervals
  const ItemResolver *resolver;   // null: no entry resolves
  bool packagePresent = false;
  // Where decoded copies of complemented picture files are written for a
  // moment; a private folder ending in "/".
  std::string decodeFolder;
  // The picture order, the effects and the random transition patterns.
  RandomSource &random;
  // Folders whose pictures join the picture list while the show runs.
  std::vector<std::string> pictureFolders = {};
};

// Creates the runner for `host` (its control becomes a child of `host`).
// `setMediaPlayerMp3` receives the music's player choice, when given.
std::unique_ptr<TRunVantorscreen> CreateRunVantorscreen(
    QWidget *host, bool preview, const ShowContext &show,
    std::function<void(bool)> setMediaPlayerMp3 = {});

}  // namespace vantor
