// JPEG through libjpeg-turbo. libjpeg reports errors by calling error_exit,
// which must not return; it longjmps back into guarded() below. Only plain C
// data lives in the frames that a longjmp can skip, so no destructor is lost.
// The file is read through a source manager of our own, a buffer at a time.

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfx/orient.h"
#include "picture/decode.h"
#include "picture/exif_orientation.h"
#include "platform/cancel.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace vantor {

namespace {

// A progressive file may hold any number of scans, each a full pass over the
// coefficients: a few hundred bytes of scans can keep the decoder busy for
// seconds on a large picture. Encoders write about ten, and those that
// search for the smallest file a few dozen.
constexpr int kMaxScans = 100;

constexpr size_t kInputBufferBytes = 16 * 1024;

struct Session {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errorManager{};
  jpeg_progress_mgr progress{};
  jpeg_source_mgr input{};
  PictureSource *source = nullptr;
  JOCTET buffer[kInputBufferBytes];
  std::jmp_buf jump{};
  char message[JMSG_LENGTH_MAX] = "";

  explicit Session(PictureSource &source);
  ~Session() { jpeg_destroy_decompress(&cinfo); }
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;
};

Session *sessionOf(j_common_ptr c) {
  return reinterpret_cast<Session *>(reinterpret_cast<char *>(c) - offsetof(Session, cinfo));
}

[[noreturn]] void onError(j_common_ptr c) {
  Session *s = sessionOf(c);
  // libjpeg asks for a backing store once its memory limit is reached.
  if (c->err->msg_code == JERR_NO_BACKING_STORE)
    std::snprintf(s->message, sizeof s->message, "more memory needed than allowed");
  else
    (*c->err->format_message)(c, s->message);
  std::longjmp(s->jump, 1);
}

// Warnings are tolerated except running out of data: libjpeg would fill the
// rest of a cut file with grey, and a cut file should fail instead.
void onMessage(j_common_ptr c, int level) {
  if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF) onError(c);
}

[[noreturn]] void stop(j_common_ptr c, const char *why) {
  Session *s = sessionOf(c);
  std::snprintf(s->message, sizeof s->message, "%s", why);
  std::longjmp(s->jump, 1);
}

// Called once per row of blocks while the scans are read and once per call
// of jpeg_read_scanlines, so a cancel is seen within milliseconds.
void onProgress(j_common_ptr c) {
  auto *d = reinterpret_cast<j_decompress_ptr>(c);
  if (d->input_scan_number > kMaxScans) stop(c, "too many scans");
  if (CancelRequested()) stop(c, "cancelled");
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// At the end of the data libjpeg gets an end marker and a warning, which
// onMessage turns into the error of a cut file.
boolean fillInput(j_decompress_ptr c) {
  Session *s = sessionOf(reinterpret_cast<j_common_ptr>(c));
  size_t n = s->source->read(s->buffer, sizeof s->buffer);
  if (n == 0) {
    WARNMS(c, JWRN_JPEG_EOF);
    s->buffer[0] = 0xFF;
    s->buffer[1] = JPEG_EOI;
    n = 2;
  }
  s->input.next_input_byte = s->buffer;
  s->input.bytes_in_buffer = n;
  return TRUE;
}

// Skipped data (markers we do not use) is passed over without reading it.
void skipInput(j_decompress_ptr c, long count) {
  if (count <= 0) return;
  Session *s = sessionOf(reinterpret_cast<j_common_ptr>(c));
  jpeg_source_mgr &in = s->input;
  if (size_t(count) <= in.bytes_in_buffer) {
    in.next_input_byte += count;
    in.bytes_in_buffer -= size_t(count);
    return;
  }
  s->source->seek(s->source->offset() + (uint64_t(count) - in.bytes_in_buffer));
  in.bytes_in_buffer = 0;
}

Session::Session(PictureSource &from) : source(&from) {
  cinfo.err = jpeg_std_error(&errorManager);
  errorManager.error_exit = onError;
  errorManager.emit_message = onMessage;
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = onProgress;
  cinfo.progress = &progress;
  input.init_source = initSource;
  input.fill_input_buffer = fillInput;
  input.skip_input_data = skipInput;
  input.resync_to_restart = jpeg_resync_to_restart;
  input.term_source = termSource;
  cinfo.src = &input;
}

// Runs one step of libjpeg; false when libjpeg reported an error.
template <class F>
bool guarded(Session &s, F &&step) {
  if (setjmp(s.jump)) return false;
  step();
  return true;
}

[[noreturn]] void fail(const Session &s) {
  decodeFailed(std::string("JPEG: ") + s.message);
}

// Smallest scale n/8 whose output still covers the target; 8/8 when none is
// needed.
void chooseScale(Session &s, gfx::Size target) {
  j_decompress_ptr c = &s.cinfo;
  if (target.empty()) return;
  for (unsigned n = 1; n <= 8; ++n) {
    c->scale_num = n;
    c->scale_denom = 8;
    if (!guarded(s, [c] { jpeg_calc_output_dimensions(c); })) fail(s);
    if (int(c->output_width) >= target.width && int(c->output_height) >= target.height) return;
  }
  c->scale_num = c->scale_denom = 1;
}

// libjpeg gives CMYK as stored; files with an Adobe marker (Photoshop and
// most others) store it inverted.
void cmykRowToBgr(const uint8_t *in, uint8_t *out, int width, bool inverted) {
  for (int x = 0; x < width; ++x, in += 4, out += 3) {
    int c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    out[0] = uint8_t((y * k + 127) / 255);
    out[1] = uint8_t((m * k + 127) / 255);
    out[2] = uint8_t((c * k + 127) / 255);
  }
}

// Rows go straight to the bitmap, or through `fit` when it reduces them.
void readRows(Session &s, gfx::Bitmap &bitmap, const RowFit &fit) {
  j_decompress_ptr c = &s.cinfo;
  const bool cmyk = c->out_color_space == JCS_CMYK;
  std::vector<uint8_t> cmykRow(cmyk ? size_t(c->output_width) * 4 : 0);
  std::vector<uint8_t> bgrRow(fit.reduces() ? size_t(c->output_width) * 3 : 0);
  uint8_t *scratch = cmykRow.data();
  const bool inverted = c->saw_Adobe_marker;
  const int width = int(c->output_width);
  bool ok = guarded(s, [&] {
    while (c->output_scanline < c->output_height) {
      const int y = int(c->output_scanline);
      uint8_t *out = fit.reduces() ? bgrRow.data() : bitmap.row(y);
      JSAMPROW row = cmyk ? scratch : out;
      jpeg_read_scanlines(c, &row, 1);
      if (cmyk) cmykRowToBgr(scratch, out, width, inverted);
      if (fit.reduces()) fit.put(out, y, bitmap);
    }
  });
  if (!ok) fail(s);
}

// The orientation recorded in the file's EXIF marker, 1 when it has none.
// The APP1 markers were kept by jpeg_save_markers; an XMP block shares the
// marker number and is passed over by its header.
int orientationOf(const Session &s) {
  for (jpeg_saved_marker_ptr m = s.cinfo.marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || m->data_length < 6) continue;
    if (std::memcmp(m->data, "Exif\0\0", 6) != 0) continue;
    return exifOrientation({m->data, m->data_length});
  }
  return 1;
}

// Decodes as stored, without turning; `orientation` receives the file's.
Decoded decodeStored(PictureSource &source, const DecodeOptions &options, int &orientation) {
  Session s(source);
  j_decompress_ptr c = &s.cinfo;
  if (options.exifOrientation) jpeg_save_markers(c, JPEG_APP0 + 1, 0xFFFF);
  if (!guarded(s, [c] { jpeg_read_header(c, TRUE); })) fail(s);
  const gfx::Size full{int(c->image_width), int(c->image_height)};
  if (full.empty()) throw DecodeError("JPEG: picture has no pixels");
  orientation = options.exifOrientation ? orientationOf(s) : 1;
  const bool cmyk = c->jpeg_color_space == JCS_CMYK || c->jpeg_color_space == JCS_YCCK;
  c->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  // The target is for the upright picture; the scale is chosen on the
  // stored sides it corresponds to.
  gfx::Size target;
  if (options.targetSize) {
    target = options.targetSize(gfx::orientedSize(full, orientation));
    chooseScale(s, gfx::orientedSize(target, orientation));
  }
  if (!guarded(s, [c] { jpeg_calc_output_dimensions(c); })) fail(s);
  // The limit is on the pixels decoded, after the reduction. What the
  // bitmap leaves of the budget is libjpeg's: the coefficients of a
  // progressive file are kept whole at full size, 128 bytes a block, and
  // a file that needs more is refused when they are allocated. A turned
  // picture needs a second bitmap, made once libjpeg has let go of its
  // memory.
  const int64_t bitmapBytes = int64_t(c->output_width) * c->output_height * 3;
  const bool turned = orientation != 1;
  checkPictureSize(c->output_width, c->output_height, turned ? 6 : 3, kMaxDecodeBytes / 16);
  c->mem->max_memory_to_use = long(kMaxDecodeBytes - bitmapBytes);
  if (!guarded(s, [c] { jpeg_start_decompress(c); })) fail(s);
  // The rows of an upright picture are reduced the rest of the way as they
  // come. A turned one is reduced after turning, as the fit samples the
  // upright picture.
  const RowFit fit({int(c->output_width), int(c->output_height)},
                   orientation == 1 ? target : gfx::Size{});
  Decoded result;
  result.fullSize = full;
  result.bitmap = gfx::Bitmap(fit.size().width, fit.size().height);
  readRows(s, result.bitmap, fit);
  return result;
}

}  // namespace

Decoded decodeJpeg(PictureSource &source, const DecodeOptions &options) {
  if (source.size() == 0) throw DecodeError("JPEG: no data");
  int orientation = 1;
  Decoded result = decodeStored(source, options, orientation);
  if (orientation != 1) {
    result.bitmap = gfx::oriented(result.bitmap, orientation);
    result.fullSize = gfx::orientedSize(result.fullSize, orientation);
  }
  return result;
}

}  // namespace vantor
