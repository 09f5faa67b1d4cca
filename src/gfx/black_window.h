#pragma once
// The palette of the show's windows (full screen, preview, mirrors): black
// around the picture and, in transparent mode, behind its keyed pixels.

#include <QPalette>

namespace gfx {

inline QPalette blackWindow(QPalette p) {
  p.setColor(QPalette::Window, Qt::black);
  return p;
}

}  // namespace gfx
