#pragma once

#include "services/StoreContext.h"

#include <QStringList>

namespace dwfm::store {

// Whether a store's database and disk agree, and putting right what does not. Checked:
// SQLite's own integrity check; every location has its folder and every file its server
// file; no file or folder under the root that the store does not know; no link, pipe,
// socket or device where the store keeps a file or folder; no staged file or unfinished
// step of a process that no longer runs; no holder that is not a user; the history agrees
// with who holds what. Repair never deletes anything that could hold someone's work: an
// unknown file goes to the "verloren bestanden" folder beside the store with a note saying
// where it came from (a link is moved as the link, never what it points at).
class StoreCheck {
public:
    explicit StoreCheck(StoreContextPtr context) : m_context(std::move(context)) {}

    // One line per finding; empty when the store is sound.
    QStringList check() { return run(false); }
    // Puts right what check finds; answers what was done, one line each.
    QStringList repair() { return run(true); }

    // Where repair puts what it must take out of the store.
    QString lostFolder() const;

private:
    QStringList run(bool repair);
    void checkFiles(bool repair, QStringList &out);
    void checkHolders(bool repair, QStringList &out);
    void checkHistory(bool repair, QStringList &out);
    QString putAside(const QString &path, const QString &why);
    // What lies at a path of the store; a link or non-folder on the way counts as Other.
    FileOps::Kind kindIn(const QString &path) const;

    StoreContextPtr m_context;
    QString m_lostBatch;
};

} // namespace dwfm::store
