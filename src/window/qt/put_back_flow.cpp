#include "window/qt/put_back_flow.h"

#include "app/app_controller.h"
#include "catalogue/category.h"
#include "window/move_texts.h"
#include "window/qt/display_text.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The endings of the eight categories' packages, for the file dialog.
QString packageFilter() {
  QStringList patterns;
  for (const Category &category : kCategories)
    patterns << QStringLiteral("*") +
                    QString::fromLatin1(category.ending.data(), static_cast<int>(category.ending.size()));
  return QStringLiteral("Packages (%1)").arg(patterns.join(QLatin1Char(' ')));
}

} // namespace

PutBackFlow::PutBackFlow(AppController &controller, QWidget *window)
    : QObject(window), controller_(controller), window_(window) {}

void PutBackFlow::putBackRows(const TableView *table, const std::vector<int> &rows) {
  const std::vector<std::string> files = controller_.gameFilesOfRows(table, rows);
  if (files.empty()) {
    QMessageBox::information(window_, QStringLiteral("Put Back into the Cache"),
                             rows.size() == 1 ? QStringLiteral("That package is not in the game.")
                                              : QStringLiteral("None of those packages is in the game."));
    return;
  }
  confirmAndPutBack(files);
}

void PutBackFlow::chooseFiles() {
  const QStringList picked = QFileDialog::getOpenFileNames(
      window_, QStringLiteral("Put Back into the Cache"),
      controller_.unrealDir ? QFile::decodeName(QByteArray::fromStdString(*controller_.unrealDir)) : QString(),
      packageFilter());
  std::vector<std::string> files;
  for (const QString &file : picked)
    files.push_back(QFile::encodeName(file).toStdString());
  if (!files.empty())
    confirmAndPutBack(files);
}

void PutBackFlow::confirmAndPutBack(const std::vector<std::string> &files) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Put Back into the Cache"),
                  files.size() == 1 ? QStringLiteral("Put 1 package back into the cache?")
                                    : QStringLiteral("Put %1 packages back into the cache?")
                                          .arg(QString::fromStdString(formatCount(files.size()))),
                  QMessageBox::Cancel, window_);
  box.setInformativeText(QStringLiteral("They leave the game and go into the cache as the downloads they are, so "
                                        "that the game takes a server's version again."));
  QPushButton *putBack = box.addButton(QStringLiteral("Put Back"), QMessageBox::AcceptRole);
  box.setDefaultButton(putBack);
  box.exec();
  if (box.clickedButton() != putBack)
    return;
  controller_.putBackIntoCache(files);
  emit done();
}
