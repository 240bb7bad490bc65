#include "StoreControlFixture.h"

#include "DwFileStore.h"
#include "admin/StoreAdmin.h"
#include "ProjectSearch.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTreeView>

namespace dwfm::test {

using store::DwFileStoreSession;
using store::StoreAdmin;
using store::UserChange;

const QString StoreControlFixture::catalogue = QStringLiteral("Proef");

// The other program of actElsewhere: this test program run again with this test only.
TEST(ElsewhereChild, DISABLED_Act)
{
    if (!qEnvironmentVariableIsSet("DW_ELSEWHERE_STORE"))
        GTEST_SKIP();
    DwFileStoreSession s;
    const QString user = qEnvironmentVariable("DW_ELSEWHERE_USER");
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_ELSEWHERE_STORE"), user, user, qEnvironmentVariable("DW_ELSEWHERE_CATALOGUE"), true));
    const qint32 file = qEnvironmentVariableIntValue("DW_ELSEWHERE_FILE");
    if (qEnvironmentVariable("DW_ELSEWHERE_ACTION") == QLatin1String("checkout")) {
        ASSERT_TRUE(s.Projects().CheckOutProject(file, QStringLiteral("elders"))) << s.Database().LastError().toStdString();
        return;
    }
    QFile copy(QDir(s.Projects().GetProjectLocalFolder(file)).filePath(s.Projects().GetProjectFileName(file)));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly | QIODevice::Append));
    copy.write("elders bijgewerkt\n");
    copy.close();
    ASSERT_TRUE(s.Projects().CheckInProject(file, QStringLiteral("elders"), false)) << s.Database().LastError().toStdString();
}

void StoreControlFixture::actElsewhere(const QString &user, const QString &action, qint32 file)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DW_ELSEWHERE_STORE"), storeFolder());
    env.insert(QStringLiteral("DW_ELSEWHERE_CATALOGUE"), catalogue);
    env.insert(QStringLiteral("DW_ELSEWHERE_USER"), user);
    env.insert(QStringLiteral("DW_ELSEWHERE_ACTION"), action);
    env.insert(QStringLiteral("DW_ELSEWHERE_FILE"), QString::number(file));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=ElsewhereChild.DISABLED_Act")});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitCode(), 0);
}

namespace {
qint32 makeLocation(FileStoreSession &session, const QString &name, qint32 parent)
{
    qint32 id = 0;
    EXPECT_TRUE(session.Locations().CreateLocation(name, QString(), parent, id))
        << name.toStdString() << ": " << session.Database().LastError().toStdString();
    return id;
}
} // namespace

void StoreControlFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    StoreAdmin::createStore(storeFolder(), catalogue);
    {
        StoreAdmin admin(DwFileStoreSession::openAsAdministrator(storeFolder(), catalogue, QStringLiteral("beheer")));
        for (const QString &name : {QStringLiteral("anna"), QStringLiteral("bert")}) {
            UserChange user;
            user.name = name.at(0).toUpper() + name.mid(1);
            user.password = name;
            user.admin = name == QLatin1String("anna");
            user.workingRoot = workingRoot(name);
            // Few hash rounds: the tests log on often.
            admin.addUser(name, user, 1000);
        }
        FileStoreSession &s = admin.session();
        projecten = makeLocation(s, QStringLiteral("Projecten"), 0);
        brugNoord = makeLocation(s, QStringLiteral("Brug Noord"), projecten);
        tekeningen = makeLocation(s, QStringLiteral("Tekeningen"), brugNoord);
        kantoor = makeLocation(s, QStringLiteral("Kantoor"), projecten);
        archief = makeLocation(s, QStringLiteral("Archief"), 0);
    }
    auto anna = openSession(QStringLiteral("anna"));
    leesMij = addFile(*anna, projecten, QStringLiteral("Lees mij.txt"), "Welkom\n");
    begroting = addFile(*anna, brugNoord, QStringLiteral("Begroting.txt"), "Post 1\n");
    notulen = addFile(*anna, brugNoord, QStringLiteral("Notulen.txt"), "1. Opening\n");
    offerte = addFile(*anna, brugNoord, QStringLiteral("Offerte.txt"), "Staalwerk\n");
    situatie = addFile(*anna, tekeningen, QStringLiteral("Situatie.png"), "PNG");
    telefoonlijst = addFile(*anna, kantoor, QStringLiteral("Telefoonlijst.txt"), "Receptie 100\n");
    jaarverslag = addFile(*anna, archief, QStringLiteral("Jaarverslag.txt"), "2019\n");
    {
        StoreAdmin admin(DwFileStoreSession::openAsAdministrator(storeFolder(), catalogue, QStringLiteral("beheer")));
        admin.setLocationKind(archief, 1);
    }
    auto bert = openSession(QStringLiteral("bert"));
    ASSERT_TRUE(bert->Projects().CheckOutProject(offerte, QStringLiteral("Prijzen bijwerken")))
        << bert->Database().LastError().toStdString();
    // The text of the files is in the search index before any control looks: the store is
    // quiet when a test starts.
    ASSERT_TRUE(dynamic_cast<ProjectSearch &>(bert->Projects()).FinishIndexing(30000));

    store::registerDwFileStore();
    prompts = std::make_unique<ScriptedPrompts>();
}

void StoreControlFixture::TearDown()
{
    spy.reset();
    control.reset();
    prompts.reset();
    SessionRegistry::setCurrent(nullptr);
}

std::unique_ptr<FileManUI> StoreControlFixture::connectControl(const QString &user)
{
    auto control = std::make_unique<FileManUI>();
    control->resize(900, 600);
    // The testers are children of the models and end with them.
    for (QAbstractItemModel *model :
         {static_cast<QAbstractItemModel *>(treeModelOf(*control)), static_cast<QAbstractItemModel *>(listModelOf(*control))})
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Fatal, model);
    EXPECT_TRUE(control->SetupConnection(storeFolder(), user, user, catalogue, true));
    return control;
}

std::unique_ptr<DwFileStoreSession> StoreControlFixture::openSession(const QString &user)
{
    auto session = std::make_unique<DwFileStoreSession>();
    EXPECT_TRUE(session->Connect(storeFolder(), user, user, catalogue, true))
        << session->Database().LastError().toStdString();
    return session;
}

qint32 StoreControlFixture::addFile(FileStoreSession &session, qint32 location, const QString &name,
                                    const QByteArray &content)
{
    const QString source = m_dir.filePath(QStringLiteral("bron/") + name);
    QDir().mkpath(QFileInfo(source).absolutePath());
    QFile file(source);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    const qint32 id = session.Projects().AddProject(source, location, QVariant(), true, true);
    EXPECT_GT(id, 0) << name.toStdString() << ": " << session.Database().LastError().toStdString();
    return id;
}

void StoreControlFixture::clickPath(FileManUI &control, const QString &path)
{
    const QModelIndex node = locationTreeOf(control)->openPath(path);
    ASSERT_TRUE(node.isValid()) << path.toStdString();
    // A click on the node that is already current handles it again, as the mouse does.
    if (control.tvTreeView->currentIndex() == node)
        locationTreeOf(control)->nodeClick(node);
    else
        control.tvTreeView->setCurrentIndex(node);
}

QStringList StoreControlFixture::childTexts(const FileManUI &control, const QModelIndex &parent)
{
    QStringList texts;
    const LocationTreeModel *model = treeModelOf(control);
    for (int row = 0; row < model->rowCount(parent); ++row)
        texts << model->text(model->index(row, 0, parent));
    return texts;
}

QStringList StoreControlFixture::fileNames() const
{
    QStringList names;
    for (const FileListRow &row : listModelOf(*control)->rows())
        names << row.text;
    return names;
}

QByteArray StoreControlFixture::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<ontbreekt>");
}

QStringList StoreControlFixture::listCells(const FileManUI &control)
{
    QStringList rows;
    for (const FileListRow &row : listModelOf(control)->rows()) {
        QStringList cells{row.text};
        for (const QString &cell : row.subItems)
            cells << cell;
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

int StoreControlFixture::listRowOf(const FileManUI &control, const QString &fileName)
{
    const auto &rows = listModelOf(control)->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].text == fileName)
            return int(i);
    }
    return -1;
}

QStringList StoreControlFixture::locationEvents(const QSignalSpy &spy)
{
    QStringList events;
    for (const QList<QVariant> &args : spy)
        events << args[0].toString() + QLatin1Char('|') + args[1].toString();
    return events;
}

} // namespace dwfm::test
