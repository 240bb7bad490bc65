// Measures a paste of 1,000 small files between two locations of the embedded store,
// through the control's clipboard command as the user runs it (progress dialog included),
// against `cp` of the same 1,000 files into an empty folder. Both sides run alternately,
// each time into a new, empty target, after a sync; the medians are compared. The store
// makes every pasted file durable before it answers, so `cp` followed by `sync` is shown
// beside it as a second baseline.
// Usage: bench_paste [FILES] [RUNS]   (defaults 1000 and 5)
#include "DwFileStore.h"
#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "clipboard/ClipboardCommands.h"
#include "clipboard/ClipboardList.h"
#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace dwfm;
using namespace dwfm::store;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void runOrDie(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("store"));
    StoreAdmin::createStore(folder, QStringLiteral("Bench"));
    qint32 source = 0;
    QStringList sourcePaths;
    {
        auto admin = DwFileStoreSession::openAsAdministrator(folder, QStringLiteral("Bench"), QStringLiteral("beheer"));
        StoreAdmin administration(admin);
        UserChange user;
        user.password = QStringLiteral("bench");
        user.admin = true;
        user.workingRoot = dir.filePath(QStringLiteral("werk"));
        administration.addUser(QStringLiteral("bench"), user, 1000);
        admin->Locations().CreateLocation(QStringLiteral("Bron"), QString(), 0, source);
    }
    registerDwFileStore();
    FileManUI control;
    if (!control.SetupConnection(folder, QStringLiteral("bench"), QStringLiteral("bench"), QStringLiteral("Bench"),
                                 true)) {
        std::fprintf(stderr, "the control could not connect to the store\n");
        return 1;
    }
    ProjectsService &projects = SessionRegistry::current()->Projects();
    QDir().mkpath(dir.filePath(QStringLiteral("los")));
    QStringList keys;
    for (int i = 0; i < files; ++i) {
        const QString path = dir.filePath(QStringLiteral("los/bestand %1.txt").arg(i, 4, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QByteArray(2048, char('a' + i % 26)));
        file.close();
        const qint32 id = projects.AddProject(path, source, QVariant(), true, true);
        keys << QString::number(id) + QLatin1Char('P');
    }
    const QString rootFolder = StoreFolders::rootFolder(folder, QStringLiteral("Bench"));
    for (int i = 0; i < files; ++i)
        sourcePaths << QDir(rootFolder).filePath(QStringLiteral("Bron/bestand %1.txt").arg(i, 4, 10, QLatin1Char('0')));
    const QString list = ClipboardList::writeClipboardText(QLatin1String(ClipboardList::CopyWord),
                                                           QString::number(source) + QLatin1Char('C'), keys);

    std::vector<double> ours, cp, cpSync;
    for (int run = 0; run < runs; ++run) {
        qint32 target = 0;
        SessionRegistry::current()->Locations().CreateLocation(QStringLiteral("Doel %1").arg(run), QString(), 0,
                                                               target);
        control.ControlInSpecificLocationMode(target, QString(), true);
        const QString cpTarget = dir.filePath(QStringLiteral("cp%1").arg(run));
        QDir().mkpath(cpTarget);
        runOrDie(QStringLiteral("sync"), {});

        QElapsedTimer timer;
        QApplication::clipboard()->setText(list);
        timer.start();
        clipboardCommandsOf(control).PasteProject();
        ours.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (listModelOf(control)->rowCount() != files) {
            std::fprintf(stderr, "the paste left %d of %d files\n", listModelOf(control)->rowCount(), files);
            return 1;
        }
        runOrDie(QStringLiteral("sync"), {});

        timer.start();
        runOrDie(QStringLiteral("cp"), QStringList(sourcePaths) << cpTarget);
        cp.push_back(double(timer.nsecsElapsed()) / 1e6);
        runOrDie(QStringLiteral("sync"), {});
        cpSync.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double a = median(ours), b = median(cp);
    const double c = median(cpSync);
    std::printf("paste of %d files: %.1f ms (median of %d); cp: %.1f ms, ratio %.2f (goal <= 3); cp + sync: %.1f ms, "
                "ratio %.2f\n",
                files, a, runs, b, a / b, c, a / c);
    return 0;
}
