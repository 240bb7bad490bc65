#pragma once


#include <QString>
#include <QTimeZone>

namespace dwfm {

// Turns check-out moments (milliseconds since the epoch, UTC) into the text the list shows,
// "dd-mm-yy hh:nn" in local time, for many rows at a time. Asking the system for the local
// time of every moment costs more than the rest of a row together; the system is asked
// once, and its offset from UTC is then used for every moment up to the next clock change
// of the system's time zone. Where that zone cannot say when its clock changes, every
// moment is asked for on its own.
class CheckoutDateText {
public:
    QString operator()(qint64 msecs);

private:
    // Learns the local offset at `msecs` and the stretch of time it holds for; false when
    // the system has no local time for that moment.
    bool learn(qint64 msecs);

    QTimeZone m_zone = QTimeZone::systemTimeZone();
    qint64 m_from = 1;  // the stretch [m_from, m_until) in which m_offset holds; empty at first
    qint64 m_until = 0;
    qint64 m_offset = 0; // in milliseconds
};

} // namespace dwfm
