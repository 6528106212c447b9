#include "window/qt/path_wrapping_label.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

// U+2060 WORD JOINER: no line may break beside it.
constexpr QChar kWordJoiner(0x2060);

QString joinedAtSlashes(const QString &text) {
  QString shown;
  shown.reserve(text.size() + text.size() / 8);
  for (qsizetype at = 0; at < text.size(); ++at) {
    shown += text[at];
    const bool nameFollows = at + 1 < text.size() && !text[at + 1].isSpace();
    if (text[at] == QLatin1Char('/') && nameFollows)
      shown += kWordJoiner;
  }
  return shown;
}

} // namespace

PathWrappingLabel::PathWrappingLabel(const QString &text, QWidget *parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setText(text);
}

void PathWrappingLabel::setText(const QString &text) {
  text_ = text;
  QLabel::setText(joinedAtSlashes(text));
}

void PathWrappingLabel::copySelection() const {
  QString selected = selectedText();
  selected.remove(kWordJoiner);
  if (!selected.isEmpty())
    QGuiApplication::clipboard()->setText(selected);
}

void PathWrappingLabel::keyPressEvent(QKeyEvent *event) {
  if (event->matches(QKeySequence::Copy)) {
    copySelection();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void PathWrappingLabel::contextMenuEvent(QContextMenuEvent *event) {
  // The label's own menu would copy the joiners too.
  QMenu menu(this);
  QAction *copy = menu.addAction(QStringLiteral("&Copy"), this, [this] { copySelection(); });
  copy->setEnabled(hasSelectedText());
  menu.addAction(QStringLiteral("Select &All"), this, [this] { setSelection(0, QLabel::text().size()); });
  menu.exec(event->globalPos());
}
