// Decode + fit + compose of 24-megapixel pictures to a 1920 x 1080 control,
// beside libvips' thumbnail of the same file and a memcpy of the frame, all
// in this process. Prints the times as ratios at the end: of the wall-clock
// time, and of the CPU time of all the process's threads, which stays
// steadier on a busy machine (libvips spreads its work over threads).
//
// The pictures are made once with ImageMagick's convert from a camera
// photograph of Debian's wallpapers and kept in the build folder.

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <vips/vips.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "gfx/stretch.h"
#include "picture/decode.h"
#include "picture/picture_composer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 1920, kH = 1080;
const char *const kPhoto = "/usr/share/wallpapers/FallenLeaf/contents/images/2560x1600.jpg";

struct Input {
  const char *name;
  const char *options;
};
const Input kInputs[] = {
    {"smooth.jpg", "-quality 92"},
    {"noisy.jpg", "-attenuate 0.4 +noise Gaussian -quality 92"},
    {"progressive.jpg", "-quality 92 -interlace Plane"},
    {"smooth.png", ""},
};

std::string pathOf(const char *name) {
  return (fs::path(VANTOR_BINARY_DIR) / "bench-picture" / name).string();
}

void makeInputs() {
  fs::create_directories(fs::path(VANTOR_BINARY_DIR) / "bench-picture");
  for (const Input &in : kInputs) {
    const std::string out = pathOf(in.name);
    if (fs::exists(out)) continue;
    const std::string cmd = std::string("convert '") + kPhoto + "' -resize '6000x4000!' " +
                            in.options + " -strip '" + out + "' 2>/dev/null";
    std::fprintf(stderr, "making %s\n", out.c_str());
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", cmd.c_str());
  }
}

void BM_Memcpy(benchmark::State &state) {
  std::vector<uint8_t> a(size_t(gfx::Bitmap::strideFor(kW)) * kH, 1), b(a.size());
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}

// What the show does with each picture: load, fit, compose at a random
// position on the background colour (the whole 1920 x 1080 frame).
void BM_Ours(benchmark::State &state, std::string file) {
  for (auto _ : state) {
    vantor::PictureComposer c;
    c.width = kW;
    c.height = kH;
    c.randomPosition = true;
    c.random = [](int n) { return n / 2; };
    if (!c.loadFromFile(file)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(c.picture.data());
  }
}

std::vector<uint8_t> readAll(const std::string &file, benchmark::State &state) {
  FILE *f = std::fopen(file.c_str(), "rb");
  std::vector<uint8_t> bytes(fs::file_size(file));
  if (!f || std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
    state.SkipWithError("read");
  if (f) std::fclose(f);
  return bytes;
}

// The same without the reduced-scale decoding: every pixel decoded.
void BM_OursFullDecode(benchmark::State &state, std::string file) {
  const std::vector<uint8_t> bytes = readAll(file, state);
  for (auto _ : state) {
    vantor::Decoded d = vantor::decodeJpeg(bytes, {});
    vantor::PictureComposer c;
    c.width = kW;
    c.height = kH;
    c.picture = std::move(d.bitmap);
    c.fit(d.fullSize);
    benchmark::DoNotOptimize(c.picture.data());
  }
}

// libjpeg-turbo's cheapest decode: at 1/8 scale, where the inverse DCT keeps
// only each block's mean and a 64th of the pixels is converted. What is left
// is the entropy decoding, which no choice of output scale avoids, and so
// this is the floor under ours (libvips pays the same entropy decoding).
void BM_EntropyFloor(benchmark::State &state, std::string file) {
  const std::vector<uint8_t> bytes = readAll(file, state);
  for (auto _ : state) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(size_t(cinfo.output_width) * 3);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height) jpeg_read_scanlines(&cinfo, rows, 1);
    benchmark::DoNotOptimize(row.data());
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
  }
}

void BM_VipsThumbnail(benchmark::State &state, std::string file) {
  for (auto _ : state) {
    VipsImage *out = nullptr;
    if (vips_thumbnail(file.c_str(), &out, kW, "height", kH, nullptr) != 0) {
      state.SkipWithError(vips_error_buffer());
      break;
    }
    size_t size = 0;
    void *pixels = vips_image_write_to_memory(out, &size);
    benchmark::DoNotOptimize(pixels);
    g_free(pixels);
    g_object_unref(out);
  }
}

double toMs(benchmark::TimeUnit unit) {
  switch (unit) {
    case benchmark::kNanosecond:
      return 1e-6;
    case benchmark::kMicrosecond:
      return 1e-3;
    case benchmark::kMillisecond:
      return 1;
    case benchmark::kSecond:
      return 1e3;
  }
  return 1;
}

// Keeps every run's real and CPU time for the ratio table: the median of
// the repetitions when there are several.
class Collector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ms, cpuMs;
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median") {
        ms[r.run_name.function_name] = r.GetAdjustedRealTime() * toMs(r.time_unit);
        cpuMs[r.run_name.function_name] = r.GetAdjustedCPUTime() * toMs(r.time_unit);
      }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char **argv) {
  if (VIPS_INIT(argv[0])) return 1;
  vips_cache_set_max(0);
  makeInputs();
  benchmark::RegisterBenchmark("memcpy_1920x1080", BM_Memcpy)->UseRealTime();
  for (const Input &in : kInputs) {
    const std::string file = pathOf(in.name);
    benchmark::RegisterBenchmark(("ours/" + std::string(in.name)).c_str(), BM_Ours, file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark(("vips_thumbnail/" + std::string(in.name)).c_str(),
                                 BM_VipsThumbnail, file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
    if (!std::string(in.name).ends_with(".jpg")) continue;
    benchmark::RegisterBenchmark(("ours_full_decode/" + std::string(in.name)).c_str(),
                                 BM_OursFullDecode, file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark(("entropy_floor/" + std::string(in.name)).c_str(), BM_EntropyFloor,
                                 file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
  }
  benchmark::Initialize(&argc, argv);
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const double frame = collector.ms["memcpy_1920x1080"];
  // floor/vips and floor cpu: libjpeg-turbo's decode at 1/8 scale against
  // libvips, about the lowest ratios a JPEG decode through libjpeg-turbo can
  // reach.
  std::printf("\n%-18s %9s %9s %10s %9s %9s %10s %12s %11s %10s\n", "file", "ours ms", "vips ms",
              "ours/vips", "ours cpu", "vips cpu", "cpu ratio", "ours/memcpy", "floor/vips",
              "floor cpu");
  for (const Input &in : kInputs) {
    const std::string ours = std::string("ours/") + in.name;
    const std::string vips = std::string("vips_thumbnail/") + in.name;
    if (collector.ms[ours] <= 0 || collector.ms[vips] <= 0 || frame <= 0) continue;
    const std::string floor = std::string("entropy_floor/") + in.name;
    std::printf("%-18s %9.1f %9.1f %10.2f %9.1f %9.1f %10.2f %12.0f", in.name, collector.ms[ours],
                collector.ms[vips], collector.ms[ours] / collector.ms[vips], collector.cpuMs[ours],
                collector.cpuMs[vips], collector.cpuMs[ours] / collector.cpuMs[vips],
                collector.ms[ours] / frame);
    if (collector.ms[floor] > 0)
      std::printf(" %11.2f %10.2f\n", collector.ms[floor] / collector.ms[vips],
                  collector.cpuMs[floor] / collector.cpuMs[vips]);
    else
      std::printf(" %11s %10s\n", "-", "-");
  }
  vips_shutdown();
  return 0;
}
