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
#include "platform/cancel.h"
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
  // The worker goes first: a job still running is abandoned and its thread
  // joined, so no result arrives for a runner that is gone.
  context_.worker.reset();
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
    // Transparent pixels lie on the show's background colour, which the
    // control has already taken.
    LoadGraphicFile(*l.backImage, file, gfx::Color(set.BackgroundColor));
    l.backImageMode = set.Back_Image_UseTiled ? 1 : 2;
  } catch (...) {
    l.backImageMode = 0;
  }
}

PreparedPicture PreparePicture(PictureJob job) {
  PreparedPicture out;
  out.splash = job.splash;
  std::string decoded;
  try {
    std::string file = job.entry;
    // An empty entry is never accepted.
    if (file.empty() || !job.resolve || !job.resolve(file) || CancelRequested()) return out;
    PictureComposer &l = job.look;
    // The splash keeps the caption that is set; a list picture gets its own.
    if (!job.splash) {
      l.caption.clear();
      if (job.captions) {
        const std::string name(fileNameOf(file));
        const auto entry = job.ini ? job.ini->value("captions", name) : std::nullopt;
        l.caption = entry ? *entry : DefaultCaption(name);
      }
    }
    std::string load = file;
    if (!job.decodedName.empty()) {
      decoded = job.decodedName + std::string(extensionOf(file));
      std::string bytes = readWhole(file);
      ComplementBytes(bytes);
      writeDecoded(decoded, bytes);
      load = decoded;
    }
    l.picture = gfx::Bitmap();
    const bool loaded = job.load ? job.load(l, load) : l.loadFromFile(load);
    if (!decoded.empty()) std::remove(decoded.c_str());
    decoded.clear();
    if (!loaded || l.picture.empty() || CancelRequested()) return out;
    out.shown = true;
    out.file = std::move(file);
    out.caption = l.caption;
    out.picture = std::move(l.picture);
    out.lastPicture = l.lastPicture;
  } catch (...) {
    out.shown = false;
  }
  if (!decoded.empty()) std::remove(decoded.c_str());
  return out;
}

void TRunVantorscreen::TimerTick() {
  timer_->SetEnabled(false);
  timer_->SetInterval(SecondsToTimerInterval(context_.settings.ImageInterval));
  // A tick while a picture is still being made waits for it: its result
  // starts the transition.
  if (preparing_) return;
  failedInARow_ = 0;
  ChooseSoon();
}

bool TRunVantorscreen::SplashWanted() const {
  return firstTick_ && context_.settings.ShowSplash && context_.resolve;
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

// An inline worker hands a failed picture back from within ChoosePicture();
// the next choice is then made here, in a loop, instead of one level deeper.
void TRunVantorscreen::ChooseSoon() {
  if (choosing_) {
    chooseAgain_ = true;
    return;
  }
  choosing_ = true;
  do {
    chooseAgain_ = false;
    ChoosePicture();
  } while (chooseAgain_);
  choosing_ = false;
}

PictureJob TRunVantorscreen::JobFor(std::string entry, bool splash) {
  const TSaverSetting &set = context_.settings;
  PictureJob job;
  job.entry = std::move(entry);
  job.splash = splash;
  job.look = screen_->LoadingFields();
  job.captions = !set.ForceHide && job.look.captionPosition != 0 && !preview_;
  job.ini = &context_.ini;
  if (set.ImageEncrypt && !context_.packagePresent)
    job.decodedName =
        context_.decodeFolder.empty() ? set.TempImagePath : context_.decodeFolder + "tempimagefile";
  job.resolve = context_.resolve;
  job.load = context_.load;
  return job;
}

void TRunVantorscreen::ChoosePicture() {
  const TSaverSetting &set = context_.settings;
  // An empty list shows nothing at all, not even the splash.
  if (set.PictureList.empty() || preparing_) return;
  const bool splash = SplashWanted();
  PictureJob job;
  try {
    if (!splash) index_ = NextIndex();
    job = JobFor(splash ? set.SplashImage : set.PictureList[size_t(index_)], splash);
  } catch (...) {
    PictureFailed(splash);
    return;
  }
  preparing_ = true;
  auto run = [job = std::move(job)]() mutable { return PreparePicture(std::move(job)); };
  auto done = [this](PreparedPicture prepared) { PictureReady(std::move(prepared)); };
  if (context_.worker)
    context_.worker->Run(std::move(run), std::move(done));
  else
    InlinePictureWorker().Run(std::move(run), std::move(done));
}

void TRunVantorscreen::PictureReady(PreparedPicture prepared) {
  preparing_ = false;
  if (!prepared.shown) {
    PictureFailed(prepared.splash);
    return;
  }
  bool started = false;
  try {
    PictureComposer &l = screen_->Loader();
    l.lastPicture = prepared.lastPicture;
    if (!prepared.splash) {
      currentFile_ = std::move(prepared.file);
      l.caption = prepared.caption;
      if (!l.caption.empty()) screen_->Refresh();
    }
    screen_->ShowComposed(prepared.picture);
    prepared.picture = gfx::Bitmap();
    started = StartTransition(prepared.splash);
  } catch (...) {
    started = false;
  }
  if (started)
    failedInARow_ = 0;
  else
    PictureFailed(prepared.splash);
}

// A picture that cannot be shown gives way to the next entry at once. Once
// every entry of the list has failed in a row, the show waits the display
// time that the tick set before it goes round again, so that it never spins.
void TRunVantorscreen::PictureFailed(bool splash) {
  firstTick_ = false;
  const int count = int(context_.settings.PictureList.size());
  if (!splash && ++failedInARow_ >= count) {
    failedInARow_ = 0;
    timer_->SetInterval(SecondsToTimerInterval(context_.settings.ImageInterval));
    timer_->SetEnabled(true);
    return;
  }
  ChooseSoon();
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

bool TRunVantorscreen::StartTransition(bool splash) {
  bool started = false;
  try {
    ShowScreen &s = *screen_;
    if (s.Busy()) s.StopAnimation();
    if (splash) {
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
    awaitingComplete_ = true;
    s.Animate();
    // A transition that ran to its end within Animate has already come
    // back through TransitionDone.
    started = !awaitingComplete_ || s.Busy();
  } catch (...) {
    started = false;
  }
  if (!started) awaitingComplete_ = false;
  firstTick_ = false;
  return started;
}

void TRunVantorscreen::TransitionDone() {
  awaitingComplete_ = false;
  timer_->SetEnabled(true);
}

}  // namespace vantor
