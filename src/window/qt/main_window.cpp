#include "window/qt/main_window.h"

#include "app/app_controller.h"
#include "catalogue/category.h"
#include "window/move_texts.h"
#include "window/qt/category_table_model.h"
#include "window/qt/category_table_view.h"
#include "window/qt/display_text.h"
#include "window/qt/move_report_window.h"
#include "window/qt/qt_platform.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString categoryName(std::size_t index) {
  const std::string_view name = kCategories[index].name;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QPushButton *buttonFor(QAction *action, QWidget *parent) {
  auto *button = new QPushButton(action->text(), parent);
  const QString name = QString(action->text()).remove(QLatin1Char('&'));
  button->setToolTip(QStringLiteral("%1 (%2)").arg(name, action->shortcut().toString(QKeySequence::NativeText)));
  button->setAccessibleName(name);
  button->setFocusPolicy(Qt::TabFocus);
  QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
  return button;
}

} // namespace

MainWindow::MainWindow(AppController &controller, QWidget *parent) : QMainWindow(parent), controller_(controller) {
  setWindowTitle(QStringLiteral("Cache Sorter"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/cache-sorter-256.png")));

  auto *central = new QWidget(this);
  auto *layout = new QVBoxLayout(central);
  tabs_ = new QTabWidget(central);
  tabs_->setDocumentMode(true);
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    models_[index] = new CategoryTableModel(controller_, index, this);
    views_[index] = new CategoryTableView(models_[index], tabs_);
    views_[index]->setAccessibleName(QStringLiteral("%1 packages").arg(categoryName(index)));
    tabs_->addTab(views_[index], categoryName(index));
    connect(models_[index], &CategoryTableModel::reloaded, this,
            [this, index] { updateTabLabel(static_cast<int>(index)); });
  }
  layout->addWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::focusShownTable);

  tickAllAction_ = addCommand(QStringLiteral("Tick &All"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A),
                              [this] { controller_.selectAll(); });
  tickTabAction_ = addCommand(QStringLiteral("Tick All in &Tab"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T),
                              [this] { controller_.selectAllCurrent(); });
  untickAllAction_ = addCommand(QStringLiteral("&Untick All"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U),
                                [this] { controller_.deselectAll(); });
  moveAction_ = addCommand(QStringLiteral("&Move Ticked Files"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
                           [this] { requestMove(); });

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(buttonFor(tickAllAction_, central));
  buttons->addWidget(buttonFor(tickTabAction_, central));
  buttons->addWidget(buttonFor(untickAllAction_, central));
  buttons->addStretch();
  buttons->addWidget(buttonFor(moveAction_, central));
  layout->addLayout(buttons);

  setCentralWidget(central);
  buildMenus();

  reportLabel_ = new QLabel(this);
  detailsButton_ = new QPushButton(QStringLiteral("&Details…"), this);
  detailsButton_->setAccessibleName(QStringLiteral("Details of the last move"));
  detailsButton_->setFlat(true);
  detailsButton_->hide();
  connect(detailsButton_, &QPushButton::clicked, this, &MainWindow::showMoveReportDetails);
  statusBar()->addWidget(reportLabel_, 1);
  statusBar()->addPermanentWidget(detailsButton_);
  resize(820, 560);
}

QAction *MainWindow::addCommand(const QString &text, const QKeySequence &shortcut,
                                const std::function<void()> &command) {
  auto *action = new QAction(text, this);
  action->setShortcut(shortcut);
  // Window-wide, so the shortcut works whichever widget has focus.
  action->setShortcutContext(Qt::WindowShortcut);
  addAction(action);
  connect(action, &QAction::triggered, this, command);
  return action;
}

void MainWindow::buildMenus() {
  QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(moveAction_);
  file->addSeparator();
  QAction *quit = file->addAction(QStringLiteral("&Quit"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->addAction(tickAllAction_);
  edit->addAction(tickTabAction_);
  edit->addAction(untickAllAction_);

  QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
  QAction *next = view->addAction(QStringLiteral("&Next Tab"));
  next->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
  connect(next, &QAction::triggered, this, [this] { switchTab(1); });
  QAction *previous = view->addAction(QStringLiteral("&Previous Tab"));
  previous->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
  connect(previous, &QAction::triggered, this, [this] { switchTab(-1); });

  QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
  QAction *about = help->addAction(QStringLiteral("&About Cache Sorter"));
  about->setMenuRole(QAction::AboutRole);
  connect(about, &QAction::triggered, this, &MainWindow::showAbout);
  QAction *aboutQt = help->addAction(QStringLiteral("About &Qt"));
  aboutQt->setMenuRole(QAction::AboutQtRole);
  connect(aboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::showAbout() {
  QMessageBox::about(this, QStringLiteral("About Cache Sorter"),
                     QStringLiteral("<h3>Cache Sorter %1</h3>"
                                    "<p>Moves the packages Unreal Tournament 2004 downloaded into the game's "
                                    "folders under their real names.</p>"
                                    "<p>Released under the MIT License.</p>")
                         .arg(QStringLiteral(CACHE_SORTER_VERSION)));
}

void MainWindow::connectOutlets() {
  controller_.animationsTable = models_[0];
  controller_.karmaTable = models_[1];
  controller_.mapsTable = models_[2];
  controller_.musicTable = models_[3];
  controller_.soundsTable = models_[4];
  controller_.staticMeshesTable = models_[5];
  controller_.systemTable = models_[6];
  controller_.tabView = this;
  controller_.texturesTable = models_[7];
}

void MainWindow::connectPlatform(QtPlatform &platform) {
  platform.setWindow(this);
  platform.setReportHandler([this](const MoveReport &report) { showMoveReport(report); });
}

void MainWindow::reloadAllTables() {
  for (CategoryTableModel *model : models_)
    model->reloadData();
  focusShownTable();
}

int MainWindow::indexOfSelectedTab() const { return tabs_->currentIndex(); }

void MainWindow::requestMove() {
  const MovePreview preview = controller_.previewMove();
  if (preview.packages > 0 && controller_.unrealDir && !confirmMove(preview))
    return;
  moveConfirmed();
}

void MainWindow::moveConfirmed() {
  // The tables show the rows as they stood until the move reloads them.
  for (CategoryTableModel *model : models_)
    model->freeze();
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  controller_.moveFiles();
  QGuiApplication::restoreOverrideCursor();
  focusShownTable();
}

bool MainWindow::confirmMove(const MovePreview &preview) {
  const ConfirmationText text = confirmationText(preview, *controller_.unrealDir);
  QMessageBox confirmation(QMessageBox::Question, QStringLiteral("Move Packages"), displayText(text.question),
                           QMessageBox::NoButton, this);
  confirmation.setInformativeText(displayText(text.explanation));
  QPushButton *move = confirmation.addButton(QStringLiteral("Move"), QMessageBox::AcceptRole);
  QPushButton *cancel = confirmation.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  confirmation.setDefaultButton(move);
  confirmation.setEscapeButton(cancel);
  confirmation.exec();
  return confirmation.clickedButton() == move;
}

void MainWindow::showMoveReport(const MoveReport &report) {
  if (report.moved.empty() && report.stayed.empty())
    return;
  lastReport_ = report;
  reportLabel_->setText(displayText(reportSummary(report)));
  detailsButton_->show();
  if (reportWindow_)
    showMoveReportDetails();
}

void MainWindow::showMoveReportDetails() {
  if (!lastReport_)
    return;
  if (reportWindow_)
    reportWindow_->deleteLater();
  reportWindow_ = new MoveReportWindow(*lastReport_, this);
  reportWindow_->setAttribute(Qt::WA_DeleteOnClose);
  reportWindow_->show();
}

void MainWindow::updateTabLabel(int category) {
  const int rows = models_[static_cast<std::size_t>(category)]->rowCount();
  tabs_->setTabText(category,
                    QStringLiteral("%1 (%2)").arg(categoryName(static_cast<std::size_t>(category))).arg(rows));
}

void MainWindow::switchTab(int step) {
  const int count = tabs_->count();
  tabs_->setCurrentIndex((tabs_->currentIndex() + step + count) % count);
  focusShownTable();
}

void MainWindow::focusShownTable() {
  CategoryTableView *table = tableView(tabs_->currentIndex());
  if (!table)
    return;
  table->setFocus();
  QAbstractItemModel *model = table->model();
  if (!table->currentIndex().isValid() && model->rowCount() > 0)
    table->setCurrentIndex(model->index(0, CategoryTableModel::UtNameColumn));
}
