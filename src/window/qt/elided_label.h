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
  // A label kept whole takes the room it needs, so that the labels beside it
  // are cut first.
  void setKeptWhole(bool keptWhole) { keptWhole_ = keptWhole; }
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  bool keptWhole_ = false;
};
