#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QDialogButtonBox;
class PathWrappingLabel;
class QPlainTextEdit;
class QPushButton;

// The question asked before a command that changes files: what it will do,
// in a sentence and an explanation; the choices that go with it, as check
// boxes; a list behind Show Details…; and the command's own button, the
// default, beside Cancel, which Escape presses.
class QuestionDialog final : public QDialog {
  Q_OBJECT

public:
  QuestionDialog(const QString &title, const QString &question, const QString &explanation, const QString &action,
                 QWidget *parent);

  QCheckBox *addChoice(const QString &text, bool checked);
  void setDetails(const QString &details);
  // The headline again, as the choices change what the command will do.
  void setQuestion(const QString &question);

  QString question() const;
  QString explanation() const;
  QString details() const;
  const std::vector<QCheckBox *> &choices() const { return choices_; }
  // The choice whose text is `text`, or nullptr.
  QCheckBox *choice(const QString &text) const;

  // Shows the question until it is answered: true for the command's button.
  bool ask();

private:
  PathWrappingLabel *question_;
  PathWrappingLabel *explanation_;
  QWidget *choicesBox_;
  QPlainTextEdit *details_;
  QPushButton *detailsButton_;
  QDialogButtonBox *buttons_;
  std::vector<QCheckBox *> choices_;
};
