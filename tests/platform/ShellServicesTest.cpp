#include "DwError.h"
#include "platform/FileDialogs.h"
#include "platform/ShellServices.h"
#include "platform/clsProcesses.h"

#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace dwfm;
using dwfm::test::ScriptedPrompts;

namespace {
QString writeFile(const QString &path, const QByteArray &content = "inhoud")
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    return path;
}
} // namespace

TEST(ShellServices, TempFilesAreNewEmptyAndUnique)
{
    QTemporaryDir dir;
    const QString first = NewTempFilePath(dir.path());
    const QString second = NewTempFilePath(dir.path());
    ASSERT_FALSE(first.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).isFile());
    EXPECT_EQ(QFileInfo(first).size(), 0);
    EXPECT_EQ(QFileInfo(first).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());

    // The default folder is the system's temporary folder, which ends in a separator.
    EXPECT_TRUE(GetTempDirectory().endsWith(QDir::separator()));
    const QString inTemp = NewTempFilePath();
    EXPECT_TRUE(inTemp.startsWith(GetTempDirectory()));
    DeleteFileIfExists(inTemp);
    EXPECT_FALSE(QFile::exists(inTemp));

    // A folder that does not exist gives no path rather than a path to nothing.
    EXPECT_TRUE(NewTempFilePath(dir.filePath(QStringLiteral("bestaat-niet"))).isEmpty());
}

TEST(ShellServices, ReadOnlyIsSetAndClearedOnRealFiles)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("a.txt")));
    SetReadOnly(path);
    EXPECT_FALSE(QFileInfo(path).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    ClearReadOnly(path);
    EXPECT_TRUE(QFileInfo(path).permissions() & QFile::WriteOwner);
    // Missing files are ignored.
    SetReadOnly(dir.filePath(QStringLiteral("weg.txt")));
    ClearReadOnly(dir.filePath(QStringLiteral("weg.txt")));
    DeleteFileIfExists(dir.filePath(QStringLiteral("weg.txt")));
}

TEST(ShellServices, EmptyFoldersGoButNeverATempFolder)
{
    QTemporaryDir dir;
    for (const QString name : {QStringLiteral("temp"), QStringLiteral("TeMp"), QStringLiteral("TEMP")}) {
        QDir(dir.path()).mkpath(name);
        QString path = dir.filePath(name + QStringLiteral("/file.txt"));
        DeleteFolderIfEmpty(path);
        EXPECT_TRUE(QFileInfo(dir.filePath(name)).isDir()) << name.toStdString();
        EXPECT_EQ(QDir::fromNativeSeparators(path), dir.filePath(name));
    }
    QDir(dir.path()).mkpath(QStringLiteral("leeg"));
    QString emptyPath = dir.filePath(QStringLiteral("leeg/file.txt"));
    DeleteFolderIfEmpty(emptyPath);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("leeg"))));

    QDir(dir.path()).mkpath(QStringLiteral("vol"));
    writeFile(dir.filePath(QStringLiteral("vol/blijft.txt")));
    QString fullPath = dir.filePath(QStringLiteral("vol/other.txt"));
    DeleteFolderIfEmpty(fullPath);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("vol/blijft.txt"))));
}

TEST(ShellServices, FilesOfEndedProcessesAreCleanedUp)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("ended"));
    QDir(dir.path()).mkpath(QStringLiteral("running"));
    const QString endedFile = writeFile(dir.filePath(QStringLiteral("ended/view.txt")));
    const QString runningFile = writeFile(dir.filePath(QStringLiteral("running/view.txt")));
    SetReadOnly(endedFile);

    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForFinished(10000));
    const qint32 endedPid = qint32(ended.processId() ? ended.processId() : 999999);

    QProcess running;
    running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(running.waitForStarted(10000));
    const qint32 runningPid = qint32(running.processId());
    ASSERT_TRUE(IsProcessRunning(runningPid));

    ProcessList records{NewProcessRecord(endedPid, endedFile), NewProcessRecord(runningPid, runningFile),
                        NewProcessRecord(0, dir.filePath(QStringLiteral("never-made.txt")))};
    CleanUpFinishedProcesses(records);

    EXPECT_FALSE(QFile::exists(endedFile));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("ended"))));
    EXPECT_TRUE(QFile::exists(runningFile));
    EXPECT_EQ(records.size(), 3u);

    // Once the viewer ends, the next run removes its file too.
    running.kill();
    ASSERT_TRUE(running.waitForFinished(10000));
    EXPECT_FALSE(IsProcessRunning(runningPid));
    CleanUpFinishedProcesses(records);
    EXPECT_FALSE(QFile::exists(runningFile));
}

TEST(ShellServices, SpecialFolders)
{
    ScriptedPrompts prompts;
    const QString documents = GetSpecialFolder(5);
    ASSERT_FALSE(documents.isEmpty());
    EXPECT_TRUE(QFileInfo(documents).isDir());
    EXPECT_EQ(QFileInfo(documents).absoluteFilePath(),
              QFileInfo(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).absoluteFilePath());

    prompts.expectMessage();
    EXPECT_TRUE(GetSpecialFolder(77).isEmpty());
    EXPECT_EQ(prompts.messages().value(0), QStringLiteral("Folder type 77 wordt niet ondersteund dor SHGetFolderPath!"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Critical);
}

TEST(FileDialogs, MultiSelectFillsSelectedFilesInOrderAndCancelIsReported)
{
    ScriptedPrompts prompts;
    const QString filter = QStringLiteral("Alle bestanden (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0);
    prompts.expectFileDialog({QStringLiteral("/d/b.txt"), QStringLiteral("/d/a.txt"), QStringLiteral("/d/c.txt")},
                             [](const Prompts::FileDialogRequest &request) {
                                 EXPECT_TRUE(request.multiSelect);
                                 EXPECT_EQ(request.title, QStringLiteral("Selecteer de bestanden"));
                                 // Every file, also names without a point.
                                 EXPECT_EQ(request.filter, QStringLiteral("Alle bestanden (*)"));
                             });
    EXPECT_EQ(ShowFileDialog(filter, QString(), QString(), QStringLiteral("Selecteer de bestanden"), false, false,
                             QString(), true),
              QDir::toNativeSeparators(QStringLiteral("/d/b.txt")));
    ASSERT_TRUE(SelectedFiles().has_value());
    EXPECT_EQ(SelectedFiles()->size(), 3);
    EXPECT_EQ(SelectedFiles()->at(1), QDir::toNativeSeparators(QStringLiteral("/d/a.txt")));

    prompts.expectFileDialog({});
    EXPECT_TRUE(ShowFileDialog(filter, {}, {}, QStringLiteral("t"), false, false, {}, true).isEmpty());
    EXPECT_FALSE(SelectedFiles().has_value());

    prompts.expectFileDialog({});
    try {
        ShowFileDialog(filter, {}, {}, QStringLiteral("t"), true, false, {}, false);
        ADD_FAILURE() << "a cancel with the error flag must raise";
    } catch (const DwError &error) {
        EXPECT_EQ(error.number(), 32755);
    }
}
