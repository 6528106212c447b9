#pragma once

#include <QImage>
#include <QWidget>

// A picture scaled to the width it is given, its aspect kept; or, without one, a short text in its place ("No preview",
// "Loading preview…") with the reason in its tooltip.
class PictureView final : public QWidget {
  Q_OBJECT

public:
  explicit PictureView(QWidget *parent = nullptr);

  void setPicture(const QImage &picture);
  void setText(const QString &text, const QString &toolTip = {});
  const QImage &picture() const { return picture_; }
  const QString &text() const { return text_; }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QImage picture_;
  QString text_;
};
