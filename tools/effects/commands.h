#pragma once
// The subcommands of vantor-effects that need more than a few lines.

#include <QString>

#include "gfx/geometry.h"
#include "transitions/catalogue.h"

namespace effects_tool {

struct SheetOptions {
  int progress = 50;
  int step = 4;
  int firstStyle = 1;
  int lastStyle = transitions::kEffectCount;
  int columns = 8;
};

// Writes one labelled frame per style of the range; 0 on success.
int writeSheet(const QString &oldPath, const QString &newPath, const QString &outPath,
               const SheetOptions &options);

struct BenchOptions {
  gfx::Size size{1920, 1080};
  int style = -1;  // every style that has a routine
  int step = 4;
};

// Times whole transitions through the frame step and prints one line per
// style; 0 on success.
int runBench(const BenchOptions &options);

}  // namespace effects_tool
