#pragma once
// Loading one picture file into a bitmap, the format chosen by the file's
// extension.

#include <functional>
#include <string>

#include "gfx/bitmap.h"

namespace vantor {

// Which of our decoders reads a file of the given extension (lower case,
// without the dot) in the general loader; Unreadable for extensions of no
// format and for formats that no library of ours reads.
enum class PictureFormat {
  Unreadable,
  Jpeg,
  Png,
  Gif,
  Tiff,
  QtBmp,
  QtIco,
  QtPpm,
  QtPgm,
  QtPbm,
  Webp,
  Heif,
  Jxl
};
PictureFormat generalLoaderFormat(const std::string &lowerExtension);

// Whether LoadGraphicFile reads files of the given extension (lower case,
// without the dot). The one list of picture extensions: the packer takes the
// pictures of a folder by it.
bool isPictureExtension(const std::string &lowerExtension);

// The extension with its dot, upper-cased: "/a/b.Jpeg" gives ".JPEG", a name
// without a dot in its last component gives "".
std::string upperExtension(const std::string &fileName);

struct LoadResult {
  bool loaded = false;  // false only for a missing .jpg/.jpeg, which is no error
  gfx::Size fullSize;   // the picture's own size; picture may be smaller (see below)
};

// Loads `fileName` into `picture`. Transparent pixels end up on `color`
// except in .jpg, .jpeg and .bmp files, which are shown as stored. A missing
// .jpg or .jpeg file loads nothing and leaves `picture` as it is. Any other
// failure throws DecodeError (or std::bad_alloc, or Cancelled when the
// calling thread's job is cancelled) and leaves `picture` as it is. `targetSize`, when given, is
// asked with the picture's full size for the size it will be scaled down to; a JPEG is then decoded
// at a reduced scale that still covers that size, and fullSize tells the size it has.
// With `exifOrientation`, a picture whose EXIF block records an orientation is
// turned upright as it loads, and fullSize and targetSize are the upright ones.
LoadResult LoadGraphicFile(gfx::Bitmap &picture, const std::string &fileName, gfx::Color color,
                           const std::function<gfx::Size(gfx::Size)> &targetSize = {},
                           bool exifOrientation = true);

}  // namespace vantor
