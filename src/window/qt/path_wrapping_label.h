#pragma once

#include <QLabel>

// A wrapped label of plain text that holds paths: a line breaks at a space,
// never after a "/" that a name follows, so that "…/Unreal Tournament
// 2004.app/Maps" is never read as two paths. The joiners that keep a path's
// parts together are shown only: text() and a copy hold the text as given.
class PathWrappingLabel final : public QLabel {
  Q_OBJECT

public:
  explicit PathWrappingLabel(const QString &text, QWidget *parent = nullptr);

  void setText(const QString &text);
  QString text() const { return text_; }

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

private:
  void copySelection() const;

  QString text_;
};
