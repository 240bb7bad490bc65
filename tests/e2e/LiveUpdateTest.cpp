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
#include "tree/LocationTreeModel.h"

#include <QLabel>
#include <QTest>

using namespace dwfm;
using namespace dwfm::test;

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
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkout"), telefoonlijst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, 1000));
    EXPECT_EQ(told.takeFirst().at(0).value<QList<qint32>>(), QList<qint32>{kantoor});
    EXPECT_EQ(refills.count(), 0);

    // A check-out in the shown location shows within a second, the selection kept.
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkout"), begroting);
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

TEST_F(StoreControlFixture, RootsFollowTopLocationsMadeRenamedAndDeletedElsewhere)
{
    auto control = connectControl("bert");
    ASSERT_TRUE(control->ControlInRootMode());
    clickPath(*control, "Applicaties/Projecten/Kantoor");
    const QPersistentModelIndex root = treeModelOf(*control)->index(0, 0);
    const auto roots = [&] { return childTexts(*control, root); };
    ASSERT_EQ(roots(), QStringList({"Archief", "Projecten"}));
    auto other = openSession("anna");
    qint32 nieuw = 0;
    ASSERT_TRUE(other->Locations().CreateLocation("Nieuw", "", 0, nieuw));
    ASSERT_TRUE(other->Locations().RenameLocation(archief, "Oud archief"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return roots() == QStringList({"Nieuw", "Oud archief", "Projecten"}); }, 2000))
        << roots().join(',').toStdString();
    EXPECT_EQ(control->GetCurrentLocationID(), kantoor) << "the selection stays";
    // A root that goes takes the selection below it along to the root node.
    clickPath(*control, "Applicaties/Nieuw");
    ASSERT_TRUE(other->Locations().DeleteLocation(nieuw));
    ASSERT_TRUE(QTest::qWaitFor([&] { return roots() == QStringList({"Oud archief", "Projecten"}); }, 2000))
        << roots().join(',').toStdString();
    EXPECT_EQ(control->GetCurrentLocationDescription(), "Applicaties");
}

// A list read a row per turn, as a large one is: the rows come from the store in the order
// of its table and the list shows them by name all the same, leaving out what the filter
// leaves out; a change told while it loads shows once it has loaded.
TEST_F(StoreControlFixture, AListReadOverManyTurnsShowsTheFilesByNameAndThenTheChangesToldMeanwhile)
{
    control = connectControl("anna");
    const qint32 zaagplan = addFile(*SessionRegistry::current(), brugNoord, "Zaagplan.txt", "z");
    const qint32 bestek = addFile(*SessionRegistry::current(), brugNoord, "bestek.txt", "b");
    const qint32 aanvraag = addFile(*SessionRegistry::current(), brugNoord, "Aanvraag.txt", "a");
    FileList *list = fileListOf(*control);
    list->setLoadPace({.rowsPerLook = 1, .sliceMs = 0});
    control->SetAcceptableProjects(QStringList{QString::number(begroting), QString::number(offerte),
                                               QString::number(zaagplan), QString::number(bestek),
                                               QString::number(aanvraag)}
                                       .join('|'));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(brugNoord, "Brug", true));
    ASSERT_TRUE(list->isLoading());
    EXPECT_EQ(control->lblTitle[1]->text(), "Brug  (bezig met laden: 1 van 6)");
    list->SelectListItem(QString::number(offerte) + 'P');
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkout"), begroting);
    QSignalSpy loaded(list, &FileList::loaded);
    ASSERT_TRUE(loaded.wait(2000));
    EXPECT_EQ(fileNames(), QStringList({"Aanvraag.txt", "Begroting.txt", "bestek.txt", "Offerte.txt", "Zaagplan.txt"}));
    EXPECT_EQ(control->lblTitle[1]->text(), "Brug");
    EXPECT_EQ(control->GetCurrentProjectID(), offerte);
    const auto holderOfBegroting = [&] {
        const int row = listRowOf(*control, "Begroting.txt");
        return row < 0 || list->isLoading() ? QString() : listModelOf(*control)->row(row).subItems[0];
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return holderOfBegroting() == "bert"; }, 3000));
    EXPECT_EQ(control->GetCurrentProjectID(), offerte);
}
