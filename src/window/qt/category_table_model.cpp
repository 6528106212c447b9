#include "window/qt/category_table_model.h"

#include "app/app_controller.h"
#include "window/browse_texts.h"
#include "window/move_texts.h"
#include "window/needs_texts.h"
#include "window/qt/display_text.h"
#include "window/qt/mark_icons.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QStyle>

CategoryTableModel::CategoryTableModel(AppController &controller, std::size_t category, PackageSizes &sizes,
                                       QObject *parent)
    : QAbstractTableModel(parent), controller_(controller), category_(category), sizes_(sizes) {
  for (std::size_t mark = 0; mark < markIcons_.size(); ++mark)
    markIcons_[mark] = drawMarkIcon(static_cast<PackageMark>(mark));
}

const HeaderColumn &CategoryTableModel::dataSourceColumn(int column) {
  static const HeaderColumn tick(""), utName("UT Name"), cacheName("Cache Name");
  return column == UtNameColumn ? utName : column == CacheNameColumn ? cacheName : tick;
}

std::optional<std::uint64_t> CategoryTableModel::cachedSize(int row) const {
  const CacheEntry *entry = entryAt(row);
  if (!entry)
    return std::nullopt;
  return sizes_.sizeOf(controller_.cacheDirectory(), entry->cacheName);
}

PackageMark CategoryTableModel::mark(int row) const {
  if (!entryAt(row))
    return PackageMark::None;
  if (fileMissing(row))
    return PackageMark::NoCachedFile;
  if (damaged(row))
    return PackageMark::Damaged;
  const AppController::RowMark needs = controller_.rowMark(this, row);
  if (!needs.missing.empty())
    return PackageMark::LacksNeeds;
  if (needs.notItsPackage)
    return PackageMark::NotItsPackage;
  if (const std::optional<InstalledFile> &replaced = replacedFile(row))
    return replaced->identical ? PackageMark::IdenticalInGame : PackageMark::DiffersInGame;
  return PackageMark::None;
}

QString CategoryTableModel::markTooltip(int row) const {
  const CacheEntry *entry = entryAt(row);
  if (!entry)
    return {};
  const QString name = shownName(entry->utName);
  switch (mark(row)) {
  case PackageMark::NoCachedFile:
    return name + QStringLiteral("\nNo cached file: the game purged it, or it was removed");
  case PackageMark::Damaged:
    // The format's terms stay in the details.
    return name + QLatin1Char('\n') + QString::fromStdString(damageAdvice(condition(row)));
  case PackageMark::LacksNeeds:
  case PackageMark::NotItsPackage: {
    const AppController::RowMark needs = controller_.rowMark(this, row);
    std::string text = entry->utName;
    if (!needs.missing.empty())
      text += "\n" + missingNeedsTooltip(needs.missing);
    if (needs.notItsPackage)
      text += "\n" + std::string(kNotItsPackageTooltip);
    return displayText(text);
  }
  case PackageMark::IdenticalInGame:
    return QStringLiteral("Already in the game (identical): %1").arg(shownName(replacedFile(row)->path));
  case PackageMark::DiffersInGame:
    return QStringLiteral("A different file of that name is in the game: %1").arg(shownName(replacedFile(row)->path));
  case PackageMark::None:
    break;
  }
  return name;
}

QVariant CategoryTableModel::markData(int row, int role) const {
  switch (role) {
  case Qt::DecorationRole:
    return markIcons_[static_cast<std::size_t>(mark(row))];
  case Qt::ToolTipRole:
    return mark(row) == PackageMark::None ? QVariant() : QVariant(markTooltip(row));
  case Qt::AccessibleTextRole:
    return QString::fromStdString(std::string(markName(mark(row))));
  default:
    return {};
  }
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
  if (index.column() == MarkColumn)
    return markData(index.row(), role);
  // A row whose cached file is missing is drawn greyed.
  if (role == Qt::ForegroundRole)
    return fileMissing(index.row()) ? QApplication::palette().brush(QPalette::Disabled, QPalette::Text) : QVariant();
  if (index.column() == TitleColumn)
    return role == Qt::DisplayRole || role == Qt::ToolTipRole ? displayText(title(index.row())) : QVariant();
  const bool tickColumn = index.column() == TickColumn;
  // The real name says, when hovered, what its mark means.
  if (index.column() == UtNameColumn && role == Qt::ToolTipRole)
    return markTooltip(index.row());
  if (tickColumn ? role != Qt::CheckStateRole : role != Qt::DisplayRole && role != Qt::ToolTipRole)
    return {};
  const std::optional<CellValue> value =
      controller_.objectValueForTableColumn(this, dataSourceColumn(index.column()), index.row());
  if (!value)
    return {};
  if (const int *selected = std::get_if<int>(&*value))
    return *selected == 1 ? Qt::Checked : Qt::Unchecked;
  return shownName(std::get<std::string>(*value));
}

bool CategoryTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (!index.isValid() || index.column() != TickColumn || role != Qt::CheckStateRole)
    return false;
  const bool checked = value.toInt() == Qt::Checked;
  controller_.setObjectValue(this, checked ? 1 : 0, dataSourceColumn(TickColumn), index.row());
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
  // The tick and mark columns' headers are empty; a screen reader says
  // what they are.
  if (role == Qt::AccessibleTextRole && (section == TickColumn || section == MarkColumn))
    return section == TickColumn ? QStringLiteral("Ticked") : QStringLiteral("State");
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
    case MarkColumn:
      return QStringLiteral("Damaged, lacking what it needs, or already in the game: click to gather them");
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
  return QString::fromStdString(dataSourceColumn(section).headerText());
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
