#pragma once

#include <QLabel>

// A one-line label that, when its text does not fit, shows it cut in the
// middle with an ellipsis, the whole text in its tooltip. text() stays the
// whole text.
class ElidedLabel final : public QLabel {
  Q_OBJECT

public:
  explicit ElidedLabel(QWidget *parent = nullptr);

  void setWholeText(const QString &text);
  // A label kept whole takes the room it needs, up to `upTo` pixels, so
  // that the labels beside it are cut first.
  void setKeptWhole(bool keptWhole, int upTo = QWIDGETSIZE_MAX) {
    keptWhole_ = keptWhole;
    keptUpTo_ = upTo;
  }
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  bool keptWhole_ = false;
  int keptUpTo_ = QWIDGETSIZE_MAX;
};
