#include "window/qt/details_pane.h"

#include "window/qt/picture_view.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *selectableLabel(QWidget *parent) {
  auto *label = new QLabel(parent);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Tab goes from the table to the buttons; a click puts the keyboard in a
  // text, to select it there.
  label->setFocusPolicy(Qt::ClickFocus);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void showText(QLabel *label, const QString &text) {
  label->setText(text);
  label->setVisible(!text.isEmpty());
}

} // namespace

DetailsPane::DetailsPane(QWidget *parent) : QScrollArea(parent) {
  setAccessibleName(QStringLiteral("Details"));
  setWidgetResizable(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::NoFocus);
  auto *content = new QWidget(this);
  auto *layout = new QVBoxLayout(content);
  heading_ = selectableLabel(content);
  QFont big = heading_->font();
  big.setPointSizeF(big.pointSizeF() * 1.25);
  big.setBold(true);
  heading_->setFont(big);
  byline_ = selectableLabel(content);
  picture_ = new PictureView(content);
  description_ = selectableLabel(content);
  nothing_ = new QLabel(QStringLiteral("Select a package to see what it is and what it needs."), content);
  nothing_->setWordWrap(true);
  nothing_->setEnabled(false);
  form_ = new QFormLayout;
  form_->setRowWrapPolicy(QFormLayout::WrapLongRows);
  form_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  static constexpr std::array<const char *, FieldCount> kLabels{
      "Real name:", "Cache name:", "Size:", "State:", "Needs:", "Needed by:"};
  for (int field = 0; field < FieldCount; ++field) {
    values_[field] = selectableLabel(content);
    form_->addRow(QString::fromLatin1(kLabels[field]), values_[field]);
  }
  for (QWidget *widget : {static_cast<QWidget *>(heading_), static_cast<QWidget *>(byline_),
                          static_cast<QWidget *>(picture_), static_cast<QWidget *>(description_)})
    layout->addWidget(widget);
  layout->addLayout(form_);
  layout->addWidget(nothing_);
  layout->addStretch();
  setWidget(content);
  clear();
}

void DetailsPane::setMap(const QString &heading, const QString &byline, const QString &description) {
  nothing_->hide();
  showText(heading_, heading);
  showText(byline_, byline);
  showText(description_, description);
  picture_->setVisible(!heading.isEmpty());
}

void DetailsPane::setField(Field field, const QString &value) {
  nothing_->hide();
  values_[field]->setText(value);
  form_->setRowVisible(field, !value.isEmpty());
}

void DetailsPane::clear() {
  setMap({}, {}, {});
  for (int field = 0; field < FieldCount; ++field)
    setField(static_cast<Field>(field), {});
  nothing_->show();
}
