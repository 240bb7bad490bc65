// Two users, each with a control of their own, take one file of the real embedded store in
// use and give it back, through the control's popup menu and tool bar.
#include "support/ScriptedPrompts.h"

#include "DwFileStore.h"
#include "DwFileStoreSession.h"
#include "admin/StoreAdmin.h"
#include "core/FileManUI.h"
#include "core/session/SessionRegistry.h"
#include "list/FileListModel.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "view/ViewLayout.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPalette>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>

#include <map>
#include <memory>

namespace dwfm::test {
namespace {

const QString kCatalogue = QStringLiteral("Test");
const QString kAnna = QStringLiteral("anna");
const QString kBert = QStringLiteral("bert");
const QString kDateFormat = QStringLiteral("dd-MM-yy HH:mm");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ontbreekt>");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(content), content.size());
}

// One user at the store: a control connected as that user, the session its connection
// made, and the events it raised.
struct UserDesk {
    QString id;
    std::unique_ptr<FileManUI> control;
    FileStoreSessionPtr session;
    std::unique_ptr<QAbstractItemModelTester> listTester;
    QStringList events;
};

// A store in a temporary folder with the location "Projecten", the file "plan.txt" in it,
// and the users anna and bert, whose working folders lie in the same temporary folder.
// Both controls share the one session reference of the process, as two controls of one
// program do; each user's actions run with that user's session made current.
class TwoUsers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString store = m_dir.filePath(QStringLiteral("store"));
        store::StoreAdmin::createStore(store, kCatalogue);
        store::StoreAdmin admin(
            store::DwFileStoreSession::openAsAdministrator(store, kCatalogue, QStringLiteral("beheer")));
        for (const QString &user : {kAnna, kBert}) {
            store::UserChange settings;
            settings.password = user;
            settings.workingRoot = workingRoot(user);
            admin.addUser(user, settings, 1000);
        }
        ASSERT_TRUE(admin.session().Locations().CreateLocation(QStringLiteral("Projecten"), QString(), 0, m_location));
        const QString source = m_dir.filePath(QStringLiteral("bron/plan.txt"));
        writeFile(source, "versie 1\n");
        m_fileID = admin.session().Projects().AddProject(source, m_location, QVariant(), true, true);
        ASSERT_GT(m_fileID, 0) << admin.session().Database().LastError().toStdString();
        m_serverFile = QDir(store).filePath(kCatalogue + QStringLiteral("/Projecten/plan.txt"));
        ASSERT_EQ(readFile(m_serverFile), "versie 1\n");

        store::registerDwFileStore();
        for (const QString &user : {kAnna, kBert})
            openDesk(store, user);
    }

    void TearDown() override
    {
        m_desks.clear();
        SessionRegistry::setCurrent(nullptr);
    }

    QString workingRoot(const QString &user) const { return m_dir.filePath(QStringLiteral("werk/") + user); }

    void openDesk(const QString &store, const QString &user)
    {
        UserDesk &desk = m_desks[user];
        desk.id = user;
        desk.control = std::make_unique<FileManUI>();
        desk.control->resize(900, 600);
        desk.control->AllowPopupMenu = true;
        desk.listTester = std::make_unique<QAbstractItemModelTester>(
            desk.control->listModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        FileManUI *control = desk.control.get();
        QStringList *events = &desk.events;
        QObject::connect(control, &FileManUI::FileOpen, [events](const QString &path, qint32 id) {
            *events << QStringLiteral("FileOpen(%1, %2)").arg(path).arg(id);
        });
        QObject::connect(control, &FileManUI::FileCheckOut, [events](const QString &path, qint32 id) {
            *events << QStringLiteral("FileCheckOut(%1, %2)").arg(path).arg(id);
        });
        QObject::connect(control, &FileManUI::FileCheckIn,
                         [events](qint32 id) { *events << QStringLiteral("FileCheckIn(%1)").arg(id); });
        ASSERT_TRUE(control->SetupConnection(store, user, user, kCatalogue, true));
        // The connection replaced the process's session; keep this user's.
        desk.session = SessionRegistry::current();
        ASSERT_TRUE(control->ControlInSpecificLocationMode(m_location, QStringLiteral("Projecten"), true));
        ASSERT_EQ(control->listModel()->rowCount(), 1);
    }

    // Makes the user's session the process's before that user acts.
    UserDesk &as(const QString &user)
    {
        UserDesk &desk = m_desks.at(user);
        SessionRegistry::setCurrent(desk.session);
        return desk;
    }

    // Selects the file's row and sets the popup menu as the right-click on it does.
    void rightClickFile(UserDesk &desk)
    {
        FileListModel *model = desk.control->listModel();
        const int row = model->findKey(QString::number(m_fileID) + QLatin1Char('P'));
        ASSERT_GE(row, 0);
        desk.control->lvListView->selectionModel()->setCurrentIndex(
            model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        desk.control->view().popup().SetPopupMenuState(false, true, true);
    }

    // Runs a popup entry the way the user picks it: only a visible, enabled entry runs.
    void choose(UserDesk &desk, PopupEntry which)
    {
        rightClickFile(desk);
        QAction *action = desk.control->view().popupMenu().action(which);
        ASSERT_TRUE(action && action->isVisible() && action->isEnabled()) << action->text().toStdString();
        action->trigger();
    }

    void press(UserDesk &desk, const QString &key)
    {
        rightClickFile(desk);
        for (QAction *action : desk.control->view().layout().tbToolbar->actions()) {
            if (action->objectName() == key)
                return action->trigger();
        }
        FAIL() << "no button " << key.toStdString();
    }

    const FileListRow &fileRow(const UserDesk &desk) const
    {
        const FileListModel *model = desk.control->listModel();
        return model->row(model->findKey(QString::number(m_fileID) + QLatin1Char('P')));
    }

    void refresh(const QString &user) { as(user).control->RefreshListView(); }

    // Where the user's working copy of the file lies.
    QString workingCopy(const QString &user) const
    {
        return QDir(workingRoot(user)).filePath(QStringLiteral("Projecten/plan.txt"));
    }
    // An event with a path, as the desks log it.
    QString event(const char *name, const QString &path) const
    {
        return QStringLiteral("%1(%2, %3)").arg(QLatin1String(name), QDir::toNativeSeparators(path)).arg(m_fileID);
    }

    // The store's history of the file, one "action|user|remark" per line.
    QStringList history(const QString &user)
    {
        RecordsetPtr rs;
        EXPECT_TRUE(as(user).session->Projects().GetProjectHistory(rs, m_fileID));
        QStringList lines;
        for (; rs && !rs->isEof(); rs->moveNext()) {
            lines << QStringList{rs->value(QStringLiteral("Description")).toString(),
                                 rs->value(QStringLiteral("UserName")).toString(),
                                 rs->value(QStringLiteral("Memo")).toString()}
                         .join(QLatin1Char('|'));
        }
        if (rs)
            rs->close();
        return lines;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::map<QString, UserDesk> m_desks;
    qint32 m_location = 0;
    qint32 m_fileID = 0;
    QString m_serverFile;
};

TEST_F(TwoUsers, AnnaChecksOutEditsAndChecksInThenBertTakesTheFile)
{
    UserDesk &anna = m_desks.at(kAnna);
    UserDesk &bert = m_desks.at(kBert);
    const QColor blue(0, 0, 255);
    const QColor grey = bert.control->lvListView->palette().color(QPalette::Dark);

    // Anna opens the file from the popup menu: a working copy of the server's version.
    const QString before = QDateTime::currentDateTime().toString(kDateFormat);
    choose(as(kAnna), PopupEntry::ProjectOpenen);
    const QString after = QDateTime::currentDateTime().toString(kDateFormat);
    const QString annasCopy = workingCopy(kAnna);
    EXPECT_EQ(anna.events, QStringList{event("FileOpen", annasCopy)});
    EXPECT_EQ(readFile(annasCopy), "versie 1\n");

    // Anna's list shows the file as hers, in blue, with when, on which computer and where.
    const FileListRow annasRow = fileRow(anna);
    EXPECT_EQ(annasRow.foreColor, blue);
    EXPECT_EQ(annasRow.subItems[0], kAnna);
    EXPECT_TRUE(annasRow.subItems[1] == before || annasRow.subItems[1] == after) << annasRow.subItems[1].toStdString();
    const QString computer = QLatin1Char('[') + QSysInfo::machineHostName() + QLatin1Char(']');
    EXPECT_TRUE(annasRow.subItems[2].startsWith(computer)) << annasRow.subItems[2].toStdString();
    EXPECT_EQ(QDir::cleanPath(annasRow.subItems[2].mid(computer.size())), QFileInfo(annasCopy).absolutePath());
    EXPECT_EQ(annasRow.tag & 2, 2);

    // Bert sees the same row in grey, with Anna's name, and cannot take the file.
    refresh(kBert);
    EXPECT_EQ(fileRow(bert).foreColor, grey);
    EXPECT_EQ(fileRow(bert).subItems, annasRow.subItems);
    EXPECT_EQ(fileRow(bert).tag & 2, 0);
    press(bert, QStringLiteral("bewerkenproject"));
    EXPECT_TRUE(bert.events.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(workingCopy(kBert)));
    EXPECT_EQ(fileRow(bert).subItems[0], kAnna);

    // Anna edits her copy and gives the file back with the tool bar.
    writeFile(annasCopy, "versie 2 van anna\n");
    press(as(kAnna), QStringLiteral("terugzettenproject"));
    EXPECT_EQ(anna.events.mid(1), QStringList{QStringLiteral("FileCheckIn(%1)").arg(m_fileID)});
    EXPECT_EQ(readFile(m_serverFile), "versie 2 van anna\n");
    EXPECT_FALSE(QFileInfo::exists(annasCopy));
    EXPECT_FALSE(fileRow(anna).foreColor.isValid());
    EXPECT_EQ(fileRow(anna).subItems, (std::array<QString, 4>{}));
    // After the addition, both of Anna's actions, each with the empty remark the control
    // hands the store.
    const QStringList log = history(kAnna);
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Toegevoegd|beheer|"))) << log[0].toStdString();
    EXPECT_EQ(log.mid(1),
              (QStringList{QStringLiteral("In gebruik genomen|anna|"), QStringLiteral("Vrijgegeven|anna|")}));

    // Now Bert takes it from the popup menu, without opening it, and gets Anna's version.
    refresh(kBert);
    choose(as(kBert), PopupEntry::ProjectBewerken);
    EXPECT_EQ(bert.events, QStringList{event("FileCheckOut", workingCopy(kBert))});
    EXPECT_EQ(readFile(workingCopy(kBert)), "versie 2 van anna\n");
    EXPECT_EQ(fileRow(bert).foreColor, blue);
    refresh(kAnna);
    EXPECT_EQ(fileRow(anna).subItems[0], kBert);
    EXPECT_EQ(fileRow(anna).foreColor, grey);
}

} // namespace
} // namespace dwfm::test
