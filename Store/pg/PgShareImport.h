#pragma once

#include "fs/AnchoredPath.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace dwfm::store::pg {

class PgConnection;

// Moves the content of a server store made when files lay on a shared folder into its
// database, as the database administrator: every file that has no content yet gets the
// file at <share>/<location path>/<name> as its first version, read once (a link or
// anything but a regular file is not followed), checked against what the database then
// holds, one transaction per file. What cannot be placed is reported, not guessed: a file
// the share lacks, a file that changed while it was read, and files on the share that the
// store does not know. Running it again picks up what is still missing.
class PgShareImport {
public:
    struct Result {
        int files = 0;         // contents moved in now
        int missing = 0;       // files of the store still without content
        QStringList unplaced;  // one line per file that could not be placed, with the reason
    };
    // Called after each file with how many of `total` are done.
    using Progress = std::function<void(int done, int total)>;

    explicit PgShareImport(PgConnection &db) : m_db(db) {}
    Result run(const QString &share, const Progress &progress = {});

private:
    // Loads one file and checks it; throws DwError when it cannot.
    void load(qint64 project, const AnchoredPath &path);
    PgConnection &m_db;
};

} // namespace dwfm::store::pg
