// Copy, cut and paste, rename, delete and undo of a check-out through the popup menu of a
// control on the real embedded store, with the files on disk checked after each step.
#include "StoreControlFixture.h"

#include "StoreFolders.h"
#include "clipboard/ClipboardCommands.h"
#include "core/Keys.h"
#include "SessionRegistry.h"
#include "filecommands/FileCommands.h"
#include "list/FileListModel.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "core/FileManUIInternals.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class FileOperationsOverStoreTest : public StoreControlFixture {
protected:
    void SetUp() override
    {
        StoreControlFixture::SetUp();
        control = connectControl(QStringLiteral("anna"));
        ASSERT_TRUE(control->ControlInRootMode());
    }
    // Shows a location of Projecten, selects a file in it (if given) and picks a popup entry
    // (if given) as the user does: only an enabled entry acts. The list's names after it.
    QStringList act(const QString &location, const QString &file = {}, std::optional<PopupEntry> entry = {})
    {
        clickPath(*control, QStringLiteral("Applicaties/Projecten/") + location);
        const int row = listRowOf(*control, file);
        if (row >= 0)
            control->lvListView->selectionModel()->setCurrentIndex(
                listModelOf(*control)->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (entry) {
            viewOf(*control).popup().SetPopupMenuState(false, row >= 0, true);
            QAction *action = viewOf(*control).popupMenu().action(*entry);
            EXPECT_TRUE(action->isEnabled()) << popupEntryName(*entry).toStdString();
            if (action->isEnabled())
                action->trigger();
        }
        return fileNames();
    }
    QByteArray onServer(const QString &location, const QString &file) const
    {
        return readFile(store::StoreFolders::rootFolder(storeFolder(), catalogue) + "/Projecten/" + location + '/' + file);
    }

    const QString brug = QStringLiteral("Brug Noord"), kantoor = QStringLiteral("Kantoor");
};

TEST_F(FileOperationsOverStoreTest, CopyCutAndPasteBetweenAndWithinLocations)
{
    act(brug, "Begroting.txt", PopupEntry::ProjectKopieren);
    EXPECT_EQ(act(kantoor, {}, PopupEntry::ProjectPlakken), QStringList({"Begroting.txt", "Telefoonlijst.txt"}));
    EXPECT_EQ(onServer(kantoor, "Begroting.txt"), "Post 1\n");
    EXPECT_EQ(onServer(brug, "Begroting.txt"), "Post 1\n");
    RecordsetPtr history;
    const qint32 copy = IdOfKey(listModelOf(*control)->row(0).key);
    ASSERT_TRUE(SessionRegistry::current()->Projects().GetProjectHistory(history, copy));
    EXPECT_TRUE(history->value(QStringLiteral("Description")).toString().startsWith("Gekopieerd van"));
    // Pasted once: a second paste changes nothing.
    clipboardCommandsOf(*control).PasteProject();
    EXPECT_EQ(act(kantoor).size(), 2);

    // Cut and paste moves the files the store copies; one it refuses (its name is taken
    // there) stays where it was. Cut and paste into its own location changes nothing.
    QGuiApplication::clipboard()->setText(QString("DwF_Cut?%1;%2|%1;%3|").arg(brugNoord).arg(notulen).arg(begroting));
    const QStringList moved{"Begroting.txt", "Notulen.txt", "Telefoonlijst.txt"};
    EXPECT_EQ(act(kantoor, {}, PopupEntry::ProjectPlakken), moved);
    EXPECT_EQ(onServer(brug, "Notulen.txt"), "<ontbreekt>");
    EXPECT_EQ(onServer(brug, "Begroting.txt"), "Post 1\n");
    EXPECT_EQ(onServer(kantoor, "Notulen.txt"), "1. Opening\n");
    act(kantoor, "Notulen.txt", PopupEntry::ProjectKnippen);
    EXPECT_EQ(act(kantoor, {}, PopupEntry::ProjectPlakken), moved);
    // A cut of the file bert has in use moves nothing: the copy goes again, and anna is told.
    act(brug, "Offerte.txt", PopupEntry::ProjectKnippen);
    prompts->expectMessage();
    EXPECT_EQ(act(kantoor, {}, PopupEntry::ProjectPlakken), moved);
    EXPECT_TRUE(prompts->messages().last().endsWith(":\r\n\r\nOfferte.txt")) << prompts->messages().last().toStdString();
    EXPECT_EQ(onServer(brug, "Offerte.txt"), "Staalwerk\n");
    EXPECT_EQ(onServer(kantoor, "Offerte.txt"), "<ontbreekt>");

    // A copy pasted into its own location is stored under the name the user gives.
    act(brug, "Begroting.txt", PopupEntry::ProjectKopieren);
    prompts->expectInput(QStringLiteral("Begroting 2.txt"));
    EXPECT_EQ(act(brug, {}, PopupEntry::ProjectPlakken),
              QStringList({"Begroting 2.txt", "Begroting.txt", "Offerte.txt"}));
    EXPECT_EQ(onServer(brug, "Begroting 2.txt"), "Post 1\n");
}

TEST_F(FileOperationsOverStoreTest, RenameDeleteAndUndoOfACheckOut)
{
    prompts->expectInput(QStringLiteral("Raming.txt"));
    EXPECT_EQ(act(brug, "Begroting.txt", PopupEntry::ProjectNaamWijzigen),
              QStringList({"Notulen.txt", "Offerte.txt", "Raming.txt"}));
    EXPECT_EQ(onServer(brug, "Raming.txt"), "Post 1\n");
    EXPECT_EQ(onServer(brug, "Begroting.txt"), "<ontbreekt>");

    // Bert has Offerte.txt (the menu leaves the entry off): the store refuses, and the
    // name typed is proposed again without a word, until the user gives up.
    act(brug, "Offerte.txt");
    prompts->expectInput(QStringLiteral("Prijzen.txt")).expectInput(std::nullopt);
    fileCommandsOf(*control).NaamWijzigenProject();
    EXPECT_EQ(prompts->shown().back().defaultText, QStringLiteral("Prijzen.txt"));
    EXPECT_TRUE(prompts->messages().isEmpty());
    EXPECT_EQ(onServer(brug, "Offerte.txt"), "Staalwerk\n");

    prompts->expectMessage(Prompts::Answer::No);
    EXPECT_EQ(act(brug, "Notulen.txt", PopupEntry::ProjectVerwijderen).size(), 3);
    prompts->expectMessage(Prompts::Answer::Yes);
    EXPECT_EQ(act(brug, "Notulen.txt", PopupEntry::ProjectVerwijderen), QStringList({"Offerte.txt", "Raming.txt"}));
    EXPECT_EQ(onServer(brug, "Notulen.txt"), "<ontbreekt>");

    // Anna takes Raming.txt, changes her copy and undoes the check-out: her copy is the
    // server's again (her change kept aside) and Bert can take the file.
    act(brug, "Raming.txt", PopupEntry::ProjectBewerken);
    QFile working(QDir(workingRoot("anna")).filePath("Projecten/Brug Noord/Raming.txt"));
    ASSERT_TRUE(working.open(QIODevice::WriteOnly | QIODevice::Truncate));
    working.write("gewijzigd\n");
    working.close();
    prompts->expectMessage(Prompts::Answer::Yes);
    act(brug, "Raming.txt", PopupEntry::UndoCheckOut);
    ASSERT_TRUE(working.open(QIODevice::ReadOnly));
    EXPECT_EQ(working.readAll(), "Post 1\n");
    EXPECT_EQ(QFileInfo(working).dir().entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(openSession(QStringLiteral("bert"))->Projects().CheckOutProject(begroting, QString()));
}

} // namespace
