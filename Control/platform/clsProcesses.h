#pragma once

#include "DwExport.h"

#include <QString>

#include <memory>
#include <vector>

namespace dwfm {

// One temporary file handed to an outside program: the program's process ID (0 when not
// known) and the file's full path. Hosts can read these records; the library makes them.
class DWFILEMANUI_EXPORT clsProcesses {
public:
    qint32 ProcessID() const { return m_processId; }
    void setProcessID(qint32 processId) { m_processId = processId; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

private:
    friend std::shared_ptr<clsProcesses> NewProcessRecord(qint32, const QString &);
    clsProcesses() = default;

    qint32 m_processId = 0;
    QString m_fileName;
};

using ProcessList = std::vector<std::shared_ptr<clsProcesses>>;

// Makes a record (the library's way to create one).
DWFILEMANUI_EXPORT std::shared_ptr<clsProcesses> NewProcessRecord(qint32 processId, const QString &fileName);

// True while the process with this ID runs (a process that cannot be asked, or ID 0,
// counts as ended).
DWFILEMANUI_EXPORT bool IsProcessRunning(qint32 processId);

// For every record whose program has ended: makes its file writable, deletes it and
// removes its folder when that is now empty. Records stay in the list; a later run tries
// their files again. Failures are skipped.
DWFILEMANUI_EXPORT void CleanUpFinishedProcesses(const ProcessList &processes);

} // namespace dwfm
