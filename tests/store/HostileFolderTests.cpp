// Folders another account can write: in the store's folder (the embedded store's), in the
// folder where a host puts a file to register and in a working folder, a planted link or a
// pipe, socket or device where a file or folder should be is refused by every operation (or
// stepped around), and no byte outside them is read or written.
#include "StoreFixture.h"

#include "ProjectVersions.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "admin/StoreCheck.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFileInfo>

#include <functional>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace dwfm;
using namespace dwfm::store;

namespace {
const QByteArray Secret = "BUITEN-GEHEIM";

// Every file below `folder` with its content and modification time.
QStringList state(const QString &folder)
{
    QStringList lines;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo info(it.next());
        QFile f(info.filePath());
        lines << info.filePath() + (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray()) + info.lastModified().toString();
    }
    return lines;
}

// Puts a link to `target`, or a pipe ('p'), socket ('s') or device ('c') in the place of
// `path`; false when this system does not let the test make it (a device needs root).
bool plant(const QString &path, char kind, const QString &target = QString())
{
    QFile::remove(path);
    const QByteArray at = QFile::encodeName(path);
    if (kind == 'l')
        return ::symlink(QFile::encodeName(target).constData(), at.constData()) == 0;
    const mode_t type = kind == 'p' ? S_IFIFO : kind == 's' ? S_IFSOCK : S_IFCHR;
    return ::mknod(at.constData(), type | 0666, kind == 'c' ? makedev(1, 3) : 0) == 0;
}
} // namespace

TEST_P(StoreTest, PlantedLinksAndSpecialFilesAreRefusedAndNothingOutsideIsTouched)
{
    const QString outside = m_dir.filePath("buiten");
    writeFile(outside + "/geheim.txt", Secret);
    const QStringList untouched = state(outside);
    auto &p = bert->Projects();
    const auto file = [&](const QString &name) { return addFile(*bert, name, "server", tekeningen); };
    const qint32 linked = file("Koppeling.txt"), mine = file("Mijn.txt"), piped = file("Mijn pijp.txt"), free = file("Vrij.txt");
    ASSERT_TRUE(p.CheckOutProject(mine, QString()) && p.CheckOutProject(piped, QString()));
    // The server store keeps no files of its own on disk: there only the folders of the
    // working copies and of the files to register can be planted in.
    if (embedded())
        ASSERT_TRUE(plant(serverFile("Koppeling.txt"), 'l', outside + "/geheim.txt"));
    const QString toRegister = bert->Locations().GetServerRootFolder() + "/Projecten/Tekeningen/Gekoppeld.txt";
    QDir().mkpath(QFileInfo(toRegister).path());
    ASSERT_TRUE(plant(toRegister, 'l', outside + "/geheim.txt"));
    ASSERT_TRUE(plant(localFile("bert", "Mijn.txt"), 'l', outside + "/geheim.txt"));
    ASSERT_TRUE(plant(localFile("bert", "Mijn pijp.txt"), 'p'));
    ASSERT_TRUE(plant(localFile("bert", "Vrij.txt"), 'l', outside + "/nieuw.txt"));
    QVariant newId;
    QString view;
    std::vector<std::pair<QString, std::function<bool()>>> refused = {
        {"register a link", [&] { return p.AddProject(toRegister, tekeningen, QVariant(), false, true) > 0; }},
        {"check in a linked working copy", [&] { return p.CheckInProject(mine, QString(), true); }},
        {"undo over a linked working copy", [&] { return p.CancelCheckOut(mine, QString(), true); }},
        {"check in a pipe", [&] { return p.CheckInProject(piped, QString(), true); }},
        {"check out onto a link", [&] { return p.CheckOutProject(free, QString()); }},
    };
    if (embedded()) {
        refused.insert(refused.end(), {
            {"view a linked server file", [&] { return p.GetViewCopy(linked, view); }},
            {"check out a linked server file", [&] { return p.CheckOutProject(linked, QString()); }},
            {"copy a linked server file", [&] { return p.CopyProject(linked, projecten, QString(), newId); }},
            {"copy it to a folder", [&] { return p.GetLocalCopy(0, linked, m_dir.filePath("kopie.txt")); }},
        });
        // An earlier content kept by the store, replaced by a link out of it.
        auto *versions = dynamic_cast<ProjectVersions *>(&p);
        const qint32 kept = file("Versies.txt");
        ASSERT_TRUE(versions && p.CheckOutProject(kept, QString()));
        writeFile(localFile("bert", "Versies.txt"), "tweede");
        ASSERT_TRUE(p.CheckInProject(kept, QString(), true));
        const QString hash = QCryptographicHash::hash("server", QCryptographicHash::Sha256).toHex();
        ASSERT_TRUE(plant(StoreFolders::contentFolder(storeFolder(), m_catalogue) + "/" + hash.left(2) + "/" + hash, 'l',
                          outside + "/geheim.txt"));
        refused.push_back({"view a linked earlier version", [versions, kept, &view] { return versions->GetVersionViewCopy(kept, 1, view); }});
        refused.push_back({"restore a linked earlier version", [versions, kept] { return versions->RestoreProjectVersion(kept, 1, QString()); }});
    }
    for (const char kind : {'p', 's', 'c'}) {
        const QString name = QStringLiteral("Bijzonder %1.txt").arg(kind);
        const qint32 special = file(name);
        if (embedded() && plant(serverFile(name), kind))
            refused.push_back({"check out a server file of kind " + QString(kind), [&p, special] { return p.CheckOutProject(special, QString()); }});
    }
    for (const auto &[what, act] : refused) {
        EXPECT_FALSE(act()) << what.toStdString();
        EXPECT_FALSE(bert->Database().LastError().isEmpty()) << what.toStdString();
    }

    // Folders on the way: a location's folder, a working folder and the staging folder
    // that became links out of the store.
    const qint32 above = addFile(*anna, "Boven.txt", "boven", projecten);
    QDir().mkpath(workingRoot("anna"));
    ASSERT_TRUE(plant(workingRoot("anna") + "/Projecten", 'l', outside));
    EXPECT_FALSE(anna->Projects().CheckOutProject(above, QString()));
    if (embedded()) {
        const QString source = makeSource("Nieuw.txt", "nieuw");
        QDir().rename(root() + "/Projecten/Tekeningen", root() + "/Projecten/Tekeningen weg");
        ASSERT_TRUE(plant(root() + "/Projecten/Tekeningen", 'l', outside));
        qint32 id = 0;
        EXPECT_LT(p.AddProject(source, tekeningen, QVariant(), true, true), 0);
        EXPECT_FALSE(anna->Locations().CreateLocation("Onder", QString(), tekeningen, id));
        const QString staging = StoreFolders::stagingFolder(storeFolder(), m_catalogue);
        QDir(staging).removeRecursively();
        ASSERT_TRUE(plant(staging, 'l', outside));
        EXPECT_LT(p.AddProject(source, projecten, QVariant(), true, true), 0);
        StoreCheck check(static_cast<StoreAdmin &>(admin()).session().context());
        EXPECT_TRUE(check.check().contains("Geen map maar een koppeling of bestand: " + root() + "/Projecten/Tekeningen"));
    }

    EXPECT_EQ(state(outside), untouched);
    QStringList copies; // the temporary folder holds the view copies, the test's folder and so what is outside
    for (QDirIterator it(QDir::tempPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo info(it.next());
        QFile f(info.filePath());
        if (!info.filePath().startsWith(outside) && !info.isSymLink() && info.isFile() && f.open(QIODevice::ReadOnly)
            && f.readAll().contains(Secret))
            copies << info.filePath();
    }
    EXPECT_TRUE(copies.isEmpty()) << copies.join(", ").toStdString();
}

// The modes of what the store makes follow the umask: with a group's umask (002) every
// account of the group can write the database, the folders and the files.
TEST(StoreModesTest, WhatTheStoreMakesFollowsTheUmask)
{
    for (const auto &[mask, file, folder] : {std::tuple{0002, 0664, 0775}, std::tuple{0022, 0644, 0755}}) {
        QTemporaryDir dir;
        ASSERT_TRUE(QFile(dir.filePath("bron.txt")).open(QIODevice::WriteOnly));
        const mode_t old = ::umask(mode_t(mask));
        StoreAdmin::createStore(dir.path(), "Modes");
        StoreAdmin(DwFileStoreSession::openAsAdministrator(dir.path(), "Modes", "beheer"), 1000)
            .addUser("u", {.password = QString("x"), .admin = true, .workingRoot = dir.filePath("werk")});
        DwFileStoreSession s;
        qint32 location = 0;
        const bool made = s.Connect(dir.path(), "u", "x", "Modes", true) && s.Locations().CreateLocation("Map", QString(), 0, location);
        const qint32 id = made ? s.Projects().AddProject(dir.filePath("bron.txt"), location, QVariant(), true, true) : -1;
        const bool checkedOut = id > 0 && s.Projects().CheckOutProject(id, QString());
        ::umask(old);
        ASSERT_TRUE(checkedOut) << s.Database().LastError().toStdString();
        for (const auto &[path, mode] : {std::pair{"Modes.dwstore", file}, {"Modes.dwsearch", file}, {"Modes/Map", folder},
                                         {"Modes/Map/bron.txt", file},
                                         {"werk/Map", folder}, {"werk/Map/bron.txt", file}}) {
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(dir.filePath(path)).constData(), &st), 0) << path;
            EXPECT_EQ(int(st.st_mode & 07777), mode) << path << " with umask " << mask;
        }
    }
}
