// vantor-effects: looks at the transition effects outside the show, on the
// same frame step the display control uses.
//
//   vantor-effects list
//   vantor-effects render --style N --progress P [--step S] [--seed K] OLD NEW OUT.png
//   vantor-effects sheet [--progress P] [--step S] [--styles A-B] OLD NEW OUT.png
//   vantor-effects bench --size WxH [--style N] [--step S]

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "commands.h"
#include "image_io.h"
#include "platform/random.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"

namespace {

using namespace effects_tool;

// Options given as "--name value", and the remaining words in order.
struct Arguments {
  std::map<std::string, std::string> options;
  QStringList words;
  bool ok = true;
};

Arguments parse(int argc, char **argv) {
  Arguments a;
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.rfind("--", 0) != 0) {
      a.words << QString::fromLocal8Bit(argv[i]);
    } else if (i + 1 < argc) {
      a.options[word.substr(2)] = argv[++i];
    } else {
      a.ok = false;
    }
  }
  return a;
}

// The option as a whole number within [lo, hi]; false if it is malformed.
bool number(const Arguments &a, const char *name, int lo, int hi, int &out) {
  auto it = a.options.find(name);
  if (it == a.options.end()) return true;
  char *end = nullptr;
  const long v = std::strtol(it->second.c_str(), &end, 10);
  if (end == it->second.c_str() || *end || v < lo || v > hi) return false;
  out = int(v);
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: vantor-effects list\n"
               "       vantor-effects render --style N --progress P [--step S] [--seed K] OLD "
               "NEW OUT.png\n"
               "       vantor-effects sheet [--progress P] [--step S] [--styles A-B] OLD NEW "
               "OUT.png\n"
               "       vantor-effects bench --size WxH [--style N] [--step S]\n");
  return 2;
}

int list() {
  for (const transitions::Effect &e : transitions::effects())
    std::printf("%d\t%.*s\n", e.number, int(e.name.size()), e.name.data());
  return 0;
}

int render(const Arguments &a) {
  int style = -1, progress = -1, step = 4, seed = 0;
  if (!a.options.count("style") || !a.options.count("progress") || a.words.size() != 3 ||
      !number(a, "style", 0, transitions::kEffectCount, style) ||
      !number(a, "progress", 0, 100, progress) || !number(a, "step", 1, 100, step) ||
      !number(a, "seed", 0, 0x7fffffff, seed))
    return usage();
  vantor::RandomSource random;
  if (a.options.count("seed")) random.seed(uint32_t(seed));
  const auto oldPicture = loadPicture(a.words[0]), newPicture = loadPicture(a.words[1]);
  if (!oldPicture || !newPicture || oldPicture->size() != newPicture->size()) {
    std::fprintf(stderr, "vantor-effects: two readable pictures of the same size are needed\n");
    return 1;
  }
  gfx::Bitmap screen(newPicture->width(), newPicture->height());
  transitions::drawFrame(screen, *oldPicture, *newPicture, style, step, progress, random);
  if (!savePicture(screen, a.words[2])) {
    std::fprintf(stderr, "vantor-effects: cannot write %s\n", qPrintable(a.words[2]));
    return 1;
  }
  return 0;
}

bool styleRange(const Arguments &a, SheetOptions &o) {
  auto it = a.options.find("styles");
  if (it == a.options.end()) return true;
  return std::sscanf(it->second.c_str(), "%d-%d", &o.firstStyle, &o.lastStyle) == 2 &&
         o.firstStyle >= 1 && o.firstStyle <= o.lastStyle &&
         o.lastStyle <= transitions::kEffectCount;
}

int sheet(int argc, char **argv, const Arguments &a) {
  SheetOptions o;
  if (a.words.size() != 3 || !number(a, "progress", 0, 100, o.progress) ||
      !number(a, "step", 1, 100, o.step) || !styleRange(a, o))
    return usage();
  // Text needs the font database of a GUI application, but no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  return writeSheet(a.words[0], a.words[1], a.words[2], o);
}

int bench(const Arguments &a) {
  BenchOptions o;
  auto it = a.options.find("size");
  if (it == a.options.end() ||
      std::sscanf(it->second.c_str(), "%dx%d", &o.size.width, &o.size.height) != 2 ||
      o.size.width < 1 || o.size.height < 1 || o.size.width > 16384 || o.size.height > 16384 ||
      !number(a, "style", 0, transitions::kEffectCount, o.style) ||
      !number(a, "step", 1, 100, o.step))
    return usage();
  return runBench(o);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  const Arguments a = parse(argc, argv);
  if (!a.ok) return usage();
  if (command == "list") return list();
  if (command == "render") return render(a);
  if (command == "sheet") return sheet(argc, argv, a);
  if (command == "bench") return bench(a);
  return usage();
}
