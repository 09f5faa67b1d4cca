// Reading a settings file of a million items into the picture list, shuffling
// it, and reading and saving a user store of a hundred thousand keys.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "package/items.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "settings/ini_file.h"

using namespace vantor;

namespace {

std::string settingsText(int items) {
  std::string text = "[Set]\r\nImageInterval=4\r\n[Pictures]\r\n";
  char line[64];
  for (int i = 0; i < items; ++i) {
    std::snprintf(line, sizeof line, "picture%07d.jpg=1\r\n", i);
    text += line;
  }
  return text;
}

// A store file of `keys` savers' keys, in a folder of its own.
std::string storeFile(int keys) {
  std::string folder = (std::filesystem::temp_directory_path() / "vantor-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) std::abort();
  std::string text = "REGEDIT4\n";
  for (int i = 0; i < keys; ++i)
    text += "\n[HKEY_CURRENT_USER\\Software\\Orlenta\\saver" + std::to_string(i) +
            ".scr]\n\"ImageInterval\"=dword:0000000a\n\"PlayMusic\"=dword:00000001\n"
            "@=\"/opt/saver\"\n";
  const std::string path = folder + "/user.reg";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void BM_PictureListFromSettings(benchmark::State &state) {
  const std::string text = settingsText(int(state.range(0)));
  for (auto _ : state) {
    IniFile ini;
    ini.loadFromText(text);
    ItemResolver resolver(nullptr, ini, "", "/prog/", "/support/");
    ItemList list;
    resolver.BuildItemList("Pictures", list);
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_PictureListFromSettings)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShuffleList(benchmark::State &state) {
  ItemList list;
  for (int i = 0; i < state.range(0); ++i) list.push_back("picture" + std::to_string(i) + ".jpg");
  RandomSource random = RandomSource::FromClock();
  for (auto _ : state) ShuffleList(list, random);
}
BENCHMARK(BM_ShuffleList)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StoreOpenKey(benchmark::State &state) {
  const RegistryStore store(storeFile(int(state.range(0))));
  const std::string last = "Software\\Orlenta\\saver" + std::to_string(state.range(0) - 1) + ".scr";
  for (auto _ : state)
    if (!store.openKey(last)) state.SkipWithError("key not found");
  std::filesystem::remove_all(std::filesystem::path(store.filePath()).parent_path());
}
BENCHMARK(BM_StoreOpenKey)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StoreSave(benchmark::State &state) {
  RegistryStore store(storeFile(int(state.range(0))));
  uint32_t interval = 0;
  for (auto _ : state)
    if (!store.updateKey("Software\\Orlenta\\saver5.scr",
                         [&](RegistryKey &k) { k.set("ImageInterval", ++interval); }))
      state.SkipWithError("store not written");
  std::filesystem::remove_all(std::filesystem::path(store.filePath()).parent_path());
}
BENCHMARK(BM_StoreSave)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
