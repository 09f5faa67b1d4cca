#pragma once
// The slideshow runner: on each tick of its timer it chooses the next
// picture, loads it into the display control with its caption, chooses the
// effect and the display time, and starts the transition. The timer comes on
// again only when the control reports the end of the transition, so the
// display time counts from there and transitions never overlap.
//
// Window-free: the control and the timer are reached through the two small
// interfaces below, which the show windows implement over the real display
// control and a Qt timer, and the tests over fakes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Vantorscreen/picture_composer.h"
#include "Vantorscreen/vantorscreen.h"

namespace vantor {

class IniFile;
struct TSaverSetting;

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
  virtual void SetOnComplete(std::function<void()> handler) = 0;
  virtual void LoadFromFile(const std::string &fileName) = 0;
  virtual void Animate() = 0;
  virtual void StopAnimation() = 0;
  virtual void ClearImage() = 0;
  virtual bool Busy() const = 0;
  virtual void Update() = 0;   // repaint at once
  virtual void Refresh() = 0;  // repaint
};

// The slideshow timer. While enabled it calls OnTimer every Interval
// milliseconds; an interval of 0 or less never fires.
class ShowTimer {
 public:
  virtual ~ShowTimer() = default;
  virtual void SetEnabled(bool on) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(int ms) = 0;
  virtual int Interval() const = 0;
  std::function<void()> OnTimer;
};

// Everything else the runner reads.
struct RunnerContext {
  const TSaverSetting &settings;  // picture list already shuffled for order 2
  const IniFile &ini;             // sections captions, effects, intervals
  // Tests an item, extracts it when needed and rewrites the name to the
  // file to open.
  std::function<bool(std::string &entry)> resolve;
  bool packagePresent = false;
  // Where decoded copies of complemented picture files are written for a
  // moment; a private folder ending in "/".
  std::string decodeFolder;
  // Uniform in 0..n-1; the program's generator when empty.
  std::function<int(int)> random;
  // The music's player choice flag (MP3 through the media-control player).
  std::function<void(bool)> setMediaPlayerMp3;
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
  TRunVantorscreen(std::unique_ptr<ShowScreen> screen, std::unique_ptr<ShowTimer> timer,
                   RunnerContext context, bool preview);
  ~TRunVantorscreen();
  TRunVantorscreen(const TRunVantorscreen &) = delete;
  TRunVantorscreen &operator=(const TRunVantorscreen &) = delete;

  void TimerTick();
  void ChoosePicture();
  void StartTransition();
  void TransitionDone();

  // The host switches the timer off and stops the transition at close, and
  // restarts the transition when it is shown again.
  ShowScreen &FScreen() { return *screen_; }
  ShowTimer &FTimer() { return *timer_; }

  const std::string &CurrentFile() const { return currentFile_; }
  int Index() const { return index_; }
  bool FirstTick() const { return firstTick_; }
  bool Preview() const { return preview_; }

 private:
  void ApplySettings();
  void ApplyCaptionLook();
  void LoadBackImage();
  bool SplashDue(std::string *splashFile) const;
  int NextIndex() const;
  void UpdateCaption();
  void LoadDecoded(const std::string &fileName);
  uint8_t ChooseEffect() const;
  void ApplyPictureInterval();
  int Random(int n) const;

  std::unique_ptr<ShowScreen> screen_;
  std::unique_ptr<ShowTimer> timer_;
  RunnerContext context_;
  std::string currentFile_;
  int index_ = -1;
  bool preview_ = false;
  bool firstTick_ = true;
};

}  // namespace vantor
