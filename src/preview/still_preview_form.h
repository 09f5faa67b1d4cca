#pragma once
// The static preview: one still picture in the desktop's miniature instead
// of the slideshow, when the settings name one that resolves. Like the live
// preview it lives inside the foreign window, or is an ordinary top-level
// window with window 0.

#include <cstdint>
#include <string>

#include <QTimer>
#include <QWidget>

#include "gfx/bitmap.h"
#include "gfx/geometry.h"

namespace vantor {

// What the still preview reads of the start-up state.
struct StillPreviewContext {
  std::string title;         // the show's name
  int32_t parentWindow = 0;  // the desktop's window to live in; 0: none
  std::string imagePath;     // the still picture, already resolved
};

// A picture control that shows its picture stretched to its own size.
class TImage : public QWidget {
 public:
  explicit TImage(QWidget *parent);
  // Loads the file; on failure the control stays black and says false.
  bool LoadFromFile(const std::string &fileName);
  const gfx::Bitmap &Shown() const { return shown_; }

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  void Fit();

  gfx::Bitmap picture_;
  gfx::Bitmap shown_;  // picture_ stretched to the control's size
};

class TCommercePreviewForm : public QWidget {
 public:
  static constexpr gfx::Size kDesignSize{696, 480};
  static constexpr gfx::Rect kImageBounds{4, 4, 4 + 152, 4 + 112};

  explicit TCommercePreviewForm(StillPreviewContext context);

  void Start() {
    if (showable_) show();
  }

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void FormShow();

  StillPreviewContext context_;
  QTimer parentWatch_;
  bool showable_ = false;
  bool shown_ = false;
  TImage *image1_;  // owned by the form
};

}  // namespace vantor
