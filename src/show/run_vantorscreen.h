#pragma once
// The slideshow runner: on each tick of its timer it hands the next picture,
// already resolved, loaded and composed with its caption, to the display
// control, chooses the effect and the display time, and starts the
// transition. The timer comes on again only when the control reports the end
// of the transition, so the display time counts from there and transitions
// never overlap.
//
// Resolving (which may unpack an item) and decoding can take long, so they
// run as a picture job on a worker, off the window thread. A worker with a
// thread of its own makes the next picture while the present one is shown:
// the choice is made ahead, by the same rules and drawing from the random
// source in the same sequence as a choice made at the tick, and the tick
// only hands the finished bitmap over. A picture made for a control that has
// since changed its size, colour or look is made again before it is shown. A
// picture that cannot be shown is skipped at once; when no entry of the list
// can be shown, the show waits one display time before it tries the list
// again.
//
// Window-free: the control, the timer and the worker are reached through the
// small interfaces below, which the show windows implement over the real
// display control, a Qt timer and a thread, and the tests over fakes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/vantorscreen.h"
#include "picture/picture_composer.h"
#include "platform/interval_timer.h"
#include "platform/random.h"
#include "platform/result.h"

namespace vantor {

class IniFile;
struct TSaverSetting;

// What a composed picture depends on besides its file and caption: a
// picture made for one look is not shown in another.
struct PictureLook {
  int width = 0, height = 0;
  gfx::Color color = 0;
  uint8_t fitMode = 0;
  bool randomPosition = false;
  BackImageMode backImageMode = BackImageMode::Colour;
  gfx::Size backImage;  // the background picture is set once, at creation
  std::string caption;  // the splash's; a list picture brings its own
  CaptionFont captionFont;
  CaptionPosition captionPosition = CaptionPosition::None;
  int captionX = 0, captionY = 0;
  bool previewMode = false;
  std::optional<gfx::Size> lastPicture;
  friend bool operator==(const PictureLook &, const PictureLook &) = default;
};
PictureLook LookOf(const PictureComposer &composer);

// What the runner uses of the display control.
class ShowScreen {
 public:
  virtual ~ShowScreen() = default;
  virtual void SetColor(gfx::Color color) = 0;
  virtual void SetAlignClient(bool on) = 0;
  virtual void SetAutoSize(bool on) = 0;
  virtual void SetBgMode(BackgroundMode mode) = 0;
  virtual void SetCenter(bool on) = 0;
  virtual void SetStretch(bool on) = 0;
  virtual void SetStretchFine(bool on) = 0;
  virtual void SetStep(uint16_t step) = 0;
  virtual void SetDelay(uint16_t delay) = 0;
  virtual void SetStyle(uint8_t style) = 0;
  virtual void SetReverse(bool on) = 0;
  virtual void SetTransparency(bool on, gfx::Color color) = 0;
  // The loading fields (fit mode, caption, background picture, preview).
  virtual PictureComposer &Loader() = 0;
  // A copy of the loading fields as a load would use them now: with the
  // control's size and colour, and without the last composed picture.
  virtual PictureComposer LoadingFields() = 0;
  // What a picture composed now would depend on (LookOf(LoadingFields())),
  // without copying the background picture.
  virtual PictureLook Look();
  // Makes a picture composed from LoadingFields() the control's picture, as
  // a load of its file would have. The control takes the pixels over: a
  // copy at the tick would cost a whole frame's memory traffic.
  virtual void ShowComposed(gfx::Bitmap &&picture) = 0;
  virtual void SetOnComplete(std::function<void()> handler) = 0;
  virtual void Animate() = 0;
  virtual void StopAnimation() = 0;
  virtual void ClearImage() = 0;
  virtual bool Busy() const = 0;
  virtual void Update() = 0;   // repaint at once
  virtual void Refresh() = 0;  // repaint
};

// The finished picture of one entry, or the news that it cannot be shown.
struct PreparedPicture {
  bool shown = false;  // false: nothing of this entry can be shown
  bool splash = false;
  std::string file;                      // the entry as resolve rewrote it
  std::string caption;                   // the caption drawn into the picture
  gfx::Bitmap picture;                   // composed and enlarged, ready for the transition
  std::optional<gfx::Size> lastPicture;  // the composer's state for the next load
};

// Loads, fits and composes `file` into `composer.picture`; false on failure.
using PictureLoad = std::function<bool(PictureComposer &composer, const std::string &file)>;

// Everything one picture job reads, copied, so that it may run on any thread.
// Only the settings file and the caption text drawer of `look` are shared;
// both outlive the job, the settings file is only read, and the drawer keeps
// no state between calls.
// Tests an item, extracts it when needed and rewrites the entry to the file
// to open; a failure says why the item cannot be used.
using ResolveItemFn = std::function<Status(std::string &entry)>;

struct PictureJob {
  std::string entry;  // the list entry, or the splash picture's
  bool splash = false;
  PictureComposer look;          // the loading fields (see ShowScreen::LoadingFields)
  bool captions = false;         // captions are drawn in this show
  const IniFile *ini = nullptr;  // its captions section; only read
  std::string decodedName;       // non-empty: the file is stored complemented and
                                 // is decoded into this name + its extension
  ResolveItemFn resolve;
  PictureLoad load;  // the composer's own load when empty
};

// Resolves the entry, decodes a complemented file, and loads, fits and
// composes the picture with its caption. Never throws; stops early, as a
// failure, when the calling thread's cancel flag is set.
[[nodiscard]] PreparedPicture PreparePicture(PictureJob job);

// Runs picture jobs off the window thread, one at a time, and hands each
// result to the window thread.
class PictureWorker {
 public:
  using Job = std::function<PreparedPicture()>;
  using Done = std::function<void(PreparedPicture)>;
  // Abandons the running job and waits for its thread; no result is handed
  // over after that.
  virtual ~PictureWorker() = default;
  // Starts `job`; `done` receives its result later on the window thread.
  virtual void Run(Job job, Done done) = 0;
  // Whether the runner has the next picture made while the present one is
  // shown. A worker without a thread of its own would only move the window
  // thread's work to another moment, so with it each picture is made when
  // its tick needs it.
  virtual bool MakesAhead() const { return true; }
};

// Runs each job at once on the calling thread, when its tick needs it.
class InlinePictureWorker : public PictureWorker {
 public:
  void Run(Job job, Done done) override { done(job()); }
  bool MakesAhead() const override { return false; }
};

// Entries that join the picture list while the show runs: the pictures that
// a folder scan finds. They are paths of files, opened as they are and never
// looked up as items of the package.
class PictureFeed {
 public:
  // Receives entries on the window thread; `last` says that no more come.
  using Arrived = std::function<void(std::vector<std::string> entries, bool last)>;
  // Stops the feed; nothing arrives after that.
  virtual ~PictureFeed() = default;
  // Starts the feed. `arrived` may be called from within Start.
  virtual void Start(Arrived arrived) = 0;
};

// Everything else the runner reads.
struct RunnerContext {
  const TSaverSetting &settings;  // picture list already shuffled for order 2
  const IniFile &ini;             // sections captions, effects, intervals
  // Tests an item, extracts it when needed and rewrites the name to the
  // file to open.
  ResolveItemFn resolve;
  bool packagePresent = false;
  // Where decoded copies of complemented picture files are written for a
  // moment; a private folder ending in "/".
  std::string decodeFolder;
  // Uniform in 0..n-1; a seeded source of the runner's own when empty.
  std::function<int(int)> random;
  // The music's player choice flag (MP3 through the media-control player).
  std::function<void(bool)> setMediaPlayerMp3;
  // Runs the picture jobs; an inline worker when empty.
  std::unique_ptr<PictureWorker> worker;
  // How a job loads a picture file; the composer's own load when empty.
  PictureLoad load;
  // More entries for the picture list while the show runs; none when empty.
  std::unique_ptr<PictureFeed> feed = nullptr;
};

// Display times are whole seconds; the timer takes milliseconds within int.
int SecondsToTimerInterval(int64_t seconds);

// The caption of a picture file without a captions entry: its name cut before
// the first place where its own extension occurs ("beach.jpg.jpg" -> "beach").
std::string DefaultCaption(const std::string &fileName);

// The key of the effects and intervals sections: the file name without any
// "[" or "]".
std::string PictureSectionKey(const std::string &fileName);

// Complements every byte: the stored form of an encrypted loose picture.
void ComplementBytes(std::string &bytes);

class TRunVantorscreen {
 public:
  // Sets the control up for the show and switches the timer on at 100 ms.
  TRunVantorscreen(std::unique_ptr<ShowScreen> screen, std::unique_ptr<IntervalTimer> timer,
                   RunnerContext context, bool preview);
  ~TRunVantorscreen();
  TRunVantorscreen(const TRunVantorscreen &) = delete;
  TRunVantorscreen &operator=(const TRunVantorscreen &) = delete;

  void TimerTick();
  // Chooses the next entry (or the splash) and starts its picture job.
  void ChoosePicture();
  // Starts the transition to the picture just handed to the control; false
  // when none was started.
  bool StartTransition(bool splash);
  void TransitionDone();
  // Entries that join the picture list, on the window thread; `last` says
  // that the list is whole. In order (and in the order shuffled once) a new
  // entry comes after those already chosen: appended in order, at a random
  // place among the entries not yet chosen when shuffled, so that no picture
  // comes twice before every picture found so far came once. While the list
  // grows, its end is not followed by its start: the show waits for the
  // next entry instead.
  void AddPictures(std::vector<std::string> entries, bool last);

  // The host switches the timer off and stops the transition at close, and
  // restarts the transition when it is shown again.
  ShowScreen &FScreen() { return *screen_; }
  IntervalTimer &FTimer() { return *timer_; }

  // The picture shown last.
  const std::string &CurrentFile() const { return currentFile_; }
  // The entry chosen last, which may be the one being made ahead.
  int Index() const { return index_; }
  bool FirstTick() const { return firstTick_; }
  bool Preview() const { return preview_; }
  // A picture job runs.
  bool Preparing() const { return ahead_.running; }
  // A tick came and waits for its picture to be made.
  bool Waiting() const { return waiting_; }
  // More entries may join the picture list.
  bool Growing() const { return growing_; }

 private:
  // The one picture chosen ahead of its tick.
  struct Ahead {
    bool chosen = false;  // its job runs or its result waits here
    bool splash = false;
    std::string entry;
    bool path = false;  // the entry is a file's path, not an item
    PictureLook look;   // the look it is composed for
    bool running = false;
    std::optional<PreparedPicture> result;
  };

  void ApplySettings();
  void ApplyCaptionLook();
  void LoadBackImage();
  bool SplashWanted() const;
  // The entry to choose next; -1 while a growing list has none yet.
  int NextIndex() const;
  bool RandomPick() const;
  PictureLook CurrentLook(bool splash);
  // Has ChoosePicture() run now, looping instead of recursing when a failed
  // picture asks for the next one from within it (an inline worker).
  void ChooseSoon();
  void RunAhead();
  void AheadDone(PreparedPicture prepared);
  // Shows the picture made ahead when a tick waits for it and it is ready;
  // starts what is missing otherwise.
  void ShowAhead();
  void Show(PreparedPicture prepared);
  void PictureFailed(bool splash);
  // The job that makes the picture of `entry` with the control's present
  // loading fields.
  PictureJob JobFor(std::string entry, bool splash, bool path = false);
  uint8_t ChooseEffect() const;
  void ApplyPictureInterval();
  int Random(int n) const;
  bool MakesAhead() const { return context_.worker && context_.worker->MakesAhead(); }

  std::unique_ptr<ShowScreen> screen_;
  std::unique_ptr<IntervalTimer> timer_;
  RunnerContext context_;
  struct ListEntry {
    std::string name;
    bool path = false;  // a file's path from the feed, not an item
  };
  std::vector<ListEntry> list_;     // the settings' picture list, and what joins it
  bool growing_ = false;            // the feed has more entries to give
  InlinePictureWorker inline_;      // when the context brings no worker
  mutable RandomSource ownRandom_;  // when the context brings no random source
  std::string currentFile_;
  int index_ = -1;
  bool preview_ = false;
  bool firstTick_ = true;
  Ahead ahead_;
  bool waiting_ = false;
  bool exhausted_ = false;         // every list entry failed in a row before a tick
  bool awaitingComplete_ = false;  // a transition was started and has not ended
  int failedInARow_ = 0;           // list entries skipped since one was shown
  bool choosing_ = false, chooseAgain_ = false;
};

}  // namespace vantor
