// The record sets the store answers with: rows of any stored values (integers, reals,
// text of any bytes, blobs, NULL) read as every kind of field, by index and by name,
// stepping (also as stored fields) and in memory; reading past the end throws, nothing crashes.
#include "db/SqliteRecordset.h"
#include "DwError.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace dwfm;
using namespace dwfm::store;

namespace {
SqliteDbPtr database()
{
    static SqliteDbPtr db = [] {
        SqliteDbPtr d = SqliteDb::open(QStringLiteral(":memory:"), true);
        d->exec("CREATE TABLE t (a, b, c)");
        return d;
    }();
    return db;
}

void readAll(const RecordsetPtr &rs, int fields)
{
    if (!rs)
        return;
    // The file list reads a stepping set's fields as stored, without a QVariant each.
    const auto *stored = dynamic_cast<const StoredFields *>(rs.get());
    for (; !rs->isEof(); rs->moveNext()) {
        for (int i = 0; i < fields; ++i) {
            (void)rs->value(i).toString();
            (void)rs->value(rs->fieldName(i).toUpper());
            if (stored && stored->isNullAt(i) && !rs->value(i).isNull())
                std::abort(); // a stored NULL is a null value either way
            if (stored)
                (void)(stored->integerAt(i) + stored->textAt(i).size());
        }
    }
    try {
        (void)rs->value(0);
        std::abort(); // past the end must throw
    } catch (const DwError &) {
    }
    rs->close();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SqliteDbPtr db = database();
    db->exec("DELETE FROM t");
    // Each value: a type byte, a length byte, then that many bytes.
    for (size_t pos = 0; pos + 2 <= size;) {
        Statement ins(db, "INSERT INTO t VALUES (?, ?, ?)");
        for (int col = 1; col <= 3 && pos + 2 <= size; ++col) {
            const uint8_t type = data[pos], len = data[pos + 1];
            pos += 2;
            const size_t n = std::min<size_t>(len, size - pos);
            const char *bytes = reinterpret_cast<const char *>(data + pos);
            switch (type % 5) {
            case 0: sqlite3_bind_null(ins.handle(), col); break;
            case 1: sqlite3_bind_int64(ins.handle(), col, qint64(QByteArray(bytes, qsizetype(n)).toLongLong()) * 1000003 + len); break;
            case 2: sqlite3_bind_double(ins.handle(), col, double(len) / 7.0 - 1e300 * (n & 1)); break;
            case 3: sqlite3_bind_text(ins.handle(), col, bytes, int(n), SQLITE_TRANSIENT); break;
            default: sqlite3_bind_blob(ins.handle(), col, bytes, int(n), SQLITE_TRANSIENT); break;
            }
            pos += n;
        }
        ins.exec();
    }
    const std::vector<ColumnKind> kinds[] = {{ColumnKind::Integer, ColumnKind::Text, ColumnKind::Boolean},
                                             {ColumnKind::DateTime, ColumnKind::Date, ColumnKind::Time}};
    const QStringList fields = {QStringLiteral("Een"), QStringLiteral("Twee"), QStringLiteral("Drie")};
    for (const auto &k : kinds) {
        readAll(SqliteRecordset::open(std::make_unique<Statement>(db, "SELECT a, b, c FROM t"), fields, k), 3);
        Statement all(db, "SELECT a, b, c FROM t");
        readAll(collectRows(all, fields, k), 3);
    }
    return 0;
}
