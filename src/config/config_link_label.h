#pragma once
// A label that acts as a link: it reports a click of the left button, and,
// when it takes keyboard focus, Space or Enter, so that links can be reached
// without a mouse. A focused link draws the style's focus frame.

#include <QLabel>
#include <functional>

namespace vantor {

class ConfigLinkLabel : public QLabel {
 public:
  using QLabel::QLabel;

  std::function<void()> onClick;

  // Underlines the text, gives the hand cursor and joins the focus chain.
  void makeLink(const QColor &color);

 protected:
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
};

}  // namespace vantor
