#pragma once
// The loading pipeline of the display control: a picture file is loaded,
// fitted to the control by FitMode, composed on the background, given its
// caption and enlarged over the previous picture. Free of any window system;
// caption text goes through a CaptionText implementation.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "gfx/bitmap.h"
#include "settings/codes.h"

namespace vantor {

struct CaptionFont {
  std::string name = "MS Sans Serif";
  int size = 8;  // points, at 96 dots per inch
  gfx::Color color = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  friend bool operator==(const CaptionFont &, const CaptionFont &) = default;
};

// Measures and draws one line of caption text.
class CaptionText {
 public:
  virtual ~CaptionText() = default;
  // Width of the text and height of the font's line, in pixels.
  virtual gfx::Size measure(const std::string &text, const CaptionFont &font) = 0;
  // Draws the text with its line's top-left corner at `at`, without
  // background.
  virtual void draw(gfx::Bitmap &target, gfx::Point at, const std::string &text,
                    const CaptionFont &font) = 0;
};

// Whether Fit scales a picture of size `picture` in a control of size
// `control`, and to which size.
bool fitScales(gfx::Size picture, gfx::Size control, int fitMode);
// Throws DecodeError when either size is empty (there is no ratio to keep).
gfx::Size fittedSize(gfx::Size picture, gfx::Size control);

// What lies under a picture smaller than the control.
enum class BackImageMode : uint8_t { Colour = 0, Tiled = 1, Stretched = 2 };

// Top-left corner of the caption text of size `text` for a position other
// than None, with the picture of `pictureHeight` centred in the control.
gfx::Point captionOrigin(CaptionPosition position, gfx::Point fixed, gfx::Size text,
                         gfx::Size control, int pictureHeight);

class PictureComposer {
 public:
  // Settings copied in by the owner before loading.
  uint8_t fitMode = 0;  // 0 shrink to fit, 1 crop, 2 scale to fit
  bool randomPosition = false;
  BackImageMode backImageMode = BackImageMode::Colour;
  std::optional<gfx::Bitmap> backImage;
  std::string caption;
  CaptionFont captionFont;
  CaptionPosition captionPosition = CaptionPosition::None;
  int captionX = 0;
  int captionY = 0;
  bool previewMode = false;
  gfx::Color color = 0;  // the control's background colour
  int width = 100;       // the control's client size
  int height = 100;
  // Pictures are turned upright as their EXIF block says.
  bool exifOrientation = true;

  // Results.
  gfx::Bitmap picture;
  gfx::Rect pictureArea;  // where the picture itself lies in `picture`
  // Size of the previous composed picture before enlarging; only its size
  // decides how far the next one is enlarged.
  std::optional<gfx::Size> lastPicture;

  // Random(n): uniform in 0..n-1, 0 for n <= 0. Defaults to a generator
  // seeded once per process.
  std::function<int(int)> random;
  CaptionText *captionText = nullptr;  // not owned; without it no caption is drawn

  PictureComposer();

  // Loads, fits and composes the file into `picture`. Every failure is
  // swallowed: `picture` then holds what the steps before it had made.
  // Returns false when a step failed.
  bool loadFromFile(const std::string &fileName);

  // The steps after loading; `loadedSize` is the picture's own size, which
  // is larger than `picture` when the decoder already reduced it.
  void fit(gfx::Size loadedSize);
  void composeOnBackground();
  void drawCaption();
  void enlarge();

 private:
  gfx::Size controlSize() const { return {width, height}; }
  gfx::Size decodeTarget(gfx::Size full) const;
  void crop();
};

}  // namespace vantor
