// A location's files as the file list reads them: on a connection of the listing's own, in
// the order of the table with each row's place by name when the files lie close together.
#include "StoreFixture.h"

#include "StoredFields.h"

#include <algorithm>
#include <map>

using namespace dwfm;
using namespace dwfm::store;

namespace {
// The file names of a listing in the order it hands them out, and (when it may hand them
// out in the table's order) put in order by their places.
struct Listed {
    bool storeOrder = false;
    QStringList handedOut, byPlace;
    QList<qint32> ids;
};

Listed list(DwFileStoreSession &s, qint32 location, bool allowStoreOrder,
            const std::function<void()> &halfway = {})
{
    Listed out;
    RecordsetPtr rs;
    EXPECT_TRUE(s.Projects().GetProjectsInLocation(rs, location));
    auto *stored = dynamic_cast<StoredFields *>(rs.get());
    if (!stored) {
        ADD_FAILURE() << "no listing of " << location;
        return out;
    }
    out.storeOrder = allowStoreOrder && stored->allowStoreOrder();
    std::map<qint64, QString> byPlace;
    for (; !rs->isEof(); rs->moveNext()) {
        if (out.handedOut.size() == 1 && halfway)
            halfway();
        out.handedOut << rs->value("FileName").toString();
        out.ids << rs->value("Projectid").toInt();
        if (out.storeOrder)
            EXPECT_TRUE(byPlace.emplace(stored->placeAt(), out.handedOut.back()).second) << "places differ";
    }
    for (const auto &[place, name] : byPlace)
        out.byPlace << name;
    rs->close();
    return out;
}
} // namespace

TEST_P(EmbeddedStoreTest, AListingInTableOrderTellsEachFilesPlaceByNameInItsOwnSnapshot)
{
    // Added out of name order, with a file of another location between each two.
    const QStringList names{"delta.txt", "Bravo.txt", "échec.txt", "alfa.txt", "Charlie.txt", "ZULU.txt"};
    for (const QString &name : names) {
        addFile(*bert, name, "x", tekeningen);
        addFile(*bert, "ander " + name, "x", projecten);
    }
    const QStringList byName{"alfa.txt", "Bravo.txt", "Charlie.txt", "delta.txt", "ZULU.txt", "échec.txt"};
    const Listed named = list(*bert, tekeningen, false);
    EXPECT_FALSE(named.storeOrder);
    EXPECT_EQ(named.handedOut, byName);

    // Halfway another session and the session itself change the location: both succeed,
    // and the listing goes on with the files it started with.
    qint32 added = 0;
    const Listed tableOrder = list(*bert, tekeningen, true, [&] {
        // Another session first: a snapshot held on this session's connection would now be
        // too old for this session to write.
        EXPECT_TRUE(anna->Projects().RenameProject(named.ids[1], "bravo 2.txt"));
        added = addFile(*bert, "aaa.txt", "x", tekeningen);
        EXPECT_TRUE(bert->Projects().CheckOutProject(named.ids[0], "bezig"));
    });
    EXPECT_TRUE(tableOrder.storeOrder);
    EXPECT_EQ(tableOrder.handedOut, names);
    EXPECT_TRUE(std::is_sorted(tableOrder.ids.begin(), tableOrder.ids.end()));
    EXPECT_EQ(tableOrder.byPlace, byName);
    EXPECT_GT(added, 0);
    EXPECT_EQ(list(*bert, tekeningen, true).handedOut.size(), names.size() + 1);

    // Files that lie far apart in the table are read in name order all the same.
    const qint32 apartFolder = makeLocation(*anna, "Verspreid", projecten);
    addFile(*bert, "z.txt", "x", apartFolder);
    for (int i = 0; i < 8; ++i)
        addFile(*bert, QStringLiteral("vulling %1.txt").arg(i), "x", projecten);
    addFile(*bert, "a.txt", "x", apartFolder);
    const Listed apart = list(*bert, apartFolder, true);
    EXPECT_FALSE(apart.storeOrder);
    EXPECT_EQ(apart.handedOut, QStringList({"a.txt", "z.txt"}));
}
