#pragma once
// The geometry of the preview and mirror windows, free of any window system:
// where a preview form goes inside the desktop's miniature, and the stretched
// copy a mirror window shows of the primary window.

#include <optional>

#include "gfx/bitmap.h"
#include "gfx/geometry.h"

namespace vantor {

// The decoration a form's client area sits in: a caption bar above, and a
// frame of the same width on every side.
struct FrameMetrics {
  int caption = 0;
  int frame = 0;
};

// The decoration of the preview forms as they were designed: a caption bar of
// 19 pixels and sizeable frames of 4. A child window on X11 has no decoration
// of its own, so these stand for it and keep the client area where the design
// puts it (the static picture exactly on the miniature's top-left corner).
inline constexpr FrameMetrics kPreviewFrame{19, 4};

struct PreviewPlacement {
  gfx::Rect outer;   // the whole form, decoration included
  gfx::Rect client;  // the client area, in the same coordinates
};

// Where a form with client size `client`, decoration `frame` and design
// position `designTopLeft` goes. With a parent (its size, in its own
// coordinates) the decoration is moved out of the parent's area up and to the
// left, and the form ends 10 pixels beyond the parent's right and bottom
// edges. Without one the form keeps its design position and size.
PreviewPlacement PlacePreview(gfx::Size client, FrameMetrics frame, gfx::Point designTopLeft,
                              std::optional<gfx::Size> parent);

// What a mirror window shows: the whole of `source` stretched onto the whole
// of `mirror` (distorted when the two aspect ratios differ). An empty source
// leaves the mirror as it is.
void MirrorStretch(gfx::Bitmap &mirror, const gfx::Bitmap &source);

}  // namespace vantor
