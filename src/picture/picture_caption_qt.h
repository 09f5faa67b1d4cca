#pragma once
// Caption text through Qt's text engine, fonts found by name through
// fontconfig. Needs a QGuiApplication (the offscreen platform will do).

#include "picture/picture_composer.h"

namespace vantor {

class QtCaptionText : public CaptionText {
 public:
  gfx::Size measure(const std::string &text, const CaptionFont &font) override;
  void draw(gfx::Bitmap &target, gfx::Point at, const std::string &text,
            const CaptionFont &font) override;
};

}  // namespace vantor
