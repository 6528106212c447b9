#include "window/qt/category_table_model.h"

#include "app/app_controller.h"
#include "window/browse_texts.h"
#include "window/move_texts.h"
#include "window/needs_texts.h"
#include "window/qt/display_text.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QStyle>

CategoryTableModel::CategoryTableModel(AppController &controller, std::size_t category, PackageSizes &sizes,
                                       QObject *parent)
    : QAbstractTableModel(parent), controller_(controller), category_(category), sizes_(sizes) {}

std::optional<std::uint64_t> CategoryTableModel::cachedSize(int row) const {
  const CacheEntry *entry = entryAt(row);
  if (!entry)
    return std::nullopt;
  return sizes_.sizeOf(controller_.cacheDirectory(), entry->cacheName);
}

QPixmap CategoryTableModel::blankIcon() {
  const int side = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
  QPixmap blank(side, side);
  blank.fill(Qt::transparent);
  return blank;
}

QVariant CategoryTableModel::sizeData(int row, int role) const {
  if (role == Qt::TextAlignmentRole)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  // Two versions of one package: marked, and each file's date tells the
  // newer.
  if (role == Qt::DecorationRole)
    return controller_.versionsOfRow(this, row) > 1
               ? QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView)
               : QVariant();
  if (role == Qt::ToolTipRole) {
    QString tip;
    if (const std::optional<std::int64_t> modified = controller_.cachedFileModified(this, row))
      tip = QStringLiteral("Downloaded %1")
                .arg(QLocale().toString(QDateTime::fromSecsSinceEpoch(*modified), QLocale::ShortFormat));
    if (const std::size_t versions = controller_.versionsOfRow(this, row); versions > 1)
      tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(versionsText(versions));
    return tip.isEmpty() ? QVariant() : QVariant(tip);
  }
  if (role != Qt::DisplayRole)
    return {};
  const std::optional<std::uint64_t> size = cachedSize(row);
  return size ? QString::fromStdString(formatByteSize(*size)) : QStringLiteral("—");
}

bool CategoryTableModel::fileMissing(int row) const { return entryAt(row) && !cachedSize(row); }

const std::optional<InstalledFile> &CategoryTableModel::replacedFile(int row) const {
  static const std::optional<InstalledFile> none;
  const CacheEntry *entry = entryAt(row);
  if (!entry)
    return none;
  const std::string key = entry->cacheName + '\0' + entry->utName;
  auto known = replacedFiles_.find(key);
  if (known == replacedFiles_.end())
    known = replacedFiles_.emplace(key, controller_.installedFile(this, row)).first;
  return known->second;
}

PackageCondition CategoryTableModel::condition(int row) const {
  const CacheEntry *entry = entryAt(row);
  if (!entry)
    return PackageCondition::NotLookedAt;
  const std::string key = entry->cacheName + '\0' + entry->utName;
  auto known = conditions_.find(key);
  if (known == conditions_.end())
    known = conditions_
                .emplace(key,
                         checkCachedFile(cachedFilePath(controller_.cacheDirectory(), entry->cacheName), entry->utName))
                .first;
  return known->second;
}

void CategoryTableModel::forgetFiles() {
  replacedFiles_.clear();
  conditions_.clear();
}

void CategoryTableModel::listsWillChange() {
  listChanged_ = true;
  emit listAboutToChange();
}

void CategoryTableModel::reloadData() {
  const int rows = controller_.numberOfRowsInTableView(this);
  if (rows == shownRows_ && !listChanged_) {
    // Same rows: repaint in place, keeping the current row and the scroll
    // position.
    if (rows > 0)
      emit dataChanged(index(0, 0), index(rows - 1, ColumnCount - 1));
  } else {
    beginResetModel();
    shownRows_ = rows;
    listChanged_ = false;
    endResetModel();
  }
  emit reloaded();
}

int CategoryTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : shownRows_; }

int CategoryTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant CategoryTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid())
    return {};
  if (index.column() == SizeColumn)
    return sizeData(index.row(), role);
  // A row whose cached file is missing is drawn greyed.
  if (role == Qt::ForegroundRole)
    return fileMissing(index.row()) ? QApplication::palette().brush(QPalette::Disabled, QPalette::Text) : QVariant();
  if (index.column() == TitleColumn)
    return role == Qt::DisplayRole || role == Qt::ToolTipRole ? displayText(title(index.row())) : QVariant();
  const bool tickColumn = index.column() == TickColumn;
  if (!tickColumn && index.column() == UtNameColumn && (role == Qt::DecorationRole || role == Qt::ToolTipRole)) {
    const PackageCondition damage = condition(index.row());
    if (isDamaged(damage)) {
      if (role == Qt::DecorationRole)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
      // The format's terms stay in the details.
      const std::string &utName = entryAt(index.row())->utName;
      return shownName(utName) + QLatin1Char('\n') + QString::fromStdString(damageAdvice(damage));
    }
    if (const AppController::RowMark mark = controller_.rowMark(this, index.row());
        !mark.missing.empty() || mark.notItsPackage) {
      if (role == Qt::DecorationRole)
        return QApplication::style()->standardIcon(mark.missing.empty() ? QStyle::SP_MessageBoxQuestion
                                                                        : QStyle::SP_MessageBoxWarning);
      std::string text = entryAt(index.row())->utName;
      if (!mark.missing.empty())
        text += "\n" + missingNeedsTooltip(mark.missing);
      if (mark.notItsPackage)
        text += "\n" + std::string(kNotItsPackageTooltip);
      return displayText(text);
    }
    if (const std::optional<InstalledFile> &replaced = replacedFile(index.row())) {
      if (role == Qt::DecorationRole)
        return QApplication::style()->standardIcon(replaced->identical ? QStyle::SP_MessageBoxInformation
                                                                       : QStyle::SP_MessageBoxWarning);
      return (replaced->identical ? QStringLiteral("Already in the game (identical): %1")
                                  : QStringLiteral("A different file of that name is in the game: %1"))
          .arg(shownName(replaced->path));
    }
    // Every name starts where the marked ones do.
    if (role == Qt::DecorationRole)
      return blankIcon();
  }
  if (tickColumn ? role != Qt::CheckStateRole : (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  const std::optional<CellValue> value =
      controller_.objectValueForTableColumn(this, columns_[index.column()], index.row());
  if (!value)
    return {};
  if (const int *selected = std::get_if<int>(&*value))
    return *selected == 1 ? Qt::Checked : Qt::Unchecked;
  const QString name = shownName(std::get<std::string>(*value));
  if (role == Qt::ToolTipRole && fileMissing(index.row()))
    return name + QStringLiteral("\nNo cached file: the game purged it, or it was removed");
  return name;
}

bool CategoryTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (!index.isValid() || index.column() != TickColumn || role != Qt::CheckStateRole)
    return false;
  const bool checked = value.toInt() == Qt::Checked;
  controller_.setObjectValue(this, checked ? 1 : 0, columns_[TickColumn], index.row());
  return true;
}

Qt::ItemFlags CategoryTableModel::flags(const QModelIndex &index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == TickColumn)
    flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant CategoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
    return {};
  // The tick column's header is empty; a screen reader says what it is.
  if (role == Qt::AccessibleTextRole && section == TickColumn)
    return QStringLiteral("Ticked");
  // The headers are short; their tooltips say which name is which.
  if (role == Qt::ToolTipRole) {
    switch (section) {
    case UtNameColumn:
      return QStringLiteral("The package's real name, which it takes in the game folder");
    case CacheNameColumn:
      return QStringLiteral("The name of its cached file in the cache folder, without \".uxx\"");
    case SizeColumn:
      return QStringLiteral("The size of the cached file");
    case TitleColumn:
      return QStringLiteral("The map's title, as the game's map list shows it");
    default:
      return QStringLiteral("Ticked packages move with Move Ticked Packages…");
    }
  }
  if (role != Qt::DisplayRole)
    return {};
  if (section == SizeColumn)
    return QStringLiteral("Size");
  if (section == TitleColumn)
    return QStringLiteral("Title");
  return QString::fromStdString(columns_[section].headerText());
}

std::string CategoryTableModel::title(int row) const { return controller_.titleOfRow(this, row); }

const CacheEntry *CategoryTableModel::entryAt(int row) const {
  const std::vector<CacheEntry> &list = controller_.listAt(category_);
  if (row < 0 || row >= shownRows_ || row >= std::ssize(list))
    return nullptr;
  return &list[static_cast<std::size_t>(row)];
}

void CategoryTableModel::setTicks(const std::vector<int> &rows, bool ticked) {
  controller_.setTicks(this, std::vector<std::int32_t>(rows.begin(), rows.end()), ticked ? 1 : 0);
}
