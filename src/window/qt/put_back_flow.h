#pragma once

#include <QObject>

#include <string>
#include <vector>

class AppController;
class TableView;
class QWidget;

// Put Back into the Cache: packages in the game leave it for the cache,
// as the downloads the game would find, after the player confirms. The
// files come from package rows that are in the game too, or from a file
// dialog over the game's folders.
class PutBackFlow final : public QObject {
  Q_OBJECT

public:
  PutBackFlow(AppController &controller, QWidget *window);

  // The files in the game of the rows `rows` of `table`.
  void putBackRows(const TableView *table, const std::vector<int> &rows);
  // Files the player picks in the game's folders.
  void chooseFiles();

signals:
  // The lists were read again.
  void done();

private:
  void confirmAndPutBack(const std::vector<std::string> &files);

  AppController &controller_;
  QWidget *window_;
};
