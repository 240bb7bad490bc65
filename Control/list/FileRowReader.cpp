#include "FileRowReader.h"

#include "Recordset.h"
#include "StoredFields.h"
#include "DwError.h"
#include "platform/TextHelpers.h"

#include <QDateTime>

#include <algorithm>

namespace dwfm {

namespace {
// The rules of FileRowTagFor and FileRowColor, with the current user's ID already in upper case.
qint32 tagFor(const QString &rowUserID, bool currentIsEmpty, const QString &currentUpper, bool checkedOut,
              bool locked, bool defaultFile)
{
    qint32 tag = 0;
    // Most rows have no holder: they are told apart without making upper-case copies.
    if (rowUserID.isEmpty() ? currentIsEmpty : rowUserID.toUpper() == currentUpper)
        tag |= TagCurrentUser;
    if (checkedOut)
        tag |= TagCheckedOut;
    if (locked)
        tag |= TagLocked;
    if (defaultFile)
        tag |= TagDefaultFile;
    return tag;
}

QColor colorFor(const QString &rowUserID, const QString &currentTrimmedUpper, bool checkedOut, bool userMode,
                const QColor &shadow)
{
    if (!checkedOut)
        return QColor();
    if (rowUserID.toUpper() != currentTrimmedUpper)
        return shadow;
    return userMode ? QColor() : QColor(0, 0, 255);
}

} // namespace

qint32 FileRowTagFor(const QString &rowUserID, const QString &currentUserID, bool checkedOut, bool locked,
                     bool defaultFile)
{
    return tagFor(rowUserID, currentUserID.isEmpty(), currentUserID.toUpper(), checkedOut, locked, defaultFile);
}

QColor FileRowColor(const QString &rowUserID, const QString &currentUserID, bool checkedOut, bool userMode,
                    const QColor &shadow)
{
    return colorFor(rowUserID, currentUserID.trimmed().toUpper(), checkedOut, userMode, shadow);
}

QString FormatCheckoutDate(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    QDateTime moment = value.toDateTime();
    if (!moment.isValid() && value.typeId() == QMetaType::QString)
        moment = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!moment.isValid())
        return value.toString();
    return moment.toString(QStringLiteral("dd-MM-yy HH:mm"));
}

QString CheckoutAgeText(const QDate &since, const QDate &today)
{
    if (!since.isValid() || !today.isValid())
        return QString();
    const qint64 days = std::max<qint64>(0, since.daysTo(today));
    if (days == 0)
        return QStringLiteral("in gebruik sinds vandaag");
    return days == 1 ? QStringLiteral("in gebruik sinds 1 dag") : QStringLiteral("in gebruik sinds %1 dagen").arg(days);
}

int FileRowReader::field(const Recordset &rs, const char *name) const
{
    const QString fieldName = QString::fromLatin1(name);
    const int index = rs.fieldIndex(fieldName);
    if (index < 0) {
        throw DwError(DwError::ItemNotFound,
                      QStringLiteral("Het veld '%1' komt niet voor in de recordset.").arg(fieldName));
    }
    return index;
}

FileRowReader::FileRowReader(const Recordset &rs, Context context)
    : m_context(std::move(context)),
      m_id(field(rs, "Projectid")),
      m_fileName(field(rs, "FileName")),
      m_checkedOut(field(rs, "CheckedOut")),
      m_user(field(rs, "UserID")),
      m_date(field(rs, "Checkoutdate")),
      m_computer(field(rs, "ComputerName")),
      m_folder(field(rs, "ProjectCheckoutlocation")),
      m_remark(field(rs, "CheckOutDescription")),
      m_locked(field(rs, "Locked")),
      m_default(field(rs, "DefaultProject")),
      m_locationPath(rs.fieldIndex(QStringLiteral("LocationPath"))),
      m_source(&rs),
      m_stored(dynamic_cast<const StoredFields *>(&rs)),
      m_currentUpper(m_context.currentUserID.toUpper()),
      m_currentTrimmedUpper(m_context.currentUserID.trimmed().toUpper())
{
}

qint64 FileRowReader::rowsHint() const
{
    return m_stored ? m_stored->rowsHint() : -1;
}

qint32 FileRowReader::projectID(const Recordset &rs) const
{
    if (const StoredFields *stored = storedOf(rs); stored && !stored->isNullAt(m_id))
        return qint32(stored->integerAt(m_id));
    bool ok = false;
    const qint32 id = rs.value(m_id).toInt(&ok);
    if (!ok)
        throw DwError(13, QStringLiteral("Type mismatch: Projectid '%1'").arg(NullToEmpty(rs.value(m_id))));
    return id;
}

void FileRowReader::append(const Recordset &rs, FileListRows &rows) const
{
    const StoredFields *stored = storedOf(rs);
    const auto text = [&](int field) { return stored ? stored->textAt(field) : NullToEmpty(rs.value(field)); };
    const auto flag = [&](int field) { return stored ? stored->integerAt(field) != 0 : rs.value(field).toBool(); };
    const qint32 id = projectID(rs);
    QString name = text(m_fileName);
    const bool checkedOut = flag(m_checkedOut);
    const QString user = text(m_user);
    const qint32 tag = tagFor(user, m_context.currentUserID.isEmpty(), m_currentUpper, checkedOut, flag(m_locked),
                              flag(m_default));
    FileCheckOut checkOut;
    if (checkedOut) {
        checkOut.user = user;
        if (!stored) {
            const QVariant moment = rs.value(m_date);
            checkOut.dateText = FormatCheckoutDate(moment);
            checkOut.since = moment.toDateTime().date();
        } else if (!stored->isNullAt(m_date))
            checkOut.moment = stored->integerAt(m_date);
        checkOut.place = QLatin1Char('[') + text(m_computer) + QLatin1Char(']') + text(m_folder);
        checkOut.remark = text(m_remark);
    }
    rows.append(id, std::move(name), tag,
                colorFor(user, m_currentTrimmedUpper, checkedOut, m_context.userMode, m_context.shadow));
    if (checkedOut)
        rows.setCheckOut(checkOut);
    if (m_locationPath >= 0)
        rows.setLocationPath(text(m_locationPath));
}

FileListRow FileRowReader::read(const Recordset &rs) const
{
    FileListRows one;
    append(rs, one);
    return one.row(0);
}

} // namespace dwfm
