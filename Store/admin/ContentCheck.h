#pragma once

#include "services/StoreContext.h"

#include <QHash>
#include <QStringList>

#include <functional>

namespace dwfm::store {

// The part of the store's check that is about contents. Checked: every kept content that
// an earlier version needs is in the content folder with its size; every server file has
// its current version's size; nothing unknown lies in the content folder; no version
// belongs to a file that is gone. Deep: every content is read back against its hash, and
// versions of a store from before versions that have no hash yet are named.
//
// Repair mends a missing or damaged content from another copy with the same hash that
// reads back right (a kept content, or another file's server file); a damaged file is put
// aside first, never deleted. What has no good copy anywhere it names and leaves as it is.
// Versions without a hash get it from their server file.
class ContentCheck {
public:
    // `putAside` moves a file out of the store with a reason and answers where it went.
    using PutAside = std::function<QString(const QString &path, const QString &why)>;
    ContentCheck(StoreContextPtr context, PutAside putAside)
        : m_context(std::move(context)), m_putAside(std::move(putAside))
    {
    }

    void run(bool deep, bool repair, QStringList &out);

private:
    struct Wanted {
        QString path;   // where the content should lie
        QString hash;   // empty: not known yet
        qint64 size = -1;
        QString what;   // which version needs it, for the report
        qint64 projectId = 0;
        qint32 version = 0;
    };
    QList<Wanted> keptContents();
    QList<Wanted> currentContents();
    // One content: compares it and (with `repair`) mends it.
    void checkContent(const Wanted &wanted, bool deep, bool repair, QStringList &out);
    // A copy elsewhere in the store with this hash that reads back right; empty when none.
    QString intactCopy(const QString &hash, const QString &except);
    // Replaces (or makes) `path` with a flushed copy of `good`; an existing file is put aside.
    void mend(const QString &path, const QString &good, const QString &why);
    void fillHash(const Wanted &wanted, QStringList &out);
    void checkUnknown(bool repair, QStringList &out);
    void checkOrphans(bool repair, QStringList &out);

    StoreContextPtr m_context;
    PutAside m_putAside;
    QHash<QString, bool> m_verified; // path -> whether it read back right (deep)
};

} // namespace dwfm::store
