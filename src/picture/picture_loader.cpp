#include "picture/picture_loader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "picture/decode.h"
#include "picture/decode_formats.h"

namespace vantor {

namespace {

Decoded decodeAs(PictureFormat format, PictureSource &data, const DecodeOptions &opts) {
  switch (format) {
    case PictureFormat::Jpeg:
      return decodeJpeg(data, opts);
    case PictureFormat::Png:
      return decodePng(data, opts);
    case PictureFormat::Gif:
      return decodeGif(data, opts);
    case PictureFormat::Tiff:
      return decodeTiff(data, opts);
    case PictureFormat::QtBmp:
      return decodeWithQt(data, "bmp", opts);
    case PictureFormat::QtIco:
      return decodeWithQt(data, "ico", opts);
    case PictureFormat::QtPpm:
      return decodeWithQt(data, "ppm", opts);
    case PictureFormat::QtPgm:
      return decodeWithQt(data, "pgm", opts);
    case PictureFormat::QtPbm:
      return decodeWithQt(data, "pbm", opts);
    case PictureFormat::Webp:  // read through a mapping in LoadGraphicFile
    case PictureFormat::Heif:
    case PictureFormat::Jxl:
    case PictureFormat::Unreadable:
      break;
  }
  throw DecodeError("no reader for this format");
}

}  // namespace

PictureFormat generalLoaderFormat(const std::string &ext) {
  // Metafiles, PCX, Targa, Photoshop, Paint Shop Pro, Photo-CD, SGI, Alias,
  // CUT, Autodesk and EPS previews have no reader here and fail like an
  // extension of no format.
  static const std::map<std::string, PictureFormat> table = {
      {"bmp", PictureFormat::QtBmp}, {"dib", PictureFormat::QtBmp}, {"rle", PictureFormat::QtBmp},
      {"ico", PictureFormat::QtIco}, {"jpg", PictureFormat::Jpeg},  {"jpeg", PictureFormat::Jpeg},
      {"jpe", PictureFormat::Jpeg},  {"jfif", PictureFormat::Jpeg}, {"tif", PictureFormat::Tiff},
      {"tiff", PictureFormat::Tiff}, {"fax", PictureFormat::Tiff},  {"png", PictureFormat::Png},
      {"ppm", PictureFormat::QtPpm}, {"pgm", PictureFormat::QtPgm}, {"pbm", PictureFormat::QtPbm},
      {"webp", PictureFormat::Webp}, {"heic", PictureFormat::Heif}, {"heif", PictureFormat::Heif},
      {"hif", PictureFormat::Heif},  {"avif", PictureFormat::Heif}, {"jxl", PictureFormat::Jxl},
  };
  auto it = table.find(ext);
  return it == table.end() ? PictureFormat::Unreadable : it->second;
}

bool isPictureExtension(const std::string &ext) {
  // GIF is read outside the general loader (see LoadGraphicFile).
  return ext == "gif" || generalLoaderFormat(ext) != PictureFormat::Unreadable;
}

std::string upperExtension(const std::string &fileName) {
  const size_t slash = fileName.find_last_of('/');
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = fileName.substr(dot);
  for (char &c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

LoadResult LoadGraphicFile(gfx::Bitmap &picture, const std::string &fileName, gfx::Color color,
                           const std::function<gfx::Size(gfx::Size)> &targetSize,
                           bool exifOrientation) {
  const std::string ext = upperExtension(fileName);
  const bool jpeg = ext == ".JPG" || ext == ".JPEG";
  PictureFormat format = PictureFormat::Jpeg;
  if (jpeg) {
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec)) return {};
  } else if (ext == ".GIF") {
    format = PictureFormat::Gif;
  } else {
    std::string lower = ext.empty() ? ext : ext.substr(1);
    for (char &c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    format = generalLoaderFormat(lower);
    if (format == PictureFormat::Unreadable) throw DecodeError("no reader for " + fileName);
  }
  DecodeOptions options;
  options.background = color;
  options.flatten = !(jpeg || ext == ".BMP");
  options.targetSize = targetSize;
  options.exifOrientation = exifOrientation;
  if (isMappedFormat(format)) {
    Decoded decoded = decodeMappedFile(format, fileName, options);
    picture = std::move(decoded.bitmap);
    return {true, decoded.fullSize};
  }
  // The decoders read the file as they go: data after the picture's own
  // (padding, a second page) is never read, however large the file.
  PictureSource source(fileName);
  Decoded decoded = decodeAs(format, source, options);
  picture = std::move(decoded.bitmap);
  return {true, decoded.fullSize};
}

}  // namespace vantor
