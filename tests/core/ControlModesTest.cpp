// The control's modes and its small public services, over the scripted store.
#include "support/ControlFixture.h"

#include "core/ControlState.h"
#include "list/FileListModel.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

using namespace dwfm;
using namespace dwfm::test;

namespace {

class ControlModesTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(10, QStringLiteral("Documenten"));
        setFiles(10, {fileRow(1, QStringLiteral("a.txt"))});
    }
    const ControlState &state() const { return stateOf(*control); }
};

TEST_F(ControlModesTest, SpecificModeWithoutBuildingLeavesTheTreeUntilRefreshTreeView)
{
    session->clearCalls();
    EXPECT_TRUE(control->ControlInSpecificLocationMode(10, QStringLiteral("Docs")));
    EXPECT_TRUE(control->Initialized);
    EXPECT_EQ(state().ControlMode, ControlState::ModeSpecificLocation);
    EXPECT_EQ(state().AdditionalLocations.size(), 1u);
    EXPECT_TRUE(session->calls().empty());
    EXPECT_EQ(treeModelOf(*control)->rowCount(), 0);
    control->RefreshTreeView();
    EXPECT_EQ(control->GetCurrentLocationDescription(), QStringLiteral("Docs"));
}

TEST_F(ControlModesTest, AnExtraLocationBeforeTheSpecificModeIsReported)
{
    expectError(QStringLiteral("DwProjectFileManUIAddAdditionalSpecificLocation"));
    control->AddAdditionalSpecificLocation(5, QStringLiteral("Vijf"));
    EXPECT_TRUE(state().AdditionalLocations.empty());
}

// The select mode is shown over the real store with the end-to-end tests.
TEST_F(ControlModesTest, SaveModeBuildsAtOnceAndLeavesChangesAllowed)
{
    EXPECT_TRUE(control->ControlInSaveFileMode(10, QString()));
    EXPECT_EQ(state().ControlMode, ControlState::ModeSaveFile);
    EXPECT_FALSE(control->ReadOnly);
    EXPECT_EQ(listModelOf(*control)->rowCount(), 1);
}

TEST_F(ControlModesTest, SetAcceptableProjectsKeepsThePiecesInOrderAndStopsAtOneThatIsNoNumber)
{
    control->SetAcceptableProjects(QStringLiteral("12| 7 |99"));
    ASSERT_TRUE(state().AcceptableProjects.has_value());
    EXPECT_EQ(*state().AcceptableProjects, (std::vector<qint32>{12, 7, 99}));
    control->SetAcceptableProjects(QString());
    EXPECT_FALSE(state().AcceptableProjects.has_value());

    expectError(QStringLiteral("DwProjectFileManUISetAcceptableProjects"));
    control->SetAcceptableProjects(QStringLiteral("4|vijf|6"));
    ASSERT_TRUE(state().AcceptableProjects.has_value());
    EXPECT_EQ(*state().AcceptableProjects, std::vector<qint32>{4});
}

TEST_F(ControlModesTest, CountOfFilesInUseWorksOnlyInUserMode)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    session->clearCalls();
    locationSpy->clear();
    EXPECT_EQ(control->CountOfProjectsInUseByUser(), -1);
    EXPECT_TRUE(session->calls().empty());
    EXPECT_TRUE(locationEvents().isEmpty());

    // Bit 2 counts, whether or not the file is checked out.
    QVariantList stale = fileRow(3, QStringLiteral("c.txt"));
    stale[3] = QStringLiteral("test");
    setUserFiles(QStringLiteral("TEST"), {fileRow(1, QStringLiteral("a.txt"), QStringLiteral("TEST")),
                                         fileRow(2, QStringLiteral("b.txt"), QStringLiteral("PIET")), stale});
    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("TEST"), QStringLiteral("Ik")));
    EXPECT_EQ(control->CountOfProjectsInUseByUser(), 2);
}

} // namespace
