#include "FileListModel.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

#include <algorithm>

namespace dwfm {

FileListModel::FileListModel(QObject *parent) : QAbstractTableModel(parent) {}

QStringList FileListModel::columnCaptions()
{
    return {QStringLiteral("Bestandsnaam"), QStringLiteral("Gebruiker"), QStringLiteral("Datum-Tijd"),
            QStringLiteral("Locatie"), QStringLiteral("Opmerking")};
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QString FileListModel::folderCaption() { return QStringLiteral("Map"); }

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount + (m_folderColumn ? 1 : 0);
}

void FileListModel::setFolderColumn(bool shown)
{
    if (shown == m_folderColumn)
        return;
    if (shown) {
        beginInsertColumns(QModelIndex(), ColFolder, ColFolder);
        m_folderColumn = true;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), ColFolder, ColFolder);
        m_folderColumn = false;
        endRemoveColumns();
        // A sort by the folder column ends with the column.
        if (m_sortKey == ColFolder) {
            m_sortKey = ColFileName;
            m_headerImages[ColFolder] = NoHeaderImage;
        }
    }
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_rows.cellText(index.row(), index.column());
    case Qt::ToolTipRole: {
        const QString age = m_rows.ageText(index.row());
        return age.isEmpty() ? QVariant() : QVariant(age);
    }
    case Qt::ForegroundRole: {
        const QColor &colour = m_rows.colour(index.row());
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    case KeyRole: return m_rows.key(index.row());
    case TagRole: return m_rows.tag(index.row());
    default: return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return section == ColFolder ? folderCaption() : columnCaptions().at(section);
    if (role == Qt::DecorationRole && m_headerImages[std::size_t(section)] != NoHeaderImage)
        return headerIcon(m_headerImages[std::size_t(section)]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QIcon FileListModel::headerIcon(int image)
{
    const bool descending = image == HeaderImageDescending;
    const QString name = descending ? QStringLiteral("view-sort-descending") : QStringLiteral("view-sort-ascending");
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    QStyle *style = QApplication::style();
    return style ? style->standardIcon(descending ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp) : QIcon();
}

void FileListModel::clearHeaderImages()
{
    m_headerImages.fill(NoHeaderImage);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void FileListModel::setHeaderImage(int column, int image)
{
    if (column < 0 || column >= columnCount())
        return;
    m_headerImages[std::size_t(column)] = image;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int FileListModel::headerImage(int column) const
{
    return column >= 0 && column < columnCount() ? m_headerImages[std::size_t(column)] : NoHeaderImage;
}

const QString &FileListModel::cellText(const FileListRow &row, int column)
{
    if (column == ColFolder)
        return row.locationPath;
    return column <= ColFileName ? row.text : row.subItems[std::size_t(std::min(column, int(ColumnCount) - 1) - 1)];
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    m_sorted = true;
    m_sortKey = column;
    m_sortOrder = order;
    if (m_rows.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> newOrder = m_rows.sortedOrder(m_sortKey, m_sortOrder);
    m_rows.reorder(newOrder);
    dropWholeRows();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newRowOf;
    if (!before.isEmpty()) {
        newRowOf.resize(newOrder.size());
        for (std::size_t to = 0; to < newOrder.size(); ++to)
            newRowOf[std::size_t(newOrder[to])] = int(to);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << createIndex(newRowOf[std::size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::clear()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    dropWholeRows();
    endResetModel();
}

void FileListModel::setRows(FileListRows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_rows.finish();
    dropWholeRows();
    if (m_sorted && m_rows.size() > 1)
        m_rows.reorder(m_rows.sortedOrder(m_sortKey, m_sortOrder));
    endResetModel();
}

void FileListModel::setRows(const std::vector<FileListRow> &rows)
{
    FileListRows compact;
    compact.reserve(rows.size());
    for (const FileListRow &row : rows)
        compact.append(row);
    setRows(std::move(compact));
}

void FileListModel::appendRow(const FileListRow &row)
{
    const int at = m_rows.size();
    beginInsertRows(QModelIndex(), at, at);
    m_rows.append(row);
    dropWholeRows();
    endInsertRows();
}

const FileListRow &FileListModel::row(int index) const
{
    if (m_allRows)
        return (*m_allRows)[std::size_t(index)];
    auto made = m_wholeRows.find(index);
    if (made == m_wholeRows.end())
        made = m_wholeRows.emplace(index, m_rows.row(index)).first;
    return made->second;
}

const std::vector<FileListRow> &FileListModel::rows() const
{
    if (!m_allRows) {
        std::vector<FileListRow> all;
        all.reserve(std::size_t(m_rows.size()));
        for (int i = 0; i < m_rows.size(); ++i)
            all.push_back(m_rows.row(i));
        m_allRows = std::move(all);
    }
    return *m_allRows;
}

void FileListModel::dropWholeRows()
{
    m_wholeRows.clear();
    m_allRows.reset();
}

} // namespace dwfm
