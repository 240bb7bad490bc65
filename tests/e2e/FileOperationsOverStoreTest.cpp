// Copy, cut and paste, rename, delete and undo of a check-out through the popup menu of a
// control on the real embedded store, with the files on disk checked after each step.
#include "StoreControlFixture.h"

#include "StoreFolders.h"
#include "clipboard/ClipboardCommands.h"
#include "core/Keys.h"
#include "core/session/SessionRegistry.h"
#include "filecommands/FileCommands.h"
#include "list/FileListModel.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
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
        control->AllowPopupMenu = true;
        ASSERT_TRUE(control->ControlInRootMode());
    }
    void TearDown() override
    {
        control.reset();
        StoreControlFixture::TearDown();
    }
    // Shows a location ("Brug Noord", "Kantoor") and selects a file in it, if given.
    void show(const QString &location, const QString &file = QString())
    {
        clickPath(*control, QStringLiteral("Applicaties/Projecten/") + location);
        if (!file.isEmpty()) {
            const int row = listRowOf(*control, file);
            ASSERT_GE(row, 0) << file.toStdString();
            control->lvListView->selectionModel()->setCurrentIndex(
                control->listModel()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    // Picks a popup entry as the user does: only an enabled entry acts.
    void choose(PopupEntry entry)
    {
        control->view().popup().SetPopupMenuState(false, control->lvListView->selectionModel()->hasSelection(), true);
        QAction *action = control->view().popupMenu().action(entry);
        ASSERT_TRUE(action->isVisible() && action->isEnabled()) << popupEntryName(entry).toStdString();
        action->trigger();
    }
    QStringList names() const
    {
        QStringList texts;
        for (const FileListRow &row : control->listModel()->rows())
            texts << row.text;
        texts.sort();
        return texts;
    }
    QString onServer(const QString &location, const QString &file) const
    {
        return store::StoreFolders::rootFolder(storeFolder(), catalogue) + QStringLiteral("/Projecten/") + location +
               QLatin1Char('/') + file;
    }
    static QByteArray content(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ontbreekt>");
    }

    std::unique_ptr<FileManUI> control;
};

TEST_F(FileOperationsOverStoreTest, CopyCutAndPasteBetweenAndWithinLocations)
{
    const QString brug = QStringLiteral("Brug Noord"), kantoor = QStringLiteral("Kantoor");
    show(brug, QStringLiteral("Begroting.txt"));
    choose(PopupEntry::ProjectKopieren);
    show(kantoor);
    choose(PopupEntry::ProjectPlakken);
    EXPECT_EQ(names(), QStringList({"Begroting.txt", "Telefoonlijst.txt"}));
    EXPECT_EQ(content(onServer(kantoor, QStringLiteral("Begroting.txt"))), "Post 1\n");
    EXPECT_EQ(content(onServer(brug, QStringLiteral("Begroting.txt"))), "Post 1\n");
    RecordsetPtr history;
    const qint32 copy = IdOfKey(control->listModel()->row(listRowOf(*control, QStringLiteral("Begroting.txt"))).key);
    ASSERT_TRUE(SessionRegistry::current()->Projects().GetProjectHistory(history, copy));
    EXPECT_TRUE(history->value(QStringLiteral("Description")).toString().startsWith(QStringLiteral("Gekopieerd van")));

    // The list was pasted once: the entry is off and a paste changes nothing.
    control->view().popup().SetPopupMenuState(false, false, true);
    EXPECT_FALSE(control->view().popupMenu().action(PopupEntry::ProjectPlakken)->isEnabled());
    control->clipboardCommands().PasteProject();
    EXPECT_EQ(names().size(), 2);

    // Cut and paste moves the file; cut and paste into its own location changes nothing.
    show(brug, QStringLiteral("Notulen.txt"));
    choose(PopupEntry::ProjectKnippen);
    show(kantoor);
    choose(PopupEntry::ProjectPlakken);
    EXPECT_EQ(names(), QStringList({"Begroting.txt", "Notulen.txt", "Telefoonlijst.txt"}));
    EXPECT_FALSE(QFile::exists(onServer(brug, QStringLiteral("Notulen.txt"))));
    EXPECT_EQ(content(onServer(kantoor, QStringLiteral("Notulen.txt"))), "1. Opening\n");
    show(kantoor, QStringLiteral("Notulen.txt"));
    choose(PopupEntry::ProjectKnippen);
    choose(PopupEntry::ProjectPlakken);
    EXPECT_EQ(names(), QStringList({"Begroting.txt", "Notulen.txt", "Telefoonlijst.txt"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());

    // A copy pasted into its own location is stored under the name the user gives.
    show(brug, QStringLiteral("Begroting.txt"));
    choose(PopupEntry::ProjectKopieren);
    prompts->expectInput(QStringLiteral("Begroting 2.txt"));
    choose(PopupEntry::ProjectPlakken);
    EXPECT_EQ(names(), QStringList({"Begroting 2.txt", "Begroting.txt", "Offerte.txt"}));
    EXPECT_EQ(content(onServer(brug, QStringLiteral("Begroting 2.txt"))), "Post 1\n");
}

TEST_F(FileOperationsOverStoreTest, RenameDeleteAndUndoOfACheckOut)
{
    const QString brug = QStringLiteral("Brug Noord");
    show(brug, QStringLiteral("Begroting.txt"));
    prompts->expectInput(QStringLiteral("Raming.txt"));
    choose(PopupEntry::ProjectNaamWijzigen);
    EXPECT_EQ(names(), QStringList({"Notulen.txt", "Offerte.txt", "Raming.txt"}));
    EXPECT_EQ(content(onServer(brug, QStringLiteral("Raming.txt"))), "Post 1\n");
    EXPECT_FALSE(QFile::exists(onServer(brug, QStringLiteral("Begroting.txt"))));

    // Bert has Offerte.txt (the menu leaves the entry off): the store refuses and says why.
    show(brug, QStringLiteral("Offerte.txt"));
    prompts->expectInput(QStringLiteral("Prijzen.txt")).expectMessage();
    control->fileCommands().NaamWijzigenProject();
    EXPECT_TRUE(prompts->messages().last().contains(QStringLiteral("in gebruik bij bert")))
        << prompts->messages().last().toStdString();
    EXPECT_TRUE(QFile::exists(onServer(brug, QStringLiteral("Offerte.txt"))));

    show(brug, QStringLiteral("Notulen.txt"));
    prompts->expectMessage(Prompts::Answer::No);
    choose(PopupEntry::ProjectVerwijderen);
    EXPECT_TRUE(QFile::exists(onServer(brug, QStringLiteral("Notulen.txt"))));
    prompts->expectMessage(Prompts::Answer::Yes);
    choose(PopupEntry::ProjectVerwijderen);
    EXPECT_EQ(names(), QStringList({"Offerte.txt", "Raming.txt"}));
    EXPECT_FALSE(QFile::exists(onServer(brug, QStringLiteral("Notulen.txt"))));

    // Anna takes Raming.txt, changes her copy, and undoes the check-out: her copy is the
    // server's again (her change kept aside) and Bert can take the file.
    show(brug, QStringLiteral("Raming.txt"));
    choose(PopupEntry::ProjectBewerken);
    const QString working =
        QDir(workingRoot(QStringLiteral("anna"))).filePath(QStringLiteral("Projecten/Brug Noord/Raming.txt"));
    QFile edit(working);
    ASSERT_TRUE(edit.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edit.write("gewijzigd\n");
    edit.close();
    show(brug, QStringLiteral("Raming.txt"));
    prompts->expectMessage(Prompts::Answer::Yes);
    choose(PopupEntry::UndoCheckOut);
    EXPECT_EQ(content(working), "Post 1\n");
    EXPECT_EQ(QDir(QFileInfo(working).absolutePath()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(openSession(QStringLiteral("bert"))->Projects().CheckOutProject(begroting, QString()));
}

} // namespace
