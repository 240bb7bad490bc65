// The control in root mode over the real embedded store: the roots, sub-locations loaded
// when opened, the files of a location with who has them, and a refill of the list that
// shows what another program changed in the store meanwhile.
#include "StoreControlFixture.h"

#include "list/FileList.h"
#include "list/FileListModel.h"
#include "list/FileRowReader.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QLabel>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class RootModeOverStoreTest : public StoreControlFixture {
protected:
    void SetUp() override
    {
        StoreControlFixture::SetUp();
        control = connectControl(QStringLiteral("anna"));
        spy = std::make_unique<QSignalSpy>(control.get(), &FileManUI::LocationChanged);
        ASSERT_TRUE(control->ControlInRootMode());
    }
    QModelIndex node(const QString &path) { return locationTreeOf(*control)->openPath(path); }
    const LocationTreeModel &tree() const { return *treeModelOf(*control); }

};

TEST_F(RootModeOverStoreTest, TheRootsStandUnderApplicatiesAndSubLocationsLoadOnceUntilTheTreeIsRefreshed)
{
    EXPECT_EQ(childTexts(*control, {}), QStringList{QStringLiteral("Applicaties")});
    EXPECT_TRUE(control->tvTreeView->isExpanded(tree().index(0, 0)));
    EXPECT_EQ(childTexts(*control, tree().index(0, 0)), (QStringList{QStringLiteral("Archief"), QStringLiteral("Projecten")}));
    EXPECT_EQ(tree().key(node(QStringLiteral("Archief"))), QString::number(archief) + QLatin1Char('P'));
    EXPECT_EQ(tree().rowCount(node(QStringLiteral("Archief"))), 0);
    // The build clicks the root node: no location, no files.
    EXPECT_EQ(locationEvents(*spy), QStringList{QStringLiteral("Applicaties|0")});
    EXPECT_EQ(control->GetCurrentLocationID(), 0);
    EXPECT_EQ(listModelOf(*control)->rowCount(), 0);

    // Only locations with sub-locations can open.
    const QModelIndex projectenNode = tree().findNode(QString::number(projecten) + QLatin1Char('P'));
    EXPECT_TRUE(tree().holdsPlaceholder(projectenNode));
    control->tvTreeView->expand(projectenNode);
    EXPECT_EQ(childTexts(*control, projectenNode), (QStringList{QStringLiteral("Brug Noord"), QStringLiteral("Kantoor")}));
    EXPECT_TRUE(tree().holdsPlaceholder(node(QStringLiteral("Projecten/Brug Noord"))));
    EXPECT_EQ(tree().rowCount(node(QStringLiteral("Projecten/Kantoor"))), 0);

    // A location another program makes now appears only once the tree is built again.
    qint32 bestek = 0;
    ASSERT_TRUE(openSession(QStringLiteral("bert"))->Locations().CreateLocation(QStringLiteral("Bestek"), QString(),
                                                                                 projecten, bestek));
    control->tvTreeView->collapse(projectenNode);
    control->tvTreeView->expand(projectenNode);
    EXPECT_EQ(childTexts(*control, projectenNode).size(), 2);
    control->RefreshTreeView();
    control->tvTreeView->expand(node(QStringLiteral("Projecten")));
    EXPECT_EQ(childTexts(*control, node(QStringLiteral("Projecten"))),
              (QStringList{QStringLiteral("Bestek"), QStringLiteral("Brug Noord"), QStringLiteral("Kantoor")}));
}

TEST_F(RootModeOverStoreTest, ClickingALocationListsItsFilesWithWhoHasThemAndGivesItsWholePath)
{
    spy->clear();
    clickPath(*control, QStringLiteral("Projecten/Brug Noord"));
    const QString path = QStringLiteral("Applicaties\\Projecten\\Brug Noord");
    EXPECT_EQ(locationEvents(*spy), QStringList{path + QLatin1Char('|') + QString::number(brugNoord)});
    EXPECT_EQ(control->lblTitle[1]->text(), path);
    EXPECT_EQ(control->GetCurrentLocationID(), brugNoord);

    // Who has a file, with the remark; the two-user test checks the moment, computer and folder.
    const QStringList cells = listCells(*control);
    ASSERT_EQ(cells.size(), 3);
    EXPECT_EQ(cells.mid(0, 2), (QStringList{QStringLiteral("Begroting.txt||||"), QStringLiteral("Notulen.txt||||")}));
    EXPECT_TRUE(cells[2].startsWith(QStringLiteral("Offerte.txt|bert|"))) << cells[2].toStdString();
    EXPECT_TRUE(cells[2].endsWith(QStringLiteral("|Prijzen bijwerken"))) << cells[2].toStdString();
    EXPECT_EQ(listModelOf(*control)->row(2).tag, TagCheckedOut);

    // A deeper location gives its whole path.
    clickPath(*control, QStringLiteral("Projecten/Brug Noord/Tekeningen"));
    EXPECT_EQ(locationEvents(*spy).last(),
              QStringLiteral("Applicaties\\Projecten\\Brug Noord\\Tekeningen|") + QString::number(tekeningen));
    EXPECT_EQ(listCells(*control), QStringList{QStringLiteral("Situatie.png||||")});

    // The root locations only group: "Lees mij.txt" of Projecten is not listed.
    clickPath(*control, QStringLiteral("Projecten"));
    EXPECT_EQ(locationEvents(*spy).last(), QStringLiteral("Applicaties\\Projecten|") + QString::number(projecten));
    EXPECT_EQ(listModelOf(*control)->rowCount(), 0);
}

TEST_F(RootModeOverStoreTest, ARefreshOfTheListShowsWhatAnotherProgramChangedAndKeepsTheSelectedFile)
{
    clickPath(*control, QStringLiteral("Projecten/Brug Noord"));
    fileListOf(*control)->SelectListItem(QString::number(notulen) + QLatin1Char('P'));
    ASSERT_EQ(control->GetCurrentProjectID(), notulen);

    auto bert = openSession(QStringLiteral("bert"));
    ASSERT_TRUE(bert->Projects().CheckInProject(offerte, QStringLiteral("Prijzen bijgewerkt"), true));
    ASSERT_TRUE(bert->Projects().CheckOutProject(notulen, QStringLiteral("Aanvullen")));
    const qint32 bestek = addFile(*bert, brugNoord, QStringLiteral("Bestek.txt"), "Hoofdstuk 1\n");
    ASSERT_TRUE(bert->Projects().DeleteProject(begroting));

    // Nothing changes until the list is refilled.
    EXPECT_EQ(listModelOf(*control)->rowCount(), 3);
    control->RefreshListView();
    const FileListModel &list = *listModelOf(*control);
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.row(0).key, QString::number(bestek) + QLatin1Char('P'));
    EXPECT_EQ(list.row(1).text, QStringLiteral("Notulen.txt"));
    EXPECT_EQ(list.row(1).subItems[0], QStringLiteral("bert"));
    EXPECT_EQ(list.row(1).subItems[3], QStringLiteral("Aanvullen"));
    EXPECT_EQ(list.row(1).foreColor, control->lvListView->palette().color(QPalette::Dark));
    EXPECT_EQ(listCells(*control)[2], QStringLiteral("Offerte.txt||||"));
    EXPECT_FALSE(list.row(2).foreColor.isValid());
    EXPECT_EQ(control->GetCurrentProjectID(), notulen);
    EXPECT_EQ(control->GetCurrentProjectDescription(), QStringLiteral("Notulen.txt"));
}

TEST_F(RootModeOverStoreTest, APathOfNodeTextsOpensTheNodesOnTheWayAndIgnoresCase)
{
    EXPECT_TRUE(locationTreeOf(*control)->selectPath(QStringLiteral("projecten\\brug noord/TEKENINGEN")));
    EXPECT_EQ(control->GetCurrentLocationID(), tekeningen);
    EXPECT_EQ(listCells(*control), QStringList{QStringLiteral("Situatie.png||||")});
    // A path from the top node works too; an unknown text finds nothing and changes nothing.
    EXPECT_TRUE(node(QStringLiteral("Applicaties/Projecten/Kantoor")).isValid());
    spy->clear();
    EXPECT_FALSE(locationTreeOf(*control)->selectPath(QStringLiteral("Projecten/Brug Zuid")));
    EXPECT_FALSE(locationTreeOf(*control)->selectPath(QStringLiteral(" / ")));
    EXPECT_TRUE(spy->isEmpty());
    EXPECT_EQ(control->GetCurrentLocationID(), tekeningen);
}

} // namespace
