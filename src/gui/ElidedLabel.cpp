#include "gui/ElidedLabel.h"

#include <QPainter>

TElidedLabel::TElidedLabel(const QString& text, QWidget* parent) : QFrame(parent), text_(text) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void TElidedLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  UpdateToolTip();
  update();
}

QSize TElidedLabel::sizeHint() const {
  return QSize(fontMetrics().horizontalAdvance(text_), fontMetrics().height()).grownBy(contentsMargins());
}

QSize TElidedLabel::minimumSizeHint() const {
  return QSize(fontMetrics().averageCharWidth() * 8, fontMetrics().height()).grownBy(contentsMargins());
}

void TElidedLabel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text_, Qt::ElideMiddle, area.width()));
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  UpdateToolTip();
}

void TElidedLabel::UpdateToolTip() {
  const bool cut = fontMetrics().horizontalAdvance(text_) > contentsRect().width();
  setToolTip(cut ? text_ : QString());
}
