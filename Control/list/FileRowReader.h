#pragma once

#include "FileListModel.h"
#include "FileListRows.h"

#include <QColor>
#include <QDate>
#include <QString>
#include <QVariant>

namespace dwfm {

class Recordset;
class StoredFields;

// The tag bits of a file row.
enum FileRowTag : qint32 {
    TagCurrentUser = 2, // the row's UserID is the current user's
    TagCheckedOut = 4,
    TagLocked = 8,
    TagDefaultFile = 16,
};

// The tag of a file row. Bit 2 looks only at the user, not at whether the file is
// checked out.
qint32 FileRowTagFor(const QString &rowUserID, const QString &currentUserID, bool checkedOut,
                                        bool locked, bool defaultFile);
// The fore colour of a file row: invalid (the list's default) for a free file; `shadow`
// for a file someone else has; pure blue for one the current user has, except in user
// mode, where the list shows only the user's own files and keeps the default colour.
QColor FileRowColor(const QString &rowUserID, const QString &currentUserID, bool checkedOut,
                                       bool userMode, const QColor &shadow);
// The check-out moment as the list shows it, "dd-mm-yy hh:nn"; empty for a null value.
QString FormatCheckoutDate(const QVariant &value);
// How long a file has been in use, for the tooltip of its row, counted in calendar days:
// "in gebruik sinds vandaag", "in gebruik sinds 1 dag", "in gebruik sinds 12 dagen". Empty
// for an unknown day.
QString CheckoutAgeText(const QDate &since, const QDate &today);

// Turns the rows of a list query into file list rows. The field positions are looked up
// once, when the reader is made, so that reading a row costs no name look-ups; a record
// set that offers StoredFields is read through it, without a QVariant per field.
class FileRowReader {
public:
    struct Context {
        QString currentUserID;
        bool userMode = false;
        QColor shadow; // the colour of rows that someone else has checked out
    };

    // Throws DwError 3265 when the record set lacks one of the file-row fields.
    FileRowReader(const Recordset &rs, Context context);

    // About how many rows the record set holds; -1 when it cannot say.
    qint64 rowsHint() const;
    // The file ID of the current row.
    qint32 projectID(const Recordset &rs) const;
    // Adds the current row to `rows` as the list shows it.
    void append(const Recordset &rs, FileListRows &rows) const;
    // The current row as the list shows it, as a whole.
    FileListRow read(const Recordset &rs) const;

private:
    int field(const Recordset &rs, const char *name) const;
    // The stored fields of `rs` when it is the set the reader was made for and offers them.
    const StoredFields *storedOf(const Recordset &rs) const { return &rs == m_source ? m_stored : nullptr; }

    Context m_context;
    int m_id, m_fileName, m_checkedOut, m_user, m_date, m_computer, m_folder, m_remark, m_locked, m_default;
    int m_locationPath; // -1: the rows carry no location path (they are not search results)
    const Recordset *m_source;
    const StoredFields *m_stored;
    // The current user's ID in upper case, as is and trimmed, made once for every row.
    QString m_currentUpper, m_currentTrimmedUpper;
};

} // namespace dwfm
