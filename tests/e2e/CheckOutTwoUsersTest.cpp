// Two users, each with a control of their own, take one file of the real embedded store in
// use and give it back, through the control's popup menu and tool bar.
#include "StoreControlFixture.h"
#include "support/TestHelpers.h"

#include "StoreFolders.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "view/ViewLayout.h"
#include "core/FileManUIInternals.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QSysInfo>
#include <QToolBar>
#include <QTreeView>

#include <map>

using namespace dwfm;
using namespace dwfm::test;

namespace {

// One user at the store: a control connected as that user, the session its connection
// made, and the events the control raised.
struct Desk {
    std::unique_ptr<FileManUI> control;
    FileStoreSessionPtr session;
    EventLog events;
};

// Both controls show Brug Noord; each user's actions run with that user's session made the
// process's, as two controls of one program share the one session reference.
class CheckOutTwoUsersTest : public StoreControlFixture {
protected:
    void SetUp() override
    {
        StoreControlFixture::SetUp();
        for (const QString &user : {QStringLiteral("anna"), QStringLiteral("bert")}) {
            Desk &desk = desks[user];
            desk.control = connectControl(user);
            desk.session = SessionRegistry::current();
            desk.control->AllowPopupMenu = true;
            desk.events.record(desk.control.get());
            ASSERT_TRUE(desk.control->ControlInSpecificLocationMode(brugNoord, QString(), true));
        }
    }
    void TearDown() override
    {
        desks.clear();
        StoreControlFixture::TearDown();
    }

    // Makes the user's session the process's, selects Notulen.txt in that user's list and
    // sets the popup menu as a right-click on the row does.
    Desk &rightClick(const QString &user)
    {
        Desk &desk = desks.at(user);
        SessionRegistry::setCurrent(desk.session);
        desk.control->RefreshListView();
        const int row = listRowOf(*desk.control, QStringLiteral("Notulen.txt"));
        EXPECT_GE(row, 0);
        desk.control->lvListView->selectionModel()->setCurrentIndex(
            listModelOf(*desk.control)->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        viewOf(*desk.control).popup().SetPopupMenuState(false, true, true);
        return desk;
    }
    // Runs a popup entry the way the user picks it: only a visible, enabled entry runs.
    void choose(const QString &user, PopupEntry which)
    {
        QAction *action = viewOf(*rightClick(user).control).popupMenu().action(which);
        ASSERT_TRUE(action && action->isVisible() && action->isEnabled());
        action->trigger();
    }
    void press(const QString &user, const QString &button)
    {
        for (QAction *action : viewOf(*rightClick(user).control).layout().tbToolbar->actions()) {
            if (action->objectName() == button)
                return action->trigger();
        }
        FAIL() << "no button " << button.toStdString();
    }
    const FileListRow &row(const QString &user)
    {
        const FileListModel &list = *listModelOf(*desks.at(user).control);
        return list.row(listRowOf(*desks.at(user).control, QStringLiteral("Notulen.txt")));
    }
    QString workingCopy(const QString &user) const
    {
        return QDir(workingRoot(user)).filePath(QStringLiteral("Projecten/Brug Noord/Notulen.txt"));
    }
    QString event(const char *name, const QString &path) const
    {
        return QStringLiteral("%1(%2, %3)").arg(QLatin1String(name), QDir::toNativeSeparators(path)).arg(notulen);
    }

    std::map<QString, Desk> desks;
};

TEST_F(CheckOutTwoUsersTest, AnnaChecksOutEditsAndChecksInThenBertTakesTheFile)
{
    const QString anna = QStringLiteral("anna"), bert = QStringLiteral("bert");
    const QString serverFile =
        store::StoreFolders::rootFolder(storeFolder(), catalogue) + QStringLiteral("/Projecten/Brug Noord/Notulen.txt");
    const QColor blue(0, 0, 255);
    const QColor grey = desks[bert].control->lvListView->palette().color(QPalette::Dark);

    // Anna opens the file from the popup menu: a working copy of the server's version.
    const QString before = QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yy HH:mm"));
    choose(anna, PopupEntry::ProjectOpenen);
    const QString after = QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yy HH:mm"));
    EXPECT_EQ(desks[anna].events, QStringList{event("FileOpen", workingCopy(anna))});
    EXPECT_EQ(readFile(workingCopy(anna)), "1. Opening\n");

    // Anna's list shows the file as hers, in blue, with when, on which computer and where.
    const FileListRow annasRow = row(anna);
    EXPECT_EQ(annasRow.foreColor, blue);
    EXPECT_EQ(annasRow.subItems[0], anna);
    EXPECT_TRUE(annasRow.subItems[1] == before || annasRow.subItems[1] == after) << annasRow.subItems[1].toStdString();
    const QString computer = QLatin1Char('[') + QSysInfo::machineHostName() + QLatin1Char(']');
    EXPECT_TRUE(annasRow.subItems[2].startsWith(computer)) << annasRow.subItems[2].toStdString();
    EXPECT_EQ(QDir::cleanPath(annasRow.subItems[2].mid(computer.size())), QFileInfo(workingCopy(anna)).absolutePath());
    EXPECT_EQ(annasRow.tag & 2, 2);

    // Bert sees the same row in grey, with Anna's name, and cannot take the file.
    press(bert, QStringLiteral("bewerkenproject"));
    EXPECT_EQ(row(bert).foreColor, grey);
    EXPECT_EQ(row(bert).subItems, annasRow.subItems);
    EXPECT_EQ(row(bert).tag & 2, 0);
    EXPECT_TRUE(desks[bert].events.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(workingCopy(bert)));

    // Anna edits her copy and gives the file back with the tool bar.
    QFile edit(workingCopy(anna));
    ASSERT_TRUE(edit.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edit.write("versie 2 van anna\n");
    edit.close();
    press(anna, QStringLiteral("terugzettenproject"));
    EXPECT_EQ(desks[anna].events.mid(1), QStringList{QStringLiteral("FileCheckIn(%1)").arg(notulen)});
    EXPECT_EQ(readFile(serverFile), "versie 2 van anna\n");
    EXPECT_FALSE(QFileInfo::exists(workingCopy(anna)));
    EXPECT_FALSE(row(anna).foreColor.isValid());
    EXPECT_EQ(row(anna).subItems, (std::array<QString, 4>{}));
    // After the addition, both of Anna's actions, each with the empty remark the control
    // hands the store.
    RecordsetPtr rs;
    ASSERT_TRUE(desks[anna].session->Projects().GetProjectHistory(rs, notulen));
    QStringList log;
    for (; !rs->isEof(); rs->moveNext())
        log << QStringLiteral("%1|%2|%3").arg(rs->value(QStringLiteral("Description")).toString(),
                                              rs->value(QStringLiteral("UserName")).toString(),
                                              rs->value(QStringLiteral("Memo")).toString());
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Toegevoegd|anna|"))) << log[0].toStdString();
    EXPECT_EQ(log.mid(1), (QStringList{QStringLiteral("In gebruik genomen|anna|"), QStringLiteral("Vrijgegeven|anna|")}));

    // Now Bert takes it from the popup menu, without opening it, and gets Anna's version.
    choose(bert, PopupEntry::ProjectBewerken);
    EXPECT_EQ(desks[bert].events, QStringList{event("FileCheckOut", workingCopy(bert))});
    EXPECT_EQ(readFile(workingCopy(bert)), "versie 2 van anna\n");
    EXPECT_EQ(row(bert).foreColor, blue);
    rightClick(anna);
    EXPECT_EQ(row(anna).subItems[0], bert);
    EXPECT_EQ(row(anna).foreColor, grey);
}

TEST_F(CheckOutTwoUsersTest, FilesOfOneCheckOutGoTogetherAndRaiseTheirEventsInListOrder)
{
    // Begroting, Offerte (bert has it) and Notulen, taken in one go from the tool bar.
    Desk &desk = desks.at(QStringLiteral("anna"));
    SessionRegistry::setCurrent(desk.session);
    desk.control->RefreshListView();
    selectRows(desk.control->lvListView, {listRowOf(*desk.control, QStringLiteral("Begroting.txt")),
                                          listRowOf(*desk.control, QStringLiteral("Offerte.txt")),
                                          listRowOf(*desk.control, QStringLiteral("Notulen.txt"))});
    for (QAction *action : viewOf(*desk.control).layout().tbToolbar->actions()) {
        if (action->objectName() == QLatin1String("bewerkenproject"))
            action->trigger();
    }
    const QString folder = QDir::toNativeSeparators(QDir(workingRoot(QStringLiteral("anna"))).filePath(QStringLiteral("Projecten/Brug Noord")));
    EXPECT_EQ(desk.events, (QStringList{QStringLiteral("FileCheckOut(%1%2Begroting.txt, %3)").arg(folder, QDir::separator()).arg(begroting),
                                        QStringLiteral("FileCheckOut(%1%2Notulen.txt, %3)").arg(folder, QDir::separator()).arg(notulen)}));
    RecordsetPtr held;
    ASSERT_TRUE(desk.session->Projects().GetProjectsOfUser(held, QStringLiteral("anna")));
    QStringList names;
    for (; !held->isEof(); held->moveNext())
        names << held->value(QStringLiteral("FileName")).toString();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Begroting.txt"), QStringLiteral("Notulen.txt")}));
    EXPECT_EQ(readFile(workingCopy(QStringLiteral("anna"))), "1. Opening\n");
}

} // namespace
