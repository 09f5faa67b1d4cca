// Engines for the music tests: loose files beside a program, or a package
// appended to a program, with the music list built as the start-up does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../common/test_util.h"
#include "startup/engine.h"

namespace musictest {

struct Track {
  std::string name;     // the entry in the settings' [Music] section
  std::string content;  // the file's bytes; a track without content is missing
};

class ShowFolder {
 public:
  // Loose files: the tracks lie in the program folder's "sample" folder.
  void makeLoose(vantor::Engine &engine, const std::vector<Track> &tracks);
  // A package holding the tracks; entries without content are listed but
  // carry no data.
  void makePackaged(vantor::Engine &engine, const std::vector<Track> &tracks);
  std::string path(const std::string &name) const { return dir_ / name; }
  const std::string &work() const { return work_.path(); }

 private:
  vantor::test::TempDir dir_, work_;
};

}  // namespace musictest
