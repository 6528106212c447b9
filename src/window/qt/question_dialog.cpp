#include "window/qt/question_dialog.h"

#include "window/qt/path_wrapping_label.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QuestionDialog::QuestionDialog(const QString &title, const QString &question, const QString &explanation,
                               const QString &action, QWidget *parent)
    : QDialog(parent) {
  setWindowTitle(title);
  auto *icon = new QLabel(this);
  // The program's own icon: the "?" sign is out of use on the desktops.
  if (parent)
    icon->setPixmap(parent->windowIcon().pixmap(64));
  icon->setAlignment(Qt::AlignTop);

  question_ = new PathWrappingLabel(question, this);
  QFont larger = question_->font();
  larger.setBold(true);
  question_->setFont(larger);
  explanation_ = new PathWrappingLabel(explanation, this);
  explanation_->setVisible(!explanation.isEmpty());
  choicesBox_ = new QWidget(this);
  auto *choices = new QVBoxLayout(choicesBox_);
  choices->setContentsMargins(0, 6, 0, 0);
  choicesBox_->hide();

  auto *text = new QVBoxLayout;
  text->addWidget(question_);
  text->addWidget(explanation_);
  text->addWidget(choicesBox_);
  text->addStretch();
  auto *top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(12);
  top->addLayout(text, 1);

  details_ = new QPlainTextEdit(this);
  details_->setReadOnly(true);
  details_->hide();

  buttons_ = new QDialogButtonBox(this);
  // Added to the buttons only when there are details to show.
  detailsButton_ = new QPushButton(QStringLiteral("Show Details…"), this);
  detailsButton_->setAutoDefault(false);
  detailsButton_->hide();
  connect(detailsButton_, &QPushButton::clicked, this, [this] {
    details_->setVisible(!details_->isVisible());
    detailsButton_->setText(details_->isVisible() ? QStringLiteral("Hide Details…") : QStringLiteral("Show Details…"));
    adjustSize();
  });
  QPushButton *yes = buttons_->addButton(action, QDialogButtonBox::AcceptRole);
  buttons_->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  yes->setDefault(true);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(details_);
  layout->addWidget(buttons_);
  question_->setMinimumWidth(420);
  yes->setFocus();
}

QCheckBox *QuestionDialog::addChoice(const QString &text, bool checked) {
  auto *box = new QCheckBox(text, choicesBox_);
  box->setChecked(checked);
  choicesBox_->layout()->addWidget(box);
  choicesBox_->show();
  choices_.push_back(box);
  return box;
}

void QuestionDialog::setDetails(const QString &details) {
  details_->setPlainText(details);
  if (!details.isEmpty() && !buttons_->buttons().contains(detailsButton_))
    buttons_->addButton(detailsButton_, QDialogButtonBox::ActionRole);
  detailsButton_->setEnabled(!details.isEmpty());
}

void QuestionDialog::setQuestion(const QString &question) { question_->setText(question); }

QString QuestionDialog::question() const { return question_->text(); }
QString QuestionDialog::explanation() const { return explanation_->text(); }
QString QuestionDialog::details() const { return details_->toPlainText(); }

QCheckBox *QuestionDialog::choice(const QString &text) const {
  for (QCheckBox *box : choices_)
    if (box->text() == text)
      return box;
  return nullptr;
}

bool QuestionDialog::ask() { return exec() == QDialog::Accepted; }
