#include "window/qt/main_window.h"

#include "app/app_controller.h"
#include "catalogue/category.h"
#include "window/browse_texts.h"
#include "window/location_texts.h"
#include "window/move_texts.h"
#include "window/needs_texts.h"
#include "window/package_state.h"
#include "window/qt/action_button.h"
#include "window/qt/category_filter_model.h"
#include "window/qt/category_table_model.h"
#include "window/qt/category_table_view.h"
#include "window/qt/cleanup_flow.h"
#include "window/qt/copy_out_flow.h"
#include "window/qt/details_pane.h"
#include "window/qt/details_presenter.h"
#include "window/qt/display_text.h"
#include "window/qt/empty_cache_page.h"
#include "window/qt/folder_opener.h"
#include "window/qt/game_menu.h"
#include "window/qt/install_archive_flow.h"
#include "window/qt/keep_downloads_action.h"
#include "window/qt/needs_presenter.h"
#include "window/qt/put_back_flow.h"

#include "window/qt/qt_platform.h"
#include "window/qt/side_tabs.h"
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString categoryName(std::size_t index) {
  const std::string_view name = kCategories[index].name;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

MainWindow::MainWindow(AppController &controller, QWidget *parent) : QMainWindow(parent), controller_(controller) {
  setWindowTitle(QStringLiteral("Cache Sorter"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/cache-sorter-256.png")));

  folderChoices_ = new FolderChoiceFlow(controller_, this);
  cleanup_ = new CleanupFlow(controller_, this, sizes_);
  copyOut_ = new CopyOutFlow(controller_, this);
  putBack_ = new PutBackFlow(controller_, this);
  installArchive_ = new InstallArchiveFlow(controller_, this);
  connect(installArchive_, &InstallArchiveFlow::done, this, [this] {
    forgetFiles();
    updateTickCommands();
  });
  // A map pack dropped on the window is installed as if picked.
  setAcceptDrops(true);
  connect(putBack_, &PutBackFlow::done, this, [this] {
    forgetFiles();
    updateTickCommands();
  });
  buildCommands();
  needs_ = new NeedsPresenter(controller_, this, [this] { return shownRow(); });
  pages_ = new QStackedWidget(this);
  browsePage_ = buildBrowsePage(pages_);
  emptyPage_ = new EmptyCachePage(chooseCacheAction_, chooseGameAction_, pages_);
  pages_->addWidget(browsePage_);
  pages_->addWidget(emptyPage_);
  setCentralWidget(pages_);
  buildMenus();

  status_ = new StatusBarPresenter(controller_, this, sizes_,
                                   [this] { return static_cast<std::size_t>(std::max(0, tabs_->currentIndex())); });
  for (CategoryTableView *view : views_) {
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, needs_, &NeedsPresenter::schedule);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, details_, &DetailsPresenter::schedule);
    connect(view, &CategoryTableView::tickNeedsRequested, this, &MainWindow::tickWhatSelectedNeed);
    view->setRowCommands({moveAction_, trashAction_, copyAction_, exportAction_});
  }
  moveFlow_ = new MoveFlow(controller_, this, *status_, [this] { return tickedHiddenByFilter(); });
  // Titles come in as the cache's packages are read; "needed by" once all
  // are.
  connect(needs_, &NeedsPresenter::readingAdvanced, this, [this] {
    views_[kMapsCategory]->viewport()->update();
    const AppController::ReadingState state = controller_.packageReading();
    if (state.done == state.total)
      details_->schedule();
  });
  connect(moveFlow_, &MoveFlow::finished, this, [this] {
    forgetFiles();
    focusShownTable();
  });
  connect(cleanup_, &CleanupFlow::finished, this, [this] {
    forgetFiles();
    focusShownTable();
  });
  connect(cleanup_, &CleanupFlow::noted, status_, &StatusBarPresenter::showNote);
  connect(folderChoices_, &FolderChoiceFlow::changed, this, [this] {
    forgetFiles();
    reloadAllTables();
    const std::string folder = homeRelative(controller_.cacheDirectory(), controller_.homeFolder());
    status_->showNote(controller_.hasCache() ? displayText(openedCacheText(folder, packageCount())) : QString());
  });

  setTabOrder(filter_, stateMenu_);
  setTabOrder(stateMenu_, tabs_);
  resize(1100, 640);
}

QWidget *MainWindow::buildBrowsePage(QWidget *parent) {
  auto *page = new QWidget(parent);
  auto *layout = new QVBoxLayout(page);
  layout->addLayout(buildFilterLine(page));
  layout->addWidget(buildSplitter(page), 1);
  auto *needsLine = new QHBoxLayout;
  needsLine->addWidget(needs_->needs(), 1);
  needsLine->addWidget(needs_->listButton());
  layout->addLayout(needsLine);
  layout->addLayout(buildButtons(page));
  return page;
}

QSplitter *MainWindow::buildSplitter(QWidget *parent) {
  splitter_ = new QSplitter(Qt::Horizontal, parent);
  splitter_->addWidget(buildTabs(splitter_));
  detailsPane_ = new DetailsPane(splitter_);
  splitter_->addWidget(detailsPane_);
  // The tables take what the window gains; the pane keeps its width.
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 0);
  // The tables never give way entirely; dragging the pane shut hides it.
  splitter_->setCollapsible(0, false);
  splitter_->setSizes({760, detailsWidth_});
  splitter_->installEventFilter(this);
  details_ = new DetailsPresenter(
      controller_, detailsPane_, [this] { return shownRow(); }, this);
  // Dragged, the pane keeps the width the user gave it; dragged shut, it
  // is hidden.
  connect(splitter_, &QSplitter::splitterMoved, this, [this] {
    const int pane = splitter_->sizes().value(1);
    if (pane == 0) {
      setDetailsShown(false);
      return;
    }
    detailsWidth_ = pane;
    detailsAction_->setChecked(true);
    details_->schedule();
  });
  return splitter_;
}

std::pair<CategoryTableModel *, int> MainWindow::shownRow() const {
  const int shown = tabs_->currentIndex();
  CategoryTableView *table = tableView(shown);
  if (!table || !table->currentIndex().isValid())
    return {nullptr, -1};
  return {models_[static_cast<std::size_t>(shown)],
          filters_[static_cast<std::size_t>(shown)]->mapToSource(table->currentIndex()).row()};
}

void MainWindow::setDetailsShown(bool shown) {
  detailsAction_->setChecked(shown);
  detailsPane_->setVisible(shown);
  if (!shown)
    return;
  if (splitter_->isVisible())
    fitDetailsPane();
  details_->schedule();
}

void MainWindow::setDetailsWidth(int width) {
  detailsWidth_ = std::max(0, width);
  if (splitter_->isVisible())
    fitDetailsPane();
}

void MainWindow::fitDetailsPane() {
  if (!detailsPane_->isVisibleTo(splitter_))
    return;
  // The table keeps at least half the window beside its tab column: in a
  // narrow window the pane gives way first, and takes its width again when
  // the window grows.
  const int room = splitter_->width() - splitter_->handleWidth() - tabs_->tabBar()->sizeHint().width() - 16;
  const int pane = std::min(detailsWidth_, std::max(0, std::min(room - width() / 2, splitter_->width() / 3)));
  const QList<int> sizes = splitter_->sizes();
  if (pane != sizes.value(1))
    splitter_->setSizes({sizes.value(0) + sizes.value(1) - pane, pane});
}

QHBoxLayout *MainWindow::buildFilterLine(QWidget *parent) {
  filter_ = new QLineEdit(parent);
  filter_->setPlaceholderText(QStringLiteral("Filter by name (Ctrl+F)"));
  filter_->setAccessibleName(QStringLiteral("Filter"));
  filter_->setClearButtonEnabled(true);
  filter_->installEventFilter(this);
  connect(filter_, &QLineEdit::textChanged, this, &MainWindow::applyFilter);
  // The state menu narrows what the text leaves: the damaged maps named
  // "CTF-", say.
  stateMenu_ = new QComboBox(parent);
  for (const StateFilter state : kStateFilters)
    stateMenu_->addItem(QString::fromStdString(std::string(stateFilterName(state))), static_cast<int>(state));
  stateMenu_->setAccessibleName(QStringLiteral("Show"));
  stateMenu_->setToolTip(QStringLiteral("Show only the packages in one state, in every tab"));
  connect(stateMenu_, &QComboBox::currentIndexChanged, this, &MainWindow::applyFilter);
  auto *label = new QLabel(QStringLiteral("&Show:"), parent);
  label->setBuddy(stateMenu_);
  auto *line = new QHBoxLayout;
  line->addWidget(filter_, 1);
  line->addWidget(label);
  line->addWidget(stateMenu_);
  return line;
}

SideTabs *MainWindow::buildTabs(QWidget *parent) {
  tabs_ = new SideTabs(parent);
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    models_[index] = new CategoryTableModel(controller_, index, sizes_, this);
    filters_[index] = new CategoryFilterModel(models_[index], this);
    views_[index] = new CategoryTableView(filters_[index], tabs_);
    views_[index]->setAccessibleName(QStringLiteral("%1 packages").arg(categoryName(index)));
    connect(views_[index], &CategoryTableView::putBackRequested, this,
            [this, index](const std::vector<int> &rows) { putBack_->putBackRows(models_[index], rows); });
    connect(views_[index], &CategoryTableView::showFolderRequested, this, [this, index](bool inTheGame) {
      if (!inTheGame)
        openFolderInFileManager(controller_.cacheDirectory(), this);
      else if (controller_.unrealDir)
        openFolderInFileManager(*controller_.unrealDir + "/" + std::string(kCategories[index].name), this);
    });
    tabs_->addTab(views_[index], categoryName(index));
    connect(models_[index], &CategoryTableModel::reloaded, this, [this, index] {
      updateTabLabel(static_cast<int>(index));
      updateTickCommands();
      status_->schedule();
      if (needs_)
        needs_->schedule();
      if (details_)
        details_->schedule();
    });
  }
  views_[kMapsCategory]->showTitles();
  connect(tabs_, &QTabWidget::currentChanged, this, [this] {
    focusShownTable();
    status_->schedule();
    if (needs_)
      needs_->schedule();
    if (details_)
      details_->schedule();
  });
  return tabs_;
}

void MainWindow::buildCommands() {
  // While a filter is on, ticking follows it: only the rows shown.
  tickAllAction_ = addCommand(QStringLiteral("Tick &All"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), [this] {
    if (!filters_[0]->filtered()) {
      controller_.selectAll();
      return;
    }
    for (std::size_t index = 0; index < kCategoryCount; ++index)
      tickShownRows(index);
  });
  tickTabAction_ =
      addCommand(QStringLiteral("Tick All in &Tab"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T), [this] {
        if (!filters_[0]->filtered())
          controller_.selectAllCurrent();
        else if (tabs_->currentIndex() >= 0)
          tickShownRows(static_cast<std::size_t>(tabs_->currentIndex()));
      });
  tickNeedsAction_ = addCommand(QStringLiteral("Tick What It &Needs"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
                                [this] { tickWhatSelectedNeed(); });
  untickAllAction_ = addCommand(QStringLiteral("&Untick All"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U),
                                [this] { controller_.untickAll(); });
  findAction_ = addCommand(QStringLiteral("&Filter by Name"), QKeySequence::Find, [this] {
    filter_->setFocus(Qt::ShortcutFocusReason);
    filter_->selectAll();
  });
  moveAction_ = addCommand(QStringLiteral("&Move Ticked Packages…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
                           [this] { requestMove(); });
  installAction_ = addCommand(QStringLiteral("&Install from Archive…"), QKeySequence(Qt::CTRL | Qt::Key_I),
                              [this] { installArchive_->chooseArchive(); });
  putBackAction_ =
      addCommand(QStringLiteral("Put &Back into the Cache…"), QKeySequence(), [this] { putBack_->chooseFiles(); });
  undoMoveAction_ = addCommand(QStringLiteral("Und&o Move"), QKeySequence::Undo, [this] {
    controller_.undoMove();
    forgetFiles();
    updateTickCommands();
  });
  undoMoveAction_->setToolTip(QStringLiteral("Put the packages the last move put into the game back into the cache"));
  trashAction_ =
      addCommand(QStringLiteral("Move to T&rash…"), QKeySequence::Delete, [this] { cleanup_->trashTicked(); });
  copyAction_ = addCommand(QStringLiteral("&Copy to Folder…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                           [this] { copyOut_->copyTicked(CopyFormat::Plain); });
  exportAction_ =
      addCommand(QStringLiteral("&Export for Redirect Server…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                 [this] { copyOut_->copyTicked(CopyFormat::Uz2); });
  removeMissingAction_ =
      addCommand(QStringLiteral("&Remove Missing Entries…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                 [this] { cleanup_->removeMissingEntries(); });
  chooseCacheAction_ = addCommand(QStringLiteral("Choose &Cache Folder…"), QKeySequence(Qt::CTRL | Qt::Key_O),
                                  [this] { folderChoices_->chooseCacheFolder(); });
  chooseGameAction_ = addCommand(QStringLiteral("Choose &Game Folder…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
                                 [this] { folderChoices_->chooseGameFolder(); });
  openCacheAction_ = addCommand(QStringLiteral("&Open Cache Folder"), QKeySequence(),
                                [this] { openFolderInFileManager(controller_.cacheDirectory(), this); });
  openGameAction_ = addCommand(QStringLiteral("Open Game &Folder"), QKeySequence(), [this] {
    if (controller_.unrealDir)
      openFolderInFileManager(*controller_.unrealDir, this);
  });
  reloadAction_ = addCommand(QStringLiteral("&Reload"), QKeySequence::Refresh, [this] {
    const std::optional<std::string> problem = controller_.reloadLists();
    forgetFiles();
    focusShownTable();
    status_->showNote(problem ? QStringLiteral("The cache index could not be read again")
                              : QString::fromStdString(reloadedText(packageCount())));
    if (problem)
      QMessageBox::warning(this, QStringLiteral("Error"), displayText(*problem));
  });
  // The GTK theme's Refresh is Ctrl+R alone; F5 reloads under every theme.
  QList<QKeySequence> reloadKeys = QKeySequence::keyBindings(QKeySequence::Refresh);
  if (!reloadKeys.contains(QKeySequence(Qt::Key_F5)))
    reloadKeys.append(QKeySequence(Qt::Key_F5));
  reloadAction_->setShortcuts(reloadKeys);
  detailsAction_ = addCommand(QStringLiteral("&Details Pane"), QKeySequence(Qt::Key_F9),
                              [this] { setDetailsShown(detailsAction_->isChecked()); });
  detailsAction_->setCheckable(true);
  detailsAction_->setChecked(true);
  keepDownloadsAction_ = new KeepDownloadsAction(controller_, this);
  connect(keepDownloadsAction_, &KeepDownloadsAction::done, this, [this](const QString &note) {
    status_->showNote(note);
    status_->schedule();
  });
  forgetAction_ = addCommand(QStringLiteral("&Forget Chosen Folders"), QKeySequence(),
                             [this] { folderChoices_->forgetChosenFolders(); });
}

QHBoxLayout *MainWindow::buildButtons(QWidget *parent) {
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(buttonFor(tickAllAction_, parent));
  buttons->addWidget(buttonFor(tickTabAction_, parent));
  buttons->addWidget(buttonFor(untickAllAction_, parent));
  buttons->addStretch();
  buttons->addWidget(buttonFor(moveAction_, parent));
  return buttons;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
  if (watched == splitter_ && event->type() == QEvent::Resize) {
    fitDetailsPane();
    return QMainWindow::eventFilter(watched, event);
  }
  if (watched != filter_ || event->type() != QEvent::KeyPress)
    return QMainWindow::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent *>(event)->key();
  if (key == Qt::Key_Escape) {
    filter_->clear();
    return true;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
    CategoryTableView *table = tableView(tabs_->currentIndex());
    table->setFocus(Qt::OtherFocusReason);
    if (table->model()->rowCount() > 0)
      table->setCurrentIndex(table->model()->index(0, CategoryTableModel::UtNameColumn));
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.front().isLocalFile() && InstallArchiveFlow::isArchiveName(urls.front().toLocalFile()) &&
      installAction_->isEnabled())
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile())
    return;
  event->acceptProposedAction();
  const QString archive = urls.front().toLocalFile();
  // After the drop has ended, so that the source's drag is not held up.
  QTimer::singleShot(0, installArchive_, [this, archive] { installArchive_->install(archive); });
}

void MainWindow::tickShownRows(std::size_t category) {
  const CategoryFilterModel *filter = filters_[category];
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(filter->rowCount()));
  for (int row = 0; row < filter->rowCount(); ++row)
    rows.push_back(filter->mapToSource(filter->index(row, 0)).row());
  if (!rows.empty())
    models_[category]->setTicks(rows, true);
}

void MainWindow::applyFilter() {
  const QByteArray bytes = filter_->text().toUtf8();
  const auto state = static_cast<StateFilter>(stateMenu_->currentData().toInt());
  // Looking at the files for a state the first time takes a moment on a
  // large cache; what was learnt is kept until the files change.
  const bool looksAtFiles = state != StateFilter::All && state != StateFilter::Ticked;
  if (looksAtFiles)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    filters_[index]->setStateFilter(state);
    filters_[index]->setFilterText(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    updateTabLabel(static_cast<int>(index));
  }
  if (looksAtFiles)
    QGuiApplication::restoreOverrideCursor();
  const bool filtered = filters_[0]->filtered();
  tickAllAction_->setText(filtered ? QStringLiteral("Tick &All Shown") : QStringLiteral("Tick &All"));
  tickTabAction_->setText(filtered ? QStringLiteral("Tick Shown in &Tab") : QStringLiteral("Tick All in &Tab"));
  status_->schedule();
  // The row shown may have been filtered out.
  needs_->schedule();
  details_->schedule();
}

std::size_t MainWindow::tickedHiddenByFilter() const {
  std::size_t hidden = 0;
  for (std::size_t index = 0; index < kCategoryCount; ++index) {
    const std::vector<CacheEntry> &list = controller_.listAt(index);
    hidden += static_cast<std::size_t>(
        std::count_if(list.begin(), list.end(), [](const CacheEntry &entry) { return entry.selected == 1; }));
    const CategoryFilterModel *filter = filters_[index];
    for (int row = 0; row < filter->rowCount(); ++row) {
      const CacheEntry *entry = models_[index]->entryAt(filter->mapToSource(filter->index(row, 0)).row());
      hidden -= entry && entry->selected == 1 ? 1 : 0;
    }
  }
  return hidden;
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
  file->addAction(copyAction_);
  file->addAction(exportAction_);
  file->addSeparator();
  file->addAction(installAction_);
  file->addAction(putBackAction_);
  file->addSeparator();
  file->addMenu(
      new GameMenu(controller_, *folderChoices_, {chooseCacheAction_, chooseGameAction_, forgetAction_}, file));
  file->addSeparator();
  file->addAction(openCacheAction_);
  file->addAction(openGameAction_);
  file->addSeparator();
  QAction *quit = file->addAction(QStringLiteral("&Quit"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  edit->addAction(undoMoveAction_);
  edit->addSeparator();
  edit->addAction(tickAllAction_);
  edit->addAction(tickTabAction_);
  edit->addAction(untickAllAction_);
  edit->addAction(tickNeedsAction_);
  edit->addSeparator();
  edit->addAction(trashAction_);
  edit->addAction(removeMissingAction_);
  edit->addSeparator();
  edit->addAction(keepDownloadsAction_);
  // The game or the player may have changed its settings since.
  connect(edit, &QMenu::aboutToShow, keepDownloadsAction_, &KeepDownloadsAction::refresh);
  edit->addSeparator();
  edit->addAction(findAction_);

  QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
  view->addAction(reloadAction_);
  view->addAction(detailsAction_);
  view->addSeparator();
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
  platform.setReportHandler([this](const MoveReport &report) { moveFlow_->showReport(report); });
  platform.setGameFolderHandler([this] { folderChoices_->chooseGameFolder(); });
}

void MainWindow::reloadAllTables() {
  for (CategoryTableModel *model : models_)
    model->reloadData();
  showCacheOrSearch();
  focusShownTable();
}

void MainWindow::startReadingPackages() { QTimer::singleShot(0, needs_, &NeedsPresenter::startReading); }

void MainWindow::tickWhatSelectedNeed() {
  const int shown = tabs_->currentIndex();
  CategoryTableView *table = tableView(shown);
  if (!table || !controller_.hasCache())
    return;
  const std::vector<int> rows = table->selectedSourceRows();
  if (rows.empty())
    return;
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  const std::size_t ticked = controller_.tickWhatRowsNeed(models_[static_cast<std::size_t>(shown)],
                                                          std::vector<std::int32_t>(rows.begin(), rows.end()));
  QGuiApplication::restoreOverrideCursor();
  status_->showNote(QString::fromStdString(tickedNeedsText(ticked)));
}

void MainWindow::showPassedOverFiles(const QString &settingsFile) {
  std::vector<std::string> notes = controller_.searchedPlaces().passedOver;
  if (!settingsFile.isEmpty())
    notes.push_back(QFile::encodeName(settingsFile).toStdString());
  if (!notes.empty())
    status_->showNote(displayText(passedOverText(notes, controller_.homeFolder())));
}

void MainWindow::showCacheOrSearch() {
  const bool hasCache = controller_.hasCache();
  for (QAction *action : {tickAllAction_, tickTabAction_, untickAllAction_, tickNeedsAction_, findAction_, moveAction_,
                          trashAction_, copyAction_, exportAction_, removeMissingAction_})
    action->setEnabled(hasCache);
  forgetAction_->setEnabled(controller_.hasChosenFolders());
  openCacheAction_->setEnabled(hasCache);
  reloadAction_->setEnabled(hasCache);
  openGameAction_->setEnabled(controller_.unrealDir.has_value());
  putBackAction_->setEnabled(hasCache && controller_.unrealDir.has_value());
  installAction_->setEnabled(hasCache && controller_.unrealDir.has_value());
  keepDownloadsAction_->refresh();
  updateTickCommands();
  if (!hasCache) {
    const EmptyWindowText text = emptyWindowText(controller_.searchedPlaces(), controller_.homeFolder());
    emptyPage_->setText(displayText(text.heading), displayText(text.body));
  }
  pages_->setCurrentWidget(hasCache ? browsePage_ : static_cast<QWidget *>(emptyPage_));
  status_->schedule();
}

bool MainWindow::copiesIntoCategoryFolders() const { return copyOut_->intoCategoryFolders(); }

void MainWindow::setCopiesIntoCategoryFolders(bool into) { copyOut_->setIntoCategoryFolders(into); }

std::size_t MainWindow::packageCount() const {
  std::size_t count = 0;
  for (std::size_t index = 0; index < kCategoryCount; ++index)
    count += controller_.listAt(index).size();
  return count;
}

void MainWindow::forgetFiles() {
  status_->forgetSizes();
  for (CategoryTableModel *model : models_)
    model->forgetFiles();
  for (CategoryTableView *view : views_)
    view->viewport()->update();
  details_->forgetPictures();
  details_->schedule();
}

void MainWindow::updateTickCommands() {
  // Moving or trashing nothing is pointless to a user, though the move
  // itself would still rewrite the index.
  bool anyTicked = false;
  for (std::size_t index = 0; index < kCategoryCount && !anyTicked; ++index) {
    const std::vector<CacheEntry> &list = controller_.listAt(index);
    anyTicked = std::any_of(list.begin(), list.end(), [](const CacheEntry &entry) { return entry.selected == 1; });
  }
  const bool enabled = controller_.hasCache() && anyTicked;
  for (QAction *action : {moveAction_, trashAction_, copyAction_, exportAction_})
    action->setEnabled(enabled);
  undoMoveAction_->setEnabled(controller_.canUndoMove());
}

bool MainWindow::showsTables() const { return pages_->currentWidget() == browsePage_; }

int MainWindow::indexOfSelectedTab() const { return tabs_->currentIndex(); }

void MainWindow::updateTabLabel(int category) {
  const auto index = static_cast<std::size_t>(category);
  const bool filtered = filters_[index]->filtered();
  const auto total = static_cast<std::size_t>(models_[index]->rowCount());
  const auto shown = static_cast<std::size_t>(filters_[index]->rowCount());
  const std::string label = tabLabel(kCategories[index].name, shown, total, filtered);
  tabs_->setTabLabel(category, QString::fromStdString(label),
                     QString::fromStdString(tabLabel(kCategories[index].name, total, total, true)));
  // While a filter is on, a tab with nothing to show is drawn dimmed; it
  // can still be opened.
  tabs_->tabBar()->setTabTextColor(
      category, filtered && shown == 0 ? tabs_->palette().color(QPalette::Disabled, QPalette::WindowText) : QColor());
  views_[index]->setPlaceholderText(QString::fromStdString(emptyTabText(index, filtered)));
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
  // A table that gets the focus makes a row current without selecting it,
  // which shows only a thin frame: it is highlighted as the first tab's is.
  if (table->currentIndex().isValid() && !table->selectionModel()->hasSelection())
    table->selectionModel()->select(table->currentIndex(),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
