#include "picture/exif_orientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vantor {

namespace {

constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

// A JPEG marker holds at most 64 KB; a block in another container that is
// larger than this is no camera's and is not read.
constexpr size_t kMaxExifBytes = size_t(1) << 20;

struct ExifDataDeleter {
  void operator()(ExifData *d) const { exif_data_unref(d); }
};

}  // namespace

int exifOrientation(std::span<const uint8_t> exif) {
  if (exif.empty() || exif.size() > kMaxExifBytes) return 1;
  // libexif looks for its block after the "Exif" header; a bare TIFF
  // structure is given one.
  std::vector<uint8_t> withHeader;
  if (exif.size() < sizeof kExifHeader || std::memcmp(exif.data(), kExifHeader, 6) != 0) {
    withHeader.assign(kExifHeader, kExifHeader + 6);
    withHeader.insert(withHeader.end(), exif.begin(), exif.end());
    exif = withHeader;
  }
  std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
  if (!data) return 1;
  // Only the stored tag is wanted: libexif is kept from adding or mending
  // tags after loading.
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(data.get(), exif.data(), unsigned(exif.size()));
  ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data ||
      entry->size < 2)
    return 1;
  const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
  return value >= 1 && value <= 8 ? value : 1;
}

}  // namespace vantor
