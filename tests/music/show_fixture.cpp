#include "show_fixture.h"

#include "package/package_writer.h"

namespace musictest {

using vantor::test::writeFile;

namespace {

std::string musicSection(const std::vector<Track> &tracks) {
  std::string text = "[Music]\r\n";
  for (const Track &t : tracks) text += t.name + "=1\r\n";
  return text;
}

}  // namespace

void ShowFolder::makeLoose(ShowState &state, const std::vector<Track> &tracks) {
  for (const Track &t : tracks)
    if (!t.content.empty()) writeFile(dir_ / ("sample/" + t.name), t.content);
  writeFile(dir_ / "show.002", musicSection(tracks));
  state.ini = std::make_unique<vantor::IniFile>(dir_ / "show.002");
  state.resolver = std::make_unique<vantor::ItemResolver>(nullptr, *state.ini, work_.path(),
                                                          dir_.path(), dir_ / "support/");
  state.resolver->BuildItemList("Music", state.settings.MusicList);
}

void ShowFolder::makePackaged(ShowState &state, const std::vector<Track> &tracks) {
  std::vector<vantor::PackItem> items;
  for (const Track &t : tracks) {
    if (t.content.empty()) continue;
    writeFile(dir_ / ("items/" + t.name), t.content);
    items.push_back({t.name, dir_ / ("items/" + t.name), items.size() % 2 == 0});
  }
  writeFile(dir_ / "prog", std::string(4096, 'P'));
  if (vantor::Status written = vantor::WritePackage(dir_ / "prog", dir_ / "show.exe",
                                                    musicSection(tracks), "show.002", items);
      !written)
    throw std::runtime_error(written.message());
  state.package = vantor::ContentPackage::Scan(dir_ / "show.exe", work_.path());
  state.ini = std::make_unique<vantor::IniFile>(state.package.settingsPath());
  state.resolver = std::make_unique<vantor::ItemResolver>(&state.package, *state.ini, work_.path(),
                                                          dir_.path(), "");
  state.resolver->BuildItemList("Music", state.settings.MusicList);
}

}  // namespace musictest
