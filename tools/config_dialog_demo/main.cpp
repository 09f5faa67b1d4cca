// Shows the configuration dialog with sample settings, for looking at it on a
// desktop and for the screenshots under docs/.
//
//   vantor-config-demo [--page N] [--grab FILE.png] [--no-user-setting]
//
// Without --grab the dialog stays until it is closed; OK writes into a
// temporary folder that is removed afterwards. With --grab the window is
// saved as a picture once it is shown, and the program ends.

#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "config/config_dialog.h"
#include "package/items.h"
#include "platform/registry.h"
#include "settings/ini_file.h"

using namespace vantor;

namespace {

const char kSample[] =
    "[Set]\r\nScrName=Harbour Lights\r\nAuthor=by Ann Author\r\n"
    "Website=http://www.example.com/harbour\r\nImageInterval=8\r\nImageSequence=2\r\n"
    "BackgroundColor=8388608\r\nEffectSpeed2=2\r\n"
    "[Music]\r\nsea.mp3=1\r\n[captions]\r\nboats.jpg=Boats at dusk\r\n";

const char kReadme[] =
    "Harbour Lights screen saver\r\n\r\n"
    "Twenty photographs of the harbour at dusk, with music.\r\n"
    "Open the Display settings and choose \"Harbour Lights\" to use it.\r\n";

void write(const std::filesystem::path &path, const std::string &text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

int main(int argc, char **argv) {
  int page = 0;
  const char *grab = nullptr;
  bool noUserSetting = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--page") && i + 1 < argc) page = std::atoi(argv[++i]);
    if (!std::strcmp(argv[i], "--grab") && i + 1 < argc) grab = argv[++i];
    if (!std::strcmp(argv[i], "--no-user-setting")) noUserSetting = true;
  }
  QApplication app(argc, argv);
  char pattern[] = "/tmp/vantor-config-demo-XXXXXX";
  const std::string dir = std::string(mkdtemp(pattern)) + "/";
  write(dir + "support/readme.txt", kReadme);
  write(dir + "Harbour.002",
        std::string(kSample) + (noUserSetting ? "[Set]\r\nNoUserSetting=1\r\n" : ""));
  IniFile ini(dir + "Harbour.002");
  TSaverSetting settings;
  LoadSettings(settings, ini, dir + "support/");
  ItemResolver resolver(nullptr, ini, dir + "work/", dir, dir + "support/");
  resolver.BuildItemList("Music", settings.MusicList);
  RegistryStore store(dir + "user.reg");
  int rc = 0;
  {
    TDistributeConfigForm form(
        ConfigContext{settings, ini, &resolver, &store, "Harbour.scr", false, dir + "support/"});
    form.show();
    form.PageControl1->setCurrentIndex(page);
    if (grab) {
      QTimer::singleShot(300, [&] {
        rc = form.grab().save(grab) ? 0 : 1;
        form.reject();
      });
      app.exec();
    } else {
      rc = form.exec() == QDialog::Accepted ? 0 : 1;
    }
  }
  std::filesystem::remove_all(dir);
  return rc;
}
