#pragma once

#include "db/SqliteDb.h"

#include <QList>
#include <QString>

namespace dwfm::store {

// Disk work that follows a decision of the database. A change of the store is decided by
// one commit; the disk follows with steps that can each be done again without harm
// (renames and removals). The deciding transaction records those steps in pending_work,
// the process that made the change forgets them once they are done, and whoever later
// finds steps of a process that no longer runs finishes them: the next connect, or
// `dwstore repair`. New content is first written and flushed in the staging folder, so a
// process killed before its decision leaves nothing beside the store's files.
namespace PendingWork {

enum Kind : int {
    Replace = 1,      // a staged file over a server file (check-in)
    Place = 2,        // a staged file at a free place (add, copy)
    RenameFile = 3,   // a server file to its new name
    RemoveFile = 4,   // a deleted file's server file
    RenameFolder = 5, // a location's folder to its new name
    RemoveFolder = 6, // a deleted location's (empty) folder
    Supersede = 7,    // a staged file over a server file whose content is kept (check-in, restore)
    RemoveContent = 8, // a kept content that no version uses any more
};

// One step. Paths are relative to the store folder, so that a moved store recovers too.
// `itemId` and `key` say what the database must still say for the step to apply: the
// file's or location's ID and the case-folded name it has after the change (for a
// content: its hash). `keep` is where a superseded server file's content goes.
struct Step {
    qint64 id = 0;
    int kind = 0;
    QString from;
    QString to;
    qint64 itemId = 0;
    QString key;
    QString keep;
};

// This process as "pid-start": the start time tells a reused pid from the one that wrote.
QString ownerTag();
// True when the process of `tag` still runs.
bool ownerAlive(const QString &tag);
// A new name in the staging folder that says which process owns it.
QString stagedName();

// Inside the deciding transaction: records `step` for this process; answers its ID.
qint64 record(const SqliteDbPtr &db, const QString &storeFolder, Step step);
// After the commit: does the step and forgets it (a step never recorded, ID 0, is skipped). A step that fails stays recorded
// without an owner, for the next recovery.
void finish(const SqliteDbPtr &db, const QString &storeFolder, const Step &step);

// After the commit of many steps: does them all and forgets them together; the folder
// of each placed file is flushed once, after all its files are in place. A step that
// fails stays recorded without an owner, as with finish; the others go on.
void finishAll(const SqliteDbPtr &db, const QString &storeFolder, const QList<Step> &steps);

// Finishes the steps of processes that no longer run and removes the staged files they
// left. Answers what it did, one line per step; throws only when the database fails.
QStringList recover(const SqliteDbPtr &db, const QString &storeFolder, const QString &catalogue);

// Makes sure that a file's server file is what the database says it is before its content
// is read or replaced: a committed step of that file (new content, a new name) that is not
// done yet is waited for while the process that committed it still runs (it is only a
// rename away), or done here when that process is gone. Throws a readable refusal when the
// other process does not finish in time. `inTransaction`: the caller holds the write lock
// (the steps of a dead process are then done under it).
void settle(const SqliteDbPtr &db, const QString &storeFolder, qint64 projectId, bool inTransaction = false);
// The same for every file below a folder (a location's folder that is to be renamed or
// removed), inside the caller's write transaction.
void settleFolder(const SqliteDbPtr &db, const QString &storeFolder, const QString &folder, bool inTransaction = true);

} // namespace PendingWork
} // namespace dwfm::store
