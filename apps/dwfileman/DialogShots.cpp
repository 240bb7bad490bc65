#include "DialogShots.h"
#include "ConnectionDialog.h"

#include "adding/frmAddGeneralFiles.h"
#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"
#include "properties/frmGeneralProjectProperties.h"

#include <QDir>
#include <QTabWidget>

bool saveDialogScreenshots(dwfm::FileManUI &control, const StoreConnection &connection, const QString &folder)
{
    const auto session = dwfm::SessionRegistry::current();
    const qint32 location = control.GetCurrentLocationID();
    if (!session || location <= 0 || listModelOf(control)->rowCount() == 0)
        return false;
    QDir().mkpath(folder);

    dwfm::frmAddGeneralFiles adding(&control);
    adding.setTargetKey(location);
    const QString stored = QDir(session->Locations().GetServerRootFolder())
                               .filePath(session->Locations().GetLocationPath(location));
    for (const QFileInfo &file : QDir(stored).entryInfoList(QDir::Files, QDir::Name))
        adding.AddFile(QDir::toNativeSeparators(file.absoluteFilePath()), false);
    bool saved = adding.grab().save(QDir(folder).filePath(QStringLiteral("add-files.png")), "PNG");

    // As the next start shows it: everything filled in but the password.
    StoreConnection remembered = connection;
    remembered.password.clear();
    ConnectionDialog connecting(remembered, [](const StoreConnection &) { return QString(); });
    connecting.adjustSize();
    saved = connecting.grab().save(QDir(folder).filePath(QStringLiteral("connection.png")), "PNG") && saved;

    // The file with the longest history tells the most.
    qint32 shown = 0;
    int longest = -1;
    for (const dwfm::FileListRow &row : listModelOf(control)->rows()) {
        dwfm::RecordsetPtr history;
        int count = 0;
        const qint32 id = row.key.chopped(1).toInt();
        if (session->Projects().GetProjectHistory(history, id) && history)
            for (; !history->isEof(); history->moveNext())
                ++count;
        if (count > longest) {
            longest = count;
            shown = id;
        }
    }
    dwfm::frmGeneralProjectProperties properties(&control);
    properties.Form_Load();
    properties.mProjectID = shown;
    properties.FillInfo();
    properties.SSTab1->setCurrentIndex(1);
    saved = properties.grab().save(QDir(folder).filePath(QStringLiteral("properties-history.png")), "PNG") && saved;
    return saved;
}
