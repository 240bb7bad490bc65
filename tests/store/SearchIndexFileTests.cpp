// The embedded store's search index in a database file of its own: moved out of a store
// that kept it in the store's database, with the text already read, and made again from the
// store when its file is lost.
#include "StoreFixture.h"

#include "ProjectSearch.h"
#include "StoreFolders.h"
#include "db/SqliteDb.h"
#include "search/ContentIndexer.h"

#include <QFile>

using namespace dwfm;
using namespace dwfm::store;

namespace {
ProjectSearch &searchOf(DwFileStoreSession &session) { return dynamic_cast<ProjectSearch &>(session.Projects()); }

QStringList foundNames(DwFileStoreSession &session, const QString &text)
{
    RecordsetPtr rs;
    searchOf(session).SearchProjects(rs, text);
    QStringList names;
    for (; rs && !rs->isEof(); rs->moveNext())
        names << rs->value("FileName").toString();
    return names;
}
} // namespace

TEST_P(EmbeddedStoreTest, TheSearchIndexMovesToItsOwnFileAndIsMadeAgainWhenLost)
{
    addFile(*bert, "Offerte.txt", "de kademuur wordt hersteld", tekeningen);
    ASSERT_TRUE(searchOf(*bert).FinishIndexing(30000));
    anna.reset();
    bert.reset();
    lezer.reset();
    m_admin.reset();
    const QString store = StoreFolders::databasePath(storeFolder(), "Test");
    const QString index = StoreFolders::searchDatabasePath(storeFolder(), "Test");
    const auto loseIndex = [&] {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(index + suffix);
    };
    const auto withoutIndexer = [&] {
        ContentIndexer::setEnabled(false);
        auto session = connect("bert");
        ContentIndexer::setEnabled(true);
        return session;
    };
    // Schema 5 kept the index, and the text it had read, in the store's own database.
    {
        auto old = SqliteDb::open(store, false);
        Statement attach(old, "ATTACH DATABASE ? AS search");
        attach.bind(1, index).exec();
        old->exec("CREATE VIRTUAL TABLE main.search_names USING fts5(name, remark, tokenize = 'trigram');"
                  "CREATE VIRTUAL TABLE main.search_text USING fts5(body);"
                  "INSERT INTO main.search_text (rowid, body) SELECT rowid, body FROM search.search_text;"
                  "CREATE TABLE main.search_content AS SELECT * FROM search.search_content;"
                  "CREATE TABLE main.search_queue AS SELECT * FROM search.search_queue;"
                  "UPDATE store_info SET value = '5' WHERE key = 'schema_version'");
    }
    loseIndex();
    auto upgraded = withoutIndexer();
    EXPECT_EQ(foundNames(*upgraded, "offerte"), QStringList{"Offerte.txt"});
    EXPECT_EQ(foundNames(*upgraded, "kademuur"), QStringList{"Offerte.txt"}) << "the text read before moved along";
    {
        Statement left(SqliteDb::open(store, false), "SELECT count(*) FROM sqlite_master WHERE name LIKE 'search%'");
        ASSERT_TRUE(left.step());
        EXPECT_EQ(left.int64(0), 0) << "the store's database keeps no index";
    }
    // A lost index: the names are back at once, the text once the indexer has read it again.
    upgraded.reset();
    loseIndex();
    auto again = withoutIndexer();
    EXPECT_EQ(foundNames(*again, "offerte"), QStringList{"Offerte.txt"});
    EXPECT_EQ(foundNames(*again, "kademuur"), QStringList{});
    ASSERT_TRUE(searchOf(*again).FinishIndexing(30000));
    EXPECT_EQ(foundNames(*again, "kademuur"), QStringList{"Offerte.txt"});
}
