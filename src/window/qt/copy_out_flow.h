#pragma once

#include "relocation/copy_out.h"

#include <QObject>
#include <QString>

class AppController;
class QWidget;

// Copying the ticked packages out of the cache as the user goes through it:
// the folder, the question with its choices, once for all whether to
// replace files already there, and the copying, whose progress and report
// the move's own show.
class CopyOutFlow final : public QObject {
  Q_OBJECT

public:
  CopyOutFlow(AppController &controller, QWidget *window);

  // Copy to Folder… (plain copies) or Export for Redirect Server… (.uz2).
  void copyTicked(CopyFormat format);
  // Whether plain copies go into category folders: the last answer, which
  // the next question offers again.
  bool intoCategoryFolders() const { return intoCategoryFolders_; }
  void setIntoCategoryFolders(bool into) { intoCategoryFolders_ = into; }

private:
  QString pickFolder(const QString &title);

  AppController &controller_;
  QWidget *window_;
  QString lastFolder_; // where the last copy went, offered again
  bool intoCategoryFolders_ = false;
};
