// The location tree inside the control, over a scripted store: building per mode, lazy
// loading, reselection after a refresh, F5, the node click and its pictures, failures.
#include "support/ControlFixture.h"
#include "support/TestHelpers.h"

#include "core/ControlState.h"
#include "list/FileListModel.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QFrame>
#include <QTest>
#include <QTreeView>

#include <functional>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class LocationTreeTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(10, QStringLiteral("Documenten"), {{11, QStringLiteral("Brieven")}, {12, QStringLiteral("archief")}});
        addLocation(11, QStringLiteral("Brieven"), {{13, QStringLiteral("2023")}});
    }
    LocationTreeModel *model() const { return treeModelOf(*control); }
};

TEST_F(LocationTreeTest, SpecificModeLoadsTheFirstLevelAndGivesPlaceholdersOnlyToFoldersWithSubFolders)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    // The location's own name stands in for an empty description.
    EXPECT_EQ(childTexts({}), QStringList{QStringLiteral("Documenten")});
    const QModelIndex top = node(QStringLiteral("10C"));
    EXPECT_TRUE(control->tvTreeView->isExpanded(top));
    EXPECT_EQ(childTexts(top), (QStringList{QStringLiteral("archief"), QStringLiteral("Brieven")}));
    EXPECT_TRUE(model()->holdsPlaceholder(node(QStringLiteral("11C"))));
    EXPECT_EQ(model()->rowCount(node(QStringLiteral("12C"))), 0);
    EXPECT_EQ(locationEvents(), QStringList{QStringLiteral("Documenten|10")});
    EXPECT_EQ(control->GetCurrentLocationID(), 10);
    EXPECT_EQ(control->GetCurrentLocationDescription(), QStringLiteral("Documenten"));
}

TEST_F(LocationTreeTest, ARowWhoseKeyIsAlreadyInTheTreeIsSkippedWhenChildrenLoad)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    // A folder made beside the placeholder before the node was first expanded.
    model()->addNode(node(QStringLiteral("11C")), {QStringLiteral("13C"), QStringLiteral("2023"), 3});
    control->tvTreeView->expand(node(QStringLiteral("11C")));
    EXPECT_EQ(childTexts(node(QStringLiteral("11C"))), QStringList{QStringLiteral("2023")});
    EXPECT_EQ(model()->image(node(QStringLiteral("13C"))), 3);
}

TEST_F(LocationTreeTest, ARefreshRaisesLocationChangedTwiceWhenItReselects)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QStringLiteral("Mijn map"), true));
    clickNode(QStringLiteral("12C"));
    locationSpy->clear();
    control->RefreshTreeView();
    EXPECT_EQ(locationEvents(), (QStringList{QStringLiteral("Mijn map|10"), QStringLiteral("Mijn map\\archief|12")}));
    EXPECT_EQ(control->GetCurrentLocationID(), 12);

    // When the selected folder is gone, the top node is handled twice.
    children[10] = {QVariantList{11, QStringLiteral("Brieven")}};
    locationSpy->clear();
    control->RefreshTreeView();
    EXPECT_EQ(locationEvents(), (QStringList{QStringLiteral("Mijn map|10"), QStringLiteral("Mijn map|10")}));
    EXPECT_EQ(control->GetCurrentLocationID(), 10);
}

TEST_F(LocationTreeTest, F5KeepsASubFolderSelectedOnlyWhenItsParentIsLoadedAgain)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    control->tvTreeView->expand(node(QStringLiteral("11C")));
    clickNode(QStringLiteral("13C"));
    ASSERT_EQ(control->GetCurrentLocationID(), 13);
    QTest::keyClick(control->tvTreeView, Qt::Key_F5);
    // 11C was collapsed and holds its placeholder again, so 13C is not in the tree.
    EXPECT_FALSE(node(QStringLiteral("13C")).isValid());
    EXPECT_EQ(control->GetCurrentLocationID(), 10);

    clickNode(QStringLiteral("11C"));
    QTest::keyClick(control->tvTreeView, Qt::Key_F5);
    EXPECT_EQ(control->GetCurrentLocationID(), 11);
}

TEST_F(LocationTreeTest, TheClickedFolderShowsOpenAndTheOneBeforeGetsItsPictureBack)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    EXPECT_EQ(model()->image(node(QStringLiteral("10C"))), LocationTreeModel::ImageOpenFolder);
    clickNode(QStringLiteral("12C"));
    EXPECT_EQ(model()->image(node(QStringLiteral("12C"))), LocationTreeModel::ImageOpenFolder);
    EXPECT_EQ(model()->image(node(QStringLiteral("10C"))), LocationTreeModel::ImageFolder);
    // A new folder keeps its own picture once it is left again.
    model()->addNode(node(QStringLiteral("10C")), {QStringLiteral("99C"), QStringLiteral("nieuw"), 3});
    clickNode(QStringLiteral("99C"));
    clickNode(QStringLiteral("11C"));
    EXPECT_EQ(model()->image(node(QStringLiteral("99C"))), LocationTreeModel::ImageNewFolder);
    EXPECT_EQ(model()->image(node(QStringLiteral("12C"))), LocationTreeModel::ImageFolder);
}

TEST_F(LocationTreeTest, RootModeWithoutRootsLeavesTheRootNodeUnselectedUntilTheUserPicksIt)
{
    ASSERT_TRUE(control->ControlInRootMode());
    EXPECT_EQ(childTexts({}), QStringList{QStringLiteral("Applicaties")});
    EXPECT_EQ(control->GetCurrentLocationID(), -1);
    EXPECT_FALSE(control->tvTreeView->isExpanded(model()->index(0, 0)));
    EXPECT_TRUE(locationEvents().isEmpty());
    EXPECT_EQ(listModelOf(*control)->rowCount(), 0);

    // The tree taking the keyboard focus makes its first node current, but that is no click.
    ASSERT_TRUE(showUncovered(*control));
    control->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(control.get()));
    control->lvListView->setFocus(Qt::OtherFocusReason);
    control->tvTreeView->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->tvTreeView->hasFocus(); }));
    ASSERT_TRUE(control->tvTreeView->currentIndex().isValid());
    EXPECT_TRUE(locationEvents().isEmpty());
    EXPECT_EQ(control->GetCurrentLocationID(), -1);

    const QRect root = control->tvTreeView->visualRect(model()->index(0, 0));
    QTest::mouseClick(control->tvTreeView->viewport(), Qt::LeftButton, {}, root.center());
    EXPECT_EQ(locationEvents(), QStringList{QStringLiteral("Applicaties|0")});
    EXPECT_EQ(control->GetCurrentLocationID(), 0);
}

TEST_F(LocationTreeTest, AnUnknownLocationIsReportedAndCoversTheControl)
{
    prompts->expectMessage();
    ASSERT_TRUE(control->ControlInSpecificLocationMode(77, QStringLiteral("Weg"), true));
    EXPECT_EQ(prompts->messages(), QStringList{QStringLiteral("Aangegeven RootID (77) bestaat niet!")});
    EXPECT_EQ(prompts->shown().front().icon, Prompts::Icon::Critical);
    EXPECT_TRUE(control->isOverlayShown());
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_EQ(control->GetCurrentLocationID(), -1);
    EXPECT_TRUE(locationEvents().isEmpty());

    // F5 builds the same unknown location again; any mode that shows nodes uncovers it.
    setRoots({{10, QStringLiteral("Documenten")}});
    for (const std::function<bool()> &choose : std::initializer_list<std::function<bool()>>{
             [this] { return control->ControlInRootMode(); }, [this] { return control->ControlInUserMode("J", "Jan"); },
             [this] { return control->ControlInSpecificLocationMode(10, {}, true); }}) {
        prompts->expectMessage().expectMessage();
        QTest::keyClick(control->tvTreeView, Qt::Key_F5);
        EXPECT_TRUE(control->isOverlayShown());
        EXPECT_TRUE(choose() && !control->isOverlayShown());
        control->ControlInSpecificLocationMode(77, QStringLiteral("Weg"), true);
    }
    EXPECT_EQ(prompts->pending(), 0u);
}

TEST_F(LocationTreeTest, AdditionalLocationsFollowTheOwnLocationInTheHostsOrderAndBlankOrZeroOnesAreSkipped)
{
    addLocation(30, QStringLiteral("Extra"), {{31, QStringLiteral("Sub")}});
    addLocation(20, QStringLiteral("Aanvulling"));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QStringLiteral("Hoofd")));
    EXPECT_EQ(model()->rowCount(), 0);
    control->AddAdditionalSpecificLocation(30, QStringLiteral("Extra map"));
    control->AddAdditionalSpecificLocation(0, QStringLiteral("Nul"));
    control->AddAdditionalSpecificLocation(40, QStringLiteral("   "));
    control->AddAdditionalSpecificLocation(20, QStringLiteral("Aanvulling"));
    control->RefreshTreeView();
    EXPECT_EQ(childTexts({}), (QStringList{QStringLiteral("Hoofd"), QStringLiteral("Extra map"),
                                           QStringLiteral("Aanvulling")}));
    EXPECT_EQ(childTexts(node(QStringLiteral("10C"))), (QStringList{QStringLiteral("archief"), QStringLiteral("Brieven")}));
    EXPECT_TRUE(model()->holdsPlaceholder(node(QStringLiteral("30C"))));
    EXPECT_FALSE(control->tvTreeView->isExpanded(node(QStringLiteral("30C"))));
    EXPECT_EQ(control->GetCurrentLocationID(), 10);
    EXPECT_EQ(callsFor(QStringLiteral("GetChildLocations"), 40), 0);
}

TEST_F(LocationTreeTest, TwoAdditionalLocationsWithOneIDStopTheBuildWithAReport)
{
    addLocation(30, QStringLiteral("Extra"));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString()));
    control->AddAdditionalSpecificLocation(30, QStringLiteral("Een"));
    control->AddAdditionalSpecificLocation(30, QStringLiteral("Twee"));
    expectError(QStringLiteral("DwProjectFileManUIFillTreeViewLocations"));
    control->RefreshTreeView();
    // The nodes added before the failure stay; nothing was selected.
    EXPECT_EQ(childTexts({}), (QStringList{QStringLiteral("Documenten"), QStringLiteral("Een")}));
    EXPECT_EQ(control->GetCurrentLocationID(), -1);
}

} // namespace
