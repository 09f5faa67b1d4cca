#pragma once
// The slideshow runner on a Qt window: the display control as a child widget
// filling the host, and a Qt timer.

#include <functional>
#include <memory>

#include "show/run_vantorscreen.h"

class QWidget;

namespace vantor {

struct Engine;

// Creates the runner for `host` (its control becomes a child of `host`).
// `setMediaPlayerMp3` receives the music's player choice, when given.
std::unique_ptr<TRunVantorscreen> CreateRunVantorscreen(
    QWidget *host, bool preview, const Engine &engine,
    std::function<void(bool)> setMediaPlayerMp3 = {});

}  // namespace vantor
