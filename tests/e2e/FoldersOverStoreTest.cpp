// Folder operations through the tree's popup entries on the real embedded store: the
// folders on disk and the nodes of the tree follow what the store decided.
#include "StoreControlFixture.h"

#include "SessionRegistry.h"
#include "support/TestHelpers.h"
#include "tree/FolderCommands.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class FoldersOverStoreTest : public StoreControlFixture {
protected:
    QString folderOnDisk(qint32 location) const
    {
        LocationsService &locations = SessionRegistry::current()->Locations();
        return QDir(locations.GetServerRootFolder()).filePath(locations.GetLocationPath(location));
    }
    // Renames the selected node in place as the user does: the entry, typing, Enter.
    void renameTo(const QString &text)
    {
        folderCommandsOf(*control).mnuPopupMappenNaamWijzigen_Click();
        auto *editor = control->tvTreeView->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor hands its text over, then goes, through posted events.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QModelIndex selected() const { return locationTreeOf(*control)->selectedNode(); }

};

TEST_F(FoldersOverStoreTest, NewRenamedAndDeletedFolderOnDiskAndInTheTreeAndRefusalsChangeNothing)
{
    control = connectControl(QStringLiteral("bert"));
    ASSERT_TRUE(control->ControlInRootMode());
    ASSERT_TRUE(showUncovered(*control));
    clickPath(*control, QStringLiteral("Applicaties/Projecten/Brug Noord"));
    const QModelIndex brug = selected();

    prompts->expectInput(QStringLiteral("  Details  "));
    folderCommandsOf(*control).mnuPopUpMappenNieuweMap_Click();
    LocationTreeModel &tree = *treeModelOf(*control);
    const QModelIndex made = selected();
    ASSERT_EQ(made.parent(), brug);
    EXPECT_EQ(tree.text(made), QStringLiteral("Details"));
    EXPECT_EQ(tree.image(made), LocationTreeModel::ImageNewFolder);
    const qint32 id = tree.key(made).chopped(1).toInt();
    EXPECT_TRUE(QDir(folderOnDisk(id)).exists()) << folderOnDisk(id).toStdString();
    // Expanding loaded the other sub-folder without adding the new one twice.
    EXPECT_EQ(childTexts(*control, brug), (QStringList{QStringLiteral("Details"), QStringLiteral("Tekeningen")}));

    const QString before = folderOnDisk(id);
    renameTo(QStringLiteral("Ontwerp"));
    EXPECT_EQ(tree.text(tree.findNode(tree.key(made))), QStringLiteral("Ontwerp"));
    EXPECT_FALSE(QDir(before).exists());
    EXPECT_TRUE(QDir(folderOnDisk(id)).exists());
    EXPECT_TRUE(folderOnDisk(id).endsWith(QStringLiteral("Ontwerp")));
    EXPECT_EQ(control->lblTitle[1]->text(), QStringLiteral("Applicaties\\Projecten\\Brug Noord\\Ontwerp"));

    // A name the store refuses: the old text stays, no message, the disk unchanged.
    renameTo(QStringLiteral("a/b"));
    EXPECT_EQ(tree.text(tree.findNode(QString::number(id) + QLatin1Char('C'))), QStringLiteral("Ontwerp"));
    EXPECT_TRUE(QDir(folderOnDisk(id)).exists());

    locationTreeOf(*control)->selectNode(tree.findNode(QString::number(id) + QLatin1Char('C')));
    const QString renamed = folderOnDisk(id);
    folderCommandsOf(*control).mnuPopupMappenVerwijderMap_Click();
    EXPECT_FALSE(tree.findNode(QString::number(id) + QLatin1Char('C')).isValid());
    EXPECT_FALSE(QDir(renamed).exists());

    // Top nodes are never renamed: no editor opens.
    clickPath(*control, QStringLiteral("Applicaties/Projecten"));
    folderCommandsOf(*control).mnuPopupMappenNaamWijzigen_Click();
    EXPECT_EQ(control->tvTreeView->findChild<QLineEdit *>(), nullptr);

    // A folder that holds files is not deleted; a blank name creates nothing.
    clickPath(*control, QStringLiteral("Applicaties/Projecten/Brug Noord"));
    folderCommandsOf(*control).mnuPopupMappenVerwijderMap_Click();
    EXPECT_TRUE(tree.findNode(QString::number(brugNoord) + QLatin1Char('C')).isValid());
    EXPECT_TRUE(QDir(folderOnDisk(brugNoord)).exists());
    const QStringList children = childTexts(*control, selected());
    prompts->expectInput(QStringLiteral("   "));
    folderCommandsOf(*control).mnuPopUpMappenNieuweMap_Click();
    EXPECT_EQ(childTexts(*control, selected()), children);
}

} // namespace
