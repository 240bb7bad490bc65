#pragma once

#include "FileListRows.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

class QIcon;

namespace dwfm {

// One row of the file list as a whole: the key ("1234P"), the text (the file name), the
// four sub-items of the other columns, the fore colour and the tag bits; in search results
// also the path of the file's location. The model keeps its rows in a smaller form
// (FileListRows) and makes this one when asked.
struct FileListRow {
    QString key;
    QString text;
    std::array<QString, 4> subItems;
    QColor foreColor; // invalid = the list's default colour
    qint32 tag = 0;
    QString locationPath;
};

// The rows of the file list, shown by a QTreeView in report view. The list keeps no other
// copy of the store's answers: every command reads a row's key, text and tag.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // ColFolder, the path of each file's location, is a column only while the list shows
    // search results (setFolderColumn).
    enum Column { ColFileName, ColUser, ColDateTime, ColLocation, ColRemark, ColumnCount, ColFolder = ColumnCount };
    enum Role { KeyRole = Qt::UserRole + 1, TagRole };
    // The pictures a column header can show: none, or the sort direction.
    enum HeaderImage { NoHeaderImage = 0, HeaderImageDescending = 1, HeaderImageAscending = 2 };

    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The five column captions, in order.
    static QStringList columnCaptions();
    // The caption of the folder column of search results.
    static QString folderCaption();

    // Shows or hides the folder column (column 5, after the five of every list).
    void setFolderColumn(bool shown);
    bool hasFolderColumn() const { return m_folderColumn; }

    void clear();
    // Replaces all rows at once.
    void setRows(FileListRows rows);
    void setRows(const std::vector<FileListRow> &rows);
    void appendRow(const FileListRow &row);
    // Single fields of row `index`, read without making the whole row.
    qint32 id(int index) const { return m_rows.id(index); }
    QString key(int index) const { return m_rows.key(index); }
    QString text(int index) const { return m_rows.name(index).toString(); }
    qint32 tag(int index) const { return m_rows.tag(index); }
    // Row `index` as a whole, made when first asked for and kept until the rows change
    // (a fill, a sort, a clear), so the reference stays good until then.
    const FileListRow &row(int index) const;
    // Every row as a whole, made on the first call after a change and kept until the next:
    // for a look at all of them at once (tests, a host picking a file by name).
    const std::vector<FileListRow> &rows() const;
    // Row number of the row with this key; -1 when none.
    int findKey(const QString &key) const { return m_rows.find(key); }
    // The text a row shows in a column.
    static const QString &cellText(const FileListRow &row, int column);

    // Sorts the rows by the texts of `column` (compared as text, without regard to case;
    // equal texts keep their order) and keeps sorting every later fill the same way.
    // Selections and other persistent indexes follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    bool isSorted() const { return m_sorted; }
    int sortKey() const { return m_sortKey; }
    // The order of the next sort; ascending until the first header click.
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // The header pictures: one per column, kept across fills.
    void clearHeaderImages();
    void setHeaderImage(int column, int image);
    int headerImage(int column) const;
    static QIcon headerIcon(int image);

private:
    // Forgets the rows made whole: they no longer match the rows.
    void dropWholeRows();

    FileListRows m_rows;
    mutable std::unordered_map<int, FileListRow> m_wholeRows;
    mutable std::optional<std::vector<FileListRow>> m_allRows;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::array<int, ColumnCount + 1> m_headerImages{};
    bool m_folderColumn = false;
};

} // namespace dwfm
