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
  EXPECT_EQ(form->PageControl1->tabText(0), "Options");
  EXPECT_EQ(form->PageControl1->tabText(1), "Exit Conditions");
  EXPECT_EQ(form->PageControl1->tabText(2), "Readme");
  for (int page = 0; page < 3; ++page) EXPECT_TRUE(form->PageControl1->isTabVisible(page));
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
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);
  // The credit line opens the builder's site, and can be hidden.
  EXPECT_EQ(form->VantorText1->text(), "- Powered by");
  EXPECT_TRUE(form->VantorText1->isVisible());
  form->_TextWebsiteClick(form->VantorText2);
  EXPECT_EQ(opened, std::vector<std::string>{kBuilderWebsite});
  load(std::string(kSettings) + "[Set]\r\nHideVantorText=1\r\n");
  form = open();
  EXPECT_FALSE(form->VantorText1->isVisible());
  EXPECT_FALSE(form->VantorText2->isVisible());
}

// The radio groups, and the colour by name or, without one, as "Custom"
// with its value kept through OK.
TEST_F(DialogTest, OptionsShowTheSettings) {
  load();
  const struct {
    int v, colour;
    const char *colourName;
  } cases[] = {{0, 0xFFFFFF, "White"},
               {1, 0x800000, "Navy"},
               {2, 0, "Black"},
               {3, 0xFFFFFF, "White"},
               {255, 0x123456, kCustomColorName}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.v);
    s.ImageSize = uint8_t(c.v);
    s.ImageSequence = Sequence(c.v);
    s.BackgroundColor = c.colour;
    auto form = open();
    QRadioButton *sizes[] = {form->OptimizationRadio, form->OriginalRadio, form->StretchRadio};
    QRadioButton *orders[] = {form->NormalizeRadio, form->RandomizeRadio, form->IntelliRadio};
    EXPECT_EQ(checkedRadio(form->SizeButtons), c.v < 3 ? sizes[c.v] : nullptr);
    EXPECT_EQ(checkedRadio(form->SequenceButtons), c.v < 3 ? orders[c.v] : nullptr);
    EXPECT_EQ(form->BackcolorCb->currentText(), c.colourName);
    EXPECT_EQ(form->backgroundColor(), c.colour);
    form->_BtnOK->click();
  }
  EXPECT_EQ(IniFile(settingsPath()).readInteger("Set", "BackgroundColor", 0), 0x123456);
}

// A box with nothing behind it is off and cannot be turned on; OK writes
// what it shows.
TEST_F(DialogTest, MusicAndCaptionBoxesNeedTheirContent) {
  struct Case {
    const char *what, *text;
    bool music, musicOn, captionOn;
    int position;  // written by OK: captions shown at the bottom, or none
  } cases[] = {{"captions, no music", kSettings, false, false, true, 4},
               {"music, no captions", "[Set]\r\n", true, true, false, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    load(c.text);
    ASSERT_EQ(s.Position, CaptionPosition::None);
    s.PlayMusic = true;
    if (c.music) s.MusicList = {"song.mp3"};
    auto form = open();
    EXPECT_EQ(form->PlayMusicCheck->isEnabled(), c.musicOn);
    EXPECT_EQ(form->PlayMusicCheck->isChecked(), c.musicOn);
    EXPECT_EQ(form->CaptionCheck->isEnabled(), c.captionOn);
    EXPECT_EQ(form->CaptionCheck->isChecked(), c.captionOn);
    form->_BtnOK->click();
    IniFile saved(settingsPath());
    EXPECT_EQ(saved.readInteger("Set", "PlayMusic", -1), int(c.musicOn));
    EXPECT_EQ(saved.readInteger("Caption", "Position", -1), c.position);
    EXPECT_EQ(saved.readInteger("Caption", "ForceHide", -1), int(!c.captionOn));
  }
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

TEST_F(DialogTest, WebLabelIsALinkForMouseAndKeyboard) {
  load();
  auto form = open();
  EXPECT_TRUE(form->WebsiteLabel->font().underline());
  EXPECT_EQ(form->WebsiteLabel->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(form->WebsiteLabel->geometry().right() + 1, 476);
  EXPECT_EQ(form->AuthorLabel->geometry().right() + 1, 476);
  form->_TextWebsiteClick(form->WebsiteLabel);
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
  QApplication::sendEvent(form->WebsiteLabel, &space);
  EXPECT_EQ(opened,
            (std::vector<std::string>{"http://www.example.com/sea", "http://www.example.com/sea"}));
}

// The header shows the web address without "http://", at most 100
// characters of it; the author's name writes a mail when there is an address
// to show as well, and takes the web line when there is neither.
TEST_F(DialogTest, HeaderShowsTheAddressesAndTheAuthorsMail) {
  const std::string longAddress = "http://" + std::string(150, 'a');
  struct Case {
    std::string website, email, webText, webHint, authorHint;
    bool authorOnWebLine;
  } cases[] = {
      {"http://www.example.com/a", "", "www.example.com/a", "http://www.example.com/a", "", false},
      {"HTTP://Example.com", "", "Example.com", "HTTP://Example.com", "", false},
      {"https://example.com", "", "https://example.com", "https://example.com", "", false},
      {longAddress, "", std::string(100, 'a'), longAddress, "", false},
      {"www.example.com", "me@example.com", "www.example.com", "www.example.com",
       "mailto:me@example.com", false},
      {"", "me@example.com", "me@example.com", "mailto:me@example.com", "", false},
      {"", "", "", "", "", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.website + " " + c.email);
    load();
    s.Website = c.website;
    s.ScrEmail = c.email;
    opened.clear();
    auto form = open();
    EXPECT_EQ(form->WebsiteLabel->text().toStdString(), c.webText);
    EXPECT_EQ(form->WebsiteLabel->toolTip().toStdString(), c.webHint);
    EXPECT_EQ(form->AuthorLabel->text(), "Ann Author");
    EXPECT_EQ(form->AuthorLabel->toolTip().toStdString(), c.authorHint);
    EXPECT_EQ(form->AuthorLabel->font().underline(), !c.authorHint.empty());
    EXPECT_EQ(form->AuthorLabel->y() == form->WebsiteLabel->y(), c.authorOnWebLine);
    form->_TextWebsiteClick(form->AuthorLabel);
    EXPECT_EQ(opened, c.authorHint.empty() ? std::vector<std::string>{}
                                           : std::vector<std::string>{c.authorHint});
  }
}

// The event boxes are off while the cursor is shown or only Esc exits, and
// come back with the marks they had.
TEST_F(DialogTest, ExitBoxEnablingRule) {
  load();
  auto form = open();
  QCheckBox *events[] = {form->MouseMoveCheck, form->MousePressCheck, form->KeyboardCheck};
  const struct {
    QCheckBox *click;
    bool enabled;
  } steps[] = {{nullptr, true},
               {form->ShowCursorCheck, false},
               {form->EscKeyCheck, false},
               {form->ShowCursorCheck, false},
               {form->EscKeyCheck, true}};
  for (const auto &step : steps) {
    if (step.click) step.click->click();
    for (QCheckBox *b : events) EXPECT_EQ(b->isEnabled(), step.enabled) << b->text().toStdString();
  }
  const bool marks[] = {false, true, true};  // the defaults
  for (int i = 0; i < 3; ++i) EXPECT_EQ(events[i]->isChecked(), marks[i]);
  s.OnlyEscKeyExit = true;
  form = open();
  for (QCheckBox *b : {form->MouseMoveCheck, form->MousePressCheck, form->KeyboardCheck})
    EXPECT_FALSE(b->isEnabled());
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
  // The keys in the file's own order, whatever the settings writer does.
  EXPECT_EQ(
      bytes.rfind("; written by the builder\r\n[Set]\r\nImageInterval=42\r\nUnknown=keep me", 0),
      0u);
  // Without a package the user store is not touched.
  EXPECT_FALSE(exists(store.filePath()));
}

// With a package the settings file is the package's: OK keeps the choices
// in the user's store, among lines of other programs it leaves as they were,
// and the dialog of the next start shows them.
TEST_F(DialogTest, OkWithPackageStoresTheChoicesForTheNextStart) {
  const std::string others =
      "REGEDIT4\n\n; edited by hand\n[HKEY_LOCAL_MACHINE\\Software\\Orlenta]\n"
      "\"Installed\"=dword:00000001\n\n[-HKEY_CURRENT_USER\\Software\\Orlenta\\Old.scr]\n";
  writeFile(store.filePath(), others);
  load();
  auto form = open(true);
  changeControls(*form);
  form->_BtnOK->click();
  EXPECT_EQ(readFile(store.filePath()).rfind(others, 0), 0u);

  // The next start: the package's settings file as it was, then the store.
  ini = std::make_unique<IniFile>();
  ini->loadFromText(kSettings);
  s = TSaverSetting{};
  LoadSettings(s, *ini, dir / "support/");
  ApplyRegistryOverrides(s, store, "Sea.scr", SaverKind::Image);
  form = open(true);
  EXPECT_TRUE(form->StretchRadio->isChecked());
  EXPECT_TRUE(form->NormalizeRadio->isChecked());
  EXPECT_EQ(form->BackcolorCb->currentText(), "Navy");
  EXPECT_EQ(form->IntervalEdit->value(), 42);
  EXPECT_EQ(form->SpeedEdit->value(), 5);
  EXPECT_FALSE(form->CaptionCheck->isChecked());
  EXPECT_TRUE(form->MouseMoveCheck->isChecked());
  EXPECT_FALSE(form->KeyboardCheck->isChecked());
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

TEST_F(DialogTest, BannerShownOverTheHeaderAndOpensItsAddress) {
  const std::string banner =
      "[Set]\r\nBuild_BannerImage=banner.png\r\nBuild_BannerURL=www.example.com/buy\r\n"
      "Build_BannerTips=Buy now\r\nBuild_HideTitle=1\r\n";
  load(std::string(kSettings) + banner + "Build_UseBanner=1\r\n");
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

  // Without the switch there is no banner.
  load(std::string(kSettings) + banner);
  form = open();
  EXPECT_FALSE(form->BannerImage->isVisible());
  // Nor when the picture cannot be read.
  writeFile(dir / "program/sample/banner.png", "not a picture");
  load(std::string(kSettings) + banner + "Build_UseBanner=1\r\n");
  form = open();
  EXPECT_FALSE(form->BannerImage->isVisible());
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
      text += (b ? b->text() : w ? w->metaObject()->className() : "null").toStdString() + "; ";
    }
    return text;
  };
  EXPECT_EQ(seen, want) << describe(seen);
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
