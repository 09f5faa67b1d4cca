#include "picture/picture_composer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

#include "gfx/stretch.h"
#include "picture/decode.h"
#include "picture/picture_loader.h"
#include "platform/cancel.h"
#include "platform/debug_log.h"

namespace vantor {

namespace {

int processRandom(int n) {
  static std::mt19937 generator{std::random_device{}()};
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(generator);
}

// The background image repeated from the bitmap's origin.
void tile(gfx::Bitmap &dst, const gfx::Bitmap &pattern) {
  for (int y = 0; y < dst.height(); y += pattern.height())
    for (int x = 0; x < dst.width(); x += pattern.width())
      gfx::copyRect(dst, {x, y}, pattern, pattern.rect());
}

// The debug log says which picture the show skips and why; once a file,
// however often the show comes back to it.
void reportSkipped(const std::string &fileName, const char *reason) {
  debugLogOnce(fileName, "skipped " + fileName + ": " + reason);
}

}  // namespace

bool fitScales(gfx::Size p, gfx::Size c, int fitMode) {
  return fitMode == 2 || (fitMode == 0 && (p.width > c.width || p.height > c.height));
}

gfx::Size fittedSize(gfx::Size p, gfx::Size c) {
  if (p.empty() || c.empty()) throw DecodeError("nothing to fit");
  // The comparison is made in extended precision and the ratio kept in
  // double precision, as the sizes of the shown pictures depend on it.
  const long double excessW = (long double)(p.width - c.width) / c.width;
  const long double excessH = (long double)(p.height - c.height) / c.height;
  gfx::Size s;
  if (excessW > excessH) {
    const double r = double(p.width) / c.width;
    s = {c.width, int(std::trunc((long double)p.height / r))};
  } else {
    const double r = double(p.height) / c.height;
    s = {int(std::trunc((long double)p.width / r)), c.height};
  }
  // A sliver of a picture keeps at least one row or column.
  return {std::max(s.width, 1), std::max(s.height, 1)};
}

gfx::Point captionOrigin(CaptionPosition position, gfx::Point fixed, gfx::Size text, gfx::Size c,
                         int pictureHeight) {
  if (position == CaptionPosition::AtXY) {
    int x = std::max(fixed.x, 0), y = std::max(fixed.y, 0);
    if (x > c.width) x = c.width - text.width;
    if (y > c.height) y = c.height - text.height;
    return {x, y};
  }
  const int th = text.height + 10, ah = pictureHeight;
  int x = (c.width - text.width) / 2;
  int y = (c.height - ah) / 2;
  switch (position) {
    case CaptionPosition::BelowPicture:
      y += ah + 10;
      break;
    case CaptionPosition::AbovePicture:
      y -= th;
      break;
    case CaptionPosition::Top:
      y = 10;
      break;
    default:
      y = c.height - th;
      break;
  }
  if (y < 10) y = 10;
  if (y > c.height - th) y = c.height - th;
  if (x < 0) x = 0;
  return {x, y};
}

PictureComposer::PictureComposer() : random(processRandom) {}

gfx::Size PictureComposer::decodeTarget(gfx::Size full) const {
  if (!fitScales(full, controlSize(), fitMode) || full.empty() || controlSize().empty()) return {};
  const gfx::Size s = fittedSize(full, controlSize());
  if (s.width >= full.width || s.height >= full.height) return {};
  return s;
}

bool PictureComposer::loadFromFile(const std::string &fileName) {
  try {
    const LoadResult r = LoadGraphicFile(
        picture, fileName, color, [this](gfx::Size full) { return decodeTarget(full); },
        exifOrientation);
    fit(r.loaded ? r.fullSize : picture.size());
    pictureArea = picture.rect();
    composeOnBackground();
    drawCaption();
    if (!lastPicture) lastPicture = picture.size();
    enlarge();
    return true;
  } catch (const Cancelled &) {
    return false;
  } catch (const std::exception &e) {
    reportSkipped(fileName, e.what());
    return false;
  }
}

void PictureComposer::fit(gfx::Size loaded) {
  if (fitScales(loaded, controlSize(), fitMode)) {
    const gfx::Size s = fittedSize(loaded, controlSize());
    // A decoder that reduced the picture while decoding it has sampled
    // what the stretch below would take.
    if (picture.size() == s) {
      if (fitMode == 1 && (loaded.width > width || loaded.height > height)) crop();
      return;
    }
    gfx::Bitmap b(s.width, s.height, color);
    gfx::stretchCopy(b, b.rect(), picture, picture.rect());
    picture = std::move(b);
  }
  if (fitMode == 1 && (loaded.width > width || loaded.height > height)) crop();
}

// The middle of a picture larger than the control, on a control-sized
// bitmap; a direction in which the picture is smaller is centred.
void PictureComposer::crop() {
  const int pw = picture.width(), ph = picture.height();
  const int srcX = width < pw ? (pw - width) / 2 : 0, cw = width < pw ? width : pw;
  const int srcY = height < ph ? (ph - height) / 2 : 0, ch = height < ph ? height : ph;
  const gfx::Point at{width < pw ? 0 : (width - pw) / 2, height < ph ? 0 : (height - ph) / 2};
  gfx::Bitmap b(width, height, color);
  gfx::copyRect(b, at, picture, gfx::Rect::fromXYWH(srcX, srcY, cw, ch));
  picture = std::move(b);
}

void PictureComposer::composeOnBackground() {
  const int pw = picture.width(), ph = picture.height();
  const bool atRandom = randomPosition && (pw < width || ph < height);
  if (!atRandom && backImageMode == BackImageMode::Colour) return;
  gfx::Bitmap b(width, height, color);
  if (backImage && !backImage->empty()) {
    if (backImageMode == BackImageMode::Tiled) tile(b, *backImage);
    if (backImageMode == BackImageMode::Stretched)
      gfx::stretchCopy(b, b.rect(), *backImage, backImage->rect());
  }
  gfx::Point at{(width - pw) / 2, (height - ph) / 2};
  if (atRandom) {
    at.x = random(width - pw);
    at.y = random(height - ph);
  }
  gfx::copyRect(b, at, picture, picture.rect());
  picture = std::move(b);
}

void PictureComposer::drawCaption() {
  if (caption.empty() || captionPosition == CaptionPosition::None) return;
  const int pw = picture.width(), ph = picture.height();
  gfx::Bitmap b(width, height, color);
  gfx::copyRect(b, {(width - pw) / 2, (height - ph) / 2}, picture, picture.rect());
  if (captionText) {
    const gfx::Size text = captionText->measure(caption, captionFont);
    const gfx::Point at = captionOrigin(captionPosition, {captionX, captionY}, text, controlSize(),
                                        pictureArea.height());
    captionText->draw(b, at, caption, captionFont);
  }
  picture = std::move(b);
}

void PictureComposer::enlarge() {
  if (backImageMode != BackImageMode::Colour) return;
  const int pw = picture.width(), ph = picture.height();
  const gfx::Size r = previewMode ? controlSize() : lastPicture.value_or(picture.size());
  const bool runs = previewMode || r.width > pw || r.height > ph;
  lastPicture = picture.size();
  if (!runs) return;
  const int nw = std::max(pw, r.width) + 3, nh = std::max(ph, r.height) + 3;
  const int x0 = (nw - pw) / 2 + 1, y0 = (nh - ph) / 2 + 1;
  gfx::Bitmap b(nw, nh, color);
  gfx::copyRect(b, {x0, y0}, picture, picture.rect());
  pictureArea = gfx::Rect::fromXYWH(x0, y0, pw, ph);
  picture = std::move(b);
}

}  // namespace vantor
