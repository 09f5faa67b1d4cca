// The configuration dialog on Qt's offscreen platform: filling from the
// settings, the exit-box rule, what OK writes to the settings file and the
// user store, that Cancel writes nothing, links, banner and layout.

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "../common/test_util.h"
#include "config/config_dialog.h"
#include "config/config_link_label.h"
#include "package/items.h"
#include "platform/registry.h"
#include "settings/ini_file.h"
#include "settings/overrides.h"

using namespace vantor;
using namespace vantor::test;

namespace {

void ensureApp() {
  static QApplication *app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vantor_config_test";
    static char *argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  (void)app;
}

const char kSettings[] =
    "; written by the builder\r\n"
    "[Set]\r\n"
    "ImageInterval=5\r\n"
    "Unknown=keep me\r\n"
    "ScrName=Sea Pictures\r\n"
    "Author=Ann Author\r\n"
    "Website=http://www.example.com/sea\r\n"
    "useeffects=1,2,3,\r\n"
    "[Caption]\r\n"
    "Position=0\r\n"
    "[captions]\r\n"
    "a.jpg=The harbour\r\n"
    "[Other]\r\n"
    "Whatever=1\r\n";

// A settings file, its record and item resolution in a private folder, as
// the start-up leaves them.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureApp(); }

  void load(const std::string &text = kSettings) {
    writeFile(settingsPath(), text);
    ini = std::make_unique<IniFile>(settingsPath());
    s = TSaverSetting{};
    LoadSettings(s, *ini, dir / "support/");
    resolver = std::make_unique<ItemResolver>(nullptr, *ini, dir / "work/", dir / "program/",
                                              dir / "support/");
  }

  std::unique_ptr<TDistributeConfigForm> open(bool package = false) {
    ConfigContext ctx{s, *ini, resolver.get(), &store, "Sea.scr", package, dir / "support/"};
    auto form = std::make_unique<TDistributeConfigForm>(ctx);
    form->openUrl = [this](const QUrl &url) {
      opened.push_back(url.toString().toStdString());
      return true;
    };
    form->show();
    return form;
  }

  std::string settingsPath() const { return dir / "Sea.002"; }

  TempDir dir;
  std::unique_ptr<IniFile> ini;
  TSaverSetting s;
  std::unique_ptr<ItemResolver> resolver;
  RegistryStore store{dir / "config/user.reg"};
  std::vector<std::string> opened;
};

QRadioButton *checkedRadio(QButtonGroup *group) {
  return qobject_cast<QRadioButton *>(group->checkedButton());
}

}  // namespace

TEST_F(DialogTest, TitleCaptionsAndTexts) {
  load();
  auto form = open();
  EXPECT_EQ(form->windowTitle(), "Image Saver Setting");
  EXPECT_EQ(form->size(), QSize(503, 350));
  EXPECT_EQ(form->title_label->text(), "Sea Pictures");
  EXPECT_EQ(form->AuthorLabel->text(), "Ann Author");
  EXPECT_EQ(form->PageControl1->tabText(0), "Options");
  EXPECT_EQ(form->PageControl1->tabText(1), "Exit Conditions");
  EXPECT_EQ(form->PageControl1->tabText(2), "Readme");
  EXPECT_EQ(form->PageControl1->currentIndex(), 0);
  EXPECT_EQ(form->_BtnOK->text(), "&OK");
  EXPECT_TRUE(form->_BtnOK->isDefault());
  EXPECT_EQ(form->Button1->text(), "&Cancel");
  EXPECT_EQ(form->ShowCursorCheck->text(), "Show mouse cursor && Ignore mouse events");
  EXPECT_EQ(form->EscKeyCheck->text(), "Exit only when press ESC key ");
  EXPECT_EQ(form->IntelliRadio->toolTip(), "Show all images in random order");
  EXPECT_EQ(form->IntervalEdit->minimum(), 1);
  EXPECT_EQ(form->IntervalEdit->maximum(), 1000);
  EXPECT_EQ(form->SpeedEdit->minimum(), 1);
  EXPECT_EQ(form->SpeedEdit->maximum(), 5);
  EXPECT_EQ(form->IntervalEdit->value(), 5);
  EXPECT_EQ(form->VantorText1->text(), "- Powered by");
  EXPECT_TRUE(form->VantorText1->isVisible());
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);
}

TEST_F(DialogTest, RadioGroupsFromSettings) {
  load();
  for (int v : {0, 1, 2, 3}) {
    s.ImageSize = uint8_t(v);
    s.ImageSequence = Sequence(v);
    auto form = open();
    QRadioButton *sizes[] = {form->OptimizationRadio, form->OriginalRadio, form->StretchRadio};
    QRadioButton *orders[] = {form->NormalizeRadio, form->RandomizeRadio, form->IntelliRadio};
    EXPECT_EQ(checkedRadio(form->SizeButtons), v < 3 ? sizes[v] : nullptr) << v;
    EXPECT_EQ(checkedRadio(form->SequenceButtons), v < 3 ? orders[v] : nullptr) << v;
  }
}

TEST_F(DialogTest, MusicBoxDisabledWithEmptyList) {
  load();
  s.PlayMusic = true;
  auto form = open();
  EXPECT_FALSE(form->PlayMusicCheck->isEnabled());
  EXPECT_FALSE(form->PlayMusicCheck->isChecked());
  s.MusicList = {"song.mp3"};
  form = open();
  EXPECT_TRUE(form->PlayMusicCheck->isEnabled());
  EXPECT_TRUE(form->PlayMusicCheck->isChecked());
}

TEST_F(DialogTest, CaptionBoxWithCaptionsSectionAndPositionZero) {
  load();
  ASSERT_EQ(s.Position, CaptionPosition::None);
  auto form = open();
  EXPECT_TRUE(form->CaptionCheck->isEnabled());
  EXPECT_TRUE(form->CaptionCheck->isChecked());
  form->_BtnOK->click();
  EXPECT_EQ(IniFile(settingsPath()).readInteger("Caption", "Position", -1), 4);

  load("[Set]\r\n");
  form = open();
  EXPECT_FALSE(form->CaptionCheck->isEnabled());
  EXPECT_FALSE(form->CaptionCheck->isChecked());
  form->_BtnOK->click();
  EXPECT_EQ(IniFile(settingsPath()).readInteger("Caption", "Position", -1), 0);
  EXPECT_EQ(IniFile(settingsPath()).readInteger("Caption", "ForceHide", -1), 1);
}

TEST_F(DialogTest, NoUserSettingHidesPages) {
  load(std::string(kSettings) + "[Set]\r\nNoUserSetting=1\r\n");
  auto form = open();
  EXPECT_FALSE(form->PageControl1->isVisible());  // no read-me: every page hidden
  EXPECT_TRUE(form->_BtnOK->isVisible());
  EXPECT_TRUE(form->title_label->isVisible());

  writeFile(dir / "support/readme.txt", "Read me first.\n");
  form = open();
  EXPECT_TRUE(form->PageControl1->isVisible());
  EXPECT_FALSE(form->PageControl1->isTabVisible(0));
  EXPECT_FALSE(form->PageControl1->isTabVisible(1));
  EXPECT_TRUE(form->PageControl1->isTabVisible(2));
  EXPECT_EQ(form->PageControl1->currentIndex(), 2);
  EXPECT_EQ(form->memo1->toPlainText(), "Read me first.\n");
  EXPECT_EQ(form->memo1->font(), form->font());
}

TEST_F(DialogTest, WebLabelWithoutPrefixOpensTheFullAddress) {
  load();
  auto form = open();
  EXPECT_EQ(form->WebsiteLabel->text(), "www.example.com/sea");
  EXPECT_EQ(form->WebsiteLabel->toolTip(), "http://www.example.com/sea");
  EXPECT_TRUE(form->WebsiteLabel->font().underline());
  EXPECT_EQ(form->WebsiteLabel->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(form->WebsiteLabel->geometry().right() + 1, 476);
  EXPECT_EQ(form->AuthorLabel->geometry().right() + 1, 476);
  form->_TextWebsiteClick(form->WebsiteLabel);
  // Keyboard users reach the link too.
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
  QApplication::sendEvent(form->WebsiteLabel, &space);
  EXPECT_EQ(opened,
            (std::vector<std::string>{"http://www.example.com/sea", "http://www.example.com/sea"}));
}

TEST_F(DialogTest, EmailCases) {
  struct Case {
    const char *website, *email, *webText, *webHint, *authorHint;
    bool authorOnWebLine;
  } cases[] = {
      {"www.example.com", "me@example.com", "www.example.com", "www.example.com",
       "mailto:me@example.com", false},
      {"", "me@example.com", "me@example.com", "mailto:me@example.com", "", false},
      {"", "", "", "", "", true},
  };
  for (const Case &c : cases) {
    load();
    s.Website = c.website;
    s.ScrEmail = c.email;
    opened.clear();
    auto form = open();
    EXPECT_EQ(form->WebsiteLabel->text().toStdString(), c.webText);
    EXPECT_EQ(form->WebsiteLabel->toolTip().toStdString(), c.webHint);
    EXPECT_EQ(form->AuthorLabel->toolTip().toStdString(), c.authorHint);
    EXPECT_EQ(form->AuthorLabel->font().underline(), *c.authorHint != 0);
    EXPECT_EQ(form->AuthorLabel->y() == form->WebsiteLabel->y(), c.authorOnWebLine);
    form->_TextWebsiteClick(form->AuthorLabel);
    if (*c.authorHint)
      EXPECT_EQ(opened, std::vector<std::string>{c.authorHint});
    else
      EXPECT_TRUE(opened.empty());
  }
}

TEST_F(DialogTest, CreditLineAndItsRule) {
  load();
  auto form = open();
  form->_TextWebsiteClick(form->VantorText2);
  EXPECT_EQ(opened, std::vector<std::string>{kBuilderWebsite});
  load(std::string(kSettings) + "[Set]\r\nHideVantorText=1\r\n");
  form = open();
  EXPECT_FALSE(form->VantorText1->isVisible());
  EXPECT_FALSE(form->VantorText2->isVisible());
}

TEST_F(DialogTest, ExitBoxEnablingRule) {
  load();
  auto form = open();
  QCheckBox *events[] = {form->MouseMoveCheck, form->MousePressCheck, form->KeyboardCheck};
  auto enabled = [&] {
    int n = 0;
    for (QCheckBox *b : events) n += b->isEnabled();
    return n;
  };
  EXPECT_EQ(enabled(), 3);
  const bool marks[] = {false, true, true};  // the defaults
  form->ShowCursorCheck->click();
  EXPECT_EQ(enabled(), 0);
  form->EscKeyCheck->click();
  EXPECT_EQ(enabled(), 0);
  form->ShowCursorCheck->click();
  EXPECT_EQ(enabled(), 0);
  form->EscKeyCheck->click();
  EXPECT_EQ(enabled(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(events[i]->isChecked(), marks[i]);

  s.OnlyEscKeyExit = true;
  form = open();
  EXPECT_FALSE(form->MouseMoveCheck->isEnabled());
  EXPECT_FALSE(form->MousePressCheck->isEnabled());
  EXPECT_FALSE(form->KeyboardCheck->isEnabled());
}

namespace {

// The changes made through the controls in the OK tests.
void changeControls(TDistributeConfigForm &f) {
  f.StretchRadio->click();
  f.NormalizeRadio->click();
  f.BackcolorCb->setCurrentIndex(f.BackcolorCb->findText("Navy"));
  f.IntervalEdit->setValue(42);
  f.SpeedEdit->setValue(5);
  f.CaptionCheck->click();  // off: captions forced hidden
  f.MouseMoveCheck->click();
  f.KeyboardCheck->click();
  f.EscKeyCheck->click();
}

}  // namespace

TEST_F(DialogTest, OkWritesExactlyTheDialogKeys) {
  load();
  TSaverSetting expected = s;
  auto form = open();
  changeControls(*form);
  form->_BtnOK->click();
  EXPECT_EQ(form->result(), QDialog::Accepted);

  expected.ImageSize = 2;
  expected.ImageSequence = Sequence::InOrder;
  expected.BackgroundColor = 0x800000;
  expected.ImageInterval = 42;
  expected.EffectSpeed2 = 5;
  expected.ForceHide = true;
  expected.Position = CaptionPosition::Top;
  expected.PlayMusic = false;  // no music: the disabled box is unchecked
  expected.MouseMove = true;
  expected.KeyboardPress = false;
  expected.OnlyEscKeyExit = true;
  IniFile want;
  want.loadFromText(kSettings);
  StoreSettings(expected, want);
  const std::string bytes = readFile(settingsPath());
  EXPECT_EQ(bytes, want.toText());

  // What a reader of the file sees.
  IniFile after(settingsPath());
  EXPECT_EQ(after.readString("Set", "Unknown", ""), "keep me");
  EXPECT_EQ(after.readString("Set", "useeffects", ""), "1,2,3,");
  EXPECT_EQ(after.readString("Set", "Author", ""), "Ann Author");
  EXPECT_EQ(after.readString("captions", "a.jpg", ""), "The harbour");
  EXPECT_EQ(after.readString("Other", "Whatever", ""), "1");
  EXPECT_EQ(after.readInteger("Set", "ImageInterval", 0), 42);
  EXPECT_EQ(after.readInteger("Set", "BackgroundColor", 0), 0x800000);
  EXPECT_EQ(after.readInteger("Set", "OnlyEscKeyExit", 0), 1);
  EXPECT_EQ(after.readInteger("Caption", "ForceHide", 0), 1);
  EXPECT_EQ(
      bytes.rfind("; written by the builder\r\n[Set]\r\nImageInterval=42\r\nUnknown=keep me", 0),
      0u);
  // Without a package the user store is not touched.
  EXPECT_FALSE(exists(store.filePath()));
}

TEST_F(DialogTest, OkWithPackageKeepsEveryStoreLineItDoesNotOwn) {
  // Another program's store lines around and inside the saver's own key.
  const std::string head =
      "REGEDIT4\n\n; edited by hand\n[HKEY_LOCAL_MACHINE\\Software\\Orlenta]\n"
      "\"Installed\"=dword:00000001\n\n[-HKEY_CURRENT_USER\\Software\\Orlenta\\Old.scr]\n\n"
      "[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n\"Weird\"=dword:zz\n";
  const std::string blob = "\"Blob\"=hex:01,02,03,\\\n  04,05,\\\n  06\n";
  const std::string tail =
      "\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Bin\"=hex(2):41,00,\\\n  42,00,00,00\n";
  writeFile(store.filePath(), head + "\"ImageInterval\"=dword:0000000a\n" + blob + tail);
  load();
  auto form = open(true);
  changeControls(*form);
  form->_BtnOK->click();
  EXPECT_EQ(readFile(store.filePath()),
            head + "\"ImageInterval\"=dword:0000002a\n" + blob +
                "\"MouseMoveExit\"=dword:00000001\n\"MousePressExit\"=dword:00000001\n"
                "\"KeyboardPressExit\"=dword:00000000\n\"ShowCursor\"=dword:00000000\n"
                "\"OnlyEscKeyExit\"=dword:00000001\n\"BackgroundColor\"=dword:00800000\n"
                "\"ImageSize\"=dword:00000002\n\"ImageSequence\"=dword:00000000\n"
                "\"EffectSpeed2\"=dword:00000005\n\"PlayMusic\"=dword:00000000\n"
                "\"CaptionForceHide\"=dword:00000001\n" +
                tail);
}

TEST_F(DialogTest, OkWithPackageStoresTheUserChoicesAndTheNextStartReadsThem) {
  load();
  auto form = open(true);
  changeControls(*form);
  form->_BtnOK->click();

  std::optional<RegistryKey> key = store.openKey(OverridesKeyPath("Sea.scr"));
  ASSERT_TRUE(key);
  const std::vector<std::pair<std::string, RegistryValue>> want = {
      {"MouseMoveExit", 1u},  {"MousePressExit", 1u}, {"KeyboardPressExit", 0u},
      {"ShowCursor", 0u},     {"OnlyEscKeyExit", 1u}, {"BackgroundColor", 0x800000u},
      {"ImageInterval", 42u}, {"ImageSize", 2u},      {"ImageSequence", 0u},
      {"EffectSpeed2", 5u},   {"PlayMusic", 0u},      {"CaptionForceHide", 1u}};
  EXPECT_EQ(key->values, want);

  // The next start: the package's settings file as it was, then the store.
  IniFile original;
  original.loadFromText(kSettings);
  TSaverSetting next;
  LoadSettings(next, original, dir / "support/");
  ApplyRegistryOverrides(next, store, "Sea.scr", SaverKind::Image);
  EXPECT_EQ(next.ImageInterval, 42);
  EXPECT_EQ(next.ImageSize, 2);
  EXPECT_EQ(next.ImageSequence, Sequence::InOrder);
  EXPECT_EQ(next.BackgroundColor, 0x800000);
  EXPECT_EQ(next.EffectSpeed2, 5);
  EXPECT_TRUE(next.ForceHide);
  EXPECT_TRUE(next.MouseMove);
  EXPECT_FALSE(next.KeyboardPress);
  EXPECT_TRUE(next.OnlyEscKeyExit);
  // And the dialog of the next start shows them.
  ini = std::make_unique<IniFile>();
  ini->loadFromText(kSettings);
  s = next;
  form = open(true);
  EXPECT_EQ(form->IntervalEdit->value(), 42);
  EXPECT_EQ(form->BackcolorCb->currentText(), "Navy");
  EXPECT_TRUE(form->StretchRadio->isChecked());
  EXPECT_TRUE(form->EscKeyCheck->isChecked());
  EXPECT_FALSE(form->MouseMoveCheck->isEnabled());
}

// Folder mode has no settings file: OK keeps the choices in the user's
// store alone, and closes.
TEST_F(DialogTest, OkInFolderModeStoresTheChoicesWithoutAFile) {
  ini = std::make_unique<IniFile>();
  TDistributeConfigForm form(
      ConfigContext{s, *ini, nullptr, &store, "vantor-folder", true, dir / "support/", true});
  std::string failure;
  form.showSaveFailure = [&](const std::string &why) { failure = why; };
  form.show();
  form.IntervalEdit->setValue(42);
  form._BtnOK->click();
  EXPECT_EQ(failure, "");
  EXPECT_EQ(form.result(), QDialog::Accepted);
  TSaverSetting next;
  ApplyRegistryOverrides(next, store, "vantor-folder", SaverKind::Image);
  EXPECT_EQ(next.ImageInterval, 42);
}

TEST_F(DialogTest, CancelAndEscWriteNothing) {
  load();
  writeFile(store.filePath(),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\r\n"
            "\"ImageInterval\"=dword:00000007\r\n");
  const std::string fileBefore = readFile(settingsPath());
  const std::string storeBefore = readFile(store.filePath());
  auto form = open(true);
  changeControls(*form);
  form->Button1->click();
  EXPECT_EQ(form->result(), QDialog::Rejected);
  form = open(true);
  changeControls(*form);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &esc);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(readFile(settingsPath()), fileBefore);
  EXPECT_EQ(readFile(store.filePath()), storeBefore);
}

TEST_F(DialogTest, ColourWithoutNameKeepsItsValue) {
  load();
  s.BackgroundColor = 0x123456;
  auto form = open();
  EXPECT_EQ(form->BackcolorCb->currentText(), kCustomColorName);
  EXPECT_EQ(form->backgroundColor(), 0x123456);
  form->_BtnOK->click();
  EXPECT_EQ(IniFile(settingsPath()).readInteger("Set", "BackgroundColor", 0), 0x123456);
  s.BackgroundColor = 0xFFFFFF;
  form = open();
  EXPECT_EQ(form->BackcolorCb->currentText(), "White");
}

TEST_F(DialogTest, BannerShownOverTheHeaderAndOpensItsAddress) {
  load(std::string(kSettings) +
       "[Set]\r\nBuild_UseBanner=1\r\nBuild_BannerImage=banner.png\r\n"
       "Build_BannerURL=www.example.com/buy\r\nBuild_BannerTips=Buy now\r\nBuild_HideTitle=1\r\n");
  QImage picture(40, 10, QImage::Format_RGB32);
  picture.fill(QColor(200, 10, 10));
  std::filesystem::create_directories(dir / "program/sample");
  ASSERT_TRUE(picture.save(QString::fromStdString(dir / "program/sample/banner.png")));
  auto form = open();
  ASSERT_TRUE(form->BannerImage->isVisible());
  EXPECT_EQ(form->BannerImage->geometry(), QRect(18, 14, 468, 60));
  EXPECT_EQ(form->BannerImage->toolTip(), "Buy now");
  EXPECT_EQ(form->BannerImage->cursor().shape(), Qt::PointingHandCursor);
  const QImage shown = form->grab().toImage();
  const int at = int(30 * shown.devicePixelRatio());
  EXPECT_EQ(shown.pixelColor(at, at), QColor(200, 10, 10));  // over the title
  form->BannerImageClick();
  EXPECT_EQ(opened, std::vector<std::string>{"http://www.example.com/buy"});

  writeFile(dir / "program/sample/banner.png", "not a picture");
  form = open();
  EXPECT_FALSE(form->BannerImage->isVisible());
}

TEST_F(DialogTest, BannerOffWithoutUseBanner) {
  load(std::string(kSettings) + "[Set]\r\nBuild_BannerImage=banner.png\r\n");
  std::filesystem::create_directories(dir / "program/sample");
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  picture.save(QString::fromStdString(dir / "program/sample/banner.png"));
  auto form = open();
  EXPECT_FALSE(form->BannerImage->isVisible());
  form->BannerImageClick();
  EXPECT_TRUE(opened.empty());
}

namespace {

// Widgets that show text must be at least as large as their text needs, and
// visible siblings must not overlap.
void expectNothingCutOffOrOverlapping(QWidget *root) {
  for (QWidget *w : root->findChildren<QWidget *>()) {
    if (!w->isVisibleTo(root)) continue;
    const bool text = qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w) ||
                      qobject_cast<QRadioButton *>(w) || qobject_cast<QComboBox *>(w) ||
                      qobject_cast<QSpinBox *>(w);
    auto *label = qobject_cast<QLabel *>(w);
    if (text && !(label && label->hasScaledContents())) {
      EXPECT_GE(w->width(), w->minimumSizeHint().width())
          << w->objectName().toStdString() << " " << w->metaObject()->className();
      EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->metaObject()->className();
    }
    if (auto *b = qobject_cast<QPushButton *>(w)) {
      EXPECT_GE(w->width(), b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 12);
    }
  }
  QList<QWidget *> parents = root->findChildren<QWidget *>();
  parents << root;
  for (QWidget *parent : parents) {
    QList<QWidget *> kids;
    for (QObject *o : parent->children())
      if (auto *w = qobject_cast<QWidget *>(o); w && w->isVisibleTo(root) && !w->isWindow())
        kids << w;
    for (int i = 0; i < kids.size(); ++i)
      for (int j = i + 1; j < kids.size(); ++j) {
        const QString a = kids[i]->objectName(), b = kids[j]->objectName();
        if (a == "HeaderFrame" || b == "HeaderFrame") continue;  // the header holds its labels
        EXPECT_FALSE(kids[i]->geometry().intersects(kids[j]->geometry()))
            << a.toStdString() << "/" << kids[i]->metaObject()->className() << " and "
            << b.toStdString() << "/" << kids[j]->metaObject()->className();
      }
  }
}

}  // namespace

TEST_F(DialogTest, NothingCutOffOrOverlapping) {
  load();
  s.MusicList = {"a.mp3"};
  auto form = open();
  for (int page = 0; page < 3; ++page) {
    form->PageControl1->setCurrentIndex(page);
    QApplication::processEvents();
    expectNothingCutOffOrOverlapping(form.get());
  }
  // Every control lies inside the client area.
  for (QWidget *w : form->findChildren<QWidget *>())
    if (w->parentWidget() == form.get() && w->isVisible()) {
      EXPECT_TRUE(form->rect().contains(w->geometry())) << w->objectName().toStdString();
    }
}

TEST_F(DialogTest, TabKeyRunsThroughThePageToTheButtons) {
  load();
  s.MusicList = {"a.mp3"};
  auto form = open();
  QApplication::setActiveWindow(form.get());
  form->OptimizationRadio->setFocus();
  std::vector<QWidget *> seen;
  for (int i = 0; i < 12; ++i) {
    QWidget *w = QApplication::focusWidget();
    seen.push_back(w);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(w, &tab);
  }
  // One stop for each radio group, then the fields of the page, the buttons,
  // the credit link, round to the header's link and the page tabs.
  const std::vector<QWidget *> want = {
      form->OptimizationRadio, form->NormalizeRadio, form->BackcolorCb,
      form->IntervalEdit,      form->SpeedEdit,      form->PlayMusicCheck,
      form->CaptionCheck,      form->_BtnOK,         form->Button1,
      form->VantorText2,       form->WebsiteLabel,   form->PageControl1->tabBar()};
  auto describe = [](const std::vector<QWidget *> &ws) {
    std::string text;
    for (QWidget *w : ws) {
      auto *b = qobject_cast<QAbstractButton *>(w);
      text += (b   ? b->text()
               : w ? QString(w->metaObject()->className()) + w->objectName()
                   : QString("null"))
                  .toStdString() +
              "; ";
    }
    return text;
  };
  EXPECT_EQ(describe(seen), describe(want));
}

TEST_F(DialogTest, EnterAtTheStartMeansOk) {
  load();
  auto form = open();
  QApplication::setActiveWindow(form.get());
  QWidget *first = QApplication::focusWidget();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, form->PageControl1->tabBar());
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(first, &enter);
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(IniFile(settingsPath()).readInteger("Caption", "Position", -1), 4);
}
