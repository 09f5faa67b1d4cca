// HEIC and AVIF through libheif, whose decoders for HEVC (libde265) and AV1
// (dav1d, aom) are built into Debian's libheif. libheif reports errors as
// heif_error values; its objects are held by the owners below so that a
// throw releases them. libheif decodes in one call, so a cancel is seen
// before and after it and while the pixels are copied. The file's rotation
// and mirroring (irot, imir) and its crop are applied by libheif, as it does
// unless told to ignore them.

#include <libheif/heif.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "picture/decode_formats.h"
#include "platform/cancel.h"

namespace vantor {

namespace {

constexpr int kBytesPerPixel = 8;

void check(const heif_error &e) {
  if (e.code != heif_error_Ok)
    throw DecodeError(std::string("HEIF: ") + (e.message ? e.message : "error"));
}

struct ContextFree {
  void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HandleRelease {
  void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
  void operator()(heif_image *i) const { heif_image_release(i); }
};
struct OptionsFree {
  void operator()(heif_decoding_options *o) const { heif_decoding_options_free(o); }
};

// heif_init() is counted; the one call made here is never matched, so the
// library stays ready for the life of the program.
void initOnce() {
  static const bool ready = [] {
    heif_init(nullptr);
    return true;
  }();
  (void)ready;
}

// A box's body: its type and the bytes inside it.
struct Box {
  uint32_t type = 0;
  std::span<const uint8_t> body;
};

uint32_t be(std::span<const uint8_t> b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | b[at + size_t(i)];
  return v;
}

constexpr uint32_t fourcc(const char (&t)[5]) {
  return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 |
         uint32_t(uint8_t(t[2])) << 8 | uint8_t(t[3]);
}

// The boxes directly inside `bytes`, up to the first that does not fit.
std::vector<Box> boxesIn(std::span<const uint8_t> bytes) {
  std::vector<Box> boxes;
  size_t at = 0;
  while (bytes.size() - at >= 8) {
    uint64_t size = be(bytes, at, 4);
    size_t header = 8;
    if (size == 1) {
      if (bytes.size() - at < 16) break;
      size = uint64_t(be(bytes, at + 8, 4)) << 32 | be(bytes, at + 12, 4);
      header = 16;
    } else if (size == 0) {
      size = bytes.size() - at;
    }
    if (size < header || size > bytes.size() - at) break;
    boxes.push_back({be(bytes, at + 4, 4), bytes.subspan(at + header, size_t(size) - header)});
    at += size_t(size);
  }
  return boxes;
}

// Reads the bits of one HEVC parameter set, its emulation prevention bytes
// removed; reads past the end give zeros.
class Bits {
 public:
  explicit Bits(std::span<const uint8_t> nal) {
    for (size_t i = 0; i < nal.size(); ++i) {
      if (i >= 2 && nal[i] == 3 && nal[i - 1] == 0 && nal[i - 2] == 0) continue;
      bytes_.push_back(nal[i]);
    }
  }
  uint32_t u(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++pos_) {
      const size_t byte = pos_ / 8;
      const int bit = byte < bytes_.size() ? (bytes_[byte] >> (7 - pos_ % 8)) & 1 : 0;
      v = (v << 1) | uint32_t(bit);
    }
    return v;
  }
  int64_t ue() {
    int zeros = 0;
    while (u(1) == 0)
      if (++zeros > 32 || pos_ > bytes_.size() * 8) return -1;
    return (int64_t(1) << zeros) - 1 + u(zeros);
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

// The coded picture size of an HEVC sequence parameter set: the size the
// video decoder allocates for, whatever the file's own boxes declare.
std::pair<int64_t, int64_t> spsSize(std::span<const uint8_t> nal) {
  Bits b(nal);
  b.u(16);  // NAL unit header
  b.u(4);
  const int subLayers = int(b.u(3));
  b.u(1);
  b.u(96);  // general profile, tier and level
  bool profile[8] = {}, level[8] = {};
  for (int i = 0; i < subLayers; ++i) profile[i] = b.u(1), level[i] = b.u(1);
  if (subLayers > 0)
    for (int i = subLayers; i < 8; ++i) b.u(2);
  for (int i = 0; i < subLayers; ++i) {
    if (profile[i]) b.u(88);
    if (level[i]) b.u(8);
  }
  b.ue();  // parameter set id
  if (b.ue() == 3) b.u(1);
  return {b.ue(), b.ue()};
}

// The children of `box` when it has the type `type`, after the version and
// flags of a full box when `full`.
std::vector<Box> childrenOf(const Box &box, const char (&type)[5], bool full) {
  if (box.type != fourcc(type) || box.body.size() < (full ? 4u : 0u)) return {};
  return boxesIn(box.body.subspan(full ? 4 : 0));
}

// Reads big-endian fields of a box body; reads past the end give zeros and
// clear ok.
struct Fields {
  std::span<const uint8_t> b;
  size_t at = 0;
  bool ok = true;
  uint64_t get(int bytes) {
    if (bytes == 0) return 0;
    if (b.size() - std::min(at, b.size()) < size_t(bytes)) {
      ok = false;
      at = b.size();
      return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | b[at++];
    return v;
  }
};

// The first bytes of each item stored in idat or in the file, by item id.
std::map<uint32_t, std::span<const uint8_t>> itemStarts(std::span<const uint8_t> file,
                                                        const Box &iloc,
                                                        std::span<const uint8_t> idat) {
  std::map<uint32_t, std::span<const uint8_t>> starts;
  Fields f{iloc.body};
  const int version = int(f.get(1));
  f.get(3);
  const int sizes = int(f.get(2));
  const int offsetSize = sizes >> 12, lengthSize = (sizes >> 8) & 15, baseSize = (sizes >> 4) & 15;
  const int indexSize = version >= 1 ? sizes & 15 : 0;
  const uint64_t items = f.get(version < 2 ? 2 : 4);
  for (uint64_t i = 0; i < items && f.ok; ++i) {
    const auto id = uint32_t(f.get(version < 2 ? 2 : 4));
    const int method = version >= 1 ? int(f.get(2) & 15) : 0;
    f.get(2);
    const uint64_t base = f.get(baseSize);
    const uint64_t extents = f.get(2);
    for (uint64_t e = 0; e < extents && f.ok; ++e) {
      f.get(indexSize);
      const uint64_t offset = base + f.get(offsetSize);
      f.get(lengthSize);
      const std::span<const uint8_t> from = method == 1 ? idat : file;
      if (e == 0 && (method == 0 || method == 1) && offset < from.size())
        starts[id] = from.subspan(size_t(offset));
    }
  }
  return starts;
}

// Declines a file whose coded pictures exceed the budget behind small
// declared sizes: libde265 allocates for the size in the HEVC parameter
// sets, and libheif allocates a grid's or overlay's canvas for the size in
// its own description, whatever the image's declared size.
void checkCodedSizes(std::span<const uint8_t> file) {
  for (const Box &top : boxesIn(file)) {
    const std::vector<Box> meta = childrenOf(top, "meta", true);
    std::map<uint32_t, uint32_t> types;  // item id -> item type
    const Box *iloc = nullptr;
    std::span<const uint8_t> idat;
    for (const Box &box : meta) {
      if (box.type == fourcc("iloc")) iloc = &box;
      if (box.type == fourcc("idat")) idat = box.body;
      // iinf: version and flags, an entry count of 2 or 4 bytes, then infe
      // boxes.
      if (box.type == fourcc("iinf") && box.body.size() >= 6) {
        const size_t countBytes = box.body[0] == 0 ? 2 : 4;
        for (const Box &infe :
             boxesIn(box.body.subspan(std::min(box.body.size(), 4 + countBytes)))) {
          Fields f{infe.body};
          const int version = int(f.get(1));
          f.get(3);
          if (infe.type != fourcc("infe") || version < 2) continue;
          const auto id = uint32_t(f.get(version == 2 ? 2 : 4));
          f.get(2);
          const auto type = uint32_t(f.get(4));
          if (f.ok) types[id] = type;
        }
      }
      for (const Box &ipco : childrenOf(box, "iprp", false))
        for (const Box &hvcC : childrenOf(ipco, "ipco", false)) {
          if (hvcC.type != fourcc("hvcC") || hvcC.body.size() < 23) continue;
          std::span<const uint8_t> rest = hvcC.body.subspan(23);
          for (int arrays = hvcC.body[22]; arrays > 0 && rest.size() >= 3; --arrays) {
            const int type = rest[0] & 0x3f;
            int count = int(be(rest, 1, 2));
            rest = rest.subspan(3);
            for (; count > 0 && rest.size() >= 2; --count) {
              const size_t length = std::min<size_t>(be(rest, 0, 2), rest.size() - 2);
              if (type == 33) {
                const auto [w, h] = spsSize(rest.subspan(2, length));
                if (w >= 0 && h >= 0) checkPictureSize(w, h, kBytesPerPixel);
              }
              rest = rest.subspan(2 + length);
            }
          }
        }
    }
    if (!iloc) continue;
    for (const auto &[id, start] : itemStarts(file, *iloc, idat)) {
      const auto type = types.find(id);
      if (type == types.end()) continue;
      const bool grid = type->second == fourcc("grid");
      if (!grid && type->second != fourcc("iovl")) continue;
      Fields f{start};
      f.get(1);  // version
      const int flags = int(f.get(1));
      f.get(grid ? 2 : 8);  // rows and columns, or the canvas colour
      const int size = flags & 1 ? 4 : 2;
      const uint64_t w = f.get(size), h = f.get(size);
      if (f.ok) checkPictureSize(int64_t(w), int64_t(h), kBytesPerPixel);
    }
  }
}

}  // namespace

Decoded decodeHeif(std::span<const uint8_t> data, const DecodeOptions &options) {
  initOnce();
  if (data.size() < 12) throw DecodeError("HEIF: file is truncated");
  if (heif_check_filetype(data.data(), int(std::min<size_t>(data.size(), 64))) == heif_filetype_no)
    throw DecodeError("HEIF: not a HEIF file");
  checkCodedSizes(data);
  std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
  if (!context) throw DecodeError("HEIF: out of memory");
  // The whole file stays mapped for the life of the context.
  check(
      heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(), nullptr));
  heif_image_handle *rawHandle = nullptr;
  check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
  std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
  // The size after the file's own rotation and crop; declined before the
  // decoder allocates anything for the pixels. A pixel costs the bitmap,
  // libheif's RGB(A) image and, while that is made, its YCbCr planes and
  // the video decoder's own picture: 8 bytes measured for a 4:2:0 photo.
  checkPictureSize(heif_image_handle_get_width(handle.get()),
                   heif_image_handle_get_height(handle.get()), kBytesPerPixel);
  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;

  std::unique_ptr<heif_decoding_options, OptionsFree> decoding(heif_decoding_options_alloc());
  if (!decoding) throw DecodeError("HEIF: out of memory");
  decoding->ignore_transformations = 0;
  decoding->convert_hdr_to_8bit = 1;
  ThrowIfCancelled();
  heif_image *rawImage = nullptr;
  check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          decoding.get()));
  std::unique_ptr<heif_image, ImageRelease> image(rawImage);
  ThrowIfCancelled();

  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  checkPictureSize(width, height, kBytesPerPixel);
  int stride = 0;
  const uint8_t *pixels =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (!pixels || stride < width * (alpha ? 4 : 3)) throw DecodeError("HEIF: no pixels decoded");

  Decoded result;
  result.fullSize = {width, height};
  result.bitmap = gfx::Bitmap(width, height);
  const auto bg = bgrOf(options.background);
  for (int y = 0; y < height; ++y) {
    if ((y & 63) == 0) ThrowIfCancelled();
    const uint8_t *in = pixels + size_t(stride) * size_t(y);
    uint8_t *out = result.bitmap.row(y);
    if (!alpha) {
      for (int x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
      continue;
    }
    for (int x = 0; x < width; ++x, in += 4, out += 3)
      for (int k = 0; k < 3; ++k) {
        const uint8_t c = in[2 - k];
        out[k] = options.flatten ? blendOver(c, in[3], bg[k]) : c;
      }
  }
  return result;
}

}  // namespace vantor
