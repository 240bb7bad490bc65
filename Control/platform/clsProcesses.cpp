#include "clsProcesses.h"

#include "ErrorTrap.h"
#include "ShellServices.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#endif

namespace dwfm {

std::shared_ptr<clsProcesses> NewProcessRecord(qint32 processId, const QString &fileName)
{
    std::shared_ptr<clsProcesses> record(new clsProcesses);
    record->setProcessID(processId);
    record->setFileName(fileName);
    return record;
}

bool IsProcessRunning(qint32 processId)
{
    if (processId <= 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, DWORD(processId));
    if (!handle)
        return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(handle, &code) && code == STILL_ACTIVE;
    CloseHandle(handle);
    return running;
#else
    if (::kill(pid_t(processId), 0) != 0 && errno != EPERM)
        return false;
    // A process that ended but was not yet reaped by its parent still answers; its state
    // in /proc tells it apart.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        if (close >= 0 && close + 2 < line.size() && (line[close + 2] == 'Z' || line[close + 2] == 'X'))
            return false;
    }
    return true;
#endif
}

void CleanUpFinishedProcesses(const ProcessList &processes)
{
    for (const auto &record : processes) {
        if (!record)
            continue;
        bool running = true;
        if (!SkipOnError([&] { running = IsProcessRunning(record->ProcessID()); }))
            running = false;
        if (running)
            continue;
        QString path = record->FileName();
        SkipOnError([&] { ClearReadOnly(path); });
        SkipOnError([&] { DeleteFileIfExists(path); });
        SkipOnError([&] { DeleteFolderIfEmpty(path); });
    }
}

} // namespace dwfm
