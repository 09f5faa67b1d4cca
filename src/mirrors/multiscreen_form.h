#pragma once
// Mirror windows on the secondary monitors: while the full-screen saver runs
// on the primary monitor with ImageSameMonitor, every other monitor shows a
// borderless window that copies the primary window's picture, stretched to
// its own size, every 25 ms (skipped while the primary window has not been
// painted since the last copy). The copy comes from the primary window's
// backing store, the image Qt sends to the screen. The mirrors take no part
// in the slideshow; input over them reaches the full-screen window's
// program-wide filter like any other event of the program.

#include <cstdint>
#include <vector>

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace vantor {

class TMultiScreenForm : public QWidget {
 public:
  static constexpr int kCopyIntervalMs = 25;

  TMultiScreenForm();

  // One copy from the mirror source; exceptions are swallowed.
  void Timer1Timer();
  QTimer &Timer1() { return timer1_; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QTimer timer1_;
  QImage shown_;               // the last copy, at this window's size
  uint64_t copiedPaints_ = 0;  // the source's paint count at that copy
};

// The window whose picture the mirrors copy; set before CreateMirrors.
void SetMirrorSource(QWidget *source, bool imageSameMonitor);
// One mirror for each monitor after the first, covering it and topmost. Does
// nothing without monitors or when mirrors exist already.
void CreateMirrors();
// Takes every mirror window off the screen and frees it once the event
// being delivered, if any, is over.
void FreeMirrors();
const std::vector<TMultiScreenForm *> &Mirrors();

}  // namespace vantor
