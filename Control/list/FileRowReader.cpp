#include "FileRowReader.h"

#include "core/session/Recordset.h"
#include "platform/DwError.h"
#include "platform/TextHelpers.h"

#include <QDateTime>

namespace dwfm {

qint32 FileRowTagFor(const QString &rowUserID, const QString &currentUserID, bool checkedOut, bool locked,
                     bool defaultFile)
{
    qint32 tag = 0;
    // Most rows have no holder: they are told apart without making upper-case copies.
    if (rowUserID.isEmpty() ? currentUserID.isEmpty() : rowUserID.toUpper() == currentUserID.toUpper())
        tag |= TagCurrentUser;
    if (checkedOut)
        tag |= TagCheckedOut;
    if (locked)
        tag |= TagLocked;
    if (defaultFile)
        tag |= TagDefaultFile;
    return tag;
}

QColor FileRowColor(const QString &rowUserID, const QString &currentUserID, bool checkedOut, bool userMode,
                    const QColor &shadow)
{
    if (!checkedOut)
        return QColor();
    if (rowUserID.toUpper() != currentUserID.trimmed().toUpper())
        return shadow;
    return userMode ? QColor() : QColor(0, 0, 255);
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
      m_default(field(rs, "DefaultProject"))
{
}

qint32 FileRowReader::projectID(const Recordset &rs) const
{
    bool ok = false;
    const qint32 id = rs.value(m_id).toInt(&ok);
    if (!ok)
        throw DwError(13, QStringLiteral("Type mismatch: Projectid '%1'").arg(NullToEmpty(rs.value(m_id))));
    return id;
}

FileListRow FileRowReader::read(const Recordset &rs) const
{
    FileListRow row;
    const qint32 id = projectID(rs);
    row.text = NullToEmpty(rs.value(m_fileName));
    const bool checkedOut = rs.value(m_checkedOut).toBool();
    const QString user = NullToEmpty(rs.value(m_user));
    if (checkedOut) {
        row.subItems[0] = user;
        row.subItems[1] = FormatCheckoutDate(rs.value(m_date));
        row.subItems[2] = QLatin1Char('[') + NullToEmpty(rs.value(m_computer)) + QLatin1Char(']') +
                          NullToEmpty(rs.value(m_folder));
        row.subItems[3] = NullToEmpty(rs.value(m_remark));
    }
    row.key = QString::number(id) + QLatin1Char('P');
    row.foreColor = FileRowColor(user, m_context.currentUserID, checkedOut, m_context.userMode, m_context.shadow);
    row.tag = FileRowTagFor(user, m_context.currentUserID, checkedOut, rs.value(m_locked).toBool(),
                            rs.value(m_default).toBool());
    return row;
}

} // namespace dwfm
