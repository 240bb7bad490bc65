#include "FileListModel.h"

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

int FileListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= ColumnCount)
        return QVariant();
    const FileListRow &r = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == ColFileName ? r.text : r.subItems[std::size_t(index.column() - 1)];
    case Qt::ForegroundRole:
        return r.foreColor.isValid() ? QVariant(r.foreColor) : QVariant();
    case KeyRole: return r.key;
    case TagRole: return r.tag;
    default: return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnCaptions().at(section);
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
