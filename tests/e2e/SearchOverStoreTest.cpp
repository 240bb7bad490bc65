// The search field over the real embedded store: its results are a location of their own,
// on whose rows every command works.
#include "StoreControlFixture.h"
#include "support/TestHelpers.h"

#include "core/FileManUIInternals.h"
#include "list/FileListModel.h"
#include "properties/frmGeneralProjectProperties.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"

#include <QAction>
#include <QMenu>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {
class SearchOverStoreTest : public StoreControlFixture {
protected:
    // Clicks the row of this file and right-clicks it, as the user opens the popup menu on it.
    QAction *rightClick(const QString &fileName, PopupEntry entry)
    {
        const QPoint at = control->lvListView->visualRect(listModelOf(*control)->index(listRowOf(*control, fileName), 0)).center();
        QTest::mouseClick(control->lvListView->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(control->lvListView->viewport(), Qt::RightButton, {}, at);
        viewOf(*control).popupMenu().mnuPopUp()->hide();
        return viewOf(*control).popupMenu().action(entry);
    }
    // Picks the entry of the row's popup menu, which must be shown and enabled.
    void choose(const QString &fileName, PopupEntry entry)
    {
        QAction *action = rightClick(fileName, entry);
        ASSERT_TRUE(action->isVisible() && action->isEnabled()) << popupEntryName(entry).toStdString();
        action->trigger();
    }
    QString cell(const QString &fileName, int column) const
    {
        const int row = listRowOf(*control, fileName);
        return row < 0 ? QStringLiteral("<geen rij>")
                       : listModelOf(*control)->index(row, column).data().toString();
    }
};
} // namespace

TEST_F(SearchOverStoreTest, ResultsAreALocationForEveryCommandAndFollowOthers)
{
    control = connectControl(QStringLiteral("anna"));
    control->AllowPopupMenu = true;
    ASSERT_TRUE(control->ControlInRootMode());
    ASSERT_TRUE(showUncovered(*control, 900, 600));
    clickPath(*control, QStringLiteral("Applicaties/Projecten/Kantoor"));
    ASSERT_TRUE(control->txtZoeken->isVisible());
    QSignalSpy shown(control.get(), &FileManUI::SearchResultsShown);
    EventLog events;
    events.record(control.get());

    // Typed in the field: a node of their own after the tree's top, the folder of each file.
    QTest::keyClicks(control->txtZoeken, QStringLiteral("TXT"));
    QTest::keyClick(control->txtZoeken, Qt::Key_Return);
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.first(), (QVariantList{QStringLiteral("TXT"), 6}));
    EXPECT_EQ(childTexts(*control, QModelIndex()), QStringList({"Applicaties", "Zoekresultaten: TXT"}));
    EXPECT_EQ(control->GetCurrentLocationDescription(), QStringLiteral("Zoekresultaten: TXT"));
    EXPECT_EQ(fileNames(), QStringList({"Begroting.txt", "Jaarverslag.txt", "Lees mij.txt", "Notulen.txt",
                                        "Offerte.txt", "Telefoonlijst.txt"}));
    EXPECT_EQ(listModelOf(*control)->headerData(FileListModel::ColFolder, Qt::Horizontal).toString(), "Map");
    EXPECT_EQ(cell("Notulen.txt", FileListModel::ColFolder), QStringLiteral("Projecten/Brug Noord"));
    EXPECT_EQ(cell("Offerte.txt", FileListModel::ColUser), QStringLiteral("bert"));
    EXPECT_EQ(listModelOf(*control)->index(listRowOf(*control, "Offerte.txt"), 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("in gebruik sinds vandaag"));

    // Check out, check in, view and properties on a result row.
    const QString working = QDir(workingRoot("anna")).filePath(QStringLiteral("Projecten/Brug Noord/Notulen.txt"));
    choose(QStringLiteral("Notulen.txt"), PopupEntry::ProjectBewerken);
    EXPECT_EQ(events, QStringList{QStringLiteral("FileCheckOut(%1, %2)").arg(QDir::toNativeSeparators(working)).arg(notulen)});
    EXPECT_EQ(cell("Notulen.txt", FileListModel::ColUser), QStringLiteral("anna"));
    choose(QStringLiteral("Notulen.txt"), PopupEntry::ProjectTerugzetten);
    EXPECT_EQ(events.last(), QStringLiteral("FileCheckIn(%1)").arg(notulen));
    EXPECT_EQ(cell("Notulen.txt", FileListModel::ColUser), QString());
    choose(QStringLiteral("Begroting.txt"), PopupEntry::ProjectBekijken);
    EXPECT_TRUE(events.last().startsWith(QStringLiteral("FileOpen(")) && events.last().endsWith(
        QStringLiteral("Begroting.txt, %1)").arg(begroting))) << events.last().toStdString();
    prompts->expectDialog([](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Telefoonlijst.txt Eigenschappen"));
        return 0;
    });
    choose(QStringLiteral("Telefoonlijst.txt"), PopupEntry::ProjectEigenschappen);
    const QPoint begrotingAt =
        control->lvListView->visualRect(listModelOf(*control)->index(listRowOf(*control, "Begroting.txt"), 0)).center();
    QTest::mouseClick(control->lvListView->viewport(), Qt::LeftButton, {}, begrotingAt);
    QTest::mouseDClick(control->lvListView->viewport(), Qt::LeftButton, {}, begrotingAt);
    EXPECT_EQ(events.last(), QStringLiteral("FileOpen(%1, %2)")
                                 .arg(QDir::toNativeSeparators(QDir(workingRoot("anna")).filePath("Projecten/Brug Noord/Begroting.txt")))
                                 .arg(begroting));
    // Search results are no location to add files or paste them to.
    choose(QStringLiteral("Lees mij.txt"), PopupEntry::ProjectKopieren);
    EXPECT_FALSE(rightClick(QStringLiteral("Lees mij.txt"), PopupEntry::ProjectToevoegen)->isEnabled());
    EXPECT_FALSE(viewOf(*control).popupMenu().action(PopupEntry::ProjectPlakken)->isEnabled());

    // Another program checks a result out: the row follows within a second.
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkout"), telefoonlijst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cell("Telefoonlijst.txt", FileListModel::ColUser) == "bert"; }, 1000));
    EXPECT_EQ(control->GetCurrentProjectDescription(), QStringLiteral("Lees mij.txt")) << "the selection stays";

    // Escape leaves the results for the location selected before; the list loses the column.
    QTest::keyClick(control->lvListView, Qt::Key_Escape);
    EXPECT_EQ(childTexts(*control, QModelIndex()), QStringList{"Applicaties"});
    EXPECT_EQ(control->GetCurrentLocationID(), kantoor);
    EXPECT_EQ(listModelOf(*control)->columnCount(), int(FileListModel::ColumnCount));

    // A host's search, left by a click on a node of the tree.
    ASSERT_TRUE(control->SearchProjects(QStringLiteral("prijzen")));
    EXPECT_EQ(fileNames(), QStringList{"Offerte.txt"});
    EXPECT_EQ(control->txtZoeken->text(), QStringLiteral("prijzen"));
    const QModelIndex node = locationTreeOf(*control)->FindNode(QString::number(projecten) + 'P');
    QTest::mouseClick(control->tvTreeView->viewport(), Qt::LeftButton, {}, control->tvTreeView->visualRect(node).center());
    EXPECT_EQ(childTexts(*control, QModelIndex()), QStringList{"Applicaties"});
    EXPECT_FALSE(control->SearchProjects(QStringLiteral("  ")));
}
