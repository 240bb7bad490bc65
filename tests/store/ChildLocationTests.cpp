// Child locations as the store answers them (with HasChildren, in name order without
// regard to case, read as the caller moves), and the cache of compiled statements those
// answers come from.
#include "StoreFixture.h"

#include "db/SqliteDb.h"

using namespace dwfm;
using namespace dwfm::store;

namespace {

// The rows of a child record set as "name:HasChildren", read to the end.
QStringList childRows(LocationsService &locations, qint32 parent)
{
    RecordsetPtr rs;
    if (!locations.GetChildLocations(rs, parent))
        return {};
    QStringList out;
    for (; !rs->isEof(); rs->moveNext()) {
        const QVariant has = rs->value(QStringLiteral("HasChildren"));
        EXPECT_EQ(has.typeId(), QMetaType::Bool);
        out << rs->value(QStringLiteral("childpath")).toString() + (has.toBool() ? ":1" : ":0");
    }
    return out;
}

} // namespace

TEST_P(StoreTest, ChildRowsTellWhetherEachChildHasSubLocationsFollowChangesAndComeInNameOrder)
{
    auto &loc = bert->Locations();
    EXPECT_EQ(childRows(anna->Locations(), 0), (QStringList{"Archief:0", "Projecten:1"}));
    EXPECT_EQ(childRows(loc, projecten), QStringList{"Tekeningen:0"});

    const qint32 fase = makeLocation(*bert, "Fase 1", tekeningen);
    EXPECT_EQ(childRows(loc, projecten), QStringList{"Tekeningen:1"});
    const qint32 sub = makeLocation(*bert, "Sub", fase);
    ASSERT_TRUE(loc.RenameLocation(fase, "Fase 2"));
    EXPECT_EQ(childRows(loc, tekeningen), QStringList{"Fase 2:1"});
    ASSERT_TRUE(loc.DeleteLocation(sub));
    EXPECT_EQ(childRows(loc, tekeningen), QStringList{"Fase 2:0"});
    // Files do not count as sub-locations.
    addFile(*bert, "plan.txt", "inhoud", fase);
    EXPECT_EQ(childRows(loc, tekeningen), QStringList{"Fase 2:0"});

    // Name order without regard to case: a name in capitals does not sort before every
    // name in small letters.
    for (const char *name : {"zeta", "Beta", "alpha", "Éclair", "echo", "Delta"})
        makeLocation(*bert, QString::fromUtf8(name), projecten);
    EXPECT_EQ(childRows(loc, projecten), (QStringList{"alpha:0", "Beta:0", "Delta:0", "echo:0", "Tekeningen:1", "zeta:0",
                                                       QString::fromUtf8("Éclair:0")}));
}

// The server's answers are read whole and hold nothing open, so only the embedded store has
// a snapshot to keep.
TEST_P(EmbeddedStoreTest, AnOpenChildRecordSetKeepsItsSnapshotUntilClosedAndBlocksNoWriter)
{
    makeLocation(*bert, "Een", tekeningen);
    makeLocation(*bert, "Twee", tekeningen);
    RecordsetPtr open;
    ASSERT_TRUE(bert->Locations().GetChildLocations(open, tekeningen));

    // Another session adds a location while bert's rows are still being read, and sees it.
    const qint32 drie = makeLocation(*anna, "Drie", tekeningen);
    EXPECT_GT(drie, 0);
    EXPECT_EQ(childRows(anna->Locations(), tekeningen), (QStringList{"Drie:0", "Een:0", "Twee:0"}));
    // Bert's session reads from the snapshot of its open answer, a second question too.
    EXPECT_EQ(childRows(bert->Locations(), tekeningen), (QStringList{"Een:0", "Twee:0"}));
    open->close();
    EXPECT_EQ(childRows(bert->Locations(), tekeningen), (QStringList{"Drie:0", "Een:0", "Twee:0"}));
}

// A compiled statement goes back to the database's cache when its Statement is gone.
TEST(StatementCacheTest, AStatementLeftHalfReadHoldsNoSnapshotOnceGivenBack)
{
    QTemporaryDir dir;
    SqliteDbPtr db = SqliteDb::open(dir.filePath("cache.db"), true);
    db->exec("PRAGMA journal_mode=WAL; CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT);"
             "INSERT INTO t VALUES (1, 'een'), (2, 'twee'), (3, 'drie')");
    {
        Statement q(db, "SELECT name FROM t ORDER BY id");
        ASSERT_TRUE(q.step());
    }
    // Another connection writes and truncates the log; a reader still holding a snapshot
    // would make the checkpoint busy.
    SqliteDbPtr other = SqliteDb::open(dir.filePath("cache.db"), false);
    other->exec("INSERT INTO t VALUES (4, 'vier')");
    {
        Statement checkpoint(other, "PRAGMA wal_checkpoint(TRUNCATE)");
        ASSERT_TRUE(checkpoint.step());
        EXPECT_EQ(checkpoint.int64(0), 0) << "the checkpoint was blocked";
    }

    Statement q(db, "SELECT name FROM t ORDER BY id");
    int rows = 0;
    while (q.step())
        ++rows;
    EXPECT_EQ(rows, 4) << "the cached statement read an old snapshot";
}
