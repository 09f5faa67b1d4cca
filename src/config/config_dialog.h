#pragma once
// The configuration dialog, "Image Saver Setting": the saver's title, author
// and links in a header, the "Options", "Exit Conditions" and "Readme" pages,
// and OK, which saves the user's choices, or Cancel, which writes nothing.
// The rules that map settings to controls live in config_model.h; this class
// only lays out the widgets and moves values between them and the model.

#include <QDialog>
#include <QUrl>
#include <functional>

#include "config/config_model.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace vantor {

class ConfigLinkLabel;

// The described face when it is installed, else the one fontconfig offers
// in its place, at a height in pixels.
QFont DescribedFont(const QString &family, int pixelSize);

class TDistributeConfigForm : public QDialog {
 public:
  explicit TDistributeConfigForm(ConfigContext context, QWidget *parent = nullptr);

  // Fills the dialog from the settings; runs at the first show.
  void FormShow();
  void ShowCursorCheckClick();
  void _BtnOKClick();
  void Button1Click();
  void _TextWebsiteClick(ConfigLinkLabel *label);
  void BannerImageClick();

  ConfigControls controls() const;
  void setControls(const ConfigControls &c);
  void setBackgroundColor(int color);
  int backgroundColor() const;

  // Opens an address with the desktop's handler; replaceable for tests.
  std::function<bool(const QUrl &)> openUrl;
  // Tells the user that OK could not save the choices (a message box); the
  // dialog then stays open. Replaceable for tests.
  std::function<void(const std::string &)> showSaveFailure;

  // The controls, named as the rest of the program knows them.
  QFrame *HeaderFrame;
  QLabel *BannerImage;
  QLabel *title_label;
  ConfigLinkLabel *AuthorLabel;
  ConfigLinkLabel *WebsiteLabel;
  QTabWidget *PageControl1;
  QWidget *OptionsSheet, *ExitSheet, *ReadmeSheet;
  QGroupBox *ImageSizeGroup, *ImageSequenceGroup, *TransitionGroup, *ExitGroup;
  QRadioButton *OptimizationRadio, *OriginalRadio, *StretchRadio;
  QRadioButton *NormalizeRadio, *RandomizeRadio, *IntelliRadio;
  QButtonGroup *SizeButtons, *SequenceButtons;
  QComboBox *BackcolorCb;
  QSpinBox *IntervalEdit, *SpeedEdit;
  QCheckBox *PlayMusicCheck, *CaptionCheck;
  QCheckBox *MouseMoveCheck, *MousePressCheck, *KeyboardCheck, *ShowCursorCheck, *EscKeyCheck;
  QPlainTextEdit *memo1;
  QPushButton *_BtnOK, *Button1;
  QLabel *VantorText1;
  ConfigLinkLabel *VantorText2;

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void buildHeader();
  void buildPages();
  QWidget *buildOptionsPage();
  QWidget *buildExitPage();
  void buildButtons();
  void fillHeader();
  void fillReadme();
  void showPages();
  void showBanner();
  void placeHeaderLabels();
  void openLink(const std::string &target);

  ConfigContext ctx_;
  BannerPlan banner_;
  bool filled_ = false;
};

}  // namespace vantor
