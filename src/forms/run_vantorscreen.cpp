#include "forms/run_vantorscreen.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>

#include "Transitions/speed.h"
#include "Vantorscreen/picture_loader.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "settings/ini_file.h"
#include "settings/locate.h"
#include "settings/saver_setting.h"

namespace vantor {

namespace {

constexpr int kFirstTickMs = 100;
constexpr int kRedrawLimit = 300;  // draws after the first in shuffle order
constexpr int kEffectCount = 150;

bool anyEffect(const EffectSet &set) {
  for (int n = 1; n <= kEffectCount; ++n)
    if (set.test(size_t(n))) return true;
  return false;
}

std::string readWhole(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes a private file without following a link planted in its place;
// failures are ignored, the load that follows then finds nothing.
void writeDecoded(const std::string &path, const std::string &bytes) {
  unlink(path.c_str());
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += size_t(n);
  }
  close(fd);
}

}  // namespace

int SecondsToTimerInterval(int64_t seconds) {
  constexpr int64_t kMax = std::numeric_limits<int>::max();
  return int(std::clamp<int64_t>(seconds * 1000, -kMax, kMax));
}

std::string DefaultCaption(const std::string &fileName) {
  return BaseName(fileName);
}

std::string PictureSectionKey(const std::string &fileName) {
  std::string key = fileName;
  std::erase_if(key, [](char c) { return c == '[' || c == ']'; });
  return key;
}

void ComplementBytes(std::string &bytes) {
  for (char &c : bytes) c = char(~static_cast<unsigned char>(c));
}

TRunVantorscreen::TRunVantorscreen(std::unique_ptr<ShowScreen> screen,
                                   std::unique_ptr<ShowTimer> timer, RunnerContext context,
                                   bool preview)
    : screen_(std::move(screen)), timer_(std::move(timer)), context_(std::move(context)) {
  ShowScreen &s = *screen_;
  s.SetColor(0);
  s.SetAlignClient(true);
  s.SetAutoSize(false);
  s.SetBgMode(BackgroundMode::None);
  s.SetCenter(true);
  s.SetStretch(false);
  s.SetStretchFine(false);
  // The preview flag is known before the settings go in: a preview loads no
  // background picture.
  preview_ = preview;
  ApplySettings();
  if (preview_) s.Loader().previewMode = true;
  s.SetOnComplete([this] { TransitionDone(); });
  currentFile_.clear();
  index_ = -1;
  timer_->OnTimer = [this] { TimerTick(); };
  timer_->SetInterval(kFirstTickMs);
  timer_->SetEnabled(true);
  firstTick_ = true;
}

TRunVantorscreen::~TRunVantorscreen() {
  timer_->SetEnabled(false);
  timer_->OnTimer = nullptr;
  screen_->SetOnComplete(nullptr);
}

void TRunVantorscreen::ApplySettings() {
  const TSaverSetting &set = context_.settings;
  ShowScreen &s = *screen_;
  if (context_.setMediaPlayerMp3) context_.setMediaPlayerMp3(set.MediaPlayerMp3);
  s.Loader().fitMode = set.ImageSize;
  s.SetColor(gfx::Color(set.BackgroundColor));
  if (auto speed = transitions::speedForSetting(set.EffectSpeed2)) {
    s.SetStep(uint16_t(speed->step));
    s.SetDelay(uint16_t(speed->delay));
  }
  ApplyCaptionLook();
  LoadBackImage();
  s.SetTransparency(set.TransparentMode, gfx::Color(set.TransparentModeColor));
}

void TRunVantorscreen::ApplyCaptionLook() {
  const TSaverSetting &set = context_.settings;
  PictureComposer &l = screen_->Loader();
  l.captionPosition = set.Position;
  l.captionX = set.X;
  l.captionY = set.Y;
  l.captionFont = CaptionFont{};
  l.captionFont.name = set.FontName;
  l.captionFont.size = set.FontSize;
  l.captionFont.color = gfx::Color(set.FontColor);
  l.captionFont.bold = set.FontBold;
  l.captionFont.italic = set.FontItalic;
  l.captionFont.underline = set.FontUnderline;
  l.captionFont.strikeOut = set.FontStrikeout;
}

void TRunVantorscreen::LoadBackImage() {
  const TSaverSetting &set = context_.settings;
  PictureComposer &l = screen_->Loader();
  l.backImageMode = 0;
  std::string file = set.Back_Image_Filename;
  if (preview_ || set.Back_Mode_UseColor || !context_.resolve || !context_.resolve(file)) return;
  try {
    if (!l.backImage) l.backImage.emplace();
    LoadGraphicFile(*l.backImage, file, l.color);
    l.backImageMode = set.Back_Image_UseTiled ? 1 : 2;
  } catch (...) {
    l.backImageMode = 0;
  }
}

void TRunVantorscreen::TimerTick() {
  timer_->SetEnabled(false);
  timer_->SetInterval(SecondsToTimerInterval(context_.settings.ImageInterval));
  ChoosePicture();
  StartTransition();
}

bool TRunVantorscreen::SplashDue(std::string *splashFile) const {
  if (!firstTick_ || !context_.settings.ShowSplash || !context_.resolve) return false;
  std::string file = context_.settings.SplashImage;
  if (!context_.resolve(file)) return false;
  if (splashFile) *splashFile = file;
  return true;
}

int TRunVantorscreen::Random(int n) const {
  return context_.random ? context_.random(n) : randomBelow(n);
}

int TRunVantorscreen::NextIndex() const {
  const int count = int(context_.settings.PictureList.size());
  if (context_.settings.ImageSequence != 1) return index_ < count - 1 ? index_ + 1 : 0;
  int drawn = Random(count);
  for (int again = 0; again < kRedrawLimit && drawn == index_ && count >= 2; ++again)
    drawn = Random(count);
  return drawn;
}

void TRunVantorscreen::ChoosePicture() {
  try {
    std::string splash;
    if (SplashDue(&splash)) {
      screen_->LoadFromFile(splash);
    } else if (!context_.settings.PictureList.empty()) {
      index_ = NextIndex();
      currentFile_ = context_.settings.PictureList[size_t(index_)];
    }
    // At the splash the current file is still empty, which never resolves.
    if (currentFile_.empty() || !context_.resolve || !context_.resolve(currentFile_)) return;
    UpdateCaption();
    if (context_.settings.ImageEncrypt && !context_.packagePresent)
      LoadDecoded(currentFile_);
    else
      screen_->LoadFromFile(currentFile_);
  } catch (...) {
    // A picture that cannot be chosen or loaded leaves the previous one.
  }
}

void TRunVantorscreen::UpdateCaption() {
  PictureComposer &l = screen_->Loader();
  l.caption.clear();
  if (context_.settings.ForceHide || l.captionPosition == 0 || preview_) return;
  const std::string name(fileNameOf(currentFile_));
  if (auto entry = context_.ini.value("captions", name))
    l.caption = *entry;
  else
    l.caption = DefaultCaption(name);
  if (!l.caption.empty()) screen_->Refresh();
}

void TRunVantorscreen::LoadDecoded(const std::string &fileName) {
  const std::string base = context_.decodeFolder.empty() ? context_.settings.TempImagePath
                                                         : context_.decodeFolder + "tempimagefile";
  const std::string temp = base + std::string(extensionOf(fileName));
  std::string bytes = readWhole(fileName);
  ComplementBytes(bytes);
  writeDecoded(temp, bytes);
  screen_->LoadFromFile(temp);
  std::remove(temp.c_str());
}

uint8_t TRunVantorscreen::ChooseEffect() const {
  const std::string key = PictureSectionKey(std::string(fileNameOf(currentFile_)));
  const auto entry = context_.ini.value("effects", key);
  const EffectSet set = entry ? ParseEffectList(*entry) : context_.settings.UseEffects;
  if (!anyEffect(set)) return 0;
  int effect;
  do effect = Random(kEffectCount) + 1;
  while (!set.test(size_t(effect)));
  return uint8_t(effect);
}

void TRunVantorscreen::ApplyPictureInterval() {
  const std::string key = PictureSectionKey(std::string(fileNameOf(currentFile_)));
  const auto entry = context_.ini.value("intervals", key);
  if (!entry) return;
  const auto seconds = parseInteger(*entry);
  timer_->SetInterval(SecondsToTimerInterval(seconds ? *seconds : context_.settings.ImageInterval));
}

void TRunVantorscreen::StartTransition() {
  if (context_.settings.PictureList.empty()) return;
  try {
    ShowScreen &s = *screen_;
    if (s.Busy()) s.StopAnimation();
    if (SplashDue(nullptr)) {
      s.ClearImage();
      s.Update();
      s.SetStyle(0);
      s.SetReverse(false);
    } else {
      const uint8_t effect = ChooseEffect();
      ApplyPictureInterval();
      s.Loader().randomPosition = context_.settings.RandomPosition;
      s.SetStyle(effect);
      if (context_.settings.ClearOldImage) {
        s.ClearImage();
        s.Update();
      }
    }
    s.Animate();
  } catch (...) {
    // No OnComplete follows; the show stays on what is displayed.
  }
  firstTick_ = false;
}

void TRunVantorscreen::TransitionDone() {
  timer_->SetEnabled(true);
}

}  // namespace vantor
