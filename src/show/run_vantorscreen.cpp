#include "show/run_vantorscreen.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>

#include "picture/picture_loader.h"
#include "platform/atomic_file.h"
#include "platform/cancel.h"
#include "platform/debug_log.h"
#include "platform/paths.h"
#include "settings/ini_file.h"
#include "settings/locate.h"
#include "settings/saver_setting.h"
#include "transitions/catalogue.h"
#include "transitions/speed.h"

namespace vantor {

namespace {

constexpr int kFirstTickMs = 100;
constexpr int kRedrawLimit = 300;  // draws after the first in shuffle order
using transitions::kEffectCount;

bool anyEffect(const EffectSet &set) {
  for (int n = 1; n <= kEffectCount; ++n)
    if (set.test(size_t(n))) return true;
  return false;
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

PictureLook LookOf(const PictureComposer &c) {
  PictureLook look;
  look.width = c.width;
  look.height = c.height;
  look.color = c.color;
  look.fitMode = c.fitMode;
  look.randomPosition = c.randomPosition;
  look.backImageMode = c.backImageMode;
  if (c.backImage) look.backImage = c.backImage->size();
  look.caption = c.caption;
  look.captionFont = c.captionFont;
  look.captionPosition = c.captionPosition;
  look.captionX = c.captionX;
  look.captionY = c.captionY;
  look.previewMode = c.previewMode;
  look.lastPicture = c.lastPicture;
  return look;
}

PictureLook ShowScreen::Look() {
  return LookOf(LoadingFields());
}

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
                                   std::unique_ptr<IntervalTimer> timer, RunnerContext context,
                                   bool preview)
    : screen_(std::move(screen)), timer_(std::move(timer)), context_(std::move(context)) {
  for (const std::string &entry : context_.settings.PictureList) list_.push_back({entry});
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
  timer_->onTimeout = [this] { TimerTick(); };
  timer_->setInterval(kFirstTickMs);
  timer_->setEnabled(true);
  firstTick_ = true;
  // The first picture is made while the window comes up.
  if (MakesAhead()) ChooseSoon();
  if (context_.feed) {
    growing_ = true;
    context_.feed->Start([this](std::vector<std::string> entries, bool last) {
      AddPictures(std::move(entries), last);
    });
  }
}

TRunVantorscreen::~TRunVantorscreen() {
  // The feed and the worker go first: a scan or a job still running is
  // abandoned and its thread joined, so nothing arrives for a runner that is
  // gone.
  context_.feed.reset();
  context_.worker.reset();
  timer_->setEnabled(false);
  timer_->onTimeout = nullptr;
  screen_->SetOnComplete(nullptr);
}

void TRunVantorscreen::ApplySettings() {
  const TSaverSetting &set = context_.settings;
  ShowScreen &s = *screen_;
  if (context_.setMediaPlayerMp3) context_.setMediaPlayerMp3(set.MediaPlayerMp3);
  s.Loader().fitMode = set.ImageSize;
  s.Loader().exifOrientation = set.ExifOrientation;
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
  l.backImageMode = BackImageMode::Colour;
  std::string file = set.Back_Image_Filename;
  if (preview_ || set.Back_Mode_UseColor || !context_.resolve) return;
  if (const Status found = context_.resolve(file); !found) {
    debugLogOnce(file, "background image " + file + " not used: " + found.message());
    return;
  }
  try {
    if (!l.backImage) l.backImage.emplace();
    // Transparent pixels lie on the show's background colour, which the
    // control has already taken.
    LoadGraphicFile(*l.backImage, file, gfx::Color(set.BackgroundColor));
    l.backImageMode = set.Back_Image_UseTiled ? BackImageMode::Tiled : BackImageMode::Stretched;
  } catch (...) {
    l.backImageMode = BackImageMode::Colour;
    debugLogOnce(file, "background image " + file + " not used: " + currentExceptionText());
  }
}

PreparedPicture PreparePicture(PictureJob job) {
  PreparedPicture out;
  out.splash = job.splash;
  std::string decoded;
  try {
    std::string file = job.entry;
    // An empty entry is never accepted.
    if (file.empty() || !job.resolve || CancelRequested()) return out;
    if (const Status found = job.resolve(file); !found) {
      if (!CancelRequested())
        debugLogOnce(job.entry, "skipped " + job.entry + ": " + found.message());
      return out;
    }
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
      Result<std::string> read = readWholeFile(file);
      if (!read) throw std::runtime_error(read.message());
      std::string bytes = std::move(*read);
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
  } catch (const Cancelled &) {
    out.shown = false;
  } catch (...) {
    out.shown = false;
    debugLogOnce(job.entry, "skipped " + job.entry + ": " + currentExceptionText());
  }
  if (!decoded.empty()) std::remove(decoded.c_str());
  return out;
}

void TRunVantorscreen::TimerTick() {
  timer_->setEnabled(false);
  timer_->setInterval(SecondsToTimerInterval(context_.settings.ImageInterval));
  // A tick while a picture is still being made waits for it: its result
  // starts the transition.
  if (waiting_) return;
  if (list_.empty()) {
    // The first entry of a growing list is shown as soon as it comes.
    waiting_ = growing_;
    return;
  }
  waiting_ = true;
  if (exhausted_) {
    // The list failed as a whole before this tick: the tick tries it again.
    exhausted_ = false;
    failedInARow_ = 0;
  }
  ShowAhead();
}

bool TRunVantorscreen::SplashWanted() const {
  return firstTick_ && context_.settings.ShowSplash && context_.resolve;
}

int TRunVantorscreen::Random(int n) const {
  return context_.random ? context_.random(n) : ownRandom_.below(n);
}

bool TRunVantorscreen::RandomPick() const {
  return context_.settings.ImageSequence == Sequence::Random;
}

// The entry after the one chosen last, which is the one made ahead when
// there is one: shuffle's redraw compares with the choice before it.
int TRunVantorscreen::NextIndex() const {
  const int count = int(list_.size());
  if (!RandomPick()) {
    if (index_ < count - 1) return index_ + 1;
    return growing_ ? -1 : 0;
  }
  int drawn = Random(count);
  for (int again = 0; again < kRedrawLimit && drawn == index_ && count >= 2; ++again)
    drawn = Random(count);
  return drawn;
}

PictureLook TRunVantorscreen::CurrentLook(bool splash) {
  PictureLook look = screen_->Look();
  if (!splash) look.caption.clear();
  return look;
}

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

PictureJob TRunVantorscreen::JobFor(std::string entry, bool splash, bool path) {
  const TSaverSetting &set = context_.settings;
  PictureJob job;
  job.entry = std::move(entry);
  job.splash = splash;
  job.look = screen_->LoadingFields();
  job.captions = !set.ForceHide && job.look.captionPosition != CaptionPosition::None && !preview_;
  job.ini = &context_.ini;
  if (set.ImageEncrypt && !context_.packagePresent)
    job.decodedName =
        context_.decodeFolder.empty() ? set.TempImagePath : context_.decodeFolder + "tempimagefile";
  if (path)
    job.resolve = [](std::string &) { return Status(); };
  else
    job.resolve = context_.resolve;
  job.load = context_.load;
  return job;
}

void TRunVantorscreen::ChoosePicture() {
  const TSaverSetting &set = context_.settings;
  // An empty list shows nothing at all, not even the splash.
  if (list_.empty() || ahead_.chosen) return;
  ahead_ = Ahead{};
  ahead_.chosen = true;
  ahead_.splash = SplashWanted();
  try {
    if (!ahead_.splash) {
      const int next = NextIndex();
      if (next < 0) {
        // The list grows: the entry that comes next is chosen when it comes.
        ahead_ = Ahead{};
        return;
      }
      index_ = next;
    }
    if (ahead_.splash) {
      ahead_.entry = set.SplashImage;
    } else {
      ahead_.entry = list_[size_t(index_)].name;
      ahead_.path = list_[size_t(index_)].path;
    }
  } catch (...) {
    debugLog("no picture chosen: " + currentExceptionText());
    ahead_ = Ahead{};
    PictureFailed(false);
    return;
  }
  RunAhead();
}

// Starts the job of the entry chosen ahead, for the control as it is now.
void TRunVantorscreen::RunAhead() {
  PictureJob job;
  try {
    job = JobFor(ahead_.entry, ahead_.splash, ahead_.path);
    ahead_.look = CurrentLook(ahead_.splash);
  } catch (...) {
    debugLog("skipped " + ahead_.entry + ": " + currentExceptionText());
    const bool splash = ahead_.splash;
    ahead_ = Ahead{};
    PictureFailed(splash);
    return;
  }
  ahead_.running = true;
  ahead_.result.reset();
  auto run = [job = std::move(job)]() mutable { return PreparePicture(std::move(job)); };
  auto done = [this](PreparedPicture prepared) { AheadDone(std::move(prepared)); };
  PictureWorker &worker = context_.worker ? *context_.worker : inline_;
  worker.Run(std::move(run), std::move(done));
}

void TRunVantorscreen::AheadDone(PreparedPicture prepared) {
  ahead_.running = false;
  if (!prepared.shown) {
    const bool splash = ahead_.splash;
    ahead_ = Ahead{};
    PictureFailed(splash);
    return;
  }
  ahead_.result = std::move(prepared);
  ShowAhead();
}

void TRunVantorscreen::ShowAhead() {
  if (!waiting_) return;
  if (!ahead_.chosen) {
    ChooseSoon();
    return;
  }
  if (ahead_.running || !ahead_.result) return;
  // The control changed since the picture was made for it (its real size
  // arrived, say): the same choice is made again for the control as it is.
  try {
    if (!(CurrentLook(ahead_.splash) == ahead_.look)) {
      RunAhead();
      return;
    }
  } catch (...) {
    debugLog("picture shown as prepared: " + currentExceptionText());
  }
  PreparedPicture prepared = std::move(*ahead_.result);
  ahead_ = Ahead{};
  Show(std::move(prepared));
}

void TRunVantorscreen::Show(PreparedPicture prepared) {
  bool started = false;
  try {
    PictureComposer &l = screen_->Loader();
    l.lastPicture = prepared.lastPicture;
    if (!prepared.splash) {
      currentFile_ = std::move(prepared.file);
      l.caption = prepared.caption;
      if (!l.caption.empty()) screen_->Refresh();
    }
    screen_->ShowComposed(std::move(prepared.picture));
    started = StartTransition(prepared.splash);
  } catch (...) {
    started = false;
    debugLog("picture not shown: " + currentExceptionText());
  }
  if (!started) {
    PictureFailed(prepared.splash);
    return;
  }
  waiting_ = false;
  failedInARow_ = 0;
  // The next picture is chosen after this one's effect was drawn, so that
  // the random source gives the same sequence as choices made at the tick.
  if (MakesAhead()) ChooseSoon();
}

// A picture that cannot be shown gives way to the next entry at once. Once
// every entry of the list has failed in a row, the show waits the display
// time that the tick set before it goes round again, so that it never spins.
void TRunVantorscreen::PictureFailed(bool splash) {
  firstTick_ = false;
  const int count = int(list_.size());
  // Going in order through a list that grows stops at its end by itself.
  const bool stopsAtEnd = growing_ && !RandomPick();
  if (!splash && ++failedInARow_ >= count && !stopsAtEnd) {
    failedInARow_ = 0;
    if (!waiting_) {
      // Made ahead: the tick to come tries the list again.
      exhausted_ = true;
      return;
    }
    waiting_ = false;
    timer_->setInterval(SecondsToTimerInterval(context_.settings.ImageInterval));
    timer_->setEnabled(true);
    return;
  }
  if (waiting_ || MakesAhead()) ChooseSoon();
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
  timer_->setInterval(SecondsToTimerInterval(seconds ? *seconds : context_.settings.ImageInterval));
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
    debugLog("transition not started: " + currentExceptionText());
  }
  if (!started) awaitingComplete_ = false;
  firstTick_ = false;
  return started;
}

void TRunVantorscreen::AddPictures(std::vector<std::string> entries, bool last) {
  // Shuffled once: each new entry takes a uniformly random place among the
  // entries not chosen yet, and the one there moves to the end (the
  // inside-out shuffle), so the entries still to come stay in uniformly
  // random order, at constant cost per entry.
  const bool shuffled = context_.settings.ImageSequence == Sequence::ShuffledOnce;
  for (std::string &entry : entries) {
    list_.push_back({std::move(entry), true});
    if (!shuffled) continue;
    const int first = index_ + 1;
    const int end = int(list_.size()) - 1;
    if (end <= first) continue;
    const int at = first + Random(end - first + 1);
    if (at != end) std::swap(list_[size_t(at)], list_[size_t(end)]);
  }
  if (last) growing_ = false;
  if (waiting_)
    ShowAhead();
  else if (MakesAhead())
    ChooseSoon();
}

void TRunVantorscreen::TransitionDone() {
  awaitingComplete_ = false;
  timer_->setEnabled(true);
}

}  // namespace vantor
