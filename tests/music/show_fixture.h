// Start-up states for the music tests: loose files beside a program, or a
// package appended to a program, with the music list built as the start-up
// does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../common/test_util.h"
#include "music/music_set.h"
#include "package/content_package.h"
#include "package/items.h"
#include "platform/random.h"
#include "settings/ini_file.h"
#include "settings/saver_setting.h"

namespace musictest {

// What the start-up builds that the music reads.
struct ShowState {
  vantor::ContentPackage package;
  std::unique_ptr<vantor::IniFile> ini;
  std::unique_ptr<vantor::ItemResolver> resolver;
  vantor::TSaverSetting settings;
  // Seeded: random orders are the same on every run.
  vantor::RandomSource random;

  vantor::MusicContext music() { return {settings, package, ini.get(), resolver.get(), random}; }
};

struct Track {
  std::string name;     // the entry in the settings' [Music] section
  std::string content;  // the file's bytes; a track without content is missing
};

class ShowFolder {
 public:
  // Loose files: the tracks lie in the program folder's "sample" folder.
  void makeLoose(ShowState &state, const std::vector<Track> &tracks);
  // A package holding the tracks; entries without content are listed but
  // carry no data.
  void makePackaged(ShowState &state, const std::vector<Track> &tracks);
  std::string path(const std::string &name) const { return dir_ / name; }
  const std::string &work() const { return work_.path(); }

 private:
  vantor::test::TempDir dir_, work_;
};

}  // namespace musictest
