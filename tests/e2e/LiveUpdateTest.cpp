// A control refreshes its list by itself when another process changes the files of the
// location it shows, and only then.
#include "StoreControlFixture.h"

#include "StoreChangeWatch.h"
#include "SessionChanges.h"
#include "SessionRegistry.h"
#include "list/FileList.h"
#include "list/FileListModel.h"
#include "core/FileManUIInternals.h"
#include "tree/LocationTree.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

using namespace dwfm;
using namespace dwfm::test;

// Child: checks one file out as bert, in a process of its own.
TEST(LiveUpdateChild, DISABLED_CheckOut)
{
    if (!qEnvironmentVariableIsSet("DW_LIVE_STORE"))
        GTEST_SKIP();
    store::DwFileStoreSession s;
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_LIVE_STORE"), "bert", "bert", qEnvironmentVariable("DW_LIVE_CATALOGUE"),
                          true));
    ASSERT_TRUE(s.Projects().CheckOutProject(qEnvironmentVariableIntValue("DW_LIVE_FILE"), "elders"))
        << s.Database().LastError().toStdString();
}

namespace {
void checkOutElsewhere(const QString &store, const QString &catalogue, qint32 file)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DW_LIVE_STORE", store);
    env.insert("DW_LIVE_CATALOGUE", catalogue);
    env.insert("DW_LIVE_FILE", QString::number(file));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=LiveUpdateChild.DISABLED_CheckOut"});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitCode(), 0);
}
} // namespace

TEST_F(StoreControlFixture, ListFollowsCheckOutsOfOtherProcessesKeepingTheSelection)
{
    auto control = connectControl("anna");
    ASSERT_TRUE(control->ControlInSpecificLocationMode(brugNoord, QString(), true));
    fileListOf(*control)->SelectListItem(QString::number(notulen) + 'P');
    SessionChanges *changes = SessionRegistry::current()->Changes();
    ASSERT_NE(changes, nullptr);
    QSignalSpy told(changes, &SessionChanges::LocationsChanged);
    QSignalSpy refills(listModelOf(*control), &QAbstractItemModel::modelReset);

    // Nothing changes: the store tells nothing and the list is left alone.
    QTest::qWait(3 * store::StoreChangeWatch::IntervalMs);
    EXPECT_EQ(told.count(), 0);
    EXPECT_EQ(refills.count(), 0);

    // A change in another location is told, but this list is not refilled.
    checkOutElsewhere(storeFolder(), catalogue, telefoonlijst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, 1000));
    EXPECT_EQ(told.takeFirst().at(0).value<QList<qint32>>(), QList<qint32>{kantoor});
    EXPECT_EQ(refills.count(), 0);

    // A check-out in the shown location shows within a second, the selection kept.
    checkOutElsewhere(storeFolder(), catalogue, begroting);
    const auto holderOfBegroting = [&] {
        const int row = listRowOf(*control, "Begroting.txt");
        return row < 0 ? QString() : listModelOf(*control)->row(row).subItems[0];
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return holderOfBegroting() == "bert"; }, 1000));
    EXPECT_EQ(control->GetCurrentProjectID(), notulen);
    const qsizetype afterChange = refills.count();
    EXPECT_GT(afterChange, 0);
    QTest::qWait(3 * store::StoreChangeWatch::IntervalMs);
    EXPECT_EQ(refills.count(), afterChange);
}

TEST_F(StoreControlFixture, TreeFollowsLocationsMadeRenamedAndDeletedElsewhere)
{
    auto control = connectControl("anna");
    ASSERT_TRUE(control->ControlInRootMode());
    clickPath(*control, "Applicaties/Projecten/Brug Noord/Tekeningen");
    auto other = openSession("bert");
    const QPersistentModelIndex brug = locationTreeOf(*control)->FindNode(QString::number(brugNoord) + 'C');
    const auto children = [&] { return childTexts(*control, brug); };
    qint32 fase = 0;
    ASSERT_TRUE(other->Locations().CreateLocation("Fase 2", "", brugNoord, fase));
    ASSERT_TRUE(other->Locations().RenameLocation(tekeningen, "Schetsen"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return children() == QStringList({"Fase 2", "Schetsen"}); }, 2000)) << children().join(',').toStdString();
    EXPECT_EQ(control->GetCurrentLocationID(), tekeningen) << "the renamed node stays selected";
    ASSERT_TRUE(other->Locations().DeleteLocation(fase));
    ASSERT_TRUE(QTest::qWaitFor([&] { return children() == QStringList{"Schetsen"}; }, 2000)) << children().join(',').toStdString();
}
