#pragma once

#include <QTableView>

class CategoryTableModel;

// A category's table: one row per entry in list order, fixed row heights so
// that a list of any length stays quick, and Space toggling the tick of the
// current row whichever cell of it is current.
class CategoryTableView final : public QTableView {
  Q_OBJECT

public:
  CategoryTableView(CategoryTableModel *model, QWidget *parent);

protected:
  void keyPressEvent(QKeyEvent *event) override;

private:
  CategoryTableModel *model_;
};
