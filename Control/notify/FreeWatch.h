#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <utility>

class QWidget;

namespace dwfm {

class NoticeBanner;
class SessionChanges;

// "Laat weten wanneer vrij": the files someone else has in use that the user waits for.
// When the store says that a waited-for file's location changed (SessionChanges, from any
// client of either store), the file is looked at; once its holder checked it in or the
// check-out was undone, the control raises ProjectFreed once and shows a desktop
// notification naming the file and who freed it (inside the control when the desktop has
// no notification service). Clicking it selects the file. The wishes live as long as the
// control and its session: a new connection starts without any.
class FreeWatch : public QObject {
    Q_OBJECT
public:
    // `control` holds the notice of its own; `selectFile` shows a file in the control.
    FreeWatch(QWidget *control, std::function<void(qint32 locationID, qint32 projectID)> selectFile,
              QObject *parent = nullptr);
    ~FreeWatch() override;

    // Follows a newly connected session; null for a store that does not tell of changes,
    // for which no wish can be kept.
    void follow(SessionChanges *changes);
    bool offered() const { return !m_changes.isNull(); }

    bool awaiting(qint32 projectID) const { return m_wishes.count(projectID) != 0; }
    // The popup entry on a file: starts waiting for it, or stops when the user waits already.
    void toggle(qint32 projectID);
    // Looks at the waited-for files of these locations (all of them for an empty list).
    void check(const QList<qint32> &locationIDs);

    NoticeBanner *banner() const { return m_banner; }

signals:
    // The file the user waited for is free: its name, ID and the user who freed it.
    void ProjectFreed(const QString &strProjectDescription, qint32 lProjectID, const QString &strUserID);

private:
    struct Wish {
        QString fileName;
        QString holder;
        qint32 locationID = 0;
    };
    void freed(qint32 projectID, const Wish &wish, const QString &by);
    void notificationClicked(quint32 id);

    std::function<void(qint32, qint32)> m_selectFile;
    std::map<qint32, Wish> m_wishes;
    // The sent notifications: ID to the file's location and ID.
    std::map<quint32, std::pair<qint32, qint32>> m_sent;
    QPointer<SessionChanges> m_changes;
    NoticeBanner *m_banner;
};

} // namespace dwfm
