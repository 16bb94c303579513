#pragma once
// An image that reports the mouse: moves, left clicks and right clicks, in pixels of the image.

#include <QLabel>
#include <functional>

namespace orvantis {

class TMapImageLabel : public QLabel {
 public:
  explicit TMapImageLabel(QWidget* parent = nullptr);

  std::function<void(QPoint)> onMove;
  std::function<void(QPoint)> onLeftClick;
  std::function<void(QPoint)> onRightClick;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace orvantis
