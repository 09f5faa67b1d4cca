#include "config/config_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "config/config_link_label.h"
#include "gfx/qimage_view.h"
#include "picture/picture_loader.h"
#include "platform/debug_log.h"
#include "settings/ini_file.h"

namespace vantor {

namespace {

// Geometry of the dialog, in pixels of its client area.
constexpr QSize kClientSize(503, 350);
constexpr QRect kHeaderRect(18, 14, 468, 60);
constexpr QRect kPagesRect(17, 85, 468, 220);
constexpr int kLinkRight = 476;
constexpr int kTitleLeft = 28;
constexpr int kAuthorTop = 36, kWebsiteTop = 53;
constexpr QRect kOkRect(329, 316, 75, 25);
constexpr QRect kCancelRect(410, 316, 75, 25);
constexpr int kCreditTop = 322, kCreditLeft = 17;
constexpr int kHintPauseMs = 100;

QString qs(const std::string &utf8) {
  return QString::fromStdString(utf8);
}

// Hints come up after kHintPauseMs wherever the pointer rests.
class HintPauseStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return kHintPauseMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

QIcon colorSwatch(int color) {
  QPixmap swatch(16, 12);
  swatch.fill(QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  QPainter p(&swatch);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 11);
  return QIcon(swatch);
}

// A titled group of three radios, numbered 0 to 2 in their button group. The
// rows sit close, as the page has little height to spare.
struct RadioColumn {
  QGroupBox *group;
  QButtonGroup *buttons;
  QRadioButton *radios[3];
};

RadioColumn radioColumn(QWidget *page, const char *title,
                        const std::array<const char *, 3> &texts) {
  RadioColumn c;
  c.group = new QGroupBox(title, page);
  c.buttons = new QButtonGroup(c.group);
  auto *column = new QVBoxLayout(c.group);
  column->setContentsMargins(8, 2, 8, 2);
  column->setSpacing(0);
  for (int i = 0; i < 3; ++i) {
    c.radios[i] = new QRadioButton(texts[i], c.group);
    c.buttons->addButton(c.radios[i], i);
    column->addWidget(c.radios[i]);
  }
  return c;
}

QCheckBox *addCheck(QWidget *parent, QLayout *layout, const char *text) {
  auto *check = new QCheckBox(QString::fromUtf8(text), parent);
  layout->addWidget(check);
  return check;
}

// Checks the button with `id` and clears the others; -1 clears all.
void checkOnly(QButtonGroup *buttons, int id) {
  buttons->setExclusive(false);
  for (QAbstractButton *b : buttons->buttons()) b->setChecked(buttons->id(b) == id);
  buttons->setExclusive(true);
}

}  // namespace

QFont DescribedFont(const QString &family, int pixelSize) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  if (!QFontDatabase::hasFamily(family)) font.setFamily(QFontInfo(font).family());
  return font;
}

TDistributeConfigForm::TDistributeConfigForm(ConfigContext context, QWidget *parent)
    : QDialog(parent), ctx_(std::move(context)) {
  openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
  showSaveFailure = [this](const std::string &why) {
    QMessageBox::warning(this, windowTitle(), qs("The settings could not be saved.\n" + why));
  };
  setObjectName("DistributeConfigForm");
  setWindowTitle("Image Saver Setting");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DescribedFont("MS Sans Serif", 11));
  setFixedSize(kClientSize);
  buildHeader();
  buildPages();
  buildButtons();
  if (QScreen *screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TDistributeConfigForm::buildHeader() {
  HeaderFrame = new QFrame(this);
  HeaderFrame->setObjectName("HeaderFrame");
  HeaderFrame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  HeaderFrame->setGeometry(kHeaderRect);
  // The banner lies under the labels unless it is to cover the title.
  auto *banner = new ConfigLinkLabel(this);
  banner->setObjectName("BannerImage");
  banner->setGeometry(kHeaderRect);
  banner->setScaledContents(true);
  banner->onClick = [this] { BannerImageClick(); };
  banner->hide();
  BannerImage = banner;
  // Widgets are created in reading order, which is also the order of the Tab
  // key: header links, page tabs, the page's controls, the buttons, the
  // credit link.
  title_label = new QLabel(this);
  title_label->setObjectName("title_label");
  title_label->setFont(DescribedFont("Comic Sans MS", 19));
  AuthorLabel = new ConfigLinkLabel(this);
  AuthorLabel->setObjectName("AuthorLabel");
  WebsiteLabel = new ConfigLinkLabel(this);
  WebsiteLabel->setObjectName("WebsiteLabel");
  WebsiteLabel->makeLink(palette().color(QPalette::Link));
  WebsiteLabel->onClick = [this] { _TextWebsiteClick(WebsiteLabel); };
}

void TDistributeConfigForm::buildPages() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(kPagesRect);
  OptionsSheet = buildOptionsPage();
  ExitSheet = buildExitPage();
  ReadmeSheet = new QWidget;
  auto *readmeLayout = new QVBoxLayout(ReadmeSheet);
  readmeLayout->setContentsMargins(0, 0, 0, 0);
  memo1 = new QPlainTextEdit(ReadmeSheet);
  memo1->setObjectName("memo1");
  memo1->setFrameStyle(QFrame::NoFrame);
  memo1->setReadOnly(true);
  memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  readmeLayout->addWidget(memo1);
  PageControl1->addTab(OptionsSheet, "Options");
  PageControl1->addTab(ExitSheet, "Exit Conditions");
  PageControl1->addTab(ReadmeSheet, "Readme");
}

QWidget *TDistributeConfigForm::buildOptionsPage() {
  auto *page = new QWidget;
  auto *grid = new QGridLayout(page);
  grid->setContentsMargins(8, 4, 8, 4);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(2);

  const RadioColumn sizes =
      radioColumn(page, "Image Size", {"Optimization", "Original Size", "Stretch to Screen"});
  ImageSizeGroup = sizes.group;
  SizeButtons = sizes.buttons;
  OptimizationRadio = sizes.radios[0];
  OriginalRadio = sizes.radios[1];
  StretchRadio = sizes.radios[2];
  const RadioColumn orders =
      radioColumn(page, "Image Sequence", {"In Order", "Shuffle", "Intelligent Random"});
  ImageSequenceGroup = orders.group;
  SequenceButtons = orders.buttons;
  NormalizeRadio = orders.radios[0];
  RandomizeRadio = orders.radios[1];
  IntelliRadio = orders.radios[2];
  IntelliRadio->setToolTip("Show all images in random order");

  TransitionGroup = new QGroupBox("Transition Setting", page);
  auto *form = new QGridLayout(TransitionGroup);
  form->setContentsMargins(8, 4, 8, 4);
  form->setVerticalSpacing(6);
  BackcolorCb = new QComboBox(TransitionGroup);
  BackcolorCb->setObjectName("BackcolorCb");
  for (const NamedColor &c : StandardColors())
    BackcolorCb->addItem(colorSwatch(c.value), c.name, c.value);
  IntervalEdit = new QSpinBox(TransitionGroup);
  IntervalEdit->setRange(kIntervalMin, kIntervalMax);
  SpeedEdit = new QSpinBox(TransitionGroup);
  SpeedEdit->setRange(kSpeedMin, kSpeedMax);
  const std::pair<const char *, QWidget *> rows[] = {{"Background Color: ", BackcolorCb},
                                                     {"Redraw interval (sec):", IntervalEdit},
                                                     {"Transition Speed:", SpeedEdit}};
  int row = 0;
  for (const auto &[text, field] : rows) {
    auto *label = new QLabel(text, TransitionGroup);
    label->setBuddy(field);
    form->addWidget(label, row, 0);
    form->addWidget(field, row++, 1);
  }
  form->setColumnStretch(1, 1);

  auto *checks = new QVBoxLayout;
  checks->setSpacing(4);
  PlayMusicCheck = addCheck(page, checks, "Play background music");
  CaptionCheck = addCheck(page, checks, "Show Image Caption");

  auto *left = new QVBoxLayout;
  left->setSpacing(2);
  left->addWidget(ImageSizeGroup);
  left->addWidget(ImageSequenceGroup);
  left->addStretch(1);
  auto *right = new QVBoxLayout;
  right->setSpacing(4);
  right->addWidget(TransitionGroup);
  right->addLayout(checks);
  right->addStretch(1);
  grid->addLayout(left, 0, 0);
  grid->addLayout(right, 0, 1);
  grid->setColumnStretch(1, 1);
  return page;
}

QWidget *TDistributeConfigForm::buildExitPage() {
  auto *page = new QWidget;
  auto *outer = new QVBoxLayout(page);
  outer->setContentsMargins(8, 6, 8, 6);
  ExitGroup = new QGroupBox("Saver Exit Conditions", page);
  auto *boxes = new QVBoxLayout(ExitGroup);
  boxes->setSpacing(6);
  MouseMoveCheck = addCheck(ExitGroup, boxes, "Mouse Move Event");
  MousePressCheck = addCheck(ExitGroup, boxes, "Mouse Button Press");
  KeyboardCheck = addCheck(ExitGroup, boxes, "Keyboard Button Press");
  ShowCursorCheck = addCheck(ExitGroup, boxes, "Show mouse cursor && Ignore mouse events");
  EscKeyCheck = addCheck(ExitGroup, boxes, "Exit only when press ESC key ");
  boxes->addStretch(1);
  outer->addWidget(ExitGroup);
  for (QCheckBox *box :
       {MouseMoveCheck, MousePressCheck, KeyboardCheck, ShowCursorCheck, EscKeyCheck})
    connect(box, &QCheckBox::clicked, this, [this] { ShowCursorCheckClick(); });
  return page;
}

void TDistributeConfigForm::buildButtons() {
  _BtnOK = new QPushButton("&OK", this);
  _BtnOK->setObjectName("_BtnOK");
  _BtnOK->setGeometry(kOkRect);
  _BtnOK->setDefault(true);
  Button1 = new QPushButton("&Cancel", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(kCancelRect);
  connect(_BtnOK, &QPushButton::clicked, this, [this] { _BtnOKClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  VantorText1 = new QLabel("- Powered by", this);
  VantorText1->setObjectName("VantorText1");
  VantorText1->adjustSize();
  VantorText1->move(kCreditLeft, kCreditTop);
  VantorText2 = new ConfigLinkLabel(qs(kBuilderWebsite).mid(7), this);
  VantorText2->setObjectName("VantorText2");
  VantorText2->setToolTip(kBuilderWebsite);
  VantorText2->makeLink(Qt::gray);
  VantorText2->adjustSize();
  VantorText2->move(VantorText1->geometry().right() + 5, kCreditTop);
  VantorText2->onClick = [this] { _TextWebsiteClick(VantorText2); };
}

void TDistributeConfigForm::showEvent(QShowEvent *event) {
  if (!filled_) FormShow();
  QDialog::showEvent(event);
}

void TDistributeConfigForm::FormShow() {
  filled_ = true;
  TSaverSetting &s = ctx_.settings;
  PageControl1->setCurrentWidget(OptionsSheet);
  fillReadme();
  const bool hasCaptions = !ctx_.ini.sectionKeys("captions").empty();
  setControls(ControlsFromSettings(s, hasCaptions));
  VantorText1->setVisible(!s.HideVantorText);
  VantorText2->setVisible(!s.HideVantorText);
  showPages();
  if (!dynamic_cast<HintPauseStyle *>(QApplication::style()))
    QApplication::setStyle(new HintPauseStyle);
  fillHeader();
  showBanner();
  placeHeaderLabels();
  // Keys go to the pages first, so that Enter means OK rather than a link.
  if (PageControl1->isVisible())
    PageControl1->setFocus();
  else
    _BtnOK->setFocus();
}

void TDistributeConfigForm::fillReadme() {
  memo1->setFont(font());
  memo1->setPlainText(qs(LoadReadme(ctx_)));
}

void TDistributeConfigForm::showPages() {
  const PageVisibility p = PagesFor(ctx_.settings.NoUserSetting, memo1->document()->isEmpty());
  PageControl1->setTabVisible(0, p.options);
  PageControl1->setTabVisible(1, p.exitConditions);
  PageControl1->setTabVisible(2, p.readme);
  PageControl1->setCurrentIndex(int(p.current));
  // With no page left the empty frame would only puzzle; the header and the
  // buttons remain.
  PageControl1->setVisible(p.any());
}

void TDistributeConfigForm::fillHeader() {
  const HeaderTexts h = HeaderFromSettings(ctx_.settings);
  title_label->setText(qs(h.title));
  AuthorLabel->setText(qs(h.author));
  WebsiteLabel->setText(qs(h.website));
  WebsiteLabel->setToolTip(qs(h.websiteHint));
  WebsiteLabel->setFocusPolicy(h.websiteHint.empty() ? Qt::NoFocus : Qt::TabFocus);
  if (h.authorIsLink) {
    AuthorLabel->setFont(WebsiteLabel->font());
    AuthorLabel->setPalette(WebsiteLabel->palette());
    AuthorLabel->setCursor(WebsiteLabel->cursor());
    AuthorLabel->setFocusPolicy(Qt::TabFocus);
    AuthorLabel->setToolTip(qs(h.authorHint));
    AuthorLabel->onClick = [this] { _TextWebsiteClick(AuthorLabel); };
  }
  AuthorLabel->move(AuthorLabel->x(), h.authorOnWebLine ? kWebsiteTop : kAuthorTop);
  WebsiteLabel->move(WebsiteLabel->x(), kWebsiteTop);
}

void TDistributeConfigForm::showBanner() {
  banner_ = PlanBanner(ctx_.settings, ctx_.resolver);
  BannerImage->hide();
  if (!banner_.show) return;
  gfx::Bitmap picture;
  try {
    const QColor face = palette().color(QPalette::Window);
    if (!LoadGraphicFile(picture, banner_.path,
                         gfx::makeColor(face.red(), face.green(), face.blue()))
             .loaded ||
        picture.empty())
      return;
  } catch (...) {
    // A banner that cannot be loaded stays hidden.
    debugLog("banner " + banner_.path + " not shown: " + currentExceptionText());
    return;
  }
  BannerImage->setPixmap(QPixmap::fromImage(gfx::qimageView(std::as_const(picture)).copy()));
  if (banner_.inFront) BannerImage->raise();
  BannerImage->setToolTip(qs(banner_.hint));
  if (banner_.handCursor) BannerImage->setCursor(Qt::PointingHandCursor);
  BannerImage->show();
}

void TDistributeConfigForm::placeHeaderLabels() {
  for (QLabel *label : {static_cast<QLabel *>(WebsiteLabel), static_cast<QLabel *>(AuthorLabel)}) {
    label->adjustSize();
    label->move(kLinkRight - label->width(), label->y());
  }
  // The title keeps clear of the right-aligned lines; a title too long for
  // the room left is cut with an ellipsis and shown whole as its hint.
  int right = kLinkRight;
  for (QLabel *label : {static_cast<QLabel *>(WebsiteLabel), static_cast<QLabel *>(AuthorLabel)})
    if (!label->text().isEmpty()) right = std::min(right, label->x() - 8);
  const QFontMetrics metrics(title_label->font());
  const int room = std::max(0, right - kTitleLeft);
  const QString full = qs(ctx_.settings.ScrName);
  const QString shown = metrics.elidedText(full, Qt::ElideRight, room);
  title_label->setText(shown);
  title_label->setToolTip(shown == full ? QString() : full);
  const int height = title_label->sizeHint().height();
  title_label->setGeometry(kTitleLeft, kHeaderRect.top() + (kHeaderRect.height() - height) / 2,
                           room, height);
}

void TDistributeConfigForm::ShowCursorCheckClick() {
  const bool enabled = controls().eventBoxesEnabled();
  for (QCheckBox *box : {MouseMoveCheck, MousePressCheck, KeyboardCheck}) box->setEnabled(enabled);
}

ConfigControls TDistributeConfigForm::controls() const {
  ConfigControls c;
  c.imageSize = SizeButtons->checkedId();
  c.imageSequence = SequenceButtons->checkedId();
  c.backgroundColor = backgroundColor();
  c.interval = IntervalEdit->value();
  c.speed = SpeedEdit->value();
  c.playMusicEnabled = PlayMusicCheck->isEnabled();
  c.playMusic = PlayMusicCheck->isChecked();
  c.captionEnabled = CaptionCheck->isEnabled();
  c.caption = CaptionCheck->isChecked();
  c.mouseMove = MouseMoveCheck->isChecked();
  c.mousePress = MousePressCheck->isChecked();
  c.keyboard = KeyboardCheck->isChecked();
  c.showCursor = ShowCursorCheck->isChecked();
  c.escOnly = EscKeyCheck->isChecked();
  return c;
}

void TDistributeConfigForm::setControls(const ConfigControls &c) {
  checkOnly(SizeButtons, c.imageSize);
  checkOnly(SequenceButtons, c.imageSequence);
  setBackgroundColor(c.backgroundColor);
  IntervalEdit->setValue(c.interval);
  SpeedEdit->setValue(c.speed);
  PlayMusicCheck->setEnabled(c.playMusicEnabled);
  PlayMusicCheck->setChecked(c.playMusic);
  CaptionCheck->setEnabled(c.captionEnabled);
  CaptionCheck->setChecked(c.caption);
  MouseMoveCheck->setChecked(c.mouseMove);
  MousePressCheck->setChecked(c.mousePress);
  KeyboardCheck->setChecked(c.keyboard);
  ShowCursorCheck->setChecked(c.showCursor);
  EscKeyCheck->setChecked(c.escOnly);
  ShowCursorCheckClick();
}

void TDistributeConfigForm::setBackgroundColor(int color) {
  int index = BackcolorCb->findData(color);
  if (index < 0) {
    // A colour without a name keeps its value in an entry of its own.
    index = BackcolorCb->findText(kCustomColorName);
    if (index < 0) {
      BackcolorCb->addItem(kCustomColorName);
      index = BackcolorCb->count() - 1;
    }
    BackcolorCb->setItemData(index, color);
    BackcolorCb->setItemIcon(index, colorSwatch(color));
  }
  BackcolorCb->setCurrentIndex(index);
}

int TDistributeConfigForm::backgroundColor() const {
  return BackcolorCb->currentData().toInt();
}

void TDistributeConfigForm::_BtnOKClick() {
  if (Status saved = CommitConfig(controls(), ctx_); !saved) {
    debugLog(saved.message());
    if (showSaveFailure) showSaveFailure(saved.message());
    return;
  }
  accept();
}

void TDistributeConfigForm::Button1Click() {
  reject();
}

void TDistributeConfigForm::_TextWebsiteClick(ConfigLinkLabel *label) {
  openLink(label->toolTip().toStdString());
}

void TDistributeConfigForm::BannerImageClick() {
  openLink(BannerLinkTarget(ctx_.settings.Build_BannerURL));
}

void TDistributeConfigForm::openLink(const std::string &target) {
  const std::string safe = SafeLinkTarget(target);
  if (!safe.empty() && openUrl) openUrl(QUrl(qs(safe)));
}

}  // namespace vantor
