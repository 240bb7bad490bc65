#include "FreeWatch.h"

#include "DesktopNotifier.h"
#include "NoticeBanner.h"

#include "SessionChanges.h"
#include "SessionRegistry.h"
#include "platform/ErrorTrap.h"
#include "platform/TextHelpers.h"

namespace dwfm {

namespace {
// What the store says of a file now.
struct FileNow {
    bool exists = false;
    bool checkedOut = false;
    QString holder;
    QString fileName;
    qint32 locationID = 0;
};

FileNow fileNow(FileStoreSession &session, qint32 projectID)
{
    FileNow now;
    RecordsetPtr rs;
    if (!session.Projects().GetProjectInfo(rs, projectID) || !rs || rs->isEof())
        return now;
    now.exists = true;
    now.checkedOut = rs->value(QStringLiteral("CheckedOut")).toBool();
    now.holder = NullToEmpty(rs->value(QStringLiteral("UserID")));
    now.fileName = NullToEmpty(rs->value(QStringLiteral("FileName")));
    now.locationID = rs->value(QStringLiteral("LocationID")).toInt();
    rs->close();
    return now;
}

// Who freed the file: the user of the newest line of its history.
QString freedBy(FileStoreSession &session, qint32 projectID, const QString &holder)
{
    RecordsetPtr rs;
    QString user;
    if (session.Projects().GetProjectHistory(rs, projectID) && rs) {
        for (; !rs->isEof(); rs->moveNext())
            user = NullToEmpty(rs->value(QStringLiteral("UserName")));
        rs->close();
    }
    return user.isEmpty() ? holder : user;
}

bool sameUser(const QString &a, const QString &b) { return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0; }
} // namespace

FreeWatch::FreeWatch(QWidget *control, std::function<void(qint32, qint32)> selectFile, QObject *parent)
    : QObject(parent), m_selectFile(std::move(selectFile)), m_banner(new NoticeBanner(control))
{
    connect(&desktopNotifier(), &DesktopNotifier::clicked, this, &FreeWatch::notificationClicked);
}

FreeWatch::~FreeWatch()
{
    disconnect(&desktopNotifier(), nullptr, this, nullptr);
}

void FreeWatch::follow(SessionChanges *changes)
{
    if (m_changes)
        disconnect(m_changes, nullptr, this, nullptr);
    m_changes = changes;
    m_wishes.clear();
    m_sent.clear();
    if (changes)
        connect(changes, &SessionChanges::LocationsChanged, this, &FreeWatch::check);
}

void FreeWatch::toggle(qint32 projectID)
{
    SkipOnError([&] {
        if (m_wishes.erase(projectID) || !offered())
            return;
        const FileStoreSessionPtr session = SessionRegistry::current();
        if (!session)
            return;
        const FileNow now = fileNow(*session, projectID);
        if (!now.exists || !now.checkedOut)
            return;
        m_wishes[projectID] = Wish{now.fileName, now.holder, now.locationID};
    });
}

void FreeWatch::check(const QList<qint32> &locationIDs)
{
    const FileStoreSessionPtr session = SessionRegistry::current();
    if (!session || m_wishes.empty())
        return;
    const std::map<qint32, Wish> waiting = m_wishes;
    for (const auto &[projectID, wish] : waiting) {
        if (!locationIDs.isEmpty() && !locationIDs.contains(wish.locationID))
            continue;
        SkipOnError([&] {
            const FileNow now = fileNow(*session, projectID);
            if (!now.exists) {
                m_wishes.erase(projectID); // deleted: it will never be free
                return;
            }
            if (now.checkedOut && sameUser(now.holder, wish.holder))
                return;
            m_wishes.erase(projectID);
            freed(projectID, Wish{now.fileName, wish.holder, now.locationID}, freedBy(*session, projectID, wish.holder));
        });
    }
}

void FreeWatch::freed(qint32 projectID, const Wish &wish, const QString &by)
{
    SkipOnError([&] { emit ProjectFreed(wish.fileName, projectID, by); });
    const QString text = QStringLiteral("'%1' is vrijgegeven door %2.").arg(wish.fileName, by);
    quint32 id = 0;
    SkipOnError([&] { id = desktopNotifier().notify(QStringLiteral("Bestand vrij"), text); });
    if (id != 0) {
        m_sent[id] = {wish.locationID, projectID};
        return;
    }
    const qint32 locationID = wish.locationID;
    m_banner->showNotice(text, [this, locationID, projectID] {
        if (m_selectFile)
            m_selectFile(locationID, projectID);
    });
}

void FreeWatch::notificationClicked(quint32 id)
{
    const auto sent = m_sent.find(id);
    if (sent == m_sent.end())
        return;
    const auto [locationID, projectID] = sent->second;
    m_sent.erase(sent);
    SkipOnError([&] {
        if (m_selectFile)
            m_selectFile(locationID, projectID);
    });
}

} // namespace dwfm
