// The control's user, specific-location, save and select modes and its file filter over
// the real embedded store.
#include "StoreControlFixture.h"

#include "core/ControlState.h"
#include "list/FileList.h"
#include "list/FileListModel.h"
#include "list/FileRowReader.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QLabel>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class ModesOverStoreTest : public StoreControlFixture {
protected:
    void connectAs(const QString &user)
    {
        spy.reset();
        control = connectControl(user);
        spy = std::make_unique<QSignalSpy>(control.get(), &FileManUI::LocationChanged);
    }
    QString key(qint32 id, char kind) const { return QString::number(id) + QLatin1Char(kind); }

};

TEST_F(ModesOverStoreTest, UserModeListsTheFilesAUserHasInUseFromEveryLocation)
{
    auto bert = openSession(QStringLiteral("bert"));
    ASSERT_TRUE(bert->Projects().CheckOutProject(telefoonlijst, QStringLiteral("Nummers")));

    connectAs(QStringLiteral("bert"));
    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("bert"), QStringLiteral("Mijn bestanden")));
    EXPECT_EQ(childTexts(*control, {}), QStringList{QStringLiteral("Mijn bestanden")});
    EXPECT_EQ(treeModelOf(*control)->key(treeModelOf(*control)->index(0, 0)), QStringLiteral("bertU"));
    EXPECT_EQ(treeModelOf(*control)->image(treeModelOf(*control)->index(0, 0)), LocationTreeModel::ImageFolder);
    EXPECT_EQ(locationEvents(*spy), QStringList{QStringLiteral("Mijn bestanden|0")});
    EXPECT_EQ(fileNames(), (QStringList{QStringLiteral("Offerte.txt"), QStringLiteral("Telefoonlijst.txt")}));
    // The user's own files keep the default colour in this mode.
    for (const FileListRow &row : listModelOf(*control)->rows()) {
        EXPECT_FALSE(row.foreColor.isValid()) << row.text.toStdString();
        EXPECT_EQ(row.tag, TagCurrentUser | TagCheckedOut);
    }
    EXPECT_EQ(control->CountOfProjectsInUseByUser(), 2);

    // The count rebuilds the tree, so it sees a file given back meanwhile; the user ID
    // is matched without regard to case.
    ASSERT_TRUE(bert->Projects().CheckInProject(telefoonlijst, QString(), true));
    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("BERT"), QStringLiteral("Bert")));
    EXPECT_EQ(control->CountOfProjectsInUseByUser(), 1);
    EXPECT_EQ(fileNames(), QStringList{QStringLiteral("Offerte.txt")});

    // Someone else's files in grey, counted as none; nobody's or an unknown user's: none.
    connectAs(QStringLiteral("anna"));
    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("bert"), QStringLiteral("Bert")));
    ASSERT_EQ(fileNames(), QStringList{QStringLiteral("Offerte.txt")});
    EXPECT_EQ(listModelOf(*control)->row(0).foreColor, control->lvListView->palette().color(QPalette::Dark));
    EXPECT_EQ(control->CountOfProjectsInUseByUser(), 0);
    for (const QString &user : {QStringLiteral("anna"), QStringLiteral("niemand")}) {
        ASSERT_TRUE(control->ControlInUserMode(user, user));
        EXPECT_EQ(listModelOf(*control)->rowCount(), 0) << user.toStdString();
    }
}

TEST_F(ModesOverStoreTest, SpecificLocationModeBuildsWithItsExtraLocationsOnRefresh)
{
    connectAs(QStringLiteral("anna"));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(brugNoord, QString()));
    EXPECT_EQ(treeModelOf(*control)->rowCount(), 0);
    control->AddAdditionalSpecificLocation(kantoor, QStringLiteral("Kantoor"));
    control->AddAdditionalSpecificLocation(archief, QStringLiteral("Oud archief"));
    control->RefreshTreeView();

    // The mode's location with its sub-locations loaded, the extra ones closed.
    EXPECT_EQ(childTexts(*control, {}),
              (QStringList{QStringLiteral("Brug Noord"), QStringLiteral("Kantoor"), QStringLiteral("Oud archief")}));
    const QModelIndex top = treeModelOf(*control)->findNode(key(brugNoord, 'C'));
    EXPECT_TRUE(control->tvTreeView->isExpanded(top));
    EXPECT_EQ(childTexts(*control, top), QStringList{QStringLiteral("Tekeningen")});
    EXPECT_EQ(treeModelOf(*control)->rowCount(treeModelOf(*control)->findNode(key(archief, 'C'))), 0);
    EXPECT_EQ(locationEvents(*spy), QStringList{QStringLiteral("Brug Noord|") + QString::number(brugNoord)});
    EXPECT_EQ(fileNames(), (QStringList{QStringLiteral("Begroting.txt"), QStringLiteral("Notulen.txt"),
                                        QStringLiteral("Offerte.txt")}));

    // An extra location is a location like any other: its files, its own path.
    clickPath(*control, QStringLiteral("Oud archief"));
    EXPECT_EQ(locationEvents(*spy).last(), QStringLiteral("Oud archief|") + QString::number(archief));
    EXPECT_EQ(fileNames(), QStringList{QStringLiteral("Jaarverslag.txt")});
    EXPECT_EQ(control->GetCurrentLocationID(), archief);
}

TEST_F(ModesOverStoreTest, SaveModeShowsTheLocationUnderTheHostsText)
{
    connectAs(QStringLiteral("anna"));
    ASSERT_TRUE(control->ControlInSaveFileMode(projecten, QStringLiteral("Opslaan in")));
    const QModelIndex top = treeModelOf(*control)->index(0, 0);
    EXPECT_EQ(treeModelOf(*control)->text(top), QStringLiteral("Opslaan in"));
    EXPECT_EQ(childTexts(*control, top), (QStringList{QStringLiteral("Brug Noord"), QStringLiteral("Kantoor")}));
    EXPECT_EQ(fileNames(), QStringList{QStringLiteral("Lees mij.txt")});
    EXPECT_EQ(control->lblTitle[1]->text(), QStringLiteral("Opslaan in"));

    // Sub-locations open lazily below the mode's location, with paths under its text.
    clickPath(*control, QStringLiteral("Brug Noord/Tekeningen"));
    EXPECT_EQ(locationEvents(*spy).last(),
              QStringLiteral("Opslaan in\\Brug Noord\\Tekeningen|") + QString::number(tekeningen));
    EXPECT_EQ(fileNames(), QStringList{QStringLiteral("Situatie.png")});
}

TEST_F(ModesOverStoreTest, SelectModeIsReadOnlyADoubleClickChecksNothingOutAndAnUnknownLocationIsSaid)
{
    connectAs(QStringLiteral("anna"));
    control->AllowPopupMenu = true;
    ASSERT_TRUE(control->ControlInSelectFileMode(kantoor, QString()));
    EXPECT_EQ(stateOf(*control).ControlMode, ControlState::ModeSelectFile);
    EXPECT_TRUE(control->ReadOnly);
    EXPECT_FALSE(control->AllowPopupMenu);
    EXPECT_EQ(fileNames(), QStringList{QStringLiteral("Telefoonlijst.txt")});

    QSignalSpy opened(control.get(), &FileManUI::FileOpen);
    fileListOf(*control)->SelectListItem(key(telefoonlijst, 'P'));
    emit control->lvListView->doubleClicked(listModelOf(*control)->index(0, 0));
    EXPECT_TRUE(opened.isEmpty());
    RecordsetPtr info;
    ASSERT_TRUE(openSession(QStringLiteral("bert"))->Projects().GetProjectInfo(info, telefoonlijst));
    EXPECT_FALSE(info->value(info->fieldIndex(QStringLiteral("CheckedOut"))).toBool());

    // An unknown location: said so, the control covered, nothing built or clicked.
    spy->clear();
    prompts->expectMessage();
    EXPECT_TRUE(control->ControlInSelectFileMode(99999, QString()));
    EXPECT_EQ(prompts->messages(), QStringList{QStringLiteral("Aangegeven RootID (99999) bestaat niet!")});
    EXPECT_TRUE(control->isOverlayShown() && control->Initialized);
    EXPECT_EQ(stateOf(*control).ControlMode, ControlState::ModeSelectFile);
    EXPECT_EQ(treeModelOf(*control)->rowCount(), 0);
    EXPECT_TRUE(spy->isEmpty());
}

TEST_F(ModesOverStoreTest, AcceptableFilesLimitTheListFromItsNextRefill)
{
    connectAs(QStringLiteral("anna"));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(brugNoord, QString(), true));
    // Lees mij.txt lies elsewhere: accepting it adds nothing here.
    control->SetAcceptableProjects(QStringLiteral("%1|%2|%3").arg(offerte).arg(leesMij).arg(notulen));
    EXPECT_EQ(fileNames().size(), 3);
    control->RefreshListView();
    EXPECT_EQ(fileNames(), (QStringList{QStringLiteral("Notulen.txt"), QStringLiteral("Offerte.txt")}));
    // The filter holds for other locations and modes as well.
    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("bert"), QStringLiteral("Bert")));
    EXPECT_EQ(fileNames(), QStringList{QStringLiteral("Offerte.txt")});
}

} // namespace
