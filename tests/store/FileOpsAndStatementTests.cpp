// The file and database building blocks the check-out path leans on: the copy that makes
// its folder and answers an existing target instead of overwriting it, the content
// comparison that decides whether a working copy is kept, and prepared statements that are
// reused between calls.
#include "db/SqliteDb.h"
#include "fs/FileOps.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace dwfm::store;

namespace {
void put(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(content), content.size());
}
} // namespace

// Making the folder and keeping an existing target are shown by the check-out tests.
TEST(FileOpsTest, CopyIfAbsentOfAMissingSourceMakesNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(FileOps::copyIfAbsent(AnchoredPath::chosen(dir.filePath("weg.txt")), AnchoredPath::chosen(dir.filePath("c/doel.txt"))), FileOps::NewCopy::SourceMissing);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("c/doel.txt")));
}

TEST(FileOpsTest, SameContentComparesEveryByteAcrossBlocks)
{
    QTemporaryDir dir;
    // Larger than one comparison block, so a difference in the second block must be seen.
    QByteArray big((1 << 20) + 4097, 'x');
    const QString a = dir.filePath("a"), b = dir.filePath("b");
    const auto same = [](const QString &x, const QString &y) { return FileOps::sameContent(AnchoredPath::chosen(x), AnchoredPath::chosen(y)); };
    put(a, big);
    put(b, big);
    EXPECT_TRUE(same(a, b));

    big[big.size() - 1] = 'y';
    put(b, big);
    EXPECT_FALSE(same(a, b));

    put(b, big.left(big.size() - 1));
    EXPECT_FALSE(same(a, b)) << "a shorter file differs";
    EXPECT_FALSE(same(a, dir.filePath("ontbreekt")));

    put(a, QByteArray());
    put(b, QByteArray());
    EXPECT_TRUE(same(a, b));
}

TEST(StatementTest, ReusedStatementsStartCleanAndNestedUseGetsItsOwn)
{
    QTemporaryDir dir;
    SqliteDbPtr db = SqliteDb::open(dir.filePath("t.db"), true);
    db->exec("CREATE TABLE t (k INTEGER PRIMARY KEY, v TEXT)");
    const char *insert = "INSERT INTO t (k, v) VALUES (?, ?)";
    {
        Statement ins(db, insert);
        ins.bind(1, qint64(1)).bind(2, QStringLiteral("een")).exec();
    }
    {
        // The cached statement comes back without the previous call's values bound.
        Statement ins(db, insert);
        ins.bind(1, qint64(2)).exec();
    }
    const char *all = "SELECT k, v FROM t ORDER BY k";
    Statement outer(db, all);
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(outer.int64(0), 1);
    {
        // The same text while the first is still stepping: an independent statement.
        Statement inner(db, all);
        ASSERT_TRUE(inner.step());
        ASSERT_TRUE(inner.step());
        EXPECT_EQ(inner.int64(0), 2);
        EXPECT_TRUE(inner.isNull(1));
    }
    ASSERT_TRUE(outer.step());
    EXPECT_EQ(outer.int64(0), 2);
    EXPECT_FALSE(outer.step());
}
