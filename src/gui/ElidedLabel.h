#pragma once
// A one-line label that shows as much of its text as fits, eliding the middle, so a long path
// keeps its beginning and its file name; the whole text is the tooltip while it is cut.
#include <QFrame>
#include <QString>

class TElidedLabel : public QFrame {
  Q_OBJECT

 public:
  explicit TElidedLabel(const QString& text, QWidget* parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString& text);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateToolTip();

  QString text_;
};
