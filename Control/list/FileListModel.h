#pragma once

#include "DwExport.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <array>
#include <vector>

namespace dwfm {

// One row of the file list: the key ("1234P"), the text (the file name), the four
// sub-items of the other columns, the fore colour and the tag bits.
struct FileListRow {
    QString key;
    QString text;
    std::array<QString, 4> subItems;
    QColor foreColor; // invalid = the list's default colour
    qint32 tag = 0;
};

// The rows of the file list, shown by a QTreeView in report view. The list keeps no other
// copy of the store's answers: every command reads a row's key, text and tag.
class DWFILEMANUI_EXPORT FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColFileName, ColUser, ColDateTime, ColLocation, ColRemark, ColumnCount };
    enum Role { KeyRole = Qt::UserRole + 1, TagRole };

    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The five column captions, in order.
    static QStringList columnCaptions();

    void clear();
    // Replaces all rows at once.
    void setRows(std::vector<FileListRow> rows);
    void appendRow(FileListRow row);
    const FileListRow &row(int index) const { return m_rows[std::size_t(index)]; }
    const std::vector<FileListRow> &rows() const { return m_rows; }
    // Row number of the row with this key; -1 when none.
    int findKey(const QString &key) const;

protected:
    std::vector<FileListRow> m_rows;
};

} // namespace dwfm
