#pragma once

#include <QList>
#include <QStringList>

namespace dwfm::store::pg {

class PgConnection;

// Whether a server store's records and content agree, and putting right what does not, as
// the database administrator (dwstore --server ... check / repair). Checked: every stored
// content has all its chunks with the size the database records (with `deep` also read
// back against its SHA-256); every file has its current version and content; no content
// that no version uses; no upload left; no holder that is not a user; no history of a file
// that no longer exists. Repair removes unused content and stray history and releases the
// files of unknown holders; damaged content it reports and leaves (it is stored once, so
// the store has no good copy of it).
class PgStoreCheck {
public:
    explicit PgStoreCheck(PgConnection &db) : m_db(db) {}

    // One line per finding; empty when the store is sound.
    QStringList check(bool deep) { return run(false, deep); }
    // Puts right what check finds; answers what was done, one line each.
    QStringList repair(bool deep) { return run(true, deep); }

private:
    QStringList run(bool repair, bool deep);
    // The contents whose chunks are missing, of another size than recorded, or (deep)
    // whose bytes do not have their SHA-256; one line each in `out`.
    QList<qint64> damagedContents(bool deep, QStringList &out);
    PgConnection &m_db;
};

} // namespace dwfm::store::pg
