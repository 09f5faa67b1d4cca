#pragma once
// The picture display control. It holds the shown picture and the next one,
// composes them over its background into a back buffer, and runs a
// transition from one to the other frame by frame. All drawing happens on the
// main thread; an animation thread only paces the frames.
//
// The control knows no window system: its host (a Qt widget in the show, a
// fake in tests) presents the back buffer, services the event queue and
// wakes the main thread for the animation thread's calls.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "display/sync_call.h"
#include "gfx/bitmap.h"
#include "picture/picture_composer.h"
#include "platform/random.h"

namespace vantor {

enum class BackgroundMode : uint8_t { None = 0, Tiled = 1, Stretched = 2, Centered = 3 };
enum class ThreadPriority : uint8_t { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

// What the control needs from the window it lives in.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  // Marks part of the parent window for repainting, without erasing.
  virtual void invalidate(gfx::Rect parentRect) = 0;
  // Repaints the control at once.
  virtual void repaintNow() = 0;
  // Services the event queue once (for stepping without a thread).
  virtual void processEvents() = 0;
  // Called on the animation thread: make the main thread call
  // TCustomVantorscreen::runPendingCall() soon.
  virtual void wakeMainThread() = 0;
  virtual bool onMainThread() const = 0;
};

// The aspect-keeping fit of rectangle `picture` into `bounds`, centred.
gfx::Rect FitRect(gfx::Rect picture, gfx::Rect bounds);

class TCustomVantorscreen {
 public:
  using Notify = std::function<void()>;
  using CustomDraw = std::function<void(gfx::Bitmap &picture, gfx::Bitmap &screen)>;

  explicit TCustomVantorscreen(ControlHost *host);
  virtual ~TCustomVantorscreen();
  TCustomVantorscreen(const TCustomVantorscreen &) = delete;
  TCustomVantorscreen &operator=(const TCustomVantorscreen &) = delete;

  // Properties.
  const gfx::Bitmap &Picture() const { return picture_; }
  void SetPicture(const gfx::Bitmap *picture);  // a copy is kept; null empties it
  void SetPicture(gfx::Bitmap &&picture);
  const gfx::Bitmap &BgPicture() const { return bgPicture_; }
  void SetBgPicture(const gfx::Bitmap *picture);
  BackgroundMode BgMode() const { return bgMode_; }
  void SetBgMode(BackgroundMode mode);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool StretchFine() const { return stretchFine_; }
  void SetStretchFine(bool value);
  uint16_t Step() const { return step_; }
  void SetStep(uint16_t value);  // 0 stores 1, above 100 stores 100
  uint16_t Delay() const { return delay_; }
  void SetDelay(uint16_t value) { delay_ = value; }  // the thread reads it between frames
  uint8_t Style() const { return style_; }
  void SetStyle(uint8_t value) { style_ = value; }
  bool Reverse() const { return reverse_; }
  void SetReverse(bool value) { reverse_ = value; }
  bool Manual() const { return manual_; }
  void SetManual(bool value);
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool value) { threaded_ = value; }
  ThreadPriority GetThreadPriority() const { return priority_; }
  void SetThreadPriority(ThreadPriority p) { priority_ = p; }
  gfx::Color Color() const { return color_; }
  void SetColor(gfx::Color c);
  bool AlignClient() const { return alignClient_; }
  void SetAlignClient(bool value) { alignClient_ = value; }
  // The source the random transition patterns draw from; it must outlive
  // the control. A control given none draws from a seeded one of its own.
  void SetRandomSource(RandomSource &random) { random_ = &random; }

  // Position in the parent window and client size.
  gfx::Rect Bounds() const { return bounds_; }
  void SetBounds(gfx::Rect bounds);  // the window-size message follows
  int Width() const { return bounds_.width(); }
  int Height() const { return bounds_.height(); }
  gfx::Rect ClientRect() const { return {0, 0, Width(), Height()}; }

  // Public state.
  uint8_t Progress() const { return progress_; }
  bool Busy() const { return busy_; }

  // Events.
  Notify OnChange, OnComplete, OnProgress;
  CustomDraw OnBeforeNewFrame, OnAfterNewFrame, OnCustomDraw;

  // The loading pipeline and its fields (fit mode, caption, background...).
  PictureComposer &Loader() { return composer_; }
  bool TransparentMode = false;
  gfx::Color TransparentColor = 0;
  // Loads, fits and composes a picture file into Picture. Failures leave the
  // previous picture.
  void LoadFromFile(const std::string &fileName);

  // Transitions.
  void Animate();
  void StopAnimation();
  void ClearImage();
  void SetProgress(int value);

  // Painting: composes the whole control into the back buffer, or only the
  // given client rectangles, outside which the buffer keeps what it held.
  // A buffer that changes size, and every stretched part, is composed whole:
  // a stretch samples by its whole target.
  void Paint();
  void Paint(std::span<const gfx::Rect> area);
  const gfx::Bitmap &BackBuffer() const { return backBuffer_; }
  const gfx::Bitmap &ScreenBitmap() const { return screen_; }
  gfx::Rect PictureRect() const { return pictureRect_; }
  bool Painting() const { return painting_; }
  // The paint message: ignored while painting or off the main thread. The
  // area is the part of the client to repaint; without one, all of it.
  void HandlePaint();
  void HandlePaint(std::span<const gfx::Rect> area);

  // The animation thread's pending call, run on the main thread.
  void runPendingCall() { caller_.runPending(); }

  // Ends the animation threads, running their pending calls without drawing,
  // and stops every call into the host. The destructor does the same; a host
  // that the control reaches through members of its own calls it before
  // those members go. Afterwards the control only awaits destruction.
  void Shutdown();

  // Exposed for tests: the area of the parent invalidated for `q` (in
  // ScreenBitmap coordinates), before the control's offset is added.
  gfx::Rect MapPictureArea(gfx::Rect q) const;
  void TileDraw(gfx::Bitmap &target, const gfx::Bitmap &tile, gfx::Rect r) const;
  // The same, writing only inside `clip`.
  void TileDraw(gfx::Bitmap &target, const gfx::Bitmap &tile, gfx::Rect r, gfx::Rect clip) const;

 private:
  class AnimateThread;

  void PictureChanged();
  void BgPictureChanged();
  void SizeToPicture();
  void UpdatePictureRect();
  void ComposeArea(gfx::Rect r);
  void InvalidateAll();
  void InvalidatePictureArea(gfx::Rect q);
  void PrepareTransition();
  void RunFrames();
  void RunInCaller();
  void DrawFrame();
  void StepFrame();
  void AnimationDone();
  void ThreadEnded(AnimateThread *thread);
  void RetireThread();
  void ReapThreads();
  gfx::Rect StretchTarget() const;

  ControlHost *host_;
  gfx::Bitmap picture_, bgPicture_, screen_, backBuffer_;
  std::unique_ptr<gfx::Bitmap> old_, new_;
  gfx::Bitmap spareOld_, spareNew_;  // the last transition's, kept for the next
  BackgroundMode bgMode_ = BackgroundMode::Tiled;
  bool autoSize_ = true, center_ = false, stretch_ = false, stretchFine_ = false;
  uint16_t step_ = 4;
  std::atomic<uint16_t> delay_{30};
  uint8_t style_ = 101;
  std::atomic<bool> reverse_{false}, manual_{false}, aborting_{false};
  std::atomic<uint8_t> progress_{0};
  bool threaded_ = true, busy_ = false, painting_ = false, destroying_ = false;
  bool alignClient_ = false;
  ThreadPriority priority_ = ThreadPriority::Normal;
  gfx::Color color_ = 0;
  RandomSource ownRandom_;
  RandomSource *random_ = &ownRandom_;
  gfx::Rect bounds_{0, 0, 100, 100};
  gfx::Rect pictureRect_;
  PictureComposer composer_;
  SyncCaller caller_;
  // The thread that steps the running transition.
  std::unique_ptr<AnimateThread> thread_;
  // Threads that no longer step: ended, or told to terminate and still
  // delivering their end notification. Joined once they have ended.
  std::vector<std::unique_ptr<AnimateThread>> retired_;
  // Frames and paints that use the screen bitmap now. Only the main thread
  // touches the bitmaps, so this is a guard against re-entry from handlers,
  // not a lock: a handler may repaint while a frame is drawn.
  int screenInUse_ = 0;
};

// The published control; adds nothing.
class TVantorscreen : public TCustomVantorscreen {
 public:
  using TCustomVantorscreen::TCustomVantorscreen;
};

}  // namespace vantor
