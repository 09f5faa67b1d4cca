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

void ShowFolder::makeLoose(vantor::Engine &engine, const std::vector<Track> &tracks) {
  for (const Track &t : tracks)
    if (!t.content.empty()) writeFile(dir_ / ("sample/" + t.name), t.content);
  writeFile(dir_ / "show.002", musicSection(tracks));
  engine.ini = std::make_unique<vantor::IniFile>(dir_ / "show.002");
  engine.resolver = std::make_unique<vantor::ItemResolver>(nullptr, *engine.ini, work_.path(),
                                                           dir_.path(), dir_ / "support/");
  engine.folders.work = work_.path();
  engine.resolver->BuildItemList("Music", engine.settings.MusicList);
}

void ShowFolder::makePackaged(vantor::Engine &engine, const std::vector<Track> &tracks) {
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
  engine.programPath = dir_ / "show.exe";
  engine.package = vantor::ContentPackage::Scan(engine.programPath, work_.path());
  engine.ini = std::make_unique<vantor::IniFile>(engine.package.settingsPath());
  engine.folders.work = work_.path();
  engine.folders.system = dir_ / "system/";
  engine.resolver = std::make_unique<vantor::ItemResolver>(&engine.package, *engine.ini,
                                                           work_.path(), dir_.path(), "");
  engine.resolver->BuildItemList("Music", engine.settings.MusicList);
}

}  // namespace musictest
