// GIF through giflib: the first frame drawn on its logical screen. giflib
// reports errors by return codes; they are turned into DecodeError here.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "picture/decode.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

int readData(GifFileType *gif, GifByteType *out, int length) {
  return int(static_cast<PictureSource *>(gif->UserData)->read(out, size_t(std::max(length, 0))));
}

struct GifFile {
  GifFileType *gif = nullptr;
  explicit GifFile(PictureSource &source) {
    int error = 0;
    gif = DGifOpen(&source, readData, &error);
    if (!gif) decodeFailed(std::string("GIF: ") + GifErrorString(error));
  }
  ~GifFile() {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
  GifFile(const GifFile &) = delete;
  GifFile &operator=(const GifFile &) = delete;

  void check(int status) const {
    if (status == GIF_ERROR) {
      const char *text = GifErrorString(gif->Error);
      decodeFailed(std::string("GIF: ") + (text ? text : "error"));
    }
  }
};

// Reads records up to the first image descriptor; returns the transparent
// colour index of the graphic control block before it, or -1.
int skipToFirstImage(GifFile &f) {
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    f.check(DGifGetRecordType(f.gif, &type));
    if (type == IMAGE_DESC_RECORD_TYPE) return transparent;
    if (type == TERMINATE_RECORD_TYPE) throw DecodeError("GIF: no image");
    if (type != EXTENSION_RECORD_TYPE) continue;
    int code = 0;
    GifByteType *block = nullptr;
    f.check(DGifGetExtension(f.gif, &code, &block));
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
      GraphicsControlBlock gcb{};
      if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
        transparent = gcb.TransparentColor;
    }
    while (block) f.check(DGifGetExtensionNext(f.gif, &block));
  }
}

// Row order of an interlaced image: four passes over every 8th, 8th, 4th
// and 2nd row.
std::vector<int> rowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(size_t(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
  return order;
}

void drawFrame(GifFile &f, gfx::Bitmap &canvas, int transparent) {
  const GifImageDesc &d = f.gif->Image;
  const ColorMapObject *map = d.ColorMap ? d.ColorMap : f.gif->SColorMap;
  if (!map) throw DecodeError("GIF: no colour table");
  std::vector<GifPixelType> line(size_t(d.Width));
  for (int y : rowOrder(d.Height, d.Interlace)) {
    ThrowIfCancelled();
    f.check(DGifGetLine(f.gif, line.data(), d.Width));
    uint8_t *out = canvas.row(d.Top + y) + size_t(d.Left) * 3;
    for (int x = 0; x < d.Width; ++x, out += 3) {
      const int index = line[size_t(x)];
      if (index == transparent || index >= map->ColorCount) continue;
      const GifColorType &c = map->Colors[index];
      out[0] = c.Blue;
      out[1] = c.Green;
      out[2] = c.Red;
    }
  }
}

}  // namespace

Decoded decodeGif(PictureSource &source, const DecodeOptions &options) {
  GifFile f(source);
  const int transparent = skipToFirstImage(f);
  f.check(DGifGetImageDesc(f.gif));
  const GifImageDesc &d = f.gif->Image;
  if (d.Left < 0 || d.Top < 0 || d.Width <= 0 || d.Height <= 0) throw DecodeError("GIF: bad frame");
  checkPictureSize(d.Width, d.Height);
  // The canvas is the logical screen, grown where the frame reaches past it.
  const int64_t width = std::max<int64_t>(f.gif->SWidth, int64_t(d.Left) + d.Width);
  const int64_t height = std::max<int64_t>(f.gif->SHeight, int64_t(d.Top) + d.Height);
  checkPictureSize(width, height);
  Decoded result;
  result.bitmap = gfx::Bitmap(int(width), int(height), options.background);
  result.fullSize = result.bitmap.size();
  drawFrame(f, result.bitmap, transparent);
  return result;
}

}  // namespace vantor
