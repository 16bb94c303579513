#include "gui/map_image_label.h"

#include <QMouseEvent>

namespace orvantis {

TMapImageLabel::TMapImageLabel(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TMapImageLabel::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(event->position().toPoint());
  QLabel::mouseMoveEvent(event);
}

void TMapImageLabel::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton && onLeftClick) onLeftClick(at);
  if (event->button() == Qt::RightButton && onRightClick) onRightClick(at);
  QLabel::mousePressEvent(event);
}

}  // namespace orvantis
