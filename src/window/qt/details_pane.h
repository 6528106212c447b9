#pragma once

#include <QScrollArea>

#include <array>

class PictureView;
class QFormLayout;
class QLabel;

// The pane beside the tables: what is known of the selected package, a
// map's title, players, preview and description above its files and its
// state. Nothing in it is editable; every text can be selected and copied.
class DetailsPane final : public QScrollArea {
  Q_OBJECT

public:
  enum Field { RealName, CacheName, Size, State, Needs, NeededBy, FieldCount };

  explicit DetailsPane(QWidget *parent = nullptr);

  // A map's part: empty texts hide their lines, and no heading hides it all.
  void setMap(const QString &heading, const QString &byline, const QString &description);
  // A field's value; an empty one hides its row.
  void setField(Field field, const QString &value);
  // Says what the pane shows when no row is selected.
  void clear();

  PictureView *picture() const { return picture_; }
  QLabel *heading() const { return heading_; }
  QLabel *byline() const { return byline_; }
  QLabel *description() const { return description_; }
  QLabel *field(Field field) const { return values_[field]; }

private:
  QLabel *heading_ = nullptr;
  QLabel *byline_ = nullptr;
  QLabel *description_ = nullptr;
  PictureView *picture_ = nullptr;
  QFormLayout *form_ = nullptr;
  std::array<QLabel *, FieldCount> values_{};
  QLabel *nothing_ = nullptr;
};
