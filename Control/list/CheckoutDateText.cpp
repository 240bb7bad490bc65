#include "CheckoutDateText.h"

#include "FileRowReader.h"

#include <QDate>
#include <QDateTime>

#include <limits>

namespace dwfm {

namespace {
constexpr qint64 MsecsPerDay = 86400000;
constexpr qint64 JulianDayOfEpoch = 2440588;

void putTwoDigits(char *at, int value)
{
    at[0] = char('0' + value / 10);
    at[1] = char('0' + value % 10);
}
} // namespace

bool CheckoutDateText::learn(qint64 msecs)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime();
    if (!local.isValid()) {
        m_from = 1;
        m_until = 0;
        return false;
    }
    m_offset = qint64(local.offsetFromUtc()) * 1000;
    // By default the offset holds for this one moment only.
    m_from = msecs;
    m_until = msecs + 1;
    if (!m_zone.isValid() || m_zone.offsetFromUtc(local) != local.offsetFromUtc())
        return true;
    if (!m_zone.hasTransitions()) {
        if (!m_zone.hasDaylightTime()) {
            m_from = std::numeric_limits<qint64>::min();
            m_until = std::numeric_limits<qint64>::max();
        }
        return true;
    }
    const QTimeZone::OffsetData before = m_zone.previousTransition(local);
    const QTimeZone::OffsetData after = m_zone.nextTransition(local);
    const qint64 from = before.atUtc.isValid() ? before.atUtc.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    const qint64 until = after.atUtc.isValid() ? after.atUtc.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max();
    const bool sameOffset = !before.atUtc.isValid() || before.offsetFromUtc == local.offsetFromUtc();
    if (from <= msecs && msecs < until && sameOffset) {
        m_from = from;
        m_until = until;
    }
    return true;
}

QString CheckoutDateText::operator()(qint64 msecs)
{
    if ((msecs < m_from || msecs >= m_until) && !learn(msecs))
        return FormatCheckoutDate(QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime());
    const qint64 local = msecs + m_offset;
    qint64 days = local / MsecsPerDay;
    qint64 ofDay = local % MsecsPerDay;
    if (ofDay < 0) {
        --days;
        ofDay += MsecsPerDay;
    }
    const QDate date = QDate::fromJulianDay(days + JulianDayOfEpoch);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return FormatCheckoutDate(QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime());
    char text[14] = {'0', '0', '-', '0', '0', '-', '0', '0', ' ', '0', '0', ':', '0', '0'};
    putTwoDigits(text, date.day());
    putTwoDigits(text + 3, date.month());
    putTwoDigits(text + 6, date.year() % 100);
    putTwoDigits(text + 9, int(ofDay / 3600000));
    putTwoDigits(text + 12, int(ofDay / 60000 % 60));
    return QString::fromLatin1(text, 14);
}

} // namespace dwfm
