#include "FileListModel.h"

#include "platform/FoldedTexts.h"

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
    return parent.isValid() ? 0 : int(m_rows.size());
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
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= columnCount())
        return QVariant();
    const FileListRow &r = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return cellText(r, index.column());
    case Qt::ToolTipRole:
        return r.toolTip.isEmpty() ? QVariant() : QVariant(r.toolTip);
    case Qt::ForegroundRole:
        return r.foreColor.isValid() ? QVariant(r.foreColor) : QVariant();
    case KeyRole: return r.key;
    case TagRole: return r.tag;
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

std::vector<int> FileListModel::sortedOrder() const
{
    // Every text is folded once, so that sorting compares plain runs of characters
    // without allocating; equal texts keep their order in both directions.
    std::size_t total = 0;
    for (const FileListRow &row : m_rows)
        total += std::size_t(cellText(row, m_sortKey).size());
    FoldedTexts folded;
    folded.reserve(m_rows.size(), total);
    for (const FileListRow &row : m_rows)
        folded.add(cellText(row, m_sortKey));
    return folded.sortedOrder(m_sortOrder);
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
    const std::vector<int> newOrder = sortedOrder();
    std::vector<int> newRowOf(m_rows.size(), -1);
    for (std::size_t to = 0; to < newOrder.size(); ++to)
        newRowOf[std::size_t(newOrder[to])] = int(to);
    // The rows move in place, one cycle of the permutation at a time with one row in hand:
    // a second vector of every row would be fresh memory for each sort of a large list.
    std::vector<bool> placed(m_rows.size(), false);
    for (std::size_t start = 0; start < m_rows.size(); ++start) {
        if (placed[start])
            continue;
        FileListRow held = std::move(m_rows[start]);
        for (std::size_t to = start;;) {
            placed[to] = true;
            const std::size_t from = std::size_t(newOrder[to]);
            if (from == start) {
                m_rows[to] = std::move(held);
                break;
            }
            m_rows[to] = std::move(m_rows[from]);
            to = from;
        }
    }
    const QModelIndexList before = persistentIndexList();
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
    endResetModel();
}

void FileListModel::setRows(std::vector<FileListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    if (m_sorted && m_rows.size() > 1) {
        const std::vector<int> order = sortedOrder();
        std::vector<FileListRow> sorted;
        sorted.reserve(m_rows.size());
        for (int from : order)
            sorted.push_back(std::move(m_rows[std::size_t(from)]));
        m_rows = std::move(sorted);
    }
    endResetModel();
}

void FileListModel::appendRow(FileListRow row)
{
    const int at = int(m_rows.size());
    beginInsertRows(QModelIndex(), at, at);
    m_rows.push_back(std::move(row));
    endInsertRows();
}

int FileListModel::findKey(const QString &key) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].key == key)
            return int(i);
    }
    return -1;
}

} // namespace dwfm
